// The last error of an object, collected by the scope of the export call.
#include "api/last_error.h"

#include <cstring>

#include "api/qor_macro.h"
#include "macro_sc/macro_sc.h"

namespace msc {
namespace {

thread_local ExportScope* innermost = nullptr;

// Source files are numbered 10, 20, 30 ... as they are read.
constexpr uint32_t kFileLineStep = 10;

uint32_t FileLineOf(uint32_t line) noexcept {
  return line % kFileLineStep == 0 ? line / kFileLineStep : 0;
}

}  // namespace

ExportScope::ExportScope(QorMacro& m) noexcept : macro_(m), outer_(innermost), route_(m.console) {
  innermost = this;
}

ExportScope::~ExportScope() { innermost = outer_; }

int32_t ExportScope::Finish(int32_t result, bool failed) noexcept {
  if (!failed) return result;
  const bool noted = notedNumber_ != kOk && notedNumber_ == result;
  const ErrNo shown = result == -1 ? cause_ : result;
  LastErrorRecord& e = macro_.lastError;
  std::lock_guard<std::mutex> hold(e.mutex);
  e.number = result;
  e.line = noted ? notedLine_ : 0;
  e.fileLine = 0;
  if (noted && notedInFileLoad_) {
    e.fileLine = FileLineOf(notedLine_);
  } else if (noted && e.fileGeneration == macro_.program.generation.load()) {
    e.fileLine = FileLineOf(notedLine_);
  }
  const char* message = ErrorMessage(shown);
  e.message = *message != '\0' ? message : (result == -1 ? "Call refused" : "");
  return result;
}

void NoteErrorLine(QorMacro& m, ErrNo number, uint32_t line, bool duringFileLoad) noexcept {
  ExportScope* s = innermost;
  if (s == nullptr || &s->macro_ != &m) return;
  s->notedNumber_ = number;
  s->notedLine_ = line;
  s->notedInFileLoad_ = duringFileLoad;
}

void NoteFileLoaded(QorMacro& m) noexcept {
  std::lock_guard<std::mutex> hold(m.lastError.mutex);
  m.lastError.fileGeneration = m.program.generation.load();
}

void ReadLastError(QorMacro& m, MscLastError& out) noexcept {
  LastErrorRecord& e = m.lastError;
  std::lock_guard<std::mutex> hold(e.mutex);
  out.number = e.number;
  out.line = e.line;
  out.fileLine = e.fileLine;
  // The messages are ASCII, so they are UTF-8 as they stand.
  std::strncpy(out.message, e.message, sizeof out.message - 1);
  out.message[sizeof out.message - 1] = '\0';
}

}  // namespace msc
