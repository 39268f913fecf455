#pragma once
// Qelta_NumLab: the numeric label TNumLab.
//
// What: one number shown in a framed label box, with a left text before it and a right text after
// it, in the layout of the numeric input control TNumIO2 but without editing. The number is written
// by one of fifteen display types; the host may rewrite the text just before it is drawn
// (OnBeforeDisplay); a text wider than the box is replaced by the overflow indicator.
// How: Paint draws the whole label into an off-screen bitmap and copies it in one step; a
// transparent label fills its box on the parent's pixels and lays the bitmap over them with an AND
// (the white surroundings let the parent show through, black text stays black). Float, fixed and
// exponent texts come from the platform's Format ("%*.*g", "%*.*f", "%*.*e" with width 0).
// Limits: integers are taken as 64-bit (dtInt, dtZeroInt) or 32-bit (dtHex, dtOct, dtBin, negatives
// in two's complement); a value outside that range, NaN or an infinity shows the overflow indicator,
// never a clamped number. Transparency is an AND of colours, so it suits black or dark text on light
// parents. Use TNumIO2 when the user types the number.

#include <cstdint>
#include <functional>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// How the value is written: general, fixed-point, exponent, hexadecimal, integer with leading
/// zeros, integer, date/time, the state text, binary, octal, degrees (with minutes, with seconds),
/// engineering notation with an SI prefix (with the prefix in place of the point).
enum TDisplay : uint8_t {
  dtFloat, dtFixP, dtExp, dtHex, dtZeroInt, dtInt, dtDateTime, dtState, dtBin, dtOct, dtDeg, dtDegMin,
  dtDegMinSec, dtEEng, dtEEngNoDP
};

/// The text about to be shown; the handler may change it.
using TBeforeDisplayEvent = std::function<void(TObject* Sender, String& Text)>;

/// Numeric label: left text, framed box with the number, right text. Setters store a changed value
/// and repaint at once (a transparent label asks its parent to repaint the area instead, so that
/// the old picture does not stay under the new one).
class TNumLab : public TGraphicControl {
 public:
  explicit TNumLab(TComponent* AOwner);
  ~TNumLab() override;

  // -- component
  /// From another TNumLab: LeftSpace, Empty, LabelWidth, Precision, the texts, FrameStyle, the three
  /// alignments, OverflowIndicator, Value, StateText, Transparent, the seven colours, ColorScheme and
  /// DisplayType (not Comma, ForcePlusSign, DTFormat, Enabled), then repaints. Other sources as the
  /// platform.
  void Assign(TPersistent* Source) override;
  /// Stores the enabled state and repaints.
  void SetEnabled(bool value) override;

  // -- properties (setters store a changed value and repaint)
  /// Width of the left-text area: negative values are ignored, at most Width.
  int LeftSpace() const { return FLeftSpace; }
  void SetLeftSpace(int value);
  /// The box is drawn without a number (OnBeforeDisplay does not fire).
  bool Empty() const { return FEmpty; }
  void SetEmpty(bool value);
  int LabelWidth() const { return FLabWidth; }
  void SetLabelWidth(int value);
  /// Decimals (dtFixP), significant digits (dtFloat, dtExp, dtEEng...), minimum digits (dtZeroInt,
  /// dtHex, dtOct, dtBin) or decimals of the last part (degrees): 0..15, negative values ignored.
  int Precision() const { return FDecP; }
  void SetPrecision(int value);
  /// Decimal comma instead of point.
  bool Comma() const { return FComma; }
  void SetComma(bool value);
  /// A '+' before positive values.
  bool ForcePlusSign() const { return FPlusSign; }
  void SetForcePlusSign(bool value);
  bool Transparent() const { return FTransParent; }
  void SetTransparent(bool value);
  const String& LeftText() const { return FLeftText; }
  void SetLeftText(const String& value);
  const String& RightText() const { return FRightText; }
  void SetRightText(const String& value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  /// Text of dtState.
  const String& StateText() const { return FStateText; }
  void SetStateText(const String& value);
  /// Alignment of the number in the box.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TAlignment LeftTextAlignment() const { return FLTAlignment; }
  void SetLeftTextAlignment(TAlignment value);
  TAlignment RightTextAlignment() const { return FRTAlignment; }
  void SetRightTextAlignment(TAlignment value);
  /// Shown in place of a number too wide for the box.
  const String& OverflowIndicator() const { return FOverFlowIndi; }
  void SetOverflowIndicator(const String& value);
  double Value() const { return FLabValue; }
  /// Repaints only when the value differs.
  void SetValue(double value);
  TColor ColorLabBakG() const { return FColorLabBakG; }
  void SetColorLabBakG(TColor value);
  TColor ColorLabText() const { return FColorLabText; }
  void SetColorLabText(TColor value);
  TColor ColorOutBakG() const { return FColorOutBakG; }
  void SetColorOutBakG(TColor value);
  TColor ColorOutText() const { return FColorOutText; }
  void SetColorOutText(TColor value);
  /// csSystem takes the bevel lines from the system's button shadow and highlight, csBWG uses
  /// $808080 and $FFFFFF; the black line stays.
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme value);
  TDisplay DisplayType() const { return FDisplayType; }
  void SetDisplayType(TDisplay value);
  /// Date/time format of dtDateTime (FormatDateTime).
  const String& DTFormat() const { return FDtFormat; }
  void SetDTFormat(const String& value);

  // -- events
  /// Fires on every paint of a number with the text about to be shown (after Comma and
  /// ForcePlusSign; the overflow indicator where the value cannot be written: an integer type out of
  /// range, NaN, infinities, a date beyond the calendar).
  TBeforeDisplayEvent OnBeforeDisplay;

 protected:
  /// Draws the label; nothing when it is neither visible nor designed.
  void Paint() override;
  /// Notes the area under the mouse (0 left text, 1 box, 2 right of it).
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void AssignTo(TPersistent* Dest) override;

 private:
  /// The text without Comma and ForcePlusSign; false where the value cannot be written.
  bool RawText(String& text) const;
  /// The text by the display type with Comma and ForcePlusSign, or the overflow indicator.
  String DisplayText() const;
  void Redraw();
  template <class T>
  void StoreAndRepaint(T& field, const T& value);
  void DrawNumber(TCanvas* c, int ty) const;
  void CopyToCanvas(TBitmap* bmp);

  int FLeftSpace = 35;
  bool FEmpty = false;
  int FLabWidth = 80;
  int FDecP = 2;
  bool FComma = false;
  bool FPlusSign = false;
  bool FTransParent = false;
  String FLeftText;
  String FRightText;
  TFrameStyle FFrameStyle = fsLowered;
  String FStateText = u"undefined";
  TAlignment FAlignment = taCenter;
  TAlignment FLTAlignment = taRightJustify;
  TAlignment FRTAlignment = taLeftJustify;
  int FMouseAreaCode = 0;  // 0 left text, 1 label box, 2 right of it
  String FOverFlowIndi = u"*********";
  double FLabValue = 0;
  bool FEnabled = true;
  TColor FColorLabBakG = clBtnFace;
  TColor FColorLabText = 0;
  TColor FColorOutBakG = clBtnFace;
  TColor FColorOutText = 0;
  TColor FColBlackLine = 0;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = 0xFFFFFF;
  TColorScheme FColorScheme = csBWG;
  TDisplay FDisplayType = dtFixP;
  String FDtFormat = u"mmm-dd, yyyy";
};

}  // namespace qelta

QELTA_PUBLIC_END
