// Qelta_Rot3D: painting and the mouse of TRot3D.
//
// Projection: pixel = (model . matrix row) div FMagnify + centre, in 64-bit integers, truncating, so
// points just left of and just right of the centre both land on the centre column (the one-pixel seam
// is part of the picture). Every drawn pixel is kept to +-30000.
// Order: OnBeforeRenderData, the three box faces meeting at the nearest corner s (shaded by how
// squarely they face the viewer), the axes from the centre (inside the box in the hidden-line colour,
// outside it in the frame colour), the hidden edges from the farthest corner o, the rotated objects in
// list order, the front edges from s, the axis names, OnDataRendered. (The surface plot shades the
// faces at its farthest corner: the two displays look at their boxes from opposite sides.)
// Objects: a move sets the pen position, a line draws from wherever the pen stands (after a mark,
// where that mark left it), a mark draws a shape (0..51), a digit (200..209) or the character of its
// code (U+00xx) in the control's font face. Colours are set when they differ from the canvas's.
// A control too large for a bitmap is drawn straight onto its canvas.
// Mouse: as the surface plot, but the angles are never wrapped and a vertical drag adds a full turn
// through the Height + Y - AnchorY term, as the classic display did.

#include <algorithm>
#include <cmath>

#include "Math.h"
#include "Qelta_Rot3D.h"
#include "Qelta_cube3d.h"

namespace qelta {
namespace {

constexpr int64_t kPixelLimit = 30000;

int Clamped(int64_t v) { return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit)); }

}  // namespace

// [SECTION] projection

TRot3D::TModelPoint TRot3D::ProjectRaw(int64_t X, int64_t Y, int64_t Z) const {
  const auto& R = FRotMat;
  return {(X * R[0][0] + Y * R[0][1] + Z * R[0][2]) / FMagnify + FCentX,
          (X * R[1][0] + Y * R[1][1] + Z * R[1][2]) / FMagnify + FCentY};
}

TPoint TRot3D::Project(int64_t X, int64_t Y, int64_t Z) const {
  const TModelPoint p = ProjectRaw(X, Y, Z);
  return Point(Clamped(p.X), Clamped(p.Y));
}

TPoint TRot3D::ProjectCorner(int k) const { return Project(CubeCorners[k][0], CubeCorners[k][1], CubeCorners[k][2]); }

// [SECTION] paint

void TRot3D::Paint() {
  if (Visible()) Present([this](TCanvas* c) { RenderInto(c, true); });
}

void TRot3D::Present(const std::function<void(TCanvas*)>& Draw) {
  if (int64_t{Width()} * Height() > platform_detail::kMaxImagePixels) return Draw(Canvas());  // no bitmap that large
  GrafBmp->SetSize(Width(), Height());
  Draw(GrafBmp->Canvas());
  Canvas()->Draw(0, 0, GrafBmp.get());
}

void TRot3D::RenderInto(TCanvas* c, bool IncludeFrame) {
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(FChartCol);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(FChartCol);
  c->Rectangle(0, 0, Width(), Height());
  ConstructDataBmp(c);
  if (IncludeFrame) DrawFrame(c, FFrameStyle, 0, 0, Width() - 1, Height() - 1, clWhite, clSilver, clGray, clBlack, FFrameCol);
}

void TRot3D::ConstructDataBmp(TCanvas* Canvas) {
  TCanvas* c = Canvas;
  FFontPixPerInch = c->Font()->PixelsPerInch();
  if (OnBeforeRenderData) OnBeforeRenderData(this, c);
  const bool box = FBoundBox != bbNone;
  const int s = box ? plot_detail::NearestCorner(plot_detail::CornerDepths(FRotMat[2][0], FRotMat[2][1], FRotMat[2][2])) : 0;
  const int o = box ? 7 - s : 7;
  if (box) DrawBoxFaces(c, s);
  if (FShowAxes) DrawAxes(c);
  if (box) DrawBoxEdges(c, o, FColorCubeHidLin);
  DrawObjects(c);
  c->Pen()->SetWidth(1);
  if (box) DrawBoxEdges(c, s, FColorCubeFrame);
  if (FShowAxes) DrawAxisNames(c);
  if (OnDataRendered) OnDataRendered(this, c);
}

void TRot3D::DrawBoxFaces(TCanvas* c, int s) {
  const auto depths = plot_detail::CornerDepths(FRotMat[2][0], FRotMat[2][1], FRotMat[2][2]);
  c->Pen()->SetColor(FColorCubeFrame);
  for (int face : plot_detail::kCubeFacesAtCorner[s]) {
    int sum = 0;
    std::array<TPoint, 4> corners;
    for (int i = 0; i < 4; ++i) {
      sum += depths[plot_detail::kCubeFaces[face][i]];
      corners[i] = ProjectCorner(plot_detail::kCubeFaces[face][i]);
    }
    const int h = std::clamp(-sum / 10, 0, 400);
    plot_detail::DrawCubeFace(c, FBoundBox, corners, plot_detail::ShadeBetween(FColorCubeFaceLo, FColorCubeFaceHi, h, 400));
  }
}

void TRot3D::DrawBoxEdges(TCanvas* c, int corner, TColor color) {
  plot_detail::DrawCornerEdges(c, corner, color, [this](int k) { return ProjectCorner(k); });
}

