// Qelta_geoatlas: TGeoAtlas, the map control with its registered maps, the command panel, zooming
// between maps of different resolution and the outlines of the other maps.

#include "Qelta_geoatlas.h"

#include <cmath>

#include "FileSys.h"
#include "Resources.h"
#include "StrUtils.h"

namespace qelta {

TGeoAtlas::TGeoAtlas(TComponent* AOwner) : TCustomControl(AOwner) {
  TControlStyle style = ControlStyle();
  style.Exclude(csAcceptsControls).Exclude(csSetCaption);
  SetControlStyle(style.Include(csFramed).Include(csOpaque));
  SetBounds(100, 50, 480, 320);

  FCPanel = new TPanel(this);
  FCPanel->SetParent(this);
  FCPanel->SetAlign(alTop);
  FCPanel->SetHeight(33);

  const auto makeButton = [&](int left, const char16_t* glyph) {
    auto* b = new TSpeedButton(this);
    b->SetParent(FCPanel);
    b->SetBounds(left, 3, 26, 26);
    b->SetFlat(true);
    b->SetGroupIndex(999);
    b->SetNumGlyphs(2);
    b->Glyph()->LoadFromResourceName(HInstance(), glyph);
    return b;
  };
  FSBPoint = makeButton(3, u"POINTR");
  FSBPoint->SetDown(true);
  FSBPoint->OnClick = [this](TObject*) { ButtonClicked(OnPointerButClick); };
  FSBZoom = makeButton(FSBPoint->Left() + FSBPoint->Width() + 3, u"ZOOMIN");
  FSBZoom->OnClick = [this](TObject*) { ButtonClicked(OnZoomButClick); };

  FCboxMaps = new TComboBox(this);
  FCboxMaps->SetParent(FCPanel);
  FCboxMaps->SetStyle(csDropDownList);
  FCboxMaps->SetBounds(FSBZoom->Left() + FSBZoom->Width() + 10, 5, 300, FCboxMaps->Height());
  FCboxMaps->OnChange = [this](TObject*) { SelectorChanged(); };

  FGeoMap = new TGeoMap(this);
  FGeoMap->SetParent(this);
  FGeoMap->SetAlign(alClient);
  FGeoMap->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) { MapMouseDown(b, s, x, y); };
  FGeoMap->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) { MouseUp(b, s, x, y); };
  FGeoMap->OnMouseMove = [this](TObject*, TShiftState s, int x, int y) { MouseMove(s, x, y); };
  FGeoMap->OnClick = [this](TObject*) { Click(); };
  FGeoMap->OnDblClick = [this](TObject*) { DblClick(); };
  FGeoMap->OnDataRendered = [this](TObject*, TCanvas* c) { DrawOutlines(c); };
  FGeoMap->OnMapImageRequest = [this](TObject*, String& name) { MapImageRequest(name); };

  Screen()->SetCursors(crGeoZoom, LoadCursorFromResource(u"CURGEOZOOM"));
  Screen()->SetCursors(crGeoHand, LoadCursorFromResource(u"CURGEOHAND"));
}

TGeoAtlas::~TGeoAtlas() = default;

void TGeoAtlas::CreateWnd() {
  TCustomControl::CreateWnd();
  FGeoMap->SetEmptyMsg(u"TGeoAtlas: Empty");
}

// [SECTION] the list of maps

bool TGeoAtlas::RegisterMap(const String& FileName) {
  const String name = LowerCase(FileName);
  TCalibData cal;
  TCalibModel model = cmUndefined;
  if (!ParseCalibData(name, u"", cal, model)) return false;
  int k = 1;
  while (k <= FNumRegMaps && FRegMaps[k - 1].MapFName != name) ++k;
  if (k > FNumRegMaps) {
    if (FNumRegMaps == MaxRegisteredMaps) return false;  // no room for a new map
    k = ++FNumRegMaps;
  }
  FRegMaps[k - 1] = TMapDefinition{name, cal.Caption, cal.Resolution, cal.Corners};
  RebuildSelector();
  return true;
}

void TGeoAtlas::UnregisterMap(int Index) {
  if (Index < 1 || Index > FNumRegMaps) return;
  const bool wasSelected = FCboxMaps->ItemIndex() + 1 == Index;
  for (int k = Index; k < FNumRegMaps; ++k) FRegMaps[k - 1] = FRegMaps[k];
  FRegMaps[FNumRegMaps - 1] = TMapDefinition{};
  --FNumRegMaps;
  // The current entry keeps pointing at the same map when one before it goes.
  if (FCurrentMapIdx > Index) --FCurrentMapIdx;
  else if (FCurrentMapIdx == Index) FCurrentMapIdx = 0;
  RebuildSelector();
  if (wasSelected) SelectMap(Index);
  else FGeoMap->Invalidate();
}

bool TGeoAtlas::SelectMap(int Index) {
  if (Index < 1 || Index > FNumRegMaps) return false;
  FCurrentMapIdx = Index;
  const bool loaded = FGeoMap->LoadCalDataFromXML(FRegMaps[Index - 1].MapFName, u"");
  if (loaded) FCboxMaps->SetItemIndex(Index - 1);
  return loaded;
}

