#pragma once
// Qelta_plot3d: the surface plot TPlot3D.
//
// What: a grid of heights z(column, row) drawn as colour-coded quadrilaterals inside a shaded,
// rotatable bounding cube with three labelled axes; the user turns, zooms and pans it with the mouse,
// and the plot reports the grid cell under the pointer.
// How: the grid (GridMat, 1-based (column, row)) lives in model space -150..+150 on every axis; the
// heights are calibrated by the Z range. A model point is stretched per axis, turned by the rotation
// matrix of the two view angles (tilt about x, turn about z), magnified and moved to the centre pixel.
// Painting draws into an off-screen bitmap in a fixed order (cube faces at the farthest corner,
// hidden edges, the cells back to front, front edges, axes) and copies it in one step. The cells are
// painted in an order chosen from the view angles, not depth-sorted, and each grid point remembers its
// pixel and painting number so that the hover test can pick the cell painted last under the pointer.
// Limits: the painting order is right for the views the mouse produces from a grid seen from above or
// below; strongly folded surfaces may cover themselves wrongly. Pixels are kept to +-2^30. Axis ticks
// come from CalcScalePars; labels are cut to 14 characters, and a label that would not show whole on
// the canvas, or would overlap one already written in the same rendering (at the corner two axes
// share), is left out: x and y ranges that both end on a tick at that corner lose one of the two
// labels, and a view from steeply above shrinks the z axis until its labels crowd. Metafile output is
// refused (this platform has none). Use TRot3D for scattered points and lines in space.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_matrix.h"
#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

/// How each cell is outlined: mesh, waterfall lines across rows, down columns, along one diagonal,
/// or corner pixels only.
enum TMeshKind : uint8_t { mkMesh, mkWaterfallHorz, mkWaterfallVert, mkWaterfallDiag, mkGrid };
/// Colour coding between two colours (low, high) or three (low, middle, high).
enum TColorCodingMode : uint8_t { ccmTwoColors, ccmThreeColors };
/// The axis a tick label belongs to.
enum TP3ScaleKind : uint8_t { p3skX, p3skY, p3skZ };

/// Error class of the surface plot (refused output operations, memory).
QELTA_DECLARE_EXCEPTION(EQeltaPlot3DError, EQeltaError)

/// After the picture of a 3-D display is rendered, with the canvas it went to.
using T3DRenderEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;
/// During a mouse rotation, zoom or pan step, before the new values are used; the handler may change them.
using TP3MouseActionEvent = std::function<void(TObject* Sender, int& CenterX, int& CenterY, double& RotXAngle,
                                               double& RotZAngle, double& Magnification, TShiftState Shift)>;
/// On every mouse move: whether a cell lies under the pointer and its column and row (0, 0 when none).
using TP3MouseMoveOverPlotEvent =
    std::function<void(TObject* Sender, bool OverPlot, TShiftState Shift, int MouseCellX, int MouseCellY)>;
/// Before a cell is drawn: Handled = true skips the built-in drawing; color may be changed.
using TP3BeforeRenderPolygonEvent = std::function<void(TObject* Sender, TCanvas* Canvas, bool& Handled, int CellX,
                                                       int CellY, TQuad quad, TColor& color)>;
/// Before a tick label is drawn at the tick's pixel; the handler may change the text.
using TP3BeforeDrawScaleLabelEvent = std::function<void(TObject* Sender, TCanvas* Canvas, TP3ScaleKind ScaleType,
                                                        String& CurrentTickLabel, int ChartX, int ChartY)>;

/// Largest pixel coordinate the plot hands to the canvas (and the hover test multiplies).
inline constexpr int MaxPlot3DPixel = (1 << 30) - 1;

// --- TPlot3D -----------------------------------------------------------------------------------

/// The surface plot control. Setters repair values instead of raising (angles wrap into 0..360,
/// magnification is kept to 0.1..5, equal range ends are moved apart) and repaint by their rule.
/// Painting is suppressed only while the constructor runs and while the host asks for it; before the
/// control has a window a repaint renders the bitmap only.
class TPlot3D : public TCustomControl {
 public:
  explicit TPlot3D(TComponent* AOwner);
  ~TPlot3D() override;

