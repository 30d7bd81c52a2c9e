// The host's access to variables by name: conversions in both directions,
// elements and expressions, and the registered-variable list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/run.h"
#include "test_support.h"

namespace msc {
namespace {

class HostAccess : public ::testing::Test {
 protected:
  test::MacroPtr macro = test::NewMacro();
  QorMacro* m = macro.get();

  void SetUp() override { m->reportMode = 0; }
  int32_t Set(const wchar_t* name, AnyType v) { return _SetVariable(m, name, &v); }
  int32_t SetText(const wchar_t* name, const wchar_t* text) {
    AnyType v;
    v.SetData(text);
    return _SetVariable(m, name, &v);
  }
  // The value as "type:text", "fail" when the call fails.
  std::string Get(const wchar_t* name) {
    AnyType v;
    if (_GetVariable(m, name, &v) != 0) return "fail";
    return std::to_string(v.GetType()) + ":" + Narrow(v.GetString());
  }
  static std::string Narrow(const wchar_t* w) {
    std::string s;
    for (; *w != L'\0'; ++w) s += static_cast<char>(*w);
    return s;
  }
};

AnyType Int(int32_t i) { AnyType v; v.SetData(i); return v; }
AnyType Real(double d) { AnyType v; v.SetData(d); return v; }
AnyType Text(const wchar_t* t) { AnyType v; v.SetData(t); return v; }
AnyType Blob(const char* b) { AnyType v; v.SetData(b, static_cast<int32_t>(std::strlen(b))); return v; }
AnyType List(AnyType first) {
  AnyType v;
  *v.GetDataPointer(0, 1) = first;
  return v;
}

TEST_F(HostAccess, HostValuesConvertToEveryKindOfVariable) {
  struct Case {
    const wchar_t* name;
    AnyType value;
    const wchar_t* read;  // expression read back
    std::string expected;
  } cases[] = {
      {L"I&", Real(2.5), L"I&", "0:3"},
      {L"I&", Text(L"41"), L"I& + 1", "0:42"},
      {L"D#", Int(7), L"D# / 2", "1:3.5"},
      {L"S$", Real(0.25), L"S$", "2:0.25"},
      {L"S$", Text(L"abc"), L"S$ + \"!\"", "2:abc!"},
      {L"V!", Int(5), L"V! * 2", "0:10"},
      {L"V!", Real(1.5), L"V!", "1:1.5"},
      {L"V!", Text(L"t"), L"V!", "2:t"},
      {L"V!", Blob("xyz"), L"Len(V!)", "fail"},  // bytes take no arithmetic
      {L"V!", List(Int(9)), L"V!", "0:9"},
      {L"V!", AnyType(), L"V!", "-1:"},
      {L"v!", Int(3), L"V!", "0:3"},  // names in any case
  };
  for (Case& c : cases) {
    EXPECT_EQ(_SetVariable(m, c.name, &c.value), 0);
    EXPECT_EQ(Get(c.read), c.expected) << Narrow(c.read);
  }
  // Bytes come back as bytes.
  ASSERT_EQ(Set(L"V!", Blob("xyz")), 0);
  AnyType out;
  ASSERT_EQ(_GetVariable(m, L"V!", &out), 0);
  int32_t length = 0;
  ASSERT_EQ(out.GetType(), AnyType::kBytes);
  EXPECT_EQ(std::memcmp(out.GetVariantData(&length), "xyz", 3), 0);
  EXPECT_EQ(length, 3);
}

TEST_F(HostAccess, ElementsExpressionsAndRefusals) {
  ASSERT_EQ(DirectExecute(*m, "Dim A#(3), T$(1, 1)"), kOk);
  EXPECT_EQ(Set(L"A#(2)", Real(1.25)), 0);
  EXPECT_EQ(Set(L"T$(1, 0)", Text(L"x")), 0);
  EXPECT_EQ(Get(L"A#(2) * 2"), "1:2.5");
  EXPECT_EQ(Get(L"T$(1, 0)"), "2:x");
  EXPECT_EQ(Get(L"1+2"), "0:3");

  const std::wstring longName(2000, L'N');
  for (const wchar_t* bad : {L"", L"1+2", L"A#()", L"A#(9)", L"A#(1", L"X& Y&", L"Print", longName.c_str()})
    EXPECT_EQ(Set(bad, Int(1)), -1) << Narrow(bad);
  for (const wchar_t* bad : {L"", L"A#(9)", L"1 +", L"Undefined(1)"}) {
    AnyType v;
    v.SetData(L"before");
    EXPECT_EQ(_GetVariable(m, bad, &v), -1) << Narrow(bad);
    EXPECT_EQ(v.GetType(), AnyType::kInteger);  // set to 0 on failure
  }
  EXPECT_EQ(_SetVariable(m, L"X&", nullptr), -1);
  EXPECT_EQ(_GetVariable(m, L"X&", nullptr), -1);
  AnyType v;
  EXPECT_EQ(_SetVariable(nullptr, L"X&", &v), -1);
  EXPECT_EQ(_GetVariable(nullptr, L"X&", &v), -1);
}

TEST_F(HostAccess, RegisteredEntriesDeclareFillAndProtect) {
  EXPECT_EQ(SetText(L"setVariable", L"a&(3):x:1,2,3"), 0);
  EXPECT_EQ(Get(L"A&(0) * 100 + A&(1) * 10 + A&(2) + A&(3)"), "0:123");
  // A second definition of the same array re-dimensions it through ReDim.
  EXPECT_EQ(SetText(L"SETVARIABLE", L"A&(5):y"), 0);
  EXPECT_EQ(Get(L"A&(5) + A&(0)"), "0:0");
  EXPECT_EQ(SetText(L"setVariable", L"N$(1):s:one,two"), 0);
  EXPECT_EQ(Get(L"N$(1)"), "2:two");
  EXPECT_EQ(SetText(L"setVariable", L"D#:r:2.5"), 0);
  EXPECT_EQ(Get(L"D#"), "1:2.5");
  EXPECT_EQ(Get(L"variableList"), "2:A&(5):y:;N$(1):s:one,two;D#:r:2.5");
  for (const wchar_t* bad : {L"", L":x", L"Print:bad"})
    EXPECT_EQ(SetText(L"setVariable", bad), -1) << Narrow(bad);

  EXPECT_EQ(SetText(L"variableListRO", L"A&:r;B#:s"), 0);
  EXPECT_EQ(SetText(L"setVariable", L"A&"), -1);
  EXPECT_EQ(SetText(L"deleteVariable", L"a&"), -1);
  EXPECT_EQ(Get(L"variableListRW"), "2:");
  EXPECT_EQ(Get(L"variableList"), "2:A&:r:;B#:s:");
  EXPECT_EQ(Get(L"variableListRO"), "2:A&:r:;B#:s:");

  EXPECT_EQ(SetText(L"variableList+", L"C$:t:hello;;E&:bad:"), 0);
  EXPECT_EQ(Get(L"variableListRW"), "2:C$:t:hello;E&:bad:");
  EXPECT_EQ(SetText(L"deleteVariable", L"C$"), 0);
  EXPECT_EQ(SetText(L"deleteVariable", L"NOTHERE&"), 0);
  EXPECT_EQ(SetText(L"variableList+", L"F&;:broken"), -1);  // the last failure counts
  EXPECT_EQ(Get(L"variableListRW"), "2:E&:bad:;F&::");
}

TEST_F(HostAccess, RegisteredVariablesComeBackAfterEveryLoad) {
  ASSERT_EQ(SetText(L"variableList", L"LIMIT&(2):x:7,8,9;NAME$:y:unit"), 0);
  ASSERT_EQ(DirectExecute(*m, "10 *MCRINIT : SEEN& = LIMIT&(1) : Return"), kOk);
  const int32_t size = _GetProgramSize(m);
  std::vector<uint32_t> image(static_cast<size_t>(size + 3) / 4);
  ASSERT_EQ(_SaveProgramM(m, image.data()), 0);
  ASSERT_EQ(Set(L"NAME$", Text(L"changed")), 0);
  ASSERT_EQ(_LoadProgramM(m, image.data()), 0);
  EXPECT_EQ(Get(L"SEEN&"), "0:8");  // declared and filled before *MCRINIT
  EXPECT_EQ(Get(L"NAME$"), "2:unit");
}

}  // namespace
}  // namespace msc
