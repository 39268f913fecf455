// Qelta_ChemGrph: the structure display's painting, fit, labels and bonds, mouse report, ring and chain pick and
// layout search.
//
// Label suffixes come from key = 10 x charge + the sum of the atom's bond types (an aromatic bond counts 4):
//   N, P   0 H3, 1 H2, 2 H, 3 -, 10 H4+, 11 H3+, 12 H2+, 13 H+, 14 +, -9 H-, -8 -, -7 -
//   O, S   1 H, 2 -, 11 H2+, 12 H+, -9 -, -8 -
//   others charge -1 "-", +1 "+"
// (a dash in the first two rows: no suffix; keys not listed give none).
// Bond ends at a label are pulled back along the bond to the border of a box around the atom: half-height
// u = font size div 2 + 1, half-width u per character of the label; the end at the drawing (lower-indexed) atom
// moves first, the other end is then taken on the line from the moved one.
// Layout score, to be maximised, over all atom pairs: a bonded pair -(d - D)^2 / 2 and, for every other neighbour
// n of either atom, -(distance from the other atom to n - 1.732 D)^2 / 2 (angles near 120 degrees); any other
// pair + d (distances in 3-D, D the ideal bond length).
// Deviations: ShowMoleculeInABox takes the box's width and height as their absolute values, so that a box given
// from its lower-left corner (larger y) is not drawn mirrored; SetVisAttrib keeps its value to bits 0..2 so that
// it cannot set "no colour of its own"; the chain walk stops when it comes back to its seed.

#include "Qelta_ChemGrph.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

#include "Encoding.h"
#include "Qelta_CData.h"
#include "Qelta_math1.h"
#include "Random.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr uint32_t kNoOwnColour = 0x80000000u, kColourBits = 0x3FFFFFFu, kVisualBits = 0x70000000u;
constexpr int kVisBold = 1, kVisInverse = 2, kVisItalic = 4;

struct TSuffix {
  int Key;
  const char16_t* Text;
};
constexpr TSuffix kNitrogenSuffixes[] = {{0, u"H3"},   {1, u"H2"},   {2, u"H"},  {10, u"H4+"}, {11, u"H3+"},
                                         {12, u"H2+"}, {13, u"H+"}, {14, u"+"}, {-9, u"H-"},  {-8, u"-"},
                                         {-7, u"-"}};
constexpr TSuffix kOxygenSuffixes[] = {{1, u"H"}, {11, u"H2+"}, {12, u"H+"}, {-9, u"-"}, {-8, u"-"}};

template <size_t N>
String Suffix(const TSuffix (&table)[N], int key) {
  for (const TSuffix& s : table)
    if (s.Key == key) return s.Text;
  return String();
}

// A screen coordinate: rounded half to even, kept inside the int range.
int Pixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::nearbyint(std::clamp(v, -1e9, 1e9)));
}

// Moves end (x, y) toward (ox, oy) along the line to the border of a box of half-width w and half-height h.
void PullBack(double& x, double& y, double ox, double oy, int w, int h) {
  const double dx = ox - x, dy = oy - y;
  if ((w == 0 && h == 0) || (dx == 0 && dy == 0)) return;
  if (std::fabs(dx) * h < std::fabs(dy) * w) {
    const double ny = y + Sign(dy) * h;
    x = std::nearbyint(x + dx * (ny - y) / dy);
    y = ny;
  } else {
    const double nx = x + Sign(dx) * w;
    y = std::nearbyint(y + dy * (nx - x) / dx);
    x = nx;
  }
}

}  // namespace

String mol_detail::AtomLabel(const TCTab& t, int AtIx) {
  if (AtIx < 1 || AtIx > t.NAtoms()) return String();
  const int Z = t.GetAtNum(AtIx), charge = t.GetCharge(AtIx);
  int bonds = 0;
  for (int k = 1; k <= t.GetNBonds(AtIx); ++k) bonds += t.GetTypConn(AtIx, k);
  const int key = 10 * charge + bonds;
  const String symbol = AnsiToString(CElemSymb(Z));
  if (Z == 7 || Z == 15) return symbol + Suffix(kNitrogenSuffixes, key);
  if (Z == 8 || Z == 16) return symbol + Suffix(kOxygenSuffixes, key);
  return symbol + (charge == -1 ? u"-" : charge == 1 ? u"+" : u"");
}

// [SECTION] construction and properties

