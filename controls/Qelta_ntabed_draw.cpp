// Qelta_ntabed: the table editor's drawing and in-place editing: Paint, the cells by state, scale
// and marks, the fixed cells and the corner, the editor's text in and out, keys and wheel.
//
// Deviations from the classic component, keeping what hosts rely on:
//  - A committed text writes the cell's state before its value (the value's hook repaints at
//    once, so the cell showed the old state: "-nan-" after a valid entry), and the cell is
//    invalidated also when the text was refused.
//  - An interval text is read only when the whole text is a finite number: "inf", "nan", hex and
//    overflowing exponents ("1e400") are refused like any other text (state 1, value kept); in
//    nominal and ordinal columns a digit string beyond 32 bits is refused the same way instead of
//    raising out of the edit.
//  - Enter advances the current cell only when the key arrived as Enter (a host OnKeyPress that
//    swallowed a letter moved the current cell).
//  - Leaving an editor whose text the user did not change commits nothing (the grid's rule), so an
//    empty, "-nan-" or marked cell keeps its state when merely visited.
//  - A data column of the measured width shows what the cells show (labels, "-nan-"), so
//    AutoColWidth fits those texts, not the numbers behind them.

#include <algorithm>
#include <cmath>

#include "Encoding.h"
#include "Math.h"
#include "Qelta_math1.h"
#include "Qelta_ntabed.h"
#include "Qelta_ntabed_internal.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr int kMaxLabels = 25;
constexpr int kMaxLabelLength = 10;

}  // namespace

// [SECTION] unit routines

String FormatWithPrecision(int Width, int Decimals, double Value) { return FormatData(Value, Width, Decimals); }

void ShrinkRect(TRect& Rect, int Margin) {
  const int h = Margin / 2;
  if (Rect.Bottom - Rect.Top > h) {
    Rect.Top += Margin;
    Rect.Bottom -= Margin;
  }
  if (Rect.Right - Rect.Left > h) {
    Rect.Left += Margin;
    Rect.Right -= Margin;
  }
}

// [SECTION] painting

void TNTabEd::Paint() {
  if (PaintSuppressed()) return;
  // Outside the window's paint, paint through it: the in-place editor and the memo keep their pixels.
  if (!ControlState().Contains(csPainting)) return Repaint();
  ++FPaints;
  TCustomGrid::Paint();
  if (FOptRowHeight) FitRowHeights();
}

void TNTabEd::BeforeRenderCell(TObject* Sender, int colix, int rowix, String& Text, TColor& ColorText,
                               TColor& ColorBakg, TFontStyles& FontStyles) {
  if (OnBeforeRenderCell) OnBeforeRenderCell(Sender, colix, rowix, Text, ColorText, ColorBakg, FontStyles);
}

void TNTabEd::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  if (ACol <= FColOffset || ARow <= FRowOffset) return DrawFixedCell(ACol, ARow, ARect);
  const int col = ACol - FColOffset, row = ARow - FRowOffset;
  if (InsideTable(col, row)) DrawDataCell(col, row, ARect, AState);  // the blank column (row) stays as filled
}

String TNTabEd::LabelText(int col, int64_t v, bool scaleName) const {
  if (v >= 1 && v <= kMaxLabels) {
    const TNominalIDStr id = Data->GetNominalID(col, static_cast<int>(v));
    if (!id.empty()) return AnsiToString(id);
  }
  if (!scaleName) return IntToStr(v);
  return String(MScaleTypeNames[Data->GetMScaleType(col)]) + u":" + IntToStr(v);
}

String TNTabEd::CellText(int col, int row) const {
  const uint8_t s = GetCellState(col, row);
  if ((s & csEmpty) != 0) return String();
  if ((s & csNotANumber) != 0) return u"-nan-";
  if (Categorial(col)) return LabelText(col, Round(GetElem(col, row)), true);
  return FormatWithPrecision(FNumWidth, GetDecPlaces(col), GetElem(col, row));
}

