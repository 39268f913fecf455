#pragma once
// Qelta_onoffbut: the on/off button TOnOffBut, a two-state control drawn from a picture sheet.
//
// What: check boxes, radio buttons, slide switches, LEDs, lamps, arrows, a pedestrian light, smileys,
// a bulb and free designs, each with up to four captions round the picture. Buttons of one parent
// with the same GroupIndex form a radio group (AllowAllOff false: one of them stays on). In
// oobmSpeedBut mode the button is on only while pressed. It can paint itself transparently over its
// parent.
// How: each style's sheet is a resource of qeltactl (2 x 2 pictures: on left, off right, enabled
// top, disabled bottom; $EBBEEB is transparent). Paint draws the captions and the picture into an
// off-screen bitmap and a mask (black where the button covers its parent); transparent, the mask is
// ANDed onto the parent's surface and the bitmap ORed over it, else the bitmap is copied. A button
// going on tells the other on/off buttons of its parent (CM_BUTTONPRESSED with the group and itself);
// only on/off buttons act on that message from each other, so speed buttons sharing a group number
// form groups of their own. Clicks count where MouseAction says (on the picture only, strictly
// inside, by default); OnClick comes from the left release that passes the same tests.
// Limits: captions are drawn in the font's own Quality (use fqNonAntialiased for clean transparent
// captions: antialiased edges are ANDed and ORed as they are); the colour scheme does not change the
// look. Use the platform's TSpeedButton for a push button with a caption on its face.

#include <array>
#include <cstdint>
#include <memory>

#include "Classes.h"
#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- types -------------------------------------------------------------------------------------

/// oobmNormalBut: a click toggles; oobmSpeedBut: on only while pressed.
enum TOOButMode : uint8_t { oobmNormalBut, oobmSpeedBut };
/// Where a click counts: nowhere, on the picture only, anywhere on the control.
enum TOOButMouseAction : uint8_t { oomaNone, oomaFocused, oomaPlain };
/// The picture sheets; oobsUser shows the user pictures (SetUserGlyph).
enum TOnOffButStyle : uint8_t {
  oobsUser,
  oobsCheckbox,
  oobsRadioBut,
  oobsSlideTB,
  oobsSlideLR,
  oobsColSlideTB,
  oobsColSlideLR,
  oobsLedRedGreen,
  oobsArrowTopRgt,
  oobsArrowUpDown,
  oobsArrowLeftRight,
  oobsTrafficLPed,
  oobsBeveledLed,
  oobsSmileyYellow,
  oobsSmileyRedGrn,
  oobsBulb,
  oobsButLamp,
  oobsHDLeft,
  oobsHDRight,
  oobsUser1,
  oobsUser2,
  oobsUser3,
  oobsUser4,
  oobsUser5
};

/// Resource name of a style's sheet ("CHECKBOX", ...); empty for oobsUser and unknown values.
String OnOffButSheetName(TOnOffButStyle Style);

// --- layout ------------------------------------------------------------------------------------

/// The places a button's picture and captions are laid out from: the control's size, the glyph size,
/// the picture's spaces and the caption text height.
struct TOnOffLayout {
  int W = 100, H = 50;
  int GlyphWidth = 30, GlyphHeight = 18;
  int LeftSpace = 35, TopSpace = 18;
  int TextHeight = 0;
};
enum TOnOffCaption : uint8_t { ocLeft, ocTop, ocBottom, ocRight };

/// Top-left corner of a caption of width TextWidth on its side with its alignment.
TPoint OnOffCaptionPos(const TOnOffLayout& Layout, TOnOffCaption Side, TAlignment Alignment, int TextWidth);
/// Where the picture goes: its size at (LeftSpace + 1, TopSpace + 1).
TRect OnOffGlyphRect(const TOnOffLayout& Layout);
/// Whether a click at (X, Y) counts under the mouse action: oomaFocused needs the point strictly
/// inside LeftSpace..LeftSpace + GlyphWidth and TopSpace..TopSpace + GlyphHeight.
bool OnOffHit(const TOnOffLayout& Layout, TOOButMouseAction Action, int X, int Y);

