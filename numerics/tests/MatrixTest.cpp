#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "Assertions.h"
#include "FileTestKit.h"
#include "HeapPeak.h"
#include "Qelta_matrix.h"
#include "Random.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::TEventLog;

namespace {

using Rows = std::vector<std::vector<double>>;

// Resizes m to the table (one inner list per row) and fills it.
void Load(TMatrix& m, const Rows& rows) { test::LoadRows(m, rows); }

// The cells the dimensions cover, one inner list per row.
Rows Cells(const TMatrix& m) { return test::RowsOf<double>(m); }

// Cells column by column, as the fingerprint visits them.
std::vector<double> ColumnMajor(const TMatrix& m) {
  std::vector<double> v;
  for (int c = 1; c <= m.NrOfColumns(); ++c)
    for (int r = 1; r <= m.NrOfRows(); ++r) v.push_back(m.GetVal(c, r));
  return v;
}

}  // namespace

// --- size and cells ------------------------------------------------------------------------------

TEST(TMatrix, ZeroDimensionKeepsStorageButNamesNoCell) {
  TMatrix m(nullptr);
  TEventLog log;
  log.Hook(m);
  EXPECT_TRUE(m.Resize(0, 5));
  EXPECT_EQ(m.NrOfColumns(), 0);
  EXPECT_EQ(m.NrOfRows(), 5);
  EXPECT_EQ(m.GetVal(1, 1), 0.0);
  m.SetVal(1, 1, 7);
  EXPECT_EQ(log.Changes, 1);
  m.Resize(2, 5);
  EXPECT_EQ(Cells(m), Rows(5, {0, 0}));
}

// Regression: the column that storage keeps for a dimension of 0 came back with its old values
// when the dimension grew again.
TEST(TMatrix, CellsHiddenByAZeroDimensionComeBackAsZeros) {
  TMatrix m(nullptr);
  Load(m, {{1, 2}, {3, 4}});
  m.Resize(0, 2);
  m.Resize(2, 2);
  EXPECT_EQ(Cells(m), (Rows{{0, 0}, {0, 0}}));
  Load(m, {{1, 2}, {3, 4}});
  m.SetNRows(-4);
  m.SetNRows(2);
  EXPECT_EQ(Cells(m), (Rows{{0, 0}, {0, 0}}));
}

TEST(TMatrix, ASizeBeyondTheAddressSpaceRaisesAndKeepsTheMatrix) {
  TMatrix m(nullptr);
  m.SetName(u"M");
  Load(m, {{1, 2}});
  const int big = std::numeric_limits<int>::max();
  // The message names the size asked for (it used to end at "not enough memory on heap").
  EXPECT_THROW_MSG(m.Resize(big, big), EQeltaMatrixError,
                   "Component \"M\": not enough memory on heap for 2147483647 x 2147483647 cells");
  EXPECT_EQ(Cells(m), (Rows{{1, 2}}));
  TIntMatrix n(nullptr);
  EXPECT_THROW(n.Resize(big, big), EQeltaMatrixError);
  EXPECT_EQ(std::pair(n.NrOfColumns(), n.NrOfRows()), std::pair(1, 1));
}

TEST(TMatrix, ResizeKeepsTheOverlapAndAlwaysNotifies) {
  TMatrix m(nullptr);
  Load(m, {{1, 2}, {3, 4}});
  TEventLog log;
  log.Hook(m);
  m.Resize(3, 3);
  EXPECT_EQ(Cells(m), (Rows{{1, 2, 0}, {3, 4, 0}, {0, 0, 0}}));
  m.Resize(3, 3);
  EXPECT_EQ(log.Changes, 2);
  m.Resize(1, 1);
  EXPECT_EQ(Cells(m), (Rows{{1}}));
}

TEST(TMatrix, OutOfRangeCellsReadZeroAndIgnoreWrites) {
  TMatrix m(nullptr);
  Load(m, {{1, 2}});
  TEventLog log;
  log.Hook(m);
  for (auto [c, r] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 2}, {-5, -5}}) {
    EXPECT_EQ(m.GetVal(c, r), 0.0);
    m.SetVal(c, r, 9);
  }
  EXPECT_EQ(log.Changes, 0);
  EXPECT_EQ(Cells(m), (Rows{{1, 2}}));
}

TEST(TMatrix, RangeRulesOfColumnsAndRows) {
  struct Case {
    int cols, lo, hi, wantLo, wantHi;
  } cases[] = {{4, 0, 0, 1, 4}, {4, 5, 2, 2, 4}, {4, -3, 9, 1, 4}, {0, 0, 0, 1, 0}, {0, 2, 3, 0, 0}};
  for (const Case& c : cases) {
    TMatrix m(nullptr);
    m.Resize(c.cols, c.cols);
    int lo = c.lo, hi = c.hi;
    m.MakeValidColRange(lo, hi);
    EXPECT_EQ(std::pair(lo, hi), std::pair(c.wantLo, c.wantHi)) << c.cols << ": " << c.lo << ".." << c.hi;
    lo = c.lo, hi = c.hi;
    m.MakeValidRowRange(lo, hi);
    EXPECT_EQ(std::pair(lo, hi), std::pair(c.wantLo, c.wantHi));
  }
}

TEST(TMatrix, PrecisionSettingsAreClamped) {
  TMatrix m(nullptr);
  EXPECT_EQ(m.GetFPrecis(1), 15);
  EXPECT_EQ(m.GetFPrecis(2), -1);
  m.SetFPrecis(7, 40);
  m.SetFPrecis(-3, -9);
  EXPECT_EQ(m.GetFPrecis(2), 25);
  EXPECT_EQ(m.GetFPrecis(0), -1);
}

// --- filling and copying --------------------------------------------------------------------------

TEST(TMatrix, RandomFillsRunColumnByColumn) {
  TMatrix m(nullptr);
  m.Resize(2, 3);
  RandSeed = 77;
  m.FillRandomUniform(10, 20);
  RandSeed = 77;
  for (double want : ColumnMajor(m)) EXPECT_EQ(want, 10 + Random() * 10);
  m.FillRandomGauss(5, 0);
  EXPECT_EQ(Cells(m), Rows(3, {5, 5}));
}

