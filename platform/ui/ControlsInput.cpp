// Input state (keys and buttons held, capture, pointer, cursor) and the routing of queued input and
// paints: mouse input to the capture or the control under the pointer, keys to the focused control, the
// program's loss of the focus to the open popups (they close).

#include "Controls.h"

#include "ControlsInternal.h"
#include "Popups.h"

namespace qelta {

using namespace platform_detail;

namespace {
TAppState& State() { return AppState(); }
}  // namespace

// [SECTION] input state

int16_t GetKeyState(int VirtKey) {
  const auto& s = State();
  bool down = false;
  if (VirtKey >= 0 && VirtKey < 256) down = s.KeyDown[VirtKey];
  if (VirtKey == VK_LBUTTON) down = s.ButtonDown[mbLeft];
  if (VirtKey == VK_RBUTTON) down = s.ButtonDown[mbRight];
  if (VirtKey == VK_MBUTTON) down = s.ButtonDown[mbMiddle];
  return down ? static_cast<int16_t>(0x8000) : 0;
}

TShiftState GetShiftState() {
  const auto& s = State();
  TShiftState shift;
  if (s.KeyDown[VK_SHIFT]) shift.Include(ssShift);
  if (s.KeyDown[VK_CONTROL]) shift.Include(ssCtrl);
  if (s.KeyDown[VK_MENU]) shift.Include(ssAlt);
  if (s.ButtonDown[mbLeft]) shift.Include(ssLeft);
  if (s.ButtonDown[mbRight]) shift.Include(ssRight);
  if (s.ButtonDown[mbMiddle]) shift.Include(ssMiddle);
  return shift;
}

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState shift;
  if (Keys & MK_SHIFT) shift.Include(ssShift);
  if (Keys & MK_CONTROL) shift.Include(ssCtrl);
  if (Keys & MK_LBUTTON) shift.Include(ssLeft);
  if (Keys & MK_RBUTTON) shift.Include(ssRight);
  if (Keys & MK_MBUTTON) shift.Include(ssMiddle);
  if (State().KeyDown[VK_MENU]) shift.Include(ssAlt);
  return shift;
}

TPoint GetCursorPos() { return State().CursorPos; }

TControl* GetCaptureControl() { return State().Capture; }

void SetCaptureControl(TControl* Control) {
  auto& s = State();
  if (s.Capture == Control) return;
  TControl* old = s.Capture;
  s.Capture = Control;
  if (old != nullptr) old->Perform(WM_CAPTURECHANGED, 0, 0);
}

TCursor CurrentCursor() {
  if (Screen()->Cursor() != crDefault) return Screen()->Cursor();
  const auto& s = State();
  for (const TControl* c = s.Capture != nullptr ? s.Capture : s.Hover; c != nullptr; c = c->Parent())
    if (c->Cursor() != crDefault) return c->Cursor();
  return crDefault;
}

// [SECTION] routing

namespace {

TForm* TopModal() {
  const auto& stack = State().ModalStack;
  return stack.empty() ? nullptr : stack.back();
}

/// The control under a screen point: the topmost shown form there (only the innermost modal form
/// while one runs, and the popups over everything), then the deepest visible, enabled control.
TControl* HitTest(TPoint screen) {
  const auto& forms = State().Forms;
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    TForm* form = *it;
    if (!form->Visible() || !PointIn(form->BoundsRect(), screen)) continue;
    if (TopModal() != nullptr && form != TopModal() && !TPopupWindow::IsPopup(form)) return nullptr;
    if (!form->Enabled()) return nullptr;
    TControl* c = form;
    while (auto* w = dynamic_cast<TWinControl*>(c)) {
      TControl* child = w->ControlAtPos(w->ScreenToClient(screen));
      if (child == nullptr) break;
      c = child;
    }
    return c;
  }
  return nullptr;
}

