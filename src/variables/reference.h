// Reference variables: "@" variables bound by name to a data item of the
// controller (a unit's data item, a system data item, a global data item).
//
// The binding table maps the upper-case name to its target; it lives in the
// macro object from the first binding on and is guarded by the object's
// reference lock. Definition texts, the form the host binds with and gets
// back:
//
//   "U<unit>.<item>"         unit data item    (host slots 19 set, 21 get)
//   "S.<section>.<name>"     system data item  (core slots 0 set, 1 get)
//   "G.<name>"               global data item  (core slots 154 set, 155 get)
//
// Saved form, wide text: name, 0, definition, 0, ... for every binding, then
// one more 0.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "engine/errors.h"
#include "engine/value.h"

class QorMacro;
class _QorMacro;
class AnyType;
class ReferenceRenumbering;

namespace msc {

inline constexpr int32_t kTargetSystem = -100;
inline constexpr int32_t kTargetGlobal = -200;
// The list text of all bound names may not grow beyond this.
inline constexpr size_t kReferenceListLimit = 32767;
// Characters of a name that count; the rest is cut.
inline constexpr size_t kReferenceNameLimit = 1023;

struct ReferenceBinding {
  int32_t target = 0;   // unit number (0 or more), kTargetSystem or kTargetGlobal
  std::wstring first;   // item name, section, or global data name
  std::wstring second;  // the name within the section (system data only)
};

struct ReferenceTable {
  std::map<std::wstring, ReferenceBinding> bindings;
};

// Binds, rebinds or (empty definition) unbinds name. False for a name
// without the final "@", a definition of no known form, or a table that
// would outgrow its list limit.
[[nodiscard]] bool BindReference(_QorMacro& m, const wchar_t* name, const wchar_t* definition) noexcept;
// The definition text of a bound name; false when it is not bound.
[[nodiscard]] bool ReferenceDefinition(_QorMacro& m, const wchar_t* name, std::wstring& out) noexcept;
// Applies renumbering to every unit binding; false without a table.
[[nodiscard]] bool RenumberReferences(_QorMacro& m, ReferenceRenumbering& renumbering) noexcept;
// All bound names joined by ","; false when memory runs out.
[[nodiscard]] bool ReferenceList(_QorMacro& m, std::wstring& out) noexcept;
// The saved form as wide characters, its terminating empty text included.
[[nodiscard]] bool SaveReferences(_QorMacro& m, std::wstring& out) noexcept;
// Unbinds everything, then binds each pair of a saved form; false when any
// pair is refused (the others are bound).
[[nodiscard]] bool LoadReferences(_QorMacro& m, const wchar_t* saved) noexcept;
void ClearReferences(_QorMacro& m) noexcept;

// The macro object's two lookup operations: 0, or 5 when the name is not
// bound, the target is of no known kind or the controller refuses.
[[nodiscard]] ErrNo SetReferenceValue(_QorMacro& m, const wchar_t* name, AnyType* value) noexcept;
[[nodiscard]] ErrNo GetReferenceValue(_QorMacro& m, const wchar_t* name, AnyType* value) noexcept;

// A reference cell (tag 0xE6) read and written by a program, through the
// macro object's lookup operations.
[[nodiscard]] ErrNo ReadReference(QorMacro& m, const uint8_t* cell, Value& out) noexcept;
[[nodiscard]] ErrNo WriteReference(QorMacro& m, const uint8_t* cell, Value& v) noexcept;

}  // namespace msc
