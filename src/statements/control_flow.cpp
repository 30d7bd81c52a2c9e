// Placeholder handlers, replaced as the statements are written.
#include "statements/handlers.h"

namespace msc {

ErrNo StmtCase(ExecFrame&) noexcept { return 33; }
ErrNo StmtDo(ExecFrame&) noexcept { return 33; }
ErrNo StmtElse(ExecFrame&) noexcept { return 33; }
ErrNo StmtElseif(ExecFrame&) noexcept { return 33; }
ErrNo StmtEndIf(ExecFrame&) noexcept { return 33; }
ErrNo StmtEndSelect(ExecFrame&) noexcept { return 33; }
ErrNo StmtExit(ExecFrame&) noexcept { return 33; }
ErrNo StmtFor(ExecFrame&) noexcept { return 33; }
ErrNo StmtGoto(ExecFrame&) noexcept { return 33; }
ErrNo StmtIf(ExecFrame&) noexcept { return 33; }
ErrNo StmtLoop(ExecFrame&) noexcept { return 33; }
ErrNo StmtNext(ExecFrame&) noexcept { return 33; }
ErrNo StmtSelect(ExecFrame&) noexcept { return 33; }

}  // namespace msc
