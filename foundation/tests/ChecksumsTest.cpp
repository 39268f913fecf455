// Checksums, digests and combinatorial steps of Qelta_dstruct.
// Reference values: the CRC catalogue check values over "123456789" (Williams / Cook catalogue),
// FIPS 180-2 appendix A for SHA-1, zlib's crc32 for random buffers.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Encoding.h"
#include "FileTestKit.h"
#include "Qelta_dstruct.h"
#include "Qelta_dstruct_digest_internal.h"
#include "Streams.h"
#include "TextFiles.h"

using namespace qelta;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(gen());
  return v;
}

std::string Text(TMemoryStream& m) {
  return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

// A memory stream holding the bytes of s, positioned at the start.
std::unique_ptr<TMemoryStream> StreamOf(const std::string& s) {
  auto m = std::make_unique<TMemoryStream>();
  m->WriteBuffer(s.data(), static_cast<int64_t>(s.size()));
  m->SetPosition(0);
  return m;
}

std::string Encode(const std::string& bytes) {
  auto source = StreamOf(bytes);
  TMemoryStream target;
  EncodeASCII85(*source, target);
  return Text(target);
}

// The OS layer of the tests, also noting the runtime's FileMode at each open.
struct ModeNotingOs : test::FaultyOs {
  int ModeAtOpen = -1;
  int Open(const std::string& path, int flags, int mode) override {
    ModeAtOpen = FileMode;
    return FaultyOs::Open(path, flags, mode);
  }
};

// The digest text as UTF-8, readable in failure messages.
std::string Hex(const TSHACode& d) { return StringToUtf8(SHA1DigestToHex(d)); }

// The plain byte-at-a-time CRC-32, the reference for the buffer routine.
uint32_t Crc32ByteSteps(const std::vector<uint8_t>& data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t b : data) crc = CalcNextCRC32(b, crc);
  return ~crc;
}

}  // namespace

// ---- CRC-16 and CRC-32 --------------------------------------------------------------------

TEST(Crc, MatchesCatalogueAndKnownValues) {
  struct Case {
    const char* text;
    uint32_t crc32;
    uint16_t xmodem, ccitt;
  };
  const Case cases[] = {
      {"123456789", 0xCBF43926u, 0x31C3, 0x29B1},
      {"abc", 0x352441C2u, 0x9DD6, 0x514A},
      {"", 0x00000000u, 0x0000, 0xFFFF},
  };
  for (const Case& c : cases) {
    const auto data = Bytes(c.text);
    const int n = static_cast<int>(data.size());
    EXPECT_EQ(CRC32ofBuffer(data, n), c.crc32) << c.text;
    EXPECT_EQ(CRC16ofBuffer(data, n, crcZModem), c.xmodem) << c.text;
    EXPECT_EQ(CRC16ofBuffer(data, n, crcCCITT), c.ccitt) << c.text;
  }
}

TEST(Crc, CountSelectsLeadingBytes) {
  const auto data = Bytes("abcXYZ");
  EXPECT_EQ(CRC32ofBuffer(data, 3), 0x352441C2u);
  EXPECT_EQ(CRC16ofBuffer(data, 3, crcZModem), 0x9DD6);
}

// A count beyond the buffer read past its end, and a negative one was taken as huge.
// Both are clamped now: beyond the end means the whole buffer, negative means nothing.
TEST(Crc, ClampsCountToBuffer) {
  const auto data = Bytes("abc");
  const int counts[] = {4, 1000, std::numeric_limits<int>::max()};
  for (int count : counts) {
    EXPECT_EQ(CRC32ofBuffer(data, count), 0x352441C2u) << count;
    EXPECT_EQ(CRC16ofBuffer(data, count, crcCCITT), 0x514A) << count;
  }
  for (int count : {-1, std::numeric_limits<int>::min()}) {
    EXPECT_EQ(CRC32ofBuffer(data, count), 0u) << count;
    EXPECT_EQ(CRC16ofBuffer(data, count, crcCCITT), 0xFFFF) << count;
  }
}