  // -- data
  /// The heights (owned); the host resizes and fills it. Every change calls GridMatChanged.
  TMatrix* GridMat() const { return FGridMat.get(); }
  /// Handler of the grid's changes: unless painting is suppressed, the cube corners are reset and the
  /// smallest and largest value and the projection map sizes are taken again before their next use
  /// (painting, AutoScale, the hover test). Does not repaint.
  void GridMatChanged(TObject* Sender);
  /// Fills the grid with 0 and repaints.
  void Clear();
  /// Per grid point of the last painting: pixel x, pixel y and painting number (read only).
  const TIntMatrix* ProjMapX() const { return FProjMapX.get(); }
  const TIntMatrix* ProjMapY() const { return FProjMapY.get(); }
  const TIntMatrix* ProjMapZ() const { return FProjMapZ.get(); }

  // -- painting
  bool SuppressPaint() const { return FSuppressPaint; }
  /// Ignored when unchanged; releasing takes the grid's values at once (GridMatChanged) and repaints.
  void SetSuppressPaint(bool Value);
  /// Renders the picture without background and frame onto Canvas (borrowed), with painting suppressed
  /// meanwhile; the host's suppression is restored afterwards (releasing it repaints).
  void DrawOnForeignCanvas(TCanvas* Canvas);

  // -- view
  /// Both angles with the wrapping of the single setters; ignored when both equal the current ones.
  void SetViewAngles(double X, double Z);
  /// Centre, stretch factors 1, view angles 66 / 135, magnification 1; repaints.
  void Reset();
  /// Stretch factors that make the grid square and fill the Z range with the data; repaints.
  void AutoScale();
  /// All six range ends; a pair with equal ends is widened by 0.5 on each side. Repaints.
  void SetRange(double XLow, double XHigh, double YLow, double YHigh, double ZLow, double ZHigh);
  /// Recentres when AutoCenter is on (the control's resize calls it).
  void ProcessResize(TObject* Sender);

  // -- model and projection
  /// Colour of a height: clamped to ColorScaleLow..ColorScaleHigh and interpolated per channel
  /// (rounded half to even) between the coding colours; red | green shl 8 | blue shl 16.
  TColor CalcColorCoding(double Value) const;
  /// Model height of a value: CalibZk * Value + CalibZd.
  double CalcIntZ(double Value) const { return FCalibZk * Value + FCalibZd; }
  /// Calibration from the Z range: RangeZLow..RangeZHigh maps to -150..+150.
  void AdjustScaling();
  double CalibZk() const { return FCalibZk; }
  double CalibZd() const { return FCalibZd; }
  /// Entry (i, j) of the rotation matrix for 1 <= i, j <= 3, else 0.
  double GetRotMat(int i, int j) const;
  /// Recomputes the rotation matrix from the view angles (entries below 1e-6 in size become 0).
  void CalcRotMatrix();
  /// Puts the eight cube corners at +-150.
  void SetCubeCorners();
  /// Model coordinate (axis 1 = x, 2 = y, 3 = z) of cube corner k (0..7); 0 outside.
  double CubeCorner(int k, int axis) const;
  /// Smallest and largest grid value as last taken (both 0 for a grid without numbers).
  double MinZ();
  double MaxZ();

  // -- output (bitmap copies are real; metafiles are refused)
  /// Prints the picture as a one-page document (Scale 1 = its size on the screen; black and white
  /// prints grey levels).
  void PrintIt(double Scale, bool BlackAndWhite, bool IncludeFrame);
  /// Draws the picture on the printer's open page at (X, Y); X, Y come back as its right and bottom edge.
  void CopyToOpenPrinter(int& X, int& Y, double Scale, bool BlackAndWhite, bool IncludeFrame);
  /// Puts the picture on the clipboard as a bitmap.
  void CopyToClipboard(bool IncludeFrame);
  /// Writes the picture as a BMP file; the platform's file errors pass.
  void CopyToBMP(const String& FileName, bool IncludeFrame);
  /// Raise EQeltaPlot3DError: this platform has no metafiles.
  void CopyToWMF(const String& FileName, bool IncludeFrame);
  void CopyToClipboardWMF(bool IncludeFrame);

