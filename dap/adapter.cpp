#include "adapter.h"

#include <filesystem>

#include "macro_sc/macro_sc.h"
#include "sandbox_options.h"
#include "simulator.h"

namespace msc::dap {
namespace {

constexpr int kMainThread = 1;
// Frame ids: the thread times this, plus the frame's place in its stack.
constexpr int64_t kFramesPerThread = 10000;
// Loading numbers the lines of a source file 10, 20, 30 ...
constexpr uint32_t kLineStep = 10;

// The Cont results that each way of resuming hands the stopped run.
constexpr uint32_t kContinue = 1, kStepInto = 2, kStepOver = 3, kStepOut = 4;

void OnOutput(void* context, const char* text, int32_t isReport) {
  static_cast<Adapter*>(context)->Output(text, isReport != 0);
}

int64_t IntArg(const nlohmann::json& args, const char* name, int64_t fallback) {
  const auto it = args.find(name);
  return it != args.end() && it->is_number_integer() ? it->get<int64_t>() : fallback;
}

std::string TextArg(const nlohmann::json& args, const char* name) {
  const auto it = args.find(name);
  return it != args.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

Adapter::~Adapter() { EndSession(); }

void Adapter::Event(const char* name, Json body) {
  out_.Send({{"type", "event"}, {"event", name}, {"body", std::move(body)}});
}

void Adapter::Output(const char* text, bool isReport) {
  Event("output", {{"category", isReport ? "stderr" : "stdout"}, {"output", text}});
}

void Adapter::Refuse(int64_t requestSeq, const std::string& command, const std::string& why) {
  out_.Send({{"type", "response"}, {"request_seq", requestSeq}, {"success", false}, {"command", command},
             {"message", why}, {"body", {{"error", {{"id", 1}, {"format", why}, {"showUser", true}}}}}});
}

bool Adapter::Handle(const Json& message) {
  const int64_t seq = IntArg(message, "seq", 0);
  const std::string command = TextArg(message, "command");
  if (!message.is_object() || TextArg(message, "type") != "request" || command.empty()) {
    Refuse(seq, command, "not a request");
    return true;
  }
  static const Json kNoArgs = Json::object();
  const auto a = message.find("arguments");
  const Json& args = a != message.end() && a->is_object() ? *a : kNoArgs;
  Json body = Json::object();
  std::string why;
  bool ok = true, more = true, initialized = false;
  if (command == "initialize") {
    body = {{"supportsConfigurationDoneRequest", true},
            {"supportsSetVariable", true},
            {"supportsEvaluateForHovers", true},
            {"supportsTerminateRequest", false},
            {"supportsSteppingGranularity", false},
            {"exceptionBreakpointFilters", Json::array()}};
    initialized = true;
  } else if (command == "launch") {
    ok = Launch(args, body, why);
  } else if (command == "setBreakpoints") {
    ok = SetBreakpoints(args, body, why);
  } else if (command == "setExceptionBreakpoints") {
    body = {{"breakpoints", Json::array()}};
  } else if (command == "configurationDone") {
    configured_ = true;
    startPending_ = launched_;
  } else if (command == "threads") {
    ok = Threads(body);
  } else if (command == "stackTrace") {
    ok = StackTrace(args, body, why);
  } else if (command == "scopes") {
    body = {{"scopes", view_.Scopes()}};
  } else if (command == "variables") {
    ok = Variables(args, body, why);
  } else if (command == "setVariable") {
    ok = SetVariable(args, body, why);
  } else if (command == "evaluate") {
    ok = Evaluate(args, body, why);
  } else if (command == "continue") {
    ok = Resume(args, kContinue, why);
    body = {{"allThreadsContinued", false}};
  } else if (command == "next") {
    ok = Resume(args, kStepOver, why);
  } else if (command == "stepIn") {
    ok = Resume(args, kStepInto, why);
  } else if (command == "stepOut") {
    ok = Resume(args, kStepOut, why);
  } else if (command == "pause") {
    std::lock_guard<std::mutex> hold(mutex_);
    if (!running_) {
      ok = false;
      why = "nothing runs";
    }
    pausePending_ = running_;
  } else if (command == "disconnect") {
    more = false;  // the session ends once the answer is out
  } else {
    ok = false;
    why = "unknown command '" + command + "'";
  }
  if (!ok) {
    startPending_ = false;
    resumeThread_ = 0;
    Refuse(seq, command, why);
    return more;
  }
  out_.Send({{"type", "response"}, {"request_seq", seq}, {"success", true}, {"command", command}, {"body", body}});
  if (initialized) Event("initialized", Json::object());
  Proceed();
  if (!more) EndSession();
  return more;
}

bool Adapter::Launch(const Json& args, Json& body, std::string& why) {
  (void)body;
  if (macro_ != nullptr) {
    why = "already launched";
    return false;
  }
  // A launch that fails leaves no object behind, so the editor may launch again.
  struct Undo {
    Adapter& adapter;
    bool keep = false;
    ~Undo() {
      if (keep || adapter.macro_ == nullptr) return;
      _SetOutputHookQorMacro(adapter.macro_, nullptr, nullptr);
      _DeleteQorMacro(adapter.macro_);
      adapter.macro_ = nullptr;
    }
  } undo{*this};
  program_ = TextArg(args, "program");
  if (program_.empty()) {
    why = "launch needs a program";
    return false;
  }
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(program_, error);
  if (!error) program_ = absolute.lexically_normal().string();
  stopOnEntry_ = args.value("stopOnEntry", false);
  // The scenario sets up the controller before the object attaches to it.
  if (const std::string scenario = TextArg(args, "scenario"); !scenario.empty()) {
    std::string message;
    if (sim::LoadScenario(scenario, &message) != sim::ScenarioResult::kLoaded) {
      why = message;
      return false;
    }
  }
  macro_ = _CreateQorMacro(sim::Host());
  if (macro_ == nullptr) {
    why = "the macro object could not be created";
    return false;
  }
  _SetOutputHookQorMacro(macro_, OnOutput, this);
  // The tool's --sandbox, --allow-... and --max-memory bind the debugged program too.
  if (!cli::ApplySandbox(*macro_)) {
    why = "the sandbox could not be set up";
    return false;
  }
  if (const ErrNo e = debug::LoadWithoutInit(*macro_, Wide(program_).c_str()); e != kOk) {
    why = e == 5 ? "cannot open " + program_ : "the program does not compile (error " + std::to_string(e) + ")";
    return false;
  }
  label_ = TextArg(args, "label");
  if (label_.empty()) label_ = debug::FirstLabel(*macro_);
  if (label_.empty() || _IsExistLabel(macro_, Wide(label_).c_str()) != 1) {
    why = "no label " + (label_.empty() ? std::string("in the program") : label_);
    return false;
  }
  undo.keep = true;
  debug::InstallDriver(*macro_, this);
  launched_ = true;
  // Breakpoints set before the program was there are placed now.
  std::vector<Json> changed;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    for (const Breakpoint& b : breakpoints_) changed.push_back(VerifiedBreakpoint(b));
  }
  for (Json& b : changed) Event("breakpoint", {{"reason", "changed"}, {"breakpoint", std::move(b)}});
  startPending_ = configured_;
  return true;
}

// Under mutex_: places b on the line with code at or after its file line.
nlohmann::json Adapter::VerifiedBreakpoint(const Breakpoint& b) {
  Json out = {{"id", b.id}, {"verified", false}, {"line", b.fileLine}};
  if (macro_ == nullptr) {
    out["message"] = "the program is not loaded yet";
    return out;
  }
  const uint32_t line = debug::CodeLineFrom(*macro_, b.fileLine * kLineStep);
  if (line == 0 || line % kLineStep != 0) {
    out["message"] = "no code on or after this line";
    return out;
  }
  breakLines_.insert(line);
  out["verified"] = true;
  out["line"] = line / kLineStep;
  return out;
}

bool Adapter::SetBreakpoints(const Json& args, Json& body, std::string& why) {
  const auto source = args.find("source");
  const std::string path = source != args.end() && source->is_object() ? TextArg(*source, "path") : "";
  std::error_code error;
  const bool ours = !program_.empty() && !path.empty() && std::filesystem::equivalent(path, program_, error);
  const auto list = args.find("breakpoints");
  Json result = Json::array();
  std::lock_guard<std::mutex> hold(mutex_);
  if (ours || program_.empty()) {
    breakpoints_.clear();
    breakLines_.clear();
  }
  if (list != args.end() && list->is_array()) {
    for (const Json& requested : *list) {
      const int64_t line = requested.is_object() ? IntArg(requested, "line", 0) : 0;
      if (line <= 0) {
        why = "a breakpoint needs a line";
        return false;
      }
      const Breakpoint b{nextBreakpoint_++, static_cast<uint32_t>(line)};
      if (!ours && !program_.empty()) {
        result.push_back({{"id", b.id}, {"verified", false}, {"line", line}, {"message", "not the program run"}});
        continue;
      }
      breakpoints_.push_back(b);
      result.push_back(VerifiedBreakpoint(b));
    }
  }
  body = {{"breakpoints", std::move(result)}};
  return true;
}

void Adapter::StartRun() {
  if (runner_.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    running_ = true;
    entryPending_ = stopOnEntry_;
    threads_[kMainThread] = Thread{};
  }
  runner_ = std::thread([this] {
    debug::RunInit(*macro_);
    const int32_t result = _Gosub(macro_, Wide(label_).c_str());
    {
      std::lock_guard<std::mutex> hold(mutex_);
      running_ = false;
      threads_.clear();
    }
    Event("exited", {{"exitCode", result}});
    Event("terminated", Json::object());
  });
}

void Adapter::EndSession() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    ending_ = true;
  }
  resumed_.notify_all();
  if (runner_.joinable()) {
    // A run still under way ends at its next statement with error 210.
    _InterruptQorMacro(macro_);
    runner_.join();
  }
  if (macro_ != nullptr) {
    debug::InstallDriver(*macro_, nullptr);
    _SetOutputHookQorMacro(macro_, nullptr, nullptr);
    _DeleteQorMacro(macro_);
    macro_ = nullptr;
  }
}

