// The map atlas: registering maps by their calibration files, selecting, zooming between maps of
// different resolution, the command panel and the outlines of the other maps.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "FileTestKit.h"
#include "Forms.h"
#include "Qelta_geoatlas.h"
#include "Qelta_geomap.h"
#include "StrUtils.h"
#include "Testing.h"
#include "TextFiles.h"

using namespace qelta;
using qelta::test::TempDir;

namespace {

/// Writes <name>.xml, a cmEquiRect calibration of a white 200 x 200 image <name>.bmp covering the
/// box, with the given resolution and caption.
void WriteMap(const TempDir& dir, const std::string& name, const String& caption, double res, double latLo,
              double latHi, double lonLo, double lonHi) {
  TBitmap image(200, 200);
  image.Canvas()->Brush()->SetColor(clWhite);
  image.Canvas()->FillRect(Rect(0, 0, 200, 200));
  image.SaveToFile(dir / (name + ".bmp"));
  TCalibData cal;
  cal.MapFName = Utf8ToString(name + ".bmp");
  cal.Caption = caption;
  cal.Resolution = res;
  cal.Corners = {TCoords{latHi, lonLo}, TCoords{latLo, lonLo}, TCoords{latLo, lonHi}, TCoords{latHi, lonHi}};
  cal.NumCalQuads = 3;
  cal.CalQuads[0] = {latHi, lonLo, 0, 0};
  cal.CalQuads[1] = {latHi, lonHi, 200, 0};
  cal.CalQuads[2] = {latLo, lonLo, 0, 200};
  TextFile f;
  AssignFile(f, dir / (name + ".xml"));
  Rewrite(f);
  WriteRawCalDataToOpenXMLFile(f, true, u"", cal, cmEquiRect);
  CloseFile(f);
}

struct Atlas : ::testing::Test {
  TempDir dir;
  TGeoAtlas atlas{nullptr};
  void SetUp() override {
    WriteMap(dir, "coarse", u"Coarse", 100, 40, 50, 0, 20);
    WriteMap(dir, "middle", u"", 50, 44, 46, 9, 11);
    WriteMap(dir, "fine", u"Fine", 9.5, 44.9, 45.1, 9.9, 10.1);
  }
  void RegisterAll() {
    ASSERT_TRUE(atlas.RegisterMap(dir / "coarse.xml"));
    ASSERT_TRUE(atlas.RegisterMap(dir / "middle.xml"));
    ASSERT_TRUE(atlas.RegisterMap(dir / "fine.xml"));
  }
  String Lower(const std::string& name) { return LowerCase(dir / name); }
};

/// A 600 x 400 atlas on a shown 700 x 500 form, under a scripted user.
struct ShownAtlas : Atlas {
  TScriptedUser user;
  std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
  TGeoAtlas* a = new TGeoAtlas(form.get());
  void SetUp() override {
    Atlas::SetUp();
    form->SetBounds(0, 0, 700, 500);
    a->SetParent(form.get());
    a->SetBounds(0, 0, 600, 400);
    user.Show(form.get());
  }
};

TEST_F(Atlas, OneEntryForTwoSpellingsAndTheSelectorShowsCaptionsOrNames) {
  ASSERT_TRUE(atlas.RegisterMap(dir / "middle.xml"));
  ASSERT_TRUE(atlas.RegisterMap(UpperCase(dir / "middle.xml")));
  EXPECT_EQ(atlas.NumRegMaps(), 1);
  EXPECT_EQ(atlas.GetMapDef(1).MapFName, Lower("middle.xml"));
  EXPECT_EQ(atlas.GetMapDef(1).Resolution, 50);
  EXPECT_EQ(atlas.GetMapDef(1).Corners[gcoTopRight].Longit, 11);
  ASSERT_TRUE(atlas.RegisterMap(dir / "coarse.xml"));
  ASSERT_EQ(atlas.MapSelector()->Items()->Count(), 2);
  EXPECT_EQ(atlas.MapSelector()->Items()->Strings(0), Lower("middle.xml"));  // no caption: the name
  EXPECT_EQ(atlas.MapSelector()->Items()->Strings(1), u"Coarse");
  // A file without a calibration changes nothing.
  dir.Put("none.xml", "<?xml version=\"1.0\"?>\n<other/>\n");
  EXPECT_FALSE(atlas.RegisterMap(dir / "none.xml"));
  EXPECT_FALSE(atlas.RegisterMap(dir / "missing.xml"));
  EXPECT_EQ(atlas.MapSelector()->Items()->Count(), 2);
  // Outside 1..200 an empty record with zero corners.
  EXPECT_EQ(atlas.GetMapDef(0).MapFName, u"");
  EXPECT_EQ(atlas.GetMapDef(201).Corners[gcoTopLeft].Latit, 0);
  EXPECT_EQ(atlas.GetMapDef(200).Resolution, 0);
}

TEST_F(Atlas, UnregisterMovesTheRestDownAndReselects) {
  RegisterAll();
  atlas.UnregisterMap(0);
  atlas.UnregisterMap(4);
  EXPECT_EQ(atlas.NumRegMaps(), 3);
  ASSERT_TRUE(atlas.SelectMap(2));
  EXPECT_EQ(atlas.MapSelector()->ItemIndex(), 1);
  EXPECT_EQ(atlas.CurrentMap()->MapImgWidth(), 200);  // the image beside its calibration file
  atlas.UnregisterMap(2);  // the selected one: the map moving into its place is selected
  EXPECT_EQ(atlas.NumRegMaps(), 2);
  EXPECT_EQ(atlas.MapSelector()->ItemIndex(), 1);
  EXPECT_EQ(atlas.MapSelector()->Items()->Strings(1), u"Fine");
  EXPECT_EQ(atlas.CurrentMap()->Caption(), u"Fine");
  EXPECT_FALSE(atlas.SelectMap(3));
  EXPECT_FALSE(atlas.SelectMap(0));
}

TEST_F(Atlas, ZoomInAndOutChooseByResolution) {
  RegisterAll();
  EXPECT_TRUE(atlas.ZoomIn(45, 10, 100));
  EXPECT_EQ(atlas.MapSelector()->ItemIndex(), 1);  // 50 m: the coarsest finer by more than 10 %
  atlas.SetMinResDiff(60);
  EXPECT_TRUE(atlas.ZoomIn(45, 10, 100));
  EXPECT_EQ(atlas.MapSelector()->ItemIndex(), 2);  // 9.5 m
  EXPECT_TRUE(atlas.ZoomOut(45, 10, 50));
  EXPECT_EQ(atlas.MapSelector()->ItemIndex(), 0);  // 100 m
  // Outside every map: nothing changes.
  EXPECT_FALSE(atlas.ZoomIn(10, 10, 100));
  EXPECT_FALSE(atlas.ZoomOut(10, 10, 1));
  EXPECT_EQ(atlas.MapSelector()->ItemIndex(), 0);
  // No finer map can be judged against a resolution that is no length.
  EXPECT_FALSE(atlas.ZoomIn(45, 10, 0));
  EXPECT_FALSE(atlas.ZoomIn(45, 10, std::numeric_limits<double>::quiet_NaN()));
}

// Before any map is selected the image name was put into the folder of a slot that holds nothing.
TEST_F(Atlas, ImageRequestsWithoutACurrentMapKeepTheName) {
  String requested;
  TGeoMap* map = atlas.CurrentMap();
  const auto handler = map->OnMapImageRequest;
  map->OnMapImageRequest = [&](TObject* s, String& name) {
    handler(s, name);
    requested = name;
  };
  map->SetMapImgName(u"elsewhere/picture.bmp");
  EXPECT_EQ(requested, u"elsewhere/picture.bmp");
  RegisterAll();
  ASSERT_TRUE(atlas.SelectMap(1));
  map->SetMapImgName(u"other/picture.bmp");
  EXPECT_EQ(requested, Lower("picture.bmp"));
}

TEST_F(ShownAtlas, ButtonsSetCursorAndPanning) {
  std::vector<std::string> log;
  a->OnClick = [&](TObject*) { log.push_back("click"); };
  a->OnZoomButClick = [&](TObject*) { log.push_back("zoom"); };
  a->OnPointerButClick = [&](TObject*) { log.push_back("pointer"); };
  int downs = 0;
  a->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  EXPECT_EQ(a->CurrentMap()->EmptyMsg(), u"TGeoAtlas: Empty");
  EXPECT_TRUE(a->PointerButton()->Down());
  EXPECT_EQ(a->PointerButton()->Glyph()->Width(), 36);
  EXPECT_EQ(a->ZoomButton()->Left(), 32);
  EXPECT_EQ(a->MapSelector()->Left(), 68);
  user.Click(a->ZoomButton(), 10, 10);
  EXPECT_TRUE(a->ZoomButton()->Down());
  EXPECT_FALSE(a->PointerButton()->Down());
  EXPECT_EQ(a->Cursor(), crGeoZoom);
  EXPECT_FALSE(a->CurrentMap()->AllowPan());
  user.Click(a->PointerButton(), 10, 10);
  EXPECT_EQ(a->Cursor(), crHandPoint);
  EXPECT_TRUE(a->CurrentMap()->AllowPan());
  EXPECT_EQ(log, (std::vector<std::string>{"click", "zoom", "click", "pointer"}));
  EXPECT_NE(Screen()->Cursors(crGeoZoom), Screen()->Cursors(crDefault));
  user.Click(a->CurrentMap(), 100, 100);
  EXPECT_EQ(downs, 1);  // the map's press is the atlas's own
}

TEST_F(ShownAtlas, TheSelectorLoadsWhatTheUserChoosesAndCodeFiresNothing) {
  int changes = 0;
  a->OnCBoxMapsChange = [&](TObject* sender) {
    EXPECT_EQ(sender, a);
    ++changes;
  };
  ASSERT_TRUE(a->RegisterMap(dir / "coarse.xml"));
  ASSERT_TRUE(a->RegisterMap(dir / "fine.xml"));
  ASSERT_TRUE(a->SelectMap(1));
  EXPECT_EQ(changes, 0);
  TComboBox* box = a->MapSelector();
  user.Click(box, box->Width() - 5, 5);
  ASSERT_NE(user.OpenPopup(), nullptr);
  user.ClickPopupEntry(u"Fine");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a->CurrentMap()->Caption(), u"Fine");
  EXPECT_EQ(a->CurrentMap()->MapImgWidth(), 200);
}

