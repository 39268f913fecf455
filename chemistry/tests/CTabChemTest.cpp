// Hydrogens, molecular formula, weight, geometry and fragment codes of the connection table.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "CTabTestKit.h"
#include "Encoding.h"
#include "Qelta_CData.h"
#include "Qelta_cform.h"
#include "Qelta_cstruct.h"
#include "Qelta_univconst.h"

using namespace qelta;
using qelta::test::TBond;

namespace {

/// Atoms of the given elements (mass numbers the nominal ones) bonded both ways by the list.
void Build(TCTab& t, const std::vector<int>& elements, const std::vector<TBond>& bonds) {
  qelta::test::BuildMolecule(t, elements, bonds, true);
}

// The formula as "C2 H6 O " (mass numbers as "13C" where they are not the nominal ones); "false" when refused.
std::string Formula(const TCTab& t) {
  TFormulaRec r;
  if (!t.CalcMolecularFormula(r)) return "false";
  std::string s;
  for (int i = 1; i <= r.FLeng; ++i) {
    if (r.AtWgt[i] != IntAtWeight(r.AtNum[i])) s += std::to_string(r.AtWgt[i]);
    s += CElemSymb(r.AtNum[i]);
    if (r.AtCnt[i] != 1) s += std::to_string(r.AtCnt[i]);
    s += " ";
  }
  return s;
}

std::vector<int> Hydrogens(const TCTab& t) {
  std::vector<int> h;
  for (int i = 1; i <= t.NAtoms(); ++i) h.push_back(t.NrHAtoms(i));
  return h;
}

void Place(TCTab& t, std::initializer_list<std::pair<float, float>> xy) {
  int i = 1;
  for (const auto& [x, y] : xy) {
    t.SetCoords(i, 1, x);
    t.SetCoords(i++, 2, y);
  }
}

}  // namespace

// [SECTION] hydrogens, formula and weight

TEST(TCTabChemistry, EthanolWithoutHydrogenAtoms) {
  TCTab t(nullptr);
  Build(t, {6, 6, 8}, {{1, 2, 1}, {2, 3, 1}});
  EXPECT_EQ(Hydrogens(t), (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(t.CalcMissingH(), 6);
  EXPECT_EQ(Formula(t), "C2 H6 O ");
  EXPECT_NEAR(t.CalcChemMolWeight(), double(2 * ChemAtWeight(6) + 6 * ChemAtWeight(1) + ChemAtWeight(8)), 1e-9);
  EXPECT_NEAR(t.CalcChemMolWeight(), 2 * 12.01115 + 6 * 1.00797 + 15.9994, 1e-3);
}

TEST(TCTabChemistry, HydrogensByValenceBondsAndCharge) {
  const struct {
    const char* what;
    std::vector<int> elements;
    std::vector<TBond> bonds;
    std::vector<int> charges;
    std::vector<int> expect;
  } cases[] = {
      {"aromatic benzene", {6, 6, 6, 6, 6, 6}, {{1, 2, 4}, {2, 3, 4}, {3, 4, 4}, {4, 5, 4}, {5, 6, 4}, {6, 1, 4}}, {},
       {1, 1, 1, 1, 1, 1}},
      {"ammonium", {7}, {}, {1}, {4}},
      {"explicit hydrogens", {6, 1, 1, 8}, {{1, 2, 1}, {1, 3, 1}, {1, 4, 2}}, {}, {2, 0, 0, 0}},
      {"phosphate P with b = 5", {15, 8, 8, 8, 8}, {{1, 2, 2}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}}, {}, {0, 0, 1, 1, 1}},
      {"P with four single bonds", {15, 6, 6, 6, 6}, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}}, {}, {1, 3, 3, 3, 3}},
      {"methyl isonitrile C-N#C", {6, 7, 6}, {{1, 2, 1}, {2, 3, 3}}, {}, {3, -1, 1}},
      // Regression: the isonitrile rule hit hydrogen cyanide too (N with one connection), whose formula became CN.
      {"hydrogen cyanide C#N", {6, 7}, {{1, 2, 3}}, {}, {1, 0}},
      {"sodium", {11}, {}, {}, {0}},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr);
    qelta::test::BuildMolecule(t, c.elements, c.bonds);
    for (size_t i = 0; i < c.charges.size(); ++i) t.SetCharge(int(i) + 1, c.charges[i]);
    EXPECT_EQ(Hydrogens(t), c.expect) << c.what;
  }
}

