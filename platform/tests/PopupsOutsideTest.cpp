// Popups close when the user clicks outside the program or another program takes the focus, and the
// click reaches no control. The same runs twice: headless, where the scripted user clicks outside and
// switches programs, and on an X display (Xvfb), where another X client lies over a control of ours,
// clicks its own window through XTest and takes the focus.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "AppState.h"
#include "ComboBoxes.h"
#include "Menus.h"
#include "Popups.h"
#include "SampleControls.h"
#include "Testing.h"
#include "WindowBackend.h"
#include "WindowBackendTesting.h"

#ifdef QELTA_WITH_SDL
#include <SDL.h>
#include <SDL_syswm.h>

#include "SdlBackend.h"
#endif
#ifdef QELTA_WITH_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#endif

using namespace qelta;
using qelta::sample::TSample;

namespace {

enum TPopupKind { pkMenu, pkComboList };
enum TOutsideAction { oaClick, oaOtherProgramTakesFocus };

/// Whoever acts outside the program. Act returns once the program's queue holds the news.
class TOutside {
 public:
  virtual ~TOutside() = default;
  virtual void Act(TOutsideAction action) = 0;
};

class TScriptedOutside final : public TOutside {
 public:
  explicit TScriptedOutside(TScriptedUser& user) : FUser(user) {}
  void Act(TOutsideAction action) override {
    if (action == oaClick) FUser.ClickOutside();
    else FUser.SwitchToOtherProgram();
  }

 private:
  TScriptedUser& FUser;
};

/// A form with a control under where the other program's window will be, a popup menu and a combo box.
struct TOutsideFixture {
  TForm form{nullptr};
  TSample* trap = new TSample(&form, &form, Rect(20, 120, 140, 180));
  TComboBox* combo = new TComboBox(&form);
  TPopupMenu* menu = new TPopupMenu(&form);
  std::vector<std::string> log;

