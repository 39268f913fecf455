#pragma once
// Qelta_vector: 1-based vectors of doubles (TVector) and of 32-bit integers (TIntVector).
//
// What: the result and work vectors of the numerics, charts and data table: element access with
// the range rules of the system, resizing, arithmetic, nearest-value and sorted search, a comb
// sort that reports every exchange, a data fingerprint, and a binary stream and a text file form.
// How: the elements live in one contiguous block; both classes share one template body and differ
// only where the element type does (stream and text forms, SetVecLeng). The fingerprint runs one
// CRC-32 register per byte of the element (Qelta_dstruct's CalcNextCRC32).
// Limits: 1..2147483647 elements, never fewer than one. Integer arithmetic wraps at 32 bits.
// Failure channel: EQeltaVectorError for refused calls and exhausted memory; the stream and file
// routines answer false instead. Out-of-range reads answer 0 and writes are ignored.
// Statistics over element ranges (means, moments, quartiles, histograms) share their rules with the
// matrices (Qelta_vector_stats.cpp).

#include <cstdint>
#include <vector>

#include "Classes.h"
#include "Qelta_qeltabase.h"
#include "Streams.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of the vectors.
QELTA_DECLARE_EXCEPTION(EQeltaVectorError, EQeltaError)

class TVector;
class TIntVector;

namespace num_detail {

/// Shared body of TVector (T = double) and TIntVector (T = int32_t); not part of the public
/// interface: use the two classes.
template <typename T>
class TVectorT : public TComponent {
 public:
  // --- construction and size ---
  /// One element of value 0, IsEmpty true; EQeltaVectorError "... not enough memory on heap".
  explicit TVectorT(TComponent* AOwner);
  /// Number of elements (>= 1).
  int NrOfElem() const { return FNElem; }
  /// True after construction and Clear, false after SetVal, Fill or any loader write.
  bool IsEmpty() const { return FIsEmpty; }
  /// New size NE keeping elements 1..min(old, NE), new ones 0, then OnChange; the same size
  /// answers true without event, NE <= 0 false. EQeltaVectorError "... not enough memory".
  bool Resize(int NE);

  // --- elements ---
  /// Element i; 0 outside 1..NrOfElem.
  T GetVal(int i) const { return i >= 1 && i <= FNElem ? FVec[static_cast<std::size_t>(i - 1)] : T{}; }
  /// Stores element i and fires OnChange; ignored outside 1..NrOfElem.
  void SetVal(int i, T Value);
  /// (0, 0) is the whole vector; otherwise each bound is clamped to 1..NrOfElem, then ordered.
  void MakeValidElemRange(int& Low, int& High) const;
  /// Every element := value; OnChange.
  void Fill(T value);
  /// Every element := 0, IsEmpty true; OnChange.
  void Clear();
  /// Resize to the source's size, copy every element through SetVal, OnChange; nil does nothing.
  void Clone(const TVectorT* VecSource);
  /// Source elements Lo..Hi (clamped to the source, ordered) to DestElem.. through SetVal; what
  /// falls outside is dropped; then OnChange. Overlapping self-copies act through a temporary.
  void CopyFrom(const TVectorT* VecSource, int SourceElemLo, int SourceElemHi, int DestElem);
  /// Fires OnChange(this) when assigned.
  void Changed();
  /// Fires OnSortExchange(this, ExchgWhat, index1, index2, first, last) when assigned.
  void SortExchange(uint8_t ExchgWhat, int index1, int index2, int first, int last);

  // --- arithmetic ---
  /// Element-wise sum into this vector, OnChange; nil does nothing; another size raises
  /// EQeltaVectorError "... vectors have different dimensions".
  void Add(const TVectorT* OtherVec);
  /// Element-wise difference, rules as Add.
  void Subtract(const TVectorT* OtherVec);
  /// Sum of products; 0 for nil; another size raises as Add.
  T DotProduct(const TVectorT* OtherVec) const;
  /// Sum over i of element i times OtherVec element i + ElemShift (0 outside); 0 for nil.
  T Correlate(const TVectorT* OtherVec, int ElemShift) const;
  /// Every element times scalar; OnChange.
  void SMult(T scalar);
  /// Euclidean length (squares summed as doubles).
  double CalcVecLeng() const;

