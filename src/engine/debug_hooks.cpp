// Views of runs, program and variables for a debugger, and its driver.
#include "engine/debug_hooks.h"
#include "engine/run.h"

#include <cstring>

#include "api/program_load.h"
#include "api/qor_macro.h"
#include "engine/errors.h"
#include "engine/frame.h"
#include "engine/stack_entries.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/keywords.h"
#include "platform/console.h"
#include "platform/lock.h"

namespace msc::debug {
namespace {

constexpr char kInitLabel[] = "*MCRINIT";

const uint8_t* SkipSpacing(const uint8_t* p) noexcept {
  while (*p >= 0x01 && *p <= code::MaxSpaceRun) ++p;
  return p;
}

// The label a line begins with, or null.
const char* LabelOfRecord(const uint8_t* record) noexcept {
  const uint8_t* p = SkipSpacing(RecordCode(record));
  return *p == code::LabelDef ? reinterpret_cast<const char*>(p + 1) : nullptr;
}

bool InProgram(const QorMacro& m, const uint8_t* record) noexcept {
  return m.program.data != nullptr && record >= m.program.data && record < m.program.data + m.program.used;
}

// A line where a run can stop: some statement, not only a comment or a label.
bool HasStatement(const uint8_t* record) noexcept {
  const uint8_t* p = SkipSpacing(RecordCode(record));
  if (*p == code::LabelDef) {
    p += 1 + std::strlen(reinterpret_cast<const char*>(p + 1)) + 1;
    for (p = SkipSpacing(p); *p == ':'; p = SkipSpacing(p + 1)) {}
  }
  if (*p == code::EndOfLine) return false;
  if (*p >= code::KeywordFirst && *p <= code::KeywordLast) {
    const uint16_t c = static_cast<uint16_t>(p[0] << 8 | p[1]);
    if (c == tok::Rem || c == tok::Apostrophe) return false;
  }
  return true;
}

template <class Fn>
void ForEachRecord(QorMacro& m, Fn&& fn) {
  if (m.program.Empty()) return;
  for (const uint8_t* r = m.program.data; RecordLength(r) != 0; r += RecordLength(r))
    if (!fn(r)) return;
}

}  // namespace

void InstallDriver(QorMacro& m, Driver* driver) noexcept {
  m.debugDriver.store(driver, std::memory_order_release);
  UpdateWatched(m);
}

uint32_t LineOf(const ExecFrame& f) noexcept {
  return f.line != nullptr && RecordLength(f.line) >= kRecordOverhead ? RecordLineNumber(f.line) : 0;
}

std::vector<uint32_t> CallLines(const ExecFrame& f) {
  std::vector<uint32_t> lines{LineOf(f)};
  // Entries lie from the top up to the end of the stack area, innermost first.
  for (const uint8_t* p = f.top; p + 4 <= f.stack + kControlStackSize;) {
    const uint16_t tag = LoadU16(p), length = LoadU16(p + 2);
    if (tag == tok::Gosub && length == entry::kGosubSize) {
      uint8_t* line;
      std::memcpy(&line, p + 4 + entry::kGosubLine, sizeof line);
      // The call that started a label run returns to a record of its own.
      if (InProgram(*f.macro, line)) lines.push_back(RecordLineNumber(line));
    }
    p += 4 + length;
  }
  return lines;
}

size_t CallDepth(const ExecFrame& f) noexcept {
  size_t depth = 0;
  for (const uint8_t* p = f.top; p + 4 <= f.stack + kControlStackSize; p += 4 + LoadU16(p + 2))
    if (LoadU16(p) == tok::Gosub) ++depth;
  return depth;
}

std::string RoutineOf(QorMacro& m, uint32_t line) {
  platform::LockGuard hold(m.lock);
  std::string label;
  ForEachRecord(m, [&](const uint8_t* r) {
    if (RecordLineNumber(r) > line) return false;
    if (const char* l = LabelOfRecord(r)) label = l;
    return true;
  });
  return label;
}

std::string FirstLabel(QorMacro& m) {
  platform::LockGuard hold(m.lock);
  std::string first, init;
  ForEachRecord(m, [&](const uint8_t* r) {
    const char* l = LabelOfRecord(r);
    if (l == nullptr) return true;
    if (std::strcmp(l, kInitLabel) == 0) {
      init = l;
      return true;
    }
    first = l;
    return false;
  });
  return first.empty() ? init : first;
}

uint32_t CodeLineFrom(QorMacro& m, uint32_t number) noexcept {
  platform::LockGuard hold(m.lock);
  uint32_t found = 0;
  ForEachRecord(m, [&](const uint8_t* r) {
    if (RecordLineNumber(r) < number || !HasStatement(r)) return true;
    found = RecordLineNumber(r);
    return false;
  });
  return found;
}

std::vector<VariableInfo> Variables(QorMacro& m) {
  platform::LockGuard hold(m.lock);
  std::vector<VariableInfo> out;
  m.variables.ForEachCell([&](uint8_t* cell) {
    VariableInfo v{std::string(CellName(cell), CellNameLength(cell)), cell[0], {}};
    if (IsArrayCellTag(cell[0])) {
      if (const uint8_t* block = ArrayBlock(cell); block != nullptr) {
        uint32_t dims;
        std::memcpy(&dims, block, 4);
        v.extents.resize(dims);
        if (dims != 0) std::memcpy(v.extents.data(), block + 4, 4 * size_t{dims});
      }
    }
    out.push_back(std::move(v));
    return true;
  });
  return out;
}

const char* ErrorText(ErrNo number) noexcept { return ErrorMessage(number); }

ErrNo LoadWithoutInit(QorMacro& m, const wchar_t* path) noexcept {
  platform::ConsoleRoute route(m.console);
  return LoadProgramFileWithoutInit(m, path);
}

void RunInit(QorMacro& m) noexcept {
  platform::ConsoleRoute route(m.console);
  RunInitRoutine(m);
}

}  // namespace msc::debug
