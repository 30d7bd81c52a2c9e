// The program exports as a host calls them: wide text, null objects, labels,
// the executable flag, and "*MCRINIT" after loads.
#include "macro_sc/macro_sc.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "api/qor_macro.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/listing.h"
#include "test_support.h"

namespace msc {
namespace {

using test::IntVar;

class ExportsTest : public testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro& m = *macro;

  void Program(std::initializer_list<const wchar_t*> lines) {
    for (const wchar_t* line : lines) ASSERT_EQ(_DirectExecute(&m, line), 0);
  }
};

TEST(ExportsNull, NullObjectsAreRefused) {
  char image[64] = {};
  EXPECT_EQ(_DirectExecute(nullptr, L"A& = 1"), -1);
  EXPECT_EQ(_Gosub(nullptr, L"*MCRINIT"), -1);
  EXPECT_EQ(_IsExistLabel(nullptr, L"*MCRINIT"), 0);
  EXPECT_EQ(_GetProgramSize(nullptr), -1);
  EXPECT_EQ(_SaveProgramM(nullptr, image), -1);
  EXPECT_EQ(_LoadProgramM(nullptr, image), -1);
  EXPECT_EQ(_SaveProgramF(nullptr, L"x.mcr"), -1);
  EXPECT_EQ(_LoadProgramF(nullptr, L"x.mcr"), -1);
}

TEST_F(ExportsTest, LabelsAreFoundOnlyAtTheStartOfALine) {
  // Which lines define a label is the program area's test; this is the export.
  Program({L"10 *FIRST", L"20 Goto *REFERENCED"});
  EXPECT_EQ(_IsExistLabel(&m, L"*first"), 1);
  EXPECT_EQ(_IsExistLabel(&m, L"*REFERENCED"), 0);
  EXPECT_EQ(_IsExistLabel(&m, L""), 0);
  EXPECT_EQ(_IsExistLabel(&m, nullptr), 0);
}

TEST_F(ExportsTest, GosubUpperCasesTheLabel) {
  Program({L"10 *LOW", L"20 A& = 3", L"30 Return"});
  EXPECT_EQ(_Gosub(&m, L"*low"), 0);
  EXPECT_EQ(IntVar(m, "A&"), 3);
  EXPECT_EQ(_Gosub(&m, L""), -1);
  EXPECT_EQ(test::Captured([&] { EXPECT_EQ(_Gosub(&m, L"*missing"), 32); }), "");
}

// An image without the magic keeps the held program and runs its *MCRINIT,
// unless the executable flag is 0.
TEST_F(ExportsTest, ImageWithoutMagicAndTheExecutableFlag) {
  Program({L"10 *MCRINIT", L"20 N& = N& + 1", L"30 Return"});
  const char noMagic[64] = "not a program image";
  EXPECT_EQ(_LoadProgramM(&m, noMagic), 0);
  EXPECT_EQ(_LoadProgramM(&m, noMagic), 0);
  EXPECT_EQ(IntVar(m, "N&"), 2);
  m.executableFlag = 0;
  EXPECT_EQ(_Gosub(&m, L"*MCRINIT"), -1);
  EXPECT_EQ(_LoadProgramM(&m, noMagic), 0);
  EXPECT_EQ(IntVar(m, "N&"), 2) << "nothing runs while the flag is 0";
  EXPECT_EQ(_IsExistLabel(&m, L"*MCRINIT"), 1) << "the flag does not hide labels";
  Program({L"40 Option Executable"});
  EXPECT_EQ(_Gosub(&m, L"*MCRINIT"), 0);
  EXPECT_EQ(IntVar(m, "N&"), 3);
}

TEST_F(ExportsTest, LoadedImagesAndFilesRunTheirInitRoutine) {
  Program({L"10 *MCRINIT", L"20 N& = 7", L"30 Return"});
  const int32_t size = _GetProgramSize(&m);
  ASSERT_GT(size, 0);
  std::vector<uint32_t> image(static_cast<size_t>(size + 3) / 4);
  ASSERT_EQ(_SaveProgramM(&m, image.data()), 0);

  test::MacroPtr loaded = test::NewMacro();
  EXPECT_EQ(_LoadProgramM(loaded.get(), image.data()), 0);
  EXPECT_EQ(IntVar(*loaded, "N&"), 7);

  // A damaged image is refused before anything runs.
  std::vector<uint32_t> damaged = image;
  damaged[0] = 7;
  test::MacroPtr refused = test::NewMacro();
  EXPECT_EQ(_LoadProgramM(refused.get(), damaged.data()), -1);
  EXPECT_EQ(IntVar(*refused, "N&"), -999);

  char path[] = "/tmp/msc_exports_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::wstring wpath(path, path + std::strlen(path));
  ASSERT_EQ(_SaveProgramF(&m, wpath.c_str()), 0);
  test::MacroPtr fromFile = test::NewMacro();
  EXPECT_EQ(_LoadProgramF(fromFile.get(), wpath.c_str()), 0);
  EXPECT_EQ(IntVar(*fromFile, "N&"), 7);
  std::remove(path);
  EXPECT_EQ(_LoadProgramF(fromFile.get(), wpath.c_str()), 5);
}

TEST_F(ExportsTest, LongTextIsCutAt1023Bytes) {
  const std::wstring text = L"10 '" + std::wstring(2000, L'b');
  ASSERT_EQ(_DirectExecute(&m, text.c_str()), 0);
  const uint8_t* record = FindLineRecord(m, 10);
  ASSERT_NE(record, nullptr);
  char listing[4096];
  uint32_t number = 0;
  EXPECT_EQ(ListLine(record, listing, sizeof listing, &number), 1023u);
}

}  // namespace
}  // namespace msc
