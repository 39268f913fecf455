#include "Qelta_streams.h"

// Notes on the routines:
// - Bytes are read through a small block reader that gives unread bytes back (by a seek) when a routine
//   ends, so the stream stands exactly behind the last byte consumed, as with byte-by-byte reading.
// - The tag readers look for '<' and '>' in whole blocks (a stream's, or the text file's own buffer, of which
//   they consume only what they use) and widen the bytes between at once. Character by character, their
//   plain twin, stays for the tests, which compare the two (the direct paths off); so does the attribute
//   scanner's state machine beside the span search that replaced it.
// - A reader of many tags from one writer has each tag's pairs checked against those of the tag before
//   (ScanXMLAttributeSpansLike): a pair whose characters up to its opening quote are the same is read in
//   place; the tests compare its spans with those of the plain scan.
// Deliberate deviations from the routines as first written (each fixed a fault):
// - ScanStreamFPNum steps back only when the scan ended on a byte it read; at the end of the stream
//   there is nothing to give back (stepping back re-read the last byte of the stream).
// - A tag whose name begins with '?' or '!' (declaration, comment) reads no content; it used to swallow
//   the rest of the input looking for "</?xml>". A comment "<!-- ... -->" ends at "-->".
// - The end-tag search compares only the tail of the content after each '>', so reading is linear in
//   the size of the input (searching the whole content each time was quadratic).

#include <emmintrin.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include "DirectPaths.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "Math.h"
#include "QeltaTagRules.h"
#include "Qelta_readbound_internal.h"
#include "Qelta_streams_internal.h"
#include "Qelta_stringl.h"
#include "Qelta_univconst.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {
namespace {

constexpr double kMaxDouble = static_cast<double>(uc_MaxDouble);
constexpr std::size_t kBlock = 4096;

// [SECTION] local text helpers

Char LowerA(Char c) { return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c; }


// True when text ends with tail, comparing A-Z without regard to case (tail is lower-case).
bool EndsWithLower(const String& text, const String& tail) {
  if (tail.empty() || text.size() < tail.size()) return false;
  const std::size_t off = text.size() - tail.size();
  for (std::size_t i = 0; i < tail.size(); ++i)
    if (LowerA(text[off + i]) != tail[i]) return false;
  return true;
}

// [SECTION] byte sources

// A stream's bytes are characters of the same code.
void AppendLatin1(String& out, const uint8_t* bytes, std::size_t n) {
  const std::size_t old = out.size();
  out.resize(old + n);
  Char* to = out.data() + old;
  for (std::size_t i = 0; i < n; ++i) to[i] = bytes[i];
}

// A text file's bytes are Windows-1252.
void AppendWindows1252(String& out, const uint8_t* bytes, std::size_t n) {
  const std::size_t old = out.size();
  out.resize(old + n);
  AnsiToChars({reinterpret_cast<const char*>(bytes), n}, out.data() + old);
}

// Block reader over a stream; gives the unread rest of its block back when it goes out of scope. A plain
// memory stream's bytes are read where they lie, the rest of the stream as one block (no copy), unless the
// direct paths are off (the plain twin reads it as any stream).
class TByteReader {
 public:
  explicit TByteReader(TStream& stream)
      : FStream(stream),
        FMemory(platform_detail::DirectPaths() && typeid(stream) == typeid(TMemoryStream) ? static_cast<TMemoryStream*>(&stream)
                                                                                          : nullptr) {}
  ~TByteReader() {
    if (FPos < FLen) {
      try {
        FStream.Seek(-static_cast<int64_t>(FLen - FPos), soFromCurrent);
      } catch (const EStreamError&) {  // a stream that cannot seek keeps the block consumed
      }
    }
  }
  TByteReader(const TByteReader&) = delete;
  TByteReader& operator=(const TByteReader&) = delete;

  /// Next byte, or -1 when a read returns no byte.
  int Get() {
    if (FPos == FLen && !Refill()) return -1;
    return FData[FPos++];
  }
  /// Gives back the byte the last Get answered.
  void Unget() {
    if (FPos > 0) --FPos;
  }
  /// Next character (byte b as the character of code b), false at the end.
  bool Next(Char& c) {
    const int b = Get();
    if (b < 0) return false;
    c = static_cast<Char>(b);
    return true;
  }
  /// The bytes at hand, refilled when used up; empty at the end.
  std::span<const uint8_t> Span() {
    if (FPos == FLen) Refill();
    return {FData + FPos, FLen - FPos};
  }
  void Consume(std::size_t n) { FPos += n; }
  static void Append(String& out, const uint8_t* bytes, std::size_t n) { AppendLatin1(out, bytes, n); }

 private:
  bool Refill() {
    FPos = 0;
    if (FMemory) {
      const int64_t at = FMemory->Position(), rest = std::max<int64_t>(0, FMemory->Size() - at);
      FData = FMemory->Memory() + std::min(at, FMemory->Size());
      FLen = static_cast<std::size_t>(rest);
      FMemory->Seek(rest, soFromCurrent);
    } else {
      FData = FBuf;
      FLen = static_cast<std::size_t>(std::max<int64_t>(0, FStream.Read(FBuf, kBlock)));
    }
    return FLen > 0;
  }

