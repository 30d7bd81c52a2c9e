// dlopen for libraries, posix_spawn for processes.
#include "platform/process.h"

#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/codepage.h"
#include "platform/filesystem.h"
#include "platform/stop_check.h"

extern char** environ;

namespace msc::platform {
namespace {

void Reap(pid_t pid) noexcept {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

// Starts argv with standard input, output and error as the only descriptors
// it inherits: open file slots and the host's own files stay private.
bool SpawnWithoutInheritance(pid_t* pid, std::vector<char*>& argv) noexcept {
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  if (posix_spawn_file_actions_addclosefrom_np(&actions, 3) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return false;
  }
#endif
  const int result = posix_spawnp(pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return result == 0;
}

}  // namespace

void* LoadLibrary(const wchar_t* path) noexcept {
  const std::string name = FileSystemPath(path);
  if (name.empty()) return nullptr;
  return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(void* library, const char* name) noexcept {
  return library != nullptr && name != nullptr ? dlsym(library, name) : nullptr;
}

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
      word += '"';
      inWord = true;
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

bool StartProcess(const wchar_t* commandLine, bool wait, bool* stopped) noexcept {
  if (stopped != nullptr) *stopped = false;
  std::vector<std::string> words;
  std::vector<char*> argv;
  try {
    words = SplitCommandLine(ToMulti(kCodePageUtf8, commandLine != nullptr ? commandLine : L""));
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
  } catch (...) {
    return false;
  }
  if (words.empty()) return false;
  pid_t pid = 0;
  if (!SpawnWithoutInheritance(&pid, argv)) return false;
  if (wait) {
    if (!HasStopCheck()) {
      Reap(pid);
      return true;
    }
    for (;;) {
      int status = 0;
      const pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid || (done < 0 && errno != EINTR)) return true;
      if (StopRequested()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(kStopPollMs));
    }
    // The run that waited for the process is stopped, and the process with
    // it, as Ctrl-C stops a terminal's foreground job; a watcher reaps it.
    kill(pid, SIGTERM);
    if (stopped != nullptr) *stopped = true;
  }
  // Nobody waits for the process; a watcher collects it so no zombie stays.
  try {
    std::thread(Reap, pid).detach();
  } catch (...) {
    // Without a watcher the process is collected when this one ends.
  }
  return true;
}

}  // namespace msc::platform
