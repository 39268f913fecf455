#pragma once
// Controls: TControl (bounds, parent, visibility, mouse), TGraphicControl (paints on its parent),
// TWinControl (children, window handle, focus, keys), TCustomControl (a windowed control with a
// Canvas and Paint), and the input rules they follow.
//
// How: every control has a virtual WndProc that turns messages into calls of virtual handlers
// (MouseDown, KeyDown, Paint, ...), which end in the On... events. A windowed control "has a window"
// (HandleAllocated, CreateWnd called once) from the moment it is showing on a shown form until it
// leaves that form or is destroyed; hiding keeps the window. Painting is headless: a shown form owns
// a persistent bitmap, and a control's Canvas draws into its part of it through an offset and a clip
// rectangle; a control without a window (or hidden) has a Canvas that draws nothing, so calling Paint
// then is a silent no-op. Invalidate queues one paint per windowed control (repeated calls merge);
// the loop paints when its queue is empty: background in Color (unless csOpaque), Paint, then the
// graphic children, never over windowed children, which paint themselves.
// Input rules: capture from a button press to the release of the last button; the platform's
// double-click order (down, up, click; a second press within 500 ms and 4x4 pixels gives DblClick,
// then MouseDown with ssDouble, then MouseUp without Click); keys go to the focused control, with Tab
// and the arrows moving the focus unless the control's WM_GETDLGCODE answer wants them; the wheel
// goes to the focused control, then its parents, until one handles it.
// A right click ends, after MouseUp, in WM_CONTEXTMENU: OnContextPopup, then the PopupMenu of the
// control or of its nearest parent that has one opens at the pointer (Menus.h).
// Limits: no non-client area (a form's client area is its whole size), no anchors, constraints,
// docking, drag and drop or hints; alignment is the simple top, bottom, left, right, client order.
// Destroying a windowed control destroys its children.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Messages.h"
#include "Screen.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- enumerations and event types --------------------------------------------------------------

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = Set<TShiftStateFlag>;

/// What a control does by itself (names chosen apart from the component-state flags csLoading...).
enum TControlStyleFlag : uint8_t {
  csAcceptsControls, csCaptureMouse, csClickEvents, csFramed, csSetCaption, csOpaque, csDoubleClicks,
  csFixedWidth, csFixedHeight, csReplicatable, csNoStdEvents
};
using TControlStyle = Set<TControlStyleFlag>;
/// What a control is doing now.
enum TControlStateFlag : uint8_t { csLButtonDown, csClicked, csFocusing, csAligning, csPainting };
using TControlState = Set<TControlStateFlag>;

class TControl;
class TWinControl;
class TPopupMenu;
namespace platform_detail {
struct ControlsAccess;  // ControlsInternal.h
}

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, Char& Key)>;
using TCanResizeEvent = std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// --- input state -------------------------------------------------------------------------------

/// Milliseconds within which a second press counts as a double click.
constexpr int DoubleClickTime = 500;
/// Width and height of the square around the first press in which the second one must land.
constexpr int DoubleClickWidth = 4, DoubleClickHeight = 4;

/// State of a key as the message being handled left it: bit 15 set while down.
int16_t GetKeyState(int VirtKey);
/// Shift, Ctrl and Alt from the key state and the mouse buttons held now.
TShiftState GetShiftState();
/// Shift state of a mouse message's MK_ flags, with Alt from the key state.
TShiftState KeysToShiftState(WPARAM Keys);
/// The pointer's screen position.
TPoint GetCursorPos();
/// The control that receives all mouse input until released (nullptr when none).
TControl* GetCaptureControl();
/// Gives the mouse capture to a control (nullptr releases it).
void SetCaptureControl(TControl* Control);
/// The cursor shown now: Screen()->Cursor() unless crDefault, else the Cursor of the control holding
/// the capture or lying under the pointer, or of its nearest parent with one; crDefault when none.
TCursor CurrentCursor();

// --- TControl ----------------------------------------------------------------------------------

