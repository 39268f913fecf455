#pragma once
// Not part of the public interface: the text editing that edits, memos and editable combo boxes share
// (caret and selection, the keys a user edits with, the clipboard keys) and the drawing of a line of
// text with its selection and caret. Not installed.
//
// Positions are 0-based character offsets 0..length. In multi-line text a line ends with CR LF (a lone
// LF also ends one); the caret never stands between CR and LF.

#include "Controls.h"
#include "Graphics.h"

namespace qelta::platform_detail {

class TEditBuffer {
 public:
  int Anchor = 0;  ///< the end of the selection that stays
  int Caret = 0;   ///< the end that moves; where typing goes

  int SelStart() const { return std::min(Anchor, Caret); }
  int SelLength() const { return std::abs(Caret - Anchor); }
  String SelText(const String& text) const { return text.substr(SelStart(), SelLength()); }
  /// Selects `length` characters from `start` (both clamped to the text); the caret at the end.
  void Select(int start, int length, const String& text);
  /// Keeps caret and anchor inside text (after the text changed under them).
  void Clamp(const String& text);
  /// Moves the caret; with `extend` the anchor stays, else the selection collapses there.
  void MoveTo(int pos, bool extend, const String& text);
  /// Replaces the selection with s; the caret after it.
  void Replace(String& text, const String& s);

  /// The caret and editing keys: arrows, Home/End (with Shift, extending), Delete; Up/Down, and PgUp/PgDn
  /// by `pageLines` lines, in multiple lines. Answers whether the key was taken; text may change (not
  /// when readOnly).
  bool KeyDown(String& text, Word key, TShiftState shift, bool multiLine, bool readOnly, int pageLines = 1);
  /// Characters: printable ones replace the selection, Backspace deletes, Enter breaks a line in
  /// multiple lines, Ctrl+C/X/V copy, cut and paste (a single line pastes up to the first line end).
  /// Answers whether the character was taken.
  bool KeyPress(String& text, Char key, bool multiLine, bool readOnly);

  // -- lines
  static int LineCount(const String& text);
  /// Line of a position and the position where that line starts.
  static int LineOf(const String& text, int pos);
  static int LineStart(const String& text, int line);
  /// Position where the line's text ends (before its line break).
  static int LineEnd(const String& text, int line);
  static String LineText(const String& text, int line) {
    return text.substr(LineStart(text, line), LineEnd(text, line) - LineStart(text, line));
  }

 private:
  int StepLeft(const String& text, int pos) const;
  int StepRight(const String& text, int pos) const;
  int VerticalMove(const String& text, int pos, int lines) const;
};

/// Where a click at x falls in a line drawn from x0: the nearest character boundary.
int PositionAtX(const TCanvas* canvas, const String& line, int x0, int x);

/// Draws a line of text at (x, y) clipped to `clip`, with the characters [selStart, selStart + selLength)
/// on the highlight colours and, when caret >= 0, a caret before character `caret`. The canvas font and
/// its colour are the text's; the background is left as it is.
void PaintTextLine(TCanvas* canvas, const TRect& clip, int x, int y, const String& line, int selStart, int selLength,
                   int caret);

}  // namespace qelta::platform_detail
