#pragma once
// Colours, pens, brushes, fonts, the canvas and the images of the platform layer.
//
// Implements: TColor in the $00BBGGRR layout with the system colours resolved through one fixed table
// (the standard scheme of the classic desktop: button face $C0C0C0, highlight navy, ...); TPen, TBrush and
// TFont with change events; TCanvas, an aliased rasteriser on a 32-bit pixel surface that follows the
// classic raster rules pixel for pixel (exclusive right/bottom edges, LineTo never paints its end point,
// cosmetic dash patterns, the 16 pen mixes and the ternary copy modes); a call trace for tests; TBitmap
// with BMP (own codec), PNG (libpng) and JPEG (libjpeg-turbo) files, TJPEGImage and TPicture.
// Text is drawn by the internal font engine (FontEngine.h): FreeType glyphs, grey-scale antialiased.
//
// Does not implement: device handles, metafiles, palettes, alpha blending (the alpha byte of a pixel is
// carried through files and copies but never blended), pen styles other than solid for pens wider than
// one pixel, user dash styles (psUserStyle draws solid). Pixels are 0xAARRGGBB in a uint32_t whatever the
// bitmap's PixelFormat; PixelFormat only chooses the depth written to files.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Classes.h"
#include "Exceptions.h"
#include "Resources.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// ---------------------------------------------------------------------------------------------------------
// Points and rectangles (device pixels; right and bottom exclusive where a rectangle bounds pixels)

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int x, int y) { return TPoint{x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return TRect{left, top, right, bottom}; }
/// Rectangle from its top-left corner and size.
inline TRect Bounds(int left, int top, int width, int height) {
  return TRect{left, top, left + width, top + height};
}

// ---------------------------------------------------------------------------------------------------------
// Colours

/// $00BBGGRR; $FF0000nn is system colour nn; clNone and clDefault are markers.
using TColor = int32_t;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clLtGray = 0xC0C0C0,
                 clDkGray = 0x808080, clWhite = 0xFFFFFF, clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6,
                 clCream = 0xF0FBFF, clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

/// System colour nn as stored in a TColor.
constexpr TColor SystemColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index)); }
constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1), clActiveCaption = SystemColor(2),
                 clInactiveCaption = SystemColor(3), clMenu = SystemColor(4), clWindow = SystemColor(5),
                 clWindowFrame = SystemColor(6), clMenuText = SystemColor(7), clWindowText = SystemColor(8),
                 clCaptionText = SystemColor(9), clActiveBorder = SystemColor(10),
                 clInactiveBorder = SystemColor(11), clAppWorkSpace = SystemColor(12),
                 clHighlight = SystemColor(13), clHighlightText = SystemColor(14), clBtnFace = SystemColor(15),
                 clBtnShadow = SystemColor(16), clGrayText = SystemColor(17), clBtnText = SystemColor(18),
                 clInactiveCaptionText = SystemColor(19), clBtnHighlight = SystemColor(20),
                 cl3DDkShadow = SystemColor(21), cl3DLight = SystemColor(22), clInfoText = SystemColor(23),
                 clInfoBk = SystemColor(24), clHotLight = SystemColor(26),
                 clGradientActiveCaption = SystemColor(27), clGradientInactiveCaption = SystemColor(28),
                 clMenuHighlight = SystemColor(29), clMenuBar = SystemColor(30);

