// Qelta_datatable: CalcCovar, the covariance-type matrix of a block of columns with pairwise deletion.
//
// Entry e(i, j) runs over the rows where both cells are number cells. Every sum is taken about a
// shift per column (mode 1: the column mean, as the entry is defined; modes 2 and 3: the column mean
// too, which keeps the digits; mode 0: none), and modes 2 and 3 use the exact centred forms
// qx = sum dx^2 - (sum dx)^2 / m and sxy = sum dx dy - sum dx sum dy / m about the pair's own mean,
// so r stays within -1..1 (rounding is clamped). The classic raw sums (sum x^2 - (sum x)^2 / m) lost
// every digit for columns with a large common offset.
// Speed: columns whose cells of the row range are all number cells ("complete") take their pairs
// from one Gram matrix of the shifted block, computed band by band with the cache-blocked product of
// the linear algebra (Qelta_linalg_internal.h) just before the result rows need it, so an abort still
// stops the work between bands. Every other pair, and mode 4 ((x - y)^2 cancels nothing), is summed
// row by row with the number-cell masks.
// Left open and decided here: modes 0, 1 and 4 give 0 for m <= 1 (the rule divides by m - 1).

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "Qelta_datatable.h"
#include "Qelta_linalg_internal.h"
#include "Qelta_math1_internal.h"
#include "Qelta_vecmat_internal.h"

namespace qelta {

namespace {

/// Sums of one pair of columns over m common rows, about the two shifts.
struct TPairSums {
  int64_t M = 0;
  double X = 0, Y = 0, XX = 0, YY = 0, XY = 0, DD = 0;  ///< DD: sum (x - y)^2 of the unshifted values
};

/// The entry of a mode from the sums of its pair.
double Entry(int mode, const TPairSums& s) {
  const double m = static_cast<double>(s.M);
  switch (mode) {
    case 0:
    case 1:
      return s.M > 1 ? s.XY / (m - 1) : 0.0;
    case 2:
    case 3: {
      if (s.M <= 2) return 0.0;
      const double qx = s.XX - s.X * s.X / m, qy = s.YY - s.Y * s.Y / m;
      if (!(qx > 0) || !(qy > 0)) return 0.0;
      const double r = std::clamp((s.XY - s.X * s.Y / m) / (std::sqrt(qx) * std::sqrt(qy)), -1.0, 1.0);
      return mode == 2 ? r : r * r;
    }
    case 4:
      return s.M > 1 ? s.DD / (m - 1) : 0.0;
    default:
      return 0.0;
  }
}

/// One column of the block: its values over the clipped rows, its shift and its number-cell mask.
struct TCovarColumn {
  bool Inside = false;          ///< the column exists (else no row counts)
  bool Complete = false;        ///< every row of the requested range is a number cell
  double Shift = 0;
  const double* Values = nullptr;  ///< rows of the clipped range (own copy for rounded values)
  std::vector<double> Rounded;
  std::vector<uint8_t> Number;  ///< 1 for a number cell (empty when Complete)
  int Block = -1;               ///< column in the block of complete columns
};

/// The pairs of a CalcCovar call.
class TCovarWork {
 public:
  TCovarWork(std::vector<TCovarColumn>&& columns, int64_t rows, int mode)
      : FCols(std::move(columns)), FRows(rows), FMode(mode) {
    for (TCovarColumn& c : FCols)
      if (c.Complete && mode != 4) c.Block = FComplete++;
    if (FComplete > 0 && FRows > 0) MakeBlock();
  }

  /// e(i, j) for 1 <= j <= i.
  double At(int i, int j) {
    const TCovarColumn& a = FCols[static_cast<std::size_t>(i - 1)];
    const TCovarColumn& b = FCols[static_cast<std::size_t>(j - 1)];
    if (a.Block >= 0 && b.Block >= 0) return Entry(FMode, FromGram(a.Block, b.Block));
    return Entry(FMode, Masked(a, b));
  }

 private:
  static constexpr int kBand = 32;

  /// The shifted values of the complete columns, column-major with FRows rows.
  void MakeBlock() {
    FBlock.resize(static_cast<std::size_t>(FRows) * static_cast<std::size_t>(FComplete));
    FSums.assign(static_cast<std::size_t>(FComplete), 0.0);
    FDiag.assign(static_cast<std::size_t>(FComplete), 0.0);
    for (const TCovarColumn& c : FCols) {
      if (c.Block < 0) continue;
      double* out = FBlock.data() + static_cast<std::size_t>(c.Block) * static_cast<std::size_t>(FRows);
      double sum = 0;
      for (int64_t r = 0; r < FRows; ++r) sum += out[r] = c.Values[r] - c.Shift;
      FSums[static_cast<std::size_t>(c.Block)] = sum;
    }
    FBand.resize(static_cast<std::size_t>(kBand) * static_cast<std::size_t>(FComplete));
  }

  /// Gram rows k0..k0 + kBand - 1 against block columns 0..their last.
  void ComputeBand(int k0) {
    const int k1 = std::min(k0 + kBand, FComplete) - 1, b = k1 - k0 + 1;
    num_detail::Gemm(true, b, k1 + 1, static_cast<int>(FRows), 1.0, FBlock.data() + static_cast<int64_t>(k0) * FRows,
                 FRows, FBlock.data(), FRows, 0.0, FBand.data(), b);
    for (int k = k0; k <= k1; ++k)
      FDiag[static_cast<std::size_t>(k)] = FBand[static_cast<std::size_t>(k - k0) + static_cast<std::size_t>(k) * b];
    FBandFirst = k0;
    FBandRows = b;
  }

