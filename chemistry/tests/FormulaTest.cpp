// The formula control TMolForm: parsing, text, weights, comparison, the formula-for-a-mass search, and its
// pictures (sub- and superscripts, deuterium, transparency, alignment).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Panels.h"
#include "Qelta_CData.h"
#include "Qelta_cform.h"
#include "Qelta_qeltabase.h"
#include "SampleControls.h"
#include "StrUtils.h"
#include "Testing.h"

using namespace qelta;

namespace {

// The entries as "Z,mass,count" separated by blanks.
std::string Entries(const TMolForm& f) {
  std::string s;
  for (int i = 1; i <= f.NumAtoms(); ++i)
    s += (s.empty() ? "" : " ") + std::to_string(f.GetAtNum(i)) + "," + std::to_string(f.GetAtWgt(i)) + "," +
         std::to_string(f.GetAtCnt(i));
  return s;
}

std::string Parsed(const String& text) {
  TMolForm f(nullptr);
  f.SetMolFormula(text);
  return Entries(f);
}

std::string Parsed(const char* text) { return Parsed(Utf8ToString(text)); }

// The group parse as first written, searching the rest of the text for a ")" at every "(" (quadratic in
// the number of "("): the plain twin of ScanMolFormula, in the form of Entries.
std::string TwinParsed(const String& text) {
  std::string out;
  int n = 0;
  int64_t multiplier = 1;
  for (int pos = 1; pos <= Length(text);) {
    const Char c = text[static_cast<size_t>(pos - 1)];
    if (c == u'(') {
      const int close = PosEx(u")", text, pos);
      if (close > 0) {
        int after = close + 1;
        multiplier = ScanDecimal(text, after);
      }
      ++pos;
    } else if (c == u')') {
      multiplier = 1;
      ++pos;
      ScanDecimal(text, pos);
    } else {
      int z = 0, mass = 0, count = 0;
      if (!TMolForm::ScanNextFormPart(text, pos, z, mass, count)) break;
      const int64_t total = count * multiplier;
      if (total < 0 || total > 255 || n++ == MaxFormulaEntries) break;
      out += (out.empty() ? "" : " ") + std::to_string(z) + "," + std::to_string(mass) + "," + std::to_string(total);
    }
  }
  return out;
}

TFormulaRec Bounds(std::initializer_list<std::tuple<int, int, int>> entries) {
  TFormulaRec r;
  for (const auto& [z, mass, count] : entries) {
    ++r.FLeng;
    r.AtNum[r.FLeng] = uint8_t(z);
    r.AtWgt[r.FLeng] = uint16_t(mass);
    r.AtCnt[r.FLeng] = uint8_t(count);
  }
  return r;
}

// Every formula a search delivers, as AsString(0), until it answers false.
std::vector<std::string> Hits(TMolForm& f, bool exact, bool plausible, int limit = 50) {
  std::vector<std::string> out;
  while (static_cast<int>(out.size()) < limit &&
         (exact ? f.FindFormulaExactMass(plausible) : f.FindFormulaNominalMass(plausible)))
    out.push_back(StringToUtf8(f.AsString(0)));
  return out;
}

// A formula control whose texts can be drawn on traced canvases.
class TTracedMolForm : public TMolForm {
 public:
  using TMolForm::CopyStrip;
  using TMolForm::TMolForm;
  using TMolForm::WriteFormula;

  /// The TextOut records of one WriteFormula at font size 10 on a control of height H.
  std::vector<TCanvasTraceRecord> Texts(int H, int& x) {
    TBitmap text(400, H), mask(400, H);
    TCanvasTrace trace;
    text.Canvas()->SetTrace(&trace);
    x = WriteFormula(text.Canvas(), mask.Canvas(), H, 10);
    text.Canvas()->SetTrace(nullptr);
    return trace.Find("TextOut");
  }
};

}  // namespace

// [SECTION] parsing and text

TEST(TMolForm, StartsAsWater) {
  TMolForm f(nullptr);
  EXPECT_EQ(Entries(f), "1,1,2 8,16,1");
  EXPECT_EQ(f.FormulaText(), u"H2O");
  EXPECT_EQ(f.Width(), 120);
  EXPECT_EQ(f.IsotopeVis(), ivSpecial);
  EXPECT_TRUE(f.UseDeuterium());
  EXPECT_EQ(f.Alignment(), taCenter);
}

