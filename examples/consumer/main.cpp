// Links every installed library, checks the compile-time version against the loaded one and prints it:
// proof that find_package(qelta) works and that the installed libraries find each other. Then binds
// every name of the foundation and the numerics that the controls, maps and chemistry use, so a missing
// export or a changed signature fails this build.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <qelta/Qelta_qeltamol.h>
#include <qelta/Version.h>

#include "Qelta_qeltanum.h"
#include "ServiceBindings.h"

#if QELTA_VERSION < 100
#error "qelta 0.1.0 or later expected"
#endif

int main() {
  std::printf("qelta %s (built against %s), %s, %s\n", qelta::QeltaVersion(), QELTA_VERSION_STRING,
              qelta::LibraryName_qeltanum(), qelta::LibraryName_qeltamol());
  const std::filesystem::path scratch =
      std::filesystem::temp_directory_path() / ("qelta-consumer-" + std::to_string(::getpid()));
  std::filesystem::create_directories(scratch);
  const int names = qelta::bindings::BindFoundationServices(scratch.string()) + qelta::bindings::BindNumericsServices();
  std::filesystem::remove_all(scratch);
  std::printf("bound %d names of qeltacore and qeltanum\n", names);
  return std::strcmp(qelta::QeltaVersion(), QELTA_VERSION_STRING) == 0 ? 0 : 1;
}
