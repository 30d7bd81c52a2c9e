// Placeholder handlers, replaced as the statements are written.
#include "statements/handlers.h"

namespace msc {

ErrNo StmtOption(ExecFrame&) noexcept { return 33; }

}  // namespace msc
