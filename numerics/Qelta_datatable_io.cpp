// Qelta_datatable: the ASC and CSV files of TDataTable (layouts in the README, "File formats").
//
// ASC: the four header lines of the foundation's ASC header (ReadHeaderOfASC reads them), then
// tokens separated by white space (bytes up to 32): names as the quoted-name scanner reads them
// (ParseQuotedName: "..." with "" for a quote inside, or a bare word), numbers as the matrix files
// read them (Val rules, NAN, INF, -INF); a token beginning with ';' starts a comment up to the end of
// its line. So the exporter's own files and the curve fitter's (bare names "x   y", no setup block)
// read alike. The fourth header flag announces the setup block: per column the scale type, the
// column attribute, the number k of label slots written and those k labels; then the number of
// non-zero cell states and per state its column, row and value.
// Values are written by strff(v, 1, Precision) without leading blanks; where that text would be all
// '*' (the two-digit exponent form of Precision -2 for an exponent beyond +-99) the four-digit
// exponent form is written instead, so no value turns into an unreadable field.
// CSV: RFC 4180 (fields separated by the delimiter, records by CR LF; a field holding the
// delimiter, a quote, CR or LF, or beginning with '#', is quoted with "" for a quote). Readers take
// CR LF, LF or CR, skip empty lines, and detect the delimiter as the most frequent of TAB ; , : in
// the first record (outside quotes; ties in that order; none: ',').
// Both readers build a complete image of the file first and change the table only once it has been
// read without fault; the table then takes the image's arrays over, so nothing is held twice, and a
// CSV file is split into records only (its fields are scanned again as the image is filled). The
// counts an ASC header announces are checked against the bytes after it (every cell, name, attribute
// and setup entry needs at least one byte, and so does every column and every row) before anything
// is reserved, and a CSV file, whose rows may be short, is refused when its table (the longest row
// times the rows) would need more than the file can fill plus a small allowance
// (num_detail::CellsFitInput).

#include <algorithm>
#include <array>
#include <climits>
#include <string>
#include <string_view>

#include "Encoding.h"
#include "Qelta_datatable.h"
#include "Qelta_filesys.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_stringl.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

/// What a file holds, read completely before the table changes.
struct num_detail::TDataTableImage {
  String Comment;
  int Cols = 0;
  int Rows = 0;
  bool HasColNames = false, HasRowNames = false, HasRowAtt = false, HasSetup = false;
  std::vector<TDTNameStr> ColNames, RowNames;
  std::vector<uint8_t> RowAtt, ColAtt;
  std::vector<TVTypeSpec> Setup;
  std::vector<double> Values;   ///< column-major, Cols x Rows
  std::vector<uint8_t> States;  ///< column-major, Cols x Rows
  std::size_t At(int c, int r) const { return static_cast<std::size_t>(c) * static_cast<std::size_t>(Rows) + r; }
};

namespace {

constexpr int kCodeBadNumber = 250;
constexpr int kCodeBadAttribute = 251;
constexpr int kCodeBadColumns = 255;
constexpr int kCodeBadRows = 254;
constexpr const char* kAttributeHeader = "(attribute)";

// [SECTION] text of values and names

std::string Narrow(const String& s) {
  std::string out;
  out.reserve(s.size());
  for (Char c : s) out.push_back(static_cast<char>(c));  // number text is ASCII
  return out;
}

/// strff(v, 1, Precision) without blanks; the four-digit exponent form where it would be all '*'.
std::string ValueText(double v, int Precision) {
  String t = strff(v, 1, Precision);
  if (!t.empty() && t.find_first_not_of(u'*') == String::npos) t = strff(v, 1, -1);
  return Narrow(StripLTBlanks(t));
}

std::string Quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  return out + '"';
}

// [SECTION] byte output

/// Buffered bytes into a stream; the stream's write errors pass.
class TByteSink {
 public:
  explicit TByteSink(TStream& s) : FStream(s) {}
  /// Appends the pieces.
  template <typename... P>
  void Put(const P&... pieces) {
    (FBuf.append(std::string_view(pieces)), ...);
    if (FBuf.size() >= (1u << 16)) Flush();
  }
  /// Appends the pieces and CR LF.
  template <typename... P>
  void Line(const P&... pieces) {
    Put(pieces..., "\r\n");
  }
  void Flush() {
    FStream.WriteBuffer(FBuf.data(), static_cast<int64_t>(FBuf.size()));
    FBuf.clear();
  }

