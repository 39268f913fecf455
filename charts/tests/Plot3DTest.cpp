// TPlot3D as a model: defaults, property repairs, calibration, rotation matrix, colour coding, the
// grid bookkeeping and AutoScale / Reset. Pictures, mouse and output are Plot3DPaintTest's.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "Assertions.h"
#include "Qelta_plot3d.h"

using namespace qelta;

namespace {

TEST(Plot3D, ConstructionSetsTheDocumentedValues) {
  TPlot3D p(nullptr);
  EXPECT_EQ(p.Width(), 650);
  EXPECT_EQ(p.Height(), 500);
  EXPECT_EQ(p.ViewAngleX(), 60);
  EXPECT_EQ(p.ViewAngleZ(), 15);
  EXPECT_EQ(p.Magnification(), 1.0);
  EXPECT_EQ(p.ScaleFactX(), 1.0);
  EXPECT_EQ(p.ScaleFactZ(), 1.0);
  EXPECT_EQ(p.RangeXLow(), -1);
  EXPECT_EQ(p.RangeZHigh(), 1);
  EXPECT_EQ(p.MinTickY(), 3);
  EXPECT_EQ(p.DecPlaceX(), 1);
  EXPECT_EQ(p.DecPlaceZ(), 2);
  EXPECT_EQ(p.LabDistX(), 40);
  EXPECT_EQ(p.LabDistZ(), 20);
  EXPECT_EQ(p.CaptionY(), u"Y");
  EXPECT_EQ(p.CentX(), 325);
  EXPECT_EQ(p.CentY(), 250);
  EXPECT_TRUE(p.AutoCenter());
  EXPECT_EQ(p.ColorScaleLow(), 0);
  EXPECT_EQ(p.ColorScaleHigh(), 100);
  EXPECT_EQ(p.ColorCodingMode(), ccmTwoColors);
  EXPECT_EQ(p.ColorHigh(), 0x00FFFF);
  EXPECT_EQ(p.ColorMid(), 0xFF0000);
  EXPECT_EQ(p.ColorLow(), clBlack);
  EXPECT_FALSE(p.ColorCodeAvg());
  EXPECT_TRUE(p.MeshVisible());
  EXPECT_EQ(p.MeshKind(), mkMesh);
  EXPECT_EQ(p.ColorBakGnd(), clWhite);
  EXPECT_EQ(p.FrameStyle(), fsLowered);
  EXPECT_EQ(p.ColorScheme(), csSystem);
  EXPECT_EQ(p.BoundBoxStyle(), bbFaces);
  EXPECT_EQ(p.ColorCubeFrame(), 0x404040);
  EXPECT_EQ(p.ColorCubeHidLin(), 0xB0B0B0);
  EXPECT_EQ(p.ColorCubeFaceLow(), 0xC0C0C0);
  EXPECT_EQ(p.ColorCubeFaceHigh(), 0xFEEFEE);
  EXPECT_EQ(p.ColorXCoords(), 0x0000FF);
  EXPECT_EQ(p.ColorYCoords(), 0xFF0000);
  EXPECT_EQ(p.ColorZCoords(), clBlack);
  EXPECT_TRUE(p.VisibleZCoords());
  EXPECT_EQ(p.MouseAction(), maRotate);
  EXPECT_FALSE(p.SuppressPaint());
  EXPECT_EQ(p.CalibZk(), 150);
  EXPECT_EQ(p.CalibZd(), 0);
  EXPECT_TRUE(p.ControlStyle().Contains(csOpaque));
  EXPECT_EQ(p.GridMat()->NrOfColumns(), 1);
}

TEST(Plot3D, CubeCornersFollowTheBitsOfTheirNumber) {
  TPlot3D p(nullptr);
  struct Case {
    int k;
    double x, y, z;
  };
  for (const Case c : {Case{0, -150, -150, -150}, Case{1, -150, -150, 150}, Case{2, -150, 150, -150},
                       Case{4, 150, -150, -150}, Case{7, 150, 150, 150}}) {
    EXPECT_EQ(p.CubeCorner(c.k, 1), c.x) << c.k;
    EXPECT_EQ(p.CubeCorner(c.k, 2), c.y) << c.k;
    EXPECT_EQ(p.CubeCorner(c.k, 3), c.z) << c.k;
  }
  EXPECT_EQ(p.CubeCorner(8, 1), 0);
  EXPECT_EQ(p.CubeCorner(0, 4), 0);
}

// --- view angles, magnification, ranges ----------------------------------------------------------

TEST(Plot3D, ViewAnglesWrapIntoZeroToThreeSixty) {
  struct Case {
    double in, out;
  };
  for (const Case c : {Case{400, 40}, Case{-30, 330}, Case{360, 360}, Case{720, 0}, Case{-360, 360}, Case{0, 0},
                       Case{1e9, 280}}) {
    TPlot3D p(nullptr);
    p.SetViewAngleX(c.in);
    EXPECT_NEAR(p.ViewAngleX(), c.out, 1e-6) << c.in;
    p.SetViewAngleZ(c.in);
    EXPECT_NEAR(p.ViewAngleZ(), c.out, 1e-6) << c.in;
  }
  TPlot3D p(nullptr);
  p.SetViewAngles(-90, 450);
  EXPECT_EQ(p.ViewAngleX(), 270);
  EXPECT_EQ(p.ViewAngleZ(), 90);
  p.SetViewAngleX(std::numeric_limits<double>::quiet_NaN());
  p.SetViewAngleZ(std::numeric_limits<double>::infinity());
  EXPECT_EQ(p.ViewAngleX(), 270);
  EXPECT_EQ(p.ViewAngleZ(), 90);
}

TEST(Plot3D, MagnificationIsKeptToATenthToFive) {
  TPlot3D p(nullptr);
  for (auto [in, out] : {std::pair{7.0, 5.0}, {0.05, 0.1}, {2.5, 2.5}, {-1.0, 0.1}}) {
    p.SetMagnification(in);
    EXPECT_EQ(p.Magnification(), out) << in;
  }
  p.SetMagnification(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.Magnification(), 0.1);
}

TEST(Plot3D, AnEqualRangeEndIsMovedAwayByOne) {
  TPlot3D p(nullptr);
  p.SetRangeZHigh(5);
  p.SetRangeZLow(5);  // equal to the high end: moved down by 1
  EXPECT_EQ(p.RangeZLow(), 4);
  p.SetRangeXLow(3);
  p.SetRangeXHigh(3);  // equal to the low end: moved up by 1
  EXPECT_EQ(p.RangeXHigh(), 4);
  p.SetRangeYHigh(1e300);
  p.SetRangeYLow(1e300);  // a step of 1 changes nothing there: the next double below
  EXPECT_LT(p.RangeYLow(), p.RangeYHigh());
}

TEST(Plot3D, SetRangeWidensEqualPairsByAHalfOnEachSide) {
  TPlot3D p(nullptr);
  p.SetRange(2, 2, 0, 10, -3, -3);
  EXPECT_EQ(p.RangeXLow(), 1.5);
  EXPECT_EQ(p.RangeXHigh(), 2.5);
  EXPECT_EQ(p.RangeYLow(), 0);
  EXPECT_EQ(p.RangeYHigh(), 10);
  EXPECT_EQ(p.RangeZLow(), -3.5);
  EXPECT_EQ(p.RangeZHigh(), -2.5);
}

TEST(Plot3D, TheZRangeCalibratesHeightsOntoTheCube) {
  TPlot3D p(nullptr);
  p.SetRange(0, 1, 0, 1, 10, 40);
  EXPECT_EQ(p.CalibZk(), 10);
  EXPECT_EQ(p.CalcIntZ(10), -150);
  EXPECT_EQ(p.CalcIntZ(40), 150);
  EXPECT_EQ(p.CalcIntZ(25), 0);
}

TEST(Plot3D, SettersClampTicksDecimalsCentreAndColourScale) {
  TPlot3D p(nullptr);
  p.SetMinTickX(1);
  p.SetMinTickY(25);
  EXPECT_EQ(p.MinTickX(), 2);
  EXPECT_EQ(p.MinTickY(), 20);
  p.SetDecPlaceX(-5);
  p.SetDecPlaceY(30);
  EXPECT_EQ(p.DecPlaceX(), -2);
  EXPECT_EQ(p.DecPlaceY(), 12);
  p.SetCentX(10);  // AutoCenter on: recentred, the value ignored
  EXPECT_EQ(p.CentX(), 325);
  p.SetAutoCenter(false);
  p.SetCentX(-5000);
  p.SetCentY(5000);
  EXPECT_EQ(p.CentX(), -650);
  EXPECT_EQ(p.CentY(), 1000);
  p.SetAutoCenter(true);
  EXPECT_EQ(p.CentX(), 325);
  EXPECT_EQ(p.CentY(), 250);
  p.SetColorScaleLow(100);  // not below the high end: refused
  EXPECT_EQ(p.ColorScaleLow(), 0);
  p.SetColorScaleHigh(-1);
  EXPECT_EQ(p.ColorScaleHigh(), 100);
  p.SetColorScaleHigh(50);
  EXPECT_EQ(p.ColorScaleHigh(), 50);
}

// --- rotation matrix --------------------------------------------------------------------------------

TEST(Plot3D, RotationMatrixFollowsTiltAndTurn) {
  TPlot3D p(nullptr);
  p.SetViewAngles(30, 60);
  const double a = std::numbers::pi / 6, b = std::numbers::pi / 3;
  const double expected[3][3] = {{std::cos(b), -std::sin(b), 0},
                                 {std::cos(a) * std::sin(b), std::cos(b) * std::cos(a), -std::sin(a)},
                                 {std::sin(a) * std::sin(b), std::sin(a) * std::cos(b), std::cos(a)}};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) EXPECT_NEAR(p.GetRotMat(i, j), expected[i - 1][j - 1], 1e-15) << i << j;
  EXPECT_EQ(p.GetRotMat(0, 1), 0);
  EXPECT_EQ(p.GetRotMat(1, 4), 0);
}

