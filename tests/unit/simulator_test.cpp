#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <utility>
#include <vector>

#include "fake_host.h"
#include "macro_sc/host.h"
#include "simulator.h"

namespace {

TEST(AnyType, ListsGrowInPlaceAndCopyDeeply) {
  AnyType list;
  AnyType* first = list.GetDataPointer(0, 1);
  ASSERT_NE(first, nullptr);
  first->SetData(L"first");
  for (int32_t i = 1; i < 40; ++i) ASSERT_NE(list.GetDataPointer(i, 1), nullptr);
  EXPECT_EQ(list.GetDataPointer(0, 0), first);  // entries keep their address
  EXPECT_EQ(list.GetCount(), 40);
  EXPECT_EQ(list.GetDataPointer(40, 0), nullptr);
  list.GetDataPointer(39, 0)->GetDataPointer(1, 1)->SetData(2.5);

  AnyType copy(list);
  first->SetData(int32_t{7});
  EXPECT_STREQ(copy.GetDataPointer(0, 0)->GetString(), L"first");
  EXPECT_EQ(copy.GetDataPointer(39, 0)->GetDataPointer(1, 0)->GetDoubleValue(), 2.5);
  copy = *copy.GetDataPointer(39, 0);  // from an entry of itself
  EXPECT_EQ(copy.GetType(), AnyType::kList);
  EXPECT_EQ(copy.GetCount(), 2);
}

TEST(Profile, WritesReadsListsAndDeletes) {
  namespace fs = std::filesystem;
  const fs::path file = fs::temp_directory_path() / "msc_profile_test.ini";
  std::ofstream(file) << "; settings\n[Macro]\ncodePage = 949\n\n[Other]\nA=1\n";
  const std::wstring name = file.wstring();
  wchar_t buffer[16];

  EXPECT_EQ(GetProfileData(name.c_str(), L"macro", L"CODEPAGE", L"-1", buffer, 16), 3);
  EXPECT_STREQ(buffer, L"949");
  EXPECT_EQ(GetProfileData(name.c_str(), L"Macro", L"missing", L"default text", buffer, 8), 7);
  EXPECT_STREQ(buffer, L"default");

  ASSERT_EQ(SetProfileData(name.c_str(), L"Macro", L"codePage", L"1252"), 0);
  ASSERT_EQ(SetProfileData(name.c_str(), L"Macro", L"Name", L"日本"), 0);
  ASSERT_EQ(SetProfileData(name.c_str(), L"New", L"K", L"V"), 0);
  AnyType keys, values;
  int32_t count = -1;
  ASSERT_EQ(GetProfileData(name.c_str(), L"Macro", &keys, &values, &count), 0);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(keys.GetDataPointer(0, 0)->GetString(), L"codePage");
  EXPECT_STREQ(values.GetDataPointer(0, 0)->GetString(), L"1252");
  EXPECT_STREQ(values.GetDataPointer(1, 0)->GetString(), L"日本");
  EXPECT_EQ(GetProfileData(name.c_str(), L"New", L"K", L"", buffer, 16), 1);
  EXPECT_EQ(GetProfileData(name.c_str(), L"Other", L"A", L"", buffer, 16), 1);

  ASSERT_EQ(DeleteProfileData(name.c_str(), L"Macro", L"codepage"), 0);
  ASSERT_EQ(DeleteProfileData(name.c_str(), L"Other", -1), 0);
  ASSERT_EQ(GetProfileData(name.c_str(), L"Macro", &keys, &values, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(GetProfileData(name.c_str(), L"Other", L"A", L"gone", buffer, 16), 4);
  ASSERT_EQ(DeleteProfileData(name.c_str(), L"Macro", 0), 0);
  ASSERT_EQ(GetProfileData(name.c_str(), L"Macro", &keys, &values, &count), 0);
  EXPECT_EQ(count, 0);
  fs::remove(file);
}

TEST(SimulatedController, KeepsDataAndNamesChannelsAndPaths) {
  CoreServices* core = msc::sim::Core();
  AnyType in, out;
  in.SetData(L"fast");
  ASSERT_EQ(core->SetSystemData(L"Line", L"Speed", &in), 0);
  ASSERT_EQ(core->GetSystemData(L"Line", L"Speed", &out), 0);
  EXPECT_STREQ(out.GetString(), L"fast");
  EXPECT_NE(core->GetSystemData(L"Line", L"Other", &out), 0);
  EXPECT_NE(core->AddSystemData(L"Line", L"Speed", &in), 0);
  ASSERT_EQ(core->ChangeScene(5), 0);
  EXPECT_EQ(core->GetSceneNo(), 5);
  EXPECT_EQ(core->GetIoModule(L"nothing"), nullptr);
  ASSERT_NE(core->GetIoModule(L"SIM"), nullptr);

  std::wstring path = GetCoreRAPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), L'/');
  EXPECT_EQ(std::wstring(AbsolutePath(L"a/./b/../c").GetPath()), path + L"a/c");

  // ParallelExecute running its tasks at the same time is the parallel test's,
  // whose tasks wait for each other through the engine's ParallelExecute.
}

// The simulated controller: a scenario's state as the engine's calls see it,
// measurement, unit editing, channels, controller files, faults, the trace
// and malformed scenarios. The controller is one per process, so each test
// starts from a fresh one and leaves a fresh one behind.
class SimController : public testing::Test {
 protected:
  void SetUp() override { msc::sim::ResetController(); }
  void TearDown() override {
    msc::sim::StopHostTrace();
    msc::sim::ResetController();
  }

