// Walks an allocation failure through a representative session: for every
// N the Nth allocation of the engine fails, the call that meets it must
// succeed or end with error 7 or its own failure value, and the objects must
// still work afterwards. A call that succeeds despite the failure must have
// done all of its work: the session then runs to the end and its results are
// checked. LeakSanitizer checks at exit that nothing stayed behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "alloc_faults.h"
#include "macro_sc/macro_sc.h"

namespace msc::test {
namespace {

constexpr int32_t kOutOfMemory = 7;
constexpr int32_t kRefused = -1;

// Texts, arrays, calls and error trapping, with stored variables for the
// variable stream.
constexpr char kProgram[] =
    "*MCRINIT\n"
    "  Dim Words$(3), Grid&(2, 2)\n"
    "  Title$ = \"alloc\" : Ready& = 1\n"
    "Return\n"
    "*TEXTS\n"
    "  T$ = Title$ + \"-\" + \"test\"\n"
    "  T$ = T$ + Chr$(65)\n"
    "  L$ = Left$(T$, 3) + Mid$(T$, 2, 4) + Right$(T$, 2)\n"
    "  Words$(1) = UCase$(L$) + Str$(Len(L$))\n"
    "  S$$ = L$ + \"stored\"\n"
    "  P$ = Piece$(T$ + \";x;y\", \";\", 2, 3) + Hex$(255) + LCase$(\"AB\") + Str2$(3.14159, 2, 3, 0, 0)\n"
    "  For I& = 1 To 20 : Long$ = Long$ + Chr$(64 + I&) : Next I&\n"
    "  V! = \"variant\" : V! = Len(Long$) : W!! = Mid$(Long$, 18, 3)\n"
    "Return\n"
    "*ARRAYS\n"
    "  Dim A&(10), B#(3)\n"
    "  For I& = 0 To 10 : A&(I&) = I& * I& : Next I&\n"
    "  ReDim A&(20)\n"
    "  A&(20) = 7 : B#(2) = 2.5\n"
    "  Grid&(1, 2) = A&(20) + 1\n"
    "  Dim C$(4)\n"
    "  C$(2) = \"two\" + Str$(Grid&(1, 2))\n"
    "  K&& = A&(20) : R## = B#(2) * 2\n"
    "  Dim D$(2), U!(2)\n"
    "  D$(1) = C$(2) + \"!\" : U!(1) = D$(1) + \"?\" : Erase D$()\n"
    "  Select Left$(U!(1), 3)\n"
    "    Case \"two\"\n"
    "      Sel& = 1\n"
    "  End Select\n"
    "  Do\n"
    "    Sel& = Sel& * 2\n"
    "  Loop While Sel& < 8\n"
    "Return\n"
    "*CALLS\n"
    "  Depth& = 0 : Msg$ = \"\"\n"
    "  Gosub *INNER\n"
    "  Try\n"
    "    Q# = 1 / (Depth& - 3)\n"
    "  Catch\n"
    "    Caught& = Errno\n"
    "  End Try\n"
    "Return\n"
    "*SAVEPROC\n"
    "  VarSave \"GRID*\"\n"
    "Return\n"
    "*LOADPROC\n"
    "  Loaded& = 1\n"
    "Return\n"
    "*INNER\n"
    "  Depth& = Depth& + 1\n"
    "  If Depth& < 3 Then Gosub *INNER\n"
    "  Msg$ = Msg$ + \"i\"\n"
    "Return\n";

struct MemoryWriter : HostWriteStream {
  std::vector<std::vector<uint8_t>> pieces;
  int32_t Write(const void* data, uint32_t count) override {
    FaultPause pause;
    if (data != nullptr) {
      const auto* p = static_cast<const uint8_t*>(data);
      pieces.emplace_back(p, p + count);
    }
    return 0;
  }
};

struct MemoryReader : HostReadStream {
  const std::vector<std::vector<uint8_t>>& pieces;
  size_t next = 0;
  explicit MemoryReader(const std::vector<std::vector<uint8_t>>& p) : pieces(p) {}
  int32_t Read(const void** data, uint32_t* length, int32_t) override {
    FaultPause pause;
    const bool more = next < pieces.size();
    *data = more ? pieces[next].data() : nullptr;
    *length = more ? static_cast<uint32_t>(pieces[next].size()) : 0;
    ++next;
    return 0;
  }
};

struct Macro {
  QorMacro* m = _CreateQorMacro(nullptr);
  ~Macro() { _DeleteQorMacro(m); }
};

std::wstring Text(QorMacro* m, const wchar_t* name) {
  AnyType value;
  if (_GetVariable(m, name, &value) != 0) return L"(failed)";
  return value.GetString();
}

// One pass of the session with the Nth allocation failing. What is left of
// N goes from call to call, so the walk knows when N is past the end; the
// session stops at the call that met the failure.
class Session {
 public:
  Session(long n, const std::string& path)
      : left_(n),
        path_(path.begin(), path.end()),
        saved_(path_ + L".saved"),
        keywords_(L"Keyword \"" + path_ + L".keys\"") {}

