#pragma once
// Qelta_sevenseg: the seven-segment display TSevenSeg.
//
// What: a caption shown as a row of coloured seven-segment digits with decimal points, in the look of
// a lit display: the digits 0-9, the hexadecimal letters A-F (either case), '-', '+', ':', '°', and
// '.' or ',' as the point of the position before it (alone, a blank with a point).
// How: six segment pictures (bitmap resources "SEGVERT", "SEGHORZ", "SEGDOT", "SEGPLUS", "SEGDEG",
// "SEGCOLON" of qeltactl) are recoloured by flood fills, composed into each glyph on a 312 x 432
// master image under an AND (pure white is the key colour, so a white text colour is drawn as
// $FEFEFE), and scaled with HALFTONE into a cache of 21 glyphs whenever size, colours, margin, digit
// count or spacing change. Painting then copies at most two cached rectangles per digit.
// Limits: at most 32 digits; characters outside the glyph set leave their position empty; a glyph is
// at least 1 x 1 pixels, however small the control. Use TNumLab for numbers in a plain font.

#include <cstdint>
#include <memory>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Seven-segment display: a caption in up to 32 positions of cached segment glyphs.
class TSevenSeg : public TGraphicControl {
 public:
  explicit TSevenSeg(TComponent* AOwner);
  ~TSevenSeg() override;

  // -- the main job
  /// Recolours the segment pictures: each shape is flood-filled from its seed points with c
  /// ($FFFFFF becomes $FEFEFE, the composition's key colour).
  void ColorizeSegments(TColor c);
  /// Composes the glyph of ch (with the decimal point when point is set) on the master image, its
  /// surroundings in ColorBackGnd.
  void CreateDigit(Char ch, bool point);
  /// Rebuilds the cache of the 21 glyphs for the present size, colours, margin and digit layout.
  virtual void CreateImageCache();
  /// Rebuilds the cache and repaints when the size differs from the one it was built for.
  void ProcessResize(TObject* Sender);

  // -- component
  /// From another TSevenSeg: colours, NumDigits, Caption, FrameStyle, the line colours, ColorScheme,
  /// Margin and InterDigDist, then its own cache is rebuilt; other sources as the platform.
  void Assign(TPersistent* Source) override;

  // -- properties (the first five rebuild the cache and repaint)
  TColor ColorBackGnd() const { return FColorBakG; }
  void SetColorBackGnd(TColor value);
  TColor ColorText() const { return FColorTxt; }
  void SetColorText(TColor value);
  /// 1..32; other values are ignored.
  int NumDigits() const { return FNumDigits; }
  void SetNumDigits(int value);
  /// Border around the digits: 0..Height div 2 - 1.
  int Margin() const { return FMargin; }
  void SetMargin(int value);
  /// Gap between digits, at most 255.
  int InterDigDist() const { return FInterDigDist; }
  void SetInterDigDist(int value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle value);
  /// csSystem takes the frame's shadow and highlight lines from the system's button colours, csBWG
  /// uses $808080 and $FFFFFF.
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme value);
  /// The cache of the 21 glyphs side by side ('0'..'9', '-', '+', ':', '°', 'A'..'F', '.').
  const TBitmap& ImageCache() const { return *ImgCache; }

 protected:
  void Paint() override;
  /// Rebuilds the cache for the new size, then the host's OnResize.
  void Resize() override;
  void AssignTo(TPersistent* Dest) override;

 private:
  /// Glyph width and cache height: at least 1 pixel each.
  int GlyphWidth() const;
  int GlyphHeight() const;
  void Rebuild();
  void CopySegment(TBitmap& picture, int x, int y);

  TColor FColorBakG = 0x333333;
  TColor FColorTxt = 0x0000FF;
  std::unique_ptr<TBitmap> DigImg;
  int FNumDigits = 4;
  String FCaption = u"8.8.8.8.";
  TFrameStyle FFrameStyle = fsLowered;
  int FMargin = 8;
  int FInterDigDist = 2;
  int FWidth = 216;
  int FHeight = 76;
  std::unique_ptr<TBitmap> SegHorz, SegVert, SegDot, SegPlus, SegColon, SegDeg;
  std::unique_ptr<TBitmap> ImgCache;
  TColor FColBlackLine = 0;
  TColor FColGrayLine = 0x808080;
  TColor FColWhiteLine = 0xFFFFFF;
  TColorScheme FColorScheme = csBWG;
};

}  // namespace qelta

QELTA_PUBLIC_END
