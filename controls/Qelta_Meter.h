#pragma once
// Qelta_Meter: the analogue panel meter TMeter and the look of its needles, TNeedleLayout.
//
// What: a circular scale (90 to 360 degrees of sweep) with coloured low, normal and high zones, one
// or two needles, two limit lamps, a caption, the cover rims of a panel and an anchor cap over the
// needle's pivot. Hosts set Value and hear OnOverFlow, OnNormalRange and OnUnderFlow; the mouse reads
// values off the dial (OnMouseMoveInMeter).
// How: the geometry (sweep A, radius R, pivot CX, CY) follows the layout and the control's size
// (CalcMeterLayoutParams). A value v covers the fraction f of the scale, linear or logarithmic, and
// points in the direction 90 + A/2 - A f degrees (counter-clockwise from the x axis): the minimum
// left of the top, the maximum right of it. Setters store, clamp and repaint at once; Paint renders
// an off-screen bitmap of the control's size and copies it onto the control in one step (nothing
// reaches a control that is not on a shown form; painting never raises).
// Limits: the scale keeps its maximum above its minimum; a logarithmic scale needs both ends above
// 1e-100. Between BeginLoading and EndLoading the value, limit and threshold setters only store;
// Loaded then puts the settings in order. The labels stand inside the arc, where the needle's head
// passes over them. On mlCirc360 the scale's ends meet: a maximum on a labelled tick writes its label
// over the minimum's (0..100 writes 100 over 0); a range whose maximum lies between labelled ticks
// keeps them apart. Use the gauge (qeltaplot) for a straight scale.

#include <cstdint>
#include <functional>
#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

/// Shape of the scale arc: its sweep in degrees.
enum TMeterLayout : uint8_t { mlCirc90, mlCirc120, mlCirc180, mlCirc270, mlCirc300, mlCirc360 };

/// The mouse moved over the meter: on the scale's sweep or not, the keys held, the value there (0 off it).
using TMouseMoveInMeterEvent =
    std::function<void(TObject* Sender, bool WithinRange, TShiftState Shift, double MeterValue)>;
/// A scale label is about to be written centred on the point whose top-left cell corner is (ChartX,
/// ChartY); the handler may change the text or empty it (no label).
using TmtBeforeDrawScaleLabelEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, String& CurrentTickLabel, int ChartX, int ChartY)>;
/// The first needle is about to be drawn; a handler that draws it itself sets NeedleDrawn.
using TBeforeDrawNeedleEvent = std::function<void(TObject* Sender, TCanvas* Canvas, bool& NeedleDrawn)>;
/// The picture is complete but for its outer frame.
using TMeterRenderedEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;

// --- TNeedleLayout -----------------------------------------------------------------------------

/// The look of one needle: body and outline colours, the shaft's thickness, the head (an arrow of
/// HeadSize pixels opening by HeadAngle degrees, the shaft ending HeadMidLeng pixels behind the
/// tip), the length in percent of the scale radius, and a shadow offset. A new layout is all zero;
/// the meter gives its two needles their looks. Every setter clamps, and on a change stores and
/// calls OnChange.
class TNeedleLayout : public TPersistent {
 public:
  /// From another TNeedleLayout: every setting but OnChange, then one OnChange; other sources raise
  /// the platform's "Cannot assign" error.
  void Assign(TPersistent* Source) override;

