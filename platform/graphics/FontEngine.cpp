// FreeType side of the font engine: faces, sizes, the glyph cache, metrics, measuring and drawing.
//
// Sizes are whole pixels per em, 1..kMaxEm (larger requests are clamped). Vertical metrics are the
// face's ascender and descender (hhea, else OS/2 typo values, else the bounding box) in font units,
// scaled by em / unitsPerEm and rounded up: Ascent = ceil(asc * em / upm), Descent = ceil(desc *
// em / upm), Height = Ascent + Descent. A positive FontKey.Height asks for a cell: the largest em
// whose cell is not taller is used (at least 1), and the descent takes the pixel or two the rounded
// metrics leave over, so the cell is exactly Height tall (it was a pixel short for 12 of the heights
// 6..60) while the glyphs and the baseline stay where that em puts them.
//
// Advances are the font's own advance widths scaled and rounded half up to whole pixels, plus pair
// kerning from the font's kern table rounded the same way. Outlines are hinted with the light
// target (vertical only), which leaves advances alone: measuring and drawing agree, and results do
// not depend on the hinting engine of the FreeType release. AveCharWidth is the advance of 'x'
// (the classic meaning: a typical lowercase width), MaxCharWidth the face's widest advance rounded alike.
//
// Drawing: each glyph origin is rounded to whole pixels, so one rendered bitmap per (size, angle,
// glyph) serves every position. Coverage (256 levels) moves each of R, G, B towards the text colour,
// dst + (src - dst) * coverage / 255 rounded; the alpha byte of the target is left as it is.
// Aliased text is rendered in FreeType's monochrome mode from the same hinted outline (not by a
// threshold on the grey levels), so its pixels are exactly those of a 1-bit rendering.
// Rotation and the shear of a synthetic italic go through FT_Set_Transform (hinting happens before
// the transform). A family without a bold file is emboldened by em / 24, as FreeType's own helper
// does, and each advance grows by that much rounded (at least a pixel).
//
// Caches: open faces live for the process; sized faces (with their advances, kerning pairs and
// bitmaps) are dropped all together past kMaxSizes, rendered bitmaps past kMaxBitmapBytes; the
// previous call's key is a shortcut past the key map. One function-local static owns everything
// and frees it at exit, sizes before faces before the library.

#include "FontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <tuple>
#include <unordered_map>

#include "FontMatch.h"
#include "Math.h"

namespace qelta::platform_detail {
namespace {

constexpr int kDefaultEm = 11;
constexpr int kMaxEm = 2048;
constexpr std::size_t kMaxKeys = 256;
constexpr std::size_t kMaxSizes = 32;
constexpr std::size_t kMaxKerningPairs = 65536;  // per size
constexpr std::size_t kMaxBitmapBytes = std::size_t{16} << 20;
constexpr std::size_t kBitmapOverhead = 64;  // bookkeeping counted per cached bitmap
constexpr FT_Fixed kObliqueShear = 0x0366A;  // about 12 degrees, FreeType's own oblique slant
constexpr uint32_t kUnknownGlyph = 0xFFFFFFFFu;

// [SECTION] arithmetic

int64_t CeilDiv(int64_t a, int64_t b) { return a >= 0 ? (a + b - 1) / b : -(-a / b); }

// Rounds a / b half away from zero (b > 0).
int64_t RoundDiv(int64_t a, int64_t b) { return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b); }

int64_t RoundPixel(double v) { return static_cast<int64_t>(std::floor(v + 0.5)); }

struct Direction {
  double Cos = 1, Sin = 0;
};

// Unit vector of an angle in tenths of a degree, 0..3599; exact at the right angles.
Direction DirectionOf(int tenths) {
  switch (tenths) {
    case 0:
      return {1, 0};
    case 900:
      return {0, 1};
    case 1800:
      return {-1, 0};
    case 2700:
      return {0, -1};
    default:
      break;
  }
  const double r = tenths * (std::numbers::pi / 1800.0);
  return {std::cos(r), std::sin(r)};
}

int NormalAngle(int tenths) { return (tenths % 3600 + 3600) % 3600; }

// [SECTION] faces and sizes

// One open font file with its line extents and the glyphs of U+0000..U+00FF.
struct Face {
  FT_Face Handle = nullptr;
  int64_t Units = 2048;       ///< units per em
  int64_t Asc = 0, Desc = 0;  ///< line extent above and below the baseline, font units
  int64_t Gap = 0;            ///< line gap, font units
  std::array<uint32_t, 256> Latin1{};

