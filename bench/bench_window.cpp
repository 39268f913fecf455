// Desktop windows (the SDL backend): frames per second of a 1000 x 700 form whose scale and gauge
// change on every timer tick (the tick's handler, the coalesced paint and the present), beside the bare
// present of a 1000 x 700 frame through SDL (one copy into the window surface and its update); and the
// latency from an SDL mouse event to the control's OnMouseDown (the press pushed, the loop stepped until
// the handler runs), beside SDL's own push and poll of the event. Runs on the display in DISPLAY, else on SDL's offscreen driver; the counter fps is ours.

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Forms.h"
#include "Qelta_Gauge.h"
#include "Qelta_Scale.h"
#include "SideBySide.h"
#include "WindowBackend.h"

namespace {

using namespace qelta;

constexpr int kWidth = 1000, kHeight = 700;

bool StartWindows(benchmark::State& state) {
  if (std::getenv("DISPLAY") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 0);
  try {
    Application->UseWindowBackend();
    return true;
  } catch (const EOSError& e) {
    state.SkipWithError(e.what());
    return false;
  }
}

SDL_Window* WindowOf(const TForm* form) { return static_cast<SDL_Window*>(platform_detail::WindowBackend().NativeWindow(form)); }

/// The bare present: a frame copied into the window surface and shown.
void PresentFrame(SDL_Window* window, const std::vector<uint32_t>& frame) {
  SDL_Surface* s = SDL_GetWindowSurface(window);
  for (int y = 0; y < kHeight && y < s->h; ++y)
    std::memcpy(static_cast<uint8_t*>(s->pixels) + static_cast<std::ptrdiff_t>(y) * s->pitch,
                frame.data() + static_cast<std::ptrdiff_t>(y) * kWidth, static_cast<std::size_t>(std::min(kWidth, s->w)) * 4);
  SDL_UpdateWindowSurface(window);
}

void BM_ScaleAndGaugeFrame_vs_BarePresent(benchmark::State& state) {
  if (!StartWindows(state)) return;
  {
    TForm form(nullptr);
    form.SetBounds(0, 0, kWidth, kHeight);
    auto* scale = new TScale(&form);
    scale->SetParent(&form);
    scale->SetBounds(20, 20, 960, 300);
    auto* gauge = new TScaleGauge(&form);
    gauge->SetParent(&form);
    gauge->SetBounds(20, 360, 960, 300);
    form.Show();
    Application->ProcessMessages();
    SDL_Window* bare = SDL_CreateWindow("anchor", 0, 0, kWidth, kHeight, SDL_WINDOW_SHOWN);
    std::vector<uint32_t> frame(static_cast<std::size_t>(kWidth) * kHeight, 0xFF336699u);
    int tick = 0;
    qelta::bench::RunSideBySide(
        state,
        [&] {  // one timer tick: the handler changes both, the loop paints once and presents
          ++tick;
          gauge->SetValue(-5 + (tick % 150) * 0.1);
          scale->SetRange(0, 10 + tick % 7);
          Application->ProcessMessages();
        },
        [&] { PresentFrame(bare, frame); });
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    SDL_DestroyWindow(bare);
  }
  Application->UseHeadlessBackend();
}
BENCHMARK(BM_ScaleAndGaugeFrame_vs_BarePresent)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_EventToHandler_vs_SdlPushPoll(benchmark::State& state) {
  if (!StartWindows(state)) return;
  {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* target = new TCustomControl(&form);
    target->SetParent(&form);
    target->SetAlign(alClient);
    int downs = 0;
    std::chrono::steady_clock::time_point reached;
    target->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
      reached = std::chrono::steady_clock::now();
      ++downs;
    };
    form.Show();
    Application->ProcessMessages();
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.windowID = SDL_GetWindowID(WindowOf(&form));
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    SDL_Event up = e;
    up.type = SDL_MOUSEBUTTONUP;
    up.button.state = SDL_RELEASED;
    qelta::bench::TSideBySide t;
    int i = 0;
    for (auto _ : state) {
      // Ours: from the push to the moment the handler runs (the paint and present after it are not counted).
      e.button.x = up.button.x = (i++ * 7) % 190;  // a new place each time: no double click
      const int before = downs;
      const auto t0 = std::chrono::steady_clock::now();
      SDL_PushEvent(&e);
      while (downs == before) Application->HandleMessage();
      const double ours = std::chrono::duration<double>(reached - t0).count();
      SDL_PushEvent(&up);
      Application->ProcessMessages();
      const double anchor = qelta::bench::Seconds([&] {
        SDL_Event got;
        SDL_PushEvent(&e);
        while (SDL_PollEvent(&got) == 0) {
        }
      });
      t.Add(state, ours, anchor);
    }
    t.Report(state);
  }
  Application->UseHeadlessBackend();
}
BENCHMARK(BM_EventToHandler_vs_SdlPushPoll)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace
