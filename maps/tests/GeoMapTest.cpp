// The map control: construction, setters and their repaints, the view transform and the zoom ring,
// image loading, saving, renaming and resampling, the picture and its copies.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Clipbrd.h"
#include "FileSys.h"
#include "FileTestKit.h"
#include "GeoMapTestKit.h"
#include "HeapPeak.h"
#include "Printers.h"
#include "Qelta_geomap.h"
#include "Qelta_matrix.h"
#include "SysUtils.h"

using namespace qelta;
using qelta::test::CalibrateEquiRect;
using qelta::test::Quadrants;
using qelta::test::TempDir;
using qelta::test::TProbeMap;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// --- construction and properties -----------------------------------------------------------------

TEST(GeoMap, ConstructorState) {
  TProbeMap map;
  EXPECT_EQ(map.Width(), 500);
  EXPECT_EQ(map.Height(), 400);
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
  EXPECT_TRUE(map.ConfinePanToMapImage());
  EXPECT_EQ(map.GratLineDist(), 0);
  EXPECT_EQ(map.UTMGridDist(), 0);
  EXPECT_EQ(map.LastClickPosX(), 0);
  EXPECT_EQ(map.LastClickPosY(), 0);
  EXPECT_EQ(map.ShowGraticule(), sgNone);
  EXPECT_FALSE(map.SuppressPaint());
  EXPECT_TRUE(map.AntiAlias());
  EXPECT_EQ(map.Magnification(), 1.0);
  EXPECT_EQ(StringToUtf8(map.EmptyMsg()), "GeoMap: empty");
  EXPECT_EQ(map.NumLandMarks(), 0);
  EXPECT_EQ(map.LMRandomDisplayThreshold(), 20000);
  EXPECT_EQ(map.ColorGraticule(), clBlue);
  EXPECT_EQ(map.ColorCalibPoints(), clRed);
  EXPECT_EQ(map.ColorBackGnd(), clSilver);
  EXPECT_EQ(map.ColorFrame(), clBlack);
  EXPECT_EQ(map.FrameStyle(), fsSimple);
  EXPECT_TRUE(map.MapImgFile().empty());
  EXPECT_EQ(map.MapImgWidth(), 0);
  EXPECT_EQ(map.MapImgHeight(), 0);
  EXPECT_EQ(map.ZoomState(), zsNormal);
  EXPECT_EQ(map.MouseAction(), maPan);
  EXPECT_TRUE(map.AllowPan());
  EXPECT_EQ(map.HighLightLandMark(), 0);
  EXPECT_EQ(map.CacheMagLimit(), 2.0 / 3.0);
  EXPECT_EQ(map.CalibModel(), cmUndefined);
  EXPECT_TRUE(map.CalibDataFile().empty());
  EXPECT_EQ(map.GetZoomStackEntry(0), (TgmZoomStackEntry{0, 0, 1.0}));
  EXPECT_EQ(map.GetZoomStackEntry(-1), TgmZoomStackEntry{});
  EXPECT_EQ(map.GratMat().NrOfColumns(), 5);
  EXPECT_EQ(map.GratMat().NrOfRows(), 1);
  EXPECT_EQ(map.CalibData().NumCalQuads, 0);
  EXPECT_EQ(map.CalibData().NumCalLines, 0);
  EXPECT_EQ(map.CalibData().Resolution, 0);
}

