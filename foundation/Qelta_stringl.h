#pragma once
// Qelta_stringl: the free text routines of the system.
//
// What: fixed-width number text (strff and its relatives), Boolean and time texts, searching and
// counting, character classes and a character-set test with macros, trimming, padding and other
// edits, word and field extraction, tokenizing, line reading, a quoted-name scanner, one-line
// uuencoding, tag reading out of a text, a reversible character scrambler, and TGrep, a small
// regular-expression component.
// How: texts are String (UTF-16) with 1-based positions; every routine returns a new text and
// leaves its arguments alone unless one is passed by reference. "Ignoring case" folds A-Z only,
// except in the routines said to use the locale (Unicode simple case mapping of the platform).
// Number text comes from the platform's Str, so the decimal point is always '.'.
// Limits: no routine raises on bad input, reads outside a text or loops without end; an empty
// search text has no occurrences. Character sets and the scrambler cover codes 0..255; a
// character above 255 is never in a set and passes the scrambler unchanged. The scrambler's tables
// are process-wide and unguarded. Number scanners live in Qelta_qeltabase.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "Qelta_qeltabase.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Error class of this unit.
QELTA_DECLARE_EXCEPTION(EQeltaStringlError, EQeltaError)

/// Growable array of short strings (each at most 255 characters): the parts made by Tokenize.
using TOpenStringArray = std::vector<String>;

namespace core_detail {
// Not part of the public interface: builds WordSeps at compile time.
constexpr std::array<bool, 256> MakeWordSeps() {
  std::array<bool, 256> set{};
  for (char c : std::string_view("\"#%'()*+,-./:;<=>[\\]{}")) set[static_cast<unsigned char>(c)] = true;
  set[0] = set[10] = set[13] = set[32] = true;
  return set;
}
}  // namespace core_detail

/// Word separators, indexed by character code: 0, 10, 13, 32 and " # % ' ( ) * + , - . / : ; < = >
/// [ \ ] { }. Characters above 255 never separate words.
inline constexpr std::array<bool, 256> WordSeps = core_detail::MakeWordSeps();

// --- number text ------------------------------------------------------------------------------

/// x as Str writes it with |FieldWidth| and DecPlaces (>= 0 fixed point; -1 the exponent form with
/// four exponent digits). DecPlaces -2: the exponent form cut to two exponent digits, the whole
/// text '*' when the exponent needs more. A negative FieldWidth pads with '0' and puts a '-' first.
String strff(Extended x, int FieldWidth, int DecPlaces);
/// strff with a '+' in front of a number of 0 or more (on the last leading blank when there is one).
String strffForcePlus(Extended x, int FieldWidth, int DecPlaces);
/// Str(x, Width, Mode) when x is 0 or |x| lies in the range of Mode 0..8 (mode 0: 1..999999999,
/// mode 1: 0.1..9999999.9, ..., mode 8: 0.00000001..0.99999999, bounds included); else, and for
/// every other mode, strff(x, Width + 6, -2).
String FormatData(double x, int Width, int Mode);
/// x with SigDig significant digits (at least 1) in Width characters, fixed point where it fits,
/// else the two-digit exponent form.
String SigDigStr(double x, int Width, int SigDig);
/// SigDigStr, with leading and trailing blanks removed when Strip is true.
String SigDigStr(double x, int Width, int SigDig, bool Strip);

// --- texts of values --------------------------------------------------------------------------

/// Mode 0 "TRUE"/"FALSE", 1 "T"/"F", 2 ".T."/".F.", 3 "1"/"0", 4 "-1"/"0", 5 "FF"/"00";
/// any other mode as 0.
String BoolToStr(bool Value, int Mode);
/// TextTrue or TextFalse by Value.
String BinString(bool Value, const String& TextTrue, const String& TextFalse);
/// n copies of c, n clamped to 1..255.
String MultiChar(Char c, int n);
/// Duration text of Seconds (negative and NaN count as 0). Format 0 "hh:mm:ss.cc", 1 "hh:mm:ss",
/// 2 "hhhmm" (hours blank-padded to two), 3 as 2 then "'ss\"", 4 "hh:mm", 5 twelve-hour clock
/// "hh:mma"/"hh:mmp" (hours blank-padded, 0 shown as 12); other formats "". Hours have no upper
/// limit; the hundredths come from floor(Seconds * 100 + 1e-6) centiseconds.
String TimeString(double Seconds, uint8_t Format);

