#pragma once
// Tests of forms as desktop windows, for the tests of every library: the window backend on SDL's
// offscreen driver unless the run names another display (an Xvfb server), headless again afterwards.

#include <gtest/gtest.h>

#include <cstdlib>

#include "Forms.h"
#include "Exceptions.h"

#ifdef QELTA_WITH_SDL
#include <SDL.h>
#endif

namespace qelta::testing {

/// Starts the window backend for each test and skips the test when no display can be had.
class TWindowBackendFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    try {
      Application->UseWindowBackend();
    } catch (const EOSError& e) {
      GTEST_SKIP() << "no display for the window backend: " << e.what();
    }
  }
  void TearDown() override { Application->UseHeadlessBackend(); }
};

#ifdef QELTA_WITH_SDL
/// A press (down) or release of the left button at a client point of the SDL window, as SDL delivers it.
inline void PushLeftButton(Uint32 windowId, bool down, int x, int y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.windowID = windowId;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
}
#endif

}  // namespace qelta::testing
