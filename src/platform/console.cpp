// The process console is standard output.
#include "platform/console.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "api/config.h"
#include "platform/codepage.h"

namespace msc::platform {
namespace {

// Created on first use and never destroyed: threads may still print while
// the process shuts down.
std::mutex& ConsoleMutex() noexcept {
  static std::mutex* m = new std::mutex;
  return *m;
}

// Console text is in the conversion code page, like everything else the
// interpreter prints.
std::string ConsoleText(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return {};
  return ToMulti(CodePage(), std::wstring(text));
}

}  // namespace

void ConsolePrint(const char* text) noexcept {
  std::lock_guard<std::mutex> guard(ConsoleMutex());
  RestoreConsoleWindow();
  std::printf("%s", "Macro(SC) ");
  RestoreConsoleWindow();
  std::printf("%s\n", text != nullptr ? text : "");
  std::fflush(stdout);
}

void RawConsolePrint(const char* text, size_t length) noexcept {
  if (text == nullptr) return;
  RestoreConsoleWindow();
  // "%s" stops at a zero byte; so does the cut.
  const size_t limit = length < 255 ? length : 255;
  size_t n = 0;
  while (n < limit && text[n] != '\0') ++n;
  std::fwrite(text, 1, n, stdout);
  std::fflush(stdout);
}

void LinePrint(const char* text) noexcept {
  RestoreConsoleWindow();
  std::printf("%s\n", text != nullptr ? text : "");
  std::fflush(stdout);
}

void RestoreConsoleWindow() noexcept {}

void MessageBox(const wchar_t* caption, const wchar_t* text) noexcept {
  try {
    const std::string c = ConsoleText(caption);
    const std::string t = ConsoleText(text);
    std::lock_guard<std::mutex> guard(ConsoleMutex());
    std::printf("%s\n%s\n", c.c_str(), t.c_str());
    std::fflush(stdout);
  } catch (const std::bad_alloc&) {
    // Nothing shown; a message box has no failure path either.
  }
}

}  // namespace msc::platform
