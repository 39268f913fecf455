// TCanvas: surface, origin and clip; lines, shapes, pixels, flood fill and copies.
//
// Every call turns logical coordinates into 64-bit device coordinates (logical + origin) and hands them
// to the rasteriser (GraphicsRaster.cpp). The classic raster rules it keeps:
// - a one-pixel line leaves out its last pixel; consecutive LineTo calls continue the dash pattern;
// - dashed one-pixel pens paint their gaps in the brush colour when the brush is solid (opaque
//   background) and leave them alone otherwise;
// - box shapes cover [x1, x2) x [y1, y2); with a clear pen the fill stops one pixel short on the right
//   and bottom, because the missing outline would have covered those pixels;
// - shape fills go through the pen mix like the outline; FillRect, FrameRect and FloodFill copy;
// - arcs run counter-clockwise on screen from the start ray to the end ray, equal rays give the whole
//   ellipse.
// Text lives in CanvasText.cpp.

#include <cmath>
#include <numbers>

#include "ColorRects.h"
#include "DirectPaths.h"
#include "Graphics.h"
#include "GraphicsRaster.h"
#include "Math.h"

namespace qelta {

using platform_detail::P64;
using platform_detail::PD;

// Reaches the canvas internals for the helpers below.
struct CanvasAccess {
  static platform_detail::IRect Clip(const TCanvas& c) {
    return {c.FClip.Left, c.FClip.Top, c.FClip.Right, c.FClip.Bottom};
  }
  static int64_t& Phase(TCanvas& c) { return c.FDashPhase; }
};

namespace {

__extension__ typedef __int128 i128;
constexpr double kTwoPi = 2 * std::numbers::pi;

platform_detail::Raster MakeRaster(const TCanvas& c) {
  platform_detail::IRect clip = CanvasAccess::Clip(c);
  if (c.Surface().Pixels == nullptr) clip = {};
  platform_detail::Raster r(c.Surface(), clip);
  r.PatternOrigin = {c.Origin().X, c.Origin().Y};
  return r;
}

P64 Dev(const TCanvas& c, int x, int y) { return P64{int64_t(x) + c.Origin().X, int64_t(y) + c.Origin().Y}; }

bool PenVisible(const TCanvas& c) { return c.Pen()->Style() != psClear; }
int PenWidth(const TCanvas& c) { return std::max(1, c.Pen()->Width()); }
bool Cosmetic(const TCanvas& c) { return PenWidth(c) <= 1; }

platform_detail::Ink PenInk(const TCanvas& c) { return {platform_detail::ColorToPixel(c.Pen()->Color()), c.Pen()->Mode(), bsSolid}; }

// Brush ink; shape fills mix like the pen, FillRect and the like copy.
platform_detail::Ink BrushInk(const TCanvas& c, bool mixed) {
  const TBrushStyle s = c.Brush()->Style();
  return {platform_detail::ColorToPixel(c.Brush()->Color()), mixed ? c.Pen()->Mode() : pmCopy, s == bsSolid ? bsSolid : s};
}

bool Fills(const TCanvas& c) { return c.Brush()->Style() != bsClear; }

// One-pixel pen with its dashes; the gap ink (opaque background) is stored in `gap`.
platform_detail::CosmeticPen MakeCosmetic(const TCanvas& c, platform_detail::Ink& gap) {
  platform_detail::CosmeticPen pen{PenInk(c), nullptr, platform_detail::DashFor(c.Pen()->Style())};
  if (pen.Dash != nullptr && c.Brush()->Style() == bsSolid) {
    gap = {platform_detail::ColorToPixel(c.Brush()->Color()), c.Pen()->Mode(), bsSolid};
    pen.Gap = &gap;
  }
  return pen;
}

std::vector<PD> ToPD(const std::vector<P64>& pts) {
  std::vector<PD> path;
  path.reserve(pts.size());
  for (const P64& p : pts) path.push_back({double(p.X), double(p.Y)});
  return path;
}

// Outline through the points with the pen: one-pixel segments without their end points (the last
// point of an open outline painted when lastPoint), or a wide stroke.
void Stroke(TCanvas& c, const std::vector<P64>& pts, bool closed, int64_t& phase, bool lastPoint = false) {
  if (!PenVisible(c) || pts.empty()) return;
  platform_detail::Raster r = MakeRaster(c);
  if (!Cosmetic(c)) return platform_detail::WideStroke(r, ToPD(pts), closed, PenWidth(c), PenInk(c));
  platform_detail::Ink gap;
  const platform_detail::CosmeticPen pen = MakeCosmetic(c, gap);
  for (size_t i = 0; i + 1 < pts.size(); ++i)
    platform_detail::CosmeticLine(r, pts[i], pts[i + 1], pen, phase, lastPoint && !closed && i + 2 == pts.size());
  if (closed && pts.size() > 1) platform_detail::CosmeticLine(r, pts.back(), pts.front(), pen, phase, false);
}

std::vector<P64> DevPoints(const TCanvas& c, std::span<const TPoint> points) {
  std::vector<P64> pts;
  pts.reserve(points.size());
  for (const TPoint& p : points) pts.push_back(Dev(c, p.X, p.Y));
  return pts;
}

std::vector<int64_t> Flatten(std::span<const TPoint> points) {
  std::vector<int64_t> args;
  for (const TPoint& p : points) {
    args.push_back(p.X);
    args.push_back(p.Y);
  }
  return args;
}

// Ordered device box of two corners.
platform_detail::RoundBox DevBox(const TCanvas& c, int x1, int y1, int x2, int y2) {
  const P64 a = Dev(c, std::min(x1, x2), std::min(y1, y2)), b = Dev(c, std::max(x1, x2), std::max(y1, y2));
  return platform_detail::RoundBox{a.X, a.Y, b.X, b.Y, 0, 0};
}

platform_detail::RoundBox Ellipsed(platform_detail::RoundBox b) {
  b.Rx = (b.X2 - b.X1) / 2.0;
  b.Ry = (b.Y2 - b.Y1) / 2.0;
  return b;
}

// The box a wide psInsideFrame pen strokes so that the stroke stays inside the original box.
platform_detail::RoundBox InsideFrame(const TCanvas& c, platform_detail::RoundBox b) {
  if (c.Pen()->Style() != psInsideFrame || Cosmetic(c)) return b;
  const int w = PenWidth(c);
  b.X1 += w / 2;
  b.Y1 += w / 2;
  b.X2 -= (w - 1) / 2;
  b.Y2 -= (w - 1) / 2;
  b.Rx = std::min(b.Rx, (b.X2 - b.X1) / 2.0);
  b.Ry = std::min(b.Ry, (b.Y2 - b.Y1) / 2.0);
  return b;
}

struct ArcGeom;

// Which pixels of the box an arc shape keeps: every pixel, the arc's sweep, the pie's sector or the
// chord's side (tested per pixel only when not every pixel is kept).
struct PixelFilter {
  enum TKind { kAll, kSweep, kPie, kChord };
  TKind Kind = kAll;
  const ArcGeom* Geom = nullptr;
  bool All() const { return Kind == kAll; }
  bool operator()(int64_t x, int64_t y) const;
  /// Kept runs [first, second) of one row, in order and apart.
  struct Runs {
    int Count = 0;
    std::pair<int64_t, int64_t> Run[2];
  };
  /// The kept pixels of row y within [x0, x1) as runs, where the test is linear along the row (a
  /// pie's sector, a chord's side); false where it must be made pixel by pixel.
  bool RowRuns(int64_t y, int64_t x0, int64_t x1, Runs& out) const;
};

// Fills the shape with the brush: the interior when the pen draws, otherwise the shape one pixel smaller
// on the right and bottom.
void FillBox(TCanvas& c, const platform_detail::RoundBox& box, const PixelFilter& keep) {
  if (!Fills(c)) return;
  platform_detail::Raster r = MakeRaster(c);
  const platform_detail::Ink ink = BrushInk(c, true);
  auto paint = [&](int64_t y, int64_t x0, int64_t x1) {
    if (keep.All()) return r.Span(y, x0, x1, ink);
    PixelFilter::Runs runs;
    if (platform_detail::DirectPaths() && keep.RowRuns(y, x0, x1, runs)) {
      for (int i = 0; i < runs.Count; ++i) r.Span(y, runs.Run[i].first, runs.Run[i].second, ink);
      return;
    }
    for (int64_t x = x0; x < x1; ++x)
      if (keep(x, y)) r.Pixel(x, y, ink);
  };
  if (PenVisible(c)) return platform_detail::ForEachInteriorRun(r, box, paint);
  platform_detail::RoundBox small = box;
  small.X2 -= 1;
  small.Y2 -= 1;
  small.Rx = std::min(small.Rx, (small.X2 - small.X1) / 2.0);
  small.Ry = std::min(small.Ry, (small.Y2 - small.Y1) / 2.0);
  const int64_t y0 = std::max<int64_t>(small.Y1, r.Clip.T), y1 = std::min<int64_t>(small.Y2, r.Clip.B);
  for (int64_t y = y0; y < y1; ++y) {
    int64_t xl, xr;
    if (small.Row(y, xl, xr)) paint(y, std::max<int64_t>(xl, r.Clip.L), std::min<int64_t>(xr + 1, r.Clip.R));
  }
}

double AngleAt(PD centre, double x, double y) { return std::atan2(-(y - centre.Y), x - centre.X); }

// One-pixel outline of the shape; dashed pens walk the outline pixels in angle order from `start`.
void OutlineBox(TCanvas& c, const platform_detail::RoundBox& box, const PixelFilter& keep, double start, int64_t& phase) {
  platform_detail::Raster r = MakeRaster(c);
  platform_detail::Ink gap;
  const platform_detail::CosmeticPen pen = MakeCosmetic(c, gap);
  if (pen.Dash == nullptr) {
    platform_detail::ForEachOutlineRun(r, box, [&](int64_t y, int64_t x0, int64_t x1) {
      if (keep.All()) return r.Span(y, x0, x1, pen.On);
      for (int64_t x = x0; x < x1; ++x)
        if (keep(x, y)) r.Pixel(x, y, pen.On);
    });
    return;
  }
  std::vector<std::pair<double, P64>> pixels;
  const PD centre = box.Centre();
  platform_detail::ForEachOutlineRun(r, box, [&](int64_t y, int64_t x0, int64_t x1) {
    for (int64_t x = x0; x < x1; ++x)
      if (keep.All() || keep(x, y)) pixels.push_back({std::fmod(AngleAt(centre, x, y) - start + 2 * kTwoPi, kTwoPi), {x, y}});
  });
  std::sort(pixels.begin(), pixels.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [angle, p] : pixels) {
    const platform_detail::Ink* ink = pen.Dash->On(phase++) ? &pen.On : pen.Gap;
    if (ink != nullptr) r.Pixel(p.X, p.Y, *ink);
  }
}

// Outline of a box shape with the pen (one-pixel or wide).
void OutlineShape(TCanvas& c, const platform_detail::RoundBox& box) {
  if (!PenVisible(c)) return;
  int64_t phase = 0;
  if (Cosmetic(c)) return OutlineBox(c, box, {}, 0, phase);
  platform_detail::Raster r = MakeRaster(c);
  platform_detail::WideStroke(r, InsideFrame(c, box).Path(), true, PenWidth(c), PenInk(c));
}

bool SolidCosmetic(const TCanvas& c) { return PenVisible(c) && Cosmetic(c) && platform_detail::DashFor(c.Pen()->Style()) == nullptr; }

// A rounded box with a solid one-pixel pen: fill and outline in one walk over the rows (the two
// never share a pixel), each row's extent computed once, runs painted as spans.
void FillAndOutline(TCanvas& c, const platform_detail::RoundBox& box) {
  platform_detail::Raster r = MakeRaster(c);
  const platform_detail::Ink pen = PenInk(c);
  const bool fills = Fills(c);
  const platform_detail::Ink brush = fills ? BrushInk(c, true) : platform_detail::Ink{};
  platform_detail::ForEachOutlineAndInteriorRun(
      r, box, [&](int64_t y, int64_t x0, int64_t x1) { r.Span(y, x0, x1, pen); },
      [&](int64_t y, int64_t x0, int64_t x1) {
        if (fills) r.Span(y, x0, x1, brush);
      });
}

// A box shape (rounded rectangle, ellipse): fill, then outline.
void DrawBoxShape(TCanvas& c, const platform_detail::RoundBox& box) {
  if (platform_detail::DirectPaths() && SolidCosmetic(c)) return FillAndOutline(c, box);
  FillBox(c, box, {});
  OutlineShape(c, box);
}

// A rectangle with a clear or solid one-pixel pen: the fill as one block (inside the outline, or one
// pixel short on the right and bottom without a pen), the outline as two rows and two columns.
void PlainRectangle(TCanvas& c, const platform_detail::RoundBox& b) {
  platform_detail::Raster r = MakeRaster(c);
  const bool pen = PenVisible(c);
  const int64_t inset = pen ? 1 : 0;
  if (Fills(c)) r.Block(b.X1 + inset, b.Y1 + inset, b.X2 - 1, b.Y2 - 1, BrushInk(c, true));
  if (!pen || b.X1 >= b.X2 || b.Y1 >= b.Y2) return;
  const platform_detail::Ink ink = PenInk(c);
  r.Span(b.Y1, b.X1, b.X2, ink);
  if (b.Y2 - 1 > b.Y1) r.Span(b.Y2 - 1, b.X1, b.X2, ink);
  r.Block(b.X1, b.Y1 + 1, b.X1 + 1, b.Y2 - 1, ink);
  if (b.X2 - 1 > b.X1) r.Block(b.X2 - 1, b.Y1 + 1, b.X2, b.Y2 - 1, ink);
}

// [SECTION] Arcs
//
// Geometry of the arc shapes. Pixel (x, y) covers the unit square from the lattice point (x, y), so
// the box's centre is the lattice point ((X1 + X2) / 2, (Y1 + Y2) / 2) and the rays run from there
// through the given lattice points: rays through opposite corners of the box are opposite, and a
// pie between them is half the ellipse, as its chord is. Pixels are tested at their centres. The
// pie's two radii meet in one apex pixel, the pixel at the box's centre (the one right and below it
// when the centre falls between pixels); its fill is the sector between those two radii, so the
// fill never leaves the outline. Opposite rays make the radii one straight line: that pie is drawn
// as the chord between the same rays.

struct ArcGeom {
  platform_detail::RoundBox Box;
  PD Centre;            // the box's centre in pixel coordinates (pixel x has its centre at x)
  double A = 0, B = 0;  // radii of the path through the outline pixel centres
  double Start = 0, Sweep = kTwoPi;
  P64 Apex;             // the pie's apex pixel
  P64 StartEnd, EndEnd;  // the pixels where the radii and the chord meet the outline
  bool Opposite = false;  // the rays are opposite: the pie's radii make one straight line
};

// How the two rays lie (exact integer test on doubled coordinates): +1 one ray (the whole ellipse),
// -1 opposite rays (a pie between them is the chord's half), 0 otherwise.
int RayPair(const platform_detail::RoundBox& b, P64 p3, P64 p4) {
  const i128 cx = b.X1 + b.X2, cy = b.Y1 + b.Y2;
  const i128 ux = 2 * i128(p3.X) - cx, uy = 2 * i128(p3.Y) - cy, vx = 2 * i128(p4.X) - cx, vy = 2 * i128(p4.Y) - cy;
  const bool uz = ux == 0 && uy == 0, vz = vx == 0 && vy == 0;
  if (uz || vz) return uz == vz ? 1 : 0;
  if (ux * vy - uy * vx != 0) return 0;
  return ux * vx + uy * vy > 0 ? 1 : -1;
}

// The point of the outline path on the ray at `angle`.
PD PathPoint(const ArcGeom& g, double angle) {
  const double cs = std::cos(angle), sn = std::sin(angle);
  if (g.A <= 0 || g.B <= 0) return g.Centre;
  const double t = 1.0 / std::sqrt((cs / g.A) * (cs / g.A) + (sn / g.B) * (sn / g.B));
  return {g.Centre.X + t * cs, g.Centre.Y - t * sn};
}

P64 Rounded(PD p) { return {static_cast<int64_t>(std::nearbyint(p.X)), static_cast<int64_t>(std::nearbyint(p.Y))}; }

int64_t FloorHalf(int64_t v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

ArcGeom MakeArc(const TCanvas& c, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  ArcGeom g;
  g.Box = Ellipsed(DevBox(c, x1, y1, x2, y2));
  g.Centre = g.Box.Centre();
  g.A = std::max(0.0, (g.Box.X2 - g.Box.X1 - 1) / 2.0);
  g.B = std::max(0.0, (g.Box.Y2 - g.Box.Y1 - 1) / 2.0);
  const P64 p3 = Dev(c, x3, y3), p4 = Dev(c, x4, y4);
  g.Start = AngleAt(g.Centre, double(p3.X) - 0.5, double(p3.Y) - 0.5);  // the lattice point in pixel coordinates
  const int rays = RayPair(g.Box, p3, p4);
  g.Opposite = rays < 0;
  if (rays <= 0) {
    const double end = AngleAt(g.Centre, double(p4.X) - 0.5, double(p4.Y) - 0.5);
    g.Sweep = std::fmod(end - g.Start + 2 * kTwoPi, kTwoPi);
  }
  g.Apex = {FloorHalf(g.Box.X1 + g.Box.X2), FloorHalf(g.Box.Y1 + g.Box.Y2)};
  g.StartEnd = Rounded(PathPoint(g, g.Start));
  g.EndEnd = Rounded(PathPoint(g, g.Start + g.Sweep));
  return g;
}

bool InSweep(const ArcGeom& g, double x, double y) {
  if (g.Sweep >= kTwoPi) return true;
  const double rel = std::fmod(AngleAt(g.Centre, x, y) - g.Start + 2 * kTwoPi, kTwoPi);
  return rel <= g.Sweep + 1e-12;
}

// Cross product of (a - o) and (b - o) with y pointing up: > 0 when b lies counter-clockwise of a.
i128 Turn(P64 o, P64 a, P64 b) {
  return i128(a.X - o.X) * i128(o.Y - b.Y) - i128(o.Y - a.Y) * i128(b.X - o.X);
}

// The closed sector of the pie from the radius apex -> StartEnd counter-clockwise to apex -> EndEnd,
// in exact integer arithmetic; the centre-angle test where a radius has no length.
bool InPieSector(const ArcGeom& g, P64 p) {
  const P64 a = g.Apex, s = g.StartEnd, e = g.EndEnd;
  if (g.Sweep >= kTwoPi || (p.X == a.X && p.Y == a.Y)) return true;
  if ((s.X == a.X && s.Y == a.Y) || (e.X == a.X && e.Y == a.Y)) return InSweep(g, double(p.X), double(p.Y));
  const i128 se = Turn(a, s, e), sp = Turn(a, s, p), pe = Turn(a, p, e);
  if (se > 0) return sp >= 0 && pe >= 0;
  if (se < 0) return sp >= 0 || pe >= 0;
  const bool sameDirection = i128(s.X - a.X) * (e.X - a.X) + i128(s.Y - a.Y) * (e.Y - a.Y) > 0;
  if (!sameDirection) return sp >= 0;  // a half plane
  return g.Sweep > kTwoPi / 2 || (sp == 0 && i128(s.X - a.X) * (p.X - a.X) + i128(s.Y - a.Y) * (p.Y - a.Y) >= 0);
}

std::vector<PD> ArcPath(const ArcGeom& g) {
  const int k = std::clamp(static_cast<int>(std::ceil(g.Sweep * std::sqrt(std::max(g.A, g.B)) * 2)), 8, 2048);
  std::vector<PD> path;
  for (int i = 0; i <= k; ++i) path.push_back(PathPoint(g, g.Start + g.Sweep * i / k));
  return path;
}

enum class ArcKind { Arc, Pie, Chord };

// Keeps the pixels of the shape: the sector of the pie, the segment cut off by the chord (the closed
// side of the line its outline draws), the arc's sweep.
PixelFilter ShapeFilter(const ArcGeom& g, ArcKind kind) {
  if (g.Sweep >= kTwoPi) return {};
  if (kind == ArcKind::Pie) return {PixelFilter::kPie, &g};
  if (kind == ArcKind::Arc) return {PixelFilter::kSweep, &g};
  return {PixelFilter::kChord, &g};
}

bool PixelFilter::operator()(int64_t x, int64_t y) const {
  switch (Kind) {
    case kSweep: return InSweep(*Geom, double(x), double(y));
    case kPie: return InPieSector(*Geom, P64{x, y});
    case kChord: return Turn(Geom->StartEnd, Geom->EndEnd, P64{x, y}) <= 0;
    default: return true;
  }
}

// [direct path] Along a row the sector and chord tests are linear in x, f(x) = a x + b, so each of
// their bounds is one exact division.

i128 FloorDiv(i128 n, i128 d) {  // d > 0
  const i128 q = n / d;
  return n % d != 0 && n < 0 ? q - 1 : q;
}

int64_t ClampTo(i128 v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : int64_t(v); }

// The x in [x0, x1) where a x + b >= 0: one run, empty when first >= second.
std::pair<int64_t, int64_t> NonNegativeRun(i128 a, i128 b, int64_t x0, int64_t x1) {
  if (a == 0) return b >= 0 ? std::pair{x0, x1} : std::pair{x0, x0};
  if (a > 0) return {ClampTo(-FloorDiv(b, a), x0, x1), x1};  // x >= ceil(-b / a)
  return {x0, ClampTo(FloorDiv(b, -a) + 1, x0, x1)};          // x <= floor(b / -a)
}

// The run where the linear function f of x (on this row) is >= 0.
template <class F>
std::pair<int64_t, int64_t> RunOf(F f, int64_t x0, int64_t x1) {
  const i128 b = f(0);
  return NonNegativeRun(f(1) - b, b, x0, x1);
}

void AddRun(PixelFilter::Runs& out, std::pair<int64_t, int64_t> run) {
  if (run.first < run.second) out.Run[out.Count++] = run;
}

// Both runs, or their union, in order and apart.
PixelFilter::Runs Joined(std::pair<int64_t, int64_t> u, std::pair<int64_t, int64_t> v, bool both) {
  PixelFilter::Runs out;
  if (both) {
    AddRun(out, {std::max(u.first, v.first), std::min(u.second, v.second)});
    return out;
  }
  if (u.first >= u.second) std::swap(u, v);
  if (v.first >= v.second) return AddRun(out, u), out;
  if (v.first < u.first) std::swap(u, v);
  if (v.first <= u.second) return AddRun(out, {u.first, std::max(u.second, v.second)}), out;
  AddRun(out, u);
  AddRun(out, v);
  return out;
}

bool PixelFilter::RowRuns(int64_t y, int64_t x0, int64_t x1, Runs& out) const {
  const ArcGeom& g = *Geom;
  const P64 a = g.Apex, s = g.StartEnd, e = g.EndEnd;
  if (Kind == kChord) {
    out = Joined(RunOf([&](int64_t x) { return -Turn(s, e, P64{x, y}); }, x0, x1), {x0, x0}, false);
    return true;
  }
  if (Kind != kPie || (s.X == a.X && s.Y == a.Y) || (e.X == a.X && e.Y == a.Y)) return false;
  const i128 se = Turn(a, s, e);
  const auto sp = RunOf([&](int64_t x) { return Turn(a, s, P64{x, y}); }, x0, x1);
  const auto pe = RunOf([&](int64_t x) { return Turn(a, P64{x, y}, e); }, x0, x1);
  if (se != 0) {
    out = Joined(sp, pe, se > 0);
    return true;
  }
  if (i128(s.X - a.X) * (e.X - a.X) + i128(s.Y - a.Y) * (e.Y - a.Y) > 0) return false;  // one ray
  out = Joined(sp, {x0, x0}, false);  // a half plane
  return true;
}

void DrawArcShape(TCanvas& c, const ArcGeom& g, ArcKind kind) {
  if (kind == ArcKind::Pie && g.Opposite) kind = ArcKind::Chord;  // its radii are the chord
  if (kind != ArcKind::Arc) FillBox(c, g.Box, ShapeFilter(g, kind));
  if (!PenVisible(c)) return;
  const bool whole = g.Sweep >= kTwoPi;
  if (!Cosmetic(c)) {
    std::vector<PD> path = ArcPath(g);
    if (kind == ArcKind::Pie && !whole) path.push_back({double(g.Apex.X), double(g.Apex.Y)});
    platform_detail::Raster r = MakeRaster(c);
    return platform_detail::WideStroke(r, path, kind != ArcKind::Arc, PenWidth(c), PenInk(c));
  }
  int64_t phase = 0;
  const PixelFilter ring = ShapeFilter(g, kind == ArcKind::Pie ? ArcKind::Pie : ArcKind::Arc);
  OutlineBox(c, g.Box, ring, g.Start, phase);
  if (kind == ArcKind::Arc || whole) return;
  std::vector<P64> lines{g.EndEnd};
  if (kind == ArcKind::Pie) lines.push_back(g.Apex);
  lines.push_back(g.StartEnd);
  Stroke(c, lines, false, phase, true);  // the figure is closed: its joints with the arc are painted
}

// [SECTION] Curves

std::vector<P64> FlattenBeziers(const std::vector<P64>& p) {
  std::vector<P64> out{p[0]};
  for (size_t i = 0; i + 3 < p.size(); i += 3) {
    double len = 0;
    for (int k = 0; k < 3; ++k) len += std::hypot(double(p[i + k + 1].X - p[i + k].X), double(p[i + k + 1].Y - p[i + k].Y));
    const int n = std::clamp(static_cast<int>(len / 2), 4, 512);
    for (int k = 1; k <= n; ++k) {
      const double t = double(k) / n, u = 1 - t;
      const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
      const double x = w0 * p[i].X + w1 * p[i + 1].X + w2 * p[i + 2].X + w3 * p[i + 3].X;
      const double y = w0 * p[i].Y + w1 * p[i + 1].Y + w2 * p[i + 2].Y + w3 * p[i + 3].Y;
      out.push_back(Rounded({x, y}));
    }
  }
  return out;
}

}  // namespace

// [SECTION] Construction, surface, clip

TCanvas::TCanvas() : FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()), FFont(std::make_unique<TFont>()) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetSurface(const TCanvasSurface& surface) {
  FSurface = surface;
  FLimit = {0, 0, FSurface.Width, FSurface.Height};
  ResetClipRect();
}

void TCanvas::SetOrigin(TPoint value) { FOrigin = value; }

TRect TCanvas::ClipRect() const {
  return {FClip.Left - FOrigin.X, FClip.Top - FOrigin.Y, FClip.Right - FOrigin.X, FClip.Bottom - FOrigin.Y};
}

namespace {

// The ordered rectangle a-b clamped into the limit (empty rectangles collapse onto its edge).
TRect ClampInto(int64_t l, int64_t t, int64_t r, int64_t b, const TRect& limit) {
  auto x = [&](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, limit.Left, limit.Right)); };
  auto y = [&](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, limit.Top, limit.Bottom)); };
  return {x(std::min(l, r)), y(std::min(t, b)), x(std::max(l, r)), y(std::max(t, b))};
}

}  // namespace

