// TGrep: the compiler's state machine and the backtracking matcher.
//
// Compiler. "\#hh" escapes are expanded first (a backslash preceded by a backslash starts none; an
// expanded character may complete a further escape, so the text is scanned again from three places
// before it), then the expression is lower-cased for IgnoreCase, so an escaped capital matches too.
// States: 0 start, 1 after an item, 2 after '[', 3 inside a set, 4 after ']', 5 inside a group, 6 after
// ')', 7 after '$'. A backslash takes the next character literally; a lone backslash at the end is a
// literal backslash. Deliberate choices where the state table says nothing sensible:
//  - a '-' right before ']' or at the end of the expression is a member, and a range takes exactly one
//    character after the '-';
//  - an expression that ends inside a set closes it (a negated set is inverted as at ']');
//  - repeating a repetition or an empty group "()" is error 9 (an empty group repeated would otherwise
//    become "any character");
//  - more than 64 tokens or 256 characters in one token is error 10, never a write beyond the table.
//
// Matcher. Match(k, p): do tokens k.. match from position p (1-based, up to L + 1)? A repetition tries
// the rest after 0 (or 1) occurrences, then after one more, up to the end of its run. Failures of
// Match(k, p) are remembered for every token that can be reached more than once at one position: the
// repetitions themselves and the tokens after them. When a repetition's loop fails, every position it
// passed fails too (its own tries from there are a suffix of the ones just made), so a later loop stops
// at the first such position: each (token, position) pair is worked through once per call, and the
// result and the positions found are those of plain backtracking.

#include <algorithm>

#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "TextFiles.h"

namespace qelta {

namespace {

constexpr Char kMember = u'*';
constexpr Char kNonMember = u' ';

const char16_t* const kErrorTexts[] = {
    u"no errors",
    u"reg.exp. must not start with $, *, ?, or +",
    u"circumflex not allowed here",
    u"no character allowed after end of line",
    u"empty set",
    u"circumflex has to be quoted in set",
    u"mismatch of set brackets",
    u"minus not allowed here",
    u"mismatch of group brackets",
    u"*, ?, + have to be applied to groups or sets only",
    u"reg.exp. too long",
};

bool IsRepetition(TGrepTokenAct a) { return a == taMult0 || a == taMult1 || a == taOpti; }

TGrepTokenAct RepetitionOf(Char c) { return c == u'*' ? taMult0 : c == u'+' ? taMult1 : taOpti; }

bool IsRepeatChar(Char c) { return c == u'*' || c == u'+' || c == u'?'; }

// [SECTION] compiler

bool EscapeAt(const String& s, std::size_t i) {
  return s[i] == u'\\' && (i == 0 || s[i - 1] != u'\\') && s[i + 1] == u'#' && IsHexChar(s[i + 2]) &&
         IsHexChar(s[i + 3]);
}

// Replaces each "\#hh" by the character of code hh, until none is left.
String ExpandHexEscapes(String s) {
  std::size_t i = 0;
  while (i + 3 < s.size()) {
    if (!EscapeAt(s, i)) {
      ++i;
      continue;
    }
    int pos = 1;
    const Char c = static_cast<Char>(ScanHex(s.substr(i + 2, 2), pos));
    s.replace(i, 4, 1, c);
    i = i >= 3 ? i - 3 : 0;
  }
  return s;
}

class TCompiler {
 public:
  TCompiler(TRegExp& tokens, int& count) : FTok(tokens), FCount(count) {}

  int Run(const String& e) {
    std::size_t i = 0;
    while (i < e.size() && FError == 0) {
      Char c = e[i++];
      bool escaped = false;
      if (c == u'\\') {
        escaped = true;
        if (i < e.size()) c = e[i++];
      }
      Step(c, escaped, e, i);
    }
    if (FError == 0 && (FState == 2 || FState == 3)) CloseSet();
    return FError;
  }

 private:
  TGrepToken& Last() { return FTok[static_cast<std::size_t>(FCount - 1)]; }

  bool NewToken(TGrepTokenAct action) {
    if (FCount >= GrepMaxTokens) return Fail(10);
    ++FCount;
    Last() = TGrepToken{};
    Last().Action = action;
    return true;
  }

