// TNTabEd: the popup menus, the mouse protocol, the heading editor, the comment memo, marks by menu
// and the clipboard.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Clipbrd.h"
#include "Menus.h"
#include "NTabEdTesting.h"
#include "Qelta_ntabed.h"

using namespace qelta;
using namespace qelta::testing;

namespace {

struct MenuEditor : EditorOnForm {
  TPopupMenu* opened = nullptr;  // the menu of the last opening
  int openings = 0;

  void SetUp() override {
    EditorOnForm::SetUp();
    ed->OnBeforePopup = [this](TObject*, TPopupMenu* m) {
      opened = m;
      ++openings;
    };
  }
  /// A right click as a person makes it: the release is queued before the menu's loop runs, so the
  /// menu gets the user's later clicks with no button held.
  void RightClick(int x, int y) {
    user.Advance(1000);
    user.SetAutoProcess(false);
    user.Press(ed, x, y, mbRight);
    user.Release(ed, x, y, mbRight);
    user.SetAutoProcess(true);
    user.Process();
  }
  void RightClickCell(int gridCol, int gridRow) {
    const TPoint p = Centre(ed->CellRect(gridCol, gridRow));
    RightClick(p.X, p.Y);
  }
  /// Chooses a path in the data popup opened over a data cell.
  void DataMenu(std::initializer_list<String> path, int col = 1, int row = 1) {
    user.WhenPopupShows(path);
    RightClickCell(col + ed->ColOffset(), row + ed->RowOffset());
  }
  /// Chooses a path in the heading popup opened over a grid cell.
  void HeadingMenu(std::initializer_list<String> path, int gridCol, int gridRow) {
    user.WhenPopupShows(path);
    RightClickCell(gridCol, gridRow);
  }
  /// Selects data cells (c1, r1) .. (c2, r2).
  void SelectData(int c1, int r1, int c2, int r2) {
    ed->SetSelection({c1 + ed->ColOffset(), r1 + ed->RowOffset(), c2 + ed->ColOffset(), r2 + ed->RowOffset()});
  }
  TGridRect DataSelection() const {
    const TGridRect s = ed->Selection();
    return {s.Left - ed->ColOffset(), s.Top - ed->RowOffset(), s.Right - ed->ColOffset(), s.Bottom - ed->RowOffset()};
  }
  template <class T>
  T* Child() const {
    for (int i = 0; i < ed->ControlCount(); ++i)
      if (auto* c = dynamic_cast<T*>(ed->Controls(i))) return c;
    return nullptr;
  }
  TMemo* Memo() const { return Child<TMemo>(); }
  TEdit* NameEdit() const { return Child<TEdit>(); }
  std::vector<std::string> Captions(TMenuItem* root) const {
    std::vector<std::string> out;
    for (int i = 0; i < root->Count(); ++i) out.push_back(StringToUtf8(root->Items(i)->Caption()));
    return out;
  }
  std::vector<std::string> Names(TMenuItem* root) const {
    std::vector<std::string> out;
    for (int i = 0; i < root->Count(); ++i) out.push_back(StringToUtf8(root->Items(i)->Name()));
    return out;
  }
};

}  // namespace

// [SECTION] menus

TEST_F(MenuEditor, TheDataPopupHasItsNamesCaptionsAndPlaceAndActsOnTheSelection) {
  SelectData(1, 1, 2, 2);
  const TRect cell = DataRect(3, 4);
  const TPoint p = Centre(cell);
  user.WhenPopupShows({});
  RightClick(p.X, p.Y);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Name(), u"PopupDTAction");
  EXPECT_EQ(opened->Alignment(), paLeft);
  EXPECT_TRUE(opened->AutoPopup());
  EXPECT_EQ(Captions(opened->Items()),
            (std::vector<std::string>{"Mark as type A", "Mark as type B", "Unmark type A", "Unmark type B", "Unmark All",
                                      "Clear", "Copy", "Paste", "Data Read-Only", "Extract from Clipboard",
                                      "Select All", "Toggle Empty State"}));
  EXPECT_EQ(Names(opened->Items())[0], "DIt1");
  EXPECT_EQ(Names(opened->Items())[11], "DIt12");
  const char* prefixes[] = {"M1It", "M2It", "U1It", "U2It"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Captions(opened->Items()->Items(i)), (std::vector<std::string>{"Range", "Column", "Row", "All"}));
    EXPECT_EQ(Names(opened->Items()->Items(i))[3], std::string(prefixes[i]) + "4");
  }
  EXPECT_FALSE(opened->Items()->Items(7)->Enabled());  // no copy yet
  EXPECT_TRUE(opened->Items()->Items(8)->HasBitmap());
  EXPECT_EQ(opened->PopupPoint(), Point(p.X + ed->ClientOrigin().X + 10, p.Y + ed->ClientOrigin().Y - 20));
  // The right press moved neither the selection nor the current cell: the menu acts on the selection.
  EXPECT_EQ(DataSelection(), (TGridRect{1, 1, 2, 2}));
  DataMenu({u"Mark as type A", u"Range"}, 3, 4);
  EXPECT_EQ(ed->NrOfMarkedDataA(), 4);
  EXPECT_TRUE(ed->GetElemMarkedA(2, 2));
  EXPECT_FALSE(ed->GetElemMarkedA(3, 4));
}

