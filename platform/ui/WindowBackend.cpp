// Choosing where the forms are shown: headless (the default) or desktop windows.

#include "WindowBackend.h"

#include <cstdlib>
#include <string_view>
#include <utility>

#include "AppState.h"
#include "Clipbrd.h"
#include "Dialogs.h"
#include "Screen.h"

namespace qelta {

platform_detail::TWindowBackend& platform_detail::WindowBackend() { return *AppState().Backend; }

void platform_detail::ChooseBackendFromEnvironment() {
  auto& s = AppState();
  if (s.BackendChosen) return;
  s.BackendChosen = true;
  const char* chosen = std::getenv("QELTA_BACKEND");
  if (chosen != nullptr && std::string_view(chosen) == "sdl") Application->UseWindowBackend();
}

namespace {

/// Closes a window backend: the services it installed go first (they talk to the display it closes).
void CloseBackend(std::unique_ptr<platform_detail::TWindowBackend> backend) {
  SetClipboard(nullptr);
  SetDialogService(nullptr);
  backend.reset();
  Screen()->SetSize(DesktopWidth, DesktopHeight);
}

}  // namespace

void TApplication::UseWindowBackend() {
  auto& s = *FState;
  s.BackendChosen = true;
  if (s.Backend->Live()) return;
  std::unique_ptr<platform_detail::TWindowBackend> backend = platform_detail::MakeSdlBackend();
  try {
    for (TForm* form : s.Forms)  // bottom first, so the windows stack as the forms do
      if (form->Visible()) backend->FormShown(form);
  } catch (...) {
    CloseBackend(std::move(backend));
    throw;
  }
  s.Backend = std::move(backend);
  s.Unpresented = true;
}

void TApplication::UseHeadlessBackend() {
  auto& s = *FState;
  if (!s.Backend->Live()) return;
  CloseBackend(std::exchange(s.Backend, std::make_unique<platform_detail::TWindowBackend>()));
}

bool TApplication::WindowBackendActive() const { return FState->Backend->Live(); }

#ifndef QELTA_WITH_SDL
std::unique_ptr<platform_detail::TWindowBackend> platform_detail::MakeSdlBackend() {
  throw EOSError("No window backend: the library was built without SDL2 (QELTA_WITH_SDL is OFF)");
}
#endif

}  // namespace qelta