TEST(Plot3D, RotationMatrixEntriesBelowAMillionthAreZero) {
  TPlot3D p(nullptr);
  p.SetViewAngles(180, 90);  // sin 180 deg and cos 90 deg come out near 1e-16
  EXPECT_EQ(p.GetRotMat(1, 1), 0.0);
  EXPECT_EQ(p.GetRotMat(2, 3), 0.0);
  EXPECT_EQ(p.GetRotMat(3, 1), 0.0);
  EXPECT_EQ(p.GetRotMat(3, 3), -1.0);
}

// --- colour coding ----------------------------------------------------------------------------------

TEST(Plot3D, ColourCodingClampsAndInterpolatesPerChannel) {
  TPlot3D p(nullptr);  // 0..100, black to yellow
  struct Case {
    TColorCodingMode mode;
    double value;
    TColor expected;
  };
  const Case cases[] = {
      {ccmTwoColors, -5, clBlack},            // below the scale: the low colour
      {ccmTwoColors, 150, 0x00FFFF},          // above: the high colour
      {ccmTwoColors, 50, 0x008080},           // 127.5 rounds to the even 128
      {ccmThreeColors, 50, 0xFF0000},         // exactly the middle colour
      {ccmThreeColors, 25, 0x800000},         // half way from black to blue
      {ccmThreeColors, 75, RGB(128, 128, 128)},  // half way from blue to yellow
  };
  for (const Case& c : cases) {
    p.SetColorCodingMode(c.mode);
    EXPECT_EQ(p.CalcColorCoding(c.value), c.expected) << c.value;
  }
}

