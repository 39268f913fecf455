#include "StringLists.h"

#include <gtest/gtest.h>

#include <vector>

#include "Assertions.h"
#include "FileTestKit.h"

using namespace qelta;
using qelta::test::TempDir;

namespace {

std::vector<String> Items(const TStrings& list) {
  std::vector<String> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
  return out;
}

// Counts its own destructions, for OwnsObjects.
struct Counted : TObject {
  explicit Counted(int* counter) : n(counter) {}
  ~Counted() override { ++*n; }
  int* n;
};

}  // namespace

TEST(TStringList, IndexErrorsNameTheIndex) {
  TStringList list;
  list.Add(u"a");
  EXPECT_THROW_MSG(list.Strings(1), EListError, "List index out of bounds (1)");
  EXPECT_THROW_MSG(list.Delete(-1), EListError, "List index out of bounds (-1)");
  EXPECT_THROW_MSG(list.Insert(2, u"x"), EListError, "List index out of bounds (2)");
  EXPECT_THROW_MSG(list.SetObjects(5, nullptr), EListError, "List index out of bounds (5)");
  list.Insert(1, u"b");  // Insert at Count appends
  EXPECT_EQ(Items(list), (std::vector<String>{u"a", u"b"}));
}

TEST(TStringList, IndexOfIgnoresCaseOfAToZUnlessCaseSensitive) {
  TStringList list;
  list.Add(u"Alpha");
  list.Add(U8("Ärger"));
  EXPECT_EQ(list.IndexOf(u"ALPHA"), 0);
  EXPECT_EQ(list.IndexOf(U8("ärger")), -1);  // only A-Z are folded
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(u"ALPHA"), -1);
  EXPECT_EQ(list.IndexOf(u"Alpha"), 0);
}

TEST(TStringList, SortedListKeepsOrderAndAppliesDuplicates) {
  TStringList list;
  list.SetSorted(true);
  for (const char16_t* s : {u"pear", u"Apple", u"fig", u"apple"}) list.Add(s);
  EXPECT_EQ(Items(list), (std::vector<String>{u"Apple", u"fig", u"pear"}));  // dupIgnore dropped "apple"
  list.SetDuplicates(dupAccept);
  EXPECT_EQ(list.Add(u"APPLE"), 0);
  EXPECT_EQ(list.Count(), 4);
  list.SetDuplicates(dupError);
  EXPECT_THROW_MSG(list.Add(u"Fig"), EListError, "String list does not allow duplicates");
  EXPECT_THROW_MSG(list.Insert(0, u"x"), EListError, "Operation not allowed on sorted list");
  int index = -1;
  EXPECT_FALSE(list.Find(u"grape", index));
  EXPECT_EQ(index, 3);
  EXPECT_TRUE(list.Find(u"PEAR", index));
  EXPECT_EQ(index, 3);
}