  static void Load(const std::string& text) {
    std::string message;
    ASSERT_TRUE(msc::sim::LoadScenarioText(text, "test.toml", &message)) << message;
  }
  static std::string LoadError(const std::string& text) {
    std::string message;
    EXPECT_FALSE(msc::sim::LoadScenarioText(text, "bad.toml", &message)) << text;
    return message;
  }

  static AnyType Int(int32_t v) {
    AnyType a;
    a.SetData(v);
    return a;
  }
  // The unit data item as text ("?" when the controller refuses it).
  std::string Item(int32_t unit, const wchar_t* name) {
    AnyType out;
    if (host->GetUnitData(unit, name, &out) != 0) return "?";
    return msc::test::Utf8(out.GetString());
  }
  std::string Item(int32_t unit, int32_t number) {
    AnyType out;
    if (host->GetUnitDataByNo(unit, number, &out) != 0) return "?";
    return msc::test::Utf8(out.GetString());
  }
  std::string UnitTitle(int32_t unit) {
    wchar_t buffer[64];
    int32_t capacity = 64;
    return host->GetUnitTitle(unit, buffer, &capacity) == 0 ? msc::test::Utf8(buffer) : "?";
  }
  std::string Titles() {
    std::string all;
    for (int32_t u = 0; u < host->GetUnitCount(); ++u) all += (u ? "," : "") + UnitTitle(u);
    return all;
  }

  HostInterface* host = msc::sim::Host();
  CoreServices* core = msc::sim::Core();
};

constexpr const char* kLine = R"(
[controller]
version = "Line 7"
scene = 2

[system.Camera]
Shutter = 120

[global]
Lot = "A-17"

[[group]]
number = 0
title = "Line"

[[scene]]
number = 2
title = "Width"
data = { Nominal = 25.0 }

[[scene.unit]]
kind = "CameraImageInput"

[[scene.unit]]
kind = "EdgeWidth"
title = "Width"
data = { W = 0.5 }
results = [ { JG = 1, W = 25.02 }, { JG = -1, W = 26.5 } ]

[[scene.unit]]
kind = "Macro"
title = "Notes"
)";

