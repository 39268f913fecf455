// Start-up of qeltacore: runs the units' init routines once, in dependency order, while the
// library loads (the mechanism is described in QeltaStartup.h; every library copies it).

#include "QeltaStartup.h"
#include "Qelta_qeltabase.h"
#include "Qelta_stringl.h"

namespace qelta {
namespace {

struct TCoreStartup {
  TCoreStartup() {
    core_detail::InitQeltabase();  // ProcStat := 0
    core_detail::InitStringl();    // InitScramble(5807); reseeds the platform's Random
  }
};

QELTA_STARTUP_INIT const TCoreStartup CoreStartup;

}  // namespace
}  // namespace qelta
