// The front of the simulated controller: the callback objects the engine is
// given pass every call on to the controller model (controller.cpp), after
// the faults a scenario set have had their say, and write each call to the
// trace while one runs.
//
// A trace is JSON Lines, one object per call in the order the calls finished:
//
//   {"n":3,"object":"host","slot":21,"op":"GetUnitData","args":[1,"CR"],"status":0,"out":[95.2]}
//
// "n" counts from 1; "object" is "host" (the host interface), "core" (the
// core services object), "io" (a channel, named by "channel") or "lib" (a
// host library function, which has no slot); "args" are the input
// arguments; "status" is what the call returned (for a query, its answer);
// "out" is what it wrote into its output places when it succeeded; and
// "fault": true marks a call that a scenario's fault answered. Values are
// written as json_values.h says.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "front.h"
#include "json_values.h"
#include "macro_sc/host.h"
#include "sim_internal.h"
#include "simulator.h"

namespace msc::sim {
namespace {

enum To : int { kHost, kCore, kIo, kLib };
constexpr const char* kToNames[] = {"host", "core", "io", "lib"};

struct CallInfo {
  To to;
  int slot;
  std::string_view name;
};

// Every call the front passes on, by object and slot: the names the trace
// writes and faults match.
constexpr CallInfo kCalls[] = {
    {kHost, 7, "SetSceneData"},  // (name, value)
    {kHost, 8, "GetSceneData"},  // (name, value out)
    {kHost, 9, "CheckUnit"},  // (unit)
    {kHost, 10, "AssignUnit"},  // (unit, kind)
    {kHost, 11, "InsertUnit"},  // (unit, kind)
    {kHost, 12, "DeleteUnit"},  // (unit)
    {kHost, 13, "CopyUnitEx"},  // (first, second, third, fourth)
    {kHost, 14, "CopyUnit"},  // (first, second, third)
    {kHost, 15, "MoveUnit"},  // (from, to)
    {kHost, 17, "GetUnitCount"},  // ()
    {kHost, 18, "GetUnitNo"},  // (name)
    {kHost, 19, "SetUnitData"},  // (unit, item, value)
    {kHost, 20, "SetUnitDataByNo"},  // (unit, item, value)
    {kHost, 21, "GetUnitData"},  // (unit, item, value out)
    {kHost, 22, "GetUnitDataByNo"},  // (unit, item, value out)
    {kHost, 23, "SetUnitFigure"},  // (unit, figure, block)
    {kHost, 24, "GetUnitFigure"},  // (unit, figure, place out, buffer out)
    {kHost, 27, "GetImageFormat"},  // (first, second)
    {kHost, 28, "GetImageSize"},  // (first, second, width out, height out)
    {kHost, 29, "SetUnitTitle"},  // (unit, title)
    {kHost, 30, "GetUnitTitle"},  // (unit, buffer out, capacity out)
    {kHost, 31, "GetUnitItemIdent"},  // (unit, buffer out)
    {kHost, 32, "GetUnitInfo"},  // (unit, item)
    {kHost, 33, "GetUnitJudge"},  // (unit)
    {kHost, 34, "ClearMeasureData"},  // (unit)
    {kHost, 35, "ClearAllMeasureData"},  // (value)
    {kHost, 36, "SetImageWindow"},  // (window, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11)
    {kHost, 37, "GetImageWindow"},  // (window, a1 out, a2 out, a3 out, a4 out, a5 out, a6 out, a7 out, a8 out, a9 out, a10 out, a11 out)
    {kHost, 39, "SetTextWindow"},  // (a1, a2, a3, a4)
    {kHost, 40, "GetTextWindow"},  // (a1 out, a2 out, a3 out, a4 out)
    {kHost, 41, "SetDisplayUnitNo"},  // (unit)
    {kHost, 42, "GetDisplayUnitNo"},  // ()
    {kCore, 0, "SetSystemData"},  // (section, name, value)
    {kCore, 1, "GetSystemData"},  // (section, name, value out)
    {kCore, 2, "AddSystemData"},  // (section, name, value)
    {kCore, 3, "ChangeSceneGroup"},  // (first, second)
    {kCore, 4, "ClearSceneGroup"},  // (group)
    {kCore, 5, "CopySceneGroup"},  // (from, to)
    {kCore, 6, "SetSceneGroupTitle"},  // (group, title)
    {kCore, 7, "GetSceneGroupTitle"},  // (group, buffer out, capacity out)
    {kCore, 8, "GetSceneGroupCount"},  // ()
    {kCore, 9, "GetSceneGroupNo"},  // ()
    {kCore, 10, "ChangeScene"},  // (scene)
    {kCore, 11, "ClearScene"},  // (scene)
    {kCore, 12, "CopyScene"},  // (from, to)
    {kCore, 13, "SetSceneTitle"},  // (scene, title)
    {kCore, 14, "GetSceneTitle"},  // (scene, buffer out, capacity out)
    {kCore, 15, "SetSceneMaker"},  // (scene, maker)
    {kCore, 16, "GetSceneMaker"},  // (scene, buffer out, capacity out)
    {kCore, 17, "SetSceneDescription"},  // (scene, text)
    {kCore, 18, "GetSceneDescription"},  // (scene, buffer out, capacity out)
    {kCore, 19, "GetSceneCount"},  // ()
    {kCore, 20, "GetSceneNo"},  // ()
    {kCore, 21, "GetItemCount"},  // ()
    {kCore, 22, "GetItemInfo"},  // (item, kind)
    {kCore, 23, "GetItemTitle"},  // (item, buffer out)
    {kCore, 24, "GetItemIdent"},  // (item, buffer out)
    {kCore, 34, "MeasureProc"},  // (unit)
    {kCore, 44, "CopyUnitFigure"},  // (a1, a2, a3, a4, a5)
    {kCore, 45, "CopyUnitModel"},  // (a1, a2, a3, a4, a5)
    {kCore, 57, "MeasureStart"},  // ()
    {kCore, 59, "MeasureStop"},  // (value)
    {kCore, 61, "Measure"},  // (value)
    {kCore, 62, "RemeasureByName"},  // (name, value)
    {kCore, 63, "Remeasure"},  // (number, value)
    {kCore, 64, "TestMeasure"},  // (mode, number, name, a4, a5, a6)
    {kCore, 65, "ImageUpdate"},  // ()
    {kCore, 71, "SetMeasureOut"},  // (value)
    {kCore, 73, "GetMeasureOut"},  // ()
    {kCore, 94, "RefreshImageWindow"},  // (value)
    {kCore, 102, "RefreshTextWindow"},  // ()
    {kCore, 104, "SetJudgeWindow"},  // (window, a1, a2, a3)
    {kCore, 107, "RefreshJudgeWindow"},  // ()
    {kCore, 109, "SetTimeWindow"},  // (window, a1, a2, a3)
    {kCore, 112, "RefreshTimeWindow"},  // ()
    {kCore, 124, "SaveSystemData"},  // (file)
    {kCore, 126, "LoadSystemData"},  // (file)
    {kCore, 127, "SaveSceneGroup"},  // (group, file)
    {kCore, 130, "LoadSceneGroup"},  // (group, file)
    {kCore, 133, "SaveScene"},  // (scene, file)
    {kCore, 134, "LoadScene"},  // (scene, file)
    {kCore, 135, "SaveUnitData"},  // (a1, a2, a3, file)
    {kCore, 136, "LoadUnitData"},  // (a1, a2, a3, a4, file)
    {kCore, 137, "SaveBackupData"},  // (file)
    {kCore, 138, "LoadBackupData"},  // (file)
    {kCore, 139, "SaveData"},  // ()
    {kCore, 141, "GetIoModule"},  // (name)
    {kCore, 143, "RunOut"},  // (value)
    {kCore, 147, "ScreenCapture"},  // (file)
    {kCore, 149, "ExitQorProcess"},  // ()
    {kCore, 150, "SystemReset"},  // ()
    {kCore, 153, "RaiseOptionEvent"},  // (a1, a2)
    {kCore, 154, "SetGlobalData"},  // (name, value)
    {kCore, 155, "GetGlobalData"},  // (name, value out)
    {kCore, 156, "AddGlobalData"},  // (name, value)
    {kCore, 173, "SaveImage"},  // (image, file)
    {kCore, 177, "GetApplicationPath"},  // (kind, buffer out)
    {kCore, 178, "ErrorOut"},  // (value)
    {kCore, 187, "RaiseErrorProcEvent"},  // (a1, a2, a3)
    {kCore, 188, "ExecuteErrorProc"},  // (a1, a2)
    {kCore, 191, "GetApplicationVersion"},  // (kind, buffer out, capacity)
    {kIo, 3, "SendData"},  // (data, size, second)
    {kIo, 4, "ReceiveData"},  // (block out, capacity, received out, second)
    {kIo, 5, "PutAll"},  // (value)
    {kIo, 6, "GetAll"},  // ()
    {kIo, 7, "PutPort"},  // (port, value)
    {kIo, 8, "GetPort"},  // (port)
    {kIo, 9, "JudgeOut"},  // (value)
    {kIo, 10, "BusyOut"},  // (value)
    {kIo, 11, "RunOut"},  // (value)
    {kIo, 12, "ErrorOut"},  // (value)
    {kIo, 15, "SendString"},  // (text)
    {kIo, 16, "WritePlcMemory"},  // (area, address, count, block)
    {kIo, 17, "ReadPlcMemory"},  // (area, address, count, block out)
    {kIo, 18, "SetPlcData32"},  // (place out, value)
    {kIo, 19, "GetPlcData32"},  // (place)
    {kIo, 20, "SetPlcData16"},  // (place out, value)
    {kIo, 21, "GetPlcData16"},  // (place)
    {kIo, 22, "SetPlcDataReal"},  // (place out, value)
    {kIo, 23, "GetPlcDataReal"},  // (place)
    {kIo, 24, "SetPollingState"},  // (state)
    {kIo, 25, "GetPollingState"},  // ()
    {kLib, 0, "SetCurrentCoreRA"},   // (line)
    {kLib, 1, "ContinuousMeasure"},  // (on)
    {kLib, 2, "GetLanguageString"},  // (key, buffer out, capacity out, flags)
};

// Grouped by object in the order of To, each by slot.
constexpr bool InOrder() {
  for (size_t i = 1; i < std::size(kCalls); ++i) {
    const CallInfo& a = kCalls[i - 1];
    const CallInfo& b = kCalls[i];
    if (b.to < a.to || (b.to == a.to && b.slot <= a.slot)) return false;
  }
  return true;
}
static_assert(InOrder(), "kCalls is grouped by object and ordered by slot");

constexpr const CallInfo& FindCall(To to, int slot) {
  for (const CallInfo& c : kCalls)
    if (c.to == to && c.slot == slot) return c;
  throw "a call missing from kCalls";  // a compile-time error where used
}

// --- Arguments as JSON -----------------------------------------------------

Json J(int32_t v) { return v; }
Json J(double v) { return v; }
Json J(const wchar_t* text) { return TextToJson(text); }
Json J(const AnyType* value) { return value != nullptr ? ValueToJson(*value) : Json(); }
Json J(const Json& json) { return json; }
// A narrow text in the macro code page: a string when it is UTF-8, else its bytes.
Json J(const char* text) {
  if (text == nullptr) return nullptr;
  const std::string s = text;
  if (ToUtf8(FromUtf8(s)) == s) return s;
  return BytesToJson(s.data(), s.size());
}

template <class... T>
Json A(const T&... values) {
  Json array = Json::array();
  (array.push_back(J(values)), ...);
  return array;
}

// An output place: its value, null when there is no place.
template <class T>
Json P(const T* place) {
  return place != nullptr ? J(*place) : Json();
}

const auto kNoOut = [] { return Json(); };

// --- The trace -------------------------------------------------------------

struct TraceState {
  std::mutex mutex;
  std::FILE* file = nullptr;
  bool owned = false;  // opened here, closed here
  uint64_t sequence = 0;
};

TraceState& Trace() {
  static auto* t = new TraceState;
  return *t;
}

std::atomic<bool> g_tracing{false};

void Record(const CallInfo& info, const std::string* channel, Json args, Json result, Json out,
            bool fault) {
  TraceState& t = Trace();
  std::lock_guard<std::mutex> guard(t.mutex);
  if (t.file == nullptr) return;
  Json line = Json::object();
  line["n"] = ++t.sequence;
  line["object"] = kToNames[info.to];
  if (channel != nullptr) line["channel"] = *channel;
  if (info.to != kLib) line["slot"] = info.slot;
  line["op"] = std::string(info.name);
  line["args"] = std::move(args);
  line["status"] = std::move(result);
  if (!out.is_null()) line["out"] = std::move(out);
  if (fault) line["fault"] = true;
  const std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace);
  std::fputs(text.c_str(), t.file);
  std::fputc('\n', t.file);
  std::fflush(t.file);
}

// --- Faults ----------------------------------------------------------------

struct FaultState {
  std::mutex mutex;
  std::vector<Fault> faults;
};

FaultState& Faults() {
  static auto* f = new FaultState;
  return *f;
}

std::atomic<bool> g_faulted{false};

bool ArgsMatch(const Json& wanted, const Json& args) {
  if (wanted.size() > args.size()) return false;
  for (size_t i = 0; i < wanted.size(); ++i)
    if (wanted[i] != args[i]) return false;
  return true;
}

// Counts the call with every fault it matches; the status of the first
// that fires.
std::optional<int32_t> TakeFault(std::string_view name, const std::string* channel,
                                 const Json& args) {
  FaultState& f = Faults();
  std::lock_guard<std::mutex> guard(f.mutex);
  std::optional<int32_t> fired;
  for (Fault& fault : f.faults) {
    if (fault.call != name || !ArgsMatch(fault.args, args)) continue;
    if (!fault.channel.empty() && (channel == nullptr || *channel != fault.channel)) continue;
    ++fault.seen;
    const bool fires = (fault.at.empty() && fault.from == 0) ||
                       std::find(fault.at.begin(), fault.at.end(), fault.seen) != fault.at.end() ||
                       (fault.from != 0 && fault.seen >= fault.from);
    if (fires && !fired) fired = fault.status;
  }
  return fired;
}

// --- Serving one call ------------------------------------------------------

// Runs a call of the model: args and outs give the call's inputs and outputs
// as JSON, built only when a trace or a fault needs them. Nothing the model
// throws (it may run out of memory) passes the front: the call fails.
template <To kTo, int kSlot, class Args, class Call, class Outs>
auto Serve(const std::string* channel, Args&& args, Call&& call, Outs&& outs) -> decltype(call()) {
  using R = decltype(call());
  constexpr const CallInfo& info = FindCall(kTo, kSlot);
  const bool tracing = g_tracing.load(std::memory_order_acquire);
  const bool faulty = g_faulted.load(std::memory_order_acquire);
  Json in;
  if (tracing || faulty) in = args();
  const std::optional<int32_t> fault = faulty ? TakeFault(info.name, channel, in) : std::nullopt;
  R result{};
  if (fault) {
    result = static_cast<R>(*fault);
  } else {
    try {
      result = call();
    } catch (...) {
      if constexpr (std::is_same_v<R, int32_t>) result = 1;
    }
  }
  if (tracing) {
    Json out;
    if (!fault && (!std::is_same_v<R, int32_t> || result == 0)) out = outs();
    Record(info, channel, std::move(in), Json(result), std::move(out), fault.has_value());
  }
  return result;
}

template <To kTo, int kSlot, class Args, class Call>
auto Serve(const std::string* channel, Args&& args, Call&& call) -> decltype(call()) {
  return Serve<kTo, kSlot>(channel, std::forward<Args>(args), std::forward<Call>(call), kNoOut);
}

// --- The front objects -----------------------------------------------------

class FrontIo final : public IoModule {
 public:
  FrontIo(IoModule* model, std::string name) : m_(model), name_(std::move(name)) {}

