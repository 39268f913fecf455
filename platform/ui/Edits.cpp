// Edit boxes and memos.
//
// A memo's scroll bars stand inside its border; the text area keeps its margin from the bars as from the
// border. The widest line is measured anew at every change while a horizontal bar is wanted.

#include "Edits.h"

#include <algorithm>

#include "Clipbrd.h"
#include "EditBuffer.h"
#include "ScrollBars.h"
#include "WidgetPaint.h"

namespace qelta {

using platform_detail::TEditBuffer;

namespace {

constexpr int kWheelLines = 3;  // lines a memo scrolls for a notch of the wheel, as the desktop's default

}  // namespace

// [SECTION] TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner), FBuffer(std::make_unique<TEditBuffer>()) {
  TControlStyle style = ControlStyle();
  SetControlStyle(style.Include(csOpaque));  // paints all of itself
  SetColor(clWindow);
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
  AdjustHeight();
}

TCustomEdit::~TCustomEdit() = default;

int TCustomEdit::SelStart() const { return FBuffer->SelStart(); }

void TCustomEdit::SetSelStart(int value) {
  FBuffer->Select(value, 0, Text());
  ScrollToCaret();
  Invalidate();
}

int TCustomEdit::SelLength() const { return FBuffer->SelLength(); }

void TCustomEdit::SetSelLength(int value) {
  FBuffer->Select(FBuffer->SelStart(), value, Text());
  ScrollToCaret();
  Invalidate();
}

String TCustomEdit::SelText() const { return FBuffer->SelText(Text()); }

void TCustomEdit::SetSelText(const String& value) {
  String text = Text();
  FBuffer->Replace(text, value);
  UserEdit(text);
}

void TCustomEdit::SelectAll() {
  FBuffer->Select(0, static_cast<int>(Text().size()), Text());
  Invalidate();
}

void TCustomEdit::ClearSelection() {
  if (FReadOnly || SelLength() == 0) return;
  SetSelText(String());
}

void TCustomEdit::CopyToClipboard() {
  if (SelLength() > 0) Clipboard()->SetAsText(SelText());
}

void TCustomEdit::CutToClipboard() {
  if (FReadOnly || SelLength() == 0) return;
  CopyToClipboard();
  SetSelText(String());
}

void TCustomEdit::PasteFromClipboard() {
  if (FReadOnly) return;
  String text = Text();
  Char paste = 22;
  if (FBuffer->KeyPress(text, paste, FMultiLine, false)) UserEdit(text);
}

void TCustomEdit::Clear() { SetText(String()); }

void TCustomEdit::SetAutoSize(bool value) {
  FAutoSize = value;
  AdjustHeight();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  value = value == bsNone ? bsNone : bsSingle;
  if (value == FBorderStyle) return;
  FBorderStyle = value;
  AdjustHeight();
  ViewChanged();
  Invalidate();
}

void TCustomEdit::SetHideSelection(bool value) {
  FHideSelection = value;
  Invalidate();
}

