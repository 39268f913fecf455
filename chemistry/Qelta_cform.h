#pragma once
// Qelta_cform: the molecular formula TFormulaRec and the formula control TMolForm, which parses a formula from
// text, writes it back, weighs and compares it, paints it with subscript counts and superscript mass numbers,
// and steps through the formulas that fit a measured mass.
//
// What: up to 20 entries (atomic number, mass number, count). Text such as "C2 H6 O", "13C O2", "D2O" or
// "Ca(O H)2" is read part by part (mass number, symbol, count); symbols are matched without case, so two
// capitals read as one symbol ("CO" is cobalt) and a blank separates carbon from oxygen. The mass search walks
// every combination of counts between two bounds like an odometer counting down and delivers one formula per
// call whose nominal mass equals, or whose exact mass lies within a tolerance of, the target.
// How: a table-driven scanner per part; the search keeps prefix sums of the mass so that one step costs one
// multiplication per changed position. Paint writes the formula on a text and a mask bitmap and copies the
// used strip by Alignment; a transparent control ANDs the mask and ORs the picture over its parent.
// Limits: 20 entries (a further part ends the parse), counts 0..255 (a larger count or count x multiplier ends
// the parse), mass numbers 0..65535 (a larger one ends the parse). The search has no abort: its time is the
// product of the count ranges.
// Failure channel: nothing raises. Accessors ignore positions outside 1..NumAtoms and read 0 there.

#include <cstdint>

#include "Controls.h"
#include "Graphics.h"
#include "Qelta_cstruct.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

inline constexpr int MaxFormulaEntries = 20;  ///< entries of a TFormulaRec and a TMolForm

/// A molecular formula: entries 1..FLeng of (atomic number, mass number, count).
struct TFormulaRec {
  int32_t FLeng = 0;
  Array1<uint8_t, MaxFormulaEntries> AtNum;
  Array1<uint16_t, MaxFormulaEntries> AtWgt;  ///< mass numbers, as wide as CTElem::AtWeight
  Array1<uint8_t, MaxFormulaEntries> AtCnt;
  bool operator==(const TFormulaRec&) const = default;
};

/// When the painted formula shows mass numbers.
enum TIsotVisib : uint8_t { ivNone, ivSpecial, ivAlways };

/// A molecular formula as a control (see the top of this header).
class TMolForm : public TGraphicControl {
 public:
  /// 120 x 28, centred, black on button face, H2 O, ivSpecial, deuterium shown as D, search tolerance 0.05.
  explicit TMolForm(TComponent* AOwner);
  ~TMolForm() override;

  // -- parsing and text
  /// Parses Text with groups in parentheses ("Ca(O H)2"); entries cleared first; shows.
  void ScanMolFormula(const String& Text);
  /// Parses Text without groups; entries cleared first; FormulaText unchanged; shows.
  void ReadFromString(const String& Instring);
  /// One part (mass number, symbol, count) from index on; index is left on the character that ended it. False
  /// for an empty or unknown symbol, a count above 255 or a mass number above 65535.
  static bool ScanNextFormPart(const String& Instring, int& index, int& AtNr, int& AtWt, int& AtNum);
  /// Each entry as symbol and count (above 1), fmt 1 with the mass number in front, each followed by a blank
  /// ("H2 O ", "1H2 16O "); mass 2 of hydrogen is written "D"; "" for no entries.
  String AsString(int fmt) const;

  // -- weights and comparison
  /// Sum of the average atomic weights x counts.
  double ChemMolWgt() const;
  /// Sum of the exact weights of the elements' main isotopes x counts (mass numbers ignored).
  double ExactMolWgt() const;
  /// Sum of the mass numbers x counts.
  int NominalMolWgt() const;
  /// 0 equal, 1 this contains Other, 2 Other contains this, -1 neither, -2 when either has no entries.
  int CompareTo(const TMolForm& Other) const;
  /// No entries, FormulaText empty; shows.
  void Clear();
  /// From another TMolForm: every setting, the formula and the search state; shows. Else TPersistent's.
  void Assign(TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) override;
  /// The entries as a record.
  TFormulaRec FormulaRec() const;

