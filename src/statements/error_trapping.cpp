// Placeholder handlers, replaced as the statements are written.
#include "statements/handlers.h"

namespace msc {

ErrNo StmtCatch(ExecFrame&) noexcept { return 33; }
ErrNo StmtEndTry(ExecFrame&) noexcept { return 33; }
ErrNo StmtTry(ExecFrame&) noexcept { return 33; }

}  // namespace msc