  Face() = default;
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  ~Face() {
    if (Handle) FT_Done_Face(Handle);
  }
};

/// A bar along the baseline: rows [Top, Top + Thickness) counted downwards from the baseline.
struct Decoration {
  int Top = 0;
  int Thickness = 1;
};

struct GlyphBitmap {
  int Left = 0, Top = 0;  ///< offset of the top-left pixel: right of and above the origin
  int Width = 0, Rows = 0;
  std::vector<uint8_t> Coverage;
};

// A face at one pixel size with what has been measured and rendered for it.
struct SizedFace {
  Face* Source = nullptr;
  FT_Size Size = nullptr;
  int Em = kDefaultEm;
  bool SyntheticItalic = false;
  bool HasKerning = false;
  FT_Pos BoldStrength = 0;  ///< outline growth of a synthetic bold, 26.6 pixels
  int BoldExtra = 0;        ///< advance growth of a synthetic bold, pixels
  int Margin = 0;           ///< how far a glyph bitmap may reach from its origin, pixels
  FontMetrics Metrics;
  Decoration Underline, StrikeOut;
  std::vector<int> Advances;                          ///< per glyph index, -1 until measured
  std::unordered_map<uint64_t, int> Kerning;          ///< key: left glyph << 32 | right glyph
  std::unordered_map<uint64_t, GlyphBitmap> Bitmaps;  ///< key: angle << 32 | glyph index

