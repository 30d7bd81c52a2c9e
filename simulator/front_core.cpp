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
    return Serve<kCore, 0>(nullptr, [&] { return A(section, name, value); },
                           [&] { return m_->SetSystemData(section, name, value); });
  }
  int32_t GetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 1>(nullptr, [&] { return A(section, name); },
                           [&] { return m_->GetSystemData(section, name, value); }, [&] { return A(value); });
  }
  int32_t AddSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 2>(nullptr, [&] { return A(section, name, value); },
                           [&] { return m_->AddSystemData(section, name, value); });
  }
  int32_t ChangeSceneGroup(int32_t group, int32_t scene) override {
    return Serve<kCore, 3>(nullptr, [&] { return A(group, scene); }, [&] { return m_->ChangeSceneGroup(group, scene); });
  }
  int32_t ClearSceneGroup(int32_t group) override {
    return Serve<kCore, 4>(nullptr, [&] { return A(group); }, [&] { return m_->ClearSceneGroup(group); });
  }
  int32_t CopySceneGroup(int32_t from, int32_t to) override {
    return Serve<kCore, 5>(nullptr, [&] { return A(from, to); }, [&] { return m_->CopySceneGroup(from, to); });
  }
  int32_t SetSceneGroupTitle(int32_t group, const wchar_t* title) override {
    return Serve<kCore, 6>(nullptr, [&] { return A(group, title); }, [&] { return m_->SetSceneGroupTitle(group, title); });
  }
  int32_t GetSceneGroupTitle(int32_t group, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kCore, 7>(nullptr, [&] { return A(group); },
                           [&] { return m_->GetSceneGroupTitle(group, buffer, capacity); }, [&] { return A(buffer); });
  }
  int32_t GetSceneGroupCount() override {
    return Serve<kCore, 8>(nullptr, [&] { return A(); }, [&] { return m_->GetSceneGroupCount(); });
  }
  int32_t GetSceneGroupNo() override {
    return Serve<kCore, 9>(nullptr, [&] { return A(); }, [&] { return m_->GetSceneGroupNo(); });
  }
  int32_t ChangeScene(int32_t scene) override {
    return Serve<kCore, 10>(nullptr, [&] { return A(scene); }, [&] { return m_->ChangeScene(scene); });
  }
  int32_t ClearScene(int32_t scene) override {
    return Serve<kCore, 11>(nullptr, [&] { return A(scene); }, [&] { return m_->ClearScene(scene); });
  }
  int32_t CopyScene(int32_t from, int32_t to) override {
    return Serve<kCore, 12>(nullptr, [&] { return A(from, to); }, [&] { return m_->CopyScene(from, to); });
  }
  int32_t SetSceneTitle(int32_t scene, const wchar_t* text) override {
    return Serve<kCore, 13>(nullptr, [&] { return A(scene, text); }, [&] { return m_->SetSceneTitle(scene, text); });
  }
  int32_t GetSceneTitle(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kCore, 14>(nullptr, [&] { return A(scene); },
                            [&] { return m_->GetSceneTitle(scene, buffer, capacity); }, [&] { return A(buffer); });
  }
  int32_t SetSceneMaker(int32_t scene, const wchar_t* text) override {
    return Serve<kCore, 15>(nullptr, [&] { return A(scene, text); }, [&] { return m_->SetSceneMaker(scene, text); });
  }
  int32_t GetSceneMaker(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kCore, 16>(nullptr, [&] { return A(scene); },
                            [&] { return m_->GetSceneMaker(scene, buffer, capacity); }, [&] { return A(buffer); });
  }
  int32_t SetSceneDescription(int32_t scene, const wchar_t* text) override {
    return Serve<kCore, 17>(nullptr, [&] { return A(scene, text); },
                            [&] { return m_->SetSceneDescription(scene, text); });
  }
  int32_t GetSceneDescription(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kCore, 18>(nullptr, [&] { return A(scene); },
                            [&] { return m_->GetSceneDescription(scene, buffer, capacity); }, [&] { return A(buffer); });
  }
  int32_t GetSceneCount() override {
    return Serve<kCore, 19>(nullptr, [&] { return A(); }, [&] { return m_->GetSceneCount(); });
  }
  int32_t GetSceneNo() override {
    return Serve<kCore, 20>(nullptr, [&] { return A(); }, [&] { return m_->GetSceneNo(); });
  }
  int32_t GetItemCount() override {
    return Serve<kCore, 21>(nullptr, [&] { return A(); }, [&] { return m_->GetItemCount(); });
  }
  int32_t GetItemInfo(int32_t item, int32_t kind) override {
    return Serve<kCore, 22>(nullptr, [&] { return A(item, kind); }, [&] { return m_->GetItemInfo(item, kind); });
  }
  int32_t GetItemTitle(int32_t item, wchar_t* buffer) override {
    return Serve<kCore, 23>(nullptr, [&] { return A(item); }, [&] { return m_->GetItemTitle(item, buffer); },
                            [&] { return A(buffer); });
  }
  int32_t GetItemIdent(int32_t item, wchar_t* buffer) override {
    return Serve<kCore, 24>(nullptr, [&] { return A(item); }, [&] { return m_->GetItemIdent(item, buffer); },
                            [&] { return A(buffer); });
  }
  int32_t MeasureProc(int32_t unit) override {
    return Serve<kCore, 34>(nullptr, [&] { return A(unit); }, [&] { return m_->MeasureProc(unit); });
  }
  int32_t CopyUnitFigure(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) override {
    return Serve<kCore, 44>(nullptr, [&] { return A(a1, a2, a3, a4, a5); },
                            [&] { return m_->CopyUnitFigure(a1, a2, a3, a4, a5); });
  }
  int32_t CopyUnitModel(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) override {
    return Serve<kCore, 45>(nullptr, [&] { return A(a1, a2, a3, a4, a5); },
                            [&] { return m_->CopyUnitModel(a1, a2, a3, a4, a5); });
  }
  int32_t MeasureStart() override {
    return Serve<kCore, 57>(nullptr, [&] { return A(); }, [&] { return m_->MeasureStart(); });
  }
  int32_t MeasureStop(int32_t value) override {
    return Serve<kCore, 59>(nullptr, [&] { return A(value); }, [&] { return m_->MeasureStop(value); });
  }
  int32_t Measure(int32_t value) override {
    return Serve<kCore, 61>(nullptr, [&] { return A(value); }, [&] { return m_->Measure(value); });
  }
  int32_t RemeasureByName(const wchar_t* name, int32_t value) override {
    return Serve<kCore, 62>(nullptr, [&] { return A(name, value); }, [&] { return m_->RemeasureByName(name, value); });
  }
  int32_t Remeasure(int32_t number, int32_t value) override {
    return Serve<kCore, 63>(nullptr, [&] { return A(number, value); }, [&] { return m_->Remeasure(number, value); });
  }
  int32_t TestMeasure(int32_t mode, int32_t number, const wchar_t* name, int32_t a4, int32_t a5,
                      int32_t a6) override {
    return Serve<kCore, 64>(nullptr, [&] { return A(mode, number, name, a4, a5, a6); },
                            [&] { return m_->TestMeasure(mode, number, name, a4, a5, a6); });
  }
  int32_t ImageUpdate() override {
    return Serve<kCore, 65>(nullptr, [&] { return A(); }, [&] { return m_->ImageUpdate(); });
  }
  int32_t SetMeasureOut(int32_t value) override {
    return Serve<kCore, 71>(nullptr, [&] { return A(value); }, [&] { return m_->SetMeasureOut(value); });
  }
  int32_t GetMeasureOut() override {
    return Serve<kCore, 73>(nullptr, [&] { return A(); }, [&] { return m_->GetMeasureOut(); });
  }
  int32_t RefreshImageWindow(int32_t value) override {
    return Serve<kCore, 94>(nullptr, [&] { return A(value); }, [&] { return m_->RefreshImageWindow(value); });
  }
  int32_t RefreshTextWindow() override {
    return Serve<kCore, 102>(nullptr, [&] { return A(); }, [&] { return m_->RefreshTextWindow(); });
  }
  int32_t SetJudgeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override {
    return Serve<kCore, 104>(nullptr, [&] { return A(window, a1, a2, a3); },
                             [&] { return m_->SetJudgeWindow(window, a1, a2, a3); });
  }
  int32_t RefreshJudgeWindow() override {
    return Serve<kCore, 107>(nullptr, [&] { return A(); }, [&] { return m_->RefreshJudgeWindow(); });
  }
  int32_t SetTimeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override {
    return Serve<kCore, 109>(nullptr, [&] { return A(window, a1, a2, a3); },
                             [&] { return m_->SetTimeWindow(window, a1, a2, a3); });
  }
  int32_t RefreshTimeWindow() override {
    return Serve<kCore, 112>(nullptr, [&] { return A(); }, [&] { return m_->RefreshTimeWindow(); });
  }
  int32_t SaveSystemData(const wchar_t* file) override {
    return Serve<kCore, 124>(nullptr, [&] { return A(file); }, [&] { return m_->SaveSystemData(file); });
  }
  int32_t LoadSystemData(const wchar_t* file) override {
    return Serve<kCore, 126>(nullptr, [&] { return A(file); }, [&] { return m_->LoadSystemData(file); });
  }
  int32_t SaveSceneGroup(int32_t group, const wchar_t* file) override {
    return Serve<kCore, 127>(nullptr, [&] { return A(group, file); }, [&] { return m_->SaveSceneGroup(group, file); });
  }
  int32_t LoadSceneGroup(int32_t group, const wchar_t* file) override {
    return Serve<kCore, 130>(nullptr, [&] { return A(group, file); }, [&] { return m_->LoadSceneGroup(group, file); });
  }
  int32_t SaveScene(int32_t scene, const wchar_t* file) override {
    return Serve<kCore, 133>(nullptr, [&] { return A(scene, file); }, [&] { return m_->SaveScene(scene, file); });
  }
  int32_t LoadScene(int32_t scene, const wchar_t* file) override {
    return Serve<kCore, 134>(nullptr, [&] { return A(scene, file); }, [&] { return m_->LoadScene(scene, file); });
  }
  int32_t SaveUnitData(int32_t a1, int32_t a2, int32_t a3, const wchar_t* file) override {
    return Serve<kCore, 135>(nullptr, [&] { return A(a1, a2, a3, file); },
                             [&] { return m_->SaveUnitData(a1, a2, a3, file); });
  }
  int32_t LoadUnitData(int32_t a1, int32_t a2, int32_t a3, int32_t a4, const wchar_t* file) override {
    return Serve<kCore, 136>(nullptr, [&] { return A(a1, a2, a3, a4, file); },
                             [&] { return m_->LoadUnitData(a1, a2, a3, a4, file); });
  }
  int32_t SaveBackupData(const wchar_t* file) override {
    return Serve<kCore, 137>(nullptr, [&] { return A(file); }, [&] { return m_->SaveBackupData(file); });
  }
  int32_t LoadBackupData(const wchar_t* file) override {
    return Serve<kCore, 138>(nullptr, [&] { return A(file); }, [&] { return m_->LoadBackupData(file); });
  }
  int32_t SaveData() override {
    return Serve<kCore, 139>(nullptr, [&] { return A(); }, [&] { return m_->SaveData(); });
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
    return Serve<kCore, 143>(nullptr, [&] { return A(value); }, [&] { return m_->RunOut(value); });
  }
  int32_t ScreenCapture(const wchar_t* file) override {
    return Serve<kCore, 147>(nullptr, [&] { return A(file); }, [&] { return m_->ScreenCapture(file); });
  }
  int32_t ExitQorProcess() override {
    return Serve<kCore, 149>(nullptr, [&] { return A(); }, [&] { return m_->ExitQorProcess(); });
  }
  int32_t SystemReset() override {
    return Serve<kCore, 150>(nullptr, [&] { return A(); }, [&] { return m_->SystemReset(); });
  }
  int32_t RaiseOptionEvent(int32_t a1, int32_t a2) override {
    return Serve<kCore, 153>(nullptr, [&] { return A(a1, a2); }, [&] { return m_->RaiseOptionEvent(a1, a2); });
  }
  int32_t SetGlobalData(const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 154>(nullptr, [&] { return A(name, value); }, [&] { return m_->SetGlobalData(name, value); });
  }
  int32_t GetGlobalData(const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 155>(nullptr, [&] { return A(name); }, [&] { return m_->GetGlobalData(name, value); },
                             [&] { return A(value); });
  }
  int32_t AddGlobalData(const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 156>(nullptr, [&] { return A(name, value); }, [&] { return m_->AddGlobalData(name, value); });
  }
  int32_t SaveImage(int32_t image, const wchar_t* file) override {
    return Serve<kCore, 173>(nullptr, [&] { return A(image, file); }, [&] { return m_->SaveImage(image, file); });
  }
  int32_t GetApplicationPath(int32_t kind, wchar_t* buffer) override {
    return Serve<kCore, 177>(nullptr, [&] { return A(kind); }, [&] { return m_->GetApplicationPath(kind, buffer); },
                             [&] { return A(buffer); });
  }
  int32_t ErrorOut(int32_t value) override {
    return Serve<kCore, 178>(nullptr, [&] { return A(value); }, [&] { return m_->ErrorOut(value); });
  }
  int32_t RaiseErrorProcEvent(int32_t a1, int32_t a2, int32_t a3) override {
    return Serve<kCore, 187>(nullptr, [&] { return A(a1, a2, a3); },
                             [&] { return m_->RaiseErrorProcEvent(a1, a2, a3); });
  }
  int32_t ExecuteErrorProc(int32_t a1, int32_t a2) override {
    return Serve<kCore, 188>(nullptr, [&] { return A(a1, a2); }, [&] { return m_->ExecuteErrorProc(a1, a2); });
  }
  int32_t GetApplicationVersion(int32_t kind, wchar_t* buffer, int32_t capacity) override {
    return Serve<kCore, 191>(nullptr, [&] { return A(kind); },
                             [&] { return m_->GetApplicationVersion(kind, buffer, capacity); },
                             [&] { return A(buffer); });
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
