#pragma once
// Qelta_NumIO: numeric input. The number scanners and validators, the numeric edit box TNumIO and
// the self-drawn numeric input control TNumIO2.
//
// What: two ways for a user to type a number. TNumIO is the platform's one-line edit box that
// undoes every change leaving a text that is not a number of its input format inside its range.
// TNumIO2 keeps its own buffer, caret and selection, checks every keystroke against its input format
// while the number is typed, blinks its caret on a window timer and converts between its text and a
// floating-point value in the eight formats of TInFormat.
// How: the scanners and validators are the numerics' (Qelta_math1.h, included here, so this unit
// offers them under their own names: ScanDecimal, ScanHex, ScanFPNum, ScanOctal, ScanBin,
// IsValidDouble, IsValidFPNum, IsValidHex, IsValidOct, IsValidBin, IsValidDecInt). TNumIO checks
// the text in its Change; TNumIO2 edits its buffer from the key notifications (CN_KEYDOWN) and
// hands every key on to the host's OnKeyDown, OnKeyPress and OnKeyUp afterwards.
// Limits: hexadecimal, octal and binary numbers are read as signed 32-bit values (FFFFFFFF is -1);
// the decimal separator is '.' or ',' (a third system separator counts as '.' in TNumIO, whose
// conversion maps dsSystem by ',', and as ',' in TNumIO2, whose validators map it by '.'). TNumIO2
// paints a fresh off-screen bitmap on every change (nothing is cached between paints); its mouse
// places the caret by the mean character width, so a click in a text of uneven widths may land a
// character off. Use a plain TEdit for text that is not a number.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

#include "Controls.h"
#include "Edits.h"
#include "Graphics.h"
#include "Qelta_math1.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::ctl_detail {
class TControlTimer;  // the private timer window (Qelta_ctltimer.h, internal)
}  // namespace qelta::ctl_detail

namespace qelta {

/// Error class of TNumIO2, raised with one ready-made message.
QELTA_DECLARE_EXCEPTION(EQeltaNumIO2Error, EQeltaError)

// --- types -------------------------------------------------------------------------------------

/// Input format: floating point with or without exponent, a fixed number of decimals, a decimal,
/// hexadecimal, octal or binary integer, or chosen by the first character ('$' hexadecimal, '%'
/// binary, '&' octal, anything else itExp).
enum TInFormat : uint8_t { itExp, itFloat, itFixPoint, itInt, itHex, itOct, itBin, itDynamic };

/// The gauge was dragged to a value.
using TOnGaugeChangeEvent = std::function<void(TObject* Sender, TShiftState Shift, double GaugeValue)>;

// --- TNumIO ------------------------------------------------------------------------------------

/// One-line edit box that holds only a number of its input format inside [RangeLow, RangeHigh]
/// (0 is always accepted). Every change of the text, typed or set through Text, is checked at once;
/// a refused one puts back the last accepted text (moving the caret one place left) and beeps when
/// Beep is set. Changing the format, range or separator forgets the last accepted text, so the next
/// refused change empties the box. At run time the range starts as [0, 0]; while the component is
/// designed it is [-uc_MaxDouble, +uc_MaxDouble] and nothing is checked.
class TNumIO : public TCustomEdit {
 public:
  explicit TNumIO(TComponent* AOwner);
  ~TNumIO() override;

  // -- the main job
  /// Converts text by the input format: leading blanks dropped, lower case; false for an empty text,
  /// a blank inside the number or a text that is not wholly a number of the format (a decimal integer
  /// or the digits of a hexadecimal, octal or binary one outside 32 bits included). A text of blanks,
  /// a lone prefix '$', '%' or '&' and an exponent still being typed ("1.5e", "1.5e-") are accepted.
  bool ConvertNumString(const String& text, double& value) const;
  /// Writes x in the input format without checking it and takes the text as the last accepted one:
  /// exponent form (12 characters) for itExp and itDynamic, 8 decimals for itFloat, FixPointDecPlaces
  /// for itFixPoint, none for itInt, the separator of DecPlaceSep; hexadecimal with 8 digits, octal and
  /// binary with at least 8 (as many as the 32-bit value needs). NaN and infinities write the text of 0.
  void SetLabValue(double x);
  /// The value of the text (its first ',' read as '.'); 0 when it is not a number of the format.
  double GetLabValue() const;
  /// Sets the text without checking it (and without OnChange).
  void SetEditText(const String& text);

  // -- component
  /// From another TNumIO: InputFormat, Beep, the range and DecPlaceSep (not FixPointDecPlaces), then
  /// the text is checked as after a setter; other sources as the platform.
  void Assign(TPersistent* Source) override;

