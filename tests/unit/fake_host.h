// Recording fakes of the host's callback objects. Every operation the
// engine calls appends "slot N" and its input arguments to the fake's log
// ("slot 19 3 Result int:5") and answers from the fake's public fields:
//
//   status   returned by every status operation
//   value    copied into host-value outputs (Get...Data)
//   text     written into text buffers
//   number   returned by integer queries; output places get number, number+1, ...
//
// Texts are logged as UTF-8, host values as "int:5", "real:2.5", "text:abc",
// "bytes:3", "list:2" or "empty", blocks as "block" or "null".
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "macro_sc/host.h"
#include "platform/codepage.h"

namespace msc::test {

inline std::string Describe(int32_t v) { return std::to_string(v); }
inline std::string Describe(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}
inline std::string Utf8(const wchar_t* w) {
  return w != nullptr ? platform::ToMulti(platform::kCodePageUtf8, w) : std::string();
}
inline std::string Describe(const wchar_t* w) { return w != nullptr ? Utf8(w) : "(null)"; }
inline std::string Describe(const char* s) { return s != nullptr ? s : "(null)"; }
inline const std::string& Describe(const std::string& s) { return s; }
inline std::string Describe(const void* block) { return block != nullptr ? "block" : "null"; }
inline std::string Describe(const AnyType* v) {
  if (v == nullptr) return "null";
  switch (v->GetType()) {
    case AnyType::kInteger: return "int:" + std::to_string(v->GetIntValue());
    case AnyType::kReal: return "real:" + Describe(v->GetDoubleValue());
    case AnyType::kText: return "text:" + Utf8(v->GetString());
    case AnyType::kBytes: {
      int32_t length = 0;
      (void)v->GetVariantData(&length);
      return "bytes:" + std::to_string(length);
    }
    case AnyType::kList: return "list:" + std::to_string(v->GetCount());
    default: return "empty";
  }
}

// The log and the canned answers shared by the fakes.
class Recorder {
 public:
  std::vector<std::string> log;
  int32_t status = 0;
  AnyType value;
  std::wstring text = L"text";  // written into text buffers
  int32_t number = 0;           // written into integer output places

 protected:
  template <class... Args>
  int32_t Record(int slot, const Args&... args) {
    std::string line = "slot " + std::to_string(slot);
    ((line += ' ', line += Describe(args)), ...);
    std::lock_guard<std::mutex> guard(mutex_);
    log.push_back(line);
    return status;
  }
  int32_t Answer(AnyType* out) {
    if (out != nullptr) *out = value;
    return status;
  }
  int32_t Fill(wchar_t* buffer, int32_t capacity = kHostTextCapacity) {
    const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
    text.copy(buffer, n);
    buffer[n] = L'\0';
    return status;
  }
  template <class... Out>
  int32_t Places(Out*... places) {
    int32_t next = number;
    ((*places = static_cast<Out>(next++)), ...);
    return status;
  }

