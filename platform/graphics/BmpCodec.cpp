// BMP files: reader for 1, 4, 8, 16, 24 and 32 bits per pixel (uncompressed, bit fields, RLE8; rows
// bottom-up or top-down; core, info, V4 and V5 headers) and writer for 4 (the VGA palette, each pixel
// taken to its nearest palette colour), 24 and 32 bits.
//
// Every offset and length from the file is checked against the data before it is used: a size is
// accepted only when the pixel data it needs is present (uncompressed) or when it stays within a
// bound proportional to the data (RLE8: 65536 pixels plus 256 per byte), and never
// beyond kMaxImagePixels. Any violation raises EInvalidGraphic "Bitmap image is not valid".

#include <bit>
#include <climits>
#include <algorithm>
#include <cstring>

#include "Encoding.h"
#include "Graphics.h"

namespace qelta::platform_detail {
namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kBitFields = 3;

[[noreturn]] void Invalid(const char* reason) {
  throw EInvalidGraphic(u"Bitmap image is not valid: " + Utf8ToString(reason));
}

constexpr const char* kEndsEarly = "the file ends too early";
constexpr const char* kTooLarge = "its size is more than the file can hold";

// Little-endian reads that raise on any access past the end.
struct Bytes {
  std::span<const uint8_t> B;
  uint32_t U8(size_t at) const {
    if (at >= B.size()) Invalid(kEndsEarly);
    return B[at];
  }
  uint32_t U16(size_t at) const { return U8(at) | (U8(at + 1) << 8); }
  uint32_t U32(size_t at) const { return U16(at) | (U16(at + 2) << 16); }
  int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }
};

struct Header {
  int64_t Width = 0, Height = 0;  // Height > 0: bottom-up
  uint32_t Bits = 0, Compression = kRgb;
  uint32_t Masks[4] = {0, 0, 0, 0};  // R, G, B, A
  std::vector<uint32_t> Palette;     // 0xFFRRGGBB
  size_t DataOffset = 0;
};

void ReadMasks(const Bytes& b, size_t at, bool withAlpha, Header& h) {
  for (int i = 0; i < (withAlpha ? 4 : 3); ++i) h.Masks[i] = b.U32(at + 4 * i);
}

void ReadPalette(const Bytes& b, size_t at, size_t count, size_t entry, Header& h) {
  if (at + count * entry > b.B.size()) Invalid(kEndsEarly);
  for (size_t i = 0; i < count; ++i) {
    const size_t p = at + i * entry;
    h.Palette.push_back(0xFF000000u | (b.U8(p + 2) << 16) | (b.U8(p + 1) << 8) | b.U8(p));
  }
}

Header ReadHeader(const Bytes& b) {
  if (b.U8(0) != 'B' || b.U8(1) != 'M') Invalid("no BM signature");
  Header h;
  const uint32_t size = b.U32(14);
  size_t palette = 14 + size;
  if (size == 12) {
    h.Width = b.U16(18);
    h.Height = static_cast<int16_t>(b.U16(20));
    h.Bits = b.U16(24);
  } else if (size == 40 || size == 52 || size == 56 || size == 108 || size == 124) {
    h.Width = b.I32(18);
    h.Height = b.I32(22);
    h.Bits = b.U16(28);
    h.Compression = b.U32(30);
    if (h.Compression == kBitFields) ReadMasks(b, 54, size >= 56, h);
    if (h.Compression == kBitFields && size == 40) palette += 12;
  } else {
    Invalid("the header size is unknown");
  }
  h.DataOffset = b.U32(10);
  if (h.Bits <= 8) {
    // Announced colours (all 2^bits when 0 or too many), but no more than fit before the pixel data.
    const size_t entry = size == 12 ? 3 : 4;
    const uint32_t used = size == 12 ? 0 : b.U32(46);
    size_t count = used == 0 || used > (1u << h.Bits) ? (size_t(1) << h.Bits) : used;
    if (h.DataOffset > palette) count = std::min(count, (h.DataOffset - palette) / entry);
    if (count == 0) Invalid("no room for the palette");
    ReadPalette(b, palette, count, entry, h);
  }
  return h;
}