  // -- properties
  double ViewAngleX() const { return FViewAngle[0]; }
  /// Ignored when equal; above 360 becomes Frac(v/360)*360, below 0 that + 360; non-finite ignored.
  void SetViewAngleX(double value);
  double ViewAngleZ() const { return FViewAngle[2]; }
  void SetViewAngleZ(double value);
  double Magnification() const { return FMagnify; }
  /// Clamped to 0.1..5.0 (non-finite ignored); repaints.
  void SetMagnification(double value);
  double ScaleFactX() const { return FSclXIntern; }
  /// Stored unchecked; repaints (so for Y and Z).
  void SetScaleFactX(double value);
  double ScaleFactY() const { return FSclYIntern; }
  void SetScaleFactY(double value);
  double ScaleFactZ() const { return FSclZIntern; }
  void SetScaleFactZ(double value);
  double RangeXLow() const { return FRangeLowX; }
  /// An end equal to the other one is moved away from it by 1; recalibrates and repaints (all six).
  void SetRangeXLow(double value);
  double RangeXHigh() const { return FRangeHighX; }
  void SetRangeXHigh(double value);
  double RangeYLow() const { return FRangeLowY; }
  void SetRangeYLow(double value);
  double RangeYHigh() const { return FRangeHighY; }
  void SetRangeYHigh(double value);
  double RangeZLow() const { return FRangeLowZ; }
  void SetRangeZLow(double value);
  double RangeZHigh() const { return FRangeHighZ; }
  void SetRangeZHigh(double value);
  int MinTickX() const { return FNTicks[0]; }
  /// Ignored when equal; clamped to 2..20; repaints (so for Y and Z).
  void SetMinTickX(int value);
  int MinTickY() const { return FNTicks[1]; }
  void SetMinTickY(int value);
  int MinTickZ() const { return FNTicks[2]; }
  void SetMinTickZ(int value);
  int DecPlaceX() const { return FDecPlace[0]; }
  /// Clamped to -2..12 (-2 automatic, -1 exponent form); repaints (so for Y and Z).
  void SetDecPlaceX(int value);
  int DecPlaceY() const { return FDecPlace[1]; }
  void SetDecPlaceY(int value);
  int DecPlaceZ() const { return FDecPlace[2]; }
  void SetDecPlaceZ(int value);
  int LabDistX() const { return FLabDist[0]; }
  /// Caption distance from the axis in pixels; repaints when changed (so for Y and Z).
  void SetLabDistX(int value);
  int LabDistY() const { return FLabDist[1]; }
  void SetLabDistY(int value);
  int LabDistZ() const { return FLabDist[2]; }
  void SetLabDistZ(int value);
  const String& CaptionX() const { return FCapt[0]; }
  /// Repaints when changed (so for Y and Z).
  void SetCaptionX(const String& value);
  const String& CaptionY() const { return FCapt[1]; }
  void SetCaptionY(const String& value);
  const String& CaptionZ() const { return FCapt[2]; }
  void SetCaptionZ(const String& value);
  int CentX() const { return FCentX; }
  /// With AutoCenter on: recentres and ignores the value; else clamped to -Width..2*Width and
  /// repainted when changed (CentY likewise with Height).
  void SetCentX(int value);
  int CentY() const { return FCentY; }
  void SetCentY(int value);
  bool AutoCenter() const { return FAutoCenter; }
  /// Switching it on recentres at once (no repaint).
  void SetAutoCenter(bool value);
  double ColorScaleLow() const { return FColorScaleLow; }
  /// Accepted only while low < high; repaints.
  void SetColorScaleLow(double value);
  double ColorScaleHigh() const { return FColorScaleHigh; }
  void SetColorScaleHigh(double value);
  TColorCodingMode ColorCodingMode() const { return FColorCodingMode; }
  void SetColorCodingMode(TColorCodingMode value);
  TColor ColorHigh() const { return FColorFillHigh; }
  /// Store and repaint (the three coding colours).
  void SetColorHigh(TColor value);
  TColor ColorMid() const { return FColorFillMid; }
  void SetColorMid(TColor value);
  TColor ColorLow() const { return FColorFillLow; }
  void SetColorLow(TColor value);
  bool ColorCodeAvg() const { return FColorCodeAvg; }
  /// Colour a cell by the mean (true) or the largest (false) of its corners; repaints when changed.
  void SetColorCodeAvg(bool value);
  bool MeshVisible() const { return FMeshVisible; }
  void SetMeshVisible(bool value);
  TMeshKind MeshKind() const { return FMeshKind; }
  void SetMeshKind(TMeshKind value);
  TColor ColorMesh() const { return FColorMesh; }
  void SetColorMesh(TColor value);
  TColor ColorBakGnd() const { return FColorBakGnd; }
  void SetColorBakGnd(TColor value);
  TColor ColorFrame() const { return FFrameCol; }
  void SetColorFrame(TColor value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  /// csSystem: button shadow and highlight line colours; csBWG: $808080 and $FFFFFF. On change.
  void SetColorScheme(TColorScheme value);
  TBoundingBox BoundBoxStyle() const { return FBoundBox; }
  void SetBoundBoxStyle(TBoundingBox value);
  TColor ColorCubeFrame() const { return FColorCubeFrame; }
  void SetColorCubeFrame(TColor value);
  TColor ColorCubeHidLin() const { return FColorCubeHidLin; }
  void SetColorCubeHidLin(TColor value);
  TColor ColorCubeFaceLow() const { return FColorCubeFaceLo; }
  void SetColorCubeFaceLow(TColor value);
  TColor ColorCubeFaceHigh() const { return FColorCubeFaceHi; }
  void SetColorCubeFaceHigh(TColor value);
  TColor ColorXCoords() const { return FColorAx[0]; }
  void SetColorXCoords(TColor value);
  TColor ColorYCoords() const { return FColorAx[1]; }
  void SetColorYCoords(TColor value);
  TColor ColorZCoords() const { return FColorAx[2]; }
  void SetColorZCoords(TColor value);
  bool VisibleXCoords() const { return FVisibleAx[0]; }
  void SetVisibleXCoords(bool value);
  bool VisibleYCoords() const { return FVisibleAx[1]; }
  void SetVisibleYCoords(bool value);
  bool VisibleZCoords() const { return FVisibleAx[2]; }
  void SetVisibleZCoords(bool value);
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode value) { FMouseAction = value; }

