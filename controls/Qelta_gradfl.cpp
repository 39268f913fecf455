// Qelta_gradfl: the gradient fill TGradFill.
//
// The band colours use the platform's MulDiv (exact 64-bit product, rounded half away from zero) on
// the signed channel differences, so N = 2 from black to white gives 128 in the second band. The
// mid-band formula keeps its classic form for even N: with h = N div 2 the bands after the middle
// use N - k - 1, so N = 4 gives the fractions 0, 1/2, 1, 0.
// Deviation: Paint draws nothing when the bitmap cannot be had (a control over 2^28 pixels) instead
// of raising.

#include "Qelta_gradfl.h"

#include <algorithm>
#include <memory>

#include "Math.h"
#include "Qelta_ctlbitmap.h"

namespace qelta {

// [SECTION] band colours

TColor GradientBandColor(TGradType Type, int k, int N, TColor First, TColor Last) {
  const TColor first = ColorToRGB(First), last = ColorToRGB(Last);
  if (N < 2) return first;
  const bool midBand = Type == gtMidBandHoriz || Type == gtMidBandVert;
  const int h = N / 2;
  const int step = !midBand ? k : (k <= h ? k : N - k - 1);
  const int den = midBand ? h : N;
  auto channel = [&](uint8_t c0, uint8_t c1) { return c0 + MulDiv(step, int(c1) - int(c0), den); };
  const int r = channel(GetRValue(first), GetRValue(last));
  const int g = channel(GetGValue(first), GetGValue(last));
  const int b = channel(GetBValue(first), GetBValue(last));
  return static_cast<TColor>(r + g * 256 + b * 65536);
}

// [SECTION] construction

TGradFill::TGradFill(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 121, 121); }

TGradFill::~TGradFill() = default;

// [SECTION] drawing

void TGradFill::DrawGradient(TBitmap& Bmp) const {
  TCanvas* c = Bmp.Canvas();
  const int W = Bmp.Width(), H = Bmp.Height(), N = FNrColors;
  const bool horizontal = FGradType == gtHoriz || FGradType == gtMidBandHoriz;
  for (int k = 0; k < N; ++k) {
    const TRect band = horizontal ? Rect(0, MulDiv(k, H, N), W, MulDiv(k + 1, H, N))
                                  : Rect(MulDiv(k, W, N), 0, MulDiv(k + 1, W, N), H);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(GradientBandColor(FGradType, k, N, FColorFirst, FColorLast));
    c->FillRect(band);
  }
  DrawGrid(c, W, H);
  DrawFrame(c, FFrameStyle, 0, 0, W - 1, H - 1, clWhite, clSilver, clGray, clBlack, clBlack);
}

void TGradFill::DrawGrid(TCanvas* Canvas, int W, int H) const {
  if (FGridMode == gmNone) return;
  Canvas->Pen()->SetColor(FGridColor);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetMode(pmCopy);
  const int N = FNrColors;
  for (int k = 1; k < N; ++k) {
    if (FGridMode == gmHoriz || FGridMode == gmBoth) {
      const int y = MulDiv(k, H, N);
      Canvas->MoveTo(0, y);
      Canvas->LineTo(W, y);
    }
    if (FGridMode == gmVert || FGridMode == gmBoth) {
      const int x = MulDiv(k, W, N);
      Canvas->MoveTo(x, 0);
      Canvas->LineTo(x, H);
    }
  }
}

void TGradFill::Paint() {
  const std::unique_ptr<TBitmap> bmp = ctl_detail::OffscreenBitmap(Width(), Height());
  if (bmp == nullptr) return;
  DrawGradient(*bmp);
  Canvas()->Draw(0, 0, bmp.get());
  if (OnPaint) OnPaint(this);
}

// [SECTION] properties

void TGradFill::SetNrColors(int value) {
  FNrColors = std::clamp(value, 1, 255);
  Invalidate();
}

void TGradFill::SetFillType(TGradType value) {
  if (value == FGradType) return;
  FGradType = value;
  Invalidate();
}

void TGradFill::SetColorFirst(TColor value) {
  FColorFirst = value;
  (FColorsFlipped ? FColLastOrg : FColFirstOrg) = value;
  Invalidate();
}

void TGradFill::SetColorLast(TColor value) {
  FColorLast = value;
  (FColorsFlipped ? FColFirstOrg : FColLastOrg) = value;
  Invalidate();
}

void TGradFill::SetColorFlipped(bool value) {
  FColorsFlipped = value;
  FColorFirst = value ? FColLastOrg : FColFirstOrg;
  FColorLast = value ? FColFirstOrg : FColLastOrg;
  Invalidate();
}

void TGradFill::SetFrameStyle(TFrameStyle value) {
  FFrameStyle = value;
  Invalidate();
}

void TGradFill::SetGridMode(TGridMode value) {
  FGridMode = value;
  Invalidate();
}

void TGradFill::SetGridColor(TColor value) {
  FGridColor = value;
  Invalidate();
}

}  // namespace qelta
