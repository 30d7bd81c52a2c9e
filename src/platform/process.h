// Libraries loaded at run time and processes started from a command line.
#pragma once

#include <string>
#include <vector>

namespace msc::platform {

// Loads a shared library by path; null when it cannot be loaded. Libraries
// stay loaded for the life of the process.
[[nodiscard]] void* LoadLibrary(const wchar_t* path) noexcept;
// The address of an exported symbol; null when the library has none.
[[nodiscard]] void* FindSymbol(void* library, const char* name) noexcept;

// Starts a command line: the first word names the program (looked up in
// PATH when it has no "/"), the others are its arguments. Words are split at
// spaces and tabs; double quotes group a word, \" is a quote inside one. No
// shell is involved, so a program that does not exist fails here. The process
// inherits standard input, output and error but no other descriptor. With wait
// the call returns when the process has ended, or when the thread's stop
// check says stop (*stopped is then set and the process sent SIGTERM);
// otherwise at once, and the process is collected when it ends. false when
// no process could be started.
[[nodiscard]] std::vector<std::string> SplitCommandLine(const std::string& line);
[[nodiscard]] bool StartProcess(const wchar_t* commandLine, bool wait, bool* stopped = nullptr) noexcept;

}  // namespace msc::platform
