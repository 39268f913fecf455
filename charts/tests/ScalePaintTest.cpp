// TScale pixels: a standalone scale on a shown form, and helpers drawing into their owner's bitmap.
#include <gtest/gtest.h>

#include "Assertions.h"
#include "Forms.h"
#include "Qelta_Scale.h"
#include "Testing.h"

using namespace qelta;

namespace {

const TColor kFace = ColorToRGB(clBtnFace);

TColor PixelOf(TBitmap* b, int x, int y) { return b->Canvas()->Pixels(x, y); }

struct TExpected {
  const char* what;
  int x, y;
  TColor color;
};

void ExpectPixels(TBitmap* picture, std::initializer_list<TExpected> pixels) {
  for (const TExpected& p : pixels) EXPECT_EQ(PixelOf(picture, p.x, p.y), p.color) << p.what << " at " << p.x << ", " << p.y;
}

// True when the rectangle holds a pixel darker than mid-gray (text is antialiased).
bool HasInk(TBitmap* b, TRect r) {
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      const TColor c = PixelOf(b, x, y);
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128) return true;
    }
  return false;
}

// Size of a text in the scale's font.
TPoint TextSize(TScale& s, const char* text) {
  TBitmap probe(1, 1);
  probe.Canvas()->SetFont(s.Font());
  return probe.Canvas()->TextExtent(Utf8ToString(text));
}

class ScalePaintTest : public ::testing::Test {
 protected:
  TScriptedUser user;
  TForm form{nullptr};
  TScale* scale = nullptr;
  void SetUp() override {
    form.SetBounds(0, 0, 440, 440);
    scale = new TScale(&form);
    scale->SetLeft(10);
    scale->SetTop(10);
    scale->SetParent(&form);
  }
};

TEST_F(ScalePaintTest, AStandaloneScaleShowsFrameBaseLineTicksAndLabels) {
  user.Show(&form);
  EXPECT_FALSE(scale->SuppressPaint());
  auto shot = user.Grab(scale);
  ASSERT_EQ(shot->Width(), 400);
  ExpectPixels(shot.get(), {
                               {"lowered frame: outer shadow", 0, 200, clGray},
                               {"lowered frame: outer shadow, top", 200, 0, clGray},
                               {"lowered frame: inner dark shadow", 1, 200, clBlack},
                               {"lowered frame: inner light face", 398, 200, clSilver},
                               {"lowered frame: outer highlight", 200, 399, clWhite},
                               {"lowered frame: outer highlight, right", 399, 200, clWhite},
                               {"background", 200, 100, kFace},
                               {"base line start", 20, 379, clBlack},
                               {"base line end", 379, 379, clBlack},
                               {"before the base line", 19, 379, kFace},
                               {"after the base line", 380, 379, kFace},
                               {"long tick at 0, top", 20, 373, clBlack},
                               {"above the long tick at 0", 20, 372, kFace},
                               {"long tick at 20 (pixel 91.8)", 92, 373, clBlack},
                               {"short tick at 5 (pixel 37.95)", 38, 376, clBlack},
                               {"above the short tick", 38, 375, kFace},
                               {"below the line", 38, 380, kFace},
                           });
  // The label "20", centred on its tick, ends 7 pixels above the line.
  const TPoint size = TextSize(*scale, "20");
  const TRect label = Bounds(92 - size.X / 2, 372 - size.Y, size.X, size.Y);
  EXPECT_TRUE(HasInk(shot.get(), label));
  EXPECT_FALSE(HasInk(shot.get(), Bounds(label.Left, label.Top - 10, size.X, 10)));
}

TEST_F(ScalePaintTest, AVerticalScaleHasItsLabelsBesideTheLine) {
  scale->SetScaleType(sctYR);
  scale->SetCaption(u"mV");
  user.Show(&form);
  auto shot = user.Grab(scale);
  ExpectPixels(shot.get(), {
                               {"base line top", 379, 20, clBlack},
                               {"base line bottom", 379, 379, clBlack},
                               {"long tick at 100, end", 374, 20, clBlack},
                               {"beside the long tick", 373, 20, kFace},
                               {"short tick at 95 (pixel 37.95)", 376, 38, clBlack},
                           });
  const TPoint size = TextSize(*scale, "100");
  EXPECT_TRUE(HasInk(shot.get(), Bounds(371 - size.X, 20 - size.Y / 2, size.X, size.Y)));
  // Caption "mV": centred on the line moved 4 pixels right, its top 4 pixels below the top margin;
  // its right half lies beyond the base line.
  const TPoint caption = TextSize(*scale, "mV");
  EXPECT_TRUE(HasInk(shot.get(), Bounds(384, 24, caption.X / 2 - 1, caption.Y)));
  EXPECT_FALSE(HasInk(shot.get(), Bounds(384, 24 + caption.Y, caption.X / 2 - 1, 10)));
}

TEST_F(ScalePaintTest, PropertyChangesRepaintTheShownScale) {
  user.Show(&form);
  scale->SetColorScale(clRed);
  EXPECT_EQ(PixelOf(user.Grab(scale).get(), 200, 379), clRed);
  scale->SetShowBaseLine(false);
  EXPECT_EQ(PixelOf(user.Grab(scale).get(), 201, 379), kFace);
}

