// TRLData's text exchange: clipboard copies, replist recognition, the replist block, line files, HTML.
#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Clipbrd.h"
#include "FileTestKit.h"
#include "HeapPeak.h"
#include "Qelta_replist.h"
#include "Qelta_streams.h"
#include "Streams.h"

namespace {

using namespace qelta;
using qelta::test::TempDir;
using Texts = std::vector<std::string>;

std::string ClipText() { return StringToUtf8(Clipboard()->AsText()); }

std::unique_ptr<TRLData> Table(const std::vector<Texts>& rows, const Texts& names = {}) {
  auto d = std::make_unique<TRLData>(nullptr);
  d->SetNrCols(int(rows.empty() ? names.size() : rows[0].size()));
  d->SetNrRows(int(rows.size()));
  for (size_t c = 0; c < names.size(); ++c) d->SetColName(int(c) + 1, names[c]);
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) d->SetElem(int(c) + 1, int(r) + 1, rows[r][c]);
  return d;
}

// [SECTION] clipboard

TEST(RLDataClipboard, TabCopyWithHeaderIsByteExact) {
  auto d = Table({{"1", "2"}}, {"A", "B"});
  d->CopyToClipBoard(1, 1, 2, 1, true, true);
  EXPECT_EQ(ClipText(), "A\tB\n\n1\t2\n");
  d->CopyToClipBoard(1, 1, 2, 1, false, String(u"; "));
  EXPECT_EQ(ClipText(), "1; 2\n");
  d->CopyToClipBoard(1, 1, 2, 1, true, u"|");
  EXPECT_EQ(ClipText(), "A|B\n\n1|2\n");
}

TEST(RLDataClipboard, FixedWidthCopyIsByteExact) {
  auto d = Table({{"xyz", "1"}}, {"A", "Long"});
  d->CopyToClipBoard(1, 1, 2, 1, true, false);
  EXPECT_EQ(ClipText(), "A   Long \n\nxyz 1    \n");
  d->CopyToClipBoard(1, 1, 2, 1, false, false);
  EXPECT_EQ(ClipText(), "xyz 1 \n");
}

TEST(RLDataClipboard, CheckColumnsCopyTheirTextButCountTheStateInTheWidth) {
  auto d = Table({{"ab", "c"}, {"d", "e"}}, {"N", "M"});
  d->SetColCheckMode(1, cmBox);
  d->SetElemChecked(1, 2, true);
  d->CopyToClipBoard(1, 1, 2, 2, false, true);
  EXPECT_EQ(ClipText(), "ab\tc\nd\te\n");
  d->CopyToClipBoard(1, 1, 2, 2, false, false);
  EXPECT_EQ(ClipText(), "ab  c \nd   e \n");
}

// The copies took the range unchanged and read past the table (and the mode array) for columns outside it.
TEST(RLDataClipboard, RangesAreClampedToTheTable) {
  auto d = Table({{"a", "b"}, {"c", "d"}}, {"X", "Y"});
  d->SetColCheckMode(2, cmBox);
  d->CopyToClipBoard(-3, -1, 40, 99, true, true);
  EXPECT_EQ(ClipText(), "X\tY\n\na\tb\nc\td\n");
  d->CopyToClipBoard(0, 0, 99, 99, false, false);
  EXPECT_EQ(ClipText(), "a b  \nc d  \n");
  d->CopyToClipBoard(2, 1, 1, 2, false, true);  // reversed columns: no cells
  EXPECT_EQ(ClipText(), "");
  d->CopyToClipBoard(1, 2, 2, 1, false, true);  // reversed rows: no cells
  EXPECT_EQ(ClipText(), "");
  d->CopyToClipBoard(5, 1, 9, 2, true, false);  // beyond the last column
  EXPECT_EQ(ClipText(), "");
}

// [SECTION] recognising a block