  TColor ColorBody() const { return FColorFill; }
  void SetColorBody(TColor value);
  TColor ColorOutline() const { return FColorLine; }
  void SetColorOutline(TColor value);
  /// Length of the head's flanks in pixels.
  int HeadSize() const { return FSize1; }
  void SetHeadSize(int value);
  /// Width of the shaft in pixels.
  int Thickness() const { return FThickness; }
  void SetThickness(int value);
  /// Length in percent of the scale radius less 4 pixels; clamped to 0..100.
  int PercentNeedleLength() const { return FPctNeedleLeng; }
  void SetPercentNeedleLength(int value);
  /// Opening of the head in degrees; clamped to 0..180.
  int HeadAngle() const { return FAngle1; }
  void SetHeadAngle(int value);
  /// Distance in pixels from the tip back to where the shaft ends.
  int HeadMidLeng() const { return FBackShift1; }
  void SetHeadMidLeng(int value);
  /// The shadow lies at (-ShadowDx, -ShadowDy) from the needle; 0, 0 draws none.
  int ShadowDx() const { return FShadowDx; }
  void SetShadowDx(int value);
  int ShadowDy() const { return FShadowDy; }
  void SetShadowDy(int value);
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);

  TNotifyEvent OnChange;

 protected:
  /// Fires OnChange when assigned.
  void Changed();

 private:
  template <class T>
  void Store(T& Field, const T& value);

  TColor FColorFill = 0;
  TColor FColorLine = 0;
  int FSize1 = 0;
  int FThickness = 0;
  int FPctNeedleLeng = 0;
  int FAngle1 = 0;
  int FBackShift1 = 0;
  int FShadowDx = 0;
  int FShadowDy = 0;
  TColor FShadowColor = 0;
  bool FVisible = false;
};

// --- TMeter ------------------------------------------------------------------------------------

/// An analogue panel meter, 297 x 209 pixels when created: a 90-degree scale 0..1 with three
/// labelled ticks, the first needle shown, the second hidden.
class TMeter : public TGraphicControl {
 public:
  explicit TMeter(TComponent* AOwner);
  ~TMeter() override;

  // -- geometry and value mapping
  /// Sweep, radius and pivot from the layout, the rims and the control's size. mlCirc90, mlCirc120
  /// and mlCirc180 pivot near the bottom rim; mlCirc270, mlCirc300 and mlCirc360 hang the dial from
  /// the top rim. Radius and pivot height stay within +-2^26 pixels, whatever the rims.
  void CalcMeterLayoutParams();
  /// Needle angle in degrees of the value clamped into the range: 180 - A/2 at the minimum, 180
  /// (straight up) in the middle, 180 + A/2 at the maximum.
  double CalcNeedleAngle(double Value) const;
  /// The pixel at PctRadius percent of the radius in the direction of Value (clamped into the range).
  void ConvertToPixelCoords(double PctRadius, double Value, int& X, int& Y) const;
  /// The value in the direction of the pixel from the pivot; false and 0 outside the scale's sweep.
  bool ConvertPixelToValue(int XPos, int YPos, double& MeterValue) const;
  /// Decimals of the labels: Decimals, except for -2: -1 (exponent form) when |A - B| >= 1,000,000
  /// or <= 1e-4, 0 when it is >= 100, else 2 - Round(ln|A - B| / 2.5).
  static int CalcM(int Decimals, double A, double B);

  // -- component
  /// Moves or resizes, then computes the geometry again.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // -- scale (NaN is ignored by every value, limit and threshold setter)
  TMeterLayout MeterLayout() const { return FMeterLayout; }
  /// On a change: stores, computes the geometry, repaints.
  void SetMeterLayout(TMeterLayout value);
  double MeterMinValue() const { return FMinValue; }
  /// On a change: a maximum not above it moves to value + 1; values and thresholds below it rise to
  /// it; repaints; no event. Ignores infinite values and, on a logarithmic scale, values below 1e-100.
  void SetMeterMinValue(double value);
  double MeterMaxValue() const { return FMaxValue; }
  /// On a change: a minimum not below it moves to value - 1 (value / 10 on a logarithmic scale where
  /// that is not above 0); values and thresholds above it fall to it; repaints; no event. Ignores
  /// infinite values and, on a logarithmic scale, values below 1e-100.
  void SetMeterMaxValue(double value);
  bool Logarithmic() const { return FLogarithmic; }
  /// On a change: true only while both ends lie above 1e-100 (else the scale stays linear); repaints.
  void SetLogarithmic(bool value);
  /// Wanted number of labelled ticks, clamped to 2..21; repaints on a change.
  int MeterNrTicks() const { return FNrTicks; }
  void SetMeterNrTicks(int value);
  /// Decimals of the labels, clamped to 0..4; repaints on a change.
  int MeterDecPlaces() const { return FDecPlaces; }
  void SetMeterDecPlaces(int value);
  bool MeterShortTicks() const { return FShortTicks; }
  void SetMeterShortTicks(bool value);
  /// The arc line of the scale.
  bool MeterScaleLine() const { return FScaleLine; }
  void SetMeterScaleLine(bool value);
  /// Arc, ticks and labels; repaints always.
  bool ScaleVisible() const { return FScaleVis; }
  void SetScaleVisible(bool value);
  TColor ColorScale() const { return FColorScale; }
  void SetColorScale(TColor value);

