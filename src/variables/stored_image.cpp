// The stored-variable image: the "&&", "##" and "$$" variables of a macro
// object in one block (layout in images.h).
#include <cstdlib>
#include <cstring>

#include "api/qor_macro.h"
#include "engine/memory_budget.h"
#include "platform/console.h"
#include "variables/image_cells.h"
#include "variables/images.h"

namespace msc {
namespace {

using image::Load;
using image::LoadPointer;
using image::Store;

constexpr size_t kHeaderSize = 4 + kMagicField;
constexpr uint8_t kEndMarker[4] = {'E', 'N', 'D', 0};
constexpr char kSizeMismatch[] = "MACRO SAVE SIZE ERROR!!\n";

bool EndsWith(const char* name, size_t n, const char* suffix) noexcept {
  const size_t k = std::strlen(suffix);
  return n >= k && std::memcmp(name + n - k, suffix, k) == 0;
}

bool EndsWith(const uint8_t* cell, const char* suffix) noexcept {
  return EndsWith(CellName(cell), CellNameLength(cell), suffix);
}

// The doubled mark of its kind that a stored variable's name ends with; ""
// for the kinds an image never carries.
const char* StoredMark(uint8_t tag) noexcept {
  switch (tag) {
    case kTagInteger: case kTagIntegerArray: return "&&";
    case kTagDouble: case kTagDoubleArray: return "##";
    case kTagString: case kTagStringArray: return "$$";
    default: return "";
  }
}

// Whether the image carries the cell: kinds 0xE0 to 0xE5 whose names end
// with the doubled mark of their kind.
bool IsStored(const uint8_t* cell) noexcept {
  return *StoredMark(cell[0]) != '\0' && EndsWith(cell, StoredMark(cell[0]));
}

// Whether there is anything to store at all.
bool HasStoredName(const uint8_t* cell) noexcept {
  for (const char* suffix : {"&&", "##", "$$", "!!", "@@"})
    if (EndsWith(cell, suffix)) return true;
  return false;
}

size_t RecordSize(const uint8_t* cell) noexcept {
  const int ps = PayloadSize(cell[0]);
  return 1 + static_cast<size_t>(ps) + 1 + CellNameLength(cell);
}

// Bytes that follow the record: texts with their zero, array blocks.
size_t DataSize(const uint8_t* cell) noexcept {
  const uint8_t* field = LoadPointer(cell + 1);
  if (cell[0] == kTagInteger || cell[0] == kTagDouble || field == nullptr) return 0;
  if (cell[0] == kTagString) return std::strlen(reinterpret_cast<const char*>(field)) + 1;
  const image::ArrayShape s = image::ShapeOf(field);
  const size_t size = static_cast<size_t>(s.headerSize + s.count * ElementSize(cell[0]));
  if (cell[0] != kTagStringArray) return size;
  size_t texts = 0;
  const uint8_t* slot = field + s.headerSize;
  for (uint64_t i = 0; i < s.count; ++i, slot += 8)
    if (const uint8_t* t = LoadPointer(slot)) texts += std::strlen(reinterpret_cast<const char*>(t)) + 1;
  return size + texts;
}

// Sums the stored records; false for a damaged area.
bool Measure(QorMacro& m, bool* any, size_t* records) noexcept {
  *any = false;
  *records = 0;
  ErrNo stopped;
  return image::WalkCells(m.variables, [&](uint8_t* cell) -> ErrNo {
    if (HasStoredName(cell)) *any = true;
    if (IsStored(cell)) *records += RecordSize(cell) + DataSize(cell);
    return kOk;
  }, &stopped);
}

size_t ImageSize(size_t records) noexcept {
  return ((kMagicField + records + 1 + 3) & ~static_cast<size_t>(3)) + 8;
}

// Writes one record and its data at out; returns the bytes written.
size_t WriteRecord(const uint8_t* cell, uint8_t* out) noexcept {
  const size_t record = RecordSize(cell);
  std::memcpy(out, cell, record);
  const uint8_t* field = cell[0] == kTagInteger || cell[0] == kTagDouble ? nullptr : LoadPointer(cell + 1);
  if (field == nullptr) return record;
  // Addresses mean nothing outside this process: a present text or block is 1.
  Store<uint64_t>(out + 1, 1);
  uint8_t* p = out + record;
  if (cell[0] == kTagString) {
    const size_t n = std::strlen(reinterpret_cast<const char*>(field)) + 1;
    std::memcpy(p, field, n);
    return record + n;
  }
  const image::ArrayShape s = image::ShapeOf(field);
  const size_t block = static_cast<size_t>(s.headerSize + s.count * ElementSize(cell[0]));
  std::memcpy(p, field, block);
  if (cell[0] != kTagStringArray) return record + block;
  uint8_t* slotOut = p + s.headerSize;
  p += block;
  const uint8_t* slot = field + s.headerSize;
  for (uint64_t i = 0; i < s.count; ++i, slot += 8, slotOut += 8) {
    const uint8_t* t = LoadPointer(slot);
    Store<uint64_t>(slotOut, t != nullptr ? 1 : 0);
    if (t == nullptr) continue;
    const size_t n = std::strlen(reinterpret_cast<const char*>(t)) + 1;
    std::memcpy(p, t, n);
    p += n;
  }
  return static_cast<size_t>(p - out);
}

// Reads the data of one record and installs it; -1 for damage, 7 when the
// variable cannot be created. Nothing changes unless the whole record is good.
int32_t RestoreRecord(QorMacro& m, image::Reader& in) noexcept {
  uint8_t tag;
  if (!in.Byte(&tag)) return kImageFailed;
  if (tag < kTagInteger || tag > kTagStringArray) {
    InternalError();
    return kImageFailed;
  }
  const size_t payload = static_cast<size_t>(PayloadSize(tag));
  const uint8_t* field;
  uint8_t nameLength;
  const uint8_t* name;
  if (!in.Take(payload, &field) || !in.Byte(&nameLength) || nameLength == 0 ||
      !in.Take(nameLength, &name))
    return kImageFailed;
  const auto* nameText = reinterpret_cast<const char*>(name);
  // No save writes a record whose name lacks its kind's mark ("E$$" as a
  // double): such a variable could never be saved again.
  if (!EndsWith(nameText, nameLength, StoredMark(tag))) return kImageFailed;

  auto cellFor = [&](uint8_t** cell) -> int32_t {
    FindStatus status;
    *cell = m.variables.FindCell(tag, nameText, nameLength, FindMode::FindOrCreate, &status);
    return *cell != nullptr ? kOk : kErrOutOfMemory;
  };
  uint8_t* cell = nullptr;
  if (tag == kTagInteger || tag == kTagDouble) {
    if (int32_t e = cellFor(&cell); e != kOk) return e;
    std::memcpy(cell + 1, field, payload);
    return kOk;
  }
  // A zero field: no text or array, and the variable is left as it is.
  if (Load<uint64_t>(field) == 0) return kOk;

  auto textInto = [&](uint8_t* slot) -> int32_t {
    switch (image::ReadTextInto(in, slot, false)) {
      case image::TextRead::kStored: return kOk;
      case image::TextRead::kDamaged: return kImageFailed;
      default: return kErrOutOfMemory;
    }
  };
  image::LooseCell value(tag);
  if (tag == kTagString) {
    if (int32_t e = textInto(value.Slot()); e != kOk) return e;
  } else {
    uint32_t dims;
    uint32_t extents[image::kMaxDimensions];
    uint64_t count;
    const size_t es = ElementSize(tag);
    const uint8_t* start = in.Position();
    if (!in.Get(&dims) || !in.Shape(dims, es, extents, &count)) return kImageFailed;
    const uint8_t* elements;
    if (!in.Take(static_cast<size_t>(count * es), &elements)) return kImageFailed;
    const size_t blockSize = static_cast<size_t>(in.Position() - start);
    auto* block = static_cast<uint8_t*>(memory::Allocate(blockSize));
    if (block == nullptr) return kErrOutOfMemory;
    std::memcpy(block, start, blockSize);
    if (tag == kTagStringArray) std::memset(block + 4 + 4 * dims, 0, static_cast<size_t>(count * 8));
    image::StorePointer(value.Slot(), block);
    if (tag == kTagStringArray) {
      // Every present slot is followed, in order, by its text.
      uint8_t* slot = block + 4 + 4 * dims;
      for (uint64_t i = 0; i < count; ++i, slot += 8) {
        if (Load<uint64_t>(elements + 8 * i) == 0) continue;
        if (int32_t e = textInto(slot); e != kOk) return e;
      }
    }
  }
  if (int32_t e = cellFor(&cell); e != kOk) return e;
  value.MoveInto(cell);
  return kOk;
}

}  // namespace

int32_t StoredImageSize(QorMacro& m) noexcept {
  platform::LockGuard hold(m.lock);
  bool any;
  size_t records;
  if (!Measure(m, &any, &records)) return kImageFailed;
  if (!any) return 0;
  const size_t size = ImageSize(records);
  return size > kMaxStoredImage ? kImageFailed : static_cast<int32_t>(size);
}

int32_t SaveStoredImage(QorMacro& m, uint8_t* buffer) noexcept {
  platform::LockGuard hold(m.lock);
  bool any;
  size_t records;
  if (!Measure(m, &any, &records) || !any) return kOk;
  const size_t size = ImageSize(records);
  std::memset(buffer + 4, 0, kMagicField);
  std::memcpy(buffer + 4, kStoredImageMagic, sizeof kStoredImageMagic - 1);
  uint8_t* p = buffer + kHeaderSize;
  ErrNo stopped;
  (void)image::WalkCells(m.variables, [&](uint8_t* cell) -> ErrNo {
    if (IsStored(cell)) p += WriteRecord(cell, p);
    return kOk;
  }, &stopped);
  *p++ = kTagEnd;
  while ((p - buffer) % 4 != 0) *p++ = 0;
  std::memcpy(p, kEndMarker, sizeof kEndMarker);
  p += sizeof kEndMarker;
  const size_t written = static_cast<size_t>(p - buffer);
  Store<uint32_t>(buffer, static_cast<uint32_t>(written));
  if (written != size) platform::RawConsolePrint(kSizeMismatch, sizeof kSizeMismatch - 1);
  return kOk;
}

int32_t LoadStoredImage(QorMacro& m, const uint8_t* buffer) noexcept {
  if (std::memcmp(buffer + 4, kStoredImageMagic, sizeof kStoredImageMagic) != 0) return kOk;
  const uint32_t total = Load<uint32_t>(buffer);
  if (total < 8 || total > kMaxStoredImage) return kImageFailed;
  if (std::memcmp(buffer + total - 4, kEndMarker, sizeof kEndMarker) != 0) return kImageFailed;
  if (total < kHeaderSize + 1 + 4) return kImageFailed;
  image::Reader in(buffer + kHeaderSize, buffer + total - 4);
  platform::LockGuard hold(m.lock);
  for (;;) {
    if (in.Left() == 0) return kImageFailed;  // no end byte before the marker
    if (*in.Position() == kTagEnd) return kOk;
    if (int32_t e = RestoreRecord(m, in); e != kOk) return e;
  }
}

}  // namespace msc