  TPairSums FromGram(int ka, int kb) {
    if (ka < FBandFirst || ka >= FBandFirst + FBandRows) ComputeBand(ka - ka % kBand);
    TPairSums s;
    s.M = FRows;
    s.X = FSums[static_cast<std::size_t>(ka)];
    s.Y = FSums[static_cast<std::size_t>(kb)];
    s.XX = FDiag[static_cast<std::size_t>(ka)];
    s.YY = FDiag[static_cast<std::size_t>(kb)];
    s.XY = FBand[static_cast<std::size_t>(ka - FBandFirst) + static_cast<std::size_t>(kb) * FBandRows];
    return s;
  }

  TPairSums Masked(const TCovarColumn& a, const TCovarColumn& b) const {
    TPairSums s;
    if (!a.Inside || !b.Inside) return s;
    const uint8_t* ma = a.Number.empty() ? nullptr : a.Number.data();
    const uint8_t* mb = b.Number.empty() ? nullptr : b.Number.data();
    for (int64_t r = 0; r < FRows; ++r) {
      if ((ma != nullptr && ma[r] == 0) || (mb != nullptr && mb[r] == 0)) continue;
      const double x = a.Values[r], y = b.Values[r];
      const double dx = x - a.Shift, dy = y - b.Shift;
      ++s.M;
      s.X += dx;
      s.Y += dy;
      s.XX += dx * dx;
      s.YY += dy * dy;
      s.XY += dx * dy;
      s.DD += (x - y) * (x - y);
    }
    return s;
  }

  std::vector<TCovarColumn> FCols;
  int64_t FRows;
  int FMode;
  int FComplete = 0;
  std::vector<double> FBlock, FSums, FDiag, FBand;
  int FBandFirst = 0, FBandRows = 0;
};

}  // namespace

bool TDataTable::CalcCovar(TMatrix* CovarMat, int LoC, int HiC, int LoR, int HiR, int Mode) {
  AbortMathProc = false;
  const int64_t n64 = int64_t{HiC} - LoC + 1;
  if (CovarMat == nullptr || n64 > CovarMat->NrOfColumns() || n64 > CovarMat->NrOfRows()) return false;
  if (n64 <= 0) return true;
  const int n = static_cast<int>(n64);
  // The rows that can hold number cells; cells outside the table are no numbers.
  const int lr = std::max(LoR, 1), hr = std::min(HiR, UsableRows());
  const int64_t rows = std::max<int64_t>(int64_t{hr} - lr + 1, 0);
  const bool wholeRange = LoR >= 1 && HiR <= UsableRows();
  std::vector<TCovarColumn> columns(static_cast<std::size_t>(n));
  num_detail::GuardAlloc<EQeltaDataTableError>(*this, u"not enough memory on heap", [&] {
    for (int i = 1; i <= n; ++i) {
      TCovarColumn& col = columns[static_cast<std::size_t>(i - 1)];
      const int c = LoC + i - 1;
      if (Mode > 0) {
        double variance = 0;
        if (c >= 1 && c <= UsableCols()) MeanVarOfNumCells(c, LoR, c, HiR, col.Shift, variance);
        num_detail::StepProcStat();
      }
      if (Mode == 0 || Mode == 4) col.Shift = 0;
      if (c < 1 || c > UsableCols()) continue;
      col.Inside = true;
      col.Values = num_detail::TMatrixAccess::Data(*NumericData) + (c - 1) * num_detail::TMatrixAccess::Stride(*NumericData) +
                   (lr - 1);
      if (Categorial(c)) {
        col.Rounded.assign(col.Values, col.Values + rows);
        for (double& v : col.Rounded) v = std::nearbyint(v);
        col.Values = col.Rounded.data();
      }
      const uint8_t* st = StatesOf(c) + (lr - 1);
      col.Number.resize(static_cast<std::size_t>(rows));
      int64_t numbers = 0;
      for (int64_t r = 0; r < rows; ++r) {
        const bool number = (st[r] & (csNotANumber | csEmpty)) == 0;
        col.Number[static_cast<std::size_t>(r)] = number;
        numbers += number;
      }
      col.Complete = numbers == rows && wholeRange;
      if (col.Complete) col.Number.clear();
    }
  });
  std::optional<TCovarWork> work;
  num_detail::GuardAlloc<EQeltaDataTableError>(*this, u"not enough memory on heap",
                                           [&] { work.emplace(std::move(columns), rows, Mode); });
  for (int i = 1; i <= n && !AbortMathProc; ++i) {
    num_detail::StepProcStat();
    for (int j = 1; j <= i; ++j) {
      const double e = work->At(i, j);
      CovarMat->SetVal(j, i, e);
      CovarMat->SetVal(i, j, e);
    }
    if (Mode == 2 || Mode == 3) CovarMat->SetVal(i, i, 1.0);
  }
  return !AbortMathProc;
}

}  // namespace qelta
