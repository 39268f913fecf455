#pragma once
// Qelta_Rot3D: the rotatable 3-D display TRot3D.
//
// What: marks, polylines and single lines in space, shown in a rotatable bounding cube with three
// axes through the origin; the user turns, zooms and pans the picture with the mouse, and the host
// finds the item nearest to a point in space or on the screen.
// How: the host fills an item list in real-world coordinates; MakeVisible turns it once into integer
// model coordinates around a centre (scaled to about +-500 per axis by default) and a compact list of
// rotated objects; every repaint projects those through a rotation matrix of integers (x 1000) with
// truncating integer division by the zoom divisor, so the picture is exact and fast. Items are drawn
// in the order they were added, not sorted by depth.
// Limits: projected points are kept to +-30000 pixels; model coordinates to the 32-bit range. Items
// added after the last MakeVisible are not shown until it runs again. At most 32 item colours are
// told apart per MakeVisible (16 standard ones, then 16 found in the list); further colours share the
// last slot. Metafile output is refused (this platform has none). Use TPlot3D for a surface z(x, y).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_plot3d.h"
#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

/// Kind of a display item; tkNone (no item) and tkEverything (any kind) serve only in queries. Scoped,
/// because the chart's item kinds use the same value names in this namespace.
enum class Tr3Item : uint8_t { tkNone, tkMarkAt, tkLineto, tkLine, tkMoveto, tkEverything };
/// Handedness of the axes: the first two columns of the rotation matrix change places for adRightHanded.
enum TAxDir : uint8_t { adLeftHanded, adRightHanded };

/// Error class of the 3-D display (memory, refused output operations).
QELTA_DECLARE_EXCEPTION(EQeltaRot3DError, EQeltaError)

/// One item of the display's list.
struct Tr3ChartItem {
  double x = 0, y = 0, z = 0;  ///< position (first point)
  TColor color = clBlack;
  int tag = 0;  ///< the host's tag
  Tr3Item ItemKind = Tr3Item::tkNone;
  double x2 = 0, y2 = 0, z2 = 0;  ///< second point (tkLine only)
  uint8_t marklw = 0;             ///< mark number (tkMarkAt) or line width (tkLineto, tkLine)
};

// --- TRot3D ------------------------------------------------------------------------------------

/// The rotatable 3-D display. Setters store, clamp where the property has a range, and repaint by
/// their rule; the view angles are never wrapped. It paints whenever asked; before the control has a
/// window a repaint renders the bitmap only.
class TRot3D : public TCustomControl {
 public:
  explicit TRot3D(TComponent* AOwner);
  ~TRot3D() override;

  // -- item list
  /// Append one item with the current data colour and tag (marklw = Mark, or the line width for
  /// Drawto and Line). None of them repaints.
  void MarkAt(double x, double y, double z, uint8_t Mark);
  void Moveto(double x, double y, double z);
  void Drawto(double x, double y, double z);
  void Line(double x1, double y1, double z1, double x2, double y2, double z2);
  /// A copy of item i; outside 0..NumItems-1 a record of kind tkNone.
  Tr3ChartItem GetChartItem(int i) const;
  /// Replaces item i when 0 <= i < NumItems.
  void SetChartitem(int i, const Tr3ChartItem& Item);
  /// As GetChartItem.
  Tr3ChartItem GetItemParams(int i) const { return GetChartItem(i); }
  /// As SetChartitem, but a record of kind tkNone or tkEverything is ignored.
  void SetItemParams(int i, const Tr3ChartItem& Item);
  /// Kind of the first / last item; tkNone when the list is empty.
  Tr3Item GetTypeOfFirstItem() const;
  Tr3Item GetTypeOfLastItem() const;
  /// Removes item i (ignored outside the list); the only item's removal releases the storage.
  void RemoveItem(int i);
  void RemoveFirstItem() { RemoveItem(0); }
  void RemoveLastItem();
  /// Empties the list and the rotated objects, releases the storage and clears the picture to the
  /// background.
  void Clear();
  int NumItems() const { return static_cast<int>(FDataContainer.size()); }
  /// Capacity as the list reports it: grown by AllocSize each time the list is full.
  int NumAllocated() const { return FNumAllocated; }
  int AllocSize() const { return FAllocSize; }
  /// Accepted for 1..1000000.
  void SetAllocSize(int value);

