// One macro object on the simulated controller, as the commands use it.
#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "engine/errors.h"
#include "frontend/code.h"

class QorMacro;

namespace msc::cli {

class Session {
 public:
  Session() noexcept;
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // False when the macro object could not be created (a message is on stderr).
  explicit operator bool() const noexcept { return macro_ != nullptr; }
  QorMacro& macro() noexcept { return *macro_; }

  // Loads a program source file without running anything. Compile messages
  // go to stdout as the loader prints them; a file that cannot be opened is
  // also reported on stderr. Returns the loader's error number.
  [[nodiscard]] ErrNo LoadSource(const char* path) noexcept;

  // Calls fn(text) with the numbered listing of every program line, in UTF-8.
  // False when the work buffers cannot be had.
  template <class Fn>
  bool ForEachListing(Fn&& fn) noexcept {
    std::unique_ptr<char[]> listing(new (std::nothrow) char[kLineBufferSize]);
    std::unique_ptr<char[]> utf8(new (std::nothrow) char[kLineBufferSize]);
    if (!listing || !utf8) return false;
    for (const uint8_t* r = NextRecord(nullptr); r != nullptr; r = NextRecord(r)) {
      fn(ListRecord(r, listing.get(), utf8.get()));
    }
    return true;
  }

 private:
  // The record after record (the first for null); null at the end.
  const uint8_t* NextRecord(const uint8_t* record) const noexcept;
  // The numbered listing of a record, in UTF-8 when it converts, else as listed.
  const char* ListRecord(const uint8_t* record, char* listing, char* utf8) const noexcept;

  QorMacro* macro_ = nullptr;
};

}  // namespace msc::cli
