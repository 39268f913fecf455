#pragma once
// Qelta_Gauge: the gauge TScaleGauge, one value on a scale behind a window in a cover plate.
//
// What: an instrument display of one value on a linear or logarithmic scale. With a fixed dial the
// scale stands still and an index (thread, triangles, band or bar) moves to the value; with a
// moving dial the index stays in the middle of the window and the scale slides under it, the value
// always centred. The window has a plain, gradient or mid-band background.
// How: Paint draws into an off-screen bitmap: background of the window, the scale through an owned
// helper TScale (sctXB below the index band, or sctYR left of it; laid out by SetScaleDims), the
// index, the cover plate with its two frames and the caption, then copies the bitmap onto the
// control. Setters store, clamp and paint at once; without a window only the bitmap is drawn, and
// painting never raises. Index and band positions come from pure layout functions.
// Limits: the shown value is Value clamped into Min..Max at paint time; a logarithmic dial needs
// Min and Max above 0; a control too large for a bitmap (over 2^28 pixels) paints nothing. A tick
// label that would not show whole inside the window's frame, or would overlap a label already
// written, is left out (the cover plate cut the end labels into other numbers). The default
// caption (CaptionPosY 10) and the default MarginTop (10) overlap: the window's frame cuts the
// caption unless the host puts it elsewhere, for instance in a top plate at least as high as
// CaptionPosY plus the caption's height. Use the axis scale for an axis without an index, the
// colour scale for a colour bar.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_Scale.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

enum TGaugeOrientation : uint8_t { goHorizontal, goVertical };
enum TGaugeBackground : uint8_t { gbPlain, gbVertGrad, gbHorizGrad, gbVertMidBand, gbHorizMidBand };
enum TGaugeIndexMode : uint8_t {
  gimThread,
  gimTriangle,
  gimThreadTriangle,
  gimThreadTwoTriangles,
  gimBand,
  gimDualColorBand,
  gimBar
};

/// The mouse moved over the gauge: inside the scale's area or not, the keys held, the value there.
using TMouseMoveInGaugeEvent = std::function<void(TObject* Sender, bool InGauge, TShiftState Shift, double rMousePos)>;

// --- layout ------------------------------------------------------------------------------------

/// One straight line of the picture, from (X1, Y1) to (X2, Y2) with the end left out, in a colour.
struct TGaugeStroke {
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  TColor Color = 0;
  friend bool operator==(const TGaugeStroke&, const TGaugeStroke&) = default;
};
using TGaugeStrokes = std::vector<TGaugeStroke>;

/// Where the index of a gauge goes: the picture's size, the gauge's margins (the window), the
/// helper scale's margins, the orientation and the index pixel P along the axis.
struct TGaugeFrame {
  int Width = 300, Height = 75;
  int MarginLeft = 20, MarginRight = 10, MarginTop = 10, MarginBottom = 20;
  int ScaleLeft = 20, ScaleRight = 10, ScaleTop = 10, ScaleBottom = 30;
  bool Vertical = false;
};

/// The lines of the window background: colour t from Color1 (t = 0) to Color2 (t = 1) across the
/// window (gradients) or from both edges to the middle (mid bands); gbPlain is one fill and has no
/// lines. A window of no width (or height) uses t = 0.
TGaugeStrokes GaugeBackground(const TGaugeFrame& Frame, TGaugeBackground Background, TColor Color1, TColor Color2);
/// The lines of the index at pixel P in the given mode; Zero is the pixel of GaugeZero and AboveZero
/// whether the value is at least GaugeZero (gimDualColorBand). Bands run from the window's start
/// (the left edge, or the bottom of a vertical gauge) and are empty when they would run backwards.
TGaugeStrokes GaugeIndex(const TGaugeFrame& Frame, TGaugeIndexMode Mode, int P, int Zero, bool AboveZero, TColor Color1,
                         TColor Color2);

// --- TScaleGauge -------------------------------------------------------------------------------

