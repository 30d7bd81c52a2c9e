// One macro object on the simulated controller, as the Python module holds
// it: the exports of macro_sc.h in C++ types, with its console output kept.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "macro_sc/macro_sc.h"

namespace msc::python {

// What an export that failed left as the object's last error.
struct Failure {
  int32_t number;
  std::string message;
  uint32_t line;
  uint32_t fileLine;
};

// A value as it crosses to Python: exactly one of the members is set by kind.
struct Value {
  enum Kind { kNone, kInteger, kReal, kText, kBytes, kList } kind = kNone;
  int32_t integer = 0;
  double real = 0;
  std::wstring text;
  std::string bytes;
  std::vector<Value> list;
};

class MacroObject {
 public:
  // The simulated controller is one per process: it is set up anew from the
  // scenario file, the scenario text or, with neither, as it starts.
  // Throws std::runtime_error (the scenario's message) or
  // std::invalid_argument; opened is false when the file cannot be opened.
  MacroObject(const std::optional<std::string>& scenario, const std::optional<std::string>& scenarioText,
              const std::optional<std::string>& config);
  ~MacroObject();
  MacroObject(const MacroObject&) = delete;
  MacroObject& operator=(const MacroObject&) = delete;

  // Each returns the export's result; the caller turns a failure into an exception.
  int32_t LoadFile(const std::wstring& path) noexcept;
  int32_t LoadText(const std::string& utf8) noexcept;
  int32_t Gosub(const std::wstring& label) noexcept;
  int32_t Execute(const std::wstring& line) noexcept;
  bool HasLabel(const std::wstring& label) noexcept;
  int32_t Get(const std::wstring& name, Value& out) noexcept;
  int32_t Set(const std::wstring& name, const Value& value) noexcept;
  int32_t SaveStored(std::string& image) noexcept;
  int32_t LoadStored(const std::string& image) noexcept;
  void Interrupt() noexcept;
  // What the object's programs may reach and hold (_SetPermissionsQorMacro);
  // false when a folder cannot be opened.
  bool SetPermissions(bool sandbox, const std::vector<std::string>& read, const std::vector<std::string>& write,
                      bool run, bool ffi, uint64_t maxMemoryBytes) noexcept;
  void Close() noexcept;
  bool Closed() const noexcept { return macro_ == nullptr; }

  Failure LastFailure() noexcept;
  // What the object printed (reports false) or reported, in the console's
  // code page, since creation or the last ClearOutput.
  std::string Output(bool reports);
  void ClearOutput();
  // The lines of the host-call trace written since creation or the last
  // ClearHostCalls (JSON, one call each).
  std::vector<std::string> HostCallLines();
  void ClearHostCalls();

 private:
  static void Collect(void* context, const char* text, int32_t isReport);

  QorMacro* macro_ = nullptr;
  std::mutex outputMutex_;
  std::string printed_;
  std::string reported_;
  long traceStart_ = 0;
};

// The file all host calls of the process are traced to (started on first use).
const std::string& TracePath();

}  // namespace msc::python
