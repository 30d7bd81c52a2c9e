// Loading a program as the load exports do, with the run of "*MCRINIT" left
// to the caller: a tool that restores stored variables needs them in place
// after the program is compiled (loading clears the variables) and before
// "*MCRINIT" sees them.
#pragma once

#include "engine/errors.h"

class QorMacro;

namespace msc {

// Loads a source file, declares the reference and registered variables, and
// returns the load's error number; nothing runs.
[[nodiscard]] ErrNo LoadProgramFileWithoutInit(QorMacro& m, const wchar_t* path) noexcept;

// Runs "*MCRINIT" as a load does (nothing while the program is not
// executable); its result is the program's business and is dropped.
void RunInitRoutine(QorMacro& m) noexcept;

}  // namespace msc
