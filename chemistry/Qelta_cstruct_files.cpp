// Qelta_cstruct_files: the structure-file readers and writers of TCTab.
//
// MDL V2000 (connection table, mol file, SD record): counts line, then atom lines (x, y, z in columns 1-30,
// symbol 32-34, mass difference 35-36, charge code 37-39) and bond lines (atoms 1-6, type 7-9). The connection
// table and mol readers cut the columns; the SD reader reads the same lines as free-format numbers. Bonds are
// entered one way while reading and completed by MakeSymmetricConnections, so each list keeps the order of the
// file. A bond naming an atom outside 1..N or the same atom twice, or one that an end has no slot left for, is
// dropped (at both ends) and the read answers false. Coordinates are then mapped onto 0..800 x 0..600 (the
// larger of the two axis scales, cut so that no value exceeds 32767) and rounded.
// CONTAB and CTABG: a "/CONTAB " or "/CTABG " keyword, a line with the line count L and the atom count A, the
// name lines (L - 2A or L - A of them, first character of each skipped) and A atoms as free-format numbers.
// A malformed number (the text file's EInOutError 106) ends the read with false; what was read stays.
// Writers: the V2000 forms with charge codes and mass differences in the atom-block columns (charges beyond
// +-3 and differences beyond -9..99 only in "M  CHG" / "M  ISO" lines, which the readers skip), each bond once;
// CONTAB exactly as ReadConnTabBody reads it back, coordinates in the shortest text that gives the same float.

#include <array>
#include <cfloat>
#include <cmath>
#include <vector>

#include "DateUtils.h"
#include "Encoding.h"
#include "Qelta_CData.h"
#include "Qelta_cstruct.h"
#include "Qelta_qeltabase.h"
#include "Qelta_streams.h"
#include "Qelta_stringl.h"
#include "StrUtils.h"
#include "SysUtils.h"

namespace qelta {

namespace {

constexpr std::array<const char16_t*, MaxProps> kPropIDs = {
    u"MELTP", u"BOILP", u"DENSI", u"REFRX", u"LGKOC", u"ACCOF", u"WAALA", u"WAALB", u"WSOLU", u"DHF0",
    u"DFF0",  u"LOGKF", u"ENTR0", u"LOGHY", u"DIPOL", u"HEATV", u"MOLVL", u"RETIX", u"CRITT", u"POLAR"};

// The next line of a text file or a stream (line feed ends a line); empty at the end.
String NextLine(TTagReader& lines) {
  String line;
  lines.ReadLine(line);
  return line;
}

// [SECTION] fields of an atom or bond line

// Integer of columns from..from+count-1; 0 when they hold no integer.
int ColumnInt(const String& line, int from, int count) {
  int32_t value = 0;
  int code = 0;
  Val(StripLTBlanks(Copy(line, from, count)), value, code);
  return code == 0 ? value : 0;
}

double ColumnReal(const String& line, int from, int count) {
  double value = 0;
  int code = 0;
  Val(StripLTBlanks(Copy(line, from, count)), value, code);
  return code == 0 ? value : 0;
}

// A coordinate as a float; false (and 0) for one that a float cannot hold.
bool StoreCoord(float& to, double value) {
  const bool fits = std::isfinite(value) && std::fabs(value) <= FLT_MAX;
  to = fits ? static_cast<float>(value) : 0.0f;
  return fits;
}

// Element, mass number and charge of an atom line into a cleared atom; false for a mass below 1 or beyond
// 16 bits (the nominal mass stays) and a charge beyond a byte (0 stays).
bool StoreAtomFields(CTElem& atom, const String& symbol, int massDiff, int chargeCode) {
  bool ok = true;
  atom.AtNum = static_cast<uint8_t>(AtomicNumber(StringToAnsi(StripLTBlanks(symbol))));
  const int nominal = IntAtWeight(atom.AtNum);
  const int64_t weight = int64_t{nominal} + massDiff;
  if (massDiff != 0 && (weight < 1 || weight > UINT16_MAX)) {
    ok = false;
    atom.AtWeight = static_cast<uint16_t>(nominal);
  } else {
    atom.AtWeight = static_cast<uint16_t>(weight);
  }
  const int charge = chargeCode >= 1 && chargeCode <= 7 ? 4 - chargeCode : chargeCode;
  if (charge < INT8_MIN || charge > INT8_MAX) return false;
  atom.Charge = static_cast<int8_t>(charge);
  return ok;
}

bool ParseColumnAtom(const String& line, CTElem& atom) {
  bool ok = true;
  for (int k = 1; k <= 3; ++k) ok &= StoreCoord(atom.Coords[k], ColumnReal(line, 10 * k - 9, 10));
  return StoreAtomFields(atom, Copy(line, 32, 3), ColumnInt(line, 35, 2), ColumnInt(line, 37, 3)) && ok;
}

// Bonds of a reader, entered one way; an undirected bond is counted once per end so that the symmetric
// completion always finds a slot.
class TBondReader {
 public:
  TBondReader(TCTab& ctab, int n) : FCTab(ctab), FN(n) {}
  bool Enter(int a, int b, int type) {
    if (a < 1 || a > FN || b < 1 || b > FN || a == b) return false;
    bool ok = true;
    if (type < 1 || type > 4) {  // a query or unknown type is kept as a single bond
      ok = false;
      type = 1;
    }
    if (!(FBonded[a] >> b & 1)) {
      if (FDegree[a] >= MaxConn || FDegree[b] >= MaxConn) return false;
      ++FDegree[a];
      ++FDegree[b];
      FBonded[a] |= uint64_t{1} << b;
      FBonded[b] |= uint64_t{1} << a;
    }
    FCTab.EnterConn(a, b, type);
    return ok;
  }