/// Anything on a form: bounds within its parent, visibility, colour and font, mouse handling.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // -- messages
  /// Sends a message straight to the control's WndProc; answers its Result.
  LRESULT Perform(Cardinal Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  /// Turns a platform message into a handler call and hands every other message to Dispatch.
  virtual void WndProc(TMessage& Message);
  /// Receives the messages the platform does not handle itself (a component's own WM_USER + n);
  /// does nothing by default (Result 0). Override it, or WndProc to see every message first.
  virtual void Dispatch(TMessage& Message);

  // -- painting
  /// Queues a repaint of the control's area (a no-op without a window).
  virtual void Invalidate();
  /// Paints what is queued for this control's window now.
  virtual void Update();
  /// Invalidate and Update.
  virtual void Repaint();
  /// Same as Repaint.
  void Refresh() { Repaint(); }

  // -- geometry
  /// Moves and sizes the control (negative sizes become 0); CanResize may refuse a new size.
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  int Left() const { return FLeft; }
  void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
  int Top() const { return FTop; }
  void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
  int Width() const { return FWidth; }
  void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
  int Height() const { return FHeight; }
  void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  /// The client area in client coordinates: (0, 0, ClientWidth, ClientHeight).
  TRect ClientRect() const { return GetClientRect(); }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  void SetClientWidth(int value);
  void SetClientHeight(int value);
  /// Screen position of a point given in client coordinates.
  TPoint ClientToScreen(TPoint p) const;
  /// Screen position of the client area's top-left corner (where popups are placed from).
  TPoint ClientOrigin() const { return ClientToScreen(Point(0, 0)); }
  /// Client coordinates of a screen position.
  TPoint ScreenToClient(TPoint p) const;

  // -- hierarchy
  TWinControl* Parent() const { return FParent; }
  /// Moves the control onto another parent (nullptr takes it off); its window follows the rules above.
  virtual void SetParent(TWinControl* AParent);
  /// Puts the control on top of its siblings of the same kind.
  void BringToFront();
  /// Puts the control below its siblings of the same kind.
  void SendToBack();

  // -- properties
  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  /// Visible, and so are all its parents, up to a form that is shown.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign value);
  TColor Color() const { return FColor; }
  /// Stores the colour, clears ParentColor, repaints; children with ParentColor follow.
  void SetColor(TColor value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  /// The control's font; changing it clears ParentFont and repaints.
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  TCursor Cursor() const { return FCursor; }
  /// Cursor shown while the pointer is over the control (crDefault: the parent's).
  void SetCursor(TCursor value) { FCursor = value; }
  const String& Hint() const { return FHint; }
  void SetHint(const String& value) { FHint = value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value) { FShowHint = value; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  /// The menu a right click opens (after MouseUp) when it has AutoPopup; without one the parent's opens.
  /// The control forgets the menu when the menu is destroyed.
  void SetPopupMenu(TPopupMenu* value);
  const String& Caption() const { return FText; }
  void SetCaption(const String& value) { SetText(value); }
  const String& Text() const { return FText; }
  /// Stores the text and sends CM_TEXTCHANGED (which repaints) when it changed.
  void SetText(const String& value);
  const TControlStyle& ControlStyle() const { return FControlStyle; }
  void SetControlStyle(const TControlStyle& value) { FControlStyle = value; }
  const TControlState& ControlState() const { return FControlState; }
  /// True while the control holds the mouse capture.
  bool MouseCapture() const;
  void SetMouseCapture(bool value);

  // -- events
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  /// After a change of size; a windowed control has laid out its aligned children again by then.
  TNotifyEvent OnResize;
  TCanResizeEvent OnCanResize;
  /// A right click asks for a context menu; Handled keeps the PopupMenu from opening.
  TContextPopupEvent OnContextPopup;

 protected:
  // -- hooks for descendants; each ends in its event
  virtual void Click();
  virtual void DblClick();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  /// OnMouseWheel, then OnMouseWheelDown/Up; true when handled (then the parents are not asked).
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);
  /// Runs after a change of size, once a windowed control's aligned children are laid out; fires OnResize.
  virtual void Resize();
  /// OnContextPopup (MousePos in client coordinates); true when handled.
  virtual bool DoContextPopup(TPoint MousePos);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  /// OnCanResize may change or refuse the new size.
  virtual bool CanResize(int& NewWidth, int& NewHeight);
  virtual TRect GetClientRect() const { return Rect(0, 0, FWidth, FHeight); }
  /// Called when the parent's colour or font changed and this control follows it.
  void ParentColorChanged();
  void ParentFontChanged();
  /// Realigns the parent when this control is aligned.
  void RequestAlign();
  TControlState& MutableControlState() { return FControlState; }

 private:
  friend class TWinControl;
  friend class TForm;
  void MouseButtonMessage(TMessage& m, TMouseButton button, bool down, bool dbl);
  void ContextMenu(TMessage& m);
  void FontChanged();
  void InvalidateParentArea(const TRect& r);

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TAlign FAlign = alNone;
  TColor FColor = clWindow;
  bool FParentColor = true;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FAdoptingFont = false;  // the font is being copied from the parent
  TCursor FCursor = crDefault;
  String FHint;
  bool FShowHint = false;
  TPopupMenu* FPopupMenu = nullptr;
  String FText;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;
};

// --- TGraphicControl ---------------------------------------------------------------------------

/// A control without a window of its own: it paints on its parent's surface, at its place, clipped.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;

  void WndProc(TMessage& Message) override;
  /// Canvas on the parent's surface at this control's place; draws nothing while it cannot be seen.
  TCanvas* Canvas();

 protected:
  /// Draws the control; called by the parent's paint and by descendants' setters.
  virtual void Paint() {}

 private:
  friend class TWinControl;
  std::unique_ptr<TCanvas> FCanvas;
};

