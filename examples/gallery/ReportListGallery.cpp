// Gallery topic: the report list view with its headers, check and radio columns, shading, selection,
// highlight, password column and marker, and its row editor.
#include "Forms.h"
#include "Gallery.h"
#include "Qelta_replist.h"
#include "Testing.h"

namespace qelta::gallery {

namespace {

/// Water samples: a radio column for the reference sample, a check column for the ones to send on.
void FillSamples(TReportListView* v) {
  v->SetNrCols(5);
  v->SetNrRows(8);
  const char* names[] = {"Ref", "Sample", "Site", "pH", "Send"};
  const int widths[] = {44, 64, 96, 52, 80};
  for (int c = 1; c <= 5; ++c) {
    v->SetColName(c, names[c - 1]);
    v->SetColWidths(c, widths[c - 1]);
  }
  const char* sites[] = {"river", "lake", "well", "spring", "pond", "brook near the mill", "estuary", "reservoir"};
  const char* ph[] = {"7.2", "6.8", "7.9", "6.1", "8.3", "7.0", "7.6", "7.4"};
  for (int r = 1; r <= 8; ++r) {
    v->SetElem(2, r, "S-" + std::to_string(100 + r));
    v->SetElem(3, r, sites[r - 1]);
    v->SetElem(4, r, ph[r - 1]);
    v->SetElem(5, r, r % 3 == 0 ? "lab B" : "lab A");
  }
  v->SetColCheckMode(1, cmRadio);
  v->SetCheckedCol(5, true);
  v->SetColumnFormat(2, "[#s][80]");
  v->SetColumnFormat(3, "[c:6][140]river|lake|well|spring|pond|estuary|reservoir");
  v->SetColumnFormat(4, "[f][70]");
  v->SetColumnFormat(5, "[l][90]lab A|lab B|lab C");
}

/// The list (364 x 284) on a form at (40, 40), filled with the samples.
TReportListView* SampleList(TForm& form) {
  form.SetBounds(40, 40, 380, 300);
  auto* v = new TReportListView(&form);
  v->SetParent(&form);
  v->SetBounds(8, 8, 364, 284);
  FillSamples(v);
  return v;
}

}  // namespace

// A report list: two header lines, sorted by site (descending, the arrow down), a radio column for the
// reference, check boxes to send, shading in pairs, a selected row, a highlighted row, a disabled
// row, the pH column shown as a password column and the marker below the last row.
void ReportListPicture(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  TReportListView* v = SampleList(form);
  v->SetCommonHeaderVisible(true);
  v->SetCommonHeaderHeight(36);
  v->SetCommonHeader(u"Water survey\nspring campaign");
  v->SetColAlignment(4, taRightJustify);
  v->SetElemChecked(1, 4, true);
  for (int r : {1, 2, 5}) v->SetElemChecked(5, r, true);
  v->Sort(3, -1, false);
  v->SetRowColPattern(2);
  v->SetRowSelect(2, true);
  v->SetHighLightRow(4);
  v->SetRowEnabled(7, false);
  v->SetColumnIsPwd(4, true);
  v->SetInterRowIndicatorPos(9);
  user.Show(&form);
  page.Add(*user.GrabDesktop(Rect(40, 40, 420, 340)), "replist_view.png",
           "Report list: common header of two lines, sort arrow (descending), radio and check columns, shading "
           "in pairs, a selected, a highlighted and a disabled row, a password column and the marker");
}

// The row editor on its own form: one editor per column by its format (a read-only edit, an editable
// combo box, a numeric edit and a drop-down list), with OK and Cancel.
void RowEditorPicture(GalleryPage& page) {
  TScriptedUser user;
  TForm form(nullptr);
  TReportListView* v = SampleList(form);
  user.Show(&form);
  user.WhenModalShows([&](TForm* editor) {
    page.Add(*user.GrabDesktop(editor->BoundsRect()), "replist_roweditor.png",
             "Report list row editor: a read-only edit, a combo box, a numeric edit and a drop-down list");
    editor->SetModalResult(mrCancel);
  });
  v->EditRowEntries(3, 60, 60);
}

// Sixty records, more than the list shows: the vertical scroll bar, the header staying on top and the
// marker moving with its row. Live (gallery --live), scroll by the bar.
void ReportListLongPicture(GalleryPage& page) {
  TForm form(nullptr);
  TReportListView* v = SampleList(form);
  v->SetSuppressPaint(true);
  v->SetNrRows(60);
  const char* sites[] = {"river", "lake", "well", "spring", "pond", "brook", "estuary", "reservoir"};
  for (int r = 1; r <= 60; ++r) {
    v->SetElem(2, r, "S-" + std::to_string(100 + r));
    v->SetElem(3, r, sites[r % 8]);
    v->SetElem(4, r, std::to_string(6 + r % 30 / 10) + "." + std::to_string(r % 10));
    v->SetElem(5, r, r % 3 == 0 ? "lab B" : "lab A");
    if (r % 4 == 1) v->SetElemChecked(5, r, true);
  }
  v->SetInterRowIndicatorPos(24);
  v->SetSuppressPaint(false);
  v->SetTopRow(17);
  AddShownForm(page, form, "replist-long.png",
               "Report list of sixty records scrolled to record 17: the vertical scroll bar, the header on top "
               "and the marker above record 24");
}

void ReportListGallery(GalleryPage& page) {
  page.Section("Controls: report list");
  ReportListPicture(page);
  RowEditorPicture(page);
  ReportListLongPicture(page);
}

}  // namespace qelta::gallery
