#pragma once
// Gallery entry of the colour unit: the predefined palettes and interpolated palettes as colour bars.

#include <filesystem>
#include <string>
#include <vector>

namespace qelta::gallery {

/// Renders the colour pictures as PNG files into folder (which must exist); answers their file names.
std::vector<std::string> RenderColors(const std::filesystem::path& folder);

}  // namespace qelta::gallery
