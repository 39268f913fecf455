#pragma once
// Qelta_Scale: the axis scale TScale and the pieces it is built from.
//
// What: one linear or logarithmic axis with a base line, long and short tick marks, tick labels, a
// caption and a frame. It stands alone on a form and paints its own window, or it serves the chart,
// the colour scale and the gauge as a helper that draws into its owner's picture (SetIsHelper,
// UseForeignCanvas, ForcePaint) and never gets a window.
// How: a chain of single-job pieces, each usable and tested on its own:
//   range and steps   CalcScalePars (Qelta_math1) for linear axes, whole decades for logarithmic ones;
//   tick list         MakeScaleTicks: every tick with its kind and finished label text, a plain value;
//   value <-> pixel   TScaleMap: pixel = k v + d or k ln v + d, one interface for both;
//   draw              ScaleBaseLine / ScaleTickEnd / ScaleLabelPos / ScaleCaptionPos place the parts,
//                     TScale::DrawXScale / DrawYScale / Paint draw them.
// Limits: the scale records the first 250 tick positions (all ticks are drawn); a generator pass
// stops after max(250, 4 x the axis length in pixels) ticks, so an absurd MinTicks 0 range cannot
// flood the canvas; labels are cut to 14 characters. Time-of-day axes step from 1 ms to 12 h (other
// steps draw numbers); date/time axes cover 0001-01-01 to 9999-12-31 23:59:59.999 and write a
// message instead of ticks for ranges they cannot show. Use the colour scale for a colour bar and
// the chart for data; this unit draws only the axis.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

/// Where the caption is anchored along the axis: start margin, middle of the axis, end margin.
enum TScaleUnitAnchor : uint8_t { uaSclTopLft, uaSclCenter, uaSclBotRgt };

/// After a tick mark is drawn: its value and its pixel on the base line.
using TScaleTickDrawnEvent = std::function<void(TObject* Sender, TCanvas* Canvas, TScaleType ScaleType,
                                                double CurrentTickPos, int ChartX, int ChartY)>;
/// Before a tick label is drawn: the handler may rewrite TickLabel.
using TBeforeTickLabelEvent =
    std::function<void(TObject* Sender, TScaleType ScaleType, double CurrentTickPos, String& TickLabel)>;
/// Before and after a scale is rendered, with the canvas it is drawn on.
using TScaleRenderedEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;

/// Number of tick positions a scale records.
inline constexpr int MaxScaleTickPos = 250;
/// Longest tick label, in characters.
inline constexpr int MaxScaleLabelLength = 14;
/// Tick lengths in pixels: short ticks, long ticks of horizontal and of vertical scales.
inline constexpr int ShortTickLength = 4, LongTickLengthX = 7, LongTickLengthY = 6;

/// True for the vertical scale types sctYL and sctYR.
inline bool IsVerticalScale(TScaleType t) { return t == sctYL || t == sctYR; }

/// The size of a scale's picture and its margins: everything the map and the layout need.
struct TScaleFrame {
  TScaleType ScaleType = sctXB;
  int Width = 400;
  int Height = 400;
  int MarginLeft = 20;
  int MarginRight = 20;
  int MarginTop = 20;
  int MarginBottom = 20;
};

// --- value <-> pixel ---------------------------------------------------------------------------

/// Transform of one axis between values and pixels along it: pixel = K v + D on a linear axis,
/// K ln v + D on a logarithmic one. A new map is the identity (K 1, D 0, linear).
class TScaleMap {
 public:
  /// Puts Low at the start of the axis (left margin, or the bottom for a vertical scale) and High at
  /// its end, logarithmically when Log is set and both ends are positive and finite, else linearly.
  /// An axis of no length gets K 0 and D = half the picture. K and D stay as they were when
  /// Low = High, when an end is not finite, or when they would not be finite.
  void Fit(const TScaleFrame& Frame, double Low, double High, bool Log);
  /// Pixel of a value, rounded half to even and clamped to +-2147483647. On a logarithmic axis a
  /// value <= 1e-100 lies just before the low end: pixel 0 or the far edge by direction.
  int R2M(double Value) const;
  /// Value of a pixel; the centre of the range when K is 0 (an axis of no length).
  double M2R(int Pixel) const;

  double K() const { return FK; }
  double D() const { return FD; }
  bool Log() const { return FLog; }
  /// Sets the transform as it stands (the range and edges are kept).
  void SetTransform(double K, double D);

 private:
  double FK = 1.0;
  double FD = 0.0;
  bool FLog = false;
  int FOffScale = 0;     // pixel of values a logarithmic axis cannot show
  double FCentre = 0.0;  // value answered by M2R when K is 0
};

