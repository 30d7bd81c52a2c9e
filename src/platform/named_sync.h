// Process-wide named synchronisation objects: a recursive mutex that can be
// waited for with a time limit, and a manual-reset event. Each name is created
// on its first request and kept until the process ends, so every caller that
// asks for the same name gets the same object.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace msc::platform {

inline constexpr int kWaitForever = -1;

// Owned by one thread at a time; the owner may take it again (and must release
// it as often as it took it).
class NamedMutex {
 public:
  // True when the mutex is now held; false when timeoutMs elapsed first.
  // kWaitForever waits without a limit.
  bool Lock(int timeoutMs = kWaitForever) noexcept;
  // Releases one take; a thread that does not own the mutex changes nothing.
  void Unlock() noexcept;

 private:
  std::mutex mutex_;
  std::condition_variable released_;
  std::thread::id owner_;
  unsigned depth_ = 0;
};

// Stays signalled from Set until Reset.
class NamedEvent {
 public:
  void Set() noexcept;
  void Reset() noexcept;
  [[nodiscard]] bool IsSet() noexcept;
  // True when the event is signalled, at once or within timeoutMs.
  bool Wait(int timeoutMs = kWaitForever) noexcept;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

// The object of that name; null only when memory runs out (a caller then
// behaves as if every wait succeeded at once).
[[nodiscard]] NamedMutex* OpenNamedMutex(const std::string& name) noexcept;
[[nodiscard]] NamedEvent* OpenNamedEvent(const std::string& name) noexcept;

}  // namespace msc::platform
