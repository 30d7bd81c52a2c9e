// Helpers shared by the unit tests.
#pragma once

#include <memory>
#include <string>

#include "api/qor_macro.h"
#include "macro_sc/macro_sc.h"

namespace msc::test {

struct MacroDeleter {
  void operator()(QorMacro* m) const { _DeleteQorMacro(m); }
};
using MacroPtr = std::unique_ptr<QorMacro, MacroDeleter>;

// A fresh macro object on a null host interface.
inline MacroPtr NewMacro() { return MacroPtr(_CreateQorMacro(nullptr)); }

}  // namespace msc::test
