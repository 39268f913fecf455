#include "Dialogs.h"

#include <vector>

#include "ColorDialogForm.h"
#include "Forms.h"
#include "SaveDialogForm.h"
#include "SysUtils.h"

namespace qelta {

namespace {

uint32_t gLastDialogError = 0;

// Never destroyed: an error shown while the forms are released at exit, and the window backend
// closing then, still find it.
std::unique_ptr<TDialogService>& ServiceSlot() {
  static auto* service = new std::unique_ptr<TDialogService>(std::make_unique<THeadlessDialogs>());
  return *service;
}

/// Answers of the buttons of a MessageBox style, in the order the box shows them.
std::vector<int> AnswersOfStyle(uint32_t flags) {
  switch (flags & 0x0F) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

TMsgDlgButtons ButtonsOfAnswers(const std::vector<int>& answers) {
  TMsgDlgButtons set;
  for (int a : answers) {
    static constexpr TMsgDlgBtn byAnswer[] = {mbOK, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbYes, mbNo};
    set.Include(byAnswer[a]);
  }
  return set;
}

/// The default button of a MessageBox: MB_DEFBUTTON1..3 counts in box order.
int DefaultOfStyle(uint32_t flags) {
  const std::vector<int> answers = AnswersOfStyle(flags);
  const std::size_t n = (flags >> 8) & 0x0F;
  return answers[n < answers.size() ? n : 0];
}

/// Modal result of a button (mbHelp answers nothing).
TModalResult ResultOf(TMsgDlgBtn b) {
  static constexpr TModalResult results[] = {mrYes, mrNo,  mrOk,      mrCancel,   mrAbort, mrRetry,
                                             mrIgnore, mrAll, mrNoToAll, mrYesToAll, mrNone};
  return results[b];
}

const char16_t* CaptionOf(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return u"Warning";
    case mtError: return u"Error";
    case mtInformation: return u"Information";
    case mtConfirmation: return u"Confirm";
    default: return u"";
  }
}

}  // namespace

int THeadlessDialogs::Answer(const String& text, const String& /*caption*/, TMsgDlgButtons offered,
                              int defaultAnswer) {
  // A box with nothing to choose keeps the script for the next question.
  const bool onlyOk = offered.Empty() || offered == TMsgDlgButtons{mbOK};
  if (onlyOk) return mrOk;
  if (!FAnswers.empty()) {
    const int a = FAnswers.front();
    FAnswers.pop_front();
    for (int b = mbYes; b <= mbYesToAll; ++b)
      if (offered.Contains(static_cast<TMsgDlgBtn>(b)) && ResultOf(static_cast<TMsgDlgBtn>(b)) == a) return a;
    throw EUnscripted(u"The scripted answer " + IntToStr(a) + u" is not a button of the box \"" + text + u"\"");
  }
  if (FStrict) throw EUnscripted(u"Unscripted question: \"" + text + u"\"");
  return offered.Contains(mbOK) ? mrOk : defaultAnswer;
}

namespace {

// Logs the box; raises what Answer raised after the entry is in the log (answer mrNone).
template <typename AnswerFn>
int LoggedAnswer(std::vector<TDialogLogEntry>& log, TDialogLogEntry entry, AnswerFn answer) {
  try {
    entry.Answer = answer();
  } catch (const EUnscripted&) {
    entry.Answer = mrNone;
    log.push_back(std::move(entry));
    throw;
  }
  log.push_back(entry);
  return entry.Answer;
}

}  // namespace

int THeadlessDialogs::MessageBox(const String& Text, const String& Caption, uint32_t Flags) {
  const TMsgDlgButtons buttons = ButtonsOfAnswers(AnswersOfStyle(Flags));
  return LoggedAnswer(FLog, {u"MessageBox", Text, Caption, Flags, buttons, 0},
                      [&] { return Answer(Text, Caption, buttons, DefaultOfStyle(Flags)); });
}

TModalResult THeadlessDialogs::MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                                          int /*HelpCtx*/) {
  // The box shows its buttons in the order of the enumeration; the first is the default one.
  int first = mrOk;
  for (int b = mbYesToAll; b >= mbYes; --b)
    if (Buttons.Contains(static_cast<TMsgDlgBtn>(b))) first = ResultOf(static_cast<TMsgDlgBtn>(b));
  return LoggedAnswer(FLog, {u"MessageDlg", Msg, CaptionOf(DlgType), DlgType, Buttons, 0},
                      [&] { return Answer(Msg, CaptionOf(DlgType), Buttons, first); });
}

