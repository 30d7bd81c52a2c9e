// Option Explicit / Option Executable. The compiler applies both options when
// it meets the line; running it only checks the word after Option.
#include "frontend/keywords.h"
#include "frontend/token_reader.h"
#include "statements/handlers.h"

namespace msc {

ErrNo StmtOption(ExecFrame& f) noexcept {
  Token t;
  if (ReadToken(f, t) != kind::Keyword) return kErrSyntax;
  if (t.code != tok::Explicit && t.code != tok::Executable) return kErrSyntax;
  return kOk;
}

}  // namespace msc
