// Reference variables: binding, the saved form and list, renumbering, and
// "@" variables read and assigned by programs through the controller.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/run.h"
#include "fake_host.h"
#include "test_support.h"

namespace msc {
namespace {

int32_t Bind(QorMacro* m, const wchar_t* name, const wchar_t* definition) {
  AnyType v;
  v.SetData(definition);
  return _SetReferenceVariable(m, name, &v);
}

std::wstring Definition(QorMacro* m, const wchar_t* name) {
  AnyType v;
  if (_GetReferenceVariable(m, name, &v) != 0) return L"(unbound)";
  return v.GetString();
}

std::wstring List(QorMacro* m) {
  MacroWideTextHolder list(_GetReferenceVariableList2(m));
  return list.c_str();
}

struct AddOne : ReferenceRenumbering {
  int32_t Renumber(int32_t unit) override { return unit + 1; }
};

TEST(ReferenceBinding, DefinitionsOfEveryFormAndTheirRefusals) {
  auto m = test::NewMacro();
  struct Case {
    const wchar_t* name;
    const wchar_t* definition;
    int32_t result;
    const wchar_t* readBack;  // under the upper-case name
  } cases[] = {
      {L"count@", L"U3.Result", 0, L"U3.Result"},
      {L"SPEED@", L"s.Line.Speed", 0, L"S.Line.Speed"},
      {L"PATH@", L"S.A.B.C", 0, L"S.A.B.C"},  // the first "." separates the names
      {L"TOTAL@", L"g.Total", 0, L"G.Total"},
      {L"NOAT", L"U1.X", -1, L"(unbound)"},
      {L"BAD1@", L"X.Name", -1, L"(unbound)"},
      {L"BAD2@", L"U3Result", -1, L"(unbound)"},
      {L"BAD3@", L"S.NoSecond", -1, L"(unbound)"},
      {L"BAD4@", L"U-1.X", -1, L"(unbound)"},
      {L"BAD5@", L"G", -1, L"(unbound)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Bind(m.get(), c.name, c.definition), c.result) << test::Utf8(c.name);
    std::wstring upper = c.name;
    for (wchar_t& ch : upper) ch = static_cast<wchar_t>(std::towupper(ch));
    EXPECT_EQ(Definition(m.get(), upper.c_str()), c.readBack) << test::Utf8(c.name);
  }
  EXPECT_EQ(List(m.get()), L"COUNT@,PATH@,SPEED@,TOTAL@");

  // Rebinding replaces; an empty definition unbinds, bound or not.
  EXPECT_EQ(Bind(m.get(), L"COUNT@", L"U7.Area"), 0);
  EXPECT_EQ(Definition(m.get(), L"Count@"), L"U7.Area");
  EXPECT_EQ(Bind(m.get(), L"COUNT@", L""), 0);
  EXPECT_EQ(Bind(m.get(), L"NEVER@", L""), 0);
  EXPECT_EQ(Definition(m.get(), L"COUNT@"), L"(unbound)");

  AddOne addOne;
  EXPECT_EQ(_RenumReferenceVariable(m.get(), &addOne), 0);
  EXPECT_EQ(Bind(m.get(), L"UNIT@", L"U3.Result"), 0);
  EXPECT_EQ(_RenumReferenceVariable(m.get(), &addOne), 0);
  EXPECT_EQ(Definition(m.get(), L"UNIT@"), L"U4.Result");
  EXPECT_EQ(Definition(m.get(), L"SPEED@"), L"S.Line.Speed");
  EXPECT_EQ(Definition(m.get(), L"TOTAL@"), L"G.Total");

  EXPECT_EQ(_ClearReferenceVariable(m.get()), 0);
  EXPECT_EQ(List(m.get()), L"");
  EXPECT_EQ(_RenumReferenceVariable(m.get(), &addOne), -1);  // no table any more
}

TEST(ReferenceBinding, SavedFormRoundTripsAndNullObjectsAreRefused) {
  auto a = test::NewMacro();
  ASSERT_EQ(Bind(a.get(), L"A@", L"U2.X"), 0);
  ASSERT_EQ(Bind(a.get(), L"B@", L"S.Line.Speed"), 0);
  const int32_t size = _GetReferenceVariableSize(a.get());
  const std::wstring expected(L"A@\0U2.X\0B@\0S.Line.Speed\0\0", 25);
  ASSERT_EQ(size, static_cast<int32_t>(expected.size() * sizeof(wchar_t)));
  std::vector<wchar_t> saved(static_cast<size_t>(size) / sizeof(wchar_t));
  ASSERT_EQ(_SaveReferenceVariableM(a.get(), saved.data()), 0);
  EXPECT_EQ(std::wstring(saved.data(), saved.size()), expected);

  auto b = test::NewMacro();
  ASSERT_EQ(Bind(b.get(), L"OLD@", L"G.Old"), 0);
  ASSERT_EQ(_LoadReferenceVariableM(b.get(), saved.data()), 0);
  EXPECT_EQ(List(b.get()), L"A@,B@");
  EXPECT_EQ(Definition(b.get(), L"B@"), L"S.Line.Speed");

  // A refused pair fails the load; the good pairs are bound all the same.
  const std::wstring mixed(L"X@\0Q.bad\0Y@\0G.Good\0\0", 20);
  EXPECT_EQ(_LoadReferenceVariableM(b.get(), mixed.c_str()), -1);
  EXPECT_EQ(List(b.get()), L"Y@");

  AnyType v;
  AddOne addOne;
  EXPECT_EQ(_SetReferenceVariable(nullptr, L"A@", &v), -1);
  EXPECT_EQ(_GetReferenceVariable(nullptr, L"A@", &v), -1);
  EXPECT_EQ(_RenumReferenceVariable(nullptr, &addOne), -1);
  EXPECT_EQ(_GetReferenceVariableSize(nullptr), -1);
  EXPECT_EQ(_SaveReferenceVariableM(nullptr, saved.data()), -1);
  EXPECT_EQ(_LoadReferenceVariableM(nullptr, saved.data()), -1);
  EXPECT_EQ(_ClearReferenceVariable(nullptr), -1);
  EXPECT_EQ(List(nullptr), L"");
}

TEST(ReferenceBinding, TheListOfNamesStopsGrowingAt32767Characters) {
  auto m = test::NewMacro();
  // 100-character names: 327 of them and their commas make 32,999 characters.
  int bound = 0;
  for (int i = 0; i < 400; ++i) {
    wchar_t name[128];
    std::swprintf(name, 128, L"%099d@", i);
    if (Bind(m.get(), name, L"G.X") == 0) ++bound;
  }
  EXPECT_EQ(bound, 324);  // 324 * 101 - 1 = 32,723; one more would give 32,824
  EXPECT_LE(List(m.get()).size(), kReferenceListLimit);
  // A bound name may still be rebound at the limit.
  EXPECT_EQ(Bind(m.get(), std::wstring(99, L'0').append(L"@").c_str(), L"G.Y"), 0);
}

TEST(ReferenceVariables, ProgramsReadAndAssignThroughTheController) {
  test::FakeHost host;
  test::FakeCore core;
  test::MacroPtr macro(_CreateQorMacro(&host));
  ASSERT_NE(macro, nullptr);
  QorMacro& m = *macro;
  m.core = &core;
  m.reportMode = 0;
  ASSERT_EQ(Bind(&m, L"COUNT@", L"U3.Result"), 0);
  ASSERT_EQ(Bind(&m, L"SPEED@", L"S.Line.Speed"), 0);
  ASSERT_EQ(Bind(&m, L"TOTAL@", L"G.Total"), 0);

  EXPECT_EQ(DirectExecute(m, "COUNT@ = 2.5 * 2"), kOk);
  EXPECT_EQ(DirectExecute(m, "SPEED@ = \"fast\""), kOk);
  EXPECT_EQ(DirectExecute(m, "TOTAL@ = 7"), kOk);
  ASSERT_EQ(host.log.size(), 1u);
  EXPECT_EQ(host.log[0], "slot 19 3 Result real:5");
  ASSERT_EQ(core.log.size(), 2u);
  EXPECT_EQ(core.log[0], "slot 0 Line Speed text:fast");
  EXPECT_EQ(core.log[1], "slot 154 Total int:7");

  host.value.SetData(41);
  EXPECT_EQ(DirectExecute(m, "A& = COUNT@ + 1"), kOk);
  EXPECT_EQ(host.log.back(), "slot 21 3 Result");
  core.value.SetData(L"text from the line");
  EXPECT_EQ(DirectExecute(m, "B$ = SPEED@ + \"!\""), kOk);
  EXPECT_EQ(core.log.back(), "slot 1 Line Speed");
  Value v;
  FindStatus status;
  ASSERT_EQ(ReadScalar(m, m.variables.FindCell(kTagInteger, "A&", 2, FindMode::FindOnly, &status), v), kOk);
  EXPECT_EQ(v.count, 42);
  ASSERT_EQ(ReadScalar(m, m.variables.FindCell(kTagString, "B$", 2, FindMode::FindOnly, &status), v), kOk);
  EXPECT_STREQ(v.text, "text from the line!");

  // A refusing controller, an unbound name and an empty host value.
  host.status = 1;
  EXPECT_EQ(DirectExecute(m, "COUNT@ = 1"), kErrIllegalCall);
  EXPECT_EQ(DirectExecute(m, "A& = COUNT@"), kErrIllegalCall);
  EXPECT_EQ(DirectExecute(m, "NOBODY@ = 1"), kErrIllegalCall);
  core.value = AnyType();
  EXPECT_EQ(DirectExecute(m, "A& = TOTAL@ + 1"), kErrTypeMismatch);

  // The object's lookup operation with a null name gives the list.
  AnyType names;
  EXPECT_EQ(m.GetReference(nullptr, &names), kOk);
  EXPECT_STREQ(test::Utf8(names.GetString()).c_str(), "COUNT@,SPEED@,TOTAL@");
}

TEST(ReferenceVariables, BindingCreatesTheCellUnlessDeclarationsAreExplicit) {
  auto m = test::NewMacro();
  FindStatus status;
  ASSERT_EQ(Bind(m.get(), L"Early@", L"G.X"), 0);
  EXPECT_NE(m->variables.FindCell(kTagReference, "EARLY@", 6, FindMode::FindOnly, &status), nullptr);
  m->explicitFlag = 1;
  ASSERT_EQ(Bind(m.get(), L"LATE@", L"G.X"), 0);
  EXPECT_EQ(m->variables.FindCell(kTagReference, "LATE@", 5, FindMode::FindOnly, &status), nullptr);
}

TEST(ReferenceVariables, BoundNamesSurviveAProgramLoad) {
  test::FakeCore core;
  auto m = test::NewMacro();
  m->core = &core;
  m->reportMode = 0;
  ASSERT_EQ(Bind(m.get(), L"A@", L"G.First"), 0);
  ASSERT_EQ(Bind(m.get(), L"B@", L"G.Second"), 0);
  // Loading clears the variable area; the bound names are declared again
  // before "*MCRINIT" runs, also those the program never mentions.
  ASSERT_EQ(DirectExecute(*m, "20 *MCRINIT : B@ = 3 : Return"), kOk);
  const int32_t size = _GetProgramSize(m.get());
  std::vector<uint32_t> image(static_cast<size_t>(size + 3) / 4);
  ASSERT_EQ(_SaveProgramM(m.get(), image.data()), 0);
  ASSERT_EQ(_LoadProgramM(m.get(), image.data()), 0);
  ASSERT_FALSE(core.log.empty());
  EXPECT_EQ(core.log.back(), "slot 154 Second int:3");
  FindStatus status;
  EXPECT_NE(m->variables.FindCell(kTagReference, "A@", 2, FindMode::FindOnly, &status), nullptr);
}

}  // namespace
}  // namespace msc
