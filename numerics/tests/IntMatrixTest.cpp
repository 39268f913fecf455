#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <memory>
#include <random>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_matrix.h"
#include "VecMatTestKit.h"

using namespace qelta;
using qelta::test::TEventLog;

namespace {

using Rows = std::vector<std::vector<int32_t>>;
using Triples = std::vector<std::array<int32_t, 3>>;

void Load(TIntMatrix& m, const Rows& rows) { test::LoadRows(m, rows); }

Rows Cells(const TIntMatrix& m) { return test::RowsOf<int32_t>(m); }

Triples TriplesOf(const TIntMatrix& m) {
  Triples t;
  for (int i = 1; i <= m.SparseNumElem(); ++i) {
    const TSpMatElemInt e = m.SparseElem(i);
    t.push_back({e.colidx, e.rowidx, e.value});
  }
  return t;
}

std::array<int, 4> Box(const TIntMatrix& m) {
  return {m.SparseLowCol(), m.SparseHighCol(), m.SparseLowRow(), m.SparseHighRow()};
}

constexpr std::array<int, 4> kEmptyBox = {2147483647, 1, 2147483647, 1};

std::unique_ptr<TIntMatrix> Sparse(int allocBy, const Triples& cells) {
  auto m = std::make_unique<TIntMatrix>(nullptr, TIntMatrix::TSparseForm{allocBy});
  for (const auto& t : cells) m->SetVal(t[0], t[1], t[2]);
  return m;
}

}  // namespace

// --- sparse form ----------------------------------------------------------------------------------

TEST(TIntMatrixSparse, GrowsToTheCellsWrittenWithAGrowthStepOfAtLeastOne) {
  TIntMatrix m(nullptr, {0});
  EXPECT_TRUE(m.IsSparse());
  EXPECT_EQ(m.AllocBy(), 1);
  EXPECT_EQ(std::pair(m.NrOfColumns(), m.NrOfRows()), std::pair(0, 0));
  EXPECT_EQ(Box(m), kEmptyBox);
  m.SetVal(5, 3, 7);
  EXPECT_EQ(std::pair(m.NrOfColumns(), m.NrOfRows()), std::pair(5, 3));
  EXPECT_EQ(m.GetVal(5, 3), 7);
  EXPECT_EQ(m.GetVal(4, 3), 0);
  m.SetVal(0, 1, 9);
  m.SetVal(1, -1, 9);
  EXPECT_EQ(m.SparseNumElem(), 1);
}

TEST(TIntMatrixSparse, KeepsTriplesSortedByColumnThenRow) {
  auto m = Sparse(1, {{2, 9, 1}, {2, 4, 2}, {1, 100, 3}});
  EXPECT_EQ(TriplesOf(*m), (Triples{{1, 100, 3}, {2, 4, 2}, {2, 9, 1}}));
  EXPECT_EQ(Box(*m), (std::array<int, 4>{1, 2, 4, 100}));
}

TEST(TIntMatrixSparse, AllocationGrowsInStepsAndComesBackWithFillZero) {
  auto m = Sparse(3, {});
  std::vector<int> allocated;
  for (int i = 1; i <= 7; ++i) {
    m->SetVal(i, 1, i);
    allocated.push_back(m->NumAllocated());
  }
  EXPECT_EQ(allocated, (std::vector<int>{3, 3, 3, 6, 6, 6, 9}));
  m->SetVal(3, 1, 0);  // a zero keeps its triple
  EXPECT_EQ(m->SparseNumElem(), 7);
  m->Resize(4, 1);
  EXPECT_EQ(m->NumAllocated(), 9);  // Resize never shrinks the allocation
  m->Fill(5);
  EXPECT_EQ(TriplesOf(*m), (Triples{{1, 1, 5}, {2, 1, 5}, {3, 1, 5}, {4, 1, 5}}));
  m->Fill(0);
  EXPECT_EQ(m->SparseNumElem(), 0);
  EXPECT_EQ(m->NumAllocated(), 3);
  EXPECT_EQ(Box(*m), kEmptyBox);
}

TEST(TIntMatrixSparse, MinMaxLooksOnlyAtStoredTriples) {
  auto m = Sparse(1, {{3, 3, 5}});
  int32_t mn = 0, mx = 0;
  m->MinMax(0, 0, 0, 0, mn, mx);
  EXPECT_EQ(std::pair(mn, mx), std::pair(5, 5));
  m->MinMax(1, 1, 2, 2, mn, mx);
  EXPECT_EQ(std::pair(mn, mx), std::pair(2147483647, -2147483647));
}

