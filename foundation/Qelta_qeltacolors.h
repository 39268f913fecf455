#pragma once
// Qelta_qeltacolors: colour arithmetic, predefined colour tables and the palette TColorArray.
//
// What: interpolation between colours, grey levels, colour distance, conversions between RGB and
// the HSI hexcone (intensity = largest component), CMY and CMYK, random colours and the colour of
// a light wavelength; the system's fixed colour tables; TColorArray, a palette of interpolated
// colours that is kept in a small text file.
// How: colours are TColor values $00BBGGRR (red in bits 0-7). Every routine that mixes or converts
// a colour works on the three low bytes as they stand, so a system colour ($FF0000nn) or a marker
// (clNone, clDefault) is taken as the raw bytes of its value, and the result has a zero high byte.
// Arithmetic is Extended (80-bit), rounding is half to even; a few results at exact decimal ties
// therefore depend on the 80-bit evaluation (see the .cpp).
// Limits: no gamma handling beyond WavelengthToColor's exponent; HSI here is the HSV hexcone, not
// the cylindrical HSI of image processing. For colours of system-colour values as they appear on
// screen, resolve them with ColorToRGB (Graphics.h) first.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "Classes.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit (allocation failures of TColorArray).
QELTA_DECLARE_EXCEPTION(EQeltaColArrayError, EQeltaError)

// --- predefined tables ------------------------------------------------------------------------

/// The 47 named colours of the platform, read-only and 1-based (1..47): the 16 basic colours,
/// clMoneyGreen, clSkyBlue, clCream, clMedGray, then system colours with clDefault and clNone
/// among them.
class TPredefinedColors {
 public:
  static constexpr int Low = 1;
  static constexpr int High = 47;
  /// Colour at position i (1..47); 0 outside.
  constexpr TColor operator[](int i) const { return i >= Low && i <= High ? kTable[i - 1] : 0; }
  constexpr const TColor* begin() const { return kTable.data(); }
  constexpr const TColor* end() const { return kTable.data() + kTable.size(); }

 private:
  // clang-format off
  static constexpr std::array<TColor, High> kTable = {
      clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,              //  1.. 8
      clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite,              //  9..16
      clMoneyGreen, clSkyBlue, clCream, clMedGray,                                        // 17..20
      clActiveBorder, clActiveCaption, clAppWorkSpace, clBackground, clBtnFace,           // 21..25
      clBtnHighlight, clBtnShadow, clBtnText, clCaptionText, clDefault, clGrayText,       // 26..31
      clHighlight, clHighlightText, clInactiveBorder, clInactiveCaption,                  // 32..35
      clInactiveCaptionText, clInfoBk, clInfoText, clMenu, clMenuText, clNone,            // 36..41
      clScrollBar, cl3DDkShadow, cl3DLight, clWindow, clWindowFrame, clWindowText};       // 42..47
  // clang-format on
};
inline constexpr TPredefinedColors PredefinedColors{};

/// Dark violet through blue, cyan, green, yellow and red to dark red (0-based, as all lists below).
inline constexpr std::array<TColor, 11> ColorArray_Rainbow = {
    0x400020, 0x800060, 0xEF1200, 0xF56E00, 0xFFF400, 0x00FF18, 0x00F6FF, 0x00C1FF, 0x0013FF, 0x00008D, 0x000040};
/// Map colours: land greens to water blues.
inline constexpr std::array<TColor, 11> ColorArray_Geo1 = {0xDED2BD, 0x639F63, 0x89BA88, 0xA7CFAD, 0xC5E5D2, 0xCBF1F5,
                                                           0x96CEEA, 0x6CAED8, 0x3586BD, 0x426594, 0xF0FAFC};
/// Map colours in muted tones.
inline constexpr std::array<TColor, 11> ColorArray_Geo2 = {0xDFAE7F, 0xDEB68C, 0xE3BE9B, 0xE2C9AD, 0xDCCCBB, 0x90BBAC,
                                                           0x99C9C6, 0xA4D7DA, 0xA1C8DA, 0x9AB6C5, 0x96ACC8};
