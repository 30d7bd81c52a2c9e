// Measurement, images and the operator's display windows.
#include <cstdint>

#include "api/qor_macro.h"
#include "engine/evaluator.h"
#include "frontend/token_reader.h"
#include "macro_sc/host.h"
#include "statements/handlers.h"
#include "host/host_call.h"
#include "host/host_files.h"
#include "host/host_operands.h"

namespace msc {
namespace {

using host::ArgumentList;
using host::Command;

// An optional first argument with its default.
ErrNo OptionalInteger(ArgumentList& args, int32_t fallback, int32_t* out) noexcept {
  *out = fallback;
  return args.FirstFollows() ? args.Integer(out) : kOk;
}

// Calls a core operation that takes one optional number.
ErrNo OptionalCoreCommand(ExecFrame& f, int32_t fallback,
                          int32_t (CoreServices::*operation)(int32_t)) noexcept {
  ArgumentList args(f);
  int32_t value = 0;
  if (ErrNo e = OptionalInteger(args, fallback, &value); e != kOk) return e;
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  return host::Status((core->*operation)(value));
}

// The judgement and time windows are window 0 of their kind.
ErrNo FirstWindowCommand(ExecFrame& f, int32_t (CoreServices::*operation)(int32_t, int32_t,
                                                                          int32_t, int32_t)) noexcept {
  ArgumentList args(f);
  int32_t v[3] = {};
  for (int32_t& value : v) {
    if (ErrNo e = args.Integer(&value); e != kOk) return e;
  }
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  return host::Status((core->*operation)(0, v[0], v[1], v[2]));
}

// Stores integer outputs into the variables that follow, in order.
ErrNo StoreIntegers(ArgumentList& args, const int32_t* values, int count) noexcept {
  for (int i = 0; i < count; ++i) {
    args.Next();
    if (ErrNo e = host::StoreInteger(args.frame(), values[i]); e != kOk) return e;
  }
  return kOk;
}

}  // namespace

ErrNo StmtMeasureStart(ExecFrame& f) noexcept { return Command(f, &CoreServices::MeasureStart); }
ErrNo StmtMeasureStop(ExecFrame& f) noexcept {
  return OptionalCoreCommand(f, 0, &CoreServices::MeasureStop);
}
ErrNo StmtMeasure(ExecFrame& f) noexcept { return OptionalCoreCommand(f, 0, &CoreServices::Measure); }
ErrNo StmtImageUpdate(ExecFrame& f) noexcept { return Command(f, &CoreServices::ImageUpdate); }
ErrNo StmtSetMeasureOut(ExecFrame& f) noexcept { return Command(f, &CoreServices::SetMeasureOut); }
ErrNo StmtSaveImage(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::SaveImage, O_WRONLY | O_CREAT);
}
ErrNo StmtScreenCapture(ExecFrame& f) noexcept {
  return host::FileCommand(f, &CoreServices::ScreenCapture, O_WRONLY | O_CREAT);
}

// Remeasure target [, value]: a text names the measurement, a number counts it.
ErrNo StmtRemeasure(ExecFrame& f) noexcept {
  ArgumentList args(f);
  Value v;
  if (ErrNo e = args.Any(v); e != kOk) return e;
  host::Selector target;
  if (ErrNo e = host::ToSelector(v, &target); e != kOk) return e;
  int32_t value = 0;
  if (args.MoreFollows()) {
    if (ErrNo e = args.Integer(&value); e != kOk) return e;
  }
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  return host::Status(target.byName ? core->RemeasureByName(target.name, value)
                                    : core->Remeasure(target.number, value));
}

// TestMeasure [target]: mode 0 without a target, 1 with a number, 2 with a name.
ErrNo StmtTestMeasure(ExecFrame& f) noexcept {
  ArgumentList args(f);
  host::Selector target;
  int32_t mode = 0;
  target.number = -1;
  if (args.FirstFollows()) {
    Value v;
    if (ErrNo e = args.Any(v); e != kOk) return e;
    if (ErrNo e = host::ToSelector(v, &target); e != kOk) return e;
    mode = target.byName ? 2 : 1;
    if (target.byName) target.number = -1;
  }
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  return host::Status(core->TestMeasure(mode, target.number, target.name, 1, 0, 0));
}

