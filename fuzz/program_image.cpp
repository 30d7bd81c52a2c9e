// A program image handed to _LoadProgramM: the load ends in a result, and
// the image of what it loaded loads back to the same image.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"

namespace {

constexpr size_t kImageHeader = 20;  // size field and magic

std::vector<uint32_t> Saved(QorMacro* m) {
  const int32_t size = _GetProgramSize(m);
  msc::fuzz::Check(size >= 0, "a loaded program has a size");
  std::vector<uint32_t> image((static_cast<size_t>(size) + 3) / 4);
  if (size > 0) msc::fuzz::Check(_SaveProgramM(m, image.data()) == 0, "a loaded program saves");
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace msc::fuzz;
  std::vector<uint32_t> image = SizedImage(data, size, kImageHeader);
  // Lines are stored as text, so the label a load runs can be spoilt in place.
  Neuter(reinterpret_cast<uint8_t*>(image.data()), image.size() * 4, kInitWords);
  MacroPtr m = NewMacro();
  const int32_t loaded = _LoadProgramM(m.get(), image.data());
  CheckLoadResult(loaded);
  if (loaded != 0) return 0;
  const std::vector<uint32_t> saved = Saved(m.get());
  if (saved.empty()) return 0;
  MacroPtr again = NewMacro();
  Check(_LoadProgramM(again.get(), saved.data()) == 0, "a saved image loads");
  Check(Saved(again.get()) == saved, "a saved image loads back to the same image");
  return 0;
}
