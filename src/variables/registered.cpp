// The registered-variable list and the declarations it makes.
#include "variables/registered.h"

#include <cwchar>
#include <cwctype>
#include <memory>
#include <new>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/variables.h"
#include "macro_sc/host.h"
#include "variables/host_access.h"
#include "variables/host_value.h"

namespace msc {
namespace {

constexpr int32_t kFailed = -1;
constexpr size_t kStatementSize = 1024;
constexpr size_t kInitTextBytes = 32767;

std::wstring Upper(const std::wstring& s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return out;
}

// Runs "<verb> <name>" as a direct statement.
ErrNo Declare(QorMacro& m, const char* verb, const std::wstring& name) noexcept {
  char statement[kStatementSize];
  const int head = std::snprintf(statement, sizeof statement, "%s ", verb);
  if (head <= 0) return kErrInternal;
  (void)WideToCodePage(name.c_str(), statement + head, sizeof statement - static_cast<size_t>(head));
  return DirectExecute(m, statement);
}

ErrNo DimOrReDim(QorMacro& m, const std::wstring& name) noexcept {
  ErrNo e = Declare(m, "Dim", name);
  if (e == kErrDuplicatedVariable) e = Declare(m, "ReDim", name);
  return e;
}

// Fills an array in storage order from the comma-separated values of init,
// until either runs out. The kind is the first type mark before "(".
void FillArray(QorMacro& m, const std::wstring& name, const std::wstring& init) {
  const size_t open = name.find(L'(');
  const size_t mark = name.find_first_of(L"&#$");
  if (mark == std::wstring::npos || (open != std::wstring::npos && open < mark)) return;
  const uint8_t tag = name[mark] == L'&' ? kTagIntegerArray
                      : name[mark] == L'#' ? kTagDoubleArray : kTagStringArray;
  std::string base;
  if (!WideToCodePage(name.substr(0, open).c_str(), base)) return;
  platform::LockGuard hold(m.lock);
  FindStatus status;
  uint8_t* cell = m.variables.FindCell(tag, base.data(), base.size(), FindMode::FindOnly, &status);
  if (cell == nullptr || ArrayBlock(cell) == nullptr) return;
  const uint8_t* block = ArrayBlock(cell);
  uint32_t dims;
  std::memcpy(&dims, block, 4);
  if (dims == 0) return;
  uint64_t count = 1;
  for (uint32_t i = 0; i < dims; ++i) {
    uint32_t extent;
    std::memcpy(&extent, block + 4 + 4 * i, 4);
    count *= extent;
  }
  uint8_t* element = ArrayBlock(cell) + 4 + 4 * dims;
  const size_t size = ElementSize(tag);
  size_t start = 0;
  for (uint64_t i = 0; i < count && start <= init.size(); ++i, element += size) {
    size_t comma = init.find(L',', start);
    if (comma == std::wstring::npos) comma = init.size();
    const std::wstring item = init.substr(start, comma - start);
    start = comma + 1;
    if (tag == kTagIntegerArray) {
      const auto v = static_cast<int32_t>(std::wcstol(item.c_str(), nullptr, 10));
      std::memcpy(element, &v, 4);
    } else if (tag == kTagDoubleArray) {
      const double v = std::wcstod(item.c_str(), nullptr);
      std::memcpy(element, &v, 8);
    } else {
      std::string text;
      if (!WideToCodePage(item.c_str(), text)) return;
      if (text.size() > kInitTextBytes) text.resize(kInitTextBytes);
      Value v;
      if (v.SetOwnedText(text.data(), text.size()) != kOk || StoreStringSlot(element, v) != kOk) return;
    }
  }
}

// The INIT of an entry: an array is filled, a scalar assigned the text.
void ApplyInit(QorMacro& m, const RegisteredVariable& entry) {
  if (entry.init.empty()) return;
  if (entry.name.find(L'(') != std::wstring::npos) return FillArray(m, entry.name, entry.init);
  std::string name;
  if (!WideToCodePage(entry.name.c_str(), name)) return;
  AnyType value;
  if (value.SetData(entry.init.c_str()) != 0) return;
  (void)AssignFromHost(m, name.c_str(), value);
}

// The position of the entry that a definition of name replaces, or -1.
ptrdiff_t FindEntry(const RegisteredList& list, const std::wstring& name) {
  const size_t open = name.find(L'(');
  const std::wstring key = open == std::wstring::npos ? name : name.substr(0, open + 1);
  for (size_t i = 0; i < list.entries.size(); ++i) {
    const std::wstring& other = list.entries[i].name;
    const bool same = open == std::wstring::npos ? other == key : other.compare(0, key.size(), key) == 0;
    if (same) return static_cast<ptrdiff_t>(i);
  }
  return -1;
}

void DropWhenEmpty(QorMacro& m) noexcept {
  if (m.registered && m.registered->entries.empty()) m.registered.reset();
}

}  // namespace

int32_t DefineRegistered(QorMacro& m, const std::wstring& text) noexcept {
  try {
    if (text.empty() || text[0] == L':') return kFailed;
    RegisteredVariable entry;
    const size_t first = text.find(L':');
    entry.name = Upper(text.substr(0, first));
    if (first != std::wstring::npos) {
      const size_t second = text.find(L':', first + 1);
      entry.attr = text.substr(first + 1, second == std::wstring::npos ? std::wstring::npos : second - first - 1);
      if (second != std::wstring::npos) entry.init = text.substr(second + 1);
    }
    if (!m.registered) m.registered = std::make_unique<RegisteredList>();
    RegisteredList& list = *m.registered;
    const ptrdiff_t found = FindEntry(list, entry.name);
    if (found >= 0 && found < list.protectedCount) {
      DropWhenEmpty(m);
      return kFailed;
    }
    if (DimOrReDim(m, entry.name) != kOk) {
      DropWhenEmpty(m);
      return kFailed;
    }
    ApplyInit(m, entry);
    if (found >= 0)
      list.entries[static_cast<size_t>(found)] = std::move(entry);
    else
      list.entries.push_back(std::move(entry));
    return 0;
  } catch (const std::bad_alloc&) {
    DropWhenEmpty(m);
    return kFailed;
  }
}

int32_t DeleteRegistered(QorMacro& m, const std::wstring& name) noexcept {
  if (!m.registered) return 0;
  try {
    const std::wstring key = Upper(name);
    auto& entries = m.registered->entries;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].name != key) continue;
      if (static_cast<int32_t>(i) < m.registered->protectedCount) return kFailed;
      entries.erase(entries.begin() + static_cast<ptrdiff_t>(i));
      break;
    }
    DropWhenEmpty(m);
    return 0;
  } catch (const std::bad_alloc&) {
    return kFailed;
  }
}