TEST_F(MenuEditor, TheReadOnlyItemShowsTheStateAndTogglesIt) {
  std::unique_ptr<TBitmap> shown[2];
  for (int i = 0; i < 2; ++i) {
    DataMenu({u"Data Read-Only"});
    shown[i] = std::make_unique<TBitmap>();
    shown[i]->Assign(opened->Items()->Items(8)->Bitmap());
  }
  EXPECT_TRUE(ed->DataReadOnly() == false);  // on, then off again
  ASSERT_EQ(shown[0]->Width(), 16);
  EXPECT_EQ(shown[1]->Height(), 16);
  bool same = true;  // the second opening showed the ticked box
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) same = same && shown[0]->Canvas()->Pixels(x, y) == shown[1]->Canvas()->Pixels(x, y);
  EXPECT_FALSE(same);
}

TEST_F(MenuEditor, TheHeadingPopupNamesItsItemsByTheHeadingAndOpensBesideIt) {
  const TRect name = ed->CellRect(2 + ed->ColOffset(), 0);
  HeadingMenu({}, 2 + ed->ColOffset(), 0);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Name(), u"PopupHTAction");
  EXPECT_EQ(Names(opened->Items()), (std::vector<std::string>{"HIt1", "HIt2", "HIt3", "HIt4", "HIt5"}));
  EXPECT_EQ(Captions(opened->Items()), (std::vector<std::string>{"Edit Heading", "Change Precision", "Select Column",
                                                                 "Insert Column", "Delete Column"}));
  EXPECT_TRUE(opened->Items()->Items(1)->Enabled());
  EXPECT_EQ(opened->PopupPoint(), Point(name.Left + ed->ClientOrigin().X + 20, name.Top + ed->ClientOrigin().Y + 20));
  HeadingMenu({}, 0, 3);
  EXPECT_EQ(Captions(opened->Items()), (std::vector<std::string>{"Edit Heading", "Change Precision", "Select Row",
                                                                 "Insert Row", "Delete Row"}));
  EXPECT_FALSE(opened->Items()->Items(1)->Enabled());  // precision belongs to columns
  ed->SetDataReadOnly(true);
  HeadingMenu({}, 0, 3);
  EXPECT_TRUE(opened->Items()->Items(2)->Enabled());
  EXPECT_FALSE(opened->Items()->Items(3)->Enabled());
  EXPECT_FALSE(opened->Items()->Items(4)->Enabled());
  openings = 0;
  HeadingMenu({}, 1, 0);  // the "Attrib" caption is no heading
  HeadingMenu({}, 0, 0);  // nor the corner
  EXPECT_EQ(openings, 0);
  ed->SetBlockInternalPopup(true);
  HeadingMenu({}, 0, 3);
  DataMenu({});
  EXPECT_EQ(openings, 0);
}

TEST_F(MenuEditor, TheHeadingOutlineShowsInvertedWhileTheMenuIsOpenOnly) {
  const TRect name = ed->CellRect(1 + ed->ColOffset(), 0);
  const auto before = user.Grab(ed);
  const TColor was = before->Canvas()->Pixels(name.Left, name.Top);
  TColor during = 0, inside = 0;
  user.WhenPopupShows([&](TPopupWindow*) {
    const auto now = user.Grab(ed);
    during = now->Canvas()->Pixels(name.Left, name.Top);
    inside = now->Canvas()->Pixels(name.Left + 5, name.Top + 5);
    user.PressKey(VK_ESCAPE);
  });
  RightClickCell(1 + ed->ColOffset(), 0);
  EXPECT_EQ(during & 0xFFFFFF, ~was & 0xFFFFFF);
  EXPECT_EQ(inside, before->Canvas()->Pixels(name.Left + 5, name.Top + 5));
  EXPECT_EQ(user.Grab(ed)->Canvas()->Pixels(name.Left, name.Top), was);
}