  TStream& FStream;
  TMemoryStream* FMemory;  ///< the stream when it is a plain memory stream
  const uint8_t* FData = nullptr;
  uint8_t FBuf[kBlock];
  std::size_t FPos = 0, FLen = 0;
};

// Characters of a text file open for reading, taken from its buffer: it consumes only what it uses.
class TTextSource {
 public:
  explicit TTextSource(TextFile& f) : FFile(f) {}
  std::span<const uint8_t> Span() {
    const std::string_view bytes = BufferedBytes(FFile);
    return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
  }
  void Consume(std::size_t n) { ConsumeBytes(FFile, n); }
  static void Append(String& out, const uint8_t* bytes, std::size_t n) { AppendWindows1252(out, bytes, n); }
  /// Next character by the file's Read (the plain path), false at the end.
  bool Next(Char& c) {
    if (Eof(FFile)) return false;
    Read(FFile, c);
    return true;
  }

 private:
  TextFile& FFile;
};

// Consumes the bytes up to and including the next `stop`; false when the input ended first.
template <typename Source>
bool SkipPast(Source& src, uint8_t stop) {
  for (auto span = src.Span(); !span.empty(); span = src.Span()) {
    const void* at = std::memchr(span.data(), stop, span.size());
    const std::size_t n = at ? static_cast<std::size_t>(static_cast<const uint8_t*>(at) - span.data()) + 1 : span.size();
    src.Consume(n);
    if (at) return true;
  }
  return false;
}

// Appends the characters up to and including the next `stop`; false when the input ended first.
template <typename Source>
bool ReadThrough(Source& src, uint8_t stop, String& out) {
  for (auto span = src.Span(); !span.empty(); span = src.Span()) {
    const void* at = std::memchr(span.data(), stop, span.size());
    const std::size_t n = at ? static_cast<std::size_t>(static_cast<const uint8_t*>(at) - span.data()) + 1 : span.size();
    Source::Append(out, span.data(), n);
    src.Consume(n);
    if (at) return true;
  }
  return false;
}

// [SECTION] number scanning

enum TCharClass : uint8_t { ccSep, ccSign, ccDigit, ccExp, ccWhite, ccOther };

TCharClass Classify(int c, int separatorMode) {
  if ((c == '.' && (separatorMode == 1 || separatorMode == 3)) || (c == ',' && (separatorMode == 2 || separatorMode == 3)))
    return ccSep;
  if (c == '+' || c == '-') return ccSign;
  if (c >= '0' && c <= '9') return ccDigit;
  if (c == 'E') return ccExp;
  if (c == 9 || c == 10 || c == 13 || c == 32) return ccWhite;
  return ccOther;
}

// Transitions of the stream number scanner; 6 stands for "6 if the exponent is allowed, else 9".
constexpr int kFPTable[9][6] = {
    //  sep sign digit  E  white other
    {0, 0, 0, 0, 0, 0},          // unused
    {4, 2, 3, -1, 1, -1},        // 1 start
    {4, -1, 3, -1, -1, -1},      // 2 after sign
    {4, 9, 3, 6, 9, 9},          // 3 integer digits
    {-1, 9, 5, 6, 9, 9},         // 4 after separator
    {-1, 9, 5, 6, 9, 9},         // 5 fraction digits
    {-1, 7, 8, -1, -1, -1},      // 6 after 'E'
    {-1, -1, 8, -1, -1, -1},     // 7 exponent sign
    {9, 9, 8, 9, 9, 9},          // 8 exponent digits
};

int NextFPState(int state, TCharClass cls, bool exponentAllowed) {
  const int next = kFPTable[state][cls];
  return next == 6 && state != 6 && !exponentAllowed ? 9 : next;
}

// Decimal order of magnitude of a number text that overflowed or underflowed the conversion.
bool TextIsHuge(const std::string& text) {
  const std::size_t e = text.find_first_of("eE");
  const std::string mant = text.substr(0, e);
  const long exp = e == std::string::npos ? 0 : std::strtol(text.c_str() + e + 1, nullptr, 10);
  const std::size_t firstNonZero = mant.find_first_of("123456789");
  if (firstNonZero == std::string::npos) return false;
  const std::size_t point = std::min(mant.find('.'), mant.size());
  const long order = firstNonZero < point ? static_cast<long>(point - firstNonZero) : -static_cast<long>(firstNonZero - point - 1);
  return order + exp > 0;
}

double ConvertNumberText(std::string text) {
  if (!text.empty() && text.back() == '.') text += '0';
  const bool negative = !text.empty() && text[0] == '-';
  const std::size_t skip = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  double value = 0;
  const auto [ptr, ec] = std::from_chars(text.data() + skip, text.data() + text.size(), value);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) value = TextIsHuge(text.substr(skip)) ? kMaxDouble : 0.0;
  else if (ec != std::errc()) value = 0;
  return std::clamp(negative ? -value : value, -kMaxDouble, kMaxDouble);
}

bool LineEnds(int mode, int b, int previous) {
  switch (mode) {
    case 0: return b == 10;
    case 1: return b == 13;
    case 2: return b == 10 || b == 13;
    case 3: return b == 13 && previous == 10;
    case 4: return b == 10 && previous == 13;
    default: return false;
  }
}

// [SECTION] tag reading

// The texts a tag read works in: the tag's text and its lower-cased name (kept by a reader of many tags, so
// that their storage serves every tag).
struct TTagScratch {
  String& Text;
  String& Name;
};

// The text of the next tag after its '<': up to and including '>', a comment "!--" up to "-->".
template <typename Source>
bool CollectTagText(Source& src, String& tag) {
  tag.clear();
  if (!SkipPast(src, '<')) return false;
  ReadThrough(src, '>', tag);
  if (tag.compare(0, 3, u"!--") == 0)
    while (!EndsWithLower(tag, u"-->") && ReadThrough(src, '>', tag)) {
    }
  return true;
}

