// Profile data: INI files of the configuration directory. Sections and keys
// match without regard to ASCII case and the first of duplicated keys wins,
// as with the profile functions controller software is written against.
#include <ini.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "macro_sc/host.h"
#include "sim_internal.h"

namespace msc::sim {
namespace {

// Profile files are read and rewritten whole; one lock keeps a rewrite from
// meeting a read.
std::mutex& ProfileMutex() {
  static auto* m = new std::mutex;
  return *m;
}

bool EqualNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}

// The entries of one section in file order.
struct SectionReader {
  std::string section;
  std::vector<std::pair<std::string, std::string>> entries;
};

int CollectSection(void* user, const char* section, const char* name, const char* value) {
  auto* r = static_cast<SectionReader*>(user);
  if (section == nullptr || name == nullptr || !EqualNoCase(r->section, section)) return 1;
  for (const auto& e : r->entries)
    if (EqualNoCase(e.first, name)) return 1;  // the first of duplicates wins
  r->entries.emplace_back(name, value != nullptr ? value : "");
  return 1;
}

// Reads a section; false when the file cannot be opened.
bool ReadSection(const std::string& path, const std::string& section,
                 std::vector<std::pair<std::string, std::string>>& entries) {
  SectionReader reader{section, {}};
  if (ini_parse(path.c_str(), CollectSection, &reader) < 0) return false;
  entries = std::move(reader.entries);
  return true;
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

// The section a line opens, or false when it opens none.
bool SectionOf(const std::string& line, std::string& name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

// The key of an entry line, or false for comments, blanks and other lines.
bool KeyOf(const std::string& line, std::string& key) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[') return false;
  const size_t eq = t.find_first_of("=:");
  if (eq == std::string::npos) return false;
  key = Trim(t.substr(0, eq));
  return true;
}

// A profile file as lines, for rewriting.
class ProfileFile {
 public:
  explicit ProfileFile(std::string path) : path_(std::move(path)) {
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) lines_.push_back(line);
  }

  bool Save() const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines_) out << line << '\n';
    return static_cast<bool>(out);
  }

  // The line range [first, end) of the section's body; false when absent.
  bool FindSection(const std::string& section, size_t& header, size_t& end) const {
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (!SectionOf(lines_[i], name) || !EqualNoCase(name, section.c_str())) continue;
      header = i;
      end = i + 1;
      while (end < lines_.size() && !SectionOf(lines_[end], name)) ++end;
      return true;
    }
    return false;
  }

  // Entry lines of the section body, in order.
  std::vector<size_t> Entries(size_t header, size_t end) const {
    std::vector<size_t> found;
    std::string key;
    for (size_t i = header + 1; i < end; ++i)
      if (KeyOf(lines_[i], key)) found.push_back(i);
    return found;
  }

  std::vector<std::string>& Lines() { return lines_; }
  const std::string& Line(size_t i) const { return lines_[i]; }

 private:
  std::string path_;
  std::vector<std::string> lines_;
};

}  // namespace
}  // namespace msc::sim

using namespace msc::sim;

int32_t GetProfileData(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                       const wchar_t* defaultValue, wchar_t* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return 0;
  std::wstring result = defaultValue != nullptr ? defaultValue : L"";
  if (file != nullptr && section != nullptr && key != nullptr) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::lock_guard<std::mutex> guard(ProfileMutex());
    const std::string wanted = ToUtf8(key);
    if (ReadSection(ResolveConfigFile(file), ToUtf8(section), entries)) {
      for (const auto& e : entries) {
        if (EqualNoCase(e.first, wanted.c_str())) {
          result = FromUtf8(e.second);
          break;
        }
      }
    }
  }
  return CopyToBuffer(result, buffer, size);
}

int32_t GetProfileData(const wchar_t* file, const wchar_t* section, AnyType* keys,
                       AnyType* values, int32_t* count) {
  if (file == nullptr || section == nullptr || keys == nullptr || values == nullptr ||
      count == nullptr)
    return -1;
  std::vector<std::pair<std::string, std::string>> entries;
  {
    std::lock_guard<std::mutex> guard(ProfileMutex());
    (void)ReadSection(ResolveConfigFile(file), ToUtf8(section), entries);
  }
  const auto n = static_cast<int32_t>(entries.size());
  if (keys->SetData(AnyType::kList, n) != 0 || values->SetData(AnyType::kList, n) != 0) return -1;
  for (int32_t i = 0; i < n; ++i) {
    if (keys->GetDataPointer(i, 0)->SetData(FromUtf8(entries[i].first).c_str()) != 0 ||
        values->GetDataPointer(i, 0)->SetData(FromUtf8(entries[i].second).c_str()) != 0)
      return -1;
  }
  *count = n;
  return 0;
}

int32_t SetProfileData(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                       const wchar_t* value) {
  if (file == nullptr || section == nullptr || key == nullptr) return -1;
  const std::string s = ToUtf8(section), k = ToUtf8(key);
  const std::string line = k + "=" + ToUtf8(value != nullptr ? value : L"");
  std::lock_guard<std::mutex> guard(ProfileMutex());
  ProfileFile profile(ResolveConfigFile(file));
  auto& lines = profile.Lines();
  size_t header = 0, end = 0;
  if (!profile.FindSection(s, header, end)) {
    if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
    lines.push_back("[" + s + "]");
    lines.push_back(line);
    return profile.Save() ? 0 : -1;
  }
  std::string found;
  size_t insertAt = header + 1;
  for (size_t i : profile.Entries(header, end)) {
    if (KeyOf(profile.Line(i), found) && EqualNoCase(found, k.c_str())) {
      lines[i] = line;
      return profile.Save() ? 0 : -1;
    }
    insertAt = i + 1;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
  return profile.Save() ? 0 : -1;
}

int32_t DeleteProfileData(const wchar_t* file, const wchar_t* section, const wchar_t* key) {
  if (file == nullptr || section == nullptr || key == nullptr) return -1;
  const std::string k = ToUtf8(key);
  std::lock_guard<std::mutex> guard(ProfileMutex());
  ProfileFile profile(ResolveConfigFile(file));
  size_t header = 0, end = 0;
  if (!profile.FindSection(ToUtf8(section), header, end)) return 0;
  std::string found;
  for (size_t i : profile.Entries(header, end)) {
    if (KeyOf(profile.Line(i), found) && EqualNoCase(found, k.c_str())) {
      profile.Lines().erase(profile.Lines().begin() + static_cast<std::ptrdiff_t>(i));
      return profile.Save() ? 0 : -1;
    }
  }
  return 0;
}

int32_t DeleteProfileData(const wchar_t* file, const wchar_t* section, int32_t index) {
  if (file == nullptr || section == nullptr) return -1;
  std::lock_guard<std::mutex> guard(ProfileMutex());
  ProfileFile profile(ResolveConfigFile(file));
  auto& lines = profile.Lines();
  size_t header = 0, end = 0;
  if (!profile.FindSection(ToUtf8(section), header, end)) return index < 0 ? 0 : -1;
  if (index < 0) {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
                lines.begin() + static_cast<std::ptrdiff_t>(end));
    return profile.Save() ? 0 : -1;
  }
  const std::vector<size_t> entries = profile.Entries(header, end);
  if (static_cast<size_t>(index) >= entries.size()) return -1;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(entries[static_cast<size_t>(index)]));
  return profile.Save() ? 0 : -1;
}
