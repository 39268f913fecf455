#pragma once
// Qelta_RotLab: the rotated label TRotLab.
//
// What: a label whose caption is drawn at any angle (degrees, counter-clockwise) around a reference
// point, with or without font smoothing, and framed.
// How: the platform label paints (the background unless Transparent) and calls DoDrawText, which
// this class replaces: the control's font turned by TextAngle x 10 tenths of a degree, its quality
// antialiased or not, the start point placed so that the reference point is the middle of the
// caption's left end, right end or centre by the alignment (offsets from the unrotated extents,
// rounded half to even); a disabled caption is engraved (button highlight one pixel down-right, then
// button shadow). With AutoCenter the point follows the centre of the control.
// Limits: one line; no word wrap; the frame is drawn over the caption's pixels. Use a plain TLabel
// for horizontal text that should size itself.

#include <cstdint>

#include "Labels.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Offset of a caption's start point (the top left of its cell, which the turned font turns about)
/// from the reference point, for a caption of HalfWidth = text width div 2 and HalfHeight = text
/// height div 2 turned by Angle degrees counter-clockwise: the reference point is the middle of the
/// left end, the right end or the centre by the alignment; each offset rounded half to even.
TPoint RotatedTextOffset(TAlignment Alignment, int HalfWidth, int HalfHeight, double Angle);

/// Label with a caption at any angle around (PosX, PosY).
class TRotLab : public TCustomLabel {
 public:
  explicit TRotLab(TComponent* AOwner);

  /// Centres the reference point: PosX = Width div 2, PosY = Height div 2.
  void AdjustAutoCenter();
  /// With a parent and AutoCenter on, centres the reference point and repaints.
  void ProcessResize(TObject* Sender);
  /// From another TRotLab: AutoCenter, FrameStyle, TextAngle, PosX, PosY and AntiAlias, then
  /// repaints; other sources as the platform.
  void Assign(TPersistent* Source) override;
  /// Placed on a parent, an AutoCenter label centres its reference point at once (not only at the
  /// next resize).
  void SetParent(TWinControl* AParent) override;

  // -- properties (setters store a changed value and repaint: invalidate when transparent, else paint)
  /// Angle of the caption in degrees, counter-clockwise.
  int TextAngle() const { return FTextAngle; }
  void SetTextAngle(int value);
  /// The reference point; ignored (the point stays centred) while AutoCenter is on.
  int PosX() const { return FTextPosX; }
  void SetPosX(int value);
  int PosY() const { return FTextPosY; }
  void SetPosY(int value);
  /// Smoothed glyph edges; off draws every pixel fully or not at all.
  bool AntiAlias() const { return FAntiAlias; }
  void SetAntiAlias(bool value);
  /// The reference point follows the centre of the control.
  bool AutoCenter() const { return FAutoCenter; }
  void SetAutoCenter(bool value);
  /// The parent shows through.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  /// Which point of the caption lies on the reference point: its left end, right end or centre.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);

 protected:
  /// The platform label's painting (with the rotated caption), then the frame.
  void Paint() override;
  /// Draws the rotated caption; a call that only measures (DT_CALCRECT) does nothing.
  void DoDrawText(TRect& Rect, unsigned Flags) override;
  /// Centres the reference point for the new size, then the host's OnResize.
  void Resize() override;
  void AssignTo(TPersistent* Dest) override;

 private:
  void Redraw();
  template <class T>
  void StoreAndRedraw(T& field, T value);
  /// PosX or PosY: a changed value is stored, or with AutoCenter the point is centred again.
  void SetPoint(int& field, int value);

  int FTextAngle = 0;
  int FTextPosX = 10;
  int FTextPosY = 10;
  bool FAntiAlias = true;
  bool FAutoCenter = true;
  bool FTransparent = true;
  TAlignment FAlignment = taCenter;
  TFrameStyle FFrameStyle = fsLowered;
};

}  // namespace qelta

QELTA_PUBLIC_END
