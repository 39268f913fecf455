// Qelta_cform_search: the formula-for-a-mass search of TMolForm.
//
// The counts walk like an odometer counting down, the last position fastest: a position that falls below its
// lower bound starts again at its upper bound and carries into the one before; a carry out of position 1 ends
// the walk with every count back at its upper bound, so the next call starts again from there. The mass is kept
// as prefix sums over the positions, and a step recomputes only the positions it changed, in the same order of
// addition as a full sum, so the exact test sees the same value as a sum from scratch.

#include <algorithm>
#include <cmath>

#include "Qelta_CData.h"
#include "Qelta_cform.h"

namespace qelta {

namespace {

enum : int { kH = 1, kC = 6, kN = 7, kF = 9, kCl = 17, kBr = 35, kI = 53 };

}  // namespace

bool TMolForm::InitFindFormula(double mass, double tol, const TFormulaRec& LowF, const TFormulaRec& HighF) {
  FMassBForm = mass;
  FTolBForm = tol;
  FLowBForm = LowF;
  FHighBForm = HighF;
  FHighBForm.FLeng = std::clamp(HighF.FLeng, 0, MaxFormulaEntries);
  for (int i = 1; i <= FHighBForm.FLeng; ++i) FPermutCnt[i] = HighF.AtCnt[i];
  return true;
}

bool TMolForm::FindFormulaNominalMass(bool CheckPlausibility) { return FindFormula(false, CheckPlausibility); }

bool TMolForm::FindFormulaExactMass(bool CheckPlausibility) { return FindFormula(true, CheckPlausibility); }

// The current counts become the formula; positions with count 0 stay as entries.
void TMolForm::TakeCounts() {
  FBFLeng = FHighBForm.FLeng;
  for (int i = 1; i <= FBFLeng; ++i) {
    FAtNum[i] = FHighBForm.AtNum[i];
    FAtWgt[i] = FHighBForm.AtWgt[i];
    FAtCnt[i] = static_cast<uint8_t>(FPermutCnt[i]);
  }
}

// H + halogens <= 2 C + N + 2: a non-negative number of rings plus double bonds.
bool TMolForm::Plausible() const {
  int c = 0, h = 0, n = 0, x[4] = {};
  for (int i = 1; i <= FHighBForm.FLeng; ++i) {
    const int count = FPermutCnt[i];
    switch (FHighBForm.AtNum[i]) {
      case kC: c = count; break;
      case kH: h = count; break;
      case kN: n = count; break;
      case kF: x[0] = count; break;
      case kCl: x[1] = count; break;
      case kBr: x[2] = count; break;
      case kI: x[3] = count; break;
      default: break;
    }
  }
  return h + x[0] + x[1] + x[2] + x[3] <= 2 * c + n + 2;
}

bool TMolForm::AdvanceCounts(int& changedFrom) {
  for (int p = FHighBForm.FLeng; p >= 1; --p) {
    if (--FPermutCnt[p] >= FLowBForm.AtCnt[p]) {
      changedFrom = p;
      return true;
    }
    FPermutCnt[p] = FHighBForm.AtCnt[p];
  }
  return false;
}

bool TMolForm::FindFormula(bool exact, bool CheckPlausibility) {
  const int K = FHighBForm.FLeng;
  double weight[MaxFormulaEntries + 1] = {}, exactSum[MaxFormulaEntries + 1] = {};
  int64_t nominalSum[MaxFormulaEntries + 1] = {};
  for (int i = 1; i <= K; ++i) weight[i] = static_cast<double>(ExactAtWeight(FHighBForm.AtNum[i]));
  auto sums = [&](int from) {
    for (int i = from; i <= K; ++i) {
      exactSum[i] = exactSum[i - 1] + weight[i] * FPermutCnt[i];
      nominalSum[i] = nominalSum[i - 1] + int64_t{FHighBForm.AtWgt[i]} * FPermutCnt[i];
    }
  };
  const double rounded = std::nearbyint(std::clamp(FMassBForm, -9e15, 9e15));
  const int64_t target = std::isnan(rounded) ? 0 : static_cast<int64_t>(rounded);
  sums(1);
  bool hit = false;
  for (int from = 1; !hit;) {
    const bool massFits = exact ? std::fabs(exactSum[K] - FMassBForm) < FTolBForm : nominalSum[K] == target;
    if (massFits && (!CheckPlausibility || Plausible())) {
      TakeCounts();
      hit = true;
    }
    if (!AdvanceCounts(from)) break;
    sums(from);
  }
  ShowIt();
  return hit;
}

}  // namespace qelta
