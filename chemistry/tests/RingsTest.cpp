// Ring perception: ring counts, shortest rings through an atom, the assembled ring set and the attributes;
// the pruned search against the plain depth-first search it stands for.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "CTabTestKit.h"
#include "Qelta_cstruct.h"

using namespace qelta;
using qelta::test::BuildTable;
using qelta::test::TBond;

namespace {

// The plain search: from s along the slots in order, a path extends while B >= its length, a neighbour equal
// to s (not the one just left) closes a ring and ends the scan; shorter closures restart the list.
class TLiteralSearch {
 public:
  TLiteralSearch(const TCTab& t, int s, RingListType& list) : FT(t), FS(s), FList(list) {}
  void Run() {
    FList.NrOfRings = 0;
    if (FS < 1 || FS > FT.NAtoms()) return;
    Visit(0, FS);
  }

 private:
  void Visit(int prev, int cur) {
    FPath.push_back(cur);
    bool closed = false;
    for (int k = 1; k <= MaxConn; ++k) {
      const int nb = FT.GetConnTo(cur, k);
      if (nb == 0) break;
      if (nb == FS && nb != prev) {
        closed = true;
        break;
      }
      if (nb != prev && FFlag[nb] == 0 && FBest >= static_cast<int>(FPath.size())) {
        FFlag[cur] = 1;
        Visit(cur, nb);
      }
    }
    if (closed) Close();
    FPath.pop_back();
    FFlag[cur] = 0;
  }
  void Close() {
    const int len = static_cast<int>(FPath.size());
    RingType ring;
    ring.RingSize = static_cast<uint8_t>(len);
    for (int i = 0; i < len; ++i) ring.AtList[i + 1] = static_cast<uint8_t>(FPath[i]);
    if (len < FBest) {
      FBest = len;
      FList.NrOfRings = 1;
      FList.RList[1] = ring;
    } else if (len == FBest && !RingInRingList(ring, FList) && FList.NrOfRings < MaxRings) {
      FList.RList[++FList.NrOfRings] = ring;
    }
  }

  const TCTab& FT;
  int FS;
  RingListType& FList;
  int FBest = MaxRingSize;
  std::vector<int> FPath;
  int FFlag[MaxAtoms + 2] = {};
};

// The ring set assembled from the plain search's rings.
int LiteralSSSR(const TCTab& t, RingListType& result) {
  result.NrOfRings = 0;
  auto found = std::make_unique<RingListType>();
  bool done[MaxAtoms + 1] = {};
  for (int i = 1; i <= t.NAtoms(); ++i) {
    if (done[i]) continue;
    TLiteralSearch(t, i, *found).Run();
    for (int r = 1; r <= found->NrOfRings; ++r) {
      const RingType& ring = found->RList[r];
      if (result.NrOfRings >= MaxRings || RingInRingList(ring, result)) continue;
      result.RList[++result.NrOfRings] = ring;
      for (int k = 1; k <= ring.RingSize; ++k)
        if (t.GetNBonds(ring.AtList[k]) <= 2) done[ring.AtList[k]] = true;
    }
  }
  return result.NrOfRings;
}

::testing::AssertionResult SameRings(const RingListType& a, const RingListType& b) {
  if (a.NrOfRings != b.NrOfRings)
    return ::testing::AssertionFailure() << a.NrOfRings << " rings against " << b.NrOfRings;
  for (int r = 1; r <= a.NrOfRings; ++r) {
    const RingType& x = a.RList[r];
    const RingType& y = b.RList[r];
    if (x.RingSize != y.RingSize) return ::testing::AssertionFailure() << "ring " << r << " differs in size";
    for (int k = 1; k <= x.RingSize; ++k)
      if (x.AtList[k] != y.AtList[k]) return ::testing::AssertionFailure() << "ring " << r << " differs in order";
  }
  return ::testing::AssertionSuccess();
}

void Ring(std::vector<TBond>& bonds, int first, int size, int type = 1) {
  for (int i = 0; i < size; ++i) bonds.push_back({first + i, first + (i + 1) % size, type});
}

void Build(TCTab& t, int n, const std::vector<TBond>& bonds) {
  BuildTable(t, n, {});
  for (const TBond& b : bonds) t.MakeConnection(b.a, b.b, b.type);
}

bool AllFlagsZero(const TCTab& t) {
  for (int i = 1; i <= t.NAtoms(); ++i)
    if (t.GetAtFlag(i) != 0) return false;
  return true;
}

void SetAllFlags(TCTab& t) {
  for (int i = 1; i <= t.NAtoms(); ++i) t.SetAtFlag(i, 7);
}

// Naphthalene: atoms 1..6 one ring, 5, 6 shared with 5-7-8-9-10-6.
void Naphthalene(TCTab& t) {
  std::vector<TBond> bonds;
  Ring(bonds, 1, 6, 4);
  for (const TBond& b : std::vector<TBond>{{5, 7, 4}, {7, 8, 4}, {8, 9, 4}, {9, 10, 4}, {10, 6, 4}}) bonds.push_back(b);
  Build(t, 10, bonds);
}

}  // namespace

