// TReportListView: painting. The grid calls DrawCell for every visible cell; header cells draw the
// common header as one bar and the column headers with their sort arrow, data cells take their look
// from the rules below (later ones win) and draw check marks, masked and shortened texts. Paint adds
// the empty message and the inter-row marker.
//
// Look of a data cell, in order: shading by groups of RowColPattern rows (the first group shaded);
// a disabled row; a selected column and row (both, column, row); the highlighted row or column; the
// fixed first column ($C0C0C0); a disabled control (grey text); OnBeforeRenderCell.
//
// Deviations from the classic component:
//  - A password check column reads the check state from the stored text and masks only the rest (the
//    classic masked first, so every cell showed as checked).
//  - The bevel of the fixed first column ends at the cell's own right edge.

#include <algorithm>
#include <cmath>

#include "Encoding.h"
#include "Qelta_replist.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr uint8_t kSelected = 0x80, kDisabled = 0x40;
constexpr TColor kGrey = 0x808080, kWhite = 0xFFFFFF, kBlack = 0x000000, kFixedColumn = 0xC0C0C0;
constexpr int kMaxHeaderLines = 100;
constexpr int kCheckSpace = 16;  // a check column's text starts this much further right
constexpr int kArrowSpace = 13;  // room of the sort arrow in the last sort column

/// Lines of a header text (split at line feeds, at most 100).
std::vector<String> HeaderLines(const String& text) {
  std::vector<String> lines;
  size_t at = 0;
  while (int(lines.size()) < kMaxHeaderLines) {
    const size_t lf = text.find(u'\n', at);
    lines.push_back(text.substr(at, lf == String::npos ? String::npos : lf - at));
    if (lf == String::npos) break;
    at = lf + 1;
  }
  return lines;
}

/// x of a text of width w aligned between left and right.
int AlignedX(TAlignment a, int left, int right, int w) {
  switch (a) {
    case taRightJustify:
      return right - w;
    case taCenter:
      return (left + right) / 2 - w / 2;
    default:
      return left;
  }
}

/// Characters to keep of a text of `length` characters and width w in `room` pixels, less `less`.
int KeptChars(int length, int room, int w, int less) {
  const double n = double(length) * room / w - less;
  return std::max(1, int(std::nearbyint(std::clamp(n, -1e9, 1e9))));
}

/// Text clipped to r over what is drawn already (a solid brush would fill r first).
void TextOver(TCanvas* cv, const TRect& r, int x, int y, const String& text) {
  cv->Brush()->SetStyle(bsClear);
  cv->TextRect(r, x, y, text);
  cv->Brush()->SetStyle(bsSolid);
}

void Line(TCanvas* cv, int x1, int y1, int x2, int y2) {
  cv->MoveTo(x1, y1);
  cv->LineTo(x2, y2);
}

}  // namespace

void TReportListView::PaintExtras() {
  TCanvas* cv = Canvas();
  const int heads = CountHeadRows();
  int headHeight = 0;
  for (int g = 0; g < heads; ++g) headHeight += RowHeights(g) + 1;
  if (NrOfRows() == 0) {
    cv->Pen()->SetWidth(1);
    cv->Pen()->SetColor(Color());
    cv->Brush()->SetColor(Color());
    cv->Brush()->SetStyle(bsSolid);
    const TRect area = Rect(0, headHeight, Width(), Height());
    cv->Rectangle(area);
    if (!FEmptyMsg.empty()) {
      cv->Font()->Assign(Font());
      cv->Font()->SetColor(FColorEmptyMsg);
      const int x = (Width() - cv->TextWidth(FEmptyMsg)) / 2;
      const int y = headHeight + (Height() - headHeight - cv->TextHeight(FEmptyMsg)) / 2 - 2;
      TextOver(cv, area, x, y, FEmptyMsg);
    }
  }
  const int p = FInterRowIndi, top = TCustomGrid::TopRow();
  if (p != 0 && p >= top - heads + 1 && p <= NrOfRows() + 1) {
    const int y = (heads + p - top - 1) * (DefaultRowHeight() + 1) + headHeight - heads;
    cv->Pen()->SetColor(FInterRowColor);
    cv->Pen()->SetWidth(FInterRowWidth);
    Line(cv, 0, y, Width(), y);
    cv->Pen()->SetWidth(1);
  }
}

