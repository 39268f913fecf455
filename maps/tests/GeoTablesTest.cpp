// Qelta_geobasics: the ellipsoid, datum and country tables. That the compiled datum and country
// tables are what maps/tools/gen_geotables.py makes of maps/data is the ctest maps_geotables_current.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "Assertions.h"
#include "Qelta_geobasics.h"

using namespace qelta;
using map_detail::GeoDatumData;
using map_detail::TGeoDatum;

namespace {

const TGeoDatum& Datum(int no) { return GeoDatumData.at(no - 1); }

bool IsLowerAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

}  // namespace

TEST(GeoTables, EllipsoidIdsNameTheirEnumerators) {
  EXPECT_EQ(GeoEllipsoidId[gelWGS84], u"gelWGS84");
  EXPECT_EQ(GeoEllipsoidId[gelSphere], u"gelSphere");
  EXPECT_EQ(GeoEllipsoidId[gelClrk80intfoot], u"gelClrk80intfoot");
  EXPECT_EQ(GeoEllipsoidId[gelNahrwan29], u"gelNahrwan29");
  EXPECT_EQ(GeoEllipsoidName[gelWGS84], u"WGS 1984");
  EXPECT_EQ(GeoEllipsoidName[gelEver30Ind], u"Everest 1830 (India 1937 adj.)");
  EXPECT_EQ(GeoEllipsoidName[gelPopVisSphere], u"Popular Visualisation Sphere");
  EXPECT_EQ(GeoEllipsoidCount, 61);
  std::set<std::u16string_view> ids(GeoEllipsoidId.begin(), GeoEllipsoidId.end());
  EXPECT_EQ(ids.size(), 61u);
  for (int e = 0; e < GeoEllipsoidCount; ++e) {
    EXPECT_EQ(GeoEllipsoidId[e].substr(0, 3), u"gel") << e;
    EXPECT_FALSE(GeoEllipsoidName[e].empty()) << e;
  }
}

TEST(GeoTables, EllipsoidAxes) {
  EXPECT_EQ(GeoEllipsoidData[gelWGS84].a, 6378137.0);
  EXPECT_EQ(GeoEllipsoidData[gelWGS84].b, 6356752.314245);
  EXPECT_EQ(GeoEllipsoidData[gelClrk80RGS].b, 6356514.86955);
  EXPECT_EQ(GeoEllipsoidData[gelInt24AuthSph].a, 6371228.0);
  EXPECT_EQ(GeoEllipsoidData[gelNahrwan29].b, 6356566.42744);
  int spheres = 0;
  for (int e = 0; e < GeoEllipsoidCount; ++e) {
    const TGeoEllAxes& ax = GeoEllipsoidData[e];
    EXPECT_GE(ax.a, ax.b) << e;
    EXPECT_GT(ax.b, 6.35e6) << e;
    EXPECT_LT(ax.a, 6.38e6) << e;
    spheres += ax.a == ax.b;
  }
  EXPECT_EQ(spheres, 4);
}

TEST(GeoTables, DatumReferenceRowsEqualTheTable) {
  struct Row {
    int no;
    const char* name;
    const char* region;
    TGeoEllipsoid ell;
    double dX, dY, dZ, dS, rX, rY, rZ;
  };
  const Row rows[] = {
      {1, "ACCRA", "Ghana", gelWarOffice, -199.0, 32.0, 322.0, 0, 0, 0, 0},
      {13, "RD, AMERSFOORT", "Netherlands", gelBess41, 565.0, 49.9, 465.8, 4.08, -0.409, 0.36, -1.869},
      {15, "ARC 1950", "Southern Africa", gelClrk80, -143.0, -90.0, -294.0, 0, 0, 0, 0},
      {183, "ORDNANCE GB 1936", "GB - Great Britain", gelAiry30, 446.448, -125.157, 542.06, -20.49, 0.15, 0.247,
       0.8421},
      {217, "DHDN (RAUENBERG),", "Germany", gelBess41, 582.0, 105.0, 414.0, 8.3, 1.04, 0.35, -3.08},
      {268, "WORLD GEODETIC SYSTEM 1972", "World", gelWGS72, 0.0, 0.0, 4.5, 0.219, 0, 0, 0.554},
      {269, "WORLD GEODETIC SYSTEM 1984", "World", gelWGS84, 0, 0, 0, 0, 0, 0, 0},
      {271, "ZANDERIJ", "Suriname", gelInt24, -265.0, 120.0, -358.0, 0, 0, 0, 0},
  };
  for (const Row& r : rows) {
    const TGeoDatum& d = Datum(r.no);
    EXPECT_EQ(d.Name, r.name) << r.no;
    EXPECT_EQ(d.Region, r.region) << r.no;
    EXPECT_EQ(d.Ellipsoid, r.ell) << r.no;
    const double got[7] = {d.dX, d.dY, d.dZ, d.dS, d.rX, d.rY, d.rZ};
    const double want[7] = {r.dX, r.dY, r.dZ, r.dS, r.rX, r.rY, r.rZ};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(got[i], want[i]) << r.no << " parameter " << i;
  }
}

