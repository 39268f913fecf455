#pragma once
// Qelta_geobasics: the geodetic ground work of the maps: ellipsoids, datums and the Helmert shift,
// geocentric coordinates, and the transverse Mercator, UTM and UPS projections.
//
// What: 61 reference ellipsoids (TGeoEllipsoid, GeoEllipsoidData), 271 datums with their seven
// parameters to WGS 84, geodetic <-> earth-centred cartesian conversion, the seven-parameter shift
// between two datums, the routines that derive one ellipsoid parameter from others, the UTM zone and
// latitude band of a point, transverse Mercator, UTM and UPS forward and back, and a table of 231
// countries offered to the host.
// How: geocentric to geodetic is Bowring's closed form (1985, no iteration); the datum shift goes
// source -> WGS 84 with the source's parameters and WGS 84 -> target with the target's parameters
// negated (a first-order inverse, position-vector rotations); transverse Mercator is the classic
// eighth-order series in the longitude difference about a footpoint latitude from the meridian arc
// series in the third flattening n; UPS is the polar stereographic projection inverted by six Newton
// steps. The constants of each ellipsoid are derived once; the formulas are in the .cpp.
// Limits: the transverse Mercator series is good to 1 mm within 6 degrees of the central meridian
// (0.85 mm at 6 degrees, 0.02 mm inside a standard 3 degree half zone) and degrades fast beyond;
// use UPS above 84 N and below 80 S. The datum shift is a first-order inverse on the target side and
// is not exactly undone by the reverse shift (millimetres to centimetres for the large rotations).
// Units: degrees everywhere except LatLongToTM, TMToLatLong and UTMCentralMeridian, which work in
// radians; lengths in metres. Latitude comes before longitude in every argument list.
// Failure channel: EQeltaGeoBasicsError for refused ellipsoid parameters; HelmertTransform answers a
// status; points outside a routine's domain give zone 0, NaN or the formulas' values, never a fault.

#include <array>
#include <cstdint>
#include <string_view>

#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit, raised with a plain message ("invalid eccentricity", ...).
QELTA_DECLARE_EXCEPTION(EQeltaGeoBasicsError, EQeltaError)

// --- types and tables --------------------------------------------------------------------------

// clang-format off
/// The reference ellipsoids; the ordinals are stored in calibration files.
enum TGeoEllipsoid : uint8_t {
  gelWGS84, gelWGS72, gelWGS66, gelWGS60, gelClrk80RGS, gelClrk66, gelBess41, gelBess41Jap, gelBess41Nam,
  gelNewInt67, gelInt24, gelEver69, gelEver56, gelEver48, gelEver30Ind, gelEverPak, gelEverest, gelGRS80,
  gelAiry30, gelModifAiry, gelFish68, gelFish60, gelModifFish60, gelAuNat65, gelKrass40, gelHough60,
  gelSphere, gelIndo74, gelHelm06, gelSGS85, gelSAm69, gelATS77, gelAuthSph, gelBesselMod, gelCGCS2000,
  gelClrk58, gelClrk66Mich, gelClrk80, gelClrk80Arc, gelClrk80Benoit, gelClrk80IGN, gelClrk80intfoot,
  gelClrk80SGA22, gelDan76, gelEver30, gelEver75, gelGEM10C, gelGRS67, gelGRS67Mod, gelHughes80, gelIAG75,
  gelInt24AuthSph, gelOSU86F, gelOSU91A, gelPlessis17, gelPopVisSphere, gelPZ90, gelStruve60, gelWarOffice,
  gelHongKong63, gelNahrwan29
};
// clang-format on
inline constexpr int GeoEllipsoidCount = gelNahrwan29 + 1;

/// Hemisphere of a UTM or UPS grid.
enum THemisphere : uint8_t { hemiNorth, hemiSouth };

/// The two axes of an ellipsoid in metres; a sphere has a = b.
struct TGeoEllAxes {
  double a = 0;  ///< semi-major axis
  double b = 0;  ///< semi-minor axis
};