  int32_t SendData(const void* data, int32_t size, const void* second) override {
    return Serve<kIo, 3>(&name_, [&] { return A(BytesToJson(data, size > 0 ? static_cast<size_t>(size) : 0), size, Present(second)); },
                         [&] { return m_->SendData(data, size, second); });
  }
  int32_t ReceiveData(void* block, int32_t capacity, int32_t* received, const void* second) override {
    return Serve<kIo, 4>(
        &name_, [&] { return A(capacity, Present(second)); },
        [&] { return m_->ReceiveData(block, capacity, received, second); },
        [&] {
          const int32_t n = received != nullptr ? std::clamp(*received, 0, std::max(capacity, 0)) : 0;
          return A(BytesToJson(block, static_cast<size_t>(n)), n);
        });
  }
  int32_t PutAll(int32_t value) override {
    return Serve<kIo, 5>(&name_, [&] { return A(value); }, [&] { return m_->PutAll(value); });
  }
  int32_t GetAll() override {
    return Serve<kIo, 6>(&name_, [&] { return A(); }, [&] { return m_->GetAll(); });
  }
  int32_t PutPort(int32_t port, int32_t value) override {
    return Serve<kIo, 7>(&name_, [&] { return A(port, value); }, [&] { return m_->PutPort(port, value); });
  }
  int32_t GetPort(int32_t port) override {
    return Serve<kIo, 8>(&name_, [&] { return A(port); }, [&] { return m_->GetPort(port); });
  }
  int32_t JudgeOut(int32_t value) override {
    return Serve<kIo, 9>(&name_, [&] { return A(value); }, [&] { return m_->JudgeOut(value); });
  }
  int32_t BusyOut(int32_t value) override {
    return Serve<kIo, 10>(&name_, [&] { return A(value); }, [&] { return m_->BusyOut(value); });
  }
  int32_t RunOut(int32_t value) override {
    return Serve<kIo, 11>(&name_, [&] { return A(value); }, [&] { return m_->RunOut(value); });
  }
  int32_t ErrorOut(int32_t value) override {
    return Serve<kIo, 12>(&name_, [&] { return A(value); }, [&] { return m_->ErrorOut(value); });
  }
  int32_t SendString(const char* text) override {
    return Serve<kIo, 15>(&name_, [&] { return A(text); }, [&] { return m_->SendString(text); });
  }
  int32_t WritePlcMemory(int32_t area, int32_t address, int32_t count, const void* block) override {
    return Serve<kIo, 16>(
        &name_, [&] { return A(area, address, count, BytesToJson(block, Words(count))); },
        [&] { return m_->WritePlcMemory(area, address, count, block); });
  }
  int32_t ReadPlcMemory(int32_t area, int32_t address, int32_t count, void* block) override {
    return Serve<kIo, 17>(
        &name_, [&] { return A(area, address, count); },
        [&] { return m_->ReadPlcMemory(area, address, count, block); },
        [&] { return A(BytesToJson(block, Words(count))); });
  }
  int32_t SetPlcData32(void* place, int32_t value) override {
    return Serve<kIo, 18>(&name_, [&] { return A(value); }, [&] { return m_->SetPlcData32(place, value); },
                          [&] { return A(BytesToJson(place, 4)); });
  }
  int32_t GetPlcData32(const void* place) override {
    return Serve<kIo, 19>(&name_, [&] { return A(BytesToJson(place, 4)); },
                          [&] { return m_->GetPlcData32(place); });
  }
  int32_t SetPlcData16(void* place, int32_t value) override {
    return Serve<kIo, 20>(&name_, [&] { return A(value); }, [&] { return m_->SetPlcData16(place, value); },
                          [&] { return A(BytesToJson(place, 2)); });
  }
  int16_t GetPlcData16(const void* place) override {
    return Serve<kIo, 21>(&name_, [&] { return A(BytesToJson(place, 2)); },
                          [&] { return m_->GetPlcData16(place); });
  }
  int32_t SetPlcDataReal(void* place, double value) override {
    return Serve<kIo, 22>(&name_, [&] { return A(value); }, [&] { return m_->SetPlcDataReal(place, value); },
                          [&] { return A(BytesToJson(place, 8)); });
  }
  double GetPlcDataReal(const void* place) override {
    return Serve<kIo, 23>(&name_, [&] { return A(BytesToJson(place, 8)); },
                          [&] { return m_->GetPlcDataReal(place); });
  }
  int32_t SetPollingState(int32_t state) override {
    return Serve<kIo, 24>(&name_, [&] { return A(state); }, [&] { return m_->SetPollingState(state); });
  }
  int32_t GetPollingState() override {
    return Serve<kIo, 25>(&name_, [&] { return A(); }, [&] { return m_->GetPollingState(); });
  }

