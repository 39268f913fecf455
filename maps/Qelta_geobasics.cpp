#include "Qelta_geobasics.h"

#include <cmath>
#include <limits>

#include "Qelta_geobasics_internal.h"

// Geodesy core: the ellipsoid table, the constants derived from it, the ellipsoid parameter routines,
// geocentric coordinates and the Helmert datum shift. The projections are in
// Qelta_geobasics_projections.cpp, the datum and country tables in Qelta_geobasics_tables.cpp.
//
// Angles. Degrees become radians as value / 180 x pi and back as value x 180 / pi, both in 80-bit
// arithmetic with pi = 3.1415926535897932385 and rounded once to a Double (GeoDegToRad,
// GeoRadToDeg); everything else is Double arithmetic.
//
// Constants derived once per ellipsoid (EllipsoidConsts), from the axes a >= b of the table:
//   e^2 = 1 - b^2/a^2, k = b/a = 1 - f, e'^2 = (a^2 - b^2)/b^2, c = a^2/b;
//   n = (a - b)/(a + b) and the meridian arc series (Helmert's expansion in n):
//     alpha = (a + b)/2 (1 + n^2/4 + n^4/64),
//     arc = alpha (phi + beta sin 2phi + gamma sin 4phi + delta sin 6phi + eps sin 8phi),
//     beta = -3n/2 + 9n^3/16 - 3n^5/32, gamma = 15n^2/16 - 15n^4/32,
//     delta = -35n^3/48 + 105n^5/256, eps = 315n^4/512;
//   its inverse, the footpoint latitude of a northing y with y' = y/alpha:
//     phi_f = y' + beta' sin 2y' + gamma' sin 4y' + delta' sin 6y' + eps' sin 8y',
//     beta' = 3n/2 - 27n^3/32 + 269n^5/512, gamma' = 21n^2/16 - 55n^4/32,
//     delta' = 151n^3/96 - 417n^5/128, eps' = 1097n^4/512;
//   and the polar stereographic constants with e = sqrt|1 - (b/a)^2| and k0 = 0.994:
//     rho = a k0 2 tan(g/2) exp(e artanh(e cos g)) / (sqrt(1 - e^2) exp(e artanh e))
//         = upsRho tan(g/2) exp(e artanh(e cos g)), upsRho = 2 a k0 / (sqrt(1 - e^2) exp(e artanh e)),
//     q = sqrt(1 - e^2) rho exp(e artanh e) / (a k0) = upsQ rho.
// The sine series are summed by Clenshaw's recurrence: with X = 2 cos 2phi, b5 = b6 = 0 and
// b_k = c_k + X b_(k+1) - b_(k+2) for k = 4..1, the sum c_1 sin 2phi + ... + c_4 sin 8phi is
// b_1 sin 2phi; sin 2phi = 2 sin phi cos phi and cos 2phi = (cos phi - sin phi)(cos phi + sin phi),
// so one sine/cosine pair of phi serves the series and the rest of the projection.
//
// Geocentric -> geodetic is Bowring's closed form (B. R. Bowring, "The accuracy of geodetic latitude
// and height equations", Survey Review 28 (1985) 202-206): with p = sqrt(X^2 + Y^2),
// r = sqrt(p^2 + Z^2), tan u = (Z/p)(k + e^2 a/r),
//   tan phi = (Z k + e^2 a sin^3 u) / (k (p - e^2 a cos^3 u)),
//   h = p cos phi + Z sin phi - a sqrt(1 - e^2 sin^2 phi).
// sin u and cos u come from tan u without a trigonometric call (cos u > 0 since p > 0):
// with W = Z (k + e^2 a/r), cos u = p / sqrt(p^2 + W^2) and sin u = W / sqrt(p^2 + W^2), which
// neither overflows nor loses sin u when p is tiny. Likewise sin phi and cos phi come from the
// numerator and denominator of tan phi: phi itself is arctan of their quotient (-90..90 degrees,
// as the arc tangent of one argument gives it), so both are first made to have a non-negative
// denominator. On the polar axis (p = 0) the latitude is +-90 by the sign of Z (+90 at the centre),
// the longitude 0 and the height |Z| - b.
//
// The Helmert shift goes source -> WGS 84 with the source row (position-vector rotation, scale
// 1 + dS 1e-6, then the translation) and WGS 84 -> target with the target row negated (rotations
// and scale negated, the translation subtracted after rotation and scaling): a first-order inverse,
// not the exact inverse of the target's forward shift.

