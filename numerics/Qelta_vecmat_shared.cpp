// Helpers shared by the vector and matrix sources: messages, sizes, ranges, number text and
// tokens of the file formats, binary images, stream headers, line sinks and sources, and the
// matrix XML element (writer and reader).
//
// The XML element, as both matrix classes write it (lines end CR LF, one byte per character):
//   <?xml version="1.0"?>                              only when a header is asked for
//   (empty line)
//   <!-- TMatrix / Qeltakit -->                        the writing class
//   <matrix sig="Qeltakit" vers="1.0" id="ID">         form="sparse" added by a sparse TIntMatrix
//     <numcols>NC</numcols>
//     <numrows>NR</numrows>
//     <cells row="R" col="C">v v v</cells>             values of (C, R), (C + 1, R), ...
//   </matrix>
// Dense writers give one cells line per row (col="1"); the sparse writer one per stored triple.
// Cells that no line lists are 0. Nothing is escaped: an id holding a double quote does not read
// back. The arrays of three and four dimensions (Qelta_matrix_nd.cpp) add <numlayers> (and
// <numtimeslots>) after <numrows> and the attributes layer="L" (and timeslot="T") to each cells line;
// a reader of fewer dimensions refuses counts above 1 of the dimensions it lacks.
// Saving: every writer of a whole file in the numerics writes a temporary file beside the target and
// renames it over the target once flushed (RewriteReplacing, SaveWholeFile), so a failed or killed
// save leaves the old file as it was.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "Qelta_matrix.h"
#include "Qelta_readbound_internal.h"
#include "Qelta_streams.h"
#include "Qelta_vecmat_internal.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta::num_detail {

// [SECTION] messages, sizes, ranges

String ComponentText(const TComponent& c, const String& rest) { return u"Component \"" + c.Name() + u"\": " + rest; }

String NoRoomFor(int64_t cols, int64_t rows) {
  return u"not enough memory on heap for " + IntToStr(cols) + u" x " + IntToStr(rows) + u" cells";
}

bool CellsFitInput(int64_t cells, std::size_t cellBytes, int64_t inputBytes) {
  const int64_t size = static_cast<int64_t>(cellBytes);
  return cells >= 0 && cells <= INT64_MAX / size && core_detail::StorageFitsInput(cells * size, inputBytes);
}

int64_t CheckedCells(int64_t cols, int64_t rows, std::size_t elemSize) {
  if (cols < 0 || rows < 0) return -1;
  const int64_t limit = static_cast<int64_t>(std::numeric_limits<std::ptrdiff_t>::max() / elemSize);
  if (cols != 0 && rows > limit / cols) return -1;
  return cols * rows;
}

void MakeValidRange(int count, int& lo, int& hi) {
  if (lo == 0 && hi == 0) {
    lo = 1;
    hi = count;
    return;
  }
  ClampSourceRange(count, lo, hi);
}

void ClampSourceRange(int count, int& lo, int& hi) {
  lo = std::min(std::max(lo, 1), count);
  hi = std::min(std::max(hi, 1), count);
  if (hi < lo) std::swap(lo, hi);
}

// [SECTION] number text and tokens

String ExactNumText(double v) { return v == 0 && std::signbit(v) ? String(u"-0") : FileNumText(v, 0, -1); }

String FileNumText(double v, int significant, int decimals) {
  if (std::isnan(v)) return u"NAN";
  if (std::isinf(v)) return v > 0 ? u"INF" : u"-INF";
  if (decimals >= 0) return Str(v, 0, decimals);
  const int digits = significant <= 0 ? 17 : std::min(significant, 18);
  String s = FloatToStrF(v, ffGeneral, digits, 0);
  if (FormatSettings.DecimalSeparator != u'.') std::replace(s.begin(), s.end(), FormatSettings.DecimalSeparator, u'.');
  return s;
}

String ShortestNumText(double v) {
  if (!std::isfinite(v)) return FileNumText(v, 0, -1);
  // The digit count of the shortest round-trip text; the platform's text with that many digits is
  // cut from the exact value (ties away from zero), so it may need one digit more to read back.
  char buf[40] = {};
  const auto r = std::to_chars(buf, buf + sizeof buf - 1, v, std::chars_format::scientific);  // "d.ddde+XX"
  int digits = 0;
  const char* e = buf;
  for (; e < r.ptr && *e != 'e'; ++e) digits += *e >= '0' && *e <= '9';
  // The general form writes an integer part of more digits than asked for in exponent form.
  const int exponent = e < r.ptr ? std::atoi(e + 1) : 0;
  if (exponent >= digits && exponent < 17) digits = exponent + 1;
  for (;; ++digits) {
    const String s = FileNumText(v, digits, -1);
    double back = 0;
    if (digits >= 17 || (ParseDoubleToken(s, back) && back == v)) return s;
  }
}

