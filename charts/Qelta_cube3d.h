#pragma once
// Qelta_cube3d: what the surface plot (Qelta_plot3d) and the rotatable display (Qelta_Rot3D) share.
// Not part of the public interface.
//
// What: the bounding cube both displays draw: corner numbering, neighbours, faces, the faces meeting
// at each corner and the partners across each axis; the corner depths and the nearest-corner scan;
// and the picture output both offer (BMP file, clipboard, printer, the refused metafiles).
// How: corner k (0..7) lies at the high end of x when bit 2 is set, of y by bit 1, of z by bit 0.
// A face is a closed polygon of four corners. The tables are constant and indexed by corner number.
// Limits: the displays differ on purpose in which corner they shade the faces at (the plot at the
// farthest corner, the display at the nearest); each says so where it draws.

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "Classes.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Types.h"

namespace qelta::plot_detail {

// [SECTION] cube tables

/// +1 when corner k lies at the high end of the axis (0 = x, 1 = y, 2 = z), else -1.
constexpr int CornerSign(int k, int axis) { return ((k >> (2 - axis)) & 1) != 0 ? 1 : -1; }

/// The three corners that differ from corner k in one coordinate.
inline constexpr std::array<std::array<int, 3>, 8> kCubeNeighbours{
    {{1, 2, 4}, {0, 3, 5}, {0, 3, 6}, {1, 2, 7}, {0, 5, 6}, {1, 4, 7}, {2, 4, 7}, {3, 5, 6}}};
/// Faces as closed polygons: z high, y high, z low, y low, x high, x low.
inline constexpr std::array<std::array<int, 4>, 6> kCubeFaces{
    {{1, 5, 7, 3}, {2, 3, 7, 6}, {2, 6, 4, 0}, {0, 4, 5, 1}, {4, 5, 7, 6}, {0, 1, 3, 2}}};
/// The three faces meeting at corner k, in drawing order.
inline constexpr std::array<std::array<int, 3>, 8> kCubeFacesAtCorner{
    {{5, 3, 2}, {0, 3, 5}, {1, 2, 5}, {0, 1, 5}, {3, 4, 2}, {0, 3, 4}, {1, 2, 4}, {0, 4, 1}}};
/// Partner of corner k across z, y and x.
inline constexpr std::array<int, 8> kPartnerZ{1, 0, 3, 2, 5, 4, 7, 6};
inline constexpr std::array<int, 8> kPartnerY{2, 3, 0, 1, 6, 7, 4, 5};
inline constexpr std::array<int, 8> kPartnerX{4, 5, 6, 7, 0, 1, 2, 3};

/// Depth of each corner from the third row of a rotation matrix: the corner's signs on r31, r32, r33.
template <typename T>
std::array<T, 8> CornerDepths(T r31, T r32, T r33) {
  std::array<T, 8> d{};
  for (int k = 0; k < 8; ++k) d[k] = CornerSign(k, 0) * r31 + CornerSign(k, 1) * r32 + CornerSign(k, 2) * r33;
  return d;
}

/// The corner of the smallest depth: the first one on ties, scanning 0..7 against 2147483647.0
/// (corner 0 when no depth lies below it).
template <typename T>
int NearestCorner(const std::array<T, 8>& depths) {
  double best = 2147483647.0;
  int corner = 0;
  for (int k = 0; k < 8; ++k)
    if (static_cast<double>(depths[k]) < best) {
      best = static_cast<double>(depths[k]);
      corner = k;
    }
  return corner;
}

// [SECTION] drawing

/// Colour part/whole of the way from Low to High, per channel with truncating division (system
/// colours resolved): the shading of a cube face.
TColor ShadeBetween(TColor Low, TColor High, int Part, int Whole);
/// One cube face: filled in Color for bbFaces, its outline only for bbFrame, in the current pen.
void DrawCubeFace(TCanvas* c, TBoundingBox Style, const std::array<TPoint, 4>& Corners, TColor Color);
/// The three edges from a corner to its neighbours in the colour; Project(k) gives corner k's pixel.
template <typename Projector>
void DrawCornerEdges(TCanvas* c, int Corner, TColor Color, Projector Project) {
  c->Pen()->SetColor(Color);
  const TPoint from = Project(Corner);
  for (int n : kCubeNeighbours[Corner]) {
    const TPoint to = Project(n);
    c->MoveTo(from.X, from.Y);
    c->LineTo(to.X, to.Y);
  }
}

// [SECTION] numbers

/// v moved away from itself by d (+1 or -1): v + d, or the next double in that direction where adding
/// d changes nothing, so a repaired range never has equal ends.
double StepAway(double v, double d);
/// Value clamped to lo..hi and taken as an int (NaN gives lo).
int ClampToInt(double v, int lo, int hi);
/// v rounded half to even and kept to lo..hi (NaN gives 0): the platform's Round for the displays'
/// hot loops, on doubles and without the rounding-environment save of nearbyint.
inline int64_t RoundClamped(double v, int64_t lo, int64_t hi) {
  if (v != v) return 0;
  if (v <= double(lo)) return lo;
  if (v >= double(hi)) return hi;
  return std::llrint(v);
}

// [SECTION] picture output

/// The text of the metafile refusal: "Component "<Name>": metafile output (WMF/EMF) is not
/// available on this platform".
String MetafileRefusal(const TComponent& c);
/// Writes the picture as a BMP file (whatever the extension); the platform's file errors pass.
void SavePictureAsBmp(const TBitmap& picture, const String& FileName);
/// Puts a copy of the picture on the clipboard.
void CopyPictureToClipboard(const TBitmap& picture);
/// Draws the picture onto the printer's open page with its top-left at (X, Y), enlarged so that Scale
/// 1 keeps its size on the screen (non-finite or non-positive scales count as 1, others are kept to
/// 0.01..100); X and Y come back as the right and bottom edge (exclusive) of what was drawn, so the
/// next picture can go beside or below it. Outside a document the printer draws nothing.
void CopyPictureToOpenPrinter(TBitmap& picture, int& X, int& Y, double Scale);
/// Prints the picture as a document of one page titled Title, at the page's top-left corner.
void PrintPicture(TBitmap& picture, const String& Title, double Scale);
/// Turns every pixel into its grey level (0.299 R + 0.587 G + 0.114 B, rounded).
void ToGrayLevels(TBitmap& picture);

}  // namespace qelta::plot_detail
