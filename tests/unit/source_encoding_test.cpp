// Source files in other encodings: the tool's warnings, --encoding, and a
// Save that refuses what would not load again.
#include <gtest/gtest.h>
#include <iconv.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/program_file.h"
#include "platform/codepage.h"
#include "test_support.h"

namespace msc {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// UTF-8 text in another encoding, through iconv as an old editor wrote it.
std::string Encoded(const char* encoding, const std::string& utf8) {
  iconv_t cd = iconv_open(encoding, "UTF-8");
  std::string out(utf8.size() * 2, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size(), outLeft = out.size();
  char* dst = out.data();
  EXPECT_NE(iconv(cd, &in, &inLeft, &dst, &outLeft), static_cast<size_t>(-1)) << encoding;
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

class SourceEncoding : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "msc_encoding_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { (void)!std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Path(const char* name) const { return dir_ + "/" + name; }

  // The engine's code page, whatever the tool would choose.
  void CodePage(int page) const {
    WriteAll(Path("QOR-Option.ini"), "[Macro]\ncodePage=" + std::to_string(page) + "\n");
  }

  // Runs macro-sc in the directory with input on stdin; the exit status.
  int Tool(const std::string& arguments, const std::string& input = "") {
    WriteAll(Path("stdin"), input);
    const std::string command = "cd '" + dir_ + "' && " MSC_TOOL " --config . " + arguments +
                                " < stdin > stdout 2> stderr";
    const int status = std::system(command.c_str());
    out_ = ReadAll(Path("stdout"));
    err_ = ReadAll(Path("stderr"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir_, out_, err_;
};

// Japanese in strings and comments; a line written without them.
const std::string kJapanese =
    "' 検査ルーチン: 角度 90°\r\n"
    "*MAIN\r\n"
    "  A$ = \"日本語\" : Print Len(A$)\r\n"
    "  Return ' 戻る\r\n";

TEST_F(SourceEncoding, ShiftJisWarnsWithoutEncodingAndRoundTripsWithIt) {
  CodePage(932);
  WriteAll(Path("sjis.mcr"), Encoded("SHIFT_JIS", kJapanese));
  EXPECT_EQ(Tool("check sjis.mcr"), 2);
  EXPECT_EQ(err_,
            "sjis.mcr:1:3: warning: not UTF-8 (byte 0x8C)\n"
            "sjis.mcr:3:9: warning: not UTF-8 (byte 0x93)\n"
            "sjis.mcr:4:12: warning: not UTF-8 (byte 0x96)\n");

  EXPECT_EQ(Tool("list sjis.mcr --encoding cp932"), 0);
  EXPECT_EQ(err_, "");
  EXPECT_EQ(out_, "10 ' 検査ルーチン: 角度 90°\n20 *MAIN\n30   A$ = \"日本語\" : Print Len(A$)\n"
                  "40   Return ' 戻る\n");
  // Save writes what was read, byte for byte.
  EXPECT_EQ(Tool("--encoding shift_jis", "Load \"sjis.mcr\"\nSave \"again.mcr\"\n"), 0);
  EXPECT_EQ(ReadAll(Path("again.mcr")), ReadAll(Path("sjis.mcr")));

  // Valid UTF-8 that the code page cannot hold is lost too, so said.
  WriteAll(Path("accent.mcr"), "' é\r\n");
  EXPECT_EQ(Tool("check accent.mcr"), 2);
  EXPECT_EQ(err_, "accent.mcr:1:3: warning: 'é' has no form in code page 932 and loads as '?'\n");
}

TEST_F(SourceEncoding, Cp1252AndAByteGluedToAWord) {
  CodePage(1252);
  // "é" and "°" outside strings; "Return" and "*DONE" each followed by a byte.
  WriteAll(Path("cp.mcr"), Encoded("CP1252", "' café à 20° \r\n  X& = 1 ' é\r\n*MAIN\r\n  Return") +
                               "\xE9\r\n*DONE\xB0\r\n");
  EXPECT_EQ(Tool("check cp.mcr"), 2);
  EXPECT_EQ(err_,
            "cp.mcr:1:6: warning: not UTF-8 (byte 0xE9)\n"
            "cp.mcr:2:12: warning: not UTF-8 (byte 0xE9)\n"
            "cp.mcr:4:9: warning: not UTF-8 (byte 0xE9)\n"
            "cp.mcr:5:6: warning: not UTF-8 (byte 0xB0)\n");
  // The stray bytes load as "?", Print: the saved program loads again.
  EXPECT_EQ(Tool("", "Load \"cp.mcr\"\nSave \"saved.mcr\"\nLoad \"saved.mcr\"\nList\n"), 0);
  EXPECT_EQ(out_, "10 ' caf? ? 20? \n20   X& = 1 ' ?\n30 *MAIN\n40   Return Print \n50 *DONE Print \n");

  // Read in its own encoding by an engine whose code page holds it all.
  const std::string text = Encoded("CP1252", "' café à 20° \r\n  X& = 1 ' é\r\n*MAIN\r\n  Return\r\n");
  WriteAll(Path("good.mcr"), text);
  EXPECT_EQ(Tool("--encoding cp1252 list good.mcr"), 0);
  EXPECT_EQ(out_, "10 ' café à 20° \n20   X& = 1 ' é\n30 *MAIN\n40   Return\n");
  EXPECT_EQ(Tool("--encoding cp1252", "Load \"good.mcr\"\nSave \"again.mcr\"\n"), 0);
  EXPECT_EQ(ReadAll(Path("again.mcr")), text);
  // A character the file's encoding lacks ("€" in Latin-1) is never written as "?".
  EXPECT_EQ(Tool("--encoding latin1", "10 ' é\nSave \"again.mcr\"\n20 ' €\nSave \"again.mcr\"\n"), 0);
  EXPECT_NE(out_.find("Save refused: line 20 has characters the file's encoding cannot hold"), std::string::npos);
  EXPECT_EQ(ReadAll(Path("again.mcr")), "' \xE9\r\n");
}

TEST_F(SourceEncoding, SaveRefusesALineThatWouldNotLoadAgain) {
  test::MacroPtr m = test::NewMacro();
  std::string option = "10 Option Explicit", dim = "20 Dim N&";
  std::vector<uint8_t> code(kLineBufferSize);
  uint32_t number = 0;
  int32_t length = 0;
  for (std::string* line : {&option, &dim}) {
    ASSERT_EQ(CompileLine(line->data(), code.data(), *m, false, &number, &length), 0);
    ASSERT_EQ(StoreLine(*m, number, code.data(), length), 0);
  }
  const std::string path = Path("kept.mcr");
  const std::wstring wide = platform::ToWide(platform::kCodePageUtf8, path);
  // Dim under Option Explicit compiles again as it was.
  ASSERT_EQ(SaveProgramSource(*m, wide.c_str()), 0);
  EXPECT_EQ(ReadAll(path), "Option Explicit\r\nDim N&\r\n");

  // Two Print tokens with no space between list as one name.
  const uint8_t glued[] = {1, 0x80, 0x36, 0x80, 0x36};
  ASSERT_EQ(StoreLine(*m, 30, glued, sizeof glued), 0);
  const std::string printed = test::Captured([&] { EXPECT_EQ(SaveProgramSource(*m, wide.c_str()), 74); });
  EXPECT_EQ(printed, "Macro(SC) Save refused: line 30 would not load again: Syntax error\n"
                     "Macro(SC) 30 PrintPrint\n");
  EXPECT_EQ(ReadAll(path), "Option Explicit\r\nDim N&\r\n");
}

}  // namespace
}  // namespace msc
