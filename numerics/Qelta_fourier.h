#pragma once
// Qelta_fourier: the fast Fourier transform of one block of complex samples (TFastFourier).
//
// What: N complex samples (N a power of two) are weighted by a window and transformed in place;
// the same storage then holds the spectrum, from which power, magnitude, phase, Fourier-series
// coefficients and the RMS of a band of lines are read.
// How: the forward transform is X(k) = sum_j x(j) exp(+2 pi i jk / N), unnormalised; the inverse
// uses exp(-2 pi i jk / N) and divides by N, so it restores the samples after a forward transform
// with the rectangular window (no window is removed). Radix-4 decimation in frequency on the real
// and imaginary parts kept apart, with twiddle factors from exact tables (Qelta_fourier_fft.cpp):
// O(N log N), about 1e-16 sqrt(log2 N) relative to the largest line.
// Limits: N = 1, 2, 4, ..., 2^23. A line k of the spectrum stands with its partner N - k for the
// real frequency k / (N SampleTime), k = 0..N/2; the line N/2 is its own partner and is counted twice.
// Failure channel: EQeltaFourierError for a length that is not such a power of two and for exhausted
// memory (`Component "Name": text`); reads outside 1..N answer 0 and writes there are ignored;
// spectrum queries outside their lines answer 0.

#include <cstdint>
#include <vector>

#include "Classes.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit.
QELTA_DECLARE_EXCEPTION(EQeltaFourierError, EQeltaError)

/// Weighting windows applied by Transform (weights in Qelta_fourier.cpp).
enum TFastFourierWgtWin : uint8_t {
  fwRectangle,
  fwTriangle,
  fwCos2,
  fwGauss,
  fwHamming,
  fwBlackman,
  fwBlkmHarris,
  fwBlkmNuttall,
  fwUserDef
};

/// One block of complex samples and its spectrum. After Create: 256 samples of 0, fwRectangle,
/// every user weight 1.0.
class TFastFourier : public TComponent {
 public:
  /// EQeltaFourierError "... not enough memory on heap".
  explicit TFastFourier(TComponent* AOwner);

  // --- the transform ---
  /// Multiplies real and imaginary parts by the window, then the forward transform in place.
  void Transform();
  /// The inverse transform in place, divided by N; no window is applied or removed.
  void InverseTransform();

  // --- samples and spectrum lines as stored (1..N) ---
  double GetRealVal(int i) const;
  double GetImagVal(int i) const;
  void SetRealVal(int i, double v);
  void SetImagVal(int i, double v);
  /// User weight of sample i for fwUserDef.
  double GetWgtVal(int i) const;
  void SetWgtVal(int i, double v);
  /// All parts 0 (ClearReal, ClearImag: only one of them).
  void Clear();
  void ClearReal();
  void ClearImag();

  // --- spectrum queries (k: 0-based line, after Transform) ---
  /// k = 0: |X0|^2 / N; 1 <= k <= N/2: (|Xk|^2 + |X(N-k)|^2) / N; else 0.
  double GetPowerSpec(int k) const;
  /// k = 0: |X0| / N; 1 <= k <= N/2: |(re_k + re_(N-k), im_k - im_(N-k))| / N; else 0.
  double GetMagnitude(int k) const;
  /// Cosine coefficient: k = 0: re_0 / N; 1 <= k <= N/2: (re_k + re_(N-k)) / N; else 0.
  double GetFSerCos(int k) const;
  /// Sine coefficient: 1 <= k <= N/2: (im_k - im_(N-k)) / N; else 0.
  double GetFSerSin(int k) const;
  /// Two-quadrant phase arctan(im_k / re_k) of line k, 1 <= k <= N/2 (re_k = 0: +pi/2 when im_k > 0,
  /// else -pi/2); else 0.
  double GetPhase(int k) const;
  /// sqrt(sum of the unnormalised power terms of lines FirstIx..LastIx) / N; both clamped to 0..N/2,
  /// then put in order.
  double RMS(int FirstIx, int LastIx) const;
  /// Frequency of line ix: ix / SampleTime / N for 1 <= ix <= N/2, else 0.
  double FreqOfLine(int ix, double SampleTime) const;
  /// Line of frequency f: Round(N f SampleTime) when that lies in 1..N/2, else 0.
  int LineOfFreq(double SampleTime, double f) const;

  // --- extremes, computed together on the first read after a change ---
  /// Largest unnormalised power term of lines 1..N/2 - 1, divided by N (0 when there is none).
  double PowerMax() const;
  /// Largest magnitude term of lines 1..N/2, divided by N (0 when there is none).
  double MagniMax() const;
  /// Largest and smallest real and imaginary parts of the N stored values.
  double RealMax() const;
  double ImagMax() const;
  double RealMin() const;
  double ImagMin() const;

  // --- properties ---
  int SpectrumSize() const { return FNumData; }
  /// n must be one of 1, 2, 4, ..., 2^23, else EQeltaFourierError "... data length must be power of 2"
  /// (the block stays). The samples become n zeros and the user weights n zeros;
  /// EQeltaFourierError "... not enough memory on heap" keeps the old block.
  void SetNumData(int n);
  TFastFourierWgtWin WeightingWindow() const { return FWgtWin; }
  /// Stored; used by the next Transform.
  void SetWgtWin(TFastFourierWgtWin w) { FWgtWin = w; }

 private:
  /// Multiplies both parts of every sample by the window's weight.
  void ApplyWindow();
  /// The unnormalised power term of line k (0..N/2).
  double PowerTerm(int k) const;
  /// The magnitude term of line k (0..N/2): N times GetMagnitude.
  double MagnitudeTerm(int k) const;
  void UpdateExtremes() const;
  /// Sizes the blocks: samples (re, im) n zeros, user weights n times `weight`.
  void Allocate(int n, double weight);

  int FNumData = 256;
  TFastFourierWgtWin FWgtWin = fwRectangle;
  mutable bool MaxValuesValid = false;
  mutable double FMaxReal = 0, FMaxImag = 0, FMinReal = 0, FMinImag = 0;
  mutable double FMaxPower = 0, FMaxMagni = 0;
  std::vector<double> FUserWgt;
  std::vector<double> FRe;  ///< real parts: samples before, spectrum after the transform
  std::vector<double> FIm;  ///< imaginary parts
};

}  // namespace qelta

QELTA_PUBLIC_END
