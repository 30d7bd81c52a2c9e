// Reference variables ("@" suffix) are read and written by name through the
// macro object's reference operations. Until a host binds them they refuse.
#include "variables/reference.h"

namespace msc {

ErrNo ReadReference(QorMacro&, const uint8_t*, Value&) noexcept { return kErrIllegalCall; }
ErrNo WriteReference(QorMacro&, const uint8_t*, Value&) noexcept { return kErrIllegalCall; }

}  // namespace msc
