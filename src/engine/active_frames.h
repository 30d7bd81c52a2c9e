// The frames running on each thread, and the places they keep in the program
// moved when the program is edited under them.
//
// A run that stops at the debug console, or calls out to a host that runs a
// line of its own, nests a frame inside another on the same thread; a
// statement of either may edit the program (Delete, a numbered line typed
// at the console, Load, New), moving or freeing the line records that the
// frames point into. Each edit tells the frames of its thread: a place whose
// line is still there moves with it, and a place whose line is gone is sent
// to the end of the run, so the run ends when it gets back there.
//
// Frames of other threads (parallel tasks, other host threads) are not
// reached: an edit while they run is the host's to avoid.
#pragma once

#include <cstdint>

#include "engine/frame.h"

class QorMacro;

namespace msc {

// One edit of a program area, in offsets of the area before it: the bytes
// [start, end) were removed or replaced, and what followed them moved by
// delta. A cleared program leaves nothing.
struct ProgramEdit {
  uintptr_t oldBase;
  uint32_t oldUsed;
  uint32_t start;
  uint32_t end;
  int64_t delta;
  bool cleared;
};

// Links a frame into its thread's list of running frames for its lifetime.
class ActiveFrame {
 public:
  explicit ActiveFrame(ExecFrame& f) noexcept;
  ~ActiveFrame();
  ActiveFrame(const ActiveFrame&) = delete;
  ActiveFrame& operator=(const ActiveFrame&) = delete;
  friend void RelocateFrames(QorMacro& m, const ProgramEdit& edit) noexcept;

 private:
  ExecFrame& frame_;
  ActiveFrame* outer_;
};

// Moves the places of this thread's frames of m after an edit of its program
// area (m.program already holds the new area).
void RelocateFrames(QorMacro& m, const ProgramEdit& edit) noexcept;

// An empty line record followed by the end of the program: a frame sent
// there ends its run.
uint8_t* EndOfRunRecord() noexcept;

}  // namespace msc
