// The object lock freed around calls to the host.
#include "engine/host_window.h"

#include "api/qor_macro.h"
#include "engine/active_frames.h"

namespace msc {
namespace {

bool Borrows(const Value& v) noexcept {
  return v.type == kVarText || (v.type == kBytes && v.block == nullptr);
}

// Copies the borrowing pending operands of every running frame of m on this
// thread (a run stopped at the debug console, or calling out to a host that
// runs a line of its own, nests one frame in another).
bool DetachAll(QorMacro& m) noexcept {
  for (ActiveFrame* a = ActiveFrame::Innermost(); a != nullptr; a = a->Outer()) {
    if (a->Frame().macro != &m) continue;
    for (PendingOperands* p = a->Frame().pending; p != nullptr; p = p->Outer())
      if (!p->Detach()) return false;
  }
  return true;
}

}  // namespace

bool PendingOperands::Detach() noexcept {
  for (int i = 0; i < count_; ++i) {
    Value& v = values_[i];
    if (!Borrows(v)) continue;
    // The copy is made from the borrowed storage before the value lets go of it.
    const char* const borrowed = v.text;
    const auto length = static_cast<size_t>(v.count);
    const ErrNo e = v.type == kVarText ? v.SetOwnedText(borrowed, length) : v.SetBytes(borrowed, length);
    if (e != kOk) return false;
  }
  return true;
}

HostWindow::HostWindow(QorMacro& m) noexcept : macro_(m) {
  if (!m.lock.OwnedByThisThread() || !DetachAll(m)) return;
  while (m.lock.OwnedByThisThread()) {
    m.lock.unlock();
    ++depth_;
  }
}

HostWindow::~HostWindow() {
  for (uint32_t i = 0; i < depth_; ++i) macro_.lock.lock();
}

}  // namespace msc
