// TBitmap, the BMP/PNG/JPEG codecs, TJPEGImage and TPicture.

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Encoding.h"
#include "Graphics.h"
#include "Streams.h"

using namespace qelta;

namespace {

// A file name in a private temporary folder, removed with the folder.
struct TempDir {
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Path = std::filesystem::temp_directory_path() /
           ("qelta-bitmap-" + std::string(info->name()) + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(Path);
  }
  ~TempDir() { std::filesystem::remove_all(Path); }
  String File(const std::string& name) const { return Utf8ToString((Path / name).string()); }
  std::filesystem::path Path;
};

// A test picture: every pixel a different colour.
void Paint(TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.Canvas()->SetPixels(x, y, RGB(uint8_t(x * 40), uint8_t(y * 30), uint8_t(x * y)));
}

std::vector<uint32_t> PixelsOf(const TBitmap& b) {
  std::vector<uint32_t> p;
  for (int y = 0; y < b.Height(); ++y) p.insert(p.end(), b.ScanLine(y), b.ScanLine(y) + b.Width());
  return p;
}

// Builds BMP files byte by byte.
struct BmpBuilder {
  std::vector<uint8_t> B;
  void U8(uint32_t v) { B.push_back(uint8_t(v)); }
  void U16(uint32_t v) { U8(v & 0xFF); U8(v >> 8); }
  void U32(uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
  // File header + 40-byte info header; palette and data appended by the caller.
  static BmpBuilder Info(int32_t w, int32_t h, int bits, uint32_t compression, uint32_t colors, uint32_t offset) {
    BmpBuilder b;
    b.U8('B'); b.U8('M');
    b.U32(0); b.U32(0); b.U32(offset);
    b.U32(40); b.U32(uint32_t(w)); b.U32(uint32_t(h)); b.U16(1); b.U16(uint32_t(bits));
    b.U32(compression); b.U32(0); b.U32(0); b.U32(0); b.U32(colors); b.U32(0);
    return b;
  }
};

uint32_t Px(const platform_detail::RawImage& img, int x, int y) { return img.Pixels[size_t(y) * img.Width + x]; }

}  // namespace

TEST(TBitmap, NewPixelsAreWhiteAndResizingKeepsTheTopLeft) {
  TBitmap b(3, 2);
  EXPECT_EQ(b.Canvas()->Pixels(2, 1), clWhite);
  b.Canvas()->SetPixels(1, 1, clRed);
  b.SetSize(5, 4);
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(b.Canvas()->Pixels(4, 3), clWhite);
  b.SetSize(-4, 7);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_TRUE(b.Empty());
  b.Canvas()->Rectangle(0, 0, 5, 5);  // no pixels: nothing happens
  // The message names the size asked for (it said "Bitmap too large" whatever the size).
  EXPECT_THROW_MSG(b.SetSize(1 << 20, 1 << 20), EOutOfMemory,
                   "Bitmap of 1048576 x 1048576 pixels too large: out of memory");
}

TEST(TBitmap, ScanLineIsTheCanvasPixelRow) {
  TBitmap b(4, 3);
  b.Canvas()->SetPixels(2, 1, RGB(1, 2, 3));
  EXPECT_EQ(b.ScanLine(1)[2], 0xFF010203u);
  b.ScanLine(2)[3] = 0xFF0000FFu;
  EXPECT_EQ(b.Canvas()->Pixels(3, 2), clBlue);
  EXPECT_THROW_MSG(b.ScanLine(3), EInvalidGraphicOperation, "Scan line index out of range");
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(TBitmap, PixelFormatKeepsOnlyFourTwentyFourAndThirtyTwoBits) {
  TBitmap b;
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  b.SetPixelFormat(pf32bit);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  b.SetPixelFormat(pf4bit);
  EXPECT_EQ(b.PixelFormat(), pf4bit);
  b.SetPixelFormat(pf8bit);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
}

TEST(TBitmap, FourBitFilesTakeEachPixelToItsNearestVgaColour) {
  TempDir dir;
  TBitmap b(3, 2);
  b.SetPixelFormat(pf4bit);
  const TColor in[6] = {clBlack, clWhite, TColor(0xC0C0C0), RGB(250, 10, 5), RGB(100, 100, 100), RGB(0, 0, 120)};
  const TColor out[6] = {clBlack, clWhite, TColor(0xC0C0C0), clRed, clGray, clNavy};
  for (int i = 0; i < 6; ++i) b.Canvas()->SetPixels(i % 3, i / 3, in[i]);
  b.SaveToFile(dir.File("four.bmp"));
  std::ifstream file(dir.Path / "four.bmp", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), {});
  ASSERT_EQ(bytes.size(), 118u + 2 * 4);  // 64 bytes of palette, rows of 4 bytes
  EXPECT_EQ(bytes[28], 4);                // bits per pixel
  EXPECT_EQ(bytes[46], 16);               // colours used
  TBitmap r;
  r.LoadFromFile(dir.File("four.bmp"));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(r.Canvas()->Pixels(i % 3, i / 3), out[i]) << i;
}

TEST(TBitmap, FilesRoundTripByExtension) {
  TempDir dir;
  struct Case {
    const char* name;
    TPixelFormat format;
    double meanError;  // 0: exact
  } cases[] = {{"a.bmp", pf24bit, 0}, {"b.BMP", pf32bit, 0}, {"c.png", pf24bit, 0},
               {"d.png", pf32bit, 0}, {"e.jpg", pf24bit, 4}, {"noext", pf24bit, 0}};
  for (const Case& c : cases) {
    TBitmap b(16, 8);
    b.SetPixelFormat(c.format);
    for (int y = 0; y < 8; ++y)  // smooth, so that JPEG keeps it well
      for (int x = 0; x < 16; ++x) b.Canvas()->SetPixels(x, y, RGB(uint8_t(x * 8), uint8_t(y * 16), 128));
    b.SaveToFile(dir.File(c.name));
    TBitmap r;
    r.LoadFromFile(dir.File(c.name));
    ASSERT_EQ(r.Width(), 16) << c.name;
    ASSERT_EQ(r.Height(), 8);
    const auto a = PixelsOf(b), z = PixelsOf(r);
    if (c.meanError == 0) {
      EXPECT_EQ(a, z) << c.name;
      continue;
    }
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
      for (int ch = 0; ch < 3; ++ch) sum += std::abs(int((a[i] >> (8 * ch)) & 0xFF) - int((z[i] >> (8 * ch)) & 0xFF));
    EXPECT_LE(sum / (3.0 * a.size()), c.meanError) << c.name;
  }
}

TEST(TBitmap, PngKeepsTheAlphaChannelOfThirtyTwoBitImages) {
  TempDir dir;
  TBitmap b(2, 1);
  b.SetPixelFormat(pf32bit);
  b.ScanLine(0)[0] = 0x80112233u;
  b.ScanLine(0)[1] = 0x00445566u;
  b.SaveToFile(dir.File("alpha.png"));
  TBitmap r;
  r.LoadFromFile(dir.File("alpha.png"));
  EXPECT_EQ(r.PixelFormat(), pf32bit);
  EXPECT_EQ(r.ScanLine(0)[0], 0x80112233u);
  EXPECT_EQ(r.ScanLine(0)[1], 0x00445566u);
}

TEST(TBitmap, MissingAndUnwritableFilesRaise) {
  TBitmap b(2, 2);
  EXPECT_THROW_MSG(b.LoadFromFile(u"/nonexistent/x.bmp"), EFOpenError,
                   "Cannot open file \"/nonexistent/x.bmp\". No such file or directory");
  EXPECT_THROW_MSG(b.SaveToFile(u"/nonexistent/x.bmp"), EFCreateError,
                   "Cannot create file \"/nonexistent/x.bmp\". No such file or directory");
  EXPECT_EQ(b.Width(), 2);
}

TEST(TGraphic, LoadingAndSavingReportTheirStartAndEnd) {
  TempDir dir;
  TBitmap b(3, 2);
  Paint(b);
  TJPEGImage jpeg;
  struct Call {
    TObject* sender;
    TProgressStage stage;
    int percent;
    std::string msg;
  };
  std::vector<Call> calls;
  const TProgressEvent record = [&](TObject* s, TProgressStage st, uint8_t pc, const String& m) {
    calls.push_back({s, st, pc, StringToUtf8(m)});
  };
  b.OnProgress = record;
  jpeg.OnProgress = record;
  b.SaveToFile(dir.File("p.bmp"));
  b.LoadFromFile(dir.File("p.bmp"));
  jpeg.Assign(&b);
  jpeg.SaveToFile(dir.File("p.jpg"));
  jpeg.LoadFromFile(dir.File("p.jpg"));
  TMemoryStream stream;
  b.SaveToStream(stream);
  ASSERT_EQ(calls.size(), 10u);
  const char* const what[] = {"Saving", "Loading", "Saving", "Loading", "Saving"};
  for (size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].sender, i < 4 || i >= 8 ? static_cast<TObject*>(&b) : static_cast<TObject*>(&jpeg));
    EXPECT_EQ(calls[i].stage, i % 2 == 0 ? psStarting : psEnding);
    EXPECT_EQ(calls[i].percent, i % 2 == 0 ? 0 : 100);
    EXPECT_EQ(calls[i].msg, what[i / 2]);
  }
  // A load that fails has begun but does not end.
  calls.clear();
  EXPECT_THROW(b.LoadFromFile(dir.File("missing.bmp")), EFOpenError);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].stage, psStarting);
}

