#include "Qelta_qeltacolors.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include "Math.h"
#include "Random.h"

// Colour arithmetic. All intermediate values are Extended, as the system always computed them,
// and Round is half to even. Where the real-number result is an exact tie or an exact integer,
// the 80-bit evaluation decides, and a 64-bit one may decide otherwise; the tests pin our values:
//  - InterpolateColor truncates b1 + (b2 - b1) Frac with Frac a Double: Frac = 0.7 from 0 to 10
//    gives 6, because 10 x 0.69999999999999995559 stays below 7 in 80 bits (a Double product
//    would round to 7.0). The default rainbow palette inherits such cases through its fractions.
//  - RGBtoGray(0, 5, 5) is 3: 0.59 x 5 + 0.11 x 5 = 3.5 exactly, but 3.4999... in 80 bits.
//  - WavelengthToColor(380, 1) is (76, 0, 76): 255 x 0.3 evaluates to exactly 76.5 in 80 bits,
//    which rounds to even; WavelengthToColor(400, 1) has red 110 for 255 x (2/3) x 0.65 = 110.5.
// HSItoRGB and RGBtoHSI follow the HSV hexcone of A. R. Smith, "Color gamut transform pairs",
// SIGGRAPH 1978; HSItoRGB(RGBtoHSI(c)) returns every 24-bit colour unchanged.
// WavelengthToColor follows the piecewise-linear spectrum approximation by Dan Bruton (1996).

namespace qelta {
namespace {

// [SECTION] byte helpers

int RedOf(TColor c) { return static_cast<int>(static_cast<uint32_t>(c) & 0xFFu); }
int GreenOf(TColor c) { return static_cast<int>((static_cast<uint32_t>(c) >> 8) & 0xFFu); }
int BlueOf(TColor c) { return static_cast<int>((static_cast<uint32_t>(c) >> 16) & 0xFFu); }

/// Colour of three components taken modulo 256.
TColor Compose(int64_t r, int64_t g, int64_t b) {
  const uint32_t v = (static_cast<uint32_t>(r) & 0xFFu) | ((static_cast<uint32_t>(g) & 0xFFu) << 8) |
                     ((static_cast<uint32_t>(b) & 0xFFu) << 16);
  return static_cast<TColor>(v);
}

int ClampByte(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, 0, 255)); }

/// Trunc(b1 + (b2 - b1) frac) in 80 bits; frac in 0..1 keeps the result within b1..b2.
int64_t MixByte(int b1, int b2, double frac) {
  return Trunc(static_cast<Extended>(b2 - b1) * static_cast<Extended>(frac) + b1);
}

double Clamp01(double v) {
  if (std::isnan(v)) return 0.0;
  return std::clamp(v, 0.0, 1.0);
}

int64_t GrayLevel(int r, int g, int b) { return Round(0.3L * r + 0.59L * g + 0.11L * b); }

// [SECTION] wavelength helpers

struct TRgbShare {
  Extended R = 0, G = 0, B = 0;
};

TRgbShare SpectrumShare(int L) {
  if (L >= 380 && L < 440) return {(440 - L) / 60.0L, 0, 1};
  if (L >= 440 && L < 490) return {0, (L - 440) / 50.0L, 1};
  if (L >= 490 && L < 510) return {0, 1, (510 - L) / 20.0L};
  if (L >= 510 && L < 580) return {(L - 510) / 70.0L, 1, 0};
  if (L >= 580 && L < 645) return {1, (645 - L) / 65.0L, 0};
  if (L >= 645 && L < 780) return {1, 0, 0};
  return {};
}

/// Falls off towards both ends of the visible range.
Extended SpectrumIntensity(int L) {
  Extended f = 1;
  if (L > 700)
    f = 0.3L + 0.7L * (780 - L) / 80;
  else if (L < 420)
    f = 0.3L + 0.7L * (L - 380) / 40;
  return f < 0 ? 0 : f;
}

int GammaComponent(Extended c, Extended factor, double gamma) {
  if (c == 0 || factor == 0) return 0;
  return ClampByte(Round(255 * Power(c * factor, gamma)));
}

}  // namespace

// [SECTION] mixing

TColor InterpolateColor(TColor Color1, TColor Color2, double Frac) {
  const double f = Clamp01(Frac);
  return Compose(MixByte(RedOf(Color1), RedOf(Color2), f), MixByte(GreenOf(Color1), GreenOf(Color2), f),
                 MixByte(BlueOf(Color1), BlueOf(Color2), f));
}

TColor Interpolate3Colors(TColor Color1, TColor Color2, TColor Color3, double Frac) {
  const double f = Clamp01(Frac);
  if (f > 0.5) return InterpolateColor(Color2, Color3, (f - 0.5) * 2);
  return InterpolateColor(Color1, Color2, f * 2);
}

TColor MeanColor(TColor Color1, TColor Color2) { return InterpolateColor(Color1, Color2, 0.5); }

TColor ReverseRGBColor(TColor Color) { return Compose(BlueOf(Color), GreenOf(Color), RedOf(Color)); }

TColor InvertColor(TColor Color) { return Compose(255 - RedOf(Color), 255 - GreenOf(Color), 255 - BlueOf(Color)); }

// [SECTION] grey levels and distance

int RGBtoGray(int Red, int Green, int Blue) {
  return static_cast<int>(std::clamp<int64_t>(GrayLevel(Red, Green, Blue), INT32_MIN, INT32_MAX));
}