void TReportListView::TopLeftChanged() {
  Invalidate();
  TCustomDrawGrid::TopLeftChanged();
}

int TReportListView::HeaderBarEnd() {
  int end = 0;
  if (TCustomGrid::FixedCols() > 0) end = std::max(end, CellRect(0, 0).Right);
  for (int g = TCustomGrid::LeftCol(); g < ColCount(); ++g) {
    const TRect r = CellRect(g, 0);
    if (r.Right <= r.Left) break;
    end = r.Right;
  }
  return end;
}

void TReportListView::DrawHeaderBevel(TCanvas* cv, int left, int top, int bottom, int rightEnd) {
  cv->Pen()->SetWidth(1);
  cv->Pen()->SetColor(kWhite);
  cv->MoveTo(left, bottom - 1);
  cv->LineTo(left, top);
  cv->LineTo(rightEnd, top);
  cv->Pen()->SetColor(kGrey);
  cv->MoveTo(left + 1, bottom - 1);
  cv->LineTo(rightEnd - 1, bottom - 1);
  cv->LineTo(rightEnd - 1, top);
}

void TReportListView::DrawCommonHeader(TCanvas* cv, const TRect& ARect) {
  const int end = HeaderBarEnd();
  const TRect bar = Rect(0, ARect.Top, end, ARect.Bottom);
  cv->Brush()->SetColor(FComHdColor);
  cv->Pen()->SetColor(FComHdColor);
  cv->Rectangle(bar);
  cv->Font()->SetColor(FComHdTxtColor);
  const String& text = CommonHeader();
  const int h = cv->TextHeight(text);
  const std::vector<String> lines = HeaderLines(text);
  for (size_t k = 0; k < lines.size(); ++k) {
    const int w = cv->TextWidth(lines[k]);
    const int x = FHeaderAlignment == taRightJustify ? end - w - 5 : FHeaderAlignment == taCenter ? end / 2 - w / 2 : 4;
    TextOver(cv, bar, x, ARect.Top + 2 + int(k) * h, lines[k]);
  }
  DrawHeaderBevel(cv, 0, ARect.Top, ARect.Bottom, end);
  cv->Pen()->SetColor(kGrey);
  Line(cv, end - 1, ARect.Bottom - 1, end - 1, ARect.Top);
  cv->Pen()->SetColor(kBlack);
  Line(cv, end, ARect.Bottom - 1, end, ARect.Top - 1);
}

void TReportListView::DrawColumnHeader(TCanvas* cv, int ACol, const TRect& ARect) {
  const int c = ACol + 1;
  const TRect textRect = Rect(ARect.Left + 4, ARect.Top + 2, ARect.Right - 5, ARect.Bottom);
  cv->Brush()->SetColor(FColHdColor);
  cv->Pen()->SetColor(FColHdColor);
  cv->Rectangle(ARect);
  cv->Font()->SetColor(FColHdTxtColor);
  const String name = AnsiToString(GetColName(c));
  const bool sorted = LastSortColumn() == c;
  const int arrow = sorted ? kArrowSpace : 0, colWidth = ARect.Width(), room = colWidth - arrow - 9;
  const int h = cv->TextHeight(name);
  const TAlignment a = GetColAlignment(c);
  std::vector<String> lines = HeaderLines(name);
  int firstWidth = 0;
  for (size_t k = 0; k < lines.size(); ++k) {
    String& line = lines[k];
    int w = cv->TextWidth(line) + ItalicExtra();
    if (w > room && w > 0) {
      line = line.substr(0, size_t(KeptChars(int(line.size()), room, w, 3))) + u"...";
      w = cv->TextWidth(line) + ItalicExtra();
    }
    if (k == 0) firstWidth = w;
    TextOver(cv, textRect, AlignedX(a, textRect.Left, textRect.Right, w), textRect.Top + int(k) * h, line);
  }
  if (sorted) DrawSortArrow(cv, textRect, firstWidth, h, a, colWidth);
  DrawHeaderBevel(cv, ARect.Left, ARect.Top, ARect.Bottom, HeaderBarEnd());
}

