#pragma once
// Qelta_geomap: the map control TGeoMap, a raster map image calibrated to geographic coordinates.
//
// What: TGeoMap shows a map image (a JPEG or BMP file, or a bitmap handed over by the host) at any
// magnification, pans and zooms it, keeps a ring of 16 past views, and relates the pixels of the
// image to latitude and longitude through one of seven calibration models (TCalibModel) fitted to
// calibration lines (graticule lines of the parabolic model) or calibration points (the others).
// Three coordinate systems: control pixels ((0, 0) top left of the control), map-image pixels
// (control / Magnification + TopLeft, rounded, and back) and geographic degrees (latitude first).
// How: the record TCalibData holds what the host enters; the fits store derived parameters
// (graticule matrix, polynomial, Miller and conic parameters) that the conversions use:
//   cmParabolicIp        every graticule line a parabola; pixel -> geography interpolates between the
//                        two nearest lines, geography -> pixel intersects the interpolated parabolas
//   cmBiquadraticPn      full quadratic polynomials both ways, by SVD least squares
//   cmConicConformal     latitude linear in the distance to an apex, longitude in the angle; the apex
//                        is searched on a shrinking 5 x 5 grid (steps 10^6 halved down to 1)
//   cmMillerCylindrical  separable: x linear in longitude, y linear in ln tan(pi/4 + 0.4 latitude)
//   cmEquiRect           affine both ways, by SVD least squares
//   cmUTM                affine between pixels and UTM northing/easting in the map's zone
// Paint composes the picture in an off-screen bitmap: background, the visible part of the image
// (through a cache of the whole image below CacheMagLimit, else stretched), the frame; the
// overlays (graticule, marks, landmarks) and the mouse build on it.
// Limits: images of at most 3,000,000 pixels; 25 calibration lines of 10 points and 200
// calibration points. The off-screen pictures keep 32-bit pixels (no 15-bit quantising). Every
// float that becomes a pixel is rounded half to even and saturated to the 32-bit range.
// Failure channel: EQeltaGeoMapError with "Component \"Name\": " and the text for a refused image;
// conversions answer Valid false (or false) where the model or the arithmetic gives no position;
// the platform's file and image errors pass through.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "Qelta_geobasics.h"
#include "Qelta_qeltabase.h"
#include "Types.h"

