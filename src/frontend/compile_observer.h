// A way for a tool to watch one thread's compiles: where each code token came
// from in the source, and the compile messages, which then reach the
// observer instead of the console.
#pragma once

#include <cstddef>

namespace msc {

class CompileObserver {
 public:
  // A code token begins at codeOffset of the output; its source text begins at source.
  virtual void Token(size_t codeOffset, const char* source) noexcept = 0;
  // A compile message (without the "Macro(SC) " prefix).
  virtual void Message(const char* text) noexcept = 0;

 protected:
  ~CompileObserver() = default;
};

// Installs an observer for this thread's compiles during the scope's life.
class ObserveCompiles {
 public:
  explicit ObserveCompiles(CompileObserver& observer) noexcept;
  ~ObserveCompiles();
  ObserveCompiles(const ObserveCompiles&) = delete;
  ObserveCompiles& operator=(const ObserveCompiles&) = delete;

 private:
  CompileObserver* outer_;
};

// The observer of this thread, or null (the usual case).
[[nodiscard]] CompileObserver* CurrentCompileObserver() noexcept;

// Prints a compile message on the console, or hands it to the observer.
void CompileMessage(const char* text) noexcept;

}  // namespace msc
