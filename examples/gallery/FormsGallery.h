#pragma once
// Gallery entry of the platform's forms and controls.

#include <filesystem>
#include <string>
#include <vector>

namespace qelta::gallery {

/// Renders a form with sample controls as a PNG file into folder (which must exist); answers its name.
std::vector<std::string> RenderForms(const std::filesystem::path& folder);

}  // namespace qelta::gallery
