// The simulated controller's callback objects: the core services object, the
// host interface and the I/O channels, serving the Controller of model.h.
// Statuses: 0 success, kFailed for anything the controller refuses (a unit,
// scene or item that is not there, a number out of range, a file that cannot
// be written or read).
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>

#include "controller_files.h"
#include "macro_sc/host.h"
#include "model.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {

// --- The model's own rules -------------------------------------------------

Unit* Controller::FindUnit(int32_t unit) {
  auto& units = CurrentScene().units;
  return unit >= 0 && static_cast<size_t>(unit) < units.size() ? &units[static_cast<size_t>(unit)]
                                                             : nullptr;
}

const ItemKind* Controller::FindKind(const std::wstring& ident) const {
  for (const ItemKind& k : items)
    if (k.ident == ident) return &k;
  return nullptr;
}

bool Controller::ItemName(const Unit& unit, const wchar_t* name, std::wstring& out) const {
  if (name == nullptr || *name == L'\0') return false;
  const ItemKind* kind = FindKind(unit.kind);
  if (kind != nullptr && !kind->data.empty()) {
    bool listed = false;
    for (const std::wstring& d : kind->data) listed = listed || d == name;
    if (!listed) return false;
  }
  out = name;
  return true;
}

bool Controller::ItemName(const Unit& unit, int32_t number, std::wstring& out) const {
  if (number < 0) return false;
  const ItemKind* kind = FindKind(unit.kind);
  if (kind != nullptr && !kind->data.empty()) {
    if (static_cast<size_t>(number) >= kind->data.size()) return false;
    out = kind->data[static_cast<size_t>(number)];
  } else {
    out = L"#" + std::to_wstring(number);
  }
  return true;
}

bool Controller::MakeUnit(const std::wstring& ident, Unit& out) const {
  const ItemKind* kind = FindKind(ident);
  if (kind == nullptr) return false;
  out = Unit{};
  out.kind = kind->ident;
  out.title = kind->title;
  AnyType zero;
  zero.SetData(int32_t{0});
  for (const std::wstring& name : kind->data) out.data[name] = zero;
  out.initial = out.data;
  return true;
}

void Controller::Measure(Unit& unit) {
  if (unit.results.empty()) {
    unit.data[kJudgeItem].SetData(int32_t{1});  // JUDGE_OK
  } else {
    for (const auto& [name, value] : unit.results[unit.measured % unit.results.size()])
      unit.data[name] = value;
  }
  ++unit.measured;
}

void Controller::ClearMeasurement(Unit& unit) {
  auto restore = [&unit](const std::wstring& name) {
    const auto it = unit.initial.find(name);
    if (it != unit.initial.end()) unit.data[name] = it->second;
    else unit.data.erase(name);
  };
  for (const DataItems& result : unit.results)
    for (const auto& entry : result) restore(entry.first);
  unit.data[kJudgeItem].SetData(int32_t{0});  // JUDGE_NC
}

namespace {

ItemKind Kind(const wchar_t* ident, const wchar_t* title, std::vector<std::wstring> data) {
  return ItemKind{ident, title, std::move(data), {}};
}

}  // namespace

Controller DefaultController() {
  Controller c;
  c.items = {
      Kind(L"CameraImageInput", L"Camera Image Input", {L"JG"}),
      Kind(L"Search", L"Search", {L"JG", L"CR", L"X", L"Y", L"TH"}),
      Kind(L"EdgePosition", L"Edge Position", {L"JG", L"X", L"Y"}),
      Kind(L"EdgeWidth", L"Edge Width", {L"JG", L"W", L"X1", L"X2"}),
      Kind(L"Area", L"Area", {L"JG", L"AR", L"X", L"Y"}),
      Kind(L"Labeling", L"Labeling", {L"JG", L"N", L"AR", L"X", L"Y"}),
      Kind(L"Calculation", L"Calculation",
           {L"JG", L"D0", L"D1", L"D2", L"D3", L"D4", L"D5", L"D6", L"D7"}),
      Kind(L"Macro", L"Unit Macro", {}),
  };
  c.channels[L"SIM"].loopback = true;
  return c;
}

// Never destroyed: macro objects may still call the controller during
// process exit.
Controller& TheController() {
  static auto* controller = new Controller(DefaultController());
  return *controller;
}

std::mutex& ControllerMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

void ReplaceController(Controller&& fresh) {
  std::lock_guard<std::mutex> guard(ControllerMutex());
  TheController() = std::move(fresh);
}

