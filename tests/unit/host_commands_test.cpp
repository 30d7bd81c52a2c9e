// Host commands against recording fakes: the exact call each statement makes
// (slot and arguments), the status rule, and what comes back into variables.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/run.h"
#include "fake_host.h"
#include "test_support.h"

namespace msc {
namespace {

class HostCommands : public testing::Test {
 protected:
  void SetUp() override {
    macro_.reset(_CreateQorMacro(&host));
    ASSERT_NE(macro_, nullptr);
    macro_->core = &core;
    macro_->reportMode = 0;
  }

  ErrNo Run(const std::string& line) { return DirectExecute(*macro_, line.c_str()); }

  // Every call since the last look: core, then host, then channel calls.
  std::vector<std::string> Calls() {
    std::vector<std::string> all;
    for (auto* log : {&core.log, &host.log, &core.io.log}) {
      const char* who = log == &core.log ? "core " : log == &host.log ? "host " : "io ";
      for (const std::string& line : *log) all.push_back(who + line.substr(5));
      log->clear();
    }
    return all;
  }

  std::string Text(const char* name) { return test::TextVar(*macro_, tag::Str, name); }
  QorMacro& m() { return *macro_; }

  test::FakeHost host;
  test::FakeCore core;

 private:
  test::MacroPtr macro_;
};

struct CallCase {
  std::string line;
  std::vector<std::string> calls;
  ErrNo result = kOk;
  bool statusMatters = true;  // false where the controller's answer is ignored
};

constexpr bool kStatusIgnored = false;

// Each line with the calls it makes against the fakes (all answering 0).
const std::vector<CallCase>& CommandCases() {
  static const std::vector<CallCase> cases = {
      // scene groups and scenes; ":" separates like ","; doubles round half away from zero
      {"ChangeSceneGroup 1, 2", {"core 3 1 2"}},
      {"ClearSceneGroup 3", {"core 4 3"}},
      {"CopySceneGroup 1: 2", {"core 5 1 2"}},
      {"CopySceneGroup 1 (2)", {"core 5 1 2"}},  // read with no separator too
      {"SetSceneGroupTitle 2, \"Line A\"", {"core 6 2 Line A"}},
      {"ChangeScene 2.5", {"core 10 3"}},
      {"ClearScene -2.5", {"core 11 -3"}},
      {"CopyScene \"4\", 5", {"core 12 4 5"}},
      {"SetSceneTitle 4, \"T\"", {"core 13 4 T"}},
      {"SetSceneMaker 4, \"M\"", {"core 15 4 M"}},
      {"SetSceneDescription 4, \"D\"", {"core 17 4 D"}},
      {"ChangeScene 3000000000", {}, kErrOverflow},
      // units
      {"AssignUnit 3, \"Search\"", {"host 10 3 Search"}},
      {"InsertUnit 1, \"Area\"", {"host 11 1 Area"}},
      {"DeleteUnit 2", {"host 12 2"}},
      {"CopyUnit 1, 2, 3", {"host 14 1 2 3"}},
      {"CopyUnit 1, 2, 3, 4", {"host 13 1 2 3 4"}},
      {"CopyUnit -1, 2, 3, 4", {"host 14 2 3 4"}},
      {"CopyUnit 1, 2", {}, kErrSyntax},
      {"CopyUnit 1, 2:", {}, kErrSyntax},
      {"CopyUnit 1: 2: 3", {"host 14 1 2 3"}},
      {"CopyUnit 1, 2, 3: CopyUnit 4, 5, 6, 7", {"host 14 1 2 3", "host 13 4 5 6 7"}},
      {"CopyUnit 0, 2, 3, 4", {"host 13 0 2 3 4"}},
      {"MoveUnit 1, 2", {"host 15 1 2"}},
      {"SetUnitTitle 1, \"Main\"", {"host 29 1 Main"}},
      {"CopyUnitFigure 1, 2, 3, 4, 5", {"core 44 1 2 3 4 5"}},
      {"CopyUnitModel 1, 2, 3, 4, 5", {"core 45 1 2 3 4 5"}},
      {"SetUnitData 2, \"X\", 5", {"host 19 2 X int:5"}},
      {"SetUnitData 2, 2.5, \"a\"", {"host 20 2 3 text:a"}},
      {"SetUnitData 2, -2.5, 1.5", {"host 20 2 -3 real:1.5"}},
      {"SetUnitData 2, 1.5E10, 1", {}, kErrOverflow},
      {"SetUnitData 2, 2147483647.4, 1", {}, kErrOverflow},
      {"SetUnitData 2, -2147483648.0, 1", {"host 20 2 -2147483648 int:1"}},
      {"SetUnitData 2, 0.49999999999999994, 1", {"host 20 2 0 int:1"}},
      {"SetUnitData 2, \"\", V!", {"host 19 2  empty"}},
      {"SetUnitData 2, V!, 1", {}, kErrTypeMismatch},
      {"GetUnitData 2, -2.5, A&", {"host 22 2 -3"}},
      {"GetUnitData 2, \"X\", A&(1)", {"host 21 2 X"}, kErrUndefinedArray},
      {"AssignUnit 1, \"" + std::string(1500, 'k') + "\"", {"host 10 1 " + std::string(1023, 'k')}},
      {"SetUnitTitle 1, \"" + std::string(1500, 't') + "\"", {"host 29 1 " + std::string(1500, 't')}},
      {"SetForegroundLine 1", {}},
      // measurement
      {"MeasureStart", {"core 57"}},
      {"MeasureStop", {"core 59 0"}},
      {"MeasureStop 2", {"core 59 2"}},
      {"Measure: Measure 1", {"core 61 0", "core 61 1"}},
      {"Remeasure \"3\"", {"core 62 3 0"}},
      {"Remeasure 3.4", {"core 63 3 0"}},
      {"Remeasure 2, 1", {"core 63 2 1"}},
      {"Remeasure -2.5: MeasureStop", {"core 63 -3 0", "core 59 0"}},
      {"Remeasure 2147483647.5", {}, kErrOverflow},
      {"Remeasure V!", {}, kErrTypeMismatch},
      {"TestMeasure -2.5", {"core 64 1 -3  1 0 0"}},
      {"MeasureProc 4", {"core 34 4"}, kOk, kStatusIgnored},
      {"TestMeasure", {"core 64 0 -1  1 0 0"}},
      {"TestMeasure: TestMeasure 4", {"core 64 0 -1  1 0 0", "core 64 1 4  1 0 0"}},
      {"TestMeasure \"Lot\"", {"core 64 2 -1 Lot 1 0 0"}},
      {"ImageUpdate", {"core 65"}},
      {"SetMeasureOut 1", {"core 71 1"}},
      {"ClearMeasureData", {"host 35 -1"}},
      {"ClearMeasureData 2", {"host 34 2"}},
      {"SaveImage 1, \"a.bmp\"", {"core 173 1 a.bmp"}},
      {"ScreenCapture \"s.bmp\"", {"core 147 s.bmp"}},
      // windows
      {"SetImageWindow 0, 1, 2, 3, 4, 5, 6, 7.5, 8, 9, 10, 11",
       {"host 36 0 1 2 3 4 5 6 7.5 8 9 10 11"}},
      {"RefreshImageWindow", {"core 94 0"}},
      {"SetTextWindow 1, 2, 3, 4", {"host 39 1 2 3 4"}},
      {"RefreshTextWindow", {"core 102"}},
      {"SetJudgeWindow 1, 2, 3", {"core 104 0 1 2 3"}},
      {"RefreshJudgeWindow", {"core 107"}},
      {"SetTimeWindow 1, 2, 3", {"core 109 0 1 2 3"}},
      {"RefreshTimeWindow", {"core 112"}},
      {"SetDisplayUnitNo 3", {"host 41 3"}},
      // named data
      {"SetGlobalData \"G\", 5", {"core 154 G int:5"}},
      {"AddGlobalData \"G\", \"v\"", {"core 156 G text:v"}},
      {"SetSystemData \"S\", \"N\", 1.5", {"core 0 S N real:1.5"}},
      {"AddSystemData \"S\", \"N\", 1", {"core 2 S N int:1"}},
      {"SetSceneData \"X\", \"v\"", {"host 7 X text:v"}},
      // controller data and events
      {"SaveSystemData \"a\"", {"core 124 a"}},
      {"LoadSystemData \"a\"", {"core 126 a"}},
      {"SaveSceneGroup 1, \"f\"", {"core 127 1 f"}},
      {"LoadSceneGroup 1, \"f\"", {"core 130 1 f"}},
      {"SaveScene 2, \"f\"", {"core 133 2 f"}},
      {"LoadScene 2, \"f\"", {"core 134 2 f"}},
      {"SaveUnitData 1, 2, 3, \"f\"", {"core 135 1 2 3 f"}},
      {"LoadUnitData 1, 2, 3, 4, \"f\"", {"core 136 1 2 3 4 f"}},
      {"SaveBackupData \"b\"", {"core 137 b"}},
      {"LoadBackupData \"b\"", {"core 138 b"}},
      {"SaveData", {"core 139"}},
      {"ExitQorProcess", {"core 149"}},
      {"SystemReset", {"core 150"}},
      {"RaiseOptionEvent 1, 2", {"core 153 1 2"}},
      {"RaiseErrorProcEvent 1, 2", {"core 187 1 2 1"}},
      {"RaiseErrorProcEvent 1, 2, 3", {"core 187 1 2 3"}},
      {"ExecuteErrorProc 1, 2", {"core 188 1 2"}},
      // channels: looked up by name, unknown ones give 5
      {"PutAll \"LINE\", 5", {"core 141 LINE", "io 5 5"}},
      {"PutPort \"LINE\", 1, 2", {"core 141 LINE", "io 7 1 2"}},
      {"JudgeOut \"LINE\", 1", {"core 141 LINE", "io 9 1"}},
      {"BusyOut \"LINE\", 0", {"core 141 LINE", "io 10 0"}},
      {"SetPollingState \"LINE\", 1", {"core 141 LINE", "io 24 1"}},
      {"SendString \"LINE\", \"abc\"", {"core 141 LINE", "io 15 abc"}},
      {"SendString \"LINE\", \"" + std::string(256, 'a') + "\"", {}, kErrStringTooLong},
      {"PutAll \"NONE\", 5", {"core 141 NONE"}, kErrIllegalCall},
      {"RunOut 1.5", {"core 143 2"}, kOk, kStatusIgnored},
      {"RunOut \"LINE\", 1", {"core 141 LINE", "io 11 1"}},
      {"RunOut \"NONE\", 1", {"core 141 NONE"}, kErrIllegalCall},
      {"ErrorOut 2", {"core 178 2"}, kOk, kStatusIgnored},
      {"ErrorOut \"LINE\", 3", {"core 141 LINE", "io 12 3"}},
      {"ErrorOut -2.5", {"core 178 -3"}, kOk, kStatusIgnored},
      {"ErrorOut 3000000000", {}, kErrOverflow},
      {"ErrorOut V!", {}, kErrTypeMismatch},
      // channels looked up right after the name, before the array is read
      {"SendData \"NONE\", Q&(), 4", {"core 141 NONE"}, kErrIllegalCall},
      {"ReceiveData \"NONE\", Q&(), 4, N&", {"core 141 NONE"}, kErrIllegalCall},
      {"WritePlcMemory \"NONE\", 1, 2, 1 / 0, Q&()", {"core 141 NONE"}, kErrIllegalCall},
      {"ReadPlcMemory \"NONE\", 1, 2, 1 / 0, Q&()", {"core 141 NONE"}, kErrIllegalCall},
      {"SetPlcData \"NONE\", Q&(), 0, 2, 1", {"core 141 NONE"}, kErrIllegalCall},
      {"GetPlcData \"NONE\", Q&(), 0, 2, A&", {"core 141 NONE"}, kErrIllegalCall},
      // ... and the others only after all their arguments
      {"PutPort \"NONE\", 1, 1 / 0", {}, kErrDivisionByZero},
      {"SetPollingState \"NONE\", 1 / 0", {}, kErrDivisionByZero},
      {"RunOut \"NONE\", 1 / 0", {}, kErrDivisionByZero},
      // host data names
      {"W! = SC.LIMIT&(2.5, -1 - 1)", {"host 8 LIMIT&(3,-2)"}, kOk, kStatusIgnored},
      {"W! = SY.COUNT&: W! = SC.N$", {"core 1 Macro_SY COUNT&", "host 8 N$"}, kOk, kStatusIgnored},
      {"SY.T$(1, 2) = 5", {"core 0 Macro_SY T$(1,2) int:5"}},
      {"SC.V! = V!", {"host 7 V! empty"}},
      {"SY.RATE# = 2.5 : SC.NAME$ = \"abc\"", {"core 0 Macro_SY RATE# real:2.5", "host 7 NAME$ text:abc"}},
      {"SC.X& 5", {}, kErrSyntax},
      {"SC.X&(1) 5", {}, kErrSyntax},
      {"SC.X&(1 = 5", {}, kErrSyntax},
  };
  return cases;
}

TEST_F(HostCommands, EachStatementMakesItsCall) {
  for (const CallCase& c : CommandCases()) {
    EXPECT_EQ(Run(c.line), c.result) << c.line;
    EXPECT_EQ(Calls(), c.calls) << c.line;
  }
}

TEST_F(HostCommands, AnyNonZeroStatusIsAnIllegalFunctionCall) {
  for (const int32_t status : {1, -1}) {
    host.status = core.status = core.io.status = status;
    for (const CallCase& c : CommandCases()) {
      // Statements that reach no fake (the host library) are left out.
      if (c.result != kOk || c.calls.empty()) continue;
      EXPECT_EQ(Run(c.line), c.statusMatters ? kErrIllegalCall : kOk) << c.line << " / " << status;
      (void)Calls();
    }
    EXPECT_EQ(Run("A& = UnitData(1, 2)"), kErrIllegalCall);
    EXPECT_EQ(Run("A& = Len(SceneTitle$(1))"), kErrIllegalCall);
    // A failed receive is nothing received.
    EXPECT_EQ(Run("Dim R&(1): N& = 9: ReceiveData \"LINE\", R&(), 4, N&"), kOk);
    EXPECT_EQ(test::IntVar(m(), "N&"), 0);
  }
  // Without a controller every command fails cleanly.
  m().core = nullptr;
  EXPECT_EQ(Run("ChangeScene 1"), kErrIllegalCall);
  EXPECT_EQ(Run("A& = SceneCount"), kErrIllegalCall);
}

TEST_F(HostCommands, OutputVariablesReceiveTheControllersValues) {
  host.value.SetData(7);
  ASSERT_EQ(Run("GetUnitData 1, \"X\", A&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "A&"), 7);
  host.value.SetData(2.5);
  ASSERT_EQ(Run("GetUnitData 1, 4, S$"), kOk);
  EXPECT_EQ(Text("S$"), "2.5");
  ASSERT_EQ(Run("Dim R&(2): GetUnitData 1, 4.5, R&(1)"), kOk);
  ASSERT_EQ(Run("B& = R&(1)"), kOk);
  EXPECT_EQ(test::IntVar(m(), "B&"), 3);  // 2.5 rounded half away from zero

  // A list re-dimensions a whole array; each entry converts by its own type.
  host.value.SetData(AnyType::kList, 3);
  host.value.GetDataPointer(0, 0)->SetData(1);
  host.value.GetDataPointer(1, 0)->SetData(L"2.5");
  host.value.GetDataPointer(2, 0)->SetData(-3.5);
  ASSERT_EQ(Run("Dim L#(0): GetUnitData 1, \"ALL\", L#()"), kOk);
  ASSERT_EQ(Run("N& = ArrayLen(L#()): S$ = Str$(L#(0)) + Str$(L#(1)) + Str$(L#(2))"), kOk);
  EXPECT_EQ(test::IntVar(m(), "N&"), 3);
  EXPECT_EQ(Text("S$"), "12.5-3.5");

  // Window settings: output k gets number + k - 1; the seventh is a real.
  host.number = 10;
  ASSERT_EQ(Run("GetImageWindow 0, A&, B&, C&, D&, E&, F&, G#, H&, I&, J&, K&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "F&"), 15);
  EXPECT_EQ(test::TextVar(m(), tag::Dbl, "G#"), "16");
  EXPECT_EQ(test::IntVar(m(), "K&"), 20);
  EXPECT_EQ(Run("GetImageWindow 0, A&, 5"), kErrSyntax);  // the call comes first
  EXPECT_EQ(Calls().back(), "host 37 0");
  ASSERT_EQ(Run("GetTextWindow A&, B&, C&, D&: GetImageSize 1, 2, W&, H&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "D&"), 13);
  EXPECT_EQ(test::IntVar(m(), "H&"), 11);
  Calls();

  core.value.SetData(L"x");
  host.value.SetData(4);
  ASSERT_EQ(Run("GetGlobalData \"G\", G$: GetSystemData \"S\", \"N\", Y$: GetSceneData \"X\", Z!"), kOk);
  EXPECT_EQ(Text("G$") + Text("Y$"), "xx");
  ASSERT_EQ(Run("Z& = Z! + 1"), kOk);
  EXPECT_EQ(test::IntVar(m(), "Z&"), 5);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"core 155 G", "core 1 S N", "host 8 X"}));
  EXPECT_EQ(Run("GetGlobalData \"G\", 5"), kErrSyntax);

  // A host data name reads a list as its first entry.
  host.value.SetData(AnyType::kList, 2);
  host.value.GetDataPointer(0, 0)->SetData(L"7");
  ASSERT_EQ(Run("S$ = SC.LIST$ + \"!\""), kOk);
  EXPECT_EQ(Text("S$"), "7!");
}

TEST_F(HostCommands, SetUnitDataSendsAWholeArrayAsAList) {
  ASSERT_EQ(Run("Dim V#(2): V#(0) = 1.5: V#(2) = -1"), kOk);
  ASSERT_EQ(Run("SetUnitData 1, \"POINTS\", V#()"), kOk);
  EXPECT_EQ(Calls(), std::vector<std::string>{"host 19 1 POINTS list:3"});
  EXPECT_EQ(Run("Dim M&(1, 1): SetUnitData 1, \"M\", M&()"), kErrTypeMismatch);
  EXPECT_EQ(Run("SetUnitData 1, \"U\", U$()"), kErrUndefinedArray);
}

TEST_F(HostCommands, QueryFunctionsReturnTheControllersAnswers) {
  host.number = core.number = core.io.number = 6;
  core.text = L"Front";
  ASSERT_EQ(Run("S$ = SceneTitle$(1) + SceneMaker$(1) + SceneDescription$(1) + SceneGroupTitle$(0)"), kOk);
  EXPECT_EQ(Text("S$"), "FrontFrontFrontFront");
  EXPECT_EQ(Calls(), (std::vector<std::string>{"core 14 1 32768", "core 16 1 32768",
                                                "core 18 1 32768", "core 7 0 32768"}));
  ASSERT_EQ(Run("A& = SceneCount + SceneNo + SceneGroupCount + SceneGroupNo + ItemCount + ItemInfo(1.5, 2)"), kOk);
  EXPECT_EQ(test::IntVar(m(), "A&"), 36);
  ASSERT_EQ(Run("A& = CheckUnit(1) + UnitCount + UnitInfo(1, 2) + UnitJudge(1) + ImageFormat(0, 1) + DisplayUnitNo + GetMeasureOut"), kOk);
  EXPECT_EQ(test::IntVar(m(), "A&"), 42);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"core 19", "core 20", "core 8", "core 9", "core 21",
                                                "core 22 2 2", "core 73", "host 9 1", "host 17",
                                                "host 32 1 2", "host 33 1", "host 27 0 1", "host 42"}));
  ASSERT_EQ(Run("A& = Ut(\"Search\") + GetAll(\"LINE\") + GetPort(\"LINE\", 3) + GetPollingState(\"LINE\")"), kOk);
  EXPECT_EQ(test::IntVar(m(), "A&"), 24);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"core 141 LINE", "core 141 LINE", "core 141 LINE",
                                                "host 18 Search", "io 6", "io 8 3", "io 25"}));
  EXPECT_EQ(Run("A& = GetAll(\"NONE\")"), kErrIllegalCall);

  // Item texts are cut to their limits; other texts are whole.
  core.text = std::wstring(300, L'x');
  ASSERT_EQ(Run("A& = Len(ItemTitle$(1)): B& = Len(ItemIdent$(1)): C& = Len(SceneTitle$(1))"), kOk);
  EXPECT_EQ(test::IntVar(m(), "A&"), 255);
  EXPECT_EQ(test::IntVar(m(), "B&"), 63);
  EXPECT_EQ(test::IntVar(m(), "C&"), 300);

  host.text = L"Edge";
  host.value.SetData(L"12.5");
  Calls();
  ASSERT_EQ(Run("S$ = UnitTitle$(2) + UnitItemIdent$(2) + UnitData$(2, \"X\"): D# = UnitData(2, -2.5)"), kOk);
  EXPECT_EQ(Text("S$"), "EdgeEdge12.5");
  EXPECT_EQ(test::TextVar(m(), tag::Dbl, "D#"), "12.5");
  EXPECT_EQ(Calls(), (std::vector<std::string>{"host 30 2 32768", "host 31 2", "host 21 2 X", "host 22 2 -3"}));

  core.text = L"/opt/controller/";
  ASSERT_EQ(Run("S$ = ApplicationVersion$(1) + ApplicationPath$(2)"), kOk);
  EXPECT_EQ(Text("S$"), "/opt/controller//opt/controller/");
  EXPECT_EQ(Calls(), (std::vector<std::string>{"core 191 1 1024", "core 177 1"}));
  // ApplicationPath$: 0 is the configuration directory, 1 to 4 the
  // controller's directories 0 to 3, every other number a scene group's.
  ASSERT_EQ(Run("S$ = ApplicationPath$(1) + ApplicationPath$(4)"), kOk);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"core 177 0", "core 177 3"}));
  ASSERT_EQ(Run("S$ = ApplicationPath$(0): T$ = ApplicationPath$(10003)"), kOk);
  EXPECT_EQ(Text("S$"), test::Utf8(GetCoreRAPath()));
  wchar_t group[1024] = {};
  ASSERT_EQ(GetSceneGroupDataPath(3, group, 1024), 0);
  EXPECT_EQ(Text("T$"), test::Utf8(group));
  EXPECT_EQ(Calls(), std::vector<std::string>{});
  core.status = 1;
  EXPECT_EQ(Run("S$ = SceneTitle$(1)"), kErrIllegalCall);
}