 private:
  static Json Present(const void* block) { return block != nullptr ? Json("block") : Json(); }
  static size_t Words(int32_t count) { return count > 0 ? 2 * static_cast<size_t>(count) : 0; }

  IoModule* const m_;
  const std::string name_;
};

// The front of a channel of the model; fronts are never destroyed.
IoModule* ChannelFront(IoModule* model, const wchar_t* name) {
  static auto* fronts = new std::map<IoModule*, std::unique_ptr<FrontIo>>;
  static auto* mutex = new std::mutex;
  std::lock_guard<std::mutex> guard(*mutex);
  auto& front = (*fronts)[model];
  if (!front) front = std::make_unique<FrontIo>(model, ToUtf8(name));
  return front.get();
}

class FrontCore final : public CoreServices {
 public:
  explicit FrontCore(CoreServices* model) : m_(model) {}

  int32_t SetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 0>(nullptr, [&] { return A(section, name, value); },
                           [&] { return m_->SetSystemData(section, name, value); });
  }
  int32_t GetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 1>(nullptr, [&] { return A(section, name); },
                           [&] { return m_->GetSystemData(section, name, value); }, [&] { return A(value); });
  }
  int32_t AddSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 2>(nullptr, [&] { return A(section, name, value); },
                           [&] { return m_->AddSystemData(section, name, value); });
  }
  int32_t ChangeSceneGroup(int32_t group, int32_t scene) override {
    return Serve<kCore, 3>(nullptr, [&] { return A(group, scene); }, [&] { return m_->ChangeSceneGroup(group, scene); });
  }
  int32_t ClearSceneGroup(int32_t group) override {
    return Serve<kCore, 4>(nullptr, [&] { return A(group); }, [&] { return m_->ClearSceneGroup(group); });
  }
  int32_t CopySceneGroup(int32_t from, int32_t to) override {
    return Serve<kCore, 5>(nullptr, [&] { return A(from, to); }, [&] { return m_->CopySceneGroup(from, to); });
  }
  int32_t SetSceneGroupTitle(int32_t group, const wchar_t* title) override {
    return Serve<kCore, 6>(nullptr, [&] { return A(group, title); }, [&] { return m_->SetSceneGroupTitle(group, title); });
  }
  int32_t GetSceneGroupTitle(int32_t group, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kCore, 7>(nullptr, [&] { return A(group); },
                           [&] { return m_->GetSceneGroupTitle(group, buffer, capacity); }, [&] { return A(buffer); });
  }
  int32_t GetSceneGroupCount() override {
    return Serve<kCore, 8>(nullptr, [&] { return A(); }, [&] { return m_->GetSceneGroupCount(); });
  }
  int32_t GetSceneGroupNo() override {
    return Serve<kCore, 9>(nullptr, [&] { return A(); }, [&] { return m_->GetSceneGroupNo(); });
  }
  int32_t ChangeScene(int32_t scene) override {
    return Serve<kCore, 10>(nullptr, [&] { return A(scene); }, [&] { return m_->ChangeScene(scene); });
  }
  int32_t ClearScene(int32_t scene) override {
    return Serve<kCore, 11>(nullptr, [&] { return A(scene); }, [&] { return m_->ClearScene(scene); });
  }
  int32_t CopyScene(int32_t from, int32_t to) override {
    return Serve<kCore, 12>(nullptr, [&] { return A(from, to); }, [&] { return m_->CopyScene(from, to); });
  }
  int32_t SetSceneTitle(int32_t scene, const wchar_t* text) override {
    return Serve<kCore, 13>(nullptr, [&] { return A(scene, text); }, [&] { return m_->SetSceneTitle(scene, text); });
  }
  int32_t GetSceneTitle(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kCore, 14>(nullptr, [&] { return A(scene); },
                            [&] { return m_->GetSceneTitle(scene, buffer, capacity); }, [&] { return A(buffer); });
  }
  int32_t SetSceneMaker(int32_t scene, const wchar_t* text) override {
    return Serve<kCore, 15>(nullptr, [&] { return A(scene, text); }, [&] { return m_->SetSceneMaker(scene, text); });
  }
  int32_t GetSceneMaker(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kCore, 16>(nullptr, [&] { return A(scene); },
                            [&] { return m_->GetSceneMaker(scene, buffer, capacity); }, [&] { return A(buffer); });
  }
  int32_t SetSceneDescription(int32_t scene, const wchar_t* text) override {
    return Serve<kCore, 17>(nullptr, [&] { return A(scene, text); },
                            [&] { return m_->SetSceneDescription(scene, text); });
  }
  int32_t GetSceneDescription(int32_t scene, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kCore, 18>(nullptr, [&] { return A(scene); },
                            [&] { return m_->GetSceneDescription(scene, buffer, capacity); }, [&] { return A(buffer); });
  }
  int32_t GetSceneCount() override {
    return Serve<kCore, 19>(nullptr, [&] { return A(); }, [&] { return m_->GetSceneCount(); });
  }
  int32_t GetSceneNo() override {
    return Serve<kCore, 20>(nullptr, [&] { return A(); }, [&] { return m_->GetSceneNo(); });
  }
  int32_t GetItemCount() override {
    return Serve<kCore, 21>(nullptr, [&] { return A(); }, [&] { return m_->GetItemCount(); });
  }
  int32_t GetItemInfo(int32_t item, int32_t kind) override {
    return Serve<kCore, 22>(nullptr, [&] { return A(item, kind); }, [&] { return m_->GetItemInfo(item, kind); });
  }
  int32_t GetItemTitle(int32_t item, wchar_t* buffer) override {
    return Serve<kCore, 23>(nullptr, [&] { return A(item); }, [&] { return m_->GetItemTitle(item, buffer); },
                            [&] { return A(buffer); });
  }
  int32_t GetItemIdent(int32_t item, wchar_t* buffer) override {
    return Serve<kCore, 24>(nullptr, [&] { return A(item); }, [&] { return m_->GetItemIdent(item, buffer); },
                            [&] { return A(buffer); });
  }
  int32_t MeasureProc(int32_t unit) override {
    return Serve<kCore, 34>(nullptr, [&] { return A(unit); }, [&] { return m_->MeasureProc(unit); });
  }
  int32_t CopyUnitFigure(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) override {
    return Serve<kCore, 44>(nullptr, [&] { return A(a1, a2, a3, a4, a5); },
                            [&] { return m_->CopyUnitFigure(a1, a2, a3, a4, a5); });
  }
  int32_t CopyUnitModel(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) override {
    return Serve<kCore, 45>(nullptr, [&] { return A(a1, a2, a3, a4, a5); },
                            [&] { return m_->CopyUnitModel(a1, a2, a3, a4, a5); });
  }
  int32_t MeasureStart() override {
    return Serve<kCore, 57>(nullptr, [&] { return A(); }, [&] { return m_->MeasureStart(); });
  }
  int32_t MeasureStop(int32_t value) override {
    return Serve<kCore, 59>(nullptr, [&] { return A(value); }, [&] { return m_->MeasureStop(value); });
  }
  int32_t Measure(int32_t value) override {
    return Serve<kCore, 61>(nullptr, [&] { return A(value); }, [&] { return m_->Measure(value); });
  }
  int32_t RemeasureByName(const wchar_t* name, int32_t value) override {
    return Serve<kCore, 62>(nullptr, [&] { return A(name, value); }, [&] { return m_->RemeasureByName(name, value); });
  }
  int32_t Remeasure(int32_t number, int32_t value) override {
    return Serve<kCore, 63>(nullptr, [&] { return A(number, value); }, [&] { return m_->Remeasure(number, value); });
  }
  int32_t TestMeasure(int32_t mode, int32_t number, const wchar_t* name, int32_t a4, int32_t a5,
                      int32_t a6) override {
    return Serve<kCore, 64>(nullptr, [&] { return A(mode, number, name, a4, a5, a6); },
                            [&] { return m_->TestMeasure(mode, number, name, a4, a5, a6); });
  }
  int32_t ImageUpdate() override {
    return Serve<kCore, 65>(nullptr, [&] { return A(); }, [&] { return m_->ImageUpdate(); });
  }
  int32_t SetMeasureOut(int32_t value) override {
    return Serve<kCore, 71>(nullptr, [&] { return A(value); }, [&] { return m_->SetMeasureOut(value); });
  }
  int32_t GetMeasureOut() override {
    return Serve<kCore, 73>(nullptr, [&] { return A(); }, [&] { return m_->GetMeasureOut(); });
  }
  int32_t RefreshImageWindow(int32_t value) override {
    return Serve<kCore, 94>(nullptr, [&] { return A(value); }, [&] { return m_->RefreshImageWindow(value); });
  }
  int32_t RefreshTextWindow() override {
    return Serve<kCore, 102>(nullptr, [&] { return A(); }, [&] { return m_->RefreshTextWindow(); });
  }
  int32_t SetJudgeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override {
    return Serve<kCore, 104>(nullptr, [&] { return A(window, a1, a2, a3); },
                             [&] { return m_->SetJudgeWindow(window, a1, a2, a3); });
  }
  int32_t RefreshJudgeWindow() override {
    return Serve<kCore, 107>(nullptr, [&] { return A(); }, [&] { return m_->RefreshJudgeWindow(); });
  }
  int32_t SetTimeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) override {
    return Serve<kCore, 109>(nullptr, [&] { return A(window, a1, a2, a3); },
                             [&] { return m_->SetTimeWindow(window, a1, a2, a3); });
  }
  int32_t RefreshTimeWindow() override {
    return Serve<kCore, 112>(nullptr, [&] { return A(); }, [&] { return m_->RefreshTimeWindow(); });
  }
  int32_t SaveSystemData(const wchar_t* file) override {
    return Serve<kCore, 124>(nullptr, [&] { return A(file); }, [&] { return m_->SaveSystemData(file); });
  }
  int32_t LoadSystemData(const wchar_t* file) override {
    return Serve<kCore, 126>(nullptr, [&] { return A(file); }, [&] { return m_->LoadSystemData(file); });
  }
  int32_t SaveSceneGroup(int32_t group, const wchar_t* file) override {
    return Serve<kCore, 127>(nullptr, [&] { return A(group, file); }, [&] { return m_->SaveSceneGroup(group, file); });
  }
  int32_t LoadSceneGroup(int32_t group, const wchar_t* file) override {
    return Serve<kCore, 130>(nullptr, [&] { return A(group, file); }, [&] { return m_->LoadSceneGroup(group, file); });
  }
  int32_t SaveScene(int32_t scene, const wchar_t* file) override {
    return Serve<kCore, 133>(nullptr, [&] { return A(scene, file); }, [&] { return m_->SaveScene(scene, file); });
  }
  int32_t LoadScene(int32_t scene, const wchar_t* file) override {
    return Serve<kCore, 134>(nullptr, [&] { return A(scene, file); }, [&] { return m_->LoadScene(scene, file); });
  }
  int32_t SaveUnitData(int32_t a1, int32_t a2, int32_t a3, const wchar_t* file) override {
    return Serve<kCore, 135>(nullptr, [&] { return A(a1, a2, a3, file); },
                             [&] { return m_->SaveUnitData(a1, a2, a3, file); });
  }
  int32_t LoadUnitData(int32_t a1, int32_t a2, int32_t a3, int32_t a4, const wchar_t* file) override {
    return Serve<kCore, 136>(nullptr, [&] { return A(a1, a2, a3, a4, file); },
                             [&] { return m_->LoadUnitData(a1, a2, a3, a4, file); });
  }
  int32_t SaveBackupData(const wchar_t* file) override {
    return Serve<kCore, 137>(nullptr, [&] { return A(file); }, [&] { return m_->SaveBackupData(file); });
  }
  int32_t LoadBackupData(const wchar_t* file) override {
    return Serve<kCore, 138>(nullptr, [&] { return A(file); }, [&] { return m_->LoadBackupData(file); });
  }
  int32_t SaveData() override {
    return Serve<kCore, 139>(nullptr, [&] { return A(); }, [&] { return m_->SaveData(); });
  }
  // Traced with the status 0 when the channel was found, else 1.
  IoModule* GetIoModule(const wchar_t* name) override {
    IoModule* found = nullptr;
    const int32_t status = Serve<kCore, 141>(nullptr, [&] { return A(name); }, [&] {
      found = m_->GetIoModule(name);
      return found != nullptr ? 0 : 1;
    });
    return status == 0 && found != nullptr ? ChannelFront(found, name) : nullptr;
  }
  int32_t RunOut(int32_t value) override {
    return Serve<kCore, 143>(nullptr, [&] { return A(value); }, [&] { return m_->RunOut(value); });
  }
  int32_t ScreenCapture(const wchar_t* file) override {
    return Serve<kCore, 147>(nullptr, [&] { return A(file); }, [&] { return m_->ScreenCapture(file); });
  }
  int32_t ExitQorProcess() override {
    return Serve<kCore, 149>(nullptr, [&] { return A(); }, [&] { return m_->ExitQorProcess(); });
  }
  int32_t SystemReset() override {
    return Serve<kCore, 150>(nullptr, [&] { return A(); }, [&] { return m_->SystemReset(); });
  }
  int32_t RaiseOptionEvent(int32_t a1, int32_t a2) override {
    return Serve<kCore, 153>(nullptr, [&] { return A(a1, a2); }, [&] { return m_->RaiseOptionEvent(a1, a2); });
  }
  int32_t SetGlobalData(const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 154>(nullptr, [&] { return A(name, value); }, [&] { return m_->SetGlobalData(name, value); });
  }
  int32_t GetGlobalData(const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 155>(nullptr, [&] { return A(name); }, [&] { return m_->GetGlobalData(name, value); },
                             [&] { return A(value); });
  }
  int32_t AddGlobalData(const wchar_t* name, AnyType* value) override {
    return Serve<kCore, 156>(nullptr, [&] { return A(name, value); }, [&] { return m_->AddGlobalData(name, value); });
  }
  int32_t SaveImage(int32_t image, const wchar_t* file) override {
    return Serve<kCore, 173>(nullptr, [&] { return A(image, file); }, [&] { return m_->SaveImage(image, file); });
  }
  int32_t GetApplicationPath(int32_t kind, wchar_t* buffer) override {
    return Serve<kCore, 177>(nullptr, [&] { return A(kind); }, [&] { return m_->GetApplicationPath(kind, buffer); },
                             [&] { return A(buffer); });
  }
  int32_t ErrorOut(int32_t value) override {
    return Serve<kCore, 178>(nullptr, [&] { return A(value); }, [&] { return m_->ErrorOut(value); });
  }
  int32_t RaiseErrorProcEvent(int32_t a1, int32_t a2, int32_t a3) override {
    return Serve<kCore, 187>(nullptr, [&] { return A(a1, a2, a3); },
                             [&] { return m_->RaiseErrorProcEvent(a1, a2, a3); });
  }
  int32_t ExecuteErrorProc(int32_t a1, int32_t a2) override {
    return Serve<kCore, 188>(nullptr, [&] { return A(a1, a2); }, [&] { return m_->ExecuteErrorProc(a1, a2); });
  }
  int32_t GetApplicationVersion(int32_t kind, wchar_t* buffer, int32_t capacity) override {
    return Serve<kCore, 191>(nullptr, [&] { return A(kind); },
                             [&] { return m_->GetApplicationVersion(kind, buffer, capacity); },
                             [&] { return A(buffer); });
  }

 private:
  CoreServices* const m_;
};

