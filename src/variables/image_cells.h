// Pieces shared by the variable images: walking the variable area with a
// check of every tag, reading array blocks, and a bounded reader of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "engine/memory_budget.h"
#include "engine/variables.h"

namespace msc::image {

template <class T> inline T Load(const uint8_t* p) noexcept {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class T> inline void Store(uint8_t* p, T v) noexcept { std::memcpy(p, &v, sizeof v); }

inline uint8_t* LoadPointer(const uint8_t* p) noexcept { return Load<uint8_t*>(p); }
inline void StorePointer(uint8_t* p, const void* v) noexcept { Store<const void*>(p, v); }

// Visits every cell; false (after the internal-error message) when a tag of
// no known kind is met. fn returns an error number; a non-zero one stops the
// walk and is handed back through *stopped. An fn that may throw (building
// records in a vector) passes its exception on to the caller's handler.
template <class Fn>
[[nodiscard]] bool WalkCells(VariableArea& area, Fn&& fn, ErrNo* stopped) noexcept(
    noexcept(fn(std::declval<uint8_t*>()))) {
  *stopped = kOk;
  uint8_t* p = area.First();
  while (p != nullptr && *p != kTagEnd) {
    if (*p == kTagLink) {
      p = LoadPointer(p + 1);
      continue;
    }
    const int ps = PayloadSize(*p);
    if (ps < 0) {
      InternalError();
      return false;
    }
    if (ErrNo e = fn(p); e != kOk) {
      *stopped = e;
      return true;
    }
    p += 1 + ps + 1 + p[1 + ps];
  }
  return true;
}

// The parts of an array block.
struct ArrayShape {
  uint32_t dims = 0;
  uint64_t count = 0;      // elements
  uint64_t headerSize = 0; // 4 + 4 * dims
};

inline ArrayShape ShapeOf(const uint8_t* block) noexcept {
  ArrayShape s;
  s.dims = Load<uint32_t>(block);
  s.headerSize = 4 + 4 * static_cast<uint64_t>(s.dims);
  s.count = s.dims == 0 ? 0 : 1;
  for (uint32_t i = 0; i < s.dims; ++i) s.count *= Load<uint32_t>(block + 4 + 4 * i);
  return s;
}

// Largest array block the engine makes; larger shapes in an image are damage.
inline constexpr uint64_t kMaxBlock = 2147483647;
// More dimensions than any program can declare mark a damaged image.
inline constexpr uint32_t kMaxDimensions = 255;

// Reads bytes from [pos, end) without ever passing end.
class Reader {
 public:
  Reader(const uint8_t* begin, const uint8_t* end) noexcept : pos_(begin), end_(end) {}
  size_t Left() const noexcept { return static_cast<size_t>(end_ - pos_); }
  const uint8_t* Position() const noexcept { return pos_; }
  [[nodiscard]] bool Byte(uint8_t* out) noexcept {
    if (Left() < 1) return false;
    *out = *pos_++;
    return true;
  }
  template <class T> [[nodiscard]] bool Get(T* out) noexcept {
    if (Left() < sizeof(T)) return false;
    *out = Load<T>(pos_);
    pos_ += sizeof(T);
    return true;
  }
  // Points at n bytes and steps over them.
  [[nodiscard]] bool Take(size_t n, const uint8_t** out) noexcept {
    if (Left() < n) return false;
    *out = pos_;
    pos_ += n;
    return true;
  }
  // A zero-terminated text; *length excludes the zero.
  [[nodiscard]] bool Text(const char** text, size_t* length) noexcept {
    const void* zero = std::memchr(pos_, 0, Left());
    if (zero == nullptr) return false;
    *text = reinterpret_cast<const char*>(pos_);
    *length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - pos_);
    pos_ += *length + 1;
    return true;
  }
  // An array header: dims, then dims extents, each at least 1, and a total
  // block size within the engine's limit for elements of elementSize bytes.
  [[nodiscard]] bool Shape(uint32_t dims, size_t elementSize, uint32_t* extents,
                           uint64_t* count) noexcept {
    if (dims == 0 || dims > kMaxDimensions || Left() < 4 * static_cast<size_t>(dims)) return false;
    uint64_t n = 1;
    for (uint32_t i = 0; i < dims; ++i) {
      (void)Get(&extents[i]);
      if (extents[i] == 0) return false;
      n *= extents[i];
      if (4 + 4 * static_cast<uint64_t>(dims) + n * elementSize > kMaxBlock) return false;
    }
    *count = n;
    return true;
  }

 private:
  const uint8_t* pos_;
  const uint8_t* end_;
};

// What reading a text into a slot gave.
enum class TextRead { kStored, kDamaged, kNoMemory };

// Reads a zero-terminated text and stores a heap copy into the string slot;
// with emptyIsNone an empty text leaves the slot null.
[[nodiscard]] inline TextRead ReadTextInto(Reader& in, uint8_t* slot, bool emptyIsNone) noexcept {
  const char* text;
  size_t length;
  if (!in.Text(&text, &length)) return TextRead::kDamaged;
  if (length == 0 && emptyIsNone) return TextRead::kStored;
  auto* copy = static_cast<char*>(memory::Allocate(length + 1));
  if (copy == nullptr) return TextRead::kNoMemory;
  std::memcpy(copy, text, length + 1);
  StorePointer(slot, copy);
  return TextRead::kStored;
}

// A stand-alone cell holding one array block or buffer, so that a value can
// be built completely before it replaces a variable's, and freed with the
// same code when it is not used.
struct LooseCell {
  uint8_t bytes[1 + 8 + 1] = {};
  explicit LooseCell(uint8_t tag) noexcept { bytes[0] = tag; }
  LooseCell(const LooseCell&) = delete;
  LooseCell& operator=(const LooseCell&) = delete;
  ~LooseCell() { ClearCell(bytes); }
  uint8_t* Slot() noexcept { return bytes + 1; }
  // Moves the block or buffer into a real cell of the same tag.
  void MoveInto(uint8_t* cell) noexcept {
    ClearCell(cell);
    std::memcpy(cell + 1, bytes + 1, 8);
    std::memset(bytes + 1, 0, 8);
  }
};

}  // namespace msc::image
