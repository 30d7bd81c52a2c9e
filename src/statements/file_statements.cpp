// File and disk statements: Open, Close, Kill, Mkdir, Rmdir, Fcopy, and the
// text-data statements OpenTextData and CloseTextData.
//
// The 16 file slots belong to the macro object and stay open between runs;
// they are not locked, so tasks sharing a slot must take turns themselves.
// Every failing file-system call is 5 "Illegal function call".
#include <fcntl.h>

#include <cstdint>
#include <cstdio>
#include <iterator>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "macro_sc/host.h"
#include "platform/filesystem.h"
#include "statements/permissions.h"
#include "statements/file_slots.h"
#include "statements/handlers.h"

namespace msc {
namespace {

static_assert(kFileSlots == kSlotNumbers && kTextDataSlots == kSlotNumbers,
              "file numbers and text-data numbers share one range");

// Characters of a wide file name buffer, the terminating zero included.
inline constexpr size_t kNameCapacity = 1024;
// Characters of a text-data file name buffer, the terminating zero included.
inline constexpr size_t kTextDataNameCapacity = 256;

struct OpenMode {
  uint16_t token;          // the combined mode word
  const char* streamMode;  // always binary: Print # writes its own CR LF
};

constexpr OpenMode kOpenModes[] = {
    {tok::ForAppend, "ab"},  // Open name For Append As #n: write after the end, creating the file
    {tok::ForInput, "rb"},   // Open name For Input As #n: read an existing file from its start
    {tok::ForOutput, "wb"},  // Open name For Output As #n: write a new or emptied file
};
static_assert(std::size(kOpenModes) == 3 && kOpenModes[0].token + 1 == kOpenModes[1].token &&
                  kOpenModes[1].token + 1 == kOpenModes[2].token,
              "the mode words in token order");

const OpenMode* FindOpenMode(uint16_t token) noexcept {
  for (const OpenMode& mode : kOpenModes) {
    if (mode.token == token) return &mode;
  }
  return nullptr;
}

// Closes one slot; false when the stream's last writes could not be flushed
// (the slot is emptied all the same).
bool CloseFileSlot(QorMacro& m, int32_t n) noexcept {
  std::FILE* file = m.files[n];
  if (file == nullptr) return true;
  m.files[n] = nullptr;
  return std::fclose(file) == 0;
}

bool CloseTextDataSlot(QorMacro& m, int32_t n) noexcept {
  void* handle = m.textData[n];
  if (handle == nullptr) return true;
  m.textData[n] = nullptr;
  ::CloseTextData(handle);
  return true;
}

// Close and CloseTextData: without arguments every slot, otherwise the list
// "#n {, #n}"; an empty slot in the list is left alone.
ErrNo CloseSlots(ExecFrame& f, bool (*closeSlot)(QorMacro&, int32_t)) noexcept {
  QorMacro& m = *f.macro;
  if (AtStatementEnd(f)) {
    bool ok = true;
    for (int32_t n = 0; n < kSlotNumbers; ++n) ok = closeSlot(m, n) && ok;
    return ok ? kOk : kErrIllegalCall;
  }
  for (;;) {
    int32_t n = 0;
    if (ErrNo e = ReadFileNumber(f, &n)) return e;
    if (!IsSlotNumber(n)) return kErrIllegalCall;
    if (!closeSlot(m, n)) return kErrIllegalCall;
    SkipSpaces(f);
    if (*f.pos != ',') break;
    ++f.pos;
  }
  (void)AtStatementEnd(f);
  return kOk;
}

}  // namespace

ErrNo ReadFileNumber(ExecFrame& f, int32_t* number) noexcept {
  if (ErrNo e = ExpectChar(f, '#')) return e;
  Token t;
  if (ReadToken(f, t) != kind::Integer) return kErrSyntax;
  *number = t.integer;
  return kOk;
}

ErrNo OpenFileSlot(ExecFrame& f, int32_t number, std::FILE** file) noexcept {
  if (!IsSlotNumber(number) || f.macro->files[number] == nullptr) return kErrIllegalCall;
  *file = f.macro->files[number];
  return kOk;
}

ErrNo StmtOpen(ExecFrame& f) noexcept {
  wchar_t name[kNameCapacity];
  if (ErrNo e = WideTextArgument(f, name, kNameCapacity)) return e;
  Token t;
  const OpenMode* mode = ReadToken(f, t) == kind::Keyword ? FindOpenMode(t.code) : nullptr;
  if (mode == nullptr) return kErrSyntax;
  if (ErrNo e = ExpectKeyword(f, tok::As)) return e;
  int32_t n = 0;
  if (ErrNo e = ReadFileNumber(f, &n)) return e;
  QorMacro& m = *f.macro;
  if (!IsSlotNumber(n) || m.files[n] != nullptr) return kErrIllegalCall;
  const auto box = SandboxOf(m);
  std::FILE* file = box ? platform::sandboxed::OpenStream(*box, name, mode->streamMode)
                        : platform::OpenStream(name, mode->streamMode);
  if (file == nullptr) return kErrIllegalCall;
  m.files[n] = file;
  return kOk;
}

ErrNo StmtClose(ExecFrame& f) noexcept { return CloseSlots(f, CloseFileSlot); }

ErrNo StmtKill(ExecFrame& f) noexcept {
  wchar_t pattern[kNameCapacity];
  if (ErrNo e = WideTextArgument(f, pattern, kNameCapacity)) return e;
  // Matches that cannot be deleted are skipped; only a path too long for the
  // controller's file system is reported.
  const auto box = SandboxOf(*f.macro);
  if (box) return platform::sandboxed::DeleteMatches(*box, pattern) == 1 ? kOk : kErrIllegalCall;
  return platform::DeleteMatches(pattern) ? kOk : kErrIllegalCall;
}

ErrNo StmtMkdir(ExecFrame& f) noexcept {
  wchar_t name[kNameCapacity];
  if (ErrNo e = WideTextArgument(f, name, kNameCapacity)) return e;
  const auto box = SandboxOf(*f.macro);
  const bool made = box ? platform::sandboxed::MakeDirectory(*box, name) : platform::MakeDirectory(name);
  return made ? kOk : kErrIllegalCall;
}

ErrNo StmtRmdir(ExecFrame& f) noexcept {
  wchar_t name[kNameCapacity];
  if (ErrNo e = WideTextArgument(f, name, kNameCapacity)) return e;
  const auto box = SandboxOf(*f.macro);
  const bool removed =
      box ? platform::sandboxed::RemoveEmptyDirectory(*box, name) : platform::RemoveEmptyDirectory(name);
  return removed ? kOk : kErrIllegalCall;
}

ErrNo StmtFcopy(ExecFrame& f) noexcept {
  wchar_t source[kNameCapacity];
  wchar_t destination[kNameCapacity];
  if (ErrNo e = WideTextArgument(f, source, kNameCapacity)) return e;
  (void)ArgumentSeparator(f);  // "," or ":" between the names, or nothing
  if (ErrNo e = WideTextArgument(f, destination, kNameCapacity)) return e;
  const auto box = SandboxOf(*f.macro);
  const bool copied = box ? platform::sandboxed::CopyFileReplacing(*box, source, destination)
                          : platform::CopyFileReplacing(source, destination);
  return copied ? kOk : kErrIllegalCall;
}

ErrNo StmtOpenTextData(ExecFrame& f) noexcept {
  wchar_t name[kTextDataNameCapacity];
  if (ErrNo e = WideTextArgument(f, name, kTextDataNameCapacity)) return e;
  if (ErrNo e = ExpectKeyword(f, tok::As)) return e;
  int32_t n = 0;
  if (ErrNo e = ReadFileNumber(f, &n)) return e;
  QorMacro& m = *f.macro;
  if (!IsSlotNumber(n) || m.textData[n] != nullptr) return kErrIllegalCall;
  HeldName file(f, name, O_RDONLY, HeldName::Base::kCurrentDirectory);
  if (!file) return kErrIllegalCall;
  void* handle = ::OpenTextData(file.name());
  if (handle == nullptr) return kErrIllegalCall;
  m.textData[n] = handle;
  return kOk;
}

ErrNo StmtCloseTextData(ExecFrame& f) noexcept { return CloseSlots(f, CloseTextDataSlot); }

}  // namespace msc
