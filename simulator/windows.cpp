// Display settings: the image, text, judgement and time windows, the unit on
// display and the camera image's size. Refreshing draws nothing here.
#include <array>
#include <cstddef>
#include <cstdint>

#include "macro_sc/host.h"
#include "model.h"
#include "model_objects.h"

namespace msc::sim::model {

namespace {

// The judgement and the time window: the controller has only window 0 of each.
int32_t SetThreeSettings(std::array<int32_t, 3> Controller::*settings, int32_t window, int32_t a1,
                         int32_t a2, int32_t a3) {
  if (window != 0) return kFailed;
  return SetField(settings, std::array<int32_t, 3>{a1, a2, a3});
}

}  // namespace

int32_t SimCore::RefreshImageWindow(int32_t) { return 0; }

int32_t SimCore::RefreshTextWindow() { return 0; }

int32_t SimCore::SetJudgeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) {
  return SetThreeSettings(&Controller::judgeWindow, window, a1, a2, a3);
}

int32_t SimCore::RefreshJudgeWindow() { return 0; }

int32_t SimCore::SetTimeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) {
  return SetThreeSettings(&Controller::timeWindow, window, a1, a2, a3);
}

int32_t SimCore::RefreshTimeWindow() { return 0; }

int32_t SimHost::GetImageFormat(int32_t, int32_t) { return GetField(&Controller::imageFormat); }

int32_t SimHost::GetImageSize(int32_t, int32_t, int32_t* width, int32_t* height) {
  Lock guard(ControllerMutex());
  if (width == nullptr || height == nullptr) return kFailed;
  *width = TheController().imageWidth;
  *height = TheController().imageHeight;
  return 0;
}

int32_t SimHost::SetImageWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3, int32_t a4,
                                int32_t a5, int32_t a6, double a7, int32_t a8, int32_t a9,
                                int32_t a10, int32_t a11) {
  if (window < 0) return kFailed;
  Lock guard(ControllerMutex());
  TheController().imageWindows[window] =
      ImageWindow{{a1, a2, a3, a4, a5, a6, a8, a9, a10, a11}, a7};
  return 0;
}

int32_t SimHost::GetImageWindow(int32_t window, int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4,
                                int32_t* a5, int32_t* a6, double* a7, int32_t* a8, int32_t* a9,
                                int32_t* a10, int32_t* a11) {
  if (window < 0) return kFailed;
  Lock guard(ControllerMutex());
  const auto& windows = TheController().imageWindows;
  const auto it = windows.find(window);
  const ImageWindow w = it != windows.end() ? it->second : ImageWindow{};
  int32_t* integers[] = {a1, a2, a3, a4, a5, a6, a8, a9, a10, a11};
  for (size_t i = 0; i < w.integers.size(); ++i)
    if (integers[i] != nullptr) *integers[i] = w.integers[i];
  if (a7 != nullptr) *a7 = w.real;
  return 0;
}

int32_t SimHost::SetTextWindow(int32_t a1, int32_t a2, int32_t a3, int32_t a4) {
  Lock guard(ControllerMutex());
  TheController().textWindow = {a1, a2, a3, a4};
  return 0;
}

int32_t SimHost::GetTextWindow(int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4) {
  Lock guard(ControllerMutex());
  const auto& w = TheController().textWindow;
  int32_t* places[] = {a1, a2, a3, a4};
  for (size_t i = 0; i < w.size(); ++i)
    if (places[i] != nullptr) *places[i] = w[i];
  return 0;
}

int32_t SimHost::SetDisplayUnitNo(int32_t unit) { return SetField(&Controller::displayUnit, unit); }

int32_t SimHost::GetDisplayUnitNo() { return GetField(&Controller::displayUnit); }

}  // namespace msc::sim::model
