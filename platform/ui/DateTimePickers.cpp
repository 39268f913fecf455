// Date/time pickers.

#include "DateTimePickers.h"

#include <algorithm>
#include <cmath>

#include "WidgetPaint.h"

namespace qelta {

namespace {

const String kDefaultFormat = u"M/d/yyyy";

struct Parts {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Msec = 0;
};

Parts Split(TDateTime dt) {
  Parts p;
  DecodeDateTime(dt, p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Msec);
  return p;
}

int Wrap(int value, int low, int high) {
  return low + ((value - low) % (high - low + 1) + (high - low + 1)) % (high - low + 1);
}

}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* AOwner) : TWinControl(AOwner), FDateTime(Now()) {
  TControlStyle style = ControlStyle();
  SetControlStyle(style.Include(csOpaque));  // paints all of itself
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 186, WindowCanvas()->TextHeight(u"Wg") + 8);
}

void TDateTimePicker::Change() {
  if (OnChange) OnChange(this);
}

void TDateTimePicker::SetDateTime(TDateTime value) {
  int y = 0, m = 0, d = 0;
  DecodeDate(value, y, m, d);
  if (y < 1 || y > 9999 || value == FDateTime) return;
  FDateTime = value;
  Invalidate();
  Change();
}

void TDateTimePicker::SetFormat(const String& value) {
  if (value == FFormat) return;
  FFormat = value;
  FTyped = -1;
  SetField(FField);
  Invalidate();
}

String TDateTimePicker::DisplayText() const {
  return FormatDateTimePattern(FFormat.empty() ? kDefaultFormat : FFormat, FDateTime);
}

void TDateTimePicker::SetKind(TSegment& s, const String& token) {
  // The field a token shows and the digits a typed value takes (negative: a 12-hour clock); weekday
  // names follow the date and are no field of their own.
  const TDateTimeToken t = DateTimeTokenOf(token);
  const auto set = [&s](TFieldKind kind, int digits) {
    s.Kind = kind;
    s.Digits = digits;
  };
  switch (t.Field) {
    case dtpYear: set(fkYear, t.Width); break;
    case dtpMonth: set(fkMonth, 2); break;
    case dtpDay: set(fkDay, 2); break;
    case dtpHour: set(fkHour, 2); break;
    case dtpHour12: set(fkHour, -2); break;
    case dtpMinute: set(fkMinute, 2); break;
    case dtpSecond: set(fkSecond, 2); break;
    case dtpAmPm: set(fkAmPm, 0); break;
    default: break;
  }
}

std::vector<TDateTimePicker::TSegment> TDateTimePicker::Segments() const {
  std::vector<TSegment> out;
  String rest = FFormat.empty() ? kDefaultFormat : FFormat;
  while (!rest.empty()) {
    bool literal = false;
    const String token = TakeDateTimePatternToken(rest, literal);
    TSegment s{literal ? token : FormatDateTimePattern(token, FDateTime), fkNone, 0};
    if (!literal) SetKind(s, token);
    out.push_back(s);
  }
  return out;
}

int TDateTimePicker::FieldCount() const {
  const auto segments = Segments();
  return static_cast<int>(
      std::count_if(segments.begin(), segments.end(), [](const TSegment& s) { return s.Kind != fkNone; }));
}

const TDateTimePicker::TSegment* TDateTimePicker::FieldSegment(int field, const std::vector<TSegment>& segments) const {
  for (const TSegment& s : segments)
    if (s.Kind != fkNone && field-- == 0) return &s;
  return nullptr;
}

void TDateTimePicker::SetField(int value) {
  const int n = FieldCount();
  value = n == 0 ? -1 : std::clamp(value, 0, n - 1);
  if (value != FField) FTyped = -1;
  FField = value;
  Invalidate();
}

void TDateTimePicker::SetPart(TFieldKind kind, int value) {
  Parts p = Split(FDateTime);
  switch (kind) {
    case fkYear:
      p.Year = std::clamp(value, 1, 9999);
      break;
    case fkMonth:
      p.Month = value;
      break;
    case fkDay:
      p.Day = value;
      break;
    case fkHour:
      p.Hour = value;
      break;
    case fkMinute:
      p.Minute = value;
      break;
    case fkSecond:
      p.Second = value;
      break;
    default:
      break;
  }
  p.Day = std::min(p.Day, DaysInMonth(p.Year, p.Month));  // 31 March -> February keeps a day of February
  TDateTime dt = 0;
  if (TryEncodeDate(p.Year, p.Month, p.Day, dt))
    SetDateTime(EncodeDateTime(p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.Msec));
}

