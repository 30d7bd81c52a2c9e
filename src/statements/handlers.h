// Statement handlers. Each receives the execution frame with the code position
// just after its statement word and returns 0 (continue), 255 (skip the rest of
// the line) or an error number.
#pragma once

#include <cstdint>

#include "engine/errors.h"
#include "engine/frame.h"

namespace msc {

using StatementHandler = ErrNo (*)(ExecFrame& f);

// The dispatch table, indexed by token code minus 0x8000.
[[nodiscard]] StatementHandler StatementFor(uint16_t code) noexcept;

// Shared by words that are no statement of their own ("End", "To", ...): 2.
[[nodiscard]] ErrNo StmtNotStatement(ExecFrame& f) noexcept;
// "Local", "Global", "Task", "Then": nothing to do.
[[nodiscard]] ErrNo StmtNoOperation(ExecFrame& f) noexcept;
// "Rem" and "'": the rest of the line is a comment.
[[nodiscard]] ErrNo StmtRem(ExecFrame& f) noexcept;

// Control flow (If, For, Do, Select, Goto).
[[nodiscard]] ErrNo StmtCase(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtDo(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtElse(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtElseif(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtEndIf(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtEndSelect(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtExit(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtFor(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGoto(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtIf(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtLoop(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtNext(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSelect(ExecFrame& f) noexcept;

// Error trapping (Try, Catch, End Try).
[[nodiscard]] ErrNo StmtCatch(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtEndTry(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtTry(ExecFrame& f) noexcept;

// Console and debugging.
[[nodiscard]] ErrNo StmtCont(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtDebug(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtKeyword(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtList(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtLoad(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtPrint(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSave(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtStop(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtWait(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetStop(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtDebugPrint(ExecFrame& f) noexcept;

// Procedures (Gosub, Return, On, Run, Sub).
[[nodiscard]] ErrNo StmtEndSub(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGosub(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtOn(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtReturn(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRun(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSub(ExecFrame& f) noexcept;

// Variable statements.
[[nodiscard]] ErrNo StmtOption(ExecFrame& f) noexcept;

// Variable statements.
[[nodiscard]] ErrNo StmtDim(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtReDim(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtErase(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtClear(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtNew(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtDelete(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtVarPush(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtVarPop(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetVar(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtVarList(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtVarSave(ExecFrame& f) noexcept;

// Console input and message box.
[[nodiscard]] ErrNo StmtInput(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtLineInput(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtMessageBox(ExecFrame& f) noexcept;

// Files and disks.
[[nodiscard]] ErrNo StmtOpen(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtClose(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtKill(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtMkdir(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRmdir(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtFcopy(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtOpenTextData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtCloseTextData(ExecFrame& f) noexcept;

// Geometry statements.
[[nodiscard]] ErrNo StmtLsqumeth(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtCrspoint(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtApproximationCircle(ExecFrame& f) noexcept;


// Host commands: scenes and units, measurement and windows, I/O channels, data.
[[nodiscard]] ErrNo StmtSetUnitData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetUnitData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetUnitFigure(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetUnitFigure(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtCopyUnitFigure(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtCopyUnitModel(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetUnitTitle(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtClearMeasureData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetImageSize(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtMeasureProc(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetImageWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetImageWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetGlobalData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetGlobalData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtAddGlobalData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetSystemData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetSystemData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtAddSystemData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSendData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtReceiveData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSendString(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtPutAll(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtPutPort(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtJudgeOut(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtBusyOut(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRunOut(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtWritePlcMemory(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtReadPlcMemory(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetPlcData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetPlcData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetPollingState(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtChangeSceneGroup(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtClearSceneGroup(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtCopySceneGroup(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetSceneGroupTitle(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtChangeScene(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtClearScene(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtCopyScene(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetSceneTitle(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetSceneMaker(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetSceneDescription(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtAssignUnit(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtInsertUnit(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtDeleteUnit(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtCopyUnit(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtMoveUnit(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtMeasureStart(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtMeasureStop(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtMeasure(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRemeasure(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtImageUpdate(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetMeasureOut(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSaveImage(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRefreshImageWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetTextWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetTextWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRefreshTextWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetJudgeWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRefreshJudgeWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetTimeWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRefreshTimeWindow(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetDisplayUnitNo(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSaveSystemData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtLoadSystemData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSaveSceneGroup(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtLoadSceneGroup(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSaveScene(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtLoadScene(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSaveUnitData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtLoadUnitData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSaveBackupData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtLoadBackupData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSaveData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtScreenCapture(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtExitQorProcess(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSystemReset(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRaiseOptionEvent(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetSceneData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetSceneData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtErrorOut(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtRaiseErrorProcEvent(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtExecuteErrorProc(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtContinuousMeasure(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtTestMeasure(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetForegroundLine(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetProfileData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtGetProfileData(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtDeleteProfileData(ExecFrame& f) noexcept;

// Parallel tasks and external code.
[[nodiscard]] ErrNo StmtParallelExecute(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtSetUserSubroutine(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtCall(ExecFrame& f) noexcept;
[[nodiscard]] ErrNo StmtShell(ExecFrame& f) noexcept;

}  // namespace msc
