// Block routines of the CRC-32 and SHA-1 of unit Qelta_dstruct (Qelta_dstruct_digest_internal.h).
//
// CRC-32, portable: "slicing by 8": tables k = 1..7 give the CRC of byte i followed by k zero bytes,
// so eight bytes cost eight table look-ups; CalcNextCRC32 is the one-byte step of table 0.
// CRC-32, carry-less multiplication (V. Gopal et al., "Fast CRC computation for generic polynomials
// using PCLMULQDQ instruction", Intel, 2009): four 128-bit lanes are folded forward 512 bits at a time,
// then into one lane, 128 bits at a time; the last 128 bits are reduced to 64 and to the 32-bit
// register by Barrett reduction. Working on the bit-reflected register, every folding constant is
// x^n mod P(x), reflected and shifted left by one; the constants are derived below at compile time
// from the generator P(x) = $104C11DB7. Buffers below 64 bytes and the tail below 16 bytes take the
// portable path.
// SHA-1 (FIPS 180-4, section 6.1), portable: the 80 rounds written out through always-inlined steps
// with the five working variables renamed instead of moved, and a 16-word rolling schedule, so that
// the speed does not hang on the optimiser's unrolling. With the SHA extensions: four rounds per
// sha1rnds4, the schedule by sha1msg1/sha1msg2, e carried by sha1nexte (Intel, "New instructions
// supporting the Secure Hash Algorithm on Intel architecture processors", 2013).

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <utility>

#include "Qelta_cpuid.h"
#include "Qelta_dstruct.h"
#include "Qelta_dstruct_digest_internal.h"

#define QELTA_INLINE __attribute__((always_inline)) inline

namespace qelta {
namespace {

// [SECTION] CRC-32, portable

using Crc32Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Crc32Tables MakeCrc32Tables() {
  Crc32Tables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t[0][i] = c;
  }
  for (size_t k = 1; k < 8; ++k)
    for (size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
  return t;
}

constexpr Crc32Tables kCrc32 = MakeCrc32Tables();
static_assert(kCrc32[0][1] == 0x77073096u);

QELTA_INLINE uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

QELTA_INLINE uint32_t Crc32Byte(uint8_t b, uint32_t crc) { return kCrc32[0][(crc ^ b) & 0xFF] ^ (crc >> 8); }

uint32_t Crc32Slice8(uint32_t crc, const uint8_t* p, size_t n) {
  for (; n >= 8; n -= 8, p += 8) {
    const uint32_t lo = crc ^ LoadLE32(p);
    const uint32_t hi = LoadLE32(p + 4);
    crc = kCrc32[7][lo & 0xFF] ^ kCrc32[6][(lo >> 8) & 0xFF] ^ kCrc32[5][(lo >> 16) & 0xFF] ^
          kCrc32[4][lo >> 24] ^ kCrc32[3][hi & 0xFF] ^ kCrc32[2][(hi >> 8) & 0xFF] ^
          kCrc32[1][(hi >> 16) & 0xFF] ^ kCrc32[0][hi >> 24];
  }
  for (; n > 0; --n, ++p) crc = Crc32Byte(*p, crc);
  return crc;
}

// [SECTION] CRC-32 folding constants

constexpr uint64_t kGenerator = 0x104C11DB7u;  // P(x), x^32 included

// x^n mod P(x).
constexpr uint64_t XPowModP(int n) {
  uint64_t r = 1;
  for (int i = 0; i < n; ++i) {
    r <<= 1;
    if (r >> 32) r ^= kGenerator;
  }
  return r;
}

constexpr uint64_t Reflect(uint64_t v, int bits) {
  uint64_t out = 0;
  for (int i = 0; i < bits; ++i)
    if ((v >> i) & 1) out |= uint64_t{1} << (bits - 1 - i);
  return out;
}

// The constant that folds 128-bit lanes n - 32 (high half) or n + 32 (low half) bits forward.
constexpr uint64_t FoldConstant(int n) { return Reflect(XPowModP(n), 32) << 1; }

// floor(x^64 / P(x)), reflected: the Barrett multiplier. Long division; after the first quotient
// bit (x^32) the remainder fits 64 bits.
constexpr uint64_t BarrettMultiplier() {
  uint64_t q = uint64_t{1} << 32, rem = (kGenerator ^ (uint64_t{1} << 32)) << 32;
  for (int i = 31; i >= 0; --i) {
    if ((rem >> (32 + i)) & 1) q |= uint64_t{1} << i, rem ^= kGenerator << i;
  }
  return Reflect(q, 33);
}

constexpr uint64_t kFold512Lo = FoldConstant(4 * 128 + 32), kFold512Hi = FoldConstant(4 * 128 - 32);
constexpr uint64_t kFold128Lo = FoldConstant(128 + 32), kFold128Hi = FoldConstant(128 - 32);
constexpr uint64_t kFold64 = FoldConstant(64);
constexpr uint64_t kPolyReflected = Reflect(kGenerator, 33), kBarrett = BarrettMultiplier();
static_assert(kFold512Lo == 0x154442BD4u && kFold512Hi == 0x1C6E41596u && kFold128Lo == 0x1751997D0u &&
              kFold128Hi == 0x0CCAA009Eu && kFold64 == 0x163CD6124u && kPolyReflected == 0x1DB710641u &&
              kBarrett == 0x1F7011641u);

// [SECTION] CRC-32, carry-less multiplication

#define QELTA_CLMUL __attribute__((target("pclmul,sse4.1")))

QELTA_CLMUL QELTA_INLINE __m128i Load128(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// x folded forward by the constants in k, plus the next data y.
QELTA_CLMUL QELTA_INLINE __m128i Fold(__m128i x, __m128i k, __m128i y) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), y);
}

