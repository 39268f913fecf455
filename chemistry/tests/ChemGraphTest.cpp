// The structure display TChemGraph: labels, bonds, the fit, the mouse report, ring and chain pick, the layout
// search and its pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "CTabTestKit.h"
#include "Encoding.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_ChemGrph.h"
#include "Qelta_cstruct.h"
#include "Random.h"
#include "Testing.h"

using namespace qelta;
using qelta::test::TBond;

namespace {

struct TAtom {
  int z;
  float x, y;
  int charge = 0;
};

void Build(TCTab& t, std::initializer_list<TAtom> atoms, std::initializer_list<TBond> bonds) {
  t.Clear();
  for (const TAtom& a : atoms) {
    CTElem rec;
    rec.AtNum = uint8_t(a.z);
    rec.Charge = int8_t(a.charge);
    rec.Coords[1] = a.x;
    rec.Coords[2] = a.y;
    t.AddAtom(rec);
  }
  for (const TBond& b : bonds) t.MakeConnection(b.a, b.b, b.type);
}

class TTestChemGraph : public TChemGraph {
 public:
  using TChemGraph::Fit;
  using TChemGraph::OffsetX;
  using TChemGraph::OffsetY;
  using TChemGraph::Scale;
  using TChemGraph::ShapeScore;
  using TChemGraph::TChemGraph;

  int paints = 0;

  /// The calls of one drawing of the structure into a 300 x 200 box.
  TCanvasTrace Trace(TCGDispMode mode, int maxBond = 30) {
    TBitmap b(300, 200);
    TCanvasTrace trace;
    b.Canvas()->SetTrace(&trace);
    ShowMoleculeInABox(b.Canvas(), mode, 0, 0, 300, 200, maxBond);
    b.Canvas()->SetTrace(nullptr);
    return trace;
  }

 protected:
  void Paint() override {
    ++paints;
    TChemGraph::Paint();
  }
};

std::vector<std::string> Labels(const TCanvasTrace& t) {
  std::vector<std::string> out;
  for (const TCanvasTraceRecord& r : t.Find("TextOut")) out.push_back(StringToUtf8(r.Text));
  return out;
}

// The lines drawn, as (x1, y1, x2, y2) of each MoveTo and the LineTo after it.
std::vector<std::vector<int64_t>> Lines(const TCanvasTrace& t) {
  std::vector<std::vector<int64_t>> out;
  const auto& r = t.Records();
  for (size_t i = 0; i + 1 < r.size(); ++i)
    if (r[i].Op == "MoveTo" && r[i + 1].Op == "LineTo")
      out.push_back({r[i].Args[0], r[i].Args[1], r[i + 1].Args[0], r[i + 1].Args[1]});
  return out;
}

// The last value set for `op` before the TextOut of `text`.
int64_t LastBefore(const TCanvasTrace& t, const std::string& op, const std::string& text) {
  int64_t value = -1;
  for (const TCanvasTraceRecord& r : t.Records()) {
    if (r.Op == op) value = r.Args[0];
    if (r.Op == "TextOut" && StringToUtf8(r.Text) == text) return value;
  }
  return -2;
}

}  // namespace

// [SECTION] labels and bonds

TEST(TChemGraph, LabelsCarryHydrogensAndCharges) {
  const struct {
    int z, charge, bonds;
    const char* label;
  } cases[] = {{7, 1, 3, "NH+"}, {7, 1, 4, "N+"}, {7, 0, 1, "NH2"}, {7, 0, 0, "NH3"}, {7, 0, 3, "N"},
               {8, 0, 1, "OH"}, {8, -1, 1, "O-"}, {8, 1, 1, "OH2+"}, {16, 0, 2, "S"},  {15, 1, 4, "P+"},
               {6, -1, 3, "C-"}, {17, 0, 1, "Cl"}, {11, 1, 0, "Na+"}};
  for (const auto& c : cases) {
    TCTab t(nullptr);
    Build(t, {{c.z, 0, 0, c.charge}}, {});
    for (int k = 0; k < c.bonds; ++k) {
      CTElem rec;
      rec.AtNum = 6;
      t.AddAtom(rec);
      t.MakeConnection(1, t.NAtoms(), 1);
    }
    EXPECT_EQ(StringToUtf8(mol_detail::AtomLabel(t, 1)), c.label) << c.z << " " << c.charge << " " << c.bonds;
  }
}

