#pragma once
// Qelta_Colsel: the colour selector TColSel, a drop-down list of colours.
//
// What: each entry shows a colour bar and the colour's name; up to 47 entries come from the
// foundation's PredefinedColors in four preset palettes (basic VGA 16, extended 20, standard 47, the
// 27 system colours). Entries marked user-editable show an edit marker on their bar: opening the list
// with the mouse over the bar column first opens the colour dialog for the selected entry.
// How: an owner-drawn (fixed height), unsorted combo box of the platform whose item i shows entry
// i + 1; names are made by ColorToString (clRed, clBtnFace, clNone, or "$00BBGGRR") and may be
// changed by OnColorNameChange. The mouse's last column over the closed box (bar or text) decides
// whether the dropping list opens the dialog. Colours are compared as RGB (system colours through
// the platform's fixed table), so clBtnFace finds clSilver.
// Limits: at most 47 entries; selection and focus are not drawn differently in the list. Use the
// mark selector for marks.

#include <array>
#include <cstdint>
#include <functional>

#include "ComboBoxes.h"
#include "Graphics.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// A colour name was made; the handler may change it.
using TOnColorNameChangeEvent = std::function<void(TObject* Sender, String& ColorName)>;

/// Most entries a colour selector holds.
constexpr int kColSelMaxColors = 47;

/// Whether an edit marker on a bar of this colour is drawn black (bright colours) or white:
/// sqrt(R^2 + 2 G^2 + B^2) / 2 above 180, the colour taken as RGB.
bool ColSelMarkerBlack(TColor Color);

/// The colour list. Entries are numbered 1..NumColors; accessors outside that range read 0, empty or
/// false and write nothing.
class TColSel : public TCustomComboBox {
 public:
  /// Owner-drawn, unsorted; entries 1..47 from PredefinedColors with their names, 20 of them listed,
  /// entry 1 selected, colour bars 30 pixels wide, nothing editable.
  explicit TColSel(TComponent* AOwner);
  ~TColSel() override;

  /// Lists the names of entries 1..NumColors and selects the item of the selected entry.
  void LoadColorsIntoComboList();

  // -- palettes: each selects entry 1, names every entry (OnColorNameChange) and fills the list
  /// PredefinedColors 1..16.
  void LoadBasicVGAPalette();
  /// PredefinedColors 1..20.
  void LoadExtendedPalette();
  /// PredefinedColors 1..47.
  void LoadStandardPalette();
  /// PredefinedColors 21..47: the system colours with clDefault and clNone.
  void LoadWindowsSystemPalette();

  // -- entries
  TColor GetArrayColor(int i) const;
  /// Stores the colour and its new name (OnColorNameChange), refreshes.
  void SetArrayColor(int i, TColor c);
  String GetArrayColorName(int i) const;
  /// Stores the name as given (no OnColorNameChange), also as the list item's text; refreshes.
  void SetArrayColorName(int i, const String& Name);
  bool GetArrayAllowEdit(int i) const;
  void SetArrayAllowEdit(int i, bool b);
  /// All 47 entries editable.
  void SetAllColorEditFlags();
  /// No entry editable.
  void ResetAllColorEditFlags();

  // -- properties
  int NumColors() const { return FNumColors; }
  /// 1..47 only (else ignored); selects entry 1 and fills the list again.
  void SetNumColors(int value);
  /// Colour of the selected entry.
  TColor SelColor() const;
  /// Selects the first entry of that colour as RGB (naming it anew), or, when none has it, gives the
  /// selected entry that colour and its RGB name.
  void SetSelColor(TColor value);
  /// Name of the selected entry; empty while the list has no item chosen.
  String GetSelColorID() const;
  int ColorBarWidth() const { return FColorBarWidth; }
  /// A different width of 0 or more; 0 shows no bar.
  void SetColorBarWidth(int value);
  /// Stores, passes it on to the platform, refreshes.
  void SetEnabled(bool value) override;

  // -- events
  TOnColorNameChangeEvent OnColorNameChange;

 protected:
  /// The platform's loading, then LoadColorsIntoComboList.
  void Loaded() override;
  /// Takes the chosen item as the selected entry, then OnClick.
  void Click() override;
  /// Notes whether the pointer is over the colour-bar column.
  void MouseMove(TShiftState Shift, int X, int Y) override;
  /// Over the bar of an editable entry, the colour dialog first; then OnDropDown.
  void DropDown() override;
  /// Draws item Index (entry Index + 1): bar, edit marker, name.
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;

 private:
  void LoadPalette(int First, int Count);
  bool InRange(int i) const { return i >= 1 && i <= FNumColors; }
  /// ColorToString of the colour, passed through OnColorNameChange.
  String MakeName(TColor c);
  /// Stores the name and puts it into the list item.
  void Rename(int i, const String& Name);
  void DrawBar(TCanvas* Canvas, int Entry, const TRect& Rect);

  std::array<TColor, kColSelMaxColors + 1> FColors{};  // [1..47]
  std::array<String, kColSelMaxColors + 1> FColorNames;
  std::array<bool, kColSelMaxColors + 1> FIsUserEditable{};
  int FNumColors = 20;
  int FSelColorIx = 1;
  int FColorBarWidth = 30;
  bool FEnabled = true;
  int FMouseAreaCode = 0;
};

}  // namespace qelta

QELTA_PUBLIC_END
