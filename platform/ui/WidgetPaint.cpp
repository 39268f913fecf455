// The widgets' shared drawing pieces.

#include "WidgetPaint.h"

#include <algorithm>

namespace qelta::platform_detail {

void Frame3D(TCanvas* canvas, TRect& r, TColor topLeft, TColor bottomRight, int width) {
  TBrush* brush = canvas->Brush();
  const TColor color = brush->Color();
  const TBrushStyle style = brush->Style();
  for (int i = 0; i < width && r.Width() > 0 && r.Height() > 0; ++i) {
    brush->SetColor(topLeft);
    canvas->FillRect(Rect(r.Left, r.Top, r.Right, r.Top + 1));
    canvas->FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom));
    brush->SetColor(bottomRight);
    canvas->FillRect(Rect(r.Right - 1, r.Top + 1, r.Right, r.Bottom));
    canvas->FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  brush->SetColor(color);
  brush->SetStyle(style);
}

void SunkenBorder(TCanvas* canvas, TRect& r) {
  Frame3D(canvas, r, clBtnShadow, clBtnHighlight, 1);
  Frame3D(canvas, r, cl3DDkShadow, cl3DLight, 1);
}

void ButtonBorder(TCanvas* canvas, TRect& r, bool down) {
  if (down) {
    Frame3D(canvas, r, cl3DDkShadow, clBtnHighlight, 1);
    Frame3D(canvas, r, clBtnShadow, cl3DLight, 1);
    return;
  }
  Frame3D(canvas, r, clBtnHighlight, cl3DDkShadow, 1);
  Frame3D(canvas, r, cl3DLight, clBtnShadow, 1);
}

void ArrowGlyph(TCanvas* canvas, const TRect& r, TColor color, TArrowDirection direction) {
  canvas->Pen()->SetColor(color);
  canvas->Pen()->SetWidth(1);
  const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  for (int i = 0; i < 4; ++i) {  // rows (or columns) of 7, 5, 3 and 1 pixels from the base to the tip
    switch (direction) {
      case TArrowDirection::Down:
        canvas->MoveTo(cx - 3 + i, cy - 1 + i);
        canvas->LineTo(cx + 4 - i, cy - 1 + i);
        break;
      case TArrowDirection::Up:
        canvas->MoveTo(cx - 3 + i, cy + 2 - i);
        canvas->LineTo(cx + 4 - i, cy + 2 - i);
        break;
      case TArrowDirection::Right:
        canvas->MoveTo(cx - 1 + i, cy - 3 + i);
        canvas->LineTo(cx - 1 + i, cy + 4 - i);
        break;
      case TArrowDirection::Left:
        canvas->MoveTo(cx + 2 - i, cy - 3 + i);
        canvas->LineTo(cx + 2 - i, cy + 4 - i);
        break;
    }
  }
}

void DropArrow(TCanvas* canvas, const TRect& r, TColor color, bool pointsRight) {
  ArrowGlyph(canvas, r, color, pointsRight ? TArrowDirection::Right : TArrowDirection::Down);
}

void CheckMark(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->Pen()->SetColor(color);
  canvas->Pen()->SetWidth(1);
  const int x = (r.Left + r.Right) / 2 - 3, y = (r.Top + r.Bottom) / 2 - 1;
  for (int i = 0; i < 3; ++i) {  // a tick three pixels thick
    canvas->MoveTo(x, y + i);
    canvas->LineTo(x + 2, y + 2 + i);
    canvas->LineTo(x + 7, y - 3 + i);
  }
}

void FocusRect(TCanvas* canvas, const TRect& r) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  auto invert = [&](int x, int y) {
    const TColor c = canvas->Pixels(x, y);
    if (c >= 0) canvas->SetPixels(x, y, c ^ 0xFFFFFF);
  };
  for (int x = r.Left; x < r.Right; x += 2) {
    invert(x, r.Top);
    if (r.Bottom - 1 > r.Top) invert(x, r.Bottom - 1);
  }
  for (int y = r.Top + 2; y < r.Bottom - 1; y += 2) {
    invert(r.Left, y);
    if (r.Right - 1 > r.Left) invert(r.Right - 1, y);
  }
}

void EngravedText(TCanvas* canvas, int x, int y, const String& text) {
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->SetColor(clBtnHighlight);
  canvas->TextOut(x + 1, y + 1, text);
  canvas->Font()->SetColor(clBtnShadow);
  canvas->TextOut(x, y, text);
}

void ScrollArrowButton(TCanvas* canvas, const TRect& r, TArrowDirection direction, bool pressed, bool enabled) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(r);
  TRect face = r;
  if (pressed)
    Frame3D(canvas, face, clBtnShadow, clBtnShadow, 1);
  else
    ButtonBorder(canvas, face, false);
  const TRect glyph = pressed ? Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1) : r;
  if (enabled) return ArrowGlyph(canvas, glyph, clBtnText, direction);
  ArrowGlyph(canvas, Rect(glyph.Left + 1, glyph.Top + 1, glyph.Right + 1, glyph.Bottom + 1), clBtnHighlight, direction);
  ArrowGlyph(canvas, glyph, clBtnShadow, direction);
}

void ScrollTrack(TCanvas* canvas, const TRect& r, bool pressed) {
  const TRect area = Intersect(r, canvas->ClipRect());
  if (area.Right <= area.Left) return;
  const TColor even = ColorToRGB(pressed ? cl3DDkShadow : clBtnHighlight);
  const TColor odd = ColorToRGB(pressed ? clBtnShadow : clBtnFace);
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x) canvas->SetPixels(x, y, ((x + y) & 1) == 0 ? even : odd);
}

void ScrollThumb(TCanvas* canvas, const TRect& r) {
  if (r.Width() <= 0 || r.Height() <= 0) return;
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(clBtnFace);
  canvas->FillRect(r);
  TRect face = r;
  ButtonBorder(canvas, face, false);
}

uint32_t PixelRgb(TColor color) {
  const auto c = static_cast<uint32_t>(ColorToRGB(color));
  return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

void DrawTransparent(TCanvas* canvas, TPoint dest, TBitmap* bitmap, const TRect& source) {
  canvas->BlitPixels(Bounds(dest.X, dest.Y, source.Width(), source.Height()), bitmap->Canvas()->Surface(), source,
                     PixelRgb(bitmap->TransparentColor()));
}

TRect Intersect(const TRect& r, const TRect& bounds) {
  const TRect out{std::max(r.Left, bounds.Left), std::max(r.Top, bounds.Top), std::min(r.Right, bounds.Right),
                  std::min(r.Bottom, bounds.Bottom)};
  return out.Right <= out.Left || out.Bottom <= out.Top ? TRect{} : out;
}

bool Contains(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }

}  // namespace qelta::platform_detail
