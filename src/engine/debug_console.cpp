// Several threads of one process may stop at once. Three process-wide objects
// keep them apart: the owner mutex is held by the thread that opened the
// console, the open event tells later entries that a console is open (so that
// a line typed at the console which stops again joins instead of waiting for
// itself), and the prompt mutex makes one prompt and its line read atomic, so
// threads inside the console take turns line by line.
#include "engine/debug_console.h"

#include <cstdio>
#include <iterator>
#include <memory>
#include <new>
#include <string>

#include <unistd.h>

#include "api/qor_macro.h"
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

// Prompts and reads one line under the prompt mutex; false at end of input.
bool PromptForLine(const ConsoleObjects& o, char* line) noexcept {
  if (o.prompt) o.prompt->Lock();
  platform::RestoreConsoleWindow();
  platform::RawConsolePrint(kPrompt, sizeof kPrompt - 1);
  std::fflush(stdout);
  size_t length = 0;
  const bool got = platform::ReadStdinLine(line, kConsoleLineSize, &length);
  if (o.prompt) o.prompt->Unlock();
  return got;
}

}  // namespace

ErrNo DebugConsole(ExecFrame& f) noexcept {
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
    (void)DirectExecute(*f.macro, line.get(), &result);
  }

  if (result < std::size(kStepEffects)) {
    f.stepFlag = kStepEffects[result].stepFlag;
    f.stepMode = kStepEffects[result].stepMode;
  }

  platform::FlushTypedAhead(kTypedAheadMs);

  if (owner) {
    if (o.owner) o.owner->Unlock();
    if (o.open) o.open->Reset();
  }
  return kOk;
}

}  // namespace msc
