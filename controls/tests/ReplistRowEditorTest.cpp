// TReportListView's row editor: the editors chosen by the column formats, the own form and a host's
// form, what OK and Cancel leave in the row, and picker values read back through ScanDateTime.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Buttons.h"
#include "ComboBoxes.h"
#include "DateTimePickers.h"
#include "Edits.h"
#include "Labels.h"
#include "Qelta_NumIO.h"
#include "Qelta_replist.h"
#include "ReplistViewTesting.h"

using namespace qelta;
using namespace qelta::testing;

namespace {

struct RowEditor : ViewOnForm {
  template <typename T>
  static T* Find(TForm* f, const String& name) {
    auto* c = dynamic_cast<T*>(f->FindComponent(name));
    EXPECT_NE(c, nullptr) << StringToUtf8(name);
    return c;
  }
  /// The speed button with the caption.
  static TSpeedButton* Button(TForm* f, const String& caption) {
    for (int i = 0; i < f->ControlCount(); ++i)
      if (auto* b = dynamic_cast<TSpeedButton*>(f->Controls(i)); b != nullptr && b->Caption() == caption) return b;
    ADD_FAILURE() << "no button " << StringToUtf8(caption);
    return nullptr;
  }
  void Press(TForm* f, const String& caption) { user.Click(Button(f, caption), 10, 10); }
  /// Edits row `row` on the own form; the script runs while it shows.
  TModalResult Edit(int row, std::function<void(TForm*)> script) {
    user.WhenModalShows(std::move(script));
    return view->EditRowEntries(row, 100, 80);
  }
  int Runtime(TForm* f) const {
    int n = 0;
    for (int i = 0; i < f->ComponentCount(); ++i) n += f->Components(i)->Name().find(u"runtime_rlre_") == 0;
    return n;
  }
};

}  // namespace

