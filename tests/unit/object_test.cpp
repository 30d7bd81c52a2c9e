#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "api/config.h"
#include "api/qor_macro.h"
#include "fake_host.h"
#include "test_support.h"

namespace msc {
namespace {

TEST(MacroObject, FreshObjectStartsEmpty) {
  test::FakeHost host;
  QorMacro* raw = _CreateQorMacro(&host);
  ASSERT_NE(raw, nullptr);
  test::MacroPtr m(raw);

  // Every field that a constructor could forget; the arrays of files, texts
  // and saved blocks are value-initialised, and a stray pointer there would
  // fail every test under the sanitizers when the object is deleted.
  ASSERT_NE(m->program.data, nullptr);
  EXPECT_EQ(m->program.used, 2);
  EXPECT_EQ(m->program.data[0] | m->program.data[1], 0);
  EXPECT_NE(m->variables.First(), nullptr);
  EXPECT_EQ(m->reportMode, 1u);
  EXPECT_STREQ(m->stopPattern, "");
  EXPECT_EQ(m->lastErrorLine + m->lastErrorNumber + m->trappedErrorNumber + m->trappedErrorStatement, 0u);
  EXPECT_EQ(m->lastErrorText, nullptr);
  EXPECT_EQ(m->savedDepth + static_cast<int>(m->explicitFlag), 0);
  EXPECT_EQ(m->executableFlag, MachineExecutableDefault());
  EXPECT_EQ(m->host, &host);
  EXPECT_EQ(m->core, GetQorCoreRA());
  EXPECT_EQ(m->procedureStream, nullptr);
  auto* derived = dynamic_cast<_QorMacro*>(m.get());
  ASSERT_NE(derived, nullptr);
  EXPECT_EQ(derived->referenceMap, nullptr);
  EXPECT_TRUE(host.log.empty());  // creation calls nothing on the host interface
}

TEST(MacroObject, DeletingNullDoesNothing) {
  _DeleteQorMacro(nullptr);
  test::MacroPtr a = test::NewMacro(), b = test::NewMacro();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a->program.data, b->program.data);
}

TEST(MacroObject, NewResetsProgramFilesAndErrorState) {
  test::MacroPtr m = test::NewMacro();
  ASSERT_NE(m, nullptr);
  m->program.used = 300;
  m->program.data[0] = 0x20;
  m->lastErrorLine = 10;
  m->lastErrorNumber = 5;
  m->lastErrorText = "Illegal function call";
  m->trappedErrorNumber = 13;
  m->trappedErrorStatement = 0x8036;
  m->explicitFlag = 1;
  m->executableFlag = 7;
  m->files[3] = std::tmpfile();
  ASSERT_NE(m->files[3], nullptr);
  for (int i = 0; i < 2; ++i) m->savedVariables[i] = static_cast<uint8_t*>(std::malloc(64));
  m->savedDepth = 2;
  m->userSubroutines = std::make_unique<std::map<std::wstring, void*>>();
  m->reportMode = 2;

  ClearProgram(*m);  // leaks of the file or the saved blocks show under the sanitizers

  ASSERT_NE(m->program.data, nullptr);
  EXPECT_EQ(m->program.capacity, 4096u);
  EXPECT_EQ(m->program.used, 2);
  EXPECT_EQ(m->program.data[0], 0);
  EXPECT_EQ(m->lastErrorLine, 0u);
  EXPECT_EQ(m->lastErrorNumber, 0u);
  EXPECT_EQ(m->lastErrorText, nullptr);
  EXPECT_EQ(m->trappedErrorNumber, 0u);
  EXPECT_EQ(m->trappedErrorStatement, 0u);
  EXPECT_EQ(m->explicitFlag, 0u);
  EXPECT_EQ(m->executableFlag, MachineExecutableDefault());
  EXPECT_EQ(m->files[3], nullptr);
  EXPECT_EQ(m->savedVariables[0], nullptr);
  EXPECT_EQ(m->savedVariables[1], nullptr);
  EXPECT_EQ(m->savedDepth, 0);
  EXPECT_EQ(m->userSubroutines, nullptr);
  EXPECT_EQ(m->reportMode, 2u);  // the report mode is no program state
}

TEST(MacroObject, TextDataSurvivesNewButNotTheObject) {
  namespace fs = std::filesystem;
  const fs::path file = fs::temp_directory_path() / "msc_object_text.txt";
  std::ofstream(file) << "greeting=hello\n";
  test::MacroPtr m = test::NewMacro();
  ASSERT_NE(m, nullptr);
  const std::wstring name = file.wstring();
  m->textData[2] = OpenTextData(name.c_str());
  ASSERT_NE(m->textData[2], nullptr);
  ClearProgram(*m);
  ASSERT_NE(m->textData[2], nullptr);
  EXPECT_STREQ(GetText(m->textData[2], L"greeting"), L"hello");
  m.reset();  // the handle is released with the object (a leak shows under the sanitizers)
  fs::remove(file);
}

}  // namespace
}  // namespace msc