TEST(Crc, StepsKeepTheRegisterBitPatternInASignedInteger) {
  // Fingerprint code may hold the register as a 32-bit Integer: same bits either way.
  int32_t reg = -1;
  for (uint8_t b : Bytes("123456789")) reg = static_cast<int32_t>(CalcNextCRC32(b, static_cast<uint32_t>(reg)));
  EXPECT_EQ(~static_cast<uint32_t>(reg), 0xCBF43926u);
}

TEST(Crc, BufferRoutineEqualsByteStepsAndZlib) {
  for (size_t n = 0; n < 200; n += (n < 40 ? 1 : 13)) {
    const auto data = RandomBytes(n, static_cast<uint32_t>(n) + 1);
    const uint32_t crc = CRC32ofBuffer(data, static_cast<int>(n));
    EXPECT_EQ(crc, Crc32ByteSteps(data)) << n;
    EXPECT_EQ(crc, crc32(0L, data.data(), static_cast<uInt>(n))) << n;
  }
  const auto big = RandomBytes(1 << 20, 7);
  EXPECT_EQ(CRC32ofBuffer(big, static_cast<int>(big.size())), crc32(0L, big.data(), static_cast<uInt>(big.size())));
}

// Runs fn once per instruction level (portable first), restoring the level in use.
template <typename Fn>
void ForEachDigestLevel(Fn fn) {
  const int saved = core_detail::DigestLevel();
  for (int level = 0; level <= 1; ++level) {
    core_detail::SetDigestLevel(level);
    fn(level);
  }
  core_detail::SetDigestLevel(saved);
}

TEST(DigestKernels, AcceleratedCrcEqualsPortableOnRandomData) {
  // Every length 0..4096 from unaligned starts and random registers: the folding path against the
  // table path, and the table path against the byte steps.
  const auto data = RandomBytes(4096 + 64, 21);
  std::mt19937 gen(5);
  for (size_t n = 0; n <= 4096; ++n) {
    const size_t start = gen() % 61;
    const uint32_t reg = static_cast<uint32_t>(gen());
    uint32_t crc[2];
    ForEachDigestLevel([&](int level) { crc[level] = core_detail::Crc32Update(reg, data.data() + start, n); });
    ASSERT_EQ(crc[1], crc[0]) << "length " << n << " start " << start;
    if (n % 97 == 0) {
      uint32_t steps = reg;
      for (size_t i = 0; i < n; ++i) steps = CalcNextCRC32(data[start + i], steps);
      ASSERT_EQ(crc[0], steps) << n;
    }
  }
}

TEST(DigestKernels, AcceleratedSha1EqualsPortableOnRandomData) {
  const auto data = RandomBytes(4096 + 64, 22);
  std::mt19937 gen(6);
  for (size_t blocks = 0; blocks <= 64; ++blocks) {
    for (size_t start : {size_t{0}, size_t{1 + gen() % 63}}) {
      uint32_t state[2][5];
      ForEachDigestLevel([&](int level) {
        for (uint32_t& w : state[level]) w = 0x9E3779B9u * static_cast<uint32_t>(blocks + start + (&w - state[level]));
        core_detail::Sha1Blocks(state[level], data.data() + start, blocks);
      });
      for (int k = 0; k < 5; ++k) ASSERT_EQ(state[1][k], state[0][k]) << blocks << " blocks from " << start;
    }
  }
}

