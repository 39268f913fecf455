#include "Variants.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "DateUtils.h"
#include "Encoding.h"
#include "Exceptions.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {
namespace {

// [SECTION] text of currencies and dates

String FloatText(double v, bool single) {
  return single ? FloatToStrF(v, ffGeneral, 7, 0) : FloatToStr(v);
}

std::string CurrencyText(int64_t scaled) {
  const uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string text = std::to_string(magnitude / 10000);
  std::string frac = std::to_string(magnitude % 10000 + 10000).substr(1);
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  if (!frac.empty()) text += "." + frac;
  return (scaled < 0 ? "-" : "") + text;
}

String DateText(double v) {
  if (!std::isfinite(v) || std::fabs(v) > 3e6) return FloatText(v, false);
  return DateTimeToStr(v);
}

// [SECTION] parsing

// Number text with blanks around; '.' is the point whatever FormatSettings says.
String TrimBlanks(const String& s) {
  const std::size_t a = s.find_first_not_of(u' ');
  if (a == String::npos) return String();
  return s.substr(a, s.find_last_not_of(u' ') - a + 1);
}

bool ParseInt64(const String& s, int64_t& value) {
  int code = 0;
  const String t = TrimBlanks(s);
  Val(t, value, code);
  return !t.empty() && code == 0;
}

bool ParseDouble(const String& s, double& value) {
  int code = 0;
  const String t = TrimBlanks(s);
  Val(t, value, code);
  return !t.empty() && code == 0 && std::isfinite(value);
}

// Round half to even into int64, false when NaN or out of range.
bool RoundToInt64(double v, int64_t& out) {
  const double r = std::nearbyint(v);
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) return false;
  out = static_cast<int64_t>(r);
  return true;
}

}  // namespace

// [SECTION] Variant

Variant::Variant(const AnsiString& v) : FType(varString), FText(AnsiToString(v)) {}

Variant Variant::FromCurrency(int64_t scaled) {
  Variant v;
  v.FType = varCurrency;
  v.FInt = scaled;
  return v;
}

Variant Variant::FromDate(TDateTime value) {
  Variant v(value);
  v.FType = varDate;
  return v;
}

Variant Variant::FromOleStr(const String& value) {
  Variant v(value);
  v.FType = varOleStr;
  return v;
}

bool Variant::IsIntegral() const {
  switch (FType) {
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
      return true;
    default:
      return false;
  }
}

void Variant::RaiseConversion(TVarType target) const {
  throw EVariantError(u"Could not convert variant of type (" + VarTypeAsText(FType) + u") into type (" +
                      VarTypeAsText(target) + u")");
}

int64_t Variant::AsInt64() const {
  int64_t out = 0;
  if (FType == varEmpty) return 0;
  if (IsIntegral() || FType == varBoolean) return FInt;
  if (FType == varCurrency) {
    if (RoundToInt64(static_cast<double>(FInt) / 10000.0, out)) return out;
  } else if (FType == varSingle || FType == varDouble || FType == varDate) {
    if (RoundToInt64(FReal, out)) return out;
  } else if (IsText()) {
    double d = 0;
    if (ParseInt64(FText, out)) return out;
    if (ParseDouble(FText, d) && RoundToInt64(d, out)) return out;
  }
  RaiseConversion(varInt64);
}

int32_t Variant::AsInteger() const {
  int64_t v = 0;
  try {
    v = AsInt64();
  } catch (const EVariantError&) {
    RaiseConversion(varInteger);
  }
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) RaiseConversion(varInteger);
  return static_cast<int32_t>(v);
}

double Variant::AsDouble() const {
  if (FType == varEmpty) return 0;
  if (IsIntegral() || FType == varBoolean) return static_cast<double>(FInt);
  if (FType == varCurrency) return static_cast<double>(FInt) / 10000.0;
  if (FType == varSingle || FType == varDouble || FType == varDate) return FReal;
  double d = 0;
  if (IsText() && ParseDouble(FText, d)) return d;
  RaiseConversion(varDouble);
}

bool Variant::AsBoolean() const {
  if (FType == varEmpty) return false;
  if (IsIntegral() || FType == varBoolean || FType == varCurrency) return FInt != 0;
  if (FType == varSingle || FType == varDouble || FType == varDate) return FReal != 0;
  if (IsText()) {
    double d = 0;
    if (SameText(FText, u"true")) return true;
    if (SameText(FText, u"false")) return false;
    if (ParseDouble(FText, d)) return d != 0;
  }
  RaiseConversion(varBoolean);
}

