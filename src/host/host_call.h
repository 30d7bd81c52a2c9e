// Host commands whose arguments map one to one onto an operation's
// parameters: each parameter type says how its argument is read (int32_t an
// integer, double a real, const wchar_t* a text), the operation is called
// with them in order, and its status decides the result.
//
//   ChangeScene 3               -> CoreServices::ChangeScene(3)
//   SetSceneTitle 3, "Front"    -> CoreServices::SetSceneTitle(3, L"Front")
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

#include "engine/evaluator.h"
#include "macro_sc/host.h"
#include "host/host_operands.h"

namespace msc::host {

// How text arguments are read: cut to 1023 characters, or whole.
enum class TextForm { kShort, kLong };

template <class T, TextForm kForm>
struct Parameter;

template <TextForm kForm>
struct Parameter<int32_t, kForm> {
  int32_t value = 0;
  ErrNo Read(ArgumentList& args) noexcept { return args.Integer(&value); }
  int32_t Get() const noexcept { return value; }
};

template <TextForm kForm>
struct Parameter<double, kForm> {
  double value = 0.0;
  ErrNo Read(ArgumentList& args) noexcept {
    args.Next();
    return DoubleArgument(args.frame(), &value);
  }
  double Get() const noexcept { return value; }
};

template <>
struct Parameter<const wchar_t*, TextForm::kShort> {
  wchar_t value[kShortTextSize] = {};
  ErrNo Read(ArgumentList& args) noexcept { return args.Text(value); }
  const wchar_t* Get() const noexcept { return value; }
};

template <>
struct Parameter<const wchar_t*, TextForm::kLong> {
  std::wstring value;
  ErrNo Read(ArgumentList& args) noexcept { return args.LongText(&value); }
  const wchar_t* Get() const noexcept { return value.c_str(); }
};

inline ErrNo ObjectOf(ExecFrame& f, CoreServices** out) noexcept { return CoreOf(f, out); }
inline ErrNo ObjectOf(ExecFrame& f, HostInterface** out) noexcept { return HostOf(f, out); }

// Reads one argument per parameter, then calls the operation.
template <TextForm kForm = TextForm::kShort, class Object, class... P>
[[nodiscard]] ErrNo Command(ExecFrame& f, int32_t (Object::*operation)(P...)) noexcept {
  ArgumentList args(f);
  std::tuple<Parameter<P, kForm>...> values;
  ErrNo e = kOk;
  std::apply([&](auto&... v) { ((e = e != kOk ? e : v.Read(args)), ...); }, values);
  if (e != kOk) return e;
  Object* object = nullptr;
  if (ErrNo missing = ObjectOf(f, &object); missing != kOk) return missing;
  return std::apply(
      [&](auto&... v) { return Status((object->*operation)(v.Get()...)); }, values);
}

}  // namespace msc::host
