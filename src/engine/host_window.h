// Calls to the host from inside an evaluation, made with the object lock
// released.
//
// An evaluation holds the object lock, often several times over (the run's
// hold, the assignment's, an argument's). A host that calls back into the
// object from another thread, or waits for a thread that does, would
// deadlock against a run that kept it, so a call to the host frees the lock
// altogether and takes it back as deeply afterwards.
//
// While it is free, other threads may assign any variable. The values of
// the evaluation that wait for it to go on and still borrow a variable's
// storage (an operand waiting for its right side, the arguments read so
// far) are registered in their frame as pending operands, and are copied
// into values of their own before the lock is freed. Should a copy fail for
// lack of memory, the call is made with the lock kept, as is safe.
#pragma once

#include <cstdint>

#include "engine/frame.h"
#include "engine/value.h"

class QorMacro;

namespace msc {

// Registers count values (kept in an array) as pending operands of f for the
// scope's lifetime. Values that borrow nothing when the host is called
// cost nothing more.
class PendingOperands {
 public:
  PendingOperands(ExecFrame& f, Value* values, int count) noexcept
      : frame_(f), values_(values), count_(count), outer_(f.pending) {
    f.pending = this;
  }
  ~PendingOperands() { frame_.pending = outer_; }
  PendingOperands(const PendingOperands&) = delete;
  PendingOperands& operator=(const PendingOperands&) = delete;

  // Copies the borrowing values; false when memory ran out.
  [[nodiscard]] bool Detach() noexcept;
  PendingOperands* Outer() const noexcept { return outer_; }

 private:
  ExecFrame& frame_;
  Value* values_;
  int count_;
  PendingOperands* outer_;
};

// The object lock freed for the scope's lifetime when this thread holds it.
class HostWindow {
 public:
  explicit HostWindow(QorMacro& m) noexcept;
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

 private:
  QorMacro& macro_;
  uint32_t depth_ = 0;  // times the lock was held, and is taken again
};

// Makes one call to the host in a HostWindow and gives back its result.
template <class Call>
auto CallHost(QorMacro& m, Call&& call) noexcept -> decltype(call()) {
  const HostWindow window(m);
  return call();
}

}  // namespace msc
