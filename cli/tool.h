// The macro-sc command-line tool: its commands and the conventions they share.
#pragma once

#include <span>
#include <string_view>

namespace msc::cli {

// Exit statuses besides the engine's own error numbers, which commands pass on.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the tool itself could not work
inline constexpr int kExitUsage = 2;    // bad command line

// The arguments after the command's name.
using Arguments = std::span<char* const>;

struct Command {
  std::string_view name;
  std::string_view operands;  // as shown in the help, after the name
  std::string_view summary;
  int (*run)(Arguments args);
};

// Prints "macro-sc: <message>" and a hint to stderr; returns kExitUsage.
int UsageError(std::string_view message) noexcept;

// The commands.
int ListCommand(Arguments args);
int CheckCommand(Arguments args);
int RunCommand(Arguments args);
int ExecCommand(Arguments args);
int InteractiveCommand(Arguments args);

}  // namespace msc::cli
