// The gallery: renders what the library draws into PNG files with an index page. Until the
// graphics land it reports the library's version and the state of each subsystem.
#include <cstdio>
#include <filesystem>

#include "Qelta_qeltamap.h"
#include "Qelta_qeltamol.h"
#include "Qelta_qeltanum.h"
#include "Qelta_qeltaplot.h"
#include "Qelta_qeltactl.h"
#include "Encoding.h"
#include "Forms.h"
#include "Testing.h"
#include "Version.h"

namespace {

/// A form with a label, a gauge and a lamp, shown headless and saved as the scripted user sees it.
void SaveSampleForm(const std::filesystem::path& out) {
  using namespace qelta;
  struct Label : TGraphicControl {
    using TGraphicControl::TGraphicControl;
    void Paint() override {
      Canvas()->Brush()->SetStyle(bsClear);
      Canvas()->TextOut(0, 0, Caption());
    }
  };
  struct Gauge : TCustomControl {
    using TCustomControl::TCustomControl;
    void Paint() override {
      Canvas()->Brush()->SetColor(clWhite);
      Canvas()->Pen()->SetColor(clGray);
      Canvas()->Rectangle(ClientRect());
      Canvas()->Brush()->SetColor(clNavy);
      Canvas()->FillRect(Rect(2, 2, 2 + (Width() - 4) * 65 / 100, Height() - 2));
    }
  };
  struct Lamp : TGraphicControl {
    using TGraphicControl::TGraphicControl;
    void Paint() override {
      Canvas()->Brush()->SetColor(clLime);
      Canvas()->Ellipse(ClientRect());
    }
  };
  TScriptedUser user;
  TForm form(nullptr);
  form.SetBounds(0, 0, 240, 80);
  auto place = [&form](TControl* c, TRect r) {
    c->SetBoundsRect(r);
    c->SetParent(&form);
  };
  auto* label = new Label(&form);
  label->SetCaption(u"Pressure 65 %");
  place(label, Rect(12, 10, 200, 26));
  place(new Gauge(&form), Rect(12, 34, 190, 54));
  place(new Lamp(&form), Rect(202, 32, 226, 56));
  user.Show(&form);
  user.SavePng(&form, Utf8ToString((out / "platform_form.png").string()));
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path out = argc > 1 ? argv[1] : "gallery";
  std::filesystem::create_directories(out);
  std::printf("qelta %s\n", qelta::QeltaVersion());
  struct Row { const char* library; const char* state; };
  const Row rows[] = {
      {"qeltaplatform", "core: strings, number text, dates, object model"},
      {"qeltacore", "shared types, constants and tables"},
      {qelta::LibraryName_qeltanum(), "not yet built"},
      {qelta::LibraryName_qeltaplot(), "not yet built"},
      {qelta::LibraryName_qeltactl(), "not yet built"},
      {qelta::LibraryName_qeltamap(), "not yet built"},
      {qelta::LibraryName_qeltamol(), "not yet built"},
  };
  for (const Row& r : rows) std::printf("  %-14s %s\n", r.library, r.state);
  SaveSampleForm(out);
  std::printf("gallery folder: %s (pictures arrive with the graphics)\n", out.string().c_str());
  return 0;
}
