// One debugging session: the requests of the editor, and the driver that
// stops the engine's runs where the editor asked.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/debug_hooks.h"
#include "framing.h"
#include "values.h"

class QorMacro;

namespace msc::dap {

class Adapter final : public debug::Driver {
 public:
  explicit Adapter(Writer& out) noexcept : out_(out), protocolThread_(std::this_thread::get_id()) {}
  ~Adapter();
  Adapter(const Adapter&) = delete;
  Adapter& operator=(const Adapter&) = delete;

  // Answers one message; false once the session has ended (disconnect).
  bool Handle(const nlohmann::json& message);
  // A response that failed before the request could be read.
  void Refuse(int64_t requestSeq, const std::string& command, const std::string& why);

  bool StopBefore(const ExecFrame& f) noexcept override;
  uint32_t Stopped(const ExecFrame& f, ErrNo error) noexcept override;
  void TaskStarted(const ExecFrame& f) noexcept override;
  void TaskEnded(const ExecFrame& f) noexcept override;

  // Output of the object, to the editor.
  void Output(const char* text, bool isReport);

 private:
  // The state of one thread of the program: the main run (1) or a task.
  struct Thread {
    const ExecFrame* stopped = nullptr;  // while stopped, its frame
    uint32_t resume = 0;                 // the Cont result that resumes it
    bool stepping = false;               // a step was asked at its last stop
    size_t stepDepth = 0;                // calls it was inside then
    std::string reason;                  // why StopBefore stopped it
  };
  struct Breakpoint {
    int id;
    uint32_t fileLine;
  };
  using Json = nlohmann::json;

  // Each request; body is the response body, a string thrown or returned
  // through why is an error message.
  bool Launch(const Json& args, Json& body, std::string& why);
  bool SetBreakpoints(const Json& args, Json& body, std::string& why);
  bool StackTrace(const Json& args, Json& body, std::string& why);
  bool Variables(const Json& args, Json& body, std::string& why);
  bool SetVariable(const Json& args, Json& body, std::string& why);
  bool Evaluate(const Json& args, Json& body, std::string& why);
  bool Resume(const Json& args, uint32_t result, std::string& why);
  bool Threads(Json& body);

  void StartRun();
  void Proceed();
  void EndSession();
  Json VerifiedBreakpoint(const Breakpoint& b);
  int ThreadOf(const ExecFrame& f) const;  // under mutex_
  void Event(const char* name, Json body);

  Writer& out_;
  const std::thread::id protocolThread_;
  QorMacro* macro_ = nullptr;
  std::string program_, label_;
  bool stopOnEntry_ = false, launched_ = false, configured_ = false;
  std::thread runner_;
  // What the request being answered sets going once its response is out.
  bool startPending_ = false;
  int resumeThread_ = 0;
  uint32_t resumeWith_ = 0;

  std::mutex mutex_;  // guards everything below, which run threads share
  std::condition_variable resumed_;
  std::map<int, Thread> threads_;
  std::map<const ExecFrame*, int> tasks_;
  int nextTask_ = 2;
  std::vector<Breakpoint> breakpoints_;
  std::set<uint32_t> breakLines_;  // program lines
  int nextBreakpoint_ = 1;
  bool entryPending_ = false, pausePending_ = false, ending_ = false, running_ = false;
  VariablesView view_;
};

}  // namespace msc::dap
