// Expressions: parentheses that do not pair up within a statement, operators
// of other languages (+=, ==), and under
// Option Explicit the variables that are read but never given a value, which
// the compiler accepts once a Dim has declared them.
#include <map>
#include <string>

#include "program_view.h"

namespace msc::checker {
namespace {

void CheckParentheses(const ViewLine& line, Report& report) {
  for (const Statement& s : line.statements) {
    std::vector<uint32_t> open;  // columns of the "(" not yet closed
    for (const CodeToken& t : s) {
      if (IsPunct(t, '(')) {
        open.push_back(t.column);
      } else if (IsPunct(t, ')')) {
        if (open.empty()) {
          report.Error(line.fileLine, t.column, kErrSyntax, "unbalanced parentheses: this ')' closes no '('");
          return;
        }
        open.pop_back();
      }
    }
    if (!open.empty()) {
      report.Error(line.fileLine, open.front(), kErrSyntax, "unbalanced parentheses: this '(' is never closed");
      return;
    }
  }
}

// Operators other languages have and this one does not: "A& += 1" and
// "If A& == 1" are syntax errors when the line runs.
void CheckOperators(const ViewLine& line, Report& report) {
  for (const Statement& s : line.statements) {
    for (size_t i = 0; i + 1 < s.size(); ++i) {
      if (!IsPunct(s[i + 1], '=') || s[i].punct == 0) continue;
      const char op = static_cast<char>(s[i].punct);
      if (op == '=') {
        report.Error(line.fileLine, s[i].column, kErrSyntax, "== is written = (one equals sign compares)");
        return;
      }
      if (op == '+' || op == '-' || op == '*' || op == '/' || op == '&') {
        report.Error(line.fileLine, s[i].column, kErrSyntax,
                     std::string(1, op) + "= is no operator: write NAME = NAME " + op + " value");
        return;
      }
    }
  }
}

// Where variables are read and whether anything may give them a value.
class VariableUse {
 public:
  VariableUse() noexcept : k_(Keywords()) {}

  void Statement_(const Statement& s, uint32_t line) {
    size_t i = 0;
    while (i < s.size() && IsLabelDefinition(s[i])) ++i;
    if (i >= s.size()) return;
    const CodeToken& first = s[i];
    if (IsVariable(first)) return Assignment(s, i, line);
    const uint16_t c = first.keyword;
    if (c == k_.ifKw || c == k_.elseifKw) return Condition(s, i + 1, line);
    if (c == k_.forKw && i + 1 < s.size() && IsVariable(s[i + 1])) {
      Assigned(s[i + 1]);
      return Reads(s, i + 2, s.size(), line);
    }
    if (c == k_.dimKw) return Declarations(s, i + 1, line);
    if (c == k_.remKw || c == k_.apostrophe) return;
    if (IsReadOnly(c)) return Reads(s, i + 1, s.size(), line);
    // Any other statement may write into a variable it is handed whole.
    Arguments(s, i + 1, line);
  }

  void Report_(Report& report) const {
    for (const auto& [cell, use] : uses_) {
      if (use.assigned || use.readLine == 0 || Persistent(use.name)) continue;
      report.Warning(use.readLine, use.readColumn,
                     std::string(use.name) + " is read but nothing gives it a value (it stays 0 or empty)");
    }
  }

 private:
  struct Use {
    std::string_view name;
    bool assigned = false;
    uint32_t readLine = 0, readColumn = 0;
  };

  // Stored variables (&&, ##, $$, !!) come from the host or a saved state,
  // and references (@) are bound by the host.
  static bool Persistent(std::string_view name) noexcept {
    if (name.empty() || name.back() == '@') return true;
    return name.size() >= 2 && name[name.size() - 1] == name[name.size() - 2];
  }

  bool IsReadOnly(uint16_t c) const noexcept {
    return c == k_.selectKw || c == k_.caseKw || c == k_.loopKw || c == k_.onKw || c == k_.gotoKw ||
           c == k_.gosubKw || c == k_.returnKw || c == print_;
  }

