// Controls: geometry, hierarchy, painting on the form's surface, message handling and input routing.
//
// Index
//   [SECTION] helpers          rectangles, placement on the surface, bound canvases
//   [SECTION] input state      key state, capture, cursor position
//   [SECTION] TControl         bounds, properties, WndProc, mouse handlers
//   [SECTION] TGraphicControl
//   [SECTION] TWinControl      children, alignment, window, painting, focus, keys
//   [SECTION] TCustomControl
//   [SECTION] routing          paint queue, mouse and key input
//
// Painting: a windowed control's paint fills its background, runs PaintWindow and paints its graphic
// children, all clipped to the queued area; the pixels of windowed children and of windowed siblings
// above it are saved before and put back after, because each of those paints itself (they are
// separate windows on a real screen and would be clipped out there).

#include "Controls.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "AppState.h"
#include "Forms.h"

namespace qelta {

// [SECTION] helpers

namespace {

detail::TAppState& State() { return Application->State(); }

bool IsEmptyRect(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

TRect IntersectRects(const TRect& a, const TRect& b) {
  const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                std::min(a.Bottom, b.Bottom)};
  return IsEmptyRect(r) ? TRect{} : r;
}

TRect UnionRects(const TRect& a, const TRect& b) {
  if (IsEmptyRect(a)) return b;
  if (IsEmptyRect(b)) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

TRect OffsetRect(const TRect& r, TPoint d) { return {r.Left + d.X, r.Top + d.Y, r.Right + d.X, r.Bottom + d.Y}; }

bool PointIn(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

/// Where a control's client area lies on its form's surface and which part of it can be seen.
struct Placement {
  TForm* Form = nullptr;
  TPoint Origin;  // surface position of the control's client (0, 0)
  TRect Clip;     // visible part, surface coordinates
  bool Ok = false;
};

/// Placement of c; not Ok when it has no form with a surface or something on the way is hidden.
Placement PlaceOf(const TControl* c) {
  Placement p;
  std::vector<const TControl*> chain;
  for (const TControl* x = c; x != nullptr; x = x->Parent()) chain.push_back(x);
  p.Form = const_cast<TForm*>(dynamic_cast<const TForm*>(chain.back()));
  if (p.Form == nullptr || p.Form->Surface() == nullptr) return p;
  p.Clip = Rect(0, 0, p.Form->Surface()->Width(), p.Form->Surface()->Height());
  for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
    const TControl* x = *it;
    if (!x->Visible()) return p;
    p.Origin = Point(p.Origin.X + x->Left(), p.Origin.Y + x->Top());
    p.Clip = IntersectRects(p.Clip, Bounds(p.Origin.X, p.Origin.Y, x->Width(), x->Height()));
  }
  p.Ok = true;
  return p;
}

/// A control's canvas: rebinds to the surface only when the control's place changed, so a clip
/// rectangle the control set itself survives between calls.
class TControlCanvas : public TCanvas {
 public:
  void Bind(const Placement& p, const TRect* paintArea) {
    TCanvasSurface surface;
    TRect clip;
    if (p.Ok) {
      surface = p.Form->Surface()->Canvas()->Surface();
      clip = paintArea ? IntersectRects(p.Clip, *paintArea) : p.Clip;
    }
    if (surface.Pixels == FBoundPixels && surface.Width == FBoundW && surface.Height == FBoundH &&
        p.Origin == FBoundOrigin && clip == FBoundClip)
      return;
    FBoundPixels = surface.Pixels;
    FBoundW = surface.Width;
    FBoundH = surface.Height;
    FBoundOrigin = p.Origin;
    FBoundClip = clip;
    SetSurface(surface);
    SetOrigin(p.Origin);
    SetClipRect(OffsetRect(clip, Point(-p.Origin.X, -p.Origin.Y)));
    if (surface.Pixels != nullptr && IsEmptyRect(clip)) SetSurface(TCanvasSurface{});  // nothing visible
  }

 private:
  const uint32_t* FBoundPixels = nullptr;
  int FBoundW = -1;
  int FBoundH = -1;
  TPoint FBoundOrigin{INT_MIN, INT_MIN};
  TRect FBoundClip;
};

TControlCanvas* AsControlCanvas(TCanvas* c) { return static_cast<TControlCanvas*>(c); }

/// Pixels of a surface rectangle kept aside while a parent paints over it.
struct SavedPixels {
  TRect Area;
  std::vector<uint32_t> Pixels;
};

SavedPixels SavePixels(const TCanvasSurface& s, const TRect& area) {
  SavedPixels saved{area, {}};
  for (int y = area.Top; y < area.Bottom; ++y)
    saved.Pixels.insert(saved.Pixels.end(), s.Pixels + static_cast<std::ptrdiff_t>(y) * s.Stride + area.Left,
                        s.Pixels + static_cast<std::ptrdiff_t>(y) * s.Stride + area.Right);
  return saved;
}

void RestorePixels(const TCanvasSurface& s, const SavedPixels& saved) {
  const int w = saved.Area.Width();
  for (int y = saved.Area.Top; y < saved.Area.Bottom; ++y)
    std::copy_n(saved.Pixels.begin() + static_cast<std::ptrdiff_t>(y - saved.Area.Top) * w, w,
                s.Pixels + static_cast<std::ptrdiff_t>(y) * s.Stride + saved.Area.Left);
}

/// Queues a full repaint of w and every windowed control inside it.
void InvalidateTree(TWinControl* w) {
  w->Invalidate();
  for (int i = 0; i < w->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(w->Controls(i))) InvalidateTree(child);
}

int DepthOf(const TControl* c) {
  int d = 0;
  for (; c->Parent() != nullptr; c = c->Parent()) ++d;
  return d;
}

}  // namespace

// [SECTION] input state

int16_t GetKeyState(int VirtKey) {
  const auto& s = State();
  bool down = false;
  if (VirtKey >= 0 && VirtKey < 256) down = s.KeyDown[VirtKey];
  if (VirtKey == VK_LBUTTON) down = s.ButtonDown[mbLeft];
  if (VirtKey == VK_RBUTTON) down = s.ButtonDown[mbRight];
  if (VirtKey == VK_MBUTTON) down = s.ButtonDown[mbMiddle];
  return down ? static_cast<int16_t>(0x8000) : 0;
}

TShiftState GetShiftState() {
  const auto& s = State();
  TShiftState shift;
  if (s.KeyDown[VK_SHIFT]) shift.Include(ssShift);
  if (s.KeyDown[VK_CONTROL]) shift.Include(ssCtrl);
  if (s.KeyDown[VK_MENU]) shift.Include(ssAlt);
  if (s.ButtonDown[mbLeft]) shift.Include(ssLeft);
  if (s.ButtonDown[mbRight]) shift.Include(ssRight);
  if (s.ButtonDown[mbMiddle]) shift.Include(ssMiddle);
  return shift;
}

namespace {
/// Shift state of a key message: the modifier keys only.
TShiftState KeyShiftState() { return GetShiftState() & TShiftState{ssShift, ssCtrl, ssAlt}; }
}  // namespace

TShiftState KeysToShiftState(WPARAM Keys) {
  TShiftState shift;
  if (Keys & MK_SHIFT) shift.Include(ssShift);
  if (Keys & MK_CONTROL) shift.Include(ssCtrl);
  if (Keys & MK_LBUTTON) shift.Include(ssLeft);
  if (Keys & MK_RBUTTON) shift.Include(ssRight);
  if (Keys & MK_MBUTTON) shift.Include(ssMiddle);
  if (State().KeyDown[VK_MENU]) shift.Include(ssAlt);
  return shift;
}

TPoint GetCursorPos() { return State().CursorPos; }

TControl* GetCaptureControl() { return State().Capture; }

void SetCaptureControl(TControl* Control) {
  auto& s = State();
  if (s.Capture == Control) return;
  TControl* old = s.Capture;
  s.Capture = Control;
  if (old != nullptr) old->Perform(WM_CAPTURECHANGED, 0, 0);
}

TCursor CurrentCursor() {
  if (Screen()->Cursor() != crDefault) return Screen()->Cursor();
  const auto& s = State();
  for (const TControl* c = s.Capture != nullptr ? s.Capture : s.Hover; c != nullptr; c = c->Parent())
    if (c->Cursor() != crDefault) return c->Cursor();
  return crDefault;
}

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
  if (sized) Resize();
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

// [SECTION] TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), FWindowCanvas(std::make_unique<TControlCanvas>()) {
  FWindowCanvas->Font()->Assign(Font());
}

TWinControl::~TWinControl() {
  // Leave the parent while this is still a windowed control: the parent's lists hold it as one.
  if (Parent() != nullptr) Parent()->RemoveControl(this);
  std::erase(State().PaintQueue, this);
  FControlState.Include(csAligning);  // no realignment while the children go
  while (!FControls.empty()) delete FControls.back();
  DestroyHandle();
}

TControl* TWinControl::Controls(int index) const {
  return index >= 0 && index < ControlCount() ? FControls[static_cast<std::size_t>(index)] : nullptr;
}

bool TWinControl::ContainsControl(const TControl* c) const {
  for (; c != nullptr; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(TPoint p) const {
  for (bool windowed : {true, false})
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
      TControl* c = *it;
      if ((dynamic_cast<TWinControl*>(c) != nullptr) == windowed && c->Visible() && c->Enabled() &&
          PointIn(c->BoundsRect(), p))
        return c;
    }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& Message) {
  const std::vector<TControl*> children = FControls;  // a handler may add or remove controls
  for (TControl* c : children) {
    if (std::find(FControls.begin(), FControls.end(), c) == FControls.end()) continue;
    c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::InsertControl(TControl* c) {
  c->FParent = this;
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    FControls.push_back(c);
    FTabList.push_back(w);
  } else {
    // Graphic controls go on top of their kind, below every windowed sibling.
    auto pos = std::find_if(FControls.begin(), FControls.end(), [](TControl* x) { return dynamic_cast<TWinControl*>(x); });
    FControls.insert(pos, c);
  }
  c->ParentColorChanged();
  c->ParentFontChanged();
  if (auto* w = dynamic_cast<TWinControl*>(c); w != nullptr && HandleAllocated()) w->HandleNeeded();
  c->Invalidate();
  c->RequestAlign();
}

void TWinControl::RemoveControl(TControl* c) {
  auto& s = State();
  if (c->Visible()) InvalidateRect(c->BoundsRect());
  if (s.Capture != nullptr && (s.Capture == c || (dynamic_cast<TWinControl*>(c) && static_cast<TWinControl*>(c)->ContainsControl(s.Capture))))
    s.Capture = nullptr;
  if (s.Hover != nullptr && (s.Hover == c || (dynamic_cast<TWinControl*>(c) && static_cast<TWinControl*>(c)->ContainsControl(s.Hover))))
    s.Hover = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    if (TForm* form = GetParentForm(this); form != nullptr && w->ContainsControl(form->ActiveControl()))
      form->SetActiveControlSilently(nullptr);
    w->DestroyHandle();
    std::erase(FTabList, w);
  }
  std::erase(FControls, c);
  c->FParent = nullptr;
  if (c->Align() != alNone) Realign();
}

void TWinControl::Realign() {
  if (FControlState.Contains(csAligning)) return;
  FControlState.Include(csAligning);
  TRect r = ClientRect();
  auto aligned = [&](TAlign a, auto key) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->Align() == a && c->Visible()) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) { return key(x) < key(y); });
    return list;
  };
  for (TControl* c : aligned(alTop, [](TControl* c) { return c->Top(); })) {
    c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
    r.Top += c->Height();
  }
  for (TControl* c : aligned(alBottom, [](TControl* c) { return -(c->Top() + c->Height()); })) {
    c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
    r.Bottom -= c->Height();
  }
  for (TControl* c : aligned(alLeft, [](TControl* c) { return c->Left(); })) {
    c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
    r.Left += c->Width();
  }
  for (TControl* c : aligned(alRight, [](TControl* c) { return -(c->Left() + c->Width()); })) {
    c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
    r.Right -= c->Width();
  }
  for (TControl* c : aligned(alClient, [](TControl*) { return 0; })) c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  FControlState.Exclude(csAligning);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int w = Width(), h = Height();
  const TPoint at = Point(Left(), Top());
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (Width() != w || Height() != h) Realign();
  if (Width() != w || Height() != h || at != Point(Left(), Top())) InvalidateTree(this);
}