  // -- properties; the setters of format, range and separator forget the last accepted text and
  // check the current one
  TInFormat InputFormat() const { return FInFormat; }
  void SetInputFormat(TInFormat value);
  /// Decimals of itFixPoint, clamped to 1..8; nothing else happens.
  int FixPointDecPlaces() const { return FFixPDecPl; }
  void SetFixPointDecPlaces(int value);
  double RangeLow() const { return FMinimum; }
  /// A value at or above RangeHigh becomes the high end and the old high end the low one.
  void SetRangeLow(double value);
  double RangeHigh() const { return FMaximum; }
  /// A value at or below RangeLow becomes the low end and the old low end the high one.
  void SetRangeHigh(double value);
  bool Beep() const { return FBeep; }
  void SetBeep(bool value) { FBeep = value; }
  /// Separator accepted and written: '.', ',', either ('.' written), or the system's (',' when
  /// FormatSettings says ',', else '.').
  TDecPSep DecPlaceSep() const { return FDecPSep; }
  void SetDecPlaceSep(TDecPSep value);

 protected:
  /// The change check: accepts the text (OnChange fires after an itFixPoint text was rewritten with
  /// its decimals) or puts back the last accepted one.
  void Change() override;
  void AssignTo(TPersistent* Dest) override;

 private:
  void CheckText();
  /// Where the caret goes in an itFixPoint text that lost its separator or has a second one.
  int FixPointCaret(const String& text, int caret) const;
  String LabText(double x) const;

  TInFormat FInFormat = itDynamic;
  int FFixPDecPl = 2;
  String FOldText;
  bool FInternalChg = false;
  bool FBeep = false;
  double FMinimum = 0;
  double FMaximum = 0;
  TDecPSep FDecPSep = dsSystem;
};

// --- TNumIO2 -----------------------------------------------------------------------------------

/// Numeric input control drawn by itself: a left text, a framed box with the number, its caret and
/// selection, optional spin buttons, a right text and an optional gauge below. The number is typed
/// into a buffer of its own; every key is checked at once against the input format (an empty buffer,
/// "-", "+" and in itDynamic a lone '$', '%' or '&' pass while typing) and a refused edit is undone with a beep when Beep is set. In
/// itFixPoint typing into the decimals overwrites them. The caret blinks every 500 ms while the
/// control has the focus (a timer of a private window); painting is suppressed until the control
/// has its window. Setters store (clamped where they say so) and repaint at once through Paint.
/// A number wider than the box shows right-justified, only its whole trailing characters, with a
/// "…" before them when the characters left out are more than leading zeros.
class TNumIO2 : public TCustomControl {
 public:
  explicit TNumIO2(TComponent* AOwner);
  ~TNumIO2() override;

  // -- value and text
  /// Writes x in the input format (caret kept inside the text, selection and OnChange untouched) and
  /// repaints: itExp with SignificantDigits digits and a two-digit exponent (four digits where two do
  /// not hold it); itFloat and itFixPoint with FixPointDecPlaces decimals and the separator of
  /// DecPlaceSep; itInt and itDynamic the rounded integer; itHex, itOct, itBin the rounded value
  /// (clamped to 32 bits) with 8, 11 or 32 digits. NaN and infinities write the text of 0.
  void SetNioValue(double x);
  /// The value of the buffer: floating-point formats read either separator and an exponent and stop
  /// at the first other character; itInt gives 0 for a text that is not an integer and saturates at
  /// the 32-bit ends; hexadecimal, octal and binary digits (after '$', '%', '&' in itDynamic) are read
  /// as a signed 32-bit value.
  double GetNioValue() const;
  /// GetNioValue rounded (halves to even); outside the 32-bit range raises EQeltaNumIO2Error
  /// 'Component "Name": integer overflow'.
  int GetNioIntValue() const;
  /// True when the value lies below RangeLow or above RangeHigh.
  bool OutOfRange() const;
  /// True when text is a number of the input format as it may stand while typed (itFixPoint: exactly
  /// FixPointDecPlaces characters after the separator; itExp: the whole text is read).
  bool CheckValidity(const String& text) const;
  /// x of the gap before character pos + 1 of the number in the box, by the box alignment (right-
  /// justified while the number is wider than the box).
  int CharPosToXCoords(int pos) const;
  /// The character position (0..length, or a little beyond for a click right of the text) nearest to
  /// x by the mean character width of the text (at least 1 pixel); 0 for an empty text.
  int XCoordsToCharPos(int x) const;
  double Value() const { return GetNioValue(); }
  void SetValue(double value) { SetNioValue(value); }
  /// The number as shown in the box.
  const String& Text() const { return FInBuffer; }
  /// Ignored for a non-empty text that CheckValidity refuses; otherwise caret and selection go to 0
  /// and the control repaints; OnChange does not fire.
  void SetText(const String& value);

