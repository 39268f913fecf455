#pragma once
// Test helpers of the meter: a meter that counts its paints and renders with a canvas trace, an
// event recorder, an 8-bit BMP writer for picture fixtures, and golden pictures compared exactly
// outside the text boxes and, inside them, by the box and colour of the text's ink.
// `make golden` sets QELTA_WRITE_GOLDEN, and the golden tests then write their pictures into
// controls/tests/golden/ instead of comparing (look at the diff before committing them).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Graphics.h"
#include "Qelta_Meter.h"

namespace qelta::meter_test {

/// A meter that counts the calls of Paint and shows its geometry, lamps and rendering.
class TTestMeter : public TMeter {
 public:
  using TMeter::HighLampLit;
  using TMeter::LowLampLit;
  using TMeter::MeterAngle;
  using TMeter::MeterCenterX;
  using TMeter::MeterCenterY;
  using TMeter::MeterRadius;
  using TMeter::TMeter;

  int paints = 0;

  /// The picture one paint renders, on a fresh bitmap of the control's size; `trace` (optional)
  /// records the calls.
  std::unique_ptr<TBitmap> Render(TCanvasTrace* trace = nullptr) {
    auto picture = std::make_unique<TBitmap>(Width(), Height());
    picture->Canvas()->SetTrace(trace);
    RenderMeter(picture->Canvas());
    picture->Canvas()->SetTrace(nullptr);
    return picture;
  }
  /// The calls one paint makes.
  TCanvasTrace Trace() {
    TCanvasTrace t;
    Render(&t);
    return t;
  }

 protected:
  void Paint() override {
    ++paints;
    TMeter::Paint();
  }
};

/// The meter's three value events, in order, as "over", "normal", "under".
struct TEventLog {
  std::vector<std::string> events;
  explicit TEventLog(TMeter& m) {
    m.OnOverFlow = [this](TObject*) { events.push_back("over"); };
    m.OnNormalRange = [this](TObject*) { events.push_back("normal"); };
    m.OnUnderFlow = [this](TObject*) { events.push_back("under"); };
  }
  std::string Text() const {
    std::string s;
    for (const std::string& e : events) s += (s.empty() ? "" : " ") + e;
    return s;
  }
};

/// A BMP file of 8 bits per pixel: palette entries 0x00RRGGBB, indices row by row from the top.
inline std::string Bmp8(int w, int h, const std::vector<uint32_t>& palette, const std::vector<uint8_t>& indices) {
  const int stride = (w + 3) / 4 * 4;
  const uint32_t offset = 14 + 40 + 4 * uint32_t(palette.size()), size = offset + uint32_t(stride * h);
  std::string b;
  const auto u16 = [&](uint32_t v) { b += char(v & 0xFF), b += char((v >> 8) & 0xFF); };
  const auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  b += "BM";
  u32(size), u32(0), u32(offset);
  u32(40), u32(uint32_t(w)), u32(uint32_t(h)), u16(1), u16(8), u32(0), u32(uint32_t(stride * h)), u32(2835), u32(2835);
  u32(uint32_t(palette.size())), u32(0);
  for (uint32_t c : palette) u32(c & 0xFFFFFF);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < stride; ++x) b += char(x < w ? indices[size_t(y) * w + x] : 0);
  return b;
}

// --- golden pictures ---------------------------------------------------------------------------

/// Where a text was written and in which colour (RGB).
struct TTextBox {
  TRect box;
  TColor color = 0;
};
using TTextBoxes = std::vector<TTextBox>;

/// The boxes of the texts the meter wrote in a traced paint (labels in Font, the caption in
/// FontCaption), widened by 2 pixels across and 1 along for antialiasing, moved by (dx, dy).
inline TTextBoxes TextBoxes(const TCanvasTrace& trace, const TMeter& m, int dx = 0, int dy = 0) {
  TTextBoxes boxes;
  TBitmap scratch(1, 1);
  for (const TCanvasTraceRecord& r : trace.Find("TextOut")) {
    TFont* font = r.Text == m.Caption() ? m.FontCaption() : m.Font();
    scratch.Canvas()->Font()->Assign(font);
    const int x = int(r.Args[0]) + dx, y = int(r.Args[1]) + dy;
    boxes.push_back({Rect(x - 2, y - 1, x + scratch.Canvas()->TextWidth(r.Text) + 2,
                          y + scratch.Canvas()->TextHeight(r.Text) + 1),
                     ColorToRGB(font->Color())});
  }
  return boxes;
}

inline std::filesystem::path GoldenDir() { return std::filesystem::path(__FILE__).parent_path() / "golden"; }

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

/// A picture made of several renders: each Place draws a meter's picture at (x, y) and keeps the
/// boxes of its texts.
struct TComposite {
  TBitmap picture;
  TTextBoxes texts;
  TComposite(int w, int h, TColor background = clWhite) : picture(w, h) {
    picture.Canvas()->Brush()->SetColor(background);
    picture.Canvas()->FillRect(Rect(0, 0, w, h));
  }
  void Place(TTestMeter& m, int x, int y) {
    TCanvasTrace trace;
    std::unique_ptr<TBitmap> p = m.Render(&trace);
    picture.Canvas()->Draw(x, y, p.get());
    for (const TTextBox& t : TextBoxes(trace, m, x, y)) texts.push_back(t);
  }
};

}  // namespace qelta::meter_test
