// The run registry of a macro object and the interrupt.
#include "engine/interrupt.h"

#include <chrono>

#include "api/qor_macro.h"
#include "engine/frame.h"

namespace msc {

namespace {

bool FrameInterrupted(const void* frame) noexcept { return Interrupted(*static_cast<const ExecFrame*>(frame)); }

}  // namespace

RunScope::RunScope(ExecFrame& f, Epoch epoch) noexcept
    : frame_(f), stop_(FrameInterrupted, &f), memory_(&f.macro->memory) {
  RunRegistry& r = f.macro->runs;
  std::lock_guard<std::mutex> hold(r.mutex);
  const uint32_t now = r.epoch.load(std::memory_order_relaxed);
  if (epoch == Epoch::kNow) f.epoch = now;
  f.epochNow = &r.epoch;
  ++r.live;
  if (f.epoch != now) ++r.stale;
}

RunScope::~RunScope() {
  QorMacro& m = *frame_.macro;
  RunRegistry& r = m.runs;
  std::lock_guard<std::mutex> hold(r.mutex);
  frame_.epochNow = nullptr;
  --r.live;
  if (frame_.epoch != r.epoch.load(std::memory_order_relaxed) && --r.stale == 0) m.lock.SetAttention(false);
}

void InterruptRuns(QorMacro& m) noexcept {
  RunRegistry& r = m.runs;
  {
    std::lock_guard<std::mutex> hold(r.mutex);
    r.epoch.fetch_add(1, std::memory_order_relaxed);
    // Every run alive now started before this interrupt.
    r.stale = r.live;
    if (r.stale > 0) m.lock.SetAttention(true);
  }
  r.wake.notify_all();
}

bool SleepUnlessInterrupted(const ExecFrame& f, uint32_t ms) noexcept {
  RunRegistry& r = f.macro->runs;
  std::unique_lock<std::mutex> hold(r.mutex);
  return !r.wake.wait_for(hold, std::chrono::milliseconds(ms), [&f] { return Interrupted(f); });
}

}  // namespace msc
