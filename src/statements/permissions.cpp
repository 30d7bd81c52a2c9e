#include "statements/permissions.h"

#include "api/qor_macro.h"
#include "macro_sc/host.h"
#include "platform/codepage.h"
#include "platform/filesystem.h"
#include "platform/lock.h"

namespace msc {

std::shared_ptr<const platform::Sandbox> SandboxOf(const QorMacro& m) noexcept {
  platform::LockGuard hold(const_cast<QorMacro&>(m).lock);
  return m.sandbox;
}

ErrNo MayRun(ExecFrame& f) noexcept {
  const auto box = SandboxOf(*f.macro);
  if (!box || box->MayRun()) return kOk;
  platform::ReportMissingPermission("Shell", "--allow-run");
  return kErrIllegalCall;
}

ErrNo MayLoadLibraries(ExecFrame& f) noexcept {
  const auto box = SandboxOf(*f.macro);
  if (!box || box->MayLoadLibraries()) return kOk;
  platform::ReportMissingPermission("a user subroutine", "--allow-ffi");
  return kErrIllegalCall;
}

HeldName::HeldName(ExecFrame& f, const wchar_t* name, int flags, Base base) noexcept {
  const auto box = SandboxOf(*f.macro);
  if (!box) {
    name_ = name;
    return;
  }
  try {
    std::string path = platform::FileSystemPath(name);
    if (path.empty()) return;
    if (base == Base::kConfigDirectory && path.find('/') == std::string::npos) {
      const wchar_t* directory = GetCoreRAPath();
      path = platform::FileSystemPath(directory != nullptr ? directory : L"") + path;
    }
    held_.emplace(*box, path, flags);
    if (*held_) name_ = held_->name();
  } catch (...) {
    name_ = nullptr;
  }
}

}  // namespace msc