/// True when input for c must be dropped: another form is modal, or c cannot take input now.
bool Blocked(const TControl* c) {
  const TForm* form = GetParentForm(c);
  if (form == nullptr || !form->Visible()) return true;
  if (TopModal() != nullptr && form != TopModal() && !TPopupWindow::IsPopup(form)) return true;
  for (; c != nullptr; c = c->Parent())
    if (!c->Enabled() || !c->Visible()) return true;
  return false;
}

WPARAM MouseKeys() {
  const auto& s = State();
  WPARAM k = 0;
  if (s.ButtonDown[mbLeft]) k |= MK_LBUTTON;
  if (s.ButtonDown[mbRight]) k |= MK_RBUTTON;
  if (s.ButtonDown[mbMiddle]) k |= MK_MBUTTON;
  if (s.KeyDown[VK_SHIFT]) k |= MK_SHIFT;
  if (s.KeyDown[VK_CONTROL]) k |= MK_CONTROL;
  return k;
}

void UpdateHover(TControl* hit) {
  auto& s = State();
  if (hit == s.Hover) return;
  TControl* old = s.Hover;
  s.Hover = hit;
  if (old != nullptr) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (hit != nullptr && s.Hover == hit) hit->Perform(CM_MOUSEENTER, 0, 0);
}

/// Turns a press into a double click when it repeats the last one on the same control in time and place.
Cardinal DoubleClickOf(TControl* target, Cardinal msg, TPoint screen, int64_t time) {
  auto& last = State().LastPress;
  const int button = static_cast<int>(msg - WM_LBUTTONDOWN) / 3;
  const bool dbl = target->ControlStyle().Contains(csDoubleClicks) && last.Control == target &&
                   last.Button == button && !last.WasDouble && time - last.Time <= DoubleClickTime &&
                   std::abs(screen.X - last.Pos.X) <= DoubleClickWidth / 2 &&
                   std::abs(screen.Y - last.Pos.Y) <= DoubleClickHeight / 2;
  if (dbl) {
    last.WasDouble = true;
    return msg + (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
  }
  last.Control = target;
  last.Button = button;
  last.Time = time;
  last.Pos = screen;
  last.WasDouble = false;
  return msg;
}

void SetButton(Cardinal msg) {
  auto& s = State();
  switch (msg) {
    case WM_LBUTTONDOWN: s.ButtonDown[mbLeft] = true; break;
    case WM_LBUTTONUP: s.ButtonDown[mbLeft] = false; break;
    case WM_RBUTTONDOWN: s.ButtonDown[mbRight] = true; break;
    case WM_RBUTTONUP: s.ButtonDown[mbRight] = false; break;
    case WM_MBUTTONDOWN: s.ButtonDown[mbMiddle] = true; break;
    case WM_MBUTTONUP: s.ButtonDown[mbMiddle] = false; break;
    default: break;
  }
}

/// The control keys go to: the innermost open popup, else the active form's focused control, or the
/// form itself.
TWinControl* KeyTarget() {
  if (!State().Popups.empty()) return State().Popups.back();
  TForm* form = State().ActiveForm;
  if (form == nullptr || !form->Visible()) return nullptr;
  return form->ActiveControl() != nullptr ? form->ActiveControl() : form;
}

void RouteWheel(const platform_detail::TQueuedMessage& m) {
  TControl* target = KeyTarget();
  if (target == nullptr || Blocked(target)) return;
  const WPARAM w = (m.Msg.WParam & 0xFFFF0000u) | MouseKeys();
  for (TControl* c = target; c != nullptr; c = c->Parent())
    if (c->Perform(WM_MOUSEWHEEL, w, m.Msg.LParam) != 0) break;
}

void RouteMouse(const platform_detail::TQueuedMessage& m) {
  auto& s = State();
  const TPoint screen = Point(MouseLParamX(m.Msg.LParam), MouseLParamY(m.Msg.LParam));
  s.CursorPos = screen;
  if (m.Msg.Msg == WM_MOUSEWHEEL) {
    RouteWheel(m);
    return;
  }
  SetButton(m.Msg.Msg);
  TControl* hit = HitTest(screen);
  if (!s.Popups.empty() && s.Capture == nullptr && !TPopupWindow::IsPopup(GetParentForm(hit))) {
    // Outside the open popups: a press closes them all and goes nowhere, anything else is dropped.
    UpdateHover(nullptr);
    const Cardinal msg = m.Msg.Msg;
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) TPopupWindow::CloseAll();
    return;
  }
  UpdateHover(hit);
  TControl* target = s.Capture != nullptr ? s.Capture : hit;
  if (target == nullptr || Blocked(target)) return;
  Cardinal msg = m.Msg.Msg;
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN)
    msg = DoubleClickOf(target, msg, screen, m.Time);
  const TPoint p = target->ScreenToClient(screen);
  target->Perform(msg, MouseKeys(), MakeMouseLParam(p.X, p.Y));
}

