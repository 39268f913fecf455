// Qelta_MiniCal: the month calendar: Easter and the holidays, the month's placement, drawing, the
// mouse and navigation, the setters.
//
// Index
//   [SECTION] unit routines      Easter, the first of a month
//   [SECTION] holiday texts      the built-in holidays and the movable feasts in four languages
//   [SECTION] construction
//   [SECTION] holidays
//   [SECTION] placement          UpdateCal, WMSize
//   [SECTION] drawing
//   [SECTION] mouse and navigation
//   [SECTION] setters
//
// Deviations from the classic component, keeping what hosts rely on:
//  - Navigation stops at the years 1 and 9999: PrevMonth, PrevYear, NextMonth and NextYear there
//    leave the date (a click on "<" in January of year 1 raised a date-encoding error out of the
//    click).
//  - SetDate ignores a value whose date the platform cannot decode (before year 1, after 9999, NaN):
//    the calendar kept it and then raised from every later paint and placement.
//  - UpdateCal makes the cell of the selected day current (the classic picked another cell, which
//    nothing read); the anchor stays and nothing scrolls.
//  - WMSize gives column 0 and row 0 exactly what the seven day columns and rows leave of the client
//    (the classic's formula assumed a border of 2 pixels outside the client), never below 0.
//  - lgUnknown holidays read in English.

#include "Qelta_MiniCal.h"

#include <algorithm>

#include "Encoding.h"
#include "Qelta_qeltacolors.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr int kEveryYear = -99999;  // the year of a yearly holiday
constexpr int kGridSize = 8;
constexpr int kCalendarWidth = 300, kCalendarHeight = 180;
constexpr TColor kFrameLight = 0xFFFFFF, kFrameDark = 0x686868, kFrameShadow = 0x9CA0A5, kFrameHighlight = 0xE6E2E2;

}  // namespace

// [SECTION] unit routines

void CalcEasterSunday(int Year, int& Day, int& Month) {
  const int K = Year / 100;
  const int M = 15 + (3 * K + 3) / 4 - (8 * K + 13) / 25;
  const int S = 2 - (3 * K + 3) / 4;
  const int A = Year % 19;
  const int D = (19 * A + M) % 30;
  const int R = (D + A / 11) / 29;
  const int OG = 21 + D - R;
  const int SZ = 7 - (Year + Year / 4 + S) % 7;
  const int OE = 7 - (OG - SZ) % 7;
  const int OS = OG + OE;
  Month = OS > 31 ? 4 : 3;
  Day = OS > 31 ? OS - 31 : OS;
}

TDateTime FirstOfMonth(TDateTime Date) {
  int y = 0, m = 0, d = 0;
  DecodeDate(Date, y, m, d);
  return EncodeDate(y, m, 1);
}

// [SECTION] holiday texts

namespace {

constexpr int kBuiltIn = 8, kFeasts = 6, kLanguages = 4;

struct TFixedHoliday {
  int Day, Month;
  std::array<const char16_t*, kLanguages> Caption;  // English, German, French, Spanish
};

const std::array<TFixedHoliday, kBuiltIn> kBuiltInHolidays = {{
    {25, 12, {u"Christmas Day", u"Weihnachten", u"Noël", u"Navidad"}},
    {26, 12, {u"Boxing Day", u"Stephanitag", u"Jour de boxe", u"Día de San Esteban"}},
    {1, 1, {u"New Year's Day", u"Neujahrstag", u"Nouvel An Jour", u"Día de Año Nuevo"}},
    {6, 1, {u"Epiphany", u"Hl. Drei Könige", u"Épiphanie", u"Epifanía"}},
    {15, 8, {u"Assumption of Mary", u"Maria Himmelfahrt", u"Assomption", u"Asunción"}},
    {1, 11, {u"All Saints", u"Allerheiligen", u"La Toussaint", u"Día de Todos los Santos"}},
    {8, 12, {u"Immaculate Conception", u"Maria Empfängnis", u"Immaculée Conception", u"Inmaculada Concepción"}},
    {1, 5, {u"Labor Day", u"Tag der Arbeit", u"Fête du Travail", u"Día del Trabajo"}},
}};

struct TFeast {
  int Offset;  // days after Easter Sunday
  std::array<const char16_t*, kLanguages> Caption;
};

const std::array<TFeast, kFeasts> kFeastList = {{
    {0, {u"Easter Day", u"Ostersonntag", u"Le jour de Pâques", u"Domingo de Resurrección"}},
    {1, {u"Easter Monday", u"Ostermontag", u"Lundi de Pâques", u"Lunes de Pascua"}},
    {39, {u"Ascension Day", u"Christi Himmelfahrt", u"Ascension du Christ", u"Ascensión de Cristo"}},
    {49, {u"Pentecost", u"Pfingstsonntag", u"Dimanche de Pentecôte", u"Domingo de Pentecostés"}},
    {50, {u"Whit Monday", u"Pfingstmontag", u"Lundi de Pentecôte", u"Lunes de Pentecostés"}},
    {60, {u"Corpus Christi", u"Fronleichnam", u"Corpus Christi", u"Corpus Cristi"}},
}};

/// Column of a language in the text tables (lgUnknown reads English).
int TextColumn(TLanguage l) { return l >= lgEnglish && l <= lgSpanish ? l - lgEnglish : 0; }

/// A date of March to June as its day count from 1 March (1 March is 1).
int MarchDayCount(int Month, int Day) {
  constexpr std::array<int, 4> kBefore = {0, 31, 61, 92};  // days of March.. before the month
  return Day + kBefore[static_cast<std::size_t>(Month - 3)];
}

}  // namespace

