// The front of the simulated controller: every call of the engine passes
// through it on its way to the model (model_objects.h). It answers calls that
// a scenario marked to fail, and writes the call trace.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json_values.h"

namespace msc::sim {

// A call that fails on purpose: the call is not passed on and returns status
// (for a query, status is its answer). It matches calls of the operation
// named (as the trace's "op"), on the channel when one is named, whose first arguments
// equal args; it fires on the matching calls counted in at (from 1), on every
// one from the from-th on, or, with neither, on all of them.
struct Fault {
  std::string call;
  std::string channel;  // empty: any; only for channel calls
  Json args = Json::array();
  std::vector<uint64_t> at;
  uint64_t from = 0;
  int32_t status = 1;
  uint64_t seen = 0;  // matching calls so far
};

// Replaces the faults (a scenario's).
void SetFaults(std::vector<Fault> faults);

// A call answered only after milliseconds: of the operation named, or of
// every operation when call is empty. The first delay that matches counts.
struct Delay {
  std::string call;
  uint32_t milliseconds = 0;
};

// Replaces the delays (a scenario's).
void SetDelays(std::vector<Delay> delays);

// Whether name is a call the trace knows, and whether it is a channel's.
bool IsCallName(std::string_view name);
bool IsChannelCall(std::string_view name);

// Calls of the host library functions that reach the controller; the model
// sides are in controller.cpp and measurement.cpp.
int32_t ModelSetCurrentLine(int32_t line);
int32_t ModelContinuousMeasure(int32_t on);
int32_t ModelLanguageString(const wchar_t* key, wchar_t* buffer, int32_t* capacity);

}  // namespace msc::sim