TEST(TBitmap, StreamsReadFromThePositionToTheEnd) {
  TBitmap b(5, 4);
  Paint(b);
  TMemoryStream m;
  m.WriteBuffer("head", 4);
  b.SaveToStream(m);
  EXPECT_EQ(m.Size(), 4 + 54 + 4 * 16);
  m.SetPosition(4);
  TBitmap r;
  r.LoadFromStream(m);
  EXPECT_EQ(PixelsOf(r), PixelsOf(b));
  EXPECT_EQ(m.Position(), m.Size());
  TJPEGImage j;
  j.Assign(&b);
  TMemoryStream jm;
  j.SaveToStream(jm);
  jm.SetPosition(0);
  TJPEGImage jr;
  jr.LoadFromStream(jm);
  EXPECT_EQ(jr.Width(), 5);
  m.SetPosition(0);
  EXPECT_THROW_MSG(r.LoadFromStream(m), EInvalidGraphic, "Bitmap image is not valid: neither BMP, PNG nor JPEG");
}

TEST(TBitmap, TransparentDrawSkipsTheBottomLeftColour) {
  TBitmap sprite(3, 3);
  sprite.Canvas()->Brush()->SetColor(clLime);
  sprite.Canvas()->FillRect(Rect(0, 0, 3, 3));
  sprite.Canvas()->SetPixels(1, 1, clRed);
  sprite.SetTransparent(true);
  EXPECT_EQ(sprite.TransparentColor(), clLime);
  TBitmap back(5, 5);
  back.Canvas()->Draw(1, 1, &sprite);
  EXPECT_EQ(back.Canvas()->Pixels(2, 2), clRed);
  EXPECT_EQ(back.Canvas()->Pixels(1, 1), clWhite);
  sprite.SetTransparentColor(clRed);
  back.Canvas()->Draw(1, 1, &sprite);
  EXPECT_EQ(back.Canvas()->Pixels(1, 1), clLime);
  EXPECT_EQ(sprite.TransparentMode(), tmFixed);
}

