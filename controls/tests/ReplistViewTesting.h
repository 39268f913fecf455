#pragma once
// The report list view on a shown form for the tests: paints counted, events logged, a small table of
// records, and the points a user clicks.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "Forms.h"
#include "Qelta_replist.h"
#include "Testing.h"

namespace qelta::testing {

/// A view that counts its paints (the first header cell is drawn once per paint).
class TCountingView : public TReportListView {
 public:
  using TReportListView::TReportListView;
  int Paints = 0;

 protected:
  void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override {
    if (ACol == TCustomGrid::LeftCol() && ARow == 0) ++Paints;
    TReportListView::DrawCell(ACol, ARow, ARect, AState);
  }
};

/// The view's notifications as words, in order: "Change, Setup, Selected, ...".
struct TViewLog {
  std::string text;
  void Hook(TReportListView& v) {
    auto add = [this](const char* word) {
      return [this, word](TObject*) { text += (text.empty() ? "" : ", ") + std::string(word); };
    };
    v.OnChange = add("Change");
    v.OnChangeSetup = add("Setup");
    v.OnSelectedChange = add("Selected");
  }
  std::string Take() { return std::exchange(text, std::string()); }
};

/// The view (400 x 260 at 10, 10) on a shown form, four columns of six records.
struct ViewOnForm : ::testing::Test {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TCountingView* view = new TCountingView(form.get());
  TViewLog log;

  void SetUp() override {
    form->SetBounds(0, 0, 500, 340);
    view->SetName(u"List1");
    view->SetParent(form.get());
    view->SetBounds(10, 10, 400, 260);
    view->SetNrCols(4);
    view->SetNrRows(6);
    const char* names[] = {"Sample", "Site", "pH", "Note"};
    const char* cells[6][4] = {{"S-1", "river", "7.2", "clear"}, {"S-2", "lake", "6.8", ""},
                               {"S-3", "well", "7.9", "iron"},   {"S-4", "spring", "6.1", "cold"},
                               {"S-5", "pond", "8.3", "algae"},  {"S-6", "brook", "7.0", ""}};
    for (int c = 1; c <= 4; ++c) view->SetColName(c, names[c - 1]);
    for (int r = 1; r <= 6; ++r)
      for (int c = 1; c <= 4; ++c) view->SetElem(c, r, cells[r - 1][c - 1]);
    user.Show(form.get());
    log.Hook(*view);
  }
  /// Rectangle of a data cell (data numbers) or, for row -1, of the column header.
  TRect CellOf(int c, int r) const {
    const int g = r < 0 ? (view->CommonHeaderVisible() ? 1 : 0) : r + view->CountHeadRows() - 1;
    return view->CellRect(c - 1, g);
  }
  /// A click at (dx, dy) from the cell's top-left, never taken as a double click.
  void ClickAt(int c, int r, int dx, int dy, TShiftState shift = {}) {
    user.Advance(1000);
    const TRect cell = CellOf(c, r);
    user.Click(view, cell.Left + dx, cell.Top + dy, mbLeft, shift);
  }
  void Click(int c, int r, TShiftState shift = {}) { ClickAt(c, r, 30, 8, shift); }
  std::string Column(int c) const {
    std::string s;
    for (int r = 1; r <= view->NrOfRows(); ++r) s += (r > 1 ? "," : "") + view->GetElem(c, r);
    return s;
  }
  std::string SelectedRows() const {
    std::string s;
    for (int r = 1; r <= view->NrOfRows(); ++r)
      if (view->GetRowSelect(r)) s += (s.empty() ? "" : ",") + std::to_string(r);
    return s;
  }
};

}  // namespace qelta::testing
