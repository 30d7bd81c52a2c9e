#include "state_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "macro_sc/macro_sc.h"
#include "tool.h"

namespace msc::cli {
namespace {

constexpr char kMagic[] = "K7TTMCD100";
constexpr size_t kMagicOffset = 4;
constexpr size_t kSmallestImage = 28;  // size, magic, end byte and padding, "END"

int Damaged(const char* path, const char* why) {
  std::fprintf(stderr, "macro-sc: state file %s %s\n", path, why);
  return kExitFailure;
}

}  // namespace

int LoadState(QorMacro& macro, const char* path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error) && !error) return kExitOk;  // a first run
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path, error)) return Damaged(path, "cannot be read");
  std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return Damaged(path, "cannot be read");
  // The size field must describe exactly the file, so that the engine never
  // reads beyond what was read here.
  uint32_t size = 0;
  if (image.size() >= 4) std::memcpy(&size, image.data(), 4);
  if (image.size() < kSmallestImage ||
      std::memcmp(image.data() + kMagicOffset, kMagic, sizeof kMagic) != 0)
    return Damaged(path, "holds no stored variables");
  if (size != image.size()) return Damaged(path, "is cut short or too long");
  if (_LoadStoredVariableM(&macro, image.data()) != 0) return Damaged(path, "is damaged");
  return kExitOk;
}

int SaveState(QorMacro& macro, const char* path) {
  const int32_t size = _GetStoredVariableSize(&macro);
  if (size < 0) return Damaged(path, "cannot be written: the variables are damaged");
  if (size == 0) {
    if (std::remove(path) != 0 && errno != ENOENT) return Damaged(path, "cannot be removed");
    return kExitOk;
  }
  std::vector<uint8_t> image(static_cast<size_t>(size));
  if (_SaveStoredVariableM(&macro, image.data()) != 0) return Damaged(path, "cannot be written");
  const std::string temporary = std::string(path) + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      return Damaged(path, "cannot be written");
    }
  }
  if (std::rename(temporary.c_str(), path) != 0) {
    std::remove(temporary.c_str());
    return Damaged(path, "cannot be written");
  }
  return kExitOk;
}

}  // namespace msc::cli