TEST_F(SimController, AScenarioIsWhatTheEngineSees) {
  Load(kLine);
  EXPECT_EQ(core->GetSceneNo(), 2);
  wchar_t buffer[64];
  int32_t capacity = 64;
  ASSERT_EQ(core->GetSceneTitle(2, buffer, &capacity), 0);
  EXPECT_STREQ(buffer, L"Width");
  ASSERT_EQ(core->GetApplicationVersion(0, buffer, 64), 0);
  EXPECT_STREQ(buffer, L"Line 7");
  AnyType out;
  ASSERT_EQ(core->GetSystemData(L"Camera", L"Shutter", &out), 0);
  EXPECT_EQ(out.GetIntValue(), 120);
  ASSERT_EQ(core->GetGlobalData(L"Lot", &out), 0);
  EXPECT_STREQ(out.GetString(), L"A-17");
  ASSERT_EQ(host->GetSceneData(L"Nominal", &out), 0);
  EXPECT_EQ(out.GetType(), AnyType::kReal);

  EXPECT_EQ(host->GetUnitCount(), 3);
  EXPECT_EQ(Titles(), "Camera Image Input,Width,Notes");  // a kind's title unless given
  EXPECT_EQ(host->GetUnitNo(L"Notes"), 2);
  EXPECT_EQ(host->GetUnitNo(L"Nothing"), -1);
  EXPECT_EQ(host->CheckUnit(2), 1);
  EXPECT_EQ(host->CheckUnit(3), 0);
  ASSERT_EQ(host->GetUnitItemIdent(1, buffer), 0);
  EXPECT_STREQ(buffer, L"EdgeWidth");

  // Items by number are the kind's items in order; a kind without a list
  // takes any name, and numbers stand for "#n".
  EXPECT_EQ(Item(1, L"W"), "0.5");
  EXPECT_EQ(Item(1, 1), "0.5");
  EXPECT_EQ(Item(1, L"X1"), "0");
  EXPECT_EQ(Item(1, L"CR"), "?");
  EXPECT_EQ(Item(1, 9), "?");
  AnyType value = Int(7);
  EXPECT_NE(host->SetUnitData(1, L"Wx", &value), 0);
  ASSERT_EQ(host->SetUnitDataByNo(1, 2, &value), 0);
  EXPECT_EQ(Item(1, L"X1"), "7");
  ASSERT_EQ(host->SetUnitData(2, L"Anything", &value), 0);
  ASSERT_EQ(host->SetUnitDataByNo(2, 4, &value), 0);
  EXPECT_EQ(Item(2, L"#4"), "7");
  EXPECT_EQ(Item(7, L"W"), "?");
}

TEST_F(SimController, MeasurementsTakeTheResultsInTurn) {
  Load(kLine);
  std::string seen;
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(core->Measure(0), 0);
    seen += std::to_string(host->GetUnitJudge(1)) + " " + Item(1, L"W") + "; ";
  }
  EXPECT_EQ(seen, "1 25.02; -1 26.5; 1 25.02; ");
  EXPECT_EQ(host->GetUnitJudge(0), 1);  // no results: measures OK
  EXPECT_EQ(core->Remeasure(0, 0), 0);  // a new image: the next result
  EXPECT_EQ(Item(1, L"W"), "26.5");
  ASSERT_EQ(core->MeasureProc(1), 0);  // this unit alone
  EXPECT_EQ(Item(1, L"W"), "25.02");
  ASSERT_EQ(host->ClearMeasureData(1), 0);
  EXPECT_EQ(Item(1, L"W"), "0.5");  // back to before measuring
  EXPECT_EQ(host->GetUnitJudge(1), 0);
  ASSERT_EQ(host->ClearAllMeasureData(-1), 0);
  EXPECT_EQ(host->GetUnitJudge(0), 0);
  // Results follow their unit when it moves.
  ASSERT_EQ(host->MoveUnit(1, 0), 0);
  ASSERT_EQ(core->TestMeasure(0, -1, L"", 1, 0, 0), 0);
  EXPECT_EQ(Item(0, L"W"), "26.5");
}

