// Jumps: every label and line number a Goto, Gosub, On or Then names must
// exist where the run looks for it, and a line after an unconditional jump
// that nothing leads to can never run.
#include <map>
#include <set>
#include <string>

#include "program_view.h"

namespace msc::checker {
namespace {

struct Labels {
  std::map<std::string_view, uint32_t> lineStart;  // label -> file line, the first of each
  std::map<std::string_view, uint32_t> elsewhere;  // labels defined after Sub, where no jump finds them
};

Labels FindLabels(const ProgramView& program, Report& report) {
  Labels labels;
  for (const ViewLine& line : program.lines) {
    const auto& t = line.compiled.tokens;
    for (size_t i = 0; i < t.size(); ++i) {
      if (!IsLabelDefinition(t[i])) continue;
      if (i == 0) {
        const auto [it, added] = labels.lineStart.emplace(t[i].text, line.fileLine);
        if (!added)
          report.Warning(line.fileLine, t[i].column,
                         std::string(t[i].text) + " is defined again; jumps go to the first, on line " +
                             std::to_string(it->second));
      } else {
        labels.elsewhere.emplace(t[i].text, line.fileLine);
      }
    }
  }
  return labels;
}

// The file line a line number refers to (lines are numbered 10, 20, 30 ...); 0 for none.
uint32_t FileLineOf(uint32_t number, const ProgramView& program) noexcept {
  if (number == 0 || number % 10 != 0 || number / 10 > program.lines.size()) return 0;
  return number / 10;
}

// List and Delete take ranges of line numbers, whose ends need not exist.
bool TakesRange(const Statement& s) noexcept {
  static const uint16_t list = inspect::KeywordCode("List"), del = inspect::KeywordCode("Delete");
  for (const CodeToken& t : s) {
    if (IsLabelDefinition(t)) continue;
    return IsKeyword(t, list) || IsKeyword(t, del);
  }
  return false;
}

void CheckReferences(const ProgramView& program, const Labels& labels, Report& report) {
  for (const ViewLine& line : program.lines) {
    for (const Statement& s : line.statements) {
      if (TakesRange(s)) continue;
      for (const CodeToken& t : s) {
        if (IsLabelReference(t) && !labels.lineStart.contains(t.text)) {
          const auto sub = labels.elsewhere.find(t.text);
          if (sub != labels.elsewhere.end())
            report.Error(line.fileLine, t.column, kErrUndefinedLabel,
                         std::string(t.text) + " is defined only after Sub on line " + std::to_string(sub->second) +
                             ", where no jump finds it; a label must begin a line");
          else
            report.Error(line.fileLine, t.column, kErrUndefinedLabel,
                         "no line begins with the label " + std::string(t.text));
        }
        if (IsLineReference(t) && FileLineOf(t.lineRef, program) == 0)
          report.Error(line.fileLine, t.column, kErrUndefinedLine,
                       "no line " + std::to_string(t.lineRef) + " (the lines of a file are numbered 10, 20, 30 ...)");
      }
    }
  }
}

// Whether the line ends in a jump that is always taken: its last statement
// is a Goto or Return (or a bare label or line number), and no one-line If
// makes it conditional.
bool EndsInJump(const ViewLine& line) noexcept {
  const Codes& k = Keywords();
  for (size_t n = 0; n < line.statements.size(); ++n) {
    const Statement& s = line.statements[n];
    const bool last = n + 1 == line.statements.size();
    size_t i = 0;
    while (i < s.size() && IsLabelDefinition(s[i])) ++i;
    if (i >= s.size()) continue;
    const CodeToken& t = s[i];
    if (IsKeyword(t, k.ifKw)) return false;
    if (!last) continue;
    if (IsKeyword(t, k.returnKw) || IsLabelReference(t) || IsLineReference(t)) return true;
    if (IsKeyword(t, k.gotoKw) && i + 1 < s.size() && (IsLabelReference(s[i + 1]) || IsLineReference(s[i + 1])))
      return true;
  }
  return false;
}

// Whether a run can arrive at the line other than from the line before:
// by a label, by its number, or as the next part of a block a run searches for.
bool IsLanding(const ViewLine& line, const std::set<uint32_t>& numbered) noexcept {
  const Codes& k = Keywords();
  const auto& t = line.compiled.tokens;
  if (IsLabelDefinition(t.front()) || numbered.contains(line.fileLine)) return true;
  static const uint16_t task = inspect::KeywordCode("Task");  // where a parallel task starts
  for (const uint16_t c : {k.elseKw, k.elseifKw, k.endIfKw, k.caseKw, k.endSelect, k.catchKw, k.endTry, k.nextKw,
                           k.loopKw, k.endParallel, task})
    if (IsKeyword(t.front(), c)) return true;
  return false;
}

bool HasCode(const ViewLine& line) noexcept {
  const Codes& k = Keywords();
  const auto& t = line.compiled.tokens;
  return line.compiles && !t.empty() && !IsKeyword(t.front(), k.remKw) && !IsKeyword(t.front(), k.apostrophe);
}

void CheckReachable(const ProgramView& program, Report& report) {
  std::set<uint32_t> numbered;
  for (const ViewLine& line : program.lines)
    for (const CodeToken& t : line.compiled.tokens)
      if (IsLineReference(t)) numbered.insert(FileLineOf(t.lineRef, program));
  uint32_t jumpLine = 0;  // the line of the jump the lines since follow; 0 when reachable
  bool reported = false;
  for (const ViewLine& line : program.lines) {
    if (!HasCode(line)) continue;
    if (jumpLine != 0 && IsLanding(line, numbered)) jumpLine = 0;
    if (jumpLine != 0 && !reported) {
      report.Warning(line.fileLine, line.compiled.tokens.front().column,
                     "unreachable: no label, line number or block leads here after the jump on line " +
                         std::to_string(jumpLine));
      reported = true;
    }
    if (jumpLine == 0 && EndsInJump(line)) {
      jumpLine = line.fileLine;
      reported = false;
    }
  }
}

}  // namespace

void CheckJumps(const ProgramView& program, Report& report) {
  const Labels labels = FindLabels(program, report);
  CheckReferences(program, labels, report);
  CheckReachable(program, report);
}

}  // namespace msc::checker
