// The controller model's callback objects (the core services object and the
// host interface) and what their calls share. Their calls are defined by
// concern: scenes.cpp, units.cpp, catalogue.cpp, measurement.cpp,
// windows.cpp, channels.cpp, stored_data.cpp, and controller.cpp for the rest.
// Statuses: 0 success, kFailed for anything the controller refuses (a unit,
// scene or item that is not there, a number out of range, a file that cannot
// be written or read).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "macro_sc/host.h"
#include "model.h"

namespace msc::sim::model {

inline constexpr int32_t kFailed = 1;

// Every call takes the controller's lock for its whole work.
using Lock = std::lock_guard<std::mutex>;

inline int32_t Status(bool ok) { return ok ? 0 : kFailed; }

// Text into the caller's buffer of *capacity characters; without a capacity
// the buffer holds kHostTextCapacity.
int32_t TextResult(const std::wstring& text, wchar_t* buffer, int32_t* capacity);
int32_t TextResult(const std::wstring& text, wchar_t* buffer);

// A named data item stored, or fetched (an unknown name fails).
int32_t Store(DataItems& data, const wchar_t* name, const AnyType* value);
int32_t Fetch(const DataItems& data, const wchar_t* name, AnyType* value);

inline bool SceneInRange(const Controller& c, int32_t scene) {
  return scene >= 0 && scene < c.sceneCount;
}
inline bool GroupInRange(const Controller& c, int32_t group) {
  return group >= 0 && group < c.groupCount;
}

// A setting of the controller set, or read, under its lock.
template <class T, class V>
int32_t SetField(T Controller::*field, V value) {
  Lock guard(ControllerMutex());
  TheController().*field = value;
  return 0;
}
template <class T>
T GetField(T Controller::*field) {
  Lock guard(ControllerMutex());
  return TheController().*field;
}

// Runs fn on a unit of the current scene under the controller's lock; a
// unit that is not there gets the answer absent.
template <class Fn>
int32_t WithUnit(int32_t unit, Fn&& fn, int32_t absent = kFailed) {
  Lock guard(ControllerMutex());
  Unit* u = TheController().FindUnit(unit);
  return u != nullptr ? fn(*u) : absent;
}

// The handle of a channel name (channels.cpp); handles are never destroyed.
IoModule* ChannelHandle(const std::wstring& name);

class SimCore final : public CoreServices {
 public:
  int32_t SetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override;
  int32_t GetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override;
  int32_t AddSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override;
  int32_t ChangeSceneGroup(int32_t group, int32_t scene) override;
  int32_t ClearSceneGroup(int32_t group) override;
  int32_t CopySceneGroup(int32_t from, int32_t to) override;
  int32_t SetSceneGroupTitle(int32_t group, const wchar_t* title) override;
  int32_t GetSceneGroupTitle(int32_t group, wchar_t* buffer, int32_t* capacity) override;
  int32_t GetSceneGroupCount() override;
  int32_t GetSceneGroupNo() override;
  int32_t ChangeScene(int32_t scene) override;
  int32_t ClearScene(int32_t scene) override;
  int32_t CopyScene(int32_t from, int32_t to) override;
  int32_t SetSceneTitle(int32_t scene, const wchar_t* text) override;
  int32_t GetSceneTitle(int32_t scene, wchar_t* buffer, int32_t* capacity) override;
  int32_t SetSceneMaker(int32_t scene, const wchar_t* text) override;
  int32_t GetSceneMaker(int32_t scene, wchar_t* buffer, int32_t* capacity) override;
  int32_t SetSceneDescription(int32_t scene, const wchar_t* text) override;
  int32_t GetSceneDescription(int32_t scene, wchar_t* buffer, int32_t* capacity) override;
  int32_t GetSceneCount() override;
  int32_t GetSceneNo() override;
  int32_t GetItemCount() override;
  int32_t GetItemInfo(int32_t item, int32_t kind) override;
  int32_t GetItemTitle(int32_t item, wchar_t* buffer) override;
  int32_t GetItemIdent(int32_t item, wchar_t* buffer) override;
  int32_t MeasureProc(int32_t unit) override;
  // (source scene, source unit, source figure, destination unit, destination
  // figure); the destination is in the current scene, both in the current group.
  int32_t CopyUnitFigure(int32_t scene, int32_t from, int32_t figure, int32_t to,
                         int32_t toFigure) override;
  int32_t CopyUnitModel(int32_t scene, int32_t from, int32_t model, int32_t to,
                        int32_t toModel) override;
  int32_t MeasureStart() override;
  int32_t MeasureStop(int32_t) override;
  int32_t Measure(int32_t) override;
  int32_t RemeasureByName(const wchar_t* name, int32_t) override;
  int32_t Remeasure(int32_t, int32_t) override;
  int32_t TestMeasure(int32_t mode, int32_t, const wchar_t*, int32_t, int32_t, int32_t) override;
  int32_t ImageUpdate() override;
  int32_t SetMeasureOut(int32_t value) override;
  int32_t GetMeasureOut() override;
  int32_t RefreshImageWindow(int32_t) override;
  int32_t RefreshTextWindow() override;
  int32_t SetJudgeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override;
  int32_t RefreshJudgeWindow() override;
  int32_t SetTimeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override;
  int32_t RefreshTimeWindow() override;
  int32_t SaveSystemData(const wchar_t* file) override;
  int32_t LoadSystemData(const wchar_t* file) override;
  int32_t SaveSceneGroup(int32_t group, const wchar_t* file) override;
  int32_t LoadSceneGroup(int32_t group, const wchar_t* file) override;
  int32_t SaveScene(int32_t scene, const wchar_t* file) override;
  int32_t LoadScene(int32_t scene, const wchar_t* file) override;
  int32_t SaveUnitData(int32_t group, int32_t scene, int32_t unit, const wchar_t* file) override;
  int32_t LoadUnitData(int32_t group, int32_t scene, int32_t unit, int32_t mode,
                       const wchar_t* file) override;
  int32_t SaveBackupData(const wchar_t* file) override;
  int32_t LoadBackupData(const wchar_t* file) override;
  int32_t SaveData() override;
  IoModule* GetIoModule(const wchar_t* name) override;
  int32_t RunOut(int32_t value) override;
  int32_t ScreenCapture(const wchar_t* file) override;
  int32_t ExitQorProcess() override;
  int32_t SystemReset() override;
  int32_t RaiseOptionEvent(int32_t, int32_t) override;
  int32_t SetGlobalData(const wchar_t* name, AnyType* value) override;
  int32_t GetGlobalData(const wchar_t* name, AnyType* value) override;
  int32_t AddGlobalData(const wchar_t* name, AnyType* value) override;
  int32_t SaveImage(int32_t, const wchar_t* file) override;
  int32_t GetApplicationPath(int32_t kind, wchar_t* buffer) override;
  int32_t ErrorOut(int32_t value) override;
  int32_t RaiseErrorProcEvent(int32_t, int32_t, int32_t) override;
  int32_t ExecuteErrorProc(int32_t, int32_t) override;
  int32_t GetApplicationVersion(int32_t, wchar_t* buffer, int32_t capacity) override;
};

class SimHost final : public HostInterface {
 public:
  int32_t SetSceneData(const wchar_t* name, AnyType* value) override;
  int32_t GetSceneData(const wchar_t* name, AnyType* value) override;
  int32_t CheckUnit(int32_t unit) override;
  // A unit number up to the count: the unit there is replaced, or the new
  // one is added at the end.
  int32_t AssignUnit(int32_t unit, const wchar_t* kind) override;
  int32_t InsertUnit(int32_t unit, const wchar_t* kind) override;
  int32_t DeleteUnit(int32_t unit) override;
  // (scene, source unit, destination unit, mode): a unit of another scene of
  // the group into the current scene; mode 0 overwrites, otherwise inserts.
  int32_t CopyUnitEx(int32_t scene, int32_t from, int32_t to, int32_t mode) override;
  int32_t CopyUnit(int32_t from, int32_t to, int32_t mode) override;
  int32_t MoveUnit(int32_t from, int32_t to) override;
  int32_t GetUnitCount() override;
  // The first unit with the title; -1 when none has it.
  int32_t GetUnitNo(const wchar_t* name) override;
  int32_t SetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override;
  int32_t SetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override;
  int32_t GetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override;
  int32_t GetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override;
  // A figure block starts with its length in bytes (a 16-bit word, itself
  // included).
  int32_t SetUnitFigure(int32_t unit, int32_t figure, const void* block) override;
  int32_t GetUnitFigure(int32_t unit, int32_t figure, int32_t* place, void* buffer) override;
  int32_t GetImageFormat(int32_t, int32_t) override;
  int32_t GetImageSize(int32_t, int32_t, int32_t* width, int32_t* height) override;
  int32_t SetUnitTitle(int32_t unit, const wchar_t* title) override;
  int32_t GetUnitTitle(int32_t unit, wchar_t* buffer, int32_t* capacity) override;
  int32_t GetUnitItemIdent(int32_t unit, wchar_t* buffer) override;
  int32_t GetUnitInfo(int32_t unit, int32_t item) override;
  int32_t GetUnitJudge(int32_t unit) override;
  int32_t ClearMeasureData(int32_t unit) override;
  int32_t ClearAllMeasureData(int32_t) override;
  int32_t SetImageWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5,
                         int32_t a6, double a7, int32_t a8, int32_t a9, int32_t a10,
                         int32_t a11) override;
  int32_t GetImageWindow(int32_t window, int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4,
                         int32_t* a5, int32_t* a6, double* a7, int32_t* a8, int32_t* a9,
                         int32_t* a10, int32_t* a11) override;
  int32_t SetTextWindow(int32_t a1, int32_t a2, int32_t a3, int32_t a4) override;
  int32_t GetTextWindow(int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4) override;
  int32_t SetDisplayUnitNo(int32_t unit) override;
  int32_t GetDisplayUnitNo() override;
};

}  // namespace msc::sim::model