/// Resolves a system colour through the fixed table (unknown indices give black); other values unchanged.
TColor ColorToRGB(TColor color);
/// The classic name of a colour ("clRed", "clBtnFace", "clNone"), else "$" and 8 hex digits ("$00123456").
String ColorToString(TColor color);
/// A classic colour name (A-Z case ignored) or an integer text ("$00123456", "255"); raises EConvertError
/// "'<text>' is not a valid integer value" for anything else.
TColor StringToColor(const String& text);
constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r | (g << 8) | (b << 16));
}
constexpr uint8_t GetRValue(TColor c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GetGValue(TColor c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t GetBValue(TColor c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }

// ---------------------------------------------------------------------------------------------------------
// Pens, brushes, fonts

enum TPenStyle : uint8_t {
  psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate
};
/// The 16 binary raster operations of pen P on destination D (bits of the RGB value).
enum TPenMode : uint8_t {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
  pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TBrushStyle : uint8_t {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};
enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = Set<TFontStyle>;
/// How glyph edges are drawn: fqNonAntialiased puts each pixel fully or not at all (crisp glyphs); every
/// other value draws grey-scale antialiased.
enum TFontQuality : uint8_t {
  fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType, fqClearTypeNatural
};
enum TFillStyle : uint8_t { fsSurface, fsBorder };
enum TFillMode : uint8_t { fmAlternate, fmWinding };

class TCanvasTrace;

/// Common base of TPen, TBrush and TFont: OnChange fires once per real change; an attached canvas trace
/// sees every setter call ("Pen.Color", ...) and every Assign ("Pen.Assign"), changing or not.
class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;

 protected:
  /// Records a setter call in an attached canvas trace.
  void Record(const char* property, int64_t value, const String& text = String());
  void FireChange();

 private:
  friend class TCanvas;
  TCanvasTrace* FTrace = nullptr;  // borrowed from the canvas that owns this object
  const char* FTraceName = "";
};

/// Outline settings: colour, width in pixels (0 draws as 1), style and mix mode.
class TPen : public TGraphicsObject {
 public:
  void Assign(TPersistent* Source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  int Width() const { return FWidth; }
  /// Negative widths are ignored.
  void SetWidth(int value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode value);

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

/// Fill settings. As on the classic platform, setting a colour turns bsClear into bsSolid, and setting
/// bsClear resets the colour to clWhite.
class TBrush : public TGraphicsObject {
 public:
  void Assign(TPersistent* Source) override;

  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle value);

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

/// Text settings. Height is the stored value (negative = em height, positive = cell height in pixels);
/// Size in points is derived from it through PixelsPerInch (Size = -MulDiv(Height, 72, PPI)). Changing
/// PixelsPerInch keeps Height.
class TFont : public TGraphicsObject {
 public:
  /// Copies name, height, style, orientation, quality and colour; when the pixel densities differ the point size is
  /// copied instead of the height, so the text keeps its physical size.
  void Assign(TPersistent* Source) override;

  const String& Name() const { return FName; }
  /// Empty names are ignored.
  void SetName(const String& value);
  int Size() const;
  void SetSize(int points);
  int Height() const { return FHeight; }
  void SetHeight(int value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  /// Values below 1 are ignored; Height is kept.
  void SetPixelsPerInch(int value);
  TColor Color() const { return FColor; }
  void SetColor(TColor value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles value);
  /// Angle of the text base line in tenths of degrees, counter-clockwise on screen.
  int Orientation() const { return FOrientation; }
  void SetOrientation(int value);
  TFontQuality Quality() const { return FQuality; }
  void SetQuality(TFontQuality value);

 private:
  void StoreHeight(int value);

  String FName = u"Tahoma";
  int FHeight = -11;
  int FPixelsPerInch = 96;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  int FOrientation = 0;
  TFontQuality FQuality = fqDefault;
};

// ---------------------------------------------------------------------------------------------------------
// Canvas call trace (for tests)

/// One recorded call or property change: Op is "MoveTo", "Polyline", "Pen.Color", ...; Args the integer
/// arguments (points flattened x, y, x, y, ...), Text a text argument.
struct TCanvasTraceRecord {
  std::string Op;
  std::vector<int64_t> Args;
  String Text;
};

/// Attached to a canvas with TCanvas::SetTrace, records every property setter call of the canvas and of
/// its pen, brush and font (whether the value changes or not) and every drawing call, so a test can
/// assert "pen colour set once" or "three polylines drawn".
class TCanvasTrace {
 public:
  void Add(TCanvasTraceRecord record) { FRecords.push_back(std::move(record)); }
  const std::vector<TCanvasTraceRecord>& Records() const { return FRecords; }
  /// Number of records with this Op.
  int Count(std::string_view op) const;
  /// Records with this Op, in order.
  std::vector<TCanvasTraceRecord> Find(std::string_view op) const;
  void Clear() { FRecords.clear(); }
  /// One line per record: Op, the arguments separated by commas, the text in double quotes.
  std::string Text() const;

 private:
  std::vector<TCanvasTraceRecord> FRecords;
};

// ---------------------------------------------------------------------------------------------------------
// Canvas

/// Copy modes: the classic ternary raster operations (pattern = brush, source, destination).
using TCopyMode = int32_t;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;

/// Stretch modes: 1 to 3 pick the nearest source pixel; HALFTONE averages the covered source area.
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;

/// Text alignment flags: horizontal (left, right, center) or-ed with vertical (top, bottom, baseline).
constexpr unsigned TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24;

/// Text metrics of the canvas font, in pixels. tmPitchAndFamily has TMPF_TRUETYPE for scalable fonts.
struct TTextMetric {
  int tmHeight = 0;
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  uint8_t tmPitchAndFamily = 0;
};
constexpr uint8_t TMPF_TRUETYPE = 4;

/// Pixels a canvas draws on: 0xAARRGGBB, rows Stride pixels apart. Borrowed: the owner keeps it alive.
struct TCanvasSurface {
  uint32_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;
};

class TGraphic;
class TStream;

/// Drawing surface with pen, brush and font. Works on a borrowed TCanvasSurface (a bitmap, a form, a
/// printer page); logical coordinates are shifted by Origin and clipped to ClipRect. All coordinates of
/// the 32-bit range are accepted: shapes are clipped in 64-bit/double arithmetic before rasterising, so
/// drawing time is bounded by the clip area. Without a surface every call draws nothing.
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  // -- surface, origin, clip
  /// Binds the pixels; resets the clip to the whole surface. The origin is kept.
  void SetSurface(const TCanvasSurface& surface);
  const TCanvasSurface& Surface() const { return FSurface; }
  /// Surface position of logical (0, 0).
  TPoint Origin() const { return FOrigin; }
  void SetOrigin(TPoint value);
  /// Clip rectangle in logical coordinates (always inside the surface).
  TRect ClipRect() const;
  /// Restricts drawing to r (logical, taken with the current origin) within the clip limit.
  void SetClipRect(const TRect& r);
  /// Clip rectangle = the whole clip limit.
  void ResetClipRect();
  /// Surface rectangle the canvas never draws outside, whatever SetClipRect asks (a control's part of
  /// a form's surface); clipped to the surface. SetSurface resets it to the whole surface.
  void SetClipLimit(const TRect& surfaceRect);
  TRect ClipLimit() const { return FLimit; }
  /// Pixel density of the device behind the canvas (screen 96, printer 600).
  int DevicePixelsPerInch() const { return FDevicePPI; }
  void SetDevicePixelsPerInch(int value);
  void Lock() {}
  void Unlock() {}

  // -- lines and shapes
  void MoveTo(int x, int y);
  /// Line from PenPos to (x, y) without its last pixel; PenPos becomes (x, y).
  void LineTo(int x, int y);
  void Polyline(std::span<const TPoint> points);
  void Polyline(std::initializer_list<TPoint> points) { Polyline(std::span<const TPoint>(points.begin(), points.size())); }
  /// Closed polygon filled with the brush (PolyFillMode) and outlined with the pen.
  void Polygon(std::span<const TPoint> points);
  void Polygon(std::initializer_list<TPoint> points) { Polygon(std::span<const TPoint>(points.begin(), points.size())); }
  /// Cubic Bézier curves through 1 + 3n points (extra points are ignored), drawn as a polyline.
  void PolyBezier(std::span<const TPoint> points);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  /// Elliptic arc counter-clockwise from the ray through (x3, y3) to the ray through (x4, y4).
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  /// Fills r with the brush (plain copy, no pen).
  void FillRect(const TRect& r);
  /// One-pixel frame of r in the brush colour.
  void FrameRect(const TRect& r);
  /// Fills the 4-connected area: fsSurface = pixels of `color`, fsBorder = pixels up to `color`.
  void FloodFill(int x, int y, TColor color, TFillStyle style);
  /// Colour of one pixel; -1 outside the clip rectangle.
  TColor Pixels(int x, int y) const;
  /// Sets one pixel (no pen mode); outside the clip rectangle nothing happens.
  void SetPixels(int x, int y, TColor color);

  // -- text
  /// Draws text at (x, y) aligned by TextAlign; with a solid brush the text cell is filled first.
  /// PenPos becomes (x + TextWidth(text), y).
  void TextOut(int x, int y, const String& text);
  /// Like TextOut, clipped to r; with a solid brush r is filled first.
  void TextRect(const TRect& r, int x, int y, const String& text);
  int TextWidth(const String& text) const;
  /// Cell height (ascent + descent) of the font, independent of the text.
  int TextHeight(const String& text) const;
  TPoint TextExtent(const String& text) const;
  TTextMetric GetTextMetrics() const;
  unsigned TextAlign() const { return FTextAlign; }
  void SetTextAlign(unsigned flags);

  // -- images
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  /// Copies source (in source's coordinates) into dest, scaled, through CopyMode.
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
  /// Low level: copies pixels scaled into dest through CopyMode and StretchMode; source pixels whose RGB
  /// equals transparentRgb (when >= 0) are skipped. src is read from a private copy, so it may overlap.
  void BlitPixels(const TRect& dest, const TCanvasSurface& src, const TRect& srcRect, int64_t transparentRgb = -1);

  // -- properties
  TPen* Pen() const { return FPen.get(); }
  void SetPen(TPen* value) { FPen->Assign(value); }
  TBrush* Brush() const { return FBrush.get(); }
  void SetBrush(TBrush* value) { FBrush->Assign(value); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  TPoint PenPos() const { return FPenPos; }
  void SetPenPos(TPoint value) { MoveTo(value.X, value.Y); }
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode value);
  int StretchMode() const { return FStretchMode; }
  void SetStretchMode(int value);
  TFillMode PolyFillMode() const { return FPolyFillMode; }
  void SetPolyFillMode(TFillMode value);

  /// Attaches a trace (borrowed; nullptr detaches).
  void SetTrace(TCanvasTrace* trace);
  TCanvasTrace* Trace() const { return FTrace; }

 private:
  friend struct CanvasAccess;
  void Record(const char* op, std::vector<int64_t> args, const String& text = String()) const;

  TCanvasSurface FSurface;
  TPoint FOrigin;
  TRect FClip;   // device (surface) coordinates
  TRect FLimit;  // device coordinates
  int FDevicePPI = 96;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  std::unique_ptr<TFont> FFont;
  TPoint FPenPos;
  int64_t FDashPhase = 0;  // position in the dash pattern, continued by consecutive LineTo calls
  TCopyMode FCopyMode = cmSrcCopy;
  int FStretchMode = BLACKONWHITE;
  TFillMode FPolyFillMode = fmAlternate;
  unsigned FTextAlign = TA_LEFT | TA_TOP;
  TCanvasTrace* FTrace = nullptr;
};

/// Device capability indices for GetDeviceCaps.
constexpr int HORZRES = 8, VERTRES = 10, ASPECTX = 40, ASPECTY = 42, LOGPIXELSX = 88, LOGPIXELSY = 90;
/// Device capability of the canvas: LOGPIXELSX/Y its pixel density, ASPECTX/Y the relative pixel
/// width and height (36 on the screen), HORZRES/VERTRES the surface size in pixels; 0 for other indices.
int GetDeviceCaps(const TCanvas* canvas, int index);

/// DrawText formats: horizontal placement, vertical placement of a single line, and what else to do.
constexpr unsigned DT_LEFT = 0x000, DT_CENTER = 0x001, DT_RIGHT = 0x002, DT_TOP = 0x000, DT_VCENTER = 0x004,
                   DT_BOTTOM = 0x008, DT_SINGLELINE = 0x020, DT_EXPANDTABS = 0x040, DT_NOCLIP = 0x100,
                   DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800;
/// Writes text into rect with the canvas's font (and its brush behind each line when solid): lines end at
/// LF (a CR before it is dropped) unless DT_SINGLELINE, each placed left, centred or right; DT_VCENTER and
/// DT_BOTTOM place a single line; tabs become 8 average character widths with DT_EXPANDTABS; the text is
/// clipped to rect unless DT_NOCLIP. With DT_CALCRECT nothing is drawn: rect's right and bottom are set to
/// fit the text (its left and top stay). Answers the height of the text. '&' is drawn as it stands (there
/// are no accelerator prefixes, DT_NOPREFIX or not).
int DrawText(TCanvas* canvas, const String& text, TRect& rect, unsigned format);

// ---------------------------------------------------------------------------------------------------------
// Images

/// A file or stream that is not a valid image of the expected kind.
QELTA_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
/// An operation an image cannot perform.
QELTA_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode : uint8_t { tmAuto, tmFixed };

/// Stage of an image load or save reported through TGraphic::OnProgress.
enum TProgressStage : uint8_t { psStarting, psRunning, psEnding };
/// Progress of an image load or save: the stage, the share done (0..100) and what is being done
/// ("Loading", "Saving"). Sender is the image.
using TProgressEvent =
    std::function<void(TObject* Sender, TProgressStage Stage, uint8_t PercentDone, const String& Msg)>;

/// Width and height in pixels, as an image file's header declares them.
struct TImageSize {
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TImageSize&, const TImageSize&) = default;
};

namespace platform_detail {
struct RawImage;
}

/// An image of any kind the platform reads: a bitmap or a JPEG image.
class TGraphic : public TPersistent {
 public:
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const { return Width() == 0 || Height() == 0; }
  bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  /// Reads the file; raises EFOpenError when it cannot be opened, EInvalidGraphic when it is not valid
  /// (the message names the file, the format and the reason: "\"a.png\": PNG image is not valid: ...").
  virtual void LoadFromFile(const String& fileName) = 0;
  /// Writes the file; raises EFCreateError when it cannot be written.
  virtual void SaveToFile(const String& fileName) const = 0;
  /// Reads the image from the stream's position to its end; raises EInvalidGraphic when it is not valid.
  virtual void LoadFromStream(TStream& stream) = 0;
  /// Writes the image at the stream's position (a bitmap as BMP, a JPEG image as JPEG).
  virtual void SaveToStream(TStream& stream) const = 0;
  /// Draws the image scaled into r on the canvas (the canvas's copy mode applies).
  virtual void DrawOn(TCanvas* canvas, const TRect& r) = 0;

  TNotifyEvent OnChange;
  /// Fired by LoadFromFile, LoadFromStream, SaveToFile and SaveToStream: psStarting with 0 before the
  /// work, psEnding with 100 after it succeeded (a failing load or save raises without psEnding).
  TProgressEvent OnProgress;

 protected:
  void Changed();
  /// Runs work between the two OnProgress calls, Msg naming the work.
  void WithProgress(const String& Msg, const std::function<void()>& work) const;

 private:
  bool FTransparent = false;
};

/// An image in memory with its own canvas. New pixels are opaque white; resizing keeps the top-left
/// content. Reads BMP (1, 4, 8, 16, 24, 32 bits; uncompressed, bit fields, RLE8; top-down or bottom-up),
/// PNG and JPEG files, recognised by content; writes BMP, PNG or JPEG chosen by the file extension
/// (.png, .jpg/.jpeg, anything else BMP) at 24 bits, or 32 bits with pf32bit; a BMP of a pf4bit bitmap
/// has 4 bits with the 16-colour VGA palette, each pixel taken to the nearest palette colour.
class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  /// Copies a TBitmap (pixels, format, transparency) or the decoded pixels of a TJPEGImage.
  void Assign(TPersistent* Source) override;
  /// Loads the picture a library embedded under the name (A-Z case ignored); raises EResNotFound
  /// "Resource <name> not found" when the library has none of that name.
  void LoadFromResourceName(HINSTANCE instance, const String& name);

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int value) { SetSize(value, FHeight); }
  void SetHeight(int value) { SetSize(FWidth, value); }
  /// Negative sizes count as 0; raises EOutOfMemory beyond 2^28 pixels.
  void SetSize(int width, int height);
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  /// pf4bit and pf32bit stay; every other value is stored as pf24bit.
  void SetPixelFormat(TPixelFormat value);
  TCanvas* Canvas() const { return FCanvas.get(); }
  /// Row `row` (0 = top) as Width pixels 0xAARRGGBB; raises EInvalidGraphicOperation outside 0..Height-1.
  uint32_t* ScanLine(int row);
  const uint32_t* ScanLine(int row) const;

  /// Auto mode answers the colour of the bottom-left pixel; setting a colour switches to tmFixed.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor value);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode value);

  void LoadFromFile(const String& fileName) override;
  void SaveToFile(const String& fileName) const override;
  /// Reads BMP, PNG or JPEG data (recognised by content) from the position to the end.
  void LoadFromStream(TStream& stream) override;
  /// Writes BMP data.
  void SaveToStream(TStream& stream) const override;
  /// Decodes BMP, PNG or JPEG bytes (recognised by content); raises EInvalidGraphic with the format
  /// and the reason. PNG samples are taken as stored (no gamma or colour conversion), 16-bit ones
  /// scaled to 8 bits by rounding; alpha is kept, not premultiplied.
  void LoadFromBytes(std::span<const uint8_t> bytes);
  /// Encodes as BMP (the stream format of a bitmap).
  std::vector<uint8_t> SaveToBytes() const;
  /// The size LoadFromBytes would give the bytes, read from the header alone: the checks the decoder
  /// makes before it takes memory for the pixels, no more (damaged pixel data still fails to load).
  /// std::nullopt where the decoder refuses the header. Takes no memory for the pixels.
  static std::optional<TImageSize> DeclaredSize(std::span<const uint8_t> bytes);
  void DrawOn(TCanvas* canvas, const TRect& r) override;

 private:
  friend class TJPEGImage;
  void Rebind();
  /// Takes the decoded pixels over without copying them; the pixel format follows the file.
  void TakeDecoded(platform_detail::RawImage& img);
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint32_t> FPixels;
  TPixelFormat FPixelFormat = pf24bit;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  std::unique_ptr<TCanvas> FCanvas;
};

/// A JPEG image: keeps the compressed data it was loaded with and the decoded pixels. Saving an image
/// that was loaded and not changed writes the original bytes; an assigned bitmap is compressed with
/// CompressionQuality (1..100, default 90).
class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  /// Copies another TJPEGImage or takes the pixels of a TBitmap (compressed when saved).
  void Assign(TPersistent* Source) override;
  int Width() const override;
  int Height() const override;
  int CompressionQuality() const { return FQuality; }
  /// Clamped to 1..100.
  void SetCompressionQuality(int value);
  /// The decoded pixels.
  const TBitmap* Bitmap() const { return FBitmap.get(); }

  void LoadFromFile(const String& fileName) override;
  void SaveToFile(const String& fileName) const override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  /// Decodes JPEG bytes; raises EInvalidGraphic "JPEG image is not valid".
  void LoadFromBytes(std::span<const uint8_t> bytes);
  std::vector<uint8_t> SaveToBytes() const;
  /// The size LoadFromBytes would give the bytes, from the JPEG header alone (as TBitmap::DeclaredSize);
  /// std::nullopt where the decoder refuses the header.
  static std::optional<TImageSize> DeclaredSize(std::span<const uint8_t> bytes);
  void DrawOn(TCanvas* canvas, const TRect& r) override;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  std::unique_ptr<TBitmap> FBitmap;
  std::vector<uint8_t> FData;  // original compressed bytes; empty once the pixels came from elsewhere
  int FQuality = 90;
};