void Validate(const Header& h, size_t fileSize) {
  const bool bitsOk = h.Bits == 1 || h.Bits == 4 || h.Bits == 8 || h.Bits == 16 || h.Bits == 24 || h.Bits == 32;
  if (!bitsOk) Invalid("the bit count is not 1, 4, 8, 16, 24 or 32");
  if (h.Width < 0 || h.Height == INT32_MIN) Invalid("the size is impossible");
  if (h.DataOffset > fileSize) Invalid("the pixel data starts past the end of the file");
  const bool compressionOk = h.Compression == kRgb || (h.Compression == kRle8 && h.Bits == 8 && h.Height > 0) ||
                             (h.Compression == kBitFields && (h.Bits == 16 || h.Bits == 32));
  if (!compressionOk) Invalid("the compression is not supported");
  const int64_t pixels = h.Width * (h.Height < 0 ? -h.Height : h.Height);
  if (pixels > kMaxImagePixels) Invalid("more than 2^28 pixels");
  const int64_t data = static_cast<int64_t>(fileSize - h.DataOffset);
  if (h.Compression == kRle8 && pixels > data * 256 + 65536) Invalid(kTooLarge);
  const int64_t stride = ((h.Width * h.Bits + 31) / 32) * 4;
  if (h.Compression != kRle8 && stride * (h.Height < 0 ? -h.Height : h.Height) > data) Invalid(kTooLarge);
}

// Channel extraction by mask, scaled to 8 bits.
uint32_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const uint32_t m = mask >> shift, v = (value & mask) >> shift;
  return static_cast<uint32_t>((uint64_t(v) * 255 + m / 2) / m);
}

uint32_t MaskedPixel(uint32_t v, const uint32_t* masks) {
  const uint32_t a = masks[3] ? Channel(v, masks[3]) : 255;
  return (a << 24) | (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) | Channel(v, masks[2]);
}

uint32_t PaletteAt(const Header& h, uint32_t index) {
  return index < h.Palette.size() ? h.Palette[index] : 0xFF000000u;
}

