#pragma once
// Qelta_wavelet: the discrete wavelet transform of one signal with the orthonormal Daubechies
// filters of 2, 4 and 6 taps (TWavelet1D).
//
// What: a signal of N samples (N a power of two) is replaced in place by its wavelet coefficients
// over a number of levels, or transformed back: after a full forward transform the first sample is
// the coarsest approximation and each following run of 1, 2, 4, ... samples the details of one
// level, the finest last.
// How: the pyramid algorithm (Mallat). One step convolves the first n samples with the low-pass
// filter h and the high-pass filter g (g[L + 1 - e] = (-1)^e h[e], L = 2K taps), keeps every second
// output and writes the approximations to the first half and the details to the second; the taps
// of output l reach back from sample 2l - 1. Samples and sums are 80-bit extended; the filters are
// their closed forms in that precision. Taps before the first sample follow SignalExtMode: wrap
// (periodic: orthonormal, the inverse restores the signal), zero padding, or the half-sample mirror
// (x[-1] = x[0], x[-2] = x[1], ...; folded back into the step's n samples, so short steps stay
// inside them). No tap reaches past the last sample.
// Levels: Transform(Level) runs the steps on N, N/2, N/4, ... samples; InverseTransform(Level) always
// starts at the coarsest level and runs on 2, 4, 8, ... samples. A complete forward transform
// (Level >= log2 N) is undone by an inverse with the same Level; a partial one only by an inverse
// whose levels reach up from length 2, so a partial forward transform is not undone by an inverse
// of the same Level.
// Limits: N = 1, 2, 4, ..., 2^23; orders 1..3 (Haar, D4, D6). Order K gives zero details on
// polynomials of degree below K where the taps do not reach before the first sample.
// Failure channel: EQeltaWaveletError (`Component "Name": text`) for a refused length or order and
// for exhausted memory; the component keeps its size or order then. Reads outside 1..N answer 0,
// writes there are ignored.

#include <cstdint>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit.
QELTA_DECLARE_EXCEPTION(EQeltaWaveletError, EQeltaError)

/// How a step extends the signal before its first sample.
enum TWLSigExtMode : uint8_t { wseWrap, wseZeroPad, wseSymmetric };
/// The wavelet families; Daubechies is the only one.
enum TWaveletFamily : uint8_t { wlfDaubechies };

/// One signal and its wavelet transform. After Create: 256 samples of 0, wseWrap, order 2 (D4).
class TWavelet1D : public TComponent {
 public:
  /// EQeltaWaveletError "... not enough memory on heap".
  explicit TWavelet1D(TComponent* AOwner);

  // --- the transform ---
  /// Forward steps on N, N/2, ... samples for Level steps (Level <= 0 counts as 1) while the length is
  /// above 1. Nothing when N = 1.
  void Transform(int Level);
  /// Inverse steps on 2, 4, ... samples for Level steps (Level <= 0 counts as 1) while the length is at
  /// most N: the coarsest level first (see the header's note on partial transforms).
  void InverseTransform(int Level);
  /// One forward or inverse step over all N samples.
  void SingleStep(bool inverse);
  /// One forward or inverse step over the n samples after the first `offset` ones; nothing for
  /// n <= 1 or a stretch outside the signal.
  void PartialWLT(int n, int offset, bool inverse);

  // --- samples (1..N) ---
  Extended GetDataVal(int i) const;
  void SetDataVal(int i, Extended v);
  /// Every sample 0.
  void Clear();

  // --- properties ---
  int Size() const { return FNumData; }
  /// n must be one of 1, 2, 4, ..., 2^23, else EQeltaWaveletError "... data length must be power of 2";
  /// the signal becomes n zeros. EQeltaWaveletError "... not enough memory on heap" keeps the old one.
  void SetNumData(int n);
  int Order() const { return FOrder; }
  /// K = 1..3 rebuilds the filters (2K taps); else EQeltaWaveletError "... invalid order of
  /// Daubechies wavelet family" and the order stays.
  void SetOrder(int k);
  TWLSigExtMode SignalExtMode() const { return FWLSigExtMode; }
  void SetSigExtMode(TWLSigExtMode m) { FWLSigExtMode = m; }
  TWaveletFamily WaveletFamily() const { return FWaveletFam; }
  void SetWaveletFam(TWaveletFamily f) { FWaveletFam = f; }

 private:
  /// Runs Level steps, forward or inverse.
  void DoWLT(int Level, bool inverse);
  /// One step on x[0..n-1] through the scratch block y (at least n values).
  void Step(Extended* x, int n, bool inverse, Extended* y) const;
  /// Scratch for steps of up to n samples; EQeltaWaveletError when memory is exhausted.
  std::unique_ptr<Extended[]> Scratch(int n) const;

  int FNumData = 256;
  std::vector<Extended> FData;
  int FOrder = 2;
  std::vector<Extended> FCoeffsLP;  ///< h, 2K taps
  std::vector<Extended> FCoeffsHP;  ///< g, 2K taps
  TWLSigExtMode FWLSigExtMode = wseWrap;
  TWaveletFamily FWaveletFam = wlfDaubechies;
};

namespace num_detail {
/// The low-pass filter h of order k (1..3; 2k taps, sum sqrt(2)) from its closed form; empty for
/// other orders. Not part of the public interface.
std::vector<Extended> DaubechiesLowPass(int k);
}  // namespace num_detail

}  // namespace qelta

QELTA_PUBLIC_END