void TCustomEdit::AdjustHeight() {
  if (!FAutoSize || FMultiLine) return;
  SetHeight(WindowCanvas()->TextHeight(u"Wg") + (FBorderStyle == bsNone ? 2 : 8));
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::UserEdit(const String& text) {
  FModified = true;
  ScrollToCaret();
  Invalidate();
  SetText(text);  // Change runs from CM_TEXTCHANGED, with the caret already in place
}

TRect TCustomEdit::TextArea() const {
  const int inset = FBorderStyle == bsNone ? 1 : 3;
  return Rect(inset, inset, std::max(inset, ClientWidth() - inset), std::max(inset, ClientHeight() - inset));
}

int TCustomEdit::LineHeight() { return std::max(1, WindowCanvas()->TextHeight(u"Wg")); }

int TCustomEdit::VisibleLines() { return std::max(1, TextArea().Height() / LineHeight()); }

void TCustomEdit::SetTopLine(int value) {
  value = std::max(value, 0);
  if (value == FTopLine) return;
  FTopLine = value;
  ViewChanged();
  Invalidate();
}

void TCustomEdit::SetScrollX(int value) {
  value = std::max(value, 0);
  if (value == FScrollX) return;
  FScrollX = value;
  ViewChanged();
  Invalidate();
}

void TCustomEdit::ScrollToCaret() {
  TCanvas* c = WindowCanvas();
  const String& text = Text();
  const int line = TEditBuffer::LineOf(text, FBuffer->Caret);
  const String lineText = TEditBuffer::LineText(text, line);
  const TRect area = TextArea();
  const int caretX =
      c->TextWidth(lineText.substr(0, static_cast<std::size_t>(FBuffer->Caret - TEditBuffer::LineStart(text, line))));
  if (caretX - FScrollX > area.Width() - 2) FScrollX = caretX - area.Width() + 2;
  if (caretX < FScrollX) FScrollX = caretX;
  if (!FMultiLine && c->TextWidth(text) < area.Width()) FScrollX = 0;
  const int rows = VisibleLines();
  if (line < FTopLine) FTopLine = line;
  if (line >= FTopLine + rows) FTopLine = line - rows + 1;
  ViewChanged();
}

int TCustomEdit::PositionAt(int X, int Y) {
  TCanvas* c = WindowCanvas();
  const String& text = Text();
  const TRect area = TextArea();
  const int lh = LineHeight();
  const int lineTop = FMultiLine ? area.Top : area.Top + (area.Height() - lh) / 2;
  const int line = FMultiLine ? std::clamp(FTopLine + (Y - lineTop) / lh - (Y < lineTop ? 1 : 0), 0,
                                           TEditBuffer::LineCount(text) - 1)
                              : 0;
  return TEditBuffer::LineStart(text, line) +
         platform_detail::PositionAtX(c, TEditBuffer::LineText(text, line), area.Left - FScrollX, X);
}

void TCustomEdit::KeyDown(Word& Key, TShiftState Shift) {
  TWinControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  String text = Text();
  const int page = VisibleLines(), lineBefore = TEditBuffer::LineOf(text, FBuffer->Caret);
  if (!FBuffer->KeyDown(text, Key, Shift, FMultiLine, FReadOnly, page)) return;
  if (text != Text()) UserEdit(text);
  if (Key == VK_PRIOR || Key == VK_NEXT) {  // the view moves the lines the caret moved
    const int moved = TEditBuffer::LineOf(text, FBuffer->Caret) - lineBefore;
    FTopLine = std::clamp(FTopLine + moved, 0, std::max(0, TEditBuffer::LineCount(text) - page));
  }
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::KeyPress(Char& Key) {
  TWinControl::KeyPress(Key);  // OnKeyPress first: it may change or swallow the character
  if (Key == 0) return;
  String text = Text();
  if (!FBuffer->KeyPress(text, Key, FMultiLine, FReadOnly)) return;
  if (text != Text())
    UserEdit(text);
  else
    Invalidate();
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    FMousePress = true;
    if (CanFocus() && !Focused()) SetFocus();
    FMousePress = false;
    FBuffer->MoveTo(PositionAt(X, Y), Shift.Contains(ssShift), Text());
    ScrollToCaret();
    Invalidate();
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomEdit::MouseMove(TShiftState Shift, int X, int Y) {
  if (Shift.Contains(ssLeft) && MouseCapture()) {
    FBuffer->MoveTo(PositionAt(X, Y), true, Text());
    ScrollToCaret();
    Invalidate();
  }
  TWinControl::MouseMove(Shift, X, Y);
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect && !FMousePress && !FMultiLine) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL | (FMultiLine ? DLGC_WANTALLKEYS : 0);
      return;
    case CM_TEXTCHANGED:
      FBuffer->Clamp(Text());
      TWinControl::WndProc(Message);
      Change();
      return;
    case CM_FONTCHANGED:
      TWinControl::WndProc(Message);
      AdjustHeight();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Invalidate();
      break;
    default:
      break;
  }
  TWinControl::WndProc(Message);
}

void TCustomEdit::PaintWindow() {
  TCanvas* c = WindowCanvas();
  TRect r = Rect(0, 0, Width(), Height());  // the border goes round a memo's scroll bars too
  if (FBorderStyle == bsSingle) platform_detail::SunkenBorder(c, r);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  PaintLines(c, TextArea());
}

void TCustomEdit::PaintLines(TCanvas* c, const TRect& area) {
  const String& text = Text();
  const bool focused = Focused() && Enabled();
  const bool showSelection = focused || !FHideSelection;
  const int lh = c->TextHeight(u"Wg");
  const int lines = TEditBuffer::LineCount(text);
  int y = FMultiLine ? area.Top : area.Top + (area.Height() - lh) / 2;
  for (int line = FMultiLine ? FTopLine : 0; line < lines && y < area.Bottom; ++line, y += lh) {
    const int start = TEditBuffer::LineStart(text, line);
    const int end = TEditBuffer::LineEnd(text, line);
    const int caretLine = TEditBuffer::LineOf(text, FBuffer->Caret);
    platform_detail::PaintTextLine(c, area, area.Left - FScrollX, y, text.substr(start, end - start),
                          showSelection ? SelStart() - start : 0, showSelection ? SelLength() : 0,
                          focused && line == caretLine ? FBuffer->Caret - start : -1);
  }
}

// [SECTION] TCustomMemo

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TStringList>()) {
  SetMultiLine(true);
  FScrollBarPair = std::make_unique<platform_detail::TScrollBarPair>(
      this, [this](bool vertical, platform_detail::TScrollStep step, int position) { Scrolled(vertical, step, position); });
  SetBounds(0, 0, 185, 89);
  FLines->OnChange = [this](TObject*) {
    if (FSyncing) return;
    String text = FLines->Text();
    if (text.size() >= 2 && text.ends_with(u"\r\n")) text.resize(text.size() - 2);
    FSyncing = true;
    SetText(text);
    FSyncing = false;
  };
}

