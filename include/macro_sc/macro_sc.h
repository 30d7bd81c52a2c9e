// The exported functions through which a host drives the macro engine.
#pragma once

#include <cstdint>

#include "macro_sc/host.h"

class QorMacro;

#define MSC_EXPORT extern "C" __attribute__((visibility("default")))

// Creates a macro object bound to the host interface; null on failure.
MSC_EXPORT QorMacro* _CreateQorMacro(HostInterface* host);
// Destroys a macro object; does nothing for null.
MSC_EXPORT void _DeleteQorMacro(QorMacro* macro);

// Beyond the 28 exports: stops a runaway macro. Callable from any thread,
// it ends every run under way on the object when it is called (the main run,
// its ParallelExecute tasks, a direct statement, a routine of the debug
// console) before its next statement, or inside a Wait, an Input, the debug
// console's prompt or a Shell that waits (whose process is then sent
// SIGTERM), within a few milliseconds. Each
// such run ends with error 210 "Interrupted", which Try does not catch; its
// frames unwind as after any other error and the object stays usable. Runs
// that start after the call are not affected. 0, or -1 for a null object.
MSC_EXPORT int32_t _InterruptQorMacro(QorMacro* macro);

// Beyond the 28 exports: where the console output of an object goes.
//
// By default an object prints to standard output. With a hook set, every
// piece of its console output goes to the hook instead: what Print, Input
// prompts, List and the debug console write (isReport 0), and the engine's
// reports, trace lines and compile messages (isReport 1), each a
// zero-terminated text in the conversion code page exactly as the console
// would get it, "Macro(SC) " prefix and line ends included. Output is
// routed by the call it belongs to: everything printed during an export
// of the object, by its ParallelExecute tasks and by its debug console.
//
// The hook is never called while this thread holds the object lock
// (compile messages printed under it are handed over once it is released,
// in order), so it may call any export of any object, this one included,
// and _InterruptQorMacro. It may be called from several threads at once
// (ParallelExecute tasks) and must not throw. hook NULL: back to standard
// output. A call of the old hook already under way on another thread may
// still be finishing when this returns, so keep its context alive until
// the object's runs have ended. 0, or -1 for a null object.
typedef void (*MscOutputHook)(void* context, const char* text, int32_t isReport);
MSC_EXPORT int32_t _SetOutputHookQorMacro(QorMacro* macro, MscOutputHook hook, void* context);
// Beyond the 28 exports: the process's conversion code page (a Windows code
// page number: 932, 1252, 65001 for UTF-8 ...), which every console text is
// in. Chosen by the first object created; asked before, it is chosen now.
MSC_EXPORT uint32_t _GetCodePageQorMacro(void);

// Beyond the 28 exports: the last error of an object. Every export of the
// object that fails records it (a status export: a result other than 0; a
// size export: -1); a call that succeeds leaves it alone, so read it right
// after the failing call.
typedef struct MscLastError {
  // The failing export's result (an error number, or -1 for a refused
  // call or a failed variable access); 0 while no export of the object has
  // failed.
  int32_t number;
  // The program line number of the line that failed (a compile error while
  // loading, or the line a run stopped in); 0 for a direct statement, a
  // failure outside any line, or when not known.
  uint32_t line;
  // The line of the source file the failing line came from, counted from
  // 1, while the program is the one _LoadProgramF loaded (and not edited
  // since); 0 otherwise.
  uint32_t fileLine;
  // The message of the error, UTF-8, zero-terminated; for -1 the message of
  // the error behind it when there is one ("Undefined variable" for a name
  // never declared under Option Explicit), else "Call refused".
  char message[256];
} MscLastError;
// Copies the last error into out: 0, or -1 for a null object or out.
MSC_EXPORT int32_t _GetLastErrorQorMacro(QorMacro* macro, MscLastError* out);

