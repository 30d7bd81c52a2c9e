// Direct statements on one macro object, one per line of the input, as a
// host or the interactive tool sends them: numbered lines edit the program,
// others run at once (Run, Goto and Gosub run the program). A watchdog ends
// whatever still runs when the input's time is up, so loops end too.
// Statements that reach files, processes or libraries are neutered first.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "fuzz_support.h"

namespace {

using namespace msc::fuzz;
using Clock = std::chrono::steady_clock;

constexpr auto kBudget = std::chrono::milliseconds(80);
constexpr size_t kMaxLines = 64;

// Interrupts the object's runs from the deadline on, and again every few
// milliseconds until the input is over: an interrupt spares the runs that
// start after it.
class Watchdog {
 public:
  Watchdog() : thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> hold(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void Start(QorMacro* m) {
    std::lock_guard<std::mutex> hold(mutex_);
    macro_ = m;
    deadline_ = Clock::now() + kBudget;
    expired_ = false;
    wake_.notify_all();
  }
  // After this the object may go: no interrupt reaches it any more.
  void Stop() {
    std::lock_guard<std::mutex> hold(mutex_);
    macro_ = nullptr;
  }
  bool Expired() {
    std::lock_guard<std::mutex> hold(mutex_);
    return expired_;
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> hold(mutex_);
    while (!quit_) {
      if (macro_ == nullptr) {
        wake_.wait(hold);
      } else if (Clock::now() < deadline_) {
        wake_.wait_until(hold, deadline_);
      } else {
        expired_ = true;
        (void)_InterruptQorMacro(macro_);
        wake_.wait_for(hold, std::chrono::milliseconds(5));
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  QorMacro* macro_ = nullptr;
  Clock::time_point deadline_;
  bool expired_ = false;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Watchdog watchdog;
  std::vector<uint8_t> text(data, data + size);
  Neuter(text.data(), text.size(), kOutsideWords);
  msc::sim::ResetController();
  MacroPtr m = NewMacro();
  watchdog.Start(m.get());
  std::string_view rest(reinterpret_cast<const char*>(text.data()), text.size());
  for (size_t lines = 0; !rest.empty() && lines < kMaxLines && !watchdog.Expired(); ++lines) {
    const std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    (void)_DirectExecute(m.get(), Widen(line).c_str());
  }
  watchdog.Stop();
  return 0;
}
