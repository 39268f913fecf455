// Start-up of qeltacore: runs the units' init routines once, in dependency order, while the
// library loads (the mechanism is described in QeltaStartup.h; every library copies it).

#include "QeltaStartup.h"
#include "Qelta_qeltabase.h"

namespace qelta {
namespace {

struct TCoreStartup {
  TCoreStartup() {
    detail::InitQeltabase();  // ProcStat := 0
    // Qelta_stringl: detail::InitStringl() seeds the scrambler with InitScramble(5807).
  }
};

QELTA_STARTUP_INIT const TCoreStartup CoreStartup;

}  // namespace
}  // namespace qelta