/// Identifier text of each ellipsoid, equal to its enumerator ("gelWGS84").
extern const std::array<std::u16string_view, GeoEllipsoidCount> GeoEllipsoidId;
/// Display name of each ellipsoid ("WGS 1984").
extern const std::array<std::u16string_view, GeoEllipsoidCount> GeoEllipsoidName;
/// Semi-major and semi-minor axis of each ellipsoid; every other quantity is derived from them.
extern const std::array<TGeoEllAxes, GeoEllipsoidCount> GeoEllipsoidData;

/// One country: names and codes are 8-bit texts (codes in lower case); positions in degrees.
/// A value that no source gives is an empty text or 0 (three rows have no capital, two no
/// central point, two capitals no altitude).
struct TCountryData {
  std::string_view Name;       ///< at most 40 characters
  std::string_view Fips10;     ///< FIPS 10-4 code, 2 characters
  std::string_view ISO3166_2;  ///< ISO 3166 two-letter code
  std::string_view ISO3166_3;  ///< ISO 3166 three-letter code
  double CLat = 0, CLong = 0;  ///< a central point of the country
  std::string_view Capital;    ///< at most 31 characters
  double CapLat = 0, CapLong = 0;
  int CapAlt = 0;  ///< altitude of the capital in metres
};
inline constexpr int CountryCount = 231;
/// The countries in alphabetical order of Name, CountryData[0] being Afghanistan. No routine of the
/// library reads it.
extern const std::array<TCountryData, CountryCount> CountryData;

/// Number of datums; HelmertTransform takes datum numbers 1..GeoDatumCount.
inline constexpr int GeoDatumCount = 271;

// --- geocentric coordinates and the datum shift ------------------------------------------------

/// Geodetic latitude, longitude (degrees) and ellipsoidal height (m) to earth-centred X, Y, Z (m).
void GeoToCartesian(double Latitude, double Longitude, double Height, TGeoEllipsoid Ellipsoid, double& X, double& Y,
                    double& Z);
/// Earth-centred X, Y, Z (m) to latitude, longitude (degrees, -180..180) and height (m), closed form.
/// On the polar axis: latitude +-90 by the sign of Z (+90 at the centre), longitude 0, height |Z| - b.
void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid, double& Latitude, double& Longitude,
                    double& Height);
/// Shifts a point from datum SourceDatum to datum TargetDatum (numbers 1..271). Status: 0; -1 source
/// datum invalid; -2 target datum invalid; -3 latitude outside -90..90 (or NaN); -4 longitude outside
/// -180..180 (or NaN); of several, the last in this order. With -3 or -4 the point is still shifted;
/// with an invalid datum it is not, and the outputs are the inputs.
int HelmertTransform(int SourceDatum, double Latitude, double Longitude, double Height, int TargetDatum, double& LatOut,
                     double& LongOut, double& HeightOut);

// --- ellipsoid parameters ------------------------------------------------------------------------

/// Semi-minor axis from the semi-major axis and the reciprocal flattening (0 = sphere: a itself);
/// RecipFlat < 0 raises EQeltaGeoBasicsError "invalid reciprocal flattening".
double EllipsoidMinAxFlat(double SemiMajor, double RecipFlat);
/// Semi-minor axis a sqrt(1 - e^2); e^2 < 0 raises EQeltaGeoBasicsError "invalid eccentricity",
/// e^2 > 1 raises EMathError "EllipsoidMinAxEcc: square root of a negative number".
double EllipsoidMinAxEcc(double SemiMajor, double EccSquared);
/// Squared eccentricity 1 - b^2/a^2 of a table ellipsoid.
double GeoEllEccSquared(TGeoEllipsoid Ellipsoid);
/// Squared eccentricity of the ellipsoid with the two axes, the larger taken as the semi-major one.
double GeoEllEccSquared(double Axis1, double Axis2);
/// Squared eccentricity 2f - f^2 from the reciprocal flattening r = 1/f; r = 0 gives 0.
double GeoEllEccSquared(double RecipFlat);
/// Reciprocal flattening 1/(1 - b/a) of a table ellipsoid; 0 for a sphere.
double RecipFlattening(TGeoEllipsoid Ellipsoid);
/// Reciprocal flattening 1/(1 - b/a); 0 when b equals a.
double RecipFlattening(double SemiMajor, double SemiMinor);
/// Reciprocal flattening from the squared eccentricity; 0 gives 0; outside 0..1 raises
/// EQeltaGeoBasicsError "invalid eccentricity".
double RecipFlattening(double EccSquared);

