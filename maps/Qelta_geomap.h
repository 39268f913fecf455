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
// (through a cache of the whole image below CacheMagLimit, else stretched), the graticule of the model
// or the UTM grid, calibration marks, landmarks with symbols and captions (a random sample of about
// LMRandomDisplayThreshold when more are in view), the highlight landmark and the frame. The mouse
// pans and zooms by MouseAction, drawing its temporary shapes in XOR on the control.
// Files: the calibration (`geomap`), the landmarks (`gmlandmarks`) and the symbol sets of
// TSymbolRepository (`lmsymbols`) are line-written XML-like text, read by a start-line search and the
// foundation's tag scanner over one tag list; nothing is escaped. The map also keeps landmarks (in
// blocks of 1000, every add and removal asked of the host) and generates blank graticule maps.
// Limits: images of at most 3,000,000 pixels; 25 calibration lines of 10 points and 200
// calibration points. The off-screen pictures keep 32-bit pixels (no 15-bit quantising). Every
// float that becomes a pixel is rounded half to even and saturated to the 32-bit range.
// Failure channel: EQeltaGeoMapError with "Component \"Name\": " and the text for a refused image,
// a calibration call the model does not support, a malformed calibration element or a map that cannot
// be generated ("ParseCalibData: " for the free reader); file readers answer false for a missing file;
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
#include "Streams.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TMatrix;
class TextFile;
class TTagReader;

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
/// Header, then an empty line, the comment line, the start tag, corners, resolution (> 0), UTM zone
/// and hemisphere (zone 1..60), ellipsoid, the calibration lines and points, the end tag. Nothing is
/// escaped: a caption or file name must not hold '"'.
void WriteRawCalDataToOpenXMLFile(TextFile& f, bool Header, const String& ID, const TCalibData& CalData,
                                  TCalibModel Model);
/// Reads the first `geomap` element of the file whose id equals ID ignoring case (any id for an empty
/// ID) into the record without a map: NumCalLines starts at 0, a missing model attribute gives
/// cmBiquadraticPn (an unknown one cmUndefined). False, and nothing changed, when the file cannot be
/// opened or holds no such element. A malformed element raises EQeltaGeoMapError
/// "ParseCalibData: ..." (invalid line type, point count); what was read before stays.
bool ParseCalibData(const String& FileName, const String& ID, TCalibData& CalData, TCalibModel& Model);
/// The same from the stream's position; false for a nil stream.
bool ParseCalibData(TMemoryStream* Stream, const String& ID, TCalibData& CalData, TCalibModel& Model);

// --- landmarks and their symbols ------------------------------------------------------------------

/// Shape of a landmark symbol.
enum TLandMarkElement : uint8_t {
  lmCross, lmSquare, lmTriangle, lmCircle, lmArrowFrom, lmArrowTo, lmCrossBox, lmSpade, lmUserDef
};
/// What the host is asked to allow through OnLandMarkAction.
enum TLandMarkAction : uint8_t { lmaAdd, lmaRemove };

/// Longest caption text, identifier and symbol name (single-byte characters).
inline constexpr int MaxLMTextLength = 80, MaxLMIdentifierLength = 15, MaxSymbolNameLength = 43;

/// The look of a symbol; the defaults are those of DefaultSymbolRecord.
struct TSymbolProperties {
  TLandMarkElement Kind = lmCross;
  int Size = 8;            ///< half-size in pixels
  TColor FGColor = 0;      ///< black
  TColor BGColor = 0xFF;   ///< red
  bool Transparent = false;  ///< background not filled
  int Direction = 90;      ///< degrees clockwise from up (triangles and arrows)
  int Length = 40;         ///< arrow shaft in pixels
  friend bool operator==(const TSymbolProperties&, const TSymbolProperties&) = default;
};

/// Caption of a landmark: text (at most 80 single-byte characters) and its look.
struct TLMTextProperties {
  AnsiString Text;
  int Size = 0;  ///< font size in points
  String FontName;
  TFontStyles FontStyles;
  TColor FGColor = 0;
  TColor BGColor = 0;
  bool Transparent = false;  ///< no text background
  int dx = 0, dy = 0;        ///< offset from the landmark in control pixels
  int Direction = 0;         ///< text angle in degrees, counter-clockwise
  TAlignment HAlignment = taLeftJustify;
  TVerticalAlignment VAlignment = vaTop;
  friend bool operator==(const TLMTextProperties&, const TLMTextProperties&) = default;
};