void TDateTimePicker::Step(TFieldKind kind, int delta) {
  const Parts p = Split(FDateTime);
  switch (kind) {
    case fkYear:
      SetPart(fkYear, p.Year + delta);
      break;
    case fkMonth:
      SetPart(fkMonth, Wrap(p.Month + delta, 1, 12));
      break;
    case fkDay:
      SetPart(fkDay, Wrap(p.Day + delta, 1, DaysInMonth(p.Year, p.Month)));
      break;
    case fkHour:
      SetPart(fkHour, Wrap(p.Hour + delta, 0, 23));
      break;
    case fkMinute:
      SetPart(fkMinute, Wrap(p.Minute + delta, 0, 59));
      break;
    case fkSecond:
      SetPart(fkSecond, Wrap(p.Second + delta, 0, 59));
      break;
    case fkAmPm:
      SetPart(fkHour, (p.Hour + 12) % 24);
      break;
    default:
      break;
  }
}

void TDateTimePicker::TypeDigit(const TSegment& field, int digit) {
  const Parts p = Split(FDateTime);
  const int digits = std::abs(field.Digits);
  int value = FTyped >= 0 ? FTyped * 10 + digit : digit;
  FTypedCount = FTyped >= 0 ? FTypedCount + 1 : 1;
  const int high = field.Kind == fkMonth  ? 12
                   : field.Kind == fkDay  ? DaysInMonth(p.Year, p.Month)
                   : field.Kind == fkHour ? (field.Digits < 0 ? 12 : 23)
                   : field.Kind == fkYear ? 9999
                                          : 59;
  if (value > high) {  // starts again with this digit
    value = digit;
    FTypedCount = 1;
  }
  FTyped = value;
  if (field.Kind == fkYear) {
    if (FTypedCount == digits) SetPart(fkYear, digits == 2 ? p.Year / 100 * 100 + value : value);
  } else if (field.Kind == fkHour && field.Digits < 0) {
    if (value >= 1) SetPart(fkHour, value % 12 + (p.Hour >= 12 ? 12 : 0));
  } else if (value >= (field.Kind == fkMonth || field.Kind == fkDay ? 1 : 0)) {
    SetPart(field.Kind, value);
  }
  if (FTypedCount >= digits || FTyped * 10 > high) {  // full: on to the next field
    FTyped = -1;
    SetField(FField + 1);
  }
}

void TDateTimePicker::KeyDown(Word& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  const auto segments = Segments();
  const TSegment* field = FieldSegment(FField, segments);
  switch (Key) {
    case VK_LEFT:
      SetField(FField - 1);
      break;
    case VK_RIGHT:
      SetField(FField + 1);
      break;
    case VK_UP:
    case VK_DOWN:
      FTyped = -1;
      if (field != nullptr) Step(field->Kind, Key == VK_UP ? 1 : -1);
      break;
    default:
      return;
  }
  Key = 0;
}

void TDateTimePicker::KeyPress(Char& Key) {
  TWinControl::KeyPress(Key);
  const auto segments = Segments();
  const TSegment* field = FieldSegment(FField, segments);
  if (Key == 0 || field == nullptr) return;
  if (Key >= u'0' && Key <= u'9' && field->Kind != fkAmPm) {
    TypeDigit(*field, Key - u'0');
  } else if (field->Kind == fkAmPm && (Key == u'a' || Key == u'A' || Key == u'p' || Key == u'P')) {
    const int hour = Split(FDateTime).Hour;
    const bool pm = Key == u'p' || Key == u'P';
    SetPart(fkHour, hour % 12 + (pm ? 12 : 0));
  } else {
    return;
  }
  Key = 0;
}

void TDateTimePicker::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    TCanvas* c = WindowCanvas();
    int x = 4, field = 0, chosen = -1;
    for (const TSegment& s : Segments()) {
      const int w = c->TextWidth(s.Text);
      if (s.Kind != fkNone) {
        if (chosen < 0 || X >= x) chosen = field;  // the last field that starts left of the point
        ++field;
      }
      x += w;
    }
    if (chosen >= 0) SetField(chosen);
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TDateTimePicker::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      FTyped = -1;
      Invalidate();
      break;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

void TDateTimePicker::PaintWindow() {
  TCanvas* c = WindowCanvas();
  TRect r = ClientRect();
  platform_detail::SunkenBorder(c, r);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  const bool focused = Focused() && Enabled();
  const int y = r.Top + (r.Height() - c->TextHeight(u"Wg")) / 2;
  int x = 4, field = 0;
  for (const TSegment& s : Segments()) {
    const int w = c->TextWidth(s.Text);
    const bool chosen = s.Kind != fkNone && field++ == FField && focused;
    c->Brush()->SetStyle(bsClear);
    if (chosen) {
      c->Brush()->SetColor(clHighlight);
      c->FillRect(platform_detail::Intersect(Rect(x, y, x + w, y + c->TextHeight(s.Text)), r));
      c->Font()->SetColor(clHighlightText);
      c->Brush()->SetStyle(bsClear);
    }
    c->TextRect(r, x, y, s.Text);
    if (chosen) c->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
    x += w;
  }
}

}  // namespace qelta
