// The control-stack entries that keep places in the program, and where.
//
// A place is a pair: a line record and a code position inside it. When the
// program is edited under a running frame (Delete, a line typed at the
// debug console, Load), every place is moved with its line or, where the
// line is gone, sent to the end of the run (engine/active_frames).
//
//   For (0x801B, 48 bytes)          Do (0x800C, 16 bytes)
//   +0  ptr  variable cell          +0  ptr  line of the Do
//   +8  u32  element offset         +8  ptr  position after the Do
//   +16 ptr  line of the For
//   +24 ptr  limit position         Try (0x8045, 24 bytes)
//   +32 ptr  line of the first      +0  ptr  line of the Try
//            Next that ran (0: none)+8  ptr  position after the Try
//   +40 ptr  position after it      +16 u32  1 while its Catch part runs
//
//   Gosub (0x8020, 32 bytes)        Sub (0x8041, 20 bytes or more; pushed
//   +0  ptr  return line            by no statement, End Sub looks for it)
//   +8  ptr  return position        +0  ptr  return line
//   +16 u32  caller's block context +8  ptr  return position
//   +20 u32  caller's step flag     +16 u32  caller's block context
//   +24 u32  caller's step mode
//   +28 u32  (unused)
//
//   Select (0x803D, 24 bytes; keeps no place)
//   +0  u32  1 a number selector, 2 a text one
//   +4  u32  0
//   +8  f64  the number, or ptr the entry's own copy of the text
//   +16 u32  1 once a Case matched
//   +20 u32  1 while the block of the Case that matched runs, so that its
//            End Select is reached in sequence, not by a skip
#pragma once

#include <cstddef>
#include <cstdint>

#include "frontend/keywords.h"

namespace msc::entry {

inline constexpr uint16_t kForSize = 48;
inline constexpr size_t kForCell = 0, kForOffset = 8, kForLine = 16, kForLimit = 24, kForNextLine = 32,
                        kForNextPos = 40;

inline constexpr uint16_t kDoSize = 16;
inline constexpr size_t kDoLine = 0, kDoPos = 8;

inline constexpr uint16_t kTrySize = 24;
inline constexpr size_t kTryLine = 0, kTryPos = 8, kTryInCatch = 16;

inline constexpr uint16_t kGosubSize = 32;
inline constexpr size_t kGosubLine = 0, kGosubPos = 8, kGosubBlock = 16, kGosubStepFlag = 20,
                        kGosubStepMode = 24;

inline constexpr uint16_t kSelectSize = 24;
inline constexpr size_t kSelectKind = 0, kSelectValue = 8, kSelectMatched = 16, kSelectActive = 20;
inline constexpr uint32_t kSelectNumber = 1, kSelectText = 2;

inline constexpr uint16_t kSubMinimumSize = 20;
inline constexpr size_t kSubLine = 0, kSubPos = 8, kSubBlock = 16;

// The offsets of a place's line record pointer and code position.
struct Place {
  size_t line;
  size_t pos;
};

// The places an entry of one tag keeps; entries of other tags keep none.
struct EntryPlaces {
  uint16_t tag;
  uint16_t minimumSize;  // a shorter payload is damage: its places are left alone
  uint8_t count;
  Place places[2];
};

inline constexpr EntryPlaces kEntryPlaces[] = {
    {tok::Do, kDoSize, 1, {{kDoLine, kDoPos}, {}}},                                     // Do
    {tok::For, kForSize, 2, {{kForLine, kForLimit}, {kForNextLine, kForNextPos}}},       // For X = a To b
    {tok::Gosub, kGosubSize, 1, {{kGosubLine, kGosubPos}, {}}},                          // Gosub target
    {tok::Sub, kSubMinimumSize, 1, {{kSubLine, kSubPos}, {}}},                           // Sub
    {tok::Try, kTrySize, 1, {{kTryLine, kTryPos}, {}}},                                  // Try
};

constexpr bool PlacesInOrder() {
  for (size_t i = 1; i < std::size(kEntryPlaces); ++i)
    if (kEntryPlaces[i - 1].tag >= kEntryPlaces[i].tag) return false;
  for (const EntryPlaces& e : kEntryPlaces)
    for (uint8_t k = 0; k < e.count; ++k)
      if (e.places[k].line + 8 > e.minimumSize || e.places[k].pos + 8 > e.minimumSize) return false;
  return true;
}
static_assert(PlacesInOrder(), "entry places sorted by tag, each inside its entry");

}  // namespace msc::entry
