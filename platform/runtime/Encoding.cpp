#include "Encoding.h"

#include "DirectPaths.h"

#include <immintrin.h>

#include <array>

namespace qelta {
namespace {

// Windows-1252 0x80..0x9F; the unassigned bytes 81, 8D, 8F, 90, 9D map to themselves.
constexpr std::array<Char, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The reverse of kCp1252High: slot (c xor c >> 8) and $FF holds the character c and its byte; the 32
// characters fall into 32 different slots.
struct TAnsiSlot {
  Char Code = 0;
  unsigned char Byte = 0;
};

constexpr std::size_t SlotOf(Char c) { return (c ^ (c >> 8)) & 0xFF; }

constexpr std::array<TAnsiSlot, 256> MakeCp1252Reverse() {
  std::array<TAnsiSlot, 256> slots{};
  for (std::size_t k = 0; k < kCp1252High.size(); ++k)
    slots[SlotOf(kCp1252High[k])] = {kCp1252High[k], static_cast<unsigned char>(0x80 + k)};
  return slots;
}

constexpr std::array<TAnsiSlot, 256> kCp1252Reverse = MakeCp1252Reverse();

constexpr bool EveryHighCharHasItsSlot() {
  for (Char c : kCp1252High)
    if (kCp1252Reverse[SlotOf(c)].Code != c) return false;
  return true;
}
static_assert(EveryHighCharHasItsSlot());

// Lanes of v that are not their own byte (not below $80, nor in $A0..$FF): all ones.
__m128i ForeignLanes(__m128i v) {
  const __m128i latin1 = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF00))), _mm_setzero_si128());
  const __m128i c1 = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(0xE0)), _mm_set1_epi16(0x80));
  return _mm_or_si128(_mm_andnot_si128(latin1, _mm_set1_epi16(-1)), c1);
}

// Lanes of v that are halves of surrogate pairs ($D800..$DFFF): all ones.
__m128i SurrogateLanes(__m128i v) {
  return _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))), _mm_set1_epi16(static_cast<short>(0xD800)));
}

// Sixteen characters to out, one byte each: their own byte, or the code page's through the table.
// False, nothing written, when a surrogate is among them (pairs take the character path). SSE2,
// which every x86-64 processor has.
bool Sixteen(const Char* p, char* out) {
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
  if (_mm_movemask_epi8(_mm_or_si128(SurrogateLanes(a), SurrogateLanes(b))) != 0) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
  for (unsigned foreign = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ForeignLanes(a), ForeignLanes(b))));
       foreign != 0; foreign &= foreign - 1) {
    const int k = __builtin_ctz(foreign);
    out[k] = static_cast<char>(CharToAnsiChar(p[k]));
  }
  return true;
}

// The same for 32 characters with AVX2 (the packs work per 128-bit half: the halves are put back
// in order).
__attribute__((target("avx2"))) bool ThirtyTwo(const Char* p, char* out) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 16));
  const __m256i surrogateBits = _mm256_set1_epi16(static_cast<short>(0xF800));
  const __m256i surrogate = _mm256_set1_epi16(static_cast<short>(0xD800));
  const __m256i halves = _mm256_or_si256(_mm256_cmpeq_epi16(_mm256_and_si256(a, surrogateBits), surrogate),
                                         _mm256_cmpeq_epi16(_mm256_and_si256(b, surrogateBits), surrogate));
  if (!_mm256_testz_si256(halves, halves)) return false;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
  const __m256i high = _mm256_set1_epi16(static_cast<short>(0xFF00)), block = _mm256_set1_epi16(0xE0);
  const __m256i c1 = _mm256_set1_epi16(0x80), ones = _mm256_set1_epi16(-1);
  const __m256i foreignA = _mm256_or_si256(_mm256_andnot_si256(_mm256_cmpeq_epi16(_mm256_and_si256(a, high), _mm256_setzero_si256()), ones),
                                           _mm256_cmpeq_epi16(_mm256_and_si256(a, block), c1));
  const __m256i foreignB = _mm256_or_si256(_mm256_andnot_si256(_mm256_cmpeq_epi16(_mm256_and_si256(b, high), _mm256_setzero_si256()), ones),
                                           _mm256_cmpeq_epi16(_mm256_and_si256(b, block), c1));
  const __m256i lanes = _mm256_permute4x64_epi64(_mm256_packs_epi16(foreignA, foreignB), 0xD8);
  for (unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(lanes)); bits != 0; bits &= bits - 1) {
    const int k = __builtin_ctz(bits);
    out[k] = static_cast<char>(CharToAnsiChar(p[k]));
  }
  return true;
}