/// Holds one image of any kind. LoadFromFile picks the kind by content (JPEG -> TJPEGImage,
/// BMP and PNG -> TBitmap); SaveToFile writes the held image by its own rule.
class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;

  /// Copies another picture's image, or the given graphic (nullptr clears).
  void Assign(TPersistent* Source) override;
  TGraphic* Graphic() const { return FGraphic.get(); }
  /// Stores a copy of the graphic (nullptr clears).
  void SetGraphic(TGraphic* value);
  /// The image as a bitmap: a held bitmap as is; another kind is converted to a bitmap with its pixels
  /// (never dropped); an empty picture gets an empty bitmap.
  TBitmap* Bitmap();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  /// Raises EInvalidGraphic naming the file when it is not valid; a failed load keeps the picture.
  void LoadFromFile(const String& fileName);
  /// Raises EInvalidGraphicOperation when the picture is empty.
  void SaveToFile(const String& fileName) const;

  TNotifyEvent OnChange;

 private:
  void Changed();
  void LoadPictureFile(const String& fileName);
  std::unique_ptr<TGraphic> FGraphic;
};

// ---------------------------------------------------------------------------------------------------------
class TSaveGroup;  // FileReplace.h

// Not part of the public interface: the codecs behind TBitmap and TJPEGImage, on bytes.
namespace platform_detail {

/// Decoded pixels 0xAARRGGBB, top row first.
struct RawImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
  bool HasAlpha = false;  // the file carried an alpha channel
  int Bits = 24;          // bits per pixel of the file
};