TEST(GeoMap, SettersClampAndRepaintByTheirRule) {
  struct Case {
    const char* what;
    std::function<void(TProbeMap&)> set;
    std::function<bool(const TProbeMap&)> stored;
    int paints;
  };
  const std::vector<Case> cases = {
      {"AntiAlias", [](auto& m) { m.SetAntiAlias(false); }, [](auto& m) { return !m.AntiAlias(); }, 1},
      {"CacheMagLimit 1", [](auto& m) { m.SetCacheMagLimit(1); }, [](auto& m) { return m.CacheMagLimit() == 2.0 / 3; },
       0},
      {"CacheMagLimit -1", [](auto& m) { m.SetCacheMagLimit(-1); }, [](auto& m) { return m.CacheMagLimit() == 0; }, 0},
      {"CacheMagLimit NaN", [](auto& m) { m.SetCacheMagLimit(NaN); }, [](auto& m) { return m.CacheMagLimit() == 0; },
       0},
      {"ColorBackGnd", [](auto& m) { m.SetColorBakGnd(clRed); }, [](auto& m) { return m.ColorBackGnd() == clRed; }, 1},
      {"ColorGraticule", [](auto& m) { m.SetColorGratLine(clRed); },
       [](auto& m) { return m.ColorGraticule() == clRed; }, 1},
      {"ColorCalibPoints", [](auto& m) { m.SetColorGratPoints(clLime); },
       [](auto& m) { return m.ColorCalibPoints() == clLime; }, 1},
      {"ColorFrame", [](auto& m) { m.SetColorFrame(clRed); }, [](auto& m) { return m.ColorFrame() == clRed; }, 1},
      {"ConfinePan", [](auto& m) { m.SetConfinePan(false); }, [](auto& m) { return !m.ConfinePanToMapImage(); }, 0},
      {"EmptyMsg", [](auto& m) { m.SetEmptyMsg(u"none"); }, [](auto& m) { return m.EmptyMsg() == u"none"; }, 1},
      {"FrameStyle same", [](auto& m) { m.SetFrameStyle(fsSimple); }, [](auto& m) { return m.FrameStyle() == fsSimple; },
       0},
      {"FrameStyle", [](auto& m) { m.SetFrameStyle(fsRaised); }, [](auto& m) { return m.FrameStyle() == fsRaised; }, 1},
      {"GratLineDist 100", [](auto& m) { m.SetGratLineDist(100); }, [](auto& m) { return m.GratLineDist() == 60; }, 1},
      {"GratLineDist -5", [](auto& m) { m.SetGratLineDist(-5); }, [](auto& m) { return m.GratLineDist() == 0; }, 1},
      {"GratLineDist NaN", [](auto& m) { m.SetGratLineDist(NaN); }, [](auto& m) { return m.GratLineDist() == 0; }, 1},
      {"GratLineDist 0.5", [](auto& m) { m.SetGratLineDist(0.5); }, [](auto& m) { return m.GratLineDist() == 0.5; },
       1},
      {"UTMGridDist", [](auto& m) { m.SetUTMGridDist(20000000); },
       [](auto& m) { return m.UTMGridDist() == 10000000; }, 1},
      {"UTMGridDist -1", [](auto& m) { m.SetUTMGridDist(-1); }, [](auto& m) { return m.UTMGridDist() == 0; }, 1},
      {"ShowGraticule same", [](auto& m) { m.SetShowGrat(sgNone); }, [](auto& m) { return m.ShowGraticule() == sgNone; },
       0},
      {"ShowGraticule", [](auto& m) { m.SetShowGrat(sgLines); }, [](auto& m) { return m.ShowGraticule() == sgLines; },
       1},
      {"threshold 1000", [](auto& m) { m.SetRandSampleLimit(1000); },
       [](auto& m) { return m.LMRandomDisplayThreshold() == 20000; }, 0},
      {"threshold 1001", [](auto& m) { m.SetRandSampleLimit(1001); },
       [](auto& m) { return m.LMRandomDisplayThreshold() == 1001; }, 1},
      {"threshold same", [](auto& m) { m.SetRandSampleLimit(20000); },
       [](auto& m) { return m.LMRandomDisplayThreshold() == 20000; }, 0},
      {"SuppressPaint same", [](auto& m) { m.SetSuppressPaint(false); }, [](auto& m) { return !m.SuppressPaint(); }, 0},
      {"SuppressPaint", [](auto& m) { m.SetSuppressPaint(true); }, [](auto& m) { return m.SuppressPaint(); }, 0},
      {"highlight", [](auto& m) { m.SetHighLightProperties(clRed, clBlue, true); }, [](auto&) { return true; }, 1},
      {"Magnification", [](auto& m) { m.SetMagnification(2); }, [](auto& m) { return m.Magnification() == 2; }, 1},
      {"Magnification 0", [](auto& m) { m.SetMagnification(0); }, [](auto& m) { return m.Magnification() == 1; }, 0},
      {"Magnification NaN", [](auto& m) { m.SetMagnification(NaN); }, [](auto& m) { return m.Magnification() == 1; },
       0},
      {"Magnification inf", [](auto& m) { m.SetMagnification(INFINITY); },
       [](auto& m) { return m.Magnification() == 1; }, 0},
      {"TopLeft", [](auto& m) { m.SetTopLeft(TPoint{-5, 7}); }, [](auto& m) { return m.TopLeft() == TPoint{-5, 7}; },
       1},
      {"Caption", [](auto& m) { m.SetMapCaption(u"Alps"); }, [](auto& m) { return m.Caption() == u"Alps"; }, 0},
      {"AllowPan", [](auto& m) { m.SetAllowPan(false); }, [](auto& m) { return m.MouseAction() == maNone; }, 0},
      {"UTMZone 0", [](auto& m) { m.SetUTMZone(0); }, [](auto& m) { return m.UTMZone() == 0; }, 0},
      {"UTMZone 61", [](auto& m) { m.SetUTMZone(61); }, [](auto& m) { return m.UTMZone() == 0; }, 0},
      {"UTMZone 60", [](auto& m) { m.SetUTMZone(60); }, [](auto& m) { return m.UTMZone() == 60; }, 0},
      {"UTMHemisphere", [](auto& m) { m.SetUTMHemisphere(hemiSouth); },
       [](auto& m) { return m.CalibData().UTMSouth && m.UTMHemisphere() == hemiSouth; }, 0},
  };
  for (const Case& c : cases) {
    TProbeMap map;
    map.paints = 0;
    c.set(map);
    EXPECT_TRUE(c.stored(map)) << c.what;
    EXPECT_EQ(map.paints, c.paints) << c.what;
  }
  // Below 2/3 a new cache limit repaints; switching painting back on repaints.
  TProbeMap map;
  map.SetMagnification(0.5);
  map.paints = 0;
  map.SetCacheMagLimit(0.25);
  EXPECT_EQ(map.paints, 1);
  map.SetSuppressPaint(true);
  map.SetSuppressPaint(false);
  EXPECT_EQ(map.paints, 2);
  map.SetAllowPan(true);
  EXPECT_TRUE(map.AllowPan());
}

