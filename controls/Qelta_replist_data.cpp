// TRLData: the model itself (creation, size, columns, cells and check marks, rows, defaults, sorting,
// copying). The text exchange lives in Qelta_replist_text.cpp and Qelta_replist_xml.cpp.

#include <algorithm>
#include <climits>
#include <new>

#include "Encoding.h"
#include "Qelta_filesys.h"
#include "Qelta_qeltabase.h"
#include "Qelta_replist.h"
#include "Qelta_replist_internal.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr char kChecked = 'X';
constexpr char kUnchecked = ' ';

AnsiString DefaultColName(int c) { return "C-" + StringToAnsi(IntToStr(c)); }

// A-Z folded, the rest as it is.
AnsiString LowerAZ(std::string_view s) {
  AnsiString r(s);
  for (char& ch : r)
    if (ch >= 'A' && ch <= 'Z') ch = char(ch + 32);
  return r;
}

// The row number with at least `digits` digits (decimal or upper-case hexadecimal), none dropped.
String PaddedNumber(int row, int digits, bool hex) {
  String r = hex ? IntToHex(int64_t(uint32_t(row)), 1) : IntToStr(row);
  if (int(r.size()) < digits) r.insert(0, size_t(digits) - r.size(), u'0');
  return r;
}

// The decimal number of a value part from 1-based position pos, within 0..255.
int CountAt(const String& value, int pos) {
  return std::clamp(int(ScanDecimal(value, pos)), 0, 255);
}

}  // namespace

namespace ctl_detail {

TRLColumnFormat ParseColumnFormat(const String& Format) {
  TRLColumnFormat f;
  String rest = Format;
  const size_t open = rest.find(u'['), close = rest.find(u']');
  if (open == String::npos || close == String::npos || open > close) {
    f.Value = rest;
    return f;
  }
  f.HasType = true;
  String type = rest.substr(open + 1, close - open - 1);
  rest.erase(0, close + 1);
  if (!type.empty() && type[0] == u'#') {
    f.ReadOnly = true;
    type.erase(0, 1);
  }
  if (!type.empty()) f.TypeText = type;
  const size_t wclose = rest.find(u']');
  if (!rest.empty() && rest[0] == u'[' && wclose != String::npos) {
    int pos = 1;
    const int w = ScanDecimal(rest.substr(1, wclose - 1), pos);
    f.Width = w < 1 ? 200 : w;
    rest.erase(0, wclose + 1);
  }
  f.Value = rest;
  return f;
}

}  // namespace ctl_detail

// [SECTION] creation

TRLData::TRLData(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FStore = std::make_unique<TStringArray>(nullptr);
    Strings = FStore.get();
    Strings->SetAllocRowsBy(10);
    Strings->Resize(1, 1);
    Strings->Clear();
    FColName.assign(1, DefaultColName(1));
    FColumnFormat.assign(1, AnsiString());
    FColButMode.assign(1, cmNone);
  } catch (const std::bad_alloc&) {
    throw EQeltaRLDataError(u"Component \"" + Name() + u"\": failed to initialize (out of memory)");
  }
  Strings->OnBeforeSortExchange = [this](TObject* Sender, const String& In, String& Out) {
    BeforeSortExchange(Sender, In, Out);
  };
}

TRLData::~TRLData() = default;

void TRLData::RaiseNoMemory() const {
  throw EQeltaRLDataError(u"Component \"" + Name() + u"\": not enough memory on heap");
}

void TRLData::SetFeedback(int rows) {
  const int64_t cells = int64_t(rows) * (int64_t(FNrOfCols) + 1);
  FFeedbkNumCells = cells == 0 ? 1 : int(std::min<int64_t>(cells, INT_MAX));
  FFeedbkStep = FFeedbkNumCells / 100 + 1;
}

void TRLData::ReportProgress(int64_t done) const {
  if (OnPercentDone && done % FFeedbkStep == 0)
    OnPercentDone(const_cast<TRLData*>(this), int(std::min<int64_t>(100, done * 100 / FFeedbkNumCells)));
}

// [SECTION] size

void TRLData::SetNrRows(int n) {
  n = std::max(n, 0);
  if (n > 0 && !Strings->Resize(FNrOfCols, n)) RaiseNoMemory();
  FNrOfRows = n;
  SetFeedback(n);
}

