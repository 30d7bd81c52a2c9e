// The program file a command is given, checked before anything reads it.
#pragma once

#include <string>

namespace msc::cli {

// kExitOk when path names a regular file this process can open for reading;
// otherwise prints "macro-sc: PATH: <why>" to stderr and returns
// kExitCannotOpen. A directory would load as an empty program and a FIFO
// would block the loader until a writer came, so neither reaches it.
[[nodiscard]] int CheckProgramFile(const std::string& path) noexcept;

}  // namespace msc::cli
