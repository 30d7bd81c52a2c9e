#include "frontend/compile_observer.h"

#include "platform/console.h"

namespace msc {
namespace {
thread_local CompileObserver* t_observer = nullptr;
}  // namespace

ObserveCompiles::ObserveCompiles(CompileObserver& observer) noexcept : outer_(t_observer) {
  t_observer = &observer;
}

ObserveCompiles::~ObserveCompiles() { t_observer = outer_; }

CompileObserver* CurrentCompileObserver() noexcept { return t_observer; }

void CompileMessage(const char* text) noexcept {
  if (t_observer != nullptr) t_observer->Message(text);
  else platform::ConsolePrint(text);
}

}  // namespace msc
