// How the front serves one call: the call's arguments as JSON, the faults
// that may answer it instead of the model, and its line in the trace.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "call_table.h"
#include "json_values.h"
#include "macro_sc/host.h"
#include "sim_internal.h"

namespace msc::sim::front {

// --- Arguments as JSON -----------------------------------------------------

inline Json J(int32_t v) { return v; }
inline Json J(double v) { return v; }
inline Json J(const wchar_t* text) { return TextToJson(text); }
inline Json J(const AnyType* value) { return value != nullptr ? ValueToJson(*value) : Json(); }
inline Json J(const Json& json) { return json; }
// A narrow text in the macro code page: a string when it is UTF-8, else its bytes.
inline Json J(const char* text) {
  if (text == nullptr) return nullptr;
  const std::string s = text;
  if (ToUtf8(FromUtf8(s)) == s) return s;
  return BytesToJson(s.data(), s.size());
}

template <class... T>
Json A(const T&... values) {
  Json array = Json::array();
  (array.push_back(J(values)), ...);
  return array;
}

// An output place: its value, null when there is no place.
template <class T>
Json P(const T* place) {
  return place != nullptr ? J(*place) : Json();
}

// --- The trace and the faults ----------------------------------------------

// Set while a trace runs (trace_writer.cpp) and while faults are set
// (faults.cpp): the JSON of a call is built only when one of them needs it.
extern std::atomic<bool> g_tracing;
extern std::atomic<bool> g_faulted;
// Set while delays are set (delays.cpp).
extern std::atomic<bool> g_delayed;

// Writes one call's line to the trace, if one runs.
void Record(const CallInfo& info, const std::string* channel, Json args, Json result, Json out,
            bool fault);

// Counts the call with every fault it matches; the status of the first
// that fires.
std::optional<int32_t> TakeFault(std::string_view name, const std::string* channel,
                                 const Json& args);

// Sleeps for the delay the scenario gives calls of this name, if any.
void Wait(std::string_view name);

// --- Serving one call ------------------------------------------------------

// Runs a call of the model: args and outs give the call's inputs and outputs
// as JSON, built only when a trace or a fault needs them. Nothing the model
// throws (it may run out of memory) passes the front: the call fails.
template <To kTo, int kSlot, class Args, class Call, class Outs>
auto Serve(const std::string* channel, Args&& args, Call&& call, Outs&& outs) -> decltype(call()) {
  using R = decltype(call());
  constexpr const CallInfo& info = FindCall(kTo, kSlot);
  const bool tracing = g_tracing.load(std::memory_order_acquire);
  const bool faulty = g_faulted.load(std::memory_order_acquire);
  Json in;
  if (tracing || faulty) in = args();
  const std::optional<int32_t> fault = faulty ? TakeFault(info.name, channel, in) : std::nullopt;
  if (g_delayed.load(std::memory_order_acquire)) Wait(info.name);
  R result{};
  if (fault) {
    result = static_cast<R>(*fault);
  } else {
    try {
      result = call();
    } catch (...) {
      if constexpr (std::is_same_v<R, int32_t>) result = 1;
    }
  }
  if (tracing) {
    Json out;
    if (!fault && (!std::is_same_v<R, int32_t> || result == 0)) out = outs();
    Record(info, channel, std::move(in), Json(result), std::move(out), fault.has_value());
  }
  return result;
}

template <To kTo, int kSlot, class Args, class Call>
auto Serve(const std::string* channel, Args&& args, Call&& call) -> decltype(call()) {
  return Serve<kTo, kSlot>(channel, std::forward<Args>(args), std::forward<Call>(call),
                             [] { return Json(); });
}

// A call whose arguments are all inputs and that writes nothing back: the
// arguments are traced as they are passed on.
template <To kTo, int kSlot, class Object, class R, class... P, class... T>
R Pass(const std::string* channel, Object* model, R (Object::*op)(P...), T... args) {
  return Serve<kTo, kSlot>(channel, [&] { return A(args...); },
                           [&] { return (model->*op)(args...); });
}

// A text query (number, buffer and, for some, the capacity): the number is
// traced in, the text out.
template <To kTo, int kSlot, class Object, class... Rest>
int32_t PassText(Object* model, int32_t (Object::*op)(int32_t, wchar_t*, Rest...), int32_t number,
                 wchar_t* buffer, Rest... rest) {
  return Serve<kTo, kSlot>(nullptr, [&] { return A(number); },
                           [&] { return (model->*op)(number, buffer, rest...); },
                           [&] { return A(buffer); });
}

// A value query: the inputs are traced in, the value the last argument
// receives out.
template <To kTo, int kSlot, class Object, class Op, class... T>
int32_t PassValue(Object* model, Op op, AnyType* value, T... in) {
  return Serve<kTo, kSlot>(nullptr, [&] { return A(in...); },
                           [&] { return (model->*op)(in..., value); }, [&] { return A(value); });
}

// The front of a channel of the model (front_io.cpp); fronts are never destroyed.
IoModule* ChannelFront(IoModule* model, const wchar_t* name);

}  // namespace msc::sim::front
