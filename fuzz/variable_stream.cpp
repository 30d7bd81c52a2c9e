// A variable stream handed to _LoadVariable2 in pieces of varying size: the
// load ends in a result, and what it restored streams out to bytes that
// restore to the same.
//
// Input layout:
//   +0      u8 n, the number of piece sizes (taken modulo 8; 0: one piece)
//   +1      n bytes, the sizes of the pieces, used in turn (0: an empty piece,
//           never two in a row)
//   +1+n    the stream
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz_support.h"

namespace {

using namespace msc::fuzz;
using Bytes = std::vector<uint8_t>;

// Hands the stream over in pieces, each in a buffer of its own exact size so
// that a read past a piece is seen.
class PieceReader : public HostReadStream {
 public:
  PieceReader(const uint8_t* data, size_t size, Bytes sizes) : data_(data), size_(size), sizes_(std::move(sizes)) {}
  int32_t Read(const void** data, uint32_t* length, int32_t mode) override {
    Check(mode == 1, "a stream is read in mode 1");
    if (done_ == size_) {
      *data = nullptr;
      *length = 0;
      return 0;
    }
    size_t n = size_ - done_;
    if (!sizes_.empty()) n = std::min<size_t>(n, sizes_[turn_++ % sizes_.size()]);
    if (n == 0 && lastEmpty_) n = 1;  // a stream of empty pieces only would never end
    lastEmpty_ = n == 0;
    piece_ = std::make_unique<uint8_t[]>(std::max<size_t>(n, 1));
    std::copy(data_ + done_, data_ + done_ + n, piece_.get());
    done_ += n;
    *data = piece_.get();
    *length = static_cast<uint32_t>(n);
    return 0;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t done_ = 0;
  Bytes sizes_;
  size_t turn_ = 0;
  bool lastEmpty_ = false;
  std::unique_ptr<uint8_t[]> piece_;
};

class Collector : public HostWriteStream {
 public:
  int32_t Write(const void* data, uint32_t count) override {
    if (data == nullptr) Check(count == 0, "a stream finishes with no bytes");
    else bytes.insert(bytes.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + count);
    return 0;
  }
  Bytes bytes;
};

Bytes Saved(QorMacro* m) {
  Collector out;
  Check(_SaveVariable2(m, L"*", &out) == 0, "restored variables stream out");
  return out.bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t n = std::min<size_t>(data[0] % 8, size - 1);
  PieceReader in(data + 1 + n, size - 1 - n, Bytes(data + 1, data + 1 + n));
  MacroPtr m = NewMacro();
  if (_LoadVariable2(m.get(), &in) != 0) return 0;
  const Bytes saved = Saved(m.get());
  PieceReader again(saved.data(), saved.size(), {});
  MacroPtr copy = NewMacro();
  Check(_LoadVariable2(copy.get(), &again) == 0, "a saved stream restores");
  Check(Saved(copy.get()) == saved, "a saved stream restores to the same variables");
  return 0;
}
