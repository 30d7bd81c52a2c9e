// Facts about places in the program found by a walk over the code: where the
// block search from a code position ends, which line a Goto or Gosub operand
// names. Each fact depends only on the code, so it holds until the next edit
// of the program.
//
// One slot is one 64-bit word, so a run reads or writes a fact whole and
// runs on several threads share the table without a lock:
//
//   63  62..60  59..56  55........36  35........20  19.........0
//   +---+-------+-------+-------------+-------------+-------------+
//   | 1 |   0   | what  | site offset |    delta    | found offset|
//   +---+-------+-------+-------------+-------------+-------------+
//
// Offsets count from the start of the program area; delta is the distance
// from the found line record to the found position. A zero word is empty.
// Programs larger than 1 MiB are simply not cached.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/lock.h"

namespace msc {

struct ProgramArea;

// What a slot records about its site; the site is the code position the
// walk starts from (a block search) or the operand's token start (a jump).
enum class SiteFact : uint8_t {
  ElseOrEnd = 1,   // the Elseif, Else or EndIf that ends a false branch
  EndIf,           // the EndIf of a block whose branch has run
  CaseOrEnd,       // the next Case or End Select
  EndSelect,       // the End Select after a matching Case
  Next,            // the Next (or ", variable") of a For loop
  Loop,            // the Loop of a Do loop
  Catch,           // the Catch or End Try of a Try body
  JumpTarget,      // the line record a line number or label operand names
  OneLineElse,     // a false one-line If: its Else, or the end of its statement
};

// A place found: a line record and a position in it.
struct SiteResult {
  uint8_t* line;
  const uint8_t* pos;
};

class SiteCache {
 public:
  static constexpr uint32_t kSlotBits = 11;
  static constexpr uint32_t kSlots = 1u << kSlotBits;
  static constexpr uint32_t kOffsetLimit = 1u << 20;

  SiteCache() noexcept = default;
  SiteCache(const SiteCache&) = delete;
  SiteCache& operator=(const SiteCache&) = delete;

  // The place recorded for the site; false when none is (or the site is not
  // inside the program area).
  [[nodiscard]] bool Find(const ProgramArea& a, SiteFact what, const uint8_t* site,
                          SiteResult* found) noexcept;
  // Records a place found for the site; ignored when either lies outside the
  // area or beyond what a slot holds.
  void Remember(const ProgramArea& a, SiteFact what, const uint8_t* site,
                const SiteResult& found) noexcept;

 private:
  // Empties the table when the program changed since it was filled.
  void Validate(const ProgramArea& a) noexcept;
  static uint32_t SlotOf(SiteFact what, uint32_t site) noexcept {
    return ((site * 2654435761u) ^ (static_cast<uint32_t>(what) << 28)) >> (32 - kSlotBits);
  }

  std::atomic<uint64_t> generation_{~0ull};
  platform::RecursiveLock clearing_;
  std::atomic<uint64_t> slots_[kSlots] = {};
};

}  // namespace msc
