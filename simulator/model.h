// The state of the simulated controller: scene groups of scenes of units, the
// catalogue of processing items, named data, display settings and the I/O
// channels. One Controller lives for the process; the callback objects of
// model_objects.h serve it under its lock, a scenario (scenario.cpp) replaces
// it whole, and the controller files (controller_files.cpp) save and load
// parts of it.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "macro_sc/host.h"

namespace msc::sim {

using Bytes = std::vector<uint8_t>;
using DataItems = std::map<std::wstring, AnyType>;

// The data item that holds a unit's judgement (JUDGE_OK 1, JUDGE_NG -1 ...).
inline constexpr const wchar_t* kJudgeItem = L"JG";

// A processing item of the catalogue: what a unit can be.
struct ItemKind {
  std::wstring ident;
  std::wstring title;
  // Names of the data items by number. Empty: any name is an item, and item
  // number n is the item named "#n".
  std::vector<std::wstring> data;
  std::vector<int32_t> info;  // ItemInfo and UnitInfo by number; 0 beyond

  int32_t Info(int32_t number) const {
    return number >= 0 && static_cast<size_t>(number) < info.size()
               ? info[static_cast<size_t>(number)]
               : 0;
  }
};

struct Unit {
  std::wstring kind;   // ItemKind::ident
  std::wstring title;
  DataItems data;      // the items as they are now
  DataItems initial;   // as they were made; ClearMeasureData restores measured items
  // What successive measurements find, in turn, starting again after the
  // last; empty: every measurement judges OK and leaves the other items.
  std::vector<DataItems> results;
  uint64_t measured = 0;  // measurements taken
  std::map<int32_t, Bytes> figures;
  std::map<int32_t, Bytes> models;
};

struct Scene {
  std::wstring title, maker, description;
  DataItems data;            // scene data (SetSceneData, "SC." names)
  std::vector<Unit> units;   // the processing flow, units 0, 1, 2 ...
};

struct SceneGroup {
  std::wstring title;
  std::map<int32_t, Scene> scenes;  // a scene never written is empty
};

// Values an input gives when read, one after the other; the last repeats.
struct InputSequence {
  std::vector<int32_t> values;
  size_t next = 0;

  int32_t Read() {
    if (values.empty()) return 0;
    const int32_t v = values[next];
    if (next + 1 < values.size()) ++next;
    return v;
  }
};

struct ChannelState {
  // Outputs read back as the inputs, and what is sent is received.
  bool loopback = false;
  // Byte order of PLC data: a PLC's, not the PC's, unless a scenario says so.
  bool bigEndian = true;
  InputSequence inputs;
  std::map<int32_t, InputSequence> inputPorts;
  int32_t outputs = 0;
  std::map<int32_t, int32_t> outputPorts;
  int32_t judge = 0, busy = 0, run = 0, error = 0, polling = 0;
  std::deque<Bytes> incoming;  // messages ReceiveData hands out in turn
  std::map<std::pair<int32_t, int32_t>, uint16_t> plcMemory;  // (area, address) -> word
};

// The eleven settings of an image window in SetImageWindow's order; the
// seventh is a real.
struct ImageWindow {
  std::array<int32_t, 10> integers{};
  double real = 0.0;
};

using SystemKey = std::pair<std::wstring, std::wstring>;  // section, name

struct Controller {
  std::wstring version = L"Macro(SC) simulator";
  int32_t lines = 8;  // inspection lines; they share one state
  int32_t line = 0;
  int32_t groupCount = 32;
  int32_t sceneCount = 128;
  int32_t group = 0;
  int32_t scene = 0;
  std::map<int32_t, SceneGroup> groups;
  std::vector<ItemKind> items;
  std::map<SystemKey, AnyType> system;
  DataItems global;
  std::map<std::wstring, std::wstring> strings;  // GetLanguageString
  int32_t imageWidth = 640, imageHeight = 480, imageFormat = 0;
  bool measuring = false;   // between MeasureStart and MeasureStop
  bool continuous = false;  // ContinuousMeasure
  int32_t measureOut = 0;
  int32_t runOut = 0, errorOut = 0;
  std::map<int32_t, ImageWindow> imageWindows;
  std::array<int32_t, 4> textWindow{};
  std::array<int32_t, 3> judgeWindow{}, timeWindow{};
  int32_t displayUnit = 0;
  std::map<std::wstring, ChannelState> channels;

  Scene& CurrentScene() { return groups[group].scenes[scene]; }
  // The unit of the current scene, or null.
  Unit* FindUnit(int32_t unit);
  const ItemKind* FindKind(const std::wstring& ident) const;
  // The name of a data item of a unit, by name or by number; false when the
  // unit's kind has no such item.
  bool ItemName(const Unit& unit, const wchar_t* name, std::wstring& out) const;
  bool ItemName(const Unit& unit, int32_t number, std::wstring& out) const;
  // A new unit of a kind, its items 0; false for an unknown kind.
  bool MakeUnit(const std::wstring& kind, Unit& out) const;
  // One measurement of a unit: its next result, or an OK judgement.
  static void Measure(Unit& unit);
  // Measured items back to their values before measuring, judgement 0.
  static void ClearMeasurement(Unit& unit);
};

// The controller a fresh process starts with: the default catalogue and the
// channel "SIM", whose outputs are wired back to its inputs.
Controller DefaultController();

// The controller and its lock. Every operation takes the lock for its whole
// work; nothing else may hold it while calling out.
Controller& TheController();
std::mutex& ControllerMutex();

// Replaces the controller (under its lock).
void ReplaceController(Controller&& fresh);

}  // namespace msc::sim
