// Reporting an error that ended a run, by the macro object's report mode.
#pragma once

#include <cstdint>

#include "engine/errors.h"
#include "engine/frame.h"

namespace msc {

inline constexpr size_t kReportBufferSize = 512;

// Records the error fields (numbered lines only) and shows the report:
// 1 message and listing, 2 "%s in %d", 3 message box, others nothing.
void ReportError(ErrNo number, uint32_t reportMode, ExecFrame& f) noexcept;

}  // namespace msc
