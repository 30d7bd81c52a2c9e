#include "sandbox_options.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <CLI/CLI.hpp>

#include "macro_sc/macro_sc.h"
#include "tool.h"

namespace msc::cli {
namespace {

// What the options asked for, for every object the tool makes.
struct Taken {
  MscPermissions permissions{};
  std::vector<std::string> read, write;
  std::vector<const char*> readList, writeList;
  bool any = false;
};
Taken& Current() {
  static Taken taken;
  return taken;
}

std::vector<const char*> Terminated(const std::vector<std::string>& folders) {
  std::vector<const char*> list;
  for (const std::string& folder : folders) list.push_back(folder.c_str());
  list.push_back(nullptr);
  return list;
}

bool IsFolder(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

void AddSandboxOptions(CLI::App& app, SandboxOptions& options) {
  app.add_flag("--sandbox", options.sandbox);
  app.add_option("--allow-read", options.read)->allow_extra_args(false);
  app.add_option("--allow-write", options.write)->allow_extra_args(false);
  app.add_flag("--allow-run", options.run);
  app.add_flag("--allow-ffi", options.ffi);
  app.add_option("--max-memory", options.maxMemory);
}

int TakeSandboxOptions(const SandboxOptions& options) {
  // An --allow-... alone would look like a limit and be none.
  if (!options.sandbox && (options.run || options.ffi || !options.read.empty() || !options.write.empty()))
    return UsageError("--allow-read, --allow-write, --allow-run and --allow-ffi widen --sandbox, which is missing");
  for (const auto* folders : {&options.read, &options.write}) {
    for (const std::string& folder : *folders) {
      if (!IsFolder(folder)) return UsageError("--allow-read and --allow-write take a folder, not " + folder);
    }
  }
  uint64_t bytes = 0;
  if (!options.maxMemory.empty()) {
    char* end = nullptr;
    const double mb = std::strtod(options.maxMemory.c_str(), &end);
    if (end == options.maxMemory.c_str() || *end != '\0' || !std::isfinite(mb) || mb <= 0 || mb > 1e12)
      return UsageError("--max-memory takes a number of megabytes, not " + options.maxMemory);
    bytes = static_cast<uint64_t>(mb * 1024 * 1024);
  }
  Taken& t = Current();
  t.any = options.sandbox || bytes != 0;
  t.read = options.read;
  t.write = options.write;
  t.readList = Terminated(t.read);
  t.writeList = Terminated(t.write);
  uint32_t flags = 0;
  if (options.sandbox) flags |= MSC_SANDBOX;
  if (options.run) flags |= MSC_ALLOW_RUN;
  if (options.ffi) flags |= MSC_ALLOW_FFI;
  t.permissions.flags = flags;
  t.permissions.read = t.readList.data();
  t.permissions.write = t.writeList.data();
  t.permissions.maxMemoryBytes = bytes;
  return kExitOk;
}

bool ApplySandbox(QorMacro& macro) {
  const Taken& t = Current();
  if (!t.any) return true;
  if (_SetPermissionsQorMacro(&macro, &t.permissions) == 0) return true;
  std::fputs("macro-sc: the sandbox could not be set up\n", stderr);
  return false;
}

}  // namespace msc::cli
