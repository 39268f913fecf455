// Qelta_vector: the binary stream form and the text file form of TVector and TIntVector.
//
// Stream form, little-endian, from the stream's position:
//   TVector:    LowElem, HighElem, elements LowElem..HighElem, each a 10-byte x87 extended image
//   TIntVector: the same three parts as 4-byte signed integers
// Text form (one byte per character, lines end CR LF): "first last", then one value per line.
//
// Readers never trust their header: the two indices must be integers with 1 <= Low <= High (an
// extended image must be finite and integral), the elements they announce must fit into the bytes
// that follow (a text number takes a separator and a digit at least), and a resizing read never
// allocates more than kMaxUnlistedCells elements beyond those listed. A header that fails answers false with the vector unchanged and no event.
// Deliberate choices: the writers clamp both bounds into 1..NrOfElem, so they never write a header
// their own reader refuses; a write error or an unreadable number answers false (the remaining
// numbers are still read).

#include <algorithm>

#include "Qelta_streams.h"
#include "Qelta_vecmat_internal.h"
#include "Qelta_vector.h"
#include "SysUtils.h"

namespace qelta::detail {
namespace {

constexpr int kChunk = 65536;  // elements per block transfer

// Checks the header lo..hi against the elements the input can still hold (fits), resizes when
// asked; true when the vector then holds lo..hi. A too small vector fires OnChange and answers false.
template <typename T>
bool PrepareLoad(TVectorT<T>& v, int lo, int hi, int64_t fits, bool adjust) {
  const int64_t count = static_cast<int64_t>(hi) - lo + 1;
  if (lo < 1 || hi < lo || count > fits) return false;
  if (adjust && lo - 1 > kMaxUnlistedCells) return false;
  try {
    if (adjust) v.Resize(hi);
  } catch (const EQeltaVectorError&) {
    return false;
  }
  if (v.NrOfElem() >= hi) return true;
  v.Changed();
  return false;
}

}  // namespace

// [SECTION] streams

template <typename T>
bool TVectorT<T>::SaveToStream(TMemoryStream*& OutStream, int LowElem, int HighElem) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  return SaveToStream(*OutStream, LowElem, HighElem);
}

template <typename T>
bool TVectorT<T>::SaveToStream(TStream& OutStream, int LowElem, int HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  TByteImage img;
  PutIndex(img, T{}, LowElem);
  PutIndex(img, T{}, HighElem);
  try {
    for (int i = LowElem; i <= HighElem; ++i) {
      PutImage(img, FVec[static_cast<std::size_t>(i - 1)]);
      if (img.Bytes.size() >= static_cast<std::size_t>(kChunk) * ImageSize(T{}) || i == HighElem) {
        OutStream.WriteBuffer(img.Bytes.data(), static_cast<int64_t>(img.Bytes.size()));
        img.Bytes.clear();
      }
    }
  } catch (const EStreamError&) {
    return false;
  }
  return true;
}

template <typename T>
bool TVectorT<T>::LoadFromStream(TStream* InStream, bool AdjustVectorSize) {
  int lo = 0, hi = 0;
  if (InStream == nullptr || !ReadIndex(*InStream, T{}, lo) || !ReadIndex(*InStream, T{}, hi)) return false;
  if (!PrepareLoad(*this, lo, hi, StreamRemaining(*InStream) / ImageSize(T{}), AdjustVectorSize)) return false;
  const int64_t count = static_cast<int64_t>(hi) - lo + 1;
  bool ok = true;
  std::vector<uint8_t> buf;
  for (int64_t done = 0; done < count;) {
    const int64_t n = std::min<int64_t>(kChunk, count - done);
    buf.resize(static_cast<std::size_t>(n * ImageSize(T{})));
    const int64_t got = std::max<int64_t>(InStream->Read(buf.data(), n * ImageSize(T{})), 0) / ImageSize(T{});
    for (int64_t k = 0; k < got; ++k)
      PutVal(static_cast<int>(lo + done + k), GetImage(buf.data() + k * ImageSize(T{}), T{}));
    if (got < n) {  // a failed read: the rest stays as it was
      ok = false;
      break;
    }
    done += n;
  }
  Changed();
  return ok;
}

// [SECTION] text files

template <typename T>
bool TVectorT<T>::StoreText(const String& FileName, int first, int last,
                            const std::function<String(T)>& text) const {
  TextFile f;
  try {
    AssignFile(f, FileName);
    Rewrite(f);
    WriteLn(f, IntToStr(first) + u" " + IntToStr(last));
    for (int i = first; i <= last; ++i) WriteLn(f, text(FVec[static_cast<std::size_t>(i - 1)]));
    CloseFile(f);
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

template <typename T>
bool TVectorT<T>::LoadFromFile(const String& FileName, bool AdjustVectorSize) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(FileName, bytes)) return false;
  TTokenReader tokens(bytes.data(), bytes.size());
  String t;
  int32_t lo = 0, hi = 0;
  if (!tokens.Next(t) || !ParseIntegerToken(t, lo) || !tokens.Next(t) || !ParseIntegerToken(t, hi)) return false;
  const int64_t fits = static_cast<int64_t>(tokens.Remaining()) / 2;  // blank + digit each
  if (!PrepareLoad(*this, lo, hi, fits, AdjustVectorSize)) return false;
  bool ok = true;
  T v{};
  for (int i = lo; i <= hi; ++i) {
    if (!tokens.Next(t)) {  // the file ends early
      ok = false;
      break;
    }
    if (ParseElemToken(t, v))
      PutVal(i, v);
    else
      ok = false;  // the element keeps its value; reading goes on
  }
  Changed();
  return ok;
}

#define QELTA_VECTOR_IO(T)                                                                   \
  template bool TVectorT<T>::SaveToStream(TMemoryStream*&, int, int) const;                   \
  template bool TVectorT<T>::SaveToStream(TStream&, int, int) const;                          \
  template bool TVectorT<T>::LoadFromStream(TStream*, bool);                                  \
  template bool TVectorT<T>::StoreText(const String&, int, int, const std::function<String(T)>&) const; \
  template bool TVectorT<T>::LoadFromFile(const String&, bool);
QELTA_VECTOR_IO(double)
QELTA_VECTOR_IO(int32_t)
#undef QELTA_VECTOR_IO

}  // namespace qelta::detail

namespace qelta {

// [SECTION] text forms of the two classes

bool TVector::StoreOnFile(int FirstElem, int LastElem, int Precision, const String& FileName) const {
  if (LastElem < FirstElem) std::swap(FirstElem, LastElem);
  FirstElem = detail::ClampInt(FirstElem, 1, NrOfElem());
  LastElem = detail::ClampInt(LastElem, 1, NrOfElem());
  if (Precision < -2) Precision = 2;
  if (Precision > 20) Precision = 20;
  return StoreText(FileName, FirstElem, LastElem, [Precision](double v) {
    if (Precision >= 0) return Str(v, 0, Precision);
    return Str(v, Precision == -1 ? 13 : 26);
  });
}

bool TIntVector::StoreOnFile(int FirstElem, int LastElem, const String& FileName) const {
  if (LastElem < FirstElem) std::swap(FirstElem, LastElem);
  FirstElem = detail::ClampInt(FirstElem, 1, NrOfElem());
  LastElem = detail::ClampInt(LastElem, 1, NrOfElem());
  return StoreText(FileName, FirstElem, LastElem, [](int32_t v) { return IntToStr(v); });
}

}  // namespace qelta
