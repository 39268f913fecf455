// Qelta_math2: the pseudo-inverse, the image correlation and the correlation rule of running sums.
//
// PseudoInverse: V diag(1 / w) U^T from the decomposition of a copy; values up to the threshold
// contribute 0 instead of a division.
// CalcImgCorrelation reads the pixels straight from the bitmaps' storage (0xAARRGGBB) and turns
// them into colours (0x00BBGGRR) as the canvas reader does; a pixel outside a bitmap is colour -1
// (the reader's answer there). Pixels are visited columns outermost, rows inside, both edges
// inclusive. Only the columns and rows where at least one of the two pixels lies inside its bitmap
// are visited; the pairs where both lie outside are all the same pair and enter the sums once with
// their count, so an area far larger than the bitmaps costs no more than the bitmaps.
// Deliberate deviations: a Threshold below 0 selects the default as 0 does (a negative one let
// zero singular values be divided by); areas of different heights are refused like different
// widths (the rows of the second area would otherwise follow the first area's height).

#include <algorithm>
#include <cmath>

#include "Qelta_linalg_internal.h"
#include "Qelta_math2.h"
#include "Qelta_math2_internal.h"
#include "Qelta_qeltacolors.h"

namespace qelta {

// [SECTION] the correlation rule

double num_detail::CorrelationOfSums(Extended n, Extended sumx, Extended sumy, Extended sumxq, Extended sumyq,
                                 Extended sumxy) {
  if (!(n >= 3) || !(sumxq > 0) || !(sumyq > 0)) return 0.0;
  const double sxx = static_cast<double>(sumxq - sumx * sumx / n);
  const double syy = static_cast<double>(sumyq - sumy * sumy / n);
  if (sxx == 0.0 || syy == 0.0) return 0.0;
  return static_cast<double>((sumxy - sumx * sumy / n) / std::sqrt(std::fabs(static_cast<Extended>(sxx) * syy)));
}

// [SECTION] pseudo-inverse

namespace {

bool PseudoInverseOf(const TMatrix& Mat, TMatrix& PInv, double Threshold) {
  const int m = Mat.NrOfRows(), n = Mat.NrOfColumns(), rows = std::max(m, n);
  std::vector<double> u(static_cast<std::size_t>(rows) * n, 0.0), v(static_cast<std::size_t>(n) * n),
      w(static_cast<std::size_t>(n));
  const std::vector<double> cells = num_detail::TMatrixAccess::Cells(Mat);  // PInv may be Mat
  for (int c = 0; c < n; ++c)
    std::copy_n(cells.data() + static_cast<int64_t>(c) * m, m, u.data() + static_cast<int64_t>(c) * rows);
  PInv.Resize(m, n);
  if (!num_detail::SvdKernel(rows, n, u.data(), v.data(), w.data(), true)) return false;
  double wmax = 0.0;
  for (double wi : w) wmax = std::max(wmax, wi);
  if (Threshold <= 0) Threshold = std::max(n, m) * wmax * 1.2e-16;
  for (int i = 0; i < n; ++i) {
    double* vi = v.data() + static_cast<int64_t>(i) * n;
    const double wi = w[static_cast<std::size_t>(i)];
    for (int k = 0; k < n; ++k) vi[k] = std::fabs(wi) > Threshold ? vi[k] / wi : 0.0;
  }
  std::vector<double> ut(static_cast<std::size_t>(n) * m), p(static_cast<std::size_t>(n) * m);
  for (int c = 0; c < n; ++c)
    for (int r = 0; r < m; ++r) ut[c + static_cast<std::size_t>(r) * n] = u[r + static_cast<std::size_t>(c) * rows];
  num_detail::Gemm(false, n, m, n, 1.0, v.data(), n, ut.data(), n, 0.0, p.data(), n);
  num_detail::TMatrixAccess::Store(PInv, p.data(), m, n, n);
  return true;
}

}  // namespace

bool PseudoInverse(const TMatrix* Mat, TMatrix* PInv, double Threshold) {
  if (Mat == nullptr || PInv == nullptr) return false;
  return num_detail::GuardMemory(u"PseudoInverse", [&] { return PseudoInverseOf(*Mat, *PInv, Threshold); });
}

// [SECTION] image correlation

namespace {

/// Colour (0x00BBGGRR) of pixel (x, y); -1 outside the bitmap or for a nil one.
TColor PixelColor(const TBitmap* bmp, int64_t x, int64_t y) {
  if (bmp == nullptr || x < 0 || y < 0 || x >= bmp->Width() || y >= bmp->Height()) return -1;
  const uint32_t px = bmp->ScanLine(static_cast<int>(y))[x];
  return static_cast<TColor>(((px & 0xFFu) << 16) | (px & 0xFF00u) | ((px >> 16) & 0xFFu));
}

/// The quantity that CompMode compares.
double PixelValue(TColor color, TImgCompareMode mode) {
  const int red = color & 0xFF, green = (color >> 8) & 0xFF, blue = (color >> 16) & 0xFF;
  switch (mode) {
    case icmRed: return red;
    case icmGreen: return green;
    case icmBlue: return blue;
    case icmGrayValues: return RGBtoGray(red, green, blue);
    case icmHue:
    case icmLightness:
    case icmSaturation: {
      double hue = 0, sat = 0, intens = 0;
      RGBtoHSI(red, green, blue, hue, sat, intens);
      return mode == icmHue ? hue : (mode == icmSaturation ? sat : intens);
    }
  }
  return 0.0;
}

/// Closed interval of 64-bit positions (empty when Lo > Hi).
struct TSpan {
  int64_t Lo = 0, Hi = -1;
  int64_t Count() const { return Hi >= Lo ? Hi - Lo + 1 : 0; }
};

TSpan Meet(TSpan a, TSpan b) { return {std::max(a.Lo, b.Lo), std::min(a.Hi, b.Hi)}; }

/// The union of a and b inside `range` as at most two ordered, disjoint spans.
std::vector<TSpan> UnionWithin(TSpan range, TSpan a, TSpan b) {
  a = Meet(a, range);
  b = Meet(b, range);
  std::vector<TSpan> spans;
  for (TSpan s : {a, b})
    if (s.Count() > 0) spans.push_back(s);
  std::sort(spans.begin(), spans.end(), [](TSpan x, TSpan y) { return x.Lo < y.Lo; });
  if (spans.size() == 2 && spans[1].Lo <= spans[0].Hi + 1) spans = {{spans[0].Lo, std::max(spans[0].Hi, spans[1].Hi)}};
  return spans;
}

struct TImagePair {
  const TBitmap* Img1;
  const TBitmap* Img2;
  int64_t Dx, Dy;
  TImgCompareMode Mode;
  TSpan Rows;  ///< rows of area 1

