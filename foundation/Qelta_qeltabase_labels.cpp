// Chart label settings: TCrossHair, TDTLabel, TCustomTextLabel and the custtextlbl element.
//
// The element, one line each, CR LF, every line but the empty one preceded by I = Indent blanks
// (at least 1, at most 255):
//   I<?xml version="1.0"?>                                    only with CreateHeader
//   (empty line)
//   I<!-- TCustomTextLabel / Qeltakit -->
//   I<custtextlbl sig="Qeltakit" vers="1.0" id="DataID">
//   I  <posxy x= 1.0000000000000000E+0002 y= ... />       Str(x, 25): 17 significant digits
//   I  <caption>text</caption>                               unescaped, line feeds kept
//   I  <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />        six hex digits of the RGB value
//   I  <shadowofs dx=0 dy=0 />
//   I  <layer val=1 />
//   I  <transparent val=0 />
//   I  <visible val=1 />
//   I  <alignment horiz=taCenter vert=vaBottom />
//   I  <attachmode val=tlamNone />
//   I  <font name="Tahoma" size=8 color=$000000 style="fsBold fsItalic" />
//   I  <style val=tlsimple />
//   I</custtextlbl>
//
// Deliberate deviations from the label as it first shipped, each with a regression test:
//  - The reader reads back everything the writer writes: the font (name, size, colour, styles),
//    the attach mode and the look (style) were skipped, and came back as they were before.
//  - The caption is read up to its closing tag, so '>' and "</" inside a caption survive.
//  - A layer outside 1..16 in a file is ignored as the setter ignores it (it was stored as read).
//  - Colours are written as the RGB value they show: a system colour such as clBtnFace wrote the
//    low bytes of its marker ($00000F, nearly black) and read back as another colour.
//  - The label changes only when a whole element was read: a file that ends inside the element
//    answers false and leaves the label as it was (values read so far used to be kept).
//  - Assign copies a whole object (the owner's property setters rely on it); it used to raise.
//  - Positions are written with 17 significant digits so they read back exactly; four digits moved a
//    label attached to a date axis by hours. Readers take any number form, so old files still read.

#include <algorithm>
#include <vector>

#include "Qelta_qeltabase.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {
namespace {

// Field width of the posxy numbers: the exponent form with 17 significant digits.
constexpr int kPosWidth = 25;

constexpr int kCrossHairLayers = 2;

// [SECTION] text helpers

/// 0-based index of the entry equal to s (case-sensitive), -1 when none is.
template <std::size_t N>
int IndexOf(const std::array<String, N>& names, const String& s) {
  return StringIx(s, std::vector<String>(names.begin(), names.end())) - 1;
}

/// Six upper-case hex digits of the colour as it shows (system colours resolved).
String Hex6(TColor c) { return IntToHex(static_cast<uint32_t>(ColorToRGB(c)) & 0xFFFFFFu, 6); }

String FontStyleNames(const TFontStyles& style) {
  String names;
  for (int s = fsBold; s <= fsStrikeOut; ++s)
    if (style.Contains(static_cast<TFontStyle>(s))) names += (names.empty() ? u"" : u" ") + xmlFontStyle[s];
  return names;
}

TFontStyles ParseFontStyles(const String& text) {
  TFontStyles style;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = std::min(text.find(u' ', i), text.size());
    const int ix = IndexOf(xmlFontStyle, text.substr(i, end - i));
    if (ix >= 0) style.Include(static_cast<TFontStyle>(ix));
    i = end + 1;
  }
  return style;
}

// [SECTION] attribute readers

String Attrib(const String& attributes, const char16_t* name) { return ScanForXMLAttrib(attributes, name); }

int DecimalAttrib(const String& attributes, const char16_t* name) {
  int pos = 1;
  return ScanDecimal(Attrib(attributes, name), pos);
}

int32_t HexAttrib(const String& attributes, const char16_t* name) {
  int pos = 1;
  return ScanHex(Attrib(attributes, name), pos);
}

double FloatAttrib(const String& attributes, const char16_t* name) {
  int pos = 1;
  return ScanFPNum(Attrib(attributes, name), true, 3, pos);
}

/// Looks the attribute up in names; a name found sets field, one not found leaves it.
template <typename E, std::size_t N>
void EnumAttrib(const String& attributes, const char16_t* name, const std::array<String, N>& names, E& field) {
  const int ix = IndexOf(names, Attrib(attributes, name));
  if (ix >= 0) field = static_cast<E>(ix);
}

