// Scene groups, scenes and processing units: the commands that switch and
// edit them, unit data in both directions and unit figures.
//
// Figure block (the controller's drawing of a unit's figure):
//
//   +0 u16 length L in bytes, the two length bytes included
//   +2     L - 2 bytes the controller defines
//
// In a program it travels in an integer array written NAME&(), four bytes
// per element, little-endian (element 0 holds L in its low 16 bits), or in a
// variant variable holding the block as bytes.
#include <cstring>
#include <vector>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/token_reader.h"
#include "macro_sc/host.h"
#include "platform/lock.h"
#include "statements/handlers.h"
#include "host/host_call.h"
#include "host/host_operands.h"
#include "variables/host_value.h"

namespace msc {
namespace {

using host::ArgumentList;
using host::Command;
using host::Selector;
using host::TextForm;

// The unit number and the item selector that the unit-data commands begin with.
ErrNo UnitAndItem(ArgumentList& args, int32_t* unit, Selector* item) noexcept {
  if (ErrNo e = args.Integer(unit); e != kOk) return e;
  Value v;
  if (ErrNo e = args.Any(v); e != kOk) return e;
  return host::ToSelector(v, item);
}

ErrNo ReadUnitData(HostInterface& h, int32_t unit, const Selector& item, AnyType& out) noexcept {
  return host::Status(item.byName ? h.GetUnitData(unit, item.name, &out)
                                  : h.GetUnitDataByNo(unit, item.number, &out));
}

// Figure length: the first 16-bit word of the block.
size_t FigureLength(const uint8_t* block) noexcept { return LoadU16(block); }

// The figure block a carrier holds: an integer array NAME&() or a variant
// variable with bytes; 13 for any other carrier.
ErrNo FigureFromCarrier(ExecFrame& f, std::vector<uint8_t>& block) noexcept {
  Token t;
  const int k = ReadToken(f, t);
  if (k == kind::IntArray) {
    if (ExpectChar(f, '(') != kOk || ExpectChar(f, ')') != kOk) return kErrSyntax;
    if (ErrNo e = host::BlockFromArray(f, t.cell, 4, block); e != kOk) return e;
    const size_t length = FigureLength(block.data());
    // Element 0 always goes, so the block holds at least its length word.
    return host::BlockFromArray(f, t.cell, length < 4 ? 4 : length, block);
  }
  if (k != kind::VariantVar) return kErrTypeMismatch;
  Value v;
  {
    platform::LockGuard hold(f.macro->lock);
    if (ErrNo e = ReadScalar(*f.macro, t.cell, v); e != kOk) return e;
    if (ErrNo e = host::KeepContent(v); e != kOk) return e;
  }
  if (v.type != kBytes) return kErrTypeMismatch;
  const auto* bytes = reinterpret_cast<const uint8_t*>(v.text);
  const size_t count = static_cast<size_t>(v.count);
  if (count < 2 || count < FigureLength(bytes)) return kErrIllegalCall;
  try {
    block.assign(bytes, bytes + count);
  } catch (...) {
    return kErrOutOfMemory;
  }
  return kOk;
}

// Writes a figure the controller returned into the carrier named next.
ErrNo FigureToCarrier(ExecFrame& f, const uint8_t* buffer) noexcept {
  size_t length = FigureLength(buffer);
  if (length > static_cast<size_t>(kUnitFigureCapacity)) length = kUnitFigureCapacity;
  Token t;
  const int k = ReadToken(f, t);
  if (k == kind::IntArray) {
    if (ExpectChar(f, '(') != kOk || ExpectChar(f, ')') != kOk) return kErrSyntax;
    // Whole words of the buffer, the bytes after the figure included.
    return host::BlockToArray(f, t.cell, buffer, (length + 3) / 4 * 4);
  }
  if (k != kind::VariantVar) return kErrTypeMismatch;
  Value v;
  if (ErrNo e = v.SetBytes(buffer, length); e != kOk) return e;
  platform::LockGuard hold(f.macro->lock);
  return WriteScalar(*f.macro, t.cell, v);
}

}  // namespace

// ---- scene groups and scenes ----

ErrNo StmtChangeSceneGroup(ExecFrame& f) noexcept { return Command(f, &CoreServices::ChangeSceneGroup); }
ErrNo StmtClearSceneGroup(ExecFrame& f) noexcept { return Command(f, &CoreServices::ClearSceneGroup); }
ErrNo StmtCopySceneGroup(ExecFrame& f) noexcept { return Command(f, &CoreServices::CopySceneGroup); }
ErrNo StmtSetSceneGroupTitle(ExecFrame& f) noexcept {
  return Command<TextForm::kLong>(f, &CoreServices::SetSceneGroupTitle);
}
ErrNo StmtChangeScene(ExecFrame& f) noexcept { return Command(f, &CoreServices::ChangeScene); }
ErrNo StmtClearScene(ExecFrame& f) noexcept { return Command(f, &CoreServices::ClearScene); }
ErrNo StmtCopyScene(ExecFrame& f) noexcept { return Command(f, &CoreServices::CopyScene); }
ErrNo StmtSetSceneTitle(ExecFrame& f) noexcept {
  return Command<TextForm::kLong>(f, &CoreServices::SetSceneTitle);
}
ErrNo StmtSetSceneMaker(ExecFrame& f) noexcept {
  return Command<TextForm::kLong>(f, &CoreServices::SetSceneMaker);
}
ErrNo StmtSetSceneDescription(ExecFrame& f) noexcept {
  return Command<TextForm::kLong>(f, &CoreServices::SetSceneDescription);
}

// ---- units ----

ErrNo StmtAssignUnit(ExecFrame& f) noexcept { return Command(f, &HostInterface::AssignUnit); }
ErrNo StmtInsertUnit(ExecFrame& f) noexcept { return Command(f, &HostInterface::InsertUnit); }
ErrNo StmtDeleteUnit(ExecFrame& f) noexcept { return Command(f, &HostInterface::DeleteUnit); }
ErrNo StmtMoveUnit(ExecFrame& f) noexcept { return Command(f, &HostInterface::MoveUnit); }
ErrNo StmtSetUnitTitle(ExecFrame& f) noexcept {
  return Command<TextForm::kLong>(f, &HostInterface::SetUnitTitle);
}
ErrNo StmtCopyUnitFigure(ExecFrame& f) noexcept { return Command(f, &CoreServices::CopyUnitFigure); }
ErrNo StmtCopyUnitModel(ExecFrame& f) noexcept { return Command(f, &CoreServices::CopyUnitModel); }

// CopyUnit a, b, c [, d]: four numbers with a not negative go to the four-
// number operation; otherwise the last three go to the three-number one.
// Fewer than three numbers is a syntax error.
ErrNo StmtCopyUnit(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t n[4] = {};
  int count = 0;
  if (ErrNo e = args.Integer(&n[count++]); e != kOk) return e;
  for (; count < 3; ++count) {
    args.Next();
    if (host::AtArgumentsEnd(f)) return kErrSyntax;
    if (ErrNo e = IntegerArgument(f, &n[count]); e != kOk) return e;
  }
  if (args.MoreFollows()) {
    if (ErrNo e = args.Integer(&n[count++]); e != kOk) return e;
  }
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  if (count == 4 && n[0] >= 0) return host::Status(h->CopyUnitEx(n[0], n[1], n[2], n[3]));
  const int32_t* last = count == 4 ? n + 1 : n;
  return host::Status(h->CopyUnit(last[0], last[1], last[2]));
}

// SetUnitData unit, item, value | NAME() — a whole one-dimensional array goes
// over as a list of its elements.
ErrNo StmtSetUnitData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t unit = 0;
  Selector item;
  if (ErrNo e = UnitAndItem(args, &unit, &item); e != kOk) return e;
  AnyType value;
  args.Next();
  uint8_t* array = nullptr;
  if (host::PeekWholeArray(f, &array)) {
    if (ErrNo e = host::ListFromArray(f, array, value); e != kOk) return e;
  } else {
    Value v;
    if (ErrNo e = host::EvaluateKept(f, v); e != kOk) return e;
    if (ErrNo e = ValueToHost(v, value); e != kOk) return e;
  }
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  return host::Status(item.byName ? h->SetUnitData(unit, item.name, &value)
                                  : h->SetUnitDataByNo(unit, item.number, &value));
}

