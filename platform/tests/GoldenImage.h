#pragma once
// Pixel snapshots of every library's tests: a picture is compared with its golden PNG in the library's
// tests/golden/ folder (QELTA_GOLDEN_DIR, set by the test target), pixel for pixel outside text, and
// text by its box and colour (antialiasing and hinting may differ by a pixel between FreeType builds).
// With QELTA_UPDATE_GOLDEN set in the environment (`make golden`), the picture is written as the new
// golden file instead; look at the diff of a changed golden before committing it. A picture that
// differs is written beside the test as <name>.actual.png for a look.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Graphics.h"

#ifndef QELTA_GOLDEN_DIR
#error "the test target defines QELTA_GOLDEN_DIR, its tests/golden folder"
#endif

namespace qelta::golden {

namespace detail {

inline uint32_t Rgb(const TBitmap& b, int x, int y) { return b.ScanLine(y)[x] & 0xFFFFFFu; }

/// Bounding box of the pixels in `box` that differ from `back` (empty when none).
inline TRect InkBox(const TBitmap& b, const TRect& box, uint32_t back) {
  TRect ink{box.Right, box.Bottom, box.Left, box.Top};
  for (int y = box.Top; y < box.Bottom; ++y)
    for (int x = box.Left; x < box.Right; ++x)
      if (Rgb(b, x, y) != back)
        ink = {std::min(ink.Left, x), std::min(ink.Top, y), std::max(ink.Right, x + 1), std::max(ink.Bottom, y + 1)};
  return ink.Left < ink.Right ? ink : TRect{};
}

/// Text in a box: the same ink box within a pixel on each side, and no colour the golden box lacks.
inline std::string CompareTextBox(const TBitmap& actual, const TBitmap& golden, TRect box) {
  box = {std::max(box.Left, 0), std::max(box.Top, 0), std::min(box.Right, golden.Width()),
         std::min(box.Bottom, golden.Height())};
  if (box.Left >= box.Right || box.Top >= box.Bottom) return {};
  std::map<uint32_t, int> colours;
  for (int y = box.Top; y < box.Bottom; ++y)
    for (int x = box.Left; x < box.Right; ++x) ++colours[Rgb(golden, x, y)];
  uint32_t back = 0;
  int most = -1;
  for (const auto& [colour, count] : colours)
    if (count > most) back = colour, most = count;
  for (int y = box.Top; y < box.Bottom; ++y)
    for (int x = box.Left; x < box.Right; ++x)
      if (!colours.contains(Rgb(actual, x, y)))
        return "text box at (" + std::to_string(x) + ", " + std::to_string(y) + ") has a colour the golden lacks";
  const TRect a = InkBox(actual, box, back), g = InkBox(golden, box, back);
  const bool near = std::abs(a.Left - g.Left) <= 1 && std::abs(a.Top - g.Top) <= 1 &&
                    std::abs(a.Right - g.Right) <= 1 && std::abs(a.Bottom - g.Bottom) <= 1;
  if (near) return {};
  return "text box from (" + std::to_string(box.Left) + ", " + std::to_string(box.Top) + "): ink at (" +
         std::to_string(a.Left) + ", " + std::to_string(a.Top) + ")-(" + std::to_string(a.Right) + ", " +
         std::to_string(a.Bottom) + "), golden (" + std::to_string(g.Left) + ", " + std::to_string(g.Top) + ")-(" +
         std::to_string(g.Right) + ", " + std::to_string(g.Bottom) + ")";
}

inline bool InAnyBox(const std::vector<TRect>& boxes, int x, int y) {
  for (const TRect& r : boxes)
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return true;
  return false;
}

}  // namespace detail

/// Compares the picture with QELTA_GOLDEN_DIR/<name>.png: exact RGB outside `textBoxes`, text inside
/// them by box and colour. Writes the golden file instead under QELTA_UPDATE_GOLDEN.
inline ::testing::AssertionResult MatchesGolden(const TBitmap& picture, const std::string& name,
                                                const std::vector<TRect>& textBoxes = {}) {
  const String file = Utf8ToString(std::string(QELTA_GOLDEN_DIR) + "/" + name + ".png");
  const char* update = std::getenv("QELTA_UPDATE_GOLDEN");
  if (update != nullptr && *update != '\0') {
    picture.SaveToFile(file);
    return ::testing::AssertionSuccess();
  }
  TBitmap golden;
  try {
    golden.LoadFromFile(file);
  } catch (const std::exception& e) {
    return ::testing::AssertionFailure() << name << ": no golden picture (" << e.what() << "); run make golden";
  }
  auto fail = [&](const std::string& why) {
    picture.SaveToFile(Utf8ToString(name + ".actual.png"));
    return ::testing::AssertionFailure() << name << ": " << why << " (the picture is in " << name << ".actual.png)";
  };
  if (golden.Width() != picture.Width() || golden.Height() != picture.Height())
    return fail("size " + std::to_string(picture.Width()) + " x " + std::to_string(picture.Height()) + ", golden " +
                std::to_string(golden.Width()) + " x " + std::to_string(golden.Height()));
  int differing = 0, firstX = 0, firstY = 0;
  for (int y = 0; y < golden.Height(); ++y)
    for (int x = 0; x < golden.Width(); ++x)
      if (detail::Rgb(picture, x, y) != detail::Rgb(golden, x, y) && !detail::InAnyBox(textBoxes, x, y)) {
        if (differing++ == 0) firstX = x, firstY = y;
      }
  if (differing > 0)
    return fail(std::to_string(differing) + " pixels differ outside text, the first at (" + std::to_string(firstX) +
                ", " + std::to_string(firstY) + ")");
  for (const TRect& box : textBoxes)
    if (std::string why = detail::CompareTextBox(picture, golden, box); !why.empty()) return fail(why);
  return ::testing::AssertionSuccess();
}

}  // namespace qelta::golden

/// Expects the picture to match its golden PNG (see MatchesGolden).
#define EXPECT_GOLDEN(picture, name, ...) \
  EXPECT_TRUE(::qelta::golden::MatchesGolden((picture), (name)__VA_OPT__(, ) __VA_ARGS__))