TEST(GeoMap, AssigningTheRecordDoesNotRefit) {
  TProbeMap map;
  CalibrateEquiRect(map);
  const auto fitted = map.EquRectSPPL();
  TCalibData cal = map.CalibData();
  cal.CalQuads[1].MapX = 2000;
  map.SetCalibData(cal);
  EXPECT_EQ(map.EquRectSPPL(), fitted);
  map.RecalcCalibration();
  EXPECT_NE(map.EquRectSPPL(), fitted);
}

// --- the view ------------------------------------------------------------------------------------

TEST(GeoMapView, TransformRoundsHalvesToEven) {
  TGeoMap map(nullptr);
  EXPECT_EQ(map.ControlToMapImage(TPoint{0, 0}), map.TopLeft());
  map.SetMagnification(2);
  map.SetTopLeft(TPoint{10, 20});
  const struct {
    TPoint control, image;
  } toImage[] = {{{5, 5}, {12, 22}}, {{0, 0}, {10, 20}}, {{7, 3}, {14, 22}}, {{-5, -3}, {8, 18}}};
  for (const auto& c : toImage) EXPECT_EQ(map.ControlToMapImage(c.control), c.image) << c.control.X;
  EXPECT_EQ(map.MapImageToControl(TPoint{12, 22}), (TPoint{4, 4}));
  EXPECT_EQ(map.MapImageToControl(TPoint{10, 20}), (TPoint{0, 0}));
  map.SetMagnification(0.25);
  EXPECT_EQ(map.MapImageToControl(TPoint{12, 22}), (TPoint{0, 0}));  // 0.5 and 0.5 round to 0
  EXPECT_EQ(map.MapImageToControl(TPoint{16, 26}), (TPoint{2, 2}));  // 1.5 rounds to 2
  // Far positions saturate instead of wrapping.
  map.SetMagnification(1e6);
  EXPECT_EQ(map.MapImageToControl(TPoint{2000000000, -2000000000}).X, std::numeric_limits<int>::max());
  EXPECT_EQ(map.MapImageToControl(TPoint{2000000000, -2000000000}).Y, std::numeric_limits<int>::min());
}

TEST(GeoMapView, PanningKeepsTheViewOnTheImage) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 800).get());
  map.SetTopLeft(TPoint{900, 700});
  map.PanMapToFillWindow();
  EXPECT_EQ(map.TopLeft(), (TPoint{500, 400}));
  map.SetTopLeft(TPoint{-10, -3});
  map.PanMapToFillWindow();
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
  map.paints = 0;
  map.BringMapPixelToCenter(TPoint{600, 500});
  EXPECT_EQ(map.TopLeft(), (TPoint{350, 300}));
  EXPECT_EQ(map.paints, 1);
  map.BringMapPixelToCenter(TPoint{990, 790});
  EXPECT_EQ(map.TopLeft(), (TPoint{500, 400}));
  // An image smaller than the view sticks to its top left corner.
  map.SetMagnification(0.25);
  map.BringMapPixelToCenter(TPoint{500, 400});
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
  // Confining is switched on by the property and then pans.
  map.SetMagnification(1);
  map.SetConfinePan(false);
  map.SetTopLeft(TPoint{900, 900});
  map.SetConfinePan(true);
  EXPECT_EQ(map.TopLeft(), (TPoint{500, 400}));
}

TEST(GeoMapView, BringLocationToCenterGoesThroughTheCalibration) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  map.SetTopLeft(TPoint{7, 7});
  map.BringLocationToCenter(49.5, 10.5);  // no calibration: nothing
  EXPECT_EQ(map.TopLeft(), (TPoint{7, 7}));
  CalibrateEquiRect(map);
  map.BringLocationToCenter(49.5, 10.5);  // pixel (500, 500)
  EXPECT_EQ(map.TopLeft(), (TPoint{250, 300}));
  map.BringLocationToCenter(49.05, 10.95);  // pixel (950, 950): capped at the image's far edges
  EXPECT_EQ(map.TopLeft(), (TPoint{500, 600}));
  map.BringLocationToCenter(50.5, 9.5);  // before the image: 0
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
}

TEST(GeoMapView, ZoomFitPageShowsTheWholeImage) {
  TProbeMap map;
  map.paints = 0;
  map.ZoomFitPage();  // no image: nothing
  EXPECT_EQ(map.Magnification(), 1);
  EXPECT_EQ(map.paints, 0);
  map.SetMapBitMap(Quadrants(1000, 400).get());
  map.SetTopLeft(TPoint{3, 3});
  map.ZoomFitPage();
  EXPECT_EQ(map.Magnification(), 0.5);
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
}

