// Qelta_datatable: whole-table operations of TDataTable: sorting, exchanging and mirroring, the long
// form, the two fingerprints, copying and borrowing a matrix.
//
// Sorting by values runs NumericData's comb sort; every exchange it makes reaches ExchangeDuringSort
// through the hook and moves the states (and headers) along. The name and attribute sorts are the
// table's own comb sort with the same gap rule (Trunc(gap / 1.3), at least 1, until a pass with gap 1
// exchanges nothing). Cells are swapped straight in the storage when no handler could tell the
// difference from the matrix's SetVal (the table's hook attached and no OnChange handler), else
// through GetVal/SetVal so that every write reaches the handlers.
// Handlers may change the table from within an event: loops re-read the counts after each event,
// and the sorts bound their scans by the live counts.
// Deliberate deviations, each a mended fault:
//  - SortRows / SortCols also move the states of a key column (row) outside LowCol..HighCol
//    (LowRow..HighRow): the matrix moves its values, and the classic exchange left its empty and
//    not-a-number flags behind on other values. A sort of NumericData itself stays as it was.
//  - ExchangeColumns / ExchangeRows with an index outside the table do nothing.
//  - Serialize with ColHeadsAsVar clears the states of the "(column)" cells, which hold a number
//    each (they kept whatever states the first column's rows had); m x n beyond the row range raises.
//  - AssignAnotherDataMatrix sizes only the table's arrays and unhooks a previously borrowed matrix
//    (the classic step resized the earlier caller's matrix and left it hooked, so the table went on
//    receiving its events and left a dangling handler behind when it was freed). nil or the matrix
//    in use change nothing.

#include <algorithm>
#include <climits>
#include <numeric>
#include <span>
#include <string>
#include <type_traits>

#include "Qelta_datatable.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

namespace {

/// Saves an event handler and clears it; the handler comes back when the scope ends.
template <typename F>
class TEventHold {
 public:
  explicit TEventHold(F& event) : FEvent(event), FSaved(std::move(event)) { FEvent = nullptr; }
  ~TEventHold() { FEvent = std::move(FSaved); }
  TEventHold(const TEventHold&) = delete;
  TEventHold& operator=(const TEventHold&) = delete;

 private:
  F& FEvent;
  F FSaved;
};

/// Detaches NumericData.OnChange for a scope and restores it, unless the table has changed its
/// matrix meanwhile (the old one may be gone).
class THookHold {
 public:
  explicit THookHold(TMatrix*& data) : FData(data), FMatrix(data), FSaved(std::move(data->OnChange)) {
    data->OnChange = nullptr;
  }
  ~THookHold() {
    if (FData == FMatrix) FMatrix->OnChange = std::move(FSaved);
  }
  THookHold(const THookHold&) = delete;
  THookHold& operator=(const THookHold&) = delete;

 private:
  TMatrix*& FData;
  TMatrix* FMatrix;
  TNotifyEvent FSaved;
};

/// Byte-wise comparison of names (unsigned), with A-Z folded when ignoreCase.
bool NameLess(const TDTNameStr& a, const TDTNameStr& b, bool ignoreCase) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (ignoreCase) {
      if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
      if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    }
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

/// The comb sort's passes over positions lo..hi (gap Trunc(gap / 1.3), at least 1, until a pass with
/// gap 1 exchanges nothing): exchange(a, b) for every a < b that outOfOrder(a, b) finds; a scan stops
/// at limit() (the live count, which a handler may lower).
template <typename OutOfOrder, typename Exchange, typename Limit>
void CombPasses(int lo, int hi, OutOfOrder&& outOfOrder, Exchange&& exchange, Limit&& limit) {
  int64_t gap = int64_t{hi} - lo;
  if (gap <= 0) return;
  bool swapped = false;
  do {
    gap = num_detail::NextCombGap(gap);
    swapped = false;
    for (int64_t i = lo; i + gap <= std::min(hi, limit()); ++i) {
      const int a = static_cast<int>(i), b = static_cast<int>(i + gap);
      if (!outOfOrder(a, b)) continue;
      exchange(a, b);
      swapped = true;
    }
  } while (gap > 1 || swapped);
}

/// The eight CRC-32 registers of the fingerprints, each fed its own bytes: they are gathered per
/// register and taken in blocks, so that a byte costs a store (names and states come a few bytes at
/// a time, in turn to every register).
class TFingerprint {
 public:
  TFingerprint() { std::fill(std::begin(FReg), std::end(FReg), 0xFFFFFFFFu); }
  /// Feeds byte b into register k (0..7).
  void Feed(int k, uint8_t b) {
    FBlock[k][FUsed[k]] = b;
    if (++FUsed[k] == kBlock) Flush(k);
  }
  /// The complemented registers as 8 upper-case hexadecimal digits each, register 0 first.
  String Text() {
    String s;
    for (int k = 0; k < 8; ++k) {
      Flush(k);
      s += Hex(static_cast<int>(~FReg[k]), 8);
    }
    return s;
  }