TEST(TIntMatrixSparse, ResizeDropsTriplesOutsideSilently) {
  auto m = Sparse(1, {{5, 3, 1}, {2, 2, 4}});
  TEventLog log;
  log.Hook(*m);
  EXPECT_TRUE(m->Resize(3, 3));
  EXPECT_EQ(m->GetVal(5, 3), 0);
  EXPECT_EQ(TriplesOf(*m), (Triples{{2, 2, 4}}));
  EXPECT_EQ(log.Changes, 0);
}

// Regression: Resize only clamped the bounding box, which then named cells no triple held; after
// dropping every triple the box started from 0 and later inserts widened it wrongly.
TEST(TIntMatrixSparse, ResizeLeavesAnExactBoundingBox) {
  auto m = Sparse(1, {{1, 1, 1}, {5, 5, 2}});
  m->Resize(3, 3);
  EXPECT_EQ(Box(*m), (std::array<int, 4>{1, 1, 1, 1}));
  m->Resize(0, 0);
  EXPECT_EQ(Box(*m), kEmptyBox);
  m->SetVal(2, 3, 1);
  EXPECT_EQ(Box(*m), (std::array<int, 4>{2, 2, 3, 3}));
}

// Regression: SetVal set the dimensions to the bounding box, shrinking a size chosen by Resize.
TEST(TIntMatrixSparse, SetValNeverShrinksASizeSetByResize) {
  auto m = Sparse(1, {});
  m->Resize(10, 10);
  m->SetVal(2, 2, 1);
  EXPECT_EQ(std::pair(m->NrOfColumns(), m->NrOfRows()), std::pair(10, 10));
  m->SetVal(12, 3, 1);
  EXPECT_EQ(std::pair(m->NrOfColumns(), m->NrOfRows()), std::pair(12, 10));
}

// Regression: Trace compared the bounding box's high column and row instead of the dimensions.
TEST(TIntMatrixSparse, TraceGoesByTheDimensions) {
  auto m = Sparse(1, {});
  m->Resize(3, 3);
  m->SetVal(1, 1, 5);
  m->SetVal(2, 1, 4);
  EXPECT_EQ(m->Trace(), 5);
  m->Resize(3, 2);
  EXPECT_EQ(m->Trace(), 0);
}

TEST(TIntMatrixSparse, TransposeTurnsTriplesBoxAndDimensions) {
  auto m = Sparse(1, {{1, 4, 8}, {2, 1, 9}});
  EXPECT_EQ(std::pair(m->NrOfColumns(), m->NrOfRows()), std::pair(2, 4));
  EXPECT_TRUE(m->Transpose());
  EXPECT_EQ(TriplesOf(*m), (Triples{{1, 2, 9}, {4, 1, 8}}));
  EXPECT_EQ(std::pair(m->NrOfColumns(), m->NrOfRows()), std::pair(4, 2));
  EXPECT_EQ(Box(*m), (std::array<int, 4>{1, 4, 1, 2}));
}

TEST(TIntMatrixSparse, FormChangesBothWays) {
  TIntMatrix m(nullptr);
  Load(m, {{0, 3}, {0, 4}});
  TEventLog log;
  log.Hook(m);
  m.ArrayToSparse(0);
  EXPECT_TRUE(m.IsSparse());
  EXPECT_EQ(TriplesOf(m), (Triples{{2, 1, 3}, {2, 2, 4}}));
  EXPECT_EQ(Box(m), (std::array<int, 4>{2, 2, 1, 2}));
  EXPECT_EQ(std::pair(m.NrOfColumns(), m.NrOfRows()), std::pair(2, 2));
  m.SetVal(3, 1, 1);
  m.SparseToArray();
  EXPECT_FALSE(m.IsSparse());
  EXPECT_EQ(Cells(m), (Rows{{0, 3, 1}, {0, 4, 0}}));
  EXPECT_EQ(log.Changes, 1);  // only the SetVal
  TIntMatrix e(nullptr, {5});
  e.SparseToArray();
  EXPECT_EQ(Cells(e), (Rows{{0}}));
}

TEST(TIntMatrixSparse, CloneTakesOverEverythingButOnlyBetweenEqualForms) {
  auto src = Sparse(4, {{3, 2, 1}});
  src->Resize(6, 6);
  auto dst = Sparse(1, {});
  dst->Clone(src.get());
  EXPECT_EQ(TriplesOf(*dst), TriplesOf(*src));
  EXPECT_EQ(std::tuple(dst->AllocBy(), dst->NumAllocated(), dst->NrOfColumns()), std::tuple(4, 4, 6));
  TIntMatrix dense(nullptr);
  Load(dense, {{1, 2}});
  dense.Clone(src.get());
  EXPECT_EQ(Cells(dense), (Rows{{1, 2}}));
  dst->Clone(&dense);
  EXPECT_EQ(TriplesOf(*dst), TriplesOf(*src));
}

