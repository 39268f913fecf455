// Gallery entry of the platform's widgets: a data form built at run time (labels, edit, combo box,
// date/time picker, grid, speed buttons) with the grid's pick list open and with the combo box dropped,
// speed buttons in each state, and a popup menu with a submenu, a check mark, a bitmap and a disabled
// item. The glyphs are PNG resources of the gallery (resources/, made by make_glyphs.py).

#include "Buttons.h"
#include "ComboBoxes.h"
#include "DateTimePickers.h"
#include "Edits.h"
#include "Gallery.h"
#include "Grids.h"
#include "Labels.h"
#include "Menus.h"
#include "Resources.h"
#include "Testing.h"

namespace qelta::gallery {

namespace {

/// A grid whose "Unit" column edits through a pick list.
class UnitGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;

 protected:
  TEditStyle GetEditStyle(int ACol, int) override { return ACol == 2 ? esPickList : esSimple; }
  std::unique_ptr<TInplaceEdit> CreateEditor() override {
    auto editor = std::make_unique<TInplaceEditList>(nullptr);
    editor->OnGetPickListItems = [](int, int, TStrings* items) { items->SetCommaText(u"g,mg,ug,ng"); };
    return editor;
  }
};

template <class T>
T* Place(TForm* form, int x, int y, int w, int h) {
  auto* control = new T(form);
  control->SetParent(form);
  control->SetBounds(x, y, w, h);
  return control;
}

/// The data form: a sample record above a grid of measurements.
void BuildForm(TForm* form) {
  form->SetBounds(40, 40, 420, 300);
  form->SetCaption(u"Sample");
  int y = 12;
  for (const char16_t* caption : {u"Name:", u"Unit:", u"Taken:"}) {
    auto* label = Place<TLabel>(form, 8, y + 3, 60, 17);
    label->SetAutoSize(false);
    label->SetAlignment(taRightJustify);
    label->SetCaption(caption);
    y += 28;
  }
  Place<TEdit>(form, 74, 12, 180, 21)->SetText(u"Calibration run 7");
  auto* combo = Place<TComboBox>(form, 74, 40, 120, 0);
  combo->SetName(u"Unit");
  combo->SetStyle(csDropDownList);
  combo->Items()->SetCommaText(u"g,mg,ug,ng");
  combo->SetItemIndex(1);
  auto* picker = Place<TDateTimePicker>(form, 74, 68, 120, 21);
  picker->SetFormat(u"dd.MM.yyyy");
  picker->SetDateTime(EncodeDate(2023, 12, 24));
  for (const char16_t* caption : {u"OK", u"Cancel"}) {
    auto* button = Place<TSpeedButton>(form, 324, caption[0] == u'O' ? 12 : 45, 81, 29);
    button->SetCaption(caption);
  }
  auto* grid = Place<UnitGrid>(form, 8, 104, 396, 180);
  grid->SetName(u"Grid");
  grid->SetColCount(4);
  grid->SetRowCount(6);
  grid->SetOptions(grid->Options() | TGridOptions{goEditing, goColSizing});
  const char16_t* cells[] = {u"#", u"Value", u"Unit", u"Note", u"1", u"12.5", u"mg", u"ok",
                             u"2", u"0.31",  u"ug",   u"",     u"3", u"7",    u"g",  u"check"};
  for (int i = 0; i < 16; ++i) grid->SetCells(i % 4, i / 4, cells[i]);
}

void FormPictures(GalleryPage& page) {
  page.Section("Platform: widgets on a form built at run time");
  TScriptedUser user;
  TForm form(nullptr);
  BuildForm(&form);
  user.Show(&form);
  auto* grid = static_cast<UnitGrid*>(form.FindComponent(u"Grid"));
  user.Click(grid, 160, 40);  // the unit of row 1
  user.PressKey(VK_F2);
  user.PressKey(VK_DOWN, {ssAlt});
  const TRect area = Rect(20, 20, 480, 400);
  page.Add(*user.GrabDesktop(area), "widgets_form_picklist.png",
           "A data form: labels, an edit, a combo box, a date/time picker, OK and Cancel speed buttons and a grid "
           "whose unit column edits through a pick list, open here");
  user.PressKey(VK_ESCAPE);
  user.PressKey(VK_ESCAPE);
  auto* combo = static_cast<TComboBox*>(form.FindComponent(u"Unit"));
  user.Click(combo, combo->Width() - 5, 5);
  page.Add(*user.GrabDesktop(area), "widgets_form_combo.png", "The same form with its combo box dropped down");
}

void SpeedButtons(GalleryPage& page) {
  page.Section("Platform: speed buttons in each state");
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 6 * 70 + 10, 70);
  const char16_t* captions[] = {u"Up", u"Pressed", u"Down", u"Disabled", u"Flat", u"Flat, hot"};
  std::vector<TSpeedButton*> buttons;
  for (int i = 0; i < 6; ++i) {
    auto* b = Place<TSpeedButton>(&form, 10 + i * 70, 10, 60, 28);
    b->Glyph()->LoadFromResourceName(HInstance(), i % 2 == 0 ? u"POINTER" : u"ZOOMIN");
    b->SetGroupIndex(i == 2 ? 1 : 0);
    b->SetFlat(i >= 4);
    auto* label = Place<TLabel>(&form, 10 + i * 70, 44, 60, 17);
    label->SetAlignment(taCenter);
    label->SetCaption(captions[i]);
    buttons.push_back(b);
  }
  buttons[2]->SetDown(true);
  buttons[3]->SetEnabled(false);
  user.Show(&form);
  user.MoveTo(buttons[5], 30, 14);  // the pointer over the last flat button
  auto picture = user.Grab(&form);
  user.Press(buttons[1], 30, 14);  // then held down on the second, taken into the same picture
  picture->Canvas()->CopyRect(buttons[1]->BoundsRect(), user.Grab(buttons[1])->Canvas(), Rect(0, 0, 60, 28));
  user.Release(buttons[1], 30, 14);
  page.Add(*picture, "widgets_speedbuttons.png",
           "Up, pressed (held), down (one of a group), disabled (greyed from the glyph), flat, flat under the pointer");
}

