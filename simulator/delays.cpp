// Delays a scenario sets: calls the front holds back before it answers them,
// the way a real controller takes its time over a measurement.
#include <atomic>
#include <chrono>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "front.h"
#include "serve.h"

namespace msc::sim {
namespace front {

std::atomic<bool> g_delayed{false};

namespace {

struct DelayState {
  std::mutex mutex;
  std::vector<Delay> delays;
};

DelayState& Delays() {
  static auto* d = new DelayState;
  return *d;
}

}  // namespace

void Wait(std::string_view name) {
  uint32_t milliseconds = 0;
  {
    DelayState& d = Delays();
    std::lock_guard<std::mutex> guard(d.mutex);
    for (const Delay& delay : d.delays) {
      if (delay.call.empty() || delay.call == name) {
        milliseconds = delay.milliseconds;
        break;
      }
    }
  }
  // Slept without the list's mutex, so that delayed calls of several
  // threads overlap as a controller's independent requests would.
  if (milliseconds != 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace front

void SetDelays(std::vector<Delay> delays) {
  front::DelayState& d = front::Delays();
  std::lock_guard<std::mutex> guard(d.mutex);
  d.delays = std::move(delays);
  front::g_delayed.store(!d.delays.empty(), std::memory_order_release);
}

}  // namespace msc::sim
