#pragma once
// Qelta_Thumbnails: the thumbnail slide grid TThumbnails.
//
// What: a vertically scrollable grid of square slides numbered Min..Max. The control holds no
// images: while painting it asks the host for every visible slide (OnImageRequest) and keeps a
// selection, a focus highlight that follows the pointer and click events that carry the slide number.
// How: pitch P = SlideSize + SlideDistance + 2 SlideMargin, a 10-pixel border. FirstThumbIdx holds
// the first slide of the top row in its integer part and the share of that row scrolled out at the
// top in its fraction. Paint asks for the slides column by column (top to bottom, then the next
// column) and draws them into an off-screen bitmap; the image buffer each request receives belongs to
// the control for the whole paint (the host draws or assigns into it, or lends its own picture).
// Limits: rows align to slides 1, 1 + columns, ...; Min above Max is an empty grid.

#include <functional>
#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_dstruct.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

enum TImageRequestProcessing : uint8_t { irpShowEmpty, irpShowSlide, irpShowFrameOnly, irpShowNothing };
enum TSlideSelectMode : uint8_t { ssmDisabled, ssmSingle, ssmMultiple };

/// The image buffer a request receives. The host draws or assigns the slide's image into it, or
/// lends its own picture for the slide, which is then drawn as it is, without a copy: a host that
/// keeps its pictures pays no copy per slide or paint. A handler taking a plain TBitmap& works too.
class TThumbBuffer : public TBitmap {
 public:
  /// The slide of this request shows Picture instead of the buffer's pixels (borrowed: it must live
  /// until the paint ends; nullptr shows the buffer again). Each request starts with none lent.
  void Lend(TGraphic* Picture) { FLent = Picture; }
  /// The picture lent for this request, or nullptr.
  TGraphic* Lent() const { return FLent; }

 private:
  TGraphic* FLent = nullptr;
};

/// Asks for one slide: how to show it, a mark number (-1 none) and its image in ImgBuffer.
using TImageRequestEvent = std::function<void(TObject* Sender, int ThumbID, TImageRequestProcessing& HowToProcess,
                                              int& MarkIt, TThumbBuffer& ImgBuffer)>;
/// A slide has been drawn at (X, Y) on Canvas (the off-screen picture).
using TSlideRenderedEvent = std::function<void(TObject* Sender, TCanvas* Canvas, int X, int Y, int ThumbID)>;
/// A click at (X, Y) on slide ThumbID (0: not on a slide).
using TImageClickEvent = std::function<void(TObject* Sender, int X, int Y, int ThumbID)>;

class TThumbnails : public TGraphicControl {
 public:
  explicit TThumbnails(TComponent* AOwner);
  ~TThumbnails() override;

  void WndProc(TMessage& Message) override;
  /// From another TThumbnails: frames, colours (not ColorMark), range, FirstThumbIdx, column and row
  /// counts, sizes, the events but OnSlideRendered, AntiAlias, the focused slide and its line width.
  void Assign(TPersistent* Source) override;

  /// Slide under a client point; 0 in the border, between slides and outside Min..Max.
  int CalcSlideIndex(int XPos, int YPos) const;
  /// Top-left corner of a slide's place (rows above the first and below the last included).
  void CalcSlidePos(int SldNum, int& XPos, int& YPos) const;

  // -- selection
  /// False outside Min..Max.
  bool GetSelectedSlide(int SlideNum) const;
  /// Ignored outside Min..Max; repaints.
  void SetSelectedSlide(int SlideNum, bool Selected);
  void ResetAllSelections();
  /// First selected slide; Min - 1 when none is.
  int FirstSelectedSlide() const;
  int NumSlidesSelected() const;

