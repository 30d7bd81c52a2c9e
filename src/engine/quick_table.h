// The decoded forms of places in the program: what a run has decoded from
// the intermediate code at a site (a statement, an expression) so that the
// next visit skips the decoding. The intermediate code stays the program's
// truth for listing, saving and images; a form only mirrors it, so every
// edit of the program drops them all, on the first lookup after the edit.
//
// The table is touched only under the object lock, which runs hold while
// they dispatch and evaluate; the forms live in an arena freed as a whole.
//
//   index:  u32 per program byte and kind, found by the site's offset
//           [off 0: expression][off 0: statement][off 1: expression]...
//           0 not decoded yet, 1 no form, n >= 2 the form forms[n - 2]
//   forms:  ptr per decoded site, into the arena
//   arena:  [block 64 KiB][block]... each form bump-allocated, 8-aligned
#pragma once

#include <cstddef>
#include <cstdint>

namespace msc {

struct ProgramArea;

enum class QuickKind : uint32_t {
  Expression = 0,  // a number expression (engine/quick_expr.h)
  Statement = 1,   // a statement (statements/quick_statements.h)
};

class QuickTable {
 public:
  QuickTable() noexcept = default;
  ~QuickTable();
  QuickTable(const QuickTable&) = delete;
  QuickTable& operator=(const QuickTable&) = delete;

  // Marks a site known to have no form.
  static void* NoForm() noexcept { return const_cast<char*>(&kNoForm); }

  // The form at (kind, site): a form, NoForm(), or null when the site has not
  // been decoded (or lies outside the program area, or the program is too
  // large to index; such sites are decoded on every visit and never stored).
  // The generation is the area's own, passed in because the area's type is
  // not complete here.
  [[nodiscard]] void* Find(const ProgramArea& a, uint64_t generation, QuickKind kind,
                           const uint8_t* site) noexcept {
    if (generation_ != generation) [[unlikely]] Reset(a);
    const uintptr_t offset = reinterpret_cast<uintptr_t>(site) - reinterpret_cast<uintptr_t>(data_);
    if (offset >= sites_) return nullptr;
    const uint32_t n = index_[offset * 2 + static_cast<uint32_t>(kind)];
    return n >= 2 ? forms_[n - 2] : n == 1 ? NoForm() : nullptr;
  }
  // True when forms decoded at site can be kept (Find came first).
  [[nodiscard]] bool Covers(const uint8_t* site) const noexcept {
    return reinterpret_cast<uintptr_t>(site) - reinterpret_cast<uintptr_t>(data_) < sites_;
  }
  // Records the form decoded at (kind, site), or NoForm(); ignored where
  // nothing can be kept. Find came first, after the last edit.
  void Store(QuickKind kind, const uint8_t* site, void* form) noexcept;
  // Memory for a form, valid until the next edit; null when none is left.
  [[nodiscard]] void* Allocate(size_t bytes) noexcept;

 private:
  struct Block;

  static const char kNoForm;
  // Programs larger than this keep no forms: the index takes 8 bytes a byte.
  static constexpr size_t kLargestIndexed = size_t{1} << 20;

  void Reset(const ProgramArea& a) noexcept;
  void Clear() noexcept;

  uint64_t generation_ = ~0ull;
  const uint8_t* data_ = nullptr;  // the program area indexed
  uintptr_t sites_ = 0;            // bytes of it indexed
  uint32_t* index_ = nullptr;
  void** forms_ = nullptr;
  uint32_t formCount_ = 0;
  uint32_t formCapacity_ = 0;
  Block* blocks_ = nullptr;
  size_t blockUsed_ = 0;
};

}  // namespace msc
