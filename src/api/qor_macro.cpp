// The macro object: construction, destruction and "New".
#include "api/qor_macro.h"

#include <cstdlib>

#include "engine/memory_budget.h"
#include "api/config.h"
#include "engine/active_frames.h"

namespace msc {

void ProgramArea::Reset() noexcept {
  ++generation;
  memory::Free(data);
  // A zeroed area starts with the 16-bit zero that ends the line records.
  data = static_cast<uint8_t*>(memory::AllocateZeroed(kProgramGrowth, 1));
  capacity = data != nullptr ? kProgramGrowth : 0;
  used = data != nullptr ? 2 : 0;
}

void CloseAllFiles(QorMacro& m) noexcept {
  for (std::FILE*& f : m.files) {
    if (f != nullptr) std::fclose(f);
    f = nullptr;
  }
}

void ClearVariables(QorMacro& m, bool keepNames) noexcept {
  for (int i = 0; i < kSavedVariableSlots; ++i) {
    memory::Free(m.savedVariables[i]);
    m.savedVariables[i] = nullptr;
  }
  m.savedDepth = 0;
  m.variables.ClearValues(keepNames);
}

void ClearProgram(QorMacro& m) noexcept {
  const ProgramEdit edit{reinterpret_cast<uintptr_t>(m.program.data),
                         m.program.used > 0 ? static_cast<uint32_t>(m.program.used) : 0, 0, 0, 0, true};
  m.program.Reset();
  RelocateFrames(m, edit);
  ClearVariables(m, false);
  CloseAllFiles(m);
  m.lastErrorLine = 0;
  m.lastErrorNumber = 0;
  m.lastErrorText = nullptr;
  m.trappedErrorNumber = 0;
  m.trappedErrorStatement = 0;
  m.explicitFlag = 0;
  m.executableFlag = MachineExecutableDefault();
  m.userSubroutines.reset();
}

}  // namespace msc

QorMacro::QorMacro(HostInterface* hostInterface, CoreServices* coreServices) noexcept
    : core(coreServices), host(hostInterface) {
  msc::ClearProgram(*this);
}

QorMacro::~QorMacro() {
  msc::ClearProgram(*this);
  // Text data stays open across "New" but not beyond the object.
  for (void*& handle : textData) {
    if (handle != nullptr) CloseTextData(handle);
    handle = nullptr;
  }
}

int32_t QorMacro::SetReference(const wchar_t*, AnyType*) { return msc::kErrIllegalCall; }

int32_t QorMacro::GetReference(const wchar_t*, AnyType*) { return msc::kErrIllegalCall; }

_QorMacro::_QorMacro(HostInterface* hostInterface, CoreServices* coreServices) noexcept
    : QorMacro(hostInterface, coreServices) {}

_QorMacro::~_QorMacro() { msc::ClearReferences(*this); }

int32_t _QorMacro::SetReference(const wchar_t* name, AnyType* value) {
  return msc::SetReferenceValue(*this, name, value);
}

int32_t _QorMacro::GetReference(const wchar_t* name, AnyType* value) {
  return msc::GetReferenceValue(*this, name, value);
}
