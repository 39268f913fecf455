// A program with a form in a desktop window and a question over it, waiting for an answer; the question
// is a modal form of the platform's widgets where the desktop cannot show SDL's own box.
// DisplayLossTest.sh ends the X server under it. Says "asking" when it puts the question.

#include <cstdio>

#include "Dialogs.h"
#include "Forms.h"

int main() {
  using namespace qelta;
  Application->UseWindowBackend();
  TForm* form = Application->CreateForm<TForm>();
  form->SetBounds(40, 40, 320, 200);
  form->SetCaption(u"Probe");
  form->Show();
  Application->ProcessMessages();
  std::puts("asking");
  std::fflush(stdout);
  MessageDlg(u"Delete?", mtConfirmation, {mbYes, mbNo}, 0);
  Application->Run();
  return 0;
}
