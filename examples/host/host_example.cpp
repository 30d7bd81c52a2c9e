// A small host: what a controller application does with the macro engine.
//
// It creates a macro object, loads a program, binds a reference variable to
// controller data, sets and reads variables by name, saves the stored
// variables to a file and loads them into a second macro object, stops
// a routine that runs too long from a watchdog thread, and shows the
// object's console output and last error its own way. The
// controller here is the simulated one; a real host passes its own host
// interface to _CreateQorMacro and supplies the host library functions.
//
//   msc_example_host PROGRAM STATE-FILE
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "macro_sc/macro_sc.h"
#include "macro_sc/simulator.h"

namespace {

// Prints a variable (or any expression) as the host reads it.
void Show(QorMacro* macro, const wchar_t* name) {
  AnyType value;
  const int32_t status = _GetVariable(macro, name, &value);
  std::printf("  %ls = %ls%s\n", name, value.GetString(), status == 0 ? "" : " (failed)");
}

// Runs a routine under a watchdog: when it has not returned after limit,
// another thread stops it with _InterruptQorMacro and the routine ends with
// error 210. The call reaches only runs already under way, so the watchdog
// repeats it until the routine has returned.
int32_t GosubWithWatchdog(QorMacro* macro, const wchar_t* label, std::chrono::milliseconds limit) {
  std::mutex mutex;
  std::condition_variable returned;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    if (returned.wait_for(lock, limit, [&] { return done; })) return;
    do {
      (void)_InterruptQorMacro(macro);
    } while (!returned.wait_for(lock, std::chrono::milliseconds(10), [&] { return done; }));
  });
  const int32_t result = _Gosub(macro, label);
  {
    std::lock_guard lock(mutex);
    done = true;
  }
  returned.notify_one();
  watchdog.join();
  return result;
}

// The host's own console: the object's output arrives here rather than on
// standard output. A report comes as one line; what a program prints comes
// in the pieces it was written in (a Print's items, then its line end).
void ShowConsole(void*, const char* text, int32_t isReport) {
  std::printf("%s%s", isReport != 0 ? "  [engine] " : "", text);
}

int Fail(const char* what) {
  std::fprintf(stderr, "msc_example_host: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: msc_example_host PROGRAM STATE-FILE");
  const std::string program = argv[1];
  const std::string stateFile = argv[2];
  const std::wstring programPath(program.begin(), program.end());

  // 1. A macro object on the controller's host interface.
  QorMacro* first = _CreateQorMacro(msc::sim::Host());
  if (first == nullptr) return Fail("cannot create a macro object");

  // 2. Bind COUNT@ to the global data item "Count" before loading, so that
  //    the name is declared for the program. The controller must know the item.
  AnyType zero;
  zero.SetData(0);
  (void)GetQorCoreRA()->AddGlobalData(L"Count", &zero);
  AnyType definition;
  definition.SetData(L"G.Count");
  std::printf("bind COUNT@ to G.Count: %d\n", _SetReferenceVariable(first, L"COUNT@", &definition));

  // 3. Load the program; loading runs its *MCRINIT.
  std::printf("load %s: %d\n", program.c_str(), _LoadProgramF(first, programPath.c_str()));

  // 4. Set a variable by name, then run the inspection routine a few times.
  AnyType limit;
  limit.SetData(L"2");  // text: the engine converts it to the integer variable
  std::printf("set LIMIT& = 2: %d\n", _SetVariable(first, L"LIMIT&", &limit));
  for (int i = 0; i < 3; ++i) std::printf("*INSPECT: %d\n", _Gosub(first, L"*INSPECT"));
  std::fflush(stdout);
  Show(first, L"PARTS&&");
  Show(first, L"LOG$$");
  AnyType count;
  (void)GetQorCoreRA()->GetGlobalData(L"Count", &count);
  std::printf("  the controller's Count = %d\n", count.GetIntValue());

  // 5. Save the stored variables to a file, as a controller does at shutdown.
  const int32_t size = _GetStoredVariableSize(first);
  std::vector<unsigned char> image(static_cast<size_t>(size > 0 ? size : 0));
  if (size > 0 && _SaveStoredVariableM(first, image.data()) != 0) return Fail("cannot save");
  std::ofstream(stateFile, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  std::printf("saved %d bytes of stored variables\n", size);

  // The reference bindings are saved apart, as wide text.
  MacroWideTextHolder names(_GetReferenceVariableList2(first));
  std::printf("reference variables: %ls\n", names.c_str());
  _DeleteQorMacro(first);

  // 6. A second macro object: load the program, then the stored variables.
  QorMacro* second = _CreateQorMacro(msc::sim::Host());
  if (second == nullptr) return Fail("cannot create a macro object");
  std::printf("load %s again: %d\n", program.c_str(), _LoadProgramF(second, programPath.c_str()));
  std::ifstream in(stateFile, std::ios::binary);
  std::vector<unsigned char> restored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::printf("restore %zu bytes: %d\n", restored.size(),
              restored.empty() ? -1 : _LoadStoredVariableM(second, restored.data()));
  Show(second, L"PARTS&&");
  Show(second, L"LOG$$");
  Show(second, L"PARTS&& * 2 + 1");

  // 7. A routine that would wait for ever is stopped by a watchdog; the
  //    object stays usable and keeps what the routine did.
  std::fflush(stdout);
  std::printf("*WAITPART under a watchdog: %d\n",
              GosubWithWatchdog(second, L"*WAITPART", std::chrono::milliseconds(200)));
  std::fflush(stdout);
  std::printf("a statement after it: %d\n", _DirectExecute(second, L"Print \"  polled \"; WAITS& > 0"));

  // 8. The host takes the console output itself, and after a failing call
  //    reads why it failed and where, in the program and in its file.
  (void)_SetOutputHookQorMacro(second, ShowConsole, nullptr);
  (void)_DirectExecute(second, L"WAITS& = 0 : Print \"  no polls\"");
  std::printf("*AVERAGE: %d\n", _Gosub(second, L"*AVERAGE"));
  MscLastError error{};
  (void)_GetLastErrorQorMacro(second, &error);
  std::printf("  last error %d \"%s\" in line %u, line %u of %s\n", error.number, error.message, error.line,
              error.fileLine, program.c_str());
  _DeleteQorMacro(second);
  return 0;
}
