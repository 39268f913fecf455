// The aliased rasteriser behind TCanvas.
//
// Lines: Bresenham in closed form. Pixel i of a line with N major steps and M minor steps sits at minor
// offset floor((2 i M + N) / 2N) (ties round towards the end point). Because the offset of any i can be
// computed directly, a line is clipped by solving for the first and last i inside the clip rectangle
// (128-bit integers, exact for any pair of 33-bit coordinates) and only those pixels are visited.
// Wide pens: each segment is a capsule (the set of points closer than width/2 to the segment); a pixel
// is painted when its sample point is inside the union of the capsules, once, so pen mixes such as
// XOR stay reversible. Odd widths sample pixel centres, even widths sample pixel corners, which makes a
// width-w stroke exactly w pixels across.
// Polygons: scan lines through pixel centres with the top-left rule (a pixel on a left or top edge is
// inside, on a right or bottom edge outside), alternate or non-zero winding.
// Rounded boxes (rectangles, ellipses, rounded rectangles): a pixel is inside when its centre lies in the
// shape inscribed in the continuous box [x1, x2] x [y1, y2]; the outline is the inside pixels with a
// 4-neighbour outside, an 8-connected one-pixel line.

#include "GraphicsRaster.h"

#include "DirectPaths.h"

#include <immintrin.h>

#include <cmath>
#include <cstring>
#include <cwchar>
#include <span>
#include <limits>

