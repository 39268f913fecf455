#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "Assertions.h"
#include "DirectPaths.h"
#include "Encoding.h"

using namespace qelta;

TEST(Encoding, EveryAnsiByteSurvivesARoundTrip) {
  for (int b = 0; b < 256; ++b) {
    const AnsiString one(1, static_cast<char>(b));
    const String wide = AnsiToString(one);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_EQ(StringToAnsi(wide), one) << "byte " << b;
    EXPECT_EQ(AnsiCharToChar(static_cast<unsigned char>(b)), wide[0]);
  }
}

TEST(Encoding, HighBlockMapsToWindows1252Characters) {
  // Reference: the Windows-1252 code chart (0x80-0x9F), unassigned bytes kept as C1 controls.
  const struct { unsigned char byte; Char ch; } table[] = {
      {0x80, 0x20AC}, {0x81, 0x0081}, {0x83, 0x0192}, {0x85, 0x2026}, {0x89, 0x2030}, {0x8A, 0x0160},
      {0x8C, 0x0152}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x93, 0x201C}, {0x96, 0x2013},
      {0x99, 0x2122}, {0x9D, 0x009D}, {0x9E, 0x017E}, {0x9F, 0x0178}, {0xA0, 0x00A0}, {0xFF, 0x00FF}};
  for (const auto& t : table) {
    EXPECT_EQ(AnsiCharToChar(t.byte), t.ch) << int(t.byte);
    EXPECT_EQ(CharToAnsiChar(t.ch), t.byte) << int(t.byte);
  }
}

TEST(Encoding, UnmappableCharactersBecomeQuestionMarks) {
  const struct { const char16_t* text; const char* ansi; } table[] = {
      {u"a\u0100b", "a?b"},   // Latin Extended-A letter outside the code page
      {u"\u4E2D", "?"},       // CJK
      {u"\u0080\u009F", "??"},  // C1 controls that the code page assigns to other characters
      {u"x\xD800y", "x?y"},   // lone high surrogate
      {u"\xDC00", "?"},       // lone low surrogate
  };
  for (const auto& t : table) EXPECT_EQ(StringToAnsi(t.text), AnsiString(t.ansi));
}

TEST(Encoding, SurrogatePairBecomesOneQuestionMark) {
  // Each half of a pair used to give its own '?', so one character took two bytes.
  EXPECT_EQ(StringToAnsi(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(StringToAnsi(u"\U0001D11E\U0001D11E"), "??");
}

TEST(Encoding, EveryCharacterFindsItsByteOrAQuestionMark) {
  // The reverse look-up of the high block against the forward table, for all 65536 characters.
  for (uint32_t c = 0; c <= 0xFFFF; ++c) {
    unsigned char expected = '?';
    for (int b = 0; b < 256; ++b)
      if (AnsiCharToChar(static_cast<unsigned char>(b)) == c) expected = static_cast<unsigned char>(b);
    ASSERT_EQ(CharToAnsiChar(static_cast<Char>(c)), expected) << c;
  }
}

TEST(Encoding, ChunkedConversionEqualsTheWholeOne) {
  // Plain runs, Latin-1, the high block, unmappable characters and surrogate pairs, cut at every
  // chunk size so that pieces end inside runs and between the halves of a pair; and every character
  // one by one (the reference), so that blocks taken sixteen at a time are checked too.
  const Char pool[] = {u'a', u'Z', u'7', 0xE9, 0x80, 0x9F, 0xFF, 0x20AC, 0x2122, 0x4E2D, 0xD83D, 0xDE00, 0xDC00};
  std::mt19937 gen(11);
  for (const size_t kinds : {size_t{10}, std::size(pool)}) {  // without surrogates, then with them
    String text;
    for (int i = 0; i < 1500; ++i) {
      const bool run = gen() % 3 == 0;
      for (uint32_t k = 0, n = run ? 1 + gen() % 20 : 1; k < n; ++k) text += pool[run ? gen() % 3 : gen() % kinds];
    }
    AnsiString reference;
    for (size_t i = 0; i < text.size(); ++i) {
      const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
      reference += static_cast<char>(CharToAnsiChar(text[i]));
      i += pair ? 1 : 0;
    }
    for (const bool direct : {true, false}) {  // 32 characters at a time (AVX2) and 16 (SSE2)
      const bool saved = platform_detail::SetDirectPaths(direct);
      EXPECT_EQ(StringToAnsi(text), reference);
      for (std::size_t room : {1u, 2u, 7u, 15u, 16u, 17u, 31u, 32u, 33u, 64u, 4096u}) {
        AnsiString pieces;
        std::vector<char> buf(room);
        for (std::size_t pos = 0; pos < text.size();) pieces.append(buf.data(), StringToAnsiChunk(text, pos, buf.data(), room));
        EXPECT_EQ(pieces, reference) << room << (direct ? " direct" : "");
      }
      platform_detail::SetDirectPaths(saved);
    }
  }
}

TEST(Encoding, WideningSixteenAtATimeEqualsByteByByte) {
  // Every byte, the high block 0x80-0x9F dense and sparse, at every offset and length around the blocks of
  // sixteen, so that the tail and the lanes looked up are checked as well as the plain lanes.
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  for (int i = 0; i < 64; ++i) bytes += static_cast<char>(i % 5 == 0 ? 0x80 + i % 32 : 'a' + i % 26);
  for (std::size_t from = 0; from < 17; ++from)
    for (std::size_t n = 0; n + from <= bytes.size(); n += n < 40 ? 1 : 29) {
      const std::string_view piece = std::string_view(bytes).substr(from, n);
      String expected;
      for (const char c : piece) expected += AnsiCharToChar(static_cast<unsigned char>(c));
      ASSERT_EQ(AnsiToString(piece), expected) << from << " " << n;
    }
}

TEST(Encoding, Utf8RoundTripKeepsEveryPlane) {
  const String text = u"A\u00E9\u20AC\U0001F600z";
  EXPECT_EQ(StringToUtf8(text), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
  EXPECT_EQ(Utf8ToString(StringToUtf8(text)), text);
}

TEST(Encoding, MalformedUtf8BecomesReplacementCharacters) {
  const struct { const char* utf8; const char16_t* text; } table[] = {
      {"a\x80z", u"a\uFFFDz"},              // stray continuation byte
      {"\xC3", u"\uFFFD"},                  // truncated sequence
      {"\xE2\x82z", u"\uFFFDz"},            // sequence cut by an ASCII byte
      {"\xC0\xAF", u"\uFFFD"},              // overlong encoding
      {"\xED\xA0\x80", u"\uFFFD"},          // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD"},      // beyond U+10FFFF
      {"\xFF", u"\uFFFD"},
  };
  for (const auto& t : table) EXPECT_EQ(Utf8ToString(t.utf8), String(t.text)) << t.utf8;
  EXPECT_EQ(StringToUtf8(u"\xD800"), "\xEF\xBF\xBD");
}

TEST(Encoding, CodePointsBecomeOneOrTwoUnits) {
  EXPECT_EQ(CodePointToString(0x41), u"A");
  EXPECT_EQ(CodePointToString(0xFFFF), u"\uFFFF");
  EXPECT_EQ(CodePointToString(0x1F600), u"\U0001F600");
  EXPECT_EQ(CodePointToString(0x10FFFF), u"\U0010FFFF");
  EXPECT_EQ(CodePointToString(0xD800), u"\uFFFD");
  EXPECT_EQ(CodePointToString(0x110000), u"\uFFFD");
}
