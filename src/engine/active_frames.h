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
// Frames of other threads (parallel tasks, other host threads) cannot be
// reached safely: they move on between statements without the object lock.
// So an edit is made only under an EditPermit, which holds the object lock
// and refuses the edit while any frame of the object is alive on another
// thread. A frame counts from its construction, before it first looks into
// the program, and every look into the program by a frame not yet counted
// (or by no frame) holds the object lock; so once a permit is granted no
// other thread can be holding a place in the program until it ends.
#pragma once

#include <cstdint>
#include <mutex>

#include "engine/frame.h"

class QorMacro;

namespace msc {

// How many frames of one object each thread has. A table of fixed size, so
// that counting never allocates; frames of threads beyond it count as
// every thread's others.
class FrameCensus {
 public:
  FrameCensus() noexcept = default;
  FrameCensus(const FrameCensus&) = delete;
  FrameCensus& operator=(const FrameCensus&) = delete;

  void Add(uintptr_t thread) noexcept;
  void Remove(uintptr_t thread) noexcept;
  // True while a thread other than this one has frames.
  [[nodiscard]] bool OthersThan(uintptr_t thread) noexcept;

 private:
  static constexpr int kThreads = 64;
  struct Entry {
    uintptr_t thread;
    int32_t frames;
  };
  std::mutex mutex_;
  Entry entries_[kThreads] = {};
  int32_t overflow_ = 0;
};

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

// Links a frame into its thread's list of running frames for its lifetime;
// the frame is counted under the thread from then on (a parallel task's
// frame is made by the thread that starts the block).
class ActiveFrame {
 public:
  explicit ActiveFrame(ExecFrame& f) noexcept;
  ~ActiveFrame();
  ActiveFrame(const ActiveFrame&) = delete;
  ActiveFrame& operator=(const ActiveFrame&) = delete;
  friend void RelocateFrames(QorMacro& m, const ProgramEdit& edit) noexcept;

  // This thread's running frames, innermost first.
  static ActiveFrame* Innermost() noexcept;
  ActiveFrame* Outer() const noexcept { return outer_; }
  ExecFrame& Frame() const noexcept { return frame_; }

 private:
  ExecFrame& frame_;
  ActiveFrame* outer_;
};

// Moves the places of this thread's frames of m after an edit of its program
// area (m.program already holds the new area).
void RelocateFrames(QorMacro& m, const ProgramEdit& edit) noexcept;

// The object lock held over one edit of the program, or over a whole load,
// and the answer whether the edit may be made. Refused while a frame of the
// object (a run, a parallel task, a variable access) is alive on another
// thread; the edit is then error 5. Within a granted permit, nested permits
// of the same thread are granted without asking again, so that a load is
// refused whole or not at all.
class EditPermit {
 public:
  explicit EditPermit(QorMacro& m) noexcept;
  ~EditPermit();
  EditPermit(const EditPermit&) = delete;
  EditPermit& operator=(const EditPermit&) = delete;

  [[nodiscard]] bool Granted() const noexcept { return granted_; }

 private:
  QorMacro& macro_;
  EditPermit* outer_;
  bool granted_;
};

// An empty line record followed by the end of the program: a frame sent
// there ends its run.
uint8_t* EndOfRunRecord() noexcept;

}  // namespace msc