  // True when every call ran without meeting the failure.
  bool Run() {
    if (a_.m == nullptr || b_.m == nullptr) return false;
    return Step("load", kOutOfMemory, [&] { return _LoadProgramF(a_.m, path_.c_str()); }, true) &&
           Step("texts", kOutOfMemory, [&] { return _Gosub(a_.m, L"*TEXTS"); }) &&
           Step("arrays", kOutOfMemory, [&] { return _Gosub(a_.m, L"*ARRAYS"); }) &&
           Step("calls", kOutOfMemory, [&] { return _Gosub(a_.m, L"*CALLS"); }) &&
           Step("set", kRefused, [&] { return _SetVariable(a_.m, L"C$(3)", &name_); }) &&
           Step("register", kRefused, [&] { return _SetVariable(a_.m, L"setVariable", &entry_); }) &&
           Step("list", kRefused, [&] { return _GetVariable(a_.m, L"variableList", &list_); }) &&
           Step("edit", kOutOfMemory, [&] { return _DirectExecute(a_.m, L"900 *EDITED"); }) &&
           Step("edit more", kOutOfMemory, [&] { return _DirectExecute(a_.m, L"910 E$ = \"edit\" + \"ed\" : Return"); }) &&
           Step("save file", kOutOfMemory, [&] { return _SaveProgramF(a_.m, saved_.c_str()); }) &&
           Step("keywords", kOutOfMemory, [&] { return _DirectExecute(a_.m, keywords_.c_str()); }) &&
           // 0 is all _GetProgramSize can say when it finds no memory.
           Step("program size", kOutOfMemory, [&] {
             const int32_t size = _GetProgramSize(a_.m);
             FaultPause pause;
             image_.assign(static_cast<size_t>(size) / 4 + 1, 0);
             return size > 0 ? 0 : kOutOfMemory;
           }) &&
           Step("save program", kRefused, [&] { return _SaveProgramM(a_.m, image_.data()); }) &&
           Step("load program", kOutOfMemory, [&] { return _LoadProgramM(b_.m, image_.data()); }, true) &&
           Step("edited", kOutOfMemory, [&] { return _Gosub(b_.m, L"*EDITED"); }) &&
           Step("copy", kOutOfMemory, [&] { return _CopyVariable2(b_.m, L"C$", a_.m); }) &&
           Step("stored size", kRefused, [&] {
             const int32_t size = _GetStoredVariableSize(a_.m);
             FaultPause pause;
             stored_.assign(static_cast<size_t>(std::max(size, 0)), 0);
             return stored_.empty() ? kRefused : 0;
           }) &&
           Step("save stored", kRefused, [&] { return _SaveStoredVariableM(a_.m, stored_.data()); }) &&
           Step("load stored", kRefused, [&] { return _LoadStoredVariableM(b_.m, stored_.data()); }) &&
           Step("save", kRefused, [&] { return _SaveVariable2(a_.m, nullptr, &writer_); }) &&
           Step("load stream", kRefused, [&] {
             MemoryReader reader(writer_.pieces);
             return _LoadVariable2(b_.m, &reader);
           }) &&
           Step("save proc", kRefused, [&] { return _SaveProc(a_.m, &proc_); }) &&
           // The result of a procedure load is the load's, not "*LoadProc"'s.
           Step("load proc", kRefused, [&] {
             MemoryReader reader(proc_.pieces);
             return _LoadProc(b_.m, &reader);
           }, true) &&
           Step("get", kRefused, [&] { return _GetVariable(b_.m, L"S$$ + Str$(K&&)", &got_); }) &&
           Step("get element", kRefused, [&] { return _GetVariable(a_.m, L"C$(3)", &got_); });
  }

  // Both objects still take statements and answer for variables.
  void CheckUsable() {
    for (QorMacro* m : {a_.m, b_.m}) {
      EXPECT_EQ(_DirectExecute(m, L"Z$ = \"o\" + \"k\" : Z& = Len(Z$) * 21"), 0);
      EXPECT_EQ(Text(m, L"Z&"), L"42");
      EXPECT_EQ(Text(m, L"Z$ + Z$"), L"okok");
    }
  }

