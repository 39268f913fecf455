// The scripted user: input posted as a keyboard and a mouse would, with the US keyboard layout.

#include "Testing.h"

#include <algorithm>

#include "AppState.h"
#include "Clipbrd.h"
#include "SysUtils.h"

namespace qelta {

namespace {

platform_detail::TAppState& State() { return platform_detail::AppState(); }

struct KeyStroke {
  Word Key = 0;
  bool Shift = false;
};

/// Key of a printable ASCII character on the US layout; Key 0 when it has none.
KeyStroke StrokeOf(Char ch) {
  if (ch >= u'a' && ch <= u'z') return {static_cast<Word>(ch - u'a' + u'A'), false};
  if (ch >= u'A' && ch <= u'Z') return {static_cast<Word>(ch), true};
  if (ch >= u'0' && ch <= u'9') return {static_cast<Word>(ch), false};
  static constexpr char16_t shiftedDigits[] = u")!@#$%^&*(";
  for (int d = 0; d < 10; ++d)
    if (ch == shiftedDigits[d]) return {static_cast<Word>(u'0' + d), true};
  struct Punct {
    Char plain, shifted;
    Word key;
  };
  static constexpr Punct punct[] = {{u';', u':', VK_OEM_1},  {u'=', u'+', VK_OEM_PLUS},   {u',', u'<', VK_OEM_COMMA},
                                    {u'-', u'_', VK_OEM_MINUS}, {u'.', u'>', VK_OEM_PERIOD}, {u'/', u'?', VK_OEM_2},
                                    {u'`', u'~', VK_OEM_3},  {u'[', u'{', VK_OEM_4},     {u'\\', u'|', VK_OEM_5},
                                    {u']', u'}', VK_OEM_6},  {u'\'', u'"', VK_OEM_7}};
  for (const Punct& p : punct) {
    if (ch == p.plain) return {p.key, false};
    if (ch == p.shifted) return {p.key, true};
  }
  switch (ch) {
    case u' ': return {VK_SPACE, false};
    case u'\t': return {VK_TAB, false};
    case u'\r': case u'\n': return {VK_RETURN, false};
    case u'\b': return {VK_BACK, false};
    case 27: return {VK_ESCAPE, false};
    default: return {};
  }
}

/// Character a key gives with the modifiers, or 0.
Char CharOf(Word key, TShiftState shift) {
  if (shift.Contains(ssAlt)) return 0;
  if (shift.Contains(ssCtrl)) return key >= VK_A && key <= VK_Z ? static_cast<Char>(key - VK_A + 1) : 0;
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<Char>(u'0' + key - VK_NUMPAD0);
  switch (key) {
    case VK_ADD: return u'+';
    case VK_SUBTRACT: return u'-';
    case VK_MULTIPLY: return u'*';
    case VK_DIVIDE: return u'/';
    case VK_DECIMAL: return u'.';
    case VK_RETURN: return u'\r';
    default: break;
  }
  for (Char ch = 8; ch < 127; ++ch) {
    const KeyStroke k = StrokeOf(ch);
    if (k.Key == key && k.Shift == shift.Contains(ssShift) && ch != u'\n') return ch;
  }
  return 0;
}

}  // namespace

TScriptedUser::TScriptedUser(TDateTime start) {
  Reset();
  Application->UseVirtualClock(start);
}

TScriptedUser::~TScriptedUser() {
  Reset();
  Application->UseRealClock();
}

void TScriptedUser::Reset() {
  auto& s = State();
  s.Queue.clear();
  s.Terminated = false;
  s.TimerShortage = false;
  s.Capture = nullptr;
  s.Hover = nullptr;
  s.CursorPos = platform_detail::kOffTheForms;  // so the first action moves the pointer
  std::fill(std::begin(s.KeyDown), std::end(s.KeyDown), false);
  std::fill(std::begin(s.ButtonDown), std::end(s.ButtonDown), false);
  s.LastPress = {};
  s.ModalScripts.clear();
  s.StrictScripts = false;
  s.Unscripted.clear();
  TPopupWindow::CloseAll();
  s.PopupScripts.clear();
  if (THeadlessDialogs* dialogs = HeadlessDialogs()) {
    dialogs->Clear();
    dialogs->SetStrict(false);
    dialogs->SetDialogForms(false);
  }
  Clipboard()->Clear();
}

void TScriptedUser::Done() {
  if (FAutoProcess) Process();
}

void TScriptedUser::Process() {
  Application->ProcessMessages();
  RaiseUnscripted();
}

void TScriptedUser::RaiseUnscripted() {
  auto& caught = State().Unscripted;
  if (caught.empty()) return;
  const String first = caught.front();
  caught.clear();
  throw EUnscripted(first);
}

void TScriptedUser::RequireShowing(const TControl* control, const char16_t* action) {
  const String where = u"TScriptedUser." + String(action) + u": ";
  if (control == nullptr) throw EInvalidOperation(where + u"no control given");
  if (!control->Showing())
    throw EInvalidOperation(where + u"\"" + control->Name() + u"\" (" + control->ClassName() +
                            u") is not showing on a shown form");
}

void TScriptedUser::SetStrict(bool value) {
  State().StrictScripts = value;
  if (THeadlessDialogs* dialogs = HeadlessDialogs()) dialogs->SetStrict(value);
}

// -- forms

void TScriptedUser::Show(TForm* form) {
  form->Show();
  Done();
}

void TScriptedUser::WhenModalShows(std::function<void(TForm* form)> script) {
  State().ModalScripts.push_back(std::move(script));
}

// -- mouse

void TScriptedUser::Pointer(TControl* control, int x, int y) {
  platform_detail::PostPointerMove(control->ClientToScreen(Point(x, y)));
}

void TScriptedUser::Mouse(Cardinal msg, TControl* control, int x, int y, TShiftState shift) {
  Modifiers(shift, true);
  Pointer(control, x, y);
  const TPoint at = control->ClientToScreen(Point(x, y));
  if (msg != WM_MOUSEMOVE) platform_detail::PostInput(msg, 0, MakeMouseLParam(at.X, at.Y));
  Modifiers(shift, false);
  Done();
}

void TScriptedUser::MoveTo(TControl* control, int x, int y, TShiftState shift) {
  RequireShowing(control, u"MoveTo");
  Mouse(WM_MOUSEMOVE, control, x, y, shift);
}

void TScriptedUser::Press(TControl* control, int x, int y, TMouseButton button, TShiftState shift) {
  RequireShowing(control, u"Press");
  Mouse(WM_LBUTTONDOWN + 3 * button, control, x, y, shift);
}

void TScriptedUser::Release(TControl* control, int x, int y, TMouseButton button, TShiftState shift) {
  RequireShowing(control, u"Release");
  Mouse(WM_LBUTTONUP + 3 * button, control, x, y, shift);
}

void TScriptedUser::Click(TControl* control, int x, int y, TMouseButton button, TShiftState shift) {
  RequireShowing(control, u"Click");
  Press(control, x, y, button, shift);
  Release(control, x, y, button, shift);
}

void TScriptedUser::DoubleClick(TControl* control, int x, int y, TShiftState shift) {
  RequireShowing(control, u"DoubleClick");
  Click(control, x, y, mbLeft, shift);
  Click(control, x, y, mbLeft, shift);
}

void TScriptedUser::Drag(TControl* control, int x1, int y1, int x2, int y2, TMouseButton button, int steps,
                         TShiftState shift) {
  RequireShowing(control, u"Drag");
  Press(control, x1, y1, button, shift);
  steps = std::max(steps, 1);
  for (int i = 1; i <= steps; ++i)
    MoveTo(control, x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps, shift);
  Release(control, x2, y2, button, shift);
}

void TScriptedUser::Wheel(TControl* control, int x, int y, int delta, TShiftState shift) {
  RequireShowing(control, u"Wheel");
  Modifiers(shift, true);
  Pointer(control, x, y);
  const TPoint at = control->ClientToScreen(Point(x, y));
  const WPARAM w = static_cast<WPARAM>(static_cast<uint16_t>(static_cast<int16_t>(std::clamp(delta, -32768, 32767))))
                   << 16;
  platform_detail::PostInput(WM_MOUSEWHEEL, w, MakeMouseLParam(at.X, at.Y));
  Modifiers(shift, false);
  Done();
}

void TScriptedUser::ClickOutside(TMouseButton button) {
  platform_detail::PostClickOutside(button);
  Done();
}

void TScriptedUser::SwitchToOtherProgram() {
  platform_detail::PostFocusLost();
  Done();
}

// -- keyboard

void TScriptedUser::Modifiers(TShiftState shift, bool down) {
  static constexpr std::pair<TShiftStateFlag, Word> keys[] = {{ssShift, VK_SHIFT}, {ssCtrl, VK_CONTROL}, {ssAlt, VK_MENU}};
  for (const auto& [flag, key] : keys)
    if (shift.Contains(flag)) platform_detail::PostInput(down ? WM_KEYDOWN : WM_KEYUP, key, 0);
}

void TScriptedUser::KeyDown(Word key, Char typed) {
  platform_detail::PostInput(WM_KEYDOWN, key, 0, typed);
  Done();
}

void TScriptedUser::KeyUp(Word key) {
  platform_detail::PostInput(WM_KEYUP, key, 0);
  Done();
}

void TScriptedUser::PressKey(Word key, TShiftState shift) {
  Modifiers(shift, true);
  platform_detail::PostInput(WM_KEYDOWN, key, 0, CharOf(key, shift));
  platform_detail::PostInput(WM_KEYUP, key, 0);
  Modifiers(shift, false);
  Done();
}

void TScriptedUser::TypeText(const String& text) {
  for (Char ch : text) {
    const KeyStroke k = StrokeOf(ch);
    if (k.Key == 0) {
      platform_detail::PostInput(WM_CHAR, ch, 0);
      continue;
    }
    if (k.Shift) platform_detail::PostInput(WM_KEYDOWN, VK_SHIFT, 0);
    platform_detail::PostInput(WM_KEYDOWN, k.Key, 0, ch == u'\n' ? u'\r' : ch);
    platform_detail::PostInput(WM_KEYUP, k.Key, 0);
    if (k.Shift) platform_detail::PostInput(WM_KEYUP, VK_SHIFT, 0);
  }
  Done();
}

// -- time, boxes, clipboard

void TScriptedUser::Advance(int64_t ms) { Application->AdvanceClock(ms); }

void TScriptedUser::AnswerNextBox(int answer) {
  if (answer < mrOk || answer > mrYesToAll)
    throw EInvalidOperation(u"TScriptedUser.AnswerNextBox: " + IntToStr(answer) +
                            u" is not the answer of a button (mrOk..mrYesToAll)");
  if (THeadlessDialogs* dialogs = HeadlessDialogs()) dialogs->ScriptAnswer(answer);
}

const std::vector<TDialogLogEntry>& TScriptedUser::MessageLog() const {
  static const std::vector<TDialogLogEntry> none;
  const THeadlessDialogs* dialogs = HeadlessDialogs();
  return dialogs != nullptr ? dialogs->Log() : none;
}

String TScriptedUser::ClipboardText() const { return Clipboard()->AsText(); }

void TScriptedUser::FailTimers(bool on) { Application->SetTimerShortage(on); }

// -- common dialogs

void TScriptedUser::AnswerNextDialog(const String& kind, const TCommonDialogAnswer& answer) {
  if (THeadlessDialogs* dialogs = HeadlessDialogs()) dialogs->ScriptDialog(kind, answer);
}

void TScriptedUser::AnswerNextSaveDialog(const String& fileName) {
  AnswerNextDialog(u"TSaveDialog", TCommonDialogAnswer::Confirm(fileName));
}

void TScriptedUser::UseDialogForms(bool on) {
  if (THeadlessDialogs* dialogs = HeadlessDialogs()) dialogs->SetDialogForms(on);
}

// -- popups

void TScriptedUser::WhenPopupShows(std::function<void(TPopupWindow* popup)> script) {
  State().PopupScripts.push_back([this, script = std::move(script)](TPopupWindow* popup) {
    const bool autoProcess = FAutoProcess;
    FAutoProcess = false;
    struct Restore {
      TScriptedUser* user;
      bool value;
      ~Restore() { user->FAutoProcess = value; }
    } restore{this, autoProcess};
    script(popup);
  });
}

void TScriptedUser::WhenPopupShows(std::initializer_list<String> path) { QueuePopupPath(path, false); }

void TScriptedUser::QueuePopupPath(std::vector<String> path, bool first) {
  auto script = [this, path](TPopupWindow* popup) {
    if (path.empty()) {
      platform_detail::PostInput(WM_KEYDOWN, VK_ESCAPE, 0, 27);
      platform_detail::PostInput(WM_KEYUP, VK_ESCAPE, 0);
      return;
    }
    TRect r;
    if (!popup->EntryRect(path.front(), r)) throw EInvalidOperation(u"The popup has no entry \"" + path.front() + u"\"");
    if (path.size() > 1) QueuePopupPath(std::vector<String>(path.begin() + 1, path.end()), true);
    PostClick(popup, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  };
  auto& scripts = State().PopupScripts;
  if (first) scripts.push_front(std::move(script));
  else scripts.push_back(std::move(script));
}

void TScriptedUser::PostClick(TControl* control, int x, int y) {
  Pointer(control, x, y);
  const TPoint at = control->ClientToScreen(Point(x, y));
  platform_detail::PostInput(WM_LBUTTONDOWN, 0, MakeMouseLParam(at.X, at.Y));
  platform_detail::PostInput(WM_LBUTTONUP, 0, MakeMouseLParam(at.X, at.Y));
}

TPopupWindow* TScriptedUser::OpenPopup() const {
  const auto& popups = TPopupWindow::OpenPopups();
  return popups.empty() ? nullptr : popups.back();
}

void TScriptedUser::ClickPopupEntry(const String& caption) {
  TPopupWindow* popup = OpenPopup();
  TRect r;
  if (popup == nullptr) throw EInvalidOperation("No popup is open");
  if (!popup->EntryRect(caption, r)) throw EInvalidOperation(u"The popup has no entry \"" + caption + u"\"");
  Click(popup, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
}

void TScriptedUser::AnswerNextColorDialog(TColor color) {
  AnswerNextDialog(u"TColorDialog", TCommonDialogAnswer::Confirm(ColorToString(color), color));
}

// -- looking

std::unique_ptr<TBitmap> TScriptedUser::GrabDesktop(const TRect& area) {
  platform_detail::PaintPendingControls();
  auto out = std::make_unique<TBitmap>(area.Width(), area.Height());
  out->Canvas()->Brush()->SetColor(clBackground);
  out->Canvas()->FillRect(Rect(0, 0, area.Width(), area.Height()));
  for (TForm* form : State().Forms) {
    if (!form->Visible() || form->Surface() == nullptr) continue;
    const TRect b = form->BoundsRect();
    out->Canvas()->CopyRect(Bounds(b.Left - area.Left, b.Top - area.Top, b.Width(), b.Height()), form->Surface()->Canvas(),
                            Rect(0, 0, b.Width(), b.Height()));
  }
  return out;
}

std::unique_ptr<TBitmap> TScriptedUser::Grab(TControl* control) {
  if (control == nullptr) throw EInvalidOperation(u"TScriptedUser.Grab: no control given");
  Done();
  auto out = std::make_unique<TBitmap>(control->Width(), control->Height());
  TForm* form = GetParentForm(control);
  if (form == nullptr || form->Surface() == nullptr) return out;
  const TPoint at = control->ClientToScreen(Point(0, 0));
  const TPoint formAt = form->ClientToScreen(Point(0, 0));
  const TRect src = Bounds(at.X - formAt.X, at.Y - formAt.Y, control->Width(), control->Height());
  out->Canvas()->CopyRect(Rect(0, 0, control->Width(), control->Height()), form->Surface()->Canvas(), src);
  return out;
}

void TScriptedUser::SavePng(TForm* form, const String& fileName) { Grab(form)->SaveToFile(fileName); }

TCursor TScriptedUser::EffectiveCursor() const { return CurrentCursor(); }

}  // namespace qelta