bool ParseIntegerToken(const String& s, int32_t& v) {
  if (s.empty()) return false;
  for (Char c : s)
    if (!((c >= u'0' && c <= u'9') || c == u'-' || c == u'+')) return false;  // no hexadecimal forms
  int code = 0;
  int32_t value = 0;
  Val(s, value, code);
  if (code != 0) return false;
  v = value;
  return true;
}

bool ParseDoubleToken(const String& s, double& v) {
  const String u = UpperCase(s);
  if (u == u"NAN") {
    v = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (u == u"INF" || u == u"+INF" || u == u"-INF") {
    v = u[0] == u'-' ? -HUGE_VAL : HUGE_VAL;
    return true;
  }
  if (s.empty()) return false;
  int code = 0;
  double value = 0;
  Val(s, value, code);
  if (code != 0) return false;
  v = value;
  return true;
}

bool ParseRoundedIntToken(const String& s, int32_t& v) {
  double d = 0;
  if (!ParseDoubleToken(s, d) || !std::isfinite(d)) return false;
  const int64_t r = Round(d);
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) return false;
  v = static_cast<int32_t>(r);
  return true;
}

bool TLineTokens::Next(std::vector<String>& tokens) {
  tokens.clear();
  while (FPos < FSize) {
    ++FLine;
    String token;
    while (FPos < FSize && FData[FPos] != 13 && FData[FPos] != 10) {
      const uint8_t b = FData[FPos++];
      if (b > 32)
        token.push_back(b);
      else if (!token.empty())
        tokens.push_back(std::exchange(token, String()));
    }
    if (!token.empty()) tokens.push_back(std::move(token));
    if (FPos < FSize && FData[FPos++] == 13 && FPos < FSize && FData[FPos] == 10) ++FPos;  // CR LF: one line end
    if (!tokens.empty()) return true;
  }
  return false;
}

String InFile(const String& name, const String& reason) { return u"\"" + name + u"\": " + reason; }

String Quoted(const String& token) {
  return u"\"" + (token.size() > 20 ? token.substr(0, 20) + u"..." : token) + u"\"";
}

bool ReadFileBytes(const String& name, std::vector<uint8_t>& bytes) {
  try {
    TFileStream f(name, fmOpenRead);
    const int64_t size = f.Size();
    if (size < 0 || static_cast<uint64_t>(size) > bytes.max_size()) return false;
    bytes.assign(static_cast<std::size_t>(size), 0);
    f.ReadBuffer(bytes.data(), size);
    return true;
  } catch (const EStreamError&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool WriteFileBytes(const String& name, const std::vector<uint8_t>& bytes) {
  try {
    SaveWholeFile(name, [&](TStream& f) { f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size())); });
    return true;
  } catch (const EStreamError&) {
    return false;
  }
}

uint32_t BlockCRC32(const uint8_t* data, std::size_t size) { return ~core_detail::Crc32Update(0xFFFFFFFFu, data, size); }

// [SECTION] stream headers

bool ReadExtIndex(TStream& s, int& v) {
  bool error = false;
  const Extended x = ReadExtendedFromStream(s, error);
  if (error || !std::isfinite(x) || x != std::floor(x) || x < 0 || x > 2147483647.0L) return false;
  v = static_cast<int>(x);
  return true;
}

bool ReadIntIndex(TStream& s, int& v) {
  bool error = false;
  const int32_t x = ReadLongintFromStream(s, error);
  if (error || x < 0) return false;
  v = x;
  return true;
}

int64_t StreamRemaining(TStream& s) {
  const int64_t rest = s.Size() - s.Position();
  return rest > 0 ? rest : 0;
}

// [SECTION] sinks

void TStreamSink::Line(const String& s) { WriteLnStream(FStream, s); }

// [SECTION] XML writer

