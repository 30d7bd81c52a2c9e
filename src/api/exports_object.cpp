// Creation and destruction of macro objects, the first two exports.
#include <new>

#include "api/config.h"
#include "api/qor_macro.h"
#include "macro_sc/macro_sc.h"

QorMacro* _CreateQorMacro(HostInterface* host) {
  try {
    if (!msc::ConfigureProcess()) return nullptr;
    QorMacro* m = new (std::nothrow) _QorMacro(host, GetQorCoreRA());
    if (m == nullptr) return nullptr;
    // The program area and the first variable block are the object's
    // minimum; without them creation fails and nothing stays allocated.
    if (m->program.data == nullptr || m->variables.First() == nullptr) {
      delete m;
      return nullptr;
    }
    return m;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void _DeleteQorMacro(QorMacro* macro) { delete macro; }

int32_t _InterruptQorMacro(QorMacro* macro) {
  if (macro == nullptr) return -1;
  msc::InterruptRuns(*macro);
  return 0;
}