TEST(TMatrix, CloneCopiesSizeAndCellsWithPerCellEvents) {
  TMatrix src(nullptr), dst(nullptr);
  Load(src, {{1, 2, 3}, {4, 5, 6}});
  TEventLog log;
  log.Hook(dst);
  dst.Clone(&src);
  EXPECT_EQ(Cells(dst), Cells(src));
  EXPECT_EQ(log.Changes, 1 + 6 + 1);
  dst.Clone(nullptr);
  EXPECT_EQ(log.Changes, 8);
}

TEST(TMatrix, CopyFromClampsTheSourceAndDropsCellsOutside) {
  struct Case {
    int cl, rl, ch, rh, dc, dr;
    Rows want;
  } cases[] = {
      {1, 1, 2, 2, 2, 2, {{0, 0, 0}, {0, 1, 2}, {0, 4, 5}}},
      {2, 2, 1, 1, 1, 1, {{1, 2, 0}, {4, 5, 0}, {0, 0, 0}}},
      {0, 0, 9, 9, 0, 1, {{2, 3, 0}, {5, 6, 0}, {0, 0, 0}}},
      {3, 1, 3, 2, 3, 3, {{0, 0, 0}, {0, 0, 0}, {0, 0, 3}}},
  };
  TMatrix src(nullptr);
  Load(src, {{1, 2, 3}, {4, 5, 6}});
  for (const Case& c : cases)
    for (bool handler : {false, true}) {  // cell by cell through SetVal, or whole column pieces
      TMatrix dst(nullptr);
      dst.Resize(3, 3);
      if (handler) dst.OnChange = [](TObject*) {};
      dst.CopyFrom(&src, c.cl, c.rl, c.ch, c.rh, c.dc, c.dr);
      EXPECT_EQ(Cells(dst), c.want) << c.cl << "," << c.rl << ".." << c.ch << "," << c.rh << " " << handler;
    }
}

TEST(TMatrix, CopyFromFiresForEveryWrittenCellAndAtTheEnd) {
  TMatrix src(nullptr), dst(nullptr);
  Load(src, {{1, 2}, {3, 4}});
  dst.Resize(2, 2);
  TEventLog log;
  log.Hook(dst);
  dst.CopyFrom(&src, 1, 1, 2, 2, 2, 1);  // two of the four cells land inside
  EXPECT_EQ(log.Changes, 2 + 1);
}

// Regression: copying a range of a matrix onto an overlapping place in itself read cells that the
// copy had already overwritten.
TEST(TMatrix, CopyFromItselfActsAsThroughATemporary) {
  for (bool handler : {false, true}) {
    TMatrix m(nullptr);
    if (handler) m.OnChange = [](TObject*) {};
    Load(m, {{1, 2, 3, 4}});
    m.CopyFrom(&m, 1, 1, 3, 1, 2, 1);
    EXPECT_EQ(Cells(m), (Rows{{1, 1, 2, 3}}));
    Load(m, {{1}, {2}, {3}, {4}});
    m.CopyFrom(&m, 1, 2, 1, 4, 1, 1);
    EXPECT_EQ(Cells(m), (Rows{{2}, {3}, {4}, {4}}));
    Load(m, {{1, 2}, {3, 4}});
    m.CopyFrom(&m, 1, 1, 2, 2, 2, 2);
    EXPECT_EQ(Cells(m), (Rows{{1, 2}, {3, 1}}));
  }
}

TEST(TMatrix, CopyFromAnIntegerMatrixOfEitherForm) {
  TIntMatrix sparse(nullptr, {4});
  sparse.SetVal(2, 1, 7);
  sparse.SetVal(1, 2, -3);
  TMatrix m(nullptr);
  m.Resize(2, 2);
  m.CopyFrom(&sparse, 0, 0, 9, 9, 1, 1);
  EXPECT_EQ(Cells(m), (Rows{{0, 7}, {-3, 0}}));
}

TEST(TMatrix, CopyFromVecAndCopyToVecClampAndCut) {
  TVector v(nullptr);
  v.Resize(3);
  for (int i = 1; i <= 3; ++i) v.SetVal(i, i * 10);
  TMatrix m(nullptr);
  m.Resize(2, 3);
  m.CopyFromVec(&v, 2, 9, 2, 1);
  EXPECT_EQ(Cells(m), (Rows{{0, 20}, {0, 30}, {0, 0}}));
  m.CopyFromVec(&v, 0, 0, 1, 3);
  EXPECT_EQ(m.GetVal(1, 3), 10.0);
  TVector out(nullptr);
  out.Resize(1);
  m.CopyColToVec(&out, 9, 0, 0);  // column clamped to 2; the vector keeps its one element
  EXPECT_EQ(out.GetVal(1), 20.0);
  out.Resize(4);
  out.Fill(5);
  m.CopyRowToVec(&out, -1, 0, 0);
  EXPECT_EQ((std::vector<double>{out.GetVal(1), out.GetVal(2), out.GetVal(3), out.GetVal(4)}),
            (std::vector<double>{0, 20, 0, 0}));
}

// --- rearranging ----------------------------------------------------------------------------------

TEST(TMatrix, TransposeAndMirrors) {
  TMatrix m(nullptr);
  Load(m, {{1, 2, 3}, {4, 5, 6}});
  EXPECT_TRUE(m.Transpose());
  EXPECT_EQ(Cells(m), (Rows{{1, 4}, {2, 5}, {3, 6}}));
  m.MirrorColumns();
  EXPECT_EQ(Cells(m), (Rows{{4, 1}, {5, 2}, {6, 3}}));
  m.MirrorRows();
  EXPECT_EQ(Cells(m), (Rows{{6, 3}, {5, 2}, {4, 1}}));
  m.Resize(0, 3);
  m.Transpose();
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.NrOfRows(), 0);
}