  SizedFace() = default;
  SizedFace(const SizedFace&) = delete;
  SizedFace& operator=(const SizedFace&) = delete;
  ~SizedFace() {
    if (Size) FT_Done_Size(Size);
  }
};

void SetExtents(Face& f) {
  const FT_Face h = f.Handle;
  f.Units = h->units_per_EM;
  f.Asc = std::max<int64_t>(h->ascender, 0);
  f.Desc = std::max<int64_t>(-int64_t{h->descender}, 0);
  if (f.Asc + f.Desc == 0) {
    f.Asc = std::max<int64_t>(h->bbox.yMax, 0);
    f.Desc = std::max<int64_t>(-int64_t{h->bbox.yMin}, 0);
  }
  if (f.Asc + f.Desc == 0) f.Asc = f.Units * 4 / 5, f.Desc = f.Units / 5;
  f.Gap = std::max<int64_t>(h->height - f.Asc - f.Desc, 0);
}

std::unique_ptr<Face> LoadFace(FT_Library library, const FaceChoice& choice) {
  FT_Face handle = nullptr;
  if (FT_New_Face(library, choice.File.c_str(), choice.Index, &handle) != 0) return nullptr;
  auto face = std::make_unique<Face>();
  face->Handle = handle;
  if (!FT_IS_SCALABLE(handle) || handle->units_per_EM == 0 || handle->num_glyphs <= 0) return nullptr;
  SetExtents(*face);
  face->Latin1.fill(kUnknownGlyph);
  return face;
}

uint32_t GlyphIndex(Face& f, char32_t cp) {
  if (cp >= 256) return FT_Get_Char_Index(f.Handle, cp);
  uint32_t& glyph = f.Latin1[cp];
  if (glyph == kUnknownGlyph) glyph = FT_Get_Char_Index(f.Handle, cp);
  return glyph;
}

// The em size for a FontKey.Height (see the top of this file).
int EmFor(const Face& f, int height) {
  if (height < 0) return height < -kMaxEm ? kMaxEm : -height;
  if (height == 0) return kDefaultEm;
  auto cell = [&](int64_t em) { return CeilDiv(f.Asc * em, f.Units) + CeilDiv(f.Desc * em, f.Units); };
  int64_t em = std::clamp<int64_t>(int64_t{height} * f.Units / (f.Asc + f.Desc), 1, kMaxEm);
  while (em < kMaxEm && cell(em + 1) <= height) ++em;
  while (em > 1 && cell(em) > height) --em;
  return static_cast<int>(em);
}

// [SECTION] measuring

int Advance(SizedFace& s, uint32_t glyph) {
  if (glyph >= s.Advances.size()) glyph = 0;
  int& advance = s.Advances[glyph];
  if (advance < 0) {
    FT_Fixed units = 0;
    if (FT_Get_Advance(s.Source->Handle, glyph, FT_LOAD_NO_SCALE, &units) != 0) units = 0;
    advance = static_cast<int>(RoundDiv(std::max<int64_t>(units, 0) * s.Em, s.Source->Units)) + s.BoldExtra;
  }
  return advance;
}

// Pair kerning in pixels; the font's pair table is searched once per pair and size.
int Kerning(SizedFace& s, uint32_t left, uint32_t right) {
  if (!s.HasKerning) return 0;
  const uint64_t pair = uint64_t{left} << 32 | right;
  if (auto it = s.Kerning.find(pair); it != s.Kerning.end()) return it->second;
  FT_Vector k{};
  if (FT_Get_Kerning(s.Source->Handle, left, right, FT_KERNING_UNSCALED, &k) != 0) k.x = 0;
  if (s.Kerning.size() >= kMaxKerningPairs) s.Kerning.clear();
  return s.Kerning[pair] = static_cast<int>(RoundDiv(k.x * s.Em, s.Source->Units));
}

// Next code point from position i, which moves past it; a lone surrogate reads as U+FFFD.
char32_t NextCodePoint(const String& s, std::size_t& i) {
  const char32_t c = s[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF)
    return 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
  return c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c;
}

// Calls place(glyph, pen) for each character, pen being the pixels along the baseline from the
// text's start to the glyph origin; returns the pen position after the last character.
template <typename Place>
int64_t Walk(SizedFace& s, const String& text, Place place) {
  int64_t pen = 0;
  bool first = true;
  uint32_t previous = 0;
  for (std::size_t i = 0; i < text.size();) {
    const uint32_t glyph = GlyphIndex(*s.Source, NextCodePoint(text, i));
    if (!first) pen += Kerning(s, previous, glyph);
    place(glyph, pen);
    pen += Advance(s, glyph);
    previous = glyph, first = false;
  }
  return pen;
}

// [SECTION] sized face set-up

Decoration UnderlineBar(const Face& f, int em, int descent) {
  const FT_Face h = f.Handle;
  Decoration bar;
  bar.Thickness = static_cast<int>(std::max<int64_t>(1, RoundDiv(int64_t{h->underline_thickness} * em, f.Units)));
  const int64_t centre = RoundDiv(-int64_t{h->underline_position} * em, f.Units);
  // At least one clear row under the glyphs where the descent leaves room for it.
  const int lowest = std::max(0, descent - bar.Thickness);
  bar.Top = static_cast<int>(std::clamp<int64_t>(centre - bar.Thickness / 2, std::min(1, lowest), lowest));
  return bar;
}

// The OS/2 strike-out stroke (its top above the baseline); without one, 0.3 em up in the underline's thickness.
Decoration StrikeOutBar(const Face& f, int em, int underlineThickness) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f.Handle, FT_SFNT_OS2));
  const bool hasStroke = os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0;
  Decoration bar;
  const int64_t top = hasStroke ? os2->yStrikeoutPosition : f.Units * 3 / 10;
  bar.Thickness = hasStroke
                      ? static_cast<int>(std::max<int64_t>(1, RoundDiv(int64_t{os2->yStrikeoutSize} * em, f.Units)))
                      : underlineThickness;
  bar.Top = static_cast<int>(-RoundDiv(top * em, f.Units));
  return bar;
}

FontMetrics MetricsOf(SizedFace& s) {
  const Face& f = *s.Source;
  FontMetrics m;
  m.Ascent = static_cast<int>(CeilDiv(f.Asc * s.Em, f.Units));
  m.Descent = static_cast<int>(CeilDiv(f.Desc * s.Em, f.Units));
  m.Height = m.Ascent + m.Descent;
  m.InternalLeading = m.Height - s.Em;
  m.ExternalLeading = static_cast<int>(RoundDiv(f.Gap * s.Em, f.Units));
  const uint32_t x = GlyphIndex(*s.Source, U'x');
  m.AveCharWidth = x != 0 ? Advance(s, x) : (s.Em + 1) / 2;
  m.MaxCharWidth = static_cast<int>(RoundDiv(int64_t{f.Handle->max_advance_width} * s.Em, f.Units)) + s.BoldExtra;
  m.TrueType = true;
  return m;
}

