// The table of found places. Edits of the program never overlap a run of it
// (they move the code under the run), so the table is emptied only by the
// first lookup after an edit; runs that overlap each other only add slots.
#include "engine/site_cache.h"

#include "api/qor_macro.h"
#include "frontend/code.h"

namespace msc {
namespace {

constexpr uint64_t kValid = 1ull << 63;
constexpr uint64_t kOffsetMask = (1ull << 20) - 1;

// The site's offset, or -1 when the site is outside the area or too far in.
int64_t OffsetIn(const ProgramArea& a, const uint8_t* p) noexcept {
  if (a.data == nullptr || p < a.data || p >= a.data + a.used) return -1;
  const auto offset = static_cast<uint64_t>(p - a.data);
  return offset < SiteCache::kOffsetLimit ? static_cast<int64_t>(offset) : -1;
}

uint64_t KeyBits(SiteFact what, uint64_t site) noexcept {
  return kValid | static_cast<uint64_t>(what) << 56 | site << 36;
}

constexpr uint64_t kKeyMask = kValid | 0xFull << 56 | kOffsetMask << 36;

}  // namespace

void SiteCache::Validate(const ProgramArea& a) noexcept {
  if (generation_.load(std::memory_order_acquire) == a.generation) return;
  platform::LockGuard hold(clearing_);
  if (generation_.load(std::memory_order_relaxed) == a.generation) return;
  for (auto& s : slots_) s.store(0, std::memory_order_relaxed);
  generation_.store(a.generation, std::memory_order_release);
}

bool SiteCache::Find(const ProgramArea& a, SiteFact what, const uint8_t* site,
                     SiteResult* found) noexcept {
  const int64_t at = OffsetIn(a, site);
  if (at < 0) return false;
  Validate(a);
  const auto offset = static_cast<uint64_t>(at);
  const uint64_t slot = slots_[SlotOf(what, static_cast<uint32_t>(offset))].load(std::memory_order_relaxed);
  if ((slot & kKeyMask) != KeyBits(what, offset)) return false;
  uint8_t* line = a.data + (slot & kOffsetMask);
  found->line = line;
  found->pos = line + ((slot >> 20) & 0xFFFF);
  return true;
}

void SiteCache::Remember(const ProgramArea& a, SiteFact what, const uint8_t* site,
                         const SiteResult& found) noexcept {
  const int64_t at = OffsetIn(a, site);
  const int64_t line = OffsetIn(a, found.line);
  if (at < 0 || line < 0 || found.pos < found.line) return;
  const auto delta = static_cast<uint64_t>(found.pos - found.line);
  if (delta > 0xFFFF) return;
  Validate(a);
  const auto offset = static_cast<uint64_t>(at);
  slots_[SlotOf(what, static_cast<uint32_t>(offset))].store(
      KeyBits(what, offset) | delta << 20 | static_cast<uint64_t>(line), std::memory_order_relaxed);
}

}  // namespace msc
