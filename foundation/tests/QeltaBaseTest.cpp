#include <gtest/gtest.h>

#include <string>

#include "Assertions.h"
#include "Qelta_qeltabase.h"

using namespace qelta;

namespace {

// [SECTION] errors and globals

TEST(EQeltaError, CarriesItsMessageAndIsAnException) {
  EXPECT_THROW_MSG(throw EQeltaError("CalcLinFit: not enough data points"), EQeltaError,
                   "CalcLinFit: not enough data points");
  EXPECT_THROW_MSG(throw EQeltaError(U8("Component \"Übersicht\": not enough memory")), Exception,
                   "Component \"Übersicht\": not enough memory");
}

TEST(Globals, StartUpLeavesThemCleared) {
  EXPECT_EQ(ProcStat, 0);
  EXPECT_FALSE(AbortMathProc);
  EXPECT_FALSE(MathFeedBackProc);
}

// Read while the test program loads, after qeltacore has loaded: the tables must be built by then.
const AnsiString kJanuaryAtLoad = MonthShort[lgEnglish][1];

TEST(Globals, TablesAreReadyForStaticInitializersOfLaterLibraries) { EXPECT_EQ(kJanuaryAtLoad, "Jan"); }

TEST(Globals, StartUpRunsOnlyOnce) {
  // The library already ran it at load; a second call must not reset a running counter.
  ProcStat = 42;
  core_detail::InitQeltabase();
  EXPECT_EQ(ProcStat, 42);
  ProcStat = 0;
}

// [SECTION] enumerations and records

TEST(Enums, OrdinalsFollowTheDeclaredOrder) {
  // Ordinals are stored in files: the last value of each type fixes the count.
  EXPECT_EQ(fsEngraved, 5);
  EXPECT_EQ(maRotZOnly, 14);
  EXPECT_EQ(lgSpanish, 4);
  EXPECT_EQ(Bool, 5);
  EXPECT_EQ(loXORNot, 5);
  EXPECT_EQ(vsEnd, 4);
  EXPECT_EQ(sizeof(TFrameStyle), 1u);
}

TEST(TRectDouble, PointViewsShareTheFourSides) {
  TRectDouble r{1.0, 8.0, 5.0, 2.0};  // zoom-ring entry: x low, y high, x high, y low
  EXPECT_EQ(r.TopLeft().X, 1.0);
  EXPECT_EQ(r.TopLeft().Y, 8.0);
  EXPECT_EQ(r.BottomRight().X, 5.0);
  EXPECT_EQ(r.BottomRight().Y, 2.0);
  r.SetTopLeft({-3.0, 9.5});
  r.SetBottomRight({7.0, -1.5});
  EXPECT_EQ(r.Left, -3.0);
  EXPECT_EQ(r.Top, 9.5);
  EXPECT_EQ(r.Right, 7.0);
  EXPECT_EQ(r.Bottom, -1.5);
}

TEST(Events, ByReferenceOutputsReachTheCaller) {
  TOnCheckAbortEvent onCheck = [](TObject*, bool& abort) { abort = true; };
  bool abort = false;
  onCheck(nullptr, abort);
  EXPECT_TRUE(abort);
  TBeforeSortExchgEvent onKey = [](TObject*, const String& in, String& out) { out = in + u"!"; };
  String key;
  onKey(nullptr, u"abc", key);
  EXPECT_EQ(key, u"abc!");
}

// [SECTION] language tables

struct TextCase {
  const char* what;
  AnsiString actual;
  const char* utf8;  // expected text, UTF-8
};

TEST(LanguageTables, HoldTheExpectedWordsAsLatin1Bytes) {
  const TextCase cases[] = {
      {"unknown month", MonthShort[lgUnknown][7], "M07"},
      {"unknown long month", MonthLong[lgUnknown][12], "M12"},
      {"unknown weekday", WeekDayShort[lgUnknown][3], "D03"},
      {"unknown long weekday", WeekDayLong[lgUnknown][7], "D07"},
      {"unknown number", NumWords[lgUnknown][12], "N12"},
      {"unknown language", LanguageID[lgUnknown][lgGerman], "???"},
      {"language unknown", LanguageID[lgFrench][lgUnknown], "???"},
      {"English month", MonthLong[lgEnglish][9], "September"},
      {"German month", MonthShort[lgGerman][1], "Jän"},
      {"German long month", MonthLong[lgGerman][3], "März"},
      {"French month", MonthShort[lgFrench][12], "déc"},
      {"Spanish weekday", WeekDayLong[lgSpanish][3], "miércoles"},
      {"German weekday", WeekDayShort[lgGerman][7], "So"},
      {"German number", NumWords[lgGerman][12], "zwölf"},
      {"language names", LanguageID[lgGerman][lgFrench], "französisch"},
      {"ISO 2", ISO639_2Char[lgGerman], "de"},
      {"ISO 3", ISO639_3Char[lgFrench], "fre"},
      // Regression: French "one" read "celui" ("the one").
      {"French one", NumWords[lgFrench][1], "un"},
      // Regression: Spanish May read "mai", the French word.
      {"Spanish May", MonthLong[lgSpanish][5], "mayo"},
      // Regression: French February carried a trailing blank, which leaked into date texts.
      {"French February", MonthLong[lgFrench][2], "février"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(AnsiToString(c.actual), U8(c.utf8));
  }
  EXPECT_EQ(MonthShort[lgGerman][1], "J\xE4n");  // one byte per character
}

struct LengthLimit {
  const char* table;
  int first;
  std::size_t last;
  std::size_t maxLen;
};

template <std::size_t N>
void ExpectWithin(const TLanguageTable<N>& table, const LengthLimit& limit) {
  for (int l = lgUnknown; l <= lgSpanish; ++l)
    for (std::size_t i = limit.first; i <= limit.last; ++i) {
      SCOPED_TRACE(std::string(limit.table) + " [" + std::to_string(l) + "][" + std::to_string(i) + "]");
      EXPECT_FALSE(table[l][i].empty());
      EXPECT_LE(table[l][i].size(), limit.maxLen);
      EXPECT_EQ(table[l][i].find_first_of(" \t"), AnsiString::npos);
    }
}

TEST(LanguageTables, EveryEntryIsPresentWithinItsLengthAndUnpadded) {
  ExpectWithin(MonthShort, {"MonthShort", 1, 12, 4});
  ExpectWithin(MonthLong, {"MonthLong", 1, 12, 10});
  ExpectWithin(WeekDayShort, {"WeekDayShort", 1, 7, 3});
  ExpectWithin(WeekDayLong, {"WeekDayLong", 1, 7, 10});
  ExpectWithin(NumWords, {"NumWords", 0, 12, 6});
  ExpectWithin(LanguageID, {"LanguageID", 0, lgSpanish, 15});
  for (int l = lgUnknown; l <= lgSpanish; ++l) {
    EXPECT_EQ(ISO639_2Char[l].size(), 2u);
    EXPECT_EQ(ISO639_3Char[l].size(), 3u);
  }
}

// [SECTION] XML names and HTML entities

TEST(XmlNames, AreTheDeclaredNamesButBoolIsLowerCase) {
  EXPECT_EQ(xmlVarKind[Bool], u"bool");
  EXPECT_EQ(xmlVarKind[strg], u"strg");
  EXPECT_EQ(xmlFrameStyle[fsEngraved], u"fsEngraved");
  EXPECT_EQ(xmlMouseActMode[maZoomWindPos], u"maZoomWindPos");
  EXPECT_EQ(xmlTxtLblMode[tlsimple], u"tlsimple");
  EXPECT_EQ(xmlAlignment[2], u"taCenter");
  EXPECT_EQ(xmlFontStyle[3], u"fsStrikeOut");
}

template <std::size_t N>
void ExpectNamesWithPrefix(const std::array<String, N>& names, const char16_t* prefix) {
  for (const String& name : names) {
    SCOPED_TRACE(StringToUtf8(name));
    EXPECT_EQ(name.rfind(prefix, 0), 0u);
    EXPECT_GT(name.size(), std::char_traits<char16_t>::length(prefix));
  }
}

TEST(XmlNames, EveryEntryIsFilledWithItsTypePrefix) {
  ExpectNamesWithPrefix(xmlVerticalAlignment, u"va");
  ExpectNamesWithPrefix(xmlAlignment, u"ta");
  ExpectNamesWithPrefix(xmlBkgFill, u"bf");
  ExpectNamesWithPrefix(xmlBoundingBox, u"bb");
  ExpectNamesWithPrefix(xmlColorScheme, u"cs");
  ExpectNamesWithPrefix(xmlFigType, u"ft");
  ExpectNamesWithPrefix(xmlScaleType, u"sct");
  ExpectNamesWithPrefix(xmlYearLength, u"yl");
  ExpectNamesWithPrefix(xmlDateOrder, u"do");
  ExpectNamesWithPrefix(xmlDateForTime, u"dt");
  ExpectNamesWithPrefix(xmlShadowStyle, u"ss");
  ExpectNamesWithPrefix(xmlFrameStyle, u"fs");
  ExpectNamesWithPrefix(xmlTimeFormat, u"tf");
  ExpectNamesWithPrefix(xmlDirection, u"dir");
  ExpectNamesWithPrefix(xmlLanguage, u"lg");
  ExpectNamesWithPrefix(xmlMouseBoxState, u"ms");
  ExpectNamesWithPrefix(xmlMouseActMode, u"ma");
  ExpectNamesWithPrefix(xmlZoomState, u"zs");
  ExpectNamesWithPrefix(xmlCrossHMode, u"ch");
  ExpectNamesWithPrefix(xmlTxtLblMode, u"tl");
  ExpectNamesWithPrefix(xmlTxtLblAttachMode, u"tlam");
  ExpectNamesWithPrefix(xmlFontStyle, u"fs");
}

TEST(HTMLLat1Entities, NameEachLatin1CodeFrom160) {
  EXPECT_EQ(HTMLLat1Entities[160], "&nbsp;");
  EXPECT_EQ(HTMLLat1Entities[161], "&iexcl;");
  EXPECT_EQ(HTMLLat1Entities[0xE9], "&eacute;");
  EXPECT_EQ(HTMLLat1Entities[255], "&yuml;");
  EXPECT_EQ(HTMLLat1Entities[159], "");
  for (int code = 160; code <= 255; ++code) {
    const AnsiString& e = HTMLLat1Entities[code];
    SCOPED_TRACE(e);
    EXPECT_LE(e.size(), 8u);
    EXPECT_GE(e.size(), 4u);
    EXPECT_EQ(e.front(), '&');
    EXPECT_EQ(e.back(), ';');
  }
}

}  // namespace