  TOutsideFixture() {
    form.SetBounds(100, 100, 320, 200);
    combo->SetParent(&form);
    combo->SetBounds(10, 10, 150, 0);
    combo->SetStyle(csDropDownList);
    for (const char16_t* s : {u"low", u"mid", u"high"}) combo->Items()->Add(s);
    combo->SetItemIndex(1);
    combo->OnCloseUp = [this](TObject*) { log.push_back("closeup"); };
    combo->OnChange = [this](TObject*) { log.push_back("change"); };
    for (const char16_t* caption : {u"Copy", u"Paste"}) {
      auto* item = new TMenuItem(nullptr);
      item->SetCaption(caption);
      item->OnClick = [this, caption](TObject*) { log.push_back(sample::Narrow(caption)); };
      menu->Items()->Add(item);
    }
  }
  /// The screen rectangle of the trap, where the other program's window goes.
  TRect TrapOnScreen() const {
    const TPoint at = trap->ClientToScreen(Point(0, 0));
    return Bounds(at.X, at.Y, trap->Width(), trap->Height());
  }
  bool TrapWasPressed() const {
    return std::any_of(trap->log.begin(), trap->log.end(), [](const std::string& e) { return e.find("down") == 0; });
  }
};

/// Opens the popup, acts outside, and checks that it closed cancelled and the press went nowhere.
void ExpectClosedByOutside(TScriptedUser& user, TOutside& outside, TOutsideFixture& f, TPopupKind kind,
                           TOutsideAction action) {
  if (kind == pkMenu) {
    user.WhenPopupShows([&](TPopupWindow*) {
      outside.Act(action);
      // Were the menu still open, these would choose Copy.
      user.PressKey(VK_DOWN);
      user.PressKey(VK_RETURN);
    });
    f.menu->Popup(f.form.Left() + 200, f.form.Top() + 20);
  } else {
    user.Click(f.combo, f.combo->Width() - 5, 5);
    ASSERT_TRUE(f.combo->DroppedDown());
    outside.Act(action);
  }
  user.Process();
  EXPECT_EQ(user.OpenPopup(), nullptr);
  EXPECT_FALSE(f.combo->DroppedDown());
  EXPECT_EQ(f.combo->ItemIndex(), 1);
  EXPECT_EQ(f.log, kind == pkMenu ? std::vector<std::string>{} : std::vector<std::string>{"closeup"});
  EXPECT_FALSE(f.TrapWasPressed()) << "the press that closed the popup reached a control";
}

struct TCase {
  TPopupKind kind;
  TOutsideAction action;
};
const TCase kCases[] = {{pkMenu, oaClick}, {pkMenu, oaOtherProgramTakesFocus}, {pkComboList, oaClick},
                        {pkComboList, oaOtherProgramTakesFocus}};

std::string CaseName(const ::testing::TestParamInfo<TCase>& info) {
  return std::string(info.param.kind == pkMenu ? "Menu" : "ComboList") +
         (info.param.action == oaClick ? "ClickOutside" : "OtherProgramTakesFocus");
}

class PopupsOutside : public ::testing::TestWithParam<TCase> {};

TEST_P(PopupsOutside, ClosesThePopupCancelledAndNoControlGetsThePress) {
  TScriptedUser user;
  TOutsideFixture f;
  user.Show(&f.form);
  TScriptedOutside outside(user);
  ExpectClosedByOutside(user, outside, f, GetParam().kind, GetParam().action);
}

INSTANTIATE_TEST_SUITE_P(Headless, PopupsOutside, ::testing::ValuesIn(kCases), CaseName);

TEST(PopupsOutsideScripted, AClickOutsideWithoutPopupsReachesNoControlAndLeavesThePointerOffTheForms) {
  TScriptedUser user;
  TOutsideFixture f;
  user.Show(&f.form);
  user.MoveTo(f.trap, 5, 5);
  user.ClickOutside(mbRight);
  user.SwitchToOtherProgram();
  EXPECT_EQ(f.trap->log.back(), "leave");
  for (const std::string& entry : f.trap->log) EXPECT_NE(entry.rfind("up", 0), 0u) << entry;
  EXPECT_FALSE(f.TrapWasPressed());
  EXPECT_EQ(GetCursorPos(), platform_detail::kOffTheForms);
}

#if defined(QELTA_WITH_SDL) && defined(QELTA_WITH_XTEST)

/// Another program on the X display: a window of its own over `over` (screen coordinates), a click on
/// it through XTest, and taking the focus for it.
class TOtherXClient final : public TOutside {
 public:
  explicit TOtherXClient(const TRect& over) : FDisplay(XOpenDisplay(nullptr)) {
    if (FDisplay == nullptr) return;
    FWindow = XCreateSimpleWindow(FDisplay, DefaultRootWindow(FDisplay), over.Left, over.Top,
                                  static_cast<unsigned>(over.Width()), static_cast<unsigned>(over.Height()), 0, 0,
                                  0x336699);
    XMapRaised(FDisplay, FWindow);
    XSync(FDisplay, False);
    FCentre = Point((over.Left + over.Right) / 2, (over.Top + over.Bottom) / 2);
  }
  ~TOtherXClient() override {
    if (FDisplay != nullptr) XCloseDisplay(FDisplay);
  }
  TOtherXClient(const TOtherXClient&) = delete;
  TOtherXClient& operator=(const TOtherXClient&) = delete;
  bool Connected() const { return FDisplay != nullptr; }
  /// A real click of the left button at the screen point, wherever it is.
  void Click(TPoint at) {
    XTestFakeMotionEvent(FDisplay, -1, at.X, at.Y, CurrentTime);
    XTestFakeButtonEvent(FDisplay, 1, True, CurrentTime);
    XTestFakeButtonEvent(FDisplay, 1, False, CurrentTime);
    XSync(FDisplay, False);
  }

  void Act(TOutsideAction action) override {
    if (action == oaClick) {
      Click(FCentre);
      EXPECT_TRUE(PumpUntil([] { return Queued(WM_LBUTTONUP); })) << "the click outside never reached the program";
    } else {
      HoldTheFocus();
      XSetInputFocus(FDisplay, FWindow, RevertToParent, CurrentTime);
      XSync(FDisplay, False);
      EXPECT_TRUE(PumpUntil([] { return Queued(WM_CANCELMODE); })) << "the program never heard of the focus loss";
    }
  }

 public:
  static bool Queued(Cardinal msg) {
    const auto& queue = Application->State().Queue;
    return std::any_of(queue.begin(), queue.end(), [msg](const auto& m) { return m.Input && m.Msg.Msg == msg; });
  }
  /// Makes sure the program holds the keyboard in the open popup's window (else the active form's)
  /// before another program takes it: a focus it never had cannot be lost. Its own requests, the focus
  /// that showing a window asks for without a window manager among them, reach the display first, or
  /// they would take the focus back after the other program's request; and SDL has settled the focus
  /// (it reports a change only once it has held for a moment).
  static void HoldTheFocus() {
    const auto& popups = TPopupWindow::OpenPopups();
    TForm* holder = popups.empty() ? Application->ActiveForm() : popups.back();
    auto* window = static_cast<SDL_Window*>(platform_detail::WindowBackend().NativeWindow(holder));
    ASSERT_NE(window, nullptr);
    if (SDL_GetKeyboardFocus() != window) SDL_SetWindowInputFocus(window);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(window, &info));
    XSync(info.info.x11.display, False);
    ASSERT_TRUE(PumpUntil([window] { return SDL_GetKeyboardFocus() == window; })) << "the program never had the keys";
  }
  /// Moves the desktop's events into the queue (without running them) until `done`, for up to 5 s.
  template <class Done>
  static bool PumpUntil(Done done) {
    for (int waited = 0; waited < 5000; waited += 5) {
      platform_detail::WindowBackend().PumpEvents();
      if (done()) return true;
      SDL_Delay(5);
    }
    return false;
  }