TEST(Plot3D, ColourChannelsRoundHalfToEven) {
  TPlot3D p(nullptr);
  p.SetColorLow(RGB(0, 0, 0));
  p.SetColorHigh(RGB(5, 7, 9));
  EXPECT_EQ(p.CalcColorCoding(50), RGB(2, 4, 4));  // 2.5, 3.5, 4.5
}

TEST(Plot3D, ColourCodingResolvesSystemColoursAndSurvivesNaN) {
  TPlot3D p(nullptr);
  p.SetColorLow(clBtnFace);
  EXPECT_EQ(p.CalcColorCoding(0), ColorToRGB(clBtnFace));
  EXPECT_EQ(p.CalcColorCoding(std::numeric_limits<double>::quiet_NaN()), clBlack);
}

// --- grid bookkeeping, AutoScale, Reset, Clear ---------------------------------------------------------

TEST(Plot3D, GridChangesAreTakenBeforeTheyAreUsed) {
  TPlot3D p(nullptr);
  TMatrix* g = p.GridMat();
  g->Resize(4, 3);
  g->SetVal(2, 2, 7.5);
  g->SetVal(4, 3, -2);
  EXPECT_EQ(p.MinZ(), -2);
  EXPECT_EQ(p.MaxZ(), 7.5);
  EXPECT_EQ(p.ProjMapX()->NrOfColumns(), 4);
  EXPECT_EQ(p.ProjMapZ()->NrOfRows(), 3);
}

