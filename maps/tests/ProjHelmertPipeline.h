#pragma once
// The datum shift source -> target of Qelta_geobasics written as a PROJ pipeline, for the reference
// test and the benchmark: the source row, then the target row negated, both as Helmert steps in the
// position-vector convention (PROJ's default, first-order rotation matrix), between the two
// ellipsoids' geocentric coordinates. Input and output are longitude, latitude in degrees and height.

#include <sstream>
#include <string>

#include "Qelta_geobasics.h"

inline std::string ProjHelmertPipeline(int source, int target) {
  const qelta::map_detail::TGeoDatum& s = qelta::map_detail::GeoDatumData[source - 1];
  const qelta::map_detail::TGeoDatum& t = qelta::map_detail::GeoDatumData[target - 1];
  std::ostringstream p;
  p.precision(17);
  auto ellipsoid = [&](qelta::TGeoEllipsoid e) {
    p << " +a=" << qelta::GeoEllipsoidData[e].a << " +b=" << qelta::GeoEllipsoidData[e].b;
  };
  auto helmert = [&](const qelta::map_detail::TGeoDatum& d, double sign) {
    p << " +step +proj=helmert +convention=position_vector +x=" << sign * d.dX << " +y=" << sign * d.dY
      << " +z=" << sign * d.dZ << " +s=" << sign * d.dS << " +rx=" << sign * d.rX << " +ry=" << sign * d.rY
      << " +rz=" << sign * d.rZ;
  };
  p << "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=cart";
  ellipsoid(s.Ellipsoid);
  helmert(s, 1);
  helmert(t, -1);
  p << " +step +inv +proj=cart";
  ellipsoid(t.Ellipsoid);
  p << " +step +proj=unitconvert +xy_in=rad +xy_out=deg";
  return p.str();
}