// Regression: exchanging with a column or row index outside the matrix read and wrote memory
// beyond the cells.
TEST(TMatrix, ExchangeChecksItsIndices) {
  TMatrix m(nullptr);
  Load(m, {{1, 2}, {3, 4}});
  TEventLog log;
  log.Hook(m);
  for (auto [a, b] : {std::pair{0, 1}, {1, 3}, {-7, 2}, {2, 1000000}}) {
    m.ExchangeColumns(a, b);
    m.ExchangeRows(a, b);
  }
  EXPECT_EQ(Cells(m), (Rows{{1, 2}, {3, 4}}));
  EXPECT_EQ(log.Changes, 0);
  m.ExchangeColumns(1, 2);
  m.ExchangeRows(2, 1);
  EXPECT_EQ(Cells(m), (Rows{{4, 3}, {2, 1}}));
  EXPECT_EQ(log.Changes, 2);
}

TEST(TMatrix, SortRowsMovesAKeyColumnOutsideTheRangeWithItsRows) {
  TMatrix m(nullptr);
  Load(m, {{30, 3}, {10, 1}, {20, 2}});
  TEventLog log;
  log.Hook(m);
  m.SortRows(2, true, 1, 1, 1, 3);
  EXPECT_EQ(Cells(m), (Rows{{10, 1}, {20, 2}, {30, 3}}));
  EXPECT_EQ(log.Exchanges, (std::vector<std::array<int, 5>>{{2, 1, 2, 1, 1}, {2, 2, 3, 1, 1}}));
  EXPECT_EQ(log.Changes, 1);
}

TEST(TMatrix, SortColsIsTheMirrorImage) {
  TMatrix m(nullptr);
  Load(m, {{3, 1, 2}, {30, 10, 20}});
  TEventLog log;
  log.Hook(m);
  m.SortCols(1, false, 0, 2, 0, 2);
  EXPECT_EQ(Cells(m), (Rows{{3, 2, 1}, {30, 20, 10}}));
  ASSERT_FALSE(log.Exchanges.empty());
  for (const auto& e : log.Exchanges) {
    EXPECT_EQ(e[0], 1);
    EXPECT_EQ(e[3], 2);
    EXPECT_EQ(e[4], 2);
  }
}

TEST(TMatrix, SortingOnlyPartOfTheRowsLeavesTheOthers) {
  TMatrix m(nullptr);
  Load(m, {{6}, {5}, {4}, {3}, {2}, {1}, {0}});
  m.SortRows(1, true, 0, 2, 0, 6);
  EXPECT_EQ(ColumnMajor(m), (std::vector<double>{6, 1, 2, 3, 4, 5, 0}));
}

// Regression: a key column or row outside the matrix was read past the cells.
TEST(TMatrix, SortingByAKeyOutsideTheMatrixDoesNothing) {
  TMatrix m(nullptr);
  Load(m, {{2, 1}, {1, 2}});
  TEventLog log;
  log.Hook(m);
  m.SortRows(3, true, 0, 0, 0, 0);
  m.SortCols(0, true, 0, 0, 0, 0);
  EXPECT_EQ(Cells(m), (Rows{{2, 1}, {1, 2}}));
  EXPECT_EQ(log.Changes, 0);
}


// A sort-exchange handler that resized the matrix (the data table's handlers re-enter) made the
// sort go on reading and writing the freed block; the sort now ends there.
TEST(TMatrix, ASortEndsWhenAnExchangeHandlerReshapesTheMatrix) {
  for (bool rows : {true, false}) {
    TMatrix m(nullptr);
    Load(m, {{5, 4, 3, 2, 1}, {4, 3, 2, 1, 0}, {3, 2, 1, 0, 9}, {2, 1, 0, 9, 8}, {1, 0, 9, 8, 7}});
    int calls = 0;
    m.OnSortExchange = [&](TObject*, uint8_t, int, int, int, int) {
      if (++calls == 2) m.Resize(1, 1);
    };
    if (rows)
      m.SortRows(1, true, 0, 0, 0, 0);
    else
      m.SortCols(1, true, 0, 0, 0, 0);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(m.NrOfColumns(), 1);
  }
}
// --- search and summaries -------------------------------------------------------------------------

TEST(TMatrix, MinMaxOverRangesAndTheEmptyRange) {
  TMatrix m(nullptr);
  Load(m, {{1, -2, 3}, {4, 5, 6}});
  double mn = 0, mx = 0;
  m.MinMax(2, 1, 3, 2, mn, mx);
  EXPECT_EQ(std::pair(mn, mx), std::pair(-2.0, 6.0));
  m.MinMax(1, 2, 1, 2, mn, mx);
  EXPECT_EQ(std::pair(mn, mx), std::pair(4.0, 4.0));
  m.Resize(0, 2);
  m.MinMax(0, 0, 0, 0, mn, mx);
  EXPECT_EQ(std::pair(mn, mx), std::pair(1.7e38, -1.7e38));
}