void DeliverChar(Char ch, TWinControl* target) {
  if (target != nullptr && target->Perform(CN_CHAR, ch, 0) == 0) target->Perform(WM_CHAR, ch, 0);
}

void RouteKey(const platform_detail::TQueuedMessage& m) {
  auto& s = State();
  const Word vk = static_cast<Word>(m.Msg.WParam);
  if (m.Msg.Msg == WM_KEYDOWN && vk < 256) s.KeyDown[vk] = true;
  if (m.Msg.Msg == WM_KEYUP && vk < 256) s.KeyDown[vk] = false;
  TWinControl* target = KeyTarget();
  if (target == nullptr) return;
  switch (m.Msg.Msg) {
    case WM_KEYDOWN:
      // A key taken by the focused control's CN_KEYDOWN (a dialog key) produces no character.
      if (target->Perform(CN_KEYDOWN, vk, m.Msg.LParam) != 0) return;
      target->Perform(WM_KEYDOWN, vk, m.Msg.LParam);
      // The character goes where the key went when that was a popup (Enter that closed a list must not
      // reach the control below); otherwise to whoever has the focus now.
      if (m.TypedChar != 0) DeliverChar(m.TypedChar, dynamic_cast<TPopupWindow*>(target) ? target : KeyTarget());
      break;
    case WM_KEYUP:
      if (target->Perform(CN_KEYUP, vk, m.Msg.LParam) == 0) target->Perform(WM_KEYUP, vk, m.Msg.LParam);
      break;
    case WM_CHAR: DeliverChar(static_cast<Char>(m.Msg.WParam), target); break;
    default: break;
  }
}

}  // namespace

bool platform_detail::PaintPendingControls() {
  auto& queue = State().PaintQueue;
  if (queue.empty()) return false;
  while (!queue.empty()) {
    // Parents first, so that children paint over them.
    auto it = std::min_element(queue.begin(), queue.end(),
                               [](TWinControl* a, TWinControl* b) { return DepthOf(a) < DepthOf(b); });
    TWinControl* w = *it;
    queue.erase(it);
    ControlsAccess::Dequeued(w);  // a WndProc that takes WM_PAINT itself must not block later paints
    w->Perform(WM_PAINT, 0, 0);
  }
  return true;
}

void platform_detail::RouteInput(const TQueuedMessage& m) {
  if (m.Msg.Msg >= WM_MOUSEFIRST && m.Msg.Msg <= WM_MOUSELAST) RouteMouse(m);
  else if (m.Msg.Msg == WM_CANCELMODE) TPopupWindow::CloseAll();  // the program lost the focus
  else RouteKey(m);
}

void platform_detail::PostClickOutside(TMouseButton button) {
  PostPointerMove(kOffTheForms);
  const LPARAM at = MakeMouseLParam(kOffTheForms.X, kOffTheForms.Y);
  PostInput(WM_LBUTTONDOWN + 3 * button, 0, at);
  PostInput(WM_LBUTTONUP + 3 * button, 0, at);
}

void platform_detail::PostFocusLost() { PostInput(WM_CANCELMODE, 0, 0); }

}  // namespace qelta
