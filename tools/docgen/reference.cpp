// The language reference: names, statements by group, functions by group,
// operators, named constants and error numbers.
#include <cinttypes>
#include <cstdio>
#include <string>

#include "docgen.h"
#include "engine/functions.h"
#include "engine/language_tables.h"

namespace msc::docgen {
namespace {

using lang::FunctionGroup;
using lang::ResultKind;
using lang::StatementGroup;

struct GroupTitle {
  const char* title;
  const char* intro;
};

// Indexed by StatementGroup.
constexpr GroupTitle kStatementGroups[] = {
    {"Control flow", "Branches, loops and jumps. Blocks nest; `If` has a one-line form."},
    {"Procedures", "Routines called by label, and routines of libraries registered by the program."},
    {"Error trapping", "An error inside `Try` continues at `Catch`; `Errno`, `Erl` and `Errcmnd$` tell which."},
    {"Variables", "Arrays, saved and restored variables, and the options of the program."},
    {"Console and program", "Output, input, debugging, and the program held in memory."},
    {"Files and disk", "Up to 16 files open at once by number (`#1` to `#16`), and text-data files."},
    {"Geometry", "Line and circle fits for measurement scripts."},
    {"Parallel execution and processes", "Tasks that run at the same time, and programs started from a macro."},
    {"Scene and unit commands", "Commands of the controller: scene groups, scenes, units and their data."},
    {"Measurement, image and window commands", "Commands of the controller: measuring and what the screen shows."},
    {"I/O, communication and data commands", "Commands of the controller: outputs, channels, PLC memory, stored data and profile data."},
    {"Words inside statements", "These words only stand inside the statement named; alone they are error 2."},
    {"Reserved words", "Words of the vocabulary without a statement; using one is error 2."},
};
static_assert(std::size(kStatementGroups) == lang::kStatementGroupCount);

// Indexed by FunctionGroup.
constexpr GroupTitle kFunctionGroups[] = {
    {"Text", "Texts are byte strings in the code page of the engine; positions count bytes from 1."},
    {"Numbers", "Angles are in radians."},
    {"Time and errors", ""},
    {"Files, arrays and variables", ""},
    {"Controller queries", "Functions that ask the controller."},
};
static_assert(std::size(kFunctionGroups) == lang::kFunctionGroupCount);

const char* ResultName(ResultKind r) {
  switch (r) {
    case ResultKind::Integer: return "integer";
    case ResultKind::Double: return "double";
    case ResultKind::SameAsArgument: return "as the argument";
    case ResultKind::Text: return "text";
    case ResultKind::Number: return "integer or double";
  }
  return "";
}

const char* ArgumentName(uint32_t kind) {
  switch (kind) {
    case kArgInteger: return "integer";
    case kArgDouble: return "double";
    case kArgNumber: return "number";
    case kArgText: return "text";
    default: return "any";
  }
}

// The text of a table cell: "|" would end the cell.
std::string Cell(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

std::string Code(const std::string& text) { return "`" + Cell(text) + "`"; }

std::string Arguments(uint16_t code, const std::string& syntax) {
  const uint32_t kinds = lang::FunctionArgumentKinds(code);
  if (kinds == 0) return syntax.find('(') == std::string::npos ? "none" : "see the syntax";
  std::string out;
  for (uint32_t w = kinds; w != 0; w >>= 4) {
    if (!out.empty()) out += ", ";
    out += ArgumentName(w & 0xF);
  }
  return out;
}

void Statements(std::string& out) {
  out += "## Statements\n\n";
  out += "A line holds one or more statements separated by `:`. Keywords are not case-sensitive; the "
         "listing writes them as shown here. A line may begin with a label (`*NAME`). Commands of the "
         "controller take their arguments after the word, separated by commas, without parentheses.\n\n";
  const auto words = StatementWords();
  for (int g = 0; g < lang::kStatementGroupCount; ++g) {
    out += "### " + std::string(kStatementGroups[g].title) + "\n\n";
    out += std::string(kStatementGroups[g].intro) + "\n\n";
    const bool parts = g >= static_cast<int>(StatementGroup::Part);
    out += parts ? "| Word | Stands | What it is |\n|---|---|---|\n" : "| Statement | Syntax | What it does |\n|---|---|---|\n";
    for (const Word& w : words) {
      const lang::StatementDoc* doc = lang::StatementDocOf(w.code);
      if (static_cast<int>(doc->group) != g) continue;
      out += "| " + Code(w.name) + " | " + (parts ? Cell(doc->syntax) : Code(doc->syntax)) + " | " +
             Cell(KeywordSummary(w.code)) + " |\n";
    }
    out += "\n";
  }
}

void Functions(std::string& out) {
  out += "## Functions\n\n";
  out += "A function is called inside an expression. The arguments are converted to the kinds shown "
         "before the function runs (a text where a number is needed is read as a number); a function "
         "without arguments is written without parentheses. The name's suffix `$` marks a text result.\n\n";
  const auto words = FunctionWords();
  for (int g = 0; g < lang::kFunctionGroupCount; ++g) {
    out += "### " + std::string(kFunctionGroups[g].title) + "\n\n";
    if (kFunctionGroups[g].intro[0] != '\0') out += std::string(kFunctionGroups[g].intro) + "\n\n";
    out += "| Function | Syntax | Arguments | Result | What it gives |\n|---|---|---|---|---|\n";
    for (const Word& w : words) {
      const lang::FunctionDoc* doc = lang::FunctionDocOf(w.code);
      if (static_cast<int>(doc->group) != g) continue;
      out += "| " + Code(w.name) + " | " + Code(doc->syntax) + " | " + Arguments(w.code, doc->syntax) +
             " | " + ResultName(doc->result) + " | " + Cell(KeywordSummary(w.code)) + " |\n";
    }
    out += "\n";
  }
}

void Names(std::string& out) {
  out += "## Names\n\n";
  out += "A variable is made by using it: its name is letters, digits, `.` and `_`, starting with a "
         "letter, at most 255 characters with the suffix, and the suffix says what it holds. Names are "
         "not case-sensitive. The same letters with another suffix, or used as an array, are another "
         "variable. A name without a suffix that is no keyword is an error. Under `Option Explicit` "
         "every variable must be declared with `Dim` first (error 200, and 201 when declared twice).\n\n";
  out += "| Suffix | Holds | Arrays | Examples |\n|---|---|---|---|\n";
  for (const TypeSuffix& s : kTypeSuffixes) {
    std::string suffix = Code(std::string(1, s.suffix));
    if (s.doubles) suffix += ", " + Code(std::string(2, s.suffix));
    out += "| " + suffix + " | " + s.holds + " | " + (s.arrayKind != kind::Error ? "yes" : "no") + " | " +
           Code(s.example) + " |\n";
  }
  out += "\nA doubled `&&`, `##` or `$$` names a *stored* variable: it keeps its value when another "
         "program is loaded, and the host saves and restores the stored variables as one image "
         "(`macro-sc run --state FILE`). Arrays are dimensioned with `Dim NAME&(9)` (ten elements, "
         "0 to 9); their subscripts start at 0.\n\n";
  out += "### Host data names\n\n";
  out += "A name with one of these prefixes and a suffix `&`, `#`, `$` or `!` is no variable of the "
         "program but a data item of the controller, read and written at run time:\n\n";
  out += "| Prefix | Item | Example |\n|---|---|---|\n";
  for (const HostNamePrefix& p : kHostNamePrefixes) {
    out += "| " + Code(p.prefix) + " | " + p.item + " | " + Code(p.example) + " |\n";
  }
  out += "\nThe subscripts of the array form become part of the item's name: `SC.LIMIT#(2, 10)` is the "
         "item `LIMIT#(2,10)`; no bounds apply.\n\n";
  out += "### Labels, numbers and texts\n\n";
  out += "- A label is `*` and a name (`*INSPECT`), upper-cased; a line that begins with it is where "
         "`Gosub *INSPECT`, `Goto` and the host's calls go.\n"
         "- Numbers: `42`, `-7`, `2.5`, `1e-3`, and `&H1F`, `&O17`, `&B101` in hexadecimal, octal and "
         "binary.\n"
         "- Texts: `\"...\"`, with `\"\"` for a quote inside; at most 255 bytes as an argument.\n"
         "- Comments: `'` or `Rem` to the end of the line.\n\n";
}

void Operators(std::string& out) {
  out += "## Operators\n\n";
  out += "Tightest first; operators on one line of equal binding group from the left.\n\n";
  out += "| Operator | Binding | Meaning |\n|---|---|---|\n";
  for (const lang::OperatorDoc& op : lang::Operators()) {
    out += "| " + Code(op.syntax) + " | " + std::to_string(lang::OperatorBinding(op.code)) + " | " +
           Cell(op.meaning) + " |\n";
  }
  out += "\nNumbers compare as numbers and texts as bytes; a comparison gives -1 for true and 0 for "
         "false, and `If` takes any non-zero number as true.\n\n";
}

std::string ConstantValue(uint16_t code) {
  char text[64];
  if (code < kConstantFirstDouble) {
    std::snprintf(text, sizeof text, "%" PRId32, ConstantInteger(code));
  } else if (code < kConstantFirstString) {
    std::snprintf(text, sizeof text, "%.17g", ConstantDouble(code));
  } else {
    std::string bytes;
    for (unsigned char c : ConstantString(code)) {
      if (!bytes.empty()) bytes += " ";
      bytes += std::to_string(c);
    }
    return "text of the byte" + std::string(ConstantString(code).size() > 1 ? "s " : " ") + bytes;
  }
  return text;
}

void Constants(std::string& out) {
  out += "## Named constants\n\n| Name | Value | Meaning |\n|---|---|---|\n";
  for (const Word& w : ConstantWords()) {
    out += "| " + Code(w.name) + " | " + ConstantValue(w.code) + " | " + Cell(KeywordSummary(w.code)) + " |\n";
  }
  out += "\n";
}

void Errors(std::string& out) {
  out += "## Error numbers\n\n";
  out += "A statement that fails stops the run with an error number, unless a `Try` block catches "
         "it (error 210 is never caught). The engine reports it as `Macro(SC) MESSAGE` and the failing "
         "line; `macro-sc` exits with the number. Numbers without a message here are not used.\n\n";
  out += "| Number | Message | Usual cause |\n|---|---|---|\n";
  for (const lang::ErrorEntry& e : lang::ErrorTable()) {
    out += "| " + std::to_string(e.number) + " | " + Cell(e.message) + " | " + Cell(e.cause) + " |\n";
  }
  out += "\n";
}

}  // namespace

std::string Reference() {
  std::string out;
  out += "<!-- Generated by tools/docgen from the engine's tables: do not edit. "
         "Regenerate with `cmake --build build --target docs`. -->\n";
  out += "# Macro_SC language reference\n\n";
  out += "Every statement, function, operator, named constant and error number of the macro "
         "language. New to the language? Start with the [tutorial](tutorial.md).\n\n";
  out += "- [Names](#names)\n- [Statements](#statements)\n- [Functions](#functions)\n"
         "- [Operators](#operators)\n- [Named constants](#named-constants)\n- [Error numbers](#error-numbers)\n\n";
  Names(out);
  Statements(out);
  Functions(out);
  Operators(out);
  Constants(out);
  Errors(out);
  return out;
}

}  // namespace msc::docgen