class FrontHost final : public HostInterface {
 public:
  explicit FrontHost(HostInterface* model) : m_(model) {}

  int32_t SetSceneData(const wchar_t* name, AnyType* value) override {
    return Serve<kHost, 7>(nullptr, [&] { return A(name, value); }, [&] { return m_->SetSceneData(name, value); });
  }
  int32_t GetSceneData(const wchar_t* name, AnyType* value) override {
    return Serve<kHost, 8>(nullptr, [&] { return A(name); }, [&] { return m_->GetSceneData(name, value); },
                           [&] { return A(value); });
  }
  int32_t CheckUnit(int32_t unit) override {
    return Serve<kHost, 9>(nullptr, [&] { return A(unit); }, [&] { return m_->CheckUnit(unit); });
  }
  int32_t AssignUnit(int32_t unit, const wchar_t* kind) override {
    return Serve<kHost, 10>(nullptr, [&] { return A(unit, kind); }, [&] { return m_->AssignUnit(unit, kind); });
  }
  int32_t InsertUnit(int32_t unit, const wchar_t* kind) override {
    return Serve<kHost, 11>(nullptr, [&] { return A(unit, kind); }, [&] { return m_->InsertUnit(unit, kind); });
  }
  int32_t DeleteUnit(int32_t unit) override {
    return Serve<kHost, 12>(nullptr, [&] { return A(unit); }, [&] { return m_->DeleteUnit(unit); });
  }
  int32_t CopyUnitEx(int32_t a1, int32_t a2, int32_t a3, int32_t a4) override {
    return Serve<kHost, 13>(nullptr, [&] { return A(a1, a2, a3, a4); }, [&] { return m_->CopyUnitEx(a1, a2, a3, a4); });
  }
  int32_t CopyUnit(int32_t a1, int32_t a2, int32_t a3) override {
    return Serve<kHost, 14>(nullptr, [&] { return A(a1, a2, a3); }, [&] { return m_->CopyUnit(a1, a2, a3); });
  }
  int32_t MoveUnit(int32_t from, int32_t to) override {
    return Serve<kHost, 15>(nullptr, [&] { return A(from, to); }, [&] { return m_->MoveUnit(from, to); });
  }
  int32_t GetUnitCount() override {
    return Serve<kHost, 17>(nullptr, [&] { return A(); }, [&] { return m_->GetUnitCount(); });
  }
  int32_t GetUnitNo(const wchar_t* name) override {
    return Serve<kHost, 18>(nullptr, [&] { return A(name); }, [&] { return m_->GetUnitNo(name); });
  }
  int32_t SetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override {
    return Serve<kHost, 19>(nullptr, [&] { return A(unit, item, value); },
                            [&] { return m_->SetUnitData(unit, item, value); });
  }
  int32_t SetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override {
    return Serve<kHost, 20>(nullptr, [&] { return A(unit, item, value); },
                            [&] { return m_->SetUnitDataByNo(unit, item, value); });
  }
  int32_t GetUnitData(int32_t unit, const wchar_t* item, AnyType* value) override {
    return Serve<kHost, 21>(nullptr, [&] { return A(unit, item); },
                            [&] { return m_->GetUnitData(unit, item, value); }, [&] { return A(value); });
  }
  int32_t GetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) override {
    return Serve<kHost, 22>(nullptr, [&] { return A(unit, item); },
                            [&] { return m_->GetUnitDataByNo(unit, item, value); }, [&] { return A(value); });
  }
  int32_t SetUnitFigure(int32_t unit, int32_t figure, const void* block) override {
    return Serve<kHost, 23>(nullptr, [&] { return A(unit, figure, Figure(block)); },
                            [&] { return m_->SetUnitFigure(unit, figure, block); });
  }
  int32_t GetUnitFigure(int32_t unit, int32_t figure, int32_t* place, void* buffer) override {
    return Serve<kHost, 24>(nullptr, [&] { return A(unit, figure); },
                            [&] { return m_->GetUnitFigure(unit, figure, place, buffer); },
                            [&] { return A(P(place), Figure(buffer)); });
  }
  int32_t GetImageFormat(int32_t first, int32_t second) override {
    return Serve<kHost, 27>(nullptr, [&] { return A(first, second); }, [&] { return m_->GetImageFormat(first, second); });
  }
  int32_t GetImageSize(int32_t first, int32_t second, int32_t* width, int32_t* height) override {
    return Serve<kHost, 28>(nullptr, [&] { return A(first, second); },
                            [&] { return m_->GetImageSize(first, second, width, height); },
                            [&] { return A(P(width), P(height)); });
  }
  int32_t SetUnitTitle(int32_t unit, const wchar_t* title) override {
    return Serve<kHost, 29>(nullptr, [&] { return A(unit, title); }, [&] { return m_->SetUnitTitle(unit, title); });
  }
  int32_t GetUnitTitle(int32_t unit, wchar_t* buffer, int32_t* capacity) override {
    return Serve<kHost, 30>(nullptr, [&] { return A(unit); }, [&] { return m_->GetUnitTitle(unit, buffer, capacity); },
                            [&] { return A(buffer); });
  }
  int32_t GetUnitItemIdent(int32_t unit, wchar_t* buffer) override {
    return Serve<kHost, 31>(nullptr, [&] { return A(unit); }, [&] { return m_->GetUnitItemIdent(unit, buffer); },
                            [&] { return A(buffer); });
  }
  int32_t GetUnitInfo(int32_t unit, int32_t item) override {
    return Serve<kHost, 32>(nullptr, [&] { return A(unit, item); }, [&] { return m_->GetUnitInfo(unit, item); });
  }
  int32_t GetUnitJudge(int32_t unit) override {
    return Serve<kHost, 33>(nullptr, [&] { return A(unit); }, [&] { return m_->GetUnitJudge(unit); });
  }
  int32_t ClearMeasureData(int32_t unit) override {
    return Serve<kHost, 34>(nullptr, [&] { return A(unit); }, [&] { return m_->ClearMeasureData(unit); });
  }
  int32_t ClearAllMeasureData(int32_t value) override {
    return Serve<kHost, 35>(nullptr, [&] { return A(value); }, [&] { return m_->ClearAllMeasureData(value); });
  }
  int32_t SetImageWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5,
                         int32_t a6, double a7, int32_t a8, int32_t a9, int32_t a10,
                         int32_t a11) override {
    return Serve<kHost, 36>(nullptr, [&] { return A(window, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11); },
                            [&] { return m_->SetImageWindow(window, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11); });
  }
  int32_t GetImageWindow(int32_t window, int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4,
                         int32_t* a5, int32_t* a6, double* a7, int32_t* a8, int32_t* a9,
                         int32_t* a10, int32_t* a11) override {
    return Serve<kHost, 37>(
        nullptr, [&] { return A(window); },
        [&] { return m_->GetImageWindow(window, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11); },
        [&] { return A(P(a1), P(a2), P(a3), P(a4), P(a5), P(a6), P(a7), P(a8), P(a9), P(a10), P(a11)); });
  }
  int32_t SetTextWindow(int32_t a1, int32_t a2, int32_t a3, int32_t a4) override {
    return Serve<kHost, 39>(nullptr, [&] { return A(a1, a2, a3, a4); }, [&] { return m_->SetTextWindow(a1, a2, a3, a4); });
  }
  int32_t GetTextWindow(int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4) override {
    return Serve<kHost, 40>(nullptr, [&] { return A(); }, [&] { return m_->GetTextWindow(a1, a2, a3, a4); },
                            [&] { return A(P(a1), P(a2), P(a3), P(a4)); });
  }
  int32_t SetDisplayUnitNo(int32_t unit) override {
    return Serve<kHost, 41>(nullptr, [&] { return A(unit); }, [&] { return m_->SetDisplayUnitNo(unit); });
  }
  int32_t GetDisplayUnitNo() override {
    return Serve<kHost, 42>(nullptr, [&] { return A(); }, [&] { return m_->GetDisplayUnitNo(); });
  }

 private:
  // A figure block: as many bytes as its leading length word says.
  static Json Figure(const void* block) {
    if (block == nullptr) return nullptr;
    const auto* bytes = static_cast<const uint8_t*>(block);
    return BytesToJson(block, static_cast<size_t>(bytes[0] | (bytes[1] << 8)));
  }

  HostInterface* const m_;
};

}  // namespace