 private:
  TStream& FStream;
  std::string FBuf;
};

/// Runs write on a new file or on the stream; "" or the error text.
template <typename Write>
String Guarded(const TComponent& owner, Write&& write) {
  try {
    write();
    return String();
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::bad_alloc&) {
    return num_detail::ComponentText(owner, u"not enough memory on heap");
  }
}

// [SECTION] ASC tokens

/// Tokens of the ASC data part over a block of bytes.
class TAscTokens {
 public:
  static constexpr std::size_t kMaxToken = 4096;
  TAscTokens(const uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
  std::size_t Pos() const { return FPos; }
  std::size_t Remaining() const { return FSize - FPos; }

  /// Next bare token; false at the end. A token beyond 4096 bytes (no number is that long) is read
  /// whole but answered as "?", so it never occupies more memory than a long number.
  bool Token(String& t) {
    t.clear();
    SkipSpace();
    bool tooLong = false;
    for (; FPos < FSize && FData[FPos] > 32; ++FPos) {
      tooLong |= t.size() >= kMaxToken;
      if (!tooLong) t.push_back(FData[FPos]);
    }
    if (tooLong) t.assign(1, u'?');
    return !t.empty();
  }
  /// Next name (quoted or bare) as bytes, cut to maxLen; false at the end or for an open quote.
  bool Name(std::string& name, std::size_t maxLen) {
    SkipSpace();
    String text;
    TQuotedStrState state = vsStart;
    while (FPos < FSize) {
      ParseQuotedName(FData[FPos], u'"', text, state);
      if (state == vsEnd) break;  // that byte belongs to what follows
      if (text.size() > maxLen) text.resize(maxLen);
      ++FPos;
    }
    if (state == vsStart || state == vs1stQuote) return false;
    name.clear();
    for (std::size_t i = 0; i < text.size() && i < maxLen; ++i) name.push_back(static_cast<char>(text[i]));
    return true;
  }

 private:
  void SkipSpace() {
    for (;;) {
      while (FPos < FSize && FData[FPos] <= 32) ++FPos;
      if (FPos >= FSize || FData[FPos] != ';') return;
      while (FPos < FSize && FData[FPos] != 10 && FData[FPos] != 13) ++FPos;
    }
  }

  const uint8_t* FData;
  std::size_t FSize;
  std::size_t FPos = 0;
};

/// An integer token within lo..hi.
bool IntIn(TAscTokens& in, int lo, int hi, int& v) {
  String t;
  double d = 0;
  if (!in.Token(t) || !num_detail::ParseDoubleToken(t, d) || !(d >= lo && d <= hi) || d != static_cast<int>(d)) return false;
  v = static_cast<int>(d);
  return true;
}

/// Windows-1252 text from a String whose characters are bytes.
String FromBytes(const String& s) {
  std::string bytes;
  for (Char c : s) bytes.push_back(static_cast<char>(c));
  return AnsiToString(bytes);
}

// [SECTION] ASC reading

/// Header of an ASC stream into img; 0 or the header's code. Counts below 0 answer 255 / 254.
int ReadAscHeader(TStream& in, num_detail::TDataTableImage& img) {
  String comment;
  int cols = 0, rows = 0;
  const int code =
      ReadHeaderOfASC(in, comment, cols, rows, img.HasRowAtt, img.HasColNames, img.HasRowNames, img.HasSetup);
  if (code != 0) return code;
  if (cols < 0) return kCodeBadColumns;
  if (rows < 0) return kCodeBadRows;
  img.Comment = RemoveControlChars(FromBytes(comment));
  img.Cols = cols;
  img.Rows = rows;
  return 0;
}

/// True when the data part can hold what the header announces (one byte per item at least).
bool Plausible(const num_detail::TDataTableImage& img, std::size_t bytes) {
  const int64_t c = img.Cols, r = img.Rows;
  const int64_t perRow = (img.HasRowAtt ? 1 : 0) + (img.HasRowNames ? 1 : 0) + c;
  const int64_t items = (img.HasColNames ? c : 0) + r * perRow + (img.HasSetup ? 3 * c + 1 : 0);
  const int64_t have = static_cast<int64_t>(std::min<std::size_t>(bytes, INT64_MAX / 4));
  return items <= have && c <= have && r <= have;
}

int ReadAscSetup(TAscTokens& in, num_detail::TDataTableImage& img) {
  img.Setup.resize(static_cast<std::size_t>(img.Cols));
  img.ColAtt.assign(static_cast<std::size_t>(img.Cols), 0);
  for (int c = 0; c < img.Cols; ++c) {
    int scale = 0, attribute = 0, labels = 0;
    if (!IntIn(in, stUnknown, stRatio, scale) || !IntIn(in, 0, 255, attribute) || !IntIn(in, 0, 25, labels))
      return kCodeBadNumber;
    TVTypeSpec& vt = img.Setup[static_cast<std::size_t>(c)];
    vt.MScaleType = static_cast<TMScaleType>(scale);
    img.ColAtt[static_cast<std::size_t>(c)] = static_cast<uint8_t>(attribute);
    std::string label;
    for (int k = 1; k <= labels; ++k) {
      if (!in.Name(label, 10)) return kCodeBadNumber;
      vt.SetID(k, label);
    }
  }
  int count = 0, col = 0, row = 0, state = 0;
  if (!IntIn(in, 0, INT_MAX, count)) return kCodeBadNumber;
  for (int i = 0; i < count; ++i) {
    if (!IntIn(in, 1, img.Cols, col) || !IntIn(in, 1, img.Rows, row) || !IntIn(in, 0, 255, state))
      return kCodeBadNumber;
    img.States[img.At(col - 1, row - 1)] = static_cast<uint8_t>(state);
  }
  return 0;
}

int ReadAscData(TAscTokens& in, num_detail::TDataTableImage& img) {
  const std::size_t nc = static_cast<std::size_t>(img.Cols), nr = static_cast<std::size_t>(img.Rows);
  img.ColNames.assign(img.HasColNames ? nc : 0, TDTNameStr());
  for (TDTNameStr& name : img.ColNames)
    if (!in.Name(name, 50)) return kCodeBadNumber;
  img.RowNames.assign(img.HasRowNames ? nr : 0, TDTNameStr());
  img.RowAtt.assign(nr, 0);
  img.Values.assign(nc * nr, 0.0);
  img.States.assign(nc * nr, 0);
  String t;
  for (int r = 0; r < img.Rows; ++r) {
    int attribute = 0;
    if (img.HasRowAtt && !IntIn(in, 0, 255, attribute)) return kCodeBadAttribute;
    img.RowAtt[static_cast<std::size_t>(r)] = static_cast<uint8_t>(attribute);
    if (img.HasRowNames && !in.Name(img.RowNames[static_cast<std::size_t>(r)], 50)) return kCodeBadNumber;
    for (int c = 0; c < img.Cols; ++c)
      if (!in.Token(t) || !num_detail::ParseDoubleToken(t, img.Values[img.At(c, r)])) return kCodeBadNumber;
  }
  return img.HasSetup ? ReadAscSetup(in, img) : 0;
}

/// Reads an ASC image from the stream's position; the stream is left behind the last item read.
int ReadAscImage(TStream& in, num_detail::TDataTableImage& img, const TComponent& owner) {
  if (const int code = ReadAscHeader(in, img); code != 0) return code;
  const int64_t start = in.Position();
  std::vector<uint8_t> bytes;
  num_detail::GuardAlloc<EQeltaDataTableError>(owner, u"not enough memory on heap", [&] {
    bytes.resize(static_cast<std::size_t>(std::max<int64_t>(num_detail::StreamRemaining(in), 0)));
  });
  bytes.resize(static_cast<std::size_t>(in.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
  if (!Plausible(img, bytes.size())) return kCodeBadNumber;
  TAscTokens tokens(bytes.data(), bytes.size());
  int code = 0;
  num_detail::GuardAlloc<EQeltaDataTableError>(owner, u"not enough memory on heap",
                                           [&] { code = ReadAscData(tokens, img); });
  in.SetPosition(start + static_cast<int64_t>(tokens.Pos()));
  return code;
}

// [SECTION] CSV

char DelimiterChar(TCSVDelimiters d) {
  switch (d) {
    case csvColon:
      return ':';
    case csvSemicolon:
      return ';';
    case csvTab:
      return '\t';
    default:
      return ',';
  }
}

std::string CsvField(const std::string& s, char delimiter) {
  const bool quote = (!s.empty() && s[0] == '#') || s.find_first_of(std::string{delimiter, '"', '\r', '\n'}) != std::string::npos;
  return quote ? Quoted(s) : s;
}

/// One record of a CSV file: fields joined, an empty single field written as "".
void CsvRecord(TByteSink& out, const std::vector<std::string>& fields, char delimiter) {
  if (fields.size() == 1 && fields[0].empty()) {
    out.Line("\"\"");
    return;
  }
  const char separator[2] = {delimiter, 0};
  for (std::size_t i = 0; i < fields.size(); ++i) out.Put(i > 0 ? separator : "", fields[i]);
  out.Line();
}

/// A CSV file split into records: where each begins and how many fields it has. The fields are
/// scanned again when the image is made, so nothing is kept per field.
struct TCsvFile {
  struct TRecord {
    std::size_t Begin = 0, Count = 0;
  };
  String Comment;
  uint8_t Delimiter = ',';
  std::vector<TRecord> Records;
};

/// One field as a span of the file's bytes.
struct TCsvField {
  std::size_t Begin = 0, End = 0;
  bool Quoted = false;
};

char DetectDelimiter(const uint8_t* p, std::size_t n) {
  static constexpr std::array<char, 4> kCandidates = {'\t', ';', ',', ':'};
  std::array<int64_t, 4> count{};
  bool quoted = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] == '"') quoted = !quoted;
    if (!quoted && (p[i] == 10 || p[i] == 13)) break;
    for (std::size_t k = 0; k < kCandidates.size() && !quoted; ++k) count[k] += p[i] == kCandidates[k];
  }
  const auto best = std::max_element(count.begin(), count.end());
  return *best > 0 ? kCandidates[static_cast<std::size_t>(best - count.begin())] : ',';
}