 private:
  TCTab& FCTab;
  int FN;
  int FDegree[MaxAtoms + 1] = {};
  uint64_t FBonded[MaxAtoms + 1] = {};
};

// The malformed-number error of the free-format reads; every other file error goes on to the caller.
void RethrowUnlessNumberFormat(const EInOutError& e) {
  if (e.ErrorCode != 106) throw;
}

// [SECTION] clear-text helpers

// Reads on to a "/" whose following characters, up to and including the next blank (at most 8 kept), hold the
// keyword; false at the end of the file.
bool FindKeyword(TextFile& f, const String& keyword) {
  while (!Eof(f)) {
    Char c = 0;
    Read(f, c);
    if (c != u'/') continue;
    String collected;
    while (!Eof(f)) {
      Read(f, c);
      if (collected.size() < 8) collected.push_back(c);
      if (c == u' ') break;
    }
    if (collected.find(keyword) != String::npos) return true;
  }
  return false;
}

int ReadInt(TextFile& f) {
  int v = 0;
  Read(f, v);
  return v;
}

double ReadReal(TextFile& f) {
  double v = 0;
  Read(f, v);
  return v;
}

// An integer of a field that holds low..high; false (and 0) for one outside.
template <typename T>
bool ReadField(TextFile& f, T& to, int low, int high) {
  const int v = ReadInt(f);
  const bool fits = v >= low && v <= high;
  to = static_cast<T>(fits ? v : 0);
  return fits;
}

// One atom record of CONTAB (atom number, ..., z, count, indices, types) or CTABG (no atom number, no z,
// 8 indices, 8 types). Connections must name atoms 1..63 other than the atom itself (self, its future
// index); false ends the read.
bool ReadClearTextAtom(TextFile& f, bool ctabg, int self, CTElem& rec) {
  if (!ctabg) ReadInt(f);  // atom number, not used
  bool ok = ReadField(f, rec.AtNum, 0, MaxAtomicNumber);
  ok &= ReadField(f, rec.AtWeight, 0, UINT16_MAX);
  ok &= ReadField(f, rec.Attrib, 0, UINT8_MAX);
  ok &= ReadField(f, rec.Charge, INT8_MIN, INT8_MAX);
  for (int k = 1; k <= (ctabg ? 2 : 3); ++k) ok &= StoreCoord(rec.Coords[k], ReadReal(f));
  const int count = ctabg ? 8 : ReadInt(f);
  if (count < 0 || count > MaxConn) return false;
  for (int k = 1; k <= count; ++k) {
    ok &= ReadField(f, rec.ConnTo[k], 0, MaxAtoms);
    ok &= rec.ConnTo[k] != self;
  }
  for (int k = 1; k <= count; ++k) ok &= ReadField(f, rec.TypConn[k], 0, UINT8_MAX);
  return ok;
}

// [SECTION] writer helpers

String Padded(const String& s, int width) {
  return static_cast<int>(s.size()) >= width ? s : String(width - s.size(), u' ') + s;
}

String Int(int64_t v, int width) { return Padded(IntToStr(v), width); }

// A coordinate in 10 columns with 4 decimals, fewer where the value needs the room.
String CoordColumn(float v) {
  const double x = std::isfinite(v) ? std::clamp<double>(v, -999999999.0, 9999999999.0) : 0.0;
  for (int decimals = 4; decimals > 0; --decimals) {
    const String s = Str(x, 10, decimals);
    if (s.size() <= 10) return s;
  }
  return Str(x, 10, 0);
}

// The shortest fixed text that reads back as the same float (exponent text for very large or small values).
String ExactCoord(float v) {
  if (!std::isfinite(v)) return u"0";
  for (int decimals = 0; decimals <= 9; ++decimals) {
    const String s = Str(v, 0, decimals);
    double back = 0;
    int code = 0;
    Val(s, back, code);
    if (code == 0 && static_cast<float>(back) == v) return s;
  }
  return StripLTBlanks(Str(v, 24));
}

// Control characters would break the line structure of a file; they become blanks.
String OneLine(const String& s) {
  String out = s;
  for (Char& c : out)
    if (c < u' ') c = u' ';
  return out;
}

String Field(const String& s, int width) {
  String out = Copy(OneLine(s), 1, width);
  out.resize(width, u' ');
  return out;
}

void WriteLines(TextFile& f, const std::vector<String>& lines) {
  for (const String& line : lines) WriteLn(f, line);
}

void WriteLines(TStream& stream, const std::vector<String>& lines) {
  for (const String& line : lines) WriteLnStream(stream, line);
}

// "M  CHG" or "M  ISO" lines of (atom, value) pairs, eight to a line.
void AppendPropertyLines(std::vector<String>& lines, const String& tag, const std::vector<std::array<int, 2>>& pairs) {
  for (std::size_t from = 0; from < pairs.size(); from += 8) {
    const std::size_t n = std::min<std::size_t>(8, pairs.size() - from);
    String line = u"M  " + tag + Int(static_cast<int64_t>(n), 3);
    for (std::size_t i = from; i < from + n; ++i) line += u" " + Int(pairs[i][0], 3) + u" " + Int(pairs[i][1], 3);
    lines.push_back(line);
  }
}

}  // namespace

// [SECTION] MDL readers

void TCTab::NormaliseCoordinates() {
  double lo[3] = {1e10, 1e10, 1e10}, hi[3] = {-1e10, -1e10, -1e10};
  for (int i = 1; i <= FNumValidAtoms; ++i)
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min<double>(lo[k], Atom(i).Coords[k + 1]);
      hi[k] = std::max<double>(hi[k], Atom(i).Coords[k + 1]);
    }
  const auto axisScale = [](double span, double extent) { return span > 1e-6 ? extent / span : 0.0; };
  double scale = std::max(axisScale(hi[0] - lo[0], 800), axisScale(hi[1] - lo[1], 600));
  for (int i = 1; i <= FNumValidAtoms; ++i)
    for (int k = 0; k < 3; ++k) {
      const double d = Atom(i).Coords[k + 1] - lo[k];
      if (d * scale > 32767) scale = 32767 / d;
    }
  for (int i = 1; i <= FNumValidAtoms; ++i)
    for (int k = 0; k < 3; ++k)
      Atom(i).Coords[k + 1] = static_cast<float>(std::nearbyint((Atom(i).Coords[k + 1] - lo[k]) * scale));
}

