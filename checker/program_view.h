// The compiled file as the checks walk it: lines, and the statements of each
// line as runs of code tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "checker.h"
#include "frontend/line_inspection.h"

namespace msc::checker {

using inspect::CodeToken;
using Statement = std::span<const CodeToken>;

struct ViewLine {
  uint32_t fileLine = 0;
  inspect::InspectedLine compiled;
  std::vector<Statement> statements;  // split at ":"; a comment ends the last one
  bool compiles = false;              // the code is complete (no error stopped it)
};

struct ProgramView {
  std::vector<ViewLine> lines;
  bool explicitVariables = false;  // Option Explicit was met
};

// The token codes the checks name.
struct Codes {
  uint16_t ifKw, thenKw, elseKw, elseifKw, endIfKw, forKw, nextKw, nextComma, doKw, loopKw,
      whileKw, selectKw, caseKw, endSelect, tryKw, catchKw, endTry, parallel, endParallel,
      exitKw, endKw, gotoKw, gosubKw, returnKw, onKw, remKw, apostrophe, subKw, optionKw,
      explicitKw, dimKw;
};
[[nodiscard]] const Codes& Keywords() noexcept;

inline bool IsKeyword(const CodeToken& t, uint16_t code) noexcept { return t.keyword != 0 && t.keyword == code; }
inline bool IsPunct(const CodeToken& t, char c) noexcept { return t.punct == static_cast<uint8_t>(c); }
inline bool IsLabelDefinition(const CodeToken& t) noexcept { return t.first == 0xEE; }
inline bool IsLabelReference(const CodeToken& t) noexcept { return t.first == 0xEF; }
inline bool IsLineReference(const CodeToken& t) noexcept { return t.first == 0x0E; }
inline bool IsVariable(const CodeToken& t) noexcept { return t.first >= 0xE0 && t.first <= 0xE8; }

// Adds an error or a warning at a token of a line.
class Report {
 public:
  explicit Report(std::vector<Diagnostic>& out) noexcept : out_(out) {}
  void Error(uint32_t line, uint32_t column, int32_t number, std::string text) {
    out_.push_back({line, column, true, number, std::move(text)});
  }
  void Warning(uint32_t line, uint32_t column, std::string text) {
    out_.push_back({line, column, false, 0, std::move(text)});
  }

 private:
  std::vector<Diagnostic>& out_;
};

// The checks, each over the whole program.
void CheckBlocks(const ProgramView& program, Report& report);
void CheckJumps(const ProgramView& program, Report& report);
void CheckExpressions(const ProgramView& program, Report& report);

}  // namespace msc::checker
