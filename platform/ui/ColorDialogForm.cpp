// The colour dialog's own form: basic and custom colour grids, a preview, RGB and HSL edits in step.
//
// RGB <-> HSL: the hexcone model. With the channels r, g, b in 0..1, max and min of them and
// d = max - min: L = (max + min) / 2; S = 0 for grey, else d / (max + min) for L <= 1/2 and
// d / (2 - max - min) above; H = 60 degrees times the position of the largest channel on the colour
// wheel. Back: the chroma C = (1 - |2 L - 1|) S goes to the largest channel of the hue's 60-degree
// sector, C (1 - |(H mod 120) / 60 - 1|) to the second, 0 to the third, and L - C / 2 is added to all
// three. Whole degrees keep the pure and half-way hues exact (olive is 128, 128, 0, not 127).
//
// Layout (client pixels): the two grids with their labels and the Add button on the left; the preview,
// the six edits (RGB left, HSL right) and OK and Cancel on the right.

#include "ColorDialogForm.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "DialogForm.h"
#include "Grids.h"
#include "Math.h"
#include "Panels.h"
#include "StrUtils.h"
#include "SysUtils.h"
#include "WidgetPaint.h"

namespace qelta::platform_detail {

// [SECTION] colour arithmetic

THsl RgbToHsl(TColor rgb) {
  const double r = GetRValue(rgb) / 255.0, g = GetGValue(rgb) / 255.0, b = GetBValue(rgb) / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn, l = (mx + mn) / 2;
  if (d == 0) return {0, 0, static_cast<int>(Round(l * 100))};
  const double s = l <= 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
  double h = mx == r ? (g - b) / d + (g < b ? 6 : 0) : mx == g ? (b - r) / d + 2 : (r - g) / d + 4;
  int hue = static_cast<int>(Round(h * 60));
  if (hue >= 360) hue -= 360;
  return {hue, static_cast<int>(Round(s * 100)), static_cast<int>(Round(l * 100))};
}

namespace {

uint8_t Channel(double v) { return static_cast<uint8_t>(std::clamp<int64_t>(Round(v * 255), 0, 255)); }

}  // namespace

TColor HslToRgb(const THsl& hsl) {
  const int h = ((hsl.H % 360) + 360) % 360;
  const double s = std::clamp(hsl.S, 0, 100) / 100.0, l = std::clamp(hsl.L, 0, 100) / 100.0;
  const double chroma = (1 - std::abs(2 * l - 1)) * s;
  const double second = chroma * (1 - std::abs((h % 120) / 60.0 - 1)), m = l - chroma / 2;
  double rgb[3] = {};
  static constexpr int order[6][2] = {{0, 1}, {1, 0}, {1, 2}, {2, 1}, {2, 0}, {0, 2}};  // largest, second channel
  rgb[order[h / 60][0]] = chroma;
  rgb[order[h / 60][1]] = second;
  return RGB(Channel(rgb[0] + m), Channel(rgb[1] + m), Channel(rgb[2] + m));
}

std::vector<TColor> BasicColors() {
  static constexpr int hues[] = {0, 30, 60, 120, 180, 210, 240, 300};
  static constexpr int lightness[] = {88, 75, 50, 38, 25};
  static constexpr uint8_t greys[] = {0x00, 0x40, 0x60, 0x80, 0xA0, 0xC0, 0xE0, 0xFF};
  std::vector<TColor> colors;
  for (int l : lightness)
    for (int h : hues) colors.push_back(HslToRgb({h, 100, l}));
  for (uint8_t v : greys) colors.push_back(RGB(v, v, v));
  return colors;
}

// [SECTION] the form

namespace {

constexpr int kMargin = 8, kColumns = 8, kCellWidth = 26, kCellHeight = 22, kCustomCount = 16;
constexpr int kLeftWidth = kColumns * kCellWidth, kRightX = kMargin + kLeftWidth + 16, kRightWidth = 226;

/// The name of custom colour slot i: "ColorA".."ColorP".
String SlotKey(int i) { return u"Color" + String(1, static_cast<Char>(u'A' + i)); }

/// The custom colour slots of the dialog as hexadecimal TColor values, else white.
std::vector<TColor> ReadCustomColors(const TStrings* list) {
  std::vector<TColor> colors;
  for (int i = 0; i < kCustomCount; ++i) {
    const String value = list->Values(SlotKey(i));
    int32_t v = -1;
    const bool ok = !value.empty() && TryStrToInt(u"$" + value, v) && v >= 0 && v <= 0xFFFFFF;
    colors.push_back(ok ? v : clWhite);
  }
  return colors;
}

void WriteCustomColors(TStrings* list, const std::vector<TColor>& colors) {
  for (int i = 0; i < kCustomCount; ++i)
    list->SetValues(SlotKey(i), IntToHex(colors[static_cast<std::size_t>(i)], 6));
}

class TColorDialogForm final : public TDialogForm {
 public:
  explicit TColorDialogForm(TColorDialog& dialog);
  TColor Chosen() const { return FColor; }
  const std::vector<TColor>& Custom() const { return FCustom; }