  bool Fail(int code) {
    FError = code;
    return false;
  }

  void NewLiteral(Char c) {
    if (NewToken(taNormal)) Append(c);
  }

  void NewItemLiteral(Char c) {
    NewLiteral(c);
    FState = 1;
  }

  void Append(Char c) {
    if ((FCount == 0 || Last().Action != taNormal) && !NewToken(taNormal)) return;
    TGrepToken& t = Last();
    if (t.NumChars >= GrepMaxTokenChars) {
      Fail(10);
      return;
    }
    t.Params[static_cast<std::size_t>(t.NumChars++)] = c;
  }

  void NewSet() {
    if (!NewToken(taSet)) return;
    Last().NumChars = -1;
    Last().Params.fill(kNonMember);
    FNegated = false;
    FHaveMember = false;
    FState = 2;
  }

  void AddMember(Char c) {
    if (c < 256) Last().Params[c] = kMember;
    FLastMember = c;
    FHaveMember = true;
    FState = 3;
  }

  void AddRange(Char a, Char b) {
    const Char lo = std::min(a, b), hi = std::max(a, b);
    for (unsigned code = lo; code <= std::min<unsigned>(hi, 255); ++code) Last().Params[code] = kMember;
    FLastMember = b;
  }

  void Negate() {
    FNegated = true;
    FState = 3;
  }

  void CloseSet() {
    if (FNegated)
      for (Char& flag : Last().Params) flag = flag == kMember ? kNonMember : kMember;
    FState = 4;
  }

  // '*', '+' or '?' after a literal, '.' or set (state 1).
  void RepeatLast(TGrepTokenAct a) {
    TGrepToken& t = Last();
    if (t.Action == taNormal && t.NumChars == 1) {
      t.Action = a;
    } else if (t.Action == taNormal && t.NumChars > 1) {
      const Char c = t.Params[static_cast<std::size_t>(--t.NumChars)];
      t.Params[static_cast<std::size_t>(t.NumChars)] = 0;
      if (NewToken(a)) {
        Last().NumChars = 1;
        Last().Params[0] = c;
      }
    } else if (t.Action == taSet) {
      t.Action = a;
    } else if (t.Action == taAnyByte) {
      t.Action = a;
      t.NumChars = 0;
    } else {
      Fail(9);
    }
  }

  // '*', '+' or '?' after ']' or ')': the set, resp. the whole group string, is repeated.
  void RepeatWhole(TGrepTokenAct a, TGrepTokenAct expected) {
    TGrepToken& t = Last();
    if (t.Action != expected || t.NumChars == 0) {
      Fail(9);
      return;
    }
    t.Action = a;
  }

  // An item after another item, a set or a group (states 1, 4, 6).
  bool StartsItem(Char c, bool escaped) {
    if (escaped) return false;
    switch (c) {
      case u'$': if (NewToken(taEol)) FState = 7; return true;
      case u'(': if (NewToken(taNormal)) FState = 5; return true;
      case u')': Fail(8); return true;
      case u'.': if (NewToken(taAnyByte)) FState = 1; return true;
      case u'[': NewSet(); return true;
      case u']': Fail(6); return true;
      default: return false;
    }
  }

  void Step(Char c, bool escaped, const String& e, std::size_t& i) {
    switch (FState) {
      case 0: StepStart(c, escaped); break;
      case 1: StepAfterItem(c, escaped); break;
      case 2: StepSetStart(c, escaped); break;
      case 3: StepInSet(c, escaped, e, i); break;
      case 4: StepAfterSet(c, escaped); break;
      case 5: StepInGroup(c, escaped); break;
      case 6: StepAfterGroup(c, escaped); break;
      default: Fail(3); break;
    }
  }

  void StepStart(Char c, bool escaped) {
    if (!escaped && (c == u'$' || IsRepeatChar(c))) {
      Fail(1);
    } else if (!escaped && c == u'^') {
      if (NewToken(taBol)) FState = 1;
    } else if (!StartsItem(c, escaped)) {
      NewItemLiteral(c);
    }
  }

  void StepAfterItem(Char c, bool escaped) {
    if (!escaped && IsRepeatChar(c)) RepeatLast(RepetitionOf(c));
    else if (!escaped && c == u'^') Fail(2);
    else if (!StartsItem(c, escaped)) Append(c);
  }