int Adapter::ThreadOf(const ExecFrame& f) const {
  const auto it = tasks_.find(&f);
  return it != tasks_.end() ? it->second : kMainThread;
}

bool Adapter::StopBefore(const ExecFrame& f) noexcept {
  // Expressions the editor evaluates run on the protocol thread, which
  // must never wait for itself.
  if (std::this_thread::get_id() == protocolThread_) return false;
  // A run that a host call starts begins on the label line itself, which
  // holds no statement to stop before. The program is looked at outside
  // mutex_, which a task start takes under the object lock.
  bool pending;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    pending = entryPending_ || pausePending_;
  }
  const uint32_t line = debug::LineOf(f);
  if (pending && debug::CodeLineFrom(*macro_, line) != line) return false;
  std::lock_guard<std::mutex> hold(mutex_);
  if (ending_) return false;
  const int id = ThreadOf(f);
  Thread& t = threads_[id];
  if (entryPending_ && id == kMainThread) {
    entryPending_ = false;
    t.reason = "entry";
  } else if (pausePending_) {
    pausePending_ = false;
    t.reason = "pause";
  } else if (t.stepping && (id != kMainThread || debug::CallDepth(f) < t.stepDepth)) {
    // A task steps line by line itself; a step that leaves the routine it
    // began in stops in the caller even where the caller was not stepped.
    t.reason = "step";
  } else if (breakLines_.count(debug::LineOf(f)) != 0) {
    t.reason = "breakpoint";
  } else {
    return false;
  }
  return true;
}

