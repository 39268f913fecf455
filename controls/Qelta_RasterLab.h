#pragma once
// Qelta_RasterLab: the dot-matrix label TRasterLab.
//
// What: a text shown as on a dot-matrix display: every dot of a glyph a square of DotSize pixels,
// dots DotSpacing pixels apart, on a raster of unlit dots; the text can scroll in four directions.
// How: the glyphs come from a bit matrix (TRDCharMatrix), either the built-in 7 x 12 font (the
// project's own pixel art, Font.Name "default") or the control's Font rasterised character by
// character, non-antialiased and black, so that every pixel of ink is a dot. A character takes its
// Windows-1252 code ('?' when it has none); the control codes 0..31 are blanks of the space's width.
// Scrolling runs on timer 1 of a private window: each tick moves the offset by ScrollIncrement and
// repaints; with ScrollLoop the text comes back from the other side once it has left (one
// OnScrollLoopRestart per loop), without it the offset stops once the text is out of sight.
// Limits: a rasterised glyph keeps only its top-left 32 x 32 pixels; one line of text.

#include <array>
#include <cstdint>
#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::ctl_detail {
class TControlTimer;  // the private timer window (Qelta_ctltimer.h, internal)
}  // namespace qelta::ctl_detail

namespace qelta {

/// Raised with 'Component "Name": no timer available' when the system refuses the timer.
QELTA_DECLARE_EXCEPTION(EQeltaRasterLabError, EQeltaError)

enum TRDBlockMode : uint8_t { rdbmOff, rdbmOn, rdbmRaster };
enum TRDScrollMode : uint8_t { rdsmOff, rdsmLeft, rdsmRight, rdsmDown, rdsmUp };

/// Glyphs as dots, per character code 0..255: the extent of its dot columns and, per row (0 = top),
/// the dots as bits (bit x = column x). FontWidth is the widest glyph, FontHeight the rows used.
struct TRDCharMatrix {
  int32_t FontWidth = 0;
  int32_t FontHeight = 0;
  std::array<uint8_t, 256> LeftMostBit{};
  std::array<uint8_t, 256> RightMostBit{};
  std::array<std::array<uint32_t, 32>, 256> BitData{};
};

/// The glyph code of a character: 0..31 as the space, else its Windows-1252 code ('?' when none).
uint8_t RasterCharCode(Char c);

/// Draws the dots of one glyph with its top-left dot at (X, Y) in OnColor: single pixels for a dot
/// size of 1, else squares. Answers the advance of its dots, (right - left + 1) x pitch (monospaced:
/// all FontWidth columns).
int PaintChar(TCanvas* Canvas, const TRDCharMatrix& Matrix, int X, int Y, uint8_t Code, int DotSize, int DotSpacing,
              TColor OnColor, bool Monospaced);

/// Draws the text from (X, Y), one blank dot column after each glyph; in rdbmOn the gap columns
/// show BackColor over the canvas's height. Answers the pixel length of the text plus 1.
int PaintString(TCanvas* Canvas, const TRDCharMatrix& Matrix, int X, int Y, const String& Text, int DotSize,
                int DotSpacing, TColor OnColor, TColor BackColor, TRDBlockMode BlockMode, bool Proportional);

class TRasterLab : public TGraphicControl {
 public:
  explicit TRasterLab(TComponent* AOwner);
  ~TRasterLab() override;

  void WndProc(TMessage& Message) override;
  /// From another TRasterLab: FrameStyle, Text, ColorLabBakG, ColorDotOn, the line colours and
  /// ColorScheme; then repaints. Other sources as the platform.
  void Assign(TPersistent* Source) override;

  /// Glyphs of the font: the built-in font when Font is null or named "default" (any case), else the
  /// font rasterised (non-antialiased, black); a glyph without dots is as wide as the space.
  static TRDCharMatrix CreateBitFont(const TFont* Font);
  /// Pixel length of the text in the current settings.
  int CalcTextBitLength(const String& Text) const;

