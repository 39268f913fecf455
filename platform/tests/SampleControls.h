#pragma once
// Small sample controls that record what happens to them, for the control and form tests.

#include <string>
#include <vector>

#include "Controls.h"
#include "Forms.h"
#include "Testing.h"

namespace qelta::sample {

inline std::string Narrow(const String& s) { return std::string(s.begin(), s.end()); }

inline std::string ShiftText(TShiftState s) {
  std::string out;
  const char* names[] = {"Shift", "Alt", "Ctrl", "Left", "Right", "Middle", "Double"};
  for (int f = ssShift; f <= ssDouble; ++f)
    if (s.Contains(static_cast<TShiftStateFlag>(f))) out += std::string(out.empty() ? "" : "+") + names[f];
  return out;
}

/// A windowed control that fills itself with Fill and logs its handlers as short words.
class TSample : public TCustomControl {
 public:
  explicit TSample(TComponent* owner, TWinControl* parent = nullptr, TRect bounds = Rect(10, 10, 60, 40))
      : TCustomControl(owner) {
    SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    SetTabStop(true);
    if (parent != nullptr) SetParent(parent);
  }

  std::vector<std::string> log;
  int paints = 0;
  int created = 0;
  int destroyed = 0;
  LRESULT dlgCode = 0;
  TColor fill = clRed;
  bool logMoves = false;
  String typed;  // what KeyPress let through

  using TCustomControl::Canvas;
  void CallPaint() { Paint(); }

 protected:
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(fill);
    Canvas()->FillRect(ClientRect());
  }
  void CreateWnd() override {
    TCustomControl::CreateWnd();
    ++created;
  }
  void DestroyWnd() override {
    ++destroyed;
    TCustomControl::DestroyWnd();
  }
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_GETDLGCODE) {
      m.Result = dlgCode;
      return;
    }
    if (m.Msg == CM_MOUSEENTER) log.push_back("enter");
    if (m.Msg == CM_MOUSELEAVE) log.push_back("leave");
    TCustomControl::WndProc(m);
  }
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    log.push_back("down" + std::to_string(b) + "(" + ShiftText(s) + ")@" + std::to_string(x) + "," + std::to_string(y));
    TCustomControl::MouseDown(b, s, x, y);
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    log.push_back("up" + std::to_string(b) + "(" + ShiftText(s) + ")@" + std::to_string(x) + "," + std::to_string(y));
    TCustomControl::MouseUp(b, s, x, y);
  }
  void MouseMove(TShiftState s, int x, int y) override {
    if (logMoves) log.push_back("move(" + ShiftText(s) + ")@" + std::to_string(x) + "," + std::to_string(y));
    TCustomControl::MouseMove(s, x, y);
  }
  void Click() override {
    log.push_back("click");
    TCustomControl::Click();
  }
  void DblClick() override {
    log.push_back("dblclick");
    TCustomControl::DblClick();
  }
  void KeyDown(Word& key, TShiftState s) override {
    log.push_back("keydown" + std::to_string(key) + (s.Empty() ? "" : "(" + ShiftText(s) + ")"));
    TCustomControl::KeyDown(key, s);
  }
  void KeyPress(Char& key) override {
    TCustomControl::KeyPress(key);  // the event may change or swallow the character
    if (key != 0) typed += key;
  }
  void DoEnter() override {
    log.push_back("enter:" + Narrow(Name()));
    TCustomControl::DoEnter();
  }
  void DoExit() override {
    log.push_back("exit:" + Narrow(Name()));
    TCustomControl::DoExit();
  }
};

/// A graphic control that fills itself with Fill and counts its paints.
class TSampleGraphic : public TGraphicControl {
 public:
  explicit TSampleGraphic(TComponent* owner, TWinControl* parent, TRect bounds) : TGraphicControl(owner) {
    SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    SetParent(parent);
  }
  int paints = 0;
  TColor fill = clBlue;
  using TGraphicControl::Paint;

 protected:
  void Paint() override {
    ++paints;
    Canvas()->Brush()->SetColor(fill);
    Canvas()->FillRect(ClientRect());
  }
};

/// A parent that paints an 8-pixel checkerboard of two colours, to show what a transparent control lets through.
class TCheckered : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void Paint() override {
    for (int y = 0; y < Height(); y += 8)
      for (int x = 0; x < Width(); x += 8) {
        Canvas()->Brush()->SetColor((x / 8 + y / 8) % 2 == 0 ? TColor(0x3080F0) : TColor(0xC0F0A0));
        Canvas()->FillRect(Rect(x, y, x + 8, y + 8));
      }
  }
};

/// Colour of a pixel of a grabbed picture as TColor.
inline TColor PixelOf(TBitmap* b, int x, int y) { return b->Canvas()->Pixels(x, y); }

}  // namespace qelta::sample