// True when text ends with "</" name ">", comparing A-Z without regard to case (name is lower-case): the
// closing tag looked at in place, not built for every tag.
bool EndsWithClosingTag(const String& text, const String& name) {
  const std::size_t n = name.size() + 3;
  if (text.size() < n) return false;
  const std::size_t off = text.size() - n;
  if (text[off] != u'<' || text[off + 1] != u'/' || text.back() != u'>') return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (LowerA(text[off + 2 + i]) != name[i]) return false;
  return true;
}

// The content up to the closing tag of name (which is consumed, not kept), or to the end.
template <typename Source>
void ReadContent(Source& src, const String& name, String& content) {
  while (ReadThrough(src, '>', content))
    if (EndsWithClosingTag(content, name)) {
      content.resize(content.size() - name.size() - 3);
      return;
    }
}

// The plain twins of CollectTagText and ReadContent: one character at a time.
template <typename Source>
bool CollectTagTextByChar(Source& src, String& tag) {
  Char c = 0;
  bool found = false;
  while (src.Next(c))
    if (c == u'<') { found = true; break; }
  tag.clear();
  if (!found) return false;
  const bool comment = [&] {
    while (src.Next(c)) {
      tag.push_back(c);
      if (tag == u"!--") return true;
      if (c == u'>') return false;
    }
    return false;
  }();
  if (comment) {
    while (!EndsWithLower(tag, u"-->") && src.Next(c)) tag.push_back(c);
  }
  return true;
}

template <typename Source>
void ReadContentByChar(Source& src, const String& name, String& content) {
  const String closing = u"</" + name + u">";
  Char c = 0;
  while (src.Next(c)) {
    content.push_back(c);
    if (c == u'>' && EndsWithLower(content, closing)) {
      content.resize(content.size() - closing.size());
      return;
    }
  }
}

// One tag with its attributes and content; in blocks, or character by character when the direct paths
// are off (the tests compare the two).
// The name is left in scratch.Name; false when no '<' came before the end.
template <typename Source>
bool ReadTag(Source& src, const TTagScratch& scratch, String& attributes, String& content) {
  content.clear();
  const bool blocks = platform_detail::DirectPaths();
  const bool found = blocks ? CollectTagText(src, scratch.Text) : CollectTagTextByChar(src, scratch.Text);
  const bool empty = core_detail::SplitTag(scratch.Text, scratch.Name, attributes);
  if (!core_detail::TagHasContent(scratch.Name, empty)) return found;
  if (blocks) ReadContent(src, scratch.Name, content);
  else ReadContentByChar(src, scratch.Name, content);
  return found;
}

// The next tag's index in tags (ReadNextTagInStream's answer).
template <typename Source>
int NextTagIndex(Source& src, const TTagScratch& scratch, const std::vector<String>& tags, String& attributes,
                 String& content) {
  ReadTag(src, scratch, attributes, content);
  return core_detail::TagIndex(tags, scratch.Name);
}

// [SECTION] search helpers

bool MatchAt(const uint8_t* data, std::size_t at, const AnsiString& what, bool ignoreCase) {
  for (std::size_t k = 0; k < what.size(); ++k) {
    Char a = data[at + k], b = static_cast<uint8_t>(what[k]);
    if (ignoreCase) { a = LowerA(a); b = LowerA(b); }
    if (a != b) return false;
  }
  return true;
}

std::size_t FindBytes(const uint8_t* data, std::size_t from, std::size_t size, const AnsiString& what, bool ignoreCase) {
  if (what.empty()) return size;
  for (std::size_t i = from; i + what.size() <= size; ++i)
    if (MatchAt(data, i, what, ignoreCase)) return i;
  return size;
}

// The low 8 bits of each character, as the stream text rule has it.
AnsiString LowBytes(const String& s) {
  AnsiString out(s.size(), '\0');
  for (std::size_t i = 0; i < s.size(); ++i) out[i] = static_cast<char>(s[i] & 0xFF);
  return out;
}

String CharsOf(const uint8_t* data, std::size_t count) {
  String s(count, u'\0');
  for (std::size_t i = 0; i < count; ++i) s[i] = data[i];
  return s;
}

bool ContainsAnyLower(const String& line, const std::vector<String>& keys) {
  const String lower = LowerCase(line);
  for (const String& k : keys)
    if (!k.empty() && lower.find(k) != String::npos) return true;
  return false;
}

}  // namespace

// [SECTION] writers

void WriteStringStream(TStream& stream, const String& text) {
  uint8_t buffer[kBlock];
  std::size_t fill = 0;
  for (Char c : text) {
    buffer[fill++] = static_cast<uint8_t>(c & 0xFF);
    if (fill == kBlock) {
      stream.WriteBuffer(buffer, static_cast<int64_t>(fill));
      fill = 0;
    }
  }
  stream.WriteBuffer(buffer, static_cast<int64_t>(fill));
}

void WriteLnStream(TStream& stream, const String& text) {
  WriteStringStream(stream, text);
  stream.WriteBuffer("\r\n", 2);
}

void WriteExtendedToStream(TStream& stream, Extended value) {
  uint8_t bytes[10];
  ExtendedToBytes(value, bytes);
  stream.WriteBuffer(bytes, 10);
}

void WriteLongintToStream(TStream& stream, int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  const uint8_t bytes[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                            static_cast<uint8_t>(u >> 24)};
  stream.WriteBuffer(bytes, 4);
}

// [SECTION] readers

