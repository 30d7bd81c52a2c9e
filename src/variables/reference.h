// Reading and writing a reference variable (a cell of tag 0xE6) by its name
// through the macro object's reference operations, under its reference lock.
#pragma once

#include <cstdint>

#include "engine/errors.h"
#include "engine/value.h"

class QorMacro;

namespace msc {

[[nodiscard]] ErrNo ReadReference(QorMacro& m, const uint8_t* cell, Value& out) noexcept;
[[nodiscard]] ErrNo WriteReference(QorMacro& m, const uint8_t* cell, Value& v) noexcept;

}  // namespace msc