// Regression: the search started from +-1.7e38, so cells all above 1.7e38 reported 1.7e38 as
// their minimum (and cells all below -1.7e38 reported -1.7e38 as their maximum).
TEST(TMatrix, MinMaxReportsCellsBeyondTheOldStartValues) {
  TMatrix m(nullptr);
  Load(m, {{3e38, 5e38}, {-std::numeric_limits<double>::infinity(), std::nan("")}});
  double mn = 0, mx = 0;
  m.MinMax(1, 1, 2, 1, mn, mx);
  EXPECT_EQ(std::pair(mn, mx), std::pair(3e38, 5e38));
  m.MinMax(1, 2, 2, 2, mn, mx);
  EXPECT_EQ(mn, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(mx, -std::numeric_limits<double>::infinity());
}

TEST(TMatrix, FindTakesColumnsFirstAndTheFirstOfEquals) {
  TMatrix m(nullptr);
  Load(m, {{1, 5}, {5, 9}});
  struct Case {
    int lc, hc, lr, hr;
    double value;
    int col, row;
  } cases[] = {{0, 0, 0, 0, 5, 1, 2}, {2, 2, 0, 0, 5, 2, 1}, {0, 0, 0, 0, 100, 2, 2}, {2, 1, 2, 1, 0, 1, 1}};
  for (const Case& c : cases) {
    int col = -1, row = -1;
    m.Find(c.lc, c.hc, c.lr, c.hr, c.value, col, row);
    EXPECT_EQ(std::pair(col, row), std::pair(c.col, c.row)) << c.value;
  }
  int col = -1, row = -1;
  m.Find(0, 0, 0, 0, std::numeric_limits<double>::infinity(), col, row);
  EXPECT_EQ(std::pair(col, row), std::pair(0, 0));
}

TEST(TMatrix, FindInSortedColumnPrefersTheUpperCandidateOnATie) {
  TMatrix m(nullptr);
  Load(m, {{1, 7}, {3, 5}, {5, 3}, {7, 1}});
  struct Case {
    int col;
    bool ascending;
    double value;
    int want;
  } cases[] = {{1, true, 5, 3}, {1, true, 4.1, 3}, {1, true, 7, 4}, {1, true, 4, 3}, {1, true, -9, 1},
               {2, false, 4.1, 2}, {2, false, 6, 2}, {2, false, 7, 1}};
  for (const Case& c : cases) EXPECT_EQ(m.FindInSortedColumn(c.col, c.ascending, c.value), c.want) << c.value;
}

// Regression: a column outside the matrix or a matrix without rows was searched anyway.
TEST(TMatrix, FindInSortedColumnAnswersZeroForAColumnOutside) {
  TMatrix m(nullptr);
  Load(m, {{1, 2}});
  EXPECT_EQ(m.FindInSortedColumn(0, true, 1), 0);
  EXPECT_EQ(m.FindInSortedColumn(3, true, 1), 0);
  m.Resize(2, 0);
  EXPECT_EQ(m.FindInSortedColumn(1, true, 1), 0);
}

TEST(TMatrix, SumAndTrace) {
  TMatrix m(nullptr);
  Load(m, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 45.0);
  EXPECT_EQ(m.Sum(2, 2, 3, 3), 28.0);
  EXPECT_EQ(m.Trace(), 15.0);
  m.Resize(3, 2);
  EXPECT_EQ(m.Trace(), 0.0);
  m.Resize(0, 0);
  EXPECT_EQ(m.Trace(), 0.0);
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 0.0);
}

// --- fingerprint ----------------------------------------------------------------------------------

TEST(TMatrix, CRCofDataAgreesWithLaneWiseZlibAndIgnoresTheShape) {
  TMatrix a(nullptr);
  a.Resize(6, 4);
  RandSeed = 5;
  a.FillRandomGauss(0, 1e3);
  EXPECT_EQ(StringToUtf8(a.CRCofData()), test::ZlibLanes(ColumnMajor(a)));
  TMatrix c(nullptr);  // the same cells in the same column-major order, another shape
  c.Resize(12, 2);
  const auto cells = ColumnMajor(a);
  for (std::size_t k = 0; k < cells.size(); ++k) c.SetVal(static_cast<int>(k / 2 + 1), static_cast<int>(k % 2 + 1), cells[k]);
  EXPECT_EQ(c.CRCofData(), a.CRCofData());
  a.Resize(0, 3);
  EXPECT_EQ(StringToUtf8(a.CRCofData()), std::string(64, '0'));
}

TEST(TMatrix, CRCofDataAgreesWithLaneWiseZlibAcrossGatheredBlocks) {
  // The lanes gather their bytes in blocks of 512 cells: counts just below, at and beyond.
  for (int rows : {511, 512, 513, 1537}) {
    TMatrix a(nullptr);
    a.Resize(3, rows);
    RandSeed = static_cast<uint32_t>(rows);
    a.FillRandomGauss(0, 1e3);
    EXPECT_EQ(StringToUtf8(a.CRCofData()), test::ZlibLanes(ColumnMajor(a))) << rows;
  }
}

// --- XML element ----------------------------------------------------------------------------------

TEST(TMatrix, XmlElementLayout) {
  TMatrix m(nullptr);
  Load(m, {{1, 2.5, -3}, {0.1, 1e20, 0}});
  TMemoryStream s;
  m.WriteToXMLStream(s, true, u"m1");
  EXPECT_EQ(test::BytesOf(s),
            "<?xml version=\"1.0\"?>\r\n"
            "\r\n"
            "<!-- TMatrix / Qeltakit -->\r\n"
            "<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"m1\">\r\n"
            "  <numcols>3</numcols>\r\n"
            "  <numrows>2</numrows>\r\n"
            "  <cells row=\"1\" col=\"1\">1 2.5 -3</cells>\r\n"
            "  <cells row=\"2\" col=\"1\">0.1 1E20 0</cells>\r\n"
            "</matrix>\r\n");
  TMemoryStream t;
  m.SetFPrecis(2, 2);
  m.Resize(2, 1);
  m.WriteToXMLStream(t, false, u"");
  EXPECT_NE(test::BytesOf(t).find("<cells row=\"1\" col=\"1\">1.00 2.50</cells>"), std::string::npos);
}

TEST(TMatrix, XmlRoundTripIsExactWithSeventeenDigits) {
  test::TempDir dir;
  TMatrix m(nullptr);
  m.Resize(7, 5);
  RandSeed = 11;
  m.FillRandomGauss(0, 1e-3);
  m.SetVal(2, 2, std::numeric_limits<double>::infinity());
  m.SetFPrecis(1, 0);
  m.SetDataID(u"ignored");
  ASSERT_TRUE(m.SaveAsXMLFile(dir / "m.xml", u"Run7"));
  TMatrix r(nullptr);
  TEventLog log;
  log.Hook(r);
  ASSERT_TRUE(r.LoadFromXMLFile(dir / "m.xml", u"run7"));
  EXPECT_EQ(r.CRCofData(), m.CRCofData());
  EXPECT_EQ(r.NrOfColumns(), 7);
  EXPECT_EQ(StringToUtf8(r.DataID()), "Run7");
  EXPECT_EQ(log.Changes, 1);
}

