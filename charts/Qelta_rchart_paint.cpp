// Qelta_rchart: the paint road (Paint, ConstructChartBmp, InitGraf, DrawFinish), the partial
// redraws ShowGraf and ShowGrafNewOnly, the cross-hairs, the output operations and TRChart.
//
// Three pictures: ChartBmp is the whole control, GrafBmp the data area ((DW + 1) x (DH + 1)) and
// AuxBmp the background picture. Paint draws ChartBmp around a fresh GrafBmp and copies it to the
// screen; ShowGraf and ShowGrafNewOnly redraw GrafBmp only and copy it into the data area of the
// screen. The output operations draw the same road onto another canvas, the data area clipped to
// the frame, so CopyToBitmap equals the screen.
// Deviations from the classic component, keeping what callers rely on:
//  - Cross-hairs are drawn on a copy of the picture that goes to the screen, never into ChartBmp or
//    GrafBmp: a cross-hair that moved no longer leaves its old lines behind in a later copy.
//  - A background picture that cannot be read clears BackGroundImg.Name without its notification
//    (the notification repainted from inside the paint), and the picture modes honour (Left, Top)
//    as the plain rectangle does.
//  - bfTile with an empty picture draws no tiles (the classic divided by its width).
//  - On the printer's canvas the data picture keeps its screen size: the road only reads DW x DH.
//  - Printing draws the road through the printer's canvas onto a control-sized picture and
//    enlarges that onto the page; text keeps its screen height there, so it matches the geometry,
//    which is in control pixels.

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "Printers.h"
#include "Qelta_cube3d.h"
#include "Qelta_rchart_internal.h"
#include "Screen.h"

namespace qelta {

namespace {

// The printer's canvas draws on a picture of ours for a scope; its own page comes back afterwards.
class TPrinterOnPicture {
 public:
  TPrinterOnPicture(TCanvas& Printer, TBitmap& Picture)
      : FPrinter(Printer),
        FSurface(Printer.Surface()),
        FLimit(Printer.ClipLimit()),
        FClip(Printer.ClipRect()),
        FOrigin(Printer.Origin()) {
    FPrinter.SetOrigin(Point(0, 0));
    FPrinter.SetSurface(Picture.Canvas()->Surface());
  }
  ~TPrinterOnPicture() {
    FPrinter.SetSurface(FSurface);
    FPrinter.SetClipLimit(FLimit);
    FPrinter.SetOrigin(FOrigin);
    FPrinter.SetClipRect(FClip);
  }
  TPrinterOnPicture(const TPrinterOnPicture&) = delete;
  TPrinterOnPicture& operator=(const TPrinterOnPicture&) = delete;

 private:
  TCanvas& FPrinter;
  TCanvasSurface FSurface;
  TRect FLimit, FClip;
  TPoint FOrigin;
};

// The helper scales draw on Canvas for a scope, on ChartBmp's canvas again afterwards.
class TScalesOn {
 public:
  TScalesOn(std::initializer_list<TScale*> Scales, TCanvas* Canvas, TCanvas* Home) : FScales(Scales), FHome(Home) {
    for (TScale* s : FScales) s->UseForeignCanvas(Canvas, 0, 0);
  }
  ~TScalesOn() {
    for (TScale* s : FScales) s->UseForeignCanvas(FHome, 0, 0);
  }
  TScalesOn(const TScalesOn&) = delete;
  TScalesOn& operator=(const TScalesOn&) = delete;

