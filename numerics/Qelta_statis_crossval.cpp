// Qelta_statis: TCrossValidator, random-subset cross-validation of a host's model.
//
// Monte Carlo subsets without repetition: the rows are dealt into test sets of SizeTestSet rows (the
// last one smaller) in random order; each row is predicted exactly once by a model that never saw it.
// PRESS_j = sum over rows of (prediction_j - y_j)^2, RMSEP_j = sqrt(PRESS_j / rows). The used and
// test sets are TBitFld bit fields over bits 1..R.
// Deliberate deviations, each a mended fault:
//  - With one row the test size became R div 2 = 0, no row was ever predicted and Execute never
//    ended: the lowered test size is at least 1.
//  - A create handler that never succeeds drew the same rows for ever (left open): OnCheckAbort is
//    polled after a refusal as well, and MaxRefusals (100) refusals in a row end the run as aborted.
//  - GetRMSEP took the square root of -1 / rows after an abort or before a run and divided by 0
//    rows (or read a missing XMat): it answers -1 in all these cases.
//  - A prediction handler that shrinks the response array does not make the sum read beyond it
//    (missing values count as 0), and a matrix destroyed during the run ends it as aborted.

#include <cmath>
#include <cstdint>
#include <vector>

#include "Qelta_dstruct.h"
#include "Qelta_matrix.h"
#include "Qelta_statis.h"
#include "Qelta_vector.h"
#include "Random.h"

namespace qelta {

namespace {

/// Round(count / R times 100), halves to even, in exact integer arithmetic.
int PercentOf(int count, int R) {
  if (R <= 0) return 0;
  const int64_t num = int64_t{count} * 100, q = num / R, twice = 2 * (num % R);
  return static_cast<int>(twice > R || (twice == R && q % 2 == 1) ? q + 1 : q);
}

/// The rows 1..R whose bit in field is state, ascending.
TIntArray RowsWhere(const TBitFld& field, bool state) {
  TIntArray rows;
  field.MakeListOfBits(rows, state);
  if (!rows.empty() && rows.front() == 0) rows.erase(rows.begin());  // bit 0 is never a row
  return rows;
}

}  // namespace

TCrossValidator::TCrossValidator(TComponent* AOwner) : TComponent(AOwner), FPress(std::make_unique<TVector>(nullptr)) {
  FPress->Fill(-1);
}

TCrossValidator::~TCrossValidator() {
  SetXMat(nullptr);
  SetYMat(nullptr);
}

// [SECTION] properties

void TCrossValidator::Borrow(TMatrix*& slot, TMatrix* m) {
  if (slot == m) return;
  TMatrix* old = slot;
  slot = m;
  if (old != nullptr && old != FXMat && old != FYMat) RemoveFreeNotification(old);
  if (m != nullptr) FreeNotification(m);
}

void TCrossValidator::SetXMat(TMatrix* Value) { Borrow(FXMat, Value); }

void TCrossValidator::SetYMat(TMatrix* Value) { Borrow(FYMat, Value); }

void TCrossValidator::SetTestSize(int n) {
  FTestSize = n < 1 ? 1 : n;
  FPress->Fill(-1);
}

void TCrossValidator::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FXMat) FXMat = nullptr;
  if (AComponent == FYMat) FYMat = nullptr;
}

// [SECTION] running

bool TCrossValidator::Execute() {
  if (FXMat == nullptr || FYMat == nullptr)
    throw EQeltaStatisError(u"TCrossValidator.Execute: data matrix not assigned");
  if (FXMat->NrOfRows() != FYMat->NrOfRows())
    throw EQeltaStatisError(u"TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  if (!OnModelApplyRequest) throw EQeltaStatisError(u"TCrossValidator: OnModelApplyRequest event is not assigned");
  if (!OnModelCreateRequest) throw EQeltaStatisError(u"TCrossValidator: OnModelCreateRequest event is not assigned");
  const int R = FXMat->NrOfRows();
  if (FTestSize > R / 2) FTestSize = R / 2 < 1 ? 1 : R / 2;
  FPress->Resize(FYMat->NrOfColumns());
  FPress->Fill(0);
  const bool completed = RunFolds(R);
  if (!completed) FPress->Fill(-1);
  return completed;
}

bool TCrossValidator::RunFolds(int R) {
  TBitFld used(nullptr), test(nullptr);
  used.SetSize(R);
  test.SetSize(R);
  int count = 0, refusals = 0;
  while (used.CountTrueBits() < R) {
    test.Clear();
    const int unused = R - used.CountTrueBits();
    if (FTestSize < unused) {
      for (int drawn = 0; drawn < FTestSize; ++drawn) {
        int r = Random(R) + 1;
        while (used.GetBit(r)) r = r % R + 1;
        used.SetBit(r, true);
        test.SetBit(r, true);
      }
    } else {
      for (int r = 1; r <= R; ++r) test.SetBit(r, !used.GetBit(r));
      for (int r = 1; r <= R; ++r) used.SetBit(r, true);
    }
    bool success = false;
    OnModelCreateRequest(this, PercentOf(count, R), RowsWhere(test, false), success);
    if (success) {
      refusals = 0;
      if (!PredictRows(RowsWhere(test, true), R, count)) return false;
    } else {
      used.CombineWith(&test, loANDNot);
      if (AbortRequested() || ++refusals >= MaxRefusals) return false;
    }
    if (FXMat == nullptr || FYMat == nullptr) return false;
  }
  return true;
}

bool TCrossValidator::PredictRows(const TIntArray& rows, int R, int& count) {
  for (int row : rows) {
    if (FXMat == nullptr || FYMat == nullptr) return false;
    ++count;
    const int nx = FXMat->NrOfColumns(), ny = FYMat->NrOfColumns();
    TDoubleArray predictors(static_cast<std::size_t>(nx)), response(static_cast<std::size_t>(ny), 0.0);
    for (int c = 1; c <= nx; ++c) predictors[static_cast<std::size_t>(c - 1)] = FXMat->GetVal(c, row);
    OnModelApplyRequest(this, PercentOf(count, R), predictors, response);
    if (FYMat == nullptr) return false;
    response.resize(static_cast<std::size_t>(ny), 0.0);
    for (int j = 1; j <= ny; ++j) {
      const double e = response[static_cast<std::size_t>(j - 1)] - FYMat->GetVal(j, row);
      FPress->SetVal(j, FPress->GetVal(j) + e * e);
    }
    if (AbortRequested()) return false;
  }
  return true;
}

bool TCrossValidator::AbortRequested() {
  bool abort = false;
  if (OnCheckAbort) OnCheckAbort(this, abort);
  return abort;
}

double TCrossValidator::GetRMSEP(int index) const {
  if (FXMat == nullptr || FXMat->NrOfRows() <= 0 || index < 1 || index > FPress->NrOfElem()) return -1.0;
  const double press = FPress->GetVal(index);
  if (press < 0) return -1.0;
  return std::sqrt(press / FXMat->NrOfRows());
}

}  // namespace qelta
