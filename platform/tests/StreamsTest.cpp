#include "Streams.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "Assertions.h"
#include "FileTestKit.h"

using namespace qelta;
using qelta::test::FaultyOs;
using qelta::test::TempDir;

namespace {

std::string Bytes(TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

void WriteText(TStream& s, const std::string& text) { s.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); }

}  // namespace

// [memory stream]

TEST(TMemoryStream, SeekFromEachOriginAnswersTheNewPosition) {
  TMemoryStream s;
  WriteText(s, "0123456789");
  struct Case { int64_t offset; TSeekOrigin origin; int64_t expected; };
  const Case cases[] = {{3, soFromBeginning, 3}, {2, soFromCurrent, 5}, {-1, soFromEnd, 9},
                        {0, soFromEnd, 10},      {5, soFromEnd, 15},   {-15, soFromCurrent, 0}};
  for (const Case& c : cases) EXPECT_EQ(s.Seek(c.offset, c.origin), c.expected) << c.offset << "/" << int(c.origin);
}

TEST(TMemoryStream, ReadPastTheEndAnswersZeroAndWriteThereFillsTheGapWithZeros) {
  TMemoryStream s;
  WriteText(s, "ab");
  s.SetPosition(5);
  char c = 'x';
  EXPECT_EQ(s.Read(&c, 1), 0);
  EXPECT_EQ(s.Size(), 2);
  WriteText(s, "z");
  EXPECT_EQ(Bytes(s), std::string("ab\0\0\0z", 6));
}

TEST(TMemoryStream, ShortReadAnswersTheCountAndReadBufferRaises) {
  TMemoryStream s;
  WriteText(s, "abc");
  s.SetPosition(1);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "bc");
  s.SetPosition(1);
  EXPECT_THROW_MSG(s.ReadBuffer(buf, 3), EReadError, "Stream read error");
}

TEST(TMemoryStream, NegativePositionIsRefusedAndKeepsThePosition) {
  TMemoryStream s;
  WriteText(s, "abc");
  s.SetPosition(2);
  EXPECT_THROW_MSG(s.Seek(-3, soFromCurrent), EStreamError, "Invalid stream position");
  EXPECT_EQ(s.Position(), 2);
}

TEST(TMemoryStream, SetSizeCutsAndMovesAPositionBeyondTheNewEnd) {
  TMemoryStream s;
  WriteText(s, "abcdef");
  s.SetSize(3);
  EXPECT_EQ(s.Position(), 3);
  EXPECT_EQ(Bytes(s), "abc");
  s.SetSize(5);
  EXPECT_EQ(Bytes(s), std::string("abc\0\0", 5));
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
}

TEST(TStream, CopyFromWithCountZeroCopiesTheWholeSourceFromItsStart) {
  TMemoryStream src, dst;
  WriteText(src, "hello");
  src.SetPosition(3);
  EXPECT_EQ(dst.CopyFrom(src, 0), 5);
  EXPECT_EQ(Bytes(dst), "hello");
  src.SetPosition(1);
  EXPECT_EQ(dst.CopyFrom(src, 2), 2);
  EXPECT_EQ(Bytes(dst), "helloel");
  EXPECT_THROW_MSG(dst.CopyFrom(src, 10), EReadError, "Stream read error");
  EXPECT_EQ(dst.CopyFrom(src, -1), 0);
}

TEST(TMemoryStream, LoadFromStreamTakesAllOfTheSourceAndRewinds) {
  TMemoryStream src, dst;
  WriteText(src, "xyz");
  dst.LoadFromStream(src);
  EXPECT_EQ(Bytes(dst), "xyz");
  EXPECT_EQ(dst.Position(), 0);
  TMemoryStream out;
  WriteText(out, ">");
  dst.SaveToStream(out);
  EXPECT_EQ(Bytes(out), ">xyz");
}

// [string stream]

TEST(TStringStream, HoldsOneWindows1252BytePerCharacter) {
  TStringStream s(U8("€a\u0100"));  // U+0100 has no Windows-1252 byte
  EXPECT_EQ(s.Size(), 3);
  EXPECT_EQ(s.Memory()[0], 0x80);
  EXPECT_EQ(s.Memory()[2], '?');
  EXPECT_EQ(s.DataString(), U8("€a?"));
  EXPECT_EQ(s.Position(), 0);
}

// [file stream]

