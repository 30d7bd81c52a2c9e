// Scenario files: the simulated controller's initial state in TOML.
#include <string>

#include "simulator.h"

namespace msc::sim {

bool LoadScenario(const std::string& path, std::string* message) {
  if (message != nullptr) *message = path + ": scenarios not available";
  return false;
}

}  // namespace msc::sim
