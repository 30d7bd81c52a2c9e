// The interactive mode: each line read runs as a direct statement, so
// numbered lines edit the program and List, Run, Save and Load work as in a
// classic BASIC. A terminal gets line editing and history; other input is
// read quietly, so that a script can be piped in.
//
// Ctrl-C stops the statement that runs and leaves the program in memory; at
// the prompt it discards the line typed so far, as the Python and Lua
// prompts do. Readline is driven through its callback interface, so that
// the prompt waits on the terminal and on the watcher at once.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include <readline/history.h>
#include <readline/readline.h>

#include "frontend/code.h"
#include "interrupt_watch.h"
#include "platform/stdin_reader.h"
#include "session.h"
#include "tool.h"

namespace msc::cli {
namespace {

struct FreeText {
  void operator()(char* text) const noexcept { std::free(text); }
};
using ReadlineText = std::unique_ptr<char, FreeText>;

// What readline's line callback was handed; the callback takes no context.
char* g_line = nullptr;
bool g_lineDone = false;

void TakeLine(char* line) {
  g_line = line;
  g_lineDone = true;
  rl_callback_handler_remove();  // the terminal goes back to normal for the run
}

enum class Prompt { kLine, kCancelled, kEnd };

// Waits until stdin or cancelFd (Ctrl-C) is readable; false on an error.
bool WaitForInput(int cancelFd, bool* cancelled) noexcept {
  pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {cancelFd, POLLIN, 0}};
  for (;;) {
    if (::poll(fds, 2, -1) >= 0) break;
    if (errno != EINTR) return false;
  }
  *cancelled = (fds[1].revents & POLLIN) != 0;
  return true;
}

// One line from the terminal with line editing.
Prompt ReadTerminalLine(InterruptWatch& watch, ReadlineText* line) {
  g_line = nullptr;
  g_lineDone = false;
  rl_callback_handler_install("> ", TakeLine);
  while (!g_lineDone) {
    bool cancelled = false;
    if (!WaitForInput(watch.IdleSignalFd(), &cancelled)) {
      rl_callback_handler_remove();
      return Prompt::kEnd;
    }
    if (cancelled) {
      watch.TakeIdleSignal();
      rl_echo_signal_char(SIGINT);  // "^C", when the terminal settings echo it
      rl_free_line_state();
      rl_callback_sigcleanup();
      rl_callback_handler_remove();
      std::fputc('\n', rl_outstream);
      return Prompt::kCancelled;
    }
    rl_callback_read_char();
  }
  line->reset(g_line);
  return g_line != nullptr ? Prompt::kLine : Prompt::kEnd;
}

// Runs one line under the watch; a line that takes too long is stopped.
void RunLine(QorMacro& macro, InterruptWatch& watch, const char* line, double timeoutSeconds) {
  watch.BeginRuns(timeoutSeconds);
  (void)ExecuteLine(macro, line);
  (void)StatusAfter(watch.EndRuns(), kExitOk, timeoutSeconds);
}

int TerminalSession(QorMacro& macro, InterruptWatch& watch, double timeoutSeconds) {
  std::puts("macro-sc interactive mode: type statements, numbered lines edit the program; "
            "end with Ctrl-D.");
  std::fflush(stdout);
  rl_catch_signals = 0;  // Ctrl-C is the watcher's
  for (;;) {
    ReadlineText line;
    const Prompt prompt = ReadTerminalLine(watch, &line);
    if (prompt == Prompt::kEnd) break;
    if (prompt == Prompt::kCancelled) continue;
    if (*line != '\0') add_history(line.get());
    RunLine(macro, watch, line.get(), timeoutSeconds);
  }
  return kExitOk;  // readline has ended the line of the Ctrl-D
}

// Piped input: the statements' own console input (Input, the debug console)
// shares standard input, so lines are read without a stdio buffer.
int QuietSession(QorMacro& macro, InterruptWatch& watch, double timeoutSeconds) {
  std::unique_ptr<char[]> line(new (std::nothrow) char[kLineBufferSize]);
  if (!line) return kExitFailure;
  for (;;) {
    // Without a prompt to go back to, Ctrl-C between lines ends the
    // session, as it ends any program that reads a pipe.
    bool cancelled = false;
    if (!WaitForInput(watch.IdleSignalFd(), &cancelled)) break;
    if (cancelled) return kExitInterrupted;
    size_t length = 0;
    if (!platform::ReadStdinLine(line.get(), kLineBufferSize, &length)) break;
    if (length != 0 && line[length - 1] == '\r') line[length - 1] = '\0';
    RunLine(macro, watch, line.get(), timeoutSeconds);
  }
  return kExitOk;
}

}  // namespace

int InteractiveCommand(double timeoutSeconds) {
  Session session;
  if (!session) return kExitFailure;
  InterruptWatch watch(session.macro(), InterruptWatch::Mode::kSession);
  if (!watch) return WatchFailed();
  if (platform::StdinIsTerminal()) return TerminalSession(session.macro(), watch, timeoutSeconds);
  return QuietSession(session.macro(), watch, timeoutSeconds);
}

}  // namespace msc::cli