/// A landmark: position, class 0..255, the host's tag, symbol, caption, identifier (at most 15
/// single-byte characters) and time stamp.
struct TLandMark {
  double Latitude = 0, Longitude = 0, Altitude = 0;
  uint8_t ClassFlag = 0;
  int Tag = 0;  ///< free value of the host
  TSymbolProperties SymbolProps;
  TLMTextProperties Caption;
  AnsiString Identifier;
  TDateTime Time = 0;
  friend bool operator==(const TLandMark&, const TLandMark&) = default;
};

/// An entry of a symbol repository: the look, a name (at most 43 single-byte characters) and a
/// category.
struct TSymbol {
  TSymbolProperties Properties;
  AnsiString Name;
  int Category = 0;
  friend bool operator==(const TSymbol&, const TSymbol&) = default;
};

/// Element names of the symbol file, indexed by TLandMarkElement.
extern const std::array<String, lmUserDef + 1> LMTypeNames;
/// The default symbol: cross, size 8, black on red ($FF), not transparent, direction 90, length 40,
/// no name, category 0.
TSymbol DefaultSymbolRecord();
/// The landmark a new map fills in with: blue cross of size 7 on white, length 10; caption of size 8
/// in "MS Sans Serif", black on white, transparent, centred 8 pixels below the landmark.
TLandMark DefaultLandMark();

/// Draws a landmark symbol of the kind at (X, Y): S = Size is the arm, half side, radius or barb
/// length, Direction (degrees clockwise from up) turns triangles and arrows, Length is the arrows'
/// shaft. Transparent draws outlines only (no fill, no halo). Pen and brush keep what the symbol set
/// (a transparent circle leaves the brush clear); lmUserDef draws nothing, an unknown kind a small
/// cross. A nil canvas does nothing.
void DrawLandMarkSymbolOnCanvas(TCanvas* Canvas, int X, int Y, TLandMarkElement Kind, TColor FGColor, TColor BGColor,
                                int Size, int Direction, int Length, bool Transparent);

/// A numbered table of landmark symbols (entries 1..NumEntries) with one backup copy, stored in and
/// loaded from an `lmsymbols` file. Indices outside 1..NumEntries read the default symbol and write
/// nothing. After Assign the two repositories hold separate copies.
class TSymbolRepository : public TComponent {
 public:
  /// No entries, no backup, room for 1000.
  explicit TSymbolRepository(TComponent* AOwner);
  ~TSymbolRepository() override;

  int NumEntries() const { return FNEntries; }
  /// n >= 0 becomes the count and the storage exactly n long (entries kept up to n, new ones all
  /// zero); a negative n is ignored.
  void SetNEntries(int n);
  /// Entry i, or DefaultSymbolRecord outside 1..NumEntries.
  TSymbol GetValues(int i) const;
  /// Stores entry i (the name cut to 43 characters); ignored outside 1..NumEntries.
  void SetValues(int i, const TSymbol& Symbol);
  /// Every entry becomes DefaultSymbolRecord; the count stays.
  void Clear();
  /// The backup becomes a copy of the entries in use.
  void Backup();
  /// The entries become a copy of the backup with its count.
  void Restore();
  /// From another repository: count, backup count, entries and backup (copies); otherwise inherited.
  void Assign(TPersistent* Source) override;

  /// Writes the file (created or overwritten): declaration, comment, the `lmsymbols` start tag with
  /// the id, one `symbol` line per entry, the end tag. Nothing is escaped. File errors raise
  /// EInOutError, and the file that was there stays as it was.
  void StoreOnFile(const String& FileName, const String& ID) const;
  /// True when the file holds an `lmsymbols` element of the id (any for ""); false, and nothing
  /// changed, when it cannot be opened or holds none.
  bool LoadFromFile(const String& FileName, const String& ID);
  /// Finds the start line, then takes every `symbol` element until "</geomap>", an unlisted tag or
  /// the end (the end tag of `lmsymbols` does not stop it); names cut to 40 characters.
  bool ReadFromOpenXMLFile(TextFile& f, const String& ID);

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  void Append(const TSymbol& Symbol);
  std::vector<TSymbol> FSymbols;     ///< entry i at FSymbols[i - 1]; may be longer than FNEntries
  int FNEntries = 0;
  std::vector<TSymbol> FSymbolsBak;  ///< the backup's entries
  int FNEntriesBak = 0;
};

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
/// Per drawn landmark: the host may draw it itself at the control pixel APoint and set Handled.
using TDrawLandMarkEvent = std::function<void(TObject* Sender, bool& Handled, TCanvas* Canvas, TPoint APoint,
                                              const TLandMark& LandMarkData)>;
