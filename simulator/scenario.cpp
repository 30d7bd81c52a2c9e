// Scenario files: the simulated controller's starting state in TOML. The
// README's "The simulated controller" describes the format; every table and
// key is checked, so that a misspelt name is an error with its place rather
// than a setting silently ignored.
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <toml++/toml.h>

#include "front.h"
#include "model.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {
namespace {

// A scenario error: the message and where it points.
struct ScenarioError {
  toml::source_position where;
  std::string message;
};

[[noreturn]] void Fail(const toml::node& node, std::string message) {
  throw ScenarioError{node.source().begin, std::move(message)};
}

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

// Rejects keys of a table that are not among the known ones.
void OnlyKeys(const toml::table& table, std::initializer_list<std::string_view> known,
              std::string_view where) {
  for (const auto& [key, node] : table) {
    bool ok = false;
    for (std::string_view k : known) ok = ok || key.str() == k;
    if (!ok) throw ScenarioError{key.source().begin, "unknown key " + Quoted(key.str()) + " in " + std::string(where)};
  }
}

const toml::table& Table(const toml::node& node, std::string_view what) {
  if (const toml::table* t = node.as_table()) return *t;
  Fail(node, std::string(what) + " must be a table");
}

const toml::array& Array(const toml::node& node, std::string_view what) {
  if (const toml::array* a = node.as_array()) return *a;
  Fail(node, std::string(what) + " must be an array");
}

// An array of tables ([[name]]), or nothing.
std::vector<const toml::table*> Tables(const toml::table& parent, std::string_view key) {
  std::vector<const toml::table*> tables;
  const toml::node* node = parent.get(key);
  if (node == nullptr) return tables;
  const toml::array* array = node->as_array();
  if (array == nullptr) Fail(*node, Quoted(key) + " must be an array of tables ([[" + std::string(key) + "]])");
  for (const toml::node& t : *array) tables.push_back(&Table(t, Quoted(key) + " entry"));
  return tables;
}

int32_t Integer(const toml::node& node, std::string_view what, int64_t low = INT32_MIN,
                int64_t high = INT32_MAX) {
  const auto* v = node.as_integer();
  if (v == nullptr) Fail(node, std::string(what) + " must be an integer");
  if (v->get() < low || v->get() > high)
    Fail(node, std::string(what) + " must lie in " + std::to_string(low) + " to " + std::to_string(high));
  return static_cast<int32_t>(v->get());
}

std::wstring Text(const toml::node& node, std::string_view what) {
  const auto* v = node.as_string();
  if (v == nullptr) Fail(node, std::string(what) + " must be a string");
  return FromUtf8(v->get());
}

bool Boolean(const toml::node& node, std::string_view what) {
  const auto* v = node.as_boolean();
  if (v == nullptr) Fail(node, std::string(what) + " must be true or false");
  return v->get();
}

// Optional members of a table.
template <class Fn>
void With(const toml::table& table, std::string_view key, Fn&& fn) {
  if (const toml::node* node = table.get(key)) fn(*node);
}

Bytes HexBytes(const toml::node& node, std::string_view hex) {
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (hex.size() % 2 != 0) Fail(node, "bytes need an even number of hexadecimal digits");
  Bytes bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) Fail(node, "bytes are written in hexadecimal digits");
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return bytes;
}

// A controller value: an integer (32 bits), a float, a string, an array of
// values (a list), or { bytes = "HEX" } (a byte block).
void Value(const toml::node& node, AnyType& value) {
  if (const auto* i = node.as_integer()) {
    value.SetData(Integer(*i, "an integer value"));
  } else if (const auto* f = node.as_floating_point()) {
    value.SetData(f->get());
  } else if (const auto* s = node.as_string()) {
    value.SetData(FromUtf8(s->get()).c_str());
  } else if (const auto* a = node.as_array()) {
    value.SetData(AnyType::kList, static_cast<int32_t>(a->size()));
    for (size_t k = 0; k < a->size(); ++k)
      Value(*a->get(k), *value.GetDataPointer(static_cast<int32_t>(k), 1));
  } else if (const auto* t = node.as_table()) {
    OnlyKeys(*t, {"bytes"}, "a bytes value");
    const toml::node* hex = t->get("bytes");
    if (hex == nullptr || !hex->is_string()) Fail(node, "a table value is { bytes = \"HEX\" }");
    const Bytes bytes = HexBytes(*hex, hex->as_string()->get());
    value.SetData(bytes.data(), static_cast<int32_t>(bytes.size()));
  } else {
    Fail(node, "a value is an integer, a float, a string, an array or { bytes = \"HEX\" }");
  }
}

