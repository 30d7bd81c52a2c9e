// Questions a scenario's faults ask of the call table.
#include <algorithm>
#include <iterator>
#include <string_view>

#include "call_table.h"
#include "front.h"

namespace msc::sim {

using front::CallInfo;
using front::kCalls;
using front::kIo;

bool IsCallName(std::string_view name) {
  return std::any_of(std::begin(kCalls), std::end(kCalls),
                     [&](const CallInfo& c) { return c.name == name; });
}

bool IsChannelCall(std::string_view name) {
  return std::any_of(std::begin(kCalls), std::end(kCalls),
                     [&](const CallInfo& c) { return c.to == kIo && c.name == name; });
}

}  // namespace msc::sim