void TWinControl::SetEnabled(bool value) {
  if (value == Enabled()) return;
  if (!value) {
    TForm* form = GetParentForm(this);
    if (form != nullptr && form != this && ContainsControl(form->ActiveControl())) form->SetFocusedControl(nullptr);
    if (ContainsControl(State().Capture)) SetCaptureControl(nullptr);
  }
  TControl::SetEnabled(value);
}

// -- window

void TWinControl::HandleNeeded() {
  if (Showing()) CreateHandle();
}

void TWinControl::CreateHandle() {
  if (!HandleAllocated()) CreateWnd();
  for (std::size_t i = 0; i < FControls.size(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(FControls[i]); w != nullptr && w->Visible()) w->CreateHandle();
}

void TWinControl::DestroyHandle() {
  if (!HandleAllocated()) return;
  for (TControl* c : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::CreateWnd() {
  FHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
  Invalidate();
}

void TWinControl::DestroyWnd() {
  std::erase(State().PaintQueue, this);
  FPaintQueued = false;
  FInvalid = TRect{};
  DeallocateHWnd(FHandle);
  FHandle = 0;
}

// -- painting

void TWinControl::Invalidate() { InvalidateRect(ClientRect()); }

void TWinControl::InvalidateRect(const TRect& r) {
  if (!HandleAllocated()) return;
  const TRect area = IntersectRects(r, ClientRect());
  if (IsEmptyRect(area)) return;
  FInvalid = UnionRects(FInvalid, area);
  if (!FPaintQueued) {
    FPaintQueued = true;
    State().PaintQueue.push_back(this);
  }
}

void TWinControl::Update() {
  if (FPaintQueued) Perform(WM_PAINT, 0, 0);
}

TCanvas* TWinControl::WindowCanvas() {
  Placement p;
  if (HandleAllocated()) p = PlaceOf(this);
  const TRect area = OffsetRect(FInvalid, p.Origin);
  AsControlCanvas(FWindowCanvas.get())->Bind(p, FControlState.Contains(csPainting) ? &area : nullptr);
  return FWindowCanvas.get();
}

void TWinControl::PaintHandler() {
  std::erase(State().PaintQueue, this);
  FPaintQueued = false;
  const Placement p = HandleAllocated() ? PlaceOf(this) : Placement{};
  const TRect area = p.Ok ? IntersectRects(OffsetRect(FInvalid, p.Origin), p.Clip) : TRect{};
  if (IsEmptyRect(area)) {
    FInvalid = TRect{};
    return;
  }
  // Windowed children and windowed siblings above this one keep their pixels.
  const TCanvasSurface surface = p.Form->Surface()->Canvas()->Surface();
  std::vector<SavedPixels> saved;
  auto keep = [&](TControl* c) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w == nullptr || !w->HandleAllocated()) return;
    const Placement wp = PlaceOf(w);
    const TRect r = wp.Ok ? IntersectRects(wp.Clip, area) : TRect{};
    if (!IsEmptyRect(r)) saved.push_back(SavePixels(surface, r));
  };
  for (TControl* c : FControls) keep(c);
  if (Parent() != nullptr) {
    const auto& siblings = Parent()->FControls;
    for (auto it = std::find(siblings.begin(), siblings.end(), this) + 1; it < siblings.end(); ++it) keep(*it);
  }
  FInvalid = OffsetRect(area, Point(-p.Origin.X, -p.Origin.Y));
  FControlState.Include(csPainting);
  try {
    if (!ControlStyle().Contains(csOpaque)) {
      TCanvas background;
      background.SetSurface(surface);
      background.SetClipRect(area);
      background.Brush()->SetColor(Color());
      background.FillRect(area);
    }
    PaintWindow();
    PaintChildren(area);
  } catch (...) {
    FControlState.Exclude(csPainting);
    FInvalid = TRect{};
    for (const SavedPixels& sp : saved) RestorePixels(surface, sp);
    throw;
  }
  FControlState.Exclude(csPainting);
  FInvalid = TRect{};
  for (const SavedPixels& sp : saved) RestorePixels(surface, sp);
  WindowCanvas();  // back to the whole visible area for drawing outside a paint
}

void TWinControl::PaintChildren(const TRect& surfaceClip) {
  for (std::size_t i = 0; i < FControls.size(); ++i) {
    auto* g = dynamic_cast<TGraphicControl*>(FControls[i]);
    if (g == nullptr || !g->Visible()) continue;
    const Placement gp = PlaceOf(g);
    if (!gp.Ok || IsEmptyRect(IntersectRects(gp.Clip, surfaceClip))) continue;
    g->Canvas();
    g->Perform(WM_PAINT, 0, 0);
  }
}

// -- focus

bool TWinControl::CanFocus() const {
  const TForm* form = GetParentForm(this);
  if (form == nullptr || !form->Visible() || !form->Enabled()) return false;
  for (const TControl* c = this; c != form; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const {
  TForm* form = GetParentForm(this);
  if (form == nullptr || State().ActiveForm != form) return false;
  return form->ActiveControl() == this || (form == this && form->ActiveControl() == nullptr);
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  GetParentForm(this)->SetFocusedControl(this);
}

int TWinControl::TabOrder() const {
  if (Parent() == nullptr) return -1;
  const auto& list = Parent()->FTabList;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int value) {
  if (Parent() == nullptr) return;
  auto& list = Parent()->FTabList;
  list.erase(std::find(list.begin(), list.end(), this));
  value = std::clamp(value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + value, this);
}

/// Reaches the private lists of windowed controls for the helpers of this file.
struct ControlsAccess {
  static const std::vector<TWinControl*>& TabList(const TWinControl* w) { return w->FTabList; }
  static void Dequeued(TWinControl* w) { w->FPaintQueued = false; }
};

namespace {
/// Every windowed control inside a tab list, in tab order, depth first.
void TabOrderList(const std::vector<TWinControl*>& tabList, std::vector<TWinControl*>& out) {
  for (TWinControl* c : tabList) {
    out.push_back(c);
    TabOrderList(ControlsAccess::TabList(c), out);
  }
}
}  // namespace

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) const {
  std::vector<TWinControl*> list;
  TabOrderList(FTabList, list);
  const int n = static_cast<int>(list.size());
  if (n == 0) return nullptr;
  int start = static_cast<int>(std::find(list.begin(), list.end(), CurControl) - list.begin());
  if (start == n) start = GoForward ? n - 1 : 0;  // not in the list: begin at an end
  for (int step = 1; step <= n; ++step) {
    const int i = ((GoForward ? start + step : start - step) % n + n) % n;
    TWinControl* c = list[static_cast<std::size_t>(i)];
    if (c != CurControl && c->CanFocus() && (!CheckTabStop || c->TabStop())) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop)) next->SetFocus();
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// -- keys

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(Char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::CNKeyDown(TMessage& m) {
  const Word key = static_cast<Word>(m.WParam);
  m.Result = 1;
  LRESULT mask = 0;
  if (key == VK_TAB) mask = DLGC_WANTTAB;
  if (key >= VK_LEFT && key <= VK_DOWN) mask = DLGC_WANTARROWS;
  if (key == VK_RETURN || key == VK_ESCAPE || key == VK_EXECUTE || key == VK_CANCEL) mask = DLGC_WANTALLKEYS;
  if (mask != 0) {
    const bool wanted = (Perform(WM_GETDLGCODE, 0, 0) & (mask | DLGC_WANTALLKEYS)) != 0 ||
                        Perform(CM_WANTSPECIALKEY, key, 0) != 0;
    TForm* form = GetParentForm(this);
    if (!wanted && form != nullptr && form->Perform(CM_DIALOGKEY, key, m.LParam) != 0) return;
  }
  m.Result = 0;
}

/// The form's preview first (when it has KeyPreview), then the control itself.
void TWinControl::DoKeyDown(TMessage& m) {
  Word key = static_cast<Word>(m.WParam);
  const TShiftState shift = KeyShiftState();
  TWinControl* form = GetParentForm(this);
  if (form != nullptr && form != this && static_cast<TForm*>(form)->KeyPreview()) form->KeyDown(key, shift);
  if (key != 0) KeyDown(key, shift);
  m.WParam = key;
}

void TWinControl::DoKeyUp(TMessage& m) {
  Word key = static_cast<Word>(m.WParam);
  const TShiftState shift = KeyShiftState();
  TWinControl* form = GetParentForm(this);
  if (form != nullptr && form != this && static_cast<TForm*>(form)->KeyPreview()) form->KeyUp(key, shift);
  if (key != 0) KeyUp(key, shift);
  m.WParam = key;
}

void TWinControl::DoKeyPress(TMessage& m) {
  Char key = static_cast<Char>(m.WParam);
  TWinControl* form = GetParentForm(this);
  if (form != nullptr && form != this && static_cast<TForm*>(form)->KeyPreview()) form->KeyPress(key);
  if (key != 0) KeyPress(key);
  m.WParam = key;
}

void TWinControl::WndProc(TMessage& Message) {
  TMessage& m = Message;
  switch (m.Msg) {
    case WM_PAINT: PaintHandler(); break;
    case CN_KEYDOWN: CNKeyDown(m); break;
    case WM_KEYDOWN: case WM_SYSKEYDOWN: DoKeyDown(m); break;
    case WM_KEYUP: case WM_SYSKEYUP: DoKeyUp(m); break;
    case WM_CHAR: case WM_SYSCHAR: DoKeyPress(m); break;
    case CM_ENTER: DoEnter(); break;
    case CM_EXIT: DoExit(); break;
    case WM_NEXTDLGCTL:
      if (TForm* form = GetParentForm(this); form != nullptr && form != this)
        m.Result = form->Perform(m.Msg, m.WParam, m.LParam);
      break;
    case CM_COLORCHANGED: case CM_FONTCHANGED:
      if (m.Msg == CM_FONTCHANGED) FWindowCanvas->Font()->Assign(Font());
      TControl::WndProc(m);
      for (std::size_t i = 0; i < FControls.size(); ++i)
        FControls[i]->Perform(m.Msg == CM_COLORCHANGED ? CM_PARENTCOLORCHANGED : CM_PARENTFONTCHANGED, 0, 0);
      break;
    case CM_VISIBLECHANGED:
      if (m.WParam != 0) {
        HandleNeeded();
        InvalidateTree(this);
      } else if (TForm* form = GetParentForm(this); form != nullptr && form != this && ContainsControl(form->ActiveControl())) {
        form->SetFocusedControl(nullptr);
      }
      break;
    default: TControl::WndProc(m); break;
  }
}

// [SECTION] TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

TCustomControl::~TCustomControl() = default;

// [SECTION] routing

namespace {

TForm* TopModal() {
  const auto& stack = State().ModalStack;
  return stack.empty() ? nullptr : stack.back();
}

/// The control under a screen point: the topmost shown form there (only the innermost modal form
/// while one runs), then the deepest visible, enabled control.
TControl* HitTest(TPoint screen) {
  const auto& forms = State().Forms;
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    TForm* form = *it;
    if (!form->Visible() || !PointIn(form->BoundsRect(), screen)) continue;
    if (TopModal() != nullptr && form != TopModal()) return nullptr;
    if (!form->Enabled()) return nullptr;
    TControl* c = form;
    while (auto* w = dynamic_cast<TWinControl*>(c)) {
      TControl* child = w->ControlAtPos(w->ScreenToClient(screen));
      if (child == nullptr) break;
      c = child;
    }
    return c;
  }
  return nullptr;
}

/// True when input for c must be dropped: another form is modal, or c cannot take input now.
bool Blocked(const TControl* c) {
  const TForm* form = GetParentForm(c);
  if (form == nullptr || !form->Visible()) return true;
  if (TopModal() != nullptr && form != TopModal()) return true;
  for (; c != nullptr; c = c->Parent())
    if (!c->Enabled() || !c->Visible()) return true;
  return false;
}

WPARAM MouseKeys() {
  const auto& s = State();
  WPARAM k = 0;
  if (s.ButtonDown[mbLeft]) k |= MK_LBUTTON;
  if (s.ButtonDown[mbRight]) k |= MK_RBUTTON;
  if (s.ButtonDown[mbMiddle]) k |= MK_MBUTTON;
  if (s.KeyDown[VK_SHIFT]) k |= MK_SHIFT;
  if (s.KeyDown[VK_CONTROL]) k |= MK_CONTROL;
  return k;
}

void UpdateHover(TControl* hit) {
  auto& s = State();
  if (hit == s.Hover) return;
  TControl* old = s.Hover;
  s.Hover = hit;
  if (old != nullptr) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (hit != nullptr && s.Hover == hit) hit->Perform(CM_MOUSEENTER, 0, 0);
}

/// Turns a press into a double click when it repeats the last one on the same control in time and place.
Cardinal DoubleClickOf(TControl* target, Cardinal msg, TPoint screen, int64_t time) {
  auto& last = State().LastPress;
  const int button = static_cast<int>(msg - WM_LBUTTONDOWN) / 3;
  const bool dbl = target->ControlStyle().Contains(csDoubleClicks) && last.Control == target &&
                   last.Button == button && !last.WasDouble && time - last.Time <= DoubleClickTime &&
                   std::abs(screen.X - last.Pos.X) <= DoubleClickWidth / 2 &&
                   std::abs(screen.Y - last.Pos.Y) <= DoubleClickHeight / 2;
  if (dbl) {
    last.WasDouble = true;
    return msg + (WM_LBUTTONDBLCLK - WM_LBUTTONDOWN);
  }
  last.Control = target;
  last.Button = button;
  last.Time = time;
  last.Pos = screen;
  last.WasDouble = false;
  return msg;
}

void SetButton(Cardinal msg) {
  auto& s = State();
  switch (msg) {
    case WM_LBUTTONDOWN: s.ButtonDown[mbLeft] = true; break;
    case WM_LBUTTONUP: s.ButtonDown[mbLeft] = false; break;
    case WM_RBUTTONDOWN: s.ButtonDown[mbRight] = true; break;
    case WM_RBUTTONUP: s.ButtonDown[mbRight] = false; break;
    case WM_MBUTTONDOWN: s.ButtonDown[mbMiddle] = true; break;
    case WM_MBUTTONUP: s.ButtonDown[mbMiddle] = false; break;
    default: break;
  }
}

/// The control keys go to: the active form's focused control, or the form itself.
TWinControl* KeyTarget() {
  TForm* form = State().ActiveForm;
  if (form == nullptr || !form->Visible()) return nullptr;
  return form->ActiveControl() != nullptr ? form->ActiveControl() : form;
}

void RouteWheel(const detail::TQueuedMessage& m) {
  TControl* target = KeyTarget();
  if (target == nullptr || Blocked(target)) return;
  const WPARAM w = (m.Msg.WParam & 0xFFFF0000u) | MouseKeys();
  for (TControl* c = target; c != nullptr; c = c->Parent())
    if (c->Perform(WM_MOUSEWHEEL, w, m.Msg.LParam) != 0) break;
}

void RouteMouse(const detail::TQueuedMessage& m) {
  auto& s = State();
  const TPoint screen = Point(MouseLParamX(m.Msg.LParam), MouseLParamY(m.Msg.LParam));
  s.CursorPos = screen;
  if (m.Msg.Msg == WM_MOUSEWHEEL) {
    RouteWheel(m);
    return;
  }
  SetButton(m.Msg.Msg);
  TControl* hit = HitTest(screen);
  UpdateHover(hit);
  TControl* target = s.Capture != nullptr ? s.Capture : hit;
  if (target == nullptr || Blocked(target)) return;
  Cardinal msg = m.Msg.Msg;
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN)
    msg = DoubleClickOf(target, msg, screen, m.Time);
  const TPoint p = target->ScreenToClient(screen);
  target->Perform(msg, MouseKeys(), MakeMouseLParam(p.X, p.Y));
}

void DeliverChar(Char ch) {
  TWinControl* target = KeyTarget();
  if (target != nullptr && target->Perform(CN_CHAR, ch, 0) == 0) target->Perform(WM_CHAR, ch, 0);
}

void RouteKey(const detail::TQueuedMessage& m) {
  auto& s = State();
  const Word vk = static_cast<Word>(m.Msg.WParam);
  if (m.Msg.Msg == WM_KEYDOWN && vk < 256) s.KeyDown[vk] = true;
  if (m.Msg.Msg == WM_KEYUP && vk < 256) s.KeyDown[vk] = false;
  TWinControl* target = KeyTarget();
  if (target == nullptr) return;
  switch (m.Msg.Msg) {
    case WM_KEYDOWN:
      // A key taken by the focused control's CN_KEYDOWN (a dialog key) produces no character.
      if (target->Perform(CN_KEYDOWN, vk, m.Msg.LParam) != 0) return;
      target->Perform(WM_KEYDOWN, vk, m.Msg.LParam);
      if (m.TypedChar != 0) DeliverChar(m.TypedChar);
      break;
    case WM_KEYUP:
      if (target->Perform(CN_KEYUP, vk, m.Msg.LParam) == 0) target->Perform(WM_KEYUP, vk, m.Msg.LParam);
      break;
    case WM_CHAR: DeliverChar(static_cast<Char>(m.Msg.WParam)); break;
    default: break;
  }
}

}  // namespace

bool detail::PaintPendingControls() {
  auto& queue = State().PaintQueue;
  if (queue.empty()) return false;
  while (!queue.empty()) {
    // Parents first, so that children paint over them.
    auto it = std::min_element(queue.begin(), queue.end(),
                               [](TWinControl* a, TWinControl* b) { return DepthOf(a) < DepthOf(b); });
    TWinControl* w = *it;
    queue.erase(it);
    ControlsAccess::Dequeued(w);  // a WndProc that takes WM_PAINT itself must not block later paints
    w->Perform(WM_PAINT, 0, 0);
  }
  return true;
}

void detail::RouteInput(const TQueuedMessage& m) {
  if (m.Msg.Msg >= WM_MOUSEFIRST && m.Msg.Msg <= WM_MOUSELAST) RouteMouse(m);
  else RouteKey(m);
}

}  // namespace qelta
