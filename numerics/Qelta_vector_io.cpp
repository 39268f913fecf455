// Qelta_vector: the binary stream form and the text file form of TVector and TIntVector.
//
// Stream form, little-endian, from the stream's position:
//   TVector:    LowElem, HighElem, elements LowElem..HighElem, each a 10-byte x87 extended image
//   TIntVector: the same three parts as 4-byte signed integers
// Text form (one byte per character, lines end CR LF): "first last", then one value per line.
//
// Readers never trust their header: the two indices must be integers with 1 <= Low <= High (an
// extended image must be finite and integral), the elements they announce must fit into the bytes
// that follow (a text number takes a separator and a digit at least), and a resizing read allocates no
// more than the input can fill plus a small allowance (CellsFitInput). Readers take all or nothing:
// the whole input is read and checked first (the text form line by line: the header line holds
// two numbers and every further line one), and any fault answers false with the vector unchanged,
// no event, and the reason in LastLoadError.
// Deliberate choices: the writers clamp both bounds into 1..NrOfElem, so they never write a header
// their own reader refuses; a write error answers false.

#include <algorithm>

#include "Qelta_streams.h"
#include "Qelta_vecmat_internal.h"
#include "Qelta_vector.h"
#include "SysUtils.h"

namespace qelta::num_detail {
namespace {

constexpr int kChunk = 65536;  // elements per block transfer

// Checks the header lo..hi against the elements the input can still hold (fits, each taking `perElem`
// bytes at least behind a header of `header` bytes); false with the reason in why.
template <typename T>
bool HeaderFits(int lo, int hi, int64_t header, int64_t fits, int perElem, bool adjust, String& why) {
  const int64_t count = static_cast<int64_t>(hi) - lo + 1;
  if (lo < 1 || hi < lo || count > fits || (adjust && !CellsFitInput(hi, sizeof(T), header + count * perElem)))
    return Refuse(why, u"the header \"" + IntToStr(lo) + u" " + IntToStr(hi) + u"\" lists no range the input can hold");
  return true;
}

// Resizes when asked; true when the vector then holds lo..hi (else the reason in why).
template <typename T>
bool PrepareLoad(TVectorT<T>& v, int hi, bool adjust, String& why) {
  try {
    if (adjust) v.Resize(hi);
  } catch (const EQeltaVectorError&) {
    return Refuse(why, u"not enough memory for " + IntToStr(hi) + u" elements");
  }
  if (v.NrOfElem() >= hi) return true;
  return Refuse(why, u"the elements reach " + IntToStr(hi) + u" of a vector of " + IntToStr(v.NrOfElem()));
}

// The text form after its header: exactly one number per line.
template <typename T>
bool ReadTextElements(TLineTokens& lines, int64_t count, std::vector<T>& values, String& why) {
  std::vector<String> t;
  T v{};
  for (int64_t i = 0; i < count; ++i) {
    if (!lines.Next(t)) return Refuse(why, u"the file ends after " + IntToStr(i) + u" of " + IntToStr(count) + u" elements");
    const String at = u"line " + IntToStr(lines.Line());
    if (t.size() != 1) return Refuse(why, at + u" holds " + IntToStr(static_cast<int64_t>(t.size())) + u" numbers, not 1");
    if (!ParseElemToken(t[0], v)) return Refuse(why, at + u" holds " + Quoted(t[0]) + u", not a number of the vector");
    values.push_back(v);
  }
  if (lines.Next(t)) return Refuse(why, u"line " + IntToStr(lines.Line()) + u" follows the last element");
  return true;
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
  FLoadError.clear();
  if (InStream == nullptr) return Refuse(FLoadError, u"no stream");
  if (!ReadIndex(*InStream, T{}, lo) || !ReadIndex(*InStream, T{}, hi))
    return Refuse(FLoadError, u"the stream holds no header of two indices");
  if (!HeaderFits<T>(lo, hi, 2 * ImageSize(T{}), StreamRemaining(*InStream) / ImageSize(T{}), ImageSize(T{}),
                     AdjustVectorSize, FLoadError))
    return false;
  const int64_t count = static_cast<int64_t>(hi) - lo + 1;
  std::vector<uint8_t> block(static_cast<std::size_t>(count * ImageSize(T{})));
  if (InStream->Read(block.data(), static_cast<int64_t>(block.size())) != static_cast<int64_t>(block.size()))
    return Refuse(FLoadError, u"the stream ends inside the elements");
  if (!PrepareLoad(*this, hi, AdjustVectorSize, FLoadError)) return false;
  for (int64_t k = 0; k < count; ++k) PutVal(static_cast<int>(lo + k), GetImage(block.data() + k * ImageSize(T{}), T{}));
  Changed();
  return true;
}

// [SECTION] text files

template <typename T>
bool TVectorT<T>::StoreText(const String& FileName, int first, int last,
                            const std::function<String(T)>& text) const {
  TextFile f;
  try {
    AssignFile(f, FileName);
    RewriteReplacing(f);
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
  FLoadError.clear();
  if (!ReadFileBytes(FileName, bytes)) return Refuse(FLoadError, InFile(FileName, u"cannot be read"));
  TLineTokens lines(bytes.data(), bytes.size());
  std::vector<String> t;
  int32_t lo = 0, hi = 0;
  if (!lines.Next(t) || t.size() != 2 || !ParseIntegerToken(t[0], lo) || !ParseIntegerToken(t[1], hi))
    return Refuse(FLoadError, InFile(FileName, u"line 1 is not the header \"first last\""));
  std::vector<T> values;
  const int64_t fits = static_cast<int64_t>(lines.Remaining()) / 2;  // blank + digit each
  const int64_t header = static_cast<int64_t>(bytes.size() - lines.Remaining());
  if (!HeaderFits<T>(lo, hi, header, fits, 2, AdjustVectorSize, FLoadError) ||
      !ReadTextElements(lines, static_cast<int64_t>(hi) - lo + 1, values, FLoadError) ||
      !PrepareLoad(*this, hi, AdjustVectorSize, FLoadError))
    return Refuse(FLoadError, InFile(FileName, FLoadError));
  for (std::size_t k = 0; k < values.size(); ++k) PutVal(lo + static_cast<int>(k), values[k]);
  Changed();
  return true;
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

}  // namespace qelta::num_detail

namespace qelta {

// [SECTION] text forms of the two classes

bool TVector::StoreOnFile(int FirstElem, int LastElem, int Precision, const String& FileName) const {
  if (LastElem < FirstElem) std::swap(FirstElem, LastElem);
  FirstElem = num_detail::ClampInt(FirstElem, 1, NrOfElem());
  LastElem = num_detail::ClampInt(LastElem, 1, NrOfElem());
  if (Precision < -2) Precision = 2;
  if (Precision > 20) Precision = 20;
  return StoreText(FileName, FirstElem, LastElem, [Precision](double v) {
    if (Precision >= 0) return Str(v, 0, Precision);
    return Str(v, Precision == -1 ? 13 : 26);
  });
}

bool TIntVector::StoreOnFile(int FirstElem, int LastElem, const String& FileName) const {
  if (LastElem < FirstElem) std::swap(FirstElem, LastElem);
  FirstElem = num_detail::ClampInt(FirstElem, 1, NrOfElem());
  LastElem = num_detail::ClampInt(LastElem, 1, NrOfElem());
  return StoreText(FileName, FirstElem, LastElem, [](int32_t v) { return IntToStr(v); });
}

}  // namespace qelta