void THeadlessDialogs::ShowMessage(const String& Msg) {
  FLog.push_back({u"ShowMessage", Msg, String(), 0, {mbOK}, mrOk});
}

void THeadlessDialogs::Beep(uint32_t Type) { FLog.push_back({u"MessageBeep", String(), String(), Type, {}, 0}); }

TCommonDialogAnswer THeadlessDialogs::RunCommonDialog(TCommonDialog& Dialog) {
  TCommonDialogAnswer answer = TCommonDialogAnswer::Cancel();
  auto script = FDialogAnswers.find(Dialog.DialogKind());
  if (script != FDialogAnswers.end() && !script->second.empty()) {
    answer = script->second.front();
    script->second.pop_front();
  } else if (FDialogForms || Application->WindowBackendActive()) {
    answer = Dialog.RunForm();
  }
  const int logged = answer.Outcome == TCommonDialogAnswer::cdConfirmed   ? mrOk
                     : answer.Outcome == TCommonDialogAnswer::cdCancelled ? mrCancel
                                                                          : 0;
  FLog.push_back({Dialog.DialogKind(), Dialog.ProposedText(), Dialog.Title(), answer.ErrorCode, {mbOK, mbCancel},
                  logged});
  return answer;
}

void THeadlessDialogs::ScriptDialog(const String& Kind, const TCommonDialogAnswer& Answer) {
  FDialogAnswers[Kind].push_back(Answer);
}

void THeadlessDialogs::Clear() {
  FLog.clear();
  FAnswers.clear();
  FDialogAnswers.clear();
}

TCommonDialogAnswer TDialogService::RunCommonDialog(TCommonDialog& /*Dialog*/) { return TCommonDialogAnswer::Cancel(); }

// --- common dialogs ----------------------------------------------------------------------------

TCommonDialogAnswer TCommonDialogAnswer::Confirm(String text, int64_t value) {
  TCommonDialogAnswer a;
  a.Outcome = cdConfirmed;
  a.Text = std::move(text);
  a.Value = value;
  return a;
}

TCommonDialogAnswer TCommonDialogAnswer::Cancel() { return TCommonDialogAnswer(); }

TCommonDialogAnswer TCommonDialogAnswer::Fail(uint32_t errorCode) {
  TCommonDialogAnswer a;
  a.Outcome = cdFailed;
  a.ErrorCode = errorCode != 0 ? errorCode : 0xFFFF;
  return a;
}

TCommonDialogAnswer TCommonDialog::RunForm() { return TCommonDialogAnswer::Cancel(); }

TCommonDialogAnswer TSaveDialog::RunForm() { return platform_detail::RunSaveDialogForm(*this); }

void TSaveDialog::Accept(const TCommonDialogAnswer& answer) {
  FFileName = answer.Text;
  if (answer.Value > 0) FFilterIndex = static_cast<int>(answer.Value);
}

TCommonDialogAnswer TColorDialog::RunForm() { return platform_detail::RunColorDialogForm(*this); }

bool TCommonDialog::Execute() {
  const TCommonDialogAnswer answer = DialogService().RunCommonDialog(*this);
  gLastDialogError = answer.Outcome == TCommonDialogAnswer::cdFailed ? answer.ErrorCode : 0;
  if (answer.Outcome != TCommonDialogAnswer::cdConfirmed) return false;
  Accept(answer);
  return true;
}

uint32_t CommDlgExtendedError() { return gLastDialogError; }

TDialogService& DialogService() { return *ServiceSlot(); }

std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> service) {
  if (!service) service = std::make_unique<THeadlessDialogs>();
  std::swap(service, ServiceSlot());
  return service;
}

THeadlessDialogs* HeadlessDialogs() { return dynamic_cast<THeadlessDialogs*>(ServiceSlot().get()); }

TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return DialogService().MessageDlg(Msg, DlgType, Buttons, HelpCtx);
}

void ShowMessage(const String& Msg) { DialogService().ShowMessage(Msg); }

bool MessageBeep(uint32_t Type) {
  DialogService().Beep(Type);
  return true;
}

}  // namespace qelta
