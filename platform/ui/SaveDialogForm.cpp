// The save dialog's own form: the folder, its file list, the name, the filter, Save and Cancel.
//
// Layout (client pixels): a row with the folder and the Up button, the list under it, then two rows
// with a label, a field and a button each (name and Save, filter and Cancel); the labels' column is as
// wide as the longer label.

#include "SaveDialogForm.h"

#include <algorithm>

#include "ComboBoxes.h"
#include "DialogForm.h"
#include "FileSys.h"
#include "Grids.h"
#include "Panels.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta::platform_detail {

// [SECTION] the pieces

namespace {

/// The parts of text between the separators (an empty text gives one empty part).
std::vector<String> Split(const String& text, Char separator) {
  std::vector<String> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == String::npos ? String::npos : end - start));
    if (end == String::npos) return parts;
    start = end + 1;
  }
}

std::vector<String> MasksOf(const String& text) {
  std::vector<String> masks;
  for (const String& part : Split(text, u';'))
    if (String mask = Trim(part); !mask.empty()) masks.push_back(std::move(mask));
  if (masks.empty()) masks.push_back(u"*");
  return masks;
}

bool MatchesAny(const String& name, const std::vector<String>& masks) {
  return std::any_of(masks.begin(), masks.end(), [&](const String& m) { return MatchesMask(name, m); });
}

/// Case-blind name order (A-Z folded), then byte order.
bool NameBefore(const TFolderEntry& a, const TFolderEntry& b) {
  const int c = CompareText(a.Name, b.Name);
  return c != 0 ? c < 0 : a.Name < b.Name;
}

}  // namespace

std::vector<TFilterEntry> ParseFilter(const String& filter) {
  std::vector<TFilterEntry> entries;
  if (filter.empty()) return entries;
  const std::vector<String> parts = Split(filter, u'|');
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    const String masks = i + 1 < parts.size() ? parts[i + 1] : String();
    if (Trim(parts[i]).empty() && Trim(masks).empty()) continue;  // a trailing '|'
    entries.push_back({parts[i], MasksOf(masks)});
  }
  return entries;
}

std::vector<TFolderEntry> ListFolder(const String& folder, const std::vector<String>& masks) {
  std::vector<TFolderEntry> folders, files;
  const String dir = IncludeTrailingPathDelimiter(folder);
  TSearchRec f;
  for (int rc = FindFirst(dir + u"*", faDirectory, f); rc == 0; rc = FindNext(f)) {
    if (f.Name.empty() || f.Name[0] == u'.') continue;
    const bool isFolder = (f.Attr & faDirectory) != 0 || ((f.Attr & faSymLink) != 0 && DirectoryExists(dir + f.Name));
    if (isFolder) folders.push_back({f.Name, true, 0});
    else if (MatchesAny(f.Name, masks)) files.push_back({f.Name, false, f.Size});
  }
  FindClose(f);
  std::sort(folders.begin(), folders.end(), NameBefore);
  std::sort(files.begin(), files.end(), NameBefore);
  folders.insert(folders.end(), files.begin(), files.end());
  return folders;
}

String ResolveTypedName(const String& folder, const String& typed) {
  if (typed == u"~" || typed.starts_with(u"~/"))
    return ExpandFileName(IncludeTrailingPathDelimiter(GetEnvironmentVariable(u"HOME")) + typed.substr(std::min<std::size_t>(2, typed.size())));
  const bool absolute = !typed.empty() && (typed[0] == u'/' || typed[0] == u'\\' || (typed.size() >= 2 && typed[1] == u':'));
  return ExpandFileName(absolute ? typed : IncludeTrailingPathDelimiter(folder) + typed);
}

String WithDefaultExt(const String& name, const TFilterEntry* filter, const String& defaultExt) {
  if (defaultExt.empty() || !ExtractFileExt(name).empty()) return name;
  String ext = defaultExt;
  if (filter != nullptr) {
    const String& mask = filter->Masks.front();
    if (mask.size() > 2 && mask.starts_with(u"*.") && mask.find_first_of(u"*?", 2) == String::npos) ext = mask.substr(2);
  }
  if (ext.starts_with(u".")) ext.erase(0, 1);
  return name + u"." + ext;
}

// [SECTION] the form