  // -- events
  TP3BeforeDrawScaleLabelEvent OnBeforeDrawScaleLabel;
  TP3MouseActionEvent OnMouseAction;
  T3DRenderEvent OnDataRendered;
  TP3MouseMoveOverPlotEvent OnMouseMoveOverPlot;
  TP3BeforeRenderPolygonEvent OnBeforeRenderPolygon;
  TZoomPanEvent OnZoomPan;

 protected:
  /// Renders the bitmap and copies it onto the control (skipped while suppressed or hidden).
  void Paint() override;
  /// Fills the bitmap with the background (design time: the name "Plot3D" only).
  void InitGraf(TCanvas* Canvas);
  /// Draws cube, surface and axes in the fixed order.
  void ConstructDataBmp(TCanvas* Canvas);
  /// One axis from (X1, Y1) (value Low) to (X2, Y2) (value High) with ticks, labels and caption; a
  /// label cut by the canvas's clip, or overlapping one written before in the same rendering, is left out.
  void DrawAxis(TCanvas* Canvas, TP3ScaleKind Kind, int X1, int Y1, int X2, int Y2, double Low, double High);
  /// Text centred on (X, Y): left = X - width div 2, top = Y - height div 2.
  void DrawCenteredText(TCanvas* Canvas, const String& Text, int X, int Y);
  /// Rotation, zoom and pan by the mouse (positions outside the control are ignored).
  void MouseMove(TShiftState Shift, int X, int Y) override;
  /// After the usual handling of a mouse move: the hover test and OnMouseMoveOverPlot.
  void WndProc(TMessage& Message) override;
  /// The usual resize (OnResize), then ProcessResize.
  void Resize() override;