TEST(TIntMatrixSparse, CopyFromWritesAnywhereAndReadsItselfFirst) {
  auto m = Sparse(1, {{1, 1, 1}, {2, 1, 2}, {3, 1, 3}});
  m->CopyFrom(m.get(), 1, 1, 3, 1, 2, 2);
  EXPECT_EQ(Cells(*m), (Rows{{1, 2, 3, 0}, {0, 1, 2, 3}}));
  m->CopyFrom(m.get(), 1, 1, 2, 1, 2, 1);
  EXPECT_EQ(Cells(*m), (Rows{{1, 1, 2, 0}, {0, 1, 2, 3}}));
}

// "Dense only" operations: those that need a value for every unstored cell or move unstored
// cells raise; the others work on the sparse form.
TEST(TIntMatrixSparse, OperationsOfTheDenseFormEitherWorkOrRaise) {
  auto m = Sparse(1, {{1, 1, 4}, {3, 2, -1}});
  m->SetName(u"S");
  EXPECT_THROW_MSG(m->SortRows(1, true, 0, 0, 0, 0), EQeltaMatrixError, "Component \"S\": SortRows needs a dense matrix");
  EXPECT_THROW_MSG(m->SortCols(1, true, 0, 0, 0, 0), EQeltaMatrixError, "Component \"S\": SortCols needs a dense matrix");
  EXPECT_THROW_MSG(m->SAdd(1), EQeltaMatrixError, "Component \"S\": SAdd needs a dense matrix");
  TIntMatrix d(nullptr);
  Load(d, Cells(*m));
  auto same = [&] {
    EXPECT_EQ(Cells(*m), Cells(d));
    EXPECT_EQ(m->CRCofData(), d.CRCofData());
  };
  same();
  for (auto* x : {static_cast<TIntMatrix*>(m.get()), &d}) {
    x->MirrorColumns();
    x->ExchangeRows(1, 2);
    x->SMult(-3);
    x->ExchangeColumns(3, 2);
  }
  same();
  d.MirrorRows();
  m->MirrorRows();
  same();
  EXPECT_EQ(m->FindInSortedColumn(3, true, 12), d.FindInSortedColumn(3, true, 12));
  EXPECT_EQ(TriplesOf(*m).size(), 2u);
}

TEST(TIntMatrixSparse, FindLooksAtStoredTriplesInStorageOrder) {
  auto m = Sparse(1, {{2, 2, 10}, {1, 3, 10}, {3, 1, 7}});
  int c = -1, r = -1;
  m->Find(0, 0, 0, 0, 9, c, r);
  EXPECT_EQ(std::pair(c, r), std::pair(1, 3));
  m->Find(2, 3, 0, 0, 0, c, r);
  EXPECT_EQ(std::pair(c, r), std::pair(3, 1));
  m->Find(1, 1, 1, 2, 0, c, r);
  EXPECT_EQ(std::pair(c, r), std::pair(0, 0));
}

// --- dense form and arithmetic --------------------------------------------------------------------

