#include "values.h"

#include "engine/debug_hooks.h"
#include "macro_sc/macro_sc.h"

namespace msc::dap {
namespace {

// The kinds of variable, each a scope; its reference is its index + 1.
struct Kind {
  char suffix;
  const char* scope;
  uint8_t scalarTag;
  uint8_t arrayTag;  // 0: no arrays of the kind
};
constexpr Kind kKinds[] = {
    {'&', "Integers (&)", 0xE0, 0xE3},  // COUNT&, A&(n)
    {'#', "Doubles (#)", 0xE1, 0xE4},   // WIDTH#, A#(n)
    {'$', "Texts ($)", 0xE2, 0xE5},     // NAME$, A$(n)
    {'!', "Variants (!)", 0xE7, 0xE8},  // V!, A!(n)
    {'@', "References (@)", 0xE6, 0},   // R@
};
static_assert(std::size(kKinds) == 5 && kKinds[0].scalarTag == 0xE0 && kKinds[4].scalarTag == 0xE6);

// An editor asking for thousands of elements gets the first ones.
constexpr uint32_t kMaxElements = 1000;

std::string Subscripts(const std::vector<uint32_t>& fixed) {
  std::string s = "(";
  for (size_t i = 0; i < fixed.size(); ++i) s += (i ? "," : "") + std::to_string(fixed[i]);
  return s + ")";
}

}  // namespace

std::wstring Wide(const std::string& utf8) {
  std::wstring out;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= utf8.size()) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto n = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
      ok = ok && (n & 0xC0) == 0x80;
      c = (c << 6) | (n & 0x3F);
    }
    out += ok ? static_cast<wchar_t>(c) : L'\xFFFD';
    i += ok ? static_cast<size_t>(extra) + 1 : 1;
  }
  return out;
}

std::string Utf8(const wchar_t* wide) {
  std::string out;
  for (; wide != nullptr && *wide != 0; ++wide) {
    const auto c = static_cast<char32_t>(*wide);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Shown(const AnyType& value) {
  const std::string text = Utf8(value.GetString());
  if (value.GetType() != AnyType::kText) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string Unquoted(const std::string& typed) {
  if (typed.size() < 2 || typed.front() != '"' || typed.back() != '"') return typed;
  std::string out;
  for (size_t i = 1; i + 1 < typed.size(); ++i) {
    out += typed[i];
    if (typed[i] == '"' && typed[i + 1] == '"') ++i;
  }
  return out;
}

bool ReadShown(QorMacro& m, const std::string& name, std::string& shown) {
  AnyType value;
  if (_GetVariable(&m, Wide(name).c_str(), &value) != 0) return false;
  shown = Shown(value);
  return true;
}

nlohmann::json VariablesView::Scopes() const {
  nlohmann::json scopes = nlohmann::json::array();
  for (size_t i = 0; i < std::size(kKinds); ++i)
    scopes.push_back({{"name", kKinds[i].scope}, {"variablesReference", i + 1}, {"expensive", false}});
  return scopes;
}

int64_t VariablesView::Add(Part part) {
  arrays_.emplace(next_, std::move(part));
  return next_++;
}

bool VariablesView::Entries(QorMacro& m, int64_t reference, nlohmann::json& out) {
  out = nlohmann::json::array();
  const auto entry = [&out](const std::string& name, const std::string& value, const char* type, int64_t ref) {
    out.push_back({{"name", name}, {"value", value}, {"type", type}, {"variablesReference", ref}});
  };
  if (reference >= 1 && reference <= static_cast<int64_t>(std::size(kKinds))) {
    const Kind& kind = kKinds[reference - 1];
    for (debug::VariableInfo& v : debug::Variables(m)) {
      std::string shown;
      if (v.tag == kind.scalarTag) {
        if (!ReadShown(m, v.name, shown)) shown = "?";
        entry(v.name, shown, kind.scope, 0);
      } else if (kind.arrayTag != 0 && v.tag == kind.arrayTag) {
        if (v.extents.empty()) {
          entry(v.name + "()", "(not dimensioned)", "array", 0);
          continue;
        }
        std::vector<uint32_t> bounds;
        for (uint32_t e : v.extents) bounds.push_back(e - 1);
        const std::string dims = Subscripts(bounds);
        entry(v.name + "()", dims, "array", Add({v.name, std::move(v.extents), {}}));
      }
    }
    return true;
  }
  const auto it = arrays_.find(reference);
  if (it == arrays_.end()) return false;
  const Part part = it->second;  // Add may grow the map
  const uint32_t count = std::min(part.extents[part.fixed.size()], kMaxElements);
  const bool last = part.fixed.size() + 1 == part.extents.size();
  for (uint32_t i = 0; i < count; ++i) {
    std::vector<uint32_t> fixed = part.fixed;
    fixed.push_back(i);
    const std::string index = "(" + std::to_string(i) + ")";
    if (last) {
      std::string shown;
      if (!ReadShown(m, part.name + Subscripts(fixed), shown)) shown = "?";
      entry(index, shown, "element", 0);
    } else {
      entry(index, "row", "row", Add({part.name, part.extents, std::move(fixed)}));
    }
  }
  return true;
}

std::string VariablesView::NameOf(int64_t reference, const std::string& name) const {
  if (reference >= 1 && reference <= static_cast<int64_t>(std::size(kKinds))) return name;
  const auto it = arrays_.find(reference);
  if (it == arrays_.end() || name.size() < 3 || name.front() != '(' || name.back() != ')') return "";
  std::vector<uint32_t> fixed = it->second.fixed;
  fixed.push_back(static_cast<uint32_t>(std::strtoul(name.c_str() + 1, nullptr, 10)));
  return it->second.name + Subscripts(fixed);
}

}  // namespace msc::dap