TEST(DigestKernels, BothLevelsMeetTheReferenceValues) {
  const auto big = RandomBytes((1 << 16) + 13, 23);
  ForEachDigestLevel([&](int level) {
    EXPECT_EQ(CRC32ofBuffer(big, static_cast<int>(big.size())), crc32(0L, big.data(), static_cast<uInt>(big.size())))
        << level;
    EXPECT_EQ(Hex(SHA1FromString(String(1000000, u'a'))), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F") << level;
  });
}

TEST(CalcCRC32ofFile, ChecksumsWholeFilesAcrossBlocks) {
  test::TempDir dir;
  const auto big = RandomBytes(3 * 4096 + 17, 3);
  dir.Put("check", "123456789");
  dir.Put("big", std::string(big.begin(), big.end()));
  dir.Put("empty", "");
  EXPECT_EQ(CalcCRC32ofFile(dir / "check"), 0xCBF43926u);
  EXPECT_EQ(CalcCRC32ofFile(dir / "big"), CRC32ofBuffer(big, static_cast<int>(big.size())));
  EXPECT_EQ(CalcCRC32ofFile(dir / "empty"), 0u);
}

TEST(CalcCRC32ofFile, FailuresGiveZeroAndRestoreFileMode) {
  test::TempDir dir;
  dir.Put("check", "123456789");
  ModeNotingOs os;
  FileMode = 2;
  EXPECT_EQ(CalcCRC32ofFile(dir / "missing"), 0u);
  EXPECT_EQ(CalcCRC32ofFile(dir / ""), 0u);  // a directory
  EXPECT_EQ(os.ModeAtOpen, 0);               // opened read-only
  os.ReadErrno = EIO;
  EXPECT_EQ(CalcCRC32ofFile(dir / "check"), 0u);
  os.ReadErrno = 0, os.OpenErrno = EACCES;
  EXPECT_EQ(CalcCRC32ofFile(dir / "check"), 0u);
  os.OpenErrno = 0, os.ReadChunk = 3;        // short reads are no failure
  EXPECT_EQ(CalcCRC32ofFile(dir / "check"), 0xCBF43926u);
  EXPECT_EQ(FileMode, 2);
}

// ---- ASCII85 ------------------------------------------------------------------------------

TEST(ASCII85, EncodesGroupsAndTheShortFinalGroup) {
  struct Case {
    std::string bytes, text;
  };
  const Case cases[] = {
      {"", "~>"},
      {std::string(4, '\0'), "z~>"},
      {std::string(5, '\0'), "z!!~>"},
      {std::string(3, '\0'), "!!!!~>"},  // only a full group of zeros is a "z"
      {"A", "!b~>"},
      {"Man ", "9jqo^~>"},
      {"Ma", "#`%~>"},                    // c bytes as c + 1 digits, no padding
      {"Man", ")6m>~>"},
      {"\xFF\xFF\xFF\xFF", "s8W-!~>"},
      {"Man Man ", "9jqo^9jqo^~>"},
  };
  for (const Case& c : cases) EXPECT_EQ(Encode(c.bytes), c.text) << c.text;
}

TEST(ASCII85, EncodesFromTheCurrentPosition) {
  auto source = StreamOf("xyMan ");
  source->SetPosition(2);
  TMemoryStream target;
  EncodeASCII85(*source, target);
  EXPECT_EQ(Text(target), "9jqo^~>");
}

TEST(ASCII85, DecodesWithResultCodes) {
  struct Case {
    std::string text, bytes;
    int result;
  };
  const Case cases[] = {
      {"~>", "", 0},
      {"", "", 0},
      {"z~>", std::string(4, '\0'), 0},
      {"\r\nz\r\n~>", std::string(4, '\0'), 0},
      {"!b~>", "A", 0},
      {"9jqo^~>", "Man ", 0},
      {"9jq\r\no^#`%~>", "Man Ma", 0},   // line breaks inside a group are skipped
      {"9jqo^", "Man ", 0},                // the end of the source ends decoding
      {"#`%~", "Ma", 0},
      {"s8W-!~>", "\xFF\xFF\xFF\xFF", 0},
      {"9j qo^~>", "Man ", -1},            // a foreign character is skipped
      {"9jvqo^~>", "Man ", -1},
      {"9jzqo^~>", "Man ", -2},            // a "z" inside a group is skipped
      {"9jz qo^~>", "Man ", -1},           // the last error counts
  };
  for (const Case& c : cases) {
    auto source = StreamOf(c.text);
    TMemoryStream target;
    EXPECT_EQ(DecodeASCII85(*source, target), c.result) << c.text;
    EXPECT_EQ(Text(target), c.bytes) << c.text;
  }
}

// A group whose number exceeds its bytes ("s8W-\"" is 2^32) was written with its top bits cut
// off, reporting success. It is refused now with -3 and not written; decoding goes on.
TEST(ASCII85, RefusesGroupsThatOverflowTheirBytes) {
  struct Case {
    std::string text, bytes;
  };
  const Case cases[] = {
      {"s8W-\"~>", ""},
      {"uuuuu9jqo^~>", "Man "},
      {"$\"~>", ""},        // 256 in two digits: more than one byte
      {"9jqo^9jr~>", "Man "},
  };
  for (const Case& c : cases) {
    auto source = StreamOf(c.text);
    TMemoryStream target;
    EXPECT_EQ(DecodeASCII85(*source, target), -3) << c.text;
    EXPECT_EQ(Text(target), c.bytes) << c.text;
  }
}

TEST(ASCII85, LeavesTheSourceAfterTheEndMark) {
  struct Case {
    std::string text;
    int64_t position;
  };
  const Case cases[] = {{"9jqo^~>rest", 7}, {"~>rest", 2}, {"!b~xrest", 3}, {"!b~", 3}};
  for (const Case& c : cases) {
    auto source = StreamOf(c.text);
    TMemoryStream target;
    DecodeASCII85(*source, target);
    EXPECT_EQ(source->Position(), c.position) << c.text;
  }
}

TEST(ASCII85, RoundTripsEveryShortLength) {
  for (size_t n = 0; n <= 40; ++n) {
    auto bytes = RandomBytes(n, static_cast<uint32_t>(100 + n));
    if (n >= 8) std::fill(bytes.begin() + 4, bytes.begin() + 8, 0);  // one "z" group
    const std::string original(bytes.begin(), bytes.end());
    const std::string text = Encode(original);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "~>");
    auto source = StreamOf(text);
    TMemoryStream target;
    EXPECT_EQ(DecodeASCII85(*source, target), 0) << n;
    EXPECT_EQ(Text(target), original) << n;
  }
}

