// Qelta_geomap: the view (magnification and TopLeft), panning, the zoom ring, Paint, and the picture
// on the clipboard, in a host's bitmap and on the printer.
//
// The view transform: control = (image - TopLeft) x m, image = control / m + TopLeft, both rounded
// half to even. Paint composes into AuxBmp: the empty message, or the background, the visible part
// of the image and what is drawn over it (Qelta_geomap_render.cpp), then the frame. Below
// CacheMagLimit the whole image is resampled once into FImgCache at the magnification and every later
// picture at that magnification copies from it 1:1; at and above it the visible part of the image is
// stretched onto the picture each time. A source rectangle that leaves the image maps proportionally
// and leaves the background beyond it.

#include <algorithm>
#include <cmath>

#include "Clipbrd.h"
#include "Printers.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Screen.h"

namespace qelta {

namespace {

using map_detail::RoundToInt;

int Saturate(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

/// A rectangle of the 32-bit range from 64-bit corners.
TRect SaturatedRect(int64_t l, int64_t t, int64_t r, int64_t b) {
  return Rect(Saturate(l), Saturate(t), Saturate(r), Saturate(b));
}

/// Screen picture enlarged for the printer by the factor (not finite or not above 0: 1; 0.01..100).
double PrinterFactor(double ScaleF) {
  if (!std::isfinite(ScaleF) || ScaleF <= 0) ScaleF = 1.0;
  return std::clamp(ScaleF, 0.01, 100.0) * Printer()->PixelsPerInch() / Screen()->PixelsPerInch();
}

/// Printer pixels per map pixel for a print at Percent of the screen's size (kept to 1..10000).
double PercentFactor(int Percent) { return PrinterFactor(std::clamp(Percent, 1, 10000) / 100.0); }

TRect Ordered(const TRect& r) {
  return Rect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
              std::max(r.Top, r.Bottom));
}

}  // namespace

// [SECTION] view transform

TPoint TGeoMap::ControlToMapImage(const TPoint& P) const {
  return TPoint{RoundToInt(RoundToInt(P.X / FMagnify) + double(FTopLeft.X)),
                RoundToInt(RoundToInt(P.Y / FMagnify) + double(FTopLeft.Y))};
}

TPoint TGeoMap::MapImageToControl(const TPoint& P) const {
  return TPoint{RoundToInt((double(P.X) - FTopLeft.X) * FMagnify), RoundToInt((double(P.Y) - FTopLeft.Y) * FMagnify)};
}

void TGeoMap::SetMagnification(double value) {
  if (!(value > 0) || !std::isfinite(value)) return;
  FMagnify = value;
  Paint();
}

void TGeoMap::SetTopLeft(const TPoint& value) {
  FTopLeft = value;
  Paint();
}

// [SECTION] keeping the view on the image

void TGeoMap::PanMapToFillWindow() {
  const double a = FMapImgWidth - Width() / FMagnify, b = FMapImgHeight - Height() / FMagnify;
  if (FTopLeft.X > a) FTopLeft.X = RoundToInt(a);
  if (FTopLeft.Y > b) FTopLeft.Y = RoundToInt(b);
  FTopLeft.X = std::max(FTopLeft.X, 0);
  FTopLeft.Y = std::max(FTopLeft.Y, 0);
}

void TGeoMap::BringMapPixelToCenter(const TPoint& P) {
  FTopLeft.X = RoundToInt(P.X - double(RoundToInt(Width() / FMagnify / 2)));
  FTopLeft.Y = RoundToInt(P.Y - double(RoundToInt(Height() / FMagnify / 2)));
  PanMapToFillWindow();
  Paint();
}

void TGeoMap::BringLocationToCenter(double Latitude, double Longitude) {
  int px = 0, py = 0;
  if (!CalcPixelCoords(Latitude, Longitude, px, py)) return;
  const int64_t hw = RoundToInt(Width() / FMagnify / 2), hh = RoundToInt(Height() / FMagnify / 2);
  const int64_t x = std::min<int64_t>(px - hw, FMapImgWidth - 2 * hw);
  const int64_t y = std::min<int64_t>(py - hh, FMapImgHeight - 2 * hh);
  SetTopLeft(TPoint{Saturate(std::max<int64_t>(x, 0)), Saturate(std::max<int64_t>(y, 0))});
}

void TGeoMap::ZoomFitPage() {
  if (FMapImgWidth < 1 || FMapImgHeight < 1) return;
  const double m = std::min(double(Height()) / FMapImgHeight, double(Width()) / FMapImgWidth);
  if (!(m > 0)) return;
  FMagnify = m;
  SetTopLeft(TPoint{0, 0});
}

// [SECTION] zoom ring

void TGeoMap::ZoomStateOnStack() {
  if (ComponentState().Contains(csLoading)) return;
  FZoomStack[FZStackPoi - 1] = TgmZoomStackEntry{FTopLeft.X, FTopLeft.Y, FMagnify};
  FZStackPoi = FZStackPoi % 16 + 1;
}

TgmZoomStackEntry TGeoMap::GetZoomStackEntry(int Index) const {
  if (Index < -15 || Index > 0) return TgmZoomStackEntry{};
  int k = FZStackPoi + Index - 1;
  if (k < 1) k += 16;
  return FZoomStack[k - 1];
}

void TGeoMap::ZoomHistory(int Index) {
  if (Index < -15 || Index > 0) return;
  const TgmZoomStackEntry e = GetZoomStackEntry(Index);
  if (e == TgmZoomStackEntry{}) return;
  FTopLeft = TPoint{e.Left, e.Top};
  if (e.MagF > 0 && std::isfinite(e.MagF)) FMagnify = e.MagF;
  Paint();
}

void TGeoMap::ClearZoomHistory() {
  FZoomStack.fill(TgmZoomStackEntry{});
  FZStackPoi = 1;
  ZoomStateOnStack();
}

// [SECTION] composing the picture

void TGeoMap::Paint() {
  if (FSuppressPaint) return;
  ConstructInternalMapImg();
  TCanvas* c = Canvas();
  c->SetCopyMode(cmSrcCopy);
  c->CopyRect(Rect(0, 0, Width(), Height()), AuxBmp->Canvas(), Rect(0, 0, Width(), Height()));
}

void TGeoMap::ConstructInternalMapImg() {
  const int w = std::max(Width(), AuxBmp->Width()), h = std::max(Height(), AuxBmp->Height());
  if (int64_t{w} * h > platform_detail::kMaxImagePixels) return;  // a control beyond any bitmap paints nothing
  AuxBmp->SetSize(w, h);
  ComposeMapPicture(AuxBmp->Canvas(), Width(), Height(), true);
}

void TGeoMap::ComposeMapPicture(TCanvas* c, int W, int H, bool UseCache) {
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetMode(pmCopy);
  const auto fillBackground = [&] {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(FColorBakGnd);
    c->Pen()->SetColor(FColorBakGnd);
    c->Rectangle(0, 0, W, H);
  };
  if (ComponentState().Contains(csDesigning) || FMapImgName.empty()) {
    fillBackground();
    c->Font()->SetColor(FFrameColor);
    c->TextOut(10, 10, FEmptyMsg);
  } else if (Visible()) {
    fillBackground();
    if (UseCache) UpdateImageCache();
    PlaceImage(c, W, H, UseCache);
    if (OnBeforeRenderData) OnBeforeRenderData(this, c);
    DrawMapData(c, W, H);
  }
  DrawFrame(c, FFrameStyle, 0, 0, W - 1, H - 1, FColWhiteLine, clSilver, FColGrayLine, FColBlackLine, clBlack);
}

void TGeoMap::UpdateImageCache() {
  const double m = FMagnify;
  if ((FCacheMag == m && FCacheAA == FAntiAlias) || !(m < FCacheMagLimit)) return;
  const int w = RoundToInt(GrafBmp->Width() * m), h = RoundToInt(GrafBmp->Height() * m);
  FImgCache->SetSize(w, h);
  TCanvas* c = FImgCache->Canvas();
  c->SetStretchMode(FAntiAlias ? HALFTONE : COLORONCOLOR);
  c->SetCopyMode(cmSrcCopy);
  c->CopyRect(Rect(0, 0, w, h), GrafBmp->Canvas(), Rect(0, 0, GrafBmp->Width(), GrafBmp->Height()));
  FCacheMag = m;
  FCacheAA = FAntiAlias;
}

void TGeoMap::PlaceImage(TCanvas* c, int W, int H, bool UseCache) {
  const double m = FMagnify;
  const int L = FTopLeft.X, T = FTopLeft.Y;
  c->SetCopyMode(cmSrcCopy);
  if (UseCache && FCacheMag == m && FCacheAA == FAntiAlias) {
    c->SetStretchMode(COLORONCOLOR);
    const int64_t sx = RoundToInt(m * L), sy = RoundToInt(m * T);
    c->CopyRect(Rect(0, 0, W, H), FImgCache->Canvas(), SaturatedRect(sx, sy, sx + W, sy + H));
    return;
  }
  c->SetStretchMode(FAntiAlias ? HALFTONE : COLORONCOLOR);
  c->CopyRect(Rect(0, 0, W, H), GrafBmp->Canvas(), Rect(L, T, RoundToInt(W / m + L), RoundToInt(H / m + T)));
}

// [SECTION] the picture elsewhere

void TGeoMap::RenderView(TCanvas* c, const TPoint& MapTopLeft, double Mag, const TRect& Dest) {
  const TPoint savedTopLeft = FTopLeft, savedOrigin = c->Origin();
  const double savedMag = FMagnify;
  const TRect savedClip = c->ClipRect();
  const auto restore = [&] {
    FTopLeft = savedTopLeft;
    FMagnify = savedMag;
    c->SetOrigin(savedOrigin);
    c->SetClipRect(savedClip);
  };
  FTopLeft = MapTopLeft;
  FMagnify = Mag;
  c->SetOrigin(TPoint{savedOrigin.X + Dest.Left, savedOrigin.Y + Dest.Top});
  c->SetClipRect(Rect(0, 0, Dest.Width(), Dest.Height()));
  try {
    ComposeMapPicture(c, Dest.Width(), Dest.Height(), false);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TGeoMap::CopyToBMP(TBitmap* Bitmap, const TPoint& MapTopLeft, double Mag, int Left, int Top, int Width,
                        int Height) {
  if (Bitmap == nullptr || Width <= 0 || Height <= 0 || !(Mag > 0) || !std::isfinite(Mag)) return;
  RenderView(Bitmap->Canvas(), MapTopLeft, Mag, SaturatedRect(Left, Top, int64_t{Left} + Width, int64_t{Top} + Height));
}

void TGeoMap::CopyToClipboard() {
  const int w = Width(), h = Height();
  TBitmap picture(w, h);
  TCanvas* c = picture.Canvas();
  const TRect inner = Rect(2, 2, w - 2, h - 2);
  c->SetCopyMode(cmSrcCopy);
  c->CopyRect(inner, AuxBmp->Canvas(), inner);
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetStyle(psSolid);
  c->Polyline({Point(1, 1), Point(w - 2, 1), Point(w - 2, h - 2), Point(1, h - 2), Point(1, 1)});
  Clipboard()->SetBitmap(&picture);
}

void TGeoMap::CopyEntireMapToClipboard() {
  if (FMapImgName.empty() || FMapImgWidth < 1 || FMapImgHeight < 1) return;
  TBitmap picture(FMapImgWidth, FMapImgHeight);
  RenderView(picture.Canvas(), TPoint{0, 0}, 1.0, Rect(0, 0, FMapImgWidth, FMapImgHeight));
  Clipboard()->SetBitmap(&picture);
}

// [SECTION] printing

void TGeoMap::PrintIt(double ScaleF) {
  TPrinter* printer = Printer();
  printer->SetTitle(Name());
  printer->BeginDoc();
  int x = 0, y = 0;
  try {
    CopyToOpenPrinter(x, y, ScaleF);
  } catch (...) {
    printer->Abort();
    throw;
  }
  printer->EndDoc();
}

void TGeoMap::CopyToOpenPrinter(int& x, int& y, double ScaleF) {
  const double f = PrinterFactor(ScaleF);
  const TRect dest = SaturatedRect(x, y, x + int64_t{RoundToInt(Width() * f)}, y + int64_t{RoundToInt(Height() * f)});
  RenderView(Printer()->Canvas(), FTopLeft, FMagnify * f, dest);
  x = dest.Right;
  y = dest.Bottom;
}

void TGeoMap::CalcExtentsOfPrint(const TRect& MapArea, int Percent, int& Width, int& Height) const {
  const TRect area = Ordered(MapArea);
  const double f = PercentFactor(Percent);
  Width = RoundToInt((double(area.Right) - area.Left) * f);
  Height = RoundToInt((double(area.Bottom) - area.Top) * f);
}

void TGeoMap::CopyToOpenPrinter(const TRect& MapArea, int PrnX, int PrnY, int Percent) {
  int w = 0, h = 0;
  CalcExtentsOfPrint(MapArea, Percent, w, h);
  if (w < 1 || h < 1) return;
  const TRect area = Ordered(MapArea);
  RenderView(Printer()->Canvas(), TPoint{area.Left, area.Top}, PercentFactor(Percent),
             SaturatedRect(PrnX, PrnY, int64_t{PrnX} + w, int64_t{PrnY} + h));
}

void TGeoMap::CopyToOpenPrinter(const TPoint& MapTopLeft, int MapWidth, int MapHeight, int PrnX, int PrnY,
                                int Percent) {
  CopyToOpenPrinter(SaturatedRect(MapTopLeft.X, MapTopLeft.Y, int64_t{MapTopLeft.X} + MapWidth,
                                  int64_t{MapTopLeft.Y} + MapHeight),
                    PrnX, PrnY, Percent);
}

}  // namespace qelta
