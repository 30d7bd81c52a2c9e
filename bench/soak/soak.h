// A concurrency soak of one macro object: four host threads set and read
// variables by name (numbers, texts, array elements), a fifth calls a label
// over and over, and a sixth keeps a ParallelExecute of 31 tasks running that
// write and read the same variables. Every value written carries its own
// check, so a torn double or a half-written text is seen by whoever reads it:
//
//   texts    one letter repeated, its length fixed by the letter:
//            "AAAAA" (5), "BBBBBBBBBBBB" (12), ... "H" x 54
//   doubles  one of eight values whose low words are not zero, so that a
//            double made of two halves is none of them
//   integers one of eight values
//
// A watchdog ends the process when no thread has made progress for a while:
// a deadlock fails the run instead of hanging it. Used by the soak test (a
// short run) and by the soak program of the benchmarks (a long one).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "macro_sc/host.h"
#include "macro_sc/macro_sc.h"

namespace msc::soak {

constexpr int kValues = 8;
constexpr int kTasks = 31;
constexpr int kHostThreads = 4;
// The caller of a block of 31 tasks runs the 31st once more afterwards.
constexpr int kTaskRunsPerRound = kTasks + 1;

constexpr double kDoubles[kValues] = {0.1, -0.3, 2.7, 1234.567, -98765.4321, 3.3e-7, 7.77e12, -0.55};
constexpr int32_t kIntegers[kValues] = {7, -1, 100003, -2000000011, 65536, 42, 1 << 30, -77};

inline size_t TextLength(int j) { return static_cast<size_t>(5 + 7 * j); }
inline std::wstring Text(int j) { return std::wstring(TextLength(j), static_cast<wchar_t>(L'A' + j)); }

// True when text is one of the texts written.
inline bool WholeText(const wchar_t* text) {
  if (text == nullptr || text[0] < L'A' || text[0] >= L'A' + kValues) return false;
  const int j = text[0] - L'A';
  size_t n = 0;
  while (text[n] == text[0]) ++n;
  return text[n] == L'\0' && n == TextLength(j);
}
inline bool WholeDouble(double d) {
  for (const double v : kDoubles)
    if (d == v) return true;
  return false;
}
inline bool WholeInteger(int32_t i) {
  for (const int32_t v : kIntegers)
    if (i == v) return true;
  return false;
}

struct Config {
  int hostOps = 2000;          // variable calls of each host thread
  int labelCalls = 500;        // _Gosub calls of the label thread
  int passes = 20;             // loop passes of each task per ParallelExecute
  int stallSeconds = 60;       // no progress this long is a deadlock
};

struct Result {
  int64_t hostCalls = 0;      // _SetVariable and _GetVariable calls
  int64_t labelCalls = 0;     // _Gosub calls, the ParallelExecute ones included
  int64_t taskPasses = 0;     // loop passes of all tasks
  int64_t rounds = 0;         // ParallelExecute statements run
  int64_t hostBad = 0;        // host reads that were no value written, or failed calls
  int32_t programBad = -1;    // the program's own count of such reads (BAD&)
  int32_t counted = -1;       // C&, one per task pass
  int32_t ticks = -1;         // G&, one per Gosub of a task
  int32_t pings = -1;         // P&, one per label thread call
  int64_t Operations() const { return hostCalls + labelCalls + taskPasses; }
};

namespace detail {

inline std::string TextCheck(const std::string& v) {
  std::string s;
  for (int j = 0; j < kValues; ++j) s += (j ? " And " : "") + v + " <> T$(" + std::to_string(j) + ")";
  return "If " + s + " Then BAD& = BAD& + 1";
}
inline std::string DoubleCheck(const std::string& v) {
  std::string s;
  for (int j = 0; j < kValues; ++j) s += (j ? " And " : "") + v + " <> V#(" + std::to_string(j) + ")";
  return "If " + s + " Then BAD& = BAD& + 1";
}

// The program: *PAR runs the block, each task its own loop variable and
// copies; *TICK is the tasks' common subroutine; *PING the label thread's.
inline std::vector<std::string> Program(int passes) {
  std::vector<std::string> body = {"*PAR", "ParallelExecute"};
  for (int k = 0; k < kTasks; ++k) {
    const std::string n = std::to_string(k);
    const auto at = [k](int shift) { return std::to_string((k + shift) % kValues); };
    body.push_back("Task");
    body.push_back("For L" + n + "& = 1 To " + std::to_string(passes));
    body.push_back("S$ = T$(" + at(0) + ") : H$(" + at(1) + ") = S$ : D# = V#(" + at(0) + ") : E#(" + at(3) +
                   ") = D# : N& = K&(" + at(0) + ")");
    body.push_back("W" + n + "$ = S$ : X" + n + "# = D# : Y" + n + "$ = H$(" + at(5) + ") : Z" + n + "# = E#(" +
                   at(6) + ")");
    body.push_back(TextCheck("W" + n + "$"));
    body.push_back(TextCheck("Y" + n + "$"));
    body.push_back(DoubleCheck("X" + n + "#"));
    body.push_back(DoubleCheck("Z" + n + "#"));
    body.push_back("C& = C& + 1 : Gosub *TICK");
    body.push_back("Next L" + n + "&");
  }
  for (const char* line : {"End ParallelExecute", "Return", "*TICK", "G& = G& + 1", "Return", "*PING",
                           "PW$ = S$ : PX# = D# : PY$ = H$(P& MOD 8)"})
    body.push_back(line);
  for (const std::string& v : {std::string("PW$"), std::string("PY$")}) body.push_back(TextCheck(v));
  body.push_back(DoubleCheck("PX#"));
  body.push_back("P& = P& + 1");
  body.push_back("Return");
  std::vector<std::string> lines;
  int number = 10;
  for (const std::string& b : body) {
    lines.push_back(std::to_string(number) + " " + b);
    number += 10;
  }
  // Every variable exists before the threads start.
  lines.push_back("Dim T$(7), V#(7), K&(7), H$(7), E#(7)");
  for (int j = 0; j < kValues; ++j) {
    const std::string i = std::to_string(j);
    char number[32];
    std::snprintf(number, sizeof number, "%.15g", kDoubles[j]);
    lines.push_back("T$(" + i + ") = \"" + std::string(TextLength(j), static_cast<char>('A' + j)) + "\" : V#(" +
                    i + ") = " + number + " : K&(" + i + ") = " + std::to_string(kIntegers[j]) + " : H$(" + i +
                    ") = T$(" + i + ") : E#(" + i + ") = V#(" + i + ")");
  }
  lines.push_back("S$ = T$(0) : D# = V#(0) : N& = K&(0) : C& = 0 : G& = 0 : P& = 0 : BAD& = 0");
  for (const char* own : {"PW$ = S$ : PY$ = S$ : PX# = D#"}) lines.push_back(own);
  for (int k = 0; k < kTasks; ++k) {
    const std::string n = std::to_string(k);
    lines.push_back("L" + n + "& = 0 : W" + n + "$ = S$ : Y" + n + "$ = S$ : X" + n + "# = D# : Z" + n + "# = D#");
  }
  return lines;
}

inline std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// One host thread: sets and reads the shared scalars and elements in turn,
// with a small generator of its own so that the threads do not move in step.
inline void HostLoop(QorMacro* m, int id, int ops, std::atomic<int64_t>& progress, std::atomic<int64_t>& bad) {
  uint32_t seed = 2463534242u + static_cast<uint32_t>(id) * 7919u;
  const auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return seed;
  };
  int64_t failures = 0;
  AnyType v;
  for (int i = 0; i < ops; ++i) {
    const uint32_t r = next();
    const int j = static_cast<int>(r % kValues);
    const std::wstring element = std::to_wstring((r >> 8) % kValues) + L")";
    switch ((r >> 4) % 8) {
      case 0: v.SetData(Text(j).c_str()); failures += _SetVariable(m, L"S$", &v) != 0; break;
      case 1: v.SetData(Text(j).c_str()); failures += _SetVariable(m, (L"H$(" + element).c_str(), &v) != 0; break;
      case 2: v.SetData(kDoubles[j]); failures += _SetVariable(m, (L"E#(" + element).c_str(), &v) != 0; break;
      case 3: v.SetData(kDoubles[j]); failures += _SetVariable(m, L"D#", &v) != 0; break;
      case 4:
        failures += _GetVariable(m, (r & 1) ? L"S$" : (L"H$(" + element).c_str(), &v) != 0 ||
                    v.GetType() != AnyType::kText || !WholeText(v.GetString());
        break;
      case 5:
        failures += _GetVariable(m, (r & 1) ? L"D#" : (L"E#(" + element).c_str(), &v) != 0 ||
                    v.GetType() != AnyType::kReal || !WholeDouble(v.GetDoubleValue());
        break;
      case 6: v.SetData(kIntegers[j]); failures += _SetVariable(m, L"N&", &v) != 0; break;
      default:
        failures += _GetVariable(m, L"N&", &v) != 0 || v.GetType() != AnyType::kInteger ||
                    !WholeInteger(v.GetIntValue());
        break;
    }
    progress.fetch_add(1, std::memory_order_relaxed);
  }
  bad += failures;
}

inline int32_t IntegerOf(QorMacro* m, const wchar_t* name) {
  AnyType v;
  return _GetVariable(m, name, &v) == 0 && v.GetType() == AnyType::kInteger ? v.GetIntValue() : -1;
}

}  // namespace detail

