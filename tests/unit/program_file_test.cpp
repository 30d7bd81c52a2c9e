// Program images and program source files: layout, round trips, and damaged
// input (random images and files are the program_image and program_file
// fuzz targets').
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "api/config.h"
#include "frontend/code.h"
#include "frontend/compiler.h"
#include "frontend/listing.h"
#include "frontend/program_file.h"
#include "platform/codepage.h"
#include "test_support.h"

namespace msc {
namespace {

using test::MacroPtr;
using test::NewMacro;

// Compiles each text as line 10, 20, 30 ... and stores it, as a loader does.
void StoreLines(QorMacro& m, const std::vector<std::string>& lines) {
  std::vector<uint8_t> code(kLineBufferSize);
  uint32_t number = 10;
  for (const std::string& text : lines) {
    std::string source = std::to_string(number) + " " + text;
    uint32_t compiled = 0;
    int32_t length = 0;
    ASSERT_EQ(CompileLine(source.data(), code.data(), m, false, &compiled, &length), 0) << text;
    ASSERT_EQ(StoreLine(m, number, code.data(), length), 0);
    number += 10;
  }
}

// The numbered listing of every line.
std::vector<std::string> Listing(QorMacro& m) {
  std::vector<std::string> lines;
  if (m.program.Empty()) return lines;
  std::vector<char> text(kLineBufferSize);
  for (const uint8_t* r = m.program.data; RecordLength(r) != 0; r += RecordLength(r)) {
    uint32_t number = 0;
    ListLine(r, text.data(), text.size(), &number);
    lines.emplace_back(text.data());
  }
  return lines;
}

std::vector<uint8_t> SaveImage(QorMacro& m) {
  std::vector<uint8_t> image(ProgramImageSize(m));
  EXPECT_EQ(SaveProgramImage(m, image.data()), 0);
  return image;
}

// Loads from a heap block of exactly the image's length, so that a read past
// its end is caught by the address sanitizer.
ErrNo LoadImage(QorMacro& m, const std::vector<uint8_t>& image, const uint8_t** after = nullptr) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[image.size()]);
  std::memcpy(exact.get(), image.data(), image.size());
  const uint8_t* end = nullptr;
  const ErrNo err = LoadProgramImage(m, exact.get(), &end);
  if (after != nullptr) *after = image.data() + (end - exact.get());
  return err;
}

class TempFile {
 public:
  explicit TempFile(const std::string& name)
      : path_(testing::TempDir() + "msc_program_file_" + std::to_string(getpid()) + "_" + name) {}
  ~TempFile() { std::remove(path_.c_str()); }

  void Write(const std::string& bytes) const {
    std::ofstream(path_, std::ios::binary) << bytes;
  }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::wstring Wide() const { return platform::ToWide(platform::kCodePageUtf8, path_); }

 private:
  std::string path_;
};

ErrNo LoadSource(QorMacro& m, const TempFile& file) {
  return LoadProgramSource(m, file.Wide().c_str());
}

// --- program images ------------------------------------------------------

TEST(ProgramImage, OneEndLineIsThirtyTwoBytes) {
  MacroPtr m = NewMacro();
  EXPECT_EQ(ProgramImageSize(*m), 0u);  // empty program: no image at all

  StoreLines(*m, {"End"});
  const std::vector<uint8_t> image = SaveImage(*m);
  ASSERT_EQ(image.size(), 32u);
  EXPECT_EQ(LoadU32(image.data()), 32u);
  EXPECT_EQ(std::memcmp(image.data() + 4, "K7TTMCR100\0\0\0\0\0\0", 16), 0);
  EXPECT_EQ(std::memcmp(image.data() + 20, "End", 4), 0);
  EXPECT_EQ(image[24], 0xFF);
  EXPECT_EQ(std::memcmp(image.data() + 25, "\0\0\0END", 7), 0);
  EXPECT_EQ(image[31], 0);
}

