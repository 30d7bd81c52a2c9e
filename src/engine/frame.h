// The execution frame: the state of one thread of execution.
//
// Control stack (1024 bytes, growing downward from the end of the area):
//
//   stack ......... [entry][entry]...[entry] end
//                   ^top                      ^stack + 1024
//   entry:  +0 u16 tag (token code of the statement that pushed it)
//           +2 u16 payload length n
//           +4 n   payload
//
// A "Select" entry (tag 0x803D) whose first payload word is 2 owns a heap copy
// of its selector text, stored after the second word; popping it frees the copy.
#pragma once

#include <atomic>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>

class QorMacro;

namespace msc {

inline constexpr size_t kControlStackSize = 1024;

// Counts a frame in its object's census for its lifetime, under the thread
// it was made on, or the thread that runs it (see active_frames.h: a program
// edit asks whether frames of other threads may be pointing into the
// program).
class FrameCount {
 public:
  explicit FrameCount(QorMacro* m) noexcept;
  ~FrameCount();
  FrameCount(const FrameCount&) = delete;
  FrameCount& operator=(const FrameCount&) = delete;

  // Counts the frame under the calling thread from now on.
  void MoveToThisThread() noexcept;

 private:
  QorMacro* const counted_;
  uintptr_t thread_;
};

class PendingOperands;

// How far the dispatcher goes on by itself after a line; ordered, so that
// a decoded jump can say with one number from which mode on it may land
// past its target's label lines.
enum class LineFollow : uint8_t {
  kStayOnLine,      // returns at the end of the line
  kToTaskBoundary,  // goes on into the following lines, but stops before a Task or End ParallelExecute line
  kFollowLines,     // goes on into the following lines (the run loop)
  kNever,           // a mode no frame has
};

struct ExecFrame {
  const uint8_t* pos = nullptr;         // next byte of the current line's code
  const uint8_t* tokenStart = nullptr;  // where the last token read began
  uint8_t* line = nullptr;              // current line record
  uint32_t blockContext = 1;            // 0 while the Then branch of a one-line If runs
  uint32_t stepFlag = 0;                // 1 while single-stepping
  uint32_t stepMode = 0;                // 0 none, 1 continue, 2 into, 3 over, 4 out
  uint32_t evalDepth = 0;               // operands being evaluated, bounded to protect the stack
  LineFollow follows = LineFollow::kStayOnLine;  // how far the dispatcher goes on by itself
  uint32_t epoch = 0;                   // interrupt epoch the run started in
  const std::atomic<uint32_t>* epochNow = nullptr;  // the object's epoch, once the run is registered
  QorMacro* macro = nullptr;
  PendingOperands* pending = nullptr;   // values an evaluation keeps (host_window.h)
  // The entries grow down from stack + kControlStackSize. The 4 bytes past
  // that stay 0 and are read as the tag of the top entry when the stack is
  // empty: no entry's tag is 0, so asking for the top entry needs no test
  // for an empty stack.
  alignas(8) uint8_t stack[kControlStackSize + 4];
  uint8_t* top = stack + kControlStackSize;
  FrameCount counted;

  explicit ExecFrame(QorMacro* m) noexcept : macro(m), counted(m) { std::memset(stack + kControlStackSize, 0, 4); }
  ExecFrame(const ExecFrame&) = delete;
  ExecFrame& operator=(const ExecFrame&) = delete;
  ~ExecFrame() { Unwind(); }

  uint8_t* StackEnd() noexcept { return stack + kControlStackSize; }
  bool StackEmpty() const noexcept { return top == stack + kControlStackSize; }

  // Pushes an entry and returns its payload, or null (the caller reports 103)
  // when it would not fit; the top is unchanged then.
  // Inline: with the payload length known where it is called, the zeroing
  // is a few stores (Gosub and For push on every call and loop).
  [[nodiscard]] uint8_t* Push(uint16_t tag, uint16_t payloadLength) noexcept {
    const size_t need = 4 + size_t{payloadLength};
    assert(tag != 0);
    if (static_cast<size_t>(top - stack) < need) return nullptr;
    top -= need;
    std::memcpy(top, &tag, 2);
    std::memcpy(top + 2, &payloadLength, 2);
    // A zeroed payload keeps a half-filled Select entry from freeing garbage.
    std::memset(top + 4, 0, payloadLength);
    return top + 4;
  }
  // Push for a caller that writes every byte of the payload itself.
  [[nodiscard]] uint8_t* PushFilled(uint16_t tag, uint16_t payloadLength) noexcept {
    assert(tag != 0);
    const size_t need = 4 + size_t{payloadLength};
    if (static_cast<size_t>(top - stack) < need) return nullptr;
    top -= need;
    std::memcpy(top, &tag, 2);
    std::memcpy(top + 2, &payloadLength, 2);
    return top + 4;
  }
  // Payload of the top entry when its tag is the given code, else null.
  // Inline: Next and Loop ask on every pass.
  [[nodiscard]] uint8_t* TopEntry(uint16_t tag) noexcept {
    assert(tag != 0);
    assert(top != StackEnd() || (top[0] == 0 && top[1] == 0));
    uint16_t t;
    std::memcpy(&t, top, sizeof t);
    return t == tag ? top + 4 : nullptr;
  }
  // Nearest entry with the tag, popping every entry above it; null (and nothing
  // popped) when there is none.
  [[nodiscard]] uint8_t* FindEntry(uint16_t tag) noexcept;
  // Removes the top entry; -1 when the stack is empty.
  int Pop() noexcept;
  // Pops entries until the top is at base (null base: the empty stack).
  void PopTo(uint8_t* base) noexcept;
  void Unwind() noexcept { PopTo(nullptr); }
  // Takes over another frame's position and step state with an empty stack.
  void CopyFrom(const ExecFrame& other) noexcept;
};

}  // namespace msc