TChemGraph::TChemGraph(TComponent* AOwner) : TGraphicControl(AOwner), FStructure(std::make_unique<TCTab>(nullptr)) {
  SetBounds(Left(), Top(), 300, 200);
  Font()->SetName(u"Courier New");
  Font()->SetSize(14);
  Font()->SetStyle({});
  FStructure->OnChange = [this](TObject*) { Paint(); };
  FSuppressPaint = false;
}

TChemGraph::~TChemGraph() = default;

void TChemGraph::SetColorBkg(TColor value) {
  if (value == FColorBakG) return;
  FColorBakG = value;
  Paint();
}

void TChemGraph::SetColorStructure(TColor value) {
  if (value == FMolColor) return;
  FMolColor = value;
  Paint();
}

void TChemGraph::SetColorScheme(TColorScheme value) {
  if (value == FColorScheme) return;
  FColorScheme = value;
  FColGrayLine = value == csBWG ? TColor(0x808080) : clBtnShadow;
  FColWhiteLine = value == csBWG ? clWhite : clBtnHighlight;
  Paint();
}

void TChemGraph::SetDisplayMode(TCGDispMode value) {
  if (value == FDispMode) return;
  FDispMode = value;
  Paint();
}

void TChemGraph::SetFrameStyle(TFrameStyle value) {
  if (value == FFrameStyle) return;
  FFrameStyle = value;
  Paint();
}

void TChemGraph::SetMaxBondLeng(int value) {
  if (value == FMaxBondLeng) return;
  FMaxBondLeng = value;
  Paint();
}

void TChemGraph::SetDrawUnscaled(bool value) {
  if (value == FDrawAsIs) return;
  FDrawAsIs = value;
  Paint();
}

void TChemGraph::SetSuppressPaint(bool value) {
  FSuppressPaint = value;
  if (!value) Paint();
}

void TChemGraph::SetAtColor(int AtIx, TColor Color) {
  if (AtIx < 1 || AtIx > FStructure->NAtoms()) return;
  CTElem rec = FStructure->GetAtomEntries(AtIx);
  rec.AtDispAtb = (rec.AtDispAtb & kVisualBits) | (static_cast<uint32_t>(Color) & kColourBits);
  FStructure->SetAtomEntries(AtIx, rec);
  Paint();
}

int TChemGraph::GetAtColor(int AtIx) const {
  return static_cast<int>(FStructure->GetAtomEntries(AtIx).AtDispAtb & kColourBits);
}

void TChemGraph::SetVisAttrib(int AtIx, int Value) {
  if (AtIx < 1 || AtIx > FStructure->NAtoms()) return;
  CTElem rec = FStructure->GetAtomEntries(AtIx);
  rec.AtDispAtb = (rec.AtDispAtb & ~kVisualBits) | ((static_cast<uint32_t>(Value) & 7u) << 28);
  FStructure->SetAtomEntries(AtIx, rec);
  Paint();
}

int TChemGraph::GetVisAttrib(int AtIx) const {
  return static_cast<int>((FStructure->GetAtomEntries(AtIx).AtDispAtb & kVisualBits) >> 28);
}

void TChemGraph::MoveOverStruct(int ClosestAtom, double Dist, TShiftState Shift, double rMousePosX,
                                double rMousePosY) {
  if (OnMoveOverStruct) OnMoveOverStruct(this, ClosestAtom, Dist, Shift, rMousePosX, rMousePosY);
}

void TChemGraph::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  const double scale = Scale() != 0 ? Scale() : 1;
  const double rx = (X - OffsetX()) / scale, ry = (Y - OffsetY()) / scale;
  int closest = 0;
  double dist = 0;
  FStructure->FindClosestAtom(rx, ry, 0, closest, dist);
  MoveOverStruct(closest, dist, Shift, rx, ry);
}

// [SECTION] painting

void TChemGraph::Fit(int W, int H, int cx, int cy, int maxBond, double& scale, double& xoff, double& yoff,
                     int& fontSize) const {
  double minX, minY, maxX, maxY, meanX, meanY;
  const double L = FStructure->CalcMolExtents(minX, minY, maxX, maxY, meanX, meanY);
  const double sx = maxX > minX ? W / (maxX - minX) : W, sy = maxY > minY ? H / (maxY - minY) : H;
  scale = std::min(sx, sy);
  if (maxBond > 0) scale = std::min(scale, L > 0 ? maxBond / L : maxBond);
  xoff = cx - scale * (minX + maxX) / 2;
  yoff = cy - scale * (minY + maxY) / 2;
  const int t = Pixel(scale * L / 5);
  fontSize = std::min(t >= 4 ? t + 4 : 8, 20);
}

