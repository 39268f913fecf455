// Controls: TControl (geometry, hierarchy, properties, WndProc, mouse handlers), TGraphicControl and
// TCustomControl. TWinControl lives in WinControl.cpp, input state and routing in ControlsInput.cpp.

#include "Controls.h"

#include "ControlsInternal.h"
#include "Menus.h"

namespace qelta {

using namespace platform_detail;

namespace {
TAppState& State() { return AppState(); }
}  // namespace

// [SECTION] TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  if (FParent != nullptr) FParent->RemoveControl(this);
  auto& s = State();
  if (s.Capture == this) s.Capture = nullptr;
  if (s.Hover == this) s.Hover = nullptr;
  if (s.LastPress.Control == this) s.LastPress.Control = nullptr;
}

LRESULT TControl::Perform(Cardinal Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  WndProc(m);
  return m.Result;
}

void TControl::Invalidate() {
  if (FVisible && FParent != nullptr) FParent->InvalidateRect(BoundsRect());
}

void TControl::InvalidateParentArea(const TRect& r) {
  if (FParent != nullptr) FParent->InvalidateRect(r);
}

void TControl::Update() {
  if (FParent != nullptr) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  const bool sized = AWidth != FWidth || AHeight != FHeight;
  if (sized && !CanResize(AWidth, AHeight)) return;
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FVisible) InvalidateParentArea(BoundsRect());  // uncover the old place
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  if (sized) {
    // A handler of OnResize reads its children where they now stand.
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->Realign();
    Resize();
  }
  RequestAlign();
}

void TControl::SetClientWidth(int value) { SetWidth(value + FWidth - ClientWidth()); }

void TControl::SetClientHeight(int value) { SetHeight(value + FHeight - ClientHeight()); }

TPoint TControl::ClientToScreen(TPoint p) const {
  for (const TControl* c = this; c != nullptr; c = c->FParent) p = Point(p.X + c->FLeft, p.Y + c->FTop);
  return p;
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const TPoint o = ClientToScreen(Point(0, 0));
  return Point(p.X - o.X, p.Y - o.Y);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  for (const TControl* c = AParent; c != nullptr; c = c->FParent)
    if (c == this) throw EInvalidOperation("A control cannot have itself or a control inside it as its parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (AParent != nullptr) AParent->InsertControl(this);
}

void TControl::BringToFront() {
  if (FParent == nullptr) return;
  auto& list = FParent->FControls;
  list.erase(std::find(list.begin(), list.end(), this));
  // Graphic controls stay below every windowed sibling.
  auto pos = dynamic_cast<TWinControl*>(this) != nullptr
                 ? list.end()
                 : std::find_if(list.begin(), list.end(), [](TControl* c) { return dynamic_cast<TWinControl*>(c); });
  list.insert(pos, this);
  Invalidate();
}

void TControl::SendToBack() {
  if (FParent == nullptr) return;
  auto& list = FParent->FControls;
  list.erase(std::find(list.begin(), list.end(), this));
  auto pos = dynamic_cast<TWinControl*>(this) == nullptr
                 ? list.begin()
                 : std::find_if(list.begin(), list.end(), [](TControl* c) { return dynamic_cast<TWinControl*>(c); });
  list.insert(pos, this);
  FParent->Invalidate();
}

void TControl::SetVisible(bool value) {
  if (value == FVisible) return;
  if (!value) InvalidateParentArea(BoundsRect());  // uncover the place
  if (!value && State().Capture == this) SetCaptureControl(nullptr);
  FVisible = value;
  if (value) Invalidate();
  Perform(CM_VISIBLECHANGED, value ? 1 : 0, 0);
  RequestAlign();
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  return FParent != nullptr ? FParent->Showing() : dynamic_cast<const TForm*>(this) != nullptr;
}

void TControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  if (!value && State().Capture == this) SetCaptureControl(nullptr);
  FEnabled = value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetAlign(TAlign value) {
  if (value == FAlign) return;
  FAlign = value;
  if (FParent != nullptr) FParent->Realign();
}

void TControl::SetColor(TColor value) {
  FParentColor = false;
  if (value == FColor) return;
  FColor = value;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool value) {
  FParentColor = value;
  if (value && FParent != nullptr) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!FParentColor || FParent == nullptr || FParent->FColor == FColor) return;
  FColor = FParent->FColor;
  Perform(CM_COLORCHANGED, 0, 0);
  FParentColor = true;
}