namespace qelta::platform_detail {
namespace {

__extension__ typedef __int128 i128;

template <typename I>
I FloorDiv(I a, I b) {  // b > 0
  I q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}

template <typename I>
I CeilDiv(I a, I b) {  // b > 0
  I q = a / b;
  if ((a % b != 0) && (a > 0)) ++q;
  return q;
}

const int kDash[] = {18, 6};
const int kDot[] = {3, 3};
const int kDashDot[] = {9, 6, 3, 6};
const int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
const int kAlternate[] = {1, 1};
const DashPattern kPatterns[] = {{kDash, 2, 24}, {kDot, 2, 6}, {kDashDot, 4, 24}, {kDashDotDot, 6, 24},
                                 {kAlternate, 2, 2}};

inline void Put(Raster& r, int64_t x, int64_t y, const Ink& ink) {
  uint32_t& p = r.At(x, y);
  p = 0xFF000000u | (ink.Mix == pmCopy ? ink.Rgb : MixPixel(ink.Mix, ink.Rgb, p));
}

// Range of step indices i in [Lo, Hi]. I is int64_t when every product below fits, else 128 bits.
template <typename I>
struct StepRange {
  I Lo, Hi;
};

// Clip on the major axis: coordinate a0 + sa * i.
template <typename I>
void ClipMajor(StepRange<I>& s, int64_t a0, int sa, int64_t cmin, int64_t cmax) {
  if (sa > 0) {
    s.Lo = std::max<I>(s.Lo, I(cmin) - a0);
    s.Hi = std::min<I>(s.Hi, I(cmax) - 1 - a0);
  } else {
    s.Lo = std::max<I>(s.Lo, I(a0) - (cmax - 1));
    s.Hi = std::min<I>(s.Hi, I(a0) - cmin);
  }
}

// Clip on the minor axis: coordinate b0 + sb * floor((2 i m + n) / 2n).
template <typename I>
void ClipMinor(StepRange<I>& s, int64_t b0, int sb, int64_t m, int64_t n, int64_t cmin, int64_t cmax) {
  const I offLo = sb > 0 ? I(cmin) - b0 : I(b0) - (cmax - 1);
  const I offHi = sb > 0 ? I(cmax) - 1 - b0 : I(b0) - cmin;
  if (m == 0) {
    if (offLo > 0 || offHi < 0) s.Hi = s.Lo - 1;
    return;
  }
  s.Lo = std::max<I>(s.Lo, CeilDiv<I>(2 * I(n) * offLo - n, 2 * I(m)));
  s.Hi = std::min<I>(s.Hi, CeilDiv<I>(2 * I(n) * (offHi + 1) - n, 2 * I(m)) - 1);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Spans and dashes

namespace {

// n >= 8 pixels by 32-byte stores; the last eight are stored overlapping the others.
__attribute__((target("avx2"))) void FillPixelsAvx2(uint32_t* p, int64_t n, uint32_t pixel) {
  const __m256i v = _mm256_set1_epi32(static_cast<int>(pixel));
  for (int64_t i = 0; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + n - 8), v);
}

const bool kHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();

}  // namespace

void FillPixels(uint32_t* p, int64_t n, uint32_t pixel) {
  // Long runs through the C library's 32-bit fill, which uses the widest stores the processor has;
  // shorter ones by 32-byte stores where the processor has them (a direct path), else plainly.
  if (n >= 256) {
    static_assert(sizeof(wchar_t) == sizeof(uint32_t));
    std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(pixel), static_cast<size_t>(n));
    return;
  }
  if (n >= 8 && kHasAvx2 && DirectPaths()) return FillPixelsAvx2(p, n, pixel);
  std::fill(p, p + n, pixel);
}

void Raster::Span(int64_t y, int64_t x0, int64_t x1, const Ink& ink) {
  if (y < Clip.T || y >= Clip.B) return;
  x0 = std::max<int64_t>(x0, Clip.L);
  x1 = std::min<int64_t>(x1, Clip.R);
  if (x0 >= x1) return;
  uint32_t* row = S.Pixels + y * S.Stride;
  if (ink.Hatch == bsSolid && ink.Mix == pmCopy) return FillPixels(row + x0, x1 - x0, 0xFF000000u | ink.Rgb);
  for (int64_t x = x0; x < x1; ++x) {
    if (ink.Hatch != bsSolid && !HatchBit(ink.Hatch, x - PatternOrigin.X, y - PatternOrigin.Y)) continue;
    row[x] = 0xFF000000u | MixPixel(ink.Mix, ink.Rgb, row[x]);
  }
}

void Raster::Block(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const Ink& ink) {
  x0 = std::max<int64_t>(x0, Clip.L);
  x1 = std::min<int64_t>(x1, Clip.R);
  y0 = std::max<int64_t>(y0, Clip.T);
  y1 = std::min<int64_t>(y1, Clip.B);
  if (x0 >= x1) return;
  if (ink.Hatch != bsSolid || ink.Mix != pmCopy) {
    for (int64_t y = y0; y < y1; ++y) Span(y, x0, x1, ink);
    return;
  }
  for (int64_t y = y0; y < y1; ++y) FillPixels(S.Pixels + y * S.Stride + x0, x1 - x0, 0xFF000000u | ink.Rgb);
}

bool DashPattern::On(int64_t position) const {
  int64_t m = position % Length;
  if (m < 0) m += Length;
  for (int i = 0; i < Count; ++i) {
    if (m < Runs[i]) return i % 2 == 0;
    m -= Runs[i];
  }
  return true;
}

const DashPattern* DashFor(TPenStyle style) {
  switch (style) {
    case psDash: return &kPatterns[0];
    case psDot: return &kPatterns[1];
    case psDashDot: return &kPatterns[2];
    case psDashDotDot: return &kPatterns[3];
    case psAlternate: return &kPatterns[4];
    default: return nullptr;
  }
}

// ---------------------------------------------------------------------------------------------------------
// Cosmetic lines

namespace {

struct LineSetup {
  int64_t A0, B0;  // start on the major and minor axis
  int Sa, Sb;      // their directions
  int64_t N, M;    // major and minor steps
  bool XMajor;
};

// WalkLine for a solid pen that copies: the pixel address steps along the line.
void WalkSolidLine(Raster& r, const LineSetup& l, int64_t lo, int64_t hi, int64_t off, int64_t rem, uint32_t pixel) {
  const int64_t twoN = 2 * l.N, twoM = 2 * l.M, stride = r.S.Stride;
  const int64_t major = l.A0 + l.Sa * lo, minor = l.B0 + l.Sb * off;
  uint32_t* const base = r.S.Pixels;
  int64_t at = l.XMajor ? minor * stride + major : major * stride + minor;
  const int64_t majorStep = l.XMajor ? l.Sa : l.Sa * stride, minorStep = l.XMajor ? l.Sb * stride : l.Sb;
  if (l.M == 0 && l.XMajor) {  // a row: one fill, leftwards from its left end
    return FillPixels(base + (l.Sa > 0 ? at : at - (hi - lo)), hi - lo + 1, pixel);
  }
  if (l.M == 0) {  // a column
    for (int64_t i = lo; i <= hi; ++i, at += majorStep) base[at] = pixel;
    return;
  }
  for (int64_t i = lo; i <= hi; ++i) {
    base[at] = pixel;
    at += majorStep;
    rem += twoM;
    const int64_t carry = rem >= twoN ? -1 : 0;  // all ones when the minor coordinate steps
    rem -= twoN & carry;
    at += minorStep & carry;
  }
}

// Pixels i = lo..hi of the line; `off`/`rem` are the minor offset and remainder at lo.
void WalkLine(Raster& r, const LineSetup& l, int64_t lo, int64_t hi, int64_t off, int64_t rem, const CosmeticPen& pen,
              int64_t phase) {
  if (pen.Dash == nullptr && pen.On.Mix == pmCopy && DirectPaths())
    return WalkSolidLine(r, l, lo, hi, off, rem, 0xFF000000u | pen.On.Rgb);
  const int64_t twoN = 2 * l.N, twoM = 2 * l.M;
  for (int64_t i = lo; i <= hi; ++i) {
    const int64_t major = l.A0 + l.Sa * i, minor = l.B0 + l.Sb * off;
    const Ink* ink = (!pen.Dash || pen.Dash->On(phase + i)) ? &pen.On : pen.Gap;
    if (ink != nullptr) Put(r, l.XMajor ? major : minor, l.XMajor ? minor : major, *ink);
    rem += twoM;
    if (rem >= twoN) {
      rem -= twoN;
      ++off;
    }
  }
}

template <typename I>
void ClipAndWalk(Raster& r, const LineSetup& l, bool includeLast, const CosmeticPen& pen, int64_t phase) {
  StepRange<I> s{0, includeLast ? I(l.N) : I(l.N - 1)};
  ClipMajor(s, l.A0, l.Sa, l.XMajor ? r.Clip.L : r.Clip.T, l.XMajor ? r.Clip.R : r.Clip.B);
  ClipMinor(s, l.B0, l.Sb, l.M, l.N, l.XMajor ? r.Clip.T : r.Clip.L, l.XMajor ? r.Clip.B : r.Clip.R);
  if (s.Lo > s.Hi) return;
  const I num = 2 * s.Lo * l.M + l.N;
  WalkLine(r, l, static_cast<int64_t>(s.Lo), static_cast<int64_t>(s.Hi), static_cast<int64_t>(num / (2 * l.N)),
           static_cast<int64_t>(num % (2 * l.N)), pen, phase);
}

bool Small(int64_t v) { return v > -(int64_t(1) << 28) && v < (int64_t(1) << 28); }

}  // namespace

void CosmeticLine(Raster& r, P64 a, P64 b, const CosmeticPen& pen, int64_t& phase, bool includeLast) {
  const int64_t dx = b.X - a.X, dy = b.Y - a.Y;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  LineSetup l;
  l.XMajor = adx >= ady;
  l.N = std::max(adx, ady);
  l.M = std::min(adx, ady);
  const int64_t startPhase = phase;
  phase += l.N;
  if (l.N == 0) {
    if (includeLast && r.Inside(a.X, a.Y) && (!pen.Dash || pen.Dash->On(startPhase))) Put(r, a.X, a.Y, pen.On);
    return;
  }
  l.A0 = l.XMajor ? a.X : a.Y;
  l.B0 = l.XMajor ? a.Y : a.X;
  l.Sa = (l.XMajor ? dx : dy) < 0 ? -1 : 1;
  l.Sb = (l.XMajor ? dy : dx) < 0 ? -1 : 1;
  if (Small(a.X) && Small(a.Y) && Small(b.X) && Small(b.Y)) ClipAndWalk<int64_t>(r, l, includeLast, pen, startPhase);
  else ClipAndWalk<i128>(r, l, includeLast, pen, startPhase);
}

// ---------------------------------------------------------------------------------------------------------
// Wide strokes

namespace {

struct Capsule {
  double Ax, Ay, Bx, By;
  double YMin, YMax;
};

void Widen(double& lo, double& hi, double a, double b) {
  lo = std::min(lo, a);
  hi = std::max(hi, b);
}

void DiscRow(double cx, double cy, double rad, double y, double& lo, double& hi) {
  const double d = y - cy;
  if (d * d >= rad * rad) return;
  const double h = std::sqrt(rad * rad - d * d);
  Widen(lo, hi, cx - h, cx + h);
}

// The part of row y inside the band around the segment (between the end perpendiculars).
void BandRow(const Capsule& c, double rad, double y, double& lo, double& hi) {
  const double dx = c.Bx - c.Ax, dy = c.By - c.Ay, len2 = dx * dx + dy * dy;
  if (len2 <= 0) return;
  const double len = std::sqrt(len2), inf = std::numeric_limits<double>::infinity();
  double l = -inf, h = inf;
  const double t = (y - c.Ay) * dy;  // projection: (x - ax) dx + t in [0, len2]
  if (dx != 0) {
    const double x1 = c.Ax - t / dx, x2 = c.Ax + (len2 - t) / dx;
    l = std::min(x1, x2);
    h = std::max(x1, x2);
  } else if (t < 0 || t > len2) {
    return;
  }
  const double e = (y - c.Ay) * dx;  // distance: |(x - ax) dy - e| < rad len
  if (dy != 0) {
    const double x1 = c.Ax + (e - rad * len) / dy, x2 = c.Ax + (e + rad * len) / dy;
    l = std::max(l, std::min(x1, x2));
    h = std::min(h, std::max(x1, x2));
  } else if (std::fabs(e) >= rad * len) {
    return;
  }
  if (l < h) Widen(lo, hi, l, h);
}

std::vector<Capsule> Capsules(const std::vector<PD>& path, bool closed, double rad, double shift) {
  std::vector<Capsule> caps;
  const size_t n = path.size();
  auto add = [&](const PD& a, const PD& b) {
    Capsule c{a.X + shift, a.Y + shift, b.X + shift, b.Y + shift, 0, 0};
    c.YMin = std::min(c.Ay, c.By) - rad;
    c.YMax = std::max(c.Ay, c.By) + rad;
    caps.push_back(c);
  };
  if (n == 1) add(path[0], path[0]);
  for (size_t i = 0; i + 1 < n; ++i) add(path[i], path[i + 1]);
  if (closed && n > 2) add(path[n - 1], path[0]);
  return caps;
}

// Paints the merged runs (pixel ranges [a, b]) of one row.
void PaintRuns(Raster& r, int64_t y, std::vector<std::pair<int64_t, int64_t>>& runs, const Ink& ink) {
  std::sort(runs.begin(), runs.end());
  size_t i = 0;
  while (i < runs.size()) {
    int64_t a = runs[i].first, b = runs[i].second;
    for (++i; i < runs.size() && runs[i].first <= b + 1; ++i) b = std::max(b, runs[i].second);
    r.Span(y, a, b + 1, ink);
  }
}

}  // namespace

void WideStroke(Raster& r, const std::vector<PD>& path, bool closed, int width, const Ink& ink) {
  if (path.empty() || r.Clip.Empty()) return;
  const double rad = width / 2.0, shift = (width % 2) ? 0.0 : -0.5;
  std::vector<Capsule> caps = Capsules(path, closed, rad, shift);
  std::sort(caps.begin(), caps.end(), [](const Capsule& a, const Capsule& b) { return a.YMin < b.YMin; });
  double ymax = -std::numeric_limits<double>::infinity();
  for (const auto& c : caps) ymax = std::max(ymax, c.YMax);
  const int64_t y0 = static_cast<int64_t>(std::max<double>(r.Clip.T, std::floor(caps.front().YMin)));
  const int64_t y1 = static_cast<int64_t>(std::min<double>(r.Clip.B - 1, std::ceil(ymax)));
  std::vector<const Capsule*> active;
  std::vector<std::pair<int64_t, int64_t>> runs;
  size_t next = 0;
  for (int64_t y = y0; y <= y1; ++y) {
    const double yy = static_cast<double>(y);
    while (next < caps.size() && caps[next].YMin <= yy) active.push_back(&caps[next++]);
    std::erase_if(active, [&](const Capsule* c) { return c->YMax < yy; });
    runs.clear();
    for (const Capsule* c : active) {
      double lo = std::numeric_limits<double>::infinity(), hi = -lo;
      DiscRow(c->Ax, c->Ay, rad, yy, lo, hi);
      DiscRow(c->Bx, c->By, rad, yy, lo, hi);
      BandRow(*c, rad, yy, lo, hi);
      lo = std::max(lo, r.Clip.L - 2.0);
      hi = std::min(hi, r.Clip.R + 2.0);
      if (!(lo < hi)) continue;
      const int64_t a = static_cast<int64_t>(std::floor(lo)) + 1, b = static_cast<int64_t>(std::ceil(hi)) - 1;
      if (a <= b) runs.emplace_back(a, b);
    }
    PaintRuns(r, y, runs, ink);
  }
}

// ---------------------------------------------------------------------------------------------------------
// Polygons

namespace {

struct Edge {
  int64_t XTop, YTop, XBot, YBot;
  int Dir;
};

std::vector<Edge> Edges(const std::vector<P64>& pts) {
  std::vector<Edge> edges;
  const size_t n = pts.size();
  for (size_t i = 0; i < n; ++i) {
    const P64& a = pts[i];
    const P64& b = pts[(i + 1) % n];
    if (a.Y == b.Y) continue;
    if (a.Y < b.Y) edges.push_back({a.X, a.Y, b.X, b.Y, 1});
    else edges.push_back({b.X, b.Y, a.X, a.Y, -1});
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.YTop < b.YTop; });
  return edges;
}

// Smallest integer x at or right of the edge's crossing with row y.
int64_t CrossingX(const Edge& e, int64_t y) {
  const i128 dy = e.YBot - e.YTop;
  return static_cast<int64_t>(CeilDiv(i128(e.XTop) * dy + i128(y - e.YTop) * (e.XBot - e.XTop), dy));
}

void FillRow(Raster& r, int64_t y, std::vector<std::pair<int64_t, int>>& xs, bool winding, const Ink& ink) {
  std::sort(xs.begin(), xs.end());
  int w = 0;
  for (size_t i = 0; i + 1 < xs.size(); ++i) {
    w = winding ? w + xs[i].second : w ^ 1;
    if (w != 0) r.Span(y, xs[i].first, xs[i + 1].first, ink);
  }
}

}  // namespace