/// The field of a record at i (RFC 4180); answers the position behind it and its delimiter or line
/// end, and whether another field of the record follows.
std::size_t ScanField(const uint8_t* p, std::size_t n, std::size_t i, uint8_t d, TCsvField& field, bool& more) {
  field = TCsvField();
  if (i < n && p[i] == '"') {
    field.Quoted = true;
    field.Begin = ++i;
    while (i < n && !(p[i] == '"' && (i + 1 >= n || p[i + 1] != '"'))) i += p[i] == '"' ? 2 : 1;
    field.End = std::min(i, n);
    if (i < n) ++i;  // closing quote
    while (i < n && p[i] != d && p[i] != 10 && p[i] != 13) ++i;  // junk after it
  } else {
    field.Begin = i;
    while (i < n && p[i] != d && p[i] != 10 && p[i] != 13) ++i;
    field.End = i;
  }
  more = i < n && p[i] == d;
  if (!more && i < n && p[i] == 13 && i + 1 < n && p[i + 1] == 10) ++i;
  return i < n ? i + 1 : i;
}

/// Splits bytes into records (RFC 4180), after the comment line.
void SplitCsv(const uint8_t* p, std::size_t n, TCSVDelimiters which, TCsvFile& f) {
  std::size_t i = 0;
  if (n > 0 && p[0] == '#') {
    std::size_t e = 1;
    while (e < n && p[e] != 10 && p[e] != 13) ++e;
    const std::size_t from = e > 1 && p[1] == ' ' ? 2 : 1;
    f.Comment = RemoveControlChars(AnsiToString(std::string_view(reinterpret_cast<const char*>(p) + from, e - from)));
    i = e;
  }
  while (i < n && (p[i] == 10 || p[i] == 13)) ++i;
  f.Delimiter = static_cast<uint8_t>(which == csvUnknown ? DetectDelimiter(p + i, n - i) : DelimiterChar(which));
  TCsvField field;
  while (i < n) {
    if (p[i] == 10 || p[i] == 13) {  // an empty line
      ++i;
      continue;
    }
    TCsvFile::TRecord record{i, 0};
    for (bool more = true; more; ++record.Count) i = ScanField(p, n, i, f.Delimiter, field, more);
    f.Records.push_back(record);
  }
}