int MarginOf(const Face& f, int em, int boldExtra) {
  const FT_BBox& b = f.Handle->bbox;
  const int64_t reach = std::max({std::abs(int64_t{b.xMin}), std::abs(int64_t{b.xMax}), std::abs(int64_t{b.yMin}),
                                  std::abs(int64_t{b.yMax}), f.Units});
  // Half as much again covers the diagonal of a rotated glyph and the italic shear.
  return static_cast<int>(CeilDiv(reach * em * 3, f.Units * 2)) + boldExtra + 2;
}

std::unique_ptr<SizedFace> MakeSized(Face& face, int em, const FaceChoice& choice) {
  auto s = std::make_unique<SizedFace>();
  s->Source = &face;
  s->Em = em;
  if (FT_New_Size(face.Handle, &s->Size) != 0) return nullptr;
  if (FT_Activate_Size(s->Size) != 0 || FT_Set_Pixel_Sizes(face.Handle, 0, em) != 0) return nullptr;
  s->SyntheticItalic = choice.SyntheticItalic;
  s->HasKerning = FT_HAS_KERNING(face.Handle);
  if (choice.SyntheticBold) {
    s->BoldStrength = std::max<FT_Pos>(em * 64 / 24, 16);
    s->BoldExtra = std::max(1, (em + 12) / 24);
  }
  s->Advances.assign(static_cast<std::size_t>(face.Handle->num_glyphs), -1);
  s->Metrics = MetricsOf(*s);
  s->Underline = UnderlineBar(face, em, s->Metrics.Descent);
  s->StrikeOut = StrikeOutBar(face, em, s->Underline.Thickness);
  s->Margin = MarginOf(face, em, s->BoldExtra);
  return s;
}

// [SECTION] rendering

FT_Fixed ToFixed(double v) { return static_cast<FT_Fixed>(std::lround(v * 65536.0)); }

// Rotation counter-clockwise on screen (FreeType's y axis points up), after the italic shear.
FT_Matrix TextTransform(Direction d, bool oblique) {
  const FT_Fixed c = ToFixed(d.Cos), s = ToFixed(d.Sin);
  FT_Matrix m{c, -s, s, c};
  if (oblique) {
    m.xy = FT_MulFix(c, kObliqueShear) - s;
    m.yy = FT_MulFix(s, kObliqueShear) + c;
  }
  return m;
}

void CopyCoverage(const FT_Bitmap& b, GlyphBitmap& out) {
  out.Width = static_cast<int>(b.width);
  out.Rows = static_cast<int>(b.rows);
  out.Coverage.resize(static_cast<std::size_t>(out.Width) * out.Rows);
  const std::size_t pitch = static_cast<std::size_t>(std::abs(b.pitch));
  for (int row = 0; row < out.Rows; ++row) {
    const int from = b.pitch >= 0 ? row : out.Rows - 1 - row;
    std::copy_n(b.buffer + from * pitch, out.Width,
                out.Coverage.begin() + static_cast<std::ptrdiff_t>(row) * out.Width);
  }
}

// A 1-bit glyph as coverage 0 or 255.
void CopyMono(const FT_Bitmap& b, GlyphBitmap& out) {
  out.Width = static_cast<int>(b.width);
  out.Rows = static_cast<int>(b.rows);
  out.Coverage.assign(static_cast<std::size_t>(out.Width) * out.Rows, 0);
  const std::size_t pitch = static_cast<std::size_t>(std::abs(b.pitch));
  for (int row = 0; row < out.Rows; ++row) {
    const unsigned char* bits = b.buffer + (b.pitch >= 0 ? row : out.Rows - 1 - row) * pitch;
    for (int x = 0; x < out.Width; ++x)
      if (bits[x >> 3] & (0x80 >> (x & 7))) out.Coverage[static_cast<std::size_t>(row) * out.Width + x] = 255;
  }
}

