// The options that run macros someone else wrote in a sandbox: --sandbox,
// --allow-read=DIR, --allow-write=DIR, --allow-run, --allow-ffi and
// --max-memory MB. They apply to every macro object the tool makes.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}
class QorMacro;

namespace msc::cli {

struct SandboxOptions {
  bool sandbox = false;
  bool run = false;
  bool ffi = false;
  std::vector<std::string> read;
  std::vector<std::string> write;
  std::string maxMemory;  // megabytes; empty: no limit
};

// Adds the options to the tool's command line, filling options.
void AddSandboxOptions(CLI::App& app, SandboxOptions& options);

// Checks what was given (a usage error names the problem) and keeps it for
// ApplySandbox; kExitOk or the status to stop with.
[[nodiscard]] int TakeSandboxOptions(const SandboxOptions& options);

// Puts a new macro object under the options taken; false (with a message)
// when the engine refuses them.
[[nodiscard]] bool ApplySandbox(QorMacro& macro);

}  // namespace msc::cli
