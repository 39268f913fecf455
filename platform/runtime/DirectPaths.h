#pragma once
// Not part of the public interface: the switch between the direct paths of the canvas and of number
// text (rectangles as blocks, round shapes in one walk over their rows, pie and chord fills as runs
// of their rows, solid lines by address steps, unscaled copies by rows, fills and text conversion
// with AVX2 where the processor has it, Str's text straight from to_chars, the foundation's tag readers
// in blocks) and the general paths they shortcut.
// Both give the same pixels and texts; the tests switch the direct paths off to compare them (hence
// exported).

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

/// The switch itself; read it through DirectPaths().
extern bool directPathsOn;

/// True (the default) when the direct paths are taken.
inline bool DirectPaths() { return directPathsOn; }
/// Switches the direct paths on or off; answers the previous setting.
bool SetDirectPaths(bool on);

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