TEST_F(MenuEditor, MasksEnableItemsAndPasteWaitsForACopy) {
  // A mask with the paste bit set once enabled "Paste" before any copy, which then wrote the empty
  // copy's 0 into the table.
  ed->SetElem(1, 1, 7);
  log.Hook(*ed);
  ed->SetPopupDMask(0x80 | 0x40);  // Copy and Paste only
  EXPECT_EQ(log.Take(), "Setup");
  DataMenu({u"Paste"});
  EXPECT_FALSE(opened->Items()->Items(7)->Enabled());
  EXPECT_FALSE(opened->Items()->Items(4)->Enabled());  // Unmark All: bit 4 clear
  EXPECT_FALSE(opened->Items()->Items(0)->Enabled());
  ed->PopupMenuClickPaste(ed);
  EXPECT_EQ(ed->GetElem(1, 1), 7.0);
  DataMenu({u"Copy"});
  DataMenu({});
  EXPECT_TRUE(opened->Items()->Items(7)->Enabled());
  ed->SetDataReadOnly(true);
  DataMenu({});
  EXPECT_FALSE(opened->Items()->Items(7)->Enabled());
  EXPECT_TRUE(opened->Items()->Items(6)->Enabled());  // read-only keeps Copy
  ed->SetDataReadOnly(false);
  ed->SetPopupDMask(0x40);
  DataMenu({});
  EXPECT_FALSE(opened->Items()->Items(7)->Enabled());
  ed->SetPopupHMask(1);
  HeadingMenu({}, 2, 0);
  EXPECT_TRUE(opened->Items()->Items(0)->Enabled());
  for (int i = 1; i < 5; ++i) EXPECT_FALSE(opened->Items()->Items(i)->Enabled()) << i;
}

TEST_F(MenuEditor, CaptionsAreSetPerItemAndCutTo50) {
  ed->SetPopupDCaption(7, u"Kopieren");
  ed->SetPopupHCaption(1, String(60, u'x'));
  ed->SetPopupMCaption(2, u"Spalte");
  ed->SetPopupUCaption(4, u"Alle");
  ed->SetPopupDCaption(13, u"none");
  EXPECT_EQ(ed->GetPopupDCaption(7), u"Kopieren");
  EXPECT_EQ(ed->GetPopupHCaption(1), String(50, u'x'));
  EXPECT_EQ(ed->GetPopupMCaption(2), u"Spalte");
  EXPECT_EQ(ed->GetPopupUCaption(4), u"Alle");
  EXPECT_EQ(ed->GetPopupDCaption(0), u"");
  EXPECT_EQ(ed->GetPopupHCaption(6), u"");
  EXPECT_EQ(ed->GetPopupMCaption(5), u"");
  DataMenu({});
  EXPECT_EQ(opened->Items()->Items(1)->Items(1)->Caption(), u"Spalte");  // both mark submenus
  EXPECT_EQ(opened->Items()->Items(3)->Items(3)->Caption(), u"Alle");    // both unmark submenus
}

// [SECTION] mouse

TEST_F(MenuEditor, ASecondPressOnTheSameCellEditsAndEveryReleaseAllowsEditing) {
  ClickData(2, 2);
  EXPECT_FALSE(ed->EditorMode());
  EXPECT_TRUE(ed->Options().Contains(goEditing));
  ClickData(2, 2);
  EXPECT_TRUE(ed->EditorMode());
  user.Advance(1000);
  const TPoint p = Centre(DataRect(3, 3));
  user.Press(ed, p.X, p.Y);  // a first press on another cell: no editing until the release
  EXPECT_FALSE(ed->Options().Contains(goEditing));
  EXPECT_FALSE(ed->EditorMode());
  user.Release(ed, p.X, p.Y);
  EXPECT_TRUE(ed->Options().Contains(goEditing));
  ed->SetDataReadOnly(true);
  ClickData(3, 3);
  ClickData(3, 3);
  EXPECT_FALSE(ed->Options().Contains(goEditing));
  EXPECT_FALSE(ed->EditorMode());
}

// [SECTION] heading editor and comment memo

