#include "engine/errors.h"

#include <array>
#include <cstddef>

#include "engine/language_tables.h"

namespace msc {
namespace {

using lang::ErrorEntry;

// Numbers without an entry have the empty message.
constexpr ErrorEntry kErrorTable[] = {
    {1, "NEXT without FOR", "Next when the innermost open loop is no For, or is another variable's"},
    {2, "Syntax error", "malformed code: unexpected token, missing = ( ) ,"},
    {3, "RETURN without GOSUB", "Return with no Gosub open; End Sub or Exit Sub outside a Sub"},
    {4, "Out of DATA", ""},
    {5, "Illegal function call", "argument out of range, failed system call"},
    {6, "Overflow", "outside the 32-bit range, parse range error"},
    {7, "Out of memory", "a program, array or text the memory cannot hold"},
    {8, "Undefined line number", "Goto, Gosub, Run or List to a line number the program lacks"},
    {9, "Subscript out of range", "a subscript below 0 or past its extent, or a wrong number of subscripts"},
    {10, "Duplicate definition", ""},
    {11, "Division by zero", "/ or MOD by zero"},
    {12, "Illegal direct", ""},
    {13, "Type mismatch", "a text where a number is needed or the other way round, or a variable of the wrong kind"},
    {14, "Out of string space", ""},
    {15, "String too long", "text argument of 256 bytes or more"},
    {17, "Can't continue", ""},
    {18, "Undefined array", "array not dimensioned"},
    {19, "No RESUME", ""},
    {20, "RESUME without error", ""},
    {22, "Missing operand", ""},
    {23, "Line buffer overflow", "a line whose code grows past the line buffer"},
    {26, "FOR without NEXT", ""},
    {29, "WHILE without WEND", ""},
    {30, "WEND without WHILE", ""},
    {31, "Duplicate label", ""},
    {32, "Undefined label", "Goto, Gosub or Run to a label the program lacks"},
    {33, "Feature not available", ""},
    {50, "FIELD overflow", ""},
    {52, "Bad file number", "a file number outside 1 to 16, or of a file that is not open"},
    {53, "File not found", ""},
    {54, "File already open", ""},
    {55, "Input past end", ""},
    {56, "Bad file name", ""},
    {57, "Direct statement in file", ""},
    {59, "Sequential I/O only", ""},
    {60, "File not open", ""},
    {61, "File write protected", ""},
    {62, "Disk offline", ""},
    {64, "Disk I/O error", ""},
    {65, "File already exist", ""},
    {68, "Disk full", ""},
    {70, "Bad drive specification", ""},
    {73, "Rename across disks", ""},
    {74, "Illegal operation", ""},
    {75, "Path/File access error", ""},
    {76, "Path not found", ""},
    {85, "Access denied", ""},
    {99, "Unprintable error", ""},
    {100, "OV", ""},
    {101, "Application error (polish)", ""},
    {102, "Application error (accum)", ""},
    {103, "Internal error", "full control stack, unknown variant type"},
    {110, "Out of compile work space", ""},
    {117, "Checksum error", ""},
    {118, "Parameter overflow", ""},
    {119, "Compile timing error", ""},
    {120, "END DEF without DEF FN", ""},
    {121, "CASE without SELECT", ""},
    {122, "END SELECT without SELECT", ""},
    {123, "SELECT without END SELECT", ""},
    {124, "CASE without END SELECT", ""},
    {125, "ELSEIF without IF", ""},
    {126, "ELSE without IF", ""},
    {127, "ENDIF without IF", ""},
    {128, "IF without ENDIF", ""},
    {129, "ELSEIF without ENDIF", ""},
    {130, "ELSE without ENDIF", ""},
    {131, "Local variable overflow", ""},
    {132, "SUB without END SUB", ""},
    {133, "END SUB without SUB", ""},
    {134, "DEF FN without END DEF", ""},
    {135, "DO without LOOP", ""},
    {136, "LOOP without DO", ""},
    {137, "Illegal jump", ""},
    {138, "EXIT without DEF", ""},
    {139, "EXIT without SUB", ""},
    {140, "EXIT without FOR", ""},
    {141, "EXIT without DO", ""},
    {150, "CATCH without TRY", ""},
    {151, "END TRY without TRY", ""},
    {152, "TRY without END TRY", ""},
    {153, "CATCH without END TRY", ""},
    {200, "Undefined variable", "not declared under Option Explicit"},
    {201, "Duplicated variable", "declared twice under Option Explicit"},
    {210, "Interrupted", "_InterruptQorMacro ended the run"},
};

constexpr bool TableAscending() {
  for (std::size_t i = 1; i < std::size(kErrorTable); ++i) {
    if (kErrorTable[i - 1].number >= kErrorTable[i].number) return false;
  }
  return kErrorTable[std::size(kErrorTable) - 1].number < 256;
}
static_assert(TableAscending(), "error table must be in ascending order below 256");

// The 256 messages indexed by number, built from the table above.
constexpr std::array<const char*, 256> BuildMessages() {
  std::array<const char*, 256> messages{};
  for (auto& m : messages) m = "";
  for (const auto& e : kErrorTable) messages[static_cast<std::size_t>(e.number)] = e.message;
  return messages;
}
constexpr std::array<const char*, 256> kMessages = BuildMessages();

}  // namespace

std::span<const ErrorEntry> lang::ErrorTable() noexcept { return kErrorTable; }

const char* ErrorMessage(ErrNo number) noexcept {
  if (number < 0 || number > 255) return "";
  return kMessages[static_cast<std::size_t>(number)];
}

}  // namespace msc