String Variant::AsString() const {
  switch (FType) {
    case varEmpty: return String();
    case varBoolean: return FInt ? u"True" : u"False";
    case varCurrency: return Utf8ToString(CurrencyText(FInt));
    case varSingle: return FloatText(FReal, true);
    case varDouble: return FloatText(FReal, false);
    case varDate: return DateText(FReal);
    case varString: case varUString: case varOleStr: return FText;
    default: break;
  }
  if (IsIntegral()) return Utf8ToString(std::to_string(FInt));
  RaiseConversion(varUString);
}

int64_t Variant::AsCurrency() const {
  if (FType == varCurrency) return FInt;
  int64_t out = 0;
  double d = 0;
  try {
    d = AsDouble();
  } catch (const EVariantError&) {
    RaiseConversion(varCurrency);
  }
  if (!RoundToInt64(d * 10000.0, out)) RaiseConversion(varCurrency);
  return out;
}

bool operator==(const Variant& a, const Variant& b) {
  auto numeric = [](const Variant& v) {
    return v.IsIntegral() || v.FType == varCurrency || v.FType == varSingle || v.FType == varDouble || v.FType == varDate;
  };
  if (a.FType == varEmpty || b.FType == varEmpty || a.FType == varNull || b.FType == varNull) return a.FType == b.FType;
  if (a.IsText() && b.IsText()) return a.FText == b.FText;
  if (a.FType == varBoolean || b.FType == varBoolean) return a.FType == b.FType && a.FInt == b.FInt;
  if (!numeric(a) || !numeric(b)) return false;
  if (a.IsIntegral() && b.IsIntegral()) return a.FInt == b.FInt;
  if (a.FType == varCurrency && b.FType == varCurrency) return a.FInt == b.FInt;
  return a.AsDouble() == b.AsDouble();
}

// [SECTION] free routines

Variant Null() {
  Variant v;
  v.FType = varNull;
  return v;
}

Variant Unassigned() { return Variant(); }
TVarType VarType(const Variant& v) { return v.VarType(); }
bool VarIsNull(const Variant& v) { return v.VarType() == varNull; }
bool VarIsEmpty(const Variant& v) { return v.VarType() == varEmpty; }
String VarToStr(const Variant& v) { return VarIsNull(v) ? String() : v.AsString(); }

Variant VarAsType(const Variant& v, TVarType type) {
  if (type == v.VarType()) return v;
  auto ranged = [&](int64_t lo, int64_t hi) {
    const int64_t x = v.AsInt64();
    if (x < lo || x > hi) throw EVariantError(u"Could not convert variant of type (" + VarTypeAsText(v.VarType()) +
                                              u") into type (" + VarTypeAsText(type) + u")");
    return x;
  };
  switch (type) {
    case varEmpty: return Unassigned();
    case varNull: return Null();
    case varShortInt: return Variant(static_cast<int8_t>(ranged(-128, 127)));
    case varByte: return Variant(static_cast<uint8_t>(ranged(0, 255)));
    case varSmallint: return Variant(static_cast<int16_t>(ranged(-32768, 32767)));
    case varWord: return Variant(static_cast<uint16_t>(ranged(0, 65535)));
    case varInteger: return Variant(v.AsInteger());
    case varLongWord: return Variant(static_cast<uint32_t>(ranged(0, 4294967295LL)));
    case varInt64: return Variant(v.AsInt64());
    case varSingle: return Variant(static_cast<float>(v.AsDouble()));
    case varDouble: return Variant(v.AsDouble());
    case varDate: return Variant::FromDate(v.AsDouble());
    case varCurrency: return Variant::FromCurrency(v.AsCurrency());
    case varBoolean: return Variant(v.AsBoolean());
    case varString: return Variant(StringToAnsi(v.AsString()));
    case varUString: return Variant(v.AsString());
    case varOleStr: return Variant::FromOleStr(v.AsString());
    default: break;
  }
  throw EVariantError(u"Could not convert variant of type (" + VarTypeAsText(v.VarType()) + u") into type (" +
                      VarTypeAsText(type) + u")");
}

String VarTypeAsText(TVarType type) {
  switch (type) {
    case varEmpty: return u"Empty";
    case varNull: return u"Null";
    case varSmallint: return u"Smallint";
    case varInteger: return u"Integer";
    case varSingle: return u"Single";
    case varDouble: return u"Double";
    case varCurrency: return u"Currency";
    case varDate: return u"Date";
    case varOleStr: return u"OleStr";
    case varBoolean: return u"Boolean";
    case varShortInt: return u"ShortInt";
    case varByte: return u"Byte";
    case varWord: return u"Word";
    case varLongWord: return u"LongWord";
    case varInt64: return u"Int64";
    case varString: return u"String";
    case varUString: return u"UnicodeString";
    default: return u"Unknown";
  }
}

}  // namespace qelta