void PopupMenu(GalleryPage& page) {
  page.Section("Platform: a popup menu");
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(40, 40, 360, 220);
  user.Show(&form);
  TPopupMenu menu(&form);
  auto add = [&menu](TMenuItem* parent, const char16_t* caption) {
    auto* item = new TMenuItem(&menu);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  };
  add(menu.Items(), u"Open...")->Bitmap()->LoadFromResourceName(HInstance(), u"OPENFOLDER");
  add(menu.Items(), u"Save")->Bitmap()->LoadFromResourceName(HInstance(), u"DISK");
  add(menu.Items(), u"-");
  TMenuItem* mark = add(menu.Items(), u"Mark as type A");
  for (const char16_t* c : {u"Range", u"Column", u"Row", u"All"}) add(mark, c);
  add(menu.Items(), u"Data Read-Only")->SetChecked(true);
  add(menu.Items(), u"Paste")->SetEnabled(false);
  std::unique_ptr<TBitmap> picture;
  user.WhenPopupShows([&](TPopupWindow* popup) {
    TRect r;
    popup->EntryRect(u"Mark as type A", r);
    user.MoveTo(popup, r.Left + 20, r.Top + 4);  // opens the submenu
    user.WhenPopupShows([&](TPopupWindow*) {
      user.PressKey(VK_DOWN);  // queued: the submenu takes it when processed
      user.Process();
      picture = user.GrabDesktop(Rect(40, 40, 400, 260));
      user.PressKey(VK_ESCAPE);
      user.PressKey(VK_ESCAPE);
    });
  });
  menu.Popup(80, 60);
  if (picture)
    page.Add(*picture, "widgets_popupmenu.png",
             "A popup menu built at run time: bitmaps, a separator, a submenu (open), a check mark and a "
             "disabled item");
}

}  // namespace

void WidgetsGallery(GalleryPage& page) {
  FormPictures(page);
  SpeedButtons(page);
  PopupMenu(page);
}

}  // namespace qelta::gallery