String ReadLnStream(TStream& stream, bool& endOfStream, int mode) {
  endOfStream = false;
  TByteReader in(stream);
  String line;
  for (int previous = -1;;) {
    const int b = in.Get();
    if (b < 0) { endOfStream = true; break; }
    if (b >= 32 || b == 9) line.push_back(static_cast<Char>(b));
    else if (LineEnds(mode, b, previous)) break;
    previous = b;
  }
  return line;
}

Extended ReadExtendedFromStream(TStream& stream, bool& error) {
  uint8_t bytes[10];
  try {
    stream.ReadBuffer(bytes, 10);
  } catch (const EStreamError&) {
    error = true;
    return 0;
  }
  error = false;
  return BytesToExtended(bytes);
}

int32_t ReadLongintFromStream(TStream& stream, bool& error) {
  uint8_t b[4];
  try {
    stream.ReadBuffer(b, 4);
  } catch (const EStreamError&) {
    error = true;
    return 0;
  }
  error = false;
  return static_cast<int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24));
}

bool FindInStream(TStream& stream, uint8_t b) {
  TByteReader in(stream);
  for (int c = in.Get(); c >= 0; c = in.Get())
    if (c == b) return true;
  return false;
}

String StreamAsString(TStream& stream) {
  String text;
  uint8_t block[256];
  for (int64_t n = 256; n == 256;) {
    n = stream.Read(block, 256);
    text += CharsOf(block, static_cast<std::size_t>(std::max<int64_t>(n, 0)));
  }
  return text;
}

String ReadStreamUntil(TStream& stream, const String& key, int& errorCode) {
  errorCode = -1;
  const int64_t start = stream.Position();
  const String lowerKey = LowerCase(key);
  String text, lower;
  uint8_t block[256];
  for (int64_t n = 256; n == 256;) {
    n = std::max<int64_t>(stream.Read(block, 256), 0);
    const std::size_t old = text.size();
    for (int64_t k = 0; k < n; ++k) {
      text.push_back(block[k]);
      lower.push_back(LowerA(block[k]));
    }
    const std::size_t from = old >= key.size() ? old - key.size() + 1 : 0;
    const std::size_t at = key.empty() ? String::npos : lower.find(lowerKey, from);
    if (at != String::npos) {
      errorCode = 0;
      stream.SetPosition(start + static_cast<int64_t>(at + key.size()));
      return text.substr(0, at + key.size());
    }
  }
  return text;
}

int32_t ScanStreamDecimal(TStream& stream) {
  TByteReader in(stream);
  int b = in.Get();
  while (b == 32) b = in.Get();
  const bool negative = b == '-';
  if (b == '-' || b == '+') b = in.Get();
  uint32_t value = 0;
  for (; b >= '0' && b <= '9'; b = in.Get()) value = value * 10u + static_cast<uint32_t>(b - '0');
  return static_cast<int32_t>(negative ? 0u - value : value);
}

double ScanStreamFPNum(TStream& stream, bool exponentAllowed, int separatorMode) {
  std::string number;
  int state = 1, exponent = 0;
  bool endedOnByte = false;
  {
    TByteReader in(stream);
    while (state >= 1 && state <= 8) {
      const int b = in.Get();
      const int c = b < 0 ? 'Z' : (b >= 'a' && b <= 'z' ? b - 32 : b);
      const TCharClass cls = Classify(c, separatorMode);
      const int next = NextFPState(state, cls, exponentAllowed);
      if (next == 9 || next == -1) {
        endedOnByte = b >= 0;
        state = next;
        break;
      }
      if (c > 32 && cls == ccDigit && next == 8) {
        exponent = std::min(exponent * 10 + (c - '0'), 100000);
        if (exponent <= 4200) number.push_back(static_cast<char>(c));
      } else if (c > 32) {
        number.push_back(cls == ccSep ? '.' : static_cast<char>(c));
      }
      state = next;
    }
  }
  const double value = state == 9 ? ConvertNumberText(number) : 0.0;
  if (endedOnByte) stream.Seek(-1, soFromCurrent);
  return value;
}

int32_t CountLinesInStream(TStream& stream) {
  uint8_t block[kBlock];
  uint32_t count = 0;
  for (int64_t n = stream.Read(block, kBlock); n > 0; n = stream.Read(block, kBlock))
    count += static_cast<uint32_t>(std::count(block, block + n, uint8_t{10}));
  return static_cast<int32_t>(count);
}

// [SECTION] tags

namespace {

// The index of the first character at from or after that is one of Stops, or the text's size; eight
// characters at a time (SSE2), the rest one by one.
template <Char... Stops>
std::size_t FindAny(const String& text, std::size_t from) {
  const Char* p = text.data();
  const std::size_t n = text.size();
  for (; from + 8 <= n; from += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from));
    __m128i hits = _mm_setzero_si128();
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi16(v, _mm_set1_epi16(static_cast<short>(Stops))))), ...);
    if (const unsigned m = static_cast<unsigned>(_mm_movemask_epi8(hits))) return from + static_cast<std::size_t>(__builtin_ctz(m)) / 2;
  }
  while (from < n && ((p[from] != Stops) && ...)) ++from;
  return from;
}

// The name from `from` to `to`, blanks (' ') around it left out.
void SetName(const String& text, std::size_t from, std::size_t to, TXMLAttributeSpan& span) {
  while (from < to && text[from] == u' ') ++from;
  while (to > from && text[to - 1] == u' ') --to;
  span.NameFrom = from;
  span.NameTo = to;
}

