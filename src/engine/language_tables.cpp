// The operator views of the language tables; the statement, function and
// error views live beside their tables.
#include "engine/language_tables.h"

#include "engine/operators.h"

namespace msc::lang {

std::span<const OperatorDoc> Operators() noexcept { return kOperatorDocs; }

int OperatorBinding(uint8_t code) noexcept { return code < kBinding.size() ? kBinding[code] : 100; }

}  // namespace msc::lang
