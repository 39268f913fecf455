// TGrep: compilation errors, token shapes, the listing, matching and the end of the input.

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>

#include "Assertions.h"
#include "FileTestKit.h"
#include "Qelta_stringl.h"

using namespace qelta;

namespace {

struct TGrepFixture : ::testing::Test {
  TGrepFixture() { grep.SetStopOnError(false); }
  // Compiles e, expecting no error.
  void Compile(const String& e) { ASSERT_EQ(grep.CompileRegExp(e), 0) << StringToUtf8(e); }
  String Literal(int index) const {
    const TGrepToken t = grep.GetRegExpToken(index);
    return String(t.Params.begin(), t.Params.begin() + t.NumChars);
  }
  String Members(int index) const {
    const TGrepToken t = grep.GetRegExpToken(index);
    String s;
    for (int c = 0; c < 256; ++c)
      if (t.Params[static_cast<std::size_t>(c)] == u'*') s.push_back(static_cast<Char>(c));
    return s;
  }
  TGrep grep{nullptr};
};

// [SECTION] compiling

TEST_F(TGrepFixture, CompilationErrorsCarryTheirCodes) {
  const struct {
    const char16_t* expression;
    int code;
  } cases[] = {
      {u"*a", 1}, {u"$a", 1}, {u"+a", 1}, {u"?a", 1}, {u"ab^", 2}, {u"a$b", 3}, {u"[]", 4},
      {u"[a^]", 5}, {u"]", 6}, {u"[-a]", 7}, {u"a)", 8}, {u"^*", 9},
      {u"a**", 9},    // a repetition of a repetition
      {u"[ab]*+", 9},
      {u"()*", 9},    // an empty group repeated would stand for any character
      {u"[0-9]-", 7}, // a minus right after a set
      {u"abc", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(grep.CompileRegExp(c.expression), c.code) << StringToUtf8(c.expression);
    EXPECT_EQ(grep.Error(), c.code);
  }
  EXPECT_EQ(TGrep::ErrorText(0), u"no errors");
  EXPECT_EQ(TGrep::ErrorText(9), u"*, ?, + have to be applied to groups or sets only");
  EXPECT_EQ(TGrep::ErrorText(11), u"");
}

TEST_F(TGrepFixture, SettingAFaultyExpressionRaisesOnlyWithStopOnError) {
  TGrep g(nullptr);
  g.SetName(u"Grep1");
  EXPECT_TRUE(g.StopOnError());
  EXPECT_THROW_MSG(g.SetRegExp(u"[]"), EQeltaStringlError,
                   "Component \"Grep1\": error in regular expression - empty set");
  EXPECT_EQ(g.RegExp(), u"[]");  // stored all the same
  g.SetStopOnError(false);
  g.SetRegExp(u"a)");
  EXPECT_EQ(g.Error(), 8);
  g.SetStopOnError(true);
  g.SetIgnoreCase(true);  // recompiles the faulty expression without raising
  EXPECT_EQ(g.Error(), 8);
}

TEST_F(TGrepFixture, ExpressionsBeyondTheTableGiveCodeTen) {
  // Regression: the table holds 64 tokens of 256 characters; more was written past its end.
  EXPECT_EQ(grep.CompileRegExp(String(64, u'.')), 0);
  EXPECT_EQ(grep.LengRegExp(), 64);
  EXPECT_EQ(grep.CompileRegExp(String(65, u'.')), 10);
  EXPECT_EQ(TGrep::ErrorText(10), u"reg.exp. too long");
  EXPECT_EQ(grep.CompileRegExp(String(256, u'x')), 0);
  EXPECT_EQ(grep.CompileRegExp(String(257, u'x')), 10);
  EXPECT_EQ(grep.CompileRegExp(String(63, u'.') + u"xy*"), 10);  // the split-off 'y' needs a 65th token
}

TEST_F(TGrepFixture, RepetitionsSplitOffTheLastCharacterOrRepeatAWholeGroup) {
  Compile(u"abc*");
  ASSERT_EQ(grep.LengRegExp(), 2);
  EXPECT_EQ(grep.GetRegExpToken(1).Action, taNormal);
  EXPECT_EQ(Literal(1), u"ab");
  EXPECT_EQ(grep.GetRegExpToken(2).Action, taMult0);
  EXPECT_EQ(Literal(2), u"c");

  Compile(u"(ab)+");
  ASSERT_EQ(grep.LengRegExp(), 1);
  EXPECT_EQ(grep.GetRegExpToken(1).Action, taMult1);
  EXPECT_EQ(Literal(1), u"ab");

  Compile(u"(ab)(cd)");
  ASSERT_EQ(grep.LengRegExp(), 1);
  EXPECT_EQ(Literal(1), u"abcd");

  Compile(u"[ab]?.+");
  ASSERT_EQ(grep.LengRegExp(), 2);
  EXPECT_EQ(grep.GetRegExpToken(1).Action, taOpti);
  EXPECT_EQ(grep.GetRegExpToken(1).NumChars, -1);
  EXPECT_EQ(grep.GetRegExpToken(2).Action, taMult1);
  EXPECT_EQ(grep.GetRegExpToken(2).NumChars, 0);
}

TEST_F(TGrepFixture, SetsHoldRangesAndNegations) {
  Compile(u"[^0-9]");
  String expected;
  for (int c = 0; c < 256; ++c)
    if (c < '0' || c > '9') expected.push_back(static_cast<Char>(c));
  EXPECT_EQ(Members(1), expected);
  Compile(u"[z-xa]");  // a reversed range is put in order
  EXPECT_EQ(Members(1), u"axyz");
  Compile(u"[a-c-e]");  // the last member starts the next range
  EXPECT_EQ(Members(1), u"abcde");
  Compile(u"[\\]\\-]");  // escaped members
  EXPECT_EQ(Members(1), u"-]");
}

TEST_F(TGrepFixture, TokenIndicesAreClamped) {
  Compile(u"a.b");
  EXPECT_EQ(grep.GetRegExpToken(0).Action, taNormal);
  EXPECT_EQ(Literal(0), u"a");
  EXPECT_EQ(grep.GetRegExpToken(99).Action, taNormal);
  EXPECT_EQ(Literal(99), u"b");
}

TEST_F(TGrepFixture, EscapesNeverReadPastTheExpression) {
  // Regression: these forms read characters beyond the end of the expression.
  Compile(u"ab\\");  // a trailing lone backslash is a literal backslash
  EXPECT_EQ(Literal(1), u"ab\\");
  Compile(u"[a-");  // a '-' ending the expression (or a set) is a member
  EXPECT_EQ(Members(1), u"-a");
  Compile(u"[a-]x");
  EXPECT_EQ(Members(1), u"-a");
  Compile(u"a\\#4");  // "\#" without two hexadecimal digits stays literal
  EXPECT_EQ(Literal(1), u"a#4");
  Compile(u"\\#414");  // exactly two digits are read
  EXPECT_EQ(Literal(1), u"A4");
  Compile(u"\\\\#41");  // an escaped backslash starts no code
  EXPECT_EQ(Literal(1), u"\\#41");
  Compile(u"\\#5C#41");  // an expanded backslash may start the next code
  EXPECT_EQ(Literal(1), u"A");
}

TEST_F(TGrepFixture, AnUnclosedNegatedSetIsStillNegated) {
  // Regression: an expression ending inside "[^..." kept the set uninverted, so it matched its exclusions.
  Compile(u"[^ab");
  int pos = 0;
  EXPECT_FALSE(grep.MatchString(u"abba", pos));
  EXPECT_TRUE(grep.MatchString(u"abc", pos));
  EXPECT_EQ(pos, 3);
}

TEST_F(TGrepFixture, ListingShowsEveryTokenKindByteForByte) {
  test::TempDir dir;
  Compile(u"^ab.[x-z]c*.*[01]+(de)?$");
  grep.PrintRegExp(dir / "re.txt");
  EXPECT_EQ(dir.Get("re.txt"),
            "    taBol: \r\n"
            " taNormal: ab\r\n"
            "taAnyByte: \r\n"
            "    taSet: xyz\r\n"
            "  taMult0: (string) c\r\n"
            "  taMult0: (anychar) \r\n"
            "  taMult1: (set) 01\r\n"
            "   taOpti: (string) de\r\n"
            "    taEol: \r\n"
            "no errors\r\n");
  grep.CompileRegExp(u"ab^");
  grep.PrintRegExp(dir / "re.txt");
  EXPECT_EQ(dir.Get("re.txt"), " taNormal: ab\r\ncircumflex not allowed here\r\n");
}

// [SECTION] matching

struct MatchCase {
  const char16_t* expression;
  const char16_t* text;
  bool found;
  int pos, end;
};

void ExpectMatches(TGrep& grep, const MatchCase& c) {
  ASSERT_EQ(grep.CompileRegExp(c.expression), 0);
  int pos = -1;
  const bool found = grep.MatchString(c.text, pos);
  const std::string what = StringToUtf8(c.expression) + " on \"" + StringToUtf8(c.text) + "\"";
  EXPECT_EQ(found, c.found) << what;
  if (!c.found) return;
  EXPECT_EQ(pos, c.pos) << what;
  EXPECT_EQ(grep.MatchStartPos(), c.pos) << what;
  EXPECT_EQ(grep.MatchEndPos(), c.end) << what;
}

TEST_F(TGrepFixture, MatchesFindTheFirstPositionAndTheShortestInnerRepetition) {
  const MatchCase cases[] = {
      {u"^ab", u"cab", false, 0, 0},
      {u"ab$", u"cab", true, 2, 3},
      {u"ab$", u"abc", false, 0, 0},
      {u"a.*b", u"axxbyyb", true, 1, 4},  // the inner repetition is tried shortest first
      {u"a.*", u"xaxx", true, 2, 4},      // a final repetition takes as much as it can
      {u"b[0-9]+", u"ab123c", true, 2, 5},
      {u"[^a-z]", u"abc1", true, 4, 4},
      {u"colou?r", u"the color", true, 5, 9},
      {u"colou?r", u"the colour", true, 5, 10},
      {u"x(ab)*y", u"xababy", true, 1, 6},
      {u"a\\.b", u"axb a.b", true, 5, 7},
      {u"^", u"abc", true, 1, 1},
      {u"x*", u"abc", true, 1, 3},  // a lone '*' repetition matches every input as a whole
  };
  for (const MatchCase& c : cases) ExpectMatches(grep, c);
}

TEST_F(TGrepFixture, EndOfInputFollowsOneRule) {
  // Start positions run to L + 1; '*' and '?' fit there with nothing; a repetition tries the rest up to
  // L + 1; a repeated string must lie wholly in the text; '.' and a set need a character.
  const MatchCase cases[] = {
      {u"[0-9]*$", u"ab12", true, 3, 4},
      {u"[0-9]*$", u"ab", true, 3, 2},
      {u"a*$", u"", true, 1, 0},
      {u"(ab)+", u"xa", false, 0, 0},  // no lone final "a"
      {u"(ab)+", u"xabab", true, 2, 5},
      {u"(ab)*c", u"ababac", true, 6, 6},
      {u"x?$", u"abx", true, 3, 3},
      {u"b?", u"", true, 1, 0},
      {u"ab?", u"xa", true, 2, 2},
      {u"a.", u"a", false, 0, 0},  // regression: '.' matched beyond the end
      {u".", u"", false, 0, 0},
      {u"a[bc]", u"a", false, 0, 0},
      {u"[0-9]+", u"ab", false, 0, 0},
      {u".+$", u"ab", true, 1, 2},
      {u"^", u"", true, 1, 0},  // the end never lies beyond the text
  };
  for (const MatchCase& c : cases) ExpectMatches(grep, c);
}

TEST_F(TGrepFixture, SearchesStartAtSearchStartPos) {
  Compile(u"ab");
  int pos = 0;
  grep.SetSearchStartPos(2);
  EXPECT_TRUE(grep.MatchString(u"ab ab", pos));
  EXPECT_EQ(pos, 4);
  grep.SetSearchStartPos(-5);  // below 1 counts as 1
  EXPECT_TRUE(grep.MatchString(u"ab ab", pos));
  EXPECT_EQ(pos, 1);
  Compile(u"a*$");
  grep.SetSearchStartPos(4);  // L + 1 is still a start position
  EXPECT_TRUE(grep.MatchString(u"abc", pos));
  EXPECT_EQ(pos, 4);
  grep.SetSearchStartPos(5);
  EXPECT_FALSE(grep.MatchString(u"abc", pos));
  Compile(u"x*");  // a lone '*' repetition: beyond a non-empty input there is nothing
  EXPECT_FALSE(grep.MatchString(u"abc", pos));
  EXPECT_TRUE(grep.MatchString(u"", pos));
  Compile(u"^a");
  grep.SetSearchStartPos(2);
  EXPECT_FALSE(grep.MatchString(u"aa", pos));
}

TEST_F(TGrepFixture, IgnoreCaseLowerCasesExpressionAndInput) {
  grep.SetIgnoreCase(true);
  grep.SetRegExp(u"ABC");
  int pos = 0;
  EXPECT_TRUE(grep.MatchString(u"xabcx", pos));
  EXPECT_EQ(pos, 2);
  EXPECT_TRUE(grep.MatchString(u"xABcx", pos));
  // Regression: the expression was lower-cased before "\#41" became 'A', so it never matched.
  grep.SetRegExp(u"x\\#41");
  EXPECT_TRUE(grep.MatchString(u"XA", pos));
  grep.SetIgnoreCase(false);  // recompiles the stored expression
  EXPECT_FALSE(grep.MatchString(u"xa", pos));
  EXPECT_TRUE(grep.MatchString(u"xA", pos));
}

TEST_F(TGrepFixture, AFailedMatchLeavesNoStaleEnd) {
  Compile(u"ab");
  int pos = -1;
  ASSERT_TRUE(grep.MatchString(u"xab", pos));
  EXPECT_FALSE(grep.MatchString(u"xaxa", pos));
  EXPECT_EQ(pos, 0);  // the first token never fitted
  EXPECT_EQ(grep.MatchEndPos(), 0);
  Compile(u"a[0-9]");
  EXPECT_FALSE(grep.MatchString(u"xaxa", pos));
  EXPECT_EQ(pos, 4);  // where token 1 last fitted
  EXPECT_EQ(grep.GetRegExpToken(1).ValidFrom, 4);
  grep.CompileRegExp(String());
  EXPECT_FALSE(grep.MatchString(u"abc", pos));  // no tokens, no match
}

TEST_F(TGrepFixture, CharactersAboveTheSetRangeAreNoMembers) {
  Compile(u"[^a]");
  int pos = 0;
  EXPECT_FALSE(grep.MatchString(u"\u03b1", pos));
  Compile(u"\u03b1+");
  EXPECT_TRUE(grep.MatchString(u"x\u03b1\u03b1", pos));
  EXPECT_EQ(grep.MatchEndPos(), 3);
}

TEST_F(TGrepFixture, BacktrackingStaysPolynomial) {
  // Regression guard: plain backtracking takes exponential time on these; remembered failures keep
  // them to a few million steps. The matches found stay those of plain backtracking.
  const String as(5000, u'a');
  int pos = 0;
  Compile(u"a*a*a*a*b");
  EXPECT_FALSE(grep.MatchString(as, pos));
  Compile(u"(aa)*(aa)*(aa)*c");
  EXPECT_FALSE(grep.MatchString(as, pos));
  Compile(u".*.*.*.*.*x");
  EXPECT_FALSE(grep.MatchString(as, pos));
  Compile(u"a*a*a*a*a$");
  EXPECT_TRUE(grep.MatchString(as, pos));
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(grep.MatchEndPos(), 5000);
  Compile(u"a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?aaaaaaaaaaaaaaaaaaaab");
  EXPECT_FALSE(grep.MatchString(String(20, u'a'), pos));
}

// The start found is the leftmost one at which any match exists, so it agrees with every backtracking
// engine on the same expression; the stretch found must itself be a match. std::regex (ECMAScript) is
// the reference; the expressions avoid two groups in a row, which this syntax joins into one string.
TEST_F(TGrepFixture, AgreesWithAReferenceEngineOnRandomExpressions) {
  std::mt19937 gen(5807);
  const char* const items[] = {"a", "b", "c", ".", "[ab]", "[^a]", "(ab)", "(ba)"};
  const char* const repeats[] = {"", "", "*", "+", "?"};
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen); };
  for (int round = 0; round < 4000; ++round) {
    std::string body;
    bool lastWasGroup = false;
    for (int i = 0, n = 1 + pick(5); i < n; ++i) {
      int item = pick(8);
      if (lastWasGroup && item >= 6) item = pick(6);
      lastWasGroup = item >= 6;
      body += items[item];
      body += repeats[pick(5)];
    }
    const bool bol = pick(4) == 0, eol = pick(4) == 0;
    const std::string expression = (bol ? "^" : "") + body + (eol ? "$" : "");
    std::string text;
    for (int i = 0, n = pick(13); i < n; ++i) text += static_cast<char>('a' + pick(3));

    ASSERT_EQ(grep.CompileRegExp(Utf8ToString(expression)), 0) << expression;
    int pos = 0;
    const bool found = grep.MatchString(Utf8ToString(text), pos);
    std::smatch m;
    const bool expected = std::regex_search(text, m, std::regex(expression));
    ASSERT_EQ(found, expected) << expression << " on \"" << text << "\"";
    if (!found) continue;
    ASSERT_EQ(pos, m.position(0) + 1) << expression << " on \"" << text << "\"";
    if (grep.LengRegExp() == 1 && grep.GetRegExpToken(1).Action == taMult0) continue;  // matches as a whole
    const int end = grep.MatchEndPos();
    ASSERT_GE(end, pos - 1);
    const std::string stretch = text.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(end - pos + 1));
    EXPECT_TRUE(std::regex_match(stretch, std::regex(body))) << expression << " on \"" << text << "\" took " << stretch;
    if (eol) {
      EXPECT_EQ(end, static_cast<int>(text.size()));
    }
  }
}

}  // namespace