TEST(TChemGraph, DisplayModesChooseTheLabelledAtoms) {
  TTestChemGraph g(nullptr);
  // C1-N2(+) with three carbons, C6-N7 amine, C8-O9 , an isolated chloride ion
  Build(*g.Structure(),
        {{6, 0, 0}, {7, 30, 0, 1}, {6, 60, 0}, {6, 30, 30}, {6, 30, -30}, {6, 90, 30}, {7, 120, 30}, {8, 150, 60},
         {17, 200, 0, -1}},
        {{1, 2, 1}, {2, 3, 1}, {2, 4, 1}, {2, 5, 1}, {3, 6, 1}, {6, 7, 1}, {7, 8, 1}});
  EXPECT_EQ(Labels(g.Trace(dmSkeleton)), (std::vector<std::string>{"N+", "Cl-"}));
  EXPECT_EQ(Labels(g.Trace(dmHeteroOnly)), (std::vector<std::string>{"N+", "NH", "OH", "Cl-"}));
  EXPECT_EQ(Labels(g.Trace(dmAllAtoms)),
            (std::vector<std::string>{"C", "N+", "C", "C", "C", "C", "NH", "OH", "Cl-"}));
  EXPECT_EQ(Labels(g.Trace(dmNumbers)), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
  Build(*g.Structure(), {{6, 0, 0}, {7, 30, 0}}, {{1, 2, 1}});
  EXPECT_EQ(Labels(g.Trace(dmHeteroOnly)), std::vector<std::string>{"NH2"});
}

TEST(TChemGraph, LabelsTakeTheirColourAndLook) {
  TTestChemGraph g(nullptr);
  Build(*g.Structure(), {{8, 0, 0}, {6, 30, 0}, {7, 60, 0}}, {{1, 2, 1}, {2, 3, 1}});
  g.SetAtColor(1, clRed);
  g.SetVisAttrib(3, 2);
  EXPECT_EQ(g.GetAtColor(1), clRed);
  EXPECT_EQ(g.GetVisAttrib(3), 2);
  EXPECT_EQ(g.GetVisAttrib(1), 0);
  const TCanvasTrace t = g.Trace(dmHeteroOnly);
  EXPECT_EQ(LastBefore(t, "Font.Color", "OH"), clRed);
  EXPECT_EQ(LastBefore(t, "Font.Color", "NH2"), g.ColorBkg());  // inverse: text in the background colour
  EXPECT_EQ(LastBefore(t, "Brush.Color", "NH2"), g.ColorStructure());
  EXPECT_EQ(LastBefore(t, "Brush.Style", "NH2"), bsSolid);
  g.SetVisAttrib(1, 5);  // bold and italic
  EXPECT_EQ(LastBefore(g.Trace(dmHeteroOnly), "Font.Style", "OH"), (1 << fsBold) | (1 << fsItalic));
  // Regression: a value above 7 reached bit 31 and made the atom lose its own colour.
  g.SetVisAttrib(1, 9);
  EXPECT_EQ(g.GetAtColor(1), clRed);
  EXPECT_EQ(g.Structure()->GetAtomEntries(1).AtDispAtb & 0x80000000u, 0u);
}

TEST(TChemGraph, DoubleAndTripleBondsAreOffsetAlongTheNormal) {
  TTestChemGraph g(nullptr);
  Build(*g.Structure(), {{6, 0, 0}, {6, 1, 0}}, {{1, 2, 2}});
  std::vector<std::vector<int64_t>> lines = Lines(g.Trace(dmSkeleton));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0][1] - lines[1][1], 4);  // y + 2 and y - 2: round(1.65) on both sides
  EXPECT_EQ(lines[0][0], lines[1][0]);
  g.Structure()->MakeConnection(1, 2, 3);
  lines = Lines(g.Trace(dmSkeleton));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1][1] - lines[0][1], 3);
  EXPECT_EQ(lines[0][1] - lines[2][1], 3);
  g.Structure()->MakeConnection(1, 2, 4);
  const TCanvasTrace aromatic = g.Trace(dmSkeleton);
  EXPECT_EQ(Lines(aromatic).size(), 1u);
  EXPECT_EQ(aromatic.Find("Pen.Style").front().Args[0], psDash);
  g.Structure()->MakeConnection(1, 2, 7);
  EXPECT_TRUE(Lines(g.Trace(dmSkeleton)).empty());
}

