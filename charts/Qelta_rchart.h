#pragma once
// Qelta_rchart: the two-dimensional chart TCustomRChart, its settings objects and its item list.
//
// What: a chart keeps a display list of drawing items (TrcChartItem) in chart coordinates on the
// layers 1..MaxChartLayers. Each layer has an x and a y range, held in its scale settings
// (TScalePropsHoriz, TScalePropsVert) and mirrored into two helper axis scales (TScale in helper
// mode, drawing on the chart's picture), and its own transform from chart coordinates to pixels.
// Drawing calls (MarkAt, Line, Text, ...) append items; they never repaint. Ranges change through
// SetRange, the auto-range forms, the zoom ring and the mouse; ShowGraf or the next paint shows
// them. TRChart is the chart a host places on a form; TContourPlot is the chart that shows a
// function of x and y as iso-level dots or a colour surface (its own section at the end).
// How: a chain of single-job pieces:
//   item list   TrcItemStore, a separate object the chart holds by reference, so that several
//               charts can show one list. It reports its allocated count in steps of AllocSize
//               and grows in blocks underneath (appending is O(1) whatever AllocSize is);
//               removing the first or the last item is O(1).
//   transform   AdjustScaling builds px = k u + d per axis and layer in Extended (u = x or ln x);
//               R2M clamps to +-2147483647 and rounds half to even, M2R inverts.
//   ranges      every range change ends in ForceRange -> ForceRngIntern, which confines, checks
//               (no span below MinRange, no non-finite bound, no log bound below 1e-100), stores,
//               refreshes the helper scales, pushes the zoom ring and rebuilds the transform.
//               Chart-internal writes into the settings (ForceRngIntern, the isometric rule, the
//               standard layouts, everything run by ScalePropsChanged) fire no OnChange: a
//               settings change runs ScalePropsChanged exactly once.
//   repaint     "repaint rule": Paint when AutoRedraw is on or the chart is being designed.
//               Operations that change ranges hold FSuppressPaint and give it back through the
//               virtual SetSuppressPaint, which paints when painting comes back: a range change
//               paints once, even with AutoRedraw off. Painting is suppressed from construction
//               until a descendant's window exists; nothing scales or paints while loading, and
//               Loaded does both once.
//   paint road  Paint builds the control's picture in ChartBmp (frame, shadow, caption, the helper
//               scales), the data area in GrafBmp (background, grid, items by kind, text labels,
//               frame), copies GrafBmp into ChartBmp and ChartBmp with the cross-hairs onto the
//               control. ShowGraf redraws only the data area; cross-hairs are drawn on the copy that
//               goes to the screen, never into the kept pictures. One ConstructDataBmp pass sets a
//               canvas property only when it differs from the value it set last, and draws runs of
//               tkLineto as polylines of up to 200 points.
//   labels      30 text labels drawn over the items, label 1 on top.
//   sharing     charts that show one item list hold one store; a master has up to four users.
//   mouse       MouseAction chooses what a drag does: pan (maPan, maPanHoriz, maPanVert), rubber
//               band (OnRubberBand), zoom window (maZoomWind keeps the drag direction,
//               maZoomWindPos orders like the axes), zoom by dragging (maZoomDrag), dragging the
//               nearest cross-hair or text label. Only the mouse-affected layers (GetMAffLayer)
//               pan and zoom; pans and zooms fire OnZoomPan and end in the zoom ring. Windows are
//               drawn in XOR on the control's canvas. Every move fires OnMouseMoveInChart, and
//               the chart's own Cursor shows the action unless MouseCursorFixed. MouseBox asks
//               the user for a rectangle in a nested message loop.
//   files       SaveData and LoadData keep the list in a file of 104-byte records, SaveDataASC
//               writes a readable dump.
//   Smith       TSmithChart draws the impedance grid of a Smith chart under its items.
// Limits: MaxChartLayers is 2. Item texts are Windows-1252, cut after 15 characters. Item pixels are
// clamped to +-30000. Printing draws the control's picture in control pixels (text keeps its screen
// height) and enlarges it onto the page; metafiles are not available. The Smith chart's resistance
// labels stand on the real axis, under the items: data there (a curve of r = 1 through the centre, a
// text label just beside the axis) covers them, and at detail level 1 the labels 5 and 10 crowd on a
// unit circle much narrower than 300 pixels.
// Use TScale for a single axis and the colour scale for a colour bar.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "Qelta_Scale.h"
#include "Qelta_qeltabase.h"
#include "Qelta_univconst.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TCustomRChart;
namespace plot_detail {
struct TAxisToPixel;
}

// --- constants and enumerations ----------------------------------------------------------------

/// Number of layers of a chart; every per-layer array runs over 1..MaxChartLayers.
inline constexpr int MaxChartLayers = 2;
/// Number of item classes (0..255; 255 means every class where a query says so).
inline constexpr int MaxItemClasses = 256;
/// Number of cross-hairs (1..4) and text labels (1..30) of a chart.
inline constexpr int MaxCrossHairs = 4, MaxTextLabels = 30;
/// Entries per layer of the zoom ring.
inline constexpr int ZoomRingSize = 16;
/// Longest item text, in 8-bit characters.
inline constexpr int MaxItemText = 15;

// clang-format off
/// Item kinds; tkEverything and tkNotMoveTo are query wildcards, tkNone the answer "no item".
enum TrcItem : uint8_t {
  tkNone, tkMarkAt, tkLine, tkLineto, tkRect, tkRectFrame, tk3DBar, tkText, tkMoveTo, tkEllipse,
  tkEverything, tkNotMoveTo, tkMoveRelPix, tkLineRelPix, tkArrow, tkTextOfs, tkRectRelPix
};
inline constexpr int TrcItemCount = tkRectRelPix + 1;
/// The five standard layouts of rims, caption and axes.
enum TrcLayout : uint8_t {
  rcl_X1Bottom_Y1Left, rcl_X1Bottom_Y2Left, rcl_X1Bottom_Y2Both, rcl_X2Bottom_Y2Left, rcl_X2Both_Y2Both
};
enum GridStyleType : uint8_t {
  gsNone, gsPoints, gsVertLines, gsHorizLines, gsLines, gsVertDotLines, gsHorizDotLines, gsDotLines
};
/// What the chart caption's position is measured from, horizontally and vertically.
enum TCaptionAnchorHoriz : uint8_t { cahControlLeft, cahChartLeft, cahChartCenter, cahChartRight, cahControlRight };
enum TCaptionAnchorVert : uint8_t { cavControlTop, cavChartTop, cavChartCenter, cavChartBottom, cavControlBottom };
/// Background of text items.
enum TTextBkg : uint8_t { tbClear, tbSolid };
enum TScaleLocationHoriz : uint8_t { slTop, slBottom };
enum TScaleLocationVert : uint8_t { slLeft, slRight };
/// Part of the data area filled in the background area colour.
enum TBGAreaMode : uint8_t { bamNone, bamLeft, bamRight, bamTop, bamBottom, bamVStripe, bamHStripe, bamRect };
// clang-format on

/// Error class of the chart unit.
QELTA_DECLARE_EXCEPTION(EQeltaRChartError, EQeltaError)

/// One drawing item in chart coordinates (the meaning of x2, y2 and the other fields depends on the
/// kind). A new record is all zero.
struct TrcChartItem {
  double x = 0.0;
  double y = 0.0;
  double x2 = 0.0;
  double y2 = 0.0;
  TColor Color = 0;  ///< line, mark and text colour
  TColor FillColor = 0;
  TColor ShadowColor = 0;  ///< frame colours of tkRectFrame
  TColor HiLightColor = 0;
  TPenStyle PenStyle = psSolid;
  int32_t Tag = 0;  ///< free for the host
  int32_t LWid = 0;  ///< pen width
  uint8_t ItemClass = 0;
  TrcItem ItemKind = tkNone;
  int32_t Layer = 0;  ///< 1..MaxChartLayers
  bool Transp = false;  ///< fill left out
  TFrameStyle FrameStyle = fsNone;
  AnsiString Text;  ///< Windows-1252, at most MaxItemText characters
  int32_t SizeOrAngle = 0;
  int32_t Depth = 0;
  uint8_t MarkOrAlign = 0;
};

/// A set of layer numbers 1..MaxChartLayers; other numbers are never members.
class TLayerSet {
 public:
  TLayerSet() = default;
  TLayerSet(std::initializer_list<int> layers);
  bool Contains(int layer) const;
  /// Adds the layer; numbers outside 1..MaxChartLayers are ignored.
  TLayerSet& Include(int layer);
  bool Empty() const { return FBits == 0; }
  friend bool operator==(const TLayerSet&, const TLayerSet&) = default;

 private:
  uint32_t FBits = 0;
};

/// An array indexed by layer 1..MaxChartLayers (element 0 is unused).
template <typename T>
using TLayerArray = std::array<T, MaxChartLayers + 1>;

// --- event types -------------------------------------------------------------------------------

/// Every mouse move: whether it lies in the data area, and the position in chart coordinates.
using TMouseMoveInChartEvent =
    std::function<void(TObject* Sender, bool InChart, TShiftState Shift, double rMousePosX, double rMousePosY)>;
/// Before and after the items are drawn, and after the scales: the canvas and the data area's corner.
using TRenderEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int Top, int Left)>;
class TTextLabel;
using TCrossHairMoveEvent = std::function<void(TObject* Sender, TCrossHair* WhichCrossHair)>;
using TTextLabelMoveEvent = std::function<void(TObject* Sender, TTextLabel* WhichTextLabel)>;

// --- settings objects --------------------------------------------------------------------------

/// Settings of one axis of one chart layer: range, caption, labels, font and date format. Every
/// setter notifies through OnChange unless its line says otherwise; the chart applies the settings
/// to its helper scale and re-forces the layer's range. A new object spans 0..1 with MinRange 1e-10.
class TScaleProps : public TPersistent {
 public:
  TScaleProps();
  ~TScaleProps() override;