uint32_t Adapter::Stopped(const ExecFrame& f, ErrNo error) noexcept {
  if (std::this_thread::get_id() == protocolThread_) return kContinue;
  std::unique_lock<std::mutex> hold(mutex_);
  if (ending_) return kContinue;
  const int id = ThreadOf(f);
  Thread& t = threads_[id];
  Json body = {{"threadId", id}, {"allThreadsStopped", false}};
  if (error != kOk) {
    const std::string text = debug::ErrorText(error);
    body["reason"] = "exception";
    body["description"] = text;
    body["text"] = text + " (error " + std::to_string(error) + ")";
  } else if (!t.reason.empty()) {
    body["reason"] = t.reason;
  } else if (t.stepping) {
    body["reason"] = "step";
  } else {
    // Single-stepping began without a step asked: a Stop statement.
    body["reason"] = "breakpoint";
    body["description"] = "Stop";
  }
  t.reason.clear();
  t.stopped = &f;
  t.resume = 0;
  view_.Reset();
  hold.unlock();
  Event("stopped", std::move(body));
  hold.lock();
  Thread& now = threads_[id];
  resumed_.wait(hold, [&] { return ending_ || now.resume != 0; });
  const uint32_t result = ending_ ? kContinue : now.resume;
  now.stopped = nullptr;
  now.stepping = result != kContinue;
  now.stepDepth = debug::CallDepth(f);
  return result;
}

void Adapter::TaskStarted(const ExecFrame& f) noexcept {
  int id;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    id = nextTask_++;
    tasks_[&f] = id;
    threads_[id] = Thread{};
  }
  Event("thread", {{"reason", "started"}, {"threadId", id}});
}