// A failing read ended the source early and the partial data passed as the whole.
TEST(ASCII85, ReadFailureOfTheSourceRaises) {
  test::TempDir dir;
  dir.Put("data", "Man Man ");
  TFileStream source(dir / "data", fmOpenRead);
  TMemoryStream target;
  test::FaultyOs os;
  os.ReadErrno = EIO;
  EXPECT_THROW(EncodeASCII85(source, target), EReadError);
}

// ---- SHA-1 --------------------------------------------------------------------------------

TEST(Sha1, MatchesFipsVectors) {
  struct Case {
    const char* text;
    const char* hex;
  };
  const Case cases[] = {
      {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
      {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
       "A49B2446A02C645BF419F995B67091253A04A259"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(SHA1FromString(Utf8ToString(c.text))), c.hex) << c.text;
}

TEST(Sha1, PadsAroundTheBlockBoundary) {
  // Runs of 'a' whose padding fits or just misses the last block (values from Python's hashlib).
  struct Case {
    size_t length;
    const char* hex;
  };
  const Case cases[] = {
      {55, "C1C8BBDC22796E28C0E15163D20899B65621D65A"}, {56, "C2DB330F6083854C99D4B5BFB6E8F29F201BE699"},
      {63, "03F09F5B158A7A8CDAD920BDDC29B81C18A551F5"}, {64, "0098BA824B5C16427BD7A1122A5A442A25EC644D"},
      {65, "11655326C708D70319BE2610E8A57D9A5B959D3B"},
  };
  for (const Case& c : cases) EXPECT_EQ(Hex(SHA1FromString(String(c.length, u'a'))), c.hex) << c.length;
}

// The text digest covered only the first half of the 16-bit character storage, so "abc" was
// hashed as the two bytes 'a', 0. It hashes one Windows-1252 byte per character now.
TEST(Sha1, StringDigestHashesOneBytePerCharacter) {
  EXPECT_EQ(Hex(SHA1FromString(u"abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  // U+20AC is byte $80 in Windows-1252, U+00E9 byte $E9, U+4E00 has no byte and becomes '?'.
  EXPECT_EQ(SHA1FromString(Utf8ToString("\u20AC\u00E9\u4E00")), SHA1FromString(AnsiToString("\x80\xE9?")));
  EXPECT_NE(SHA1FromString(Utf8ToString("\u00E9")), SHA1FromString(u"e"));
}

TEST(Sha1, StringDigestEqualsTheDigestOfItsTextStream) {
  for (const char* text : {"abc", "", "Gr\u00FC\u00DFe \u20AC 5", "\u4E00?"}) {
    TStringStream stream(Utf8ToString(text));
    EXPECT_EQ(SHA1FromString(Utf8ToString(text)), SHA1FromStream(stream)) << text;
  }
}

TEST(Sha1, LongStringDigestEqualsTheDigestOfItsAnsiImage) {
  // Converted piece by piece: texts longer than a piece, with characters of every kind at the cuts.
  std::mt19937 gen(8);
  const Char pool[] = {u'x', 0xE9, 0x20AC, 0x4E2D, 0xD83D, 0xDE00};
  String text;
  for (int i = 0; i < 20000; ++i) text += pool[gen() % 6];
  TStringStream stream(text);
  EXPECT_EQ(SHA1FromString(text), SHA1FromStream(stream));
}

TEST(Sha1, StreamDigestRunsFromThePositionToTheEnd) {
  auto stream = StreamOf("xxabc");
  stream->SetPosition(2);
  EXPECT_EQ(Hex(SHA1FromStream(*stream)), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_EQ(stream->Position(), 5);
  TMemoryStream million;
  million.SetSize(1000000);
  std::memset(million.Memory(), 'a', 1000000);
  EXPECT_EQ(Hex(SHA1FromStream(million)), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
}

TEST(Sha1, FileDigest) {
  test::TempDir dir;
  dir.Put("abc", "abc");
  EXPECT_EQ(Hex(SHA1FromFile(dir / "abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
  EXPECT_THROW(SHA1FromFile(dir / "missing"), EFOpenError);
}

// A failing read ended the stream early and the digest of the part read passed for the file's.
TEST(Sha1, ReadFailureRaisesInsteadOfDigestingPartOfTheFile) {
  test::TempDir dir;
  dir.Put("abc", "abc");
  TFileStream file(dir / "abc", fmOpenRead);
  test::FaultyOs os;
  os.ReadErrno = EIO;
  EXPECT_THROW(SHA1FromStream(file), EReadError);
}

TEST(Sha1, DigestHexIsUpperCaseHighNibbleFirst) {
  TSHACode d{};
  d[0] = 0x0F, d[1] = 0xA0, d[19] = 0xFF;
  EXPECT_EQ(Hex(d), "0FA0" + std::string(34, '0') + "FF");
}

// ---- Combinations and permutations --------------------------------------------------------

TEST(NextCombination, VisitsAllThreeOfFiveInLexicographicOrder) {
  const std::vector<std::vector<uint8_t>> expected = {{1, 2, 3}, {1, 2, 4}, {1, 2, 5}, {1, 3, 4}, {1, 3, 5},
                                                      {1, 4, 5}, {2, 3, 4}, {2, 3, 5}, {2, 4, 5}, {3, 4, 5}};
  TCombination comb{3, 1, 2, 3};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(TCombination(comb.begin() + 1, comb.end()), expected[i]) << i;
    EXPECT_EQ(NextCombination(comb, 5), i + 1 < expected.size()) << i;
  }
  EXPECT_EQ(comb, (TCombination{3, 3, 4, 5}));
}

TEST(NextCombination, EdgeCasesLeaveTheArrayAlone) {
  struct Case {
    TCombination comb;
    int n;
    bool result;
    TCombination after;
  };
  const Case cases[] = {
      {{2, 3, 4}, 4, false, {2, 3, 4}},           // last one
      {{2, 1, 4}, 4, true, {2, 2, 3}},            // carry resets the tail
      {{0}, 4, false, {0}},                       // k = 0: nothing to step
      {{3, 1, 2, 3}, 2, false, {3, 1, 2, 3}},     // k > n
      {{3, 1, 2}, 5, false, {3, 1, 2}},           // fewer than k numbers
      {{}, 5, false, {}},                         // no k at all
      {{1, 255}, 300, false, {1, 255}},           // numbers beyond a byte
      {{1, 254}, 255, true, {1, 255}},            // the largest byte value is reachable
  };
  for (const Case& c : cases) {
    TCombination comb = c.comb;
    EXPECT_EQ(NextCombination(comb, c.n), c.result) << c.n;
    EXPECT_EQ(comb, c.after) << c.n;
  }
}

TEST(NextPermutation, VisitsThreeInLevelOrder) {
  const std::vector<std::vector<uint8_t>> expected = {{1, 2, 3}, {2, 1, 3}, {2, 3, 1},
                                                      {1, 3, 2}, {3, 1, 2}, {3, 2, 1}};
  TCombination perm{3, 1, 2, 3};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(TCombination(perm.begin() + 1, perm.end()), expected[i]) << i;
    EXPECT_EQ(NextPermutation(perm), i + 1 < expected.size()) << i;
  }
  EXPECT_EQ(perm, (TCombination{3, 3, 2, 1}));
}

TEST(NextPermutation, VisitsEveryPermutationOnce) {
  const int factorial[] = {1, 1, 2, 6, 24, 120, 720};
  for (int n = 1; n <= 6; ++n) {
    TCombination perm{static_cast<uint8_t>(n)};
    for (int i = 1; i <= n; ++i) perm.push_back(static_cast<uint8_t>(i));
    std::set<TCombination> seen{perm};
    while (NextPermutation(perm)) seen.insert(perm);
    EXPECT_EQ(static_cast<int>(seen.size()), factorial[n]) << n;
  }
}

TEST(NextPermutation, RefusesWhatIsNoPermutation) {
  const TCombination cases[] = {{}, {0}, {1, 1}, {3, 1, 1, 2}, {3, 1, 2}, {3, 0, 1, 2}, {2, 1, 3}};
  for (const TCombination& c : cases) {
    TCombination perm = c;
    EXPECT_FALSE(NextPermutation(perm));
    EXPECT_EQ(perm, c);
  }
}

// ---- Nearest value ------------------------------------------------------------------------

TEST(IndexOfNearestArrayValue, DoubleCases) {
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double x;
    std::vector<double> values;
    int index;
  };
  const std::vector<Case> cases = {
      {2.5, {1, 2, 3}, 1},               // tie: the first of two equal distances
      {2.6, {1, 2, 3}, 2},
      {-7, {3, -5, 10, -9}, 1},          // tie between -5 and -9: the first
      {1, {}, -1},                       // empty
      {nan, {1, 2}, -1},                 // no difference is a number
      {0, {nan, inf, 4}, 2},             // NaN and infinite values never win
      {-1.7e308, {1.7e308}, -1},         // distance beyond the no-value mark
      {1e308, {-1e308, 1.7e308}, 1},   // the first distance is beyond the mark
  };
  for (const Case& c : cases) EXPECT_EQ(IndexOfNearestArrayValue(c.x, c.values), c.index) << c.x;
}

TEST(IndexOfNearestArrayValue, IntegerCases) {
  const int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  struct Case {
    int32_t x;
    std::vector<int32_t> values;
    int index;
  };
  const std::vector<Case> cases = {
      {2, {1, 3, 2}, 2},
      {2, {1, 3}, 0},     // tie: the first
      {5, {}, -1},
      {lo, {hi, 0}, 1},   // distances beyond 32 bits
      {hi, {lo, hi}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(IndexOfNearestArrayValue(c.x, c.values), c.index) << c.x;
}
