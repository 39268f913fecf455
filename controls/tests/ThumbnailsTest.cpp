// The thumbnail slide grid TThumbnails: geometry by default and in three columns, FirstThumbIdx and
// its realignment when the column count changes, slide index and place (floor division above the
// grid), the selection within Min..Max, the requests in column order with the control's image
// buffer, marks, hover, clicks and double clicks by the scripted user, and a golden picture.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_Thumbnails.h"
#include "Testing.h"

using namespace qelta;

namespace {

struct ThumbsFixture : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TThumbnails* th = new TThumbnails(form.get());

  void SetUp() override {
    form->SetBounds(0, 0, 500, 450);
    th->SetParent(form.get());
    user.Show(form.get());
  }
  /// Three columns of pitch 136 (426 + 2 - 20 = 408 = 3 x 136).
  void ThreeColumns() {
    th->SetBounds(0, 0, 426, 400);
    th->Repaint();
  }
};

}  // namespace

TEST_F(ThumbsFixture, OneColumnOfThreeRowsByDefault) {
  EXPECT_EQ(th->Width(), 260);
  EXPECT_EQ(th->Height(), 400);
  EXPECT_EQ(th->NumSlidesHoriz(), 1);
  EXPECT_EQ(th->NumSlidesVert(), 3);
  EXPECT_EQ(th->Min(), 1);
  EXPECT_EQ(th->Max(), 100);
  EXPECT_EQ(th->SlideSize(), 120);
  EXPECT_EQ(th->SlideSelectMode(), ssmSingle);
  EXPECT_EQ(th->FirstSelectedSlide(), 0);
  const struct {
    int in, size, dist, width;
  } clamps[] = {{10, 50, 10, 10}, {300, 260, 100, 10}, {-4, 50, 0, 0}};
  for (const auto& c : clamps) {
    th->SetSlideSize(c.in), th->SetSlideDistance(c.in), th->SetFocusLinewidth(c.in);
    EXPECT_EQ(th->SlideSize(), c.size) << c.in;
    EXPECT_EQ(th->SlideDistance(), c.dist) << c.in;
    EXPECT_EQ(th->FocusLinewidth(), c.width) << c.in;
  }
}

TEST_F(ThumbsFixture, FirstThumbIdxAlignsToItsRow) {
  ThreeColumns();
  ASSERT_EQ(th->NumSlidesHoriz(), 3);
  const struct {
    double in, stored;
  } cases[] = {{5.5, 4.5}, {4, 4}, {1, 1}, {0, 1}, {100, 100.0 / 3 + 2.0 / 3 * 0 + 100 - 100.0 / 3 - 0}, {250, 100}};
  for (const auto& c : cases) {
    th->SetFirstThumbIdx(c.in);
    const double x = std::clamp(c.in, 1.0, 100.0), start = 3 * std::floor((x - 1) / 3) + 1;
    EXPECT_DOUBLE_EQ(th->FirstThumbIdx(), start + (x - start) / 3) << c.in;
  }
  th->SetFirstThumbIdx(5.5);
  EXPECT_DOUBLE_EQ(th->FirstThumbIdx(), 4.5);  // row 4..6, half of it scrolled out
  int x = 0, y = 0;
  th->CalcSlidePos(4, x, y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 2 - 68 + 10);
}

// Regression: a new column count re-set FirstThumbIdx to its stored value, which the setter read as
// a slide position: 3 columns at 4.5 (position 5.5) becoming 2 gave 3.75 (position 4.5).
TEST_F(ThumbsFixture, ANewColumnCountKeepsTheSlidePosition) {
  ThreeColumns();
  th->SetFirstThumbIdx(5.5);
  th->SetBounds(0, 0, 290, 400);  // two columns
  th->Repaint();
  ASSERT_EQ(th->NumSlidesHoriz(), 2);
  EXPECT_DOUBLE_EQ(th->FirstThumbIdx(), 5.25);  // row 5..6 at half a row: position 5.5
  TThumbnails fresh(nullptr);
  fresh.SetFirstThumbIdx(5.5);  // two columns before the first paint: 5.25
  fresh.SetParent(form.get());
  fresh.Repaint();  // one column
  EXPECT_EQ(fresh.NumSlidesHoriz(), 1);
  EXPECT_DOUBLE_EQ(fresh.FirstThumbIdx(), 5.5);
  fresh.SetParent(nullptr);
}

