// Commands on the controller's named I/O channels: data blocks, strings,
// output signals, PLC memory and PLC data images.
//
// PLC data image: an integer or double array used as plain bytes,
//
//   byte 0 ........................................ N * element size
//        [ offset ][ size bytes of one value ][ ... ]
//
// in which the channel encodes or decodes one value in the PLC's byte order.
// String and variant arrays hold pointers in their elements and are never
// overwritten byte by byte: they give 13.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/token_reader.h"
#include "macro_sc/host.h"
#include "platform/lock.h"
#include "statements/handlers.h"
#include "host/host_operands.h"

namespace msc {
namespace {

using host::ArgumentList;

constexpr int32_t kMaxPlcText = 1023;

// The channel name that every channel command begins with.
ErrNo ChannelName(ArgumentList& args, wchar_t (&name)[host::kShortTextSize]) noexcept {
  return args.Text(name);
}

ErrNo NamedChannel(ArgumentList& args, IoModule** channel) noexcept {
  wchar_t name[host::kShortTextSize];
  if (ErrNo e = ChannelName(args, name); e != kOk) return e;
  return host::ChannelOf(args.frame(), name, channel);
}

// Channel, then one integer, then the channel is looked up.
ErrNo ChannelSignal(ExecFrame& f, int32_t (IoModule::*operation)(int32_t)) noexcept {
  ArgumentList args(f);
  wchar_t name[host::kShortTextSize];
  int32_t value = 0;
  if (ErrNo e = ChannelName(args, name); e != kOk) return e;
  if (ErrNo e = args.Integer(&value); e != kOk) return e;
  IoModule* channel = nullptr;
  if (ErrNo e = host::ChannelOf(f, name, &channel); e != kOk) return e;
  return host::Status((channel->*operation)(value));
}

// An integer array operand and a byte count, read as the block to send.
ErrNo BlockArgument(ArgumentList& args, std::vector<uint8_t>& block, int32_t* size) noexcept {
  args.Next();
  uint8_t* cell = nullptr;
  if (ErrNo e = host::IntegerArrayOperand(args.frame(), &cell); e != kOk) return e;
  if (ErrNo e = args.Integer(size); e != kOk) return e;
  if (*size < 0) return kErrIllegalCall;
  return host::BlockFromArray(args.frame(), cell, static_cast<size_t>(*size), block);
}

// The optional second block of SendData and ReceiveData.
ErrNo SecondBlock(ArgumentList& args, std::vector<uint8_t>& block, const void** data) noexcept {
  *data = nullptr;
  if (!args.MoreFollows()) return kOk;
  int32_t size = 0;
  if (ErrNo e = BlockArgument(args, block, &size); e != kOk) return e;
  *data = block.data();
  return kOk;
}

// The array of a PLC data image, written NAME().
ErrNo ImageOperand(ExecFrame& f, uint8_t** cell) noexcept {
  Token t;
  const int k = ReadToken(f, t);
  const bool array = k == kind::IntArray || k == kind::DblArray || k == kind::StrArray ||
                     k == kind::VariantArray;
  if (!array || ExpectChar(f, '(') != kOk || ExpectChar(f, ')') != kOk) return kErrSyntax;
  if (k != kind::IntArray && k != kind::DblArray) return kErrTypeMismatch;
  *cell = t.cell;
  return kOk;
}

// Where a value of size bytes at offset lies in the image; 5 beyond it.
ErrNo ImageRange(ExecFrame& f, uint8_t* cell, int32_t offset, int64_t size) noexcept {
  platform::LockGuard hold(f.macro->lock);
  uint8_t* data = nullptr;
  size_t bytes = 0;
  if (ErrNo e = host::ArrayBytes(cell, &data, &bytes); e != kOk) return e;
  if (offset < 0 || size < 0 || static_cast<uint64_t>(offset) + static_cast<uint64_t>(size) > bytes) {
    return kErrIllegalCall;
  }
  return kOk;
}

void CopyIntoImage(ExecFrame& f, uint8_t* cell, int32_t offset, const void* bytes, size_t n) noexcept {
  platform::LockGuard hold(f.macro->lock);
  uint8_t* data = nullptr;
  size_t size = 0;
  if (host::ArrayBytes(cell, &data, &size) == kOk && static_cast<size_t>(offset) + n <= size) {
    std::memcpy(data + offset, bytes, n);
  }
}

void CopyFromImage(ExecFrame& f, uint8_t* cell, int32_t offset, void* bytes, size_t n) noexcept {
  platform::LockGuard hold(f.macro->lock);
  uint8_t* data = nullptr;
  size_t size = 0;
  if (host::ArrayBytes(cell, &data, &size) == kOk && static_cast<size_t>(offset) + n <= size) {
    std::memcpy(bytes, data + offset, n);
  }
}

// The image bytes of a text value: size bytes of the text, zero-filled, and a zero.
ErrNo EncodeText(ExecFrame& f, uint8_t* cell, int32_t offset, int32_t size, const Value& v) noexcept {
  const size_t length = static_cast<size_t>(v.count);
  const size_t n = size < 0 ? length : static_cast<size_t>(size);
  if (ErrNo e = ImageRange(f, cell, offset, static_cast<int64_t>(n) + 1); e != kOk) return e;
  std::unique_ptr<char[]> bytes(new (std::nothrow) char[n + 1]());
  if (!bytes) return kErrOutOfMemory;
  std::memcpy(bytes.get(), v.text, length < n ? length : n);
  CopyIntoImage(f, cell, offset, bytes.get(), n + 1);
  return kOk;
}

// The channel encodes into a scratch place, copied into the image under the
// lock, so the channel never holds a pointer into a variable.
ErrNo EncodeNumber(ExecFrame& f, IoModule& channel, uint8_t* cell, int32_t offset, int32_t size,
                   Value& v) noexcept {
  if (size != 2 && size != 4 && size != 8) return kErrIllegalCall;
  if (ErrNo e = ImageRange(f, cell, offset, size); e != kOk) return e;
  alignas(8) uint8_t place[8] = {};
  int32_t status = 0;
  if (size == 8) {
    if (ErrNo e = ToDouble(v); e != kOk) return e;
    status = channel.SetPlcDataReal(place, v.number);
  } else {
    if (ErrNo e = ToInteger(v); e != kOk) return e;
    if (size == 2 && (v.count < -32768 || v.count > 32767)) return kErrOverflow;
    status = size == 2 ? channel.SetPlcData16(place, v.count) : channel.SetPlcData32(place, v.count);
  }
  if (ErrNo e = host::Status(status); e != kOk) return e;
  CopyIntoImage(f, cell, offset, place, static_cast<size_t>(size));
  return kOk;
}

// Reads channel, image array, offset and size: the start of both PLC data commands.
struct PlcDataTarget {
  IoModule* channel = nullptr;
  uint8_t* cell = nullptr;
  int32_t offset = 0;
  int32_t size = 0;
};

ErrNo PlcDataOperands(ArgumentList& args, PlcDataTarget* t) noexcept {
  if (ErrNo e = NamedChannel(args, &t->channel); e != kOk) return e;
  args.Next();
  if (ErrNo e = ImageOperand(args.frame(), &t->cell); e != kOk) return e;
  if (ErrNo e = args.Integer(&t->offset); e != kOk) return e;
  if (ErrNo e = args.Integer(&t->size); e != kOk) return e;
  platform::LockGuard hold(args.frame().macro->lock);
  return ArrayBlock(t->cell) == nullptr ? kErrUndefinedArray : kOk;
}

// Reads channel, area, address, count and A&(): the start of both PLC memory
// commands. The block holds the array's first count words.
struct PlcMemoryTarget {
  IoModule* channel = nullptr;
  int32_t area = 0, address = 0, count = 0;
  uint8_t* cell = nullptr;
  std::vector<uint8_t> block;