// [SECTION] construction

TMiniCal::TMiniCal(TComponent* AOwner)
    : TCustomDrawGrid(AOwner),
      FHDayList(std::make_unique<TIntMatrix>(nullptr)),
      FHDayCaptions(std::make_unique<TStringList>()),
      FDate(Now()) {
  SetDefaultDrawing(false);
  SetColCount(kGridSize);
  SetRowCount(kGridSize);
  SetFixedCols(1);
  SetFixedRows(2);
  SetGridLineWidth(1);
  SetScrollBars(ssNone);
  SetBorderStyle(bsSingle);
  SetCtl3D(true);
  SetOptions((Options() - TGridOptions{goRangeSelect}) | TGridOptions{goDrawFocusSelected});
  SetBounds(Left(), Top(), kCalendarWidth, kCalendarHeight);
  SetDoubleBuffered(true);
  LoadBuiltInHolidays();
  UpdateCal();
}

TMiniCal::~TMiniCal() = default;

// [SECTION] holidays

void TMiniCal::AppendHoliday(int day, int mon, int year, const String& Caption) {
  const int n = FHDayList->NrOfRows() + 1;
  FHDayList->Resize(3, n);
  FHDayList->SetVal(1, n, day);
  FHDayList->SetVal(2, n, mon);
  FHDayList->SetVal(3, n, year);
  FHDayCaptions->Add(Caption);
}

void TMiniCal::LoadBuiltInHolidays() {
  FHDayCaptions->Clear();
  FHDayList->Resize(3, 0);
  const int column = TextColumn(FLanguage);
  for (const TFixedHoliday& h : kBuiltInHolidays) AppendHoliday(h.Day, h.Month, kEveryYear, h.Caption[column]);
}

bool TMiniCal::CheckHoliday(int Year, int Month, int Day, String& Caption) const {
  Caption.clear();
  for (int i = 1; i <= FHDayList->NrOfRows(); ++i) {
    if (FHDayList->GetVal(1, i) != Day || FHDayList->GetVal(2, i) != Month) continue;
    const int y = FHDayList->GetVal(3, i);
    if (y == kEveryYear || y == Year) {
      Caption = FHDayCaptions->Strings(i - 1);
      return true;
    }
  }
  if (!FShowMovHdays || Month < 3 || Month > 6) return false;
  int ed = 0, em = 0;
  CalcEasterSunday(Year, ed, em);
  const int offset = MarchDayCount(Month, Day) - MarchDayCount(em, ed);
  for (const TFeast& f : kFeastList)
    if (f.Offset == offset) {
      Caption = f.Caption[static_cast<std::size_t>(TextColumn(FLanguage))];
      return true;
    }
  return false;
}

void TMiniCal::ClearHolidayList() {
  FHDayCaptions->Clear();
  FHDayList->Resize(3, 0);
  UpdateCal();
  Repaint();
}

void TMiniCal::AddHoliday(int day, int mon, int year, const String& Caption) {
  AppendHoliday(day, mon, year, Caption);
  UpdateCal();
  Repaint();
}

void TMiniCal::AddRepeatHoliday(int day, int mon, const String& Caption) { AddHoliday(day, mon, kEveryYear, Caption); }

