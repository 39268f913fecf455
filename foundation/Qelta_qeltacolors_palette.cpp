// TColorArray: the palette component and its colour-list file.
//
// The colour-list file is a text file in Windows-1252 with CR LF line ends:
//   line 1   the first and the last stored index, decimal, separated by one blank ("2 5");
//   then     one line per index from first to last: the full 32-bit colour as exactly eight
//            upper-case hexadecimal digits, high byte first ("FF00000F" for clBtnFace).
// The reader takes any line end, an optional '$' before the digits and ignores what follows them.
//
// Deliberate deviations from the palette as it first shipped, each with a regression test:
//  - FillByInterpolation clamps the colour-list index k to 0..h-1: with flat bands the first entry
//    can fall on c = 0 (Size 5, 2 steps), which made k negative and read before the list; a
//    one-colour list read past its end and an empty list read from nothing.
//  - StoreOnFile answers false when a write or the final close fails (a full disk), where it used
//    to answer true once the file had been created; the old file is then kept as it was.
//  - LoadFromFile with AdjustSize refuses a last index below 1 or above 2^24 (more entries than
//    there are colours) instead of trying to allocate it, stops at the end of the file instead of
//    counting through a hostile range, and never lets an allocation failure escape. It reads the
//    colour lines before it resizes and grows the array only as far as the file can fill it plus a
//    small allowance for a range stored from the middle (core_detail::StorageFitsInput): the 12 bytes
//    "1 16777216" took 64 MiB.
//  - CopyFrom copies through a buffer, so a palette can copy an overlapping range of itself, and
//    skips destination positions outside 1..Size instead of writing past the array.

#include <algorithm>
#include <cstdint>
#include <new>
#include <stdexcept>

#include "Encoding.h"
#include "Math.h"
#include "Qelta_qeltacolors.h"
#include "Qelta_readbound_internal.h"
#include "SysUtils.h"
#include "TextFiles.h"