// GetUnitData unit, item, variable | NAME() — an array is re-dimensioned to
// the entries of the list the controller returns.
ErrNo StmtGetUnitData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t unit = 0;
  Selector item;
  if (ErrNo e = UnitAndItem(args, &unit, &item); e != kOk) return e;
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  AnyType value;
  if (ErrNo e = ReadUnitData(*h, unit, item, value); e != kOk) return e;
  args.Next();
  uint8_t* array = nullptr;
  if (host::PeekWholeArray(f, &array)) return host::FillArrayFromList(f, array, value, value.GetCount());
  return host::StoreHostResult(f, value);
}

// SetUnitFigure unit, figure, carrier
ErrNo StmtSetUnitFigure(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t unit = 0, figure = 0;
  if (ErrNo e = args.Integer(&unit); e != kOk) return e;
  if (ErrNo e = args.Integer(&figure); e != kOk) return e;
  args.Next();
  std::vector<uint8_t> block;
  if (ErrNo e = FigureFromCarrier(f, block); e != kOk) return e;
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  return host::Status(h->SetUnitFigure(unit, figure, block.data()));
}

// GetUnitFigure unit, figure, carrier
ErrNo StmtGetUnitFigure(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t unit = 0, figure = 0;
  if (ErrNo e = args.Integer(&unit); e != kOk) return e;
  if (ErrNo e = args.Integer(&figure); e != kOk) return e;
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  std::vector<uint8_t> buffer;
  try {
    buffer.assign(static_cast<size_t>(kUnitFigureCapacity), 0);
  } catch (...) {
    return kErrOutOfMemory;
  }
  int32_t place = 0;  // the controller's own number; not used
  if (ErrNo e = host::Status(h->GetUnitFigure(unit, figure, &place, buffer.data())); e != kOk) {
    return e;
  }
  args.Next();
  return FigureToCarrier(f, buffer.data());
}

// SetForegroundLine line
ErrNo StmtSetForegroundLine(ExecFrame& f) noexcept {
  int32_t line = 0;
  if (ErrNo e = IntegerArgument(f, &line); e != kOk) return e;
  return host::Status(SetCurrentCoreRA(line));
}

}  // namespace msc