// The 32-bit register of the 128-bit remainder x.
QELTA_CLMUL QELTA_INLINE uint32_t Reduce128(__m128i x) {
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  const __m128i k = _mm_set_epi64x(static_cast<int64_t>(kFold128Hi), static_cast<int64_t>(kFold128Lo));
  x = _mm_xor_si128(_mm_srli_si128(x, 8), _mm_clmulepi64_si128(x, k, 0x10));  // 128 -> 96 bits
  const __m128i hi = _mm_srli_si128(x, 4);
  x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), _mm_cvtsi64_si128(int64_t(kFold64)), 0x00), hi);
  const __m128i pu = _mm_set_epi64x(static_cast<int64_t>(kBarrett), static_cast<int64_t>(kPolyReflected));
  __m128i t = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), pu, 0x10), low32);
  t = _mm_clmulepi64_si128(t, pu, 0x00);
  return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(x, t), 1));
}

QELTA_CLMUL uint32_t Crc32Clmul(uint32_t crc, const uint8_t* p, size_t n) {
  if (n < 64) return Crc32Slice8(crc, p, n);
  __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x1 = Load128(p + 16), x2 = Load128(p + 32), x3 = Load128(p + 48);
  p += 64, n -= 64;
  const __m128i k4 = _mm_set_epi64x(static_cast<int64_t>(kFold512Hi), static_cast<int64_t>(kFold512Lo));
  for (; n >= 64; p += 64, n -= 64) {
    x0 = Fold(x0, k4, Load128(p));
    x1 = Fold(x1, k4, Load128(p + 16));
    x2 = Fold(x2, k4, Load128(p + 32));
    x3 = Fold(x3, k4, Load128(p + 48));
  }
  const __m128i k1 = _mm_set_epi64x(static_cast<int64_t>(kFold128Hi), static_cast<int64_t>(kFold128Lo));
  x0 = Fold(Fold(Fold(x0, k1, x1), k1, x2), k1, x3);
  for (; n >= 16; p += 16, n -= 16) x0 = Fold(x0, k1, Load128(p));
  return Crc32Slice8(Reduce128(x0), p, n);
}

// [SECTION] SHA-1, portable