TEST(GeoMapView, TheZoomRingKeepsSixteenViews) {
  TGeoMap map(nullptr);
  // 17 pushes on top of the constructor's: views (k, 2k, k) for k = 1..17.
  for (int k = 1; k <= 17; ++k) {
    map.SetTopLeft(TPoint{k, 2 * k});
    map.SetMagnification(k);
    map.ZoomStateOnStack();
  }
  for (int i = 0; i >= -15; --i)
    EXPECT_EQ(map.GetZoomStackEntry(i), (TgmZoomStackEntry{17 + i, 2 * (17 + i), double(17 + i)})) << i;
  for (const int outside : {1, -16, 100, std::numeric_limits<int>::min()})
    EXPECT_EQ(map.GetZoomStackEntry(outside), TgmZoomStackEntry{}) << outside;
  map.SetTopLeft(TPoint{0, 0});
  map.SetMagnification(0.5);
  map.ZoomHistory(1);
  map.ZoomHistory(-16);
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
  EXPECT_EQ(map.Magnification(), 0.5);
  map.ZoomHistory(0);
  EXPECT_EQ(map.TopLeft(), (TPoint{17, 34}));
  EXPECT_EQ(map.Magnification(), 17);
  map.ZoomHistory(-15);
  EXPECT_EQ(map.TopLeft(), (TPoint{2, 4}));
  EXPECT_EQ(map.GetZoomStackEntry(0).Left, 17);  // the ring is not changed by going back
  map.ClearZoomHistory();
  EXPECT_EQ(map.GetZoomStackEntry(0), (TgmZoomStackEntry{2, 4, 2.0}));
  map.SetTopLeft(TPoint{9, 9});
  map.ZoomHistory(-1);  // empty entry: nothing
  EXPECT_EQ(map.TopLeft(), (TPoint{9, 9}));
  // No push while loading.
  map.BeginLoading();
  map.ZoomStateOnStack();
  map.EndLoading();
  EXPECT_EQ(map.GetZoomStackEntry(-1), TgmZoomStackEntry{});
}

// --- the image -----------------------------------------------------------------------------------

TEST(GeoMapImage, TheLimitIsThreeMillionPixels) {
  TProbeMap map;
  const TBitmap fits(2000, 1500);
  map.SetMapBitMap(&fits);
  EXPECT_EQ(map.MapImgWidth(), 2000);
  EXPECT_EQ(StringToUtf8(map.MapImgFile()), "$unknown$");
  // A refused image leaves the accepted one with its name and extents (the classic control kept the
  // refused bitmap under the old name and extents).
  map.SetMapBitMap(Quadrants(20, 10).get());
  const TBitmap tooLarge(2001, 1500);
  EXPECT_THROW_MSG(map.SetMapBitMap(&tooLarge), EQeltaGeoMapError,
                   "Component \"Map\": Cannot use map image, maximum of 3000000 pixels exceeded (size of map is 2001 x "
                   "1500)");
  EXPECT_EQ(map.MapImgWidth(), 20);
  EXPECT_EQ(map.MapImgHeight(), 10);
  EXPECT_EQ(map.MapBitmap()->Width(), 20);
  EXPECT_EQ(map.MapBitmap()->Canvas()->Pixels(15, 8), clYellow);
  TempDir dir;
  tooLarge.SaveToFile(dir / "large.bmp");
  map.SetMapImgName(dir / "small.bmp");  // missing: empty
  Quadrants(20, 10)->SaveToFile(dir / "small.bmp");
  map.SetMapImgName(dir / "small.bmp");
  EXPECT_THROW(map.SetMapImgName(dir / "large.bmp"), EQeltaGeoMapError);
  EXPECT_EQ(map.MapImgFile(), dir / "small.bmp");
  EXPECT_EQ(map.MapBitmap()->Width(), 20);
  EXPECT_EQ(map.MapImgWidth(), 20);
}

// An image over the limit was decoded before it was refused: a white JPEG of a few kilobytes took
// three decoded copies of itself (36 MB at 2001 x 1500) only to be found too large.
TEST(GeoMapImage, AnImageOverTheLimitIsRefusedBeforeItIsDecoded) {
  TempDir dir;
  TBitmap(2001, 1500).SaveToFile(dir / "large.jpg");
  Quadrants(20, 10)->SaveToFile(dir / "small.bmp");
  TProbeMap map;
  map.SetMapImgName(dir / "small.bmp");
  map.SetTopLeft(TPoint{3, 4});
  map.paints = 0;
  const int64_t fileSize = static_cast<int64_t>(dir.Get("large.jpg").size());
  ASSERT_LT(fileSize, 1 << 20);
  const int64_t peak = test::HeapPeakOf([&] {
    EXPECT_THROW_MSG(map.SetMapImgName(dir / "large.jpg"), EQeltaGeoMapError,
                     "Component \"Map\": Cannot use map image, maximum of 3000000 pixels exceeded (size of map is 2001 "
                     "x 1500)");
  });
  EXPECT_LT(peak, 2 * fileSize + (int64_t{1} << 20));
  EXPECT_EQ(map.MapImgFile(), dir / "small.bmp");
  EXPECT_EQ(map.MapImgWidth(), 20);
  EXPECT_EQ(map.MapImgHeight(), 10);
  EXPECT_EQ(map.MapBitmap()->Width(), 20);
  EXPECT_EQ(map.TopLeft(), (TPoint{3, 4}));
  EXPECT_EQ(map.CacheMag(), 0);
  EXPECT_EQ(map.paints, 0);
}

