// TCTab: accessors, notifications, queries, CAS number and the editing operations.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Assertions.h"
#include "CTabTestKit.h"
#include "Qelta_cstruct.h"

using namespace qelta;
using qelta::test::BuildTable;
using qelta::test::TableIsSymmetric;
using qelta::test::TableIsTidy;

namespace {

// Counts OnChange calls of one table.
struct TRecorder {
  int calls = 0;
  explicit TRecorder(TCTab& t) {
    t.OnChange = [this](TObject*) { ++calls; };
  }
};

}  // namespace

TEST(CTab, CreatesAnEmptyTableWithClearedSlots) {
  TCTab t(nullptr);
  EXPECT_EQ(t.NAtoms(), 0);
  EXPECT_EQ(t.GetCASNr(), u"0-00-0");
  EXPECT_EQ(t.CoordUnits(), cuUnknown);
  EXPECT_EQ(t.GetAtomEntries(1).AtDispAtb, 0x80000000u);
  CTElem rec;
  rec.AtNum = 6;
  rec.AtDispAtb = 5;
  ClearCTElem(rec);
  EXPECT_EQ(rec.AtNum, 0);
  EXPECT_EQ(rec.AtDispAtb, 0x80000000u);
}

TEST(CTab, OnChangeFiresForSettersAndWholeTableOperationsOnly) {
  TCTab t(nullptr), other(nullptr);
  BuildTable(other, 2, {{1, 2, 1}});
  const struct {
    const char* what;
    std::function<void(TCTab&)> op;
    int calls;
  } cases[] = {
      {"SetAtNum", [](TCTab& c) { c.SetAtNum(1, 7); }, 1},
      {"SetAtNum 104", [](TCTab& c) { c.SetAtNum(1, 104); }, 0},
      {"SetAtNum outside N", [](TCTab& c) { c.SetAtNum(4, 7); }, 0},
      {"SetAtWeight", [](TCTab& c) { c.SetAtWeight(1, 13); }, 1},
      {"SetAtFlag", [](TCTab& c) { c.SetAtFlag(1, 1); }, 1},
      {"SetAttrib", [](TCTab& c) { c.SetAttrib(1, 1); }, 1},
      {"SetCharge", [](TCTab& c) { c.SetCharge(1, -1); }, 1},
      {"SetConnTo", [](TCTab& c) { c.SetConnTo(1, 2, 3); }, 1},
      {"SetTypConn", [](TCTab& c) { c.SetTypConn(1, 1, 2); }, 1},
      {"SetCoords", [](TCTab& c) { c.SetCoords(1, 3, 1.5f); }, 1},
      {"SetAtomEntries", [](TCTab& c) { c.SetAtomEntries(2, c.GetAtomEntries(1)); }, 1},
      {"SetCASNr valid", [](TCTab& c) { c.SetCASNr(u"64-17-5"); }, 1},
      {"SetCASNr invalid", [](TCTab& c) { c.SetCASNr(u"64-17-6"); }, 1},
      {"SetCoordsPresent false", [](TCTab& c) { c.SetCoordsPresent(false); }, 1},
      {"SetCoordsPresent true", [](TCTab& c) { c.SetCoordsPresent(true); }, 0},
      {"Clear", [](TCTab& c) { c.Clear(); }, 1},
      {"CopyFrom", [&](TCTab& c) { c.CopyFrom(other); }, 1},
      {"AddAtom", [](TCTab& c) { c.AddAtom(CTElem{}); }, 0},
      {"DeleteAtom", [](TCTab& c) { c.DeleteAtom(2); }, 0},
      {"EnterConn", [](TCTab& c) { c.EnterConn(1, 3, 1); }, 0},
      {"MakeConnection", [](TCTab& c) { c.MakeConnection(1, 3, 2); }, 0},
      {"MakeSymmetricConnections", [](TCTab& c) { c.MakeSymmetricConnections(); }, 0},
      {"JoinFragment", [&](TCTab& c) { c.JoinFragment(other); }, 0},
      {"LinkFragment", [&](TCTab& c) { c.LinkFragment(other); }, 0},
      {"RemoveHydrogen", [](TCTab& c) { c.RemoveHydrogen(); }, 0},
      {"StripfromChains", [](TCTab& c) { c.StripfromChains(); }, 0},
      {"ClearAttributes", [](TCTab& c) { c.ClearAttributes(); }, 0},
      {"CalcAttributes", [](TCTab& c) { c.CalcAttributes(); }, 0},
  };
  for (const auto& c : cases) {
    t.OnChange = nullptr;  // the last case's recorder has gone
    BuildTable(t, 3, {{1, 2, 1}, {2, 3, 1}}, 1);
    TRecorder rec(t);
    c.op(t);
    EXPECT_EQ(rec.calls, c.calls) << c.what;
  }
}

