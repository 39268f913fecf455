// The message box's own form: the text, a row of buttons, and the focus among them.
//
// Layout (client pixels): the text 16 from the left and 18 from the top; the buttons (80 x 25, 8 apart,
// as in the other dialog forms) 18 under it, centred; 12 below them. The box is as wide as the wider of
// the text and the buttons with their margins, at least 220 and at most the screen. The buttons are
// speed buttons (they take no focus of their own): the form keeps which one has the focus and takes
// Tab, the arrows, Enter and Space.

#include "MessageBoxForm.h"

#include <algorithm>

#include "DialogForm.h"
#include "Encoding.h"
#include "Screen.h"
#include "WidgetPaint.h"

namespace qelta::platform_detail {

// [SECTION] the buttons of a set

std::vector<TBoxButton> BoxButtonsOf(TMsgDlgButtons offered) {
  struct Entry {
    TMsgDlgBtn Button;
    TBoxButton Box;
  };
  static constexpr Entry entries[] = {
      {mbYes, {mrYes, "Yes", u"YesButton"}},
      {mbNo, {mrNo, "No", u"NoButton"}},
      {mbOK, {mrOk, "OK", u"OKButton"}},
      {mbCancel, {mrCancel, "Cancel", u"CancelButton"}},
      {mbAbort, {mrAbort, "Abort", u"AbortButton"}},
      {mbRetry, {mrRetry, "Retry", u"RetryButton"}},
      {mbIgnore, {mrIgnore, "Ignore", u"IgnoreButton"}},
      {mbAll, {mrAll, "All", u"AllButton"}},
      {mbNoToAll, {mrNoToAll, "No to All", u"NoToAllButton"}},
      {mbYesToAll, {mrYesToAll, "Yes to All", u"YesToAllButton"}},
  };
  std::vector<TBoxButton> out;
  for (const Entry& e : entries)
    if (offered.Contains(e.Button)) out.push_back(e.Box);
  if (out.empty()) out.push_back(TBoxButton{});
  return out;
}

TModalResult CancelAnswerOf(TMsgDlgButtons offered) {
  static constexpr std::pair<TMsgDlgBtn, TModalResult> negative[] = {
      {mbCancel, mrCancel}, {mbNo, mrNo}, {mbNoToAll, mrNoToAll}, {mbAbort, mrAbort}};
  for (const auto& [button, answer] : negative)
    if (offered.Contains(button)) return answer;
  const std::vector<TBoxButton> buttons = BoxButtonsOf(offered);
  return buttons.size() == 1 ? buttons.front().Answer : mrCancel;  // one button: nothing to choose
}

// [SECTION] the form

namespace {

constexpr int kTextLeft = 16, kTextTop = 18, kGap = 18, kBottom = 12, kMinWidth = 220;
constexpr int kButtonWidth = 80, kButtonHeight = 25, kButtonSpacing = 8;

/// A speed button that shows the focus the box gives it: framed, with a dotted rectangle inside.
class TBoxButtonControl final : public TSpeedButton {
 public:
  using TSpeedButton::TSpeedButton;
  void SetMarked(bool value) {
    if (value == FMarked) return;
    FMarked = value;
    Invalidate();
  }

 protected:
  void Paint() override {
    TSpeedButton::Paint();
    if (!FMarked) return;
    TCanvas* c = Canvas();
    c->Pen()->SetColor(clWindowFrame);
    c->Brush()->SetStyle(bsClear);
    c->Rectangle(0, 0, Width(), Height());
    c->Brush()->SetStyle(bsSolid);
    FocusRect(c, Rect(4, 4, Width() - 4, Height() - 4));
  }

 private:
  bool FMarked = false;
};

class TMessageBoxForm final : public TDialogForm {
 public:
  TMessageBoxForm(const String& text, const String& caption, TMsgDlgButtons offered, int defaultAnswer);
  void WndProc(TMessage& Message) override;

 protected:
  void KeyDown(Word& Key, TShiftState Shift) override;
  void DefaultAction() override { SetModalResult(FAnswers[static_cast<std::size_t>(FFocus)]); }

 private:
  void Focus(int index);

  std::vector<TBoxButtonControl*> FButtons;
  std::vector<TModalResult> FAnswers;
  int FFocus = 0;
};

TMessageBoxForm::TMessageBoxForm(const String& text, const String& caption, TMsgDlgButtons offered, int defaultAnswer)
    : TDialogForm(caption, kMinWidth, 0) {
  const TLabel* label = AddLabel(u"TextLabel", text, kTextLeft, kTextTop);
  const std::vector<TBoxButton> buttons = BoxButtonsOf(offered);
  const int count = static_cast<int>(buttons.size());
  const int row = count * kButtonWidth + (count - 1) * kButtonSpacing;
  const int width = std::min(std::max({kMinWidth, label->Width() + 2 * kTextLeft, row + 2 * kBottom}),
                             std::max(Screen()->Width(), kMinWidth));
  const int top = label->Top() + label->Height() + kGap;
  int x = (width - row) / 2;
  for (const TBoxButton& b : buttons) {
    auto* button = new TBoxButtonControl(this);
    const TModalResult answer = b.Answer;
    PlaceButton(button, b.Name, Utf8ToString(b.Caption), Bounds(x, top, kButtonWidth, kButtonHeight),
                [this, answer] { SetModalResult(answer); });
    FButtons.push_back(button);
    FAnswers.push_back(answer);
    x += kButtonWidth + kButtonSpacing;
  }
  SetClientWidth(width);
  SetClientHeight(top + kButtonHeight + kBottom);
  const auto chosen = std::find(FAnswers.begin(), FAnswers.end(), defaultAnswer);
  Focus(chosen != FAnswers.end() ? static_cast<int>(chosen - FAnswers.begin()) : 0);
}

void TMessageBoxForm::Focus(int index) {
  const int count = static_cast<int>(FButtons.size());
  FFocus = (index % count + count) % count;
  for (int i = 0; i < count; ++i) FButtons[static_cast<std::size_t>(i)]->SetMarked(i == FFocus);
}

// Tab is a dialog key: the form would move the focus among windowed controls, and there are none.
void TMessageBoxForm::WndProc(TMessage& Message) {
  if (Message.Msg == CM_DIALOGKEY && Message.WParam == VK_TAB) {
    Focus(FFocus + (GetShiftState().Contains(ssShift) ? -1 : 1));
    Message.Result = 1;
    return;
  }
  TDialogForm::WndProc(Message);
}

void TMessageBoxForm::KeyDown(Word& Key, TShiftState Shift) {
  if (Shift.Empty() && Key >= VK_LEFT && Key <= VK_DOWN) {
    Focus(FFocus + (Key == VK_RIGHT || Key == VK_DOWN ? 1 : -1));
    Key = 0;
  } else if (Shift.Empty() && Key == VK_SPACE) {
    Key = 0;
    DefaultAction();
  }
  if (Key != 0) TDialogForm::KeyDown(Key, Shift);
}

}  // namespace

TModalResult RunMessageBoxForm(const String& text, const String& caption, TMsgDlgButtons offered, int defaultAnswer) {
  TMessageBoxForm form(text, caption, offered, defaultAnswer);
  const TModalResult answer = form.Run();
  const std::vector<TBoxButton> buttons = BoxButtonsOf(offered);
  const bool pressed = std::any_of(buttons.begin(), buttons.end(), [answer](const TBoxButton& b) { return b.Answer == answer; });
  return pressed ? answer : CancelAnswerOf(offered);
}

}  // namespace qelta::platform_detail