TEST(TCTabChemistry, FormulaOrderIsotopesAndLimits) {
  TCTab t(nullptr);
  Build(t, {8, 6, 6, 17, 7}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {3, 5, 1}});
  EXPECT_EQ(Formula(t), "C2 H6 N O Cl ");
  t.SetAtWeight(3, 13);  // a labelled carbon is an entry of its own
  EXPECT_EQ(Formula(t), "C 13C H6 N O Cl ");
  Build(t, {11, 17}, {});
  EXPECT_EQ(Formula(t), "H Cl Na ");  // the listed elements first, then the rest as met
  Build(t, {}, {});
  EXPECT_EQ(Formula(t), "");
  // Regression: H atoms without a non-hydrogen neighbour vanished from formula and weight.
  Build(t, {1, 1}, {{1, 2, 1}});
  EXPECT_EQ(Formula(t), "H2 ");
  EXPECT_NEAR(t.CalcChemMolWeight(), double(2 * ChemAtWeight(1)), 1e-9);
  Build(t, {1, 8}, {});  // H+ beside a water
  EXPECT_EQ(Formula(t), "H3 O ");
  // Twenty-one distinct elements are one entry too many; BForm stays as it was.
  Build(t, {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}, {});
  TFormulaRec r;
  r.FLeng = 7;
  EXPECT_FALSE(t.CalcMolecularFormula(r));
  EXPECT_EQ(r.FLeng, 7);
  // Regression: a count above 255 was stored as a byte and wrapped; the formula is refused.
  Build(t, {7}, {});
  t.SetCharge(1, 127);
  EXPECT_EQ(t.NrHAtoms(1), 130);
  Build(t, {7, 7}, {});
  t.SetCharge(1, 127);
  t.SetCharge(2, 127);
  EXPECT_EQ(Formula(t), "false");
}

// [SECTION] geometry

TEST(TCTabGeometry, CentreExtentsAndMeanBondLength) {
  TCTab t(nullptr);
  double minX, minY, maxX, maxY, cx, cy, cz;
  Build(t, {6}, {});
  EXPECT_EQ(t.CalcMolExtents(minX, minY, maxX, maxY, cx, cy), 0);
  EXPECT_EQ(std::vector<double>({minX, minY, maxX, maxY, cx, cy}), std::vector<double>({1, 1, 10000, 7000, 5000, 3500}));
  // Regression: the box started at 10000/7000 and 0, so negative coordinates kept a maximum of 0.
  Build(t, {6, 6, 6}, {{1, 2, 1}, {2, 3, 1}});
  Place(t, {{-30, -40}, {-30, -10}, {-70, -10}});
  EXPECT_DOUBLE_EQ(t.CalcMolExtents(minX, minY, maxX, maxY, cx, cy), 35);  // (30 + 30 + 40 + 40) / 4
  EXPECT_EQ(std::vector<double>({minX, minY, maxX, maxY}), std::vector<double>({-70, -40, -30, -10}));
  EXPECT_DOUBLE_EQ(cx, -130.0 / 3);
  EXPECT_DOUBLE_EQ(cy, -20);
  t.CalcMolCenter(cx, cy, cz);
  EXPECT_DOUBLE_EQ(cy, -20);
  EXPECT_EQ(cz, 0);
}

TEST(TCTabGeometry, HitTests) {
  TCTab t(nullptr);
  Build(t, {6, 6, 6}, {});
  Place(t, {{0, 0}, {10, 0}, {12, 1}});
  EXPECT_EQ(t.FindAtomInBox(11, 0, 0, 2, 2, 0), 3);  // two in range: the higher index
  EXPECT_EQ(t.FindAtomInBox(50, 0, 0, 2, 2, 0), -1);
  int closest = -5;
  double dist = 0;
  t.FindClosestAtom(5, 0, 0, closest, dist);  // atoms 1 and 2 tie: the lower index
  EXPECT_EQ(closest, 1);
  EXPECT_DOUBLE_EQ(dist, 5);
  t.Clear();
  t.FindClosestAtom(5, 0, 0, closest, dist);
  EXPECT_EQ(closest, 0);
  EXPECT_EQ(dist, double(uc_MaxDouble));
}