  // -- showing and finding
  /// Turns the list into rotated objects around the centre and repaints; raises EQeltaRot3DError
  /// "Component "<Name>": insufficient memory" when their storage cannot be had.
  void MakeVisible();
  int NumRotObjects() const { return static_cast<int>(FRotDataX.size()); }
  /// Item of kind ItemID (any for tkEverything, none for tkNone) whose first point is nearest to
  /// (mx, my, mz), the first of equals, with the distance in Dist; -1 and sqrt(1.7e308) when none.
  int FindNearestItemReal(double mx, double my, double mz, Tr3Item ItemID, double& Dist) const;
  /// Item of kind ItemID whose rotated object is projected nearest to the pixel (mx, my), with the
  /// pixel distance in Dist; -1 (Dist as above) when none. Objects of removed items are passed over.
  int FindNearestItemScreen(int mx, int my, Tr3Item ItemID, double& Dist) const;
  /// Colour slot 0..31 of the rotated objects; black outside.
  TColor ItemColors(int Index) const;

  // -- view
  double ViewAngleX() const { return FViewAngle[0]; }
  /// When different: the angle and its drag anchor take the value (no wrapping); new matrix, repaint.
  void SetViewAngleX(double value);
  double ViewAngleY() const { return FViewAngle[1]; }
  void SetViewAngleY(double value);
  double ViewAngleZ() const { return FViewAngle[2]; }
  void SetViewAngleZ(double value);
  /// When any differs: all three angles and anchors; new matrix, repaint.
  void SetViewAngles(double X, double Y, double Z);
  bool MouseRot3Axes() const { return FRotMat3D; }
  /// Three-angle rotation (mouse turns X and Y) instead of two (X and Z); on change.
  void SetMouseRot3Axes(bool value);
  TAxDir AxDir() const { return FAxDir; }
  void SetAxDir(TAxDir value);
  /// 4000 / zoom divisor.
  double Magnification() const { return 4000.0 / FMagnify; }
  /// Clamped to 0.1..5.0; the divisor becomes Round(4000 / value); repaints.
  void SetMagnification(double value);
  int CentX() const { return FCentX; }
  /// Clamped to 0..Width (CentY: 0..Height); repaints when changed.
  void SetCentX(int value);
  int CentY() const { return FCentY; }
  void SetCentY(int value);
  int BoundBoxSize() const { return 2 * FBBSize; }
  /// Ignored when equal; clamped to 0..4000; half of it (div 2) is the cube's half edge; repaints.
  void SetBoundBoxSize(int value);
  int AxSize() const { return FAxSize; }
  /// Clamped to 0..4000; repaints when changed.
  void SetAxSize(int value);
  double OriginX() const { return FOrigin[0]; }
  /// Stored when different, with a repaint; used by the next MakeVisible (so the scale factors).
  void SetOriginX(double value);
  double OriginY() const { return FOrigin[1]; }
  void SetOriginY(double value);
  double OriginZ() const { return FOrigin[2]; }
  void SetOriginZ(double value);
  void SetOrigins(double X, double Y, double Z);
  double ScaleFactX() const { return FScaleFact[0]; }
  void SetScaleFactX(double value);
  double ScaleFactY() const { return FScaleFact[1]; }
  void SetScaleFactY(double value);
  double ScaleFactZ() const { return FScaleFact[2]; }
  void SetScaleFactZ(double value);
  void SetScaleFactors(double X, double Y, double Z);
  bool IsoMetric() const { return FIsoMetric; }
  /// On change: MakeVisible (so AutoOrigin and AutoScale).
  void SetIsoMetric(bool value);
  bool AutoOrigin() const { return FAutoOrigin; }
  void SetAutoOrigin(bool value);
  bool AutoScale() const { return FAutoScale; }
  void SetAutoScale(bool value);
  /// Extent of the rotated objects in model units, per axis 1..3 (0 outside).
  int MinCoord(int axis) const;
  int MaxCoord(int axis) const;
  /// Rotation matrix entry / 1000 for 1 <= i, j <= 3, else 0.
  double GetRotMat(int i, int j) const;
  /// The three-angle form when MouseRot3Axes is on, else the two-angle form.
  void CalcRotMatrix();
  virtual void CalcRotMatrix_2Ax();
  virtual void CalcRotMatrix_3Ax();

