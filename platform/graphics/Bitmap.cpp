// TGraphic, TBitmap, TJPEGImage and TPicture, and the whole-file helpers of the image codecs.
//
// A bitmap keeps its pixels as 0xAARRGGBB in one vector (rows top to bottom, stride = width) and binds
// its canvas to that vector whenever the size changes. Files are recognised by content: "BM" (BMP),
// the PNG signature, or FF D8 FF (JPEG).

#include <algorithm>

#include "Encoding.h"
#include "Graphics.h"
#include "GraphicsRaster.h"
#include "Streams.h"
#include "SysUtils.h"

namespace qelta {
namespace platform_detail {

std::vector<uint8_t> ReadFileBytes(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  return ReadStreamBytes(file);
}

void WriteFileBytes(const String& fileName, std::span<const uint8_t> bytes, TSaveGroup* group) {
  SaveWholeFile(fileName, [&](TStream& file) { WriteStreamBytes(file, bytes); }, group);
}

std::vector<uint8_t> ReadStreamBytes(TStream& stream) {
  const int64_t rest = std::max<int64_t>(0, stream.Size() - stream.Position());
  std::vector<uint8_t> bytes(static_cast<size_t>(rest));
  stream.ReadBuffer(bytes.data(), rest);
  return bytes;
}

void WriteStreamBytes(TStream& stream, std::span<const uint8_t> bytes) {
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

}  // namespace platform_detail

namespace {

// Bits per pixel of the BMP written for a pixel format.
int BmpBits(TPixelFormat format) { return format == pf32bit ? 32 : format == pf4bit ? 4 : 24; }

// Lower-case extension with its dot, "" when there is none.
std::string Extension(const String& fileName) {
  const std::string name = StringToUtf8(fileName);
  const size_t dot = name.find_last_of('.'), slash = name.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = name.substr(dot);
  for (char& ch : ext) ch = (ch >= 'A' && ch <= 'Z') ? char(ch - 'A' + 'a') : ch;
  return ext;
}

// Runs the load of a file; an image that does not decode names the file ("x.png": PNG image ...).
template <typename Load>
void LoadNamingFile(const String& fileName, Load load) {
  try {
    load();
  } catch (const EInvalidGraphic& e) {
    throw EInvalidGraphic(u"\"" + fileName + u"\": " + e.Message());
  }
}

// The decoder of a format and its header reader.
struct Codec {
  platform_detail::RawImage (*Decode)(std::span<const uint8_t>);
  TImageSize (*HeaderSize)(std::span<const uint8_t>);
};

const Codec& CodecFor(std::span<const uint8_t> bytes) {
  static const Codec png{platform_detail::DecodePng, platform_detail::PngHeaderSize};
  static const Codec jpeg{platform_detail::DecodeJpeg, platform_detail::JpegHeaderSize};
  static const Codec bmp{platform_detail::DecodeBmp, platform_detail::BmpHeaderSize};
  switch (platform_detail::SniffImage(bytes)) {
    case platform_detail::ImageKind::Png: return png;
    case platform_detail::ImageKind::Jpeg: return jpeg;
    case platform_detail::ImageKind::Bmp: return bmp;
    default: throw EInvalidGraphic("Bitmap image is not valid: neither BMP, PNG nor JPEG");
  }
}

// The size a header reader answers, or none where the decoder would refuse the header.
template <typename Read>
std::optional<TImageSize> Declared(Read read) {
  try {
    return read();
  } catch (const EInvalidGraphic&) {
    return std::nullopt;
  }
}

}  // namespace

// [SECTION] TGraphic

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

void TGraphic::WithProgress(const String& Msg, const std::function<void()>& work) const {
  auto* self = const_cast<TGraphic*>(this);  // the event names the image as its sender
  if (OnProgress) OnProgress(self, psStarting, 0, Msg);
  work();
  if (OnProgress) OnProgress(self, psEnding, 100, Msg);
}

// [SECTION] TBitmap

TBitmap::TBitmap() : FCanvas(std::make_unique<TCanvas>()) {}

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() = default;

void TBitmap::Rebind() { FCanvas->SetSurface({FPixels.empty() ? nullptr : FPixels.data(), FWidth, FHeight, FWidth}); }

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == FWidth && height == FHeight) return;
  const auto tooLarge = [&] {  // the message names the size asked for
    return EOutOfMemory(u"Bitmap of " + IntToStr(width) + u" x " + IntToStr(height) + u" pixels too large: out of memory");
  };
  if (int64_t(width) * height > platform_detail::kMaxImagePixels) throw tooLarge();
  std::vector<uint32_t> pixels;
  try {
    pixels.assign(size_t(width) * height, 0xFFFFFFFFu);
  } catch (const std::bad_alloc&) {
    throw tooLarge();
  }
  const int w = std::min(width, FWidth), h = std::min(height, FHeight);
  for (int y = 0; y < h; ++y)
    std::copy_n(FPixels.begin() + size_t(y) * FWidth, w, pixels.begin() + size_t(y) * width);
  FPixels.swap(pixels);
  FWidth = width;
  FHeight = height;
  Rebind();
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value) {
  const TPixelFormat f = value == pf32bit || value == pf4bit ? value : pf24bit;
  if (f == FPixelFormat) return;
  FPixelFormat = f;
  Changed();
}

