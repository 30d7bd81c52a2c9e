// Functions that read the controller's state inside expressions: scenes,
// items, units, measurement, windows, I/O channels, paths and texts.
//
// Every call to the host is made with the object lock freed (host_window.h).
// Integer results are what the operation returns, unchecked. Text results
// come back in a wide buffer; a non-zero status gives 5, and the text is
// converted to the macro code page and cut to the function's byte limit.
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "api/qor_macro.h"
#include "engine/builtin_functions.h"
#include "engine/host_window.h"
#include "macro_sc/host.h"
#include "variables/host_value.h"

namespace msc {
namespace {

constexpr size_t kHostTextBytes = 32767;   // texts of scenes and units
constexpr size_t kPathTextBytes = 1023;    // paths and versions
constexpr size_t kItemTitleBytes = 255;
constexpr size_t kItemIdentBytes = 63;
constexpr int32_t kPathBufferSize = 1024;
constexpr int32_t kSceneGroupPathBase = 10000;

CoreServices* CoreOf(ExecFrame& f) noexcept { return f.macro->core; }
HostInterface* HostOf(ExecFrame& f) noexcept { return f.macro->host; }

// A zeroed wide buffer for one host call.
struct WideBuffer {
  explicit WideBuffer(int32_t size) noexcept
      : text(new (std::nothrow) wchar_t[static_cast<size_t>(size)]()), capacity(size) {}
  std::unique_ptr<wchar_t[]> text;
  int32_t capacity;
};

ErrNo TextResult(const wchar_t* wide, size_t maxBytes, Value& result) noexcept {
  std::string text;
  if (!WideToCodePage(wide, text)) return kErrOutOfMemory;
  if (text.size() > maxBytes) text.resize(maxBytes);
  return result.SetOwnedText(text.data(), text.size());
}

// Runs call(buffer, capacity) on a fresh buffer and returns its text.
template <class Call>
ErrNo BufferedText(QorMacro& m, int32_t size, size_t maxBytes, Value& result, Call&& call) noexcept {
  WideBuffer buffer(size);
  if (!buffer.text) return kErrOutOfMemory;
  const int32_t status = CallHost(m, [&] { return call(buffer.text.get(), &buffer.capacity); });
  if (status != 0) return kErrIllegalCall;
  buffer.text[static_cast<size_t>(size) - 1] = L'\0';
  return TextResult(buffer.text.get(), maxBytes, result);
}

// A text argument as wide text.
bool Wide(const Value& v, std::wstring& out) noexcept {
  return CodePageToWide(v.text, static_cast<size_t>(v.count), out);
}

// A channel named by a text argument; 5 when there is none.
ErrNo ChannelArgument(ExecFrame& f, const Value& name, IoModule** channel) noexcept {
  std::wstring wide;
  if (!Wide(name, wide)) return kErrOutOfMemory;
  if (wide.size() > 1023) wide.resize(1023);
  CoreServices* core = CoreOf(f);
  *channel = core != nullptr ? CallHost(*f.macro, [&] { return core->GetIoModule(wide.c_str()); }) : nullptr;
  return *channel != nullptr ? kOk : kErrIllegalCall;
}

// The integer a channel, named by its argument, answers.
template <class Ask>
ErrNo ChannelAnswer(const Value& name, Value& r, ExecFrame& f, Ask&& ask) noexcept {
  IoModule* channel = nullptr;
  if (ErrNo e = ChannelArgument(f, name, &channel); e != kOk) return e;
  r.SetInteger(CallHost(*f.macro, [&] { return ask(*channel); }));
  return kOk;
}

// Unit data by item number or name, into value.
ErrNo UnitValue(Value* args, ExecFrame& f, AnyType& value) noexcept {
  HostInterface* h = HostOf(f);
  if (h == nullptr) return kErrIllegalCall;
  const int32_t unit = args[0].count;
  Value& item = args[1];
  if (item.type == kInteger || item.type == kDouble) {
    int32_t number = item.count;
    if (item.type == kDouble) {
      if (ErrNo e = DoubleToInteger(item.number, &number); e != kOk) return e;
    }
    return CallHost(*f.macro, [&] { return h->GetUnitDataByNo(unit, number, &value); }) == 0 ? kOk : kErrIllegalCall;
  }
  if (!IsTextType(item.type)) return kErrTypeMismatch;
  std::wstring name;
  if (!Wide(item, name)) return kErrOutOfMemory;
  if (name.size() > 1023) name.resize(1023);
  return CallHost(*f.macro, [&] { return h->GetUnitData(unit, name.c_str(), &value); }) == 0 ? kOk
                                                                                          : kErrIllegalCall;
}

// Integer queries of the core services and the host interface; a host
// without the object fails the call.
template <class Object, class Call>
ErrNo ObjectInteger(ExecFrame& f, Object* object, Value& result, Call&& call) noexcept {
  if (object == nullptr) return kErrIllegalCall;
  result.SetInteger(CallHost(*f.macro, [&] { return call(*object); }));
  return kOk;
}

template <class Call>
ErrNo CoreInteger(ExecFrame& f, Value& result, Call&& call) noexcept {
  return ObjectInteger(f, CoreOf(f), result, call);
}

template <class Call>
ErrNo HostInteger(ExecFrame& f, Value& result, Call&& call) noexcept {
  return ObjectInteger(f, HostOf(f), result, call);
}

// Scene texts: core operations taking a number, a buffer and its capacity.
ErrNo SceneText(Value* args, ExecFrame& f, Value& result,
                int32_t (CoreServices::*operation)(int32_t, wchar_t*, int32_t*)) noexcept {
  CoreServices* core = CoreOf(f);
  if (core == nullptr) return kErrIllegalCall;
  return BufferedText(*f.macro, kHostTextCapacity, kHostTextBytes, result, [&](wchar_t* b, int32_t* c) {
    return (core->*operation)(args[0].count, b, c);
  });
}

// Item texts: a plain buffer, cut to the item's byte limit.
ErrNo ItemText(Value* args, ExecFrame& f, Value& result, size_t maxBytes,
               int32_t (CoreServices::*operation)(int32_t, wchar_t*)) noexcept {
  CoreServices* core = CoreOf(f);
  if (core == nullptr) return kErrIllegalCall;
  return BufferedText(*f.macro, kHostTextCapacity, maxBytes, result, [&](wchar_t* b, int32_t*) {
    return (core->*operation)(args[0].count, b);
  });
}

}  // namespace

// ---- scene groups, scenes, items ----

ErrNo FnSceneGroupTitleS(Value* a, Value& r, ExecFrame& f) noexcept {
  return SceneText(a, f, r, &CoreServices::GetSceneGroupTitle);
}
ErrNo FnSceneTitleS(Value* a, Value& r, ExecFrame& f) noexcept {
  return SceneText(a, f, r, &CoreServices::GetSceneTitle);
}
ErrNo FnSceneMakerS(Value* a, Value& r, ExecFrame& f) noexcept {
  return SceneText(a, f, r, &CoreServices::GetSceneMaker);
}
ErrNo FnSceneDescriptionS(Value* a, Value& r, ExecFrame& f) noexcept {
  return SceneText(a, f, r, &CoreServices::GetSceneDescription);
}
ErrNo FnItemTitleS(Value* a, Value& r, ExecFrame& f) noexcept {
  return ItemText(a, f, r, kItemTitleBytes, &CoreServices::GetItemTitle);
}
ErrNo FnItemIdentS(Value* a, Value& r, ExecFrame& f) noexcept {
  return ItemText(a, f, r, kItemIdentBytes, &CoreServices::GetItemIdent);
}
ErrNo FnSceneGroupCount(Value*, Value& r, ExecFrame& f) noexcept {
  return CoreInteger(f, r, [](CoreServices& c) { return c.GetSceneGroupCount(); });
}
ErrNo FnSceneGroupNo(Value*, Value& r, ExecFrame& f) noexcept {
  return CoreInteger(f, r, [](CoreServices& c) { return c.GetSceneGroupNo(); });
}
ErrNo FnSceneCount(Value*, Value& r, ExecFrame& f) noexcept {
  return CoreInteger(f, r, [](CoreServices& c) { return c.GetSceneCount(); });
}
ErrNo FnSceneNo(Value*, Value& r, ExecFrame& f) noexcept {
  return CoreInteger(f, r, [](CoreServices& c) { return c.GetSceneNo(); });
}
ErrNo FnItemCount(Value*, Value& r, ExecFrame& f) noexcept {
  return CoreInteger(f, r, [](CoreServices& c) { return c.GetItemCount(); });
}
ErrNo FnItemInfo(Value* a, Value& r, ExecFrame& f) noexcept {
  return CoreInteger(f, r, [a](CoreServices& c) { return c.GetItemInfo(a[0].count, a[1].count); });
}
ErrNo FnGetMeasureOut(Value*, Value& r, ExecFrame& f) noexcept {
  return CoreInteger(f, r, [](CoreServices& c) { return c.GetMeasureOut(); });
}

// ---- units ----

ErrNo FnCheckUnit(Value* a, Value& r, ExecFrame& f) noexcept {
  return HostInteger(f, r, [a](HostInterface& h) { return h.CheckUnit(a[0].count); });
}
ErrNo FnUnitCount(Value*, Value& r, ExecFrame& f) noexcept {
  return HostInteger(f, r, [](HostInterface& h) { return h.GetUnitCount(); });
}
ErrNo FnUnitInfo(Value* a, Value& r, ExecFrame& f) noexcept {
  return HostInteger(f, r, [a](HostInterface& h) { return h.GetUnitInfo(a[0].count, a[1].count); });
}
ErrNo FnUnitJudge(Value* a, Value& r, ExecFrame& f) noexcept {
  return HostInteger(f, r, [a](HostInterface& h) { return h.GetUnitJudge(a[0].count); });
}
ErrNo FnImageFormat(Value* a, Value& r, ExecFrame& f) noexcept {
  return HostInteger(f, r, [a](HostInterface& h) { return h.GetImageFormat(a[0].count, a[1].count); });
}
ErrNo FnDisplayUnitNo(Value*, Value& r, ExecFrame& f) noexcept {
  return HostInteger(f, r, [](HostInterface& h) { return h.GetDisplayUnitNo(); });
}

ErrNo FnUt(Value* a, Value& r, ExecFrame& f) noexcept {
  std::wstring name;
  if (!Wide(a[0], name)) return kErrOutOfMemory;
  return HostInteger(f, r, [&name](HostInterface& h) { return h.GetUnitNo(name.c_str()); });
}

ErrNo FnUnitData(Value* a, Value& r, ExecFrame& f) noexcept {
  AnyType value;
  if (ErrNo e = UnitValue(a, f, value); e != kOk) return e;
  r.SetDouble(value.GetDoubleValue());
  return kOk;
}

ErrNo FnUnitDataS(Value* a, Value& r, ExecFrame& f) noexcept {
  AnyType value;
  if (ErrNo e = UnitValue(a, f, value); e != kOk) return e;
  return TextResult(value.GetString(), kHostTextBytes, r);
}

ErrNo FnUnitTitleS(Value* a, Value& r, ExecFrame& f) noexcept {
  HostInterface* h = HostOf(f);
  if (h == nullptr) return kErrIllegalCall;
  return BufferedText(*f.macro, kHostTextCapacity, kHostTextBytes, r, [&](wchar_t* b, int32_t* c) {
    return h->GetUnitTitle(a[0].count, b, c);
  });
}

ErrNo FnUnitItemIdentS(Value* a, Value& r, ExecFrame& f) noexcept {
  HostInterface* h = HostOf(f);
  if (h == nullptr) return kErrIllegalCall;
  return BufferedText(*f.macro, kHostTextCapacity, kHostTextBytes, r, [&](wchar_t* b, int32_t*) {
    return h->GetUnitItemIdent(a[0].count, b);
  });
}

// ---- I/O channels ----

ErrNo FnGetAll(Value* a, Value& r, ExecFrame& f) noexcept {
  return ChannelAnswer(a[0], r, f, [](IoModule& c) { return c.GetAll(); });
}

ErrNo FnGetPort(Value* a, Value& r, ExecFrame& f) noexcept {
  return ChannelAnswer(a[0], r, f, [a](IoModule& c) { return c.GetPort(a[1].count); });
}

ErrNo FnGetPollingState(Value* a, Value& r, ExecFrame& f) noexcept {
  return ChannelAnswer(a[0], r, f, [](IoModule& c) { return c.GetPollingState(); });
}

// ---- paths and texts ----

ErrNo FnApplicationVersionS(Value* a, Value& r, ExecFrame& f) noexcept {
  CoreServices* core = CoreOf(f);
  if (core == nullptr) return kErrIllegalCall;
  return BufferedText(*f.macro, kPathBufferSize, kPathTextBytes, r, [&](wchar_t* b, int32_t* c) {
    return core->GetApplicationVersion(a[0].count, b, *c);
  });
}

// 0: the configuration directory; 1 to 4: the controller's directories;
// otherwise the data directory of scene group (argument - 10000).
ErrNo FnApplicationPathS(Value* a, Value& r, ExecFrame& f) noexcept {
  const int32_t which = a[0].count;
  if (which == 0) return TextResult(CallHost(*f.macro, [] { return GetCoreRAPath(); }), kPathTextBytes, r);
  if (which >= 1 && which <= 4) {
    CoreServices* core = CoreOf(f);
    if (core == nullptr) return kErrIllegalCall;
    return BufferedText(*f.macro, kHostTextCapacity, kPathTextBytes, r, [&](wchar_t* b, int32_t*) {
      return core->GetApplicationPath(which - 1, b);
    });
  }
  // Every other number, negative ones too, names a group; the subtraction
  // wraps in 32 bits.
  const auto group =
      static_cast<int32_t>(static_cast<uint32_t>(which) - uint32_t{kSceneGroupPathBase});
  return BufferedText(*f.macro, kPathBufferSize, kPathTextBytes, r, [&](wchar_t* b, int32_t* c) {
    return GetSceneGroupDataPath(group, b, *c);
  });
}

ErrNo FnLanguageStringS(Value* a, Value& r, ExecFrame& f) noexcept {
  std::wstring key;
  if (!Wide(a[0], key)) return kErrOutOfMemory;
  return BufferedText(*f.macro, kHostTextCapacity, kHostTextBytes, r, [&](wchar_t* b, int32_t* c) {
    return GetLanguageString(key.c_str(), b, c, 0);
  });
}

ErrNo FnAbsolutePathS(Value* a, Value& r, ExecFrame& f) noexcept {
  std::wstring path;
  if (!Wide(a[0], path)) return kErrOutOfMemory;
  const HostWindow window(*f.macro);
  const AbsolutePath absolute(path.c_str());
  return TextResult(absolute.GetPath(), kPathTextBytes, r);
}

}  // namespace msc