  // -- look
  bool ShowAxes() const { return FShowAxes; }
  void SetShowAxes(bool value);
  TBoundingBox BoundBoxStyle() const { return FBoundBox; }
  void SetBoundBoxStyle(TBoundingBox value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  const String& AxNameX() const { return FAxName[0]; }
  void SetAxNameX(const String& value);
  const String& AxNameY() const { return FAxName[1]; }
  void SetAxNameY(const String& value);
  const String& AxNameZ() const { return FAxName[2]; }
  void SetAxNameZ(const String& value);
  TColor ColorFrame() const { return FFrameCol; }
  /// Colours, TextFontStyle and TextMarkSize store and repaint.
  void SetColorFrame(TColor value);
  TColor ColorChart() const { return FChartCol; }
  void SetColorChart(TColor value);
  TColor ColorCubeFrame() const { return FColorCubeFrame; }
  void SetColorCubeFrame(TColor value);
  TColor ColorCubeHidLin() const { return FColorCubeHidLin; }
  void SetColorCubeHidLin(TColor value);
  TColor ColorCubeFaceLow() const { return FColorCubeFaceLo; }
  void SetColorCubeFaceLow(TColor value);
  TColor ColorCubeFaceHigh() const { return FColorCubeFaceHi; }
  void SetColorCubeFaceHigh(TColor value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  /// csSystem: button shadow and highlight line colours; csBWG: $808080 and white. On change.
  void SetColorScheme(TColorScheme value);
  TFontStyles TextFontStyle() const { return FTextFontStyle; }
  void SetTextFontStyle(TFontStyles value);
  uint8_t TextMarkSize() const { return FTextMarkSize; }
  void SetTextMarkSize(uint8_t value);
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode value) { FMouseAction = value; }
  /// Stamps of new items: colour, line width (1..32), tag. Store only.
  TColor DataCol() const { return FDataCol; }
  void SetDataCol(TColor value) { FDataCol = value; }
  int LineWidth() const { return FLineWidth; }
  void SetLineWidth(int value);
  int DataTag() const { return FDataTag; }
  void SetDataTag(int value) { FDataTag = value; }

  // -- output (bitmap copies are real; metafiles are refused)
  void CopyToBMP(const String& FileName, bool IncludeFrame);
  void CopyToWMF(const String& FileName, bool IncludeFrame);
  void CopyToClipboardWMF(bool IncludeFrame);
  void CopyToClipboard(bool IncludeFrame);
  /// Prints a one-page document (Scale 1 = the size on the screen; black and white draws the items black).
  void PrintIt(double Scale, bool BlackAndWhite, bool IncludeFrame);
  /// Draws on the printer's open page at (X, Y); X, Y come back as the right and bottom edge.
  void CopyToOpenPrinter(int& X, int& Y, double Scale, bool BlackAndWhite, bool IncludeFrame);

  // -- events
  T3DRenderEvent OnDataRendered;
  T3DRenderEvent OnBeforeRenderData;

 protected:
  /// Background, picture and frame into the bitmap, then onto the control.
  void Paint() override;
  /// The picture in its fixed order: box faces, axes, hidden edges, objects, front edges, axis names.
  void ConstructDataBmp(TCanvas* Canvas);
  /// Rotation, zoom and pan by the mouse (positions outside the control are ignored).
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  struct TModelPoint {
    int64_t X = 0, Y = 0;
  };
  struct TSurvey {
    int64_t Points = 0;
    std::array<double, 3> Sum{}, Low{}, High{};
  };
  static TSurvey Survey(const std::vector<Tr3ChartItem>& items);
  std::array<double, 3> ScalesFor(const TSurvey& survey) const;
  void Append(Tr3ChartItem item);
  void ReleaseStorage();
  void Repaint3D();
  void SetCubeCorners();
  TModelPoint ProjectRaw(int64_t X, int64_t Y, int64_t Z) const;
  TPoint Project(int64_t X, int64_t Y, int64_t Z) const;
  TPoint ProjectCorner(int k) const;
  void SetMatrix(const std::array<std::array<double, 3>, 3>& m);
  void DrawBoxFaces(TCanvas* c, int s);
  void DrawBoxEdges(TCanvas* c, int corner, TColor color);
  void DrawAxes(TCanvas* c);
  void DrawObjects(TCanvas* c);
  void DrawTextMark(TCanvas* c, uint8_t mark, TPoint at, TColor color);
  void DrawAxisNames(TCanvas* c);
  std::unique_ptr<TBitmap> RenderPicture(bool IncludeFrame, bool BlackAndWhite);
  void RenderInto(TCanvas* c, bool IncludeFrame);
  void Present(const std::function<void(TCanvas*)>& Draw);
  void SetStored(double& Field, double value);
  void SetRepainting(TColor& Field, TColor value);
  void SetRepainting(bool& Field, bool value);
  void SetRemaking(bool& Field, bool value);
  void SetAngle(int Index, double value);

  std::array<std::array<int, 3>, 8> CubeCorners{};
  std::array<double, 3> FViewAngle{110, 150, 210};
  std::unique_ptr<TBitmap> GrafBmp;
  TMouseActMode FMouseAction = maRotate;
  TColor FDataCol = clBlack;
  int FLineWidth = 1;
  TAxDir FAxDir = adLeftHanded;
  int FDataTag = 0;
  TColor FFrameCol = clBlack;
  TColor FChartCol = clWhite;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = clWhite;
  TColorScheme FColorScheme = csSystem;
  TColor FColorCubeFrame = 0x404040;
  TColor FColorCubeHidLin = 0xB0B0B0;
  TColor FColorCubeFaceHi = 0xEEEEEE;
  TColor FColorCubeFaceLo = 0xC0C0C0;
  int FFontPixPerInch = 96;  // the drawing canvas's font density, restored after text output
  TBoundingBox FBoundBox = bbFaces;
  int FBBSize = 400;
  int FAxSize = 700;
  bool FShowAxes = true;
  TFrameStyle FFrameStyle = fsLowered;
  bool FIsoMetric = false;
  bool FAutoOrigin = true;
  bool FAutoScale = true;
  std::array<double, 3> FOrigin{0, 0, 0};
  std::array<String, 3> FAxName{u"X", u"Y", u"Z"};
  int FMagnify = 5000;
  double FMagAnchor = 0.8;
  std::array<int, 3> FMinCoord{};
  std::array<int, 3> FMaxCoord{};
  std::array<double, 3> FAngleAnchor{110, 150, 210};
  std::array<double, 3> FScaleFact{1, 1, 1};
  std::array<TColor, 32> FItemColors{};
  int FCentX = 225;
  int FCentY = 150;
  int FCentXAnchor = 225;
  int FCentYAnchor = 150;
  std::array<std::array<int, 3>, 3> FRotMat{};
  std::vector<int32_t> FRotDataX, FRotDataY, FRotDataZ;
  std::vector<int32_t> FBackLink;
  std::vector<uint8_t> FRotProp;  // bits 0-4 colour slot; $20 move, $40 line, $60 mark
  std::vector<uint8_t> FRotMark;
  std::vector<uint8_t> FLineWid;
  bool FRotMat3D = false;
  TFontStyles FTextFontStyle;
  uint8_t FTextMarkSize = 8;
  int MouseAnchorX = 0;
  int MouseAnchorY = 0;
  int FNumAllocated = 0;
  int FAllocSize = 1000;
  bool FBlackAndWhite = false;  // rendering for black-and-white output
  std::vector<Tr3ChartItem> FDataContainer;
};

}  // namespace qelta

QELTA_PUBLIC_END
