// What a debugger outside the engine needs: a driver that takes the place
// of the debug console's prompt, and read-only views of a stopped run, the
// program and the variables.
//
// With a driver installed on an object, every run of it returns to its run
// loop before each line (decoded forms are not followed across lines), so
// the driver is asked before each line with code whether to stop there.
// A stop enters the debug console as single-stepping does; the console
// hands the stop to the driver instead of prompting, and applies the "Cont"
// result the driver returns to the frame, stepping as the console steps.
// Lines that stepping lists are not printed while a driver watches (only
// trace mode prints them then); the console's prompt, its typed-ahead
// flush and its mutexes are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/errors.h"

class QorMacro;

namespace msc {
struct ExecFrame;
}

namespace msc::debug {

// Called on the threads that run; must be safe for several at once
// (ParallelExecute tasks).
class Driver {
 public:
  // Before a line with code, unless the run is single-stepping: true to stop.
  virtual bool StopBefore(const ExecFrame& f) noexcept = 0;
  // The run of f is stopped, before a line (error 0) or after the untrapped
  // error that ends it. Returns a "Cont" result: 1 run on, 2 step into,
  // 3 step over, 4 step out.
  virtual uint32_t Stopped(const ExecFrame& f, ErrNo error) noexcept = 0;
  // A ParallelExecute task starts or ends in its own frame.
  virtual void TaskStarted(const ExecFrame& f) noexcept = 0;
  virtual void TaskEnded(const ExecFrame& f) noexcept = 0;

 protected:
  ~Driver() = default;
};

// Installs the driver (null: none, the console prompts again). Install it
// while no run is under way.
void InstallDriver(QorMacro& m, Driver* driver) noexcept;

// The program line number of the frame's current line (0 for a direct
// statement).
[[nodiscard]] uint32_t LineOf(const ExecFrame& f) noexcept;
// The lines of a stopped frame's Gosub stack: its current line, then the
// line of each call that is still to return, innermost first.
[[nodiscard]] std::vector<uint32_t> CallLines(const ExecFrame& f);
// The number of Gosub calls the frame is inside.
[[nodiscard]] size_t CallDepth(const ExecFrame& f) noexcept;

// The label of the routine a program line belongs to (the nearest label
// line at or before it), "" when none.
[[nodiscard]] std::string RoutineOf(QorMacro& m, uint32_t line);
// The first label of the program other than *MCRINIT, else *MCRINIT, else "".
[[nodiscard]] std::string FirstLabel(QorMacro& m);
// The first program line numbered number or more at which a run can stop
// (a statement, not a comment, an empty line or a label alone); 0 for none.
[[nodiscard]] uint32_t CodeLineFrom(QorMacro& m, uint32_t number) noexcept;

// A variable of the program: its name (suffix included) and cell tag, and
// for a dimensioned array the element count of each dimension.
struct VariableInfo {
  std::string name;
  uint8_t tag;
  std::vector<uint32_t> extents;
};
[[nodiscard]] std::vector<VariableInfo> Variables(QorMacro& m);

// The message of an error number ("Division by zero").
[[nodiscard]] const char* ErrorText(ErrNo number) noexcept;

// Loads a source file as _LoadProgramF does, without running *MCRINIT;
// its compile messages go to the object's output hook.
[[nodiscard]] ErrNo LoadWithoutInit(QorMacro& m, const wchar_t* path) noexcept;
// Runs *MCRINIT as a load does, its output to the object's output hook.
void RunInit(QorMacro& m) noexcept;

}  // namespace msc::debug