// Regression: CalcSlidePos truncated, so a slide above the top row landed in the top row left of
// the grid, and removing its highlight painted into the border.
TEST_F(ThumbsFixture, SlidesAboveTheTopRowLieAboveTheGrid) {
  ThreeColumns();
  th->SetFirstThumbIdx(4);
  const struct {
    int slide, x, y;
  } cases[] = {{4, 10, 12}, {6, 282, 12}, {7, 10, 148}, {2, 146, -124}, {1, 10, -124}, {-5, 10, -396}};
  for (const auto& c : cases) {
    int x = 0, y = 0;
    th->CalcSlidePos(c.slide, x, y);
    EXPECT_EQ(x, c.x) << c.slide;
    EXPECT_EQ(y, c.y) << c.slide;
  }
}

TEST_F(ThumbsFixture, SlideIndexUnderAPoint) {
  ThreeColumns();
  th->SetFirstThumbIdx(4);
  const struct {
    int x, y, id;
  } cases[] = {{10, 12, 4}, {144, 146, 4}, {145, 50, 0}, {146, 50, 5}, {300, 200, 9},
               {5, 50, 0},  {50, 5, 0},    {50, 395, 0}, {420, 50, 0}, {50, 147, 0}};
  for (const auto& c : cases) EXPECT_EQ(th->CalcSlideIndex(c.x, c.y), c.id) << c.x << ", " << c.y;
  th->SetMax(8);
  EXPECT_EQ(th->CalcSlideIndex(300, 200), 0);  // beyond Max
}

// Regression: the selection field had one bit beyond Max - Min + 1 and started with 1001 bits, so
// slides above Max could be selected and counted; Min above Max broke the resize and the clamp.
TEST_F(ThumbsFixture, TheSelectionHoldsMinToMaxOnly) {
  th->SetMax(10);
  for (int s : {0, 1, 10, 11, 500}) th->SetSelectedSlide(s, true);
  EXPECT_EQ(th->NumSlidesSelected(), 2);
  EXPECT_FALSE(th->GetSelectedSlide(11));
  EXPECT_FALSE(th->GetSelectedSlide(0));
  EXPECT_EQ(th->FirstSelectedSlide(), 1);
  th->SetMax(5);  // slide 10 leaves the range
  EXPECT_EQ(th->NumSlidesSelected(), 1);
  th->SetMin(5);  // a single slide
  th->ResetAllSelections();
  th->SetSelectedSlide(6, true);
  EXPECT_EQ(th->NumSlidesSelected(), 0);
  th->SetSelectedSlide(5, true);
  EXPECT_EQ(th->FirstSelectedSlide(), 5);
  th->SetMin(50);  // above Max: an empty grid
  EXPECT_DOUBLE_EQ(th->FirstThumbIdx(), 50);
  EXPECT_EQ(th->NumSlidesSelected(), 0);
  th->SetSelectedSlide(50, true);
  EXPECT_EQ(th->NumSlidesSelected(), 0);
  EXPECT_EQ(th->FirstSelectedSlide(), 49);
  int requests = 0;
  th->OnImageRequest = [&](TObject*, int, TImageRequestProcessing&, int&, TBitmap&) { ++requests; };
  th->Repaint();
  EXPECT_EQ(requests, 0);
  th->SetMax(-3);
  EXPECT_EQ(th->Max(), 1);
}

TEST_F(ThumbsFixture, RequestsRunColumnByColumnWithTheControlsBuffer) {
  th->SetBounds(0, 0, 290, 300);  // two columns, three rows
  std::vector<int> ids;
  std::vector<TBitmap*> buffers;
  int first = 0, last = 0;
  th->OnFirstImageRequest = [&](TObject*) { ++first; };
  th->OnLastImageRequest = [&](TObject*) { ++last; };
  th->OnImageRequest = [&](TObject*, int id, TImageRequestProcessing& how, int& mark, TBitmap& buffer) {
    EXPECT_EQ(how, irpShowEmpty);
    EXPECT_EQ(mark, -1);
    ids.push_back(id);
    buffers.push_back(&buffer);
    TBitmap host(40, 20);  // the host assigns its own picture; the control copies it
    buffer.Assign(&host);
    how = irpShowSlide;
  };
  th->Repaint();
  EXPECT_EQ(ids, (std::vector<int>{1, 3, 5, 2, 4, 6}));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 1);
  for (TBitmap* b : buffers) EXPECT_EQ(b, buffers[0]);
}

