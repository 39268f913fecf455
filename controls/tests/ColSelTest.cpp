// The colour selector: palettes, names, the selected colour, drawing and the user at the list.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Forms.h"
#include "GoldenImage.h"
#include "Grids.h"
#include "Qelta_Colsel.h"
#include "Qelta_qeltacolors.h"
#include "SampleControls.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// A selector that logs its Click and Change.
class TLoggingColSel : public TColSel {
 public:
  using TColSel::TColSel;
  std::vector<std::string> log;

 protected:
  void Click() override {
    log.push_back("click:" + std::to_string(ItemIndex()));
    TColSel::Click();
  }
  void Change() override {
    log.push_back("change:" + sample::Narrow(Text()));
    TColSel::Change();
  }
};

struct ColSelForm : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TLoggingColSel* sel = new TLoggingColSel(form.get());

  void SetUp() override {
    form->SetBounds(60, 60, 320, 420);
    sel->SetParent(form.get());
    sel->SetBounds(10, 10, 180, 0);
    user.Show(form.get());
  }
};

}  // namespace

// [SECTION] entries and palettes

TEST(TColSel, StartsWithTheExtendedColoursListedAndTheFirstChosen) {
  TColSel s(nullptr);
  EXPECT_EQ(s.NumColors(), 20);
  EXPECT_EQ(s.Items()->Count(), 20);
  EXPECT_EQ(s.ItemIndex(), 0);
  EXPECT_EQ(s.Style(), csOwnerDrawFixed);
  EXPECT_FALSE(s.Sorted());
  EXPECT_EQ(s.SelColor(), clBlack);
  EXPECT_EQ(s.GetSelColorID(), u"clBlack");
  EXPECT_EQ(s.Items()->Strings(19), u"clMedGray");
  EXPECT_EQ(s.ColorBarWidth(), 30);
  EXPECT_EQ(s.GetArrayColor(0), 0);
  EXPECT_EQ(s.GetArrayColor(21), 0);
  EXPECT_EQ(s.GetArrayColorName(21), u"");
  EXPECT_FALSE(s.GetArrayAllowEdit(1));
}

TEST(TColSel, PalettesTakeTheirRunsOfThePredefinedColours) {
  const struct {
    void (TColSel::*load)();
    int count;
    TColor first, last;
    const char16_t *firstName, *lastName;
  } palettes[] = {
      {&TColSel::LoadBasicVGAPalette, 16, clBlack, clWhite, u"clBlack", u"clWhite"},
      {&TColSel::LoadExtendedPalette, 20, clBlack, clMedGray, u"clBlack", u"clMedGray"},
      {&TColSel::LoadStandardPalette, 47, clBlack, clWindowText, u"clBlack", u"clWindowText"},
      {&TColSel::LoadWindowsSystemPalette, 27, clActiveBorder, clWindowText, u"clActiveBorder", u"clWindowText"},
  };
  TColSel s(nullptr);
  for (const auto& p : palettes) {
    s.SetNumColors(3);
    s.SetSelColor(clBlue);  // not on a three-colour list: the selected entry takes it
    (s.*p.load)();
    EXPECT_EQ(s.NumColors(), p.count);
    EXPECT_EQ(s.Items()->Count(), p.count);
    EXPECT_EQ(s.ItemIndex(), 0);
    EXPECT_EQ(s.GetArrayColor(1), p.first);
    EXPECT_EQ(s.GetArrayColor(p.count), p.last);
    EXPECT_EQ(s.GetArrayColorName(1), p.firstName);
    EXPECT_EQ(s.GetArrayColorName(p.count), p.lastName);
  }
  // the system palette names clDefault and clNone too
  EXPECT_EQ(s.GetArrayColorName(10), u"clDefault");
  EXPECT_EQ(s.GetArrayColorName(21), u"clNone");
}