TEST_F(MenuEditor, TheHeadingEditorCommitsNamesAndAttributesOnEnterOnly) {
  ed->SetColAttVis(true);
  auto edit = [&](int gridCol, int gridRow, const String& text, Word key) {
    HeadingMenu({u"Edit Heading"}, gridCol, gridRow);
    ASSERT_TRUE(NameEdit()->Visible());
    NameEdit()->SetText(u"");
    user.TypeText(text);
    user.PressKey(key);
    EXPECT_FALSE(NameEdit()->Visible());
  };
  const int c2 = 2 + ed->ColOffset(), r3 = 3 + ed->RowOffset();
  HeadingMenu({u"Edit Heading"}, c2, 0);
  EXPECT_EQ(NameEdit()->Text(), u"C-2");
  const TRect name = ed->CellRect(c2, 0);
  EXPECT_EQ(NameEdit()->Left(), name.Left + 30);
  EXPECT_EQ(NameEdit()->Top(), name.Bottom + 5);
  user.PressKey(VK_ESCAPE);
  log.Hook(*ed);
  edit(c2, 0, u"Temp", VK_RETURN);
  EXPECT_EQ(ed->GetColName(2), u"Temp");
  EXPECT_EQ(log.Take(), "Heading");
  edit(c2, 0, u"Other", VK_ESCAPE);
  EXPECT_EQ(ed->GetColName(2), u"Temp");
  struct Case {
    const char16_t* text;
    int attrib;
  };
  for (const Case& k : {Case{u"300", 255}, Case{u"2.5", 2}, Case{u"-4", 0}, Case{u"3,5", 4}, Case{u"abc", 4}}) {
    edit(c2, 1, k.text, VK_RETURN);
    EXPECT_EQ(ed->GetColAttrib(2), k.attrib) << StringToUtf8(k.text);
  }
  edit(0, r3, u"Sample", VK_RETURN);
  EXPECT_EQ(ed->GetRowName(3), u"Sample");
  edit(1, r3, u"17", VK_RETURN);
  EXPECT_EQ(ed->GetRowAttrib(3), 17);
  ed->SetRowName(1, u"x");
  edit(0, 1 + ed->RowOffset(), String(60, u'n'), VK_RETURN);
  EXPECT_EQ(ed->GetRowName(1), String(50, u'n'));
}

TEST_F(MenuEditor, PressesAreIgnoredWhileTheHeadingEditorIsOpen) {
  HeadingMenu({u"Edit Heading"}, 1 + ed->ColOffset(), 0);
  const TGridRect sel = ed->Selection();
  ClickData(3, 3);
  EXPECT_EQ(ed->Selection(), sel);
  EXPECT_TRUE(NameEdit()->Visible());
  user.PressKey(VK_ESCAPE);
}

TEST_F(MenuEditor, TheCommentMemoCommitsOnEnterAndCancelsOnEscOrAPressOnTheCorner) {
  const TPoint corner = Centre(ed->CellRect(0, 0));
  ed->SetComment(u"old");
  RightClick(corner.X, corner.Y);
  ASSERT_TRUE(Memo()->Visible());
  EXPECT_TRUE(Memo()->Focused());
  EXPECT_EQ(Memo()->Text(), u"old");
  EXPECT_EQ(Memo()->Left(), ed->ColWidths(0));
  EXPECT_EQ(Memo()->Width(), 500 - ed->ColWidths(0) - 20);
  EXPECT_EQ(Memo()->Height(), 80);
  log.Hook(*ed);
  user.TypeText(u" and new");
  user.PressKey(VK_RETURN);  // taken: commits, no line break
  EXPECT_FALSE(Memo()->Visible());
  EXPECT_EQ(ed->Comment(), u"old and new");
  EXPECT_EQ(log.Take(), "Setup, Change");  // the table's comment setter fires its setup event
  RightClick(corner.X, corner.Y);
  user.TypeText(u"x");
  user.PressKey(VK_ESCAPE);
  EXPECT_EQ(ed->Comment(), u"old and new");
  RightClick(corner.X, corner.Y);
  user.TypeText(u"y");
  ClickData(2, 2);  // elsewhere: the memo stays
  EXPECT_TRUE(Memo()->Visible());
  user.Advance(1000);
  user.Click(ed, corner.X, corner.Y);
  EXPECT_FALSE(Memo()->Visible());
  EXPECT_EQ(ed->Comment(), u"old and new");
  ed->SetCommentEditingAllowed(false);
  RightClick(corner.X, corner.Y);
  EXPECT_FALSE(Memo()->Visible());
  EXPECT_EQ(openings, 0);
}

// [SECTION] headings

