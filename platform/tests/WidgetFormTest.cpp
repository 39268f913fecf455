// The widgets together on forms, as a user drives them: a data form with an edit, a grid and a popup
// menu; a modal form built at run time with a label, edit, combo box, date/time picker and OK and
// Cancel speed buttons, filled and confirmed by a script.

#include <gtest/gtest.h>

#include "Assertions.h"
#include "Buttons.h"
#include "ComboBoxes.h"
#include "DateTimePickers.h"
#include "Edits.h"
#include "Grids.h"
#include "Labels.h"
#include "Menus.h"
#include "SampleControls.h"
#include "Testing.h"

using namespace qelta;

namespace {

/// What the run-time form edits.
struct TRecord {
  String Name = u"Sample 7";
  String Unit = u"mg";
  TDateTime Taken = EncodeDate(2023, 12, 24);
};

/// Builds a modal form at run time (as a row editor does), shows it and takes the values on OK.
TModalResult EditRecord(TComponent* owner, TRecord& record) {
  auto* form = new TForm(owner);
  form->SetCaption(u"Editing Row 1");
  form->SetBorderStyle(bsDialog);
  const String captions[] = {u"Name:", u"Unit:", u"Taken:"};
  int labelWidth = 0;  // measured before the form is shown
  for (const String& c : captions) labelWidth = std::max(labelWidth, form->Canvas()->TextWidth(c) + 8);
  for (int i = 0; i < 3; ++i) {
    auto* label = new TLabel(form);
    label->SetName(u"runtime_Label" + IntToStr(i + 1));
    label->SetTag(i + 1);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetAlignment(taRightJustify);
    label->SetBounds(8, 45 + i * 25 + 3, labelWidth, 17);
    label->SetCaption(captions[i]);
  }
  const int x = labelWidth + 12;
  auto* edit = new TEdit(form);
  edit->SetName(u"runtime_Edit1");
  edit->SetParent(form);
  edit->SetBounds(x, 45, 200, 21);
  edit->SetText(record.Name);
  auto* combo = new TComboBox(form);
  combo->SetName(u"runtime_CBox2");
  combo->SetParent(form);
  combo->SetStyle(csDropDownList);
  combo->SetBounds(x, 70, 120, 0);
  for (const char16_t* u : {u"g", u"mg", u"ug"}) combo->Items()->Add(u);
  combo->SetItemIndex(combo->Items()->IndexOf(record.Unit));
  auto* picker = new TDateTimePicker(form);
  picker->SetName(u"runtime_DtPick3");
  picker->SetParent(form);
  picker->SetBounds(x, 95, 120, 21);
  picker->SetFormat(u"dd.MM.yyyy");
  picker->SetDateTime(record.Taken);
  for (TWinControl* c : {static_cast<TWinControl*>(edit), static_cast<TWinControl*>(combo)})
    c->OnKeyPress = [form](TObject*, Char& key) {
      if (key == u'\r') form->SetModalResult(mrOk);
    };
  const int w = x + 200;
  for (int i = 0; i < 2; ++i) {
    auto* button = new TSpeedButton(form);
    button->SetName(i == 0 ? u"OK" : u"Cancel");
    button->SetParent(form);
    button->SetCaption(i == 0 ? u"OK" : u"Cancel");
    button->SetBounds(i == 0 ? w - 154 : w - 69, 4, 81, 29);
    button->OnClick = [form, i](TObject*) { form->SetModalResult(i == 0 ? mrOk : mrCancel); };
  }
  form->SetBounds(200, 200, w + 28, 3 * 25 + 45 + 38);
  const TModalResult result = form->ShowModal();
  if (result == mrOk) {
    record.Name = static_cast<TEdit*>(form->FindComponent(u"runtime_Edit1"))->Text();
    record.Unit = static_cast<TComboBox*>(form->FindComponent(u"runtime_CBox2"))->Text();
    auto* p = static_cast<TDateTimePicker*>(form->FindComponent(u"runtime_DtPick3"));
    record.Taken = p->DateTime();
  }
  delete form;
  return result;
}

/// Fills the run-time form as a user would, then presses the button.
void FillIn(TScriptedUser& user, TForm* form, const String& button) {
  auto* edit = static_cast<TEdit*>(form->FindComponent(u"runtime_Edit1"));
  auto* combo = static_cast<TComboBox*>(form->FindComponent(u"runtime_CBox2"));
  auto* picker = static_cast<TDateTimePicker*>(form->FindComponent(u"runtime_DtPick3"));
  user.Click(edit, 5, 5);
  user.PressKey(VK_END);
  user.TypeText(u"b");
  user.Click(combo, combo->Width() - 5, 5);
  user.ClickPopupEntry(u"ug");
  user.Click(picker, 5, 5);
  user.TypeText(u"01");  // the day
  user.Advance(1000);
  user.Click(static_cast<TControl*>(form->FindComponent(button)), 10, 10);
}

}  // namespace