void TNTabEd::DrawDataCell(int col, int row, const TRect& ARect, TGridDrawState AState) {
  TCanvas* c = Canvas();
  const uint8_t marks = GetCellState(col, row) & (csMarkA | csMarkB);
  const bool selected = AState.Contains(gdSelected);
  String text = CellText(col, row);
  TColor textColor = selected ? FColorRngSelFG : FColorNormal;
  TColor back = selected ? FColorRngSelBG : c->Brush()->Color();
  TFontStyles style = c->Font()->Style();
  if (marks != 0) {
    textColor = marks == csMarkA ? FColorMarked1 : marks == csMarkB ? FColorMarked2 : FColorMarkedBoth;
    if (FBoldMarks) style.Include(fsBold);
  }
  BeforeRenderCell(this, col, row, text, textColor, back, style);
  c->Brush()->SetColor(back);
  c->Font()->SetStyle(style);
  c->Font()->SetColor(textColor);
  c->TextRect(ARect, ARect.Left + 2, ARect.Top + 1, text);
}

void TNTabEd::DrawHeading(const TRect& rect, int x, int y, const String& text, bool current) {
  TCanvas* c = Canvas();
  TFontStyles style = Font()->Style();
  if (current && FBoldSelHeads) style.Include(fsBold);
  c->Font()->SetStyle(style);
  c->Font()->SetColor(current ? FColorSelected : FColorNormal);
  c->TextRect(rect, x, y, text);
  c->Font()->SetStyle(Font()->Style());
}

void TNTabEd::DrawFixedCell(int ACol, int ARow, TRect r) {
  if (ACol == 0 && ARow == 0) return DrawCorner(r, FCommentMMActive);
  ShrinkRect(r, 1);
  const TGridRect sel = Selection();
  if (ARow > FRowOffset) {  // the name or the attribute of a data row
    const int row = ARow - FRowOffset;
    if (row > NrOfRows()) return;
    r.Right -= 2;
    if (ACol == 0)
      DrawHeading(r, r.Left + 2, r.Top, GetRowName(row), ARow == sel.Top);
    else
      DrawHeading(r, r.Left + 2, r.Top + 1, IntToStr(GetRowAttrib(row)), ARow == sel.Top);
    return;
  }
  const int col = ACol - FColOffset;
  if (col > NrOfColumns()) return;
  if (ARow > 0) {  // the attribute row
    r.Right -= 2;
    if (col >= 1)
      DrawHeading(r, r.Left + 2, r.Top + 1, IntToStr(GetColAttrib(col)), ACol == sel.Left);
    else if (ACol == 0)
      DrawHeading(r, r.Left + 2, r.Top + 1, u"Attribute", false);
    return;
  }
  if (col >= 1) {  // the name row
    r.Right -= 2;
    DrawHeading(r, r.Left + 2, r.Top + 1, GetColName(col), ACol == sel.Left);
  } else {
    DrawHeading(r, r.Left + 2, r.Top + 1, u"Attrib", false);
  }
}

String TNTabEd::CornerText() const {
  const TGridRect sel = Selection();
  return IntToStr(sel.Left - FColOffset) + u":" + IntToStr(sel.Top - FRowOffset);
}

void TNTabEd::DrawCorner(const TRect& rect, bool comment) {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(comment ? ctl_detail::kCommentBack : clWindow);
  c->Font()->SetColor(comment ? ctl_detail::kCommentText : FColorNormal);
  c->Font()->SetStyle({});
  if (comment)
    c->TextRect(rect, rect.Left + 2, rect.Top + 1, u"Comment:");
  else
    c->TextRect(rect, rect.Left + 3, rect.Top + 2, CornerText());
}

void TNTabEd::RefreshCorner() {
  const TRect r = CellRect(0, 0);
  if (PaintSuppressed() || r.Right <= r.Left) return;
  Canvas()->Font()->Assign(Font());
  DrawCorner(r, false);
}

// [SECTION] in-place editing