/// The fields of one record in turn, as views of the file's bytes (or of a copy where a quoted
/// field holds "" for a quote).
class TCsvCursor {
 public:
  TCsvCursor(const uint8_t* p, std::size_t n, const TCsvFile& f, std::size_t record)
      : FP(p), FN(n), FD(f.Delimiter), FAt(f.Records[record].Begin) {}
  /// The next field's text, valid until the next call.
  std::string_view Next() {
    TCsvField field;
    bool more = false;
    FAt = ScanField(FP, FN, FAt, FD, field, more);
    const std::string_view raw(reinterpret_cast<const char*>(FP) + field.Begin, field.End - field.Begin);
    if (!field.Quoted || raw.find('"') == std::string_view::npos) return raw;
    FUnquoted.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
      FUnquoted.push_back(raw[i]);
      if (raw[i] == '"') ++i;  // "" stands for one quote
    }
    return FUnquoted;
  }

 private:
  const uint8_t* FP;
  std::size_t FN;
  uint8_t FD;
  std::size_t FAt;
  std::string FUnquoted;
};

std::string_view Trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return std::string_view();
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

/// A value field into the image: empty -> csEmpty, NaN -> csNotANumber, else a number.
bool CsvValue(std::string_view field, double& v, uint8_t& state) {
  const std::string_view s = Trimmed(field);
  v = 0;
  state = 0;
  if (s.empty()) {
    state = csEmpty;
    return true;
  }
  if (s.size() == 3 && (s[0] | 32) == 'n' && (s[1] | 32) == 'a' && (s[2] | 32) == 'n') {
    state = csNotANumber;
    return true;
  }
  return num_detail::ParseDoubleToken(AnsiToString(s), v);
}

