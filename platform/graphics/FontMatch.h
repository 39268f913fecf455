#pragma once
// Face selection behind FontEngine: Windows font names to installed families and a family plus
// style to a font file, through Fontconfig. Names compare ignoring A-Z/a-z case. A name that is
// neither mapped nor installed as a scalable family falls back to DejaVu Sans. Not part of the
// public interface; FontEngine.cpp uses it, and the tests (hence exported).

#include <string>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

/// The font file chosen for a family and style, and what must be synthesised because the
/// family has no such style file.
struct FaceChoice {
  std::string File;  ///< UTF-8 path; empty when no scalable font is installed at all
  int Index = 0;     ///< face index inside the file
  bool SyntheticBold = false;
  bool SyntheticItalic = false;
};

/// Font file for the (already resolved) family in the given style; cached per family and style.
FaceChoice MatchFace(const String& family, bool bold, bool italic);

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
