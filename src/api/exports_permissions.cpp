// _SetPermissionsQorMacro: the sandbox and the memory limit of an object.
#include <cstdio>
#include <mutex>
#include <string>

#include "api/qor_macro.h"
#include "macro_sc/macro_sc.h"
#include "platform/lock.h"
#include "platform/sandbox.h"

namespace {

void AddFolders(const char* const* list, std::vector<std::string>& into) {
  for (; list != nullptr && *list != nullptr; ++list) into.emplace_back(*list);
}

}  // namespace

int32_t _SetPermissionsQorMacro(QorMacro* macro, const MscPermissions* permissions) {
  if (macro == nullptr) return -1;
  QorMacro& m = *macro;
  std::shared_ptr<const msc::platform::Sandbox> box;
  int64_t limit = 0;
  try {
    if (permissions != nullptr) {
      limit = static_cast<int64_t>(permissions->maxMemoryBytes > INT64_MAX ? INT64_MAX : permissions->maxMemoryBytes);
      if ((permissions->flags & MSC_SANDBOX) != 0) {
        msc::platform::SandboxRules rules;
        rules.run = (permissions->flags & MSC_ALLOW_RUN) != 0;
        rules.ffi = (permissions->flags & MSC_ALLOW_FFI) != 0;
        AddFolders(permissions->read, rules.read);
        AddFolders(permissions->write, rules.write);
        std::string problem;
        box = msc::platform::Sandbox::Make(rules, &problem);
        if (!box) return -1;
      }
    }
  } catch (...) {
    return -1;
  }
  // Runs take the sandbox once per statement: it changes only between runs.
  const msc::platform::LockGuard hold(m.lock);
  {
    std::lock_guard<std::mutex> runs(m.runs.mutex);
    if (m.runs.live > 0) return -1;
  }
  m.sandbox = std::move(box);
  m.memory.limit.store(limit, std::memory_order_relaxed);
  return 0;
}
