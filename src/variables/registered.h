// The registered-variable list: variables a host declares by name through
// the variable exports, each with two free-text fields, declared again after
// every program load. Entries are "NAME:ATTR:INIT" (NAME in upper case, with
// any subscripts: "LIMIT&(10)"); a leading part of the list can be protected
// against redefinition and deletion.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/errors.h"

class QorMacro;

namespace msc {

struct RegisteredVariable {
  std::wstring name;  // upper case, with any subscripts
  std::wstring attr;  // kept for the host, never interpreted
  std::wstring init;  // initial value text; empty for none
};

struct RegisteredList {
  std::vector<RegisteredVariable> entries;
  int32_t protectedCount = 0;  // entries 0 .. protectedCount - 1 are protected
};

// The host's list commands; each returns 0 or -1.
[[nodiscard]] int32_t DefineRegistered(QorMacro& m, const std::wstring& text) noexcept;
[[nodiscard]] int32_t DeleteRegistered(QorMacro& m, const std::wstring& name) noexcept;
// "variableList" (replace), "variableList+" (add); with protect the
// protected count becomes the number of entries afterwards.
[[nodiscard]] int32_t DefineRegisteredList(QorMacro& m, const std::wstring& list, bool replace,
                                           bool protect) noexcept;
// Entries first .. last - 1 as "NAME:ATTR:INIT" joined by ";"; which selects
// all (0), the protected (1) or the unprotected (2) entries.
[[nodiscard]] bool RegisteredListText(const QorMacro& m, int which, std::wstring& out) noexcept;

// Declares every registered variable again ("Dim NAME", or "ReDim NAME" when
// the name exists) and applies its INIT. Failures are skipped.
void RecreateRegisteredVariables(QorMacro& m) noexcept;

}  // namespace msc
