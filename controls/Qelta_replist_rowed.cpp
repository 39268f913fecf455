// TReportListView: the row editor. One labelled editor per column on a modal form, chosen by the
// column's format ("[" type "]" "[" width "]" value): "c" and "l" combo boxes with the choices, "d" a
// date/time picker with the pattern after the "d", "e" "f" "h" "i" a TNumIO, "s" an edit; a leading "#"
// makes the editor read-only (disabled, grey). The editors are named "runtime_rlre_" + kind + column,
// carry the column in Tag and belong to the form, the view's own (with OK and Cancel) or the host's.
//
// Deviations from the classic component:
//  - On OK an editor whose text the user left as it was filled writes back the text it was given (the
//    cell's own text or its default): a TNumIO given "n/a", or a drop-down list without the cell's
//    text, no longer writes "" over the cell.
//  - A picker writes its value in its own pattern (FormatDateTimePattern), so ScanDateTime reads it
//    back; an empty pattern is the picker's "M/d/yyyy" both ways.
//  - A cell that the date encoding refuses ("Mar 3" under "MMM d") gives the picker 0 like any text
//    that does not scan, instead of raising before the form opens.
//  - The editors are freed on every exit path, so a host form never keeps some of them.

#include <algorithm>
#include <memory>
#include <vector>

#include "Buttons.h"
#include "ComboBoxes.h"
#include "DateTimePickers.h"
#include "Edits.h"
#include "Encoding.h"
#include "Forms.h"
#include "Labels.h"
#include "Qelta_NumIO.h"
#include "Qelta_replist.h"
#include "Qelta_replist_internal.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr char16_t kPrefix[] = u"runtime_rlre_";
constexpr int kLineHeight = 25, kButtonTop = 45, kButtonW = 81, kButtonH = 29;
constexpr TColor kReadOnlyBack = 0xE0E0E0, kReadOnlyText = 0x808080;
constexpr char16_t kPickerDefault[] = u"M/d/yyyy";

/// One editor and what it was given.
struct TEditorSlot {
  TWinControl* Editor = nullptr;
  TDateTimePicker* Picker = nullptr;
  String Pattern;     ///< a picker's pattern
  String Given;       ///< the cell's text, or its default when empty
  String FilledText;  ///< the editor's text right after filling
  TDateTime FilledValue = 0;
};

/// The picker's value of a text: 0 when it does not scan or names an impossible date.
TDateTime ScanOrZero(const String& text, const String& pattern) {
  int error = 0;
  try {
    const TDateTime v = ScanDateTime(text, pattern, lgEnglish, error);
    return error == 0 ? v : 0;
  } catch (const EConvertError&) {
    return 0;
  }
}

/// The choices of a value part: split at "|" (a last one without "|" counts too).
void FillChoices(TStrings* items, String value) {
  if (!value.empty() && value.back() != u'|') value += u'|';
  size_t at = 0;
  for (size_t bar = value.find(u'|'); bar != String::npos; bar = value.find(u'|', at)) {
    items->Add(value.substr(at, bar - at));
    at = bar + 1;
  }
}

/// The drop-down count after ":" in a type text; 0 when none.
int DropDownCountOf(const String& type) {
  const size_t colon = type.find(u':');
  if (colon == String::npos) return 0;
  int pos = int(colon) + 2;
  return ScanDecimal(type, pos);
}

template <typename T>
T* MakeEditor(TForm* form, const char16_t* kind, int c) {
  auto* e = new T(form);
  e->SetName(String(kPrefix) + kind + IntToStr(c));
  e->SetTag(c);
  e->SetParent(form);
  return e;
}

}  // namespace

TModalResult TReportListView::EditRowEntries(int Row, int PosLeft, int PosTop) {
  return EditRowEntriesIntern(Row, nullptr, PosLeft, PosTop, u"Editing Row " + IntToStr(Row), u"OK", u"Cancel");
}

TModalResult TReportListView::EditRowEntries(int Row, TForm* ContainerForm, int PosLeft, int PosTop) {
  return EditRowEntriesIntern(Row, ContainerForm, PosLeft, PosTop, String(), u"OK", u"Cancel");
}