  void Assigned(const CodeToken& t) {
    if (t.cell != nullptr) Of(t).assigned = true;
  }
  void Read(const CodeToken& t, uint32_t line) {
    if (t.cell == nullptr) return;
    Use& u = Of(t);
    if (u.readLine == 0) {
      u.readLine = line;
      u.readColumn = t.column;
    }
  }
  Use& Of(const CodeToken& t) {
    Use& u = uses_[t.cell];
    u.name = t.text;
    return u;
  }
  void Reads(const Statement& s, size_t from, size_t to, uint32_t line) {
    for (size_t i = from; i < to; ++i)
      if (IsVariable(s[i])) Read(s[i], line);
  }

  // The index after the ")" that closes the "(" at i; s.size() when none does.
  static size_t AfterGroup(const Statement& s, size_t i) noexcept {
    int depth = 0;
    for (; i < s.size(); ++i) {
      if (IsPunct(s[i], '(')) ++depth;
      if (IsPunct(s[i], ')') && --depth == 0) return i + 1;
    }
    return s.size();
  }

  // NAME = ... or NAME(subscripts) = ...
  void Assignment(const Statement& s, size_t i, uint32_t line) {
    size_t after = i + 1;
    if (after < s.size() && IsPunct(s[after], '(')) after = AfterGroup(s, after);
    if (after < s.size() && IsPunct(s[after], '=')) {
      Assigned(s[i]);
      Reads(s, i + 1, s.size(), line);
    } else {
      Reads(s, i, s.size(), line);
    }
  }

  // If condition Then branch Else branch: the branches are statements.
  void Condition(const Statement& s, size_t from, uint32_t line) {
    size_t i = from;
    while (i < s.size() && !IsKeyword(s[i], k_.thenKw) && !IsKeyword(s[i], k_.gotoKw) && !IsKeyword(s[i], k_.gosubKw)) ++i;
    Reads(s, from, i, line);
    if (i + 1 >= s.size()) return;
    size_t next = i + 1;
    for (size_t j = next; j <= s.size(); ++j) {
      if (j == s.size() || IsKeyword(s[j], k_.elseKw)) {
        if (j > next) Statement_(s.subspan(next, j - next), line);
        next = j + 1;
      }
    }
  }

  // Dim A&, B$(N&): the names are declared, the sizes read.
  void Declarations(const Statement& s, size_t from, uint32_t line) {
    bool atName = true;
    int depth = 0;
    for (size_t i = from; i < s.size(); ++i) {
      if (IsPunct(s[i], '(')) ++depth;
      if (IsPunct(s[i], ')')) --depth;
      if (IsVariable(s[i]) && !(atName && depth == 0)) Read(s[i], line);
      atName = depth == 0 && IsPunct(s[i], ',');
    }
  }

  // A variable that is a whole argument may be written by the statement.
  void Arguments(const Statement& s, size_t from, uint32_t line) {
    int depth = 0;
    bool argumentStart = true;
    for (size_t i = from; i < s.size(); ++i) {
      const CodeToken& t = s[i];
      if (IsVariable(t)) {
        size_t after = i + 1;
        if (after < s.size() && IsPunct(s[after], '(')) after = AfterGroup(s, after);
        const bool whole = argumentStart && depth == 0 &&
                           (after == s.size() || IsPunct(s[after], ',') || IsPunct(s[after], ';'));
        if (whole) Assigned(t);
        else Read(t, line);
      }
      if (IsPunct(t, '(')) ++depth;
      if (IsPunct(t, ')')) --depth;
      argumentStart = depth == 0 && (IsPunct(t, ',') || IsPunct(t, ';'));
    }
  }

  const Codes& k_;
  const uint16_t print_ = inspect::KeywordCode("Print");
  std::map<const uint8_t*, Use> uses_;
};

}  // namespace

void CheckExpressions(const ProgramView& program, Report& report) {
  VariableUse use;
  for (const ViewLine& line : program.lines) {
    if (!line.compiles) continue;
    CheckParentheses(line, report);
    CheckOperators(line, report);
    for (const Statement& s : line.statements) use.Statement_(s, line.fileLine);
  }
  if (program.explicitVariables) use.Report_(report);
}

}  // namespace msc::checker
