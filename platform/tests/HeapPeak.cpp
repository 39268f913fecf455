// Heap accounting (HeapPeak.h). Two ways to see every block, one set of counters:
// - plain build: this file defines the malloc family, which the C library lets a program replace
//   (its own versions stay reachable as __libc_malloc and friends); the C library and libstdc++ call
//   the program's malloc, so their blocks count too;
// - AddressSanitizer: replacing malloc would take the blocks out of the sanitizer's sight, so the
//   sanitizer's allocation hooks report each block instead.
#include "HeapPeak.h"

#include <malloc.h>

#include <atomic>
#include <cerrno>

#if defined(__SANITIZE_ADDRESS__)
#define QELTA_HEAP_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QELTA_HEAP_HOOKS 1
#endif
#endif

namespace {

std::atomic<int64_t> gLive{0};
std::atomic<int64_t> gPeak{0};
int64_t gLimitBase = 0;
int64_t gLimit = -1;  // negative: none
void (*gOnExceed)(std::size_t) = nullptr;

void Count(int64_t delta) {
  const int64_t now = gLive.fetch_add(delta, std::memory_order_relaxed) + delta;
  int64_t peak = gPeak.load(std::memory_order_relaxed);
  while (now > peak && !gPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
}

// Calls the limit's handler once when `extra` more bytes would pass the limit.
void Check(int64_t extra, std::size_t request) {
  if (gLimit < 0 || gOnExceed == nullptr) return;
  if (gLive.load(std::memory_order_relaxed) + extra - gLimitBase <= gLimit) return;
  auto* handler = gOnExceed;
  gOnExceed = nullptr;  // the handler itself may allocate
  handler(request);
}

}  // namespace

namespace qelta::test {

int64_t HeapLive() { return gLive.load(std::memory_order_relaxed); }

void HeapPeakReset() { gPeak.store(gLive.load(std::memory_order_relaxed), std::memory_order_relaxed); }

int64_t HeapPeakBytes() { return gPeak.load(std::memory_order_relaxed); }

void HeapLimit(int64_t bytes, void (*onExceed)(std::size_t)) {
  gLimitBase = HeapLive();
  gLimit = bytes;
  gOnExceed = bytes < 0 ? nullptr : onExceed;
}

}  // namespace qelta::test

#ifdef QELTA_HEAP_HOOKS

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                          void (*)(const volatile void*));
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void*);

namespace {

void OnMalloc(const volatile void*, std::size_t n) {
  Count(static_cast<int64_t>(n));
  Check(0, n);
}

void OnFree(const volatile void* p) { Count(-static_cast<int64_t>(__sanitizer_get_allocated_size(p))); }

[[maybe_unused]] const int gHooks = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);

}  // namespace

#else

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
void* __libc_memalign(std::size_t, std::size_t);
void* __libc_valloc(std::size_t);
void* __libc_pvalloc(std::size_t);
}

namespace {

int64_t Usable(void* p) { return p ? static_cast<int64_t>(malloc_usable_size(p)) : 0; }

void* Took(void* p) {
  Count(Usable(p));
  return p;
}

}  // namespace

extern "C" {

void* malloc(std::size_t n) noexcept {
  Check(static_cast<int64_t>(n), n);
  return Took(__libc_malloc(n));
}

void free(void* p) noexcept {
  Count(-Usable(p));
  __libc_free(p);
}

void* calloc(std::size_t count, std::size_t size) noexcept {
  std::size_t n = 0;
  if (__builtin_mul_overflow(count, size, &n)) {
    errno = ENOMEM;
    return nullptr;
  }
  Check(static_cast<int64_t>(n), n);
  return Took(__libc_calloc(count, size));
}

void* realloc(void* p, std::size_t n) noexcept {
  const int64_t old = Usable(p);
  if (static_cast<int64_t>(n) > old) Check(static_cast<int64_t>(n) - old, n);
  void* q = __libc_realloc(p, n);
  if (q != nullptr || n == 0) Count(Usable(q) - old);  // realloc(p, 0) frees p
  return q;
}

void* memalign(std::size_t alignment, std::size_t n) noexcept {
  Check(static_cast<int64_t>(n), n);
  return Took(__libc_memalign(alignment, n));
}

void* aligned_alloc(std::size_t alignment, std::size_t n) noexcept { return memalign(alignment, n); }

int posix_memalign(void** out, std::size_t alignment, std::size_t n) noexcept {
  if (alignment == 0 || alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
  void* p = memalign(alignment, n);
  if (p == nullptr) return ENOMEM;
  *out = p;
  return 0;
}

void* valloc(std::size_t n) noexcept {
  Check(static_cast<int64_t>(n), n);
  return Took(__libc_valloc(n));
}

void* pvalloc(std::size_t n) noexcept {
  Check(static_cast<int64_t>(n), n);
  return Took(__libc_pvalloc(n));
}

}  // extern "C"

#endif
