// Quick start 4: a form with a scale and a gauge as a desktop window; a timer moves the gauge.
// `window picture.png` saves the window's first picture instead and ends (how the README's is made).
#include <cstdio>

#include <qelta/Encoding.h>
#include <qelta/Forms.h>
#include <qelta/Qelta_Gauge.h>
#include <qelta/Qelta_Scale.h>

using namespace qelta;

int main(int argc, char** argv) {
  try {
    Application->UseWindowBackend();                      // EOSError (naming the cause) without a display
  } catch (const EOSError& e) {
    std::fprintf(stderr, "window: %s\n", e.what());
    return 1;
  }
  TForm* form = Application->CreateForm<TForm>();         // the main form: closing its window ends Run
  form->SetBounds(100, 100, 420, 170);
  form->SetCaption(u"Pressure");
  auto* scale = new TScale(form);  scale->SetParent(form);  scale->SetBounds(10, 10, 400, 60);
  auto* gauge = new TScaleGauge(form);  gauge->SetParent(form);  gauge->SetBounds(10, 85, 400, 75);
  auto* timer = new TTimer(form);  timer->SetInterval(50);
  timer->OnTimer = [gauge](TObject*) { gauge->SetValue(gauge->Value() >= 10 ? -5 : gauge->Value() + 0.1); };
  if (argc > 1) {                                         // the picture: shown and painted, before any tick
    timer->SetEnabled(false);
    form->Show();
    Application->ProcessMessages();
    form->Surface()->SaveToFile(Utf8ToString(argv[1]));
    return 0;
  }
  Application->Run();
}
