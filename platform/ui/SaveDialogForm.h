#pragma once
// Not part of the public interface: the save dialog's own form (TSaveDialog::RunForm), and the pieces
// it stands on, each testable alone: the filter text, the folder listing, the name typed. Not
// installed; exported for the tests.
//
// The form shows the folder ("FolderPanel", "UpButton" to its parent), the folder's subfolders and
// the files the chosen filter entry matches ("FileList", a grid: a click or the arrows put a file's
// name into the edit, a double click or Enter opens a folder or saves a file), the name
// ("FileNameEdit"), the filter entries ("FilterCombo") and "SaveButton", "CancelButton". Save (or
// Enter) takes the name typed: nothing when empty; a wildcard name ("*.log") filters the list; a
// folder opens; otherwise the full path of the name, with DefaultExt added when it has none, after
// the checks the dialog's Options ask for (ofPathMustExist: the folder exists, else a message;
// ofOverwritePrompt: an existing file asks "Do you want to replace it?", No keeps the form open).
// A name may be relative to the folder shown, absolute, or start with "~/" (the home folder).
// Limits: no new-folder button, no hidden files (names beginning with '.'), no sorting by column.

#include <cstdint>
#include <vector>

#include "Dialogs.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

/// One entry of a filter text: "CSV files (*.csv)" with its masks {"*.csv"}.
struct TFilterEntry {
  String Description;
  std::vector<String> Masks;  ///< never empty: a description without masks lists every file ("*")
};

/// The entries of a filter text "Text|*.txt;*.log|All|*.*" (masks separated by ';', blanks trimmed);
/// empty descriptions are kept, a trailing description without masks takes "*".
std::vector<TFilterEntry> ParseFilter(const String& filter);

/// One entry of a folder as the file list shows it.
struct TFolderEntry {
  String Name;
  bool IsFolder = false;
  int64_t Size = 0;  ///< bytes (0 for folders)
};

/// The subfolders of `folder` (all of them) and then its files that match one of the masks, each group
/// in name order; names beginning with '.' are left out; a link counts as what it points to. Empty
/// when the folder cannot be read.
std::vector<TFolderEntry> ListFolder(const String& folder, const std::vector<String>& masks);

/// The full path of a name typed in the folder: an absolute name as it stands, "~/..." in the home
/// folder, others in `folder`; "." and ".." resolved.
String ResolveTypedName(const String& folder, const String& typed);

/// The name with an extension added when it has none: the filter entry's own when its first mask
/// names one ("*.csv"), else defaultExt; unchanged when defaultExt is empty.
String WithDefaultExt(const String& name, const TFilterEntry* filter, const String& defaultExt);

/// Shows the form for the dialog modally; the full path chosen and the filter entry (1-based) in
/// Value when confirmed, Cancel otherwise.
TCommonDialogAnswer RunSaveDialogForm(const TSaveDialog& dialog);

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
