// The host side of the engine: the value class, the callback objects whose
// numbered operations the engine calls, and the host library functions.
//
// Operations are virtual functions numbered by slot from 0, declared here in
// slot order; a host derives from these classes and overrides what it serves.
#pragma once

#include <cstdint>

class AnyType;
class IoModule;
class HostInterface;
class CoreServices;
class HostStream;

// Host library functions (configuration and system queries).
const wchar_t* GetCoreRAPath();
int GetProfileData(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                   const wchar_t* defaultValue, wchar_t* buffer, int size);
const wchar_t* GetLanguageIdent();
int GetSystemInfo2(int item);
CoreServices* GetQorCoreRA();
