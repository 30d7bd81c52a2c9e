// macro-sc: loads, lists, checks and runs macro programs on a simulated
// controller.
//
//   macro-sc [OPTIONS] [COMMAND [ARGS]]
//
// The command line is parsed with CLI11: the tool's options (the controller's
// configuration, scenario and trace) may stand anywhere, before or after the
// command; the options of run only after it.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "input_file.h"
#include "simulator.h"
#include "sandbox_options.h"
#include "tool.h"
#include "dap.h"

#ifndef MSC_VERSION
#define MSC_VERSION "unknown"
#endif

namespace msc::cli {
namespace {

void PrintHelp() {
  std::puts(
      "Usage: macro-sc [OPTIONS] [COMMAND [ARGS]]\n"
      "\n"
      "Loads macro programs into a macro object on a simulated controller.\n"
      "\n"
      "Without a command, each line read from standard input runs as a direct\n"
      "statement (interactive, with line editing, on a terminal).\n"
      "\n"
      "Commands:\n"
      "  list FILE     print the numbered listing of a program source file\n"
      "  check FILE    find the mistakes of a program source file without running\n"
      "                it: compile errors, blocks that do not close, jumps to labels\n"
      "                or lines that do not exist, unbalanced parentheses, variables\n"
      "                never given a value (Option Explicit), unreachable lines;\n"
      "                FILE:LINE:COLUMN messages on standard error, and the exit\n"
      "                status is the first error's number\n"
      "  fmt [--check] FILE ...\n"
      "                rewrite each file in its canonical form (keywords spelled as\n"
      "                listed, names in upper case, spaces and comments kept); with\n"
      "                --check change nothing, name the files that would change and\n"
      "                exit with 1 if any would\n"
      "  run [RUN OPTIONS] FILE [LABEL ...]\n"
      "                load a program, which runs *MCRINIT, then call each label;\n"
      "                the exit status is the first non-zero result\n"
      "  exec LINE ... execute each line as a direct statement (numbered lines edit\n"
      "                the program)\n"
      "  dap           serve the Debug Adapter Protocol on standard input and output\n"
      "                (for editors: launch a program's label, breakpoints, stepping)\n"
      "\n"
      "Options (anywhere on the line):\n"
      "  --config DIR      read QOR-Option.ini and Version.ini from DIR\n"
      "                    (default: $MACRO_SC_CONFIG, else the current directory)\n"
      "                    Programs run with code page 65001 (UTF-8) unless\n"
      "                    QOR-Option.ini names another ([Macro] codePage=N)\n"
      "  --controller FILE start the simulated controller from a scenario (TOML):\n"
      "                    scenes and units, measurement results, named data,\n"
      "                    channels and calls that fail on purpose\n"
      "  --trace-host FILE write every call that reaches the controller to FILE as\n"
      "                    one JSON object per line (- for standard output)\n"
      "  --timeout SECONDS interrupt run or exec when it takes longer (status 124),\n"
      "                    in the interactive mode every line that does; 0: no limit\n"
      "  --encoding NAME   read program source files in NAME (any name iconv knows:\n"
      "                    shift_jis, cp932, cp1252, latin1 ...; default utf-8) and\n"
      "                    write them in NAME with Save; without it Save writes UTF-8.\n"
      "                    Lines with bytes not in NAME are reported on standard\n"
      "                    error, and check fails for them (status 2)\n"
      "  --sandbox         run macros someone else wrote: no files, processes or\n"
      "                    libraries but what the options below allow (error 5)\n"
      "  --allow-read=DIR  with --sandbox: read files below DIR (repeatable)\n"
      "  --allow-write=DIR with --sandbox: create, change and delete below DIR\n"
      "  --allow-run       with --sandbox: Shell may start programs\n"
      "  --allow-ffi       with --sandbox: SetUserSubroutine and Call may load libraries\n"
      "  --max-memory MB   bound what a program's variables, texts, arrays and lines\n"
      "                    hold; past it the program gets error 7\n"
      "  --help            show this help\n"
      "  --version         show the version\n"
      "\n"
      "Options of run (anywhere after the command; each may repeat but --state):\n"
      "  --state FILE       restore the stored variables (names ending with &&, ##\n"
      "                     or $$) from FILE before *MCRINIT when FILE exists, and\n"
      "                     save them to FILE after the last label (FILE is removed\n"
      "                     when there is nothing to store)\n"
      "  --set NAME=VALUE   assign VALUE (as text, converted to the variable's kind)\n"
      "                     to a variable or array element after *MCRINIT\n"
      "  --get NAME         after the labels, print NAME=VALUE for a variable, an\n"
      "                     array element or any expression\n"
      "\n"
      "Ctrl-C interrupts the program that runs; the interactive mode then goes on\n"
      "with the program still in memory.\n"
      "\n"
      "Exit status: 0 on success, 1 when the tool cannot work (a damaged state or\n"
      "scenario file), 2 for a bad command line, 5 when a file cannot be opened,\n"
      "124 when --timeout passed, 130 after Ctrl-C, otherwise the number of the\n"
      "first error of the program.");
}

// The tool's options, which set up the controller before any macro object.
struct ToolOptions {
  std::string config;
  std::string scenario;
  std::string trace;
  std::string timeout;
  std::string encoding;
  bool version = false;
};

// Applies the tool's options; kExitOk, or the status to stop with.
int SetUpController(const ToolOptions& options) {
  // The configuration directory must be set before the first macro object,
  // which reads the configuration.
  if (!options.config.empty()) sim::SetConfigDirectory(options.config);
  std::string message;
  if (!options.scenario.empty()) {
    switch (sim::LoadScenario(options.scenario, &message)) {
      case sim::ScenarioResult::kLoaded: break;
      case sim::ScenarioResult::kCannotOpen:
        std::fprintf(stderr, "macro-sc: %s\n", message.c_str());
        return kExitCannotOpen;
      case sim::ScenarioResult::kInvalid:
        std::fprintf(stderr, "macro-sc: %s\n", message.c_str());
        return kExitFailure;
    }
  }
  DefaultToUtf8();
  EditConsoleLines();
  if (!options.trace.empty() && !sim::StartHostTrace(options.trace, &message)) {
    std::fprintf(stderr, "macro-sc: cannot write the trace: %s\n", message.c_str());
    return kExitCannotOpen;
  }
  return kExitOk;
}

// The seconds of --timeout: a real number, 0 for no limit; -1 when invalid.
double TimeoutSeconds(const std::string& text) noexcept {
  if (text.empty()) return 0;
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds) || seconds < 0) return -1;
  return seconds;
}