TEST_F(SimController, UnitsAreAFlowThatRenumbers) {
  Load(kLine);
  ASSERT_EQ(host->InsertUnit(1, L"Search"), 0);
  EXPECT_EQ(Titles(), "Camera Image Input,Search,Width,Notes");
  ASSERT_EQ(host->DeleteUnit(0), 0);
  EXPECT_EQ(Titles(), "Search,Width,Notes");
  ASSERT_EQ(host->AssignUnit(3, L"Area"), 0);  // the count: added at the end
  ASSERT_EQ(host->AssignUnit(0, L"Labeling"), 0);  // replaces
  EXPECT_EQ(Titles(), "Labeling,Width,Notes,Area");
  EXPECT_NE(host->AssignUnit(5, L"Area"), 0);  // beyond the end
  EXPECT_NE(host->AssignUnit(0, L"Teleport"), 0);  // not in the catalogue
  ASSERT_EQ(host->MoveUnit(3, 0), 0);
  EXPECT_EQ(Titles(), "Area,Labeling,Width,Notes");
  ASSERT_EQ(host->CopyUnit(2, 0, 1), 0);  // mode 1 inserts
  ASSERT_EQ(host->CopyUnit(1, 4, 0), 0);  // mode 0 overwrites
  EXPECT_EQ(Titles(), "Width,Area,Labeling,Width,Area");
  ASSERT_EQ(host->SetUnitTitle(0, L"Copy"), 0);
  EXPECT_EQ(UnitTitle(3), "Width");  // a copy is a copy
  ASSERT_EQ(host->CopyUnitEx(5, 0, 0, 1), 1);  // scene 5 has no unit 0
  ASSERT_EQ(host->CopyUnitEx(2, 0, 0, 1), 0);  // from the current scene too
  EXPECT_EQ(host->GetUnitCount(), 6);

  // Scenes and groups: changing shows another flow; copies are separate.
  ASSERT_EQ(core->CopyScene(2, 3), 0);
  ASSERT_EQ(core->ChangeScene(3), 0);
  EXPECT_EQ(host->GetUnitCount(), 6);
  ASSERT_EQ(host->DeleteUnit(0), 0);
  ASSERT_EQ(core->ClearScene(2), 0);
  ASSERT_EQ(core->ChangeSceneGroup(1, 3), 0);
  EXPECT_EQ(host->GetUnitCount(), 0);
  ASSERT_EQ(core->ChangeSceneGroup(0, 3), 0);
  EXPECT_EQ(host->GetUnitCount(), 5);
  EXPECT_NE(core->ChangeScene(128), 0);
  EXPECT_NE(core->ChangeSceneGroup(32, 0), 0);
}

TEST_F(SimController, ChannelsLoopBackReadInTurnAndKeepPlcWords) {
  Load(R"(
[[channel]]
name = "PLC"
inputs = [0, 0, 4]
ports = { 2 = [1, 0] }
receive = ["GO", [1, 2, 3]]
plc = [ { area = 1, address = 100, words = [0x1234, 65535] } ]

[[channel]]
name = "ECHO"
loopback = true
byte_order = "little"
)");
  EXPECT_EQ(core->GetIoModule(L"SIM"), nullptr);  // a scenario's channels replace it
  IoModule* plc = core->GetIoModule(L"PLC");
  IoModule* echo = core->GetIoModule(L"ECHO");
  ASSERT_NE(plc, nullptr);
  ASSERT_NE(echo, nullptr);
  EXPECT_EQ(plc, core->GetIoModule(L"PLC"));

  std::string inputs;
  for (int i = 0; i < 4; ++i) inputs += std::to_string(plc->GetAll());
  EXPECT_EQ(inputs, "0044");  // the last value stays
  EXPECT_EQ(plc->GetPort(2), 1);
  EXPECT_EQ(plc->GetPort(2), 0);
  EXPECT_EQ(plc->GetPort(3), 0);
  ASSERT_EQ(plc->PutAll(9), 0);
  EXPECT_EQ(plc->GetAll(), 4);  // no loopback

  uint8_t block[8] = {};
  int32_t received = -1;
  ASSERT_EQ(plc->ReceiveData(block, 1, &received, nullptr), 0);
  EXPECT_EQ(received, 1);  // the rest of the message waits
  ASSERT_EQ(plc->ReceiveData(block, 8, &received, nullptr), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), received), "O");
  ASSERT_EQ(plc->ReceiveData(block, 8, &received, nullptr), 0);
  EXPECT_EQ(received, 3);
  ASSERT_EQ(plc->ReceiveData(block, 8, &received, nullptr), 0);
  EXPECT_EQ(received, 0);

  // Loopback: outputs are inputs, and what is sent comes back.
  ASSERT_EQ(echo->PutPort(1, 6), 0);
  EXPECT_EQ(echo->GetPort(1), 6);
  ASSERT_EQ(echo->SendString("PING"), 0);
  ASSERT_EQ(echo->SendData("\x01\x02", 2, nullptr), 0);
  ASSERT_EQ(echo->ReceiveData(block, 8, &received, nullptr), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(block), received), "PING");
  ASSERT_EQ(echo->ReceiveData(block, 8, &received, nullptr), 0);
  EXPECT_EQ(received, 2);

  // PLC memory keeps words; the block carries them low byte first.
  uint8_t words[6] = {};
  ASSERT_EQ(plc->ReadPlcMemory(1, 100, 3, words), 0);
  EXPECT_EQ(std::vector<uint8_t>(words, words + 6), (std::vector<uint8_t>{0x34, 0x12, 0xFF, 0xFF, 0, 0}));
  const uint8_t write[2] = {0x78, 0x56};
  ASSERT_EQ(plc->WritePlcMemory(1, 102, 1, write), 0);
  ASSERT_EQ(plc->ReadPlcMemory(1, 102, 1, words), 0);
  EXPECT_EQ(words[1], 0x56);

  // PLC data: big-endian unless a channel says little; read back as written.
  uint8_t image[8] = {};
  ASSERT_EQ(plc->SetPlcData32(image, 0x01020304), 0);
  EXPECT_EQ(image[0], 0x01);
  EXPECT_EQ(plc->GetPlcData32(image), 0x01020304);
  ASSERT_EQ(echo->SetPlcData16(image, -2), 0);
  EXPECT_EQ(image[0], 0xFE);
  EXPECT_EQ(echo->GetPlcData16(image), -2);
  ASSERT_EQ(plc->SetPlcDataReal(image, 2.5), 0);
  EXPECT_EQ(plc->GetPlcDataReal(image), 2.5);
  EXPECT_NE(echo->GetPlcDataReal(image), 2.5);

  // A handle whose channel a new scenario removed refuses its calls.
  Load("");
  EXPECT_NE(plc->PutAll(1), 0);
  EXPECT_NE(core->GetIoModule(L"SIM"), nullptr);
}

