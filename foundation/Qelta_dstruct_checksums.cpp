// Checksums, digests and combinatorial steps of unit Qelta_dstruct.
//
// Sources and deliberate choices:
// - CRC-16: polynomial $1021 MSB first, table entry i = CRC of the byte i shifted in from the top;
//   check values over "123456789": $31C3 from 0 (XMODEM), $29B1 from $FFFF (CCITT-FALSE).
//   (R. N. Williams, "A painless guide to CRC error detection algorithms", 1993.)
// - CRC-32: reflected polynomial $EDB88320, check value $CBF43926. CalcNextCRC32 is the one-byte
//   table step; CRC32ofBuffer runs the same recurrence eight bytes at a time ("slicing by 8",
//   tables k = 1..7 give the CRC of byte i followed by k zero bytes), which gives identical
//   results and is checked against the byte step in the tests.
// - SHA-1: FIPS 180-4, section 6.1, with the 16-word rolling message schedule.
// - SHA1FromString hashes the Windows-1252 image of the text, one byte per character. An earlier
//   form hashed the first half of the 16-bit storage, which matched no stream or file holding
//   the same text.
// - ASCII85: the system's own final group (c bytes as c + 1 digits, no padding). A group whose
//   number does not fit its c bytes cannot come from the encoder; it is reported as -3 and not
//   written, instead of being silently truncated to its low bytes.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "Encoding.h"
#include "Qelta_dstruct.h"

namespace qelta {

namespace {

// [SECTION] CRC tables, produced at compile time from the generator polynomials.

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
  std::array<uint16_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i << 8;
    for (int bit = 0; bit < 8; ++bit) c = (c & 0x8000u) ? (c << 1) ^ 0x1021u : c << 1;
    t[i] = static_cast<uint16_t>(c);
  }
  return t;
}

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

constexpr std::array<uint16_t, 256> kCrc16Table = MakeCrc16Table();
constexpr Crc32Tables kCrc32 = MakeCrc32Tables();
static_assert(kCrc16Table[1] == 0x1021 && kCrc32[0][1] == 0x77073096u);

// The number of bytes a count may address in a buffer of `size` bytes.
size_t ClampedCount(int count, size_t size) {
  if (count <= 0) return 0;
  return std::min(static_cast<size_t>(count), size);
}

uint32_t LoadLE32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Runs the CRC-32 register over n bytes, eight at a time, then the rest byte by byte.
uint32_t Crc32Run(uint32_t crc, const uint8_t* p, size_t n) {
  for (; n >= 8; n -= 8, p += 8) {
    const uint32_t lo = crc ^ LoadLE32(p);
    const uint32_t hi = LoadLE32(p + 4);
    crc = kCrc32[7][lo & 0xFF] ^ kCrc32[6][(lo >> 8) & 0xFF] ^ kCrc32[5][(lo >> 16) & 0xFF] ^
          kCrc32[4][lo >> 24] ^ kCrc32[3][hi & 0xFF] ^ kCrc32[2][(hi >> 8) & 0xFF] ^
          kCrc32[1][(hi >> 16) & 0xFF] ^ kCrc32[0][hi >> 24];
  }
  for (; n > 0; --n, ++p) crc = CalcNextCRC32(*p, crc);
  return crc;
}

// [SECTION] SHA-1

uint32_t Rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Incremental SHA-1: Update with any pieces, then Final once.
class Sha1 {
 public:
  void Update(const uint8_t* p, size_t n);
  TSHACode Final();

 private:
  void Block(const uint8_t* p);

