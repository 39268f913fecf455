#pragma once
// Not part of the public interface: the picture sheets of the on/off button styles, by resource name
// and size (width x height in pixels). Shared by the unit, which loads them by name, and by the
// generator in resources/, which draws them; the order is that of TOnOffButStyle after oobsUser.
// A sheet holds four pictures in a 2 x 2 grid: on left, off right, enabled top, disabled bottom;
// pixels of the colour $EBBEEB are transparent.

namespace qelta::ctl_detail {

struct TOnOffSheet {
  const char16_t* Name;
  int Width, Height;
};

inline constexpr TOnOffSheet kOnOffSheets[] = {
    {u"CHECKBOX", 32, 32},   {u"RADIOBUT", 28, 28},   {u"SLIDETOPBOT", 36, 60}, {u"SLIDELFTRGT", 60, 36},
    {u"COLSLIDETB", 36, 60}, {u"COLSLIDELR", 60, 36}, {u"LEDREDGREEN", 28, 28}, {u"ARROWTR", 50, 50},
    {u"ARROWUD", 50, 50},    {u"ARROWLR", 50, 50},    {u"TRAFFICLGT", 62, 62},  {u"BEVELEDLED", 34, 34},
    {u"SMILEYS", 36, 36},    {u"SMILEYRG", 36, 36},   {u"BULB", 78, 98},        {u"BUTLAMP", 98, 48},
    {u"HDLEFT", 96, 32},     {u"HDRIGHT", 96, 32},    {u"USER1", 48, 48},       {u"USER2", 48, 48},
    {u"USER3", 48, 48},      {u"USER4", 48, 48},      {u"USER5", 48, 48},
};

/// The transparent colour of the sheets ($00BBGGRR; symmetric, so the same as $RRGGBB).
inline constexpr int kOnOffTransparent = 0xEBBEEB;

}  // namespace qelta::ctl_detail