// Regression: the maximum started at -2147483647, so a range holding only -2147483648 reported a
// maximum that no cell has.
TEST(TIntMatrix, MinMaxSeedsFromTheFirstCell) {
  TIntMatrix m(nullptr);
  Load(m, {{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()}});
  int32_t mn = 0, mx = 0;
  m.MinMax(0, 0, 0, 0, mn, mx);
  EXPECT_EQ(mn, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(mx, std::numeric_limits<int32_t>::min());
}

TEST(TIntMatrix, AddAndSubtractByForm) {
  struct Case {
    const char* what;
    bool thisSparse, otherSparse;
    Rows other;
    bool ok;
    Rows want;
  } cases[] = {
      {"dense + dense", false, false, {{1, 1}, {1, 1}}, true, {{2, 3}, {4, 5}}},
      {"other size", false, false, {{1, 1}}, false, {{1, 2}, {3, 4}}},
      {"dense + fitting sparse", false, true, {{0, 5}, {0, 0}}, true, {{1, 7}, {3, 4}}},
      {"dense + wide sparse", false, true, {{0, 0, 5}}, false, {{1, 2}, {3, 4}}},
      {"sparse + dense", true, false, {{1, 1}, {1, 1}}, false, {{1, 2}, {3, 4}}},
  };
  for (const Case& c : cases) {
    TIntMatrix a(nullptr), b(nullptr);
    Load(a, {{1, 2}, {3, 4}});
    Load(b, c.other);
    if (c.thisSparse) a.ArrayToSparse(1);
    if (c.otherSparse) b.ArrayToSparse(1);
    EXPECT_EQ(a.Add(&b), c.ok) << c.what;
    EXPECT_EQ(Cells(a), c.want) << c.what;
    if (c.ok) {
      EXPECT_TRUE(a.Subtract(&b));
      EXPECT_EQ(Cells(a), (Rows{{1, 2}, {3, 4}})) << c.what;
    }
  }
  TIntMatrix a(nullptr);
  EXPECT_FALSE(a.Add(nullptr));
}

TEST(TIntMatrix, ProductsCheckShapesAndWrap) {
  TIntMatrix a(nullptr), b(nullptr), res(nullptr);
  Load(a, {{1, 2, 3}, {4, 5, 6}});  // 3 columns, 2 rows
  Load(b, {{1, 0}, {0, 1}, {1, 1}});  // 2 columns, 3 rows
  res.Resize(2, 2);
  ASSERT_TRUE(a.Multiply(&b, &res));
  EXPECT_EQ(Cells(res), (Rows{{4, 5}, {10, 11}}));
  res.Resize(3, 2);
  EXPECT_FALSE(a.Multiply(&b, &res));
  res.Resize(2, 3);
  TIntMatrix c(nullptr);
  Load(c, {{1, 0}, {0, 1}});  // this and c have 2 rows
  res.Resize(2, 3);
  ASSERT_TRUE(a.TransposeAndMultiply(&c, &res));
  EXPECT_EQ(Cells(res), (Rows{{1, 4}, {2, 5}, {3, 6}}));
  TIntMatrix big(nullptr), one(nullptr), out(nullptr);
  Load(big, {{65536}});
  Load(one, {{65536}});
  out.Resize(1, 1);
  big.Multiply(&one, &out);
  EXPECT_EQ(out.GetVal(1, 1), 0);  // 2^32 wraps to 0
}

TEST(TIntMatrix, DenseSparseAndWatchedProductsAgree) {
  // The dense block product, the cell-by-cell product of the sparse form and a result that reports
  // each cell (one event per cell, as SetVal gives) all hold the same wrapped cells.
  std::mt19937 gen(2123);
  TIntMatrix a(nullptr), b(nullptr), dense(nullptr), watched(nullptr);
  TIntMatrix sa(nullptr, TIntMatrix::TSparseForm{8}), sparseRes(nullptr, TIntMatrix::TSparseForm{8});
  a.Resize(23, 37), b.Resize(9, 23), dense.Resize(9, 37), watched.Resize(9, 37), sa.Resize(23, 37), sparseRes.Resize(9, 37);
  for (int c = 1; c <= 23; ++c)
    for (int r = 1; r <= 37; ++r) {
      const int32_t v = gen() % 3 == 0 ? 0 : static_cast<int32_t>(gen());
      a.SetVal(c, r, v);
      sa.SetVal(c, r, v);
    }
  for (int c = 1; c <= 9; ++c)
    for (int r = 1; r <= 23; ++r) b.SetVal(c, r, static_cast<int32_t>(gen()));
  int events = 0;
  watched.OnChange = [&](TObject*) { ++events; };
  ASSERT_TRUE(a.Multiply(&b, &dense));
  ASSERT_TRUE(a.Multiply(&b, &watched));
  ASSERT_TRUE(sa.Multiply(&b, &sparseRes));
  EXPECT_EQ(events, 9 * 37);
  for (int c = 1; c <= 9; ++c)
    for (int r = 1; r <= 37; ++r) {
      uint32_t sum = 0;
      for (int k = 1; k <= 23; ++k) sum += uint32_t(a.GetVal(k, r)) * uint32_t(b.GetVal(c, k));
      ASSERT_EQ(dense.GetVal(c, r), static_cast<int32_t>(sum)) << c << "," << r;
      ASSERT_EQ(watched.GetVal(c, r), dense.GetVal(c, r));
      ASSERT_EQ(sparseRes.GetVal(c, r), dense.GetVal(c, r));
    }
}

// Regression: a result matrix that was also an operand was overwritten while the product still
// read it.
TEST(TIntMatrix, ProductIntoAnOperandIsComputedFirst) {
  TIntMatrix a(nullptr), b(nullptr);
  Load(a, {{1, 2}, {3, 4}});
  Load(b, {{0, 1}, {1, 0}});
  ASSERT_TRUE(a.Multiply(&b, &a));
  EXPECT_EQ(Cells(a), (Rows{{2, 1}, {4, 3}}));
  TIntVector v(nullptr);
  v.Resize(2);
  v.SetVal(1, 1);
  v.SetVal(2, 10);
  ASSERT_TRUE(a.TransposeAndMultiply(&v, &v));
  EXPECT_EQ(v.GetVal(1), 2 + 40);
  EXPECT_EQ(v.GetVal(2), 1 + 30);
}

TEST(TIntMatrix, VectorProductWritesEveryPartialSum) {
  TIntMatrix a(nullptr);
  Load(a, {{1, 2}, {3, 4}, {5, 6}});  // 2 columns, 3 rows
  TIntVector b(nullptr), res(nullptr);
  b.Resize(3);
  b.Fill(1);
  res.Resize(2);
  int writes = 0;
  res.OnChange = [&](TObject*) { ++writes; };
  TEventLog log;
  log.Hook(a);
  ASSERT_TRUE(a.TransposeAndMultiply(&b, &res));
  EXPECT_EQ(res.GetVal(1), 9);
  EXPECT_EQ(res.GetVal(2), 12);
  EXPECT_EQ(writes, 6);
  EXPECT_EQ(log.Changes, 1);
  res.Resize(3);
  EXPECT_FALSE(a.TransposeAndMultiply(&b, &res));
}

TEST(TIntMatrix, SortRowsReportsRowExchangesWithTheColumnRange) {
  TIntMatrix m(nullptr);
  Load(m, {{9, 3}, {8, 1}, {7, 2}});
  TEventLog log;
  log.Hook(m);
  m.SortRows(2, true, 2, 0, 2, 0);
  EXPECT_EQ(Cells(m), (Rows{{9, 1}, {8, 2}, {7, 3}}));
  for (const auto& e : log.Exchanges) EXPECT_EQ((std::array<int, 3>{e[0], e[3], e[4]}), (std::array<int, 3>{2, 2, 2}));
  EXPECT_EQ(log.Changes, 1);
}

TEST(TIntMatrix, SumsAndSearchesOfTheDenseForm) {
  TIntMatrix m(nullptr);
  Load(m, {{1, 3, 5}, {7, 9, 11}});
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 36);
  EXPECT_EQ(m.Sum(2, 1, 3, 2), 28);
  EXPECT_EQ(m.FindInSortedColumn(3, true, 8), 2);  // 5 and 11: 3 against 3, the upper one
  EXPECT_EQ(m.FindInSortedColumn(4, true, 8), 0);
  int c = 0, r = 0;
  m.Find(0, 0, 0, 0, 8, c, r);
  EXPECT_EQ(std::pair(c, r), std::pair(1, 2));
  m.Resize(2, 2);
  EXPECT_EQ(m.Trace(), 10);
}