QELTA_INLINE uint32_t Rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Word T of the message schedule, kept in a ring of 16 words.
template <int T>
QELTA_INLINE uint32_t Schedule(uint32_t (&w)[16]) {
  if constexpr (T < 16) {
    return w[T];
  } else {
    return w[T & 15] = Rol(w[(T + 13) & 15] ^ w[(T + 8) & 15] ^ w[(T + 2) & 15] ^ w[T & 15], 1);
  }
}

// Round function and constant of round T.
template <int T>
QELTA_INLINE uint32_t RoundMix(uint32_t b, uint32_t c, uint32_t d) {
  if constexpr (T < 20) return (d ^ (b & (c ^ d))) + 0x5A827999u;
  else if constexpr (T < 40) return (b ^ c ^ d) + 0x6ED9EBA1u;
  else if constexpr (T < 60) return ((b & c) | (d & (b | c))) + 0x8F1BBCDCu;
  else return (b ^ c ^ d) + 0xCA62C1D6u;
}

// Round T with the working variables renamed: e takes the new a, b its rotation.
template <int T>
QELTA_INLINE void Step(uint32_t a, uint32_t& b, uint32_t c, uint32_t d, uint32_t& e, uint32_t (&w)[16]) {
  e += Rol(a, 5) + RoundMix<T>(b, c, d) + Schedule<T>(w);
  b = Rol(b, 30);
}

// Rounds T..T+4; afterwards a..e hold their roles again.
template <int T>
QELTA_INLINE void FiveSteps(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, uint32_t& e, uint32_t (&w)[16]) {
  Step<T>(a, b, c, d, e, w);
  Step<T + 1>(e, a, b, c, d, w);
  Step<T + 2>(d, e, a, b, c, w);
  Step<T + 3>(c, d, e, a, b, w);
  Step<T + 4>(b, c, d, e, a, w);
}

template <int... G>
QELTA_INLINE void AllSteps(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, uint32_t& e, uint32_t (&w)[16],
                           std::integer_sequence<int, G...>) {
  (FiveSteps<5 * G>(a, b, c, d, e, w), ...);
}

void Sha1BlocksPlain(uint32_t (&h)[5], const uint8_t* p, size_t n) {
  for (; n > 0; --n, p += 64) {
    uint32_t w[16];
    for (int t = 0; t < 16; ++t)
      w[t] = uint32_t(p[4 * t]) << 24 | uint32_t(p[4 * t + 1]) << 16 | uint32_t(p[4 * t + 2]) << 8 | p[4 * t + 3];
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    AllSteps(a, b, c, d, e, w, std::make_integer_sequence<int, 16>{});
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
  }
}

// [SECTION] SHA-1, SHA extensions

#define QELTA_SHA __attribute__((target("sha,sse4.1,ssse3")))

// Rounds 4G..4G+3. The message words of group G sit in m[G % 4]; while a group runs, the words of
// later groups are prepared: sha1msg1 three groups ahead, the xor two ahead, sha1msg2 one ahead.
// e alternates between e0 and e1: one is added into the message, the other keeps a for the next group.
template <int G>
QELTA_SHA QELTA_INLINE void NiGroup(__m128i& abcd, __m128i& e0, __m128i& e1, __m128i (&m)[4]) {
  __m128i& e = G % 2 == 0 ? e0 : e1;
  __m128i& next = G % 2 == 0 ? e1 : e0;
  if constexpr (G == 0) e = _mm_add_epi32(e, m[0]);
  else e = _mm_sha1nexte_epu32(e, m[G % 4]);
  next = abcd;
  if constexpr (G >= 3 && G <= 18) m[(G + 1) % 4] = _mm_sha1msg2_epu32(m[(G + 1) % 4], m[G % 4]);
  abcd = _mm_sha1rnds4_epu32(abcd, e, G / 5);
  if constexpr (G >= 1 && G <= 16) m[(G + 3) % 4] = _mm_sha1msg1_epu32(m[(G + 3) % 4], m[G % 4]);
  if constexpr (G >= 2 && G <= 17) m[(G + 2) % 4] = _mm_xor_si128(m[(G + 2) % 4], m[G % 4]);
}

