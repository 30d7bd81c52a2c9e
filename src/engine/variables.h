// The variable area: chained 16384-byte blocks of packed variable cells.
//
//   cell:   +0 u8 tag (0xE0..0xE8)
//           +1    payload: 4 bytes for 0xE0, none for 0xE6, 8 for every other tag
//           +1+p  u8 name length
//           +2+p  name bytes (upper case, suffix included)
//   after the last cell: 0x00; a tag 0xFF is a link, followed by the 8-byte
//   address of the next block, where the walk goes on.
//
//   array block:   u32 dimensions, u32 extent * dimensions, elements row-major
//   variant buffer: u8 tag (1 int, 2 double, 3 text, 4 u32 length + bytes), data
//
// Cells never move: compiled code holds their addresses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/errors.h"
#include "engine/value.h"

class QorMacro;

namespace msc {

inline constexpr size_t kVariableBlockSize = 16384;

// Cell tags: the byte of the variable token that refers to such a cell.
enum CellTag : uint8_t {
  kTagInteger = 0xE0,       // X&
  kTagDouble = 0xE1,        // X#
  kTagString = 0xE2,        // X$
  kTagIntegerArray = 0xE3,  // X&()
  kTagDoubleArray = 0xE4,   // X#()
  kTagStringArray = 0xE5,   // X$()
  kTagReference = 0xE6,     // X@, no payload
  kTagVariant = 0xE7,       // X!
  kTagVariantArray = 0xE8,  // X!()
  kTagLink = 0xFF,          // followed by the address of the next block
  kTagEnd = 0x00,           // after the last cell
};
[[nodiscard]] inline constexpr bool IsCellTag(uint8_t tag) noexcept {
  return tag >= kTagInteger && tag <= kTagVariantArray;
}
[[nodiscard]] inline constexpr bool IsArrayCellTag(uint8_t tag) noexcept {
  return (tag >= kTagIntegerArray && tag <= kTagStringArray) || tag == kTagVariantArray;
}
inline constexpr size_t kMaxNameLength = 255;

// Payload size of a cell by tag; -1 for an unknown tag.
[[nodiscard]] int PayloadSize(uint8_t tag) noexcept;
// Element size of an array tag (4 for integer arrays, else 8).
[[nodiscard]] inline size_t ElementSize(uint8_t tag) noexcept { return tag == 0xE3 ? 4 : 8; }

// Name of a cell.
[[nodiscard]] inline const uint8_t* CellPayload(uint8_t* cell) noexcept { return cell + 1; }
[[nodiscard]] uint8_t CellNameLength(const uint8_t* cell) noexcept;
[[nodiscard]] const char* CellName(const uint8_t* cell) noexcept;

enum class FindMode { FindOrCreate = 0, FindOnly = 1, CreateOnly = 2 };
enum FindStatus { kFindNoMemory = 0, kFindAbsent = 1, kFindExists = 2, kFindOk = 3 };

class VariableArea {
 public:
  VariableArea() noexcept;   // allocates the zeroed first block (null on failure)
  ~VariableArea();
  VariableArea(const VariableArea&) = delete;
  VariableArea& operator=(const VariableArea&) = delete;

  uint8_t* First() noexcept { return first_; }

  // Finds or creates a cell (see FindMode). Returns the cell, or null with the
  // status telling why.
  [[nodiscard]] uint8_t* FindCell(uint8_t tag, const char* name, size_t len, FindMode mode,
                                  FindStatus* status) noexcept;

  // Visits every cell in order; stops early when fn returns false.
  template <class Fn> void ForEachCell(Fn&& fn) noexcept;

  // Zeroes numbers, frees texts, variants and arrays. Without keepNames every
  // block but the first is freed and the first is zero-filled. The caller pops
  // the saved variable stack first.
  void ClearValues(bool keepNames) noexcept;

 private:
  uint8_t* first_ = nullptr;
};

// Frees the buffers a cell owns (text, variant, array) and zeroes its payload.
void ClearCell(uint8_t* cell) noexcept;

// Scalar access (tags 0xE0, 0xE1, 0xE2, 0xE6, 0xE7). Reference variables go
// through the macro object's reference operations.
[[nodiscard]] ErrNo ReadScalar(QorMacro& m, uint8_t* cell, Value& out) noexcept;
[[nodiscard]] ErrNo WriteScalar(QorMacro& m, uint8_t* cell, Value& v) noexcept;

// Arrays.
[[nodiscard]] ErrNo DimensionArray(uint8_t* cell, uint32_t dims, const uint32_t* extents) noexcept;
void FreeArray(uint8_t* cell) noexcept;
[[nodiscard]] inline uint8_t* ArrayBlock(const uint8_t* cell) noexcept;
// Byte offset of the element with the given subscripts: 2 when the cell is no
// array or the count differs from the dimensions, 18 undimensioned, 9 out of range.
[[nodiscard]] ErrNo ElementOffsetOf(const uint8_t* cell, const int32_t* subscripts, int count,
                                    uint32_t* offset) noexcept;
[[nodiscard]] ErrNo ReadElement(uint8_t* cell, uint32_t offset, Value& out) noexcept;
[[nodiscard]] ErrNo WriteElement(uint8_t* cell, uint32_t offset, Value& v) noexcept;
// One-dimensional access by plain index: 18 undimensioned, 13 more than one
// dimension, 9 index out of range.
[[nodiscard]] ErrNo ReadElementAt(uint8_t* cell, int32_t index, Value& out) noexcept;
[[nodiscard]] ErrNo WriteElementAt(uint8_t* cell, int32_t index, Value& v) noexcept;

// Variant buffers, given the address of the 8-byte payload slot.
[[nodiscard]] ErrNo StoreVariant(uint8_t* slot, const Value& v) noexcept;
[[nodiscard]] ErrNo LoadVariant(const uint8_t* slot, Value& out) noexcept;
// Stores text into a string slot (a string variable or element): 13 for empty,
// the value converted to text; an owned text's buffer moves into the slot.
[[nodiscard]] ErrNo StoreStringSlot(uint8_t* slot, Value& v) noexcept;

// Prints "RVM INTERNAL ERROR\n" for an impossible state.
void InternalError() noexcept;

// ---- inline definitions ----
inline uint8_t* ArrayBlock(const uint8_t* cell) noexcept {
  uint8_t* p;
  std::memcpy(&p, cell + 1, sizeof p);
  return p;
}

template <class Fn> void VariableArea::ForEachCell(Fn&& fn) noexcept {
  uint8_t* p = first_;
  while (p && *p != 0) {
    if (*p == 0xFF) { std::memcpy(&p, p + 1, sizeof p); continue; }
    int ps = PayloadSize(*p);
    if (ps < 0) { InternalError(); return; }
    if (!fn(p)) return;
    p += 1 + ps + 1 + p[1 + ps];
  }
}

}  // namespace msc
