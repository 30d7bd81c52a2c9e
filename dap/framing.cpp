#include "framing.h"

#include <cerrno>
#include <cstdlib>
#include <strings.h>
#include <unistd.h>

namespace msc::dap {
namespace {

// The longest header line and body taken; a larger one is refused.
constexpr size_t kMaxHeaderLine = 1024;
constexpr size_t kMaxBody = 64u << 20;

// One byte; false at the end of input.
bool ReadByte(int fd, char& c) {
  for (;;) {
    const ssize_t n = ::read(fd, &c, 1);
    if (n == 1) return true;
    if (n < 0 && errno == EINTR) continue;
    return false;
  }
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

ReadResult ReadMessage(int fd, std::string& body) {
  long length = -1;
  bool any = false;
  std::string line;
  for (;;) {
    char c;
    if (!ReadByte(fd, c)) return any ? ReadResult::kBadHeader : ReadResult::kEnd;
    any = true;
    if (c == '\r') continue;
    if (c != '\n') {
      if (line.size() < kMaxHeaderLine) line += c;
      continue;
    }
    if (line.empty()) break;  // the blank line after the headers
    constexpr char kLength[] = "Content-Length:";
    if (::strncasecmp(line.c_str(), kLength, sizeof kLength - 1) == 0) {
      char* end = nullptr;
      const long n = std::strtol(line.c_str() + sizeof kLength - 1, &end, 10);
      while (end != nullptr && (*end == ' ' || *end == '\t')) ++end;
      length = (end != nullptr && *end == '\0' && n >= 0) ? n : -1;
    }
    line.clear();
  }
  if (length < 0 || static_cast<size_t>(length) > kMaxBody) return ReadResult::kBadHeader;
  body.assign(static_cast<size_t>(length), '\0');
  for (size_t got = 0; got < body.size();) {
    const ssize_t n = ::read(fd, body.data() + got, body.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return ReadResult::kEnd;
    got += static_cast<size_t>(n);
  }
  return ReadResult::kMessage;
}

bool Writer::Send(nlohmann::json message) {
  std::lock_guard<std::mutex> hold(mutex_);
  message["seq"] = ++seq_;
  // Program output may hold bytes that are no UTF-8; they become U+FFFD.
  const std::string body = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  const std::string head = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  return WriteAll(fd_, head.data(), head.size()) && WriteAll(fd_, body.data(), body.size());
}

}  // namespace msc::dap