TEST_F(ScalePaintTest, ATransparentStandaloneScaleRepaintsThroughItsWindowOverTheFormsColour) {
  scale->SetTransparent(true);
  user.Show(&form);
  scale->SetMarginLeft(60);  // queues a paint of the window, which erases the old lines first
  scale->SetColorScale(clRed);
  auto shot = user.Grab(scale);
  ExpectPixels(shot.get(), {{"base line", 200, 379, clRed},
                            {"the old tick at 0, erased", 20, 375, ColorToRGB(form.Color())},
                            {"form colour, no frame", 0, 200, ColorToRGB(form.Color())},
                            {"form colour inside", 200, 100, ColorToRGB(form.Color())}});
}

TEST(ScaleHelperPaint, AHelperDrawsItsPictureOntoTheForeignBitmapOnlyWhenForced) {
  TBitmap host(300, 200);
  TScale helper(nullptr);
  helper.SetIsHelper(true);
  helper.SetBounds(0, 0, 200, 100);
  helper.UseForeignCanvas(host.Canvas(), 30, 40);
  helper.SetRange(0, 10);
  EXPECT_EQ(PixelOf(&host, 30, 40), clWhite);
  helper.ForcePaint();
  ExpectPixels(&host, {
                          {"frame corner at the position", 30, 40, clGray},
                          {"left of the picture", 29, 40, clWhite},
                          {"background", 130, 60, kFace},
                          {"base line", 30 + 20, 40 + 79, clBlack},
                          {"beyond the picture", 230, 90, clWhite},
                      });
}

TEST(ScaleHelperPaint, ThePictureComposedOnTheTargetEqualsTheCopiedBitmap) {
  // Without a trace on the target the picture is composed on the target's pixels; a trace makes
  // the scale draw a bitmap and copy it. Both must leave the same pixels, wherever the picture
  // lands: partly outside, in a clipped or shifted canvas, for every side and frame.
  struct Case {
    int x, y, w, h;
    TScaleType type;
    TFrameStyle frame;
    TRect clip;
    TPoint origin;
  };
  const Case cases[] = {
      {30, 40, 200, 100, sctXB, fsLowered, Rect(0, 0, 300, 200), Point(0, 0)},
      {-50, 120, 200, 100, sctXT, fsRaised, Rect(0, 0, 300, 200), Point(0, 0)},
      {150, -30, 80, 260, sctYL, fsSimple, Rect(10, 5, 250, 180), Point(0, 0)},
      {20, 10, 90, 150, sctYR, fsEmbossed, Rect(-40, -40, 400, 400), Point(17, -9)},
      {400, 400, 50, 50, sctXB, fsLowered, Rect(0, 0, 300, 200), Point(0, 0)},
  };
  for (const Case& c : cases) {
    TBitmap composed(300, 200), copied(300, 200);
    TCanvasTrace trace;
    copied.Canvas()->SetTrace(&trace);
    for (TBitmap* host : {&composed, &copied}) {
      for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) host->ScanLine(y)[x] = 0xFF000000u | uint32_t(x * 2654435761u ^ y * 40503u);
      host->Canvas()->SetOrigin(c.origin);
      host->Canvas()->SetClipRect(c.clip);
      TScale helper(nullptr);
      helper.SetIsHelper(true);
      helper.SetBounds(0, 0, c.w, c.h);
      helper.SetScaleType(c.type);
      helper.SetFrameStyle(c.frame);
      helper.SetCaption(u"time / s");
      helper.SetRange(-3, 7);
      helper.UseForeignCanvas(host->Canvas(), c.x, c.y);
      helper.ForcePaint();
    }
    EXPECT_EQ(trace.Count("Draw"), 1);
    bool same = true;
    for (int y = 0; y < 200 && same; ++y)
      for (int x = 0; x < 300 && same; ++x) same = composed.ScanLine(y)[x] == copied.ScanLine(y)[x];
    EXPECT_TRUE(same) << "picture at " << c.x << ", " << c.y;
  }
}

TEST(ScaleHelperPaint, APictureTooLargeForABitmapIsDrawnStraightOntoTheTarget) {
  // Regression: the picture's bitmap of 20000 x 20000 pixels was refused with EOutOfMemory, which
  // every repainting setter passed on.
  TBitmap host(300, 200);
  TScale helper(nullptr);
  helper.SetIsHelper(true);
  helper.SetBounds(0, 0, 20000, 20000);
  helper.UseForeignCanvas(host.Canvas(), 30, 40);
  EXPECT_NO_THROW(helper.ForcePaint());
  ExpectPixels(&host, {{"frame corner at the position", 30, 40, clGray},
                       {"left of the picture", 29, 40, clWhite},
                       {"background", 130, 60, kFace}});
  EXPECT_EQ(host.Canvas()->Origin(), Point(0, 0));
}

TEST(ScaleHelperPaint, ATransparentHelperMovesOnlyItsBaseLineByThePosition) {
  TBitmap host(300, 200);
  TScale helper(nullptr);
  helper.SetIsHelper(true);
  helper.SetTransparent(true);
  helper.SetBounds(0, 0, 200, 100);
  helper.UseForeignCanvas(host.Canvas(), 30, 40);
  helper.SetColorScale(clBlue);
  helper.ForcePaint();
  ExpectPixels(&host, {
                          {"base line start: x is the scale's own", 20, 119, clBlue},
                          {"base line end", 179, 119, clBlue},
                          {"before the base line", 19, 119, clWhite},
                          {"after the base line", 180, 119, clWhite},
                          {"no background", 100, 60, clWhite},
                      });
}

}  // namespace
