// Qelta_filesys: path and name helpers, special folders and the environment.
//
// The pure helpers split at '\', '/' and a drive colon through the platform's ExtractFilePath and
// ExtractFileName. DOSToWinPath lists each folder and takes the entry that equals the part exactly, else
// the first that equals it ignoring the case of A-Z; it never treats a part as a mask.

#include <algorithm>

#include "FileSys.h"
#include "Qelta_filesys.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"

namespace qelta {

namespace {

bool IsSeparator(Char c) { return c == u'\\' || c == u'/'; }

bool IsDOS83Char(Char c) {
  static constexpr std::u16string_view others = u".:\\/@!#$%&'()-^_{}~`";
  return IsDigitLetter(c) || others.find(c) != std::u16string_view::npos;
}

/// Name of the entry of folder dir that equals part (exactly, else ignoring the case of A-Z); "" when none.
String ReportedName(const String& dir, const String& part) {
  String best;
  TSearchRec r;
  if (FindFirst(dir + u"*", faAnyFile, r) == 0) {
    do {
      if (r.Name == part) {
        best = r.Name;
        break;
      }
      if (best.empty() && SameText(r.Name, part)) best = r.Name;
    } while (FindNext(r) == 0);
  }
  FindClose(r);
  return best;
}

}  // namespace

String StripExtension(const String& FileName) {
  const String path = ExtractFilePath(FileName);
  const String name = ExtractFileName(FileName);
  return path + name.substr(0, name.find(u'.'));
}

String StripPath(const String& FileName) { return ExtractFileName(FileName); }

int ExtractDrive(const String& Path) {
  if (Path.size() < 2 || Path[1] != u':') return -1;
  const Char c = Path[0];
  if (c >= u'A' && c <= u'Z') return c - u'A';
  if (c >= u'a' && c <= u'z') return c - u'a';
  return 0;
}

String EnsureDefaultFileExt(const String& FileName, const String& Ext) {
  if (Ext.empty() || !ExtractFileExt(FileName).empty()) return FileName;
  return FileName + (Ext[0] == u'.' ? u"" : u".") + Ext;
}

String AbridgeFilePath(const String& Path, int MaxLength) {
  static constexpr char16_t separators[] = u"\\/";
  String s = Path;
  std::size_t at = s.find_first_of(separators);
  while (at != String::npos && static_cast<int>(s.size()) >= MaxLength) {
    const std::size_t next = s.find_first_of(separators, at + 1);
    if (next == String::npos) break;  // only the file name is left
    s.replace(at + 1, next - at - 1, u"..");
    at += 3;
  }
  return s;
}

String DOSToWinPath(const String& Path) {
  const String full = ExpandFileName(Path);
  if (full.empty()) return Path;
  String result;
  std::size_t i = 0;
  while (i < full.size()) {
    while (i < full.size() && full[i] == u'/') ++i;
    const std::size_t end = std::min(full.find(u'/', i), full.size());
    if (end == i) break;
    const String name = ReportedName(result + u"/", full.substr(i, end - i));
    if (name.empty()) return Path;
    result += u"/" + name;
    i = end;
  }
  return result.empty() || full.back() == u'/' ? result + u"/" : result;
}

bool IsDOS83Path(const String& Path) {
  int run = 0;
  for (const Char c : Path) {
    if (!IsDOS83Char(c)) return false;
    run = (IsSeparator(c) || c == u'.') ? 0 : run + 1;
    if (run > 8) return false;
  }
  return true;
}

String GetSystemDir() { return GetSystemDirectory(); }
String GetWindowsDir() { return GetWindowsDirectory(); }
String GetTempDir() { return GetTempPath(); }

String GetEnviroVar(const String& Name) {
  String value;
  for (const String& entry : GetEnvironmentStrings()) {
    const std::size_t eq = entry.find(u'=');
    if (eq != String::npos && SameText(entry.substr(0, eq), Name)) value = entry.substr(eq + 1);
  }
  return value;
}

}  // namespace qelta
