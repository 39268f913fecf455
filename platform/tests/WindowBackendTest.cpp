// Forms as desktop windows: the SDL backend under SDL_VIDEODRIVER=offscreen (or the display the run
// names, such as an Xvfb server). Input injected as SDL events must reach the controls exactly as the
// scripted user's input does; the windows must show the forms' surfaces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "AppState.h"
#include "Assertions.h"
#include "Clipbrd.h"
#include "ComboBoxes.h"
#include "Edits.h"
#include "SampleControls.h"
#include "Screen.h"
#include "WindowBackend.h"
#include "WindowBackendTesting.h"

#ifdef QELTA_WITH_SDL
#include "SdlBackend.h"
#endif

using namespace qelta;
using namespace qelta::sample;

namespace {

TEST(WindowBackendChoice, RefusalNamesTheCauseAndLeavesTheApplicationHeadless) {
#ifdef QELTA_WITH_SDL
  const char* kept = std::getenv("SDL_VIDEODRIVER");
  const std::string keptValue = kept != nullptr ? kept : "";
  setenv("SDL_VIDEODRIVER", "nosuchdriver", 1);
  try {
    Application->UseWindowBackend();
    FAIL() << "a missing video driver was not reported";
  } catch (const EOSError& e) {
    EXPECT_NE(std::string(e.what()).find("no display"), std::string::npos) << e.what();
  }
  if (kept != nullptr) setenv("SDL_VIDEODRIVER", keptValue.c_str(), 1);
  else unsetenv("SDL_VIDEODRIVER");
#else
  EXPECT_THROW_MSG(Application->UseWindowBackend(), EOSError,
                   "No window backend: the library was built without SDL2 (QELTA_WITH_SDL is OFF)");
#endif
  EXPECT_FALSE(Application->WindowBackendActive());
  TScriptedUser user;
  TForm form(nullptr);
  TSample sample(&form, &form);
  user.Show(&form);
  EXPECT_EQ(PixelOf(user.Grab(&sample).get(), 5, 5), clRed);  // headless keeps working
  EXPECT_EQ(Screen()->Width(), DesktopWidth);
}

#ifdef QELTA_WITH_SDL

TEST(WindowBackendChoice, QeltaBackendSdlInTheEnvironmentChoosesWindowsWhenAFormIsShown) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("QELTA_BACKEND", "sdl", 1);
  Application->State().BackendChosen = false;  // as in a process that has shown no form yet
  TForm form(nullptr);
  form.Show();
  unsetenv("QELTA_BACKEND");
  EXPECT_TRUE(Application->WindowBackendActive());
  EXPECT_NE(platform_detail::WindowBackend().NativeWindow(&form), nullptr);
  form.Hide();
  Application->UseHeadlessBackend();
  EXPECT_FALSE(Application->WindowBackendActive());
}

/// Starts the window backend on the offscreen driver unless the run names another display.
class WindowBackendTest : public qelta::testing::TWindowBackendFixture {
 protected:
  static SDL_Window* WindowOf(const TForm* form) {
    return static_cast<SDL_Window*>(platform_detail::WindowBackend().NativeWindow(form));
  }
  static Uint32 IdOf(const TForm* form) { return SDL_GetWindowID(WindowOf(form)); }
  static bool Offscreen() { return std::string(SDL_GetCurrentVideoDriver()) == "offscreen"; }

  /// A click of the left button at a client point of the form's window, as SDL delivers it.
  static void PushClick(const TForm* form, int x, int y) {
    for (bool down : {true, false}) qelta::testing::PushLeftButton(IdOf(form), down, x, y);
  }
  static void PushKey(const TForm* form, Uint32 type, SDL_Keycode key, Uint16 mod) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = IdOf(form);
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  }
  /// Types ASCII text as a US keyboard does with SDL: Shift around capitals, key down, text, key up.
  static void PushText(const TForm* form, const std::string& text) {
    for (char ch : text) {
      const bool upper = ch >= 'A' && ch <= 'Z';
      const SDL_Keycode key = upper ? ch - 'A' + SDLK_a : ch;
      const Uint16 mod = upper ? KMOD_LSHIFT : KMOD_NONE;
      if (upper) PushKey(form, SDL_KEYDOWN, SDLK_LSHIFT, KMOD_LSHIFT);
      PushKey(form, SDL_KEYDOWN, key, mod);
      SDL_Event t{};
      t.type = SDL_TEXTINPUT;
      t.text.windowID = IdOf(form);
      t.text.text[0] = ch;
      SDL_PushEvent(&t);
      PushKey(form, SDL_KEYUP, key, mod);
      if (upper) PushKey(form, SDL_KEYUP, SDLK_LSHIFT, KMOD_NONE);
    }
  }
  static void PushWindowEvent(const TForm* form, SDL_WindowEventID event, int data1 = 0, int data2 = 0) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = IdOf(form);
    e.window.event = event;
    e.window.data1 = data1;
    e.window.data2 = data2;
    SDL_PushEvent(&e);
  }
};

