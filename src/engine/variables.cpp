// The variable area: finding and creating cells, and reading and writing the
// values they hold (scalars, arrays, variants).
//
//   block (16384 bytes, zero-filled when made):
//   +--------+--------+-----+--------+------+------------------+
//   | cell   | cell   | ... | cell   | 0x00 |  (zeros)         |   last block
//   +--------+--------+-----+--------+------+------------------+
//   | cell   | ...    | 0xFF | next block address (8) | ...    |   linked block
//   +--------+--------+------+------------------------+--------+
//
// Every cell leaves at least 10 bytes after it in its block, so a 9-byte link
// and the end byte always fit where the next cell would not.
//
// Texts, variant buffers and array blocks hanging from cells come from
// std::malloc: an owned text of a value moves into a string slot unchanged.
// Payloads and array elements are not aligned, so they are accessed through
// memcpy.
#include "engine/variables.h"

#include <cstdlib>
#include <cstring>

#include "engine/memory_budget.h"
#include "platform/console.h"
#include "variables/reference.h"

namespace msc {

namespace {

constexpr uint8_t kIntegerTag = 0xE0;
constexpr uint8_t kDoubleTag = 0xE1;
constexpr uint8_t kStringTag = 0xE2;
constexpr uint8_t kIntegerArrayTag = 0xE3;
constexpr uint8_t kDoubleArrayTag = 0xE4;
constexpr uint8_t kStringArrayTag = 0xE5;
constexpr uint8_t kReferenceTag = 0xE6;
constexpr uint8_t kVariantTag = 0xE7;
constexpr uint8_t kVariantArrayTag = 0xE8;
constexpr uint8_t kLinkTag = 0xFF;
constexpr uint8_t kEndTag = 0x00;

// Room a cell must leave behind it in its block: a link (tag and address)
// and the end byte.
constexpr size_t kCellReserve = 1 + sizeof(void*) + 1;
static_assert(kCellReserve == 10);

// Variant buffer tags.
constexpr uint8_t kVariantInteger = 1;  // tag, i32
constexpr uint8_t kVariantDouble = 2;   // tag, f64
constexpr uint8_t kVariantText = 3;     // tag, text, 0
constexpr uint8_t kVariantBytes = 4;    // tag, u32 length, bytes

constexpr size_t kMaxArrayBlock = 2147483647;

template <class T> T Load(const uint8_t* p) noexcept {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
template <class T> void Store(uint8_t* p, T v) noexcept { std::memcpy(p, &v, sizeof v); }

uint8_t* LoadPointer(const uint8_t* p) noexcept { return Load<uint8_t*>(p); }
void StorePointer(uint8_t* p, void* v) noexcept { Store(p, v); }

bool IsArrayTag(uint8_t tag) noexcept {
  return tag == kIntegerArrayTag || tag == kDoubleArrayTag || tag == kStringArrayTag ||
         tag == kVariantArrayTag;
}

// Frees the heap buffer an 8-byte slot points at and makes the slot null.
void FreeSlot(uint8_t* slot) noexcept {
  memory::Free(LoadPointer(slot));
  StorePointer(slot, nullptr);
}

// Size of the cell at p in block, or 0 when its tag is unknown or it would not
// leave room for the end byte inside the block.
size_t CellSize(const uint8_t* block, const uint8_t* p) noexcept {
  const int ps = PayloadSize(p[0]);
  const size_t at = static_cast<size_t>(p - block);
  if (ps < 0 || at + 2 + static_cast<size_t>(ps) > kVariableBlockSize) return 0;
  const size_t size = 2 + static_cast<size_t>(ps) + p[1 + ps];
  return at + size + 1 > kVariableBlockSize ? 0 : size;
}

uint32_t Dimensions(const uint8_t* block) noexcept { return Load<uint32_t>(block); }
uint32_t Extent(const uint8_t* block, uint32_t i) noexcept { return Load<uint32_t>(block + 4 + 4 * i); }
size_t HeaderSize(const uint8_t* block) noexcept { return 4 * (static_cast<size_t>(Dimensions(block)) + 1); }

uint64_t ElementCount(const uint8_t* block) noexcept {
  uint64_t n = 1;
  for (uint32_t i = 0, d = Dimensions(block); i < d; ++i) n *= Extent(block, i);
  return n;
}

// The element at offset of a dimensioned array, or null when the offset does
// not name one (the array changed under a stale offset).
uint8_t* ElementAt(uint8_t* block, uint8_t tag, uint32_t offset) noexcept {
  const size_t header = HeaderSize(block);
  if (offset < header) return nullptr;
  // Elements are 4 or 8 bytes, so a mask and a product do for the divisions.
  const size_t es = ElementSize(tag);
  const size_t within = offset - header;
  if ((within & (es - 1)) != 0) return nullptr;
  const uint64_t count = Dimensions(block) == 1 ? Extent(block, 0) : ElementCount(block);
  if (within >= count * es) return nullptr;
  return block + offset;
}

// Walks one block's cells up to its end byte or link; null when a cell is
// malformed (reported as an internal error).
uint8_t* EndOfBlock(uint8_t* block) noexcept {
  uint8_t* p = block;
  while (*p != kEndTag && *p != kLinkTag) {
    const size_t size = CellSize(block, p);
    if (size == 0) {
      InternalError();
      return nullptr;
    }
    p += size;
  }
  return p;
}

void ReadStringSlot(const uint8_t* slot, Value& out) noexcept {
  const char* s = reinterpret_cast<const char*>(LoadPointer(slot));
  if (!s) s = "";
  out.SetBorrowedText(kVarText, s, static_cast<int32_t>(std::strlen(s)));
}

ErrNo ReadElementRaw(uint8_t* cell, uint8_t* element, Value& out) noexcept {
  switch (cell[0]) {
    case kIntegerArrayTag: out.SetInteger(Load<int32_t>(element)); return kOk;
    case kDoubleArrayTag: out.SetDouble(Load<double>(element)); return kOk;
    case kStringArrayTag: ReadStringSlot(element, out); return kOk;
    case kVariantArrayTag: return LoadVariant(element, out);
    default: InternalError(); return kOk;
  }
}

ErrNo WriteElementRaw(uint8_t* cell, uint8_t* element, Value& v) noexcept {
  switch (cell[0]) {
    // A number of the array's own kind, the usual case, needs no conversion call.
    case kIntegerArrayTag:
      if (v.type != kInteger) {
        if (ErrNo e = ToInteger(v); e != kOk) return e;
      }
      Store<int32_t>(element, v.count);
      return kOk;
    case kDoubleArrayTag:
      if (v.type != kDouble) {
        if (ErrNo e = ToDouble(v); e != kOk) return e;
      }
      Store<double>(element, v.number);
      return kOk;
    case kStringArrayTag: return StoreStringSlot(element, v);
    case kVariantArrayTag: return StoreVariant(element, v);
    default: InternalError(); return kOk;
  }
}

// The element of a one-dimensional array by plain index.
ErrNo ElementByIndex(uint8_t* cell, int32_t index, uint8_t** element) noexcept {
  if (!IsArrayTag(cell[0])) return kErrTypeMismatch;
  uint8_t* block = ArrayBlock(cell);
  if (!block) return kErrUndefinedArray;
  if (Dimensions(block) != 1) return kErrTypeMismatch;
  if (index < 0 || static_cast<uint32_t>(index) >= Extent(block, 0)) return kErrSubscript;
  *element = block + 8 + static_cast<size_t>(index) * ElementSize(cell[0]);
  return kOk;
}

}  // namespace

int PayloadSize(uint8_t tag) noexcept {
  switch (tag) {
    case kIntegerTag: return 4;
    case kReferenceTag: return 0;
    case kDoubleTag: case kStringTag: case kIntegerArrayTag: case kDoubleArrayTag:
    case kStringArrayTag: case kVariantTag: case kVariantArrayTag: return 8;
    default: return -1;
  }
}

uint8_t CellNameLength(const uint8_t* cell) noexcept {
  const int ps = PayloadSize(cell[0]);
  return ps < 0 ? 0 : cell[1 + ps];
}

const char* CellName(const uint8_t* cell) noexcept {
  const int ps = PayloadSize(cell[0]);
  return reinterpret_cast<const char*>(cell + 2 + (ps < 0 ? 0 : ps));
}

void InternalError() noexcept { platform::LinePrint("RVM INTERNAL ERROR\n"); }

// ---- the area ----

VariableArea::VariableArea() noexcept
    : first_(static_cast<uint8_t*>(memory::AllocateZeroed(1, kVariableBlockSize))) {}

VariableArea::~VariableArea() {
  ClearValues(false);
  memory::Free(first_);
}

uint8_t* VariableArea::FindCell(uint8_t tag, const char* name, size_t len, FindMode mode,
                                FindStatus* status) noexcept {
  *status = kFindNoMemory;
  const int ps = PayloadSize(tag);
  if (!first_ || ps < 0 || len > kMaxNameLength) return nullptr;

  uint8_t* block = first_;
  uint8_t* p = block;
  for (;;) {
    if (*p == kEndTag) break;
    if (*p == kLinkTag) {
      block = p = LoadPointer(p + 1);
      continue;
    }
    const size_t size = CellSize(block, p);
    if (size == 0) {
      InternalError();
      return nullptr;
    }
    if (p[0] == tag && p[1 + ps] == len && std::memcmp(p + 2 + ps, name, len) == 0) {
      if (mode == FindMode::CreateOnly) {
        *status = kFindExists;
        return nullptr;
      }
      *status = kFindOk;
      return p;
    }
    p += size;
  }

  if (mode == FindMode::FindOnly) {
    *status = kFindAbsent;
    return nullptr;
  }
  const size_t size = 2 + static_cast<size_t>(ps) + len;
  if (static_cast<size_t>(p - block) + size + kCellReserve > kVariableBlockSize) {
    auto* next = static_cast<uint8_t*>(memory::AllocateZeroed(1, kVariableBlockSize));
    if (!next) return nullptr;
    p[0] = kLinkTag;
    StorePointer(p + 1, next);
    p = next;
  }
  p[0] = tag;
  std::memset(p + 1, 0, static_cast<size_t>(ps));
  p[1 + ps] = static_cast<uint8_t>(len);
  std::memcpy(p + 2 + ps, name, len);
  p[size] = kEndTag;
  *status = kFindOk;
  return p;
}

void VariableArea::ClearValues(bool keepNames) noexcept {
  if (!first_) return;
  ForEachCell([](uint8_t* cell) {
    ClearCell(cell);
    return true;
  });
  if (keepNames) return;
  // Each block's link is read before the block that holds it is freed.
  uint8_t* end = EndOfBlock(first_);
  uint8_t* block = end && *end == kLinkTag ? LoadPointer(end + 1) : nullptr;
  while (block) {
    end = EndOfBlock(block);
    uint8_t* next = end && *end == kLinkTag ? LoadPointer(end + 1) : nullptr;
    memory::Free(block);
    block = next;
  }
  std::memset(first_, 0, kVariableBlockSize);
}

void ClearCell(uint8_t* cell) noexcept {
  switch (cell[0]) {
    case kIntegerTag: Store<int32_t>(cell + 1, 0); break;
    case kDoubleTag: Store<double>(cell + 1, 0.0); break;
    case kStringTag: case kVariantTag: FreeSlot(cell + 1); break;
    case kIntegerArrayTag: case kDoubleArrayTag: case kStringArrayTag: case kVariantArrayTag:
      FreeArray(cell);
      break;
    case kReferenceTag: break;  // bound to host data, not to the area
    default: InternalError(); break;
  }
}

// ---- scalars ----

ErrNo ReadScalar(QorMacro& m, uint8_t* cell, Value& out) noexcept {
  switch (cell[0]) {
    case kIntegerTag: out.SetInteger(Load<int32_t>(cell + 1)); return kOk;
    case kDoubleTag: out.SetDouble(Load<double>(cell + 1)); return kOk;
    case kStringTag: ReadStringSlot(cell + 1, out); return kOk;
    case kReferenceTag: return ReadReference(m, cell, out);
    case kVariantTag: return LoadVariant(cell + 1, out);
    default: InternalError(); return kOk;
  }
}

ErrNo WriteScalar(QorMacro& m, uint8_t* cell, Value& v) noexcept {
  switch (cell[0]) {
    case kIntegerTag:
      if (ErrNo e = ToInteger(v); e != kOk) return e;
      Store<int32_t>(cell + 1, v.count);
      return kOk;
    case kDoubleTag:
      if (ErrNo e = ToDouble(v); e != kOk) return e;
      Store<double>(cell + 1, v.number);
      return kOk;
    case kStringTag: return StoreStringSlot(cell + 1, v);
    case kReferenceTag: return WriteReference(m, cell, v);
    case kVariantTag: return StoreVariant(cell + 1, v);
    default: InternalError(); return kOk;
  }
}

ErrNo StoreStringSlot(uint8_t* slot, Value& v) noexcept {
  if (v.type <= kEmpty) return kErrTypeMismatch;
  if (ErrNo e = ToText(v); e != kOk) return e;
  // The new buffer is ready before the old one goes: v may borrow the old one.
  char* buf;
  if (v.type == kOwnedText) {
    buf = const_cast<char*>(v.text);
    v.type = kEmpty;
    v.text = nullptr;
    v.Clear();
  } else {
    const size_t len = static_cast<size_t>(v.count);
    buf = static_cast<char*>(memory::Allocate(len + 1));
    if (!buf) {
      FreeSlot(slot);
      return kErrOutOfMemory;
    }
    if (len) std::memcpy(buf, v.text, len);
    buf[len] = '\0';
  }
  memory::Free(LoadPointer(slot));
  StorePointer(slot, buf);
  return kOk;
}

// ---- variants ----

ErrNo StoreVariant(uint8_t* slot, const Value& v) noexcept {
  // Built before the old buffer is freed: v may borrow from it.
  uint8_t* buf = nullptr;
  switch (v.type) {
    case kEmpty: break;
    case kInteger:
      buf = static_cast<uint8_t*>(memory::Allocate(1 + 4));
      if (buf) {
        buf[0] = kVariantInteger;
        Store<int32_t>(buf + 1, v.count);
      }
      break;
    case kDouble:
      buf = static_cast<uint8_t*>(memory::Allocate(1 + 8));
      if (buf) {
        buf[0] = kVariantDouble;
        Store<double>(buf + 1, v.number);
      }
      break;
    case kVarText: case kConstText: case kOwnedText: {
      const char* s = v.text ? v.text : "";
      const size_t len = std::strlen(s);
      buf = static_cast<uint8_t*>(memory::Allocate(1 + len + 1));
      if (buf) {
        buf[0] = kVariantText;
        std::memcpy(buf + 1, s, len + 1);
      }
      break;
    }
    case kBytes: {
      const uint32_t len = v.count > 0 ? static_cast<uint32_t>(v.count) : 0;
      buf = static_cast<uint8_t*>(memory::Allocate(1 + 4 + static_cast<size_t>(len)));
      if (buf) {
        buf[0] = kVariantBytes;
        Store<uint32_t>(buf + 1, len);
        if (len) std::memcpy(buf + 5, v.text, len);
      }
      break;
    }
    default:
      FreeSlot(slot);
      InternalError();
      return kErrInternal;
  }
  memory::Free(LoadPointer(slot));
  StorePointer(slot, buf);
  return v.type != kEmpty && !buf ? kErrOutOfMemory : kOk;
}

ErrNo LoadVariant(const uint8_t* slot, Value& out) noexcept {
  const uint8_t* buf = LoadPointer(slot);
  if (!buf) {
    out.Clear();
    return kOk;
  }
  switch (buf[0]) {
    case kVariantInteger: out.SetInteger(Load<int32_t>(buf + 1)); return kOk;
    case kVariantDouble: out.SetDouble(Load<double>(buf + 1)); return kOk;
    case kVariantText: {
      const char* s = reinterpret_cast<const char*>(buf + 1);
      out.SetBorrowedText(kVarText, s, static_cast<int32_t>(std::strlen(s)));
      return kOk;
    }
    case kVariantBytes:
      // Borrows the variant's buffer: no block.
      out.Clear();
      out.type = kBytes;
      out.count = static_cast<int32_t>(Load<uint32_t>(buf + 1));
      out.text = reinterpret_cast<const char*>(buf + 5);
      return kOk;
    default:
      InternalError();
      return kErrInternal;
  }
}

// ---- arrays ----

ErrNo DimensionArray(uint8_t* cell, uint32_t dims, const uint32_t* extents) noexcept {
  if (!IsArrayTag(cell[0])) return kErrSyntax;
  FreeArray(cell);
  // Computed in 64 bits, stopping as soon as the size passes the limit, so
  // that no product can wrap.
  const uint64_t header = 4 * (static_cast<uint64_t>(dims) + 1);
  const uint64_t es = ElementSize(cell[0]);
  uint64_t count = 1;
  for (uint32_t i = 0; i < dims; ++i) {
    if (extents[i] == 0) {
      count = 0;
      break;
    }
  }
  for (uint32_t i = 0; i < dims && count != 0; ++i) {
    count *= extents[i];
    if (header + count * es > kMaxArrayBlock) return kErrOutOfMemory;
  }
  const uint64_t size = header + count * es;
  if (size > kMaxArrayBlock) return kErrOutOfMemory;
  auto* block = static_cast<uint8_t*>(memory::AllocateZeroed(1, static_cast<size_t>(size)));
  if (!block) return kErrOutOfMemory;
  Store<uint32_t>(block, dims);
  if (dims) std::memcpy(block + 4, extents, 4 * static_cast<size_t>(dims));
  StorePointer(cell + 1, block);
  return kOk;
}

void FreeArray(uint8_t* cell) noexcept {
  if (!IsArrayTag(cell[0])) return;
  uint8_t* block = ArrayBlock(cell);
  if (!block) return;
  if (cell[0] == kStringArrayTag || cell[0] == kVariantArrayTag) {
    uint8_t* element = block + HeaderSize(block);
    for (uint64_t i = 0, n = ElementCount(block); i < n; ++i, element += 8) {
      memory::Free(LoadPointer(element));
    }
  }
  memory::Free(block);
  StorePointer(cell + 1, nullptr);
}

ErrNo ElementOffsetOf(const uint8_t* cell, const int32_t* subscripts, int count,
                      uint32_t* offset) noexcept {
  if (!IsArrayTag(cell[0])) return kErrSyntax;
  const uint8_t* block = ArrayBlock(cell);
  if (!block) return kErrUndefinedArray;
  const uint32_t dims = Dimensions(block);
  // Subscripts are checked in order as they would be read from the code, so a
  // bad subscript before a miscount reports 9 and the miscount 2.
  uint64_t index = 0;
  for (uint32_t i = 0; i < dims && static_cast<int64_t>(i) < count; ++i) {
    const uint32_t extent = Extent(block, i);
    if (subscripts[i] < 0 || static_cast<uint32_t>(subscripts[i]) >= extent) return kErrSubscript;
    index = index * extent + static_cast<uint32_t>(subscripts[i]);
  }
  if (count < 0 || static_cast<uint32_t>(count) != dims) return kErrSyntax;
  *offset = static_cast<uint32_t>(index * ElementSize(cell[0]) + 4 * static_cast<uint64_t>(dims) + 4);
  return kOk;
}

ErrNo ReadElement(uint8_t* cell, uint32_t offset, Value& out) noexcept {
  if (!IsArrayTag(cell[0])) {
    InternalError();
    return kOk;
  }
  uint8_t* block = ArrayBlock(cell);
  if (!block) return kErrUndefinedArray;
  uint8_t* element = ElementAt(block, cell[0], offset);
  if (!element) return kErrSubscript;
  return ReadElementRaw(cell, element, out);
}

ErrNo WriteElement(uint8_t* cell, uint32_t offset, Value& v) noexcept {
  if (!IsArrayTag(cell[0])) {
    InternalError();
    return kOk;
  }
  uint8_t* block = ArrayBlock(cell);
  if (!block) return kErrUndefinedArray;
  uint8_t* element = ElementAt(block, cell[0], offset);
  if (!element) return kErrSubscript;
  return WriteElementRaw(cell, element, v);
}

ErrNo ReadElementAt(uint8_t* cell, int32_t index, Value& out) noexcept {
  uint8_t* element = nullptr;
  if (ErrNo e = ElementByIndex(cell, index, &element); e != kOk) return e;
  return ReadElementRaw(cell, element, out);
}

ErrNo WriteElementAt(uint8_t* cell, int32_t index, Value& v) noexcept {
  uint8_t* element = nullptr;
  if (ErrNo e = ElementByIndex(cell, index, &element); e != kOk) return e;
  return WriteElementRaw(cell, element, v);
}

}  // namespace msc
