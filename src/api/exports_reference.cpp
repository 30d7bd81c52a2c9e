// The reference-variable exports. Every one returns -1 for a null object
// (the list: an empty text) and never lets an exception out.
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#include "api/last_error.h"
#include "api/qor_macro.h"
#include "macro_sc/macro_sc.h"
#include "variables/reference.h"

namespace msc {
namespace {

constexpr int32_t kFailed = -1;

// Only objects made by _CreateQorMacro carry a reference table.
_QorMacro* Derived(QorMacro* macro) noexcept { return dynamic_cast<_QorMacro*>(macro); }

wchar_t kEmptyText[1] = {L'\0'};

void ReleaseText(MacroWideText* self) noexcept {
  if (self == nullptr) return;
  if (self->text != kEmptyText) std::free(self->text);
  self->text = kEmptyText;
  self->length = 0;
}

MacroWideText MakeText(const std::wstring& text) noexcept {
  MacroWideText out{kEmptyText, 0, ReleaseText};
  auto* copy = static_cast<wchar_t*>(std::malloc((text.size() + 1) * sizeof(wchar_t)));
  if (copy == nullptr) return out;
  std::wmemcpy(copy, text.c_str(), text.size() + 1);
  out.text = copy;
  out.length = static_cast<int32_t>(text.size());
  return out;
}

}  // namespace
}  // namespace msc

using namespace msc;

int32_t _SetReferenceVariable(QorMacro* macro, const wchar_t* name, AnyType* value) {
  _QorMacro* m = Derived(macro);
  if (m == nullptr || value == nullptr) return kFailed;
  ExportScope scope(*m);
  return scope.Status(BindReference(*m, name, value->GetString()) ? 0 : kFailed);
}

int32_t _GetReferenceVariable(QorMacro* macro, const wchar_t* name, AnyType* value) {
  _QorMacro* m = Derived(macro);
  if (m == nullptr || value == nullptr) return kFailed;
  try {
    std::wstring definition;
    if (!ReferenceDefinition(*m, name, definition)) return kFailed;
    return value->SetData(definition.c_str()) == 0 ? 0 : kFailed;
  } catch (const std::bad_alloc&) {
    return kFailed;
  }
}

int32_t _RenumReferenceVariable(QorMacro* macro, ReferenceRenumbering* renumbering) {
  _QorMacro* m = Derived(macro);
  if (m == nullptr || renumbering == nullptr) return kFailed;
  ExportScope scope(*m);
  return scope.Status(RenumberReferences(*m, *renumbering) ? 0 : kFailed);
}

int32_t _GetReferenceVariableSize(QorMacro* macro) {
  _QorMacro* m = Derived(macro);
  if (m == nullptr) return kFailed;
  try {
    std::wstring saved;
    if (!SaveReferences(*m, saved)) return kFailed;
    return static_cast<int32_t>(saved.size() * sizeof(wchar_t));
  } catch (const std::bad_alloc&) {
    return kFailed;
  }
}

int32_t _SaveReferenceVariableM(QorMacro* macro, wchar_t* buffer) {
  _QorMacro* m = Derived(macro);
  if (m == nullptr || buffer == nullptr) return kFailed;
  try {
    std::wstring saved;
    if (!SaveReferences(*m, saved)) return kFailed;
    std::wmemcpy(buffer, saved.data(), saved.size());
    return 0;
  } catch (const std::bad_alloc&) {
    return kFailed;
  }
}

int32_t _LoadReferenceVariableM(QorMacro* macro, const wchar_t* buffer) {
  _QorMacro* m = Derived(macro);
  if (m == nullptr || buffer == nullptr) return kFailed;
  ExportScope scope(*m);
  return scope.Status(LoadReferences(*m, buffer) ? 0 : kFailed);
}

MacroWideText _GetReferenceVariableList2(QorMacro* macro) {
  _QorMacro* m = Derived(macro);
  if (m == nullptr) return MakeText(std::wstring());
  try {
    std::wstring list;
    if (!ReferenceList(*m, list)) return MakeText(std::wstring());
    return MakeText(list);
  } catch (const std::bad_alloc&) {
    return MakeText(std::wstring());
  }
}

int32_t _ClearReferenceVariable(QorMacro* macro) {
  _QorMacro* m = Derived(macro);
  if (m == nullptr) return kFailed;
  ClearReferences(*m);
  return 0;
}
