// XML persistence of the string array and the associative array (unit Qelta_dstruct).
//
// Both elements follow the system's other XML dialects: one item per line, lines ending in
// CR LF, a comment line naming the class, a root element carrying sig, vers and id, children
// indented by two blanks, numbers as bare attribute values, texts in double quotes or as
// content.
//
// Texts (cell texts, keys, values, the id) are written with these character references:
// "&amp;" "&lt;" "&gt;" "&quot;" for & < > ", and "&#n;" (decimal code point) for every
// character outside 32..126 and 160..255. So a line holds no line end and no markup of its
// own, and reads the same in Latin-1 and Windows-1252. Readers decode these and "&apos;" and
// "&#xh;"; an "&" that starts no known reference stays as it is.
//
// The "stringarray" element (a text file; TStringArray.WriteToOpenXMLFile):
//   <?xml version="1.0"?>                              only with CreateHeader
//   (an empty line)
//   <!-- TStringArray / Qeltakit -->
//   <stringarray sig="Qeltakit" vers="1.0" id="DATAID">
//     <dims cols=C rows=R />                           NrOfColumns, NrOfRows
//     <colattrib col=c val=b />                        each column 1..C whose attribute is not 0
//     <rowattrib row=r val=b />                        per row in view order: its attribute when not 0,
//     <cell col=c row=r>TEXT</cell>                    then its non-empty cells, columns 0..C
//   </stringarray>
// A table so sparse that its element would declare more storage than it fills gets some empty cells
// from the ends of its rows written as well (core_detail::PadSparseRow), so that it loads back.
// Rows are written in view order and read back unsorted, so a loaded table shows the saved
// view with the identity sort index. The reader looks for the line holding "<stringarray" with
// sig "Qeltakit" (and with DataID not empty, an id equal to it, both without blanks around and
// ignoring the case of A-Z), then reads tags up to "</stringarray>". It requires "dims" before
// any other child, with 1 <= C <= 65535 and R >= 1; children outside the dimensions, attribute
// values outside 0..255 and unknown tags are skipped; cell texts longer than 255 characters are
// cut. The children are kept as they arrive and the table is built at the closing tag, so what
// the reader reserves follows what the file holds: the storage of the C + 1 columns x R rows stays
// within what the element's text can fill plus a small allowance for the empty cells the writer leaves
// out (core_detail::StorageFitsInput; a 132-byte file declaring 134,217,728 rows made the reader reserve
// 1.7 GB before any cell, and one declaring 400 x 10,000 cells still 16 MB). A missing or malformed "dims", a malformed number, a table
// beyond that bound or the end of the file before the closing tag answers false and leaves the
// table unchanged.
//
// The "assocarray" element (a byte stream, one byte per character; TAssocArray.WriteToXMLStream):
//   <?xml version="1.0"?>                              only with CreateHeader
//   (an empty line)
//   <!-- TAssocArray / Qeltakit -->
//   <assocarray sig="Qeltakit" vers="1.0" id="DATAID">
//     <entry key="KEY" type="TYPE">VALUE</entry>       each entry in entry order
//   </assocarray>
// TYPE names the variant type: empty, null, boolean ("1" or "0"); shortint, byte, smallint,
// word, integer, longword, int64 (decimal integers); single, double, date (the shortest
// "d.dddE+dddd" text that reads back to the same double, or NaN, +Inf, -Inf); currency (the
// exact decimal with four decimals, "-12.3400"); string (8-bit text), ustring and olestr
// (16-bit text). The reader finds the root line as above, then adds each entry through Add,
// so IgnoreCase of the reading array applies. An unknown type, a malformed or out-of-range
// value, or the end of the stream before the closing tag answers false, nothing changed.

#include <cmath>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "Encoding.h"
#include "Qelta_dstruct.h"
#include "Qelta_readbound_internal.h"
#include "Qelta_streams.h"
#include "Streams.h"
#include "StrUtils.h"
#include "SysUtils.h"
#include "TextFiles.h"