// Named values: NAME = value.
DataItems Items(const toml::node& node, std::string_view what) {
  DataItems items;
  for (const auto& [key, value] : Table(node, what)) Value(value, items[FromUtf8(std::string(key.str()))]);
  return items;
}

// Items of a unit must be items of its kind.
void CheckItems(const Controller& c, const Unit& unit, const DataItems& items, const toml::node& node) {
  for (const auto& [name, value] : items) {
    std::wstring checked;
    if (!c.ItemName(unit, name.c_str(), checked))
      Fail(node, "a unit of kind " + Quoted(ToUtf8(unit.kind)) + " has no data item " + Quoted(ToUtf8(name)));
  }
}

// Keys that are numbers ({ 0 = ..., 1 = ... }).
template <class Fn>
void Numbered(const toml::node& node, std::string_view what, Fn&& fn) {
  for (const auto& [key, value] : Table(node, what)) {
    const std::string k(key.str());
    size_t used = 0;
    long n = -1;
    try {
      n = std::stol(k, &used);
    } catch (...) {
      used = 0;
    }
    if (used != k.size() || n < INT32_MIN || n > INT32_MAX)
      Fail(value, std::string(what) + " are keyed by numbers, not " + Quoted(k));
    fn(static_cast<int32_t>(n), value);
  }
}

InputSequence Inputs(const toml::node& node, std::string_view what) {
  InputSequence s;
  if (const toml::array* a = node.as_array()) {
    if (a->empty()) Fail(node, std::string(what) + " needs at least one value");
    for (const toml::node& v : *a) s.values.push_back(Integer(v, what));
  } else {
    s.values.push_back(Integer(node, what));
  }
  return s;
}

class ScenarioReader {
 public:
  explicit ScenarioReader(Controller& c) : c_(c) {}

  void Read(const toml::table& root) {
    OnlyKeys(root, {"controller", "image", "strings", "system", "global", "item", "group", "scene",
                    "channel", "fault", "delay"},
             "the scenario");
    With(root, "controller", [&](const toml::node& n) { ReadController(Table(n, "[controller]")); });
    With(root, "image", [&](const toml::node& n) { ReadImage(Table(n, "[image]")); });
    With(root, "strings", [&](const toml::node& n) {
      for (const auto& [key, text] : Table(n, "[strings]"))
        c_.strings[FromUtf8(std::string(key.str()))] = Text(text, "a string of [strings]");
    });
    With(root, "system", [&](const toml::node& n) {
      for (const auto& [section, items] : Table(n, "[system]"))
        for (auto& [name, value] : Items(items, "a section of [system]"))
          c_.system[{FromUtf8(std::string(section.str())), name}] = value;
    });
    With(root, "global", [&](const toml::node& n) { c_.global = Items(n, "[global]"); });
    if (root.get("item") != nullptr) {
      c_.items.clear();
      for (const toml::table* t : Tables(root, "item")) ReadItem(*t);
    }
    for (const toml::table* t : Tables(root, "group")) ReadGroup(*t);
    for (const toml::table* t : Tables(root, "scene")) ReadScene(*t);
    if (root.get("channel") != nullptr) {
      c_.channels.clear();
      for (const toml::table* t : Tables(root, "channel")) ReadChannel(*t);
    }
    for (const toml::table* t : Tables(root, "fault")) ReadFault(*t);
    for (const toml::table* t : Tables(root, "delay")) ReadDelay(*t);
    if (c_.group >= c_.groupCount || c_.scene >= c_.sceneCount)
      Fail(*root.get("controller"), "the current scene group or scene lies beyond the counts");
  }

