// Text editing shared by edits, memos and editable combo boxes.

#include "EditBuffer.h"

#include <algorithm>

#include "Clipbrd.h"
#include "WidgetPaint.h"

namespace qelta::platform_detail {

namespace {

bool IsBreak(const String& text, int pos) {  // a CR LF pair starts at pos
  return pos >= 0 && pos + 1 < static_cast<int>(text.size()) && text[pos] == u'\r' && text[pos + 1] == u'\n';
}

int Len(const String& text) { return static_cast<int>(text.size()); }

}  // namespace

void TEditBuffer::Select(int start, int length, const String& text) {
  Anchor = std::clamp(start, 0, Len(text));
  Caret = std::clamp(Anchor + std::max(length, 0), 0, Len(text));
}

void TEditBuffer::Clamp(const String& text) {
  Anchor = std::clamp(Anchor, 0, Len(text));
  Caret = std::clamp(Caret, 0, Len(text));
}

void TEditBuffer::MoveTo(int pos, bool extend, const String& text) {
  Caret = std::clamp(pos, 0, Len(text));
  if (!extend) Anchor = Caret;
}

void TEditBuffer::Replace(String& text, const String& s) {
  Clamp(text);
  const int start = SelStart();
  text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(SelLength()), s);
  Anchor = Caret = start + Len(s);
}

int TEditBuffer::StepLeft(const String& text, int pos) const {
  if (pos <= 0) return 0;
  return IsBreak(text, pos - 2) ? pos - 2 : pos - 1;
}

int TEditBuffer::StepRight(const String& text, int pos) const {
  if (pos >= Len(text)) return Len(text);
  return IsBreak(text, pos) ? pos + 2 : pos + 1;
}

int TEditBuffer::LineCount(const String& text) { return LineOf(text, Len(text)) + 1; }

int TEditBuffer::LineOf(const String& text, int pos) {
  return static_cast<int>(std::count(text.begin(), text.begin() + std::clamp(pos, 0, Len(text)), u'\n'));
}

int TEditBuffer::LineStart(const String& text, int line) {
  int pos = 0;
  for (int l = 0; l < line; ++l) {
    const std::size_t lf = text.find(u'\n', static_cast<std::size_t>(pos));
    if (lf == String::npos) return Len(text);
    pos = static_cast<int>(lf) + 1;
  }
  return pos;
}

int TEditBuffer::LineEnd(const String& text, int line) {
  const int start = LineStart(text, line);
  const std::size_t lf = text.find(u'\n', static_cast<std::size_t>(start));
  if (lf == String::npos) return Len(text);
  return lf > static_cast<std::size_t>(start) && text[lf - 1] == u'\r' ? static_cast<int>(lf) - 1
                                                                       : static_cast<int>(lf);
}

int TEditBuffer::VerticalMove(const String& text, int pos, int lines) const {
  const int line = LineOf(text, pos);
  const int target = std::clamp(line + lines, 0, LineCount(text) - 1);
  const int column = pos - LineStart(text, line);
  return std::min(LineStart(text, target) + column, LineEnd(text, target));
}

bool TEditBuffer::KeyDown(String& text, Word key, TShiftState shift, bool multiLine, bool readOnly, int pageLines) {
  Clamp(text);
  const bool extend = shift.Contains(ssShift);
  const int line = LineOf(text, Caret);
  switch (key) {
    case VK_LEFT:
      MoveTo(!extend && SelLength() > 0 ? SelStart() : StepLeft(text, Caret), extend, text);
      return true;
    case VK_RIGHT:
      MoveTo(!extend && SelLength() > 0 ? std::max(Anchor, Caret) : StepRight(text, Caret), extend, text);
      return true;
    case VK_HOME:
      MoveTo(multiLine && !shift.Contains(ssCtrl) ? LineStart(text, line) : 0, extend, text);
      return true;
    case VK_END:
      MoveTo(multiLine && !shift.Contains(ssCtrl) ? LineEnd(text, line) : Len(text), extend, text);
      return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      if (!multiLine) return false;
      const int lines = key == VK_UP || key == VK_DOWN ? 1 : std::max(pageLines, 1);
      MoveTo(VerticalMove(text, Caret, key == VK_UP || key == VK_PRIOR ? -lines : lines), extend, text);
      return true;
    }
    case VK_DELETE:
      if (readOnly) return true;
      if (SelLength() == 0) Caret = StepRight(text, Caret);
      Replace(text, String());
      return true;
    default:
      return false;
  }
}