TEST(RLDataReplist, RecognisesTheOpeningLineByFamilyAndIdentifier) {
  TempDir dir;
  dir.Put("a.xml", "<?xml version=\"1.0\"?>\r\n<REPLIST sig=\"QeltaKit\" id=\"  Data 1 \">\r\n</replist>\r\n");
  dir.Put("b.xml", "<replist id=\"data 1\">\n<!-- no family word -->\n");
  dir.Put("empty.xml", "");
  dir.Put("open.xml", "<replist qeltakit id=\"abc\n");  // an identifier without its closing quote is empty
  EXPECT_TRUE(CheckIfValidReplist(dir / "open.xml", u""));
  EXPECT_FALSE(CheckIfValidReplist(dir / "open.xml", u"abc"));
  EXPECT_TRUE(CheckIfValidReplist(dir / "a.xml", u"data 1"));
  EXPECT_TRUE(CheckIfValidReplist(dir / "a.xml", u"DATA 1"));
  EXPECT_TRUE(CheckIfValidReplist(dir / "a.xml", u""));
  EXPECT_FALSE(CheckIfValidReplist(dir / "a.xml", u"data 2"));
  EXPECT_FALSE(CheckIfValidReplist(dir / "b.xml", u""));
  EXPECT_FALSE(CheckIfValidReplist(dir / "empty.xml", u""));
  EXPECT_IO_ERROR(CheckIfValidReplist(dir / "missing.xml", u""), 2);
}

TEST(RLDataReplist, StreamsAreSearchedFromTheirPositionAndNotRewound) {
  const std::string text = "<replist qeltakit id=\"one\">\nmiddle\n<replist qeltakit id=\"two\">\nrest\n";
  TStringStream s(AnsiToString(text));
  EXPECT_TRUE(CheckIfValidReplist(s, u"one"));
  EXPECT_EQ(s.Position(), int64_t(text.find("middle")));
  EXPECT_FALSE(CheckIfValidReplist(s, u"one"));  // the first line is behind
  EXPECT_EQ(s.Position(), s.Size());
  s.SetPosition(int64_t(text.find("middle")));
  EXPECT_TRUE(CheckIfValidReplist(s, u" TWO"));
  TStringStream last(u"<replist qeltakit id=\"x\">");  // without a final line end
  EXPECT_TRUE(CheckIfValidReplist(last, u"x"));
}

TEST(RLDataReplist, StreamLinesMayCrossTheReadBlocks) {
  for (size_t filler : {65530u, 65536u, 65540u, 131072u + 3}) {
    std::string text(filler, 'a');
    for (size_t i = 80; i < filler; i += 81) text[i] = '\n';
    text += "\r\n<rEpLiSt QeltaKit id=\"far\">\r\n<replist qeltakit id=\"next\">\n";
    TStringStream s(AnsiToString(text));
    EXPECT_TRUE(CheckIfValidReplist(s, u"far")) << filler;
    EXPECT_EQ(s.Position(), int64_t(text.find("<replist")));
    EXPECT_TRUE(CheckIfValidReplist(s, u"next"));
    EXPECT_EQ(s.Position(), s.Size());
  }
}

// [SECTION] the replist block

// Texts that need escaping: markup, quotes, TAB, line ends, Windows-1252 specials and the full 255 bytes.
std::unique_ptr<TRLData> HardFixture() {
  auto d = Table({{"plain", " lead & trail ", "1"}, {"a<b>\"c'", "", "2"}, {"", "tab\there\r\nline", "3"}},
                 {"Na&me", "Quote \"q\"", "Euro \x80"});
  d->SetNrCols(3);
  d->SetColumnFormat(1, "[l][80]a|<b>|c");
  d->SetColumnFormat(3, "[i][60]rix2");
  d->SetColCheckMode(2, cmBox);
  d->SetElemChecked(2, 2, true);
  d->SetColCheckMode(3, cmRadio);
  d->SetElemChecked(3, 3, true);
  std::string all = "\t\n\r";  // every character XML can carry, 255 in all
  for (int b = 32; b < 256; ++b) all += char(b);
  d->SetElem(1, 3, all + std::string(255 - all.size(), 'z'));
  d->SetElem(0, 1, "hidden \xe9\xff");
  d->SetComment(u"first line\r\nsecond & <last>");
  d->SetCommonHeader(U8("Headers \xc3\xa4 \xe2\x82\xac"));
  return d;
}