TEST(Rings, Benzene) {
  TCTab t(nullptr);
  std::vector<TBond> bonds;
  Ring(bonds, 1, 6, 4);
  Build(t, 6, bonds);
  SetAllFlags(t);
  EXPECT_EQ(t.RingsInMolecule(), 1);
  auto list = std::make_unique<RingListType>();
  ASSERT_EQ(t.FindShortestRings(1, *list), 1);
  EXPECT_EQ(list->RList[1].RingSize, 6);
  EXPECT_EQ(list->RList[1].AtList[1], 1);
  EXPECT_TRUE(AllFlagsZero(t));
  EXPECT_EQ(t.CalcAttributes(), 1);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(t.GetAttrib(i), 0x28) << i;
}

TEST(Rings, NaphthaleneFusionAtoms) {
  TCTab t(nullptr);
  Naphthalene(t);
  EXPECT_EQ(t.RingsInMolecule(), 2);
  EXPECT_EQ(t.CalcAttributes(), 2);
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(t.GetAttrib(i), i == 5 || i == 6 ? 0xB8 : 0x28) << i;
}

TEST(Rings, ChainHasNoRing) {
  TCTab t(nullptr);
  BuildTable(t, 3, {{1, 2, 1}, {2, 3, 1}});
  auto list = std::make_unique<RingListType>();
  EXPECT_EQ(t.FindShortestRings(2, *list), 0);
  EXPECT_EQ(t.CalcAttributes(), 0);
  EXPECT_EQ(t.GetAttrib(1), 0x41);
  EXPECT_EQ(t.GetAttrib(2), 0x01);
  EXPECT_EQ(t.GetAttrib(3), 0x41);
}

TEST(Rings, TwoSeparateBenzenes) {
  TCTab t(nullptr);
  std::vector<TBond> bonds;
  Ring(bonds, 1, 6, 4);
  Ring(bonds, 7, 6, 4);
  Build(t, 12, bonds);
  SetAllFlags(t);
  EXPECT_EQ(t.RingsInMolecule(), 1);  // the formula counts one connected structure
  auto list = std::make_unique<RingListType>();
  EXPECT_EQ(t.FindSSSR(*list), 2);
  EXPECT_TRUE(AllFlagsZero(t));
}

TEST(Rings, AtomIndexZeroOrAboveNFindsNothing) {
  TCTab t(nullptr);
  Naphthalene(t);
  auto list = std::make_unique<RingListType>();
  list->NrOfRings = 5;
  EXPECT_EQ(t.FindShortestRings(0, *list), 0);
  EXPECT_EQ(list->NrOfRings, 0);
  EXPECT_EQ(t.FindShortestRings(11, *list), 0);
  EXPECT_EQ(t.FindShortestRings(65535, *list), 0);
}

TEST(Rings, AttributeCodesBySize) {
  const struct {
    int size;
    uint8_t attrib;
  } cases[] = {{3, 0x22}, {4, 0x22}, {5, 0x24}, {6, 0x28}, {7, 0x22}, {12, 0x22}};
  for (const auto& c : cases) {
    TCTab t(nullptr);
    std::vector<TBond> bonds;
    Ring(bonds, 1, c.size);
    bonds.push_back({1, c.size + 1, 1});  // a substituent: branch point and chain end
    Build(t, c.size + 1, bonds);
    t.CalcAttributes();
    EXPECT_EQ(t.GetAttrib(2), c.attrib) << c.size;
    EXPECT_EQ(t.GetAttrib(1), c.attrib | 0x10) << c.size;
    EXPECT_EQ(t.GetAttrib(c.size + 1), 0x41) << c.size;
  }
}

