// Axis scale layout: where the base line, tick ends, tick labels and caption go, without pixels.
#include <gtest/gtest.h>

#include <cstdint>

#include "Qelta_Scale.h"

using namespace qelta;

namespace {

TScaleFrame FrameOf(TScaleType type, int width = 400, int height = 400) {
  TScaleFrame f;
  f.ScaleType = type;
  f.Width = width;
  f.Height = height;
  f.MarginLeft = 10;
  f.MarginRight = 30;
  f.MarginTop = 5;
  f.MarginBottom = 15;
  return f;
}

TEST(ScaleLayout, BaseLineAndTickEndsByScaleType) {
  struct Case {
    TScaleType type;
    int64_t line, longEnd;
  };
  const Case cases[] = {{sctXB, 1000 + 400 - 15 - 1, 1384 - 7},
                        {sctXT, 1000 + 5, 1005 + 7},
                        {sctYL, 100 + 10, 110 + 6},
                        {sctYR, 100 + 400 - 30 - 1, 469 - 6}};
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleBaseLine(FrameOf(c.type), 100, 1000), c.line) << c.type;
    const int length = IsVerticalScale(c.type) ? LongTickLengthY : LongTickLengthX;
    EXPECT_EQ(ScaleTickEnd(c.type, c.line, length), c.longEnd) << c.type;
  }
  EXPECT_EQ(ScaleBaseLine(FrameOf(sctXB, 400, 2147483647), 0, 2147483647), int64_t{2147483647} * 2 - 16);
}

TEST(ScaleLayout, TickLabelsSitBesideTheirTicksInsideTheControl) {
  struct Case {
    const char* name;
    TScaleType type;
    int64_t line, along;
    TPoint topLeft;
  };
  const Case cases[] = {
      {"centred above", sctXB, 384, 200, {190, 384 - 13 - 7}},
      {"centred below", sctXT, 5, 200, {190, 12}},
      {"kept off the left edge", sctXB, 384, 5, {2, 364}},
      {"kept off the right edge", sctXB, 384, 395, {400 - 20 - 2, 364}},
      {"right of a left line", sctYL, 10, 100, {18, 94}},
      {"left of a right line", sctYR, 369, 100, {369 - 8 - 20, 94}},
      {"far beyond the end", sctXT, 5, 2147483647, {378, 12}},
      {"far before the start", sctXT, 5, -2147483647, {2, 12}},
      {"line out of range", sctYL, int64_t{1} << 40, 0, {2147483647, -6}},
  };
  for (const Case& c : cases) EXPECT_EQ(ScaleLabelPos(FrameOf(c.type), c.line, c.along, 20, 13), c.topLeft) << c.name;
}

TEST(ScaleLayout, CaptionIsAnchoredAlongTheAxisAndAlignedOnThatPoint) {
  struct Case {
    const char* name;
    TScaleType type;
    TScaleUnitAnchor anchor;
    TAlignment align;
    TPoint topLeft;
  };
  // Text 40 pixels wide, moved by (4, 6), line at 300.
  const Case cases[] = {
      {"start, centred", sctXB, uaSclTopLft, taCenter, {0, 306}},  // would start at 10 + 4 - 20: kept inside
      {"middle, left", sctXT, uaSclCenter, taLeftJustify, {10 + 180 + 4, 306}},
      {"end, right", sctXB, uaSclBotRgt, taRightJustify, {370 + 4 - 40, 306}},
      {"vertical start", sctYL, uaSclTopLft, taLeftJustify, {304, 5 + 6}},
      {"vertical middle", sctYR, uaSclCenter, taCenter, {304 - 20, 5 + 190 + 6}},
      {"vertical end", sctYR, uaSclBotRgt, taRightJustify, {264, 385 + 6}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleCaptionPos(FrameOf(c.type), 300, c.anchor, c.align, 4, 6, 40), c.topLeft) << c.name;
}

// Regression: with the default anchor (start) and alignment (centred) a caption wider than twice the
// margin began left of the picture: "naive: time / s" showed as "ve: time / s". No caption is placed
// partly outside the picture now, along or across the axis, on the own canvas or a foreign one.
TEST(ScaleLayout, CaptionIsNeverPlacedPartlyOutsideThePicture) {
  struct Case {
    const char* name;
    TScaleType type;
    int64_t line;
    TScaleUnitAnchor anchor;
    TAlignment align;
    int posX, posY;
    TPoint topLeft;
  };
  // 400 x 400 picture, text 90 x 14; margins 10, 30, 5, 15 (left, right, top, bottom).
  const Case cases[] = {
      {"start, centred", sctXB, 384, uaSclTopLft, taCenter, 4, 4, {0, 386}},
      {"end, left", sctXB, 384, uaSclBotRgt, taLeftJustify, 4, -20, {310, 364}},
      {"below the bottom", sctXB, 384, uaSclCenter, taCenter, 0, 30, {145, 386}},
      {"on a foreign canvas at y = 1000", sctXT, 1005, uaSclTopLft, taCenter, 0, -20, {0, 1000}},
      {"vertical, above the top", sctYL, 10, uaSclTopLft, taLeftJustify, 0, -28, {10, 0}},
      {"vertical, right of the picture", sctYR, 369, uaSclCenter, taLeftJustify, 8, 0, {310, 195}},
      {"vertical on a foreign canvas at x = 100", sctYL, 110, uaSclBotRgt, taRightJustify, 0, 0, {100, 385}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaleCaptionPos(FrameOf(c.type), c.line, c.anchor, c.align, c.posX, c.posY, 90, 14), c.topLeft) << c.name;
}

}  // namespace
