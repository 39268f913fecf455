#pragma once
// Qelta_marksel: the mark selector TMarkSel, a palette of the 52 mark symbols.
//
// What: shows the visible marks of DrawMarkOnCanvas (Qelta_qeltabase) in a grid of NrOfColumns x
// NrOfRows cells; the mark nearest the mouse is highlighted, and a click selects it and reports it
// through OnMarkClick (OnMarkDblClick for the second press of a double click). Marks 1..51 can be
// hidden; mark 0 (drawn as a cross over the first cell by default) always shows.
// How: the cell size is (W - 4) div NrOfColumns by (H - 4) div NrOfRows; the n-th visible mark sits
// at the centre of cell n, row by row (MarkSelLayout), and marks beyond the last row are placed
// below it all the same. Paint draws the whole palette into an off-screen bitmap; the highlight is
// drawn straight onto the control's canvas by HiLite and removed by ResetLastHiLite, always in the
// enabled colours. Clicks are taken from the left-button-up and double-click messages after the
// platform has handled them, so a double click reports click, double click, click.
// Limits: a disabled selector draws in grey on silver and gets no mouse input; the highlight does not
// survive a repaint (it returns with the next move onto another mark). Use the colour selector for
// colours.

#include <array>
#include <cstdint>
#include <functional>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// A mark was clicked: the message's position and the mark (0..51).
using TMarkClickEvent = std::function<void(TObject* Sender, int X, int Y, int Mark)>;

// --- layout ------------------------------------------------------------------------------------

/// Number of mark symbols in the palette.
constexpr int kMarkSelMarks = 52;
using TMarkVisibility = std::array<bool, kMarkSelMarks>;

/// Cells and mark places of a selector: the cell size (DistHorz x DistVert) and, for each visible
/// mark, its point (the cell centre less the 2-pixel drawing offset); hidden marks keep (0, 0).
struct TMarkSelLayout {
  int DistHorz = 0, DistVert = 0;
  std::array<TPoint, kMarkSelMarks> Coords{};
};

/// Places the visible marks in order of their numbers, row by row, over a W x H control.
TMarkSelLayout MarkSelLayout(int W, int H, int Cols, int Rows, const TMarkVisibility& Visible);
/// The visible mark whose point lies nearest (x, y) (squared distance; the lowest number on a tie);
/// 0 when none is visible.
int NearestMark(const TMarkSelLayout& Layout, const TMarkVisibility& Visible, int x, int y);

// --- TMarkSel ----------------------------------------------------------------------------------

/// The mark palette. Colour setters store a changed value and paint at once.
class TMarkSel : public TGraphicControl {
 public:
  /// 236 x 178 pixels, 8 x 6 cells, every mark visible, none selected.
  explicit TMarkSel(TComponent* AOwner);
  ~TMarkSel() override;

  void WndProc(TMessage& Message) override;

  // -- the main job
  /// Draws the whole palette into the bitmap (at its own size) and stores the mark places.
  void DrawMarks(TBitmap& Bmp);
  /// Highlights mark m (visible, 0..51) on the control's canvas in the hover colours and remembers it;
  /// other marks are ignored.
  void HiLite(int Mark);
  /// Redraws the highlighted mark's cell as the palette shows it (selected or not); nothing when that
  /// mark is hidden.
  void ResetLastHiLite();

  // -- marks
  /// Visibility of mark Pos; positions outside 0..51 read mark 0.
  bool GetVis(int Pos) const;
  /// Shows or hides mark Pos (1..51 only; mark 0 always shows) and paints.
  void SetVis(int Pos, bool Visible);
  /// Marks 1..51 visible, then paints.
  void ShowAllMarks();
  /// Marks 1..51 hidden, then paints.
  void HideAllMarks();

  // -- properties
  int NrOfColumns() const { return FNrCols; }
  /// A different value in 1..51 only; paints.
  void SetNrOfColumns(int value);
  int NrOfRows() const { return FNrRows; }
  /// A different value in 1..51 only; paints.
  void SetNrOfRows(int value);
  int Selected() const { return FSelected; }
  /// A different value in -1..51 only (-1: none); paints.
  void SetSelected(int value);
  bool ShowZeroAsCross() const { return FZeroAsCross; }
  /// Stores and invalidates.
  void SetShowZeroAsCross(bool value);
  TColor ColorBackGnd() const { return FColorBG; }
  void SetColorBackGnd(TColor value);
  TColor ColorMarks() const { return FColorFG; }
  void SetColorMarks(TColor value);
  TColor ColorSelBG() const { return FColorSelBG; }
  void SetColorSelBG(TColor value);
  TColor ColorSelFG() const { return FColorSelFG; }
  void SetColorSelFG(TColor value);
  TColor ColorHiLiteBG() const { return FColorHiLite; }
  void SetColorHiLiteBG(TColor value);
  TColor ColorHiLiteSymbol() const { return FColorHiSymb; }
  void SetColorHiLiteSymbol(TColor value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  /// Stores, passes it on to the platform (a disabled selector gets no mouse input), invalidates.
  void SetEnabled(bool value) override;

  // -- events
  TMarkClickEvent OnMarkClick;
  TMarkClickEvent OnMarkDblClick;
  /// After each paint.
  TNotifyEvent OnPaint;

 protected:
  /// DrawMarks into a bitmap of the control's size, copied onto the control, then OnPaint.
  void Paint() override;
  /// Moves the highlight to the mark nearest the pointer.
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  void WMMarkClick(const TMessage& Message, bool Double);
  /// The cell of a mark: its rectangle from the cell's top-left + `lo` to its bottom-right + `hi`.
  TRect CellRect(int Mark, int lo, int hi) const;
  /// Draws mark m with the canvas's pen (mark 0 as a cross over the first cell when so set).
  void DrawSymbol(TCanvas* Canvas, int Mark) const;
  bool Placed(int Mark) const { return Mark >= 0 && Mark < kMarkSelMarks && FMarkVis[Mark]; }
  template <class T>
  void Store(T& Field, const T& value);

  TMarkVisibility FMarkVis;
  TMarkSelLayout FLayout;
  int FNrCols = 8;
  int FNrRows = 6;
  int FSelected = -1;
  int FLastHiLite = 0;
  bool FZeroAsCross = true;
  TColor FColorBG = clBtnFace;
  TColor FColorFG = clBlack;
  TColor FColorSelBG = clWhite;
  TColor FColorSelFG = clNavy;
  TColor FColorHiLite = clRed;
  TColor FColorHiSymb = clWhite;
  TFrameStyle FFrameStyle = fsEngraved;
  bool FEnabled = true;
};

}  // namespace qelta

QELTA_PUBLIC_END