TEST(Rings, RingInRingList) {
  auto list = std::make_unique<RingListType>();
  list->NrOfRings = 1;
  list->RList[1].RingSize = 4;
  for (int k = 1; k <= 4; ++k) list->RList[1].AtList[k] = static_cast<uint8_t>(k + 2);
  RingType ring;
  ring.RingSize = 3;
  ring.AtList[1] = 5;
  ring.AtList[2] = 3;
  ring.AtList[3] = 6;
  EXPECT_TRUE(RingInRingList(ring, *list));
  ring.AtList[3] = 7;
  EXPECT_FALSE(RingInRingList(ring, *list));
  ring.AtList[3] = 200;  // an index outside 1..63 lies in no ring
  EXPECT_FALSE(RingInRingList(ring, *list));
  list->NrOfRings = 0;
  ring.AtList[3] = 6;
  EXPECT_FALSE(RingInRingList(ring, *list));
}

TEST(Rings, PrunedSearchEqualsThePlainSearchOnRandomGraphs) {
  std::mt19937 rng(63);
  auto pruned = std::make_unique<RingListType>();
  auto plain = std::make_unique<RingListType>();
  for (int round = 0; round < 600; ++round) {
    const int n = 3 + static_cast<int>(rng() % 16);
    const int extra = static_cast<int>(rng() % 8);
    std::vector<TBond> bonds;
    for (int i = 2; i <= n; ++i) bonds.push_back({i, 1 + static_cast<int>(rng() % (i - 1)), 1});  // a tree
    for (int e = 0; e < extra; ++e) bonds.push_back({1 + static_cast<int>(rng() % n), 1 + static_cast<int>(rng() % n), 1});
    std::shuffle(bonds.begin(), bonds.end(), rng);  // slot orders differ from the numbering
    if (rng() % 3 == 0) bonds.resize(bonds.size() - bonds.size() / 4);  // some disconnected pieces
    TCTab t(nullptr);
    Build(t, n, bonds);
    for (int e = 0; round % 4 == 0 && e < 3; ++e)  // some one-way connections: the walk follows the slots
      t.EnterConn(1 + static_cast<int>(rng() % n), 1 + static_cast<int>(rng() % n), 1);
    for (int s = 0; s <= n + 1; ++s) {
      t.FindShortestRings(static_cast<uint16_t>(s), *pruned);
      TLiteralSearch(t, s, *plain).Run();
      ASSERT_TRUE(SameRings(*pruned, *plain)) << "round " << round << " atom " << s;
    }
    t.FindSSSR(*pruned);
    LiteralSSSR(t, *plain);
    ASSERT_TRUE(SameRings(*pruned, *plain)) << "round " << round;
    ASSERT_TRUE(AllFlagsZero(t));
  }
}

TEST(Rings, DenseTableStopsAtOneHundredRings) {
  // 63 atoms, each bonded to the five next ones on either side: ten connections each, triangles everywhere.
  TCTab t(nullptr);
  std::vector<TBond> bonds;
  for (int i = 0; i < MaxAtoms; ++i)
    for (int d = 1; d <= 5; ++d) bonds.push_back({i + 1, (i + d) % MaxAtoms + 1, 1});
  Build(t, MaxAtoms, bonds);
  for (int i = 1; i <= MaxAtoms; ++i) ASSERT_EQ(t.GetNBonds(i), 10);
  auto list = std::make_unique<RingListType>();
  EXPECT_EQ(t.FindSSSR(*list), MaxRings);
  for (int r = 1; r <= MaxRings; ++r) EXPECT_EQ(list->RList[r].RingSize, 3);
  EXPECT_EQ(t.CalcAttributes(), MaxRings);
  EXPECT_TRUE(AllFlagsZero(t));
}

TEST(Rings, CageAssemblyKeepsEveryShortestRing) {
  // Cubane: six four-rings although the ring count is five; the assembly does not trim.
  TCTab t(nullptr);
  Build(t, 8, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}, {5, 6, 1}, {6, 7, 1}, {7, 8, 1}, {8, 5, 1},
               {1, 5, 1}, {2, 6, 1}, {3, 7, 1}, {4, 8, 1}});
  EXPECT_EQ(t.RingsInMolecule(), 5);
  auto list = std::make_unique<RingListType>();
  EXPECT_EQ(t.FindSSSR(*list), 6);
  t.CalcAttributes();
  EXPECT_EQ(t.GetAttrib(1), 0x22 | 0x80 | 0x10);
}