void TControl::SetParentFont(bool value) {
  FParentFont = value;
  if (value && FParent != nullptr) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || FParent == nullptr) return;
  FAdoptingFont = true;
  FFont->Assign(FParent->FFont.get());
  FAdoptingFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::FontChanged() {
  if (FAdoptingFont) return;
  FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetText(const String& value) {
  if (value == FText) return;
  FText = value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

bool TControl::MouseCapture() const { return State().Capture == this; }

void TControl::SetMouseCapture(bool value) {
  if (value) SetCaptureControl(this);
  else if (MouseCapture()) SetCaptureControl(nullptr);
}

void TControl::RequestAlign() {
  if (FAlign != alNone && FParent != nullptr) FParent->Realign();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!handled && WheelDelta < 0) handled = DoMouseWheelDown(Shift, MousePos);
  if (!handled && WheelDelta > 0) handled = DoMouseWheelUp(Shift, MousePos);
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

bool TControl::CanResize(int& NewWidth, int& NewHeight) {
  bool resize = true;
  if (OnCanResize) OnCanResize(this, NewWidth, NewHeight, resize);
  return resize;
}

void TControl::MouseButtonMessage(TMessage& m, TMouseButton button, bool down, bool dbl) {
  const int x = MouseLParamX(m.LParam), y = MouseLParamY(m.LParam);
  TShiftState shift = KeysToShiftState(m.WParam);
  if (down) {
    if (FControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (button == mbLeft) FControlState.Include(csLButtonDown);
    if (button == mbLeft && FControlStyle.Contains(csClickEvents)) {
      if (dbl) DblClick();
      else FControlState.Include(csClicked);
    }
    if (dbl) shift.Include(ssDouble);
    MouseDown(button, shift, x, y);
    return;
  }
  if (!(m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) SetMouseCapture(false);
  const bool clicked = button == mbLeft && FControlState.Contains(csClicked);
  if (button == mbLeft) FControlState.Exclude(csLButtonDown).Exclude(csClicked);
  MouseUp(button, shift, x, y);
  if (clicked && PointIn(ClientRect(), Point(x, y))) Click();
  if (button == mbRight) {
    const TPoint at = ClientToScreen(Point(x, y));
    Perform(WM_CONTEXTMENU, 0, MakeMouseLParam(at.X, at.Y));
  }
}

void TControl::ContextMenu(TMessage& m) {
  const TPoint at = Point(MouseLParamX(m.LParam), MouseLParamY(m.LParam));
  m.Result = 1;
  if (DoContextPopup(ScreenToClient(at))) return;
  if (FPopupMenu != nullptr && FPopupMenu->AutoPopup()) {
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(at.X, at.Y);
    return;
  }
  m.Result = FParent != nullptr ? FParent->Perform(WM_CONTEXTMENU, m.WParam, m.LParam) : 0;
}

bool TControl::DoContextPopup(TPoint MousePos) {
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, MousePos, handled);
  return handled;
}

void TControl::SetPopupMenu(TPopupMenu* value) {
  if (value == FPopupMenu) return;
  if (FPopupMenu != nullptr) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = value;
  if (value != nullptr) value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::WndProc(TMessage& Message) {
  TMessage& m = Message;
  switch (m.Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_LBUTTONUP:
      MouseButtonMessage(m, mbLeft, m.Msg != WM_LBUTTONUP, m.Msg == WM_LBUTTONDBLCLK);
      break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_RBUTTONUP:
      MouseButtonMessage(m, mbRight, m.Msg != WM_RBUTTONUP, m.Msg == WM_RBUTTONDBLCLK);
      break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_MBUTTONUP:
      MouseButtonMessage(m, mbMiddle, m.Msg != WM_MBUTTONUP, m.Msg == WM_MBUTTONDBLCLK);
      break;
    case WM_MOUSEMOVE:
      MouseMove(KeysToShiftState(m.WParam), MouseLParamX(m.LParam), MouseLParamY(m.LParam));
      break;
    case WM_MOUSEWHEEL:
      m.Result = DoMouseWheel(KeysToShiftState(m.WParam & 0xFFFF), static_cast<int16_t>(m.WParam >> 16),
                              Point(MouseLParamX(m.LParam), MouseLParamY(m.LParam)));
      break;
    case WM_CONTEXTMENU:
      ContextMenu(m);
      break;
    case CM_MOUSEENTER:
      if (OnMouseEnter) OnMouseEnter(this);
      break;
    case CM_MOUSELEAVE:
      if (OnMouseLeave) OnMouseLeave(this);
      break;
    case CM_COLORCHANGED: case CM_FONTCHANGED: case CM_TEXTCHANGED: case CM_ENABLEDCHANGED:
      Invalidate();
      break;
    case CM_PARENTCOLORCHANGED:
      ParentColorChanged();
      break;
    case CM_PARENTFONTCHANGED:
      ParentFontChanged();
      break;
    case WM_PAINT: case WM_SETFOCUS: case WM_KILLFOCUS: case WM_TIMER: case WM_CAPTURECHANGED:
    case WM_GETDLGCODE: case CM_VISIBLECHANGED: case CM_WANTSPECIALKEY: case CM_DIALOGKEY: case CN_KEYUP:
    case CN_CHAR: case WM_KEYDOWN: case WM_KEYUP: case WM_CHAR:
      break;  // platform messages with nothing to do here
    default:
      Dispatch(m);
      break;
  }
}

void TControl::Dispatch(TMessage& Message) { Message.Result = 0; }

// [SECTION] TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()) {
  FCanvas->Font()->Assign(Font());
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    Paint();
    return;
  }
  if (Message.Msg == CM_FONTCHANGED) FCanvas->Font()->Assign(Font());
  TControl::WndProc(Message);
}

TCanvas* TGraphicControl::Canvas() {
  // Painted by the parent: the parent's paint area limits the drawing.
  const TWinControl* parent = Parent();
  Placement p;
  if (parent != nullptr && parent->HandleAllocated()) p = PlaceOf(this);
  const bool inPaint = parent != nullptr && parent->ControlState().Contains(csPainting);
  const TRect area = inPaint ? OffsetRect(parent->FInvalid, PlaceOf(parent).Origin) : TRect{};
  AsControlCanvas(FCanvas.get())->Bind(p, inPaint ? &area : nullptr);
  return FCanvas.get();
}

// [SECTION] TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

TCustomControl::~TCustomControl() = default;

}  // namespace qelta
