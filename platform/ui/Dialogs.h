#pragma once
// Message boxes and the system beep: MessageDlg, ShowMessage, MessageBox (Application.MessageBox
// goes here too) and MessageBeep, with the modal results they answer; the common dialogs (TSaveDialog,
// TColorDialog) with their error code.
//
// How: every call goes to one replaceable TDialogService. The default, THeadlessDialogs, shows
// nothing: it appends each box and beep to a log and answers a box that offers a choice with the
// next scripted answer, or, when none is scripted, with OK when the box offers OK and otherwise
// with its default button (the first one, or the one MB_DEFBUTTONn names). A box with only an OK button answers
// OK and leaves the script alone, so informational boxes never consume the answer of a question. A scripted
// answer the box does not offer, and in strict mode a question without a scripted answer, raise
// EUnscripted (after the box is logged). A window backend installs its own service with
// SetDialogService; the SDL backend's shows every box that is not scripted, as the desktop's own box or,
// where the desktop has none, as a modal form of the platform's widgets (MessageBoxForm.h). A box that
// nobody answers there (Esc, its window closed, no window to show it in) answers the cancel answer of its
// buttons: Cancel when offered, else No, else No to All, else Abort; a box with one button answers that
// one (OK of an information box: there is nothing to choose), any other mrCancel. So a question is never
// answered Yes or OK by itself. Limits: no help buttons are acted on, no custom dialog layout, no sound.
// Common dialogs go to the same service: each kind of dialog (its DialogKind, "TSaveDialog") takes the
// next answer scripted for that kind (confirm with a value, cancel, or fail with an error code). Without
// one, the dialog shows its own modal form (RunForm: SaveDialogForm.h, ColorDialogForm.h) when the forms
// are desktop windows or SetDialogForms asked for it, and cancels otherwise (headless). Every dialog
// is logged like a box. TColorDialog takes the colour of a confirmed answer from its Value.

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Exceptions.h"
#include "Graphics.h"
#include "StringLists.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

class TCommonDialog;
/// A scripted session met something its script does not cover: a question box or a modal form
/// without an answer in strict mode, or a scripted answer the box does not offer. The message loop
/// hands it to the scripted user (TScriptedUser raises it again from the action that caused it).
QELTA_DECLARE_EXCEPTION(EUnscripted, EInvalidOperation)

// --- modal results and box styles ------------------------------------------------------------

/// Answer of a modal form or a message box; mrOk..mrNo equal the box answers IDOK..IDNO.
using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

/// MessageBox styles: buttons (low 4 bits), icon, default button.
constexpr uint32_t MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_ABORTRETRYIGNORE = 0x02, MB_YESNOCANCEL = 0x03,
                   MB_YESNO = 0x04, MB_RETRYCANCEL = 0x05, MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10,
                   MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
                   MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40,
                   MB_DEFBUTTON1 = 0x000, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
/// MessageBox answers.
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;
/// MessageBeep type of the plain beep.
constexpr uint32_t MB_SIMPLEBEEP = 0xFFFFFFFFu;

enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : uint8_t { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = Set<TMsgDlgBtn>;

/// How a common dialog ended: confirmed with a value, cancelled, or failed with an error code.
struct TCommonDialogAnswer {
  enum TOutcome : uint8_t { cdConfirmed, cdCancelled, cdFailed };
  TOutcome Outcome = cdCancelled;
  String Text;              ///< the text chosen (the file name of a save dialog)
  int64_t Value = 0;        ///< a number chosen (for dialogs that choose one)
  uint32_t ErrorCode = 0;   ///< the dialog's error code when it failed (never 0 then)

  static TCommonDialogAnswer Confirm(String text, int64_t value = 0);
  static TCommonDialogAnswer Cancel();
  /// A failed dialog; a code of 0 counts as 0xFFFF, so that a failure always carries a code.
  static TCommonDialogAnswer Fail(uint32_t errorCode);
};

// --- the service -----------------------------------------------------------------------------

/// Shows message boxes and beeps; replace it to put them on a real screen.
class TDialogService {
 public:
  virtual ~TDialogService() = default;
  /// Box with text, caption and MB_ style; answers IDOK..IDNO.
  virtual int MessageBox(const String& Text, const String& Caption, uint32_t Flags) = 0;
  /// Box of a kind with a set of buttons; answers the modal result of the button chosen.
  virtual TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) = 0;
  /// Information box with an OK button.
  virtual void ShowMessage(const String& Msg) = 0;
  /// Sound of the given MB_ICON... type or MB_SIMPLEBEEP.
  virtual void Beep(uint32_t Type) = 0;
  /// Shows a common dialog and answers how the user ended it; a service without dialogs cancels them.
  virtual TCommonDialogAnswer RunCommonDialog(TCommonDialog& Dialog);
};

