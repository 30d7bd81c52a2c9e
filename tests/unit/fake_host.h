// Recording fakes of the host's callback objects. Every operation the
// engine calls appends "slot N" and its input arguments to the fake's log
// ("slot 19 3 Result int:5") and answers from the fake's public fields:
//
//   status   returned by every status operation
//   value    copied into host-value outputs (Get...Data)
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

// The log and the canned answers shared by the fakes.
class Recorder {
 public:
  std::vector<std::string> log;
  int32_t status = 0;
  AnyType value;

 protected:
  template <class... Args>
  void Record(int slot, const Args&... args) {
    std::string line = "slot " + std::to_string(slot);
    ((line += ' ', line += Describe(args)), ...);
    std::lock_guard<std::mutex> guard(mutex_);
    log.push_back(line);
  }
  int32_t Answer(AnyType* out) {
    if (out != nullptr) *out = value;
    return status;
  }

 private:
  std::mutex mutex_;
};

// The fakes serve the operations that tests exercise so far; each new host
// command under test adds its operation here in the same one-line form.
class FakeHost : public HostInterface, public Recorder {
 public:
  ~FakeHost() = default;
  int32_t SetSceneData(const wchar_t* name, AnyType* v) override { Record(7, name, v); return status; }
  int32_t GetSceneData(const wchar_t* name, AnyType* v) override { Record(8, name); return Answer(v); }
  int32_t SetUnitData(int32_t unit, const wchar_t* item, AnyType* v) override {
    Record(19, unit, item, v);
    return status;
  }
  int32_t GetUnitData(int32_t unit, const wchar_t* item, AnyType* v) override {
    Record(21, unit, item);
    return Answer(v);
  }
};

class FakeCore : public CoreServices, public Recorder {
 public:
  ~FakeCore() = default;
  int32_t SetSystemData(const wchar_t* s, const wchar_t* n, AnyType* v) override { Record(0, s, n, v); return status; }
  int32_t GetSystemData(const wchar_t* s, const wchar_t* n, AnyType* v) override { Record(1, s, n); return Answer(v); }
  int32_t SetGlobalData(const wchar_t* n, AnyType* v) override { Record(154, n, v); return status; }
  int32_t GetGlobalData(const wchar_t* n, AnyType* v) override { Record(155, n); return Answer(v); }
};

}  // namespace msc::test
