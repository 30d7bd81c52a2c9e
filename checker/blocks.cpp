// Blocks: every opening statement needs its closing one, in the nesting the
// run's forward search expects, since a block that does not close fails only
// when a run has to skip it (an If whose condition is true runs on without
// ever looking for its EndIf).
#include <iterator>

#include "program_view.h"

namespace msc::checker {
namespace {

enum class Block { If, For, Do, Select, Try, Parallel };

// What each block is called, what closes it, and the error numbers a run
// gives when the close is missing or comes without its opening.
struct BlockInfo {
  Block block;
  const char* opener;
  const char* closer;
  int32_t unclosed;  // the opener's error when no close follows
  int32_t orphan;    // the closer's error without an opener
};
constexpr BlockInfo kBlocks[] = {
    {Block::If, "If", "EndIf", 128, 127},                                   // If c Then ... EndIf
    {Block::For, "For", "Next", 26, 1},                                     // For v = a To b ... Next [v]
    {Block::Do, "Do", "Loop While", 135, 136},                              // Do ... Loop While c
    {Block::Select, "Select", "End Select", 123, 122},                      // Select v ... End Select
    {Block::Try, "Try", "End Try", 152, 151},                               // Try ... Catch ... End Try
    {Block::Parallel, "ParallelExecute", "End ParallelExecute", 2, 2},      // ParallelExecute ... End ParallelExecute
};
static_assert(std::size(kBlocks) == 6 && kBlocks[static_cast<int>(Block::Parallel)].block == Block::Parallel,
              "block table in the order of Block");

const BlockInfo& Info(Block b) noexcept { return kBlocks[static_cast<int>(b)]; }

struct Open {
  Block block;
  uint32_t line, column;
  const uint8_t* loopVariable;  // For: the cell of its variable
  std::string_view loopName;
};

class BlockWalk {
 public:
  explicit BlockWalk(Report& report) noexcept : report_(report), k_(Keywords()) {}

  void Line(const ViewLine& line) {
    line_ = line.fileLine;
    oneLineIf_ = false;
    for (const Statement& s : line.statements) Statement_(s, 0);
  }

  void Finish() {
    for (const Open& o : open_) Unclosed(o);
    open_.clear();
  }

 private:
  void Unclosed(const Open& o) {
    const BlockInfo& info = Info(o.block);
    report_.Error(o.line, o.column, info.unclosed, std::string(info.opener) + " without " + info.closer);
  }

  // Closes the innermost block of that kind; blocks opened inside it and
  // still open are reported. False when none is open.
  bool Close(Block b, const CodeToken& at, const char* closerText) {
    for (size_t i = open_.size(); i-- > 0;) {
      if (open_[i].block != b) continue;
      for (size_t j = open_.size(); j-- > i + 1;) {
        const Open& inner = open_[j];
        const BlockInfo& info = Info(inner.block);
        report_.Error(inner.line, inner.column, info.unclosed,
                      std::string(info.opener) + " without " + info.closer + " before the " + closerText +
                          " of line " + std::to_string(line_));
      }
      open_.resize(i);
      return true;
    }
    const BlockInfo& info = Info(b);
    report_.Error(line_, at.column, info.orphan, std::string(closerText) + " without " + info.opener);
    return false;
  }

  bool Inside(Block b) const noexcept {
    for (const Open& o : open_)
      if (o.block == b) return true;
    return false;
  }
  bool InnermostIs(Block b) const noexcept { return !open_.empty() && open_.back().block == b; }

  void Push(Block b, const CodeToken& at, const uint8_t* cell = nullptr, std::string_view name = {}) {
    open_.push_back({b, line_, at.column, cell, name});
  }