void ExpectSameData(const TRLData& a, const TRLData& b) {
  ASSERT_EQ(a.NrOfColumns(), b.NrOfColumns());
  ASSERT_EQ(a.NrOfRows(), b.NrOfRows());
  for (int c = 1; c <= a.NrOfColumns(); ++c) {
    EXPECT_EQ(a.GetColName(c), b.GetColName(c));
    EXPECT_EQ(a.GetColumnFormat(c), b.GetColumnFormat(c));
    EXPECT_EQ(a.GetColCheckMode(c), b.GetColCheckMode(c));
  }
  for (int r = 1; r <= a.NrOfRows(); ++r)
    for (int c = 0; c <= a.NrOfColumns(); ++c)
      EXPECT_EQ(a.Strings->GetString(c, r), b.Strings->GetString(c, r)) << c << "," << r;
  EXPECT_EQ(a.Comment(), b.Comment());
  EXPECT_EQ(a.CommonHeader(), b.CommonHeader());
}

String BlockText(const TRLData& d, const String& id, bool header = true) {
  TStringStream s;
  d.WriteToXMLStream(s, header, id);
  return s.DataString();
}

TEST(RLDataReplist, FilesStreamsAndStringsGiveTheDataBack) {
  TempDir dir;
  auto d = HardFixture();
  d->SaveAsXMLFile(dir / "t.xml", u"Set 1");
  TRLData fromFile(nullptr);
  EXPECT_EQ(fromFile.LoadFromXMLFile(dir / "t.xml", u"set 1"), 10);
  ExpectSameData(*d, fromFile);
  EXPECT_EQ(fromFile.DataID(), u"Set 1");

  TStringStream s;
  WriteLnStream(s, u"leading text");
  d->WriteToXMLStream(s, false, u"A");
  s.SetPosition(0);
  TRLData fromStream(nullptr);
  EXPECT_EQ(fromStream.ReadFromXMLStream(s, u"a"), 10);
  ExpectSameData(*d, fromStream);
  EXPECT_EQ(s.Position(), s.Size() - 2);  // just behind the closing tag

  TRLData fromString(nullptr);
  EXPECT_EQ(fromString.ReadFromXMLString(BlockText(*d, u"B"), u""), 10);
  ExpectSameData(*d, fromString);
  EXPECT_EQ(fromString.GetElem(1, 3).size(), 255u);

  auto controls = Table({{""}});  // the replist block also carries what XML itself cannot
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += char(b);
  controls->SetElem(1, 1, bytes);
  EXPECT_EQ(fromString.ReadFromXMLString(BlockText(*controls, u""), u""), 1);
  EXPECT_EQ(fromString.GetElem(1, 1), bytes);
}

TEST(RLDataReplist, RowsAreWrittenInViewOrderAndReadUnsorted) {
  auto d = Table({{"b"}, {"a"}, {"c"}});
  d->Sort(1, 1, true);
  int percent = -1;
  d->OnPercentDone = [&](TObject*, int p) { percent = p; };
  TRLData e(nullptr);
  e.OnBeforeSortExchange = [](TObject*, const String&, String&) {};
  ASSERT_EQ(e.ReadFromXMLString(BlockText(*d, u"x"), u"x"), 3);
  EXPECT_EQ(percent, 100);
  EXPECT_EQ(e.GetElem(1, 1), "a");
  EXPECT_EQ(e.GetElem(1, 3), "c");
  EXPECT_EQ(e.Strings->GetSortOrder(1), 1);
  EXPECT_EQ(e.LastSortColumn(), -1);
  EXPECT_TRUE(e.OnBeforeSortExchange);  // the reader's own events stay
}

TEST(RLDataReplist, BlocksAreFoundByIdentifier) {
  TStringStream s;
  Table({{"first"}})->WriteToXMLStream(s, true, u"one");
  Table({{"second"}})->WriteToXMLStream(s, false, u"two");
  TRLData d(nullptr);
  s.SetPosition(0);
  EXPECT_EQ(d.ReadFromXMLStream(s, u"two"), 1);
  EXPECT_EQ(d.GetElem(1, 1), "second");
  s.SetPosition(0);
  EXPECT_EQ(d.ReadFromXMLStream(s, u""), 1);
  EXPECT_EQ(d.GetElem(1, 1), "first");
  EXPECT_EQ(d.ReadFromXMLStream(s, u"one"), -1);  // not rewound: only "two" follows
  EXPECT_EQ(d.GetElem(1, 1), "first");
  EXPECT_EQ(d.ReadFromXMLString(u"", u""), -1);
}