TEST(ProgramImage, RoundTripKeepsTextAndBytes) {
  const std::vector<std::string> lines = {
      "*START",       "    A& = &H10 + 1 : B# = 0.1", "",
      R"(S$ = "say ""hi""")", "Rem  keep   this \"text\"", "? A&; S$",
      ":",            "If A& >= 3 Then Goto *START",  "Next I&, J&"};
  MacroPtr source = NewMacro();
  StoreLines(*source, lines);
  const std::vector<uint8_t> image = SaveImage(*source);

  MacroPtr loaded = NewMacro();
  const uint8_t* after = nullptr;
  ASSERT_EQ(LoadImage(*loaded, image, &after), 0);
  EXPECT_EQ(after, image.data() + image.size());
  EXPECT_EQ(Listing(*loaded), Listing(*source));
  EXPECT_EQ(SaveImage(*loaded), image);
}

TEST(ProgramImage, RefusedImagesLeaveTheProgramAlone) {
  MacroPtr m = NewMacro();
  StoreLines(*m, {"A& = 1", "Print A&"});
  const std::vector<std::string> before = Listing(*m);
  const std::vector<uint8_t> good = SaveImage(*m);

  std::vector<uint8_t> noMagic = good;
  noMagic[9] = 'X';
  const uint8_t* after = nullptr;
  EXPECT_EQ(LoadImage(*m, noMagic, &after), 0) << "not an image: nothing to load";
  EXPECT_EQ(after, noMagic.data());

  const std::function<void(std::vector<uint8_t>&)> damages[] = {
      [](std::vector<uint8_t>& i) { StoreU32(i.data(), 7); },
      [](std::vector<uint8_t>& i) { StoreU32(i.data(), 0x10000001); },
      [](std::vector<uint8_t>& i) { StoreU32(i.data(), static_cast<uint32_t>(i.size()) - 1); },
      [](std::vector<uint8_t>& i) { i[i.size() - 2] = 'X'; },  // no end marker
      // The last line loses its zero byte and its 0xFF: it runs into the marker.
      [](std::vector<uint8_t>& i) {
        for (size_t k = 20; k < i.size() - 4; ++k)
          if (i[k] == 0 || i[k] == 0xFF) i[k] = ' ';
      },
  };
  for (const auto& damage : damages) {
    std::vector<uint8_t> image = good;
    damage(image);
    EXPECT_EQ(LoadImage(*m, image), -1);
  }
  EXPECT_EQ(Listing(*m), before);
}

// Builds an image by hand from stored line texts.
std::vector<uint8_t> MakeImage(const std::vector<std::string>& lines) {
  std::vector<uint8_t> image(20);
  std::memcpy(image.data() + 4, "K7TTMCR100", 10);
  for (const std::string& line : lines) {
    image.insert(image.end(), line.begin(), line.end());
    image.push_back(0);
  }
  image.push_back(0xFF);
  while (image.size() % 4 != 0) image.push_back(0);
  image.insert(image.end(), {'E', 'N', 'D', 0});
  StoreU32(image.data(), static_cast<uint32_t>(image.size()));
  return image;
}

TEST(ProgramImage, FirstCompileErrorEmptiesTheProgram) {
  MacroPtr m = NewMacro();
  StoreLines(*m, {"A& = 1"});
  EXPECT_EQ(LoadImage(*m, MakeImage({"A& = 2", "Print b", "C& = 3"})), 2);
  EXPECT_TRUE(Listing(*m).empty());

  EXPECT_EQ(LoadImage(*m, MakeImage({"Option Explicit", "Dim A&", "B& = A&"})), 200);
  EXPECT_TRUE(Listing(*m).empty());
  EXPECT_EQ(m->explicitFlag, 0u);

  // Lines are numbered afresh whatever the text holds.
  ASSERT_EQ(LoadImage(*m, MakeImage({"", "Print 1"})), 0);
  EXPECT_EQ(Listing(*m), (std::vector<std::string>{"10", "20 Print 1"}));
}

// --- source files --------------------------------------------------------

TEST(ProgramSource, SavedTextIsTheLoadedText) {
  TempFile in("in.mcr"), out("out.mcr");
  const std::string text =
      "A& = 1\r\n\r\nPrint A&\r\n    If A& = 1 Then\r\n        Print \"one\"\r\n    EndIf\r\n";
  in.Write(text);
  MacroPtr m = NewMacro();
  ASSERT_EQ(LoadSource(*m, in), 0);
  ASSERT_EQ(Listing(*m).size(), 6u);
  ASSERT_EQ(SaveProgramSource(*m, out.Wide().c_str()), 0);
  EXPECT_EQ(out.Read(), text);

  // A line of nothing but spaces or punctuation is kept as an empty line.
  in.Write("   \r\n:\r\n");
  ASSERT_EQ(LoadSource(*m, in), 0);
  ASSERT_EQ(SaveProgramSource(*m, out.Wide().c_str()), 0);
  EXPECT_EQ(out.Read(), "\r\n\r\n");

  MacroPtr empty = NewMacro();
  ASSERT_EQ(SaveProgramSource(*empty, out.Wide().c_str()), 0);
  EXPECT_EQ(out.Read(), "");
}

TEST(ProgramSource, OverLongLineContinuesAsTheNextLine) {
  // "10 " takes three bytes of the 65536, one more holds the final zero.
  const size_t capacity = 65536 - 3 - 1;
  std::string first = "Print 1" + std::string(capacity - 7, ' ');
  TempFile file("long.mcr");
  file.Write(first + "Print 2\r\nPrint 3\r\n");
  MacroPtr m = NewMacro();
  ASSERT_EQ(LoadSource(*m, file), 0);
  std::vector<std::string> listing = Listing(*m);
  ASSERT_EQ(listing.size(), 3u);
  listing[0].resize(10);
  EXPECT_EQ(listing, (std::vector<std::string>{"10 Print 1", "20 Print 2", "30 Print 3"}));
}

// Each error is shown with its line (the command-line check shows the
// messages); what matters here is that loading goes on and keeps nothing.
TEST(ProgramSource, EveryErrorIsShownAndNothingKept) {
  TempFile file("errors.mcr");
  file.Write("A& = 1\r\nPrint b\r\nC& = 2\r\n" + std::string(22000, '?') + "\r\nOption Explicit\r\n");
  MacroPtr m = NewMacro();
  ErrNo err = 0;
  const std::string out = test::Captured([&] { err = LoadSource(*m, file); });
  EXPECT_EQ(err, 2);
  EXPECT_TRUE(Listing(*m).empty());
  EXPECT_NE(out.find("Macro(SC) 20 Print b\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("30 C&"), std::string::npos) << out;
  EXPECT_NE(out.find("Macro(SC) Line buffer overflow\nMacro(SC) 40 ???"), std::string::npos);
  EXPECT_EQ(m->explicitFlag, 0u) << "a failed load leaves no Option Explicit behind";
}

TEST(ProgramSource, MissingOrUnwritableFilesGiveFive) {
  MacroPtr m = NewMacro();
  StoreLines(*m, {"A& = 1"});
  TempFile missing("does_not_exist.mcr");
  EXPECT_EQ(LoadSource(*m, missing), 5);
  EXPECT_TRUE(Listing(*m).empty());  // cleared before the open

  StoreLines(*m, {"A& = 1"});
  const std::wstring dir = platform::ToWide(platform::kCodePageUtf8, testing::TempDir());
  EXPECT_EQ(SaveProgramSource(*m, dir.c_str()), 5);
  EXPECT_EQ(Listing(*m).size(), 1u);
}

TEST(ProgramSource, TextOutsideAsciiRoundTrips) {
  if (CodePage() == 1252) GTEST_SKIP() << "the code page has no Japanese characters";
  TempFile in("kana.mcr"), out("kana_out.mcr");
  const std::string text = "S$ = \"\xE6\x97\xA5\xE6\x9C\xAC\" ' \xE3\x82\xAB\r\n";
  in.Write(text);
  MacroPtr m = NewMacro();
  ASSERT_EQ(LoadSource(*m, in), 0);
  ASSERT_EQ(SaveProgramSource(*m, out.Wide().c_str()), 0);
  EXPECT_EQ(out.Read(), text);
  const std::vector<uint8_t> image = SaveImage(*m);
  MacroPtr again = NewMacro();
  ASSERT_EQ(LoadImage(*again, image), 0);
  EXPECT_EQ(Listing(*again), Listing(*m));
}

}  // namespace
}  // namespace msc