namespace qelta {

class TMatrix;
class TextFile;

/// Error class of the map control; component methods raise it with "Component \"Name\": " ahead of
/// the text.
QELTA_DECLARE_EXCEPTION(EQeltaGeoMapError, EQeltaError)

// --- calibration record --------------------------------------------------------------------------

/// How image pixels relate to geography; the ordinal is stored with the calibration.
enum TCalibModel : uint8_t {
  cmParabolicIp,        ///< interpolation between graticule lines, each a parabola
  cmBiquadraticPn,      ///< full quadratic polynomial both ways
  cmConicConformal,     ///< latitude from the distance to an apex, longitude from the angle
  cmMillerCylindrical,  ///< Miller cylindrical projection
  cmEquiRect,           ///< affine (equirectangular)
  cmUTM,                ///< affine between pixels and UTM northing/easting
  cmUndefined           ///< no calibration
};
/// The four corners of the image, in the order of TCornerArray.
enum TCorners : uint8_t { gcoTopLeft, gcoBottomLeft, gcoBottomRight, gcoTopRight };
/// A meridian is a line of constant longitude, a parallel one of constant latitude.
enum TGratLineKind : uint8_t { gtlMeridian, gtlParallel };
/// What is drawn over the image.
enum TShowGrat : uint8_t { sgNone, sgPoints, sgLines, sgPointsAndLines, sgUTMGrid, sgPointsAndUTMGrid };

/// Capacities of the record: lines, points per line, calibration points.
inline constexpr int MaxCalLines = 25, MaxCalLinePoints = 10, MaxCalQuads = 200;
/// Largest map image in pixels (width x height).
inline constexpr int64_t MaxMapImagePixels = 3000000;

/// A geographic position in degrees.
struct TCoords {
  double Latit = 0;
  double Longit = 0;
};
/// The corners' positions, indexed by TCorners.
using TCornerArray = std::array<TCoords, 4>;

/// One graticule line: its kind, its longitude or latitude in degrees and up to 10 pixel points
/// (CalPoints[0..NumPoints-1] are in use).
struct TCalibLine {
  TGratLineKind LineType = gtlMeridian;
  double LineValue = 0;
  int NumPoints = 0;
  std::array<TPoint, MaxCalLinePoints> CalPoints{};
};

/// One calibration point: latitude and longitude in degrees (under cmUTM northing and easting in
/// metres) and its pixel in the map image.
struct TCalQuad {
  double Latitude = 0;
  double Longitude = 0;
  int MapX = 0;
  int MapY = 0;
};

/// The calibration of a map. Arrays are 0-based: CalLines[0..NumCalLines-1] and
/// CalQuads[0..NumCalQuads-1] are in use. Read and written as a whole without any refit.
struct TCalibData {
  String MapFName;       ///< file name of the map image
  String Caption;        ///< caption of the map
  TCornerArray Corners{};  ///< positions of the image corners (CalcExtentsAndResolution)
  double Resolution = 0;   ///< metres per pixel along the middle row; 0 when not computed
  int NumCalLines = 0;     ///< 0..MaxCalLines
  std::array<TCalibLine, MaxCalLines> CalLines{};
  int NumCalQuads = 0;  ///< 0..MaxCalQuads
  std::array<TCalQuad, MaxCalQuads> CalQuads{};
  int UTMZone = 0;      ///< zone of the cmUTM model (1..60; -1 after ClearCalibData)
  bool UTMSouth = false;  ///< southern hemisphere
  TGeoEllipsoid Ellipsoid = gelWGS84;  ///< ellipsoid of the cmUTM model
};

/// True when the position lies strictly inside the quadrilateral of the four corners (a point on an
/// edge is outside).
bool PositionInMap(double Latitude, double Longitude, const TCornerArray& Corners);

/// Writes the calibration as a `geomap` element to an open text file: the XML declaration when
/// Header, then the comment line, the start tag, corners, resolution (> 0), UTM zone and hemisphere
/// (zone 1..60), ellipsoid, the calibration lines and points, the end tag.
void WriteRawCalDataToOpenXMLFile(TextFile& f, bool Header, const String& ID, const TCalibData& CalData,
                                  TCalibModel Model);

// --- the control -----------------------------------------------------------------------------------

/// A past view of the zoom ring; all three zero means empty.
struct TgmZoomStackEntry {
  int Left = 0;
  int Top = 0;
  double MagF = 0;
  friend bool operator==(const TgmZoomStackEntry&, const TgmZoomStackEntry&) = default;
};

/// Asks the host for the file to open in place of FileName (which it may change).
using TMapImgRequestEvent = std::function<void(TObject* Sender, String& FileName)>;
/// A rubber-band step at a map-image pixel.
using TOnRubberBandActionEvent = std::function<void(TObject* Sender, TPoint APoint)>;
/// A procedure that draws map data into a generated map image.
using TOnDrawMapDataEvent = void (*)(TObject* Sender, TCanvas* Canvas, double LatLow, double LongLow, double LatHigh,
                                     double LongHigh, int Width, int Height);

/// The map control. Setters store, clamp and repaint by the rule on their line; "repaint" calls
/// Paint at once. Until the overlays are built Paint draws the background, the image and the frame.
class TGeoMap : public TCustomControl {
 public:
  /// Before the image and after the overlays are drawn: the canvas of the picture being composed.
  using TRenderEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;

  /// 500 x 400, no map, magnification 1, cmUndefined; the zoom ring holds the view (0, 0, 1.0).
  explicit TGeoMap(TComponent* AOwner);
  ~TGeoMap() override;

