// The desktop's services behind the SDL window backend: keys, cursor shapes, the clipboard and
// message boxes.
//
// Message boxes: a box is a real dialog window (SDL_ShowMessageBox) over the active form, answering
// the modal result of the button chosen. A desktop that cannot show one (no zenity and no X core fonts)
// gets the box as a modal form of the platform's widgets (MessageBoxForm.h); where not even a form can
// be shown, the box answers the set's cancel answer, never Yes or OK on a question, and says so on
// stderr. Scripted answers and strict mode keep working (the scripted user may drive a program that
// shows windows); every box is logged either way.

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "Clipbrd.h"
#include "Encoding.h"
#include "Forms.h"
#include "MessageBoxForm.h"
#include "SdlBackend.h"

namespace qelta::platform_detail {

// [SECTION] keys

Word VirtualKeyOfSdl(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<Word>(VK_A + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<Word>(VK_0 + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<Word>(VK_F1 + (key - SDLK_F1));
  if (key >= SDLK_F13 && key <= SDLK_F24) return static_cast<Word>(VK_F13 + (key - SDLK_F13));
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return static_cast<Word>(VK_NUMPAD1 + (key - SDLK_KP_1));
  static constexpr std::pair<SDL_Keycode, Word> table[] = {
      {SDLK_RETURN, VK_RETURN},     {SDLK_ESCAPE, VK_ESCAPE},       {SDLK_BACKSPACE, VK_BACK},
      {SDLK_TAB, VK_TAB},           {SDLK_SPACE, VK_SPACE},         {SDLK_LSHIFT, VK_SHIFT},
      {SDLK_RSHIFT, VK_SHIFT},      {SDLK_LCTRL, VK_CONTROL},       {SDLK_RCTRL, VK_CONTROL},
      {SDLK_LALT, VK_MENU},         {SDLK_RALT, VK_MENU},           {SDLK_LGUI, VK_LWIN},
      {SDLK_RGUI, VK_RWIN},         {SDLK_APPLICATION, VK_APPS},    {SDLK_CAPSLOCK, VK_CAPITAL},
      {SDLK_PAUSE, VK_PAUSE},       {SDLK_PRINTSCREEN, VK_SNAPSHOT}, {SDLK_SCROLLLOCK, VK_SCROLL},
      {SDLK_NUMLOCKCLEAR, VK_NUMLOCK}, {SDLK_INSERT, VK_INSERT},    {SDLK_DELETE, VK_DELETE},
      {SDLK_HOME, VK_HOME},         {SDLK_END, VK_END},             {SDLK_PAGEUP, VK_PRIOR},
      {SDLK_PAGEDOWN, VK_NEXT},     {SDLK_LEFT, VK_LEFT},           {SDLK_RIGHT, VK_RIGHT},
      {SDLK_UP, VK_UP},             {SDLK_DOWN, VK_DOWN},           {SDLK_HELP, VK_HELP},
      {SDLK_KP_0, VK_NUMPAD0},      {SDLK_KP_ENTER, VK_RETURN},     {SDLK_KP_PLUS, VK_ADD},
      {SDLK_KP_MINUS, VK_SUBTRACT}, {SDLK_KP_MULTIPLY, VK_MULTIPLY}, {SDLK_KP_DIVIDE, VK_DIVIDE},
      {SDLK_KP_PERIOD, VK_DECIMAL}, {SDLK_SEMICOLON, VK_OEM_1},     {SDLK_EQUALS, VK_OEM_PLUS},
      {SDLK_COMMA, VK_OEM_COMMA},   {SDLK_MINUS, VK_OEM_MINUS},     {SDLK_PERIOD, VK_OEM_PERIOD},
      {SDLK_SLASH, VK_OEM_2},       {SDLK_BACKQUOTE, VK_OEM_3},     {SDLK_LEFTBRACKET, VK_OEM_4},
      {SDLK_BACKSLASH, VK_OEM_5},   {SDLK_RIGHTBRACKET, VK_OEM_6},  {SDLK_QUOTE, VK_OEM_7},
  };
  for (const auto& [sdl, vk] : table)
    if (sdl == key) return vk;
  return 0;
}

Char ControlCharOfKey(Word key, TShiftState shift) {
  if (shift.Contains(ssAlt)) return 0;
  if (shift.Contains(ssCtrl)) return key >= VK_A && key <= VK_Z ? static_cast<Char>(key - VK_A + 1) : 0;
  if (key == VK_RETURN) return u'\r';
  if (shift.Contains(ssShift)) return 0;
  switch (key) {
    case VK_TAB: return u'\t';
    case VK_BACK: return u'\b';
    case VK_ESCAPE: return 27;
    default: return 0;
  }
}

TShiftState ShiftOfSdl(Uint16 mod) {
  TShiftState shift;
  if (mod & KMOD_SHIFT) shift.Include(ssShift);
  if (mod & KMOD_CTRL) shift.Include(ssCtrl);
  if (mod & KMOD_ALT) shift.Include(ssAlt);
  return shift;
}

// [SECTION] cursor shapes

SDL_SystemCursor SystemCursorOf(TCursor cursor) {
  switch (cursor) {
    case crCross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case crIBeam: return SDL_SYSTEM_CURSOR_IBEAM;
    case crSizeNESW: return SDL_SYSTEM_CURSOR_SIZENESW;
    case crSizeNS: case crVSplit: return SDL_SYSTEM_CURSOR_SIZENS;
    case crSizeNWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case crSizeWE: case crHSplit: return SDL_SYSTEM_CURSOR_SIZEWE;
    case crHourGlass: case crSQLWait: return SDL_SYSTEM_CURSOR_WAIT;
    case crAppStart: return SDL_SYSTEM_CURSOR_WAITARROW;
    case crNo: case crNoDrop: return SDL_SYSTEM_CURSOR_NO;
    case crHandPoint: return SDL_SYSTEM_CURSOR_HAND;
    case crSizeAll: return SDL_SYSTEM_CURSOR_SIZEALL;
    default: return SDL_SYSTEM_CURSOR_ARROW;
  }
}

// [SECTION] message boxes

std::vector<SDL_MessageBoxButtonData> BoxButtons(TMsgDlgButtons offered, int defaultAnswer) {
  std::vector<SDL_MessageBoxButtonData> out;
  for (const TBoxButton& b : BoxButtonsOf(offered)) out.push_back({0, b.Answer, b.Caption});
  const int escape = CancelAnswerOf(offered);
  bool hasDefault = false;
  for (auto& b : out) {
    if (b.buttonid == defaultAnswer) b.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (b.buttonid == escape) b.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    hasDefault = hasDefault || b.buttonid == defaultAnswer;
  }
  if (!hasDefault) out.front().flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  return out;
}

namespace {

TShowMessageBoxCall gShowMessageBox = SDL_ShowMessageBox;

}  // namespace

TShowMessageBoxCall SetShowMessageBoxCall(TShowMessageBoxCall call) {
  return std::exchange(gShowMessageBox, call != nullptr ? call : SDL_ShowMessageBox);
}

namespace {

class TSdlDialogs final : public THeadlessDialogs {
 public:
  void ShowMessage(const String& Msg) override {
    if (!Strict()) Show(Msg, Application->Title(), TMsgDlgButtons{mbOK}, mrOk);
    THeadlessDialogs::ShowMessage(Msg);
  }

 protected:
  int Answer(const String& text, const String& caption, TMsgDlgButtons offered, int defaultAnswer) override {
    if (PendingAnswers() > 0 || Strict()) return THeadlessDialogs::Answer(text, caption, offered, defaultAnswer);
    return Show(text, caption, offered, defaultAnswer);
  }

 private:
  /// Shows the box over the active form: the desktop's own, else a form; answers the button chosen.
  static int Show(const String& text, const String& caption, TMsgDlgButtons offered, int defaultAnswer) {
    if (const int chosen = ShowOnDesktop(text, caption, offered, defaultAnswer); chosen > 0) return chosen;
    try {
      return RunMessageBoxForm(text, caption, offered, defaultAnswer);
    } catch (const EOSError& e) {
      const TModalResult answer = CancelAnswerOf(offered);
      std::fprintf(stderr, "Message box \"%s\" could not be shown (%s); it answers %s\n", OneLine(text).c_str(),
                   e.what(), CaptionOfAnswer(offered, answer));
      return answer;
    }
  }

  static std::string OneLine(const String& text) {
    std::string line = StringToUtf8(text);
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
  }

  static const char* CaptionOfAnswer(TMsgDlgButtons offered, TModalResult answer) {
    for (const TBoxButton& b : BoxButtonsOf(offered))
      if (b.Answer == answer) return b.Caption;
    return "Cancel";
  }

  /// The desktop's own box: the button's answer, or 0 when the desktop cannot show one.
  static int ShowOnDesktop(const String& text, const String& caption, TMsgDlgButtons offered, int defaultAnswer) {
    const std::vector<SDL_MessageBoxButtonData> buttons = BoxButtons(offered, defaultAnswer);
    const std::string utf8Text = StringToUtf8(text), utf8Caption = StringToUtf8(caption);
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_INFORMATION;
    box.window = SDL_GetKeyboardFocus();
    box.title = utf8Caption.c_str();
    box.message = utf8Text.c_str();
    box.numbuttons = static_cast<int>(buttons.size());
    box.buttons = buttons.data();
    int chosen = 0;
    if (gShowMessageBox(&box, &chosen) != 0) return 0;
    return chosen > 0 ? chosen : CancelAnswerOf(offered);  // closed without a button
  }
};

class TSdlClipboard final : public TClipboard {
 public:
  void Clear() override {
    TClipboard::Clear();
    SDL_SetClipboardText("");
  }
  bool HasFormat(Word Format) const override {
    if (Format == CF_TEXT || Format == CF_UNICODETEXT) return SDL_HasClipboardText() == SDL_TRUE;
    return TClipboard::HasFormat(Format);
  }
  String AsText() const override {
    char* text = SDL_GetClipboardText();
    const String result = text != nullptr ? Utf8ToString(text) : String();
    SDL_free(text);
    return result;
  }
  void SetAsText(const String& value) override {
    TClipboard::Clear();
    SDL_SetClipboardText(StringToUtf8(value).c_str());
  }
  void SetBitmap(const TBitmap* value) override {
    SDL_SetClipboardText("");
    TClipboard::SetBitmap(value);
  }
};

}  // namespace

void InstallSdlServices() {
  SetClipboard(std::make_unique<TSdlClipboard>());
  SetDialogService(std::make_unique<TSdlDialogs>());
}

}  // namespace qelta::platform_detail
