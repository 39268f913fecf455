// The binary file of TMat4D: byte images of the file examples, round trips, progress, and hostile
// or truncated headers.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_matrix.h"
#include "Random.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::FaultyOs;
using qelta::test::TempDir;

namespace {

// Every cell := first + its flat index (Addr4D).
void Number(TMat4D& m, int nc, int nr, int nl, int nt, double first) {
  m.Resize(nc, nr, nl, nt);
  for (int t = 1; t <= nt; ++t)
    for (int l = 1; l <= nl; ++l)
      for (int r = 1; r <= nr; ++r)
        for (int c = 1; c <= nc; ++c) m.SetVal(c, r, l, t, first + static_cast<double>(m.Addr4D(c, r, l, t)));
}

std::string Le32(int32_t v) { return test::I32(v); }

std::string Le64(double v) {
  const auto b = test::LittleEndianBytes(v);
  return std::string(b.begin(), b.end());
}

// The file a writer must produce: header record (counts, identifier bytes, zeros), then the values
// 512 to a record, the last record padded with zeros.
std::string FileImage(int nx, int ny, int nz, int nt, const std::string& id, const std::vector<double>& values) {
  std::string img = Le32(nx) + Le32(ny) + Le32(nz) + Le32(nt);
  img += static_cast<char>(id.size());
  img += id;
  img.resize(4096, '\0');
  for (double v : values) img += Le64(v);
  img.resize((img.size() + 4095) / 4096 * 4096, '\0');
  return img;
}

std::vector<double> Range(double first, int count) {
  std::vector<double> v;
  for (int i = 0; i < count; ++i) v.push_back(first + i);
  return v;
}

// The cells in memory order (Addr4D).
std::vector<double> Flat(const TMat4D& m) {
  std::vector<double> v(static_cast<std::size_t>(m.Addr4D(m.NrOfColumns(), m.NrOfRows(), m.NrOfLayers(),
                                                           m.NrOfTimeSlots()) + 1));
  for (int t = 1; t <= m.NrOfTimeSlots(); ++t)
    for (int l = 1; l <= m.NrOfLayers(); ++l)
      for (int r = 1; r <= m.NrOfRows(); ++r)
        for (int c = 1; c <= m.NrOfColumns(); ++c)
          v[static_cast<std::size_t>(m.Addr4D(c, r, l, t))] = m.GetVal(c, r, l, t);
  return v;
}

}  // namespace

// --- the file examples as byte images -------------------------------------------------------------

TEST(TMat4DFile, SixHundredValuesFillThreeRecordsWithAWindows1252Identifier) {
  TempDir dir;
  TMat4D m(nullptr);
  Number(m, 10, 10, 1, 6, 0);
  m.SetDataID(U8("Stapel Mäßig €"));
  m.SaveBinary(dir / "a.m4d", 0, 0);
  const std::string file = dir.Get("a.m4d");
  EXPECT_EQ(file.size(), 12288u);
  EXPECT_EQ(file, FileImage(10, 10, 1, 6, "Stapel M\xE4\xDFig \x80", Range(0, 600)));
  EXPECT_EQ(file.substr(4096 + 8 * 511, 8), Le64(511)) << "value 511: record 1, last slot";
  EXPECT_EQ(file.substr(8192 + 8 * 87, 8), Le64(599)) << "value 599: record 2, offset 87";
  int nx = 0, ny = 0, nz = 0, nt = 0;
  String id;
  EXPECT_TRUE(m.ReadBinaryHeader(dir / "a.m4d", nx, ny, nz, nt, id));
  EXPECT_EQ((std::vector<int>{nx, ny, nz, nt}), (std::vector<int>{10, 10, 1, 6}));
  EXPECT_EQ(id, U8("Stapel Mäßig €"));
}

TEST(TMat4DFile, LoadingSlotsThreeToFourSkipsTwoHundredValues) {
  TempDir dir;
  dir.Put("a.m4d", FileImage(10, 10, 1, 6, "src", Range(0, 600)));
  TMat4D m(nullptr);
  m.LoadBinary(dir / "a.m4d", 3, 4);
  EXPECT_EQ((std::vector<int>{m.NrOfColumns(), m.NrOfRows(), m.NrOfLayers(), m.NrOfTimeSlots()}),
            (std::vector<int>{10, 10, 1, 2}));
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 200);
  EXPECT_EQ(Flat(m), Range(200, 200));
  EXPECT_EQ(m.DataID(), u"src");
  m.LoadBinary(dir / "a.m4d", 5, 99);  // the end is lowered to the stored count
  EXPECT_EQ(m.NrOfTimeSlots(), 2);
  EXPECT_EQ(m.GetVal(10, 10, 1, 2), 599);
}