namespace qelta {

namespace {

// [SECTION] numbers

// Decimal integer (optional sign, digits only) within lo..hi.
bool ParseInt(const String& s, int64_t lo, int64_t hi, int64_t& out) {
  const bool negative = !s.empty() && s[0] == u'-';
  size_t i = !s.empty() && (s[0] == u'-' || s[0] == u'+') ? 1 : 0;
  if (i == s.size() || s.size() - i > 19) return false;
  uint64_t v = 0;  // 19 digits never overflow
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    v = v * 10 + uint64_t(s[i] - u'0');
  }
  const uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
  if (v > limit) return false;
  out = negative ? int64_t(0 - v) : int64_t(v);
  return out >= lo && out <= hi;
}

bool IntAttrib(const String& attributes, const String& name, int64_t lo, int64_t hi, int64_t& out) {
  return ParseInt(ScanForXMLAttrib(attributes, name), lo, hi, out);
}

// Shortest exponent text that reads back to x (to float(x) when asSingle).
String FloatText(double x, bool asSingle) {
  if (std::isnan(x)) return u"NaN";
  if (std::isinf(x)) return x > 0 ? u"+Inf" : u"-Inf";
  if (x == 0) return std::signbit(x) ? u"-0" : u"0";
  for (int digits = 2; digits <= 17; ++digits) {
    const String t = Trim(Str(x, digits + 8));
    double back = 0;
    int code = 0;
    Val(t, back, code);
    if (code == 0 && (asSingle ? float(back) == float(x) : back == x)) return t;
  }
  return Trim(Str(x, 25));
}

bool ParseFloat(const String& s, double& x) {
  if (s == u"NaN") x = std::numeric_limits<double>::quiet_NaN();
  else if (s == u"+Inf" || s == u"Inf") x = std::numeric_limits<double>::infinity();
  else if (s == u"-Inf") x = -std::numeric_limits<double>::infinity();
  else if (s == u"-0") x = -0.0;
  else {
    int code = 0;
    Val(s, x, code);
    return code == 0 && !s.empty() && s[0] != u' ';
  }
  return true;
}

String CurrencyText(int64_t scaled) {
  const uint64_t a = scaled < 0 ? 0 - uint64_t(scaled) : uint64_t(scaled);
  const unsigned f = unsigned(a % 10000);
  const Char frac[] = {u'.', Char(u'0' + f / 1000), Char(u'0' + f / 100 % 10), Char(u'0' + f / 10 % 10),
                       Char(u'0' + f % 10), 0};
  String r = scaled < 0 ? u"-" : u"";
  r += IntToStr(int64_t(a / 10000));
  r += frac;
  return r;
}

bool ParseCurrency(const String& s, int64_t& scaled) {
  const size_t dot = s.find(u'.');
  const String whole = s.substr(0, dot);
  String frac = dot == String::npos ? String() : s.substr(dot + 1);
  if (frac.size() > 4) return false;
  frac.append(4 - frac.size(), u'0');
  const bool negative = !whole.empty() && whole[0] == u'-';
  const int64_t maxWhole = std::numeric_limits<int64_t>::max() / 10000;
  int64_t w = 0, f = 0;
  if (!ParseInt(whole, -maxWhole, maxWhole, w) || frac[0] == u'-' || frac[0] == u'+' || !ParseInt(frac, 0, 9999, f))
    return false;
  const uint64_t magnitude = uint64_t(w < 0 ? -w : w) * 10000 + uint64_t(f);  // below 2^64
  if (magnitude > uint64_t(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0)) return false;
  scaled = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
  return true;
}

// [SECTION] root line

// True when line opens element `name` with sig "Qeltakit" and, for a non-empty DataID, an id
// equal to it (blanks around removed, A-Z case ignored); id receives the element's id.
bool IsRootLine(const String& line, const String& name, const String& DataID, String& id) {
  const String lower = LowerCase(line);
  const size_t start = lower.find(u"<" + name);
  if (start == String::npos) return false;
  const size_t from = start + name.size() + 1;
  if (from < line.size() && line[from] != u' ' && line[from] != u'>') return false;
  const size_t end = line.find(u'>', from);
  const String attributes = line.substr(from, end == String::npos ? String::npos : end - from);
  if (LowerCase(ScanForXMLAttrib(attributes, u"sig")) != u"qeltakit") return false;
  id = XmlUnescape(ScanForXMLAttrib(attributes, u"id"));
  return DataID.empty() || LowerCase(Trim(id)) == LowerCase(Trim(DataID));
}

String RootLine(const String& name, const String& DataID) {
  return u"<" + name + u" sig=\"Qeltakit\" vers=\"1.0\" id=\"" + XmlEscape(DataID) + u"\">";
}

// [SECTION] variant types

struct TTypeName {
  TVarType type;
  std::u16string_view name;
};

constexpr TTypeName kTypeNames[] = {
    {varEmpty, u"empty"},     {varNull, u"null"},       {varBoolean, u"boolean"}, {varShortInt, u"shortint"},
    {varByte, u"byte"},       {varSmallint, u"smallint"}, {varWord, u"word"},     {varInteger, u"integer"},
    {varLongWord, u"longword"}, {varInt64, u"int64"},   {varSingle, u"single"},   {varDouble, u"double"},
    {varDate, u"date"},       {varCurrency, u"currency"}, {varString, u"string"}, {varUString, u"ustring"},
    {varOleStr, u"olestr"},
};

String TypeName(TVarType t) {
  for (const TTypeName& n : kTypeNames)
    if (n.type == t) return String(n.name);
  return u"ustring";  // not reached: every variant type is listed
}

String ValueText(const Variant& v) {
  switch (v.VarType()) {
    case varEmpty: case varNull: return String();
    case varBoolean: return v.AsBoolean() ? u"1" : u"0";
    case varSingle: case varDouble: case varDate: return FloatText(v.AsDouble(), v.VarType() == varSingle);
    case varCurrency: return CurrencyText(v.AsCurrency());
    case varString: case varUString: case varOleStr: return XmlEscape(v.AsString());
    default: return IntToStr(v.AsInt64());
  }
}

// Integer value of an integral type within its range.
bool IntegralValue(TVarType t, const String& text, Variant& v) {
  int64_t x = 0;
  switch (t) {
    case varShortInt: if (!ParseInt(text, INT8_MIN, INT8_MAX, x)) return false; v = Variant(int8_t(x)); return true;
    case varByte: if (!ParseInt(text, 0, UINT8_MAX, x)) return false; v = Variant(uint8_t(x)); return true;
    case varSmallint: if (!ParseInt(text, INT16_MIN, INT16_MAX, x)) return false; v = Variant(int16_t(x)); return true;
    case varWord: if (!ParseInt(text, 0, UINT16_MAX, x)) return false; v = Variant(uint16_t(x)); return true;
    case varInteger: if (!ParseInt(text, INT32_MIN, INT32_MAX, x)) return false; v = Variant(int32_t(x)); return true;
    case varLongWord: if (!ParseInt(text, 0, UINT32_MAX, x)) return false; v = Variant(uint32_t(x)); return true;
    default: if (!ParseInt(text, INT64_MIN, INT64_MAX, x)) return false; v = Variant(int64_t(x)); return true;
  }
}

// True when name equals lower (lower-case) ignoring the case of A-Z.
bool SameLowerAZ(std::u16string_view name, std::u16string_view lower) {
  if (name.size() != lower.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if ((name[i] >= u'A' && name[i] <= u'Z' ? Char(name[i] + 32) : name[i]) != lower[i]) return false;
  return true;
}

// The variant type a type name (A-Z in any case) names; false when it names none.
bool TypeOfName(std::u16string_view name, TVarType& type) {
  for (const TTypeName& n : kTypeNames)
    if (SameLowerAZ(name, n.name)) {
      type = n.type;
      return true;
    }
  return false;
}

// The value of an entry of the type from its text (references decoded); false when the text is malformed.
bool EntryValue(TVarType type, const String& text, Variant& v) {
  double x = 0;
  int64_t scaled = 0;
  switch (type) {
    case varEmpty: v = Unassigned(); return true;
    case varNull: v = Null(); return true;
    case varBoolean: v = Variant(text == u"1"); return true;
    case varSingle: case varDouble: case varDate:
      if (!ParseFloat(text, x)) return false;
      v = type == varSingle ? Variant(float(x)) : type == varDate ? Variant::FromDate(x) : Variant(x);
      return true;
    case varCurrency:
      if (!ParseCurrency(text, scaled)) return false;
      v = Variant::FromCurrency(scaled);
      return true;
    case varString: v = Variant(StringToAnsi(text)); return true;
    case varUString: v = Variant(text); return true;
    case varOleStr: v = Variant::FromOleStr(text); return true;
    default: return IntegralValue(type, text, v);
  }
}

// [SECTION] attribute lists

// Next name=value pair of an attribute text from pos, by the rules of ScanForXMLAttrib;
// false at the end or at a malformed pair.
bool NextAttribute(const String& s, size_t& pos, String& name, String& value) {
  enum { kName, kAfterEquals, kQuoted, kBare } state = kName;
  name.clear();
  value.clear();
  if (pos >= s.size()) return false;
  for (; pos < s.size(); ++pos) {
    const Char c = s[pos];
    switch (state) {
      case kName:
        if (c == u'"') return false;
        if (c == u'=') state = kAfterEquals;
        else name += c;
        break;
      case kAfterEquals:
        if (c == u'"') state = kQuoted;
        else if (c == u'=') return false;
        else if (c != u' ') { state = kBare; value += c; }
        break;
      case kQuoted:
        if (c == u'"') { ++pos; name = Trim(name); return true; }
        value += c;
        break;
      case kBare:
        if (c == u' ' || c == u'"') { ++pos; name = Trim(name); return true; }
        if (c == u'=') return false;
        value += c;
        break;
    }
  }
  name = Trim(name);
  return state != kName || !name.empty();
}

}  // namespace

// [SECTION] TStringArray

void TStringArray::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const {
  if (CreateHeader) WriteLn(f, u"<?xml version=\"1.0\"?>");
  WriteLn(f);
  WriteLn(f, u"<!-- TStringArray / Qeltakit -->");
  WriteLn(f, RootLine(u"stringarray", DataID));
  WriteLn(f, u"  <dims cols=" + IntToStr(FNCol) + u" rows=" + IntToStr(FNRow) + u" />");
  for (int c = 1; c <= FNCol; ++c)
    if (GetColAttrib(c) != 0)
      WriteLn(f, u"  <colattrib col=" + IntToStr(c) + u" val=" + IntToStr(GetColAttrib(c)) + u" />");
  int64_t written = 0;                        // of the cell lines, as the reader counts them
  std::vector<std::pair<int, String>> cells;  // a row's cell lines by column
  for (int r = 1; r <= FNRow; ++r) {
    if (GetRowAttrib(r) != 0)
      WriteLn(f, u"  <rowattrib row=" + IntToStr(r) + u" val=" + IntToStr(GetRowAttrib(r)) + u" />");
    const String row = IntToStr(r);
    const auto cell = [&](int c, std::string_view t) {
      return u"  <cell col=" + IntToStr(c) + u" row=" + row + u">" + XmlEscape(AnsiToString(t)) + u"</cell>";
    };
    cells.clear();
    for (int c = 0; c <= FNCol; ++c)
      if (const std::string_view t = CellText(c, r); !t.empty()) cells.emplace_back(c, cell(c, t));
    core_detail::PadSparseRow(cells, core_detail::StringArrayBytes(FNCol, r), written, 0, FNCol,
                              [&](int c) { return CellText(c, r).empty() ? cell(c, {}) : String(); });
    for (const auto& [c, line] : cells) WriteLn(f, line);
  }
  WriteLn(f, u"</stringarray>");
}

// A child of a "stringarray" element as it was read: colattrib (tag 1), rowattrib (2) or cell (3).
struct core_detail::TStringArrayChild {
  int Tag = 0;
  int Index = 0, Row = 0;  // column or row of an attribute (with Row unused), column and row of a cell
  uint8_t Value = 0;
  AnsiString Text;
};

namespace {

using core_detail::TStringArrayChild;

// The child in tag's attributes and content; false when a number is malformed. Children outside
// the declared size or with attribute values outside 0..255 are passed over (Tag 0).
bool ReadChild(int tag, const String& attributes, const String& content, int64_t cols, int64_t rows,
               TStringArrayChild& child) {
  int64_t c = 0, r = 0, b = 0;
  child.Tag = 0;
  if (tag == 3) {
    if (!IntAttrib(attributes, u"col", INT32_MIN, INT32_MAX, c) || !IntAttrib(attributes, u"row", INT32_MIN, INT32_MAX, r))
      return false;
    if (c >= 0 && c <= cols && r >= 1 && r <= rows) child = {3, int(c), int(r), 0, StringToAnsi(XmlUnescape(content))};
    return true;
  }
  if (!IntAttrib(attributes, tag == 1 ? u"col" : u"row", INT32_MIN, INT32_MAX, c) ||
      !IntAttrib(attributes, u"val", INT32_MIN, INT32_MAX, b))
    return false;
  if (c >= 1 && c <= (tag == 1 ? cols : rows) && b >= 0 && b <= 255) child = {tag, int(c), 0, uint8_t(b), {}};
  return true;
}

}  // namespace

bool TStringArray::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  TTagReader src(f);
  String line, id;
  do {
    if (!src.ReadLine(line)) return false;
  } while (!IsRootLine(line, u"stringarray", DataID, id));
  const int64_t start = src.CharsRead() - int64_t(line.size()) - 1;
  static const std::vector<String> tags{u"dims", u"colattrib", u"rowattrib", u"cell", u"/stringarray", u"dummy"};
  int64_t cols = 0, rows = 0;
  std::vector<TStringArrayChild> children;
  String attributes, content;
  for (;;) {
    const int tag = src.NextTag(tags, attributes, content);
    if (tag == 0) {
      if (rows > 0 || !IntAttrib(attributes, u"cols", 1, 65535, cols) || !IntAttrib(attributes, u"rows", 1, INT32_MAX - 1, rows))
        return false;
    } else if (tag >= 1 && tag <= 3) {
      TStringArrayChild child;
      if (rows == 0 || !ReadChild(tag, attributes, content, cols, rows, child)) return false;
      if (child.Tag != 0) children.push_back(std::move(child));
    } else if (tag == 4) {
      return rows > 0 && TakeXmlChildren(int(cols), int(rows), children, src.CharsRead() - start);
    } else if (src.AtEnd()) {
      return false;
    }
  }
}