  /// From another TScaleProps: every setting (the font and date format copied into the own objects,
  /// the location only between objects of one class), then one notification. The loading state and
  /// OnChange stay.
  void Assign(TPersistent* Source) override;
  /// Fires OnChange with this object.
  void Changed();
  /// (RangeLow + RangeHigh) / 2.
  double GetScaleCenter() const { return (FRangeLow + FRangeHigh) / 2; }

  const String& Caption() const { return FCaption; }
  void SetCaption(const String& value);
  int CaptionPosX() const { return FCaptionPosX; }
  void SetCaptionPosX(int value);
  int CaptionPosY() const { return FCaptionPosY; }
  void SetCaptionPosY(int value);
  TAlignment CaptionAlignment() const { return FCaptAlign; }
  void SetCaptionAlignment(TAlignment value);
  TScaleUnitAnchor CaptionAnchor() const { return FCaptAnchor; }
  void SetCaptionAnchor(TScaleUnitAnchor value);
  TColor ColorScale() const { return FColorScale; }
  void SetColorScale(TColor value);
  /// The owned date format (its changes reach the chart directly).
  TDTLabel* DateFormat() const { return FDTFormat.get(); }
  /// Copies the settings into the owned date format (nullptr copies nothing).
  void SetDateFormat(TDTLabel* value);
  int DecPlaces() const { return FDecPlaces; }
  /// Clamped to -3..12.
  void SetDecPlaces(int value);
  bool Logarithmic() const { return FLogAx; }
  /// Off always; on while not loaded, else only for a range not below 1e-100 and no date labels
  /// (a refused switch still notifies).
  void SetLogarithmic(bool value);
  TFigType LabelType() const { return FLabelType; }
  /// ftDateTime switches the logarithmic axis off, ftTime sets DecPlaces 4.
  void SetLabelType(TFigType value);
  /// The owned font (its changes notify too).
  TFont* Font() const { return FFont.get(); }
  /// Copies the font's settings into the own font (nullptr copies nothing).
  void SetFont(TFont* value);
  int MinTicks() const { return FMinTicks; }
  void SetMinTicks(int value);
  double RangeLow() const { return FRangeLow; }
  /// Within MinRange of RangeHigh: RangeLow = x, RangeHigh = x + MinRange. Else stored, unless the
  /// axis is logarithmic and x < 1e-100. A value that is not finite is ignored.
  void SetRangeLow(double value);
  double RangeHigh() const { return FRangeHigh; }
  /// Within MinRange of RangeLow: RangeHigh = x, RangeLow = x - MinRange; else as SetRangeLow.
  void SetRangeHigh(double value);
  bool ShortTicks() const { return FShortTicks; }
  void SetShortTicks(bool value);
  const String& ScaleInscript() const { return FScaleInscript; }
  void SetScaleInscript(const String& value);
  TScaleType ScaleType() const { return FScaleType; }
  void SetScaleType(TScaleType value);
  /// Offset of the axis across its direction: the y offset of an x scale, the x offset of a y scale.
  int ScalePos() const;
  void SetScalePos(int value);
  double MinRange() const { return FMinRngDiff; }
  /// Values <= 1e-100 or not finite are ignored silently. A range narrower than the new value is
  /// re-centred to it (and notifies); a wide enough range stays and nothing is notified.
  void SetMinRange(double value);
  const String& UserTickText() const { return FUserTickText; }
  void SetUserTickText(const String& value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  /// True until the owning chart's Loaded has run (a chart made at run time never clears it).
  bool NotYetLoaded() const { return FNotYetLoaded; }

  TNotifyEvent OnChange;

 protected:
  void CopyFrom(const TScaleProps& s);

 private:
  friend class TCustomRChart;
  // Holds OnChange back while the chart writes into the settings itself.
  class TSilence {
   public:
    explicit TSilence(TScaleProps& Props) : FProps(Props), FSaved(Props.FSilent) { Props.FSilent = true; }
    ~TSilence() { FProps.FSilent = FSaved; }
    TSilence(const TSilence&) = delete;
    TSilence& operator=(const TSilence&) = delete;

   private:
    TScaleProps& FProps;
    bool FSaved;
  };
  template <typename T>
  void Store(T& field, const T& value);

  String FCaption;
  int FCaptionPosX = 0;
  int FCaptionPosY = 0;
  TAlignment FCaptAlign = taCenter;
  TScaleUnitAnchor FCaptAnchor = uaSclTopLft;
  TColor FColorScale = clBlack;
  std::unique_ptr<TDTLabel> FDTFormat;
  int FDecPlaces = -2;
  bool FLogAx = false;
  TFigType FLabelType = ftNum;
  std::unique_ptr<TFont> FFont;
  int FMinTicks = 3;
  bool FNotYetLoaded = true;
  double FRangeLow = 0.0;
  double FRangeHigh = 1.0;
  bool FShortTicks = true;
  String FScaleInscript;
  TScaleType FScaleType = sctXT;
  int FScalePosX = 0;
  int FScalePosY = 0;
  double FMinRngDiff = 1e-10;
  String FUserTickText;
  bool FVisible = false;
  bool FSilent = false;  // chart-internal writes: no OnChange
};

/// Settings of a horizontal axis; the location chooses the scale type (slTop: sctXB, slBottom: sctXT).
class TScalePropsHoriz : public TScaleProps {
 public:
  void Assign(TPersistent* Source) override;
  TScaleLocationHoriz ScaleLocation() const { return FScaleLoc; }
  /// Stores the location and sets the scale type; notifies.
  void SetScaleLocation(TScaleLocationHoriz value);

 private:
  TScaleLocationHoriz FScaleLoc = slBottom;
};

/// Settings of a vertical axis; the location chooses the scale type (slLeft: sctYR, slRight: sctYL).
class TScalePropsVert : public TScaleProps {
 public:
  void Assign(TPersistent* Source) override;
  TScaleLocationVert ScaleLocation() const { return FScaleLoc; }
  void SetScaleLocation(TScaleLocationVert value);

 private:
  TScaleLocationVert FScaleLoc = slLeft;
};

/// Which layer's x and y range each layer follows ("master"); a new object makes every layer its
/// own master. Joining moves the joined layer's range to the master's at once (through the owning
/// chart) and notifies. A layer that follows another cannot be a master, and a master cannot follow.
class TJointLayers : public TPersistent {
 public:
  /// AOwner (borrowed, may be nullptr) is the chart whose ranges follow the joins.
  explicit TJointLayers(TCustomRChart* AOwner);

  void Changed();
  /// Master of layer Index's x (y) axis; 0 for an index outside 1..MaxChartLayers.
  int GetControlledLayerX(int Index) const;
  int GetControlledLayerY(int Index) const;
  /// Makes layer Value the x master of layer Index. Raises EQeltaRChartError "Destination layer V is
  /// out of range", "Destination layer V is already joined" or "Layer I is joined by other layers
  /// (list)" and changes nothing; Value = Index frees the layer without a range change or notification.
  /// An Index outside 1..MaxChartLayers does nothing.
  void SetControlledLayerX(int Index, int Value);
  void SetControlledLayerY(int Index, int Value);
  /// Every layer its own master again; no notification.
  void Reset();

  int L01xControlledBy() const { return GetControlledLayerX(1); }
  void SetL01xControlledBy(int value) { SetControlledLayerX(1, value); }
  int L02xControlledBy() const { return GetControlledLayerX(2); }
  void SetL02xControlledBy(int value) { SetControlledLayerX(2, value); }
  int L01yControlledBy() const { return GetControlledLayerY(1); }
  void SetL01yControlledBy(int value) { SetControlledLayerY(1, value); }
  int L02yControlledBy() const { return GetControlledLayerY(2); }
  void SetL02yControlledBy(int value) { SetControlledLayerY(2, value); }

  TNotifyEvent OnChange;

 protected:
  /// Into another TJointLayers: both master tables, then this object's OnChange (a copy reports as
  /// a change of its source). Other targets as the platform.
  void AssignTo(TPersistent* Dest) override;

 private:
  friend class TCustomRChart;
  void SetControlled(TLayerArray<int>& masters, bool xAxis, int Index, int Value);

  TLayerArray<int> FMasterLayerX{};
  TLayerArray<int> FMasterLayerY{};
  TCustomRChart* FOwner = nullptr;  // borrowed
};

/// Background of the data area: a picture file and an area of layer 1 in its own colour.
class TBakGndImg : public TPersistent {
 public:
  /// AOwner is the chart that owns the object (not kept: the chart frees it).
  explicit TBakGndImg(TComponent* AOwner);

  /// From another TBakGndImg: every setting but OnChange, then one notification.
  void Assign(TPersistent* Source) override;
  void Changed();

  const String& Name() const { return FName; }
  /// Stores the name with its path when IncludePath is on, else only the file name.
  void SetName(const String& value);
  bool IncludePath() const { return FIncldPath; }
  /// Off also strips the path from the stored name.
  void SetIncludePath(bool value);
  TBkgFill FillMode() const { return FFillMode; }
  void SetFillMode(TBkgFill value);
  TBGAreaMode AreaMode() const { return FBGAreaMode; }
  void SetAreaMode(TBGAreaMode value);
  TColor AreaColor() const { return FBGAreaColor; }
  void SetAreaColor(TColor value);
  /// The area's edges in chart coordinates of layer 1.
  double AreaLeft() const { return FBGAreaLeft; }
  void SetAreaLeft(double value);
  double AreaRight() const { return FBGAreaRight; }
  void SetAreaRight(double value);
  double AreaTop() const { return FBGAreaTop; }
  void SetAreaTop(double value);
  double AreaBottom() const { return FBGAreaBottom; }
  void SetAreaBottom(double value);

  TNotifyEvent OnChange;

 private:
  template <typename T>
  void Store(T& field, const T& value);