void TCanvas::SetClipRect(const TRect& r) {
  FClip = ClampInto(int64_t(r.Left) + FOrigin.X, int64_t(r.Top) + FOrigin.Y, int64_t(r.Right) + FOrigin.X,
                    int64_t(r.Bottom) + FOrigin.Y, FLimit);
}

void TCanvas::ResetClipRect() { FClip = FLimit; }

void TCanvas::SetClipLimit(const TRect& surfaceRect) {
  FLimit = ClampInto(surfaceRect.Left, surfaceRect.Top, surfaceRect.Right, surfaceRect.Bottom,
                     {0, 0, FSurface.Width, FSurface.Height});
  FClip = ClampInto(FClip.Left, FClip.Top, FClip.Right, FClip.Bottom, FLimit);
}

void TCanvas::SetDevicePixelsPerInch(int value) {
  if (value > 0) FDevicePPI = value;
}

void TCanvas::SetTrace(TCanvasTrace* trace) {
  FTrace = trace;
  FPen->FTrace = FBrush->FTrace = FFont->FTrace = trace;
  FPen->FTraceName = "Pen";
  FBrush->FTraceName = "Brush";
  FFont->FTraceName = "Font";
}

void TCanvas::Record(const char* op, std::vector<int64_t> args, const String& text) const {
  if (FTrace != nullptr) FTrace->Add(TCanvasTraceRecord{op, std::move(args), text});
}