// --- searching and counting -------------------------------------------------------------------

/// 1-based index of the first entry of List equal to s (case-sensitive); 0 when none.
int StringIx(const String& s, const std::vector<String>& List);
/// 1-based position of the n-th non-overlapping Sub in s from Start (below 1 counts as 1); 0 when
/// there are fewer, n < 1 or Sub is empty. IgnoreCase folds A-Z.
int NumberedPos(const String& Sub, const String& s, int Start, int n, bool IgnoreCase);
/// Position of the last of the non-overlapping occurrences of Sub found from the left; 0 when none.
int PosLast(const String& Sub, const String& s);
/// Number of non-overlapping occurrences of Sub (A-Z folded unless CaseSensitive); 0 for an empty Sub.
int CountStringInString(const String& Sub, const String& s, bool CaseSensitive);
/// Number of occurrences of c (A-Z folded unless CaseSensitive).
int CountCharInString(Char c, const String& s, bool CaseSensitive);
/// Number of runs of two or more non-separator characters that a word separator follows (a run at
/// the very end of the text, and a run of one character, is not counted).
int CountWords(const String& s);
/// Position of the first character other than a blank; 0 for an empty or all-blank text.
int FindFirstNonBlank(const String& s);
/// True when s is not empty and every character is c.
bool TestAllChar(const String& s, Char c);
/// True when s holds a character of CharSet. CharSet macros: "//dig" 0-9, "//lc" a-z, "//uc" A-Z,
/// "//31dwn" codes 0..31, "//128up" codes 128..255. Characters above 255 are never in the set.
bool StringContains(const String& s, const String& CharSet);
/// True when s holds a character outside CharSet (macros as StringContains; above 255 is outside).
bool StringContainsOtherThan(const String& s, const String& CharSet);
/// True when the longest run r of letters A-Z is above 1 and s holds fewer than r letters a-z and digits.
bool IsAbbreviation(const String& s);
/// Equality ignoring case by the locale (Unicode simple case mapping).
bool EqualAnsiStrings(const String& s1, const String& s2);

// --- character classes ------------------------------------------------------------------------

bool IsDigit(Char c);        ///< '0'..'9'
bool IsLetter(Char c);       ///< 'A'..'Z', 'a'..'z'
bool IsDigitLetter(Char c);  ///< IsDigit or IsLetter
bool IsHexChar(Char c);      ///< '0'..'9', 'A'..'F', 'a'..'f'
bool IsUmlaut(Char c);       ///< one of ä ö ü Ä Ö Ü ß

// --- editing ----------------------------------------------------------------------------------

