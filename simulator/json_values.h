// Controller values as JSON, for the call trace and the controller's data
// files: empty is null, an integer a JSON integer, a real a JSON number with
// a fraction or exponent (2.0 stays 2.0), a text a string, a list an array,
// and a byte block {"bytes": "0a1b..."} in hexadecimal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "macro_sc/host.h"

namespace msc::sim {

using Json = nlohmann::ordered_json;

Json ValueToJson(const AnyType& value);
// False (value left empty) for JSON that is no controller value: a boolean,
// an integer beyond 32 bits, an object other than {"bytes": HEX}.
bool JsonToValue(const Json& json, AnyType& value);

// {"bytes": HEX} of size bytes at data; null for a null block.
Json BytesToJson(const void* data, size_t size);
// The bytes of {"bytes": HEX}; false for anything else.
bool JsonToBytes(const Json& json, std::vector<uint8_t>& bytes);

// Wide text as a JSON string (UTF-8); null for a null pointer.
Json TextToJson(const wchar_t* text);

}  // namespace msc::sim