  void StepSetStart(Char c, bool escaped) {
    if (escaped) AddMember(c);
    else if (c == u']') Fail(4);
    else if (c == u'^') Negate();
    else if (c == u'-') Fail(7);
    else AddMember(c);
  }

  void StepInSet(Char c, bool escaped, const String& e, std::size_t& i) {
    if (escaped) {
      AddMember(c);
    } else if (c == u']') {
      CloseSet();
    } else if (c == u'^') {
      Fail(5);
    } else if (c != u'-' || i >= e.size() || e[i] == u']') {
      AddMember(c);  // also a '-' that ends the set or the expression
    } else if (!FHaveMember) {
      Fail(7);
    } else {
      Char hi = e[i++];
      if (hi == u'\\' && i < e.size()) hi = e[i++];
      AddRange(FLastMember, hi);
    }
  }

  void StepAfterSet(Char c, bool escaped) {
    if (!escaped && IsRepeatChar(c)) RepeatWhole(RepetitionOf(c), taSet);
    else if (!escaped && c == u'^') Fail(2);
    else if (!escaped && c == u'-') Fail(7);
    else if (!StartsItem(c, escaped)) NewItemLiteral(c);
  }

  void StepInGroup(Char c, bool escaped) {
    if (!escaped && c == u')') FState = 6;
    else if (!escaped && c == u'^') Fail(2);
    else Append(c);
  }

  void StepAfterGroup(Char c, bool escaped) {
    if (!escaped && IsRepeatChar(c)) RepeatWhole(RepetitionOf(c), taNormal);
    else if (!escaped && c == u'^') Fail(2);
    else if (!escaped && c == u'(') FState = 5;  // appends to the same token
    else if (!StartsItem(c, escaped)) NewItemLiteral(c);
  }

  TRegExp& FTok;
  int& FCount;
  int FError = 0;
  int FState = 0;
  bool FNegated = false;
  bool FHaveMember = false;
  Char FLastMember = 0;
};

// [SECTION] matcher

class TMatcher {
 public:
  TMatcher(TRegExp& tokens, int count, const String& text, int& endPos)
      : FTok(tokens), FLast(count - 1), FText(text), FLen(static_cast<int>(text.size())), FEnd(endPos),
        FFailed(static_cast<std::size_t>(count)) {
    for (int k = 0; k < count; ++k)
      FMemo.push_back(IsRepetition(Tok(k).Action) || (k > 0 && IsRepetition(Tok(k - 1).Action)));
  }

  bool Run(int start) {
    if (Tok(0).Action == taBol) return Match(0, start);
    for (int p = start; p <= FLen + 1; ++p) {
      p = NextCandidate(p);
      if (Match(0, p)) return true;
    }
    return false;
  }

 private:
  TGrepToken& Tok(int k) { return FTok[static_cast<std::size_t>(k)]; }
  const TGrepToken& Tok(int k) const { return FTok[static_cast<std::size_t>(k)]; }
  Char At(int p) const { return FText[static_cast<std::size_t>(p - 1)]; }

  // The first position from p at which the literal of t occurs (L + 1 when none).
  int NextLiteral(const TGrepToken& t, int p) const {
    const std::size_t at = FText.find(t.Params.data(), static_cast<std::size_t>(p - 1), static_cast<std::size_t>(t.NumChars));
    return at == String::npos ? FLen + 1 : static_cast<int>(at) + 1;
  }

  // The first position from p at which the first token can fit (L + 1 when none): a literal, a set, or a
  // '+' over either needs an occurrence there.
  int NextCandidate(int p) const {
    const TGrepToken& t = Tok(0);
    const bool set = t.Action == taSet || (t.Action == taMult1 && t.NumChars < 0);
    const bool literal = (t.Action == taNormal || t.Action == taMult1) && t.NumChars > 0;
    if (literal) return NextLiteral(t, p);
    if (set)
      while (p <= FLen && !IsMember(t, At(p))) ++p;
    return p;
  }

  // The next position a repetition over any character needs to try from q: when a literal follows, only
  // where that literal occurs (the rest fails everywhere else).
  int NextTry(int k, int q) const {
    const TGrepToken& next = Tok(k + 1);
    if (Tok(k).NumChars != 0 || next.Action != taNormal || next.NumChars == 0) return q;
    return NextLiteral(next, q);
  }

