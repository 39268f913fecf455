// TRLData: the "replist" block (recognition, writer, readers).
//
// The block (one item per line; texts escaped as the string array's XML: & < > " as entities, every
// character outside 32..126 and 160..255 as "&#n;", so a line holds no line end and a cell keeps its TABs
// and line ends):
//   <?xml version="1.0"?>                              only with CreateHeader
//   (an empty line)                                    only with CreateHeader
//   <!-- TRLData / Qeltakit -->
//   <replist sig="Qeltakit" vers="1.0" id="DATAID">
//     <numcols>C</numcols>
//     <numrows>R</numrows>
//     <commonheader>TEXT</commonheader>
//     <comment>TEXT</comment>
//     <colname col="c">NAME</colname>                  every column 1..C
//     <columnformat col="c">FORMAT</columnformat>      each column with a format
//     <checkedcolumn col="c">box</checkedcolumn>       each check column: box or radio
//     <cell col="c" row="r">TEXT</cell>                rows in view order, columns 0..C, raw text, empty cells left out
//   </replist>
// A table so sparse that its block would declare more storage than it fills gets some empty cells from the
// ends of its rows written as well (core_detail::PadSparseRow), so that it loads back as saved.
// Selection bits and the sort state belong to the view and are not written. A reader finds the opening
// line as CheckIfValidReplist does, then reads tags up to "</replist>"; comments and unknown tags are
// passed over. numcols (1..65535) and numrows (0 or more) come once each, before any column or cell; an
// index outside them, a malformed number, a mode other than box or radio, a table that needs more storage
// than the block's text can fill plus a small allowance for the empty cells left out
// (core_detail::StorageFitsInput), or the end of the input before the closing tag makes the block malformed.

#include <algorithm>
#include <utility>
#include <vector>

#include "Encoding.h"
#include "Qelta_readbound_internal.h"
#include "Qelta_replist.h"
#include "Qelta_stringl.h"
#include "Qelta_streams.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

// True when a line opens a replist block with the identifier wanted ("" any): the line holds "<replist"
// and "qeltakit" (A-Z case ignored); the identifier is the text of id="..." without blanks around (empty
// without the attribute or its closing quote).
bool IsReplistLine(const String& line, const String& DataID, String& id) {
  const String lower = LowerCase(line);
  if (lower.find(u"<replist") == String::npos || lower.find(u"qeltakit") == String::npos) return false;
  id.clear();
  const size_t at = lower.find(u"id=\"");
  const size_t to = at == String::npos ? String::npos : line.find(u'"', at + 4);
  if (to != String::npos) id = StripLTBlanks(XmlUnescape(line.substr(at + 4, to - at - 4)));
  return DataID.empty() || LowerCase(id) == LowerCase(StripLTBlanks(DataID));
}

// Decimal count (digits only, blanks around allowed) within lo..hi.
bool Count(const String& text, int64_t lo, int64_t hi, int64_t& out) {
  const String t = StripLTBlanks(text);
  if (t.empty() || t.size() > 10) return false;
  out = 0;
  for (Char c : t) {
    if (c < u'0' || c > u'9') return false;
    out = out * 10 + (c - u'0');
  }
  return out >= lo && out <= hi;
}

const std::vector<String>& Tags() {
  static const std::vector<String> tags(TRLData::xmlRepListTagNames.begin(), TRLData::xmlRepListTagNames.end());
  return tags;
}

// What a block holds, as read, before anything is reserved for it.
struct TBlock {
  struct TItem {
    int Col = 0, Row = 0;
    String Text;
  };
  int64_t Cols = -1, Rows = -1;
  String Header, Comment;
  bool HasHeader = false;
  std::vector<TItem> Names, Formats, Modes, Cells;
};

constexpr int kMalformed = -2;