 private:
  Display* FDisplay = nullptr;
  Window FWindow = 0;
  TPoint FCentre;
};

/// The form shown as a window on an X display, and another X client's window over its trap.
class WindowBackendPopups : public qelta::testing::TWindowBackendFixture {
 protected:
  void SetUp() override {
    TWindowBackendFixture::SetUp();
    if (IsSkipped()) return;
    if (std::string(SDL_GetCurrentVideoDriver()) != "x11") GTEST_SKIP() << "needs an X display (the Xvfb run)";
    user = std::make_unique<TScriptedUser>();
    f = std::make_unique<TOutsideFixture>();
    user->Show(&f->form);
    other = std::make_unique<TOtherXClient>(f->TrapOnScreen());
    ASSERT_TRUE(other->Connected());
  }
  void TearDown() override {
    other.reset();
    f.reset();
    user.reset();
    TWindowBackendFixture::TearDown();
  }
  std::unique_ptr<TScriptedUser> user;
  std::unique_ptr<TOutsideFixture> f;
  std::unique_ptr<TOtherXClient> other;
};

class DesktopPopupsOutside : public WindowBackendPopups, public ::testing::WithParamInterface<TCase> {};

TEST_P(DesktopPopupsOutside, ClosesThePopupCancelledAndNoControlGetsThePress) {
  ExpectClosedByOutside(*user, *other, *f, GetParam().kind, GetParam().action);
}

// Named for the Xvfb run's filter (WindowBackend*).
INSTANTIATE_TEST_SUITE_P(WindowBackend, DesktopPopupsOutside, ::testing::ValuesIn(kCases), CaseName);

TEST(SdlTranslation, RawPressesOfButtonsCountAndWheelStepsDoNot) {
  struct Case {
    int subsystem, evtype, button;
    bool counts;
  };
  const Case cases[] = {{SDL_SYSWM_X11, XI_RawButtonPress, 1, true},     {SDL_SYSWM_X11, XI_RawButtonPress, 3, true},
                        {SDL_SYSWM_X11, XI_RawButtonPress, 8, true},     {SDL_SYSWM_X11, XI_RawButtonPress, 4, false},
                        {SDL_SYSWM_X11, XI_RawButtonPress, 7, false},    {SDL_SYSWM_X11, XI_RawButtonRelease, 1, false},
                        {SDL_SYSWM_WAYLAND, XI_RawButtonPress, 1, false}};
  for (const Case& c : cases) {
    XIRawEvent raw{};
    raw.evtype = c.evtype;
    raw.detail = c.button;
    SDL_SysWMmsg msg{};
    msg.subsystem = static_cast<SDL_SYSWM_TYPE>(c.subsystem);
    msg.msg.x11.event.xcookie.type = GenericEvent;
    msg.msg.x11.event.xcookie.evtype = c.evtype;
    msg.msg.x11.event.xcookie.data = &raw;
    EXPECT_EQ(platform_detail::IsRawButtonPress(msg), c.counts) << c.evtype << " button " << c.button;
  }
}

TEST_F(WindowBackendPopups, ARealClickInTheListChoosesAndTheKeysComeBackToTheForm) {
  user->Click(f->combo, f->combo->Width() - 5, 5);
  TPopupWindow* list = user->OpenPopup();
  ASSERT_NE(list, nullptr);
  TRect entry;
  ASSERT_TRUE(list->EntryRect(u"high", entry));
  other->Click(list->ClientToScreen(Point((entry.Left + entry.Right) / 2, (entry.Top + entry.Bottom) / 2)));
  EXPECT_TRUE(TOtherXClient::PumpUntil([] { return TOtherXClient::Queued(WM_LBUTTONUP); }));
  user->Process();
  EXPECT_EQ(user->OpenPopup(), nullptr);
  EXPECT_EQ(f->combo->ItemIndex(), 2);  // a press in the program's own popup is no press outside
  EXPECT_EQ(f->log, (std::vector<std::string>{"closeup", "change"}));
  // Without a window manager the closed list had the focus: it goes back to the form's window.
  SDL_Window* formWindow = static_cast<SDL_Window*>(platform_detail::WindowBackend().NativeWindow(&f->form));
  EXPECT_TRUE(TOtherXClient::PumpUntil([&] { return SDL_GetKeyboardFocus() == formWindow; }));
}

#endif

}  // namespace