TEST(TMat4DFile, AppendingTwoSlotsWritesFromRecordTwoOffset88AndKeepsTheRest) {
  TempDir dir;
  std::string original = FileImage(10, 10, 1, 6, "src", Range(0, 600));
  for (int i = 272; i < 4096; ++i) original[static_cast<std::size_t>(i)] = static_cast<char>(i * 7);  // reserved
  dir.Put("a.m4d", original);
  TMat4D m(nullptr);
  Number(m, 10, 10, 1, 2, 1000);
  m.SetDataID(u"other");
  m.AppendToBinaryFile(dir / "a.m4d", 1, 2);
  std::vector<double> values = Range(0, 600);
  for (double v : Range(1000, 200)) values.push_back(v);
  std::string expected = FileImage(10, 10, 1, 8, "src", values);
  std::memcpy(expected.data() + 272, original.data() + 272, 4096 - 272);
  EXPECT_EQ(dir.Get("a.m4d"), expected);
  TMat4D back(nullptr);
  back.LoadBinary(dir / "a.m4d", 7, 8);
  EXPECT_EQ(Flat(back), Range(1000, 200));
}

// --- round trips ----------------------------------------------------------------------------------

TEST(TMat4DFile, RandomArraysOfOddSizesRoundTrip) {
  TempDir dir;
  const int shapes[][4] = {{1, 1, 1, 1}, {7, 5, 3, 4}, {13, 1, 1, 40}, {3, 3, 3, 19}, {511, 1, 1, 3}, {2, 1, 1, 1025}};
  RandSeed = 99;
  for (const auto& s : shapes) {
    TMat4D a(nullptr), b(nullptr), part(nullptr), grown(nullptr);
    a.Resize(s[0], s[1], s[2], s[3]);
    a.FillRandomGauss(0, 1e5);
    a.SaveBinary(dir / "r.m4d", 0, 0);
    b.LoadBinary(dir / "r.m4d", 0, 0);
    EXPECT_EQ(b.CRCofData(), a.CRCofData()) << s[0] << "x" << s[3];
    // Slots 2..end saved, appended to a file of slot 1: the whole array again.
    if (s[3] >= 2) {
      a.SaveBinary(dir / "g.m4d", 1, 1);
      a.AppendToBinaryFile(dir / "g.m4d", 2, s[3]);
      grown.LoadBinary(dir / "g.m4d", 0, 0);
      EXPECT_EQ(grown.CRCofData(), a.CRCofData());
      part.LoadBinary(dir / "g.m4d", 2, s[3]);
      b.Cut(0, 0, 0, 0, 0, 0, 2, s[3]);
      EXPECT_EQ(part.CRCofData(), b.CRCofData());
    }
  }
}

TEST(TMat4DFile, ProgressReportsEveryStepOfTheValues) {
  TempDir dir;
  struct Case {
    int Nx, Nt;  // N = Nx * Nt values
  };
  const Case cases[] = {{10, 60}, {5, 50}, {7, 3}, {1000, 3}};
  for (const Case& c : cases) {
    TMat4D m(nullptr);
    m.Resize(c.Nx, 1, 1, c.Nt);
    std::vector<int> reported;
    m.OnPercentDone = [&](TObject* sender, int p) {
      EXPECT_EQ(sender, &m);
      reported.push_back(p);
    };
    const int64_t n = int64_t{c.Nx} * c.Nt, step = std::max<int64_t>(n / 100, 1);
    std::vector<int> expected;
    for (int64_t j = step; j <= n; j += step) expected.push_back(static_cast<int>(Round(static_cast<Extended>(j) * 100 / n)));
    m.SaveBinary(dir / "p.m4d", 0, 0);
    EXPECT_EQ(reported, expected) << n;
    reported.clear();
    m.LoadBinary(dir / "p.m4d", 0, 0);
    EXPECT_EQ(reported, expected) << n;
  }
}

// --- refused requests -----------------------------------------------------------------------------