// Reads one child into the block; false when it is malformed.
bool ReadChild(int tag, const String& attributes, const String& content, TBlock& b) {
  int64_t col = 0, row = 0;
  switch (tag) {
    case TRLData::xmlNumCols: return b.Cols < 0 && Count(content, 1, 65535, b.Cols);
    case TRLData::xmlNumRows: return b.Rows < 0 && Count(content, 0, INT32_MAX - 1, b.Rows);
    case TRLData::xmlCommonHd: b.Header = XmlUnescape(content); b.HasHeader = true; return true;
    case TRLData::xmlComment: b.Comment = XmlUnescape(content); return true;
    default: break;
  }
  if (b.Cols < 0 || b.Rows < 0) return false;
  const bool cell = tag == TRLData::xmlCell;
  if (!Count(ScanForXMLAttrib(attributes, u"col"), cell ? 0 : 1, b.Cols, col)) return false;
  if (cell && !Count(ScanForXMLAttrib(attributes, u"row"), 1, b.Rows, row)) return false;
  TBlock::TItem item{int(col), int(row), XmlUnescape(content)};
  switch (tag) {
    case TRLData::xmlColName: b.Names.push_back(std::move(item)); return true;
    case TRLData::xmlColumnFormat: b.Formats.push_back(std::move(item)); return true;
    case TRLData::xmlCell: b.Cells.push_back(std::move(item)); return true;
    default: break;  // checkedcolumn
  }
  item.Text = LowerCase(StripLTBlanks(item.Text));
  if (item.Text != u"box" && item.Text != u"radio") return false;
  b.Modes.push_back(std::move(item));
  return true;
}

// Reads the children up to the closing tag; false when the block is malformed or ends early.
bool ReadChildren(TTagReader& src, TBlock& b) {
  String attributes, content;
  for (;;) {
    const int tag = src.NextTag(Tags(), attributes, content);
    if (tag == TRLData::xmlEndReplist) return b.Cols > 0 && b.Rows >= 0;
    if (tag == TRLData::xmlInvalid || tag < 0) {
      if (src.AtEnd()) return false;
      continue;
    }
    if (!ReadChild(tag, attributes, content, b)) return false;
  }
}

}  // namespace

// [SECTION] recognition

bool CheckIfValidReplist(const String& FName, const String& DataID) {
  TextFile f;
  AssignFile(f, FName);
  Reset(f);
  TTagReader src(f);
  String line, id;
  bool found = false;
  while (!found && src.ReadLine(line)) found = IsReplistLine(line, DataID, id);
  CloseFile(f);
  return found;
}

namespace {

// True when the line, read as ReadLnStream gives it (bytes below 32 but TAB dropped), holds "<replist" in any
// case of A-Z: the cheap test before a line becomes text.
bool HasReplistTag(std::string_view raw) {
  static constexpr char kTag[] = "<replist";
  for (size_t at = raw.find('<'); at != std::string_view::npos; at = raw.find('<', at + 1)) {
    size_t k = 1;
    for (size_t i = at + 1; k < 8 && i < raw.size(); ++i) {
      const auto b = static_cast<unsigned char>(raw[i]);
      if (b < 32 && b != 9) continue;
      if ((b | 0x20) != kTag[k]) break;  // exact for letters: only the two cases of each fold together
      ++k;
    }
    if (k == 8) return true;
  }
  return false;
}

String LineText(std::string_view raw) {
  String line;
  line.reserve(raw.size());
  for (const char ch : raw) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 32 || b == 9) line.push_back(Char(b));
  }
  return line;
}

}  // namespace

