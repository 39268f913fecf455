#include "StringLists.h"

#include <algorithm>
#include <string>

#include "Encoding.h"
#include "Exceptions.h"
#include "StrUtils.h"

namespace qelta {
namespace {

bool NeedsQuotes(const String& s) {
  return std::any_of(s.begin(), s.end(), [](Char c) { return c <= u' ' || c == u'"' || c == u','; });
}

String Quoted(const String& s) {
  String out = u"\"";
  for (Char c : s) {
    out.push_back(c);
    if (c == u'"') out.push_back(u'"');
  }
  out.push_back(u'"');
  return out;
}

bool IsSpace(Char c) { return c >= 1 && c <= u' '; }

// Reads a quoted item at text[i] (a double quote); "" inside stands for one quote; an unclosed quote runs to the end.
String ExtractQuoted(const String& text, std::size_t& i) {
  String item;
  for (++i; i < text.size(); ++i) {
    if (text[i] != u'"') {
      item.push_back(text[i]);
    } else if (i + 1 < text.size() && text[i + 1] == u'"') {
      item.push_back(u'"');
      ++i;
    } else {
      ++i;
      break;
    }
  }
  return item;
}

}  // namespace

// [SECTION] TStrings

int TStrings::Add(const String& s) {
  const int index = Count();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const String& s, TObject* object) {
  const int index = Add(s);
  SetObjects(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings& other) {
  BeginUpdate();
  try {
    for (int i = 0; i < other.Count(); ++i) AddObject(other.Strings(i), other.Objects(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const String& s) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Strings(i), s) == 0) return i;
  return -1;
}

void TStrings::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TStrings*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(*other);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::Text() const {
  String text;
  for (int i = 0; i < Count(); ++i) text += Strings(i) + u"\r\n";
  return text;
}

void TStrings::SetText(const String& text) {
  BeginUpdate();
  try {
    Clear();
    for (std::size_t i = 0; i < text.size();) {
      const std::size_t end = text.find_first_of(u"\r\n", i);
      if (end == String::npos) {
        Add(text.substr(i));
        break;
      }
      Add(text.substr(i, end - i));
      const bool crlf = text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n';
      i = end + (crlf ? 2 : 1);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::CommaText() const {
  if (Count() == 1 && Strings(0).empty()) return u"\"\"";
  String text;
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) text.push_back(u',');
    const String s = Strings(i);
    text += NeedsQuotes(s) ? Quoted(s) : s;
  }
  return text;
}

void TStrings::SetCommaText(const String& text) {
  BeginUpdate();
  try {
    Clear();
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    while (i < text.size()) {
      if (text[i] == u'"') {
        Add(ExtractQuoted(text, i));
      } else {
        // A NUL is neither blank nor separator: kept inside the item, so that the scan always advances.
        const std::size_t start = i;
        while (i < text.size() && (text[i] > u' ' || text[i] == 0) && text[i] != u',') ++i;
        Add(text.substr(start, i - start));
      }
      while (i < text.size() && IsSpace(text[i])) ++i;
      if (i < text.size() && text[i] == u',') {
        if (i + 1 == text.size()) Add(String());
        do ++i;
        while (i < text.size() && IsSpace(text[i]));
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::Names(int index) const {
  const String s = Strings(index);
  const std::size_t eq = s.find(u'=');
  return eq == String::npos ? String() : s.substr(0, eq);
}

int TStrings::IndexOfName(const String& name) const {
  for (int i = 0; i < Count(); ++i) {
    const String s = Strings(i);
    const std::size_t eq = s.find(u'=');
    if (eq != String::npos && CompareStrings(s.substr(0, eq), name) == 0) return i;
  }
  return -1;
}

String TStrings::Values(const String& name) const {
  const int i = IndexOfName(name);
  if (i < 0) return String();
  const String s = Strings(i);
  return s.substr(s.find(u'=') + 1);
}

void TStrings::SetValues(const String& name, const String& value) {
  const int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(name + u"=" + value);
  } else {
    SetStrings(i, name + u"=" + value);
  }
}

void TStrings::LoadFromStream(TStream& stream) {
  const int64_t size = std::max<int64_t>(0, stream.Size() - stream.Position());
  std::string bytes(static_cast<std::size_t>(size), '\0');
  bytes.resize(static_cast<std::size_t>(std::max<int64_t>(0, stream.Read(bytes.data(), size))));
  SetText(AnsiToString(bytes));
}

void TStrings::SaveToStream(TStream& stream) const {
  const AnsiString bytes = StringToAnsi(Text());
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TStrings::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TStrings::SaveToFile(const String& fileName) const {
  SaveWholeFile(fileName, [this](TStream& file) { SaveToStream(file); });
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const String& a, const String& b) const { return CompareText(a, b); }

void TStrings::RaiseIndexError(int index) {
  throw EListError(Utf8ToString("List index out of bounds (" + std::to_string(index) + ")"));
}

// [SECTION] TStringList

TStringList::~TStringList() {
  if (FOwnsObjects)
    for (TItem& item : FList) delete item.O;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) RaiseIndexError(index);
}

String TStringList::Strings(int index) const {
  CheckIndex(index);
  return FList[static_cast<std::size_t>(index)].S;
}

void TStringList::SetStrings(int index, const String& s) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  CheckIndex(index);
  FList[static_cast<std::size_t>(index)].S = s;
  Changed();
}

TObject* TStringList::Objects(int index) const {
  CheckIndex(index);
  return FList[static_cast<std::size_t>(index)].O;
}

void TStringList::SetObjects(int index, TObject* object) {
  CheckIndex(index);
  FList[static_cast<std::size_t>(index)].O = object;
  Changed();
}

int TStringList::Add(const String& s) {
  int index = Count();
  if (FSorted && Find(s, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) throw EListError("String list does not allow duplicates");
  }
  InsertItem(index, s, nullptr);
  return index;
}

void TStringList::Insert(int index, const String& s) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  if (index < 0 || index > Count()) RaiseIndexError(index);
  InsertItem(index, s, nullptr);
}

void TStringList::InsertItem(int index, const String& s, TObject* object) {
  FList.insert(FList.begin() + index, TItem{s, object});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  TObject* object = FList[static_cast<std::size_t>(index)].O;
  FList.erase(FList.begin() + index);
  if (FOwnsObjects) delete object;
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  std::vector<TItem> old;
  old.swap(FList);
  if (FOwnsObjects)
    for (TItem& item : old) delete item.O;
  Changed();
}

int TStringList::IndexOf(const String& s) const {
  if (!FSorted) return TStrings::IndexOf(s);
  int index = 0;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const String& s, int& index) const {
  if (!FSorted) {
    index = TStrings::IndexOf(s);
    if (index >= 0) return true;
    index = Count();
    return false;
  }
  const auto it = std::lower_bound(FList.begin(), FList.end(), s,
                                   [this](const TItem& item, const String& key) { return CompareStrings(item.S, key) < 0; });
  index = static_cast<int>(it - FList.begin());
  return it != FList.end() && CompareStrings(it->S, s) == 0;
}

void TStringList::Sort() {
  std::stable_sort(FList.begin(), FList.end(),
                   [this](const TItem& a, const TItem& b) { return CompareStrings(a.S, b.S) < 0; });
  Changed();
}

void TStringList::SetSorted(bool value) {
  if (value == FSorted) return;
  if (value) Sort();
  FSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == FCaseSensitive) return;
  FCaseSensitive = value;
  if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool updating) {
  if (!updating) Changed();
}

int TStringList::CompareStrings(const String& a, const String& b) const {
  return FCaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

}  // namespace qelta
