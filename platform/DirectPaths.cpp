#include "DirectPaths.h"

namespace qelta::detail {
namespace {

bool directPaths = true;

}  // namespace

bool DirectPaths() { return directPaths; }

bool SetDirectPaths(bool on) {
  const bool previous = directPaths;
  directPaths = on;
  return previous;
}

}  // namespace qelta::detail
