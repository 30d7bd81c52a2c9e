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