TMapDefinition TGeoAtlas::GetMapDef(int Index) const {
  if (Index < 1 || Index > MaxRegisteredMaps) return TMapDefinition{};
  return FRegMaps[Index - 1];
}

void TGeoAtlas::RebuildSelector() {
  TStrings* items = FCboxMaps->Items();
  items->Clear();
  for (int k = 1; k <= FNumRegMaps; ++k) {
    const TMapDefinition& d = FRegMaps[k - 1];
    items->Add(d.Caption.empty() ? d.MapFName : d.Caption);
  }
  // The selector keeps showing the current map (setting it in code fires nothing).
  if (FCurrentMapIdx >= 1 && FCurrentMapIdx <= FNumRegMaps) FCboxMaps->SetItemIndex(FCurrentMapIdx - 1);
}

void TGeoAtlas::SelectorChanged() {
  const int k = FCboxMaps->ItemIndex() + 1;
  if (k >= 1 && k <= FNumRegMaps) {
    FCurrentMapIdx = k;
    FGeoMap->LoadCalDataFromXML(FRegMaps[k - 1].MapFName, u"");
  }
  if (OnCBoxMapsChange) OnCBoxMapsChange(this);
}

// [SECTION] zooming between maps

int TGeoAtlas::BestMap(double Latitude, double Longitude, bool Finer, double R) const {
  int best = 0;
  double bestRes = Finer ? 0 : 1e10;
  for (int k = 1; k <= FNumRegMaps; ++k) {
    const TMapDefinition& d = FRegMaps[k - 1];
    if (!PositionInMap(Latitude, Longitude, d.Corners)) continue;
    const double r = d.Resolution;
    const bool candidate = Finer ? (R - r) / R > FMinResDiff / 100 && (best == 0 || r > bestRes)
                                 : r > R && r < bestRes;
    if (candidate) {
      best = k;
      bestRes = r;
    }
  }
  return best;
}

bool TGeoAtlas::SelectAndCentre(int Index, double Latitude, double Longitude) {
  if (Index == 0) return false;
  SelectMap(Index);
  FGeoMap->BringLocationToCenter(Latitude, Longitude);
  return true;
}

bool TGeoAtlas::ZoomIn(double Latitude, double Longitude, double CurrentRes) {
  // A finer map is judged relative to the current resolution, which must be a length.
  if (!(CurrentRes > 0) || !std::isfinite(CurrentRes)) return false;
  return SelectAndCentre(BestMap(Latitude, Longitude, true, CurrentRes), Latitude, Longitude);
}

bool TGeoAtlas::ZoomOut(double Latitude, double Longitude, double CurrentRes) {
  return SelectAndCentre(BestMap(Latitude, Longitude, false, CurrentRes), Latitude, Longitude);
}

// [SECTION] the map's events

void TGeoAtlas::ButtonClicked(TNotifyEvent& Event) {
  const bool zoom = FSBZoom->Down();
  SetCursor(zoom ? crGeoZoom : crHandPoint);
  FGeoMap->SetAllowPan(!zoom);
  Click();
  if (Event) Event(this);
}

void TGeoAtlas::MapMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  MouseDown(Button, Shift, X, Y);
  if (!FSBZoom->Down()) return;
  const double lat = FGeoMap->LastClickLatitude(), lon = FGeoMap->LastClickLongitude();
  const double res = FGeoMap->CalibData().Resolution;
  if (Button == mbLeft) ZoomIn(lat, lon, res);
  else ZoomOut(lat, lon, res);
}

void TGeoAtlas::MapImageRequest(String& FileName) const {
  // Before any map is selected there is no folder to look in.
  if (FCurrentMapIdx < 1 || FCurrentMapIdx > FNumRegMaps) return;
  FileName = ExtractFilePath(FRegMaps[FCurrentMapIdx - 1].MapFName) + ExtractFileName(FileName);
}

void TGeoAtlas::DrawOutlines(TCanvas* c) {
  if (!FMapOLVisible) return;
  c->Pen()->SetColor(FMapOLColor);
  const int shown = FCboxMaps->ItemIndex() + 1;
  for (int k = 1; k <= FNumRegMaps; ++k) {
    if (k == shown) continue;
    const TCornerArray& corners = FRegMaps[k - 1].Corners;
    const auto at = [&](TCorners corner, TPoint& p) {
      int x = 0, y = 0;
      if (!FGeoMap->CalcPixelCoords(corners[corner].Latit, corners[corner].Longit, x, y)) return false;
      p = FGeoMap->MapImageToControl(TPoint{x, y});  // the view's magnification counts too
      return true;
    };
    TPoint p;
    if (at(gcoTopRight, p)) c->MoveTo(p.X, p.Y);
    for (TCorners corner : {gcoTopLeft, gcoBottomLeft, gcoBottomRight, gcoTopRight}) {
      if (at(corner, p)) c->LineTo(p.X, p.Y);
    }
  }
}

void TGeoAtlas::SetMapOLColor(TColor value) {
  FMapOLColor = value;
  FGeoMap->Invalidate();
}

void TGeoAtlas::SetMapOLVisible(bool value) {
  FMapOLVisible = value;
  FGeoMap->Invalidate();
}

void Qelta_geoatlas::Register() { RegisterComponents(u"Qelta", {ComponentClassOf<TGeoAtlas>()}); }

}  // namespace qelta
