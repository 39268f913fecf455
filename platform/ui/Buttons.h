#pragma once
// Speed buttons: TSpeedButton, a button drawn on its parent (no focus, no keys) with a glyph and a
// caption, alone or in a group where one button stays down.
//
// How: a press with the left button shows the button pushed while the pointer stays on it; the click
// comes on the release inside (OnClick after MouseUp). A button with a GroupIndex stays down after its
// click; going down it broadcasts CM_BUTTONPRESSED (WParam the group, LParam the button) to its
// parent's controls, and every other down button of the group there goes up. Another speed button
// passes its AllowAllUp on with the message; a control of another class that sends it (a two-state
// button) counts as having gone down. AllowAllUp lets the down button of a group go up by a click.
// Glyph holds NumGlyphs pictures side by side: up, disabled, down, stay-down; a missing disabled one
// is drawn grey from the up picture, missing down ones repeat it. The glyph's bottom-left pixel colour
// is transparent. Flat buttons show their border only under the pointer or when down.
// Limits: no layout or margin settings (the glyph stands left of the caption, both centred), no
// keyboard accelerators.

#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

enum TButtonState : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  void WndProc(TMessage& Message) override;

  /// Pictures side by side, NumGlyphs of them; assigning copies the bitmap.
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* value) { FGlyph->Assign(value); }
  /// Number of pictures in Glyph, clamped to 1..4.
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int value);
  /// Down stays set only with a GroupIndex (without one, setting true does nothing); going down makes
  /// the other buttons of the group go up. Setting false in a group needs AllowAllUp.
  bool Down() const { return FDown; }
  void SetDown(bool value);
  /// Buttons of one parent with the same non-zero index form a group (0: an ordinary button).
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  /// The down button of the group may go up by a click (passed on to the group).
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value);
  /// How the button looks now.
  TButtonState State() const;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  void UpdateExclusive();
  void ButtonPressed(TMessage& m);
  void PaintGlyph(TCanvas* c, int x, int y, TButtonState state);
  bool Pushed() const;

  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  bool FDown = false;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  bool FFlat = false;
  bool FDragging = false;       // the left button went down on the button and is held
  bool FPointerInside = false;  // while dragging: the pointer is on the button
  bool FMouseInControl = false;
};

}  // namespace qelta

QELTA_PUBLIC_END
