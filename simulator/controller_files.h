// The controller's data files: system data, scene groups, scenes, units and
// the whole backup, saved and loaded as JSON (see json_values.h for values),
// and the images SaveImage and ScreenCapture write. The caller holds the
// controller's lock. Each function is false when the file cannot be written
// or read, or holds something else than what is asked for; a failed load
// changes nothing.
//
// File names are the controller's: "\" separates directories like "/", and
// a name without a directory is in the configuration directory.
#pragma once

#include <cstdint>

#include "json_values.h"
#include "model.h"

namespace msc::sim::files {

bool SaveSystem(const Controller& c, const wchar_t* file);
bool LoadSystem(Controller& c, const wchar_t* file);
bool SaveGroup(Controller& c, int32_t group, const wchar_t* file);
bool LoadGroup(Controller& c, int32_t group, const wchar_t* file);
// A scene of the current group.
bool SaveScene(Controller& c, int32_t scene, const wchar_t* file);
bool LoadScene(Controller& c, int32_t scene, const wchar_t* file);
// One unit; a load replaces the unit (or adds it after the last) or, with
// insert, puts it before the unit of that number.
bool SaveUnit(Controller& c, int32_t group, int32_t scene, int32_t unit, const wchar_t* file);
bool LoadUnit(Controller& c, int32_t group, int32_t scene, int32_t unit, bool insert,
              const wchar_t* file);
// Everything but the catalogue, the settings of the scenario and the channels.
bool SaveBackup(const Controller& c, const wchar_t* file);
bool LoadBackup(Controller& c, const wchar_t* file);

// A grey binary PGM image of width x height.
bool WriteImage(const wchar_t* file, int32_t width, int32_t height);

// JSON forms, shared with the scenario reader's checks.
Json ItemsToJson(const DataItems& items);
bool JsonToItems(const Json& json, DataItems& items);

}  // namespace msc::sim::files