  String FName;
  bool FIncldPath = false;
  TBkgFill FFillMode = bfStretch;
  TBGAreaMode FBGAreaMode = bamNone;
  TColor FBGAreaColor = 14540253;
  double FBGAreaLeft = -1.0;
  double FBGAreaRight = 1.0;
  double FBGAreaTop = 1.0;
  double FBGAreaBottom = -1.0;
};

/// A text label of a chart (the settings of TCustomTextLabel; the chart draws it).
class TTextLabel : public TCustomTextLabel {};

// --- item list ---------------------------------------------------------------------------------

/// The items of a chart in list order (0-based) with a count per kind. Charts hold it by reference,
/// so several can show one list. The allocated count is reported as growing in steps of the
/// caller's AllocSize (0 for an empty list) while the storage grows in blocks, so appending never
/// moves the items already stored; removing the first or the last item is O(1), one in the middle
/// moves the shorter side.
class TrcItemStore {
 public:
  using TItems = std::deque<TrcChartItem>;

  TrcItemStore();

  int NumItems() const { return static_cast<int>(FItems.size()); }
  /// Allocated record count as reported to the host.
  int NumAllocated() const { return FNumAllocated; }
  /// Items of a kind (0 outside the kinds). A new store counts one tkNone.
  int ItemCount(TrcItem Kind) const;
  /// The items in list order (the fields may be changed, the kinds only through Replace).
  TItems::iterator begin() { return FItems.begin(); }
  TItems::iterator end() { return FItems.end(); }
  TItems::const_iterator begin() const { return FItems.begin(); }
  TItems::const_iterator end() const { return FItems.end(); }
  /// Item i (0 <= i < NumItems, unchecked).
  TrcChartItem& operator[](int i) { return FItems[static_cast<size_t>(i)]; }
  const TrcChartItem& operator[](int i) const { return FItems[static_cast<size_t>(i)]; }

  /// Appends the item (its kind one of 0..16); the allocated count grows by AllocSize (>= 1) when
  /// the list is full. Raises EOutOfMemory when the storage cannot grow.
  void Append(TrcChartItem&& Item, int AllocSize);
  void Append(const TrcChartItem& Item, int AllocSize) { Append(TrcChartItem(Item), AllocSize); }
  /// Replaces item i, moving one count from the old kind to the new one.
  void Replace(int i, const TrcChartItem& Item);
  /// Removes item i (in range) keeping the order; the last item leaves the empty state.
  void Remove(int i);
  /// Removes every item for which Pred is true in one pass; returns how many.
  int RemoveIf(const std::function<bool(const TrcChartItem&)>& Pred);
  /// The empty state: no items, allocated count 0, every kind count 0.
  void Clear();
  /// Takes the items read from a file (each of an item kind): after the present ones (Append) or
  /// in place of them (every kind count then starts from 0); the allocated count becomes
  /// Allocated, at least the item count. All or nothing: raises EOutOfMemory with the store
  /// unchanged when the storage cannot grow.
  void TakeLoaded(TItems&& Items, bool Append, int Allocated);

 private:
  void Uncount(const TrcChartItem& Item);

  TItems FItems;
  int FNumAllocated = 0;
  std::array<int, TrcItemCount> FItemCount{};
};

// --- TCustomRChart -----------------------------------------------------------------------------

/// The two-dimensional chart control (see the unit comment). Values repair themselves instead of
/// raising: out-of-range layers, classes and indices are ignored or read as zero, spans are widened
/// or refused. Created with painting suppressed; descendants lift it when their window exists.
class TCustomRChart : public TCustomControl {
 public:
  explicit TCustomRChart(TComponent* AOwner);
  ~TCustomRChart() override;

  // -- life and painting
  /// Moves and sizes the control (at least the rims + 80 wide and + 20 high), keeps isometric
  /// layers isometric, re-fits the helper scales and rebuilds the transforms; paints once.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  bool SuppressPaint() const { return FSuppressPaint; }
  /// Stores a changed value; clearing it paints.
  virtual void SetSuppressPaint(bool value);
  /// The repaint handler of the owned settings objects: Paint when AutoRedraw is on or designing.
  void StyleChanged(TObject* Sender);
  /// Shows the items appended since the last paint: with AutoRedraw the data area is redrawn (the
  /// rest of the picture stays), without it the whole chart paints; nothing while invisible. Then
  /// the other charts of a sharing group repaint by their repaint rule.
  void ShowGraf();
  /// Draws the items over the data picture as it stands (no background, no grid) and shows it;
  /// nothing while invisible.
  void ShowGrafNewOnly();

  // -- output: the control's picture (BlkWhite: items black, fills silver)
  /// The picture in ABitmap (resized to the control), cross-hairs included; nullptr does nothing.
  void CopyToBitmap(TBitmap* ABitmap, bool BlkWhite);
  /// The picture as a BMP file; the platform's file errors pass.
  void CopyToBMP(const String& FName, bool BlkWhite);
  /// The picture on the clipboard.
  void CopyToClipboard(bool BlkWhite);
  /// Metafiles are not available: raise EQeltaRChartError "Component "Name": metafile output
  /// (WMF/EMF) is not available on this platform".
  void CopyToClipboardWMF(bool BlkWhite);
  void CopyToWMF(const String& FName, bool BlkWhite);
  /// Prints the picture as a one-page document (see CopyToOpenPrinter for ScaleF).
  void PrintIt(double ScaleF, bool BlkWhite);
  /// Draws the picture through the printer's canvas, enlarged onto the open page at (x, y) so that
  /// ScaleF 1 keeps its size on the screen (ScaleF kept to 0.01..100; others count as 1); x, y come
  /// back as the right and bottom edge of what was drawn. Outside a document nothing is drawn.
  void CopyToOpenPrinter(int& x, int& y, double ScaleF, bool BlkWhite);

  // -- drawing primitives: each appends one item stamped with the drawing state; none repaints
  void MarkAt(double x, double y, uint8_t mk);
  /// Text in the current TextAlignment; size is the font size.
  void Text(double x, double y, int size, const String& txt);
  /// Text dx, dy pixels away from (x, y), aligned by Alignment.
  void Text(double x, double y, int size, const String& txt, int dx, int dy, TAlignment Alignment);
  void MoveTo(double x, double y);
  void MoveToRelPix(int dx, int dy);
  void DrawTo(double x, double y);
  void DrawToRelPix(int dx, int dy);
  void Line(double x1, double y1, double x2, double y2);
  void Rectangle(double x1, double y1, double x2, double y2);
  void RectangleRelPix(double centx, double centy, int dx, int dy);
  /// Rectangle in FillColor framed in the two colours; always line width 1.
  void RectFrame(double x1, double y1, double x2, double y2, TFrameStyle FrameStyle, TColor ShadowColor,
                 TColor HiLightColor);
  /// Bar with a 3-D extrusion of Depth pixels at Angle degrees (clamped to 0..180).
  void Bar3D(double llx, double lly, double urx, double ury, int Depth, int Angle);
  /// Ellipse centred on (cx, cy) with the two semi-axes in chart units.
  void Ellipse(double cx, double cy, double HorizAxLeng, double VertAxLeng);
  /// Line with a head of HeadSize pixels at (x2, y2).
  void Arrow(double x1, double y1, double x2, double y2, int HeadSize);

  // -- item list (indices 0-based; class 255 means every class where said)
  int NumItems() const { return FItems->NumItems(); }
  /// The item list's allocated count as the host sees it (grows by AllocSize, 0 when empty).
  int NumAllocated() const { return FItems->NumAllocated(); }
  /// Copy of an item; a tkNone record outside the list.
  TrcChartItem GetChartItem(int Index) const;
  /// Overwrites an item inside the list, keeping the kind counts right. A record of no item kind
  /// (above tkRectRelPix) or of a layer outside 1..MaxChartLayers is refused.
  void SetChartitem(int Index, const TrcChartItem& Item);
  TrcChartItem GetItemParams(int Item) const { return GetChartItem(Item); }
  /// As SetChartitem, but a record of kind tkNone or tkEverything is also refused.
  void SetItemParams(int Item, const TrcChartItem& ItParams);
  /// Items of a kind; 0 for a value that is no kind.
  int GetItemCount(TrcItem Kind) const { return FItems->ItemCount(Kind); }
  TrcItem TypeOfFirstItem() const;
  TrcItem TypeOfLastItem() const;
  /// x := kx x + dx, y := ky y + dy (and the second point of two-point kinds); no repaint.
  void ScaleItem(int Item, double kx, double dx, double ky, double dy);
  void ScaleAllItems(double kx, double dx, double ky, double dy);
  /// As ScaleAllItems for the items of exactly ClassNumber.
  void ScaleSelectedItems(double kx, double dx, double ky, double dy, uint8_t ClassNumber);
  /// Colour of every item of the class (255: of all items); no repaint.
  void NewColorOfClassItems(TColor Newcol, uint8_t ClassNumber);
  /// Puts every item of a matching kind into the class (nothing for class 255 or tkNone).
  void MarkAllItems(TrcItem ItemID, uint8_t ClassNumber);
  /// Puts every item of a matching kind whose start point lies in the window (bounds included, in
  /// any order) into the class; returns how many (0 for class 255 or tkNone).
  int MarkItemsInWindow(double xLo, double YLo, double XHi, double YHi, TrcItem ItemID, uint8_t ClassNumber);
  /// Index of the matching item whose start point is nearest to (mx, my) in chart units, lowest index
  /// on ties; -1 and Dist = sqrt(uc_MaxDouble) when none matches.
  int FindNearestItemReal(double mx, double my, TrcItem ItemID, uint8_t ClassNumber, double& Dist) const;
  /// The same in pixels of the active layer (whatever the items' layers).
  int FindNearestItemScreen(double mx, double my, TrcItem ItemID, uint8_t ClassNumber, double& Dist) const;
  /// Removes an item keeping the order (an index outside the list removes nothing).
  void RemoveItem(int Index);
  void RemoveFirstItem() { RemoveItem(0); }
  /// Removes the last item; an empty list stays as it is.
  void RemoveLastItem();
  /// Removes the items of the class; returns how many.
  int RemoveItemsByClass(uint8_t ClassNumber);
  /// Clears the data picture and empties the list (every kind count 0); no repaint.
  void ClearGraf();
  /// Layers holding at least one item.
  TLayerSet FindUsedLayers() const;
  /// Extents of the items of a layer (0: every layer) strictly inside the window, start points and
  /// second points of two-point kinds; +-uc_MaxDouble when nothing qualifies.
  void FindMinMax(int Layer, double RangeLoX, double RangeLoY, double RangeHiX, double RangeHiY, double& MinX,
                  double& MinY, double& MaxX, double& MaxY) const {
    LLCalcMinMax(Layer, RangeLoX, RangeLoY, RangeHiX, RangeHiY, MinX, MinY, MaxX, MaxY);
  }
  /// Extents of a layer's items with Margin (percent of the span) and MinRange (percent of |centre|)
  /// applied; all 0 for a layer without items.
  void LLCalcExtents(int Layer, double Margin, double MinRange, double& MinX, double& MinY, double& MaxX,
                     double& MaxY) const;
  bool GetClassVisib(uint8_t Class) const { return FItClassVisib[Class]; }
  /// Stores; the repaint rule when it changed.
  void SetClassVisib(uint8_t Class, bool Visible);
  /// Visibility of a layer; false outside 1..MaxChartLayers.
  bool GetLayerVisib(int Layer) const;
  /// Stores; the repaint rule when it changed. A layer outside 1..MaxChartLayers is ignored.
  void SetLayerVisib(int Layer, bool Visible);
  /// Whether the layer pans and zooms with the mouse; false outside 1..MaxChartLayers.
  bool GetMAffLayer(int Layer) const;
  /// Stores; a layer outside 1..MaxChartLayers is ignored.
  void SetMAffLayer(int Layer, bool Value);
  /// The item store (shared by charts that show one list).
  TrcItemStore& ItemStore() { return *FItems; }
  const TrcItemStore& ItemStore() const { return *FItems; }

