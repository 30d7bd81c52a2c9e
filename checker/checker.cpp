#include "checker.h"

#include <algorithm>

#include "program_view.h"

namespace msc::checker {

const Codes& Keywords() noexcept {
  using inspect::KeywordCode;
  static const Codes codes{
      KeywordCode("If"), KeywordCode("Then"), KeywordCode("Else"), KeywordCode("Elseif"),
      KeywordCode("EndIf"), KeywordCode("For"), KeywordCode("Next"), 0x8030, KeywordCode("Do"),
      KeywordCode("Loop"), KeywordCode("While"), KeywordCode("Select"), KeywordCode("Case"),
      0x8012, KeywordCode("Try"), KeywordCode("Catch"), 0x8014, KeywordCode("ParallelExecute"),
      0x8011, KeywordCode("Exit"), KeywordCode("End"), KeywordCode("Goto"), KeywordCode("Gosub"),
      KeywordCode("Return"), KeywordCode("On"), KeywordCode("Rem"), 0x8038, KeywordCode("Sub"),
      KeywordCode("Option"), KeywordCode("Explicit"), KeywordCode("Dim")};
  return codes;
}

namespace {

// Cuts a line's tokens into statements at ":"; a comment runs to the end.
std::vector<Statement> Statements(const std::vector<CodeToken>& tokens) {
  const Codes& k = Keywords();
  std::vector<Statement> out;
  size_t begin = 0;
  for (size_t i = 0; i <= tokens.size(); ++i) {
    if (i == tokens.size() || IsPunct(tokens[i], ':')) {
      if (i > begin) out.emplace_back(tokens.data() + begin, i - begin);
      begin = i + 1;
    } else if (IsKeyword(tokens[i], k.remKw) || IsKeyword(tokens[i], k.apostrophe)) {
      out.emplace_back(tokens.data() + begin, tokens.size() - begin);
      break;
    }
  }
  return out;
}

// Reports what the compiler found in a line; true when its code is whole.
bool CompileErrors(const ViewLine& line, Report& report) {
  const inspect::InspectedLine& c = line.compiled;
  if (c.error == kOk) return true;
  if (c.notes.empty()) {
    report.Error(line.fileLine, c.errorColumn, c.error, c.error == kErrLineBufferOverflow ? "Line buffer overflow" : "Syntax error");
  }
  for (const inspect::CompileNote& note : c.notes) report.Error(line.fileLine, note.column, c.error, note.text);
  // A variable refused under Option Explicit leaves the rest of the code in place.
  return c.error == kErrUndefinedVariable || c.error == kErrDuplicatedVariable;
}

}  // namespace

std::vector<Diagnostic> CheckLines(QorMacro& m, const std::vector<std::string>& lines) {
  std::vector<Diagnostic> diagnostics;
  Report report(diagnostics);
  ProgramView program;
  program.lines.resize(lines.size());
  const Codes& k = Keywords();
  for (size_t i = 0; i < lines.size(); ++i) {
    ViewLine& line = program.lines[i];
    line.fileLine = static_cast<uint32_t>(i + 1);
    // Lines are numbered as the loader numbers them: 10, 20, 30 ...
    line.compiled = inspect::InspectLine(m, line.fileLine * 10, lines[i]);
    line.compiles = CompileErrors(line, report);
    line.statements = Statements(line.compiled.tokens);
    const auto& t = line.compiled.tokens;
    for (size_t j = 0; j + 1 < t.size(); ++j)
      if (IsKeyword(t[j], k.optionKw) && IsKeyword(t[j + 1], k.explicitKw)) program.explicitVariables = true;
  }
  CheckBlocks(program, report);
  CheckJumps(program, report);
  CheckExpressions(program, report);
  std::stable_sort(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& a, const Diagnostic& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  return diagnostics;
}

}  // namespace msc::checker