 private:
  static constexpr std::size_t kBlock = 256;
  void Flush(int k) {
    FReg[k] = core_detail::Crc32Update(FReg[k], FBlock[k], FUsed[k]);
    FUsed[k] = 0;
  }
  uint32_t FReg[8];
  uint8_t FBlock[8][kBlock];
  std::size_t FUsed[8] = {};
};

/// Feeds the bytes of a text into the registers, byte position p (from 1) into register p mod 8.
template <typename Text>
void FeedText(TFingerprint& reg, const Text& text) {
  int p = 0;
  for (auto ch : text) reg.Feed(++p % 8, static_cast<uint8_t>(ch));
}

/// Feeds one byte per position of a run (position p from 1 into register p mod 8).
void FeedBytes(TFingerprint& reg, std::span<const uint8_t> bytes) { FeedText(reg, bytes); }

}  // namespace

// [SECTION] sorting by values

void TDataTable::SortByMatrix(uint8_t keyWhat, int key, bool IncludeHeaders, const std::function<void()>& sort) {
  FSortIncludeHd = IncludeHeaders;
  struct TKeyScope {  // the key of an enclosing sort comes back on every exit
    TDataTable& T;
    uint8_t What;
    int Key;
    ~TKeyScope() {
      T.FSortKeyWhat = What;
      T.FSortKey = Key;
    }
  } scope{*this, FSortKeyWhat, FSortKey};
  FSortKeyWhat = keyWhat;
  FSortKey = key;
  sort();
}

void TDataTable::SortRowsReported(int SortColIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (!ColInside(SortColIx) || LowCol < 1 || HighRow - LowRow < 1) return;  // the matrix sorts nothing
  const TMatrix* data = NumericData;
  const int nc = FNrOfCols, nr = FNrOfRows;
  const double* key = num_detail::TMatrixAccess::Column(*NumericData, SortColIx) - 1;
  const auto unchanged = [&] {  // a handler that reshapes the table or swaps its matrix ends the sort
    return NumericData == data && FNrOfCols == nc && FNrOfRows == nr && NumericData->NrOfColumns() == nc &&
           NumericData->NrOfRows() == nr && num_detail::TMatrixAccess::Column(*NumericData, SortColIx) - 1 == key;
  };
  std::function<bool(int, int)> report;
  if (OnSortExchange)
    report = [&](int a, int b) {
      OnSortExchange(this, 2, a, b, LowCol, HighCol);
      return unchanged();
    };
  const std::vector<int> perm = CombPermutation(
      LowRow, HighRow, [key, Ascending](int a, int b) { return Ascending ? key[a] > key[b] : key[a] < key[b]; }, report);
  const bool outside = SortColIx < LowCol || SortColIx > HighCol;
  if (unchanged()) PermuteRows(perm, LowRow, LowCol, HighCol, outside ? SortColIx : 0, FSortIncludeHd);
}

void TDataTable::SortRows(int SortColIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow,
                          bool IncludeHeaders) {
  if (ContentsUnobserved(true)) {
    FSortIncludeHd = IncludeHeaders;
    SortRowsReported(SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow);
  } else {
    SortByMatrix(2, SortColIx, IncludeHeaders,
                 [&] { NumericData->SortRows(SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow); });
  }
  if (IncludeHeaders) {
    ChangedNames();
    ChangedAttrib();
  }
}