TEST(Plot3D, WhilePaintingIsSuppressedGridChangesWaitForTheRelease) {
  TPlot3D p(nullptr);
  p.SetSuppressPaint(true);
  p.GridMat()->Resize(3, 3);
  p.GridMat()->SetVal(1, 1, 9);
  EXPECT_EQ(p.MaxZ(), 0);  // not taken while suppressed
  EXPECT_EQ(p.ProjMapX()->NrOfColumns(), 1);
  p.SetSuppressPaint(false);
  EXPECT_EQ(p.MaxZ(), 9);
  EXPECT_EQ(p.ProjMapX()->NrOfColumns(), 3);
}

TEST(Plot3D, AGridOfNoNumbersHasExtremesZero) {
  TPlot3D p(nullptr);
  p.GridMat()->Resize(2, 2);
  p.GridMat()->Fill(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.MinZ(), 0);
  EXPECT_EQ(p.MaxZ(), 0);
  p.GridMat()->Resize(0, 0);
  EXPECT_EQ(p.MaxZ(), 0);
  p.AutoScale();  // no division by an empty grid
  EXPECT_EQ(p.ScaleFactX(), 1);
  EXPECT_EQ(p.ScaleFactZ(), 1);
}

TEST(Plot3D, AutoScaleSquaresTheGridAndFillsTheZRange) {
  TPlot3D p(nullptr);
  p.GridMat()->Resize(10, 4);
  p.GridMat()->SetVal(1, 1, 2);
  p.GridMat()->SetVal(3, 2, 6);
  p.SetRange(0, 1, 0, 1, 0, 2);
  p.AutoScale();
  EXPECT_EQ(p.ScaleFactX(), 1.0);
  EXPECT_EQ(p.ScaleFactY(), 2.5);
  EXPECT_EQ(p.ScaleFactZ(), 2.0 / 6.0);
  p.GridMat()->Fill(3);  // flat: Z factor 1
  p.AutoScale();
  EXPECT_EQ(p.ScaleFactZ(), 1.0);
}

TEST(Plot3D, ResetTakesTheResetViewNotTheConstructors) {
  TPlot3D p(nullptr);
  p.SetAutoCenter(false);
  p.SetCentX(7);
  p.SetScaleFactY(3);
  p.SetMagnification(2);
  p.Reset();
  EXPECT_EQ(p.ViewAngleX(), 66);
  EXPECT_EQ(p.ViewAngleZ(), 135);
  EXPECT_EQ(p.CentX(), 325);
  EXPECT_EQ(p.ScaleFactY(), 1);
  EXPECT_EQ(p.Magnification(), 1);
  EXPECT_NEAR(p.GetRotMat(1, 1), std::cos(135 * std::numbers::pi / 180), 1e-15);
}

TEST(Plot3D, EmptyAndHugeControlsPaintAndHoverWithoutFailing) {
  for (auto [w, h] : {std::pair{0, 0}, {1, 0}, {100000, 100000}}) {
    TPlot3D p(nullptr);
    p.GridMat()->Resize(3, 3);
    EXPECT_NO_THROW(p.SetBounds(0, 0, w, h)) << w << "x" << h;
    EXPECT_NO_THROW(p.SetViewAngleX(30));
    EXPECT_NO_THROW(p.Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeMouseLParam(0, 0)));
  }
}

TEST(Plot3D, ClearFillsTheGridWithZero) {
  TPlot3D p(nullptr);
  p.GridMat()->Resize(2, 3);
  p.GridMat()->Fill(4);
  p.Clear();
  EXPECT_EQ(p.GridMat()->NrOfRows(), 3);
  EXPECT_EQ(p.GridMat()->Sum(0, 0, 0, 0), 0);
  EXPECT_EQ(p.MaxZ(), 0);
}

}  // namespace
