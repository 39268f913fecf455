// The table editor's scroll bars as a person uses them. Over a 10,000-row table the vertical thumb
// dragged to the middle of its track shows the rows around 5,000: headless with the scripted user, and
// in a desktop window fed the input a display delivers (SDL events; WindowBackend* tests, run once more
// on an Xvfb display by TableEditorScrollOnXvfb). The in-place editor and the pick list stop at the bar.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "Forms.h"
#include "GoldenImage.h"
#include "Qelta_ntabed.h"
#include "ScrollBarTesting.h"
#include "Testing.h"
#include "WindowBackend.h"
#include "WindowBackendTesting.h"

#ifdef QELTA_WITH_SDL
#include <SDL.h>
#endif

using namespace qelta;
using qelta::testing::BarShown;
using qelta::testing::PartCentre;
using qelta::testing::TrackCentre;
using qelta::testing::TScrollPart;

namespace {

/// A 3 x 10,000 table in an editor of 400 x 300 on a form at (20, 20).
struct BigTable {
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TNTabEd* ed = new TNTabEd(form.get());

  BigTable() {
    form->SetBounds(20, 20, 440, 340);
    ed->SetParent(form.get());
    ed->SetBounds(10, 10, 400, 300);
    ed->SetNrRows(10000);
  }
};

/// Mouse input at client points of the editor, from the scripted user or from a display.
struct Mouse {
  std::function<void(TPoint)> press, move, release;
};

/// The person's drag: the thumb taken by its middle, moved in steps to the middle of the track.
void DragThumbToTheMiddle(TNTabEd* ed, const Mouse& mouse) {
  const TPoint thumb = PartCentre(ed, true, TScrollPart::Thumb);
  const TPoint middle = TrackCentre(ed, true);
  mouse.press(thumb);
  for (int i = 1; i <= 8; ++i) mouse.move(Point(thumb.X, thumb.Y + (middle.Y - thumb.Y) * i / 8));
  mouse.release(middle);
}

void ExpectRowsAroundTheMiddle(const TNTabEd* ed) {
  EXPECT_NEAR(ed->TopRow(), 5000, ed->VisibleRowCount()) << "TopRow " << ed->TopRow();
  EXPECT_EQ(ed->Row(), 1);  // the current cell stays where it was
}

TEST(TableEditorScroll, TheThumbDraggedToTheMiddleShowsTheRowsAroundTheMiddle) {
  TScriptedUser user;
  BigTable t;
  user.Show(t.form.get());
  ASSERT_TRUE(BarShown(t.ed, true));
  EXPECT_FALSE(BarShown(t.ed, false));  // three columns fit beside the bar
  DragThumbToTheMiddle(t.ed, {[&](TPoint p) { user.Press(t.ed, p.X, p.Y); },
                              [&](TPoint p) { user.MoveTo(t.ed, p.X, p.Y); },
                              [&](TPoint p) { user.Release(t.ed, p.X, p.Y); }});
  ExpectRowsAroundTheMiddle(t.ed);
  std::vector<TRect> texts;  // every visible cell's text, compared by its box
  for (int r = 0; r < t.ed->RowCount(); ++r)
    for (int c = 0; c < t.ed->ColCount(); ++c)
      if (const TRect cell = t.ed->CellRect(c, r); cell.Right > cell.Left)
        texts.push_back(Rect(cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1));
  EXPECT_GOLDEN(*user.Grab(t.ed), "ntabed-scrolled", texts);
}

TEST(TableEditorScroll, TheInplaceEditorAndItsPickListButtonStopAtTheBar) {
  TScriptedUser user;
  BigTable t;
  t.ed->Data->SetMScaleType(3, stNominal);
  t.ed->Data->SetNominalID(3, 1, "river");
  t.ed->SetColWidths(3, 400);  // the last column runs under the vertical bar
  user.Show(t.form.get());
  t.ed->SetOptions(t.ed->Options() | TGridOptions{goEditing});
  t.ed->SetFocus();
  t.ed->MoveColRow(3 + t.ed->ColOffset(), 1, true, true);
  user.PressKey(VK_F2);
  auto* editor = dynamic_cast<TInplaceEditList*>(t.ed->InplaceEditor());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->BoundsRect().Right, t.ed->ClientWidth());
  user.Click(editor, editor->Width() - 4, 5);  // the pick list's button, left of the bar
  EXPECT_TRUE(editor->ListVisible());
  user.PressKey(VK_ESCAPE);
}

