// Several threads of one process may stop at once. Three process-wide objects
// keep them apart: the owner mutex is held by the thread that opened the
// console, the open event tells later entries that a console is open (so that
// a line typed at the console which stops again joins instead of waiting for
// itself), and the prompt mutex makes one prompt and its line read atomic, so
// threads inside the console take turns line by line.
#include "engine/debug_console.h"

#include <atomic>
#include <cstdio>
#include <iterator>
#include <memory>
#include <new>
#include <string>

#include <unistd.h>

#include "api/qor_macro.h"
#include "engine/debug_hooks.h"
#include "engine/run.h"
#include "platform/console.h"
#include "platform/named_sync.h"
#include "platform/stdin_reader.h"

namespace msc {
namespace {

constexpr int kOwnerPollMs = 10;
constexpr int kTypedAheadMs = 300;
constexpr char kStopText[] = "Stop : Press Enter key to continue ...";
constexpr char kPrompt[] = "Macro(SC)> ";

struct ConsoleObjects {
  platform::NamedMutex* owner;
  platform::NamedMutex* prompt;
  platform::NamedEvent* open;
};

ConsoleObjects& Objects() noexcept {
  static ConsoleObjects objects = [] {
    const std::string pid = std::to_string(static_cast<long>(getpid()));
    return ConsoleObjects{platform::OpenNamedMutex("ConsoleMutex_" + pid),
                          platform::OpenNamedMutex("ConsoleMutex2_" + pid),
                          platform::OpenNamedEvent("ConsoleEvent_" + pid)};
  }();
  return objects;
}

// Step flag and step mode that each "Cont" result gives the stopped frame.
struct StepEffect {
  uint32_t stepFlag;
  uint32_t stepMode;
};
constexpr StepEffect kStepEffects[] = {
    {0, 0},  // 0: no "Cont" (never applied)
    {0, 0},  // 1: Cont - run on freely
    {1, 2},  // 2: Cont 0 - step into
    {1, 3},  // 3: Cont 1 - step over subroutines
    {0, 4},  // 4: Cont 2 - run until the current subroutine returns
};
static_assert(std::size(kStepEffects) == 5 && kStepEffects[2].stepMode == 2 &&
              kStepEffects[4].stepMode == 4);

std::atomic<ConsoleLineReader> g_lineReader{nullptr};

void ApplyStepResult(ExecFrame& f, uint32_t result) noexcept {
  if (result < std::size(kStepEffects)) {
    f.stepFlag = kStepEffects[result].stepFlag;
    f.stepMode = kStepEffects[result].stepMode;
  }
}

// Prompts and reads one line under the prompt mutex; false at end of input.
bool PromptForLine(const ConsoleObjects& o, char* line) noexcept {
  if (o.prompt) o.prompt->Lock();
  platform::RestoreConsoleWindow();
  bool got = false;
  if (const ConsoleLineReader reader = g_lineReader.load()) {
    got = reader(kPrompt, line, kConsoleLineSize);
  } else {
    platform::RawConsolePrint(kPrompt, sizeof kPrompt - 1);
    std::fflush(stdout);
    size_t length = 0;
    got = platform::ReadStdinLine(line, kConsoleLineSize, &length);
  }
  if (o.prompt) o.prompt->Unlock();
  return got;
}

// "help", in any case and with spaces around: no statement is spelled so.
bool IsHelp(const char* line) noexcept {
  while (*line == ' ') ++line;
  static constexpr char kWord[] = "help";
  for (const char* w = kWord; *w != '\0'; ++w, ++line)
    if ((*line | 0x20) != *w) return false;
  while (*line == ' ') ++line;
  return *line == '\0';
}

constexpr const char* kHelp[] = {
    "The program is stopped before the line shown. Each line typed runs as a",
    "statement on the stopped program:",
    "  Cont           run on",
    "  Cont 0         step into: stop before every line, inside subroutines too",
    "  Cont 1         step over: run a Gosub's routine whole, stop after it",
    "  Cont 2         step out: run on until the current routine returns",
    "  Print EXPR     show a value (? EXPR for short)",
    "  List [N[-M]]   show the program's lines",
    "  NAME = EXPR    change a variable; a numbered line edits the program",
    "The end of input counts as Cont.",
};

}  // namespace

void SetConsoleLineReader(ConsoleLineReader reader) noexcept { g_lineReader.store(reader); }

ErrNo DebugConsole(ExecFrame& f, ErrNo error) noexcept {
  // A debugger takes the prompt's place; standard input is not the user's
  // then, so nothing typed ahead is flushed from it.
  if (debug::Driver* driver = f.macro->debugDriver.load(std::memory_order_acquire); driver != nullptr) {
    ApplyStepResult(f, driver->Stopped(f, error));
    return kOk;
  }
  ConsoleObjects& o = Objects();

  bool owner = false;
  if (o.open == nullptr || !o.open->IsSet()) {
    if (o.owner && !o.owner->Lock(kOwnerPollMs)) {
      platform::RawConsolePrint(kStopText, sizeof kStopText - 1);
      std::fflush(stdout);
      o.owner->Lock();
    }
    if (o.open) o.open->Set();
    owner = true;
  }

  std::unique_ptr<char[]> line(new (std::nothrow) char[kConsoleLineSize]);
  uint32_t result = 0;
  while (result == 0) {
    // Without a buffer nothing can be typed; go on as if "Cont" was.
    if (!line || !PromptForLine(o, line.get())) {
      result = 1;
      break;
    }
    if (IsHelp(line.get())) {
      for (const char* text : kHelp) platform::LinePrint(text);
      continue;
    }
    (void)DirectExecute(*f.macro, line.get(), &result);
  }

  ApplyStepResult(f, result);

  platform::FlushTypedAhead(kTypedAheadMs);

  if (owner) {
    if (o.owner) o.owner->Unlock();
    if (o.open) o.open->Reset();
  }
  return kOk;
}

}  // namespace msc