bool TCTab::ReadCTab(TTagReader& lines) {
  const String counts = NextLine(lines);
  const int nAtoms = ColumnInt(counts, 1, 3);
  const int nBonds = ColumnInt(counts, 4, 3);
  if (nAtoms < 1 || nAtoms > MaxAtoms) return false;
  bool ok = true;
  Clear();
  FNumValidAtoms = nAtoms;
  for (int i = 1; i <= nAtoms && !lines.AtEnd(); ++i) ok &= ParseColumnAtom(NextLine(lines), Atom(i));
  TBondReader bonds(*this, nAtoms);
  int read = 0;
  for (; read < nBonds && !lines.AtEnd(); ++read) {
    const String line = NextLine(lines);
    ok &= bonds.Enter(ColumnInt(line, 1, 3), ColumnInt(line, 4, 3), ColumnInt(line, 7, 3));
  }
  if (read >= nBonds) {
    MakeSymmetricConnections();
    NormaliseCoordinates();
  }
  return ok;
}

bool TCTab::ReadMol(TTagReader& lines) {
  const String name = NextLine(lines);
  for (int i = 0; i < 2 && !lines.AtEnd(); ++i) NextLine(lines);
  const bool ok = ReadCTab(lines);
  FStrucName = name;
  return ok;
}

