#include "platform/sandbox.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "platform/console.h"

namespace msc::platform {
namespace {

// The longest name and the longest component Linux takes.
constexpr size_t kMaxName = PATH_MAX - 1;
constexpr size_t kMaxComponent = NAME_MAX;

bool HasControlCharacter(const std::string& s) noexcept {
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return true;
  }
  return false;
}

// The name made absolute from the current directory, with empty, "." and
// ".." components folded away ("/.." is "/"). False when a component or
// the whole is too long, or the current directory is unknown.
bool Fold(const std::string& name, std::string* out) {
  std::string whole;
  if (name.empty() || name[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) return false;
    whole = std::string(cwd) + "/" + name;
  } else {
    whole = name;
  }
  std::vector<std::string_view> parts;
  const std::string_view all(whole);
  size_t start = 0;
  while (start <= all.size()) {
    size_t slash = all.find('/', start);
    if (slash == std::string_view::npos) slash = all.size();
    const std::string_view part = all.substr(start, slash - start);
    if (part.size() > kMaxComponent) return false;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  out->clear();
  for (const std::string_view part : parts) {
    *out += '/';
    *out += part;
  }
  if (out->empty()) *out = "/";
  return out->size() <= kMaxName;
}

// The rest of path below folder, or false when path is not inside it.
bool Below(const std::string& folder, const std::string& path, std::string* rest) {
  if (folder == "/") {
    *rest = path.substr(1);
    return true;
  }
  if (path.compare(0, folder.size(), folder) != 0) return false;
  if (path.size() == folder.size()) {
    rest->clear();
    return true;
  }
  if (path[folder.size()] != '/') return false;
  *rest = path.substr(folder.size() + 1);
  return true;
}

// openat without any symbolic link, one component at a time from root;
// for kernels without openat2. The path holds no "." or "..".
int WalkOpen(int root, const std::string& below, int flags, mode_t mode) noexcept {
  int dir = root;
  size_t start = 0;
  for (;;) {
    const size_t slash = below.find('/', start);
    if (slash == std::string::npos) break;
    const std::string part = below.substr(start, slash - start);
    const int next = openat(dir, part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir != root) close(dir);
    if (next < 0) return -1;
    dir = next;
    start = slash + 1;
  }
  const int fd = openat(dir, below.c_str() + start, flags | O_NOFOLLOW | O_CLOEXEC, mode);
  const int saved = errno;
  if (dir != root) close(dir);
  errno = saved;
  return fd;
}

void ReportDenied(Access access, const std::string& shown) noexcept {
  try {
    const bool read = access == Access::kRead;
    const std::string text = std::string("Permission denied: ") + (read ? "read" : "write") +
                             " access to " + shown + (read ? " needs --allow-read" : " needs --allow-write");
    ConsolePrint(text.c_str());
  } catch (...) {
    ConsolePrint("Permission denied");
  }
}

}  // namespace

std::shared_ptr<const Sandbox> Sandbox::Make(const SandboxRules& rules, std::string* problem) noexcept {
  try {
    std::shared_ptr<Sandbox> box(new Sandbox());
    box->run_ = rules.run;
    box->ffi_ = rules.ffi;
    const auto add = [&](const std::vector<std::string>& names, std::vector<Folder>& into) {
      for (const std::string& name : names) {
        // The folder's own links are resolved once, here: what it names now
        // is what stays allowed.
        char resolved[PATH_MAX];
        const int fd = realpath(name.c_str(), resolved) != nullptr
                           ? open(resolved, O_PATH | O_DIRECTORY | O_CLOEXEC)
                           : -1;
        if (fd < 0) {
          *problem = name + ": no folder that can be opened";
          return false;
        }
        into.push_back(Folder{resolved, fd});
      }
      return true;
    };
    if (!add(rules.read, box->read_) || !add(rules.write, box->write_)) return nullptr;
    return box;
  } catch (...) {
    *problem = "out of memory";
    return nullptr;
  }
}

Sandbox::~Sandbox() {
  for (const Folder& f : read_) close(f.fd);
  for (const Folder& f : write_) close(f.fd);
}

bool Sandbox::Locate(const std::string& name, Access access, Place* place) const noexcept {
  try {
    if (HasControlCharacter(name)) {
      ConsolePrint("Permission denied: a file name with a control character");
      return false;
    }
    if (name.size() > kMaxName || !Fold(name, &place->shown)) {
      ConsolePrint("Permission denied: a file name too long");
      return false;
    }
    // The deepest folder that holds the name decides.
    const Folder* best = nullptr;
    std::string rest;
    for (const Folder& f : access == Access::kRead ? read_ : write_) {
      std::string below;
      if (Below(f.path, place->shown, &below) && (best == nullptr || f.path.size() > best->path.size())) {
        best = &f;
        rest = std::move(below);
      }
    }
    if (best == nullptr) {
      ReportDenied(access, place->shown);
      return false;
    }
    place->root = best->fd;
    place->below = std::move(rest);
    return true;
  } catch (...) {
    return false;
  }
}

int Sandbox::Open(const Place& place, int flags, mode_t mode, bool report) const noexcept {
  const char* below = place.below.empty() ? "." : place.below.c_str();
  open_how how{};
  // openat2 refuses O_PATH with any flag that opening for real would use.
  how.flags = static_cast<uint64_t>(flags | O_CLOEXEC | ((flags & O_PATH) != 0 ? 0 : O_NOCTTY));
  how.mode = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? mode : 0;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
  int fd = static_cast<int>(syscall(SYS_openat2, place.root, below, &how, sizeof how));
  if (fd < 0 && (errno == ENOSYS || errno == EPERM)) {
    // An old kernel, or a seccomp filter that knows no openat2.
    fd = place.below.empty() ? openat(place.root, ".", flags | O_CLOEXEC, mode)
                             : WalkOpen(place.root, place.below, flags, mode);
    // The walk refuses every link, whether or not it would stay inside.
    if (fd < 0 && errno == ELOOP) errno = EXDEV;
  }
  if (fd < 0 && errno == EXDEV && report) {
    try {
      ConsolePrint(("Permission denied: " + place.shown + " leads outside its allowed folder").c_str());
    } catch (...) {
    }
    errno = EXDEV;
  }
  return fd;
}

int Sandbox::OpenParent(const Place& place, std::string* leaf) const noexcept {
  try {
    if (place.below.empty()) return -1;
    const size_t slash = place.below.rfind('/');
    Place parent = place;
    parent.below = slash == std::string::npos ? std::string() : place.below.substr(0, slash);
    *leaf = place.below.substr(slash == std::string::npos ? 0 : slash + 1);
    return Open(parent, O_PATH | O_DIRECTORY);
  } catch (...) {
    return -1;
  }
}

void ReportMissingPermission(const char* what, const char* option) noexcept {
  try {
    ConsolePrint((std::string("Permission denied: ") + what + " needs " + option).c_str());
  } catch (...) {
    ConsolePrint("Permission denied");
  }
}

}  // namespace msc::platform
