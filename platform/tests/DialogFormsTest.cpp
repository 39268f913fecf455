// The save and colour dialogs' own forms and the message box's, as a person answers them: headless
// through the scripted user (UseDialogForms), in a desktop window (WindowedDialogs*, also on Xvfb) with
// the input a display delivers, on a bare X display with real key presses (BareDesktopMessageBox*), and
// their looks (golden pictures). Also the pieces the forms stand on: the filter text, the folder
// listing, the name typed, the RGB and HSL arithmetic, the buttons of a box.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Buttons.h"
#include "ColorDialogForm.h"
#include "ComboBoxes.h"
#include "Dialogs.h"
#include "Edits.h"
#include "FileSys.h"
#include "FileTestKit.h"
#include "GoldenImage.h"
#include "Grids.h"
#include "Labels.h"
#include "MessageBoxForm.h"
#include "Panels.h"
#include "SaveDialogForm.h"
#include "Screen.h"
#include "Testing.h"
#include "WindowBackend.h"
#include "WindowBackendTesting.h"

#ifdef QELTA_WITH_SDL
#include "SdlBackend.h"
#endif
#ifdef QELTA_WITH_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#endif

using namespace qelta;
using namespace qelta::platform_detail;

namespace {

/// The control of the form with the name and class; fails the test when there is none.
template <typename T>
T* Find(TForm* form, const String& name) {
  auto* c = dynamic_cast<T*>(form->FindComponent(name));
  EXPECT_NE(c, nullptr) << "no " << StringToUtf8(name);
  return c;
}

/// The middle of a grid cell, in the grid's client coordinates.
TPoint CellCentre(TCustomGrid* grid, int col, int row) {
  const TRect r = grid->CellRect(col, row);
  return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

void ClickCell(TScriptedUser& user, TCustomGrid* grid, int col, int row) {
  const TPoint p = CellCentre(grid, col, row);
  user.Click(grid, p.X, p.Y);
}

/// Clicks into the edit and types the text over what it held.
void Retype(TScriptedUser& user, TEdit* edit, const String& text) {
  user.Click(edit, 5, 5);
  user.PressKey(VK_HOME);
  user.PressKey(VK_END, {ssShift});
  user.TypeText(text);
}

// [SECTION] the pieces

TEST(SaveDialogPieces, FilterTextsSplitIntoDescriptionsAndMasks) {
  struct Case {
    String filter;
    std::vector<String> descriptions;
    std::vector<std::vector<String>> masks;
  };
  const Case cases[] = {
      {u"", {}, {}},
      {u"CSV (*.csv)|*.csv", {u"CSV (*.csv)"}, {{u"*.csv"}}},
      {u"Text|*.txt; *.log|All|*.*", {u"Text", u"All"}, {{u"*.txt", u"*.log"}, {u"*.*"}}},
      {u"Data|*.dat|", {u"Data"}, {{u"*.dat"}}},    // a trailing bar adds nothing
      {u"Anything", {u"Anything"}, {{u"*"}}},       // no masks: every file
      {u"Odd|;;|", {u"Odd"}, {{u"*"}}},
  };
  for (const Case& c : cases) {
    const std::vector<TFilterEntry> entries = ParseFilter(c.filter);
    ASSERT_EQ(entries.size(), c.descriptions.size()) << StringToUtf8(c.filter);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].Description, c.descriptions[i]);
      EXPECT_EQ(entries[i].Masks, c.masks[i]);
    }
  }
}

TEST(SaveDialogPieces, TypedNamesResolveInTheFolderAndTakeTheDefaultExtension) {
  const String home = IncludeTrailingPathDelimiter(GetEnvironmentVariable(u"HOME"));
  EXPECT_EQ(ResolveTypedName(u"/data/run/", u"out.csv"), u"/data/run/out.csv");
  EXPECT_EQ(ResolveTypedName(u"/data/run", u"../x/out.csv"), u"/data/x/out.csv");
  EXPECT_EQ(ResolveTypedName(u"/data/run/", u"/tmp/a.txt"), u"/tmp/a.txt");
  EXPECT_EQ(ResolveTypedName(u"/data/run/", u"~/a.txt"), ExpandFileName(home + u"a.txt"));

  const TFilterEntry csv{u"CSV", {u"*.csv"}}, any{u"All", {u"*.*"}}, two{u"Text", {u"*.t?t", u"*.log"}};
  struct Case {
    String name;
    const TFilterEntry* filter;
    String defaultExt, expected;
  };
  const Case cases[] = {
      {u"/d/report", &csv, u"txt", u"/d/report.csv"},  // the filter entry's extension wins
      {u"/d/report", &any, u"txt", u"/d/report.txt"},  // a wildcard extension names none
      {u"/d/report", &two, u".txt", u"/d/report.txt"},
      {u"/d/report", nullptr, u"dat", u"/d/report.dat"},
      {u"/d/report", &csv, u"", u"/d/report"},         // no DefaultExt: nothing is added
      {u"/d/report.final", &csv, u"txt", u"/d/report.final"},
  };
  for (const Case& c : cases) EXPECT_EQ(WithDefaultExt(c.name, c.filter, c.defaultExt), c.expected) << StringToUtf8(c.name);
}

