// Qelta_NumIO: the numeric edit box TNumIO.
//
// The change check works on the text the edit box already shows: the platform's edit has placed the
// caret after the typed character before Change runs, so "one place left" puts it back before a
// refused character. A refused text is replaced by the last accepted one; an accepted itFixPoint text
// is rewritten with exactly FixPointDecPlaces decimals, and the rewritten text is the one remembered,
// so that a later refusal never brings back a text with too many decimals. Texts the control writes
// itself (SetEditText) are not checked; the flag that says so is set only when the text really
// changes, because setting the same text causes no change notification that would consume it.

#include <algorithm>
#include <cmath>
#include <utility>

#include "Dialogs.h"
#include "Qelta_NumIO_internal.h"
#include "Qelta_stringl.h"
#include "Qelta_univconst.h"

namespace qelta {

using ctl_detail::ConvertSepMode;
using ctl_detail::SeparatorOfMode;
using ctl_detail::SeparatorPos;

TNumIO::TNumIO(TComponent* AOwner) : TCustomEdit(AOwner) {
  if (ComponentState().Contains(csDesigning)) {
    FMinimum = -uc_MaxDouble;
    FMaximum = uc_MaxDouble;
  }
  SetEditText(String());
}

TNumIO::~TNumIO() = default;

// [SECTION] conversion

bool TNumIO::ConvertNumString(const String& text, double& value) const {
  return ctl_detail::ConvertNumText(text, FInFormat, ConvertSepMode(FDecPSep), value);
}

String TNumIO::LabText(double x) const {
  if (!std::isfinite(x)) x = 0;
  const Char sep = SeparatorOfMode(ConvertSepMode(FDecPSep));
  switch (FInFormat) {
    case itExp:
    case itDynamic: return ReplaceCharInString(ctl_detail::ExpText(x, 12), u'.', sep);
    case itFloat: return ReplaceCharInString(strff(x, 1, 8), u'.', sep);
    case itFixPoint: return ReplaceCharInString(strff(x, 1, FFixPDecPl), u'.', sep);
    case itInt: return strff(std::clamp(x, double(INT32_MIN), double(INT32_MAX)), 1, 0);
    default: return ctl_detail::RadixText(ctl_detail::RoundTo32(x), FInFormat, 8);
  }
}

void TNumIO::SetLabValue(double x) {
  const String text = LabText(x);
  SetEditText(text);
  FOldText = text;
}

double TNumIO::GetLabValue() const {
  String s = Text();
  if (const auto comma = s.find(u','); comma != String::npos) s[comma] = u'.';
  if (!s.empty() && s.back() == u'.') s += u'0';
  double value = 0;
  return ctl_detail::ConvertNumText(s, FInFormat, 1, value) ? value : 0;
}

void TNumIO::SetEditText(const String& text) {
  if (text == Text()) return;
  FInternalChg = true;
  SetText(text);
}

// [SECTION] the change check

void TNumIO::Change() {
  const bool internal = std::exchange(FInternalChg, false);
  if (internal || ComponentState().Contains(csDesigning)) return;
  CheckText();
}

int TNumIO::FixPointCaret(const String& text, int caret) const {
  const int mode = ConvertSepMode(FDecPSep);
  const int p = SeparatorPos(text, mode);
  const bool second = p > 0 && SeparatorPos(text.substr(static_cast<std::size_t>(p)), mode) > 0;
  return p == 0 || second ? SeparatorPos(FOldText, mode) : caret;
}

void TNumIO::CheckText() {
  const String text = Text();
  int caret = SelStart();
  if (FInFormat == itFixPoint) caret = FixPointCaret(text, caret);
  double value = 0;
  if (ConvertNumString(text, value) && ((FMinimum <= value && value <= FMaximum) || value == 0)) {
    const String accepted = FInFormat == itFixPoint ? LabText(value) : text;
    FOldText = accepted;
    SetEditText(accepted);
    if (caret != SelStart()) SetSelStart(caret);
    TCustomEdit::Change();
    return;
  }
  SetEditText(FOldText);
  SetSelStart(std::max(0, caret - 1));
  Repaint();
  if (FBeep) MessageBeep(0);
}

// [SECTION] properties

void TNumIO::SetInputFormat(TInFormat value) {
  if (value == FInFormat) return;
  FInFormat = value;
  FOldText.clear();
  Change();
}

void TNumIO::SetFixPointDecPlaces(int value) { FFixPDecPl = std::clamp(value, 1, 8); }

void TNumIO::SetRangeLow(double value) {
  if (value >= FMaximum) {
    FMinimum = FMaximum;
    FMaximum = value;
  } else {
    FMinimum = value;
  }
  FOldText.clear();
  Change();
}

void TNumIO::SetRangeHigh(double value) {
  if (value > FMinimum) {
    FMaximum = value;
  } else {
    FMaximum = FMinimum;
    FMinimum = value;
  }
  FOldText.clear();
  Change();
}

void TNumIO::SetDecPlaceSep(TDecPSep value) {
  if (value == FDecPSep) return;
  FDecPSep = value;
  FOldText.clear();
  Change();
}

// [SECTION] component

void TNumIO::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TNumIO*>(Source);
  if (other == nullptr) {
    TCustomEdit::Assign(Source);
    return;
  }
  FInFormat = other->FInFormat;
  FBeep = other->FBeep;
  FMinimum = other->FMinimum;
  FMaximum = other->FMaximum;
  FDecPSep = other->FDecPSep;
  FOldText.clear();
  Change();
}

void TNumIO::AssignTo(TPersistent* Dest) {
  if (auto* other = dynamic_cast<TNumIO*>(Dest)) {
    other->Assign(this);
    return;
  }
  TCustomEdit::AssignTo(Dest);
}

}  // namespace qelta