/// How the records of a CSV file map onto the table.
struct TCsvLayout {
  std::size_t First = 0;  ///< the first data record (1 after a header record)
  bool RowNames = false;  ///< field 0 of a data record is its row name
  bool Attributes = false;  ///< field 1 of a data record is its row attribute
  std::size_t V0 = 0;  ///< the field of the first value
};

/// A row attribute field: empty (0) or a whole number 0..255.
bool CsvAttribute(std::string_view field, uint8_t& attribute) {
  const std::string_view a = Trimmed(field);
  double d = 0;
  if (!a.empty() && (!num_detail::ParseDoubleToken(AnsiToString(a), d) || !(d >= 0 && d <= 255) || d != static_cast<int>(d)))
    return false;
  attribute = static_cast<uint8_t>(d);
  return true;
}

/// Column names: the header record's fields from the first value on, default names beyond it.
void CsvColumnNames(const uint8_t* p, std::size_t size, const TCsvFile& f, const TCsvLayout& at,
                    num_detail::TDataTableImage& img) {
  img.ColNames.reserve(static_cast<std::size_t>(img.Cols));
  TCsvCursor header(p, size, f, 0);
  for (std::size_t k = 0; k < f.Records[0].Count; ++k) {
    const std::string_view name = header.Next();
    if (k >= at.V0) img.ColNames.emplace_back(name.substr(0, 50));
  }
  while (img.ColNames.size() < static_cast<std::size_t>(img.Cols))
    img.ColNames.push_back(TDataTable::DefaultName('C', static_cast<int>(img.ColNames.size() + 1)));
}

/// Data record rec into row r of the image; 0 or a code.
int CsvRow(const uint8_t* p, std::size_t size, const TCsvFile& f, const TCsvLayout& at, std::size_t rec, int r,
           num_detail::TDataTableImage& img) {
  TCsvCursor fields(p, size, f, rec);
  for (std::size_t k = 0; k < f.Records[rec].Count; ++k) {
    const std::string_view field = fields.Next();
    const std::size_t row = static_cast<std::size_t>(r);
    if (k == 0 && at.RowNames) img.RowNames[row] = field.substr(0, 50);
    if (k == 1 && at.Attributes && !CsvAttribute(field, img.RowAtt[row])) return kCodeBadAttribute;
    if (k < at.V0) continue;
    const std::size_t cell = img.At(static_cast<int>(k - at.V0), r);
    if (!CsvValue(field, img.Values[cell], img.States[cell])) return kCodeBadNumber;
  }
  return 0;
}

