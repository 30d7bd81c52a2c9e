// The controller's named data (global, system, scene), profile data, the
// save and load of controller data files, and controller events.
#include <cwchar>
#include <string>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/variables.h"
#include "macro_sc/host.h"
#include "statements/handlers.h"
#include "host/host_call.h"
#include "host/host_files.h"
#include "host/host_operands.h"

namespace msc {
namespace {

using host::ArgumentList;
using host::Command;
using host::kShortTextSize;

using NamedWrite = int32_t (CoreServices::*)(const wchar_t*, AnyType*);
using SectionWrite = int32_t (CoreServices::*)(const wchar_t*, const wchar_t*, AnyType*);

// Name, value: the value crosses as a host value.
template <class Object>
ErrNo WriteNamed(ExecFrame& f, int32_t (Object::*operation)(const wchar_t*, AnyType*)) noexcept {
  ArgumentList args(f);
  wchar_t name[kShortTextSize];
  AnyType value;
  if (ErrNo e = args.Text(name); e != kOk) return e;
  if (ErrNo e = args.HostValue(value); e != kOk) return e;
  Object* object = nullptr;
  if (ErrNo e = host::ObjectOf(f, &object); e != kOk) return e;
  return host::Status((object->*operation)(name, &value));
}

// Name, variable: the controller's value is stored into the variable.
template <class Object>
ErrNo ReadNamed(ExecFrame& f, int32_t (Object::*operation)(const wchar_t*, AnyType*)) noexcept {
  ArgumentList args(f);
  wchar_t name[kShortTextSize];
  if (ErrNo e = args.Text(name); e != kOk) return e;
  Object* object = nullptr;
  if (ErrNo e = host::ObjectOf(f, &object); e != kOk) return e;
  AnyType value;
  if (ErrNo e = host::Status((object->*operation)(name, &value)); e != kOk) return e;
  args.Next();
  return host::StoreHostResult(f, value);
}

ErrNo WriteSection(ExecFrame& f, SectionWrite operation) noexcept {
  ArgumentList args(f);
  wchar_t section[kShortTextSize], name[kShortTextSize];
  AnyType value;
  if (ErrNo e = args.Text(section); e != kOk) return e;
  if (ErrNo e = args.Text(name); e != kOk) return e;
  if (ErrNo e = args.HostValue(value); e != kOk) return e;
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  return host::Status((core->*operation)(section, name, &value));
}

// GetProfileData file, section, A$(), B$(): every key and its value.
ErrNo ProfileList(ArgumentList& args, const wchar_t* file, const wchar_t* section,
                  uint8_t* keys) noexcept {
  ExecFrame& f = args.frame();
  args.Next();
  uint8_t* values = nullptr;
  if (!host::PeekWholeArray(f, &values)) return kErrSyntax;
  if (keys[0] != kTagStringArray || values[0] != kTagStringArray) return kErrSyntax;
  AnyType keyList, valueList;
  int32_t count = 0;
  if (GetProfileData(file, section, &keyList, &valueList, &count) != 0) return kErrIllegalCall;
  if (ErrNo e = host::FillArrayFromList(f, keys, keyList, count); e != kOk) return e;
  return host::FillArrayFromList(f, values, valueList, count);
}

}  // namespace

ErrNo StmtSetGlobalData(ExecFrame& f) noexcept { return WriteNamed(f, &CoreServices::SetGlobalData); }
ErrNo StmtGetGlobalData(ExecFrame& f) noexcept { return ReadNamed(f, &CoreServices::GetGlobalData); }
ErrNo StmtAddGlobalData(ExecFrame& f) noexcept { return WriteNamed(f, &CoreServices::AddGlobalData); }
ErrNo StmtSetSceneData(ExecFrame& f) noexcept { return WriteNamed(f, &HostInterface::SetSceneData); }
ErrNo StmtGetSceneData(ExecFrame& f) noexcept { return ReadNamed(f, &HostInterface::GetSceneData); }
ErrNo StmtSetSystemData(ExecFrame& f) noexcept { return WriteSection(f, &CoreServices::SetSystemData); }
ErrNo StmtAddSystemData(ExecFrame& f) noexcept { return WriteSection(f, &CoreServices::AddSystemData); }

ErrNo StmtGetSystemData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  wchar_t section[kShortTextSize], name[kShortTextSize];
  if (ErrNo e = args.Text(section); e != kOk) return e;
  if (ErrNo e = args.Text(name); e != kOk) return e;
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  AnyType value;
  if (ErrNo e = host::Status(core->GetSystemData(section, name, &value)); e != kOk) return e;
  args.Next();
  return host::StoreHostResult(f, value);
}

// ---- profile data ----