  // -- transforms
  /// Rebuilds every layer's transform (nothing while loading). Raises EQeltaRChartError
  /// "Logarithmic axis must not be negative." for a logarithmic axis with a bound <= 0 (earlier axes
  /// keep their new coefficients). A data area of no size, or a zero or non-finite span, gives k 0
  /// and d = half the control.
  virtual void AdjustScaling();
  /// Chart to pixel on a layer (clamped into 1..MaxChartLayers): clamped to +-2147483647 and rounded
  /// half to even. On a logarithmic axis a value <= 1e-100 goes to the low edge (0 or Width across,
  /// Height or 0 down, by direction). An axis of no size maps everything to its d.
  void R2M(int Layer, double xin, double yin, int& xout, int& yout) const;
  /// Pixel to chart on a layer (clamped like R2M); the centre of the range on an axis of no size.
  void M2R(int Layer, int xin, int yin, double& xout, double& yout) const;

  // -- ranges and the zoom ring
  /// Sets a layer's ranges (0: every layer) through the empty-span widening and the isometric rule,
  /// pushes the zoom ring, paints once. A layer outside 0..MaxChartLayers is ignored.
  void SetRange(int Layer, Extended xLo, Extended yLo, Extended xHi, Extended yHi);
  /// Keeps joined axes, forces the layer's range, refreshes the layers joined to it, then pushes the
  /// ring once when Push is set and something was stored; paints once when painting is enabled.
  void ForceRange(int Layer, Extended xLo, Extended yLo, Extended xHi, Extended yHi, bool Push, bool Confine);
  /// The window that panning and zooming keep inside (x low, y low, x high, y high); four zeros
  /// switch it off. No check, no repaint.
  void ConfineZoomRange(double xLo, double yLo, double xHi, double yHi);
  /// Records every layer's ranges in the ring (not while loading).
  void ZoomStateOnStack();
  /// Ring entry of a layer: 0 the newest, -15 the oldest; zeros outside -15..0 or 1..MaxChartLayers.
  TRectDouble GetZoomStackEntry(int Layer, int Index) const;
  /// Returns every layer to a ring entry (an empty entry leaves the layer); paints once. Index
  /// outside -15..0 does nothing.
  void ZoomHistory(int Index);
  /// Empties the ring and records the present ranges.
  void ClearZoomHistory();
  /// Gives the layers of the set the union of their ranges (both axes, x only, y only).
  void SetEqualRange(const TLayerSet& Layers);
  void SetEqualRangeXOnly(const TLayerSet& Layers);
  void SetEqualRangeYOnly(const TLayerSet& Layers);
  /// Fits a layer's ranges to its items (0: every layer, margins only when Margin > 0).
  void AutoRange(int Layer, double Margin, double MinRange = 0.0);
  /// As AutoRange for the x (y) axis; the one-layer form switches isometric mode off.
  void AutoRangeXOnly(int Layer, double Margin, double MinRange = 0.0);
  void AutoRangeYOnly(int Layer, double Margin, double MinRange = 0.0);

  // -- layout
  /// Applies a standard layout: rims, caption and the axes of every layer; paints once.
  void SetStandardLayout(TrcLayout value);
  TrcLayout StandardLayout() const { return FStdLayout; }
  int LRim() const { return RcLRim; }
  /// Stores the rim, keeps isometric layers isometric, re-fits the helper scales, rebuilds the
  /// transforms; repaint rule. No range check (so for the other three rims).
  void SetLRim(int value);
  int RRim() const { return RcRRim; }
  void SetRRim(int value);
  int TRim() const { return RcTRim; }
  void SetTRim(int value);
  int BRim() const { return RcBRim; }
  void SetBRim(int value);
  int MarginLeft() const { return RcLRim; }
  void SetMarginLeft(int value) { SetLRim(value); }
  int MarginRight() const { return RcRRim; }
  void SetMarginRight(int value) { SetRRim(value); }
  int MarginTop() const { return RcTRim; }
  void SetMarginTop(int value) { SetTRim(value); }
  int MarginBottom() const { return RcBRim; }
  void SetMarginBottom(int value) { SetBRim(value); }
  int ShadowWidth() const { return F3DRim; }
  /// Clamped to 0..32; re-fits the helper scales and rebuilds the transforms; repaint rule.
  void SetShadowWidth(int value);

  // -- settings objects
  /// A layer's settings; layer 1's outside 1..MaxChartLayers.
  TScalePropsHoriz* GetScalePropsX(int Layer) const;
  TScalePropsVert* GetScalePropsY(int Layer) const;
  /// Copies the settings into the layer's own object (ignored outside 1..MaxChartLayers); the copy
  /// notifies once, which re-applies the settings and paints.
  void SetScalePropsX(int Layer, TScalePropsHoriz* Value);
  void SetScalePropsY(int Layer, TScalePropsVert* Value);
  TScalePropsHoriz* Scale1X() const { return GetScalePropsX(1); }
  void SetScale1X(TScalePropsHoriz* value) { SetScalePropsX(1, value); }
  TScalePropsVert* Scale1Y() const { return GetScalePropsY(1); }
  void SetScale1Y(TScalePropsVert* value) { SetScalePropsY(1, value); }
  TScalePropsHoriz* Scale2X() const { return GetScalePropsX(2); }
  void SetScale2X(TScalePropsHoriz* value) { SetScalePropsX(2, value); }
  TScalePropsVert* Scale2Y() const { return GetScalePropsY(2); }
  void SetScale2Y(TScalePropsVert* value) { SetScalePropsY(2, value); }
  TJointLayers* JointLayers() const { return FJointLayers.get(); }
  /// Copies the joins into the own object (nullptr copies nothing); repaint rule.
  void SetJointLayers(TJointLayers* value);
  TBakGndImg* BackGroundImg() const { return FBakGndFile.get(); }
  /// Copies the settings into the own object (nullptr copies nothing); repaint rule, once.
  void SetBackGroundImg(TBakGndImg* value);
  TCrossHair* CrossHair1() const { return FCrossHair[1].get(); }
  TCrossHair* CrossHair2() const { return FCrossHair[2].get(); }
  TCrossHair* CrossHair3() const { return FCrossHair[3].get(); }
  TCrossHair* CrossHair4() const { return FCrossHair[4].get(); }
  /// Copy the settings into the chart's own cross-hair (nullptr copies nothing); its one
  /// notification applies the repaint rule.
  void SetCrossHair1(TCrossHair* value) { SetCrossHair(1, value); }
  void SetCrossHair2(TCrossHair* value) { SetCrossHair(2, value); }
  void SetCrossHair3(TCrossHair* value) { SetCrossHair(3, value); }
  void SetCrossHair4(TCrossHair* value) { SetCrossHair(4, value); }
  /// Text label Idx (1..30); raises EQeltaRChartError "Component "Name": invalid index into
  /// TextLabel array" outside.
  TTextLabel* GetFTextLabel(int Idx) const;
  /// Copies the settings into label Idx (nullptr copies nothing; repaint rule through its one
  /// notification); the index error as GetFTextLabel.
  void SetFTextLabel(int Idx, TTextLabel* Value);
  /// The chart whose item list this one shows; nullptr when it shows its own.
  TCustomRChart* UseDataOf() const { return FUseDataOf; }
  /// Shows the items of C (a user of a user shows its master's), or its own again for nullptr
  /// (keeping a private copy of what it showed); then the repaint rule. Refused with an information
  /// box, changing nothing: "RChart: Cannot share data with myself", "RChart: Cannot use foreign
  /// data. Other RCharts are using my own data." and "RChart: Max. number of data shares exceeded"
  /// (a master has at most four users).
  void SetUseDataOf(TCustomRChart* C);
  /// Charts that show this chart's items (0..3), nullptr outside; and how many.
  TCustomRChart* DataUser(int Index) const;
  int DataUsersNum() const { return FDataUsersNum; }