/// The header line (lower case) of a custtextlbl element with the wanted id (lower case).
bool IsWantedHeader(const String& line, const String& id) {
  if (Pos(u"<custtextlbl", line) == 0 || Pos(u"qeltakit", line) == 0) return false;
  if (id.empty()) return true;
  const int at = Pos(u"id=\"", line);
  if (at == 0) return false;
  const String rest = Copy(line, at + 4, Length(line));
  const int quote = Pos(u"\"", rest);
  return StripLTBlanks(quote == 0 ? rest : Copy(rest, 1, quote - 1)) == id;
}

// Tag names in lookup order; the last is the catch-all.
// clang-format off
enum TLabelTag : uint8_t {
  ltPosXY, ltColors, ltShadowOfs, ltLayer, ltTransparent, ltVisible, ltAlignment, ltAttachMode,
  ltFont, ltStyle, ltCaption, ltEnd, ltDummy
};
// clang-format on
const std::vector<String>& LabelTags() {
  static const std::vector<String> tags = {u"posxy",   u"colors",       u"shadowofs",  u"layer", u"transparent",
                                           u"visible", u"alignment",    u"attachmode", u"font",  u"style",
                                           u"caption", u"/custtextlbl", u"dummy"};
  return tags;
}

}  // namespace

// [SECTION] TCrossHair

void TCrossHair::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCrossHair*>(Source);
  if (!src) return TPersistent::Assign(Source);
  FPosX = src->FPosX, FPosY = src->FPosY, FColor = src->FColor, FMode = src->FMode;
  FLineType = src->FLineType, FLineWid = src->FLineWid, FLayer = src->FLayer;
  Changed();
}

void TCrossHair::SetPosX(double value) { FPosX = value, Changed(); }
void TCrossHair::SetPosY(double value) { FPosY = value, Changed(); }
void TCrossHair::SetColor(TColor value) { FColor = value, Changed(); }
void TCrossHair::SetLayer(int value) { FLayer = std::clamp(value, 1, kCrossHairLayers), Changed(); }
void TCrossHair::SetMode(TCrossHMode value) { FMode = value, Changed(); }
void TCrossHair::SetLineType(TPenStyle value) { FLineType = value, Changed(); }
void TCrossHair::SetLineWid(int value) { FLineWid = value, Changed(); }

void TCrossHair::Changed() {
  if (OnChange) OnChange(this);
}

// [SECTION] TDTLabel

void TDTLabel::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TDTLabel*>(Source);
  if (!src) return TPersistent::Assign(Source);
  FTimeFormat = src->FTimeFormat, FDateSeparator = src->FDateSeparator, FTimeSeparator = src->FTimeSeparator;
  FYearLength = src->FYearLength, FMonthName = src->FMonthName, FDateOrder = src->FDateOrder;
  FDateForTime = src->FDateForTime;
  Changed();
}

void TDTLabel::SetTimeFormat(TTimeFormat value) { FTimeFormat = value, Changed(); }
void TDTLabel::SetDateOrder(TDateOrder value) { FDateOrder = value, Changed(); }

void TDTLabel::SetDateSeparator(Char value) {
  if (value != FDateSeparator) FDateSeparator = value, Changed();
}
void TDTLabel::SetTimeSeparator(Char value) {
  if (value != FTimeSeparator) FTimeSeparator = value, Changed();
}
void TDTLabel::SetYearLength(TYearLength value) {
  if (value != FYearLength) FYearLength = value, Changed();
}
void TDTLabel::SetMonthName(bool value) {
  if (value != FMonthName) FMonthName = value, Changed();
}
void TDTLabel::SetDateForTime(TDateForTime value) {
  if (value != FDateForTime) FDateForTime = value, Changed();
}

void TDTLabel::Changed() {
  if (OnChange) OnChange(this);
}

// [SECTION] TCustomTextLabel: fields

/// Every setting of a label, the font's by value: what the reader fills before it commits.
struct TCustomTextLabel::TFields {
  double PosX, PosY;
  int Layer, XShadow, YShadow;
  TColor ColorShadow, ColorBkg, ColorBrd;
  TAlignment Alignment;
  TVerticalAlignment VertAlign;
  TTxtLblAttachMode AttachDat;
  bool TransPar, Visible;
  String Caption;
  TTxtLblMode Mode;
  String FontName;
  int FontSize;
  TColor FontColor;
  TFontStyles FontStyle;
};