TEST_F(SimController, DataFilesRoundTripAndRefuseTheWrongKind) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "msc_controller_files";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string old = msc::sim::ConfigDirectory();
  msc::sim::SetConfigDirectory(dir.string());
  Load(kLine);
  ASSERT_EQ(core->Measure(0), 0);
  const uint8_t figure[6] = {6, 0, 1, 2, 3, 4};
  ASSERT_EQ(host->SetUnitFigure(1, 0, figure), 0);

  ASSERT_EQ(core->SaveScene(2, L"width.scn"), 0);  // a bare name: the configuration directory
  EXPECT_TRUE(fs::exists(dir / "width.scn"));
  ASSERT_EQ(core->SaveUnitData(0, 2, 1, (dir.wstring() + L"\\unit.dat").c_str()), 0);  // "\" separates
  ASSERT_EQ(core->SaveBackupData(L"all.bkd"), 0);
  AnyType shutter = Int(5);
  ASSERT_EQ(core->SetSystemData(L"Camera", L"Shutter", &shutter), 0);
  ASSERT_EQ(core->SaveSystemData(L"system.dat"), 0);

  ASSERT_EQ(core->ClearScene(2), 0);
  EXPECT_NE(core->LoadScene(2, L"unit.dat"), 0);  // a unit is no scene
  EXPECT_NE(core->LoadScene(2, L"missing.scn"), 0);
  EXPECT_EQ(host->GetUnitCount(), 0);
  ASSERT_EQ(core->LoadScene(2, L"width.scn"), 0);
  EXPECT_EQ(Titles(), "Camera Image Input,Width,Notes");
  EXPECT_EQ(Item(1, L"W"), "25.02");  // measured values were saved
  ASSERT_EQ(core->Measure(0), 0);
  EXPECT_EQ(Item(1, L"W"), "26.5");  // and where the results stood
  int32_t length = 0;
  uint8_t back[kUnitFigureCapacity] = {};
  ASSERT_EQ(host->GetUnitFigure(1, 0, &length, back), 0);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 6), std::vector<uint8_t>(figure, figure + 6));

  ASSERT_EQ(core->LoadUnitData(0, 2, 0, 1, L"unit.dat"), 0);  // inserted before unit 0
  EXPECT_EQ(Titles(), "Width,Camera Image Input,Width,Notes");
  ASSERT_EQ(core->LoadBackupData(L"all.bkd"), 0);
  EXPECT_EQ(Titles(), "Camera Image Input,Width,Notes");
  AnyType out;
  ASSERT_EQ(core->GetSystemData(L"Camera", L"Shutter", &out), 0);
  EXPECT_EQ(out.GetIntValue(), 120);
  ASSERT_EQ(core->LoadSystemData(L"system.dat"), 0);
  ASSERT_EQ(core->GetSystemData(L"Camera", L"Shutter", &out), 0);
  EXPECT_EQ(out.GetIntValue(), 5);

  // A damaged file changes nothing.
  std::ofstream(dir / "width.scn") << R"({"format":"macro-sc controller data","kind":"scene","scene":{"units":[{"kind":"Nope"}]}})";
  EXPECT_NE(core->LoadScene(2, L"width.scn"), 0);
  EXPECT_EQ(host->GetUnitCount(), 3);

  ASSERT_EQ(core->SaveImage(0, L"shot.pgm"), 0);
  EXPECT_EQ(fs::file_size(dir / "shot.pgm"), 15u + 640u * 480u);
  EXPECT_NE(core->ScreenCapture(L"no/such/dir/x.pgm"), 0);
  msc::sim::SetConfigDirectory(old);
  fs::remove_all(dir);
}