TEST(SaveDialogPieces, AFolderListsItsSubfoldersFirstThenTheFilesTheMasksMatch) {
  test::TempDir dir;
  for (const char* name : {"b.csv", "A.csv", "notes.txt", ".hidden.csv"}) dir.Put(name, "1234");
  ASSERT_EQ(::mkdir(dir.NativeOf("zeta").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(dir.NativeOf("Alpha").c_str(), 0700), 0);
  ASSERT_EQ(::symlink(dir.NativeOf("zeta").c_str(), dir.NativeOf("link").c_str()), 0);
  auto names = [](const std::vector<TFolderEntry>& entries) {
    std::vector<String> out;
    for (const TFolderEntry& e : entries) out.push_back((e.IsFolder ? u"/" : u"") + e.Name);
    return out;
  };
  const std::vector<TFolderEntry> csv = ListFolder(dir / "", {u"*.csv"});
  EXPECT_EQ(names(csv), (std::vector<String>{u"/Alpha", u"/link", u"/zeta", u"A.csv", u"b.csv"}));
  EXPECT_EQ(csv.back().Size, 4);
  EXPECT_EQ(names(ListFolder(dir / "", {u"*.txt", u"*.log"})), (std::vector<String>{u"/Alpha", u"/link", u"/zeta", u"notes.txt"}));
  EXPECT_TRUE(ListFolder(dir / "missing", {u"*"}).empty());
}

TEST(ColorArithmetic, RgbAndHslAgreeWithReferenceValues) {
  struct Case {
    TColor rgb;
    THsl hsl;
  };
  // Reference values of the hexcone model (the usual web colour tables).
  const Case cases[] = {
      {RGB(255, 0, 0), {0, 100, 50}},     {RGB(0, 128, 0), {120, 100, 25}},  {RGB(0, 0, 128), {240, 100, 25}},
      {RGB(255, 128, 0), {30, 100, 50}},  {RGB(128, 128, 128), {0, 0, 50}},  {RGB(255, 255, 255), {0, 0, 100}},
      {RGB(0, 0, 0), {0, 0, 0}},          {RGB(255, 0, 255), {300, 100, 50}}, {RGB(70, 130, 180), {207, 44, 49}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RgbToHsl(c.rgb), c.hsl) << StringToUtf8(ColorToString(c.rgb));
    if (c.hsl.S == 100 || c.hsl.S == 0) {
      EXPECT_EQ(HslToRgb(c.hsl), c.rgb);
    }
  }
  EXPECT_EQ(HslToRgb({360 + 120, 100, 25}), RGB(0, 128, 0));  // the hue wraps
  EXPECT_EQ(HslToRgb({-240, 100, 25}), RGB(0, 128, 0));
  EXPECT_EQ(HslToRgb({0, 150, 120}), RGB(255, 255, 255));     // clamped
  // The grid's colours of full saturation go round unchanged (a grey may not: HSL shows whole percents).
  const std::vector<TColor> basic = BasicColors();
  ASSERT_EQ(basic.size(), 48u);
  for (std::size_t i = 0; i < 40; ++i) EXPECT_EQ(HslToRgb(RgbToHsl(basic[i])), basic[i]) << i;
  for (TColor vga : {clRed, clMaroon, clLime, clGreen, clBlue, clNavy, clYellow, clOlive, clAqua, clTeal, clFuchsia,
                     clPurple, clBlack, clGray, clSilver, clWhite})
    EXPECT_NE(std::find(basic.begin(), basic.end(), vga), basic.end()) << StringToUtf8(ColorToString(vga));
}

// [SECTION] the save dialog's form, headless

class SaveDialogForm : public ::testing::Test {
 protected:
  SaveDialogForm() {
    user.UseDialogForms();
    dir.Put("b.csv", std::string(2000, 'x'));
    dir.Put("a.txt", "abc");
    dir.Put(".hidden.csv", "");
    ::mkdir(dir.NativeOf("sub").c_str(), 0700);
    dialog.SetInitialDir(dir / "");
    dialog.SetFilter(u"CSV files (*.csv)|*.csv|Text files|*.txt;*.log|All files|*.*");
    dialog.SetTitle(u"Export");
  }
  /// Runs the dialog with the script; answers what Execute answered.
  bool Run(std::function<void(TForm*)> script) {
    user.WhenModalShows(std::move(script));
    return dialog.Execute();
  }
  TScriptedUser user;
  test::TempDir dir;
  TSaveDialog dialog{nullptr};
};

TEST_F(SaveDialogForm, ANameTypedComesBackAsAFullPathWithTheFilterEntrysExtension) {
  dialog.SetFileName(u"proposed.csv");
  dialog.SetDefaultExt(u"txt");
  ASSERT_TRUE(Run([&](TForm* f) {
    EXPECT_EQ(f->Caption(), u"Export");
    EXPECT_EQ(Find<TEdit>(f, u"FileNameEdit")->Text(), u"proposed.csv");
    EXPECT_EQ(Find<TDrawGrid>(f, u"FileList")->RowCount(), 3);  // header, sub/, b.csv
    user.TypeText(u"report");                                   // the proposed name is selected: replaced
    user.Click(Find<TSpeedButton>(f, u"SaveButton"), 10, 10);
  }));
  EXPECT_EQ(dialog.FileName(), dir / "report.csv");
  EXPECT_EQ(dialog.FilterIndex(), 1);
  ASSERT_EQ(user.MessageLog().size(), 1u);
  EXPECT_EQ(user.MessageLog()[0].Kind, u"TSaveDialog");
  EXPECT_EQ(user.MessageLog()[0].Answer, mrOk);
}

TEST_F(SaveDialogForm, TheListOpensFoldersPicksFilesAndFollowsTheFilter) {
  ASSERT_TRUE(Run([&](TForm* f) {
    auto* list = Find<TDrawGrid>(f, u"FileList");
    auto* name = Find<TEdit>(f, u"FileNameEdit");
    auto* folder = Find<TPanel>(f, u"FolderPanel");
    ClickCell(user, list, 0, 2);
    EXPECT_EQ(name->Text(), u"b.csv");
    user.DoubleClick(list, CellCentre(list, 0, 1).X, CellCentre(list, 0, 1).Y);  // sub/
    EXPECT_TRUE(folder->Caption().ends_with(u"/sub/")) << StringToUtf8(folder->Caption());
    EXPECT_EQ(list->RowCount(), 2);  // "(no matching files)"
    user.Click(Find<TSpeedButton>(f, u"UpButton"), 5, 5);
    EXPECT_EQ(list->RowCount(), 3);
    auto* combo = Find<TComboBox>(f, u"FilterCombo");
    user.Click(combo, combo->Width() - 5, 5);
    user.ClickPopupEntry(u"Text files");
    EXPECT_EQ(list->RowCount(), 3);  // sub/, a.txt
    ClickCell(user, list, 0, 2);
    EXPECT_EQ(name->Text(), u"a.txt");
    user.DoubleClick(list, CellCentre(list, 0, 2).X, CellCentre(list, 0, 2).Y);  // saves
  }));
  EXPECT_EQ(dialog.FileName(), dir / "a.txt");
  EXPECT_EQ(dialog.FilterIndex(), 2);
}

// Regression: a press on the list's empty part below its entries put the current entry's name
// over the one typed.
TEST_F(SaveDialogForm, APressBelowTheEntriesLeavesTheTypedName) {
  ASSERT_TRUE(Run([&](TForm* f) {
    auto* list = Find<TDrawGrid>(f, u"FileList");
    auto* name = Find<TEdit>(f, u"FileNameEdit");
    ClickCell(user, list, 0, 2);
    Retype(user, name, u"mine");
    ASSERT_LT(list->CellRect(0, list->RowCount() - 1).Bottom, list->ClientHeight() - 4);
    user.Click(list, 5, list->ClientHeight() - 4);
    EXPECT_EQ(name->Text(), u"mine");
    user.Click(Find<TSpeedButton>(f, u"SaveButton"), 10, 10);
  }));
  EXPECT_EQ(dialog.FileName(), dir / "mine");
}

TEST_F(SaveDialogForm, TypedFoldersWildcardsAndPathsGoWhereAPersonExpects) {
  test::TempDir other;
  ASSERT_TRUE(Run([&](TForm* f) {
    auto* list = Find<TDrawGrid>(f, u"FileList");
    user.TypeText(u"*.txt\r");  // a wildcard filters the list
    EXPECT_EQ(list->RowCount(), 3);
    ClickCell(user, list, 0, 2);
    EXPECT_EQ(Find<TEdit>(f, u"FileNameEdit")->Text(), u"a.txt");
    Retype(user, Find<TEdit>(f, u"FileNameEdit"), u"sub\r");  // a folder opens
    EXPECT_TRUE(Find<TPanel>(f, u"FolderPanel")->Caption().ends_with(u"/sub/"));
    EXPECT_EQ(Find<TEdit>(f, u"FileNameEdit")->Text(), u"");
    user.TypeText(other / "x.dat");
    user.PressKey(VK_RETURN);
  }));
  EXPECT_EQ(dialog.FileName(), other / "x.dat");
}

TEST_F(SaveDialogForm, AnExistingFileAsksAndNoReturnsToTheDialog) {
  dialog.SetOptions({ofOverwritePrompt});
  dialog.SetDefaultExt(u"csv");
  user.AnswerNextBox(mrNo);
  user.AnswerNextBox(mrYes);
  ASSERT_TRUE(Run([&](TForm* f) {
    user.TypeText(u"b.csv\r");
    EXPECT_TRUE(f->Visible());  // No: the dialog stays
    EXPECT_TRUE(Find<TEdit>(f, u"FileNameEdit")->Focused());
    user.TypeText(u"b\r");      // the name was selected again; the extension comes from the filter
  }));
  EXPECT_EQ(dialog.FileName(), dir / "b.csv");
  const auto& log = user.MessageLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].Text, u"b.csv already exists.\nDo you want to replace it?");
  EXPECT_EQ(log[0].Caption, u"Export");
  EXPECT_EQ(log[0].Answer, mrNo);
  EXPECT_EQ(log[1].Answer, mrYes);
  // Unscripted, the question answers No (its default button): nothing is overwritten unasked.
  EXPECT_FALSE(Run([&](TForm*) { user.TypeText(u"b.csv\r"); }));
  EXPECT_EQ(user.MessageLog()[3].Answer, mrNo);
}

