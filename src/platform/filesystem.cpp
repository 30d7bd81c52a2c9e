#include "platform/filesystem.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "platform/codepage.h"

namespace msc::platform {
namespace fs = std::filesystem;
namespace {

bool IsContinuationByte(char c) noexcept { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Index just past the UTF-8 character that starts at i.
size_t NextCharacter(const std::string& s, size_t i) noexcept {
  ++i;
  while (i < s.size() && IsContinuationByte(s[i])) ++i;
  return i;
}

size_t CharacterCount(const std::string& s) noexcept {
  return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return !IsContinuationByte(c); }));
}

bool HasWildcard(const std::string& s) noexcept { return s.find_first_of("*?") != std::string::npos; }

FoundEntry Describe(const fs::path& path, std::string name) {
  FoundEntry e;
  e.name = std::move(name);
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  e.link = fs::is_symlink(st);
  e.directory = fs::is_directory(st);
  return e;
}

// Deletes one found path: a directory after everything in it. Sets *tooLong
// when a path would pass the length limit; other failures are skipped.
void DeleteTree(const std::string& path, bool directory, bool* tooLong) {
  if (CharacterCount(path) > kMaxPathCharacters) {
    *tooLong = true;
    return;
  }
  std::error_code ec;
  if (directory) {
    // The names are collected first so that deleting does not disturb the listing.
    std::vector<FoundEntry> children;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      children.push_back(Describe(it->path(), it->path().filename().string()));
    }
    for (const FoundEntry& child : children) {
      DeleteTree(path + "/" + child.name, child.directory, tooLong);
    }
  }
  fs::remove(path, ec);
}

}  // namespace

bool NameMatches(const std::string& pattern, const std::string& name) noexcept {
  if (WildcardMatch(pattern, name)) return true;
  const size_t n = pattern.size();
  return n >= 2 && pattern.compare(n - 2, 2, ".*") == 0 && name.find('.') == std::string::npos &&
         WildcardMatch(pattern.substr(0, n - 2), name);
}

bool WildcardMatch(const std::string& pattern, const std::string& name) noexcept {
  size_t p = 0, n = 0;
  size_t starP = std::string::npos, starN = 0;  // where the last "*" may take one more character
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starN = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n = NextCharacter(name, n);
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      p = starP;
      n = starN = NextCharacter(name, starN);
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string FileSystemPath(const wchar_t* name) {
  std::string path = WideToPath(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::FILE* OpenStream(const wchar_t* name, const char* mode) noexcept {
  try {
    const std::string path = FileSystemPath(name);
    if (path.empty()) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (file == nullptr) return nullptr;
    // Reading a directory "opens" here but fails at the first byte; the
    // controller refuses it at once, and so do we.
    struct stat st{};
    if (fstat(fileno(file), &st) != 0 || S_ISDIR(st.st_mode)) {
      std::fclose(file);
      return nullptr;
    }
    return file;
  } catch (...) {
    return nullptr;
  }
}

bool MakeDirectory(const wchar_t* name) noexcept {
  try {
    const std::string path = FileSystemPath(name);
    if (path.empty()) return false;
    std::error_code ec;
    return fs::create_directory(path, ec) && !ec;
  } catch (...) {
    return false;
  }
}

bool RemoveEmptyDirectory(const wchar_t* name) noexcept {
  try {
    const std::string path = FileSystemPath(name);
    if (path.empty()) return false;
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(path, ec))) return false;
    return fs::remove(path, ec) && !ec;
  } catch (...) {
    return false;
  }
}

bool CopyFileReplacing(const wchar_t* source, const wchar_t* destination) noexcept {
  try {
    const std::string from = FileSystemPath(source);
    const std::string to = FileSystemPath(destination);
    if (from.empty() || to.empty()) return false;
    std::error_code ec;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
  } catch (...) {
    return false;
  }
}

bool FreeSpace(const wchar_t* path, uint64_t* bytes) noexcept {
  try {
    const std::string p = FileSystemPath(path);
    if (p.empty()) return false;
    std::error_code ec;
    const fs::space_info info = fs::space(p, ec);
    if (ec || info.free == static_cast<std::uintmax_t>(-1)) return false;
    *bytes = info.free;
    return true;
  } catch (...) {
    return false;
  }
}

bool FindEntries(const wchar_t* pattern, Search* out) noexcept {
  try {
    out->directoryPart.clear();
    out->entries.clear();
    const std::string path = FileSystemPath(pattern);
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string last = path.substr(dir.size());
    out->directoryPart = dir;
    // "." and ".." are never matches, whatever the pattern.
    if (last.empty() || last == "." || last == "..") return true;
    std::error_code ec;
    if (!HasWildcard(last)) {
      if (fs::exists(fs::symlink_status(path, ec))) out->entries.push_back(Describe(path, last));
      return true;
    }
    for (fs::directory_iterator it(dir.empty() ? std::string(".") : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (NameMatches(last, name)) out->entries.push_back(Describe(it->path(), std::move(name)));
    }
    std::sort(out->entries.begin(), out->entries.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
    return true;
  } catch (...) {
    return false;
  }
}

int ClassifyFirstMatch(const wchar_t* pattern) noexcept {
  try {
    Search found;
    if (!FindEntries(pattern, &found) || found.entries.empty()) return 0;
    const FoundEntry& first = found.entries.front();
    if (!first.link) return first.directory ? 2 : 1;
    std::error_code ec;
    return fs::is_directory(found.directoryPart + first.name, ec) ? 2 : 1;
  } catch (...) {
    return 0;
  }
}

bool DeleteMatches(const wchar_t* pattern) noexcept {
  try {
    Search found;
    if (!FindEntries(pattern, &found)) return true;
    bool tooLong = false;
    for (const FoundEntry& e : found.entries) {
      DeleteTree(found.directoryPart + e.name, e.directory, &tooLong);
    }
    return !tooLong;
  } catch (...) {
    return true;  // out of memory part-way: like any single failure, skipped
  }
}

}  // namespace msc::platform
