#include "variables/registered.h"

#include <cstdio>

#include "api/config.h"
#include "api/qor_macro.h"
#include "engine/run.h"
#include "platform/codepage.h"

namespace msc {
namespace {

constexpr size_t kStatementSize = 1024;

// Runs "<verb> <name>" as a direct statement.
ErrNo Declare(QorMacro& m, const char* verb, const std::wstring& name) noexcept {
  char statement[kStatementSize];
  const int head = std::snprintf(statement, sizeof statement, "%s ", verb);
  if (head <= 0) return kErrInternal;
  const int room = static_cast<int>(sizeof statement) - head;
  const int n = platform::WideToMulti(CodePage(), name.c_str(), static_cast<int>(name.size()),
                                      statement + head, room - 1);
  if (n <= 0) return kErrIllegalCall;
  statement[head + n] = '\0';
  return DirectExecute(m, statement);
}

}  // namespace

const std::vector<RegisteredVariable>* RegisteredVariables(const QorMacro&) noexcept {
  // No object keeps a list until the host variable access registers one.
  return nullptr;
}

void RecreateRegisteredVariables(QorMacro& m) noexcept {
  const std::vector<RegisteredVariable>* list = RegisteredVariables(m);
  if (list == nullptr) return;
  for (const RegisteredVariable& entry : *list) {
    if (Declare(m, "Dim", entry.name) == kErrDuplicatedVariable)
      (void)Declare(m, "ReDim", entry.name);
  }
}

}  // namespace msc
