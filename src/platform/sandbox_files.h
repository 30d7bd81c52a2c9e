// The file system operations of filesystem.h inside a sandbox: the same
// results, with every name resolved into an allowed folder and every
// operation done from a descriptor there, so that no link leads out.
// A name outside what is allowed fails as a missing file would, after the
// denial is reported.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/sandbox.h"

namespace msc::platform::sandboxed {

[[nodiscard]] std::FILE* OpenStream(const Sandbox& box, const wchar_t* name, const char* mode) noexcept;
[[nodiscard]] bool MakeDirectory(const Sandbox& box, const wchar_t* name) noexcept;
[[nodiscard]] bool RemoveEmptyDirectory(const Sandbox& box, const wchar_t* name) noexcept;
[[nodiscard]] bool CopyFileReplacing(const Sandbox& box, const wchar_t* source, const wchar_t* destination) noexcept;
[[nodiscard]] bool FreeSpace(const Sandbox& box, const wchar_t* path, uint64_t* bytes) noexcept;
// -1 when the folder of the pattern may not be read, else as ClassifyFirstMatch.
[[nodiscard]] int ClassifyFirstMatch(const Sandbox& box, const wchar_t* pattern) noexcept;
// -1 when the folder of the pattern may not be written; 0 when a path of
// the recursion is too long; 1 otherwise (single failures are skipped).
[[nodiscard]] int DeleteMatches(const Sandbox& box, const wchar_t* pattern) noexcept;

// A file opened inside the sandbox for someone who only takes names (the
// controller's data files, the program loader): name() is the descriptor's
// name under /proc/self/fd, which opens that very file and nothing else.
// A file that the opening created is removed again unless Keep() is
// called, so a write that failed leaves nothing behind.
class HeldFile {
 public:
  // flags: O_RDONLY, or O_WRONLY / O_RDWR with or without O_CREAT.
  HeldFile(const Sandbox& box, const std::string& name, int flags) noexcept;
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  explicit operator bool() const noexcept { return fd_ >= 0; }
  // Failed for want of a permission (reported), not for a missing file.
  bool denied() const noexcept { return denied_; }
  const wchar_t* name() const noexcept { return name_; }
  void Keep() noexcept { created_ = false; }

 private:
  int fd_ = -1;
  int parent_ = -1;  // kept while a created file may have to go
  bool created_ = false;
  bool denied_ = false;
  std::string leaf_;
  wchar_t name_[32] = {};
};

}  // namespace msc::platform::sandboxed
