// Debug Adapter Protocol framing: "Content-Length: N" headers, a blank
// line, then N bytes of JSON.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace msc::dap {

enum class ReadResult { kMessage, kEnd, kBadHeader };

// Reads one message body from fd. kBadHeader: the headers had no usable
// Content-Length (the rest of that message's headers were consumed, so the
// next read starts afresh).
ReadResult ReadMessage(int fd, std::string& body);

// Writes whole messages to one descriptor from any thread, numbering them.
class Writer {
 public:
  explicit Writer(int fd) noexcept : fd_(fd) {}
  // Adds seq and sends message; false once the peer has gone.
  bool Send(nlohmann::json message);

 private:
  std::mutex mutex_;
  int fd_;
  long seq_ = 0;
};

}  // namespace msc::dap
