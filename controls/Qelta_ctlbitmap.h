#pragma once
// Not part of the public interface: the off-screen bitmap the controls of qeltactl paint into before
// copying it onto their canvas.

#include <memory>

#include "Graphics.h"

namespace qelta::ctl_detail {

/// A bitmap of W x H pixels, or nullptr when it cannot be had (a control over 2^28 pixels): the
/// control then paints nothing instead of raising from its Paint.
inline std::unique_ptr<TBitmap> OffscreenBitmap(int W, int H) {
  try {
    return std::make_unique<TBitmap>(W, H);
  } catch (const EOutOfMemory&) {
    return nullptr;
  }
}

}  // namespace qelta::ctl_detail
