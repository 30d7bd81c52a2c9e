// What a macro object may reach outside the engine: folders it may read,
// folders it may write, and whether it may start processes or load
// libraries. Without a sandbox everything the user may do is allowed.
//
// Names are checked after they are resolved: a relative name is taken from
// the current directory, "." and ".." are folded, and the rest is opened
// from a descriptor of the allowed folder that was opened when the sandbox
// was made. The open itself is the check, so nothing can be swapped between
// a check and its use: the kernel resolves below the folder (openat2 with
// RESOLVE_BENEATH, refusing /proc's magic links), or, where it cannot, the
// name is walked one component at a time refusing every symbolic link.
// Nothing here throws.
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace msc::platform {

enum class Access : unsigned char { kRead, kWrite };

struct SandboxRules {
  bool run = false;  // Shell
  bool ffi = false;  // SetUserSubroutine and Call
  std::vector<std::string> read;
  std::vector<std::string> write;
};

class Sandbox {
 public:
  // A name resolved into an allowed folder: the folder's descriptor and the
  // path below it ("" for the folder itself); shown is the folded absolute
  // name, for reports.
  struct Place {
    int root = -1;
    std::string below;
    std::string shown;
  };

  // Opens every folder; null with *problem set when one is no folder that
  // can be opened.
  [[nodiscard]] static std::shared_ptr<const Sandbox> Make(const SandboxRules& rules,
                                                           std::string* problem) noexcept;
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  [[nodiscard]] bool MayRun() const noexcept { return run_; }
  [[nodiscard]] bool MayLoadLibraries() const noexcept { return ffi_; }

  // Finds the allowed folder of a name (UTF-8, "/" separated). False, with
  // the denial reported on the console, for a name outside every folder of
  // that access, with a control character, or too long.
  [[nodiscard]] bool Locate(const std::string& name, Access access, Place* place) const noexcept;

  // Opens the place with open(2) flags, never leaving its folder; -1 with
  // errno on failure (an escape through a link is reported as a denial).
  [[nodiscard]] int Open(const Place& place, int flags, mode_t mode = 0666, bool report = true) const noexcept;
  // Opens the directory that holds the place (O_PATH) and gives the last
  // name; -1 when the place is a folder itself.
  [[nodiscard]] int OpenParent(const Place& place, std::string* leaf) const noexcept;

 private:
  struct Folder {
    std::string path;  // absolute, resolved, without a trailing "/" ("/" itself excepted)
    int fd = -1;
  };
  Sandbox() = default;
  bool run_ = false;
  bool ffi_ = false;
  std::vector<Folder> read_;
  std::vector<Folder> write_;
};

// Reports on the console that a statement needed a permission it lacks.
void ReportMissingPermission(const char* what, const char* option) noexcept;

}  // namespace msc::platform