TEST_F(SimController, FaultsFailTheCallsTheyName) {
  Load(R"(
[[scene]]
[[scene.unit]]
kind = "Search"

[[channel]]
name = "PLC"
[[channel]]
name = "OTHER"

[[fault]]
op = "Measure"
at = [2, 3]

[[fault]]
op = "ChangeScene"
args = [5]
status = -1

[[fault]]
op = "PutAll"
channel = "PLC"
from = 2

[[fault]]
op = "GetUnitCount"
status = 42
)");
  std::string measured;
  for (int i = 0; i < 4; ++i) measured += std::to_string(core->Measure(0));
  EXPECT_EQ(measured, "0110");
  EXPECT_EQ(core->ChangeScene(4), 0);
  EXPECT_EQ(core->ChangeScene(5), -1);
  EXPECT_EQ(core->GetSceneNo(), 4);
  IoModule* plc = core->GetIoModule(L"PLC");
  IoModule* other = core->GetIoModule(L"OTHER");
  EXPECT_EQ(plc->PutAll(1), 0);
  EXPECT_EQ(plc->PutAll(1), 1);
  EXPECT_EQ(plc->PutAll(1), 1);
  EXPECT_EQ(other->PutAll(1), 0);
  EXPECT_EQ(host->GetUnitCount(), 42);  // a query answers the status
}

TEST_F(SimController, TheTraceWritesEveryCallAsOneJsonLine) {
  namespace fs = std::filesystem;
  const fs::path file = fs::temp_directory_path() / "msc_trace_test.jsonl";
  Load(R"(
[[scene]]
[[scene.unit]]
kind = "Search"
results = [ { JG = -1, CR = 41.5 } ]
[[channel]]
name = "PLC"
[[fault]]
op = "SaveData"
)");
  std::string message;
  ASSERT_TRUE(msc::sim::StartHostTrace(file.string(), &message)) << message;
  ASSERT_EQ(core->Measure(0), 0);
  AnyType out;
  ASSERT_EQ(host->GetUnitData(0, L"CR", &out), 0);
  EXPECT_NE(host->GetUnitData(0, L"XX", &out), 0);
  wchar_t buffer[16];
  int32_t capacity = 16;
  ASSERT_EQ(GetLanguageString(L"OK", buffer, &capacity, 0), 0);
  EXPECT_NE(core->SaveData(), 0);
  IoModule* plc = core->GetIoModule(L"PLC");
  ASSERT_EQ(plc->SendString("Hi\x82"), 0);
  uint8_t image[4];
  ASSERT_EQ(plc->SetPlcData16(image, 258), 0);
  msc::sim::StopHostTrace();
  EXPECT_EQ(core->Measure(0), 0);  // not traced any more

  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  const std::vector<std::string> expected = {
      R"({"n":1,"object":"core","slot":61,"op":"Measure","args":[0],"status":0})",
      R"({"n":2,"object":"host","slot":21,"op":"GetUnitData","args":[0,"CR"],"status":0,"out":[41.5]})",
      R"({"n":3,"object":"host","slot":21,"op":"GetUnitData","args":[0,"XX"],"status":1})",
      R"({"n":4,"object":"lib","op":"GetLanguageString","args":["OK",0],"status":0,"out":["OK"]})",
      R"({"n":5,"object":"core","slot":139,"op":"SaveData","args":[],"status":1,"fault":true})",
      R"({"n":6,"object":"core","slot":141,"op":"GetIoModule","args":["PLC"],"status":0})",
      R"({"n":7,"object":"io","channel":"PLC","slot":15,"op":"SendString","args":[{"bytes":"486982"}],"status":0})",
      R"({"n":8,"object":"io","channel":"PLC","slot":20,"op":"SetPlcData16","args":[258],"status":0,"out":[{"bytes":"0102"}]})",
  };
  EXPECT_EQ(lines, expected);
  fs::remove(file);
  EXPECT_FALSE(msc::sim::StartHostTrace("/no/such/dir/trace", &message));
  EXPECT_NE(message.find("/no/such/dir/trace"), std::string::npos);
}

