// The host's reads and writes of variables by name: any variable or array
// element written as in a program for assignment, any expression for
// evaluation. Both hold the object lock while they touch variables, so the
// host may call them while a program runs on another thread.
#pragma once

#include <cstdint>

#include "engine/errors.h"

class QorMacro;
class AnyType;

namespace msc {

// Stores the host value into the variable named by text (multibyte, at most
// 1021 bytes count): 0, or an error number (2 when the text is no variable
// followed by the end of the line).
[[nodiscard]] ErrNo AssignFromHost(QorMacro& m, const char* text, AnyType& value) noexcept;

// Stores the host value into a variable cell (offset: the element of an
// array cell); a reference variable hands it to the controller unchanged.
// The caller holds the object lock.
[[nodiscard]] ErrNo StoreHostIntoCell(QorMacro& m, uint8_t* cell, uint32_t offset,
                                      AnyType& value) noexcept;

// Evaluates the text as one expression into the host value: 0, or an error
// number; when the result cannot cross to the host the host value is the
// integer 0.
[[nodiscard]] ErrNo EvaluateForHost(QorMacro& m, const char* text, AnyType& value) noexcept;

}  // namespace msc