bool TMiniCal::RetrieveHoliday(int HDIndex, int& Day, int& Month, int& Year, bool& IsRepeatHDay,
                               String& Description) const {
  if (HDIndex < 1 || HDIndex > NumHolidays()) return false;
  Day = FHDayList->GetVal(1, HDIndex);
  Month = FHDayList->GetVal(2, HDIndex);
  Year = FHDayList->GetVal(3, HDIndex);
  IsRepeatHDay = Year == kEveryYear;
  Description = FHDayCaptions->Strings(HDIndex - 1);
  return true;
}

// [SECTION] placement

void TMiniCal::UpdateCal() {
  FUpdating = true;
  const int w = DayOfTheWeek(FirstOfMonth(FDate));  // 1 Monday .. 7 Sunday
  const int a = (w - F1stDayWeek + 7) % 7;  // the first's day column (0: the seventh)
  FMonOfs = a == 0 ? -5 : 2 - a;
  const int t = Day() - FMonOfs + 15;  // col + 7 row of the selected day
  const int row = (t - 1) / 7;
  MoveColRow(t - 7 * row, row, false, false);
  if (FShowHDayHint) {
    String caption;
    const bool hit = FIndicateHolid && CheckHoliday(Year(), Month(), Day(), caption);
    SetHint(hit ? caption : String());
  }
  Invalidate();
  FUpdating = false;
}

void TMiniCal::Resize() {
  TCustomDrawGrid::Resize();
  WMSize(ClientWidth(), ClientHeight());
}

void TMiniCal::WMSize(int W, int H) {
  const int line = GridLineWidth();
  const int colWidth = std::max((W - 7 * line) / kGridSize, 0), rowHeight = std::max((H - 7 * line) / kGridSize, 0);
  SetDefaultColWidth(colWidth);
  SetDefaultRowHeight(rowHeight);
  SetColWidths(0, std::max(W - 7 * (colWidth + line) - line, 0));
  SetRowHeights(0, std::max(H - 7 * (rowHeight + line) - line, 0));
}

// [SECTION] drawing

void TMiniCal::Fill(const TRect& r, TColor back, TColor text) {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(back);
  c->FillRect(r);
  c->Font()->SetColor(text);
}

void TMiniCal::CentredText(const TRect& r, const String& text) {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsClear);
  c->TextOut(r.Left + (r.Width() - c->TextWidth(text)) / 2, r.Top + (r.Height() - c->TextHeight(text)) / 2, text);
  c->Brush()->SetStyle(bsSolid);
}

void TMiniCal::DrawBtnFrame(TCanvas* Canvas, const TRect& Rect) {
  if (!Ctl3D()) return;
  const int l = Rect.Left, t = Rect.Top, r = Rect.Right, b = Rect.Bottom;
  auto line = [Canvas](TColor color, TPoint a, TPoint m, TPoint e) {
    Canvas->Pen()->SetColor(color);
    Canvas->MoveTo(a.X, a.Y);
    Canvas->LineTo(m.X, m.Y);
    Canvas->LineTo(e.X, e.Y);
  };
  line(kFrameLight, Point(l, b - 1), Point(l, t), Point(r, t));
  line(kFrameDark, Point(l, b), Point(r, b), Point(r, t));
  line(kFrameShadow, Point(l + 1, b - 1), Point(r - 1, b - 1), Point(r - 1, t));
  line(kFrameHighlight, Point(l + 1, b - 2), Point(l + 1, t + 1), Point(r - 1, t + 1));
}

void TMiniCal::DrawNavigation(int ACol, TRect r) {
  static constexpr std::array<const char16_t*, kGridSize> kButtons = {nullptr, u"<<", u"<", nullptr,
                                                                      nullptr, nullptr, u">", u">>"};
  String text;
  if (ACol == 5) {  // the caption, across columns 3..5
    r.Left -= 2 * (r.Width() + GridLineWidth());
    const auto& names = FMonthShort ? MonthShort : MonthLong;
    text = AnsiToString(names[FLanguage][static_cast<std::size_t>(Month())]) + u" " + IntToStr(Year());
  } else if (kButtons[static_cast<std::size_t>(ACol)] != nullptr) {
    text = kButtons[static_cast<std::size_t>(ACol)];
  } else {
    return;
  }
  Fill(r, clBtnFace, clBlack);
  CentredText(r, text);
  DrawBtnFrame(Canvas(), r);
}

