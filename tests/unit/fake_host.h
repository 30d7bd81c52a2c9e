// Recording fakes of the host's callback objects. Every operation the
// engine calls appends "slot N" and its input arguments to the fake's log
// ("slot 19 3 Result int:5") and answers from the fake's public fields:
//
//   status   returned by every status operation
//   number   returned by every integer query; also the GetUnitFigure place
//   outputs  integer output places, filled in order (missing ones get 0)
//   real     the real output place (GetImageWindow) and GetPlcDataReal
//   text     written into text buffers, cut to their capacity
//   value    copied into host-value outputs (Get...Data)
//   bytes    copied into received blocks and unit figure buffers
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

namespace msc::test {

inline std::string Describe(int32_t v) { return std::to_string(v); }
inline std::string Describe(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}
inline std::string Utf8(const wchar_t* w) {
  std::string s;
  for (; w != nullptr && *w != L'\0'; ++w) {
    const auto c = static_cast<uint32_t>(*w);
    if (c < 0x80) {
      s += static_cast<char>(c);
    } else if (c < 0x800) {
      s += static_cast<char>(0xC0 | (c >> 6));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      s += static_cast<char>(0xE0 | (c >> 12));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (c >> 18));
      s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return s;
}
inline std::string Describe(const wchar_t* w) { return w != nullptr ? Utf8(w) : "(null)"; }
inline std::string Describe(const char* s) { return s != nullptr ? s : "(null)"; }
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

// The log and the canned answers shared by the three fakes.
class Recorder {
 public:
  std::vector<std::string> log;
  int32_t status = 0;
  int32_t number = 0;
  std::vector<int32_t> outputs;
  double real = 0.0;
  std::wstring text;
  AnyType value;
  std::vector<uint8_t> bytes;

 protected:
  template <class... Args>
  void Record(int slot, const Args&... args) {
    std::string line = "slot " + std::to_string(slot);
    ((line += ' ', line += Describe(args)), ...);
    std::lock_guard<std::mutex> guard(mutex_);
    log.push_back(line);
  }
  // Fills integer output places in order from outputs.
  template <class... Places>
  void Fill(Places*... places) {
    size_t i = 0;
    ((*places = i < outputs.size() ? outputs[i] : 0, ++i), ...);
  }
  int32_t Answer(AnyType* out) {
    if (out != nullptr) *out = value;
    return status;
  }
  int32_t AnswerText(wchar_t* buffer, int32_t capacity) {
    if (buffer == nullptr || capacity <= 0) return status;
    const size_t n = std::min(text.size(), static_cast<size_t>(capacity - 1));
    text.copy(buffer, n);
    buffer[n] = L'\0';
    return status;
  }
  int32_t AnswerText(wchar_t* buffer, int32_t* capacity) {
    return AnswerText(buffer, capacity != nullptr ? *capacity : 0);
  }

 private:
  std::mutex mutex_;
};

class FakeIo : public IoModule, public Recorder {
 public:
  ~FakeIo() = default;
  int32_t SendData(const void* data, int32_t size, const void* second) override {
    Record(3, data, size, second);
    return status;
  }
  int32_t ReceiveData(void* block, int32_t capacity, int32_t* received,
                      const void* second) override {
    Record(4, block, capacity, second);
    const size_t n = std::min(bytes.size(), static_cast<size_t>(std::max(capacity, 0)));
    if (block != nullptr && n > 0) std::memcpy(block, bytes.data(), n);
    if (received != nullptr) *received = static_cast<int32_t>(n);
    return status;
  }
  int32_t PutAll(int32_t v) override { Record(5, v); return status; }
  int32_t GetAll() override { Record(6); return number; }
  int32_t PutPort(int32_t port, int32_t v) override { Record(7, port, v); return status; }
  int32_t GetPort(int32_t port) override { Record(8, port); return number; }
  int32_t JudgeOut(int32_t v) override { Record(9, v); return status; }
  int32_t BusyOut(int32_t v) override { Record(10, v); return status; }
  int32_t RunOut(int32_t v) override { Record(11, v); return status; }
  int32_t ErrorOut(int32_t v) override { Record(12, v); return status; }
  int32_t SendString(const char* s) override { Record(15, s); return status; }
  int32_t WritePlcMemory(int32_t area, int32_t address, int32_t count,
                         const void* block) override {
    Record(16, area, address, count, block);
    return status;
  }
  int32_t ReadPlcMemory(int32_t area, int32_t address, int32_t count, void* block) override {
    Record(17, area, address, count);
    const size_t n = std::min(bytes.size(), static_cast<size_t>(std::max(count, 0)) * 2);
    if (block != nullptr && n > 0) std::memcpy(block, bytes.data(), n);
    return status;
  }
  int32_t SetPlcData32(void* place, int32_t v) override { Record(18, place, v); return status; }
  int32_t GetPlcData32(const void* place) override { Record(19, place); return number; }
  int32_t SetPlcData16(void* place, int32_t v) override { Record(20, place, v); return status; }
  int16_t GetPlcData16(const void* place) override {
    Record(21, place);
    return static_cast<int16_t>(number);
  }
  int32_t SetPlcDataReal(void* place, double v) override { Record(22, place, v); return status; }
  double GetPlcDataReal(const void* place) override { Record(23, place); return real; }
  int32_t SetPollingState(int32_t state) override { Record(24, state); return status; }
  int32_t GetPollingState() override { Record(25); return number; }
};

class FakeHost : public HostInterface, public Recorder {
 public:
  ~FakeHost() = default;
  int32_t SetSceneData(const wchar_t* name, AnyType* v) override { Record(7, name, v); return status; }
  int32_t GetSceneData(const wchar_t* name, AnyType* v) override { Record(8, name); return Answer(v); }
  int32_t CheckUnit(int32_t unit) override { Record(9, unit); return number; }
  int32_t AssignUnit(int32_t unit, const wchar_t* kind) override { Record(10, unit, kind); return status; }
  int32_t InsertUnit(int32_t unit, const wchar_t* kind) override { Record(11, unit, kind); return status; }
  int32_t DeleteUnit(int32_t unit) override { Record(12, unit); return status; }
  int32_t CopyUnitEx(int32_t a, int32_t b, int32_t c, int32_t d) override {
    Record(13, a, b, c, d);
    return status;
  }
  int32_t CopyUnit(int32_t a, int32_t b, int32_t c) override { Record(14, a, b, c); return status; }
  int32_t MoveUnit(int32_t from, int32_t to) override { Record(15, from, to); return status; }
  int32_t GetUnitCount() override { Record(17); return number; }
  int32_t GetUnitNo(const wchar_t* name) override { Record(18, name); return number; }
  int32_t SetUnitData(int32_t unit, const wchar_t* item, AnyType* v) override {
    Record(19, unit, item, v);
    return status;
  }
  int32_t SetUnitDataByNo(int32_t unit, int32_t item, AnyType* v) override {
    Record(20, unit, item, v);
    return status;
  }
  int32_t GetUnitData(int32_t unit, const wchar_t* item, AnyType* v) override {
    Record(21, unit, item);
    return Answer(v);
  }
  int32_t GetUnitDataByNo(int32_t unit, int32_t item, AnyType* v) override {
    Record(22, unit, item);
    return Answer(v);
  }
  int32_t SetUnitFigure(int32_t unit, int32_t figure, const void* block) override {
    Record(23, unit, figure, block);
    return status;
  }
  int32_t GetUnitFigure(int32_t unit, int32_t figure, int32_t* place, void* buffer) override {
    Record(24, unit, figure);
    if (place != nullptr) *place = number;
    const size_t n = std::min(bytes.size(), static_cast<size_t>(kUnitFigureCapacity));
    if (buffer != nullptr && n > 0) std::memcpy(buffer, bytes.data(), n);
    return status;
  }
  int32_t GetImageFormat(int32_t a, int32_t b) override { Record(27, a, b); return number; }
  int32_t GetImageSize(int32_t a, int32_t b, int32_t* width, int32_t* height) override {
    Record(28, a, b);
    Fill(width, height);
    return status;
  }
  int32_t SetUnitTitle(int32_t unit, const wchar_t* title) override { Record(29, unit, title); return status; }
  int32_t GetUnitTitle(int32_t unit, wchar_t* buffer, int32_t* capacity) override {
    Record(30, unit, capacity != nullptr ? *capacity : -1);
    return AnswerText(buffer, capacity);
  }
  int32_t GetUnitItemIdent(int32_t unit, wchar_t* buffer) override {
    Record(31, unit);
    return AnswerText(buffer, kHostTextCapacity);
  }
  int32_t GetUnitInfo(int32_t unit, int32_t item) override { Record(32, unit, item); return number; }
  int32_t GetUnitJudge(int32_t unit) override { Record(33, unit); return number; }
  int32_t ClearMeasureData(int32_t v) override { Record(34, v); return status; }
  int32_t ClearAllMeasureData(int32_t v) override { Record(35, v); return status; }
  int32_t SetImageWindow(int32_t w, int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5,
                         int32_t a6, double a7, int32_t a8, int32_t a9, int32_t a10,
                         int32_t a11) override {
    Record(36, w, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11);
    return status;
  }
  int32_t GetImageWindow(int32_t w, int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4,
                         int32_t* a5, int32_t* a6, double* a7, int32_t* a8, int32_t* a9,
                         int32_t* a10, int32_t* a11) override {
    Record(37, w);
    Fill(a1, a2, a3, a4, a5, a6, a8, a9, a10, a11);
    if (a7 != nullptr) *a7 = real;
    return status;
  }
  int32_t SetTextWindow(int32_t a1, int32_t a2, int32_t a3, int32_t a4) override {
    Record(39, a1, a2, a3, a4);
    return status;
  }
  int32_t GetTextWindow(int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4) override {
    Record(40);
    Fill(a1, a2, a3, a4);
    return status;
  }
  int32_t SetDisplayUnitNo(int32_t unit) override { Record(41, unit); return status; }
  int32_t GetDisplayUnitNo() override { Record(42); return number; }
};

class FakeCore : public CoreServices, public Recorder {
 public:
  ~FakeCore() = default;
  // Channel returned by slot 141 for ioName; any other name gives null.
  FakeIo io;
  std::wstring ioName = L"IO";

  int32_t SetSystemData(const wchar_t* s, const wchar_t* n, AnyType* v) override { Record(0, s, n, v); return status; }
  int32_t GetSystemData(const wchar_t* s, const wchar_t* n, AnyType* v) override { Record(1, s, n); return Answer(v); }
  int32_t AddSystemData(const wchar_t* s, const wchar_t* n, AnyType* v) override { Record(2, s, n, v); return status; }
  int32_t ChangeSceneGroup(int32_t a, int32_t b) override { Record(3, a, b); return status; }
  int32_t ClearSceneGroup(int32_t g) override { Record(4, g); return status; }
  int32_t CopySceneGroup(int32_t a, int32_t b) override { Record(5, a, b); return status; }
  int32_t SetSceneGroupTitle(int32_t g, const wchar_t* t) override { Record(6, g, t); return status; }
  int32_t GetSceneGroupTitle(int32_t g, wchar_t* buffer, int32_t* capacity) override {
    Record(7, g, capacity != nullptr ? *capacity : -1);
    return AnswerText(buffer, capacity);
  }
  int32_t GetSceneGroupCount() override { Record(8); return number; }
  int32_t GetSceneGroupNo() override { Record(9); return number; }
  int32_t ChangeScene(int32_t s) override { Record(10, s); return status; }
  int32_t ClearScene(int32_t s) override { Record(11, s); return status; }
  int32_t CopyScene(int32_t a, int32_t b) override { Record(12, a, b); return status; }
  int32_t SetSceneTitle(int32_t s, const wchar_t* t) override { Record(13, s, t); return status; }
  int32_t GetSceneTitle(int32_t s, wchar_t* buffer, int32_t* capacity) override {
    Record(14, s, capacity != nullptr ? *capacity : -1);
    return AnswerText(buffer, capacity);
  }
  int32_t SetSceneMaker(int32_t s, const wchar_t* t) override { Record(15, s, t); return status; }
  int32_t GetSceneMaker(int32_t s, wchar_t* buffer, int32_t* capacity) override {
    Record(16, s, capacity != nullptr ? *capacity : -1);
    return AnswerText(buffer, capacity);
  }
  int32_t SetSceneDescription(int32_t s, const wchar_t* t) override { Record(17, s, t); return status; }
  int32_t GetSceneDescription(int32_t s, wchar_t* buffer, int32_t* capacity) override {
    Record(18, s, capacity != nullptr ? *capacity : -1);
    return AnswerText(buffer, capacity);
  }
  int32_t GetSceneCount() override { Record(19); return number; }
  int32_t GetSceneNo() override { Record(20); return number; }
  int32_t GetItemCount() override { Record(21); return number; }
  int32_t GetItemInfo(int32_t a, int32_t b) override { Record(22, a, b); return number; }
  int32_t GetItemTitle(int32_t i, wchar_t* buffer) override {
    Record(23, i);
    return AnswerText(buffer, kHostTextCapacity);
  }
  int32_t GetItemIdent(int32_t i, wchar_t* buffer) override {
    Record(24, i);
    return AnswerText(buffer, kHostTextCapacity);
  }
  int32_t MeasureProc(int32_t u) override { Record(34, u); return status; }
  int32_t CopyUnitFigure(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) override {
    Record(44, a, b, c, d, e);
    return status;
  }
  int32_t CopyUnitModel(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e) override {
    Record(45, a, b, c, d, e);
    return status;
  }
  int32_t MeasureStart() override { Record(57); return status; }
  int32_t MeasureStop(int32_t v) override { Record(59, v); return status; }
  int32_t Measure(int32_t v) override { Record(61, v); return status; }
  int32_t RemeasureByName(const wchar_t* n, int32_t v) override { Record(62, n, v); return status; }
  int32_t Remeasure(int32_t n, int32_t v) override { Record(63, n, v); return status; }
  int32_t TestMeasure(int32_t mode, int32_t n, const wchar_t* name, int32_t a4, int32_t a5,
                      int32_t a6) override {
    Record(64, mode, n, name, a4, a5, a6);
    return status;
  }
  int32_t ImageUpdate() override { Record(65); return status; }
  int32_t SetMeasureOut(int32_t v) override { Record(71, v); return status; }
  int32_t GetMeasureOut() override { Record(73); return number; }
  int32_t RefreshImageWindow(int32_t v) override { Record(94, v); return status; }
  int32_t RefreshTextWindow() override { Record(102); return status; }
  int32_t SetJudgeWindow(int32_t w, int32_t a, int32_t b, int32_t c) override {
    Record(104, w, a, b, c);
    return status;
  }
  int32_t RefreshJudgeWindow() override { Record(107); return status; }
  int32_t SetTimeWindow(int32_t w, int32_t a, int32_t b, int32_t c) override {
    Record(109, w, a, b, c);
    return status;
  }
  int32_t RefreshTimeWindow() override { Record(112); return status; }
  int32_t SaveSystemData(const wchar_t* f) override { Record(124, f); return status; }
  int32_t LoadSystemData(const wchar_t* f) override { Record(126, f); return status; }
  int32_t SaveSceneGroup(int32_t g, const wchar_t* f) override { Record(127, g, f); return status; }
  int32_t LoadSceneGroup(int32_t g, const wchar_t* f) override { Record(130, g, f); return status; }
  int32_t SaveScene(int32_t s, const wchar_t* f) override { Record(133, s, f); return status; }
  int32_t LoadScene(int32_t s, const wchar_t* f) override { Record(134, s, f); return status; }
  int32_t SaveUnitData(int32_t a, int32_t b, int32_t c, const wchar_t* f) override {
    Record(135, a, b, c, f);
    return status;
  }
  int32_t LoadUnitData(int32_t a, int32_t b, int32_t c, int32_t d, const wchar_t* f) override {
    Record(136, a, b, c, d, f);
    return status;
  }
  int32_t SaveBackupData(const wchar_t* f) override { Record(137, f); return status; }
  int32_t LoadBackupData(const wchar_t* f) override { Record(138, f); return status; }
  int32_t SaveData() override { Record(139); return status; }
  IoModule* GetIoModule(const wchar_t* name) override {
    Record(141, name);
    return name != nullptr && ioName == name ? &io : nullptr;
  }
  int32_t RunOut(int32_t v) override { Record(143, v); return status; }
  int32_t ScreenCapture(const wchar_t* f) override { Record(147, f); return status; }
  int32_t ExitQorProcess() override { Record(149); return status; }
  int32_t SystemReset() override { Record(150); return status; }
  int32_t RaiseOptionEvent(int32_t a, int32_t b) override { Record(153, a, b); return status; }
  int32_t SetGlobalData(const wchar_t* n, AnyType* v) override { Record(154, n, v); return status; }
  int32_t GetGlobalData(const wchar_t* n, AnyType* v) override { Record(155, n); return Answer(v); }
  int32_t AddGlobalData(const wchar_t* n, AnyType* v) override { Record(156, n, v); return status; }
  int32_t SaveImage(int32_t i, const wchar_t* f) override { Record(173, i, f); return status; }
  int32_t GetApplicationPath(int32_t k, wchar_t* buffer) override {
    Record(177, k);
    return AnswerText(buffer, kHostTextCapacity);
  }
  int32_t ErrorOut(int32_t v) override { Record(178, v); return status; }
  int32_t RaiseErrorProcEvent(int32_t a, int32_t b, int32_t c) override {
    Record(187, a, b, c);
    return status;
  }
  int32_t ExecuteErrorProc(int32_t a, int32_t b) override { Record(188, a, b); return status; }
  int32_t GetApplicationVersion(int32_t k, wchar_t* buffer, int32_t capacity) override {
    Record(191, k, capacity);
    return AnswerText(buffer, capacity);
  }
};

}  // namespace msc::test