TEST(TBitmap, StretchDrawFillsExactlyTheTargetRectangle) {
  struct Case {
    TRect r;
    int count;
  } cases[] = {{Rect(2, 3, 32, 23), 600}, {Rect(32, 23, 2, 3), 600}, {Rect(5, 5, 6, 6), 1},
               {Rect(0, 0, 0, 10), 0},    {Rect(-10, -10, 100, 100), 40 * 40}};
  for (const Case& c : cases) {
    TBitmap src(10, 10), dst(40, 40);
    src.Canvas()->Brush()->SetColor(clBlack);
    src.Canvas()->FillRect(Rect(0, 0, 10, 10));
    dst.Canvas()->StretchDraw(c.r, &src);
    int n = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) n += dst.Canvas()->Pixels(x, y) == clBlack;
    EXPECT_EQ(n, c.count) << c.r.Left << "," << c.r.Top << "," << c.r.Right << "," << c.r.Bottom;
  }
}

TEST(TBitmap, DrawUsesTheCanvasCopyMode) {
  TBitmap src(1, 1), dst(1, 1);
  src.Canvas()->SetPixels(0, 0, 0x0F0F0F);
  dst.Canvas()->SetPixels(0, 0, 0x3C3C3C);
  dst.Canvas()->SetCopyMode(cmSrcAnd);
  dst.Canvas()->Draw(0, 0, &src);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), 0x0C0C0C);
}

