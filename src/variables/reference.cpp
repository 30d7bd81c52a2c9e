// Reference variables: the binding table, its saved form and list, and the
// two lookup operations that carry values between "@" variables and the
// controller.
#include "variables/reference.h"

#include <cwchar>
#include <cwctype>
#include <new>

#include "api/qor_macro.h"
#include "engine/host_window.h"
#include "engine/variables.h"
#include "macro_sc/host.h"
#include "variables/host_value.h"

namespace msc {
namespace {

// Upper-cases a to z only, as the binding names are stored; other characters
// (also non-ASCII letters) stay as they are. Cut at the name limit.
std::wstring TableName(const wchar_t* name) {
  std::wstring out;
  for (const wchar_t* p = name; *p != L'\0' && out.size() < kReferenceNameLimit; ++p)
    out += (*p >= L'a' && *p <= L'z') ? static_cast<wchar_t>(*p - L'a' + L'A') : *p;
  return out;
}

// Parses a definition text; false when it has no known form.
bool ParseDefinition(const wchar_t* text, ReferenceBinding& out) {
  const wchar_t kind = text[0];
  const wchar_t* rest = text + 1;
  switch (kind) {
    case L'G': case L'g': out.target = kTargetGlobal; break;
    case L'S': case L's': out.target = kTargetSystem; break;
    case L'U': case L'u': {
      wchar_t* end = nullptr;
      const long unit = std::wcstol(rest, &end, 10);
      // A negative unit would read as one of the other targets.
      if (unit < 0 || unit > INT32_MAX) return false;
      out.target = static_cast<int32_t>(unit);
      rest = end;
      break;
    }
    default: return false;
  }
  if (*rest != L'.') return false;
  const std::wstring names(rest + 1);
  if (out.target == kTargetSystem) {
    const size_t dot = names.find(L'.');
    if (dot == std::wstring::npos) return false;
    out.first = names.substr(0, dot);
    out.second = names.substr(dot + 1);
  } else {
    out.first = names;
    out.second.clear();
  }
  return true;
}

std::wstring DefinitionText(const ReferenceBinding& b) {
  if (b.target >= 0) return L"U" + std::to_wstring(b.target) + L"." + b.first;
  if (b.target == kTargetSystem) return L"S." + b.first + L"." + b.second;
  if (b.target == kTargetGlobal) return L"G." + b.first;
  return L"#ERR";
}

size_t ListLength(const ReferenceTable& table) {
  size_t n = 0;
  for (const auto& [name, binding] : table.bindings) n += (n != 0 ? 1 : 0) + name.size();
  return n;
}

// Makes sure the bound name exists as a variable before any line uses it.
void CreateReferenceCell(QorMacro& m, const std::wstring& name) noexcept {
  char text[kReferenceNameLimit + 1];
  const size_t length = WideToCodePage(name.c_str(), text, sizeof text);
  if (length == 0 || length > kMaxNameLength) return;
  uint8_t tag;
  switch (text[length - 1]) {
    case '@': tag = kTagReference; break;
    case '&': tag = kTagInteger; break;
    case '#': tag = kTagDouble; break;
    case '$': tag = kTagString; break;
    case '!': tag = kTagVariant; break;
    default: return;
  }
  platform::LockGuard hold(m.lock);
  FindStatus status;
  (void)m.variables.FindCell(tag, text, length, FindMode::FindOrCreate, &status);
}

// The binding of name, copied out so that the controller is called without
// the reference lock held.
bool FindBinding(_QorMacro& m, const wchar_t* name, ReferenceBinding& out) {
  const std::wstring key = TableName(name);
  platform::LockGuard hold(m.referenceLock);
  if (!m.referenceMap) return false;
  const auto it = m.referenceMap->bindings.find(key);
  if (it == m.referenceMap->bindings.end()) return false;
  out = it->second;
  return true;
}

CoreServices* CoreOf(const QorMacro& m) noexcept {
  return m.core != nullptr ? m.core : GetQorCoreRA();
}

// The name of a reference cell as wide text.
bool CellWideName(const uint8_t* cell, std::wstring& out) noexcept {
  return CodePageToWide(CellName(cell), CellNameLength(cell), out);
}

}  // namespace

bool BindReference(_QorMacro& m, const wchar_t* name, const wchar_t* definition) noexcept {
  if (name == nullptr || definition == nullptr) return false;
  try {
    const std::wstring key = TableName(name);
    if (key.empty() || key.back() != L'@') return false;
    if (*definition == L'\0') {
      platform::LockGuard hold(m.referenceLock);
      if (m.referenceMap) m.referenceMap->bindings.erase(key);
      return true;
    }
    ReferenceBinding binding;
    if (!ParseDefinition(definition, binding)) return false;
    {
      platform::LockGuard hold(m.referenceLock);
      if (!m.referenceMap) m.referenceMap = std::make_unique<ReferenceTable>();
      auto& bindings = m.referenceMap->bindings;
      if (bindings.count(key) == 0) {
        const size_t listed = ListLength(*m.referenceMap);
        if (listed + (listed != 0 ? 1 : 0) + key.size() > kReferenceListLimit) return false;
      }
      bindings[key] = std::move(binding);
    }
    if (m.explicitFlag == 0) CreateReferenceCell(m, key);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool ReferenceDefinition(_QorMacro& m, const wchar_t* name, std::wstring& out) noexcept {
  if (name == nullptr) return false;
  try {
    ReferenceBinding binding;
    if (!FindBinding(m, name, binding)) return false;
    out = DefinitionText(binding);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool RenumberReferences(_QorMacro& m, ReferenceRenumbering& renumbering) noexcept {
  platform::LockGuard hold(m.referenceLock);
  if (!m.referenceMap) return false;
  for (auto& [name, binding] : m.referenceMap->bindings)
    if (binding.target >= 0) binding.target = renumbering.Renumber(binding.target);
  return true;
}

bool ReferenceList(_QorMacro& m, std::wstring& out) noexcept {
  try {
    out.clear();
    platform::LockGuard hold(m.referenceLock);
    if (!m.referenceMap) return true;
    for (const auto& [name, binding] : m.referenceMap->bindings) {
      if (!out.empty()) out += L',';
      out += name;
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool SaveReferences(_QorMacro& m, std::wstring& out) noexcept {
  try {
    out.clear();
    platform::LockGuard hold(m.referenceLock);
    if (m.referenceMap) {
      for (const auto& [name, binding] : m.referenceMap->bindings) {
        out += name;
        out += L'\0';
        out += DefinitionText(binding);
        out += L'\0';
      }
    }
    out += L'\0';
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool LoadReferences(_QorMacro& m, const wchar_t* saved) noexcept {
  if (saved == nullptr) return false;
  ClearReferences(m);
  bool all = true;
  // The pairs run until an empty name; the list limit also bounds a saved
  // form that was never terminated properly.
  size_t bound = 0;
  for (const wchar_t* p = saved; *p != L'\0' && bound <= kReferenceListLimit; ++bound) {
    const wchar_t* definition = p + std::wcslen(p) + 1;
    if (!BindReference(m, p, definition)) all = false;
    p = definition + std::wcslen(definition) + 1;
  }
  return all;
}

void ClearReferences(_QorMacro& m) noexcept {
  platform::LockGuard hold(m.referenceLock);
  m.referenceMap.reset();
}

ErrNo SetReferenceValue(_QorMacro& m, const wchar_t* name, AnyType* value) noexcept {
  if (name == nullptr || value == nullptr) return kErrIllegalCall;
  try {
    ReferenceBinding b;
    if (!FindBinding(m, name, b)) return kErrIllegalCall;
    int32_t status = -1;
    const HostWindow window(m);
    if (b.target >= 0) {
      if (m.host != nullptr) status = m.host->SetUnitData(b.target, b.first.c_str(), value);
    } else if (CoreServices* core = CoreOf(m); core == nullptr) {
      status = -1;
    } else if (b.target == kTargetSystem) {
      status = core->SetSystemData(b.first.c_str(), b.second.c_str(), value);
    } else if (b.target == kTargetGlobal) {
      status = core->SetGlobalData(b.first.c_str(), value);
    }
    return status == 0 ? kOk : kErrIllegalCall;
  } catch (const std::bad_alloc&) {
    return kErrIllegalCall;
  }
}

ErrNo GetReferenceValue(_QorMacro& m, const wchar_t* name, AnyType* value) noexcept {
  if (value == nullptr) return kErrIllegalCall;
  try {
    if (name == nullptr) {
      std::wstring list;
      if (!ReferenceList(m, list)) return kErrIllegalCall;
      return value->SetData(list.c_str()) == 0 ? kOk : kErrIllegalCall;
    }
    ReferenceBinding b;
    if (!FindBinding(m, name, b)) return kErrIllegalCall;
    int32_t status = -1;
    const HostWindow window(m);
    if (b.target >= 0) {
      if (m.host != nullptr) status = m.host->GetUnitData(b.target, b.first.c_str(), value);
    } else if (CoreServices* core = CoreOf(m); core == nullptr) {
      status = -1;
    } else if (b.target == kTargetSystem) {
      status = core->GetSystemData(b.first.c_str(), b.second.c_str(), value);
    } else if (b.target == kTargetGlobal) {
      status = core->GetGlobalData(b.first.c_str(), value);
    }
    return status == 0 ? kOk : kErrIllegalCall;
  } catch (const std::bad_alloc&) {
    return kErrIllegalCall;
  }
}

ErrNo ReadReference(QorMacro& m, const uint8_t* cell, Value& out) noexcept {
  std::wstring name;
  if (!CellWideName(cell, name)) return kErrOutOfMemory;
  AnyType host;
  if (ErrNo e = m.GetReference(name.c_str(), &host); e != kOk) return e;
  return HostToValue(host, out, static_cast<size_t>(-1));
}

ErrNo WriteReference(QorMacro& m, const uint8_t* cell, Value& v) noexcept {
  std::wstring name;
  if (!CellWideName(cell, name)) return kErrOutOfMemory;
  AnyType host;
  if (ErrNo e = ValueToHost(v, host); e != kOk) return e;
  return m.SetReference(name.c_str(), &host);
}

}  // namespace msc