  std::vector<Fault> faults;
  std::vector<Delay> delays;
  std::optional<std::wstring> language;
  std::vector<std::pair<int, int>> systemInfo;

 private:
  void ReadController(const toml::table& t) {
    OnlyKeys(t, {"version", "language", "lines", "scene_groups", "scenes", "scene_group", "scene",
                 "measure_out", "system_info"},
             "[controller]");
    With(t, "version", [&](const toml::node& n) { c_.version = Text(n, "version"); });
    With(t, "language", [&](const toml::node& n) { language = Text(n, "language"); });
    With(t, "lines", [&](const toml::node& n) { c_.lines = Integer(n, "lines", 1, 64); });
    With(t, "scene_groups", [&](const toml::node& n) { c_.groupCount = Integer(n, "scene_groups", 1, 1024); });
    With(t, "scenes", [&](const toml::node& n) { c_.sceneCount = Integer(n, "scenes", 1, 1024); });
    With(t, "scene_group", [&](const toml::node& n) { c_.group = Integer(n, "scene_group", 0); });
    With(t, "scene", [&](const toml::node& n) { c_.scene = Integer(n, "scene", 0); });
    With(t, "measure_out", [&](const toml::node& n) { c_.measureOut = Integer(n, "measure_out"); });
    With(t, "system_info", [&](const toml::node& n) {
      Numbered(n, "system_info items", [&](int32_t item, const toml::node& v) {
        systemInfo.emplace_back(item, Integer(v, "a system_info item"));
      });
    });
  }

  void ReadImage(const toml::table& t) {
    OnlyKeys(t, {"width", "height", "format"}, "[image]");
    With(t, "width", [&](const toml::node& n) { c_.imageWidth = Integer(n, "width", 1, 65535); });
    With(t, "height", [&](const toml::node& n) { c_.imageHeight = Integer(n, "height", 1, 65535); });
    With(t, "format", [&](const toml::node& n) { c_.imageFormat = Integer(n, "format"); });
  }

  void ReadItem(const toml::table& t) {
    OnlyKeys(t, {"ident", "title", "data", "info"}, "[[item]]");
    ItemKind kind;
    const toml::node* ident = t.get("ident");
    if (ident == nullptr) Fail(t, "an [[item]] needs an ident");
    kind.ident = Text(*ident, "ident");
    if (c_.FindKind(kind.ident) != nullptr) Fail(*ident, "item " + Quoted(ToUtf8(kind.ident)) + " is listed twice");
    kind.title = kind.ident;
    With(t, "title", [&](const toml::node& n) { kind.title = Text(n, "title"); });
    With(t, "data", [&](const toml::node& n) {
      for (const toml::node& name : Array(n, "data")) kind.data.push_back(Text(name, "a data name"));
    });
    With(t, "info", [&](const toml::node& n) {
      for (const toml::node& v : Array(n, "info")) kind.info.push_back(Integer(v, "an info value"));
    });
    c_.items.push_back(std::move(kind));
  }

  int32_t GroupNumber(const toml::table& t, std::string_view key) {
    const toml::node* n = t.get(key);
    return n != nullptr ? Integer(*n, key, 0, c_.groupCount - 1) : 0;
  }

  void ReadGroup(const toml::table& t) {
    OnlyKeys(t, {"number", "title"}, "[[group]]");
    SceneGroup& g = c_.groups[GroupNumber(t, "number")];
    With(t, "title", [&](const toml::node& n) { g.title = Text(n, "title"); });
  }

  void ReadScene(const toml::table& t) {
    OnlyKeys(t, {"group", "number", "title", "maker", "description", "data", "unit"}, "[[scene]]");
    const toml::node* number = t.get("number");
    const int32_t n = number != nullptr ? Integer(*number, "number", 0, c_.sceneCount - 1) : 0;
    Scene& s = c_.groups[GroupNumber(t, "group")].scenes[n];
    With(t, "title", [&](const toml::node& v) { s.title = Text(v, "title"); });
    With(t, "maker", [&](const toml::node& v) { s.maker = Text(v, "maker"); });
    With(t, "description", [&](const toml::node& v) { s.description = Text(v, "description"); });
    With(t, "data", [&](const toml::node& v) { s.data = Items(v, "data"); });
    for (const toml::table* u : Tables(t, "unit")) s.units.push_back(ReadUnit(*u));
  }