// --- UTM zones -------------------------------------------------------------------------------------

/// UTM zone 1..60 and latitude band 'C'..'X' (no I, no O) of a point in degrees, with the Norway and
/// Svalbard exceptions; zone 0 and a blank outside -80..84 N, outside [-180, 180) E, or for NaN.
void GeoToUTMZone(double Latitude, double Longitude, int& Zone, Char& Band);
/// The zone and band as text ("32U"); empty where the zone is 0.
String GeoToUTMZone(double Latitude, double Longitude);
/// Central meridian of zone 1..60 in radians, (6 zone - 183) degrees; 0 for any other zone.
double UTMCentralMeridian(int Zone);

// --- transverse Mercator, UTM and UPS ------------------------------------------------------------

/// Length of the meridian from the equator to latitude Latitude (radians), in metres.
double ArcLengthOfMeridian(double Latitude, TGeoEllipsoid Ellipsoid);
/// Unscaled transverse Mercator x (east), y (north) in metres of the point (radians) about the
/// central meridian CentMerid (radians).
void LatLongToTM(double Latitude, double Longitude, double CentMerid, TGeoEllipsoid Ellipsoid, double& x, double& y);
/// Inverse of LatLongToTM: latitude and longitude in radians.
void TMToLatLong(double x, double y, double CentMerid, TGeoEllipsoid Ellipsoid, double& Latitude, double& Longitude);
/// UTM easting and northing of a point in degrees in its own zone (GeoToUTMZone); the northing gets
/// 10^7 added south of the equator. A point outside the zone area gets zone 0 and is projected
/// about meridian 0 (NaN coordinates stay NaN).
void LatLongToUTM(double Latitude, double Longitude, TGeoEllipsoid Ellipsoid, int& Zone, double& Easting,
                  double& Northing);
/// Latitude and longitude in degrees of a UTM easting and northing of the zone and hemisphere.
void UTMToLatLong(double Easting, double Northing, int Zone, bool SouthHemi, TGeoEllipsoid Ellipsoid, double& Latitude,
                  double& Longitude);
/// UPS x, y (metres, false origin 2,000,000) of a point in degrees; north for latitude >= 0. The pole
/// gives (2000000, 2000000); longitude 180 is taken as -180.
void LatLongToUPS(double Latitude, double Longitude, TGeoEllipsoid Ellipsoid, double& x, double& y);
/// Latitude and longitude in degrees of a UPS point of the hemisphere; the pole gives longitude 0.
void UPSToLatLong(double x, double y, bool SouthHemi, TGeoEllipsoid Ellipsoid, double& Latitude, double& Longitude);

// --- not part of the public interface ----------------------------------------------------------

namespace map_detail {

/// One datum: the shift from it to WGS 84 in the position-vector convention.
struct TGeoDatum {
  std::string_view Name;    ///< upper case, at most 33 characters (a few end in a blank)
  std::string_view Region;  ///< area of validity, at most 35 characters
  TGeoEllipsoid Ellipsoid = gelWGS84;
  double dX = 0, dY = 0, dZ = 0;  ///< translation, m
  double dS = 0;                  ///< scale difference, ppm
  double rX = 0, rY = 0, rZ = 0;  ///< rotations, arc seconds
};
/// The datums; datum number n is GeoDatumData[n - 1].
extern const std::array<TGeoDatum, GeoDatumCount> GeoDatumData;

}  // namespace map_detail
}  // namespace qelta

QELTA_PUBLIC_END
