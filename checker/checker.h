// macro-sc check: finds the mistakes of a program source file without running
// it. Every line is compiled as the loader compiles it; then the compiled code
// of the whole file is walked for blocks that do not close, jumps to labels
// and lines that do not exist, unbalanced parentheses, variables read but
// never given a value under Option Explicit, and lines no run can reach.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QorMacro;

namespace msc::checker {

struct Diagnostic {
  uint32_t line = 0;    // line of the file, from 1
  uint32_t column = 0;  // from 1, in characters
  bool error = true;    // else a warning
  int32_t number = 0;   // the engine's error number the mistake gives (errors only)
  std::string text;
};

// Checks the lines of a file (UTF-8, without line ends) on a fresh macro
// object, which is left holding the variables the compile created. The
// diagnostics come in file order.
[[nodiscard]] std::vector<Diagnostic> CheckLines(QorMacro& m, const std::vector<std::string>& lines);

}  // namespace msc::checker