namespace {

constexpr int kWidth = 560, kMargin = 8, kButtonWidth = 80, kListHeight = 240, kSizeColumn = 90;

/// A file size as the list shows it: bytes, KB or MB.
String SizeText(int64_t bytes) {
  if (bytes < 1024) return IntToStr(bytes) + u" bytes";
  if (bytes < 100 * 1024 * 1024) return IntToStr((bytes + 1023) / 1024) + u" KB";
  return IntToStr((bytes + 1024 * 1024 - 1) / (1024 * 1024)) + u" MB";
}

/// The text cut at its start ("...") so that it fits the width in the canvas's font.
String ElidedAtStart(TCanvas* c, const String& text, int width) {
  if (c->TextWidth(text) <= width) return text;
  String tail = text;
  while (!tail.empty() && c->TextWidth(u"..." + tail) > width) tail.erase(0, 1);
  return u"..." + tail;
}

/// DrawText into a rectangle of its own.
void TextIn(TCanvas* c, const String& text, TRect r, unsigned format) { DrawText(c, text, r, format); }

/// A small folder or page picture in r's left part.
void DrawEntryIcon(TCanvas* c, const TRect& r, bool folder) {
  const int x = r.Left + 4, y = r.Top + (r.Height() - 12) / 2;
  c->Pen()->SetColor(folder ? RGB(160, 120, 30) : clGray);
  c->Brush()->SetColor(folder ? RGB(240, 200, 90) : clWhite);
  if (folder) {
    c->Rectangle(x, y, x + 7, y + 3);
    c->Rectangle(x, y + 2, x + 16, y + 12);
  } else {
    c->Rectangle(x + 2, y - 1, x + 13, y + 13);
    c->MoveTo(x + 4, y + 3);
    c->LineTo(x + 11, y + 3);
    c->MoveTo(x + 4, y + 6);
    c->LineTo(x + 11, y + 6);
    c->MoveTo(x + 4, y + 9);
    c->LineTo(x + 9, y + 9);
  }
}

class TSaveDialogForm final : public TDialogForm {
 public:
  explicit TSaveDialogForm(const TSaveDialog& dialog);
  const TCommonDialogAnswer& Answer() const { return FAnswer; }

 protected:
  void DefaultAction() override;

 private:
  int BuildFolderRow();
  void BuildList(int top);
  void BuildNameRows(int top);
  String StartFolder() const;
  const TFilterEntry* CurrentFilter() const;
  const TFolderEntry* EntryAt(int row) const;
  void OpenFolder(const String& folder);
  void Refill();
  void DrawCell(int col, int row, TRect r);
  void Picked(int row);
  void Activated(int row);
  void Save();
  bool MayWrite(const String& path);