TEST(TIntMatrix, CRCofDataAgreesWithLaneWiseZlibInBothForms) {
  std::mt19937 gen(3);
  TIntMatrix m(nullptr);
  m.Resize(9, 7);
  std::vector<int32_t> colMajor;
  for (int c = 1; c <= 9; ++c)
    for (int r = 1; r <= 7; ++r) {
      const int32_t v = gen() % 3 == 0 ? static_cast<int32_t>(gen()) : 0;
      m.SetVal(c, r, v);
      colMajor.push_back(v);
    }
  const std::string want = test::ZlibLanes(colMajor);
  EXPECT_EQ(StringToUtf8(m.CRCofData()), want);
  m.ArrayToSparse(8);
  EXPECT_EQ(StringToUtf8(m.CRCofData()), want);
}

// --- randomised: sparse against a plain reference -------------------------------------------------

namespace {

// The sparse matrix's contract in a few lines: stored cells (zeros included) and dimensions.
struct TReference {
  int Cols = 0, Rows = 0;
  std::map<std::pair<int, int>, int32_t> Cells;

  void Set(int c, int r, int32_t v) {
    Cells[{c, r}] = v;
    Cols = std::max(Cols, c);
    Rows = std::max(Rows, r);
  }
  void Resize(int nc, int nr) {
    Cols = nc;
    Rows = nr;
    std::erase_if(Cells, [&](const auto& e) { return e.first.first > nc || e.first.second > nr; });
  }
  void Transpose() {
    std::map<std::pair<int, int>, int32_t> t;
    for (const auto& [k, v] : Cells) t[{k.second, k.first}] = v;
    Cells.swap(t);
    std::swap(Cols, Rows);
  }
  void Fill(int32_t v) {
    if (v == 0) Cells.clear();
    for (auto& e : Cells) e.second = v;
  }
  int32_t Get(int c, int r) const {
    const auto it = Cells.find({c, r});
    return it == Cells.end() ? 0 : it->second;
  }
};

void ExpectSame(const TIntMatrix& m, const TReference& ref, int step) {
  ASSERT_EQ(std::pair(m.NrOfColumns(), m.NrOfRows()), std::pair(ref.Cols, ref.Rows)) << step;
  ASSERT_EQ(m.SparseNumElem(), static_cast<int>(ref.Cells.size())) << step;
  int i = 1, sum = 0;
  std::array<int, 4> box = kEmptyBox;
  for (const auto& [k, v] : ref.Cells) {  // the map's order is the triples' order
    const TSpMatElemInt e = m.SparseElem(i++);
    ASSERT_EQ((std::array<int, 3>{e.colidx, e.rowidx, e.value}), (std::array<int, 3>{k.first, k.second, v})) << step;
    sum += v;
    box = {std::min(box[0], k.first), std::max(box[1], k.first), std::min(box[2], k.second), std::max(box[3], k.second)};
  }
  EXPECT_EQ(Box(m), box) << step;
  EXPECT_EQ(m.Sum(0, 0, 0, 0), sum) << step;
  for (int c = 0; c <= ref.Cols + 1; ++c)
    for (int r = 0; r <= ref.Rows + 1; ++r) ASSERT_EQ(m.GetVal(c, r), ref.Get(c, r)) << step << " " << c << "," << r;
}

}  // namespace