// --- tick list ---------------------------------------------------------------------------------

/// One tick as a generator leaves it for drawing, in drawing order.
struct TScaleTick {
  double Value = 0.0;
  bool Long = false;      // long tick mark, else short
  bool Labelled = false;  // gets a label (whose text may be empty)
  bool Recorded = false;  // goes into the scale's tick-position list
  String Label;           // finished text: number, user text or inscription applied
  String DateLine;        // date written beside the label of a time-of-day tick (empty: none)
  friend bool operator==(const TScaleTick&, const TScaleTick&) = default;
};
using TScaleTickList = std::vector<TScaleTick>;

/// What the tick generators need to know about a scale.
struct TScaleTickRequest {
  double RangeLow = 0.0;
  double RangeHigh = 100.0;
  int MinTicks = 3;
  bool ShortTicks = true;
  bool Logarithmic = false;
  bool Vertical = false;
  TFigType LabelType = ftNum;
  int DecPlaces = -2;
  String UserTickText;
  String ScaleInscript;
  /// Ticks per pass (short ticks, long ticks) at most; see ScaleTickLimit.
  int MaxTicks = MaxScaleTickPos;
  /// How time and date labels are written (borrowed; nullptr: the defaults of a new TDTLabel).
  const TDTLabel* DateFormat = nullptr;
};

/// The ticks of a scale: calendar ticks for ftDateTime, time-of-day ticks for ftTime unless that
/// generator declines, else logarithmic decades or linear ticks by Request.
TScaleTickList MakeScaleTicks(const TScaleTickRequest& Request);
/// Linear ticks from CalcScalePars: short ticks first, then the long ones with their labels. A range
/// the tick rule gives no distance for (equal or non-finite ends) has no ticks.
TScaleTickList MakeLinearTicks(const TScaleTickRequest& Request);
/// Decades with their 2 and 5 ticks (and 3, 4, 6-9 as short ticks) when the axis spans few decades;
/// less than one decade, an end <= 0 or a non-finite end gives the linear ticks instead.
TScaleTickList MakeLogTicks(const TScaleTickRequest& Request);
/// Ticks per pass for an axis of `AxisLength` pixels: max(250, 4 x AxisLength), at most 2^20.
int ScaleTickLimit(int64_t AxisLength);
/// Decimals of a linear label on a range of width w (> 0): -1 (exponent form) for w >= 1e6 or
/// w <= 1e-4, 0 for w >= 100, else 2 - Round(ln w / 2.5).
int AutoDecimals(double w);

// --- time and date ticks (Qelta_Scale_timeticks.cpp) -------------------------------------------

/// What a date/time axis shows, chosen from its days per wanted interval; dlInvalid and
/// dlBelowSecond write a message instead of ticks.
enum TDateTimeLevel : uint8_t {
  dlInvalid, dlBelowSecond, dlHundredths, dlSeconds, dlMinutes, dlHours, dlDays, dlMonths, dlYears
};
/// The last moment a date/time axis reaches: 9999-12-31 23:59:59.999.
inline constexpr double MaxScaleDateTime = 2958465.0 + 86399999.0 / 86400000.0;

/// Time-of-day ticks of a range in seconds, labelled [-]hh:nn:ss (.zzz below 1 s steps); false,
/// with Ticks untouched, when the wanted step is below 1 ms or a day or more. MinTicks 0 counts as 1.
bool MakeTimeTicks(const TScaleTickRequest& Request, TScaleTickList& Ticks);
/// Calendar ticks of a range of date/time values, labelled through FormatDateTime by
/// Request.DateFormat; clock levels add date lines. None when the level is a message or the range
/// starts after MaxScaleDateTime; no walk goes beyond MaxScaleDateTime.
TScaleTickList MakeDateTimeTicks(const TScaleTickRequest& Request);
/// Level of a date/time axis: dlInvalid unless -693593 <= RangeLow <= RangeHigh <= 3000000; then
/// by days per interval, with a hundredths level on vertical scales only.
TDateTimeLevel DateTimeLevel(const TScaleTickRequest& Request);
/// Lines of the message an ftDateTime scale writes in place of ticks (one line on a horizontal
/// scale, stacked words on a vertical one); empty when it has ticks.
std::vector<String> ScaleMessage(const TScaleTickRequest& Request);
/// " hh:nn:ss" or "-hh:nn:ss" of |Seconds| rounded to whole seconds, or to milliseconds with
/// ".zzz" when WithMs; hours are not wrapped at 24. NaN counts as 0, magnitudes stop at 1e16 s.
String ScaleTimeText(double Seconds, bool WithMs);