// The value that starts at pos, after "name=" (the name runs from nameFrom to pos - 1); answers the scanner's
// code. Blanks before it are passed over; a quoted value runs to the next '"', a bare one to a blank or '"'
// ('=' in it is a fault); the text's end ends either.
int ValueAt(const String& text, std::size_t nameFrom, std::size_t& pos, TXMLAttributeSpan& span) {
  SetName(text, nameFrom, pos - 1, span);
  while (pos < text.size() && text[pos] == u' ') ++pos;
  span.ValueFrom = span.ValueTo = pos;
  if (pos == text.size()) return 0;
  if (text[pos] == u'=') return 2;
  const bool quoted = text[pos] == u'"';
  if (quoted) span.ValueFrom = ++pos;
  const std::size_t end = quoted ? FindAny<u'"'>(text, pos) : FindAny<u' ', u'"', u'='>(text, pos);
  if (end < text.size() && text[end] == u'=') return 3;
  span.ValueTo = end;
  pos = std::min(end + 1, text.size());
  return 0;
}

// Bit i set: character i of the 32 at p is c (SSE2).
uint32_t Lanes32(const Char* p, Char c) {
  const __m128i wanted = _mm_set1_epi16(static_cast<short>(c));
  const auto half = [&](const Char* q) {
    const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q)), wanted);
    const __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 8)), wanted);
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_packs_epi16(a, b)));
  };
  return half(p) | half(p + 16) << 16;
}

// The usual pair, name="value" within the 32 characters from pos, found from the places of its '=' and
// quotes at once: true with the span NextAttribute would give (pos moved on as it would); false, having
// changed nothing, for anything else (NextAttribute looks at it step by step). Tried first, in line.
inline bool UsualPair(const String& text, std::size_t& pos, TXMLAttributeSpan& span) {
  if (pos + 32 > text.size()) return false;
  const Char* p = text.data() + pos;
  const uint32_t quotes = Lanes32(p, u'"'), equals = Lanes32(p, u'=');
  const uint32_t stops = quotes | equals;
  if (stops == 0) return false;
  const int eq = __builtin_ctz(stops), open = eq + 1;
  if ((equals >> eq & 1) == 0 || open >= 31 || (quotes >> open & 1) == 0) return false;
  const uint32_t after = quotes >> (open + 1);
  if (after == 0) return false;
  const std::size_t close = pos + static_cast<std::size_t>(open + 1 + __builtin_ctz(after));
  SetName(text, pos, pos + static_cast<std::size_t>(eq), span);
  span.ValueFrom = pos + static_cast<std::size_t>(open) + 1;
  span.ValueTo = close;
  pos = close + 1;
  return true;
}

// One (name, value) pair of an attribute text from pos on; answers the scanner's code (0 pair, 1-3 syntax
// faults, 4 no more pairs). A name that the text's end cuts off is a pair with an empty value.
int NextAttribute(const String& text, std::size_t& pos, TXMLAttributeSpan& span) {
  if (pos >= text.size()) return 4;
  const std::size_t from = pos, stop = FindAny<u'"', u'='>(text, pos);
  if (stop == text.size()) {
    SetName(text, from, stop, span);
    span.ValueFrom = span.ValueTo = pos = stop;
    return 0;
  }
  if (text[stop] == u'"') return 1;
  pos = stop + 1;
  return ValueAt(text, from, pos, span);
}

// The plain twin of NextAttribute: the scanner's state machine, one character at a time (the name
// stripped of blanks, not lower-cased).
int NextAttributeByChar(const String& text, std::size_t& pos, String& name, String& value) {
  name.clear();
  value.clear();
  if (pos >= text.size()) return 4;
  enum { stName, stAfterEquals, stQuoted, stBare } state = stName;
  while (pos < text.size()) {
    const Char c = text[pos++];
    switch (state) {
      case stName:
        if (c == u'"') return 1;
        if (c == u'=') state = stAfterEquals;
        else name.push_back(c);
        break;
      case stAfterEquals:
        if (c == u' ') break;
        if (c == u'"') state = stQuoted;
        else if (c == u'=') return 2;
        else { state = stBare; value.push_back(c); }
        break;
      case stQuoted:
        if (c == u'"') { name = StripLTBlanks(name); return 0; }
        value.push_back(c);
        break;
      case stBare:
        if (c == u' ' || c == u'"') { name = StripLTBlanks(name); return 0; }
        if (c == u'=') return 3;
        value.push_back(c);
        break;
    }
  }
  name = StripLTBlanks(name);
  return 0;
}

// The next pair of an attribute text, its name lower-cased (A-Z): found by spans, or by the state machine
// when the direct paths are off (the tests compare the two). Answers NextAttribute's code.
int NextPair(const String& text, std::size_t& pos, String& name, String& value) {
  if (!platform_detail::DirectPaths()) {
    const int code = NextAttributeByChar(text, pos, name, value);
    name = LowerCase(name);
    return code;
  }
  TXMLAttributeSpan span;
  const int code = UsualPair(text, pos, span) ? 0 : NextAttribute(text, pos, span);
  if (code != 0) return code;
  name.assign(text, span.NameFrom, span.NameTo - span.NameFrom);
  for (Char& c : name) c = LowerA(c);
  value.assign(text, span.ValueFrom, span.ValueTo - span.ValueFrom);
  return 0;
}

}  // namespace

String ScanForXMLAttrib(const String& attributes, const String& name) {
  const String wanted = LowerCase(name);
  std::size_t pos = 0;
  String pairName, value;
  while (NextPair(attributes, pos, pairName, value) == 0)
    if (pairName == wanted) return value;
  return String();
}

std::vector<std::pair<String, String>> ScanXMLAttributes(const String& attributes) {
  std::vector<std::pair<String, String>> pairs;
  ScanXMLAttributes(attributes, pairs);
  return pairs;
}