TEST_F(HostCommands, ChannelBlocksTravelInIntegerArrays) {
  ASSERT_EQ(Run("Dim A&(3): A&(0) = &H04030201: A&(1) = &H08070605: A&(2) = -1"), kOk);
  // Five bytes come from two elements; the second block is optional.
  ASSERT_EQ(Run("SendData \"LINE\", A&(), 5"), kOk);
  ASSERT_EQ(Run("SendData \"LINE\", A&(), 1, A&(), 2"), kOk);
  // Three 16-bit words of PLC memory take two elements.
  ASSERT_EQ(Run("WritePlcMemory \"LINE\", 1, 100, 3, A&()"), kOk);
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "core 141 LINE", "core 141 LINE", "core 141 LINE",
                         "io 3 block:01 02 03 04 05 null", "io 3 block:01 block",
                         "io 16 1 100 3 block:01 02 03 04 05 06"}));
  EXPECT_EQ(Run("SendData \"LINE\", A&(1), 4"), kErrSyntax);
  EXPECT_EQ(Run("SendData \"LINE\", A&, 4"), kErrTypeMismatch);
  EXPECT_EQ(Run("Dim D#(3): SendData \"LINE\", D#(), 4"), kErrTypeMismatch);
  EXPECT_EQ(Run("SendData \"LINE\", A&(), 17"), kErrSubscript);

  ASSERT_EQ(Run("ReadPlcMemory \"LINE\", 1, 100, 3, A&(): X& = A&(0): Y& = A&(1): Z& = A&(2)"), kOk);
  EXPECT_EQ(test::IntVar(m(), "X&"), 0x04030201);
  EXPECT_EQ(test::IntVar(m(), "Y&"), 0x0605);  // whole elements: word 4 zeroed
  EXPECT_EQ(test::IntVar(m(), "Z&"), -1);          // untouched

  // ReceiveData hands over a zeroed block and a count of 0; the bytes
  // received go back in whole elements.
  core.io.incoming = {9, 8, 7, 6, 5, 4};
  Calls();
  ASSERT_EQ(Run("ReceiveData \"LINE\", A&(), 5, N&: X& = A&(0): Y& = A&(1)"), kOk);
  EXPECT_EQ(test::IntVar(m(), "N&"), 5);
  EXPECT_EQ(test::IntVar(m(), "X&"), 0x06070809);
  EXPECT_EQ(test::IntVar(m(), "Y&"), 0x05);
  ASSERT_EQ(Run("Dim B&(0): ReceiveData \"LINE\", A&(), 2, N&, B&(), 4"), kOk);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"core 141 LINE", "core 141 LINE",
                                                "io 4 block:00 00 00 00 00 5 0 null",
                                                "io 4 block:00 00 2 0 block"}));
  EXPECT_EQ(Run("ReceiveData \"LINE\", A&(), 17, N&"), kErrSubscript);  // before receiving
  EXPECT_EQ(Calls(), std::vector<std::string>{"core 141 LINE"});
  core.io.status = 1;  // a failed receive is nothing received
  ASSERT_EQ(Run("ReceiveData \"LINE\", A&(), 4, N&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "N&"), 0);
}

TEST_F(HostCommands, PlcDataImagesAtEveryBoundary) {
  // Images of 8 bytes: two integer elements, one double element.
  ASSERT_EQ(Run("Dim P&(1): Dim R#(0): Dim B&(255): Dim S$(1)"), kOk);
  const std::string lookup = "core 141 LINE";
  const CallCase cases[] = {
      // 2 bytes: -32768 to 32767, doubles rounded
      {"SetPlcData \"LINE\", P&(), 0, 2, 32767", {lookup, "io 20 32767"}},
      {"SetPlcData \"LINE\", P&(), 6, 2, -32768", {lookup, "io 20 -32768"}},
      {"SetPlcData \"LINE\", P&(), 6, 2, -2.5", {lookup, "io 20 -3"}},
      {"SetPlcData \"LINE\", P&(), 7, 2, 1", {lookup}, kErrIllegalCall},
      {"SetPlcData \"LINE\", P&(), 0, 2, 32768", {lookup}, kErrOverflow},
      {"SetPlcData \"LINE\", P&(), 0, 2, -32768.5", {lookup}, kErrOverflow},
      // 4 bytes
      {"SetPlcData \"LINE\", P&(), 4, 4, 2.5", {lookup, "io 18 3"}},
      {"SetPlcData \"LINE\", P&(), 5, 4, 1", {lookup}, kErrIllegalCall},
      {"SetPlcData \"LINE\", P&(), 0, 4, 2147483648", {lookup}, kErrOverflow},
      // 8 bytes: integers widened
      {"SetPlcData \"LINE\", R#(), 0, 8, 3", {lookup, "io 22 3"}},
      {"SetPlcData \"LINE\", P&(), 1, 8, 1.5", {lookup}, kErrIllegalCall},
      // texts: size bytes and a zero byte, all inside the image
      {"SetPlcData \"LINE\", P&(), 4, 3, \"abcdef\"", {lookup}},
      {"SetPlcData \"LINE\", P&(), 5, 3, \"abc\"", {lookup}, kErrIllegalCall},
      {"SetPlcData \"LINE\", P&(), 7, -1, \"\"", {lookup}},
      {"SetPlcData \"LINE\", P&(), 6, -1, \"ab\"", {lookup}, kErrIllegalCall},
      // other sizes, offsets, values and arrays
      {"SetPlcData \"LINE\", P&(), 0, 3, 1", {lookup}, kErrIllegalCall},
      {"SetPlcData \"LINE\", P&(), -1, 2, 1", {lookup}, kErrIllegalCall},
      {"SetPlcData \"LINE\", P&(), 0, 2, V!", {lookup}, kErrTypeMismatch},
      {"SetPlcData \"LINE\", P&(0), 0, 2, 1", {lookup}, kErrSyntax},
      {"SetPlcData \"LINE\", P&, 0, 2, 1", {lookup}, kErrSyntax},
      {"SetPlcData \"LINE\", Q&(), 0, 2, 1", {lookup}, kErrUndefinedArray},
      {"SetPlcData \"LINE\", S$(), 0, 2, 1", {lookup}, kErrTypeMismatch},
      // reading at the same boundaries
      {"GetPlcData \"LINE\", P&(), 6, 2, A&", {lookup, "io 21"}},
      {"GetPlcData \"LINE\", P&(), 7, 2, A&", {lookup}, kErrIllegalCall},
      {"GetPlcData \"LINE\", P&(), 4, 4, D#", {lookup, "io 19"}},
      {"GetPlcData \"LINE\", P&(), 5, 4, A&", {lookup}, kErrIllegalCall},
      {"GetPlcData \"LINE\", R#(), 0, 8, D#", {lookup, "io 23"}},
      {"GetPlcData \"LINE\", R#(), 1, 8, D#", {lookup}, kErrIllegalCall},
      {"GetPlcData \"LINE\", P&(), 0, 5, A&", {lookup}, kErrIllegalCall},
      {"GetPlcData \"LINE\", P&(), 0, 2, V!", {lookup}, kErrIllegalCall},
      {"GetPlcData \"LINE\", P&(), 8, -1, T$", {lookup}},
      {"GetPlcData \"LINE\", P&(), 9, -1, T$", {lookup}, kErrIllegalCall},
      {"GetPlcData \"LINE\", P&(), 0, 9, S$(1)", {lookup}, kErrIllegalCall},
      {"GetPlcData \"LINE\", B&(), 1, 1023, T$", {lookup}},
      {"GetPlcData \"LINE\", B&(), 0, 1024, T$", {lookup}, kErrIllegalCall},
      {"GetPlcData \"LINE\", B&(), 0, -1, T$", {lookup}, kErrIllegalCall},
  };
  for (const CallCase& c : cases) {
    EXPECT_EQ(Run(c.line), c.result) << c.line;
    EXPECT_EQ(Calls(), c.calls) << c.line;
  }
  ASSERT_EQ(Run("SetPlcData \"LINE\", P&(), 0, 2, &H1234: SetPlcData \"LINE\", P&(), 2, 4, 2: "
                "SetPlcData \"LINE\", P&(), 6, 2, -32768"), kOk);
  // Big-endian in this channel: 12 34 | 00 00 00 02 | 80 00.
  ASSERT_EQ(Run("GetPlcData \"LINE\", P&(), 0, 2, A&: GetPlcData \"LINE\", P&(), 6, 2, B&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "A&"), 0x1234);
  EXPECT_EQ(test::IntVar(m(), "B&"), -32768);  // sign-extended
  ASSERT_EQ(Run("GetPlcData \"LINE\", P&(), 2, 4, C&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "C&"), 2);

  ASSERT_EQ(Run("SetPlcData \"LINE\", R#(), 0, 8, 3: GetPlcData \"LINE\", R#(), 0, 8, D&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "D&"), 3);
  ASSERT_EQ(Run("SetPlcData \"LINE\", R#(), 0, 8, 2.5: GetPlcData \"LINE\", R#(), 0, 8, D&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "D&"), 3);  // rounded half away from zero

  // Texts: size bytes, zero-filled, and a zero that must fit too.
  ASSERT_EQ(Run("SetPlcData \"LINE\", P&(), 0, 3, \"abcdef\": GetPlcData \"LINE\", P&(), 0, -1, T$"), kOk);
  EXPECT_EQ(Text("T$"), "abc");
  ASSERT_EQ(Run("SetPlcData \"LINE\", P&(), 1, -1, \"xy\": GetPlcData \"LINE\", P&(), 0, 8, T$"), kOk);
  EXPECT_EQ(Text("T$"), "axy");
}

TEST_F(HostCommands, FiguresFromIntegerArraysAndVariants) {
  // L = 6 bytes: elements 0 and 1 go.
  ASSERT_EQ(Run("Dim F&(3): F&(0) = &H00AA0006: F&(1) = &H11223344: F&(2) = 99"), kOk);
  ASSERT_EQ(Run("SetUnitFigure 1, 2, F&()"), kOk);
  EXPECT_EQ(Calls(), std::vector<std::string>{"host 23 1 2 block:06 00 aa 00 44 33"});
  EXPECT_EQ(Run("SetUnitFigure 1, 2, F&(0)"), kErrSyntax);
  EXPECT_EQ(Run("SetUnitFigure 1, 2, 5"), kErrTypeMismatch);

  // L = 5: two whole words of the buffer, bytes after the figure included.
  host.figure = {5, 0, 1, 2, 3, 9, 9, 9, 8};
  ASSERT_EQ(Run("Dim G&(3): G&(1) = -1: G&(2) = 7: GetUnitFigure 1, 2, G&(): A& = G&(0): B& = G&(1): C& = G&(2)"), kOk);
  EXPECT_EQ(test::IntVar(m(), "A&"), 0x02010005);
  EXPECT_EQ(test::IntVar(m(), "B&"), 0x09090903);
  EXPECT_EQ(test::IntVar(m(), "C&"), 7);
  EXPECT_EQ(Calls(), std::vector<std::string>{"host 24 1 2"});
  ASSERT_EQ(Run("GetUnitFigure 1, 2, V!: SetUnitFigure 3, 4, V!"), kOk);
  EXPECT_EQ(Calls().back(), "host 23 3 4 block:05 00 01 02 03");
  // A variant block shorter than its length word is refused.
  const uint8_t shortBlock[] = {9, 0, 1};
  host.value.SetData(shortBlock, 3);
  ASSERT_EQ(Run("GetSceneData \"F\", W!"), kOk);
  EXPECT_EQ(Run("SetUnitFigure 1, 2, W!"), kErrIllegalCall);
}

TEST_F(HostCommands, ProfileDataThroughTheLibrary) {
  namespace fs = std::filesystem;
  const fs::path file = fs::temp_directory_path() / "msc_host_commands_profile.ini";
  std::ofstream(file) << "[Line]\nSpeed=12\nMode=fast\n";
  const std::string name = "\"" + file.string() + "\"";
  ASSERT_EQ(Run("GetProfileData " + name + ", \"Line\", \"Speed\", \"0\", S&"), kOk);
  EXPECT_EQ(test::IntVar(m(), "S&"), 12);
  ASSERT_EQ(Run("SetProfileData " + name + ", \"Line\", \"Lot\", \"A7\""), kOk);
  ASSERT_EQ(Run("GetProfileData " + name + ", \"Line\", K$(), V$()"), kOk);
  ASSERT_EQ(Run("N& = ArrayLen(K$()): S$ = K$(0) + V$(0) + K$(2) + V$(2)"), kOk);
  EXPECT_EQ(test::IntVar(m(), "N&"), 3);
  EXPECT_EQ(Text("S$"), "Speed12LotA7");
  ASSERT_EQ(Run("DeleteProfileData " + name + ", \"Line\", 0.5"), kOk);  // position 1: Mode
  ASSERT_EQ(Run("DeleteProfileData " + name + ", \"Line\", \"Lot\""), kOk);
  ASSERT_EQ(Run("GetProfileData " + name + ", \"Line\", K$(), V$(): N& = ArrayLen(K$())"), kOk);
  EXPECT_EQ(test::IntVar(m(), "N&"), 1);
  EXPECT_EQ(Run("GetProfileData " + name + ", \"Line\", K$(), V&()"), kErrSyntax);
  EXPECT_EQ(Run("GetProfileData " + name + ", \"Line\", K$(), V$"), kErrSyntax);
  EXPECT_EQ(Run("DeleteProfileData " + name + ", \"Line\", V$()"), kErrSyntax);
  fs::remove(file);
}

}  // namespace
}  // namespace msc
