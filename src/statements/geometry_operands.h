// Operands of the line and circle geometry: arrays written as a name with
// empty parentheses, read and written by plain index, and output variables.
#pragma once

#include <cstdint>

#include "engine/errors.h"
#include "engine/frame.h"

namespace msc::geometry {

// A double array "NAME#()": 13 for any other token, 2 without the "()".
[[nodiscard]] ErrNo DoubleArrayOperand(ExecFrame& f, uint8_t** cell) noexcept;
// An integer or double array "NAME&()" / "NAME#()", the same errors.
[[nodiscard]] ErrNo NumericArrayOperand(ExecFrame& f, uint8_t** cell) noexcept;

// Element i of a one-dimensional array as a double, under the object lock:
// 18 undimensioned, 13 more than one dimension, 9 out of range.
[[nodiscard]] ErrNo ReadDoubleAt(ExecFrame& f, uint8_t* cell, int32_t i, double* out) noexcept;
[[nodiscard]] ErrNo WriteDoubleAt(ExecFrame& f, uint8_t* cell, int32_t i, double value) noexcept;

// Reads a line (a, b, c of a x + b y + c = 0) from elements 0 to 2.
[[nodiscard]] ErrNo ReadLine(ExecFrame& f, uint8_t* cell, double line[3]) noexcept;

// Reads a variable operand of any kind (an element with its subscripts) and
// assigns value to it with the ordinary assignment coercion.
[[nodiscard]] ErrNo AssignDoubleOperand(ExecFrame& f, double value) noexcept;

}  // namespace msc::geometry