  // -- the map image
  /// Loads the image file (".jpg"/".jpeg" as JPEG, ".bmp" by content, by the lower-cased extension)
  /// after OnMapImageRequest; keeps the requested name, resets TopLeft and repaints. A missing file
  /// or another extension empties the map. An image of more than 3,000,000 pixels raises
  /// EQeltaGeoMapError and keeps the previous image, name and extents.
  void SetMapImgName(const String& Name);
  const String& MapImgFile() const { return FMapImgName; }
  /// Takes a copy of the bitmap as the map image, named "$unknown$" (the pixel limit as above;
  /// nullptr does nothing).
  void SetMapBitMap(const TBitmap* Bitmap);
  const TBitmap* MapBitmap() const { return GrafBmp.get(); }
  int MapImgWidth() const { return FMapImgWidth; }
  int MapImgHeight() const { return FMapImgHeight; }
  /// Writes the image as "<name>.jpg" and the calibration as "<name>.xml" beside FileName; MapImgFile
  /// becomes "<name>.jpg" (no folder).
  void SaveMap(const String& FileName, const String& DataID);
  /// Renames the image file to the 8.3-reduced Name in its folder with its extension; false (and
  /// nothing renamed) without an image file, with an empty name or when the rename fails.
  bool RenameMapImg(const String& Name);
  /// Resamples the image by the factor (half-tone when AntiAlias) and scales the calibration pixels,
  /// then refits. A factor not above 0 or not finite, or a result without pixels, changes nothing;
  /// a result over 3,000,000 pixels raises the pixel message first.
  void ResizeMap(double Factor);
  /// ResizeMap(Length / the longer edge); without an image nothing.
  void ResizeMap(int Length);

  // -- the view
  /// Control pixel -> map-image pixel: (rnd(x / m) + L, rnd(y / m) + T).
  TPoint ControlToMapImage(const TPoint& P) const;
  /// Map-image pixel -> control pixel: (rnd((x - L) m), rnd((y - T) m)).
  TPoint MapImageToControl(const TPoint& P) const;
  double Magnification() const { return FMagnify; }
  /// Stores and repaints; a value not above 0 or not finite is ignored.
  void SetMagnification(double value);
  TPoint TopLeft() const { return FTopLeft; }
  /// Stores and repaints (no confinement).
  void SetTopLeft(const TPoint& value);
  /// Moves TopLeft so that the view does not reach past the image's right and bottom edges, then not
  /// before its left and top edges. No repaint.
  void PanMapToFillWindow();
  /// Centres the map-image pixel, keeps the view on the image, repaints.
  void BringMapPixelToCenter(const TPoint& P);
  /// Centres the position (through CalcPixelCoords) within the image and repaints; nothing when the
  /// position has no pixel.
  void BringLocationToCenter(double Latitude, double Longitude);
  /// Magnification to show the whole image, TopLeft (0, 0); without an image nothing.
  void ZoomFitPage();
  /// Pushes the view onto the ring of 16 (not while loading).
  void ZoomStateOnStack();
  /// Returns to the view Index (0 the last pushed, -15 the oldest); outside -15..0 or empty: nothing.
  void ZoomHistory(int Index);
  /// Empties the ring and pushes the view.
  void ClearZoomHistory();
  /// The entry of the ring for Index in -15..0; outside an all-zero entry.
  TgmZoomStackEntry GetZoomStackEntry(int Index) const;
  TZoomState ZoomState() const { return FZoomState; }

  // -- positions
  /// PositionInMap with the map's corners.
  bool IsPositionWithinMap(double Latitude, double Longitude) const;
  /// Latitude (longitude) of the last mouse press; 0 when the conversion gives none.
  double GetLastMClickLatitude() const;
  double GetLastMClickLongitude() const;
  double LastClickLatitude() const { return GetLastMClickLatitude(); }
  double LastClickLongitude() const { return GetLastMClickLongitude(); }
  int LastClickPosX() const { return FLastMClickPosX; }
  int LastClickPosY() const { return FLastMClickPosY; }

