#pragma once
// Panels: TCustomPanel / TPanel, a raised or lowered area that holds other controls and may show a
// caption. Limits: no docking, no vertical caption alignment other than centred.

#include "Controls.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* AOwner);

  /// Outer bevel (default bvRaised), inner bevel (default bvNone), each BevelWidth pixels wide (default
  /// 1, at least 1); BorderWidth pixels of Color between them (default 0, at least 0).
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  /// Horizontal place of the caption (default centred).
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

 protected:
  void Paint() override;

 private:
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
 public:
  using TCustomPanel::TCustomPanel;
};

}  // namespace qelta

QELTA_PUBLIC_END