TEST(TableEditorScroll, ALongCommentIsScrolledByItsMemosBarWhileTheMemoStaysOpen) {
  TScriptedUser user;
  BigTable t;
  t.ed->SetComment(u"Samples of the spring campaign, taken at dawn before the river rose; see the field book");
  user.Show(t.form.get());
  const TRect corner = t.ed->CellRect(0, 0);
  user.Click(t.ed, corner.Left + 5, corner.Top + 5, mbRight);
  TMemo* memo = nullptr;
  for (int i = 0; i < t.ed->ControlCount(); ++i)
    if (auto* m = dynamic_cast<TMemo*>(t.ed->Controls(i))) memo = m;
  ASSERT_NE(memo, nullptr);
  ASSERT_TRUE(memo->Visible());
  ASSERT_TRUE(BarShown(memo, false));  // one long line: a horizontal bar
  EXPECT_LE(memo->BoundsRect().Right, t.ed->ClientWidth());  // the memo leaves the editor's own bar free
  const auto* bar = qelta::testing::ScrollBarOf(memo, false);
  EXPECT_EQ(bar->Info().Position, bar->Info().Max);  // the caret after the text is in view
  const TPoint thumb = PartCentre(memo, false, TScrollPart::Thumb);
  user.Drag(memo, thumb.X, thumb.Y, -200, thumb.Y);
  EXPECT_EQ(bar->Info().Position, 0);
  EXPECT_TRUE(memo->Visible());
  user.PressKey(VK_RETURN);
  EXPECT_FALSE(memo->Visible());
}

#ifdef QELTA_WITH_SDL

/// The window backend on SDL's offscreen driver unless the run names another display (Xvfb).
class WindowBackendTableEditor : public qelta::testing::TWindowBackendFixture {
 protected:
  /// A mouse event at a client point of the editor, as SDL delivers it to the form's window.
  static void Push(const TNTabEd* ed, Uint32 type, TPoint p) {
    const TForm* form = GetParentForm(ed);
    auto* window = static_cast<SDL_Window*>(platform_detail::WindowBackend().NativeWindow(form));
    ASSERT_NE(window, nullptr);
    const TPoint at = Point(p.X + ed->Left(), p.Y + ed->Top());
    if (type == SDL_MOUSEMOTION) {
      SDL_Event e{};
      e.type = type;
      e.motion.windowID = SDL_GetWindowID(window);
      e.motion.state = SDL_BUTTON_LMASK;
      e.motion.x = at.X;
      e.motion.y = at.Y;
      SDL_PushEvent(&e);
    } else {
      qelta::testing::PushLeftButton(SDL_GetWindowID(window), type == SDL_MOUSEBUTTONDOWN, at.X, at.Y);
    }
    Application->ProcessMessages();
  }
};

TEST_F(WindowBackendTableEditor, TheThumbDraggedToTheMiddleInAWindowShowsTheRowsAroundTheMiddle) {
  TScriptedUser session;  // a clean start: pointer off every form, no buttons held
  BigTable t;
  t.form->Show();
  Application->ProcessMessages();
  ASSERT_TRUE(BarShown(t.ed, true));
  DragThumbToTheMiddle(t.ed, {[&](TPoint p) { Push(t.ed, SDL_MOUSEBUTTONDOWN, p); },
                              [&](TPoint p) { Push(t.ed, SDL_MOUSEMOTION, p); },
                              [&](TPoint p) { Push(t.ed, SDL_MOUSEBUTTONUP, p); }});
  ExpectRowsAroundTheMiddle(t.ed);
}

#endif

}  // namespace