bool TCTab::ReadFromMDLCTabFile(TextFile& F) {
  TTagReader lines(F);
  const bool ok = ReadCTab(lines);
  Changed();
  return ok;
}

bool TCTab::ReadFromMDLCTabStream(TStream& InStream) {
  TTagReader lines(InStream);
  const bool ok = ReadCTab(lines);
  Changed();
  return ok;
}

bool TCTab::ReadFromMDLMolFile(TextFile& F) {
  TTagReader lines(F);
  const bool ok = ReadMol(lines);
  Changed();
  return ok;
}

bool TCTab::ReadFromMDLMolStream(TStream& InStream) {
  TTagReader lines(InStream);
  const bool ok = ReadMol(lines);
  Changed();
  return ok;
}

// Atom and bond lines of an SD record in free format; false for a field out of range or a dropped bond.
bool TCTab::ReadSDBlock(TextFile& F, int nAtoms, int nBonds) {
  bool ok = true;
  for (int i = 1; i <= nAtoms && !Eof(F); ++i) {
    CTElem& atom = Atom(i);
    for (int k = 1; k <= 3; ++k) ok &= StoreCoord(atom.Coords[k], ReadReal(F));
    String symbol(3, u' ');
    for (Char& c : symbol) Read(F, c);
    const int massDiff = ReadInt(F);
    ok &= StoreAtomFields(atom, symbol, massDiff, ReadInt(F));
    ReadLn(F);
  }
  TBondReader bonds(*this, nAtoms);
  for (int b = 0; b < nBonds && !Eof(F); ++b) {
    const int first = ReadInt(F), second = ReadInt(F), type = ReadInt(F);
    ok &= bonds.Enter(first, second, type);
    ReadLn(F);
  }
  if (!Eof(F)) {
    MakeSymmetricConnections();
    NormaliseCoordinates();
  }
  return ok;
}

// The data items of an SD record up to and including its "$$$$" line.
void TCTab::ReadSDData(TextFile& F, TProps& Props, bool recordRead) {
  for (TPropRec& p : Props.Items) p.ID.clear();
  while (!Eof(F)) {
    String line;
    ReadLn(F, line);
    if (line == u"$$$$") return;
    if (line == u"> <CAS_RN>" || line == u"> <CASREGNR>") {
      String cas;
      ReadLn(F, cas);
      if (recordRead) SetCASNr(cas);
      continue;
    }
    for (const char16_t* id : kPropIDs) {
      if (line != u"> <" + String(id) + u">") continue;
      String text;
      ReadLn(F, text);
      StoreProperty(Props, id, text);
      break;
    }
  }
}

void TCTab::StoreProperty(TProps& Props, const String& ID, const String& Text) {
  int pos = 1;
  const double value = ScanFPNum(Text, true, 1, pos);
  bool digit = false;
  for (int i = 0; i < pos - 1 && i < static_cast<int>(Text.size()); ++i) digit |= Text[i] >= u'0' && Text[i] <= u'9';
  if (!digit) return;
  for (TPropRec& p : Props.Items)
    if (p.ID.empty()) {
      p.ID = StringToAnsi(ID);
      p.Par = value;
      return;
    }
}

