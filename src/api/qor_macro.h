// The macro object: the whole state of one macro context.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "api/last_error.h"
#include "engine/active_frames.h"
#include "engine/errors.h"
#include "engine/interrupt.h"
#include "engine/memory_budget.h"
#include "engine/site_cache.h"
#include "engine/variables.h"
#include "macro_sc/host.h"
#include "platform/lock.h"
#include "platform/sandbox.h"
#include "engine/quick_table.h"
#include "variables/reference.h"
#include "variables/registered.h"

namespace msc {

inline constexpr int kFileSlots = 16;
inline constexpr int kTextDataSlots = 16;
inline constexpr int kSavedVariableSlots = 16;
inline constexpr uint32_t kProgramGrowth = 4096;

// Where the labels of the program were found: offsets of their first line
// (-1: no line has it). Every edit of the program bumps the area's
// generation, which empties the cache on the next lookup, so a lookup still
// finds the first matching line. Runs on several threads share it; lookups
// and edits alike hold the object lock.
struct LabelCache {
  // Found by the label text as it stands in the code, with no key copied.
  // Labels are short, so a byte-wise FNV-1a hash is cheaper than the
  // library's.
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept {
      uint64_t h = 14695981039346656037ull;
      for (const char c : s) h = (h ^ static_cast<uint8_t>(c)) * 1099511628211ull;
      return static_cast<size_t>(h);
    }
  };
  uint64_t generation = 0;
  std::unordered_map<std::string, int32_t, Hash, std::equal_to<>> offsets;
};

// The compiled program: sorted line records ended by a 16-bit zero. Grows in
// steps of 4096 bytes; "New" replaces it with a fresh 4096-byte area.
struct ProgramArea {
  uint8_t* data = nullptr;
  uint32_t capacity = 0;
  int32_t used = 0;
  // Bumped by every edit, which holds the object lock; runs read it between
  // statements without the lock (they look up their caches by it).
  std::atomic<uint64_t> generation{0};
  // The last line record, as StoreLine left it; any other edit bumps the
  // generation past lastLineGeneration, which makes it unknown.
  uint32_t lastLineOffset = 0;
  uint64_t lastLineGeneration = UINT64_MAX;
  LabelCache labels;
  SiteCache sites;  // emptied by the first lookup after an edit, as the labels are
  QuickTable quick;  // decoded forms, dropped by the first lookup after an edit
  FrameCensus frames;  // execution frames of the object alive, by thread

  ProgramArea() = default;
  ProgramArea(const ProgramArea&) = delete;
  ProgramArea& operator=(const ProgramArea&) = delete;
  ~ProgramArea() { std::free(data); }

  // Frees the area and allocates a fresh one holding only the terminator
  // (capacity 0, used 0 and a null area when memory runs out).
  void Reset() noexcept;
  bool Empty() const noexcept { return data == nullptr || used < 3; }
};

}  // namespace msc

namespace msc::debug {
class Driver;
}

// Base class: both reference operations refuse with 5.
class QorMacro {
 public:
  QorMacro(HostInterface* host, CoreServices* core) noexcept;
  QorMacro(const QorMacro&) = delete;
  QorMacro& operator=(const QorMacro&) = delete;

  // Slot 0: write a reference variable.
  virtual int32_t SetReference(const wchar_t* name, AnyType* value);
  // Slot 1: read a reference variable; a null name gives the list of names.
  virtual int32_t GetReference(const wchar_t* name, AnyType* value);
  // Declared after the two operations so that they keep slots 0 and 1.
  virtual ~QorMacro();

  msc::ProgramArea program;
  msc::VariableArea variables;
  // Written by a Debug statement of any run, a host's included, while
  // other runs read it.
  std::atomic<uint32_t> reportMode{1};
  char stopPattern[256] = {};
  uint32_t lastErrorLine = 0;
  uint32_t lastErrorNumber = 0;
  const char* lastErrorText = nullptr;
  uint32_t trappedErrorNumber = 0;
  uint32_t trappedErrorStatement = 0;
  std::FILE* files[msc::kFileSlots] = {};
  void* textData[msc::kTextDataSlots] = {};
  uint8_t* savedVariables[msc::kSavedVariableSlots] = {};
  int32_t savedDepth = 0;
  uint32_t explicitFlag = 0;
  uint32_t executableFlag = 1;
  CoreServices* core = nullptr;
  HostInterface* host = nullptr;
  HostWriteStream* procedureStream = nullptr;
  msc::platform::RecursiveLock lock;
  msc::RunRegistry runs;  // runs under way, for the interrupt
  // A debugger that takes the debug console's place (engine/debug_hooks.h).
  std::atomic<msc::debug::Driver*> debugDriver{nullptr};
  // Nonzero while every line run must be shown or watched: trace mode or a
  // debugger. Kept by UpdateWatched, so that a run of decoded forms, which
  // shows no line, asks one word at every line it follows into.
  std::atomic<uint32_t> watched{0};
  msc::platform::ConsoleSink console{lock};  // the host's output hook, if any
  msc::LastErrorRecord lastError;            // of the exports that failed
  // What its programs hold, against the host's limit; counted by the runs.
  msc::MemoryBudget memory;
  // What its programs may reach; null: whatever the user may. Set by the
  // host between runs, read under the lock.
  std::shared_ptr<const msc::platform::Sandbox> sandbox;
  // Subroutines registered by SetUserSubroutine, by name (case-sensitive).
  std::unique_ptr<std::map<std::wstring, void*>> userSubroutines;
  // The host's registered variables; absent while none is registered.
  std::unique_ptr<msc::RegisteredList> registered;
};

class _QorMacro : public QorMacro {
 public:
  _QorMacro(HostInterface* host, CoreServices* core) noexcept;
  ~_QorMacro() override;
  int32_t SetReference(const wchar_t* name, AnyType* value) override;
  int32_t GetReference(const wchar_t* name, AnyType* value) override;

  // Created by the first binding.
  std::unique_ptr<msc::ReferenceTable> referenceMap;
  msc::platform::RecursiveLock referenceLock;
};

namespace msc {

// "New": clears the program, the variables, the files and the error state.
void ClearProgram(QorMacro& m) noexcept;

// Clears every variable; the saved variable stack is popped first.
void ClearVariables(QorMacro& m, bool keepNames) noexcept;

// Closes every open file slot.
void CloseAllFiles(QorMacro& m) noexcept;

}  // namespace msc
