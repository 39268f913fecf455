#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_qeltabase.h"

using namespace qelta;
using qelta::test::TempDir;

namespace {

/// One row of a setter table: apply a setter to a fresh object, read the stored value back.
template <typename T>
struct SetterCase {
  const char* what;
  std::function<void(T&)> set;
  std::function<double(const T&)> get;
  double stored;
  bool notified;
};

template <typename T>
void RunSetterTable(const std::vector<SetterCase<T>>& cases) {
  for (const SetterCase<T>& c : cases) {
    T obj;
    int calls = 0;
    TObject* sender = nullptr;
    obj.OnChange = [&](TObject* s) { ++calls, sender = s; };
    c.set(obj);
    EXPECT_EQ(c.get(obj), c.stored) << c.what;
    EXPECT_EQ(calls, c.notified ? 1 : 0) << c.what;
    EXPECT_EQ(sender, c.notified ? &obj : nullptr) << c.what;
  }
}

// [SECTION] TCrossHair

TEST(TCrossHair, SettersTable) {
  using C = TCrossHair;
  RunSetterTable<C>({
      {"layer 0 becomes 1", [](C& o) { o.SetLayer(0); }, [](const C& o) { return o.Layer(); }, 1, true},
      {"layer 7 becomes 2", [](C& o) { o.SetLayer(7); }, [](const C& o) { return o.Layer(); }, 2, true},
      {"layer 2", [](C& o) { o.SetLayer(2); }, [](const C& o) { return o.Layer(); }, 2, true},
      {"same layer notifies", [](C& o) { o.SetLayer(1); }, [](const C& o) { return o.Layer(); }, 1, true},
      {"PosX unchecked", [](C& o) { o.SetPosX(-1e300); }, [](const C& o) { return o.PosX(); }, -1e300, true},
      {"PosY same value", [](C& o) { o.SetPosY(0); }, [](const C& o) { return o.PosY(); }, 0, true},
      {"Color system colour", [](C& o) { o.SetColor(clBtnFace); }, [](const C& o) { return o.Color(); }, clBtnFace,
       true},
      {"Mode", [](C& o) { o.SetMode(chBox); }, [](const C& o) { return o.Mode(); }, chBox, true},
      {"LineType", [](C& o) { o.SetLineType(psDot); }, [](const C& o) { return o.LineType(); }, psDot, true},
      {"LineWid unchecked", [](C& o) { o.SetLineWid(-3); }, [](const C& o) { return o.LineWid(); }, -3, true},
  });
}

TEST(TCrossHair, StartsAsTheChartSetsItUp) {
  TCrossHair c;
  EXPECT_EQ(c.PosX(), 0.0);
  EXPECT_EQ(c.PosY(), 0.0);
  EXPECT_EQ(c.Color(), clBlack);
  EXPECT_EQ(c.Mode(), chOff);
  EXPECT_EQ(c.LineType(), psSolid);
  EXPECT_EQ(c.LineWid(), 1);
  EXPECT_EQ(c.Layer(), 1);
}

TEST(TCrossHair, AssignCopiesEverySettingWithOneNotification) {
  TCrossHair a, b;
  a.SetPosX(1.5), a.SetPosY(-2), a.SetColor(clRed), a.SetLayer(2), a.SetMode(chBoth), a.SetLineType(psDash);
  a.SetLineWid(3);
  int calls = 0;
  b.OnChange = [&](TObject*) { ++calls; };
  b.Assign(&a);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(b.PosX(), 1.5);
  EXPECT_EQ(b.PosY(), -2.0);
  EXPECT_EQ(b.Color(), clRed);
  EXPECT_EQ(b.Layer(), 2);
  EXPECT_EQ(b.Mode(), chBoth);
  EXPECT_EQ(b.LineType(), psDash);
  EXPECT_EQ(b.LineWid(), 3);
  TDTLabel other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
}

// [SECTION] TDTLabel

TEST(TDTLabel, SettersTable) {
  using D = TDTLabel;
  RunSetterTable<D>({
      {"TimeFormat same value notifies", [](D& o) { o.SetTimeFormat(tfHHMMSS); },
       [](const D& o) { return o.TimeFormat(); }, tfHHMMSS, true},
      {"TimeFormat", [](D& o) { o.SetTimeFormat(tfAMPM); }, [](const D& o) { return o.TimeFormat(); }, tfAMPM, true},
      {"DateOrder same value notifies", [](D& o) { o.SetDateOrder(doDDMMYY); },
       [](const D& o) { return o.DateOrder(); }, doDDMMYY, true},
      {"DateOrder", [](D& o) { o.SetDateOrder(doYYMMDD); }, [](const D& o) { return o.DateOrder(); }, doYYMMDD, true},
      {"DateSeparator same", [](D& o) { o.SetDateSeparator(u'-'); }, [](const D& o) { return o.DateSeparator(); }, u'-',
       false},
      {"DateSeparator", [](D& o) { o.SetDateSeparator(u'/'); }, [](const D& o) { return o.DateSeparator(); }, u'/',
       true},
      {"TimeSeparator same", [](D& o) { o.SetTimeSeparator(u':'); }, [](const D& o) { return o.TimeSeparator(); }, u':',
       false},
      {"TimeSeparator", [](D& o) { o.SetTimeSeparator(u'.'); }, [](const D& o) { return o.TimeSeparator(); }, u'.',
       true},
      {"YearLength same", [](D& o) { o.SetYearLength(ylYYYY); }, [](const D& o) { return o.YearLength(); }, ylYYYY,
       false},
      {"YearLength", [](D& o) { o.SetYearLength(ylYY); }, [](const D& o) { return o.YearLength(); }, ylYY, true},
      {"MonthName same", [](D& o) { o.SetMonthName(true); }, [](const D& o) { return o.MonthName(); }, true, false},
      {"MonthName", [](D& o) { o.SetMonthName(false); }, [](const D& o) { return o.MonthName(); }, false, true},
      {"DateForTime same", [](D& o) { o.SetDateForTime(dtOnePerDay); }, [](const D& o) { return o.DateForTime(); },
       dtOnePerDay, false},
      {"DateForTime", [](D& o) { o.SetDateForTime(dtAllTicks); }, [](const D& o) { return o.DateForTime(); },
       dtAllTicks, true},
  });
}

TEST(TDTLabel, AssignCopiesEverySettingWithOneNotification) {
  TDTLabel a, b;
  a.SetTimeFormat(tfHHhMM), a.SetDateSeparator(u'.'), a.SetTimeSeparator(u'h'), a.SetYearLength(ylNone);
  a.SetMonthName(false), a.SetDateOrder(doMMDDYY), a.SetDateForTime(dtOnePerChart);
  int calls = 0;
  b.OnChange = [&](TObject*) { ++calls; };
  b.Assign(&a);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(b.TimeFormat(), tfHHhMM);
  EXPECT_EQ(b.DateSeparator(), u'.');
  EXPECT_EQ(b.TimeSeparator(), u'h');
  EXPECT_EQ(b.YearLength(), ylNone);
  EXPECT_FALSE(b.MonthName());
  EXPECT_EQ(b.DateOrder(), doMMDDYY);
  EXPECT_EQ(b.DateForTime(), dtOnePerChart);
}

// [SECTION] TCustomTextLabel: settings

TEST(TCustomTextLabel, SettersTable) {
  using L = TCustomTextLabel;
  RunSetterTable<L>({
      {"layer 17 ignored", [](L& o) { o.SetLayer(17); }, [](const L& o) { return o.Layer(); }, 1, false},
      {"layer 0 ignored", [](L& o) { o.SetLayer(0); }, [](const L& o) { return o.Layer(); }, 1, false},
      {"layer -5 ignored", [](L& o) { o.SetLayer(-5); }, [](const L& o) { return o.Layer(); }, 1, false},
      {"layer 16", [](L& o) { o.SetLayer(16); }, [](const L& o) { return o.Layer(); }, 16, true},
      {"same layer notifies", [](L& o) { o.SetLayer(1); }, [](const L& o) { return o.Layer(); }, 1, true},
      {"PosX same value", [](L& o) { o.SetPosX(100); }, [](const L& o) { return o.PosX(); }, 100, true},
      {"PosY", [](L& o) { o.SetPosY(-7.25); }, [](const L& o) { return o.PosY(); }, -7.25, true},
      {"AttachToData", [](L& o) { o.SetAttachToData(tlamYOnly); }, [](const L& o) { return o.AttachToData(); },
       tlamYOnly, true},
      {"ColorBkg", [](L& o) { o.SetColorBkg(clNone); }, [](const L& o) { return o.ColorBkg(); }, clNone, true},
      {"ColorBorder", [](L& o) { o.SetColorBorder(clRed); }, [](const L& o) { return o.ColorBorder(); }, clRed, true},
      {"ColorShadow same", [](L& o) { o.SetColorShadow(0x808080); }, [](const L& o) { return o.ColorShadow(); },
       0x808080, true},
      {"ShadowDx unchecked", [](L& o) { o.SetShadowDx(-40); }, [](const L& o) { return o.ShadowDx(); }, -40, true},
      {"ShadowDy", [](L& o) { o.SetShadowDy(3); }, [](const L& o) { return o.ShadowDy(); }, 3, true},
      {"Transparent", [](L& o) { o.SetTransparent(true); }, [](const L& o) { return o.Transparent(); }, true, true},
      {"Alignment", [](L& o) { o.SetAlignment(taLeftJustify); }, [](const L& o) { return o.Alignment(); },
       taLeftJustify, true},
      {"VerticalAlignment", [](L& o) { o.SetVerticalAlignment(vaTop); },
       [](const L& o) { return o.VerticalAlignment(); }, vaTop, true},
      {"Mode", [](L& o) { o.SetMode(tlOff); }, [](const L& o) { return o.Mode(); }, tlOff, true},
      {"Visible same", [](L& o) { o.SetVisible(true); }, [](const L& o) { return o.Visible(); }, true, true},
      {"Font size directly", [](L& o) { o.Font()->SetSize(20); }, [](const L& o) { return o.Font()->Size(); }, 20,
       true},
  });
}

TEST(TCustomTextLabel, CaptionTurnsControlCharactersButLineFeedIntoBlanks) {
  TCustomTextLabel l;
  int calls = 0;
  l.OnChange = [&](TObject*) { ++calls; };
  l.SetCaption(String(u"a\tb\r\nc\x01"));
  EXPECT_EQ(l.Caption(), u"a b \nc ");
  l.SetCaption(l.Caption());
  EXPECT_EQ(calls, 2);
}

TEST(TCustomTextLabel, SetFontCopiesTheSettingsAndNotifiesOnce) {
  TCustomTextLabel l;
  TFont f;
  f.SetName(u"Courier New"), f.SetSize(14), f.SetColor(clBlue), f.SetStyle({fsBold});
  int calls = 0;
  l.OnChange = [&](TObject*) { ++calls; };
  l.SetFont(&f);
  EXPECT_EQ(calls, 1);
  EXPECT_NE(l.Font(), &f);
  EXPECT_EQ(l.Font()->Name(), u"Courier New");
  EXPECT_EQ(l.Font()->Size(), 14);
  EXPECT_EQ(l.Font()->Color(), clBlue);
  EXPECT_TRUE(l.Font()->Style().Contains(fsBold));
  l.SetFont(&f);  // nothing differs: still one notification
  l.SetFont(nullptr);
  EXPECT_EQ(calls, 3);
}

TEST(TCustomTextLabel, StartsWithTheConstructorValues) {
  TCustomTextLabel l;
  TFont platformDefault;
  EXPECT_EQ(l.PosX(), 100.0);
  EXPECT_EQ(l.PosY(), 10.0);
  EXPECT_EQ(l.Layer(), 1);
  EXPECT_EQ(l.ShadowDx(), 0);
  EXPECT_EQ(l.ShadowDy(), 0);
  EXPECT_EQ(l.ColorShadow(), 0x808080);
  EXPECT_EQ(l.Alignment(), taCenter);
  EXPECT_EQ(l.VerticalAlignment(), vaBottom);
  EXPECT_EQ(l.AttachToData(), tlamNone);
  EXPECT_EQ(l.ColorBkg(), 0xC0C0C0);
  EXPECT_EQ(l.ColorBorder(), 0);
  EXPECT_FALSE(l.Transparent());
  EXPECT_EQ(l.Font()->Name(), platformDefault.Name());
  EXPECT_EQ(l.Font()->Height(), platformDefault.Height());
  EXPECT_TRUE(l.Caption().empty());
  EXPECT_EQ(l.Mode(), tlsimple);
  EXPECT_TRUE(l.Visible());
}

// [SECTION] TCustomTextLabel: the custtextlbl element

/// A label with every setting away from its default.
void MakeBusy(TCustomTextLabel& l) {
  l.SetPosX(-1.5e-3), l.SetPosY(12345), l.SetLayer(16), l.SetShadowDx(-3), l.SetShadowDy(4);
  l.SetColorShadow(0x010203), l.SetColorBkg(0xFFFFFE), l.SetColorBorder(0x0000FF);
  l.SetAlignment(taRightJustify), l.SetVerticalAlignment(vaTop), l.SetAttachToData(tlamBoth);
  l.SetTransparent(true), l.SetVisible(false), l.SetMode(tlShadow);
  l.SetCaption(U8("Füße > 3 </b> <x\nzweite Zeile"));
  l.Font()->SetName(u"Courier New"), l.Font()->SetSize(12), l.Font()->SetColor(0x00FF00);
  l.Font()->SetStyle({fsBold, fsUnderline, fsStrikeOut});
}

std::string WriteToText(const TempDir& dir, const TCustomTextLabel& l, bool header, const String& id, int indent) {
  TextFile f;
  AssignFile(f, dir / "w.xml");
  Rewrite(f);
  l.WriteToOpenXMLFile(f, header, id, indent);
  CloseFile(f);
  return dir.Get("w.xml");
}

bool ReadFromText(const TempDir& dir, const std::string& text, TCustomTextLabel& l, const String& id) {
  dir.Put("r.xml", text);
  TextFile f;
  AssignFile(f, dir / "r.xml");
  Reset(f);
  const bool ok = l.ReadFromOpenXMLFile(f, id);
  CloseFile(f);
  return ok;
}

const char* const kDefaultElement =
    "  <?xml version=\"1.0\"?>\r\n"
    "\r\n"
    "  <!-- TCustomTextLabel / Qeltakit -->\r\n"
    "  <custtextlbl sig=\"Qeltakit\" vers=\"1.0\" id=\"Lbl1\">\r\n"
    "    <posxy x= 1.0000000000000000E+0002 y= 1.0000000000000000E+0001 />\r\n"
    "    <caption></caption>\r\n"
    "    <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />\r\n"
    "    <shadowofs dx=0 dy=0 />\r\n"
    "    <layer val=1 />\r\n"
    "    <transparent val=0 />\r\n"
    "    <visible val=1 />\r\n"
    "    <alignment horiz=taCenter vert=vaBottom />\r\n"
    "    <attachmode val=tlamNone />\r\n"
    "    <font name=\"Tahoma\" size=8 color=$000000 style=\"\" />\r\n"
    "    <style val=tlsimple />\r\n"
    "  </custtextlbl>\r\n";

TEST(CustTextLblElement, DefaultLabelIsWrittenLineByLine) {
  TempDir dir;
  TCustomTextLabel l;
  EXPECT_EQ(WriteToText(dir, l, true, u"Lbl1", 2), kDefaultElement);
}

TEST(CustTextLblElement, IndentIsOneToTwoHundredFiftyFiveBlanksAndTheEmptyLineStaysEmpty) {
  TempDir dir;
  TCustomTextLabel l;
  const std::string zero = WriteToText(dir, l, false, u"", 0);
  EXPECT_EQ(zero.substr(0, 2), "\r\n");
  EXPECT_EQ(zero.substr(2, 40), " <!-- TCustomTextLabel / Qeltakit -->\r\n ");
  EXPECT_NE(zero.find("\r\n <custtextlbl sig=\"Qeltakit\" vers=\"1.0\" id=\"\">\r\n   <posxy"), std::string::npos);
  EXPECT_NE(zero.find("\r\n </custtextlbl>\r\n"), std::string::npos);
  const std::string wide = WriteToText(dir, l, false, u"", 300);
  EXPECT_EQ(wide.substr(2, 256), std::string(255, ' ') + "<");
}

// Positions used to be written with four significant digits, so a label attached to a date axis
// (days since 1899) moved by hours when read back.
TEST(CustTextLblElement, PositionsReadBackExactly) {
  TempDir dir;
  TCustomTextLabel a, b;
  a.SetPosX(45292.123456789012);
  a.SetPosY(-1.25e-7);
  ASSERT_TRUE(ReadFromText(dir, WriteToText(dir, a, true, u"p", 2), b, u"p"));
  EXPECT_EQ(b.PosX(), a.PosX());
  EXPECT_EQ(b.PosY(), a.PosY());
}

TEST(CustTextLblElement, EverySettingRoundTripsByteForByte) {
  TempDir dir;
  TCustomTextLabel a, b;
  MakeBusy(a);
  const std::string text = WriteToText(dir, a, true, u"busy", 4);
  int calls = 0;
  b.OnChange = [&](TObject*) { ++calls; };
  ASSERT_TRUE(ReadFromText(dir, text, b, u"busy"));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(WriteToText(dir, b, true, u"busy", 4), text);
  // Windows-1252 bytes in the file
  EXPECT_NE(text.find("<caption>F\xFC\xDF"
                      "e > 3 </b> <x\nzweite Zeile</caption>\r\n"),
            std::string::npos);
}

TEST(CustTextLblElement, ReaderTakesFontAttachModeAndStyle) {
  // Regression: font, attach mode and look were skipped by the reader and kept their old values.
  TempDir dir;
  TCustomTextLabel a, b;
  MakeBusy(a);
  ASSERT_TRUE(ReadFromText(dir, WriteToText(dir, a, false, u"", 1), b, u""));
  EXPECT_EQ(b.Font()->Name(), u"Courier New");
  EXPECT_EQ(b.Font()->Size(), 12);
  EXPECT_EQ(b.Font()->Color(), 0x00FF00);
  EXPECT_TRUE(b.Font()->Style() == (TFontStyles{fsBold, fsUnderline, fsStrikeOut}));
  EXPECT_EQ(b.AttachToData(), tlamBoth);
  EXPECT_EQ(b.Mode(), tlShadow);
  EXPECT_EQ(b.Caption(), a.Caption());  // '>' and "</" survive
  EXPECT_EQ(b.Layer(), 16);
  EXPECT_EQ(b.PosX(), -1.5e-3);
  EXPECT_EQ(b.PosY(), a.PosY());
  EXPECT_EQ(b.ColorShadow(), 0x010203);
  EXPECT_EQ(b.ColorBkg(), 0xFFFFFE);
  EXPECT_EQ(b.ColorBorder(), 0x0000FF);
  EXPECT_EQ(b.ShadowDx(), -3);
  EXPECT_EQ(b.ShadowDy(), 4);
  EXPECT_EQ(b.Alignment(), taRightJustify);
  EXPECT_EQ(b.VerticalAlignment(), vaTop);
  EXPECT_TRUE(b.Transparent());
  EXPECT_FALSE(b.Visible());
}

TEST(CustTextLblElement, SystemColoursAreWrittenAsTheColourTheyShow) {
  // Regression: clBtnFace was written as $00000F (its index) and read back nearly black.
  TempDir dir;
  TCustomTextLabel a, b;
  a.SetColorBkg(clBtnFace), a.SetColorBorder(clWindowText), a.Font()->SetColor(clHighlight);
  const std::string text = WriteToText(dir, a, false, u"", 1);
  EXPECT_NE(text.find("<colors brd=$000000 bg=$C0C0C0 "), std::string::npos);
  ASSERT_TRUE(ReadFromText(dir, text, b, u""));
  EXPECT_EQ(ColorToRGB(b.ColorBkg()), ColorToRGB(clBtnFace));
  EXPECT_EQ(ColorToRGB(b.Font()->Color()), ColorToRGB(clHighlight));
}

TEST(CustTextLblElement, IdsMatchIgnoringCaseAndAnEmptyIdMatchesAny) {
  TempDir dir;
  struct Case {
    const char* fileId;
    const char* wanted;
    bool found;
  };
  const Case cases[] = {{"MyLabel", "mYlABEL", true}, {" MyLabel ", "MyLabel", true},
                        {"MyLabel", "", true},        {"", "", true},
                        {"Other", "MyLabel", false},  {"", "x", false}};
  for (const Case& c : cases) {
    TCustomTextLabel a, b;
    a.SetCaption(u"hit");
    const std::string text = WriteToText(dir, a, true, Utf8ToString(c.fileId), 1);
    EXPECT_EQ(ReadFromText(dir, text, b, Utf8ToString(c.wanted)), c.found) << c.fileId << " / " << c.wanted;
    EXPECT_EQ(b.Caption(), c.found ? u"hit" : u"") << c.fileId;
  }
}

TEST(CustTextLblElement, SkipsElementsWithAnotherIdAndUnknownTags) {
  TempDir dir;
  TCustomTextLabel first, second, b;
  first.SetCaption(u"first");
  second.SetCaption(u"second");
  std::string text = WriteToText(dir, first, true, u"one", 1) + WriteToText(dir, second, false, u"two", 1);
  const std::size_t at = text.rfind("  <style");
  text.insert(at, "  <extra a=\"1\">ignored <b>x</b></extra>\r\n");
  ASSERT_TRUE(ReadFromText(dir, text, b, u"TWO"));
  EXPECT_EQ(b.Caption(), u"second");
}

TEST(CustTextLblElement, MissingOrUnfinishedElementsLeaveTheLabelUnchanged) {
  // Regression: a file ending inside the element left the values read so far in the label.
  TempDir dir;
  TCustomTextLabel a;
  MakeBusy(a);
  const std::string whole = WriteToText(dir, a, true, u"x", 1);
  const std::string cuts[] = {"", "<?xml version=\"1.0\"?>\r\n<other/>\r\n", whole.substr(0, whole.find("<layer")),
                              whole.substr(0, whole.find("</custtextlbl>") + 5)};
  for (const std::string& text : cuts) {
    TCustomTextLabel b;
    int calls = 0;
    b.OnChange = [&](TObject*) { ++calls; };
    EXPECT_FALSE(ReadFromText(dir, text, b, u""));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(b.Caption().empty());
    EXPECT_EQ(b.Layer(), 1);
    EXPECT_EQ(b.Font()->Name(), TFont().Name());
  }
}

TEST(CustTextLblElement, ReaderValueRules) {
  TempDir dir;
  struct Case {
    const char* line;
    std::function<bool(const TCustomTextLabel&)> check;
    const char* what;
  };
  const Case cases[] = {
      // Regression: a layer outside 1..16 was stored as read although the setter refuses it.
      {"<layer val=40 />", [](const TCustomTextLabel& l) { return l.Layer() == 1; }, "layer 40 ignored"},
      {"<layer val=9 />", [](const TCustomTextLabel& l) { return l.Layer() == 9; }, "layer 9"},
      {"<transparent val=yes />", [](const TCustomTextLabel& l) { return !l.Transparent(); }, "a word is false"},
      {"<transparent val=1 />", [](const TCustomTextLabel& l) { return l.Transparent(); }, "only 1 is true"},
      {"<visible val=2 />", [](const TCustomTextLabel& l) { return !l.Visible(); }, "2 is false"},
      {"<posxy x=1,5 y=\"-2.5e1\" />", [](const TCustomTextLabel& l) { return l.PosX() == 1.5 && l.PosY() == -25; },
       "comma and quoted values"},
      {"<alignment horiz=tacenter vert=vaTop />",
       [](const TCustomTextLabel& l) { return l.Alignment() == taCenter && l.VerticalAlignment() == vaTop; },
       "unknown names leave the field"},
      {"<alignment horiz=taLeftJustify vert=middle />",
       [](const TCustomTextLabel& l) { return l.Alignment() == taLeftJustify && l.VerticalAlignment() == vaBottom; },
       "names are case-sensitive"},
      {"<font name=\"Arial\" />",
       [](const TCustomTextLabel& l) { return l.Font()->Name() == u"Arial" && l.Font()->Size() == TFont().Size(); },
       "missing font attributes keep their values"},
      {"<colors brd=$ABCDEF />",
       [](const TCustomTextLabel& l) { return l.ColorBorder() == 0xABCDEF && l.ColorBkg() == 0; }, "colours as read"},
  };
  for (const Case& c : cases) {
    TCustomTextLabel l;
    const std::string text = std::string("<custtextlbl sig=\"Qeltakit\">\r\n") + c.line + "\r\n</custtextlbl>\r\n";
    ASSERT_TRUE(ReadFromText(dir, text, l, u"")) << c.what;
    EXPECT_TRUE(c.check(l)) << c.what;
  }
}

TEST(CustTextLblElement, ASecondElementFollowsInTheSameFile) {
  TempDir dir;
  TCustomTextLabel a, b, r;
  a.SetCaption(u"A"), b.SetCaption(u"B");
  TextFile f;
  AssignFile(f, dir / "two.xml");
  Rewrite(f);
  a.WriteToOpenXMLFile(f, true, u"a", 1);
  b.WriteToOpenXMLFile(f, false, u"b", 1);
  CloseFile(f);
  AssignFile(f, dir / "two.xml");
  Reset(f);
  ASSERT_TRUE(r.ReadFromOpenXMLFile(f, u""));
  EXPECT_EQ(r.Caption(), u"A");
  ASSERT_TRUE(r.ReadFromOpenXMLFile(f, u""));
  EXPECT_EQ(r.Caption(), u"B");
  EXPECT_FALSE(r.ReadFromOpenXMLFile(f, u""));
  CloseFile(f);
}

TEST(CustTextLblElement, FileErrorsPassAsInputOutputErrors) {
  TCustomTextLabel l;
  TextFile f;
  AssignFile(f, u"unused.xml");
  EXPECT_THROW(l.WriteToOpenXMLFile(f, true, u"", 1), EInOutError);
  EXPECT_THROW(l.ReadFromOpenXMLFile(f, u""), EInOutError);
}

TEST(TCustomTextLabel, AssignCopiesEverySettingAndTheFont) {
  TempDir dir;
  TCustomTextLabel a, b;
  MakeBusy(a);
  int calls = 0;
  b.OnChange = [&](TObject*) { ++calls; };
  b.Assign(&a);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(WriteToText(dir, b, true, u"", 1), WriteToText(dir, a, true, u"", 1));
  EXPECT_EQ(b.Font()->Height(), a.Font()->Height());
  b.Font()->SetSize(30);  // b's own font
  EXPECT_EQ(a.Font()->Size(), 12);
  TCrossHair other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
}

}  // namespace
