#include "platform/stop_check.h"

namespace msc::platform {
namespace {

thread_local StopScope::Check stopCheck = nullptr;
thread_local const void* stopContext = nullptr;

}  // namespace

StopScope::StopScope(Check stopped, const void* context) noexcept
    : savedCheck_(stopCheck), savedContext_(stopContext) {
  stopCheck = stopped;
  stopContext = context;
}

StopScope::~StopScope() {
  stopCheck = savedCheck_;
  stopContext = savedContext_;
}

bool HasStopCheck() noexcept { return stopCheck != nullptr; }

bool StopRequested() noexcept { return stopCheck != nullptr && stopCheck(stopContext); }

}  // namespace msc::platform
