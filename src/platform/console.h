// The process console: every interpreter message goes to standard output,
// or to the output hook of the object whose call is under way on the thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace msc::platform {

class RecursiveLock;

// Where the console output of one macro object goes: a host callback, or
// standard output when none is set.
class ConsoleSink {
 public:
  using Hook = void (*)(void* context, const char* text, int32_t isReport);
  // The object lock: while this thread holds it the hook is not called.
  explicit ConsoleSink(const RecursiveLock& objectLock) noexcept : objectLock_(objectLock) {}
  ConsoleSink(const ConsoleSink&) = delete;
  ConsoleSink& operator=(const ConsoleSink&) = delete;

  void Set(Hook hook, void* context) noexcept;
  // The hook and its context as set now (a null hook: standard output).
  void Get(Hook& hook, void*& context) noexcept;
  const RecursiveLock& ObjectLock() const noexcept { return objectLock_; }

 private:
  const RecursiveLock& objectLock_;
  std::mutex mutex_;
  Hook hook_ = nullptr;
  void* context_ = nullptr;
};

// Sends this thread's console output to sink for the scope's lifetime;
// scopes nest, the innermost wins. Output held back while the object lock
// was held is handed to the hook when the outermost scope ends at the latest.
class ConsoleRoute {
 public:
  explicit ConsoleRoute(ConsoleSink& sink) noexcept;
  ~ConsoleRoute();
  ConsoleRoute(const ConsoleRoute&) = delete;
  ConsoleRoute& operator=(const ConsoleRoute&) = delete;

 private:
  ConsoleSink* outer_;
};

// "Macro(SC) ", the text and a line end as one unit under a process-wide lock,
// so lines of different threads never mix.
void ConsolePrint(const char* text) noexcept;
// At most 255 bytes of the text, no line end, no lock.
void RawConsolePrint(const char* text, size_t length) noexcept;
// The text and a line end, no prefix, no lock.
void LinePrint(const char* text) noexcept;
// Shows the console again when it has been minimised (nothing to do on a terminal).
void RestoreConsoleWindow() noexcept;

// A message box: here its caption and text on the console; returns when shown.
// isReport: the box shows an engine report rather than program output.
void MessageBox(const wchar_t* caption, const wchar_t* text, bool isReport = false) noexcept;

}  // namespace msc::platform