// Two references: the contract in a few lines (stored cells and dimensions) and a dense matrix
// driven alongside, whose cells, sums and fingerprint must agree at every step.
TEST(TIntMatrixSparse, BehavesAsItsReferencesUnderRandomOperations) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    std::mt19937 gen(seed);
    auto pick = [&gen](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
    auto m = Sparse(pick(1, 5), {});
    TReference ref;
    TIntMatrix dense(nullptr);
    dense.Resize(0, 0);
    for (int step = 0; step < 400; ++step) {
      const int op = pick(0, 99);
      if (op < 70) {
        const int c = pick(1, 14), r = pick(1, 14), v = pick(-4, 4);
        m->SetVal(c, r, v);
        ref.Set(c, r, v);
        dense.Resize(ref.Cols, ref.Rows);
        dense.SetVal(c, r, v);
      } else if (op < 80) {
        const int nc = pick(0, 14), nr = pick(0, 14);
        m->Resize(nc, nr);
        ref.Resize(nc, nr);
        dense.Resize(nc, nr);
      } else if (op < 88) {
        m->Transpose();
        ref.Transpose();
        dense.Transpose();
      } else if (op < 94) {
        auto copy = Sparse(1, {});
        copy->Clone(m.get());
        m = std::move(copy);
      } else {
        const int v = pick(0, 1) * 3;
        m->Fill(v);
        for (const auto& [k, old] : ref.Cells) dense.SetVal(k.first, k.second, v);
        ref.Fill(v);
      }
      ExpectSame(*m, ref, step);
      ASSERT_EQ(m->CRCofData(), dense.CRCofData()) << step;
      ASSERT_EQ(m->Sum(2, 3, 9, 11), dense.Sum(2, 3, 9, 11)) << step;
      if (HasFatalFailure()) return;
    }
    auto converted = Sparse(1, {});
    converted->Clone(m.get());
    converted->SparseToArray();
    EXPECT_EQ(Cells(*converted), Cells(dense)) << seed;
  }
}

// --- files ----------------------------------------------------------------------------------------

