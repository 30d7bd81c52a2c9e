// Named objects live in two registries that are never destroyed: objects
// handed out must outlive every thread that may still wait on them, including
// threads still running while static destructors run.
#include "platform/named_sync.h"

#include <chrono>
#include <map>
#include <memory>
#include <new>

namespace msc::platform {
namespace {

template <class T>
struct Registry {
  std::mutex mutex;
  std::map<std::string, std::unique_ptr<T>> objects;

  T* Open(const std::string& name) noexcept {
    try {
      std::lock_guard<std::mutex> hold(mutex);
      std::unique_ptr<T>& slot = objects[name];
      if (!slot) slot = std::make_unique<T>();
      return slot.get();
    } catch (...) {
      return nullptr;
    }
  }
};

template <class T>
Registry<T>* RegistryOf() noexcept {
  static Registry<T>* const registry = new (std::nothrow) Registry<T>();
  return registry;
}

}  // namespace

bool NamedMutex::Lock(int timeoutMs) noexcept {
  const std::thread::id me = std::this_thread::get_id();
  std::unique_lock<std::mutex> hold(mutex_);
  if (depth_ > 0 && owner_ == me) {
    ++depth_;
    return true;
  }
  const auto isFree = [this] { return depth_ == 0; };
  if (timeoutMs < 0) {
    released_.wait(hold, isFree);
  } else if (!released_.wait_for(hold, std::chrono::milliseconds(timeoutMs), isFree)) {
    return false;
  }
  owner_ = me;
  depth_ = 1;
  return true;
}

void NamedMutex::Unlock() noexcept {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return;
    if (--depth_ > 0) return;
    owner_ = std::thread::id();
  }
  released_.notify_one();
}

void NamedEvent::Set() noexcept {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    signalled_ = true;
  }
  changed_.notify_all();
}

void NamedEvent::Reset() noexcept {
  std::lock_guard<std::mutex> hold(mutex_);
  signalled_ = false;
}

bool NamedEvent::IsSet() noexcept {
  std::lock_guard<std::mutex> hold(mutex_);
  return signalled_;
}

bool NamedEvent::Wait(int timeoutMs) noexcept {
  std::unique_lock<std::mutex> hold(mutex_);
  if (timeoutMs < 0) {
    changed_.wait(hold, [this] { return signalled_; });
    return true;
  }
  return changed_.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] { return signalled_; });
}

NamedMutex* OpenNamedMutex(const std::string& name) noexcept {
  Registry<NamedMutex>* r = RegistryOf<NamedMutex>();
  return r ? r->Open(name) : nullptr;
}

NamedEvent* OpenNamedEvent(const std::string& name) noexcept {
  Registry<NamedEvent>* r = RegistryOf<NamedEvent>();
  return r ? r->Open(name) : nullptr;
}

}  // namespace msc::platform