TColor RGBtoGrayColor(int Red, int Green, int Blue) {
  const int level = ClampByte(GrayLevel(Red, Green, Blue));
  return Compose(level, level, level);
}

TColor ColorToGrayColor(TColor Color) { return RGBtoGrayColor(RedOf(Color), GreenOf(Color), BlueOf(Color)); }

double RGBColorDistance(TColor Color1, TColor Color2) {
  const int dr = RedOf(Color1) - RedOf(Color2);
  const int dg = GreenOf(Color1) - GreenOf(Color2);
  const int db = BlueOf(Color1) - BlueOf(Color2);
  return std::sqrt((dr * dr + dg * dg + db * db) / 195075.0);
}

// [SECTION] colour models

void HSItoRGB(double Hue, double Sat, double Intens, int& Red, int& Green, int& Blue) {
  const Extended h = (std::isnan(Hue) || Hue < 0 || Hue >= 360) ? 0 : Hue;
  const Extended s = Clamp01(Sat);
  const Extended i = Clamp01(Intens);
  const Extended v = i * 255;
  Extended r = v, g = v, b = v;
  if (s != 0) {
    const Extended h6 = h / 60;
    const int sector = static_cast<int>(Trunc(h6));
    const Extended f = h6 - sector;
    const Extended p = i * (1 - s) * 255;
    const Extended q = i * (1 - f * s) * 255;
    const Extended t = i * (1 - (1 - f) * s) * 255;
    // clang-format off
    switch (sector) {
      case 0: r = v, g = t, b = p; break;
      case 1: r = q, g = v, b = p; break;
      case 2: r = p, g = v, b = t; break;
      case 3: r = p, g = q, b = v; break;
      case 4: r = t, g = p, b = v; break;
      default: r = v, g = p, b = q; break;
    }
    // clang-format on
  }
  Red = static_cast<int>(Round(r));
  Green = static_cast<int>(Round(g));
  Blue = static_cast<int>(Round(b));
}

void RGBtoHSI(int Red, int Green, int Blue, double& Hue, double& Sat, double& Intens) {
  int maxc = Red;  // a later component wins only when strictly larger
  if (Green > maxc) maxc = Green;
  if (Blue > maxc) maxc = Blue;
  const int minc = std::min({Red, Green, Blue});
  Intens = static_cast<double>(maxc / 255.0L);
  if (maxc == 0) {
    Sat = 0;
    Hue = 0;
    return;
  }
  const Extended delta = static_cast<Extended>(maxc) - minc;
  Sat = static_cast<double>(delta / maxc);
  if (Sat == 0) {
    Hue = -1;
    return;
  }
  Extended h = 0;
  if (Red == maxc)
    h = (static_cast<Extended>(Green) - Blue) / delta;
  else if (Green == maxc)
    h = (static_cast<Extended>(Blue) - Red) / delta + 2;
  else
    h = (static_cast<Extended>(Red) - Green) / delta + 4;
  h *= 60;
  if (h < 0) h += 360;
  Hue = static_cast<double>(h);
}

void RGBtoCMY(uint8_t Red, uint8_t Green, uint8_t Blue, double& Cyan, double& Magenta, double& Yellow) {
  Cyan = static_cast<double>(1 - Red / 255.0L);
  Magenta = static_cast<double>(1 - Green / 255.0L);
  Yellow = static_cast<double>(1 - Blue / 255.0L);
}

void CMYtoRGB(double Cyan, double Magenta, double Yellow, uint8_t& Red, uint8_t& Green, uint8_t& Blue) {
  const auto level = [](double c) {
    return static_cast<uint8_t>(Round((1 - static_cast<Extended>(Clamp01(c))) * 255));
  };
  Red = level(Cyan);
  Green = level(Magenta);
  Blue = level(Yellow);
}

void CMYKtoCMY(double& Cyan, double& Magenta, double& Yellow, double Black) {
  Cyan = Clamp01(Cyan + Black);
  Magenta = Clamp01(Magenta + Black);
  Yellow = Clamp01(Yellow + Black);
}

void CMYtoCMYK(double& Cyan, double& Magenta, double& Yellow, double& Black) {
  Cyan = Clamp01(Cyan);
  Magenta = Clamp01(Magenta);
  Yellow = Clamp01(Yellow);
  Black = std::min({Cyan, Magenta, Yellow});
  Cyan -= Black;
  Magenta -= Black;
  Yellow -= Black;
}

// [SECTION] random colours and light

TColor RandomColor() {
  const int b = Random(256);
  const int g = Random(256);
  const int r = Random(256);
  return Compose(r, g, b);
}

TColor RandomColor(uint8_t RedLow, uint8_t RedHigh, uint8_t GreenLow, uint8_t GreenHigh, uint8_t BlueLow,
                   uint8_t BlueHigh) {
  const int b = BlueLow + Random(BlueHigh - BlueLow + 1);
  const int g = GreenLow + Random(GreenHigh - GreenLow + 1);
  const int r = RedLow + Random(RedHigh - RedLow + 1);
  return Compose(r, g, b);
}

TColor WavelengthToColor(int Wavelength, double Gamma) {
  const TRgbShare c = SpectrumShare(Wavelength);
  const Extended f = SpectrumIntensity(Wavelength);
  return Compose(GammaComponent(c.R, f, Gamma), GammaComponent(c.G, f, Gamma), GammaComponent(c.B, f, Gamma));
}

}  // namespace qelta