  // One statement from token `from` on.
  void Statement_(const Statement& s, size_t from) {
    // A label that begins the line is skipped as the run skips it.
    while (from < s.size() && IsLabelDefinition(s[from])) ++from;
    if (from >= s.size()) return;
    const CodeToken& t = s[from];
    const uint16_t c = t.keyword;
    if (c == 0) return;
    if (c == k_.ifKw) return If(s, from);
    if (c == k_.elseKw || c == k_.elseifKw) {
      if (oneLineIf_) return;  // the other branch of a one-line If
      // Blocks still open inside the If are reported by its EndIf.
      if (!Inside(Block::If)) {
        const bool isElse = c == k_.elseKw;
        report_.Error(line_, t.column, isElse ? 126 : 125, std::string(isElse ? "Else" : "Elseif") + " without If");
      }
      // What follows Else runs in its branch; an If there opens a block of its own.
      if (c == k_.elseKw && from + 1 < s.size()) {
        const size_t opened = open_.size();
        Statement_(s, from + 1);
        if (open_.size() > opened && open_.back().block == Block::If)
          report_.Warning(line_, s[from + 1].column,
                          "Else If opens a new If block, which needs an EndIf of its own; Elseif is one word");
      }
      return;
    }
    if (c == k_.endIfKw) return void(Close(Block::If, t, "EndIf"));
    if (c == k_.forKw) {
      const CodeToken* v = from + 1 < s.size() && IsVariable(s[from + 1]) ? &s[from + 1] : nullptr;
      return Push(Block::For, t, v ? v->cell : nullptr, v ? v->text : std::string_view{});
    }
    if (c == k_.nextKw || c == k_.nextComma) return Next(s, from);
    if (c == k_.doKw) return Push(Block::Do, t);
    if (c == k_.loopKw) {
      if (from + 1 >= s.size() || !IsKeyword(s[from + 1], k_.whileKw))
        report_.Error(line_, t.column, kErrSyntax, "Loop without While: a Do loop ends with Loop While condition");
      return void(Close(Block::Do, t, "Loop"));
    }
    if (c == k_.whileKw) {
      report_.Error(line_, t.column, kErrSyntax,
                    "While is not a statement: a loop is written Do ... Loop While condition (there is no While ... Wend)");
      return;
    }
    if (c == k_.selectKw) return Push(Block::Select, t);
    if (c == k_.caseKw) {
      if (!Inside(Block::Select)) report_.Error(line_, t.column, 121, "Case without Select");
      return;
    }
    if (c == k_.endSelect) return void(Close(Block::Select, t, "End Select"));
    if (c == k_.tryKw) return Push(Block::Try, t);
    if (c == k_.catchKw) {
      if (!Inside(Block::Try)) report_.Error(line_, t.column, 150, "Catch without Try");
      return;
    }
    if (c == k_.endTry) return void(Close(Block::Try, t, "End Try"));
    if (c == k_.parallel) return Push(Block::Parallel, t);
    if (c == k_.endParallel) return void(Close(Block::Parallel, t, "End ParallelExecute"));
    if (c == k_.exitKw && from + 1 < s.size()) {
      if (IsKeyword(s[from + 1], k_.forKw) && !Inside(Block::For))
        report_.Error(line_, t.column, 140, "Exit For outside a For loop");
      if (IsKeyword(s[from + 1], k_.doKw) && !Inside(Block::Do))
        report_.Error(line_, t.column, 141, "Exit Do outside a Do loop");
      return;
    }
    if (c == k_.endKw) {
      // "End If" is two words here, and the run stops at the first.
      if (from + 1 < s.size() && IsKeyword(s[from + 1], k_.ifKw)) {
        report_.Error(line_, t.column, kErrSyntax, "End If is written EndIf");
        if (Inside(Block::If)) Close(Block::If, t, "End If");
      } else {
        report_.Error(line_, t.column, kErrSyntax, "End is not a statement: a routine ends with Return");
      }
    }
  }

  // If condition Then: a block when Then ends the statement; otherwise the
  // rest of the line is the one-line If's branches.
  void If(const Statement& s, size_t from) {
    size_t then = from + 1;
    while (then < s.size() && !IsKeyword(s[then], k_.thenKw) && s[then].keyword != k_.remKw &&
           s[then].keyword != k_.apostrophe)
      ++then;
    const bool hasThen = then < s.size() && IsKeyword(s[then], k_.thenKw);
    const bool endsStatement = hasThen && then + 1 == s.size();
    const bool comment = hasThen && then + 1 < s.size() &&
                         (IsKeyword(s[then + 1], k_.remKw) || IsKeyword(s[then + 1], k_.apostrophe));
    if (endsStatement || comment) {
      if (comment)
        report_.Warning(line_, s[then + 1].column,
                        "a comment after Then: the If runs as a block, but a search that skips an "
                        "enclosing block takes it for a one-line If; put the comment on a line of its own");
      Push(Block::If, s[from]);
      return;
    }
    oneLineIf_ = true;
    if (hasThen) Statement_(s, then + 1);
  }

  void Next(const Statement& s, size_t from) {
    const CodeToken& t = s[from];
    const CodeToken* v = from + 1 < s.size() && IsVariable(s[from + 1]) ? &s[from + 1] : nullptr;
    if (!InnermostIs(Block::For)) {
      if (!Inside(Block::For)) {
        report_.Error(line_, t.column, 1, "Next without For");
        return;
      }
    } else if (v != nullptr && v->cell != open_.back().loopVariable && open_.back().loopVariable != nullptr) {
      report_.Error(line_, v->column, 1,
                    "Next " + std::string(v->text) + " closes the For " + std::string(open_.back().loopName) +
                        " of line " + std::to_string(open_.back().line));
      // The Next of the loop it names is taken to close the loops inside it too.
      size_t named = open_.size() - 1;
      for (size_t i = open_.size(); i-- > 0;)
        if (open_[i].block == Block::For && open_[i].loopVariable == v->cell) {
          named = i;
          break;
        }
      open_.resize(named);
      return;
    }
    Close(Block::For, t, "Next");
    // "Next I&, J&" closes one loop for each variable.
    for (size_t i = from + 1; i < s.size(); ++i)
      if (IsKeyword(s[i], k_.nextComma)) return Next(s, i);
  }

  Report& report_;
  const Codes& k_;
  std::vector<Open> open_;
  uint32_t line_ = 0;
  bool oneLineIf_ = false;
};

}  // namespace

void CheckBlocks(const ProgramView& program, Report& report) {
  BlockWalk walk(report);
  for (const ViewLine& line : program.lines) walk.Line(line);
  walk.Finish();
}

}  // namespace msc::checker
