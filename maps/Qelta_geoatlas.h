#pragma once
// Qelta_geoatlas: the map atlas TGeoAtlas, one map control and a list of registered maps that it
// switches between.
//
// What: a command panel across the top (a pointer button, a zoom button and a drop-down list of the
// registered maps) over a TGeoMap that fills the rest. Maps are registered by their calibration
// files (`geomap`, read by ParseCalibData); the list keeps each one's caption, resolution and
// corners. In zoom mode a left click switches to the registered map of the next finer resolution
// that covers the clicked point, any other button to the next coarser one. The outlines of the other
// registered maps are drawn over the current one.
// How: file names are kept lower-cased and opened through the map's case-ignoring lookup, so one
// file is one entry whatever its spelling; an image is looked for beside its calibration file.
// Limits: 200 registered maps (RegisterMap answers false for a new one beyond them).
// Failure channel: RegisterMap and SelectMap answer false for a file without a calibration; a
// malformed calibration element raises EQeltaGeoMapError as the map's readers do.

#include <array>
#include <memory>

#include "Buttons.h"
#include "ComboBoxes.h"
#include "Controls.h"
#include "Panels.h"
#include "Qelta_geomap.h"
#include "Screen.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// A registered map: its calibration file (lower case), caption, resolution (metres per pixel) and
/// corners.
struct TMapDefinition {
  String MapFName;
  String Caption;
  double Resolution = 0;
  TCornerArray Corners{};
};

/// Most maps an atlas registers.
inline constexpr int MaxRegisteredMaps = 200;
/// Screen cursor slots of the atlas's zoom and hand cursors.
inline constexpr TCursor crGeoZoom = 1000, crGeoHand = 1001;

class TGeoAtlas : public TCustomControl {
 public:
  /// 480 x 320 at (100, 50); the panel, the pointer button (down), the zoom button, the selector and
  /// the map; the cursors "CURGEOZOOM" and "CURGEOHAND" into the screen's slots 1000 and 1001.
  explicit TGeoAtlas(TComponent* AOwner);
  ~TGeoAtlas() override;

  /// Reads the first `geomap` element of the file (name lower-cased) and registers or updates its
  /// entry; the selector is rebuilt. False, nothing changed, without a calibration or when a new map
  /// finds all 200 places taken.
  bool RegisterMap(const String& FileName);
  /// Removes entry Index (1..NumRegMaps; others do nothing); when it was the one selected, the map
  /// that moves into its place is selected, else the map is refreshed.
  void UnregisterMap(int Index);
  /// Loads entry Index's calibration (and so its image) into the map; the selector shows it when the
  /// load succeeds. False for an index outside 1..NumRegMaps or a failed load.
  bool SelectMap(int Index);
  /// Slot Index (1..200) as it stands; an empty record (zero corners) for any other index.
  TMapDefinition GetMapDef(int Index) const;
  /// Selects the registered map covering the position whose resolution is the coarsest of those finer
  /// than CurrentRes by more than MinResDiff per cent, and centres the position; false when none (or
  /// CurrentRes is not above 0 or not finite).
  bool ZoomIn(double Latitude, double Longitude, double CurrentRes);
  /// The same with the finest of the coarser maps (any difference).
  bool ZoomOut(double Latitude, double Longitude, double CurrentRes);

  TGeoMap* CurrentMap() const { return FGeoMap; }
  TPanel* CmdPanel() const { return FCPanel; }
  TSpeedButton* PointerButton() const { return FSBPoint; }
  TSpeedButton* ZoomButton() const { return FSBZoom; }
  TComboBox* MapSelector() const { return FCboxMaps; }
  bool CmdPanelVisible() const { return FCPanel->Visible(); }
  void SetCmdPanelVisible(bool value) { FCPanel->SetVisible(value); }
  TColor MapOutlineColor() const { return FMapOLColor; }
  void SetMapOLColor(TColor value);  ///< store, refresh the map
  bool MapOutlineVisible() const { return FMapOLVisible; }
  void SetMapOLVisible(bool value);  ///< store, refresh the map
  double MinResDiff() const { return FMinResDiff; }
  void SetMinResDiff(double value) { FMinResDiff = value; }
  int NumRegMaps() const { return FNumRegMaps; }

  TNotifyEvent OnZoomButClick;
  TNotifyEvent OnPointerButClick;
  TNotifyEvent OnCBoxMapsChange;

 protected:
  /// After the window exists the map's empty message becomes "TGeoAtlas: Empty".
  void CreateWnd() override;

 private:
  void RebuildSelector();
  void SelectorChanged();
  void ButtonClicked(TNotifyEvent& Event);
  void MapMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  void MapImageRequest(String& FileName) const;
  void DrawOutlines(TCanvas* Canvas);
  /// 1-based index of the best registered map covering the position; 0 when none.
  int BestMap(double Latitude, double Longitude, bool Finer, double CurrentRes) const;
  bool SelectAndCentre(int Index, double Latitude, double Longitude);

  TGeoMap* FGeoMap = nullptr;
  TPanel* FCPanel = nullptr;
  TSpeedButton* FSBPoint = nullptr;
  TSpeedButton* FSBZoom = nullptr;
  TComboBox* FCboxMaps = nullptr;
  TColor FMapOLColor = 0xFF0000;
  bool FMapOLVisible = true;
  double FMinResDiff = 10.0;
  int FNumRegMaps = 0;
  std::array<TMapDefinition, MaxRegisteredMaps> FRegMaps{};  ///< entry i at FRegMaps[i - 1]
  int FCurrentMapIdx = 0;                                     ///< 0: none
};

namespace Qelta_geoatlas {
/// Puts TGeoAtlas on the component palette page "Qelta".
void Register();
}  // namespace Qelta_geoatlas

}  // namespace qelta

QELTA_PUBLIC_END
