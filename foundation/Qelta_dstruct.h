#pragma once
// Unit Qelta_dstruct: data structures and checksums of the foundation.
//
// The unit holds free routines and small containers that the numerics and the file helpers
// build on. Each topic has its own section below and its own source file
// (Qelta_dstruct_<topic>.cpp).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "Types.h"

namespace qelta {

class TStream;

// ============================================================================================
// [SECTION] Checksums, digests and combinatorial steps        (Qelta_dstruct_checksums.cpp)
// ============================================================================================
//
// CRC-16 (polynomial $1021, MSB first, no reflection, no final xor; XMODEM or CCITT-FALSE start),
// CRC-32 (reflected $EDB88320, start $FFFFFFFF, final complement: CRC-32/ISO-HDLC), SHA-1
// (FIPS 180-4), an ASCII85 coder between streams, stepping through combinations and
// permutations, and a nearest-value search. CRC tables are built at compile time; buffers run
// eight bytes per step. SHA-1 is for fingerprints, not for security.
//
// Types: CRC-32 registers are uint32_t throughout (the wrap-around arithmetic must be unsigned);
// a caller holding the register in an int32_t gets the same bit pattern back. Byte buffers
// are std::vector<uint8_t>; a count beyond the buffer is clamped to its size, a negative one is 0.
// The data fingerprints of the numerics depend on CalcNextCRC32 bit for bit: never change it.
//
// ASCII85 here is the system's own variant: a short final group of c bytes is written as c + 1
// digits of the c-byte number (not zero-padded as elsewhere), no line breaks, end mark "~>".
// Files written by other ASCII85 coders differ in the final group only.
//
// Failures: the stream routines let the platform's stream errors pass (EReadError when a source
// ends short of its size, EWriteError when a target refuses bytes, EFOpenError for a file that
// cannot be opened); CalcCRC32ofFile answers 0 instead; DecodeASCII85 reports bad text by code.

/// Start value of CRC16ofBuffer: crcZModem starts from 0 (CRC-16/XMODEM), crcCCITT from $FFFF
/// (CRC-16/CCITT-FALSE).
enum TCRC16Mode : uint8_t { crcZModem, crcCCITT };

/// SHA-1 digest: the five state words, each big-endian.
using TSHACode = std::array<uint8_t, 20>;

/// Combination: element 0 holds k, elements 1..k rising numbers out of 1..n. A permutation uses
/// the same type: element 0 holds n, elements 1..n a permutation of 1..n.
using TCombination = std::vector<uint8_t>;

/// One CRC-16 step: table[(crc shr 8) xor b] xor (crc shl 8), kept to 16 bits.
uint16_t CalcNextCRC16(uint8_t b, uint16_t crc);
/// CRC-16 of the first `count` bytes of `data`, started by `mode`.
uint16_t CRC16ofBuffer(const std::vector<uint8_t>& data, int count, TCRC16Mode mode);

/// One CRC-32 step: table[(crc xor b) and $FF] xor (crc shr 8). No start value, no complement.
uint32_t CalcNextCRC32(uint8_t b, uint32_t crc);
/// CRC-32 of the first `count` bytes of `data` (start $FFFFFFFF, result complemented).
uint32_t CRC32ofBuffer(const std::vector<uint8_t>& data, int count);
/// CRC-32 of a whole file, read in blocks of 4096 bytes; 0 when it cannot be opened or read.
uint32_t CalcCRC32ofFile(const String& name);

/// Writes `source` from its position to its end into `target` as ASCII85 text ending in "~>"
/// (a full group of four zero bytes as "z").
void EncodeASCII85(TStream& source, TStream& target);
/// Decodes ASCII85 text from `source` into `target` up to "~>" (consumed) or the end of the
/// source; CR and LF are skipped. Returns 0, or the last error met: -1 a character outside
/// "!".."u" (skipped), -2 a "z" inside a group (skipped), -3 a group whose number does not fit
/// its bytes (group not written). Decoding goes on after an error.
int DecodeASCII85(TStream& source, TStream& target);

/// SHA-1 of the text's Windows-1252 image, one byte per character (as a text stream holds it).
TSHACode SHA1FromString(const String& text);
/// SHA-1 of `stream` from its position to its end; leaves the position at the end.
TSHACode SHA1FromStream(TStream& stream);
/// SHA-1 of a whole file; EFOpenError when it cannot be opened, EReadError when a read fails.
TSHACode SHA1FromFile(const String& name);
/// The digest as 40 upper-case hexadecimal digits, bytes in order, high nibble first.
String SHA1DigestToHex(const TSHACode& digest);

/// Steps `comb` to the next k-combination of 1..n in lexicographic order; false (and `comb`
/// unchanged) after the last one, or when k > n, n > 255 or `comb` holds fewer than k numbers.
bool NextCombination(TCombination& comb, int n);
/// Steps `perm` to the next permutation of 1..n (level order: 123, 213, 231, 132, 312, 321);
/// false (and `perm` unchanged) after the last one or when `perm` is not a permutation.
bool NextPermutation(TCombination& perm);

/// 0-based index of the value nearest to x (first one on ties); -1 for an empty array or when
/// no difference is below uc_MaxDouble (x or all values NaN or too far).
int IndexOfNearestArrayValue(double x, std::span<const double> values);
/// 0-based index of the value nearest to x (first one on ties); -1 for an empty array.
int IndexOfNearestArrayValue(int32_t x, std::span<const int32_t> values);

// ----------------------------------------- end of section: checksums, digests and combinatorial steps

}  // namespace qelta