// --- TWinControl -------------------------------------------------------------------------------

/// A control with a window: it holds children, takes the focus and receives keys.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  void WndProc(TMessage& Message) override;
  void Invalidate() override;
  void Update() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetEnabled(bool value) override;

  // -- children
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  /// Child by 0-based index in z-order (graphic controls first); nullptr outside the range.
  TControl* Controls(int index) const;
  /// The visible, enabled child under a client point (windowed children first); nullptr when none.
  TControl* ControlAtPos(TPoint p) const;
  /// True when c is this control or lies inside it.
  bool ContainsControl(const TControl* c) const;
  /// Lays out the aligned children again.
  void Realign();
  /// Hands the message to every child's WndProc in z-order until one sets a non-zero Result.
  void Broadcast(TMessage& Message);

  // -- window
  HWND Handle() const { return FHandle; }
  bool HandleAllocated() const { return FHandle != 0; }
  /// Creates the window (CreateWnd) and those of the showing children, when showing on a shown form.
  void HandleNeeded();

  // -- focus
  /// Gives this control the focus; raises EInvalidOperation "Cannot focus a disabled or invisible
  /// window" when CanFocus is false.
  virtual void SetFocus();
  /// True while this control has the keyboard focus.
  bool Focused() const;
  /// Visible and enabled, and so are its parents, up to a form that is shown.
  bool CanFocus() const;
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value) { FTabStop = value; }

  // -- looks the headless platform stores only
  /// Painting goes to an off-screen picture first (always so here: a form paints into its surface).
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool value) { FDoubleBuffered = value; }
  /// Three-dimensional borders (default true); controls that draw their own look may read it.
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value) { FCtl3D = value; }
  /// Position among the parent's windowed children when Tab moves the focus; -1 without parent.
  int TabOrder() const;
  /// Moves the control in its parent's tab order (clamped to the valid positions).
  void SetTabOrder(int value);
  /// Focuses the next (or previous) control after CurControl in tab order inside this one.
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  /// The next control after CurControl that can take the focus, or nullptr.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) const;

  // -- events
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;

 protected:
  /// Gets the window; override to act when the control gets its window, calling this first.
  virtual void CreateWnd();
  /// Releases the window; override to act when the control loses it, calling this last. A control
  /// being destroyed loses its window in the destructor, where only this base version runs.
  virtual void DestroyWnd();
  /// CreateWnd unless the window exists, then the windows of the visible children.
  void CreateHandle();
  /// The children's windows, then DestroyWnd.
  void DestroyHandle();
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyPress(Char& Key);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void DoEnter();
  virtual void DoExit();
  /// Paints the queued area: background, PaintWindow, graphic children (WM_PAINT).
  void PaintHandler();
  /// Draws the window's own picture inside a paint (TCustomControl: Paint).
  virtual void PaintWindow() {}
  /// Canvas bound to this window's area (for the background and PaintWindow).
  TCanvas* WindowCanvas();
  /// Key handling of the focused control (CN_KEYDOWN): Tab and arrows it does not want move the focus.
  void CNKeyDown(TMessage& m);
  /// Not part of the public interface: the area a queued paint covers (client coordinates).
  TRect FInvalid;
  bool FPaintQueued = false;

 private:
  friend class TControl;
  friend class TGraphicControl;
  friend struct platform_detail::ControlsAccess;
  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void InvalidateRect(const TRect& r);
  void DoKeyDown(TMessage& m);
  void DoKeyUp(TMessage& m);
  void DoKeyPress(TMessage& m);
  void PaintChildren(const TRect& surfaceClip);

  std::vector<TControl*> FControls;     // z-order, bottom first
  std::vector<TWinControl*> FTabList;   // windowed children in tab order
  HWND FHandle = 0;
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  bool FCtl3D = true;
  std::unique_ptr<TCanvas> FWindowCanvas;
};

// --- TCustomControl ----------------------------------------------------------------------------

/// A windowed control that draws itself: Paint on Canvas.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  /// Canvas on this control's area of its form; draws nothing while it cannot be seen.
  TCanvas* Canvas() { return WindowCanvas(); }

 protected:
  /// Draws the control; called when the control is painted and by descendants' setters.
  virtual void Paint() {}
  void PaintWindow() override { Paint(); }
};

}  // namespace qelta

QELTA_PUBLIC_END