/// Every OldChar replaced by NewChar.
String ReplaceCharInString(const String& s, Char OldChar, Char NewChar);
/// Every non-overlapping Sub (A-Z folded when IgnoreCase) replaced, searching on after each
/// inserted replacement; s unchanged for an empty Sub.
String ReplaceStringInString(const String& s, const String& Sub, const String& Replacement, bool IgnoreCase);
/// Every c removed.
String RemoveCharInString(const String& s, Char c);
/// Every character below 32 removed.
String RemoveControlChars(const String& s);
/// Leading and trailing blanks (code 32) removed; an all-blank text becomes "".
String StripLTBlanks(const String& s);
/// Leading blanks removed, but never the last character (three blanks give one blank).
String StripLeadingBlanks(const String& s);
/// Trailing blanks removed, but never the first character (three blanks give one blank).
String StripTrailingBlanks(const String& s);
/// Trailing c removed, but never the first character.
String StripTrailingChars(Char c, const String& s);
/// Every leading c removed (a text of c only becomes "").
String StripLeadingChars(Char c, const String& s);
/// s with c appended when s is not empty and does not end with c.
String EnsureTrailingChar(Char c, const String& s);
/// s with c put in front when s is not empty and does not begin with c.
String EnsureLeadingChar(Char c, const String& s);
/// EnsureTrailingChar('\\', s).
String EnsureTrailingBkSlash(const String& s);
/// s cut to n, or centred in n characters: (n - length) div 2 blanks in front, the rest behind.
String CenterString(const String& s, int n);
/// s padded with trailing blanks to n characters, or cut to its first n.
String LeftString(const String& s, int n);
/// s padded with leading blanks to n characters, or cut to its first n.
String RightString(const String& s, int n);
/// A text longer than n becomes its first n - 2 characters and "..".
String AbbrevString(const String& s, int n);
/// The characters in reverse order.
String ReverseString(const String& s);
/// Each character that is its own locale upper case lower-cased, every other one upper-cased.
String ChangeCase(const String& s);
/// The first letter of each word upper-cased by the locale (letters: A-Z, a-z and every code above
/// 127; a word begins after a character that is neither letter nor digit and below code 8364).
String CapitalizeString(const String& s);
/// ä -> ae, ö -> oe, ü -> ue, ß -> ss, µ -> u; Ä Ö Ü -> Ae Oe Ue before a letter a-z, else AE OE UE.
String ExpandDiphthongs(const String& s);
/// Every character other than 0-9, A-Z, a-z replaced by '_'.
String ReduceStringToAZ09(const String& s);
/// Every character not allowed in 8.3 file names (allowed: ! # $ % & ' ( ) - . 0-9 @ A-Z ^ _ `
/// a-z { } ~) replaced by '_'; the length is kept.
String ReduceStringToFN83CompliantChars(const String& s);
/// "\#hh" (exactly two hex digits) becomes the character of code hh and "\\" one backslash whose
/// next character is not an escape; every other backslash stays literal.
String ProcessHexChars(const String& s);

// --- extraction -------------------------------------------------------------------------------

/// The word around 1-based Pos, delimited by WordSeps; the separator itself when Pos is on one;
/// "" outside the text.
String ExtractWordFromString(const String& s, int Pos);
/// As above, with the word's first and last positions (0 and 0 outside the text).
String ExtractWordFromString(const String& s, int Pos, int& WordStart, int& WordEnd);
/// Field ItemNum (0-based) of s, fields separated by Delimiter (A-Z folded); "" for a negative or
/// too large ItemNum. An empty Delimiter makes the whole text field 0.
String ExtractSubString(const String& s, int ItemNum, const String& Delimiter);
/// Cuts s at each Separator into at most 100 parts (the 100th keeps the rest, separators
/// included), each cut to 255 characters; answers the number of parts (at least 1). An empty
/// Separator gives one part.
int Tokenize(const String& s, const String& Separator, TOpenStringArray& Parts);
/// Tokenize with a one-character separator.
int Tokenize(const String& s, Char Separator, TOpenStringArray& Parts);
/// One line from Pos on, characters below 32 dropped; the line ends (terminator consumed) at
/// EOLMode 0 a LF, 1 a CR, 2 either, 3 a CR directly after a LF, 4 a LF directly after a CR, any
/// other mode at the end of the text. EndOfText is set only when no text is left at Pos: the call
/// after the last line answers "" with EndOfText true.
String ReadLnString(const String& s, int& Pos, bool& EndOfText, int EOLMode);

// --- quoted names, parameters, uuencoding, line coordinates -----------------------------------

