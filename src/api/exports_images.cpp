// The variable-image exports: the stored-variable image, the variable
// stream, copying between objects, and the procedure save and load.
#include <cstring>

#include "api/last_error.h"
#include "api/qor_macro.h"
#include "engine/run.h"
#include "macro_sc/macro_sc.h"
#include "variables/host_value.h"
#include "variables/images.h"

namespace msc {
namespace {

constexpr size_t kPatternSize = 1024;
constexpr char kSaveLabel[] = "*SAVEPROC";
constexpr char kLoadLabel[] = "*LOADPROC";

// A null pattern selects by the stored suffixes; any other by the pattern.
struct Selection {
  char pattern[kPatternSize] = {};
  VariableSelection selection;
  explicit Selection(const wchar_t* wide) noexcept {
    if (wide == nullptr) return;
    (void)WideToCodePage(wide, pattern, sizeof pattern);
    selection.kind = VariableSelection::kPattern;
    selection.pattern = pattern;
  }
};

// The label run as the host would run it: refused while not executable.
ErrNo RunAsGosub(QorMacro& m, const char* label) noexcept {
  return m.executableFlag == 0 ? -1 : RunLabel(m, label);
}

// The procedure stream is set only while "*SaveProc" runs.
class ProcedureStreamScope {
 public:
  ProcedureStreamScope(QorMacro& m, HostWriteStream* stream) noexcept : m_(m) {
    m_.procedureStream = stream;
  }
  ProcedureStreamScope(const ProcedureStreamScope&) = delete;
  ProcedureStreamScope& operator=(const ProcedureStreamScope&) = delete;
  ~ProcedureStreamScope() { m_.procedureStream = nullptr; }

 private:
  QorMacro& m_;
};

}  // namespace
}  // namespace msc

using namespace msc;

int32_t _GetStoredVariableSize(QorMacro* macro) {
  if (macro == nullptr) return kImageFailed;
  ExportScope scope(*macro);
  return scope.Size(StoredImageSize(*macro));
}

int32_t _SaveStoredVariableM(QorMacro* macro, void* image) {
  if (macro == nullptr || image == nullptr) return kImageFailed;
  ExportScope scope(*macro);
  return scope.Status(SaveStoredImage(*macro, static_cast<uint8_t*>(image)));
}

int32_t _LoadStoredVariableM(QorMacro* macro, const void* image) {
  if (macro == nullptr || image == nullptr) return kImageFailed;
  ExportScope scope(*macro);
  return scope.Status(LoadStoredImage(*macro, static_cast<const uint8_t*>(image)));
}

int32_t _SaveVariable2(QorMacro* macro, const wchar_t* pattern, HostWriteStream* stream) {
  if (macro == nullptr || stream == nullptr) return kImageFailed;
  ExportScope scope(*macro);
  const Selection s(pattern);
  return scope.Status(SaveVariableStream(*macro, s.selection, *stream));
}

int32_t _LoadVariable2(QorMacro* macro, HostReadStream* stream) {
  if (macro == nullptr || stream == nullptr) return kImageFailed;
  ExportScope scope(*macro);
  return scope.Status(LoadVariableStream(*macro, *stream));
}

int32_t _CopyVariable2(QorMacro* macro, const wchar_t* pattern, QorMacro* source) {
  if (macro == nullptr || source == nullptr) return kImageFailed;
  ExportScope scope(*macro);
  const Selection s(pattern);
  return scope.Status(CopyVariables(*macro, s.selection, *source));
}

int32_t _SaveProc(QorMacro* macro, HostWriteStream* stream) {
  if (macro == nullptr || stream == nullptr) return kImageFailed;
  ExportScope call(*macro);
  char header[kMagicField] = {};
  std::memcpy(header, kStreamMagic, sizeof kStreamMagic - 1);
  if (stream->Write(header, sizeof header) != 0) return call.Status(kImageFailed);
  ErrNo result;
  {
    ProcedureStreamScope scope(*macro, stream);
    result = RunAsGosub(*macro, kSaveLabel);
  }
  if (stream->Write(nullptr, 0) != 0) return call.Status(kImageFailed);
  return call.Status(result);
}

int32_t _LoadProc(QorMacro* macro, HostReadStream* stream) {
  if (macro == nullptr || stream == nullptr) return kImageFailed;
  ExportScope scope(*macro);
  const int32_t loaded = LoadVariableStream(*macro, *stream);
  (void)RunAsGosub(*macro, kLoadLabel);
  return scope.Status(loaded);
}