TEST(CTab, AccessorsReadZeroAndIgnoreWritesOutsideTheirRange) {
  TCTab t(nullptr);
  BuildTable(t, 2, {{1, 2, 2}});
  t.SetAtNum(1, 104);
  t.SetAtNum(1, 0);
  EXPECT_EQ(t.GetAtNum(1), 6);
  EXPECT_EQ(t.GetAtNum(3), 0);
  EXPECT_EQ(t.GetAtNum(0), 0);
  EXPECT_EQ(t.GetConnTo(1, 0), 0);
  EXPECT_EQ(t.GetConnTo(1, 11), 0);
  EXPECT_EQ(t.GetCoords(1, 4), 0.0f);
  t.SetTypConn(1, 11, 3);  // slot outside 1..10: ignored
  t.SetCoords(1, 0, 3.0f);
  EXPECT_EQ(t.GetTypConn(1, 1), 2);
  // Regression: an index above 63 was stored and later read outside the atom array.
  t.SetConnTo(1, 2, 64);
  EXPECT_EQ(t.GetConnTo(1, 2), 0);
  CTElem rec = t.GetAtomEntries(1);
  rec.ConnTo[3] = 200;
  t.SetAtomEntries(2, rec);
  EXPECT_EQ(t.GetConnTo(2, 1), 1);
  t.SetAtWeight(1, 257);  // Fm's nominal mass: 16 bits hold it
  EXPECT_EQ(t.GetAtWeight(1), 257);
  EXPECT_EQ(t.GetAtomEntries(5).AtDispAtb, 0x80000000u);
}

TEST(CTab, NAtomsWritesAreClamped) {
  TCTab t(nullptr);
  t.SetNAtoms(100);
  EXPECT_EQ(t.NAtoms(), 63);
  t.SetNAtoms(-3);
  EXPECT_EQ(t.NAtoms(), 0);
}

TEST(CTab, AddAtomRefusesTheSixtyFourthAtom) {
  TCTab t(nullptr);
  for (int i = 0; i < MaxAtoms; ++i) EXPECT_TRUE(t.AddAtom(CTElem{}));
  TCTab before(nullptr);
  before.CopyFrom(t);
  EXPECT_FALSE(t.AddAtom(CTElem{}));
  EXPECT_EQ(t.CompareWith(before), 0);
}

TEST(CTab, AddAtomTakesTheRecordAndEntersItsConnectionsOneWay) {
  TCTab t(nullptr);
  BuildTable(t, 2, {});
  CTElem rec;
  rec.AtNum = 8;
  rec.AtWeight = 18;
  rec.Charge = -1;
  rec.Coords[2] = 2.5f;
  rec.AtDispAtb = 7;
  rec.ConnTo[1] = 1;
  rec.TypConn[1] = 2;
  rec.ConnTo[2] = 0;
  rec.ConnTo[3] = 2;  // after an empty slot: still entered
  rec.TypConn[3] = 1;
  ASSERT_TRUE(t.AddAtom(rec));
  EXPECT_EQ(t.GetAtNum(3), 8);
  EXPECT_EQ(t.GetAtWeight(3), 18);
  EXPECT_EQ(t.GetCharge(3), -1);
  EXPECT_EQ(t.GetCoords(3, 2), 2.5f);
  EXPECT_EQ(t.GetAtomEntries(3).AtDispAtb, 0x80000000u);
  EXPECT_EQ(t.CheckConnect(3, 1), 2);
  EXPECT_EQ(t.CheckConnect(3, 2), 1);
  EXPECT_EQ(t.CheckConnect(1, 3), 0);
}

