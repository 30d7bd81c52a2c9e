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

TEST(CodePageChoice, LanguageDecidesWhenNothingIsConfigured) {
  const struct { const wchar_t* language; uint32_t page; } cases[] = {
      {L"kor", 949}, {L"KOR", 949}, {L"chs", 936}, {L"Cht", 950}, {L"deu", 1252},
      {L"esp", 1252}, {L"fra", 1252}, {L"ita", 1252}, {L"jpn", 932}, {L"eng", 932},
      {L"", 932}, {L"kore", 932},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseCodePage(-1, c.language, AcceptAll), c.page) << msc::test::Utf8(c.language);
}

TEST(CodePageChoice, ConfiguredPageWinsUnlessItCannotConvert) {
  EXPECT_EQ(ChooseCodePage(1252, L"kor", ProbeCodePage), 1252u);
  EXPECT_EQ(ChooseCodePage(65001, L"jpn", ProbeCodePage), 65001u);
  EXPECT_EQ(ChooseCodePage(12345, L"kor", ProbeCodePage), 932u);
  EXPECT_EQ(ChooseCodePage(0, L"kor", ProbeCodePage), 932u);
  EXPECT_EQ(ChooseCodePage(-1, L"kor", RefuseAll), 932u);
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
  EXPECT_EQ(ChooseMachineDefault(0, 0, L"xLmQx"), 0u);
  EXPECT_EQ(ChooseMachineDefault(0, 0, L"lmq"), 0u);
  EXPECT_EQ(ChooseMachineDefault(0, 0, L"Unknown"), 1u);
  EXPECT_EQ(ChooseMachineDefault(0, 0, L"LM-Q"), 1u);
  EXPECT_EQ(ChooseMachineDefault(0, 0, L""), 1u);
  // With item 10 set, bit 3 of item 9 decides and the entry is not consulted.
  EXPECT_EQ(ChooseMachineDefault(1, 8, L""), 0u);
  EXPECT_EQ(ChooseMachineDefault(1, 0xF7, L"LMQ"), 1u);
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
