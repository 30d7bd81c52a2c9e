// Host commands that hand the controller a file name as their last
// argument (SaveScene 3, "front.json"). The name goes through the object's
// permissions first: inside a sandbox the controller gets the name of the
// file already opened in an allowed folder.
#pragma once

#include <fcntl.h>

#include <tuple>
#include <type_traits>
#include <utility>

#include "host/host_call.h"
#include "statements/permissions.h"

namespace msc::host {

// flags: O_RDONLY for a load, O_WRONLY | O_CREAT for a save.
template <class Object, class... P>
[[nodiscard]] ErrNo FileCommand(ExecFrame& f, int32_t (Object::*operation)(P...), int flags) noexcept {
  static_assert(sizeof...(P) > 0, "the file name is the last argument");
  constexpr size_t kLast = sizeof...(P) - 1;
  static_assert(std::is_same_v<std::tuple_element_t<kLast, std::tuple<P...>>, const wchar_t*>);
  ArgumentList args(f);
  std::tuple<Parameter<P, TextForm::kShort>...> values;
  ErrNo e = kOk;
  std::apply([&](auto&... v) { ((e = e != kOk ? e : v.Read(args)), ...); }, values);
  if (e != kOk) return e;
  Object* object = nullptr;
  if (ErrNo missing = ObjectOf(f, &object); missing != kOk) return missing;
  HeldName file(f, std::get<kLast>(values).Get(), flags, HeldName::Base::kConfigDirectory);
  if (!file) return kErrIllegalCall;
  const auto argument = [&](auto index) {
    if constexpr (decltype(index)::value == kLast) {
      return file.name();
    } else {
      return std::get<decltype(index)::value>(values).Get();
    }
  };
  const ErrNo result = [&]<size_t... I>(std::index_sequence<I...>) {
    return Status((object->*operation)(argument(std::integral_constant<size_t, I>{})...));
  }(std::make_index_sequence<sizeof...(P)>{});
  if (result == kOk) file.Succeeded();
  return result;
}

}  // namespace msc::host