TEST(WidgetForm, ARunTimeFormIsFilledAndConfirmedByAScript) {
  TScriptedUser user;
  TForm host(nullptr);
  user.Show(&host);
  TRecord record;
  user.WhenModalShows([&](TForm* form) {
    EXPECT_EQ(form->Caption(), u"Editing Row 1");
    FillIn(user, form, u"OK");
  });
  EXPECT_EQ(EditRecord(&host, record), mrOk);
  EXPECT_EQ(record.Name, u"Sample 7b");
  EXPECT_EQ(record.Unit, u"ug");
  EXPECT_EQ(record.Taken, EncodeDate(2023, 12, 1));
  EXPECT_EQ(host.ComponentCount(), 0);
}

TEST(WidgetForm, CancelChangesNothingAndEnterConfirms) {
  TScriptedUser user;
  TForm host(nullptr);
  user.Show(&host);
  TRecord record;
  user.WhenModalShows([&](TForm* form) { FillIn(user, form, u"Cancel"); });
  EXPECT_EQ(EditRecord(&host, record), mrCancel);
  EXPECT_EQ(record.Name, u"Sample 7");
  EXPECT_EQ(record.Unit, u"mg");
  EXPECT_EQ(record.Taken, EncodeDate(2023, 12, 24));
  user.WhenModalShows([&](TForm* form) {
    EXPECT_TRUE(static_cast<TEdit*>(form->FindComponent(u"runtime_Edit1"))->Focused());
    user.TypeText(u"X\r");  // the first edit has the focus with its text selected
  });
  EXPECT_EQ(EditRecord(&host, record), mrOk);
  EXPECT_EQ(record.Name, u"X");
}

TEST(WidgetForm, EditGridAndPopupMenuOnOneForm) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 480, 360);
  auto* edit = new TEdit(&form);
  edit->SetParent(&form);
  edit->SetBounds(8, 8, 150, 21);
  auto* grid = new TStringGrid(&form);
  grid->SetParent(&form);
  grid->SetBounds(8, 40, 400, 150);
  grid->SetOptions(grid->Options() | TGridOptions{goEditing, goColSizing});
  auto* menu = new TPopupMenu(&form);
  std::vector<std::string> log;
  auto* sub = new TMenuItem(menu);
  sub->SetCaption(u"Mark");
  menu->Items()->Add(sub);
  auto* range = new TMenuItem(menu);
  range->SetCaption(u"Range");
  range->OnClick = [&](TObject*) { log.push_back(menu->Showing() ? "range during popup" : "range after popup"); };
  sub->Add(range);
  grid->SetPopupMenu(menu);
  user.Show(&form);

  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  user.Click(edit, 5, 5);
  user.TypeText(u"12.5");
  EXPECT_EQ(changes, 4);

  user.Click(grid, 100, 35);  // cell (1, 1)
  user.PressKey(VK_F2);
  user.TypeText(u"7");
  user.PressKey(VK_RETURN);
  EXPECT_EQ(grid->Cells(1, 1), u"7");
  user.PressKey(VK_F2);
  user.TypeText(u"8");
  user.PressKey(VK_ESCAPE);
  EXPECT_EQ(grid->Cells(1, 1), u"7");

  user.Drag(grid, 128, 12, 150, 12);
  EXPECT_EQ(grid->ColWidths(1), 85);

  user.WhenPopupShows({u"Mark", u"Range"});
  user.Advance(1000);
  user.Click(grid, 200, 100, mbRight);
  EXPECT_EQ(log, std::vector<std::string>{"range after popup"});
}

TEST(Forms, ACanvasMeasuresTextBeforeTheFormIsShown) {
  TForm form(nullptr);
  form.Font()->SetSize(14);
  TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(form.Font());
  EXPECT_EQ(form.Canvas()->TextWidth(u"Measured"), probe.Canvas()->TextWidth(u"Measured"));
  EXPECT_GT(form.Canvas()->TextWidth(u"Measured"), 0);
}

TEST(Forms, NextDlgCtlFocusesTheControlWhoseHandleItNames) {
  TScriptedUser user;
  TForm form(nullptr);
  auto* a = new TEdit(&form);
  a->SetParent(&form);
  auto* b = new TEdit(&form);
  b->SetParent(&form);
  b->SetTop(40);
  user.Show(&form);
  EXPECT_TRUE(a->Focused());
  form.Perform(WM_NEXTDLGCTL, b->Handle(), 1);
  EXPECT_TRUE(b->Focused());
  form.Perform(WM_NEXTDLGCTL, 0, 0);  // the next one
  EXPECT_TRUE(a->Focused());
  form.Perform(WM_NEXTDLGCTL, 12345, 1);  // no such window: the focus stays
  EXPECT_TRUE(a->Focused());
}