  // -- properties (setters store a changed value and repaint)
  const TRDCharMatrix& CharMatrix() const { return FCMat; }
  void SetCharMatrix(const TRDCharMatrix& value);
  /// 1..32 pixels.
  int DotSize() const { return FDotSize; }
  void SetDotSize(int value);
  /// 0..3 pixels.
  int DotSpacing() const { return FDotSpacing; }
  void SetDotSpacing(int value);
  int PosX() const { return FXPos; }
  void SetPosX(int value);
  int PosY() const { return FYPos; }
  void SetPosY(int value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool value);
  TRDBlockMode CharBlockMode() const { return FCharBlockMode; }
  void SetCharBlockMode(TRDBlockMode value);
  TColor ColorDotOn() const { return FColorDotOn; }
  void SetColorDotOn(TColor value);
  TColor ColorDotOff() const { return FColorDotOff; }
  void SetColorDotOff(TColor value);
  TColor ColorLabBakG() const { return FColorLabBakG; }
  void SetColorLabBakG(TColor value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  /// csBWG: grey $808080 and white lines; csSystem: button shadow and highlight.
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme value);
  /// Height follows the font: frame + pitch x FontHeight.
  bool AutoHeight() const { return FAutoHeight; }
  void SetAutoHeight(bool value);
  /// PosX centres the text; turning it off sets PosX to 1.
  bool AutoCenter() const { return FAutoCenter; }
  void SetAutoCenter(bool value);
  /// The timer runs exactly when the mode is not rdsmOff; rdsmOff resets the offsets.
  TRDScrollMode ScrollMode() const { return FScrollMode; }
  void SetScrollMode(TRDScrollMode value);
  /// Milliseconds per tick, at least 10 (negative values taken as their size); restarts the timer.
  int ScrollInterval() const { return FScrollIv; }
  void SetScrollInterval(int value);
  /// Pixels per tick, at least 1 (negative values taken as their size); restarts the timer.
  int ScrollIncrement() const { return FScrollInc; }
  void SetScrollIncrement(int value);
  /// The text comes back once it has left (repaints always).
  bool ScrollLoop() const { return FScrollLoop; }
  void SetScrollLoop(bool value);
  /// Assigns OnScrollTimer and restarts the timer.
  void SetOnScrollTimer(TNotifyEvent value);
  int ScrollPosX() const { return FScrollPosX; }
  int ScrollPosY() const { return FScrollPosY; }
  /// Pixel length of the text as last painted.
  int TextBitLength() const { return FTextBitLength; }

  // -- events
  /// Fired on every tick after the scroll step.
  TNotifyEvent OnScrollTimer;
  /// Fired when a looping text starts again from the other side.
  TNotifyEvent OnScrollLoopRestart;

 protected:
  void Paint() override;
  void AssignTo(TPersistent* Dest) override;
  /// One tick: the scroll step, a repaint, then OnScrollTimer.
  virtual void DoTimer();
  virtual void DoScrLoopRestart();

 private:
  void ScrollTimerEvent();
  void UpdateTimer();
  void FontChanged();
  void AdjustAutoHeight();
  void AdjustAutoCenter();
  void Adjust();
  int FrameWidth() const;
  int Pitch() const { return FDotSize + FDotSpacing; }
  void PaintRaster(TCanvas* c, int W, int H) const;
  void PaintFrame(TCanvas* c, int W, int H) const;
  template <class T>
  void StoreAndRepaint(T& field, T value);

  TRDCharMatrix FCMat;
  int FDotSize = 3;
  int FDotSpacing = 1;
  int FXPos = 1;
  int FYPos = 1;
  bool FProportional = true;
  TRDBlockMode FCharBlockMode = rdbmOn;
  TColor FColorDotOn = 0x00FF00;
  TColor FColorDotOff = 0x404040;
  TColor FColorLabBakG = 0x000000;
  TFrameStyle FFrameStyle = fsLowered;
  TColorScheme FColorScheme = csBWG;
  TColor FColBlackLine = 0x000000;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = 0xFFFFFF;
  bool FAutoHeight = false;
  bool FAutoCenter = false;
  TRDScrollMode FScrollMode = rdsmOff;
  int FScrollIv = 100;
  int FScrollInc = 1;
  bool FScrollLoop = true;
  int FScrollPosX = 0;
  int FScrollPosY = 0;
  int FTextBitLength = 0;
  bool FScrTimerEnabled = false;
  std::unique_ptr<ctl_detail::TControlTimer> FScrTimer;
};

}  // namespace qelta

QELTA_PUBLIC_END
