// Format: walks the format text once, converting each "%" directive with the next (or indexed)
// argument. Float types go through FloatToStrF, so they share its rounding and FormatSettings.
// Widths and precisions above kMaxCount are refused as invalid: they would only ask for huge texts.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <span>

#include "Exceptions.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr int kMaxCount = 1 << 20;
constexpr int kNone = -1;
constexpr int kFloatPrecision = 15;

// One parsed directive.
struct TConversion {
  bool Left = false;
  int Width = kNone;
  int Precision = kNone;
  Char Type = 0;
};

Char LowerAscii(Char c) { return c >= u'A' && c <= u'Z' ? static_cast<Char>(c + 32) : c; }

bool IsInteger(const TVarRec& a) { return a.Kind == TVarRec::vtInteger || a.Kind == TVarRec::vtInt64; }

String DecimalText(uint64_t magnitude) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, magnitude);
  return String(buf, r.ptr);
}

// Pads digits with '0' to `minDigits`, then puts the minus in front.
String PadDigits(String digits, int minDigits, bool minus) {
  if (minDigits > static_cast<int>(digits.size()))
    digits.insert(0, static_cast<size_t>(minDigits) - digits.size(), u'0');
  if (minus) digits.insert(0, 1, u'-');
  return digits;
}

String PadToWidth(String s, const TConversion& conv) {
  if (conv.Width <= static_cast<int>(s.size())) return s;
  const size_t fill = static_cast<size_t>(conv.Width) - s.size();
  if (conv.Left)
    s.append(fill, u' ');
  else
    s.insert(0, fill, u' ');
  return s;
}

class TFormatter {
 public:
  TFormatter(const String& fmt, std::initializer_list<TVarRec> args) : fmt_(fmt), args_(args.begin(), args.size()) {}

  String Run() {
    for (size_t i = 0; i < fmt_.size();) {
      const size_t pct = fmt_.find(u'%', i);
      out_.append(fmt_, i, pct == String::npos ? String::npos : pct - i);
      if (pct == String::npos) break;
      i = Directive(pct + 1);
    }
    return std::move(out_);
  }

 private:
  [[noreturn]] void Invalid() const {
    throw EConvertError(u"Format '" + fmt_ + u"' invalid or incompatible with argument");
  }

  const TVarRec& NextArg() {
    if (next_ >= args_.size()) throw EConvertError(u"No argument for format '" + fmt_ + u"'");
    return args_[next_++];
  }

  Char At(size_t i) const { return i < fmt_.size() ? fmt_[i] : Char(0); }

  // Handles the directive after a '%' at i - 1; returns the index after it.
  size_t Directive(size_t i) {
    if (i < fmt_.size() && fmt_[i] == u'%') {
      out_ += u'%';
      return i + 1;
    }
    TConversion conv;
    i = ParseConversion(i, conv);
    out_ += PadToWidth(Convert(conv, NextArg()), conv);
    return i;
  }

  // [index ":"] ["-"] [width] ["." precision] type
  size_t ParseConversion(size_t i, TConversion& conv) {
    int count = kNone;
    if (At(i) != u'-') i = ReadCount(i, count);
    if (At(i) == u':') {
      if (count == kNone) Invalid();
      next_ = static_cast<size_t>(count);
      ++i;
      if (At(i) != u'-')
        i = ReadCount(i, count);
      else
        count = kNone;
    }
    if (At(i) == u'-' && count == kNone) {
      conv.Left = true;
      i = ReadCount(i + 1, count);
    }
    conv.Width = count;
    if (At(i) == u'.') i = ReadCount(i + 1, conv.Precision);
    if (i >= fmt_.size()) Invalid();
    conv.Type = LowerAscii(fmt_[i]);
    return i + 1;
  }

  // Digits or '*' (the next argument, an integer) at i; kNone when neither stands there.
  size_t ReadCount(size_t i, int& count) {
    count = kNone;
    if (i < fmt_.size() && fmt_[i] == u'*') {
      const TVarRec& a = NextArg();
      if (!IsInteger(a) || a.Int > kMaxCount) Invalid();
      count = a.Int < 0 ? kNone : static_cast<int>(a.Int);
      return i + 1;
    }
    for (; i < fmt_.size() && fmt_[i] >= u'0' && fmt_[i] <= u'9'; ++i) {
      count = (count == kNone ? 0 : count) * 10 + (fmt_[i] - u'0');
      if (count > kMaxCount) Invalid();
    }
    return i;
  }

  String Convert(const TConversion& conv, const TVarRec& a) const {
    switch (conv.Type) {
      case u'd':
      case u'u':
      case u'x':
        return IntegerText(conv, a);
      case u'e':
      case u'f':
      case u'g':
      case u'n':
      case u'm':
        return FloatText(conv, a);
      case u's':
        return StringText(conv, a);
      case u'p':
        return PointerText(a);
      default:
        Invalid();
    }
  }

  String IntegerText(const TConversion& conv, const TVarRec& a) const {
    if (!IsInteger(a)) Invalid();
    const bool narrow = a.Kind == TVarRec::vtInteger;
    const uint64_t bits = narrow ? static_cast<uint32_t>(a.Int) : static_cast<uint64_t>(a.Int);
    if (conv.Type == u'x')
      return narrow ? IntToHex(static_cast<uint32_t>(bits), conv.Precision) : IntToHex(bits, conv.Precision);
    if (conv.Type == u'u') return PadDigits(DecimalText(bits), conv.Precision, false);
    const uint64_t magnitude = a.Int < 0 ? 0 - static_cast<uint64_t>(a.Int) : static_cast<uint64_t>(a.Int);
    return PadDigits(DecimalText(magnitude), conv.Precision, a.Int < 0);
  }

  String FloatText(const TConversion& conv, const TVarRec& a) const {
    if (a.Kind != TVarRec::vtExtended) Invalid();
    const int p = conv.Precision;
    switch (conv.Type) {
      case u'e':
        return FloatToStrF(a.Float, ffExponent, p == kNone ? kFloatPrecision : p, 3);
      case u'g':
        return FloatToStrF(a.Float, ffGeneral, p == kNone ? kFloatPrecision : p, 0);
      case u'f':
        return FloatToStrF(a.Float, ffFixed, kFloatPrecision, p == kNone ? 2 : p);
      case u'n':
        return FloatToStrF(a.Float, ffNumber, kFloatPrecision, p == kNone ? 2 : p);
      default:
        return FloatToStrF(a.Float, ffCurrency, kFloatPrecision, p == kNone ? FormatSettings.CurrencyDecimals : p);
    }
  }

  String StringText(const TConversion& conv, const TVarRec& a) const {
    if (a.Kind != TVarRec::vtString) Invalid();
    if (conv.Precision != kNone && conv.Precision < static_cast<int>(a.Text.size()))
      return a.Text.substr(0, static_cast<size_t>(conv.Precision));
    return a.Text;
  }

  String PointerText(const TVarRec& a) const {
    if (a.Kind != TVarRec::vtPointer) Invalid();
    return IntToHex(reinterpret_cast<uintptr_t>(a.Ptr), 16);
  }

  const String& fmt_;
  std::span<const TVarRec> args_;
  size_t next_ = 0;
  String out_;
};

}  // namespace

String Format(const String& fmt, std::initializer_list<TVarRec> args) { return TFormatter(fmt, args).Run(); }

}  // namespace qelta