void ScanXMLAttributes(const String& attributes, std::vector<std::pair<String, String>>& pairs) {
  std::size_t pos = 0, count = 0;
  for (;; ++count) {
    if (count == pairs.size()) pairs.emplace_back();
    if (NextPair(attributes, pos, pairs[count].first, pairs[count].second) != 0) break;
  }
  pairs.resize(count);
}

namespace {

// The pairs from pos on, after the count found before it (spans resized to all of them).
void ScanPairsFrom(const String& text, std::size_t pos, std::size_t count, std::vector<TXMLAttributeSpan>& spans) {
  for (;; ++count) {
    if (count == spans.size()) spans.emplace_back();
    if (!UsualPair(text, pos, spans[count]) && NextAttribute(text, pos, spans[count]) != 0) break;
  }
  spans.resize(count);
}

// The places of '"' in a text one after another, found 64 characters at a time (SSE2) as the reader moves on.
class TQuoteCursor {
 public:
  explicit TQuoteCursor(const String& text) : FText(text.data()), FSize(text.size()) {}
  /// The next '"' after the one answered last; the text's size when there is none.
  std::size_t Next() {
    while (FBits == 0) {
      if (FNext >= FSize) return FSize;
      FBase = FNext;
      FBits = BlockBits(FBase);
      FNext += 64;
    }
    const std::size_t at = FBase + static_cast<std::size_t>(__builtin_ctzll(FBits));
    FBits &= FBits - 1;
    return at;
  }

 private:
  // Bit i set: character from + i is '"' (none past the end).
  uint64_t BlockBits(std::size_t from) const {
    if (FSize - from >= 64) return Bits(FText + from);
    Char tail[64] = {};
    std::memcpy(tail, FText + from, (FSize - from) * sizeof(Char));
    return Bits(tail);
  }
  static uint64_t Bits(const Char* p) {
    const __m128i quote = _mm_set1_epi16('"');
    uint64_t bits = 0;
    for (int k = 0; k < 64; k += 16) {
      const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)), quote);
      const __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 8)), quote);
      bits |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_packs_epi16(a, b)))} << k;
    }
    return bits;
  }

  const Char* FText;
  std::size_t FSize;
  std::size_t FBase = 0, FNext = 0;  ///< where the block in FBits starts, where the next one does
  uint64_t FBits = 0;                ///< the quotes of the block not answered yet
};

}  // namespace

void ScanXMLAttributeSpans(const String& attributes, std::vector<TXMLAttributeSpan>& spans) {
  ScanPairsFrom(attributes, 0, 0, spans);
}

namespace core_detail {

TXMLAttributeNames::TXMLAttributeNames() = default;
TXMLAttributeNames::TXMLAttributeNames(const TXMLAttributeNames&) = default;
TXMLAttributeNames& TXMLAttributeNames::operator=(const TXMLAttributeNames&) = default;
TXMLAttributeNames::~TXMLAttributeNames() = default;

std::size_t TXMLAttributeNames::Count() const { return FPairs.size(); }

// A pair whose gap (from the end of the pair before to its opening quote) is that of a pair before, then a
// closed quoted value, is read as that one was: the gap holds no '"' (the next quote ends it), so the scan
// of NextAttribute goes the same way over the same characters, and the value runs to the next quote.
// Everything is read into locals: the spans written could alias the pairs.
std::size_t TXMLAttributeNames::Match(const String& text, TXMLAttributeSpan* spans, std::size_t& pos) const {
  const Char *t = text.data(), *chars = FChars.data();
  const std::size_t size = text.size(), count = FPairs.size();
  const TPair* pairs = FPairs.data();
  TQuoteCursor quotes(text);
  std::size_t k = 0, at = pos;
  for (; k < count; ++k) {
    const TPair& p = pairs[k];
    const std::size_t open = quotes.Next(), close = quotes.Next();
    if (close >= size || open - at != p.Gap || !SameChars(t + at, chars + p.From, p.Gap)) break;
    spans[k] = {at + p.NameFrom, at + p.NameTo, open + 1, close};
    at = close + 1;
  }
  pos = at;
  return k;
}

bool TXMLAttributeNames::SameAs(const String& text, const std::vector<TXMLAttributeSpan>& spans) const {
  if (spans.size() != Count()) return false;
  const std::u16string_view t = text, chars = FChars;
  for (std::size_t k = 0; k < spans.size(); ++k) {
    const TPair& p = FPairs[k];
    if (t.substr(spans[k].NameFrom, spans[k].NameTo - spans[k].NameFrom) != chars.substr(p.From + p.NameFrom, p.NameTo - p.NameFrom))
      return false;
  }
  return true;
}

void TXMLAttributeNames::Take(const String& text, const std::vector<TXMLAttributeSpan>& spans) {
  FChars.clear();
  FPairs.clear();
  std::size_t at = 0;  // where the scan stood before each pair
  for (const TXMLAttributeSpan& s : spans) {
    const bool quoted = s.ValueFrom > 0 && text[s.ValueFrom - 1] == u'"' && s.ValueTo < text.size();
    const std::size_t end = quoted ? s.ValueFrom - 1 : s.NameTo;
    FPairs.push_back({FChars.size(), quoted ? end - at : String::npos, s.NameFrom - at, s.NameTo - at});
    FChars.append(text, at, end - at);
    at = std::min(s.ValueTo + 1, text.size());
  }
}

bool ScanXMLAttributeSpansLike(const String& text, TXMLAttributeNames& names, std::vector<TXMLAttributeSpan>& spans) {
  const std::size_t expected = names.Count();
  if (spans.size() < expected) spans.resize(expected);
  std::size_t pos = 0;
  const std::size_t k = names.Match(text, spans.data(), pos);
  if (k == expected && pos >= text.size()) {  // the usual end: NextAttribute finds no more
    spans.resize(k);
    return true;
  }
  ScanPairsFrom(text, pos, k, spans);
  if (k == expected && spans.size() == expected) return true;
  const bool same = names.SameAs(text, spans);
  names.Take(text, spans);
  return same;
}

}  // namespace core_detail