  // -- cross-hairs and text labels
  /// Position of cross-hair 1..4; 0 outside.
  double GetCHPosX(int Index) const;
  double GetCHPosY(int Index) const;
  /// Moves cross-hair chnum (1..4, else nothing); each coordinate notifies (repaint rule). A
  /// visible cross-hair is then shown at once over the data picture.
  void CrossHairSetPos(int chnum, double x, double y);
  /// One coordinate of cross-hair Index, as CrossHairSetPos.
  void SetCHPosX(int Index, double Value);
  void SetCHPosY(int Index, double Value);
  /// Colour, mode, line type and width of cross-hair ch (1..4, else nothing), then shows it.
  void CrossHairSetup(int ch, TColor chColor, TCrossHMode Mode, TPenStyle LineType, int LineWidth);
  /// Fills the first free label (mode tlOff) and answers its number, 0 when all 30 are in use; see
  /// SetTextLabel. The repaint rule once.
  int AddTextLabel(double PosX, double PosY, TColor TxtColor, const String& Txt, int PropertyTemplate);
  /// Label Idx (1..30, else nothing) at (PosX, PosY) on the active layer with the caption in
  /// TxtColor, visible; attach mode, alignment, shadow, colours, transparency and look come from
  /// label PropertyTemplate (1..30), else the defaults (tlamBoth, taCenter, shadow 0 0 clGray,
  /// ChartColor on ChartFrameColor, opaque, tlsimple). The vertical alignment and the rest of the
  /// font stay. The repaint rule once.
  void SetTextLabel(int Idx, double PosX, double PosY, TColor TxtColor, const String& Txt, int PropertyTemplate);
  /// Every label invisible; paints once when painting is enabled.
  void HideAllTextLabels();
  /// Every label free (mode tlOff); paints once when painting is enabled.
  void ClearAllTextLabels();

  // -- mouse (see the mouse section of the unit comment)
  /// Asks the user for a rectangle: processes the application's messages until a box is drawn with
  /// a button other than the right one, and answers it in chart units of the active layer, each
  /// pair ordered lo <= hi. False (the bounds untouched) when the right button or MouseBoxAbort ends
  /// it, when the application terminates or nothing is left that could end it, when the chart is
  /// destroyed meanwhile (then nothing of it is touched), or at once when a box is already asked for.
  bool MouseBox(double& xLo, double& yLo, double& xHi, double& yHi);
  /// Ends a waiting MouseBox (which answers false) and a zoom window being dragged; the box or the
  /// window drawn so far is removed.
  void MouseBoxAbort();

  // -- item files (104-byte records, little-endian; the layout is in Qelta_rchart_files.cpp)
  /// Writes every item as one record. Silent when the file cannot be created; raises EInOutError
  /// when a write fails after that.
  void SaveData(const String& FName);
  /// Reads an item file, replacing the list or appending to it, then paints. Never raises: a file
  /// that cannot be opened or read leaves the list as it was. Records of no item kind or of a layer
  /// outside 1..MaxChartLayers are skipped, a text length above 15 reads as 15, unknown pen and
  /// frame styles read as psSolid and fsNone, a trailing partial record is ignored.
  void LoadData(const String& FName, bool AppendIt);
  /// Writes the list as readable text (Windows-1252, CR LF); raises EInOutError on any file error.
  void SaveDataASC(const String& FName);

  // -- ticks and texts
  /// Recorded tick of the active layer's x (y) helper scale, 1-based, mirrored on a descending
  /// range; 0 outside 1..count.
  double GetTickPosX(int Index) const;
  double GetTickPosY(int Index) const;
  int TickNumX() const;
  int TickNumY() const;
  /// The Index-th part of Text split at '|' (see TScale::ExtractUserText).
  static String ExtractUserText(const String& Text, int Index) { return TScale::ExtractUserText(Text, Index); }
  /// Text with the inscription around it (see TScale::AddScaleInscription).
  static String AddScaleInscription(const String& Text, const String& Inscript) {
    return TScale::AddScaleInscription(Text, Inscript);
  }

  // -- properties
  int AllocSize() const { return FAllocSize; }
  /// Accepts 1..1000000, ignores other values.
  void SetAllocSize(int value);
  bool AutoRedraw() const { return FAutoRedraw; }
  void SetAutoRedraw(bool value) { FAutoRedraw = value; }
  int ActiveLayer() const { return FActiveLayer; }
  /// Accepts 1..MaxChartLayers only; repaint rule.
  void SetActiveLayer(int value);
  uint8_t ClassDefault() const { return RcClassDefault; }
  /// Class stamped into new items; 255 (the wildcard class) is refused.
  void SetClassDefault(uint8_t value);
  int DataTag() const { return FDataTag; }
  void SetDataTag(int value) { FDataTag = value; }
  TColor DataColor() const { return RcDataCol; }
  void SetDataColor(TColor value) { RcDataCol = value; }
  TColor FillColor() const { return RcFillCol; }
  void SetFillColor(TColor value) { RcFillCol = value; }
  TPenStyle PenStyle() const { return RcPenStyle; }
  void SetPenStyle(TPenStyle value) { RcPenStyle = value; }
  uint8_t LineWidth() const { return RcLineWid; }
  void SetLineWidth(uint8_t value) { RcLineWid = value; }
  bool TransparentItems() const { return FTranspItems; }
  void SetTransparentItems(bool value) { FTranspItems = value; }
  // Repaint rule for the rest of this group.
  TColor ChartFrameColor() const { return FChartFrameCol; }
  void SetChartFrameColor(TColor value);
  TColor ChartColor() const { return RcChartCol; }
  void SetChartColor(TColor value);
  TColor WindColor() const { return RcWindCol; }
  void SetWindColor(TColor value);
  TColor GridColor() const { return RcGridCol; }
  void SetGridColor(TColor value);
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor value);
  TColor ShadowBakColor() const { return RcShadowBakCol; }
  void SetShadowBakColor(TColor value);
  TShadowStyle ShadowStyle() const { return RcShadowStyle; }
  void SetShadowStyle(TShadowStyle value);
  GridStyleType GridStyle() const { return RcGridStyle; }
  void SetGridStyle(GridStyleType value);
  double GridDx() const { return RcGridDx; }
  /// Values below -3 are ignored; repaint rule.
  void SetGridDx(double value);
  double GridDy() const { return RcGridDy; }
  void SetGridDy(double value);
  /// The chart caption (not the control's text).
  const String& Caption() const { return FChartCaption; }
  void SetCaption(const String& value);
  int CaptionPosX() const { return FCaptPosX; }
  void SetCaptionPosX(int value);
  int CaptionPosY() const { return FCaptPosY; }
  void SetCaptionPosY(int value);
  TAlignment CaptionAlignment() const { return FCaptAlignment; }
  void SetCaptionAlignment(TAlignment value);
  TCaptionAnchorHoriz CaptionAnchorHoriz() const { return FCaptAnchorX; }
  void SetCaptionAnchorHoriz(TCaptionAnchorHoriz value);
  TCaptionAnchorVert CaptionAnchorVert() const { return FCaptAnchorY; }
  void SetCaptionAnchorVert(TCaptionAnchorVert value);
  TFontStyles TextFontStyle() const { return FTextFontStyle; }
  void SetTextFontStyle(TFontStyles value);
  TTextBkg TextBkStyle() const { return FTextBkStyle; }
  void SetTextBkStyle(TTextBkg value);
  TColor TextBkColor() const { return FTextBkColor; }
  void SetTextBkColor(TColor value);
  /// Alignment stamped into plain text items.
  TAlignment TextAlignment() const { return FTextAlignment; }
  void SetTextAlignment(TAlignment value);
  bool Isometric() const { return FIsometric; }
  /// On: every layer's y range gets the span of its x range at the pixel aspect, the ring is pushed,
  /// repaint rule. Off only stores the flag.
  void SetIsometric(bool value);
  TMouseActMode MouseAction() const { return RcMouseAction; }
  void SetMouseAction(TMouseActMode value) { RcMouseAction = value; }
  bool MouseCursorFixed() const { return FMCurFixed; }
  void SetMouseCursorFixed(bool value) { FMCurFixed = value; }
  double MousePosX() const { return FMousePosX; }
  double MousePosY() const { return FMousePosY; }
  TZoomState ZoomState() const { return FZoomState; }

  // -- events
  TMouseMoveInChartEvent OnMouseMoveInChart;
  TZoomPanEvent OnZoomPan;
  TRubberBandEvent OnRubberBand;
  TScaleTickDrawnEvent OnScaleTickDrawn;
  TBeforeTickLabelEvent OnBeforeTickLabel;
  TRenderEvent OnBeforeRenderData;
  TRenderEvent OnDataRendered;
  TRenderEvent OnScalesRendered;
  TCrossHairMoveEvent OnCrossHairMove;
  TTextLabelMoveEvent OnTextLabelMove;

