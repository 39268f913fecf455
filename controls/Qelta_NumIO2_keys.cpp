// Qelta_NumIO: the numeric input control TNumIO2 - keys.
//
// Every key arrives as the control's own key notification (CN_KEYDOWN) with its virtual-key code,
// before the platform's key handling; the control edits its buffer, undoes an edit the online check
// refuses, and answers 0 so that the host's OnKeyDown, OnKeyPress and OnKeyUp follow as for any
// windowed control (they see the key after the edit and cannot undo it). Tab is the exception: it
// moves the focus and, like any dialog key, produces no character.
// In itFixPoint the selection covers the decimal after the caret, so typing overwrites decimals; at
// the end of the text it covers the place after the last character, which is why every copy and
// delete clamps the selection to the text.

#include <algorithm>
#include <utility>

#include "Clipbrd.h"
#include "Dialogs.h"
#include "Qelta_NumIO.h"
#include "StrUtils.h"

namespace qelta {

namespace {

// The character a key inserts (0 for none): digits, 'A'-'F', the numeric pad, signs and separators.
Char KeyChar(Word key) {
  if ((key >= VK_0 && key <= VK_9) || (key >= VK_A && key <= VK_F)) return static_cast<Char>(key);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<Char>(u'0' + (key - VK_NUMPAD0));
  switch (key) {
    case VK_ADD:
    case VK_OEM_PLUS: return u'+';
    case VK_SUBTRACT:
    case VK_OEM_MINUS: return u'-';
    case VK_DECIMAL:
    case VK_OEM_COMMA: return u',';
    case VK_OEM_PERIOD: return u'.';
    default: return 0;
  }
}

Char Shifted(Char c) {
  switch (c) {
    case u'4': return u'$';
    case u'5': return u'%';
    case u'6': return u'&';
    default: return c;
  }
}

}  // namespace

void TNumIO2::CNKeyDown(TMessage& Message) {
  const auto key = static_cast<Word>(Message.WParam);
  Message.Result = key == VK_TAB && !FReadOnly && !FKeyCntrl ? 1 : 0;
  if (key == VK_SHIFT || key == VK_CONTROL) {
    (key == VK_SHIFT ? FKeyShifted : FKeyCntrl) = true;
    return;
  }
  if (FReadOnly) {
    if (FKeyCntrl && key == VK_C) CopySelection();
    return;
  }
  const String savedText = FInBuffer;
  const int savedCaret = FCaretPos;
  bool changed = FKeyCntrl ? CtrlKey(key) : PlainKey(key);
  if (FOnlineCheck && !PassesOnlineCheck(FInBuffer)) {
    FInBuffer = savedText;
    FCaretPos = savedCaret;
    changed = false;
    BeepIfAsked();
  }
  if (FInputFormat == itFixPoint) SetFixPointSelection();
  FCaretVisib = true;
  if (changed) Changed();
  Paint();
}

void TNumIO2::CNKeyUp(TMessage& Message) {
  const auto key = static_cast<Word>(Message.WParam);
  if (key == VK_SHIFT) FKeyShifted = false;
  if (key == VK_CONTROL) FKeyCntrl = false;
  Message.Result = 0;
}

bool TNumIO2::CtrlKey(Word key) {
  switch (key) {
    case VK_C: CopySelection(); return false;
    case VK_V:
      if (!Clipboard()->HasFormat(CF_TEXT)) return false;
      InsertText(Clipboard()->AsText());
      return true;
    case VK_X:
      if (FSelBegin >= FSelEnd) return false;
      CopySelection();
      return DeleteSelection(true);
    default: BeepIfAsked(); return false;
  }
}

bool TNumIO2::PlainKey(Word key) {
  const int len = Length(FInBuffer);
  const bool selection = FSelBegin < FSelEnd;
  switch (key) {
    case VK_BACK: return selection ? DeleteSelection(true) : DeleteBack();
    case VK_DELETE: return selection ? DeleteSelection(true) : DeleteForward();
    case VK_TAB:
      if (Parent() != nullptr) Parent()->Perform(WM_NEXTDLGCTL, 0, 0);
      return false;
    case VK_END: FCaretPos = len; return false;
    case VK_HOME: FCaretPos = 0; return false;
    case VK_LEFT:
    case VK_UP: FCaretPos = std::max(0, FCaretPos - 1); return false;
    case VK_RIGHT:
    case VK_DOWN: FCaretPos = std::min(len, FCaretPos + 1); return false;
    default: break;
  }
  const Char c = KeyChar(key);
  if (c == 0) {
    BeepIfAsked();
    return false;
  }
  if (selection) DeleteSelection(false);
  return InsertText(String(1, FKeyShifted ? Shifted(c) : c));
}

bool TNumIO2::InsertText(const String& text) {
  FCaretPos = std::clamp(FCaretPos, 0, Length(FInBuffer));
  FInBuffer.insert(static_cast<std::size_t>(FCaretPos), text);
  FCaretPos += Length(text);
  return true;
}

std::pair<int, int> TNumIO2::SelectionInText() const {
  const int len = Length(FInBuffer);
  const int begin = std::clamp(FSelBegin, 0, len);
  return {begin, std::clamp(FSelEnd, begin, len)};
}

bool TNumIO2::DeleteSelection(bool zeroText) {
  const auto [begin, end] = SelectionInText();
  const bool deleted = end > begin;
  FInBuffer.erase(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
  if (deleted && zeroText && FInBuffer.empty()) WriteValue(0);
  FSelBegin = FCaretPos = FSelEnd = begin;
  return deleted;
}

bool TNumIO2::DeleteBack() {
  if (FCaretPos <= 0) return false;
  FInBuffer.erase(static_cast<std::size_t>(FCaretPos - 1), 1);
  --FCaretPos;
  return true;
}

bool TNumIO2::DeleteForward() {
  if (FCaretPos >= Length(FInBuffer)) return false;
  FInBuffer.erase(static_cast<std::size_t>(FCaretPos), 1);
  return true;
}

void TNumIO2::CopySelection() const {
  const auto [begin, end] = SelectionInText();
  if (end > begin)
    Clipboard()->SetAsText(FInBuffer.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

void TNumIO2::BeepIfAsked() const {
  if (FBeep) MessageBeep(MB_SIMPLEBEEP);
}

void TNumIO2::SetFixPointSelection() {
  if (FCaretPos > Length(FInBuffer) - FDecP - 1) {
    FSelBegin = FCaretPos;
    FSelEnd = FCaretPos + 1;
  } else {
    FSelBegin = FSelEnd;
  }
}

}  // namespace qelta
