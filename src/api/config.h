// Process-wide configuration: the code page of every conversion between the
// host's wide text and the engine's multibyte text, and the machine default
// of the executable flag. Both are chosen once and never change afterwards.
#pragma once

#include <cstdint>
#include <string_view>

class CoreServices;

namespace msc {

// Runs once, at the first creation of a macro object: checks the keyword
// table and chooses the code page. False when the keyword table is out of
// order (the check prints why); a later creation then checks again.
[[nodiscard]] bool ConfigureProcess() noexcept;

// The conversion code page, chosen on first use when no object was created yet.
[[nodiscard]] uint32_t CodePage() noexcept;

// The executable flag a program starts with (1, or 0 on machines whose
// programs must first declare themselves executable); computed on first use.
[[nodiscard]] uint32_t MachineExecutableDefault() noexcept;

namespace config {

inline constexpr uint32_t kFallbackCodePage = 932;

// The setting text of "codePage" read as a decimal number: leading blanks and
// a sign, then digits up to the first other character (0 without digits).
[[nodiscard]] int32_t ParseCodePageSetting(const wchar_t* text) noexcept;

// The configured code page: the file's value, replaced by the core services'
// GetSystemData("Macro", "codePage") when that call succeeds.
[[nodiscard]] int32_t ConfiguredCodePage(int32_t fileValue, CoreServices* core) noexcept;

// The default code page of a language identifier (compared without case).
[[nodiscard]] uint32_t CodePageForLanguage(std::wstring_view language) noexcept;

// The code page to use: the configured one, or the language's when it is -1;
// a page the probe refuses falls back to 932.
[[nodiscard]] uint32_t ChooseCodePage(int32_t configured, std::wstring_view language,
                                      bool (*probe)(uint32_t)) noexcept;

// Whether converting the wide text "X" with the page works.
[[nodiscard]] bool ProbeCodePage(uint32_t codePage) noexcept;

// The machine default from system items 10 and 9 and, when item 10 is 0, the
// "Machine" entry of "Version.ini": 0 for an "LMQ" machine, else 1.
[[nodiscard]] uint32_t ChooseMachineDefault(int32_t info10, int32_t info9,
                                            std::wstring_view machine) noexcept;

}  // namespace config
}  // namespace msc
