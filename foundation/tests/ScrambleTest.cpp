#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Assertions.h"
#include "Qelta_stringl.h"
#include "Random.h"
#include "StrUtils.h"

using namespace qelta;

namespace {

// Read while the test program loads, after qeltacore's start-up has seeded the scrambler.
const String kScrambledAtLoad = Scramble(u"Qelta 5807");
const uint32_t kRandSeedAtLoad = RandSeed;
// "Qelta 5807" under the default seed: pins the permutation, so that texts scrambled by earlier
// versions still descramble.
const String kPinned = {0xC2, 0x9C, 0xD2, 0x98, 0xC7, 0xED, 0x1C, 0x32, 0x4E, 0xF5};

String AllCodes() {
  String s;
  for (int c = 0; c < 256; ++c) s += static_cast<Char>(c);
  return s;
}

TEST(Scramble, DeScrambleRestoresEveryCodeForAnySeed) {
  const String all = AllCodes();
  for (int seed : {5807, 0, 1, -1, 123456789, -2147483647 - 1}) {
    InitScramble(seed);
    const String scrambled = Scramble(all);
    EXPECT_EQ(Length(scrambled), 256);
    EXPECT_NE(scrambled, all) << seed;
    EXPECT_EQ(DeScramble(scrambled), all) << seed;
    EXPECT_EQ(Scramble(DeScramble(all)), all) << seed;
  }
  InitScramble(5807);
}

TEST(Scramble, CodesOneThrough255FormAPermutationAndZeroStays) {
  InitScramble(42);
  const String scrambled = Scramble(AllCodes());
  EXPECT_EQ(scrambled[0], u'\0');
  const std::set<Char> images(scrambled.begin() + 1, scrambled.end());
  EXPECT_EQ(images.size(), 255u);
  EXPECT_EQ(*images.begin(), 1);
  EXPECT_EQ(*images.rbegin(), 255);
  InitScramble(5807);
}

TEST(Scramble, CodesAbove255PassUnchanged) {
  const String text = U8("€ ∑ \xF0\x9F\x98\x80");  // euro, n-ary sum, and a surrogate pair
  const String scrambled = Scramble(text);
  EXPECT_EQ(scrambled[0], text[0]);
  EXPECT_EQ(scrambled[2], text[2]);
  EXPECT_EQ(scrambled.substr(4), text.substr(4));
  EXPECT_EQ(DeScramble(scrambled), text);
}

TEST(InitScramble, SameSeedSameTablesAndReseedsRandom) {
  InitScramble(77);
  const String first = Scramble(AllCodes());
  const int drawAfterFirst = Random(1000000);
  InitScramble(78);
  EXPECT_NE(Scramble(AllCodes()), first);
  InitScramble(77);
  EXPECT_EQ(Scramble(AllCodes()), first);
  EXPECT_EQ(Random(1000000), drawAfterFirst);  // the generator continues from the scrambler's draws
  InitScramble(5807);
}

TEST(InitScramble, StartUpSeedsWith5807) {
  InitScramble(5807);
  EXPECT_EQ(kScrambledAtLoad, Scramble(u"Qelta 5807"));
  EXPECT_EQ(kRandSeedAtLoad, RandSeed);
  EXPECT_EQ(DeScramble(kScrambledAtLoad), u"Qelta 5807");
  EXPECT_EQ(kScrambledAtLoad, kPinned);
}

}  // namespace