void Adapter::TaskEnded(const ExecFrame& f) noexcept {
  int id;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    id = ThreadOf(f);
    tasks_.erase(&f);
    threads_.erase(id);
  }
  Event("thread", {{"reason", "exited"}, {"threadId", id}});
}

bool Adapter::Threads(Json& body) {
  Json list = Json::array();
  std::lock_guard<std::mutex> hold(mutex_);
  for (const auto& [id, thread] : threads_)
    list.push_back({{"id", id}, {"name", id == kMainThread ? "main " + label_ : "task " + std::to_string(id - 1)}});
  body = {{"threads", std::move(list)}};
  return true;
}

bool Adapter::Resume(const Json& args, uint32_t result, std::string& why) {
  const int id = static_cast<int>(IntArg(args, "threadId", kMainThread));
  {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto it = threads_.find(id);
    if (it == threads_.end() || it->second.stopped == nullptr) {
      why = "thread " + std::to_string(id) + " is not stopped";
      return false;
    }
  }
  resumeThread_ = id;
  resumeWith_ = result;
  return true;
}

// The run starts or goes on only once its request is answered, so that the
// editor never hears of a stop before the answer to what caused it.
void Adapter::Proceed() {
  if (startPending_) {
    startPending_ = false;
    StartRun();
  }
  if (resumeThread_ == 0) return;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto it = threads_.find(resumeThread_);
    if (it != threads_.end()) it->second.resume = resumeWith_;
  }
  resumeThread_ = 0;
  resumed_.notify_all();
}

bool Adapter::StackTrace(const Json& args, Json& body, std::string& why) {
  const int id = static_cast<int>(IntArg(args, "threadId", kMainThread));
  std::vector<uint32_t> lines;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto it = threads_.find(id);
    if (it == threads_.end() || it->second.stopped == nullptr) {
      why = "thread " + std::to_string(id) + " is not stopped";
      return false;
    }
    // The stopped thread waits and leaves its frame alone meanwhile.
    lines = debug::CallLines(*it->second.stopped);
  }
  const Json source = {{"name", std::filesystem::path(program_).filename().string()}, {"path", program_}};
  Json frames = Json::array();
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string routine = debug::RoutineOf(*macro_, lines[i]);
    frames.push_back({{"id", id * kFramesPerThread + static_cast<int64_t>(i)},
                      {"name", routine.empty() ? std::string("(program)") : routine},
                      {"source", source},
                      {"line", lines[i] % kLineStep == 0 ? lines[i] / kLineStep : 0},
                      {"column", 1}});
  }
  const auto start = static_cast<size_t>(std::max<int64_t>(0, IntArg(args, "startFrame", 0)));
  const int64_t levels = IntArg(args, "levels", 0);
  Json shown = Json::array();
  for (size_t i = start; i < frames.size() && (levels <= 0 || shown.size() < static_cast<size_t>(levels)); ++i)
    shown.push_back(frames[i]);
  body = {{"stackFrames", std::move(shown)}, {"totalFrames", frames.size()}};
  return true;
}

bool Adapter::Variables(const Json& args, Json& body, std::string& why) {
  std::lock_guard<std::mutex> hold(mutex_);
  Json list;
  if (macro_ == nullptr || !view_.Entries(*macro_, IntArg(args, "variablesReference", 0), list)) {
    why = "no such variables";
    return false;
  }
  body = {{"variables", std::move(list)}};
  return true;
}

bool Adapter::SetVariable(const Json& args, Json& body, std::string& why) {
  std::lock_guard<std::mutex> hold(mutex_);
  const std::string name = view_.NameOf(IntArg(args, "variablesReference", 0), TextArg(args, "name"));
  AnyType value;
  std::string shown;
  if (macro_ == nullptr || name.empty() || value.SetData(Wide(Unquoted(TextArg(args, "value"))).c_str()) != 0 ||
      _SetVariable(macro_, Wide(name).c_str(), &value) != 0 || !ReadShown(*macro_, name, shown)) {
    why = "cannot set " + (name.empty() ? TextArg(args, "name") : name);
    return false;
  }
  body = {{"value", shown}};
  return true;
}

bool Adapter::Evaluate(const Json& args, Json& body, std::string& why) {
  const std::string expression = TextArg(args, "expression");
  std::string shown;
  if (macro_ == nullptr || expression.empty() || !ReadShown(*macro_, expression, shown)) {
    why = "cannot evaluate " + expression;
    return false;
  }
  body = {{"result", shown}, {"variablesReference", 0}};
  return true;
}

}  // namespace msc::dap