TEST_F(SaveDialogForm, EscAndAMissingFolderLeaveTheNameAlone) {
  dialog.SetFileName(u"kept.csv");
  dialog.SetOptions({ofPathMustExist});
  EXPECT_FALSE(Run([&](TForm* f) {
    user.TypeText(u"nosuch/x.csv\r");
    EXPECT_TRUE(f->Visible());
    user.PressKey(VK_ESCAPE);
  }));
  EXPECT_EQ(dialog.FileName(), u"kept.csv");
  ASSERT_EQ(user.MessageLog().size(), 2u);
  EXPECT_EQ(user.MessageLog()[0].Text, u"The folder \"" + dir / "nosuch" + u"\" does not exist.");
  EXPECT_EQ(user.MessageLog()[1].Answer, mrCancel);
  EXPECT_FALSE(Run([&](TForm* f) { user.Click(Find<TSpeedButton>(f, u"CancelButton"), 5, 5); }));
  EXPECT_FALSE(Run([&](TForm* f) { f->Close(); }));  // the window closed
  EXPECT_EQ(dialog.FileName(), u"kept.csv");
}

TEST_F(SaveDialogForm, AScriptedAnswerStillComesFirstAndNoFormIsShown) {
  user.AnswerNextSaveDialog(u"/scripted.csv");
  user.SetStrict(true);  // a form shown would raise: none is
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), u"/scripted.csv");
}

// [SECTION] the colour dialog's form, headless

class ColorDialogForm : public ::testing::Test {
 protected:
  ColorDialogForm() {
    user.UseDialogForms();
    dialog.SetColor(clRed);
  }
  bool Run(std::function<void(TForm*)> script) {
    user.WhenModalShows(std::move(script));
    return dialog.Execute();
  }
  TScriptedUser user;
  TColorDialog dialog{nullptr};
};