 private:
  std::mutex mutex_;
};

// An I/O channel: sends are logged, blocks by their bytes ("block:01 02").
class FakeIo : public IoModule, public Recorder {
 public:
  ~FakeIo() = default;
  std::vector<uint8_t> incoming;  // what ReceiveData hands out
  static std::string Bytes(const void* block, int32_t size) {
    if (block == nullptr) return "null";
    std::string s = "block:";
    char hex[4];
    for (int32_t i = 0; i < size; ++i) {
      std::snprintf(hex, sizeof hex, i ? " %02x" : "%02x", static_cast<const uint8_t*>(block)[i]);
      s += hex;
    }
    return s;
  }
  int32_t SendData(const void* d, int32_t n, const void* b) override { return Record(3, Bytes(d, n), Describe(b)); }
  // Logs the block and the received count as they arrive.
  int32_t ReceiveData(void* block, int32_t capacity, int32_t* received, const void* b) override {
    const int32_t status = Record(4, Bytes(block, capacity), capacity, *received, Describe(b));
    const int32_t n = std::min(capacity, static_cast<int32_t>(incoming.size()));
    if (n > 0) std::memcpy(block, incoming.data(), static_cast<size_t>(n));
    *received = n;
    return status;
  }
  int32_t PutAll(int32_t v) override { return Record(5, v); }
  int32_t GetAll() override { Record(6); return number; }
  int32_t PutPort(int32_t p, int32_t v) override { return Record(7, p, v); }
  int32_t GetPort(int32_t p) override { Record(8, p); return number; }
  int32_t JudgeOut(int32_t v) override { return Record(9, v); }
  int32_t BusyOut(int32_t v) override { return Record(10, v); }
  int32_t RunOut(int32_t v) override { return Record(11, v); }
  int32_t ErrorOut(int32_t v) override { return Record(12, v); }
  int32_t SendString(const char* t) override { return Record(15, t); }
  int32_t WritePlcMemory(int32_t a, int32_t d, int32_t n, const void* b) override { return Record(16, a, d, n, Bytes(b, 2 * n)); }
  int32_t ReadPlcMemory(int32_t a, int32_t d, int32_t n, void* b) override {
    for (int32_t i = 0; i < 2 * n; ++i) static_cast<uint8_t*>(b)[i] = static_cast<uint8_t>(i + 1);
    return Record(17, a, d, n);
  }
  // PLC order here: big-endian, so the tests see the channel's encoding.
  int32_t SetPlcData32(void* p, int32_t v) override { Put(p, static_cast<uint32_t>(v), 4); return Record(18, v); }
  int32_t GetPlcData32(const void* p) override { Record(19); return static_cast<int32_t>(Get(p, 4)); }
  int32_t SetPlcData16(void* p, int32_t v) override { Put(p, static_cast<uint32_t>(v), 2); return Record(20, v); }
  int16_t GetPlcData16(const void* p) override { Record(21); return static_cast<int16_t>(Get(p, 2)); }
  int32_t SetPlcDataReal(void* p, double v) override { std::memcpy(p, &v, 8); return Record(22, v); }
  double GetPlcDataReal(const void* p) override { Record(23); double d; std::memcpy(&d, p, 8); return d; }
  int32_t SetPollingState(int32_t v) override { return Record(24, v); }
  int32_t GetPollingState() override { Record(25); return number; }

 private:
  static void Put(void* p, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) static_cast<uint8_t*>(p)[i] = static_cast<uint8_t>(v >> (8 * (n - 1 - i)));
  }
  static uint32_t Get(const void* p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | static_cast<const uint8_t*>(p)[i];
    return v;
  }
};

// Each operation logs its slot and inputs; outputs come from the Recorder's
// canned answers.
class FakeHost : public HostInterface, public Recorder {
 public:
  ~FakeHost() = default;
  std::vector<uint8_t> figure;  // GetUnitFigure's answer
  int32_t SetSceneData(const wchar_t* name, AnyType* v) override { return Record(7, name, v); }
  int32_t GetSceneData(const wchar_t* name, AnyType* v) override { Record(8, name); return Answer(v); }
  int32_t CheckUnit(int32_t u) override { Record(9, u); return number; }
  int32_t AssignUnit(int32_t u, const wchar_t* k) override { return Record(10, u, k); }
  int32_t InsertUnit(int32_t u, const wchar_t* k) override { return Record(11, u, k); }
  int32_t DeleteUnit(int32_t u) override { return Record(12, u); }
  int32_t CopyUnitEx(int32_t a, int32_t b, int32_t c, int32_t d) override { return Record(13, a, b, c, d); }
  int32_t CopyUnit(int32_t a, int32_t b, int32_t c) override { return Record(14, a, b, c); }
  int32_t MoveUnit(int32_t a, int32_t b) override { return Record(15, a, b); }
  int32_t GetUnitCount() override { Record(17); return number; }
  int32_t GetUnitNo(const wchar_t* n) override { Record(18, n); return number; }
  int32_t SetUnitData(int32_t u, const wchar_t* i, AnyType* v) override { return Record(19, u, i, v); }
  int32_t SetUnitDataByNo(int32_t u, int32_t i, AnyType* v) override { return Record(20, u, i, v); }
  int32_t GetUnitData(int32_t u, const wchar_t* i, AnyType* v) override { Record(21, u, i); return Answer(v); }
  int32_t GetUnitDataByNo(int32_t u, int32_t i, AnyType* v) override { Record(22, u, i); return Answer(v); }
  int32_t SetUnitFigure(int32_t u, int32_t n, const void* b) override {
    return Record(23, u, n, FakeIo::Bytes(b, b ? *static_cast<const uint16_t*>(b) : 0));
  }
  int32_t GetUnitFigure(int32_t u, int32_t n, int32_t* place, void* b) override {
    if (!figure.empty()) std::memcpy(b, figure.data(), figure.size());
    *place = 1;
    return Record(24, u, n);
  }
  int32_t GetImageFormat(int32_t a, int32_t b) override { Record(27, a, b); return number; }
  int32_t GetImageSize(int32_t a, int32_t b, int32_t* w, int32_t* h) override { Record(28, a, b); return Places(w, h); }
  int32_t SetUnitTitle(int32_t u, const wchar_t* t) override { return Record(29, u, t); }
  int32_t GetUnitTitle(int32_t u, wchar_t* b, int32_t* c) override { Record(30, u, *c); return Fill(b, *c); }
  int32_t GetUnitItemIdent(int32_t u, wchar_t* b) override { Record(31, u); return Fill(b); }
  int32_t GetUnitInfo(int32_t u, int32_t i) override { Record(32, u, i); return number; }
  int32_t GetUnitJudge(int32_t u) override { Record(33, u); return number; }
  int32_t ClearMeasureData(int32_t u) override { return Record(34, u); }
  int32_t ClearAllMeasureData(int32_t v) override { return Record(35, v); }
  int32_t SetImageWindow(int32_t w, int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5, int32_t a6,
                         double a7, int32_t a8, int32_t a9, int32_t a10, int32_t a11) override {
    return Record(36, w, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11);
  }
  int32_t GetImageWindow(int32_t w, int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4, int32_t* a5, int32_t* a6,
                         double* a7, int32_t* a8, int32_t* a9, int32_t* a10, int32_t* a11) override {
    Record(37, w);
    return Places(a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11);
  }
  int32_t SetTextWindow(int32_t a, int32_t b, int32_t c, int32_t d) override { return Record(39, a, b, c, d); }
  int32_t GetTextWindow(int32_t* a, int32_t* b, int32_t* c, int32_t* d) override { Record(40); return Places(a, b, c, d); }
  int32_t SetDisplayUnitNo(int32_t u) override { return Record(41, u); }
  int32_t GetDisplayUnitNo() override { Record(42); return number; }
};