TEST_F(MenuEditor, ChangePrecisionStepsDownAndReopensTheMenu) {
  ed->SetDecPlaces(2, 0);
  std::vector<int> seen;
  ed->OnBeforePopup = [&](TObject*, TPopupMenu*) { seen.push_back(ed->GetDecPlaces(2)); };
  user.WhenPopupShows({u"Change Precision"});
  user.WhenPopupShows({u"Change Precision"});
  user.WhenPopupShows({});
  RightClickCell(2 + ed->ColOffset(), 0);
  EXPECT_EQ(seen, (std::vector<int>{0, -1, 10}));
  EXPECT_EQ(ed->GetDecPlaces(2), 10);
  EXPECT_EQ(user.OpenPopup(), nullptr);
}

TEST_F(MenuEditor, SelectInsertAndDeleteActOnThePressedHeading) {
  ed->SetElem(2, 1, 5);
  HeadingMenu({u"Insert Column"}, 2 + ed->ColOffset(), 0);
  EXPECT_EQ(ed->NrOfColumns(), 4);
  EXPECT_EQ(ed->GetColName(2), u"(...)");
  EXPECT_EQ(ed->GetColName(3), u"C-2");
  EXPECT_EQ(ed->GetElem(3, 1), 5.0);
  HeadingMenu({u"Insert Row"}, 0, 1 + ed->RowOffset());
  EXPECT_EQ(ed->NrOfRows(), 5);
  EXPECT_EQ(ed->GetRowName(1), u"(...)");
  HeadingMenu({u"Select Column"}, 3 + ed->ColOffset(), 0);
  EXPECT_EQ(DataSelection(), (TGridRect{3, 1, 3, 5}));
  HeadingMenu({u"Select Row"}, 0, 2 + ed->RowOffset());
  EXPECT_EQ(DataSelection(), (TGridRect{1, 2, 4, 2}));
  DataMenu({u"Select All"});
  EXPECT_EQ(DataSelection(), (TGridRect{1, 1, 4, 5}));
  HeadingMenu({u"Delete Column"}, 2 + ed->ColOffset(), 0);
  EXPECT_EQ(ed->GetColName(2), u"C-2");
  HeadingMenu({u"Delete Row"}, 0, 1 + ed->RowOffset());
  EXPECT_EQ(ed->NrOfRows(), 4);
  EXPECT_EQ(ed->GetRowName(1), u"R-1");
  ed->SetDataReadOnly(true);  // called directly, the handlers refuse as their items do
  ed->PopupMenuClickInsertCol(ed);
  ed->PopupMenuClickDeleteRow(ed);
  EXPECT_EQ(ed->NrOfColumns(), 3);
  EXPECT_EQ(ed->NrOfRows(), 4);
}

// [SECTION] cells

struct MarkCase {
  const char* name;
  void (TNTabEd::*handler)(TObject*);
  uint8_t start;     // every state before
  uint8_t affected;  // the state of the cells the handler reaches
  char region;       // 'S' selection, 'C' its columns, 'R' its rows, 'A' all
};

