// Checksums, digests and combinatorial steps of unit Qelta_dstruct.
//
// Sources and deliberate choices:
// - CRC-16: polynomial $1021 MSB first, table entry i = CRC of the byte i shifted in from the top;
//   check values over "123456789": $31C3 from 0 (XMODEM), $29B1 from $FFFF (CCITT-FALSE).
//   (R. N. Williams, "A painless guide to CRC error detection algorithms", 1993.)
// - CRC-32: reflected polynomial $EDB88320, check value $CBF43926. CalcNextCRC32 is the one-byte
//   table step; buffers and files run the same recurrence many bytes at a time through the block
//   routine of Qelta_dstruct_digests.cpp, which gives identical results (checked in the tests).
// - SHA-1: FIPS 180-4, section 6.1; the block routine is in Qelta_dstruct_digests.cpp.
// - SHA1FromString hashes the Windows-1252 image of the text, one byte per character. An earlier
//   form hashed the first half of the 16-bit storage, which matched no stream or file holding
//   the same text. The text is converted in chunks straight into the hash, never copied whole.
// - ASCII85: the system's own final group (c bytes as c + 1 digits, no padding). A group whose
//   number does not fit its c bytes cannot come from the encoder; it is reported as -3 and not
//   written, instead of being silently truncated to its low bytes.

#include <fcntl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "Encoding.h"
#include "OsLayer.h"
#include "Qelta_dstruct.h"
#include "Qelta_dstruct_digest_internal.h"
#include "Qelta_univconst.h"
#include "Streams.h"
#include "TextFiles.h"

namespace qelta {

namespace {

// [SECTION] CRC-16 table, produced at compile time from the generator polynomial.

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
  std::array<uint16_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i << 8;
    for (int bit = 0; bit < 8; ++bit) c = (c & 0x8000u) ? (c << 1) ^ 0x1021u : c << 1;
    t[i] = static_cast<uint16_t>(c);
  }
  return t;
}

constexpr std::array<uint16_t, 256> kCrc16Table = MakeCrc16Table();
static_assert(kCrc16Table[1] == 0x1021);

// The number of bytes a count may address in a buffer of `size` bytes.
size_t ClampedCount(int count, size_t size) {
  if (count <= 0) return 0;
  return std::min(static_cast<size_t>(count), size);
}

// [SECTION] SHA-1

// Incremental SHA-1: Update with any pieces, then Final once.
class Sha1 {
 public:
  void Update(const uint8_t* p, size_t n);
  TSHACode Final();

 private:
  uint32_t h_[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
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
    core_detail::Sha1Blocks(h_, buf_.data(), 1);
    used_ = 0;
  }
  core_detail::Sha1Blocks(h_, p, n / 64);
  p += n / 64 * 64, n %= 64;
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

// [SECTION] Stream and file reading

// Reads the stream up to its end in blocks; a read that ends before Size() is a failure.
class StreamBytes {
 public:
  explicit StreamBytes(TStream& stream) : stream_(stream) {}

  // The next byte, or -1 at the end of the stream.
  int Get() {
    if (pos_ == len_ && !Fill()) return -1;
    return buf_[pos_++];
  }
  // Steps back over the byte of the last Get (none when it answered -1).
  void Unget() {
    if (pos_ > 0) --pos_;
  }
  // Hands the bytes read ahead back to the stream, so that its position follows the last Get.
  void GiveBack() {
    if (pos_ < len_) stream_.Seek(-static_cast<int64_t>(len_ - pos_), soFromCurrent);
    pos_ = len_ = 0;
  }

 private:
  bool Fill() {
    pos_ = 0;
    len_ = static_cast<size_t>(std::max<int64_t>(stream_.Read(buf_.data(), int64_t(buf_.size())), 0));
    if (len_ == 0 && stream_.Position() < stream_.Size()) throw EReadError("Stream read error");
    return len_ > 0;
  }

  TStream& stream_;
  std::array<uint8_t, 4096> buf_{};
  size_t pos_ = 0, len_ = 0;
};

// Collects output bytes and writes them to the stream in blocks.
class StreamSink {
 public:
  explicit StreamSink(TStream& stream) : stream_(stream) {}
  void Put(uint8_t b) {
    buf_.push_back(static_cast<char>(b));
    if (buf_.size() >= 4096) Flush();
  }
  void Flush() {
    stream_.WriteBuffer(buf_.data(), static_cast<int64_t>(buf_.size()));
    buf_.clear();
  }

 private:
  TStream& stream_;
  std::string buf_;
};

// Sets the runtime's FileMode for the lifetime of the object and restores it after.
class FileModeScope {
 public:
  explicit FileModeScope(int mode) : saved_(FileMode) { FileMode = mode; }
  ~FileModeScope() { FileMode = saved_; }
  FileModeScope(const FileModeScope&) = delete;
  FileModeScope& operator=(const FileModeScope&) = delete;