  size_t Bytes() const noexcept { return 2 * static_cast<size_t>(count); }
};

ErrNo PlcMemoryOperands(ExecFrame& f, PlcMemoryTarget* t) noexcept {
  ArgumentList args(f);
  if (ErrNo e = NamedChannel(args, &t->channel); e != kOk) return e;
  if (ErrNo e = args.Integer(&t->area); e != kOk) return e;
  if (ErrNo e = args.Integer(&t->address); e != kOk) return e;
  if (ErrNo e = args.Integer(&t->count); e != kOk) return e;
  if (t->count < 0) return kErrIllegalCall;
  args.Next();
  if (ErrNo e = host::IntegerArrayOperand(f, &t->cell); e != kOk) return e;
  return host::BlockFromArray(f, t->cell, t->Bytes(), t->block);
}

// RunOut and ErrorOut: a number goes to the controller's own signal (its
// status does not matter), a channel name and a value to the channel's.
ErrNo SignalOut(ExecFrame& f, int32_t (CoreServices::*own)(int32_t),
                int32_t (IoModule::*ofChannel)(int32_t)) noexcept {
  ArgumentList args(f);
  Value first;
  if (ErrNo e = args.Any(first); e != kOk) return e;
  host::Selector selector;
  if (ErrNo e = host::ToSelector(first, &selector); e != kOk) return e;
  if (!selector.byName) {
    CoreServices* core = nullptr;
    if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
    (void)(core->*own)(selector.number);
    return kOk;
  }
  int32_t value = 0;
  if (ErrNo e = args.Integer(&value); e != kOk) return e;
  IoModule* channel = nullptr;
  if (ErrNo e = host::ChannelOf(f, selector.name, &channel); e != kOk) return e;
  return host::Status((channel->*ofChannel)(value));
}

}  // namespace

// SendData channel, A&(), size [, B&(), size2]
ErrNo StmtSendData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  IoModule* channel = nullptr;
  if (ErrNo e = NamedChannel(args, &channel); e != kOk) return e;
  std::vector<uint8_t> block, second;
  int32_t size = 0;
  if (ErrNo e = BlockArgument(args, block, &size); e != kOk) return e;
  const void* extra = nullptr;
  if (ErrNo e = SecondBlock(args, second, &extra); e != kOk) return e;
  return host::Status(channel->SendData(block.data(), size, extra));
}

