// Placeholder handlers, replaced as the statements are written.
#include "statements/handlers.h"

namespace msc {

ErrNo StmtCont(ExecFrame&) noexcept { return 33; }
ErrNo StmtDebug(ExecFrame&) noexcept { return 33; }
ErrNo StmtKeyword(ExecFrame&) noexcept { return 33; }
ErrNo StmtList(ExecFrame&) noexcept { return 33; }
ErrNo StmtLoad(ExecFrame&) noexcept { return 33; }
ErrNo StmtPrint(ExecFrame&) noexcept { return 33; }
ErrNo StmtSave(ExecFrame&) noexcept { return 33; }
ErrNo StmtStop(ExecFrame&) noexcept { return 33; }
ErrNo StmtWait(ExecFrame&) noexcept { return 33; }
ErrNo StmtSetStop(ExecFrame&) noexcept { return 33; }
ErrNo StmtDebugPrint(ExecFrame&) noexcept { return 33; }

}  // namespace msc
