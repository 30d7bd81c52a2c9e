// The conventions every host command shares: how arguments are read and
// separated, how results reach output variables, how byte blocks are carried
// by integer arrays, and how a host status becomes an error number.
//
// Calls to the controller run on the statement's thread with no lock held;
// expressions are evaluated, and variables written, under the object lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/frame.h"
#include "engine/value.h"

class AnyType;
class CoreServices;
class HostInterface;
class IoModule;

namespace msc::host {

// Characters of a short text argument: 1023 and the zero.
inline constexpr size_t kShortTextSize = 1024;

// 0 is success; every other status, 1 and -1 alike, is 5.
[[nodiscard]] inline ErrNo Status(int32_t status) noexcept {
  return status == 0 ? kOk : kErrIllegalCall;
}

// The controller's objects of the macro object; 5 when the host has none.
[[nodiscard]] ErrNo CoreOf(ExecFrame& f, CoreServices** core) noexcept;
[[nodiscard]] ErrNo HostOf(ExecFrame& f, HostInterface** host) noexcept;
// The I/O channel of that name; 5 when the controller knows none.
[[nodiscard]] ErrNo ChannelOf(ExecFrame& f, const wchar_t* name, IoModule** channel) noexcept;

// Makes a value that borrows a variable's text or bytes own a copy, so that
// it stays valid once the object lock is released. Called under the lock.
[[nodiscard]] ErrNo KeepContent(Value& v) noexcept;
// One expression under the lock, its content kept as above.
[[nodiscard]] ErrNo EvaluateKept(ExecFrame& f, Value& v) noexcept;

// Reads a command's arguments in order. Before every argument but the first
// it skips one "," or ":" when present; the argument is read either way.
class ArgumentList {
 public:
  explicit ArgumentList(ExecFrame& f) noexcept : f_(f) {}

  [[nodiscard]] ErrNo Integer(int32_t* out) noexcept;
  // Text cut to 1023 characters, zero-terminated.
  [[nodiscard]] ErrNo Text(wchar_t (&out)[kShortTextSize]) noexcept;
  // Text of any length.
  [[nodiscard]] ErrNo LongText(std::wstring* out) noexcept;
  // One expression, as evaluated; borrowed content is copied.
  [[nodiscard]] ErrNo Any(Value& out) noexcept;
  // One expression as a host value.
  [[nodiscard]] ErrNo HostValue(AnyType& out) noexcept;

  // An optional argument after the others: true when a "," follows (it is
  // consumed); a ":" is consumed too and ends the statement.
  [[nodiscard]] bool MoreFollows() noexcept;
  // An optional first argument: false at the end of the statement.
  [[nodiscard]] bool FirstFollows() noexcept;

  // Positions the code at the next argument (the separator skipped) for the
  // readers below that parse operands of their own.
  void Next() noexcept;
  ExecFrame& frame() noexcept { return f_; }

 private:
  ExecFrame& f_;
  bool started_ = false;
};

// True when the statement ends here (end of line or ":"), nothing consumed:
// an argument that must follow is missing.
[[nodiscard]] bool AtArgumentsEnd(ExecFrame& f) noexcept;

// A number or a name selecting a unit data item or a measurement: integers
// as they are, doubles rounded half away from zero (6 outside the 32-bit
// range), any text as a name of at most 1023 characters; 13 otherwise.
struct Selector {
  bool byName = false;
  int32_t number = 0;
  wchar_t name[kShortTextSize] = {};
};
[[nodiscard]] ErrNo ToSelector(Value& v, Selector* out) noexcept;

// An array operand written as NAME() (any array kind). When the code does not
// hold one, returns false and leaves the position untouched.
[[nodiscard]] bool PeekWholeArray(ExecFrame& f, uint8_t** cell) noexcept;
// An integer array written as NAME&(): 13 for any other operand, 2 when the
// "()" is missing.
[[nodiscard]] ErrNo IntegerArrayOperand(ExecFrame& f, uint8_t** cell) noexcept;

// Elements of a dimensioned array (of any shape); 18 undimensioned.
[[nodiscard]] ErrNo ElementCount(const uint8_t* cell, uint32_t* count) noexcept;

// The element storage of a dimensioned array and its size in bytes; 18
// undimensioned. The caller holds the object lock while it uses them.
[[nodiscard]] ErrNo ArrayBytes(uint8_t* cell, uint8_t** data, size_t* size) noexcept;

// Byte blocks carried by integer arrays, four bytes per element, little-endian:
// the first ceil(n / 4) elements (9 when the array has fewer). The copy out
// is zero-filled to whole elements.
[[nodiscard]] ErrNo BlockFromArray(ExecFrame& f, uint8_t* cell, size_t bytes,
                                   std::vector<uint8_t>& out) noexcept;
[[nodiscard]] ErrNo BlockToArray(ExecFrame& f, uint8_t* cell, const uint8_t* bytes,
                                 size_t count) noexcept;

// Output variables: parses a simple variable or an element (2 for anything
// else) and stores into it, under the object lock.
[[nodiscard]] ErrNo StoreHostResult(ExecFrame& f, AnyType& value) noexcept;
// An output variable parsed before the host call and written after it.
struct OutputPlace {
  uint8_t* cell = nullptr;
  uint32_t offset = 0;
};
[[nodiscard]] ErrNo ParseOutput(ExecFrame& f, OutputPlace* place) noexcept;
[[nodiscard]] ErrNo StoreAt(ExecFrame& f, const OutputPlace& place, Value& value) noexcept;

// The ordinary assignment coercion.
[[nodiscard]] ErrNo StoreValue(ExecFrame& f, Value& value) noexcept;
[[nodiscard]] ErrNo StoreInteger(ExecFrame& f, int32_t value) noexcept;
[[nodiscard]] ErrNo StoreDouble(ExecFrame& f, double value) noexcept;

// Re-dimensions a whole array to count elements in one dimension (none for
// a negative count) and fills element i with entry i of the list, each
// through the host conversion; elements past the list's end stay empty.
[[nodiscard]] ErrNo FillArrayFromList(ExecFrame& f, uint8_t* cell, AnyType& list,
                                      int32_t count) noexcept;
// Every element of a one-dimensional array as entry i of a list value: 18
// undimensioned, 13 for more dimensions.
[[nodiscard]] ErrNo ListFromArray(ExecFrame& f, uint8_t* cell, AnyType& list) noexcept;

}  // namespace msc::host