// --- TOnOffBut ---------------------------------------------------------------------------------

/// The on/off button. Setters that repaint do so at once, or by invalidating while Transparent, so
/// that the parent is drawn underneath first.
class TOnOffBut : public TGraphicControl {
 public:
  /// 100 x 50 pixels, on, style oobsColSlideLR, picture at (35, 18) centred on resizing, no group,
  /// clicks on the picture, captions empty, lowered frame on clBtnFace. The user pictures are 20 x 20:
  /// a cross (off, enabled), a circle (on, enabled) and two blank ones.
  explicit TOnOffBut(TComponent* AOwner);
  ~TOnOffBut() override;

  void WndProc(TMessage& Message) override;
  /// From another TOnOffBut: spaces, centring, captions and alignments, frame, colours, scheme,
  /// state, pictures and user pictures, style, mouse action, glyph size, transparency and enabled
  /// state, then invalidates; other sources as the platform.
  void Assign(TPersistent* Source) override;

  // -- pictures
  /// Loads the current style's pictures (the user pictures for oobsUser, with their size).
  void LoadGlyphs();
  /// Takes the glyph size (half the sheet) and the four quarters of a 2 x 2 sheet as the pictures.
  void ExtractGlyphs(const TBitmap& Bitmap);
  /// Takes the user pictures from a 2 x 2 sheet in the shipped layout (nothing for nullptr or a sheet
  /// under 2 x 2 pixels) and shows them at once when the style is oobsUser.
  void SetUserGlyph(const TBitmap* Img);
  /// SetUserGlyph with a BMP, PNG or JPEG file; raises the platform's EFOpenError or EInvalidGraphic
  /// when it cannot be read (the pictures stay).
  void LoadUserGlyph(const String& FName);
  /// Puts the picture in the middle of the control.
  void AdjustAutoCenter();
  /// Centres the picture (AutoCenter, with a parent) and repaints; the resize handling calls it.
  void ProcessResize(TObject* Sender);
  /// Tells the other on/off buttons of the parent's group that this one changed (GroupIndex not 0).
  void UpdateExclusive();

