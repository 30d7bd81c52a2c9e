// The simulated controller's callback objects: a core services object with
// system and global data, scene groups and scenes; a host interface with
// scene data and unit data; and one I/O channel named "SIM".
#include <cstring>
#include <cwchar>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "macro_sc/host.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {
namespace {

constexpr int32_t kFailed = 1;
constexpr int32_t kSceneCount = 128;
constexpr int32_t kSceneGroupCount = 32;

int32_t Store(std::map<std::wstring, AnyType>& data, const wchar_t* name, const AnyType* value) {
  if (name == nullptr || value == nullptr) return kFailed;
  data[name] = *value;
  return 0;
}

int32_t Fetch(const std::map<std::wstring, AnyType>& data, const wchar_t* name, AnyType* value) {
  if (name == nullptr || value == nullptr) return kFailed;
  const auto it = data.find(name);
  if (it == data.end()) return kFailed;
  *value = it->second;
  return 0;
}

// "Add" creates an item; an item that exists already is refused.
int32_t Add(std::map<std::wstring, AnyType>& data, const wchar_t* name, const AnyType* value) {
  if (name == nullptr || value == nullptr || data.count(name) != 0) return kFailed;
  data[name] = *value;
  return 0;
}

// System data items are named by section and name, joined by a character no
// name contains.
std::wstring SystemKey(const wchar_t* section, const wchar_t* name) {
  return std::wstring(section != nullptr ? section : L"") + L'\n' + (name != nullptr ? name : L"");
}

int32_t TextResult(const std::wstring& text, wchar_t* buffer, int32_t* capacity) {
  if (buffer == nullptr || capacity == nullptr || *capacity <= 0) return kFailed;
  CopyToBuffer(text, buffer, *capacity);
  return 0;
}

// PLC data is kept little-endian in the simulated link.
template <class T>
void Encode(void* place, T value) {
  std::memcpy(place, &value, sizeof value);
}
template <class T>
T Decode(const void* place) {
  T value;
  std::memcpy(&value, place, sizeof value);
  return value;
}

class SimIoModule final : public IoModule {
 public:
  int32_t PutAll(int32_t value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    outputs_ = value;
    return 0;
  }
  int32_t GetAll() override {
    std::lock_guard<std::mutex> guard(mutex_);
    return outputs_;  // outputs are wired back to the inputs
  }
  int32_t SetPlcData32(void* place, int32_t value) override {
    if (place == nullptr) return kFailed;
    Encode(place, value);
    return 0;
  }
  int32_t GetPlcData32(const void* place) override {
    return place != nullptr ? Decode<int32_t>(place) : 0;
  }
  int32_t SetPlcData16(void* place, int32_t value) override {
    if (place == nullptr) return kFailed;
    Encode(place, static_cast<int16_t>(value));
    return 0;
  }
  int16_t GetPlcData16(const void* place) override {
    return place != nullptr ? Decode<int16_t>(place) : 0;
  }
  int32_t SetPlcDataReal(void* place, double value) override {
    if (place == nullptr) return kFailed;
    Encode(place, value);
    return 0;
  }
  double GetPlcDataReal(const void* place) override {
    return place != nullptr ? Decode<double>(place) : 0.0;
  }
  int32_t SetPollingState(int32_t state) override {
    std::lock_guard<std::mutex> guard(mutex_);
    polling_ = state;
    return 0;
  }
  int32_t GetPollingState() override {
    std::lock_guard<std::mutex> guard(mutex_);
    return polling_;
  }

