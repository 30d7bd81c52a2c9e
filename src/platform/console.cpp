// The process console is standard output, unless the object whose call
// is under way on the thread has an output hook.
#include "platform/console.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api/config.h"
#include "platform/codepage.h"
#include "platform/lock.h"

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

thread_local ConsoleSink* routed = nullptr;

// Output for a hook that came while this thread held the object lock: a
// hook may call back into the object, which must not find the lock taken
// by a thread that is waiting for the hook to return.
struct HeldPiece {
  ConsoleSink* sink;
  std::string text;
  int32_t isReport;
};
std::vector<HeldPiece>& Held() noexcept {
  thread_local std::vector<HeldPiece> held;
  return held;
}

void HandOverHeld() noexcept {
  if (Held().empty()) return;
  // The hook may print again, which lands here anew.
  std::vector<HeldPiece> pieces = std::move(Held());
  Held().clear();
  for (const HeldPiece& p : pieces) {
    ConsoleSink::Hook hook = nullptr;
    void* context = nullptr;
    p.sink->Get(hook, context);
    if (hook != nullptr) {
      hook(context, p.text.c_str(), p.isReport);
    } else {
      std::fwrite(p.text.data(), 1, p.text.size(), stdout);
      std::fflush(stdout);
    }
  }
}

// Gives the pieces to the hook of the routed object; false when there is
// none and the caller writes to standard output.
bool ToHook(std::string_view a, std::string_view b, std::string_view c, int32_t isReport) noexcept {
  ConsoleSink* sink = routed;
  if (sink == nullptr) return false;
  ConsoleSink::Hook hook = nullptr;
  void* context = nullptr;
  sink->Get(hook, context);
  if (hook == nullptr) {
    HandOverHeld();
    return false;
  }
  try {
    std::string text;
    text.reserve(a.size() + b.size() + c.size());
    text.append(a).append(b).append(c);
    if (sink->ObjectLock().OwnedByThisThread()) {
      Held().push_back(HeldPiece{sink, std::move(text), isReport});
      return true;
    }
    HandOverHeld();
    hook(context, text.c_str(), isReport);
  } catch (const std::bad_alloc&) {
    // Lost like output to a missing console; printing has no failure path.
  }
  return true;
}

}  // namespace

void ConsoleSink::Set(Hook hook, void* context) noexcept {
  std::lock_guard<std::mutex> guard(mutex_);
  hook_ = hook;
  context_ = context;
}

void ConsoleSink::Get(Hook& hook, void*& context) noexcept {
  std::lock_guard<std::mutex> guard(mutex_);
  hook = hook_;
  context = context_;
}

ConsoleRoute::ConsoleRoute(ConsoleSink& sink) noexcept : outer_(routed) { routed = &sink; }

ConsoleRoute::~ConsoleRoute() {
  ConsoleSink* const inner = routed;
  routed = outer_;
  if (outer_ == nullptr || !inner->ObjectLock().OwnedByThisThread()) HandOverHeld();
}

void ConsolePrint(const char* text) noexcept {
  if (ToHook("Macro(SC) ", text != nullptr ? text : "", "\n", 1)) return;
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
  if (n == 0 || ToHook(std::string_view(text, n), {}, {}, 0)) return;
  std::fwrite(text, 1, n, stdout);
  std::fflush(stdout);
}

void LinePrint(const char* text) noexcept {
  if (ToHook(text != nullptr ? text : "", "\n", {}, 0)) return;
  RestoreConsoleWindow();
  std::printf("%s\n", text != nullptr ? text : "");
  std::fflush(stdout);
}

void RestoreConsoleWindow() noexcept {}

void MessageBox(const wchar_t* caption, const wchar_t* text, bool isReport) noexcept {
  try {
    const std::string c = ConsoleText(caption);
    const std::string t = ConsoleText(text);
    if (ToHook(c + "\n", t, "\n", isReport ? 1 : 0)) return;
    std::lock_guard<std::mutex> guard(ConsoleMutex());
    std::printf("%s\n%s\n", c.c_str(), t.c_str());
    std::fflush(stdout);
  } catch (const std::bad_alloc&) {
    // Nothing shown; a message box has no failure path either.
  }
}

}  // namespace msc::platform