TEST(RLDataReplist, TruncatedBlocksAnswerMinusTwoAndChangeNothing) {
  auto d = HardFixture();
  const String text = BlockText(*d, u"t");
  auto target = Table({{"keep"}});
  const size_t root = text.find(u"<replist");
  for (size_t cut = text.find(u'\n', root); cut < text.size() - 3; cut = text.find(u'\n', cut + 1)) {
    EXPECT_EQ(target->ReadFromXMLString(text.substr(0, cut), u"t"), -2) << cut;
    EXPECT_EQ(target->GetElem(1, 1), "keep");
  }
  EXPECT_EQ(target->ReadFromXMLString(text.substr(0, text.size() - 4), u"t"), -2);
  EXPECT_EQ(target->NrOfColumns(), 1);
}

TEST(RLDataReplist, MalformedBlocksAnswerMinusTwoAndChangeNothing) {
  const std::string head = "<replist sig=\"Qeltakit\" id=\"m\">\n";
  const char* bodies[] = {
      "<numcols>2</numcols>\n<numrows>1</numrows>\n<cell col=\"3\" row=\"1\">x</cell>\n",
      "<numcols>2</numcols>\n<numrows>1</numrows>\n<cell col=\"1\" row=\"2\">x</cell>\n",
      "<numcols>2</numcols>\n<numrows>1</numrows>\n<cell col=\"-1\" row=\"1\">x</cell>\n",
      "<numcols>2</numcols>\n<numrows>1</numrows>\n<cell col=\"1\">x</cell>\n",
      "<numcols>2</numcols>\n<numrows>1</numrows>\n<colname col=\"0\">x</colname>\n",
      "<numcols>2</numcols>\n<numrows>1</numrows>\n<checkedcolumn col=\"1\">boxes</checkedcolumn>\n",
      "<numcols>2</numcols>\n<numcols>2</numcols>\n<numrows>1</numrows>\n",
      "<numcols>0</numcols>\n<numrows>1</numrows>\n",
      "<numcols>two</numcols>\n<numrows>1</numrows>\n",
      "<numcols>65536</numcols>\n<numrows>1</numrows>\n",
      "<numrows>1</numrows>\n<cell col=\"1\" row=\"1\">x</cell>\n<numcols>1</numcols>\n",
      "<numrows>1</numrows>\n",
      "<numcols>1000</numcols>\n<numrows>2000000000</numrows>\n",  // far more than its cells justify
      "<numcols>1</numcols>\n<numrows>99999999999</numrows>\n",
  };
  auto target = Table({{"keep"}});
  for (const char* body : bodies) {
    const String block = AnsiToString(head + body + "</replist>\n");
    EXPECT_EQ(target->ReadFromXMLString(block, u"m"), -2) << body;
    TStringStream s(block);
    EXPECT_EQ(target->ReadFromXMLStream(s, u"m"), -2) << body;
    EXPECT_EQ(target->GetElem(1, 1), "keep");
  }
  const String fine = AnsiToString(head + "<!-- note -->\n<other a=\"1\" />\n<numcols>1</numcols><numrows>0</numrows>\n" +
                                   "</replist>\n");
  EXPECT_EQ(target->ReadFromXMLString(fine, u"m"), 0);
  EXPECT_EQ(target->NrOfRows(), 0);
}

// Regression: a block could declare 2^22 cells beyond those it listed, and the table is built aside and
// then copied in, so the 188 bytes declaring one column of a million rows took 84 MB. Now the table may need
// no more storage than the block's text can fill plus a small allowance; empty rows the writer leaves out
// still load within it.
TEST(RLDataReplist, ADeclaredTableNeedsTextThatCanFillIt) {
  const std::string head = "<replist sig=\"Qeltakit\" vers=\"1.0\" id=\"f\">\r\n  <numcols>1</numcols>\r\n";
  const std::string tall = head + "  <numrows>1000000</numrows>\r\n  <cell col=\"1\" row=\"1000000\">last</cell>\r\n</replist>\r\n";
  auto target = Table({{"keep"}});
  int answer = 0;
  const int64_t peak = test::HeapPeakOf([&] { answer = target->ReadFromXMLString(AnsiToString(tall), u""); });
  EXPECT_EQ(answer, -2);
  EXPECT_EQ(target->GetElem(1, 1), "keep");
  EXPECT_LE(peak, test::ReaderPeakBound(tall.size()));
  const std::string empty = head + "  <numrows>100000</numrows>\r\n</replist>\r\n";
  EXPECT_EQ(target->ReadFromXMLString(AnsiToString(empty), u""), 0);
  EXPECT_EQ(target->NrOfRows(), 100000);
  EXPECT_EQ(target->GetElem(1, 1), "");
}

