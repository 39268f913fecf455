#pragma once
// Files, directories, drives and environment of the runtime, on a POSIX file system.
// (being written: the drive table is the first piece)

#include "Types.h"

namespace qelta {

/// Mount point that drive letter `drive` ('A'..'Z', either case) stands for; empty when unmapped.
String DriveMountPoint(Char drive);

}  // namespace qelta
