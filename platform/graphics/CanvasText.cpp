// TCanvas text: TextOut, TextRect and the measurements, through the internal font engine.
//
// The reference point (x, y) is placed on the text cell by TextAlign: left, centre or right of the
// advance width; top, baseline or bottom of the cell (Ascent below the top for the baseline). With a
// rotated font (Orientation in tenths of degrees, counter-clockwise on screen) those offsets run
// along the rotated axes, so the text turns about the reference point. A solid brush first fills the
// cell (the rotated cell for rotated text) in the brush colour, an opaque background; other brushes
// leave the background alone.

#include <cmath>
#include <numbers>

#include "FontEngine.h"
#include "Graphics.h"
#include "GraphicsRaster.h"
#include "Math.h"

namespace qelta {
namespace {

platform_detail::FontKey KeyOf(const TFont& f) {
  return {f.Name(), f.Height(), f.Style().Contains(fsBold), f.Style().Contains(fsItalic)};
}

platform_detail::PixelTarget TargetOf(const TCanvas& c, TRect clip) {
  const TCanvasSurface& s = c.Surface();
  return {s.Pixels,   s.Width,     s.Height,     s.Stride,
          clip.Left,  clip.Top,    clip.Right,   clip.Bottom,
          c.Font()->Quality() == fqNonAntialiased};
}

// Device clip of the canvas, optionally narrowed to a logical rectangle.
TRect DeviceClip(const TCanvas& c, const TRect* narrow) {
  TRect clip = c.ClipRect();
  if (narrow != nullptr) {
    clip.Left = std::max(clip.Left, std::min(narrow->Left, narrow->Right));
    clip.Top = std::max(clip.Top, std::min(narrow->Top, narrow->Bottom));
    clip.Right = std::min(clip.Right, std::max(narrow->Left, narrow->Right));
    clip.Bottom = std::min(clip.Bottom, std::max(narrow->Top, narrow->Bottom));
  }
  const TPoint o = c.Origin();
  return {clip.Left + o.X, clip.Top + o.Y, std::max(clip.Left, clip.Right) + o.X, std::max(clip.Top, clip.Bottom) + o.Y};
}

struct Placement {
  double X, Y;       // top-left of the cell, device coordinates
  double Ux, Uy;     // unit vector along the text
  double Vx, Vy;     // unit vector down the cell
  int Width, Height;
};

Placement Place(const TCanvas& c, int x, int y, const String& text) {
  const platform_detail::FontKey key = KeyOf(*c.Font());
  const platform_detail::FontMetrics m = platform_detail::GetFontMetrics(key);
  const int w = platform_detail::TextAdvance(key, text);
  const unsigned a = c.TextAlign();
  const int dx = (a & TA_CENTER) == TA_CENTER ? w / 2 : ((a & TA_CENTER) == TA_RIGHT ? w : 0);
  const int dy = (a & TA_BASELINE) == TA_BASELINE ? m.Ascent : ((a & TA_BASELINE) == TA_BOTTOM ? m.Height : 0);
  const double theta = c.Font()->Orientation() / 10.0 * std::numbers::pi / 180.0;
  Placement p{0, 0, std::cos(theta), -std::sin(theta), std::sin(theta), std::cos(theta), w, m.Height};
  if (c.Font()->Orientation() % 3600 == 0) p = {0, 0, 1, 0, 0, 1, w, m.Height};
  p.X = double(int64_t(x) + c.Origin().X) - dx * p.Ux - dy * p.Vx;
  p.Y = double(int64_t(y) + c.Origin().Y) - dx * p.Uy - dy * p.Vy;
  return p;
}

// Opaque background of the (possibly rotated) cell in the brush colour.
void FillCell(const TCanvas& c, const Placement& p, TRect clip) {
  const TCanvasSurface& s = c.Surface();
  platform_detail::Raster r(s, {clip.Left, clip.Top, clip.Right, clip.Bottom});
  const platform_detail::Ink ink{platform_detail::ColorToPixel(c.Brush()->Color()), pmCopy, bsSolid};
  auto at = [&](double u, double v) {
    return platform_detail::P64{static_cast<int64_t>(std::nearbyint(p.X + u * p.Ux + v * p.Vx)),
                       static_cast<int64_t>(std::nearbyint(p.Y + u * p.Uy + v * p.Vy))};
  };
  platform_detail::FillPolygon(r, {at(0, 0), at(p.Width, 0), at(p.Width, p.Height), at(0, p.Height)}, false, ink);
}

// Opaque background of a device rectangle in the brush colour.
void FillArea(const TCanvas& c, TRect area) {
  platform_detail::Raster r(c.Surface(), {area.Left, area.Top, area.Right, area.Bottom});
  const platform_detail::Ink ink{platform_detail::ColorToPixel(c.Brush()->Color()), pmCopy, bsSolid};
  for (int y = area.Top; y < area.Bottom; ++y) r.Span(y, area.Left, area.Right, ink);
}

void Render(const TCanvas& c, int x, int y, const String& text, const TRect* narrow) {
  if (c.Surface().Pixels == nullptr) return;
  const TRect clip = DeviceClip(c, narrow);
  if (clip.Left >= clip.Right || clip.Top >= clip.Bottom) return;
  const Placement p = Place(c, x, y, text);
  if (c.Brush()->Style() == bsSolid && narrow == nullptr) FillCell(c, p, clip);
  const TFont& f = *c.Font();
  platform_detail::DrawText(TargetOf(c, clip), KeyOf(f), text, p.X, p.Y, f.Orientation(),
                   static_cast<uint32_t>(ColorToRGB(f.Color())) & 0xFFFFFFu, f.Style().Contains(fsUnderline),
                   f.Style().Contains(fsStrikeOut));
}

}  // namespace

void TCanvas::TextOut(int x, int y, const String& text) {
  if (FTrace != nullptr) Record("TextOut", {x, y}, text);
  Render(*this, x, y, text, nullptr);
  FPenPos = {SaturateToInt(int64_t(x) + TextWidth(text)), y};
  FDashPhase = 0;
}

void TCanvas::TextRect(const TRect& r, int x, int y, const String& text) {
  if (FTrace != nullptr) Record("TextRect", {r.Left, r.Top, r.Right, r.Bottom, x, y}, text);
  if (FSurface.Pixels != nullptr && Brush()->Style() == bsSolid) FillArea(*this, DeviceClip(*this, &r));
  Render(*this, x, y, text, &r);
}

int TCanvas::TextWidth(const String& text) const { return platform_detail::TextAdvance(KeyOf(*FFont), text); }

int TCanvas::TextHeight(const String&) const { return platform_detail::GetFontMetrics(KeyOf(*FFont)).Height; }

TPoint TCanvas::TextExtent(const String& text) const { return {TextWidth(text), TextHeight(text)}; }

TTextMetric TCanvas::GetTextMetrics() const {
  const platform_detail::FontMetrics m = platform_detail::GetFontMetrics(KeyOf(*FFont));
  TTextMetric tm;
  tm.tmHeight = m.Height;
  tm.tmAscent = m.Ascent;
  tm.tmDescent = m.Descent;
  tm.tmInternalLeading = m.InternalLeading;
  tm.tmExternalLeading = m.ExternalLeading;
  tm.tmAveCharWidth = m.AveCharWidth;
  tm.tmMaxCharWidth = m.MaxCharWidth;
  tm.tmPitchAndFamily = m.TrueType ? TMPF_TRUETYPE : 0;
  return tm;
}

}  // namespace qelta