TModalResult TReportListView::EditRowEntries(int Row, int PosLeft, int PosTop, const String& FormCaption,
                                             const String& ButOKCaption, const String& ButCancelCaption) {
  return EditRowEntriesIntern(Row, nullptr, PosLeft, PosTop, FormCaption, ButOKCaption, ButCancelCaption);
}

void TReportListView::EdRowOKClick(TObject* /*Sender*/) {
  if (FContainerForm != nullptr) FContainerForm->SetModalResult(mrOk);
}

void TReportListView::EdRowCancelClick(TObject* /*Sender*/) {
  if (FContainerForm != nullptr) FContainerForm->SetModalResult(mrCancel);
}

void TReportListView::EdRowKeyPress(TObject* Sender, Char& Key) {
  if (Key == 13) EdRowOKClick(Sender);
}

namespace {

/// Builds the editor of one column at (x, y) on the form and fills it; nullptr for a letter without one.
TEditorSlot MakeColumnEditor(TForm* form, const ctl_detail::TRLColumnFormat& f, int c, int x, int y, const String& cell,
                             const String& fallback) {
  TEditorSlot slot;
  slot.Given = cell.empty() ? fallback : cell;
  switch (f.TypeText[0]) {
    case u'c':
    case u'l': {
      auto* box = MakeEditor<TComboBox>(form, u"CBox", c);
      box->SetStyle(f.TypeText[0] == u'c' ? csDropDown : csDropDownList);
      FillChoices(box->Items(), f.Value);
      if (const int n = DropDownCountOf(f.TypeText); n > 0) box->SetDropDownCount(n);
      if (f.TypeText[0] == u'c')
        box->SetText(cell);
      else
        box->SetItemIndex(box->Items()->IndexOf(cell));
      slot.Given = cell;
      slot.Editor = box;
      break;
    }
    case u'd': {
      auto* picker = MakeEditor<TDateTimePicker>(form, u"DtPick", c);
      const String format = f.TypeText.substr(1);
      picker->SetFormat(format);
      slot.Pattern = format.empty() ? String(kPickerDefault) : format;
      slot.Given = !cell.empty() ? cell : f.Value;
      if (!slot.Given.empty()) picker->SetDateTime(ScanOrZero(slot.Given, slot.Pattern));
      slot.Picker = picker;
      slot.Editor = picker;
      break;
    }
    case u'e':
    case u'f':
    case u'h':
    case u'i': {
      auto* num = MakeEditor<TNumIO>(form, u"NumIO", c);
      num->SetRangeLow(-1.7e308);  // the range first: the text is checked against it
      num->SetRangeHigh(1.7e308);
      const Char k = f.TypeText[0];
      num->SetInputFormat(k == u'e' ? itDynamic : k == u'f' ? itFloat : k == u'h' ? itHex : itInt);
      num->SetText(slot.Given);
      slot.Editor = num;
      break;
    }
    case u's': {
      auto* edit = MakeEditor<TEdit>(form, u"Edit", c);
      edit->SetText(slot.Given);
      slot.Editor = edit;
      break;
    }
    default:
      return slot;
  }
  slot.Editor->SetBounds(x, y, f.Width, slot.Editor->Height());
  slot.FilledText = slot.Editor->Text();
  if (slot.Picker != nullptr) slot.FilledValue = slot.Picker->DateTime();
  return slot;
}

/// The text an editor leaves in its cell.
String WrittenText(const TEditorSlot& slot) {
  if (slot.Picker != nullptr) {
    if (slot.Picker->DateTime() == slot.FilledValue) return slot.Given;
    return FormatDateTimePattern(slot.Pattern, slot.Picker->DateTime());
  }
  const String text = slot.Editor->Text();
  return text == slot.FilledText ? slot.Given : text;
}

/// Frees the form's components named "runtime_rlre_...", last to first.
void FreeEditors(TForm* form) {
  for (int i = form->ComponentCount() - 1; i >= 0; --i) {
    TComponent* comp = form->Components(i);
    if (comp->Name().find(kPrefix) != String::npos) delete comp;
  }
}

}  // namespace

