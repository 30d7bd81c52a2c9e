// The one controller of the process and its lock, the model's callback
// objects, what their calls share, and the calls that concern the
// controller as a whole.
#include <mutex>
#include <string>
#include <utility>

#include "macro_sc/host.h"
#include "model.h"
#include "model_objects.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {

// Never destroyed: macro objects may still call the controller during
// process exit.
Controller& TheController() {
  static auto* controller = new Controller(DefaultController());
  return *controller;
}

std::mutex& ControllerMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

void ReplaceController(Controller&& fresh) {
  std::lock_guard<std::mutex> guard(ControllerMutex());
  TheController() = std::move(fresh);
}

HostInterface* ModelHost() {
  static auto* host = new model::SimHost;
  return host;
}

CoreServices* ModelCore() {
  static auto* core = new model::SimCore;
  return core;
}

}  // namespace msc::sim

namespace msc::sim::model {

int32_t TextResult(const std::wstring& text, wchar_t* buffer, int32_t* capacity) {
  if (buffer == nullptr || capacity == nullptr || *capacity <= 0) return kFailed;
  CopyToBuffer(text, buffer, *capacity);
  return 0;
}

int32_t TextResult(const std::wstring& text, wchar_t* buffer) {
  int32_t capacity = kHostTextCapacity;
  return TextResult(text, buffer, &capacity);
}

int32_t Store(DataItems& data, const wchar_t* name, const AnyType* value) {
  if (name == nullptr || value == nullptr) return kFailed;
  data[name] = *value;
  return 0;
}

int32_t Fetch(const DataItems& data, const wchar_t* name, AnyType* value) {
  if (name == nullptr || value == nullptr) return kFailed;
  const auto it = data.find(name);
  if (it == data.end()) return kFailed;
  *value = it->second;
  return 0;
}

int32_t SimCore::ExitQorProcess() { return 0; }

int32_t SimCore::SystemReset() { return 0; }

int32_t SimCore::RaiseOptionEvent(int32_t, int32_t) { return 0; }

int32_t SimCore::GetApplicationPath(int32_t kind, wchar_t* buffer) {
  if (kind < 0 || kind > 3) return kFailed;
  return TextResult(GetCoreRAPath(), buffer);
}

int32_t SimCore::RaiseErrorProcEvent(int32_t, int32_t, int32_t) { return 0; }

int32_t SimCore::ExecuteErrorProc(int32_t, int32_t) { return 0; }

int32_t SimCore::GetApplicationVersion(int32_t, wchar_t* buffer, int32_t capacity) {
  Lock guard(ControllerMutex());
  return TextResult(TheController().version, buffer, &capacity);
}

}  // namespace msc::sim::model

namespace msc::sim {

int32_t ModelSetCurrentLine(int32_t line) {
  model::Lock guard(ControllerMutex());
  Controller& c = TheController();
  if (line < 0 || line >= c.lines) return model::kFailed;
  c.line = line;
  return 0;
}

int32_t ModelLanguageString(const wchar_t* key, wchar_t* buffer, int32_t* capacity) {
  if (key == nullptr || buffer == nullptr || capacity == nullptr || *capacity <= 0)
    return model::kFailed;
  model::Lock guard(ControllerMutex());
  const auto& strings = TheController().strings;
  const auto it = strings.find(key);
  *capacity = CopyToBuffer(it != strings.end() ? it->second : key, buffer, *capacity);
  return 0;
}

}  // namespace msc::sim
