// The picture sheets of the on/off button as embedded in qeltactl: sizes, pixels, layout rules, and
// the decoding by libpng's own reader.

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Qelta_onoffbut.h"
#include "Qelta_onoffbut_sheets.h"
#include "Resources.h"

using namespace qelta;

namespace {

constexpr uint32_t kTransparent = uint32_t(ctl_detail::kOnOffTransparent);

std::string Narrow(const char16_t* s) { return std::string(s, s + std::char_traits<char16_t>::length(s)); }

std::unique_ptr<TBitmap> LoadSheet(const char16_t* name) {
  auto b = std::make_unique<TBitmap>();
  b->LoadFromResourceName(ctl_detail::OnOffButResources(), name);
  return b;
}

uint32_t Rgb(const TBitmap& b, int x, int y) { return b.ScanLine(y)[x] & 0xFFFFFFu; }

// FNV-1a over the RGB bytes of the pixels, row by row.
uint32_t PixelHash(const TBitmap& b) {
  uint32_t h = 2166136261u;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      for (int shift : {16, 8, 0}) h = (h ^ ((Rgb(b, x, y) >> shift) & 0xFF)) * 16777619u;
  return h;
}

// The disabled look of an enabled pixel: its grey moved halfway to $C0.
uint32_t Disabled(uint32_t rgb) {
  if (rgb == kTransparent) return rgb;
  const uint32_t grey = (299 * (rgb >> 16 & 0xFF) + 587 * (rgb >> 8 & 0xFF) + 114 * (rgb & 0xFF)) / 1000;
  const uint32_t v = (grey + 0xC0) / 2;
  return v << 16 | v << 8 | v;
}

}  // namespace

// Pins the artwork: a change of a sheet's drawing (or of the canvas under it) shows here and is
// accepted on purpose by updating the hash.
TEST(OnOffSheets, HaveTheirSizesAndPinnedPixels) {
  const struct {
    const char16_t* name;
    int w, h;
    uint32_t hash;
  } sheets[] = {
      {u"CHECKBOX", 32, 32, 4203878477u},    {u"RADIOBUT", 28, 28, 4202010789u},   {u"SLIDETOPBOT", 36, 60, 782501525u},
      {u"SLIDELFTRGT", 60, 36, 3166517941u}, {u"COLSLIDETB", 36, 60, 1017493837u}, {u"COLSLIDELR", 60, 36, 2718621741u},
      {u"LEDREDGREEN", 28, 28, 2495485027u}, {u"ARROWTR", 50, 50, 2826537434u},    {u"ARROWUD", 50, 50, 1864823278u},
      {u"ARROWLR", 50, 50, 3967067374u},     {u"TRAFFICLGT", 62, 62, 1014330215u}, {u"BEVELEDLED", 34, 34, 572836491u},
      {u"SMILEYS", 36, 36, 1208146031u},     {u"SMILEYRG", 36, 36, 543060107u},    {u"BULB", 78, 98, 585388357u},
      {u"BUTLAMP", 98, 48, 2667807261u},     {u"HDLEFT", 96, 32, 1046025856u},     {u"HDRIGHT", 96, 32, 4180696456u},
      {u"USER1", 48, 48, 1206702329u},       {u"USER2", 48, 48, 2707596448u},      {u"USER3", 48, 48, 777936527u},
      {u"USER4", 48, 48, 1151443141u},       {u"USER5", 48, 48, 1443205457u},
  };
  for (const auto& s : sheets) {
    const auto sheet = LoadSheet(s.name);
    const TBitmap& b = *sheet;
    EXPECT_EQ(b.Width(), s.w) << Narrow(s.name);
    EXPECT_EQ(b.Height(), s.h) << Narrow(s.name);
    EXPECT_EQ(PixelHash(b), s.hash) << Narrow(s.name);
  }
}

TEST(OnOffSheets, FollowTheTwoByTwoLayoutOnTheTransparentColour) {
  for (const ctl_detail::TOnOffSheet& s : ctl_detail::kOnOffSheets) {
    const auto sheet = LoadSheet(s.Name);
    const TBitmap& b = *sheet;
    const int gw = b.Width() / 2, gh = b.Height() / 2;
    int mismatches = 0, transparent = 0, onDiffersFromOff = 0;
    for (int y = 0; y < gh; ++y)
      for (int x = 0; x < b.Width(); ++x) {
        mismatches += Rgb(b, x, y + gh) != Disabled(Rgb(b, x, y));
        transparent += Rgb(b, x, y) == kTransparent;
        if (x < gw) onDiffersFromOff += Rgb(b, x, y) != Rgb(b, x + gw, y);
      }
    EXPECT_EQ(mismatches, 0) << Narrow(s.Name) << ": the disabled row is the enabled row made grey";
    EXPECT_GT(transparent, 0) << Narrow(s.Name);
    EXPECT_GT(onDiffersFromOff, 0) << Narrow(s.Name) << ": on and off look alike";
  }
}

TEST(OnOffSheets, DecodeAsLibpngsOwnReaderDoes) {
  for (const ctl_detail::TOnOffSheet& s : ctl_detail::kOnOffSheets) {
    const std::span<const uint8_t> data = FindResourceData(ctl_detail::OnOffButResources(), s.Name);
    ASSERT_FALSE(data.empty()) << Narrow(s.Name);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, data.data(), data.size())) << Narrow(s.Name);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << Narrow(s.Name);
    const auto sheet = LoadSheet(s.Name);
    const TBitmap& b = *sheet;
    ASSERT_EQ(int(image.width), b.Width());
    ASSERT_EQ(int(image.height), b.Height());
    int differing = 0;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        const uint8_t* p = &pixels[(std::size_t(y) * image.width + x) * 3];
        differing += Rgb(b, x, y) != (uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
      }
    EXPECT_EQ(differing, 0) << Narrow(s.Name);
  }
}
