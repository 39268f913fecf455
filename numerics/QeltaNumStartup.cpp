// Start-up of qeltanum: runs the units' init routines once, in dependency order, while the
// library loads (the mechanism is described in QeltaStartup.h).

#include "QeltaStartup.h"
#include "Qelta_complex.h"
#include "Qelta_math1.h"

namespace qelta {
namespace {

struct TNumStartup {
  TNumStartup() {
    num_detail::InitMath1();    // LongRand seeded from Random; MathFeedBackProc nil; AbortMathProc false
    num_detail::InitComplex();  // CpxNearZero := 1e-15
  }
};

QELTA_STARTUP_INIT const TNumStartup NumStartup;

}  // namespace
}  // namespace qelta