void TCanvas::SetCopyMode(TCopyMode value) {
  if (FTrace != nullptr) Record("CopyMode", {value});
  FCopyMode = value;
}

void TCanvas::SetStretchMode(int value) {
  if (FTrace != nullptr) Record("StretchMode", {value});
  if (value >= BLACKONWHITE && value <= HALFTONE) FStretchMode = value;
}

void TCanvas::SetPolyFillMode(TFillMode value) {
  if (FTrace != nullptr) Record("PolyFillMode", {value});
  FPolyFillMode = value;
}

void TCanvas::SetTextAlign(unsigned flags) {
  if (FTrace != nullptr) Record("TextAlign", {flags});
  FTextAlign = flags;
}

// [SECTION] Lines

void TCanvas::MoveTo(int x, int y) {
  if (FTrace != nullptr) Record("MoveTo", {x, y});
  FPenPos = {x, y};
  FDashPhase = 0;
}

void TCanvas::LineTo(int x, int y) {
  if (FTrace != nullptr) Record("LineTo", {x, y});
  const P64 a = Dev(*this, FPenPos.X, FPenPos.Y), b = Dev(*this, x, y);
  FPenPos = {x, y};
  if (!PenVisible(*this)) return;
  if (!Cosmetic(*this)) return Stroke(*this, {a, b}, false, FDashPhase);
  platform_detail::Raster r = MakeRaster(*this);
  platform_detail::Ink gap;
  platform_detail::CosmeticLine(r, a, b, MakeCosmetic(*this, gap), FDashPhase, false);
}

