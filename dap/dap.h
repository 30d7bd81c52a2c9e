// macro-sc dap: a Debug Adapter Protocol server on standard input and
// output that runs one macro program on the simulated controller.
#pragma once

namespace msc::dap {

// Serves one debugging session; returns the tool's exit status.
int DapCommand();

}  // namespace msc::dap