TModalResult TReportListView::EditRowEntriesIntern(int Row, TForm* ContainerForm, int PosLeft, int PosTop,
                                                   const String& FormCaption, const String& ButOKCaption,
                                                   const String& ButCancelCaption) {
  std::unique_ptr<TForm> own;
  TForm* form = ContainerForm;
  int x0 = PosLeft, y0 = PosTop, top = 0;
  if (form == nullptr) {
    own = std::make_unique<TForm>(this);
    form = own.get();
    form->SetBounds(PosLeft, PosTop, form->Width(), form->Height());
    x0 = 0, y0 = 0, top = kButtonTop;
  }
  struct TCleanup {  // the editors go on every exit path
    TForm* Form;
    TReportListView* View;
    ~TCleanup() {
      FreeEditors(Form);
      View->FContainerForm = nullptr;
      View->FSBERCancel = nullptr;
    }
  } cleanup{form, this};
  FContainerForm = form;
  TBitmap measure(1, 1);
  measure.Canvas()->Font()->Assign(form->Font());
  int lw = 0;
  for (int c = 1; c <= NrOfColumns(); ++c) lw = std::max(lw, measure.Canvas()->TextWidth(AnsiToString(GetColName(c))));
  lw += 8;
  std::vector<TEditorSlot> slots;
  int maxW = 0;
  for (int c = 1; c <= NrOfColumns(); ++c) {
    const int y = top + (c - 1) * kLineHeight + y0;
    String format = AnsiToString(GetColumnFormat(c));
    if (OnRequestEditFormat) OnRequestEditFormat(this, c, Row, format);
    const ctl_detail::TRLColumnFormat f = ctl_detail::ParseColumnFormat(format);
    maxW = std::max(maxW, f.Width);
    auto* label = MakeEditor<TLabel>(form, u"Label", c);
    label->SetAutoSize(false);
    label->SetAlignment(taRightJustify);
    label->SetCaption(AnsiToString(GetColName(c)) + u":");
    label->SetBounds(x0 + 8, y + 3, lw, label->Height());
    const String cell = AnsiToString(GetElem(c, Row));
    TEditorSlot slot = MakeColumnEditor(form, f, c, lw + x0 + 12, y, cell, ctl_detail::FormatDefault(f, Row));
    if (slot.Editor == nullptr) continue;
    if (f.ReadOnly) {
      slot.Editor->SetEnabled(false);
      slot.Editor->SetColor(kReadOnlyBack);
      slot.Editor->Font()->SetColor(kReadOnlyText);
    } else {
      slot.Editor->OnKeyPress = [this](TObject* Sender, Char& Key) { EdRowKeyPress(Sender, Key); };
    }
    slots.push_back(slot);
  }
  const int w = maxW + lw, h = NrOfColumns() * kLineHeight + top + 38;
  if (own) {
    form->SetBounds(PosLeft, PosTop, w + 28, h);
    form->SetBorderStyle(bsDialog);
    auto* cancel = new TSpeedButton(form);
    cancel->SetParent(form);
    cancel->SetBounds(w - 69, 4, kButtonW, kButtonH);
    cancel->SetCaption(ButCancelCaption);
    cancel->OnClick = [this](TObject* Sender) { EdRowCancelClick(Sender); };
    FSBERCancel = cancel;
    auto* ok = new TSpeedButton(form);
    ok->SetParent(form);
    ok->SetBounds(w - 154, 4, kButtonW, kButtonH);
    ok->SetCaption(ButOKCaption);
    ok->OnClick = [this](TObject* Sender) { EdRowOKClick(Sender); };
  } else {
    form->SetBounds(form->Left(), form->Top(), std::max(form->Width(), w + 28), std::max(form->Height(), h));
  }
  form->SetCaption(FormCaption);
  const TModalResult result = form->ShowModal();
  if (result == mrOk)
    Suppressed([&] {
      for (const TEditorSlot& slot : slots) SetElem(int(slot.Editor->Tag()), Row, StringToAnsi(WrittenText(slot)));
    });
  return result;
}

}  // namespace qelta
