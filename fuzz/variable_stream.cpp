// A variable stream handed to _LoadVariable2 in pieces of varying size: the
// load ends in a result, and what it restored streams out to bytes that
// restore to the same.
//
// Input layout:
//   +0      u8 n, the number of piece sizes (taken modulo 8; 0: one piece)
//   +1      n bytes, the sizes less one of the pieces, used in turn
//   +1+n    the stream
// A host hands back the pieces that _SaveVariable2 wrote (the header, then
// chunks), so other cuts may well be refused, but never break the engine.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"

namespace {

using namespace msc::fuzz;
using Bytes = std::vector<uint8_t>;
using Pieces = std::vector<Bytes>;

// Hands out the pieces, each in a buffer of its own exact size so that a
// read past a piece is seen.
class PieceReader : public HostReadStream {
 public:
  explicit PieceReader(const Pieces& pieces) : pieces_(pieces) {}
  int32_t Read(const void** data, uint32_t* length, int32_t mode) override {
    Check(mode == 1, "a stream is read in mode 1");
    const bool more = next_ < pieces_.size();
    *data = more ? pieces_[next_].data() : nullptr;
    *length = more ? static_cast<uint32_t>(pieces_[next_++].size()) : 0;
    return 0;
  }

 private:
  const Pieces& pieces_;
  size_t next_ = 0;
};

class Collector : public HostWriteStream {
 public:
  int32_t Write(const void* data, uint32_t count) override {
    if (data == nullptr) Check(count == 0, "a stream finishes with no bytes");
    else pieces.emplace_back(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + count);
    return 0;
  }
  Pieces pieces;
};

Pieces Saved(QorMacro* m) {
  Collector out;
  Check(_SaveVariable2(m, L"*", &out) == 0, "restored variables stream out");
  return out.pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t n = std::min<size_t>(data[0] % 8, size - 1);
  Pieces pieces;
  for (size_t at = 1 + n, turn = 0; at < size; ++turn) {
    const size_t piece = n == 0 ? size - at : std::min<size_t>(size - at, data[1 + turn % n] + 1u);
    pieces.emplace_back(data + at, data + at + piece);
    at += piece;
  }
  PieceReader in(pieces);
  MacroPtr m = NewMacro();
  const int32_t loaded = _LoadVariable2(m.get(), &in);
  CheckLoadResult(loaded, {0, -1, 7, 103});
  if (loaded != 0) return 0;
  const Pieces saved = Saved(m.get());
  PieceReader again(saved);
  MacroPtr copy = NewMacro();
  Check(_LoadVariable2(copy.get(), &again) == 0, "a saved stream restores");
  Check(Saved(copy.get()) == saved, "a saved stream restores to the same variables");
  return 0;
}