namespace {

constexpr int32_t kFailed = 1;

using Lock = std::lock_guard<std::mutex>;

int32_t Status(bool ok) { return ok ? 0 : kFailed; }

int32_t TextResult(const std::wstring& text, wchar_t* buffer, int32_t* capacity) {
  if (buffer == nullptr || capacity == nullptr || *capacity <= 0) return kFailed;
  CopyToBuffer(text, buffer, *capacity);
  return 0;
}

int32_t TextResult(const std::wstring& text, wchar_t* buffer) {
  int32_t capacity = kHostTextCapacity;
  return TextResult(text, buffer, &capacity);
}

std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L""; }

int32_t Store(DataItems& data, const wchar_t* name, const AnyType* value) {
  if (name == nullptr || value == nullptr) return kFailed;
  data[name] = *value;
  return 0;
}

int32_t Fetch(const DataItems& data, const wchar_t* name, AnyType* value) {
  if (name == nullptr || value == nullptr) return kFailed;
  const auto it = data.find(name);
  if (it == data.end()) return kFailed;
  *value = it->second;
  return 0;
}

// "Add" creates an item; an item that exists already is refused.
int32_t Add(DataItems& data, const wchar_t* name, const AnyType* value) {
  if (name == nullptr || value == nullptr || data.count(name) != 0) return kFailed;
  data[name] = *value;
  return 0;
}

template <class T>
void Encode(void* place, T value, bool bigEndian) {
  auto* bytes = static_cast<uint8_t*>(place);
  std::memcpy(bytes, &value, sizeof value);
  if (bigEndian) std::reverse(bytes, bytes + sizeof value);
}

template <class T>
T Decode(const void* place, bool bigEndian) {
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, place, sizeof bytes);
  if (bigEndian) std::reverse(bytes, bytes + sizeof bytes);
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// An I/O channel: a handle by name on the controller's ChannelState, so that
// a scenario can replace the channels while handles stay valid. A handle
// whose channel a scenario removed refuses everything.
class SimIoModule final : public IoModule {
 public:
  explicit SimIoModule(std::wstring name) : name_(std::move(name)) {}