TEST(CTab, EnterConnReplacesTypesAndRefusesBadIndices) {
  TCTab t(nullptr);
  BuildTable(t, 12, {});
  t.EnterConn(1, 2, 1);
  t.EnterConn(1, 2, 3);
  EXPECT_EQ(t.GetNBonds(1), 1);
  EXPECT_EQ(t.CheckConnect(1, 2), 3);
  // Regression: indices above 63 and a connection to the atom itself used to be entered.
  for (const auto& [a, b] : std::vector<std::pair<int, int>>{{1, 64}, {64, 1}, {0, 2}, {1, 0}, {1, 1}, {-1, 2}})
    t.EnterConn(a, b, 1);
  EXPECT_EQ(t.GetNBonds(1), 1);
  for (int j = 3; j <= 11; ++j) t.EnterConn(1, j, 1);
  EXPECT_EQ(t.GetNBonds(1), 10);
  TCTab full(nullptr);
  full.CopyFrom(t);
  t.EnterConn(1, 12, 1);  // ten slots taken by other atoms: nothing changes
  EXPECT_EQ(t.CompareWith(full), 0);
  t.EnterConn(1, 11, 2);  // an atom already there: its type is replaced
  EXPECT_EQ(t.CheckConnect(1, 11), 2);
}

TEST(CTab, MakeConnectionBondsAndRemovesBothWays) {
  TCTab t(nullptr);
  BuildTable(t, 4, {{1, 2, 1}, {1, 3, 2}, {1, 4, 1}});
  EXPECT_TRUE(t.MakeConnection(1, 3, 0));
  EXPECT_EQ(t.GetConnTo(1, 1), 2);
  EXPECT_EQ(t.GetConnTo(1, 2), 4);  // the rest closes up in order
  EXPECT_EQ(t.GetConnTo(1, 3), 0);
  EXPECT_EQ(t.GetNBonds(3), 0);
  EXPECT_FALSE(t.MakeConnection(1, 3, 0));
  EXPECT_FALSE(t.MakeConnection(1, 5, 1));
  EXPECT_FALSE(t.MakeConnection(0, 1, 1));
  EXPECT_FALSE(t.MakeConnection(2, 2, 1));
  EXPECT_TRUE(TableIsSymmetric(t));
}

TEST(CTab, Queries) {
  TCTab t(nullptr);
  BuildTable(t, 5, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}});
  t.SetAtNum(4, 8);
  int at = 99;
  EXPECT_EQ(t.MaxNBonds(at), 3);
  EXPECT_EQ(at, 2);
  EXPECT_EQ(t.CheckConnect(2, 3), 2);
  EXPECT_EQ(t.CheckConnect(1, 3), 0);
  EXPECT_EQ(t.CheckConnect(1, 0), 0);
  EXPECT_EQ(t.AtomCount(6), 4);
  EXPECT_EQ(t.AtomCount(8), 1);
  EXPECT_TRUE(t.ContainsUnconnectedAtom());
  EXPECT_EQ(t.FindNextEndAtom(1), 1);
  EXPECT_EQ(t.FindNextEndAtom(2), 3);
  EXPECT_EQ(t.FindNextEndAtom(5), 0);
  EXPECT_EQ(t.GetNBonds(6), 0);
  TCTab empty(nullptr);
  at = 42;
  EXPECT_EQ(empty.MaxNBonds(at), 0);
  EXPECT_EQ(at, 42);
}

TEST(CTab, CoordinatesPresent) {
  TCTab t(nullptr);
  BuildTable(t, 2, {});
  EXPECT_FALSE(t.GetCoordsPresent());
  t.SetCoords(2, 3, -0.5f);
  EXPECT_TRUE(t.GetCoordsPresent());
  t.SetCoordsPresent(true);
  EXPECT_TRUE(t.GetCoordsPresent());
  t.SetCoordsPresent(false);
  EXPECT_FALSE(t.GetCoordsPresent());
}

