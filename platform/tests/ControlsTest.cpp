// Controls: windows on shown forms, painting into the form's surface, layout and properties.
#include <gtest/gtest.h>

#include "Assertions.h"
#include "Panels.h"
#include "SampleControls.h"

using namespace qelta;
using namespace qelta::sample;

namespace {

class ControlsTest : public ::testing::Test {
 protected:
  TScriptedUser user;
  TForm form{nullptr};
  void SetUp() override { form.SetBounds(100, 50, 200, 120); }
};

// --- windows ----------------------------------------------------------------------------------

TEST_F(ControlsTest, CreateWndRunsOnceWhenTheControlLandsOnAShownForm) {
  TSample before(&form, &form);  // placed before the form is shown
  EXPECT_FALSE(before.HandleAllocated());
  EXPECT_EQ(before.created, 0);
  user.Show(&form);
  EXPECT_TRUE(before.HandleAllocated());
  TSample after(&form, &form);  // placed on the shown form
  EXPECT_TRUE(after.HandleAllocated());
  form.Hide();
  user.Show(&form);
  after.Hide();
  after.Show();
  EXPECT_EQ(before.created, 1);
  EXPECT_EQ(after.created, 1);
  EXPECT_EQ(before.destroyed, 0);
}

TEST_F(ControlsTest, AHiddenControlGetsItsWindowWhenShownAndLosesItOffTheForm) {
  TForm other(nullptr);  // declared first: a parent frees its children when it goes
  TSample c(&form);
  c.Hide();
  c.SetParent(&form);
  user.Show(&form);
  EXPECT_FALSE(c.HandleAllocated());
  c.Show();
  EXPECT_TRUE(c.HandleAllocated());
  c.SetParent(nullptr);
  EXPECT_FALSE(c.HandleAllocated());
  EXPECT_EQ(c.created, 1);
  EXPECT_EQ(c.destroyed, 1);
  user.Show(&other);
  c.SetParent(&other);  // a new form: a new window
  EXPECT_EQ(c.created, 2);
}

TEST_F(ControlsTest, DestroyingAFormReleasesItsControlsWindowsThroughTheirDestroyWnd) {
  struct Counting : TSample {
    int* count;
    Counting(TForm* f, int* n) : TSample(f, f), count(n) {}
    void DestroyWnd() override {
      ++*count;
      TSample::DestroyWnd();
    }
  };
  int destroyed = 0;
  auto* f = new TForm(nullptr);
  new Counting(f, &destroyed);
  user.Show(f);
  delete f;
  EXPECT_EQ(destroyed, 1);
}

TEST_F(ControlsTest, AControlCannotBeItsOwnAncestor) {
  TSample outer(&form, &form);
  TSample inner(&form, &outer);
  EXPECT_THROW_MSG(outer.SetParent(&inner), EInvalidOperation,
                   "A control cannot have itself or a control inside it as its parent");
  EXPECT_EQ(outer.Parent(), &form);
}

TEST_F(ControlsTest, AComponentsOwnMessagesReachDispatchThroughItsWindow) {
  struct Posting : TSample {
    using TSample::TSample;
    std::vector<WPARAM> got;
    void Dispatch(TMessage& m) override {
      if (m.Msg == WM_USER + 7) got.push_back(m.WParam), m.Result = 99;
    }
  } c(&form, &form);
  EXPECT_FALSE(PostMessage(c.Handle(), WM_USER + 7, 1, 0));  // no window yet
  user.Show(&form);
  EXPECT_TRUE(PostMessage(c.Handle(), WM_USER + 7, 2, 0));
  EXPECT_EQ(c.Perform(WM_USER + 7, 3), 99);
  EXPECT_EQ(SendMessage(c.Handle(), WM_USER + 7, 4, 0), 99);
  user.Process();
  EXPECT_EQ(c.got, (std::vector<WPARAM>{3, 4, 2}));
}

TEST_F(ControlsTest, ABroadcastReachesTheChildrenUntilOneAnswers) {
  struct Group : TSample {
    using TSample::TSample;
    int seen = 0;
    bool answer = false;
    void Dispatch(TMessage& m) override {
      if (m.Msg != CM_BUTTONPRESSED) return;
      ++seen;
      if (answer) m.Result = 1;
    }
  } x(&form, &form), y(&form, &form), z(&form, &form);
  TMessage m{CM_BUTTONPRESSED, 1, 0, 0};
  form.Broadcast(m);
  EXPECT_EQ(x.seen + y.seen + z.seen, 3);
  y.answer = true;
  m.Result = 0;
  form.Broadcast(m);
  EXPECT_EQ(z.seen, 1);  // y answered first
}

// --- painting ---------------------------------------------------------------------------------

TEST_F(ControlsTest, PaintingWithoutAWindowIsASilentNoOp) {
  TSample c(nullptr);
  EXPECT_EQ(c.Canvas()->Surface().Pixels, nullptr);
  EXPECT_NO_THROW(c.CallPaint());
  c.Invalidate();
  c.Repaint();
  user.Process();
  EXPECT_EQ(c.paints, 1);  // only the direct call, which drew nothing
  TSample onHiddenForm(&form, &form);
  onHiddenForm.CallPaint();
  EXPECT_EQ(form.Surface(), nullptr);
}

TEST_F(ControlsTest, InvalidateTwiceGivesOnePaint) {
  TSample c(&form, &form);
  user.Show(&form);
  c.paints = 0;
  c.Invalidate();
  c.Invalidate();
  user.Process();
  EXPECT_EQ(c.paints, 1);
  c.Repaint();  // paints now, without the loop
  EXPECT_EQ(c.paints, 2);
}

TEST_F(ControlsTest, ControlsPaintIntoTheirPartOfTheFormsSurface) {
  TSample c(&form, &form, Rect(10, 20, 50, 60));
  c.fill = clLime;
  TSampleGraphic g(&form, &c, Rect(5, 5, 15, 15));  // inside c, clipped by c's edge
  g.SetBounds(30, 30, 20, 20);
  user.Show(&form);
  auto shot = user.Grab(&form);
  EXPECT_EQ(PixelOf(shot.get(), 9, 19), ColorToRGB(clBtnFace));  // background of the form
  EXPECT_EQ(PixelOf(shot.get(), 10, 20), clLime);
  EXPECT_EQ(PixelOf(shot.get(), 40, 50), clBlue);    // the graphic control at (10+30, 20+30)
  EXPECT_EQ(PixelOf(shot.get(), 49, 59), clBlue);
  EXPECT_EQ(PixelOf(shot.get(), 50, 60), ColorToRGB(clBtnFace));  // clipped at c's edge
  auto part = user.Grab(&g);
  EXPECT_EQ(part->Width(), 20);
  EXPECT_EQ(PixelOf(part.get(), 0, 0), clBlue);
}

TEST_F(ControlsTest, AParentsPaintLeavesItsWindowedChildrenAlone) {
  TSample parent(&form, &form, Rect(0, 0, 100, 100));
  TSample child(&form, &parent, Rect(10, 10, 30, 30));
  parent.fill = clYellow;
  child.fill = clTeal;
  user.Show(&form);
  child.paints = 0;
  parent.Repaint();
  EXPECT_EQ(child.paints, 0);
  EXPECT_EQ(PixelOf(user.Grab(&form).get(), 15, 15), clTeal);
  EXPECT_EQ(PixelOf(user.Grab(&form).get(), 5, 5), clYellow);
}

TEST_F(ControlsTest, AWndProcThatPaintsItselfDoesNotBlockLaterPaints) {
  // Regression: the queued flag was cleared only by the platform's paint handler, so a control
  // taking WM_PAINT itself was never queued again.
  struct OwnPaint : TSample {
    using TSample::TSample;
    int own = 0;
    void WndProc(TMessage& m) override {
      if (m.Msg == WM_PAINT) ++own;
      else TSample::WndProc(m);
    }
  } c(&form, &form);
  user.Show(&form);
  c.own = 0;
  c.Invalidate();
  user.Process();
  c.Invalidate();
  user.Process();
  EXPECT_EQ(c.own, 2);
}

TEST_F(ControlsTest, AGraphicControlsInvalidateRepaintsItThroughItsParent) {
  TSampleGraphic g(&form, &form, Rect(0, 0, 10, 10));
  user.Show(&form);
  g.paints = 0;
  g.Invalidate();
  g.Invalidate();
  user.Process();
  EXPECT_EQ(g.paints, 1);
  g.Hide();
  g.paints = 0;
  user.Process();
  EXPECT_EQ(g.paints, 0);
  EXPECT_EQ(PixelOf(user.Grab(&form).get(), 5, 5), ColorToRGB(clBtnFace));  // uncovered
}

TEST_F(ControlsTest, DirectPaintOfAHiddenControlDrawsNothing) {
  TSample c(&form, &form, Rect(0, 0, 20, 20));
  user.Show(&form);
  c.Hide();
  user.Process();
  c.fill = clRed;
  c.CallPaint();
  EXPECT_EQ(PixelOf(user.Grab(&form).get(), 5, 5), ColorToRGB(clBtnFace));
}

TEST_F(ControlsTest, ResizingTheFormResizesItsSurface) {
  user.Show(&form);
  form.SetBounds(form.Left(), form.Top(), 300, 90);
  EXPECT_EQ(form.Surface()->Width(), 300);
  EXPECT_EQ(form.Surface()->Height(), 90);
}

// --- layout -----------------------------------------------------------------------------------

struct AlignCase {
  TAlign align;
  TRect expected;
};

TEST_F(ControlsTest, AlignedControlsShareTheClientAreaInTopBottomLeftRightClientOrder) {
  // form client 200 x 120; each aligned control 20 thick
  const AlignCase cases[] = {{alTop, Rect(0, 0, 200, 20)},     {alBottom, Rect(0, 100, 200, 120)},
                             {alLeft, Rect(0, 20, 20, 100)},   {alRight, Rect(180, 20, 200, 100)},
                             {alClient, Rect(20, 20, 180, 100)}};
  std::vector<std::unique_ptr<TSample>> controls;
  for (const AlignCase& c : cases) {
    controls.push_back(std::make_unique<TSample>(nullptr, &form, Rect(5, 5, 25, 25)));
    controls.back()->SetAlign(c.align);
  }
  for (std::size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(controls[i]->BoundsRect(), cases[i].expected) << i;
  form.SetHeight(220);  // the parent's new size is shared out again
  EXPECT_EQ(controls[4]->BoundsRect(), Rect(20, 20, 180, 200));
}

// Regression: a form's OnResize ran before its aligned children were laid out again, so a handler
// reading their sizes saw the old ones.
TEST_F(ControlsTest, OnResizeSeesTheAlignedChildrenLaidOutAlready) {
  form.SetBounds(0, 0, 400, 300);
  TPanel top(&form), client(&form);
  top.SetParent(&form);
  top.SetHeight(40);
  top.SetAlign(alTop);
  client.SetParent(&form);
  client.SetAlign(alClient);
  TRect seen;
  form.OnResize = [&](TObject*) { seen = client.BoundsRect(); };
  form.SetBounds(0, 0, 600, 450);
  EXPECT_EQ(seen, Rect(0, 40, 600, 450));
}

TEST_F(ControlsTest, CanResizeMayRefuseAndResizeFiresOnce) {
  TSample c(&form, &form);
  int resized = 0;
  c.OnResize = [&](TObject*) { ++resized; };
  c.OnCanResize = [](TObject*, int& w, int&, bool& ok) {
    ok = w <= 100;
    w = std::max(w, 10);
  };
  c.SetBounds(0, 0, 5, 20);  // raised to 10 by the handler
  EXPECT_EQ(c.Width(), 10);
  c.SetBounds(0, 0, 500, 20);  // refused: nothing changes
  EXPECT_EQ(c.Width(), 10);
  c.SetBounds(7, 0, 10, 20);  // moving only: no resize
  EXPECT_EQ(resized, 1);
}

TEST_F(ControlsTest, TheTopmostOfOverlappingControlsGetsTheClickAndPaintsOnTop) {
  TSample lower(&form, &form, Rect(0, 0, 50, 50));
  TSample upper(&form, &form, Rect(25, 25, 75, 75));
  lower.fill = clRed;
  upper.fill = clBlue;
  user.Show(&form);
  user.Click(&form, 30, 30);
  EXPECT_EQ(std::count(upper.log.begin(), upper.log.end(), "click"), 1);
  lower.BringToFront();
  user.Advance(1000);
  user.Click(&form, 30, 30);
  EXPECT_EQ(std::count(lower.log.begin(), lower.log.end(), "click"), 1);
  EXPECT_EQ(PixelOf(user.Grab(&form).get(), 30, 30), clRed);
  EXPECT_EQ(form.Controls(1), &lower);
}

TEST_F(ControlsTest, APositionedFormIsCentredWhenShown) {
  form.SetPosition(poScreenCenter);
  user.Show(&form);
  EXPECT_EQ(form.BoundsRect(), Bounds((DesktopWidth - 200) / 2, (DesktopHeight - 120) / 2, 200, 120));
  TForm dialog(&form);
  dialog.SetBounds(0, 0, 100, 40);
  dialog.SetPosition(poOwnerFormCenter);
  user.Show(&dialog);
  EXPECT_EQ(dialog.Left(), form.Left() + 50);
  EXPECT_EQ(dialog.Top(), form.Top() + 40);
}

// --- properties -------------------------------------------------------------------------------

TEST_F(ControlsTest, ColourAndFontFollowTheParentUntilSetOwn) {
  TSample panel(&form, &form, Rect(0, 0, 100, 100));
  TSample child(&form, &panel);
  panel.SetColor(clNavy);
  EXPECT_EQ(child.Color(), clNavy);
  EXPECT_TRUE(child.ParentColor());
  child.SetColor(clMaroon);
  panel.SetColor(clOlive);
  EXPECT_EQ(child.Color(), clMaroon);
  EXPECT_FALSE(child.ParentColor());
  panel.Font()->SetName(u"Courier New");
  EXPECT_EQ(child.Font()->Name(), u"Courier New");
  child.Font()->SetHeight(-20);
  EXPECT_FALSE(child.ParentFont());
  panel.Font()->SetName(u"Arial");
  EXPECT_EQ(child.Font()->Name(), u"Courier New");
}

TEST_F(ControlsTest, ClientAndScreenCoordinatesConvertBothWays) {
  TSample panel(&form, &form, Rect(10, 20, 110, 120));
  TSample inner(&form, &panel, Rect(3, 4, 13, 14));
  EXPECT_EQ(inner.ClientToScreen(Point(1, 2)), Point(100 + 10 + 3 + 1, 50 + 20 + 4 + 2));
  EXPECT_EQ(inner.ScreenToClient(Point(114, 76)), Point(1, 2));
}

TEST_F(ControlsTest, SetTextSendsTextChangedOnlyOnChange) {
  TSample c(&form, &form);
  user.Show(&form);
  c.paints = 0;
  c.SetCaption(u"abc");
  c.SetText(u"abc");
  user.Process();
  EXPECT_EQ(c.Text(), u"abc");
  EXPECT_EQ(c.paints, 1);
}

TEST_F(ControlsTest, DestroyingAParentDestroysItsChildren) {
  auto* panel = new TSample(nullptr, &form);
  auto* child = new TSample(nullptr, panel);
  bool childGone = false;
  struct Watch : TComponent {
    bool* flag;
    Watch(bool* f) : TComponent(nullptr), flag(f) {}
    void Notification(TComponent*, TOperation op) override {
      if (op == opRemove) *flag = true;
    }
  } watch(&childGone);
  child->FreeNotification(&watch);
  delete panel;
  EXPECT_TRUE(childGone);
  EXPECT_EQ(form.ControlCount(), 0);
}

}  // namespace
