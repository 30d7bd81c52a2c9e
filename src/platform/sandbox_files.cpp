#include "platform/sandbox_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/filesystem.h"

namespace msc::platform::sandboxed {
namespace {

// Closes a descriptor at the end of a scope.
class Fd {
 public:
  explicit Fd(int fd = -1) noexcept : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  void reset(int fd) noexcept {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }
  int get() const noexcept { return fd_; }
  int release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

size_t CharacterCount(const std::string& s) noexcept {
  return static_cast<size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

bool Locate(const Sandbox& box, const wchar_t* name, Access access, Sandbox::Place* place) {
  const std::string path = FileSystemPath(name);
  return !path.empty() && box.Locate(path, access, place);
}

struct Entry {
  std::string name;
  bool directory = false;
  bool link = false;
};

// The entries of directory fd (".", ".." left out) whose names match, in
// name order; links are not followed.
std::vector<Entry> List(int fd, const std::string& pattern) {
  std::vector<Entry> entries;
  const int copy = dup(fd);
  DIR* dir = copy >= 0 ? fdopendir(copy) : nullptr;
  if (dir == nullptr) {
    if (copy >= 0) close(copy);
    return entries;
  }
  while (const dirent* d = readdir(dir)) {
    const std::string name = d->d_name;
    if (name == "." || name == ".." || !NameMatches(pattern, name)) continue;
    struct stat st{};
    if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    entries.push_back(Entry{name, S_ISDIR(st.st_mode), S_ISLNK(st.st_mode)});
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return entries;
}

// A pattern's directory opened inside the sandbox and its matches. False
// when the directory may not be reached; a missing one has no matches.
struct Matches {
  Sandbox::Place place;
  std::string directoryPart;  // as written, for the length limit
  Fd dir;
  std::vector<Entry> entries;
};

bool FindMatches(const Sandbox& box, const wchar_t* pattern, Access access, Matches* out) {
  const std::string path = FileSystemPath(pattern);
  const size_t slash = path.rfind('/');
  out->directoryPart = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string last = path.substr(out->directoryPart.size());
  if (!box.Locate(out->directoryPart.empty() ? "." : out->directoryPart, access, &out->place)) return false;
  if (last.empty() || last == "." || last == "..") return true;
  Fd dir(box.Open(out->place, O_RDONLY | O_DIRECTORY));
  if (dir.get() < 0) return errno != EXDEV;
  if (last.find_first_of("*?") == std::string::npos) {
    struct stat st{};
    if (fstatat(dir.get(), last.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
      out->entries.push_back(Entry{last, S_ISDIR(st.st_mode), S_ISLNK(st.st_mode)});
  } else {
    out->entries = List(dir.get(), last);
  }
  out->dir.reset(dir.release());
  return true;
}

// Deletes name in directory fd, a directory after its content, never
// following a link: a link is removed itself.
void DeleteAt(int fd, const std::string& name, bool directory, size_t characters, bool* tooLong) {
  if (characters > kMaxPathCharacters) {
    *tooLong = true;
    return;
  }
  if (directory) {
    Fd child(openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (child.get() >= 0) {
      for (const Entry& e : List(child.get(), "*"))
        DeleteAt(child.get(), e.name, e.directory, characters + 1 + CharacterCount(e.name), tooLong);
    }
    (void)unlinkat(fd, name.c_str(), AT_REMOVEDIR);
  } else {
    (void)unlinkat(fd, name.c_str(), 0);
  }
}

}  // namespace

std::FILE* OpenStream(const Sandbox& box, const wchar_t* name, const char* mode) noexcept {
  try {
    const bool read = mode[0] == 'r';
    Sandbox::Place place;
    if (!Locate(box, name, read ? Access::kRead : Access::kWrite, &place)) return nullptr;
    const int flags = read ? O_RDONLY : O_WRONLY | O_CREAT | (mode[0] == 'a' ? O_APPEND : O_TRUNC);
    Fd fd(box.Open(place, flags));
    struct stat st{};
    if (fd.get() < 0 || fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return nullptr;
    std::FILE* file = fdopen(fd.get(), mode);
    if (file != nullptr) (void)fd.release();
    return file;
  } catch (...) {
    return nullptr;
  }
}

bool MakeDirectory(const Sandbox& box, const wchar_t* name) noexcept {
  try {
    Sandbox::Place place;
    std::string leaf;
    if (!Locate(box, name, Access::kWrite, &place)) return false;
    Fd parent(box.OpenParent(place, &leaf));
    return parent.get() >= 0 && mkdirat(parent.get(), leaf.c_str(), 0777) == 0;
  } catch (...) {
    return false;
  }
}

bool RemoveEmptyDirectory(const Sandbox& box, const wchar_t* name) noexcept {
  try {
    Sandbox::Place place;
    std::string leaf;
    if (!Locate(box, name, Access::kWrite, &place)) return false;
    Fd parent(box.OpenParent(place, &leaf));
    return parent.get() >= 0 && unlinkat(parent.get(), leaf.c_str(), AT_REMOVEDIR) == 0;
  } catch (...) {
    return false;
  }
}

bool CopyFileReplacing(const Sandbox& box, const wchar_t* source, const wchar_t* destination) noexcept {
  try {
    Sandbox::Place from, to;
    if (!Locate(box, source, Access::kRead, &from) || !Locate(box, destination, Access::kWrite, &to)) return false;
    Fd in(box.Open(from, O_RDONLY));
    struct stat src{}, dst{};
    if (in.get() < 0 || fstat(in.get(), &src) != 0 || !S_ISREG(src.st_mode)) return false;
    // Emptied only once it is known not to be the source itself.
    Fd out(box.Open(to, O_WRONLY | O_CREAT));
    if (out.get() < 0 || fstat(out.get(), &dst) != 0 || !S_ISREG(dst.st_mode)) return false;
    if (src.st_dev == dst.st_dev && src.st_ino == dst.st_ino) return false;
    if (ftruncate(out.get(), 0) != 0) return false;
    char buffer[65536];
    for (;;) {
      const ssize_t got = read(in.get(), buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return false;
      if (got == 0) return true;
      for (ssize_t done = 0; done < got;) {
        const ssize_t put = write(out.get(), buffer + done, static_cast<size_t>(got - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += put;
      }
    }
  } catch (...) {
    return false;
  }
}

bool FreeSpace(const Sandbox& box, const wchar_t* path, uint64_t* bytes) noexcept {
  try {
    Sandbox::Place place;
    if (!Locate(box, path, Access::kRead, &place)) return false;
    Fd fd(box.Open(place, O_PATH));
    struct statvfs vfs{};
    if (fd.get() < 0 || fstatvfs(fd.get(), &vfs) != 0) return false;
    *bytes = static_cast<uint64_t>(vfs.f_bfree) * vfs.f_frsize;
    return true;
  } catch (...) {
    return false;
  }
}

int ClassifyFirstMatch(const Sandbox& box, const wchar_t* pattern) noexcept {
  try {
    Matches found;
    if (!FindMatches(box, pattern, Access::kRead, &found)) return -1;
    if (found.entries.empty()) return 0;
    const Entry& first = found.entries.front();
    if (!first.link) return first.directory ? 2 : 1;
    // A link counts as what it points to, when that is inside the folder.
    Sandbox::Place target = found.place;
    target.below += (target.below.empty() ? "" : "/") + first.name;
    Fd fd(box.Open(target, O_PATH, 0, false));
    struct stat st{};
    return fd.get() >= 0 && fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode) ? 2 : 1;
  } catch (...) {
    return 0;
  }
}

int DeleteMatches(const Sandbox& box, const wchar_t* pattern) noexcept {
  try {
    Matches found;
    if (!FindMatches(box, pattern, Access::kWrite, &found)) return -1;
    bool tooLong = false;
    for (const Entry& e : found.entries)
      DeleteAt(found.dir.get(), e.name, e.directory, CharacterCount(found.directoryPart + e.name), &tooLong);
    return tooLong ? 0 : 1;
  } catch (...) {
    return 1;
  }
}

HeldFile::HeldFile(const Sandbox& box, const std::string& name, int flags) noexcept {
  try {
    Sandbox::Place place;
    const int access = flags & O_ACCMODE;
    denied_ = true;
    if (access != O_WRONLY && !box.Locate(name, Access::kRead, &place)) return;
    if (access != O_RDONLY && !box.Locate(name, Access::kWrite, &place)) return;
    denied_ = false;
    if ((flags & O_CREAT) != 0) {
      fd_ = box.Open(place, flags | O_EXCL);
      created_ = fd_ >= 0;
      if (fd_ < 0 && errno == EEXIST) fd_ = box.Open(place, flags & ~O_CREAT);
    } else {
      fd_ = box.Open(place, flags);
    }
    denied_ = fd_ < 0 && errno == EXDEV;
    struct stat st{};
    if (fd_ >= 0 && (fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode))) {
      close(fd_);
      fd_ = -1;
    }
    if (fd_ < 0) return;
    if (created_) parent_ = box.OpenParent(place, &leaf_);
    std::swprintf(name_, std::size(name_), L"/proc/self/fd/%d", fd_);
  } catch (...) {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }
}

HeldFile::~HeldFile() {
  if (created_ && parent_ >= 0) {
    // Removed only while the name still is the file that was made.
    struct stat held{}, now{};
    if (fstat(fd_, &held) == 0 && fstatat(parent_, leaf_.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        held.st_ino == now.st_ino && held.st_dev == now.st_dev)
      (void)unlinkat(parent_, leaf_.c_str(), 0);
  }
  if (parent_ >= 0) close(parent_);
  if (fd_ >= 0) close(fd_);
}

}  // namespace msc::platform::sandboxed