namespace qelta {

namespace {

using map_detail::GeoDegToRad;
using map_detail::GeoPi;
using map_detail::GeoRadToDeg;
using map_detail::TEllipsoidConsts;

struct TEllipsoidRow {
  std::u16string_view Id, Name;
  double a, b;
};

// clang-format off
constexpr TEllipsoidRow EllipsoidRows[GeoEllipsoidCount] = {
    {u"gelWGS84",          u"WGS 1984",                            6378137.0, 6356752.314245},
    {u"gelWGS72",          u"WGS 1972",                            6378135.0, 6356750.519915},
    {u"gelWGS66",          u"WGS 1966",                            6378145.0, 6356759.769356},
    {u"gelWGS60",          u"WGS 1960",                            6378165.0, 6356783.286959},
    {u"gelClrk80RGS",      u"Clarke 1880 RGS",                     6378249.145, 6356514.86955},
    {u"gelClrk66",         u"Clarke 1866",                         6378206.4, 6356583.8},
    {u"gelBess41",         u"Bessel 1841",                         6377397.155, 6356078.96284},
    {u"gelBess41Jap",      u"Bessel 1841 (Japan)",                 6377397.155, 6356078.963},
    {u"gelBess41Nam",      u"Bessel 1841 (Namibia)",               6377483.865, 6356165.382966},
    {u"gelNewInt67",       u"New International 1967",              6378157.5, 6356772.2},
    {u"gelInt24",          u"International 1924",                  6378388.0, 6356911.94613},
    {u"gelEver69",         u"Everest 1969 (Malaysia)",             6377295.664, 6356094.667915},
    {u"gelEver56",         u"Everest 1956 (India)",                6377301.243, 6356100.228368},
    {u"gelEver48",         u"Everest 1948",                        6377304.063, 6356103.039},
    {u"gelEver30Ind",      u"Everest 1830 (India 1937 adj.)",      6377276.3452, 6356075.4133},
    {u"gelEverPak",        u"Everest (Pakistan)",                  6377309.613, 6356108.570542},
    {u"gelEverest",        u"Everest (1967 Definition)",           6377298.556, 6356097.550301},
    {u"gelGRS80",          u"GRS 1980",                            6378137.0, 6356752.31414},
    {u"gelAiry30",         u"Airy 1830",                           6377563.396, 6356256.91},
    {u"gelModifAiry",      u"Modified Airy",                       6377340.189, 6356034.448},
    {u"gelFish68",         u"Fisher 1968",                         6378150.0, 6356768.337303},
    {u"gelFish60",         u"Fisher 1960",                         6378166.0, 6356784.283666},
    {u"gelModifFish60",    u"Modified Fisher 1960",                6378155.0, 6356773.3205},
    {u"gelAuNat65",        u"Australian Nat 1965",                 6378160.0, 6356774.719},
    {u"gelKrass40",        u"Krassovsky 1940",                     6378245.0, 6356863.0188},
    {u"gelHough60",        u"Hough 1960",                          6378270.0, 6356794.343479},
    {u"gelSphere",         u"Normal Sphere",                       6370997.0, 6370997.0},
    {u"gelIndo74",         u"Indonesian 1974",                     6378160.0, 6356774.504086},
    {u"gelHelm06",         u"Helmert 1906",                        6378200.0, 6356818.169628},
    {u"gelSGS85",          u"SGS 1985",                            6378136.0, 6356751.301569},
    {u"gelSAm69",          u"South American 1969",                 6378160.0, 6356774.719},
    {u"gelATS77",          u"ATS77",                               6378135.0, 6356750.304922},
    {u"gelAuthSph",        u"Authalic Sphere",                     6371000.0, 6371000.0},
    {u"gelBesselMod",      u"Bessel Modified",                     6377492.018, 6356173.508713},
    {u"gelCGCS2000",       u"CGCS2000",                            6378137.0, 6356752.31414},
    {u"gelClrk58",         u"Clarke 1858",                         6378293.6452, 6356617.987671},
    {u"gelClrk66Mich",     u"Clarke 1866 Michigan",                6378450.0475, 6356826.62144},
    {u"gelClrk80",         u"Clarke 1880",                         6378249.1448, 6356514.966196},
    {u"gelClrk80Arc",      u"Clarke 1880 (Arc)",                   6378249.145, 6356514.966399},
    {u"gelClrk80Benoit",   u"Clarke 1880 (Benoit)",                6378300.789, 6356566.435},
    {u"gelClrk80IGN",      u"Clarke 1880 (IGN)",                   6378249.2, 6356515.0},
    {u"gelClrk80intfoot",  u"Clarke 1880 (international foot)",    6378306.3696, 6356571.996},
    {u"gelClrk80SGA22",    u"Clarke 1880 (SGA 1922)",              6378249.2, 6356514.996942},
    {u"gelDan76",          u"Danish 1876",                         6377019.2567, 6355762.525844},
    {u"gelEver30",         u"Everest (1830 Definition)",           6377299.3656, 6356098.35901},
    {u"gelEver75",         u"Everest 1830 (1975 Definition)",      6377299.151, 6356098.14512},
    {u"gelGEM10C",         u"GEM 10C",                             6378137.0, 6356752.314245},
    {u"gelGRS67",          u"GRS 1967",                            6378160.0, 6356774.516091},
    {u"gelGRS67Mod",       u"GRS 1967 Modified",                   6378160.0, 6356774.719195},
    {u"gelHughes80",       u"Hughes 1980",                         6378273.0, 6356889.449},
    {u"gelIAG75",          u"IAG 1975",                            6378140.0, 6356755.288158},
    {u"gelInt24AuthSph",   u"International 1924 Authalic Sphere",  6371228.0, 6371228.0},
    {u"gelOSU86F",         u"OSU86F",                              6378136.2, 6356751.516927},
    {u"gelOSU91A",         u"OSU91A",                              6378136.3, 6356751.616592},
    {u"gelPlessis17",      u"Plessis 1817",                        6376523.0, 6355862.933256},
    {u"gelPopVisSphere",   u"Popular Visualisation Sphere",        6378137.0, 6378137.0},
    {u"gelPZ90",           u"PZ-90",                               6378136.0, 6356751.361746},
    {u"gelStruve60",       u"Struve 1860",                         6378298.3, 6356657.14267},
    {u"gelWarOffice",      u"War Office",                          6378300.0, 6356751.689189},
    {u"gelHongKong63",     u"Hong Kong 1963",                      6378235.6, 6356560.13971},
    {u"gelNahrwan29",      u"Nahrwan 1929",                        6378300.782, 6356566.42744},
};
// clang-format on

template <typename T, typename F>
constexpr std::array<T, GeoEllipsoidCount> EllipsoidColumn(F field) {
  std::array<T, GeoEllipsoidCount> column{};
  for (int i = 0; i < GeoEllipsoidCount; ++i) column[i] = field(EllipsoidRows[i]);
  return column;
}

TEllipsoidConsts DeriveConsts(double a, double b) {
  TEllipsoidConsts c;
  c.a = a;
  c.b = b;
  c.e2 = 1 - b * b / (a * a);
  c.k = b / a;
  c.ep2 = (a * a - b * b) / (b * b);
  c.a2b = a * a / b;
  const double n = (a - b) / (a + b), n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n;
  c.alpha = ((a + b) / 2) * (1 + n2 / 4 + n4 / 64);
  c.arc[0] = -3 * n / 2 + 9 * n3 / 16 - 3 * n5 / 32;
  c.arc[1] = 15 * n2 / 16 - 15 * n4 / 32;
  c.arc[2] = -35 * n3 / 48 + 105 * n5 / 256;
  c.arc[3] = 315 * n4 / 512;
  c.foot[0] = 3 * n / 2 - 27 * n3 / 32 + 269 * n5 / 512;
  c.foot[1] = 21 * n2 / 16 - 55 * n4 / 32;
  c.foot[2] = 151 * n3 / 96 - 417 * n5 / 128;
  c.foot[3] = 1097 * n4 / 512;
  const double e = std::sqrt(std::fabs(1 - (b / a) * (b / a)));
  c.upsE = e;
  c.upsOneMinusE2 = 1 - e * e;
  const double polar = std::sqrt(1 - e * e) * std::exp(e * std::atanh(e));
  c.upsRho = a * 0.994 * 2 / polar;
  c.upsQ = polar / (a * 0.994);
  return c;
}

// The unit's messages.
constexpr const char* MsgInvalidRecipFlat = "invalid reciprocal flattening";
constexpr const char* MsgInvalidEcc = "invalid eccentricity";

}  // namespace

// Constant-initialized, so other units may read the tables during their own start-up.
constinit const std::array<std::u16string_view, GeoEllipsoidCount> GeoEllipsoidId =
    EllipsoidColumn<std::u16string_view>([](const TEllipsoidRow& r) { return r.Id; });
constinit const std::array<std::u16string_view, GeoEllipsoidCount> GeoEllipsoidName =
    EllipsoidColumn<std::u16string_view>([](const TEllipsoidRow& r) { return r.Name; });
constinit const std::array<TGeoEllAxes, GeoEllipsoidCount> GeoEllipsoidData =
    EllipsoidColumn<TGeoEllAxes>([](const TEllipsoidRow& r) { return TGeoEllAxes{r.a, r.b}; });

namespace map_detail {

const TEllipsoidConsts& EllipsoidConsts(TGeoEllipsoid Ellipsoid) {
  // Row GeoEllipsoidCount holds NaNs for an ordinal outside the table.
  static const std::array<TEllipsoidConsts, GeoEllipsoidCount + 1> table = [] {
    std::array<TEllipsoidConsts, GeoEllipsoidCount + 1> t;
    for (int i = 0; i < GeoEllipsoidCount; ++i) t[i] = DeriveConsts(EllipsoidRows[i].a, EllipsoidRows[i].b);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    t[GeoEllipsoidCount] = DeriveConsts(nan, nan);
    return t;
  }();
  return table[Ellipsoid < GeoEllipsoidCount ? Ellipsoid : GeoEllipsoidCount];
}

}  // namespace map_detail

// [SECTION] ellipsoid parameters

double EllipsoidMinAxFlat(double SemiMajor, double RecipFlat) {
  if (RecipFlat < 0) throw EQeltaGeoBasicsError(MsgInvalidRecipFlat);
  if (RecipFlat == 0) return SemiMajor;
  return (1 - 1 / RecipFlat) * SemiMajor;
}

double EllipsoidMinAxEcc(double SemiMajor, double EccSquared) {
  if (EccSquared < 0) throw EQeltaGeoBasicsError(MsgInvalidEcc);
  // A squared eccentricity above 1 has no real minor axis; raised here rather than left to a NaN.
  if (EccSquared > 1) throw EMathError("EllipsoidMinAxEcc: square root of a negative number");
  return SemiMajor * std::sqrt(1 - EccSquared);
}

double GeoEllEccSquared(TGeoEllipsoid Ellipsoid) { return map_detail::EllipsoidConsts(Ellipsoid).e2; }

double GeoEllEccSquared(double Axis1, double Axis2) {
  if (Axis1 > Axis2) return 1 - Axis2 * Axis2 / (Axis1 * Axis1);
  return 1 - Axis1 * Axis1 / (Axis2 * Axis2);
}

double GeoEllEccSquared(double RecipFlat) {
  if (RecipFlat == 0) return 0;
  const double f = 1 / RecipFlat;
  return 2 * f - f * f;
}

double RecipFlattening(TGeoEllipsoid Ellipsoid) {
  const TEllipsoidConsts& c = map_detail::EllipsoidConsts(Ellipsoid);
  return RecipFlattening(c.a, c.b);
}

double RecipFlattening(double SemiMajor, double SemiMinor) {
  if (SemiMinor == SemiMajor) return 0;
  return 1 / (1 - SemiMinor / SemiMajor);
}

double RecipFlattening(double EccSquared) {
  if (EccSquared < 0 || EccSquared > 1) throw EQeltaGeoBasicsError(MsgInvalidEcc);
  if (EccSquared == 0) return 0;
  return 1 / (1 - std::sqrt(1 - EccSquared));
}

// [SECTION] geocentric coordinates

void GeoToCartesian(double Latitude, double Longitude, double Height, TGeoEllipsoid Ellipsoid, double& X, double& Y,
                    double& Z) {
  const TEllipsoidConsts& c = map_detail::EllipsoidConsts(Ellipsoid);
  const double phi = GeoDegToRad(Latitude), lambda = GeoDegToRad(Longitude);
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
  const double N = c.a / std::sqrt(1 - c.e2 * sinPhi * sinPhi);
  X = (N + Height) * cosPhi * std::cos(lambda);
  Y = (N + Height) * cosPhi * std::sin(lambda);
  Z = (N * (1 - c.e2) + Height) * sinPhi;
}

void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid, double& Latitude, double& Longitude,
                    double& Height) {
  const TEllipsoidConsts& c = map_detail::EllipsoidConsts(Ellipsoid);
  const double p = std::sqrt(X * X + Y * Y);
  if (p == 0) {
    Latitude = Z < 0 ? -90 : 90;
    Longitude = 0;
    Height = std::fabs(Z) - c.b;
    return;
  }
  const double r = std::sqrt(p * p + Z * Z);
  const double w = Z * (c.k + c.e2 * c.a / r);
  const double hu = std::sqrt(p * p + w * w);
  const double sinU = w / hu, cosU = p / hu;
  double num = Z * c.k + c.e2 * c.a * sinU * sinU * sinU;
  double den = c.k * (p - c.e2 * c.a * cosU * cosU * cosU);
  if (std::signbit(den)) {
    num = -num;
    den = -den;
  }
  const double hp = std::sqrt(num * num + den * den);
  const double sinPhi = num / hp, cosPhi = den / hp;
  Latitude = GeoRadToDeg(std::atan(num / den));
  Longitude = GeoRadToDeg(std::atan2(Y, X));
  Height = p * cosPhi + Z * sinPhi - c.a * std::sqrt(1 - c.e2 * sinPhi * sinPhi);
}

