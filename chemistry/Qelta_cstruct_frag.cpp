// Qelta_cstruct_frag: fragment codes of atoms and counts of bonds and functional groups.
//
// A fragment code holds the atom's element index in bits 0..3 and one 6-bit field per neighbour (element
// index x 4 + bond type and 3), fields sorted in falling order. All ten connection slots are gathered before
// the error rules apply, so an atom with up to ten connections gets a -2 and never a code built from a cut list.
// The group rules look at the atoms and bonds present (hydrogens are normally implicit) and some of them at
// particular slots, as their table says ("first neighbour", "first three slots"). A nitro nitrogen with one
// double and one single bond to oxygen is recognised by a charge of 3 and also by +1, the charge an MDL file
// gives it.

#include <algorithm>
#include <span>

#include "Qelta_cstruct.h"
#include "Qelta_math1.h"

namespace qelta {

namespace {

enum : int { kH = 1, kC = 6, kN = 7, kO = 8, kS = 16, kCl = 17, kBr = 35, kI = 53 };

// Element index of the fragment table per atomic number; 0 for an element outside it.
int FragmentIndex(int Z) {
  static constexpr int kElements[15] = {1, 5, 6, 7, 8, 9, 14, 15, 16, 17, 33, 35, 50, 53, 0};
  for (int i = 0; i < 15; ++i)
    if (kElements[i] == Z) return i + 1;
  return 0;
}

constexpr const char16_t* kFragmentSymbols[16] = {u"",  u"H",  u"B",  u"C",  u"N",  u"O",  u"F",  u"Si",
                                                  u"P", u"S",  u"Cl", u"As", u"Br", u"Sn", u"I",  u"RR"};
constexpr const char16_t* kBondDigits[4] = {u"4", u"1", u"2", u"3"};

// The bonds of one atom as the group rules see them: slots 1..n in order.
struct TAtomView {
  const TCTab& t;
  int i;
  int Z() const { return t.GetAtNum(i); }
  int N() const { return t.GetNBonds(i); }
  int Nb(int k) const { return t.GetConnTo(i, k); }
  int Type(int k) const { return t.GetTypConn(i, k); }
  int NbZ(int k) const { return t.GetAtNum(Nb(k)); }
  /// Slots (among the first `upTo`) with this bond type to this element (0 = any element).
  int Count(int type, int Z = 0, int upTo = MaxConn) const {
    int c = 0;
    for (int k = 1; k <= std::min(N(), upTo); ++k) c += Type(k) == type && (Z == 0 || NbZ(k) == Z);
    return c;
  }
  bool HasType(int type) const { return Count(type) > 0; }
};

// A carbon with a double bond to an oxygen.
bool IsCarbonyl(const TCTab& t, int a) { return t.GetAtNum(a) == kC && TAtomView{t, a}.Count(2, kO) > 0; }

// A neighbour that makes an amine: neither nitrogen nor carbonyl carbon.
bool AmineNeighbour(const TCTab& t, int a) { return t.GetAtNum(a) != kN && !IsCarbonyl(t, a); }

bool AllSingleToAmineNeighbours(const TAtomView& v) {
  for (int k = 1; k <= v.N(); ++k)
    if (v.Type(k) != 1 || !AmineNeighbour(v.t, v.Nb(k))) return false;
  return true;
}

// A single-bonded oxygen with a given number of connections among the atom's neighbours.
bool SingleToOxygen(const TAtomView& v, bool terminal) {
  for (int k = 1; k <= v.N(); ++k)
    if (v.Type(k) == 1 && v.NbZ(k) == kO && (v.t.GetNBonds(v.Nb(k)) == 1) == terminal) return true;
  return false;
}

// A terminal nitrogen whose first bond is not triple (the NH2 end of a hydrazine).
bool HydrazineEnd(const TCTab& t, int a) {
  return t.GetAtNum(a) == kN && t.GetNBonds(a) == 1 && t.GetTypConn(a, 1) < 3;
}

// A neighbour Cl, Br or I.
bool HalogenNeighbour(const TAtomView& v) {
  for (int k = 1; k <= v.N(); ++k)
    if (v.NbZ(k) == kCl || v.NbZ(k) == kBr || v.NbZ(k) == kI) return true;
  return false;
}

bool FirstNeighbourAromatic(const TAtomView& v) { return v.N() >= 1 && TAtomView{v.t, v.Nb(1)}.HasType(4); }

// The number of times the atom counts for a group kind (0 for bond kinds).
int GroupCount(const TAtomView& v, FrgType kind) {
  const int Z = v.Z(), n = v.N();
  switch (kind) {
    case NBranch: return n > 2;
    case XCnt: return Z == kCl || Z == kBr;
    case COOH: return Z == kC && n == 3 && v.Count(2, kO, 3) > 0 && SingleToOxygen(v, true);
    case COO: return Z == kC && n == 3 && v.Count(2, kO) > 0 && SingleToOxygen(v, false);
    case NO2:
      return Z == kN && n == 3 &&
             (v.Count(2, kO) == 2 || (v.Count(2, kO) == 1 && v.Count(1, kO) == 1 && (v.t.GetCharge(v.i) == 3 ||
                                                                                      v.t.GetCharge(v.i) == 1)));
    case AnyCO: return Z == kC && n <= 3 && v.Count(2, kO) > 0;
    case AroCl: return Z == kCl && FirstNeighbourAromatic(v);
    case AroBr: return Z == kBr && FirstNeighbourAromatic(v);
    case AnyOH: return Z == kO && n == 1 && v.Type(1) == 1;
    case PhOH: return Z == kO && n == 1 && v.Type(1) == 1 && v.NbZ(1) == kC && TAtomView{v.t, v.Nb(1)}.HasType(4);
    case NH2: return Z == kN && n == 1 && AllSingleToAmineNeighbours(v);
    case NHR: return Z == kN && n == 2 && AllSingleToAmineNeighbours(v);
    case NR2: return Z == kN && n == 3 && AllSingleToAmineNeighbours(v);
    case NCON: return Z == kC && n == 3 && v.Count(2, kO) == 1 && v.Count(1, kN) == 2;
    case CN: return Z == kC && n == 2 && v.Count(3, kN) > 0;
    case CONR2: return Z == kC && n == 3 && v.Count(2, kO) == 1 && v.Count(1, kN) == 1;
    case CHO: return Z == kC && n <= 2 && !(v.Type(1) == 2 && v.Type(2) == 2) && v.Count(2, kO) > 0;
    case COX: return Z == kC && n <= 3 && v.Count(2, kO) > 0 && HalogenNeighbour(v);
    case AnySO: return Z == kS && n <= 3 && v.Count(2, kO) > 0;
    case OCH3:
      return Z == kO && n == 2 &&
             ((v.NbZ(1) == kC && v.t.GetNBonds(v.Nb(1)) == 1) || (v.NbZ(2) == kC && v.t.GetNBonds(v.Nb(2)) == 1));
    case NO: return Z == kN && n == 2 && v.Count(2, kO) > 0;
    case NNH2:  // each side counts
      if (Z != kN || n != 2) return 0;
      return (v.Type(1) == 1 && HydrazineEnd(v.t, v.Nb(2))) + (v.Type(2) == 1 && HydrazineEnd(v.t, v.Nb(1)));
    default: return 0;
  }
}

// Bond kinds: the type and whether both ends must be carbon.
bool BondKind(FrgType kind, int& type, bool& carbonOnly) {
  switch (kind) {
    case NSglBnd: type = 1, carbonOnly = false; return true;
    case NCCSgl: type = 1, carbonOnly = true; return true;
    case NDblBnd: type = 2, carbonOnly = false; return true;
    case NCCDbl: type = 2, carbonOnly = true; return true;
    case NTrplBnd: type = 3, carbonOnly = false; return true;
    case NCCTrpl: type = 3, carbonOnly = true; return true;
    case NAroBnd: type = 4, carbonOnly = false; return true;
    default: return false;
  }
}

}  // namespace

int32_t TCTab::FragmentCode(int AtIx, int& NOuterBonds) const {
  NOuterBonds = 0;
  const int centre = FragmentIndex(GetAtNum(AtIx));
  if (!Valid(AtIx) || centre == 0) return -1;
  const int n = GetNBonds(AtIx);
  int32_t fields[MaxConn] = {};
  bool unknown = false;
  for (int k = 1; k <= n; ++k) {
    const int nb = Atom(AtIx).ConnTo[k];
    NOuterBonds += GetNBonds(nb) - 1;
    const int index = FragmentIndex(GetAtNum(nb));
    unknown |= index == 0;
    fields[k - 1] = index * 4 + (Atom(AtIx).TypConn[k] & 3);
  }
  if (unknown) return -1;
  if (n > 4) return -2;
  SortArray(std::span<int32_t>(fields), MaxConn - 1, false);
  return centre + (fields[0] << 4) + (fields[1] << 10) + (fields[2] << 16) + (fields[3] << 22);
}

String FragmentStr(int32_t Code) {
  if (Code < 0) return u"ERROR";
  String s = kFragmentSymbols[Code & 0xF];
  for (int f = 0; f < 4; ++f) {
    const int field = (Code >> (4 + 6 * f)) & 0x3F;
    if (field == 0) break;
    s += kBondDigits[field & 3];
    s += kFragmentSymbols[field >> 2];
  }
  return s;
}

int TCTab::FragmentCount(FrgType FrgCode) const {
  int type = 0, count = 0;
  bool carbonOnly = false;
  if (BondKind(FrgCode, type, carbonOnly)) {
    for (int i = 1; i <= FNumValidAtoms; ++i)
      for (int k = 1; k <= GetNBonds(i); ++k)
        count += Atom(i).TypConn[k] == type &&
                 (!carbonOnly || (Atom(i).AtNum == kC && GetAtNum(Atom(i).ConnTo[k]) == kC));
    return count / 2;
  }
  for (int i = 1; i <= FNumValidAtoms; ++i) count += GroupCount(TAtomView{*this, i}, FrgCode);
  return count;
}

}  // namespace qelta