  Unit ReadUnit(const toml::table& t) {
    OnlyKeys(t, {"kind", "title", "data", "results"}, "[[scene.unit]]");
    const toml::node* kind = t.get("kind");
    if (kind == nullptr) Fail(t, "a [[scene.unit]] needs a kind");
    Unit u;
    if (!c_.MakeUnit(Text(*kind, "kind"), u))
      Fail(*kind, "no item " + Quoted(ToUtf8(Text(*kind, "kind"))) + " in the catalogue");
    With(t, "title", [&](const toml::node& n) { u.title = Text(n, "title"); });
    With(t, "data", [&](const toml::node& n) {
      const DataItems items = Items(n, "data");
      CheckItems(c_, u, items, n);
      for (const auto& [name, value] : items) u.data[name] = value;
      u.initial = u.data;
    });
    With(t, "results", [&](const toml::node& n) {
      for (const toml::node& r : Array(n, "results")) {
        u.results.push_back(Items(r, "a result"));
        CheckItems(c_, u, u.results.back(), r);
      }
    });
    return u;
  }

  void ReadChannel(const toml::table& t) {
    OnlyKeys(t, {"name", "loopback", "byte_order", "inputs", "ports", "receive", "plc"}, "[[channel]]");
    const toml::node* name = t.get("name");
    if (name == nullptr) Fail(t, "a [[channel]] needs a name");
    const std::wstring wide = Text(*name, "name");
    if (c_.channels.count(wide) != 0) Fail(*name, "channel " + Quoted(ToUtf8(wide)) + " is listed twice");
    ChannelState& ch = c_.channels[wide];
    With(t, "loopback", [&](const toml::node& n) { ch.loopback = Boolean(n, "loopback"); });
    With(t, "byte_order", [&](const toml::node& n) {
      const std::wstring order = Text(n, "byte_order");
      if (order != L"little" && order != L"big") Fail(n, "byte_order is \"little\" or \"big\"");
      ch.bigEndian = order == L"big";
    });
    With(t, "inputs", [&](const toml::node& n) { ch.inputs = Inputs(n, "inputs"); });
    With(t, "ports", [&](const toml::node& n) {
      Numbered(n, "ports", [&](int32_t port, const toml::node& v) { ch.inputPorts[port] = Inputs(v, "a port"); });
    });
    With(t, "receive", [&](const toml::node& n) {
      for (const toml::node& m : Array(n, "receive")) ch.incoming.push_back(Message(m));
    });
    With(t, "plc", [&](const toml::node& n) {
      for (const toml::node& entry : Array(n, "plc")) {
        const toml::table& e = Table(entry, "a plc entry");
        OnlyKeys(e, {"area", "address", "words"}, "a plc entry");
        const toml::node* words = e.get("words");
        if (words == nullptr) Fail(e, "a plc entry needs words");
        const int32_t area = e.get("area") != nullptr ? Integer(*e.get("area"), "area") : 0;
        int32_t address = e.get("address") != nullptr ? Integer(*e.get("address"), "address", 0) : 0;
        for (const toml::node& w : Array(*words, "words"))
          ch.plcMemory[{area, address++}] = static_cast<uint16_t>(Integer(w, "a word", -32768, 65535));
      }
    });
  }

  // A message a channel receives: a string (its UTF-8 bytes), an array of
  // bytes, or { bytes = "HEX" }.
  static Bytes Message(const toml::node& node) {
    if (const auto* s = node.as_string()) return Bytes(s->get().begin(), s->get().end());
    if (const auto* a = node.as_array()) {
      Bytes bytes;
      for (const toml::node& b : *a) bytes.push_back(static_cast<uint8_t>(Integer(b, "a byte", 0, 255)));
      return bytes;
    }
    if (const auto* t = node.as_table()) {
      OnlyKeys(*t, {"bytes"}, "a message");
      const toml::node* hex = t->get("bytes");
      if (hex != nullptr && hex->is_string()) return HexBytes(*hex, hex->as_string()->get());
    }
    Fail(node, "a message is a string, an array of bytes or { bytes = \"HEX\" }");
  }

