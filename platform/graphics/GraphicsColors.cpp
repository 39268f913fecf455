// Colours: the fixed system-colour table and the pixel conversions of the rasteriser.
//
// The system colours are the standard scheme of the classic desktop (grey $C0C0C0 faces, navy
// captions and highlight, teal desktop), so that components look the same on every machine.

#include "Graphics.h"
#include "GraphicsRaster.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {
namespace {

// Index nn of $FF0000nn -> $00BBGGRR. Index 25 is unused and reads black.
constexpr TColor kSystemColors[] = {
    0xC0C0C0,  //  0 scroll bar
    0x808000,  //  1 desktop background (teal)
    0x800000,  //  2 active caption (navy)
    0x808080,  //  3 inactive caption
    0xC0C0C0,  //  4 menu
    0xFFFFFF,  //  5 window
    0x000000,  //  6 window frame
    0x000000,  //  7 menu text
    0x000000,  //  8 window text
    0xFFFFFF,  //  9 caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x800000,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3D dark shadow
    0xC0C0C0,  // 22 3D light
    0x000000,  // 23 info text
    0xE1FFFF,  // 24 info background
    0x000000,  // 25 (unused)
    0xFF0000,  // 26 hot light
    0xD08410,  // 27 gradient of the active caption
    0xB5B5B5,  // 28 gradient of the inactive caption
    0x800000,  // 29 menu highlight
    0xC0C0C0,  // 30 menu bar
};

}  // namespace

namespace {

struct ColorName {
  TColor Color;
  const char16_t* Name;
};

// The classic names; where two names share a colour the first one is the colour's name.
constexpr ColorName kColorNames[] = {
    {clBlack, u"clBlack"},
    {clMaroon, u"clMaroon"},
    {clGreen, u"clGreen"},
    {clOlive, u"clOlive"},
    {clNavy, u"clNavy"},
    {clPurple, u"clPurple"},
    {clTeal, u"clTeal"},
    {clGray, u"clGray"},
    {clSilver, u"clSilver"},
    {clRed, u"clRed"},
    {clLime, u"clLime"},
    {clYellow, u"clYellow"},
    {clBlue, u"clBlue"},
    {clFuchsia, u"clFuchsia"},
    {clAqua, u"clAqua"},
    {clWhite, u"clWhite"},
    {clMoneyGreen, u"clMoneyGreen"},
    {clSkyBlue, u"clSkyBlue"},
    {clCream, u"clCream"},
    {clMedGray, u"clMedGray"},
    {clActiveBorder, u"clActiveBorder"},
    {clActiveCaption, u"clActiveCaption"},
    {clAppWorkSpace, u"clAppWorkSpace"},
    {clBackground, u"clBackground"},
    {clBtnFace, u"clBtnFace"},
    {clBtnHighlight, u"clBtnHighlight"},
    {clBtnShadow, u"clBtnShadow"},
    {clBtnText, u"clBtnText"},
    {clCaptionText, u"clCaptionText"},
    {clDefault, u"clDefault"},
    {clGradientActiveCaption, u"clGradientActiveCaption"},
    {clGradientInactiveCaption, u"clGradientInactiveCaption"},
    {clGrayText, u"clGrayText"},
    {clHighlight, u"clHighlight"},
    {clHighlightText, u"clHighlightText"},
    {clHotLight, u"clHotLight"},
    {clInactiveBorder, u"clInactiveBorder"},
    {clInactiveCaption, u"clInactiveCaption"},
    {clInactiveCaptionText, u"clInactiveCaptionText"},
    {clInfoBk, u"clInfoBk"},
    {clInfoText, u"clInfoText"},
    {clMenu, u"clMenu"},
    {clMenuBar, u"clMenuBar"},
    {clMenuHighlight, u"clMenuHighlight"},
    {clMenuText, u"clMenuText"},
    {clNone, u"clNone"},
    {clScrollBar, u"clScrollBar"},
    {cl3DDkShadow, u"cl3DDkShadow"},
    {cl3DLight, u"cl3DLight"},
    {clWindow, u"clWindow"},
    {clWindowFrame, u"clWindowFrame"},
    {clWindowText, u"clWindowText"},
    {clLtGray, u"clLtGray"},
    {clDkGray, u"clDkGray"},
};

}  // namespace

String ColorToString(TColor color) {
  for (const ColorName& n : kColorNames)
    if (n.Color == color) return n.Name;
  return u"$" + IntToHex(static_cast<uint32_t>(color), 8);
}

TColor StringToColor(const String& text) {
  for (const ColorName& n : kColorNames)
    if (SameText(text, n.Name)) return n.Color;
  return StrToInt(text);
}

TColor ColorToRGB(TColor color) {
  if (color >= 0) return color;
  const uint32_t index = static_cast<uint32_t>(color) & 0xFFu;
  if ((static_cast<uint32_t>(color) & 0xFFFFFF00u) != 0xFF000000u) return 0;
  return index < std::size(kSystemColors) ? kSystemColors[index] : 0;
}

namespace platform_detail {

uint32_t ColorToPixel(TColor color) {
  const uint32_t c = static_cast<uint32_t>(ColorToRGB(color));
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

TColor PixelToColor(uint32_t p) {
  return static_cast<TColor>(((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF));
}

uint32_t MixPixel(TPenMode mix, uint32_t p, uint32_t d) {
  uint32_t r = 0;
  switch (mix) {
    case pmBlack: r = 0; break;
    case pmWhite: r = ~0u; break;
    case pmNop: r = d; break;
    case pmNot: r = ~d; break;
    case pmCopy: r = p; break;
    case pmNotCopy: r = ~p; break;
    case pmMergePenNot: r = p | ~d; break;
    case pmMaskPenNot: r = p & ~d; break;
    case pmMergeNotPen: r = ~p | d; break;
    case pmMaskNotPen: r = ~p & d; break;
    case pmMerge: r = p | d; break;
    case pmNotMerge: r = ~(p | d); break;
    case pmMask: r = p & d; break;
    case pmNotMask: r = ~(p & d); break;
    case pmXor: r = p ^ d; break;
    case pmNotXor: r = ~(p ^ d); break;
  }
  return r & 0xFFFFFFu;
}

uint32_t Rop3(uint8_t rop, uint32_t p, uint32_t s, uint32_t d) {
  switch (rop) {  // the frequent ones directly
    case 0xCC: return s & 0xFFFFFFu;
    case 0x88: return s & d & 0xFFFFFFu;
    case 0xEE: return (s | d) & 0xFFFFFFu;
    case 0x66: return (s ^ d) & 0xFFFFFFu;
    case 0xF0: return p & 0xFFFFFFu;
    default: break;
  }
  // Bit i of the operation index is the result for pattern bit (i & 4), source bit (i & 2), dest bit (i & 1).
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((rop >> i) & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & 0xFFFFFFu;
}

bool HatchBit(TBrushStyle hatch, int64_t x, int64_t y) {
  const int64_t u = x & 7, v = y & 7;
  switch (hatch) {
    case bsHorizontal: return v == 0;
    case bsVertical: return u == 0;
    case bsFDiagonal: return u == v;            // "\" lines
    case bsBDiagonal: return u + v == 7;        // "/" lines
    case bsCross: return u == 0 || v == 0;
    case bsDiagCross: return u == v || u + v == 7;
    default: return true;
  }
}

}  // namespace platform_detail
}  // namespace qelta