// --- layout ------------------------------------------------------------------------------------

/// Length of the axis in pixels minus one (Width or Height less both margins less 1); may be <= 0.
int64_t ScaleAxisLength(const TScaleFrame& Frame);
/// Pixel column (vertical) or row (horizontal) of the base line of a picture whose top-left is at
/// (X, Y): bottom margin for sctXB, top margin for sctXT, left for sctYL, right for sctYR.
int64_t ScaleBaseLine(const TScaleFrame& Frame, int X, int Y);
/// The other end of a tick mark of Length pixels that starts on the line: towards the labels.
int64_t ScaleTickEnd(TScaleType Type, int64_t Line, int Length);
/// Top-left of a tick label of the given text size for a tick at pixel Along of a line at Line.
TPoint ScaleLabelPos(const TScaleFrame& Frame, int64_t Line, int64_t Along, int TextWidth, int TextHeight);
/// Top-left of the date line of a time-of-day tick: one text height beyond its label on a horizontal
/// scale (placed as a label), above the label on a vertical one.
TPoint ScaleDateLinePos(const TScaleFrame& Frame, int64_t Line, int64_t Along, int TextWidth, int TextHeight);
/// Top-left of line Index (from 0) of a scale message at pixel Along: horizontally one line centred
/// on it, 7 pixels beyond the line on the label side; vertically lines stacked from one text height
/// above it, 2 pixels beyond the line.
TPoint ScaleMessagePos(const TScaleFrame& Frame, int64_t Line, int64_t Along, int Index, int TextWidth,
                       int TextHeight);
/// Top-left of the caption: anchored along the axis, on the line across it, moved by (PosX, PosY)
/// and aligned horizontally on that point; then moved into the picture, so that no part of a
/// TextWidth x TextHeight text lies outside it (the left or top edge wins for a larger text).
TPoint ScaleCaptionPos(const TScaleFrame& Frame, int64_t Line, TScaleUnitAnchor Anchor, TAlignment Align, int PosX,
                       int PosY, int TextWidth, int TextHeight = 0);

// --- TScale ------------------------------------------------------------------------------------

/// A painted control showing one axis. Values repair themselves instead of raising: an equal range
/// end is moved by one unit, margins below 0 become 0, DecPlaces (-3..12) and MinTicks (0 or 2..10)
/// are clamped, a logarithmic axis is refused (silently) on a loaded scale whose range reaches below
/// 1e-100 or that shows dates. Created with painting suppressed until the window exists; a helper
/// never gets one and paints only through ForcePaint.
class TScale : public TCustomControl {
 public:
  explicit TScale(TComponent* AOwner);
  ~TScale() override;

  // -- painting and helper mode
  /// Repaints: invalidates the window of a transparent standalone scale, else paints at once.
  void TriggerPaint();
  /// Paints now even while painting is suppressed; the suppression is restored afterwards.
  void ForcePaint();
  bool SuppressPaint() const { return FSuppressPaint; }
  /// Stores the flag when it changes; clearing it repaints.
  void SetSuppressPaint(bool value);
  /// Draws on Canvas (borrowed; nullptr: the own canvas again) with the picture's top-left at (X, Y);
  /// no repaint.
  void UseForeignCanvas(TCanvas* Canvas, int X, int Y);
  TCanvas* ForeignCanvas() const { return FForeignCv; }
  int ForCvPosX() const { return FForCvPosX; }
  /// Stores the position on the foreign canvas and repaints.
  void SetForCvPosX(int value);
  int ForCvPosY() const { return FForCvPosY; }
  void SetForCvPosY(int value);
  bool IsHelper() const { return FIsHelper; }
  /// Stores helper mode when it changes and repaints.
  void SetIsHelper(bool value);
  /// Draws ticks, labels and caption of a horizontal scale with its base line at row LinePos.
  void DrawXScale(TCanvas* Canvas, int LinePos);
  /// Draws ticks, labels and caption of a vertical scale with its base line at column LinePos.
  void DrawYScale(TCanvas* Canvas, int LinePos);
  /// The owned date format's change handler: repaints.
  void Changed(TObject* Sender);