 protected:
  // -- paint road
  /// The whole picture: ConstructChartBmp, InitGraf and ConstructDataBmp on GrafBmp, GrafBmp into
  /// ChartBmp, DrawFinish onto the control. Nothing while invisible (outside design time), loading
  /// or suppressed; a logarithmic axis with a bound <= 0 raises EQeltaRChartError (from
  /// AdjustScaling) before the data area is drawn.
  void Paint() override;
  /// True when Paint may draw now.
  bool PaintAllowed() const;
  /// Frame, shadow, caption and the helper scales on Canvas (ChartBmp's or the printer's), with
  /// the transforms rebuilt first; fires OnScalesRendered.
  void ConstructChartBmp(TCanvas* Canvas);
  /// Sizes the data picture (not on the printer) and draws the background of the data area on
  /// Canvas with its top-left at (Left, Top): the background picture (a file that cannot be read
  /// clears the name quietly and leaves the area empty) or ChartColor with the background area.
  virtual void InitGraf(TCanvas* Canvas, int Left, int Top);
  /// Grid (FirstItem 0 only), the items from the first, the text labels and the frame of the data
  /// area on Canvas with the data area's top-left at (OffsetX, OffsetY). BlkWhite draws items in
  /// black with silver fills. Fires OnBeforeRenderData and OnDataRendered.
  virtual void ConstructDataBmp(TCanvas* Canvas, int OffsetX, int OffsetY, bool BlkWhite, int FirstItem);
  /// The frame of the data area in ChartFrameColor (solid pen), its top-left at (OffsetX, OffsetY).
  void DrawDataFrame(TCanvas* Canvas, int OffsetX, int OffsetY);
  /// Copies Bitmap onto Canvas at (OffsetX, OffsetY), the cross-hairs drawn on the copy only.
  void DrawFinish(int OffsetX, int OffsetY, TBitmap* Bitmap, TCanvas* Canvas);
  /// The grid of the active layer on Canvas (data area at OffsetX, OffsetY).
  void DrawGrid(TCanvas* Canvas, int OffsetX, int OffsetY);
  /// Labels 30 down to 1 that are in use, visible and on a visible layer.
  void DrawTextLabels(TCanvas* Canvas, int OffsetX, int OffsetY);
  /// One label in its look, the data area at (OffsetX, OffsetY); positions clamped to +-30000.
  void DrawTextLabel(TCanvas* Canvas, const TCustomTextLabel& Label, int OffsetX, int OffsetY);
  /// The cross-hairs not in chOff on Canvas, whose (0, 0) is control pixel (OffsetX, OffsetY).
  void DrawCrossHairs(TCanvas* Canvas, int OffsetX, int OffsetY);
  /// Canvas position of a chart point of a layer: R2M, each coordinate clamped to +-30000, shifted
  /// by (OffsetX - LRim, OffsetY - TRim).
  TPoint ChartPoint(int Layer, double x, double y, int OffsetX, int OffsetY) const;
  /// True for the printer's canvas: text there keeps the pixel height it has on the screen.
  static bool IsPrinterCanvas(const TCanvas* Canvas);
  /// Keeps every member of the sharing group on the item store and show count of this chart.
  void AdjustCanInfoOfSharedCharts();
  /// Forgets a master or user that is destroyed (a user keeps a private copy of the items).
  void Notification(TComponent* AComponent, TOperation Operation) override;
  /// For descendants whose window now exists: painting is no longer suppressed (the window's own
  /// paint message follows, so nothing is drawn here).
  void WindowCreated() { FSuppressPaint = false; }
  /// Re-applies the settings to the helper scales, marks them loaded, scales and paints once.
  void Loaded() override;
  /// Paint when AutoRedraw is on or the chart is being designed.
  void RepaintRule();

  /// Holds painting back for a bulk operation and gives it back once (Qelta_rchart_internal.h).
  class TPaintHold;

  // -- ranges (internal steps)
  /// Widens empty spans, applies the isometric rule, then ForceRange.
  void SetRangeIntern(int Layer, Extended xLo, Extended yLo, Extended xHi, Extended yHi, bool Push, bool Confine);
  /// Confines, checks and stores one layer's range (settings written without notification),
  /// refreshes its helper scales, pushes the ring when asked and stored, rebuilds the transforms.
  /// Answers whether a bound was stored.
  bool ForceRngIntern(int Layer, Extended xLo, Extended yLo, Extended xHi, Extended yHi, bool Push, bool Confine);
  /// Applies a settings object to a helper scale: type, axis margin by type, then every setting.
  void SetScaleProps(TScale* Scale, const TScaleProps* Props);
  /// The change handler of the scale settings and their date formats: applies every layer's
  /// settings to the helpers and re-forces every range with painting held; paints once.
  void ScalePropsChanged(TObject* Sender);

  // -- event relays of the helper scales and the mouse
  void DoOnScaleTickDrawn(TCanvas* Canvas, TScaleType ScaleType, double CurrentTickPos, int ChartX, int ChartY);
  void DoOnBeforeTickLabel(TScaleType ScaleType, double CurrentTickPos, String& TickLabel);
  void DoZoomPanEvent();
  void DoRubberbandEvent(int Layer, double LoX, double LoY, double HiX, double HiY);
  void DoCrossHMoveEvent(TCrossHair* CrossHair);
  void DoTxtLblMoveEvent(TTextLabel* TextLabel);
  void MouseMoveInChart(bool InChart, TShiftState Shift, double x, double y);

  // -- mouse handlers (see the mouse section of the unit comment)
  /// WM_GETDLGCODE answers arrows and tab; WM_MOUSEMOVE runs WMMouseMoveInChart after the platform.
  void WndProc(TMessage& Message) override;
  /// Reports every move: inside the data area or not, and the position in chart units of the
  /// active layer (OnMouseMoveInChart).
  void WMMouseMoveInChart(TMessage& Message);
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// True when (X, Y) lies in the data area, its edges included.
  bool InDataArea(int X, int Y) const;

  // -- pieces for the rendering, the shared item data and the mouse
  /// The store by reference, for charts that show one list together.
  const std::shared_ptr<TrcItemStore>& SharedItemStore() const { return FItems; }
  /// Shows another store (nullptr is ignored); the caller keeps the pictures right.
  void SetSharedItemStore(std::shared_ptr<TrcItemStore> Store);
  TBitmap* ChartBmp() const { return FChartBmp.get(); }
  TBitmap* GrafBmp() const { return FGrafBmp.get(); }
  TBitmap* AuxBmp() const { return FAuxBmp.get(); }
  TScale* ScaleX(int Layer) const { return FScalesX[ClampLayer(Layer)]; }
  TScale* ScaleY(int Layer) const { return FScalesY[ClampLayer(Layer)]; }
  /// Width and height of the data area (may be <= 0).
  int DataWidth() const;
  int DataHeight() const;
  static int ClampLayer(int Layer);
  static bool ValidLayer(int Layer) { return Layer >= 1 && Layer <= MaxChartLayers; }

  // Fields used by the rendering, the mouse and the item files.
  int FLastElemOnShow = 0;
  int Fxasp = 36;
  int Fyasp = 36;
  TLayerArray<Extended> Cpkx{}, Cpdx{}, Cpky{}, Cpdy{};
  bool LButtonWasDown = false;
  TLayerArray<int> FMAnchorScrX{}, FMAnchorScrY{};
  TLayerArray<double> FMAnchorRcLoX{}, FMAnchorRcLoY{}, FMAnchorRcHiX{}, FMAnchorRcHiY{};
  TZoomState FZoomState = zsNormal;
  TMouseBoxState MouseBoxState = msNormal;
  double FMousePosX = 0.0;
  double FMousePosY = 0.0;
  int CHNext = 1;
  int TLNext = 1;
  bool FWasDblClk = false;
  int LastMouseX = 0;
  int LastMouseY = 0;
  int MouseBoxX1 = 0;
  int MouseBoxY1 = 0;
  int MouseBoxX2 = 0;  // the box's last corner while it is drawn, clamped into the data area
  int MouseBoxY2 = 0;
  int WindAnchorX = 0;
  int WindAnchorY = 0;
  int WindOldCornerX = 0;
  int WindOldCornerY = 0;

 private:
  void CreateSettings();
  void CreateCrossHairsAndLabels();
  void CreateHelperScales();
  void FitHelperScales();
  void AppendItem(TrcChartItem&& Item);
  plot_detail::TAxisToPixel PixelMap(int Layer, bool Horizontal) const;
  /// A new item of the kind at the points, stamped with the drawing state (fill colour and
  /// transparency only where the kind has them).
  TrcChartItem Stamp(TrcItem Kind, bool WithFill, bool WithTransp, double x, double y, double x2 = 0,
                     double y2 = 0) const;
  bool LayerExtents(int Layer, double& MinX, double& MinY, double& MaxX, double& MaxY) const;
  void LLCalcMinMax(int Layer, double RangeLoX, double RangeLoY, double RangeHiX, double RangeHiY, double& MinX,
                    double& MinY, double& MaxX, double& MaxY) const;
  bool AdjustAxis(int Layer, bool Horizontal);
  void AdjustScalingQuietly();
  bool IsometricSpan(Extended XSpan, Extended& YSpan) const;
  void MakeIsometric(int Layer);
  void KeepIsometric();
  void RefreshRanges();
  void SetEqualRangeAxes(const TLayerSet& Layers, bool DoX, bool DoY);
  void AutoRangeOne(int Layer, double Margin, double MinRange, bool DoX, bool DoY);
  void AutoRangeAll(double Margin, double MinRange, bool DoX, bool DoY);
  void SetRim(int& Field, int value);
  void FitDataBitmap();
  void SetCrossHair(int Index, TCrossHair* Value);
  void ShowCrossHairs();
  void DrawCaption(TCanvas* Canvas);
  bool LoadBackgroundPicture();
  void DrawBackgroundArea(TCanvas* Canvas, const TRect& area);
  void RenderPicture(TCanvas* Canvas, bool BlkWhite);
  std::unique_ptr<TBitmap> PrinterPicture(bool BlkWhite);
  void DrawItems(TCanvas* Canvas, int OffsetX, int OffsetY, bool BlkWhite);
  void FillTextLabel(TTextLabel& L, double PosX, double PosY, TColor TxtColor, const String& Txt, int PropertyTemplate);
  void LeaveMaster();
  void ForgetUser(const TComponent* User);
  bool TakePrivateCopy(bool Raise);
  void RepaintGroupAfterShow();
  // The mouse, one step each.
  void DrawXorRect(int x1, int y1, int x2, int y2);
  void ClampToData(int& X, int& Y) const;
  void TakeAnchors(int X, int Y);
  void MoveMouseBox(int& X, int& Y);
  void MoveZoomWindow(int& X, int& Y);
  void Pan(int X, int Y);
  void ZoomDrag(int X, int Y);
  void DragCrossHair(int X, int Y, bool First);
  void DragLabel(int X, int Y, bool First);
  void FinishMouseBox(TMouseButton Button);
  void FinishZoomWindow(TMouseButton Button);
  void ZoomToWindow(int Layer);
  void ShowMouseCursor(int X, int Y);
  void ShowActionCursor(TCursor Cursor);
  void ShowOwnCursor();
  template <typename T>
  void SetRepainted(T& Field, const T& value);

  // Item list and drawing state.
  std::shared_ptr<TrcItemStore> FItems;
  int FAllocSize = 1000;
  int FActiveLayer = 1;
  uint8_t RcClassDefault = 0;
  TColor RcDataCol = clBlack;
  TColor RcFillCol = clSilver;
  TPenStyle RcPenStyle = psSolid;
  int FDataTag = 0;
  uint8_t RcLineWid = 1;
  bool FTranspItems = false;
  std::array<bool, MaxItemClasses> FItClassVisib{};
  TLayerArray<bool> FLayerVisib{};
  TLayerArray<bool> FMouseAffLayer{};