bool TCTab::ReadFromMDLSDFile(TextFile& F, TProps& Props) {
  String name, counts;
  ReadLn(F, name);
  ReadLn(F);
  ReadLn(F);
  ReadLn(F, counts);
  const int nAtoms = ColumnInt(counts, 1, 3);
  const bool inRange = nAtoms >= 1 && nAtoms <= MaxAtoms;
  bool ok = inRange;
  if (inRange) {
    Clear();
    FStrucName = name;
    FNumValidAtoms = nAtoms;
    try {
      ok = ReadSDBlock(F, nAtoms, ColumnInt(counts, 4, 3));
    } catch (const EInOutError& e) {
      RethrowUnlessNumberFormat(e);
      ok = false;
    }
  }
  for (bool done = false; !done;) {  // a malformed number among the data items ends only that item
    try {
      ReadSDData(F, Props, inRange);
      done = true;
    } catch (const EInOutError& e) {
      RethrowUnlessNumberFormat(e);
    }
  }
  Changed();
  return ok;
}

// [SECTION] clear-text readers

void TCTab::DropReferencesAbove(int n, bool& ok) {
  for (int i = 1; i <= FNumValidAtoms; ++i)
    for (int k = 1; k <= MaxConn; ++k)
      if (Atom(i).ConnTo[k] > n) {
        RemoveConn(i, Atom(i).ConnTo[k]);
        ok = false;
        --k;
      }
}

bool TCTab::ReadClearTextBody(TextFile& F, bool ctabg) {
  if (Eof(F)) return false;
  bool ok = false;
  try {
    const int lineCount = ReadInt(F), atomCount = ReadInt(F);
    ReadLn(F);
    if (lineCount <= 0) return false;
    ok = true;
    Clear();
    const int64_t nameLines = int64_t{lineCount} - (ctabg ? 1 : 2) * int64_t{atomCount};
    for (int64_t i = 0; i < nameLines && !Eof(F); ++i) {
      String line;
      ReadLn(F, line);
      FStrucName += Copy(line, 2, static_cast<int>(line.size()));
    }
    for (int i = 0; i < atomCount && !Eof(F); ++i) {
      CTElem rec;
      const bool fieldsOk = ReadClearTextAtom(F, ctabg, FNumValidAtoms + 1, rec);
      if (!AddAtom(rec) || !fieldsOk) {
        ok = false;
        break;
      }
    }
  } catch (const EInOutError& e) {
    RethrowUnlessNumberFormat(e);
    ok = false;
  }
  DropReferencesAbove(FNumValidAtoms, ok);
  Changed();
  return ok;
}

bool TCTab::ReadConnTabBody(TextFile& F) { return ReadClearTextBody(F, false); }

bool TCTab::ReadFromClearTextFile(TextFile& F) {
  FindKeyword(F, u"CONTAB");
  const bool ok = ReadConnTabBody(F);
  Changed();
  return ok;
}

bool TCTab::ReadFromClearTextFileCTABG(TextFile& F) {
  FindKeyword(F, u"CTABG");
  const bool ok = ReadClearTextBody(F, true);
  Changed();
  return ok;
}

// [SECTION] writers