/// Red, yellow, green, cyan, blue, magenta and back to red.
inline constexpr std::array<TColor, 7> ColorArray_Circle = {0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00,
                                                            0xFF0000, 0xFF00FF, 0x0000FF};
/// Sixteen colours that are easy to tell apart.
inline constexpr std::array<TColor, 16> ColorArray_Contrast = {
    0x000000, 0xFF0000, 0x008000, 0x0000FF, 0x0080FF, 0x808080, 0x404080, 0xFF00FF,
    0x800000, 0x00FF00, 0xC5CD18, 0x808000, 0xFF0080, 0x41E1EE, 0x800080, 0x8000FF};

// --- mixing -----------------------------------------------------------------------------------

/// Colour between Color1 (Frac 0) and Color2 (Frac 1), Frac clamped to 0..1; each byte is
/// Trunc(b1 + (b2 - b1) Frac).
TColor InterpolateColor(TColor Color1, TColor Color2, double Frac);
/// Color1 -> Color2 over Frac 0..0.5 and Color2 -> Color3 over 0.5..1 (Frac clamped to 0..1).
TColor Interpolate3Colors(TColor Color1, TColor Color2, TColor Color3, double Frac);
/// InterpolateColor at 0.5.
TColor MeanColor(TColor Color1, TColor Color2);
/// The colour with its red and blue bytes exchanged.
TColor ReverseRGBColor(TColor Color);
/// Each byte b replaced by 255 - b.
TColor InvertColor(TColor Color);

// --- grey levels and distance -----------------------------------------------------------------

/// Grey level Round(0.3 red + 0.59 green + 0.11 blue); 0..255 for byte inputs.
int RGBtoGray(int Red, int Green, int Blue);
/// The grey colour of RGBtoGray, its level limited to 0..255.
TColor RGBtoGrayColor(int Red, int Green, int Blue);
/// The grey colour of the colour's three bytes.
TColor ColorToGrayColor(TColor Color);
/// Euclidean distance of the two colours' bytes, scaled so that black to white is 1 (0..1).
double RGBColorDistance(TColor Color1, TColor Color2);

// --- colour models ----------------------------------------------------------------------------

/// Hexcone model to RGB: Hue in degrees (outside [0, 360) and NaN become 0), Sat and Intens 0..1
/// (clamped, NaN becomes 0); Red, Green, Blue 0..255.
void HSItoRGB(double Hue, double Sat, double Intens, int& Red, int& Green, int& Blue);
/// RGB (0..255) to the hexcone model: Intens = max/255, Sat = (max - min)/max, Hue in [0, 360);
/// black gives hue 0 and saturation 0, a grey hue -1 and saturation 0.
void RGBtoHSI(int Red, int Green, int Blue, double& Hue, double& Sat, double& Intens);
/// Cyan = 1 - red/255 and so on (0..1).
void RGBtoCMY(uint8_t Red, uint8_t Green, uint8_t Blue, double& Cyan, double& Magenta, double& Yellow);
/// Red = Round((1 - cyan) 255) and so on, each of C, M, Y clamped to 0..1 first.
void CMYtoRGB(double Cyan, double Magenta, double Yellow, uint8_t& Red, uint8_t& Green, uint8_t& Blue);
/// Adds Black to each of C, M, Y, each result clamped to 0..1.
void CMYKtoCMY(double& Cyan, double& Magenta, double& Yellow, double Black);
/// Clamps C, M, Y to 0..1, takes Black as their least value and subtracts it from each.
void CMYtoCMYK(double& Cyan, double& Magenta, double& Yellow, double& Black);

// --- random colours and light -----------------------------------------------------------------