  static bool IsMember(const TGrepToken& t, Char c) { return c < 256 && t.Params[c] == kMember; }

  bool LiteralAt(const TGrepToken& t, int p) const {
    if (p + t.NumChars - 1 > FLen) return false;
    return std::equal(t.Params.begin(), t.Params.begin() + t.NumChars, FText.begin() + (p - 1));
  }

  // One occurrence of what a repetition repeats, at p.
  bool Occurs(const TGrepToken& t, int p) const {
    if (t.NumChars < 0) return p <= FLen && IsMember(t, At(p));
    if (t.NumChars == 0) return p <= FLen;
    return LiteralAt(t, p);
  }

  static int StepOf(const TGrepToken& t) { return t.NumChars > 0 ? t.NumChars : 1; }

  bool Fits(const TGrepToken& t, int k, int p) const {
    switch (t.Action) {
      case taNormal: return LiteralAt(t, p);
      case taAnyByte: return p <= FLen;
      case taEol: return p > FLen && k == FLast;
      case taBol: return p == 1;
      case taSet: return p <= FLen && IsMember(t, At(p));
      case taMult1: return Occurs(t, p);
      default: return true;  // taMult0, taOpti
    }
  }

  // Where the match ends when token t is the last one and fits at p.
  int EndOf(const TGrepToken& t, int p) const {
    switch (t.Action) {
      case taNormal: return p + t.NumChars - 1;
      case taAnyByte: case taSet: return p;
      case taBol: return std::min(1, FLen);  // never beyond an empty text
      case taEol: return FLen;
      case taOpti: return Occurs(t, p) ? p + StepOf(t) - 1 : p - 1;
      default: break;
    }
    if (t.NumChars == 0) return FLen;  // '*' or '+' over any character takes the rest
    int q = p;
    while (Occurs(t, q)) q += StepOf(t);
    return q - 1;
  }

  bool HasFailed(int k, int p) const {
    const auto& bits = FFailed[static_cast<std::size_t>(k)];
    const auto i = static_cast<std::size_t>(p);
    return !bits.empty() && (bits[i / 64] >> (i % 64) & 1u) != 0;
  }

  void MarkFailed(int k, int p) {
    auto& bits = FFailed[static_cast<std::size_t>(k)];
    if (bits.empty()) bits.assign(static_cast<std::size_t>(FLen + 2) / 64 + 1, 0);
    const auto i = static_cast<std::size_t>(p);
    bits[i / 64] |= uint64_t{1} << (i % 64);
  }

  bool Match(int k, int p) {
    if (!Fits(Tok(k), k, p)) return false;
    Tok(k).ValidFrom = p;
    const bool memo = FMemo[static_cast<std::size_t>(k)];
    if (memo && HasFailed(k, p)) return false;
    const bool ok = MatchHere(k, p);
    if (!ok && memo) MarkFailed(k, p);
    return ok;
  }

  // Token k fits at p: does the rest match after it?
  bool MatchHere(int k, int p) {
    const TGrepToken& t = Tok(k);
    if (k == FLast) {
      FEnd = EndOf(t, p);
      return true;
    }
    switch (t.Action) {
      case taNormal: return Match(k + 1, p + t.NumChars);
      case taAnyByte: case taSet: return Match(k + 1, p + 1);
      case taBol: return Match(k + 1, 1);
      case taMult0: return Repeat(k, p);
      case taMult1: return Repeat(k, p + StepOf(t));
      case taOpti: return Match(k + 1, p) || (Occurs(t, p) && Match(k + 1, p + StepOf(t)));
      default: return false;
    }
  }

  // Repetition k: the rest at `from`, then after each further occurrence, fewest first.
  bool Repeat(int k, int from) {
    const TGrepToken& t = Tok(k);
    const int step = StepOf(t);
    int q = from;
    for (;; q = NextTry(k, q + step)) {
      if (q != from && HasFailed(k, q)) {
        // Everything from q on was tried by an earlier loop; '+' had not yet tried the rest at q itself.
        if (t.Action == taMult1 && Match(k + 1, q)) return true;
        break;
      }
      if (Match(k + 1, q)) return true;
      if (!Occurs(t, q)) break;
    }
    for (int r = from; r <= q; r += step) MarkFailed(k, r);
    return false;
  }

