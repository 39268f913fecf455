// Qelta_cform_search: the formula-for-a-mass search of TMolForm.
//
// The counts walk like an odometer counting down, the last position fastest: a position that falls below its
// lower bound starts again at its upper bound and carries into the one before; a carry out of position 1 ends
// the walk with every count back at its upper bound, so the next call starts again from there. The mass is kept
// as prefix sums over the positions, and a step recomputes only the positions it changed, in the same order of
// addition as a full sum, so the exact test sees the same value as a sum from scratch. A prefix that can no
// longer reach the target (even with the least or the most the later positions add) lets them run out at once.

#include <algorithm>
#include <cmath>

#include "Qelta_CData.h"
#include "Qelta_cform.h"

namespace qelta {

namespace {

enum : int { kH = 1, kC = 6, kN = 7, kF = 9, kCl = 17, kBr = 35, kI = 53 };

// The mass of the current counts as prefix sums over the positions, and the least and most that the positions
// after p can still add (masses and counts are never negative), so that a prefix that can no longer reach the
// target is passed over: its combinations are no hits, and skipping them changes no result and no order.
class TMassWalk {
 public:
  TMassWalk(const TFormulaRec& low, const TFormulaRec& high, double mass, double tol, bool exact)
      : K(high.FLeng), FExact(exact), FMass(mass), FTol(tol) {
    const double rounded = std::nearbyint(std::clamp(mass, -9e15, 9e15));
    FTarget = std::isnan(rounded) ? 0 : static_cast<int64_t>(rounded);
    for (int i = 1; i <= K; ++i) {
      FWeight[i] = static_cast<double>(ExactAtWeight(high.AtNum[i]));
      FMassNr[i] = high.AtWgt[i];
      FLowest[i] = std::min<int>(low.AtCnt[i], high.AtCnt[i]);  // a lower bound above the upper one never shows
      FHighest[i] = high.AtCnt[i];
    }
    for (int p = K - 1; p >= 0; --p) {
      FExactMin[p] = FExactMin[p + 1] + FWeight[p + 1] * FLowest[p + 1];
      FExactMax[p] = FExactMax[p + 1] + FWeight[p + 1] * FHighest[p + 1];
      FNominalMin[p] = FNominalMin[p + 1] + int64_t{FMassNr[p + 1]} * FLowest[p + 1];
      FNominalMax[p] = FNominalMax[p + 1] + int64_t{FMassNr[p + 1]} * FHighest[p + 1];
    }
    FSlack = 1e-9 * (1 + std::fabs(mass) + FExactMax[0]);
  }
  /// Prefix sums from position `from` on.
  void Sums(const Array1<int32_t, MaxFormulaEntries>& counts, int from) {
    for (int i = std::max(from, 1); i <= K; ++i) {
      FExactSum[i] = FExactSum[i - 1] + FWeight[i] * counts[i];
      FNominalSum[i] = FNominalSum[i - 1] + int64_t{FMassNr[i]} * counts[i];
    }
  }
  bool Fits() const {
    return FExact ? std::fabs(FExactSum[K] - FMass) < FTol : FNominalSum[K] == FTarget;
  }
  /// The first p in first..K-1 whose prefix 1..p can no longer reach the target; -1 when none.
  int Hopeless(int first) const {
    for (int p = first; p < K; ++p) {
      const bool out = FExact ? FExactSum[p] + FExactMin[p] > FMass + FTol + FSlack ||
                                    FExactSum[p] + FExactMax[p] < FMass - FTol - FSlack
                              : FNominalSum[p] + FNominalMin[p] > FTarget || FNominalSum[p] + FNominalMax[p] < FTarget;
      if (out) return p;
    }
    return -1;
  }
  /// Puts the positions after p on their last count, so that the next step carries into p.
  void Exhaust(Array1<int32_t, MaxFormulaEntries>& counts, int p) const {
    for (int q = p + 1; q <= K; ++q) counts[q] = FLowest[q];
  }

 private:
  int K;
  bool FExact;
  double FMass, FTol, FSlack = 0;
  int64_t FTarget = 0;
  double FWeight[MaxFormulaEntries + 1] = {}, FExactSum[MaxFormulaEntries + 1] = {};
  double FExactMin[MaxFormulaEntries + 1] = {}, FExactMax[MaxFormulaEntries + 1] = {};
  int FMassNr[MaxFormulaEntries + 1] = {}, FLowest[MaxFormulaEntries + 1] = {}, FHighest[MaxFormulaEntries + 1] = {};
  int64_t FNominalSum[MaxFormulaEntries + 1] = {}, FNominalMin[MaxFormulaEntries + 1] = {},
          FNominalMax[MaxFormulaEntries + 1] = {};
};

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
  TMassWalk walk(FLowBForm, FHighBForm, FMassBForm, FTolBForm, exact);
  walk.Sums(FPermutCnt, 1);
  bool hit = false;
  for (int from = 1; !hit;) {
    if (const int cut = walk.Hopeless(from == 1 ? 0 : from); cut >= 0) {
      walk.Exhaust(FPermutCnt, cut);  // no combination of the later positions fits: let them run out
    } else if (walk.Fits() && (!CheckPlausibility || Plausible())) {
      TakeCounts();
      hit = true;
    }
    if (!AdvanceCounts(from)) break;
    walk.Sums(FPermutCnt, from);
  }
  ShowIt();
  return hit;
}

}  // namespace qelta
