#include "input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool.h"

namespace msc::cli {
namespace {

int Refuse(const std::string& path, const char* why) noexcept {
  std::fprintf(stderr, "macro-sc: %s: %s\n", path.c_str(), why);
  return kExitCannotOpen;
}

// What a file that is not a regular one is, for the message.
const char* KindOf(mode_t mode) noexcept {
  if (S_ISDIR(mode)) return "is a directory";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device";
  if (S_ISFIFO(mode)) return "is a FIFO";
  if (S_ISSOCK(mode)) return "is a socket";
  return "is not a regular file";
}

}  // namespace

int CheckProgramFile(const std::string& path) noexcept {
  // What the name is comes first, so that a device is never opened (opening
  // some has effects of its own).
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return Refuse(path, std::strerror(errno));
  if (!S_ISREG(status.st_mode)) return Refuse(path, KindOf(status.st_mode));
  // Only opening tells whether this process may read it: the permission
  // bits say nothing for root.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Refuse(path, std::strerror(errno));
  ::close(fd);
  return kExitOk;
}

}  // namespace msc::cli
