// Painting steps the controls of qeltaplot share.

#include "Qelta_plot_internal.h"

#include <cstdint>

namespace qelta::plot_detail {

bool SizePicture(TBitmap& Picture, int Width, int Height) {
  if (int64_t{Width} * Height > platform_detail::kMaxImagePixels) return false;
  try {
    Picture.SetSize(Width, Height);
  } catch (const EOutOfMemory&) {
    return false;
  }
  return true;
}

void FillPicture(TCanvas* Canvas, TColor Color, int Width, int Height) {
  Canvas->Pen()->SetColor(Color);
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Rectangle(0, 0, Width, Height);
}

void DrawCaption(TCanvas* Canvas, TFont* Font, const String& Text, int X, int Y, int Size, TFontStyles Style,
                 TColor Color) {
  Canvas->SetFont(Font);
  Canvas->Font()->SetSize(Size);
  Canvas->Font()->SetStyle(Style);
  Canvas->Font()->SetColor(Color);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(X, Y, Text);
}

void SchemeLineColors(TColorScheme Scheme, TColor& Gray, TColor& White) {
  Gray = Scheme == csSystem ? clBtnShadow : clGray;
  White = Scheme == csSystem ? clBtnHighlight : clWhite;
}

TRect FigureBox(const TCanvas* Canvas, int X, int Y, const String& Text) {
  const TTextMetric m = Canvas->GetTextMetrics();
  return Rect(X, Y + m.tmInternalLeading, X + Canvas->TextWidth(Text), Y + m.tmAscent);
}

bool BoxesOverlap(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

bool BoxInside(const TRect& Inner, const TRect& Outer) {
  return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right && Inner.Bottom <= Outer.Bottom;
}

bool ClaimLabelBox(std::vector<TRect>& Written, const TRect& Box) {
  for (const TRect& r : Written)
    if (BoxesOverlap(r, Box)) return false;
  Written.push_back(Box);
  return true;
}

}  // namespace qelta::plot_detail
