// The macro-sc command-line tool: its commands and the conventions they share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QorMacro;

namespace msc::cli {

// Exit statuses besides the engine's own error numbers, which commands pass on.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;     // the tool itself could not work
inline constexpr int kExitUsage = 2;       // bad command line
inline constexpr int kExitCannotOpen = 5;  // a file cannot be opened (error 5)
inline constexpr int kExitTimedOut = 124;  // --timeout passed, as timeout(1) exits
inline constexpr int kExitInterrupted = 130;  // Ctrl-C: 128 + SIGINT, as a shell reports it

// Makes code page 65001 (UTF-8) the one the engine chooses unless
// QOR-Option.ini (or the scenario) names another. Before the first macro object.
void DefaultToUtf8() noexcept;

// On a terminal, gives the debug console's prompt line editing and history.
void EditConsoleLines() noexcept;

// Prints "macro-sc: <message>" and a hint to stderr; returns kExitUsage.
int UsageError(std::string_view message) noexcept;

// The options of run, in the order given.
struct RunOptions {
  std::string state;                // --state FILE; empty: none
  std::vector<std::string> sets;    // --set NAME=VALUE
  std::vector<std::string> gets;    // --get NAME
};

// The commands; each returns the exit status. timeoutSeconds (0: none)
// limits the whole command, or in the interactive mode each line.
int ListCommand(const std::string& file);
int CheckCommand(const std::string& file);
// fmt [--check] FILE...: rewrites each file in its canonical form.
int FormatCommand(const std::vector<std::string>& files, bool checkOnly);
// operands: the program file, then the labels.
int RunCommand(const std::vector<std::string>& operands, const RunOptions& options, double timeoutSeconds);
int ExecCommand(const std::vector<std::string>& lines, double timeoutSeconds);
int InteractiveCommand(double timeoutSeconds);

// After a label of run returned result: a missing label, or the file line
// and message of the error, on stderr (nothing for 0 or an interrupt).
inline constexpr int32_t kUndefinedLabel = 32;
inline constexpr int32_t kExitInterruptedError = 210;
void ReportRunError(QorMacro& macro, const std::string& file, const std::string& label, int32_t result);

// Runs one line (UTF-8) with _DirectExecute and flushes what it printed.
int32_t ExecuteLine(QorMacro& macro, const char* line);

}  // namespace msc::cli