TEST(TIntMatrixSparse, XmlListsTriplesAndRoundTrips) {
  auto m = Sparse(2, {{3, 1, 7}, {1, 2, 0}});
  m->Resize(4, 2);
  TMemoryStream s;
  m->WriteToXMLStream(s, false, u"sp");
  EXPECT_EQ(test::BytesOf(s),
            "\r\n<!-- TIntMatrix / Qeltakit -->\r\n"
            "<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"sp\" form=\"sparse\">\r\n"
            "  <numcols>4</numcols>\r\n  <numrows>2</numrows>\r\n"
            "  <cells row=\"2\" col=\"1\">0</cells>\r\n"
            "  <cells row=\"1\" col=\"3\">7</cells>\r\n"
            "</matrix>\r\n");
  auto r = Sparse(5, {{9, 9, 9}});
  s.SetPosition(0);
  ASSERT_TRUE(r->ReadFromXMLStream(s, u"SP"));
  EXPECT_EQ(TriplesOf(*r), TriplesOf(*m));
  EXPECT_EQ(std::tuple(r->NrOfColumns(), r->NrOfRows(), r->NumAllocated()), std::tuple(4, 2, 5));
  TIntMatrix dense(nullptr);
  s.SetPosition(0);
  ASSERT_TRUE(dense.ReadFromXMLStream(s, u""));
  EXPECT_EQ(Cells(dense), (Rows{{0, 0, 7, 0}, {0, 0, 0, 0}}));
  TMemoryStream t;
  dense.WriteToXMLStream(t, true, u"d");
  t.SetPosition(0);
  ASSERT_TRUE(r->ReadFromXMLStream(t, u"d"));  // a dense element into a sparse matrix: non-zero cells only
  EXPECT_EQ(TriplesOf(*r), (Triples{{3, 1, 7}}));
}

TEST(TIntMatrix, XmlReaderRoundsNumbers) {
  const std::string text =
      "<matrix sig=\"Qeltakit\" vers=\"1.0\" id=\"\">\n<numcols>3</numcols><numrows>1</numrows>\n"
      "<cells row=\"1\" col=\"1\">2.5 -0.5 7e2</cells>\n</matrix>\n";
  TIntMatrix m(nullptr);
  TMemoryStream s;
  test::Fill(s, text);
  ASSERT_TRUE(m.ReadFromXMLStream(s, u""));
  EXPECT_EQ(Cells(m), (Rows{{2, 0, 700}}));
  test::Fill(s, "<matrix sig=\"Qeltakit\" id=\"\">\n<numcols>1</numcols><numrows>1</numrows>\n"
                "<cells row=\"1\" col=\"1\">3e9</cells>\n</matrix>\n");
  EXPECT_FALSE(m.ReadFromXMLStream(s, u""));
  EXPECT_EQ(Cells(m), (Rows{{2, 0, 700}}));
}

TEST(TIntMatrix, TextAndStreamFormsOfBothForms) {
  test::TempDir dir;
  auto m = Sparse(1, {{2, 1, -4}, {1, 2, 5}});
  ASSERT_TRUE(m->StoreOnFile(0, 0, 0, 0, dir / "m.txt"));
  EXPECT_EQ(dir.Get("m.txt"), "1 1 2 2\r\n0 -4\r\n5 0\r\n");
  TMemoryStream s;
  ASSERT_TRUE(m->SaveToStream(s, 2, 0, 2, 0));
  using test::I32;
  EXPECT_EQ(test::BytesOf(s), I32(2) + I32(1) + I32(2) + I32(2) + I32(-4) + I32(0));
  auto r = Sparse(1, {{2, 2, 9}});
  s.SetPosition(0);
  ASSERT_TRUE(r->LoadFromStream(&s, false));
  EXPECT_EQ(TriplesOf(*r), (Triples{{2, 1, -4}, {2, 2, 0}}));  // a 0 only where a triple stood
  TIntMatrix d(nullptr);
  ASSERT_TRUE(d.LoadFromFile(dir / "m.txt", true));
  EXPECT_EQ(Cells(d), (Rows{{0, -4}, {5, 0}}));
}

// Regression (found by the mutation sweep): a 43-byte stream with the empty row range 1..0 and
// 16,777,219 columns passed the size check, which counted no cells, while the storage keeps one row
// of cells across all those columns (64 MiB). The check counts the storage now.
TEST(TIntMatrix, AnEmptyDimensionCannotMakeTheOtherHuge) {
  using test::I32;
  TMemoryStream s;
  test::Fill(s, I32(1025) + I32(1) + I32(16777219) + I32(0) + std::string(27, '\0'));
  TIntMatrix m(nullptr);
  m.Resize(2, 2);
  EXPECT_FALSE(m.LoadFromStream(&s, true));
  EXPECT_EQ(std::pair(m.NrOfColumns(), m.NrOfRows()), std::pair(2, 2));
  test::TempDir dir;
  dir.Put("m.txt", "1 1 16777219 0\r\n");
  EXPECT_FALSE(m.LoadFromFile(dir / "m.txt", true));
  EXPECT_EQ(std::pair(m.NrOfColumns(), m.NrOfRows()), std::pair(2, 2));
}

