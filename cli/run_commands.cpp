// Commands that run programs: run, exec, and the interactive mode.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <readline/history.h>
#include <readline/readline.h>

#include "api/program_load.h"
#include "frontend/code.h"
#include "macro_sc/macro_sc.h"
#include "platform/codepage.h"
#include "platform/stdin_reader.h"
#include "session.h"
#include "state_file.h"
#include "tool.h"

namespace msc::cli {
namespace {

// Command-line text is UTF-8 here; the exports take wide text.
std::wstring Wide(const char* text) { return platform::ToWide(platform::kCodePageUtf8, text); }

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
    std::fprintf(stderr, "macro-sc: cannot set %s\n", name.c_str());
    return kExitUsage;
  }
  return kExitOk;
}

// Prints NAME=VALUE for a variable or any expression.
int PrintVariable(QorMacro& macro, const char* name) {
  AnyType value;
  if (_GetVariable(&macro, Wide(name).c_str(), &value) != 0) {
    std::fprintf(stderr, "macro-sc: cannot get %s\n", name);
    return kExitUsage;
  }
  std::printf("%s=%s\n", name, platform::ToMulti(platform::kCodePageUtf8, value.GetString()).c_str());
  std::fflush(stdout);
  return kExitOk;
}

int32_t Execute(QorMacro& macro, const char* line) {
  const int32_t result = _DirectExecute(&macro, Wide(line).c_str());
  std::fflush(stdout);
  return result;
}

}  // namespace

int RunCommand(const std::vector<std::string>& operands, const RunOptions& options) {
  Session session;
  if (!session) return kExitFailure;
  QorMacro& macro = session.macro();
  // Stored variables are restored after the program is compiled (loading
  // clears the variables) and before *MCRINIT, as a controller does at start.
  const char* program = operands[0].c_str();
  int32_t result = LoadProgramFileWithoutInit(macro, Wide(program).c_str());
  std::fflush(stdout);
  if (result == kErrIllegalCall) std::fprintf(stderr, "macro-sc: cannot open %s\n", program);
  if (result != 0) return ExitStatus(result);
  const char* state = options.state.empty() ? nullptr : options.state.c_str();
  if (state != nullptr) {
    if (int status = LoadState(macro, state); status != kExitOk) return status;
  }
  RunInitRoutine(macro);
  std::fflush(stdout);
  for (const std::string& assignment : options.sets) {
    if (int status = SetVariable(macro, assignment.c_str()); status != kExitOk) return status;
  }
  for (size_t i = 1; result == 0 && i < operands.size(); ++i) {
    result = _Gosub(&macro, Wide(operands[i].c_str()).c_str());
    std::fflush(stdout);
  }
  int status = ExitStatus(result);
  for (const std::string& name : options.gets) {
    if (int got = PrintVariable(macro, name.c_str()); got != kExitOk && status == kExitOk) status = got;
  }
  if (state != nullptr) {
    if (int saved = SaveState(macro, state); saved != kExitOk && status == kExitOk) status = saved;
  }
  return status;
}

int ExecCommand(const std::vector<std::string>& lines) {
  Session session;
  if (!session) return kExitFailure;
  int32_t result = 0;
  for (size_t i = 0; result == 0 && i < lines.size(); ++i) result = Execute(session.macro(), lines[i].c_str());
  return ExitStatus(result);
}

// Each line typed runs as a direct statement: numbered lines edit the program,
// so List, Run, Save and Load work as in a classic BASIC. A terminal gets line
// editing and history; other input is read quietly, so a script can be piped in.
int InteractiveCommand() {
  Session session;
  if (!session) return kExitFailure;
  if (platform::StdinIsTerminal()) {
    std::puts("macro-sc interactive mode: type statements, numbered lines edit the program; "
              "end with Ctrl-D.");
    while (char* line = readline("> ")) {
      std::unique_ptr<char, decltype(&std::free)> owned(line, &std::free);
      if (*line != '\0') add_history(line);
      (void)Execute(session.macro(), line);
    }
    std::putchar('\n');
    return kExitOk;
  }
  // The statements' own console input (Input, the debug console) shares
  // standard input, so lines are read without a stdio buffer.
  std::unique_ptr<char[]> line(new (std::nothrow) char[kLineBufferSize]);
  if (!line) return kExitFailure;
  size_t length = 0;
  while (platform::ReadStdinLine(line.get(), kLineBufferSize, &length)) {
    if (length != 0 && line[length - 1] == '\r') line[length - 1] = '\0';
    (void)Execute(session.macro(), line.get());
  }
  return kExitOk;
}

}  // namespace msc::cli
