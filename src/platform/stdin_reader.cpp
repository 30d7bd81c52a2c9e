#include "platform/stdin_reader.h"

#include "platform/stop_check.h"

#include <cerrno>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace msc::platform {

namespace {

// With a stop check: waits until input is ready; false once stopped.
bool WaitReadable() noexcept {
  if (!HasStopCheck()) return true;
  for (;;) {
    if (StopRequested()) return false;
    pollfd p{STDIN_FILENO, POLLIN, 0};
    const int n = poll(&p, 1, kStopPollMs);
    if (n != 0 && !(n < 0 && errno == EINTR)) return true;  // ready, closed or failed: read tells
  }
}

}  // namespace

int ReadStdinByte() noexcept {
  unsigned char c;
  for (;;) {
    if (!WaitReadable()) return kStdinStopped;
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n == 1) return c;
    if (n < 0 && errno == EINTR) continue;
    return -1;
  }
}

bool ReadStdinLine(char* buffer, size_t capacity, size_t* length) noexcept {
  size_t n = 0;
  bool any = false;
  for (;;) {
    const int c = ReadStdinByte();
    if (c < 0) break;
    any = true;
    if (c == '\n') break;
    if (n + 1 < capacity) buffer[n++] = static_cast<char>(c);
  }
  if (n > 0 && buffer[n - 1] == '\r') --n;
  if (capacity > 0) buffer[n] = '\0';
  if (length) *length = n;
  return any;
}

bool StdinIsTerminal() noexcept { return isatty(STDIN_FILENO) == 1; }

void FlushTypedAhead(int waitMs) noexcept {
  if (!StdinIsTerminal()) return;
  pollfd p{STDIN_FILENO, POLLIN, 0};
  if (poll(&p, 1, waitMs) > 0) tcflush(STDIN_FILENO, TCIFLUSH);
}

}  // namespace msc::platform