TEST(TBmpCodec, ReadsPalettedFilesInEveryDepth) {
  // 1 bit: 2 x 2, bottom-up, palette black/red; rows (bottom first) 10, 01.
  BmpBuilder one = BmpBuilder::Info(2, 2, 1, 0, 2, 62);
  one.U32(0x000000); one.U32(0xFF0000);  // palette B, G, R, 0 -> red is 00 00 FF 00
  one.B[54 + 4] = 0; one.B[54 + 5] = 0; one.B[54 + 6] = 0xFF;
  one.U32(0x80); one.U32(0x40);
  const auto img1 = platform_detail::DecodeBmp(one.B);
  EXPECT_EQ(Px(img1, 0, 1), 0xFFFF0000u);  // bottom row, first pixel: index 1 = red
  EXPECT_EQ(Px(img1, 1, 0), 0xFFFF0000u);
  EXPECT_EQ(Px(img1, 0, 0), 0xFF000000u);
  // 4 bit top-down: 3 x 1, indices 2, 15 (beyond the 3 colours: black), 1.
  BmpBuilder four = BmpBuilder::Info(3, -1, 4, 0, 3, 54 + 12);
  four.U32(0x0000FF); four.U32(0x00FF00); four.U32(0xFF0000);
  four.U8(0x2F); four.U8(0x10); four.U16(0);
  const auto img4 = platform_detail::DecodeBmp(four.B);
  EXPECT_EQ(Px(img4, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Px(img4, 1, 0), 0xFF000000u);
  EXPECT_EQ(Px(img4, 2, 0), 0xFF00FF00u);
}

TEST(TBmpCodec, ReadsRle8WithRunsDeltasAndAbsoluteRuns) {
  BmpBuilder b = BmpBuilder::Info(6, 3, 8, 1, 3, 54 + 12);
  b.U32(0xFFFFFF); b.U32(0x0000FF); b.U32(0x00FF00);
  const uint8_t data[] = {3, 1,            // three pixels of colour 1 on the bottom row
                          0, 3, 2, 2, 1,   // absolute run of three: 2 2 1 (padded)
                          0,               // padding byte of the odd run
                          0, 0,            // end of line
                          0, 2, 2, 1,      // delta: right 2, up 1 (to row 2, x 2)
                          1, 2,            // one pixel of colour 2
                          0, 1};           // end of bitmap
  b.B.insert(b.B.end(), std::begin(data), std::end(data));
  const auto img = platform_detail::DecodeBmp(b.B);
  EXPECT_EQ(Px(img, 0, 2), 0xFF0000FFu);
  EXPECT_EQ(Px(img, 3, 2), 0xFF00FF00u);
  EXPECT_EQ(Px(img, 5, 2), 0xFF0000FFu);
  EXPECT_EQ(Px(img, 2, 0), 0xFF00FF00u);
  EXPECT_EQ(Px(img, 0, 1), 0xFFFFFFFFu) << "skipped pixels take colour 0";
}

TEST(TBmpCodec, ReadsSixteenBitsAndBitFields) {
  BmpBuilder b = BmpBuilder::Info(2, 1, 16, 0, 0, 54);
  b.U16(0x7C00); b.U16(0x001F);  // 555: red, blue
  const auto img = platform_detail::DecodeBmp(b.B);
  EXPECT_EQ(Px(img, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Px(img, 1, 0), 0xFF0000FFu);
  BmpBuilder f = BmpBuilder::Info(1, 1, 32, 3, 0, 54 + 12);
  f.U32(0x000000FF); f.U32(0x0000FF00); f.U32(0x00FF0000);  // R in the low byte
  f.U32(0x00332211);
  const auto img32 = platform_detail::DecodeBmp(f.B);
  EXPECT_EQ(Px(img32, 0, 0), 0xFF112233u);
}

TEST(TBmpCodec, ReadsTheCoreHeader) {
  BmpBuilder b;
  b.U8('B'); b.U8('M'); b.U32(0); b.U32(0); b.U32(26 + 6);
  b.U32(12); b.U16(1); b.U16(1); b.U16(1); b.U16(8);
  b.U8(1); b.U8(2); b.U8(3); b.U8(9); b.U8(8); b.U8(7);  // two 3-byte palette entries
  b.U8(1); b.U8(0); b.U8(0); b.U8(0);
  const auto img = platform_detail::DecodeBmp(b.B);
  EXPECT_EQ(Px(img, 0, 0), 0xFF070809u);
}

TEST(TBmpCodec, MalformedHeadersRaise) {
  const BmpBuilder good = [] {
    BmpBuilder b = BmpBuilder::Info(2, 2, 24, 0, 0, 54);
    for (int i = 0; i < 16; ++i) b.U8(uint32_t(i));
    return b;
  }();
  ASSERT_NO_THROW(platform_detail::DecodeBmp(good.B));
  // The message says why (it used to be "Bitmap image is not valid" whatever the fault).
  struct Case {
    const char* what;
    size_t at;
    std::vector<uint8_t> bytes;  // written at `at`
    const char* reason;
  } cases[] = {
      {"signature", 0, {'B', 'X'}, "no BM signature"},
      {"header size", 14, {41, 0, 0, 0}, "the header size is unknown"},
      {"negative width", 18, {0xFE, 0xFF, 0xFF, 0xFF}, "the size is impossible"},
      {"huge width", 18, {0xFF, 0xFF, 0xFF, 0x7F}, "more than 2^28 pixels"},
      {"huge height", 22, {0x00, 0x00, 0x01, 0x00}, "its size is more than the file can hold"},
      {"lowest height", 22, {0x00, 0x00, 0x00, 0x80}, "the size is impossible"},
      {"bit count", 28, {7, 0}, "the file ends too early"},  // 128 palette entries announced
      {"bit count above 8", 28, {17, 0}, "the bit count is not 1, 4, 8, 16, 24 or 32"},
      {"compression", 30, {4, 0, 0, 0}, "the compression is not supported"},
      {"RLE8 on 24 bits", 30, {1, 0, 0, 0}, "the compression is not supported"},
      {"data offset", 10, {0xFF, 0xFF, 0, 0}, "the pixel data starts past the end of the file"},
      {"data short", 10, {60, 0, 0, 0}, "its size is more than the file can hold"},
      // Regression: the reader allocated the announced 16384 x 16384 pixels (1 GiB) before it found
      // that the 16 bytes of data could not fill them; the data size is now checked first.
      {"announces far more pixels than the data holds", 18, {0x00, 0x40, 0, 0, 0x00, 0x40, 0, 0},
       "its size is more than the file can hold"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good.B;
    std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + c.at);
    SCOPED_TRACE(c.what);
    EXPECT_THROW_MSG(platform_detail::DecodeBmp(bad), EInvalidGraphic, std::string("Bitmap image is not valid: ") + c.reason);
  }
  for (size_t n = 0; n < good.B.size(); ++n)
    EXPECT_THROW(platform_detail::DecodeBmp(std::span(good.B.data(), n)), EInvalidGraphic) << "truncated to " << n;
}

TEST(TBmpCodec, HostilePaletteAndRleDataRaise) {
  BmpBuilder pal = BmpBuilder::Info(1, 1, 8, 0, 200, 54);  // 200 colours announced, none present
  pal.U32(0);
  EXPECT_THROW(platform_detail::DecodeBmp(pal.B), EInvalidGraphic);
  BmpBuilder rle = BmpBuilder::Info(4, 1, 8, 1, 1, 58);
  rle.U32(0);
  rle.U8(0); rle.U8(200); rle.U8(1);  // absolute run of 200 with one byte present
  EXPECT_THROW(platform_detail::DecodeBmp(rle.B), EInvalidGraphic);
  BmpBuilder big = BmpBuilder::Info(60000, 60000, 8, 1, 1, 58);  // tiny RLE data claiming 3.6e9 pixels
  big.U32(0); big.U8(0); big.U8(1);
  EXPECT_THROW(platform_detail::DecodeBmp(big.B), EInvalidGraphic);
}

// A bitmap of width 0 with two billion rows passed every size check (it has no pixels), and the decoder
// then walked all of its empty rows, for seconds on end. Such a file now decodes at once.
TEST(TBmpCodec, ZeroWidthWithHugeHeightDecodesWithoutWalkingTheRows) {
  for (int32_t h : {2147483647, -2147483647}) {
    const BmpBuilder b = BmpBuilder::Info(0, h, 24, 0, 0, 54);
    const auto img = platform_detail::DecodeBmp(b.B);
    EXPECT_EQ(img.Width, 0);
    EXPECT_EQ(img.Height, 2147483647);
    EXPECT_TRUE(img.Pixels.empty());
  }
}

TEST(TBmpCodec, RandomMutationsNeverCrash) {
  TBitmap b(9, 5);
  Paint(b);
  std::vector<std::vector<uint8_t>> seeds{b.SaveToBytes()};
  BmpBuilder rle = BmpBuilder::Info(8, 4, 8, 1, 2, 62);
  rle.U32(0xFFFFFF); rle.U32(0x0000FF);
  for (uint8_t v : {4, 1, 0, 3, 1, 0, 1, 0, 0, 0, 0, 2, 3, 1, 2, 1, 0, 1}) rle.U8(v);
  seeds.push_back(rle.B);
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 134775813u + 1u; };
  int decoded = 0, rejected = 0;
  for (int i = 0; i < 3000; ++i) {
    std::vector<uint8_t> m = seeds[i % seeds.size()];
    const int edits = 1 + int(next() >> 30);
    for (int k = 0; k < edits; ++k) m[(next() >> 8) % m.size()] = uint8_t(next() >> 24);
    if (next() % 8 == 0) m.resize((next() >> 8) % m.size());
    try {
      const auto img = platform_detail::DecodeBmp(m);
      EXPECT_EQ(img.Pixels.size(), size_t(img.Width) * img.Height);
      ++decoded;
    } catch (const EInvalidGraphic&) {
      ++rejected;
    }
  }
  EXPECT_GT(decoded, 0);
  EXPECT_GT(rejected, 0);
}

TEST(TPngCodec, TruncatedOrCorruptFilesRaise) {
  TBitmap b(6, 4);
  Paint(b);
  const auto png = platform_detail::EncodePng({6, 4, PixelsOf(b), false, 24}, false);
  for (size_t n : {size_t(0), size_t(8), size_t(20), png.size() / 2, png.size() - 13}) {
    SCOPED_TRACE(n);
    EXPECT_THROW_MSG(platform_detail::DecodePng(std::span(png.data(), n)), EInvalidGraphic,
                     n == 0 ? "PNG image is not valid: no PNG signature"
                            : "PNG image is not valid: the file ends too early");
  }
  std::vector<uint8_t> bad = png;
  const size_t idat = std::string(png.begin(), png.end()).find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  bad[idat + 6] ^= 0x55;  // image data no longer matches its checksum
  EXPECT_THROW(platform_detail::DecodePng(bad), EInvalidGraphic);
}

namespace {

// Sets a PNG's IHDR width and height and mends the chunk's checksum.
void SetPngSize(std::vector<uint8_t>& png, uint32_t w, uint32_t h) {
  auto be = [&](size_t at, uint32_t v) { for (int k = 0; k < 4; ++k) png[at + k] = uint8_t(v >> (24 - 8 * k)); };
  be(16, w);
  be(20, h);
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 12; i < 29; ++i) {  // "IHDR" and its 13 bytes
    crc ^= png[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  be(29, ~crc);
}

}  // namespace

// A PNG of 80-odd bytes whose header claimed 16384 x 16384 pixels made the decoder allocate a gigabyte
// before finding the data missing. Sizes beyond what the file's length can hold are refused first.
TEST(TPngCodec, HeaderClaimingMorePixelsThanTheDataCanHoldRaises) {
  const auto png = platform_detail::EncodePng({1, 1, {0xFF112233u}, false, 24}, false);
  std::vector<uint8_t> huge = png;
  SetPngSize(huge, 16384, 16384);
  EXPECT_THROW_MSG(platform_detail::DecodePng(huge), EInvalidGraphic,
                   "PNG image is not valid: its size is more than the file can hold");
  std::vector<uint8_t> same = png;
  SetPngSize(same, 1, 1);  // the checksum helper itself keeps a valid file valid
  EXPECT_EQ(platform_detail::DecodePng(same).Pixels, std::vector<uint32_t>{0xFF112233u});
}

// A truncated JPEG decoded as an image whose missing part libjpeg filled with grey, and a few hundred
// bytes claiming 16383 x 16384 pixels allocated a gigabyte for that grey. Both are now refused.
TEST(TJpegCodec, TruncatedFilesAndImpossibleSizesRaise) {
  TBitmap b(16, 16);
  Paint(b);
  const auto jpg = platform_detail::EncodeJpeg({16, 16, PixelsOf(b), false, 24}, 75);
  EXPECT_EQ(platform_detail::DecodeJpeg(jpg).Width, 16);
  EXPECT_THROW_MSG(platform_detail::DecodeJpeg(std::span(jpg.data(), jpg.size() - 40)), EInvalidGraphic,
                   "JPEG image is not valid: Premature end of JPEG file");
  std::vector<uint8_t> huge = jpg;
  const size_t sof = std::string(jpg.begin(), jpg.end()).find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  huge[sof + 5] = 0x3F; huge[sof + 6] = 0xFF;  // height 16383
  huge[sof + 7] = 0x40; huge[sof + 8] = 0x00;  // width 16384
  EXPECT_THROW_MSG(platform_detail::DecodeJpeg(huge), EInvalidGraphic,
                   "JPEG image is not valid: its size is more than the file can hold");
}

TEST(TJpegCodec, DamagedFilesDecodeOrRaiseButNeverCrash) {
  TBitmap b(16, 16);
  Paint(b);
  const auto jpg = platform_detail::EncodeJpeg({16, 16, PixelsOf(b), false, 24}, 75);
  EXPECT_THROW_MSG(platform_detail::DecodeJpeg(std::span(jpg.data(), 2)), EInvalidGraphic,
                   "JPEG image is not valid: Premature end of JPEG file");
  uint32_t seed = 7;
  for (int i = 0; i < 300; ++i) {
    std::vector<uint8_t> m = jpg;
    seed = seed * 134775813u + 1u;
    m[(seed >> 8) % m.size()] ^= uint8_t(seed >> 24) | 1;
    if (i % 3 == 0) m.resize((seed >> 4) % m.size());
    try {
      platform_detail::DecodeJpeg(m);
    } catch (const EInvalidGraphic&) {
    }
  }
}

TEST(TJpegCodec, ReadsCmykFilesWithTheAdobeMarker) {
  // 8 x 8 magenta, written by libjpeg from CMYK bytes FF 00 FF FF (Adobe: inverted inks), quality 100.
  static const uint8_t cmyk[] = {
      0xFF, 0xD8, 0xFF, 0xEE, 0x00, 0x0E, 0x41, 0x64, 0x6F, 0x62, 0x65, 0x00, 0x64, 0x00, 0x00, 0x00,
      0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
      0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
      0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
      0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01,
      0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF, 0xC0, 0x00, 0x14, 0x08, 0x00, 0x08, 0x00, 0x08,
      0x04, 0x43, 0x11, 0x00, 0x4D, 0x11, 0x00, 0x59, 0x11, 0x00, 0x4B, 0x11, 0x00, 0xFF, 0xC4, 0x00,
      0x15, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x0A, 0x0B, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x0E, 0x04, 0x43,
      0x00, 0x4D, 0x00, 0x59, 0x00, 0x4B, 0x00, 0x00, 0x3F, 0x00, 0x7F, 0x09, 0xFF, 0x00, 0x9F, 0xC1,
      0xFC, 0x3F, 0xFF, 0xD9,
  };
  const auto img = platform_detail::DecodeJpeg(cmyk);
  ASSERT_EQ(img.Width, 8);
  for (uint32_t p : img.Pixels) {
    EXPECT_GE((p >> 16) & 0xFF, 250u);
    EXPECT_LE((p >> 8) & 0xFF, 5u);
    EXPECT_GE(p & 0xFF, 250u);
    EXPECT_EQ(p >> 24, 0xFFu);
  }
}

TEST(TJPEGImage, SavingAnUnchangedImageWritesTheOriginalBytes) {
  TBitmap b(8, 8);
  Paint(b);
  TJPEGImage jpeg;
  jpeg.SetCompressionQuality(500);
  EXPECT_EQ(jpeg.CompressionQuality(), 100);
  jpeg.Assign(&b);
  const std::vector<uint8_t> bytes = jpeg.SaveToBytes();
  TJPEGImage again;
  again.LoadFromBytes(bytes);
  EXPECT_EQ(again.Width(), 8);
  EXPECT_EQ(again.SaveToBytes(), bytes);
  TBitmap decoded;
  decoded.Assign(&again);
  EXPECT_EQ(decoded.Height(), 8);
  EXPECT_THROW_MSG(TJPEGImage().SaveToBytes(), EInvalidGraphicOperation, "Cannot save an empty image as JPEG");
}

TEST(TPicture, LoadPicksTheKindByContent) {
  TempDir dir;
  TBitmap b(4, 3);
  Paint(b);
  b.SaveToFile(dir.File("real-jpeg.bmp"));  // name says BMP, content is BMP
  TJPEGImage j;
  j.Assign(&b);
  j.SaveToFile(dir.File("jpeg-named.bmp"));  // content is JPEG
  b.SaveToFile(dir.File("p.png"));
  TPicture pic;
  pic.LoadFromFile(dir.File("jpeg-named.bmp"));
  EXPECT_NE(dynamic_cast<TJPEGImage*>(pic.Graphic()), nullptr);
  pic.LoadFromFile(dir.File("p.png"));
  EXPECT_NE(dynamic_cast<TBitmap*>(pic.Graphic()), nullptr);
  EXPECT_EQ(pic.Width(), 4);
  // The message names the file and the reason (it used to name neither).
  platform_detail::WriteFileBytes(dir.File("x.xyz"), std::vector<uint8_t>{1, 2, 3});
  EXPECT_THROW_MSG(pic.LoadFromFile(dir.File("x.xyz")), EInvalidGraphic,
                   "\"" + StringToUtf8(dir.File("x.xyz")) + "\": Unknown picture file extension (.xyz)");
  platform_detail::WriteFileBytes(dir.File("y.bmp"), std::vector<uint8_t>{1, 2, 3});
  EXPECT_THROW_MSG(pic.LoadFromFile(dir.File("y.bmp")), EInvalidGraphic,
                   "\"" + StringToUtf8(dir.File("y.bmp")) + "\": Bitmap image is not valid: neither BMP, PNG nor JPEG");
  TBitmap bmp;
  EXPECT_THROW_MSG(bmp.LoadFromFile(dir.File("x.xyz")), EInvalidGraphic,
                   "\"" + StringToUtf8(dir.File("x.xyz")) + "\": Bitmap image is not valid: neither BMP, PNG nor JPEG");
  platform_detail::WriteFileBytes(dir.File("z.png"), std::vector<uint8_t>{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0});
  EXPECT_THROW_MSG(bmp.LoadFromFile(dir.File("z.png")), EInvalidGraphic,
                   "\"" + StringToUtf8(dir.File("z.png")) + "\": PNG image is not valid: the file ends too early");
  EXPECT_EQ(pic.Width(), 4) << "a failed load keeps the picture";
}

// The classic picture replaced a JPEG by an empty bitmap when asked for its bitmap, losing the image;
// the bitmap now carries the JPEG's pixels.
TEST(TPicture, BitmapConvertsAnotherKindWithoutLosingThePixels) {
  TPicture pic;
  TJPEGImage j;
  TBitmap b(3, 3);
  b.Canvas()->Brush()->SetColor(clBlack);
  b.Canvas()->FillRect(Rect(0, 0, 3, 3));
  j.Assign(&b);
  pic.SetGraphic(&j);
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  TBitmap* bmp = pic.Bitmap();
  EXPECT_EQ(bmp->Width(), 3);
  EXPECT_EQ(bmp->Canvas()->Pixels(1, 1), clBlack);
  EXPECT_EQ(pic.Graphic(), bmp);
  EXPECT_EQ(pic.Bitmap(), bmp);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(TPicture().Bitmap()->Width(), 0);
  EXPECT_THROW_MSG(TPicture().SaveToFile(u"/tmp/never.bmp"), EInvalidGraphicOperation, "Cannot save an empty picture");
}