TEST_F(ThumbsFixture, ALentPictureShowsAsTheSameAssignedOneWithoutACopy) {
  // A host that lends its picture gets the slides of one that assigns it, stretched or averaged,
  // wide or tall; the buffer stays empty, and a request that lends nothing shows the buffer.
  ThreeColumns();
  TBitmap wide(400, 300), tall(90, 160);
  wide.Canvas()->Brush()->SetColor(0x3080C0);
  wide.Canvas()->Ellipse(10, 10, 390, 290);
  tall.Canvas()->Brush()->SetColor(0x208020);
  tall.Canvas()->Rectangle(5, 5, 80, 150);
  const auto grid = [&](bool lend) {
    int copied = 0;  // lends that found the picture's size in the buffer
    th->OnImageRequest = [&, lend](TObject*, int id, TImageRequestProcessing& how, int&, TThumbBuffer& buffer) {
      how = irpShowSlide;
      TBitmap* picture = id % 3 == 0 ? &tall : &wide;
      if (id % 4 == 0) {  // this one the host draws into the buffer
        buffer.SetSize(30, 30);
        buffer.Canvas()->Brush()->SetColor(clRed);
        buffer.Canvas()->FillRect(Rect(0, 0, 30, 30));
      } else if (lend) {
        buffer.Lend(picture);
        copied += buffer.Width() == picture->Width();
      } else {
        buffer.Assign(picture);
      }
    };
    th->Repaint();
    EXPECT_EQ(copied, 0);
    return user.Grab(th);
  };
  for (const bool antiAlias : {false, true}) {
    th->SetAntiAlias(antiAlias);
    const auto lent = grid(true), assigned = grid(false);
    int differ = 0;
    for (int y = 0; y < lent->Height(); ++y)
      for (int x = 0; x < lent->Width(); ++x) differ += lent->Canvas()->Pixels(x, y) != assigned->Canvas()->Pixels(x, y);
    EXPECT_EQ(differ, 0) << antiAlias;
  }
}

// FIsWorking is cleared however Paint ends: after a request that raises, the grid paints again.
TEST_F(ThumbsFixture, ARaisingRequestDoesNotStopLaterPaints) {
  bool fail = true;
  int requests = 0;
  th->OnImageRequest = [&](TObject*, int, TImageRequestProcessing&, int&, TBitmap&) {
    ++requests;
    if (fail) throw std::runtime_error("host failed");
  };
  EXPECT_THROW(th->Repaint(), std::runtime_error);
  fail = false;
  requests = 0;
  th->Repaint();
  EXPECT_EQ(requests, 3);
}

TEST_F(ThumbsFixture, MarksOutsideTheByteRangeDrawNothing) {
  th->SetColorMark(clRed);
  auto reds = [&](int markIt) {
    th->OnImageRequest = [&](TObject*, int, TImageRequestProcessing& how, int& mark, TBitmap&) {
      how = irpShowFrameOnly;
      mark = markIt;
    };
    th->Repaint();
    const auto p = user.Grab(th);
    int n = 0;
    for (int y = 0; y < p->Height(); ++y)
      for (int x = 0; x < p->Width(); ++x) n += p->Canvas()->Pixels(x, y) == 0x0000FF;
    return n;
  };
  EXPECT_GT(reds(3), 0);
  EXPECT_EQ(reds(300), 0);
  EXPECT_EQ(reds(-7), 0);
  EXPECT_EQ(reds(-1), 0);
}

TEST_F(ThumbsFixture, AntiAliasAveragesTheShrunkPictureElsePicksPixels) {
  TBitmap stripes(240, 240);
  for (int x = 0; x < 240; x += 2) {
    stripes.Canvas()->Brush()->SetColor(clBlack);
    stripes.Canvas()->FillRect(Rect(x, 0, x + 1, 240));
  }
  th->SetInnerFrameStyle(fsNone);
  th->OnImageRequest = [&](TObject*, int, TImageRequestProcessing& how, int&, TBitmap& buffer) {
    how = irpShowSlide;
    buffer.Assign(&stripes);
  };
  auto centre = [&] {
    th->Repaint();
    return user.Grab(th)->Canvas()->Pixels(77, 77);
  };
  const TColor picked = centre();
  EXPECT_TRUE(picked == clBlack || picked == clWhite) << std::hex << picked;
  th->SetAntiAlias(true);
  const TColor averaged = centre();
  EXPECT_TRUE(averaged != clBlack && averaged != clWhite) << std::hex << averaged;
}