/// Largest image the decoders accept (pixels).
constexpr int64_t kMaxImagePixels = int64_t(1) << 28;

enum class ImageKind { Unknown, Bmp, Png, Jpeg };
ImageKind SniffImage(std::span<const uint8_t> bytes);

/// Raise EInvalidGraphic on malformed, truncated or oversized input.
RawImage DecodeBmp(std::span<const uint8_t> bytes);
RawImage DecodePng(std::span<const uint8_t> bytes);
RawImage DecodeJpeg(std::span<const uint8_t> bytes);
/// The size the decoder of the same format would give, from the header alone: every check the decoder
/// makes before it takes memory for the pixels, raising as it does.
TImageSize BmpHeaderSize(std::span<const uint8_t> bytes);
TImageSize PngHeaderSize(std::span<const uint8_t> bytes);
TImageSize JpegHeaderSize(std::span<const uint8_t> bytes);
/// bits 4 (16-colour VGA palette, nearest colour), 24 or 32 (32 keeps the alpha byte).
std::vector<uint8_t> EncodeBmp(const RawImage& image, int bits);
/// withAlpha writes RGBA, otherwise RGB.
std::vector<uint8_t> EncodePng(const RawImage& image, bool withAlpha);
std::vector<uint8_t> EncodeJpeg(const RawImage& image, int quality);

/// Whole-file read and write through the platform's streams; raise EFOpenError / EFCreateError /
/// EReadError / EWriteError. A write that fails keeps the old file (SaveWholeFile); with a group, the
/// file is published by the group's Commit.
std::vector<uint8_t> ReadFileBytes(const String& fileName);
void WriteFileBytes(const String& fileName, std::span<const uint8_t> bytes, TSaveGroup* group = nullptr);
/// The rest of the stream from its position; writing at the position.
std::vector<uint8_t> ReadStreamBytes(TStream& stream);
void WriteStreamBytes(TStream& stream, std::span<const uint8_t> bytes);

}  // namespace platform_detail
}  // namespace qelta

QELTA_PUBLIC_END
