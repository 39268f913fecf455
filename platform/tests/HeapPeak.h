#pragma once
// Heap accounting for the tests and the fuzz driver: how many bytes the process holds on the heap,
// the most it held at once, and a limit that stops a program the moment one allocation would pass it.
//
// How: linked into a program (target qelta_heap_peak), HeapPeak.cpp counts every block of the malloc
// family, which operator new and the C libraries use as well. In a plain build it replaces malloc,
// calloc, realloc, free and the aligned forms, forwarding to the C library's own; under AddressSanitizer,
// whose allocator must stay, it counts through the sanitizer's allocation hooks. A block counts with
// the size the allocator reports for it (plain build: the usable size, a few bytes above the request).
//
// Limits: one program, one thread. Under AddressSanitizer blocks taken before the program's static
// constructors ran are not counted, so the live count is meaningful only as a difference.

#include <cstddef>
#include <cstdint>

namespace qelta::test {

/// Heap bytes held now, as counted (see the header's opening).
int64_t HeapLive();
/// Starts a new peak at the bytes held now.
void HeapPeakReset();
/// The most heap bytes held at once since the last HeapPeakReset.
int64_t HeapPeakBytes();

/// Calls fn and answers the most heap bytes it held at once beyond those held when it started.
template <typename Fn>
int64_t HeapPeakOf(Fn&& fn) {
  const int64_t base = HeapLive();
  HeapPeakReset();
  fn();
  return HeapPeakBytes() - base;
}

/// The heap a reader may hold at once for an input of `bytes` bytes: 100 per byte plus 8 MiB, the bound the
/// fuzz driver keeps for every reader.
inline int64_t ReaderPeakBound(std::size_t bytes) { return 100 * static_cast<int64_t>(bytes) + (int64_t{8} << 20); }

/// From now on, an allocation that would take the heap more than `bytes` above what it holds now
/// calls onExceed(request) before it is made (under AddressSanitizer right after); onExceed is called
/// at most once and should end the program. A negative `bytes` lifts the limit.
void HeapLimit(int64_t bytes, void (*onExceed)(std::size_t request));

}  // namespace qelta::test
