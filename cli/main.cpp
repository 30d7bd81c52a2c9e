// macro-sc: loads, lists and checks macro programs on a simulated controller.
//
//   macro-sc [--config DIR] COMMAND [ARGS]
//
// Global options come before the command. A command is one function and one
// row of the table below.
#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "simulator.h"
#include "tool.h"

#ifndef MSC_VERSION
#define MSC_VERSION "unknown"
#endif

namespace msc::cli {
namespace {

constexpr std::array kCommands = {
    // list FILE: print the numbered listing of a source file; runs nothing.
    Command{"list", "FILE", "print the numbered listing of a program source file", ListCommand},
    // check FILE: compile a source file; the status is the first error number.
    Command{"check", "FILE", "compile a program source file and report every error;\n"
                             "                the exit status is the first error number",
            CheckCommand},
    // run [OPTIONS] FILE [LABEL ...]: load (running *MCRINIT), then call each label.
    Command{"run", "FILE [LABEL ...]", "load a program, which runs *MCRINIT, then call each label;\n"
                                       "                the exit status is the first non-zero result",
            RunCommand},
    // exec LINE ...: execute each line as a direct statement on one object.
    Command{"exec", "LINE ...", "execute each line as a direct statement (numbered lines edit\n"
                                "                the program)",
            ExecCommand},
};

void PrintHelp() {
  std::puts("Usage: macro-sc [--config DIR] [COMMAND [ARGS]]\n"
            "\n"
            "Loads macro programs into a macro object on a simulated controller.\n"
            "\n"
            "Without a command, each line read from standard input runs as a direct\n"
            "statement (interactive, with line editing, on a terminal).\n"
            "\n"
            "Commands:");
  for (const Command& c : kCommands) {
    const std::string head = std::string(c.name) + " " + std::string(c.operands);
    std::printf("  %-12s  %.*s\n", head.c_str(), static_cast<int>(c.summary.size()),
                c.summary.data());
  }
  std::puts("\n"
            "Options:\n"
            "  --config DIR  read QOR-Option.ini and Version.ini from DIR\n"
            "                (default: $MACRO_SC_CONFIG, else the current directory)\n"
            "  --help        show this help\n"
            "  --version     show the version\n"
            "\n"
            "Options of run (anywhere after the command, each may repeat but --state):\n"
            "  --state FILE       restore the stored variables (names ending with &&, ##\n"
            "                     or $$) from FILE before *MCRINIT when FILE exists, and\n"
            "                     save them to FILE after the last label (FILE is removed\n"
            "                     when there is nothing to store)\n"
            "  --set NAME=VALUE   assign VALUE (as text, converted to the variable's kind)\n"
            "                     to a variable or array element after *MCRINIT\n"
            "  --get NAME         after the labels, print NAME=VALUE for a variable, an\n"
            "                     array element or any expression\n"
            "\n"
            "Exit status: 0 on success, 2 for a bad command line, 5 when a file cannot\n"
            "be opened, otherwise the number of the first error of the program.");
}

const Command* FindCommand(std::string_view name) {
  for (const Command& c : kCommands) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace

int UsageError(std::string_view message) noexcept {
  std::fprintf(stderr, "macro-sc: %.*s\nTry 'macro-sc --help'.\n", static_cast<int>(message.size()),
               message.data());
  return kExitUsage;
}

int Main(int argc, char** argv) {
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      PrintHelp();
      return kExitOk;
    }
    if (option == "--version") {
      std::puts("macro-sc " MSC_VERSION);
      return kExitOk;
    }
    if (option == "--config") {
      if (i + 1 >= argc) return UsageError("--config needs a directory");
      // Must precede the first macro object, which reads the configuration.
      sim::SetConfigDirectory(argv[++i]);
      continue;
    }
    return UsageError("unknown option " + std::string(option));
  }
  // Without a command: the interactive mode.
  if (i >= argc) return InteractiveCommand(Arguments());
  const Command* command = FindCommand(argv[i]);
  if (command == nullptr) return UsageError("unknown command " + std::string(argv[i]));
  return command->run(Arguments(argv + i + 1, static_cast<size_t>(argc - i - 1)));
}

}  // namespace msc::cli

int main(int argc, char** argv) {
  const int status = msc::cli::Main(argc, argv);
  std::fflush(stdout);
  return status;
}