 protected:
  void DefaultAction() override { SetModalResult(mrOk); }

 private:
  /// Which group of edits the user typed in (that group keeps its text as typed).
  enum class TSource : uint8_t { None, Rgb, Hsl };
  TDrawGrid* AddSwatches(const String& name, int top, std::vector<TColor>& colors);
  int BuildPreview();
  void BuildEdits(int top);
  void BuildButtons(int top);
  void ShowColor(TColor color, TSource source);
  void Pick(const std::vector<TColor>& colors, int col, int row);
  void Typed(TSource source);
  void DrawSwatch(TDrawGrid* grid, const std::vector<TColor>& colors, int col, int row, const TRect& r);

  TColor FColor = clBlack;
  std::vector<TColor> FBasic;
  std::vector<TColor> FCustom;
  int FNextCustom = 0;     // the slot the Add button fills next
  bool FSyncing = false;   // the form itself is changing edits or grids: no typing, no picking
  TDrawGrid* FBasicGrid = nullptr;
  TDrawGrid* FCustomGrid = nullptr;
  TPanel* FPreview = nullptr;
  std::array<TEdit*, 3> FRgb{};
  std::array<TEdit*, 3> FHsl{};
};

TColorDialogForm::TColorDialogForm(TColorDialog& dialog)
    : TDialogForm(dialog.Title().empty() ? String(u"Colour") : dialog.Title(), kRightX + kRightWidth + kMargin, 0),
      FColor(ColorToRGB(dialog.Color()) & 0xFFFFFF), FBasic(BasicColors()), FCustom(ReadCustomColors(dialog.CustomColors())) {
  AddLabel(u"BasicLabel", u"Basic colours:", kMargin, kMargin);
  FBasicGrid = AddSwatches(u"BasicColors", kMargin + 18, FBasic);
  const int customTop = FBasicGrid->Top() + FBasicGrid->Height() + 10;
  AddLabel(u"CustomLabel", u"Custom colours:", kMargin, customTop);
  FCustomGrid = AddSwatches(u"CustomColors", customTop + 18, FCustom);
  const int bottom = FCustomGrid->Top() + FCustomGrid->Height() + 8;
  AddButton(u"AddCustomButton", u"Add to custom colours", Bounds(kMargin, bottom, kLeftWidth, 25), [this] {
    FCustom[static_cast<std::size_t>(FNextCustom)] = FColor;
    FNextCustom = (FNextCustom + 1) % kCustomCount;
    FCustomGrid->Invalidate();
  });
  BuildEdits(BuildPreview());
  BuildButtons(bottom);
  SetClientHeight(bottom + 25 + kMargin);
  ShowColor(FColor, TSource::None);
  if (auto it = std::find(FBasic.begin(), FBasic.end(), FColor); it != FBasic.end()) {
    const int i = static_cast<int>(it - FBasic.begin());
    FSyncing = true;
    FBasicGrid->MoveColRow(i % kColumns, i / kColumns, true, false);
    FSyncing = false;
  }
  SetActiveControl(FBasicGrid);
}

TDrawGrid* TColorDialogForm::AddSwatches(const String& name, int top, std::vector<TColor>& colors) {
  auto* grid = new TDrawGrid(this);
  grid->SetName(name);
  grid->SetParent(this);
  grid->SetFixedCols(0);
  grid->SetFixedRows(0);
  grid->SetColCount(kColumns);
  grid->SetRowCount(static_cast<int>(colors.size()) / kColumns);
  grid->SetOptions({});
  grid->SetGridLineWidth(0);
  grid->SetScrollBars(ssNone);
  grid->SetDefaultDrawing(false);
  grid->SetDefaultColWidth(kCellWidth);
  grid->SetDefaultRowHeight(kCellHeight);
  grid->SetColor(clBtnFace);
  grid->SetTabStop(true);
  grid->SetBounds(kMargin, top, kLeftWidth, grid->RowCount() * kCellHeight);
  FSyncing = true;  // no pick while the grid starts at its first cell
  grid->SetLeftCol(0);
  grid->SetTopRow(0);
  grid->MoveColRow(0, 0, true, false);
  FSyncing = false;
  grid->OnDrawCell = [this, grid, &colors](TObject*, int col, int row, const TRect& r, TGridDrawState) {
    DrawSwatch(grid, colors, col, row, r);
  };
  grid->OnSelectCell = [this, &colors](TObject*, int col, int row, bool&) { Pick(colors, col, row); };
  grid->OnEnter = grid->OnExit = [grid](TObject*) { grid->Invalidate(); };
  return grid;
}

int TColorDialogForm::BuildPreview() {
  AddLabel(u"PreviewLabel", u"Colour:", kRightX, kMargin);
  FPreview = new TPanel(this);
  FPreview->SetName(u"Preview");
  FPreview->SetParent(this);
  FPreview->SetCaption(String());
  FPreview->SetBevelOuter(bvLowered);
  FPreview->SetBounds(kRightX, kMargin + 18, kRightWidth, 64);
  return FPreview->Top() + FPreview->Height() + 12;
}

void TColorDialogForm::BuildEdits(int top) {
  static constexpr const char16_t* rgbNames[] = {u"Red", u"Green", u"Blue"};
  static constexpr const char16_t* hslNames[] = {u"Hue", u"Sat", u"Lum"};
  int labelWidth = 0;
  for (const char16_t* n : {u"Red:", u"Green:", u"Blue:", u"Hue:", u"Sat:", u"Lum:"})
    labelWidth = std::max(labelWidth, Canvas()->TextWidth(n));
  const int editWidth = 48, half = kRightWidth / 2;
  for (int i = 0; i < 3; ++i) {
    for (int group = 0; group < 2; ++group) {
      const String name = group == 0 ? rgbNames[i] : hslNames[i];
      const int x = kRightX + group * half;
      TEdit* edit = AddEdit(name + u"Edit", x + labelWidth + 6, top, editWidth);
      AddLabel(name + u"Label", name + u":", x, top + (edit->Height() - Canvas()->TextHeight(u"Ag")) / 2);
      const TSource source = group == 0 ? TSource::Rgb : TSource::Hsl;
      edit->OnChange = [this, source](TObject*) { Typed(source); };
      edit->OnExit = [this](TObject*) { ShowColor(FColor, TSource::None); };
      (group == 0 ? FRgb : FHsl)[static_cast<std::size_t>(i)] = edit;
    }
    top += FRgb[0]->Height() + 6;
  }
}

void TColorDialogForm::BuildButtons(int top) {
  const int right = kRightX + kRightWidth;
  AddButton(u"OKButton", u"OK", Bounds(right - 2 * 80 - 8, top, 80, 25), [this] { SetModalResult(mrOk); });
  AddButton(u"CancelButton", u"Cancel", Bounds(right - 80, top, 80, 25), [this] { SetModalResult(mrCancel); });
}

/// Shows the colour: the preview, the grids' frames, and the edits of the groups the user is not typing in.
void TColorDialogForm::ShowColor(TColor color, TSource source) {
  FColor = color;
  FSyncing = true;
  if (source != TSource::Rgb) {
    const int parts[] = {GetRValue(color), GetGValue(color), GetBValue(color)};
    for (int i = 0; i < 3; ++i) FRgb[static_cast<std::size_t>(i)]->SetText(IntToStr(parts[i]));
  }
  if (source != TSource::Hsl) {
    const THsl hsl = RgbToHsl(color);
    const int parts[] = {hsl.H, hsl.S, hsl.L};
    for (int i = 0; i < 3; ++i) FHsl[static_cast<std::size_t>(i)]->SetText(IntToStr(parts[i]));
  }
  FSyncing = false;
  FPreview->SetColor(color);
  FBasicGrid->Invalidate();
  FCustomGrid->Invalidate();
}

void TColorDialogForm::Pick(const std::vector<TColor>& colors, int col, int row) {
  if (FSyncing) return;
  const std::size_t i = static_cast<std::size_t>(row * kColumns + col);
  if (i < colors.size()) ShowColor(colors[i], TSource::None);
}

/// The three numbers of the group typed in, if they all read: the colour follows them.
void TColorDialogForm::Typed(TSource source) {
  if (FSyncing) return;
  const std::array<TEdit*, 3>& edits = source == TSource::Rgb ? FRgb : FHsl;
  int32_t v[3];
  for (int i = 0; i < 3; ++i)
    if (!TryStrToInt(Trim(edits[static_cast<std::size_t>(i)]->Text()), v[i])) return;
  if (source == TSource::Rgb) {
    auto c = [](int32_t x) { return static_cast<uint8_t>(std::clamp(x, 0, 255)); };
    ShowColor(RGB(c(v[0]), c(v[1]), c(v[2])), source);
  } else {
    ShowColor(HslToRgb({std::clamp(v[0], 0, 359), v[1], v[2]}), source);
  }
}

void TColorDialogForm::DrawSwatch(TDrawGrid* grid, const std::vector<TColor>& colors, int col, int row, const TRect& r) {
  TCanvas* c = grid->Canvas();
  const std::size_t i = static_cast<std::size_t>(row * kColumns + col);
  const TColor color = i < colors.size() ? colors[i] : clBtnFace;
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(r);
  const bool marked = std::find(colors.begin(), colors.end(), FColor) - colors.begin() == static_cast<std::ptrdiff_t>(i);
  c->Pen()->SetColor(marked ? clBlack : clBtnShadow);
  c->Brush()->SetColor(color);
  c->Rectangle(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
  if (marked) {
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    c->Brush()->SetStyle(bsSolid);
  }
  if (grid->Focused() && col == grid->Col() && row == grid->Row()) FocusRect(c, r);
}

}  // namespace

TCommonDialogAnswer RunColorDialogForm(TColorDialog& dialog) {
  TColorDialogForm form(dialog);
  if (form.Run() != mrOk) return TCommonDialogAnswer::Cancel();
  WriteCustomColors(dialog.CustomColors(), form.Custom());
  return TCommonDialogAnswer::Confirm(ColorToString(form.Chosen()), form.Chosen());
}

}  // namespace qelta::platform_detail
