// FileCopyFeedBk (8192-byte blocks with a feedback per block) beside the kernel's copy_file_range on the same
// 256 MiB file in the temporary folder, one copy each per iteration (bench/SideBySide.h), the page cache
// warm. Goal: a ratio within 2.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Qelta_filesys.h"
#include "SideBySide.h"

namespace {

constexpr int64_t kFileSize = int64_t{256} << 20;

std::string TempBase() {
  const char* base = std::getenv("TMPDIR");
  return std::string(base && *base ? base : "/tmp");
}

bool WriteSource(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::vector<char> block(1 << 20);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 31 + i / 977);
  bool ok = true;
  for (int64_t done = 0; ok && done < kFileSize; done += static_cast<int64_t>(block.size()))
    ok = ::write(fd, block.data(), block.size()) == static_cast<ssize_t>(block.size());
  return ::close(fd) == 0 && ok;
}

bool KernelCopy(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  bool ok = in >= 0 && out >= 0;
  for (int64_t left = kFileSize; ok && left > 0;) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
    ok = n > 0;
    left -= n;
  }
  if (in >= 0) ::close(in);
  if (out >= 0) ::close(out);
  return ok;
}

void BM_FileCopy256MiB(benchmark::State& state) {
  const std::string dir = TempBase() + "/qelta-bench-copy-" + std::to_string(::getpid());
  ::mkdir(dir.c_str(), 0700);
  const std::string src = dir + "/source", a = dir + "/qelta", b = dir + "/kernel";
  if (!WriteSource(src)) {
    state.SkipWithError("cannot write the source file");
    return;
  }
  int64_t feedbacks = 0;
  bool ok = KernelCopy(src, b);  // warms the page cache
  qelta::bench::RunSideBySide(
      state,
      [&] {
        ok = ok && qelta::FileCopyFeedBk(qelta::Utf8ToString(src), qelta::Utf8ToString(a), false,
                                         [&](int64_t, int64_t) { ++feedbacks; }) == 0;
      },
      [&] { ok = ok && KernelCopy(src, b); });
  for (const std::string& f : {src, a, b}) ::unlink(f.c_str());
  ::rmdir(dir.c_str());
  if (!ok) state.SkipWithError("a copy failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * kFileSize);
  state.counters["feedbacks"] = static_cast<double>(feedbacks) / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(BM_FileCopy256MiB)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
