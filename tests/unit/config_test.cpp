#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "api/config.h"
#include "fake_host.h"
#include "test_support.h"

namespace msc::config {
namespace {

bool AcceptAll(uint32_t) { return true; }
bool RefuseAll(uint32_t) { return false; }

TEST(CodePageChoice, ConfiguredPageWinsUnlessItCannotConvertThenTheLanguage) {
  const struct { int32_t configured; const wchar_t* language; bool (*probe)(uint32_t); uint32_t page; } cases[] = {
      {-1, L"kor", AcceptAll, 949},      {-1, L"KOR", AcceptAll, 949},  {-1, L"chs", AcceptAll, 936},
      {-1, L"Cht", AcceptAll, 950},      {-1, L"deu", AcceptAll, 1252}, {-1, L"esp", AcceptAll, 1252},
      {-1, L"fra", AcceptAll, 1252},     {-1, L"ita", AcceptAll, 1252}, {-1, L"jpn", AcceptAll, 932},
      {-1, L"eng", AcceptAll, 932},      {-1, L"", AcceptAll, 932},     {-1, L"kore", AcceptAll, 932},
      {1252, L"kor", ProbeCodePage, 1252}, {65001, L"jpn", ProbeCodePage, 65001},
      {12345, L"kor", ProbeCodePage, 932}, {0, L"kor", ProbeCodePage, 932}, {-1, L"kor", RefuseAll, 932},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseCodePage(c.configured, c.language, c.probe), c.page)
        << c.configured << " " << msc::test::Utf8(c.language);
}

TEST(CodePageChoice, SettingTextReadsLikeADecimalNumber) {
  EXPECT_EQ(ParseCodePageSetting(L"-1"), -1);
  EXPECT_EQ(ParseCodePageSetting(L"  949"), 949);
  EXPECT_EQ(ParseCodePageSetting(L"1252 ; western"), 1252);
  EXPECT_EQ(ParseCodePageSetting(L"abc"), 0);
  EXPECT_EQ(ParseCodePageSetting(L""), 0);
}

TEST(CodePageChoice, CoreServicesOverrideOnlyWhenTheyAnswer) {
  msc::test::FakeCore core;
  core.value.SetData(int32_t{65001});
  EXPECT_EQ(ConfiguredCodePage(-1, &core), 65001);
  ASSERT_EQ(core.log.size(), 1u);
  EXPECT_EQ(core.log[0], "slot 1 Macro codePage");

  core.status = 1;
  EXPECT_EQ(ConfiguredCodePage(949, &core), 949);
  EXPECT_EQ(ConfiguredCodePage(949, nullptr), 949);
}

TEST(MachineDefault, LmqMachinesStartNotExecutable) {
  // With item 10 set, bit 3 of item 9 decides and the entry is not consulted.
  const struct { int32_t item10, item9; const wchar_t* machine; uint32_t flag; } cases[] = {
      {0, 0, L"xLmQx", 0}, {0, 0, L"lmq", 0}, {0, 0, L"Unknown", 1}, {0, 0, L"LM-Q", 1},
      {0, 0, L"", 1},      {1, 8, L"", 0},    {1, 0xF7, L"LMQ", 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseMachineDefault(c.item10, c.item9, c.machine), c.flag) << msc::test::Utf8(c.machine);
}

// The process-wide choices are made once, so the end-to-end check runs in a
// fresh process: this binary again, restricted to the child test below.
TEST(ConfigEndToEnd, FirstObjectReadsTheConfigurationDirectory) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("msc_config_" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "Version.ini") << "[Version]\nMachine=xLmQx\n";
  std::ofstream(dir / "QOR-Option.ini") << "[Macro]\n";

  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setenv("MACRO_SC_CONFIG", dir.c_str(), 1);
    setenv("MACRO_SC_LANGUAGE", "Kor", 1);
    setenv("MSC_CONFIG_CHILD", "1", 1);
    execl("/proc/self/exe", "msc_unit_tests", "--gtest_filter=ConfigEndToEnd.Child",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  fs::remove_all(dir);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ConfigEndToEnd, Child) {
  if (std::getenv("MSC_CONFIG_CHILD") == nullptr) GTEST_SKIP() << "runs in the child process only";
  msc::test::MacroPtr m = msc::test::NewMacro();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->executableFlag, 0u);
  EXPECT_EQ(CodePage(), 949u);
  EXPECT_EQ(MachineExecutableDefault(), 0u);
}

}  // namespace
}  // namespace msc::config
