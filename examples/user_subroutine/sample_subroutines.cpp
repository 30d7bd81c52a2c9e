// A user-subroutine library: functions a macro program registers with
// SetUserSubroutine and runs with Call.
//
//   SetUserSubroutine "Sum", "libmsc_sample_subroutines.so", "Sum"
//   Call "Sum", 1, 2.5, 4
//   Print SY.SUM#                      ' 7.5
//
// The library is looked for in the controller's configuration directory
// (GetCoreRAPath), so the program names only the file. Every subroutine has
// the signature of UserSubroutine in macro_sc/host.h and C linkage, so that
// SetUserSubroutine finds it under its plain name:
//
//   int32_t Name(uint32_t count, AnyType* arguments, const UserSubroutineContext* context)
//
// - arguments[0] .. arguments[count - 1] are the Call's arguments, each an
//   integer, a real or a wide text (AnyType::GetType tells which). The values
//   belong to the engine and die when the subroutine returns: copy what must
//   be kept.
// - context->core is the controller's core services object. Subroutines hand
//   results back through it, for example as system data that the program
//   reads as SY.NAME.
// - The result becomes the Call statement's: 0 goes on, an error number
//   stops the program with that error (a Try block can catch it), 255 skips
//   the rest of the program line.
// - A subroutine runs on the thread of the program that calls it, possibly
//   several at once (from the tasks of ParallelExecute); it must not throw.
#include <cstdint>
#include <cwchar>
#include <string>

#include "macro_sc/host.h"

namespace {

constexpr int32_t kTypeMismatch = 13;
constexpr int32_t kIllegalCall = 5;

// Stores value as the system data item that the program reads as SY.<name>.
int32_t Publish(const UserSubroutineContext* context, const wchar_t* name, AnyType& value) {
  if (context == nullptr || context->core == nullptr) return kIllegalCall;
  return context->core->SetSystemData(L"Macro_SY", name, &value) == 0 ? 0 : kIllegalCall;
}

}  // namespace

extern "C" {

// Sum of the numeric arguments, published as SY.SUM#; a text is refused.
int32_t Sum(uint32_t count, AnyType* arguments, const UserSubroutineContext* context) {
  double sum = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const int32_t type = arguments[i].GetType();
    if (type != AnyType::kInteger && type != AnyType::kReal) return kTypeMismatch;
    sum += arguments[i].GetDoubleValue();
  }
  AnyType result;
  result.SetData(sum);
  return Publish(context, L"SUM#", result);
}

// Describes the arguments as SY.ARGS$, e.g. "3: I 42, R 2.5, T abc".
int32_t Describe(uint32_t count, AnyType* arguments, const UserSubroutineContext* context) {
  std::wstring text = std::to_wstring(count) + L":";
  for (uint32_t i = 0; i < count; ++i) {
    const int32_t type = arguments[i].GetType();
    const wchar_t* letter = type == AnyType::kInteger ? L" I " : type == AnyType::kReal ? L" R " : L" T ";
    text += (i == 0 ? L"" : L",") + std::wstring(letter) + arguments[i].GetString();
  }
  AnyType result;
  result.SetData(text.c_str());
  return Publish(context, L"ARGS$", result);
}

// Returns its first argument (0 without one): lets a program try out how the
// engine treats a subroutine's result.
int32_t Result(uint32_t count, AnyType* arguments, const UserSubroutineContext*) {
  return count > 0 ? arguments[0].GetIntValue() : 0;
}

}  // extern "C"