TEST(TMat4DFile, TimeSlotRequestsOutsideTheDataRaise) {
  TempDir dir;
  TMat4D m(nullptr);
  m.SetName(u"T");
  Number(m, 2, 2, 1, 6, 0);
  m.SaveBinary(dir / "a.m4d", 0, 0);
  const char* msg = "Component \"T\": specified time slot beyond data range";
  EXPECT_THROW_MSG(m.SaveBinary(dir / "b.m4d", 7, 9), EQeltaMatrixError, msg);
  // Regression: an end below the start wrote a header with a time-slot count of 0 or less.
  EXPECT_THROW_MSG(m.SaveBinary(dir / "b.m4d", 5, 3), EQeltaMatrixError, msg);
  EXPECT_EQ(dir.Get("b.m4d"), "") << "nothing was created";
  EXPECT_THROW_MSG(m.AppendToBinaryFile(dir / "a.m4d", 4, 2), EQeltaMatrixError, msg);
  EXPECT_THROW_MSG(m.LoadBinary(dir / "a.m4d", 7, 0), EQeltaMatrixError, msg);
  EXPECT_THROW_MSG(m.LoadBinary(dir / "a.m4d", 3, 2), EQeltaMatrixError, msg);
  EXPECT_EQ(m.NrOfTimeSlots(), 6);
  TMat4D other(nullptr);
  other.SetName(u"O");
  other.Resize(2, 3, 1, 1);
  EXPECT_THROW_MSG(other.AppendToBinaryFile(dir / "a.m4d", 0, 0), EQeltaMatrixError,
                   "Component \"O\": X,Y,Z of matrices do not match");
  EXPECT_EQ(dir.Get("a.m4d").size(), 4096u * 2) << "the file is unchanged";
  EXPECT_IO_ERROR(m.LoadBinary(dir / "missing.m4d", 0, 0), 2);
}

// Regression: LoadBinary resized the array from any header (zero, negative or huge counts) and read
// records that a truncated file did not hold; ReadBinaryHeader answered true for a header whose
// columns or rows were 0 or negative.
TEST(TMat4DFile, HostileHeadersAreRefusedBeforeAnythingChanges) {
  TempDir dir;
  struct Case {
    std::string Bytes;
    bool HeaderTrue;
  };
  const std::vector<double> v = Range(0, 600);
  const Case cases[] = {
      {FileImage(0, 10, 1, 6, "", v), false},
      {FileImage(10, -1, 1, 6, "", v), false},
      {FileImage(10, 10, 1, 0, "", v), false},
      {FileImage(10, 10, -5, 6, "", v), false},
      {FileImage(2147483647, 2147483647, 2147483647, 2147483647, "", v), true},  // overflowing product
      {FileImage(65536, 65536, 1, 1, "", v), true},                              // fits, file too short
      {FileImage(10, 10, 1, 12, "", v), true},                                   // a record short
      {FileImage(10, 10, 1, 6, "", v).substr(0, 12287), true},                   // last record cut
  };
  for (const Case& c : cases) {
    dir.Put("h.m4d", c.Bytes);
    TMat4D m(nullptr);
    Number(m, 2, 3, 1, 2, 5);
    const String crc = m.CRCofData();
    int changes = 0;
    m.OnChange = [&](TObject*) { ++changes; };
    int nx = 0, ny = 0, nz = 0, nt = 0;
    String id;
    EXPECT_EQ(m.ReadBinaryHeader(dir / "h.m4d", nx, ny, nz, nt, id), c.HeaderTrue);
    EXPECT_IO_ERROR(m.LoadBinary(dir / "h.m4d", 0, 0), 100);
    EXPECT_IO_ERROR(m.AppendToBinaryFile(dir / "h.m4d", 0, 0), 100);
    EXPECT_EQ(m.CRCofData(), crc);
    EXPECT_EQ(m.NrOfColumns(), 2);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(dir.Get("h.m4d"), c.Bytes) << "the appender wrote nothing";
  }
  dir.Put("short.m4d", std::string(4095, '\0'));
  TMat4D m(nullptr);
  int nx = 0, ny = 0, nz = 0, nt = 0;
  String id;
  EXPECT_IO_ERROR(m.ReadBinaryHeader(dir / "short.m4d", nx, ny, nz, nt, id), 100);
}

TEST(TMat4DFile, AFullDiskRaisesAndAnInterruptedAppendKeepsTheHeaderTrue) {
  TempDir dir;
  TMat4D m(nullptr);
  Number(m, 16, 16, 1, 8, 0);  // 2048 values: four whole records
  {
    FaultyOs os;
    os.WriteBudget = 5000;
    EXPECT_IO_ERROR(m.SaveBinary(dir / "full.m4d", 0, 0), 101);
  }
  m.SaveBinary(dir / "a.m4d", 1, 2);
  {
    FaultyOs os;
    os.WriteBudget = 6000;  // part of the appended records
    EXPECT_IO_ERROR(m.AppendToBinaryFile(dir / "a.m4d", 3, 8), 101);
  }
  int nx = 0, ny = 0, nz = 0, nt = 0;
  String id;
  EXPECT_TRUE(m.ReadBinaryHeader(dir / "a.m4d", nx, ny, nz, nt, id));
  EXPECT_EQ(nt, 2);
  TMat4D back(nullptr);
  back.LoadBinary(dir / "a.m4d", 0, 0);
  EXPECT_EQ(Flat(back), Range(0, 512));
}
