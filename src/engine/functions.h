// The built-in value functions, one table indexed by code minus 0xC000.
#pragma once

#include <cstdint>

#include "engine/errors.h"
#include "engine/frame.h"
#include "engine/value.h"

namespace msc {

inline constexpr int kMaxFunctionArguments = 8;

// Conversion applied to an argument before the implementation runs.
enum ArgKind : uint32_t {
  kArgInteger = 1,   // i: To integer
  kArgDouble = 2,    // d: to double (texts parsed, integers widened)
  kArgNumber = 3,    // n: To number, integer or double kept
  kArgText = 4,      // t: To text
  kArgAny = 15,      // a: as evaluated
};

using FunctionImpl = ErrNo (*)(Value* args, Value& result, ExecFrame& f);

struct FunctionEntry {
  uint32_t argumentKinds;  // 4-bit kinds, first argument lowest; 0: none or own
  FunctionImpl impl;
};

// The table entry of function index (code - 0xC000); null past the table.
[[nodiscard]] const FunctionEntry* FunctionAt(unsigned index) noexcept;

// Calls function index (code - 0xC000) with the code position after its word.
[[nodiscard]] ErrNo CallFunction(unsigned index, Value& result, ExecFrame& f) noexcept;

}  // namespace msc