/// One shown box or beep, as the headless service records it.
struct TDialogLogEntry {
  String Kind;       ///< u"MessageBox", u"MessageDlg", u"ShowMessage", u"MessageBeep" or a dialog kind (u"TSaveDialog")
  String Text;       ///< the message (the value a common dialog proposed)
  String Caption;    ///< the window title ("Warning", "Error", "Information", "Confirm" for MessageDlg)
  uint32_t Flags = 0;  ///< MB_ style of a MessageBox, the TMsgDlgType of a MessageDlg, the beep type
  TMsgDlgButtons Buttons;  ///< the buttons offered (MessageBox styles are translated)
  int Answer = 0;    ///< the answer given (0 for a beep; mrOk or mrCancel for a dialog, 0 when it failed)
};

/// The default service: logs, answers by script or with OK (else the first button offered).
class THeadlessDialogs : public TDialogService {
 public:
  int MessageBox(const String& Text, const String& Caption, uint32_t Flags) override;
  TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) override;
  void ShowMessage(const String& Msg) override;
  void Beep(uint32_t Type) override;
  TCommonDialogAnswer RunCommonDialog(TCommonDialog& Dialog) override;

  /// Queues the answer (mrYes, IDNO, ...) of the next box that offers a choice; used in order. A box
  /// that does not offer the answer raises EUnscripted.
  void ScriptAnswer(int Answer) { FAnswers.push_back(Answer); }
  /// Strict: a box that offers a choice without a scripted answer raises EUnscripted instead of
  /// taking its default button (it is logged with the answer mrNone).
  void SetStrict(bool value) { FStrict = value; }
  bool Strict() const { return FStrict; }
  /// Answers scripted but not used yet.
  int PendingAnswers() const { return static_cast<int>(FAnswers.size()); }
  const std::vector<TDialogLogEntry>& Log() const { return FLog; }
  /// Queues how the next common dialog of the kind (u"TSaveDialog", ...) ends; used in order per kind.
  void ScriptDialog(const String& Kind, const TCommonDialogAnswer& Answer);
  /// On: a common dialog without a scripted answer shows its own modal form (as it does whenever the
  /// forms are desktop windows), for the scripted user to answer with WhenModalShows. Off by default:
  /// headless, an unscripted dialog cancels.
  void SetDialogForms(bool value) { FDialogForms = value; }
  bool DialogForms() const { return FDialogForms; }
  /// Forgets the log and the scripted answers (of boxes and dialogs).
  void Clear();

 protected:
  /// The answer of a box with the text, caption and buttons: scripted, else OK or the default button.
  /// A window backend overrides it to show the box.
  virtual int Answer(const String& text, const String& caption, TMsgDlgButtons offered, int defaultAnswer);

 private:
  std::vector<TDialogLogEntry> FLog;
  std::deque<int> FAnswers;
  std::map<String, std::deque<TCommonDialogAnswer>> FDialogAnswers;
  bool FStrict = false;
  bool FDialogForms = false;
};

/// The service in use (the headless one unless replaced).
TDialogService& DialogService();
/// Installs a service (nullptr restores a fresh headless one); returns the previous one.
std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> service);
/// The service in use when it is the headless one, else nullptr.
THeadlessDialogs* HeadlessDialogs();

// --- the calls components make ----------------------------------------------------------------

/// Shows a box of the kind with the buttons; answers the modal result of the button chosen.
TModalResult MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
/// Shows an information box with an OK button.
void ShowMessage(const String& Msg);
/// Sounds a beep of the given type (MB_SIMPLEBEEP for the plain one); always true headless.
bool MessageBeep(uint32_t Type);

// --- common dialogs ----------------------------------------------------------------------------

/// Base of the dialogs the platform shows for a component (save, colour, ...). Execute hands the dialog
/// to the dialog service; a confirmed answer is taken into the dialog's properties by Accept.
class TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}

  /// Shows the dialog; true when the user confirmed. After a failed dialog CommDlgExtendedError()
  /// answers its error code (0 after a confirmed or cancelled one).
  bool Execute();

  const String& Title() const { return FTitle; }
  void SetTitle(const String& value) { FTitle = value; }

  /// The kind by which scripts and logs name the dialog (u"TSaveDialog").
  virtual String DialogKind() const = 0;
  /// The text the dialog proposes when it opens (a save dialog's file name).
  virtual String ProposedText() const = 0;
  /// Shows the dialog's own modal form and answers how the person ended it (Cancel for Esc, the Cancel
  /// button or closing the window). A dialog without a form of its own cancels. The dialog service
  /// calls it; Execute goes through the service.
  virtual TCommonDialogAnswer RunForm();

 protected:
  /// Takes a confirmed answer into the properties.
  virtual void Accept(const TCommonDialogAnswer& answer) = 0;

 private:
  String FTitle;
};