// ReceiveData channel, A&(), capacity, received [, B&(), size2]: a failed
// receive counts as nothing received.
ErrNo StmtReceiveData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  IoModule* channel = nullptr;
  if (ErrNo e = NamedChannel(args, &channel); e != kOk) return e;
  args.Next();
  uint8_t* cell = nullptr;
  if (ErrNo e = host::IntegerArrayOperand(f, &cell); e != kOk) return e;
  int32_t capacity = 0;
  if (ErrNo e = args.Integer(&capacity); e != kOk) return e;
  if (capacity < 0) return kErrIllegalCall;
  std::vector<uint8_t> block;
  // The array must be able to take a full block before anything is received.
  if (ErrNo e = host::BlockFromArray(f, cell, static_cast<size_t>(capacity), block); e != kOk) return e;
  std::fill(block.begin(), block.end(), 0);
  args.Next();
  host::OutputPlace received;
  if (ErrNo e = host::ParseOutput(f, &received); e != kOk) return e;
  std::vector<uint8_t> second;
  const void* extra = nullptr;
  if (ErrNo e = SecondBlock(args, second, &extra); e != kOk) return e;
  int32_t count = 0;
  if (channel->ReceiveData(block.data(), capacity, &count, extra) != 0) count = 0;
  if (count < 0) count = 0;
  if (count > capacity) count = capacity;
  // Whole elements of the zeroed block go back.
  const size_t whole = (static_cast<size_t>(count) + 3) / 4 * 4;
  if (ErrNo e = host::BlockToArray(f, cell, block.data(), whole); e != kOk) return e;
  Value v;
  v.SetInteger(count);
  return host::StoreAt(f, received, v);
}

// SendString channel, text: the text as it is, at most 255 bytes.
ErrNo StmtSendString(ExecFrame& f) noexcept {
  ArgumentList args(f);
  wchar_t name[host::kShortTextSize];
  if (ErrNo e = ChannelName(args, name); e != kOk) return e;
  args.Next();
  char text[kTextArgumentSize];
  if (ErrNo e = TextArgument(f, text); e != kOk) return e;
  IoModule* channel = nullptr;
  if (ErrNo e = host::ChannelOf(f, name, &channel); e != kOk) return e;
  return host::Status(channel->SendString(text));
}

ErrNo StmtPutAll(ExecFrame& f) noexcept { return ChannelSignal(f, &IoModule::PutAll); }
ErrNo StmtJudgeOut(ExecFrame& f) noexcept { return ChannelSignal(f, &IoModule::JudgeOut); }
ErrNo StmtBusyOut(ExecFrame& f) noexcept { return ChannelSignal(f, &IoModule::BusyOut); }
ErrNo StmtSetPollingState(ExecFrame& f) noexcept { return ChannelSignal(f, &IoModule::SetPollingState); }

ErrNo StmtPutPort(ExecFrame& f) noexcept {
  ArgumentList args(f);
  wchar_t name[host::kShortTextSize];
  int32_t port = 0, value = 0;
  if (ErrNo e = ChannelName(args, name); e != kOk) return e;
  if (ErrNo e = args.Integer(&port); e != kOk) return e;
  if (ErrNo e = args.Integer(&value); e != kOk) return e;
  IoModule* channel = nullptr;
  if (ErrNo e = host::ChannelOf(f, name, &channel); e != kOk) return e;
  return host::Status(channel->PutPort(port, value));
}