void TCanvas::Polyline(std::span<const TPoint> points) {
  if (FTrace != nullptr) Record("Polyline", Flatten(points));
  if (points.size() < 2) return;
  int64_t phase = 0;
  Stroke(*this, DevPoints(*this, points), false, phase);
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  if (FTrace != nullptr) Record("Polygon", Flatten(points));
  if (points.size() < 2) return;
  const std::vector<P64> pts = DevPoints(*this, points);
  if (Fills(*this)) {
    platform_detail::Raster r = MakeRaster(*this);
    platform_detail::FillPolygon(r, pts, FPolyFillMode == fmWinding, BrushInk(*this, true));
  }
  int64_t phase = 0;
  Stroke(*this, pts, true, phase);
}

void TCanvas::PolyBezier(std::span<const TPoint> points) {
  if (FTrace != nullptr) Record("PolyBezier", Flatten(points));
  if (points.size() < 4) return;
  int64_t phase = 0;
  Stroke(*this, FlattenBeziers(DevPoints(*this, points)), false, phase);
}

// [SECTION] Shapes

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (FTrace != nullptr) Record("Rectangle", {x1, y1, x2, y2});
  const platform_detail::RoundBox box = DevBox(*this, x1, y1, x2, y2);
  if (platform_detail::DirectPaths() && (!PenVisible(*this) || SolidCosmetic(*this))) return PlainRectangle(*this, box);
  FillBox(*this, box, {});
  if (!PenVisible(*this) || !Cosmetic(*this) || platform_detail::DashFor(FPen->Style()) == nullptr)
    return OutlineShape(*this, box);
  int64_t phase = 0;  // dashed: the pattern runs around the corners
  Stroke(*this, {{box.X1, box.Y1}, {box.X2 - 1, box.Y1}, {box.X2 - 1, box.Y2 - 1}, {box.X1, box.Y2 - 1}}, true, phase);
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  if (FTrace != nullptr) Record("RoundRect", {x1, y1, x2, y2, w, h});
  platform_detail::RoundBox box = DevBox(*this, x1, y1, x2, y2);
  box.Rx = std::min(std::abs(double(w)) / 2, (box.X2 - box.X1) / 2.0);
  box.Ry = std::min(std::abs(double(h)) / 2, (box.Y2 - box.Y1) / 2.0);
  DrawBoxShape(*this, box);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (FTrace != nullptr) Record("Ellipse", {x1, y1, x2, y2});
  DrawBoxShape(*this, Ellipsed(DevBox(*this, x1, y1, x2, y2)));
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (FTrace != nullptr) Record("Arc", {x1, y1, x2, y2, x3, y3, x4, y4});
  DrawArcShape(*this, MakeArc(*this, x1, y1, x2, y2, x3, y3, x4, y4), ArcKind::Arc);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (FTrace != nullptr) Record("Pie", {x1, y1, x2, y2, x3, y3, x4, y4});
  DrawArcShape(*this, MakeArc(*this, x1, y1, x2, y2, x3, y3, x4, y4), ArcKind::Pie);
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (FTrace != nullptr) Record("Chord", {x1, y1, x2, y2, x3, y3, x4, y4});
  DrawArcShape(*this, MakeArc(*this, x1, y1, x2, y2, x3, y3, x4, y4), ArcKind::Chord);
}