void TChemGraph::DrawFrame(TCanvas* c, int W, int H) const {
  if (FFrameStyle == fsNone) return;
  c->Brush()->SetStyle(bsClear);
  if (FFrameStyle == fsSimple) {
    c->Pen()->SetColor(FColGrayLine);
    c->Rectangle(0, 0, W, H);
    return;
  }
  c->Pen()->SetColor(FFrameStyle == fsEmbossed ? FColWhiteLine : FColGrayLine);
  c->Rectangle(0, 0, W - 1, H - 1);
  TColor topLeft = FColWhiteLine, bottomRight = FColWhiteLine;
  if (FFrameStyle == fsLowered) topLeft = FColBlackLine;
  if (FFrameStyle == fsRaised) bottomRight = FColBlackLine;
  if (FFrameStyle == fsEmbossed) topLeft = bottomRight = FColGrayLine;
  c->Pen()->SetColor(topLeft);
  c->Polyline({Point(1, H - 3), Point(1, 1), Point(W - 2, 1)});
  c->Pen()->SetColor(bottomRight);
  c->Polyline({Point(1, H - 1), Point(W - 1, H - 1), Point(W - 1, 0)});
}

void TChemGraph::Paint() {
  if (FSuppressPaint || !Showing()) return;  // no window: nothing to draw on
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0 || int64_t{W} * H > (int64_t{1} << 26)) return;
  TBitmap bmp(W, H);
  TCanvas* c = bmp.Canvas();
  c->SetFont(Font());
  c->Brush()->SetColor(FColorBakG);
  c->FillRect(Rect(0, 0, W, H));
  c->Font()->SetColor(FMolColor);
  DrawFrame(c, W, H);
  if (FStructure->NAtoms() == 0) {
    const String text = u"no structure loaded";
    c->Brush()->SetStyle(bsClear);
    c->TextOut((W - c->TextWidth(text)) / 2 + 2, (H - c->TextHeight(text)) / 2, text);
  } else if (FDrawAsIs) {
    DrawMolRaw(FDispMode, 1, 0, 0, true, c);
  } else {
    double scale = 1, xoff = 0, yoff = 0;
    int size = 8;
    Fit(W - 16, H - 16, W / 2, H / 2, FMaxBondLeng, scale, xoff, yoff, size);
    c->Font()->SetSize(size);
    DrawMolRaw(FDispMode, scale, xoff, yoff, true, c);
  }
  Canvas()->Draw(0, 0, &bmp);
}

void TChemGraph::ShowMoleculeInABox(TCanvas* Canvas, TCGDispMode DispMode, int llx, int lly, int urx, int ury,
                                    int MaxBondLeng) {
  if (Canvas == nullptr) return;
  double scale = 1, xoff = 0, yoff = 0;
  int size = 8;
  Fit(std::abs(urx - llx), std::abs(ury - lly), (urx + llx) / 2, (ury + lly) / 2, MaxBondLeng, scale, xoff, yoff,
      size);
  Canvas->Font()->SetName(u"Courier New");
  Canvas->Font()->SetSize(size);
  DrawMolRaw(DispMode, scale, xoff, yoff, false, Canvas);
}

TPoint TChemGraph::ScreenOf(int AtIx) const {
  return Point(Pixel(FStructure->GetCoords(AtIx, 1) * Scale() + OffsetX()),
               Pixel(FStructure->GetCoords(AtIx, 2) * Scale() + OffsetY()));
}

bool TChemGraph::Labelled(TCGDispMode DispMode, int AtIx) const {
  const bool isolatedOrCharged = FStructure->GetNBonds(AtIx) == 0 || FStructure->GetCharge(AtIx) != 0;
  switch (DispMode) {
    case dmSkeleton: return isolatedOrCharged;
    case dmHeteroOnly: return isolatedOrCharged || FStructure->GetAtNum(AtIx) != 6;
    default: return true;
  }
}

int TChemGraph::LabelLength(TCGDispMode DispMode, int AtIx) const {
  if (DispMode == dmNumbers) return AtIx < 10 ? 1 : 2;
  return Length(mol_detail::AtomLabel(*FStructure, AtIx));
}