GlyphBitmap Render(SizedFace& s, uint32_t glyph, int angleTenths, bool mono) {
  GlyphBitmap out;
  const FT_Face face = s.Source->Handle;
  FT_Matrix m = TextTransform(DirectionOf(angleTenths), s.SyntheticItalic);
  FT_Activate_Size(s.Size);
  FT_Set_Transform(face, &m, nullptr);
  const bool loaded = FT_Load_Glyph(face, glyph, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) == 0 &&
                      face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
  FT_Set_Transform(face, nullptr, nullptr);
  if (!loaded) return out;
  const FT_GlyphSlot slot = face->glyph;
  if (s.BoldStrength > 0) FT_Outline_Embolden(&slot->outline, s.BoldStrength);
  if (mono) {
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return out;
    CopyMono(slot->bitmap, out);
  } else {
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY ||
        slot->bitmap.num_grays != 256)
      return out;
    CopyCoverage(slot->bitmap, out);
  }
  out.Left = slot->bitmap_left;
  out.Top = slot->bitmap_top;
  return out;
}

// [SECTION] the engine

bool SameKey(const FontKey& a, const FontKey& b) {
  return a.Height == b.Height && a.Bold == b.Bold && a.Italic == b.Italic && a.Name == b.Name;
}

class Engine {
 public:
  Engine() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  }
  ~Engine() {
    keys_.clear();
    sizes_.clear();  // sizes belong to faces: free them first
    faces_.clear();
    if (library_) FT_Done_FreeType(library_);
  }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  /// The sized face for a key, or nullptr when no scalable font can be opened at all.
  SizedFace* Find(const FontKey& key) {
    if (last_ && SameKey(key, lastKey_)) return last_;
    lastKey_ = key;
    last_ = Lookup(key);
    return last_;
  }

  /// The rendered glyph; valid until the next call.
  const GlyphBitmap& Glyph(SizedFace& s, uint32_t glyph, int angleTenths, bool mono) {
    const uint64_t key = uint64_t{static_cast<uint32_t>(angleTenths)} << 32 | (mono ? 0x80000000u : 0u) | glyph;
    if (auto it = s.Bitmaps.find(key); it != s.Bitmaps.end()) return it->second;
    GlyphBitmap bitmap = Render(s, glyph, angleTenths, mono);
    const std::size_t bytes = bitmap.Coverage.size() + kBitmapOverhead;
    if (bitmapBytes_ + bytes > kMaxBitmapBytes) DropBitmaps();
    bitmapBytes_ += bytes;
    return s.Bitmaps.emplace(key, std::move(bitmap)).first->second;
  }

 private:
  SizedFace* Lookup(const FontKey& key) {
    auto k = std::make_tuple(key.Name, key.Height, key.Bold, key.Italic);
    if (auto it = keys_.find(k); it != keys_.end()) return it->second;
    const FaceChoice choice = MatchFace(ResolveFontFamily(key.Name), key.Bold, key.Italic);
    Face* face = Open(choice);
    SizedFace* sized = face ? Sized(*face, choice, EmFor(*face, key.Height)) : nullptr;
    if (keys_.size() >= kMaxKeys) keys_.clear();
    keys_.emplace(std::move(k), sized);
    return sized;
  }

  Face* Open(const FaceChoice& choice) {
    if (!library_ || choice.File.empty()) return nullptr;
    auto key = std::make_pair(choice.File, choice.Index);
    auto it = faces_.find(key);
    if (it == faces_.end()) it = faces_.emplace(std::move(key), LoadFace(library_, choice)).first;
    return it->second.get();
  }

  SizedFace* Sized(Face& face, const FaceChoice& choice, int em) {
    auto key = std::make_tuple(&face, em, choice.SyntheticBold, choice.SyntheticItalic);
    if (auto it = sizes_.find(key); it != sizes_.end()) return it->second.get();
    if (sizes_.size() >= kMaxSizes) {
      last_ = nullptr;
      keys_.clear();
      sizes_.clear();
      bitmapBytes_ = 0;
    }
    std::unique_ptr<SizedFace> sized = MakeSized(face, em, choice);
    return sized ? sizes_.emplace(key, std::move(sized)).first->second.get() : nullptr;
  }

  void DropBitmaps() {
    for (auto& entry : sizes_) entry.second->Bitmaps.clear();
    bitmapBytes_ = 0;
  }

  FT_Library library_ = nullptr;
  std::map<std::pair<std::string, int>, std::unique_ptr<Face>> faces_;
  std::map<std::tuple<Face*, int, bool, bool>, std::unique_ptr<SizedFace>> sizes_;
  std::map<std::tuple<String, int, bool, bool>, SizedFace*> keys_;
  std::size_t bitmapBytes_ = 0;
  FontKey lastKey_;  ///< the key of the previous call, a shortcut for runs of one font
  SizedFace* last_ = nullptr;
};

