#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

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

TEST(SimulatedController, KeepsDataAndRunsTasksTogether) {
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

  // Two tasks that each wait for the other can only finish when they run at
  // the same time.
  std::atomic<int> arrived{0};
  auto task = [](void* p) -> int32_t {
    auto* count = static_cast<std::atomic<int>*>(p);
    ++*count;
    while (count->load() < 2) std::this_thread::yield();
    return 0;
  };
  PARALLELPROC tasks[] = {{task, &arrived}, {task, &arrived}, {nullptr, nullptr}};
  EXPECT_EQ(ParallelExecute(tasks), 0);
  EXPECT_EQ(arrived.load(), 2);
}

}  // namespace
