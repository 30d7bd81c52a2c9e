// The engine and a host agree on operations only by their slot numbers, so
// each named operation must sit exactly at its slot. The slot is read from
// the member pointer, which on this ABI holds 1 + the byte offset of the
// operation in the virtual table.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

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

TEST(HostSlots, CoreServicesOperationsSitAtTheirSlots) {
  using C = CoreServices;
  EXPECT_EQ(SlotOf(&C::SetSystemData), 0);
  EXPECT_EQ(SlotOf(&C::GetSystemData), 1);
  EXPECT_EQ(SlotOf(&C::AddSystemData), 2);
  EXPECT_EQ(SlotOf(&C::ChangeSceneGroup), 3);
  EXPECT_EQ(SlotOf(&C::ClearSceneGroup), 4);
  EXPECT_EQ(SlotOf(&C::CopySceneGroup), 5);
  EXPECT_EQ(SlotOf(&C::SetSceneGroupTitle), 6);
  EXPECT_EQ(SlotOf(&C::GetSceneGroupTitle), 7);
  EXPECT_EQ(SlotOf(&C::GetSceneGroupCount), 8);
  EXPECT_EQ(SlotOf(&C::GetSceneGroupNo), 9);
  EXPECT_EQ(SlotOf(&C::ChangeScene), 10);
  EXPECT_EQ(SlotOf(&C::ClearScene), 11);
  EXPECT_EQ(SlotOf(&C::CopyScene), 12);
  EXPECT_EQ(SlotOf(&C::SetSceneTitle), 13);
  EXPECT_EQ(SlotOf(&C::GetSceneTitle), 14);
  EXPECT_EQ(SlotOf(&C::SetSceneMaker), 15);
  EXPECT_EQ(SlotOf(&C::GetSceneMaker), 16);
  EXPECT_EQ(SlotOf(&C::SetSceneDescription), 17);
  EXPECT_EQ(SlotOf(&C::GetSceneDescription), 18);
  EXPECT_EQ(SlotOf(&C::GetSceneCount), 19);
  EXPECT_EQ(SlotOf(&C::GetSceneNo), 20);
  EXPECT_EQ(SlotOf(&C::GetItemCount), 21);
  EXPECT_EQ(SlotOf(&C::GetItemInfo), 22);
  EXPECT_EQ(SlotOf(&C::GetItemTitle), 23);
  EXPECT_EQ(SlotOf(&C::GetItemIdent), 24);
  EXPECT_EQ(SlotOf(&C::MeasureProc), 34);
  EXPECT_EQ(SlotOf(&C::CopyUnitFigure), 44);
  EXPECT_EQ(SlotOf(&C::CopyUnitModel), 45);
  EXPECT_EQ(SlotOf(&C::MeasureStart), 57);
  EXPECT_EQ(SlotOf(&C::MeasureStop), 59);
  EXPECT_EQ(SlotOf(&C::Measure), 61);
  EXPECT_EQ(SlotOf(&C::RemeasureByName), 62);
  EXPECT_EQ(SlotOf(&C::Remeasure), 63);
  EXPECT_EQ(SlotOf(&C::TestMeasure), 64);
  EXPECT_EQ(SlotOf(&C::ImageUpdate), 65);
  EXPECT_EQ(SlotOf(&C::SetMeasureOut), 71);
  EXPECT_EQ(SlotOf(&C::GetMeasureOut), 73);
  EXPECT_EQ(SlotOf(&C::RefreshImageWindow), 94);
  EXPECT_EQ(SlotOf(&C::RefreshTextWindow), 102);
  EXPECT_EQ(SlotOf(&C::SetJudgeWindow), 104);
  EXPECT_EQ(SlotOf(&C::RefreshJudgeWindow), 107);
  EXPECT_EQ(SlotOf(&C::SetTimeWindow), 109);
  EXPECT_EQ(SlotOf(&C::RefreshTimeWindow), 112);
  EXPECT_EQ(SlotOf(&C::SaveSystemData), 124);
  EXPECT_EQ(SlotOf(&C::LoadSystemData), 126);
  EXPECT_EQ(SlotOf(&C::SaveSceneGroup), 127);
  EXPECT_EQ(SlotOf(&C::LoadSceneGroup), 130);
  EXPECT_EQ(SlotOf(&C::SaveScene), 133);
  EXPECT_EQ(SlotOf(&C::LoadScene), 134);
  EXPECT_EQ(SlotOf(&C::SaveUnitData), 135);
  EXPECT_EQ(SlotOf(&C::LoadUnitData), 136);
  EXPECT_EQ(SlotOf(&C::SaveBackupData), 137);
  EXPECT_EQ(SlotOf(&C::LoadBackupData), 138);
  EXPECT_EQ(SlotOf(&C::SaveData), 139);
  EXPECT_EQ(SlotOf(&C::GetIoModule), 141);
  EXPECT_EQ(SlotOf(&C::RunOut), 143);
  EXPECT_EQ(SlotOf(&C::ScreenCapture), 147);
  EXPECT_EQ(SlotOf(&C::ExitQorProcess), 149);
  EXPECT_EQ(SlotOf(&C::SystemReset), 150);
  EXPECT_EQ(SlotOf(&C::RaiseOptionEvent), 153);
  EXPECT_EQ(SlotOf(&C::SetGlobalData), 154);
  EXPECT_EQ(SlotOf(&C::GetGlobalData), 155);
  EXPECT_EQ(SlotOf(&C::AddGlobalData), 156);
  EXPECT_EQ(SlotOf(&C::SaveImage), 173);
  EXPECT_EQ(SlotOf(&C::GetApplicationPath), 177);
  EXPECT_EQ(SlotOf(&C::ErrorOut), 178);
  EXPECT_EQ(SlotOf(&C::RaiseErrorProcEvent), 187);
  EXPECT_EQ(SlotOf(&C::ExecuteErrorProc), 188);
  EXPECT_EQ(SlotOf(&C::GetApplicationVersion), 191);
}