  // -- calibration fits
  /// Rebuilds the graticule matrix from the calibration lines; true with at least two usable (3 or
  /// more points) parallels and two usable meridians, else the matrix becomes 5 x 1 of zeros.
  bool RecalcGratMat();
  void CalcBiquadraticCalibration();
  void CalcConicCalibration();
  void CalcMillerCylCalibration();
  void CalcEquiRectCalibration();
  /// RecalcGratMat, the fit of the model, CalcExtentsAndResolution, Paint.
  void RecalcCalibration();
  /// Standard deviations of the pixel differences between each calibration point and its position
  /// converted back (CalcStatistics of TCurveFit); 0 without points or under cmParabolicIp.
  void CalibQuality(double& QualX, double& QualY) const;
  /// Corners from the image's corner pixels; Resolution from the middle row (0 for an empty image).
  void CalcExtentsAndResolution();
  /// Empties the calibration: no lines or points, corners and resolution 0, zone -1, north, WGS 84,
  /// derived parameters 0; Paint.
  void ClearCalibData();
  /// ClearCalibData, cmUndefined, no names, no image; Paint.
  void Clear();

  // -- conversions (map-image pixels and degrees)
  /// Latitude of the pixel; Valid false (result 0) where the model gives none.
  double CalcLatitude(int X, int Y, bool& Valid) const;
  double CalcLatitude(const TPoint& APoint, bool& Valid) const { return CalcLatitude(APoint.X, APoint.Y, Valid); }
  /// Longitude of the pixel; Valid false (result 0) where the model gives none.
  double CalcLongitude(int X, int Y, bool& Valid) const;
  double CalcLongitude(const TPoint& APoint, bool& Valid) const { return CalcLongitude(APoint.X, APoint.Y, Valid); }
  /// Pixel of the position; false (X, Y untouched) where the model gives none.
  bool CalcPixelCoords(double Latitude, double Longitude, int& X, int& Y) const;
  /// Pixel of a UTM northing and easting; X = Y = 0 and false unless the model is cmUTM.
  bool CalcPixelCoordsUTM(double Northing, double Easting, int& X, int& Y) const;
  /// Row where the line of constant northing meets column X (no checks).
  int CalcUTMyFromNorthingX(double Northing, int X) const;
  /// Column where the line of constant easting meets row Y (no checks).
  int CalcUTMxFromEastingY(double Easting, int Y) const;

  // -- the calibration file
  /// CalcExtentsAndResolution, MapFName := MapImgFile, then the writer with the map's calibration.
  void WriteCalDataToOpenXMLFile(TextFile& f, bool Header, const String& ID);
  /// Creates or overwrites the file with one `geomap` element (declaration included).
  void SaveCalDataAsXML(const String& FileName, const String& ID);

  // -- output
  /// The last composed picture inside a black outline (1 pixel in) on the clipboard.
  void CopyToClipboard();
  /// The whole image at magnification 1 as composed by Paint on the clipboard; nothing without a map.
  void CopyEntireMapToClipboard();
  /// Composes the view whose top-left shows map pixel MapTopLeft at magnification Mag, Width x Height
  /// pixels, into Bitmap with its top-left at (Left, Top) (clipped to the bitmap). The screen's cache
  /// is not touched. A nil bitmap, a size not above 0 or Mag not above 0 or not finite: nothing.
  void CopyToBMP(TBitmap* Bitmap, const TPoint& MapTopLeft, double Mag, int Left, int Top, int Width, int Height);
  /// Prints the view as a one-page document (ScaleF as in CopyToOpenPrinter).
  void PrintIt(double ScaleF);
  /// Composes the view onto the printer's open page at (x, y), enlarged so that ScaleF 1 keeps its size
  /// on the screen (not finite or not above 0 counts as 1, then kept to 0.01..100); x and y come back
  /// as the right and bottom edge of what was drawn.
  void CopyToOpenPrinter(int& x, int& y, double ScaleF);
  /// Prints the map-image area (ordered) onto the open page at (PrnX, PrnY), one map pixel printed as
  /// Percent per cent of a screen pixel (kept to 1..10000).
  void CopyToOpenPrinter(const TRect& MapArea, int PrnX, int PrnY, int Percent);
  /// The same for the area of MapWidth x MapHeight pixels from MapTopLeft.
  void CopyToOpenPrinter(const TPoint& MapTopLeft, int MapWidth, int MapHeight, int PrnX, int PrnY, int Percent);
  /// Printer pixels that CopyToOpenPrinter(MapArea, ..., Percent) covers; 0 for an empty area.
  void CalcExtentsOfPrint(const TRect& MapArea, int Percent, int& Width, int& Height) const;

