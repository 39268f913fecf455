// JPEG files through libjpeg-turbo (the libjpeg 6.2 interface): colour, grey and CMYK files are read,
// colour files written.
//
// libjpeg reports errors by calling error_exit, which must not return. Ours longjmps back to the
// setjmp in one of the small C-style steps below; those steps hold no C++ object with a destructor
// between setjmp and longjmp, so the jump skips nothing. The codec state lives in a guard object in
// the calling C++ function, which destroys it on every path. Warnings (corrupt but decodable data)
// are silenced: such a file decodes as far as libjpeg can take it. A file that ends too early is not
// valid, and neither is one whose header claims far more pixels than its length can hold.

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <jerror.h>

#include "Encoding.h"
#include "Graphics.h"

namespace qelta::platform_detail {
namespace {

[[noreturn]] void Invalid(const char* reason) {
  throw EInvalidGraphic(u"JPEG image is not valid: " + Utf8ToString(reason));
}

struct ErrorManager {
  jpeg_error_mgr Pub;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX] = "";  ///< libjpeg's text of the error that ended the last step
};

extern "C" void OnJpegError(j_common_ptr info) {
  auto* e = reinterpret_cast<ErrorManager*>(info->err);
  e->Pub.format_message(info, e->Message);
  std::longjmp(e->Jump, 1);
}
// Warnings are ignored, except running out of data: libjpeg would fill the rest of a truncated file
// with grey and call it an image.
extern "C" void OnJpegMessage(j_common_ptr info, int level) {
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) OnJpegError(info);
}

// Huffman coding spends at least one bit on every 8 x 8 block, so a real file holds no more than about
// 512 pixels per byte; a header that claims far more (a few bytes announcing a huge image) is refused
// before the pixel buffer is allocated. The margin leaves room for arithmetic coding.
int64_t MaxPixelsFor(size_t fileSize) { return (int64_t(1) << 20) + static_cast<int64_t>(fileSize) * 4096; }

void InitErrors(ErrorManager& e) {
  jpeg_std_error(&e.Pub);
  e.Pub.error_exit = OnJpegError;
  e.Pub.emit_message = OnJpegMessage;
}

// -- decompression steps (each returns false when libjpeg failed)

bool CreateDecompress(jpeg_decompress_struct* d) {
  if (setjmp(reinterpret_cast<ErrorManager*>(d->err)->Jump)) return false;
  jpeg_create_decompress(d);
  return true;
}

bool ReadHeader(jpeg_decompress_struct* d, const uint8_t* data, size_t size) {
  if (setjmp(reinterpret_cast<ErrorManager*>(d->err)->Jump)) return false;
  jpeg_mem_src(d, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(d, TRUE) != JPEG_HEADER_OK) return false;
  const bool cmyk = d->jpeg_color_space == JCS_CMYK || d->jpeg_color_space == JCS_YCCK;
  d->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  return true;
}

// Four CMYK bytes per pixel to 0xFFRRGGBB in place. Files with the Adobe marker store the inks
// inverted (255 = no ink), as the writers of such files do.
void CmykToBgra(uint8_t* p, size_t pixels, bool inverted) {
  for (size_t i = 0; i < pixels; ++i, p += 4) {
    uint32_t c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    p[0] = uint8_t((y * k + 127) / 255);
    p[1] = uint8_t((m * k + 127) / 255);
    p[2] = uint8_t((c * k + 127) / 255);
    p[3] = 255;
  }
}

bool ReadPixels(jpeg_decompress_struct* d, uint8_t* out, size_t stride, size_t rows) {
  if (setjmp(reinterpret_cast<ErrorManager*>(d->err)->Jump)) return false;
  jpeg_start_decompress(d);
  if (d->output_height != rows || d->output_components != 4) return false;
  while (d->output_scanline < d->output_height) {
    JSAMPROW row = out + d->output_scanline * stride;
    jpeg_read_scanlines(d, &row, 1);
  }
  jpeg_finish_decompress(d);
  return true;
}

struct Decompressor {
  ErrorManager Errors;
  jpeg_decompress_struct Info{};
  bool Created = false;
  Decompressor() {
    InitErrors(Errors);
    Info.err = &Errors.Pub;
    Created = CreateDecompress(&Info);
  }
  ~Decompressor() {
    if (Created) jpeg_destroy_decompress(&Info);
  }
};