void TRLData::SetNrCols(int n) {
  n = std::max(n, 1);
  if (!Strings->Resize(n, std::max(FNrOfRows, 1))) RaiseNoMemory();
  FNrOfCols = n;
  SetFeedback(std::max(FNrOfRows, 1));
  const size_t old = FColName.size();
  try {
    FColName.resize(size_t(n));
    FColumnFormat.resize(size_t(n));
    FColButMode.resize(size_t(n), cmNone);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  for (size_t c = old; c < size_t(n); ++c) ResetColumn(int(c) + 1);
}

void TRLData::ResetColumn(int c) {
  FColName[size_t(c - 1)] = DefaultColName(c);
  FColumnFormat[size_t(c - 1)].clear();
  FColButMode[size_t(c - 1)] = cmNone;
}

// [SECTION] columns

int TRLData::ColumnIndex(std::string_view Head, bool PartialMatch) const {
  const AnsiString head = LowerAZ(Head);
  for (int c = FNrOfCols; c >= 1; --c) {
    const AnsiString name = LowerAZ(FColName[size_t(c - 1)]);
    if (name == head || (PartialMatch && name.find(head) != AnsiString::npos)) return c;
  }
  return -1;
}

AnsiString TRLData::GetColName(int c) const {
  return c >= 1 && c <= FNrOfCols ? FColName[size_t(c - 1)] : AnsiString();
}

void TRLData::SetColName(int c, std::string_view s) {
  if (c >= 1 && c <= FNrOfCols) FColName[size_t(c - 1)] = AnsiString(s.substr(0, MaxNameLength));
}

AnsiString TRLData::GetColumnFormat(int c) const {
  return c >= 1 && c <= FNrOfCols ? FColumnFormat[size_t(c - 1)] : AnsiString();
}

void TRLData::SetColumnFormat(int c, std::string_view s) {
  if (c >= 1 && c <= FNrOfCols) FColumnFormat[size_t(c - 1)] = AnsiString(s.substr(0, MaxFormatLength));
}

TCheckMode TRLData::GetColCheckMode(int c) const {
  return c >= 1 && c <= FNrOfCols ? FColButMode[size_t(c - 1)] : cmNone;
}

void TRLData::SetColCheckMode(int c, TCheckMode m) {
  const TCheckMode old = GetColCheckMode(c);
  if (c < 1 || c > FNrOfCols || m == old || m > cmRadio) return;
  Quietly(false, [&] {
    FColButMode[size_t(c - 1)] = m;
    // every stored row, so that rows kept beyond NrOfRows read alike when they come back
    for (int r = 1; r <= Strings->NrOfRows(); ++r) {
      const AnsiString raw = Strings->GetString(c, r);
      if (old == cmNone && !raw.empty()) Strings->SetString(c, r, kUnchecked + raw);
      else if (m == cmNone && !raw.empty()) Strings->SetString(c, r, std::string_view(raw).substr(1));
      else if (old == cmBox && m == cmRadio && !raw.empty() && raw[0] != kUnchecked)
        Strings->SetString(c, r, kUnchecked + raw.substr(1));
    }
  });
}

// [SECTION] cells and check marks

AnsiString TRLData::GetElem(int c, int r) const {
  if (!ValidCell(c, r)) return AnsiString();
  AnsiString raw = Strings->GetString(c, r);
  if (GetColCheckMode(c) != cmNone && !raw.empty()) raw.erase(0, 1);
  return raw;
}

void TRLData::SetElem(int c, int r, std::string_view s) {
  if (!ValidCell(c, r)) return;
  if (GetColCheckMode(c) == cmNone) {
    Strings->SetString(c, r, s);
    return;
  }
  const AnsiString raw = Strings->GetString(c, r);
  Strings->SetString(c, r, (raw.empty() ? kUnchecked : raw[0]) + AnsiString(s));
}

bool TRLData::GetElemChecked(int c, int r) const {
  if (!ValidCell(c, r) || GetColCheckMode(c) == cmNone) return false;
  const AnsiString raw = Strings->GetString(c, r);
  return !raw.empty() && raw[0] != kUnchecked;
}

void TRLData::SetCheckChar(int c, int r, bool b) {
  AnsiString raw = Strings->GetString(c, r);
  const char ch = b ? kChecked : kUnchecked;
  if (raw.empty()) raw.assign(1, ch);
  else raw[0] = ch;
  Strings->SetString(c, r, raw);
}

void TRLData::SetElemChecked(int c, int r, bool b) {
  if (!ValidCell(c, r) || GetColCheckMode(c) == cmNone) return;
  if (GetColCheckMode(c) == cmRadio) SetAllCheckmarksOfColIntern(c, false);
  SetCheckChar(c, r, b);
}

void TRLData::SetAllCheckmarksOfCol(int c, bool b) {
  if (GetColCheckMode(c) == cmBox) SetAllCheckmarksOfColIntern(c, b);
}

void TRLData::SetAllCheckmarksOfColIntern(int c, bool b) {
  if (GetColCheckMode(c) == cmNone) return;
  Quietly(true, [&] {
    for (int r = 1; r <= FNrOfRows; ++r)
      if (b || GetElemChecked(c, r)) SetCheckChar(c, r, b);  // an empty cell is unchecked already
  });
}

void TRLData::InvertAllCheckmarksOfCol(int c) {
  if (GetColCheckMode(c) != cmBox) return;
  Quietly(true, [&] {
    for (int r = 1; r <= FNrOfRows; ++r) {
      const AnsiString raw = Strings->GetString(c, r);
      SetCheckChar(c, r, raw.empty() || raw[0] != kChecked);
    }
  });
}

int TRLData::CountCheckedElemsInCol(int c) const {
  int n = 0;
  if (GetColCheckMode(c) != cmNone)
    for (int r = 1; r <= FNrOfRows; ++r) n += GetElemChecked(c, r);
  return n;
}

int TRLData::CountCheckedElemsInRow(int r) const {
  int n = 0;
  for (int c = 1; c <= FNrOfCols; ++c) n += GetElemChecked(c, r);
  return n;
}

int TRLData::FirstCheckedElemInCol(int c) const {
  if (GetColCheckMode(c) == cmNone) return 0;
  for (int r = 1; r <= FNrOfRows; ++r)
    if (GetElemChecked(c, r)) return r;
  return 0;
}

Extended TRLData::GetAsNumber(int c, int r) const { return ValidCell(c, r) ? Strings->GetAsNumber(c, r) : 0; }

AnsiString TRLData::GetCellDefaultValue(int c, int r) const {
  if (c < 1 || c > FNrOfCols) return AnsiString();
  const ctl_detail::TRLColumnFormat f = ctl_detail::ParseColumnFormat(AnsiToString(GetColumnFormat(c)));
  if (!f.HasType || f.ReadOnly) return AnsiString();
  return StringToAnsi(ctl_detail::FormatDefault(f, r));
}

namespace ctl_detail {

String FormatDefault(const TRLColumnFormat& f, int r) {
  const String lower = LowerCase(f.Value);
  switch (f.TypeText[0]) {
    case u'c':
    case u'l': return f.Value.substr(0, f.Value.find(u'|'));
    case u'd': return f.Value;
    case u'e':
    case u'f':
    case u'h':
    case u'i':
      if (lower.find(u"rix") == String::npos) return f.Value;
      if (f.TypeText[0] == u'h') return PaddedNumber(r, CountAt(f.Value, 4), true);
      if (f.TypeText[0] == u'i') return PaddedNumber(r, CountAt(f.Value, 4), false);
      return strff(r, 1, CountAt(f.Value, 4));
    case u's': return lower.find(u"$pwd$") == String::npos ? f.Value : InventPassword(CountAt(f.Value, 6));
    default: return String();
  }
}

}  // namespace ctl_detail

// [SECTION] rows

void TRLData::RemoveRow(int r) {
  if (r < 1 || r > FNrOfRows) return;
  Strings->CommitSorting();
  if (FNrOfRows == 1) {
    Quietly(true, [&] {
      for (int c = 0; c <= FNrOfCols; ++c) Strings->SetString(c, r, "");
    });
    FNrOfRows = 0;
    SetFeedback(0);
    return;
  }
  Strings->RemoveRow(r);
  FNrOfRows = Strings->NrOfRows();
  SetFeedback(FNrOfRows);
}

void TRLData::RemoveEmptyRows() {
  if (FNrOfRows < 1) return;
  std::vector<int> kept, dropped;  // physical rows, in view order
  for (int r = 1; r <= FNrOfRows; ++r) {
    bool empty = true;
    for (int c = 0; c <= FNrOfCols && empty; ++c) empty = GetElem(c, r).empty();
    (empty ? dropped : kept).push_back(Strings->GetSortOrder(r));
  }
  if (dropped.empty()) return;
  Quietly(true, [&] {
    // the kept rows first, then the dropped ones: one commit moves them, one resize cuts the rest
    int v = 1;
    for (int p : kept) Strings->SetSortOrder(v++, p);
    for (int p : dropped) Strings->SetSortOrder(v++, p);
    Strings->CommitSorting();
    if (!Strings->Resize(FNrOfCols, std::max<int>(int(kept.size()), 1))) RaiseNoMemory();
    if (kept.empty())
      for (int c = 0; c <= FNrOfCols; ++c) Strings->SetString(c, 1, "");
  });
  FNrOfRows = int(kept.size());
  SetFeedback(FNrOfRows);
}

void TRLData::CopyRow(int Source, int Target) {
  if (Source < 1 || Source > FNrOfRows || Target < 1 || Target > FNrOfRows) return;
  Strings->CopyRow(Source, Target);
}

void TRLData::Fill(std::string_view s) {
  Quietly(true, [&] {
    for (int c = 1; c <= FNrOfCols; ++c) {
      const bool check = GetColCheckMode(c) != cmNone;
      for (int r = 1; r <= FNrOfRows; ++r) {
        if (!check) {
          Strings->SetString(c, r, s);
          continue;
        }
        const AnsiString raw = Strings->GetString(c, r);
        Strings->SetString(c, r, (raw.empty() || raw[0] == kUnchecked ? kUnchecked : kChecked) + AnsiString(s));
      }
    }
  });
}

void TRLData::Clear() {
  Strings->Clear();
  for (int c = 1; c <= FNrOfCols; ++c) ResetColumn(c);
}

// [SECTION] sorting

void TRLData::Sort(int Col, int ColSec, bool Ascending) {
  FSortColumn = Col;
  FSortColumnSec = ColSec;
  FSortOrder = Ascending;
  Strings->Sort(Col, ColSec, Ascending);
}

void TRLData::UnSort() {
  FSortColumn = -1;
  FSortColumnSec = -1;
  Strings->UnSort();
}

void TRLData::BeforeSortExchange(TObject* /*Sender*/, const String& InString, String& OutString) {
  if (OnBeforeSortExchange) OnBeforeSortExchange(this, InString, OutString);
}

void TRLData::SetCommonHeader(const String& value) {
  if (value != FCommonHeader) FCommonHeader = value;
}

// [SECTION] copying

void TRLData::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TRLData*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  std::vector<AnsiString> names, formats;
  std::vector<TCheckMode> modes;
  try {
    names = src->FColName;
    formats = src->FColumnFormat;
    modes = src->FColButMode;
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  const int cols = src->FNrOfCols, rows = std::max(src->FNrOfRows, 1);
  const TStringArray& from = *src->Strings;
  // The same store object stays, with the hooks the constructor (and a view) gave it.
  Quietly(true, [&] {
    Strings->SetAllocRowsBy(from.AllocRowsBy());
    if (!Strings->Resize(cols, rows)) RaiseNoMemory();
    Strings->Clear();
    for (int c = 1; c <= cols; ++c) Strings->SetColAttrib(c, from.GetColAttrib(c));
    const bool physical = from.NrOfRows() == rows;  // else rows kept beyond NrOfRows: copy the view
    for (int v = 1; v <= rows; ++v) {
      const int p = physical ? from.GetSortOrder(v) : v;
      Strings->SetRowAttrib(p, from.GetRowAttrib(v));
      for (int c = 0; c <= cols; ++c) Strings->SetString(c, p, from.GetString(c, v));
    }
    if (physical)
      for (int v = 1; v <= rows; ++v) Strings->SetSortOrder(v, from.GetSortOrder(v));
  });
  FNrOfCols = cols;
  FNrOfRows = src->FNrOfRows;
  FSortColumn = src->FSortColumn;
  FSortColumnSec = src->FSortColumnSec;
  FSortOrder = src->FSortOrder;
  FSortToggle = src->FSortToggle;
  FComment = src->FComment;
  FCommonHeader = src->FCommonHeader;
  FDataID = src->FDataID;
  OnBeforeSortExchange = src->OnBeforeSortExchange;
  SetFeedback(rows);
  FColName.swap(names);
  FColumnFormat.swap(formats);
  FColButMode.swap(modes);
}

void TRLData::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TRLData*>(Dest)) d->Assign(this);
  else TComponent::AssignTo(Dest);
}

}  // namespace qelta