// Each handler runs in one pass over the table's states, or cell by cell while the table has an
// OnChangeCellState handler (which then hears every state that changed): the same states either way.
TEST(MarkHandlerTable, EachHandlerReachesItsCellsAndPaintsOnce) {
  const uint8_t A = csMarkA, B = csMarkB, E = csEmpty;
  const MarkCase cases[] = {
      {"MarkARange", &TNTabEd::PopupMenuClickMarkARange, E, E | A, 'S'},
      {"MarkAColumn", &TNTabEd::PopupMenuClickMarkAColumn, E, E | A, 'C'},
      {"MarkARow", &TNTabEd::PopupMenuClickMarkARow, E, E | A, 'R'},
      {"MarkAAll", &TNTabEd::PopupMenuClickMarkAAll, E, E | A, 'A'},
      {"MarkBRange", &TNTabEd::PopupMenuClickMarkBRange, A, A | B, 'S'},
      {"MarkBColumn", &TNTabEd::PopupMenuClickMarkBColumn, A, A | B, 'C'},
      {"MarkBRow", &TNTabEd::PopupMenuClickMarkBRow, A, A | B, 'R'},
      {"MarkBAll", &TNTabEd::PopupMenuClickMarkBAll, A, A | B, 'A'},
      {"UnMarkARange", &TNTabEd::PopupMenuClickUnMarkARange, A | B | E, B | E, 'S'},
      {"UnMarkAColumn", &TNTabEd::PopupMenuClickUnMarkAColumn, A | B | E, B | E, 'C'},
      {"UnMarkARow", &TNTabEd::PopupMenuClickUnMarkARow, A | B | E, B | E, 'R'},
      {"UnMarkAAll", &TNTabEd::PopupMenuClickUnMarkAAll, A | B | E, B | E, 'A'},
      {"UnMarkBRange", &TNTabEd::PopupMenuClickUnMarkBRange, A | B, A, 'S'},
      {"UnMarkBColumn", &TNTabEd::PopupMenuClickUnMarkBColumn, A | B, A, 'C'},
      {"UnMarkBRow", &TNTabEd::PopupMenuClickUnMarkBRow, A | B, A, 'R'},
      {"UnMarkBAll", &TNTabEd::PopupMenuClickUnMarkBAll, A | B, A, 'A'},
  };
  for (const MarkCase& k : cases) {
    for (const bool observed : {false, true}) {
      SCOPED_TRACE(std::string(k.name) + (observed ? " observed" : ""));
      TScriptedUser user;
      TForm form(nullptr);
      form.SetBounds(0, 0, 600, 400);
      auto* ed = new TTestEditor(&form);
      ed->SetParent(&form);
      ed->SetBounds(10, 10, 500, 300);
      user.Show(&form);
      ed->Redimension(5, 5);
      for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r) ed->Data->SetCellState(c, r, k.start);
      ed->SetSelection({2 + ed->ColOffset(), 2, 4 + ed->ColOffset(), 4});  // data (2,2)..(4,4): 3 x 3
      user.Process();
      TEventLog log;
      log.Hook(*ed);
      int stateEvents = 0;
      if (observed) ed->Data->OnChangeCellState = [&](TObject*) { ++stateEvents; };
      const int paints = ed->Paints;
      (ed->*k.handler)(ed);
      user.Process();
      EXPECT_EQ(ed->Paints, paints + 1);
      EXPECT_EQ(log.Take(), "States");
      const int reachedCells = k.region == 'A' ? 25 : k.region == 'S' ? 9 : 15;
      EXPECT_EQ(stateEvents, observed ? reachedCells : 0);
      std::string got, want;
      for (int r = 1; r <= 5; ++r)
        for (int c = 1; c <= 5; ++c) {
          const bool inCols = c >= 2 && c <= 4, inRows = r >= 2 && r <= 4;
          const bool reached = k.region == 'A' || (k.region == 'C' && inCols) || (k.region == 'R' && inRows) ||
                               (k.region == 'S' && inCols && inRows);
          got += std::to_string(ed->GetCellState(c, r)) + (c == 5 ? "\n" : " ");
          want += std::to_string(reached ? k.affected : k.start) + (c == 5 ? "\n" : " ");
        }
      EXPECT_EQ(got, want);
    }
  }
}

TEST_F(MenuEditor, ToggleEmptyTwiceRestoresAndClearZeroesTheSelection) {
  ed->SetCellState(1, 1, csEmpty | csMarkA);
  ed->SetCellState(2, 1, csNotANumber);
  ed->SetElem(2, 2, 8);
  ed->SetCellState(2, 2, csMarkB);
  ed->SetElem(3, 3, 9);
  SelectData(1, 1, 2, 2);
  DataMenu({u"Toggle Empty State"});
  EXPECT_EQ(ed->GetCellState(1, 1), csMarkA);
  EXPECT_EQ(ed->GetCellState(2, 1), csNotANumber | csEmpty);
  DataMenu({u"Toggle Empty State"});
  EXPECT_EQ(ed->GetCellState(1, 1), csEmpty | csMarkA);
  EXPECT_EQ(ed->GetCellState(2, 1), csNotANumber);
  EXPECT_EQ(ed->GetCellState(2, 2), csMarkB);
  log.Hook(*ed);
  DataMenu({u"Clear"});
  EXPECT_EQ(log.Take(), "Change, States");
  EXPECT_EQ(ed->GetElem(2, 2), 0.0);
  EXPECT_EQ(ed->GetCellState(2, 2), 0);
  EXPECT_EQ(ed->GetCellState(1, 1), 0);
  EXPECT_EQ(ed->GetElem(3, 3), 9.0);
  ed->SetElem(3, 3, 1);  // the table's OnChange leads to the editor again
  EXPECT_NE(log.Take().find("Change"), std::string::npos);
  ed->SetCellState(3, 3, csMarkA | csMarkB);
  DataMenu({u"Unmark All"});
  EXPECT_FALSE(ed->IfAnyMarked());
}

// [SECTION] clipboard