TEST(TMatrix, XmlReaderPicksTheElementByIdFromAnOpenFile) {
  test::TempDir dir;
  TMatrix a(nullptr), b(nullptr);
  Load(a, {{1}});
  Load(b, {{2, 3}});
  TextFile f;
  AssignFile(f, dir / "two.xml");
  Rewrite(f);
  a.WriteToOpenXMLFile(f, true, u"first");
  b.WriteToOpenXMLFile(f, false, u"second");
  CloseFile(f);
  TMatrix r(nullptr);
  Reset(f);
  ASSERT_TRUE(r.ReadFromOpenXMLFile(f, u"SECOND"));
  EXPECT_EQ(Cells(r), (Rows{{2, 3}}));
  CloseFile(f);
  Reset(f);
  ASSERT_TRUE(r.ReadFromOpenXMLFile(f, u""));
  EXPECT_EQ(Cells(r), (Rows{{1}}));
  EXPECT_FALSE(r.ReadFromOpenXMLFile(f, u"third"));
  CloseFile(f);
  EXPECT_FALSE(r.LoadFromXMLFile(dir / "none.xml", u""));
}

TEST(TMatrix, XmlReaderTakesUnlistedCellsAsZeroAndAnEmptyMatrix) {
  const char* text =
      "<!-- TMatrix / Qeltakit -->\n<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"\">\n<numcols>3</numcols>\n"
      "<numrows>2</numrows>\n<cells row=\"2\" col=\"2\">7 8</cells>\n</matrix>\n";
  TMatrix m(nullptr);
  TMemoryStream s;
  test::Fill(s, text);
  ASSERT_TRUE(m.ReadFromXMLStream(s, u""));
  EXPECT_EQ(Cells(m), (Rows{{0, 0, 0}, {0, 7, 8}}));
  TMatrix e(nullptr);
  e.Resize(0, 4);
  TMemoryStream t;
  e.WriteToXMLStream(t, false, u"e");
  t.SetPosition(0);
  ASSERT_TRUE(m.ReadFromXMLStream(t, u"e"));
  EXPECT_EQ(m.NrOfColumns(), 0);
  EXPECT_EQ(m.NrOfRows(), 4);
}

TEST(TMatrix, XmlReaderRefusesMalformedElementsAndKeepsTheMatrix) {
  const std::string head = "<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"x\">\n";
  const std::string dims = "<numcols>2</numcols><numrows>2</numrows>\n";
  const std::string cases[] = {
      head + dims + "<cells row=\"1\" col=\"1\">1 abc</cells>\n</matrix>\n",
      head + dims + "<cells row=\"3\" col=\"1\">1 2</cells>\n</matrix>\n",
      head + dims + "<cells row=\"1\" col=\"2\">1 2</cells>\n</matrix>\n",
      head + dims + "<cells row=\"1\" col=\"0\">1</cells>\n</matrix>\n",
      head + dims + "<cells col=\"1\">1</cells>\n</matrix>\n",
      head + "<numrows>2</numrows>\n</matrix>\n",
      head + "<numcols>-2</numcols><numrows>2</numrows>\n</matrix>\n",
      head + dims + "<numlayers>2</numlayers>\n</matrix>\n",
      head + dims + "<cells row=\"1\" col=\"1\">1 2</cells>\n",
      head + "<numcols>100000</numcols><numrows>100000</numrows>\n</matrix>\n",
      "<matrix id=\"x\">\n" + dims + "</matrix>\n",
  };
  for (const std::string& text : cases) {
    TMatrix m(nullptr);
    Load(m, {{5}});
    TEventLog log;
    log.Hook(m);
    TMemoryStream s;
    test::Fill(s, text);
    EXPECT_FALSE(m.ReadFromXMLStream(s, u"x")) << text;
    EXPECT_EQ(Cells(m), (Rows{{5}})) << text;
    EXPECT_EQ(log.Changes, 0);
  }
}

// --- text form ------------------------------------------------------------------------------------

TEST(TMatrix, TextFormLayoutAndRoundTrip) {
  test::TempDir dir;
  TMatrix m(nullptr);
  Load(m, {{1, 2.5, -3}, {0.1, 1e20, 0}});
  ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, dir / "m.txt"));
  EXPECT_EQ(dir.Get("m.txt"), "1 1 3 2\r\n1 2.5 -3\r\n0.1 1E20 0\r\n");
  ASSERT_TRUE(m.StoreOnFile(3, 2, 2, 2, dir / "part.txt"));
  EXPECT_EQ(dir.Get("part.txt"), "2 2 3 2\r\n1E20 0\r\n");
  TMatrix r(nullptr);
  r.Resize(2, 1);
  EXPECT_FALSE(r.LoadFromFile(dir / "part.txt", false));
  EXPECT_EQ(Cells(r), (Rows{{0, 0}}));
  EXPECT_TRUE(r.LoadFromFile(dir / "part.txt", true));
  EXPECT_EQ(Cells(r), (Rows{{0, 0, 0}, {0, 1e20, 0}}));
  m.Resize(0, 2);
  ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, dir / "empty.txt"));
  EXPECT_EQ(dir.Get("empty.txt"), "1 1 0 2\r\n\r\n\r\n");
  EXPECT_TRUE(r.LoadFromFile(dir / "empty.txt", true));
  EXPECT_EQ(std::pair(r.NrOfColumns(), r.NrOfRows()), std::pair(0, 2));
}

// Regression: unreadable numbers were skipped silently and the load answered true; later the load
// answered false but kept the cells read before the bad number.
TEST(TMatrix, LoadFromFileAnswersFalseAfterAnUnreadableNumber) {
  test::TempDir dir;
  dir.Put("m.txt", "1 1 2 2\n1 x\n3 4\n");
  TMatrix m(nullptr);
  Load(m, {{9, 9}, {9, 9}});
  EXPECT_FALSE(m.LoadFromFile(dir / "m.txt", false));
  EXPECT_EQ(Cells(m), (Rows{{9, 9}, {9, 9}}));
  EXPECT_EQ(StringToUtf8(m.LastLoadError()),
            "\"" + StringToUtf8(dir / "m.txt") + "\": line 2 holds \"x\", not a number of the matrix");
}