void TRot3D::DrawAxes(TCanvas* c) {
  const int inside = std::min(FAxSize, FBBSize);
  for (int j : {2, 1, 0}) {
    const auto along = [&](int64_t length) {
      return Point(Clamped(length * FRotMat[0][j] / FMagnify + FCentX), Clamped(length * FRotMat[1][j] / FMagnify + FCentY));
    };
    c->Pen()->SetColor(FColorCubeHidLin);
    c->MoveTo(FCentX, FCentY);
    const TPoint p = along(inside), q = along(FAxSize);
    c->LineTo(p.X, p.Y);
    c->Pen()->SetColor(FColorCubeFrame);
    c->LineTo(q.X, q.Y);
  }
}

void TRot3D::DrawObjects(TCanvas* c) {
  for (size_t i = 0; i < FRotDataX.size(); ++i) {
    const uint8_t prop = FRotProp[i];
    const TColor color = FBlackAndWhite ? clBlack : FItemColors[prop & 0x1F];
    const TPoint p = Project(FRotDataX[i], FRotDataY[i], FRotDataZ[i]);
    switch (prop & 0xE0) {
      case 0x20: c->MoveTo(p.X, p.Y); break;
      case 0x40:
        if (c->Pen()->Color() != color) c->Pen()->SetColor(color);
        c->Pen()->SetWidth(FLineWid[i]);
        c->LineTo(p.X, p.Y);
        break;
      case 0x60:
        if (c->Pen()->Color() != color) c->Pen()->SetColor(color);
        if (c->Brush()->Color() != color) c->Brush()->SetColor(color);
        if (FRotMark[i] < 52) {
          DrawMarkOnCanvas(c, FRotMark[i], p.X, p.Y);
        } else {
          DrawTextMark(c, FRotMark[i], p, color);
        }
        break;
      default: break;
    }
  }
}

void TRot3D::DrawTextMark(TCanvas* c, uint8_t mark, TPoint at, TColor color) {
  const String text(1, mark >= 200 && mark <= 209 ? static_cast<Char>(u'0' + (mark - 200)) : static_cast<Char>(mark));
  TFont* f = c->Font();
  f->SetName(Font()->Name());
  f->SetStyle(FTextFontStyle);
  SetCanvasFontSizeScaled(c, FTextMarkSize);
  f->SetColor(color);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(at.X - c->TextWidth(text) / 2, at.Y - c->TextHeight(text) / 2, text);
  f->SetPixelsPerInch(FFontPixPerInch);
}

void TRot3D::DrawAxisNames(TCanvas* c) {
  TFont* f = c->Font();
  f->SetName(Font()->Name());
  f->SetStyle(Font()->Style());
  SetCanvasFontSizeScaled(c, Font()->Size());
  f->SetColor(Font()->Color());
  c->Brush()->SetStyle(bsClear);
  const int64_t length = int64_t{FAxSize} + 50;
  for (int j : {2, 1, 0}) {
    const int x = Clamped(length * FRotMat[0][j] / FMagnify + FCentX), y = Clamped(length * FRotMat[1][j] / FMagnify + FCentY);
    c->TextOut(x - c->TextWidth(FAxName[j]) / 2, y - c->TextHeight(FAxName[j]) / 2, FAxName[j]);
  }
  f->SetPixelsPerInch(FFontPixPerInch);
}

// [SECTION] mouse

void TRot3D::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (X < 0 || X > Width() || Y < 0 || Y > Height()) return;
  const bool left = Shift.Contains(ssLeft), right = Shift.Contains(ssRight);
  if (!left && !right) {
    MouseAnchorX = X;
    MouseAnchorY = Y;
    FCentXAnchor = FCentX;
    FCentYAnchor = FCentY;
    FMagAnchor = 4000.0 / FMagnify;
    FAngleAnchor = FViewAngle;
    return;
  }
  if (Width() == 0 || Height() == 0) return;
  const double turn = (MouseAnchorX - X) * 360.0 / Width();
  const double tilt = (Height() + Y - MouseAnchorY) * 360.0 / Height();
  if (left && (FMouseAction == maRotate || FMouseAction == maRotAndZoom)) {
    FViewAngle[0] = (FRotMat3D ? turn : tilt) + FAngleAnchor[0];
    if (FRotMat3D) {
      FViewAngle[1] = tilt + FAngleAnchor[1];
    } else {
      FViewAngle[2] = turn + FAngleAnchor[2];
    }
    CalcRotMatrix();
  } else if ((left && FMouseAction == maZoom) || (right && FMouseAction == maRotAndZoom)) {
    const double m = std::clamp(FMagAnchor + (5.0 - 0.1) * (MouseAnchorY - Y) / Height(), 0.1, 5.0);
    FMagnify = static_cast<int>(Round(4000 / m));
  } else if (left && FMouseAction == maPan) {
    FCentX = plot_detail::ClampToInt(double(FCentXAnchor) + X - MouseAnchorX, INT32_MIN, INT32_MAX);
    FCentY = plot_detail::ClampToInt(double(FCentYAnchor) + Y - MouseAnchorY, INT32_MIN, INT32_MAX);
  } else {
    return;
  }
  Repaint3D();
}

}  // namespace qelta
