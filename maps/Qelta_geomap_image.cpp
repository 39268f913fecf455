// Qelta_geomap: the map image: loading a file, taking a host's bitmap, saving, renaming, resampling.
// Every new image is made complete in a temporary first and taken over only when it is accepted, so
// a refused or failed image leaves the map as it was. A name loses its last extension only
// ("two.dots.tif" saves as "two.dots.jpg"), so names that differ after their first dot stay apart.

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

#include "FileSys.h"
#include "Qelta_geomap.h"
#include "Qelta_geomap_internal.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "Streams.h"
#include "SysUtils.h"

namespace qelta {

namespace {

/// Which loader the lower-cased extension picks: ".jpg" and ".jpeg" the JPEG image, ".bmp" the bitmap.
enum class TImageLoader { None, Jpeg, Bitmap };

TImageLoader LoaderFor(const String& FileName) {
  const String ext = LowerCase(ExtractFileExt(FileName));
  if (ext == u".jpg" || ext == u".jpeg") return TImageLoader::Jpeg;
  return ext == u".bmp" ? TImageLoader::Bitmap : TImageLoader::None;
}

/// The size the file's header declares to its loader, read without decoding; none where the header
/// does not tell (the loader then meets the file and reports what is wrong with it).
std::optional<TImageSize> DeclaredSize(const String& FileName, TImageLoader Loader) {
  TMemoryStream file;
  try {
    file.LoadFromFile(FileName);
  } catch (const Exception&) {
    return std::nullopt;
  }
  const std::span<const uint8_t> bytes(file.Memory(), static_cast<size_t>(file.Size()));
  return Loader == TImageLoader::Jpeg ? TJPEGImage::DeclaredSize(bytes) : TBitmap::DeclaredSize(bytes);
}

/// The image file as a bitmap, by its loader. The loaders report through Progress; their errors pass.
std::unique_ptr<TBitmap> LoadImageFile(const String& FileName, TImageLoader Loader, const TProgressEvent& Progress) {
  auto image = std::make_unique<TBitmap>();
  if (Loader == TImageLoader::Jpeg) {
    TJPEGImage jpeg;
    jpeg.OnProgress = Progress;
    jpeg.LoadFromFile(FileName);
    image->Assign(&jpeg);
  } else {
    image->OnProgress = Progress;
    image->LoadFromFile(FileName);
    image->OnProgress = nullptr;
  }
  return image;
}

}  // namespace

// [SECTION] taking an image

void TGeoMap::CheckImageSize(int64_t Width, int64_t Height) const {
  if (Width * Height <= MaxMapImagePixels) return;
  throw EQeltaGeoMapError(ComponentMessage(u"Cannot use map image, maximum of 3000000 pixels exceeded (size of map is " +
                                           IntToStr(Width) + u" x " + IntToStr(Height) + u")"));
}

void TGeoMap::AdoptImage(std::unique_ptr<TBitmap> Image, const String& Name) {
  GrafBmp = std::move(Image);
  FCacheMag = 0;
  FMapImgName = Name;
  FMapImgWidth = GrafBmp->Width();
  FMapImgHeight = GrafBmp->Height();
  AuxBmp->SetSize(FMapImgWidth, FMapImgHeight);
  FTopLeft = TPoint{0, 0};
}

void TGeoMap::EmptyMap() {
  GrafBmp = std::make_unique<TBitmap>();
  FCacheMag = 0;
  FMapImgName.clear();
  FMapImgWidth = 0;
  FMapImgHeight = 0;
}

// A missing name is looked up ignoring A-Z case, as the calibration files store it lower-cased; a
// missing file or another extension empties the map. An image over the limit is refused by the size
// its header declares, before it is decoded (it took several decoded copies to find out).
void TGeoMap::SetMapImgName(const String& Name) {
  String fileName = Name;
  if (OnMapImageRequest) OnMapImageRequest(this, fileName);
  FCacheMag = 0;
  const String file = map_detail::ExistingFileName(fileName);
  const TImageLoader loader = FileExists(file) ? LoaderFor(file) : TImageLoader::None;
  if (loader == TImageLoader::None) {
    EmptyMap();
  } else {
    if (const std::optional<TImageSize> declared = DeclaredSize(file, loader))
      CheckImageSize(declared->Width, declared->Height);
    std::unique_ptr<TBitmap> image = LoadImageFile(file, loader, OnDataLoading);
    CheckImageSize(image->Width(), image->Height());
    AdoptImage(std::move(image), Name);
  }
  Paint();
}

void TGeoMap::SetMapBitMap(const TBitmap* Bitmap) {
  if (Bitmap == nullptr) return;
  FCacheMag = 0;
  CheckImageSize(Bitmap->Width(), Bitmap->Height());
  auto image = std::make_unique<TBitmap>();
  image->Assign(const_cast<TBitmap*>(Bitmap));  // Assign takes a non-const source; it only reads it
  AdoptImage(std::move(image), u"$unknown$");
  Paint();
}

// [SECTION] saving and renaming

// Image and calibration are one save: a failure leaves both old files, and the map its old names.
void TGeoMap::SaveMap(const String& FileName, const String& DataID) {
  const String oldImgName = FMapImgName, oldMapFName = FCalibData.MapFName;
  FMapImgName = ChangeFileExt(ExtractFileName(FileName), u".jpg");
  TJPEGImage jpeg;
  jpeg.Assign(GrafBmp.get());
  jpeg.OnProgress = OnDataLoading;
  try {
    map_detail::SaveImageAndCalibration(jpeg, ExtractFilePath(FileName) + FMapImgName, ChangeFileExt(FileName, u".xml"),
                                        [&](TextFile& f) { WriteCalDataToOpenXMLFile(f, true, DataID); });
  } catch (...) {
    FMapImgName = oldImgName;
    FCalibData.MapFName = oldMapFName;
    throw;
  }
}

bool TGeoMap::RenameMapImg(const String& Name) {
  const String bare = ChangeFileExt(ExtractFileName(ReduceStringToFN83CompliantChars(Name)), u"");
  if (FMapImgName.empty() || bare.empty() || !FileExists(FMapImgName)) return false;
  const String newName = ExtractFilePath(FMapImgName) + bare + ExtractFileExt(FMapImgName);
  if (!RenameFile(FMapImgName, newName)) return false;
  FMapImgName = newName;
  return true;
}

// [SECTION] resampling

void TGeoMap::ScaleCalibPixels(double Factor) {
  const auto scale = [Factor](int& v) { v = map_detail::RoundToInt(v * Factor); };
  for (int k = 0; k < map_detail::UsedLines(FCalibData); ++k) {
    TCalibLine& line = FCalibData.CalLines[k];
    for (int j = 0; j < map_detail::UsedPoints(line); ++j) {
      scale(line.CalPoints[j].X);
      scale(line.CalPoints[j].Y);
    }
  }
  for (int k = 0; k < map_detail::UsedQuads(FCalibData); ++k) {
    scale(FCalibData.CalQuads[k].MapX);
    scale(FCalibData.CalQuads[k].MapY);
  }
}

void TGeoMap::ResizeMap(double Factor) {
  if (!(Factor > 0) || !std::isfinite(Factor)) return;
  const int w = map_detail::RoundToInt(GrafBmp->Width() * Factor), h = map_detail::RoundToInt(GrafBmp->Height() * Factor);
  if (w < 1 || h < 1) return;
  CheckImageSize(w, h);
  auto image = std::make_unique<TBitmap>(w, h);
  TCanvas* c = image->Canvas();
  c->SetStretchMode(FAntiAlias ? HALFTONE : COLORONCOLOR);
  c->SetCopyMode(cmSrcCopy);
  c->CopyRect(Rect(0, 0, w, h), GrafBmp->Canvas(), Rect(0, 0, GrafBmp->Width(), GrafBmp->Height()));
  AdoptImage(std::move(image), FMapImgName);
  ScaleCalibPixels(Factor);
  RecalcCalibration();
}

void TGeoMap::ResizeMap(int Length) {
  const int longer = std::max(GrafBmp->Width(), GrafBmp->Height());
  if (longer < 1) return;
  ResizeMap(static_cast<double>(Length) / longer);
}

}  // namespace qelta
