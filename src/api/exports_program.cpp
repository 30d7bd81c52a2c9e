// The exports that load, save and run programs. Wide text arguments are
// converted with the process code page into 1024-byte buffers (text beyond
// 1023 bytes is cut). Everything called here is noexcept, so no exception can
// leave an export.
#include <cctype>
#include <cstring>
#include <memory>
#include <new>

#include "api/config.h"
#include "api/last_error.h"
#include "api/program_load.h"
#include "api/qor_macro.h"
#include "engine/run.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/program_file.h"
#include "macro_sc/macro_sc.h"
#include "platform/codepage.h"
#include "variables/host_value.h"
#include "variables/registered.h"

namespace msc {
namespace {

constexpr size_t kArgumentSize = 1024;
constexpr size_t kReferenceListSize = 65536;
constexpr char kInitLabel[] = "*MCRINIT";

// Converts wide text into out (capacity bytes), cut to capacity - 1 bytes.
// Null text gives the empty text.
void ToMultibyte(const wchar_t* wide, char* out, size_t capacity) noexcept {
  (void)WideToCodePage(wide, out, capacity);
}

void ToUpperLabel(char* label) noexcept {
  for (char* p = label; *p != '\0'; ++p)
    *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
}

// A label call as the host makes it: refused (-1) while the program is not
// executable.
ErrNo GosubLabel(QorMacro& m, const char* label) noexcept {
  if (m.executableFlag == 0) return -1;
  return RunLabel(m, label);
}

// Compiles the names of the host's reference variables once, so that their
// cells exist before the program runs. The compiled code is thrown away.
void RegisterReferenceNames(QorMacro& m) noexcept {
  AnyType names;
  if (m.GetReference(nullptr, &names) != 0) return;
  std::unique_ptr<char[]> source(new (std::nothrow) char[kReferenceListSize]);
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[kLineBufferSize]);
  if (!source || !scratch) return;
  ToMultibyte(names.GetString(), source.get(), kReferenceListSize);
  uint32_t number = 0;
  int32_t length = 0;
  platform::LockGuard hold(m.lock);
  (void)CompileLine(source.get(), scratch.get(), m, false, &number, &length);
}

// What follows every program load, failed or not, before "*MCRINIT".
ErrNo DeclareHostVariables(QorMacro& m, ErrNo loaded) noexcept {
  if (m.explicitFlag == 0) RegisterReferenceNames(m);
  RecreateRegisteredVariables(m);
  return loaded;
}

ErrNo FinishLoad(QorMacro& m, ErrNo loaded) noexcept {
  if (DeclareHostVariables(m, loaded) != kOk) return loaded;
  RunInitRoutine(m);
  return kOk;
}

}  // namespace

ErrNo LoadProgramFileWithoutInit(QorMacro& m, const wchar_t* path) noexcept {
  return DeclareHostVariables(m, LoadProgramSource(m, path));
}

void RunInitRoutine(QorMacro& m) noexcept { (void)GosubLabel(m, kInitLabel); }

}  // namespace msc

using namespace msc;

int32_t _DirectExecute(QorMacro* macro, const wchar_t* text) {
  if (macro == nullptr) return -1;
  ExportScope scope(*macro);
  char line[kArgumentSize];
  ToMultibyte(text, line, sizeof line);
  return scope.Status(DirectExecute(*macro, line));
}

int32_t _Gosub(QorMacro* macro, const wchar_t* label) {
  if (macro == nullptr) return -1;
  ExportScope scope(*macro);
  if (macro->executableFlag == 0) return scope.Status(-1);
  char text[kArgumentSize];
  ToMultibyte(label, text, sizeof text);
  ToUpperLabel(text);
  return scope.Status(GosubLabel(*macro, text));
}

int32_t _IsExistLabel(QorMacro* macro, const wchar_t* label) {
  if (macro == nullptr) return 0;
  char text[kArgumentSize];
  ToMultibyte(label, text, sizeof text);
  ToUpperLabel(text);
  const size_t length = std::strlen(text);
  if (length == 0) return 0;
  return FindLabelRecord(*macro, text, length) != nullptr ? 1 : 0;
}

int32_t _GetProgramSize(QorMacro* macro) {
  if (macro == nullptr) return -1;
  return static_cast<int32_t>(ProgramImageSize(*macro));
}

int32_t _SaveProgramM(QorMacro* macro, void* image) {
  if (macro == nullptr || image == nullptr) return -1;
  return SaveProgramImage(*macro, static_cast<uint8_t*>(image));
}

int32_t _LoadProgramM(QorMacro* macro, const void* image) {
  if (macro == nullptr || image == nullptr) return -1;
  ExportScope scope(*macro);
  const uint8_t* after = nullptr;
  const ErrNo loaded = LoadProgramImage(*macro, static_cast<const uint8_t*>(image), &after);
  return scope.Status(FinishLoad(*macro, loaded));
}

int32_t _SaveProgramF(QorMacro* macro, const wchar_t* path) {
  if (macro == nullptr || path == nullptr) return -1;
  ExportScope scope(*macro);
  return scope.Status(SaveProgramSource(*macro, path));
}

int32_t _LoadProgramF(QorMacro* macro, const wchar_t* path) {
  if (macro == nullptr || path == nullptr) return -1;
  ExportScope scope(*macro);
  return scope.Status(FinishLoad(*macro, LoadProgramSource(*macro, path)));
}
