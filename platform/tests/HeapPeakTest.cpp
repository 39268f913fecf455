// The heap accounting the suites and the fuzz driver rely on: every way to take a block counts, and
// the peak of a call is what it held at once, not what it took in all.
#include "HeapPeak.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace qelta::test {
namespace {

constexpr int64_t kBlock = 1 << 20;

// Keeps the optimiser from dropping a block nobody reads.
void Touch(void* p) {
  if (p) static_cast<volatile char*>(p)[0] = 1;
}

TEST(HeapPeak, CountsEveryWayOfTakingABlock) {
  struct Case {
    const char* what;
    void (*take)();
  } cases[] = {
      {"operator new[]", [] { auto p = std::make_unique<char[]>(kBlock); Touch(p.get()); }},
      {"vector", [] { std::vector<double> v(kBlock / 8); Touch(v.data()); }},
      {"malloc", [] { void* p = std::malloc(kBlock); Touch(p); std::free(p); }},
      {"calloc", [] { void* p = std::calloc(kBlock / 16, 16); Touch(p); std::free(p); }},
      {"realloc", [] { void* p = std::realloc(nullptr, 16); p = std::realloc(p, kBlock); Touch(p); std::free(p); }},
      {"aligned_alloc", [] { void* p = std::aligned_alloc(64, kBlock); Touch(p); std::free(p); }},
      {"aligned new", [] { struct alignas(64) T { char c[64]; }; auto p = std::make_unique<T[]>(kBlock / 64); Touch(p.get()); }},
  };
  for (const Case& c : cases) {
    const int64_t before = HeapLive();
    const int64_t peak = HeapPeakOf(c.take);
    EXPECT_GE(peak, kBlock) << c.what;
    EXPECT_LT(peak, kBlock + 4096) << c.what;
    EXPECT_EQ(HeapLive(), before) << c.what << ": the block's release counts too";
  }
}

TEST(HeapPeak, ThePeakIsWhatWasHeldAtOnce) {
  const int64_t peak = HeapPeakOf([] {
    for (int i = 0; i < 8; ++i) {
      std::string s(kBlock, 'x');  // taken and released eight times, never two at once
      Touch(s.data());
    }
  });
  EXPECT_GE(peak, kBlock);
  EXPECT_LT(peak, 2 * kBlock);
}

int64_t gRequested = 0;

TEST(HeapPeak, ALimitIsReportedBeforeTheBlockIsUsed) {
  gRequested = 0;
  HeapLimit(kBlock, [](std::size_t request) { gRequested = static_cast<int64_t>(request); });
  std::vector<char> small(kBlock / 2);
  Touch(small.data());
  EXPECT_EQ(gRequested, 0) << "within the limit";
  std::vector<char> big(kBlock);
  Touch(big.data());
  HeapLimit(-1, nullptr);
  EXPECT_EQ(gRequested, kBlock);
}

}  // namespace
}  // namespace qelta::test
