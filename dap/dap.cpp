// The protocol loop: messages read on this thread, the program run on a
// thread of the adapter's.
#include "dap.h"

#include <cstdio>
#include <unistd.h>

#include "adapter.h"
#include "framing.h"

namespace msc::dap {

int DapCommand() {
  // The protocol owns standard output; anything else printed there (by
  // this process or a program's Shell) goes to standard error instead.
  std::fflush(stdout);
  const int protocol = ::dup(STDOUT_FILENO);
  if (protocol < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    std::fputs("macro-sc: cannot set up the protocol channel\n", stderr);
    return 1;
  }
  Writer out(protocol);
  Adapter adapter(out);
  std::string body;
  for (;;) {
    const ReadResult read = ReadMessage(STDIN_FILENO, body);
    if (read == ReadResult::kEnd) break;
    if (read == ReadResult::kBadHeader) {
      adapter.Refuse(0, "", "a message without a valid Content-Length header");
      continue;
    }
    nlohmann::json message = nlohmann::json::parse(body, nullptr, false);
    if (message.is_discarded()) {
      adapter.Refuse(0, "", "a message that is no JSON");
      continue;
    }
    bool more = true;
    try {
      more = adapter.Handle(message);
    } catch (const std::exception& e) {
      // A request whose arguments have the wrong types.
      adapter.Refuse(message.is_object() ? message.value("seq", 0) : 0, "", e.what());
    }
    if (!more) break;
  }
  ::close(protocol);
  return 0;
}

}  // namespace msc::dap
