#pragma once
// A chart for the tests: counts the paints that pass the guard and opens the internal steps; a
// trace of one step on a canvas; a chart on a form; pictures and items compared.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "Forms.h"
#include "Qelta_rchart.h"

namespace qelta::testing {

class TTestChart : public TCustomRChart {
 public:
  explicit TTestChart(TComponent* AOwner = nullptr) : TCustomRChart(AOwner) {}

  int Paints = 0;
  /// Lets painting through (as the window of a published chart would) and zeroes the count.
  void EnablePainting() {
    SetSuppressPaint(false);
    Paints = 0;
  }
  void Design(bool on) { SetDesigning(on); }

  using TCustomRChart::AuxBmp;
  using TCustomRChart::ChartBmp;
  using TCustomRChart::ChartPoint;
  using TCustomRChart::ConstructChartBmp;
  using TCustomRChart::ConstructDataBmp;
  using TCustomRChart::DrawCrossHairs;
  using TCustomRChart::DrawFinish;
  using TCustomRChart::DrawGrid;
  using TCustomRChart::DrawTextLabel;
  using TCustomRChart::DrawTextLabels;
  using TCustomRChart::ForceRngIntern;
  using TCustomRChart::GrafBmp;
  using TCustomRChart::InitGraf;
  using TCustomRChart::ScaleX;
  using TCustomRChart::ScaleY;
  using TCustomRChart::SetRangeIntern;
  void CallPaint() { Paint(); }
  Extended Kx(int l) const { return Cpkx[l]; }
  Extended Dx(int l) const { return Cpdx[l]; }
  Extended Ky(int l) const { return Cpky[l]; }
  Extended Dy(int l) const { return Cpdy[l]; }
  int AspectX() const { return Fxasp; }
  int AspectY() const { return Fyasp; }

 protected:
  void Paint() override {
    if (PaintAllowed()) ++Paints;
    TCustomRChart::Paint();
  }
};

/// A TRChart on a form; layer 1 maps one unit to one pixel: chart (x, y) on control pixel
/// (50 + x, 160 - y), the data area being columns 50..260 and rows 20..160.
struct TChartOnForm {
  TChartOnForm() : form(nullptr) {
    form.SetBounds(0, 0, 320, 240);
    chart = new TRChart(&form);
    chart->SetName(u"Chart1");
    chart->SetParent(&form);
    chart->SetBounds(10, 10, 280, 200);
    chart->SetRange(1, 0, 0, 210, 140);
  }
  TForm form;
  TRChart* chart;
};

/// True when both pictures have one size and the same pixels.
inline bool SamePixels(TBitmap& a, TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Canvas()->Pixels(x, y) != b.Canvas()->Pixels(x, y)) return false;
  return true;
}

/// The calls `step` makes on `canvas`.
inline TCanvasTrace TraceOf(TCanvas* canvas, const std::function<void()>& step) {
  TCanvasTrace trace;
  canvas->SetTrace(&trace);
  try {
    step();
  } catch (...) {
    canvas->SetTrace(nullptr);
    throw;
  }
  canvas->SetTrace(nullptr);
  return trace;
}

/// The layer's x and y range as (x low, y low, x high, y high).
struct TRanges {
  double xLo, yLo, xHi, yHi;
  friend bool operator==(const TRanges&, const TRanges&) = default;
};

inline TRanges RangesOf(const TCustomRChart& c, int layer) {
  return {c.GetScalePropsX(layer)->RangeLow(), c.GetScalePropsY(layer)->RangeLow(),
          c.GetScalePropsX(layer)->RangeHigh(), c.GetScalePropsY(layer)->RangeHigh()};
}

inline void PrintTo(const TRanges& r, std::ostream* os) {
  *os << "x " << r.xLo << ".." << r.xHi << ", y " << r.yLo << ".." << r.yHi;
}

/// Every field of an item, each compared on its own (name tells the failing item).
inline void ExpectItem(const TrcChartItem& a, const TrcChartItem& e, const std::string& name) {
  EXPECT_EQ(a.ItemKind, e.ItemKind) << name;
  EXPECT_EQ(a.x, e.x) << name;
  EXPECT_EQ(a.y, e.y) << name;
  EXPECT_EQ(a.x2, e.x2) << name;
  EXPECT_EQ(a.y2, e.y2) << name;
  EXPECT_EQ(a.Color, e.Color) << name;
  EXPECT_EQ(a.FillColor, e.FillColor) << name;
  EXPECT_EQ(a.ShadowColor, e.ShadowColor) << name;
  EXPECT_EQ(a.HiLightColor, e.HiLightColor) << name;
  EXPECT_EQ(a.PenStyle, e.PenStyle) << name;
  EXPECT_EQ(a.Tag, e.Tag) << name;
  EXPECT_EQ(a.LWid, e.LWid) << name;
  EXPECT_EQ(a.ItemClass, e.ItemClass) << name;
  EXPECT_EQ(a.Layer, e.Layer) << name;
  EXPECT_EQ(a.Transp, e.Transp) << name;
  EXPECT_EQ(a.FrameStyle, e.FrameStyle) << name;
  EXPECT_EQ(a.Text, e.Text) << name;
  EXPECT_EQ(a.SizeOrAngle, e.SizeOrAngle) << name;
  EXPECT_EQ(a.Depth, e.Depth) << name;
  EXPECT_EQ(a.MarkOrAlign, e.MarkOrAlign) << name;
}

}  // namespace qelta::testing
