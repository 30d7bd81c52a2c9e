// What the fuzz targets share: a quiet process, a fresh macro object on the
// simulated controller for every input, images sized the way a host sizes
// them, and the neutering of statements that would reach outside the process.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "macro_sc/macro_sc.h"
#include "simulator.h"

namespace msc::fuzz {

// Words whose statements touch files, processes or libraries, matched without
// regard to case anywhere in a line (a variable that merely contains one is
// neutered too, which costs nothing).
constexpr const char* kOutsideWords[] = {
    "open",               // Open, OpenTextData
    "kill",               // deletes files and directories
    "fcopy",              // copies a file
    "mkdir",              // makes a directory
    "rmdir",              // removes a directory
    "save",               // Save, VarSave, the controller's data-file saves
    "load",               // Load, the controller's data-file loads
    "shell",              // starts a process
    "call",               // calls into a loaded library
    "setusersubroutine",  // loads a library
    "keyword",            // writes the keyword list to a named file
    "screencapture",      // writes an image file
    "profiledata",        // rewrites the profile file
};

// The label a program load runs: loading targets neuter it, so that a load
// only compiles.
constexpr const char* kInitWords[] = {"mcrinit"};

// Spoils every occurrence of the words in text (its first letter becomes '_'),
// keeping every other byte where it was.
template <size_t N>
void Neuter(uint8_t* text, size_t size, const char* const (&words)[N]) {
  for (const char* word : words) {
    const size_t n = std::strlen(word);
    for (size_t i = 0; i + n <= size; ++i) {
      size_t k = 0;
      while (k < n && std::tolower(text[i + k]) == word[k]) ++k;
      if (k == n) text[i] = '_';
    }
  }
}

// A fault of the engine that no sanitizer sees: say what broke and abort, as
// the fuzzer expects.
inline void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// A load ends in one of its own results: for a program 0, -1 for a damaged
// image, or a compile error; for variables 0, -1, 7 or, in a stream, 103.
inline void CheckLoadResult(int32_t result,
                            std::initializer_list<int32_t> known = {-1, 0, 2, 7, 23, 200, 201}) {
  for (const int32_t k : known)
    if (result == k) return;
  Check(false, "a load gives one of its own results");
}

// The directory where the process puts its own files, removed at exit (a
// plain array, which outlives the exit handlers).
inline const char* ScratchDirectory() {
  static char name[] = "/tmp/msc-fuzz-XXXXXX";
  static const bool made = [] {
    if (mkdtemp(name) == nullptr) return false;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(name, ignored);
    });
    return true;
  }();
  return made ? name : "/tmp";
}

// Once per process: standard input and output go to /dev/null, so that Input
// never waits and printing costs nothing, and the controller's configuration
// is read from the scratch directory, where there is none.
inline void Setup() {
  static const bool done = [] {
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      if (null > STDERR_FILENO) close(null);
    }
    sim::SetConfigDirectory(ScratchDirectory());
    return true;
  }();
  (void)done;
}

struct MacroDeleter {
  void operator()(QorMacro* m) const { _DeleteQorMacro(m); }
};
using MacroPtr = std::unique_ptr<QorMacro, MacroDeleter>;

inline MacroPtr NewMacro() {
  Setup();
  MacroPtr m(_CreateQorMacro(sim::Host()));
  Check(m != nullptr, "a macro object is created");
  return m;
}

// The input as an image of the kind whose first u32 is its size: 4-aligned,
// at least header bytes long (zeros added), and with the size field cut to
// the bytes there are, since the exports trust it as a host's would be.
inline std::vector<uint32_t> SizedImage(const uint8_t* data, size_t size, size_t header) {
  std::vector<uint32_t> image((std::max(size, header) + 3) / 4, 0);
  std::copy(data, data + size, reinterpret_cast<uint8_t*>(image.data()));
  const auto bytes = static_cast<uint32_t>(image.size() * 4);
  if (image[0] > bytes) image[0] = bytes;
  return image;
}

inline std::wstring Widen(std::string_view text) {
  std::wstring wide;
  for (const char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return wide;
}

}  // namespace msc::fuzz