// Beyond the 28 exports: what the programs of an object may reach, for
// running macros someone else wrote. Without a call (or with permissions
// NULL) an object may do whatever the process may. With permissions it is
// in a sandbox: Shell needs MSC_ALLOW_RUN, SetUserSubroutine and Call need
// MSC_ALLOW_FFI, and every file a statement or function names (Open, Kill,
// Mkdir, Rmdir, Fcopy, Dskf, IsFile, OpenTextData, Load, Save, Keyword, the
// profile data and the controller's data files and images) must lie in
// one of the read folders (to read it) or the write folders (to create,
// change or delete it); writing does not imply reading. A name is checked
// after it is resolved: made absolute from the current directory ("\" and
// "/" both separate; a controller data file without a directory is in the
// configuration directory), "." and ".." folded, and then opened from the
// allowed folder so that no symbolic link leads outside it. Names with
// control characters and names longer than the system takes are refused.
// A statement outside its permissions fails with error 5 "Illegal function
// call", after a line "Macro(SC) Permission denied: ..." names what was
// missing, and creates, changes, deletes and starts nothing. Inside a
// sandbox the controller is handed the name of the already opened file
// ("/proc/self/fd/N") in place of the program's name. The folders are
// resolved and opened by this call (a folder that cannot be opened is -1);
// what they name later stays allowed. ParallelExecute tasks and the debug
// console are bound by the same permissions.
//
// maxMemoryBytes (0: no limit) bounds what the object's runs make its
// variables, arrays, texts and program area hold; an allocation past it is
// error 7 "Out of memory" for the program, never a failure of the host.
// It applies whether or not MSC_SANDBOX is set.
//
// Refused with -1 while a run is under way on the object or for a null
// object; 0 otherwise. A later call replaces the permissions.
enum {
  MSC_SANDBOX = 1,    // limit files to the folders below, processes and libraries to the flags
  MSC_ALLOW_RUN = 2,  // Shell
  MSC_ALLOW_FFI = 4,  // SetUserSubroutine and Call
};
typedef struct MscPermissions {
  uint32_t flags;              // MSC_SANDBOX | MSC_ALLOW_...
  const char* const* read;     // NULL-terminated list of folders (UTF-8), or NULL
  const char* const* write;    // NULL-terminated list of folders (UTF-8), or NULL
  uint64_t maxMemoryBytes;     // 0: no limit
} MscPermissions;
MSC_EXPORT int32_t _SetPermissionsQorMacro(QorMacro* macro, const MscPermissions* permissions);

// Programs. Every call returns -1 for a null object (_IsExistLabel: 0).

// Compiles one line: a numbered line is stored in the program (a bare number
// deletes that line); any other line runs at once. 0 or an error number.
MSC_EXPORT int32_t _DirectExecute(QorMacro* macro, const wchar_t* text);
// Runs the routine at a label ("*NAME", any case) until its Return. 0, an
// error number, 32 for a missing label, or -1 for an empty label or while the
// object's executable flag is 0.
MSC_EXPORT int32_t _Gosub(QorMacro* macro, const wchar_t* label);
// 1 when a program line begins with the label, else 0.
MSC_EXPORT int32_t _IsExistLabel(QorMacro* macro, const wchar_t* label);
// Bytes of the program image that _SaveProgramM writes; 0 for no program.
MSC_EXPORT int32_t _GetProgramSize(QorMacro* macro);
// Writes the program image into a 4-aligned buffer of _GetProgramSize bytes.
MSC_EXPORT int32_t _SaveProgramM(QorMacro* macro, void* image);
// Loads a program image and runs "*MCRINIT". A buffer without the program
// magic loads nothing and still runs it; 0, -1 for a damaged image, or the
// first compile error.
MSC_EXPORT int32_t _LoadProgramM(QorMacro* macro, const void* image);
// Writes the program as a UTF-8 source file; 0, or 5 when writing fails.
MSC_EXPORT int32_t _SaveProgramF(QorMacro* macro, const wchar_t* path);
// Loads a UTF-8 source file and runs "*MCRINIT"; 0, 5 when the file cannot be
// read, or the first compile error.
MSC_EXPORT int32_t _LoadProgramF(QorMacro* macro, const wchar_t* path);

// Variables by name. A name is a variable or an array element written as in
// a program ("LIMIT&", "A#(2)"); _GetVariable also takes any expression.
// The reserved names "setVariable", "deleteVariable", "variableList",
// "variableListRO", "variableList+", "variableList+RO" (set) and
// "variableList", "variableListRO", "variableListRW" (get) maintain the
// registered-variable list, entries "NAME:ATTR:INIT" joined by ";", which is
// declared again after every program load. 0 on success, -1 on failure.
MSC_EXPORT int32_t _SetVariable(QorMacro* macro, const wchar_t* name, AnyType* value);
MSC_EXPORT int32_t _GetVariable(QorMacro* macro, const wchar_t* name, AnyType* value);