namespace qelta {
namespace {

/// Largest last index LoadFromFile resizes to: one entry per 24-bit colour.
constexpr int kMaxFileSize = 1 << 24;
constexpr int kDefaultSize = 1000;

/// Squared distance of black and white: RGBColorDistance 1.0.
constexpr int kDistanceOne = 3 * 255 * 255;

/// Squared Euclidean distance of the two colours' bytes.
inline int SquaredDistance(TColor a, TColor b) {
  const uint32_t x = static_cast<uint32_t>(a), y = static_cast<uint32_t>(b);
  const int dr = static_cast<int>(x & 0xFFu) - static_cast<int>(y & 0xFFu);
  const int dg = static_cast<int>((x >> 8) & 0xFFu) - static_cast<int>((y >> 8) & 0xFFu);
  const int db = static_cast<int>((x >> 16) & 0xFFu) - static_cast<int>((y >> 16) & 0xFFu);
  return dr * dr + dg * dg + db * db;
}

bool IsHexDigit(Char c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f'); }

/// Colour of a file line; false when the line holds no hexadecimal digit where the number belongs.
bool ParseColorLine(const String& line, TColor& color) {
  int pos = 1;
  const int32_t value = ScanHex(line, pos);
  if (pos <= 1 || !IsHexDigit(line[pos - 2])) return false;
  color = value;
  return true;
}

/// The two blank-separated integers of line 1; the rest of the line is ignored.
bool ParseRangeLine(const String& line, int& first, int& last) {
  std::vector<String> words;
  std::size_t i = 0;
  while (i < line.size() && words.size() < 2) {
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
    std::size_t j = i;
    while (j < line.size() && line[j] != u' ' && line[j] != u'\t') ++j;
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words.size() == 2 && TryStrToInt(words[0], first) && TryStrToInt(words[1], last);
}

/// A colour line as read: its colour, or none when the line holds no number.
struct TColorLine {
  bool Valid = false;
  TColor Color = 0;
};

/// The colour lines of the indices first..last, up to the end of the file or an input error; chars
/// grows by the characters read.
std::vector<TColorLine> ReadColorLines(TextFile& f, int first, int last, int64_t& chars) {
  std::vector<TColorLine> lines;
  String line;
  try {
    for (int64_t i = first; i <= last && !Eof(f); ++i) {
      ReadLn(f, line);
      chars += static_cast<int64_t>(line.size()) + 1;
      TColorLine c;
      c.Valid = ParseColorLine(line, c.Color);
      lines.push_back(c);
    }
  } catch (const Exception&) {
    // an input error ends the lines; what was read stays
  }
  return lines;
}

/// Entry c (1..N) of an interpolated fill: position along the list, k clamped into it.
TColor InterpolatedEntry(std::span<const TColor> colors, int c, int n) {
  const int h = static_cast<int>(colors.size()) - 1;
  if (h == 0) return InterpolateColor(colors[0], colors[0], 0);
  const int64_t k = std::clamp<int64_t>(Trunc(static_cast<Extended>(h) * (c - 1) / n), 0, h - 1);
  const double frac = static_cast<double>(static_cast<Extended>(h) * c / n - k);
  return InterpolateColor(colors[k], colors[k + 1], frac);
}

/// Band position of entry i (0-based) of n when the fill has `steps` flat bands.
int BandPosition(int i, int n, int steps) {
  if (steps <= 0) return i + 1;
  const Extended band = static_cast<Extended>(Round(static_cast<Extended>(i + 1) / n * steps));
  return static_cast<int>(Round(band * (static_cast<Extended>(n) / steps)));
}

}  // namespace

// [SECTION] construction and comparison

TColorArray::TColorArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FColArray.resize(kDefaultSize);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(": not enough memory on heap");
  }
  FillByInterpolation(0, ColorArray_Rainbow);
}

TColorArray::~TColorArray() = default;

void TColorArray::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TColorArray*>(Source)) {
    if (other == this) return;
    try {
      FColArray = other->FColArray;
    } catch (const std::bad_alloc&) {
      RaiseNoMemory(": not enough memory");
    }
    return;
  }
  TComponent::Assign(Source);
}