TEST_F(ColorDialogForm, AColourPickedInTheGridComesBack) {
  ASSERT_TRUE(Run([&](TForm* f) {
    EXPECT_EQ(f->Caption(), u"Colour");
    EXPECT_EQ(Find<TEdit>(f, u"RedEdit")->Text(), u"255");
    EXPECT_EQ(Find<TEdit>(f, u"HueEdit")->Text(), u"0");
    auto* grid = Find<TDrawGrid>(f, u"BasicColors");
    ClickCell(user, grid, 3, 4);  // dark green
    EXPECT_EQ(Find<TPanel>(f, u"Preview")->Color(), BasicColors()[4 * 8 + 3]);
    EXPECT_EQ(Find<TEdit>(f, u"GreenEdit")->Text(), u"128");
    EXPECT_EQ(Find<TEdit>(f, u"LumEdit")->Text(), u"25");
    user.PressKey(VK_LEFT);  // the arrows move through the grid: olive
    user.Click(Find<TSpeedButton>(f, u"OKButton"), 5, 5);
  }));
  EXPECT_EQ(dialog.Color(), clOlive);
  EXPECT_EQ(user.MessageLog().back().Answer, mrOk);
}

TEST_F(ColorDialogForm, RgbTypedMovesTheHslEditsAndHslTypedMovesTheRgbEdits) {
  ASSERT_TRUE(Run([&](TForm* f) {
    Retype(user, Find<TEdit>(f, u"RedEdit"), u"70");
    Retype(user, Find<TEdit>(f, u"GreenEdit"), u"130");
    Retype(user, Find<TEdit>(f, u"BlueEdit"), u"180");
    EXPECT_EQ(Find<TEdit>(f, u"HueEdit")->Text(), u"207");
    EXPECT_EQ(Find<TEdit>(f, u"SatEdit")->Text(), u"44");
    EXPECT_EQ(Find<TEdit>(f, u"LumEdit")->Text(), u"49");
    EXPECT_EQ(Find<TPanel>(f, u"Preview")->Color(), RGB(70, 130, 180));
    user.PressKey(VK_RETURN);
  }));
  EXPECT_EQ(dialog.Color(), RGB(70, 130, 180));
  ASSERT_TRUE(Run([&](TForm* f) {
    Retype(user, Find<TEdit>(f, u"HueEdit"), u"240");
    Retype(user, Find<TEdit>(f, u"SatEdit"), u"100");
    Retype(user, Find<TEdit>(f, u"LumEdit"), u"25");
    EXPECT_EQ(Find<TEdit>(f, u"HueEdit")->Text(), u"240");  // the group typed in keeps its text
    EXPECT_EQ(Find<TEdit>(f, u"RedEdit")->Text(), u"0");
    EXPECT_EQ(Find<TEdit>(f, u"GreenEdit")->Text(), u"0");
    EXPECT_EQ(Find<TEdit>(f, u"BlueEdit")->Text(), u"128");
    Retype(user, Find<TEdit>(f, u"RedEdit"), u"x");  // unreadable: the colour stays
    EXPECT_EQ(Find<TPanel>(f, u"Preview")->Color(), clNavy);
    Retype(user, Find<TEdit>(f, u"RedEdit"), u"999");  // clamped; leaving the edit writes it back
    EXPECT_EQ(Find<TPanel>(f, u"Preview")->Color(), RGB(255, 0, 128));
    user.PressKey(VK_TAB);
    EXPECT_EQ(Find<TEdit>(f, u"RedEdit")->Text(), u"255");
    user.PressKey(VK_RETURN);
  }));
  EXPECT_EQ(dialog.Color(), RGB(255, 0, 128));
}

TEST_F(ColorDialogForm, CustomColoursAreShownPickedAddedAndWrittenBack) {
  dialog.CustomColors()->Add(u"ColorB=FF0000");  // blue ($BBGGRR)
  dialog.CustomColors()->Add(u"ColorC=junk");
  ASSERT_TRUE(Run([&](TForm* f) {
    auto* custom = Find<TDrawGrid>(f, u"CustomColors");
    ClickCell(user, custom, 1, 0);
    EXPECT_EQ(Find<TPanel>(f, u"Preview")->Color(), clBlue);
    ClickCell(user, custom, 2, 0);  // unreadable: an empty white slot
    EXPECT_EQ(Find<TPanel>(f, u"Preview")->Color(), clWhite);
    ClickCell(user, Find<TDrawGrid>(f, u"BasicColors"), 1, 2);
    user.Click(Find<TSpeedButton>(f, u"AddCustomButton"), 5, 5);  // into slot A, then B
    ClickCell(user, Find<TDrawGrid>(f, u"BasicColors"), 2, 2);
    user.Click(Find<TSpeedButton>(f, u"AddCustomButton"), 5, 5);
    user.Click(Find<TSpeedButton>(f, u"OKButton"), 5, 5);
  }));
  TStrings* list = dialog.CustomColors();
  EXPECT_EQ(list->Values(u"ColorA"), IntToHex(BasicColors()[2 * 8 + 1], 6));
  EXPECT_EQ(list->Values(u"ColorB"), IntToHex(BasicColors()[2 * 8 + 2], 6));
  EXPECT_EQ(list->Values(u"ColorC"), u"FFFFFF");
  EXPECT_EQ(list->Values(u"ColorP"), u"FFFFFF");
  // Cancelled, nothing changes: neither the colour nor the custom colours.
  EXPECT_FALSE(Run([&](TForm* f) {
    ClickCell(user, Find<TDrawGrid>(f, u"BasicColors"), 0, 0);
    user.Click(Find<TSpeedButton>(f, u"AddCustomButton"), 5, 5);
    user.PressKey(VK_ESCAPE);
  }));
  EXPECT_EQ(dialog.Color(), BasicColors()[2 * 8 + 2]);
  EXPECT_EQ(list->Values(u"ColorC"), u"FFFFFF");
}

