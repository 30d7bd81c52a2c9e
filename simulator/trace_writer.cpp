// The trace of the calls that reach the simulated controller, written by
// the front (front_core.cpp, front_host.cpp, front_io.cpp).
//
// A trace is JSON Lines, one object per call in the order the calls finished:
//
//   {"n":3,"object":"host","slot":21,"op":"GetUnitData","args":[1,"CR"],"status":0,"out":[95.2]}
//
// "n" counts from 1; "object" is "host" (the host interface), "core" (the
// core services object), "io" (a channel, named by "channel") or "lib" (a
// host library function, which has no slot); "args" are the input
// arguments; "status" is what the call returned (for a query, its answer);
// "out" is what it wrote into its output places when it succeeded; and
// "fault": true marks a call that a scenario's fault answered. Values are
// written as json_values.h says.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "call_table.h"
#include "json_values.h"
#include "serve.h"
#include "simulator.h"

namespace msc::sim {
namespace front {

std::atomic<bool> g_tracing{false};

namespace {

struct TraceState {
  std::mutex mutex;
  std::FILE* file = nullptr;
  bool owned = false;  // opened here, closed here
  uint64_t sequence = 0;
};

TraceState& Trace() {
  static auto* t = new TraceState;
  return *t;
}

}  // namespace

void Record(const CallInfo& info, const std::string* channel, Json args, Json result, Json out,
            bool fault) {
  TraceState& t = Trace();
  std::lock_guard<std::mutex> guard(t.mutex);
  if (t.file == nullptr) return;
  Json line = Json::object();
  line["n"] = ++t.sequence;
  line["object"] = kToNames[info.to];
  if (channel != nullptr) line["channel"] = *channel;
  if (info.to != kLib) line["slot"] = info.slot;
  line["op"] = std::string(info.name);
  line["args"] = std::move(args);
  line["status"] = std::move(result);
  if (!out.is_null()) line["out"] = std::move(out);
  if (fault) line["fault"] = true;
  const std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace);
  std::fputs(text.c_str(), t.file);
  std::fputc('\n', t.file);
  std::fflush(t.file);
}

}  // namespace front

using front::Trace;
using front::TraceState;
using front::g_tracing;

bool StartHostTrace(const std::string& path, std::string* message) {
  std::FILE* file = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    if (message != nullptr) *message = path + ": " + std::strerror(errno);
    return false;
  }
  StopHostTrace();
  TraceState& t = Trace();
  std::lock_guard<std::mutex> guard(t.mutex);
  t.file = file;
  t.owned = file != stdout;
  t.sequence = 0;
  g_tracing.store(true, std::memory_order_release);
  return true;
}

void StopHostTrace() {
  TraceState& t = Trace();
  std::lock_guard<std::mutex> guard(t.mutex);
  g_tracing.store(false, std::memory_order_release);
  if (t.file == nullptr) return;
  if (t.owned) std::fclose(t.file);
  else std::fflush(t.file);
  t.file = nullptr;
}

}  // namespace msc::sim
