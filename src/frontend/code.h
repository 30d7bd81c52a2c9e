// Byte layout of the program area and of one line's intermediate code.
//
//   program area:  [record][record]...[record][00 00]
//
//   line record:   +0  u16  record length = code length + 7 (little-endian)
//                  +2  u32  line number (little-endian)
//                  +6  n    intermediate code
//                  +6+n u8  0x00, end of line
//
// Token first bytes (multi-byte numbers little-endian, keyword codes big-endian):
//   00            end of line
//   01..09        run of 1..9 spaces
//   0E u16        line-number reference
//   0F u8         integer 10..255
//   10..19        integer 0..9
//   1C i16        other integer in -32768..32767
//   1D f64        double
//   22 text 00    string literal
//   80..D7 xx     keyword (code = first * 256 + second); Rem and ' are followed by raw text
//   D8..DB text 00  SC. / SY. names (scalar, with "(")
//   E0..E8 ptr64  variable reference (address of its cell)
//   EE text 00    label definition;  EF text 00  label reference
//   F0..FC        operators;  other bytes: punctuation
#pragma once

#include <cstdint>
#include <cstring>

namespace msc {

inline constexpr size_t kLineHeader = 6;        // length + line number
inline constexpr size_t kRecordOverhead = 7;    // header + end-of-line byte
inline constexpr size_t kLineBufferSize = 65536;
inline constexpr size_t kCompileOutputLimit = 65528;

namespace code {
inline constexpr uint8_t EndOfLine = 0x00, MaxSpaceRun = 0x09, LineRef = 0x0E, Byte = 0x0F,
    SmallFirst = 0x10, SmallLast = 0x19, Short = 0x1C, Double = 0x1D, String = 0x22,
    KeywordFirst = 0x80, KeywordLast = 0xD7, ScScalar = 0xD8, ScArray = 0xD9,
    SyScalar = 0xDA, SyArray = 0xDB, VarFirst = 0xE0, VarLast = 0xE8, LabelDef = 0xEE,
    LabelRef = 0xEF, OperatorFirst = 0xF0, OperatorLast = 0xFC;
}  // namespace code

// Variable cell tags (also the variable token bytes).
namespace tag {
inline constexpr uint8_t Int = 0xE0, Dbl = 0xE1, Str = 0xE2, IntArray = 0xE3,
    DblArray = 0xE4, StrArray = 0xE5, Ref = 0xE6, Variant = 0xE7, VariantArray = 0xE8,
    Link = 0xFF;
}  // namespace tag

// Reader kinds returned by the token reader and the lexer.
namespace kind {
inline constexpr int End = 0, Integer = 1, Double = 2, String = 4, Keyword = 5,
    Punct = 6, Spaces = 7, LineRef = 8, Error = 10, VarFirst = 20, IntVar = 20,
    DblVar = 21, StrVar = 22, IntArray = 23, DblArray = 24, StrArray = 25, RefVar = 26,
    VariantVar = 27, VariantArray = 28, LabelDef = 34, LabelRef = 35, ScScalar = 40,
    ScArray = 41, SyScalar = 42, SyArray = 43;
}  // namespace kind

inline uint16_t LoadU16(const uint8_t* p) noexcept { uint16_t v; std::memcpy(&v, p, 2); return v; }
inline int16_t LoadI16(const uint8_t* p) noexcept { int16_t v; std::memcpy(&v, p, 2); return v; }
inline uint32_t LoadU32(const uint8_t* p) noexcept { uint32_t v; std::memcpy(&v, p, 4); return v; }
inline double LoadF64(const uint8_t* p) noexcept { double v; std::memcpy(&v, p, 8); return v; }
inline uint8_t* LoadPtr(const uint8_t* p) noexcept { uint8_t* v; std::memcpy(&v, p, sizeof v); return v; }
inline void StoreU16(uint8_t* p, uint16_t v) noexcept { std::memcpy(p, &v, 2); }
inline void StoreU32(uint8_t* p, uint32_t v) noexcept { std::memcpy(p, &v, 4); }
inline void StoreF64(uint8_t* p, double v) noexcept { std::memcpy(p, &v, 8); }
inline void StorePtr(uint8_t* p, const uint8_t* v) noexcept { std::memcpy(p, &v, sizeof v); }
static_assert(sizeof(void*) == 8, "variable tokens carry 8-byte cell addresses");

// Line record accessors.
inline uint16_t RecordLength(const uint8_t* rec) noexcept { return LoadU16(rec); }
inline uint32_t RecordLineNumber(const uint8_t* rec) noexcept { return LoadU32(rec + 2); }
inline const uint8_t* RecordCode(const uint8_t* rec) noexcept { return rec + kLineHeader; }
inline uint8_t* RecordCode(uint8_t* rec) noexcept { return rec + kLineHeader; }

}  // namespace msc