TEST(TColSel, NamesPassTheHandlerExceptOnesSetAsGiven) {
  TColSel s(nullptr);
  std::vector<String> seen;
  s.OnColorNameChange = [&](TObject*, String& name) {
    seen.push_back(name);
    name = u"my " + name;
  };
  s.LoadBasicVGAPalette();
  EXPECT_EQ(seen.size(), 16u);
  EXPECT_EQ(s.GetArrayColorName(2), u"my clMaroon");
  EXPECT_EQ(s.Items()->Strings(1), u"my clMaroon");
  s.SetArrayColorName(2, u"wine");
  EXPECT_EQ(seen.size(), 16u);
  EXPECT_EQ(s.GetArrayColorName(2), u"wine");
  EXPECT_EQ(s.Items()->Strings(1), u"wine");  // the list and the drawing agree
  s.SetArrayColorName(17, u"outside");
  s.SetArrayColorName(0, u"outside");
  EXPECT_EQ(s.GetArrayColorName(17), u"");
  s.SetArrayColor(3, 0x00A0B0);
  EXPECT_EQ(s.GetArrayColorName(3), u"my $0000A0B0");
  EXPECT_EQ(s.Items()->Strings(2), u"my $0000A0B0");
}

TEST(TColSel, SelColorFindsAnEntryAsRgbOrRenamesTheSelectedOne) {
  TColSel s(nullptr);
  s.LoadExtendedPalette();
  s.SetArrayColorName(10, u"signal");
  s.SetSelColor(clRed);
  EXPECT_EQ(s.ItemIndex(), 9);
  EXPECT_EQ(s.GetArrayColorName(10), u"clRed");  // the custom name is replaced
  EXPECT_EQ(s.GetSelColorID(), u"clRed");
  s.SetSelColor(0x123456);
  EXPECT_EQ(s.GetArrayColor(10), 0x123456);
  EXPECT_EQ(s.GetArrayColorName(10), u"$00123456");
  EXPECT_EQ(s.Items()->Strings(9), u"$00123456");
  EXPECT_EQ(s.SelColor(), 0x123456);
  s.LoadStandardPalette();
  s.SetSelColor(clBtnFace);  // as RGB the silver of entry 9
  EXPECT_EQ(s.ItemIndex(), 8);
  EXPECT_EQ(s.SelColor(), clSilver);
  s.SetItemIndex(-1);
  EXPECT_EQ(s.GetSelColorID(), u"");
}

TEST(TColSel, NumColorsKeepsItsRangeAndResetsTheSelection) {
  TColSel s(nullptr);
  s.SetSelColor(clTeal);
  EXPECT_EQ(s.ItemIndex(), 6);
  const struct { int value, count; } cases[] = {{0, 20}, {48, 20}, {5, 5}, {47, 47}, {1, 1}};
  for (const auto& c : cases) {
    s.SetNumColors(c.value);
    EXPECT_EQ(s.NumColors(), c.count) << c.value;
    EXPECT_EQ(s.Items()->Count(), c.count);
  }
  EXPECT_EQ(s.ItemIndex(), 0);
  s.SetColorBarWidth(-1);
  EXPECT_EQ(s.ColorBarWidth(), 30);
  s.SetArrayAllowEdit(1, true);
  EXPECT_TRUE(s.GetArrayAllowEdit(1));
  s.SetArrayAllowEdit(2, true);  // outside 1..NumColors
  EXPECT_FALSE(s.GetArrayAllowEdit(2));
  s.SetAllColorEditFlags();
  s.SetNumColors(3);
  EXPECT_TRUE(s.GetArrayAllowEdit(3));
  s.ResetAllColorEditFlags();
  EXPECT_FALSE(s.GetArrayAllowEdit(1));
}

TEST(TColSel, TheEditMarkerIsBlackOnBrightBars) {
  const struct {
    TColor colour;
    bool black;
  } cases[] = {{clBlack, false},        {clWhite, true},   {clNavy, false},
               {clYellow, true},        {clLime, true},    {clGray, false},
               {clSilver, true},        {clBtnFace, true}, {RGB(254, 0, 254), false},
               {RGB(255, 0, 255), true}};  // sqrt(2) x 255 / 2 just above 180
  for (const auto& c : cases) EXPECT_EQ(ColSelMarkerBlack(c.colour), c.black) << std::hex << c.colour;
}

// [SECTION] the user

