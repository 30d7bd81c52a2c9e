#include "json_values.h"


#include "sim_internal.h"

namespace msc::sim {

Json ValueToJson(const AnyType& value) {
  switch (value.GetType()) {
    case AnyType::kInteger: return value.GetIntValue();
    case AnyType::kReal: return value.GetDoubleValue();
    case AnyType::kText: return ToUtf8(value.GetString());
    case AnyType::kBytes: {
      int32_t length = 0;
      const void* data = value.GetVariantData(&length);
      return BytesToJson(data != nullptr ? data : "", static_cast<size_t>(length));
    }
    case AnyType::kList: {
      Json list = Json::array();
      for (int32_t i = 0; i < value.GetCount(); ++i) {
        const AnyType* entry = const_cast<AnyType&>(value).GetDataPointer(i, 0);
        list.push_back(entry != nullptr ? ValueToJson(*entry) : Json());
      }
      return list;
    }
    default: return nullptr;
  }
}

bool JsonToValue(const Json& json, AnyType& value) {
  value.SetData(0, 0);
  switch (json.type()) {
    case Json::value_t::null: return true;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: {
      if (json.is_number_unsigned() ? json.get<uint64_t>() > INT32_MAX
                                    : json.get<int64_t>() < INT32_MIN || json.get<int64_t>() > INT32_MAX)
        return false;
      return value.SetData(static_cast<int32_t>(json.get<int64_t>())) == 0;
    }
    case Json::value_t::number_float: return value.SetData(json.get<double>()) == 0;
    case Json::value_t::string:
      return value.SetData(FromUtf8(json.get_ref<const std::string&>()).c_str()) == 0;
    case Json::value_t::array: {
      if (value.SetData(AnyType::kList, static_cast<int32_t>(json.size())) != 0) return false;
      for (size_t i = 0; i < json.size(); ++i) {
        AnyType* entry = value.GetDataPointer(static_cast<int32_t>(i), 1);
        if (entry == nullptr || !JsonToValue(json[i], *entry)) {
          value.SetData(0, 0);
          return false;
        }
      }
      return true;
    }
    case Json::value_t::object: {
      std::vector<uint8_t> bytes;
      if (!JsonToBytes(json, bytes)) return false;
      return value.SetData(bytes.data(), static_cast<int32_t>(bytes.size())) == 0;
    }
    default: return false;
  }
}

Json BytesToJson(const void* data, size_t size) {
  if (data == nullptr) return nullptr;
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * size);
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = static_cast<const uint8_t*>(data)[i];
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  Json json = Json::object();
  json["bytes"] = std::move(hex);
  return json;
}

bool JsonToBytes(const Json& json, std::vector<uint8_t>& bytes) {
  if (!json.is_object() || json.size() != 1 || !json.contains("bytes") || !json["bytes"].is_string())
    return false;
  const std::string& hex = json["bytes"].get_ref<const std::string&>();
  if (hex.size() % 2 != 0) return false;
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  bytes.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

Json TextToJson(const wchar_t* text) {
  if (text == nullptr) return nullptr;
  return ToUtf8(text);
}

}  // namespace msc::sim
