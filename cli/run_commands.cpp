// Commands that run programs: run and exec.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "api/program_load.h"
#include "interrupt_watch.h"
#include "macro_sc/macro_sc.h"
#include "platform/codepage.h"
#include "session.h"
#include "state_file.h"
#include "tool.h"

namespace msc::cli {
namespace {

// Command-line text is UTF-8 here; the exports take wide text.
std::wstring Wide(const char* text) { return platform::ToWide(platform::kCodePageUtf8, text); }

// ": <message>" of the export that just failed, for the tool's complaints.
std::string Reason(QorMacro& macro) {
  MscLastError e{};
  if (_GetLastErrorQorMacro(&macro, &e) != 0 || e.message[0] == '\0') return {};
  return std::string(": ") + e.message;
}

// The exit status for an export's result: -1 (a refused call) becomes 255.
int ExitStatus(int32_t result) noexcept { return result == -1 ? 255 : (result & 0xFF); }

// NAME=VALUE: the value goes to the engine as text, which converts it to
// the variable's kind.
int SetVariable(QorMacro& macro, const char* assignment) {
  const char* equals = std::strchr(assignment, '=');
  const std::string name(assignment, static_cast<size_t>(equals - assignment));
  AnyType value;
  if (value.SetData(Wide(equals + 1).c_str()) != 0 ||
      _SetVariable(&macro, Wide(name.c_str()).c_str(), &value) != 0) {
    std::fprintf(stderr, "macro-sc: cannot set %s%s\n", name.c_str(), Reason(macro).c_str());
    return kExitUsage;
  }
  return kExitOk;
}

// Prints NAME=VALUE for a variable or any expression.
int PrintVariable(QorMacro& macro, const char* name) {
  AnyType value;
  if (_GetVariable(&macro, Wide(name).c_str(), &value) != 0) {
    std::fprintf(stderr, "macro-sc: cannot get %s%s\n", name, Reason(macro).c_str());
    return kExitUsage;
  }
  std::printf("%s=%s\n", name, platform::ToMulti(platform::kCodePageUtf8, value.GetString()).c_str());
  std::fflush(stdout);
  return kExitOk;
}

}  // namespace

int32_t ExecuteLine(QorMacro& macro, const char* line) {
  const int32_t result = _DirectExecute(&macro, Wide(line).c_str());
  std::fflush(stdout);
  return result;
}

int RunCommand(const std::vector<std::string>& operands, const RunOptions& options, double timeoutSeconds) {
  Session session;
  if (!session) return kExitFailure;
  QorMacro& macro = session.macro();
  InterruptWatch watch(macro, InterruptWatch::Mode::kCommand);
  if (!watch) return WatchFailed();
  // The limit counts from the start, compiling included, as timeout(1) would.
  watch.BeginRuns(timeoutSeconds);
  const auto go = [&watch] { return watch.stopped() == Stopped::kNo; };
  // Stored variables are restored after the program is compiled (loading
  // clears the variables) and before *MCRINIT, as a controller does at start.
  const char* program = operands[0].c_str();
  int32_t result = LoadProgramFileWithoutInit(macro, Wide(program).c_str());
  std::fflush(stdout);
  if (result == kErrIllegalCall) std::fprintf(stderr, "macro-sc: cannot open %s\n", program);
  if (result != 0) return StatusAfter(watch.EndRuns(), ExitStatus(result), timeoutSeconds);
  const char* state = options.state.empty() ? nullptr : options.state.c_str();
  if (state != nullptr) {
    if (int status = LoadState(macro, state); status != kExitOk) return status;
  }
  if (go()) RunInitRoutine(macro);
  std::fflush(stdout);
  for (const std::string& assignment : options.sets) {
    if (int status = SetVariable(macro, assignment.c_str()); status != kExitOk) return status;
  }
  for (size_t i = 1; result == 0 && go() && i < operands.size(); ++i) {
    result = _Gosub(&macro, Wide(operands[i].c_str()).c_str());
    std::fflush(stdout);
    ReportRunError(macro, operands[0], operands[i], result);
  }
  // An interrupted run ends as after any error: the variables are read and
  // stored as the run left them.
  const Stopped stopped = watch.EndRuns();
  int status = ExitStatus(result);
  for (const std::string& name : options.gets) {
    if (int got = PrintVariable(macro, name.c_str()); got != kExitOk && status == kExitOk) status = got;
  }
  if (state != nullptr) {
    if (int saved = SaveState(macro, state); saved != kExitOk && status == kExitOk) status = saved;
  }
  return StatusAfter(stopped, status, timeoutSeconds);
}

int ExecCommand(const std::vector<std::string>& lines, double timeoutSeconds) {
  Session session;
  if (!session) return kExitFailure;
  InterruptWatch watch(session.macro(), InterruptWatch::Mode::kCommand);
  if (!watch) return WatchFailed();
  watch.BeginRuns(timeoutSeconds);
  int32_t result = 0;
  for (size_t i = 0; result == 0 && watch.stopped() == Stopped::kNo && i < lines.size(); ++i)
    result = ExecuteLine(session.macro(), lines[i].c_str());
  return StatusAfter(watch.EndRuns(), ExitStatus(result), timeoutSeconds);
}

}  // namespace msc::cli