TEST_F(ThumbsFixture, HoverMovesTheFocusWithOneEventPerChange) {
  int changes = 0;
  th->OnFocusChange = [&](TObject*) { ++changes; };
  user.MoveTo(th, 50, 50);
  EXPECT_EQ(th->FocusedSlide(), 1);
  user.MoveTo(th, 60, 60);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(user.Grab(th)->Canvas()->Pixels(12, 50), 0xFF0000);  // the focus line
  user.MoveTo(th, 50, 200);
  EXPECT_EQ(th->FocusedSlide(), 2);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(user.Grab(th)->Canvas()->Pixels(12, 50), 0xC0C0C0);  // removed: the cover colour again
  user.MoveTo(th, 50, 147);  // the gap
  EXPECT_EQ(th->FocusedSlide(), 0);
  EXPECT_EQ(changes, 3);
  th->SetFocusLinewidth(0);
  user.MoveTo(th, 50, 50);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(th->FocusedSlide(), 0);
}

TEST_F(ThumbsFixture, ClicksSelectByModeAndReportTheSlide) {
  std::vector<int> clicked, dbl;
  th->OnImageClick = [&](TObject*, int, int, int id) { clicked.push_back(id); };
  th->OnImageDblClick = [&](TObject*, int, int, int id) { dbl.push_back(id); };
  user.Click(th, 50, 50);
  EXPECT_TRUE(th->GetSelectedSlide(1));
  user.Click(th, 50, 200);
  EXPECT_FALSE(th->GetSelectedSlide(1));
  EXPECT_TRUE(th->GetSelectedSlide(2));
  user.Click(th, 50, 147);  // a gap click clears the selection in ssmSingle
  EXPECT_EQ(th->NumSlidesSelected(), 0);
  EXPECT_EQ(clicked, (std::vector<int>{1, 2, 0}));
  th->SetSlideSelectMode(ssmMultiple);
  user.Advance(1000);
  user.Click(th, 50, 50);
  user.Advance(1000);
  user.Click(th, 50, 200);
  user.Advance(1000);
  user.Click(th, 50, 147);  // a gap click changes nothing
  EXPECT_EQ(th->NumSlidesSelected(), 2);
  user.Advance(1000);
  user.Click(th, 50, 50);  // toggles
  EXPECT_FALSE(th->GetSelectedSlide(1));
  th->SetSlideSelectMode(ssmDisabled);
  user.Advance(1000);
  user.Click(th, 50, 50);
  EXPECT_EQ(th->NumSlidesSelected(), 0);
  user.Advance(1000);
  user.DoubleClick(th, 50, 200);
  EXPECT_EQ(dbl, (std::vector<int>{2}));
}

TEST(TThumbnailsPicture, HalfARowScrolledFourModesMarksSelectionAndFocus) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 440, 420);
  auto* th = new TThumbnails(&form);
  th->SetParent(&form);
  th->SetBounds(0, 0, 426, 400);
  th->SetColorBackGnd(0xE0E0E0);
  th->Font()->SetColor(clBlack);
  TBitmap picture(400, 300);  // a wide and a tall host picture
  picture.Canvas()->Brush()->SetColor(0x3080C0);
  picture.Canvas()->FillRect(Rect(0, 0, 400, 300));
  picture.Canvas()->Brush()->SetColor(0xF0F0F0);
  picture.Canvas()->Ellipse(50, 50, 350, 250);
  TBitmap tall(90, 160);
  tall.Canvas()->Brush()->SetColor(0x208020);
  tall.Canvas()->FillRect(Rect(0, 0, 90, 160));
  th->OnImageRequest = [&](TObject*, int id, TImageRequestProcessing& how, int& mark, TBitmap& buffer) {
    how = static_cast<TImageRequestProcessing>(id % 4);
    if (how == irpShowSlide) buffer.Assign(id % 8 == 1 ? &picture : &tall);
    if (id % 3 == 0) mark = id % 20;
  };
  th->SetAntiAlias(true);
  th->SetFirstThumbIdx(5.5);  // half a row scrolled out
  th->SetSelectedSlide(5, true);
  th->SetSelectedSlide(9, true);
  user.Show(&form);
  user.MoveTo(th, 300, 200);  // focus on slide 9
  ASSERT_EQ(th->FocusedSlide(), 9);
  std::vector<TRect> text;
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 4; ++r) text.push_back(Bounds(10 + c * 136 + 40, r * 136 - 66 + 40, 56, 56));
  EXPECT_GOLDEN(*user.Grab(th), "thumbs-grid", text);
}