TEST_F(RowEditor, OwnFormHasOneLabelledEditorPerColumnByItsFormat) {
  view->SetColumnFormat(1, "[s][90]");
  view->SetColumnFormat(2, "[l:4][120]river|lake|well|spring|pond|brook");
  view->SetColumnFormat(3, "[f][60]");
  view->SetColumnFormat(4, "[x][50]");
  int x0 = 0;
  const TModalResult result = Edit(3, [&](TForm* f) {
    EXPECT_EQ(f->Caption(), u"Editing Row 3");
    EXPECT_EQ(f->BorderStyle(), bsDialog);
    EXPECT_EQ(f->Left(), 100);
    EXPECT_EQ(f->Top(), 80);
    auto* label = Find<TLabel>(f, u"runtime_rlre_Label2");
    EXPECT_EQ(label->Caption(), u"Site:");
    EXPECT_EQ(label->Alignment(), taRightJustify);
    EXPECT_EQ(label->Tag(), 2);
    EXPECT_EQ(label->Top(), 45 + 25 + 3);
    auto* edit = Find<TEdit>(f, u"runtime_rlre_Edit1");
    EXPECT_EQ(edit->Text(), u"S-3");
    EXPECT_EQ(edit->Width(), 90);
    EXPECT_EQ(edit->Top(), 45);
    x0 = edit->Left();
    auto* box = Find<TComboBox>(f, u"runtime_rlre_CBox2");
    EXPECT_EQ(box->Style(), csDropDownList);
    EXPECT_EQ(box->Items()->Count(), 6);
    EXPECT_EQ(box->DropDownCount(), 4);
    EXPECT_EQ(box->Width(), 120);
    EXPECT_EQ(box->ItemIndex(), 2);  // "well"
    EXPECT_EQ(box->Tag(), 2);
    auto* num = Find<TNumIO>(f, u"runtime_rlre_NumIO3");
    EXPECT_EQ(num->InputFormat(), itFloat);
    EXPECT_EQ(num->Text(), u"7.9");
    EXPECT_EQ(f->FindComponent(u"runtime_rlre_Edit4"), nullptr);  // a letter without editor: the label only
    EXPECT_NE(f->FindComponent(u"runtime_rlre_Label4"), nullptr);
    const int lw = label->Width();
    EXPECT_EQ(f->Width(), 120 + lw + 28);
    EXPECT_EQ(f->Height(), 4 * 25 + 45 + 38);
    EXPECT_EQ(Button(f, u"Cancel")->BoundsRect(), Rect(120 + lw - 69, 4, 120 + lw - 69 + 81, 33));
    EXPECT_EQ(Button(f, u"OK")->Left(), 120 + lw - 154);
    Press(f, u"Cancel");
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_GT(x0, 12);
}

TEST_F(RowEditor, OkWritesTheRowBackAndCancelLeavesIt) {
  view->SetColumnFormat(2, "[c][100]river|lake|sea");
  view->SetCheckedCol(4, true);
  view->SetElemChecked(4, 2, true);
  auto change = [&](TForm* f) {
    Find<TEdit>(f, u"runtime_rlre_Edit1")->SetText(u"S-2b");
    Find<TComboBox>(f, u"runtime_rlre_CBox2")->SetText(u"sea");
    Find<TEdit>(f, u"runtime_rlre_Edit4")->SetText(u"salty");
  };
  EXPECT_EQ(Edit(2,
                 [&](TForm* f) {
                   change(f);
                   Press(f, u"Cancel");
                 }),
            mrCancel);
  EXPECT_EQ(view->GetElem(1, 2), "S-2");
  log.Take();
  const int paints = view->Paints;
  EXPECT_EQ(Edit(2,
                 [&](TForm* f) {
                   change(f);
                   Press(f, u"OK");
                 }),
            mrOk);
  EXPECT_EQ(view->GetElem(1, 2), "S-2b");
  EXPECT_EQ(view->GetElem(2, 2), "sea");
  EXPECT_EQ(view->GetElem(4, 2), "salty");
  EXPECT_TRUE(view->GetElemChecked(4, 2));  // check characters stay
  EXPECT_EQ(view->Paints, paints + 1);      // one repaint for the whole row
}

TEST_F(RowEditor, EnterInAnEditorClosesWithOk) {
  EXPECT_EQ(Edit(1,
                 [&](TForm* f) {
                   auto* edit = Find<TEdit>(f, u"runtime_rlre_Edit3");
                   edit->SetFocus();
                   edit->SetText(u"7.25");
                   user.PressKey(VK_RETURN);
                 }),
            mrOk);
  EXPECT_EQ(view->GetElem(3, 1), "7.25");
}

TEST_F(RowEditor, ReadOnlyEditorsAreGreyAndKeepTheirText) {
  view->SetColumnFormat(1, "[#s][80]");
  EXPECT_EQ(Edit(4,
                 [&](TForm* f) {
                   auto* edit = Find<TEdit>(f, u"runtime_rlre_Edit1");
                   EXPECT_FALSE(edit->Enabled());
                   EXPECT_EQ(edit->Color(), 0xE0E0E0);
                   EXPECT_EQ(edit->Font()->Color(), 0x808080);
                   EXPECT_EQ(edit->Text(), u"S-4");
                   Press(f, u"OK");
                 }),
            mrOk);
  EXPECT_EQ(view->GetElem(1, 4), "S-4");
}

TEST_F(RowEditor, EmptyCellsShowTheDefaultsAndOkKeepsThem) {
  view->SetColumnFormat(1, "[i][60]rix3");
  view->SetColumnFormat(2, "[s][]$pwd$8");
  view->SetColumnFormat(4, "[s][]none");
  view->SetElem(1, 5, "");
  view->SetElem(2, 5, "");
  view->SetElem(4, 5, "");
  EXPECT_EQ(Edit(5,
                 [&](TForm* f) {
                   EXPECT_EQ(Find<TNumIO>(f, u"runtime_rlre_NumIO1")->Text(), u"005");
                   EXPECT_EQ(Find<TEdit>(f, u"runtime_rlre_Edit2")->Text().size(), 10u);  // 8 letters, 2 digits
                   EXPECT_EQ(Find<TEdit>(f, u"runtime_rlre_Edit2")->Width(), 200);
                   Press(f, u"OK");
                 }),
            mrOk);
  EXPECT_EQ(view->GetElem(1, 5), "005");
  EXPECT_EQ(view->GetElem(2, 5).size(), 10u);
  EXPECT_EQ(view->GetElem(4, 5), "none");
}

TEST_F(RowEditor, UntouchedEditorsThatRefusedTheCellLeaveIt) {
  // OK wrote every editor back: a TNumIO given "n/a" (which it refuses, staying empty) and a drop-down
  // list without the cell's text wrote "" over their cells.
  view->SetColumnFormat(2, "[l][100]lake|sea");
  view->SetColumnFormat(3, "[e][80]");
  view->SetElem(3, 1, "n/a");
  EXPECT_EQ(Edit(1,
                 [&](TForm* f) {
                   EXPECT_EQ(Find<TNumIO>(f, u"runtime_rlre_NumIO3")->Text(), u"");
                   EXPECT_EQ(Find<TComboBox>(f, u"runtime_rlre_CBox2")->ItemIndex(), -1);
                   Press(f, u"OK");
                 }),
            mrOk);
  EXPECT_EQ(view->GetElem(3, 1), "n/a");
  EXPECT_EQ(view->GetElem(2, 1), "river");
  EXPECT_EQ(Edit(1,
                 [&](TForm* f) {  // a changed editor writes its text
                   Find<TNumIO>(f, u"runtime_rlre_NumIO3")->SetText(u"4.5");
                   Find<TComboBox>(f, u"runtime_rlre_CBox2")->SetItemIndex(1);
                   Press(f, u"OK");
                 }),
            mrOk);
  EXPECT_EQ(view->GetElem(3, 1), "4.5");
  EXPECT_EQ(view->GetElem(2, 1), "sea");
}

TEST_F(RowEditor, TheHostMayReplaceAColumnFormat) {
  view->OnRequestEditFormat = [](TObject*, int Col, int Row, String& Format) {
    if (Col == 3 && Row == 2) Format = u"[h][70]";
  };
  EXPECT_EQ(Edit(2,
                 [&](TForm* f) {
                   EXPECT_EQ(Find<TNumIO>(f, u"runtime_rlre_NumIO3")->InputFormat(), itHex);
                   Press(f, u"Cancel");
                 }),
            mrCancel);
}

TEST_F(RowEditor, OnAHostFormTheEditorsComeAndGoAndTheHostKeepsItsControls) {
  TForm host(nullptr);
  host.SetBounds(50, 50, 100, 200);
  auto* own = new TEdit(&host);
  own->SetName(u"HostEdit");
  own->SetParent(&host);
  own->SetBounds(0, 0, 20, 20);
  auto* okButton = new TSpeedButton(&host);
  okButton->SetParent(&host);
  okButton->SetBounds(0, 170, 40, 20);
  okButton->SetCaption(u"Done");
  okButton->OnClick = [&](TObject*) { host.SetModalResult(mrOk); };
  user.WhenModalShows([&](TForm* f) {
    EXPECT_EQ(f, &host);
    EXPECT_EQ(f->Caption(), u"");
    auto* edit = Find<TEdit>(f, u"runtime_rlre_Edit2");
    EXPECT_EQ(edit->Top(), 30 + 25);
    const int lw = Find<TLabel>(f, u"runtime_rlre_Label1")->Width();
    EXPECT_EQ(f->Width(), 200 + lw + 28);  // raised to the editors' width
    EXPECT_EQ(f->Height(), 200);           // already high enough
    EXPECT_EQ(Runtime(f), 8);
    edit->SetText(u"fjord");
    user.Click(okButton, 5, 5);
  });
  EXPECT_EQ(view->EditRowEntries(6, &host, 20, 30), mrOk);
  EXPECT_EQ(view->GetElem(2, 6), "fjord");
  EXPECT_EQ(Runtime(&host), 0);
  EXPECT_EQ(host.FindComponent(u"HostEdit"), own);
  EXPECT_EQ(host.ComponentCount(), 2);
}

TEST_F(RowEditor, OwnCaptionsAreUsed) {
  user.WhenModalShows([&](TForm* f) {
    EXPECT_EQ(f->Caption(), u"Probe");
    Press(f, u"Abbrechen");
  });
  EXPECT_EQ(view->EditRowEntries(1, 0, 0, u"Probe", u"Gut", u"Abbrechen"), mrCancel);
}

TEST_F(RowEditor, PickersReadTheCellByTheirPattern) {
  view->SetColumnFormat(4, "[ddd.MM.yyyy][110]");
  view->SetElem(4, 1, "24.12.2023");
  view->SetElem(4, 2, "Mar 3");
  view->SetColumnFormat(3, "[dMMM d][110]");
  view->SetElem(3, 2, "Mar 3");  // the date encoding refuses year 0
  Edit(1, [&](TForm* f) {
    auto* picker = Find<TDateTimePicker>(f, u"runtime_rlre_DtPick4");
    EXPECT_EQ(picker->Format(), u"dd.MM.yyyy");
    EXPECT_EQ(picker->DateTime(), EncodeDate(2023, 12, 24));
    Press(f, u"Cancel");
  });
  // A cell the date encoding refused made EditRowEntries raise before the form opened.
  Edit(2, [&](TForm* f) {
    EXPECT_EQ(Find<TDateTimePicker>(f, u"runtime_rlre_DtPick3")->DateTime(), 0);
    EXPECT_EQ(Find<TDateTimePicker>(f, u"runtime_rlre_DtPick4")->DateTime(), 0);  // does not scan
    Press(f, u"OK");
  });
  EXPECT_EQ(view->GetElem(3, 2), "Mar 3");  // untouched: the cell stays
}

TEST_F(RowEditor, PickerValuesWrittenBackReadBackEqualForEveryToken) {
  // Values were written with the platform's FormatDateTime, whose tokens differ from the picker's: the
  // cell then held text ScanDateTime could not read (a PM hour passed 23 on the next edit).
  const char16_t* patterns[] = {u"yyyy-MM-dd HH:mm:ss",    u"d.M.yy H:m:s",           u"MMMM d, yyyy hh:mm tt",
                                u"ddd MMM dd yyyy h:mm t", u"dddd d MMMM yyyy HH:mm", u"HH:mm:ss"};
  const TDateTime values[] = {EncodeDateTime(2031, 7, 4, 15, 7, 9, 0), EncodeDateTime(2031, 11, 23, 0, 30, 0, 0),
                              EncodeDateTime(2030, 1, 2, 12, 45, 0, 0)};
  for (const char16_t* pattern : patterns) {
    const String p = pattern;
    const bool seconds = p.find(u's') != String::npos, date = p.find(u'y') != String::npos;
    view->SetColumnFormat(4, StringToAnsi(u"[d" + p + u"][160]"));
    for (TDateTime v : values) {
      TDateTime want = date ? v : v - std::floor(v);
      if (!seconds) want = std::floor(want * 1440 + 1e-7) / 1440;
      view->SetElem(4, 1, "");
      Edit(1, [&](TForm* f) {
        Find<TDateTimePicker>(f, u"runtime_rlre_DtPick4")->SetDateTime(want);
        Press(f, u"OK");
      });
      const String cell = AnsiToString(view->GetElem(4, 1));
      int error = 0;
      EXPECT_NEAR(ScanDateTime(cell, p, lgEnglish, error), want, 1e-8) << StringToUtf8(p) << " " << StringToUtf8(cell);
      EXPECT_EQ(error, 0) << StringToUtf8(cell);
      // And it opens again with the same value.
      Edit(1, [&](TForm* f) {
        EXPECT_NEAR(Find<TDateTimePicker>(f, u"runtime_rlre_DtPick4")->DateTime(), want, 1e-8);
        Press(f, u"Cancel");
      });
    }
  }
}

TEST_F(RowEditor, ARaisingHostHandlerLeavesNoEditorOnTheHostForm) {
  // The editors made before a failure stayed on the host's form.
  TForm host(nullptr);
  view->OnRequestEditFormat = [](TObject*, int Col, int, String&) {
    if (Col == 3) throw EConvertError(u"no format");
  };
  EXPECT_THROW(view->EditRowEntries(1, &host, 0, 0), EConvertError);
  EXPECT_EQ(Runtime(&host), 0);
  EXPECT_EQ(host.ComponentCount(), 0);
}