// Regression: the reader took the numbers as one stream of tokens, so "1 2 99 / 3 4" under a 2 x 2
// header loaded as true with 99 in the second row and 4 dropped. Every row is one line of exactly
// HiC - LoC + 1 numbers; anything else leaves the matrix as it was, without an event.
TEST(TMatrix, TextReaderKeepsTheLineStructure) {
  test::TempDir dir;
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"1 1 2 2\n1 2 99\n3 4\n", "line 2 holds 3 numbers, not 2"},
      {"1 1 2 2\n1\n2 3 4\n", "line 2 holds 1 numbers, not 2"},
      {"1 1 2 2\n1 2\n3 4\n5 6\n", "line 4 follows the last row"},
      {"1 1 2 2\r\n1 2\r\n\r\n     \r\n", "the file ends after 1 of 2 rows"},
      {"1 1 2 1 7\n1 2\n", "line 1 is not the header \"LoC LoR HiC HiR\""},
      {"1 1 2 2\n1 2\r3 4 5\n", "line 3 holds 3 numbers, not 2"},
  };
  for (const auto& c : cases) {
    dir.Put("m.txt", c.text);
    TMatrix m(nullptr);
    Load(m, {{7}});
    TEventLog log;
    log.Hook(m);
    EXPECT_FALSE(m.LoadFromFile(dir / "m.txt", true)) << c.text;
    EXPECT_EQ(Cells(m), (Rows{{7}})) << c.text;
    EXPECT_EQ(log.Changes, 0) << c.text;
    EXPECT_EQ(StringToUtf8(m.LastLoadError()), "\"" + StringToUtf8(dir / "m.txt") + "\": " + c.reason);
  }
  dir.Put("m.txt", "\n1 1 2 2\r\n\r\n 1  2 \r\n\n3\t4\r\n\r\n");  // blank lines and blanks pass
  TMatrix m(nullptr);
  ASSERT_TRUE(m.LoadFromFile(dir / "m.txt", true)) << StringToUtf8(m.LastLoadError());
  EXPECT_EQ(Cells(m), (Rows{{1, 2}, {3, 4}}));
  EXPECT_TRUE(m.LastLoadError().empty());
}

// Regression: with the default precision (15 digits) 1/3 came back as 0.333333333333333. Until the
// host sets FPrecis, the text and XML forms write the shortest text that reads back exactly.
TEST(TMatrix, DefaultNumberTextReadsBackExactly) {
  test::TempDir dir;
  TMatrix m(nullptr);
  Load(m, {{1.0 / 3, 0.1, 1e-300, -2.0 / 7}, {5e-324, 1.7976931348623157e308, 100, 0.30000000000000004}});
  ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, dir / "m.txt"));
  ASSERT_TRUE(m.SaveAsXMLFile(dir / "m.xml", u""));
  EXPECT_EQ(dir.Get("m.txt"),
            "1 1 4 2\r\n0.3333333333333333 0.1 1E-300 -0.2857142857142857\r\n"
            "5E-324 1.7976931348623157E308 100 0.30000000000000004\r\n");
  TMatrix t(nullptr), x(nullptr);
  ASSERT_TRUE(t.LoadFromFile(dir / "m.txt", true));
  ASSERT_TRUE(x.LoadFromXMLFile(dir / "m.xml", u""));
  EXPECT_EQ(t.CRCofData(), m.CRCofData());
  EXPECT_EQ(x.CRCofData(), m.CRCofData());
  m.SetFPrecis(1, 15);  // an explicit setting still rules
  ASSERT_TRUE(m.StoreOnFile(1, 1, 1, 1, dir / "one.txt"));
  EXPECT_EQ(dir.Get("one.txt"), "1 1 1 1\r\n0.333333333333333\r\n");
}

// A load that answers false says why: the file (where there is one) and the reason. The readers
// used to answer a bare false.
TEST(TMatrix, LastLoadErrorNamesTheFileAndTheReason) {
  test::TempDir dir;
  dir.Put("bad.bin", "QELTAMAX and more");
  dir.Put("m.xml", "<!-- TMatrix / Qeltakit -->\n<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"a\">\n</matrix>\n");
  const std::string bin = StringToUtf8(dir / "bad.bin"), xml = StringToUtf8(dir / "m.xml");
  const std::string none = StringToUtf8(dir / "none.txt");
  TMatrix m(nullptr);
  EXPECT_FALSE(m.LoadBinary(dir / "bad.bin"));
  EXPECT_EQ(StringToUtf8(m.LastLoadError()), "\"" + bin + "\": not a binary matrix file");
  EXPECT_FALSE(m.LoadFromXMLFile(dir / "m.xml", u"b"));
  EXPECT_EQ(StringToUtf8(m.LastLoadError()), "\"" + xml + "\": no matrix element with the id \"b\"");
  EXPECT_FALSE(m.LoadFromXMLFile(dir / "m.xml", u"a"));
  EXPECT_EQ(StringToUtf8(m.LastLoadError()), "\"" + xml + "\": numcols or numrows is missing");
  EXPECT_FALSE(m.LoadFromFile(dir / "none.txt", true));
  EXPECT_EQ(StringToUtf8(m.LastLoadError()), "\"" + none + "\": cannot be read");
  TMemoryStream s;
  test::Fill(s, "short");
  EXPECT_FALSE(m.LoadFromStream(&s, true));
  EXPECT_EQ(StringToUtf8(m.LastLoadError()), "the stream holds no header of four indices");
  TIntMatrix sparse(nullptr);
  EXPECT_FALSE(sparse.LoadSparseMat(dir / "bad.bin"));
  EXPECT_EQ(StringToUtf8(sparse.LastLoadError()), "\"" + bin + "\": not a sparse matrix file");
  ASSERT_TRUE(m.SaveBinary(dir / "good.bin"));
  EXPECT_TRUE(m.LoadBinary(dir / "good.bin"));
  EXPECT_TRUE(m.LastLoadError().empty());
}

// Regression: the header went unchecked into Resize and the read loops.
TEST(TMatrix, LoadFromFileRefusesImplausibleHeaders) {
  test::TempDir dir;
  const char* texts[] = {"0 1 1 1\n5", "1 1 1\n", "2 1 1 1\n5", "1 1 50000 50000\n5", "1 1 2 2\n1 2 3", "a b c d"};
  for (const char* text : texts) {
    dir.Put("m.txt", text);
    TMatrix m(nullptr);
    Load(m, {{7}});
    TEventLog log;
    log.Hook(m);
    EXPECT_FALSE(m.LoadFromFile(dir / "m.txt", true)) << text;
    EXPECT_EQ(Cells(m), (Rows{{7}})) << text;
    EXPECT_EQ(log.Changes, 0) << text;
  }
}