  // -- caret and selection (positions 0..length; the itFixPoint overwrite selection may end at
  // length + 1)
  int CaretPos() const { return FCaretPos; }
  /// The caret's blink phase.
  bool CaretVisible() const { return FCaretVisib; }
  int SelBegin() const { return FSelBegin; }
  /// Clamped to the text; the caret goes there, the end follows when it stood before.
  void SetSelBegin(int value);
  int SelEnd() const { return FSelEnd; }
  /// Clamped to the text; the caret goes there, the beginning follows when it stood after.
  void SetSelEnd(int value);

  // -- component
  /// Gives the control the focus and restarts the caret (unless read-only).
  void SetFocus() override;
  /// Stores the enabled state and repaints.
  void SetEnabled(bool value) override;
  /// The height is at least 18; a lower height lowers ButHeight with it.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  /// From another TNumIO2: layout widths, decimals and digits, texts, frame style, alignments, the box,
  /// outside and line colours with the scheme, format, buffer with caret, caret phase and selection,
  /// warning colours, separator, HideSelection, range, Beep, ReadOnly and AutoSize, then repaints;
  /// buttons, gauge, pivots and events stay. Other sources as the platform.
  void Assign(TPersistent* Source) override;
  void WndProc(TMessage& Message) override;

  // -- properties: text box and texts (setters store and repaint)
  /// Width of the left-text area: negative values are ignored, at most Width.
  int LeftSpace() const { return FLeftSpace; }
  void SetLeftSpace(int value);
  int TextBoxWidth() const { return FTextBoxWidth; }
  void SetTextBoxWidth(int value);
  const String& LeftText() const { return FLeftText; }
  void SetLeftText(const String& value);
  const String& RightText() const { return FRightText; }
  void SetRightText(const String& value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  /// Alignment of the number in the box.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TAlignment LeftTextAlignment() const { return FLTAlignment; }
  void SetLeftTextAlignment(TAlignment value);
  TAlignment RightTextAlignment() const { return FRTAlignment; }
  void SetRightTextAlignment(TAlignment value);
  bool HideSelection() const { return FHideSel; }
  void SetHideSelection(bool value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);

  // -- properties: number
  TInFormat InputFormat() const { return FInputFormat; }
  /// Reads the value, stores the format and writes the value again in it.
  void SetInputFormat(TInFormat value);
  /// Decimals of itFloat and itFixPoint: ignored when equal or below 1, at most 15; rewrites the value.
  int FixPointDecPlaces() const { return FDecP; }
  void SetFixPointDecPlaces(int value);
  /// Significant digits of itExp: ignored when equal or below 1, at most 15; rewrites the value.
  int SignificantDigits() const { return FSigDig; }
  void SetSignificantDigits(int value);
  /// Separator accepted while typing and written; switching from dsBoth (or between two characters)
  /// replaces the separators in the buffer, switching to dsBoth changes no text.
  TDecPSep DecPlaceSep() const { return FDecPSep; }
  void SetDecPlaceSep(TDecPSep value);
  double RangeLow() const { return FMinimum; }
  /// The high end follows when it is now below; the value stays.
  void SetRangeLow(double value);
  double RangeHigh() const { return FMaximum; }
  /// The low end follows when it is now above; the value stays.
  void SetRangeHigh(double value);
  bool Beep() const { return FBeep; }
  void SetBeep(bool value) { FBeep = value; }
  /// Read-only keeps only Ctrl+C and stops the caret; leaving it restarts the caret.
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value);

  // -- properties: spin buttons
  int ButWidth() const { return FButWidth; }
  /// Clamped to 8..50.
  void SetButWidth(int value);
  int ButSpace() const { return FButSpace; }
  /// Clamped to 0..50.
  void SetButSpace(int value);
  double ButIncrem() const { return FButIncrem; }
  void SetButIncrem(double value);
  bool ButVisible() const { return FButVisible; }
  void SetButVisible(bool value);
  bool But3D() const { return FBut3D; }
  void SetBut3D(bool value);
  int ButHeight() const { return FButHeight; }
  /// Clamped to 18..Height.
  void SetButHeight(int value);
  TColor ButColor() const { return FButColor; }
  void SetButColor(TColor value);