TEST(TCTabGeometry, RotateWithPCAKeepsDistancesAndPutsTheLargestSpreadOnX) {
  TCTab t(nullptr);
  Build(t, {6, 6, 6, 6, 6}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}});
  Place(t, {{100, 100}, {130, 140}, {160, 180}, {190, 220}, {200, 200}});  // a line at 53 degrees
  auto distances = [&] {
    std::vector<double> d;
    for (int i = 1; i <= 5; ++i)
      for (int j = i + 1; j <= 5; ++j)
        d.push_back(std::hypot(t.GetCoords(i, 1) - t.GetCoords(j, 1), t.GetCoords(i, 2) - t.GetCoords(j, 2)));
    return d;
  };
  const std::vector<double> before = distances();
  t.RotateWithPCA();
  const std::vector<double> after = distances();
  for (size_t k = 0; k < before.size(); ++k) EXPECT_NEAR(after[k], before[k], 1.5) << k;
  double vx = 0, vy = 0, mx = 0, my = 0;
  for (int i = 1; i <= 5; ++i) mx += t.GetCoords(i, 1) / 5, my += t.GetCoords(i, 2) / 5;
  for (int i = 1; i <= 5; ++i) vx += std::pow(t.GetCoords(i, 1) - mx, 2), vy += std::pow(t.GetCoords(i, 2) - my, 2);
  EXPECT_GE(vx, vy);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(t.GetCoords(i, 1), std::nearbyint(t.GetCoords(i, 1)));
}

TEST(TCTabGeometry, MatchAtomTemplateFilters) {
  TCTab t(nullptr);
  // acetic acid C1-C2(=O3)-O4 and an amine N5-C1
  Build(t, {6, 6, 8, 8, 7}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}, {1, 5, 1}});
  auto matched = [&](int an, int nb, std::initializer_list<int> types) {
    BondListType typB{};
    int k = 1;
    for (const int ty : types) typB[k++] = uint8_t(ty);
    AtListType list;
    t.MatchAtomTemplate(an, nb, typB, list);
    std::vector<int> out;
    for (int i = 1; i <= list.NrAtoms; ++i) out.push_back(list.AtList[i]);
    return out;
  };
  EXPECT_EQ(matched(0, 0, {}), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(matched(6, 0, {}), (std::vector<int>{1, 2}));
  EXPECT_EQ(matched(-6, 0, {}), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(matched(0, 1, {}), (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(matched(0, -1, {}), (std::vector<int>{1, 2}));
  EXPECT_EQ(matched(0, 0, {2}), (std::vector<int>{2, 3}));
  EXPECT_EQ(matched(0, 0, {1, 1}), (std::vector<int>{1, 2}));  // with multiplicity
  EXPECT_EQ(matched(0, 0, {1, 1, 1}), (std::vector<int>{}));
  EXPECT_EQ(matched(0, 0, {1, 2}), (std::vector<int>{2}));
}

// [SECTION] fragment codes and counts

TEST(TCTabFragments, CodesAndTheirText) {
  TCTab t(nullptr);
  Build(t, {6, 6, 8, 6}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}});
  int outer = -1;
  EXPECT_EQ(t.FragmentCode(1, outer), 211);  // 3 + (3 x 4 + 1) << 4
  EXPECT_EQ(outer, 2);
  EXPECT_EQ(FragmentStr(t.FragmentCode(1, outer)), u"C1C");
  EXPECT_EQ(FragmentStr(t.FragmentCode(2, outer)), u"C2O1C1C");
  EXPECT_EQ(outer, 0);
  Build(t, {6, 6, 6, 6, 6, 6}, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}, {1, 6, 1}});
  EXPECT_EQ(t.FragmentCode(1, outer), -2);
  EXPECT_EQ(FragmentStr(-2), u"ERROR");
  Build(t, {34, 6}, {{1, 2, 1}});
  EXPECT_EQ(t.FragmentCode(1, outer), -1);  // selenium is not in the table
  EXPECT_EQ(t.FragmentCode(2, outer), -1);  // nor as a neighbour
  EXPECT_EQ(FragmentStr(-1), u"ERROR");
  EXPECT_EQ(t.FragmentCode(3, outer), -1);
  // Ten connections are gathered whole: one of them an unknown element gives -1 before the -2 rule.
  Build(t, {14, 6, 6, 6, 6, 34}, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}, {1, 6, 1}});
  EXPECT_EQ(t.FragmentCode(1, outer), -1);
  Build(t, {6, 6}, {{1, 2, 4}});
  EXPECT_EQ(FragmentStr(t.FragmentCode(1, outer)), u"C4C");
}