void TCanvas::FillRect(const TRect& rc) {
  if (FTrace != nullptr) Record("FillRect", {rc.Left, rc.Top, rc.Right, rc.Bottom});
  if (!Fills(*this)) return;
  const platform_detail::RoundBox b = DevBox(*this, rc.Left, rc.Top, rc.Right, rc.Bottom);
  platform_detail::Raster r = MakeRaster(*this);
  const platform_detail::Ink ink = BrushInk(*this, false);
  const int64_t y0 = std::max<int64_t>(b.Y1, r.Clip.T), y1 = std::min<int64_t>(b.Y2, r.Clip.B);
  for (int64_t y = y0; y < y1; ++y) r.Span(y, b.X1, b.X2, ink);
}

void TCanvas::FrameRect(const TRect& rc) {
  if (FTrace != nullptr) Record("FrameRect", {rc.Left, rc.Top, rc.Right, rc.Bottom});
  if (!Fills(*this)) return;
  const platform_detail::RoundBox b = DevBox(*this, rc.Left, rc.Top, rc.Right, rc.Bottom);
  if (b.X1 >= b.X2 || b.Y1 >= b.Y2) return;
  platform_detail::Raster r = MakeRaster(*this);
  const platform_detail::Ink ink = BrushInk(*this, false);
  platform_detail::ForEachOutlineRun(r, b, [&](int64_t y, int64_t x0, int64_t x1) { r.Span(y, x0, x1, ink); });
}

