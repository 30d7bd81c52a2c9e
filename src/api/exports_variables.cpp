// The exports through which the host reads and writes variables by name.
// A few reserved names (compared without regard to case) maintain the
// registered-variable list instead. Results: 0, or -1 for any failure.
#include <cwchar>
#include <new>
#include <string>

#include "api/last_error.h"
#include "api/qor_macro.h"
#include "macro_sc/macro_sc.h"
#include "variables/host_access.h"
#include "variables/host_value.h"
#include "variables/registered.h"

namespace msc {
namespace {

constexpr int32_t kFailed = -1;
constexpr size_t kNameSize = 1024;

bool Is(const wchar_t* name, const wchar_t* reserved) noexcept {
  return ::wcscasecmp(name, reserved) == 0;
}

}  // namespace
}  // namespace msc

using namespace msc;

int32_t _SetVariable(QorMacro* macro, const wchar_t* name, AnyType* value) {
  if (macro == nullptr || name == nullptr || value == nullptr) return kFailed;
  QorMacro& m = *macro;
  ExportScope scope(m);
  try {
    const wchar_t* text = value->GetString();
    if (Is(name, L"setVariable")) return scope.Status(DefineRegistered(m, text));
    if (Is(name, L"deleteVariable")) return scope.Status(DeleteRegistered(m, text));
    if (Is(name, L"variableList")) return scope.Status(DefineRegisteredList(m, text, true, false));
    if (Is(name, L"variableListRO")) return scope.Status(DefineRegisteredList(m, text, true, true));
    if (Is(name, L"variableList+")) return scope.Status(DefineRegisteredList(m, text, false, false));
    if (Is(name, L"variableList+RO")) return scope.Status(DefineRegisteredList(m, text, false, true));
    char line[kNameSize];
    (void)WideToCodePage(name, line, sizeof line);
    const ErrNo e = AssignFromHost(m, line, *value);
    scope.Cause(e);
    return scope.Status(e == kOk ? 0 : kFailed);
  } catch (const std::bad_alloc&) {
    scope.Cause(kErrOutOfMemory);
    return scope.Status(kFailed);
  }
}

int32_t _GetVariable(QorMacro* macro, const wchar_t* name, AnyType* value) {
  if (macro == nullptr || name == nullptr || value == nullptr) return kFailed;
  QorMacro& m = *macro;
  ExportScope scope(m);
  try {
    int which = -1;
    if (Is(name, L"variableList")) which = 0;
    if (Is(name, L"variableListRO")) which = 1;
    if (Is(name, L"variableListRW")) which = 2;
    if (which >= 0) {
      std::wstring list;
      if (!RegisteredListText(m, which, list)) return scope.Status(kFailed);
      return scope.Status(value->SetData(list.c_str()) == 0 ? 0 : kFailed);
    }
    char line[kNameSize];
    (void)WideToCodePage(name, line, sizeof line);
    const ErrNo e = EvaluateForHost(m, line, *value);
    scope.Cause(e);
    return scope.Status(e == kOk ? 0 : kFailed);
  } catch (const std::bad_alloc&) {
    scope.Cause(kErrOutOfMemory);
    return scope.Status(kFailed);
  }
}
