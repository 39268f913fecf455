#pragma once
// Qelta_qeltabase, chart label settings: TCrossHair, TDTLabel and TCustomTextLabel.
//
// What: three small settings objects that a chart owns and exposes as properties: one cross-hair
// (position in data coordinates, colour, shape, pen, layer), the way date and time axis labels are
// written, and a text label (position, layer, caption, font, colours, shadow, alignment, attach
// mode, look, visibility) that can be written to and read from the XML element custtextlbl.
// How: each holds plain fields and reports changes through OnChange (sender = the object); the
// owner draws. Every setter follows its own rule (clamp, ignore, notify always or only on change),
// stated on the setter. Assign copies every setting but OnChange and notifies once, so an owner's
// property setter can copy a whole object.
// Limits: the element format is line-oriented and unescaped: a caption holding "</caption>" or a
// line end other than the line feed does not read back, positions are written with four
// significant digits, and a character outside Windows-1252 is written as '?'.
// Included by Qelta_qeltabase.h; the implementation is Qelta_qeltabase_labels.cpp.

#include <cstdint>
#include <memory>

#include "Classes.h"
#include "Graphics.h"
#include "Qelta_qeltabase.h"
#include "TextFiles.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Highest layer of a text label (layers run 1..MaxTextLabelLayer).
inline constexpr int MaxTextLabelLayer = 16;

// --- TCrossHair -------------------------------------------------------------------------------

/// One cross-hair of a chart: position in data coordinates of its layer, colour, shape and pen.
/// A new one stands at (0, 0) in black, mode chOff, solid pen of width 1, layer 1.
class TCrossHair : public TPersistent {
 public:
  /// From another TCrossHair: every setting but OnChange, then one notification; other sources
  /// as the platform.
  void Assign(TPersistent* Source) override;

  double PosX() const { return FPosX; }
  /// Stored unchecked; always notifies.
  void SetPosX(double value);
  double PosY() const { return FPosY; }
  /// Stored unchecked; always notifies.
  void SetPosY(double value);
  TColor Color() const { return FColor; }
  /// Stored unchecked; always notifies.
  void SetColor(TColor value);
  int Layer() const { return FLayer; }
  /// Clamped to the chart layers 1..2; always notifies.
  void SetLayer(int value);
  TCrossHMode Mode() const { return FMode; }
  /// Stored unchecked; always notifies.
  void SetMode(TCrossHMode value);
  TPenStyle LineType() const { return FLineType; }
  /// Stored unchecked; always notifies.
  void SetLineType(TPenStyle value);
  int LineWid() const { return FLineWid; }
  /// Stored unchecked; always notifies.
  void SetLineWid(int value);

  TNotifyEvent OnChange;

 private:
  void Changed();

  double FPosX = 0.0;
  double FPosY = 0.0;
  TColor FColor = clBlack;
  TCrossHMode FMode = chOff;
  TPenStyle FLineType = psSolid;
  int FLineWid = 1;
  int FLayer = 1;
};

// --- TDTLabel ---------------------------------------------------------------------------------

/// How date and time axis labels are written. A new one holds the chart's defaults: tfHHMMSS,
/// date separator '-', time separator ':', ylYYYY, month names, doDDMMYY, dtOnePerDay.
class TDTLabel : public TPersistent {
 public:
  /// From another TDTLabel: every setting but OnChange, then one notification; other sources as
  /// the platform.
  void Assign(TPersistent* Source) override;

  TTimeFormat TimeFormat() const { return FTimeFormat; }
  /// Stored; always notifies.
  void SetTimeFormat(TTimeFormat value);
  Char DateSeparator() const { return FDateSeparator; }
  /// Stored and notified only when it differs.
  void SetDateSeparator(Char value);
  Char TimeSeparator() const { return FTimeSeparator; }
  /// Stored and notified only when it differs.
  void SetTimeSeparator(Char value);
  TYearLength YearLength() const { return FYearLength; }
  /// Stored and notified only when it differs.
  void SetYearLength(TYearLength value);
  /// Months written as names instead of numbers.
  bool MonthName() const { return FMonthName; }
  /// Stored and notified only when it differs.
  void SetMonthName(bool value);
  TDateOrder DateOrder() const { return FDateOrder; }
  /// Stored; always notifies.
  void SetDateOrder(TDateOrder value);
  TDateForTime DateForTime() const { return FDateForTime; }
  /// Stored and notified only when it differs.
  void SetDateForTime(TDateForTime value);

  TNotifyEvent OnChange;

 private:
  void Changed();

  TTimeFormat FTimeFormat = tfHHMMSS;
  Char FDateSeparator = u'-';
  Char FTimeSeparator = u':';
  TYearLength FYearLength = ylYYYY;
  bool FMonthName = true;
  TDateOrder FDateOrder = doDDMMYY;
  TDateForTime FDateForTime = dtOnePerDay;
};