  // Look.
  TrcLayout FStdLayout = rcl_X1Bottom_Y1Left;
  GridStyleType RcGridStyle = gsNone;
  TColor RcGridCol = clBlack;
  double RcGridDx = 0.0;
  double RcGridDy = 0.0;
  int RcLRim = 50;
  int RcRRim = 10;
  int RcTRim = 16;
  int RcBRim = 32;
  int F3DRim = 0;
  TShadowStyle RcShadowStyle = ssFlying;
  TColor FShadowColor = clGrayText;
  TColor RcShadowBakCol = clBtnFace;
  TColor FChartFrameCol = clBlack;
  TColor RcChartCol = clWhite;
  TColor RcWindCol = clBtnFace;
  String FChartCaption;
  int FCaptPosX = 0;
  int FCaptPosY = -15;
  TAlignment FCaptAlignment = taRightJustify;
  TCaptionAnchorHoriz FCaptAnchorX = cahChartRight;
  TCaptionAnchorVert FCaptAnchorY = cavChartTop;
  TFontStyles FTextFontStyle;
  TTextBkg FTextBkStyle = tbClear;
  TColor FTextBkColor = clWhite;
  TAlignment FTextAlignment = taCenter;
  TMouseActMode RcMouseAction = maNone;
  bool FMCurFixed = true;
  bool FAutoRedraw = true;
  bool FIsometric = false;
  bool FSuppressPaint = true;

  // Owned objects.
  std::unique_ptr<TBakGndImg> FBakGndFile;
  std::unique_ptr<TJointLayers> FJointLayers;
  std::array<std::unique_ptr<TCrossHair>, MaxCrossHairs + 1> FCrossHair;
  std::array<std::unique_ptr<TTextLabel>, MaxTextLabels + 1> FTextLabels;
  TLayerArray<std::unique_ptr<TScalePropsHoriz>> FScalePropsX;
  TLayerArray<std::unique_ptr<TScalePropsVert>> FScalePropsY;
  TLayerArray<TScale*> FScalesX{};  // owned as components of the chart
  TLayerArray<TScale*> FScalesY{};
  std::unique_ptr<TBitmap> FAuxBmp;
  std::unique_ptr<TBitmap> FGrafBmp;
  std::unique_ptr<TBitmap> FChartBmp;
  std::unique_ptr<TBitmap> FFinishBmp;  // the copy the cross-hairs are drawn on

  // Shared item data: the master whose items this chart shows, or the users showing this chart's.
  TCustomRChart* FUseDataOf = nullptr;  // borrowed, free notification registered
  std::array<TCustomRChart*, 4> FDataUsers{};  // borrowed, free notification registered
  int FDataUsersNum = 0;

  // Zoom ring and confinement.
  TLayerArray<std::array<TRectDouble, ZoomRingSize + 1>> FZoomStack{};  // slots 1..16
  int FZStackPoi = 1;
  std::array<Extended, 4> FZoomRange{};  // x low, y low, x high, y high

  // False once the chart is destroyed: a MouseBox running below the handler that destroyed it
  // learns from its own copy that it must not touch the chart again.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  // The chart's own cursor while the mouse shows an action's cursor in its place.
  TCursor FOwnCursor = crDefault;
  bool FActionCursorShown = false;

  friend class TJointLayers;
};

// --- TRChart -----------------------------------------------------------------------------------

/// The chart a host places on a form: TCustomRChart with every operation and property public, its
/// painting suppressed until it sits on a shown form (then it paints with its window).
class TRChart : public TCustomRChart {
 public:
  explicit TRChart(TComponent* AOwner);

 protected:
  /// The window exists: painting is no longer suppressed.
  void CreateWnd() override;
};

// --- TSmithChart -------------------------------------------------------------------------------

/// A chart of the plane of the complex reflection coefficient (Smith chart): x = Re, y = Im of
/// the reflection coefficient on layer 1, under the impedance grid (unit circle, 20 circles of
/// constant normalised resistance, 2 x 19 arcs of constant normalised reactance, labels whose
/// number grows with the size of the diagram in five detail levels). Items are drawn with the
/// chart's primitives at reflection coefficients; the Calc... functions convert between normalised
/// impedance and reflection coefficient. A new chart is isometric, shows -1.2..1.2 on both axes
/// and hides every scale; it paints once its window exists.
class TSmithChart : public TCustomRChart {
 public:
  explicit TSmithChart(TComponent* AOwner);

  // -- conversions (normalised impedance r + jx, reflection coefficient g = gr + j gi)
  /// Re g of r + jx: with a = 1/(r + 1), 1 - 2/(x^2 a + 1/a).
  static double CalcReflectionReal(double Resistance, double Reactance);
  /// Im g of r + jx: 0 for x = 0, else 2/(x + 1/(x a^2)).
  static double CalcReflectionImag(double Resistance, double Reactance);
  /// r of g: with a = gr - 1, b = a^2 + gi^2: -1 - 2a/b; uc_MaxReal for g = 1 (b = 0).
  static double CalcResistance(double ReflectionReal, double ReflectionImag);
  /// x of g: 2 gi/b; uc_MaxReal for g = 1.
  static double CalcReactance(double ReflectionReal, double ReflectionImag);

  // -- layer-free forms (layer 1, cross-hair 1)
  void M2R(int xin, int yin, double& ReflReal, double& ReflImag) const {
    TCustomRChart::M2R(1, xin, yin, ReflReal, ReflImag);
  }
  void R2M(double ReflReal, double ReflImag, int& xout, int& yout) const {
    TCustomRChart::R2M(1, ReflReal, ReflImag, xout, yout);
  }
  void SetRange(Extended xLo, Extended yLo, Extended xHi, Extended yHi) {
    TCustomRChart::SetRange(1, xLo, yLo, xHi, yHi);
  }
  void AutoRange(double Margin, double MinRange = 0.0) { TCustomRChart::AutoRange(1, Margin, MinRange); }
  void FindMinMax(double RangeLoX, double RangeLoY, double RangeHiX, double RangeHiY, double& MinX, double& MinY,
                  double& MaxX, double& MaxY) const {
    TCustomRChart::FindMinMax(1, RangeLoX, RangeLoY, RangeHiX, RangeHiY, MinX, MinY, MaxX, MaxY);
  }
  void CrossHairSetPos(double x, double y) { TCustomRChart::CrossHairSetPos(1, x, y); }
  void CrossHairSetup(TColor chColor, TCrossHMode Mode, TPenStyle LineType, int LineWidth) {
    TCustomRChart::CrossHairSetup(1, chColor, Mode, LineType, LineWidth);
  }
  TCrossHair* GetCrossHair() const { return CrossHair1(); }
  /// Copies the settings into cross-hair 1 (repaint rule through its notification).
  void SetCrossHair(TCrossHair* Value) { SetCrossHair1(Value); }
  double GetCrossHairPosX() const { return GetCHPosX(1); }
  double GetCrossHairPosY() const { return GetCHPosY(1); }
  void SetCrossHairPosX(double Value) { SetCHPosX(1, Value); }
  void SetCrossHairPosY(double Value) { SetCHPosY(1, Value); }
  /// Keeps both spans of layer 1 and centres them on 0.
  void CenterChart();

  // -- properties
  double RangeXLow() const { return GetScalePropsX(1)->RangeLow(); }
  /// Stores the bound in layer 1's settings, then the isometric rule re-derives the y range around
  /// its centre; paints once when painting is enabled (the suppression is given back as it was).
  void SetRangeXLow(double value);
  double RangeXHigh() const { return GetScalePropsX(1)->RangeHigh(); }
  void SetRangeXHigh(double value);
  double RangeYLow() const { return GetScalePropsY(1)->RangeLow(); }
  void SetRangeYLow(double value);
  /// Read only.
  double RangeYHigh() const { return GetScalePropsY(1)->RangeHigh(); }
  TColor GridColorLight() const { return FGridColLight; }
  /// A changed colour is stored and painted; the present one does nothing (likewise below).
  void SetGridColorLight(TColor value);
  TColor GridColorDark() const { return FGridColDark; }
  void SetGridColorDark(TColor value);
  /// Fill of the unit circle and background of the resistance labels.
  TColor DiagramColor() const { return FDiagramColor; }
  void SetDiagramColor(TColor value);

 protected:
  /// The window exists: painting is no longer suppressed.
  void CreateWnd() override;
  /// The background, then the impedance grid and its labels (see Qelta_rchart_smith.cpp).
  void InitGraf(TCanvas* Canvas, int Left, int Top) override;

 private:
  void SetRangeBound(TScaleProps* Props, bool Low, double value);
  void SetPainted(TColor& Field, TColor value);
  TPoint GridPoint(double ReflReal, double ReflImag, int Left, int Top) const;
  void DrawResistanceCircles(TCanvas* Canvas, int Left, int Top);
  void DrawReactanceArcs(TCanvas* Canvas, int Left, int Top, int Level);
  void DrawResistanceLabels(TCanvas* Canvas, int Left, int Top, int Level);

  TColor FGridColLight = TColor(0xDBDBDB);
  TColor FGridColDark = TColor(0xA7A7A7);
  TColor FDiagramColor = TColor(0xF8E8E8);
};

/// Unit registration: TRChart on the palette page "Qelta".
namespace Qelta_rchart {
void Register();
}  // namespace Qelta_rchart

// --- TContourPlot ------------------------------------------------------------------------------

class TColorArray;
class TColorScale;
class TMatrix;

/// What the contour plot draws: iso-level dots in the level colours or in colour 1, a colour
/// surface interpolated within each cell, or one flat rectangle per pivot.
enum TContourPlotMode : uint8_t { cpmDots, cpmMonoDots, cpmColorSurface, cpmColorSurfNoIp };
/// The function of the plot: z at (x, y) in layer 1's chart units (z starts at 0).
using TEstimateZValEvent = std::function<void(TObject* Sender, double x, double y, double& z)>;

