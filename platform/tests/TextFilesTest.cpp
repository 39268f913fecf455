#include "TextFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "Assertions.h"
#include "DirectPaths.h"
#include "FileTestKit.h"

using namespace qelta;
using qelta::test::FaultyOs;
using qelta::test::TempDir;

namespace {

std::vector<String> ReadAllLines(const String& name) {
  TextFile f;
  AssignFile(f, name);
  Reset(f);
  std::vector<String> lines;
  while (!Eof(f)) {
    String s;
    ReadLn(f, s);
    lines.push_back(s);
  }
  CloseFile(f);
  return lines;
}

/// Each line with whether the file is at its end after it, read with the direct paths on or off and the
/// OS's reads cut to `chunk` bytes (0: whole buffers), so that the buffer ends where the test wants it.
std::vector<std::pair<String, bool>> LinesAndEnds(const String& name, bool direct, std::size_t chunk) {
  FaultyOs os;
  os.ReadChunk = chunk;
  const bool saved = platform_detail::SetDirectPaths(direct);
  TextFile f;
  AssignFile(f, name);
  Reset(f);
  std::vector<std::pair<String, bool>> lines;
  for (String s = u"not read"; !Eof(f);) {
    ReadLn(f, s);
    lines.emplace_back(s, Eof(f));
  }
  CloseFile(f);
  platform_detail::SetDirectPaths(saved);
  return lines;
}

}  // namespace

// The block reader against the byte-by-byte one: line ends of every kind right before, at and after the
// end of the buffer (a CR last in one block, its LF first in the next), lines of line ends only, every
// byte value (NUL and the 0x80-0x9F block among them), and a line longer than the buffer of a large file.
TEST(TextFile, LinesReadInBlocksEqualThoseReadByteByByte) {
  std::string mixed, bytes;
  for (int n = 0; n < 12; ++n) mixed += std::string(static_cast<std::size_t>(n), static_cast<char>('a' + n)) + (n % 3 == 0 ? "\r\n" : n % 3 == 1 ? "\r" : "\n");
  for (int b = 0; b < 512; ++b) bytes += static_cast<char>(b < 256 ? b : 511 - b);  // up, then down
  const std::string huge = std::string(70000, '\xE9') + "\x80\r" + std::string(5000, 'x') + "\r";  // beyond 64 KiB
  struct Case { std::string text; std::vector<std::size_t> chunks; };
  const std::vector<Case> cases = {
      {mixed, {}}, {"\r\n\r\r\n\n\n\r\r\r\n\r", {}}, {bytes + "\r", {}}, {"x\r", {}}, {"\r", {}}, {"", {}},
      {huge, {0, 1000, 4095, 65535}}};
  TempDir dir;
  for (const Case& c : cases) {
    dir.Put("t.txt", c.text);
    const auto plain = LinesAndEnds(dir / "t.txt", false, 0);
    std::vector<std::size_t> chunks = c.chunks;
    if (chunks.empty())
      for (std::size_t k = 0; k <= 40; ++k) chunks.push_back(k);  // every offset near each line end
    for (const std::size_t chunk : chunks) ASSERT_EQ(LinesAndEnds(dir / "t.txt", true, chunk), plain) << chunk;
  }
}

// A read that fails inside a line raises 100 and leaves the line variable as it was; the bytes taken
// before the failure are gone, as when the file is read byte by byte.
TEST(TextFile, FailedReadInsideALineLeavesTheLineAsItWas) {
  TempDir dir;
  dir.Put("t.txt", "abcdefgh\r\nnext\r\n");
  for (const bool direct : {true, false}) {
    const bool saved = platform_detail::SetDirectPaths(direct);
    FaultyOs os;
    os.ReadChunk = 4;
    TextFile f;
    AssignFile(f, dir / "t.txt");
    Reset(f);
    Char c = 0;
    Read(f, c);
    os.ReadErrno = EIO;
    String s = u"old";
    EXPECT_IO_ERROR(ReadLn(f, s), 100);
    EXPECT_EQ(s, u"old");
    os.ReadErrno = 0;
    ReadLn(f, s);
    EXPECT_EQ(s, u"efgh");
    CloseFile(f);
    platform_detail::SetDirectPaths(saved);
  }
}

TEST(TextFile, ReaderAcceptsCrLfLfAndLoneCrAsLineEnds) {
  TempDir dir;
  struct Case { const char* bytes; std::vector<String> lines; };
  const Case cases[] = {
      {"a\r\nb\r\n", {u"a", u"b"}},
      {"a\nb\n", {u"a", u"b"}},
      {"a\rb\r", {u"a", u"b"}},
      {"a\r\n\r\nb", {u"a", u"", u"b"}},
      {"a\n\rb", {u"a", u"", u"b"}},  // LF then CR: two line ends
      {"", {}},
      {"\x80x", {U8("€x")}},          // Windows-1252
  };
  for (const Case& c : cases) {
    dir.Put("t.txt", c.bytes);
    EXPECT_EQ(ReadAllLines(dir / "t.txt"), c.lines) << c.bytes;
  }
}

