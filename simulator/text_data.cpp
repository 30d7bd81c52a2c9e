// The text-data library: UTF-8 files of "key=text" lines. Blank lines and
// lines starting with ';' or '#' are ignored; the first of duplicated keys
// wins. A byte-order mark is skipped; a directory is no text-data file.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <new>
#include <string>

#include "macro_sc/host.h"
#include "sim_internal.h"

namespace {

struct TextData {
  std::map<std::wstring, std::wstring> texts;
};

}  // namespace

void* OpenTextData(const wchar_t* file) {
  if (file == nullptr) return nullptr;
  try {
    // Names written the controller's way: "\" separates directories too.
    std::string path = msc::sim::ToUtf8(file);
    std::replace(path.begin(), path.end(), '\\', '/');
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return nullptr;
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    auto data = std::make_unique<TextData>();
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
      if (first && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
      first = false;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == ';' || line[0] == '#') continue;
      const size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      data->texts.emplace(msc::sim::FromUtf8(line.substr(0, eq)),
                          msc::sim::FromUtf8(line.substr(eq + 1)));
    }
    return data.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

const wchar_t* GetText(void* handle, const wchar_t* key) {
  if (handle == nullptr || key == nullptr) return L"";
  const auto& texts = static_cast<TextData*>(handle)->texts;
  const auto it = texts.find(key);
  return it != texts.end() ? it->second.c_str() : L"";
}

void CloseTextData(void* handle) { delete static_cast<TextData*>(handle); }
