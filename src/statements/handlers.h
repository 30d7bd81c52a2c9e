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
// Statements this build does not provide: 33 "Feature not available".
[[nodiscard]] ErrNo StmtNotAvailable(ExecFrame& f) noexcept;

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

}  // namespace msc
