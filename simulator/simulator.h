// The simulated controller: what a controller host would supply to the engine
// (host library functions, the core services object, the host interface), so
// that macros run on a PC with no controller attached.
#pragma once

#include <string>

class HostInterface;
class CoreServices;

namespace msc::sim {

// Directory returned by GetCoreRAPath: where "QOR-Option.ini" and "Version.ini"
// are read. Defaults to $MACRO_SC_CONFIG, else the current directory.
void SetConfigDirectory(const std::string& dir);
const std::string& ConfigDirectory();

// The language identifier GetLanguageIdent returns ("jpn" unless set, or
// $MACRO_SC_LANGUAGE).
void SetLanguage(const std::wstring& ident);

// Items of GetSystemInfo2 (all 0 unless set).
void SetSystemInfo(int item, int value);

// Reads a scenario file (TOML) into the simulated controller, replacing what
// it held: scenes and units, the catalogue of processing items, named data,
// channels and faults. On failure nothing changes and message says why; for
// a file that is no valid scenario it names the file, line and column.
enum class ScenarioResult { kLoaded, kCannotOpen, kInvalid };
ScenarioResult LoadScenario(const std::string& path, std::string* message);
// The same from text; name stands for the file in messages.
bool LoadScenarioText(const std::string& text, const std::string& name, std::string* message);
// The controller a process starts with, and no faults.
void ResetController();

// From now on every call that reaches the controller (host interface, core
// services, I/O channels, and the host library functions SetCurrentCoreRA,
// ContinuousMeasure and GetLanguageString) is written to path ("-" is
// standard output) as one JSON object per line; trace_writer.cpp describes them.
// false with a message when the file cannot be opened.
bool StartHostTrace(const std::string& path, std::string* message);
// Ends the trace, closing its file.
void StopHostTrace();

// The simulated controller's host interface and core services object (the
// traced ones while a trace runs).
HostInterface* Host();
CoreServices* Core();

}  // namespace msc::sim
