// macro-sc fmt: rewrites program source lines in their canonical form, the
// text the program holds for each line (keywords in their table spelling,
// names and labels in upper case, numbers in decimal, "?" as Print), with the
// author's spaces and comments kept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QorMacro;

namespace msc::formatter {

struct Problem {
  uint32_t line = 0;    // line of the file, from 1
  uint32_t column = 0;  // from 1, in characters
  int32_t number = 0;   // the compile error, or 0 when the canonical text compiled to other code
  std::string text;
};

struct Formatted {
  std::vector<std::string> lines;  // the canonical lines; meaningful only without problems
  std::vector<Problem> problems;   // any problem leaves the file as it is
};

// Formats the lines of one file (UTF-8, no line ends). Each line is compiled
// on `macro` in file order, as a load would; each canonical line is compiled
// again on `check`, a second fresh object, and must give the same code.
[[nodiscard]] Formatted FormatLines(QorMacro& macro, QorMacro& check, const std::vector<std::string>& lines);

}  // namespace msc::formatter