TEST(TMolForm, ParsesFormulaTexts) {
  const struct {
    const char* text;
    const char* entries;
  } cases[] = {
      {"H2O", "1,1,2 8,16,1"},
      {"H2 O", "1,1,2 8,16,1"},
      {"h2o", "1,1,2 8,16,1"},
      {"2H2O", "1,2,2 8,16,1"},
      {"D2O", "1,2,2 8,16,1"},
      {"13C O2", "6,13,1 8,16,2"},
      {"CO2", "27,59,2"},  // two capitals read as one symbol: cobalt
      {"Ca(O H)2", "20,40,1 8,16,2 1,1,2"},
      {"Ca(OH)2", "20,40,1"},           // 'OH' is no symbol
      {"Ca (O H)2", "20,40,1 8,16,2 1,1,2"},
      {"Ca2 (O H)2", "20,40,2"},        // the part from the blank before '(' is empty
      {"(C H3)", "6,12,0 1,1,0"},       // no number after the group: multiplier 0
      {"(C H3)2 O", "6,12,2 1,1,6 8,16,1"},
      {"XY3", ""},
      {"C6 H12 Xx", "6,12,6 1,1,12"},
      {"", ""},
      {"C,H.O", "6,12,1 1,1,1 8,16,1"},
      // Regression: counts are bytes; 256 wrapped to 0 and 300 to 44. A count that does not fit ends the parse.
      {"C255 H256 O", "6,12,255"},
      {"C2 (H3)100", "6,12,2"},
      {"C (H2)-1", "6,12,1"},
      // Regression: a mass number beyond 16 bits wrapped; it ends the parse.
      {"C2 70000C", "6,12,2"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parsed(c.text), c.entries) << c.text;
}

// Regression: every "(" searched the rest of the text for its ")", so a formula of 300,000 "(" took 12 s to
// parse. The parse is one pass now and reads every text as the search from each "(" did.
TEST(TMolForm, GroupsParseAsTheSearchFromEveryParenthesisDid) {
  const char* tricky[] = {"((C H)2 O)3", "(((", ")))", "C (H", "C(H)2(", "(O H)2 (C)3", "((C)2 H)3 N", ")2 C",
                          "(C)2)3 H", "Ca(O H)2 (", "( C H)1 0", "(C H) 3 O", "(C)+2 H", "(C)-1 H", "(C)4294967298 H",
                          "(C H)99 O(H)", "D2O(D)5", "(C)(H)2", "((((C))))7", "(C (H)3 O)2", "(H)300", "(H)0 O"};
  for (const char* text : tricky) EXPECT_EQ(Parsed(text), TwinParsed(Utf8ToString(text))) << text;
  std::mt19937 rng(108);
  const String alphabet = u"((())CHOD 2310,.x-+a";
  for (int trial = 0; trial < 3000; ++trial) {
    String text;
    for (std::size_t k = rng() % 24; k > 0; --k) text += alphabet[rng() % alphabet.size()];
    ASSERT_EQ(Parsed(text), TwinParsed(text)) << StringToUtf8(text);
  }
  // Each of 100,000 "(" finds the one ")" at the end.
  EXPECT_EQ(Parsed(u"Ca" + String(100000, u'(') + u"O H)2"), "20,40,1 8,16,2 1,1,2");
  EXPECT_EQ(Parsed(u"Ca" + String(100000, u'(') + u"O H"), "20,40,1 8,16,1 1,1,1");
}

TEST(TMolForm, KeepsTwentyEntriesAndEndsTheParseAtTheTwentyFirst) {
  std::string text;
  for (int z = 1; z <= 25; ++z) text += CElemSymb(z) + " ";
  TMolForm f(nullptr);
  f.SetMolFormula(Utf8ToString(text));
  EXPECT_EQ(f.NumAtoms(), 20);
  EXPECT_EQ(f.GetAtNum(20), 20);
  f.ReadFromString(Utf8ToString(text));
  EXPECT_EQ(f.NumAtoms(), 20);
}

TEST(TMolForm, ReadFromStringTakesNoGroupsAndKeepsTheText) {
  TMolForm f(nullptr);
  f.SetMolFormula(u"C2 H6 O");
  f.ReadFromString(u"N2 (O H)2");
  EXPECT_EQ(Entries(f), "7,14,2");
  EXPECT_EQ(f.FormulaText(), u"C2 H6 O");
}

TEST(TMolForm, ScanNextFormPartLeavesTheEndingCharacter) {
  int index = 1, z = 0, mass = 0, count = 0;
  const String text = u"2H2O";
  ASSERT_TRUE(TMolForm::ScanNextFormPart(text, index, z, mass, count));
  EXPECT_EQ(index, 4);  // on 'O'
  EXPECT_EQ(z, 1);
  EXPECT_EQ(mass, 2);
  EXPECT_EQ(count, 2);
  ASSERT_TRUE(TMolForm::ScanNextFormPart(text, index, z, mass, count));
  EXPECT_EQ(index, 5);
  EXPECT_FALSE(TMolForm::ScanNextFormPart(text, index, z, mass, count));
}

TEST(TMolForm, WritesItsEntries) {
  const struct {
    const char* text;
    const char* plain;
    const char* masses;
  } cases[] = {
      {"H2O", "H2 O ", "1H2 16O "},
      {"D2O", "D2 O ", "2D2 16O "},
      {"13C O2", "C O2 ", "13C 16O2 "},
      {"(C H3)", "", ""},  // counts 0 write nothing
      {"", "", ""},
  };
  for (const auto& c : cases) {
    TMolForm f(nullptr);
    f.SetMolFormula(Utf8ToString(c.text));
    EXPECT_EQ(StringToUtf8(f.AsString(0)), c.plain) << c.text;
    EXPECT_EQ(StringToUtf8(f.AsString(1)), c.masses) << c.text;
    EXPECT_EQ(f.MolFormula(), f.AsString(1));
  }
}

// [SECTION] weights and comparison

TEST(TMolForm, WeighsWater) {
  TMolForm f(nullptr);
  EXPECT_EQ(f.NominalMolWgt(), 18);
  EXPECT_NEAR(f.ExactMolWgt(), 2 * 1.007825 + 15.994915, 1e-5);
  EXPECT_NEAR(f.ChemMolWgt(), double(2 * ChemAtWeight(1) + ChemAtWeight(8)), 1e-9);
  f.SetMolFormula(u"D2O");
  EXPECT_EQ(f.NominalMolWgt(), 20);
  EXPECT_NEAR(f.ExactMolWgt(), 2 * 1.007825 + 15.994915, 1e-5);  // mass numbers ignored
}

TEST(TMolForm, ComparesFormulas) {
  const struct {
    const char* other;
    int expect;
  } cases[] = {{"C2 H6 O", 0}, {"C2 H6", 1}, {"C2 H6 O2", 2}, {"C3", -1}, {"", -2}, {"13C2 H6 O", -1}};
  TMolForm ethanol(nullptr), other(nullptr);
  ethanol.SetMolFormula(u"C2 H6 O");
  for (const auto& c : cases) {
    other.SetMolFormula(Utf8ToString(c.other));
    EXPECT_EQ(ethanol.CompareTo(other), c.expect) << c.other;
  }
  // Forty distinct (element, mass) pairs between the two formulas are compared exactly.
  std::string a, b;
  for (int z = 1; z <= 20; ++z) a += CElemSymb(z) + " ", b += CElemSymb(z + 20) + " ";
  TMolForm fa(nullptr), fb(nullptr);
  fa.SetMolFormula(Utf8ToString(a));
  fb.SetMolFormula(Utf8ToString(b));
  EXPECT_EQ(fa.CompareTo(fb), -1);
  EXPECT_EQ(fa.CompareTo(fa), 0);
}

TEST(TMolForm, ClearAndAssign) {
  TMolForm a(nullptr), b(nullptr);
  a.SetMolFormula(u"13C O2");
  a.SetIsotopeVis(ivAlways);
  a.SetColorTxt(clRed);
  a.SetAlignment(taRightJustify);
  b.Assign(&a);
  EXPECT_EQ(Entries(b), "6,13,1 8,16,2");
  EXPECT_EQ(b.FormulaText(), u"13C O2");
  EXPECT_EQ(b.IsotopeVis(), ivAlways);
  EXPECT_EQ(b.ColorTxt(), clRed);
  EXPECT_EQ(b.Alignment(), taRightJustify);
  TMolForm c(nullptr);
  a.AssignTo(&c);
  EXPECT_EQ(Entries(c), "6,13,1 8,16,2");
  a.Clear();
  EXPECT_EQ(a.NumAtoms(), 0);
  EXPECT_EQ(a.FormulaText(), u"");
  EXPECT_EQ(a.AsString(0), u"");
}

TEST(TMolForm, EntryAccessorsKeepTheirRanges) {
  TMolForm f(nullptr);
  f.SetAtNum(1, 104);
  f.SetAtNum(3, 6);
  EXPECT_EQ(f.GetAtNum(1), 1);
  EXPECT_EQ(f.GetAtNum(3), 0);
  f.SetNumAtoms(21);
  f.SetNumAtoms(0);
  EXPECT_EQ(f.NumAtoms(), 2);
  f.SetNumAtoms(3);
  f.SetAtNum(3, 7);
  f.SetAtWgt(3, 15);
  f.SetAtCnt(3, 1);
  EXPECT_EQ(Entries(f), "1,1,2 8,16,1 7,15,1");
}

// [SECTION] formula-for-a-mass search

TEST(TMolForm, FindsTheFormulasOfANominalMassInOdometerOrder) {
  TMolForm f(nullptr);
  const TFormulaRec low = Bounds({{6, 12, 0}, {1, 1, 0}, {8, 16, 0}});
  const TFormulaRec high = Bounds({{6, 12, 10}, {1, 1, 20}, {8, 16, 5}});
  ASSERT_TRUE(f.InitFindFormula(46, 0, low, high));
  const std::vector<std::string> all = {"C3 H10 ", "C2 H6 O ", "C H18 O ", "C H2 O2 ", "H14 O2 "};
  EXPECT_EQ(Hits(f, false, false), all);
  EXPECT_EQ(Entries(f), "6,12,0 1,1,14 8,16,2");  // zero counts stay as entries
  // After the walk ran out it starts again from the upper bounds.
  EXPECT_EQ(Hits(f, false, false), all);
  f.InitFindFormula(46, 0, low, high);
  EXPECT_EQ(Hits(f, false, true), (std::vector<std::string>{"C2 H6 O ", "C H2 O2 "}));
}

TEST(TMolForm, FindsAnExactMassWithinTheTolerance) {
  TMolForm f(nullptr);
  f.InitFindFormula(46.0419, 0.001, Bounds({{6, 12, 0}, {1, 1, 0}, {8, 16, 0}}),
                    Bounds({{6, 12, 10}, {1, 1, 20}, {8, 16, 5}}));
  EXPECT_EQ(Hits(f, true, false), std::vector<std::string>{"C2 H6 O "});
  EXPECT_NEAR(f.ExactMolWgt(), 46.04186, 1e-5);
}

TEST(TMolForm, SearchEdgeCases) {
  TMolForm f(nullptr);
  // A lower bound above the upper bound makes that position wrap on every step: only its upper count shows.
  f.InitFindFormula(28, 0, Bounds({{6, 12, 0}, {1, 1, 9}}), Bounds({{6, 12, 3}, {1, 1, 4}}));
  EXPECT_EQ(Hits(f, false, false), std::vector<std::string>{"C2 H4 "});
  // No positions: the empty formula is tested once, then the walk has run out.
  f.InitFindFormula(0, 0, TFormulaRec{}, TFormulaRec{});
  EXPECT_TRUE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.NumAtoms(), 0);
  EXPECT_TRUE(f.FindFormulaNominalMass(false));  // and again from the start
  f.InitFindFormula(5, 0, TFormulaRec{}, TFormulaRec{});
  EXPECT_FALSE(f.FindFormulaNominalMass(false));
  // The halogens count against the hydrogens: C H4 Cl fits the mass but is not plausible.
  const TFormulaRec low = Bounds({{6, 12, 1}, {1, 1, 0}, {17, 35, 1}}), high = Bounds({{6, 12, 1}, {1, 1, 4}, {17, 35, 1}});
  f.InitFindFormula(51, 0, low, high);
  EXPECT_EQ(Hits(f, false, false), std::vector<std::string>{"C H4 Cl "});
  EXPECT_TRUE(Hits(f, false, true).empty());
  f.InitFindFormula(50, 0, low, high);
  EXPECT_EQ(Hits(f, false, true), std::vector<std::string>{"C H3 Cl "});
}