  // -- properties
  bool OnOff() const { return FOnOff; }
  /// Refused when equal, and switching off the last button of a group without AllowAllOff.
  void SetOnOff(bool value);
  TOnOffButStyle ButtonStyle() const { return FButStyle; }
  void SetButtonStyle(TOnOffButStyle value);
  bool AutoCenter() const { return FAutoCenter; }
  void SetAutoCenter(bool value);
  int LeftSpace() const { return FLeftSpace; }
  /// Ignores equal and negative values; with AutoCenter only re-centres; else limited to the width.
  void SetLeftSpace(int value);
  int TopSpace() const { return FTopSpace; }
  /// Ignores equal and negative values; with AutoCenter only re-centres; else limited to the height.
  void SetTopSpace(int value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool AllowAllOff() const { return FAllowAllOff; }
  /// Spreads through the group with the next button that announces itself.
  void SetAllowAllOff(bool value);
  TOOButMouseAction MouseAction() const { return FMouseAction; }
  void SetMouseAction(TOOButMouseAction value) { FMouseAction = value; }
  TOOButMode Mode() const { return FMode; }
  /// oobmSpeedBut switches the button off.
  void SetMode(TOOButMode value);
  const String& LeftText() const { return FLeftText; }
  void SetLeftText(const String& value);
  const String& TopText() const { return FTopText; }
  void SetTopText(const String& value);
  const String& BottomText() const { return FBottomText; }
  void SetBottomText(const String& value);
  const String& RightText() const { return FRightText; }
  void SetRightText(const String& value);
  TAlignment LeftTextAlignment() const { return FLTAlignment; }
  void SetLeftTextAlignment(TAlignment value);
  TAlignment TopTextAlignment() const { return FTTAlignment; }
  void SetTopTextAlignment(TAlignment value);
  TAlignment BottomTextAlignment() const { return FBTAlignment; }
  void SetBottomTextAlignment(TAlignment value);
  TAlignment RightTextAlignment() const { return FRTAlignment; }
  void SetRightTextAlignment(TAlignment value);
  TColor ColorText() const { return FColorTxt; }
  void SetColorText(TColor value);
  TColor ColorBackgnd() const { return FColorBakG; }
  void SetColorBackgnd(TColor value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  bool Transparent() const { return FTransParent; }
  void SetTransparent(bool value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme value);
  /// Stores, passes it on to the platform (a disabled button gets no mouse input), invalidates.
  void SetEnabled(bool value) override;
  /// Size of one picture.
  int GlyphWidth() const { return FGlyphWidth; }
  int GlyphHeight() const { return FGlyphHeight; }

 protected:
  void AssignTo(TPersistent* Dest) override;
  /// Draws the button (only while visible): DrawPicture, then the mask and bitmap onto the parent
  /// (transparent) or the bitmap alone.
  void Paint() override;
  /// Fills Bmp (at its own size) with the background, captions, picture and frame, and the mask
  /// (resized to match) with black wherever the button covers its parent.
  void DrawPicture(TBitmap& Bmp);
  const TBitmap& Mask() const { return *FMask; }
  /// Toggles on a left press that counts (see MouseAction); a strict group keeps its one button on.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// A left release switches a speed button off; one that counts fires OnClick.
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  /// Does nothing: OnClick comes from MouseUp.
  void Click() override {}
  /// Centres the picture (ProcessResize), then fires OnResize.
  void Resize() override;

 private:
  void CMButtonPressed(const TMessage& Message);
  /// Paints at once, or invalidates while Transparent so that the parent is drawn underneath.
  void Redraw();
  TOnOffLayout Layout(int TextHeight = 0) const;
  void DrawCaptions(TBitmap& Bmp, int TextHeight);
  void WriteCaption(TBitmap& Bmp, TPoint At, const String& Text);
  void DrawGlyph(TBitmap& Bmp);
  void SetCaption(String& Field, const String& value);
  void SetAlignment(TAlignment& Field, TAlignment value);
  template <class T>
  void StoreAndRedraw(T& Field, const T& value);

  using TPictures = std::array<std::unique_ptr<TBitmap>, 4>;
  bool FOnOff = true;
  TOnOffButStyle FButStyle = oobsColSlideLR;
  TPictures FButImg;
  TPictures FUserImg;
  std::unique_ptr<TBitmap> FMask;
  int FGlyphWidth = 20;
  int FGlyphHeight = 20;
  bool FAutoCenter = true;
  int FLeftSpace = 35;
  int FTopSpace = 18;
  int FGroupIndex = 0;
  bool FAllowAllOff = true;
  TOOButMouseAction FMouseAction = oomaFocused;
  TOOButMode FMode = oobmNormalBut;
  String FLeftText, FTopText, FBottomText, FRightText;
  TAlignment FLTAlignment = taRightJustify;
  TAlignment FTTAlignment = taCenter;
  TAlignment FBTAlignment = taCenter;
  TAlignment FRTAlignment = taLeftJustify;
  TColor FColorTxt = clBlack;
  TColor FColorBakG = clBtnFace;
  TFrameStyle FFrameStyle = fsLowered;
  bool FTransParent = false;
  bool FEnabled = true;
  TColorScheme FColorScheme = csBWG;
  bool FSpeedPressed = false;  // a left press switched this speed button on; its release switches it off
};

namespace ctl_detail {
/// Not part of the public interface: the resource module of qeltactl (the sheets), for tests.
HINSTANCE OnOffButResources();
}  // namespace ctl_detail

}  // namespace qelta

QELTA_PUBLIC_END
