#include "FileSys.h"

#include <array>

namespace qelta {
namespace {

struct TDriveEntry {
  String MountPoint;
};

std::array<TDriveEntry, 26>& Drives() {
  static std::array<TDriveEntry, 26> drives = [] {
    std::array<TDriveEntry, 26> d{};
    d[2].MountPoint.push_back(u'/');
    return d;
  }();
  return drives;
}

int DriveIndex(Char drive) {
  if (drive >= u'a' && drive <= u'z') return drive - u'a';
  if (drive >= u'A' && drive <= u'Z') return drive - u'A';
  return -1;
}

}  // namespace

String DriveMountPoint(Char drive) {
  const int i = DriveIndex(drive);
  return i < 0 ? String() : Drives()[static_cast<std::size_t>(i)].MountPoint;
}

}  // namespace qelta
