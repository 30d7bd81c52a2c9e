// Error numbers and their messages.
//
// Every operation of the interpreter returns a signed 32-bit error number:
// 0 is success, 1 to 255 index one message table, and 255 additionally means
// "skip the rest of the line" when a statement handler returns it. Nothing
// throws across a handler or an export; numbers travel up the call chain.
#pragma once

#include <cstdint>

namespace msc {

using ErrNo = int32_t;

enum : ErrNo {
  kOk = 0,
  kErrNextWithoutFor = 1,
  kErrSyntax = 2,
  kErrReturnWithoutGosub = 3,
  kErrIllegalCall = 5,
  kErrOverflow = 6,
  kErrOutOfMemory = 7,
  kErrUndefinedLine = 8,
  kErrSubscript = 9,
  kErrDivisionByZero = 11,
  kErrTypeMismatch = 13,
  kErrStringTooLong = 15,
  kErrUndefinedArray = 18,
  kErrLineBufferOverflow = 23,
  kErrUndefinedLabel = 32,
  kErrBadFileNumber = 52,
  kErrIllegalOperation = 74,  // also: a save refused because it would not load again
  kErrInternal = 103,
  kErrUndefinedVariable = 200,
  kErrDuplicatedVariable = 201,
  kErrInterrupted = 210,  // a host stopped the run; never trapped by Try
  kSkipLine = 255,  // handler result: the rest of the line is skipped
};

// The message of an error number: the empty text for 0, for every number
// without an entry and for numbers outside 0 to 255.
[[nodiscard]] const char* ErrorMessage(ErrNo number) noexcept;

}  // namespace msc