/// Contour plot: a function z = f(x, y) that the host supplies through OnEstimateZVal, shown over
/// layer 1's x and y ranges as iso-level dots or as a colour-coded surface, with the chart's text
/// labels on top (its item list is not drawn).
/// How: the function is sampled on a grid of NumPivotsX x NumPivotsY pivots spread evenly over
/// the ranges (bounds included) and kept in a matrix; each cell between four pivots is drawn by
/// bilinear interpolation: IsoQuad puts a dot where a level crosses one of 5 vertical and 6
/// horizontal lines of the cell, IsoColQuad fills sub-cells (at most one per pixel) in the colour
/// of their lower-left value. Colour of a value v (n = IsoColors' size): colour 1 up to IsoLow,
/// else round((v - IsoLow) / (IsoHigh - IsoLow) x n) kept to 1..n. Levels are IsoLow + k IsoDist,
/// k = 0..K - 1, K = round((IsoHigh - IsoLow) / IsoDist).
/// The rendered picture (background, contour, labels) is kept and made again only when something
/// it shows changed: the levels, colours, pivots or mode, a label, the background, painting coming
/// back, and any change of layer 1's ranges or of the data area (zoom, pan, resize, rims, however
/// they come, whatever the host hangs on OnZoomPan and OnResize); the function is sampled again
/// with it. Every paint copies the kept picture, then draws the OnDataRendered overlay and the frame
/// on the copy, so overlays never accumulate.
/// Limits: pivot counts are kept to 2..5000 per side; IsoDist must be above 0 (other values are
/// ignored) and at most 10000 levels are drawn; non-finite level bounds are ignored. Progress runs
/// 0..30 while sampling and 30..100 while drawing. An attached colour scale follows IsoLow, IsoHigh
/// and the colours and may be destroyed first. Use TRChart for plotted items, the surface plot
/// for a three-dimensional view of a matrix.
class TContourPlot : public TCustomRChart {
 public:
  /// Pivot counts from the data area after the standard layout ((Width - LRim - RRim) div 5 by
  /// (Height - TRim - BRim) div 5, at least 2: 42 x 28 at the default size), levels -1..1 by 0.1,
  /// ranges -5.2..5.2 on layer 1, a point grid, painting suppressed until the window exists.
  explicit TContourPlot(TComponent* AOwner);
  ~TContourPlot() override;

  // -- the main job
  /// Renders the picture again (sampling included) and paints.
  void DrawPlot();
  /// Stores a changed value; clearing it renders again and paints.
  void SetSuppressPaint(bool value) override;
  /// Largest and smallest pivot value of the last sampling (-uc_MaxDouble and uc_MaxDouble before
  /// the first).
  double Maximum() const { return FMaximum; }
  double Minimum() const { return FMinimum; }

  // -- pivots
  int NumPivotsX() const { return FNumPivotX; }
  /// Pivots along x (kept to 2..5000); a new pivot matrix, rendered again, paints.
  void SetPivotResX(int a);
  int NumPivotsY() const { return FNumPivotY; }
  void SetPivotResY(int a);
  /// PivotResolution: 5 x the larger pivot count.
  int GetPivotRes() const;
  /// About one pivot per 5 pixels of resolution a (at least 10) along the longer side of the data
  /// area, a div 5 + 1 pivots there and the shorter side in proportion (round, + 1, at least 2).
  void SetPivotRes(int a);
  /// a and b (pixels, kept to 10..5000) give a div 5 by b div 5 pivots.
  void ResizePivotMatrix(int a, int b);

  // -- levels and colours
  double IsoLow() const { return FIsoLow; }
  /// A value at or above IsoHigh moves IsoHigh to value + 1; non-finite values are ignored.
  void SetIsoLow(double value);
  double IsoHigh() const { return FIsoHigh; }
  /// A value at or below IsoLow moves IsoLow to value - 1; non-finite values are ignored.
  void SetIsoHigh(double value);
  double IsoDist() const { return FIsoDist; }
  /// Level spacing; values <= 0 and non-finite ones are ignored.
  void SetIsoDist(double value);
  /// All three at once (iHigh <= iLow moves IsoLow to iHigh - 1; an iDist <= 0 keeps the spacing).
  void SetIsoParams(double iLow, double iHigh, double iDist);
  /// The level colours (owned; 1000 rainbow colours when new); every change renders again.
  TColorArray* IsoColors() const { return FIsoColors.get(); }
  TContourPlotMode PlotMode() const { return FPlotMode; }
  void SetPlotMode(TContourPlotMode value);
  /// A colour scale that shows the levels (borrowed; nullptr detaches): it gets the colours and
  /// IsoLow..IsoHigh as its colour interval now and at every change.
  TColorScale* AttachedColorScale() const { return FExtColScale; }
  void SetAttachedColorScale(TColorScale* value);

  // -- chart settings that change the picture (each renders again when the value changes)
  void SetChartColor(TColor value);
  void SetChartFrameColor(TColor value);
  void SetMarginLeft(int value);
  void SetMarginRight(int value);
  void SetMarginTop(int value);
  void SetMarginBottom(int value);
  void SetShadowWidth(int value);
  using TCustomRChart::SetRange;
  /// Layer 1's ranges (the chart's SetRange on layer 1).
  void SetRange(Extended xLo, Extended yLo, Extended xHi, Extended yHi);
  using TCustomRChart::M2R;
  using TCustomRChart::R2M;
  /// The chart's transforms on layer 1.
  void R2M(double xin, double yin, int& xout, int& yout) const { TCustomRChart::R2M(1, xin, yin, xout, yout); }
  void M2R(int xin, int yin, double& xout, double& yout) const { TCustomRChart::M2R(1, xin, yin, xout, yout); }
  /// Cross-hair 1 (SetCrossHair copies the settings).
  TCrossHair* CrossHair() const { return CrossHair1(); }
  void SetCrossHair(TCrossHair* value) { SetCrossHair1(value); }
  /// Layer 1's scale settings (the setters copy them).
  TScalePropsHoriz* ScaleX() const { return Scale1X(); }
  void SetScaleX(TScalePropsHoriz* value) { SetScale1X(value); }
  TScalePropsVert* ScaleY() const { return Scale1Y(); }
  void SetScaleY(TScalePropsVert* value) { SetScale1Y(value); }
  /// The chart's label operations, the picture rendered again.
  int AddTextLabel(double PosX, double PosY, TColor TxtColor, const String& Txt, int PropertyTemplate);
  void SetTextLabel(int Idx, double PosX, double PosY, TColor TxtColor, const String& Txt, int PropertyTemplate);
  void HideAllTextLabels();
  void ClearAllTextLabels();
  /// The chart's output operations on a picture rendered again.
  void CopyToBitmap(TBitmap* ABitmap, bool BlkWhite);
  void CopyToBMP(const String& FName, bool BlkWhite);
  void CopyToClipboard(bool BlkWhite);
  void PrintIt(double ScaleF, bool BlkWhite);

  // -- events
  TEstimateZValEvent OnEstimateZVal;
  TOnPercentDoneEvent OnProgress;

 protected:
  using TCustomRChart::ScaleX;
  using TCustomRChart::ScaleY;
  /// Chart picture, the data area from the kept picture (rendered first when invalid), the
  /// cross-hairs on the copy; nothing while invisible, loading or suppressed.
  void Paint() override;
  /// Renders when invalid, copies the kept picture to (OffsetX, OffsetY), fires OnDataRendered
  /// (Top = TRim - OffsetY, Left = LRim - OffsetX) and frames the data area. BlkWhite and FirstItem
  /// do not apply.
  void ConstructDataBmp(TCanvas* Canvas, int OffsetX, int OffsetY, bool BlkWhite, int FirstItem) override;
  /// The window exists: painting is no longer suppressed (the window's paint follows).
  void CreateWnd() override;
  /// A new size renders again; then the host's OnResize.
  void Resize() override;
  /// Forgets an attached colour scale that is destroyed.
  void Notification(TComponent* AComponent, TOperation Operation) override;
  /// OnProgress(p) when assigned.
  void FeedbackProgress(int p);

 private:
  /// What a rendered picture depends on beyond the plot's own settings: layer 1's transform (its
  /// ranges, logarithmic axes and the data area's place) and the data picture's size.
  struct TRenderedFor {
    Extended kx = 0, dx = 0, ky = 0, dy = 0;
    int Width = -1, Height = -1;
    friend bool operator==(const TRenderedFor&, const TRenderedFor&) = default;
  };
  TRenderedFor CurrentView() const;
  void InvalidatePicture() { FInvalidDataBmp = true; }
  void NewPivotMatrix(int nx, int ny);
  void IsoColorsChanged();
  void ChangedIsoColorsEvent(TObject* Sender);
  void CplotStyleChanged(TObject* Sender);
  void RenderPicture();
  void RenderContourplot();
  void RenderFromPivotPoints(TCanvas* Canvas, int dx, int dy);
  void RenderLabels(TCanvas* Canvas, int dx, int dy);
  template <typename T>
  void SetRendered(T& Field, const T& value);
  /// A changed rim (or shadow width) renders again, then the chart's setter Set applies it.
  void SetRimRendered(int Current, int value, void (TCustomRChart::*Set)(int));

  TContourPlotMode FPlotMode = cpmColorSurface;
  std::unique_ptr<TMatrix> FPivotMat;
  int FNumPivotX = 2;
  int FNumPivotY = 2;
  double FIsoLow = -1.0;
  double FIsoHigh = 1.0;
  double FIsoDist = 0.1;
  double FMaximum = -uc_MaxDouble;
  double FMinimum = uc_MaxDouble;
  bool FInvalidDataBmp = true;
  TColorScale* FExtColScale = nullptr;  // borrowed, free notification registered
  std::unique_ptr<TColorArray> FIsoColors;
  std::unique_ptr<TBitmap> FPlotBmp;  // the rendered picture, copied at every paint
  TRenderedFor FRenderedFor;
};

}  // namespace qelta

QELTA_PUBLIC_END