/// One step of the quoted-name scanner, fed one character c at a time with Name = "" and State =
/// vsStart at the start: leading white space (codes up to 32) skipped; a bare name ends at white
/// space; a name in QuoteChar ends after the closing quote, a doubled quote inside standing for one.
/// States: vs1stQuote inside quotes, vsQuote a quote read inside quotes (closes the name unless
/// another follows), vsNormal a bare name, vsEnd the name is complete (further characters ignored).
void ParseQuotedName(Char c, Char QuoteChar, String& Name, TQuotedStrState& State);
/// Parameter ParamNum (1-based) of s, parameters separated by Delimiter; a parameter may be
/// enclosed in QuoteChar (delimiters inside are kept, a doubled quote is one quote, the quotes are
/// removed). "" when ParamNum is below 1 or beyond the last parameter.
String ExtractParam(const String& s, int ParamNum, Char Delimiter, Char QuoteChar);
/// The text's Windows-1252 bytes uuencoded: one line (length character, then four characters per
/// three bytes, '`' for 0) per 45 bytes, lines joined by CR LF; "" gives "".
String UUEncodeStr(const String& s);
/// The bytes of uuencoded lines (separated by CR and/or LF) as Windows-1252 text; missing
/// characters of a short line count as 0.
String UUDecodeStr(const String& s);
/// Line and column (both 1-based) of 1-based position Pos in s, for Pos in 1..Length + 1; line ends
/// are CR LF, LF or a lone CR and belong to the line they end. 0 and 0 for any other Pos.
void TextLineCoords(const String& s, int Pos, int& Line, int& Column);

// --- tags in a text ---------------------------------------------------------------------------

/// Reads the next tag from Pos by the rules of the stream tag reader: its attribute text (after
/// the name's first blank, trimmed) and, for a tag that is neither empty ("/>") nor closing, its
/// content up to the matching closing tag (found ignoring A-Z case). Answers the 0-based index of
/// the lower-cased name in TagList (lower-case entries, closing tags with their '/'), or the list's
/// last index when the name is not there or no tag is left. Pos ends after what was read.
int ReadNextTagInString(const String& s, int& Pos, const std::vector<String>& TagList, String& Attributes,
                        String& Content);
/// As ReadNextTagInString without reading content: Pos ends just after the tag's '>' and TagStart
/// is the position of its '<' (0 when no tag is left).
int DetectNextTagInString(const String& s, int& Pos, const std::vector<String>& TagList, String& Attributes,
                          int& TagStart);

// --- scrambler --------------------------------------------------------------------------------

/// Builds the permutation of codes 1..255 from Seed (0 stays 0). Reseeds the platform's Random:
/// RandSeed := Seed, then draws from it. Start-up calls InitScramble(5807).
void InitScramble(int Seed);
/// s with every code 0..255 replaced through the permutation; codes above 255 unchanged.
String Scramble(const String& s);
/// Inverse of Scramble under the same seed.
String DeScramble(const String& s);

// --- regular expressions (TGrep, Qelta_stringl_grep.cpp) ------------------------------------

/// Kind of a compiled token: literal string, any character ('.'), end of line ('$'), beginning of
/// line ('^'), character set ('[...]'), zero or more ('*'), one or more ('+'), zero or one ('?').
enum TGrepTokenAct : uint8_t { taNormal, taAnyByte, taEol, taBol, taSet, taMult0, taMult1, taOpti };

/// Characters of a token: the literal string in [0 .. NumChars - 1], or, for a set, one flag per
/// character code 0..255: '*' a member, ' ' not.
using TCharArr256 = std::array<Char, 256>;

/// One compiled token.
struct TGrepToken {
  TGrepTokenAct Action = taNormal;
  /// taNormal: number of literal characters (0 for an empty group). Repetitions: what is repeated,
  /// -1 a set, 0 any character, 1 or more a literal string of that length.
  int NumChars = 0;
  TCharArr256 Params{};
  /// Input position at which the token last matched (0: not in the last match attempt).
  int ValidFrom = 0;
};

/// Largest number of tokens of a compiled expression, and of characters in one token.
inline constexpr int GrepMaxTokens = 64;
inline constexpr int GrepMaxTokenChars = 256;
using TRegExp = std::array<TGrepToken, GrepMaxTokens>;

