// After a label's run fails, the tool names the file line it failed in, as
// a compiler would; the engine's own report (on the console) names only
// the program line.
#include <cstdio>

#include "frontend/line_inspection.h"
#include "macro_sc/macro_sc.h"
#include "platform/codepage.h"
#include "tool.h"

namespace msc::cli {

void ReportRunError(QorMacro& macro, const std::string& file, const std::string& label, int32_t result) {
  if (result == 0 || result == kExitInterruptedError) return;
  const std::wstring wide = platform::ToWide(platform::kCodePageUtf8, label);
  if (result == kUndefinedLabel && _IsExistLabel(&macro, wide.c_str()) == 0) {
    std::fprintf(stderr, "macro-sc: %s: no line begins with the label %s\n", file.c_str(), label.c_str());
    return;
  }
  MscLastError e{};
  if (_GetLastErrorQorMacro(&macro, &e) != 0 || e.number != result || e.fileLine == 0) return;
  std::fprintf(stderr, "%s:%u:%u: error: %s (error %d)\n", file.c_str(), e.fileLine,
               inspect::FirstTokenColumn(macro, e.line), e.message, result);
}

}  // namespace msc::cli