TEST(CTab, CASNumberText) {
  TCTab t(nullptr);
  t.SetCASNr(u"64-17-5");
  EXPECT_EQ(t.BinCASNr(), 64175);
  t.SetCASNr(u"64-17-6");
  t.SetCASNr(u"6417-5");
  EXPECT_EQ(t.GetCASNr(), u"64-17-5");
  t.SetCASNr(u" 7732-18-5 ");
  EXPECT_EQ(t.BinCASNr(), 7732185);
  t.SetBinCASNr(50000);
  EXPECT_EQ(t.GetCASNr(), u"50-00-0");
  EXPECT_TRUE(t.CheckCASNr(7732185));
  EXPECT_FALSE(t.CheckCASNr(7732186));
}

TEST(CTab, CompareWithFindsEachDifference) {
  TCTab a(nullptr), b(nullptr);
  BuildTable(a, 3, {{1, 2, 1}, {2, 3, 2}});
  a.SetStrucName(u"Propene");
  a.SetCoords(1, 1, 1.0f);
  CTElem shown = a.GetAtomEntries(1);
  shown.AtDispAtb = 5;
  a.SetAtomEntries(1, shown);
  b.CopyFrom(a);
  EXPECT_EQ(a.CompareWith(b), 0);
  EXPECT_EQ(b.GetAtomEntries(1).AtDispAtb, 0x80000000u);  // the display attribute is not copied
  const struct {
    std::function<void(TCTab&)> change;
    uint16_t bits;
  } cases[] = {
      {[](TCTab& c) { c.SetStrucName(u"PROPENE"); }, 0},
      {[](TCTab& c) { c.SetStrucName(u"Propane"); }, 0x0002},
      {[](TCTab& c) { c.SetCoordUnits(cuAngstrom); }, 0x0004},
      {[](TCTab& c) { c.SetBinCASNr(1); }, 0x0008},
      {[](TCTab& c) { c.SetAtNum(2, 7); }, 0x0010},
      {[](TCTab& c) { c.SetAtWeight(2, 13); }, 0x0020},
      {[](TCTab& c) { c.SetAtFlag(2, 1); }, 0x0040},
      {[](TCTab& c) { c.SetAttrib(2, 1); }, 0x0080},
      {[](TCTab& c) { c.SetCharge(2, 1); }, 0x0100},
      {[](TCTab& c) { c.SetCoords(2, 1, 1); }, 0x0200},
      {[](TCTab& c) { c.SetCoords(2, 2, 1); }, 0x0400},
      {[](TCTab& c) { c.SetCoords(2, 3, 1); }, 0x0800},
      {[](TCTab& c) { c.SetTypConn(2, 2, 1); }, 0x2000},
      {[](TCTab& c) { c.MakeConnection(1, 3, 1); }, 0x3000},
      {[](TCTab& c) { c.AddAtom(CTElem{}); }, 0x0001},
  };
  for (const auto& c : cases) {
    b.CopyFrom(a);
    c.change(b);
    EXPECT_EQ(a.CompareWith(b), c.bits);
  }
}

TEST(CTab, DeleteAtomInTheMiddleOfAChainBondsItsNeighboursWithOneType) {
  TCTab t(nullptr);
  BuildTable(t, 3, {{1, 2, 2}, {2, 3, 1}});
  t.SetAtNum(3, 8);
  t.DeleteAtom(2);
  ASSERT_EQ(t.NAtoms(), 2);
  EXPECT_EQ(t.GetAtNum(2), 8);  // the last atom moved into the freed slot
  // Regression: A->B took the type X-B had and B->A the type X-A had, so one bond carried two types.
  EXPECT_EQ(t.CheckConnect(1, 2), 1);
  EXPECT_EQ(t.CheckConnect(2, 1), 1);
  EXPECT_TRUE(TableIsTidy(t));
}

