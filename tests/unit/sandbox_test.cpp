// Escape attempts from an allowed folder, each run once without a sandbox
// (it does what it always did) and once inside one (error 5, and the file
// system is as it was).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "engine/run.h"
#include "simulator.h"
#include "test_support.h"

namespace msc {
namespace {

namespace fs = std::filesystem;

// Every entry below root: its kind, where a link points, what a file holds.
std::map<std::string, std::string> Listing(const fs::path& root) {
  std::map<std::string, std::string> entries;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path& p = it->path();
    std::string what;
    if (fs::is_symlink(it->symlink_status())) {
      what = "link " + fs::read_symlink(p).string();
    } else if (it->is_directory()) {
      what = "dir";
    } else {
      std::ifstream in(p, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      what = "file " + text.str();
    }
    entries[fs::relative(p, root).string()] = what;
  }
  return entries;
}

struct Attempt {
  const char* what;
  const char* line;      // @ stands for the test's folder
  ErrNo withoutSandbox;  // what the line gives today
  bool changesFiles;     // whether it changes the folders today
};

// Inside @/allowed: inside.txt, dirlink -> ../outside, filelink -> ../outside/victim.txt.
constexpr Attempt kAttempts[] = {
    {"dot-dot", "Open \"@/allowed/../outside/victim.txt\" For Input As #1", kOk, false},
    {"absolute path", "Kill \"@/outside/victim.txt\"", kOk, true},
    {"link to a folder outside", "Open \"@/allowed/dirlink/new.txt\" For Output As #1", kOk, true},
    {"link to a file outside", "Fcopy \"@/allowed/inside.txt\", \"@/allowed/filelink\"", kOk, true},
    {"pattern through a link", "Kill \"@/allowed/dirlink/*.*\"", kOk, true},
    {"listing outside", "A& = IsFile(\"@/outside/*.txt\")", kOk, false},
    {"control character", "Mkdir \"@/allowed/a\" + Chr$(1)", kOk, true},
    {"very long name", "Mkdir \"@/allowed/@LONG\"", kErrIllegalCall, false},
    {"Save over a file outside", "Save \"@/outside/victim.txt\"", kOk, true},
    {"controller data outside", "SaveSystemData \"@/outside/victim.txt\"", kOk, true},
    {"Shell", "Shell \"touch @/outside/started\", 1", kOk, true},
    {"SetUserSubroutine", "SetUserSubroutine \"S\", \"@LIB\", \"Sum\"", kOk, false},
};

class SandboxFolders : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("msc-sandbox-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "allowed");
    fs::create_directories(root_ / "outside");
    std::ofstream(root_ / "allowed/inside.txt") << "inside";
    std::ofstream(root_ / "outside/victim.txt") << "victim";
    fs::create_directory_symlink("../outside", root_ / "allowed/dirlink");
    fs::create_symlink("../outside/victim.txt", root_ / "allowed/filelink");
    saved_ = sim::ConfigDirectory();
    // Libraries are looked for in the configuration directory.
    sim::SetConfigDirectory(fs::path(MSC_SAMPLE_SUBROUTINES).parent_path().string() + "/");
    m.reportMode = 0;
  }
  void TearDown() override {
    sim::SetConfigDirectory(saved_);
    fs::remove_all(root_);
  }

  std::string Line(const char* text) const {
    std::string line = text;
    const std::string library = fs::path(MSC_SAMPLE_SUBROUTINES).filename().string();
    for (size_t at; (at = line.find("@LIB")) != std::string::npos;) line.replace(at, 4, library);
    // A name of 300 letters, in two texts, each short enough for a literal.
    const std::string longName = std::string(200, 'a') + "\" + \"" + std::string(100, 'a');
    for (size_t at; (at = line.find("@LONG")) != std::string::npos;) line.replace(at, 5, longName);
    for (size_t at; (at = line.find('@')) != std::string::npos;) line.replace(at, 1, root_.string());
    return line;
  }

  void Sandbox() {
    const std::string allowed = (root_ / "allowed").string();
    const char* folders[] = {allowed.c_str(), nullptr};
    const MscPermissions permissions{MSC_SANDBOX, folders, folders, 0};
    ASSERT_EQ(_SetPermissionsQorMacro(&m, &permissions), 0);
  }

  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;
  fs::path root_;
  std::string saved_;
};

class SandboxTest : public SandboxFolders, public testing::WithParamInterface<Attempt> {};

TEST_P(SandboxTest, WithoutASandboxTheAttemptWorksAsBefore) {
  const Attempt& a = GetParam();
  const auto before = Listing(root_);
  EXPECT_EQ(DirectExecute(m, Line(a.line).c_str()), a.withoutSandbox);
  CloseAllFiles(m);
  EXPECT_EQ(Listing(root_) != before, a.changesFiles);
}

TEST_P(SandboxTest, InASandboxTheAttemptFailsAndChangesNothing) {
  Sandbox();
  const auto before = Listing(root_);
  EXPECT_EQ(DirectExecute(m, Line(GetParam().line).c_str()), kErrIllegalCall);
  CloseAllFiles(m);
  EXPECT_EQ(Listing(root_), before);
}

TEST_F(SandboxFolders, InsideTheAllowedFolderFilesWorkAsBefore) {
  Sandbox();
  for (const char* line : {"Open \"@/allowed/made.txt\" For Output As #1", "Print #1, \"made\"", "Close #1",
                           "Fcopy \"@/allowed/made.txt\", \"@/allowed/copy.txt\"", "Mkdir \"@/allowed/d\"",
                           "Kill \"@/allowed/inside.txt\"", "A& = IsFile(\"@/allowed/d\")"})
    ASSERT_EQ(DirectExecute(m, Line(line).c_str()), kOk) << line;
  EXPECT_EQ(test::IntVar(m, "A&"), 2);
  const auto now = Listing(root_);
  EXPECT_EQ(now.at("allowed/copy.txt"), "file made\r\n");
  EXPECT_EQ(now.count("allowed/inside.txt"), 0u);
  EXPECT_EQ(now.at("outside/victim.txt"), "file victim");
  // A folder that is not there cannot be allowed.
  const char* missing[] = {"/nonexistent-folder", nullptr};
  const MscPermissions refused{MSC_SANDBOX, missing, nullptr, 0};
  EXPECT_EQ(_SetPermissionsQorMacro(&m, &refused), -1);
}

INSTANTIATE_TEST_SUITE_P(Escapes, SandboxTest, testing::ValuesIn(kAttempts), [](const auto& info) {
  std::string name = info.param.what;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

}  // namespace
}  // namespace msc
