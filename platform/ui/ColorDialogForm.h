#pragma once
// Not part of the public interface: the colour dialog's own form (TColorDialog::RunForm) and the
// colour arithmetic it stands on. Not installed; exported for the tests.
//
// The form shows a grid of 48 basic colours ("BasicColors"), the dialog's sixteen custom colours
// ("CustomColors", with "AddCustomButton" putting the colour shown into the next slot in turn), a
// preview of the colour ("Preview"), its red, green and blue (0..255: "RedEdit", "GreenEdit",
// "BlueEdit") and its hue (degrees 0..359), saturation and lightness (percent 0..100: "HueEdit",
// "SatEdit", "LumEdit"), and "OKButton", "CancelButton". A click or the arrows in a grid take its
// colour; a typed edit changes the colour as soon as its three numbers read (out-of-range numbers are
// clamped, unreadable text changes nothing), and the other three edits follow; leaving an edit writes
// the numbers back as the colour has them. A grid frames the cell whose colour is the one shown.
// HSL is the usual hexcone model (lightness = (max + min) / 2 of the RGB channels).

#include <vector>

#include "Dialogs.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::platform_detail {

/// A colour as hue (degrees 0..359), saturation and lightness (percent 0..100).
struct THsl {
  int H = 0;
  int S = 0;
  int L = 0;
  friend bool operator==(const THsl&, const THsl&) = default;
};

/// The hue, saturation and lightness of an RGB colour ($00BBGGRR), each rounded; grey has hue 0.
THsl RgbToHsl(TColor rgb);
/// The RGB colour of hue, saturation and lightness (out-of-range parts are clamped first; a hue wraps).
TColor HslToRgb(const THsl& hsl);
/// The 48 basic colours in grid order (rows of 8): five rows of eight hues from light to dark, then greys.
std::vector<TColor> BasicColors();

/// Shows the form for the dialog modally; the colour in Value (and its ColorToString in Text) when
/// confirmed, Cancel otherwise. A confirmed form writes the custom colours back to the dialog.
TCommonDialogAnswer RunColorDialogForm(TColorDialog& dialog);

}  // namespace qelta::platform_detail

QELTA_PUBLIC_END