// Never destroyed, so components released at exit (Application's forms go last) still find it.
Engine& TheEngine() {
  static auto* engine = new Engine();
  return *engine;
}

// [SECTION] fallback without any installed font

int FallbackEm(int height) {
  if (height < 0) return height < -kMaxEm ? kMaxEm : -height;
  return height == 0 ? kDefaultEm : std::max(1, static_cast<int>(int64_t{height} * 4 / 5));
}

FontMetrics FallbackMetrics(int height) {
  const int em = FallbackEm(height);
  FontMetrics m;
  m.Ascent = em;
  m.Descent = (em + 3) / 4;
  m.Height = m.Ascent + m.Descent;
  m.InternalLeading = m.Descent;
  m.AveCharWidth = (em + 1) / 2;
  m.MaxCharWidth = em;
  m.TrueType = false;
  return m;
}

int64_t FallbackAdvance(const FontKey& key, const String& text) {
  int64_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) NextCodePoint(text, i);
  return count * FallbackMetrics(key.Height).AveCharWidth;
}

// [SECTION] blending

struct ClipRect {
  int64_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Empty() const { return Left >= Right || Top >= Bottom; }
};

// The clip rectangle within the buffer (and within the stride, whatever the caller claims).
ClipRect ClipOf(const PixelTarget& t) {
  const int64_t width = std::min(t.Width, t.Stride);
  return {std::max<int64_t>(0, t.ClipLeft), std::max<int64_t>(0, t.ClipTop), std::min<int64_t>(width, t.ClipRight),
          std::min<int64_t>(t.Height, t.ClipBottom)};
}

// 0x00BBGGRR to the 0x00RRGGBB part of a pixel.
uint32_t PixelRgb(uint32_t color) { return (color & 0xFFu) << 16 | (color & 0xFF00u) | (color >> 16 & 0xFFu); }

uint32_t Blend(uint32_t dst, uint32_t rgb, unsigned cover) {
  uint32_t out = dst & 0xFF000000u;
  if (cover >= 255) return out | rgb;
  for (int shift = 0; shift < 24; shift += 8) {
    const unsigned d = dst >> shift & 0xFFu, s = rgb >> shift & 0xFFu;
    out |= ((s * cover + d * (255 - cover) + 127) / 255) << shift;
  }
  return out;
}

void Blit(const PixelTarget& t, const ClipRect& clip, const GlyphBitmap& g, int64_t left, int64_t top, uint32_t rgb) {
  const int64_t x0 = std::max(left, clip.Left), x1 = std::min(left + g.Width, clip.Right);
  const int64_t y0 = std::max(top, clip.Top), y1 = std::min(top + g.Rows, clip.Bottom);
  if (x0 >= x1 || y0 >= y1) return;
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t* cover = g.Coverage.data() + (y - top) * g.Width + (x0 - left);
    uint32_t* row = t.Pixels + y * t.Stride;
    for (int64_t x = x0; x < x1; ++x, ++cover)
      if (*cover) row[x] = t.Aliased ? (*cover >= 128 ? Blend(row[x], rgb, 255) : row[x]) : Blend(row[x], rgb, *cover);
  }
}

// [SECTION] drawing

// Where a text line sits on screen: the baseline origin and the reading direction.
struct Frame {
  double BaseX = 0, BaseY = 0;
  Direction Dir;
  // Screen point at u pixels along the baseline and v pixels below it.
  double X(double u, double v) const { return BaseX + u * Dir.Cos + v * Dir.Sin; }
  double Y(double u, double v) const { return BaseY - u * Dir.Sin + v * Dir.Cos; }
};

bool Near(const ClipRect& clip, double x, double y, int margin) {
  return x + margin >= clip.Left && x - margin < clip.Right && y + margin >= clip.Top && y - margin < clip.Bottom;
}

