// The report of an error that ended a run. The report mode's low four bits
// choose the form; an error in a direct statement (line 0) leaves the last
// error fields alone, so "Err" and "Erl" keep describing the program.
#include "engine/report.h"

#include <cstdio>
#include <cstring>

#include "api/config.h"
#include "api/last_error.h"
#include "api/qor_macro.h"
#include "frontend/code.h"
#include "frontend/listing.h"
#include "platform/codepage.h"
#include "platform/console.h"
#include "platform/lock.h"

namespace msc {
namespace {

enum ReportForm : uint32_t { kSilent = 0, kConsole = 1, kTrace = 2, kMessageBox = 3 };

bool HasListableLine(const ExecFrame& f) noexcept {
  return f.line != nullptr && RecordLength(f.line) >= kRecordOverhead;
}

// Lists the current line (with its number when it has one) into out, cut to
// capacity; an absent line lists as the empty text.
void ListCurrentLine(const ExecFrame& f, char* out, size_t capacity) noexcept {
  if (capacity == 0) return;
  out[0] = '\0';
  if (!HasListableLine(f)) return;
  uint32_t number = 0;
  (void)ListLine(f.line, out, capacity, &number);
}

void ShowMessageBox(const char* message, const ExecFrame& f) noexcept {
  char text[kReportBufferSize];
  int head = std::snprintf(text, sizeof text, "%s;\n", message);
  if (head < 0) head = 0;
  if (static_cast<size_t>(head) < sizeof text)
    ListCurrentLine(f, text + head, sizeof text - static_cast<size_t>(head));

  // A cut may have split a multibyte character; drop its leading bytes until
  // the rest converts.
  wchar_t wide[kReportBufferSize];
  int length = static_cast<int>(std::strlen(text));
  int converted = 0;
  for (int tries = 0; tries < 4 && length >= 0; ++tries, --length) {
    converted = platform::MultiToWide(CodePage(), text, length, wide,
                                      static_cast<int>(kReportBufferSize) - 1);
    if (converted > 0 || length == 0) break;
  }
  wide[converted > 0 ? converted : 0] = L'\0';
  platform::MessageBox(L"Macro error", wide, true);
}

}  // namespace

void ReportError(ErrNo number, uint32_t reportMode, ExecFrame& f) noexcept {
  const uint32_t line = f.line != nullptr ? RecordLineNumber(f.line) : 0;
  const char* message = ErrorMessage(number);
  if (f.macro != nullptr) NoteErrorLine(*f.macro, number, line, false);
  if (line != 0 && f.macro != nullptr) {
    // Parallel tasks may report at the same moment; the Erl and Errno of
    // any run read the three under the lock as well.
    platform::LockGuard hold(f.macro->lock);
    f.macro->lastErrorLine = line;
    f.macro->lastErrorNumber = static_cast<uint32_t>(number);
    f.macro->lastErrorText = message;
  }

  switch (reportMode & 15) {
    case kConsole: {
      platform::ConsolePrint(message);
      char listing[kReportBufferSize];
      ListCurrentLine(f, listing, sizeof listing);
      platform::ConsolePrint(listing);
      break;
    }
    case kTrace: {
      char text[kReportBufferSize];
      if (line != 0)
        std::snprintf(text, sizeof text, "%s in %u", message, line);
      else
        std::snprintf(text, sizeof text, "%s", message);
      platform::ConsolePrint(text);
      break;
    }
    case kMessageBox:
      ShowMessageBox(message, f);
      break;
    default:
      break;  // silent: the caller's result is the whole report
  }
}

}  // namespace msc
