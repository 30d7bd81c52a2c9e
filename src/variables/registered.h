// The registered-variable list: variables a host declares by name through the
// variable access exports, re-created after every program load.
#pragma once

#include <string>
#include <vector>

class QorMacro;

namespace msc {

struct RegisteredVariable {
  std::wstring name;  // upper case, with any subscripts: "LIMIT&(10)"
  std::wstring attr;  // free text kept for the host
  std::wstring init;  // initial value text; empty for none
};

// The object's list in definition order; null while its host has registered
// no variable.
[[nodiscard]] const std::vector<RegisteredVariable>* RegisteredVariables(const QorMacro& m) noexcept;

// Declares every registered variable again ("Dim NAME", or "ReDim NAME" when
// the name exists). Failures are skipped; the operation always succeeds.
void RecreateRegisteredVariables(QorMacro& m) noexcept;

}  // namespace msc
