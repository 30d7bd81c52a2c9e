// The call trace in front of the controller model.
#include <string>

#include "macro_sc/host.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {

bool StartHostTrace(const std::string&, std::string* message) {
  if (message != nullptr) *message = "host trace not available";
  return false;
}

void StopHostTrace() {}

HostInterface* Host() { return ModelHost(); }
CoreServices* Core() { return ModelCore(); }

}  // namespace msc::sim