/// An edit and a button on a form, each logging what reaches it.
struct EditAndButton {
  TForm form{nullptr};
  TEdit* edit = new TEdit(&form);
  TSample* button = new TSample(&form, &form, Rect(10, 60, 90, 90));
  std::vector<std::string> log;

  EditAndButton() {
    form.SetBounds(20, 30, 200, 120);
    form.SetCaption(u"Edit and button");
    edit->SetName(u"Edit1");
    edit->SetBounds(10, 10, 150, 24);
    edit->SetParent(&form);
    button->SetName(u"Button1");
    edit->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
      log.push_back("edit down" + std::to_string(b) + "(" + ShiftText(s) + ")@" + std::to_string(x) + "," + std::to_string(y));
    };
    edit->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
      log.push_back("edit up" + std::to_string(b) + "@" + std::to_string(x) + "," + std::to_string(y));
    };
    edit->OnKeyDown = [this](TObject*, Word& k, TShiftState s) { log.push_back("keydown" + std::to_string(k) + ShiftText(s)); };
    edit->OnKeyPress = [this](TObject*, Char& c) { log.push_back("keypress" + std::to_string(c)); };
    edit->OnKeyUp = [this](TObject*, Word& k, TShiftState s) { log.push_back("keyup" + std::to_string(k) + ShiftText(s)); };
    edit->OnChange = [this](TObject*) { log.push_back("change:" + Narrow(edit->Text())); };
    edit->OnEnter = [this](TObject*) { log.push_back("edit enter"); };
    button->OnClick = [this](TObject*) { log.push_back("button click"); };
    edit->OnMouseWheel = [this](TObject*, TShiftState, int delta, TPoint at, bool&) {
      log.push_back("wheel" + std::to_string(delta) + "@" + std::to_string(at.X) + "," + std::to_string(at.Y));
    };
  }
  std::vector<std::string> All() const {
    std::vector<std::string> all = log;
    for (const std::string& line : button->log) all.push_back("button " + line);
    return all;
  }
};

TEST_F(WindowBackendTest, InjectedClicksAndTypingReachTheControlsAsTheScriptedUsersDo) {
  std::vector<std::string> scripted, injected;
  {
    Application->UseHeadlessBackend();
    TScriptedUser user;
    EditAndButton f;
    user.Show(&f.form);
    user.Click(f.edit, 5, 5);
    user.TypeText(u"Ab1");
    user.Wheel(f.edit, 7, 6, -WHEEL_DELTA);
    user.Click(f.button, 5, 5);
    scripted = f.All();
    EXPECT_EQ(f.edit->Text(), u"Ab1");
  }
  Application->UseWindowBackend();
  TScriptedUser session;  // the same clean start: pointer off every form, no keys held
  EditAndButton f;
  f.form.Show();
  Application->ProcessMessages();
  ASSERT_NE(WindowOf(&f.form), nullptr);
  PushClick(&f.form, 15, 15);
  PushText(&f.form, "Ab1");
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.windowID = IdOf(&f.form);
  wheel.wheel.y = -1;
  wheel.wheel.mouseX = 17;
  wheel.wheel.mouseY = 16;
  SDL_PushEvent(&wheel);
  PushClick(&f.form, 15, 65);
  Application->ProcessMessages();
  injected = f.All();
  EXPECT_EQ(f.edit->Text(), u"Ab1");
  EXPECT_EQ(injected, scripted);
}

