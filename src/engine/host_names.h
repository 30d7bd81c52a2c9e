// Scene and system data items of the host, named in programs with the
// prefixes "SC." and "SY." (reader kinds 40 to 43). For the array kinds the
// code position is on the "(" of the subscripts, which become part of the item
// name: LIMIT with 2 and 10 addresses the item "LIMIT(2,10)".
#pragma once

#include <cstddef>

#include "engine/errors.h"
#include "engine/frame.h"
#include "engine/value.h"

namespace msc {

// Reads the item whose token (of that reader kind, name without the prefix)
// was just read into v. The caller holds the object lock.
[[nodiscard]] ErrNo ReadHostName(ExecFrame& f, int kind, const char* name, size_t len,
                                 Value& v) noexcept;

// The statement that begins with such a token: "=" and an expression, written
// to the item; a host write that fails gives 5. The caller holds the object lock.
[[nodiscard]] ErrNo AssignHostName(ExecFrame& f, int kind, const char* name, size_t len) noexcept;

}  // namespace msc