TEST(HostSlots, HostInterfaceOperationsSitAtTheirSlots) {
  using H = HostInterface;
  EXPECT_EQ(SlotOf(&H::SetSceneData), 7);
  EXPECT_EQ(SlotOf(&H::GetSceneData), 8);
  EXPECT_EQ(SlotOf(&H::CheckUnit), 9);
  EXPECT_EQ(SlotOf(&H::AssignUnit), 10);
  EXPECT_EQ(SlotOf(&H::InsertUnit), 11);
  EXPECT_EQ(SlotOf(&H::DeleteUnit), 12);
  EXPECT_EQ(SlotOf(&H::CopyUnitEx), 13);
  EXPECT_EQ(SlotOf(&H::CopyUnit), 14);
  EXPECT_EQ(SlotOf(&H::MoveUnit), 15);
  EXPECT_EQ(SlotOf(&H::GetUnitCount), 17);
  EXPECT_EQ(SlotOf(&H::GetUnitNo), 18);
  EXPECT_EQ(SlotOf(&H::SetUnitData), 19);
  EXPECT_EQ(SlotOf(&H::SetUnitDataByNo), 20);
  EXPECT_EQ(SlotOf(&H::GetUnitData), 21);
  EXPECT_EQ(SlotOf(&H::GetUnitDataByNo), 22);
  EXPECT_EQ(SlotOf(&H::SetUnitFigure), 23);
  EXPECT_EQ(SlotOf(&H::GetUnitFigure), 24);
  EXPECT_EQ(SlotOf(&H::GetImageFormat), 27);
  EXPECT_EQ(SlotOf(&H::GetImageSize), 28);
  EXPECT_EQ(SlotOf(&H::SetUnitTitle), 29);
  EXPECT_EQ(SlotOf(&H::GetUnitTitle), 30);
  EXPECT_EQ(SlotOf(&H::GetUnitItemIdent), 31);
  EXPECT_EQ(SlotOf(&H::GetUnitInfo), 32);
  EXPECT_EQ(SlotOf(&H::GetUnitJudge), 33);
  EXPECT_EQ(SlotOf(&H::ClearMeasureData), 34);
  EXPECT_EQ(SlotOf(&H::ClearAllMeasureData), 35);
  EXPECT_EQ(SlotOf(&H::SetImageWindow), 36);
  EXPECT_EQ(SlotOf(&H::GetImageWindow), 37);
  EXPECT_EQ(SlotOf(&H::SetTextWindow), 39);
  EXPECT_EQ(SlotOf(&H::GetTextWindow), 40);
  EXPECT_EQ(SlotOf(&H::SetDisplayUnitNo), 41);
  EXPECT_EQ(SlotOf(&H::GetDisplayUnitNo), 42);
}

TEST(HostSlots, ChannelStreamAndMacroOperationsSitAtTheirSlots) {
  using I = IoModule;
  EXPECT_EQ(SlotOf(&I::SendData), 3);
  EXPECT_EQ(SlotOf(&I::ReceiveData), 4);
  EXPECT_EQ(SlotOf(&I::PutAll), 5);
  EXPECT_EQ(SlotOf(&I::GetAll), 6);
  EXPECT_EQ(SlotOf(&I::PutPort), 7);
  EXPECT_EQ(SlotOf(&I::GetPort), 8);
  EXPECT_EQ(SlotOf(&I::JudgeOut), 9);
  EXPECT_EQ(SlotOf(&I::BusyOut), 10);
  EXPECT_EQ(SlotOf(&I::RunOut), 11);
  EXPECT_EQ(SlotOf(&I::ErrorOut), 12);
  EXPECT_EQ(SlotOf(&I::SendString), 15);
  EXPECT_EQ(SlotOf(&I::WritePlcMemory), 16);
  EXPECT_EQ(SlotOf(&I::ReadPlcMemory), 17);
  EXPECT_EQ(SlotOf(&I::SetPlcData32), 18);
  EXPECT_EQ(SlotOf(&I::GetPlcData32), 19);
  EXPECT_EQ(SlotOf(&I::SetPlcData16), 20);
  EXPECT_EQ(SlotOf(&I::GetPlcData16), 21);
  EXPECT_EQ(SlotOf(&I::SetPlcDataReal), 22);
  EXPECT_EQ(SlotOf(&I::GetPlcDataReal), 23);
  EXPECT_EQ(SlotOf(&I::SetPollingState), 24);
  EXPECT_EQ(SlotOf(&I::GetPollingState), 25);
  EXPECT_EQ(SlotOf(&HostWriteStream::Write), 0);
  EXPECT_EQ(SlotOf(&HostReadStream::Read), 0);
  EXPECT_EQ(SlotOf(&ReferenceRenumbering::Renumber), 0);
  EXPECT_EQ(SlotOf(&QorMacro::SetReference), 0);
  EXPECT_EQ(SlotOf(&QorMacro::GetReference), 1);
}

}  // namespace