TEST_F(MenuEditor, CopyWritesTheExactTextAndKeepsTheCells) {
  ed->SetElem(1, 1, 1.5);
  ed->SetCellState(2, 1, csEmpty);
  ed->SetElem(1, 2, 3);
  ed->SetElem(2, 2, 4);
  ed->SetDecPlaces(1, 1);
  ed->SetDecPlaces(2, 1);
  ed->SetClipboardUseFullPrec(false);
  SelectData(1, 1, 2, 2);
  DataMenu({u"Copy"});
  EXPECT_EQ(user.ClipboardText(), u" 1.5\t####\r\n 3.0\t4.0\r\n");
  ed->SetClipboardUseFullPrec(true);
  ed->SetCellState(2, 2, csNotANumber);
  DataMenu({u"Copy"});
  // The line's blank, then strff's own field of 22 with 14 digits.
  EXPECT_EQ(user.ClipboardText(), u"  1.5000000000000E+0000\t####\r\n  3.0000000000000E+0000\t####\r\n");
  ed->Data->SetMScaleType(1, stNominal);  // nominal columns copy the ordinal
  ed->Data->SetNominalID(1, 2, "two");
  ed->SetElem(1, 1, 2);
  ed->SetClipboardUseFullPrec(false);
  SelectData(1, 1, 1, 1);
  DataMenu({u"Copy"});
  EXPECT_EQ(user.ClipboardText(), u" 2.0\r\n");
}

TEST_F(MenuEditor, PasteWritesTheCopyWithStatesAndSelectsACopySizedBlock) {
  ed->SetElem(1, 1, 1);
  ed->SetElem(2, 1, 2);
  ed->SetCellState(1, 2, csMarkA);
  ed->SetElem(2, 2, 4);
  SelectData(1, 1, 2, 2);
  DataMenu({u"Copy"});
  int pastes = 0;
  ed->OnPaste = [&](TObject*) { ++pastes; };
  SelectData(3, 4, 3, 4);  // the table is 3 x 4: only (3,4) lies inside
  log.Hook(*ed);
  DataMenu({u"Paste"}, 3, 4);
  EXPECT_EQ(ed->GetElem(3, 4), 1.0);
  EXPECT_EQ(DataSelection(), (TGridRect{3, 4, 4, 5}));
  EXPECT_EQ(pastes, 1);
  EXPECT_EQ(log.Take(), "Change, States");
  SelectData(2, 2, 2, 2);
  DataMenu({u"Paste"}, 2, 2);
  EXPECT_EQ(ed->GetElem(3, 2), 2.0);
  EXPECT_EQ(ed->GetCellState(2, 3), csMarkA);
  EXPECT_EQ(ed->GetElem(3, 3), 4.0);
}

namespace {
struct ExtractCase {
  const char* name;
  const char16_t* text;
};
}  // namespace

TEST_F(MenuEditor, ExtractReadsRowsByAnyLineEndAndSelectsTheBlock) {
  // Text with LF line ends lost its row breaks (row 2 landed in row 1), and lone CRs merged every row.
  for (const ExtractCase& k : {ExtractCase{"CR LF", u"1\t2\r\n3\t4"}, ExtractCase{"LF", u"1\t2\n3\t4"},
                               ExtractCase{"CR", u"1\t2\r3\t4\r"}, ExtractCase{"ends", u"1 2\r\n3 4\r\n"}}) {
    SCOPED_TRACE(k.name);
    ed->Fill(0);
    Clipboard()->SetAsText(k.text);
    SelectData(1, 1, 1, 1);
    DataMenu({u"Extract from Clipboard"});
    EXPECT_EQ(ed->GetElem(1, 1), 1.0);
    EXPECT_EQ(ed->GetElem(2, 1), 2.0);
    EXPECT_EQ(ed->GetElem(1, 2), 3.0);
    EXPECT_EQ(ed->GetElem(2, 2), 4.0);
    EXPECT_EQ(ed->GetElem(3, 1), 0.0);
    EXPECT_EQ(DataSelection(), (TGridRect{1, 1, 2, 2}));
  }
  Clipboard()->SetAsText(u"R-1 x 2,5");
  SelectData(2, 3, 2, 3);
  DataMenu({u"Extract from Clipboard"}, 2, 3);
  EXPECT_EQ(ed->GetElem(2, 3), -1.0);
  EXPECT_EQ(ed->GetElem(3, 3), 2.5);
}