 private:
  struct TPixel {
    int X = 0;
    int Y = 0;
  };
  void Repaint3D();
  void RefreshGridData();
  TPixel Project(double x, double y, double z) const;
  TPixel ProjectCorner(int k) const;
  double PixelXTerm(int k) const;
  void DrawCubeFaces(TCanvas* c, int o);
  void DrawCubeEdges(TCanvas* c, int corner, TColor color);
  void DrawSurface(TCanvas* c);
  void DrawCell(TCanvas* c, int L, int K, int m, int n);
  void DrawAxes(TCanvas* c, int o);
  void DrawAxisCaption(TCanvas* c, TP3ScaleKind Kind, int X1, int Y1, int X2, int Y2);
  String TickLabel(double t, double Low, double High, int Decimals) const;
  void DoMouseAction(TShiftState Shift, bool Rotated);
  void MouseRotate(int X, int Y, bool Clamp);
  void MouseZoom(int Y);
  bool HoverCell(int X, int Y, int& CellX, int& CellY);
  void SetAngle(int Index, double value);
  void SetRangeEnd(double& End, double Other, double Away, double value);
  void SetRepainting(bool& Field, bool value);
  void SetRepainting(TColor& Field, TColor value);
  void SetInt(int& Field, int value);
  void Recentre();
  std::unique_ptr<TBitmap> RenderPicture(bool IncludeFrame, bool BlackAndWhite);

  std::array<std::array<double, 3>, 8> FCubeCorners{};
  std::unique_ptr<TBitmap> FGrafBmp;
  std::vector<TRect> FLabelBoxes;  // tick labels written by the rendering under way
  TColor FFrameCol = clBlack;
  TMouseActMode FMouseAction = maRotate;
  double FRangeLowX = -1, FRangeHighX = 1, FRangeLowY = -1, FRangeHighY = 1, FRangeLowZ = -1, FRangeHighZ = 1;
  std::array<TColor, 3> FColorAx{clRed, clBlue, clBlack};
  TColor FColorCubeFrame = 0x404040;
  TColor FColorCubeHidLin = 0xB0B0B0;
  TColor FColorCubeFaceHi = 0xFEEFEE;
  TColor FColorCubeFaceLo = 0xC0C0C0;
  std::array<String, 3> FCapt{u"X", u"Y", u"Z"};
  std::array<int, 3> FLabDist{40, 40, 20};
  std::array<int, 3> FDecPlace{1, 1, 2};
  TBoundingBox FBoundBox = bbFaces;
  TColor FColorBakGnd = clWhite;
  TMeshKind FMeshKind = mkMesh;
  TColor FColorMesh = clBlack;
  TColor FColorFillHigh = clYellow;
  TColor FColorFillMid = clBlue;
  TColor FColorFillLow = clBlack;
  double FColorScaleLow = 0;
  double FColorScaleHigh = 100;
  TColorCodingMode FColorCodingMode = ccmTwoColors;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = 0xFFFFFF;
  TColorScheme FColorScheme = csSystem;
  TFrameStyle FFrameStyle = fsLowered;
  std::array<double, 3> FViewAngle{60, 0, 15};
  std::array<double, 3> FViewAngLimLow{0, 0, 0};
  std::array<double, 3> FViewAngLimHigh{360, 360, 360};
  std::array<bool, 3> FVisibleAx{true, true, true};
  double FMagnify = 1.0;
  double FMagAnchor = 1.0;
  bool FMeshVisible = true;
  std::array<int, 3> FNTicks{3, 3, 3};
  double FCalibZk = 150;
  double FCalibZd = 0;
  bool FColorCodeAvg = false;
  int FCentX = 0;
  int FCentY = 0;
  bool FAutoCenter = true;
  int FCentXAnchor = 0;
  int FCentYAnchor = 0;
  std::array<double, 3> FAngleAnchor{};
  double FMinZ = 0;
  double FMaxZ = 0;
  double FSclXIntern = 1, FSclYIntern = 1, FSclZIntern = 1;
  bool FSuppressPaint = true;
  bool FGridDirty = false;  // the grid changed since FMinZ, FMaxZ and the map sizes were taken
  std::array<std::array<double, 3>, 3> FRotMat{};
  int MouseAnchorX = 0;
  int MouseAnchorY = 0;
  std::unique_ptr<TIntMatrix> FProjMapX;
  std::unique_ptr<TIntMatrix> FProjMapY;
  std::unique_ptr<TIntMatrix> FProjMapZ;
  std::unique_ptr<TMatrix> FGridMat;
};

}  // namespace qelta

QELTA_PUBLIC_END