uint32_t DecodePixel(const Header& h, const uint8_t* row, int64_t x) {
  switch (h.Bits) {
    case 1: return PaletteAt(h, (row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return PaletteAt(h, (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
    case 8: return PaletteAt(h, row[x]);
    case 16: {
      static const uint32_t k555[4] = {0x7C00, 0x03E0, 0x001F, 0};
      const uint32_t v = row[2 * x] | (row[2 * x + 1] << 8);
      return MaskedPixel(v, h.Compression == kBitFields ? h.Masks : k555);
    }
    case 24: return 0xFF000000u | (row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x];
    default: {
      const uint32_t v = row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) | (uint32_t(row[4 * x + 3]) << 24);
      if (h.Compression == kBitFields) return MaskedPixel(v, h.Masks);
      return v;  // BGRA; an all-zero alpha channel is made opaque afterwards
    }
  }
}

void DecodeRows(const Header& h, std::span<const uint8_t> bytes, RawImage& img) {
  const int64_t stride = ((h.Width * h.Bits + 31) / 32) * 4;  // the data size was checked by Validate
  const int64_t rows = img.Height;
  if (h.Width == 0) return;  // no pixels, however many rows are announced
  for (int64_t r = 0; r < rows; ++r) {
    const uint8_t* row = bytes.data() + h.DataOffset + r * stride;
    const int64_t y = h.Height > 0 ? rows - 1 - r : r;
    for (int64_t x = 0; x < h.Width; ++x) img.Pixels[y * h.Width + x] = DecodePixel(h, row, x);
  }
}

void DecodeRle8(const Header& h, std::span<const uint8_t> bytes, RawImage& img) {
  const Bytes b{bytes};
  std::fill(img.Pixels.begin(), img.Pixels.end(), PaletteAt(h, 0));
  int64_t x = 0, y = 0;  // y counts from the bottom row
  auto put = [&](uint32_t index) {
    if (x < img.Width && y < img.Height) img.Pixels[(img.Height - 1 - y) * img.Width + x] = PaletteAt(h, index);
    ++x;
  };
  size_t pos = h.DataOffset;
  while (pos + 1 < bytes.size() && y < img.Height) {
    const uint32_t count = b.U8(pos), value = b.U8(pos + 1);
    pos += 2;
    if (count > 0) {
      for (uint32_t k = 0; k < count; ++k) put(value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      x += b.U8(pos);
      y += b.U8(pos + 1);
      pos += 2;
    } else {
      if (pos + value > bytes.size()) Invalid(kEndsEarly);
      for (uint32_t k = 0; k < value; ++k) put(bytes[pos + k]);
      pos += value + (value & 1);
    }
  }
}

// 32-bit files without alpha usually store zero in the fourth byte: treat that as opaque.
void FixAlpha(const Header& h, RawImage& img) {
  if (h.Bits != 32 || h.Compression == kBitFields) return;
  bool any = false;
  for (uint32_t p : img.Pixels) any = any || (p >> 24) != 0;
  img.HasAlpha = any;
  if (!any)
    for (uint32_t& p : img.Pixels) p |= 0xFF000000u;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// The header of a file, read and checked as the decoder needs it before it takes memory for the pixels.
Header CheckedHeader(std::span<const uint8_t> bytes) {
  const Header h = ReadHeader(Bytes{bytes});
  Validate(h, bytes.size());
  return h;
}

TImageSize SizeOf(const Header& h) {
  return {static_cast<int>(h.Width), static_cast<int>(h.Height < 0 ? -h.Height : h.Height)};
}

}  // namespace

TImageSize BmpHeaderSize(std::span<const uint8_t> bytes) { return SizeOf(CheckedHeader(bytes)); }

RawImage DecodeBmp(std::span<const uint8_t> bytes) {
  const Header h = CheckedHeader(bytes);
  const TImageSize size = SizeOf(h);
  RawImage img;
  img.Width = size.Width;
  img.Height = size.Height;
  img.Bits = static_cast<int>(h.Bits);
  img.HasAlpha = h.Compression == kBitFields && h.Masks[3] != 0;
  img.Pixels.resize(static_cast<size_t>(img.Width) * img.Height);
  if (h.Compression == kRle8) DecodeRle8(h, bytes, img);
  else DecodeRows(h, bytes, img);
  FixAlpha(h, img);
  return img;
}

namespace {

/// The 16 colours of the VGA palette (0x00RRGGBB), in the order of the classic 4-bit bitmaps.
constexpr uint32_t kVgaPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                      0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                      0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

/// Index of the palette colour nearest to the pixel (squared RGB distance; the first on a tie).
uint8_t NearestVgaIndex(uint32_t pixel) {
  uint8_t best = 0;
  int bestDist = INT32_MAX;
  for (uint8_t i = 0; i < 16; ++i) {
    int dist = 0;
    for (int k = 0; k < 3; ++k) {
      const int d = int((pixel >> (8 * k)) & 0xFF) - int((kVgaPalette[i] >> (8 * k)) & 0xFF);
      dist += d * d;
    }
    if (dist < bestDist) {
      bestDist = dist;
      best = i;
    }
  }
  return best;
}

void PutHeaders(std::vector<uint8_t>& out, const RawImage& image, uint32_t bits, uint32_t paletteBytes,
                uint32_t dataSize) {
  out.push_back('B');
  out.push_back('M');
  const uint32_t offset = 54 + paletteBytes;
  for (uint32_t v : {offset + dataSize, 0u, offset, 40u}) Put32(out, v);
  Put32(out, uint32_t(image.Width));
  Put32(out, uint32_t(image.Height));  // positive: bottom-up rows
  Put16(out, 1);
  Put16(out, bits);
  const uint32_t colours = paletteBytes / 4;
  for (uint32_t v : {kRgb, dataSize, 3780u, 3780u, colours, 0u}) Put32(out, v);  // 3780 pixels per metre = 96 dpi
}

std::vector<uint8_t> EncodeBmp4(const RawImage& image) {
  const uint32_t stride = ((uint32_t(image.Width) * 4 + 31) / 32) * 4;
  const uint32_t dataSize = stride * uint32_t(image.Height);
  std::vector<uint8_t> out;
  out.reserve(118 + dataSize);
  PutHeaders(out, image, 4, 64, dataSize);
  for (uint32_t c : kVgaPalette) Put32(out, c);  // B, G, R, 0 little-endian
  for (int y = image.Height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    out.resize(rowStart + stride, 0);
    for (int x = 0; x < image.Width; ++x) {
      const uint8_t ix = NearestVgaIndex(image.Pixels[size_t(y) * image.Width + x]);
      out[rowStart + size_t(x) / 2] |= uint8_t(x % 2 == 0 ? ix << 4 : ix);
    }
  }
  return out;
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const RawImage& image, int bits) {
  if (bits == 4) return EncodeBmp4(image);
  const int bpp = bits == 32 ? 4 : 3;
  const uint32_t stride = ((uint32_t(image.Width) * bpp + 3) / 4) * 4;
  const uint32_t dataSize = stride * uint32_t(image.Height);
  std::vector<uint8_t> out;
  out.reserve(54 + dataSize);
  PutHeaders(out, image, uint32_t(bpp * 8), 0, dataSize);
  for (int y = image.Height - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < image.Width; ++x) {
      const uint32_t p = image.Pixels[size_t(y) * image.Width + x];
      for (int k = 0; k < bpp; ++k) out.push_back(uint8_t(p >> (8 * k)));
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

ImageKind SniffImage(std::span<const uint8_t> b) {
  if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return ImageKind::Bmp;
  if (b.size() >= 8 && std::memcmp(b.data(), "\x89PNG\r\n\x1a\n", 8) == 0) return ImageKind::Png;
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return ImageKind::Jpeg;
  return ImageKind::Unknown;
}

}  // namespace qelta::platform_detail