// The walk passes over prefixes that can no longer reach the mass; the hits and their order must be those of
// testing every combination, which this plain odometer does.
TEST(TMolForm, SearchFindsWhatTestingEveryCombinationFinds) {
  const int elements[4][2] = {{6, 12}, {1, 1}, {7, 14}, {8, 16}};
  uint32_t state = 2024;
  auto next = [&](int n) { return int((state = state * 1103515245u + 12345u) >> 16) % n; };
  size_t hits = 0;
  for (int round = 0; round < 40; ++round) {
    const int K = 2 + next(3);
    TFormulaRec low, high;
    low.FLeng = high.FLeng = K;
    for (int i = 1; i <= K; ++i) {
      low.AtNum[i] = high.AtNum[i] = uint8_t(elements[i - 1][0]);
      low.AtWgt[i] = high.AtWgt[i] = uint16_t(elements[i - 1][1]);
      high.AtCnt[i] = uint8_t(next(12));
      low.AtCnt[i] = uint8_t(next(4));  // sometimes above the upper bound
    }
    const bool exact = round % 2 == 1;
    double mass = exact ? 0.01 * next(5) : 0;  // the mass of one combination within the bounds
    for (int i = 1; i <= K; ++i)
      mass += (exact ? double(ExactAtWeight(high.AtNum[i])) : high.AtWgt[i]) * next(high.AtCnt[i] + 1);
    std::vector<std::string> expected;
    std::vector<int> c(K + 1);
    for (int i = 1; i <= K; ++i) c[i] = high.AtCnt[i];
    for (bool more = true; more;) {
      double m = 0;
      std::string text;
      for (int i = 1; i <= K; ++i) {
        m += (exact ? double(ExactAtWeight(high.AtNum[i])) : high.AtWgt[i]) * c[i];
        if (c[i] > 0) text += CElemSymb(high.AtNum[i]) + (c[i] > 1 ? std::to_string(c[i]) : "") + " ";
      }
      if (exact ? std::fabs(m - mass) < 0.05 : m == std::nearbyint(mass)) expected.push_back(text);
      more = false;
      for (int p = K; p >= 1 && !more; --p)
        if (--c[p] >= low.AtCnt[p]) more = true; else c[p] = high.AtCnt[p];
    }
    TMolForm f(nullptr);
    f.InitFindFormula(mass, 0.05, low, high);
    EXPECT_EQ(Hits(f, exact, false, 1000), expected) << "round " << round;
    hits += expected.size();
  }
  EXPECT_GE(hits, 30u);  // most rounds find at least the combination their mass came from
}

