// The front of the core services object: every call passes Serve on its way
// to the model.
#include <cstdint>

#include "macro_sc/host.h"
#include "serve.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {
namespace front {
namespace {

class FrontCore final : public CoreServices {
 public:
  explicit FrontCore(CoreServices* model) : m_(model) {}

  int32_t SetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    return Pass<kCore, 0>(nullptr, m_, &CoreServices::SetSystemData, section, name, value);
  }
  int32_t GetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    return PassValue<kCore, 1>(m_, &CoreServices::GetSystemData, value, section, name);
  }
  int32_t AddSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    return Pass<kCore, 2>(nullptr, m_, &CoreServices::AddSystemData, section, name, value);
  }
  int32_t ChangeSceneGroup(int32_t group, int32_t scene) override {
    return Pass<kCore, 3>(nullptr, m_, &CoreServices::ChangeSceneGroup, group, scene);
  }
  int32_t ClearSceneGroup(int32_t group) override {
    return Pass<kCore, 4>(nullptr, m_, &CoreServices::ClearSceneGroup, group);
  }
  int32_t CopySceneGroup(int32_t from, int32_t to) override {
    return Pass<kCore, 5>(nullptr, m_, &CoreServices::CopySceneGroup, from, to);
  }
  int32_t SetSceneGroupTitle(int32_t group, const wchar_t* title) override {
    return Pass<kCore, 6>(nullptr, m_, &CoreServices::SetSceneGroupTitle, group, title);
  }
  int32_t GetSceneGroupTitle(int32_t group, wchar_t* buffer, int32_t* capacity) override {
    return PassText<kCore, 7>(m_, &CoreServices::GetSceneGroupTitle, group, buffer, capacity);
  }
  int32_t GetSceneGroupCount() override {
    return Pass<kCore, 8>(nullptr, m_, &CoreServices::GetSceneGroupCount);
  }
  int32_t GetSceneGroupNo() override {
    return Pass<kCore, 9>(nullptr, m_, &CoreServices::GetSceneGroupNo);
  }
  int32_t ChangeScene(int32_t scene) override {
    return Pass<kCore, 10>(nullptr, m_, &CoreServices::ChangeScene, scene);
  }
  int32_t ClearScene(int32_t scene) override {
    return Pass<kCore, 11>(nullptr, m_, &CoreServices::ClearScene, scene);
  }
  int32_t CopyScene(int32_t from, int32_t to) override {
    return Pass<kCore, 12>(nullptr, m_, &CoreServices::CopyScene, from, to);
  }
  int32_t SetSceneTitle(int32_t scene, const wchar_t* text) override {
    return Pass<kCore, 13>(nullptr, m_, &CoreServices::SetSceneTitle, scene, text);
  }
  int32_t GetSceneTitle(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return PassText<kCore, 14>(m_, &CoreServices::GetSceneTitle, scene, buffer, capacity);
  }
  int32_t SetSceneMaker(int32_t scene, const wchar_t* text) override {
    return Pass<kCore, 15>(nullptr, m_, &CoreServices::SetSceneMaker, scene, text);
  }
  int32_t GetSceneMaker(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return PassText<kCore, 16>(m_, &CoreServices::GetSceneMaker, scene, buffer, capacity);
  }
  int32_t SetSceneDescription(int32_t scene, const wchar_t* text) override {
    return Pass<kCore, 17>(nullptr, m_, &CoreServices::SetSceneDescription, scene, text);
  }
  int32_t GetSceneDescription(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return PassText<kCore, 18>(m_, &CoreServices::GetSceneDescription, scene, buffer, capacity);
  }
  int32_t GetSceneCount() override {
    return Pass<kCore, 19>(nullptr, m_, &CoreServices::GetSceneCount);
  }
  int32_t GetSceneNo() override {
    return Pass<kCore, 20>(nullptr, m_, &CoreServices::GetSceneNo);
  }
  int32_t GetItemCount() override {
    return Pass<kCore, 21>(nullptr, m_, &CoreServices::GetItemCount);
  }
  int32_t GetItemInfo(int32_t item, int32_t kind) override {
    return Pass<kCore, 22>(nullptr, m_, &CoreServices::GetItemInfo, item, kind);
  }
  int32_t GetItemTitle(int32_t item, wchar_t* buffer) override {
    return PassText<kCore, 23>(m_, &CoreServices::GetItemTitle, item, buffer);
  }
  int32_t GetItemIdent(int32_t item, wchar_t* buffer) override {
    return PassText<kCore, 24>(m_, &CoreServices::GetItemIdent, item, buffer);
  }
  int32_t MeasureProc(int32_t unit) override {
    return Pass<kCore, 34>(nullptr, m_, &CoreServices::MeasureProc, unit);
  }
  int32_t CopyUnitFigure(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) override {
    return Pass<kCore, 44>(nullptr, m_, &CoreServices::CopyUnitFigure, a1, a2, a3, a4, a5);
  }
  int32_t CopyUnitModel(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) override {
    return Pass<kCore, 45>(nullptr, m_, &CoreServices::CopyUnitModel, a1, a2, a3, a4, a5);
  }
  int32_t MeasureStart() override {
    return Pass<kCore, 57>(nullptr, m_, &CoreServices::MeasureStart);
  }
  int32_t MeasureStop(int32_t value) override {
    return Pass<kCore, 59>(nullptr, m_, &CoreServices::MeasureStop, value);
  }
  int32_t Measure(int32_t value) override {
    return Pass<kCore, 61>(nullptr, m_, &CoreServices::Measure, value);
  }
  int32_t RemeasureByName(const wchar_t* name, int32_t value) override {
    return Pass<kCore, 62>(nullptr, m_, &CoreServices::RemeasureByName, name, value);
  }
  int32_t Remeasure(int32_t number, int32_t value) override {
    return Pass<kCore, 63>(nullptr, m_, &CoreServices::Remeasure, number, value);
  }
  int32_t TestMeasure(int32_t mode, int32_t number, const wchar_t* name, int32_t a4, int32_t a5,
                      int32_t a6) override {
    return Pass<kCore, 64>(nullptr, m_, &CoreServices::TestMeasure, mode, number, name, a4, a5, a6);
  }
  int32_t ImageUpdate() override {
    return Pass<kCore, 65>(nullptr, m_, &CoreServices::ImageUpdate);
  }
  int32_t SetMeasureOut(int32_t value) override {
    return Pass<kCore, 71>(nullptr, m_, &CoreServices::SetMeasureOut, value);
  }
  int32_t GetMeasureOut() override {
    return Pass<kCore, 73>(nullptr, m_, &CoreServices::GetMeasureOut);
  }
  int32_t RefreshImageWindow(int32_t value) override {
    return Pass<kCore, 94>(nullptr, m_, &CoreServices::RefreshImageWindow, value);
  }
  int32_t RefreshTextWindow() override {
    return Pass<kCore, 102>(nullptr, m_, &CoreServices::RefreshTextWindow);
  }
  int32_t SetJudgeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override {
    return Pass<kCore, 104>(nullptr, m_, &CoreServices::SetJudgeWindow, window, a1, a2, a3);
  }
  int32_t RefreshJudgeWindow() override {
    return Pass<kCore, 107>(nullptr, m_, &CoreServices::RefreshJudgeWindow);
  }
  int32_t SetTimeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override {
    return Pass<kCore, 109>(nullptr, m_, &CoreServices::SetTimeWindow, window, a1, a2, a3);
  }
  int32_t RefreshTimeWindow() override {
    return Pass<kCore, 112>(nullptr, m_, &CoreServices::RefreshTimeWindow);
  }
  int32_t SaveSystemData(const wchar_t* file) override {
    return Pass<kCore, 124>(nullptr, m_, &CoreServices::SaveSystemData, file);
  }
  int32_t LoadSystemData(const wchar_t* file) override {
    return Pass<kCore, 126>(nullptr, m_, &CoreServices::LoadSystemData, file);
  }
  int32_t SaveSceneGroup(int32_t group, const wchar_t* file) override {
    return Pass<kCore, 127>(nullptr, m_, &CoreServices::SaveSceneGroup, group, file);
  }
  int32_t LoadSceneGroup(int32_t group, const wchar_t* file) override {
    return Pass<kCore, 130>(nullptr, m_, &CoreServices::LoadSceneGroup, group, file);
  }
  int32_t SaveScene(int32_t scene, const wchar_t* file) override {
    return Pass<kCore, 133>(nullptr, m_, &CoreServices::SaveScene, scene, file);
  }
  int32_t LoadScene(int32_t scene, const wchar_t* file) override {
    return Pass<kCore, 134>(nullptr, m_, &CoreServices::LoadScene, scene, file);
  }
  int32_t SaveUnitData(int32_t a1, int32_t a2, int32_t a3, const wchar_t* file) override {
    return Pass<kCore, 135>(nullptr, m_, &CoreServices::SaveUnitData, a1, a2, a3, file);
  }
  int32_t LoadUnitData(int32_t a1, int32_t a2, int32_t a3, int32_t a4, const wchar_t* file) override {
    return Pass<kCore, 136>(nullptr, m_, &CoreServices::LoadUnitData, a1, a2, a3, a4, file);
  }
  int32_t SaveBackupData(const wchar_t* file) override {
    return Pass<kCore, 137>(nullptr, m_, &CoreServices::SaveBackupData, file);
  }
  int32_t LoadBackupData(const wchar_t* file) override {
    return Pass<kCore, 138>(nullptr, m_, &CoreServices::LoadBackupData, file);
  }
  int32_t SaveData() override {
    return Pass<kCore, 139>(nullptr, m_, &CoreServices::SaveData);
  }
  // Traced with the status 0 when the channel was found, else 1.
  IoModule* GetIoModule(const wchar_t* name) override {
    IoModule* found = nullptr;
    const int32_t status = Serve<kCore, 141>(nullptr, [&] { return A(name); }, [&] {
      found = m_->GetIoModule(name);
      return found != nullptr ? 0 : 1;
    });
    return status == 0 && found != nullptr ? ChannelFront(found, name) : nullptr;
  }
  int32_t RunOut(int32_t value) override {
    return Pass<kCore, 143>(nullptr, m_, &CoreServices::RunOut, value);
  }
  int32_t ScreenCapture(const wchar_t* file) override {
    return Pass<kCore, 147>(nullptr, m_, &CoreServices::ScreenCapture, file);
  }
  int32_t ExitQorProcess() override {
    return Pass<kCore, 149>(nullptr, m_, &CoreServices::ExitQorProcess);
  }
  int32_t SystemReset() override {
    return Pass<kCore, 150>(nullptr, m_, &CoreServices::SystemReset);
  }
  int32_t RaiseOptionEvent(int32_t a1, int32_t a2) override {
    return Pass<kCore, 153>(nullptr, m_, &CoreServices::RaiseOptionEvent, a1, a2);
  }
  int32_t SetGlobalData(const wchar_t* name, AnyType* value) override {
    return Pass<kCore, 154>(nullptr, m_, &CoreServices::SetGlobalData, name, value);
  }
  int32_t GetGlobalData(const wchar_t* name, AnyType* value) override {
    return PassValue<kCore, 155>(m_, &CoreServices::GetGlobalData, value, name);
  }
  int32_t AddGlobalData(const wchar_t* name, AnyType* value) override {
    return Pass<kCore, 156>(nullptr, m_, &CoreServices::AddGlobalData, name, value);
  }
  int32_t SaveImage(int32_t image, const wchar_t* file) override {
    return Pass<kCore, 173>(nullptr, m_, &CoreServices::SaveImage, image, file);
  }
  int32_t GetApplicationPath(int32_t kind, wchar_t* buffer) override {
    return PassText<kCore, 177>(m_, &CoreServices::GetApplicationPath, kind, buffer);
  }
  int32_t ErrorOut(int32_t value) override {
    return Pass<kCore, 178>(nullptr, m_, &CoreServices::ErrorOut, value);
  }
  int32_t RaiseErrorProcEvent(int32_t a1, int32_t a2, int32_t a3) override {
    return Pass<kCore, 187>(nullptr, m_, &CoreServices::RaiseErrorProcEvent, a1, a2, a3);
  }
  int32_t ExecuteErrorProc(int32_t a1, int32_t a2) override {
    return Pass<kCore, 188>(nullptr, m_, &CoreServices::ExecuteErrorProc, a1, a2);
  }
  int32_t GetApplicationVersion(int32_t kind, wchar_t* buffer, int32_t capacity) override {
    return PassText<kCore, 191>(m_, &CoreServices::GetApplicationVersion, kind, buffer, capacity);
  }

 private:
  CoreServices* const m_;
};

}  // namespace
}  // namespace front

// Never destroyed: macro objects may still call it during process exit.
CoreServices* Core() {
  static auto* core = new front::FrontCore(ModelCore());
  return core;
}

}  // namespace msc::sim