  // -- values and thresholds
  double Value() const { return FValue; }
  /// Ignored when equal to Value; clamped into the range (infinities to its ends); the lamps follow
  /// and OnOverFlow (at or above ThresholdHigh), OnNormalRange or OnUnderFlow (at or below
  /// ThresholdLow) fires, only while the first needle is Visible; repaints always.
  void SetValue(double value);
  /// Value of the second needle. Ignored when equal; clamped into the range. While the second needle
  /// is Visible it decides the lamps and events as Value does and repaints; while it is hidden the
  /// value is only stored.
  double ValueSec() const { return FValue2; }
  void SetValueSec(double value);
  /// Upper end of the low zone. On a change: clamped into the range; a high threshold below it rises
  /// to it; the low lamp lights and OnUnderFlow fires when Value is not above it; repaints.
  double ThresholdLow() const { return FLowThreshold; }
  void SetThresholdLow(double value);
  /// Lower end of the high zone: the mirror of ThresholdLow (high lamp, OnOverFlow when Value is at
  /// or above it).
  double ThresholdHigh() const { return FHighThreshold; }
  void SetThresholdHigh(double value);

  // -- zones and dial
  /// The coloured zones; repaints always.
  bool ScaleBkVisible() const { return FScaleBkVis; }
  void SetScaleBkVisible(bool value);
  /// Width of the zone ring in percent of the radius, clamped to 0..100; repaints always.
  double ScaleBkWidth() const { return FScaleBakWidth; }
  void SetScaleBkWidth(double value);
  TColor ColorSclBkLow() const { return FColorBakGLow; }
  void SetColorSclBkLow(TColor value);
  TColor ColorSclBkNorm() const { return FColorBakGNorm; }
  void SetColorSclBkNorm(TColor value);
  TColor ColorSclBkHigh() const { return FColorBakGHigh; }
  void SetColorSclBkHigh(TColor value);
  TColor ColorBakG() const { return FColorBakG; }
  void SetColorBakG(TColor value);
  /// Picture file drawn as the dial's background (any format the platform reads). A missing file
  /// clears the name; a file that does not load raises the platform's error with the name stored
  /// and no repaint. A picture with a side of 0 counts as none.
  const String& BackGroundImg() const { return FBakGndFName; }
  void SetBackGroundImg(const String& value);
  /// How the background picture fills the control; repaints always.
  TBkgFill BkgndFillMode() const { return FBGFillMode; }
  void SetBkgndFillMode(TBkgFill value);
  /// Text drawn in the dial above the pivot, in FontCaption; repaints always.
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& value);
  TFont* FontCaption() const { return FFontCaption.get(); }
  /// Copies the font and repaints.
  void SetFontCaption(TFont* value);

  // -- cover, anchor, frame
  TColor ColorCover() const { return FColorCover; }
  void SetColorCover(TColor value);
  int RimTop() const { return FTRim; }
  /// Widths of the cover rims in pixels; on a change the geometry is computed again.
  void SetRimTop(int value);
  int RimBottom() const { return FBRim; }
  void SetRimBottom(int value);
  int RimSide() const { return FSRim; }
  void SetRimSide(int value);
  bool AnchorCovered() const { return FAnchorCovrd; }
  void SetAnchorCovered(bool value);
  /// Radius of the anchor cap in pixels.
  int AnchorSize() const { return FSizeAnchor; }
  void SetAnchorSize(int value);
  /// Picture file drawn centred on the pivot as the anchor cap; its black pixels ($000000) leave
  /// the dial visible. A missing file or one that does not load clears the name.
  const String& AnchorImage() const { return FACoverFName; }
  void SetAnchorImage(const String& value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  /// Colours of the outer frame's bevel: csBWG gray and white, csSystem the button shadow and
  /// highlight.
  void SetColorScheme(TColorScheme value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);

  // -- limit lamps
  bool LimWatchHighOn() const { return FLimWatHighOn; }
  void SetLimWatchHighOn(bool value);
  bool LimWatchLowOn() const { return FLimWatLowOn; }
  void SetLimWatchLowOn(bool value);
  /// Colour of a lit lamp.
  TColor LimWatchActColor() const { return FLimWatActCol; }
  void SetLimWatchActColor(TColor value);
  /// Colour of a dark lamp.
  TColor LimWatchPsvColor() const { return FLimWatPsvCol; }
  void SetLimWatchPsvColor(TColor value);

  // -- needles
  TNeedleLayout* NeedleLayout() const { return FNeedleLayout.get(); }
  /// Copies the layout into the first needle's and repaints.
  void SetNeedleLayout(TNeedleLayout* value);
  TNeedleLayout* NeedleLayoutSec() const { return FNeedle2Layout.get(); }
  /// Copies the layout into the second needle's and repaints.
  void SetNeedleLayoutSec(TNeedleLayout* value);

  // -- events
  TNotifyEvent OnOverFlow;
  TNotifyEvent OnNormalRange;
  TNotifyEvent OnUnderFlow;
  TMouseMoveInMeterEvent OnMouseMoveInMeter;
  TmtBeforeDrawScaleLabelEvent OnBeforeDrawScaleLabel;
  TBeforeDrawNeedleEvent OnBeforeDrawNeedle;
  TMeterRenderedEvent OnMeterRendered;

 protected:
  /// Puts what was stored while loading in order (maximum above minimum, a logarithmic scale only
  /// with both ends above 1e-100, thresholds and values within the range, low <= high threshold),
  /// loads the pictures (clearing a name that fails) and repaints. The lamps stay as they were.
  void Loaded() override;
  /// Renders the picture into an off-screen bitmap and copies it onto the control; nothing at all
  /// when the radius is not above 0, the control has no pixels or its bitmap cannot be made.
  void Paint() override;
  /// After the platform's handling, a mouse move reports the value under the pointer.
  void WndProc(TMessage& Message) override;
  /// The steps of Paint between creating its bitmap and copying it: the whole picture on Canvas.
  void RenderMeter(TCanvas* Canvas);
  /// OnChange of both needle layouts: repaints.
  void StyleChanged(TObject* Sender);
  virtual void DoOverFlowEvent();
  virtual void DoNormalRangeEvent();
  virtual void DoUnderFlowEvent();
  /// Fires OnMouseMoveInMeter.
  virtual void MouseMoveInMeter(bool WithinRange, TShiftState Shift, double MeterValue);

  /// The geometry CalcMeterLayoutParams computed: sweep in degrees, radius, pivot.
  int MeterAngle() const { return FMeterAngle; }
  double MeterRadius() const { return FMeterRadius; }
  int MeterCenterX() const { return FMeterCenterX; }
  int MeterCenterY() const { return FMeterCenterY; }
  /// Whether the high and the low lamp are lit.
  bool HighLampLit() const { return FOFL; }
  bool LowLampLit() const { return FUFL; }

 private:
  /// Round half to even onto the int range (NaN 0): every float that becomes a pixel.
  static int RoundPx(double x);
  bool Loading() const { return ComponentState().Contains(csLoading); }
  double Clamped(double v) const;
  double Fraction(double v) const;
  bool LogScale() const;
  void Judge(double v);
  void RaiseFloor(double v);
  void LowerCeiling(double v);
  void PutInOrder();
  void LoadBackground();
  void LoadAnchor();
  std::unique_ptr<TBitmap> AnchorMask(const TRect& part) const;
  template <class T>
  void Store(T& Field, const T& value);
  template <class T>
  void StoreAlways(T& Field, const T& value);
  void StoreRim(int& Field, int value);
  void WMMouseMoveInMeter(const TMessage& Message);

  // painting steps (Qelta_Meter_paint.cpp)
  struct TPaintScale;
  double Direction(double v) const;
  TPoint PolarPoint(double theta, double rho) const;
  void DrawBackground(TCanvas* c);
  void DrawZones(TCanvas* c);
  void DrawScale(TCanvas* c);
  void DrawShortTicks(TCanvas* c, const TPaintScale& s);
  void DrawMainTicks(TCanvas* c, const TPaintScale& s);
  void DrawDecades(TCanvas* c, const TPaintScale& s);
  void DrawTick(TCanvas* c, double v, double inner);
  void DrawLabel(TCanvas* c, const TPaintScale& s, double v);
  void DrawCaption(TCanvas* c);
  void DrawNeedles(TCanvas* c);
  void DrawNeedle(TCanvas* c, const TNeedleLayout& n, double v);
  void DrawCover(TCanvas* c);
  void DrawWindowBevel(TCanvas* c);
  void DrawAnchor(TCanvas* c);
  void DrawKnob(TCanvas* c);
  void DrawHalfCap(TCanvas* c);
  void DrawLamps(TCanvas* c);
  void DrawOuterFrame(TCanvas* c);

  TMeterLayout FMeterLayout = mlCirc90;
  int FMeterAngle = 90;
  double FMeterRadius = 0;
  int FMeterCenterX = 0;
  int FMeterCenterY = 0;
  double FMinValue = 0;
  double FMaxValue = 1;
  double FValue = 0;
  double FValue2 = 0;
  double FLowThreshold = 0;
  double FHighThreshold = 1;
  bool FLogarithmic = false;
  int FNrTicks = 3;
  int FDecPlaces = 1;
  bool FShortTicks = true;
  bool FScaleLine = true;
  bool FScaleVis = true;
  TColor FColorScale = clNavy;
  bool FScaleBkVis = false;
  double FScaleBakWidth = 0;
  TColor FColorBakGLow = clLime;
  TColor FColorBakGNorm = 0x0080FF;
  TColor FColorBakGHigh = clRed;
  TColor FColorBakG = clWhite;
  TColor FColorCover = clBtnFace;
  TColorScheme FColorScheme = csBWG;
  TColor FColGrayLine = clGray;
  TColor FColWhiteLine = clWhite;
  TFrameStyle FFrameStyle = fsRaised;
  int FTRim = 8;
  int FBRim = 10;
  int FSRim = 10;
  bool FAnchorCovrd = true;
  int FSizeAnchor = 24;
  String FACoverFName;
  String FBakGndFName;
  TBkgFill FBGFillMode = bfSimple;
  bool FLimWatHighOn = true;
  bool FLimWatLowOn = true;
  TColor FLimWatActCol = clRed;
  TColor FLimWatPsvCol = clGray;
  bool FOFL = false;
  bool FUFL = false;
  String FCaption;
  std::unique_ptr<TFont> FFontCaption;
  std::unique_ptr<TNeedleLayout> FNeedleLayout;
  std::unique_ptr<TNeedleLayout> FNeedle2Layout;
  std::unique_ptr<TBitmap> AuxBGBmp;
  std::unique_ptr<TBitmap> AuxACBmp;  // the anchor picture; its mask is made for each paint (AnchorMask)
};

}  // namespace qelta

QELTA_PUBLIC_END
