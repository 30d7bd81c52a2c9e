// System data, global data and the controller's data files.
#include <string>

#include "controller_files.h"
#include "macro_sc/host.h"
#include "model.h"
#include "model_objects.h"

namespace msc::sim::model {

namespace {

std::wstring Text(const wchar_t* text) { return text != nullptr ? text : L""; }

// "Add" creates an item; an item that exists already is refused.
int32_t Add(DataItems& data, const wchar_t* name, const AnyType* value) {
  if (name == nullptr || value == nullptr || data.count(name) != 0) return kFailed;
  data[name] = *value;
  return 0;
}

// A file operation on the controller under its lock; false is kFailed.
template <class Fn>
int32_t FileCall(Fn&& fn) {
  Lock guard(ControllerMutex());
  return Status(fn(TheController()));
}

}  // namespace

int32_t SimCore::SetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) {
  Lock guard(ControllerMutex());
  if (value == nullptr) return kFailed;
  TheController().system[{Text(section), Text(name)}] = *value;
  return 0;
}

int32_t SimCore::GetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) {
  Lock guard(ControllerMutex());
  const auto& system = TheController().system;
  const auto it = system.find({Text(section), Text(name)});
  if (value == nullptr || it == system.end()) return kFailed;
  *value = it->second;
  return 0;
}

int32_t SimCore::AddSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) {
  Lock guard(ControllerMutex());
  auto& system = TheController().system;
  if (value == nullptr || !system.try_emplace({Text(section), Text(name)}, *value).second)
    return kFailed;
  return 0;
}

int32_t SimCore::SaveSystemData(const wchar_t* file) {
  return FileCall([&](Controller& c) { return files::SaveSystem(c, file); });
}

int32_t SimCore::LoadSystemData(const wchar_t* file) {
  return FileCall([&](Controller& c) { return files::LoadSystem(c, file); });
}

int32_t SimCore::SaveSceneGroup(int32_t group, const wchar_t* file) {
  return FileCall(
      [&](Controller& c) { return GroupInRange(c, group) && files::SaveGroup(c, group, file); });
}

int32_t SimCore::LoadSceneGroup(int32_t group, const wchar_t* file) {
  return FileCall(
      [&](Controller& c) { return GroupInRange(c, group) && files::LoadGroup(c, group, file); });
}

int32_t SimCore::SaveScene(int32_t scene, const wchar_t* file) {
  return FileCall(
      [&](Controller& c) { return SceneInRange(c, scene) && files::SaveScene(c, scene, file); });
}

int32_t SimCore::LoadScene(int32_t scene, const wchar_t* file) {
  return FileCall(
      [&](Controller& c) { return SceneInRange(c, scene) && files::LoadScene(c, scene, file); });
}

int32_t SimCore::SaveUnitData(int32_t group, int32_t scene, int32_t unit, const wchar_t* file) {
  return FileCall([&](Controller& c) {
    return GroupInRange(c, group) && SceneInRange(c, scene) &&
           files::SaveUnit(c, group, scene, unit, file);
  });
}

int32_t SimCore::LoadUnitData(int32_t group, int32_t scene, int32_t unit, int32_t mode,
                              const wchar_t* file) {
  return FileCall([&](Controller& c) {
    return GroupInRange(c, group) && SceneInRange(c, scene) &&
           files::LoadUnit(c, group, scene, unit, mode != 0, file);
  });
}

int32_t SimCore::SaveBackupData(const wchar_t* file) {
  return FileCall([&](Controller& c) { return files::SaveBackup(c, file); });
}

int32_t SimCore::LoadBackupData(const wchar_t* file) {
  return FileCall([&](Controller& c) { return files::LoadBackup(c, file); });
}

int32_t SimCore::SaveData() { return 0; }

int32_t SimCore::ScreenCapture(const wchar_t* file) {
  return FileCall(
      [&](Controller& c) { return files::WriteImage(file, c.imageWidth, c.imageHeight); });
}

int32_t SimCore::SetGlobalData(const wchar_t* name, AnyType* value) {
  Lock guard(ControllerMutex());
  return Store(TheController().global, name, value);
}

int32_t SimCore::GetGlobalData(const wchar_t* name, AnyType* value) {
  Lock guard(ControllerMutex());
  return Fetch(TheController().global, name, value);
}

int32_t SimCore::AddGlobalData(const wchar_t* name, AnyType* value) {
  Lock guard(ControllerMutex());
  return Add(TheController().global, name, value);
}

int32_t SimCore::SaveImage(int32_t, const wchar_t* file) {
  return FileCall(
      [&](Controller& c) { return files::WriteImage(file, c.imageWidth, c.imageHeight); });
}

}  // namespace msc::sim::model