/// An instrument gauge. Values repair themselves: Value is clamped into Min..Max when set, Min and
/// Max refuse values <= 0 on a logarithmic dial, margins keep 20 pixels of window. Painting is not
/// suppressed before a window exists.
class TScaleGauge : public TCustomControl {
 public:
  explicit TScaleGauge(TComponent* AOwner);
  ~TScaleGauge() override;

  // -- the main job
  /// Lays the helper scale out: sctXB with its base line 10 pixels above the bottom margin
  /// (horizontal) or sctYR 10 pixels left of the right margin (vertical), over the gauge's size.
  void SetScaleDims();

  // -- component
  /// From another TScaleGauge: both frame styles, Value, both background colours, the three line
  /// colours and the colour scheme, then repaints; other sources as the platform.
  void Assign(TPersistent* Source) override;
  /// Moves or resizes, then lays out the helper scale.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // -- properties (each setter stores a changed value and repaints, unless it says more)
  double Value() const { return FGaugeValue; }
  /// Ignored when equal; clamped into Min..Max.
  void SetValue(double value);
  double Min() const { return FGaugeMin; }
  /// Ignored when equal or, on a logarithmic dial, when not above 0; also the scale's RangeLow.
  void SetMin(double value);
  double Max() const { return FGaugeMax; }
  /// Ignored when equal or, on a logarithmic dial, when not above 0; also the scale's RangeHigh.
  void SetMax(double value);
  bool Logarithmic() const { return FLogarithmic; }
  /// Changes only while Min and Max are both above 0; passed on to the scale.
  void SetLogarithmic(bool value);
  /// The fixed dial (true) or the moving one; switching it on resets the scale to Min..Max.
  bool FixedDial() const { return FScaleFixed; }
  void SetFixedDial(bool value);
  /// Reference value of gimDualColorBand.
  double GaugeZero() const { return FGaugeZero; }
  void SetGaugeZero(double value);
  TGaugeBackground Background() const { return FGaugeBG; }
  void SetBackground(TGaugeBackground value);
  TGaugeIndexMode IndexMode() const { return FGaugeIdxMode; }
  void SetIndexMode(TGaugeIndexMode value);
  TGaugeOrientation Orientation() const { return FGaugeOrient; }
  /// Stores, lays out the helper scale, repaints.
  void SetOrientation(TGaugeOrientation value);
  /// Wanted number of tick intervals: passed on to the scale (its MinTicks: 0, or 2..10) and kept as
  /// the scale keeps it, even when equal to the stored value.
  int MinTicks() const { return FMinTicks; }
  void SetMinTicks(int value);
  /// Short ticks on the scale: passed on even when equal to the stored value.
  bool ShortTicks() const { return FShortTicks; }
  void SetShortTicks(bool value);
  /// Width of the cover plate left of the window: 0..Width - MarginRight - 20; lays out the scale.
  int MarginLeft() const { return FCovMargLeft; }
  void SetMarginLeft(int value);
  int MarginRight() const { return FCovMargRight; }
  void SetMarginRight(int value);
  /// Height of the cover plate above the window: 0..Height - MarginBottom - 20; lays out the scale.
  int MarginTop() const { return FCovMargTop; }
  void SetMarginTop(int value);
  int MarginBottom() const { return FCovMargBottom; }
  void SetMarginBottom(int value);
  TColor ColorIndex1() const { return FColorIndex1; }
  void SetColorIndex1(TColor value);
  TColor ColorIndex2() const { return FColorIndex2; }
  void SetColorIndex2(TColor value);
  TColor ColorBg1() const { return FColorSclBG1; }
  void SetColorBg1(TColor value);
  TColor ColorBg2() const { return FColorSclBG2; }
  void SetColorBg2(TColor value);
  TColor ColorCover() const { return FColorCover; }
  void SetColorCover(TColor value);
  /// Colour of the scale's lines and labels.
  TColor ColorScale() const { return FColorScale; }
  void SetColorScale(TColor value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  /// csBWG: gray line $808080, white line white; csSystem: button shadow and highlight.
  void SetColorScheme(TColorScheme value);
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
  /// Frame of the window.
  TFrameStyle FrameStyleInner() const { return FInnerFrameSt; }
  void SetFrameStyleInner(TFrameStyle value);
  /// Frame of the control.
  TFrameStyle FrameStyleOuter() const { return FOuterFrameSt; }
  void SetFrameStyleOuter(TFrameStyle value);

  // -- events
  TMouseMoveInGaugeEvent OnMouseMoveInGauge;

 protected:
  void AssignTo(TPersistent* Dest) override;
  /// Draws the picture into the off-screen bitmap and copies it onto the control (skipped while
  /// hidden, except at design time).
  void Paint() override;
  /// After the platform's handling, a mouse move fires OnMouseMoveInGauge.
  void WndProc(TMessage& Message) override;
  /// The picture of the last paint (for descendants).
  const TBitmap& Picture() const { return *FGrafBmp; }

 private:
  void WMMouseMoveInGauge(const TMessage& Message);
  void FitTickLabel(double Value, String& Text);
  double ShownValue() const;
  void SetDialRange();
  TGaugeFrame Layout() const;
  void DrawStrokes(TCanvas* Canvas, const TGaugeStrokes& Strokes);
  void DrawBackground(TCanvas* Canvas, const TGaugeFrame& Frame);
  void DrawCover(TCanvas* Canvas);
  void SetMargin(int& Field, int value, int extent, int other);
  template <class T>
  void Store(T& Field, const T& value);

  TFrameStyle FInnerFrameSt = fsLowered;
  TFrameStyle FOuterFrameSt = fsRaised;
  String FCaption;
  TColor FCaptColor = clBlack;
  int FCaptPosX = 10;
  int FCaptPosY = 10;
  int FCaptSize = 12;
  TFontStyles FCaptStyle{fsBold};
  double FGaugeMin = -10;
  double FGaugeMax = 10;
  double FGaugeValue = 0;
  TGaugeOrientation FGaugeOrient = goHorizontal;
  TGaugeBackground FGaugeBG = gbVertGrad;
  TGaugeIndexMode FGaugeIdxMode = gimTriangle;
  double FGaugeZero = 0;
  int FCovMargLeft = 20;
  int FCovMargRight = 10;
  int FCovMargTop = 10;
  int FCovMargBottom = 20;
  bool FLogarithmic = false;
  int FMinTicks = 0;
  bool FShortTicks = false;
  TColor FColorIndex1 = clBlack;
  TColor FColorIndex2 = clRed;
  TColor FColorSclBG1 = clGray;
  TColor FColorSclBG2 = clWhite;
  TColor FColorCover = clSilver;
  TColor FColorScale = clBlack;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = clGray;
  TColor FColWhiteLine = clWhite;
  TColorScheme FColorScheme = csBWG;
  bool FScaleFixed = true;
  std::unique_ptr<TBitmap> FGrafBmp;
  std::vector<TRect> FLabelBoxes;  // tick labels written by the paint under way
  /// What the background lines depend on: the picture's size, the window and the colours.
  struct TBackgroundKey {
    int Width = -1, Height = -1, Left = 0, Right = 0, Top = 0, Bottom = 0;
    TGaugeBackground Style = gbPlain;
    TColor Color1 = 0, Color2 = 0;
    friend bool operator==(const TBackgroundKey&, const TBackgroundKey&) = default;
  };
  TBitmap FBackBmp;            // the background lines drawn for FBackKey
  TBackgroundKey FBackKey;     // Width -1: none drawn yet
  TRect FBackBox;              // the box the lines cover, whole
  std::unique_ptr<TScale> FScale;  // owned by this control as its owner, freed first
};

namespace Qelta_Gauge {
/// Puts TScaleGauge on the component palette page "Qelta".
void Register();
}  // namespace Qelta_Gauge

}  // namespace qelta

QELTA_PUBLIC_END
