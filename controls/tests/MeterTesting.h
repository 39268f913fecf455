#pragma once
// Test helpers of the meter: a meter that counts its paints and renders with a canvas trace, an
// event recorder, an 8-bit BMP writer for picture fixtures, and the text boxes and composite pages
// of its golden pictures (GoldenImage.h).

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "GoldenImage.h"
#include "Graphics.h"
#include "Qelta_Meter.h"

namespace qelta::meter_test {

/// Boxes of the texts in a golden picture.
using TTextBoxes = std::vector<TRect>;

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

/// The boxes of the texts the meter wrote in a traced paint (labels in Font, the caption in
/// FontCaption), widened by 2 pixels across and 1 along for antialiasing, moved by (dx, dy).
inline TTextBoxes TextBoxes(const TCanvasTrace& trace, const TMeter& m, int dx = 0, int dy = 0) {
  TTextBoxes boxes;
  TBitmap scratch(1, 1);
  for (const TCanvasTraceRecord& r : trace.Find("TextOut")) {
    TFont* font = r.Text == m.Caption() ? m.FontCaption() : m.Font();
    scratch.Canvas()->Font()->Assign(font);
    const int x = int(r.Args[0]) + dx, y = int(r.Args[1]) + dy;
    boxes.push_back(Rect(x - 2, y - 1, x + scratch.Canvas()->TextWidth(r.Text) + 2,
                         y + scratch.Canvas()->TextHeight(r.Text) + 1));
  }
  return boxes;
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
    for (const TRect& t : TextBoxes(trace, m, x, y)) texts.push_back(t);
  }
};

}  // namespace qelta::meter_test
