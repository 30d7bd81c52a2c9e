// Variable images: the stored-variable image, the variable stream, copying
// between objects and the procedure save and load, with damaged input (random
// images and streams are the stored_image and variable_stream fuzz targets').
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/run.h"
#include "test_support.h"

namespace msc {
namespace {

using Bytes = std::vector<uint8_t>;

// Keeps every piece written, and whether the stream was finished.
struct MemoryWriter : HostWriteStream {
  std::vector<Bytes> pieces;
  int finishes = 0;
  int32_t failAt = -1;  // index of the write that fails (the finish counts too)
  int calls = 0;
  int32_t Write(const void* data, uint32_t count) override {
    if (calls++ == failAt) return 9;
    if (data == nullptr && count == 0) {
      ++finishes;
      return 0;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    pieces.emplace_back(p, p + count);
    return 0;
  }
};

// Hands out the pieces in order, then the end.
struct MemoryReader : HostReadStream {
  std::vector<Bytes> pieces;
  size_t next = 0;
  int32_t status = 0;
  explicit MemoryReader(std::vector<Bytes> p) : pieces(std::move(p)) {}
  int32_t Read(const void** data, uint32_t* length, int32_t) override {
    if (status != 0) return status;
    *data = next < pieces.size() ? pieces[next].data() : nullptr;
    *length = next < pieces.size() ? static_cast<uint32_t>(pieces[next].size()) : 0;
    ++next;
    return 0;
  }
};

Bytes StoredImage(QorMacro* m) {
  const int32_t size = _GetStoredVariableSize(m);
  if (size <= 0) return {};
  Bytes image(static_cast<size_t>(size), 0xCC);
  EXPECT_EQ(_SaveStoredVariableM(m, image.data()), 0);
  return image;
}

std::vector<Bytes> Stream(QorMacro* m, const wchar_t* pattern) {
  MemoryWriter w;
  EXPECT_EQ(_SaveVariable2(m, pattern, &w), 0);
  EXPECT_EQ(w.finishes, 1);
  return w.pieces;
}

void Exec(QorMacro& m, const char* line) { ASSERT_EQ(DirectExecute(m, line), kOk) << line; }

int32_t Int(QorMacro& m, const char* name) { return test::IntVar(m, name); }

Bytes Header(const char* magic) {
  Bytes b(16, 0);
  std::memcpy(b.data(), magic, std::strlen(magic));
  return b;
}

void Append(Bytes& b, const void* p, size_t n) {
  b.insert(b.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
}

TEST(StoredImage, SizesAndBytesOfSmallSets) {
  auto m = test::NewMacro();
  EXPECT_EQ(_GetStoredVariableSize(m.get()), 0);
  Exec(*m, "X&& = 5");
  EXPECT_EQ(_GetStoredVariableSize(m.get()), 36);

  // A mixed set: a stored integer, a stored text, a stored string without a
  // text (a bare record), names that are not stored, and a stored integer
  // array of two elements.
  auto n = test::NewMacro();
  Exec(*n, "A&& = 1 : S$$ = \"hi\" : L& = Len(T$$) : Z& = 4 : V!! = 2 : Dim K&&(1) : K&&(1) = 7");
  Bytes expected(4, 0);
  Append(expected, "K7TTMCD100\0\0\0\0\0\0", 16);
  const uint8_t a[] = {0xE0, 1, 0, 0, 0, 3, 'A', '&', '&'};
  const uint8_t s[] = {0xE2, 1, 0, 0, 0, 0, 0, 0, 0, 3, 'S', '$', '$', 'h', 'i', 0};
  const uint8_t t[] = {0xE2, 0, 0, 0, 0, 0, 0, 0, 0, 3, 'T', '$', '$'};
  const uint8_t k[] = {0xE3, 1, 0, 0, 0, 0, 0, 0, 0, 3, 'K', '&', '&',
                       1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0};
  Append(expected, a, sizeof a);
  Append(expected, s, sizeof s);
  Append(expected, t, sizeof t);
  Append(expected, k, sizeof k);
  expected.push_back(0);
  while (expected.size() % 4 != 0) expected.push_back(0);
  Append(expected, "END", 4);
  expected[0] = static_cast<uint8_t>(expected.size());
  ASSERT_EQ(_GetStoredVariableSize(n.get()), static_cast<int32_t>(expected.size()));
  EXPECT_EQ(StoredImage(n.get()), expected);

  // Loading leaves a variable alone whose record carries no text.
  auto o = test::NewMacro();
  Exec(*o, "T$$ = \"kept\"");
  ASSERT_EQ(_LoadStoredVariableM(o.get(), expected.data()), 0);
  EXPECT_EQ(StoredImage(o.get()).size(), expected.size() + 8);  // "kept" and its zero, padded
  EXPECT_EQ(Int(*o, "A&&"), 1);
}

// A random variable area of every kind, arrays of one to three dimensions.
void FillRandomly(QorMacro& m, uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
  const char* suffixes[] = {"&&", "##", "$$", "!!", "&", "$"};
  for (int i = 0; i < 60; ++i) {
    const std::string name = "V" + std::to_string(i) + suffixes[pick(6)];
    std::string target = name;
    std::string line;
    if (pick(3) == 0) {
      std::string extents = std::to_string(pick(3)), first = "0";
      for (int d = pick(3); d > 0; --d) extents += "," + std::to_string(pick(3)), first += ",0";
      line = "Dim " + name + "(" + extents + ")";
      target = name + "(" + first + ")";
    }
    // A stored name without a value is not carried by the stored image, so
    // only other names stay unassigned.
    const bool stored = name[name.size() - 2] == name.back() && name.back() != '!';
    switch (stored ? 1 : pick(5)) {
      case 0:  // declared, never assigned
        if (line.empty()) line = "Dim " + name;
        break;
      default: {
        std::string value;
        switch (name.back()) {
          case '&': value = std::to_string(static_cast<int32_t>(rng())); break;
          case '#': value = std::to_string(pick(100000)) + ".25"; break;
          case '$': value = pick(4) == 0 ? "\"\"" : "\"t" + std::to_string(pick(999)) + "\""; break;
          default: value = pick(2) == 0 ? std::to_string(pick(99)) : "\"v\""; break;
        }
        line += (line.empty() ? "" : " : ") + target + " = " + value;
      }
    }
    ASSERT_EQ(DirectExecute(m, line.c_str()), kOk) << line;
  }
}

TEST(VariableImages, RandomAreasRoundTripByteForByte) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    SCOPED_TRACE(seed);
    auto a = test::NewMacro();
    FillRandomly(*a, seed);

    const Bytes image = StoredImage(a.get());
    auto b = test::NewMacro();
    if (!image.empty()) {
      ASSERT_EQ(_LoadStoredVariableM(b.get(), image.data()), 0);
    }
    EXPECT_EQ(StoredImage(b.get()), image);

    for (const wchar_t* pattern : {static_cast<const wchar_t*>(nullptr), L"*"}) {
      const auto stream = Stream(a.get(), pattern);
      auto c = test::NewMacro();
      std::vector<Bytes> pieces{Header("K7TTMCD200")};
      pieces.insert(pieces.end(), stream.begin() + 1, stream.end());
      MemoryReader reader(pieces);
      ASSERT_EQ(_LoadVariable2(c.get(), &reader), 0);
      EXPECT_EQ(Stream(c.get(), pattern), stream);

      auto d = test::NewMacro();
      ASSERT_EQ(_CopyVariable2(d.get(), pattern, a.get()), 0);
      EXPECT_EQ(Stream(d.get(), pattern), stream);
    }
  }
}

TEST(VariableStream, LargeAreasArriveInSeveralChunks) {
  auto a = test::NewMacro();
  // Four records of about 390 KB: the third takes the first chunk past 1 MiB.
  Exec(*a, "Dim S$$(749) : Dim T$$(749) : Dim U$$(749) : Dim W$$(749)");
  Exec(*a, "X$ = \"x\" : For J& = 1 To 9 : X$ = X$ + X$ : Next");
  Exec(*a, "For I& = 0 To 749 : S$$(I&) = X$ + Str$(I&) : T$$(I&) = X$ : U$$(I&) = X$ : W$$(I&) = X$ : Next");
  Exec(*a, "N&& = 3");
  const auto pieces = Stream(a.get(), nullptr);
  ASSERT_EQ(pieces.size(), 3u);  // header and two chunks
  EXPECT_EQ(pieces[0], Header("K7TTMCD200"));
  for (size_t i = 1; i < pieces.size(); ++i) {
    EXPECT_EQ(pieces[i].back(), 0) << i;
    EXPECT_LE(pieces[i].size(), 0x100000u + 400000u);
  }
  auto b = test::NewMacro();
  MemoryReader reader(pieces);
  ASSERT_EQ(_LoadVariable2(b.get(), &reader), 0);
  EXPECT_EQ(Stream(b.get(), nullptr), pieces);
  Exec(*b, "L& = Len(S$$(749))");
  EXPECT_EQ(Int(*b, "L&"), 515);
}

TEST(VariableStream, PatternsSelectWholeNamesCaseSensitively) {
  auto a = test::NewMacro();
  Exec(*a, "AB& = 1 : AC& = 2 : ABC& = 3 : ab& = 4");
  struct Case {
    const wchar_t* pattern;
    std::vector<const char*> copied;
  } cases[] = {
      {L"A?&", {"AB&", "AC&"}}, {L"AB*", {"AB&", "ABC&"}}, {L"", {}}, {L"*&", {"AB&", "AC&", "ABC&", "AB&"}},
  };
  for (const Case& c : cases) {
    auto b = test::NewMacro();
    ASSERT_EQ(_CopyVariable2(b.get(), c.pattern, a.get()), 0);
    for (const char* name : {"AB&", "AC&", "ABC&"}) {
      const bool wanted = std::find_if(c.copied.begin(), c.copied.end(), [&](const char* n) {
                            return std::strcmp(n, name) == 0;
                          }) != c.copied.end();
      EXPECT_EQ(Int(*b, name) != -999, wanted) << c.copied.size() << " " << name;
    }
  }
}

TEST(ProcedureStreams, SaveProcAndLoadProcCarryVarSaveChunks) {
  auto m = test::NewMacro();
  MemoryWriter bare;
  EXPECT_EQ(_SaveProc(m.get(), &bare), kErrUndefinedLabel);
  ASSERT_EQ(bare.pieces.size(), 1u);
  EXPECT_EQ(bare.pieces[0], Header("K7TTMCD200"));
  EXPECT_EQ(bare.finishes, 1);

  const char* program[] = {"10 *SAVEPROC : VarSave \"a*\" : Return",
                           "20 *LOADPROC : LOADED& = 1 : Return"};
  for (const char* line : program) Exec(*m, line);
  Exec(*m, "A1& = 5 : A2$ = \"two\" : B& = 6");
  EXPECT_EQ(DirectExecute(*m, "VarSave"), kErrIllegalCall);  // no procedure stream
  MemoryWriter saved;
  ASSERT_EQ(_SaveProc(m.get(), &saved), 0);
  EXPECT_EQ(m->procedureStream, nullptr);

  auto n = test::NewMacro();
  for (const char* line : program) Exec(*n, line);
  MemoryReader reader(saved.pieces);
  ASSERT_EQ(_LoadProc(n.get(), &reader), 0);
  EXPECT_EQ(Int(*n, "A1&"), 5);
  EXPECT_EQ(Int(*n, "B&"), -999);
  EXPECT_EQ(Int(*n, "LOADED&"), 1);

  MemoryWriter failing;
  failing.failAt = 0;
  EXPECT_EQ(_SaveProc(m.get(), &failing), -1);
  MemoryWriter failingChunk;
  failingChunk.failAt = 1;
  EXPECT_EQ(_SaveProc(m.get(), &failingChunk), kErrIllegalCall);  // VarSave's write failed
}

TEST(StoredImage, DamagedImagesAreRefusedWithoutReadingPastThem) {
  auto a = test::NewMacro();
  Exec(*a, "A&& = 1 : B$$ = \"text\" : Dim C##(3) : C##(2) = 1.5");
  const Bytes good = StoredImage(a.get());
  ASSERT_FALSE(good.empty());
  auto damaged = [&](auto edit) {
    Bytes b = good;
    edit(b);
    auto m = test::NewMacro();
    return _LoadStoredVariableM(m.get(), b.data());
  };
  EXPECT_EQ(damaged([](Bytes& b) { b[4] = 'X'; }), 0);          // no magic: nothing loaded
  EXPECT_EQ(damaged([](Bytes& b) { b.back() = 1; }), -1);       // end marker
  EXPECT_EQ(damaged([](Bytes& b) { b[0] = 4; b[1] = b[2] = b[3] = 0; }), -1);
  EXPECT_EQ(damaged([](Bytes& b) { b[3] = 0x20; }), -1);        // above 256 MiB
  EXPECT_EQ(damaged([](Bytes& b) { b[20] = 0xE7; }), -1);       // a kind images never hold
  EXPECT_EQ(damaged([](Bytes& b) { b[20] = 0x42; }), -1);
  // The size field cut to just after the first record: the text record runs
  // into the end marker.
  EXPECT_EQ(damaged([](Bytes& b) {
              const size_t cut = 20 + 9 + 10;
              b.resize(cut);
              while (b.size() % 4) b.push_back(0);
              Append(b, "END", 4);
              b[0] = static_cast<uint8_t>(b.size());
            }), -1);
}

TEST(VariableStream, DamagedStreamsGiveTheirErrorsAndKeepWhatCameBefore) {
  const Bytes header = Header("K7TTMCD200");
  auto load = [](std::vector<Bytes> pieces, QorMacro* m = nullptr) {
    test::MacroPtr own;
    if (m == nullptr) {
      own = test::NewMacro();
      m = own.get();
    }
    MemoryReader reader(std::move(pieces));
    return _LoadVariable2(m, &reader);
  };
  Bytes good = {0xE0, 'A', '&', 0, 5, 0, 0, 0};
  EXPECT_EQ(load({Bytes(header.begin(), header.begin() + 15)}), -1);
  EXPECT_EQ(load({Header("K7TTMCD100")}), -1);
  EXPECT_EQ(load({}), -1);
  Bytes unknown = good;
  unknown.push_back(0x42);
  EXPECT_EQ(load({header, unknown}), kErrInternal);
  Bytes truncated = {0xE1, 'D', '#', 0, 1, 2, 3};
  EXPECT_EQ(load({header, truncated}), kErrInternal);
  Bytes longName = {0xE0};
  longName.insert(longName.end(), 1100, 'N');
  longName.insert(longName.end(), {0, 1, 0, 0, 0, 0});
  EXPECT_EQ(load({header, longName}), kErrInternal);
  Bytes bigArray = {0xE3, 'R', '&', 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0};
  EXPECT_EQ(load({header, bigArray}), kErrInternal);

  // A good record before a bad one stays loaded.
  auto m = test::NewMacro();
  Bytes mixed = good;
  mixed.insert(mixed.end(), truncated.begin(), truncated.end());
  EXPECT_EQ(load({header, mixed}, m.get()), kErrInternal);
  EXPECT_EQ(Int(*m, "A&"), 5);

  MemoryReader refusing({header});
  refusing.status = 4;
  EXPECT_EQ(_LoadVariable2(m.get(), &refusing), 4);

  EXPECT_EQ(_LoadVariable2(nullptr, &refusing), -1);
  EXPECT_EQ(_GetStoredVariableSize(nullptr), -1);
}

}  // namespace
}  // namespace msc
