// TWinControl: children, alignment, window, painting, focus and keys.
//
// Painting: a windowed control's paint fills its background, runs PaintWindow and paints its graphic
// children, all clipped to the queued area; the pixels of windowed children and of windowed siblings
// above it are saved before and put back after, because each of those paints itself (they are
// separate windows on a real screen and would be clipped out there).

#include "Controls.h"

#include "ControlsInternal.h"

namespace qelta {

using namespace platform_detail;

namespace {
TAppState& State() { return AppState(); }
}  // namespace

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
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);  // realigns the children before Resize
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

// The whole control, not only its client area: a grid's or memo's scroll bars lie outside that.
void TWinControl::Invalidate() { InvalidateRect(Rect(0, 0, Width(), Height())); }

void TWinControl::InvalidateRect(const TRect& r) {
  if (!HandleAllocated()) return;
  const TRect area = IntersectRects(r, Rect(0, 0, Width(), Height()));
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

}  // namespace qelta