bool TStringArray::TakeXmlChildren(int cols, int rows, const std::vector<TStringArrayChild>& children, int64_t chars) {
  if (!core_detail::StorageFitsInput(core_detail::StringArrayBytes(cols, rows), chars)) return false;
  TStringArray fresh(nullptr);
  if (!fresh.Resize(cols, rows)) return false;
  for (const TStringArrayChild& c : children) {
    if (c.Tag == 1) fresh.SetColAttrib(c.Index, c.Value);
    if (c.Tag == 2) fresh.SetRowAttrib(c.Index, c.Value);
    if (c.Tag == 3) fresh.SetString(c.Index, c.Row, c.Text);
  }
  TakeContents(fresh);
  Changed();
  return true;
}

bool TStringArray::LoadFromXMLFile(const String& FName, const String& DataID) {
  try {
    TextFile f;
    AssignFile(f, FName);
    Reset(f);
    const bool ok = ReadFromOpenXMLFile(f, DataID);
    CloseFile(f);
    return ok;
  } catch (const Exception&) {
    return false;
  }
}

bool TStringArray::SaveAsXMLFile(const String& FName, const String& DataID) const {
  try {
    TextFile f;
    AssignFile(f, FName);
    RewriteReplacing(f);
    WriteToOpenXMLFile(f, true, DataID);
    CloseFile(f);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

// [SECTION] TAssocArray

namespace {

// Bytes of an entry as short as they come ("<entry key="k" type="null"></entry>" and a line end): the room
// the reader reserves is for as many entries as the rest of the stream could hold of these, so that the
// arrays and the index are not moved while they fill (no more than about 3 bytes per byte of input).
constexpr int64_t kShortEntry = 32;

// What the entry reader keeps from entry to entry, so that their storage serves every entry; and the entry
// read last, held until the next is read while its place in the index comes from memory (PrefetchKey).
struct TEntryScratch {
  std::vector<TXMLAttributeSpan> Spans;
  String Key, Text;
  String HeldKey;
  Variant HeldValue;
  uint32_t HeldHash = 0;
  bool Held = false;
};

// The value of the attribute named lower (lower-case; A-Z in any case in the text) among the spans of
// attributes, as ScanForXMLAttrib finds it; empty when absent.
std::u16string_view SpanValue(const String& attributes, const std::vector<TXMLAttributeSpan>& spans,
                              std::u16string_view lower) {
  const std::u16string_view text(attributes);
  for (const TXMLAttributeSpan& span : spans)
    if (SameLowerAZ(text.substr(span.NameFrom, span.NameTo - span.NameFrom), lower))
      return text.substr(span.ValueFrom, span.ValueTo - span.ValueFrom);
  return {};
}

// s with its character references decoded into scratch (XmlUnescape; s as it stands when it holds no '&').
const String& Unescaped(std::u16string_view s, String& scratch) {
  scratch.assign(s);
  if (s.find(u'&') != std::u16string_view::npos) scratch = XmlUnescape(scratch);
  return scratch;
}

// The key and value of an "entry" tag; false when its type or value is malformed.
bool ReadEntry(const String& attributes, const String& content, TEntryScratch& scratch, Variant& v) {
  ScanXMLAttributeSpans(attributes, scratch.Spans);
  TVarType type = varEmpty;
  if (!TypeOfName(SpanValue(attributes, scratch.Spans, u"type"), type)) return false;
  const String& text = content.find(u'&') == String::npos ? content : Unescaped(content, scratch.Text);
  if (!EntryValue(type, text, v)) return false;
  Unescaped(SpanValue(attributes, scratch.Spans, u"key"), scratch.Key);
  return true;
}

}  // namespace

void TAssocArray::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const {
  if (CreateHeader) WriteLnStream(OutStream, u"<?xml version=\"1.0\"?>");
  WriteLnStream(OutStream, String());
  WriteLnStream(OutStream, u"<!-- TAssocArray / Qeltakit -->");
  WriteLnStream(OutStream, RootLine(u"assocarray", DataID));
  for (int i = 0; i < FNEntries; ++i) {
    const Variant& v = FDataArray[size_t(i)];
    WriteLnStream(OutStream, u"  <entry key=\"" + XmlEscape(FKeyArray[size_t(i)]) + u"\" type=\"" +
                                 TypeName(v.VarType()) + u"\">" + ValueText(v) + u"</entry>");
  }
  WriteLnStream(OutStream, u"</assocarray>");
}

bool TAssocArray::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  TTagReader src(InStream);
  String line, id;
  do {
    if (!src.ReadLine(line)) return false;
  } while (!IsRootLine(line, u"assocarray", DataID, id));
  static const std::vector<String> tags{u"entry", u"/assocarray", u"dummy"};
  TAssocArray fresh(nullptr);
  fresh.SetIgnoreCase(FIgnoreCase);
  fresh.SetGranularity(FGranularity);
  fresh.Clear();
  fresh.ReserveFor(size_t(std::max<int64_t>(0, InStream.Size() - InStream.Position()) / kShortEntry));
  String attributes, content;
  TEntryScratch scratch;
  const auto addHeld = [&] {
    if (scratch.Held) fresh.AddHashed(scratch.HeldKey, scratch.HeldHash, scratch.HeldValue);
  };
  for (;;) {
    const int tag = src.NextTag(tags, attributes, content);
    if (tag == 0) {
      Variant v;
      if (!ReadEntry(attributes, content, scratch, v)) return false;
      addHeld();
      scratch.HeldKey.swap(scratch.Key);
      scratch.HeldValue = std::move(v);
      scratch.HeldHash = fresh.PrefetchKey(scratch.HeldKey);
      scratch.Held = true;
    } else if (tag == 1) {
      addHeld();
      TakeEntries(fresh);
      FDataID = id;
      return true;
    } else if (InStream.Position() >= InStream.Size()) {
      return false;
    }
  }
}

void TAssocArray::AddXMLAttributes(const String& Attributes) {
  String name, value;
  size_t pos = 0;
  while (NextAttribute(Attributes, pos, name, value)) Add(name, Variant(XmlUnescape(value)));
}

}  // namespace qelta