TEST(TIntMatrix, SparseFileLayoutAndRoundTrip) {
  test::TempDir dir;
  auto m = Sparse(3, {{2, 5, -1}, {4, 1, 6}});
  m->Resize(7, 8);
  ASSERT_TRUE(m->StoreSparseMat(dir / "m.spm"));
  const std::string bytes = dir.Get("m.spm");
  using test::I32;
  const std::string head = "QELTASPM" + I32(1) + I32(7) + I32(8) + I32(3) + I32(2) + I32(4) + I32(1) + I32(5) + I32(2);
  ASSERT_EQ(bytes.size(), 48u + 24u);
  EXPECT_EQ(bytes.substr(0, 44), head);
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(head.data()), 44);
  EXPECT_EQ(bytes.substr(44, 4), I32(static_cast<int32_t>(crc)));
  EXPECT_EQ(bytes.substr(48), I32(2) + I32(5) + I32(-1) + I32(4) + I32(1) + I32(6));
  TIntMatrix r(nullptr);
  TEventLog log;
  log.Hook(r);
  ASSERT_TRUE(r.LoadSparseMat(dir / "m.spm"));
  EXPECT_TRUE(r.IsSparse());
  EXPECT_EQ(TriplesOf(r), TriplesOf(*m));
  EXPECT_EQ(std::tuple(r.NrOfColumns(), r.NrOfRows(), r.AllocBy(), r.NumAllocated()), std::tuple(7, 8, 3, 3));
  EXPECT_EQ(log.Changes, 1);
  TIntMatrix dense(nullptr);
  Load(dense, {{0, 2}});
  ASSERT_TRUE(dense.StoreSparseMat(dir / "d.spm"));
  ASSERT_TRUE(r.LoadSparseMat(dir / "d.spm"));
  EXPECT_EQ(TriplesOf(r), (Triples{{2, 1, 2}}));
}

TEST(TIntMatrix, SparseFileRefusesDamagedFilesAndKeepsTheMatrix) {
  test::TempDir dir;
  using test::I32;
  // A header with its CRC; body bytes follow.
  auto file = [](int cols, int rows, int allocBy, std::array<int, 4> box, int n, const std::string& body) {
    std::string h = "QELTASPM" + I32(1) + I32(cols) + I32(rows) + I32(allocBy) + I32(box[0]) + I32(box[1]) +
                    I32(box[2]) + I32(box[3]) + I32(n);
    h += I32(static_cast<int32_t>(crc32(0L, reinterpret_cast<const Bytef*>(h.data()), 44)));
    return h + body;
  };
  const std::string t11 = I32(1) + I32(1) + I32(5), t21 = I32(2) + I32(1) + I32(6);
  std::string badCrc = file(2, 2, 1, {1, 2, 1, 1}, 2, t11 + t21);
  badCrc[44] ^= 1;
  const std::string cases[] = {
      badCrc,
      file(2, 2, 1, {1, 2, 1, 1}, 2, t21 + t11),          // out of order
      file(2, 2, 1, {1, 2, 1, 1}, 2, t11 + t11),          // twice the same cell
      file(1, 2, 1, {1, 2, 1, 1}, 2, t11 + t21),          // a triple outside the dimensions
      file(2, 2, 1, {1, 1, 1, 1}, 2, t11 + t21),          // a box that is not the triples' box
      file(2, 2, 1, {1, 2, 1, 1}, 3, t11 + t21),          // more triples announced than stored
      file(2, 2, 1, {1, 2, 1, 1}, 2, t11 + t21 + "x"),    // trailing bytes
      file(2, 2, 0, {1, 2, 1, 1}, 2, t11 + t21),          // growth step 0
      file(-1, 2, 1, kEmptyBox, 0, ""),                   // negative dimension
      file(2, 2, 1, {1, 2, 1, 1}, 2, t11 + t21).substr(0, 40),
      std::string("QELTAMAT") + std::string(60, '\0'),
  };
  for (const std::string& bytes : cases) {
    dir.Put("bad.spm", bytes);
    TIntMatrix m(nullptr);
    Load(m, {{3}});
    EXPECT_FALSE(m.LoadSparseMat(dir / "bad.spm"));
    EXPECT_FALSE(m.IsSparse());
    EXPECT_EQ(Cells(m), (Rows{{3}}));
  }
  dir.Put("good.spm", file(2, 2, 1, {1, 2, 1, 1}, 2, t11 + t21));
  TIntMatrix m(nullptr);
  EXPECT_TRUE(m.LoadSparseMat(dir / "good.spm"));
  EXPECT_FALSE(m.LoadSparseMat(dir / "missing.spm"));
}
