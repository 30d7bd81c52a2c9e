// The statement dispatch table: one entry per statement word, in code order.
#include <array>
#include <cstddef>
#include <cstdint>

#include "frontend/keywords.h"
#include "statements/handlers.h"

namespace msc {
namespace {

struct StatementEntry {
  uint16_t code;
  StatementHandler handler;
};

constexpr StatementEntry kStatements[] = {
    {0x8000, StmtNotStatement},  // Append: only inside Open
    {0x8001, StmtNotStatement},  // As: only inside Open
    {0x8002, StmtCall},  // Call: Call name [, argument ...]
    {0x8003, StmtCase},  // Case: Case value | Case Else
    {0x8004, StmtCatch},  // Catch: Catch
    {0x8005, StmtClear},  // Clear: Clear
    {0x8006, StmtClose},  // Close: Close [#n, ...]
    {0x8007, StmtCont},  // Cont: Cont [0|1|2]
    {0x8008, StmtCrspoint},  // Crspoint: Crspoint L1#(), L2#(), X, Y
    {0x8009, StmtDebug},  // Debug: Debug mode
    {0x800A, StmtDelete},  // Delete: Delete [from] - [to]
    {0x800B, StmtDim},  // Dim: Dim name(extent, ...) [, ...]
    {0x800C, StmtDo},  // Do: Do
    {0x800D, StmtElse},  // Else: Else
    {0x800E, StmtElseif},  // Elseif: Elseif cond [Then]
    {0x800F, StmtNotStatement},  // End: not a statement
    {0x8010, StmtEndIf},  // EndIf: EndIf
    {0x8011, StmtNoOperation},  // End ParallelExecute: marks the end of the tasks
    {0x8012, StmtEndSelect},  // End Select: End Select
    {0x8013, StmtEndSub},  // End Sub: End Sub
    {0x8014, StmtEndTry},  // End Try: End Try
    {0x8015, StmtErase},  // Erase: Erase name() [, ...]
    {0x8016, StmtNotStatement},  // Error: reserved word
    {0x8017, StmtExit},  // Exit: Exit Do | Exit For | Exit Sub
    {0x8018, StmtNotStatement},  // Explicit: only after Option
    {0x8019, StmtFcopy},  // Fcopy: Fcopy from, to
    {0x801A, StmtNotStatement},  // Files: only inside Open
    {0x801B, StmtFor},  // For: For var = start To limit [Step step]
    {0x801C, StmtNotStatement},  // For Append: only inside Open
    {0x801D, StmtNotStatement},  // For Input: only inside Open
    {0x801E, StmtNotStatement},  // For Output: only inside Open
    {0x801F, StmtNoOperation},  // Global: Global (no operation)
    {0x8020, StmtGosub},  // Gosub: Gosub line | label
    {0x8021, StmtGoto},  // Goto: Goto line | label
    {0x8022, StmtIf},  // If: If cond Then ... [Else ...] | block If cond Then
    {0x8023, StmtInput},  // Input: Input [#n,] ["prompt" ;|,] var, ...
    {0x8024, StmtKeyword},  // Keyword: Keyword "file"
    {0x8025, StmtKill},  // Kill: Kill pattern
    {0x8026, StmtNotStatement},  // Line: only in Line Input
    {0x8027, StmtLineInput},  // Line Input: Line Input [#n,] var
    {0x8028, StmtList},  // List: List [from [- to]]
    {0x8029, StmtLoad},  // Load: Load "file"
    {0x802A, StmtNoOperation},  // Local: Local (no operation)
    {0x802B, StmtLoop},  // Loop: Loop While cond
    {0x802C, StmtLsqumeth},  // Lsqumeth: Lsqumeth n, X#(), Y#(), L#()
    {0x802D, StmtMkdir},  // Mkdir: Mkdir path
    {0x802E, StmtNew},  // New: New
    {0x802F, StmtNext},  // Next: Next [var [, var ...]]
    {0x8030, StmtNext},  // ,: "," between Next variables
    {0x8031, StmtOn},  // On: On expr Goto|Gosub target, ...
    {0x8032, StmtOpen},  // Open: Open name For Input|Output|Append As #n
    {0x8033, StmtOption},  // Option: Option Explicit | Option Executable
    {0x8034, StmtNotStatement},  // Output: only inside Open
    {0x8035, StmtParallelExecute},  // ParallelExecute: ParallelExecute, Task ..., End ParallelExecute
    {0x8036, StmtPrint},  // Print: Print [expr {;|, expr}]
    {0x8037, StmtRem},  // Rem: Rem text
    {0x8038, StmtRem},  // ': ' text
    {0x8039, StmtReturn},  // Return: Return
    {0x803A, StmtRmdir},  // Rmdir: Rmdir path
    {0x803B, StmtRun},  // Run: Run [line | label]
    {0x803C, StmtSave},  // Save: Save "file"
    {0x803D, StmtSelect},  // Select: Select expr
    {0x803E, StmtNotStatement},  // Step: only inside For
    {0x803F, StmtStop},  // Stop: Stop ["name"]
    {0x8040, StmtNotStatement},  // Stupproc: reserved word, no statement
    {0x8041, StmtSub},  // Sub: Sub *LABEL
    {0x8042, StmtNoOperation},  // Task: Task (no operation)
    {0x8043, StmtNoOperation},  // Then: Then (consumed by If)
    {0x8044, StmtNotStatement},  // To: only inside For
    {0x8045, StmtTry},  // Try: Try
    {0x8046, StmtVarPop},  // VarPop: VarPop
    {0x8047, StmtVarPush},  // VarPush: VarPush [pattern]
    {0x8048, StmtWait},  // Wait: Wait milliseconds
    {0x8049, StmtNotStatement},  // While: only after Loop
    {0x804A, StmtSetUnitData},  // SetUnitData: SetUnitData unit, item, value | A()
    {0x804B, StmtGetUnitData},  // GetUnitData: GetUnitData unit, item, variable | A()
    {0x804C, StmtSetUnitFigure},  // SetUnitFigure: SetUnitFigure unit, figure, A&() | V!
    {0x804D, StmtGetUnitFigure},  // GetUnitFigure: GetUnitFigure unit, figure, A&() | V!
    {0x804E, StmtCopyUnitFigure},  // CopyUnitFigure: CopyUnitFigure a, b, c, d, e
    {0x804F, StmtCopyUnitModel},  // CopyUnitModel: CopyUnitModel a, b, c, d, e
    {0x8050, StmtSetUnitTitle},  // SetUnitTitle: SetUnitTitle unit, title
    {0x8051, StmtClearMeasureData},  // ClearMeasureData: ClearMeasureData [unit]
    {0x8052, StmtGetImageSize},  // GetImageSize: GetImageSize a, b, width, height
    {0x8053, StmtMeasureProc},  // MeasureProc: MeasureProc unit
    {0x8054, StmtSetImageWindow},  // SetImageWindow: SetImageWindow window, 6 integers, real, 4 integers
    {0x8055, StmtGetImageWindow},  // GetImageWindow: GetImageWindow window, 11 variables
    {0x8056, StmtSetGlobalData},  // SetGlobalData: SetGlobalData name, value
    {0x8057, StmtGetGlobalData},  // GetGlobalData: GetGlobalData name, variable
    {0x8058, StmtAddGlobalData},  // AddGlobalData: AddGlobalData name, value
    {0x8059, StmtSetSystemData},  // SetSystemData: SetSystemData section, name, value
    {0x805A, StmtGetSystemData},  // GetSystemData: GetSystemData section, name, variable
    {0x805B, StmtAddSystemData},  // AddSystemData: AddSystemData section, name, value
    {0x805C, StmtSendData},  // SendData: SendData channel, A&(), size [, B&(), size]
    {0x805D, StmtReceiveData},  // ReceiveData: ReceiveData channel, A&(), capacity, received [, B&(), size]
    {0x805E, StmtSendString},  // SendString: SendString channel, text
    {0x805F, StmtPutAll},  // PutAll: PutAll channel, bits
    {0x8060, StmtPutPort},  // PutPort: PutPort channel, port, value
    {0x8061, StmtJudgeOut},  // JudgeOut: JudgeOut channel, value
    {0x8062, StmtBusyOut},  // BusyOut: BusyOut channel, value
    {0x8063, StmtRunOut},  // RunOut: RunOut value | RunOut channel, value
    {0x8064, StmtApproximationCircle},  // ApproximationCircle: ApproximationCircle n, X#(), Y#(), CX, CY, R
    {0x8065, StmtWritePlcMemory},  // WritePlcMemory: WritePlcMemory channel, area, address, words, A&()
    {0x8066, StmtReadPlcMemory},  // ReadPlcMemory: ReadPlcMemory channel, area, address, words, A&()
    {0x8067, StmtSetPlcData},  // SetPlcData: SetPlcData channel, A(), offset, size, value
    {0x8068, StmtGetPlcData},  // GetPlcData: GetPlcData channel, A(), offset, size, variable
    {0x8069, StmtSetPollingState},  // SetPollingState: SetPollingState channel, state
    {0x806A, StmtChangeSceneGroup},  // ChangeSceneGroup: ChangeSceneGroup a, group
    {0x806B, StmtClearSceneGroup},  // ClearSceneGroup: ClearSceneGroup group
    {0x806C, StmtCopySceneGroup},  // CopySceneGroup: CopySceneGroup from, to
    {0x806D, StmtSetSceneGroupTitle},  // SetSceneGroupTitle: SetSceneGroupTitle group, title
    {0x806E, StmtChangeScene},  // ChangeScene: ChangeScene scene
    {0x806F, StmtClearScene},  // ClearScene: ClearScene scene
    {0x8070, StmtCopyScene},  // CopyScene: CopyScene from, to
    {0x8071, StmtSetSceneTitle},  // SetSceneTitle: SetSceneTitle scene, title
    {0x8072, StmtSetSceneMaker},  // SetSceneMaker: SetSceneMaker scene, maker
    {0x8073, StmtSetSceneDescription},  // SetSceneDescription: SetSceneDescription scene, text
    {0x8074, StmtAssignUnit},  // AssignUnit: AssignUnit unit, kind
    {0x8075, StmtInsertUnit},  // InsertUnit: InsertUnit unit, kind
    {0x8076, StmtDeleteUnit},  // DeleteUnit: DeleteUnit unit
    {0x8077, StmtCopyUnit},  // CopyUnit: CopyUnit a, b, c [, d]
    {0x8078, StmtMoveUnit},  // MoveUnit: MoveUnit from, to
    {0x8079, StmtMeasureStart},  // MeasureStart: MeasureStart
    {0x807A, StmtMeasureStop},  // MeasureStop: MeasureStop [value]
    {0x807B, StmtMeasure},  // Measure: Measure [value]
    {0x807C, StmtRemeasure},  // Remeasure: Remeasure number | name [, value]
    {0x807D, StmtImageUpdate},  // ImageUpdate: ImageUpdate
    {0x807E, StmtSetMeasureOut},  // SetMeasureOut: SetMeasureOut value
    {0x807F, StmtSaveImage},  // SaveImage: SaveImage image, file
    {0x8080, StmtRefreshImageWindow},  // RefreshImageWindow: RefreshImageWindow
    {0x8081, StmtSetTextWindow},  // SetTextWindow: SetTextWindow a, b, c, d
    {0x8082, StmtGetTextWindow},  // GetTextWindow: GetTextWindow a, b, c, d
    {0x8083, StmtRefreshTextWindow},  // RefreshTextWindow: RefreshTextWindow
    {0x8084, StmtSetJudgeWindow},  // SetJudgeWindow: SetJudgeWindow a, b, c
    {0x8085, StmtRefreshJudgeWindow},  // RefreshJudgeWindow: RefreshJudgeWindow
    {0x8086, StmtSetTimeWindow},  // SetTimeWindow: SetTimeWindow a, b, c
    {0x8087, StmtRefreshTimeWindow},  // RefreshTimeWindow: RefreshTimeWindow
    {0x8088, StmtSetDisplayUnitNo},  // SetDisplayUnitNo: SetDisplayUnitNo unit
    {0x8089, StmtSaveSystemData},  // SaveSystemData: SaveSystemData file
    {0x808A, StmtLoadSystemData},  // LoadSystemData: LoadSystemData file
    {0x808B, StmtSaveSceneGroup},  // SaveSceneGroup: SaveSceneGroup group, file
    {0x808C, StmtLoadSceneGroup},  // LoadSceneGroup: LoadSceneGroup group, file
    {0x808D, StmtSaveScene},  // SaveScene: SaveScene scene, file
    {0x808E, StmtLoadScene},  // LoadScene: LoadScene scene, file
    {0x808F, StmtSaveUnitData},  // SaveUnitData: SaveUnitData a, b, c, file
    {0x8090, StmtLoadUnitData},  // LoadUnitData: LoadUnitData a, b, c, d, file
    {0x8091, StmtSaveBackupData},  // SaveBackupData: SaveBackupData file
    {0x8092, StmtLoadBackupData},  // LoadBackupData: LoadBackupData file
    {0x8093, StmtSaveData},  // SaveData: SaveData
    {0x8094, StmtScreenCapture},  // ScreenCapture: ScreenCapture file
    {0x8095, StmtExitQorProcess},  // ExitQorProcess: ExitQorProcess
    {0x8096, StmtSystemReset},  // SystemReset: SystemReset
    {0x8097, StmtRaiseOptionEvent},  // RaiseOptionEvent: RaiseOptionEvent a, b
    {0x8098, StmtOpenTextData},  // OpenTextData: OpenTextData #n, name
    {0x8099, StmtCloseTextData},  // CloseTextData: CloseTextData [#n]
    {0x809A, StmtSetStop},  // SetStop: SetStop "pattern"
    {0x809B, StmtSetVar},  // SetVar: SetVar pattern, value
    {0x809C, StmtVarList},  // VarList: VarList [pattern]
    {0x809D, StmtVarSave},  // VarSave: VarSave [pattern]
    {0x809E, StmtDebugPrint},  // DebugPrint: DebugPrint [expr ...]
    {0x809F, StmtSetUserSubroutine},  // SetUserSubroutine: SetUserSubroutine name, library, procedure
    {0x80A0, StmtSetSceneData},  // SetSceneData: SetSceneData name, value
    {0x80A1, StmtGetSceneData},  // GetSceneData: GetSceneData name, variable
    {0x80A2, StmtErrorOut},  // ErrorOut: ErrorOut value | ErrorOut channel, value
    {0x80A3, StmtRaiseErrorProcEvent},  // RaiseErrorProcEvent: RaiseErrorProcEvent a, b [, c]
    {0x80A4, StmtExecuteErrorProc},  // ExecuteErrorProc: ExecuteErrorProc a, b
    {0x80A5, StmtContinuousMeasure},  // ContinuousMeasure: ContinuousMeasure on
    {0x80A6, StmtTestMeasure},  // TestMeasure: TestMeasure [number | name]
    {0x80A7, StmtSetForegroundLine},  // SetForegroundLine: SetForegroundLine line
    {0x80A8, StmtMessageBox},  // MessageBox: MessageBox text
    {0x80A9, StmtShell},  // Shell: Shell command-line [, wait]
    {0x80AA, StmtReDim},  // ReDim: ReDim name(extent, ...)
    {0x80AB, StmtNotStatement},  // Executable: only after Option
    {0x80AC, StmtSetProfileData},  // SetProfileData: SetProfileData file, section, key, value
    {0x80AD, StmtGetProfileData},  // GetProfileData: GetProfileData file, section, key, default, variable | A$(), B$()
    {0x80AE, StmtDeleteProfileData},  // DeleteProfileData: DeleteProfileData file, section, key | index
};

constexpr bool InCodeOrder() {
  for (std::size_t i = 0; i < std::size(kStatements); ++i) {
    if (kStatements[i].code != kStatementFirst + i) return false;
  }
  return true;
}
static_assert(std::size(kStatements) == kStatementCount, "one handler per statement word");
static_assert(InCodeOrder(), "statement handlers must be in token-code order");

}  // namespace

StatementHandler StatementFor(uint16_t code) noexcept {
  return kStatements[code - kStatementFirst].handler;
}

ErrNo StmtNotStatement(ExecFrame&) noexcept { return kErrSyntax; }
ErrNo StmtNoOperation(ExecFrame&) noexcept { return kOk; }
ErrNo StmtRem(ExecFrame&) noexcept { return kSkipLine; }

}  // namespace msc
