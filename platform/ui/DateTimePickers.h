#pragma once
// Date/time pickers: TDateTimePicker, a field that shows a date and time in a pattern (DateUtils.h:
// yyyy yy MMMM MMM MM M dddd ddd dd d HH H hh h mm m ss s tt t and quoted text) and lets the user
// change it field by field.
//
// How: the text is FormatDateTimePattern(Format, DateTime), public in DateUtils.h so that a host can
// write a picker's value with the very text a scanner of those tokens reads back. A field (year,
// month, day, hour, minute, second, AM/PM; weekday names follow the date) is chosen by a click or by
// Left and Right; Up and Down step it (wrapping within its range, days kept inside their month);
// digits typed into it replace its value and move on once it is full; A or P set AM or PM. Every
// change of DateTime, by the user or in code, runs Change (OnChange); the same value runs nothing.
// Limits: no drop-down calendar, no check box, no minimum or maximum date; years 1..9999.

#include <vector>

#include "Controls.h"
#include "DateUtils.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TDateTimePicker : public TWinControl {
 public:
  explicit TDateTimePicker(TComponent* AOwner);

  void WndProc(TMessage& Message) override;

  /// The value; set: fires Change when it differs. Values outside the years 1..9999 are ignored.
  TDateTime DateTime() const { return FDateTime; }
  void SetDateTime(TDateTime value);
  /// The pattern shown; empty means "M/d/yyyy".
  const String& Format() const { return FFormat; }
  void SetFormat(const String& value);
  /// The text shown (the value in the pattern).
  String DisplayText() const;
  /// The chosen field: its 0-based number among the fields the user can change (-1 when the pattern has
  /// none); set: clamped.
  int Field() const { return FField; }
  void SetField(int value);
  /// Number of fields the user can change.
  int FieldCount() const;

  TNotifyEvent OnChange;

 protected:
  /// Runs when DateTime changed; fires OnChange.
  virtual void Change();
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void PaintWindow() override;

 private:
  enum TFieldKind : uint8_t { fkNone, fkYear, fkMonth, fkDay, fkHour, fkMinute, fkSecond, fkAmPm };
  struct TSegment {
    String Text;
    TFieldKind Kind = fkNone;
    int Digits = 0;  // digits a typed value takes (0: letters)
  };
  static void SetKind(TSegment& s, const String& token);
  std::vector<TSegment> Segments() const;
  const TSegment* FieldSegment(int field, const std::vector<TSegment>& segments) const;
  void Step(TFieldKind kind, int delta);
  void TypeDigit(const TSegment& field, int digit);
  void SetPart(TFieldKind kind, int value);

  TDateTime FDateTime = 0;
  String FFormat;
  int FField = 0;
  int FTyped = -1;  // digits typed into the chosen field so far (-1: none)
  int FTypedCount = 0;
};

}  // namespace qelta

QELTA_PUBLIC_END