ErrNo StmtSetProfileData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  wchar_t t[4][kShortTextSize];
  for (auto& text : t) {
    if (ErrNo e = args.Text(text); e != kOk) return e;
  }
  HeldName file(f, t[0], O_RDWR | O_CREAT, HeldName::Base::kConfigDirectory);
  if (!file) return kErrIllegalCall;
  const ErrNo e = host::Status(SetProfileData(file.name(), t[1], t[2], t[3]));
  if (e == kOk) file.Succeeded();
  return e;
}

// GetProfileData file, section, key, default, variable — or the list form
// GetProfileData file, section, KEYS$(), VALUES$().
ErrNo StmtGetProfileData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  wchar_t t[4][kShortTextSize];
  if (ErrNo e = args.Text(t[0]); e != kOk) return e;
  if (ErrNo e = args.Text(t[1]); e != kOk) return e;
  args.Next();
  // A file that is missing reads as empty, one that is not allowed fails.
  HeldName file(f, t[0], O_RDONLY, HeldName::Base::kConfigDirectory);
  if (file.denied()) return kErrIllegalCall;
  const wchar_t* name = file ? file.name() : L"";  // only inside a sandbox
  uint8_t* keys = nullptr;
  if (host::PeekWholeArray(f, &keys)) return ProfileList(args, name, t[1], keys);
  // The separator is gone already: read the key in place.
  if (ErrNo e = WideTextArgument(f, t[2], kShortTextSize); e != kOk) return e;
  if (ErrNo e = args.Text(t[3]); e != kOk) return e;
  wchar_t buffer[kShortTextSize];
  buffer[0] = L'\0';
  (void)GetProfileData(name, t[1], t[2], t[3], buffer, static_cast<int32_t>(kShortTextSize));
  buffer[kShortTextSize - 1] = L'\0';
  AnyType value;
  if (value.SetData(buffer) != 0) return kErrOutOfMemory;
  args.Next();
  return host::StoreHostResult(f, value);
}

// DeleteProfileData file, section, key: a number is the entry's position, a
// text its key.
ErrNo StmtDeleteProfileData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  wchar_t file[kShortTextSize], section[kShortTextSize];
  if (ErrNo e = args.Text(file); e != kOk) return e;
  if (ErrNo e = args.Text(section); e != kOk) return e;
  Value key;
  if (ErrNo e = args.Any(key); e != kOk) return e;
  host::Selector selector;
  if (ErrNo e = host::ToSelector(key, &selector); e != kOk) return e;
  HeldName held(f, file, O_RDWR, HeldName::Base::kConfigDirectory);
  if (!held) return kErrIllegalCall;
  return host::Status(selector.byName ? DeleteProfileData(held.name(), section, selector.name)
                                      : DeleteProfileData(held.name(), section, selector.number));
}

// ---- controller data files ----

ErrNo StmtSaveSystemData(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::SaveSystemData, O_WRONLY | O_CREAT);
}
ErrNo StmtLoadSystemData(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::LoadSystemData, O_RDONLY);
}
ErrNo StmtSaveSceneGroup(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::SaveSceneGroup, O_WRONLY | O_CREAT);
}
ErrNo StmtLoadSceneGroup(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::LoadSceneGroup, O_RDONLY);
}
ErrNo StmtSaveScene(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::SaveScene, O_WRONLY | O_CREAT);
}
ErrNo StmtLoadScene(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::LoadScene, O_RDONLY);
}
ErrNo StmtSaveUnitData(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::SaveUnitData, O_WRONLY | O_CREAT);
}
ErrNo StmtLoadUnitData(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::LoadUnitData, O_RDONLY);
}
ErrNo StmtSaveBackupData(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::SaveBackupData, O_WRONLY | O_CREAT);
}
ErrNo StmtLoadBackupData(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::LoadBackupData, O_RDONLY);
}
ErrNo StmtSaveData(ExecFrame& f) noexcept { return Command(f, &CoreServices::SaveData); }

// ---- controller events ----

ErrNo StmtExitQorProcess(ExecFrame& f) noexcept { return Command(f, &CoreServices::ExitQorProcess); }
ErrNo StmtSystemReset(ExecFrame& f) noexcept { return Command(f, &CoreServices::SystemReset); }
ErrNo StmtRaiseOptionEvent(ExecFrame& f) noexcept { return Command(f, &CoreServices::RaiseOptionEvent); }
ErrNo StmtExecuteErrorProc(ExecFrame& f) noexcept { return Command(f, &CoreServices::ExecuteErrorProc); }

// RaiseErrorProcEvent a, b [, c]: c is 1 when left out.
ErrNo StmtRaiseErrorProcEvent(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t v[3] = {0, 0, 1};
  if (ErrNo e = args.Integer(&v[0]); e != kOk) return e;
  if (ErrNo e = args.Integer(&v[1]); e != kOk) return e;
  if (args.MoreFollows()) {
    if (ErrNo e = args.Integer(&v[2]); e != kOk) return e;
  }
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  return host::Status(core->RaiseErrorProcEvent(v[0], v[1], v[2]));
}

}  // namespace msc
