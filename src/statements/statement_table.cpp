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
    {0x8002, StmtNotAvailable},  // Call: not available in this build
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
    {0x8011, StmtNotAvailable},  // End ParallelExecute: not available in this build
    {0x8012, StmtEndSelect},  // End Select: End Select
    {0x8013, StmtEndSub},  // End Sub: End Sub
    {0x8014, StmtEndTry},  // End Try: End Try
    {0x8015, StmtErase},  // Erase: Erase name() [, ...]
    {0x8016, StmtNotStatement},  // Error: reserved word
    {0x8017, StmtExit},  // Exit: Exit Do | Exit For | Exit Sub
    {0x8018, StmtNotAvailable},  // Explicit: not available in this build
    {0x8019, StmtFcopy},  // Fcopy: Fcopy from, to
    {0x801A, StmtNotStatement},  // Files: only inside Open
    {0x801B, StmtFor},  // For: For var = start To limit [Step step]
    {0x801C, StmtNotAvailable},  // For Append: not available in this build
    {0x801D, StmtNotAvailable},  // For Input: not available in this build
    {0x801E, StmtNotAvailable},  // For Output: not available in this build
    {0x801F, StmtNoOperation},  // Global: Global (no operation)
    {0x8020, StmtGosub},  // Gosub: Gosub line | label
    {0x8021, StmtGoto},  // Goto: Goto line | label
    {0x8022, StmtIf},  // If: If cond Then ... [Else ...] | block If cond Then
    {0x8023, StmtInput},  // Input: Input [#n,] ["prompt" ;|,] var, ...
    {0x8024, StmtKeyword},  // Keyword: Keyword "file"
    {0x8025, StmtKill},  // Kill: Kill pattern
    {0x8026, StmtNotAvailable},  // Line: not available in this build
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
    {0x8035, StmtNotAvailable},  // ParallelExecute: not available in this build
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
    {0x8040, StmtNotAvailable},  // Stupproc: not available in this build
    {0x8041, StmtSub},  // Sub: Sub *LABEL
    {0x8042, StmtNoOperation},  // Task: Task (no operation)
    {0x8043, StmtNoOperation},  // Then: Then (consumed by If)
    {0x8044, StmtNotStatement},  // To: only inside For
    {0x8045, StmtTry},  // Try: Try
    {0x8046, StmtVarPop},  // VarPop: VarPop
    {0x8047, StmtVarPush},  // VarPush: VarPush [pattern]
    {0x8048, StmtWait},  // Wait: Wait milliseconds
    {0x8049, StmtNotStatement},  // While: only after Loop
    {0x804A, StmtNotAvailable},  // SetUnitData: not available in this build
    {0x804B, StmtNotAvailable},  // GetUnitData: not available in this build
    {0x804C, StmtNotAvailable},  // SetUnitFigure: not available in this build
    {0x804D, StmtNotAvailable},  // GetUnitFigure: not available in this build
    {0x804E, StmtNotAvailable},  // CopyUnitFigure: not available in this build
    {0x804F, StmtNotAvailable},  // CopyUnitModel: not available in this build
    {0x8050, StmtNotAvailable},  // SetUnitTitle: not available in this build
    {0x8051, StmtNotAvailable},  // ClearMeasureData: not available in this build
    {0x8052, StmtNotAvailable},  // GetImageSize: not available in this build
    {0x8053, StmtNotAvailable},  // MeasureProc: not available in this build
    {0x8054, StmtNotAvailable},  // SetImageWindow: not available in this build
    {0x8055, StmtNotAvailable},  // GetImageWindow: not available in this build
    {0x8056, StmtNotAvailable},  // SetGlobalData: not available in this build
    {0x8057, StmtNotAvailable},  // GetGlobalData: not available in this build
    {0x8058, StmtNotAvailable},  // AddGlobalData: not available in this build
    {0x8059, StmtNotAvailable},  // SetSystemData: not available in this build
    {0x805A, StmtNotAvailable},  // GetSystemData: not available in this build
    {0x805B, StmtNotAvailable},  // AddSystemData: not available in this build
    {0x805C, StmtNotAvailable},  // SendData: not available in this build
    {0x805D, StmtNotAvailable},  // ReceiveData: not available in this build
    {0x805E, StmtNotAvailable},  // SendString: not available in this build
    {0x805F, StmtNotAvailable},  // PutAll: not available in this build
    {0x8060, StmtNotAvailable},  // PutPort: not available in this build
    {0x8061, StmtNotAvailable},  // JudgeOut: not available in this build
    {0x8062, StmtNotAvailable},  // BusyOut: not available in this build
    {0x8063, StmtNotAvailable},  // RunOut: not available in this build
    {0x8064, StmtApproximationCircle},  // ApproximationCircle: ApproximationCircle n, X#(), Y#(), CX, CY, R
    {0x8065, StmtNotAvailable},  // WritePlcMemory: not available in this build
    {0x8066, StmtNotAvailable},  // ReadPlcMemory: not available in this build
    {0x8067, StmtNotAvailable},  // SetPlcData: not available in this build
    {0x8068, StmtNotAvailable},  // GetPlcData: not available in this build
    {0x8069, StmtNotAvailable},  // SetPollingState: not available in this build
    {0x806A, StmtNotAvailable},  // ChangeSceneGroup: not available in this build
    {0x806B, StmtNotAvailable},  // ClearSceneGroup: not available in this build
    {0x806C, StmtNotAvailable},  // CopySceneGroup: not available in this build
    {0x806D, StmtNotAvailable},  // SetSceneGroupTitle: not available in this build
    {0x806E, StmtNotAvailable},  // ChangeScene: not available in this build
    {0x806F, StmtNotAvailable},  // ClearScene: not available in this build
    {0x8070, StmtNotAvailable},  // CopyScene: not available in this build
    {0x8071, StmtNotAvailable},  // SetSceneTitle: not available in this build
    {0x8072, StmtNotAvailable},  // SetSceneMaker: not available in this build
    {0x8073, StmtNotAvailable},  // SetSceneDescription: not available in this build
    {0x8074, StmtNotAvailable},  // AssignUnit: not available in this build
    {0x8075, StmtNotAvailable},  // InsertUnit: not available in this build
    {0x8076, StmtNotAvailable},  // DeleteUnit: not available in this build
    {0x8077, StmtNotAvailable},  // CopyUnit: not available in this build
    {0x8078, StmtNotAvailable},  // MoveUnit: not available in this build
    {0x8079, StmtNotAvailable},  // MeasureStart: not available in this build
    {0x807A, StmtNotAvailable},  // MeasureStop: not available in this build
    {0x807B, StmtNotAvailable},  // Measure: not available in this build
    {0x807C, StmtNotAvailable},  // Remeasure: not available in this build
    {0x807D, StmtNotAvailable},  // ImageUpdate: not available in this build
    {0x807E, StmtNotAvailable},  // SetMeasureOut: not available in this build
    {0x807F, StmtNotAvailable},  // SaveImage: not available in this build
    {0x8080, StmtNotAvailable},  // RefreshImageWindow: not available in this build
    {0x8081, StmtNotAvailable},  // SetTextWindow: not available in this build
    {0x8082, StmtNotAvailable},  // GetTextWindow: not available in this build
    {0x8083, StmtNotAvailable},  // RefreshTextWindow: not available in this build
    {0x8084, StmtNotAvailable},  // SetJudgeWindow: not available in this build
    {0x8085, StmtNotAvailable},  // RefreshJudgeWindow: not available in this build
    {0x8086, StmtNotAvailable},  // SetTimeWindow: not available in this build
    {0x8087, StmtNotAvailable},  // RefreshTimeWindow: not available in this build
    {0x8088, StmtNotAvailable},  // SetDisplayUnitNo: not available in this build
    {0x8089, StmtNotAvailable},  // SaveSystemData: not available in this build
    {0x808A, StmtNotAvailable},  // LoadSystemData: not available in this build
    {0x808B, StmtNotAvailable},  // SaveSceneGroup: not available in this build
    {0x808C, StmtNotAvailable},  // LoadSceneGroup: not available in this build
    {0x808D, StmtNotAvailable},  // SaveScene: not available in this build
    {0x808E, StmtNotAvailable},  // LoadScene: not available in this build
    {0x808F, StmtNotAvailable},  // SaveUnitData: not available in this build
    {0x8090, StmtNotAvailable},  // LoadUnitData: not available in this build
    {0x8091, StmtNotAvailable},  // SaveBackupData: not available in this build
    {0x8092, StmtNotAvailable},  // LoadBackupData: not available in this build
    {0x8093, StmtNotAvailable},  // SaveData: not available in this build
    {0x8094, StmtNotAvailable},  // ScreenCapture: not available in this build
    {0x8095, StmtNotAvailable},  // ExitQorProcess: not available in this build
    {0x8096, StmtNotAvailable},  // SystemReset: not available in this build
    {0x8097, StmtNotAvailable},  // RaiseOptionEvent: not available in this build
    {0x8098, StmtOpenTextData},  // OpenTextData: OpenTextData #n, name
    {0x8099, StmtCloseTextData},  // CloseTextData: CloseTextData [#n]
    {0x809A, StmtSetStop},  // SetStop: SetStop "pattern"
    {0x809B, StmtSetVar},  // SetVar: SetVar pattern, value
    {0x809C, StmtVarList},  // VarList: VarList [pattern]
    {0x809D, StmtVarSave},  // VarSave: VarSave [pattern]
    {0x809E, StmtDebugPrint},  // DebugPrint: DebugPrint [expr ...]
    {0x809F, StmtNotAvailable},  // SetUserSubroutine: not available in this build
    {0x80A0, StmtNotAvailable},  // SetSceneData: not available in this build
    {0x80A1, StmtNotAvailable},  // GetSceneData: not available in this build
    {0x80A2, StmtNotAvailable},  // ErrorOut: not available in this build
    {0x80A3, StmtNotAvailable},  // RaiseErrorProcEvent: not available in this build
    {0x80A4, StmtNotAvailable},  // ExecuteErrorProc: not available in this build
    {0x80A5, StmtNotAvailable},  // ContinuousMeasure: not available in this build
    {0x80A6, StmtNotAvailable},  // TestMeasure: not available in this build
    {0x80A7, StmtNotAvailable},  // SetForegroundLine: not available in this build
    {0x80A8, StmtMessageBox},  // MessageBox: MessageBox text
    {0x80A9, StmtNotAvailable},  // Shell: not available in this build
    {0x80AA, StmtReDim},  // ReDim: ReDim name(extent, ...)
    {0x80AB, StmtNotAvailable},  // Executable: not available in this build
    {0x80AC, StmtNotAvailable},  // SetProfileData: not available in this build
    {0x80AD, StmtNotAvailable},  // GetProfileData: not available in this build
    {0x80AE, StmtNotAvailable},  // DeleteProfileData: not available in this build
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
ErrNo StmtNotAvailable(ExecFrame&) noexcept { return 33; }

}  // namespace msc
