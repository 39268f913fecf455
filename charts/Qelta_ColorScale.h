#pragma once
// Qelta_ColorScale: the colour scale TColorScale, a colour bar with its axis.
//
// What: a painted control that spreads the colours of its own palette (TColorArray, 1000 rainbow
// colours when new) over the values ColorLow..ColorHigh along an axis ScaleRangeLow..ScaleRangeHigh,
// with a caption and a frame; it converts values to colours and back and reports the value under
// the mouse. A contour plot can attach one and hand it its colour limits.
// How: Paint draws into an off-screen bitmap: background, the bar one pixel line at a time (layout
// from ColorBarLines, a pure function), the axis through an owned helper TScale (sctXT below a
// horizontal bar, sctYL right of a vertical one; laid out by SetScaleDims), caption and frame, then
// copies the bitmap onto the control. Setters store, clamp and paint at once; without a window only
// the bitmap is drawn, and painting never raises.
// Limits: ValueToColor and ColorToValue are not exact inverses (the palette is searched for the
// nearest colour, ties to the lowest index); a control too large for a bitmap (over 2^28 pixels)
// paints nothing. Use the axis scale alone for an axis without colours.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_Scale.h"
#include "Qelta_qeltabase.h"
#include "Qelta_qeltacolors.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

enum TColScaleOrientation : uint8_t { csoHorizontal, csoVertical };

/// The mouse moved over the colour scale: inside the bar or not, the keys held, the axis value there.
using TMouseMoveInColorScaleEvent =
    std::function<void(TObject* Sender, bool InScale, TShiftState Shift, double rMousePos)>;

// --- layout ------------------------------------------------------------------------------------

/// One line across the colour bar: its pixel along the bar and the palette index (1..N) it has.
struct TColorBarLine {
  int Pos = 0;
  int Index = 1;
  friend bool operator==(const TColorBarLine&, const TColorBarLine&) = default;
};

/// The lines of a bar covering pixels Start..End (both included) whose colour interval lies at the
/// pixels LowPos (ColorLow) and HighPos (ColorHigh), for a palette of N colours. Between the two
/// ends, each clamped to the bar, pixel e gets Round((e - LowPos) / (HighPos - LowPos) x N) clamped to
/// 1..N (N div 2 when both ends fall on one pixel); in either direction. With Extend the bar beyond
/// the ColorLow end gets colour 1 and beyond the ColorHigh end colour N, in that order; LowFirst
/// says that the ColorLow end is the one towards Start when both ends fall on one pixel. An empty
/// bar (End < Start) has no lines.
std::vector<TColorBarLine> ColorBarLines(int Start, int End, int LowPos, int HighPos, int N, bool Extend,
                                         bool LowFirst);

// --- TColorScale -------------------------------------------------------------------------------

/// A colour bar with its axis. Values repair themselves: margins are clamped to 0..(size - other
/// margin - 1), ColorLow <= ColorHigh is kept by moving the other end, equal axis ends are moved
/// apart by the helper scale. Painting is not suppressed before a window exists.
class TColorScale : public TCustomControl {
 public:
  explicit TColorScale(TComponent* AOwner);
  ~TColorScale() override;

  // -- the main job
  /// Palette colour of a value: index Round((Value - ColorLow) x N / (ColorHigh - ColorLow)) clamped
  /// to 1..N, the middle colour N div 2 when ColorHigh = ColorLow (N = palette size).
  TColor ValueToColor(double Value) const;
  /// Value of the nearest palette colour i: ColorLow + i / N x (ColorHigh - ColorLow).
  double ColorToValue(TColor Color) const;
  /// Lays the helper scale out along the bar: sctXT on the bar's lower edge (horizontal) or sctYL on
  /// its right edge (vertical).
  void SetScaleDims();
  bool SuppressPaint() const { return FSuppressPaint; }
  /// Stores the flag when it changes; clearing it repaints.
  void SetSuppPaint(bool value);
  /// The owned palette (1000 colours over the rainbow when new); every change repaints.
  TColorArray* ColorArray() const { return FColorArray.get(); }

