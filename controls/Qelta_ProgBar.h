#pragma once
// Qelta_ProgBar: the progress bar TProgBar with a 1024-step colour ramp.
//
// What: a value between Min and Max shown as a bar inside margins, in ramp entry 0 or coloured from
// the ramp (cgmCover: the ramp spans the inner area and the bar uncovers it; cgmStretch: it spans the
// bar; cgmMove: its last entry sits at the bar's tip), over a plain or picture background, with grid
// lines, an outer and an inner 3D frame and the value as text at any angle.
// How: Paint draws into an off-screen bitmap: margin and background, the bar line by line from its
// base (the bottom for dirUpward, the top for dirDownward, the left for dirRightward, the right for
// dirLeftward), grid lines from the base every GridDist pixels, the two frames, then the text placed
// as the rotated label places its caption (RotatedTextOffset).
// Limits: the bar's share (Value - Min) / (Max - Min) is clamped to 0..1; Max = Min or a NaN value
// draws no bar. Ramp entries are interpolated with truncation (InterpolateColor). The value text is
// drawn in the control's font (black by default) straight over the bar, without a backing: on the
// default bar (ramp entry 0, dark blue) it hardly reads, so a host gives the font a colour that stands
// out where the text lies.

#include <array>
#include <functional>
#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

enum TColorMapping : uint8_t { cgmCover, cgmStretch, cgmMove };

/// The value text before it is drawn; the handler may change it.
using TBeforeShowValueEvent = std::function<void(TObject* Sender, String& ValueText)>;

class TProgBar : public TGraphicControl {
 public:
  static constexpr int RampSize = 1024;

  explicit TProgBar(TComponent* AOwner);
  ~TProgBar() override;

  /// From another TProgBar: frames, value and range, colours, ramp, grid, margins, background name,
  /// text settings and OnShowValue (each control keeps its own background picture); then repaints.
  void Assign(TPersistent* Source) override;
  /// The smaller of the two becomes Min, the larger Max; repaints.
  void SetRange(double AMin, double AMax);
  /// Share of the inner area the bar covers: (Value - Min) / (Max - Min) clamped to 0..1; NaN when
  /// Max = Min or a value is NaN (then no bar is drawn).
  double BarFraction() const;

  // -- properties (setters store a changed value and repaint)
  double Value() const { return FProgValue; }
  void SetValue(double value);
  double Min() const { return FProgMin; }
  void SetMin(double value);
  double Max() const { return FProgMax; }
  void SetMax(double value);
  TDirection Direction() const { return FDirection; }
  void SetDirection(TDirection value);
  /// Ramp entry 0 / 1023; setting one interpolates the entries between them again.
  TColor ColorMin() const { return FBarColorArray[0]; }
  void SetColorMin(TColor value);
  TColor ColorMax() const { return FBarColorArray[RampSize - 1]; }
  void SetColorMax(TColor value);
  /// One ramp entry 0..1023 (outside: reads clBlack, writes nothing); no repaint.
  TColor GetBarColorElem(int index) const;
  void SetBarColorElem(int index, TColor value);
  TColorMapping ColorMapMode() const { return FColorMapMode; }
  void SetColorMapMode(TColorMapping value);
  bool ShowColorGradient() const { return FColorGrad; }
  void SetShowColorGradient(bool value);
  TColor ColorMargin() const { return FColorMargin; }
  void SetColorMargin(TColor value);
  TColor ColorBackGnd() const { return FColorBakG; }
  void SetColorBackGnd(TColor value);
  TColor ColorGrid() const { return FColorGrid; }
  void SetColorGrid(TColor value);
  /// Pixels between grid lines; 0 or 1 draws none.
  int GridDist() const { return FGridDist; }
  void SetGridDist(int value);
  int MarginLeft() const { return FMarginLeft; }
  void SetMarginLeft(int value);
  int MarginRight() const { return FMarginRight; }
  void SetMarginRight(int value);
  int MarginTop() const { return FMarginTop; }
  void SetMarginTop(int value);
  int MarginBottom() const { return FMarginBottom; }
  void SetMarginBottom(int value);
  TFrameStyle FrameStyleOuter() const { return FOuterFrameSt; }
  void SetFrameStyleOuter(TFrameStyle value);
  TFrameStyle FrameStyleInner() const { return FInnerFrameSt; }
  void SetFrameStyleInner(TFrameStyle value);
  /// csBWG: grey $808080 and white lines; csSystem: button shadow and highlight. Repaints always.
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme value);
  /// Picture stretched over the inner area: a file name loaded at once; a load failure keeps the old
  /// name and raises nothing; an empty name clears it. Repaints always.
  const String& BackGroundImg() const { return FBakGndFile; }
  void SetBackGroundImg(const String& value);
  /// The value text is drawn (stores and repaints always).
  bool TextVisible() const { return FShowValue; }
  void SetTextVisible(bool value);
  /// Reference point of the text, clamped to 0..Width and 0..Height.
  int TextPosX() const { return FTextPosX; }
  void SetTextPosX(int value);
  int TextPosY() const { return FTextPosY; }
  void SetTextPosY(int value);
  /// Decimals of the text, -2..10: -1 the exponent form cut to two digits, -2 the full exponent form.
  int TextDecPlaces() const { return FTextDecPlaces; }
  void SetTextDecPlaces(int value);
  /// Angle of the text in degrees counter-clockwise, 0..360.
  int TextAngle() const { return FTextAngle; }
  void SetTextAngle(int value);
  /// Which point of the text lies on (TextPosX, TextPosY): its left end, right end or centre.
  TAlignment TextAlignment() const { return FAlignment; }
  void SetTextAlignment(TAlignment value);

  // -- events
  TBeforeShowValueEvent OnShowValue;

 protected:
  void Paint() override;
  void AssignTo(TPersistent* Dest) override;

 private:
  void Recolor();
  template <class T>
  void StoreAndRepaint(T& field, T value);
  void PaintBar(TCanvas* c, const TRect& inner) const;
  void PaintFrame(TCanvas* c, TFrameStyle style, int l, int t, int r, int b) const;
  void PaintText(TCanvas* c) const;
  String ValueText() const;

  double FProgValue = 10;
  double FProgMin = 0;
  double FProgMax = 100;
  TDirection FDirection = dirRightward;
  std::array<TColor, RampSize> FBarColorArray{};
  TColorMapping FColorMapMode = cgmStretch;
  bool FColorGrad = false;
  TColor FColorMargin = 0xC0C0C0;
  TColor FColorBakG = 0xC0C0C0;
  TColor FColorGrid = 0x000000;
  int FGridDist = 0;
  int FMarginLeft = 4;
  int FMarginRight = 4;
  int FMarginTop = 4;
  int FMarginBottom = 4;
  TFrameStyle FOuterFrameSt = fsRaised;
  TFrameStyle FInnerFrameSt = fsLowered;
  TColorScheme FColorScheme = csBWG;
  TColor FColBlackLine = 0x000000;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = 0xFFFFFF;
  String FBakGndFile;
  std::unique_ptr<TBitmap> AuxBmp;
  bool FShowValue = true;
  int FTextPosX = 14;
  int FTextPosY = 14;
  int FTextDecPlaces = 0;
  int FTextAngle = 0;
  TAlignment FAlignment = taCenter;
};

}  // namespace qelta

QELTA_PUBLIC_END
