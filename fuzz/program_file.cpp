// A source file handed to _LoadProgramF: the load ends in a result, and the
// file _SaveProgramF lists from what it loaded loads back to the same program.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

using namespace msc::fuzz;

std::vector<uint32_t> Image(QorMacro* m) {
  const int32_t size = _GetProgramSize(m);
  Check(size >= 0, "a loaded program has a size");
  std::vector<uint32_t> image((static_cast<size_t>(size) + 3) / 4);
  if (size > 0) Check(_SaveProgramM(m, image.data()) == 0, "a loaded program saves");
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Setup();
  static const std::string source = std::string(ScratchDirectory()) + "/input.mcr";
  static const std::string listing = std::string(ScratchDirectory()) + "/listing.mcr";
  std::vector<uint8_t> text(data, data + size);
  Neuter(text.data(), text.size(), kInitWords);  // so that the load only compiles
  std::FILE* file = std::fopen(source.c_str(), "wb");
  Check(file != nullptr, "the scratch file opens");
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);

  MacroPtr m = NewMacro();
  const int32_t loaded = _LoadProgramF(m.get(), Widen(source).c_str());
  CheckLoadResult(loaded);
  if (loaded != 0) return 0;
  Check(_SaveProgramF(m.get(), Widen(listing).c_str()) == 0, "a loaded program is listed");
  MacroPtr again = NewMacro();
  Check(_LoadProgramF(again.get(), Widen(listing).c_str()) == 0, "the listing loads");
  Check(Image(again.get()) == Image(m.get()), "the listing loads back to the same program");
  return 0;
}
