#pragma once
// Not part of the public interface: what the sources of Qelta_geomap share. The one rounding rule of
// the unit, and the pieces of the calibration fits that the tests check on their own.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <utility>
#include <string_view>
#include <vector>

#include "Qelta_geomap.h"
#include "Qelta_streams.h"
#include "Qelta_streams_internal.h"
#include "Streams.h"
#include "TextFiles.h"
#include "Visibility.h"

namespace qelta::map_detail {

/// Nearest integer, halves to even, saturated to the 32-bit range; NaN gives 0. Every float of the
/// unit that becomes a pixel or an index goes through it.
inline int RoundToInt(double v) {
  if (!(v >= -2147483648.0)) return std::isnan(v) ? 0 : std::numeric_limits<int>::min();
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  return static_cast<int>(std::nearbyint(v));
}

/// The counts of a record kept to its capacity: a record handed over as a whole may hold anything.
inline int UsedLines(const TCalibData& c) { return std::clamp(c.NumCalLines, 0, MaxCalLines); }
inline int UsedQuads(const TCalibData& c) { return std::clamp(c.NumCalQuads, 0, MaxCalQuads); }
inline int UsedPoints(const TCalibLine& l) { return std::clamp(l.NumPoints, 0, MaxCalLinePoints); }

// The fits, the captions and the overlays' layout are exported for the tests that check them alone.
QELTA_PUBLIC_BEGIN

/// A least-squares line v = k u + d as TCurveFit::CalcLinFit gives it, with Rms the root of the mean
/// squared residual over Divisor points. Solvable is false below 2 points; all u equal gives k = d = 0.
struct TLineFit {
  bool Solvable = false;
  double k = 0, d = 0, Rms = 0;
};
/// Fits v = k u + d to the pairs (centred sums in extended precision); the residuals are summed over
/// the pairs and divided by Divisor.
TLineFit FitLine(std::span<const double> u, std::span<const double> v, double Divisor);

/// One calibration point of the conic fit: pixel and geography.
struct TConicPoint {
  double X = 0, Y = 0, Phi = 0, Lambda = 0;
};
/// The conic fit for the apex (cx, cy): Pars = cx, cy, C3, C4, C5, C6 and the quality
/// e_phi^2 + e_lambda^2. False (nothing usable) with fewer than 3 points or fewer than 2 points off
/// the apex row.
bool FitConicAtApex(std::span<const TConicPoint> Points, double cx, double cy, std::array<double, 6>& Pars,
                    double& Quality);
/// The apex search on the shrinking grid from the centre of the points' box (the box starting at the
/// image's extents); all zero with fewer than 3 points.
std::array<double, 6> SearchConic(std::span<const TConicPoint> Points, int ImageWidth, int ImageHeight);

/// The UTM easting and northing of a position in degrees in the given zone and hemisphere (the zone's
/// central meridian, scale 0.9996, false easting 500000, false northing 10^7 exactly when South).
void ProjectIntoZone(double Latitude, double Longitude, int Zone, bool South, TGeoEllipsoid Ellipsoid,
                     double& Easting, double& Northing);

// --- landmark captions and the overlays' layout ---------------------------------------------------

/// Where a caption's text goes for the landmark at (X, Y) with the text's half extents: the offset of
/// the alignment turned by the caption's Direction, plus (dx, dy).
TPoint CaptionCorner(int X, int Y, const TLMTextProperties& Caption, int HalfWidth, int HalfHeight);
/// Writes the caption beside the landmark at (X, Y) in its font, colours and rotation; nothing for an
/// empty text.
void DrawLandMarkCaption(TCanvas* Canvas, int X, int Y, const TLMTextProperties& Caption);

/// Most lines of one direction of a graticule or grid per picture.
inline constexpr size_t kMaxGridLines = 10000;
/// The graticule's extent from the map's corners (degrees).
struct TGratBounds {
  double South = 0, North = 0, West = 0, East = 0;
};
TGratBounds GraticuleBounds(const TCornerArray& Corners);
/// GratLineDist when above 0, else 1 degree divided by 10 until Span holds at least one step.
double GraticuleStep(double Span, double GratLineDist);
/// trunc(From / Step) x Step, then each further Step while below Limit, at most kMaxGridLines values;
/// none for a step not above 0 or a bound not finite.
std::vector<double> GridValues(double From, double Limit, double Step);
/// UTMGridDist when at least 1, else a tenth of the northing span on the 1-2-5 series, at least 1 m.
double UTMGridStep(double NorthingLow, double NorthingHigh, int UTMGridDist);

/// The zoom drag's factor 1 - 0.05 (X0 - X) / W + (Y0 - Y) / H, at least 0.1.
double ZoomDragFactor(int X0, int Y0, int X, int Y, int W, int H);
/// A magnification set by the mouse kept within [0.001, 1000].
double MouseMagnification(double m);

QELTA_PUBLIC_END

// --- the map's files (calibration, landmarks, symbols) ---------------------------------------------

/// The tags every reader of the map's files hands to the tag scanner, by index; an unlisted tag and
/// the end of the input give mfInvalidTag.
enum TMapFileTag : uint8_t {
  mfGeomap, mfGeomapEnd, mfCalline, mfCorners, mfResolution, mfGmLandmarks, mfGmLandmarksEnd, mfLandmark,
  mfCalquads, mfLmSymbols, mfLmSymbolsEnd, mfSymbol, mfUtmZone, mfUtmSouth, mfEllipsoid, mfInvalidTag
};
/// The 16 tag names in the order of TMapFileTag.
const std::vector<String>& MapFileTags();

/// The next tag of the map files' list (ReadNextTagIn... over MapFileTags()) with its attributes and
/// content.
TMapFileTag NextMapTag(TTagReader& Source, String& Attributes, String& Content);

/// The text after the first Key (searched in Lower, the lower-cased Line) up to the next '"', blanks
/// around it stripped, taken from Line; empty when Key or the closing quote is missing. Found tells
/// whether Key stands in the line.
String AttributeAfter(const String& Line, const String& Lower, const String& Key, bool* Found = nullptr);
/// Reads lines up to the first start line of a block: one holding Opening (such as "<geomap") and
/// "qeltakit" (A-Z case ignored) whose id="..." equals ID ignoring case (any id for an empty ID).
bool FindStartLine(TTagReader& Source, const String& Opening, const String& ID, String& StartLine);

/// One line out of a writer.
using TMapLineSink = std::function<void(const String& Line)>;
/// name="value" with a blank in front.
String XmlAttribute(const char16_t* Name, const String& Value);
/// "<name sig="Qeltakit" vers="1.0" id="ID"" (not closed).
String OpeningTag(const char16_t* Name, const String& ID);
/// The declaration when Header, an empty line, the comment "<!-- Comment / Qeltakit -->".
void WriteBlockHead(const TMapLineSink& Put, bool Header, const char16_t* Comment);
/// A sink that writes to the open text file.
TMapLineSink TextFileSink(TextFile& f);
/// Saves the text file FileName as `write` writes it, through a temporary beside it (RewriteReplacing):
/// a failure raises the runtime's EInOutError and keeps the old file. With a group, the group's Commit
/// publishes it.
void SaveTextFile(const String& FileName, const std::function<void(TextFile&)>& write, TSaveGroup* group = nullptr);
/// Saves a map image and its calibration file together: both are written to temporaries and published
/// by one group, so a failure at any step leaves both old files as they were. Raises as the two writers
/// do: EFCreateError / EWriteError naming the image, EInOutError for the calibration text.
void SaveImageAndCalibration(const TGraphic& Image, const String& ImageName, const String& CalName,
                             const std::function<void(TextFile&)>& writeCal);

/// The name of an existing file: the name itself when it exists, else the entry of each missing
/// folder and of the file that equals it ignoring A-Z case (the first in name order); the name
/// unchanged when there is none.
String ExistingFileName(const String& FileName);
/// Assigns the existing file of that name and opens it for reading; false when it cannot be opened.
bool OpenForReading(TextFile& f, const String& FileName);

/// The attributes of one tag, read once: Get answers what ScanForXMLAttrib answers for the name (the
/// value of its first pair, A-Z case ignored; "" when there is none). The values stay in place in the
/// text, so a tag of many attributes costs no text per pair; the tags of a file mostly have the same names
/// in the same order, and a tag that has those of the last keeps its index.
class TAttributes {
 public:
  TAttributes() = default;
  explicit TAttributes(const String& Text) { Read(Text); }
  /// Takes the pairs of another tag, reusing the storage of the last (for a reader of many tags).
  void Read(const String& Text);
  /// Read without a copy: the text is swapped in, Text left with the storage of the last one.
  void Take(String& Text);
  /// The value, valid until the next Read.
  std::u16string_view Get(std::u16string_view Name) const;