// [SECTION] Pixels and flood fill

TColor TCanvas::Pixels(int x, int y) const {
  const P64 p = Dev(*this, x, y);
  const platform_detail::Raster r = MakeRaster(*this);
  if (!r.Inside(p.X, p.Y)) return -1;
  return platform_detail::PixelToColor(FSurface.Pixels[p.Y * FSurface.Stride + p.X]);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  if (FTrace != nullptr) Record("Pixel", {x, y, color});
  const P64 p = Dev(*this, x, y);
  platform_detail::Raster r = MakeRaster(*this);
  if (r.Inside(p.X, p.Y)) r.At(p.X, p.Y) = 0xFF000000u | platform_detail::ColorToPixel(color);
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
  if (FTrace != nullptr) Record("FloodFill", {x, y, color, style});
  if (!Fills(*this)) return;
  const P64 p = Dev(*this, x, y);
  platform_detail::Raster r = MakeRaster(*this);
  platform_detail::FloodFill(r, p.X, p.Y, platform_detail::ColorToPixel(color), style, BrushInk(*this, false));
}

// [SECTION] Images

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (FTrace != nullptr) Record("Draw", {x, y});
  if (graphic == nullptr || graphic->Empty()) return;
  graphic->DrawOn(this, Rect(x, y, x + graphic->Width(), y + graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (FTrace != nullptr) Record("StretchDraw", {r.Left, r.Top, r.Right, r.Bottom});
  if (graphic == nullptr || graphic->Empty()) return;
  graphic->DrawOn(this, r);
}

namespace {

void BlitInto(TCanvas& c, const TRect& dest, const TCanvasSurface& src, P64 s1, P64 s2, int64_t transparent) {
  platform_detail::Raster r = MakeRaster(c);
  const uint8_t rop = static_cast<uint8_t>((c.CopyMode() >> 16) & 0xFF);
  platform_detail::Blit(r, Dev(c, dest.Left, dest.Top), Dev(c, dest.Right, dest.Bottom), src, s1, s2, rop, BrushInk(c, false),
               c.StretchMode() == HALFTONE, transparent);
}

}  // namespace

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect) {
  if (FTrace != nullptr)
    Record("CopyRect", {dest.Left, dest.Top, dest.Right, dest.Bottom, sourceRect.Left, sourceRect.Top, sourceRect.Right,
                        sourceRect.Bottom});
  if (source == nullptr) return;
  const P64 s1 = Dev(*source, sourceRect.Left, sourceRect.Top), s2 = Dev(*source, sourceRect.Right, sourceRect.Bottom);
  BlitInto(*this, dest, source->Surface(), s1, s2, -1);
}

