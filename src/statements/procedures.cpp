// Placeholder handlers, replaced as the statements are written.
#include "statements/handlers.h"

namespace msc {

ErrNo StmtEndSub(ExecFrame&) noexcept { return 33; }
ErrNo StmtGosub(ExecFrame&) noexcept { return 33; }
ErrNo StmtOn(ExecFrame&) noexcept { return 33; }
ErrNo StmtReturn(ExecFrame&) noexcept { return 33; }
ErrNo StmtRun(ExecFrame&) noexcept { return 33; }
ErrNo StmtSub(ExecFrame&) noexcept { return 33; }

}  // namespace msc
