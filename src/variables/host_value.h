// Values crossing the host boundary as AnyType, in both directions.
//
//   engine value          host value
//   empty              -> empty
//   integer            -> integer
//   double             -> real
//   any text           -> wide text (from the conversion code page)
//   bytes              -> byte block with its length
//
//   host value         -> integer / double slot: GetIntValue / GetDoubleValue
//                      -> string slot: GetString in the code page
//                      -> variant slot: by host type; a list gives its first
//                         entry, converted the same way (an empty list: empty)
#pragma once

#include <cstdint>
#include <string>

#include "engine/errors.h"
#include "engine/value.h"

class AnyType;

namespace msc {

// 13 for a value of any other type (its content is then unchanged), 7 when
// the host value cannot take the data.
[[nodiscard]] ErrNo ValueToHost(const Value& v, AnyType& out) noexcept;

// The host value as an engine value that owns what it holds: integer,
// double, owned text, owned bytes or empty. A text is cut at maxTextBytes
// bytes in the code page. 7 when memory runs out.
inline constexpr size_t kHostTextLimit = 32767;
[[nodiscard]] ErrNo HostToValue(const AnyType& in, Value& out,
                                size_t maxTextBytes = kHostTextLimit) noexcept;

// Stores a host value into a variable's storage: slot is a cell payload or
// an array element, kind the cell tag of the variable (array tags stand for
// their elements). Reference cells are not stored here. 13 for a kind that
// has no storage, 7 when memory runs out.
[[nodiscard]] ErrNo StoreHostValue(uint8_t kind, uint8_t* slot, const AnyType& in) noexcept;

// Wide text in the conversion code page, cut at capacity - 1 bytes (also in
// the middle of a character). Null or unconvertible text gives "". Returns
// the length.
size_t WideToCodePage(const wchar_t* wide, char* out, size_t capacity) noexcept;
// The same, into a string; false when memory runs out.
[[nodiscard]] bool WideToCodePage(const wchar_t* wide, std::string& out) noexcept;
// Multibyte text of the code page as wide text; false when memory runs out.
// Unconvertible bytes become replacement characters.
[[nodiscard]] bool CodePageToWide(const char* text, size_t length, std::wstring& out) noexcept;

}  // namespace msc