  TRegExp& FTok;
  const int FLast;
  const String& FText;
  const int FLen;
  int& FEnd;
  std::vector<bool> FMemo;
  std::vector<std::vector<uint64_t>> FFailed;
};

}  // namespace

// [SECTION] TGrep

TGrep::TGrep(TComponent* AOwner) : TComponent(AOwner) {}

String TGrep::ErrorText(int Code) {
  return Code >= 0 && Code <= 10 ? String(kErrorTexts[Code]) : String();
}

int TGrep::CompileRegExp(const String& Expression) {
  String e = ExpandHexEscapes(Expression);
  if (FIgnoreCase) e = LowerCase(e);
  FLengRegExp = 0;
  FregExp.fill(TGrepToken{});
  FError = TCompiler(FregExp, FLengRegExp).Run(e);
  return FError;
}

void TGrep::SetRegExp(const String& value) {
  FRegExpStr = value;
  if (CompileRegExp(FRegExpStr) > 0 && FStopOnError)
    throw EQeltaStringlError(u"Component \"" + Name() + u"\": error in regular expression - " + ErrorText(FError));
}

void TGrep::SetIgnoreCase(bool value) {
  FIgnoreCase = value;
  CompileRegExp(FRegExpStr);
}

TGrepToken TGrep::GetRegExpToken(int Index) const {
  const int i = std::max(std::min(Index, FLengRegExp), 1);
  return FregExp[static_cast<std::size_t>(i - 1)];
}

bool TGrep::MatchString(const String& Instring, int& MatchPos) {
  for (TGrepToken& t : FregExp) t.ValidFrom = 0;
  FMatchEndPos = 0;
  const int len = static_cast<int>(Instring.size());
  bool found = false;
  if (FLengRegExp == 1 && FregExp[0].Action == taMult0) {
    // A lone '*' repetition matches every input as a whole.
    found = len == 0 || len >= FSrcStartPos;
    if (found) {
      FregExp[0].ValidFrom = 1;
      FMatchEndPos = len;
    }
  } else if (FLengRegExp > 0) {
    const String lowered = FIgnoreCase ? LowerCase(Instring) : String();
    const String& text = FIgnoreCase ? lowered : Instring;
    found = TMatcher(FregExp, FLengRegExp, text, FMatchEndPos).Run(std::max(FSrcStartPos, 1));
    if (!found) FMatchEndPos = 0;
  }
  MatchPos = FregExp[0].ValidFrom;
  FMatchStartPos = MatchPos;
  return found;
}

// [SECTION] listing

namespace {

String MembersOf(const TGrepToken& t) {
  String s;
  for (unsigned code = 0; code < 256; ++code)
    if (t.Params[code] == kMember) s.push_back(static_cast<Char>(code));
  return s;
}

String LiteralOf(const TGrepToken& t) {
  return String(t.Params.begin(), t.Params.begin() + std::max(t.NumChars, 0));
}

String ListingLine(const TGrepToken& t) {
  static const char16_t* const heads[] = {u" taNormal: ", u"taAnyByte: ", u"    taEol: ", u"    taBol: ",
                                          u"    taSet: ", u"  taMult0: ", u"  taMult1: ", u"   taOpti: "};
  String line = heads[t.Action];
  if (t.Action == taNormal) return line + LiteralOf(t);
  if (t.Action == taSet) return line + MembersOf(t);
  if (!IsRepetition(t.Action)) return line;
  if (t.NumChars < 0) return line + u"(set) " + MembersOf(t);
  if (t.NumChars == 0) return line + u"(anychar) ";
  return line + u"(string) " + LiteralOf(t);
}

}  // namespace

void TGrep::PrintRegExp(const String& FileName) const {
  TextFile f;
  AssignFile(f, FileName);
  RewriteReplacing(f);
  for (int k = 0; k < FLengRegExp; ++k) WriteLn(f, ListingLine(FregExp[static_cast<std::size_t>(k)]));
  WriteLn(f, ErrorText(FError));
  CloseFile(f);
}

}  // namespace qelta