  void ReadFault(const toml::table& t) {
    OnlyKeys(t, {"op", "channel", "args", "at", "from", "status"}, "[[fault]]");
    const toml::node* op = t.get("op");
    if (op == nullptr) Fail(t, "a [[fault]] needs an op");
    Fault f;
    f.call = ToUtf8(Text(*op, "op"));
    if (!IsCallName(f.call)) Fail(*op, "no operation is named " + Quoted(f.call));
    With(t, "channel", [&](const toml::node& n) {
      if (!IsChannelCall(f.call)) Fail(n, Quoted(f.call) + " is no operation of a channel");
      f.channel = ToUtf8(Text(n, "channel"));
    });
    With(t, "args", [&](const toml::node& n) {
      for (const toml::node& a : Array(n, "args")) {
        AnyType value;
        Value(a, value);
        f.args.push_back(ValueToJson(value));
      }
    });
    With(t, "at", [&](const toml::node& n) {
      if (const toml::array* a = n.as_array()) {
        for (const toml::node& v : *a) f.at.push_back(static_cast<uint64_t>(Integer(v, "at", 1)));
      } else {
        f.at.push_back(static_cast<uint64_t>(Integer(n, "at", 1)));
      }
    });
    With(t, "from", [&](const toml::node& n) { f.from = static_cast<uint64_t>(Integer(n, "from", 1)); });
    With(t, "status", [&](const toml::node& n) { f.status = Integer(n, "status"); });
    faults.push_back(std::move(f));
  }

  void ReadDelay(const toml::table& t) {
    OnlyKeys(t, {"op", "ms"}, "[[delay]]");
    Delay d;
    With(t, "op", [&](const toml::node& n) {
      d.call = ToUtf8(Text(n, "op"));
      if (!IsCallName(d.call)) Fail(n, "no operation is named " + Quoted(d.call));
    });
    const toml::node* ms = t.get("ms");
    if (ms == nullptr) Fail(t, "a [[delay]] needs ms");
    d.milliseconds = static_cast<uint32_t>(Integer(*ms, "ms", 0, 60000));
    delays.push_back(std::move(d));
  }

  Controller& c_;
};

std::string Where(const std::string& name, const toml::source_position& at) {
  return name + ":" + std::to_string(at.line) + ":" + std::to_string(at.column);
}

}  // namespace

bool LoadScenarioText(const std::string& text, const std::string& name, std::string* message) {
  Controller fresh = DefaultController();
  ScenarioReader reader(fresh);
  try {
    const toml::table root = toml::parse(text, name);
    reader.Read(root);
  } catch (const toml::parse_error& e) {
    if (message != nullptr) *message = Where(name, e.source().begin) + ": " + std::string(e.description());
    return false;
  } catch (const ScenarioError& e) {
    if (message != nullptr) *message = Where(name, e.where) + ": " + e.message;
    return false;
  } catch (const std::exception& e) {
    if (message != nullptr) *message = name + ": " + e.what();
    return false;
  }
  ReplaceController(std::move(fresh));
  SetFaults(std::move(reader.faults));
  SetDelays(std::move(reader.delays));
  if (reader.language) SetLanguage(*reader.language);
  for (const auto& [item, value] : reader.systemInfo) SetSystemInfo(item, value);
  return true;
}

ScenarioResult LoadScenario(const std::string& path, std::string* message) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (!(in && text << in.rdbuf())) {
    if (message != nullptr) *message = "cannot open " + path;
    return ScenarioResult::kCannotOpen;
  }
  return LoadScenarioText(text.str(), path, message) ? ScenarioResult::kLoaded
                                                     : ScenarioResult::kInvalid;
}

void ResetController() {
  ReplaceController(DefaultController());
  SetFaults({});
  SetDelays({});
}

}  // namespace msc::sim