void FillPolygon(Raster& r, const std::vector<P64>& pts, bool winding, const Ink& ink) {
  if (pts.size() < 3 || r.Clip.Empty()) return;
  const std::vector<Edge> edges = Edges(pts);
  if (edges.empty()) return;
  int64_t ymax = edges.front().YBot;
  for (const Edge& e : edges) ymax = std::max(ymax, e.YBot);
  const int64_t y0 = std::max<int64_t>(r.Clip.T, edges.front().YTop), y1 = std::min<int64_t>(r.Clip.B, ymax);
  std::vector<const Edge*> active;
  std::vector<std::pair<int64_t, int>> xs;
  size_t next = 0;
  for (int64_t y = y0; y < y1; ++y) {
    while (next < edges.size() && edges[next].YTop <= y) active.push_back(&edges[next++]);
    std::erase_if(active, [&](const Edge* e) { return e->YBot <= y; });
    xs.clear();
    for (const Edge* e : active) xs.emplace_back(CrossingX(*e, y), e->Dir);
    FillRow(r, y, xs, winding, ink);
  }
}

// ---------------------------------------------------------------------------------------------------------
// Rounded boxes

bool RoundBox::Row(int64_t y, int64_t& xl, int64_t& xr) const {
  if (y < Y1 || y >= Y2 || X1 >= X2) return false;
  const double yc = static_cast<double>(y) + 0.5;
  const double top = static_cast<double>(Y1) + Ry, bottom = static_cast<double>(Y2) - Ry;
  const double dy = yc < top ? top - yc : (yc > bottom ? yc - bottom : 0.0);
  double h = Rx;
  if (dy > 0) {
    const double q = dy / Ry;
    if (q > 1.0 + 1e-12) return false;
    h = Rx * std::sqrt(std::max(0.0, 1.0 - q * q));
  }
  const double left = static_cast<double>(X1) + Rx - h, right = static_cast<double>(X2) - Rx + h;
  xl = static_cast<int64_t>(std::ceil(left - 0.5 - 1e-9));
  xr = static_cast<int64_t>(std::floor(right - 0.5 + 1e-9));
  // A thin shape passes between two pixel centres of a row (its span holds none): the two pixels
  // beside it belong to it. Its middle row or rows reach the box's sides, where the curve touches
  // them between pixel centres. So every row and every column of the box holds a pixel.
  if (xl > xr) std::swap(xl, xr);
  if (2 * y == Y1 + Y2 - 1 || 2 * y == Y1 + Y2 - 2 || 2 * y == Y1 + Y2) {
    xl = std::min(xl, X1);
    xr = std::max(xr, X2 - 1);
  }
  return true;
}

