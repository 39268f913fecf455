// Image decoders (BMP, PNG, JPEG, picked by content): any bytes either load or raise EInvalidGraphic.
// The header readers go first: the size they declare is the pixels' allowance (4 bytes a pixel) above
// the usual bound, and an image that loads has exactly that size. Where the header is refused the
// decoder must refuse the bytes too, within the usual bound.
#include <cstdlib>
#include <optional>
#include <span>

#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const std::optional<qelta::TImageSize> declared = qelta::TBitmap::DeclaredSize(bytes);
  const std::optional<qelta::TImageSize> asJpeg = qelta::TJPEGImage::DeclaredSize(bytes);
  // Bytes that are a JPEG by content are read alike by both.
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF && declared != asJpeg) std::abort();
  if (declared) qelta::fuzz::AllowHeap(int64_t{4} * declared->Width * declared->Height);
  qelta::TBitmap bmp;
  try {
    bmp.LoadFromBytes(bytes);
  } catch (const qelta::Exception&) {
    return 0;
  }
  if (!declared || declared->Width != bmp.Width() || declared->Height != bmp.Height()) std::abort();
  return 0;
}