void TReportListView::DrawSortArrow(TCanvas* cv, const TRect& textRect, int w, int h, TAlignment a, int colWidth) {
  const int span = textRect.Right - textRect.Left;
  int x = a == taRightJustify ? span - w - 11 : a == taCenter ? span / 2 + w / 2 + 10 : w + 10;
  x = std::min(x, colWidth - 11) + textRect.Left;
  const int y = textRect.Top + h / 2;
  cv->Pen()->SetWidth(1);
  if (LastSortOrder()) {
    cv->Pen()->SetColor(kGrey);
    Line(cv, x - 4, y + 3, x, y - 3);
    cv->Pen()->SetColor(kWhite);
    cv->LineTo(x + 4, y + 3);
    cv->LineTo(x - 4, y + 3);
  } else {
    cv->Pen()->SetColor(kWhite);
    Line(cv, x + 4, y - 3, x, y + 3);
    cv->Pen()->SetColor(kGrey);
    cv->LineTo(x - 4, y - 3);
    cv->LineTo(x + 4, y - 3);
  }
}

void TReportListView::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas* cv = Canvas();
  cv->Font()->Assign(Font());
  cv->Pen()->SetWidth(1);
  cv->Brush()->SetStyle(bsSolid);
  const TRect textRect = Rect(ARect.Left + 4, ARect.Top + 2, ARect.Right - 5, ARect.Bottom);
  if (ARow < TCustomGrid::FixedRows() || ACol < 0) {
    if (ARow == ComHeaderRow())
      DrawCommonHeader(cv, ARect);
    else if (ARow == ColHeaderRow())
      DrawColumnHeader(cv, ACol, ARect);
  } else {
    DrawDataCell(cv, ACol, ARow, ARect);
  }
  TCustomDrawGrid::DrawCell(ACol, ARow, textRect, AState);
}