bool CheckIfValidReplist(TStream& Stream, const String& DataID) {
  // the lines of ReadLnStream (LF), taken from 64 KB blocks in which only a '<' before an 'r' (or a byte
  // the lines drop) calls for a look at its line; the stream goes back to just behind a match
  constexpr int64_t kBlock = 65536;
  std::vector<char> block(size_t(kBlock), '\0');
  std::string carry;  // a line begun in an earlier block
  String id;
  auto matches = [&](std::string_view raw) { return HasReplistTag(raw) && IsReplistLine(LineText(raw), DataID, id); };
  auto found = [&](size_t lf, int64_t n) {
    try {
      Stream.Seek(int64_t(lf + 1) - n, soFromCurrent);
    } catch (const EStreamError&) {  // a stream that cannot seek keeps the block consumed
    }
    return true;
  };
  for (;;) {
    const int64_t n = Stream.Read(block.data(), kBlock);
    if (n <= 0) return matches(carry);
    const std::string_view data(block.data(), size_t(n));
    const size_t lastLf = data.rfind('\n');
    if (lastLf == std::string_view::npos) {
      carry.append(data);
      continue;
    }
    const size_t firstLf = data.find('\n');
    if (matches(carry.append(data.substr(0, firstLf)))) return found(firstLf, n);
    for (size_t at = data.find('<', firstLf); at < lastLf; at = data.find('<', at + 1)) {
      const auto next = static_cast<unsigned char>(data[at + 1]);
      if ((next | 0x20) != 'r' && (next >= 32 || next == 9 || next == 10)) continue;
      const size_t start = data.rfind('\n', at) + 1, end = data.find('\n', at);
      if (matches(data.substr(start, end - start))) return found(end, n);
      at = end;
    }
    carry.assign(data.substr(lastLf + 1));
  }
}

// [SECTION] writer

namespace {

// What the metadata of one column takes: its name, format and check mode (texts up to their short form).
constexpr int64_t kColumnBytes = 2 * int64_t(sizeof(AnsiString)) + int64_t(sizeof(TCheckMode));

// The storage of a table of cols x rows as a reader builds it from a block.
int64_t TableBytes(int64_t cols, int64_t rows) {
  return core_detail::StringArrayBytes(cols, std::max<int64_t>(rows, 1)) + cols * kColumnBytes;
}

}  // namespace

void TRLData::WriteBlock(const std::function<void(const String&)>& sink, bool CreateHeader,
                         const String& DataID) const {
  int64_t counted = 0;  // of the lines with attributes, as the readers count them
  auto line = [](const String& name, const String& attributes, const String& text) {
    return u"  <" + name + attributes + u">" + XmlEscape(text) + u"</" + name + u">";
  };
  auto element = [&](const String& name, const String& attributes, const String& text) {
    const String l = line(name, attributes, text);
    if (!attributes.empty()) counted += core_detail::CountedElementChars(l);
    sink(l);
  };
  auto col = [](int c) { return u" col=\"" + IntToStr(c) + u"\""; };
  if (CreateHeader) {
    sink(u"<?xml version=\"1.0\"?>");
    sink(String());
  }
  sink(u"<!-- TRLData / Qeltakit -->");
  sink(u"<replist sig=\"Qeltakit\" vers=\"1.0\" id=\"" + XmlEscape(DataID) + u"\">");
  element(u"numcols", String(), IntToStr(FNrOfCols));
  element(u"numrows", String(), IntToStr(FNrOfRows));
  element(u"commonheader", String(), FCommonHeader);
  element(u"comment", String(), FComment);
  for (int c = 1; c <= FNrOfCols; ++c) {
    element(u"colname", col(c), AnsiToString(GetColName(c)));
    if (!GetColumnFormat(c).empty()) element(u"columnformat", col(c), AnsiToString(GetColumnFormat(c)));
    if (GetColCheckMode(c) != cmNone)
      element(u"checkedcolumn", col(c), GetColCheckMode(c) == cmBox ? u"box" : u"radio");
  }
  int64_t done = 0;
  std::vector<std::pair<int, String>> cells;  // a row's cell lines by column
  for (int r = 1; r <= FNrOfRows; ++r) {
    const String row = u" row=\"" + IntToStr(r) + u"\"";
    const auto cell = [&](int c, const AnsiString& raw) { return line(u"cell", col(c) + row, AnsiToString(raw)); };
    cells.clear();
    for (int c = 0; c <= FNrOfCols; ++c) {
      if (const AnsiString raw = Strings->GetString(c, r); !raw.empty()) cells.emplace_back(c, cell(c, raw));
      ReportProgress(++done);
    }
    core_detail::PadSparseRow(cells, TableBytes(FNrOfCols, r), counted, 0, FNrOfCols,
                              [&](int c) { return Strings->GetString(c, r).empty() ? cell(c, AnsiString()) : String(); });
    for (const auto& [c, l] : cells) sink(l);
  }
  sink(u"</replist>");
}