std::vector<PD> RoundBox::Path() const {
  const double l = static_cast<double>(X1), t = static_cast<double>(Y1);
  const double r = static_cast<double>(X2 - 1), b = static_cast<double>(Y2 - 1);
  const double rx = std::min(std::max(0.0, Rx - 0.5), (r - l) / 2), ry = std::min(std::max(0.0, Ry - 0.5), (b - t) / 2);
  if (rx <= 0 || ry <= 0) return {{l, t}, {r, t}, {r, b}, {l, b}};
  const int k = std::clamp(static_cast<int>(std::ceil(2 * std::sqrt(std::max(rx, ry)))), 2, 256);
  const PD centres[] = {{r - rx, t + ry}, {l + rx, t + ry}, {l + rx, b - ry}, {r - rx, b - ry}};
  std::vector<PD> path;
  for (int q = 0; q < 4; ++q) {
    for (int i = 0; i <= k; ++i) {
      const double phi = (q + double(i) / k) * M_PI / 2;
      path.push_back({centres[q].X + rx * std::cos(phi), centres[q].Y - ry * std::sin(phi)});
    }
  }
  return path;
}

// ---------------------------------------------------------------------------------------------------------
// Flood fill (4-connected, scan-line seeds on an explicit stack)

void FloodFill(Raster& r, int64_t x, int64_t y, uint32_t rgb, TFillStyle style, const Ink& ink) {
  if (!r.Inside(x, y)) return;
  const IRect c = r.Clip;
  const int64_t w = c.R - c.L;
  auto match = [&](int64_t px, int64_t py) {
    const uint32_t p = r.At(px, py) & 0xFFFFFFu;
    return style == fsSurface ? p == rgb : p != rgb;
  };
  if (!match(x, y)) return;
  std::vector<uint8_t> done(static_cast<size_t>(w * (c.B - c.T)), 0);
  auto isDone = [&](int64_t px, int64_t py) -> uint8_t& { return done[(py - c.T) * w + (px - c.L)]; };
  std::vector<P64> seeds{{x, y}};
  while (!seeds.empty()) {
    const P64 s = seeds.back();
    seeds.pop_back();
    if (isDone(s.X, s.Y) || !match(s.X, s.Y)) continue;
    int64_t xl = s.X, xr = s.X;
    while (xl - 1 >= c.L && !isDone(xl - 1, s.Y) && match(xl - 1, s.Y)) --xl;
    while (xr + 1 < c.R && !isDone(xr + 1, s.Y) && match(xr + 1, s.Y)) ++xr;
    for (int64_t px = xl; px <= xr; ++px) isDone(px, s.Y) = 1;
    r.Span(s.Y, xl, xr + 1, ink);
    for (int64_t ny : {s.Y - 1, s.Y + 1}) {
      if (ny < c.T || ny >= c.B) continue;
      bool inRun = false;
      for (int64_t px = xl; px <= xr; ++px) {
        const bool ok = !isDone(px, ny) && match(px, ny);
        if (ok && !inRun) seeds.push_back({px, ny});
        inRun = ok;
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------------------
// Blits

namespace {

// Source pixels feeding one destination column (or row): index and weight.
struct Tap {
  int64_t Index;
  double Weight;
};

// The taps of every destination column (or row) of the clipped range, in one array: position k of
// the range reads Taps[Start[k]] .. Taps[Start[k + 1] - 1].
struct AxisTaps {
  std::vector<Tap> Taps;
  std::vector<size_t> Start;
  std::span<const Tap> At(int64_t k) const {
    return {Taps.data() + Start[static_cast<size_t>(k)], Start[static_cast<size_t>(k) + 1] - Start[static_cast<size_t>(k)]};
  }
};

// Adds the taps of destination position k (0..dw-1) for a source range starting at s0 of length sw
// inside [lo, hi) of the source image.
void AddTaps(std::vector<Tap>& taps, int64_t k, int64_t dw, int64_t s0, int64_t sw, int64_t lo, int64_t hi,
             bool halftone) {
  if (!halftone) {
    const int64_t s = s0 + static_cast<int64_t>(FloorDiv((2 * i128(k) + 1) * sw, 2 * i128(dw)));
    if (s >= lo && s < hi) taps.push_back({s, 1.0});
    return;
  }
  const double a = s0 + double(k) * sw / dw, b = s0 + double(k + 1) * sw / dw;
  const int64_t j0 = std::max<int64_t>(lo, static_cast<int64_t>(std::floor(a)));
  const int64_t j1 = std::min<int64_t>(hi, static_cast<int64_t>(std::ceil(b)));
  for (int64_t j = j0; j < j1; ++j) {
    const double w = std::min(b, double(j + 1)) - std::max(a, double(j));
    if (w > 0) taps.push_back({j, w});
  }
}

AxisTaps MakeAxisTaps(int64_t c0, int64_t c1, int64_t d0, int64_t dw, bool mirror, int64_t s0, int64_t sw, int64_t lo,
                      int64_t hi, bool halftone) {
  AxisTaps a;
  a.Start.reserve(static_cast<size_t>(c1 - c0) + 1);
  a.Taps.reserve(static_cast<size_t>(c1 - c0));
  for (int64_t c = c0; c < c1; ++c) {
    a.Start.push_back(a.Taps.size());
    AddTaps(a.Taps, mirror ? dw - 1 - (c - d0) : c - d0, dw, s0, sw, lo, hi, halftone);
  }
  a.Start.push_back(a.Taps.size());
  return a;
}

// The source as the blit reads it: the surface itself, or a private copy of the part [x0, x1) x [y0, y1)
// when it is the destination surface too.
BlitSource SourceOf(const TCanvasSurface& s, const Raster& r, int64_t x0, int64_t x1, int64_t y0, int64_t y1) {
  BlitSource src;
  if (s.Pixels == nullptr || x0 >= x1 || y0 >= y1) return src;
  if (s.Pixels != r.S.Pixels) {
    src.Pixels = s.Pixels;
    src.Stride = s.Stride;
    return src;
  }
  const int64_t w = x1 - x0;
  src.Copy.resize(static_cast<size_t>(w * (y1 - y0)));
  for (int64_t y = y0; y < y1; ++y)
    std::copy(s.Pixels + y * s.Stride + x0, s.Pixels + y * s.Stride + x1, src.Copy.begin() + (y - y0) * w);
  src.Pixels = src.Copy.data();
  src.Stride = w;
  src.OffsetX = x0;
  src.OffsetY = y0;
  return src;
}

// The range of indices the taps read, [lo, hi).
void TapRange(const AxisTaps& a, int64_t& lo, int64_t& hi) {
  lo = INT64_MAX, hi = INT64_MIN;
  for (const Tap& t : a.Taps) lo = std::min(lo, t.Index), hi = std::max(hi, t.Index + 1);
}

// Weighted average of the source pixels under the taps (channels A, R, G, B).
bool Sample(const BlitSource& src, std::span<const Tap> tx, std::span<const Tap> ty, uint32_t& out) {
  if (tx.empty() || ty.empty()) return false;
  if (tx.size() == 1 && ty.size() == 1) {
    out = src.At(tx[0].Index, ty[0].Index);
    return true;
  }
  double sum[4] = {0, 0, 0, 0}, total = 0;
  for (const Tap& y : ty) {
    for (const Tap& x : tx) {
      const double w = x.Weight * y.Weight;
      const uint32_t p = src.At(x.Index, y.Index);
      for (int ch = 0; ch < 4; ++ch) sum[ch] += w * ((p >> (8 * ch)) & 0xFF);
      total += w;
    }
  }
  out = 0;
  for (int ch = 0; ch < 4; ++ch) {
    const long v = std::lround(sum[ch] / total);
    out |= static_cast<uint32_t>(std::clamp<long>(v, 0, 255)) << (8 * ch);
  }
  return true;
}

// How one destination pixel takes the source pixel s (have: there is one) and the pattern.
struct PixelOp {
  uint8_t Rop;
  const Ink& Pattern;
  int64_t TransparentRgb;
  bool UsesSource;

  void Apply(const Raster& r, uint32_t& d, int64_t x, int64_t y, uint32_t s, bool have) const {
    if (UsesSource && !have) return;
    if (have && TransparentRgb >= 0 && (s & 0xFFFFFFu) == static_cast<uint32_t>(TransparentRgb)) return;
    if (Rop == 0xCC) {
      d = s;
      return;
    }
    const bool on = Pattern.Hatch == bsSolid || HatchBit(Pattern.Hatch, x - r.PatternOrigin.X, y - r.PatternOrigin.Y);
    d = 0xFF000000u | Rop3(Rop, on ? Pattern.Rgb : ~Pattern.Rgb, s, d);
  }
};

// An unscaled, unmirrored copy that reads the source: destination (x, y) takes source
// (x + sx, y + sy); pixels without a source pixel are left alone. A plain copy moves whole rows.
void BlitUnscaled(Raster& r, int64_t cx0, int64_t cx1, int64_t cy0, int64_t cy1, const TCanvasSurface& surface,
                  int64_t sx, int64_t sy, const PixelOp& op) {
  cx0 = std::max(cx0, -sx), cx1 = std::min(cx1, surface.Width - sx);
  cy0 = std::max(cy0, -sy), cy1 = std::min(cy1, surface.Height - sy);
  if (surface.Pixels == nullptr || cx0 >= cx1 || cy0 >= cy1) return;
  const bool same = surface.Pixels == r.S.Pixels;
  if (op.Rop == 0xCC && op.TransparentRgb < 0) {
    const bool upward = same && sy < 0;  // moving down within one surface: the lower rows first
    for (int64_t i = 0; i < cy1 - cy0; ++i) {
      const int64_t y = upward ? cy1 - 1 - i : cy0 + i;
      std::memmove(&r.At(cx0, y), surface.Pixels + (y + sy) * surface.Stride + cx0 + sx,
                   static_cast<size_t>(cx1 - cx0) * sizeof(uint32_t));
    }
    return;
  }
  const BlitSource src = SourceOf(surface, r, cx0 + sx, cx1 + sx, cy0 + sy, cy1 + sy);
  for (int64_t y = cy0; y < cy1; ++y)
    for (int64_t x = cx0; x < cx1; ++x) op.Apply(r, r.At(x, y), x, y, src.At(x + sx, y + sy), true);
}

}  // namespace

void Blit(Raster& r, P64 d1, P64 d2, const TCanvasSurface& surface, P64 s1, P64 s2, uint8_t rop, const Ink& pattern,
          bool halftone, int64_t transparentRgb) {
  const int64_t dx0 = std::min(d1.X, d2.X), dw = std::max(d1.X, d2.X) - dx0;
  const int64_t dy0 = std::min(d1.Y, d2.Y), dh = std::max(d1.Y, d2.Y) - dy0;
  const int64_t sx0 = std::min(s1.X, s2.X), sw = std::max(s1.X, s2.X) - sx0;
  const int64_t sy0 = std::min(s1.Y, s2.Y), sh = std::max(s1.Y, s2.Y) - sy0;
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
  const bool mirrorX = (d2.X < d1.X) != (s2.X < s1.X), mirrorY = (d2.Y < d1.Y) != (s2.Y < s1.Y);
  const int64_t cx0 = std::max<int64_t>(dx0, r.Clip.L), cx1 = std::min<int64_t>(dx0 + dw, r.Clip.R);
  const int64_t cy0 = std::max<int64_t>(dy0, r.Clip.T), cy1 = std::min<int64_t>(dy0 + dh, r.Clip.B);
  if (cx0 >= cx1 || cy0 >= cy1) return;
  const PixelOp op{rop, pattern, transparentRgb, ((rop >> 2) & 0x33) != (rop & 0x33)};
  if (op.UsesSource && !halftone && !mirrorX && !mirrorY && sw == dw && sh == dh && DirectPaths())
    return BlitUnscaled(r, cx0, cx1, cy0, cy1, surface, sx0 - dx0, sy0 - dy0, op);
  // Source pixels exist in the source rectangle within the surface.
  const int64_t w = surface.Pixels ? surface.Width : 0, h = surface.Pixels ? surface.Height : 0;
  const AxisTaps tx = MakeAxisTaps(cx0, cx1, dx0, dw, mirrorX, sx0, sw, std::clamp<int64_t>(sx0, 0, w),
                                   std::clamp<int64_t>(sx0 + sw, 0, w), halftone);
  const AxisTaps ty = MakeAxisTaps(cy0, cy1, dy0, dh, mirrorY, sy0, sh, std::clamp<int64_t>(sy0, 0, h),
                                   std::clamp<int64_t>(sy0 + sh, 0, h), halftone);
  int64_t x0, x1, y0, y1;
  TapRange(tx, x0, x1);
  TapRange(ty, y0, y1);
  const BlitSource src = SourceOf(surface, r, x0, x1, y0, y1);
  for (int64_t y = cy0; y < cy1; ++y) {
    for (int64_t x = cx0; x < cx1; ++x) {
      uint32_t s = 0;
      const bool have = src.Pixels != nullptr && Sample(src, tx.At(x - cx0), ty.At(y - cy0), s);
      op.Apply(r, r.At(x, y), x, y, s, have);
    }
  }
}

}  // namespace qelta::platform_detail