  // A loopback channel receives what it sends.
  int32_t SendData(const void* data, int32_t size, const void*) override {
    return With([&](ChannelState& c) {
      if (data == nullptr || size < 0) return kFailed;
      const auto* bytes = static_cast<const uint8_t*>(data);
      if (c.loopback && size > 0) c.incoming.emplace_back(bytes, bytes + size);
      return 0;
    });
  }
  // Hands out the next message (at most capacity bytes of it; the rest stays
  // for the next call); nothing waiting is 0 bytes.
  int32_t ReceiveData(void* block, int32_t capacity, int32_t* received, const void*) override {
    return With([&](ChannelState& c) {
      if (block == nullptr || received == nullptr || capacity < 0) return kFailed;
      *received = 0;
      if (c.incoming.empty()) return 0;
      Bytes& message = c.incoming.front();
      const size_t n = std::min(message.size(), static_cast<size_t>(capacity));
      if (n > 0) std::memcpy(block, message.data(), n);
      *received = static_cast<int32_t>(n);
      message.erase(message.begin(), message.begin() + static_cast<std::ptrdiff_t>(n));
      if (message.empty()) c.incoming.pop_front();
      return 0;
    });
  }
  int32_t PutAll(int32_t value) override {
    return With([&](ChannelState& c) { c.outputs = value; return 0; });
  }
  int32_t GetAll() override {
    return With([&](ChannelState& c) { return c.loopback ? c.outputs : c.inputs.Read(); }, 0);
  }
  int32_t PutPort(int32_t port, int32_t value) override {
    return With([&](ChannelState& c) { c.outputPorts[port] = value; return 0; });
  }
  int32_t GetPort(int32_t port) override {
    return With([&](ChannelState& c) {
      if (c.loopback) return c.outputPorts.count(port) != 0 ? c.outputPorts[port] : 0;
      return c.inputPorts.count(port) != 0 ? c.inputPorts[port].Read() : 0;
    }, 0);
  }
  int32_t JudgeOut(int32_t value) override { return Signal(&ChannelState::judge, value); }
  int32_t BusyOut(int32_t value) override { return Signal(&ChannelState::busy, value); }
  int32_t RunOut(int32_t value) override { return Signal(&ChannelState::run, value); }
  int32_t ErrorOut(int32_t value) override { return Signal(&ChannelState::error, value); }
  int32_t SendString(const char* text) override {
    return With([&](ChannelState& c) {
      if (text == nullptr) return kFailed;
      if (c.loopback && *text != '\0') c.incoming.emplace_back(text, text + std::strlen(text));
      return 0;
    });
  }
  // PLC memory: 16-bit words by (area, address); the block carries them
  // little-endian, as the engine builds it.
  int32_t WritePlcMemory(int32_t area, int32_t address, int32_t count, const void* block) override {
    return With([&](ChannelState& c) {
      if (block == nullptr || count < 0 || address < 0) return kFailed;
      const auto* bytes = static_cast<const uint8_t*>(block);
      for (int32_t i = 0; i < count; ++i)
        c.plcMemory[{area, address + i}] =
            static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
      return 0;
    });
  }
  int32_t ReadPlcMemory(int32_t area, int32_t address, int32_t count, void* block) override {
    return With([&](ChannelState& c) {
      if (block == nullptr || count < 0 || address < 0) return kFailed;
      auto* bytes = static_cast<uint8_t*>(block);
      for (int32_t i = 0; i < count; ++i) {
        const auto it = c.plcMemory.find({area, address + i});
        const uint16_t word = it != c.plcMemory.end() ? it->second : 0;
        bytes[2 * i] = static_cast<uint8_t>(word & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(word >> 8);
      }
      return 0;
    });
  }
  int32_t SetPlcData32(void* place, int32_t value) override { return Put(place, value); }
  int32_t GetPlcData32(const void* place) override { return Get<int32_t>(place); }
  int32_t SetPlcData16(void* place, int32_t value) override {
    return Put(place, static_cast<int16_t>(value));
  }
  int16_t GetPlcData16(const void* place) override { return Get<int16_t>(place); }
  int32_t SetPlcDataReal(void* place, double value) override { return Put(place, value); }
  double GetPlcDataReal(const void* place) override { return Get<double>(place); }
  int32_t SetPollingState(int32_t state) override { return Signal(&ChannelState::polling, state); }
  int32_t GetPollingState() override {
    return With([&](ChannelState& c) { return c.polling; }, 0);
  }

 private:
  // Runs fn on the channel's state under the controller's lock; absent is
  // the given answer.
  template <class Fn, class R = std::invoke_result_t<Fn&, ChannelState&>>
  R With(Fn&& fn, R absent = kFailed) {
    Lock guard(ControllerMutex());
    auto& channels = TheController().channels;
    const auto it = channels.find(name_);
    return it != channels.end() ? fn(it->second) : absent;
  }
  int32_t Signal(int32_t ChannelState::*signal, int32_t value) {
    return With([&](ChannelState& c) { c.*signal = value; return 0; });
  }
  template <class T>
  int32_t Put(void* place, T value) {
    return With([&](ChannelState& c) {
      if (place == nullptr) return kFailed;
      Encode(place, value, c.bigEndian);
      return 0;
    });
  }
  template <class T>
  T Get(const void* place) {
    return With([&](ChannelState& c) { return place != nullptr ? Decode<T>(place, c.bigEndian) : T{}; },
                T{});
  }

  const std::wstring name_;
};

// The handle of a channel name; handles are never destroyed.
IoModule* ChannelHandle(const std::wstring& name) {
  static auto* handles = new std::map<std::wstring, std::unique_ptr<SimIoModule>>;
  static auto* mutex = new std::mutex;
  Lock guard(*mutex);
  auto& handle = (*handles)[name];
  if (!handle) handle = std::make_unique<SimIoModule>(name);
  return handle.get();
}

bool SceneInRange(const Controller& c, int32_t scene) { return scene >= 0 && scene < c.sceneCount; }
bool GroupInRange(const Controller& c, int32_t group) { return group >= 0 && group < c.groupCount; }

class SimCore final : public CoreServices {
 public:
  int32_t SetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    Lock guard(ControllerMutex());
    if (value == nullptr) return kFailed;
    TheController().system[{Text(section), Text(name)}] = *value;
    return 0;
  }
  int32_t GetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    Lock guard(ControllerMutex());
    const auto& system = TheController().system;
    const auto it = system.find({Text(section), Text(name)});
    if (value == nullptr || it == system.end()) return kFailed;
    *value = it->second;
    return 0;
  }
  int32_t AddSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    Lock guard(ControllerMutex());
    auto& system = TheController().system;
    if (value == nullptr || !system.try_emplace({Text(section), Text(name)}, *value).second)
      return kFailed;
    return 0;
  }
  int32_t ChangeSceneGroup(int32_t group, int32_t scene) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!GroupInRange(c, group) || !SceneInRange(c, scene)) return kFailed;
    c.group = group;
    c.scene = scene;
    return 0;
  }
  int32_t ClearSceneGroup(int32_t group) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!GroupInRange(c, group)) return kFailed;
    c.groups.erase(group);
    return 0;
  }
  int32_t CopySceneGroup(int32_t from, int32_t to) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!GroupInRange(c, from) || !GroupInRange(c, to)) return kFailed;
    SceneGroup copy = c.groups[from];
    c.groups[to] = std::move(copy);
    return 0;
  }
  int32_t SetSceneGroupTitle(int32_t group, const wchar_t* title) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!GroupInRange(c, group) || title == nullptr) return kFailed;
    c.groups[group].title = title;
    return 0;
  }
  int32_t GetSceneGroupTitle(int32_t group, wchar_t* buffer, int32_t* capacity) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!GroupInRange(c, group)) return kFailed;
    return TextResult(c.groups[group].title, buffer, capacity);
  }
  int32_t GetSceneGroupCount() override {
    Lock guard(ControllerMutex());
    return TheController().groupCount;
  }
  int32_t GetSceneGroupNo() override {
    Lock guard(ControllerMutex());
    return TheController().group;
  }
  int32_t ChangeScene(int32_t scene) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!SceneInRange(c, scene)) return kFailed;
    c.scene = scene;
    return 0;
  }
  int32_t ClearScene(int32_t scene) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!SceneInRange(c, scene)) return kFailed;
    c.groups[c.group].scenes.erase(scene);
    return 0;
  }
  int32_t CopyScene(int32_t from, int32_t to) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!SceneInRange(c, from) || !SceneInRange(c, to)) return kFailed;
    auto& scenes = c.groups[c.group].scenes;
    Scene copy = scenes[from];
    scenes[to] = std::move(copy);
    return 0;
  }
  int32_t SetSceneTitle(int32_t scene, const wchar_t* text) override {
    return SetSceneText(scene, text, &Scene::title);
  }
  int32_t GetSceneTitle(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return GetSceneText(scene, buffer, capacity, &Scene::title);
  }
  int32_t SetSceneMaker(int32_t scene, const wchar_t* text) override {
    return SetSceneText(scene, text, &Scene::maker);
  }
  int32_t GetSceneMaker(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return GetSceneText(scene, buffer, capacity, &Scene::maker);
  }
  int32_t SetSceneDescription(int32_t scene, const wchar_t* text) override {
    return SetSceneText(scene, text, &Scene::description);
  }
  int32_t GetSceneDescription(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return GetSceneText(scene, buffer, capacity, &Scene::description);
  }
  int32_t GetSceneCount() override {
    Lock guard(ControllerMutex());
    return TheController().sceneCount;
  }
  int32_t GetSceneNo() override {
    Lock guard(ControllerMutex());
    return TheController().scene;
  }
  int32_t GetItemCount() override {
    Lock guard(ControllerMutex());
    return static_cast<int32_t>(TheController().items.size());
  }
  int32_t GetItemInfo(int32_t item, int32_t kind) override {
    Lock guard(ControllerMutex());
    const ItemKind* k = Item(item);
    return k != nullptr ? Info(*k, kind) : 0;
  }
  int32_t GetItemTitle(int32_t item, wchar_t* buffer) override {
    Lock guard(ControllerMutex());
    const ItemKind* k = Item(item);
    return k != nullptr ? TextResult(k->title, buffer) : kFailed;
  }
  int32_t GetItemIdent(int32_t item, wchar_t* buffer) override {
    Lock guard(ControllerMutex());
    const ItemKind* k = Item(item);
    return k != nullptr ? TextResult(k->ident, buffer) : kFailed;
  }
  int32_t MeasureProc(int32_t unit) override {
    Lock guard(ControllerMutex());
    Unit* u = TheController().FindUnit(unit);
    if (u == nullptr) return kFailed;
    Controller::Measure(*u);
    return 0;
  }
  // (source scene, source unit, source figure, destination unit, destination
  // figure); the destination is in the current scene, both in the current group.
  int32_t CopyUnitFigure(int32_t scene, int32_t from, int32_t figure, int32_t to,
                         int32_t toFigure) override {
    return CopyUnitPart(scene, from, figure, to, toFigure, &Unit::figures);
  }
  int32_t CopyUnitModel(int32_t scene, int32_t from, int32_t model, int32_t to,
                        int32_t toModel) override {
    return CopyUnitPart(scene, from, model, to, toModel, &Unit::models);
  }
  int32_t MeasureStart() override {
    Lock guard(ControllerMutex());
    TheController().measuring = true;
    return 0;
  }
  int32_t MeasureStop(int32_t) override {
    Lock guard(ControllerMutex());
    TheController().measuring = false;
    return 0;
  }
  int32_t Measure(int32_t) override { return MeasureScene(); }
  int32_t RemeasureByName(const wchar_t* name, int32_t) override {
    return name != nullptr ? MeasureScene() : kFailed;
  }
  int32_t Remeasure(int32_t, int32_t) override { return MeasureScene(); }
  int32_t TestMeasure(int32_t mode, int32_t, const wchar_t*, int32_t, int32_t, int32_t) override {
    return mode >= 0 && mode <= 2 ? MeasureScene() : kFailed;
  }
  int32_t ImageUpdate() override { return 0; }
  int32_t SetMeasureOut(int32_t value) override {
    Lock guard(ControllerMutex());
    TheController().measureOut = value;
    return 0;
  }
  int32_t GetMeasureOut() override {
    Lock guard(ControllerMutex());
    return TheController().measureOut;
  }
  int32_t RefreshImageWindow(int32_t) override { return 0; }
  int32_t RefreshTextWindow() override { return 0; }
  int32_t SetJudgeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override {
    Lock guard(ControllerMutex());
    if (window != 0) return kFailed;
    TheController().judgeWindow = {a1, a2, a3};
    return 0;
  }
  int32_t RefreshJudgeWindow() override { return 0; }
  int32_t SetTimeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override {
    Lock guard(ControllerMutex());
    if (window != 0) return kFailed;
    TheController().timeWindow = {a1, a2, a3};
    return 0;
  }
  int32_t RefreshTimeWindow() override { return 0; }
  int32_t SaveSystemData(const wchar_t* file) override {
    Lock guard(ControllerMutex());
    return Status(files::SaveSystem(TheController(), file));
  }
  int32_t LoadSystemData(const wchar_t* file) override {
    Lock guard(ControllerMutex());
    return Status(files::LoadSystem(TheController(), file));
  }
  int32_t SaveSceneGroup(int32_t group, const wchar_t* file) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    return Status(GroupInRange(c, group) && files::SaveGroup(c, group, file));
  }
  int32_t LoadSceneGroup(int32_t group, const wchar_t* file) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    return Status(GroupInRange(c, group) && files::LoadGroup(c, group, file));
  }
  int32_t SaveScene(int32_t scene, const wchar_t* file) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    return Status(SceneInRange(c, scene) && files::SaveScene(c, scene, file));
  }
  int32_t LoadScene(int32_t scene, const wchar_t* file) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    return Status(SceneInRange(c, scene) && files::LoadScene(c, scene, file));
  }
  int32_t SaveUnitData(int32_t group, int32_t scene, int32_t unit, const wchar_t* file) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    return Status(GroupInRange(c, group) && SceneInRange(c, scene) &&
                  files::SaveUnit(c, group, scene, unit, file));
  }
  int32_t LoadUnitData(int32_t group, int32_t scene, int32_t unit, int32_t mode,
                       const wchar_t* file) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    return Status(GroupInRange(c, group) && SceneInRange(c, scene) &&
                  files::LoadUnit(c, group, scene, unit, mode != 0, file));
  }
  int32_t SaveBackupData(const wchar_t* file) override {
    Lock guard(ControllerMutex());
    return Status(files::SaveBackup(TheController(), file));
  }
  int32_t LoadBackupData(const wchar_t* file) override {
    Lock guard(ControllerMutex());
    return Status(files::LoadBackup(TheController(), file));
  }
  int32_t SaveData() override { return 0; }
  IoModule* GetIoModule(const wchar_t* name) override {
    if (name == nullptr) return nullptr;
    {
      Lock guard(ControllerMutex());
      if (TheController().channels.count(name) == 0) return nullptr;
    }
    return ChannelHandle(name);
  }
  int32_t RunOut(int32_t value) override {
    Lock guard(ControllerMutex());
    TheController().runOut = value;
    return 0;
  }
  int32_t ScreenCapture(const wchar_t* file) override {
    Lock guard(ControllerMutex());
    const Controller& c = TheController();
    return Status(files::WriteImage(file, c.imageWidth, c.imageHeight));
  }
  int32_t ExitQorProcess() override { return 0; }
  int32_t SystemReset() override { return 0; }
  int32_t RaiseOptionEvent(int32_t, int32_t) override { return 0; }
  int32_t SetGlobalData(const wchar_t* name, AnyType* value) override {
    Lock guard(ControllerMutex());
    return Store(TheController().global, name, value);
  }
  int32_t GetGlobalData(const wchar_t* name, AnyType* value) override {
    Lock guard(ControllerMutex());
    return Fetch(TheController().global, name, value);
  }
  int32_t AddGlobalData(const wchar_t* name, AnyType* value) override {
    Lock guard(ControllerMutex());
    return Add(TheController().global, name, value);
  }
  int32_t SaveImage(int32_t, const wchar_t* file) override {
    Lock guard(ControllerMutex());
    const Controller& c = TheController();
    return Status(files::WriteImage(file, c.imageWidth, c.imageHeight));
  }
  int32_t GetApplicationPath(int32_t kind, wchar_t* buffer) override {
    if (kind < 0 || kind > 3) return kFailed;
    return TextResult(GetCoreRAPath(), buffer);
  }
  int32_t ErrorOut(int32_t value) override {
    Lock guard(ControllerMutex());
    TheController().errorOut = value;
    return 0;
  }
  int32_t RaiseErrorProcEvent(int32_t, int32_t, int32_t) override { return 0; }
  int32_t ExecuteErrorProc(int32_t, int32_t) override { return 0; }
  int32_t GetApplicationVersion(int32_t, wchar_t* buffer, int32_t capacity) override {
    Lock guard(ControllerMutex());
    return TextResult(TheController().version, buffer, &capacity);
  }

 private:
  static const ItemKind* Item(int32_t item) {
    const auto& items = TheController().items;
    return item >= 0 && static_cast<size_t>(item) < items.size() ? &items[static_cast<size_t>(item)]
                                                                 : nullptr;
  }
  static int32_t Info(const ItemKind& kind, int32_t number) {
    return number >= 0 && static_cast<size_t>(number) < kind.info.size()
               ? kind.info[static_cast<size_t>(number)]
               : 0;
  }
  static int32_t SetSceneText(int32_t scene, const wchar_t* text, std::wstring Scene::*field) {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!SceneInRange(c, scene) || text == nullptr) return kFailed;
    c.groups[c.group].scenes[scene].*field = text;
    return 0;
  }
  static int32_t GetSceneText(int32_t scene, wchar_t* buffer, int32_t* capacity,
                              std::wstring Scene::*field) {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!SceneInRange(c, scene)) return kFailed;
    const auto& scenes = c.groups[c.group].scenes;
    const auto it = scenes.find(scene);
    return TextResult(it != scenes.end() ? it->second.*field : std::wstring(), buffer, capacity);
  }
  static int32_t CopyUnitPart(int32_t scene, int32_t from, int32_t number, int32_t to,
                              int32_t toNumber, std::map<int32_t, Bytes> Unit::*part) {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!SceneInRange(c, scene)) return kFailed;
    auto& units = c.groups[c.group].scenes[scene].units;
    Unit* target = c.FindUnit(to);
    if (from < 0 || static_cast<size_t>(from) >= units.size() || target == nullptr) return kFailed;
    const auto& source = units[static_cast<size_t>(from)].*part;
    const auto it = source.find(number);
    if (it == source.end()) return kFailed;
    Bytes copy = it->second;
    (target->*part)[toNumber] = std::move(copy);
    return 0;
  }
  static int32_t MeasureScene() {
    Lock guard(ControllerMutex());
    for (Unit& unit : TheController().CurrentScene().units) Controller::Measure(unit);
    return 0;
  }
};