TEST(TChemGraph, BondEndsStopAtTheLabelBox) {
  TTestChemGraph g(nullptr);
  Build(*g.Structure(), {{6, 0, 0}, {8, 1, 0}}, {{1, 2, 1}});  // horizontal: pulled back by the half-width
  const TCanvasTrace t = g.Trace(dmAllAtoms);
  const std::vector<std::vector<int64_t>> lines = Lines(t);
  ASSERT_EQ(lines.size(), 1u);
  const int size = int(t.Find("Font.Size").back().Args[0]), u = size / 2 + 1;
  EXPECT_EQ(lines[0][0], 135 + u);      // "C": one character
  EXPECT_EQ(lines[0][2], 165 - 2 * u);  // "OH": two
  EXPECT_EQ(lines[0][1], 100);
}

// [SECTION] fit

TEST(TChemGraph, FitsTheStructureIntoItsBox) {
  TTestChemGraph g(nullptr);
  double scale = 0, xoff = 0, yoff = 0;
  int size = 0;
  Build(*g.Structure(), {{6, 0, 0}, {6, 1.5f, 0}, {6, 1.5f, 1.5f}}, {{1, 2, 1}, {2, 3, 1}});
  g.Fit(284, 184, 150, 100, 30, scale, xoff, yoff, size);
  EXPECT_DOUBLE_EQ(scale * 1.5, 30);  // mean bond length 30 pixels
  EXPECT_EQ(size, 10);                // round(30 / 5) + 4
  g.Fit(284, 184, 150, 100, 0, scale, xoff, yoff, size);
  EXPECT_DOUBLE_EQ(scale * 1.5, 184);  // the height less 16 pixels
  EXPECT_EQ(size, 20);
  EXPECT_DOUBLE_EQ(xoff, 150 - scale * 0.75);
  Build(*g.Structure(), {{6, 0, 0}, {6, 40, 0}, {6, 40, 40}}, {{1, 2, 1}, {2, 3, 1}});
  g.Fit(284, 184, 150, 100, 40, scale, xoff, yoff, size);
  EXPECT_EQ(size, 12);  // 40 pixels
  g.Fit(284, 184, 150, 100, 10, scale, xoff, yoff, size);
  EXPECT_EQ(size, 8);
  Build(*g.Structure(), {{6, 5, 5}}, {});
  g.Fit(284, 184, 150, 100, 30, scale, xoff, yoff, size);  // no bond: the default box, capped at 30
  EXPECT_DOUBLE_EQ(scale, 184.0 / 6999);
}

// [SECTION] on a form

struct ChemGraphOnForm : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TTestChemGraph* graph = new TTestChemGraph(form.get());

  void SetUp() override {
    form->SetBounds(40, 40, 640, 460);
    graph->SetParent(form.get());
    graph->SetBounds(10, 10, 300, 200);
    graph->Font()->SetQuality(fqNonAntialiased);
  }
};

TEST_F(ChemGraphOnForm, AnEmptyStructureShowsItsFrameAndAText) {
  user.Show(form.get());
  const std::unique_ptr<TBitmap> shown = user.Grab(graph);
  EXPECT_EQ(shown->Canvas()->Pixels(1, 1), clWhite);      // raised: white top-left
  EXPECT_EQ(shown->Canvas()->Pixels(299, 199), clBlack);  // black bottom-right
  int text = 0;
  for (int y = 80; y < 120; ++y)
    for (int x = 20; x < 280; ++x) text += shown->Canvas()->Pixels(x, y) == graph->ColorStructure();
  EXPECT_GT(text, 100);
}