TEST_F(MenuEditor, ExtractReadsAnExponentCutByTheTextsEndAsCutByABlank) {
  // A number whose exponent is cut off reads as a failed number (0) before a blank, a TAB or the
  // text's end, as its mantissa before a line end; every line end starts the next row once.
  struct TCase {
    const char16_t* text;
    double r1c1, r1c2, r2c1;
  };
  for (const TCase& k : {TCase{u"1.5E", 0, -9, -9}, TCase{u"1.5E\r\n2", 1.5, -9, 2}, TCase{u"2E-\t3", 0, 3, -9},
                         TCase{u"4E\n", 4, -9, -9}, TCase{u"5E+\r\r\n6", 5, -9, -9}, TCase{u"7 8E", 7, 0, -9}}) {
    SCOPED_TRACE(StringToUtf8(k.text));
    ed->Fill(-9);
    Clipboard()->SetAsText(k.text);
    SelectData(1, 1, 1, 1);
    ed->PopupMenuClickExtClip(ed);
    EXPECT_EQ(ed->GetElem(1, 1), k.r1c1);
    EXPECT_EQ(ed->GetElem(2, 1), k.r1c2);
    EXPECT_EQ(ed->GetElem(1, 2), k.r2c1);
  }
}

TEST_F(MenuEditor, ExtractKeepsTheColumnOfAFieldWithoutANumber) {
  // Copy writes "####" for a cell without a number; Extract skipped it, so the later values of its
  // line landed one column left.
  ed->SetCellState(1, 1, csEmpty);
  ed->SetElem(2, 1, 2);
  ed->SetElem(3, 1, 3);
  ed->SetElem(1, 2, 4);
  ed->SetCellState(2, 2, csNotANumber);
  ed->SetElem(3, 2, 6);
  SelectData(1, 1, 3, 2);
  DataMenu({u"Copy"});
  ed->Redimension(6, 4);
  for (int c = 4; c <= 6; ++c) ed->SetElem(c, 1, -9);
  SelectData(4, 1, 4, 1);
  DataMenu({u"Extract from Clipboard"}, 4, 1);
  EXPECT_EQ(ed->GetElem(4, 1), -9.0);  // "####": nothing written
  EXPECT_EQ(ed->GetElem(5, 1), 2.0);
  EXPECT_EQ(ed->GetElem(6, 1), 3.0);
  EXPECT_EQ(ed->GetElem(4, 2), 4.0);
  EXPECT_EQ(ed->GetElem(6, 2), 6.0);
  EXPECT_EQ(DataSelection(), (TGridRect{4, 1, 6, 2}));
  Clipboard()->SetAsText(u"1 ##### 2 a#### 3");  // only a field of exactly four
  SelectData(1, 3, 1, 3);
  ed->PopupMenuClickExtClip(ed);
  EXPECT_EQ(ed->GetElem(1, 3), 1.0);
  EXPECT_EQ(ed->GetElem(2, 3), 2.0);
  EXPECT_EQ(ed->GetElem(3, 3), 3.0);
}

TEST(NTabEdClipboard, GetClipMatrixSizeAnswersTheBlockExtractFills) {
  TScriptedUser user;  // a clean clipboard
  TNTabEd ed(nullptr);
  struct Case {
    const char16_t* text;
    bool result;
    int cols, rows;
  };
  const Case cases[] = {
      {u"1 2 3", true, 3, 1},          {u"1\t2\r\n3\t4\r\n", true, 2, 2}, {u"", false, 1, 1},
      {u"abc", false, 1, 1},           {u"1\t2\n3\t4", true, 2, 2},       {u"1\r2\r3", true, 1, 3},
      {u"1\n\n2\n\n", true, 1, 3},     {u"x\n1 2\n3", true, 2, 2},        {u"1 ####\n", true, 2, 1},
      {u"####\n####", false, 1, 1},    {u"1 2 3\n4\n", true, 3, 2},       {u"- . +", false, 1, 1},
  };
  int cols = 0, rows = 0;
  EXPECT_FALSE(ed.GetClipMatrixSize(cols, rows));  // no text at all
  EXPECT_EQ(cols, 1);
  EXPECT_EQ(rows, 1);
  for (const Case& k : cases) {
    Clipboard()->SetAsText(k.text);
    cols = rows = 0;
    EXPECT_EQ(ed.GetClipMatrixSize(cols, rows), k.result) << StringToUtf8(k.text);
    EXPECT_EQ(cols, k.cols) << StringToUtf8(k.text);
    EXPECT_EQ(rows, k.rows) << StringToUtf8(k.text);
  }
}