// [SECTION] pictures

TEST(TMolFormPicture, WritesCountsLowAndMassNumbersHigh) {
  TTracedMolForm f(nullptr);
  f.SetMolFormula(u"13C O2");
  int x = 0;
  const std::vector<TCanvasTraceRecord> t = f.Texts(30, x);
  ASSERT_EQ(t.size(), 4u);
  const int small = 9;  // round(10 x 0.8) + 1
  EXPECT_EQ(t[0].Text, u"13");
  EXPECT_EQ(t[0].Args, (std::vector<int64_t>{1, 0}));
  EXPECT_EQ(t[1].Text, u"C");
  EXPECT_EQ(t[1].Args[1], 30 / 5);
  EXPECT_GT(t[1].Args[0], 1);
  EXPECT_EQ(t[2].Text, u"O");
  EXPECT_EQ(t[3].Text, u"2");
  EXPECT_EQ(t[3].Args[1], 30 / 4 + small);
  EXPECT_GT(x, t[3].Args[0]);
}

TEST(TMolFormPicture, ShowsDeuteriumAsDOrAsHeavyHydrogen) {
  TTracedMolForm f(nullptr);
  f.SetMolFormula(u"D2O");
  int x = 0;
  auto texts = [&] {
    std::string s;
    for (const TCanvasTraceRecord& r : f.Texts(30, x)) s += StringToUtf8(r.Text) + "|";
    return s;
  };
  EXPECT_EQ(texts(), "D|2|O|");
  f.SetUseDeuterium(false);
  EXPECT_EQ(texts(), "2|H|2|O|");
  f.SetIsotopeVis(ivNone);
  EXPECT_EQ(texts(), "H|2|O|");
  f.SetIsotopeVis(ivAlways);
  EXPECT_EQ(texts(), "2|H|2|16|O|");
  f.SetShowAsText(true);
  EXPECT_EQ(texts(), "D2O|");
}

