// PNG files through libpng's simplified interface (png_image). That interface keeps libpng's longjmp
// error handling inside the library and reports failure as a return value, so no jump ever crosses a
// C++ frame here. Sizes are checked against kMaxImagePixels and against what the file's length can
// hold before any buffer is allocated.

#include <png.h>

#include "Graphics.h"

namespace qelta::detail {
namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("PNG image is not valid"); }

// Frees the image's libpng state on every path out.
struct PngImage {
  png_image Image{};
  PngImage() { Image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&Image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

// Deflate packs at most 1032 bytes into one, and a pixel takes at least one bit: a file claiming more
// pixels than that cannot hold them, and is refused before the pixel buffer is allocated.
int64_t MaxPixelsFor(size_t fileSize) { return (int64_t(1) << 20) + static_cast<int64_t>(fileSize) * 1032 * 8; }

}  // namespace

RawImage DecodePng(std::span<const uint8_t> bytes) {
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.Image, bytes.data(), bytes.size())) Invalid();
  const int64_t w = png.Image.width, h = png.Image.height;
  if (w <= 0 || h <= 0 || w * h > kMaxImagePixels || w * h > MaxPixelsFor(bytes.size())) Invalid();
  RawImage img;
  img.HasAlpha = (png.Image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  img.Bits = img.HasAlpha ? 32 : 24;
  img.Width = static_cast<int>(w);
  img.Height = static_cast<int>(h);
  img.Pixels.resize(static_cast<size_t>(w * h));
  png.Image.format = PNG_FORMAT_BGRA;  // bytes B, G, R, A = 0xAARRGGBB
  if (!png_image_finish_read(&png.Image, nullptr, img.Pixels.data(), 0, nullptr)) Invalid();
  return img;
}

std::vector<uint8_t> EncodePng(const RawImage& image, bool withAlpha) {
  if (image.Width <= 0 || image.Height <= 0) throw EInvalidGraphicOperation("Cannot save an empty image as PNG");
  PngImage png;
  png.Image.width = static_cast<png_uint_32>(image.Width);
  png.Image.height = static_cast<png_uint_32>(image.Height);
  std::vector<uint8_t> packed;
  const void* rows = image.Pixels.data();
  if (withAlpha) {
    png.Image.format = PNG_FORMAT_BGRA;
  } else {
    png.Image.format = PNG_FORMAT_BGR;
    packed.reserve(image.Pixels.size() * 3);
    for (uint32_t p : image.Pixels)
      for (int k = 0; k < 3; ++k) packed.push_back(uint8_t(p >> (8 * k)));
    rows = packed.data();
  }
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png.Image, nullptr, &size, 0, rows, 0, nullptr))
    throw EInvalidGraphicOperation("PNG image could not be written");
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&png.Image, out.data(), &size, 0, rows, 0, nullptr))
    throw EInvalidGraphicOperation("PNG image could not be written");
  out.resize(size);
  return out;
}

}  // namespace qelta::detail
