// Ctrl-C reaching the macro-sc tool: the tool is started as a child with a
// program that prints a line and then never ends, the test waits for that
// line (so the run is surely under way) and sends SIGINT.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kLimitMs = 20000;  // far beyond what a working tool needs

class Tool {
 public:
  // Starts macro-sc with arguments; stdin from a pipe fed with input, which
  // is then closed, stdout to a pipe the test reads.
  Tool(const std::vector<std::string>& arguments, const std::string& input) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&files, out[1], STDOUT_FILENO);
    // SIGINT as a foreground job has it, whatever this test inherited.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    posix_spawnattr_setsigdefault(&attributes, &set);
    sigemptyset(&set);
    posix_spawnattr_setsigmask(&attributes, &set);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<char*> argv{const_cast<char*>(MSC_TOOL)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, MSC_TOOL, &files, &attributes, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ::close(in[0]);
    ::close(out[1]);
    // The input is small; the pipe holds it all.
    if (!input.empty()) (void)!::write(in[1], input.data(), input.size());
    ::close(in[1]);
    out_ = out[0];
  }
  ~Tool() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) ::close(out_);
  }

  bool started() const { return pid_ > 0; }

  // Reads stdout until it holds text, or to its end for null; false when
  // that did not come within the time limit.
  bool ReadUntil(const char* text) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLimitMs);
    while (text == nullptr || output_.find(text) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd fd{out_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0) return false;
      char buffer[512];
      const ssize_t count = ::read(out_, buffer, sizeof buffer);
      if (count <= 0) return text == nullptr;
      output_.append(buffer, static_cast<size_t>(count));
    }
    return true;
  }

  void Interrupt() { ::kill(pid_, SIGINT); }

  // The exit status once stdout has ended; -1 when the tool did not end
  // normally in time.
  int Finish() {
    if (!ReadUntil(nullptr)) return -1;
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  const std::string& output() const { return output_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string output_;
};

std::string Forever() {
  const std::string path = testing::TempDir() + "tool_signal_" + std::to_string(::getpid()) + ".mcr";
  std::ofstream(path) << "*MAIN\n  Print \"spinning\"\n  Do : Loop While 1\n  Return\n";
  return path;
}

TEST(ToolSignal, CtrlCEndsRunWithStatus130AndTheEnginesReport) {
  const std::string program = Forever();
  Tool tool({"run", program, "*MAIN"}, "");
  ASSERT_TRUE(tool.started());
  ASSERT_TRUE(tool.ReadUntil("spinning\n")) << tool.output();
  tool.Interrupt();
  EXPECT_EQ(tool.Finish(), 130);
  std::remove(program.c_str());
  EXPECT_NE(tool.output().find("Macro(SC) Interrupted\n"), std::string::npos) << tool.output();
}

TEST(ToolSignal, CtrlCInTheInteractiveModeKeepsTheSessionAndTheProgram) {
  Tool tool({}, "10 *MAIN\n20 Print \"spinning\"\n30 Do : Loop While 1\nGosub *MAIN\nList\n");
  ASSERT_TRUE(tool.started());
  ASSERT_TRUE(tool.ReadUntil("spinning\n")) << tool.output();
  tool.Interrupt();
  ASSERT_TRUE(tool.ReadUntil("Macro(SC) Interrupted\n")) << tool.output();
  EXPECT_EQ(tool.Finish(), 0);
  EXPECT_NE(tool.output().find("10 *MAIN\n20 Print \"spinning\"\n30 Do : Loop While 1\n"), std::string::npos)
      << tool.output();
}

}  // namespace
