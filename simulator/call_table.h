// The calls the front passes on, by object and slot: the names the trace
// writes and faults match.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

namespace msc::sim::front {

enum To : int { kHost, kCore, kIo, kLib };
inline constexpr const char* kToNames[] = {"host", "core", "io", "lib"};

struct CallInfo {
  To to;
  int slot;
  std::string_view name;
};

// Every call the front passes on, by object and slot.
inline constexpr CallInfo kCalls[] = {
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

}  // namespace msc::sim::front
