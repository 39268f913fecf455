#include "Qelta_qeltabase.h"

#include "Encoding.h"
#include "QeltaStartup.h"

// The language tables are written below in UTF-8 for readability and turned into Windows-1252
// bytes once, while the library loads. Three words differ from older copies of these tables:
// French one is "un" (was "celui", "the one"), Spanish May is "mayo" (was the French "mai") and
// French February is "février" without the trailing blank that padded it.

namespace qelta {

// [SECTION] globals

int ProcStat = 0;
bool AbortMathProc = false;
FeedBackProcType MathFeedBackProc;

namespace core_detail {
void InitQeltabase() {
  static bool done = false;
  if (done) return;
  done = true;
  ProcStat = 0;
}
}  // namespace core_detail

// [SECTION] language tables

namespace {

template <std::size_t N>
using TUtf8Table = const char* const[LanguageCount][N];

AnsiString Ansi(const char* utf8) { return StringToAnsi(Utf8ToString(utf8)); }

template <std::size_t N>
TLanguageTable<N> ToAnsi(TUtf8Table<N>& utf8) {
  TLanguageTable<N> table;
  for (int l = 0; l < LanguageCount; ++l)
    for (std::size_t i = 0; i < N; ++i) table[l][i] = Ansi(utf8[l][i]);
  return table;
}

// clang-format off
TUtf8Table<13> kMonthShort = {
  {"", "M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"},
  {"", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
  {"", "Jän", "Feb", "Mär", "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"},
  {"", "jan", "fév", "mar", "avr", "mai", "juin", "jul", "aoû", "sep", "oct", "nov", "déc"},
  {"", "Ene", "Feb", "Mar", "Abr", "May", "Jun", "Jul", "Ago", "Sep", "Oct", "Nov", "Dic"},
};

TUtf8Table<13> kMonthLong = {
  {"", "M01", "M02", "M03", "M04", "M05", "M06", "M07", "M08", "M09", "M10", "M11", "M12"},
  {"", "January", "February", "March", "April", "May", "June", "July", "August", "September",
   "October", "November", "December"},
  {"", "Jänner", "Februar", "März", "April", "Mai", "Juni", "Juli", "August", "September",
   "Oktober", "November", "Dezember"},
  {"", "janvier", "février", "mars", "avril", "mai", "juin", "juillet", "août", "septembre",
   "octobre", "novembre", "décembre"},
  {"", "enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre",
   "octubre", "noviembre", "diciembre"},
};

TUtf8Table<8> kWeekDayShort = {
  {"", "D01", "D02", "D03", "D04", "D05", "D06", "D07"},
  {"", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"},
  {"", "Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"},
  {"", "lun", "mar", "mer", "jeu", "ven", "sam", "dim"},
  {"", "lun", "mar", "mie", "jue", "vie", "sab", "dom"},
};

TUtf8Table<8> kWeekDayLong = {
  {"", "D01", "D02", "D03", "D04", "D05", "D06", "D07"},
  {"", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"},
  {"", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"},
  {"", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"},
  {"", "lunes", "martes", "miércoles", "jueves", "viernes", "sábado", "domingo"},
};

TUtf8Table<13> kNumWords = {
  {"N00", "N01", "N02", "N03", "N04", "N05", "N06", "N07", "N08", "N09", "N10", "N11", "N12"},
  {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten",
   "eleven", "twelve"},
  {"null", "eins", "zwei", "drei", "vier", "fünf", "sechs", "sieben", "acht", "neun", "zehn",
   "elf", "zwölf"},
  {"zéro", "un", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf", "dix",
   "onze", "douze"},
  {"cero", "uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve", "diez",
   "once", "doce"},
};

// [language written in][language named]
TUtf8Table<LanguageCount> kLanguageID = {
  {"???", "???", "???", "???", "???"},
  {"???", "English", "German", "French", "Spanish"},
  {"???", "englisch", "deutsch", "französisch", "spanisch"},
  {"???", "anglais", "allemand", "français", "espagnol"},
  {"???", "inglés", "alemán", "francés", "español"},
};
// clang-format on

}  // namespace

QELTA_TABLE_INIT const TLanguageTable<13> MonthShort = ToAnsi(kMonthShort);
QELTA_TABLE_INIT const TLanguageTable<13> MonthLong = ToAnsi(kMonthLong);
QELTA_TABLE_INIT const TLanguageTable<8> WeekDayShort = ToAnsi(kWeekDayShort);
QELTA_TABLE_INIT const TLanguageTable<8> WeekDayLong = ToAnsi(kWeekDayLong);
QELTA_TABLE_INIT const TLanguageTable<13> NumWords = ToAnsi(kNumWords);
QELTA_TABLE_INIT const TLanguageTable<LanguageCount> LanguageID = ToAnsi(kLanguageID);
QELTA_TABLE_INIT const std::array<AnsiString, LanguageCount> ISO639_2Char = {"??", "en", "de", "fr", "es"};
QELTA_TABLE_INIT const std::array<AnsiString, LanguageCount> ISO639_3Char = {"???", "eng", "ger", "fre", "spa"};

// [SECTION] enumeration names for XML files

// clang-format off
QELTA_TABLE_INIT const std::array<String, vaBottom + 1> xmlVerticalAlignment = {u"vaTop", u"vaCenter", u"vaBottom"};
QELTA_TABLE_INIT const std::array<String, 3> xmlAlignment = {u"taLeftJustify", u"taRightJustify", u"taCenter"};
QELTA_TABLE_INIT const std::array<String, bfTile + 1> xmlBkgFill = {u"bfSimple", u"bfStretch", u"bfTile"};
QELTA_TABLE_INIT const std::array<String, bbFaces + 1> xmlBoundingBox = {u"bbNone", u"bbFrame", u"bbFaces"};
QELTA_TABLE_INIT const std::array<String, csSystem + 1> xmlColorScheme = {u"csBWG", u"csSystem"};
QELTA_TABLE_INIT const std::array<String, ftUserText + 1> xmlFigType =
    {u"ftNoFigs", u"ftNum", u"ftTime", u"ftDateTime", u"ftUserText"};
QELTA_TABLE_INIT const std::array<String, sctYR + 1> xmlScaleType = {u"sctXB", u"sctXT", u"sctYL", u"sctYR"};
QELTA_TABLE_INIT const std::array<String, ylYYYY + 1> xmlYearLength = {u"ylNone", u"ylYY", u"ylYYYY"};
QELTA_TABLE_INIT const std::array<String, doYYMMDD + 1> xmlDateOrder = {u"doMMDDYY", u"doDDMMYY", u"doYYMMDD"};
QELTA_TABLE_INIT const std::array<String, dtAllTicks + 1> xmlDateForTime =
    {u"dtNone", u"dtOnePerChart", u"dtOnePerDay", u"dtAllTicks"};
QELTA_TABLE_INIT const std::array<String, ssBox + 1> xmlShadowStyle = {u"ssFlying", u"ssBox"};
QELTA_TABLE_INIT const std::array<String, fsEngraved + 1> xmlFrameStyle =
    {u"fsNone", u"fsSimple", u"fsLowered", u"fsRaised", u"fsEmbossed", u"fsEngraved"};
QELTA_TABLE_INIT const std::array<String, tfAMPM + 1> xmlTimeFormat = {u"tfHHMMSS", u"tfHHhMM", u"tfAMPM"};
QELTA_TABLE_INIT const std::array<String, dirRightward + 1> xmlDirection =
    {u"dirUpward", u"dirDownward", u"dirLeftward", u"dirRightward"};
QELTA_TABLE_INIT const std::array<String, lgSpanish + 1> xmlLanguage =
    {u"lgUnknown", u"lgEnglish", u"lgGerman", u"lgFrench", u"lgSpanish"};
QELTA_TABLE_INIT const std::array<String, strg + 1> xmlVarKind =
    {u"rnum", u"dnum", u"snum", u"inum", u"lnum", u"bool", u"strg"};
QELTA_TABLE_INIT const std::array<String, msFinished + 1> xmlMouseBoxState =
    {u"msNormal", u"msFirstCorner", u"msRectDraw", u"msFinished"};
QELTA_TABLE_INIT const std::array<String, maRotZOnly + 1> xmlMouseActMode =
    {u"maNone", u"maPan", u"maPanHoriz", u"maPanVert", u"maRubberBand", u"maZoom", u"maZoomWind",
     u"maZoomWindPos", u"maZoomDrag", u"maDragCrossH", u"maDragLabel", u"maRotate", u"maRotAndZoom",
     u"maRotXOnly", u"maRotZOnly"};
QELTA_TABLE_INIT const std::array<String, zsDrawWin + 1> xmlZoomState = {u"zsNormal", u"zsDrawWin"};
QELTA_TABLE_INIT const std::array<String, chBox + 1> xmlCrossHMode =
    {u"chOff", u"chHoriz", u"chVert", u"chBoth", u"chBox"};
QELTA_TABLE_INIT const std::array<String, tlShadow + 1> xmlTxtLblMode =
    {u"tlOff", u"tlsimple", u"tlBox", u"tlUnderline", u"tlShadow"};
QELTA_TABLE_INIT const std::array<String, tlamBoth + 1> xmlTxtLblAttachMode =
    {u"tlamNone", u"tlamXOnly", u"tlamYOnly", u"tlamBoth"};
QELTA_TABLE_INIT const std::array<String, 4> xmlFontStyle = {u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut"};
// clang-format on

// [SECTION] HTML entity names

namespace {

// Entity names of the codes 160..255 in code order, without "&" and ";".
// clang-format off
constexpr const char* kLat1Names[96] = {
  "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",
  "uml",    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",
  "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",
  "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",
  "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
  "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",
  "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
  "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
  "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",
  "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};
// clang-format on

std::array<AnsiString, 256> MakeLat1Entities() {
  std::array<AnsiString, 256> table;
  for (int code = 160; code <= 255; ++code) table[code] = AnsiString("&") + kLat1Names[code - 160] + ";";
  return table;
}

}  // namespace

QELTA_TABLE_INIT const std::array<AnsiString, 256> HTMLLat1Entities = MakeLat1Entities();

}  // namespace qelta