void TCanvas::BlitPixels(const TRect& dest, const TCanvasSurface& src, const TRect& srcRect, int64_t transparentRgb) {
  const P64 s1{srcRect.Left, srcRect.Top}, s2{srcRect.Right, srcRect.Bottom};
  BlitInto(*this, dest, src, s1, s2, transparentRgb);
}

// [SECTION] Device capabilities

int GetDeviceCaps(const TCanvas* canvas, int index) {
  if (canvas == nullptr) return 0;
  const int ppi = canvas->DevicePixelsPerInch();
  switch (index) {
    case LOGPIXELSX:
    case LOGPIXELSY: return ppi;
    case ASPECTX:
    case ASPECTY: return ppi == 96 ? 36 : ppi;
    case HORZRES: return canvas->Surface().Width;
    case VERTRES: return canvas->Surface().Height;
    default: return 0;
  }
}

// [SECTION] Coloured rectangles

void FillColorRects(TCanvas& canvas, std::span<const TColorRect> rects) {
  TBrush& brush = *canvas.Brush();
  if (canvas.Trace() != nullptr || !platform_detail::DirectPaths()) {
    const TColor color = brush.Color();
    const TBrushStyle style = brush.Style();
    brush.SetStyle(bsSolid);
    for (const TColorRect& r : rects) {
      brush.SetColor(r.Color);
      canvas.FillRect(r.Rect);
    }
    brush.SetColor(color);
    brush.SetStyle(style);
    return;
  }
  platform_detail::Raster r = MakeRaster(canvas);
  platform_detail::Ink ink;
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const TColorRect& rc = rects[i];
    if (i == 0 || rc.Color != rects[i - 1].Color) ink.Rgb = platform_detail::ColorToPixel(rc.Color);
    const platform_detail::RoundBox b = DevBox(canvas, rc.Rect.Left, rc.Rect.Top, rc.Rect.Right, rc.Rect.Bottom);
    r.Block(b.X1, b.Y1, b.X2, b.Y2, ink);
  }
}

void SetPixelRow(TCanvas& canvas, int x, int y, std::span<const TColor> colors) {
  if (canvas.Trace() != nullptr || !platform_detail::DirectPaths()) {
    for (std::size_t i = 0; i < colors.size(); ++i) canvas.SetPixels(SaturateToInt(int64_t{x} + int64_t(i)), y, colors[i]);
    return;
  }
  const platform_detail::Raster r = MakeRaster(canvas);
  const P64 p = Dev(canvas, x, y);
  if (p.Y < r.Clip.T || p.Y >= r.Clip.B) return;
  const int64_t from = std::max<int64_t>(p.X, r.Clip.L), to = std::min<int64_t>(p.X + int64_t(colors.size()), r.Clip.R);
  uint32_t* row = r.S.Pixels + p.Y * r.S.Stride;
  uint32_t pixel = 0;
  for (int64_t d = from; d < to; ++d) {
    const std::size_t i = static_cast<std::size_t>(d - p.X);
    if (d == from || colors[i] != colors[i - 1]) pixel = 0xFF000000u | platform_detail::ColorToPixel(colors[i]);
    row[d] = pixel;
  }
}

}  // namespace qelta
