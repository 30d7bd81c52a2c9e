// Variable images: the stored-variable image and the variable stream, and
// copying variables between macro objects.
//
// Stored-variable image ("K7TTMCD100"), one block, little-endian:
//
//   +0   u32 total size, this field included
//   +4   "K7TTMCD100" and six 0 bytes
//   +20  records, in variable-area order
//        0x00 after the last record, 0x00 padding to a multiple of 4
//   -4   "END" 0x00
//
//   record: the cell as it stands in the variable area (tag, payload, name
//   length, name), then its data: a string's text and 0; an array's block;
//   a string array's block, then the text and 0 of every element that has
//   one. Of a payload or string-array slot that addresses a text or block
//   only "zero or not" counts; it is written as 1, so that the same variables
//   always give the same image.
//
// Variable stream ("K7TTMCD200"): a 16-byte header ("K7TTMCD200" and six 0
// bytes), then chunks, each a run of records closed by 0x00:
//
//   record: u8 tag, name, 0x00, value
//   value:  0xE0 i32 | 0xE1 f64 | 0xE2 text 0x00
//           0xE3, 0xE4 array block (u32 0: no array)
//           0xE5 u32 D, D u32 extents, per element text 0x00 (u32 0: no array)
//           0xE6, 0xE7 variant | 0xE8 as 0xE5 with a variant per element
//   variant: 0 (none) | 1 i32 | 2 f64 | 3 text 0x00 | 4 u32 length, bytes
//
// A chunk is closed after the record that takes it above 0x100000 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/errors.h"

class QorMacro;
class HostWriteStream;
class HostReadStream;

namespace msc {

inline constexpr char kStoredImageMagic[] = "K7TTMCD100";
inline constexpr char kStreamMagic[] = "K7TTMCD200";
inline constexpr size_t kMagicField = 16;
inline constexpr size_t kChunkThreshold = 0x100000;
inline constexpr uint32_t kMaxStoredImage = 0x10000000;

// Result of the image operations that fail without an error number.
inline constexpr int32_t kImageFailed = -1;

// Which variables a stream or copy carries.
struct VariableSelection {
  enum Kind { kStoredSuffixes, kPattern, kEverything } kind = kStoredSuffixes;
  const char* pattern = nullptr;  // for kPattern; "" selects nothing
};

// Size of the stored-variable image: 0 when there is nothing to store, -1 for
// a damaged variable area.
[[nodiscard]] int32_t StoredImageSize(QorMacro& m) noexcept;
// Writes the image (StoredImageSize bytes) into buffer; nothing when there is
// nothing to store.
[[nodiscard]] int32_t SaveStoredImage(QorMacro& m, uint8_t* buffer) noexcept;
// Restores an image: 0 (also for a buffer without the magic, which loads
// nothing), -1 for a damaged image, 7 when a variable cannot be created.
[[nodiscard]] int32_t LoadStoredImage(QorMacro& m, const uint8_t* image) noexcept;

// Writes the selected variables as chunks through the stream (no header, no
// finish): 0, 7 when memory for a chunk runs out, or -1 when a block or a
// write fails.
[[nodiscard]] int32_t WriteStreamChunks(QorMacro& m, const VariableSelection& selection,
                                        HostWriteStream& stream) noexcept;
// Header, chunks and finish: the status of a failing header or finish, -1
// when a chunk cannot be written.
[[nodiscard]] int32_t SaveVariableStream(QorMacro& m, const VariableSelection& selection,
                                         HostWriteStream& stream) noexcept;
// Reads a whole stream: 0, the reader's non-zero status, -1 for a stream
// that is none, 7 when a variable cannot be created, 103 for a damaged record.
[[nodiscard]] int32_t LoadVariableStream(QorMacro& m, HostReadStream& stream) noexcept;
// Copies the selected variables of source into destination: 0, 7 or 103.
[[nodiscard]] int32_t CopyVariables(QorMacro& destination, const VariableSelection& selection,
                                    QorMacro& source) noexcept;

}  // namespace msc