String XmlCellsLine(int row, int col, const String& values, const String& place) {
  return u"  <cells row=\"" + IntToStr(row) + u"\" col=\"" + IntToStr(col) + u"\"" + place + u">" + values +
         u"</cells>";
}

void WriteXmlMatrix(TLineSink& out, const char16_t* className, bool createHeader, const String& id, bool sparse,
                    int nc, int nr, const std::function<void(TLineSink&)>& rows) {
  if (createHeader) out.Line(u"<?xml version=\"1.0\"?>");
  out.Line(String());
  out.Line(u"<!-- " + String(className) + u" / Qeltakit -->");
  out.Line(u"<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"" + id + (sparse ? u"\" form=\"sparse\">" : u"\">"));
  out.Line(u"  <numcols>" + IntToStr(nc) + u"</numcols>");
  out.Line(u"  <numrows>" + IntToStr(nr) + u"</numrows>");
  rows(out);
  out.Line(u"</matrix>");
}

bool SaveXmlFile(const String& FName, const std::function<void(TextFile&)>& write) {
  TextFile f;
  try {
    AssignFile(f, FName);
    RewriteReplacing(f);
    write(f);
    CloseFile(f);
  } catch (const EInOutError&) {
    return false;
  }
  return true;
}

bool LoadXmlFile(const String& FName, const std::function<bool(TextFile&)>& read, String* why) {
  TextFile f;
  try {
    AssignFile(f, FName);
    Reset(f);
    return read(f);
  } catch (const EInOutError& e) {
    if (why) *why = e.Message();
    return false;
  }
}

// [SECTION] XML reader

namespace {

const std::vector<String>& XmlTags() {
  static const std::vector<String> tags = {u"numcols", u"numrows", u"numlayers", u"numtimeslots",
                                           u"cells",   u"matrix",  u"/matrix",   u"invalidtag"};
  return tags;
}

// Text between `key` (searched in the lower-cased line) and the next double quote, trimmed.
String AttributeOfLine(const String& line, const String& key) {
  const std::size_t at = LowerCase(line).find(key);
  if (at == String::npos) return String();
  const std::size_t from = at + key.size();
  const std::size_t end = line.find(u'"', from);
  return Trim(line.substr(from, end == String::npos ? String::npos : end - from));
}

}  // namespace

bool FindXmlStartLine(TTagReader& in, const char16_t* root, const String& id, String& line) {
  const String wanted = LowerCase(Trim(id)), opening = u"<" + String(root);
  while (in.ReadLine(line)) {
    const String lower = LowerCase(line);
    if (lower.find(opening) == String::npos || lower.find(u"qeltakit") == String::npos) continue;
    if (wanted.empty() || LowerCase(AttributeOfLine(line, u"id=\"")) == wanted) return true;
  }
  return false;
}

