// The file system as the file statements see it.
//
// Names arrive as wide text written the controller's way: "\" and "/" both
// separate directories. Every operation reports success as true; the caller
// turns a failure into its own error. Nothing here throws.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace msc::platform {

// The longest path (in characters, without the terminating zero) the
// recursive delete builds; the controller's file system allows no more.
inline constexpr size_t kMaxPathCharacters = 259;

// A wide file name as a path of this system: UTF-8, "\" turned into "/".
// The empty text for a null or empty name.
std::string FileSystemPath(const wchar_t* name);

// Opens a buffered stream in a mode of fopen ("rb", "wb", "ab"). A directory
// is never opened, not even for reading. Null on failure.
[[nodiscard]] std::FILE* OpenStream(const wchar_t* name, const char* mode) noexcept;

// Creates one directory; false when it exists already or cannot be made.
[[nodiscard]] bool MakeDirectory(const wchar_t* name) noexcept;
// Removes one empty directory; false for a file, a link or a directory with content.
[[nodiscard]] bool RemoveEmptyDirectory(const wchar_t* name) noexcept;
// Copies a file, replacing an existing destination.
[[nodiscard]] bool CopyFileReplacing(const wchar_t* source, const wchar_t* destination) noexcept;
// Free bytes of the volume holding the path.
[[nodiscard]] bool FreeSpace(const wchar_t* path, uint64_t* bytes) noexcept;

// What a name pattern ("dir\*.txt") finds: the directory part of the
// pattern (up to and including its last separator, as written) and the
// entries of that directory whose names match the last part, in name order.
// "*" stands for any run of characters, "?" for one; a pattern ending in
// ".*" also matches names without that extension ("*.*" matches everything).
struct FoundEntry {
  std::string name;
  bool directory = false;  // a directory itself, not a link to one
  bool link = false;       // a symbolic link, whatever it points to
};
struct Search {
  std::string directoryPart;
  std::vector<FoundEntry> entries;
};
[[nodiscard]] bool FindEntries(const wchar_t* pattern, Search* out) noexcept;

// 0 when the pattern matches nothing, 1 when its first match is a file, 2
// when it is a directory (a link counts as what it points to).
[[nodiscard]] int ClassifyFirstMatch(const wchar_t* pattern) noexcept;

// Deletes every match of the pattern; a directory goes with everything in it.
// Single failures are skipped. False only when a path of the recursion would
// be longer than kMaxPathCharacters (that entry is left alone).
[[nodiscard]] bool DeleteMatches(const wchar_t* pattern) noexcept;

// True when name matches pattern ("*" any run, "?" one character, bytes
// compared as they are; "*" and "?" never stop inside a UTF-8 character).
[[nodiscard]] bool WildcardMatch(const std::string& pattern, const std::string& name) noexcept;

// A name pattern's last part against a name: WildcardMatch, with the old
// rule that a final ".*" may also stand for no extension at all.
[[nodiscard]] bool NameMatches(const std::string& pattern, const std::string& name) noexcept;

}  // namespace msc::platform
