// Checksum and digest speed beside the anchors: CRC-32 against zlib's crc32, SHA-1 against
// OpenSSL's SHA1, each over the same 256 MiB of random bytes. Figures are bytes per second, so
// ratios can be read off directly.

#include <benchmark/benchmark.h>
#include <openssl/sha.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "Qelta_dstruct.h"
#include "Streams.h"

namespace {

constexpr size_t kSize = size_t{256} << 20;

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

void SetBytes(benchmark::State& state) { state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSize)); }

void BM_Crc32_Qelta(benchmark::State& state) {
  const auto& data = Data();
  for (auto _ : state) benchmark::DoNotOptimize(qelta::CRC32ofBuffer(data, static_cast<int>(data.size())));
  SetBytes(state);
}

// The one-byte table step as fingerprint code drives it.
void BM_Crc32_QeltaByteSteps(benchmark::State& state) {
  const auto& data = Data();
  for (auto _ : state) {
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t b : data) crc = qelta::CalcNextCRC32(b, crc);
    benchmark::DoNotOptimize(crc);
  }
  SetBytes(state);
}

void BM_Crc32_Zlib(benchmark::State& state) {
  const auto& data = Data();
  for (auto _ : state) benchmark::DoNotOptimize(crc32(0L, data.data(), static_cast<uInt>(data.size())));
  SetBytes(state);
}

void BM_Crc16_Qelta(benchmark::State& state) {
  const auto& data = Data();
  for (auto _ : state) benchmark::DoNotOptimize(qelta::CRC16ofBuffer(data, static_cast<int>(data.size()), qelta::crcCCITT));
  SetBytes(state);
}

// Through a memory stream, as SHA1FromStream reads it (blocks of 1024 bytes).
void BM_Sha1_Qelta(benchmark::State& state) {
  const auto& data = Data();
  qelta::TMemoryStream stream;
  stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  for (auto _ : state) {
    stream.SetPosition(0);
    benchmark::DoNotOptimize(qelta::SHA1FromStream(stream));
  }
  SetBytes(state);
}

void BM_Sha1_OpenSSL(benchmark::State& state) {
  const auto& data = Data();
  unsigned char md[SHA_DIGEST_LENGTH];
  for (auto _ : state) {
    SHA1(data.data(), data.size(), md);
    benchmark::DoNotOptimize(md);
  }
  SetBytes(state);
}

}  // namespace

BENCHMARK(BM_Crc32_Qelta)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32_QeltaByteSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc32_Zlib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crc16_Qelta)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha1_Qelta)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sha1_OpenSSL)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