TEST_F(ChemGraphOnForm, MovingTheMouseReportsTheNearestAtom) {
  Build(*graph->Structure(), {{6, 0, 0}, {8, 1.5f, 0}}, {{1, 2, 1}});
  user.Show(form.get());
  std::vector<std::pair<int, double>> reports;
  int moves = 0;
  graph->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
  graph->OnMoveOverStruct = [&](TObject*, int atom, double dist, TShiftState, double rx, double) {
    reports.emplace_back(atom, dist);
    EXPECT_NEAR(rx, (170 - graph->OffsetX()) / graph->Scale(), 1e-9);
  };
  user.MoveTo(graph, 170, 100);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(reports[0].first, 2);
  EXPECT_NEAR(reports[0].second, std::fabs((170 - graph->OffsetX()) / graph->Scale() - 1.5), 1e-9);
}

TEST_F(ChemGraphOnForm, RepaintsWhenTheStructureChanges) {
  user.Show(form.get());
  const int before = graph->paints;
  Build(*graph->Structure(), {{6, 0, 0}}, {});
  EXPECT_GT(graph->paints, before);
  graph->SetSuppressPaint(true);
  const int suppressed = graph->paints;
  graph->SetDisplayMode(dmAllAtoms);
  graph->SetSuppressPaint(false);
  EXPECT_EQ(graph->paints, suppressed + 2);  // the setter's call draws nothing, the release paints
}

// The four display modes drawn with ShowMoleculeInABox; labels compared by their boxes, bonds pixel for pixel.
TEST(TChemGraph, Looks) {
  TTestChemGraph g(nullptr);
  // a charged amine, a carbonyl, a nitrile, an aromatic ring, a red oxygen, an inverted and a bold atom
  Build(*g.Structure(),
        {{6, 0, 0}, {6, 26, 15}, {6, 52, 0}, {6, 52, -30}, {6, 26, -45}, {6, 0, -30}, {7, 78, 15, 1}, {6, 104, 0},
         {8, 104, -30}, {6, 130, 15}, {6, 156, 0}, {7, 182, -15}, {17, -26, 15}, {8, 26, -75}},
        {{1, 2, 4}, {2, 3, 4}, {3, 4, 4}, {4, 5, 4}, {5, 6, 4}, {6, 1, 4}, {3, 7, 1}, {7, 8, 1}, {8, 9, 2},
         {8, 10, 1}, {10, 11, 1}, {11, 12, 3}, {1, 13, 1}, {5, 14, 1}});
  g.SetAtColor(9, clRed);
  g.SetVisAttrib(14, 2);
  g.SetVisAttrib(13, 1);
  TBitmap page(620, 420);
  TCanvas* c = page.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, 620, 420));
  c->Font()->SetQuality(fqNonAntialiased);
  TCanvasTrace trace;
  c->SetTrace(&trace);
  const TCGDispMode modes[] = {dmSkeleton, dmHeteroOnly, dmAllAtoms, dmNumbers};
  const int caps[] = {30, 30, 0, 40};
  for (int m = 0; m < 4; ++m) {
    const int x = m % 2 * 310, y = m / 2 * 210;
    c->Pen()->SetColor(clSilver);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(x, y, x + 300, y + 200);
    g.ShowMoleculeInABox(c, modes[m], x + 10, y + 10, x + 290, y + 190, caps[m]);
  }
  c->SetTrace(nullptr);
  std::vector<TRect> texts;
  TBitmap scratch(1, 1);
  int size = 8;
  int style = 0;
  for (const TCanvasTraceRecord& r : trace.Records()) {
    if (r.Op == "Font.Size") size = int(r.Args[0]);
    if (r.Op == "Font.Style") style = int(r.Args[0]);
    if (r.Op != "TextOut") continue;
    scratch.Canvas()->Font()->SetName(u"Courier New");
    scratch.Canvas()->Font()->SetSize(size);
    TFontStyles styles;
    if (style & (1 << fsBold)) styles.Include(fsBold);
    scratch.Canvas()->Font()->SetStyle(styles);
    const int x = int(r.Args[0]), y = int(r.Args[1]);
    texts.push_back(Rect(x - 2, y - 1, x + scratch.Canvas()->TextWidth(r.Text) + 2,
                         y + scratch.Canvas()->TextHeight(r.Text) + 1));
  }
  EXPECT_GOLDEN(page, "chemgraph-modes", texts);
}

