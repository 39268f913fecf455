// Processor count and priorities. Priority changes run in a thread or a child process of their own,
// so the test process keeps its nice value.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "SysInfo.h"

namespace qelta {
namespace {

TEST(SysInfo, CountsTheProcessorsOnline) {
  EXPECT_GE(GetProcessorCount(), 1);
  EXPECT_EQ(GetProcessorCount(), static_cast<int>(::sysconf(_SC_NPROCESSORS_ONLN)));
}

TEST(SysInfo, AThreadRaisesItsOwnNiceValueOnly) {
  const int mine = GetThreadPriority();
  int seen = -100, after = -100;
  bool raised = false, clamped = false;
  std::thread worker([&] {
    const int start = GetThreadPriority();
    raised = SetThreadPriority(start + 3);
    seen = GetThreadPriority() - start;
    clamped = SetThreadPriority(99);  // beyond the range: the least favoured value
    after = GetThreadPriority();
  });
  worker.join();
  EXPECT_TRUE(raised);
  EXPECT_EQ(seen, std::min(3, 19 - mine));
  EXPECT_TRUE(clamped);
  EXPECT_EQ(after, 19);
  EXPECT_EQ(GetThreadPriority(), mine);
}

TEST(SysInfoDeathTest, TheProcessPriorityIsThatOfTheMainThread) {
  EXPECT_EXIT(
      {
        const int start = GetProcessPriority();
        const bool ok = SetProcessPriority(start + 2) && GetProcessPriority() == std::min(start + 2, 19) &&
                        GetThreadPriority() == GetProcessPriority();
        std::_Exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace qelta