TEST_F(WindowBackendTest, AShownFormIsAWindowShowingItsSurface) {
  TForm form(nullptr);
  form.SetBounds(40, 50, 160, 90);
  form.SetCaption(u"Pressure \u00b0C");
  TSample sample(&form, &form, Rect(10, 10, 70, 40));
  form.Show();
  Application->ProcessMessages();
  SDL_Window* window = WindowOf(&form);
  ASSERT_NE(window, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Pressure \xc2\xb0" "C");
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 160);
  EXPECT_EQ(h, 90);
  SDL_Surface* shown = SDL_GetWindowSurface(window);
  ASSERT_NE(shown, nullptr);
  ASSERT_EQ(shown->format->BytesPerPixel, 4);
  int differing = 0;
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 160; ++x) {
      Uint8 r = 0, g = 0, b = 0;
      const auto* row = static_cast<const Uint8*>(shown->pixels) + y * shown->pitch;
      SDL_GetRGB(reinterpret_cast<const Uint32*>(row)[x], shown->format, &r, &g, &b);
      const uint32_t want = form.Surface()->ScanLine(y)[x] & 0xFFFFFFu;
      if (((uint32_t(r) << 16) | (uint32_t(g) << 8) | b) != want) ++differing;
    }
  EXPECT_EQ(differing, 0);
  form.SetCaption(u"Renamed");
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Renamed");
}

TEST_F(WindowBackendTest, MovingAndSizingTheWindowMoveTheFormAndRealignItsChildren) {
  TForm form(nullptr);
  form.SetBounds(10, 10, 200, 100);
  TSample client(&form, &form);
  client.SetAlign(alClient);
  form.Show();
  Application->ProcessMessages();
  PushWindowEvent(&form, SDL_WINDOWEVENT_MOVED, 70, 80);
  PushWindowEvent(&form, SDL_WINDOWEVENT_SIZE_CHANGED, 300, 150);
  Application->ProcessMessages();
  EXPECT_EQ(form.BoundsRect(), Bounds(70, 80, 300, 150));
  EXPECT_EQ(client.BoundsRect(), Rect(0, 0, 300, 150));
  EXPECT_EQ(form.Surface()->Width(), 300);
  // The program moving the form moves the window.
  form.SetBounds(5, 6, 120, 80);
  int w = 0, h = 0;
  SDL_GetWindowSize(WindowOf(&form), &w, &h);
  EXPECT_EQ(w, 120);
  EXPECT_EQ(h, 80);
}

TEST_F(WindowBackendTest, ClosingTheWindowRunsTheClosePathAndDestroysTheWindowOnce) {
  auto* form = new TForm(nullptr);
  form->Show();
  Application->ProcessMessages();
  const Uint32 id = IdOf(form);
  PushWindowEvent(form, SDL_WINDOWEVENT_CLOSE);
  Application->ProcessMessages();
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(WindowOf(form), nullptr);
  EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
  delete form;  // the window is gone already: nothing is destroyed twice
  // With no window and no timer left, a loop waiting for the user ends instead of hanging.
  EXPECT_FALSE(Application->ModalStep());
}

TEST_F(WindowBackendTest, ClosingAModalWindowCancelsItAndAButtonAnswersIt) {
  TForm owner(nullptr);
  owner.Show();
  TForm dialog(&owner);
  TSample ok(&dialog, &dialog, Rect(10, 10, 60, 40));
  ok.OnClick = [&](TObject*) { dialog.SetModalResult(mrOk); };
  TTimer timer(nullptr);
  timer.SetInterval(20);
  int step = 0;
  timer.OnTimer = [&](TObject*) {
    if (!dialog.Visible()) return;
    if (step++ == 0) PushClick(&dialog, 20, 20);
    else PushWindowEvent(&dialog, SDL_WINDOWEVENT_CLOSE);
  };
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(WindowOf(&dialog), nullptr);
}

TEST_F(WindowBackendTest, ATimerFiresThroughTheWaitingLoop) {
  TForm form(nullptr);
  form.Show();
  TTimer timer(nullptr);
  timer.SetInterval(15);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) { ++ticks; };
  for (int steps = 0; ticks < 3 && steps < 100000; ++steps) Application->HandleMessage();
  EXPECT_EQ(ticks, 3);
}

