// PNG reading against files made here with libpng's own writer: every colour type, bit depth and
// interlace method, with and without tRNS and gAMA. The expected pixels are computed from the
// samples written, independently of the reader: 8-bit samples as stored, 16-bit ones rounded to
// v * 255 / 65535, grey below 8 bits scaled by 255 / (2^depth - 1), palette entries looked up.

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Graphics.h"

using namespace qelta;

namespace {

constexpr int kW = 13, kH = 11;  // odd sizes give every Adam7 pass a partial block

// What one fixture writes.
struct PngSpec {
  const char* Name;
  int ColorType;
  int Depth;
  bool Interlaced = false;
  bool Trns = false;   // a tRNS chunk (grey or RGB: one sample value; palette: per-entry alpha)
  bool Gamma = false;  // a gAMA chunk of 1.0 (linear samples, far from sRGB)
};

int Channels(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: case PNG_COLOR_TYPE_PALETTE: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    default: return 4;
  }
}

// Sample c of pixel (x, y): the extremes, the values next to a rounding tie of 16 -> 8 bits
// (v * 255 / 65535 = k + 1/2 has no integer solution, but 128 and 32896 +- 1 sit at its edges), and
// a spread of others.
uint32_t Sample(int x, int y, int c, int depth) {
  const uint32_t max = (1u << depth) - 1;
  static const uint32_t k16[] = {0, 65535, 128, 129, 127, 32767, 32768, 32895, 32896, 32897, 257, 1000, 65280};
  const int i = (x * 7 + y * 3 + c * 5) % 13;
  if (depth == 16) return k16[i];
  return static_cast<uint32_t>((i * 37 + x + c) % (max + 1));
}

uint8_t To8(uint32_t v, int depth) {
  if (depth == 16) return static_cast<uint8_t>((v * 255 + 32767) / 65535);
  return static_cast<uint8_t>(v * 255 / ((1u << depth) - 1));
}

// The palette: entry i is (i * 17, 255 - i * 5, i * 3) with alpha 255 - i * 9 under tRNS.
png_color PaletteEntry(int i) {
  return {static_cast<png_byte>(i * 17), static_cast<png_byte>(255 - i * 5), static_cast<png_byte>(i * 3)};
}

// The grey or RGB value the tRNS chunk marks transparent: the sample of pixel (0, 0).
png_color_16 TrnsColor(int depth) {
  png_color_16 c{};
  c.gray = static_cast<png_uint_16>(Sample(0, 0, 0, depth));
  c.red = static_cast<png_uint_16>(Sample(0, 0, 0, depth));
  c.green = static_cast<png_uint_16>(Sample(0, 0, 1, depth));
  c.blue = static_cast<png_uint_16>(Sample(0, 0, 2, depth));
  return c;
}