  std::array<uint32_t, 5> h_{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  std::array<uint8_t, 64> buf_{};
  size_t used_ = 0;
  uint64_t length_ = 0;  // bytes hashed so far
};

void Sha1::Update(const uint8_t* p, size_t n) {
  length_ += n;
  if (used_ > 0) {
    const size_t take = std::min(n, 64 - used_);
    std::memcpy(buf_.data() + used_, p, take);
    used_ += take, p += take, n -= take;
    if (used_ < 64) return;
    Block(buf_.data());
    used_ = 0;
  }
  for (; n >= 64; n -= 64, p += 64) Block(p);
  std::memcpy(buf_.data(), p, n);
  used_ = n;
}

TSHACode Sha1::Final() {
  const uint64_t bits = length_ * 8;
  static constexpr uint8_t kPad[64] = {0x80};
  Update(kPad, used_ < 56 ? 56 - used_ : 120 - used_);
  uint8_t len[8];
  for (int i = 0; i < 8; ++i) len[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Update(len, 8);
  TSHACode digest{};
  for (size_t i = 0; i < 20; ++i) digest[i] = static_cast<uint8_t>(h_[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

void Sha1::Block(const uint8_t* p) {
  uint32_t w[16];
  for (int t = 0; t < 16; ++t)
    w[t] = uint32_t(p[4 * t]) << 24 | uint32_t(p[4 * t + 1]) << 16 | uint32_t(p[4 * t + 2]) << 8 | p[4 * t + 3];
  uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4];
  for (int t = 0; t < 80; ++t) {
    if (t >= 16) w[t & 15] = Rol(w[(t - 3) & 15] ^ w[(t - 8) & 15] ^ w[(t - 14) & 15] ^ w[t & 15], 1);
    uint32_t f;
    if (t < 20) f = ((b & c) | (~b & d)) + 0x5A827999u;
    else if (t < 40) f = (b ^ c ^ d) + 0x6ED9EBA1u;
    else if (t < 60) f = ((b & c) | (b & d) | (c & d)) + 0x8F1BBCDCu;
    else f = (b ^ c ^ d) + 0xCA62C1D6u;
    const uint32_t temp = Rol(a, 5) + f + e + w[t & 15];
    e = d, d = c, c = Rol(b, 30), b = a, a = temp;
  }
  h_[0] += a, h_[1] += b, h_[2] += c, h_[3] += d, h_[4] += e;
}

// [SECTION] Permutation levels

// Level a moves the value n - a + 1 within positions 1..a (see NextPermutation).
bool PermutationLevel(TCombination& perm, size_t a) {
  if (a <= 1) return false;
  const uint8_t v = static_cast<uint8_t>(perm[0] - a + 1);
  const auto first = perm.begin() + 1, last = perm.begin() + static_cast<std::ptrdiff_t>(a) + 1;
  const auto q = std::find(first, last, v);
  if (q + 1 != last) {
    std::iter_swap(q, q + 1);
    return true;
  }
  if (!PermutationLevel(perm, a - 1)) return false;
  std::rotate(first, last - 1, last);  // positions 1..a-1 one place right, v to position 1
  return true;
}

// True when perm[1..n] holds each of 1..n once, n = perm[0].
bool IsPermutation(const TCombination& perm) {
  if (perm.empty() || perm.size() < size_t(perm[0]) + 1) return false;
  std::array<bool, 256> seen{};
  for (size_t i = 1; i <= perm[0]; ++i) {
    if (perm[i] < 1 || perm[i] > perm[0] || seen[perm[i]]) return false;
    seen[perm[i]] = true;
  }
  return true;
}

// The "no value" mark of the system (uc_MaxDouble): differences from it on count as none.
constexpr long double kNoValue = 1.7e308L;

}  // namespace

// [SECTION] CRC-16 and CRC-32

uint16_t CalcNextCRC16(uint8_t b, uint16_t crc) {
  return static_cast<uint16_t>(kCrc16Table[((crc >> 8) ^ b) & 0xFF] ^ (crc << 8));
}

uint16_t CRC16ofBuffer(const std::vector<uint8_t>& data, int count, TCRC16Mode mode) {
  uint16_t crc = mode == crcCCITT ? 0xFFFF : 0;
  const size_t n = ClampedCount(count, data.size());
  for (size_t i = 0; i < n; ++i) crc = CalcNextCRC16(data[i], crc);
  return crc;
}

uint32_t CalcNextCRC32(uint8_t b, uint32_t crc) { return kCrc32[0][(crc ^ b) & 0xFF] ^ (crc >> 8); }

uint32_t CRC32ofBuffer(const std::vector<uint8_t>& data, int count) {
  return ~Crc32Run(0xFFFFFFFFu, data.data(), ClampedCount(count, data.size()));
}

// [SECTION] SHA-1

TSHACode SHA1FromString(const String& text) {
  const AnsiString bytes = StringToAnsi(text);
  Sha1 sha;
  sha.Update(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return sha.Final();
}

String SHA1DigestToHex(const TSHACode& digest) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  String hex;
  hex.reserve(40);
  for (uint8_t b : digest) {
    hex += kHex[b >> 4];
    hex += kHex[b & 15];
  }
  return hex;
}

// [SECTION] Combinations, permutations, nearest value

bool NextCombination(TCombination& comb, int n) {
  if (comb.empty() || n > 255 || comb[0] > n || comb.size() < size_t(comb[0]) + 1) return false;
  const int k = comb[0];
  int p = k;
  while (p >= 1 && comb[p] >= n - k + p) --p;
  if (p < 1) return false;
  ++comb[p];
  for (int i = p + 1; i <= k; ++i) comb[i] = static_cast<uint8_t>(comb[i - 1] + 1);
  return true;
}

bool NextPermutation(TCombination& perm) {
  if (!IsPermutation(perm)) return false;
  return PermutationLevel(perm, perm[0]);
}

int IndexOfNearestArrayValue(double x, std::span<const double> values) {
  int best = -1;
  long double bestDiff = kNoValue;
  for (size_t i = 0; i < values.size(); ++i) {
    const long double diff = std::fabs(static_cast<long double>(x) - values[i]);
    if (diff < bestDiff) best = static_cast<int>(i), bestDiff = diff;
  }
  return best;
}

int IndexOfNearestArrayValue(int32_t x, std::span<const int32_t> values) {
  int best = -1;
  int64_t bestDiff = std::numeric_limits<int64_t>::max();
  for (size_t i = 0; i < values.size(); ++i) {
    const int64_t diff = std::abs(int64_t{x} - values[i]);
    if (diff < bestDiff) best = static_cast<int>(i), bestDiff = diff;
  }
  return best;
}

}  // namespace qelta