int32_t DefineRegisteredList(QorMacro& m, const std::wstring& list, bool replace, bool protect) noexcept {
  try {
    if (replace && m.registered) m.registered->entries.clear();
    int32_t result = 0;
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(L';', start);
      if (end == std::wstring::npos) end = list.size();
      if (end > start && DefineRegistered(m, list.substr(start, end - start)) != 0) result = kFailed;
      start = end + 1;
    }
    if (protect && m.registered)
      m.registered->protectedCount = static_cast<int32_t>(m.registered->entries.size());
    DropWhenEmpty(m);
    return result;
  } catch (const std::bad_alloc&) {
    return kFailed;
  }
}

bool RegisteredListText(const QorMacro& m, int which, std::wstring& out) noexcept {
  try {
    out.clear();
    if (!m.registered) return true;
    const auto& entries = m.registered->entries;
    const size_t p = std::min(entries.size(), static_cast<size_t>(std::max(0, m.registered->protectedCount)));
    const size_t first = which == 2 ? p : 0;
    const size_t last = which == 1 ? p : entries.size();
    for (size_t i = first; i < last; ++i) {
      if (!out.empty()) out += L';';
      out += entries[i].name + L':' + entries[i].attr + L':' + entries[i].init;
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void RecreateRegisteredVariables(QorMacro& m) noexcept {
  if (!m.registered) return;
  try {
    for (const RegisteredVariable& entry : m.registered->entries)
      if (DimOrReDim(m, entry.name) == kOk) ApplyInit(m, entry);
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace msc