uint32_t* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= FHeight) throw EInvalidGraphicOperation("Scan line index out of range");
  return FPixels.data() + size_t(row) * FWidth;
}

const uint32_t* TBitmap::ScanLine(int row) const { return const_cast<TBitmap*>(this)->ScanLine(row); }

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  return platform_detail::PixelToColor(FPixels[size_t(FHeight - 1) * FWidth]);
}

void TBitmap::SetTransparentColor(TColor value) {
  FTransparentMode = value == clDefault ? tmAuto : tmFixed;
  FTransparentColor = value;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value) {
  if (value == FTransparentMode) return;
  FTransparentMode = value;
  if (value == tmAuto) FTransparentColor = clDefault;
  else FTransparentColor = TransparentColor();
  Changed();
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == nullptr) return SetSize(0, 0);
  if (auto* jpeg = dynamic_cast<TJPEGImage*>(Source)) return Assign(const_cast<TBitmap*>(jpeg->Bitmap()));
  auto* src = dynamic_cast<TBitmap*>(Source);
  if (src == nullptr) return TGraphic::Assign(Source);
  if (src == this) return;
  FPixels = src->FPixels;
  FWidth = src->FWidth;
  FHeight = src->FHeight;
  FPixelFormat = src->FPixelFormat;
  FTransparentMode = src->FTransparentMode;
  FTransparentColor = src->FTransparentColor;
  Rebind();
  SetTransparent(src->Transparent());
  Changed();
}

void TBitmap::LoadFromBytes(std::span<const uint8_t> bytes) {
  platform_detail::RawImage img = CodecFor(bytes).Decode(bytes);
  TakeDecoded(img);
}

std::optional<TImageSize> TBitmap::DeclaredSize(std::span<const uint8_t> bytes) {
  return Declared([&] { return CodecFor(bytes).HeaderSize(bytes); });
}

void TBitmap::TakeDecoded(platform_detail::RawImage& img) {
  FPixels.swap(img.Pixels);
  FWidth = img.Width;
  FHeight = img.Height;
  FPixelFormat = (img.Bits == 32 || img.HasAlpha) ? pf32bit : pf24bit;
  Rebind();
  Changed();
}

void TBitmap::LoadFromFile(const String& fileName) {
  WithProgress(u"Loading", [&] { LoadNamingFile(fileName, [&] { LoadFromBytes(platform_detail::ReadFileBytes(fileName)); }); });
}

void TBitmap::LoadFromStream(TStream& stream) {
  WithProgress(u"Loading", [&] { LoadFromBytes(platform_detail::ReadStreamBytes(stream)); });
}

void TBitmap::SaveToStream(TStream& stream) const {
  WithProgress(u"Saving", [&] { platform_detail::WriteStreamBytes(stream, SaveToBytes()); });
}

std::vector<uint8_t> TBitmap::SaveToBytes() const {
  return platform_detail::EncodeBmp({FWidth, FHeight, FPixels, false, 24}, BmpBits(FPixelFormat));
}

void TBitmap::SaveToFile(const String& fileName) const {
  WithProgress(u"Saving", [&] {
    const std::string ext = Extension(fileName);
    const platform_detail::RawImage img{FWidth, FHeight, FPixels, false, 24};
    std::vector<uint8_t> bytes;
    if (ext == ".png") bytes = platform_detail::EncodePng(img, FPixelFormat == pf32bit);
    else if (ext == ".jpg" || ext == ".jpeg") bytes = platform_detail::EncodeJpeg(img, 90);
    else bytes = SaveToBytes();
    platform_detail::WriteFileBytes(fileName, bytes);
  });
}

void TBitmap::DrawOn(TCanvas* canvas, const TRect& r) {
  if (canvas == nullptr || Empty()) return;
  const int64_t key = Transparent() ? int64_t(platform_detail::ColorToPixel(TransparentColor())) : -1;
  canvas->BlitPixels(r, FCanvas->Surface(), Rect(0, 0, FWidth, FHeight), key);
}

// [SECTION] TJPEGImage

TJPEGImage::TJPEGImage() : FBitmap(std::make_unique<TBitmap>()) {}

TJPEGImage::~TJPEGImage() = default;

int TJPEGImage::Width() const { return FBitmap->Width(); }
int TJPEGImage::Height() const { return FBitmap->Height(); }

void TJPEGImage::SetCompressionQuality(int value) { FQuality = std::clamp(value, 1, 100); }

