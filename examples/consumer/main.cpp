// Links every installed library, checks the compile-time version against the loaded one and prints it:
// proof that find_package(qelta) works and that the installed libraries find each other.
#include <cstdio>
#include <cstring>

#include <qelta/Qelta_qeltamol.h>
#include <qelta/Version.h>

#include "Qelta_qeltanum.h"

#if QELTA_VERSION < 100
#error "qelta 0.1.0 or later expected"
#endif

int main() {
  std::printf("qelta %s (built against %s), %s, %s\n", qelta::QeltaVersion(), QELTA_VERSION_STRING,
              qelta::LibraryName_qeltanum(), qelta::LibraryName_qeltamol());
  return std::strcmp(qelta::QeltaVersion(), QELTA_VERSION_STRING) == 0 ? 0 : 1;
}