// [SECTION] the message box's form, headless

TEST(MessageBoxButtons, NobodysAnswerIsTheSetsCancelAnswerNeverYesOrOkToAQuestion) {
  struct Case {
    TMsgDlgButtons offered;
    TModalResult expected;
  };
  const Case cases[] = {
      {{mbYes, mbNo}, mrNo},          {{mbYes, mbNo, mbCancel}, mrCancel},      {{mbOK, mbCancel}, mrCancel},
      {{mbAbort, mbRetry, mbIgnore}, mrAbort}, {{mbYes, mbYesToAll, mbNoToAll}, mrNoToAll},
      {{mbRetry, mbIgnore}, mrCancel}, {{mbYes, mbAll}, mrCancel},             {{mbOK}, mrOk},
      {{}, mrOk},                      {{mbOK, mbHelp}, mrOk},                   {{mbRetry}, mrRetry},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(CancelAnswerOf(cases[i].offered), cases[i].expected) << i;
  const std::vector<TBoxButton> shown = BoxButtonsOf({mbCancel, mbHelp, mbYes, mbNoToAll});
  ASSERT_EQ(shown.size(), 3u);  // in the order of the buttons, help left out
  EXPECT_EQ(std::string(shown[0].Caption) + shown[1].Caption + shown[2].Caption, "YesCancelNo to All");
}

class MessageBoxForm : public ::testing::Test {
 protected:
  TModalResult Run(TMsgDlgButtons offered, int defaultAnswer, std::function<void(TForm*)> script) {
    user.WhenModalShows(std::move(script));
    return RunMessageBoxForm(u"Delete the 3 rows selected?\nThis cannot be undone.", u"Confirm", offered, defaultAnswer);
  }
  void Keys(std::initializer_list<Word> keys, TShiftState shift = {}) {
    for (Word k : keys) user.PressKey(k, shift);
  }
  TScriptedUser user;
};

TEST_F(MessageBoxForm, ShowsTheTextAndTheButtonsOfferedInARowCentredOverTheActiveForm) {
  TForm main(nullptr);
  main.SetBounds(100, 80, 640, 420);
  user.Show(&main);
  EXPECT_EQ(Run({mbCancel, mbNo, mbYes}, mrNo, [&](TForm* f) {
              EXPECT_EQ(f->Caption(), u"Confirm");
              auto* text = Find<TLabel>(f, u"TextLabel");
              EXPECT_EQ(text->Caption(), u"Delete the 3 rows selected?\nThis cannot be undone.");
              auto* yes = Find<TSpeedButton>(f, u"YesButton");
              auto* no = Find<TSpeedButton>(f, u"NoButton");
              auto* cancel = Find<TSpeedButton>(f, u"CancelButton");
              EXPECT_EQ(no->Caption(), u"No");
              EXPECT_LT(yes->Left(), no->Left());
              EXPECT_LT(no->Left(), cancel->Left());
              EXPECT_NEAR(yes->Left(), f->ClientWidth() - cancel->Left() - cancel->Width(), 1);
              EXPECT_GT(yes->Top(), text->Top() + text->Height());
              EXPECT_GT(f->ClientWidth(), text->Left() + text->Width());
              EXPECT_NEAR(f->Left() + f->Width() / 2, main.Left() + main.Width() / 2, 1);
              EXPECT_NEAR(f->Top() + f->Height() / 2, main.Top() + main.Height() / 2, 1);
              user.PressKey(VK_RETURN);  // the default button named
            }),
            mrNo);
}

// Enter presses the focused button (first the default one), Tab, Shift+Tab and the arrows move the
// focus round the row, Space presses it too; whatever ends the box without a button answers the set's
// cancel answer, so a question is never answered Yes by itself.
TEST_F(MessageBoxForm, KeysAndClicksAnswerTheirButtonAndNothingElseAnswersYes) {
  struct Case {
    const char* what;
    TMsgDlgButtons offered;
    int defaultAnswer;
    std::function<void(TForm*)> act;
    TModalResult expected;
  };
  const TMsgDlgButtons yesNo{mbYes, mbNo}, yesNoCancel{mbYes, mbNo, mbCancel};
  const Case cases[] = {
      {"Enter", yesNo, mrYes, [&](TForm*) { Keys({VK_RETURN}); }, mrYes},
      {"Tab, Enter", yesNo, mrYes, [&](TForm*) { Keys({VK_TAB, VK_RETURN}); }, mrNo},
      {"Tab round the row", yesNo, mrYes, [&](TForm*) { Keys({VK_TAB, VK_TAB, VK_RETURN}); }, mrYes},
      {"Shift+Tab", yesNoCancel, mrYes, [&](TForm*) { Keys({VK_TAB}, {ssShift}), Keys({VK_RETURN}); }, mrCancel},
      {"arrows, Space", yesNoCancel, mrYes, [&](TForm*) { Keys({VK_RIGHT, VK_RIGHT, VK_LEFT, VK_SPACE}); }, mrNo},
      {"a click", yesNoCancel, mrYes, [&](TForm* f) { user.Click(Find<TSpeedButton>(f, u"NoButton"), 10, 10); }, mrNo},
      {"Esc", yesNo, mrYes, [&](TForm*) { Keys({VK_ESCAPE}); }, mrNo},
      {"Esc with Cancel", yesNoCancel, mrYes, [&](TForm*) { Keys({VK_ESCAPE}); }, mrCancel},
      {"Esc, Abort Retry Ignore", {mbAbort, mbRetry, mbIgnore}, mrRetry, [&](TForm*) { Keys({VK_ESCAPE}); }, mrAbort},
      {"Esc on an information box", {mbOK}, mrOk, [&](TForm*) { Keys({VK_ESCAPE}); }, mrOk},
      {"the window closed", yesNo, mrYes, [](TForm* f) { f->Close(); }, mrNo},
      {"no answer at all", yesNo, mrYes, [](TForm*) {}, mrNo},
  };
  for (const Case& c : cases) EXPECT_EQ(Run(c.offered, c.defaultAnswer, c.act), c.expected) << c.what;
}

// [SECTION] looks

/// The rectangles (form client coordinates) where the form writes text: labels, fields, buttons and
/// panels with a caption.
std::vector<TRect> TextBoxesOf(TForm* form) {
  std::vector<TRect> boxes;
  for (int i = 0; i < form->ControlCount(); ++i) {
    TControl* c = form->Controls(i);
    const TRect b = c->BoundsRect();
    if (dynamic_cast<TLabel*>(c) != nullptr) {
      boxes.push_back(Rect(b.Left - 1, b.Top - 1, b.Right + 1, b.Bottom + 1));
    } else if (dynamic_cast<TCustomEdit*>(c) != nullptr || dynamic_cast<TCustomComboBox*>(c) != nullptr ||
               dynamic_cast<TSpeedButton*>(c) != nullptr || (dynamic_cast<TPanel*>(c) != nullptr && !c->Caption().empty())) {
      boxes.push_back(Rect(b.Left + 3, b.Top + 3, b.Right - 3, b.Bottom - 3));
    }
  }
  return boxes;
}

/// Each text of the file list: its name and size cells, less the icons.
void AddListTextBoxes(TForm* form, TDrawGrid* list, std::vector<TRect>& boxes) {
  const TPoint at = form->ScreenToClient(list->ClientOrigin());
  for (int row = 0; row < list->RowCount(); ++row) {
    const TRect name = list->CellRect(0, row), size = list->CellRect(1, row);
    boxes.push_back(Rect(at.X + name.Left + (row == 0 ? 4 : 24), at.Y + name.Top + 1, at.X + name.Right - 2, at.Y + name.Bottom - 1));
    boxes.push_back(Rect(at.X + size.Left + 2, at.Y + size.Top + 1, at.X + size.Right - 2, at.Y + size.Bottom - 1));
  }
}

TEST_F(SaveDialogForm, LooksAsItsGolden) {
  dir.Put("measurements with a long name, 2024.csv", std::string(250000, 'x'));
  dialog.SetFileName(u"report.csv");
  Run([&](TForm* f) {
    // The folder's real path differs between machines: the picture shows a fixed one.
    Find<TPanel>(f, u"FolderPanel")->SetCaption(u"/home/lab/exports/");
    auto* list = Find<TDrawGrid>(f, u"FileList");
    ClickCell(user, list, 0, 3);
    auto picture = user.Grab(f);
    std::vector<TRect> boxes = TextBoxesOf(f);
    AddListTextBoxes(f, list, boxes);
    EXPECT_GOLDEN(*picture, "save-dialog", boxes);
    user.PressKey(VK_ESCAPE);
  });
}

TEST_F(MessageBoxForm, LooksAsItsGolden) {
  Run({mbYes, mbNo, mbCancel}, mrYes, [&](TForm* f) {
    auto picture = user.Grab(f);
    EXPECT_GOLDEN(*picture, "message-box", TextBoxesOf(f));
    user.PressKey(VK_ESCAPE);
  });
}

TEST_F(ColorDialogForm, LooksAsItsGolden) {
  dialog.CustomColors()->Add(u"ColorA=80C0FF");
  dialog.CustomColors()->Add(u"ColorB=404080");
  dialog.SetColor(RGB(255, 128, 0));
  Run([&](TForm* f) {
    auto picture = user.Grab(f);
    EXPECT_GOLDEN(*picture, "color-dialog", TextBoxesOf(f));
    user.PressKey(VK_ESCAPE);
  });
}

// [SECTION] in a desktop window

#ifdef QELTA_WITH_SDL

/// The dialogs in desktop windows (SDL's offscreen driver, or an Xvfb display), answered with the input
/// a display delivers: SDL events pushed to the dialog's window. The scripted user's session only gives
/// the clean start and the virtual clock (a modal loop with nothing left to do ends instead of waiting).
class WindowedDialogs : public qelta::testing::TWindowBackendFixture {
 protected:
  static Uint32 IdOf(const TForm* form) {
    auto* window = static_cast<SDL_Window*>(WindowBackend().NativeWindow(form));
    EXPECT_NE(window, nullptr);
    return SDL_GetWindowID(window);
  }
  /// A left click at a client point of the control, as SDL delivers it to the control's window.
  static void PushClick(TControl* control, TPoint p) {
    TForm* form = GetParentForm(control);
    const TPoint at = form->ScreenToClient(control->ClientToScreen(p));
    for (bool down : {true, false}) qelta::testing::PushLeftButton(IdOf(form), down, at.X, at.Y);
  }
  static void PushKey(const TForm* form, SDL_Keycode key, bool down, const char* text = nullptr) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = IdOf(form);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
    if (text == nullptr) return;
    SDL_Event t{};
    t.type = SDL_TEXTINPUT;
    t.text.windowID = IdOf(form);
    std::snprintf(t.text.text, sizeof t.text.text, "%s", text);
    SDL_PushEvent(&t);
  }
  static void PushStroke(const TForm* form, SDL_Keycode key, bool shift = false) {
    if (shift) PushKey(form, SDLK_LSHIFT, true);
    PushKey(form, key, true);
    PushKey(form, key, false);
    if (shift) PushKey(form, SDLK_LSHIFT, false);
  }
  /// Types ASCII text as a US keyboard does (lower case, digits, '/', '.', '-' and capitals).
  static void PushText(const TForm* form, const std::string& text) {
    for (char ch : text) {
      const bool upper = ch >= 'A' && ch <= 'Z';
      const SDL_Keycode key = upper ? ch - 'A' + SDLK_a : ch;
      if (upper) PushKey(form, SDLK_LSHIFT, true);
      const char typed[2] = {ch, 0};
      PushKey(form, key, true, typed);
      PushKey(form, key, false);
      if (upper) PushKey(form, SDLK_LSHIFT, false);
    }
  }
  /// Clicks into the edit, selects its text with Home and Shift+End and types over it.
  static void PushRetype(TEdit* edit, const std::string& text) {
    TForm* form = GetParentForm(edit);
    PushClick(edit, Point(5, 5));
    PushStroke(form, SDLK_HOME);
    PushStroke(form, SDLK_END, true);
    PushText(form, text);
  }
};