// Names what was left over on the command line: a word where a command
// belongs, or an option nobody takes.
int ExtraArgument(const CLI::App& app, const std::string& first) {
  if (!first.empty() && first[0] == '-') return UsageError("unknown option '" + first + "'");
  if (app.get_subcommands().empty()) return UsageError("unknown command '" + first + "'");
  return UsageError("unexpected argument '" + first + "'");
}

// Adds a positional argument list to a command.
void Operands(CLI::App* command, const char* name, std::vector<std::string>& into) {
  command->add_option(name, into)->expected(0, -1);
}

}  // namespace

int UsageError(std::string_view message) noexcept {
  std::fprintf(stderr, "macro-sc: %.*s\nTry 'macro-sc --help'.\n", static_cast<int>(message.size()),
               message.data());
  return kExitUsage;
}

int Main(int argc, char** argv) {
  CLI::App app("macro-sc", "macro-sc");
  app.fallthrough();  // the tool's options also after the command
  app.require_subcommand(0, 1);
  ToolOptions tool;
  app.add_option("--config", tool.config);
  app.add_option("--controller", tool.scenario);
  app.add_option("--trace-host", tool.trace);
  app.add_option("--timeout", tool.timeout);
  SandboxOptions sandbox;
  AddSandboxOptions(app, sandbox);
  app.add_option("--encoding", tool.encoding);
  app.allow_extras();  // named by ExtraArgument, in words of this tool
  app.add_flag("--version", tool.version);

  std::vector<std::string> listFile, checkFile, runOperands, execLines;
  RunOptions run;
  Operands(app.add_subcommand("list"), "FILE", listFile);
  Operands(app.add_subcommand("check"), "FILE", checkFile);
  std::vector<std::string> fmtFiles;
  bool fmtCheck = false;
  CLI::App* fmtCommand = app.add_subcommand("fmt");
  fmtCommand->add_flag("--check", fmtCheck);
  Operands(fmtCommand, "FILE", fmtFiles);
  CLI::App* runCommand = app.add_subcommand("run");
  runCommand->add_option("--state", run.state);
  runCommand->add_option("--set", run.sets)->allow_extra_args(false);
  runCommand->add_option("--get", run.gets)->allow_extra_args(false);
  Operands(runCommand, "OPERANDS", runOperands);
  CLI::App* execCommand = app.add_subcommand("exec");
  Operands(execCommand, "LINE", execLines);
  CLI::App* dapCommand = app.add_subcommand("dap");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    PrintHelp();
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    return UsageError(e.what());
  }
  if (tool.version) {
    std::puts("macro-sc " MSC_VERSION);
    return kExitOk;
  }
  if (!app.remaining().empty()) return ExtraArgument(app, app.remaining().front());
  if (const int status = TakeSandboxOptions(sandbox); status != kExitOk) return status;
  const double timeout = TimeoutSeconds(tool.timeout);
  if (timeout < 0) return UsageError("--timeout takes a number of seconds, not " + tool.timeout);
  for (const std::string& assignment : run.sets) {
    if (assignment.find('=') == std::string::npos || assignment[0] == '=')
      return UsageError("--set takes NAME=VALUE, not " + assignment);
  }
  const auto one = [](const std::vector<std::string>& files, const char* command) -> const std::string* {
    if (files.size() == 1) return &files[0];
    UsageError(std::string(command) + " needs exactly one FILE");
    return nullptr;
  };
  // The command line is checked whole before the controller is set up.
  const std::string* file = nullptr;
  if (app.got_subcommand("list") && (file = one(listFile, "list")) == nullptr) return kExitUsage;
  if (app.got_subcommand("check") && (file = one(checkFile, "check")) == nullptr) return kExitUsage;
  if (runCommand->parsed() && runOperands.empty()) return UsageError("run needs a program file");
  if (execCommand->parsed() && execLines.empty()) return UsageError("exec needs at least one line");
  if (fmtCommand->parsed() && fmtFiles.empty()) return UsageError("fmt needs at least one FILE");
  if (fmtCommand->parsed() && !tool.timeout.empty()) return UsageError("--timeout is for commands that run programs");
  if (file != nullptr && !tool.timeout.empty()) return UsageError("--timeout is for commands that run programs");
  if (!UseSourceEncoding(tool.encoding)) return UsageError("unknown encoding '" + tool.encoding + "'");
  const std::string* program = runCommand->parsed() ? &runOperands[0] : file;
  if (program != nullptr) {
    if (const int status = CheckProgramFile(*program); status != kExitOk) return status;
  }

  if (const int status = SetUpController(tool); status != kExitOk) return status;
  int status = kExitOk;
  if (app.got_subcommand("list")) status = ListCommand(*file);
  else if (app.got_subcommand("check")) status = CheckCommand(*file);
  else if (fmtCommand->parsed()) status = FormatCommand(fmtFiles, fmtCheck);
  else if (runCommand->parsed()) status = RunCommand(runOperands, run, timeout);
  else if (execCommand->parsed()) status = ExecCommand(execLines, timeout);
  else if (dapCommand->parsed()) status = msc::dap::DapCommand();
  else status = InteractiveCommand(timeout);
  sim::StopHostTrace();
  return status;
}

}  // namespace msc::cli

int main(int argc, char** argv) {
  const int status = msc::cli::Main(argc, argv);
  std::fflush(stdout);
  return status;
}
