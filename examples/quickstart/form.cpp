// Quick start 3: a form run by the scripted user, headless: a click on the scale asks a question,
// the script answers it, and the form's pixels are saved.
#include <cstdio>

#include <qelta/Dialogs.h>
#include <qelta/Forms.h>
#include <qelta/Qelta_Scale.h>
#include <qelta/Testing.h>

using namespace qelta;

int main() {
  TScriptedUser user;                    // virtual clock, clean input, logged message boxes
  user.SetStrict(true);                  // an unscripted question would raise instead of guessing
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 120);
  auto* scale = new TScale(&form);       // owned (and freed) by the form
  scale->SetParent(&form);
  scale->SetAlign(alClient);
  scale->SetCaption(u"pressure / kPa");
  scale->SetCaptionAnchor(uaSclCenter);
  scale->OnClick = [scale](TObject*) {
    if (MessageDlg(u"Zoom to 0..10?", mtConfirmation, {mbYes, mbNo}, 0) == mrYes) scale->SetRange(0, 10);
  };
  user.Show(&form);
  user.AnswerNextBox(mrYes);
  user.Click(scale, 200, 60);
  user.SavePng(&form, u"form.png");
  std::printf("asked %zu question(s); range now %g..%g; form.png written\n", user.MessageLog().size(),
              scale->RangeLow(), scale->RangeHigh());
  return scale->RangeHigh() == 10 ? 0 : 1;
}