TEST_F(WindowedDialogs, APathTypedIntoTheSaveDialogsWindowComesBack) {
  TScriptedUser session;
  test::TempDir dir;
  dir.Put("old.csv", "1");
  TSaveDialog dialog(nullptr);
  dialog.SetFilter(u"CSV files|*.csv");
  dialog.SetFileName(dir / "proposed.csv");
  dialog.SetOptions({ofOverwritePrompt});
  session.AnswerNextBox(mrNo);  // the overwrite question (a box the session answers)
  session.WhenModalShows([&](TForm* f) {
    EXPECT_EQ(Find<TDrawGrid>(f, u"FileList")->RowCount(), 2);  // the folder of the proposed name: old.csv
    PushText(f, "old.csv");  // the proposed name is selected: typed over
    PushStroke(f, SDLK_RETURN);
    Application->ProcessMessages();
    EXPECT_TRUE(f->Visible());  // No: back to the dialog
    PushText(f, dir.NativeOf("Typed-1.csv"));
    PushStroke(f, SDLK_RETURN);
    Application->ProcessMessages();
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), dir / "Typed-1.csv");
  // Esc, then the window closed: both cancel and keep the name.
  session.WhenModalShows([&](TForm* f) {
    PushStroke(f, SDLK_ESCAPE);
    Application->ProcessMessages();
  });
  EXPECT_FALSE(dialog.Execute());
  session.WhenModalShows([&](TForm* f) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = IdOf(f);
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    Application->ProcessMessages();
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), dir / "Typed-1.csv");
}