void TDataTable::SortCols(int SortRowIx, bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow,
                          bool IncludeHeaders) {
  if (ExchangesUnobserved(true)) {
    FSortIncludeHd = IncludeHeaders;
    MakeValidColRange(LowCol, HighCol);
    MakeValidRowRange(LowRow, HighRow);
    if (RowInside(SortRowIx) && LowRow >= 1 && HighCol - LowCol >= 1) {
      const auto key = [this, SortRowIx](int c) { return num_detail::TMatrixAccess::Column(*NumericData, c)[SortRowIx - 1]; };
      const bool outside = SortRowIx < LowRow || SortRowIx > HighRow;
      PermuteCols(CombPermutation(LowCol, HighCol, [key, Ascending](int a, int b) {
                    return Ascending ? key(a) > key(b) : key(a) < key(b);
                  }),
                  LowCol, LowRow, HighRow, outside ? SortRowIx : 0, IncludeHeaders);
    }
  } else {
    SortByMatrix(1, SortRowIx, IncludeHeaders,
                 [&] { NumericData->SortCols(SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow); });
  }
  if (IncludeHeaders) {
    ChangedNames();
    ChangedAttrib();
  }
}

void TDataTable::ExchangeDuringSort(TObject* /*Sender*/, uint8_t ExchgWhat, int index1, int index2, int first,
                                    int last) {
  const std::size_t a = static_cast<std::size_t>(index1 - 1), b = static_cast<std::size_t>(index2 - 1);
  if (ExchgWhat == 1 && ColInside(index1) && ColInside(index2)) {
    if (FSortIncludeHd) {
      std::swap(FColAtt[a], FColAtt[b]);
      std::swap(FVType[a], FVType[b]);
      std::swap(FColName[a], FColName[b]);
    }
    uint8_t* x = StatesOf(index1);
    uint8_t* y = StatesOf(index2);
    for (int r = std::max(first, 1); r <= std::min(last, FNrOfRows); ++r) std::swap(x[r - 1], y[r - 1]);
    if (FSortKeyWhat == 1 && RowInside(FSortKey) && (FSortKey < first || FSortKey > last))
      std::swap(x[FSortKey - 1], y[FSortKey - 1]);
  } else if (ExchgWhat != 1 && RowInside(index1) && RowInside(index2)) {
    if (FSortIncludeHd) {
      std::swap(FRowAtt[a], FRowAtt[b]);
      std::swap(FRowName[a], FRowName[b]);
    }
    for (int c = std::max(first, 1); c <= std::min(last, FNrOfCols); ++c) std::swap(StatesOf(c)[a], StatesOf(c)[b]);
    if (FSortKeyWhat == 2 && ColInside(FSortKey) && (FSortKey < first || FSortKey > last))
      std::swap(StatesOf(FSortKey)[a], StatesOf(FSortKey)[b]);
  }
  if (OnSortExchange) OnSortExchange(this, ExchgWhat, index1, index2, first, last);
}

// [SECTION] sorting by names and attributes

void TDataTable::SwapRowsWhole(int a, int b, int lc, int hc) {
  std::swap(FRowName[static_cast<std::size_t>(a - 1)], FRowName[static_cast<std::size_t>(b - 1)]);
  std::swap(FRowAtt[static_cast<std::size_t>(a - 1)], FRowAtt[static_cast<std::size_t>(b - 1)]);
  for (int c = lc; c <= std::min(hc, FNrOfCols); ++c) {
    const double va = NumericData->GetVal(c, a), vb = NumericData->GetVal(c, b);
    WriteCell(c, a, vb);
    WriteCell(c, b, va);
    if (c > FNrOfCols || !RowInside(a) || !RowInside(b)) return;  // a handler shrank the table
    uint8_t* states = StatesOf(c);
    std::swap(states[a - 1], states[b - 1]);
  }
}

