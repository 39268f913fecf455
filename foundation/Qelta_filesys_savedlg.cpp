// TUnivSaveDialog: select, check, ask about overwriting, until the host or the user decides.
//
// The standard dialog is the platform's TSaveDialog (Dialogs.h); headless, its answers come from the
// scripted user. A cancelled dialog leaves FileName as proposed ("ext" goes only on a chosen name).

#include "FileSys.h"
#include "Qelta_filesys.h"
#include "Qelta_streams.h"
#include "SysUtils.h"

namespace qelta {

TUnivSaveDialog::TUnivSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}

String TUnivSaveDialog::Prefix() const { return u"Component \"" + Name() + u"\": "; }

void TUnivSaveDialog::Raise(const String& text) const { throw EQeltaFileSysError(Prefix() + text); }

TModalResult TUnivSaveDialog::SelectWithStandardDialog() {
  TSaveDialog dialog(nullptr);
  dialog.SetFilter(ExtractParamAsString(u"filter"));
  dialog.SetTitle(ExtractParamAsString(u"caption"));
  dialog.SetInitialDir(ExtractParamAsString(u"initialdir"));
  dialog.SetFileName(FFileName);
  if (dialog.Execute()) {
    FFileName = dialog.FileName();
    const String ext = ExtractParamAsString(u"ext");
    if (!ext.empty()) FFileName = StripExtension(FFileName) + u"." + ext;
    return mrOk;
  }
  if (const uint32_t code = CommDlgExtendedError(); code != 0)
    Raise(u"Error in standard dialog (errnum = $" + IntToHex(code, 4) + u").");
  return mrCancel;
}

TModalResult TUnivSaveDialog::SelectName() {
  if (FUseStdDiag) return SelectWithStandardDialog();
  if (!OnFileSelect) Raise(u"File select dialog is not assigned");
  TModalResult action = mrCancel;
  OnFileSelect(this, FParams, action, FFileName);
  return action;
}

bool TUnivSaveDialog::NameExists() {
  if (FUseStdDiag) return FileExists(FFileName);
  bool exists = false;
  if (OnFileCheck) OnFileCheck(this, FFileName, exists);
  return exists;
}

bool TUnivSaveDialog::Execute() {
  for (;;) {
    if (SelectName() != mrOk) return false;
    if (!NameExists()) return true;
    if (!OnOverwrite) Raise(u"Overwrite dialog is not assigned");
    TModalResult reply = mrNo;
    OnOverwrite(this, FFileName, reply);
    if (reply == mrYes) return true;
    if (reply == mrCancel) return false;
    if (reply != mrNo) Raise(u"Invalid reply argument from overwrite dialog");
  }
}

String TUnivSaveDialog::ExtractParamAsString(const String& ParName) const { return ScanForXMLAttrib(FParams, ParName); }

String TUnivSaveDialog::ParamValueOrRaise(const String& ParName) const {
  const String value = ExtractParamAsString(ParName);
  if (value.empty()) Raise(ParName + u" is not specified in property Parameters");
  return value;
}

int TUnivSaveDialog::ExtractParamAsInt(const String& ParName) const {
  int pos = 1;
  return ScanDecimal(ParamValueOrRaise(ParName), pos);
}

double TUnivSaveDialog::ExtractParamAsDouble(const String& ParName) const {
  int pos = 1;
  return ScanFPNum(ParamValueOrRaise(ParName), true, 3, pos);
}

}  // namespace qelta
