// The engine and a host agree on operations only by their slot numbers, so
// each named operation must sit exactly at its slot. The slot is read from
// the member pointer, which on this ABI holds 1 + the byte offset of the
// operation in the virtual table.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "api/qor_macro.h"
#include "macro_sc/host.h"

namespace {

template <class MemberPointer>
long SlotOf(MemberPointer member) {
  struct Representation {
    uintptr_t pointer;
    ptrdiff_t adjustment;
  } r;
  static_assert(sizeof(MemberPointer) == sizeof(Representation));
  std::memcpy(&r, &member, sizeof r);
  if ((r.pointer & 1) == 0) return -1;  // not virtual
  return static_cast<long>((r.pointer - 1) / sizeof(void*));
}

// Each pair is {the slot found, the slot wanted}; a failure names the latter.
void ExpectSlots(std::initializer_list<std::pair<long, long>> slots) {
  for (const auto& [found, wanted] : slots) EXPECT_EQ(found, wanted) << "the operation of slot " << wanted;
}

TEST(HostSlots, CoreServicesOperationsSitAtTheirSlots) {
  using C = CoreServices;
  ExpectSlots({{SlotOf(&C::SetSystemData), 0}, {SlotOf(&C::GetSystemData), 1}, {SlotOf(&C::AddSystemData), 2},
               {SlotOf(&C::ChangeSceneGroup), 3}, {SlotOf(&C::ClearSceneGroup), 4}, {SlotOf(&C::CopySceneGroup), 5},
               {SlotOf(&C::SetSceneGroupTitle), 6}, {SlotOf(&C::GetSceneGroupTitle), 7},
               {SlotOf(&C::GetSceneGroupCount), 8}, {SlotOf(&C::GetSceneGroupNo), 9}, {SlotOf(&C::ChangeScene), 10},
               {SlotOf(&C::ClearScene), 11}, {SlotOf(&C::CopyScene), 12}, {SlotOf(&C::SetSceneTitle), 13},
               {SlotOf(&C::GetSceneTitle), 14}, {SlotOf(&C::SetSceneMaker), 15}, {SlotOf(&C::GetSceneMaker), 16},
               {SlotOf(&C::SetSceneDescription), 17}, {SlotOf(&C::GetSceneDescription), 18},
               {SlotOf(&C::GetSceneCount), 19}, {SlotOf(&C::GetSceneNo), 20}, {SlotOf(&C::GetItemCount), 21},
               {SlotOf(&C::GetItemInfo), 22}, {SlotOf(&C::GetItemTitle), 23}, {SlotOf(&C::GetItemIdent), 24},
               {SlotOf(&C::MeasureProc), 34}, {SlotOf(&C::CopyUnitFigure), 44}, {SlotOf(&C::CopyUnitModel), 45},
               {SlotOf(&C::MeasureStart), 57}, {SlotOf(&C::MeasureStop), 59}, {SlotOf(&C::Measure), 61},
               {SlotOf(&C::RemeasureByName), 62}, {SlotOf(&C::Remeasure), 63}, {SlotOf(&C::TestMeasure), 64},
               {SlotOf(&C::ImageUpdate), 65}, {SlotOf(&C::SetMeasureOut), 71}, {SlotOf(&C::GetMeasureOut), 73},
               {SlotOf(&C::RefreshImageWindow), 94}, {SlotOf(&C::RefreshTextWindow), 102},
               {SlotOf(&C::SetJudgeWindow), 104}, {SlotOf(&C::RefreshJudgeWindow), 107},
               {SlotOf(&C::SetTimeWindow), 109}, {SlotOf(&C::RefreshTimeWindow), 112},
               {SlotOf(&C::SaveSystemData), 124}, {SlotOf(&C::LoadSystemData), 126},
               {SlotOf(&C::SaveSceneGroup), 127}, {SlotOf(&C::LoadSceneGroup), 130}, {SlotOf(&C::SaveScene), 133},
               {SlotOf(&C::LoadScene), 134}, {SlotOf(&C::SaveUnitData), 135}, {SlotOf(&C::LoadUnitData), 136},
               {SlotOf(&C::SaveBackupData), 137}, {SlotOf(&C::LoadBackupData), 138}, {SlotOf(&C::SaveData), 139},
               {SlotOf(&C::GetIoModule), 141}, {SlotOf(&C::RunOut), 143}, {SlotOf(&C::ScreenCapture), 147},
               {SlotOf(&C::ExitQorProcess), 149}, {SlotOf(&C::SystemReset), 150},
               {SlotOf(&C::RaiseOptionEvent), 153}, {SlotOf(&C::SetGlobalData), 154},
               {SlotOf(&C::GetGlobalData), 155}, {SlotOf(&C::AddGlobalData), 156}, {SlotOf(&C::SaveImage), 173},
               {SlotOf(&C::GetApplicationPath), 177}, {SlotOf(&C::ErrorOut), 178},
               {SlotOf(&C::RaiseErrorProcEvent), 187}, {SlotOf(&C::ExecuteErrorProc), 188},
               {SlotOf(&C::GetApplicationVersion), 191}});
}

TEST(HostSlots, HostInterfaceOperationsSitAtTheirSlots) {
  using H = HostInterface;
  ExpectSlots({{SlotOf(&H::SetSceneData), 7}, {SlotOf(&H::GetSceneData), 8}, {SlotOf(&H::CheckUnit), 9},
               {SlotOf(&H::AssignUnit), 10}, {SlotOf(&H::InsertUnit), 11}, {SlotOf(&H::DeleteUnit), 12},
               {SlotOf(&H::CopyUnitEx), 13}, {SlotOf(&H::CopyUnit), 14}, {SlotOf(&H::MoveUnit), 15},
               {SlotOf(&H::GetUnitCount), 17}, {SlotOf(&H::GetUnitNo), 18}, {SlotOf(&H::SetUnitData), 19},
               {SlotOf(&H::SetUnitDataByNo), 20}, {SlotOf(&H::GetUnitData), 21}, {SlotOf(&H::GetUnitDataByNo), 22},
               {SlotOf(&H::SetUnitFigure), 23}, {SlotOf(&H::GetUnitFigure), 24}, {SlotOf(&H::GetImageFormat), 27},
               {SlotOf(&H::GetImageSize), 28}, {SlotOf(&H::SetUnitTitle), 29}, {SlotOf(&H::GetUnitTitle), 30},
               {SlotOf(&H::GetUnitItemIdent), 31}, {SlotOf(&H::GetUnitInfo), 32}, {SlotOf(&H::GetUnitJudge), 33},
               {SlotOf(&H::ClearMeasureData), 34}, {SlotOf(&H::ClearAllMeasureData), 35},
               {SlotOf(&H::SetImageWindow), 36}, {SlotOf(&H::GetImageWindow), 37}, {SlotOf(&H::SetTextWindow), 39},
               {SlotOf(&H::GetTextWindow), 40}, {SlotOf(&H::SetDisplayUnitNo), 41},
               {SlotOf(&H::GetDisplayUnitNo), 42}});
}

TEST(HostSlots, ChannelStreamAndMacroOperationsSitAtTheirSlots) {
  using I = IoModule;
  ExpectSlots({{SlotOf(&I::SendData), 3}, {SlotOf(&I::ReceiveData), 4}, {SlotOf(&I::PutAll), 5},
               {SlotOf(&I::GetAll), 6}, {SlotOf(&I::PutPort), 7}, {SlotOf(&I::GetPort), 8},
               {SlotOf(&I::JudgeOut), 9}, {SlotOf(&I::BusyOut), 10}, {SlotOf(&I::RunOut), 11},
               {SlotOf(&I::ErrorOut), 12}, {SlotOf(&I::SendString), 15}, {SlotOf(&I::WritePlcMemory), 16},
               {SlotOf(&I::ReadPlcMemory), 17}, {SlotOf(&I::SetPlcData32), 18}, {SlotOf(&I::GetPlcData32), 19},
               {SlotOf(&I::SetPlcData16), 20}, {SlotOf(&I::GetPlcData16), 21}, {SlotOf(&I::SetPlcDataReal), 22},
               {SlotOf(&I::GetPlcDataReal), 23}, {SlotOf(&I::SetPollingState), 24},
               {SlotOf(&I::GetPollingState), 25}, {SlotOf(&HostWriteStream::Write), 0},
               {SlotOf(&HostReadStream::Read), 0}, {SlotOf(&ReferenceRenumbering::Renumber), 0},
               {SlotOf(&QorMacro::SetReference), 0}, {SlotOf(&QorMacro::GetReference), 1}});
}

}  // namespace