TEST(TStringList, FindOnAnUnsortedListSearchesLinearly) {
  TStringList list;
  list.SetCommaText(u"c,a,b");
  int index = -1;
  EXPECT_TRUE(list.Find(u"b", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find(u"z", index));
  EXPECT_EQ(index, 3);
}

TEST(TStrings, TextSplitsOnEveryLineEndAndJoinsWithCrLf) {
  struct Case { const char16_t* text; std::vector<String> items; };
  const Case cases[] = {
      {u"a\r\nb\r\n", {u"a", u"b"}}, {u"a\nb", {u"a", u"b"}},  {u"a\rb\r", {u"a", u"b"}},
      {u"a\n\nb", {u"a", u"", u"b"}}, {u"\r\n", {u""}},       {u"", {}},
      {u"a\n\r\nb", {u"a", u"", u"b"}},
  };
  TStringList list;
  for (const Case& c : cases) {
    list.SetText(c.text);
    EXPECT_EQ(Items(list), c.items) << StringToUtf8(c.text);
  }
  list.SetText(u"x\ny");
  EXPECT_EQ(list.Text(), u"x\r\ny\r\n");
}

TEST(TStrings, CommaTextQuotesWhatNeedsIt) {
  struct Case { std::vector<String> items; const char16_t* comma; };
  const Case cases[] = {
      {{u"a", u"b c", u"d,e", u"say \"hi\""}, u"a,\"b c\",\"d,e\",\"say \"\"hi\"\"\""},
      {{u""}, u"\"\""},
      {{u"a", u"", u"b"}, u"a,,b"},
      {{}, u""},
  };
  for (const Case& c : cases) {
    TStringList list;
    for (const String& s : c.items) list.Add(s);
    EXPECT_EQ(list.CommaText(), c.comma);
    TStringList back;
    back.SetCommaText(c.comma);
    EXPECT_EQ(Items(back), c.items) << StringToUtf8(c.comma);
  }
}

TEST(TStrings, SetCommaTextSplitsOnBlanksAndKeepsATrailingEmptyItem) {
  struct Case { const char16_t* comma; std::vector<String> items; };
  const Case cases[] = {
      {u"a b", {u"a", u"b"}},           {u"  a , b  ", {u"a", u"b"}}, {u"a,", {u"a", u""}},
      {u"\"x y\"z", {u"x y", u"z"}},    {u"\"open", {u"open"}},       {u",a", {u"", u"a"}},
  };
  for (const Case& c : cases) {
    TStringList list;
    list.SetCommaText(c.comma);
    EXPECT_EQ(Items(list), c.items) << StringToUtf8(c.comma);
  }
}

// A NUL character was neither blank nor part of an item, so SetCommaText added empty items forever.
TEST(TStrings, SetCommaTextKeepsANulCharacterInItsItem) {
  const String nul(1, u'\0');
  TStringList list;
  list.SetCommaText(u"a" + nul + u"b," + nul);
  EXPECT_EQ(Items(list), (std::vector<String>{u"a" + nul + u"b", nul}));
  TStringList back;
  back.SetCommaText(list.CommaText());
  EXPECT_EQ(Items(back), Items(list));
}

TEST(TStrings, NamesAndValues) {
  TStringList list;
  list.SetText(u"Width=10\nplain\nheight=a=b\n");
  EXPECT_EQ(list.Names(0), u"Width");
  EXPECT_EQ(list.Names(1), u"");
  EXPECT_EQ(list.Values(u"WIDTH"), u"10");
  EXPECT_EQ(list.Values(u"height"), u"a=b");
  EXPECT_EQ(list.Values(u"plain"), u"");
  list.SetValues(u"width", u"12");
  EXPECT_EQ(list.Strings(0), u"width=12");
  list.SetValues(u"depth", u"3");
  EXPECT_EQ(list.Strings(3), u"depth=3");
  list.SetValues(u"Height", u"");
  EXPECT_EQ(list.IndexOfName(u"height"), -1);
  EXPECT_EQ(list.Count(), 3);
}

TEST(TStringList, OnChangeFiresPerChangeOrOncePerUpdateBatch) {
  TStringList list;
  int changes = 0;
  list.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    ++changes;
  };
  list.Add(u"a");
  list.Add(u"b");
  EXPECT_EQ(changes, 2);
  list.BeginUpdate();
  list.BeginUpdate();
  list.Delete(0);
  list.Add(u"c");
  list.EndUpdate();
  EXPECT_EQ(changes, 2);
  list.EndUpdate();
  EXPECT_EQ(changes, 3);
  list.SetText(u"x\ny\nz");
  EXPECT_EQ(changes, 4);
}

TEST(TStringList, OwnsObjectsFreesThemOnDeleteClearAndDestruction) {
  int freed = 0;
  {
    TStringList list(true);
    list.AddObject(u"a", new Counted(&freed));
    list.AddObject(u"b", new Counted(&freed));
    list.AddObject(u"c", new Counted(&freed));
    list.Delete(0);
    EXPECT_EQ(freed, 1);
    list.Clear();
    EXPECT_EQ(freed, 3);
    list.AddObject(u"d", new Counted(&freed));
  }
  EXPECT_EQ(freed, 4);
  Counted kept(&freed);
  {
    TStringList borrowed;
    borrowed.AddObject(u"k", &kept);
    EXPECT_EQ(borrowed.Objects(0), &kept);
  }
  EXPECT_EQ(freed, 4);
}

TEST(TStrings, FilesAndStreamsUseWindows1252AndCrLf) {
  TempDir dir;
  TStringList list;
  list.SetText(U8("Maß\n€5"));
  list.SaveToFile(dir / "l.txt");
  EXPECT_EQ(dir.Get("l.txt"), "Ma\xdf\r\n\x80\x35\r\n");
  dir.Put("m.txt", "one\rtwo\nthree");
  TStringList back;
  back.LoadFromFile(dir / "m.txt");
  EXPECT_EQ(Items(back), (std::vector<String>{u"one", u"two", u"three"}));
  TStringStream s(u"skip|a\r\nb");
  s.SetPosition(5);
  back.LoadFromStream(s);
  EXPECT_EQ(Items(back), (std::vector<String>{u"a", u"b"}));
  EXPECT_THROW(back.LoadFromFile(dir / "none"), EFOpenError);
}

TEST(TStrings, AssignCopiesStringsAndObjects) {
  TStringList a, b;
  TObject marker;
  a.AddObject(u"x", &marker);
  a.Add(u"y");
  b.Add(u"old");
  b.Assign(&a);
  EXPECT_EQ(Items(b), Items(a));
  EXPECT_EQ(b.Objects(0), &marker);
  TPersistent other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
}
