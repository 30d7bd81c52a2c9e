// The process-wide configuration, read from the controller's configuration
// directory by the first macro object.
#include "api/config.h"

#include <atomic>
#include <climits>
#include <cwchar>
#include <mutex>
#include <new>
#include <string>

#include "frontend/keywords.h"
#include "macro_sc/host.h"
#include "platform/codepage.h"

namespace msc {
namespace {

// Language identifiers with a code page other than the Japanese default.
struct LanguagePage {
  const wchar_t* language;
  uint32_t page;
};
constexpr LanguagePage kLanguagePages[] = {
    {L"chs", 936},   // simplified Chinese
    {L"cht", 950},   // traditional Chinese
    {L"deu", 1252},  // German
    {L"esp", 1252},  // Spanish
    {L"fra", 1252},  // French
    {L"ita", 1252},  // Italian
    {L"kor", 949},   // Korean
};
static_assert([] {
  for (size_t i = 1; i < std::size(kLanguagePages); ++i)
    if (std::wstring_view(kLanguagePages[i - 1].language) >= kLanguagePages[i].language)
      return false;
  return true;
}(), "language table is sorted");

wchar_t FoldUpper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

bool EqualNoCase(std::wstring_view a, std::wstring_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldUpper(a[i]) != FoldUpper(b[i])) return false;
  return true;
}

// Mutex of the first-use choices; never destroyed, so that objects created
// or destroyed during process exit still find it.
std::mutex& ConfigMutex() noexcept {
  static std::mutex* m = new std::mutex;
  return *m;
}

bool g_keywordsChecked = false;          // guarded by ConfigMutex
std::atomic<uint32_t> g_codePage{0};     // 0 until chosen
std::atomic<int32_t> g_machineDefault{-1};  // -1 until computed

// The configuration directory followed by a file name.
std::wstring ConfigFile(const wchar_t* name) {
  const wchar_t* dir = GetCoreRAPath();
  std::wstring path = dir != nullptr ? dir : L"";
  path += name;
  return path;
}

uint32_t ReadCodePage() {
  wchar_t text[64] = {};
  const std::wstring file = ConfigFile(L"QOR-Option.ini");
  (void)GetProfileData(file.c_str(), L"Macro", L"codePage", L"-1", text,
                       static_cast<int32_t>(std::size(text)));
  const int32_t configured =
      config::ConfiguredCodePage(config::ParseCodePageSetting(text), GetQorCoreRA());
  const wchar_t* language = GetLanguageIdent();
  return config::ChooseCodePage(configured, language != nullptr ? language : L"",
                                config::ProbeCodePage);
}

// Chooses the code page unless done; the caller holds ConfigMutex.
void ChooseCodePageLocked() {
  if (g_codePage.load(std::memory_order_relaxed) == 0)
    g_codePage.store(ReadCodePage(), std::memory_order_release);
}

uint32_t ReadMachineDefault() {
  const int32_t info10 = GetSystemInfo2(10);
  if (info10 != 0) return config::ChooseMachineDefault(info10, GetSystemInfo2(9), L"");
  wchar_t machine[33] = {};  // at most 32 characters of the entry count
  const std::wstring file = ConfigFile(L"Version.ini");
  (void)GetProfileData(file.c_str(), L"Version", L"Machine", L"Unknown", machine,
                       static_cast<int32_t>(std::size(machine)));
  return config::ChooseMachineDefault(0, 0, machine);
}

}  // namespace

bool ConfigureProcess() noexcept {
  try {
    std::lock_guard<std::mutex> guard(ConfigMutex());
    if (!g_keywordsChecked) {
      if (!CheckKeywordTable()) return false;
      g_keywordsChecked = true;
    }
    ChooseCodePageLocked();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

uint32_t CodePage() noexcept {
  const uint32_t page = g_codePage.load(std::memory_order_acquire);
  if (page != 0) return page;
  try {
    std::lock_guard<std::mutex> guard(ConfigMutex());
    ChooseCodePageLocked();
    return g_codePage.load(std::memory_order_relaxed);
  } catch (const std::bad_alloc&) {
    return config::kFallbackCodePage;
  }
}

uint32_t MachineExecutableDefault() noexcept {
  const int32_t known = g_machineDefault.load(std::memory_order_acquire);
  if (known >= 0) return static_cast<uint32_t>(known);
  try {
    std::lock_guard<std::mutex> guard(ConfigMutex());
    if (g_machineDefault.load(std::memory_order_relaxed) < 0)
      g_machineDefault.store(static_cast<int32_t>(ReadMachineDefault()),
                             std::memory_order_release);
    return static_cast<uint32_t>(g_machineDefault.load(std::memory_order_relaxed));
  } catch (const std::bad_alloc&) {
    return 1;
  }
}

namespace config {

int32_t ParseCodePageSetting(const wchar_t* text) noexcept {
  if (text == nullptr) return 0;
  while (*text == L' ' || *text == L'\t') ++text;
  bool negative = false;
  if (*text == L'+' || *text == L'-') negative = *text++ == L'-';
  long long value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    value = value * 10 + (*text - L'0');
    if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;  // no page anyway
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int32_t ConfiguredCodePage(int32_t fileValue, CoreServices* core) noexcept {
  if (core == nullptr) return fileValue;
  AnyType value;
  if (core->GetSystemData(L"Macro", L"codePage", &value) != 0) return fileValue;
  return value.GetIntValue();
}

uint32_t CodePageForLanguage(std::wstring_view language) noexcept {
  for (const LanguagePage& entry : kLanguagePages)
    if (EqualNoCase(language, entry.language)) return entry.page;
  return kFallbackCodePage;
}

uint32_t ChooseCodePage(int32_t configured, std::wstring_view language,
                        bool (*probe)(uint32_t)) noexcept {
  const uint32_t page =
      configured == -1 ? CodePageForLanguage(language) : static_cast<uint32_t>(configured);
  return probe(page) ? page : kFallbackCodePage;
}

bool ProbeCodePage(uint32_t codePage) noexcept {
  return platform::WideToMulti(codePage, L"X", 1, nullptr, 0) > 0;
}

uint32_t ChooseMachineDefault(int32_t info10, int32_t info9, std::wstring_view machine) noexcept {
  if (info10 != 0) return (info9 & 8) != 0 ? 0 : 1;
  for (size_t i = 0; i + 3 <= machine.size(); ++i) {
    if (FoldUpper(machine[i]) == L'L' && FoldUpper(machine[i + 1]) == L'M' &&
        FoldUpper(machine[i + 2]) == L'Q')
      return 0;
  }
  return 1;
}

}  // namespace config
}  // namespace msc
