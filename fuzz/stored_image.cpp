// A stored-variable image handed to _LoadStoredVariableM: the load ends in a
// result, and what it restored saves to an image that restores to the same.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"

namespace {

using namespace msc::fuzz;

constexpr size_t kImageHeader = 20;  // size field and magic

std::vector<uint32_t> Saved(QorMacro* m) {
  const int32_t size = _GetStoredVariableSize(m);
  Check(size >= 0, "restored variables have a size");
  std::vector<uint32_t> image((static_cast<size_t>(size) + 3) / 4);
  if (size > 0) Check(_SaveStoredVariableM(m, image.data()) == 0, "restored variables save");
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint32_t> image = SizedImage(data, size, kImageHeader);
  MacroPtr m = NewMacro();
  const int32_t loaded = _LoadStoredVariableM(m.get(), image.data());
  CheckLoadResult(loaded, {0, -1, 7});
  if (loaded != 0) return 0;
  const std::vector<uint32_t> saved = Saved(m.get());
  if (saved.empty()) return 0;
  MacroPtr again = NewMacro();
  Check(_LoadStoredVariableM(again.get(), saved.data()) == 0, "a saved image restores");
  Check(Saved(again.get()) == saved, "a saved image restores to the same variables");
  return 0;
}