/// The image of a split CSV file; 0 or a code.
int CsvImage(const uint8_t* p, std::size_t size, const TCsvFile& f, bool colHeaders, bool rowHeaders,
             num_detail::TDataTableImage& img) {
  const std::size_t records = f.Records.size();
  TCsvLayout at;
  at.First = colHeaders && records > 0 ? 1 : 0;
  at.RowNames = rowHeaders;
  const std::size_t nameAt = rowHeaders ? 1 : 0;
  if (at.First == 1 && f.Records[0].Count > nameAt) {
    TCsvCursor header(p, size, f, 0);
    for (std::size_t k = 0; k < nameAt; ++k) header.Next();
    at.Attributes = header.Next() == kAttributeHeader;
  }
  at.V0 = nameAt + (at.Attributes ? 1 : 0);
  int64_t cols = 0;
  for (const TCsvFile::TRecord& record : f.Records)
    cols = std::max(cols, static_cast<int64_t>(record.Count) - static_cast<int64_t>(at.V0));
  const int64_t rows = static_cast<int64_t>(records - at.First);
  if (cols > INT_MAX || rows > INT_MAX || !num_detail::CellsFitInput(cols * rows, sizeof(double), static_cast<int64_t>(size)))
    return kCodeBadNumber;
  img.Comment = f.Comment;
  img.Cols = static_cast<int>(cols);
  img.Rows = static_cast<int>(rows);
  img.HasColNames = at.First == 1;
  img.HasRowNames = rowHeaders;
  img.HasRowAtt = at.Attributes;
  if (img.HasColNames) CsvColumnNames(p, size, f, at, img);
  img.RowNames.assign(rowHeaders ? static_cast<std::size_t>(rows) : 0, TDTNameStr());
  img.RowAtt.assign(static_cast<std::size_t>(rows), 0);
  img.Values.assign(static_cast<std::size_t>(cols * rows), 0.0);
  img.States.assign(static_cast<std::size_t>(cols * rows), csEmpty);
  for (int r = 0; r < img.Rows; ++r)
    if (const int code = CsvRow(p, size, f, at, at.First + static_cast<std::size_t>(r), r, img); code != 0) return code;
  return 0;
}

}  // namespace

// [SECTION] ASC writing

void TDataTable::WriteAscTo(TStream& stream, const String& FileName, int Precision) const {
  TByteSink out(stream);
  String comment = FComment;
  for (Char& c : comment)
    if (c < 32) c = u' ';
  if (comment.empty()) comment = String(u"Exported by Qelta TDataTable component: ").append(FileName);
  out.Line(StringToAnsi(comment));
  out.Line(std::to_string(FNrOfCols), "\t;nr. of columns");
  out.Line(std::to_string(FNrOfRows), "\t;nr. of rows");
  out.Line("TRUE TRUE TRUE TRUE\t;row attributes, column names, row names, table setup");
  for (int c = 1; c <= FNrOfCols; ++c) out.Put(c > 1 ? "\t" : "", Quoted(GetColName(c)));
  out.Line();
  for (int r = 1; r <= FNrOfRows; ++r) {
    out.Put(std::to_string(GetRowAttrib(r)), "\t", Quoted(GetRowName(r)));
    for (int c = 1; c <= FNrOfCols; ++c) out.Put("\t", ValueText(NumericData->GetVal(c, r), Precision));
    out.Line();
  }
  out.Line(";table setup: per column scale, attribute, number of labels, labels");
  for (const TVTypeSpec& vt : FVType) {
    const std::size_t c = static_cast<std::size_t>(&vt - FVType.data());
    int k = 25;
    while (k > 0 && vt.ID(k).empty()) --k;
    out.Put(std::to_string(vt.MScaleType), "\t", std::to_string(FColAtt[c]), "\t", std::to_string(k));
    for (int i = 1; i <= k; ++i) out.Put("\t", Quoted(vt.ID(i)));
    out.Line();
  }
  const int64_t states = static_cast<int64_t>(FCState.size()) - std::count(FCState.begin(), FCState.end(), 0);
  out.Line(std::to_string(states), "\t;cell states: column, row, state");
  for (int c = 1; c <= FNrOfCols; ++c)
    for (int r = 1; r <= FNrOfRows; ++r)
      if (const uint8_t st = GetCellState(c, r); st != 0)
        out.Line(std::to_string(c), "\t", std::to_string(r), "\t", std::to_string(st));
  out.Flush();
}

// [SECTION] placing images

namespace {

/// Names becomes n default names (prefix, '-', number), in its own entries: with room for n
/// reserved this needs no memory, the names being short strings.
void MakeDefaultNames(std::vector<TDTNameStr>& names, char prefix, std::size_t n) {
  names.resize(n);
  for (std::size_t k = 0; k < n; ++k) names[k] = TDataTable::DefaultName(prefix, static_cast<int>(k + 1));
}

}  // namespace

void TDataTable::TakeImage(TImage& img) {
  const int oc = FNrOfCols, orows = FNrOfRows;
  const std::size_t nc = static_cast<std::size_t>(img.Cols), nr = static_cast<std::size_t>(img.Rows);
  // What may fail comes first: room for the arrays the image leaves at their defaults, then the
  // matrix. The image's own arrays are then swapped in, so nothing is held twice.
  num_detail::GuardAlloc<EQeltaDataTableError>(*this, u"not enough memory on heap", [&] {
    if (!img.HasColNames) FColName.reserve(nc);
    if (!img.HasRowNames) FRowName.reserve(nr);
    if (!img.HasSetup) FVType.reserve(nc);
    if (img.ColAtt.empty()) FColAtt.reserve(nc);
  });
  ResizeMatrixUnheard(img.Cols, img.Rows);
  AdoptImage(img);
  img = TImage();  // the old arrays go before the handlers run
  if (OnResize && (oc != FNrOfCols || orows != FNrOfRows)) OnResize(this, oc, orows, FNrOfCols, FNrOfRows);
  ChangedData();
  ChangedCellStates();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
}

