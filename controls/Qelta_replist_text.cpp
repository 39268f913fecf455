// TRLData: clipboard copies, line files and the HTML table.

#include <algorithm>

#include "Clipbrd.h"
#include "Encoding.h"
#include "Qelta_htmlsupport.h"
#include "Qelta_replist.h"
#include "Qelta_replist_internal.h"
#include "Qelta_stringl.h"
#include "SysUtils.h"

namespace qelta {

// [SECTION] clipboard

String TRLData::ClipboardText(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader,
                              const String* Separator) const {
  const int left = std::max(LeftCol, 1), right = std::min(RightCol, FNrOfCols);
  const int top = std::max(TopRow, 1), bottom = std::min(BottomRow, FNrOfRows);
  String text;
  if (right < left) return text;
  text.reserve(size_t(std::max(bottom - top + 2, 1)) * size_t(right - left + 1) * 8);
  // fixed widths: the longest raw stored text of each column (check character included), or its name
  std::vector<int> width(size_t(right - left + 1), 0);
  if (Separator == nullptr)
    for (int c = left; c <= right; ++c) {
      int& w = width[size_t(c - left)];
      if (AddHeader) w = int(GetColName(c).size());
      for (int r = top; r <= bottom; ++r) w = std::max(w, int(Strings->GetString(c, r).size()));
    }
  auto cell = [&](int c, std::string_view s) {
    if (Separator != nullptr && c > left) text += *Separator;
    const size_t room = Separator == nullptr ? size_t(width[size_t(c - left)]) + 1 : s.size();
    s = s.substr(0, room);
    for (const char ch : s) {
      const auto b = static_cast<unsigned char>(ch);
      text.push_back(b < 0x80 ? Char(b) : AnsiCharToChar(b));
    }
    text.append(room - s.size(), u' ');
  };
  if (AddHeader) {
    for (int c = left; c <= right; ++c) cell(c, GetColName(c));
    text += u"\n\n";
  }
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) cell(c, GetElem(c, r));
    text += u'\n';
  }
  return text;
}

void TRLData::CopyToClipBoard(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader,
                              bool UseTabs) const {
  const String tab = u"\t";
  Clipboard()->SetAsText(ClipboardText(LeftCol, TopRow, RightCol, BottomRow, AddHeader, UseTabs ? &tab : nullptr));
}

void TRLData::CopyToClipBoard(int LeftCol, int TopRow, int RightCol, int BottomRow, bool AddHeader,
                              const String& Separator) const {
  Clipboard()->SetAsText(ClipboardText(LeftCol, TopRow, RightCol, BottomRow, AddHeader, &Separator));
}

// [SECTION] line files

int TRLData::LoadLinesFromFile(int Column, int FirstRow, const String& FName) {
  std::vector<AnsiString> lines;
  try {
    TextFile f;
    AssignFile(f, FName);
    Reset(f);
    String line;
    while (!Eof(f)) {
      ReadLn(f, line);
      lines.push_back(StringToAnsi(line.substr(0, TStringArray::MaxTextLength)));
    }
    CloseFile(f);
  } catch (const EInOutError&) {
    return -1;
  }
  if (Column < 0 || Column > FNrOfCols) return 0;
  const int first = std::clamp(FirstRow, 1, FNrOfRows + 1);
  const int64_t last = int64_t(first) + int64_t(lines.size()) - 1;
  if (last >= INT32_MAX) RaiseNoMemory();
  if (last > FNrOfRows) SetNrRows(int(last));
  Quietly(true, [&] {
    for (size_t i = 0; i < lines.size(); ++i) SetElem(Column, first + int(i), lines[i]);
  });
  return int(lines.size());
}

// [SECTION] HTML table

void TRLData::BeforeHTMLExport(String& Text, int Col, int Row) {
  if (OnBeforeHTMLExport) OnBeforeHTMLExport(this, Text, Col, Row);
}

void TRLData::ExportHTMLTable(const String& FName, int LeftCol, int TopRow, int RightCol, int BottomRow,
                              std::span<const int> Columns, int Border, int CellPadding, int CellSpacing,
                              bool ColumnHeaders, const String& Title, const String& TableAttributes,
                              const String& Caption) {
  std::vector<int> cols;
  if (Columns.empty())
    for (int c = std::max(LeftCol, 1); c <= std::min(RightCol, FNrOfCols); ++c) cols.push_back(c);
  else
    for (int c : Columns)
      if (c >= 1 && c <= FNrOfCols) cols.push_back(c);
  const int top = std::max(TopRow, 1), bottom = std::min(BottomRow, FNrOfRows);
  TextFile f;
  AssignFile(f, FName);
  RewriteReplacing(f);
  Write(f, DefaultHTMLHead(Title, String(), String(), String(), true));
  String open = u"<table border=\"" + IntToStr(Border) + u"\" cellpadding=\"" + IntToStr(CellPadding) +
                u"\" cellspacing=\"" + IntToStr(CellSpacing) + u"\"";
  if (!TableAttributes.empty()) open += u" " + TableAttributes;
  WriteLn(f, open + u">");
  if (!Caption.empty()) WriteLn(f, u"<caption>" + MakeStringHTMLCompatible(Caption) + u"</caption>");
  if (ColumnHeaders) {
    String line = u"<tr>";
    for (int c : cols) line += u"<th>" + MakeStringHTMLCompatible(AnsiToString(GetColName(c))) + u"</th>";
    WriteLn(f, line + u"</tr>");
  }
  int64_t done = 0;
  for (int r = top; r <= bottom; ++r) {
    String line = u"<tr>";
    for (int c : cols) {
      String text = AnsiToString(GetElem(c, r));
      BeforeHTMLExport(text, c, r);
      line += u"<td>" + MakeStringHTMLCompatible(text) + u"</td>";
      ReportProgress(++done);
    }
    WriteLn(f, line + u"</tr>");
  }
  WriteLn(f, u"</table>");
  Write(f, DefaultHTMLFoot(true));
  CloseFile(f);
}

}  // namespace qelta