TEST(TextFile, WriterEndsLinesWithCrLfInWindows1252) {
  TempDir dir;
  TextFile f;
  AssignFile(f, dir / "w.txt");
  Rewrite(f);
  WriteLn(f, U8("Grüße €"));
  Write(f, 42, 5);
  Write(f, u'|');
  WriteLn(f, 2.5, 0, 0);  // half away from zero
  WriteLn(f, -0.125, 7, 2);
  CloseFile(f);
  EXPECT_EQ(dir.Get("w.txt"), "Gr\xfc\xdf\x65 \x80\r\n   42|3\r\n  -0.13\r\n");
  Append(f);
  WriteLn(f, u"more");
  CloseFile(f);
  EXPECT_EQ(ReadAllLines(dir / "w.txt").back(), u"more");
}

TEST(TextFile, FixedAndExponentNumberTextRoundTiesAwayFromZero) {
  TempDir dir;
  TextFile f;
  AssignFile(f, dir / "n.txt");
  Rewrite(f);
  Write(f, 0.125, 0, 2);
  Write(f, u' ');
  Write(f, 1e21, 0, 1);
  Write(f, u' ');
  Write(f, -0.001, 0, 2);
  Write(f, u' ');
  Write(f, 1.0);
  Write(f, u' ');
  Write(f, -123456.0, 12);
  Write(f, u' ');
  Write(f, 9.96, 10);
  CloseFile(f);
  EXPECT_EQ(dir.Get("n.txt"), "0.13 1000000000000000000000.0 0.00  1.00000000000000E+0000 -1.235E+0005  1.0E+0001");
}

TEST(TextFile, ReadCharAnswersRawBytesAndCtrlZAtTheEnd) {
  TempDir dir;
  dir.Put("c.txt", "a\r\n");
  TextFile f;
  AssignFile(f, dir / "c.txt");
  Reset(f);
  String got;
  for (int i = 0; i < 4; ++i) {
    Char c = 0;
    Read(f, c);
    got.push_back(c);
  }
  EXPECT_EQ(got, String(u"a\r\n\x1a"));
  EXPECT_TRUE(Eof(f));
}

TEST(TextFile, ReadNumbersSkipsWhiteSpaceAndLineEnds) {
  TempDir dir;
  dir.Put("n.txt", "  12\r\n\t-7 $1F\n3.5e2 -.25\r\n\r\n");
  TextFile f;
  AssignFile(f, dir / "n.txt");
  Reset(f);
  int a = 0, b = 0, c = 0;
  double x = 0, y = 0;
  Read(f, a);
  EXPECT_TRUE(Eoln(f));
  Read(f, b);
  Read(f, c);
  Read(f, x);
  Read(f, y);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, -7);
  EXPECT_EQ(c, 31);
  EXPECT_EQ(x, 350.0);
  EXPECT_EQ(y, -0.25);
  EXPECT_TRUE(SeekEof(f));
  Read(f, a);
  EXPECT_EQ(a, 0);  // nothing left: 0, no error
}

TEST(TextFile, InvalidNumbersRaise106) {
  TempDir dir;
  const char* inputs[] = {"12x", "abc", "2147483648", "1.5", "--1", "$"};
  for (const char* in : inputs) {
    dir.Put("n.txt", in);
    TextFile f;
    AssignFile(f, dir / "n.txt");
    Reset(f);
    int v = 0;
    EXPECT_IO_ERROR(Read(f, v), 106);
  }
  const char* floats[] = {"1.5.2", "inf", "nan", "0x10", "e5"};
  for (const char* in : floats) {
    dir.Put("n.txt", in);
    TextFile f;
    AssignFile(f, dir / "n.txt");
    Reset(f);
    double v = 0;
    EXPECT_IO_ERROR(Read(f, v), 106) ;
  }
}

// A number beyond the double range was read as 0 without complaint: the parser's out-of-range answer
// leaves the value untouched. Overflow now raises 106; underflow still reads 0.
TEST(TextFile, ReadOfAnOverflowingRealRaises106) {
  TempDir dir;
  dir.Put("n.txt", "1e-999 -2.5e-400 1e999");
  TextFile f;
  AssignFile(f, dir / "n.txt");
  Reset(f);
  double small = 1, negSmall = 1, big = 1;
  Read(f, small);
  Read(f, negSmall);
  EXPECT_EQ(small, 0.0);
  EXPECT_EQ(negSmall, 0.0);
  EXPECT_IO_ERROR(Read(f, big), 106);
}