void TDataTable::AdoptImage(TImage& img) {
  const std::size_t nc = static_cast<std::size_t>(img.Cols), nr = static_cast<std::size_t>(img.Rows);
  FComment.swap(img.Comment);
  if (img.HasColNames)
    FColName.swap(img.ColNames);
  else
    MakeDefaultNames(FColName, 'C', nc);
  if (img.HasRowNames)
    FRowName.swap(img.RowNames);
  else
    MakeDefaultNames(FRowName, 'R', nr);
  if (img.HasSetup) {
    FVType.swap(img.Setup);
  } else {
    FVType.resize(nc);
    for (TVTypeSpec& vt : FVType) {
      vt.MScaleType = stInterval;
      vt.ClearIDs();
    }
  }
  if (img.ColAtt.empty())
    FColAtt.assign(nc, 0);
  else
    FColAtt.swap(img.ColAtt);
  FRowAtt.swap(img.RowAtt);
  FCState.swap(img.States);
  FNrOfCols = img.Cols;
  FNrOfRows = img.Rows;
  PlaceCells(img, 1, 1, false);
}

void TDataTable::PlaceCells(const TImage& img, int PosX, int PosY, bool states) {
  const int cols = std::min(img.Cols, std::min(FNrOfCols, NumericData->NrOfColumns()) - (PosX - 1));
  const int rows = std::min(img.Rows, std::min(FNrOfRows, NumericData->NrOfRows()) - (PosY - 1));
  for (int c = 0; c < cols; ++c) {
    const int col = PosX + c;
    const auto from = static_cast<std::ptrdiff_t>(img.At(c, 0));
    std::copy_n(img.Values.begin() + from, rows, num_detail::TMatrixAccess::Column(*NumericData, col) + (PosY - 1));
    if (states) std::copy_n(img.States.begin() + from, rows, StatesOf(col) + (PosY - 1));
  }
}

void TDataTable::PlaceImage(const TImage& img, int PosX, int PosY, bool ReplaceIDs) {
  if (img.Cols == 0 || img.Rows == 0) return;
  PosX = std::max(PosX, 1);
  PosY = std::max(PosY, 1);
  const int64_t nc = std::max<int64_t>(FNrOfCols, int64_t{PosX} + img.Cols - 1);
  const int64_t nr = std::max<int64_t>(FNrOfRows, int64_t{PosY} + img.Rows - 1);
  if (nc > INT_MAX || nr > INT_MAX) throw EQeltaDataTableError(num_detail::ComponentText(*this, u"not enough memory on heap"));
  const int oc = FNrOfCols, orows = FNrOfRows;
  ResizeSilently(static_cast<int>(nc), static_cast<int>(nr));
  PlaceCells(img, PosX, PosY, true);
  if (ReplaceIDs) {
    for (int c = 0; c < img.Cols; ++c) {
      const std::size_t k = static_cast<std::size_t>(PosX - 1 + c);
      if (img.HasColNames) FColName[k] = img.ColNames[static_cast<std::size_t>(c)];
      if (img.HasSetup) {
        FVType[k] = img.Setup[static_cast<std::size_t>(c)];
        FColAtt[k] = img.ColAtt[static_cast<std::size_t>(c)];
      }
    }
    for (int r = 0; r < img.Rows; ++r) {
      const std::size_t k = static_cast<std::size_t>(PosY - 1 + r);
      if (img.HasRowNames) FRowName[k] = img.RowNames[static_cast<std::size_t>(r)];
      if (img.HasRowAtt) FRowAtt[k] = img.RowAtt[static_cast<std::size_t>(r)];
    }
  }
  if (OnResize && (oc != FNrOfCols || orows != FNrOfRows)) OnResize(this, oc, orows, FNrOfCols, FNrOfRows);
  ChangedData();
  ChangedCellStates();
  if (ReplaceIDs) {
    ChangedSetup();
    ChangedNames();
    ChangedAttrib();
  }
}

