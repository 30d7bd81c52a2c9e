// Scene groups and scenes: which is current, their titles, copies and
// clearing, and the current scene's named data.
#include <string>
#include <utility>

#include "macro_sc/host.h"
#include "model.h"
#include "model_objects.h"

namespace msc::sim::model {

namespace {

int32_t SetSceneText(int32_t scene, const wchar_t* text, std::wstring Scene::*field) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!SceneInRange(c, scene) || text == nullptr) return kFailed;
  c.groups[c.group].scenes[scene].*field = text;
  return 0;
}

int32_t GetSceneText(int32_t scene, wchar_t* buffer, int32_t* capacity,
                     std::wstring Scene::*field) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!SceneInRange(c, scene)) return kFailed;
  const auto& scenes = c.groups[c.group].scenes;
  const auto it = scenes.find(scene);
  return TextResult(it != scenes.end() ? it->second.*field : std::wstring(), buffer, capacity);
}

}  // namespace

int32_t SimCore::ChangeSceneGroup(int32_t group, int32_t scene) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!GroupInRange(c, group) || !SceneInRange(c, scene)) return kFailed;
  c.group = group;
  c.scene = scene;
  return 0;
}

int32_t SimCore::ClearSceneGroup(int32_t group) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!GroupInRange(c, group)) return kFailed;
  c.groups.erase(group);
  return 0;
}

int32_t SimCore::CopySceneGroup(int32_t from, int32_t to) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!GroupInRange(c, from) || !GroupInRange(c, to)) return kFailed;
  SceneGroup copy = c.groups[from];
  c.groups[to] = std::move(copy);
  return 0;
}

int32_t SimCore::SetSceneGroupTitle(int32_t group, const wchar_t* title) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!GroupInRange(c, group) || title == nullptr) return kFailed;
  c.groups[group].title = title;
  return 0;
}

int32_t SimCore::GetSceneGroupTitle(int32_t group, wchar_t* buffer, int32_t* capacity) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!GroupInRange(c, group)) return kFailed;
  return TextResult(c.groups[group].title, buffer, capacity);
}

int32_t SimCore::GetSceneGroupCount() { return GetField(&Controller::groupCount); }

int32_t SimCore::GetSceneGroupNo() { return GetField(&Controller::group); }

int32_t SimCore::ChangeScene(int32_t scene) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!SceneInRange(c, scene)) return kFailed;
  c.scene = scene;
  return 0;
}

int32_t SimCore::ClearScene(int32_t scene) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!SceneInRange(c, scene)) return kFailed;
  c.groups[c.group].scenes.erase(scene);
  return 0;
}

int32_t SimCore::CopyScene(int32_t from, int32_t to) {
  Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (!SceneInRange(c, from) || !SceneInRange(c, to)) return kFailed;
  auto& scenes = c.groups[c.group].scenes;
  Scene copy = scenes[from];
  scenes[to] = std::move(copy);
  return 0;
}

int32_t SimCore::SetSceneTitle(int32_t scene, const wchar_t* text) {
  return SetSceneText(scene, text, &Scene::title);
}

int32_t SimCore::GetSceneTitle(int32_t scene, wchar_t* buffer, int32_t* capacity) {
  return GetSceneText(scene, buffer, capacity, &Scene::title);
}

int32_t SimCore::SetSceneMaker(int32_t scene, const wchar_t* text) {
  return SetSceneText(scene, text, &Scene::maker);
}

int32_t SimCore::GetSceneMaker(int32_t scene, wchar_t* buffer, int32_t* capacity) {
  return GetSceneText(scene, buffer, capacity, &Scene::maker);
}

int32_t SimCore::SetSceneDescription(int32_t scene, const wchar_t* text) {
  return SetSceneText(scene, text, &Scene::description);
}

int32_t SimCore::GetSceneDescription(int32_t scene, wchar_t* buffer, int32_t* capacity) {
  return GetSceneText(scene, buffer, capacity, &Scene::description);
}

int32_t SimCore::GetSceneCount() { return GetField(&Controller::sceneCount); }

int32_t SimCore::GetSceneNo() { return GetField(&Controller::scene); }

int32_t SimHost::SetSceneData(const wchar_t* name, AnyType* value) {
  Lock guard(ControllerMutex());
  return Store(TheController().CurrentScene().data, name, value);
}

int32_t SimHost::GetSceneData(const wchar_t* name, AnyType* value) {
  Lock guard(ControllerMutex());
  return Fetch(TheController().CurrentScene().data, name, value);
}

}  // namespace msc::sim::model
