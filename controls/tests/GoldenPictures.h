#pragma once
// Golden pictures of the controls: a picture is compared with golden/<name>.png pixel for pixel
// outside its text boxes and, inside them, by the box and colour of the text's ink (antialiasing may
// differ by a level between FreeType builds). `make golden` sets QELTA_WRITE_GOLDEN, and the golden
// tests then write their pictures into controls/tests/golden/ instead of comparing (look at the diff
// before committing them).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Graphics.h"

namespace qelta::golden {

/// Where a text was written and in which colour (RGB).
struct TTextBox {
  TRect box;
  TColor color = 0;
};
using TTextBoxes = std::vector<TTextBox>;

inline std::filesystem::path GoldenDir() { return QELTA_CONTROLS_GOLDEN_DIR; }

namespace detail {
inline bool InBoxes(const TTextBoxes& boxes, int x, int y) {
  for (const TTextBox& b : boxes)
    if (x >= b.box.Left && x < b.box.Right && y >= b.box.Top && y < b.box.Bottom) return true;
  return false;
}
inline bool Ink(TColor c, TColor text) {
  const auto near = [](int a, int b) { return std::abs(a - b) <= 48; };
  return near(GetRValue(c), GetRValue(text)) && near(GetGValue(c), GetGValue(text)) &&
         near(GetBValue(c), GetBValue(text));
}
/// Bounding box of the ink in the box (empty rectangle when none).
inline TRect InkBox(const TBitmap& p, const TTextBox& b) {
  TRect ink{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (int y = std::max(0, b.box.Top); y < std::min(p.Height(), b.box.Bottom); ++y)
    for (int x = std::max(0, b.box.Left); x < std::min(p.Width(), b.box.Right); ++x)
      if (Ink(p.Canvas()->Pixels(x, y), b.color)) ink = {std::min(ink.Left, x), std::min(ink.Top, y),
                                                          std::max(ink.Right, x + 1), std::max(ink.Bottom, y + 1)};
  return ink.Left == INT32_MAX ? TRect{} : ink;
}
}  // namespace detail

/// Compares the picture with golden/<name>.png (or writes it there under `make golden`).
inline ::testing::AssertionResult MatchesGolden(const TBitmap& picture, const std::string& name,
                                                const TTextBoxes& texts) {
  const std::filesystem::path file = GoldenDir() / (name + ".png");
  if (std::getenv("QELTA_WRITE_GOLDEN") != nullptr) {
    std::filesystem::create_directories(GoldenDir());
    picture.SaveToFile(Utf8ToString(file.string()));
    return ::testing::AssertionSuccess();
  }
  if (!std::filesystem::exists(file))
    return ::testing::AssertionFailure() << file << " is missing: run make golden and review it";
  TBitmap golden;
  golden.LoadFromFile(Utf8ToString(file.string()));
  const std::filesystem::path actual = std::filesystem::temp_directory_path() / (name + ".actual.png");
  const auto fail = [&](const std::string& what) {
    picture.SaveToFile(Utf8ToString(actual.string()));
    return ::testing::AssertionFailure() << name << ": " << what << " (this run's picture: " << actual << ")";
  };
  if (golden.Width() != picture.Width() || golden.Height() != picture.Height()) return fail("size differs");
  int differing = 0;
  std::ostringstream first;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x)
      if (!detail::InBoxes(texts, x, y) && golden.Canvas()->Pixels(x, y) != picture.Canvas()->Pixels(x, y) &&
          differing++ == 0)
        first << "first at (" << x << ", " << y << ")";
  if (differing > 0) return fail(std::to_string(differing) + " pixels outside text differ, " + first.str());
  for (const TTextBox& t : texts) {
    const TRect a = detail::InkBox(golden, t), b = detail::InkBox(picture, t);
    if (std::abs(a.Left - b.Left) > 1 || std::abs(a.Top - b.Top) > 1 || std::abs(a.Right - b.Right) > 1 ||
        std::abs(a.Bottom - b.Bottom) > 1)
      return fail("the text at (" + std::to_string(t.box.Left) + ", " + std::to_string(t.box.Top) +
                  ") has another ink box");
  }
  return ::testing::AssertionSuccess();
}

}  // namespace qelta::golden