TEST_F(ColSelForm, AClickOnAnEditableBarOpensTheDialogThenTheList) {
  sel->SetSelColor(clMaroon);
  sel->SetArrayAllowEdit(2, true);
  user.AnswerNextColorDialog(0x2040A0);
  user.Click(sel, 10, sel->Height() / 2);
  ASSERT_EQ(user.MessageLog().size(), 1u);
  EXPECT_EQ(user.MessageLog()[0].Kind, u"TColorDialog");
  EXPECT_EQ(user.MessageLog()[0].Text, u"clMaroon");
  EXPECT_EQ(sel->GetArrayColor(2), 0x2040A0);
  EXPECT_EQ(sel->GetArrayColorName(2), u"$002040A0");
  ASSERT_NE(user.OpenPopup(), nullptr);
  user.PressKey(VK_ESCAPE);
  user.Click(sel, 10, sel->Height() / 2);  // nothing scripted: cancelled
  ASSERT_EQ(user.MessageLog().size(), 2u);
  EXPECT_EQ(user.MessageLog()[1].Answer, mrCancel);
  EXPECT_EQ(sel->GetArrayColor(2), 0x2040A0);
  ASSERT_NE(user.OpenPopup(), nullptr);
  user.PressKey(VK_ESCAPE);
  user.Click(sel, 100, sel->Height() / 2);  // on the text: the list only
  EXPECT_EQ(user.MessageLog().size(), 2u);
  ASSERT_NE(user.OpenPopup(), nullptr);
  user.ClickPopupEntry(u"clTeal");
  EXPECT_EQ(sel->log, (std::vector<std::string>{"click:6", "change:clTeal"}));
  EXPECT_EQ(sel->SelColor(), clTeal);
  EXPECT_EQ(sel->GetSelColorID(), u"clTeal");
}

TEST_F(ColSelForm, AColourPickedInTheDialogsOwnFormReplacesTheEditableEntry) {
  sel->SetSelColor(clMaroon);
  sel->SetArrayAllowEdit(2, true);
  user.UseDialogForms();  // the form a desktop window shows
  user.WhenModalShows([&](TForm* dialog) {
    auto* grid = dynamic_cast<TCustomGrid*>(dialog->FindComponent(u"BasicColors"));
    ASSERT_NE(grid, nullptr);
    const TRect cell = grid->CellRect(6, 2);  // blue
    user.Click(grid, (cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
    user.PressKey(VK_RETURN);
  });
  user.Click(sel, 10, sel->Height() / 2);
  EXPECT_EQ(sel->GetArrayColor(2), clBlue);
  EXPECT_EQ(sel->GetArrayColorName(2), u"clBlue");
  ASSERT_NE(user.OpenPopup(), nullptr);  // then the list opens
  user.PressKey(VK_ESCAPE);
}

TEST_F(ColSelForm, ANonEditableBarOpensOnlyTheList) {
  user.Click(sel, 10, sel->Height() / 2);
  EXPECT_TRUE(user.MessageLog().empty());
  EXPECT_NE(user.OpenPopup(), nullptr);
}

TEST_F(ColSelForm, DrawsTheOpenListWithMarkersOnDarkAndLightBars) {
  sel->LoadBasicVGAPalette();
  sel->SetDropDownCount(16);
  sel->SetAllColorEditFlags();
  sel->SetArrayAllowEdit(3, false);
  sel->Font()->SetQuality(fqNonAntialiased);
  user.Click(sel, 100, sel->Height() / 2);
  TPopupWindow* list = user.OpenPopup();
  ASSERT_NE(list, nullptr);
  const std::unique_ptr<TBitmap> shown = user.Grab(list);
  const std::vector<TRect> names{Rect(sel->ColorBarWidth() + 4, 1, shown->Width() - 1, shown->Height() - 1)};
  EXPECT_GOLDEN(*shown, "colsel-list-open", names);
}

TEST_F(ColSelForm, ANarrowBarShowsNoMarkerAndNoWidthNoBar) {
  sel->SetAllColorEditFlags();  // entry 1 is black: a white marker
  // the pixel of the marker's left line (L + 5, item left L = 1) in the first row
  auto markerPixel = [&] {
    user.Click(sel, 100, sel->Height() / 2);
    const TColor c = user.Grab(user.OpenPopup())->Canvas()->Pixels(6, 7);
    user.PressKey(VK_ESCAPE);
    return c;
  };
  EXPECT_EQ(markerPixel(), clWhite);
  sel->SetColorBarWidth(11);
  EXPECT_EQ(markerPixel(), clBlack);  // the bar without a marker
  sel->SetColorBarWidth(0);
  EXPECT_EQ(markerPixel(), ColorToRGB(sel->Color()));  // no bar
}
