#pragma once
// Not part of the public interface: the block routines under the CRC-32 and SHA-1 of Qelta_dstruct,
// also used by the numerics' data fingerprints (they feed whole blocks of bytes, not one byte per call);
// exported for them, the tests and the benchmarks.
//
// Each routine has a portable form and one built on the processor's own instructions (carry-less
// multiplication for CRC-32, the SHA extensions for SHA-1). The processor is asked once per process;
// both forms give identical results, and the tests force each in turn to compare them.

#include <cstddef>
#include <cstdint>

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::core_detail {

/// The CRC-32 register after the n bytes at data, each taken as CalcNextCRC32 takes it (no start
/// value, no final complement).
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, std::size_t n);

/// The SHA-1 state (five words a..e) after n whole 64-byte blocks at data.
void Sha1Blocks(uint32_t (&state)[5], const uint8_t* data, std::size_t n);

/// Instructions in use: 0 portable, 1 the processor's CRC and SHA instructions where it has them.
int DigestLevel();
/// Uses at most `level` (clamped to what the processor offers; tests compare the paths); answers
/// the level now in use.
int SetDigestLevel(int level);

}  // namespace qelta::core_detail

QELTA_PUBLIC_END