String TNTabEd::GetEditText(int ACol, int ARow) {
  const int col = ACol - FColOffset, row = ARow - FRowOffset;
  String value = Categorial(col) ? LabelText(col, Round(GetElem(col, row)), false)
                                 : FormatWithPrecision(FNumWidth, GetDecPlaces(col), GetElem(col, row));
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TNTabEd::StoreEntry(int col, int row, double value) {
  Data->SetCellState(col, row, 0);  // first: the value's hook repaints at once
  Data->SetElem(col, row, value);
}

bool TNTabEd::CommitLabel(int col, int row, const String& Value) {
  int k = Data->OrdinalOfNominalID(col, StringToAnsi(Copy(Value, 1, kMaxLabelLength)), true);
  if (k == 0) {
    if (!IsValidDecInt(Value)) return false;
    int32_t v = 0;
    int code = 0;
    Val(Value, v, code);
    if (code != 0) return false;  // beyond 32 bits
    k = v;
  }
  StoreEntry(col, row, k);
  return true;
}

bool ctl_detail::ReadTypedNumber(const String& text, double& x) {
  String t = text;
  std::replace(t.begin(), t.end(), u',', u'.');
  double v = 0;
  int code = 0;
  Val(Trim(t), v, code);
  if (code != 0 || !std::isfinite(v)) return false;
  x = v;
  return true;
}

bool TNTabEd::CommitNumber(int col, int row, const String& Value) {
  double x = 0;
  if (!ctl_detail::ReadTypedNumber(Value, x)) return false;
  StoreEntry(col, row, x);
  return true;
}

void TNTabEd::SetEditText(int ACol, int ARow, const String& Value) {
  const int col = ACol - FColOffset, row = ARow - FRowOffset;
  if (InsideTable(col, row)) {
    const bool read = Categorial(col) ? CommitLabel(col, row, Value) : CommitNumber(col, row, Value);
    if (!read) Data->SetCellState(col, row, csNotANumber);  // the value stays
    InvalidateCell(ACol, ARow);
  }
  TCustomGrid::SetEditText(ACol, ARow, Value);
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

std::unique_ptr<TInplaceEdit> TNTabEd::CreateEditor() {
  auto editor = std::make_unique<TInplaceEditList>(nullptr);
  editor->SetDropDownRows(FDropdownCount);
  editor->OnGetPickListItems = [this](int ACol, int ARow, TStrings* Items) { ColumnsGetPickListItems(ACol, ARow, Items); };
  return editor;
}

TEditStyle TNTabEd::GetEditStyle(int ACol, int /*ARow*/) {
  return Categorial(ACol - FColOffset) ? esPickList : esSimple;
}

bool TNTabEd::CanEditShow() const {
  return TCustomGrid::CanEditShow() && InsideTable(Col() - FColOffset, Row() - FRowOffset);
}

void TNTabEd::ColumnsGetPickListItems(int ACol, int /*ARow*/, TStrings* Items) {
  const int col = ACol - FColOffset;
  FColPickList->Clear();
  for (int i = 1; i <= kMaxLabels; ++i) {
    const TNominalIDStr id = Data->GetNominalID(col, i);
    if (!id.empty()) FColPickList->Add(AnsiToString(id));
  }
  Items->Assign(FColPickList.get());
}

// [SECTION] keys and wheel

void TNTabEd::KeyPress(Char& Key) {
  const bool enter = Key == u'\r';
  TCustomGrid::KeyPress(Key);
  if (FAutoAdvance && enter && (Key == 0 || Key == u'\r')) {
    Word move = FAutoAdvDir == orVert ? VK_DOWN : VK_RIGHT;
    KeyDown(move, {});
  }
  if (Key == 27 && InplaceEditor() != nullptr) {
    TGridOptions options = Options();
    options.Exclude(goEditing);  // until the next mouse release
    SetOptions(options);
    HideEditor();
  }
}

void TNTabEd::KeyDown(Word& Key, TShiftState Shift) {
  TCustomGrid::KeyDown(Key, Shift);
  RefreshCorner();
  Invalidate();
}

bool TNTabEd::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  const bool handled = TCustomGrid::DoMouseWheelDown(Shift, MousePos);
  RefreshCorner();
  Invalidate();
  return handled;
}

bool TNTabEd::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  const bool handled = TCustomGrid::DoMouseWheelUp(Shift, MousePos);
  RefreshCorner();
  Invalidate();
  return handled;
}

}  // namespace qelta