  // -- formula-for-a-mass search
  /// Stores target mass, tolerance and bounds; counts start at the upper bounds. Always true.
  bool InitFindFormula(double mass, double tol, const TFormulaRec& LowF, const TFormulaRec& HighF);
  /// The next combination whose nominal mass is the target rounded; it becomes the formula. False when the
  /// walk ran out (the next call starts again at the upper bounds). Shows.
  bool FindFormulaNominalMass(bool CheckPlausibility);
  /// As above for |exact mass - target| < tolerance.
  bool FindFormulaExactMass(bool CheckPlausibility);

  // -- entries (positions 1..NumAtoms)
  int GetAtNum(int i) const;
  /// Written for Z 1..103 only.
  void SetAtNum(int i, int Z);
  int GetAtWgt(int i) const;
  void SetAtWgt(int i, int w);
  int GetAtCnt(int i) const;
  void SetAtCnt(int i, int c);
  int NumAtoms() const { return FBFLeng; }
  /// Accepts 1..20 only.
  void SetNumAtoms(int n);

  // -- properties
  /// The formula as AsString(1).
  String MolFormula() const { return AsString(1); }
  /// Stores Text as FormulaText and parses it (ScanMolFormula).
  void SetMolFormula(const String& Text);
  /// The text last given to SetMolFormula (painted when ShowAsText).
  const String& FormulaText() const { return FFormulStr; }
  TIsotVisib IsotopeVis() const { return FIsotVis; }
  void SetIsotopeVis(TIsotVisib value);
  bool UseDeuterium() const { return FUseDeuterium; }
  void SetUseDeuterium(bool value);
  bool ShowAsText() const { return FShowAsText; }
  void SetShowAsText(bool value);
  bool Transparent() const { return FTransparent; }
  /// True invalidates (the parent paints underneath first), false paints.
  void SetTransparent(bool value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TColor ColorBkg() const { return FColorBkg; }
  /// Stores a changed colour and paints.
  void SetColorBkg(TColor value);
  TColor ColorTxt() const { return FColorTxt; }
  void SetColorTxt(TColor value);

  /// Invalidates when Transparent, else paints at once.
  void ShowIt();

 protected:
  void Paint() override;
  /// Writes the formula (or FormulaText when ShowAsText) from x = 1 on the text and the mask canvas, at the
  /// font size `size` with counts and mass numbers at the small size; answers the x after the last text.
  int WriteFormula(TCanvas* text, TCanvas* mask, int H, int size) const;
  /// Copies the strip (1, 1)-(x, H) of source onto dest by Alignment, cut to the width W.
  void CopyStrip(TCanvas* dest, TCanvas* source, int x, int W, int H) const;

 private:
  void ClearEntries();
  /// Appends an entry; false when 20 are held.
  bool AppendEntry(int Z, int mass, int count);
  bool FindFormula(bool exact, bool CheckPlausibility);
  void TakeCounts();
  bool Plausible() const;
  /// Moves the counts one step on; false when position 1 wrapped.
  bool AdvanceCounts(int& changedFrom);
  int FormulaHeight();

  TAlignment FAlignment = taCenter;
  TColor FColorBkg = clBtnFace;
  TColor FColorTxt = clBlack;
  int32_t FBFLeng = 0;
  Array1<int32_t, MaxFormulaEntries> FPermutCnt;
  double FMassBForm = 0;
  double FTolBForm = 0.05;
  bool FUseDeuterium = true;
  bool FShowAsText = false;
  bool FTransparent = false;
  String FFormulStr;
  Array1<uint8_t, MaxFormulaEntries> FAtNum;
  Array1<uint16_t, MaxFormulaEntries> FAtWgt;
  Array1<uint8_t, MaxFormulaEntries> FAtCnt;
  TIsotVisib FIsotVis = ivSpecial;
  TFormulaRec FLowBForm;
  TFormulaRec FHighBForm;
  String FHeightKey;       // font the height was measured for
  int FFormulaHeight = 0;
};

}  // namespace qelta

QELTA_PUBLIC_END