TEST_F(WindowedDialogs, TheColourDialogsWindowAnswersAColourPickedInTheGridOrTypedAsRgb) {
  TScriptedUser session;
  TColorDialog dialog(nullptr);
  session.WhenModalShows([&](TForm* f) {
    auto* grid = Find<TDrawGrid>(f, u"BasicColors");
    PushClick(grid, CellCentre(grid, 6, 2));  // blue
    PushClick(Find<TSpeedButton>(f, u"OKButton"), Point(10, 10));
    Application->ProcessMessages();
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Color(), clBlue);
  session.WhenModalShows([&](TForm* f) {
    PushRetype(Find<TEdit>(f, u"RedEdit"), "18");
    PushRetype(Find<TEdit>(f, u"GreenEdit"), "52");
    PushRetype(Find<TEdit>(f, u"BlueEdit"), "86");
    PushStroke(f, SDLK_RETURN);
    Application->ProcessMessages();
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.Color(), RGB(18, 52, 86));
}

/// SDL's call on a desktop that cannot show a box of its own (no zenity, no X core fonts).
int NoDesktopBox(const SDL_MessageBoxData*, int* buttonId) {
  *buttonId = -1;
  return SDL_SetError("No message system available");
}

/// The boxes in desktop windows on a desktop without boxes of its own.
class WindowedDialogsWithoutDesktopBoxes : public WindowedDialogs {
 protected:
  void SetUp() override {
    WindowedDialogs::SetUp();
    previous = SetShowMessageBoxCall(NoDesktopBox);
  }
  void TearDown() override {
    SetShowMessageBoxCall(previous);
    WindowedDialogs::TearDown();
  }
  TShowMessageBoxCall previous = nullptr;
};

// Regression: where the desktop could not show a box, the question answered itself with its first button
// (Yes) and nothing was shown; the save dialog's overwrite question always answered No.
TEST_F(WindowedDialogsWithoutDesktopBoxes, AQuestionIsAFormTheKeysAndAClickAnswer) {
  TScriptedUser session;
  struct Case {
    const char* what;
    std::function<void(TForm*)> act;
    TModalResult expected;
  };
  const Case cases[] = {
      {"Enter", [](TForm* f) { PushStroke(f, SDLK_RETURN); }, mrYes},
      {"Tab, Enter", [](TForm* f) { PushStroke(f, SDLK_TAB), PushStroke(f, SDLK_RETURN); }, mrNo},
      {"Esc", [](TForm* f) { PushStroke(f, SDLK_ESCAPE); }, mrNo},
      {"a click", [](TForm* f) { PushClick(Find<TSpeedButton>(f, u"NoButton"), Point(10, 10)); }, mrNo},
      {"nothing", [](TForm*) {}, mrNo},
  };
  for (const Case& c : cases) {
    session.WhenModalShows([&](TForm* f) {
      EXPECT_NE(WindowBackend().NativeWindow(f), nullptr);
      c.act(f);
      Application->ProcessMessages();
    });
    EXPECT_EQ(MessageDlg(u"Delete?", mtConfirmation, {mbYes, mbNo}, 0), c.expected) << c.what;
  }
  session.WhenModalShows([&](TForm* f) {
    EXPECT_NE(f->FindComponent(u"OKButton"), nullptr);
    PushStroke(f, SDLK_RETURN);
    Application->ProcessMessages();
  });
  ShowMessage(u"Saved.");
  ASSERT_EQ(session.MessageLog().size(), std::size(cases) + 1);
  EXPECT_EQ(session.MessageLog()[1].Answer, mrNo);
  EXPECT_EQ(session.MessageLog().back().Kind, u"ShowMessage");
}

TEST_F(WindowedDialogsWithoutDesktopBoxes, TheSaveDialogsOverwriteQuestionCanBeAnsweredYes) {
  TScriptedUser session;
  test::TempDir dir;
  dir.Put("old.csv", "1");
  TSaveDialog dialog(nullptr);
  dialog.SetFileName(dir / "proposed.csv");
  dialog.SetOptions({ofOverwritePrompt});
  session.WhenModalShows([&](TForm* f) {
    PushText(f, "old.csv");
    PushStroke(f, SDLK_RETURN);
    Application->ProcessMessages();
  });
  session.WhenModalShows([&](TForm* box) {  // "Do you want to replace it?", No the default
    PushStroke(box, SDLK_TAB, true);
    PushStroke(box, SDLK_RETURN);
    Application->ProcessMessages();
  });
  ASSERT_TRUE(dialog.Execute());
  EXPECT_EQ(dialog.FileName(), dir / "old.csv");
}

TEST_F(WindowedDialogsWithoutDesktopBoxes, ScriptedAnswersAndStrictModeShowNoForm) {
  TScriptedUser session;
  session.SetStrict(true);  // a form shown would raise
  session.AnswerNextBox(mrNo);
  EXPECT_EQ(MessageDlg(u"Delete?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  EXPECT_THROW(MessageDlg(u"Delete?", mtConfirmation, {mbYes, mbNo}, 0), EUnscripted);
  EXPECT_EQ(Application->MessageBox(u"Done.", u"Export", MB_OK), IDOK);
}

// Where not even a window can be made (here one too large for any), the box answers the set's cancel
// answer and says so in one line.
TEST_F(WindowedDialogsWithoutDesktopBoxes, WhereNoWindowCanBeShownTheBoxAnswersItsCancelAnswer) {
  TScriptedUser session;
  qelta::Screen()->SetSize(40000, 2000);
  const String wide(2500, u'W');
  ::testing::internal::CaptureStderr();
  const TModalResult answer = MessageDlg(wide + u"\nDelete?", mtConfirmation, {mbYes, mbNo}, 0);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, mrNo);
  EXPECT_NE(said.find("Delete?\" could not be shown ("), std::string::npos) << said;
  EXPECT_TRUE(said.ends_with("it answers No\n")) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
}

#ifdef QELTA_WITH_XTEST

/// A person at a bare X display (the MessageBoxOnBareXvfb run: no window manager, no X core fonts, no
/// zenity), where SDL cannot show a box of its own: the box is a form, and real presses of keys and of
/// the mouse button on the display (XTest, as xdotool sends them) answer it.
class BareDesktopMessageBox : public WindowedDialogs {
 protected:
  void SetUp() override {
    WindowedDialogs::SetUp();
    if (IsSkipped()) return;
    if (std::string(SDL_GetCurrentVideoDriver()) != "x11") GTEST_SKIP() << "needs an X display (the bare Xvfb run)";
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    int fonts = 0;
    if (char** names = XListFonts(display, "-*-*-medium-r-normal--*-120-*-*-*-*-*-*", 1, &fonts)) XFreeFontNames(names);
    if (fonts > 0) GTEST_SKIP() << "the display has the core fonts SDL's own box needs";
  }
  void TearDown() override {
    if (display != nullptr) XCloseDisplay(display);
    WindowedDialogs::TearDown();
  }
  void Key(KeySym key) {
    const KeyCode code = XKeysymToKeycode(display, key);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XSync(display, False);
  }
  void Click(TControl* control) {
    const TPoint at = control->ClientToScreen(Point(control->Width() / 2, control->Height() / 2));
    XTestFakeMotionEvent(display, -1, at.X, at.Y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
  }
  /// Runs the loop until `done`, for up to 5 s of the display's events.
  template <class Done>
  static bool RunUntil(Done done) {
    for (int waited = 0; waited < 5000; waited += 5) {
      Application->ProcessMessages();
      if (done()) return true;
      SDL_Delay(5);
    }
    return false;
  }
  Display* display = nullptr;
};

TEST_F(BareDesktopMessageBox, RealKeysAndAClickAnswerTheBoxShownAsAForm) {
  TScriptedUser session;
  TForm main(nullptr);
  main.SetBounds(200, 150, 500, 300);
  main.Show();
  struct Case {
    const char* what;
    std::function<void(TForm*)> act;
    TModalResult expected;
  };
  const Case cases[] = {
      {"Enter", [&](TForm*) { Key(XK_Return); }, mrYes},
      {"Esc", [&](TForm*) { Key(XK_Escape); }, mrNo},
      {"Tab, Enter", [&](TForm*) { Key(XK_Tab), Key(XK_Return); }, mrNo},
      {"a click", [&](TForm* f) { Click(Find<TSpeedButton>(f, u"NoButton")); }, mrNo},
  };
  for (const Case& c : cases) {
    session.WhenModalShows([&](TForm* f) {
      auto* window = static_cast<SDL_Window*>(WindowBackend().NativeWindow(f));
      ASSERT_TRUE(RunUntil([&] { return SDL_GetKeyboardFocus() == window; })) << "the box never had the keys";
      c.act(f);
      EXPECT_TRUE(RunUntil([&] { return f->ModalResult() != mrNone; })) << c.what << ": no answer came";
    });
    EXPECT_EQ(MessageDlg(u"Delete?", mtConfirmation, {mbYes, mbNo}, 0), c.expected) << c.what;
  }
}

#endif

#endif

}  // namespace
