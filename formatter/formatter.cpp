#include "formatter.h"

#include "frontend/line_inspection.h"

namespace msc::formatter {

Formatted FormatLines(QorMacro& macro, QorMacro& check, const std::vector<std::string>& lines) {
  Formatted out;
  out.lines.reserve(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto fileLine = static_cast<uint32_t>(i + 1);
    const uint32_t number = fileLine * 10;  // numbered as a load numbers them
    const inspect::InspectedLine line = inspect::InspectLine(macro, number, lines[i]);
    if (line.error != kOk) {
      // The second object sees the line too, so that both hold the same
      // variables and options for the lines after it.
      (void)inspect::InspectLine(check, number, lines[i]);
      if (line.notes.empty()) out.problems.push_back({fileLine, line.errorColumn, line.error, "Syntax error"});
      for (const inspect::CompileNote& note : line.notes)
        out.problems.push_back({fileLine, note.column, line.error, note.text});
      continue;
    }
    // The rewritten line must mean what the line meant.
    const inspect::InspectedLine again = inspect::InspectLine(check, number, line.canonical);
    if (again.error != kOk || again.shape != line.shape) {
      out.problems.push_back({fileLine, 1, 0, "the canonical form \"" + line.canonical + "\" would compile to other code"});
      continue;
    }
    out.lines.push_back(line.canonical);
  }
  return out;
}

}  // namespace msc::formatter
