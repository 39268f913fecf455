#pragma once
// Labels: TCustomLabel / TLabel, a caption written on the parent's surface.
//
// How: Paint fills the client area in Color unless Transparent, then calls the virtual DoDrawText with
// the client rectangle and the DrawText format of the alignment (a descendant that draws the caption
// its own way overrides DoDrawText). With AutoSize the label takes the size of its caption, measured
// by DoDrawText with DT_CALCRECT ($400): a right-justified label keeps its right edge, a centred one its
// centre. A disabled label writes the caption engraved. Lines end at line feeds. Limits: no word wrap,
// no vertical layout, no focus control, no accelerator characters ('&' is written as it stands).

#include "Controls.h"
#include "Graphics.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);

  void WndProc(TMessage& Message) override;

  /// Sizes the label to its caption (AutoSize; nothing while loading).
  void AdjustBounds();

  /// The label takes the size of its caption (default true).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  /// The parent shows through; false fills the label in Color first (default false).
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

 protected:
  void Paint() override;
  void Loaded() override;
  /// Writes the caption into Rect by the DrawText format Flags; with DT_CALCRECT only measures it,
  /// setting Rect's right and bottom.
  virtual void DoDrawText(TRect& Rect, unsigned Flags);
  /// The DrawText format of the alignment.
  unsigned DrawTextFlags() const;

 private:
  bool FAutoSize = true;
  TAlignment FAlignment = taLeftJustify;
  bool FTransparent = false;
};

class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
};

}  // namespace qelta

QELTA_PUBLIC_END
