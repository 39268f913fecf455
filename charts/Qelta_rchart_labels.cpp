// Qelta_rchart: the 30 text labels: filling them (AddTextLabel, SetTextLabel), hiding and clearing
// them, the accessors, and drawing them over the items.
//
// A label's point is in pixels or chart units per axis (its attach mode); the vertical alignment
// makes it the top, middle or bottom of the text block and the horizontal one its left edge,
// middle or right edge. The box around the text reaches 4 pixels left and right and 2 above and
// below; the four looks draw it plain, framed, underlined or with a shadow.
// Deviations from the classic component, keeping what callers rely on:
//  - AddTextLabel and SetTextLabel fill a label without its notifications and apply the repaint
//    rule once (the classic repainted for each of about fifteen settings).
//  - A label's point is taken in 64 bits and kept to +-30000 before the box and the text are
//    placed around it (offsets added to a far-away point overflowed).
//  - On the printer's canvas a label's text keeps its screen height, as the caption's does, so it
//    matches the geometry, which is drawn in control pixels.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Qelta_rchart_internal.h"

namespace qelta {

using plot_detail::ClampPixel;
namespace {

// Label pixel from a position given in pixels: rounded half to even, NaN 0.
int64_t PixelOf(double v) { return plot_detail::TAxisToPixel::Pixel(v); }

// The caption's lines (split at line feeds, which belong to no line).
std::vector<String> CaptionLines(const String& caption) {
  std::vector<String> lines(1);
  for (Char c : caption) {
    if (c == u'\n') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// A label's text block on the canvas: its lines, the widest line's width U, the line height V, and
// the left edge and bottom of the block.
struct TLabelBlock {
  std::vector<String> Lines;
  int64_t U = 0, V = 0, Left = 0, Bottom = 0;
  int64_t N() const { return static_cast<int64_t>(Lines.size()); }
};

// (x, y) is the label's point on the canvas: the alignments make it the block's bottom and left edge.
TLabelBlock MeasureBlock(TCanvas* Canvas, const TCustomTextLabel& Label, int64_t x, int64_t y) {
  TLabelBlock b;
  const String& caption = Label.Caption();
  b.Lines = CaptionLines(caption);
  for (const String& line : b.Lines) b.U = std::max<int64_t>(b.U, Canvas->TextWidth(line));
  if (b.U == 0) b.U = Canvas->TextWidth(caption);
  b.V = Canvas->TextHeight(caption);
  if (Label.VerticalAlignment() == vaTop) y += b.V * b.N();
  if (Label.VerticalAlignment() == vaCenter) y += b.V * b.N() / 2;
  if (Label.Alignment() == taRightJustify) x -= b.U;
  if (Label.Alignment() == taCenter) x -= b.U / 2;
  b.Left = x;
  b.Bottom = y;
  return b;
}

// The box 4 pixels left and right of the block and 2 above and below, shifted by (dx, dy).
void LabelBox(TCanvas* Canvas, const TLabelBlock& b, int64_t dx, int64_t dy) {
  Canvas->Rectangle(SaturateToInt(b.Left - 4 + dx), SaturateToInt(b.Bottom - b.V * b.N() - 2 + dy),
                    SaturateToInt(b.Left + b.U + 4 + dx), SaturateToInt(b.Bottom + 2 + dy));
}

// The look: a plain box, a framed box, an underline or a box with its shadow.
void DrawLabelLook(TCanvas* Canvas, const TCustomTextLabel& Label, const TLabelBlock& b) {
  const bool opaque = !Label.Transparent();
  switch (Label.Mode()) {
    case tlsimple:
    case tlUnderline:
      if (opaque) {
        Canvas->Pen()->SetColor(Label.ColorBkg());
        LabelBox(Canvas, b, 0, 0);
      }
      if (Label.Mode() == tlsimple) return;
      Canvas->Pen()->SetColor(Label.ColorBorder());
      Canvas->MoveTo(SaturateToInt(b.Left), SaturateToInt(b.Bottom));
      Canvas->LineTo(SaturateToInt(b.Left + b.U), SaturateToInt(b.Bottom));
      return;
    case tlBox: return LabelBox(Canvas, b, 0, 0);
    case tlShadow:
      Canvas->Pen()->SetColor(Label.ColorShadow());
      Canvas->Brush()->SetColor(Label.ColorShadow());
      LabelBox(Canvas, b, Label.ShadowDx(), Label.ShadowDy());
      Canvas->Pen()->SetColor(Label.ColorBorder());
      Canvas->Brush()->SetColor(Label.ColorBkg());
      return LabelBox(Canvas, b, 0, 0);
    default: return;
  }
}

// The lines, each aligned within the block's width; one line at the block's left edge.
void DrawLabelLines(TCanvas* Canvas, const TCustomTextLabel& Label, const TLabelBlock& b) {
  if (b.N() == 1) return Canvas->TextOut(SaturateToInt(b.Left), SaturateToInt(b.Bottom - b.V), Label.Caption());
  for (int64_t k = 0; k < b.N(); ++k) {
    const String& line = b.Lines[static_cast<size_t>(k)];
    const int64_t w = Canvas->TextWidth(line);
    int64_t x = b.Left;
    if (Label.Alignment() == taRightJustify) x += b.U - w;
    if (Label.Alignment() == taCenter) x += (b.U - w) / 2;
    Canvas->TextOut(SaturateToInt(x), SaturateToInt(b.Bottom - b.V * (b.N() - k)), line);
  }
}

// The style a label takes from its template, or the defaults without one.
struct TLabelStyle {
  TTxtLblAttachMode Attach = tlamBoth;
  TAlignment Align = taCenter;
  int ShadowDx = 0, ShadowDy = 0;
  TColor ShadowColor = clGray, Bkg = clWhite, Border = clBlack;
  bool Transparent = false;
  TTxtLblMode Mode = tlsimple;
};

TLabelStyle StyleOf(const TTextLabel& t) {
  return {t.AttachToData(), t.Alignment(),   t.ShadowDx(),    t.ShadowDy(), t.ColorShadow(),
          t.ColorBkg(),     t.ColorBorder(), t.Transparent(), t.Mode() == tlOff ? tlsimple : t.Mode()};
}

}  // namespace

// [SECTION] filling, hiding, clearing

void TCustomRChart::FillTextLabel(TTextLabel& L, double PosX, double PosY, TColor TxtColor, const String& Txt,
                                  int PropertyTemplate) {
  TLabelStyle style;
  style.Bkg = RcChartCol;
  style.Border = FChartFrameCol;
  if (PropertyTemplate >= 1 && PropertyTemplate <= MaxTextLabels) style = StyleOf(*FTextLabels[PropertyTemplate]);
  plot_detail::THeldChange<TTextLabel> quiet(L);
  L.SetPosX(PosX);
  L.SetPosY(PosY);
  L.SetLayer(FActiveLayer);
  L.SetAttachToData(style.Attach);
  L.SetAlignment(style.Align);
  L.SetShadowDx(style.ShadowDx);
  L.SetShadowDy(style.ShadowDy);
  L.SetColorShadow(style.ShadowColor);
  L.SetColorBkg(style.Bkg);
  L.SetColorBorder(style.Border);
  L.SetTransparent(style.Transparent);
  L.SetCaption(Txt);
  L.Font()->SetColor(TxtColor);
  L.SetMode(style.Mode);
  L.SetVisible(true);
}

int TCustomRChart::AddTextLabel(double PosX, double PosY, TColor TxtColor, const String& Txt, int PropertyTemplate) {
  for (int i = 1; i <= MaxTextLabels; ++i) {
    if (FTextLabels[i]->Mode() != tlOff) continue;
    FillTextLabel(*FTextLabels[i], PosX, PosY, TxtColor, Txt, PropertyTemplate);
    RepaintRule();
    return i;
  }
  return 0;
}

void TCustomRChart::SetTextLabel(int Idx, double PosX, double PosY, TColor TxtColor, const String& Txt,
                                 int PropertyTemplate) {
  if (Idx < 1 || Idx > MaxTextLabels) return;
  FillTextLabel(*FTextLabels[Idx], PosX, PosY, TxtColor, Txt, PropertyTemplate);
  RepaintRule();
}

void TCustomRChart::HideAllTextLabels() {
  TPaintHold hold(*this);
  for (int i = 1; i <= MaxTextLabels; ++i) FTextLabels[i]->SetVisible(false);
  hold.Restore();
}

void TCustomRChart::ClearAllTextLabels() {
  TPaintHold hold(*this);
  for (int i = 1; i <= MaxTextLabels; ++i) FTextLabels[i]->SetMode(tlOff);
  hold.Restore();
}

// [SECTION] accessors

TTextLabel* TCustomRChart::GetFTextLabel(int Idx) const {
  if (Idx < 1 || Idx > MaxTextLabels)
    throw EQeltaRChartError(u"Component \"" + Name() + u"\": invalid index into TextLabel array");
  return FTextLabels[Idx].get();
}

void TCustomRChart::SetFTextLabel(int Idx, TTextLabel* Value) {
  TTextLabel* label = GetFTextLabel(Idx);
  if (Value != nullptr && Value != label) label->Assign(Value);
}

// [SECTION] drawing

void TCustomRChart::DrawTextLabels(TCanvas* Canvas, int OffsetX, int OffsetY) {
  for (int i = MaxTextLabels; i >= 1; --i) {
    const TTextLabel& label = *FTextLabels[i];
    if (label.Mode() != tlOff && GetLayerVisib(label.Layer()) && label.Visible())
      DrawTextLabel(Canvas, label, OffsetX, OffsetY);
  }
}

void TCustomRChart::DrawTextLabel(TCanvas* Canvas, const TCustomTextLabel& Label, int OffsetX, int OffsetY) {
  // The label's point in control pixels (chart units by the attach mode), then on the canvas.
  int rx = 0, ry = 0;
  R2M(Label.Layer(), Label.PosX(), Label.PosY(), rx, ry);
  const TTxtLblAttachMode attach = Label.AttachToData();
  const bool dataX = attach == tlamXOnly || attach == tlamBoth, dataY = attach == tlamYOnly || attach == tlamBoth;
  const int64_t px = ClampPixel((dataX ? rx : PixelOf(Label.PosX())) + int64_t{OffsetX});
  const int64_t py = ClampPixel((dataY ? ry : PixelOf(Label.PosY())) + int64_t{OffsetY});

  Canvas->SetFont(Label.Font());
  if (IsPrinterCanvas(Canvas)) SetCanvasFontSizeScaled(Canvas, Label.Font()->Size());
  Canvas->SetTextAlign(TA_LEFT | TA_TOP);
  Canvas->Pen()->SetColor(Label.ColorBorder());
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Brush()->SetColor(Label.ColorBkg());
  Canvas->Brush()->SetStyle(Label.Transparent() ? bsClear : bsSolid);

  const TLabelBlock block = MeasureBlock(Canvas, Label, px - RcLRim, py - RcTRim);
  DrawLabelLook(Canvas, Label, block);
  DrawLabelLines(Canvas, Label, block);
}

}  // namespace qelta