TEST(TMatrix, StoreOnFileAnswersFalseAfterAWriteError) {
  test::TempDir dir;
  TMatrix m(nullptr);
  m.Resize(100, 100);
  m.Fill(1.0 / 7);
  test::FaultyOs os;
  os.WriteBudget = 1000;
  EXPECT_FALSE(m.StoreOnFile(0, 0, 0, 0, dir / "m.txt"));
  EXPECT_FALSE(m.SaveAsXMLFile(dir / "m.xml", u""));
  os.WriteBudget = 100;
  EXPECT_FALSE(m.SaveBinary(dir / "m.bin"));
}

// --- binary stream --------------------------------------------------------------------------------

TEST(TMatrix, StreamFormIsExtendedIndicesAndCellsColumnByColumn) {
  TMatrix m(nullptr);
  Load(m, {{1, 2}, {3, 4}});
  TMemoryStream* s = nullptr;
  ASSERT_TRUE(m.SaveToStream(s, 0, 0, 0, 0));
  std::unique_ptr<TMemoryStream> owned(s);
  using test::Ext;
  EXPECT_EQ(test::BytesOf(*s), Ext(1) + Ext(1) + Ext(2) + Ext(2) + Ext(1) + Ext(3) + Ext(2) + Ext(4));
  TMatrix r(nullptr);
  s->SetPosition(0);
  TEventLog log;
  log.Hook(r);
  ASSERT_TRUE(r.LoadFromStream(s, true));
  EXPECT_EQ(Cells(r), Cells(m));
  EXPECT_EQ(log.Changes, 2);  // the resize and the end: cells are written directly
}

// Regression: the stream loader trusted its header (reversed, non-integral, infinite indices or a
// count beyond the stream's bytes).
TEST(TMatrix, LoadFromStreamRefusesImplausibleHeaders) {
  using test::Ext;
  const std::string inf = test::Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F});
  const std::string cases[] = {
      Ext(0) + Ext(1) + Ext(1) + Ext(1) + Ext(1),
      Ext(2) + Ext(1) + Ext(1) + Ext(1) + Ext(1),
      Ext(1) + Ext(1) + inf + Ext(1) + Ext(1),
      Ext(1) + Ext(1) + Ext(1.5) + Ext(1) + Ext(1),
      Ext(1) + Ext(1) + Ext(2) + Ext(2) + Ext(1),
      Ext(1) + Ext(1) + Ext(1),
  };
  for (const std::string& bytes : cases) {
    TMatrix m(nullptr);
    Load(m, {{7}});
    TMemoryStream s;
    test::Fill(s, bytes);
    EXPECT_FALSE(m.LoadFromStream(&s, true));
    EXPECT_EQ(Cells(m), (Rows{{7}}));
  }
  TMatrix m(nullptr);
  EXPECT_FALSE(m.LoadFromStream(nullptr, true));
}

// --- binary file ----------------------------------------------------------------------------------

TEST(TMatrix, BinaryFileHeaderLayoutAndRoundTrip) {
  test::TempDir dir;
  TMatrix m(nullptr);
  Load(m, {{1.5, -2}});
  m.SetDataID(u"ab");
  ASSERT_TRUE(m.SaveBinary(dir / "m.bin"));
  const std::string bytes = dir.Get("m.bin");
  const std::string head = "QELTAMAT" + test::I32(1) + test::I32(8) + test::I32(2) + test::I32(1) + test::I32(2) + "ab";
  ASSERT_EQ(bytes.size(), head.size() + 4 + 16);
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(head.data()), static_cast<uInt>(head.size()));
  EXPECT_EQ(bytes.substr(head.size(), 4), test::I32(static_cast<int32_t>(crc)));
  int nc = 0, nr = 0;
  String id;
  ASSERT_TRUE(m.ReadBinaryHeader(dir / "m.bin", nc, nr, id));
  EXPECT_EQ(std::tuple(nc, nr, StringToUtf8(id)), std::tuple(2, 1, std::string("ab")));
  TMatrix r(nullptr);
  ASSERT_TRUE(r.LoadBinary(dir / "m.bin"));
  EXPECT_EQ(Cells(r), Cells(m));
  EXPECT_EQ(r.DataID(), u"ab");
}

TEST(TMatrix, BinaryFileRefusesDamagedFiles) {
  test::TempDir dir;
  TMatrix m(nullptr);
  Load(m, {{1, 2}, {3, 4}});
  ASSERT_TRUE(m.SaveBinary(dir / "m.bin"));
  const std::string good = dir.Get("m.bin");
  std::string badSig = good, badDim = good, badCrc = good;
  badSig[0] = 'X';
  badDim[16] = 3;  // three columns: the CRC no longer fits
  badCrc[30] ^= 1;
  const std::string cases[] = {badSig, badDim, badCrc, good.substr(0, good.size() - 1), good + "x", good.substr(0, 20), ""};
  for (const std::string& bytes : cases) {
    dir.Put("bad.bin", bytes);
    TMatrix r(nullptr);
    Load(r, {{9}});
    int nc = -1, nr = -1;
    String id = u"keep";
    EXPECT_FALSE(r.LoadBinary(dir / "bad.bin"));
    EXPECT_EQ(Cells(r), (Rows{{9}}));
    if (bytes.size() < 32) {
      EXPECT_FALSE(r.ReadBinaryHeader(dir / "bad.bin", nc, nr, id));
      EXPECT_EQ(nc, -1);
    }
  }
  TMatrix r(nullptr);
  EXPECT_FALSE(r.LoadBinary(dir / "none.bin"));
}

// [SECTION] memory of the readers

namespace {

// The readers' input as a memory stream and as a file, for the table below.
struct TReaderInput {
  TMemoryStream Stream;
  test::TempDir Dir;
  String File;
  explicit TReaderInput(const std::string& bytes) {
    test::Fill(Stream, bytes);
    Dir.Put("in", bytes);
    File = Dir / "in";
  }
};

}  // namespace