ErrNo StmtRunOut(ExecFrame& f) noexcept { return SignalOut(f, &CoreServices::RunOut, &IoModule::RunOut); }
ErrNo StmtErrorOut(ExecFrame& f) noexcept {
  return SignalOut(f, &CoreServices::ErrorOut, &IoModule::ErrorOut);
}

// WritePlcMemory channel, area, address, count, A&(): count 16-bit words,
// two to an element, the lower word first.
ErrNo StmtWritePlcMemory(ExecFrame& f) noexcept {
  PlcMemoryTarget t;
  if (ErrNo e = PlcMemoryOperands(f, &t); e != kOk) return e;
  return host::Status(t.channel->WritePlcMemory(t.area, t.address, t.count, t.block.data()));
}

ErrNo StmtReadPlcMemory(ExecFrame& f) noexcept {
  PlcMemoryTarget t;
  if (ErrNo e = PlcMemoryOperands(f, &t); e != kOk) return e;
  std::fill(t.block.begin(), t.block.end(), 0);
  if (ErrNo e = host::Status(t.channel->ReadPlcMemory(t.area, t.address, t.count, t.block.data()));
      e != kOk) {
    return e;
  }
  return host::BlockToArray(f, t.cell, t.block.data(), t.Bytes());
}

// SetPlcData channel, A(), offset, size, value
ErrNo StmtSetPlcData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  PlcDataTarget t;
  if (ErrNo e = PlcDataOperands(args, &t); e != kOk) return e;
  Value v;
  if (ErrNo e = args.Any(v); e != kOk) return e;
  if (IsTextType(v.type)) return EncodeText(f, t.cell, t.offset, t.size, v);
  if (!IsNumericType(v.type)) return kErrTypeMismatch;
  return EncodeNumber(f, *t.channel, t.cell, t.offset, t.size, v);
}

// GetPlcData channel, A(), offset, size, variable: a string variable takes
// the bytes as text (up to the first zero), a number variable the value the
// channel decodes.
ErrNo StmtGetPlcData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  PlcDataTarget t;
  if (ErrNo e = PlcDataOperands(args, &t); e != kOk) return e;
  args.Next();
  host::OutputPlace target;
  if (ErrNo e = host::ParseOutput(f, &target); e != kOk) return e;
  const uint8_t kindTag = target.cell[0];
  Value v;
  if (kindTag == kTagString || kindTag == kTagStringArray) {
    int64_t size = t.size;
    if (size < 0) {
      platform::LockGuard hold(f.macro->lock);
      uint8_t* data = nullptr;
      size_t bytes = 0;
      if (ErrNo e = host::ArrayBytes(t.cell, &data, &bytes); e != kOk) return e;
      size = t.offset >= 0 && static_cast<size_t>(t.offset) <= bytes
                 ? static_cast<int64_t>(bytes) - t.offset : -1;
    }
    if (size > kMaxPlcText) return kErrIllegalCall;
    if (ErrNo e = ImageRange(f, t.cell, t.offset, size); e != kOk) return e;
    char text[kMaxPlcText + 1] = {};  // one more byte, so the text always ends
    CopyFromImage(f, t.cell, t.offset, text, static_cast<size_t>(size));
    if (ErrNo e = v.SetOwnedText(text, std::strlen(text)); e != kOk) return e;
    return host::StoreAt(f, target, v);
  }
  const bool integer = kindTag == kTagInteger || kindTag == kTagIntegerArray;
  if (!integer && kindTag != kTagDouble && kindTag != kTagDoubleArray) return kErrIllegalCall;
  if (t.size != 2 && t.size != 4 && t.size != 8) return kErrIllegalCall;
  if (ErrNo e = ImageRange(f, t.cell, t.offset, t.size); e != kOk) return e;
  alignas(8) uint8_t place[8] = {};
  CopyFromImage(f, t.cell, t.offset, place, static_cast<size_t>(t.size));
  if (t.size == 8) {
    const double d = t.channel->GetPlcDataReal(place);
    if (integer) {
      int32_t rounded = 0;
      if (ErrNo e = DoubleToInteger(d, &rounded); e != kOk) return e;
      v.SetInteger(rounded);
    } else {
      v.SetDouble(d);
    }
  } else {
    v.SetInteger(t.size == 2 ? int32_t{t.channel->GetPlcData16(place)} : t.channel->GetPlcData32(place));
  }
  return host::StoreAt(f, target, v);
}

}  // namespace msc