TEST(TFileStream, WritesAndReadsBackAndAllowsSeekingPastTheEnd) {
  TempDir dir;
  {
    TFileStream f(dir / "a.bin", fmCreate);
    WriteText(f, "data");
    EXPECT_EQ(f.Size(), 4);
    f.SetPosition(6);
    char c = 0;
    EXPECT_EQ(f.Read(&c, 1), 0);
  }
  TFileStream f(dir / "a.bin", fmOpenRead | fmShareDenyNone);
  char buf[4] = {};
  f.ReadBuffer(buf, 4);
  EXPECT_EQ(std::string(buf, 4), "data");
  EXPECT_EQ(f.Write("x", 1), 0);  // opened for reading only
}

TEST(TFileStream, ReadAheadKeepsPositionsExactAcrossWritesAndSeeks) {
  TempDir dir;
  dir.Put("x", "0123456789");
  {
    TFileStream f(dir / "x", fmOpenReadWrite);
    char buf[4] = {};
    f.ReadBuffer(buf, 2);
    EXPECT_EQ(f.Position(), 2);
    WriteText(f, "ab");  // lands at 2, not behind the bytes read ahead
    EXPECT_EQ(f.Position(), 4);
    f.ReadBuffer(buf, 2);
    EXPECT_EQ(std::string(buf, 2), "45");
    EXPECT_EQ(f.Seek(-3, soFromEnd), 7);
    f.ReadBuffer(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "789");
    f.SetPosition(1);
    f.SetSize(6);
    EXPECT_EQ(f.Position(), 1);
    f.ReadBuffer(buf, 4);
    EXPECT_EQ(std::string(buf, 4), "1ab4");
    EXPECT_EQ(f.Read(buf, 4), 1);
    EXPECT_THROW_MSG(f.Seek(-1, soFromBeginning), EStreamError, "Invalid stream position");
    EXPECT_EQ(f.Position(), 6);
  }
  EXPECT_EQ(dir.Get("x"), "01ab45");
}

TEST(TFileStream, FailedOpenAndCreateRaiseWithTheNameAndTheOsMessage) {
  TempDir dir;
  const String missing = dir / "missing.bin";
  EXPECT_THROW_MSG(TFileStream(missing, fmOpenRead), EFOpenError,
                   "Cannot open file \"" + dir.NativeOf("missing.bin") + "\". No such file or directory");
  EXPECT_THROW_MSG(TFileStream(dir / "no/such.bin", fmCreate), EFCreateError,
                   "Cannot create file \"" + dir.NativeOf("no/such.bin") + "\". No such file or directory");
  EXPECT_THROW_MSG(TFileStream(Utf8ToString(dir.Native()), fmOpenRead), EFOpenError,
                   "Cannot open file \"" + dir.Native() + "\". Is a directory");
}

TEST(TFileStream, InjectedOpenFailureRaisesEFOpenError) {
  TempDir dir;
  dir.Put("x", "1");
  FaultyOs os;
  os.OpenErrno = EACCES;
  EXPECT_THROW_MSG(TFileStream(dir / "x", fmOpenRead), EFOpenError,
                   "Cannot open file \"" + dir.NativeOf("x") + "\". Permission denied");
}

TEST(TFileStream, ShortReadsOfTheOsAreJoinedIntoOneFullRead) {
  TempDir dir;
  dir.Put("x", "abcdefgh");
  FaultyOs os;
  os.ReadChunk = 3;
  TFileStream f(dir / "x", fmOpenRead);
  char buf[8] = {};
  f.ReadBuffer(buf, 8);
  EXPECT_EQ(std::string(buf, 8), "abcdefgh");
}

TEST(TFileStream, FullDiskEndsTheWriteShortAndWriteBufferRaises) {
  TempDir dir;
  FaultyOs os;
  TFileStream f(dir / "x", fmCreate);
  os.WriteBudget = 5;
  EXPECT_EQ(f.Write("abcdefgh", 8), 5);
  EXPECT_THROW_MSG(f.WriteBuffer("ij", 2), EWriteError, "Stream write error");
}

TEST(TFileStream, ReadFailureOfTheOsEndsTheReadShort) {
  TempDir dir;
  dir.Put("x", "abc");
  FaultyOs os;
  TFileStream f(dir / "x", fmOpenRead);
  os.ReadErrno = EIO;
  char buf[3] = {};
  EXPECT_EQ(f.Read(buf, 3), 0);
  EXPECT_THROW_MSG(f.ReadBuffer(buf, 3), EReadError, "Stream read error");
}

TEST(TMemoryStream, SavesToAndLoadsFromFiles) {
  TempDir dir;
  TStringStream s(u"line\r\n");
  s.SaveToFile(dir / "s.txt");
  EXPECT_EQ(dir.Get("s.txt"), "line\r\n");
  TMemoryStream m;
  m.LoadFromFile(dir / "s.txt");
  EXPECT_EQ(Bytes(m), "line\r\n");
  EXPECT_THROW(m.LoadFromFile(dir / "none"), EFOpenError);
}