  /// Extent of a bitmap's columns (rows) shifted into area-1 coordinates.
  static TSpan Extent(const TBitmap* b, bool columns, int64_t shift) {
    const int64_t size = b == nullptr ? 0 : (columns ? b->Width() : b->Height());
    return {-shift, size - 1 - shift};
  }

  /// Column x: the pairs of the rows where a pixel lies inside; answers how many rows had none.
  int64_t Column(int64_t x, num_detail::TCorrelationSums& sums) const {
    const bool in1 = x >= 0 && Img1 != nullptr && x < Img1->Width();
    const bool in2 = x + Dx >= 0 && Img2 != nullptr && x + Dx < Img2->Width();
    const TSpan r1 = in1 ? Extent(Img1, false, 0) : TSpan{}, r2 = in2 ? Extent(Img2, false, Dy) : TSpan{};
    int64_t visited = 0;
    for (TSpan s : UnionWithin(Rows, r1, r2)) {
      for (int64_t y = s.Lo; y <= s.Hi; ++y)
        sums.Add(PixelValue(PixelColor(Img1, x, y), Mode), PixelValue(PixelColor(Img2, x + Dx, y + Dy), Mode));
      visited += s.Count();
    }
    return Rows.Count() - visited;
  }
};

}  // namespace

double CalcImgCorrelation(const TBitmap* Img1, const TBitmap* Img2, const TRect& Area1, const TRect& Area2,
                          TImgCompareMode CompMode) {
  if (int64_t{Area1.Right} - Area1.Left != int64_t{Area2.Right} - Area2.Left ||
      int64_t{Area1.Bottom} - Area1.Top != int64_t{Area2.Bottom} - Area2.Top)
    throw EQeltaMath2Error(u"image ranges to compare are not of equal size");
  const TImagePair pair{Img1, Img2, int64_t{Area2.Left} - Area1.Left, int64_t{Area2.Top} - Area1.Top, CompMode,
                        TSpan{Area1.Top, Area1.Bottom}};
  const TSpan columns{Area1.Left, Area1.Right};
  num_detail::TCorrelationSums sums;
  Extended outside = 0;  // pairs with both pixels outside their bitmaps
  int64_t visited = 0;
  for (TSpan s : UnionWithin(columns, TImagePair::Extent(Img1, true, 0), TImagePair::Extent(Img2, true, pair.Dx))) {
    for (int64_t x = s.Lo; x <= s.Hi; ++x) outside += pair.Column(x, sums);
    visited += s.Count();
  }
  outside += static_cast<Extended>(columns.Count() - visited) * pair.Rows.Count();
  if (outside > 0) sums.Add(PixelValue(-1, CompMode), PixelValue(-1, CompMode), outside);
  return sums.R();
}

}  // namespace qelta