const bool kHasAvx2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(String& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<Char>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<Char>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<Char>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at s[i]; advances i; answers U+FFFD for any malformed sequence.
char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i++]);
  if (b0 < 0x80) return b0;
  int extra = 0;
  char32_t cp = 0, min = 0;
  if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; min = 0x80; }
  else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; min = 0x800; }
  else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; min = 0x10000; }
  else return kReplacement;
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  return cp;
}

}  // namespace

String Utf8ToString(std::string_view utf8) {
  String out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) AppendUtf16(out, DecodeUtf8(utf8, i));
  return out;
}

std::string StringToUtf8(const String& s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

Char AnsiCharToChar(unsigned char c) {
  return (c >= 0x80 && c <= 0x9F) ? kCp1252High[c - 0x80] : static_cast<Char>(c);
}

unsigned char CharToAnsiChar(Char c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  const TAnsiSlot& slot = kCp1252Reverse[SlotOf(c)];
  return slot.Code == c ? slot.Byte : '?';
}

namespace {

// One character (a surrogate pair as one) at pos into out; answers the characters taken.
std::size_t OneToAnsi(const String& s, std::size_t pos, char* out) {
  // A surrogate pair is one character beyond the code page: one '?', not two.
  const Char c = s[pos];
  const bool pair = c >= 0xD800 && c <= 0xDBFF && pos + 1 < s.size() && s[pos + 1] >= 0xDC00 && s[pos + 1] <= 0xDFFF;
  *out = static_cast<char>(CharToAnsiChar(c));
  return pair ? 2 : 1;
}

}  // namespace

std::size_t StringToAnsiChunk(const String& s, std::size_t& pos, char* out, std::size_t room) {
  const std::size_t size = s.size();
  std::size_t n = 0;
  const bool wide = kHasAvx2 && platform_detail::DirectPaths();  // 32 at a time where the processor has AVX2
  while (n < room && pos < size) {
    if (wide && room - n >= 32 && size - pos >= 32 && ThirtyTwo(s.data() + pos, out + n)) {
      n += 32, pos += 32;
      continue;
    }
    if (room - n >= 16 && size - pos >= 16) {  // sixteen at a time, or one by one around surrogates
      if (Sixteen(s.data() + pos, out + n)) {
        n += 16, pos += 16;
      } else {
        for (const std::size_t stop = pos + 16; pos < stop; ++n) pos += OneToAnsi(s, pos, out + n);
      }
      continue;
    }
    if (s[pos] < 0x80) out[n++] = static_cast<char>(s[pos++]);  // the short rest, mostly ASCII
    else pos += OneToAnsi(s, pos, out + n++);
  }
  return n;
}

AnsiString StringToAnsi(const String& s) {
  AnsiString out(s.size(), '\0');
  std::size_t pos = 0;
  out.resize(StringToAnsiChunk(s, pos, out.data(), out.size()));
  return out;
}

namespace {

// Sixteen bytes to sixteen characters: widened as they stand, then the lanes of 0x80-0x9F looked up.
void WidenSixteen(const char* in, Char* out) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(v, _mm_setzero_si128()));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(v, _mm_setzero_si128()));
  const __m128i block = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xE0))), _mm_set1_epi8(static_cast<char>(0x80)));
  for (unsigned high = static_cast<unsigned>(_mm_movemask_epi8(block)); high != 0; high &= high - 1) {
    const int k = __builtin_ctz(high);
    out[k] = kCp1252High[static_cast<unsigned char>(in[k]) - 0x80];
  }
}

}  // namespace

void AnsiToChars(std::string_view ansi, Char* out) {
  std::size_t i = 0;
  for (; i + 16 <= ansi.size(); i += 16) WidenSixteen(ansi.data() + i, out + i);
  for (; i < ansi.size(); ++i) out[i] = AnsiCharToChar(static_cast<unsigned char>(ansi[i]));
}

String AnsiToString(std::string_view ansi) {
  String out(ansi.size(), u'\0');
  AnsiToChars(ansi, out.data());
  return out;
}

String CodePointToString(char32_t codePoint) {
  const bool valid = codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
  String s;
  AppendUtf16(s, valid ? codePoint : kReplacement);
  return s;
}

}  // namespace qelta