void TReportListView::DrawDataCell(TCanvas* cv, int ACol, int ARow, const TRect& ARect) {
  const int c = ACol + 1, r = DataRowOf(ARow);
  const TCheckMode mode = GetColCheckMode(c);
  const AnsiString raw = FRLData->Strings->GetString(c, r);
  String text = AnsiToString(raw);
  if (GetColumnIsPwd(c))  // the check state stays readable
    text = (mode != cmNone ? String(1, raw.empty() ? u' ' : Char(uint8_t(raw[0]))) : String()) + u"******";
  // Colours by the rules of the file header.
  const uint8_t rowAttr = FRLData->Strings->GetRowAttrib(r), colAttr = FRLData->Strings->GetColAttrib(c);
  const bool rowDisabled = (rowAttr & kDisabled) != 0;
  TColor bk = FRowColPattern > 0 && (r - 1) / FRowColPattern % 2 == 0 ? FRColorShaded : FRColorNormal;
  TColor fg = FColorNormal;
  TFontStyles style;
  if (FEnabled && rowDisabled) {
    bk = FDisabledBkgdColor, fg = FDisabledTextColor;
  } else if (FEnabled) {
    const bool rowSel = (rowAttr & kSelected) != 0, colSel = (colAttr & kSelected) != 0;
    if (rowSel && colSel)
      bk = FSelBothColor, fg = FSelBothTextColor;
    else if (colSel)
      bk = FSelColColor, fg = FSelColTextColor;
    else if (rowSel)
      bk = FSelRowColor, fg = FSelRowTextColor;
    if (r == FHiLgtRow || c == FHiLgtColumn) {
      bk = FHiLgtColor, fg = FHiLgtTextColor;
      if (FHiLgtBold) style.Include(fsBold);
    }
  }
  const bool fixedFirst = ACol < TCustomGrid::FixedCols();
  if (fixedFirst) bk = kFixedColumn;
  if (!FEnabled) fg = clInactiveCaption;
  TColor pen = bk;
  if (OnBeforeRenderCell) OnBeforeRenderCell(this, c, r, pen, bk, fg, style, text);
  cv->Font()->SetStyle(style);
  cv->Font()->SetColor(fg);
  cv->Brush()->SetColor(bk);
  cv->Pen()->SetColor(pen);
  // Shortening: the width leaves the first character out.
  const int s = mode != cmNone ? kCheckSpace : 0, room = ARect.Width() - s - 9;
  const int w = text.empty() ? 0 : cv->TextWidth(text.substr(1)) + ItalicExtra();
  if (w > 0 && w > room) {
    const size_t n = size_t(KeptChars(int(text.size()), room, w, 4));
    if (GetColAlignment(c) == taRightJustify)
      text = text.substr(0, 1) + u"..." + text.substr(text.size() - std::min(n, text.size()));
    else
      text = text.substr(0, n) + u"...";
  }
  TRect outer = ARect;
  if (!Options().Contains(goVertLine) && !fixedFirst) ++outer.Right;
  if (!Options().Contains(goHorzLine)) ++outer.Bottom;
  cv->Rectangle(outer);
  TRect textRect = Rect(ARect.Left + 4, ARect.Top + 2, ARect.Right - 5, ARect.Bottom);
  if (mode == cmNone) {
    const int tw = cv->TextWidth(text) + ItalicExtra();
    TextOver(cv, textRect, AlignedX(GetColAlignment(c), textRect.Left, textRect.Right, tw), ARect.Top + 1, text);
  } else if (text.size() > 1 || FShowEmptyCBx) {
    const bool checked = !text.empty() && text[0] != u' ';
    if (!text.empty()) text.erase(0, 1);
    textRect.Left = ARect.Left + 20;
    const int tw = cv->TextWidth(text) + ItalicExtra();
    TextOver(cv, textRect, AlignedX(GetColAlignment(c), textRect.Left, textRect.Right, tw), ARect.Top + 1, text);
    DrawCheckMark(cv, mode, checked, rowDisabled, ARect, bk, fg);
  }
  if (fixedFirst) DrawHeaderBevel(cv, ARect.Left, ARect.Top, ARect.Bottom, ARect.Right);
}

void TReportListView::DrawCheckMark(TCanvas* cv, TCheckMode mode, bool checked, bool rowDisabled, const TRect& ARect,
                                    TColor bk, TColor fg) {
  const int L = ARect.Left, T = ARect.Top;
  if (!FROCheckMarks) {
    cv->Pen()->SetColor(!FEnabled ? clInactiveCaption : rowDisabled ? bk : clBtnShadow);
    cv->Brush()->SetColor(bk);
    if (mode == cmBox)
      cv->Rectangle(L + 4, T + 4, L + 15, T + 15);
    else
      cv->Ellipse(L + 4, T + 4, L + 15, T + 15);
  }
  if (!checked) return;
  cv->Pen()->SetColor(FEnabled ? fg : clInactiveCaption);
  if (mode == cmBox) {
    for (int i = 0; i < 3; ++i) {
      Line(cv, L + 6, T + 8 + i, L + 9, T + 11 + i);
      Line(cv, L + 8, T + 10 + i, L + 13, T + 5 + i);
    }
  } else {
    Line(cv, L + 8, T + 7, L + 11, T + 7);
    for (int i = 0; i < 3; ++i) Line(cv, L + 7, T + 8 + i, L + 12, T + 8 + i);
    Line(cv, L + 8, T + 11, L + 11, T + 11);
  }
}

}  // namespace qelta