  // --- search and order ---
  /// Index in the range (0, 0 = all; clamped, ordered) of the element nearest to value; the lower
  /// index on equal distance.
  int Find(int LowElem, int HighElem, T value) const;
  /// Binary search in a vector sorted in the given direction: an exact hit, else the nearer of
  /// the last two candidates (the upper one on a tie).
  int FindInSortedVector(bool Ascending, T Value) const;
  /// Comb sort of RangeFirst..RangeLast (ordered, clamped); each exchange fires
  /// OnSortExchange(0, i, i + gap, 0, 0); OnChange once at the end (nothing for < 2 elements).
  void SortElems(bool Ascending, int RangeFirst, int RangeLast);
  /// Reverses the order of all elements; OnChange.
  void Mirror();
  /// Seeds the platform's generator from the clock and makes NrOfElem random exchanges; no event.
  void ShuffleElems();

  // --- fingerprint ---
  /// sizeof(T) CRC-32 registers over the element bytes: 16 or 8 hexadecimal digits per byte lane.
  String CRCofData() const;

  // --- streams and files ---
  /// Writes elements LowElem..HighElem (made valid) in the binary stream form; a null OutStream
  /// gets a new TMemoryStream that the caller owns. False when the stream refused bytes.
  bool SaveToStream(TMemoryStream*& OutStream, int LowElem, int HighElem) const;
  /// As above into any stream (file streams included).
  bool SaveToStream(TStream& OutStream, int LowElem, int HighElem) const;
  /// Reads the binary stream form from the position (AdjustVectorSize resizes to HighElem first);
  /// false, vector unchanged, for nil, a short or implausible header, a short block or a vector
  /// too small. The whole block is read before the vector changes.
  bool LoadFromStream(TStream* InStream, bool AdjustVectorSize);
  /// Reads the text form; false, vector unchanged, when the file cannot be read, its header line is
  /// not "first last" or implausible, a line does not hold exactly one readable number, lines
  /// follow the last element or the vector is too small.
  bool LoadFromFile(const String& FileName, bool AdjustVectorSize);
  /// Why the last load of this vector answered false (the file, where it applies, and the
  /// reason); empty after a load that succeeded.
  const String& LastLoadError() const { return FLoadError; }

  // --- statistics over a range of elements (Qelta_vector_stats.cpp) ---
  // Range rule of the statistics: each bound raised to 1 and lowered to NrOfElem, then ordered, so
  // the range holds at least one element; (0, 0) is 1..1, unlike MakeValidElemRange. No event fires.
  /// Smallest and largest element, seeded from the first of the range (NaN elements are passed
  /// over; a range of NaN only answers 1.7e308 and -1.7e308, TIntVector never has one).
  void MinMax(int LowElem, int HighElem, T& Minimum, T& Maximum) const;
  /// Sum of the range (TIntVector: 32-bit, wrapping).
  T Sum(int LowElem, int HighElem) const;
  /// Most frequent value (exact equality); the smallest of equally frequent values; the smallest
  /// element when no two are equal. EQeltaVectorError "... not enough memory on heap".
  T Mode(int LowElem, int HighElem) const;
  /// Quartiles by the interpolation at positions (n + 1) * 0.25, 0.5, 0.75 of the sorted range (a
  /// position at or beyond n answers the largest element); one element gives it thrice. Always
  /// true. EQeltaVectorError "... not enough memory on heap".
  bool Quartiles(int LowElem, int HighElem, double& Q1, double& Q2, double& Q3) const;
  /// Percentile prob (percent, clamped to 0..100) by the same interpolation at prob (n + 1) / 100;
  /// 100 answers the largest element. EQeltaVectorError "... not enough memory on heap".
  double Percentile(double prob, int LowElem, int HighElem) const;
  /// Mean and sample variance; the variance is 1.0 for one or two elements. Centred sums: a constant
  /// range has variance exactly 0, a large common offset costs no digits.
  void MeanVar(int LowElem, int HighElem, double& Mean, double& Variance) const;
  /// exp(mean of ln v); 0 when an element is 0. EQeltaVectorError "... negative argument passed to
  /// GeometricMean" when one is negative.
  double GeometricMean(int LowElem, int HighElem) const;
  /// n / (sum of 1/v). EQeltaVectorError "... negative or zero argument passed to HarmonicMean" when
  /// an element is 0 or negative.
  double HarmonicMean(int LowElem, int HighElem) const;
  /// Skewness and excess kurtosis: central moments over the sample standard deviation s (population
  /// form); 0 and 0 for fewer than four elements or s = 0.
  void SkewKurt(int LowElem, int HighElem, double& Skewness, double& Kurtosis) const;
  /// The bias-corrected sample skewness and excess kurtosis; 0 and 0 for fewer than four elements.
  void SkewKurtSample(int LowElem, int HighElem, double& Skewness, double& Kurtosis) const;
  /// Worker of the two above: also the number of elements n of the range.
  void SkewKurtIntern(int LowElem, int HighElem, int& n, double& Skewness, double& Kurtosis) const;