namespace {

// Finds the start line of a matching element; answers its raw text.
bool FindStartLine(TTagReader& in, const String& id, String& line) { return FindXmlStartLine(in, u"matrix", id, line); }

bool ParseCount(const String& content, int& v) {
  int32_t n = 0;
  if (!ParseIntegerToken(Trim(content), n) || n < 0) return false;
  v = n;
  return true;
}

// An optional index attribute (default 1).
bool ParseIndexAttribute(const String& attributes, const char16_t* name, int& v) {
  const String text = ScanForXMLAttrib(attributes, name);
  return text.empty() || ParseIntegerToken(text, v);
}

// The run of one "cells" line; false with the reason when an index or a number does not read.
template <typename T>
bool ParseRun(const String& attributes, const String& content, TXmlRun<T>& run, String& why) {
  const String row = ScanForXMLAttrib(attributes, u"row"), col = ScanForXMLAttrib(attributes, u"col");
  if (!ParseIntegerToken(row, run.Row)) return Refuse(why, u"a cells line has the row " + Quoted(row));
  if (!col.empty() && !ParseIntegerToken(col, run.Col)) return Refuse(why, u"a cells line has the column " + Quoted(col));
  if (!ParseIndexAttribute(attributes, u"layer", run.Layer) || !ParseIndexAttribute(attributes, u"timeslot", run.TimeSlot))
    return Refuse(why, u"a cells line of row " + IntToStr(run.Row) + u" has an unreadable layer or time slot");
  T v{};
  for (std::size_t pos = 0; pos < content.size();) {
    while (pos < content.size() && content[pos] <= u' ') ++pos;
    const std::size_t start = pos;
    while (pos < content.size() && content[pos] > u' ') ++pos;
    if (pos == start) break;
    const String token = content.substr(start, pos - start);
    if (!ParseElemToken(token, v))
      return Refuse(why, u"row " + IntToStr(run.Row) + u" holds " + Quoted(token) + u", not a number of the matrix");
    run.Values.push_back(v);
  }
  return true;
}

// Runs inside the dimensions (one layer and time slot where no count is given), counts given.
template <typename T>
bool ElementIsSound(const TXmlMatrix<T>& m, String& why) {
  if (m.NCols < 0 || m.NRows < 0) return Refuse(why, u"numcols or numrows is missing");
  const int layers = m.NLayers < 0 ? 1 : m.NLayers, slots = m.NTimeSlots < 0 ? 1 : m.NTimeSlots;
  for (const TXmlRun<T>& run : m.Runs) {
    if (run.Layer < 1 || run.Layer > layers || run.TimeSlot < 1 || run.TimeSlot > slots)
      return Refuse(why, u"the cells of row " + IntToStr(run.Row) + u" lie in layer " + IntToStr(run.Layer) +
                             u", time slot " + IntToStr(run.TimeSlot) + u", outside the array");
    if (run.Row < 1 || run.Row > m.NRows || run.Col < 1 ||
        static_cast<int64_t>(run.Col) - 1 + static_cast<int64_t>(run.Values.size()) > m.NCols)
      return Refuse(why, u"the cells of row " + IntToStr(run.Row) + u" from column " + IntToStr(run.Col) +
                             u" lie outside the " + IntToStr(m.NCols) + u" x " + IntToStr(m.NRows) + u" matrix");
  }
  return true;
}

// One counting tag of the element (numcols, numrows, numlayers, numtimeslots) read into m; a layer or
// time-slot count above 1 only where the array of `dims` dimensions has that dimension.
template <typename T>
bool ReadCount(int tag, const String& content, int dims, TXmlMatrix<T>& m, String& why) {
  int count = 0;
  if (!ParseCount(content, count))
    return Refuse(why, XmlTags()[static_cast<std::size_t>(tag)] + u" is not a count: " + Quoted(Trim(content)));
  if (tag == xmlMatNumCols) m.NCols = count;
  else if (tag == xmlMatNumRows) m.NRows = count;
  else {
    const bool layer = tag == xmlMatNumLayers;
    if (count > 1 && dims < (layer ? 3 : 4))
      return Refuse(why, String(u"the element holds more than one ") + (layer ? u"layer" : u"time slot"));
    (layer ? m.NLayers : m.NTimeSlots) = count;
  }
  return true;
}

}  // namespace

template <typename T>
bool ReadXmlMatrix(TTagReader& in, const String& id, TXmlMatrix<T>& out, String& why, int dims) {
  String line, attributes, content;
  if (!FindStartLine(in, id, line))
    return Refuse(why, Trim(id).empty() ? String(u"no matrix element") : u"no matrix element with the id " + Quoted(Trim(id)));
  TXmlMatrix<T> m;
  const int64_t start = in.CharsRead() - static_cast<int64_t>(line.size()) - 1;
  m.Id = AttributeOfLine(line, u"id=\"");
  m.SparseForm = LowerCase(AttributeOfLine(line, u"form=\"")) == u"sparse";
  for (;;) {
    const int tag = in.NextTag(XmlTags(), attributes, content);
    if (tag == xmlInvalid && in.AtEnd()) return Refuse(why, u"the matrix element ends without </matrix>");
    if (tag == xmlMatEnd) break;
    if (tag >= xmlMatNumCols && tag <= xmlMatNumTimeSlots && !ReadCount(tag, content, dims, m, why)) return false;
    if (tag == xmlMatCell) {
      TXmlRun<T> run;
      if (!ParseRun(attributes, content, run, why)) return false;
      m.Listed += static_cast<int64_t>(run.Values.size());
      m.Runs.push_back(std::move(run));
    }
  }
  if (!ElementIsSound(m, why)) return false;
  m.Chars = in.CharsRead() - start;
  out = std::move(m);
  return true;
}

template bool ReadXmlMatrix<double>(TTagReader&, const String&, TXmlMatrix<double>&, String&, int);
template bool ReadXmlMatrix<int32_t>(TTagReader&, const String&, TXmlMatrix<int32_t>&, String&, int);

}  // namespace qelta::num_detail