  // -- properties
  bool AllowPan() const { return FMouseAction == maPan; }
  /// True sets MouseAction maPan, false maNone.
  void SetAllowPan(bool value);
  bool AntiAlias() const { return FAntiAlias; }
  /// Store, repaint.
  void SetAntiAlias(bool value);
  TCalibModel CalibModel() const { return FCalibModel; }
  /// Store, RecalcCalibration.
  void SetCalibModel(TCalibModel value);
  double CacheMagLimit() const { return FCacheMagLimit; }
  /// Clamped into [0, 2/3] (not >= 0: 0); repaints while Magnification is below 2/3.
  void SetCacheMagLimit(double value);
  TColor ColorBackGnd() const { return FColorBakGnd; }
  void SetColorBakGnd(TColor value);  ///< store, repaint
  TColor ColorGraticule() const { return FColorGratLine; }
  void SetColorGratLine(TColor value);  ///< store, repaint
  TColor ColorCalibPoints() const { return FColorGratPoints; }
  void SetColorGratPoints(TColor value);  ///< store, repaint
  TColor ColorFrame() const { return FFrameColor; }
  void SetColorFrame(TColor value);  ///< store, repaint
  bool ConfinePanToMapImage() const { return FConfinePan; }
  /// Store; true runs PanMapToFillWindow (no repaint).
  void SetConfinePan(bool value);
  const String& EmptyMsg() const { return FEmptyMsg; }
  void SetEmptyMsg(const String& value);  ///< store, repaint
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);  ///< store and repaint when changed
  double GratLineDist() const { return FGratLineDist; }
  /// Clamped into [0, 60] (not >= 0: 0), repaint.
  void SetGratLineDist(double value);
  int UTMGridDist() const { return FUTMGridDist; }
  /// Clamped into [0, 10000000], repaint.
  void SetUTMGridDist(int value);
  int UTMZone() const { return FCalibData.UTMZone; }
  /// Accepts 1..60, ignores any other value.
  void SetUTMZone(int value);
  THemisphere UTMHemisphere() const { return FCalibData.UTMSouth ? hemiSouth : hemiNorth; }
  void SetUTMHemisphere(THemisphere value);
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode value) { FMouseAction = value; }
  TShowGrat ShowGraticule() const { return FShowGrat; }
  void SetShowGrat(TShowGrat value);  ///< store and repaint when changed
  const TCalibData& CalibData() const { return FCalibData; }
  /// Replaces the record as a whole, without refit.
  void SetCalibData(const TCalibData& value) { FCalibData = value; }
  const String& CalibDataFile() const { return FCalDatName; }
  const String& Caption() const { return FCalibData.Caption; }
  /// Stores into the record, no repaint.
  void SetMapCaption(const String& value) { FCalibData.Caption = value; }
  int HighLightLandMark() const { return FHighLM; }
  /// Store the highlight colours and transparency, repaint.
  void SetHighLightProperties(TColor ColorFG, TColor ColorBG, bool Transparent);
  int LMRandomDisplayThreshold() const { return FLMRandSampleLimit; }
  /// Accepts only values above 1000 that differ from the present one; store, repaint.
  void SetRandSampleLimit(int value);
  int NumLandMarks() const { return FNumLandMarks; }
  bool SuppressPaint() const { return FSuppressPaint; }
  /// Stores a change; switching painting back on repaints.
  void SetSuppressPaint(bool value);
  /// Fires OnZoomPan.
  void DoZoomPanEvent();

  // -- events
  TProgressEvent OnDataLoading;  ///< handed to the image loaders and savers
  TRenderEvent OnBeforeRenderData;
  TRenderEvent OnDataRendered;
  TMapImgRequestEvent OnMapImageRequest;
  TZoomPanEvent OnZoomPan;
  TOnRubberBandActionEvent OnBeginRubberBand;
  TOnRubberBandActionEvent OnContinueRubberBand;
  TOnRubberBandActionEvent OnEndRubberBand;

 protected:
  /// Composes the picture of the control in AuxBmp and copies it onto the control; nothing while
  /// SuppressPaint.
  void Paint() override;
  /// Composes the picture of the control's view in AuxBmp (grown to the control, never shrunk).
  void ConstructInternalMapImg();
  /// Composes the picture of the view (TopLeft, Magnification) of W x H pixels on the canvas: the
  /// empty message, or background and image (through the cache when UseCache); then the frame.
  void ComposeMapPicture(TCanvas* Canvas, int W, int H, bool UseCache);

  // The pictures: AuxBmp the composed picture, FImgCache the whole image at FCacheMag, GrafBmp the
  // image. They keep 32-bit pixels.
  std::unique_ptr<TBitmap> AuxBmp;
  std::unique_ptr<TBitmap> FImgCache;
  double FCacheMag = 0;  ///< 0: no valid cache
  bool FCacheAA = true;
  double FCacheMagLimit = 2.0 / 3.0;
  std::unique_ptr<TBitmap> GrafBmp;

  // Landmarks (their storage comes with the landmark operations).
  int FNumLandMarks = 0;
  std::array<bool, 256> FLMClassVisible{};
  int FLMRandSampleLimit = 20000;
  int FHighLM = 0;
  TColor FHighLMColFG = clBlue;
  TColor FHighLMColBG = clYellow;
  bool FHighLMTrans = false;

  // Look.
  TColor FColorBakGnd = clSilver;
  TFrameStyle FFrameStyle = fsSimple;
  TColor FFrameColor = clBlack;
  TColor FColorGratLine = clBlue;
  TColor FColorGratPoints = clRed;
  TColor FColBlackLine = clBlack;
  TColor FColGrayLine = clGray;
  TColor FColWhiteLine = clWhite;
  String FEmptyMsg = u"GeoMap: empty";
  TShowGrat FShowGrat = sgNone;
  bool FAntiAlias = true;
  double FGratLineDist = 0;
  int FUTMGridDist = 0;
  bool FSuppressPaint = false;

  // Image and view.
  String FMapImgName;
  int FMapImgWidth = 0;
  int FMapImgHeight = 0;
  double FMagnify = 1.0;
  TPoint FTopLeft;
  bool FConfinePan = true;
  std::array<TgmZoomStackEntry, 16> FZoomStack{};  ///< FZoomStack[k - 1] is entry k
  int FZStackPoi = 1;                              ///< next entry to write, 1..16

  // Mouse state.
  bool FLButtonWasDown = false;
  TZoomState FZoomState = zsNormal;
  TMouseBoxState FMouseBoxState = msNormal;
  int FMouseBoxX1 = 0, FMouseBoxX2 = 0, FMouseBoxY1 = 0, FMouseBoxY2 = 0;
  int FWindOldCornerX = 0, FWindOldCornerY = 0, FWindAnchorX = 0, FWindAnchorY = 0;
  TMouseActMode FMouseAction = maPan;
  bool FRubberBandOn = false;
  int FRubberBAnchorX = 0, FRubberBAnchorY = 0, FRubberBandOldX = 0, FRubberBandOldY = 0;
  int FTopLeftXAnchor = 0, FTopLeftYAnchor = 0;
  int MouseAnchorX = 0, MouseAnchorY = 0;
  int FLastMClickPosX = 0, FLastMClickPosY = 0;

  // Calibration and its derived parameters (all zero after ClearCalibData). Index k of the arrays is
  // parameter k + 1 of the model's formulas.
  TCalibModel FCalibModel = cmUndefined;
  bool FBiQuadOops = false, FParaIpOops = false;  ///< one-deep undo slots of the point removals
  bool FRestoreBiQuadOK = false, FRestoreParaIpOK = false;
  TCalibData FCalibData;
  String FCalDatName;
  /// 5 columns (kind, value, k0, k1, k2), one row per calibration line.
  std::unique_ptr<TMatrix> FGratMat;
  /// Per row of FGratMat: the line had 3 or more points, so its parabola is fitted.
  std::vector<bool> FGratUsable;
  std::array<double, 12> FCalParsPLSP{};  ///< biquadratic pixel -> geography: 0..5 latitude, 6..11 longitude
  std::array<double, 12> FCalParsSPPL{};  ///< biquadratic geography -> pixel: 0..5 X, 6..11 Y
  std::array<double, 6> FEquRectPLSP{};   ///< affine pixel -> geography (northing/easting)
  std::array<double, 6> FEquRectSPPL{};   ///< affine geography (northing/easting) -> pixel
  std::array<double, 4> FMillercylPar{};  ///< P1, P2 for Y; P3, P4 for X
  std::array<double, 6> FConicPars{};     ///< apex cx, cy; C3, C4 radial; C5, C6 angular

 private:
  /// "Component \"Name\": " + Text.
  String ComponentMessage(const String& Text) const;
  /// Raises the pixel message when the image would hold more than MaxMapImagePixels.
  void CheckImageSize(int64_t Width, int64_t Height) const;
  /// Takes the loaded image: name, extents, AuxBmp size, TopLeft (0, 0).
  void AdoptImage(std::unique_ptr<TBitmap> Image, const String& Name);
  /// No image: empty name, extents 0, no pixels.
  void EmptyMap();
  /// The fit of the current model (none for cmParabolicIp and cmUndefined).
  void FitByModel();
  void ScaleCalibPixels(double Factor);
  void ZeroDerivedParameters();
  /// Geography of a pixel under cmParabolicIp.
  double ParabolicGeo(TGratLineKind Kind, double X, double Y, bool& Valid) const;
  bool ParabolicPixel(double Latitude, double Longitude, double& X, double& Y) const;
  /// Geography of a pixel under cmUTM: the affine northing and easting through the map's zone.
  void UTMLatLong(int X, int Y, double& Latitude, double& Longitude) const;
  /// Pixel of the position by the model (unrounded); false where the model gives none.
  bool ModelPixel(double Latitude, double Longitude, double& X, double& Y) const;
  /// Rebuilds FImgCache when the magnification is below CacheMagLimit and the cache is of another
  /// magnification or anti-alias setting.
  void UpdateImageCache();
  /// The visible part of the image onto (0, 0, W, H): from the cache when it fits, else stretched.
  void PlaceImage(TCanvas* Canvas, int W, int H, bool UseCache);
  /// Composes the view of MapTopLeft and Mag into the canvas's rectangle Dest (clipped to it),
  /// without the cache; the control's view is not changed.
  void RenderView(TCanvas* Canvas, const TPoint& MapTopLeft, double Mag, const TRect& Dest);
};

namespace Qelta_geomap {
/// Puts TGeoMap on the component palette page "Qelta".
void Register();
}  // namespace Qelta_geomap

}  // namespace qelta
