#include "engine/quick_table.h"

#include <cstdlib>
#include <cstring>

#include "api/qor_macro.h"

namespace msc {
namespace {

constexpr size_t kBlockSize = 64 * 1024;

}  // namespace

struct QuickTable::Block {
  Block* next;
  size_t size;
  alignas(8) unsigned char data[1];
};

const char QuickTable::kNoForm = 0;

QuickTable::~QuickTable() { Clear(); }

void QuickTable::Clear() noexcept {
  std::free(index_);
  index_ = nullptr;
  std::free(forms_);
  forms_ = nullptr;
  formCount_ = 0;
  formCapacity_ = 0;
  sites_ = 0;
  data_ = nullptr;
  while (blocks_ != nullptr) {
    Block* next = blocks_->next;
    std::free(blocks_);
    blocks_ = next;
  }
  blockUsed_ = 0;
}

void QuickTable::Reset(const ProgramArea& a) noexcept {
  Clear();
  generation_ = a.generation;
  if (a.data == nullptr || a.used <= 0 || static_cast<size_t>(a.used) > kLargestIndexed) return;
  const auto used = static_cast<size_t>(a.used);
  index_ = static_cast<uint32_t*>(std::calloc(used * 2, sizeof(uint32_t)));
  if (index_ == nullptr) return;  // no memory: nothing is kept, runs take the general path
  data_ = a.data;
  sites_ = used;
}

void QuickTable::Store(QuickKind kind, const uint8_t* site, void* form) noexcept {
  const uintptr_t offset = reinterpret_cast<uintptr_t>(site) - reinterpret_cast<uintptr_t>(data_);
  if (offset >= sites_) return;
  uint32_t& n = index_[offset * 2 + static_cast<uint32_t>(kind)];
  if (form == NoForm()) {
    n = 1;
    return;
  }
  if (formCount_ == formCapacity_) {
    const uint32_t capacity = formCapacity_ == 0 ? 64 : formCapacity_ * 2;
    void* grown = std::realloc(forms_, capacity * sizeof(void*));
    if (grown == nullptr) return;
    forms_ = static_cast<void**>(grown);
    formCapacity_ = capacity;
  }
  forms_[formCount_++] = form;
  n = formCount_ + 1;
}

void* QuickTable::Allocate(size_t bytes) noexcept {
  bytes = (bytes + 7) & ~size_t{7};
  if (blocks_ == nullptr || blockUsed_ + bytes > blocks_->size) {
    const size_t size = bytes > kBlockSize ? bytes : kBlockSize;
    auto* b = static_cast<Block*>(std::malloc(offsetof(Block, data) + size));
    if (b == nullptr) return nullptr;
    b->next = blocks_;
    b->size = size;
    blocks_ = b;
    blockUsed_ = 0;
  }
  void* p = blocks_->data + blockUsed_;
  blockUsed_ += bytes;
  return p;
}

}  // namespace msc