  // What a pass without a failure leaves.
  void CheckResults() {
    SCOPED_TRACE(std::string("failure met in ") + metIn_);
    EXPECT_EQ(Text(a_.m, L"Ready&"), L"1");
    EXPECT_EQ(Text(a_.m, L"Words$(1)"), L"ALLLLOCTA9");
    EXPECT_EQ(Text(a_.m, L"P$ + Str$(V!) + W!!"), L"x;yFFab 3.14220RST");
    EXPECT_EQ(Text(a_.m, L"C$(2) + Str$(A&(20) + A&(0))"), L"two87");
    EXPECT_EQ(Text(a_.m, L"U!(1) + Str$(Sel&)"), L"two8!?8");
    EXPECT_EQ(Text(a_.m, L"Msg$ + Str$(Caught&)"), L"iii11");
    EXPECT_EQ(Text(a_.m, L"LIMIT#"), L"2.5");
    EXPECT_EQ(std::wstring(list_.GetString()), L"LIMIT#:rw:2.5");
    EXPECT_EQ(Text(b_.m, L"S$$ + Ready& + C$(3)"), L"alllloctAstored1named");
    EXPECT_EQ(std::wstring(got_.GetString()), L"named");
    EXPECT_EQ(Text(b_.m, L"R## + K&&"), L"12");
    EXPECT_EQ(Text(b_.m, L"E$"), L"edited");
    EXPECT_EQ(Text(b_.m, L"Grid&(1, 2) + Loaded&"), L"9");
  }

  // True once the failure was injected.
  bool Failed() const { return left_ == 0; }

 private:
  // Runs one call in an armed window; false when the call met the failure
  // and gave up on it.
  // A load gives 0 whatever "*MCRINIT" met (quiet says so), so after a failure
  // there it cannot tell whether its work is whole.
  bool Step(const char* what, int32_t failure, const std::function<int32_t()>& call, bool quiet = false) {
    ArmAllocationFailure(left_);
    const int32_t result = call();
    const long before = left_;
    left_ = DisarmAllocationFailure();
    if (left_ == 0 && before != 0) metIn_ = what;
    // Without the failure a call succeeds; meeting it, the call may also
    // give error 7 or its own failure value.
    const bool allowed = result == 0 || (left_ == 0 && (result == kOutOfMemory || result == failure));
    EXPECT_TRUE(allowed) << what << " returned " << result << (left_ == 0 ? " after the failure" : "");
    // A call that met the failure and still succeeded must have done all of
    // its work, so the session goes on to the end.
    return left_ != 0 || (result == 0 && !quiet);
  }

  long left_;
  const char* metIn_ = "no call";
  std::wstring path_, saved_, keywords_;
  Macro a_, b_;
  AnyType name_ = Holding(L"named");
  AnyType entry_ = Holding(L"LIMIT#:rw:2.5");
  AnyType got_, list_;
  MemoryWriter writer_, proc_;
  std::vector<uint32_t> image_;  // a program image wants 4-aligned memory
  std::vector<uint8_t> stored_;

  static AnyType Holding(const wchar_t* text) {
    AnyType v;
    (void)v.SetData(text);
    return v;
  }
};

TEST(AllocationFailures, EveryAllocationOfASessionMayFail) {
  char path[] = "/tmp/msc_alloc_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, kProgram, sizeof kProgram - 1), static_cast<ssize_t>(sizeof kProgram - 1));
  close(fd);
  long n = 1;
  for (; n < 100000; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    Session session(n, path);
    const bool completed = session.Run();
    session.CheckUsable();
    if (completed) session.CheckResults();
    if (!session.Failed() || HasFailure()) break;
  }
  std::remove(path);
  std::remove((std::string(path) + ".saved").c_str());
  std::remove((std::string(path) + ".keys").c_str());
  EXPECT_GT(n, 50) << "the session should allocate";
  std::printf("a session makes %ld allocations\n", n - 1);
}

// Creation gives a whole object or null, and null only when it met the
// failure.
TEST(AllocationFailures, CreationFailsWhole) {
  for (long n = 1; n < 1000; ++n) {
    ArmAllocationFailure(n);
    QorMacro* m = _CreateQorMacro(nullptr);
    const long left = DisarmAllocationFailure();
    if (m == nullptr) {
      ASSERT_EQ(left, 0) << "allocation " << n;
      continue;
    }
    EXPECT_EQ(_DirectExecute(m, L"Z& = 42"), 0) << "allocation " << n;
    _DeleteQorMacro(m);
    if (left != 0) return;
  }
  ADD_FAILURE() << "creation never completed";
}

}  // namespace
}  // namespace msc::test