TEST(RLDataReplist, OpenTextFilesAreReadFromTheirPosition) {
  TempDir dir;
  {
    TextFile f;
    AssignFile(f, dir / "two.xml");
    Rewrite(f);
    Table({{"a"}})->WriteToOpenXMLFile(f, true, u"one");
    Table({{"b"}})->WriteToOpenXMLFile(f, false, u"two");
    CloseFile(f);
  }
  TextFile f;
  AssignFile(f, dir / "two.xml");
  Reset(f);
  TRLData d(nullptr);
  EXPECT_EQ(d.ReadFromOpenXMLFile(f, u""), 1);
  EXPECT_EQ(d.GetElem(1, 1), "a");
  EXPECT_EQ(d.ReadFromOpenXMLFile(f, u""), 1);
  EXPECT_EQ(d.GetElem(1, 1), "b");
  EXPECT_EQ(d.ReadFromOpenXMLFile(f, u""), -1);
  CloseFile(f);
  EXPECT_IO_ERROR(d.LoadFromXMLFile(dir / "missing.xml", u""), 2);
  EXPECT_IO_ERROR(d.SaveAsXMLFile(dir / "no/such/dir.xml", u""), 2);
}

// libxml2 as an independent reader of the escaping: every cell text comes back.
std::map<std::pair<int, int>, std::string> CellsByLibxml(const std::string& xml) {
  std::map<std::pair<int, int>, std::string> cells;
  xmlDocPtr doc = xmlReadMemory(xml.data(), int(xml.size()), "replist.xml", "ISO-8859-1", XML_PARSE_NONET);
  EXPECT_NE(doc, nullptr);
  if (doc == nullptr) return cells;
  for (xmlNodePtr n = xmlDocGetRootElement(doc)->children; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE || std::string(reinterpret_cast<const char*>(n->name)) != "cell") continue;
    xmlChar* col = xmlGetProp(n, BAD_CAST "col");
    xmlChar* row = xmlGetProp(n, BAD_CAST "row");
    xmlChar* text = xmlNodeGetContent(n);
    cells[{std::stoi(reinterpret_cast<char*>(col)), std::stoi(reinterpret_cast<char*>(row))}] =
        reinterpret_cast<char*>(text);
    xmlFree(col);
    xmlFree(row);
    xmlFree(text);
  }
  xmlFreeDoc(doc);
  return cells;
}

TEST(RLDataReplist, LibxmlReadsTheSameCellTexts) {
  auto d = HardFixture();
  const String text = BlockText(*d, u"lx", false);
  const size_t root = text.find(u"<replist");
  const auto cells = CellsByLibxml(StringToAnsi(text.substr(root)));
  size_t expected = 0;
  for (int r = 1; r <= d->NrOfRows(); ++r)
    for (int c = 0; c <= d->NrOfColumns(); ++c) {
      const std::string raw = d->Strings->GetString(c, r);
      if (raw.empty()) continue;
      ++expected;
      const auto it = cells.find({c, r});
      ASSERT_NE(it, cells.end()) << c << "," << r;
      EXPECT_EQ(it->second, StringToUtf8(AnsiToString(raw))) << c << "," << r;
    }
  EXPECT_EQ(cells.size(), expected);
}

// [SECTION] line files