// Runs the soak on a fresh object of the given host (null: none).
inline Result Run(const Config& config, HostInterface* host = nullptr) {
  Result result;
  QorMacro* m = _CreateQorMacro(host);
  if (m == nullptr) return result;
  for (const std::string& line : detail::Program(config.passes)) {
    if (_DirectExecute(m, detail::Wide(line).c_str()) != 0) {
      std::fprintf(stderr, "soak: the program line failed: %s\n", line.c_str());
      ++result.hostBad;
    }
  }

  std::atomic<int64_t> progress{0};
  std::atomic<int64_t> bad{0};
  std::atomic<int> hostsLeft{kHostThreads + 1};
  std::atomic<bool> finished{false};
  std::atomic<int64_t> labelCalls{0};
  std::atomic<int64_t> rounds{0};

  std::thread watchdog([&] {
    int64_t seen = -1;
    auto since = std::chrono::steady_clock::now();
    while (!finished.load()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      const int64_t now = progress.load(std::memory_order_relaxed);
      if (now != seen) {
        seen = now;
        since = std::chrono::steady_clock::now();
      } else if (std::chrono::steady_clock::now() - since > std::chrono::seconds(config.stallSeconds)) {
        std::fprintf(stderr, "soak: no progress for %d s after %lld operations: a deadlock\n",
                     config.stallSeconds, static_cast<long long>(now));
        std::_Exit(3);
      }
    }
  });

  std::vector<std::thread> threads;
  for (int id = 0; id < kHostThreads; ++id) {
    threads.emplace_back([&, id] {
      detail::HostLoop(m, id, config.hostOps, progress, bad);
      --hostsLeft;
    });
  }
  threads.emplace_back([&] {
    for (int i = 0; i < config.labelCalls; ++i) {
      if (_Gosub(m, L"*PING") != 0) ++bad;
      ++labelCalls;
      progress.fetch_add(1, std::memory_order_relaxed);
    }
    --hostsLeft;
  });
  // Blocks run until every other thread is done, and at least once.
  threads.emplace_back([&] {
    do {
      if (_Gosub(m, L"*PAR") != 0) ++bad;
      ++rounds;
      ++labelCalls;
      progress.fetch_add(1, std::memory_order_relaxed);
    } while (hostsLeft.load() > 0);
  });
  for (std::thread& t : threads) t.join();
  finished = true;
  watchdog.join();

  result.hostCalls = int64_t{kHostThreads} * config.hostOps;
  result.labelCalls = labelCalls.load();
  result.rounds = rounds.load();
  result.taskPasses = result.rounds * kTaskRunsPerRound * config.passes;
  result.hostBad += bad.load();
  result.programBad = detail::IntegerOf(m, L"BAD&");
  result.counted = detail::IntegerOf(m, L"C&");
  result.ticks = detail::IntegerOf(m, L"G&");
  result.pings = detail::IntegerOf(m, L"P&");
  _DeleteQorMacro(m);
  return result;
}

}  // namespace msc::soak