/// Options of the save dialog (the classic set; the ones marked act here, the others are stored only).
enum TOpenOption : uint8_t {
  ofReadOnly,
  ofOverwritePrompt,   ///< acts: an existing file asks "Do you want to replace it?" (No returns to the dialog)
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,     ///< acts: a name in a folder that does not exist is refused with a message
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing,
  ofDontAddToRecent,
  ofForceShowHidden
};
using TOpenOptions = Set<TOpenOption>;

/// The save dialog: proposes FileName in InitialDir with a filter ("Text|*.txt|All|*.*") and a title;
/// a confirmed dialog leaves the chosen name in FileName, a cancelled or failed one leaves it alone.
/// Its form (SaveDialogForm.h) lists the folder's subfolders and the files the chosen filter entry
/// matches, and answers the full path of the name typed or picked; a confirmed form also leaves the
/// filter entry chosen in FilterIndex.
class TSaveDialog : public TCommonDialog {
 public:
  explicit TSaveDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}

  const String& Filter() const { return FFilter; }
  void SetFilter(const String& value) { FFilter = value; }
  /// The filter entry shown first, 1-based (default 1; out of range counts as 1).
  int FilterIndex() const { return FFilterIndex; }
  void SetFilterIndex(int value) { FFilterIndex = value; }
  const String& InitialDir() const { return FInitialDir; }
  void SetInitialDir(const String& value) { FInitialDir = value; }
  const String& FileName() const { return FFileName; }
  void SetFileName(const String& value) { FFileName = value; }
  /// Extension (without the point) that the form gives a name typed without one: the chosen filter
  /// entry's own when it names one ("*.csv"), else this; "" adds none.
  const String& DefaultExt() const { return FDefaultExt; }
  void SetDefaultExt(const String& value) { FDefaultExt = value; }
  TOpenOptions Options() const { return FOptions; }
  void SetOptions(TOpenOptions value) { FOptions = value; }

  String DialogKind() const override { return u"TSaveDialog"; }
  String ProposedText() const override { return FFileName; }
  TCommonDialogAnswer RunForm() override;

 protected:
  /// The answer's Text is the name; a Value above 0 is the filter entry chosen.
  void Accept(const TCommonDialogAnswer& answer) override;

 private:
  String FFilter;
  int FFilterIndex = 1;
  String FInitialDir;
  String FFileName;
  String FDefaultExt;
  TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

/// The colour dialog: proposes Color; a confirmed dialog leaves the chosen colour in Color (headless, the
/// scripted answer's Value), a cancelled or failed one leaves it alone. Logged with the proposed colour
/// as ColorToString gives it. Its form (ColorDialogForm.h) offers a grid of basic colours, sixteen
/// custom colours, and red, green, blue, hue, saturation and lightness edits kept in step.
class TColorDialog : public TCommonDialog {
 public:
  explicit TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), FCustomColors(std::make_unique<TStringList>()) {}

  TColor Color() const { return FColor; }
  void SetColor(TColor value) { FColor = value; }
  /// The custom colours the form shows, "ColorA=FFFFFF" to "ColorP=...": each a TColor as hexadecimal
  /// digits ($BBGGRR); a missing or unreadable entry is an empty (white) slot. A confirmed form writes
  /// all sixteen back.
  TStrings* CustomColors() const { return FCustomColors.get(); }
  void SetCustomColors(TStrings* value) { FCustomColors->Assign(value); }

  String DialogKind() const override { return u"TColorDialog"; }
  String ProposedText() const override { return ColorToString(FColor); }
  TCommonDialogAnswer RunForm() override;

 protected:
  void Accept(const TCommonDialogAnswer& answer) override { FColor = static_cast<TColor>(answer.Value); }

 private:
  TColor FColor = clBlack;
  std::unique_ptr<TStringList> FCustomColors;
};

/// Error code of the last common dialog: 0 unless it failed.
uint32_t CommDlgExtendedError();

}  // namespace qelta

QELTA_PUBLIC_END