TEST(GeoMapImage, LoadingByTheLowerCasedExtension) {
  TempDir dir;
  const auto image = Quadrants(40, 30);
  image->SaveToFile(dir / "a.BMP");
  image->SaveToFile(dir / "b.Jpeg");
  image->SaveToFile(dir / "c.jpg");
  image->SaveToFile(dir / "d.png");
  TProbeMap map;
  for (const char* name : {"a.BMP", "b.Jpeg", "c.jpg"}) {
    map.SetTopLeft(TPoint{5, 5});
    map.paints = 0;
    map.SetMapImgName(dir / name);
    EXPECT_EQ(map.MapImgFile(), dir / name);
    EXPECT_EQ(map.MapImgWidth(), 40) << name;
    EXPECT_EQ(map.MapImgHeight(), 30) << name;
    EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
    EXPECT_EQ(map.paints, 1);
    EXPECT_GE(map.Picture().Width(), 500);  // the picture of the control, grown by Paint
  }
  // Another extension loads nothing and counts as a missing file (the classic control set the new
  // name and kept the old bitmap and extents).
  map.SetMapImgName(dir / "d.png");
  EXPECT_TRUE(map.MapImgFile().empty());
  EXPECT_EQ(map.MapImgWidth(), 0);
  EXPECT_EQ(map.MapImgHeight(), 0);
  EXPECT_EQ(map.MapBitmap()->Width(), 0);
  // A missing file empties the map and repaints.
  map.SetMapImgName(dir / "c.jpg");
  map.paints = 0;
  map.SetMapImgName(dir / "missing.jpg");
  EXPECT_TRUE(map.MapImgFile().empty());
  EXPECT_EQ(map.MapImgWidth(), 0);
  EXPECT_EQ(map.paints, 1);
}

TEST(GeoMapImage, TheRequestEventChoosesTheFileAndTheRequestedNameIsKept) {
  TempDir dir;
  Quadrants(40, 30)->SaveToFile(dir / "real.jpg");
  TProbeMap map;
  String asked;
  map.OnMapImageRequest = [&](TObject* sender, String& name) {
    EXPECT_EQ(sender, &map);
    asked = name;
    name = dir / "real.jpg";
  };
  std::vector<TProgressStage> stages;
  map.OnDataLoading = [&](TObject*, TProgressStage stage, uint8_t, const String&) { stages.push_back(stage); };
  map.SetMapImgName(u"virtual.jpg");
  EXPECT_EQ(StringToUtf8(asked), "virtual.jpg");
  EXPECT_EQ(StringToUtf8(map.MapImgFile()), "virtual.jpg");
  EXPECT_EQ(map.MapImgWidth(), 40);
  EXPECT_EQ(stages, (std::vector<TProgressStage>{psStarting, psEnding}));
}

TEST(GeoMapImage, SaveMapWritesImageAndCalibrationBesideEachOther) {
  TempDir dir;
  TProbeMap map;
  map.SetMapBitMap(Quadrants(40, 30).get());
  CalibrateEquiRect(map, 40);
  int progress = 0;
  map.OnDataLoading = [&](TObject*, TProgressStage, uint8_t, const String&) { ++progress; };
  map.SaveMap(dir / "area.tif", u"first");
  EXPECT_EQ(StringToUtf8(map.MapImgFile()), "area.jpg");
  EXPECT_EQ(progress, 2);
  TJPEGImage jpeg;
  jpeg.LoadFromFile(dir / "area.jpg");
  EXPECT_EQ(jpeg.Width(), 40);
  const std::string xml = dir.Get("area.xml");
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\"?>\r\n\r\n<!-- TGeoMap Calibration / Qeltakit -->\r\n", 0), 0u);
  EXPECT_NE(xml.find("<geomap sig=\"Qeltakit\" vers=\"1.0\" id=\"first\" model=\"equirect\" map=\"area.jpg\" "
                     "caption=\"\">\r\n"),
            std::string::npos);
  EXPECT_NE(xml.find("<calquads npoints=\"3\">\r\n[50.00000,10.00000,0,0] [50.00000,11.00000,40,0] "
                     "[49.00000,10.00000,0,40] \r\n</calquads>\r\n</geomap>\r\n"),
            std::string::npos);
  EXPECT_NE(xml.find("<corners>\r\n[50.00000,10.00000] [49.25000,10.00000] [49.25000,11.00000] "
                     "[50.00000,11.00000] \r\n</corners>\r\n"),
            std::string::npos);
  EXPECT_NE(xml.find("<ellipsoid>gelWGS84</ellipsoid>\r\n"), std::string::npos);
  EXPECT_EQ(xml.find("utmzone"), std::string::npos);
  // The names: the bare name without its last extension, beside the given one.
  const struct {
    const char *given, *image, *calibration;
  } names[] = {{"plain", "plain.jpg", "plain.xml"}, {"two.dots.bmp", "two.dots.jpg", "two.dots.xml"},
               {"sub/inner.JPG", "inner.jpg", "sub/inner.xml"}};
  ASSERT_TRUE(CreateDir(dir / "sub"));
  for (const auto& n : names) {
    map.SaveMap(dir / n.given, u"");
    EXPECT_EQ(StringToUtf8(map.MapImgFile()), n.image) << n.given;
    EXPECT_TRUE(FileExists(dir / (std::string(n.given).substr(0, 4) == "sub/" ? std::string("sub/") + n.image : n.image)))
        << n.given;
    EXPECT_TRUE(FileExists(dir / n.calibration)) << n.given;
  }
}