// Fills the pixels whose centres lie on the bar from pen 0 to `length`.
void FillBar(const PixelTarget& t, const ClipRect& clip, const Frame& f, int64_t length, Decoration bar, uint32_t rgb) {
  const double u[2] = {0.0, static_cast<double>(length)};
  const double v[2] = {static_cast<double>(bar.Top), static_cast<double>(bar.Top) + bar.Thickness};
  double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
  for (double cu : u)
    for (double cv : v) {
      minX = std::min(minX, f.X(cu, cv)), maxX = std::max(maxX, f.X(cu, cv));
      minY = std::min(minY, f.Y(cu, cv)), maxY = std::max(maxY, f.Y(cu, cv));
    }
  // Clamped while still floating point: a far-away bar must not overflow the conversion.
  auto within = [](double value, int64_t lo, int64_t hi) {
    return static_cast<int64_t>(std::clamp(value, static_cast<double>(lo), static_cast<double>(hi)));
  };
  const int64_t x0 = within(std::floor(minX), clip.Left, clip.Right);
  const int64_t x1 = within(std::ceil(maxX), clip.Left, clip.Right);
  const int64_t y0 = within(std::floor(minY), clip.Top, clip.Bottom);
  const int64_t y1 = within(std::ceil(maxY), clip.Top, clip.Bottom);
  for (int64_t y = y0; y < y1; ++y)
    for (int64_t x = x0; x < x1; ++x) {
      const double rx = x + 0.5 - f.BaseX, ry = y + 0.5 - f.BaseY;
      const double along = rx * f.Dir.Cos - ry * f.Dir.Sin, below = rx * f.Dir.Sin + ry * f.Dir.Cos;
      if (along >= u[0] && along < u[1] && below >= v[0] && below < v[1])
        t.Pixels[y * t.Stride + x] = Blend(t.Pixels[y * t.Stride + x], rgb, 255);
    }
}

// The metrics of a cell request (positive height): the descent grows (or shrinks, where even em 1
// is taller) so that the cell is exactly `height` pixels.
FontMetrics CellOf(FontMetrics m, int height) {
  if (height <= 0 || m.Height == height) return m;
  const int change = std::max(height - m.Ascent, 0) - m.Descent;
  m.Descent += change;
  m.Height += change;
  m.InternalLeading += change;
  return m;
}

}  // namespace

FontMetrics GetFontMetrics(const FontKey& key) {
  if (SizedFace* s = TheEngine().Find(key)) return CellOf(s->Metrics, key.Height);
  return CellOf(FallbackMetrics(key.Height), key.Height);
}

int TextAdvance(const FontKey& key, const String& text) {
  if (text.empty()) return 0;
  SizedFace* s = TheEngine().Find(key);
  const int64_t total = s ? Walk(*s, text, [](uint32_t, int64_t) {}) : FallbackAdvance(key, text);
  return SaturateToInt(total);
}

void DrawText(const PixelTarget& target, const FontKey& key, const String& text, double X, double Y, int AngleTenths,
              uint32_t Color, bool Underline, bool StrikeOut) {
  const ClipRect clip = ClipOf(target);
  if (!target.Pixels || clip.Empty() || text.empty() || !std::isfinite(X) || !std::isfinite(Y)) return;
  Engine& engine = TheEngine();
  SizedFace* s = engine.Find(key);
  if (!s) return;
  const int angle = NormalAngle(AngleTenths);
  Frame f;
  f.Dir = DirectionOf(angle);
  f.BaseX = std::floor(X + 0.5) + s->Metrics.Ascent * f.Dir.Sin;
  f.BaseY = std::floor(Y + 0.5) + s->Metrics.Ascent * f.Dir.Cos;
  const uint32_t rgb = PixelRgb(Color);
  const int64_t length = Walk(*s, text, [&](uint32_t glyph, int64_t pen) {
    const double gx = f.X(static_cast<double>(pen), 0), gy = f.Y(static_cast<double>(pen), 0);
    if (!Near(clip, gx, gy, s->Margin)) return;
    const GlyphBitmap& g = engine.Glyph(*s, glyph, angle, target.Aliased);
    Blit(target, clip, g, RoundPixel(gx) + g.Left, RoundPixel(gy) - g.Top, rgb);
  });
  if (Underline) FillBar(target, clip, f, length, s->Underline, rgb);
  if (StrikeOut) FillBar(target, clip, f, length, s->StrikeOut, rgb);
}

}  // namespace qelta::platform_detail