void TRLData::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID) const {
  WriteBlock([&f](const String& line) { WriteLn(f, line); }, CreateHeader, DataID);
}

void TRLData::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const {
  WriteBlock([&OutStream](const String& line) { WriteLnStream(OutStream, line); }, CreateHeader, DataID);
}

void TRLData::SaveAsXMLFile(const String& FName, const String& DataID) const {
  TextFile f;
  AssignFile(f, FName);
  RewriteReplacing(f);
  WriteToOpenXMLFile(f, true, DataID);
  CloseFile(f);
}

// [SECTION] readers

namespace {

// True when the table a block declares fits what its `chars` characters can fill; it is built aside and
// then copied in, and the allowance of StorageFitsInput leaves room for the two.
bool TableFitsBlock(const TBlock& b, int64_t chars) {
  return core_detail::StorageFitsInput(TableBytes(b.Cols, b.Rows), chars);
}

// Reads the next block with the identifier into a fresh TRLData; the result as ReadFromXMLString answers.
int ReadBlock(TTagReader& src, const String& DataID, TRLData& fresh) {
  String line, id;
  bool found = false;
  while (!found && src.ReadLine(line)) found = IsReplistLine(line, DataID, id);
  if (!found) return -1;
  const int64_t start = src.CharsRead() - int64_t(line.size()) - 1;
  TBlock b;
  if (!ReadChildren(src, b) || !TableFitsBlock(b, src.CharsRead() - start)) return kMalformed;
  try {
    fresh.SetNrCols(int(b.Cols));
    fresh.SetNrRows(int(b.Rows));
  } catch (const EQeltaRLDataError&) {
    return kMalformed;
  }
  for (const TBlock::TItem& n : b.Names) fresh.SetColName(n.Col, StringToAnsi(n.Text));
  for (const TBlock::TItem& f : b.Formats) fresh.SetColumnFormat(f.Col, StringToAnsi(f.Text));
  // the cells arrive raw (check character included): the modes are set without converting them
  for (const TBlock::TItem& m : b.Modes) fresh.SetColCheckMode(m.Col, m.Text == u"box" ? cmBox : cmRadio);
  for (const TBlock::TItem& c : b.Cells) fresh.Strings->SetString(c.Col, c.Row, StringToAnsi(c.Text));
  if (b.HasHeader) fresh.SetCommonHeader(b.Header);
  fresh.SetComment(b.Comment);
  fresh.SetDataID(id);
  return int(std::min<size_t>(b.Cells.size(), INT32_MAX));
}

}  // namespace

int TRLData::ReadBlockFrom(TTagReader& src, const String& DataID) {
  TRLData fresh(nullptr);
  const int n = ReadBlock(src, DataID, fresh);
  if (n < 0) return n;
  TBeforeSortExchgEvent sortKeys = OnBeforeSortExchange;
  const bool toggle = FSortToggle;
  Assign(&fresh);
  OnBeforeSortExchange = std::move(sortKeys);
  FSortToggle = toggle;
  return n;
}

int TRLData::ReadFromXMLString(const String& InString, const String& DataID) {
  TTagReader src(InString);
  return ReadBlockFrom(src, DataID);
}

int TRLData::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  TTagReader src(InStream);
  return ReadBlockFrom(src, DataID);
}

int TRLData::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  TTagReader src(f);
  return ReadBlockFrom(src, DataID);
}

int TRLData::LoadFromXMLFile(const String& FName, const String& DataID) {
  TextFile f;
  AssignFile(f, FName);
  Reset(f);
  const int n = ReadFromOpenXMLFile(f, DataID);
  CloseFile(f);
  return n;
}

}  // namespace qelta
