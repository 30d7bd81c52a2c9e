// Line editing and history at the debug console's prompt, with the same
// readline history as the interactive prompt. The engine asks through its
// line-reader hook; a stopped run that is interrupted (Ctrl-C, --timeout)
// must leave the prompt within a few milliseconds, so the terminal is
// polled and the run's stop check asked between keys.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <readline/history.h>
#include <readline/readline.h>

#include "engine/debug_console.h"
#include "platform/stdin_reader.h"
#include "platform/stop_check.h"
#include "tool.h"

namespace msc::cli {
namespace {

char* g_consoleLine = nullptr;
bool g_consoleLineDone = false;

void TakeConsoleLine(char* line) {
  g_consoleLine = line;
  g_consoleLineDone = true;
  rl_callback_handler_remove();
}

bool ReadConsoleLine(const char* prompt, char* line, size_t capacity) {
  g_consoleLine = nullptr;
  g_consoleLineDone = false;
  rl_callback_handler_install(prompt, TakeConsoleLine);
  while (!g_consoleLineDone) {
    if (platform::StopRequested()) {
      rl_free_line_state();
      rl_callback_handler_remove();
      std::fputc('\n', rl_outstream);
      return false;
    }
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (::poll(&p, 1, platform::kStopPollMs) > 0) rl_callback_read_char();
  }
  if (g_consoleLine == nullptr) return false;  // Ctrl-D
  if (*g_consoleLine != '\0') add_history(g_consoleLine);
  std::strncpy(line, g_consoleLine, capacity - 1);
  line[capacity - 1] = '\0';
  std::free(g_consoleLine);
  return true;
}

}  // namespace

void EditConsoleLines() noexcept {
  if (!platform::StdinIsTerminal()) return;  // piped input is read as it comes
  rl_catch_signals = 0;  // Ctrl-C is the tool's interrupt watch's
  SetConsoleLineReader(ReadConsoleLine);
}

}  // namespace msc::cli