 private:
  std::vector<TScale*> FScales;
  TCanvas* FHome;
};

// The shadow of width s along the right and bottom edge of a w x h picture: the two corners it
// leaves free in Back, the two strips in Color (outlined in black for ssBox), the face outlined.
void DrawShadow(TCanvas* Canvas, int w, int h, int s, TShadowStyle Style, TColor Color, TColor Back) {
  TPen* pen = Canvas->Pen();
  pen->SetColor(Back);
  Canvas->Brush()->SetColor(Back);
  Canvas->Rectangle(w - s, 0, w, s);
  Canvas->Rectangle(0, h - s, s, h);
  Canvas->Brush()->SetColor(Color);
  const bool flying = Style == ssFlying;
  pen->SetColor(flying ? Color : clBlack);
  const int b = flying ? s - 1 : 0;
  Canvas->Polygon({Point(b, h - s), Point(s - 1, h - 1), Point(w - 1, h - 1), Point(w - s, h - s)});
  Canvas->Polygon({Point(w - s, h - s), Point(w - 1, h - 1), Point(w - 1, s - 1), Point(w - s, b)});
  pen->SetColor(clBlack);
  pen->SetStyle(psSolid);
  Canvas->Polyline({Point(0, 0), Point(w - s, 0), Point(w - s, h - s), Point(0, h - s), Point(0, 0)});
}

// The background picture (AuxBmp) in its fill mode over area.
void DrawBackgroundPicture(TCanvas* Canvas, TBitmap* Picture, TBkgFill Mode, const TRect& area) {
  const int pw = Picture->Width(), ph = Picture->Height();
  switch (Mode) {
    case bfSimple:
      Canvas->Rectangle(area);
      Canvas->StretchDraw(Bounds(area.Left, area.Top, pw, ph), Picture);
      break;
    case bfStretch: Canvas->StretchDraw(area, Picture); break;
    case bfTile: {
      if (pw <= 0 || ph <= 0) break;
      const int64_t cols = (int64_t{area.Width()} - 1) / pw + 1, rows = (int64_t{area.Height()} - 1) / ph + 1;
      for (int64_t c = 0; c < cols; ++c)
        for (int64_t r = 0; r < rows; ++r)
          Canvas->Draw(SaturateToInt(area.Left + pw * c), SaturateToInt(area.Top + ph * r), Picture);
      break;
    }
  }
}

}  // namespace

// [SECTION] paint road

void TCustomRChart::Paint() {
  if (!PaintAllowed()) return;
  TCanvas* chart = FChartBmp->Canvas();
  ConstructChartBmp(chart);
  InitGraf(FGrafBmp->Canvas(), 0, 0);
  ConstructDataBmp(FGrafBmp->Canvas(), 0, 0, false, 0);
  chart->Draw(RcLRim, RcTRim, FGrafBmp.get());
  DrawFinish(0, 0, FChartBmp.get(), Canvas());
}

bool TCustomRChart::IsPrinterCanvas(const TCanvas* Canvas) { return Canvas != nullptr && Canvas == Printer()->Canvas(); }

void TCustomRChart::ConstructChartBmp(TCanvas* Canvas) {
  const int w = Width(), h = Height();
  FChartBmp->SetSize(w, h);
  TPen* pen = Canvas->Pen();
  pen->SetStyle(psSolid);
  pen->SetMode(pmCopy);
  pen->SetWidth(1);
  pen->SetColor(RcWindCol);
  Canvas->Brush()->SetColor(RcWindCol);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Rectangle(0, 0, w, h);
  if (F3DRim > 0) DrawShadow(Canvas, w, h, F3DRim, RcShadowStyle, FShadowColor, RcShadowBakCol);
  pen->SetColor(FChartFrameCol);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->SetFont(Font());
  if (IsPrinterCanvas(Canvas)) SetCanvasFontSizeScaled(Canvas, Font()->Size());
  DrawCaption(Canvas);
  AdjustScaling();
  {
    TScalesOn on({FScalesX[1], FScalesX[2], FScalesY[1], FScalesY[2]}, Canvas, FChartBmp->Canvas());
    for (TScale* s : {FScalesX[1], FScalesX[2], FScalesY[1], FScalesY[2]}) s->ForcePaint();
  }
  if (OnScalesRendered) OnScalesRendered(this, Canvas, 0, 0);
}

void TCustomRChart::DrawCaption(TCanvas* Canvas) {
  const int64_t dw = DataWidth(), dh = DataHeight();
  int64_t x = FCaptPosX, y = FCaptPosY;
  switch (FCaptAnchorX) {
    case cahControlLeft: break;
    case cahChartLeft: x += RcLRim; break;
    case cahChartCenter: x += RcLRim + dw / 2; break;
    case cahChartRight: x += int64_t{Width()} - RcRRim - F3DRim; break;
    case cahControlRight: x += Width(); break;
  }
  switch (FCaptAnchorY) {
    case cavControlTop: break;
    case cavChartTop: y += RcTRim; break;
    case cavChartCenter: y += RcTRim + dh / 2; break;
    case cavChartBottom: y += int64_t{Height()} - RcBRim; break;
    case cavControlBottom: y += Height(); break;
  }
  Canvas->SetTextAlign(TA_LEFT | TA_TOP);
  const int64_t tw = Canvas->TextWidth(FChartCaption);
  if (FCaptAlignment == taRightJustify) x -= tw;
  if (FCaptAlignment == taCenter) x -= tw / 2;
  Canvas->TextOut(SaturateToInt(x), SaturateToInt(y), FChartCaption);
}

void TCustomRChart::InitGraf(TCanvas* Canvas, int Left, int Top) {
  const bool printer = IsPrinterCanvas(Canvas);
  if (!printer) FitDataBitmap();
  const int gw = printer ? std::max(0, DataWidth()) : FGrafBmp->Width();
  const int gh = printer ? std::max(0, DataHeight()) : FGrafBmp->Height();
  const TRect area = Rect(Left, Top, SaturateToInt(int64_t{Left} + gw), SaturateToInt(int64_t{Top} + gh));
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetMode(pmCopy);
  Canvas->Brush()->SetColor(RcChartCol);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Pen()->SetColor(FChartFrameCol);
  if (!FBakGndFile->Name().empty()) {
    if (LoadBackgroundPicture()) {
      DrawBackgroundPicture(Canvas, FAuxBmp.get(), FBakGndFile->FillMode(), area);
    } else {
      Canvas->Rectangle(area);
    }
    return;
  }
  Canvas->Rectangle(area);
  DrawBackgroundArea(Canvas, area);
}

bool TCustomRChart::LoadBackgroundPicture() {
  try {
    FAuxBmp->LoadFromFile(FBakGndFile->Name());
    return true;
  } catch (const std::exception&) {
    // The name goes without a notification: this runs inside a paint, which it would start again.
    plot_detail::THeldChange<TBakGndImg> quiet(*FBakGndFile);
    FBakGndFile->SetName(String());
    return false;
  }
}

void TCustomRChart::DrawBackgroundArea(TCanvas* Canvas, const TRect& area) {
  const TColor color = FBakGndFile->AreaColor();
  Canvas->Pen()->SetColor(color);
  Canvas->Brush()->SetColor(color);
  const TPoint a = ChartPoint(1, FBakGndFile->AreaLeft(), FBakGndFile->AreaTop(), area.Left, area.Top);
  const TPoint b = ChartPoint(1, FBakGndFile->AreaRight(), FBakGndFile->AreaBottom(), area.Left, area.Top);
  switch (FBakGndFile->AreaMode()) {
    case bamNone: break;
    case bamLeft: Canvas->Rectangle(area.Left, area.Top, a.X, area.Bottom); break;
    case bamRight: Canvas->Rectangle(b.X, area.Top, area.Right, area.Bottom); break;
    case bamTop: Canvas->Rectangle(area.Left, area.Top, area.Right, a.Y); break;
    case bamBottom: Canvas->Rectangle(area.Left, b.Y, area.Right, area.Bottom); break;
    case bamVStripe: Canvas->Rectangle(a.X, area.Top, b.X, area.Bottom); break;
    case bamHStripe: Canvas->Rectangle(area.Left, a.Y, area.Right, b.Y); break;
    case bamRect: Canvas->Rectangle(a.X, a.Y, b.X, b.Y); break;
  }
}

TPoint TCustomRChart::ChartPoint(int Layer, double x, double y, int OffsetX, int OffsetY) const {
  int px = 0, py = 0;
  R2M(Layer, x, y, px, py);
  return Point(SaturateToInt(int64_t{plot_detail::ClampPixel(px)} + OffsetX - RcLRim),
               SaturateToInt(int64_t{plot_detail::ClampPixel(py)} + OffsetY - RcTRim));
}

void TCustomRChart::DrawFinish(int OffsetX, int OffsetY, TBitmap* Bitmap, TCanvas* Canvas) {
  if (Bitmap == nullptr || Canvas == nullptr) return;
  const bool anyCrossHair = std::any_of(FCrossHair.begin() + 1, FCrossHair.end(),
                                        [](const auto& c) { return c->Mode() != chOff; });
  if (!anyCrossHair) return Canvas->Draw(OffsetX, OffsetY, Bitmap);
  FFinishBmp->Assign(Bitmap);
  DrawCrossHairs(FFinishBmp->Canvas(), OffsetX, OffsetY);
  Canvas->Draw(OffsetX, OffsetY, FFinishBmp.get());
}

// [SECTION] cross-hairs

void TCustomRChart::DrawCrossHairs(TCanvas* Canvas, int OffsetX, int OffsetY) {
  TPen* pen = Canvas->Pen();
  const TColor savedColor = pen->Color();
  const int savedWidth = pen->Width();
  const TPenStyle savedStyle = pen->Style();
  // Control pixels, taken to the canvas in 64 bits and kept to +-PixelLimit.
  const auto at = [](int64_t v, int64_t offset) { return plot_detail::ClampPixel(v - offset); };
  const int64_t left = RcLRim, top = RcTRim, right = int64_t{Width()} - RcRRim - F3DRim,
                bottom = int64_t{Height()} - RcBRim - F3DRim;
  for (int i = 1; i <= MaxCrossHairs; ++i) {
    const TCrossHair& ch = *FCrossHair[i];
    const TCrossHMode mode = ch.Mode();
    if (mode == chOff) continue;
    int x = 0, y = 0;
    R2M(ch.Layer(), ch.PosX(), ch.PosY(), x, y);
    const int64_t px = x, py = y, h = ch.LineWid() / 2;
    pen->SetColor(ch.Color());
    pen->SetWidth(ch.LineWid());
    pen->SetStyle(ch.LineType());
    Canvas->Brush()->SetColor(RcChartCol);
    if ((mode == chHoriz || mode == chBoth) && top + h < py && py < bottom - h) {
      Canvas->MoveTo(at(h + left + 1, OffsetX), at(py, OffsetY));
      Canvas->LineTo(at(right - h, OffsetX), at(py, OffsetY));
    }
    if ((mode == chVert || mode == chBoth) && left + h < px && px < right - h) {
      Canvas->MoveTo(at(px, OffsetX), at(h + top + 1, OffsetY));
      Canvas->LineTo(at(px, OffsetX), at(bottom - h, OffsetY));
    }
    if (mode == chBox) {
      Canvas->MoveTo(at(px - 10, OffsetX), at(py, OffsetY));
      Canvas->LineTo(at(px + 10, OffsetX), at(py, OffsetY));
      Canvas->MoveTo(at(px, OffsetX), at(py - 10, OffsetY));
      Canvas->LineTo(at(px, OffsetX), at(py + 10, OffsetY));
      Canvas->Rectangle(at(px - 2, OffsetX), at(py - 2, OffsetY), at(px + 3, OffsetX), at(py + 3, OffsetY));
    }
  }
  pen->SetColor(savedColor);
  pen->SetWidth(savedWidth);
  pen->SetStyle(savedStyle);
}

void TCustomRChart::ShowCrossHairs() {
  if (!PaintAllowed()) return;
  FChartBmp->Canvas()->Draw(RcLRim, RcTRim, FGrafBmp.get());
  DrawFinish(0, 0, FChartBmp.get(), Canvas());
}

void TCustomRChart::CrossHairSetPos(int chnum, double x, double y) {
  if (chnum < 1 || chnum > MaxCrossHairs) return;
  TCrossHair& ch = *FCrossHair[chnum];
  ch.SetPosX(x);
  ch.SetPosY(y);
  if (ch.Mode() != chOff) ShowCrossHairs();
}

void TCustomRChart::SetCHPosX(int Index, double Value) {
  if (Index < 1 || Index > MaxCrossHairs) return;
  FCrossHair[Index]->SetPosX(Value);
  if (FCrossHair[Index]->Mode() != chOff) ShowCrossHairs();
}

void TCustomRChart::SetCHPosY(int Index, double Value) {
  if (Index < 1 || Index > MaxCrossHairs) return;
  FCrossHair[Index]->SetPosY(Value);
  if (FCrossHair[Index]->Mode() != chOff) ShowCrossHairs();
}

void TCustomRChart::CrossHairSetup(int ch, TColor chColor, TCrossHMode Mode, TPenStyle LineType, int LineWidth) {
  if (ch < 1 || ch > MaxCrossHairs) return;
  TCrossHair& c = *FCrossHair[ch];
  c.SetColor(chColor);
  c.SetMode(Mode);
  c.SetLineType(LineType);
  c.SetLineWid(LineWidth);
  ShowCrossHairs();
}

void TCustomRChart::SetCrossHair(int Index, TCrossHair* Value) {
  if (Value != nullptr && Value != FCrossHair[Index].get()) FCrossHair[Index]->Assign(Value);
}

// [SECTION] partial redraws

void TCustomRChart::ShowGraf() {
  if (Visible()) {
    FLastElemOnShow = NumItems() - 1;
    AdjustCanInfoOfSharedCharts();
    if (FAutoRedraw) {
      InitGraf(FGrafBmp->Canvas(), 0, 0);
      ConstructDataBmp(FGrafBmp->Canvas(), 0, 0, false, 0);
      DrawFinish(RcLRim, RcTRim, FGrafBmp.get(), Canvas());
    } else {
      Paint();
    }
  }
  RepaintGroupAfterShow();
}

void TCustomRChart::ShowGrafNewOnly() {
  if (!Visible()) return;
  ConstructDataBmp(FGrafBmp->Canvas(), 0, 0, false, FLastElemOnShow);
  DrawFinish(RcLRim, RcTRim, FGrafBmp.get(), Canvas());
  FLastElemOnShow = NumItems() - 1;
  AdjustCanInfoOfSharedCharts();
}

// [SECTION] output

void TCustomRChart::RenderPicture(TCanvas* Canvas, bool BlkWhite) {
  ConstructChartBmp(Canvas);
  // The data area as the screen has it: the data picture's size, frame included.
  const int64_t right = int64_t{RcLRim} + std::max(0, DataWidth()) + 1;
  const int64_t bottom = int64_t{RcTRim} + std::max(0, DataHeight()) + 1;
  Canvas->SetClipRect(Rect(RcLRim, RcTRim, SaturateToInt(right), SaturateToInt(bottom)));
  try {
    InitGraf(Canvas, RcLRim, RcTRim);
    ConstructDataBmp(Canvas, RcLRim, RcTRim, BlkWhite, 0);
  } catch (...) {
    Canvas->ResetClipRect();
    throw;
  }
  Canvas->ResetClipRect();
  DrawCrossHairs(Canvas, 0, 0);
}

void TCustomRChart::CopyToBitmap(TBitmap* ABitmap, bool BlkWhite) {
  if (ABitmap == nullptr) return;
  ABitmap->SetSize(Width(), Height());
  RenderPicture(ABitmap->Canvas(), BlkWhite);
}

void TCustomRChart::CopyToBMP(const String& FName, bool BlkWhite) {
  TBitmap picture;
  CopyToBitmap(&picture, BlkWhite);
  plot_detail::SavePictureAsBmp(picture, FName);
}

void TCustomRChart::CopyToClipboard(bool BlkWhite) {
  TBitmap picture;
  CopyToBitmap(&picture, BlkWhite);
  plot_detail::CopyPictureToClipboard(picture);
}

void TCustomRChart::CopyToClipboardWMF(bool /*BlkWhite*/) { throw EQeltaRChartError(plot_detail::MetafileRefusal(*this)); }

void TCustomRChart::CopyToWMF(const String& /*FName*/, bool /*BlkWhite*/) {
  throw EQeltaRChartError(plot_detail::MetafileRefusal(*this));
}

std::unique_ptr<TBitmap> TCustomRChart::PrinterPicture(bool BlkWhite) {
  auto picture = std::make_unique<TBitmap>(Width(), Height());
  TPrinterOnPicture onPicture(*Printer()->Canvas(), *picture);
  RenderPicture(Printer()->Canvas(), BlkWhite);
  return picture;
}

void TCustomRChart::PrintIt(double ScaleF, bool BlkWhite) {
  plot_detail::PrintPicture(*PrinterPicture(BlkWhite), Name(), ScaleF);
}

void TCustomRChart::CopyToOpenPrinter(int& x, int& y, double ScaleF, bool BlkWhite) {
  plot_detail::CopyPictureToOpenPrinter(*PrinterPicture(BlkWhite), x, y, ScaleF);
}

// [SECTION] TRChart

TRChart::TRChart(TComponent* AOwner) : TCustomRChart(AOwner) {}

void TRChart::CreateWnd() {
  TCustomRChart::CreateWnd();
  WindowCreated();
}

void Qelta_rchart::Register() { RegisterComponents(u"Qelta", {ComponentClassOf<TRChart>()}); }

}  // namespace qelta