void TChemGraph::DrawMolRaw(TCGDispMode DispMode, double scale, double xoff, double yoff, bool Clip,
                            TCanvas* Canvas) {
  FTransForm[0] = scale, FTransForm[1] = xoff, FTransForm[2] = yoff;
  TPen pen;
  TBrush brush;
  TFont font;
  pen.Assign(Canvas->Pen());
  brush.Assign(Canvas->Brush());
  font.Assign(Canvas->Font());
  Canvas->Pen()->SetColor(FMolColor);
  Canvas->Pen()->SetMode(pmCopy);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->Font()->SetColor(FMolColor);
  FFontSize = Canvas->Font()->Size();
  const TCTab& t = *FStructure;
  for (int i = 1; i <= t.NAtoms(); ++i) {
    // In the skeleton a bond from a charged atom makes room for the labels the hetero-atom mode would draw.
    const TCGDispMode room = DispMode == dmSkeleton && Labelled(dmSkeleton, i) ? dmHeteroOnly : DispMode;
    for (int k = 1; k <= t.GetNBonds(i); ++k) {
      const int j = t.GetConnTo(i, k);
      if (j <= i || j > t.NAtoms()) continue;
      auto length = [&](int a) {
        const bool labelled = room == dmSkeleton ? t.GetCharge(a) != 0 : Labelled(room, a);
        return labelled ? LabelLength(room, a) : 0;
      };
      DrawConnection(Canvas, i, j, t.GetTypConn(i, k), length(i), length(j), Clip);
    }
  }
  for (int i = 1; i <= t.NAtoms(); ++i)
    if (Labelled(DispMode, i)) {
      const TPoint p = ScreenOf(i);
      DrawLabel(Canvas, i, DispMode == dmNumbers ? IntToStr(i) : mol_detail::AtomLabel(t, i), p.X, p.Y, Clip);
    }
  Canvas->Pen()->Assign(&pen);
  Canvas->Brush()->Assign(&brush);
  Canvas->Font()->Assign(&font);
}

void TChemGraph::DrawLabel(TCanvas* c, int AtIx, const String& text, int x, int y, bool Clip) const {
  if (Clip && !(FClipBounds[diLeft] + 40 < x && x < FClipBounds[diRight] - 40 && FClipBounds[diTop] + 40 < y &&
                y < FClipBounds[diBottom] - 40))
    return;
  const uint32_t display = FStructure->GetAtomEntries(AtIx).AtDispAtb;
  const TColor colour = (display & kNoOwnColour) != 0 ? FMolColor : static_cast<TColor>(display & kColourBits);
  const int visual = static_cast<int>((display & kVisualBits) >> 28);
  TFontStyles style;
  if (visual & kVisBold) style.Include(fsBold);
  if (visual & kVisItalic) style.Include(fsItalic);
  c->Font()->SetStyle(style);
  if (visual & kVisInverse) {
    c->Brush()->SetColor(colour);
    c->Brush()->SetStyle(bsSolid);
    c->Font()->SetColor(FColorBakG);
  } else {
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(colour);
  }
  c->TextOut(x - c->TextWidth(text) / 2, y - c->TextHeight(text) / 2, text);
}

void TChemGraph::DrawConnection(TCanvas* c, int a, int b, int type, int lenA, int lenB, bool Clip) const {
  const TPoint p = ScreenOf(a), q = ScreenOf(b);
  double x1 = p.X, y1 = p.Y, x2 = q.X, y2 = q.Y;
  const int u = FFontSize / 2 + 1;
  const int wA = lenA * u, hA = lenA > 0 ? u : 0, wB = lenB * u, hB = lenB > 0 ? u : 0;
  const double dx = x2 - x1, dy = y2 - y1;
  if (dx == 0) {
    y1 += Sign(dy) * hA, y2 -= Sign(dy) * hB;
  } else if (dy == 0) {
    x1 += Sign(dx) * wA, x2 -= Sign(dx) * wB;
  } else {
    PullBack(x1, y1, x2, y2, wA, hA);
    PullBack(x2, y2, x1, y1, wB, hB);
  }
  if (Clip) {
    auto keep = [&](double& x, double& y) {
      x = std::clamp<double>(x, FClipBounds[diLeft] + 4, std::max(FClipBounds[diLeft] + 4, FClipBounds[diRight] - 4));
      y = std::clamp<double>(y, FClipBounds[diTop] + 4, std::max(FClipBounds[diTop] + 4, FClipBounds[diBottom] - 4));
    };
    keep(x1, y1);
    keep(x2, y2);
  }
  auto line = [&](int ox, int oy) {
    c->MoveTo(Pixel(x1) + ox, Pixel(y1) + oy);
    c->LineTo(Pixel(x2) + ox, Pixel(y2) + oy);
  };
  const double len = std::hypot(x2 - x1, y2 - y1);
  const double nx = len > 0 ? -(y2 - y1) / len : 0, ny = len > 0 ? (x2 - x1) / len : 0;
  switch (type) {
    case 1: line(0, 0); break;
    case 2:
      line(Pixel(1.65 * nx), Pixel(1.65 * ny));
      line(-Pixel(1.65 * nx), -Pixel(1.65 * ny));
      break;
    case 3:
      line(0, 0);
      line(Pixel(3 * nx), Pixel(3 * ny));
      line(-Pixel(3 * nx), -Pixel(3 * ny));
      break;
    case 4:
      c->Pen()->SetWidth(1);
      c->Pen()->SetStyle(psDash);
      line(0, 0);
      c->Pen()->SetStyle(psSolid);
      break;
    default: break;
  }
}