class SimHost final : public HostInterface {
 public:
  int32_t SetSceneData(const wchar_t* name, AnyType* value) override {
    Lock guard(ControllerMutex());
    return Store(TheController().CurrentScene().data, name, value);
  }
  int32_t GetSceneData(const wchar_t* name, AnyType* value) override {
    Lock guard(ControllerMutex());
    return Fetch(TheController().CurrentScene().data, name, value);
  }
  int32_t CheckUnit(int32_t unit) override {
    Lock guard(ControllerMutex());
    return TheController().FindUnit(unit) != nullptr ? 1 : 0;
  }
  // A unit number up to the count: the unit there is replaced, or the new
  // one is added at the end.
  int32_t AssignUnit(int32_t unit, const wchar_t* kind) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    Unit fresh;
    if (kind == nullptr || !c.MakeUnit(kind, fresh)) return kFailed;
    return Place(c.CurrentScene().units, unit, std::move(fresh), false);
  }
  int32_t InsertUnit(int32_t unit, const wchar_t* kind) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    Unit fresh;
    if (kind == nullptr || !c.MakeUnit(kind, fresh)) return kFailed;
    return Place(c.CurrentScene().units, unit, std::move(fresh), true);
  }
  int32_t DeleteUnit(int32_t unit) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (c.FindUnit(unit) == nullptr) return kFailed;
    auto& units = c.CurrentScene().units;
    units.erase(units.begin() + unit);
    return 0;
  }
  // (scene, source unit, destination unit, mode): a unit of another scene of
  // the group into the current scene; mode 0 overwrites, otherwise inserts.
  int32_t CopyUnitEx(int32_t scene, int32_t from, int32_t to, int32_t mode) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    if (!SceneInRange(c, scene)) return kFailed;
    return CopyInto(c.groups[c.group].scenes[scene].units, from, to, mode);
  }
  int32_t CopyUnit(int32_t from, int32_t to, int32_t mode) override {
    Lock guard(ControllerMutex());
    return CopyInto(TheController().CurrentScene().units, from, to, mode);
  }
  int32_t MoveUnit(int32_t from, int32_t to) override {
    Lock guard(ControllerMutex());
    auto& units = TheController().CurrentScene().units;
    if (from < 0 || to < 0 || static_cast<size_t>(from) >= units.size() ||
        static_cast<size_t>(to) >= units.size())
      return kFailed;
    Unit moving = std::move(units[static_cast<size_t>(from)]);
    units.erase(units.begin() + from);
    units.insert(units.begin() + to, std::move(moving));
    return 0;
  }
  int32_t GetUnitCount() override {
    Lock guard(ControllerMutex());
    return static_cast<int32_t>(TheController().CurrentScene().units.size());
  }
  // The first unit with the title; -1 when none has it.
  int32_t GetUnitNo(const wchar_t* name) override {
    Lock guard(ControllerMutex());
    const auto& units = TheController().CurrentScene().units;
    for (size_t i = 0; name != nullptr && i < units.size(); ++i)
      if (units[i].title == name) return static_cast<int32_t>(i);
    return -1;
  }
  int32_t SetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override {
    return WithItem(unit, item, [&](Unit& u, const std::wstring& name) { return Store(u.data, name.c_str(), value); });
  }
  int32_t SetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override {
    return WithItem(unit, item, [&](Unit& u, const std::wstring& name) { return Store(u.data, name.c_str(), value); });
  }
  int32_t GetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override {
    return WithItem(unit, item, [&](Unit& u, const std::wstring& name) { return Fetch(u.data, name.c_str(), value); });
  }
  int32_t GetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override {
    return WithItem(unit, item, [&](Unit& u, const std::wstring& name) { return Fetch(u.data, name.c_str(), value); });
  }
  // A figure block starts with its length in bytes (a 16-bit word, itself
  // included).
  int32_t SetUnitFigure(int32_t unit, int32_t figure, const void* block) override {
    Lock guard(ControllerMutex());
    Unit* u = TheController().FindUnit(unit);
    if (u == nullptr || block == nullptr) return kFailed;
    const auto* bytes = static_cast<const uint8_t*>(block);
    const size_t length = static_cast<size_t>(bytes[0] | (bytes[1] << 8));
    if (length < 2) return kFailed;
    u->figures[figure] = Bytes(bytes, bytes + length);
    return 0;
  }
  int32_t GetUnitFigure(int32_t unit, int32_t figure, int32_t* place, void* buffer) override {
    Lock guard(ControllerMutex());
    Unit* u = TheController().FindUnit(unit);
    if (u == nullptr || buffer == nullptr) return kFailed;
    const auto it = u->figures.find(figure);
    if (it == u->figures.end()) return kFailed;
    std::memcpy(buffer, it->second.data(), it->second.size());
    if (place != nullptr) *place = static_cast<int32_t>(it->second.size());
    return 0;
  }
  int32_t GetImageFormat(int32_t, int32_t) override {
    Lock guard(ControllerMutex());
    return TheController().imageFormat;
  }
  int32_t GetImageSize(int32_t, int32_t, int32_t* width, int32_t* height) override {
    Lock guard(ControllerMutex());
    if (width == nullptr || height == nullptr) return kFailed;
    *width = TheController().imageWidth;
    *height = TheController().imageHeight;
    return 0;
  }
  int32_t SetUnitTitle(int32_t unit, const wchar_t* title) override {
    Lock guard(ControllerMutex());
    Unit* u = TheController().FindUnit(unit);
    if (u == nullptr || title == nullptr) return kFailed;
    u->title = title;
    return 0;
  }
  int32_t GetUnitTitle(int32_t unit, wchar_t* buffer, int32_t* capacity) override {
    Lock guard(ControllerMutex());
    Unit* u = TheController().FindUnit(unit);
    return u != nullptr ? TextResult(u->title, buffer, capacity) : kFailed;
  }
  int32_t GetUnitItemIdent(int32_t unit, wchar_t* buffer) override {
    Lock guard(ControllerMutex());
    Unit* u = TheController().FindUnit(unit);
    return u != nullptr ? TextResult(u->kind, buffer) : kFailed;
  }
  int32_t GetUnitInfo(int32_t unit, int32_t item) override {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    Unit* u = c.FindUnit(unit);
    const ItemKind* kind = u != nullptr ? c.FindKind(u->kind) : nullptr;
    if (kind == nullptr || item < 0 || static_cast<size_t>(item) >= kind->info.size()) return 0;
    return kind->info[static_cast<size_t>(item)];
  }
  int32_t GetUnitJudge(int32_t unit) override {
    Lock guard(ControllerMutex());
    Unit* u = TheController().FindUnit(unit);
    if (u == nullptr) return 0;
    const auto it = u->data.find(kJudgeItem);
    return it != u->data.end() ? it->second.GetIntValue() : 0;
  }
  int32_t ClearMeasureData(int32_t unit) override {
    Lock guard(ControllerMutex());
    Unit* u = TheController().FindUnit(unit);
    if (u == nullptr) return kFailed;
    Controller::ClearMeasurement(*u);
    return 0;
  }
  int32_t ClearAllMeasureData(int32_t) override {
    Lock guard(ControllerMutex());
    for (Unit& u : TheController().CurrentScene().units) Controller::ClearMeasurement(u);
    return 0;
  }
  int32_t SetImageWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3, int32_t a4,
                         int32_t a5, int32_t a6, double a7, int32_t a8, int32_t a9, int32_t a10,
                         int32_t a11) override {
    if (window < 0) return kFailed;
    Lock guard(ControllerMutex());
    TheController().imageWindows[window] = ImageWindow{{a1, a2, a3, a4, a5, a6, a8, a9, a10, a11}, a7};
    return 0;
  }
  int32_t GetImageWindow(int32_t window, int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4,
                         int32_t* a5, int32_t* a6, double* a7, int32_t* a8, int32_t* a9,
                         int32_t* a10, int32_t* a11) override {
    if (window < 0) return kFailed;
    Lock guard(ControllerMutex());
    const auto& windows = TheController().imageWindows;
    const auto it = windows.find(window);
    const ImageWindow w = it != windows.end() ? it->second : ImageWindow{};
    int32_t* integers[] = {a1, a2, a3, a4, a5, a6, a8, a9, a10, a11};
    for (size_t i = 0; i < w.integers.size(); ++i)
      if (integers[i] != nullptr) *integers[i] = w.integers[i];
    if (a7 != nullptr) *a7 = w.real;
    return 0;
  }
  int32_t SetTextWindow(int32_t a1, int32_t a2, int32_t a3, int32_t a4) override {
    Lock guard(ControllerMutex());
    TheController().textWindow = {a1, a2, a3, a4};
    return 0;
  }
  int32_t GetTextWindow(int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4) override {
    Lock guard(ControllerMutex());
    const auto& w = TheController().textWindow;
    int32_t* places[] = {a1, a2, a3, a4};
    for (size_t i = 0; i < w.size(); ++i)
      if (places[i] != nullptr) *places[i] = w[i];
    return 0;
  }
  int32_t SetDisplayUnitNo(int32_t unit) override {
    Lock guard(ControllerMutex());
    TheController().displayUnit = unit;
    return 0;
  }
  int32_t GetDisplayUnitNo() override {
    Lock guard(ControllerMutex());
    return TheController().displayUnit;
  }

 private:
  template <class Item, class Fn>
  static int32_t WithItem(int32_t unit, Item item, Fn&& fn) {
    Lock guard(ControllerMutex());
    Controller& c = TheController();
    Unit* u = c.FindUnit(unit);
    std::wstring name;
    if (u == nullptr || !c.ItemName(*u, item, name)) return kFailed;
    return fn(*u, name);
  }
  // Puts a unit at number: inserted before it, or replacing it; number may
  // be the count, which adds at the end.
  static int32_t Place(std::vector<Unit>& units, int32_t number, Unit&& unit, bool insert) {
    if (number < 0 || static_cast<size_t>(number) > units.size()) return kFailed;
    if (insert || static_cast<size_t>(number) == units.size())
      units.insert(units.begin() + number, std::move(unit));
    else
      units[static_cast<size_t>(number)] = std::move(unit);
    return 0;
  }
  static int32_t CopyInto(const std::vector<Unit>& source, int32_t from, int32_t to, int32_t mode) {
    if (from < 0 || static_cast<size_t>(from) >= source.size()) return kFailed;
    Unit copy = source[static_cast<size_t>(from)];
    return Place(TheController().CurrentScene().units, to, std::move(copy), mode != 0);
  }
};

}  // namespace

HostInterface* ModelHost() {
  static auto* host = new SimHost;
  return host;
}

CoreServices* ModelCore() {
  static auto* core = new SimCore;
  return core;
}

}  // namespace msc::sim

namespace msc::sim {

int32_t ModelSetCurrentLine(int32_t line) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (line < 0 || line >= c.lines) return kFailed;
  c.line = line;
  return 0;
}

int32_t ModelContinuousMeasure(int32_t on) {
  Lock guard(ControllerMutex());
  TheController().continuous = on != 0;
  return 0;
}

int32_t ModelLanguageString(const wchar_t* key, wchar_t* buffer, int32_t* capacity) {
  if (key == nullptr || buffer == nullptr || capacity == nullptr || *capacity <= 0) return kFailed;
  Lock guard(ControllerMutex());
  const auto& strings = TheController().strings;
  const auto it = strings.find(key);
  *capacity = CopyToBuffer(it != strings.end() ? it->second : key, buffer, *capacity);
  return 0;
}

}  // namespace msc::sim