 private:
  void Index();
  std::size_t Find(std::u16string_view Name) const;
  std::u16string_view ValueOf(std::size_t k) const;
  std::u16string_view NameOf(std::size_t k) const;
  String FText;
  std::vector<TXMLAttributeSpan> FSpans;  ///< the pairs in order
  core_detail::TXMLAttributeNames FNames;  ///< the names of the pairs indexed last
  std::vector<uint32_t> FKeys;            ///< a hash of each name, equal for names equal ignoring A-Z case
  std::vector<int> FSlots;  ///< open addressing by FKeys: the index of the first pair of each name, -1 empty
  std::vector<uint8_t> FFirst;  ///< whether each pair is the first of its name
  mutable std::size_t FNext = 0;  ///< the pair after the last one found: readers ask mostly in the file's order
};

/// Attribute Name (a missing one reads as ""): ScanDecimal, ScanFPNum (exponent, '.' or ','), ScanHex
/// from its first character; true when its lower-cased text holds "true".
int AttrInt(const TAttributes& Attributes, std::u16string_view Name);
double AttrFloat(const TAttributes& Attributes, std::u16string_view Name);
TColor AttrColor(const TAttributes& Attributes, std::u16string_view Name);
bool AttrTrue(const TAttributes& Attributes, std::u16string_view Name);
/// True when the two texts are equal with A-Z lower-cased.
bool EqualsIgnoringCase(std::u16string_view A, std::u16string_view B);
/// ScanDecimal and ScanFPNum (exponent, '.' or ',') of a whole text from its first character.
int ScanInt(std::u16string_view Text);
double ScanFloat(std::u16string_view Text);

/// The symbol attributes that landmarks and symbols share (size, colorfg, colorbg, transp, dir, leng),
/// read from an attribute text with the shape Kind, and written in that order after a blank.
TSymbolProperties SymbolPropertiesOf(const TAttributes& Attributes, TLandMarkElement Kind);
String SymbolAttributes(const TSymbolProperties& Props);

/// The first Max characters of the text as single-byte (Windows-1252) text.
AnsiString ShortAnsi(std::u16string_view Text, int Max);

}  // namespace qelta::map_detail
