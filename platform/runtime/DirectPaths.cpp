#include "DirectPaths.h"

namespace qelta::platform_detail {

bool directPathsOn = true;

bool SetDirectPaths(bool on) {
  const bool previous = directPathsOn;
  directPathsOn = on;
  return previous;
}

}  // namespace qelta::platform_detail