/// TGrep: a small regular-expression component of its own.
/// What: an expression is compiled into at most 64 tokens (literal strings, '.', sets "[a-z]" and
/// negated sets "[^0-9]", the anchors '^' and '$', and '*', '+', '?' after a character, a '.', a set or
/// a group "(ab)"), and matched against a text. There is no alternation and no nesting: parentheses
/// only group literal characters into one string that a repetition can follow. A backslash takes the
/// next character literally; "\#hh" (two hexadecimal digits) stands for the character of code hh.
/// How: a state machine compiles the expression; a backtracking matcher tries each start position from
/// SearchStartPos, and repetitions try the rest after the fewest occurrences first, so ".*" is lazy
/// except as the last token (which takes as much as it can). A failure of a (token, position) pair is
/// remembered within one search, so backtracking never explodes ("a*a*a*a*b" on thousands of 'a' takes
/// a few passes over the text) and the match found is the one plain backtracking finds.
/// End of input: start positions run up to Length + 1; '*' and '?' fit there with no occurrence; a
/// repetition tries the rest at every position up to Length + 1; a literal or a repeated string must
/// lie wholly in the text; '.' and a set need a character.
/// Limits: sets cover codes 0..255 (a character above 255 is never a member, not even of a negated
/// set); an expression needing more than 64 tokens or more than 256 characters in one token gives
/// error 10. With IgnoreCase, A-Z and a-z are the same (expression and input are lower-cased).
class TGrep : public TComponent {
 public:
  explicit TGrep(TComponent* AOwner);

  // [compiling]
  /// Compiles Expression into the token table without storing it as RegExp; answers the error code
  /// (0..10, kept in Error()). Never raises. A faulty expression leaves the tokens compiled so far.
  int CompileRegExp(const String& Expression);
  /// Text of an error code: 0 "no errors" .. 10 "reg.exp. too long"; "" outside 0..10.
  static String ErrorText(int Code);

  // [matching]
  /// Searches Instring from SearchStartPos (below 1 counts as 1). True when the expression matches;
  /// MatchPos (and MatchStartPos()) is then the first position of the match and MatchEndPos() where the
  /// last token ended it: one before the start when it took nothing (but 1 for a lone '^' on a non-empty
  /// input), the input's length after '$' or a final repetition over any character. An expression that is a single '*' repetition matches every
  /// input as a whole (MatchPos 1, MatchEndPos the length) unless SearchStartPos lies beyond a non-empty
  /// input. On failure MatchPos is the last position at which the first token fitted (0 when it never
  /// did) and MatchEndPos() is 0. An expression without tokens matches nothing.
  bool MatchString(const String& Instring, int& MatchPos);
  int MatchStartPos() const { return FMatchStartPos; }
  int MatchEndPos() const { return FMatchEndPos; }

  // [inspecting]
  /// Copy of token Index (1-based), the index clamped to 1..LengRegExp (token 1 when there is none).
  TGrepToken GetRegExpToken(int Index) const;
  /// Number of tokens in use.
  int LengRegExp() const { return FLengRegExp; }
  /// Code of the last compilation.
  int Error() const { return FError; }
  /// Writes the listing of the tokens (one line per token, then the error text) to a new text file;
  /// raises EInOutError when the file cannot be written (the old file then kept).
  void PrintRegExp(const String& FileName) const;

  // [properties]
  const String& RegExp() const { return FRegExpStr; }
  /// Stores and compiles the expression. With StopOnError, an error raises EQeltaStringlError
  /// 'Component "Name": error in regular expression - <text>'.
  void SetRegExp(const String& value);
  bool IgnoreCase() const { return FIgnoreCase; }
  /// Stores and recompiles the stored expression; never raises.
  void SetIgnoreCase(bool value);
  int SearchStartPos() const { return FSrcStartPos; }
  void SetSearchStartPos(int value) { FSrcStartPos = value; }
  bool StopOnError() const { return FStopOnError; }
  void SetStopOnError(bool value) { FStopOnError = value; }

 private:
  int FLengRegExp = 0;
  bool FStopOnError = true;
  TRegExp FregExp{};
  String FRegExpStr;
  bool FIgnoreCase = false;
  int FError = 0;
  int FMatchEndPos = 0;
  int FMatchStartPos = 0;
  int FSrcStartPos = 1;
};

// --- start-up (not part of the public interface) ----------------------------------------------

namespace core_detail {
/// Start-up of this unit (InitScramble(5807)); called once by qeltacore's start-up.
void InitStringl();
}  // namespace core_detail

}  // namespace qelta

QELTA_PUBLIC_END