class FakeCore : public CoreServices, public Recorder {
 public:
  ~FakeCore() = default;
  FakeIo io;  // the channel named "LINE"
  int32_t SetSystemData(const wchar_t* s, const wchar_t* n, AnyType* v) override { return Record(0, s, n, v); }
  int32_t GetSystemData(const wchar_t* s, const wchar_t* n, AnyType* v) override { Record(1, s, n); return Answer(v); }
  int32_t AddSystemData(const wchar_t* s, const wchar_t* n, AnyType* v) override { return Record(2, s, n, v); }
  int32_t ChangeSceneGroup(int32_t a, int32_t b) override { return Record(3, a, b); }
  int32_t ClearSceneGroup(int32_t g) override { return Record(4, g); }
  int32_t CopySceneGroup(int32_t a, int32_t b) override { return Record(5, a, b); }
  int32_t SetSceneGroupTitle(int32_t g, const wchar_t* t) override { return Record(6, g, t); }
  int32_t GetSceneGroupTitle(int32_t g, wchar_t* b, int32_t* c) override { Record(7, g, *c); return Fill(b, *c); }
  int32_t GetSceneGroupCount() override { Record(8); return number; }
  int32_t GetSceneGroupNo() override { Record(9); return number; }
  int32_t ChangeScene(int32_t s) override { return Record(10, s); }
  int32_t ClearScene(int32_t s) override { return Record(11, s); }
  int32_t CopyScene(int32_t a, int32_t b) override { return Record(12, a, b); }
  int32_t SetSceneTitle(int32_t s, const wchar_t* t) override { return Record(13, s, t); }
  int32_t GetSceneTitle(int32_t s, wchar_t* b, int32_t* c) override { Record(14, s, *c); return Fill(b, *c); }
  int32_t SetSceneMaker(int32_t s, const wchar_t* t) override { return Record(15, s, t); }
  int32_t GetSceneMaker(int32_t s, wchar_t* b, int32_t* c) override { Record(16, s, *c); return Fill(b, *c); }
  int32_t SetSceneDescription(int32_t s, const wchar_t* t) override { return Record(17, s, t); }
  int32_t GetSceneDescription(int32_t s, wchar_t* b, int32_t* c) override { Record(18, s, *c); return Fill(b, *c); }
  int32_t GetSceneCount() override { Record(19); return number; }
  int32_t GetSceneNo() override { Record(20); return number; }
  int32_t GetItemCount() override { Record(21); return number; }
  int32_t GetItemInfo(int32_t i, int32_t k) override { Record(22, i, k); return number; }
  int32_t GetItemTitle(int32_t i, wchar_t* b) override { Record(23, i); return Fill(b); }
  int32_t GetItemIdent(int32_t i, wchar_t* b) override { Record(24, i); return Fill(b); }
  int32_t MeasureProc(int32_t u) override { return Record(34, u); }
  int32_t CopyUnitFigure(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) override { return Record(44, a, b, c, d, e); }
  int32_t CopyUnitModel(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) override { return Record(45, a, b, c, d, e); }
  int32_t MeasureStart() override { return Record(57); }
  int32_t MeasureStop(int32_t v) override { return Record(59, v); }
  int32_t Measure(int32_t v) override { return Record(61, v); }
  int32_t RemeasureByName(const wchar_t* n, int32_t v) override { return Record(62, n, v); }
  int32_t Remeasure(int32_t n, int32_t v) override { return Record(63, n, v); }
  int32_t TestMeasure(int32_t m, int32_t n, const wchar_t* s, int32_t a, int32_t b, int32_t c) override {
    return Record(64, m, n, s, a, b, c);
  }
  int32_t ImageUpdate() override { return Record(65); }
  int32_t SetMeasureOut(int32_t v) override { return Record(71, v); }
  int32_t GetMeasureOut() override { Record(73); return number; }
  int32_t RefreshImageWindow(int32_t v) override { return Record(94, v); }
  int32_t RefreshTextWindow() override { return Record(102); }
  int32_t SetJudgeWindow(int32_t w, int32_t a, int32_t b, int32_t c) override { return Record(104, w, a, b, c); }
  int32_t RefreshJudgeWindow() override { return Record(107); }
  int32_t SetTimeWindow(int32_t w, int32_t a, int32_t b, int32_t c) override { return Record(109, w, a, b, c); }
  int32_t RefreshTimeWindow() override { return Record(112); }
  int32_t SaveSystemData(const wchar_t* f) override { return Record(124, f); }
  int32_t LoadSystemData(const wchar_t* f) override { return Record(126, f); }
  int32_t SaveSceneGroup(int32_t g, const wchar_t* f) override { return Record(127, g, f); }
  int32_t LoadSceneGroup(int32_t g, const wchar_t* f) override { return Record(130, g, f); }
  int32_t SaveScene(int32_t s, const wchar_t* f) override { return Record(133, s, f); }
  int32_t LoadScene(int32_t s, const wchar_t* f) override { return Record(134, s, f); }
  int32_t SaveUnitData(int32_t a, int32_t b, int32_t c, const wchar_t* f) override { return Record(135, a, b, c, f); }
  int32_t LoadUnitData(int32_t a, int32_t b, int32_t c, int32_t d, const wchar_t* f) override {
    return Record(136, a, b, c, d, f);
  }
  int32_t SaveBackupData(const wchar_t* f) override { return Record(137, f); }
  int32_t LoadBackupData(const wchar_t* f) override { return Record(138, f); }
  int32_t SaveData() override { return Record(139); }
  IoModule* GetIoModule(const wchar_t* n) override {
    Record(141, n);
    return std::wstring(n) == L"LINE" ? &io : nullptr;
  }
  int32_t RunOut(int32_t v) override { return Record(143, v); }
  int32_t ScreenCapture(const wchar_t* f) override { return Record(147, f); }
  int32_t ExitQorProcess() override { return Record(149); }
  int32_t SystemReset() override { return Record(150); }
  int32_t RaiseOptionEvent(int32_t a, int32_t b) override { return Record(153, a, b); }
  int32_t SetGlobalData(const wchar_t* n, AnyType* v) override { return Record(154, n, v); }
  int32_t GetGlobalData(const wchar_t* n, AnyType* v) override { Record(155, n); return Answer(v); }
  int32_t AddGlobalData(const wchar_t* n, AnyType* v) override { return Record(156, n, v); }
  int32_t SaveImage(int32_t i, const wchar_t* f) override { return Record(173, i, f); }
  int32_t GetApplicationPath(int32_t k, wchar_t* b) override { Record(177, k); return Fill(b); }
  int32_t ErrorOut(int32_t v) override { return Record(178, v); }
  int32_t RaiseErrorProcEvent(int32_t a, int32_t b, int32_t c) override { return Record(187, a, b, c); }
  int32_t ExecuteErrorProc(int32_t a, int32_t b) override { return Record(188, a, b); }
  int32_t GetApplicationVersion(int32_t k, wchar_t* b, int32_t c) override { Record(191, k, c); return Fill(b, c); }
};

}  // namespace msc::test