TCustomMemo::~TCustomMemo() { FLines->OnChange = nullptr; }

void TCustomMemo::Change() {
  if (!FSyncing) {
    FSyncing = true;
    FLines->SetText(Text());
    FSyncing = false;
  }
  UpdateScrollBars();
  TCustomEdit::Change();
}

bool TCustomMemo::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TCustomEdit::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  const int lines = WheelDelta * kWheelLines / WHEEL_DELTA;
  const int last = std::max(0, platform_detail::TEditBuffer::LineCount(Text()) - VisibleLines());
  SetTopLine(std::clamp(TopLine() - lines, 0, std::max(last, TopLine())));
  return true;
}

void TCustomMemo::KeyPress(Char& Key) {
  if (Key == u'\r' && !FWantReturns) {
    TWinControl::KeyPress(Key);  // OnKeyPress sees it; the memo takes no line break
    return;
  }
  TCustomEdit::KeyPress(Key);
}

void TCustomMemo::WndProc(TMessage& Message) {
  TCustomEdit::WndProc(Message);
  if (Message.Msg == WM_GETDLGCODE && !FWantReturns) Message.Result &= ~DLGC_WANTALLKEYS;
  if (Message.Msg == CM_FONTCHANGED) UpdateScrollBars();
}

// [SECTION] the memo's scroll bars

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  if (value == FScrollBars) return;
  FScrollBars = value;
  UpdateScrollBars();
}

TRect TCustomMemo::GetClientRect() const {
  return FScrollBarPair ? FScrollBarPair->ClientRect() : TCustomEdit::GetClientRect();
}

void TCustomMemo::Resize() {
  UpdateScrollBars();
  TCustomEdit::Resize();
}

void TCustomMemo::ViewChanged() {
  if (FScrollBarPair == nullptr) return;
  const TRect area = TextArea();
  const int lines = platform_detail::TEditBuffer::LineCount(Text());
  const int rows = VisibleLines();
  FScrollBarPair->Bar(true)->SetInfo({std::max({lines - rows, TopLine(), 0}), rows, TopLine()});
  const int room = std::max(1, area.Width() - 2);  // a caret after the widest line stays in view
  FScrollBarPair->Bar(false)->SetInfo({std::max({FWidest - room, ScrollX(), 0}), room, ScrollX()});
}

void TCustomMemo::UpdateScrollBars() {
  if (FScrollBarPair == nullptr) return;  // still being built
  const TRect area = TextArea();
  const int lines = platform_detail::TEditBuffer::LineCount(Text()), lh = LineHeight();
  if (TopLine() > 0) SetTopLine(std::min(TopLine(), std::max(0, lines - VisibleLines())));
  const bool wantV = FScrollBars == ssVertical || FScrollBars == ssBoth;
  const bool wantH = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
  FWidest = 0;
  if (wantH)
    for (int i = 0; i < FLines->Count(); ++i) FWidest = std::max(FWidest, WindowCanvas()->TextWidth(FLines->Strings(i)));
  // The text area grows and shrinks with the client area a bar leaves.
  const int marginX = ClientWidth() - area.Width(), marginY = ClientHeight() - area.Height();
  const int border = BorderStyle() == bsNone ? 0 : 2;
  FScrollBarPair->Update(Rect(border, border, Width() - border, Height() - border), wantV, wantH,
                         [&](bool vertical, int length) {
                           if (vertical) return TopLine() > 0 || std::max(1, (length - marginY) / lh) < lines;
                           return ScrollX() > 0 || FWidest > length - marginX - 2;
                         });
  ViewChanged();
}

void TCustomMemo::Scrolled(bool vertical, platform_detail::TScrollStep step, int position) {
  const platform_detail::TScrollInfo info = FScrollBarPair->Bar(vertical)->Info();
  const int line = vertical ? 1 : std::max(1, WindowCanvas()->TextWidth(u"0"));  // a digit's width
  const int to = platform_detail::ScrollTarget(step, position, info.Position, 0, info.Max, line, info.Page);
  if (vertical)
    SetTopLine(to);
  else
    SetScrollX(to);
}

}  // namespace qelta