  // -- properties: gauge
  bool GaugeVisible() const { return FGaugeVisib; }
  void SetGaugeVisible(bool value);
  int GaugeHeight() const { return FGaugeHeight; }
  /// At most Height - GaugeTopMargin - 18, then at least 3.
  void SetGaugeHeight(int value);
  int GaugeWidth() const { return FGaugeWidth; }
  /// At least 10, then at most Width - GaugeLeftMargin.
  void SetGaugeWidth(int value);
  int GaugeLeftMargin() const { return FGaugeLeftMarg; }
  /// Clamped to 0..Width - GaugeWidth.
  void SetGaugeLeftMargin(int value);
  int GaugeTopMargin() const { return FGaugeTopMarg; }
  /// Clamped to 0..Height - GaugeHeight - 18.
  void SetGaugeTopMargin(int value);
  TColor GaugeColor() const { return FGaugeColor; }
  void SetGaugeColor(TColor value);
  TColor GaugeColorBg() const { return FGaugeColorBg; }
  void SetGaugeColorBg(TColor value);
  TColor GaugeColorFrame() const { return FGaugeColorFrm; }
  void SetGaugeColorFrame(TColor value);
  TFrameStyle GaugeFrameStyle() const { return FGaugeFrameSt; }
  void SetGaugeFrameStyle(TFrameStyle value);

  // -- properties: colours (setters repaint only when the colour changes, the warning colours always)
  TColor ColorBoxBG() const { return FColorBoxBG; }
  void SetColorBoxBG(TColor value);
  TColor ColorBoxText() const { return FColorBoxText; }
  void SetColorBoxText(TColor value);
  TColor ColorOutBG() const { return FColorOutBG; }
  void SetColorOutBG(TColor value);
  TColor ColorOutText() const { return FColorOutText; }
  void SetColorOutText(TColor value);
  /// Box background while the value is out of range; stored and drawn as given.
  TColor ColorWarnBG() const { return FColorWarnBG; }
  void SetColorWarnBG(TColor value);
  TColor ColorWarnText() const { return FColorWarnTxt; }
  void SetColorWarnText(TColor value);
  /// csSystem takes the bevel lines from the system's button shadow and highlight, csBWG uses
  /// $808080 and $FFFFFF; the black line stays.
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme value);
  /// The bevel line colours.
  TColor ColBlackLine() const { return FColBlackLine; }
  TColor ColGrayLine() const { return FColGrayLine; }
  TColor ColWhiteLine() const { return FColWhiteLine; }

  // -- events
  /// The user changed the number (a key, the buttons, the gauge).
  TNotifyEvent OnChange;
  /// The gauge is dragged.
  TOnGaugeChangeEvent OnGaugeChange;
  /// Values the spin buttons and the gauge snap to, ascending; the host fills it.
  TDoubleArray ButtonPivots;

 protected:
  /// Draws the whole control into a fresh W x H bitmap and copies it in one step; does nothing while
  /// painting is suppressed or the control is neither visible nor designed. With AutoSize the height
  /// first becomes the text height of "E0" + 6 (below the minimum of 18 too).
  void Paint() override;
  /// Caret and selection by the mouse in the box; a click on the spin buttons steps the value by
  /// ButIncrem or to the next pivot and fires OnChange; a click on the gauge sets the value (OnChange
  /// at mouse up).
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// With the left button: the selection follows the mouse in the box; on the gauge (one pixel
  /// beyond each end accepted) the value follows and OnGaugeChange fires.
  void MouseMove(TShiftState Shift, int X, int Y) override;
  /// Fires OnChange once after the gauge set the value.
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// Fires OnChange.
  virtual void Changed();
  /// Focuses the control, restarts the caret (unless read-only), then the platform's click.
  void Click() override;
  /// The window exists: painting starts.
  void CreateWnd() override;
  void AssignTo(TPersistent* Dest) override;
  /// Restarts timer 1 (500 ms) with the caret shown and repaints; raises EQeltaNumIO2Error
  /// 'Component "Name": no timer available' when no timer can be had.
  void UpdateTimer();