TEST(TextFile, SeekEolnSkipsBlanksButNotLineEnds) {
  TempDir dir;
  dir.Put("s.txt", "  \t\r\n x");
  TextFile f;
  AssignFile(f, dir / "s.txt");
  Reset(f);
  EXPECT_TRUE(SeekEoln(f));
  ReadLn(f);
  EXPECT_FALSE(SeekEoln(f));
  EXPECT_FALSE(SeekEof(f));
}

TEST(TextFile, MisuseRaisesTheRuntimeCodes) {
  TempDir dir;
  TextFile f;
  String s;
  EXPECT_IO_ERROR(Reset(f), 102);
  AssignFile(f, dir / "missing.txt");
  EXPECT_IO_ERROR(Reset(f), 2);
  EXPECT_IO_ERROR(Append(f), 2);
  EXPECT_IO_ERROR(ReadLn(f, s), 103);
  EXPECT_IO_ERROR(CloseFile(f), 103);
  AssignFile(f, dir / "no/dir/x.txt");
  EXPECT_IO_ERROR(Rewrite(f), 2);
  AssignFile(f, Utf8ToString(dir.Native()));
  EXPECT_IO_ERROR(Reset(f), 5);
  AssignFile(f, dir / "x.txt");
  Rewrite(f);
  EXPECT_IO_ERROR(ReadLn(f, s), 104);
  EXPECT_TRUE(Eof(f));
  CloseFile(f);
  Reset(f);
  EXPECT_IO_ERROR(Write(f, u"x"), 105);
  EXPECT_EQ(InOutErrorMessage(999), u"I/O error 999");
}

TEST(TextFile, FullDiskRaises101AndFailedOpenItsCode) {
  TempDir dir;
  FaultyOs os;
  TextFile f;
  AssignFile(f, dir / "full.txt");
  Rewrite(f);
  os.WriteBudget = 10;
  for (int i = 0; i < 3; ++i) WriteLn(f, u"0123456789");
  EXPECT_IO_ERROR(CloseFile(f), 101);
  EXPECT_FALSE(f.IsOpen());
  os.OpenErrno = EACCES;
  EXPECT_IO_ERROR(Reset(f), 5);
}

TEST(TextFile, ShortReadsOfTheOsDoNotSplitLines) {
  TempDir dir;
  dir.Put("t.txt", "first\r\nsecond\r\n");
  FaultyOs os;
  os.ReadChunk = 1;
  EXPECT_EQ(ReadAllLines(dir / "t.txt"), (std::vector<String>{u"first", u"second"}));
  os.ReadErrno = EIO;
  TextFile f;
  AssignFile(f, dir / "t.txt");
  Reset(f);
  String s;
  EXPECT_IO_ERROR(ReadLn(f, s), 100);
}

TEST(TextFile, LongFileCrossesBufferBoundaries) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += "line " + std::to_string(i) + (i % 2 ? "\r\n" : "\r");
  dir.Put("long.txt", bytes);
  const std::vector<String> lines = ReadAllLines(dir / "long.txt");
  ASSERT_EQ(lines.size(), 3000u);
  EXPECT_EQ(lines[2999], u"line 2999");
}

// A scanner takes the buffered bytes and consumes what it uses; the file goes on just behind that, for
// Read and ReadLn alike, across refills of the buffer and at the end.
TEST(TextFile, BufferedBytesAreConsumedAsReadWouldTakeThem) {
  TempDir dir;
  std::string bytes = "ab\r\n";
  for (int i = 0; i < 2000; ++i) bytes += "<x" + std::to_string(i) + ">";
  dir.Put("t.txt", bytes + "\x80z");
  TextFile f;
  AssignFile(f, dir / "t.txt");
  Reset(f);
  std::string view(BufferedBytes(f));
  EXPECT_EQ(view, bytes.substr(0, view.size()));
  ConsumeBytes(f, 1);
  Char c = 0;
  Read(f, c);
  EXPECT_EQ(c, u'b');
  String line;
  ReadLn(f, line);
  std::string taken;
  for (std::string_view v = BufferedBytes(f); !v.empty(); v = BufferedBytes(f)) {
    taken += v.substr(0, 1000);
    ConsumeBytes(f, 1000);  // beyond what is buffered: all of it
  }
  EXPECT_EQ(taken, bytes.substr(4) + "\x80z");
  EXPECT_TRUE(Eof(f));
  CloseFile(f);
  EXPECT_IO_ERROR(BufferedBytes(f), 103);
  Rewrite(f);
  EXPECT_IO_ERROR(ConsumeBytes(f, 1), 104);
  CloseFile(f);
}