void TMiniCal::DrawDay(int ACol, int ARow, const TRect& r) {
  int y = 0, m = 0, selected = 0;
  DecodeDate(FDate, y, m, selected);
  const int d = DayAt(ACol, ARow), n = DaysInMonth(y, m);
  TColor back = FDayColors[static_cast<std::size_t>((ACol + F1stDayWeek - 1) % 7)], text = FColorInactMon;
  int shown = d;
  if (d < 1) {
    shown = d + (m == 1 ? 31 : DaysInMonth(y, m - 1));
  } else if (d > n) {
    shown = d - n;
  } else {
    text = FColorActMon;
    String caption;
    const bool holiday = FIndicateHolid && CheckHoliday(y, m, d, caption);
    if (holiday) {
      back = FColorHdayBg;
      text = FColorHdayFg;
    }
    if (d == selected) {
      text = FColorSelFg;
      back = holiday ? MeanColor(FColorSelBg, FColorHdayBg) : FColorSelBg;
    }
  }
  Fill(r, back, text);
  CentredText(r, IntToStr(shown));
  int ty = 0, tm = 0, td = 0;
  DecodeDate(qelta::Date(), ty, tm, td);
  if (FMarkToday && ty == y && tm == m && td == d) {
    TCanvas* c = Canvas();
    c->Pen()->SetColor(FColorToday);
    c->Brush()->SetStyle(bsClear);
    c->Ellipse(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    c->Brush()->SetStyle(bsSolid);
  }
}

void TMiniCal::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState /*AState*/) {
  if (ARow == 0) return DrawNavigation(ACol, ARect);
  if (ARow == 1 && ACol == 0) {  // "#", across both fixed rows
    TRect r = ARect;
    r.Top -= RowHeights(0) + GridLineWidth();
    Fill(r, clBtnFace, clBlack);
    CentredText(r, u"#");
    DrawBtnFrame(Canvas(), r);
    return;
  }
  if (ARow == 1) {
    const int weekday = (ACol + F1stDayWeek - 1) % 7 + 1;
    Fill(ARect, FColorDayIdBg, FColorDayIdFg);
    CentredText(ARect, AnsiToString(WeekDayShort[FLanguage][static_cast<std::size_t>(weekday)]));
    return;
  }
  if (ACol == 0) {
    Fill(ARect, FColorWknBg, FColorWknFg);
    CentredText(ARect, IntToStr(WeekOfRow(ARow)));
    return;
  }
  DrawDay(ACol, ARow, ARect);
}

// [SECTION] mouse and navigation

void TMiniCal::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomDrawGrid::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || X <= 0 || Y <= 0 || X >= Width() || Y >= Height()) return;
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X > 0 && cell.Y > 1) {
    int y = 0, m = 0, d0 = 0;
    DecodeDate(FDate, y, m, d0);
    int d = DayAt(cell.X, cell.Y);
    if (FAutoSwitch && d < 1) {
      d += m == 1 ? 31 : DaysInMonth(y, m - 1);
      if (--m < 1) m = 12, --y;
    } else if (FAutoSwitch && d > DaysInMonth(y, m)) {
      d -= DaysInMonth(y, m);
      if (++m > 12) m = 1, ++y;
    }
    TDateTime picked = 0;
    if (d >= 1 && d <= DaysInMonth(y, m) && TryEncodeDate(y, m, d, picked)) {
      FDate = picked;
      Changed();
    }
    UpdateCal();
    return;
  }
  if (cell.Y != 0 && !(cell.Y == 1 && cell.X == 0)) return;
  switch (cell.X) {
    case 0: SetDate(Now()); break;
    case 1: PrevYear(); break;
    case 2: PrevMonth(); break;
    case 6: NextMonth(); break;
    case 7: NextYear(); break;
    default: break;
  }
}

void TMiniCal::MouseUp(TMouseButton /*Button*/, TShiftState /*Shift*/, int /*X*/, int /*Y*/) {}

void TMiniCal::MonthStep(int n) {
  int y = 0, m = 0, d = 0;
  DecodeDate(FDate, y, m, d);
  const TDateTime x = n > 0 ? EncodeDate(y, m, DaysInMonth(y, m)) + n : EncodeDate(y, m, 1) + n;
  int y2 = 0, m2 = 0, d2 = 0;
  DecodeDate(x, y2, m2, d2);
  TDateTime to = 0;
  if (!TryEncodeDate(y2, m2, std::min(d, DaysInMonth(y2, m2)), to)) return;  // beyond the years 1..9999
  SetDate(to);
}

void TMiniCal::NextMonth() { MonthStep(1); }
void TMiniCal::PrevMonth() { MonthStep(-1); }

void TMiniCal::NextYear() {
  if (Year() >= 9999) return;
  if (Month() == 2 && Day() == 29) SetDay(28);
  SetYear(Year() + 1);
}