// [SECTION] ring and chain pick

void TChemGraph::FindRingNextToCursor(float x, float y, RingType& Ring) {
  Ring = RingType{};
  const TCTab& t = *FStructure;
  const int n = t.NAtoms();
  if (n < 1) return;
  double dist[6];
  int32_t atoms[6] = {};
  std::fill(dist, dist + 6, std::numeric_limits<double>::max());
  for (int i = 1; i <= n; ++i) {
    const double d = std::pow(t.GetCoords(i, 1) - x, 2) + std::pow(t.GetCoords(i, 2) - y, 2);
    if (const int pos = SortIntoArray(std::span<double>(dist), 5, d, true, true); pos >= 0)
      InsertIntoArray(std::span<int32_t>(atoms), 5, i, pos);
  }
  auto rings = std::make_unique<RingListType>(), all = std::make_unique<RingListType>();
  const int found = FStructure->FindShortestRings(static_cast<uint16_t>(atoms[0]), *rings);
  if (found < 2) {
    if (found == 1) Ring = rings->RList[1];
    return;
  }
  for (int a = 0; a < 6 && atoms[a] != 0; ++a)
    for (int r = 1, m = FStructure->FindShortestRings(static_cast<uint16_t>(atoms[a]), *rings); r <= m; ++r)
      if (all->NrOfRings < MaxRings && !RingInRingList(rings->RList[r], *all)) all->RList[++all->NrOfRings] = rings->RList[r];
  double best = std::numeric_limits<double>::max();
  for (int r = 1; r <= all->NrOfRings; ++r) {
    double sum = 0;
    for (int k = 1; k <= all->RList[r].RingSize; ++k) {
      const int a = all->RList[r].AtList[k];
      sum += std::fabs(t.GetCoords(a, 1) - x) + std::fabs(t.GetCoords(a, 2) - y);
    }
    if (sum < best) best = sum, Ring = all->RList[r];
  }
}

// Appends the atoms from `first` on, walking away from seed through atoms of two connections; stops after an
// atom that has another number of connections, or when it is back at the seed.
void TChemGraph::WalkChain(int seed, int first, AtListType& list) const {
  const TCTab& t = *FStructure;
  for (int prev = seed, cur = first; cur != seed && list.NrAtoms < MaxAtoms;) {
    list.AtList[++list.NrAtoms] = cur;
    if (t.GetNBonds(cur) != 2) return;
    int next = 0;
    for (int k = 1; k <= 2 && next == 0; ++k)
      if (const int nb = t.GetConnTo(cur, k); nb != prev && nb >= 1 && nb <= t.NAtoms()) next = nb;
    if (next == 0) return;
    prev = cur, cur = next;
  }
}