TEST_F(ShownAtlas, ClicksInZoomModeSwitchToFinerAndCoarserMaps) {
  ASSERT_TRUE(a->RegisterMap(dir / "coarse.xml"));
  ASSERT_TRUE(a->RegisterMap(dir / "middle.xml"));
  ASSERT_TRUE(a->SelectMap(1));
  a->CurrentMap()->SetTopLeft(TPoint{0, 0});
  user.Click(a->CurrentMap(), 100, 100);  // pointer mode: no change
  EXPECT_EQ(a->MapSelector()->ItemIndex(), 0);
  user.Click(a->ZoomButton(), 10, 10);
  user.Click(a->CurrentMap(), 100, 100);  // 45 N 10 E on the 100 m map: to the 50 m map
  EXPECT_EQ(a->MapSelector()->ItemIndex(), 1);
  EXPECT_EQ(a->CurrentMap()->CalibData().Resolution, 50);
  const TPoint at = a->CurrentMap()->MapImageToControl(TPoint{100, 100});  // 45 N 10 E here
  user.Click(a->CurrentMap(), at.X, at.Y, mbRight);
  EXPECT_EQ(a->MapSelector()->ItemIndex(), 0);  // back to the 100 m map
}

TEST_F(ShownAtlas, OutlinesFollowTheMagnification) {
  ASSERT_TRUE(a->RegisterMap(dir / "coarse.xml"));
  ASSERT_TRUE(a->RegisterMap(dir / "middle.xml"));
  ASSERT_TRUE(a->SelectMap(1));
  TGeoMap* map = a->CurrentMap();
  map->SetConfinePan(false);
  map->SetMagnification(2);
  map->SetTopLeft(TPoint{80, 70});
  // The middle map covers image pixels (90, 80)-(110, 120): control (20, 20)-(60, 100) at 2.
  const auto pic = user.Grab(map);
  EXPECT_EQ(pic->Canvas()->Pixels(40, 20), TColor(0xFF0000));
  EXPECT_EQ(pic->Canvas()->Pixels(20, 60), TColor(0xFF0000));
  EXPECT_EQ(pic->Canvas()->Pixels(40, 22), clWhite);
  EXPECT_EQ(pic->Canvas()->Pixels(15, 10), clWhite);  // where the outline fell when m was ignored
  a->SetMapOLVisible(false);
  EXPECT_EQ(user.Grab(map)->Canvas()->Pixels(40, 20), clWhite);
}

}  // namespace