// Variable images.
//
// The stored-variable image ("K7TTMCD100") holds the integer, double and
// string variables and arrays whose names end with "&&", "##" or "$$".
// _GetStoredVariableSize gives its exact size (0: nothing to store, -1: a
// damaged variable area); _SaveStoredVariableM writes it into a buffer of at
// least that size; _LoadStoredVariableM restores it (0, or -1 for an image
// whose size or end marker is wrong; a buffer without the magic loads nothing
// and gives 0).
MSC_EXPORT int32_t _GetStoredVariableSize(QorMacro* macro);
MSC_EXPORT int32_t _SaveStoredVariableM(QorMacro* macro, void* image);
MSC_EXPORT int32_t _LoadStoredVariableM(QorMacro* macro, const void* image);
// The variable stream ("K7TTMCD200"): the variables whose names match pattern
// ("*" any run, "?" one character, case-sensitive), or with a null pattern
// those ending with "&&", "##", "$$" or "!!", written as a header, chunks of
// at most about 1 MiB, and a finishing Write(null, 0).
MSC_EXPORT int32_t _SaveVariable2(QorMacro* macro, const wchar_t* pattern, HostWriteStream* stream);
// Restores a variable stream; 0, the stream's own non-zero status, -1 for a
// stream that is no variable stream, 7 when a variable cannot be created,
// 103 for a damaged record.
MSC_EXPORT int32_t _LoadVariable2(QorMacro* macro, HostReadStream* stream);
// Copies the selected variables (as _SaveVariable2 selects them) of source
// into macro.
MSC_EXPORT int32_t _CopyVariable2(QorMacro* macro, const wchar_t* pattern, QorMacro* source);
// Writes the stream header, runs "*SaveProc" (whose VarSave statements write
// chunks) and finishes the stream: the label's result, or -1 when the header
// or the finish cannot be written.
MSC_EXPORT int32_t _SaveProc(QorMacro* macro, HostWriteStream* stream);
// Loads a stream as _LoadVariable2 does, then runs "*LoadProc"; the result
// of the load.
MSC_EXPORT int32_t _LoadProc(QorMacro* macro, HostReadStream* stream);

// Reference variables: "@" variables bound to controller data by a
// definition text "U<unit>.<item>", "S.<section>.<name>" or "G.<name>".
// Every call returns -1 for a null object or a refused call, else 0.

// Binds name (ending with "@", any case) to the definition text in value;
// an empty text unbinds.
MSC_EXPORT int32_t _SetReferenceVariable(QorMacro* macro, const wchar_t* name, AnyType* value);
// The definition text of a bound name.
MSC_EXPORT int32_t _GetReferenceVariable(QorMacro* macro, const wchar_t* name, AnyType* value);
// Renumbers the unit of every unit binding; -1 when nothing was ever bound.
MSC_EXPORT int32_t _RenumReferenceVariable(QorMacro* macro, ReferenceRenumbering* renumbering);
// Bytes of the saved form: name and definition of each binding as
// zero-terminated wide texts, then one empty wide text.
MSC_EXPORT int32_t _GetReferenceVariableSize(QorMacro* macro);
MSC_EXPORT int32_t _SaveReferenceVariableM(QorMacro* macro, wchar_t* buffer);
// Unbinds everything, then binds every pair of a saved form.
MSC_EXPORT int32_t _LoadReferenceVariableM(QorMacro* macro, const wchar_t* buffer);
MSC_EXPORT int32_t _ClearReferenceVariable(QorMacro* macro);

// A wide text handed to the host by value. The text was allocated inside the
// engine, so only the engine may free it: call release(&list) once (it may
// be called on an empty value too), or hold it in a MacroWideTextHolder.
struct MacroWideText {
  wchar_t* text;    // zero-terminated; never null
  int32_t length;   // characters before the terminating zero
  void (*release)(MacroWideText* self);
};

// All bound reference names joined by ","; an empty text for a null object.
MSC_EXPORT MacroWideText _GetReferenceVariableList2(QorMacro* macro);

// Owns a MacroWideText and releases it at the end of its scope.
class MacroWideTextHolder {
 public:
  explicit MacroWideTextHolder(MacroWideText text) noexcept : text_(text) {}
  MacroWideTextHolder(const MacroWideTextHolder&) = delete;
  MacroWideTextHolder& operator=(const MacroWideTextHolder&) = delete;
  ~MacroWideTextHolder() {
    if (text_.release != nullptr) text_.release(&text_);
  }
  const wchar_t* c_str() const noexcept { return text_.text; }
  int32_t size() const noexcept { return text_.length; }

 private:
  MacroWideText text_;
};