TEST(TCTabFragments, CountsGroups) {
  const struct {
    const char* what;
    std::vector<int> elements;
    std::vector<TBond> bonds;
    std::vector<std::pair<FrgType, int>> counts;
  } cases[] = {
      {"acetic acid", {6, 6, 8, 8}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}},
       {{COOH, 1}, {AnyOH, 1}, {AnyCO, 1}, {COO, 0}, {NSglBnd, 2}, {NDblBnd, 1}, {CHO, 0}}},
      {"methyl acetate", {6, 6, 8, 8, 6}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}, {4, 5, 1}},
       {{COO, 1}, {COOH, 0}, {OCH3, 1}, {AnyOH, 0}}},
      {"dimethylamine", {6, 7, 6}, {{1, 2, 1}, {2, 3, 1}}, {{NHR, 1}, {NH2, 0}, {NR2, 0}}},
      {"acetamide", {6, 6, 8, 7}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}}, {{CONR2, 1}, {NH2, 0}, {NCON, 0}}},
      {"urea", {7, 6, 8, 7}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}}, {{NCON, 1}, {CONR2, 0}}},
      {"Kekule benzene", {6, 6, 6, 6, 6, 6}, {{1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {4, 5, 2}, {5, 6, 1}, {6, 1, 2}},
       {{NCCSgl, 3}, {NCCDbl, 3}, {NAroBnd, 0}, {NBranch, 0}}},
      {"aromatic chlorophenol", {6, 6, 6, 6, 6, 6, 17, 8},
       {{1, 2, 4}, {2, 3, 4}, {3, 4, 4}, {4, 5, 4}, {5, 6, 4}, {6, 1, 4}, {1, 7, 1}, {4, 8, 1}},
       {{NAroBnd, 6}, {AroCl, 1}, {XCnt, 1}, {PhOH, 1}, {AnyOH, 1}, {NBranch, 2}}},
      {"acetonitrile", {6, 6, 7}, {{1, 2, 1}, {2, 3, 3}}, {{CN, 1}, {NTrplBnd, 1}, {NCCTrpl, 0}}},
      {"acetaldehyde", {6, 6, 8}, {{1, 2, 1}, {2, 3, 2}}, {{CHO, 1}, {AnyCO, 1}}},
      {"acetyl chloride", {6, 6, 8, 17}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}}, {{COX, 1}, {AroCl, 0}}},
      {"dimethyl sulfoxide", {6, 16, 8, 6}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}}, {{AnySO, 1}}},
      {"nitrosomethane", {6, 7, 8}, {{1, 2, 1}, {2, 3, 2}}, {{NO, 1}}},
      {"nitromethane, two double bonds", {6, 7, 8, 8}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 2}}, {{NO2, 1}}},
      {"methylhydrazine", {6, 7, 7}, {{1, 2, 1}, {2, 3, 1}}, {{NNH2, 1}, {NH2, 0}, {NHR, 0}}},
      {"ethyne", {6, 6}, {{1, 2, 3}}, {{NCCTrpl, 1}}},
  };
  for (const auto& c : cases) {
    TCTab t(nullptr);
    qelta::test::BuildMolecule(t, c.elements, c.bonds);
    for (const auto& [kind, count] : c.counts) EXPECT_EQ(t.FragmentCount(kind), count) << c.what << " kind " << kind;
  }
  TCTab t(nullptr);
  EXPECT_EQ(t.FragmentCount(FrgType(200)), 0);
}

TEST(TCTabFragments, AChargedNitroGroupCountsWithChargePlusOneOrThree) {
  // C-N(=O)-O with the nitrogen's charge: +1 as an MDL file gives it, 3 as the charge field was also used.
  for (const int charge : {0, 1, 3}) {
    TCTab t(nullptr);
    Build(t, {6, 7, 8, 8}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}});
    t.SetCharge(2, charge);
    t.SetCharge(4, charge == 1 ? -1 : 0);
    EXPECT_EQ(t.FragmentCount(NO2), charge == 0 ? 0 : 1) << charge;
  }
}
