// Gallery topic: the table editor over a data table, with its marks, states, a range and a pick list.
#include <algorithm>
#include <cmath>

#include "Forms.h"
#include "Gallery.h"
#include "Qelta_ntabed.h"
#include "Testing.h"

namespace qelta::gallery {

namespace {

/// Water samples: the site as a nominal column, three measured columns with their own decimals.
void FillSamples(TNTabEd* ed) {
  ed->Redimension(4, 8);
  const char* sites[] = {"river", "lake", "well", "spring"};
  ed->Data->SetMScaleType(1, stNominal);
  for (int i = 0; i < 4; ++i) ed->Data->SetNominalID(1, i + 1, sites[i]);
  const char16_t* names[] = {u"Site", u"pH", u"Nitrate", u"Temp"};
  const int decimals[] = {0, 2, 3, 1};
  for (int c = 1; c <= 4; ++c) {
    ed->SetColName(c, names[c - 1]);
    ed->SetDecPlaces(c, decimals[c - 1]);
  }
  for (int r = 1; r <= 8; ++r) {
    ed->SetRowName(r, u"S-" + IntToStr(100 + r));
    ed->SetRowAttrib(r, static_cast<uint8_t>(r % 3));
    ed->SetElem(1, r, 1 + (r * 3) % 4);
    ed->SetElem(2, r, 6.4 + 0.17 * r);
    ed->SetElem(3, r, 1.25 * r * r);
    ed->SetElem(4, r, 8.5 + 0.6 * r);
  }
  ed->SetElem(1, 7, 12);  // no label for 12
  ed->SetIsEmpty(3, 2, true);
  ed->SetCellState(4, 6, csNotANumber);
  ed->SetElemMarkedA(2, 4, true);
  ed->SetElemMarkedA(2, 5, true);
  ed->SetElemMarkedB(3, 7, true);
  ed->SetCellState(4, 8, csMarkA | csMarkB);
}

/// The sample editor on a shown form at (40, 40).
TNTabEd* SampleEditor(TScriptedUser& user, TForm& form) {
  form.SetBounds(40, 40, 440, 260);
  auto* ed = new TNTabEd(&form);
  ed->SetParent(&form);
  ed->SetBounds(8, 8, 424, 244);
  ed->SetDefColWidth(72);
  FillSamples(ed);
  user.Show(&form);
  return ed;
}

}  // namespace

// A table editor: a nominal column (site) edited through its pick list, marks A (red), B (blue)
// and both (purple), a selected range, an empty cell and one without a valid number ("-nan-").
void TableEditorPicture(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  TNTabEd* ed = SampleEditor(user, form);
  ed->SetOptions(ed->Options() | TGridOptions{goEditing});
  const TRect anchor = ed->CellRect(3 + ed->ColOffset(), 5), current = ed->CellRect(1 + ed->ColOffset(), 3);
  user.Click(ed, anchor.Left + 5, anchor.Top + 5);
  user.Advance(1000);
  user.Click(ed, current.Left + 5, current.Top + 5, mbLeft, {ssShift});  // the range from site to nitrate
  user.PressKey(VK_F2);
  user.PressKey(VK_DOWN, {ssAlt});
  page.Add(*user.GrabDesktop(Rect(40, 40, 480, 300)), "tableeditor_picklist.png",
           "Table editor: the pick list of a nominal column open over a selected range; marks A, B and both, "
           "an empty cell, a \"-nan-\" cell and a value without a label (Nominal:12)");
  user.PressKey(VK_ESCAPE);
}

// The data popup opened by a right click over a range marked A: the submenu that marks B open.
void TableEditorPopupPicture(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  TNTabEd* ed = SampleEditor(user, form);
  ed->SetSelection({2 + ed->ColOffset(), 2, 3 + ed->ColOffset(), 4});  // pH and nitrate of three samples
  ed->PopupMenuClickMarkARange(ed);
  const TRect cell = ed->CellRect(2 + ed->ColOffset(), 3);
  user.WhenPopupShows([&](TPopupWindow* popup) {
    TRect entry;
    popup->EntryRect(u"Mark as type B", entry);
    user.MoveTo(popup, entry.Left + 10, (entry.Top + entry.Bottom) / 2);
    user.Process();
    page.Add(*user.GrabDesktop(Rect(40, 40, 640, 400)), "tableeditor_datapopup.png",
             "Table editor: the data popup over a range marked A (red), with the mark B submenu open; "
             "\"Paste\" is disabled until something was copied");
    user.PressKey(VK_ESCAPE);
    user.PressKey(VK_ESCAPE);
  });
  user.Click(ed, cell.Left + 10, cell.Top + 8, mbRight);
}

// A logger's 10,000 readings, scrolled to the middle: both scroll bars, the thumb sized by the rows in
// view. Live (gallery --live), drag the thumb, click the arrows or the track, or hold them.
void TableEditorLongTablePicture(GalleryPage& page) {
  TForm form(nullptr);
  form.SetBounds(40, 40, 460, 280);
  auto* ed = new TNTabEd(&form);
  ed->SetParent(&form);
  ed->SetBounds(8, 8, 444, 264);
  ed->SetSuppressPaint(true);  // one paint for 60,000 cells
  ed->Redimension(6, 10000);
  const char16_t* names[] = {u"Minute", u"Temp", u"Pressure", u"Humidity", u"Wind", u"Rain"};
  for (int c = 1; c <= 6; ++c) {
    ed->SetColName(c, names[c - 1]);
    ed->SetDecPlaces(c, c == 1 ? 0 : 2);
  }
  for (int r = 1; r <= 10000; ++r) {
    ed->SetRowName(r, u"R-" + IntToStr(r));
    const double t = r / 60.0;
    const double row[] = {double(r), 12 + 6 * std::sin(t / 4), 1013 + 8 * std::cos(t / 9), 60 + 25 * std::sin(t / 7),
                          3 + 2 * std::sin(t), std::max(0.0, 2 * std::sin(t / 3) - 1.2)};
    for (int c = 1; c <= 6; ++c) ed->SetElem(c, r, row[c - 1]);
  }
  ed->SetSuppressPaint(false);
  ed->SetTopRow(4990);
  AddShownForm(page, form, "tableeditor-long.png",
               "Table editor over 10,000 rows, scrolled to the middle: both scroll bars, the thumb sized by the "
               "share of rows in view");
}

void TableEditorGallery(GalleryPage& page) {
  page.Section("Controls: table editor");
  TableEditorPicture(page);
  TableEditorPopupPicture(page);
  TableEditorLongTablePicture(page);
}

}  // namespace qelta::gallery
