// The concurrency soak as a program: msc_soak [OPERATIONS] runs about that
// many operations (one million by default) on one macro object and exits
// with 1 when any read saw a value no thread wrote, or an update was lost,
// and with 3 when the watchdog found no progress (a deadlock).
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "soak.h"

int main(int argc, char** argv) {
  const long operations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
  if (operations < 1000) {
    std::fprintf(stderr, "usage: msc_soak [OPERATIONS >= 1000]\n");
    return 2;
  }
  msc::soak::Config config;
  // Nine tenths variable calls of the host threads, one tenth label calls;
  // the parallel tasks' passes come on top.
  config.hostOps = static_cast<int>(operations * 9 / 10 / msc::soak::kHostThreads);
  config.labelCalls = static_cast<int>(operations / 10);
  config.passes = 50;
  const auto start = std::chrono::steady_clock::now();
  const msc::soak::Result r = msc::soak::Run(config);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("operations      %lld in %.2f s\n", static_cast<long long>(r.Operations()), seconds);
  std::printf("  host calls    %lld\n  label calls   %lld\n  task passes   %lld (%lld blocks of 31 tasks)\n",
              static_cast<long long>(r.hostCalls), static_cast<long long>(r.labelCalls),
              static_cast<long long>(r.taskPasses), static_cast<long long>(r.rounds));
  std::printf("bad reads       host %lld, program %d\n", static_cast<long long>(r.hostBad), r.programBad);
  const bool counted = r.counted == r.taskPasses && r.ticks == r.taskPasses && r.pings == config.labelCalls;
  std::printf("counters        %s\n", counted ? "whole" : "updates lost");
  return r.hostBad == 0 && r.programBad == 0 && counted ? 0 : 1;
}
