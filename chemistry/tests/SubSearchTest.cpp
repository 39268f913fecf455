// The substructure search: prefilters, matches, bond and attribute tests, the faults of a search that let two
// query atoms share a target atom, and the trace file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "CTabTestKit.h"
#include "FileTestKit.h"
#include "Qelta_CData.h"
#include "Qelta_cstruct.h"

using namespace qelta;
using qelta::test::TBond;
using qelta::test::TempDir;

namespace {

void Build(TCTab& t, const std::vector<int>& elements, const std::vector<TBond>& bonds) {
  qelta::test::BuildMolecule(t, elements, bonds);
}

void Ring(TCTab& t, int n, int type = 1) {
  t.Clear();
  for (int i = 0; i < n; ++i) qelta::test::AddElement(t, 6);
  for (int i = 1; i <= n; ++i) t.MakeConnection(i, i % n + 1, type);
}

std::vector<int> Marked(const AtFlagType& m) {
  std::vector<int> out;
  for (int i = 1; i <= MaxAtoms; ++i)
    if (m[i] != 0) out.push_back(i);
  return out;
}

// The search without its trace file; the trace has its own test.
struct SubSearch : ::testing::Test {
  void SetUp() override { SubStrucTrace = false; }
  void TearDown() override { SubStrucTrace = true; }
  TCTab target{nullptr}, query{nullptr};
  AtFlagType matched{};
};

}  // namespace

TEST_F(SubSearch, PrefiltersLeaveTheMatchUntouched) {
  Build(target, {6, 6, 8}, {{1, 2, 1}, {2, 3, 1}});
  matched[1] = 7;
  Build(query, {6, 6, 8, 6}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));  // more atoms
  Build(query, {6, 7}, {{1, 2, 1}});
  EXPECT_FALSE(target.SumForContained(query));
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));  // an element the target lacks
  query.Clear();
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));  // empty query
  EXPECT_EQ(Marked(matched), std::vector<int>{1});
  // cyclohexane in hexane: the ring count rules it out
  Ring(query, 6);
  Build(target, {6, 6, 6, 6, 6, 6}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 1}});
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
  EXPECT_EQ(Marked(matched), std::vector<int>{1});
}

TEST_F(SubSearch, FindsBenzeneInToluene) {
  Ring(query, 6, 4);
  Ring(target, 6, 4);
  target.MakeConnection(qelta::test::AddElement(target, 6), 3, 1);
  ASSERT_TRUE(target.SearchSubStruc(query, matched, false));
  EXPECT_EQ(Marked(matched), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  // A failed search after the prefilters clears the marks.
  Ring(query, 5, 4);
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
  EXPECT_TRUE(Marked(matched).empty());
}

TEST_F(SubSearch, ComparesBondTypesOnRequest) {
  Build(query, {6, 8}, {{1, 2, 2}});
  Build(target, {6, 6, 8}, {{1, 2, 1}, {2, 3, 1}});
  EXPECT_TRUE(target.SearchSubStruc(query, matched, false));
  EXPECT_FALSE(target.SearchSubStruc(query, matched, true));
  // Closure bonds are compared too: a ring of alternating bonds against a ring of single ones.
  Ring(query, 6);
  query.MakeConnection(1, 6, 2);
  Ring(target, 6);
  EXPECT_TRUE(target.SearchSubStruc(query, matched, false));
  EXPECT_FALSE(target.SearchSubStruc(query, matched, true));
}

TEST_F(SubSearch, CyclohexaneIsNotInMethylcyclopentane) {
  Ring(query, 6);
  Ring(target, 5);
  target.MakeConnection(qelta::test::AddElement(target, 6), 1, 1);  // one ring each, so the ring count lets it through
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
}

// Regression: two query branches could map onto one target atom (used targets were never tested): the chain
// O-C-C-C-O was found in oxetane beside a water, reusing the ring oxygen for both ends.
TEST_F(SubSearch, TwoQueryAtomsNeverShareATargetAtom) {
  Build(query, {8, 6, 6, 6, 8}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}});
  Build(target, {8, 6, 6, 6, 8}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}});
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
  target.MakeConnection(4, 1, 0);  // open the ring: now 1..4 is the chain and the water is its end
  target.MakeConnection(4, 5, 1);
  EXPECT_TRUE(target.SearchSubStruc(query, matched, false));
}

// Regression: a ring-closing query atom did not descend, so the atoms behind it stayed unmapped and the query
// was reported found: the ring with a tail is not in the plain ring.
TEST_F(SubSearch, AtomsBehindARingClosureAreMatchedToo) {
  Ring(query, 6);
  query.MakeConnection(qelta::test::AddElement(query, 7), 6, 1);  // the tail hangs on the closing atom
  Ring(target, 6);
  target.MakeConnection(qelta::test::AddElement(target, 7), 1, 1);
  EXPECT_TRUE(target.SearchSubStruc(query, matched, false));
  target.MakeConnection(7, 1, 0);
  target.MakeConnection(qelta::test::AddElement(target, 6), 7, 1);  // the nitrogen now sits on a chain apart from the ring
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
}