TEST(CTab, DeleteAtomAtAChainEndOnlyRemovesIt) {
  TCTab t(nullptr);
  BuildTable(t, 4, {{1, 2, 1}, {2, 3, 2}, {3, 4, 3}});
  t.SetAtNum(4, 7);
  t.DeleteAtom(1);
  ASSERT_EQ(t.NAtoms(), 3);
  EXPECT_EQ(t.GetAtNum(1), 7);  // the former atom 4
  EXPECT_EQ(t.CheckConnect(1, 3), 3);
  EXPECT_EQ(t.CheckConnect(2, 3), 2);
  EXPECT_EQ(t.GetNBonds(2), 1);
  EXPECT_TRUE(TableIsTidy(t));
  EXPECT_TRUE(TableIsSymmetric(t));
}

TEST(CTab, DeleteAtomAtABranchLeavesATriangleWithSymmetricTypes) {
  TCTab t(nullptr);
  BuildTable(t, 4, {{1, 2, 2}, {1, 3, 1}, {1, 4, 3}});
  t.DeleteAtom(1);
  ASSERT_EQ(t.NAtoms(), 3);
  EXPECT_EQ(t.RingsInMolecule(), 1);
  EXPECT_TRUE(TableIsSymmetric(t));
  EXPECT_TRUE(TableIsTidy(t));
  // Former atoms 2 (double), 3 (single), 4 (triple; now atom 1): each pair takes the smaller type.
  EXPECT_EQ(t.CheckConnect(1, 2), 2);
  EXPECT_EQ(t.CheckConnect(2, 3), 1);
  EXPECT_EQ(t.CheckConnect(1, 3), 1);
}

TEST(CTab, DeleteAtomEntersNoContractionBondThatAnEndHasNoSlotFor) {
  TCTab t(nullptr);
  // X = 1 with neighbours A = 2, B = 3, C = 4; A holds X and nine more atoms (5..13).
  BuildTable(t, 13, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}});
  for (int j = 5; j <= 13; ++j) t.MakeConnection(2, j, 1);
  ASSERT_EQ(t.GetNBonds(2), 10);
  t.DeleteAtom(1);
  // A takes B into the slot X left; then A is full, so A-C is entered at neither end.
  EXPECT_EQ(t.GetNBonds(2), 10);
  EXPECT_EQ(t.CheckConnect(2, 3), 1);
  EXPECT_EQ(t.CheckConnect(2, 4), 0);
  EXPECT_EQ(t.CheckConnect(4, 2), 0);
  EXPECT_EQ(t.CheckConnect(3, 4), 1);
  EXPECT_TRUE(TableIsSymmetric(t));
  EXPECT_TRUE(TableIsTidy(t));
}