  const TSaveDialog& FDialog;
  std::vector<TFilterEntry> FFilters;
  bool FFromFilter = false;  // the entries come from the dialog's Filter (else one "All files")
  std::vector<TFolderEntry> FEntries;
  String FFolder;            // with a trailing separator
  String FMaskTyped;         // a wildcard name typed: the list shows what it matches
  bool FFilling = false;     // the list is being refilled: moves of its current row are no picks
  TPanel* FFolderPanel = nullptr;
  TSpeedButton* FUp = nullptr;
  TDrawGrid* FList = nullptr;
  TEdit* FName = nullptr;
  TComboBox* FFilter = nullptr;
  TCommonDialogAnswer FAnswer;
};

TSaveDialogForm::TSaveDialogForm(const TSaveDialog& dialog)
    : TDialogForm(dialog.Title().empty() ? String(u"Save As") : dialog.Title(), kWidth, 0), FDialog(dialog) {
  FFilters = ParseFilter(dialog.Filter());
  FFromFilter = !FFilters.empty();
  if (!FFromFilter) FFilters.push_back({u"All files (*)", {u"*"}});
  const int listTop = BuildFolderRow();
  BuildList(listTop);
  BuildNameRows(listTop + kListHeight + 10);
  FName->SetText(ExtractFileName(dialog.FileName()));
  OpenFolder(StartFolder());
  SetActiveControl(FName);
}

int TSaveDialogForm::BuildFolderRow() {
  const int labelWidth = std::max(Canvas()->TextWidth(u"File name:"), Canvas()->TextWidth(u"Save as type:"));
  const int x = kMargin + labelWidth + 8;
  AddLabel(u"FolderLabel", u"Save in:", kMargin, kMargin + 4);
  FFolderPanel = new TPanel(this);
  FFolderPanel->SetName(u"FolderPanel");
  FFolderPanel->SetParent(this);
  FFolderPanel->SetBevelOuter(bvLowered);
  FFolderPanel->SetBorderWidth(3);
  FFolderPanel->SetColor(clWindow);
  FFolderPanel->SetAlignment(taLeftJustify);
  FFolderPanel->SetBounds(x, kMargin, kWidth - x - kMargin - kButtonWidth - 8, 23);
  FUp = AddButton(u"UpButton", u"Up", Bounds(kWidth - kMargin - kButtonWidth, kMargin, kButtonWidth, 23), [this] {
    OpenFolder(ExtractFileDir(ExcludeTrailingPathDelimiter(FFolder)));
  });
  return kMargin + 23 + 8;
}

void TSaveDialogForm::BuildList(int top) {
  auto* frame = new TPanel(this);  // the sunken border of a list
  frame->SetName(u"FileListFrame");
  frame->SetParent(this);
  frame->SetCaption(String());
  frame->SetBevelOuter(bvLowered);
  frame->SetBevelInner(bvLowered);
  frame->SetBounds(kMargin, top, kWidth - 2 * kMargin, kListHeight);
  FList = new TDrawGrid(this);
  FList->SetName(u"FileList");
  FList->SetParent(frame);
  FList->SetBounds(2, 2, frame->Width() - 4, frame->Height() - 4);
  FList->SetColCount(2);
  FList->SetRowCount(2);
  FList->SetFixedCols(0);
  FList->SetFixedRows(1);
  FList->SetOptions({goRowSelect});
  FList->SetDefaultDrawing(false);
  FList->SetScrollBars(ssVertical);
  FList->SetDefaultRowHeight(Canvas()->TextHeight(u"Ag") + 6);
  FList->SetTabStop(true);
  FList->OnDrawCell = [this](TObject*, int col, int row, const TRect& r, TGridDrawState) { DrawCell(col, row, r); };
  FList->OnSelectCell = [this](TObject*, int, int row, bool&) { Picked(row); };
  FList->OnDblClick = [this](TObject*) { Activated(FList->Row()); };
}

void TSaveDialogForm::BuildNameRows(int top) {
  const int labelWidth = std::max(Canvas()->TextWidth(u"File name:"), Canvas()->TextWidth(u"Save as type:"));
  const int x = kMargin + labelWidth + 8, fieldWidth = kWidth - x - kMargin - kButtonWidth - 8;
  const int buttonX = kWidth - kMargin - kButtonWidth;
  FName = AddEdit(u"FileNameEdit", x, top, fieldWidth);
  AddLabel(u"FileNameLabel", u"File name:", kMargin, top + (FName->Height() - Canvas()->TextHeight(u"Ag")) / 2);
  AddButton(u"SaveButton", u"Save", Bounds(buttonX, top - 1, kButtonWidth, FName->Height() + 2), [this] { Save(); });
  const int second = top + FName->Height() + 8;
  FFilter = new TComboBox(this);
  FFilter->SetName(u"FilterCombo");
  FFilter->SetParent(this);
  FFilter->SetStyle(csDropDownList);
  FFilter->SetBounds(x, second, fieldWidth, 0);
  for (const TFilterEntry& e : FFilters) FFilter->Items()->Add(e.Description);
  const int index = FDialog.FilterIndex();
  FFilter->SetItemIndex(index >= 1 && index <= static_cast<int>(FFilters.size()) ? index - 1 : 0);
  FFilter->SetEnabled(FFromFilter);
  FFilter->OnChange = [this](TObject*) {
    FMaskTyped.clear();
    Refill();
  };
  AddLabel(u"FilterLabel", u"Save as type:", kMargin, second + (FFilter->Height() - Canvas()->TextHeight(u"Ag")) / 2);
  AddButton(u"CancelButton", u"Cancel", Bounds(buttonX, second - 1, kButtonWidth, FFilter->Height() + 2),
            [this] { SetModalResult(mrCancel); });
  SetClientHeight(second + FFilter->Height() + 10);
}

/// The folder of the proposed name when it names one that exists, else InitialDir when it exists, else
/// the current folder.
String TSaveDialogForm::StartFolder() const {
  const String cwd = GetCurrentDir();
  const String ofName = ExtractFileDir(FDialog.FileName());
  for (const String& candidate : {ofName, FDialog.InitialDir()}) {
    if (candidate.empty()) continue;
    const String folder = ResolveTypedName(cwd, candidate);
    if (DirectoryExists(folder)) return folder;
  }
  return cwd;
}

const TFilterEntry* TSaveDialogForm::CurrentFilter() const {
  const int i = FFilter->ItemIndex();
  return &FFilters[i >= 0 && i < static_cast<int>(FFilters.size()) ? static_cast<std::size_t>(i) : 0];
}

const TFolderEntry* TSaveDialogForm::EntryAt(int row) const {
  return row >= 1 && row <= static_cast<int>(FEntries.size()) ? &FEntries[static_cast<std::size_t>(row - 1)] : nullptr;
}

void TSaveDialogForm::OpenFolder(const String& folder) {
  FFolder = IncludeTrailingPathDelimiter(ExpandFileName(folder.empty() ? String(u"/") : folder));
  const TRect inside = FFolderPanel->ClientRect();
  FFolderPanel->SetCaption(ElidedAtStart(Canvas(), FFolder, inside.Width() - 8));
  FUp->SetEnabled(FFolder != u"/");
  Refill();
}

void TSaveDialogForm::Refill() {
  FEntries = ListFolder(FFolder, FMaskTyped.empty() ? CurrentFilter()->Masks : std::vector<String>{FMaskTyped});
  FFilling = true;
  FList->SetRowCount(1 + std::max<int>(1, static_cast<int>(FEntries.size())));
  FList->MoveColRow(0, 1, true, false);
  FList->SetTopRow(1);
  FList->SetLeftCol(0);
  FFilling = false;
  FList->SetColWidths(1, kSizeColumn);
  FList->SetColWidths(0, FList->ClientWidth() - kSizeColumn);
  FList->Invalidate();
}

void TSaveDialogForm::DrawCell(int col, int row, TRect r) {
  TCanvas* c = FList->Canvas();
  const TFolderEntry* entry = EntryAt(row);
  const bool header = row == 0, current = entry != nullptr && row == FList->Row();
  const bool highlight = current && FList->Focused();
  c->Brush()->SetColor(header ? clBtnFace : highlight ? clHighlight : current ? clBtnFace : clWindow);
  c->FillRect(r);
  c->Font()->SetColor(highlight ? clHighlightText : header || entry != nullptr ? clWindowText : clGrayText);
  c->Brush()->SetStyle(bsClear);
  if (header) {
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(r.Left, r.Bottom - 1);
    c->LineTo(r.Right, r.Bottom - 1);
    TextIn(c, col == 0 ? String(u"Name") : String(u"Size"), Rect(r.Left + 6, r.Top, r.Right - 6, r.Bottom),
             DT_SINGLELINE | DT_VCENTER | (col == 0 ? DT_LEFT : DT_RIGHT));
  } else if (entry == nullptr) {
    if (row == 1 && col == 0) TextIn(c, u"(no matching files)", Rect(r.Left + 24, r.Top, r.Right, r.Bottom), DT_SINGLELINE | DT_VCENTER);
  } else if (col == 0) {
    DrawEntryIcon(c, r, entry->IsFolder);
    c->Brush()->SetStyle(bsClear);
    TextIn(c, entry->Name, Rect(r.Left + 26, r.Top, r.Right - 4, r.Bottom), DT_SINGLELINE | DT_VCENTER);
  } else if (!entry->IsFolder) {
    TextIn(c, SizeText(entry->Size), Rect(r.Left, r.Top, r.Right - 6, r.Bottom), DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  }
  c->Brush()->SetStyle(bsSolid);
}

void TSaveDialogForm::Picked(int row) {
  if (FFilling) return;
  if (const TFolderEntry* e = EntryAt(row); e != nullptr && !e->IsFolder) FName->SetText(e->Name);
}

void TSaveDialogForm::Activated(int row) {
  const TFolderEntry* e = EntryAt(row);
  if (e == nullptr) return;
  if (e->IsFolder) {
    OpenFolder(FFolder + e->Name);
  } else {
    FName->SetText(e->Name);
    Save();
  }
}

void TSaveDialogForm::DefaultAction() {
  if (FList->Focused()) {
    if (const TFolderEntry* e = EntryAt(FList->Row()); e != nullptr && e->IsFolder) return OpenFolder(FFolder + e->Name);
  }
  Save();
}

void TSaveDialogForm::Save() {
  const String typed = Trim(FName->Text());
  if (typed.empty()) return;
  if (typed.find_first_of(u"*?") != String::npos) {
    FMaskTyped = typed;
    return Refill();
  }
  const String path = ResolveTypedName(FFolder, typed);
  if (DirectoryExists(path)) {
    FName->SetText(String());
    return OpenFolder(path);
  }
  const String name = WithDefaultExt(path, CurrentFilter(), FDialog.DefaultExt());
  if (ExtractFileName(name).empty() || !MayWrite(name)) {
    if (FName->CanFocus()) FName->SetFocus();
    FName->SelectAll();
    return;
  }
  FAnswer = TCommonDialogAnswer::Confirm(name, FFromFilter ? FFilter->ItemIndex() + 1 : 0);
  SetModalResult(mrOk);
}

/// The checks the dialog's options ask for before a name is answered.
bool TSaveDialogForm::MayWrite(const String& path) {
  const TOpenOptions options = FDialog.Options();
  const String folder = ExtractFileDir(path);
  if (options.Contains(ofPathMustExist) && !DirectoryExists(folder)) {
    Application->MessageBox(u"The folder \"" + folder + u"\" does not exist.", Caption(), MB_OK | MB_ICONWARNING);
    return false;
  }
  if (options.Contains(ofOverwritePrompt) && FileExists(path))
    return Application->MessageBox(ExtractFileName(path) + u" already exists.\nDo you want to replace it?", Caption(),
                                   MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
  return true;
}

}  // namespace

TCommonDialogAnswer RunSaveDialogForm(const TSaveDialog& dialog) {
  TSaveDialogForm form(dialog);
  return form.Run() == mrOk ? form.Answer() : TCommonDialogAnswer::Cancel();
}

}  // namespace qelta::platform_detail
