// The variable stream (layout in images.h): writing it in chunks through a
// host stream, reading it back, and copying variables between two macro
// objects with the same record encoding.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "api/qor_macro.h"
#include "engine/memory_budget.h"
#include "macro_sc/host.h"
#include "variables/host_value.h"
#include "variables/image_cells.h"
#include "variables/images.h"

namespace msc {
namespace {

using image::Load;
using image::LoadPointer;
using image::StorePointer;
using Bytes = std::vector<uint8_t>;

// Variant encoding tags; the same as the tags of a variant buffer.
enum : uint8_t { kNone = 0, kInt = 1, kReal = 2, kText = 3, kBlob = 4 };

void Put(Bytes& out, const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  out.insert(out.end(), p, p + n);
}
template <class T> void PutValue(Bytes& out, T v) { Put(out, &v, sizeof v); }
void PutText(Bytes& out, const char* text) {
  if (text != nullptr) Put(out, text, std::strlen(text));
  out.push_back(0);
}

// A variant buffer is already in the stream's variant encoding.
void PutVariantBuffer(Bytes& out, const uint8_t* buffer) {
  if (buffer == nullptr) return out.push_back(kNone);
  switch (buffer[0]) {
    case kInt: return Put(out, buffer, 5);
    case kReal: return Put(out, buffer, 9);
    case kText: return Put(out, buffer, std::strlen(reinterpret_cast<const char*>(buffer + 1)) + 2);
    case kBlob: return Put(out, buffer, 5 + Load<uint32_t>(buffer + 1));
    default: InternalError(); return out.push_back(kNone);
  }
}

void PutVariantValue(Bytes& out, const Value& v) {
  switch (v.type) {
    case kInteger: out.push_back(kInt); return PutValue(out, v.count);
    case kDouble: out.push_back(kReal); return PutValue(out, v.number);
    case kBytes:
      out.push_back(kBlob);
      PutValue(out, static_cast<uint32_t>(v.count));
      return Put(out, v.text, static_cast<size_t>(v.count));
    default: break;
  }
  if (!IsTextType(v.type)) return out.push_back(kNone);
  out.push_back(kText);
  Put(out, v.text, strnlen(v.text, static_cast<size_t>(v.count)));
  out.push_back(0);
}

// The value of a reference variable as the controller gives it now.
void PutReference(QorMacro& m, const uint8_t* cell, Bytes& out) {
  std::wstring name;
  AnyType host;
  Value v;
  if (!CodePageToWide(CellName(cell), CellNameLength(cell), name) ||
      m.GetReference(name.c_str(), &host) != kOk || HostToValue(host, v) != kOk)
    return out.push_back(kNone);
  PutVariantValue(out, v);
}

// Dimensions and extents of an array block, or u32 0 for none.
const uint8_t* PutShape(Bytes& out, const uint8_t* block, image::ArrayShape* s) {
  *s = image::ShapeOf(block);
  Put(out, block, static_cast<size_t>(s->headerSize));
  return block + s->headerSize;
}

// Appends the record of one cell. References are read through the macro
// object when withReferences is set, else carried without a value.
void PutRecord(QorMacro& m, const uint8_t* cell, bool withReferences, Bytes& out) {
  out.push_back(cell[0]);
  Put(out, CellName(cell), CellNameLength(cell));
  out.push_back(0);
  const uint8_t* field = cell + 1;
  switch (cell[0]) {
    case kTagInteger: return Put(out, field, 4);
    case kTagDouble: return Put(out, field, 8);
    case kTagString: return PutText(out, reinterpret_cast<const char*>(LoadPointer(field)));
    case kTagReference: return withReferences ? PutReference(m, cell, out) : out.push_back(kNone);
    case kTagVariant: return PutVariantBuffer(out, LoadPointer(field));
    default: break;
  }
  const uint8_t* block = LoadPointer(field);
  if (block == nullptr || Load<uint32_t>(block) == 0) return PutValue<uint32_t>(out, 0);
  image::ArrayShape s;
  const uint8_t* element = PutShape(out, block, &s);
  switch (cell[0]) {
    case kTagIntegerArray: case kTagDoubleArray:
      return Put(out, element, static_cast<size_t>(s.count * ElementSize(cell[0])));
    case kTagStringArray:
      for (uint64_t i = 0; i < s.count; ++i, element += 8)
        PutText(out, reinterpret_cast<const char*>(LoadPointer(element)));
      return;
    default:
      for (uint64_t i = 0; i < s.count; ++i, element += 8) PutVariantBuffer(out, LoadPointer(element));
      return;
  }
}

bool EndsWith(const uint8_t* cell, const char* suffix) noexcept {
  const size_t n = CellNameLength(cell);
  return n >= 2 && std::memcmp(CellName(cell) + n - 2, suffix, 2) == 0;
}

bool Selected(const VariableSelection& s, const uint8_t* cell) noexcept {
  switch (s.kind) {
    case VariableSelection::kEverything: return true;
    case VariableSelection::kPattern:
      return NamePatternMatch(s.pattern, CellName(cell), CellNameLength(cell));
    default:
      return EndsWith(cell, "&&") || EndsWith(cell, "##") || EndsWith(cell, "$$") ||
             EndsWith(cell, "!!");
  }
}

// Hands one closed chunk to the stream in a temporary block.
int32_t WriteChunk(const Bytes& chunk, HostWriteStream& stream) noexcept {
  void* block = QorMallocTmp(chunk.size());
  if (block == nullptr) return kImageFailed;
  std::memcpy(block, chunk.data(), chunk.size());
  const int32_t status = stream.Write(block, static_cast<uint32_t>(chunk.size()));
  QorFreeTmp(block);
  return status == 0 ? kOk : kImageFailed;
}

// ---- reading records ----

// A text of the stream into a string slot; an empty text is no text.
ErrNo TextInto(image::Reader& in, uint8_t* slot) noexcept {
  switch (image::ReadTextInto(in, slot, true)) {
    case image::TextRead::kStored: return kOk;
    case image::TextRead::kDamaged: return kErrInternal;
    default: return kErrOutOfMemory;
  }
}

// One variant encoding into a fresh variant buffer (*out stays null for
// tag 0). 103 for damage, 7 when memory runs out.
ErrNo ReadVariant(image::Reader& in, uint8_t** out, uint8_t* tagOut = nullptr) noexcept {
  *out = nullptr;
  uint8_t tag;
  if (!in.Byte(&tag)) return kErrInternal;
  if (tagOut != nullptr) *tagOut = tag;
  const uint8_t* body = nullptr;
  size_t size = 0;
  switch (tag) {
    case kNone: return kOk;
    case kInt: size = 4; break;
    case kReal: size = 8; break;
    case kText: {
      const char* text;
      size_t length;
      if (!in.Text(&text, &length)) return kErrInternal;
      body = reinterpret_cast<const uint8_t*>(text);
      size = length + 1;
      break;
    }
    case kBlob: {
      uint32_t length;
      if (!in.Get(&length) || in.Left() < length) return kErrInternal;
      auto* buffer = static_cast<uint8_t*>(memory::Allocate(5 + static_cast<size_t>(length)));
      if (buffer == nullptr) return kErrOutOfMemory;
      buffer[0] = kBlob;
      std::memcpy(buffer + 1, &length, 4);
      const uint8_t* bytes = nullptr;
      (void)in.Take(length, &bytes);
      std::memcpy(buffer + 5, bytes, length);
      *out = buffer;
      return kOk;
    }
    default: return kErrInternal;
  }
  if (body == nullptr && !in.Take(size, &body)) return kErrInternal;
  auto* buffer = static_cast<uint8_t*>(memory::Allocate(1 + size));
  if (buffer == nullptr) return kErrOutOfMemory;
  buffer[0] = tag;
  std::memcpy(buffer + 1, body, size);
  *out = buffer;
  return kOk;
}

// An array value into value's slot (left null for u32 0).
ErrNo ReadArray(uint8_t tag, image::Reader& in, image::LooseCell& value) noexcept {
  uint32_t dims;
  if (!in.Get(&dims)) return kErrInternal;
  if (dims == 0) return kOk;
  uint32_t extents[image::kMaxDimensions];
  uint64_t count;
  const size_t es = ElementSize(tag);
  if (!in.Shape(dims, es, extents, &count)) return kErrInternal;
  const size_t header = 4 + 4 * static_cast<size_t>(dims);
  // Fixed-size elements must all be there before anything is allocated.
  if ((tag == kTagIntegerArray || tag == kTagDoubleArray) && in.Left() < count * es)
    return kErrInternal;
  // Every text or variant element takes at least one byte.
  if ((tag == kTagStringArray || tag == kTagVariantArray) && in.Left() < count) return kErrInternal;
  auto* block = static_cast<uint8_t*>(memory::AllocateZeroed(1, header + static_cast<size_t>(count * es)));
  if (block == nullptr) return kErrOutOfMemory;
  std::memcpy(block, &dims, 4);
  std::memcpy(block + 4, extents, 4 * static_cast<size_t>(dims));
  StorePointer(value.Slot(), block);
  uint8_t* element = block + header;
  if (tag == kTagIntegerArray || tag == kTagDoubleArray) {
    const uint8_t* bytes = nullptr;
    if (!in.Take(static_cast<size_t>(count * es), &bytes)) return kErrInternal;
    std::memcpy(element, bytes, static_cast<size_t>(count * es));
    return kOk;
  }
  for (uint64_t i = 0; i < count; ++i, element += 8) {
    if (tag == kTagStringArray) {
      if (ErrNo e = TextInto(in, element); e != kOk) return e;
    } else {
      uint8_t* buffer;
      if (ErrNo e = ReadVariant(in, &buffer); e != kOk) return e;
      StorePointer(element, buffer);
    }
  }
  return kOk;
}

// A variant encoding handed to the reference operation of the object.
void SetReferenceFrom(QorMacro& m, const char* name, size_t nameLength, const uint8_t* buffer) {
  if (buffer == nullptr) return;
  AnyType host;
  switch (buffer[0]) {
    case kInt: (void)host.SetData(Load<int32_t>(buffer + 1)); break;
    case kReal: (void)host.SetData(Load<double>(buffer + 1)); break;
    case kText: {
      std::wstring text;
      const auto* t = reinterpret_cast<const char*>(buffer + 1);
      if (!CodePageToWide(t, std::strlen(t), text)) return;
      if (text.size() > kHostTextLimit) text.resize(kHostTextLimit);
      (void)host.SetData(text.c_str());
      break;
    }
    default: (void)host.SetData(buffer + 5, static_cast<int32_t>(Load<uint32_t>(buffer + 1))); break;
  }
  std::wstring wide;
  if (!CodePageToWide(name, nameLength, wide)) return;
  // A reference the receiving object cannot set is not the stream's fault.
  (void)m.SetReference(wide.c_str(), &host);
}

// One record: its value is read completely before it replaces the
// variable's. 103 for damage, 7 when the variable cannot be created.
ErrNo ReadRecord(QorMacro& m, uint8_t tag, image::Reader& in) noexcept {
  if (!IsCellTag(tag)) {
    InternalError();
    return kErrInternal;
  }
  const char* name;
  size_t nameLength;
  if (!in.Text(&name, &nameLength) || nameLength == 0 || nameLength > kMaxNameLength)
    return kErrInternal;

  uint8_t scalar[8] = {};
  // A reference cell owns no buffer, so its value is held apart.
  image::LooseCell value(tag == kTagReference ? static_cast<uint8_t>(kTagVariant) : tag);
  uint8_t variantTag = kNone;
  switch (tag) {
    case kTagInteger: case kTagDouble: {
      const size_t n = tag == kTagInteger ? 4 : 8;
      const uint8_t* bytes;
      if (!in.Take(n, &bytes)) return kErrInternal;
      std::memcpy(scalar, bytes, n);
      break;
    }
    case kTagString:
      if (ErrNo e = TextInto(in, value.Slot()); e != kOk) return e;
      break;
    case kTagReference: case kTagVariant: {
      uint8_t* buffer;
      if (ErrNo e = ReadVariant(in, &buffer, &variantTag); e != kOk) return e;
      StorePointer(value.Slot(), buffer);
      break;
    }
    default:
      if (ErrNo e = ReadArray(tag, in, value); e != kOk) return e;
      break;
  }

  FindStatus status;
  uint8_t* cell = m.variables.FindCell(tag, name, nameLength, FindMode::FindOrCreate, &status);
  if (cell == nullptr) return kErrOutOfMemory;
  switch (tag) {
    case kTagInteger: std::memcpy(cell + 1, scalar, 4); break;
    case kTagDouble: std::memcpy(cell + 1, scalar, 8); break;
    case kTagReference: SetReferenceFrom(m, name, nameLength, LoadPointer(value.Slot())); break;
    case kTagVariant:
      if (variantTag != kNone) value.MoveInto(cell);  // no value: the old one stays
      break;
    default: value.MoveInto(cell); break;
  }
  return kOk;
}

// Records up to the closing 0x00 of a chunk.
ErrNo ReadChunk(QorMacro& m, image::Reader& in) noexcept {
  for (;;) {
    uint8_t tag;
    if (!in.Byte(&tag)) return kErrInternal;
    if (tag == kTagEnd) return kOk;
    if (ErrNo e = ReadRecord(m, tag, in); e != kOk) return e;
  }
}

}  // namespace

int32_t WriteStreamChunks(QorMacro& m, const VariableSelection& selection,
                          HostWriteStream& stream) noexcept {
  try {
    platform::LockGuard hold(m.lock);
    Bytes chunk;
    int32_t result = kOk;
    ErrNo stopped;
    const bool intact = image::WalkCells(m.variables, [&](uint8_t* cell) -> ErrNo {
      if (!Selected(selection, cell)) return kOk;
      PutRecord(m, cell, true, chunk);
      if (chunk.size() <= kChunkThreshold) return kOk;
      chunk.push_back(kTagEnd);
      result = WriteChunk(chunk, stream);
      chunk.clear();
      return result;
    }, &stopped);
    if (!intact) return kImageFailed;
    if (result != kOk) return result;
    if (chunk.empty()) return kOk;
    chunk.push_back(kTagEnd);
    return WriteChunk(chunk, stream);
  } catch (const std::bad_alloc&) {
    return kErrOutOfMemory;
  }
}

int32_t SaveVariableStream(QorMacro& m, const VariableSelection& selection,
                           HostWriteStream& stream) noexcept {
  char header[kMagicField] = {};
  std::memcpy(header, kStreamMagic, sizeof kStreamMagic - 1);
  if (int32_t status = stream.Write(header, sizeof header); status != 0) return status;
  if (WriteStreamChunks(m, selection, stream) != kOk) {
    (void)stream.Write(nullptr, 0);
    return kImageFailed;
  }
  return stream.Write(nullptr, 0);
}

int32_t LoadVariableStream(QorMacro& m, HostReadStream& stream) noexcept {
  const void* data = nullptr;
  uint32_t length = 0;
  if (int32_t status = stream.Read(&data, &length, 1); status != 0) return status;
  if (data == nullptr || length != kMagicField ||
      std::memcmp(data, kStreamMagic, sizeof kStreamMagic) != 0)
    return kImageFailed;
  for (;;) {
    data = nullptr;
    length = 0;
    if (int32_t status = stream.Read(&data, &length, 1); status != 0) return status;
    if (data == nullptr) return kOk;
    const auto* begin = static_cast<const uint8_t*>(data);
    image::Reader in(begin, begin + length);
    platform::LockGuard hold(m.lock);
    if (ErrNo e = ReadChunk(m, in); e != kOk) return e;
  }
}

int32_t CopyVariables(QorMacro& destination, const VariableSelection& selection,
                      QorMacro& source) noexcept {
  try {
    Bytes records;
    {
      platform::LockGuard hold(source.lock);
      ErrNo stopped;
      if (!image::WalkCells(source.variables, [&](uint8_t* cell) -> ErrNo {
            if (Selected(selection, cell)) PutRecord(source, cell, false, records);
            return kOk;
          }, &stopped))
        return kErrInternal;
    }
    records.push_back(kTagEnd);
    image::Reader in(records.data(), records.data() + records.size());
    platform::LockGuard hold(destination.lock);
    return ReadChunk(destination, in);
  } catch (const std::bad_alloc&) {
    return kErrOutOfMemory;
  }
}

}  // namespace msc