// Regression: the ring count of the prefilter took one ring off per extra component, so a target with a
// separate salt lost its ring and benzene was not found in it.
TEST_F(SubSearch, ASaltBesideTheRingKeepsItsRing) {
  Ring(query, 6, 4);
  Ring(target, 6, 4);
  qelta::test::AddElement(target, 11);
  qelta::test::AddElement(target, 17);
  ASSERT_LT(target.RingsInMolecule(), query.RingsInMolecule());
  EXPECT_TRUE(target.SearchSubStruc(query, matched, false));
}

TEST_F(SubSearch, MatchesEveryComponentOfTheQuery) {
  Build(query, {6, 8, 7}, {{1, 2, 1}});                // methanol and ammonia
  Build(target, {7, 6, 8, 6}, {{2, 3, 1}, {3, 4, 1}});  // ammonia and dimethyl ether
  ASSERT_TRUE(target.SearchSubStruc(query, matched, false));
  EXPECT_EQ(Marked(matched), (std::vector<int>{1, 2, 3}));
  Build(target, {6, 8, 7}, {{1, 2, 1}, {2, 3, 1}});  // one nitrogen, taken by nobody else
  EXPECT_TRUE(target.SearchSubStruc(query, matched, false));
  Build(query, {7, 7}, {});
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
}

TEST_F(SubSearch, QueryAttributesAskForTheSameTopology) {
  Build(query, {6, 6}, {{1, 2, 1}});
  Build(target, {6, 6, 6}, {{1, 2, 1}, {2, 3, 1}});
  target.CalcAttributes();
  EXPECT_TRUE(target.SearchSubStruc(query, matched, false));
  query.CalcAttributes();  // two chain ends: propane has only one pair of neighbours, one of them in the middle
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
  Ring(target, 6);
  target.CalcAttributes();
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
  query.ClearAttributes();
  EXPECT_TRUE(target.SearchSubStruc(query, matched, false));
}

TEST(SubSearchTrace, WritesOneGroupPerCandidatePair) {
  TempDir dir;
  char* previous = ::getcwd(nullptr, 0);
  ASSERT_EQ(::chdir(dir.Native().c_str()), 0);
  TCTab target(nullptr), query(nullptr);
  Build(query, {6, 8}, {{1, 2, 1}});
  Build(target, {8, 6, 8, 6}, {{1, 2, 2}, {2, 3, 1}, {3, 4, 1}});
  AtFlagType matched{};
  SubStrucTrace = true;
  EXPECT_TRUE(target.SearchSubStruc(query, matched, true));
  Build(query, {7}, {});
  EXPECT_FALSE(target.SearchSubStruc(query, matched, true));  // the prefilter writes nothing
  const std::string trace = dir.Get("substrct.txt");
  EXPECT_EQ(::chdir(previous), 0);
  std::free(previous);
  // The anchor is the oxygen (query atom 2); target oxygen 1 fails on the bond from its carbon, oxygen 3 fits.
  EXPECT_EQ(trace,
            "level=0  0 0 1 2\r\nT F\r\n"
            "level=1  1 2 2 1\r\nF F\r\nfinal: F\r\n--------------\r\n"
            "final: F\r\n--------------\r\n"
            "level=0  0 0 3 2\r\nT F\r\n"
            "level=1  3 2 2 1\r\nT F\r\nfinal: T\r\n--------------\r\n"
            "final: T\r\n--------------\r\n");
}

// A long search appends its trace in batches: nothing is lost between them.
TEST(SubSearchTrace, ALongTraceIsWrittenWhole) {
  TempDir dir;
  char* previous = ::getcwd(nullptr, 0);
  ASSERT_EQ(::chdir(dir.Native().c_str()), 0);
  TCTab target(nullptr), query(nullptr);
  Build(query, {6, 6, 6, 6, 6}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}});
  query.SetAttrib(5, atbChainEnd);  // no target atom has it, so every path is tried to its end
  SubStrucTrace = true;
  target.Clear();
  for (int i = 0; i < 12; ++i) qelta::test::AddElement(target, 6);
  for (int i = 1; i <= 12; ++i)
    for (int d = 1; d <= 3; ++d) target.MakeConnection(i, (i + d - 1) % 12 + 1, 1);
  AtFlagType matched{};
  EXPECT_FALSE(target.SearchSubStruc(query, matched, false));
  const std::string trace = dir.Get("substrct.txt");
  EXPECT_EQ(::chdir(previous), 0);
  std::free(previous);
  size_t lines = 0, groups = 0, anchors = 0;
  for (size_t at = 0, end; (end = trace.find("\r\n", at)) != std::string::npos; at = end + 2, ++lines) {
    groups += trace.compare(at, 6, "level=") == 0;
    anchors += trace.compare(at, 9, "level=0  ") == 0;
  }
  EXPECT_GT(lines, 3u * 4096);
  EXPECT_EQ(lines, 4 * groups);
  EXPECT_EQ(anchors, 12u);
  EXPECT_EQ(trace.substr(trace.size() - 26), "final: F\r\n--------------\r\n");
}