TCustomTextLabel::TCustomTextLabel() : FFont(std::make_unique<TFont>()) { HookFont(); }

TCustomTextLabel::~TCustomTextLabel() = default;

TCustomTextLabel::TFields TCustomTextLabel::Fields() const {
  return {FPosX,     FPosY,         FLayer,        FXShadow,       FYShadow,      FColorShadow, FColorBkg,
          FColorBrd, FAlignment,    FVertAlign,    FAttachDat,     FTransPar,     FVisible,     FCaption,
          FMode,     FFont->Name(), FFont->Size(), FFont->Color(), FFont->Style()};
}

void TCustomTextLabel::SetFields(const TFields& v) {
  FPosX = v.PosX, FPosY = v.PosY, FLayer = v.Layer, FXShadow = v.XShadow, FYShadow = v.YShadow;
  FColorShadow = v.ColorShadow, FColorBkg = v.ColorBkg, FColorBrd = v.ColorBrd;
  FAlignment = v.Alignment, FVertAlign = v.VertAlign, FAttachDat = v.AttachDat;
  FTransPar = v.TransPar, FVisible = v.Visible, FCaption = v.Caption, FMode = v.Mode;
  FFont->OnChange = nullptr;  // one notification for the whole label
  FFont->SetName(v.FontName);
  if (v.FontSize != FFont->Size()) FFont->SetSize(v.FontSize);
  FFont->SetColor(v.FontColor);
  FFont->SetStyle(v.FontStyle);
  HookFont();
}

void TCustomTextLabel::HookFont() {
  FFont->OnChange = [this](TObject*) { Changed(); };
}

void TCustomTextLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomTextLabel::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomTextLabel*>(Source);
  if (!src) return TPersistent::Assign(Source);
  SetFields(src->Fields());
  FFont->OnChange = nullptr;
  FFont->Assign(src->FFont.get());  // height, pixel density and orientation as well
  HookFont();
  Changed();
}

// [SECTION] TCustomTextLabel: setters

void TCustomTextLabel::SetPosX(double value) { FPosX = value, Changed(); }
void TCustomTextLabel::SetPosY(double value) { FPosY = value, Changed(); }
void TCustomTextLabel::SetAttachToData(TTxtLblAttachMode value) { FAttachDat = value, Changed(); }
void TCustomTextLabel::SetColorBkg(TColor value) { FColorBkg = value, Changed(); }
void TCustomTextLabel::SetColorBorder(TColor value) { FColorBrd = value, Changed(); }
void TCustomTextLabel::SetColorShadow(TColor value) { FColorShadow = value, Changed(); }
void TCustomTextLabel::SetShadowDx(int value) { FXShadow = value, Changed(); }
void TCustomTextLabel::SetShadowDy(int value) { FYShadow = value, Changed(); }
void TCustomTextLabel::SetTransparent(bool value) { FTransPar = value, Changed(); }
void TCustomTextLabel::SetAlignment(TAlignment value) { FAlignment = value, Changed(); }
void TCustomTextLabel::SetVerticalAlignment(TVerticalAlignment value) { FVertAlign = value, Changed(); }
void TCustomTextLabel::SetMode(TTxtLblMode value) { FMode = value, Changed(); }
void TCustomTextLabel::SetVisible(bool value) { FVisible = value, Changed(); }

void TCustomTextLabel::SetLayer(int value) {
  if (value < 1 || value > MaxTextLabelLayer) return;
  FLayer = value, Changed();
}

void TCustomTextLabel::SetCaption(const String& value) {
  String caption = value;
  for (Char& c : caption)
    if (c < 32 && c != 10) c = u' ';
  FCaption = std::move(caption), Changed();
}

void TCustomTextLabel::SetFont(TFont* value) {
  FFont->OnChange = nullptr;
  if (value) FFont->Assign(value);
  HookFont();
  Changed();
}

// [SECTION] TCustomTextLabel: the custtextlbl element

