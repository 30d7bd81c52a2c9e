// Parallel tasks that share the object lock against the same routines
// called one after another.
//
// For N tasks, routines *T1 ... *TN each count a variable of their own and
// one they share up in a For loop; *SERIALn calls them in turn, *PARALLELn runs each as a
// ParallelExecute task. (With 31 tasks the caller also runs the last task's
// statements once the tasks are done, so *SERIAL31 calls *T31 twice.)
// While the tasks run, a host thread calls _GetVariable each millisecond,
// reading the counters in turn: it reports the longest a call waited. Each
// task notes when it finished (Timer from the start of the run), and the
// last of those is reported against the serial time of all, from the same
// repeat: the two runs follow each other, so a slow spell of a shared
// machine seldom falls on one alone. The median and the worst repeat are
// shown.
//
//   parallel_tasks [PASSES_IN_ALL] [REPEAT] [quiet]
//
// prints one line per N; the best of REPEAT runs of each kind counts, after
// one parallel run that is not timed. With "quiet" no host thread reads.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "macro_sc/host.h"
#include "macro_sc/macro_sc.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Macro {
  QorMacro* m = _CreateQorMacro(nullptr);
  int line = 10;
  ~Macro() { _DeleteQorMacro(m); }
  void Add(const std::string& text) {
    const std::string numbered = std::to_string(line) + " " + text;
    line += 10;
    const std::wstring wide(numbered.begin(), numbered.end());
    if (_DirectExecute(m, wide.c_str()) != 0) {
      std::fprintf(stderr, "cannot store: %s\n", numbered.c_str());
      std::exit(1);
    }
  }
};

void Program(Macro& macro, int tasks, long passes) {
  for (int k = 1; k <= tasks; ++k) {
    const std::string n = std::to_string(k);
    macro.Add("*T" + n);
    macro.Add("For I" + n + "& = 1 To " + std::to_string(passes));
    macro.Add("C" + n + "& = C" + n + "& + 1");
    macro.Add("S& = S& + 1");
    macro.Add("Next I" + n + "&");
    macro.Add("F" + n + "& = Timer(T0#, 1)");
    macro.Add("Return");
  }
  macro.Add("*SERIAL");
  macro.Add("T0# = StartTimer");
  for (int k = 1; k <= tasks; ++k)
    for (int again = 0; again < (k == 31 ? 2 : 1); ++again) macro.Add("Gosub *T" + std::to_string(k));
  macro.Add("Return");
  macro.Add("*PARALLEL");
  macro.Add("T0# = StartTimer");
  macro.Add("ParallelExecute");
  for (int k = 1; k <= tasks; ++k) {
    macro.Add("Task");
    macro.Add("Gosub *T" + std::to_string(k));
  }
  macro.Add("End ParallelExecute");
  macro.Add("Return");
}

int32_t Read(QorMacro* m, const std::wstring& name) {
  AnyType value;
  if (_GetVariable(m, name.c_str(), &value) != 0) return -1;
  return value.GetIntValue();
}

int32_t Counter(QorMacro* m, int k) { return Read(m, L"C" + std::to_wstring(k) + L"&"); }

void Reset(QorMacro* m, int tasks) {
  for (int k = 1; k <= tasks; ++k) {
    const std::wstring line = L"C" + std::to_wstring(k) + L"& = 0";
    (void)_DirectExecute(m, line.c_str());
  }
}

struct Probe {
  double worstWait = 0;    // seconds, the longest _GetVariable
  long reads = 0;
  long slowReads = 0;      // reads that waited over 2 ms
};

// Reads one counter each millisecond, the next one each time, until stop is set.
Probe Watch(QorMacro* m, int tasks, const std::atomic<bool>& stop) {
  Probe p;
  for (int k = 1; !stop.load(); k = k % tasks + 1) {
    const auto before = Clock::now();
    (void)Counter(m, k);
    const auto after = Clock::now();
    p.worstWait = std::max(p.worstWait, Seconds(after - before));
    ++p.reads;
    if (after - before > std::chrono::milliseconds(2)) ++p.slowReads;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return p;
}

// When the last task finished, in seconds from the start of the run.
double LastFinish(QorMacro* m, int tasks) {
  int32_t last = 0;
  for (int k = 1; k <= tasks; ++k) last = std::max(last, Read(m, L"F" + std::to_wstring(k) + L"&"));
  return last / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const long all = argc > 1 ? std::atol(argv[1]) : 12'000'000;
  const int repeat = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const bool probing = argc <= 3 || std::string(argv[3]) != "quiet";
  std::printf("%5s %12s %12s %8s %14s %12s %24s\n", "tasks", "serial ms", "parallel ms", "ratio", "worst read ms",
              "reads >2ms", "last done/serial med max");
  bool ok = true;
  for (const int tasks : {2, 4, 8, 31}) {
    const long passes = all / (tasks == 31 ? 32 : tasks);
    Macro macro;
    Program(macro, tasks, passes);
    double serial = 1e9, parallel = 1e9;
    Probe worst;
    std::vector<double> lastDone;  // per repeat, the last task done in serial times
    // Once untimed first: the controller's task library starts its worker
    // threads on first use and keeps them.
    if (_Gosub(macro.m, L"*PARALLEL") != 0) ok = false;
    (void)_DirectExecute(macro.m, L"S& = 0");
    for (int r = 0; r < repeat; ++r) {
      Reset(macro.m, tasks);
      auto start = Clock::now();
      if (_Gosub(macro.m, L"*SERIAL") != 0) ok = false;
      const double serialNow = Seconds(Clock::now() - start);
      serial = std::min(serial, serialNow);

      Reset(macro.m, tasks);
      std::atomic<bool> stop{false};
      start = Clock::now();
      Probe probe;
      std::thread watcher([&] {
        if (probing) probe = Watch(macro.m, tasks, stop);
      });
      if (_Gosub(macro.m, L"*PARALLEL") != 0) ok = false;
      const double took = Seconds(Clock::now() - start);
      stop = true;
      watcher.join();
      parallel = std::min(parallel, took);
      worst.worstWait = std::max(worst.worstWait, probe.worstWait);
      lastDone.push_back(LastFinish(macro.m, tasks) / serialNow);
      worst.reads += probe.reads;
      worst.slowReads += probe.slowReads;
      // The shared counter loses no update: both kinds of run added to it.
      AnyType shared;
      if (_GetVariable(macro.m, L"S&", &shared) != 0 || shared.GetIntValue() != 2 * passes * (tasks == 31 ? 32 : tasks))
        ok = false;
      (void)_DirectExecute(macro.m, L"S& = 0");
      for (int k = 1; k <= tasks; ++k) {
        const int32_t expect = static_cast<int32_t>(passes) * (k == 31 ? 2 : 1);
        if (Counter(macro.m, k) != expect) ok = false;
      }
    }
    std::sort(lastDone.begin(), lastDone.end());
    std::printf("%5d %12.1f %12.1f %8.2f %14.2f %5ld of %-5ld %19.2f %4.2f\n", tasks, serial * 1e3, parallel * 1e3,
                parallel / serial, worst.worstWait * 1e3, worst.slowReads, worst.reads, lastDone[lastDone.size() / 2],
                lastDone.back());
  }
  if (!ok) std::printf("a run failed or counted wrong\n");
  return ok ? 0 : 1;
}
