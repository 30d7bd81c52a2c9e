#include "session.h"

#include <cstdio>
#include <string>

#include "api/qor_macro.h"
#include "frontend/listing.h"
#include "frontend/program_file.h"
#include "macro_sc/macro_sc.h"
#include "platform/codepage.h"
#include "sandbox_options.h"
#include "simulator.h"

namespace msc::cli {

namespace {

// The object's console is the tool's standard output; written through the
// hook, a piece reaches it whole and at once, between the lines of the
// host-call trace.
void WriteConsole(void*, const char* text, int32_t) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

}  // namespace

Session::Session() noexcept : macro_(_CreateQorMacro(sim::Host())) {
  if (macro_ == nullptr) {
    std::fputs("macro-sc: the macro object could not be created\n", stderr);
    return;
  }
  (void)_SetOutputHookQorMacro(macro_, WriteConsole, nullptr);
  if (!ApplySandbox(*macro_)) {
    _DeleteQorMacro(macro_);
    macro_ = nullptr;
  }
}

Session::~Session() { _DeleteQorMacro(macro_); }

ErrNo Session::LoadSource(const char* path) noexcept {
  // Command-line paths are UTF-8 here; the loader takes wide text.
  const std::wstring wide = platform::ToWide(platform::kCodePageUtf8, path);
  const ErrNo err = wide.empty() ? kErrIllegalCall : LoadProgramSource(*macro_, wide.c_str());
  std::fflush(stdout);
  if (err == kErrIllegalCall) std::fprintf(stderr, "macro-sc: cannot open %s\n", path);
  return err;
}

const uint8_t* Session::NextRecord(const uint8_t* record) const noexcept {
  const ProgramArea& area = macro_->program;
  if (area.Empty()) return nullptr;
  const uint8_t* const end = area.data + area.used;
  const uint8_t* next = record == nullptr ? area.data : record + RecordLength(record);
  if (end - next < 2) return nullptr;
  const uint16_t length = RecordLength(next);
  if (length < kRecordOverhead || length > end - next) return nullptr;
  return next;
}

const char* Session::ListRecord(const uint8_t* record, char* listing, char* utf8) const noexcept {
  uint32_t number = 0;
  ListLine(record, listing, kLineBufferSize, &number);
  return CodePageToUtf8(listing, utf8, kLineBufferSize) < 0 ? listing : utf8;
}

}  // namespace msc::cli
