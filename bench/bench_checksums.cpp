// Checksum and digest speed beside the anchors, side by side in one run: CRC32ofBuffer against
// zlib's crc32 and SHA1FromStream against OpenSSL's SHA1 over the same 64 MiB of random bytes,
// SHA1FromString of 64 Mi characters against OpenSSL's SHA1 of the same bytes, CRC16ofBuffer against
// a plain table-driven loop. CRC32 and SHA1 run with the processor's instructions (the default) and
// with the portable routines alone ("Portable"). The time shown is Qelta's; the counters hold the
// anchor's and the ratio Qelta / anchor (bench/SideBySide.h).

#include <benchmark/benchmark.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Encoding.h"
#include "Qelta_dstruct.h"
#include "Qelta_dstruct_digest_internal.h"
#include "SideBySide.h"
#include "Streams.h"

namespace {

using qelta::bench::RunSideBySide;

constexpr size_t kSize = size_t{64} << 20;

const std::vector<uint8_t>& Data() {
  static const std::vector<uint8_t> data = [] {
    std::vector<uint8_t> v(kSize);
    std::mt19937_64 gen(42);
    for (size_t i = 0; i < v.size(); i += 8) {
      const uint64_t r = gen();
      for (size_t k = 0; k < 8; ++k) v[i + k] = static_cast<uint8_t>(r >> (8 * k));
    }
    return v;
  }();
  return data;
}

// Runs fn with the digest routines limited to `level` (0 portable), restoring the level after.
template <typename Fn>
void AtLevel(int level, Fn fn) {
  const int saved = qelta::core_detail::DigestLevel();
  qelta::core_detail::SetDigestLevel(level);
  fn();
  qelta::core_detail::SetDigestLevel(saved);
}

void SetBytes(benchmark::State& state) { state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSize)); }

void Crc32(benchmark::State& state, int level) {
  const auto& data = Data();
  AtLevel(level, [&] {
    RunSideBySide(
        state, [&] { benchmark::DoNotOptimize(qelta::CRC32ofBuffer(data, static_cast<int>(data.size()))); },
        [&] { benchmark::DoNotOptimize(crc32(0L, data.data(), static_cast<uInt>(data.size()))); });
  });
  SetBytes(state);
}
void BM_CRC32ofBuffer_64MiB(benchmark::State& state) { Crc32(state, 1); }
void BM_CRC32ofBuffer_64MiB_Portable(benchmark::State& state) { Crc32(state, 0); }

// The one-byte table step as fingerprint code drove it before the block routine.
void BM_CalcNextCRC32_ByteSteps_64MiB(benchmark::State& state) {
  const auto& data = Data();
  RunSideBySide(
      state,
      [&] {
        uint32_t crc = 0xFFFFFFFFu;
        for (uint8_t b : data) crc = qelta::CalcNextCRC32(b, crc);
        benchmark::DoNotOptimize(crc);
      },
      [&] { benchmark::DoNotOptimize(crc32(0L, data.data(), static_cast<uInt>(data.size()))); });
  SetBytes(state);
}

// Beside the textbook table-driven loop of the same CRC (polynomial $1021, most significant bit first,
// from $FFFF), one table look-up per byte.
void BM_CRC16ofBuffer_64MiB(benchmark::State& state) {
  const auto& data = Data();
  uint16_t table[256];
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 8;
    for (int k = 0; k < 8; ++k) crc = crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1;
    table[i] = static_cast<uint16_t>(crc);
  }
  uint16_t ours = 0, plain = 0;
  RunSideBySide(
      state, [&] { ours = qelta::CRC16ofBuffer(data, static_cast<int>(data.size()), qelta::crcCCITT); },
      [&] {
        uint16_t crc = 0xFFFF;
        for (uint8_t b : data) crc = static_cast<uint16_t>((crc << 8) ^ table[(crc >> 8) ^ b]);
        plain = crc;
      });
  if (ours != plain) state.SkipWithError("the two CRCs differ");
  SetBytes(state);
}

void OpenSslSha1(const uint8_t* p, size_t n) {
  unsigned char md[SHA_DIGEST_LENGTH];
  SHA1(p, n, md);
  benchmark::DoNotOptimize(md);
}

// Through a memory stream, as SHA1FromStream reads it (blocks of 1024 bytes).
void Sha1Stream(benchmark::State& state, int level) {
  const auto& data = Data();
  qelta::TMemoryStream stream;
  stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  AtLevel(level, [&] {
    RunSideBySide(
        state,
        [&] {
          stream.SetPosition(0);
          benchmark::DoNotOptimize(qelta::SHA1FromStream(stream));
        },
        [&] { OpenSslSha1(data.data(), data.size()); });
  });
  SetBytes(state);
}
void BM_SHA1FromStream_64MiB(benchmark::State& state) { Sha1Stream(state, 1); }
void BM_SHA1FromStream_64MiB_Portable(benchmark::State& state) { Sha1Stream(state, 0); }

// A text of 64 Mi characters as West European text has them: letters, digits and blanks, every 16th
// an accented letter (its own byte in Windows-1252), every 1024th a euro sign (byte $80 through the
// table), beside OpenSSL over its Windows-1252 bytes.
void BM_SHA1FromString_64Mi(benchmark::State& state) {
  qelta::String text(kSize, u'a');
  std::mt19937 gen(7);
  const char16_t plain[] = {u'e', u'n', u'T', u' ', u'7', u'r', u's', u'.'}, accented[] = {0xE9, 0xFC, 0xC4, 0xDF};
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = i % 1024 == 1000 ? char16_t{0x20AC} : i % 16 == 5 ? accented[gen() % 4] : plain[gen() % 8];
  const qelta::AnsiString bytes = qelta::StringToAnsi(text);
  RunSideBySide(
      state, [&] { benchmark::DoNotOptimize(qelta::SHA1FromString(text)); },
      [&] { OpenSslSha1(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()); });
  SetBytes(state);
}

}  // namespace

BENCHMARK(BM_CRC32ofBuffer_64MiB)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CRC32ofBuffer_64MiB_Portable)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CalcNextCRC32_ByteSteps_64MiB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CRC16ofBuffer_64MiB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SHA1FromStream_64MiB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SHA1FromStream_64MiB_Portable)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SHA1FromString_64Mi)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