TEST(GeoMapImage, RenameMapImgLooksAtTheRename) {
  TempDir dir;
  Quadrants(20, 10)->SaveToFile(dir / "map.bmp");
  TGeoMap map(nullptr);
  EXPECT_FALSE(map.RenameMapImg(u"new"));  // no image
  map.SetMapImgName(dir / "map.bmp");
  EXPECT_FALSE(map.RenameMapImg(u""));
  EXPECT_FALSE(map.RenameMapImg(u".txt"));  // nothing left of the name
  EXPECT_TRUE(map.RenameMapImg(u"new map.txt"));
  EXPECT_EQ(map.MapImgFile(), dir / "new_map.bmp");
  EXPECT_TRUE(FileExists(dir / "new_map.bmp"));
  EXPECT_FALSE(FileExists(dir / "map.bmp"));
  // A rename that fails answers false and keeps the name (the classic control reported success).
  ASSERT_TRUE(CreateDir(dir / "taken.bmp"));
  dir.Put("taken.bmp/inside", "x");
  EXPECT_FALSE(map.RenameMapImg(u"taken"));
  EXPECT_EQ(map.MapImgFile(), dir / "new_map.bmp");
  EXPECT_TRUE(FileExists(dir / "new_map.bmp"));
  // Nor does it replace another file of that name.
  dir.Put("other.bmp", "keep");
  EXPECT_FALSE(map.RenameMapImg(u"other"));
  EXPECT_EQ(dir.Get("other.bmp"), "keep");
  EXPECT_EQ(map.MapImgFile(), dir / "new_map.bmp");
  // A file that disappeared: false.
  ASSERT_TRUE(DeleteFile(dir / "new_map.bmp"));
  EXPECT_FALSE(map.RenameMapImg(u"again"));
}

TEST(GeoMapImage, ResizeMapScalesImageAndCalibrationThenRefits) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  CalibrateEquiRect(map);
  map.SetTopLeft(TPoint{30, 40});
  map.ResizeMap(0.5);
  EXPECT_EQ(map.MapImgWidth(), 500);
  EXPECT_EQ(map.MapImgHeight(), 500);
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
  EXPECT_EQ(map.MapBitmap()->Canvas()->Pixels(100, 100), clRed);
  EXPECT_EQ(map.MapBitmap()->Canvas()->Pixels(400, 400), clYellow);
  EXPECT_EQ(map.CalibData().CalQuads[1].MapX, 500);
  EXPECT_EQ(map.CalibData().CalQuads[2].MapY, 500);
  int x = 0, y = 0;
  ASSERT_TRUE(map.CalcPixelCoords(49.5, 10.5, x, y));
  EXPECT_EQ(x, 250);
  EXPECT_EQ(y, 250);
  // The corners describe the new image.
  EXPECT_NEAR(map.CalibData().Corners[gcoBottomRight].Latit, 49, 1e-9);
  EXPECT_NEAR(map.CalibData().Corners[gcoBottomRight].Longit, 11, 1e-9);
  // Resizing to a length of the longer edge.
  map.ResizeMap(250);
  EXPECT_EQ(map.MapImgWidth(), 250);
  EXPECT_EQ(map.CalibData().CalQuads[1].MapX, 250);
}

TEST(GeoMapImage, ResizeMapRefusesWhatHasNoMeaning) {
  TProbeMap map;
  map.ResizeMap(100);  // no image: nothing
  EXPECT_EQ(map.MapImgWidth(), 0);
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  CalibrateEquiRect(map);
  // Factors not above 0 or not finite, and a result without pixels, change nothing (the classic
  // control checked nothing).
  for (const double f : {0.0, -1.0, NaN, double(INFINITY), 1e-5}) {
    map.ResizeMap(f);
    EXPECT_EQ(map.MapImgWidth(), 1000) << f;
    EXPECT_EQ(map.CalibData().CalQuads[1].MapX, 1000) << f;
  }
  // A result over the limit raises before anything changes.
  EXPECT_THROW_MSG(map.ResizeMap(1.8), EQeltaGeoMapError,
                   "Component \"Map\": Cannot use map image, maximum of 3000000 pixels exceeded (size of map is 1800 x "
                   "1800)");
  EXPECT_EQ(map.MapImgWidth(), 1000);
  EXPECT_EQ(map.CalibData().CalQuads[1].MapX, 1000);
}

// --- positions -----------------------------------------------------------------------------------

