#pragma once
// Edit boxes: TCustomEdit / TEdit (one line of text) and TCustomMemo / TMemo (several lines), with a
// caret, a selection, the editing keys and the clipboard keys.
//
// How: the text is the control's Text. Every change of it, typed or set in code, runs the virtual
// Change (which fires OnChange) once, and setting the same text runs nothing; the caret and the
// selection stay where they were, kept inside the new text. A typed change places the caret before
// the text changes, so a Change that puts back an earlier text may move the caret itself. Keys:
// OnKeyPress sees every character first (Enter #13 and Esc #27 included, which a one-line edit then
// ignores); printable characters replace the selection, Backspace and Delete delete, the arrows, Home
// and End move the caret (with Shift they select), and in a memo PgUp and PgDn move it a page (the lines
// in view) with the view moving as many lines; Ctrl+C, Ctrl+X and Ctrl+V copy, cut and paste.
// ReadOnly keeps the text from the user (not from code). The mouse places the caret, Shift and drags
// select. A memo shows the scroll bars its ScrollBars names, each only while its lines do not all fit
// (or the view is scrolled away from the first line or column), inside the border; a shown bar takes
// its thickness from ClientWidth or ClientHeight. Vertical positions are lines, horizontal ones pixels;
// the arrows move a line (a digit's width), the track a page, the thumb drags the view, and the wheel
// (unless OnMouseWheel or its Up/Down events handle it) three lines a notch, with or without bars; the
// caret stays where it is until the next key or press brings it back into view.
// Limits: no undo, no word moves, no password characters, no maximum length, no word wrap; the caret
// does not blink.

#include <memory>

#include "Controls.h"
#include "Forms.h"
#include "StringLists.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

namespace platform_detail {
class TEditBuffer;
class TScrollBarPair;
enum class TScrollStep : uint8_t;
}  // namespace platform_detail

/// Border of an edit or grid: none or a sunken single line.
using TBorderStyle = TFormBorderStyle;
enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  void WndProc(TMessage& Message) override;

  // -- selection and clipboard (0-based positions)
  /// Start of the selection, where the caret stands when nothing is selected; set: the caret goes there
  /// with nothing selected (clamped to the text).
  int SelStart() const;
  void SetSelStart(int value);
  /// Characters selected; set: from SelStart (clamped).
  int SelLength() const;
  void SetSelLength(int value);
  String SelText() const;
  /// Replaces the selection by the text (a change like a typed one; read-only or not).
  void SetSelText(const String& value);
  void SelectAll();
  void ClearSelection();
  void CopyToClipboard();
  /// Copies and deletes the selection unless ReadOnly.
  void CutToClipboard();
  /// Replaces the selection by the clipboard text unless ReadOnly.
  void PasteFromClipboard();
  /// Text := "".
  void Clear();

  // -- properties
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  /// Entering the edit with the keyboard selects all the text (default true).
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  /// The height follows the font: text height + 8 pixels with a border, + 2 without (default true).
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  /// bsNone or bsSingle (a sunken border); other values count as bsSingle.
  void SetBorderStyle(TBorderStyle value);
  /// The selection stays visible without the focus when false (default true: hidden).
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool value);
  /// Set by every change the user makes to the text; cleared by code only.
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }

  TNotifyEvent OnChange;

 protected:
  /// Runs when the text changed (typed or set); fires OnChange.
  virtual void Change();
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void DoEnter() override;
  void PaintWindow() override;
  /// The area text is written in (inside the border and a margin).
  virtual TRect TextArea() const;
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool value) { FMultiLine = value; }
  /// Applies a user's edit: the new text after the caret moved.
  void UserEdit(const String& text);
  /// Keeps the caret in view after it moved.
  void ScrollToCaret();
  /// First line shown (multi-line) and the pixels of the text scrolled off at the left; set: at least
  /// 0, repaints.
  int TopLine() const { return FTopLine; }
  void SetTopLine(int value);
  int ScrollX() const { return FScrollX; }
  void SetScrollX(int value);
  /// Height of a line of text in the control's font.
  int LineHeight();
  /// Whole lines the text area shows at once (at least 1): a page.
  int VisibleLines();
  /// The view moved or the room for it changed (caret scrolled into view, border); nothing by default.
  virtual void ViewChanged() {}

 private:
  int PositionAt(int X, int Y);
  void AdjustHeight();
  void PaintLines(TCanvas* c, const TRect& area);
  std::unique_ptr<platform_detail::TEditBuffer> FBuffer;
  bool FReadOnly = false;
  bool FAutoSelect = true;
  bool FAutoSize = true;
  bool FHideSelection = true;
  bool FModified = false;
  bool FMultiLine = false;
  bool FMousePress = false;  // the focus comes from a press (no AutoSelect)
  TBorderStyle FBorderStyle = bsSingle;
  int FScrollX = 0;
  int FTopLine = 0;
};

/// A one-line edit box.
class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};

/// A multi-line edit: Enter breaks the line (when WantReturns), Up and Down move between lines.
class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  /// The text as lines; changing them changes Text (one Change per change of the list).
  TStrings* Lines() const { return FLines.get(); }
  void SetLines(TStrings* value) { FLines->Assign(value); }
  /// Enter breaks the line (default true); false lets Enter go to the form (#13 still reaches OnKeyPress).
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  /// Which bars may show (default ssNone); each shows only while it has something to scroll.
  void SetScrollBars(TScrollStyle value);

  void WndProc(TMessage& Message) override;

 protected:
  void KeyPress(Char& Key) override;
  /// Scrolls the view three lines a notch once the wheel events left it unhandled.
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void Change() override;
  /// The control less the shown scroll bars.
  TRect GetClientRect() const override;
  void Resize() override;
  void ViewChanged() override;

 private:
  void UpdateScrollBars();
  void Scrolled(bool vertical, platform_detail::TScrollStep step, int position);
  std::unique_ptr<TStringList> FLines;
  std::unique_ptr<platform_detail::TScrollBarPair> FScrollBarPair;
  bool FWantReturns = true;
  bool FSyncing = false;
  TScrollStyle FScrollBars = ssNone;
  int FWidest = 0;  // pixels of the widest line while a horizontal bar is wanted
};

class TMemo : public TCustomMemo {
 public:
  using TCustomMemo::TCustomMemo;
};

}  // namespace qelta

QELTA_PUBLIC_END