// -- compression steps

bool CreateCompress(jpeg_compress_struct* c) {
  if (setjmp(reinterpret_cast<ErrorManager*>(c->err)->Jump)) return false;
  jpeg_create_compress(c);
  return true;
}

bool WritePixels(jpeg_compress_struct* c, const uint8_t* pixels, int w, int h, int quality, unsigned char** out,
                 unsigned long* size) {
  if (setjmp(reinterpret_cast<ErrorManager*>(c->err)->Jump)) return false;
  jpeg_mem_dest(c, out, size);
  c->image_width = static_cast<JDIMENSION>(w);
  c->image_height = static_cast<JDIMENSION>(h);
  c->input_components = 4;
  c->in_color_space = JCS_EXT_BGRA;
  jpeg_set_defaults(c);
  jpeg_set_quality(c, quality, TRUE);
  jpeg_start_compress(c, TRUE);
  while (c->next_scanline < c->image_height) {
    JSAMPROW row = const_cast<uint8_t*>(pixels) + size_t(c->next_scanline) * size_t(w) * 4;
    jpeg_write_scanlines(c, &row, 1);
  }
  jpeg_finish_compress(c);
  return true;
}

struct Compressor {
  ErrorManager Errors;
  jpeg_compress_struct Info{};
  bool Created = false;
  unsigned char* Out = nullptr;
  unsigned long Size = 0;
  Compressor() {
    InitErrors(Errors);
    Info.err = &Errors.Pub;
    Created = CreateCompress(&Info);
  }
  ~Compressor() {
    if (Created) jpeg_destroy_compress(&Info);
    std::free(Out);
  }
};

}  // namespace

namespace {

// Reads the header and checks it as the decoder must before it takes memory for the pixels; raises
// EInvalidGraphic when the image is refused.
void OpenHeader(std::span<const uint8_t> bytes, Decompressor& d) {
  if (!d.Created) throw EOutOfMemory("JPEG image: out of memory");
  if (bytes.empty()) Invalid("the file is empty");
  if (!ReadHeader(&d.Info, bytes.data(), bytes.size())) Invalid(d.Errors.Message[0] ? d.Errors.Message : "no image header");
  const int64_t w = d.Info.image_width, h = d.Info.image_height;
  if (w <= 0 || h <= 0 || w * h > kMaxImagePixels || w * h > MaxPixelsFor(bytes.size()))
    Invalid("its size is more than the file can hold");
}

}  // namespace

TImageSize JpegHeaderSize(std::span<const uint8_t> bytes) {
  Decompressor d;
  OpenHeader(bytes, d);
  return {static_cast<int>(d.Info.image_width), static_cast<int>(d.Info.image_height)};
}

RawImage DecodeJpeg(std::span<const uint8_t> bytes) {
  Decompressor d;
  OpenHeader(bytes, d);
  RawImage img;
  img.Width = static_cast<int>(d.Info.image_width);
  img.Height = static_cast<int>(d.Info.image_height);
  img.Pixels.resize(size_t(img.Width) * img.Height);
  auto* out = reinterpret_cast<uint8_t*>(img.Pixels.data());
  if (!ReadPixels(&d.Info, out, size_t(img.Width) * 4, size_t(img.Height)))
    Invalid(d.Errors.Message[0] ? d.Errors.Message : "its pixels do not decode");
  if (d.Info.out_color_space == JCS_CMYK) CmykToBgra(out, img.Pixels.size(), d.Info.saw_Adobe_marker);
  return img;
}

std::vector<uint8_t> EncodeJpeg(const RawImage& image, int quality) {
  if (image.Width <= 0 || image.Height <= 0) throw EInvalidGraphicOperation("Cannot save an empty image as JPEG");
  Compressor c;
  const auto* pixels = reinterpret_cast<const uint8_t*>(image.Pixels.data());
  if (!c.Created || !WritePixels(&c.Info, pixels, image.Width, image.Height, std::clamp(quality, 1, 100), &c.Out, &c.Size))
    throw EInvalidGraphicOperation("JPEG image could not be written");
  return std::vector<uint8_t>(c.Out, c.Out + c.Size);
}

}  // namespace qelta::platform_detail
