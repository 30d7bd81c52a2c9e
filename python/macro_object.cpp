#include "macro_object.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "macro_sc/simulator.h"

namespace msc::python {
namespace {

// A file of the temporary directory, removed when the holder goes.
class TempFile {
 public:
  explicit TempFile(const char* suffix) {
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/macro_sc_XXXXXX" + suffix;
    const int fd = ::mkstemps(path_.data(), static_cast<int>(std::char_traits<char>::length(suffix)));
    if (fd < 0) throw std::runtime_error("cannot create a temporary file");
    ::close(fd);
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const noexcept { return path_; }

 private:
  std::string path_;
};

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

long TraceSize() {
  std::ifstream in(TracePath(), std::ios::binary | std::ios::ate);
  return in ? static_cast<long>(in.tellg()) : 0;
}

void FromAny(const AnyType& any, Value& out) {
  switch (any.GetType()) {
    case AnyType::kInteger:
      out.kind = Value::kInteger;
      out.integer = any.GetIntValue();
      break;
    case AnyType::kReal:
      out.kind = Value::kReal;
      out.real = any.GetDoubleValue();
      break;
    case AnyType::kText:
      out.kind = Value::kText;
      out.text = any.GetString();
      break;
    case AnyType::kBytes: {
      int32_t length = 0;
      const void* data = any.GetVariantData(&length);
      out.kind = Value::kBytes;
      out.bytes.assign(static_cast<const char*>(data), data != nullptr ? static_cast<size_t>(length) : 0);
      break;
    }
    case AnyType::kList: {
      out.kind = Value::kList;
      auto& list = const_cast<AnyType&>(any);
      for (int32_t i = 0; i < any.GetCount(); ++i) {
        Value entry;
        if (const AnyType* e = list.GetDataPointer(i, 0)) FromAny(*e, entry);
        out.list.push_back(std::move(entry));
      }
      break;
    }
    default:
      out.kind = Value::kNone;
  }
}

int32_t ToAny(const Value& value, AnyType& any) noexcept {
  switch (value.kind) {
    case Value::kInteger: return any.SetData(value.integer);
    case Value::kReal: return any.SetData(value.real);
    case Value::kText: return any.SetData(value.text.c_str());
    case Value::kBytes: return any.SetData(value.bytes.data(), static_cast<int32_t>(value.bytes.size()));
    default: return -1;
  }
}

}  // namespace

const std::string& TracePath() {
  // Started once: the trace is the process's, as the controller is.
  static const std::string path = [] {
    static TempFile file(".jsonl");
    std::string message;
    if (!sim::StartHostTrace(file.path(), &message)) throw std::runtime_error(message);
    return file.path();
  }();
  return path;
}

MacroObject::MacroObject(const std::optional<std::string>& scenario,
                         const std::optional<std::string>& scenarioText, const std::optional<std::string>& config) {
  if (scenario && scenarioText) throw std::invalid_argument("give a scenario file or a scenario text, not both");
  if (config) sim::SetConfigDirectory(*config);
  std::string message;
  if (scenario) {
    if (sim::LoadScenario(*scenario, &message) != sim::ScenarioResult::kLoaded) throw std::runtime_error(message);
  } else if (scenarioText) {
    if (!sim::LoadScenarioText(*scenarioText, "<scenario text>", &message)) throw std::runtime_error(message);
  } else {
    sim::ResetController();
  }
  traceStart_ = TraceSize();
  macro_ = _CreateQorMacro(sim::Host());
  if (macro_ == nullptr) throw std::runtime_error("the macro object could not be created");
  (void)_SetOutputHookQorMacro(macro_, Collect, this);
}

MacroObject::~MacroObject() { Close(); }

void MacroObject::Close() noexcept {
  _DeleteQorMacro(macro_);
  macro_ = nullptr;
}

void MacroObject::Collect(void* context, const char* text, int32_t isReport) {
  auto& self = *static_cast<MacroObject*>(context);
  try {
    std::lock_guard<std::mutex> hold(self.outputMutex_);
    (isReport != 0 ? self.reported_ : self.printed_).append(text);
  } catch (...) {
    // The hook must not throw; the text is lost as on a missing console.
  }
}

int32_t MacroObject::LoadFile(const std::wstring& path) noexcept { return _LoadProgramF(macro_, path.c_str()); }

int32_t MacroObject::LoadText(const std::string& utf8) noexcept {
  try {
    TempFile file(".mcr");
    {
      std::ofstream out(file.path(), std::ios::binary);
      out << utf8;
      if (!out.flush()) return 5;
    }
    return _LoadProgramF(macro_, Widen(file.path()).c_str());
  } catch (...) {
    return 7;
  }
}

int32_t MacroObject::Gosub(const std::wstring& label) noexcept { return _Gosub(macro_, label.c_str()); }
int32_t MacroObject::Execute(const std::wstring& line) noexcept { return _DirectExecute(macro_, line.c_str()); }
bool MacroObject::HasLabel(const std::wstring& label) noexcept { return _IsExistLabel(macro_, label.c_str()) == 1; }

int32_t MacroObject::Get(const std::wstring& name, Value& out) noexcept {
  AnyType any;
  const int32_t result = _GetVariable(macro_, name.c_str(), &any);
  if (result != 0) return result;
  try {
    FromAny(any, out);
  } catch (...) {
    return 7;
  }
  return 0;
}

int32_t MacroObject::Set(const std::wstring& name, const Value& value) noexcept {
  AnyType any;
  if (ToAny(value, any) != 0) return 7;
  return _SetVariable(macro_, name.c_str(), &any);
}

int32_t MacroObject::SaveStored(std::string& image) noexcept {
  const int32_t size = _GetStoredVariableSize(macro_);
  if (size <= 0) {
    image.clear();
    return size;
  }
  try {
    // The image is written as 32-bit words.
    std::vector<uint32_t> words((static_cast<size_t>(size) + 3) / 4);
    const int32_t result = _SaveStoredVariableM(macro_, words.data());
    if (result != 0) return result;
    image.assign(reinterpret_cast<const char*>(words.data()), static_cast<size_t>(size));
  } catch (...) {
    return 7;
  }
  return 0;
}

int32_t MacroObject::LoadStored(const std::string& image) noexcept {
  try {
    std::vector<uint32_t> words(image.size() / 4 + 1);
    std::char_traits<char>::copy(reinterpret_cast<char*>(words.data()), image.data(), image.size());
    return _LoadStoredVariableM(macro_, words.data());
  } catch (...) {
    return 7;
  }
}

void MacroObject::Interrupt() noexcept { (void)_InterruptQorMacro(macro_); }

bool MacroObject::SetPermissions(bool sandbox, const std::vector<std::string>& read,
                                 const std::vector<std::string>& write, bool run, bool ffi,
                                 uint64_t maxMemoryBytes) noexcept {
  try {
    const auto terminated = [](const std::vector<std::string>& folders) {
      std::vector<const char*> list;
      for (const std::string& folder : folders) list.push_back(folder.c_str());
      list.push_back(nullptr);
      return list;
    };
    const std::vector<const char*> readList = terminated(read), writeList = terminated(write);
    uint32_t flags = 0;
    if (sandbox) flags |= MSC_SANDBOX;
    if (run) flags |= MSC_ALLOW_RUN;
    if (ffi) flags |= MSC_ALLOW_FFI;
    const MscPermissions permissions{flags, readList.data(), writeList.data(), maxMemoryBytes};
    return _SetPermissionsQorMacro(macro_, &permissions) == 0;
  } catch (...) {
    return false;
  }
}

Failure MacroObject::LastFailure() noexcept {
  MscLastError e{};
  (void)_GetLastErrorQorMacro(macro_, &e);
  return Failure{e.number, e.message, e.line, e.fileLine};
}

std::string MacroObject::Output(bool reports) {
  std::lock_guard<std::mutex> hold(outputMutex_);
  return reports ? reported_ : printed_;
}

void MacroObject::ClearOutput() {
  std::lock_guard<std::mutex> hold(outputMutex_);
  printed_.clear();
  reported_.clear();
}

std::vector<std::string> MacroObject::HostCallLines() {
  std::vector<std::string> lines;
  std::ifstream in(TracePath(), std::ios::binary);
  in.seekg(traceStart_);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

void MacroObject::ClearHostCalls() { traceStart_ = TraceSize(); }

}  // namespace msc::python
