// The last error of a macro object, as a host reads it after a failing
// export, and the scope of one export call that collects it.
#pragma once

#include <cstdint>
#include <mutex>

#include "engine/errors.h"
#include "platform/console.h"

class QorMacro;
struct MscLastError;

namespace msc {

// Written by failing exports of any thread, read by the host.
struct LastErrorRecord {
  std::mutex mutex;
  int32_t number = 0;
  uint32_t line = 0;
  uint32_t fileLine = 0;
  const char* message = "";
  // The program generation that a source file load left; while the program
  // still has it, line n came from file line n / 10.
  uint64_t fileGeneration = UINT64_MAX;
};

// One export call on this thread: routes the object's console output to its
// hook and learns where the call's error happened. Scopes nest (a hook or a
// host call may call another export).
class ExportScope {
 public:
  explicit ExportScope(QorMacro& m) noexcept;
  ~ExportScope();
  ExportScope(const ExportScope&) = delete;
  ExportScope& operator=(const ExportScope&) = delete;

  // A status export's result: recorded as the last error unless 0.
  int32_t Status(int32_t result) noexcept { return Finish(result, result != 0); }
  // A size export's result: recorded as the last error when -1.
  int32_t Size(int32_t result) noexcept { return Finish(result, result == -1); }
  // The error behind a -1 result.
  void Cause(ErrNo cause) noexcept { cause_ = cause; }

 private:
  friend void NoteErrorLine(QorMacro& m, ErrNo number, uint32_t line, bool duringFileLoad) noexcept;
  int32_t Finish(int32_t result, bool failed) noexcept;

  QorMacro& macro_;
  ExportScope* outer_;
  platform::ConsoleRoute route_;
  ErrNo cause_ = kOk;
  ErrNo notedNumber_ = kOk;
  uint32_t notedLine_ = 0;
  bool notedInFileLoad_ = false;
};

// An error reported in a line (a run stopped there, or a load failed to
// compile it): the innermost export of m on this thread learns its line.
// The latest note counts (a Try in trace mode reports the errors it
// catches too); a load notes its first compile error only.
void NoteErrorLine(QorMacro& m, ErrNo number, uint32_t line, bool duringFileLoad) noexcept;

// After a source file loaded cleanly: its lines are known by number.
void NoteFileLoaded(QorMacro& m) noexcept;

// Copies the last error of m into out.
void ReadLastError(QorMacro& m, MscLastError& out) noexcept;

}  // namespace msc
