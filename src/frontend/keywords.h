// The vocabulary of the macro language: token codes, the keyword table, the
// named constants and the operator spellings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace msc {

// Token code classes.
inline constexpr uint16_t kStatementFirst = 0x8000;  // 175 statement words
inline constexpr uint16_t kStatementLast = 0x80AE;
inline constexpr uint16_t kFunctionFirst = 0xC000;   // 71 function words
inline constexpr uint16_t kFunctionLast = 0xC046;
inline constexpr uint16_t kConstantFirst = 0xD000;   // 43 named constants
inline constexpr uint16_t kConstantLast = 0xD02A;
inline constexpr uint16_t kConstantFirstDouble = 0xD024;
inline constexpr uint16_t kConstantFirstString = 0xD027;
inline constexpr size_t kStatementCount = kStatementLast - kStatementFirst + 1;
inline constexpr size_t kFunctionCount = kFunctionLast - kFunctionFirst + 1;
inline constexpr size_t kKeywordCount = 284;

// Statement codes the front end and the engine refer to by name.
namespace tok {
inline constexpr uint16_t Append = 0x8000, As = 0x8001, Call = 0x8002, Case = 0x8003,
    Catch = 0x8004, Clear = 0x8005, Close = 0x8006, Cont = 0x8007, Debug = 0x8009,
    Delete = 0x800A, Dim = 0x800B, Do = 0x800C, Else = 0x800D, Elseif = 0x800E,
    End = 0x800F, EndIf = 0x8010, EndParallelExecute = 0x8011, EndSelect = 0x8012,
    EndSub = 0x8013, EndTry = 0x8014, Erase = 0x8015, Error = 0x8016, Exit = 0x8017,
    Explicit = 0x8018, For = 0x801B, ForAppend = 0x801C, ForInput = 0x801D,
    ForOutput = 0x801E, Global = 0x801F, Gosub = 0x8020, Goto = 0x8021, If = 0x8022,
    Input = 0x8023, Keyword = 0x8024, Line = 0x8026, LineInput = 0x8027, List = 0x8028,
    Load = 0x8029, Local = 0x802A, Loop = 0x802B, New = 0x802E, Next = 0x802F,
    NextComma = 0x8030, On = 0x8031, Open = 0x8032, Option = 0x8033, Output = 0x8034,
    ParallelExecute = 0x8035, Print = 0x8036, Rem = 0x8037, Apostrophe = 0x8038,
    Return = 0x8039, Run = 0x803B, Save = 0x803C, Select = 0x803D, Step = 0x803E,
    Stop = 0x803F, Sub = 0x8041, Task = 0x8042, Then = 0x8043, To = 0x8044, Try = 0x8045,
    VarPop = 0x8046, VarPush = 0x8047, Wait = 0x8048, While = 0x8049,
    Executable = 0x80AB;
}  // namespace tok

// One-byte operator codes in the intermediate code.
namespace op {
inline constexpr uint8_t Mod = 0xF0, NotEqual = 0xF1, NotEqual2 = 0xF2, Greater = 0xF3,
    Less = 0xF4, LessEqual = 0xF5, LessEqual2 = 0xF6, GreaterEqual = 0xF7,
    GreaterEqual2 = 0xF8, Not = 0xF9, And = 0xFA, Or = 0xFB, Xor = 0xFC;
}  // namespace op

struct Keyword {
  const char* name;
  uint16_t code;
  const char* summary;  // what the word is for, as the language reference shows it
};

// The 284 keywords in strictly ascending case-insensitive order.
extern const Keyword kKeywords[kKeywordCount];

// Case-insensitive byte comparison with A-Z folded onto a-z (the order of the table).
[[nodiscard]] int CompareNoCase(const char* a, const char* b) noexcept;

// Checks the table's order; on failure prints "Error! : %s >= %s\n" and gives false.
[[nodiscard]] bool CheckKeywordTable() noexcept;

// Binary search by name (NUL-terminated, suffix included); -1 when not a keyword.
[[nodiscard]] int32_t LookupKeyword(const char* name) noexcept;
[[nodiscard]] int32_t LookupKeyword(const char* name, size_t len) noexcept;

// Spelling of a token code: the fixed spellings of the ten compiler-made codes,
// else the keyword table's entry; the empty text for an unknown code.
[[nodiscard]] const char* KeywordName(uint16_t code) noexcept;

// What a token code is for: the keyword table's summary, or that of a
// compiler-made code; the empty text for an unknown code.
[[nodiscard]] const char* KeywordSummary(uint16_t code) noexcept;

// Listing spelling of an operator byte 0xF0 to 0xFC ("MOD", "<>", ... "XOR").
[[nodiscard]] const char* OperatorSpelling(uint8_t byte) noexcept;

// Named constants by code.
[[nodiscard]] int32_t ConstantInteger(uint16_t code) noexcept;   // 0xD000..0xD023
[[nodiscard]] double ConstantDouble(uint16_t code) noexcept;     // 0xD024..0xD026
[[nodiscard]] std::string_view ConstantString(uint16_t code) noexcept;  // 0xD027..0xD02A

}  // namespace msc