// Regression: the readers sized what a file declared up to 2^23 cells beyond the cells it listed, so a
// few hundred bytes took 64 MiB or more (a 145-byte element declaring 2896 x 2896 cells, 64 MiB; a
// 15-byte text header "1 1 0 1000000", 8 MB; three layers of 256 x 256 x 128, 128 MB). Now what a file
// declares is refused beyond what it can fill plus a small allowance, the matrix unchanged, and reading
// never holds more than 100 bytes per byte of input plus 8 MiB.
TEST(MatrixReaders, RefuseSizesTheirInputCannotFill) {
  const std::string head = "<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"m\">\r\n";
  auto element = [&](const std::string& counts, const std::string& cells) {
    return head + counts + cells + "</matrix>\r\n";
  };
  const std::string wide = "<numcols>2896</numcols><numrows>2896</numrows>\r\n";
  const std::string sparse = "<numcols>100</numcols><numrows>65535</numrows>\r\n";
  const std::string layers = "<numcols>256</numcols><numrows>256</numrows><numlayers>128</numlayers>\r\n";
  const std::string slots = "<numcols>64</numcols><numrows>64</numrows><numlayers>64</numlayers><numtimeslots>24</numtimeslots>\r\n";
  const std::string oneCell = "<cells row=\"1\" col=\"1\">7</cells>\r\n";
  struct Case {
    const char* what;
    std::string bytes;
    bool (*load)(TReaderInput&);  // false: refused, the object as it was
  } cases[] = {
      {"TMatrix XML", element(wide, oneCell),
       [](TReaderInput& in) { TMatrix m(nullptr); return m.ReadFromXMLStream(in.Stream, u"") || m.NrOfColumns() != 1; }},
      {"TMatrix XML of a sparse element", element(sparse, oneCell),
       [](TReaderInput& in) { TMatrix m(nullptr); return m.ReadFromXMLStream(in.Stream, u"") || m.NrOfColumns() != 1; }},
      {"dense TIntMatrix XML", element(wide, oneCell),
       [](TReaderInput& in) { TIntMatrix m(nullptr); return m.ReadFromXMLStream(in.Stream, u"") || m.NrOfColumns() != 1; }},
      {"TMat3D XML", element(layers, oneCell),
       [](TReaderInput& in) { TMat3D m(nullptr); return m.ReadFromXMLStream(in.Stream, u"") || m.NrOfLayers() != 1; }},
      {"TMat4D XML", element(slots, oneCell),
       [](TReaderInput& in) { TMat4D m(nullptr); return m.LoadFromXMLFile(in.File, u"") || m.NrOfTimeSlots() != 1; }},
      {"TMatrix text, an empty range of a million rows", "1 1 0 1000000\r\n",
       [](TReaderInput& in) { TMatrix m(nullptr); return m.LoadFromFile(in.File, true) || m.NrOfRows() != 1; }},
      {"TMatrix text, the one cell (1000, 1000)", "1000 1000 1000 1000\r\n5\r\n",
       [](TReaderInput& in) { TMatrix m(nullptr); return m.LoadFromFile(in.File, true) || m.NrOfRows() != 1; }},
      {"TIntMatrix stream, the one cell (2000, 2000)", test::I32(2000) + test::I32(2000) + test::I32(2000) + test::I32(2000) + test::I32(9),
       [](TReaderInput& in) { TIntMatrix m(nullptr); return m.LoadFromStream(&in.Stream, true) || m.NrOfRows() != 1; }},
  };
  for (Case& c : cases) {
    TReaderInput in(c.bytes);
    bool loaded = true;
    const int64_t peak = test::HeapPeakOf([&] { loaded = c.load(in); });
    EXPECT_FALSE(loaded) << c.what;
    EXPECT_LE(peak, test::ReaderPeakBound(c.bytes.size())) << c.what;
  }
}

// What the bound leaves alone: a sparse matrix reads a large declared size from a few triples, a dense
// one the cells a file leaves out within the allowance, and a large file that fills what it declares
// reads back as it was written.
TEST(MatrixReaders, KeepDeclaredSizesTheirInputCanHold) {
  const std::string sparse =
      "<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"m\" form=\"sparse\">\r\n<numcols>100</numcols><numrows>65535</numrows>\r\n"
      "<cells row=\"65535\" col=\"100\">-1</cells>\r\n</matrix>\r\n";
  TIntMatrix s(nullptr, TIntMatrix::TSparseForm{4});
  TMemoryStream in;
  test::Fill(in, sparse);
  int64_t peak = test::HeapPeakOf([&] { ASSERT_TRUE(s.ReadFromXMLStream(in, u"")); });
  EXPECT_EQ(std::pair(s.NrOfColumns(), s.NrOfRows()), std::pair(100, 65535));
  EXPECT_EQ(s.GetVal(100, 65535), -1);
  EXPECT_LE(peak, test::ReaderPeakBound(sparse.size()));

  test::TempDir dir;
  dir.Put("far.txt", "400 400 400 400\r\n5\r\n");  // 1.3 MB of cells for one, within the allowance
  TMatrix far(nullptr);
  ASSERT_TRUE(far.LoadFromFile(dir / "far.txt", true));
  EXPECT_EQ(std::pair(far.NrOfColumns(), far.NrOfRows()), std::pair(400, 400));
  EXPECT_EQ(far.GetVal(400, 400), 5);

  TMatrix big(nullptr), back(nullptr);
  big.Resize(1200, 1500);  // 14 MB of cells, more than the allowance, all of them written
  big.SetVal(1200, 1500, 0.5);
  big.SetVal(1, 1, -3);
  TMemoryStream xml;
  big.WriteToXMLStream(xml, true, u"big");
  xml.SetPosition(0);
  peak = test::HeapPeakOf([&] { ASSERT_TRUE(back.ReadFromXMLStream(xml, u"big")); });
  EXPECT_EQ(back.CRCofData(), big.CRCofData());
  EXPECT_LE(peak, test::ReaderPeakBound(static_cast<std::size_t>(xml.Size())));
}