TEST_F(WindowBackendTest, AnExceptionInAHandlerGoesToHandleException) {
  TForm form(nullptr);
  TSample button(&form, &form);
  button.OnClick = [](TObject*) { throw EConvertError("bad number"); };
  form.OnResize = [](TObject*) { throw EInvalidOperation("cannot resize"); };
  std::vector<String> caught;
  Application->OnException = [&](TObject*, const Exception& e) { caught.push_back(e.Message()); };
  form.Show();
  Application->ProcessMessages();
  PushClick(&form, 20, 20);
  Application->ProcessMessages();
  PushWindowEvent(&form, SDL_WINDOWEVENT_SIZE_CHANGED, 400, 300);
  Application->ProcessMessages();
  Application->OnException = nullptr;
  EXPECT_EQ(caught, (std::vector<String>{u"bad number", u"cannot resize"}));
  EXPECT_EQ(form.Width(), 400);
}

TEST_F(WindowBackendTest, TheFocusLeavingTheProgramClosesTheListButMovingBetweenItsWindowsDoesNot) {
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(40, 40, 200, 150);
  TComboBox combo(&form);
  combo.SetParent(&form);
  combo.SetBounds(10, 10, 120, 0);
  combo.Items()->Add(u"one");
  std::vector<std::string> log;
  combo.OnCloseUp = [&](TObject*) { log.push_back("closeup"); };
  user.Show(&form);
  user.Click(&combo, combo.Width() - 5, 5);
  TPopupWindow* list = user.OpenPopup();
  ASSERT_NE(list, nullptr);
  ASSERT_NE(WindowOf(list), nullptr);
  // Without a window manager SDL hands the focus to each new window: lost by one, gained by another.
  PushWindowEvent(&form, SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindowEvent(list, SDL_WINDOWEVENT_FOCUS_GAINED);
  user.Process();
  EXPECT_TRUE(combo.DroppedDown());
  PushWindowEvent(list, SDL_WINDOWEVENT_FOCUS_LOST);  // and nothing of ours gains it
  user.Process();
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(log, std::vector<std::string>{"closeup"});
}

TEST_F(WindowBackendTest, TheClipboardIsTheDesktops) {
  Clipboard()->SetAsText(u"\u03a9 = 12.5");
  char* text = SDL_GetClipboardText();
  EXPECT_STREQ(text, "\xce\xa9 = 12.5");
  SDL_free(text);
  SDL_SetClipboardText("from another program");
  EXPECT_EQ(Clipboard()->AsText(), u"from another program");
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  Application->UseHeadlessBackend();
  EXPECT_EQ(Clipboard()->AsText(), u"");  // the in-process clipboard again
}

TEST_F(WindowBackendTest, TheScreenIsTheDisplay) {
  SDL_DisplayMode mode;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
  EXPECT_EQ(Screen()->Width(), mode.w);
  EXPECT_EQ(Screen()->Height(), mode.h);
  EXPECT_EQ(Screen()->PixelsPerInch(), 96);
  Application->UseHeadlessBackend();
  EXPECT_EQ(Screen()->Width(), DesktopWidth);
}

TEST_F(WindowBackendTest, ABoxTheDesktopCannotShowIsAFormThatNeverAnswersYesByItself) {
  if (!Offscreen()) GTEST_SKIP() << "a real display would show the box and wait for a person";
  TScriptedUser user;
  bool shown = false;
  user.WhenModalShows([&](TForm* box) { shown = platform_detail::WindowBackend().NativeWindow(box) != nullptr; });
  EXPECT_EQ(MessageDlg(u"Save?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);  // nobody pressed a button
  EXPECT_TRUE(shown);
  user.AnswerNextBox(mrNo);  // scripted answers keep working with windows
  EXPECT_EQ(MessageDlg(u"Save?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  ASSERT_EQ(user.MessageLog().size(), 2u);
  EXPECT_EQ(user.MessageLog()[1].Answer, mrNo);
}

TEST_F(WindowBackendTest, TheCursorOverAControlIsItsSystemOrColourCursor) {
  if (Offscreen()) GTEST_SKIP() << "SDL's offscreen driver has no mouse cursors";
  TForm form(nullptr);
  TSample hand(&form, &form, Rect(0, 0, 50, 50));
  TSample beam(&form, &form, Rect(60, 0, 110, 50));
  constexpr TCursor kHand = 7;
  Screen()->SetCursors(kHand, LoadCursorFromResource(u"CURHAND"));
  hand.SetCursor(kHand);
  beam.SetCursor(crIBeam);
  form.Show();
  Application->ProcessMessages();
  SDL_Cursor* shown[2] = {};
  for (int i = 0; i < 2; ++i) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = IdOf(&form);
    e.motion.x = i == 0 ? 20 : 80;
    e.motion.y = 20;
    SDL_PushEvent(&e);
    Application->ProcessMessages();
    shown[i] = SDL_GetCursor();
  }
  Screen()->SetCursors(kHand, nullptr);
  EXPECT_NE(shown[0], nullptr);
  EXPECT_NE(shown[0], SDL_GetDefaultCursor());
  EXPECT_NE(shown[1], shown[0]);
  EXPECT_NE(shown[1], SDL_GetDefaultCursor());
}

TEST(SdlTranslation, KeysMapToTheVirtualKeysAndCharactersOfTheScriptedKeyboard) {
  struct Case {
    SDL_Keycode sdl;
    Word vk;
  };
  const Case cases[] = {{SDLK_a, VK_A},         {SDLK_z, VK_Z},           {SDLK_0, VK_0},         {SDLK_F1, VK_F1},
                        {SDLK_F24, VK_F24},     {SDLK_RETURN, VK_RETURN}, {SDLK_LSHIFT, VK_SHIFT}, {SDLK_RCTRL, VK_CONTROL},
                        {SDLK_LALT, VK_MENU},   {SDLK_KP_5, VK_NUMPAD5},  {SDLK_KP_0, VK_NUMPAD0}, {SDLK_SEMICOLON, VK_OEM_1},
                        {SDLK_QUOTE, VK_OEM_7}, {SDLK_PAGEUP, VK_PRIOR},  {SDLK_MODE, 0}};
  for (const Case& c : cases) EXPECT_EQ(platform_detail::VirtualKeyOfSdl(c.sdl), c.vk) << SDL_GetKeyName(c.sdl);
  EXPECT_EQ(platform_detail::ControlCharOfKey(VK_RETURN, {ssShift}), u'\r');
  EXPECT_EQ(platform_detail::ControlCharOfKey(VK_TAB, {}), u'\t');
  EXPECT_EQ(platform_detail::ControlCharOfKey(VK_TAB, {ssShift}), 0);
  EXPECT_EQ(platform_detail::ControlCharOfKey(VK_C, {ssCtrl}), 3);
  EXPECT_EQ(platform_detail::ControlCharOfKey(VK_C, {ssAlt}), 0);
  EXPECT_EQ(platform_detail::ShiftOfSdl(KMOD_RSHIFT | KMOD_LCTRL), (TShiftState{ssShift, ssCtrl}));
}

TEST(SdlTranslation, StandardCursorsHaveSystemShapesAndBoxesTheirButtons) {
  EXPECT_EQ(platform_detail::SystemCursorOf(crIBeam), SDL_SYSTEM_CURSOR_IBEAM);
  EXPECT_EQ(platform_detail::SystemCursorOf(crHourGlass), SDL_SYSTEM_CURSOR_WAIT);
  EXPECT_EQ(platform_detail::SystemCursorOf(crHandPoint), SDL_SYSTEM_CURSOR_HAND);
  EXPECT_EQ(platform_detail::SystemCursorOf(crDefault), SDL_SYSTEM_CURSOR_ARROW);
  const auto buttons = platform_detail::BoxButtons({mbYes, mbNo, mbCancel}, mrNo);
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(buttons[0].buttonid, mrYes);
  EXPECT_EQ(buttons[1].buttonid, mrNo);
  EXPECT_EQ(buttons[1].flags, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
  EXPECT_EQ(buttons[2].flags, SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
  const auto ok = platform_detail::BoxButtons({}, mrOk);
  ASSERT_EQ(ok.size(), 1u);
  EXPECT_EQ(ok[0].flags, SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
}

#else

TEST(WindowBackendTest, DesktopWindows) { GTEST_SKIP() << "built without SDL2 (QELTA_WITH_SDL is OFF): no window backend"; }

#endif  // QELTA_WITH_SDL

}  // namespace