int ReadNextTagInStream(TStream& stream, const std::vector<String>& tags, String& attributes, String& content) {
  TByteReader in(stream);
  String text, name;
  return NextTagIndex(in, {text, name}, tags, attributes, content);
}

int ReadNextTagInTextFile(TextFile& file, const std::vector<String>& tags, String& attributes, String& content) {
  TTextSource in(file);
  String text, name;
  return NextTagIndex(in, {text, name}, tags, attributes, content);
}

// [SECTION] character references

namespace {

void AppendCodePoint(String& r, uint32_t cp) {
  if (cp > 0xFFFF) {
    cp -= 0x10000;
    r += Char(0xD800 + (cp >> 10));
    r += Char(0xDC00 + (cp & 0x3FF));
  } else {
    r += Char(cp);
  }
}

// Code point of a numeric reference body ("#65", "#x41"); false when malformed.
bool NumericReference(const String& body, uint32_t& cp) {
  const bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
  const size_t first = hex ? 2 : 1;
  if (body.size() <= first || body.size() > first + 8) return false;
  cp = 0;
  for (size_t i = first; i < body.size(); ++i) {
    const Char c = body[i];
    uint32_t d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (hex && c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else return false;
    cp = cp * (hex ? 16 : 10) + d;
    if (cp > 0x10FFFF) return false;
  }
  return true;
}

}  // namespace

String XmlEscape(const String& s) {
  String r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const Char c = s[i];
    switch (c) {
      case u'&': r += u"&amp;"; continue;
      case u'<': r += u"&lt;"; continue;
      case u'>': r += u"&gt;"; continue;
      case u'"': r += u"&quot;"; continue;
      default: break;
    }
    if ((c >= 32 && c <= 126) || (c >= 160 && c <= 255)) {
      r += c;
      continue;
    }
    uint32_t cp = c;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
      cp = 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(s[++i]) - 0xDC00);
    r += u"&#" + IntToStr(cp) + u";";
  }
  return r;
}

String XmlUnescape(const String& s) {
  String r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const size_t semi = s[i] == u'&' ? s.find(u';', i + 1) : String::npos;
    if (semi == String::npos || semi - i > 11) {
      r += s[i];
      continue;
    }
    const String body = s.substr(i + 1, semi - i - 1);
    uint32_t cp = 0;
    if (body == u"amp") r += u'&';
    else if (body == u"lt") r += u'<';
    else if (body == u"gt") r += u'>';
    else if (body == u"quot") r += u'"';
    else if (body == u"apos") r += u'\'';
    else if (!body.empty() && body[0] == u'#' && NumericReference(body, cp)) AppendCodePoint(r, cp);
    else {
      r += s[i];
      continue;
    }
    i = semi;
  }
  return r;
}

// [SECTION] lines and tags of one medium

bool TTagReader::AtEnd() {
  if (FFile) return Eof(*FFile);
  if (FStream) return FEnd || FStream->Position() >= FStream->Size();
  return FPos > static_cast<int>(FText->size());
}

bool TTagReader::ReadLine(String& line) {
  if (AtEnd()) return false;
  if (FFile) {
    ReadLn(*FFile, line);
  } else if (FStream) {
    line = ReadLnStream(*FStream, FEnd, FLineMode);
  } else {
    const std::size_t from = static_cast<std::size_t>(FPos - 1), lf = FText->find(u'\n', from);
    const std::size_t to = lf == String::npos ? FText->size() : lf;
    line = FText->substr(from, to - from);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    FPos = static_cast<int>(to) + 2;
  }
  FCharsRead += static_cast<int64_t>(line.size()) + 1;
  return true;
}

int TTagReader::NextTag(const std::vector<String>& tags, String& attributes, String& content) {
  int tag = 0;
  if (FFile) {
    TTextSource in(*FFile);
    tag = NextTagIndex(in, {FTagText, FTagName}, tags, attributes, content);
  } else if (FStream) {
    TByteReader in(*FStream);
    tag = NextTagIndex(in, {FTagText, FTagName}, tags, attributes, content);
  } else {
    tag = ReadNextTagInString(*FText, FPos, tags, attributes, content);
  }
  const std::size_t name = tag >= 0 && static_cast<std::size_t>(tag) < tags.size() ? tags[static_cast<std::size_t>(tag)].size() : 0;
  FCharsRead += static_cast<int64_t>(attributes.size() + content.size() + name) + 2;  // "<" and ">" at least
  return tag;
}

// [SECTION] further helpers

bool ScanStreamForXMLTag(TStream& stream, const String& tag, String& attributes, String& content) {
  const String wanted = LowerCase(tag);
  TByteReader in(stream);
  String text, name;
  while (ReadTag(in, {text, name}, attributes, content))
    if (name == wanted) return true;
  attributes.clear();
  content.clear();
  return false;
}