void TCustomTextLabel::WriteToOpenXMLFile(TextFile& f, bool CreateHeader, const String& DataID, int Indent) const {
  const String in = MultiChar(u' ', Indent);
  if (CreateHeader) WriteLn(f, in + u"<?xml version=\"1.0\"?>");
  WriteLn(f);
  WriteLn(f, in + u"<!-- TCustomTextLabel / Qeltakit -->");
  WriteLn(f, in + u"<custtextlbl sig=\"Qeltakit\" vers=\"1.0\" id=\"" + DataID + u"\">");
  WriteLn(f, in + u"  <posxy x=" + Str(FPosX, kPosWidth) + u" y=" + Str(FPosY, kPosWidth) + u" />");
  WriteLn(f, in + u"  <caption>" + FCaption + u"</caption>");
  WriteLn(f, in + u"  <colors brd=$" + Hex6(FColorBrd) + u" bg=$" + Hex6(FColorBkg) + u" shdw=$" + Hex6(FColorShadow) +
                 u" />");
  WriteLn(f, in + u"  <shadowofs dx=" + IntToStr(FXShadow) + u" dy=" + IntToStr(FYShadow) + u" />");
  WriteLn(f, in + u"  <layer val=" + IntToStr(FLayer) + u" />");
  WriteLn(f, in + u"  <transparent val=" + (FTransPar ? u"1" : u"0") + u" />");
  WriteLn(f, in + u"  <visible val=" + (FVisible ? u"1" : u"0") + u" />");
  WriteLn(f, in + u"  <alignment horiz=" + xmlAlignment[FAlignment] + u" vert=" + xmlVerticalAlignment[FVertAlign] +
                 u" />");
  WriteLn(f, in + u"  <attachmode val=" + xmlTxtLblAttachMode[FAttachDat] + u" />");
  WriteLn(f, in + u"  <font name=\"" + FFont->Name() + u"\" size=" + IntToStr(FFont->Size()) + u" color=$" +
                 Hex6(FFont->Color()) + u" style=\"" + FontStyleNames(FFont->Style()) + u"\" />");
  WriteLn(f, in + u"  <style val=" + xmlTxtLblMode[FMode] + u" />");
  WriteLn(f, in + u"</custtextlbl>");
}

bool TCustomTextLabel::ReadFromOpenXMLFile(TextFile& f, const String& DataID) {
  const String id = LowerCase(DataID);
  String line;
  do {
    if (Eof(f)) return false;
    ReadLn(f, line);
  } while (!IsWantedHeader(LowerCase(line), id));

  TFields v = Fields();
  while (!Eof(f)) {
    String a, content;
    switch (ReadNextTagInTextFile(f, LabelTags(), a, content)) {
      case ltPosXY:
        v.PosX = FloatAttrib(a, u"x"), v.PosY = FloatAttrib(a, u"y");
        break;
      case ltColors:
        v.ColorBrd = HexAttrib(a, u"brd"), v.ColorBkg = HexAttrib(a, u"bg"), v.ColorShadow = HexAttrib(a, u"shdw");
        break;
      case ltShadowOfs:
        v.XShadow = DecimalAttrib(a, u"dx"), v.YShadow = DecimalAttrib(a, u"dy");
        break;
      case ltLayer: {
        const int layer = DecimalAttrib(a, u"val");
        if (layer >= 1 && layer <= MaxTextLabelLayer) v.Layer = layer;
        break;
      }
      case ltTransparent:
        v.TransPar = DecimalAttrib(a, u"val") == 1;
        break;
      case ltVisible:
        v.Visible = DecimalAttrib(a, u"val") == 1;
        break;
      case ltAlignment:
        EnumAttrib(a, u"horiz", xmlAlignment, v.Alignment);
        EnumAttrib(a, u"vert", xmlVerticalAlignment, v.VertAlign);
        break;
      case ltAttachMode:
        EnumAttrib(a, u"val", xmlTxtLblAttachMode, v.AttachDat);
        break;
      case ltFont:
        v.FontName = Attrib(a, u"name");
        if (!Attrib(a, u"size").empty()) v.FontSize = DecimalAttrib(a, u"size");
        if (!Attrib(a, u"color").empty()) v.FontColor = HexAttrib(a, u"color");
        v.FontStyle = ParseFontStyles(Attrib(a, u"style"));
        break;
      case ltStyle:
        EnumAttrib(a, u"val", xmlTxtLblMode, v.Mode);
        break;
      case ltCaption:
        v.Caption = content;
        break;
      case ltEnd:
        SetFields(v), Changed();
        return true;
      default:
        break;
    }
  }
  return false;
}

}  // namespace qelta