TEST(TMolFormPicture, AlignmentCutsAWideStrip) {
  const struct {
    TAlignment align;
    int x;
    TRect dest, source;
  } cases[] = {
      {taLeftJustify, 50, Rect(1, 1, 50, 20), Rect(1, 1, 50, 20)},
      {taRightJustify, 50, Rect(50, 1, 100, 20), Rect(1, 1, 50, 20)},
      {taCenter, 50, Rect(25, 1, 75, 20), Rect(1, 1, 50, 20)},
      {taLeftJustify, 150, Rect(1, 1, 150, 20), Rect(1, 1, 150, 20)},
      {taRightJustify, 150, Rect(0, 1, 100, 20), Rect(50, 1, 150, 20)},
      {taCenter, 150, Rect(0, 1, 100, 20), Rect(25, 1, 125, 20)},
  };
  for (const auto& c : cases) {
    TTracedMolForm f(nullptr);
    f.SetAlignment(c.align);
    TBitmap dest(100, 20), source(200, 20);
    TCanvasTrace trace;
    dest.Canvas()->SetTrace(&trace);
    f.CopyStrip(dest.Canvas(), source.Canvas(), c.x, 100, 20);
    const std::vector<TCanvasTraceRecord> copies = trace.Find("CopyRect");
    ASSERT_EQ(copies.size(), 1u);
    const std::vector<int64_t> expect = {c.dest.Left,   c.dest.Top,   c.dest.Right,   c.dest.Bottom,
                                         c.source.Left, c.source.Top, c.source.Right, c.source.Bottom};
    EXPECT_EQ(copies[0].Args, expect) << int(c.align) << " " << c.x;
  }
}

