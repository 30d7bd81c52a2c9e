// macro-sc dap driven through whole sessions by a small client of its own,
// over the pipes an editor would use.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

extern char** environ;

namespace {

using Json = nlohmann::json;

// Started with the working directory of the test; the program file lies there.
class DapClient {
 public:
  DapClient() {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, in[0], 0);
    posix_spawn_file_actions_adddup2(&files, out[1], 1);
    posix_spawn_file_actions_addclose(&files, in[1]);
    posix_spawn_file_actions_addclose(&files, out[0]);
    char* argv[] = {const_cast<char*>(MSC_TOOL), const_cast<char*>("dap"), nullptr};
    if (posix_spawn(&pid_, MSC_TOOL, &files, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&files);
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = out[0];
  }
  ~DapClient() {
    if (to_ >= 0) close(to_);
    if (pid_ > 0 && !waited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (from_ >= 0) close(from_);
  }

  void Raw(const std::string& bytes) { ASSERT_EQ(write(to_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  int Request(const std::string& command, Json args = Json::object()) {
    const std::string body = Json{{"seq", ++seq_}, {"type", "request"}, {"command", command}, {"arguments", args}}.dump();
    Raw("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    return seq_;
  }
  // The next message other than output, whose texts are collected.
  Json Next() {
    for (;;) {
      Json m = Read();
      if (m.value("event", "") != "output") return m;
      output += m["body"]["output"].get<std::string>();
    }
  }
  // The response to request seq, which must be the next message.
  Json Response(int seq, bool success = true) {
    Json m = Next();
    EXPECT_EQ(m.value("type", ""), "response") << m;
    EXPECT_EQ(m.value("request_seq", -1), seq) << m;
    EXPECT_EQ(m.value("success", !success), success) << m;
    return m;
  }
  Json Event(const std::string& name) {
    Json m = Next();
    EXPECT_EQ(m.value("event", ""), name) << m;
    return m.value("body", Json::object());
  }
  int Exit() {
    int status = -1;
    close(to_);
    to_ = -1;
    waitpid(pid_, &status, 0);
    waited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string output;

 private:
  // One framed message, within five seconds.
  Json Read() {
    std::string head;
    while (head.size() < 4 || head.compare(head.size() - 4, 4, "\r\n\r\n") != 0) head += Byte();
    const size_t at = head.find("Content-Length: ");
    if (at == std::string::npos) return Json();
    std::string body(std::stoul(head.substr(at + 16)), '\0');
    for (char& c : body) c = Byte();
    return Json::parse(body, nullptr, false);
  }
  char Byte() {
    pollfd p{from_, POLLIN, 0};
    char c = 0;
    if (poll(&p, 1, 5000) != 1 || read(from_, &c, 1) != 1) throw std::runtime_error("no answer from the adapter");
    return c;
  }
  pid_t pid_ = -1;
  int to_ = -1, from_ = -1, seq_ = 0;
  bool waited_ = false;
};

constexpr char kProgram[] =
    "*MAIN\n"                  // 1
    "  A& = 1\n"               // 2
    "  ' comment\n"            // 3
    "  Gosub *SUB\n"           // 4
    "  Gosub *SUB\n"           // 5
    "  Print \"after\"; A&\n"  // 6
    "  B# = 1 / 0\n"           // 7
    "  Return\n"               // 8
    "*SUB\n"                   // 9
    "  A& = A& + 1\n"          // 10
    "  Print \"in sub\"\n"     // 11
    "  Return\n";              // 12

class DapSession : public ::testing::Test {
 protected:
  // A file of each test's own: CTest runs the tests of this file side by side.
  void SetUp() override {
    file_ = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".mcr";
    std::ofstream(file_) << kProgram;
  }
  void TearDown() override { std::remove(file_.c_str()); }
  std::string file_;

  static void ExpectStop(DapClient& c, const std::string& reason, int line, const std::string& routine,
                         size_t depth) {
    const Json stop = c.Event("stopped");
    EXPECT_EQ(stop.value("reason", ""), reason) << stop;
    EXPECT_EQ(stop.value("threadId", 0), 1);
    const Json trace = c.Response(c.Request("stackTrace", {{"threadId", 1}}))["body"];
    ASSERT_EQ(trace["stackFrames"].size(), depth) << trace;
    EXPECT_EQ(trace["stackFrames"][0]["line"], line) << trace;
    EXPECT_EQ(trace["stackFrames"][0]["name"], routine) << trace;
  }
};

TEST_F(DapSession, BreakpointStepsVariablesAndTheErrorThatEndsTheRun) {
  DapClient c;
  const Json caps = c.Response(c.Request("initialize", {{"adapterID", "macro-sc"}}))["body"];
  EXPECT_TRUE(caps.value("supportsConfigurationDoneRequest", false));
  EXPECT_TRUE(caps.value("supportsSetVariable", false));
  c.Event("initialized");
  // Set before the launch: unverified, placed once the program is loaded.
  const Json early = c.Response(c.Request("setBreakpoints", {{"source", {{"path", file_}}},
                                                             {"breakpoints", {{{"line", 3}}}}}))["body"];
  EXPECT_FALSE(early["breakpoints"][0]["verified"].get<bool>());
  const int launch = c.Request("launch", {{"program", file_}});
  const Json moved = c.Event("breakpoint")["breakpoint"];
  EXPECT_TRUE(moved["verified"].get<bool>());
  EXPECT_EQ(moved["line"], 4);  // the comment line holds no code
  c.Response(launch);
  // The last label line (9) and beyond the end have no code of their own left.
  const Json bps = c.Response(c.Request("setBreakpoints", {{"source", {{"path", file_}}},
                                                           {"breakpoints", {{{"line", 3}}, {{"line", 13}}}}}))["body"];
  EXPECT_EQ(bps["breakpoints"][0]["line"], 4);
  EXPECT_FALSE(bps["breakpoints"][1]["verified"].get<bool>());
  c.Response(c.Request("configurationDone"));

  ExpectStop(c, "breakpoint", 4, "*MAIN", 1);
  const Json threads = c.Response(c.Request("threads"))["body"]["threads"];
  ASSERT_EQ(threads.size(), 1u);
  EXPECT_EQ(threads[0]["id"], 1);
  c.Response(c.Request("next", {{"threadId", 1}}));  // over the first call
  ExpectStop(c, "step", 5, "*MAIN", 1);
  EXPECT_EQ(c.output, "in sub\n");
  c.Response(c.Request("stepIn", {{"threadId", 1}}));
  ExpectStop(c, "step", 10, "*SUB", 2);
  c.Response(c.Request("stepOut", {{"threadId", 1}}));
  ExpectStop(c, "step", 6, "*MAIN", 1);

  const Json scopes = c.Response(c.Request("scopes", {{"frameId", 10000}}))["body"]["scopes"];
  ASSERT_FALSE(scopes.empty());
  const int64_t integers = scopes[0]["variablesReference"];
  const Json vars = c.Response(c.Request("variables", {{"variablesReference", integers}}))["body"]["variables"];
  ASSERT_EQ(vars.size(), 1u);
  EXPECT_EQ(vars[0]["name"], "A&");
  EXPECT_EQ(vars[0]["value"], "3");
  EXPECT_EQ(c.Response(c.Request("setVariable", {{"variablesReference", integers}, {"name", "A&"}, {"value", "41"}}))
                ["body"]["value"], "41");
  EXPECT_EQ(c.Response(c.Request("evaluate", {{"expression", "A& * 2"}, {"context", "watch"}}))["body"]["result"], "82");
  c.Response(c.Request("evaluate", {{"expression", "A& +"}}), false);

  c.Response(c.Request("continue", {{"threadId", 1}}));
  const Json error = c.Event("stopped");
  EXPECT_EQ(error.value("reason", ""), "exception");
  EXPECT_EQ(error.value("description", ""), "Division by zero");
  const Json trace = c.Response(c.Request("stackTrace", {{"threadId", 1}}))["body"];
  EXPECT_EQ(trace["stackFrames"][0]["line"], 7);
  c.Response(c.Request("continue", {{"threadId", 1}}));
  EXPECT_EQ(c.Event("exited").value("exitCode", 0), 11);
  c.Event("terminated");
  c.Response(c.Request("disconnect"));
  EXPECT_EQ(c.Exit(), 0);
  // What the program printed, and the engine's report of the error.
  EXPECT_EQ(c.output, "in sub\nin sub\nafter41\nMacro(SC) Division by zero\nMacro(SC) 70   B# = 1 / 0\n");
}

TEST_F(DapSession, MalformedMessagesGetErrorResponses) {
  DapClient c;
  c.Raw("Content-Length: 7\r\n\r\n{nope!}");
  EXPECT_FALSE(c.Next().value("success", true));
  c.Raw("Content-Type: json\r\n\r\n");
  EXPECT_FALSE(c.Next().value("success", true));
  c.Response(c.Request("frobnicate"), false);
  c.Response(c.Request("stackTrace", {{"threadId", 1}}), false);  // nothing runs
  c.Response(c.Request("launch", {{"program", "no_such_file.mcr"}}), false);
  c.Response(c.Request("launch", {{"program", 42}}), false);
  // A session that then goes on normally, stopping at the first line.
  c.Response(c.Request("launch", {{"program", file_}, {"label", "*SUB"}, {"stopOnEntry", true}}));
  c.Response(c.Request("configurationDone"));
  ExpectStop(c, "entry", 10, "*SUB", 1);
  // Disconnecting a stopped run ends it.
  c.Response(c.Request("disconnect"));
  EXPECT_EQ(c.Exit(), 0);
}

}  // namespace