  // -- values and pixels
  /// Recomputes the transform from size, margins and range (not while loading).
  void AdjustScalePars();
  /// Pixel of a value along the axis (see TScaleMap::R2M).
  int R2M(double Value) const { return FMap.R2M(Value); }
  int ConvertToPixelCoords(double Value) const { return R2M(Value); }
  /// Value of a pixel along the axis (see TScaleMap::M2R).
  double M2R(int Pixel) const { return FMap.M2R(Pixel); }
  double ConvertPixelToScale(int Pixel) const { return M2R(Pixel); }
  const TScaleMap& Map() const { return FMap; }
  /// Sets both ends; equal ends give RangeHigh = Low + 1. Recomputes and repaints.
  void SetRange(double Low, double High);
  /// (RangeLow + RangeHigh) / 2.
  double GetScaleCenter() const { return (FRangeLow + FRangeHigh) / 2; }
  /// Recorded tick value by 1-based index; 0 outside 1..NumTicks.
  double GetTickPos(int Index) const;
  /// Number of tick positions recorded by the last drawing (at most 250).
  int NumTicks() const { return FTickCount; }
  /// The Index-th field (from 1) of Text split at '|'; empty for Index < 1, the last field beyond it.
  static String ExtractUserText(const String& Text, int Index);
  /// Label with the inscription: the part before the first '&' in front, the rest behind; without
  /// '&' the whole inscription in front; an empty label stays empty.
  static String AddScaleInscription(const String& Label, const String& Inscription);

  // -- component
  /// From another TScale: every setting but the helper flag, the font and the rendering events; the
  /// foreign canvas and the paint suppression only when this scale is a helper. Then repaints.
  void Assign(TPersistent* Source) override;
  /// Moves or resizes, recomputes the transform and repaints.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // -- properties
  const String& Caption() const { return FUnitLabel; }
  /// Stores and repaints (the caption is the scale's unit label, not the control's text).
  void SetCaption(const String& value);
  int CaptionPosX() const { return FLblPosX; }
  void SetCaptionPosX(int value);
  int CaptionPosY() const { return FLblPosY; }
  void SetCaptionPosY(int value);
  TAlignment CaptionAlignment() const { return FLblAlign; }
  void SetCaptionAlignment(TAlignment value);
  TScaleUnitAnchor CaptionAnchor() const { return FLblAnchor; }
  void SetCaptionAnchor(TScaleUnitAnchor value);
  TColor ColorBackGnd() const { return FColorBG; }
  /// Stores and repaints when it changes.
  void SetColorBackGnd(TColor value);
  TColor ColorScale() const { return FColorFG; }
  /// Colour of the lines and ticks; stores and repaints when it changes.
  void SetColorScale(TColor value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  /// csBWG: gray frame line clGray, white clWhite; csSystem: button shadow and highlight. On change.
  void SetColorScheme(TColorScheme value);
  TDTLabel* DateFormat() const { return FDTFormat.get(); }
  /// Copies the settings into the owned object (nullptr is ignored) and repaints.
  void SetDateFormat(TDTLabel* value);
  int DecPlaces() const { return FDecPlaces; }
  /// Clamped to -3..12 (-2 and -3 choose automatically); recomputes and repaints.
  void SetDecPlaces(int value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  /// Stores and repaints when it changes.
  void SetFrameStyle(TFrameStyle value);
  TFigType LabelType() const { return FLabelType; }
  /// ftDateTime switches the logarithmic axis off, ftTime sets DecPlaces 4; recomputes, repaints.
  void SetLabelType(TFigType value);
  bool Logarithmic() const { return FAxLog; }
  /// Off always; on while not yet loaded, else only for ends >= 1e-100 and no date labels.
  void SetLogarithmic(bool value);
  int MarginTop() const { return FMarginTop; }
  /// Negative values become 0; recomputes and repaints (so for the other three margins).
  void SetMarginTop(int value);
  int MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int value);
  int MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int value);
  int MarginRight() const { return FMarginRight; }
  void SetMarginRight(int value);
  int MinTicks() const { return FNumTicks; }
  /// Wanted number of tick intervals: 0 stays 0, others are clamped to 2..10; repaints.
  void SetMinTicks(int value);
  double RangeLow() const { return FRangeLow; }
  /// Stores; equal to RangeHigh gives RangeHigh = value + 1. Recomputes and repaints.
  void SetRangeLow(double value);
  double RangeHigh() const { return FRangeHigh; }
  /// Stores; equal to RangeLow gives RangeLow = value - 1 (ascending). Recomputes and repaints.
  void SetRangeHigh(double value);
  bool ShortTicks() const { return FShortTicks; }
  /// Stores and repaints when it changes.
  void SetShortTicks(bool value);
  bool ShowBaseLine() const { return FDrawBaseLine; }
  void SetShowBaseLine(bool value);
  const String& ScaleInscript() const { return FScaleInscript; }
  /// Inscription of numeric labels; '&' separates prefix and suffix.
  void SetScaleInscript(const String& value);
  TScaleType ScaleType() const { return FScaleType; }
  /// Stores, recomputes and repaints when it changes.
  void SetScaleType(TScaleType value);
  bool Transparent() const { return FTransparent; }
  /// Draw straight onto the target canvas instead of through a bitmap with background and frame.
  void SetTransparent(bool value);
  const String& UserTickText() const { return FUserTicktext; }
  /// Labels of ftUserText, separated by '|'.
  void SetUserTickText(const String& value);
  /// The picture's size and margins as the map and layout see them.
  TScaleFrame Frame() const;