void TMiniCal::PrevYear() {
  if (Year() <= 1) return;
  if (Month() == 2 && Day() == 29) SetDay(28);
  SetYear(Year() - 1);
}

void TMiniCal::LastDayOfMonth() { SetDay(DaysInMonth(Year(), Month())); }

void TMiniCal::Changed() {
  if (OnChange) OnChange(this);
}

// [SECTION] setters

int TMiniCal::Year() const {
  int y = 0, m = 0, d = 0;
  DecodeDate(FDate, y, m, d);
  return y;
}

int TMiniCal::Month() const {
  int y = 0, m = 0, d = 0;
  DecodeDate(FDate, y, m, d);
  return m;
}

int TMiniCal::Day() const {
  int y = 0, m = 0, d = 0;
  DecodeDate(FDate, y, m, d);
  return d;
}

void TMiniCal::SetDate(TDateTime d) {
  int y = 0, m = 0, day = 0;
  DecodeDate(d, y, m, day);
  if (y < 1) return;  // no date the calendar can show
  FDate = d;
  UpdateCal();
  Changed();
}

void TMiniCal::ReplaceDate(int y, int m, int d) {
  int oy = 0, om = 0, od = 0, h = 0, n = 0, s = 0, ms = 0;
  DecodeDateTime(FDate, oy, om, od, h, n, s, ms);
  FDate = EncodeDateTime(y, m, d, h, n, s, ms);  // raises for a date that does not exist
}

void TMiniCal::SetYear(int y) {
  if (y >= 0) ReplaceDate(y, Month(), Day());
  UpdateCal();
  Changed();
}

void TMiniCal::SetMonth(int m) {
  if (m >= 1 && m <= 12) ReplaceDate(Year(), m, Day());
  UpdateCal();
  Changed();
}

void TMiniCal::SetDay(int d) {
  if (d >= 1 && d <= DaysInMonth(Year(), Month())) ReplaceDate(Year(), Month(), d);
  UpdateCal();
  Changed();
}

void TMiniCal::Set1stDayWeek(TDayOfWeek w) {
  if (w == F1stDayWeek) return;
  F1stDayWeek = w;
  UpdateCal();
  Changed();
}

void TMiniCal::SetDayColors(TDayOfWeek w, TColor c) {
  FDayColors[w] = c;
  UpdateCal();
  Changed();
}

void TMiniCal::SetLanguage(TLanguage l) {
  FLanguage = l;
  LoadBuiltInHolidays();
  UpdateCal();
}

void TMiniCal::SetIndicateHolidays(bool b) {
  FIndicateHolid = b;
  UpdateCal();
  Repaint();
}

void TMiniCal::SetShowMovHDays(bool b) {
  FShowMovHdays = b;
  UpdateCal();
  Repaint();
}

void TMiniCal::SetFShowHDayHint(bool b) {
  FShowHDayHint = b;
  SetHint(String());
  if (b) SetShowHint(true);
  UpdateCal();
  Repaint();
}

void TMiniCal::SetMarkToday(bool b) {
  FMarkToday = b;
  Repaint();
}

void TMiniCal::SetMonthShort(bool b) {
  FMonthShort = b;
  Repaint();
}

void TMiniCal::StoreColor(TColor& field, TColor c) {
  field = c;
  Repaint();
}

void TMiniCal::SetColorActMon(TColor c) { StoreColor(FColorActMon, c); }
void TMiniCal::SetColorInactMon(TColor c) { StoreColor(FColorInactMon, c); }
void TMiniCal::SetColorWknBg(TColor c) { StoreColor(FColorWknBg, c); }
void TMiniCal::SetColorWknFg(TColor c) { StoreColor(FColorWknFg, c); }
void TMiniCal::SetColorDayIdBg(TColor c) { StoreColor(FColorDayIdBg, c); }
void TMiniCal::SetColorDayIdFg(TColor c) { StoreColor(FColorDayIdFg, c); }
void TMiniCal::SetColorSelBg(TColor c) { StoreColor(FColorSelBg, c); }
void TMiniCal::SetColorSelFg(TColor c) { StoreColor(FColorSelFg, c); }
void TMiniCal::SetColorHDayBg(TColor c) { StoreColor(FColorHdayBg, c); }
void TMiniCal::SetColorHDayFg(TColor c) { StoreColor(FColorHdayFg, c); }
void TMiniCal::SetColorToday(TColor c) { StoreColor(FColorToday, c); }

}  // namespace qelta
