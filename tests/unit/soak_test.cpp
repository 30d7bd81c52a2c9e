// A short run of the concurrency soak (bench/soak): host threads, a label
// thread and a block of 31 parallel tasks on one object see only whole
// values, lose no update and never deadlock. Meant for ThreadSanitizer too.
#include <gtest/gtest.h>

#include "soak.h"

namespace msc {
namespace {

TEST(Soak, HostThreadsLabelsAndParallelTasksShareOneObject) {
  soak::Config config;
  config.hostOps = 4000;
  config.labelCalls = 800;
  config.passes = 15;
  const soak::Result r = soak::Run(config);
  EXPECT_EQ(r.hostBad, 0);
  EXPECT_EQ(r.programBad, 0);
  EXPECT_GE(r.rounds, 1);
  // Every task pass counted once and called its subroutine once.
  EXPECT_EQ(r.counted, r.taskPasses);
  EXPECT_EQ(r.ticks, r.taskPasses);
  EXPECT_EQ(r.pings, config.labelCalls);
}

}  // namespace
}  // namespace msc