template <int... G>
QELTA_SHA QELTA_INLINE void NiGroups(__m128i& abcd, __m128i& e0, __m128i& e1, __m128i (&m)[4],
                                     std::integer_sequence<int, G...>) {
  (NiGroup<G>(abcd, e0, e1, m), ...);
}

QELTA_SHA void Sha1BlocksNi(uint32_t (&h)[5], const uint8_t* p, size_t n) {
  const __m128i byteSwap = _mm_set_epi64x(0x0001020304050607LL, 0x08090A0B0C0D0E0FLL);
  __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0x1B);
  __m128i e0 = _mm_set_epi32(static_cast<int>(h[4]), 0, 0, 0);
  for (; n > 0; --n, p += 64) {
    const __m128i abcdSaved = abcd, eSaved = e0;
    __m128i e1;
    __m128i m[4];
    for (int k = 0; k < 4; ++k) m[k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k)), byteSwap);
    NiGroups(abcd, e0, e1, m, std::make_integer_sequence<int, 20>{});
    e0 = _mm_sha1nexte_epu32(e0, eSaved);
    abcd = _mm_add_epi32(abcd, abcdSaved);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_shuffle_epi32(abcd, 0x1B));
  h[4] = static_cast<uint32_t>(_mm_extract_epi32(e0, 3));
}

// [SECTION] choice of the routines

struct TDigestKernels {
  uint32_t (*Crc)(uint32_t, const uint8_t*, size_t);
  void (*Sha)(uint32_t (&)[5], const uint8_t*, size_t);
};

struct TCpuFeatures {
  bool Clmul = false;
  bool Sha = false;
};

// Read with CPUID from a hardware probe of our own, never from the probe a test may have installed: a fake
// one could claim instructions this processor lacks. (Not every compiler's __builtin_cpu_supports knows "sha".)
TCpuFeatures ReadCpuFeatures() {
  TCpuProbe hardware;
  if (!hardware.Supported()) return {};
  const uint32_t highest = hardware.Query(0).EAX;
  const uint32_t ecx1 = highest >= 1 ? hardware.Query(1).ECX : 0;
  const uint32_t ebx7 = highest >= 7 ? hardware.Query(7).EBX : 0;
  const auto bit = [](uint32_t reg, int n) { return ((reg >> n) & 1u) != 0; };
  const bool sse41 = bit(ecx1, 19), ssse3 = bit(ecx1, 9);
  return {bit(ecx1, 1) && sse41, bit(ebx7, 29) && sse41 && ssse3};
}

const TCpuFeatures& CpuFeatures() {
  static const TCpuFeatures features = ReadCpuFeatures();
  return features;
}

bool HasClmul() { return CpuFeatures().Clmul; }
bool HasSha() { return CpuFeatures().Sha; }

int SupportedLevel() { return HasClmul() || HasSha() ? 1 : 0; }

TDigestKernels KernelsOf(int level) {
  if (level <= 0) return {Crc32Slice8, Sha1BlocksPlain};
  return {HasClmul() ? Crc32Clmul : Crc32Slice8, HasSha() ? Sha1BlocksNi : Sha1BlocksPlain};
}

int& Level() {
  static int level = SupportedLevel();
  return level;
}

TDigestKernels& Active() {
  static TDigestKernels k = KernelsOf(Level());
  return k;
}

}  // namespace

// [SECTION] routines

uint32_t CalcNextCRC32(uint8_t b, uint32_t crc) { return Crc32Byte(b, crc); }

uint32_t core_detail::Crc32Update(uint32_t crc, const uint8_t* data, std::size_t n) { return Active().Crc(crc, data, n); }

void core_detail::Sha1Blocks(uint32_t (&state)[5], const uint8_t* data, std::size_t n) { Active().Sha(state, data, n); }

int core_detail::DigestLevel() { return Level(); }

int core_detail::SetDigestLevel(int level) {
  Level() = std::clamp(level, 0, SupportedLevel());
  Active() = KernelsOf(Level());
  return Level();
}

}  // namespace qelta
