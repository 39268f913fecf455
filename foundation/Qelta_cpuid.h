#pragma once
// Qelta_cpuid: what the x86 processor says about itself (CPUID), the number of processors, the clock rate
// measured with the time-stamp counter, and the test for the historic floating-point division fault.
//
// How: every reader goes through one replaceable probe (TCpuProbe) that tells whether CPUID exists, executes
// it, reads the time-stamp counter and a millisecond clock; tests install a probe that feeds registers and
// clocks. A text made from a register takes its four bytes as characters, least significant first.
// Limits: on a build for another processor family the default probe has no CPUID (CPU_IDSupport is false,
// the register readers raise) and its counter reads 0. CPU_Speed busy-waits for the interval asked; for
// that time it lowers the nice value of the process and the thread as far as it is allowed (never a
// real-time class, which could starve the machine) and always restores them. Diagnostics only.

#include <array>
#include <cstdint>

#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit.
QELTA_DECLARE_EXCEPTION(EQeltaCpuIdError, EQeltaError)

/// The four registers a CPUID leaf yields.
struct TCpuIdRegisters {
  uint32_t EAX = 0;
  uint32_t EBX = 0;
  uint32_t ECX = 0;
  uint32_t EDX = 0;
};

/// The processor and clocks behind the routines of this unit; the default one asks the hardware.
class TCpuProbe {
 public:
  virtual ~TCpuProbe() = default;
  /// Whether the processor executes CPUID.
  virtual bool Supported();
  /// CPUID with the leaf in EAX (sub-leaf 0).
  virtual TCpuIdRegisters Query(uint32_t Leaf);
  /// The time-stamp counter.
  virtual uint64_t Cycles();
  /// A monotonic clock in milliseconds.
  virtual uint64_t Milliseconds();
};

/// The probe in use.
TCpuProbe& CpuProbe();
/// Installs a probe (borrowed; nullptr restores the hardware one) and answers the previous one.
TCpuProbe* SetCpuProbe(TCpuProbe* Probe);

/// Names of the 32 bits of CPU_FeatureSet, bit 0 first.
extern const std::array<const char16_t*, 32> CPUFeatureNames;

/// Whether the processor executes CPUID.
bool CPU_IDSupport();
/// Number of processors online.
int CPU_Count();

// Register readers: raise EQeltaCpuIdError "Cannot acquire CPU information (CPUID not supported)", or
// "CPUID: execution level not supported" for a leaf above both the highest standard and the highest
// extended leaf (compared unsigned).

/// EBX, EDX and ECX of leaf 0 as 12 characters ("GenuineIntel"); "Unknown" when a zero byte cuts it short.
String CPU_VendorString();
/// EAX of leaf 1.
uint32_t CPU_Signature();
/// EDX of leaf 1 (bits named by CPUFeatureNames).
uint32_t CPU_FeatureSet();
/// EDX of leaf $80000001.
uint32_t CPU_ExtendedFeatureSet();
/// Low byte of EBX of leaf 1.
uint8_t CPU_BrandID();
/// Fields of the signature: bits 0..3, 4..7, 8..11, 12..13, 16..19, 20..27.
int CPU_Stepping();
int CPU_Model();
int CPU_Family();
int CPU_Type();
int CPU_ExModel();
int CPU_ExFamily();
/// True when the processor type is 1.
bool CPU_OverDrive();
/// EAX, EDX and ECX of leaf 1, each as 8 upper-case hexadecimal digits.
String CPU_SerialNumber();
/// The 48 characters of leaves $80000002..$80000004 without characters of code 32 or less at either end;
/// "unknown" when a character below 32 remains inside.
String CPU_MarketName();

/// Clock rate in MHz: the time-stamp cycles counted between two readings about Milliseconds apart (below
/// 1 counts as 1), divided by the time that elapsed between them.
float CPU_Speed(int Milliseconds);
/// True when 4195835 - (4195835 / 3145727) x 3145727 is not 0 in double precision.
bool CPU_FDIVBugPresent();

}  // namespace qelta

QELTA_PUBLIC_END
