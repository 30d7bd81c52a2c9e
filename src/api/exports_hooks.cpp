// The exports beyond the 28 that a host embedding the engine needs: its own
// console output hook and the last error of an object.
#include "api/config.h"
#include "api/last_error.h"
#include "api/qor_macro.h"
#include "macro_sc/macro_sc.h"

int32_t _SetOutputHookQorMacro(QorMacro* macro, MscOutputHook hook, void* context) {
  if (macro == nullptr) return -1;
  macro->console.Set(hook, hook != nullptr ? context : nullptr);
  return 0;
}

int32_t _GetLastErrorQorMacro(QorMacro* macro, MscLastError* out) {
  if (macro == nullptr || out == nullptr) return -1;
  msc::ReadLastError(*macro, *out);
  return 0;
}

uint32_t _GetCodePageQorMacro(void) { return msc::CodePage(); }
