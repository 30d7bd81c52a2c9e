// The state file of "run --state": the stored-variable image of the macro
// object, so that "&&", "##" and "$$" variables survive between runs as they
// survive a restart of a controller.
#pragma once

class QorMacro;

namespace msc::cli {

// Restores the image in path; a missing file is a first run and loads
// nothing. A file that is no image, or a damaged one, is reported on stderr
// (status 1).
int LoadState(QorMacro& macro, const char* path);

// Writes the image to path through a temporary file and a rename, so that
// an interrupted run never leaves half an image; with nothing to store the
// file is removed.
int SaveState(QorMacro& macro, const char* path);

}  // namespace msc::cli
