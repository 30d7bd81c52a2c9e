// Code outside the macro language: user subroutines in shared libraries
// (SetUserSubroutine, Call) and operating-system processes (Shell).
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <new>
#include <string>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "frontend/token_reader.h"
#include "macro_sc/host.h"
#include "platform/lock.h"
#include "platform/process.h"
#include "statements/handlers.h"
#include "statements/permissions.h"
#include "variables/host_value.h"

namespace msc {
namespace {

// Names, library paths and command lines: at most 1024 characters.
constexpr size_t kNameSize = 1025;
constexpr int kMaxCallArguments = 32;

// A "," or ":" between the operands of SetUserSubroutine.
void SkipSeparator(ExecFrame& f) noexcept { (void)ArgumentSeparator(f); }

// One Call argument as a host value: integers, reals and texts only.
ErrNo CallArgument(ExecFrame& f, AnyType& out) noexcept {
  Value v;
  if (ErrNo e = EvaluateLocked(f, v); e != kOk) return e;
  if (v.type == kInteger) return out.SetData(v.count) == 0 ? kOk : kErrOutOfMemory;
  if (v.type == kDouble) return out.SetData(v.number) == 0 ? kOk : kErrOutOfMemory;
  if (!IsTextType(v.type)) return kErrTypeMismatch;
  std::wstring wide;
  if (!CodePageToWide(v.text, static_cast<size_t>(v.count), wide)) return kErrOutOfMemory;
  if (wide.size() > kNameSize - 1) wide.resize(kNameSize - 1);
  return out.SetData(wide.c_str()) == 0 ? kOk : kErrOutOfMemory;
}

}  // namespace

// SetUserSubroutine name, library, procedure: the library is looked for in
// the controller's configuration directory.
ErrNo StmtSetUserSubroutine(ExecFrame& f) noexcept {
  wchar_t name[kNameSize];
  if (ErrNo e = WideTextArgument(f, name, kNameSize); e != kOk) return e;
  SkipSeparator(f);
  wchar_t library[kNameSize];
  if (ErrNo e = WideTextArgument(f, library, kNameSize); e != kOk) return e;
  SkipSeparator(f);
  char procedure[kTextArgumentSize];
  if (ErrNo e = TextArgument(f, procedure); e != kOk) return e;

  std::wstring path;
  try {
    const wchar_t* directory = GetCoreRAPath();
    path = std::wstring(directory != nullptr ? directory : L"") + library;
  } catch (...) {
    return kErrOutOfMemory;
  }
  if (path.size() > kNameSize - 1) path.resize(kNameSize - 1);
  if (ErrNo e = MayLoadLibraries(f); e != kOk) return e;
  void* handle = platform::LoadLibrary(path.c_str());
  void* function = platform::FindSymbol(handle, procedure);
  if (function == nullptr) return kErrIllegalCall;

  QorMacro& m = *f.macro;
  platform::LockGuard hold(m.lock);
  try {
    if (!m.userSubroutines) m.userSubroutines = std::make_unique<std::map<std::wstring, void*>>();
    (*m.userSubroutines)[name] = function;
  } catch (...) {
    return kErrIllegalCall;
  }
  return kOk;
}

// Call name [, argument ...]: the subroutine's result is the statement's.
ErrNo StmtCall(ExecFrame& f) noexcept {
  wchar_t name[kNameSize];
  if (ErrNo e = WideTextArgument(f, name, kNameSize); e != kOk) return e;
  std::unique_ptr<AnyType[]> arguments(new (std::nothrow) AnyType[kMaxCallArguments]);
  if (!arguments) return kErrOutOfMemory;
  uint32_t count = 0;
  for (;;) {
    SkipSpaces(f);
    if (*f.pos != ',') {
      if (*f.pos == ':') ++f.pos;
      break;
    }
    ++f.pos;
    if (count == kMaxCallArguments) return kErrIllegalCall;
    if (ErrNo e = CallArgument(f, arguments[count]); e != kOk) return e;
    ++count;
  }

  if (ErrNo e = MayLoadLibraries(f); e != kOk) return e;
  QorMacro& m = *f.macro;
  UserSubroutine function = nullptr;
  {
    platform::LockGuard hold(m.lock);
    if (!m.userSubroutines) return kErrIllegalCall;
    const auto it = m.userSubroutines->find(name);
    if (it == m.userSubroutines->end()) return kErrIllegalCall;
    function = reinterpret_cast<UserSubroutine>(it->second);
  }
  const UserSubroutineContext context{0, 0, GetQorCoreRA()};
  return function(count, arguments.get(), &context);
}

// Shell command-line [, wait]
ErrNo StmtShell(ExecFrame& f) noexcept {
  wchar_t command[kNameSize];
  if (ErrNo e = WideTextArgument(f, command, kNameSize); e != kOk) return e;
  int32_t wait = 0;
  SkipSpaces(f);
  if (*f.pos == ',') {
    ++f.pos;
    if (ErrNo e = IntegerArgument(f, &wait); e != kOk) return e;
  } else if (*f.pos == ':') {
    ++f.pos;
  }
  if (ErrNo e = MayRun(f); e != kOk) return e;
  bool stopped = false;
  if (!platform::StartProcess(command, wait != 0, &stopped)) return kErrIllegalCall;
  return stopped ? kErrInterrupted : kOk;
}

}  // namespace msc
