// Commands that load a program source file without running it.
#include <cstdio>
#include <string>

#include "engine/errors.h"
#include "session.h"
#include "tool.h"

namespace msc::cli {
namespace {

// Loads FILE into the session. Compile messages are already on stdout; the
// summary goes to stderr. Returns the loader's error number.
ErrNo Load(Session& session, const char* path) {
  const ErrNo err = session.LoadSource(path);
  if (err != kOk && err != kErrIllegalCall) {
    std::fprintf(stderr, "macro-sc: %s: error %d: %s\n", path, err, ErrorMessage(err));
  }
  return err;
}

}  // namespace

// list FILE: the numbered listing of every line, as the program holds it.
int ListCommand(const std::string& file) {
  Session session;
  if (!session) return kExitFailure;
  if (const ErrNo err = Load(session, file.c_str()); err != kOk) return err;
  const bool listed = session.ForEachListing([](const char* text) { std::printf("%s\n", text); });
  std::fflush(stdout);
  if (!listed) {
    std::fputs("macro-sc: out of memory\n", stderr);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace msc::cli
