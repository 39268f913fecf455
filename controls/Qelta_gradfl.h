#pragma once
// Qelta_gradfl: the gradient fill TGradFill, a banded colour gradient as a background or legend.
//
// What: fills the control with NrColors flat bands between ColorFirst and ColorLast, stacked from
// top to bottom or from left to right; the mid-band types rise to ColorLast in the middle band and
// fall back. Optional grid lines mark the band borders.
// How: Paint draws into an off-screen bitmap (DrawGradient) and copies it onto the control. Band k
// of N spans MulDiv(k, extent, N) .. MulDiv(k + 1, extent, N), so bands meet without gaps; each
// channel is c0 + MulDiv(k, dc, N) on the signed difference dc (the last band stops one step short
// of ColorLast), and on the mid-band types c0 + MulDiv(j, dc, N div 2) with j = k up to the middle
// band and N - k - 1 after it (for even N the bands after the middle start lower than they rose).
// Grid lines (1 pixel, GridColor) lie on the band borders k = 1..N - 1 of the height (gmHoriz), of
// the width (gmVert) or both, whatever the band direction, under the frame.
// Limits: at most 255 bands; colours are taken as RGB (system colours resolved); a control over
// 2^28 pixels paints nothing. Use the gauge or the colour scale for a gradient with a scale.

#include <cstdint>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

/// Band direction and shape: horizontal bands from the top, vertical bands from the left, and the
/// same layouts rising to ColorLast in the middle band and returning.
enum TGradType : uint8_t { gtHoriz, gtVert, gtMidBandHoriz, gtMidBandVert };
/// Grid lines over the fill: none, on the horizontal band borders, the vertical ones, or both.
enum TGridMode : uint8_t { gmNone, gmHoriz, gmVert, gmBoth };

/// Colour (as RGB) of band k (0..N - 1) of N between First and Last for the fill type; N < 2 gives
/// First.
TColor GradientBandColor(TGradType Type, int k, int N, TColor First, TColor Last);

// --- TGradFill ---------------------------------------------------------------------------------

/// A banded gradient. Setters store and invalidate.
class TGradFill : public TGraphicControl {
 public:
  /// 121 x 121 pixels, 16 bands, gtHoriz from clMaroon to clYellow, no frame, no grid.
  explicit TGradFill(TComponent* AOwner);
  ~TGradFill() override;

  // -- the main job
  /// Fills the bitmap (at its own size) with the bands, the grid and the frame.
  void DrawGradient(TBitmap& Bmp) const;

  // -- properties
  int NrColors() const { return FNrColors; }
  /// Clamped to 1..255.
  void SetNrColors(int value);
  TGradType FillType() const { return FGradType; }
  void SetFillType(TGradType value);
  TColor ColorFirst() const { return FColorFirst; }
  /// Also the stored pair's first colour, or its last while flipped.
  void SetColorFirst(TColor value);
  TColor ColorLast() const { return FColorLast; }
  /// Also the stored pair's last colour, or its first while flipped.
  void SetColorLast(TColor value);
  bool ColorFlipped() const { return FColorsFlipped; }
  /// Shows the stored pair exchanged (true) or as stored; flipping twice restores the pair.
  void SetColorFlipped(bool value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  TGridMode GridMode() const { return FGridMode; }
  void SetGridMode(TGridMode value);
  TColor GridColor() const { return FGridColor; }
  void SetGridColor(TColor value);

  // -- events
  /// After each paint.
  TNotifyEvent OnPaint;

 protected:
  /// DrawGradient into a bitmap of the control's size, copied onto the control, then OnPaint.
  void Paint() override;

 private:
  void DrawGrid(TCanvas* Canvas, int W, int H) const;

  int FNrColors = 16;
  TGradType FGradType = gtHoriz;
  TColor FColorFirst = clMaroon;
  TColor FColorLast = clYellow;
  TColor FColFirstOrg = clMaroon;
  TColor FColLastOrg = clYellow;
  bool FColorsFlipped = false;
  TFrameStyle FFrameStyle = fsNone;
  TGridMode FGridMode = gmNone;
  TColor FGridColor = clNavy;
};

}  // namespace qelta

QELTA_PUBLIC_END