void TDataTable::SwapColsWhole(int a, int b, int lr, int hr) {
  const std::size_t x = static_cast<std::size_t>(a - 1), y = static_cast<std::size_t>(b - 1);
  std::swap(FColName[x], FColName[y]);
  std::swap(FColAtt[x], FColAtt[y]);
  std::swap(FVType[x], FVType[y]);
  const int hi = std::min(hr, FNrOfRows);
  if (MatrixWritesUnseen() && std::max(a, b) <= NumericData->NrOfColumns() && hi <= NumericData->NrOfRows()) {
    if (lr <= hi) {
      double* ca = num_detail::TMatrixAccess::Column(*NumericData, a);
      double* cb = num_detail::TMatrixAccess::Column(*NumericData, b);
      std::swap_ranges(ca + (lr - 1), ca + hi, cb + (lr - 1));
      std::swap_ranges(StatesOf(a) + (lr - 1), StatesOf(a) + hi, StatesOf(b) + (lr - 1));
    }
    return;
  }
  for (int r = lr; r <= std::min(hr, FNrOfRows); ++r) {
    const double va = NumericData->GetVal(a, r), vb = NumericData->GetVal(b, r);
    NumericData->SetVal(a, r, vb);
    NumericData->SetVal(b, r, va);
    if (!ColInside(a) || !ColInside(b) || r > FNrOfRows) return;  // a handler shrank the table
    std::swap(StatesOf(a)[r - 1], StatesOf(b)[r - 1]);
  }
}

std::vector<int> TDataTable::CombPermutation(int lo, int hi, const std::function<bool(int, int)>& outOfOrder,
                                             const std::function<bool(int, int)>& report) {
  std::vector<int> perm(static_cast<std::size_t>(std::max(hi - lo + 1, 0)));
  std::iota(perm.begin(), perm.end(), lo);
  int* p = perm.data() - lo;  // p[i] is the item now at position i
  bool going = true;
  CombPasses(
      lo, hi, [&](int a, int b) { return outOfOrder(p[a], p[b]); },
      [&](int a, int b) {
        std::swap(p[a], p[b]);
        if (report) going = report(a, b);
      },
      [hi, lo, &going] { return going ? hi : lo - 1; });
  if (!going) perm.clear();
  return perm;
}

void TDataTable::PermuteRows(const std::vector<int>& perm, int lo, int lc, int hc, int extraCol, bool headers) {
  if (perm.empty()) return;
  const auto gather = [&](auto* cells) {  // cells[r] is row r
    std::vector<std::remove_cv_t<std::remove_reference_t<decltype(*cells)>>> moved(perm.size());
    for (std::size_t i = 0; i < perm.size(); ++i) moved[i] = std::move(cells[perm[i]]);
    std::move(moved.begin(), moved.end(), cells + lo);
  };
  for (int c = lc; c <= hc + (extraCol != 0 ? 1 : 0); ++c) {
    const int col = c <= hc ? c : extraCol;
    gather(num_detail::TMatrixAccess::Column(*NumericData, col) - 1);
    gather(StatesOf(col) - 1);
  }
  if (headers) {
    gather(FRowName.data() - 1);
    gather(FRowAtt.data() - 1);
  }
}

void TDataTable::PermuteCols(const std::vector<int>& perm, int lo, int lr, int hr, int extraRow, bool headers) {
  if (perm.empty()) return;
  const std::size_t rows = static_cast<std::size_t>(hr - lr + 1);
  std::vector<double> values(perm.size() * rows);
  std::vector<uint8_t> states(perm.size() * rows);
  const auto each = [&](auto&& fn) {  // fn(position k, source column, target column)
    for (std::size_t k = 0; k < perm.size(); ++k) fn(k, perm[k], lo + static_cast<int>(k));
  };
  each([&](std::size_t k, int from, int) {
    std::copy_n(num_detail::TMatrixAccess::Column(*NumericData, from) + (lr - 1), rows, values.begin() + k * rows);
    std::copy_n(StatesOf(from) + (lr - 1), rows, states.begin() + k * rows);
  });
  std::vector<double> extraValues(perm.size());
  std::vector<uint8_t> extraStates(perm.size());
  if (extraRow != 0)
    each([&](std::size_t k, int from, int) {
      extraValues[k] = num_detail::TMatrixAccess::Column(*NumericData, from)[extraRow - 1];
      extraStates[k] = StatesOf(from)[extraRow - 1];
    });
  each([&](std::size_t k, int, int to) {
    double* column = num_detail::TMatrixAccess::Column(*NumericData, to);
    std::copy_n(values.begin() + k * rows, rows, column + (lr - 1));
    std::copy_n(states.begin() + k * rows, rows, StatesOf(to) + (lr - 1));
    if (extraRow != 0) {
      column[extraRow - 1] = extraValues[k];
      StatesOf(to)[extraRow - 1] = extraStates[k];
    }
  });
  if (!headers) return;
  const auto gather = [&](auto& header) {
    std::remove_reference_t<decltype(header)> moved;
    for (int from : perm) moved.push_back(std::move(header[static_cast<std::size_t>(from - 1)]));
    std::move(moved.begin(), moved.end(), header.begin() + (lo - 1));
  };
  gather(FColName);
  gather(FColAtt);
  gather(FVType);
}

