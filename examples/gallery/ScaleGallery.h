#pragma once
// Gallery entry of the axis scale: horizontal and vertical, linear and logarithmic scales.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace qelta::gallery {

/// Renders the scale pictures as PNG files into folder (which must exist); answers their file names
/// with a caption each.
std::vector<std::pair<std::string, std::string>> RenderScales(const std::filesystem::path& folder);

}  // namespace qelta::gallery