void SetFaults(std::vector<Fault> faults) {
  FaultState& f = Faults();
  std::lock_guard<std::mutex> guard(f.mutex);
  f.faults = std::move(faults);
  g_faulted.store(!f.faults.empty(), std::memory_order_release);
}

bool IsCallName(std::string_view name) {
  return std::any_of(std::begin(kCalls), std::end(kCalls),
                     [&](const CallInfo& c) { return c.name == name; });
}

bool IsChannelCall(std::string_view name) {
  return std::any_of(std::begin(kCalls), std::end(kCalls),
                     [&](const CallInfo& c) { return c.to == kIo && c.name == name; });
}

bool StartHostTrace(const std::string& path, std::string* message) {
  std::FILE* file = path == "-" ? stdout : std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    if (message != nullptr) *message = path + ": " + std::strerror(errno);
    return false;
  }
  StopHostTrace();
  TraceState& t = Trace();
  std::lock_guard<std::mutex> guard(t.mutex);
  t.file = file;
  t.owned = file != stdout;
  t.sequence = 0;
  g_tracing.store(true, std::memory_order_release);
  return true;
}

void StopHostTrace() {
  TraceState& t = Trace();
  std::lock_guard<std::mutex> guard(t.mutex);
  g_tracing.store(false, std::memory_order_release);
  if (t.file == nullptr) return;
  if (t.owned) std::fclose(t.file);
  else std::fflush(t.file);
  t.file = nullptr;
}

// Never destroyed: macro objects may still call them during process exit.
HostInterface* Host() {
  static auto* host = new FrontHost(ModelHost());
  return host;
}

CoreServices* Core() {
  static auto* core = new FrontCore(ModelCore());
  return core;
}

}  // namespace msc::sim

// Host library functions that reach the controller pass the front too.

int32_t SetCurrentCoreRA(int32_t line) {
  using namespace msc::sim;
  return Serve<kLib, 0>(nullptr, [&] { return A(line); }, [&] { return ModelSetCurrentLine(line); });
}

int32_t ContinuousMeasure(int32_t on) {
  using namespace msc::sim;
  return Serve<kLib, 1>(nullptr, [&] { return A(on); }, [&] { return ModelContinuousMeasure(on); });
}

int32_t GetLanguageString(const wchar_t* key, wchar_t* buffer, int32_t* capacity, int32_t flags) {
  using namespace msc::sim;
  return Serve<kLib, 2>(nullptr, [&] { return A(key, flags); },
                        [&] { return ModelLanguageString(key, buffer, capacity); },
                        [&] { return A(buffer); });
}
