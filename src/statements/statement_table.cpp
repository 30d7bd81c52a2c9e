// The statement dispatch table: one entry per statement word, in code order,
// with the syntax and group that the language reference shows.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/language_tables.h"
#include "frontend/keywords.h"
#include "statements/handlers.h"

namespace msc {
namespace {

struct StatementEntry {
  uint16_t code;
  StatementHandler handler;
  lang::StatementDoc doc;
};
using G = lang::StatementGroup;

constexpr StatementEntry kStatements[] = {
    {0x8000, StmtNotStatement, {G::Part, "in Open"}},
    {0x8001, StmtNotStatement, {G::Part, "in Open"}},
    {0x8002, StmtCall, {G::Procedures, "Call name [, argument ...]"}},
    {0x8003, StmtCase, {G::ControlFlow, "Case value | Case Else"}},
    {0x8004, StmtCatch, {G::ErrorTrapping, "Catch"}},
    {0x8005, StmtClear, {G::Variables, "Clear"}},
    {0x8006, StmtClose, {G::Files, "Close [#n, ...]"}},
    {0x8007, StmtCont, {G::ConsoleAndProgram, "Cont [0|1|2]"}},
    {0x8008, StmtCrspoint, {G::Geometry, "Crspoint L1#(), L2#(), X, Y"}},
    {0x8009, StmtDebug, {G::ConsoleAndProgram, "Debug mode"}},
    {0x800A, StmtDelete, {G::ConsoleAndProgram, "Delete [from] - [to]"}},
    {0x800B, StmtDim, {G::Variables, "Dim name(extent, ...) [, ...]"}},
    {0x800C, StmtDo, {G::ControlFlow, "Do"}},
    {0x800D, StmtElse, {G::ControlFlow, "Else"}},
    {0x800E, StmtElseif, {G::ControlFlow, "Elseif cond [Then]"}},
    {0x800F, StmtNotStatement, {G::Part, "first word of End Select, End Sub, End Try, End ParallelExecute"}},
    {0x8010, StmtEndIf, {G::ControlFlow, "EndIf"}},
    {0x8011, StmtNoOperation, {G::ParallelAndExternal, "marks the end of the tasks"}},
    {0x8012, StmtEndSelect, {G::ControlFlow, "End Select"}},
    {0x8013, StmtEndSub, {G::Procedures, "End Sub"}},
    {0x8014, StmtEndTry, {G::ErrorTrapping, "End Try"}},
    {0x8015, StmtErase, {G::Variables, "Erase name() [, ...]"}},
    {0x8016, StmtNotStatement, {G::Reserved, "reserved"}},
    {0x8017, StmtExit, {G::ControlFlow, "Exit Do | Exit For | Exit Sub"}},
    {0x8018, StmtNotStatement, {G::Part, "in Option"}},
    {0x8019, StmtFcopy, {G::Files, "Fcopy from, to"}},
    {0x801A, StmtNotStatement, {G::Reserved, "reserved"}},
    {0x801B, StmtFor, {G::ControlFlow, "For var = start To limit [Step step]"}},
    {0x801C, StmtNotStatement, {G::Part, "in Open"}},
    {0x801D, StmtNotStatement, {G::Part, "in Open"}},
    {0x801E, StmtNotStatement, {G::Part, "in Open"}},
    {0x801F, StmtNoOperation, {G::Variables, "Global (no operation)"}},
    {0x8020, StmtGosub, {G::ControlFlow, "Gosub line | label"}},
    {0x8021, StmtGoto, {G::ControlFlow, "Goto line | label"}},
    {0x8022, StmtIf, {G::ControlFlow, "If cond Then ... [Else ...] | block If cond Then"}},
    {0x8023, StmtInput, {G::ConsoleAndProgram, "Input [#n,] [\"prompt\" ;|,] var, ..."}},
    {0x8024, StmtKeyword, {G::ConsoleAndProgram, "Keyword \"file\""}},
    {0x8025, StmtKill, {G::Files, "Kill pattern"}},
    {0x8026, StmtNotStatement, {G::Part, "in Line Input"}},
    {0x8027, StmtLineInput, {G::ConsoleAndProgram, "Line Input [#n,] var"}},
    {0x8028, StmtList, {G::ConsoleAndProgram, "List [from [- to]]"}},
    {0x8029, StmtLoad, {G::ConsoleAndProgram, "Load \"file\""}},
    {0x802A, StmtNoOperation, {G::Variables, "Local (no operation)"}},
    {0x802B, StmtLoop, {G::ControlFlow, "Loop While cond"}},
    {0x802C, StmtLsqumeth, {G::Geometry, "Lsqumeth n, X#(), Y#(), L#()"}},
    {0x802D, StmtMkdir, {G::Files, "Mkdir path"}},
    {0x802E, StmtNew, {G::ConsoleAndProgram, "New"}},
    {0x802F, StmtNext, {G::ControlFlow, "Next [var [, var ...]]"}},
    {0x8030, StmtNext, {G::Part, "in Next: Next I&, J&"}},
    {0x8031, StmtOn, {G::ControlFlow, "On expr Goto|Gosub target, ..."}},
    {0x8032, StmtOpen, {G::Files, "Open name For Input|Output|Append As #n"}},
    {0x8033, StmtOption, {G::Variables, "Option Explicit | Option Executable"}},
    {0x8034, StmtNotStatement, {G::Part, "in Open"}},
    {0x8035, StmtParallelExecute, {G::ParallelAndExternal, "ParallelExecute, Task ..., End ParallelExecute"}},
    {0x8036, StmtPrint, {G::ConsoleAndProgram, "Print [expr {;|, expr}]"}},
    {0x8037, StmtRem, {G::ConsoleAndProgram, "Rem text"}},
    {0x8038, StmtRem, {G::ConsoleAndProgram, "' text"}},
    {0x8039, StmtReturn, {G::ControlFlow, "Return"}},
    {0x803A, StmtRmdir, {G::Files, "Rmdir path"}},
    {0x803B, StmtRun, {G::ConsoleAndProgram, "Run [line | label]"}},
    {0x803C, StmtSave, {G::ConsoleAndProgram, "Save \"file\""}},
    {0x803D, StmtSelect, {G::ControlFlow, "Select expr"}},
    {0x803E, StmtNotStatement, {G::Part, "in For"}},
    {0x803F, StmtStop, {G::ConsoleAndProgram, "Stop [\"name\"]"}},
    {0x8040, StmtNotStatement, {G::Reserved, "reserved"}},
    {0x8041, StmtSub, {G::Procedures, "Sub *LABEL"}},
    {0x8042, StmtNoOperation, {G::ParallelAndExternal, "Task (no operation)"}},
    {0x8043, StmtNoOperation, {G::Part, "in If and Elseif"}},
    {0x8044, StmtNotStatement, {G::Part, "in For"}},
    {0x8045, StmtTry, {G::ErrorTrapping, "Try"}},
    {0x8046, StmtVarPop, {G::Variables, "VarPop"}},
    {0x8047, StmtVarPush, {G::Variables, "VarPush [pattern]"}},
    {0x8048, StmtWait, {G::ConsoleAndProgram, "Wait milliseconds"}},
    {0x8049, StmtNotStatement, {G::Part, "in Loop While"}},
    {0x804A, StmtSetUnitData, {G::ScenesAndUnits, "SetUnitData unit, item, value | A()"}},
    {0x804B, StmtGetUnitData, {G::ScenesAndUnits, "GetUnitData unit, item, variable | A()"}},
    {0x804C, StmtSetUnitFigure, {G::ScenesAndUnits, "SetUnitFigure unit, figure, A&() | V!"}},
    {0x804D, StmtGetUnitFigure, {G::ScenesAndUnits, "GetUnitFigure unit, figure, A&() | V!"}},
    {0x804E, StmtCopyUnitFigure, {G::ScenesAndUnits, "CopyUnitFigure a, b, c, d, e"}},
    {0x804F, StmtCopyUnitModel, {G::ScenesAndUnits, "CopyUnitModel a, b, c, d, e"}},
    {0x8050, StmtSetUnitTitle, {G::ScenesAndUnits, "SetUnitTitle unit, title"}},
    {0x8051, StmtClearMeasureData, {G::MeasurementAndWindows, "ClearMeasureData [unit]"}},
    {0x8052, StmtGetImageSize, {G::MeasurementAndWindows, "GetImageSize a, b, width, height"}},
    {0x8053, StmtMeasureProc, {G::MeasurementAndWindows, "MeasureProc unit"}},
    {0x8054, StmtSetImageWindow, {G::MeasurementAndWindows, "SetImageWindow window, 6 integers, real, 4 integers"}},
    {0x8055, StmtGetImageWindow, {G::MeasurementAndWindows, "GetImageWindow window, 11 variables"}},
    {0x8056, StmtSetGlobalData, {G::IoAndData, "SetGlobalData name, value"}},
    {0x8057, StmtGetGlobalData, {G::IoAndData, "GetGlobalData name, variable"}},
    {0x8058, StmtAddGlobalData, {G::IoAndData, "AddGlobalData name, value"}},
    {0x8059, StmtSetSystemData, {G::IoAndData, "SetSystemData section, name, value"}},
    {0x805A, StmtGetSystemData, {G::IoAndData, "GetSystemData section, name, variable"}},
    {0x805B, StmtAddSystemData, {G::IoAndData, "AddSystemData section, name, value"}},
    {0x805C, StmtSendData, {G::IoAndData, "SendData channel, A&(), size [, B&(), size]"}},
    {0x805D, StmtReceiveData, {G::IoAndData, "ReceiveData channel, A&(), capacity, received [, B&(), size]"}},
    {0x805E, StmtSendString, {G::IoAndData, "SendString channel, text"}},
    {0x805F, StmtPutAll, {G::IoAndData, "PutAll channel, bits"}},
    {0x8060, StmtPutPort, {G::IoAndData, "PutPort channel, port, value"}},
    {0x8061, StmtJudgeOut, {G::IoAndData, "JudgeOut channel, value"}},
    {0x8062, StmtBusyOut, {G::IoAndData, "BusyOut channel, value"}},
    {0x8063, StmtRunOut, {G::IoAndData, "RunOut value | RunOut channel, value"}},
    {0x8064, StmtApproximationCircle, {G::Geometry, "ApproximationCircle n, X#(), Y#(), CX, CY, R"}},
    {0x8065, StmtWritePlcMemory, {G::IoAndData, "WritePlcMemory channel, area, address, words, A&()"}},
    {0x8066, StmtReadPlcMemory, {G::IoAndData, "ReadPlcMemory channel, area, address, words, A&()"}},
    {0x8067, StmtSetPlcData, {G::IoAndData, "SetPlcData channel, A(), offset, size, value"}},
    {0x8068, StmtGetPlcData, {G::IoAndData, "GetPlcData channel, A(), offset, size, variable"}},
    {0x8069, StmtSetPollingState, {G::IoAndData, "SetPollingState channel, state"}},
    {0x806A, StmtChangeSceneGroup, {G::ScenesAndUnits, "ChangeSceneGroup a, group"}},
    {0x806B, StmtClearSceneGroup, {G::ScenesAndUnits, "ClearSceneGroup group"}},
    {0x806C, StmtCopySceneGroup, {G::ScenesAndUnits, "CopySceneGroup from, to"}},
    {0x806D, StmtSetSceneGroupTitle, {G::ScenesAndUnits, "SetSceneGroupTitle group, title"}},
    {0x806E, StmtChangeScene, {G::ScenesAndUnits, "ChangeScene scene"}},
    {0x806F, StmtClearScene, {G::ScenesAndUnits, "ClearScene scene"}},
    {0x8070, StmtCopyScene, {G::ScenesAndUnits, "CopyScene from, to"}},
    {0x8071, StmtSetSceneTitle, {G::ScenesAndUnits, "SetSceneTitle scene, title"}},
    {0x8072, StmtSetSceneMaker, {G::ScenesAndUnits, "SetSceneMaker scene, maker"}},
    {0x8073, StmtSetSceneDescription, {G::ScenesAndUnits, "SetSceneDescription scene, text"}},
    {0x8074, StmtAssignUnit, {G::ScenesAndUnits, "AssignUnit unit, kind"}},
    {0x8075, StmtInsertUnit, {G::ScenesAndUnits, "InsertUnit unit, kind"}},
    {0x8076, StmtDeleteUnit, {G::ScenesAndUnits, "DeleteUnit unit"}},
    {0x8077, StmtCopyUnit, {G::ScenesAndUnits, "CopyUnit a, b, c [, d]"}},
    {0x8078, StmtMoveUnit, {G::ScenesAndUnits, "MoveUnit from, to"}},
    {0x8079, StmtMeasureStart, {G::MeasurementAndWindows, "MeasureStart"}},
    {0x807A, StmtMeasureStop, {G::MeasurementAndWindows, "MeasureStop [value]"}},
    {0x807B, StmtMeasure, {G::MeasurementAndWindows, "Measure [value]"}},
    {0x807C, StmtRemeasure, {G::MeasurementAndWindows, "Remeasure number | name [, value]"}},
    {0x807D, StmtImageUpdate, {G::MeasurementAndWindows, "ImageUpdate"}},
    {0x807E, StmtSetMeasureOut, {G::MeasurementAndWindows, "SetMeasureOut value"}},
    {0x807F, StmtSaveImage, {G::MeasurementAndWindows, "SaveImage image, file"}},
    {0x8080, StmtRefreshImageWindow, {G::MeasurementAndWindows, "RefreshImageWindow"}},
    {0x8081, StmtSetTextWindow, {G::MeasurementAndWindows, "SetTextWindow a, b, c, d"}},
    {0x8082, StmtGetTextWindow, {G::MeasurementAndWindows, "GetTextWindow a, b, c, d"}},
    {0x8083, StmtRefreshTextWindow, {G::MeasurementAndWindows, "RefreshTextWindow"}},
    {0x8084, StmtSetJudgeWindow, {G::MeasurementAndWindows, "SetJudgeWindow a, b, c"}},
    {0x8085, StmtRefreshJudgeWindow, {G::MeasurementAndWindows, "RefreshJudgeWindow"}},
    {0x8086, StmtSetTimeWindow, {G::MeasurementAndWindows, "SetTimeWindow a, b, c"}},
    {0x8087, StmtRefreshTimeWindow, {G::MeasurementAndWindows, "RefreshTimeWindow"}},
    {0x8088, StmtSetDisplayUnitNo, {G::MeasurementAndWindows, "SetDisplayUnitNo unit"}},
    {0x8089, StmtSaveSystemData, {G::IoAndData, "SaveSystemData file"}},
    {0x808A, StmtLoadSystemData, {G::IoAndData, "LoadSystemData file"}},
    {0x808B, StmtSaveSceneGroup, {G::IoAndData, "SaveSceneGroup group, file"}},
    {0x808C, StmtLoadSceneGroup, {G::IoAndData, "LoadSceneGroup group, file"}},
    {0x808D, StmtSaveScene, {G::IoAndData, "SaveScene scene, file"}},
    {0x808E, StmtLoadScene, {G::IoAndData, "LoadScene scene, file"}},
    {0x808F, StmtSaveUnitData, {G::IoAndData, "SaveUnitData a, b, c, file"}},
    {0x8090, StmtLoadUnitData, {G::IoAndData, "LoadUnitData a, b, c, d, file"}},
    {0x8091, StmtSaveBackupData, {G::IoAndData, "SaveBackupData file"}},
    {0x8092, StmtLoadBackupData, {G::IoAndData, "LoadBackupData file"}},
    {0x8093, StmtSaveData, {G::IoAndData, "SaveData"}},
    {0x8094, StmtScreenCapture, {G::MeasurementAndWindows, "ScreenCapture file"}},
    {0x8095, StmtExitQorProcess, {G::IoAndData, "ExitQorProcess"}},
    {0x8096, StmtSystemReset, {G::IoAndData, "SystemReset"}},
    {0x8097, StmtRaiseOptionEvent, {G::IoAndData, "RaiseOptionEvent a, b"}},
    {0x8098, StmtOpenTextData, {G::Files, "OpenTextData #n, name"}},
    {0x8099, StmtCloseTextData, {G::Files, "CloseTextData [#n]"}},
    {0x809A, StmtSetStop, {G::ConsoleAndProgram, "SetStop \"pattern\""}},
    {0x809B, StmtSetVar, {G::Variables, "SetVar pattern, value"}},
    {0x809C, StmtVarList, {G::Variables, "VarList [pattern]"}},
    {0x809D, StmtVarSave, {G::Variables, "VarSave [pattern]"}},
    {0x809E, StmtDebugPrint, {G::ConsoleAndProgram, "DebugPrint [expr ...]"}},
    {0x809F, StmtSetUserSubroutine, {G::Procedures, "SetUserSubroutine name, library, procedure"}},
    {0x80A0, StmtSetSceneData, {G::ScenesAndUnits, "SetSceneData name, value"}},
    {0x80A1, StmtGetSceneData, {G::ScenesAndUnits, "GetSceneData name, variable"}},
    {0x80A2, StmtErrorOut, {G::IoAndData, "ErrorOut value | ErrorOut channel, value"}},
    {0x80A3, StmtRaiseErrorProcEvent, {G::IoAndData, "RaiseErrorProcEvent a, b [, c]"}},
    {0x80A4, StmtExecuteErrorProc, {G::IoAndData, "ExecuteErrorProc a, b"}},
    {0x80A5, StmtContinuousMeasure, {G::MeasurementAndWindows, "ContinuousMeasure on"}},
    {0x80A6, StmtTestMeasure, {G::MeasurementAndWindows, "TestMeasure [number | name]"}},
    {0x80A7, StmtSetForegroundLine, {G::MeasurementAndWindows, "SetForegroundLine line"}},
    {0x80A8, StmtMessageBox, {G::ConsoleAndProgram, "MessageBox text"}},
    {0x80A9, StmtShell, {G::ParallelAndExternal, "Shell command-line [, wait]"}},
    {0x80AA, StmtReDim, {G::Variables, "ReDim name(extent, ...)"}},
    {0x80AB, StmtNotStatement, {G::Part, "in Option"}},
    {0x80AC, StmtSetProfileData, {G::IoAndData, "SetProfileData file, section, key, value"}},
    {0x80AD, StmtGetProfileData, {G::IoAndData, "GetProfileData file, section, key, default, variable | A$(), B$()"}},
    {0x80AE, StmtDeleteProfileData, {G::IoAndData, "DeleteProfileData file, section, key | index"}},
};

constexpr bool InCodeOrder() {
  for (std::size_t i = 0; i < std::size(kStatements); ++i) {
    if (kStatements[i].code != kStatementFirst + i) return false;
  }
  return true;
}
static_assert(std::size(kStatements) == kStatementCount, "one handler per statement word");
static_assert(InCodeOrder(), "statement handlers must be in token-code order");

constexpr bool EveryStatementHasSyntax() {
  for (const StatementEntry& e : kStatements) {
    if (e.doc.syntax == nullptr || e.doc.syntax[0] == '\0') return false;
  }
  return true;
}
static_assert(EveryStatementHasSyntax(), "the reference shows a syntax for every statement word");

}  // namespace

StatementHandler StatementFor(uint16_t code) noexcept {
  return kStatements[code - kStatementFirst].handler;
}

const lang::StatementDoc* lang::StatementDocOf(uint16_t code) noexcept {
  if (code < kStatementFirst || code > kStatementLast) return nullptr;
  return &kStatements[code - kStatementFirst].doc;
}

ErrNo StmtNotStatement(ExecFrame&) noexcept { return kErrSyntax; }
ErrNo StmtNoOperation(ExecFrame&) noexcept { return kOk; }
ErrNo StmtRem(ExecFrame&) noexcept { return kSkipLine; }

}  // namespace msc
