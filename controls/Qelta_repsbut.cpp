// Qelta_repsbut: the auto-repeat speed button TRepSpeedButton.
//
// Leaving the button only stops the repetition. Releasing the button there (a release at (0, 0),
// inside it) would have let the speed button fire OnClick for a click the user never finished.

#include "Qelta_repsbut.h"

#include <algorithm>

#include "Qelta_ctltimer.h"

namespace qelta {

TRepSpeedButton::TRepSpeedButton(TComponent* AOwner)
    : TSpeedButton(AOwner), FTimer(std::make_unique<ctl_detail::TControlTimer>(this, [this] { DoTimer(); })) {}

TRepSpeedButton::~TRepSpeedButton() = default;

void TRepSpeedButton::Arm(int interval) {
  FTimer->Stop();
  if (interval <= 0 || !FRClickTimerEnabled) return;
  if (!FTimer->Start(static_cast<Cardinal>(interval)))
    throw EQeltaRepSpeedButton(u"Component \"" + Name() + u"\": no timer available");
}

void TRepSpeedButton::InitTimer() {
  FIsStart = true;
  Arm(FStartIv);
}

void TRepSpeedButton::UpdateTimer() {
  FIsStart = false;
  Arm(FRepClickIv);
}

void TRepSpeedButton::StopRepeating() {
  FRClickTimerEnabled = false;
  FTimer->Stop();
}

void TRepSpeedButton::DoTimer() {
  if (FIsStart) UpdateTimer();
  RepeatClickEvent();
  if (OnRepeatClick) OnRepeatClick(this);
}

// [SECTION] mouse

void TRepSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FRClickTimerEnabled = true;
  InitTimer();
}

void TRepSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FRClickTimerEnabled = false;
  UpdateTimer();
}

void TRepSpeedButton::WndProc(TMessage& Message) {
  TSpeedButton::WndProc(Message);
  switch (Message.Msg) {
    case CM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
      StopRepeating();
      break;
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
      if (!Visible() || !Enabled()) StopRepeating();
      break;
    default:
      break;
  }
}

// [SECTION] properties

void TRepSpeedButton::SetRepeatClickInterval(int value) {
  value = std::max(value, 10);
  if (value == FRepClickIv) return;
  FRepClickIv = value;
  if (!Designing()) UpdateTimer();
}

void TRepSpeedButton::SetStartClickInterval(int value) {
  value = std::max(value, 10);
  if (value == FStartIv) return;
  FStartIv = value;
  if (!Designing()) InitTimer();
}

void TRepSpeedButton::SetOnRepeatClick(TNotifyEvent value) {
  OnRepeatClick = std::move(value);
  if (!Designing()) UpdateTimer();
}

}  // namespace qelta
