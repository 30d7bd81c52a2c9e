#include "controller_files.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sim_internal.h"

namespace msc::sim::files {
namespace {

// Every file names what it holds, so that a scene file never loads as a unit.
constexpr const char* kFormat = "macro-sc controller data";

std::string PathOf(const wchar_t* file) {
  if (file == nullptr || *file == L'\0') return {};
  std::wstring name = file;
  for (wchar_t& ch : name)
    if (ch == L'\\') ch = L'/';
  return ResolveConfigFile(name.c_str());
}

bool WriteFile(const wchar_t* file, const char* kind, Json body) {
  const std::string path = PathOf(file);
  if (path.empty()) return false;
  Json json = Json::object();
  json["format"] = kFormat;
  json["kind"] = kind;
  json[kind] = std::move(body);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << json.dump(1) << '\n';
  out.close();
  return static_cast<bool>(out);
}

// The body of a file of the kind; null when the file cannot be read or
// holds another kind.
Json ReadFile(const wchar_t* file, const char* kind) {
  const std::string path = PathOf(file);
  if (path.empty()) return nullptr;
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  const Json json = Json::parse(in, nullptr, false);
  if (!json.is_object() || json.value("format", "") != kFormat || json.value("kind", "") != kind ||
      !json.contains(kind))
    return nullptr;
  return json[kind];
}

Json Text(const std::wstring& text) { return ToUtf8(text); }

bool GetText(const Json& json, const char* key, std::wstring& out) {
  if (!json.contains(key)) return true;  // absent: empty
  if (!json[key].is_string()) return false;
  out = FromUtf8(json[key].get<std::string>());
  return true;
}

Json BlocksToJson(const std::map<int32_t, Bytes>& blocks) {
  Json json = Json::object();
  for (const auto& [number, bytes] : blocks)
    json[std::to_string(number)] = BytesToJson(bytes.data(), bytes.size());
  return json;
}

// Objects keyed by decimal numbers.
template <class Fn>
bool ForNumbered(const Json& json, Fn&& fn) {
  if (!json.is_object()) return false;
  for (const auto& [key, value] : json.items()) {
    size_t used = 0;
    int number = 0;
    try {
      number = std::stoi(key, &used);
    } catch (...) {
      return false;
    }
    if (used != key.size() || !fn(static_cast<int32_t>(number), value)) return false;
  }
  return true;
}

bool JsonToBlocks(const Json& json, std::map<int32_t, Bytes>& blocks) {
  return ForNumbered(json, [&](int32_t number, const Json& value) {
    return JsonToBytes(value, blocks[number]);
  });
}

// Lists (a unit's results, a scene's units) as arrays, each entry by write.
template <class T, class Fn>
Json ListToJson(const std::vector<T>& list, Fn&& write) {
  Json json = Json::array();
  for (const T& entry : list) json.push_back(write(entry));
  return json;
}

// An optional array under key into a list, each entry by read; false when
// it is no array or an entry is refused.
template <class T, class Fn>
bool JsonToList(const Json& json, const char* key, std::vector<T>& list, Fn&& read) {
  if (!json.contains(key)) return true;
  if (!json[key].is_array()) return false;
  for (const Json& entry : json[key])
    if (!read(entry, list.emplace_back())) return false;
  return true;
}

Json UnitToJson(const Unit& u) {
  Json json = Json::object();
  json["kind"] = Text(u.kind);
  json["title"] = Text(u.title);
  json["data"] = ItemsToJson(u.data);
  json["initial"] = ItemsToJson(u.initial);
  json["results"] = ListToJson(u.results, ItemsToJson);
  json["measured"] = u.measured;
  json["figures"] = BlocksToJson(u.figures);
  json["models"] = BlocksToJson(u.models);
  return json;
}

bool JsonToUnit(const Controller& c, const Json& json, Unit& u) {
  if (!json.is_object() || !GetText(json, "kind", u.kind) || c.FindKind(u.kind) == nullptr ||
      !GetText(json, "title", u.title))
    return false;
  if (json.contains("data") && !JsonToItems(json["data"], u.data)) return false;
  if (json.contains("initial") && !JsonToItems(json["initial"], u.initial)) return false;
  if (!JsonToList(json, "results", u.results, JsonToItems)) return false;
  if (json.contains("measured")) {
    if (!json["measured"].is_number_unsigned()) return false;
    u.measured = json["measured"].get<uint64_t>();
  }
  if (json.contains("figures") && !JsonToBlocks(json["figures"], u.figures)) return false;
  if (json.contains("models") && !JsonToBlocks(json["models"], u.models)) return false;
  return true;
}

Json SceneToJson(const Scene& s) {
  Json json = Json::object();
  json["title"] = Text(s.title);
  json["maker"] = Text(s.maker);
  json["description"] = Text(s.description);
  json["data"] = ItemsToJson(s.data);
  json["units"] = ListToJson(s.units, UnitToJson);
  return json;
}

bool JsonToScene(const Controller& c, const Json& json, Scene& s) {
  if (!json.is_object() || !GetText(json, "title", s.title) || !GetText(json, "maker", s.maker) ||
      !GetText(json, "description", s.description))
    return false;
  if (json.contains("data") && !JsonToItems(json["data"], s.data)) return false;
  const auto readUnit = [&c](const Json& u, Unit& out) { return JsonToUnit(c, u, out); };
  if (!JsonToList(json, "units", s.units, readUnit)) return false;
  return true;
}

Json GroupToJson(const SceneGroup& g) {
  Json json = Json::object();
  json["title"] = Text(g.title);
  Json scenes = Json::object();
  for (const auto& [number, scene] : g.scenes) scenes[std::to_string(number)] = SceneToJson(scene);
  json["scenes"] = std::move(scenes);
  return json;
}

bool JsonToGroup(const Controller& c, const Json& json, SceneGroup& g) {
  if (!json.is_object() || !GetText(json, "title", g.title)) return false;
  if (!json.contains("scenes")) return true;
  return ForNumbered(json["scenes"], [&](int32_t number, const Json& scene) {
    return number >= 0 && number < c.sceneCount && JsonToScene(c, scene, g.scenes[number]);
  });
}

Json SystemToJson(const Controller& c) {
  Json json = Json::array();
  for (const auto& [key, value] : c.system) {
    Json entry = Json::object();
    entry["section"] = Text(key.first);
    entry["name"] = Text(key.second);
    entry["value"] = ValueToJson(value);
    json.push_back(std::move(entry));
  }
  return json;
}

bool JsonToSystem(const Json& json, std::map<SystemKey, AnyType>& system) {
  if (!json.is_array()) return false;
  for (const Json& entry : json) {
    std::wstring section, name;
    if (!entry.is_object() || !GetText(entry, "section", section) || !GetText(entry, "name", name) ||
        !JsonToValue(entry.value("value", Json()), system[{section, name}]))
      return false;
  }
  return true;
}

}  // namespace

Json ItemsToJson(const DataItems& items) {
  Json json = Json::object();
  for (const auto& [name, value] : items) json[ToUtf8(name)] = ValueToJson(value);
  return json;
}

bool JsonToItems(const Json& json, DataItems& items) {
  if (!json.is_object()) return false;
  for (const auto& [name, value] : json.items())
    if (!JsonToValue(value, items[FromUtf8(name)])) return false;
  return true;
}

bool SaveSystem(const Controller& c, const wchar_t* file) {
  return WriteFile(file, "system", SystemToJson(c));
}

bool LoadSystem(Controller& c, const wchar_t* file) {
  std::map<SystemKey, AnyType> system;
  if (!JsonToSystem(ReadFile(file, "system"), system)) return false;
  c.system = std::move(system);
  return true;
}

bool SaveGroup(Controller& c, int32_t group, const wchar_t* file) {
  return WriteFile(file, "scene group", GroupToJson(c.groups[group]));
}

bool LoadGroup(Controller& c, int32_t group, const wchar_t* file) {
  SceneGroup g;
  if (!JsonToGroup(c, ReadFile(file, "scene group"), g)) return false;
  c.groups[group] = std::move(g);
  return true;
}

bool SaveScene(Controller& c, int32_t scene, const wchar_t* file) {
  return WriteFile(file, "scene", SceneToJson(c.groups[c.group].scenes[scene]));
}

bool LoadScene(Controller& c, int32_t scene, const wchar_t* file) {
  Scene s;
  if (!JsonToScene(c, ReadFile(file, "scene"), s)) return false;
  c.groups[c.group].scenes[scene] = std::move(s);
  return true;
}

bool SaveUnit(Controller& c, int32_t group, int32_t scene, int32_t unit, const wchar_t* file) {
  const auto& units = c.groups[group].scenes[scene].units;
  if (unit < 0 || static_cast<size_t>(unit) >= units.size()) return false;
  return WriteFile(file, "unit", UnitToJson(units[static_cast<size_t>(unit)]));
}

bool LoadUnit(Controller& c, int32_t group, int32_t scene, int32_t unit, bool insert,
              const wchar_t* file) {
  auto& units = c.groups[group].scenes[scene].units;
  if (unit < 0 || static_cast<size_t>(unit) > units.size()) return false;
  Unit u;
  if (!JsonToUnit(c, ReadFile(file, "unit"), u)) return false;
  if (insert || static_cast<size_t>(unit) == units.size())
    units.insert(units.begin() + unit, std::move(u));
  else
    units[static_cast<size_t>(unit)] = std::move(u);
  return true;
}

bool SaveBackup(const Controller& c, const wchar_t* file) {
  Json json = Json::object();
  json["system"] = SystemToJson(c);
  json["global"] = ItemsToJson(c.global);
  Json groups = Json::object();
  for (const auto& [number, group] : c.groups) groups[std::to_string(number)] = GroupToJson(group);
  json["groups"] = std::move(groups);
  json["group"] = c.group;
  json["scene"] = c.scene;
  return WriteFile(file, "backup", std::move(json));
}

bool LoadBackup(Controller& c, const wchar_t* file) {
  const Json json = ReadFile(file, "backup");
  if (!json.is_object()) return false;
  std::map<SystemKey, AnyType> system;
  DataItems global;
  std::map<int32_t, SceneGroup> groups;
  const int32_t group = json.value("group", 0), scene = json.value("scene", 0);
  if (!JsonToSystem(json.value("system", Json::array()), system) ||
      !JsonToItems(json.value("global", Json::object()), global) ||
      !ForNumbered(json.value("groups", Json::object()),
                   [&](int32_t number, const Json& g) {
                     return number >= 0 && number < c.groupCount && JsonToGroup(c, g, groups[number]);
                   }) ||
      group < 0 || group >= c.groupCount || scene < 0 || scene >= c.sceneCount)
    return false;
  c.system = std::move(system);
  c.global = std::move(global);
  c.groups = std::move(groups);
  c.group = group;
  c.scene = scene;
  return true;
}

bool WriteImage(const wchar_t* file, int32_t width, int32_t height) {
  const std::string path = PathOf(file);
  if (path.empty() || width <= 0 || height <= 0) return false;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "P5\n" << width << ' ' << height << "\n255\n";
  std::string row(static_cast<size_t>(width), '\0');
  for (int32_t x = 0; x < width; ++x) row[static_cast<size_t>(x)] = static_cast<char>(x * 255 / width);
  for (int32_t y = 0; y < height; ++y) out << row;
  out.close();
  return static_cast<bool>(out);
}

}  // namespace msc::sim::files