int TDataTable::ReadAsc(TStream& in, bool whole, int PosX, int PosY, bool ReplaceIDs) {
  TImage img;
  if (const int code = ReadAscImage(in, img, *this); code != 0) return code;
  if (whole)
    TakeImage(img);
  else
    PlaceImage(img, PosX, PosY, ReplaceIDs);
  return 0;
}

// [SECTION] ASC entry points

String TDataTable::ExportAsASC(const String& FName, int Precision) const {
  return Guarded(*this, [&] { SaveWholeFile(FName, [&](TStream& f) { WriteAscTo(f, FName, Precision); }); });
}

String TDataTable::ExportAsASC(TStream& OutStream, int Precision) const {
  return Guarded(*this, [&] {
    WriteAscTo(OutStream, String(), Precision);
  });
}

int TDataTable::ImportASC(const String& FName) {
  TFileStream f(FName, fmOpenRead);
  return ReadAsc(f, true, 1, 1, false);
}

int TDataTable::ImportASC(TStream& InStream) { return ReadAsc(InStream, true, 1, 1, false); }

int TDataTable::ImportASC(const TClipboard* ClipBd) {
  TStringStream s(ClipBd != nullptr ? ClipBd->AsText() : String());
  return ReadAsc(s, true, 1, 1, false);
}

int TDataTable::ReadFromASC(const String& FName, int PosX, int PosY, bool ReplaceIDs) {
  TFileStream f(FName, fmOpenRead);
  return ReadAsc(f, false, PosX, PosY, ReplaceIDs);
}

int TDataTable::ReadFromASC(TStream& InStream, int PosX, int PosY, bool ReplaceIDs) {
  return ReadAsc(InStream, false, PosX, PosY, ReplaceIDs);
}

int TDataTable::ReadFromASC(const TClipboard* ClipBd, int PosX, int PosY, bool ReplaceIDs) {
  TStringStream s(ClipBd != nullptr ? ClipBd->AsText() : String());
  return ReadAsc(s, false, PosX, PosY, ReplaceIDs);
}

// [SECTION] CSV entry points

String TDataTable::ExportAsCSV(const String& FName, int Precision, TCSVDelimiters Delimiter, bool IncludeColHeaders,
                               bool IncludeRowHeaders, bool IncludeRowAttributes, bool IncludeComment) const {
  const char d = DelimiterChar(Delimiter);
  return Guarded(*this, [&] {
    SaveWholeFile(FName, [&](TStream& f) {
      TByteSink out(f);
      if (IncludeComment) out.Line(FComment.empty() ? "#" : "# ", StringToAnsi(FComment));
      std::vector<std::string> fields;
      if (IncludeColHeaders) {
        if (IncludeRowHeaders) fields.emplace_back();
        if (IncludeRowAttributes) fields.emplace_back(kAttributeHeader);
        for (int c = 1; c <= FNrOfCols; ++c) fields.push_back(CsvField(GetColName(c), d));
        CsvRecord(out, fields, d);
      }
      for (int r = 1; r <= FNrOfRows; ++r) {
        fields.clear();
        if (IncludeRowHeaders) fields.push_back(CsvField(GetRowName(r), d));
        if (IncludeRowAttributes) fields.push_back(std::to_string(GetRowAttrib(r)));
        for (int c = 1; c <= FNrOfCols; ++c) {
          const uint8_t s = GetCellState(c, r);
          const double v = NumericData->GetVal(c, r);
          fields.push_back((s & csEmpty) != 0 ? std::string() : (s & csNotANumber) != 0 || v != v ? "NaN" : ValueText(v, Precision));
        }
        CsvRecord(out, fields, d);
      }
      out.Flush();
    });
  });
}

int TDataTable::ImportFromCSV(const String& FName, TCSVDelimiters Delimiter, bool IncludeColHeaders,
                              bool IncludeRowHeaders) {
  TMemoryStream bytes;
  bytes.LoadFromFile(FName);
  const uint8_t* p = bytes.Memory();
  TCsvFile f;
  TImage img;
  int code = 0;
  num_detail::GuardAlloc<EQeltaDataTableError>(*this, u"not enough memory on heap", [&] {
    SplitCsv(p, static_cast<std::size_t>(bytes.Size()), Delimiter, f);
    code = CsvImage(p, static_cast<std::size_t>(bytes.Size()), f, IncludeColHeaders, IncludeRowHeaders, img);
  });
  if (code == 0) TakeImage(img);
  return code;
}

}  // namespace qelta