int TChemGraph::FindChainNexttoCursor(float x, float y, AtListType& ChainAtoms) {
  ChainAtoms = AtListType{};
  const TCTab& t = *FStructure;
  int seed = 0;
  double best = std::numeric_limits<double>::max();
  for (int i = 1; i <= t.NAtoms(); ++i) {
    const double d = std::pow(t.GetCoords(i, 1) - x, 2) + std::pow(t.GetCoords(i, 2) - y, 2);
    if (t.GetNBonds(i) <= 2 && d < best) best = d, seed = i;
  }
  if (seed == 0) return 0;
  AtListType one, two;
  const int n1 = t.GetConnTo(seed, 1), n2 = t.GetConnTo(seed, 2);
  if (n1 >= 1 && n1 <= t.NAtoms()) WalkChain(seed, n1, one);
  const bool closed = one.NrAtoms > 0 && t.GetNBonds(one.AtList[one.NrAtoms]) == 2;
  if (!closed && n2 >= 1 && n2 <= t.NAtoms()) WalkChain(seed, n2, two);
  std::vector<int> chain;
  for (int k = one.NrAtoms; k >= 1; --k) chain.push_back(one.AtList[k]);
  chain.push_back(seed);
  for (int k = 1; k <= two.NrAtoms; ++k) chain.push_back(two.AtList[k]);
  if (t.GetCoords(chain.back(), 1) < t.GetCoords(chain.front(), 1)) std::reverse(chain.begin(), chain.end());
  for (size_t k = 0; k < chain.size() && k < size_t(MaxAtoms); ++k) ChainAtoms.AtList[++ChainAtoms.NrAtoms] = chain[k];
  return ChainAtoms.NrAtoms;
}

// [SECTION] layout search

double TChemGraph::ShapeScore(int IdealDist) const {
  // The coordinates and neighbour lists are taken once; the sum runs in the order of the pairs.
  const TCTab& t = *FStructure;
  const int n = t.NAtoms();
  double x[MaxAtoms + 1], y[MaxAtoms + 1], z[MaxAtoms + 1];
  int degree[MaxAtoms + 1] = {}, nb[MaxAtoms + 1][MaxConn];
  uint64_t bonded[MaxAtoms + 1] = {};  // bit j: bonded to j, from either end
  for (int i = 1; i <= n; ++i) {
    x[i] = t.GetCoords(i, 1), y[i] = t.GetCoords(i, 2), z[i] = t.GetCoords(i, 3);
    for (int k = 1; k <= t.GetNBonds(i); ++k)
      if (const int j = t.GetConnTo(i, k); j >= 1 && j <= n) {
        nb[i][degree[i]++] = j;
        bonded[i] |= uint64_t{1} << j;
        bonded[j] |= uint64_t{1} << i;
      }
  }
  auto dist = [&](int a, int b) {
    const double dx = x[a] - x[b], dy = y[a] - y[b], dz = z[a] - z[b];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
  };
  double score = 0;
  auto angleTerms = [&](int centre, int other) {
    for (int k = 0; k < degree[centre]; ++k)
      if (nb[centre][k] != other) {
        const double e = dist(other, nb[centre][k]) - 1.732 * IdealDist;
        score -= e * e / 2;
      }
  };
  for (int i = 1; i <= n; ++i)
    for (int j = i + 1; j <= n; ++j) {
      const double d = dist(i, j);
      if (((bonded[i] >> j) & 1) == 0) {
        score += d;
        continue;
      }
      score -= (d - IdealDist) * (d - IdealDist) / 2;
      angleTerms(i, j);
      angleTerms(j, i);
    }
  return score;
}

// One random atom moved by factor x a random whole amount in -IdealDist..IdealDist - 1 in x and in y.
void TChemGraph::MoveRandomAtom(double factor, int IdealDist) {
  const int a = Random(FStructure->NAtoms()) + 1;
  const double dx = factor * (Random(2 * IdealDist) - IdealDist);
  const double dy = factor * (Random(2 * IdealDist) - IdealDist);
  FStructure->SetCoords(a, 1, static_cast<float>(FStructure->GetCoords(a, 1) + dx));
  FStructure->SetCoords(a, 2, static_cast<float>(FStructure->GetCoords(a, 2) + dy));
}

void TChemGraph::OptimizeMolShape(int IdealDist) {
  const int n = FStructure->NAtoms();
  if (n < 1) return;
  TCTab backup(nullptr);
  backup.CopyFrom(*FStructure);
  double best = ShapeScore(IdealDist);
  for (int i = 1; i <= 100 * n; ++i) {
    const double g = (110 - i) / 100.0;
    MoveRandomAtom(g, IdealDist);
    if (i % 2 == 0) MoveRandomAtom(g, IdealDist);
    const double score = ShapeScore(IdealDist);
    if (score >= best) {
      best = score;
      backup.CopyFrom(*FStructure);
    } else {
      FStructure->CopyFrom(backup);
    }
  }
}

}  // namespace qelta
