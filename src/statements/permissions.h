// The permissions of a macro object as the statements ask for them. An
// object without a sandbox may do whatever the user may; with one, a
// statement that would go beyond it fails with 5 "Illegal function call"
// after the missing permission is reported on the console.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/errors.h"
#include "engine/frame.h"
#include "platform/sandbox.h"
#include "platform/sandbox_files.h"

class QorMacro;

namespace msc {

// The object's sandbox, or null. Taken once per statement: the host sets it
// only while no run is under way.
[[nodiscard]] std::shared_ptr<const platform::Sandbox> SandboxOf(const QorMacro& m) noexcept;

// kOk, or 5 with the report when the sandbox forbids starting processes.
[[nodiscard]] ErrNo MayRun(ExecFrame& f) noexcept;
// kOk, or 5 with the report when the sandbox forbids loading and calling
// libraries.
[[nodiscard]] ErrNo MayLoadLibraries(ExecFrame& f) noexcept;

// A file name handed to the controller or the program loader, which open
// names themselves. Without a sandbox it is the name as given; with one, the
// file is opened inside an allowed folder first and the name given on is
// that open file's, so the opener cannot be led elsewhere. A file created
// here goes again unless Succeeded() is called.
class HeldName {
 public:
  // Where a name without a directory is: the controller's data files are
  // in the configuration directory, other files in the current one.
  enum class Base { kCurrentDirectory, kConfigDirectory };
  // flags: O_RDONLY, O_WRONLY | O_CREAT, O_RDWR ...
  HeldName(ExecFrame& f, const wchar_t* name, int flags, Base base) noexcept;

  // False when the file could not be held (denied, or missing).
  explicit operator bool() const noexcept { return name_ != nullptr; }
  // Failed for want of a permission, which was reported.
  [[nodiscard]] bool denied() const noexcept { return held_ && held_->denied(); }
  [[nodiscard]] const wchar_t* name() const noexcept { return name_; }
  void Succeeded() noexcept {
    if (held_) held_->Keep();
  }

 private:
  const wchar_t* name_ = nullptr;
  std::optional<platform::sandboxed::HeldFile> held_;
};

}  // namespace msc