String ReadStreamUntilTagList(TStream& stream, const std::vector<String>& tags, int& index) {
  index = -1;
  std::vector<String> lower;
  for (const String& t : tags) lower.push_back(LowerCase(t));
  TByteReader in(stream);
  String text;
  Char c = 0;
  while (in.Next(c)) {
    text.push_back(c);
    for (std::size_t i = 0; i < lower.size(); ++i)
      if (EndsWithLower(text, lower[i])) {
        index = static_cast<int>(i);
        return text;
      }
  }
  return text;
}

int ExtractFromStream(TStream& stream, TMemoryStream& target, const TStrings& keys) {
  target.Clear();
  std::vector<String> lower;
  for (int i = 0; i < keys.Count(); ++i) lower.push_back(LowerCase(keys.Strings(i)));
  TByteReader in(stream);
  int copied = 0;
  String line;
  bool more = true;
  while (more) {
    line.clear();
    int b = in.Get();
    for (; b >= 0 && b != 10 && b != 13; b = in.Get()) line.push_back(static_cast<Char>(b));
    more = b >= 0;
    if (b == 13) {
      const int next = in.Get();
      if (next >= 0 && next != 10) in.Unget();
    }
    if ((more || !line.empty()) && ContainsAnyLower(line, lower)) {
      WriteLnStream(target, line);
      ++copied;
    }
  }
  target.SetPosition(0);
  return copied;
}

int SearchAndReplace(TMemoryStream& source, TMemoryStream& target, const String& search, const String& replacement,
                     bool ignoreCase, int startPos, int maxCount, const String& stopText,
                     const TSearchReplaceCallback& callback) {
  if (&source == &target) return 0;  // would read what it overwrites
  target.Clear();
  const uint8_t* data = source.Memory();
  const auto size = static_cast<std::size_t>(source.Size());
  const std::size_t start = std::min<std::size_t>(static_cast<std::size_t>(std::max(startPos, 0)), size);
  const AnsiString what = LowBytes(search);
  const std::size_t stop = stopText.empty() ? size : FindBytes(data, start, size, LowBytes(stopText), ignoreCase);
  target.WriteBuffer(data, static_cast<int64_t>(start));
  int count = 0;
  std::size_t i = start;
  while (i < stop) {
    const std::size_t at = (maxCount <= 0 || count < maxCount) ? FindBytes(data, i, stop, what, ignoreCase) : stop;
    target.WriteBuffer(data + i, static_cast<int64_t>(at - i));
    if (at >= stop) { i = stop; break; }
    String rep = replacement;
    if (callback) callback(CharsOf(data + at, what.size()), rep);
    WriteStringStream(target, rep);
    ++count;
    i = at + what.size();
  }
  target.WriteBuffer(data + i, static_cast<int64_t>(size - i));
  source.SetPosition(0);
  target.SetPosition(0);
  return count;
}

namespace core_detail {

TTagParts SplitTag(const String& text) {
  TTagParts parts;
  parts.empty = SplitTag(text, parts.name, parts.attributes);
  return parts;
}

bool SplitTag(const String& text, String& name, String& attributes) {
  const bool closed = !text.empty() && text.back() == u'>';
  const bool empty = closed && text.size() >= 2 && text[text.size() - 2] == u'/';
  const std::size_t end = empty ? text.size() - 2 : (closed ? text.size() - 1 : text.size());
  const std::size_t blank = text.find(u' ');
  attributes.clear();
  if (blank != String::npos && blank < end) {
    name.assign(text, 0, blank);
    std::size_t from = blank + 1, to = end;  // without blanks around
    while (from < to && text[from] == u' ') ++from;
    while (to > from && text[to - 1] == u' ') --to;
    attributes.assign(text, from, to - from);
  } else {
    name.assign(text, 0, empty ? text.size() : end);
  }
  for (Char& c : name) c = LowerA(c);
  return empty;
}

bool TagHasContent(const TTagParts& tag) { return TagHasContent(tag.name, tag.empty); }

bool TagHasContent(const String& name, bool empty) {
  return !empty && !name.empty() && name[0] != u'/' && name[0] != u'?' && name[0] != u'!';
}

int TagIndex(const std::vector<String>& tags, const String& name) {
  for (std::size_t i = 0; i < tags.size(); ++i)
    if (tags[i].size() == name.size() && SameChars(tags[i].data(), name.data(), name.size())) return static_cast<int>(i);
  return static_cast<int>(tags.size()) - 1;
}

bool StorageFitsInput(int64_t storageBytes, int64_t inputBytes) {
  constexpr int64_t kPerByte = 16, kLeftOut = int64_t{3} << 20;
  constexpr int64_t kMaxInput = (INT64_MAX - kLeftOut) / kPerByte;
  return storageBytes >= 0 && storageBytes <= kLeftOut + kPerByte * std::min(std::max<int64_t>(inputBytes, 0), kMaxInput);
}

int64_t CountedElementChars(const String& line) { return static_cast<int64_t>(line.size()) / 2; }

void PadSparseRow(std::vector<std::pair<int, String>>& cells, int64_t storageBytes, int64_t& written, int firstCol,
                  int lastCol, const std::function<String(int)>& emptyCell) {
  for (const auto& cell : cells) written += CountedElementChars(cell.second);
  const auto texts = static_cast<std::ptrdiff_t>(cells.size());
  for (int c = lastCol; c >= firstCol && !StorageFitsInput(storageBytes, written); --c) {
    String line = emptyCell(c);
    if (line.empty()) continue;
    written += CountedElementChars(line);
    cells.emplace_back(c, std::move(line));
  }
  std::reverse(cells.begin() + texts, cells.end());
  std::inplace_merge(cells.begin(), cells.begin() + texts, cells.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

}  // namespace core_detail
}  // namespace qelta