 private:
  // -- keys (Qelta_NumIO2_keys.cpp)
  void CNKeyDown(TMessage& Message);
  void CNKeyUp(TMessage& Message);
  bool CtrlKey(Word key);
  bool PlainKey(Word key);
  bool InsertText(const String& text);
  bool DeleteSelection(bool zeroText);
  bool DeleteBack();
  bool DeleteForward();
  void CopySelection() const;
  /// The selection clamped into the buffer (the itFixPoint selection may end past it).
  std::pair<int, int> SelectionInText() const;
  void BeepIfAsked() const;
  void SetFixPointSelection();
  // -- drawing and mouse (Qelta_NumIO2_paint.cpp)
  /// Geometry of one paint: size, gauge zone g, text top ty, box bottom s, button zone bw, x0, bh and
  /// the gauge's top and bottom.
  struct TLayout {
    int W = 0, H = 0, g = 0, ty = 0, s = 0, bw = 0, x0 = 0, bh = 0, gy1 = 0, gy2 = 0;
  };
  TLayout Layout(int textHeight, int s) const;
  int TextWidthOf(const String& text) const;
  bool NumberFits(int w) const;
  TAlignment NumberAlignment(int w) const;
  int TextOffset(int w, int w2) const;
  void PaintOn(TCanvas* c, int s);
  void DrawOutText(TCanvas* c, const TLayout& l, bool right) const;
  void DrawButtons(TCanvas* c, const TLayout& l) const;
  void DrawGauge(TCanvas* c, const TLayout& l) const;
  void DrawBox(TCanvas* c, const TLayout& l) const;
  void DrawNumber(TCanvas* c, const TLayout& l) const;
  void DrawNumberText(TCanvas* c, const TLayout& l, int w) const;
  void DrawBevel(TCanvas* c, TFrameStyle style, std::initializer_list<TPoint> topLeft,
                 std::initializer_list<TPoint> bottomRight) const;
  double GaugeValue(int x) const;
  double SetFromGauge(int x);
  void StepButton(bool up);
  // -- value, caret, settings (Qelta_NumIO2.cpp)
  /// The separator written for a mode: the one the validators accept ('.' or ',').
  static Char SeparatorChar(TDecPSep sep);
  String ValueText(double x) const;
  void WriteValue(double x);
  void RewriteValue();
  bool DynamicValid(const String& text) const;
  /// CheckValidity, letting pass what may stand while a number is begun ("", "-", "+", a prefix).
  bool PassesOnlineCheck(const String& text) const;
  void CaretTimerEvent();
  String ComponentMessage(const String& text) const;
  template <class T>
  void StoreAndPaint(T& field, T value);
  void StoreColor(TColor& field, TColor value, bool always = false);

  int FLeftSpace = 35;
  bool FSuppressPaint = true;
  int FTextBoxWidth = 80;
  bool FValueChanged = false;  // a gauge drag changed the value; OnChange follows at mouse up
  int FDecP = 2;
  int FSigDig = 6;
  bool FEnabled = true;
  int FButWidth = 18;
  int FButSpace = 3;
  double FButIncrem = 1.0;
  bool FButVisible = false;
  bool FBut3D = true;
  int FButHeight = 28;
  TColor FButColor = 0xC0C0C0;
  std::unique_ptr<ctl_detail::TControlTimer> FCaretTimer;
  String FInBuffer;
  int FCaretPos = 0;
  bool FCaretVisib = true;
  bool FGaugeVisib = false;
  int FGaugeHeight = 8;
  int FGaugeWidth = 82;
  int FGaugeLeftMarg = 35;
  int FGaugeTopMarg = 3;
  TColor FGaugeColor = 0x800000;
  TColor FGaugeColorBg = 0xC0C0C0;
  TColor FGaugeColorFrm = 0x808080;
  TFrameStyle FGaugeFrameSt = fsLowered;
  String FLeftText;
  String FRightText;
  TFrameStyle FFrameStyle = fsLowered;
  TAlignment FAlignment = taCenter;
  TAlignment FLTAlignment = taRightJustify;
  TAlignment FRTAlignment = taLeftJustify;
  int FMouseAreaCode = 0;  // 0 left text, 1 text box, 2 right of the box
  TColor FColorBoxBG = 0xFFFFFF;
  TColor FColorBoxText = 0;
  TColor FColorOutBG = clBtnFace;
  TColor FColorOutText = 0;
  TColor FColBlackLine = 0;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = 0xFFFFFF;
  TColor FColorWarnBG = 0x6088FFF0;
  TColor FColorWarnTxt = 0x0000FF;
  TColorScheme FColorScheme = csBWG;
  int FSelBegin = 0;
  int FSelEnd = 0;
  TDecPSep FDecPSep = dsBoth;
  TInFormat FInputFormat = itFloat;
  bool FKeyShifted = false;
  bool FKeyCntrl = false;
  bool FHideSel = true;
  double FMaximum = 1000;
  double FMinimum = 0;
  bool FOnlineCheck = true;
  bool FBeep = false;
  bool FReadOnly = false;
  bool FAutoSize = false;
  bool FInPaint = false;  // AutoSize changes the height inside Paint
};

}  // namespace qelta

QELTA_PUBLIC_END
