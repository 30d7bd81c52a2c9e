// How program source files are read and written when they are not plain
// UTF-8 files: a process-wide hook that a tool installs before it creates
// macro objects. Without one, Load and Save read and write UTF-8 files
// directly, as always.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace msc {

struct SourceCodec {
  // Opens the file at path (UTF-8) for reading and returns a stream of its
  // text in UTF-8; null when the file cannot be opened. The caller closes it.
  std::FILE* (*openForLoad)(const char* path) noexcept;
  // Converts one saved line (UTF-8, no line end) into the bytes the file
  // holds; false when the file's encoding cannot hold it. Null: UTF-8 files.
  bool (*encodeLine)(std::string_view utf8, std::string& out) noexcept;
};

// Installs codec for every later Load and Save of the process; null removes
// it. The codec must outlive its use.
void SetSourceCodec(const SourceCodec* codec) noexcept;
[[nodiscard]] const SourceCodec* CurrentSourceCodec() noexcept;

}  // namespace msc
