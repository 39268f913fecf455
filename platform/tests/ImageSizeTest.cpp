// The size an image's header declares, read without decoding (TBitmap::DeclaredSize,
// TJPEGImage::DeclaredSize), and the memory the decoders take: one copy of the decoded pixels.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Graphics.h"
#include "HeapPeak.h"

using namespace qelta;
using platform_detail::RawImage;

namespace {

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int k = 0; k < 4; ++k) b.push_back(uint8_t(v >> (8 * k)));
}

// An 8-bit RLE bitmap of w x h pixels: in every row one run of 255 pixels of colour 1, then the end of
// the row (the rest keeps colour 0). Four bytes a row, however wide.
std::vector<uint8_t> StripesRle8(int w, int h) {
  std::vector<uint8_t> data;
  for (int y = 0; y < h; ++y) data.insert(data.end(), {0xFF, 0x01, 0x00, 0x00});
  data.insert(data.end(), {0x00, 0x01});
  std::vector<uint8_t> b = {'B', 'M'};
  const uint32_t offset = 14 + 40 + 8;
  for (uint32_t v : {offset + uint32_t(data.size()), 0u, offset, 40u, uint32_t(w), uint32_t(h)}) Put32(b, v);
  b.insert(b.end(), {1, 0, 8, 0});  // planes, bits
  for (uint32_t v : {1u, uint32_t(data.size()), 3780u, 3780u, 2u, 0u}) Put32(b, v);  // RLE8, two colours
  for (uint32_t v : {0x00FFFFFFu, 0x00204080u}) Put32(b, v);
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

RawImage White(int w, int h) { return {w, h, std::vector<uint32_t>(size_t(w) * h, 0xFFFFFFFFu), false, 24}; }

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(TBitmap, DeclaredSizeIsTheSizeTheDecoderGives) {
  RawImage small = White(7, 5);
  small.Pixels[3] = 0x80112233u;
  std::vector<uint8_t> topDown = platform_detail::EncodeBmp(small, 24);  // the height made -5
  for (int k = 0; k < 4; ++k) topDown[22 + k] = uint8_t(uint32_t(-5) >> (8 * k));
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    bool jpeg;
  } cases[] = {
      {"BMP 24 bits", platform_detail::EncodeBmp(small, 24), false},
      {"BMP 4 bits", platform_detail::EncodeBmp(small, 4), false},
      {"BMP top-down", topDown, false},
      {"BMP RLE8", StripesRle8(300, 9), false},
      {"PNG", platform_detail::EncodePng(small, false), false},
      {"PNG with alpha", platform_detail::EncodePng(small, true), false},
      {"JPEG", platform_detail::EncodeJpeg(small, 80), true},
  };
  for (const auto& c : cases) {
    TBitmap decoded;
    decoded.LoadFromBytes(c.bytes);
    EXPECT_EQ(TBitmap::DeclaredSize(c.bytes), (TImageSize{decoded.Width(), decoded.Height()})) << c.name;
    EXPECT_EQ(TJPEGImage::DeclaredSize(c.bytes), c.jpeg ? TBitmap::DeclaredSize(c.bytes) : std::nullopt) << c.name;
  }
}

TEST(TBitmap, DeclaredSizeRefusesTheHeadersTheDecoderRefuses) {
  const std::vector<uint8_t> png = platform_detail::EncodePng(White(16, 16), false);
  const std::vector<uint8_t> jpeg = platform_detail::EncodeJpeg(White(16, 16), 80);
  std::vector<uint8_t> hugeJpeg = jpeg;  // a few hundred bytes claiming 16383 x 16384 pixels
  const size_t sof = std::string(jpeg.begin(), jpeg.end()).find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  hugeJpeg[sof + 5] = 0x3F, hugeJpeg[sof + 6] = 0xFF, hugeJpeg[sof + 7] = 0x40, hugeJpeg[sof + 8] = 0x00;
  std::vector<uint8_t> shortBmp = platform_detail::EncodeBmp(White(40, 40), 24);
  shortBmp.resize(shortBmp.size() / 2);  // half the rows its header needs
  std::vector<uint8_t> hugeRle = StripesRle8(4, 9);
  hugeRle[18] = 0x00, hugeRle[19] = 0x00, hugeRle[20] = 0x01;  // 65536 pixels wide on 38 bytes of data
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"unknown", Bytes("GIF89a")},
      {"BMP signature only", Bytes("BM")},
      {"BMP short of its rows", shortBmp},
      {"RLE8 wider than its data", hugeRle},
      {"PNG cut in its header", std::vector<uint8_t>(png.begin(), png.begin() + 20)},
      {"JPEG start only", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 4)},
      {"JPEG larger than its data", hugeJpeg},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TBitmap::DeclaredSize(c.bytes), std::nullopt) << c.name;
    EXPECT_EQ(TJPEGImage::DeclaredSize(c.bytes), std::nullopt) << c.name;
    TBitmap b;
    EXPECT_THROW(b.LoadFromBytes(c.bytes), EInvalidGraphic) << c.name;
  }
}

TEST(TBitmap, DeclaredSizeTakesNoMemoryForThePixels) {
  constexpr int kSide = 1024;  // 4 MiB decoded
  const std::vector<uint8_t> files[] = {platform_detail::EncodePng(White(kSide, kSide), false),
                                        platform_detail::EncodeJpeg(White(kSide, kSide), 80),
                                        StripesRle8(kSide, kSide)};
  for (const auto& bytes : files) {
    std::optional<TImageSize> size;
    const int64_t peak = test::HeapPeakOf([&] { size = TBitmap::DeclaredSize(bytes); });
    EXPECT_EQ(size, (TImageSize{kSide, kSide}));
    EXPECT_LT(peak, 256 << 10) << bytes[1];
  }
}

// A JPEG image decoded into a bitmap of its own and copied that into its picture: three decoded copies
// at once where one is needed.
TEST(TJPEGImage, LoadingHoldsOneDecodedCopy) {
  constexpr int kSide = 1024;
  constexpr int64_t kOneCopy = int64_t{4} * kSide * kSide;
  const std::vector<uint8_t> bytes = platform_detail::EncodeJpeg(White(kSide, kSide), 80);
  TJPEGImage jpeg;
  const int64_t peak = test::HeapPeakOf([&] { jpeg.LoadFromBytes(bytes); });
  EXPECT_LT(peak, kOneCopy + kOneCopy / 4);
  EXPECT_EQ(jpeg.Width(), kSide);
  EXPECT_EQ(jpeg.Bitmap()->ScanLine(kSide - 1)[kSide - 1], 0xFFFFFFFFu);
  EXPECT_EQ(jpeg.SaveToBytes(), bytes);
}

// The PNG reader kept a table of row pointers, 8 bytes a row: a tall image one pixel wide took three
// times the memory of its pixels.
TEST(TPngCodec, ATallNarrowImageTakesNoMoreThanItsPixels) {
  constexpr int kRows = 1 << 18;  // 1 MiB decoded
  constexpr int64_t kOneCopy = int64_t{4} * kRows;
  RawImage column = White(1, kRows);
  column.Pixels[kRows / 2] = 0xFF102030u;
  const std::vector<uint8_t> bytes = platform_detail::EncodePng(column, false);
  RawImage img;
  const int64_t peak = test::HeapPeakOf([&] { img = platform_detail::DecodePng(bytes); });
  EXPECT_LT(peak, kOneCopy + kOneCopy / 4);
  EXPECT_EQ(img.Pixels, column.Pixels);
}