TEST_F(SimController, MalformedScenariosSayWhereAndChangeNothing) {
  Load(kLine);
  const std::pair<const char*, const char*> cases[] = {
      {"[controller\nversion = 1", "bad.toml:1:"},  // TOML syntax
      {"\n[controller]\nversoin = \"x\"", "bad.toml:3:1: unknown key 'versoin' in [controller]"},
      {"[image]\nwidth = \"wide\"", "bad.toml:2:9: width must be an integer"},
      {"[controller]\nscenes = 0", "scenes must lie in 1 to 1024"},
      {"[[scene]]\nnumber = 200", "bad.toml:2:10: number must lie in 0 to 127"},
      {"[[scene]]\n[[scene.unit]]\ntitle = \"x\"", "bad.toml:2:1: a [[scene.unit]] needs a kind"},
      {"[[scene]]\n[[scene.unit]]\nkind = \"Laser\"", "no item 'Laser' in the catalogue"},
      {"[[scene]]\n[[scene.unit]]\nkind = \"Search\"\nresults = [ { CR = 1, Z = 2 } ]",
       "bad.toml:4:13: a unit of kind 'Search' has no data item 'Z'"},
      {"[global]\nBig = 3000000000", "an integer value must lie in"},
      {"[global]\nOn = true", "a value is an integer, a float, a string, an array or { bytes = \"HEX\" }"},
      {"[global]\nB = { bytes = \"0g\" }", "bytes are written in hexadecimal digits"},
      {"[[channel]]\nname = \"A\"\n[[channel]]\nname = \"A\"", "bad.toml:4:8: channel 'A' is listed twice"},
      {"[[channel]]\nname = \"A\"\nbyte_order = \"middle\"", "byte_order is \"little\" or \"big\""},
      {"[[channel]]\nname = \"A\"\nports = { x = 1 }", "ports are keyed by numbers, not 'x'"},
      {"[[fault]]\nop = \"Mesure\"", "bad.toml:2:6: no operation is named 'Mesure'"},
      {"[[fault]]\nop = \"Measure\"\nchannel = \"A\"", "'Measure' is no operation of a channel"},
      {"[[fault]]\nop = \"Measure\"\nat = 0", "at must lie in 1 to"},
      {"[[delay]]\nop = \"Mesure\"\nms = 5", "bad.toml:2:6: no operation is named 'Mesure'"},
      {"[[delay]]\nop = \"Measure\"", "a [[delay]] needs ms"},
      {"scene = 1", "bad.toml:1:9: 'scene' must be an array of tables ([[scene]])"},
      {"[[item]]\nident = \"A\"\n[[item]]\nident = \"A\"", "item 'A' is listed twice"},
  };
  for (const auto& [text, expected] : cases) {
    const std::string message = LoadError(text);
    EXPECT_NE(message.find(expected), std::string::npos) << text << "\n=> " << message;
  }
  EXPECT_EQ(Titles(), "Camera Image Input,Width,Notes");  // the last good scenario stays
  EXPECT_EQ(msc::sim::LoadScenario("/no/such/scenario.toml", nullptr),
            msc::sim::ScenarioResult::kCannotOpen);
}

}  // namespace
