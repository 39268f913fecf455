// Qelta_Colsel: the colour selector TColSel.
//
// An item (rectangle L, T, R, B) shows the colour bar L + 3 .. L + ColorBarWidth + 3 by T + 2 .. B - 2
// (right and bottom exclusive) outlined in black, on an editable entry (bar wider than 11 pixels,
// enabled) the edit marker as a closed line through (L + 5, T + 4), (L + 5, B - 5), (L + 8, B - 5),
// (L + 11, B - 8), (L + 11, T + 7), (L + 8, T + 4), and the name from ColorBarWidth + 6 on, centred
// vertically. Disabled: the bar column on silver with a grey outline, the name grey on silver.
// Decisions where the classic control leaves things open or relies on its platform:
//  - The list is filled already by the constructor (and again by Loaded): a selector created at run
//    time, never loaded from a form, listed nothing.
//  - SetArrayColorName stores the name as given, only inside 1..NumColors, and repaints; every
//    renaming also changes the list item's text, so the list and the drawing agree.
//  - DrawItem starts with a black pen (the outline of the bar), as a fresh item canvas has.

#include "Qelta_Colsel.h"

#include <cmath>
#include <memory>

#include "Dialogs.h"
#include "Qelta_qeltacolors.h"

namespace qelta {

bool ColSelMarkerBlack(TColor Color) {
  const TColor c = ColorToRGB(Color);
  const double r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  return std::sqrt(r * r + 2 * g * g + b * b) / 2 > 180;
}

// [SECTION] construction

TColSel::TColSel(TComponent* AOwner) : TCustomComboBox(AOwner) {
  SetSorted(false);
  SetStyle(csOwnerDrawFixed);
  for (int i = 1; i <= kColSelMaxColors; ++i) {
    FColors[i] = PredefinedColors[i];
    FColorNames[i] = ColorToString(FColors[i]);
  }
  LoadColorsIntoComboList();
}

TColSel::~TColSel() = default;

void TColSel::Loaded() {
  TCustomComboBox::Loaded();
  LoadColorsIntoComboList();
}

void TColSel::LoadColorsIntoComboList() {
  Items()->BeginUpdate();
  Items()->Clear();
  for (int i = 1; i <= FNumColors; ++i) Items()->Add(FColorNames[i]);
  Items()->EndUpdate();
  SetItemIndex(FSelColorIx - 1);
}

// [SECTION] palettes

void TColSel::LoadPalette(int First, int Count) {
  FSelColorIx = 1;
  FNumColors = Count;
  for (int i = 1; i <= Count; ++i) {
    FColors[i] = PredefinedColors[First + i - 1];
    FColorNames[i] = MakeName(FColors[i]);
  }
  LoadColorsIntoComboList();
}

void TColSel::LoadBasicVGAPalette() { LoadPalette(1, 16); }
void TColSel::LoadExtendedPalette() { LoadPalette(1, 20); }
void TColSel::LoadStandardPalette() { LoadPalette(1, 47); }
void TColSel::LoadWindowsSystemPalette() { LoadPalette(21, 27); }

// [SECTION] entries

String TColSel::MakeName(TColor c) {
  String name = ColorToString(c);
  if (OnColorNameChange) OnColorNameChange(this, name);
  return name;
}

void TColSel::Rename(int i, const String& Name) {
  FColorNames[i] = Name;
  if (i - 1 < Items()->Count()) Items()->SetStrings(i - 1, Name);
}

TColor TColSel::GetArrayColor(int i) const { return InRange(i) ? FColors[i] : 0; }

void TColSel::SetArrayColor(int i, TColor c) {
  if (!InRange(i)) return;
  FColors[i] = c;
  Rename(i, MakeName(c));
  Refresh();
}

String TColSel::GetArrayColorName(int i) const { return InRange(i) ? FColorNames[i] : String(); }

void TColSel::SetArrayColorName(int i, const String& Name) {
  if (!InRange(i)) return;
  Rename(i, Name);
  Refresh();
}

bool TColSel::GetArrayAllowEdit(int i) const { return InRange(i) && FIsUserEditable[i]; }

void TColSel::SetArrayAllowEdit(int i, bool b) {
  if (!InRange(i)) return;
  FIsUserEditable[i] = b;
  Refresh();
}

void TColSel::SetAllColorEditFlags() {
  FIsUserEditable.fill(true);
  Refresh();
}

void TColSel::ResetAllColorEditFlags() {
  FIsUserEditable.fill(false);
  Refresh();
}

// [SECTION] properties

void TColSel::SetNumColors(int value) {
  if (value < 1 || value > kColSelMaxColors) return;
  FNumColors = value;
  FSelColorIx = 1;
  LoadColorsIntoComboList();
}

TColor TColSel::SelColor() const { return FColors[FSelColorIx]; }

void TColSel::SetSelColor(TColor value) {
  const TColor rgb = ColorToRGB(value);
  int found = 0;
  for (int i = 1; i <= FNumColors && found == 0; ++i)
    if (ColorToRGB(FColors[i]) == rgb) found = i;
  if (found != 0) {
    FSelColorIx = found;
    Rename(found, MakeName(FColors[found]));
    SetItemIndex(found - 1);
  } else {
    FColors[FSelColorIx] = value;
    Rename(FSelColorIx, MakeName(rgb));
  }
  Refresh();
}

String TColSel::GetSelColorID() const { return ItemIndex() < 0 ? String() : FColorNames[FSelColorIx]; }

void TColSel::SetColorBarWidth(int value) {
  if (value < 0 || value == FColorBarWidth) return;
  FColorBarWidth = value;
  Refresh();
}

void TColSel::SetEnabled(bool value) {
  FEnabled = value;
  TCustomComboBox::SetEnabled(value);
  Refresh();
}

// [SECTION] user

void TColSel::Click() {
  if (ItemIndex() >= 0) FSelColorIx = ItemIndex() + 1;
  TCustomComboBox::Click();
}

void TColSel::MouseMove(TShiftState Shift, int X, int Y) {
  FMouseAreaCode = X < FColorBarWidth ? 1 : 0;
  TCustomComboBox::MouseMove(Shift, X, Y);
}

void TColSel::DropDown() {
  if (FMouseAreaCode == 1 && GetArrayAllowEdit(ItemIndex() + 1)) {
    auto dialog = std::make_unique<TColorDialog>(this);
    dialog->SetColor(FColors[FSelColorIx]);
    if (dialog->Execute()) {
      FColors[FSelColorIx] = dialog->Color();
      Rename(FSelColorIx, MakeName(ColorToRGB(dialog->Color())));
    }
    dialog.reset();
    Refresh();
  }
  TCustomComboBox::DropDown();
}

// [SECTION] drawing

void TColSel::DrawBar(TCanvas* c, int Entry, const TRect& R) {
  const int L = R.Left, T = R.Top, B = R.Bottom, w = FColorBarWidth;
  c->Pen()->SetColor(clBlack);
  if (FEnabled) {
    c->Brush()->SetColor(FColors[Entry]);
  } else {
    c->Pen()->SetColor(clSilver);
    c->Brush()->SetColor(clSilver);
    c->Rectangle(L - 1, T - 1, L + w + 3, B + 1);
    c->Pen()->SetColor(clGray);
  }
  c->Rectangle(L + 3, T + 2, L + w + 3, B - 2);
  if (!FIsUserEditable[Entry] || w <= 11 || !FEnabled) return;
  c->Pen()->SetColor(ColSelMarkerBlack(FColors[Entry]) ? clBlack : clWhite);
  c->Polyline({Point(L + 5, T + 4), Point(L + 5, B - 5), Point(L + 8, B - 5), Point(L + 11, B - 8),
               Point(L + 11, T + 7), Point(L + 8, T + 4), Point(L + 5, T + 4)});
  c->Pen()->SetColor(clBlack);
}

void TColSel::DrawItem(int Index, const TRect& Rect, TOwnerDrawState /*State*/) {
  const int entry = Index + 1;
  if (!InRange(entry)) return;
  TCanvas* c = Canvas();
  const TColor brush = c->Brush()->Color(), font = c->Font()->Color();
  if (FColorBarWidth > 0) DrawBar(c, entry, Rect);
  c->Font()->SetColor(FEnabled ? clBlack : clGray);
  c->Brush()->SetColor(FEnabled ? Color() : clSilver);
  TRect text = Rect;
  text.Left += FColorBarWidth + 3;
  c->TextRect(text, text.Left + 3, Rect.Top + (Rect.Height() - c->TextHeight(FColorNames[entry])) / 2,
              FColorNames[entry]);
  c->Brush()->SetColor(brush);
  c->Font()->SetColor(font);
}

}  // namespace qelta
