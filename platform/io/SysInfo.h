#pragma once
// The machine and the running process: the number of processors and the scheduling priority of the
// process and of the calling thread.
// Priorities are nice values, -20 (most favoured) .. 19 (least). On Linux every thread has its own nice
// value: the process's priority is that of its main thread, the thread's that of the calling thread (the
// same value when the main thread asks). Raising a nice value is always allowed; lowering it needs the
// privilege or the resource limit (RLIMIT_NICE) that allows it, else the call answers false and changes
// nothing.
// Does not implement: real-time scheduling classes (never offered: a busy wait there can starve the
// machine), processor affinity, per-processor information.

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Number of processors online (at least 1).
int GetProcessorCount();

/// Nice value of the process (its main thread).
int GetProcessPriority();
/// Sets the nice value of the process (its main thread), clamped to -20..19; false when refused.
bool SetProcessPriority(int nice);
/// Nice value of the calling thread.
int GetThreadPriority();
/// Sets the nice value of the calling thread, clamped to -20..19; false when refused.
bool SetThreadPriority(int nice);

}  // namespace qelta

QELTA_PUBLIC_END