bool TEditBuffer::KeyPress(String& text, Char key, bool multiLine, bool readOnly) {
  Clamp(text);
  switch (key) {
    case 3:  // Ctrl+C
      if (SelLength() > 0) Clipboard()->SetAsText(SelText(text));
      return true;
    case 24:  // Ctrl+X
      if (SelLength() > 0 && !readOnly) {
        Clipboard()->SetAsText(SelText(text));
        Replace(text, String());
      }
      return true;
    case 22: {  // Ctrl+V
      if (readOnly || !Clipboard()->HasFormat(CF_TEXT)) return true;
      String pasted = Clipboard()->AsText();
      if (!multiLine) pasted = pasted.substr(0, pasted.find_first_of(u"\r\n"));
      Replace(text, pasted);
      return true;
    }
    case u'\b':
      if (readOnly) return true;
      if (SelLength() == 0) Caret = StepLeft(text, Caret);
      Replace(text, String());
      return true;
    case u'\r':
      if (multiLine && !readOnly) Replace(text, u"\r\n");
      return multiLine;
    default:
      if (key < u' ') return false;
      if (!readOnly) Replace(text, String(1, key));
      return true;
  }
}

int PositionAtX(const TCanvas* canvas, const String& line, int x0, int x) {
  int best = 0, bestDistance = std::abs(x - x0);
  for (int i = 1; i <= Len(line); ++i) {
    const int d = std::abs(x - (x0 + canvas->TextWidth(line.substr(0, static_cast<std::size_t>(i)))));
    if (d < bestDistance) best = i, bestDistance = d;
  }
  return best;
}

void PaintTextLine(TCanvas* canvas, const TRect& clip, int x, int y, const String& line, int selStart, int selLength,
                   int caret) {
  canvas->Brush()->SetStyle(bsClear);
  canvas->TextRect(clip, x, y, line);
  const int th = canvas->TextHeight(line);
  const int from = std::clamp(selStart, 0, Len(line)), to = std::clamp(selStart + selLength, 0, Len(line));
  if (to > from) {
    const int x1 = x + canvas->TextWidth(line.substr(0, static_cast<std::size_t>(from)));
    const int x2 = x + canvas->TextWidth(line.substr(0, static_cast<std::size_t>(to)));
    const TRect sel = Intersect(Rect(x1, y, x2, y + th), clip);
    canvas->Brush()->SetColor(clHighlight);
    canvas->FillRect(sel);
    const TColor ink = canvas->Font()->Color();
    canvas->Font()->SetColor(clHighlightText);
    canvas->Brush()->SetStyle(bsClear);
    if (sel.Right > sel.Left) canvas->TextRect(sel, x, y, line);
    canvas->Font()->SetColor(ink);
  }
  if (caret < 0) return;
  const int cx = x + canvas->TextWidth(line.substr(0, static_cast<std::size_t>(std::clamp(caret, 0, Len(line)))));
  if (cx < clip.Left || cx >= clip.Right) return;
  canvas->Pen()->SetColor(canvas->Font()->Color());
  canvas->Pen()->SetWidth(1);
  canvas->MoveTo(cx, std::max(y, clip.Top));
  canvas->LineTo(cx, std::min(y + th, clip.Bottom));
}

}  // namespace qelta::platform_detail