  // --- events ---
  TNotifyEvent OnChange;
  TSortExchgEvent OnSortExchange;

 protected:
  /// Elements 1..NrOfElem at 0..NrOfElem-1 (for the statistics of this unit).
  const std::vector<T>& Elements() const { return FVec; }
  /// The same for the in-place transformations, which fire no event.
  std::vector<T>& ElementsInPlace() { return FVec; }
  /// Writes the text form of elements first..last (already valid), one value per line; false
  /// when the file cannot be created or written.
  bool StoreText(const String& FileName, int first, int last, const std::function<String(T)>& text) const;

 private:
  /// Stores through SetVal when OnChange is assigned (its per-element event), else directly.
  void PutVal(int i, T v);
  /// Shape check of the arithmetic: raises for another size.
  void CheckSameSize(const TVectorT& other) const;
  /// Calls fn(visit, n) with the sample visitor of the statistics range lo..hi and its size n.
  template <typename Fn>
  void VisitRange(int lo, int hi, Fn&& fn) const;
  /// The statistics range as doubles: the work array of the order statistics.
  std::vector<double> SortWork(int lo, int hi) const;

  int FNElem = 1;
  bool FIsEmpty = true;
  std::vector<T> FVec = std::vector<T>(1);
  String FLoadError;
};

extern template class TVectorT<double>;
extern template class TVectorT<int32_t>;

}  // namespace num_detail

/// 1-based vector of doubles. Stream form: LowElem, HighElem and the elements, each as the
/// 10-byte x87 extended image. Text form: "first last", then one value per line.
class TVector : public num_detail::TVectorT<double> {
 public:
  explicit TVector(TComponent* AOwner) : TVectorT(AOwner) {}
  /// Writer of NrOfElem: ignores NE <= 0 and the present size, else Resize(NE).
  void SetVecSize(int NE);
  /// Scales every element to the vector length Length; OnChange. A zero vector raises
  /// EQeltaVectorError "vector has zero length" (no component prefix).
  void SetVecLeng(double Length);
  /// Text form of FirstElem..LastElem (ordered and clamped to 1..NrOfElem): Precision decimals
  /// (below -2: 2, above 20: 20), -1 exponent form in 13 characters, -2 in 26. False when the
  /// file cannot be created or written.
  bool StoreOnFile(int FirstElem, int LastElem, int Precision, const String& FileName) const;

  // --- statistics of the vector of doubles (Qelta_vector_stats.cpp) ---
  /// Counts the elements FirstElem..LastElem (each clamped to 1..NrOfElem, not exchanged: a reversed
  /// range counts nothing) into NE = |LastBin - FirstBin| / BinWidth (rounded) bins of BinWidth from
  /// FirstBin: Histo is resized to NE when it differs and cleared, each value in a bin increments it
  /// through SetVal; v < FirstBin is an underflow, v at or beyond the last bin an overflow; NaN counts
  /// nowhere; MaxCnt is the largest bin count. False, nothing changed, for a nil Histo, BinWidth <= 0,
  /// a bound that is not finite or NE > 500.
  bool Histogram(int FirstElem, int LastElem, double FirstBin, double LastBin, double BinWidth, TIntVector* Histo,
                 int& Underflow, int& Overflow, int& MaxCnt) const;
  /// MeanVar of the whole vector; stddev := the square root of the variance; when it is above 0 every
  /// element becomes (v - mean) / stddev. No event fires.
  void Standardize(double& mean, double& stddev);
  /// MeanVar of the whole vector; every element becomes v - mean; answers the mean. No event fires.
  double MeanCenter();
};

/// 1-based vector of 32-bit integers. Stream form: LowElem, HighElem and the elements as 4-byte
/// little-endian integers. Text form: "first last", then one decimal integer per line; the reader
/// rounds each number to the nearest integer (halves to even).
class TIntVector : public num_detail::TVectorT<int32_t> {
 public:
  explicit TIntVector(TComponent* AOwner) : TVectorT(AOwner) {}
  /// Writer of NrOfElem: ignores NE <= 0 and the present size, else Resize(NE).
  void SetIntVecSize(int NE);
  /// Text form of FirstElem..LastElem (ordered and clamped); false on create or write errors.
  bool StoreOnFile(int FirstElem, int LastElem, const String& FileName) const;
};

}  // namespace qelta

QELTA_PUBLIC_END
