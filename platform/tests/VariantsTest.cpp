#include "Variants.h"

#include <gtest/gtest.h>

#include <limits>

#include "Assertions.h"

using namespace qelta;

TEST(Variant, EachConstructorGivesItsClassicTypeCode) {
  struct Case { Variant v; TVarType type; };
  const Case cases[] = {
      {Variant(), varEmpty},                        {Null(), varNull},
      {Variant(int16_t{1}), varSmallint},           {Variant(1), varInteger},
      {Variant(1.5f), varSingle},                   {Variant(1.5), varDouble},
      {Variant::FromCurrency(15000), varCurrency},  {Variant::FromDate(1.0), varDate},
      {Variant::FromOleStr(u"x"), varOleStr},       {Variant(true), varBoolean},
      {Variant(int8_t{-1}), varShortInt},           {Variant(uint8_t{1}), varByte},
      {Variant(uint16_t{1}), varWord},              {Variant(uint32_t{1}), varLongWord},
      {Variant(int64_t{1}), varInt64},              {Variant("ansi"), varString},
      {Variant(u"wide"), varUString},
  };
  for (const Case& c : cases) EXPECT_EQ(VarType(c.v), c.type) << StringToUtf8(VarTypeAsText(c.type));
  EXPECT_TRUE(VarIsNull(Null()));
  EXPECT_TRUE(VarIsEmpty(Unassigned()));
  EXPECT_EQ(VarTypeAsText(0x4000), u"Unknown");
}

TEST(VarToStr, TextOfEveryKind) {
  struct Case { Variant v; const char* text; };
  const Case cases[] = {
      {Null(), ""},
      {Variant(), ""},
      {Variant(true), "True"},
      {Variant(false), "False"},
      {Variant(-42), "-42"},
      {Variant(uint32_t{4000000000u}), "4000000000"},
      {Variant(0.1), "0.1"},
      {Variant(-2.5), "-2.5"},
      {Variant(1e21), "1E21"},
      {Variant(1.5e-7), "1.5E-7"},
      {Variant(123456789012345.0), "123456789012345"},
      {Variant(0.1f), "0.1"},
      {Variant::FromCurrency(12345), "1.2345"},
      {Variant::FromCurrency(-5), "-0.0005"},
      {Variant::FromCurrency(20000), "2"},
      {Variant::FromDate(45292.0), "1/1/2024"},
      {Variant::FromDate(45292.75), "1/1/2024 6:00:00 PM"},
      {Variant("\xe9t\xe9"), "été"},
      {Variant(u"wide"), "wide"},
  };
  for (const Case& c : cases) EXPECT_EQ(VarToStr(c.v), U8(c.text)) << c.text;
}

TEST(Variant, ConversionsToNumbersAndBooleans) {
  EXPECT_EQ(Variant(2.5).AsInteger(), 2);   // half to even
  EXPECT_EQ(Variant(3.5).AsInteger(), 4);
  EXPECT_EQ(Variant(true).AsInteger(), -1);
  EXPECT_EQ(Variant(u" 17 ").AsInteger(), 17);
  EXPECT_EQ(Variant("2.5").AsDouble(), 2.5);
  EXPECT_EQ(Variant::FromCurrency(25000).AsDouble(), 2.5);
  EXPECT_EQ(Variant().AsInteger(), 0);
  EXPECT_EQ(Variant().AsString(), u"");
  EXPECT_TRUE(Variant(u"TRUE").AsBoolean());
  EXPECT_FALSE(Variant(u"0").AsBoolean());
  EXPECT_TRUE(Variant(0.5).AsBoolean());
  EXPECT_EQ(Variant(1.25).AsCurrency(), 12500);
  EXPECT_EQ(static_cast<double>(Variant(7)), 7.0);
}

TEST(Variant, ImpossibleConversionsRaiseNamingBothTypes) {
  EXPECT_THROW_MSG(Null().AsInteger(), EVariantError, "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_THROW_MSG(Variant(u"abc").AsDouble(), EVariantError,
                   "Could not convert variant of type (UnicodeString) into type (Double)");
  EXPECT_THROW_MSG(Variant("yes").AsBoolean(), EVariantError, "Could not convert variant of type (String) into type (Boolean)");
  EXPECT_THROW_MSG(Variant(int64_t{1} << 40).AsInteger(), EVariantError,
                   "Could not convert variant of type (Int64) into type (Integer)");
  EXPECT_THROW_MSG(Variant(std::numeric_limits<double>::quiet_NaN()).AsInt64(), EVariantError,
                   "Could not convert variant of type (Double) into type (Int64)");
  EXPECT_THROW_MSG(Null().AsString(), EVariantError, "Could not convert variant of type (Null) into type (UnicodeString)");
  EXPECT_THROW_MSG(VarAsType(Variant(300), varByte), EVariantError,
                   "Could not convert variant of type (Integer) into type (Byte)");
}

TEST(VarAsType, ConvertsBetweenTypeCodes) {
  EXPECT_EQ(VarType(VarAsType(Variant(u"12"), varSmallint)), varSmallint);
  EXPECT_EQ(VarAsType(Variant(u"12"), varSmallint).AsInteger(), 12);
  EXPECT_EQ(VarType(VarAsType(Variant(u"x"), varOleStr)), varOleStr);
  EXPECT_EQ(VarToStr(VarAsType(Variant(1.5), varString)), u"1.5");
  EXPECT_EQ(VarType(VarAsType(Variant(7), varNull)), varNull);
}

TEST(Variant, EqualityByKind) {
  struct Case { Variant a, b; bool equal; };
  const Case cases[] = {
      {Variant(), Variant(), true},
      {Null(), Null(), true},
      {Null(), Variant(), false},
      {Variant(0), Variant(), false},
      {Variant(2), Variant(2.0), true},
      {Variant(int16_t{2}), Variant(int64_t{2}), true},
      {Variant::FromCurrency(20000), Variant(2), true},
      {Variant("abc"), Variant(u"abc"), true},
      {Variant(u"abc"), Variant(u"ABC"), false},
      {Variant(u"2"), Variant(2), false},
      {Variant(true), Variant(-1), false},
      {Variant(true), Variant(true), true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.a == c.b, c.equal) << StringToUtf8(VarToStr(c.a)) << " vs " << StringToUtf8(VarToStr(c.b));
}