  // -- component
  /// From another TColorScale: frame style, the three frame colours and the colour scheme, then
  /// repaints; other sources as the platform.
  void Assign(TPersistent* Source) override;
  /// Moves or resizes, then lays out the helper scale.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // -- properties (each setter stores a changed value and repaints, unless it says more)
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& value);
  TColor CaptionColor() const { return FCaptColor; }
  void SetCaptionColor(TColor value);
  int CaptionPosX() const { return FCaptPosX; }
  void SetCaptionPosX(int value);
  int CaptionPosY() const { return FCaptPosY; }
  void SetCaptionPosY(int value);
  int CaptionSize() const { return FCaptSize; }
  void SetCaptionSize(int value);
  TFontStyles CaptionStyle() const { return FCaptStyle; }
  void SetCaptionStyle(TFontStyles value);
  TColor ColorSclBkgd() const { return FColorSclBkgd; }
  void SetColorSclBkgd(TColor value);
  /// Colour of the axis, its labels and the bar's rectangle.
  TColor ColorOfScale() const { return FColorScale; }
  void SetColorOfScale(TColor value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  /// csBWG: gray frame line clGray, white clWhite; csSystem: button shadow and highlight.
  void SetColorScheme(TColorScheme value);
  TFrameStyle FrameStyle() const { return FFrameSt; }
  void SetFrameStyle(TFrameStyle value);
  double ScaleRangeLow() const { return FColSclMin; }
  /// Also the helper's RangeLow; both ends are read back from the helper, which keeps them apart.
  void SetScaleRangeLow(double value);
  double ScaleRangeHigh() const { return FColSclMax; }
  /// Also the helper's RangeHigh; both ends are read back from the helper.
  void SetScaleRangeHigh(double value);
  /// Fill the bar beyond the colour interval with the end colours.
  bool ExtendColors() const { return FExtendColors; }
  void SetExtendColors(bool value);
  /// Draw a rectangle round the bar.
  bool FramedColorScale() const { return FFramedColors; }
  void SetFramedColorScale(bool value);
  double ColorLow() const { return FColorLow; }
  /// A value above ColorHigh moves ColorHigh along.
  void SetColorLow(double value);
  double ColorHigh() const { return FColorHigh; }
  /// A value below ColorLow moves ColorLow along.
  void SetColorHigh(double value);
  /// The bar's distance from the top edge: 0..Height - MarginBottom - 1; lays out the helper.
  int MarginTop() const { return FMarginTop; }
  void SetMarginTop(int value);
  /// The bar's distance from the bottom edge: 0..Height - MarginTop - 1; lays out the helper.
  int MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int value);
  /// The bar's distance from the left edge: 0..Width - MarginRight - 1; lays out the helper.
  int MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int value);
  /// The bar's distance from the right edge: 0..Width - MarginLeft - 1; lays out the helper.
  int MarginRight() const { return FMarginRight; }
  void SetMarginRight(int value);
  TColScaleOrientation Orientation() const { return FColScaleOrient; }
  /// Stores, lays out the helper scale, repaints.
  void SetOrientation(TColScaleOrientation value);

  // -- events
  TMouseMoveInColorScaleEvent OnMouseMoveInScale;

 protected:
  void AssignTo(TPersistent* Dest) override;
  /// Draws the picture into the off-screen bitmap and copies it onto the control (skipped while
  /// hidden or suppressed, except at design time).
  void Paint() override;
  /// After the platform's handling, a mouse move reports through MouseMoveInScale.
  void WndProc(TMessage& Message) override;
  /// Fires OnMouseMoveInScale.
  virtual void MouseMoveInScale(bool InScale, TShiftState Shift, double Value);
  /// The picture of the last paint (for descendants).
  const TBitmap& Picture() const { return *FGrafBmp; }

 private:
  void ColorArrayChange(TObject* Sender);
  void WMMouseMoveInScale(const TMessage& Message);
  void DrawBar(TCanvas* Canvas);
  void SetMargin(int& Field, int value, int extent, int other);
  void AdoptScaleRange();
  template <class T>
  void Store(T& Field, const T& value);

  TFrameStyle FFrameSt = fsLowered;
  String FCaption;
  TColor FCaptColor = clBlack;
  int FCaptPosX = 10;
  int FCaptPosY = 10;
  int FCaptSize = 12;
  TFontStyles FCaptStyle{fsBold};
  bool FSuppressPaint = false;
  double FColSclMin = -10;
  double FColSclMax = 10;
  bool FExtendColors = false;
  int FMarginTop = 8;
  int FMarginBottom = 22;
  int FMarginLeft = 16;
  int FMarginRight = 16;
  bool FFramedColors = true;
  double FColorLow = -10;
  double FColorHigh = 10;
  TColScaleOrientation FColScaleOrient = csoHorizontal;
  TColor FColorSclBkgd = clSilver;
  TColor FColorScale = clBlack;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = clGray;
  TColor FColWhiteLine = clWhite;
  TColorScheme FColorScheme = csBWG;
  std::unique_ptr<TColorArray> FColorArray;
  std::unique_ptr<TBitmap> FGrafBmp;
  std::unique_ptr<TScale> FScale;  // owned by this control as its owner, freed first
};

namespace Qelta_ColorScale {
/// Puts TColorScale on the component palette page "Qelta".
void Register();
}  // namespace Qelta_ColorScale

}  // namespace qelta

QELTA_PUBLIC_END