TEST(GeoMap, PositionInMapExcludesTheEdges) {
  TCornerArray c;
  c[gcoTopLeft] = {50, 10};
  c[gcoBottomLeft] = {49, 10};
  c[gcoBottomRight] = {49, 11};
  c[gcoTopRight] = {50, 11};
  const struct {
    double lat, lon;
    bool inside;
  } cases[] = {{49.5, 10.5, true}, {49.5, 10, false}, {50, 10.5, false}, {49, 10.5, false},  {49.5, 11, false},
               {50, 10, false},    {51, 10.5, false}, {49.5, 9, false},  {49.001, 10.999, true}};
  for (const auto& k : cases) EXPECT_EQ(PositionInMap(k.lat, k.lon, c), k.inside) << k.lat << " " << k.lon;
  TCornerArray reversed = {c[gcoTopLeft], c[gcoTopRight], c[gcoBottomRight], c[gcoBottomLeft]};
  EXPECT_TRUE(PositionInMap(49.5, 10.5, reversed));
  EXPECT_FALSE(PositionInMap(NaN, 10.5, c));
  TGeoMap map(nullptr);
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  CalibrateEquiRect(map);
  EXPECT_TRUE(map.IsPositionWithinMap(49.5, 10.5));
  EXPECT_FALSE(map.IsPositionWithinMap(49.5, 11.5));
}

TEST(GeoMap, LastClickPositionThroughTheCalibration) {
  TProbeMap map;
  map.SetLastClick(500, 250);
  EXPECT_EQ(map.GetLastMClickLatitude(), 0);  // no calibration
  EXPECT_EQ(map.LastClickLongitude(), 0);
  map.SetMapBitMap(Quadrants(1000, 1000).get());
  CalibrateEquiRect(map);
  EXPECT_NEAR(map.LastClickLatitude(), 49.75, 1e-12);
  EXPECT_NEAR(map.GetLastMClickLongitude(), 10.5, 1e-12);
}

// --- the picture ---------------------------------------------------------------------------------

TEST(GeoMapPaint, AnEmptyMapShowsTheMessageInTheFrame) {
  TProbeMap map;
  int events = 0;
  map.OnBeforeRenderData = [&](TObject*, TCanvas*) { ++events; };
  map.SetColorBakGnd(clTeal);
  EXPECT_EQ(map.At(250, 300), clTeal);
  EXPECT_EQ(map.At(0, 0), clBlack);      // the simple frame
  EXPECT_EQ(map.At(499, 399), clBlack);
  EXPECT_EQ(map.At(498, 398), clTeal);
  bool text = false;  // the message in the frame colour near (10, 10)
  for (int y = 10; y < 25 && !text; ++y)
    for (int x = 10; x < 60 && !text; ++x) text = map.At(x, y) != clTeal;
  EXPECT_TRUE(text);
  EXPECT_EQ(events, 0);
}

TEST(GeoMapPaint, SmallMagnificationsComeFromTheCache) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(1000, 800).get());
  int events = 0;
  map.OnBeforeRenderData = [&](TObject* sender, TCanvas*) {
    EXPECT_EQ(sender, &map);
    ++events;
  };
  map.SetMagnification(0.5);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(map.CacheMag(), 0.5);
  EXPECT_EQ(map.Cache().Width(), 500);
  EXPECT_EQ(map.Cache().Height(), 400);
  EXPECT_EQ(map.At(100, 100), clRed);
  EXPECT_EQ(map.At(400, 100), clLime);
  EXPECT_EQ(map.At(100, 300), clBlue);
  EXPECT_EQ(map.At(400, 300), clYellow);
  EXPECT_EQ(map.At(0, 0), clBlack);
  // A pan copies from the cache: the picture moves by half the pixels.
  map.SetTopLeft(TPoint{200, 0});
  EXPECT_EQ(map.At(100, 100), clRed);
  EXPECT_EQ(map.At(160, 100), clLime);  // image x 520
  EXPECT_EQ(map.At(420, 100), clSilver);  // beyond the image: background
  EXPECT_EQ(map.CacheMag(), 0.5);
  // Another anti-alias setting rebuilds the cache.
  map.SetAntiAlias(false);
  EXPECT_EQ(map.CacheMag(), 0.5);
  EXPECT_EQ(map.At(100, 300), clBlue);
  // A new image invalidates it.
  map.SetMapBitMap(Quadrants(100, 100).get());
  EXPECT_EQ(map.CacheMag(), 0.5);  // rebuilt by the repaint at 0.5
  EXPECT_EQ(map.Cache().Width(), 50);
}

TEST(GeoMapPaint, LargeMagnificationsStretchTheVisiblePart) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(400, 300).get());
  map.SetMagnification(1.7);
  EXPECT_EQ(map.CacheMag(), 0);  // no cache at or above the limit
  // Image x 200 is control x 340, image y 150 control y 255.
  EXPECT_EQ(map.At(335, 250), clRed);
  EXPECT_EQ(map.At(345, 250), clLime);
  EXPECT_EQ(map.At(335, 260), clBlue);
  EXPECT_EQ(map.At(345, 260), clYellow);
  EXPECT_EQ(map.At(0, 0), clBlack);
  EXPECT_EQ(map.At(499, 200), clBlack);
  map.SetTopLeft(TPoint{100, 100});  // image (200, 150) now at control (170, 85)
  EXPECT_EQ(map.At(165, 80), clRed);
  EXPECT_EQ(map.At(175, 90), clYellow);
  // Suppressed painting leaves the picture alone.
  map.SetSuppressPaint(true);
  map.SetTopLeft(TPoint{0, 0});
  EXPECT_EQ(map.At(175, 90), clYellow);
}