 private:
  std::mutex mutex_;
  int32_t outputs_ = 0;
  int32_t polling_ = 0;
};

class SimCore final : public CoreServices {
 public:
  int32_t SetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Store(systemData_, SystemKey(section, name).c_str(), value);
  }
  int32_t GetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Fetch(systemData_, SystemKey(section, name).c_str(), value);
  }
  int32_t AddSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Add(systemData_, SystemKey(section, name).c_str(), value);
  }
  int32_t ChangeSceneGroup(int32_t, int32_t group) override {
    if (group < 0 || group >= kSceneGroupCount) return kFailed;
    std::lock_guard<std::mutex> guard(mutex_);
    sceneGroup_ = group;
    return 0;
  }
  int32_t SetSceneGroupTitle(int32_t group, const wchar_t* title) override {
    if (group < 0 || group >= kSceneGroupCount || title == nullptr) return kFailed;
    std::lock_guard<std::mutex> guard(mutex_);
    groupTitles_[group] = title;
    return 0;
  }
  int32_t GetSceneGroupTitle(int32_t group, wchar_t* buffer, int32_t* capacity) override {
    if (group < 0 || group >= kSceneGroupCount) return kFailed;
    std::lock_guard<std::mutex> guard(mutex_);
    return TextResult(groupTitles_[group], buffer, capacity);
  }
  int32_t GetSceneGroupCount() override { return kSceneGroupCount; }
  int32_t GetSceneGroupNo() override {
    std::lock_guard<std::mutex> guard(mutex_);
    return sceneGroup_;
  }
  int32_t ChangeScene(int32_t scene) override {
    if (scene < 0 || scene >= kSceneCount) return kFailed;
    std::lock_guard<std::mutex> guard(mutex_);
    scene_ = scene;
    return 0;
  }
  int32_t SetSceneTitle(int32_t scene, const wchar_t* title) override {
    if (scene < 0 || scene >= kSceneCount || title == nullptr) return kFailed;
    std::lock_guard<std::mutex> guard(mutex_);
    sceneTitles_[scene] = title;
    return 0;
  }
  int32_t GetSceneTitle(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    if (scene < 0 || scene >= kSceneCount) return kFailed;
    std::lock_guard<std::mutex> guard(mutex_);
    return TextResult(sceneTitles_[scene], buffer, capacity);
  }
  int32_t GetSceneCount() override { return kSceneCount; }
  int32_t GetSceneNo() override {
    std::lock_guard<std::mutex> guard(mutex_);
    return scene_;
  }
  int32_t MeasureStart() override { return 0; }
  int32_t MeasureStop(int32_t) override { return 0; }
  int32_t Measure(int32_t) override { return 0; }
  int32_t ImageUpdate() override { return 0; }
  int32_t SetMeasureOut(int32_t value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    measureOut_ = value;
    return 0;
  }
  int32_t GetMeasureOut() override {
    std::lock_guard<std::mutex> guard(mutex_);
    return measureOut_;
  }
  IoModule* GetIoModule(const wchar_t* name) override {
    return name != nullptr && std::wcscmp(name, L"SIM") == 0 ? &io_ : nullptr;
  }
  int32_t RunOut(int32_t) override { return 0; }
  int32_t ErrorOut(int32_t) override { return 0; }
  int32_t SetGlobalData(const wchar_t* name, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Store(globalData_, name, value);
  }
  int32_t GetGlobalData(const wchar_t* name, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Fetch(globalData_, name, value);
  }
  int32_t AddGlobalData(const wchar_t* name, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Add(globalData_, name, value);
  }
  int32_t GetApplicationPath(int32_t kind, wchar_t* buffer) override {
    if (kind < 0 || kind > 3 || buffer == nullptr) return kFailed;
    int32_t capacity = kHostTextCapacity;
    return TextResult(GetCoreRAPath(), buffer, &capacity);
  }
  int32_t GetApplicationVersion(int32_t, wchar_t* buffer, int32_t capacity) override {
    return TextResult(L"Macro(SC) simulator", buffer, &capacity);
  }

 private:
  std::mutex mutex_;
  std::map<std::wstring, AnyType> systemData_;
  std::map<std::wstring, AnyType> globalData_;
  std::map<int32_t, std::wstring> groupTitles_;
  std::map<int32_t, std::wstring> sceneTitles_;
  int32_t sceneGroup_ = 0;
  int32_t scene_ = 0;
  int32_t measureOut_ = 0;
  SimIoModule io_;
};

class SimHost final : public HostInterface {
 public:
  int32_t SetSceneData(const wchar_t* name, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Store(sceneData_, name, value);
  }
  int32_t GetSceneData(const wchar_t* name, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return Fetch(sceneData_, name, value);
  }
  int32_t CheckUnit(int32_t unit) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return units_.count(unit) != 0 ? 1 : 0;
  }
  int32_t AssignUnit(int32_t unit, const wchar_t* kind) override {
    if (unit < 0 || kind == nullptr) return kFailed;
    std::lock_guard<std::mutex> guard(mutex_);
    units_[unit] = Unit{kind, {}};
    return 0;
  }
  int32_t DeleteUnit(int32_t unit) override {
    std::lock_guard<std::mutex> guard(mutex_);
    return units_.erase(unit) != 0 ? 0 : kFailed;
  }
  int32_t GetUnitCount() override {
    std::lock_guard<std::mutex> guard(mutex_);
    return static_cast<int32_t>(units_.size());
  }
  int32_t SetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto it = units_.find(unit);
    return it != units_.end() ? Store(it->second.data, item, value) : kFailed;
  }
  int32_t SetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override {
    return SetUnitData(unit, NumberedItem(item).c_str(), value);
  }
  int32_t GetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto it = units_.find(unit);
    return it != units_.end() ? Fetch(it->second.data, item, value) : kFailed;
  }
  int32_t GetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override {
    return GetUnitData(unit, NumberedItem(item).c_str(), value);
  }
  int32_t GetUnitItemIdent(int32_t unit, wchar_t* buffer) override {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto it = units_.find(unit);
    if (it == units_.end()) return kFailed;
    int32_t capacity = kHostTextCapacity;
    return TextResult(it->second.kind, buffer, &capacity);
  }
  int32_t SetDisplayUnitNo(int32_t unit) override {
    std::lock_guard<std::mutex> guard(mutex_);
    displayUnit_ = unit;
    return 0;
  }
  int32_t GetDisplayUnitNo() override {
    std::lock_guard<std::mutex> guard(mutex_);
    return displayUnit_;
  }

 private:
  struct Unit {
    std::wstring kind;
    std::map<std::wstring, AnyType> data;
  };
  // Items addressed by number share the store of named items as "#n".
  static std::wstring NumberedItem(int32_t item) { return L"#" + std::to_wstring(item); }

  std::mutex mutex_;
  std::map<std::wstring, AnyType> sceneData_;
  std::map<int32_t, Unit> units_;
  int32_t displayUnit_ = 0;
};

}  // namespace

// Never destroyed: macro objects may still call them during process exit.
HostInterface* ModelHost() {
  static auto* host = new SimHost;
  return host;
}

CoreServices* ModelCore() {
  static auto* core = new SimCore;
  return core;
}

}  // namespace msc::sim