  // -- properties (setters store a changed, clamped value and repaint)
  int Min() const { return FMin; }
  void SetMin(int value);
  /// At least 1.
  int Max() const { return FMax; }
  void SetMax(int value);
  /// Clamped to Min..Max and aligned to the row holding it: stored as row start + (x - row start) / columns.
  double FirstThumbIdx() const { return FFirstThumbIx; }
  void SetFirstThumbIdx(double value);
  int NumSlidesHoriz() const { return FNumSldX; }
  int NumSlidesVert() const { return FNumSldY; }
  /// 50..Width pixels.
  int SlideSize() const { return FThumbBaseSize; }
  void SetSlideSize(int value);
  /// 0..100 pixels.
  int SlideDistance() const { return FSlideDist; }
  void SetSlideDistance(int value);
  /// 0..100 pixels.
  int SlideMargin() const { return FSlideMargin; }
  void SetSlideMargin(int value);
  /// A change clears the selection.
  TSlideSelectMode SlideSelectMode() const { return FSelectMode; }
  void SetSlideSelectMode(TSlideSelectMode value);
  int FocusedSlide() const { return FLastHiLite; }
  /// 0..10; 0 turns the focus tracking off.
  int FocusLinewidth() const { return FHiliteThickness; }
  void SetFocusLinewidth(int value);
  TColor ColorBackGnd() const { return FColorBG; }
  void SetColorBackGnd(TColor value);
  TColor ColorCover() const { return FColorCover; }
  void SetColorCover(TColor value);
  TColor ColorSelected() const { return FColorSelected; }
  void SetColorSelected(TColor value);
  TColor ColorFocus() const { return FColorHilite; }
  void SetColorFocus(TColor value);
  TColor ColorMark() const { return FMarkColor; }
  void SetColorMark(TColor value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  TFrameStyle OuterFrameStyle() const { return FOuterFrameStyle; }
  void SetOuterFrameStyle(TFrameStyle value);
  TFrameStyle InnerFrameStyle() const { return FInnerFrameStyle; }
  void SetInnerFrameStyle(TFrameStyle value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme value);
  /// Slide images are shrunk by averaging (HALFTONE) instead of picking pixels (COLORONCOLOR).
  bool AntiAlias() const { return FAntiAlias; }
  void SetAntiAlias(bool value);

  // -- events
  TImageRequestEvent OnImageRequest;
  TSlideRenderedEvent OnSlideRendered;
  TImageClickEvent OnImageClick;
  TImageClickEvent OnImageDblClick;
  TNotifyEvent OnFocusChange;
  TNotifyEvent OnFirstImageRequest;
  TNotifyEvent OnLastImageRequest;

 protected:
  void Paint() override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void AssignTo(TPersistent* Dest) override;

 private:
  int Pitch() const { return FThumbBaseSize + FSlideDist + 2 * FSlideMargin; }
  int RowOffset() const;
  void FitSelection();
  void Realign(int OldColumns);
  void PaintSlide(TCanvas* c, TThumbBuffer& buffer, int id, int x, int y);
  void DrawFocus(int SlideNum, TColor Color);
  void HiLite(int SlideNum);
  void ResetLastHiLite();
  void LeftButtonUp(int X, int Y);
  template <class T>
  void StoreAndRepaint(T& field, T value);

  int FMin = 1;
  int FMax = 100;
  double FFirstThumbIx = 1.0;
  int FNumSldX = 2;
  int FNumSldY = 0;
  int FThumbBaseSize = 120;
  int FSlideDist = 2;
  int FSlideMargin = 7;
  std::unique_ptr<TBitFld> FSelectedSlide;
  TSlideSelectMode FSelectMode = ssmSingle;
  int FLastHiLite = 0;
  int FHiliteThickness = 1;
  int FLastClickedSlide = 0;
  TColor FColorBG = clBtnFace;
  TColor FColorCover = 0xC0C0C0;
  TColor FColorSelected = 0x800000;
  TColor FColorHilite = 0xFF0000;
  TColor FMarkColor = 0x000000;
  TFrameStyle FFrameStyle = fsLowered;
  TFrameStyle FOuterFrameStyle = fsRaised;
  TFrameStyle FInnerFrameStyle = fsLowered;
  TColorScheme FColorScheme = csBWG;
  TColor FColBlackLine = 0x000000;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = 0xFFFFFF;
  bool FAntiAlias = false;
  bool FIsWorking = false;
};

}  // namespace qelta

QELTA_PUBLIC_END
