// Faults a scenario sets: calls the front answers itself, with a status,
// instead of passing them on.
#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "front.h"
#include "json_values.h"
#include "serve.h"

namespace msc::sim {
namespace front {

std::atomic<bool> g_faulted{false};

namespace {

struct FaultState {
  std::mutex mutex;
  std::vector<Fault> faults;
};

FaultState& Faults() {
  static auto* f = new FaultState;
  return *f;
}

bool ArgsMatch(const Json& wanted, const Json& args) {
  if (wanted.size() > args.size()) return false;
  for (size_t i = 0; i < wanted.size(); ++i)
    if (wanted[i] != args[i]) return false;
  return true;
}

}  // namespace

// Counts the call with every fault it matches; the status of the first
// that fires.
std::optional<int32_t> TakeFault(std::string_view name, const std::string* channel,
                                 const Json& args) {
  FaultState& f = Faults();
  std::lock_guard<std::mutex> guard(f.mutex);
  std::optional<int32_t> fired;
  for (Fault& fault : f.faults) {
    if (fault.call != name || !ArgsMatch(fault.args, args)) continue;
    if (!fault.channel.empty() && (channel == nullptr || *channel != fault.channel)) continue;
    ++fault.seen;
    const bool fires = (fault.at.empty() && fault.from == 0) ||
                       std::find(fault.at.begin(), fault.at.end(), fault.seen) != fault.at.end() ||
                       (fault.from != 0 && fault.seen >= fault.from);
    if (fires && !fired) fired = fault.status;
  }
  return fired;
}

}  // namespace front

void SetFaults(std::vector<Fault> faults) {
  front::FaultState& f = front::Faults();
  std::lock_guard<std::mutex> guard(f.mutex);
  f.faults = std::move(faults);
  front::g_faulted.store(!f.faults.empty(), std::memory_order_release);
}

}  // namespace msc::sim