TEST(GeoMapPaint, CopiesOfThePicture) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(400, 300).get());
  map.SetFrameStyle(fsNone);
  map.CopyToClipboard();
  TBitmap clip;
  ASSERT_TRUE(Clipboard()->GetBitmap(&clip));
  EXPECT_EQ(clip.Width(), 500);
  EXPECT_EQ(clip.Height(), 400);
  EXPECT_EQ(clip.Canvas()->Pixels(1, 1), clBlack);
  EXPECT_EQ(clip.Canvas()->Pixels(498, 200), clBlack);
  EXPECT_EQ(clip.Canvas()->Pixels(1, 398), clBlack);
  EXPECT_EQ(clip.Canvas()->Pixels(2, 2), clRed);
  EXPECT_EQ(clip.Canvas()->Pixels(0, 0), clWhite);
  // The whole image at magnification 1.
  map.CopyEntireMapToClipboard();
  ASSERT_TRUE(Clipboard()->GetBitmap(&clip));
  EXPECT_EQ(clip.Width(), 400);
  EXPECT_EQ(clip.Height(), 300);
  EXPECT_EQ(clip.Canvas()->Pixels(399, 299), clYellow);
  // A view into a host's bitmap at its own magnification and offset; the control's view stays.
  TBitmap target(100, 100);
  map.CopyToBMP(&target, TPoint{190, 140}, 2, 10, 20, 40, 40);
  EXPECT_EQ(target.Canvas()->Pixels(5, 5), clWhite);  // outside the rectangle
  EXPECT_EQ(target.Canvas()->Pixels(25, 35), clRed);  // image (197.5, 147.5)
  EXPECT_EQ(target.Canvas()->Pixels(35, 45), clYellow);
  EXPECT_EQ(target.Canvas()->Pixels(60, 70), clWhite);
  EXPECT_EQ(map.TopLeft(), (TPoint{0, 0}));
  EXPECT_EQ(map.Magnification(), 1);
  map.CopyToBMP(nullptr, TPoint{0, 0}, 1, 0, 0, 10, 10);
  map.CopyToBMP(&target, TPoint{0, 0}, NaN, 0, 0, 10, 10);
  map.CopyToBMP(&target, TPoint{0, 0}, 1, 0, 0, 0, 10);
  int w = 0, h = 0;
  map.CalcExtentsOfPrint(Rect(100, 100, 0, 0), 100, w, h);
  EXPECT_EQ(w, 625);  // 100 screen pixels at 96 dpi on a 600 dpi page
  EXPECT_EQ(h, 625);
}

TEST(GeoMapPaint, PrintingComposesOnThePage) {
  TProbeMap map;
  map.SetMapBitMap(Quadrants(400, 300).get());
  TPrinter* printer = Printer();
  printer->SetPaperSize(80, 60);  // 1890 x 1417 pixels: a small page keeps the test quick
  printer->BeginDoc();
  int x = 100, y = 200;
  map.CopyToOpenPrinter(x, y, 1.0);
  EXPECT_EQ(x, 100 + 3125);  // 500 screen pixels at 600 dpi
  EXPECT_EQ(y, 200 + 2500);
  EXPECT_EQ(printer->Canvas()->Pixels(100 + 10, 200 + 10), clRed);
  EXPECT_EQ(printer->Canvas()->Pixels(100 + 1300, 200 + 950), clYellow);
  map.CopyToOpenPrinter(Rect(0, 0, 40, 40), 0, 0, 50);
  EXPECT_EQ(printer->Canvas()->Pixels(50, 50), clRed);
  printer->Abort();
  // A whole document of one page, named after the map.
  TempDir dir;
  const String folder = printer->OutputFolder();
  printer->SetOutputFolder(dir / "pages");
  map.PrintIt(0.5);
  printer->SetPaperSize(210, 297);
  printer->SetOutputFolder(folder);
  EXPECT_FALSE(printer->Printing());
  TBitmap page;
  page.LoadFromFile(dir / "pages/Map-001.png");
  // 500 x 400 screen pixels at half size are 1563 x 1250 printer pixels; the image fills 1250 x 938.
  EXPECT_EQ(page.Canvas()->Pixels(10, 10), clRed);
  EXPECT_EQ(page.Canvas()->Pixels(1240, 930), clYellow);
  EXPECT_EQ(page.Canvas()->Pixels(1500, 1000), clSilver);
  EXPECT_EQ(page.Canvas()->Pixels(1570, 10), clWhite);
  EXPECT_EQ(page.Canvas()->Pixels(10, 1260), clWhite);
}

}  // namespace
