// Commands that run programs: run, exec, and the interactive mode.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include <readline/history.h>
#include <readline/readline.h>

#include "frontend/code.h"
#include "macro_sc/macro_sc.h"
#include "platform/codepage.h"
#include "platform/stdin_reader.h"
#include "session.h"
#include "tool.h"

namespace msc::cli {
namespace {

// Command-line text is UTF-8 here; the exports take wide text.
std::wstring Wide(const char* text) { return platform::ToWide(platform::kCodePageUtf8, text); }

// The exit status for an export's result: -1 (a refused call) becomes 255.
int ExitStatus(int32_t result) noexcept { return result == -1 ? 255 : (result & 0xFF); }

int32_t Execute(QorMacro& macro, const char* line) {
  const int32_t result = _DirectExecute(&macro, Wide(line).c_str());
  std::fflush(stdout);
  return result;
}

}  // namespace

int RunCommand(Arguments args) {
  if (args.empty()) return UsageError("run needs a program file");
  Session session;
  if (!session) return kExitFailure;
  // Loading runs *MCRINIT; a program without it is not at fault.
  int32_t result = _LoadProgramF(&session.macro(), Wide(args[0]).c_str());
  std::fflush(stdout);
  if (result == kErrIllegalCall) std::fprintf(stderr, "macro-sc: cannot open %s\n", args[0]);
  for (size_t i = 1; result == 0 && i < args.size(); ++i) {
    result = _Gosub(&session.macro(), Wide(args[i]).c_str());
    std::fflush(stdout);
  }
  return ExitStatus(result);
}

int ExecCommand(Arguments args) {
  if (args.empty()) return UsageError("exec needs at least one line");
  Session session;
  if (!session) return kExitFailure;
  int32_t result = 0;
  for (size_t i = 0; result == 0 && i < args.size(); ++i) result = Execute(session.macro(), args[i]);
  return ExitStatus(result);
}

// Each line typed runs as a direct statement: numbered lines edit the program,
// so List, Run, Save and Load work as in a classic BASIC. A terminal gets line
// editing and history; other input is read quietly, so a script can be piped in.
int InteractiveCommand(Arguments) {
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