// [SECTION] Helmert datum shift

namespace {

// Position-vector rotation by (rx, ry, rz) radians, scale m, then the translation t.
void ShiftForward(double m, double rx, double ry, double rz, const double t[3], double& X, double& Y, double& Z) {
  const double x = X, y = Y, z = Z;
  X = m * (x - y * rz + z * ry) + t[0];
  Y = m * (x * rz + y - z * rx) + t[1];
  Z = m * (-x * ry + y * rx + z) + t[2];
}

double ArcSecToRad(double seconds) { return static_cast<double>(Extended(seconds) * GeoPi / 180 / 3600); }

bool IsDatumNumber(int datum) { return datum >= 1 && datum <= GeoDatumCount; }

}  // namespace

int HelmertTransform(int SourceDatum, double Latitude, double Longitude, double Height, int TargetDatum, double& LatOut,
                     double& LongOut, double& HeightOut) {
  // Each later failing check replaces the status; the negated comparisons let NaN fail them.
  int status = 0;
  if (!IsDatumNumber(SourceDatum)) status = -1;
  if (!IsDatumNumber(TargetDatum)) status = -2;
  if (!(Latitude >= -90 && Latitude <= 90)) status = -3;
  if (!(Longitude >= -180 && Longitude <= 180)) status = -4;
  if (!IsDatumNumber(SourceDatum) || !IsDatumNumber(TargetDatum)) {
    // No row to shift with: the point is handed back unchanged.
    LatOut = Latitude;
    LongOut = Longitude;
    HeightOut = Height;
    return status;
  }
  const map_detail::TGeoDatum& src = map_detail::GeoDatumData[SourceDatum - 1];
  const map_detail::TGeoDatum& dst = map_detail::GeoDatumData[TargetDatum - 1];
  double X = 0, Y = 0, Z = 0;
  GeoToCartesian(Latitude, Longitude, Height, src.Ellipsoid, X, Y, Z);
  const double srcT[3] = {src.dX, src.dY, src.dZ};
  ShiftForward(1 + src.dS * 1e-6, ArcSecToRad(src.rX), ArcSecToRad(src.rY), ArcSecToRad(src.rZ), srcT, X, Y, Z);
  const double dstT[3] = {-dst.dX, -dst.dY, -dst.dZ};
  ShiftForward(1 - dst.dS * 1e-6, -ArcSecToRad(dst.rX), -ArcSecToRad(dst.rY), -ArcSecToRad(dst.rZ), dstT, X, Y, Z);
  CartesianToGeo(X, Y, Z, dst.Ellipsoid, LatOut, LongOut, HeightOut);
  return status;
}

}  // namespace qelta
