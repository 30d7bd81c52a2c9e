// A thread's stop check: the question that blocking waits of the platform
// layer (reading standard input, waiting for a process) ask every few
// milliseconds, so that an interrupted run does not stay blocked in them.
#pragma once

namespace msc::platform {

// How often a blocking wait asks.
inline constexpr int kStopPollMs = 5;

// While one lives, StopRequested() asks stopped(context). Scopes nest; the
// innermost one counts.
class StopScope {
 public:
  using Check = bool (*)(const void* context) noexcept;
  StopScope(Check stopped, const void* context) noexcept;
  ~StopScope();
  StopScope(const StopScope&) = delete;
  StopScope& operator=(const StopScope&) = delete;

 private:
  Check savedCheck_;
  const void* savedContext_;
};

// Whether a stop check is set on this thread, and whether it says stop.
[[nodiscard]] bool HasStopCheck() noexcept;
[[nodiscard]] bool StopRequested() noexcept;

}  // namespace msc::platform
