// The simulated controller's settings: configuration directory, language
// and system items, and the host library functions that report them.
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "macro_sc/host.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {
namespace {

struct Settings {
  std::mutex mutex;
  std::string directory;  // always ends with '/'
  std::wstring language;
  std::map<int, int> systemInfo;
};

std::string WithSeparator(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string StartDirectory() {
  if (const char* env = std::getenv("MACRO_SC_CONFIG"); env != nullptr && *env != '\0')
    return WithSeparator(env);
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) != nullptr) return WithSeparator(cwd);
  return "./";
}

// Never destroyed: host calls may come from objects that outlive static
// destruction.
Settings& State() {
  static Settings* s = [] {
    auto* fresh = new Settings;
    fresh->directory = StartDirectory();
    const char* lang = std::getenv("MACRO_SC_LANGUAGE");
    fresh->language = lang != nullptr && *lang != '\0' ? FromUtf8(lang) : L"jpn";
    return fresh;
  }();
  return *s;
}

}  // namespace

void SetConfigDirectory(const std::string& dir) {
  Settings& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.directory = WithSeparator(dir);
}

// The directory with its trailing '/'. The reference stays valid until the
// next SetConfigDirectory.
const std::string& ConfigDirectory() {
  Settings& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  return s.directory;
}

void SetLanguage(const std::wstring& ident) {
  Settings& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.language = ident;
}

void SetSystemInfo(int item, int value) {
  Settings& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.systemInfo[item] = value;
}

std::string ResolveConfigFile(const wchar_t* name) {
  std::string path = ToUtf8(name != nullptr ? name : L"");
  if (path.find('/') != std::string::npos) return path;
  Settings& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  return s.directory + path;
}

}  // namespace msc::sim

using msc::sim::State;

// Each thread gets its own copy, so that a concurrent change of the setting
// never pulls the text away from under a caller.
const wchar_t* GetCoreRAPath() {
  thread_local std::wstring copy;
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  copy = msc::sim::FromUtf8(s.directory);
  return copy.c_str();
}

const wchar_t* GetLanguageIdent() {
  thread_local std::wstring copy;
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  copy = s.language;
  return copy.c_str();
}

int32_t GetSystemInfo2(int32_t item) {
  auto& s = State();
  std::lock_guard<std::mutex> guard(s.mutex);
  const auto it = s.systemInfo.find(item);
  return it != s.systemInfo.end() ? it->second : 0;
}

CoreServices* GetQorCoreRA() { return msc::sim::Core(); }

int32_t GetSceneGroupDataPath(int32_t group, wchar_t* buffer, int32_t capacity) {
  if (group < 0 || buffer == nullptr || capacity <= 0) return -1;
  std::wstring path = GetCoreRAPath();
  path += L"SceneGroup" + std::to_wstring(group) + L"/";
  if (path.size() >= static_cast<size_t>(capacity)) return -1;
  msc::sim::CopyToBuffer(path, buffer, capacity);
  return 0;
}

void* QorMallocTmp(size_t size) { return std::malloc(size == 0 ? 1 : size); }

void QorFreeTmp(void* block) { std::free(block); }