 private:
  int saved_;
};

// The CRC-32 register after all bytes of an open file; false on a read failure.
bool Crc32OfHandle(int fd, uint32_t& crc) {
  std::array<uint8_t, 4096> block{};
  for (;;) {
    const int64_t n = OsLayer().Read(fd, block.data(), block.size());
    if (n < 0) return false;
    if (n == 0) return true;
    crc = core_detail::Crc32Update(crc, block.data(), static_cast<size_t>(n));
  }
}

// [SECTION] ASCII85 groups

// Writes the c bytes of a group as c + 1 base-85 digits, most significant first.
void EncodeGroup(const uint8_t* bytes, int c, StreamSink& out) {
  uint32_t number = 0;
  for (int i = 0; i < c; ++i) number = number << 8 | bytes[i];
  char digits[5];
  for (int i = c; i >= 0; --i, number /= 85) digits[i] = static_cast<char>(number % 85 + 33);
  for (int i = 0; i <= c; ++i) out.Put(static_cast<uint8_t>(digits[i]));
}

// Collects up to five digits of the group that starts with ch into digits[0..m-1]. Answers the
// last error met (-1 a foreign character, -2 a "z"; both skipped) or 0; sets end at "~" (with
// its ">" consumed) or at the end of the source.
int CollectGroup(StreamBytes& in, int ch, uint8_t (&digits)[5], int& m, bool& end) {
  int result = 0;
  for (m = 0;; ch = in.Get()) {
    if (ch < 0 || ch == '~') {
      end = true;
      if (ch == '~' && in.Get() != '>') in.Unget();
      break;
    }
    if (ch == '\r' || ch == '\n') continue;
    if (ch == 'z' || ch < '!' || ch > 'u') {
      result = ch == 'z' ? -2 : -1;
      continue;
    }
    digits[m++] = static_cast<uint8_t>(ch - 33);
    if (m == 5) break;
  }
  return result;
}

// Writes the m - 1 bytes of a group of m digits; -3 when the number does not fit them.
int DecodeGroup(const uint8_t* digits, int m, StreamSink& out) {
  if (m < 2) return 0;
  uint64_t number = 0;
  for (int i = 0; i < m; ++i) number = number * 85 + digits[i];
  const int bytes = m - 1;
  if (number >> (8 * bytes) != 0) return -3;
  for (int i = bytes - 1; i >= 0; --i) out.Put(static_cast<uint8_t>(number >> (8 * i)));
  return 0;
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

// The system's "no value" mark (uc_MaxDouble): a difference this large or larger counts as none.
constexpr long double kNoValue = uc_MaxDouble;

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

uint32_t CRC32ofBuffer(const std::vector<uint8_t>& data, int count) {
  return ~core_detail::Crc32Update(0xFFFFFFFFu, data.data(), ClampedCount(count, data.size()));
}

uint32_t CalcCRC32ofFile(const String& name) {
  const FileModeScope readOnly(0);
  uint32_t crc = 0xFFFFFFFFu;
  const int fd = OsLayer().Open(NativePath(name), O_RDONLY, 0);
  if (fd < 0) return 0;
  const bool ok = Crc32OfHandle(fd, crc);
  OsLayer().Close(fd);
  return ok ? ~crc : 0;
}

// [SECTION] ASCII85

void EncodeASCII85(TStream& source, TStream& target) {
  StreamBytes in(source);
  StreamSink out(target);
  uint8_t group[4];
  for (int c = 4; c == 4;) {
    c = 0;
    for (int b; c < 4 && (b = in.Get()) >= 0;) group[c++] = static_cast<uint8_t>(b);
    if (c == 4 && (group[0] | group[1] | group[2] | group[3]) == 0) out.Put('z');
    else if (c > 0) EncodeGroup(group, c, out);
  }
  out.Put('~'), out.Put('>');
  out.Flush();
}

int DecodeASCII85(TStream& source, TStream& target) {
  StreamBytes in(source);
  StreamSink out(target);
  int result = 0;
  for (bool end = false; !end;) {
    int ch = in.Get();
    while (ch == '\r' || ch == '\n') ch = in.Get();
    if (ch < 0) break;
    if (ch == 'z') {
      for (int i = 0; i < 4; ++i) out.Put(0);
      continue;
    }
    uint8_t digits[5] = {};
    int m = 0;
    if (const int error = CollectGroup(in, ch, digits, m, end)) result = error;
    if (DecodeGroup(digits, m, out) != 0) result = -3;
  }
  in.GiveBack();
  out.Flush();
  return result;
}

// [SECTION] SHA-1

TSHACode SHA1FromString(const String& text) {
  Sha1 sha;
  char chunk[4096];
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t n = StringToAnsiChunk(text, pos, chunk, sizeof chunk);
    // The next piece of the text is fetched from memory while this one is hashed.
    const std::size_t ahead = std::min(text.size() - pos, sizeof chunk);
    for (std::size_t i = 0; i < ahead; i += 32) __builtin_prefetch(text.data() + pos + i);
    sha.Update(reinterpret_cast<const uint8_t*>(chunk), n);
  }
  return sha.Final();
}

TSHACode SHA1FromStream(TStream& stream) {
  Sha1 sha;
  std::array<uint8_t, 1024> block{};
  for (;;) {
    const int64_t n = stream.Read(block.data(), int64_t(block.size()));
    if (n <= 0) break;
    sha.Update(block.data(), static_cast<size_t>(n));
  }
  if (stream.Position() < stream.Size()) throw EReadError("Stream read error");
  return sha.Final();
}

TSHACode SHA1FromFile(const String& name) {
  TFileStream file(name, fmOpenRead);
  return SHA1FromStream(file);
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