/// A colour from the platform's Random: blue drawn first, then green, then red (each 0..255).
TColor RandomColor();
/// Each byte low + Random(high - low + 1), blue first, then green, then red; a high below its low
/// gives the low value.
TColor RandomColor(uint8_t RedLow, uint8_t RedHigh, uint8_t GreenLow, uint8_t GreenHigh, uint8_t BlueLow,
                   uint8_t BlueHigh);
/// Colour of light of the wavelength (nm, visible 380..779, black elsewhere) with the display
/// gamma as exponent; each component limited to 0..255.
TColor WavelengthToColor(int Wavelength, double Gamma);

// --- palette ----------------------------------------------------------------------------------

/// A palette of Size colours (at least 1), addressed 1..Size, filled by interpolation over a short
/// colour list and kept in a text file (see the .cpp for the format). Reports every change through
/// OnChange. A new palette has 1000 colours spread over ColorArray_Rainbow.
/// Failures: allocation raises EQeltaColArrayError; the file routines answer false and never raise.
class TColorArray : public TComponent {
 public:
  /// 1000 colours over ColorArray_Rainbow; raises EQeltaColArrayError when they cannot be allocated.
  explicit TColorArray(TComponent* AOwner);
  ~TColorArray() override;

  /// From another TColorArray: size and colours, no notification; other sources as the platform.
  void Assign(TPersistent* Source) override;
  /// True when both have the same size and the same colours (false for nullptr).
  bool IsEqual(const TColorArray* OtherColorArray) const;

  // -- filling and searching
  /// Fills all entries by interpolation over Colors (0-based); NrOfSteps > 0 makes that many flat
  /// bands. One colour fills everything with it; an empty list changes nothing. Notifies once.
  void FillByInterpolation(int NrOfSteps, std::span<const TColor> Colors);
  /// Index (1-based) of the entry nearest to cl by RGBColorDistance, the lowest index on ties;
  /// distance receives that distance. Answers 1 and 1.0 when no entry is nearer than 1.0.
  int ColorToIndex(TColor cl, double& distance) const;
  /// Copies entries SourceElemLo..SourceElemHi of the source (bounds clamped to its size and put in
  /// order) to DestElem onwards; positions outside 1..Size are skipped. The source may be this
  /// palette. Nothing happens without a source; otherwise notifies once.
  void CopyFrom(const TColorArray* ColArraySource, int SourceElemLo, int SourceElemHi, int DestElem);

  // -- size and entries
  int Size() const { return static_cast<int>(FColArray.size()); }
  /// A positive n different from Size resizes (see Resize); other values are ignored.
  void SetSize(int n);
  /// Resizes to n entries keeping the existing ones (new ones 0) and notifies: true; n == Size: true
  /// without change; n < 1: false. Raises EQeltaColArrayError when the memory is not there.
  bool Resize(int n);
  /// Entry at a 1-based index; below 1 the first, above Size the last.
  TColor GetColorElem(int index) const;
  /// Stores the colour and notifies; an index outside 1..Size is ignored.
  void SetColorElem(int index, TColor Color);

  // -- file
  /// Reads a colour-list file. AdjustSize resizes to the file's last index (false for a last index
  /// below 1 or above 2^24, and for growing beyond what the file can fill plus a small allowance:
  /// 4 bytes an entry within 3 MiB + 16 per byte read). True when the palette holds the last index;
  /// lines that carry no hexadecimal number leave their entry. Notifies once the file is open. Never
  /// raises.
  bool LoadFromFile(const String& FileName, bool AdjustSize);
  /// Writes entries FirstElem..LastElem (put in order, first at least 1, last at most Size) as a
  /// colour-list file, replacing the file. False when it cannot be created, written or closed (the old
  /// file then kept).
  bool StoreOnFile(int FirstElem, int LastElem, const String& FileName) const;

  TNotifyEvent OnChange;

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  void Changed();
  [[noreturn]] void RaiseNoMemory(const char* what) const;

  std::vector<TColor> FColArray;
};

}  // namespace qelta

QELTA_PUBLIC_END