struct MolFormOnForm : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  sample::TCheckered* parent = new sample::TCheckered(form.get());

  void SetUp() override {
    form->SetBounds(40, 40, 420, 240);
    parent->SetParent(form.get());
    parent->SetBounds(0, 0, 400, 220);
  }
  TMolForm* Formula(int left, int top, const char* text) {
    auto* f = new TMolForm(form.get());
    f->SetParent(parent);
    f->SetBounds(left, top, 160, 28);
    f->Font()->SetName(u"DejaVu Sans");
    f->Font()->SetSize(14);
    f->SetMolFormula(Utf8ToString(text));
    return f;
  }
};

TEST_F(MolFormOnForm, SetsItsHeightFromTheSmallFont) {
  TMolForm* f = Formula(10, 10, "C2 H6 O");
  user.Show(form.get());
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->SetName(u"DejaVu Sans");
  probe.Canvas()->Font()->SetSize(12);  // round(14 x 0.8) + 1
  EXPECT_EQ(f->Height(), 2 * probe.Canvas()->TextHeight(u"M"));
}

TEST_F(MolFormOnForm, ATransparentFormulaShowsItsParentAroundTheText) {
  TMolForm* f = Formula(20, 20, "C6 H12 O6");
  f->SetColorTxt(clNavy);
  f->SetVisible(false);
  user.Show(form.get());
  const std::unique_ptr<TBitmap> under = user.Grab(f);
  f->SetTransparent(true);
  f->SetVisible(true);
  const std::unique_ptr<TBitmap> shown = user.Grab(f);
  int same = 0, changed = 0;
  for (int y = 0; y < f->Height(); ++y)
    for (int x = 0; x < f->Width(); ++x)
      ((shown->ScanLine(y)[x] & 0xFFFFFF) == (under->ScanLine(y)[x] & 0xFFFFFF) ? same : changed)++;
  EXPECT_GT(same, f->Width() * f->Height() * 3 / 4);  // the squares show through around the glyphs
  EXPECT_GT(changed, 50);
  // Not transparent: the background colour covers the parent.
  f->SetTransparent(false);
  f->SetColorBkg(clWhite);
  const std::unique_ptr<TBitmap> opaque = user.Grab(f);
  EXPECT_EQ(opaque->Canvas()->Pixels(0, 0), clWhite);
}

TEST_F(MolFormOnForm, Looks) {
  Formula(10, 10, "C6 H12 O6");
  TMolForm* iso = Formula(10, 50, "13C1 2H3 18O D");
  iso->SetIsotopeVis(ivSpecial);
  TMolForm* heavy = Formula(10, 90, "D2O");
  heavy->SetUseDeuterium(false);
  TMolForm* transparent = Formula(200, 10, "Ca(O H)2");
  transparent->SetTransparent(true);
  TMolForm* right = Formula(200, 50, "C12 H22 O11 Na Cl K2");
  right->SetAlignment(taRightJustify);
  TMolForm* left = Formula(200, 90, "C12 H22 O11 Na Cl K2");
  left->SetAlignment(taLeftJustify);
  user.Show(form.get());
  std::vector<TRect> texts;
  for (TMolForm* f : {iso, heavy, transparent, right, left}) texts.push_back(f->BoundsRect());
  texts.push_back(Rect(10, 10, 170, 10 + iso->Height()));
  EXPECT_GOLDEN(*user.Grab(parent), "molform-looks", texts);
}