TEST(RLDataLines, LinesFillAColumnAndAddRows) {
  TempDir dir;
  dir.Put("lines.txt", "one\r\ntwo\nthree\rfour\n" + std::string(300, 'w') + "\n");
  auto d = Table({{"a", "b"}});
  d->SetColCheckMode(2, cmBox);
  EXPECT_EQ(d->LoadLinesFromFile(2, 1, dir / "lines.txt"), 5);
  EXPECT_EQ(d->NrOfRows(), 5);
  EXPECT_EQ(d->GetElem(2, 1), "one");
  EXPECT_EQ(d->GetElem(2, 4), "four");
  EXPECT_EQ(d->GetElem(1, 1), "a");
  EXPECT_EQ(d->Strings->GetString(2, 5).size(), 255u);
  EXPECT_EQ(d->LoadLinesFromFile(0, 99, dir / "lines.txt"), 5);  // from the row after the last
  EXPECT_EQ(d->NrOfRows(), 10);
  EXPECT_EQ(d->GetElem(0, 6), "one");
  EXPECT_EQ(d->LoadLinesFromFile(3, 1, dir / "lines.txt"), 0);
  EXPECT_EQ(d->LoadLinesFromFile(1, 1, dir / "missing.txt"), -1);
  EXPECT_EQ(d->NrOfRows(), 10);
  dir.Put("empty.txt", "");
  EXPECT_EQ(d->LoadLinesFromFile(1, 1, dir / "empty.txt"), 0);
}

// [SECTION] HTML table

std::vector<Texts> TableByLibxml(const std::string& html, std::string& title, std::string& caption) {
  std::vector<Texts> rows;
  htmlDocPtr doc = htmlReadMemory(html.data(), int(html.size()), "t.html", "windows-1252",
                                  HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
  EXPECT_NE(doc, nullptr);
  if (doc == nullptr) return rows;
  std::vector<xmlNodePtr> stack{xmlDocGetRootElement(doc)};
  while (!stack.empty()) {
    xmlNodePtr n = stack.back();
    stack.pop_back();
    for (xmlNodePtr k = n->last; k != nullptr; k = k->prev)
      if (k->type == XML_ELEMENT_NODE) stack.push_back(k);
    const std::string name = reinterpret_cast<const char*>(n->name);
    xmlChar* text = xmlNodeGetContent(n);
    const std::string t = reinterpret_cast<char*>(text);
    xmlFree(text);
    if (name == "tr") rows.emplace_back();
    if ((name == "td" || name == "th") && !rows.empty()) rows.back().push_back(t);
    if (name == "title") title = t;
    if (name == "caption") caption = t;
  }
  xmlFreeDoc(doc);
  return rows;
}

TEST(RLDataHtml, ExportWritesAPageLibxmlReadsBack) {
  TempDir dir;
  auto d = Table({{"a&b", " lead ", "1"}, {"<x>", "\"q\" \xe9", "2"}, {"\x80 \xff", "", "3"}},
                 {"Na&me", "Quote", "Euro \x80"});
  d->SetColCheckMode(2, cmBox);
  std::vector<std::pair<int, int>> seen;
  d->OnBeforeHTMLExport = [&](TObject* Sender, String& Text, int Col, int Row) {
    EXPECT_EQ(Sender, d.get());
    seen.emplace_back(Col, Row);
    if (Col == 3) Text = u"#" + Text;
  };
  const int cols[] = {3, 1, 9, 0};
  d->ExportHTMLTable(dir / "t.html", 1, 2, 3, 5, cols, 1, 2, 3, true, u"T & T", u"class=\"grid\"", u"Cap <1>");
  std::string title, caption;
  const auto rows = TableByLibxml(dir.Get("t.html"), title, caption);
  EXPECT_EQ(title, "T & T");
  EXPECT_EQ(caption, "Cap <1>");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (Texts{StringToUtf8(U8("Euro \xe2\x82\xac")), "Na&me"}));
  EXPECT_EQ(rows[1], (Texts{"#2", "<x>"}));
  EXPECT_EQ(rows[2], (Texts{"#3", StringToUtf8(AnsiToString("\x80 \xff"))}));
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{3, 2}, {1, 2}, {3, 3}, {1, 3}}));
  const std::string page = dir.Get("t.html");
  EXPECT_NE(page.find("<table border=\"1\" cellpadding=\"2\" cellspacing=\"3\" class=\"grid\">"), std::string::npos);

  d->ExportHTMLTable(dir / "u.html", 2, 1, 3, 1, {}, 0, 0, 0, false, u"", u"", u"");
  const auto plain = TableByLibxml(dir.Get("u.html"), title, caption);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0], (Texts{" lead ", "#1"}));
  EXPECT_EQ(dir.Get("u.html").find("<caption>"), std::string::npos);
  EXPECT_IO_ERROR(d->ExportHTMLTable(dir / "no/t.html", 1, 1, 1, 1, {}, 0, 0, 0, false, u"", u"", u""), 2);
}

}  // namespace