std::vector<String> TCTab::CTabLines() const {
  std::vector<String> atoms, bonds;
  std::vector<std::array<int, 2>> charges, isotopes;
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    const CTElem& a = Atom(i);
    const String symbol = a.AtNum == 0 ? String(u"*") : AnsiToString(CElemSymb(a.AtNum));
    const int diff = a.AtWeight == 0 ? 0 : a.AtWeight - IntAtWeight(a.AtNum);
    const int code = a.Charge != 0 && a.Charge >= -3 && a.Charge <= 3 ? 4 - a.Charge : 0;
    if (a.Charge != 0) charges.push_back({i, a.Charge});
    if (diff != 0) isotopes.push_back({i, a.AtWeight});
    atoms.push_back(CoordColumn(a.Coords[1]) + CoordColumn(a.Coords[2]) + CoordColumn(a.Coords[3]) + u" " +
                    Field(symbol, 3) + Int(diff >= -9 && diff <= 99 ? diff : 0, 2) + Int(code, 3) +
                    u"  0  0  0  0  0  0  0  0  0  0");
    for (int k = 1; k <= MaxConn && a.ConnTo[k] != 0; ++k) {
      const int j = a.ConnTo[k];
      if (j <= FNumValidAtoms && (j > i || CheckConnect(j, i) == 0))
        bonds.push_back(Int(i, 3) + Int(j, 3) + Int(a.TypConn[k], 3) + u"  0  0  0  0");
    }
  }
  std::vector<String> lines{Int(FNumValidAtoms, 3) + Int(static_cast<int64_t>(bonds.size()), 3) +
                            u"  0  0  0  0  0  0  0  0999 V2000"};
  lines.insert(lines.end(), atoms.begin(), atoms.end());
  lines.insert(lines.end(), bonds.begin(), bonds.end());
  AppendPropertyLines(lines, u"CHG", charges);
  AppendPropertyLines(lines, u"ISO", isotopes);
  lines.push_back(u"M  END");
  return lines;
}

std::vector<String> TCTab::MolLines(const String& Name, const String& User, const String& ProgName, int Regnum,
                                    const String& Comment) const {
  bool threeD = false;
  for (int i = 1; i <= FNumValidAtoms; ++i) threeD |= Atom(i).Coords[3] != 0;
  const String header = Field(User, 2) + Field(ProgName, 8) + FormatDateTime(u"mmddyyhhnn", Now()) +
                        (threeD ? u"3D" : u"2D") + String(24, u' ') + Int(Regnum, 6);
  std::vector<String> lines{OneLine(Name), header, OneLine(Comment)};
  const std::vector<String> ctab = CTabLines();
  lines.insert(lines.end(), ctab.begin(), ctab.end());
  return lines;
}

void TCTab::WriteToMDLCTabFile(TextFile& F) { WriteLines(F, CTabLines()); }

void TCTab::WriteToMDLCTabStream(TStream& OutStream) { WriteLines(OutStream, CTabLines()); }

void TCTab::WriteToMDLMolFile(TextFile& F, const String& User, const String& ProgName, int Regnum,
                              const String& Comment) {
  WriteLines(F, MolLines(FStrucName, User, ProgName, Regnum, Comment));
}

void TCTab::WriteToMDLMolStream(TStream& OutStream, const String& User, const String& ProgName, int Regnum,
                                const String& Comment) {
  WriteLines(OutStream, MolLines(FStrucName, User, ProgName, Regnum, Comment));
}

void TCTab::WriteToMolConnXFile(int n, TextFile& F) { WriteLines(F, MolLines(IntToStr(n), u"", u"", 0, u"")); }

void TCTab::WriteToClearTextFile(TextFile& F) {
  std::vector<String> lines{u"/CONTAB ", IntToStr(1 + 2 * FNumValidAtoms) + u" " + IntToStr(FNumValidAtoms),
                            u" " + OneLine(FStrucName)};
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    const CTElem& a = Atom(i);
    lines.push_back(IntToStr(i) + u" " + IntToStr(a.AtNum) + u" " + IntToStr(a.AtWeight) + u" " +
                    IntToStr(a.Attrib) + u" " + IntToStr(a.Charge) + u" " + ExactCoord(a.Coords[1]) + u" " +
                    ExactCoord(a.Coords[2]) + u" " + ExactCoord(a.Coords[3]));
    String conn;
    int n = 0;
    for (; n < MaxConn && a.ConnTo[n + 1] != 0; ++n) conn += u" " + IntToStr(a.ConnTo[n + 1]);
    for (int k = 1; k <= n; ++k) conn += u" " + IntToStr(a.TypConn[k]);
    lines.push_back(IntToStr(n) + conn);
  }
  WriteLines(F, lines);
}

}  // namespace qelta