/// Asks the host to allow adding or removing a landmark (Allowed starts true).
using TLandMarkActionEvent =
    std::function<void(TObject* Sender, bool& Allowed, TLandMarkAction Action, const TLandMark& LandMarkData)>;
/// A procedure that draws map data into a generated map image.
using TOnDrawMapDataEvent = void (*)(TObject* Sender, TCanvas* Canvas, double LatLow, double LongLow, double LatHigh,
                                     double LongHigh, int Width, int Height);

/// The map control. Setters store, clamp and repaint by the rule on their line; "repaint" calls
/// Paint at once.
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
  /// EQeltaGeoMapError and keeps the previous image, name and extents; the size its header declares
  /// is checked first, so such an image is refused without being decoded.
  void SetMapImgName(const String& Name);
  const String& MapImgFile() const { return FMapImgName; }
  /// Takes a copy of the bitmap as the map image, named "$unknown$" (the pixel limit as above;
  /// nullptr does nothing).
  void SetMapBitMap(const TBitmap* Bitmap);
  const TBitmap* MapBitmap() const { return GrafBmp.get(); }
  int MapImgWidth() const { return FMapImgWidth; }
  int MapImgHeight() const { return FMapImgHeight; }
  /// Writes the image as "<name>.jpg" and the calibration as "<name>.xml" beside FileName; MapImgFile
  /// becomes "<name>.jpg" (no folder). The two are saved together: a failure raises EInOutError (the
  /// calibration) or EFCreateError / EWriteError naming the image, and leaves both old files and
  /// MapImgFile as they were.
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
  /// Creates or overwrites the file with one `geomap` element (declaration included); a failure raises
  /// EInOutError and keeps the file that was there.
  void SaveCalDataAsXML(const String& FileName, const String& ID);
  /// CalcExtentsAndResolution, MapFName := MapImgFile, then the stream form at the stream's position:
  /// declaration and empty line always, resolution always, no UTM zone, hemisphere or ellipsoid,
  /// calquads always (npoints "0" and an empty list line without points).
  void SaveCalDataAsXML(TStream& Stream, const String& ID);
  /// Loads the first `geomap` element of the id (any for "") from the file (a missing name is looked
  /// up in its folder ignoring A-Z case): true when it was found. The record is cleared first; the
  /// model comes from its attribute (cmUndefined when missing or unknown); lines of fewer than 3
  /// points are dropped; then the image named by MapFName (lower-cased) is loaded and the model
  /// fitted. False, and nothing changed, when the file cannot be opened or holds no such element.
  /// A malformed element raises EQeltaGeoMapError; what was read before stays.
  bool LoadCalDataFromXML(const String& FileName, const String& ID);
  /// The same from the stream's position; false for a nil stream.
  bool LoadCalDataFromXML(TMemoryStream* Stream, const String& ID);
  /// The same from a text file open for reading, from its position.
  bool ReadCalDataFromOpenXMLFile(TextFile& f, const String& ID);
  const String& CalibDataFile() const { return FCalDatName; }
  /// When the file exists (A-Z case ignored): stores the name and loads its first `geomap` element;
  /// otherwise keeps the name and empties the map image. Paint.
  void SetCalDatName(const String& FileName);

  // -- calibration points (each change refits: graticule matrix, model, corners, Paint)
  /// Adds (X, Y) to the graticule line of that kind and value (exact match; a new line when there is
  /// none and fewer than 25 exist); true when the point was added (a full line of 10 drops it).
  /// Only under cmParabolicIp, else EQeltaGeoMapError.
  bool AddCalibPoint(TGratLineKind Kind, double Value, int X, int Y);
  /// Adds a calibration point under cmBiquadraticPn, cmConicConformal, cmMillerCylindrical or
  /// cmEquiRect (else EQeltaGeoMapError); false when 200 points exist.
  bool AddCalibPoint(double Latitude, double Longitude, int X, int Y);
  /// Adds a UTM point (northing and easting in metres) under cmUTM (else EQeltaGeoMapError); the zone
  /// and hemisphere must be the map's (else EQeltaGeoMapError "UTM zone parameter changed"); false
  /// when 200 points exist.
  bool AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere, int X, int Y);
  /// Removes the point (X, Y) of the line of that kind and value (the line's last point takes its
  /// place; an emptied line is replaced by the last line); true when a point was removed. Only under
  /// cmParabolicIp, else EQeltaGeoMapError.
  bool RemoveCalibPoint(TGratLineKind Kind, double Value, int X, int Y);
  /// Removes the point nearest to the pixel (the first on a tie) into the model's one-deep undo slot;
  /// false without points or under cmUndefined.
  bool RemoveCalibPoint(int X, int Y);
  /// Adds the last removed point again (once) under the model it was removed for.
  void RestoreLastDeletedCalPoint();
  /// Draws a blank graticule map of Wid x Hgt pixels (at least 100 each) for the bounds (exchanged
  /// when reversed) with parallels every dLat and meridians every dLong degrees (not above 0: 1),
  /// labelled in degrees and minutes (degrees, minutes and seconds for steps up to 0.06); calls
  /// OnDrawMapData; saves it as a 4-bit "<name>.bmp" and its calibration (3 x 3 points,
  /// cmBiquadraticPn, id "Qelta_geomap_caldata") as "<name>.xml", then loads that. Raises
  /// EQeltaGeoMapError before writing anything for bounds that are not finite, an empty range,
  /// more than 10,000 lines per direction or more than 3,000,000 pixels. Image and calibration are
  /// saved together: a failure raises as SaveMap does and leaves both old files and the map as they were.
  void CreateAndLoadEmptyMap(const String& FileName, double LatLow, double LongLow, double LatHigh, double LongHigh,
                             double dLat, double dLong, int Wid, int Hgt, TOnDrawMapDataEvent OnDrawMapData);

  // -- landmarks (1-based indices; ClassFlag -1, or any value outside 0..255, selects every class)
  /// The five ways of adding: every field not given comes from LandMarkDefault (texts cut to 80 and
  /// 15 characters). OnLandMarkAction(lmaAdd) may veto; then repaint.
  void AddLandMark(double Lat, double Long, double Alt);
  void AddLandMark(double Lat, double Long, double Alt, const AnsiString& Identifier, TDateTime Time);
  void AddLandMark(double Lat, double Long, double Alt, const String& CaptionText, int CaptionSize,
                   TColor CaptionColor);
  void AddLandMark(double Lat, double Long, double Alt, const AnsiString& Identifier, TDateTime Time,
                   const String& CaptionText, int CaptionSize, TColor CaptionColor);
  void AddLandMark(double Lat, double Long, double Alt, TLandMarkElement Kind, uint8_t ClassFlag,
                   const AnsiString& Identifier, TDateTime Time, int Tag, TColor FGColor, TColor BGColor, int Size,
                   bool Transparent, int Direction, int Length);
  /// Removes the landmarks of the class closer than Radius degrees (each asked for); gaps are filled
  /// from the end. Answers the number removed.
  int RemoveLandMark(double Lat, double Long, int ClassFlag, double Radius);
  /// Removes the landmarks of the class strictly inside the rectangle (degrees; Left/Right longitudes,
  /// Bottom/Top latitudes).
  int RemoveLandMark(const TRectDouble& Rect, int ClassFlag);
  /// Removes the nearest landmark of the class (the last takes its slot); 0 or 1.
  int RemoveLandMark(double Lat, double Long, int ClassFlag);
  /// Removes the last landmark when the host allows it; repaints.
  void RemoveLastLandMark();
  /// Removes every landmark of exactly that class that the host allows.
  void RemoveAllLandMarks(uint8_t ClassFlag);
  /// Drops all landmarks without asking (HighLightLandMark stays).
  void RemoveAllLandMarks();
  /// 1-based index of the nearest landmark of the class (the first on a tie); 0 when none.
  int FindLandMark(double Lat, double Long, int ClassFlag) const;
  /// Landmark i, or the default landmark outside 1..NumLandMarks.
  TLandMark GetLandMarkData(int i) const;
  /// Replaces landmark i (without asking the host) and repaints; nothing outside 1..NumLandMarks.
  void SetLandMarkData(int i, const TLandMark& Data);
  bool GetClassVisibility(uint8_t ClassFlag) const { return FLMClassVisible[ClassFlag]; }
  /// Store, repaint.
  void SetClassVisibility(uint8_t ClassFlag, bool Visible);
  /// An index outside 0..NumLandMarks becomes 0; a change is stored and repainted.
  void SetHighLM(int i);
  /// Finds the `gmlandmarks` start line of the id (any for "") and reads its `landmark` elements (up
  /// to "</geomap>", an unlisted tag or a comment, or the end), replacing the landmarks; false, and
  /// nothing changed, without such a block. The host is not asked; no repaint.
  bool ReadLandMarksFromOpenXMLFile(TextFile& f, const String& DataID);
  /// Opens the file and reads as above, then repaints; false when it cannot be opened.
  bool LoadLandMarks(const String& FileName, const String& DataID);
  /// Writes one `gmlandmarks` block: the declaration when Header, an empty line, the comment line,
  /// the start tag with sig, vers and id, one `landmark` line per landmark with every attribute the
  /// reader knows, the end tag. Nothing is escaped.
  void WriteLandMarksToOpenXMLFile(TextFile& f, bool Header, const String& DataID) const;
  /// Creates or overwrites the file with one block (declaration included); a failure raises
  /// EInOutError and keeps the file that was there.
  void SaveLandmarks(const String& FileName, const String& DataID) const;
  const TLandMark& LandMarkDefault() const { return FDefaultLM; }
  void SetLandMarkDefault(const TLandMark& value) { FDefaultLM = value; }

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
  /// Lets the user draw a rectangle with the mouse (any button but the right one presses and releases;
  /// the right one aborts), running the application's loop until it is finished or aborted. True and
  /// the corners in order (X1 <= X2, Y1 <= Y2) when finished; false, the variables unwritten, after an
  /// abort, MouseBoxAbort, the application's end, or (headless) when no input is left that could
  /// finish it. MouseAction is maNone meanwhile and restored afterwards.
  bool MouseBox(int& X1, int& Y1, int& X2, int& Y2);
  /// Ends a running MouseBox with false.
  void MouseBoxAbort();
  /// Fires OnZoomPan.
  void DoZoomPanEvent();

  // -- events
  TProgressEvent OnDataLoading;  ///< handed to the image loaders and savers
  TRenderEvent OnBeforeRenderData;
  TRenderEvent OnDataRendered;
  TMapImgRequestEvent OnMapImageRequest;
  TDrawLandMarkEvent OnDrawLandmark;  ///< per drawn landmark
  TLandMarkActionEvent OnLandMarkAction;
  TZoomPanEvent OnZoomPan;
  TOnRubberBandActionEvent OnBeginRubberBand;
  TOnRubberBandActionEvent OnContinueRubberBand;
  TOnRubberBandActionEvent OnEndRubberBand;

 protected:
  /// Records the click's map-image pixel; the mouse box's first corner, the zoom window's anchor and
  /// the rubber band by MouseAction; then the inherited handler.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// The mouse box's and zoom window's rectangles, the rubber band, panning and the zoom drag (anchored
  /// at the first move with the left button held); then the inherited handler.
  void MouseMove(TShiftState Shift, int X, int Y) override;
  /// The inherited handler; the mouse box's second corner, the zoom window's zoom; after a pan or a
  /// zoom drag the view goes on the zoom ring.
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
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

  // Landmarks: FLandMarks[0..FNumLandMarks-1] in use, its length a multiple of 1000.
  int FNumLandMarks = 0;
  std::vector<TLandMark> FLandMarks;
  TLandMark FDefaultLM = DefaultLandMark();
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
  /// The last point removed from a graticule line, with the line's kind and value.
  struct TParaIpUndo {
    TGratLineKind Kind = gtlMeridian;
    double Value = 0;
    TPoint Point;
  };
  TCalQuad FBiQuadOops;      ///< one-deep undo slot of RemoveCalibPoint(X, Y) for calibration points
  TParaIpUndo FParaIpOops;   ///< the same for graticule lines
  bool FRestoreBiQuadOK = false, FRestoreParaIpOK = false;  ///< the slots are filled
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
  /// Raises "current calibration model does not support this version of <Routine>" unless allowed.
  void RequireModel(bool Allowed, const char16_t* Routine) const;
  /// Appends a calibration point when there is room (no refit); false when 200 exist.
  bool StoreCalQuad(const TCalQuad& Quad);
  /// Reads the element after its start line has been found (the map's rules).
  void ReadFoundCalData(TTagReader& Source, const String& StartLine);
  /// Landmark storage: resize ("insufficient memory" when it fails), the slot after the last landmark
  /// (grown by a block when full, not counted in), append, empty (1000 slots).
  void ReserveLandMarkSlots(size_t Slots);
  TLandMark& FreeLandMarkSlot();
  void AppendLandMark(TLandMark Data);
  void DropLandMarks();
  /// Asks the host, appends, repaints.
  void AddNewLandMark(const TLandMark& Data);
  /// Asks OnLandMarkAction; true when allowed (or not assigned).
  bool LandMarkAllowed(TLandMarkAction Action, const TLandMark& Data);
  /// Removes the landmarks of the selection that the host allows, filling gaps from the end.
  int RemoveMarkedLandMarks(const std::function<bool(const TLandMark&)>& Selected);
  /// Index (0-based) of the nearest landmark of the class below 1e10 square degrees; -1 when none.
  int NearestLandMark(double Lat, double Long, int ClassFlag) const;
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
  /// The overlays, the landmarks, OnDataRendered and the highlight over the placed image.
  void DrawMapData(TCanvas* Canvas, int W, int H);
  /// The graticule or UTM grid of the model with the calibration marks, as ShowGraticule asks.
  void DrawOverlay(TCanvas* Canvas, int W, int H);
  void DrawParabolicGraticule(TCanvas* Canvas, int W, int H);
  /// Parallels and meridians between the corners, N segments per line.
  void DrawGeoGraticule(TCanvas* Canvas, int N);
  void DrawUTMGrid(TCanvas* Canvas);
  /// Cross and three diamonds at the control point (x, y).
  void DrawCalibMark(TCanvas* Canvas, int x, int y);
  /// The control pixel of a position (its success not examined).
  TPoint GeoToControl(double Latitude, double Longitude) const;
  /// Probability of drawing a landmark: threshold / landmarks in view when more are in view.
  double LandMarkSampling(int W, int H) const;
  /// The landmark's control point and OnDrawLandmark; true when the symbol is to be drawn.
  bool PlaceLandMark(TCanvas* Canvas, int W, int H, const TLandMark& LandMark, TPoint& P);
  void DrawLandMarks(TCanvas* Canvas, int W, int H);
  void DrawHighLight(TCanvas* Canvas, int W, int H);
  /// XOR drawing on the control's canvas with a white pen and no brush.
  void XorShape(const std::function<void(TCanvas*)>& Draw);
  void XorRect(int x1, int y1, int x2, int y2);
  void XorLine(int x1, int y1, int x2, int y2);
  /// One step of a pan drag to the mouse at (X, Y).
  void PanDrag(int X, int Y);
  /// One step of the zoom drag: the magnification times the drag factor, the view's centre kept.
  void ZoomDrag(int X, int Y);
  /// The area between the zoom window's anchor and (X, Y) fills the control, centred.
  void ZoomToWindow(int X, int Y);
  /// Composes the view of MapTopLeft and Mag into the canvas's rectangle Dest (clipped to it),
  /// without the cache; the control's view is not changed.
  void RenderView(TCanvas* Canvas, const TPoint& MapTopLeft, double Mag, const TRect& Dest);
};

namespace Qelta_geomap {
/// Puts TGeoMap and TSymbolRepository on the component palette page "Qelta".
void Register();
}  // namespace Qelta_geomap

}  // namespace qelta

QELTA_PUBLIC_END