extern "C" void AppendBytes(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
extern "C" void FlushNothing(png_structp) {}

// The file, written by libpng from the samples above.
std::vector<uint8_t> WritePng(const PngSpec& s) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendBytes, FlushNothing);
  png_set_IHDR(png, info, kW, kH, s.Depth, s.ColorType, s.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  const int entries = 1 << std::min(s.Depth, 8);
  std::vector<png_color> palette;
  std::vector<png_byte> alphas;
  for (int i = 0; i < entries; ++i) {
    palette.push_back(PaletteEntry(i));
    alphas.push_back(static_cast<png_byte>(255 - i * 9 % 256));
  }
  if (s.ColorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette.data(), entries);
  png_color_16 trns = TrnsColor(s.Depth);
  if (s.Trns)
    png_set_tRNS(png, info, s.ColorType == PNG_COLOR_TYPE_PALETTE ? alphas.data() : nullptr,
                 s.ColorType == PNG_COLOR_TYPE_PALETTE ? entries : 0, &trns);
  if (s.Gamma) png_set_gAMA_fixed(png, info, 100000);
  png_write_info(png, info);
  const int ch = Channels(s.ColorType), bits = ch * s.Depth;
  std::vector<std::vector<png_byte>> rows(kH, std::vector<png_byte>((kW * bits + 7) / 8));
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      for (int c = 0; c < ch; ++c) {
        const uint32_t v = Sample(x, y, c, s.Depth);
        const int bit = (x * ch + c) * s.Depth;  // most significant bits first, 16-bit big-endian
        if (s.Depth == 16) {
          rows[y][bit / 8] = static_cast<png_byte>(v >> 8);
          rows[y][bit / 8 + 1] = static_cast<png_byte>(v);
        } else {
          rows[y][bit / 8] |= static_cast<png_byte>(v << (8 - s.Depth - bit % 8));
        }
      }
  std::vector<png_bytep> pointers;
  for (auto& r : rows) pointers.push_back(r.data());
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// The pixel (x, y) the reader must give, as 0xAARRGGBB.
uint32_t Expected(const PngSpec& s, int x, int y) {
  uint32_t r = 0, g = 0, b = 0, a = 255;
  auto at = [&](int c) { return Sample(x, y, c, s.Depth); };
  switch (s.ColorType) {
    case PNG_COLOR_TYPE_PALETTE: {
      const png_color e = PaletteEntry(static_cast<int>(at(0)));
      r = e.red, g = e.green, b = e.blue;
      if (s.Trns) a = static_cast<png_byte>(255 - static_cast<int>(at(0)) * 9 % 256);
      break;
    }
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      r = g = b = To8(at(0), s.Depth);
      if (s.ColorType == PNG_COLOR_TYPE_GRAY_ALPHA) a = To8(at(1), s.Depth);
      if (s.Trns && at(0) == TrnsColor(s.Depth).gray) a = 0;
      break;
    default:
      r = To8(at(0), s.Depth), g = To8(at(1), s.Depth), b = To8(at(2), s.Depth);
      if (s.ColorType == PNG_COLOR_TYPE_RGB_ALPHA) a = To8(at(3), s.Depth);
      if (s.Trns && at(0) == TrnsColor(s.Depth).red && at(1) == TrnsColor(s.Depth).green &&
          at(2) == TrnsColor(s.Depth).blue)
        a = 0;
  }
  return a << 24 | r << 16 | g << 8 | b;
}

bool HasAlpha(const PngSpec& s) { return (s.ColorType & PNG_COLOR_MASK_ALPHA) != 0 || s.Trns; }

std::vector<PngSpec> Specs() {
  std::vector<PngSpec> specs;
  const struct {
    const char* name;
    int type;
    std::vector<int> depths;
  } kinds[] = {{"grey", PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
               {"grey+alpha", PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
               {"rgb", PNG_COLOR_TYPE_RGB, {8, 16}},
               {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}},
               {"palette", PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}}};
  for (const auto& k : kinds)
    for (int depth : k.depths)
      for (bool interlaced : {false, true}) {
        specs.push_back({k.name, k.type, depth, interlaced, false, false});
        if (!(k.type & PNG_COLOR_MASK_ALPHA)) specs.push_back({k.name, k.type, depth, interlaced, true, false});
        specs.push_back({k.name, k.type, depth, interlaced, false, true});
      }
  return specs;
}

}  // namespace

// Regression: the simplified reader took 16-bit grey and RGB samples as linear light and converted
// them (values came back far off), read 16-bit interlaced files with corrupted rows, and let a gAMA
// chunk change 8-bit samples. Every stored sample now comes back as stored.
TEST(TPngCodec, ReadsTheStoredSamplesOfEveryColourTypeDepthAndInterlace) {
  for (const PngSpec& s : Specs()) {
    SCOPED_TRACE(std::string(s.Name) + " depth " + std::to_string(s.Depth) + (s.Interlaced ? " Adam7" : "") +
                 (s.Trns ? " tRNS" : "") + (s.Gamma ? " gAMA" : ""));
    const std::vector<uint8_t> file = WritePng(s);
    const platform_detail::RawImage img = platform_detail::DecodePng(file);
    ASSERT_EQ(img.Width, kW);
    ASSERT_EQ(img.Height, kH);
    EXPECT_EQ(img.HasAlpha, HasAlpha(s));
    EXPECT_EQ(img.Bits, HasAlpha(s) ? 32 : 24);
    int wrong = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (img.Pixels[static_cast<size_t>(y * kW + x)] != Expected(s, x, y) && ++wrong <= 3)
          ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << img.Pixels[static_cast<size_t>(y * kW + x)]
                        << " instead of " << Expected(s, x, y);
    EXPECT_EQ(wrong, 0);
  }
}

// A bitmap loaded from a PNG keeps alpha as stored, not premultiplied, and its format says so.
TEST(TPngCodec, BitmapKeepsUnpremultipliedAlpha) {
  const PngSpec s{"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, false};
  TBitmap b;
  b.LoadFromBytes(WritePng(s));
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(b.ScanLine(y)[x], Expected(s, x, y)) << x << ", " << y;
}
