#include "SysInfo.h"

// getpriority can answer -1 as a value: errno tells a failure apart. PRIO_PROCESS with a thread id
// addresses that one thread on Linux.

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qelta {

namespace {

id_t ThreadId() { return static_cast<id_t>(::syscall(SYS_gettid)); }

int NiceOf(id_t who) {
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, who);
  return errno != 0 ? 0 : nice;
}

bool SetNiceOf(id_t who, int nice) { return ::setpriority(PRIO_PROCESS, who, std::clamp(nice, -20, 19)) == 0; }

}  // namespace

int GetProcessorCount() {
  const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return n >= 1 ? static_cast<int>(std::min<long>(n, 1 << 20)) : 1;
}

int GetProcessPriority() { return NiceOf(static_cast<id_t>(::getpid())); }
bool SetProcessPriority(int nice) { return SetNiceOf(static_cast<id_t>(::getpid()), nice); }
int GetThreadPriority() { return NiceOf(ThreadId()); }
bool SetThreadPriority(int nice) { return SetNiceOf(ThreadId(), nice); }

}  // namespace qelta
