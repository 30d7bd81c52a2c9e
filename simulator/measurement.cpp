// Measuring: each measurement of a unit takes its next scripted result, and
// clearing puts the measured items back as they were made.
#include <string>

#include "macro_sc/host.h"
#include "model.h"
#include "model_objects.h"

namespace msc::sim {

void Controller::Measure(Unit& unit) {
  if (unit.results.empty()) {
    unit.data[kJudgeItem].SetData(int32_t{1});  // JUDGE_OK
  } else {
    for (const auto& [name, value] : unit.results[unit.measured % unit.results.size()])
      unit.data[name] = value;
  }
  ++unit.measured;
}

void Controller::ClearMeasurement(Unit& unit) {
  auto restore = [&unit](const std::wstring& name) {
    const auto it = unit.initial.find(name);
    if (it != unit.initial.end())
      unit.data[name] = it->second;
    else
      unit.data.erase(name);
  };
  for (const DataItems& result : unit.results)
    for (const auto& entry : result) restore(entry.first);
  unit.data[kJudgeItem].SetData(int32_t{0});  // JUDGE_NC
}

int32_t ModelContinuousMeasure(int32_t on) {
  std::lock_guard<std::mutex> guard(ControllerMutex());
  TheController().continuous = on != 0;
  return 0;
}

}  // namespace msc::sim

namespace msc::sim::model {

namespace {

int32_t MeasureScene() {
  Lock guard(ControllerMutex());
  for (Unit& unit : TheController().CurrentScene().units) Controller::Measure(unit);
  return 0;
}

}  // namespace

int32_t SimCore::MeasureProc(int32_t unit) {
  return WithUnit(unit, [](Unit& u) {
    Controller::Measure(u);
    return 0;
  });
}

int32_t SimCore::MeasureStart() { return SetField(&Controller::measuring, true); }

int32_t SimCore::MeasureStop(int32_t) { return SetField(&Controller::measuring, false); }

int32_t SimCore::Measure(int32_t) { return MeasureScene(); }

int32_t SimCore::RemeasureByName(const wchar_t* name, int32_t) {
  return name != nullptr ? MeasureScene() : kFailed;
}

int32_t SimCore::Remeasure(int32_t, int32_t) { return MeasureScene(); }

int32_t SimCore::TestMeasure(int32_t mode, int32_t, const wchar_t*, int32_t, int32_t, int32_t) {
  return mode >= 0 && mode <= 2 ? MeasureScene() : kFailed;
}

int32_t SimCore::ImageUpdate() { return 0; }

int32_t SimCore::SetMeasureOut(int32_t value) { return SetField(&Controller::measureOut, value); }

int32_t SimCore::GetMeasureOut() { return GetField(&Controller::measureOut); }

// A unit that is not there, or has no judgement, judges 0.
int32_t SimHost::GetUnitJudge(int32_t unit) {
  return WithUnit(
      unit,
      [](Unit& u) {
        const auto it = u.data.find(kJudgeItem);
        return it != u.data.end() ? it->second.GetIntValue() : 0;
      },
      0);
}

int32_t SimHost::ClearMeasureData(int32_t unit) {
  return WithUnit(unit, [](Unit& u) {
    Controller::ClearMeasurement(u);
    return 0;
  });
}

int32_t SimHost::ClearAllMeasureData(int32_t) {
  Lock guard(ControllerMutex());
  for (Unit& u : TheController().CurrentScene().units) Controller::ClearMeasurement(u);
  return 0;
}

}  // namespace msc::sim::model