template <typename Less>
void TDataTable::CombSortRows(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow, Less less) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  const auto outOfOrder = [&](int a, int b) { return Ascending ? less(b, a) : less(a, b); };
  if (ExchangesUnobserved(false)) {
    PermuteRows(CombPermutation(LowRow, HighRow, outOfOrder), LowRow, LowCol, HighCol, 0, true);
    return;
  }
  CombPasses(
      LowRow, HighRow, outOfOrder,
      [&](int a, int b) {
        SwapRowsWhole(a, b, LowCol, HighCol);
        if (OnSortExchange) OnSortExchange(this, 2, a, b, LowCol, HighCol);
      },
      [this] { return FNrOfRows; });
}

template <typename Less>
void TDataTable::CombSortCols(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow, Less less) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  const auto outOfOrder = [&](int a, int b) { return Ascending ? less(b, a) : less(a, b); };
  if (ExchangesUnobserved(false)) {
    PermuteCols(CombPermutation(LowCol, HighCol, outOfOrder), LowCol, LowRow, HighRow, 0, true);
    return;
  }
  CombPasses(
      LowCol, HighCol, outOfOrder,
      [&](int a, int b) {
        SwapColsWhole(a, b, LowRow, HighRow);
        if (OnSortExchange) OnSortExchange(this, 1, a, b, LowRow, HighRow);
      },
      [this] { return FNrOfCols; });
}

void TDataTable::SortRowNames(bool Ascending, bool IgnoreCase, int LowCol, int LowRow, int HighCol, int HighRow) {
  int lr = LowRow, hr = HighRow;
  MakeValidRowRange(lr, hr);
  if (hr - lr <= 0) return;
  CombSortRows(Ascending, LowCol, LowRow, HighCol, HighRow, [this, IgnoreCase](int a, int b) {
    return NameLess(FRowName[static_cast<std::size_t>(a - 1)], FRowName[static_cast<std::size_t>(b - 1)], IgnoreCase);
  });
  ChangedData();
  ChangedNames();
}

void TDataTable::SortColNames(bool Ascending, bool IgnoreCase, int LowCol, int LowRow, int HighCol, int HighRow) {
  int lc = LowCol, hc = HighCol;
  MakeValidColRange(lc, hc);
  if (hc - lc <= 0) return;
  CombSortCols(Ascending, LowCol, LowRow, HighCol, HighRow, [this, IgnoreCase](int a, int b) {
    return NameLess(FColName[static_cast<std::size_t>(a - 1)], FColName[static_cast<std::size_t>(b - 1)], IgnoreCase);
  });
  ChangedData();
  ChangedNames();
}

void TDataTable::SortRowAttributes(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  int lr = LowRow, hr = HighRow;
  MakeValidRowRange(lr, hr);
  if (hr - lr <= 0) return;
  CombSortRows(Ascending, LowCol, LowRow, HighCol, HighRow, [this](int a, int b) {
    return FRowAtt[static_cast<std::size_t>(a - 1)] < FRowAtt[static_cast<std::size_t>(b - 1)];
  });
  ChangedData();
  ChangedAttrib();
}

void TDataTable::SortColAttributes(bool Ascending, int LowCol, int LowRow, int HighCol, int HighRow) {
  int lc = LowCol, hc = HighCol;
  MakeValidColRange(lc, hc);
  if (hc - lc <= 0) return;
  CombSortCols(Ascending, LowCol, LowRow, HighCol, HighRow, [this](int a, int b) {
    return FColAtt[static_cast<std::size_t>(a - 1)] < FColAtt[static_cast<std::size_t>(b - 1)];
  });
  ChangedData();
  ChangedAttrib();
}

