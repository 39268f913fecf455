#pragma once
// The runtime's variant: one value of a small set of types, tagged with the classic type codes.
// Implements: empty and null; the integer types, Single, Double, Currency (int64 scaled by 10000), Date,
// Boolean, the 8-bit String (Windows-1252) and the 16-bit UnicodeString/OleStr; conversions to integer,
// floating point, Boolean and text, raising EVariantError "Could not convert variant of type (X) into
// type (Y)" when impossible (null to anything, text that is no number, a value out of range);
// VarToStr (null and empty give ""); equality.
// Conversion rules: empty is 0, False or ""; True is -1 as a number; floats become integers rounded half
// to even; text is parsed as Val does ('.' as the point, blanks around allowed).
// Equality: empty equals empty, null equals null; numbers (integers, floats, currency, dates) compare by
// value; texts of either width compare exactly; Booleans equal Booleans; nothing else is equal.
// Does not implement: arrays, OLE objects, arithmetic operators, the Decimal type.
// Float text is FloatToStr (Single: 7 significant digits); date text is m/d/yyyy h:nn:ss AM/PM with the
// separators and AM/PM strings of FormatSettings (the time left out at midnight, the date for day 0).

#include <cstdint>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

using TVarType = uint16_t;
constexpr TVarType varEmpty = 0x0000;
constexpr TVarType varNull = 0x0001;
constexpr TVarType varSmallint = 0x0002;
constexpr TVarType varInteger = 0x0003;
constexpr TVarType varSingle = 0x0004;
constexpr TVarType varDouble = 0x0005;
constexpr TVarType varCurrency = 0x0006;
constexpr TVarType varDate = 0x0007;
constexpr TVarType varOleStr = 0x0008;
constexpr TVarType varBoolean = 0x000B;
constexpr TVarType varShortInt = 0x0010;
constexpr TVarType varByte = 0x0011;
constexpr TVarType varWord = 0x0012;
constexpr TVarType varLongWord = 0x0013;
constexpr TVarType varInt64 = 0x0014;
constexpr TVarType varString = 0x0100;
constexpr TVarType varUString = 0x0102;

/// A value with its type code; copies are deep.
class Variant {
 public:
  // [construction] each C++ type gives its variant type
  Variant() = default;  ///< varEmpty
  Variant(int8_t v) : FType(varShortInt), FInt(v) {}
  Variant(uint8_t v) : FType(varByte), FInt(v) {}
  Variant(int16_t v) : FType(varSmallint), FInt(v) {}
  Variant(uint16_t v) : FType(varWord), FInt(v) {}
  Variant(int32_t v) : FType(varInteger), FInt(v) {}
  Variant(uint32_t v) : FType(varLongWord), FInt(v) {}
  Variant(int64_t v) : FType(varInt64), FInt(v) {}
  Variant(float v) : FType(varSingle), FReal(v) {}
  Variant(double v) : FType(varDouble), FReal(v) {}
  Variant(bool v) : FType(varBoolean), FInt(v ? -1 : 0) {}
  Variant(const String& v) : FType(varUString), FText(v) {}
  Variant(const Char* v) : Variant(String(v ? v : u"")) {}
  Variant(const AnsiString& v);  ///< varString (Windows-1252 bytes)
  Variant(const char* v) : Variant(AnsiString(v ? v : "")) {}
  /// Currency from its value scaled by 10000 (12345 is 1.2345).
  static Variant FromCurrency(int64_t scaled);
  static Variant FromDate(TDateTime v);
  static Variant FromOleStr(const String& v);

  // [conversions] raise EVariantError when impossible
  TVarType VarType() const { return FType; }
  int32_t AsInteger() const;
  int64_t AsInt64() const;
  double AsDouble() const;
  bool AsBoolean() const;
  /// Text of the value (see VarToStr); raises for null.
  String AsString() const;
  /// Currency scaled by 10000.
  int64_t AsCurrency() const;
  explicit operator int32_t() const { return AsInteger(); }
  explicit operator int64_t() const { return AsInt64(); }
  explicit operator double() const { return AsDouble(); }
  explicit operator bool() const { return AsBoolean(); }
  explicit operator String() const { return AsString(); }

  friend bool operator==(const Variant& a, const Variant& b);

 private:
  friend Variant Null();
  [[noreturn]] void RaiseConversion(TVarType target) const;
  bool IsText() const { return FType == varString || FType == varUString || FType == varOleStr; }
  bool IsIntegral() const;

  TVarType FType = varEmpty;
  int64_t FInt = 0;    ///< integer types, Boolean (0 / -1), Currency (scaled)
  double FReal = 0;    ///< Single, Double, Date
  String FText;        ///< the text types (an 8-bit string is kept as its characters)
};

/// The comparison befriended above, declared here as well: gcc exports a friend only through a
/// declaration in the namespace.
bool operator==(const Variant& a, const Variant& b);
/// The null variant.
Variant Null();
/// The empty variant.
Variant Unassigned();
TVarType VarType(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsEmpty(const Variant& v);
/// Text of a variant: "" for null and empty, "True"/"False", integers in decimal, floats with '.'.
String VarToStr(const Variant& v);
/// The value converted to another type code; raises EVariantError when impossible.
Variant VarAsType(const Variant& v, TVarType type);
/// Name of a type code ("Integer", "UnicodeString", ...; "Unknown" for codes outside the set).
String VarTypeAsText(TVarType type);

}  // namespace qelta

QELTA_PUBLIC_END
