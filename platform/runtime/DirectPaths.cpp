#include "DirectPaths.h"

namespace qelta::detail {

bool directPathsOn = true;

bool SetDirectPaths(bool on) {
  const bool previous = directPathsOn;
  directPathsOn = on;
  return previous;
}

}  // namespace qelta::detail