// [SECTION] ring and chain pick, layout

TEST(TChemGraph, FindsTheRingNextToThePoint) {
  TTestChemGraph g(nullptr);
  // naphthalene: ring A left (atoms 1-6), ring B right sharing atoms 3 and 4
  Build(*g.Structure(),
        {{6, 0, 0}, {6, 26, -15}, {6, 52, 0}, {6, 52, 30}, {6, 26, 45}, {6, 0, 30}, {6, 78, -15}, {6, 104, 0},
         {6, 104, 30}, {6, 78, 45}},
        {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 1}, {6, 1, 1}, {3, 7, 1}, {7, 8, 1}, {8, 9, 1},
         {9, 10, 1}, {10, 4, 1}});
  RingType ring;
  g.FindRingNextToCursor(60, 15, ring);  // next to the shared bond, a little into ring B
  ASSERT_EQ(ring.RingSize, 6);
  std::vector<int> atoms(ring.AtList.Items.begin(), ring.AtList.Items.begin() + 6);
  std::sort(atoms.begin(), atoms.end());
  EXPECT_EQ(atoms, (std::vector<int>{3, 4, 7, 8, 9, 10}));
  g.FindRingNextToCursor(-5, 15, ring);  // nearest atom in one ring only
  atoms.assign(ring.AtList.Items.begin(), ring.AtList.Items.begin() + ring.RingSize);
  std::sort(atoms.begin(), atoms.end());
  EXPECT_EQ(atoms, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  Build(*g.Structure(), {{6, 0, 0}, {6, 10, 0}}, {{1, 2, 1}});
  g.FindRingNextToCursor(0, 0, ring);
  EXPECT_EQ(ring.RingSize, 0);
}

TEST(TChemGraph, FindsTheChainThroughThePoint) {
  TTestChemGraph g(nullptr);
  // a chain 5-4-3-2 hanging from ring atom 1 of a cyclopropane 1-6-7, the chain's free end on the left
  Build(*g.Structure(), {{6, 100, 0}, {6, 80, 0}, {6, 60, 0}, {6, 40, 0}, {6, 20, 0}, {6, 110, 10}, {6, 110, -10}},
        {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {1, 6, 1}, {6, 7, 1}, {7, 1, 1}});
  AtListType chain;
  EXPECT_EQ(g.FindChainNexttoCursor(58, 2, chain), 5);
  EXPECT_EQ(std::vector<int>(chain.AtList.Items.begin(), chain.AtList.Items.begin() + 5),
            (std::vector<int>{5, 4, 3, 2, 1}));
  // A ring of atoms with two connections each has no end: the walk stops back at its seed.
  Build(*g.Structure(), {{6, 0, 0}, {6, 10, 0}, {6, 5, 8}}, {{1, 2, 1}, {2, 3, 1}, {3, 1, 1}});
  EXPECT_EQ(g.FindChainNexttoCursor(0, 0, chain), 3);
  Build(*g.Structure(), {{6, 0, 0}}, {});
  EXPECT_EQ(g.FindChainNexttoCursor(0, 0, chain), 1);
}

TEST(TChemGraph, OptimizeMolShapeNeverLowersItsScore) {
  TTestChemGraph g(nullptr);
  Build(*g.Structure(), {{6, 0, 0}, {6, 5, 3}, {6, 9, 1}, {8, 4, 12}, {7, 20, 0}, {6, 14, 14}},
        {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {3, 5, 1}, {4, 6, 1}});
  for (uint32_t seed : {1u, 7u, 12345u}) {
    RandSeed = seed;
    const double before = g.ShapeScore(30);
    g.OptimizeMolShape(30);
    const double after = g.ShapeScore(30);
    EXPECT_GE(after, before) << seed;
  }
  // The same seed gives the same layout.
  TTestChemGraph a(nullptr), b(nullptr);
  a.Structure()->CopyFrom(*g.Structure());
  b.Structure()->CopyFrom(*g.Structure());
  RandSeed = 99;
  a.OptimizeMolShape(30);
  RandSeed = 99;
  b.OptimizeMolShape(30);
  EXPECT_EQ(a.Structure()->CompareWith(*b.Structure()), 0);
}