TEST(GeoTables, DatumNamesAndRegionsAreByteExact) {
  struct Row {
    int no;
    const char* name;
    const char* region;
  };
  const Row rows[] = {
      {4, "ADINDAN", "Ethiopa"},
      {37, "BERNE (1898),", "Switzerland"},
      {67, "EUROPEAN DATUM 1950", "Spain (except NW),"},
      {111, "IRAQ-KUWAIT BOUNDARY 1992", "Iraq/ Kuwait"},
      {118, "1 INDIAN 1975", "Thailand"},
      {123, "KANDAWALA JACKSON?", "Sri Lanka"},
      {132, "LISBON (Castelo di Sao Jorge), D7", "Portugal"},
      {146, "M'PORALOKO", "Gabon"},
      {160, "NORTH AMERICAN 1927", "Canada-Alberta/British Columbia"},
      {184, "OLD HAWAI'IAN", "US - Hawaii Mean"},
      {197, "PICO DE LAS NIEVES.", "Spain - Canary Islands"},
      {213, "PUERTO RICO & Virgin Is.", "Puerto Rico & Virgin Islands"},
      {217, "DHDN (RAUENBERG),", "Germany"},
      {259, "TIMBALAI 1968,Adj of 1948", "Malaysia E & Brunei"},
      {270, "YACARE ", "Uruguay"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Datum(r.no).Name, r.name) << r.no;
    EXPECT_EQ(Datum(r.no).Region, r.region) << r.no;
  }
}

TEST(GeoTables, DatumRowsAreWellFormed) {
  EXPECT_EQ(GeoDatumData.size(), 271u);
  int translationOnly = 0;
  for (int no = 1; no <= GeoDatumCount; ++no) {
    const TGeoDatum& d = Datum(no);
    EXPECT_LT(int(d.Ellipsoid), GeoEllipsoidCount) << no;
    EXPECT_FALSE(d.Name.empty()) << no;
    EXPECT_LE(d.Name.size(), 33u) << no;
    EXPECT_LE(d.Region.size(), 35u) << no;
    EXPECT_LT(std::fabs(d.dX) + std::fabs(d.dY) + std::fabs(d.dZ), 4000) << no;
    translationOnly += d.dS == 0 && d.rX == 0 && d.rY == 0 && d.rZ == 0;
  }
  // The data has 212 translation-only rows (the row count once stated as 213 does not hold for it).
  EXPECT_EQ(translationOnly, 212);
}

TEST(GeoTables, CountryReferenceRowsEqualTheTable) {
  struct Row {
    int ix;
    TCountryData c;
  };
  const Row rows[] = {
      {0, {"Afghanistan", "af", "af", "afg", 33.0, 65.0, "Kabul", 34.5309, 69.1368, 1807}},
      {79, {"Germany", "gm", "de", "deu", 51.0, 9.0, "Berlin", 52.5163, 13.3276, 34}},
      {147, {"Netherlands", "nl", "nl", "nld", 52.5, 5.75, "Amsterdam", 52.373, 4.8948, -1}},
  };
  for (const Row& r : rows) {
    const TCountryData& c = CountryData.at(r.ix);
    EXPECT_EQ(c.Name, r.c.Name);
    EXPECT_EQ(c.Fips10, r.c.Fips10);
    EXPECT_EQ(c.ISO3166_2, r.c.ISO3166_2);
    EXPECT_EQ(c.ISO3166_3, r.c.ISO3166_3);
    EXPECT_EQ(c.CLat, r.c.CLat);
    EXPECT_EQ(c.CLong, r.c.CLong);
    EXPECT_EQ(c.Capital, r.c.Capital);
    EXPECT_EQ(c.CapLat, r.c.CapLat);
    EXPECT_EQ(c.CapLong, r.c.CapLong);
    EXPECT_EQ(c.CapAlt, r.c.CapAlt);
  }
}

TEST(GeoTables, CountriesInOrderWithLowerCaseCodes) {
  EXPECT_EQ(CountryData.size(), 231u);
  EXPECT_EQ(CountryData.front().Name, "Afghanistan");
  EXPECT_EQ(CountryData.back().Name, "Zimbabwe");
  for (int i = 0; i < CountryCount; ++i) {
    const TCountryData& c = CountryData[i];
    if (i > 0) {
      EXPECT_LT(CountryData[i - 1].Name, c.Name) << i;
    }
    EXPECT_LE(c.Name.size(), 40u);
    EXPECT_LE(c.Capital.size(), 31u);
    EXPECT_EQ(c.Fips10.size(), 2u) << c.Name;
    EXPECT_EQ(c.ISO3166_2.size(), 2u) << c.Name;
    EXPECT_EQ(c.ISO3166_3.size(), 3u) << c.Name;
    EXPECT_TRUE(IsLowerAscii(c.Fips10) && IsLowerAscii(c.ISO3166_2) && IsLowerAscii(c.ISO3166_3)) << c.Name;
    EXPECT_LE(std::fabs(c.CLat), 90) << c.Name;
    EXPECT_LE(std::fabs(c.CapLong), 180) << c.Name;
  }
}

TEST(GeoTables, MissingCountryValuesAreEmptyAndZero) {
  auto find = [](std::string_view name) -> const TCountryData& {
    return *std::find_if(CountryData.begin(), CountryData.end(), [&](const TCountryData& c) { return c.Name == name; });
  };
  for (const char* name : {"Antarctica", "Nauru", "Western Sahara"}) {
    const TCountryData& c = find(name);
    EXPECT_TRUE(c.Capital.empty()) << name;
    EXPECT_EQ(c.CapLat, 0) << name;
    EXPECT_EQ(c.CapLong, 0) << name;
    EXPECT_EQ(c.CapAlt, 0) << name;
  }
  for (const char* name : {"Netherlands Antilles", "Serbia and Montenegro"}) {
    EXPECT_EQ(find(name).CLat, 0) << name;
    EXPECT_EQ(find(name).CLong, 0) << name;
    EXPECT_FALSE(find(name).Capital.empty()) << name;
  }
  EXPECT_EQ(find("Fiji").CapAlt, 0);
  EXPECT_EQ(find("Monaco").CapAlt, 0);
  EXPECT_EQ(find("Burma;Myanmar").ISO3166_3, "mmr");
  EXPECT_EQ(find("Falkland Islands; Malvinas").Name, "Falkland Islands; Malvinas");
}
