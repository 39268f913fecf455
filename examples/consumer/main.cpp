// Links every installed library and prints the version: proof that find_package(qelta) works.
#include <cstdio>

#include "Qelta_qeltanum.h"
#include "Version.h"

int main() {
  std::printf("qelta %s, %s\n", qelta::QeltaVersion(), qelta::LibraryName_qeltanum());
  return 0;
}
