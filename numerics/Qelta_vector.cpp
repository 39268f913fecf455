// Qelta_vector: container, arithmetic, search, order and fingerprint of TVector and TIntVector.
//
// Both classes are one template body (TVectorT<double>, TVectorT<int32_t>) instantiated here.
// Operations that the system defines as writing through SetVal (Clone, CopyFrom, the loaders)
// fire OnChange once per written element and once at the end; when no handler is assigned the
// elements are stored directly, which is the same to every observer.
// Deliberate choices: Find starts from a distance no element reaches, so NaN elements are never
// chosen over numbers; integer distances are taken in 64 bits (|INT_MIN - INT_MAX| would wrap);
// a copy of a vector onto itself reads its source range before writing any element.

#include <algorithm>
#include <cmath>

#include "Qelta_vecmat_internal.h"
#include "Qelta_vector.h"
#include "Random.h"
#include "SysUtils.h"

namespace qelta::num_detail {

// [SECTION] construction and size

template <typename T>
TVectorT<T>::TVectorT(TComponent* AOwner) : TComponent(AOwner) {
  GuardAlloc<EQeltaVectorError>(*this, u"not enough memory on heap", [&] { FVec.assign(1, T{}); });
}

template <typename T>
bool TVectorT<T>::Resize(int NE) {
  if (NE == FNElem) return true;
  if (NE <= 0) return false;
  GuardAlloc<EQeltaVectorError>(*this, u"not enough memory for " + IntToStr(NE) + u" elements",
                                [&] { FVec.resize(static_cast<std::size_t>(NE)); });
  FNElem = NE;
  Changed();
  return true;
}

// [SECTION] elements

template <typename T>
void TVectorT<T>::SetVal(int i, T Value) {
  if (i < 1 || i > FNElem) return;
  FVec[static_cast<std::size_t>(i - 1)] = Value;
  FIsEmpty = false;
  Changed();
}

template <typename T>
void TVectorT<T>::PutVal(int i, T v) {
  if (OnChange) {
    SetVal(i, v);
  } else if (i >= 1 && i <= FNElem) {
    FVec[static_cast<std::size_t>(i - 1)] = v;
    FIsEmpty = false;
  }
}

template <typename T>
void TVectorT<T>::MakeValidElemRange(int& Low, int& High) const {
  MakeValidRange(FNElem, Low, High);
}

template <typename T>
void TVectorT<T>::Fill(T value) {
  std::fill(FVec.begin(), FVec.end(), value);
  FIsEmpty = false;
  Changed();
}

template <typename T>
void TVectorT<T>::Clear() {
  std::fill(FVec.begin(), FVec.end(), T{});
  FIsEmpty = true;
  Changed();
}

template <typename T>
void TVectorT<T>::Clone(const TVectorT* VecSource) {
  if (VecSource == nullptr) return;
  Resize(VecSource->FNElem);
  for (int i = 1; i <= FNElem; ++i) PutVal(i, VecSource->FVec[static_cast<std::size_t>(i - 1)]);
  Changed();
}

template <typename T>
void TVectorT<T>::CopyFrom(const TVectorT* VecSource, int SourceElemLo, int SourceElemHi, int DestElem) {
  if (VecSource == nullptr) return;
  int lo = SourceElemLo, hi = SourceElemHi;
  ClampSourceRange(VecSource->FNElem, lo, hi);
  const T* from = VecSource->FVec.data() + (lo - 1);
  std::vector<T> snapshot;  // a copy within this vector reads its whole source first
  if (VecSource == this) {
    snapshot.assign(from, from + (hi - lo + 1));
    from = snapshot.data();
  }
  for (int e = lo; e <= hi; ++e) {
    const int64_t d = Shifted(e, DestElem, lo);
    if (d >= 1 && d <= FNElem) PutVal(static_cast<int>(d), from[e - lo]);
  }
  Changed();
}

template <typename T>
void TVectorT<T>::Changed() {
  if (OnChange) OnChange(this);
}

template <typename T>
void TVectorT<T>::SortExchange(uint8_t ExchgWhat, int index1, int index2, int first, int last) {
  if (OnSortExchange) OnSortExchange(this, ExchgWhat, index1, index2, first, last);
}

// [SECTION] arithmetic

template <typename T>
void TVectorT<T>::CheckSameSize(const TVectorT& other) const {
  if (other.FNElem != FNElem) throw EQeltaVectorError(ComponentText(*this, u"vectors have different dimensions"));
}

template <typename T>
void TVectorT<T>::Add(const TVectorT* OtherVec) {
  if (OtherVec == nullptr) return;
  CheckSameSize(*OtherVec);
  for (std::size_t i = 0; i < FVec.size(); ++i) FVec[i] = AddElem(FVec[i], OtherVec->FVec[i]);
  Changed();
}

template <typename T>
void TVectorT<T>::Subtract(const TVectorT* OtherVec) {
  if (OtherVec == nullptr) return;
  CheckSameSize(*OtherVec);
  for (std::size_t i = 0; i < FVec.size(); ++i) FVec[i] = SubElem(FVec[i], OtherVec->FVec[i]);
  Changed();
}

template <typename T>
T TVectorT<T>::DotProduct(const TVectorT* OtherVec) const {
  if (OtherVec == nullptr) return T{};
  CheckSameSize(*OtherVec);
  T sum{};
  for (std::size_t i = 0; i < FVec.size(); ++i) sum = AddElem(sum, MulElem(FVec[i], OtherVec->FVec[i]));
  return sum;
}

template <typename T>
T TVectorT<T>::Correlate(const TVectorT* OtherVec, int ElemShift) const {
  if (OtherVec == nullptr) return T{};
  T sum{};
  for (int i = 1; i <= FNElem; ++i) {
    const int64_t j = static_cast<int64_t>(i) + ElemShift;
    if (j >= 1 && j <= OtherVec->FNElem)
      sum = AddElem(sum, MulElem(FVec[static_cast<std::size_t>(i - 1)], OtherVec->FVec[static_cast<std::size_t>(j - 1)]));
  }
  return sum;
}

template <typename T>
void TVectorT<T>::SMult(T scalar) {
  for (T& v : FVec) v = MulElem(v, scalar);
  Changed();
}

template <typename T>
double TVectorT<T>::CalcVecLeng() const {
  double sum = 0;
  for (T v : FVec) sum += static_cast<double>(v) * static_cast<double>(v);
  return std::sqrt(sum);
}

// [SECTION] search and order

template <typename T>
int TVectorT<T>::Find(int LowElem, int HighElem, T value) const {
  MakeValidElemRange(LowElem, HighElem);
  int best = LowElem;
  auto bestDist = FarDistance<T>();
  for (int i = LowElem; i <= HighElem; ++i) {
    const auto d = DistElem(FVec[static_cast<std::size_t>(i - 1)], value);
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

template <typename T>
int TVectorT<T>::FindInSortedVector(bool Ascending, T Value) const {
  return DenseFindInSortedColumn(FVec.data(), FNElem, Ascending, Value);
}

template <typename T>
void TVectorT<T>::SortElems(bool Ascending, int RangeFirst, int RangeLast) {
  if (RangeLast < RangeFirst) std::swap(RangeFirst, RangeLast);
  const int first = ClampInt(RangeFirst, 1, FNElem), last = ClampInt(RangeLast, 1, FNElem);
  int64_t gap = last - first;
  if (gap <= 0) return;
  T* v = FVec.data() - 1;  // v[i] is element i
  bool swapped = false;
  do {
    gap = NextCombGap(gap);
    swapped = false;
    for (int64_t i = first; i + gap <= last; ++i) {
      if (Ascending ? !(v[i] > v[i + gap]) : !(v[i] < v[i + gap])) continue;
      std::swap(v[i], v[i + gap]);
      swapped = true;
      SortExchange(0, static_cast<int>(i), static_cast<int>(i + gap), 0, 0);
    }
  } while (gap > 1 || swapped);
  Changed();
}

template <typename T>
void TVectorT<T>::Mirror() {
  std::reverse(FVec.begin(), FVec.end());
  Changed();
}

template <typename T>
void TVectorT<T>::ShuffleElems() {
  Randomize();
  for (int k = 0; k < FNElem; ++k) {
    const int i = Random(FNElem), j = Random(FNElem);
    std::swap(FVec[static_cast<std::size_t>(i)], FVec[static_cast<std::size_t>(j)]);
  }
}

// [SECTION] fingerprint

template <typename T>
String TVectorT<T>::CRCofData() const {
  TCrcOf<T> lanes;
  for (T v : FVec) lanes.Feed(BitsOf(v));
  return lanes.Text();
}

template class TVectorT<double>;
template class TVectorT<int32_t>;

}  // namespace qelta::num_detail

namespace qelta {

// [SECTION] TVector and TIntVector

void TVector::SetVecSize(int NE) {
  if (NE > 0 && NE != NrOfElem()) Resize(NE);
}

void TIntVector::SetIntVecSize(int NE) {
  if (NE > 0 && NE != NrOfElem()) Resize(NE);
}

void TVector::SetVecLeng(double Length) {
  const double length = CalcVecLeng();
  if (length == 0) throw EQeltaVectorError(u"vector has zero length");
  SMult(Length / length);
}

}  // namespace qelta