void TColorArray::AssignTo(TPersistent* Dest) {
  if (auto* other = dynamic_cast<TColorArray*>(Dest)) {
    other->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

bool TColorArray::IsEqual(const TColorArray* OtherColorArray) const {
  return OtherColorArray && OtherColorArray->FColArray == FColArray;
}

// [SECTION] filling and searching

void TColorArray::FillByInterpolation(int NrOfSteps, std::span<const TColor> Colors) {
  const int n = Size();
  if (!Colors.empty())
    for (int i = 0; i < n; ++i) FColArray[i] = InterpolatedEntry(Colors, BandPosition(i, n, NrOfSteps), n);
  Changed();
}

int TColorArray::ColorToIndex(TColor cl, double& distance) const {
  // Squared byte distances order exactly as RGBColorDistance does (sqrt of d / 195075 is strictly
  // increasing in the integer d), and 195075 is the squared distance 1.0. The first pass finds the
  // smallest one (a loop the compiler vectorises), the second the first entry that has it.
  const std::size_t n = FColArray.size();
  const TColor* colors = FColArray.data();
  int best = kDistanceOne;
  for (std::size_t i = 0; i < n; ++i) {
    const int d = SquaredDistance(colors[i], cl);
    best = d < best ? d : best;
  }
  distance = 1.0;
  if (best == kDistanceOne) return 1;
  std::size_t i = 0;
  while (SquaredDistance(colors[i], cl) != best) ++i;
  distance = RGBColorDistance(colors[i], cl);
  return static_cast<int>(i) + 1;
}

void TColorArray::CopyFrom(const TColorArray* ColArraySource, int SourceElemLo, int SourceElemHi, int DestElem) {
  if (!ColArraySource) return;
  const int srcSize = ColArraySource->Size();
  int lo = std::clamp(SourceElemLo, 1, srcSize);
  int hi = std::clamp(SourceElemHi, 1, srcSize);
  if (lo > hi) std::swap(lo, hi);
  const std::vector<TColor> part(ColArraySource->FColArray.begin() + (lo - 1), ColArraySource->FColArray.begin() + hi);
  for (std::size_t k = 0; k < part.size(); ++k) {
    const int64_t dest = static_cast<int64_t>(DestElem) + static_cast<int64_t>(k);
    if (dest >= 1 && dest <= Size()) FColArray[dest - 1] = part[k];
  }
  Changed();
}

// [SECTION] size and entries

void TColorArray::SetSize(int n) {
  if (n > 0 && n != Size()) Resize(n);
}

bool TColorArray::Resize(int n) {
  if (n == Size()) return true;
  if (n < 1) return false;
  try {
    FColArray.resize(static_cast<std::size_t>(n), 0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(": not enough memory");
  } catch (const std::length_error&) {
    RaiseNoMemory(": not enough memory");
  }
  Changed();
  return true;
}

TColor TColorArray::GetColorElem(int index) const {
  if (FColArray.empty()) return 0;
  return FColArray[static_cast<std::size_t>(std::clamp(index, 1, Size()) - 1)];
}

void TColorArray::SetColorElem(int index, TColor Color) {
  if (index < 1 || index > Size()) return;
  FColArray[static_cast<std::size_t>(index - 1)] = Color;
  Changed();
}

// [SECTION] file

bool TColorArray::LoadFromFile(const String& FileName, bool AdjustSize) {
  TextFile f;
  try {
    AssignFile(f, FileName);
    Reset(f);
  } catch (const Exception&) {
    return false;
  }
  bool result = false;
  try {
    String line;
    ReadLn(f, line);
    int first = 0, last = 0;
    const bool sizeOk = ParseRangeLine(line, first, last) && (!AdjustSize || (last >= 1 && last <= kMaxFileSize));
    if (sizeOk && (AdjustSize || Size() >= last)) {
      int64_t chars = static_cast<int64_t>(line.size()) + 1;
      const std::vector<TColorLine> lines = ReadColorLines(f, first, last, chars);
      const int64_t storage = static_cast<int64_t>(last) * static_cast<int64_t>(sizeof(TColor));
      if (AdjustSize && (last <= Size() || core_detail::StorageFitsInput(storage, chars))) Resize(last);
      result = Size() >= last;
      for (std::size_t k = 0; result && k < lines.size(); ++k)
        if (lines[k].Valid) SetColorElem(static_cast<int>(first + static_cast<int64_t>(k)), lines[k].Color);
    }
    CloseFile(f);
  } catch (const Exception&) {
    // an input error ends loading; what was read stays
  } catch (const std::bad_alloc&) {
    result = false;
  }
  Changed();
  return result;
}

bool TColorArray::StoreOnFile(int FirstElem, int LastElem, const String& FileName) const {
  if (FirstElem > LastElem) std::swap(FirstElem, LastElem);
  FirstElem = std::max(FirstElem, 1);
  LastElem = std::min(LastElem, Size());
  try {
    TextFile f;
    AssignFile(f, FileName);
    RewriteReplacing(f);
    WriteLn(f, IntToStr(FirstElem) + u" " + IntToStr(LastElem));
    for (int i = FirstElem; i <= LastElem; ++i) WriteLn(f, IntToHex(FColArray[static_cast<std::size_t>(i - 1)], 8));
    CloseFile(f);
  } catch (const Exception&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// [SECTION] notification and errors

void TColorArray::Changed() {
  if (OnChange) OnChange(this);
}

void TColorArray::RaiseNoMemory(const char* what) const {
  throw EQeltaColArrayError(u"Component \"" + Name() + u"\"" + Utf8ToString(what));
}

}  // namespace qelta