ErrNo StmtContinuousMeasure(ExecFrame& f) noexcept {
  int32_t on = 0;
  if (ErrNo e = IntegerArgument(f, &on); e != kOk) return e;
  return host::Status(ContinuousMeasure(on));
}

// MeasureProc unit: the controller's answer does not matter.
ErrNo StmtMeasureProc(ExecFrame& f) noexcept {
  int32_t unit = 0;
  if (ErrNo e = IntegerArgument(f, &unit); e != kOk) return e;
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  (void)core->MeasureProc(unit);
  return kOk;
}

// ClearMeasureData [unit]: one unit, or every unit for a negative number.
ErrNo StmtClearMeasureData(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t unit = 0;
  if (ErrNo e = OptionalInteger(args, -1, &unit); e != kOk) return e;
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  return host::Status(unit >= 0 ? h->ClearMeasureData(unit) : h->ClearAllMeasureData(unit));
}

// ---- windows ----

ErrNo StmtSetImageWindow(ExecFrame& f) noexcept { return Command(f, &HostInterface::SetImageWindow); }

// GetImageWindow window, v1, ... v11: the seventh value is a real.
ErrNo StmtGetImageWindow(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t window = 0;
  if (ErrNo e = args.Integer(&window); e != kOk) return e;
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  int32_t i[10] = {};
  double real = 0.0;
  if (ErrNo e = host::Status(h->GetImageWindow(window, &i[0], &i[1], &i[2], &i[3], &i[4], &i[5],
                                               &real, &i[6], &i[7], &i[8], &i[9]));
      e != kOk) {
    return e;
  }
  if (ErrNo e = StoreIntegers(args, i, 6); e != kOk) return e;
  args.Next();
  if (ErrNo e = host::StoreDouble(f, real); e != kOk) return e;
  return StoreIntegers(args, i + 6, 4);
}

ErrNo StmtRefreshImageWindow(ExecFrame& f) noexcept {
  CoreServices* core = nullptr;
  if (ErrNo e = host::CoreOf(f, &core); e != kOk) return e;
  return host::Status(core->RefreshImageWindow(0));
}

ErrNo StmtSetTextWindow(ExecFrame& f) noexcept { return Command(f, &HostInterface::SetTextWindow); }

ErrNo StmtGetTextWindow(ExecFrame& f) noexcept {
  ArgumentList args(f);
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  int32_t v[4] = {};
  if (ErrNo e = host::Status(h->GetTextWindow(&v[0], &v[1], &v[2], &v[3])); e != kOk) return e;
  return StoreIntegers(args, v, 4);
}

ErrNo StmtRefreshTextWindow(ExecFrame& f) noexcept { return Command(f, &CoreServices::RefreshTextWindow); }
ErrNo StmtSetJudgeWindow(ExecFrame& f) noexcept {
  return FirstWindowCommand(f, &CoreServices::SetJudgeWindow);
}
ErrNo StmtRefreshJudgeWindow(ExecFrame& f) noexcept {
  return Command(f, &CoreServices::RefreshJudgeWindow);
}
ErrNo StmtSetTimeWindow(ExecFrame& f) noexcept { return FirstWindowCommand(f, &CoreServices::SetTimeWindow); }
ErrNo StmtRefreshTimeWindow(ExecFrame& f) noexcept { return Command(f, &CoreServices::RefreshTimeWindow); }
ErrNo StmtSetDisplayUnitNo(ExecFrame& f) noexcept { return Command(f, &HostInterface::SetDisplayUnitNo); }

// GetImageSize a, b, width, height
ErrNo StmtGetImageSize(ExecFrame& f) noexcept {
  ArgumentList args(f);
  int32_t a = 0, b = 0;
  if (ErrNo e = args.Integer(&a); e != kOk) return e;
  if (ErrNo e = args.Integer(&b); e != kOk) return e;
  HostInterface* h = nullptr;
  if (ErrNo e = host::HostOf(f, &h); e != kOk) return e;
  int32_t size[2] = {};
  if (ErrNo e = host::Status(h->GetImageSize(a, b, &size[0], &size[1])); e != kOk) return e;
  return StoreIntegers(args, size, 2);
}

}  // namespace msc