TEST(CTab, RemoveHydrogenAndStripfromChains) {
  TCTab t(nullptr);
  // Cyclopropane 1-2-3 with a chain 3-4-5 and hydrogens 6, 7 on atom 1.
  BuildTable(t, 7, {{1, 2, 1}, {2, 3, 1}, {3, 1, 1}, {3, 4, 1}, {4, 5, 1}, {1, 6, 1}, {1, 7, 1}});
  t.SetAtNum(6, 1);
  t.SetAtNum(7, 1);
  t.RemoveHydrogen();
  EXPECT_EQ(t.NAtoms(), 5);
  EXPECT_EQ(t.AtomCount(1), 0);
  EXPECT_EQ(t.StripfromChains(), 3);
  EXPECT_EQ(t.RingsInMolecule(), 1);
  BuildTable(t, 4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
  EXPECT_EQ(t.StripfromChains(), 0);  // a chain leaves one atom, and one atom is none
  EXPECT_TRUE(TableIsTidy(t));
}

TEST(CTab, JoinFragmentMergesPairedAtoms) {
  TCTab t(nullptr), frag(nullptr);
  BuildTable(t, 2, {{1, 2, 1}});
  t.SetAtFlag(2, 5);
  BuildTable(frag, 2, {{1, 2, 2}}, 8);
  frag.SetAtFlag(1, 5);  // pairs with atom 2 here; frag atom 2 becomes atom 3
  frag.SetCharge(1, 1);
  TCTab before(nullptr);
  before.CopyFrom(frag);
  t.JoinFragment(frag);
  ASSERT_EQ(t.NAtoms(), 3);
  EXPECT_EQ(t.GetAtNum(2), 8);
  EXPECT_EQ(t.GetCharge(2), 1);
  EXPECT_EQ(t.CheckConnect(2, 3), 2);
  EXPECT_EQ(t.CheckConnect(3, 2), 2);
  EXPECT_EQ(t.CheckConnect(1, 2), 1);
  EXPECT_EQ(frag.CompareWith(before), 0);
  // A flag without a partner here makes a new atom.
  frag.SetAtFlag(1, 9);
  t.JoinFragment(frag);
  EXPECT_EQ(t.NAtoms(), 5);
  EXPECT_TRUE(TableIsTidy(t));
}

TEST(CTab, JoinAndLinkFragmentDoNothingBeyondSixtyThreeAtoms) {
  TCTab t(nullptr), frag(nullptr);
  BuildTable(t, 60, {});
  BuildTable(frag, 4, {{1, 2, 1}});
  TCTab before(nullptr);
  before.CopyFrom(t);
  t.JoinFragment(frag);
  EXPECT_EQ(t.CompareWith(before), 0);
  t.LinkFragment(frag);
  EXPECT_EQ(t.CompareWith(before), 0);
  frag.SetNAtoms(3);
  t.LinkFragment(frag);
  EXPECT_EQ(t.NAtoms(), 63);
}

TEST(CTab, LinkFragmentAppendsAndBondsEqualFlags) {
  TCTab t(nullptr), frag(nullptr);
  BuildTable(t, 2, {{1, 2, 1}});
  t.SetAtFlag(1, 3);
  BuildTable(frag, 2, {{1, 2, 2}}, 7);
  frag.SetAtFlag(2, 3);
  t.LinkFragment(frag);
  ASSERT_EQ(t.NAtoms(), 4);
  EXPECT_EQ(t.CheckConnect(3, 4), 2);
  EXPECT_EQ(t.CheckConnect(4, 3), 2);
  EXPECT_EQ(t.CheckConnect(1, 4), 1);
  EXPECT_EQ(t.CheckConnect(4, 1), 1);
  t.LinkFragment(t);  // the table with itself: its own copy is appended
  EXPECT_EQ(t.NAtoms(), 8);
  EXPECT_TRUE(TableIsTidy(t));
}

TEST(CTab, RandomEditingKeepsTheInvariants) {
  std::mt19937 rng(20261210);
  TCTab t(nullptr), frag(nullptr);
  BuildTable(frag, 3, {{1, 2, 1}, {2, 3, 2}});
  frag.SetAtFlag(2, 1);
  for (int step = 0; step < 4000; ++step) {
    const int n = t.NAtoms();
    auto pick = [&](int hi) { return static_cast<int>(rng() % static_cast<unsigned>(hi + 2)); };  // 0..hi+1
    switch (rng() % 9) {
      case 0:
      case 1: {
        CTElem rec;
        rec.AtNum = static_cast<uint8_t>(1 + rng() % 103);
        t.AddAtom(rec);
        break;
      }
      case 2:
      case 3: t.MakeConnection(pick(n), pick(n), static_cast<int>(rng() % 5)); break;
      case 4: t.DeleteAtom(pick(n)); break;
      case 5: {  // one way between atoms with room, then completed
        const int a = 1 + static_cast<int>(rng() % 63), b = 1 + static_cast<int>(rng() % 63);
        if (a <= n && b <= n && t.GetNBonds(a) < MaxConn && t.GetNBonds(b) < MaxConn) t.EnterConn(a, b, 1 + static_cast<int>(rng() % 4));
        t.MakeSymmetricConnections();
        break;
      }
      case 6: t.SetAtFlag(pick(n), static_cast<int>(rng() % 3)); break;
      case 7: t.LinkFragment(frag); break;
      default: t.JoinFragment(frag); break;
    }
    if (n > 40 && rng() % 4 == 0) t.RemoveHydrogen();
    if (n > 55) t.StripfromChains();
    ASSERT_TRUE(TableIsTidy(t)) << "step " << step;
  }
  t.MakeSymmetricConnections();
  EXPECT_TRUE(TableIsSymmetric(t));
}
