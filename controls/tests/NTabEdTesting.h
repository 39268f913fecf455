#pragma once
// The table editor on a shown form for the tests: paints counted, events logged, text in a cell
// told by the box of its ink and its colour.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Forms.h"
#include "Qelta_ntabed.h"
#include "Testing.h"

namespace qelta::testing {

/// An editor that counts the grid paints that got through (the corner is drawn once per paint).
class TTestEditor : public TNTabEd {
 public:
  explicit TTestEditor(TComponent* AOwner) : TNTabEd(AOwner) {}
  int Paints = 0;
  int DataCellsDrawn = 0;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
    if (ACol == 0 && ARow == 0) ++Paints;
    if (ACol > ColOffset() && ARow > RowOffset()) ++DataCellsDrawn;
    TNTabEd::DrawCell(ACol, ARow, ARect, AState);
  }
};

/// Every event of the editor as a word, in order: "Change, Setup, ...".
struct TEventLog {
  std::string text;
  void Hook(TNTabEd& e) {
    auto add = [this](const char* word) {
      return [this, word](TObject*) { text += (text.empty() ? "" : ", ") + std::string(word); };
    };
    e.OnChange = add("Change");
    e.OnHeadingChanged = add("Heading");
    e.OnAttributeChanged = add("Attrib");
    e.OnLayoutChanged = add("Layout");
    e.OnCellStateChanged = add("States");
    e.OnChangeSetup = add("Setup");
  }
  std::string Take() { return std::exchange(text, std::string()); }
};

/// The editor (500 x 300 at 10, 10) on a shown form, its paints processed.
struct EditorOnForm : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TTestEditor* ed = new TTestEditor(form.get());
  TEventLog log;

  void SetUp() override {
    form->SetBounds(0, 0, 600, 400);
    ed->SetName(u"Tab1");
    ed->SetParent(form.get());
    ed->SetBounds(10, 10, 500, 300);
    user.Show(form.get());
  }
  /// Grid cell of a data cell.
  TRect DataRect(int col, int row) const { return ed->CellRect(col + ed->ColOffset(), row + ed->RowOffset()); }
  TPoint Centre(const TRect& r) const { return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  /// A click on a data cell, never taken as a double click.
  void ClickData(int col, int row) {
    user.Advance(1000);
    const TPoint p = Centre(DataRect(col, row));
    user.Click(ed, p.X, p.Y);
  }
  /// The user may edit (the mouse release grants it in the full editor).
  void AllowEditing() { ed->SetOptions(ed->Options() | TGridOptions{goEditing}); }
  /// Clicks the cell, types the text and presses Enter.
  void TypeInto(int col, int row, const String& text) {
    ClickData(col, row);
    user.TypeText(text);
    user.PressKey(VK_RETURN);
  }
};

/// Box of the pixels of `area` that differ from `back`, relative to the area's top-left; empty when none.
inline TRect InkBox(TBitmap& picture, const TRect& area, TColor back) {
  TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  const TColor b = ColorToRGB(back);
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x) {
      if ((picture.Canvas()->Pixels(x, y) & 0xFFFFFF) == b) continue;
      box.Left = std::min(box.Left, x - area.Left);
      box.Top = std::min(box.Top, y - area.Top);
      box.Right = std::max(box.Right, x - area.Left + 1);
      box.Bottom = std::max(box.Bottom, y - area.Top + 1);
    }
  return box.Left == INT32_MAX ? TRect{} : box;
}

/// True when a pixel of `area` has the colour.
inline bool HasColor(TBitmap& picture, const TRect& area, TColor color) {
  const TColor c = ColorToRGB(color);
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x)
      if ((picture.Canvas()->Pixels(x, y) & 0xFFFFFF) == c) return true;
  return false;
}

/// What a text leaves in an area of the given size: drawn alone at (dx, dy) with the font, style and
/// colours, clipped to the area.
inline TRect ExpectedInk(const TFont* font, TFontStyles style, TColor color, TColor back, const TRect& area, int dx,
                         int dy, const String& text) {
  TBitmap picture(std::max(area.Width(), 1), std::max(area.Height(), 1));
  TCanvas* c = picture.Canvas();
  c->Font()->Assign(const_cast<TFont*>(font));
  c->Font()->SetStyle(style);
  c->Font()->SetColor(color);
  c->Brush()->SetColor(back);
  c->TextRect(Rect(0, 0, area.Width(), area.Height()), dx, dy, text);
  return InkBox(picture, Rect(0, 0, area.Width(), area.Height()), back);
}

}  // namespace qelta::testing