void TJPEGImage::Assign(TPersistent* Source) {
  if (auto* jpeg = dynamic_cast<TJPEGImage*>(Source)) {
    if (jpeg == this) return;
    FBitmap->Assign(jpeg->FBitmap.get());
    FData = jpeg->FData;
    FQuality = jpeg->FQuality;
    return Changed();
  }
  if (auto* bmp = dynamic_cast<TBitmap*>(Source)) {
    FBitmap->Assign(bmp);
    FData.clear();
    return Changed();
  }
  TGraphic::Assign(Source);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  if (auto* bmp = dynamic_cast<TBitmap*>(Dest)) return bmp->Assign(FBitmap.get());
  TGraphic::AssignTo(Dest);
}

// The decoded pixels go straight into the bitmap (a copy through a second bitmap held the image
// three times at once); its transparency starts afresh, as a new bitmap's.
void TJPEGImage::LoadFromBytes(std::span<const uint8_t> bytes) {
  platform_detail::RawImage img = platform_detail::DecodeJpeg(bytes);
  std::vector<uint8_t> data(bytes.begin(), bytes.end());
  FBitmap->SetTransparentMode(tmAuto);
  FBitmap->SetTransparent(false);
  FBitmap->TakeDecoded(img);
  FData.swap(data);
  Changed();
}

std::optional<TImageSize> TJPEGImage::DeclaredSize(std::span<const uint8_t> bytes) {
  return Declared([&] { return platform_detail::JpegHeaderSize(bytes); });
}

void TJPEGImage::LoadFromFile(const String& fileName) {
  WithProgress(u"Loading", [&] { LoadNamingFile(fileName, [&] { LoadFromBytes(platform_detail::ReadFileBytes(fileName)); }); });
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  WithProgress(u"Loading", [&] { LoadFromBytes(platform_detail::ReadStreamBytes(stream)); });
}

void TJPEGImage::SaveToStream(TStream& stream) const {
  WithProgress(u"Saving", [&] { platform_detail::WriteStreamBytes(stream, SaveToBytes()); });
}

std::vector<uint8_t> TJPEGImage::SaveToBytes() const {
  if (!FData.empty()) return FData;
  std::vector<uint32_t> pixels(FBitmap->Empty() ? 0 : size_t(Width()) * Height());
  if (!pixels.empty()) std::copy_n(FBitmap->ScanLine(0), pixels.size(), pixels.begin());
  return platform_detail::EncodeJpeg({Width(), Height(), std::move(pixels), false, 24}, FQuality);
}

void TJPEGImage::SaveToFile(const String& fileName) const {
  WithProgress(u"Saving", [&] { platform_detail::WriteFileBytes(fileName, SaveToBytes()); });
}

void TJPEGImage::DrawOn(TCanvas* canvas, const TRect& r) { FBitmap->DrawOn(canvas, r); }

// [SECTION] TPicture

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  std::unique_ptr<TGraphic> copy;
  if (dynamic_cast<TJPEGImage*>(value) != nullptr) copy = std::make_unique<TJPEGImage>();
  else if (value != nullptr) copy = std::make_unique<TBitmap>();
  if (copy) copy->Assign(value);
  FGraphic = std::move(copy);
  Changed();
}

void TPicture::Assign(TPersistent* Source) {
  if (Source == nullptr) return SetGraphic(nullptr);
  if (auto* pic = dynamic_cast<TPicture*>(Source)) return SetGraphic(pic->Graphic());
  if (auto* g = dynamic_cast<TGraphic*>(Source)) return SetGraphic(g);
  TPersistent::Assign(Source);
}

TBitmap* TPicture::Bitmap() {
  if (auto* bmp = dynamic_cast<TBitmap*>(FGraphic.get())) return bmp;
  auto bmp = std::make_unique<TBitmap>();
  if (FGraphic) bmp->Assign(FGraphic.get());  // keep the picture: the held image becomes a bitmap
  FGraphic = std::move(bmp);
  Changed();
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const String& fileName) {
  LoadNamingFile(fileName, [&] { LoadPictureFile(fileName); });
}

void TPicture::LoadPictureFile(const String& fileName) {
  const std::vector<uint8_t> bytes = platform_detail::ReadFileBytes(fileName);
  const std::string ext = Extension(fileName);
  platform_detail::ImageKind kind = platform_detail::SniffImage(bytes);
  if (kind == platform_detail::ImageKind::Unknown) {
    if (ext == ".jpg" || ext == ".jpeg") kind = platform_detail::ImageKind::Jpeg;
    else if (ext == ".bmp" || ext == ".png") kind = platform_detail::ImageKind::Bmp;
    else throw EInvalidGraphic(u"Unknown picture file extension (" + Utf8ToString(ext) + u")");
  }
  std::unique_ptr<TGraphic> g;
  if (kind == platform_detail::ImageKind::Jpeg) {
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromBytes(bytes);
    g = std::move(jpeg);
  } else {
    auto bmp = std::make_unique<TBitmap>();
    bmp->LoadFromBytes(bytes);
    g = std::move(bmp);
  }
  FGraphic = std::move(g);
  Changed();
}

void TPicture::SaveToFile(const String& fileName) const {
  if (!FGraphic) throw EInvalidGraphicOperation("Cannot save an empty picture");
  FGraphic->SaveToFile(fileName);
}

}  // namespace qelta