  // -- events
  TScaleTickDrawnEvent OnScaleTickDrawn;
  TBeforeTickLabelEvent OnBeforeTickLabel;
  TScaleRenderedEvent OnBeforeScaleRendered;
  TScaleRenderedEvent OnAfterScaleRendered;

 protected:
  void AssignTo(TPersistent* Dest) override;
  /// Recomputes the transform, marks the scale loaded, repaints.
  void Loaded() override;
  /// Once the window exists, painting is no longer suppressed.
  void CreateWnd() override;
  /// Draws the scale onto the foreign canvas or its own (skipped while hidden, loading, suppressed).
  void Paint() override;

 private:
  bool PaintSkipped() const;
  void PaintTransparent(TCanvas* Target, int X, int Y);
  void PaintThroughBitmap(TCanvas* Target, int X, int Y);
  bool ComposeOnTarget(TCanvas* Target, int X, int Y);
  void DrawPicture(TCanvas* Canvas);
  void DrawAxis(TCanvas* Canvas, int64_t Line);
  void DrawScaleAs(TCanvas* Canvas, TScaleType Type, int64_t Line);
  void DrawTick(TCanvas* Canvas, const TScaleFrame& Frame, int64_t Line, const TScaleTick& Tick);
  void DrawTickLabel(TCanvas* Canvas, const TScaleFrame& Frame, int64_t Line, int64_t Along, double Value, String Text,
                     bool DateLine);
  void DrawMessage(TCanvas* Canvas, const TScaleFrame& Frame, int64_t Line, const TScaleTickRequest& Request);
  void DrawCaption(TCanvas* Canvas, const TScaleFrame& Frame, int64_t Line);
  void DrawBaseLine(TCanvas* Canvas, int64_t Line);
  void RecordTick(double Value);
  TScaleTickRequest TickRequest(const TScaleFrame& Frame) const;
  void SetMargin(int& Field, int value);
  /// The margins at both ends of the axis as given, below 0 too: the chart puts its helper scales
  /// on exactly the pixels it maps its range onto, which may reach a pixel beyond the control.
  void SetAxisMargins(int Start, int End);
  void CopyFrom(const TScale& Source);
  friend class TCustomRChart;

  TFrameStyle FFrameStyle = fsLowered;
  TColor FColorFG = clBlack;
  TColor FColorBG = clBtnFace;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = clGray;
  TColor FColWhiteLine = clWhite;
  TColorScheme FColorScheme = csBWG;
  bool FAxLog = false;
  TScaleMap FMap;  // the transform FTransf_k, FTransf_d
  double FRangeHigh = 100.0;
  double FRangeLow = 0.0;
  bool FShortTicks = true;
  int FTickCount = 0;
  int FNumTicks = 3;
  int FDecPlaces = -2;
  bool FNotYetLoaded = true;
  bool FDrawBaseLine = true;
  bool FTransparent = false;
  TFigType FLabelType = ftNum;
  std::unique_ptr<TDTLabel> FDTFormat;
  int FMarginTop = 20;
  int FMarginBottom = 20;
  int FMarginRight = 20;
  int FMarginLeft = 20;
  bool FIsHelper = false;
  int FLblPosX = 4;
  int FLblPosY = 4;
  TAlignment FLblAlign = taCenter;
  TScaleUnitAnchor FLblAnchor = uaSclTopLft;
  String FUserTicktext;
  String FScaleInscript;
  std::array<double, MaxScaleTickPos> FScaleTickPos{};
  String FUnitLabel;
  TCanvas* FForeignCv = nullptr;  // borrowed
  int FForCvPosX = 0;
  int FForCvPosY = 0;
  TScaleType FScaleType = sctXB;
  bool FSuppressPaint = true;
};

}  // namespace qelta

QELTA_PUBLIC_END