// --- TCustomTextLabel -------------------------------------------------------------------------

/// A text label of a chart: a caption (line feeds break it into lines) at a position in data
/// coordinates or pixels, with font, background, border and shadow. A new label stands at
/// (100, 10) in pixels on layer 1, centred above its point, silver on black with a grey shadow of
/// offset 0, mode tlsimple, visible, with the platform's default font.
/// Changes made to Font() directly notify as well.
class TCustomTextLabel : public TPersistent {
 public:
  TCustomTextLabel();
  ~TCustomTextLabel() override;

  /// From another TCustomTextLabel: every setting but OnChange (the font copied), then one
  /// notification; other sources as the platform.
  void Assign(TPersistent* Source) override;

  // -- the custtextlbl element
  /// Writes the element to a text file open for writing (the optional XML declaration, an empty
  /// line, a comment naming the class, then the element), each line but the empty one indented by
  /// Indent blanks (1..255). Raises the platform's EInOutError when the file refuses a line.
  void WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID, int Indent) const;
  /// Reads the next custtextlbl element (with the id DataID, ignoring case of A-Z; any element when
  /// DataID is empty) from a text file open for reading; true and one notification when the whole
  /// element was read, false and the label unchanged when no element or only part of one was found.
  /// Raises the platform's EInOutError when the file cannot be read.
  bool ReadFromOpenXMLFile(TextFile& f, const String& DataID);

  // -- properties
  double PosX() const { return FPosX; }
  /// Stored unchecked; always notifies.
  void SetPosX(double value);
  double PosY() const { return FPosY; }
  /// Stored unchecked; always notifies.
  void SetPosY(double value);
  int Layer() const { return FLayer; }
  /// A value outside 1..MaxTextLabelLayer is ignored (no notification); otherwise always notifies.
  void SetLayer(int value);
  TTxtLblAttachMode AttachToData() const { return FAttachDat; }
  /// Stored unchecked; always notifies.
  void SetAttachToData(TTxtLblAttachMode value);
  TColor ColorBkg() const { return FColorBkg; }
  /// Stored unchecked; always notifies.
  void SetColorBkg(TColor value);
  TColor ColorBorder() const { return FColorBrd; }
  /// Stored unchecked; always notifies.
  void SetColorBorder(TColor value);
  TColor ColorShadow() const { return FColorShadow; }
  /// Stored unchecked; always notifies.
  void SetColorShadow(TColor value);
  /// Shadow offsets in pixels.
  int ShadowDx() const { return FXShadow; }
  /// Stored unchecked; always notifies.
  void SetShadowDx(int value);
  int ShadowDy() const { return FYShadow; }
  /// Stored unchecked; always notifies.
  void SetShadowDy(int value);
  bool Transparent() const { return FTransPar; }
  /// Stored unchecked; always notifies.
  void SetTransparent(bool value);
  TAlignment Alignment() const { return FAlignment; }
  /// Stored unchecked; always notifies.
  void SetAlignment(TAlignment value);
  TVerticalAlignment VerticalAlignment() const { return FVertAlign; }
  /// Stored unchecked; always notifies.
  void SetVerticalAlignment(TVerticalAlignment value);
  /// The label's own font (owned by the label).
  TFont* Font() const { return FFont.get(); }
  /// Copies the given font's settings into the label's font (nullptr copies nothing); always
  /// notifies, once.
  void SetFont(TFont* value);
  TTxtLblMode Mode() const { return FMode; }
  /// Stored unchecked; always notifies.
  void SetMode(TTxtLblMode value);
  const String& Caption() const { return FCaption; }
  /// Every character below 32 but the line feed becomes a blank; always notifies.
  void SetCaption(const String& value);
  bool Visible() const { return FVisible; }
  /// Stored unchecked; always notifies.
  void SetVisible(bool value);

  TNotifyEvent OnChange;

 private:
  struct TFields;
  TFields Fields() const;
  void SetFields(const TFields& fields);
  void Changed();
  void HookFont();

  double FPosX = 100.0;
  double FPosY = 10.0;
  int FLayer = 1;
  int FXShadow = 0;
  int FYShadow = 0;
  TColor FColorShadow = 0x808080;
  TAlignment FAlignment = taCenter;
  TVerticalAlignment FVertAlign = vaBottom;
  TTxtLblAttachMode FAttachDat = tlamNone;
  TColor FColorBkg = 0xC0C0C0;
  TColor FColorBrd = 0x000000;
  bool FTransPar = false;
  std::unique_ptr<TFont> FFont;
  String FCaption;
  TTxtLblMode FMode = tlsimple;
  bool FVisible = true;
};

}  // namespace qelta

QELTA_PUBLIC_END
