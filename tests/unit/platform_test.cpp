#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cwchar>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/console.h"
#include "platform/lock.h"

namespace msc::platform {
namespace {

struct PageSample {
  uint32_t page;
  const wchar_t* text;
  const wchar_t* marker;  // one character with a known encoding
  std::string markerBytes;
};

const PageSample kSamples[] = {
    {932, L"日本語のテキスト、ｶﾀｶﾅ ABC", L"あ", "\x82\xA0"},
    {936, L"简体中文文本 ABC", L"中", "\xD6\xD0"},
    {949, L"한국어 텍스트 ABC", L"한", "\xC7\xD1"},
    {950, L"繁體中文文字 ABC", L"中", "\xA4\xA4"},
    {1252, L"Grüße, façade – €5", L"é", "\xE9"},
    {65001, L"mixed 日本 한국 € 😀", L"é", "\xC3\xA9"},
};

TEST(CodePage, EachPageRoundTripsItsScript) {
  for (const PageSample& s : kSamples) {
    SCOPED_TRACE(s.page);
    ASSERT_TRUE(CodePageSupported(s.page));
    // With -1 the terminator is converted and counted.
    const int need = WideToMulti(s.page, s.text, -1, nullptr, 0);
    ASSERT_GT(need, 0);
    std::string bytes(static_cast<size_t>(need), 'x');
    ASSERT_EQ(WideToMulti(s.page, s.text, -1, bytes.data(), need), need);
    EXPECT_EQ(bytes.back(), '\0');
    const int chars = MultiToWide(s.page, bytes.data(), -1, nullptr, 0);
    ASSERT_EQ(chars, static_cast<int>(std::wcslen(s.text)) + 1);
    std::wstring back(static_cast<size_t>(chars), L'x');
    ASSERT_EQ(MultiToWide(s.page, bytes.data(), -1, back.data(), chars), chars);
    EXPECT_EQ(std::wstring(back.c_str()), s.text);

    EXPECT_EQ(ToMulti(s.page, s.marker), s.markerBytes);
    EXPECT_EQ(ToWide(s.page, s.markerBytes), s.marker);
  }
}

TEST(CodePage, LengthsTooSmallOutputsUnknownPagesAndStrayCharacters) {
  const wchar_t* text = L"日本語";
  EXPECT_EQ(WideToMulti(932, text, 3, nullptr, 0), 6);  // an explicit length excludes the terminator
  char out[8] = {};
  EXPECT_EQ(WideToMulti(932, text, 3, out, 5), 0);
  EXPECT_EQ(WideToMulti(932, text, -1, out, 6), 0);  // no room for the terminator
  EXPECT_EQ(WideToMulti(932, text, -1, out, 7), 7);
  wchar_t wide[4] = {};
  EXPECT_EQ(MultiToWide(932, out, -1, wide, 3), 0);
  EXPECT_EQ(MultiToWide(932, out, 6, wide, 3), 3);
  EXPECT_EQ(std::wstring(wide, 3), text);
  EXPECT_EQ(WideToMulti(932, text, 0, out, 8), 0);
  EXPECT_EQ(WideToMulti(932, nullptr, -1, out, 8), 0);

  EXPECT_FALSE(CodePageSupported(12345));
  EXPECT_EQ(WideToMulti(12345, L"X", 1, nullptr, 0), 0);
  EXPECT_EQ(MultiToWide(12345, "X", 1, nullptr, 0), 0);
  EXPECT_EQ(ToMulti(1252, L"a日b"), "a?b");
  EXPECT_EQ(ToWide(65001, "a\xFF" "b"), L"a\uFFFDb");
  EXPECT_EQ(ToMulti(932, L""), "");
  EXPECT_EQ(WideToPath(L"dir/ファイル"), "dir/\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB");
}

TEST(CodePage, ThreadsConvertIndependently) {
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (const PageSample& s : kSamples) {
    threads.emplace_back([&failures, &s] {
      for (int i = 0; i < 200; ++i)
        if (ToWide(s.page, ToMulti(s.page, s.text)) != s.text) ++failures;
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST(Console, LinesOfTwoThreadsNeverMix) {
  const std::string a(300, 'a'), b(300, 'b');
  testing::internal::CaptureStdout();
  std::thread first([&a] { for (int i = 0; i < 500; ++i) ConsolePrint(a.c_str()); });
  std::thread second([&b] { for (int i = 0; i < 500; ++i) ConsolePrint(b.c_str()); });
  first.join();
  second.join();
  const std::string out = testing::internal::GetCapturedStdout();
  size_t lines = 0, start = 0;
  for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1, ++lines) {
    const std::string line = out.substr(start, end - start);
    ASSERT_TRUE(line == "Macro(SC) " + a || line == "Macro(SC) " + b) << line.substr(0, 40);
  }
  EXPECT_EQ(lines, 1000u);
  EXPECT_EQ(start, out.size());
}

TEST(Console, RawPrintCutsAndLinePrintEndsTheLine) {
  const std::string longText(300, 'x');
  testing::internal::CaptureStdout();
  RawConsolePrint(longText.c_str(), longText.size());
  RawConsolePrint("ab\0cd", 5);
  RawConsolePrint("abcdef", 3);
  LinePrint("RVM INTERNAL ERROR\n");
  ConsolePrint("Stop in 10");
  MessageBox(L"Macro error", L"Syntax error");
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            std::string(255, 'x') + "ababc" + "RVM INTERNAL ERROR\n\n" +
                "Macro(SC) Stop in 10\n" + "Macro error\nSyntax error\n");
}

// The owner re-enters; other threads wait until every entry is left.
TEST(RecursiveLock, OwnerReentersOthersExclude) {
  RecursiveLock lock;
  lock.lock();
  lock.lock();
  EXPECT_TRUE(lock.OwnedByThisThread());
  std::atomic<bool> taken{false};
  std::thread other([&] {
    LockGuard guard(lock);
    taken = true;
  });
  lock.unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(taken.load());  // still held once
  lock.unlock();
  other.join();
  EXPECT_TRUE(taken.load());
  EXPECT_FALSE(lock.OwnedByThisThread());
  // Exclusion among many threads, re-entered under contention too, is the
  // thread tests' (the lock's fairness test and the runs of one object).
}

}  // namespace
}  // namespace msc::platform
