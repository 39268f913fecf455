#pragma once
// Tests of forms as desktop windows, for the tests of every library: the window backend on SDL's
// offscreen driver unless the run names another display (an Xvfb server), headless again afterwards.

#include <gtest/gtest.h>

#include <cstdlib>

#include "Forms.h"
#include "Exceptions.h"

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

}  // namespace qelta::testing
