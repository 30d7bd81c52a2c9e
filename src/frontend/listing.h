// Lists a compiled line back as source text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace msc {

// Writes the text of the record into out (capacity bytes, zero-terminated,
// cut rather than overrun) and returns its length. With lineNumber given, the
// number is stored there and, when not 0, written in decimal at the start.
size_t ListLine(const uint8_t* record, char* out, size_t capacity,
                uint32_t* lineNumber = nullptr) noexcept;

}  // namespace msc