// [SECTION] exchanging and mirroring

void TDataTable::ChangedAfterRearranging() {
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::ExchangeColumns(int c1, int c2) {
  if (!ColInside(c1) || !ColInside(c2)) return;
  {
    THookHold hook(NumericData);
    NumericData->ExchangeColumns(c1, c2);
    const uint8_t a1 = GetColAttrib(c1), a2 = GetColAttrib(c2);
    SetColAttrib(c1, a2);
    SetColAttrib(c2, a1);
    const TDTNameStr n1 = GetColName(c1), n2 = GetColName(c2);
    SetColName(c1, n2);
    SetColName(c2, n1);
    if (ColInside(c1) && ColInside(c2))
      std::swap(FVType[static_cast<std::size_t>(c1 - 1)], FVType[static_cast<std::size_t>(c2 - 1)]);
    for (int r = 1; r <= FNrOfRows; ++r) {
      const uint8_t s1 = GetCellState(c1, r), s2 = GetCellState(c2, r);
      SetCellState(c1, r, s2);
      SetCellState(c2, r, s1);
    }
  }
  ChangedAfterRearranging();
}

void TDataTable::ExchangeRows(int r1, int r2) {
  if (!RowInside(r1) || !RowInside(r2)) return;
  {
    THookHold hook(NumericData);
    NumericData->ExchangeRows(r1, r2);
    const uint8_t a1 = GetRowAttrib(r1), a2 = GetRowAttrib(r2);
    SetRowAttrib(r1, a2);
    SetRowAttrib(r2, a1);
    const TDTNameStr n1 = GetRowName(r1), n2 = GetRowName(r2);
    SetRowName(r1, n2);
    SetRowName(r2, n1);
    for (int c = 1; c <= FNrOfCols; ++c) {
      const uint8_t s1 = GetCellState(c, r1), s2 = GetCellState(c, r2);
      SetCellState(c, r1, s2);
      SetCellState(c, r2, s1);
    }
  }
  ChangedAfterRearranging();
}

void TDataTable::MirrorColumns() {
  {
    THookHold hook(NumericData);
    for (int c1 = FNrOfCols, c2 = 1; c1 > c2; --c1, ++c2) ExchangeColumns(c1, c2);
  }
  ChangedAfterRearranging();
}

void TDataTable::MirrorRows() {
  {
    THookHold hook(NumericData);
    for (int a = 1, b = FNrOfRows; a < b; ++a, --b) ExchangeRows(a, b);
  }
  ChangedAfterRearranging();
}

// [SECTION] the long form

void TDataTable::Serialize(bool ColHeadsAsVar) {
  const int m = FNrOfCols, n = FNrOfRows;
  if (int64_t{m} * n > INT_MAX) throw EQeltaDataTableError(num_detail::ComponentText(*this, u"not enough memory on heap"));
  {
    TEventHold<TNotifyEvent> hold(OnChange);
    const TMScaleType level = FindHighestMLevel(0, 0);
    TDataTable copy(nullptr);
    copy.CopyContentsFrom(this);
    const int k = ColHeadsAsVar ? 2 : 1;
    Resize(k, n * m);
    if (ColHeadsAsVar) {
      ClearNominalIDs(1);
      for (int c = 1; c <= m; ++c) AddNominalID(1, std::to_string(c) + ":" + copy.GetColName(c));
      SetColName(1, "(column)");
    }
    SetColName(k, "(data)");
    SetMScaleType(k, level);
    int t = 0;
    for (int c = 1; c <= m; ++c)
      for (int r = 1; r <= n; ++r) {
        ++t;
        if (ColHeadsAsVar) {
          SetElem(1, t, c);
          SetCellState(1, t, 0);
        }
        SetElem(k, t, copy.GetElem(c, r));
        SetRowName(t, copy.GetRowName(r));
        SetRowAttrib(t, copy.GetRowAttrib(r));
        SetCellState(k, t, copy.GetCellState(c, r));
      }
  }
  ChangedData();
}

// [SECTION] fingerprints

String TDataTable::CRCofNamesAndAttributes() const {
  TFingerprint reg;
  FeedText(reg, FComment);
  for (const TDTNameStr& name : FColName) FeedText(reg, name);
  FeedBytes(reg, FColAtt);
  for (const TDTNameStr& name : FRowName) FeedText(reg, name);
  FeedBytes(reg, FRowAtt);
  int p = 0;
  for (const TVTypeSpec& vt : FVType) reg.Feed(++p % 8, static_cast<uint8_t>(vt.MScaleType));
  for (const TVTypeSpec& vt : FVType)
    for (int k = 1; k <= 25 && vt.HasIDs(); ++k) FeedText(reg, vt.ID(k));
  return reg.Text();
}

String TDataTable::CRCofCellStates() const {
  TFingerprint reg;
  for (int c = 1; c <= FNrOfCols; ++c) FeedBytes(reg, {StatesOf(c), static_cast<std::size_t>(FNrOfRows)});
  return reg.Text();
}

// [SECTION] copying

void TDataTable::CopyContentsFrom(const TDataTable* ExtTab) {
  if (ExtTab == nullptr || ExtTab == this) return;
  const int oc = FNrOfCols, orows = FNrOfRows;
  {
    TEventHold<TNotifyEvent> h1(OnChange), h2(OnChangeSetup), h3(OnChangeNames), h4(OnChangeAttrib);
    Resize(ExtTab->NrOfColumns(), ExtTab->NrOfRows());
    FComment = ExtTab->Comment();
    for (int c = 1; c <= ExtTab->NrOfColumns(); ++c) {
      SetColName(c, ExtTab->GetColName(c));
      SetColAttrib(c, ExtTab->GetColAttrib(c));
      SetMScaleType(c, ExtTab->GetMScaleType(c));
      for (int k = 1; k <= 25; ++k) SetNominalID(c, k, ExtTab->GetNominalID(c, k));
      for (int r = 1; r <= ExtTab->NrOfRows(); ++r) SetElem(c, r, ExtTab->GetElem(c, r));
    }
    for (int r = 1; r <= ExtTab->NrOfRows(); ++r) {
      SetRowName(r, ExtTab->GetRowName(r));
      SetRowAttrib(r, ExtTab->GetRowAttrib(r));
    }
    for (int c = 1; c <= ExtTab->NrOfColumns(); ++c)
      for (int r = 1; r <= ExtTab->NrOfRows(); ++r) SetCellState(c, r, ExtTab->GetCellState(c, r));
  }
  ChangedData();
  ChangedCellStates();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  if (OnResize) OnResize(this, oc, orows, FNrOfCols, FNrOfRows);
}

bool TDataTable::CopyCellStatesFrom(const TDataTable* ExtTab) {
  if (ExtTab == nullptr || ExtTab->NrOfColumns() != FNrOfCols || ExtTab->NrOfRows() != FNrOfRows) return false;
  if (ExtTab != this) FCState = ExtTab->FCState;
  ChangedCellStates();
  return true;
}

void TDataTable::AssignAnotherDataMatrix(TMatrix* NewDMat) {
  if (NewDMat == nullptr || NewDMat == NumericData) return;
  const int oc = FNrOfCols, orows = FNrOfRows;
  {
    TEventHold<TNotifyEvent> h1(OnChange), h2(OnChangeSetup), h3(OnChangeNames), h4(OnChangeAttrib);
    const int nc = NewDMat->NrOfColumns(), nr = NewDMat->NrOfRows();
    if (nc != FNrOfCols || nr != FNrOfRows) {
      ResizeArrays(nc, nr, nullptr);
      if (OnResize) OnResize(this, oc, orows, nc, nr);
    }
    if (FExtMatAssigned) {
      NumericData->OnChange = nullptr;
      NumericData->OnSortExchange = nullptr;
      RemoveFreeNotification(NumericData);
    }
    NumericData = NewDMat;
    FExtMatAssigned = true;
    FOwnData.reset();
    HookMatrix();
    FreeNotification(NumericData);
    for (TVTypeSpec& vt : FVType) vt.MScaleType = stInterval;
    if (OnResize) OnResize(this, oc, orows, FNrOfCols, FNrOfRows);
  }
  ChangedData();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
}

}  // namespace qelta
