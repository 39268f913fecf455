// PNG files through libpng's reading and writing interface.
//
// Reading keeps the stored samples: palette and grey samples below 8 bits are expanded, a tRNS chunk
// becomes alpha, grey is copied into R, G and B, and 16-bit samples are scaled to 8 bits by rounding
// (v * 255 / 65535, png_set_scale_16). Nothing else is changed: no gamma correction (a gAMA chunk is
// ignored), no colour-space conversion, no premultiplied alpha. Interlaced files are read in all their
// passes. (libpng's simplified reader treated 16-bit files as linear light and converted them.)
//
// libpng reports errors by calling our error function, which must not return: it keeps the message and
// longjmps back to the setjmp in one of the small C-style steps below. Those steps hold no C++ object
// with a destructor between setjmp and longjmp, so the jump skips nothing; the libpng state lives in a
// guard object of the calling C++ function, which frees it on every path. Sizes are checked against
// kMaxImagePixels and against what the file's length can hold before any buffer is allocated; reading
// the size alone (PngHeaderSize) stops there, before libpng takes its row buffers. The rows are read one
// by one into the pixels, without a table of row pointers.

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "Encoding.h"
#include "Graphics.h"

namespace qelta::platform_detail {
namespace {

[[noreturn]] void Invalid(const char* reason) {
  throw EInvalidGraphic(u"PNG image is not valid: " + Utf8ToString(reason));
}

// Deflate packs at most 1032 bytes into one, and a pixel takes at least one bit: a file claiming more
// pixels than that cannot hold them, and is refused before the pixel buffer is allocated.
int64_t MaxPixelsFor(size_t fileSize) { return (int64_t(1) << 20) + static_cast<int64_t>(fileSize) * 1032 * 8; }

// The reading state: the bytes, the position, libpng's structures and its last error message.
struct PngReader {
  const uint8_t* Data = nullptr;
  size_t Size = 0;
  size_t Pos = 0;
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  char Message[160] = "";
};

extern "C" void OnPngError(png_structp png, png_const_charp message) {
  auto* r = static_cast<PngReader*>(png_get_error_ptr(png));
  std::strncpy(r->Message, message != nullptr ? message : "unknown error", sizeof r->Message - 1);
  png_longjmp(png, 1);
}

extern "C" void OnPngWarning(png_structp, png_const_charp) {}

extern "C" void ReadPngBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* r = static_cast<PngReader*>(png_get_io_ptr(png));
  if (count > r->Size - r->Pos) png_error(png, "the file ends too early");
  std::memcpy(out, r->Data + r->Pos, count);
  r->Pos += count;
}

// What the header says, after the transformations are set.
struct PngHeader {
  uint32_t Width = 0, Height = 0;
  bool HasAlpha = false;
  size_t RowBytes = 0;
};

// -- reading steps (each returns false when libpng failed)

bool ReadHeader(PngReader& r, PngHeader& h) {
  if (setjmp(png_jmpbuf(r.Png))) return false;
  png_set_read_fn(r.Png, &r, ReadPngBytes);
  png_read_info(r.Png, r.Info);
  const int colorType = png_get_color_type(r.Png, r.Info);
  h.HasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(r.Png, r.Info, PNG_INFO_tRNS) != 0;
  png_set_expand(r.Png);  // palette to RGB, grey below 8 bits to 8 bits, tRNS to alpha
  png_set_scale_16(r.Png);
  png_set_gray_to_rgb(r.Png);
  png_set_bgr(r.Png);  // bytes B, G, R, A: a little-endian 0xAARRGGBB
  if (!h.HasAlpha) png_set_filler(r.Png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(r.Png);
  h.Width = png_get_image_width(r.Png, r.Info);
  h.Height = png_get_image_height(r.Png, r.Info);
  return true;
}

// Takes libpng's row buffers (up to 16 bytes a column) and the size of a transformed row.
bool StartRows(PngReader& r, PngHeader& h) {
  if (setjmp(png_jmpbuf(r.Png))) return false;
  png_read_update_info(r.Png, r.Info);
  h.RowBytes = png_get_rowbytes(r.Png, r.Info);
  return true;
}

// Row by row and pass by pass into the pixels, as png_read_image does, without its table of row pointers
// (8 bytes a row: twice the pixels of a tall, narrow image).
bool ReadRows(PngReader& r, uint32_t* pixels, size_t width, size_t height) {
  if (setjmp(png_jmpbuf(r.Png))) return false;
  const int passes = png_set_interlace_handling(r.Png);
  for (int pass = 0; pass < passes; ++pass)
    for (size_t y = 0; y < height; ++y) png_read_row(r.Png, reinterpret_cast<png_bytep>(pixels + y * width), nullptr);
  return true;
}

// Frees the libpng state on every path out.
struct ReadGuard {
  PngReader R;
  explicit ReadGuard(std::span<const uint8_t> bytes) {
    R.Data = bytes.data();
    R.Size = bytes.size();
    R.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &R, OnPngError, OnPngWarning);
    if (R.Png != nullptr) R.Info = png_create_info_struct(R.Png);
  }
  ~ReadGuard() { png_destroy_read_struct(&R.Png, R.Info != nullptr ? &R.Info : nullptr, nullptr); }
  ReadGuard(const ReadGuard&) = delete;
  ReadGuard& operator=(const ReadGuard&) = delete;
};

// Frees the image's state of libpng's simplified writer on every path out.
struct PngImage {
  png_image Image{};
  PngImage() { Image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&Image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
};

}  // namespace

namespace {

// Reads the header and checks its size as the decoder must before it takes memory for the pixels; raises
// EInvalidGraphic when the image is refused.
void OpenHeader(std::span<const uint8_t> bytes, ReadGuard& g, PngHeader& h) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) Invalid("no PNG signature");
  if (g.R.Png == nullptr || g.R.Info == nullptr) throw EOutOfMemory("PNG image: out of memory");
  if (!ReadHeader(g.R, h)) Invalid(g.R.Message);
  const int64_t w = h.Width, ht = h.Height;
  if (w <= 0 || ht <= 0 || w * ht > kMaxImagePixels || w * ht > MaxPixelsFor(bytes.size()))
    Invalid("its size is more than the file can hold");
}

}  // namespace

TImageSize PngHeaderSize(std::span<const uint8_t> bytes) {
  ReadGuard g(bytes);
  PngHeader h;
  OpenHeader(bytes, g, h);
  return {static_cast<int>(h.Width), static_cast<int>(h.Height)};
}

RawImage DecodePng(std::span<const uint8_t> bytes) {
  ReadGuard g(bytes);
  PngHeader h;
  OpenHeader(bytes, g, h);
  if (!StartRows(g.R, h)) Invalid(g.R.Message);
  if (h.RowBytes != size_t(h.Width) * 4) Invalid("its samples do not decode to 8-bit colour");
  RawImage img;
  img.HasAlpha = h.HasAlpha;
  img.Bits = img.HasAlpha ? 32 : 24;
  img.Width = static_cast<int>(h.Width);
  img.Height = static_cast<int>(h.Height);
  img.Pixels.resize(size_t(h.Width) * h.Height);
  if (!ReadRows(g.R, img.Pixels.data(), h.Width, h.Height)) Invalid(g.R.Message);
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

}  // namespace qelta::platform_detail
