// Qelta_cstruct_chem: hydrogens, molecular formula and weight, and geometry of the connection table.
//
// Hydrogens: with valence v, bond-order sum b (aromatic bonds count 1), a = 1 when the atom has an aromatic
// bond and h explicit hydrogen neighbours, an atom with b + a < v carries v - b - a + charge + h hydrogens,
// else h. Two exceptions: phosphorus with b = 4 carries h + 1, and the nitrogen of an isonitrile (two
// connections, one a triple bond to a carbon with one connection) carries -1 to cancel the hydrogen counted on
// that carbon. The exception asks for two connections on the nitrogen, so hydrogen cyanide (one connection)
// keeps its hydrogen.
// A hydrogen atom bonded to a non-hydrogen is counted in that atom's h; one without such a neighbour (H2, H+)
// would be counted by nobody, so it is counted as an atom of its own in the formula and the weight.
// Extents start from atom 1, so that negative coordinates (as RotateWithPCA makes them) give the true box.

#include <algorithm>
#include <cmath>
#include <memory>

#include "Qelta_CData.h"
#include "Qelta_cform.h"
#include "Qelta_cstruct.h"
#include "Qelta_math2.h"
#include "Qelta_matrix.h"
#include "Qelta_univconst.h"

namespace qelta {

namespace {

enum : int { kH = 1, kC = 6, kN = 7, kO = 8, kP = 15, kS = 16, kF = 9, kCl = 17, kBr = 35, kI = 53 };

int StandardValence(int Z) {
  switch (Z) {
    case 1: case 9: case 17: case 35: case 53: return 1;
    case 8: case 16: return 2;
    case 5: case 7: case 15: return 3;
    case 6: case 14: case 32: return 4;
    default: return 0;
  }
}

// The order in which the formula lists its elements; the rest follow in the order met.
constexpr int kFormulaOrder[] = {kC, kH, kN, kO, kS, kP, kF, kCl, kBr, kI};

}  // namespace

// [SECTION] hydrogens, formula and weight

int TCTab::NrHAtoms(int AtIx) const {
  if (!Valid(AtIx) || Atom(AtIx).AtNum == kH) return 0;
  const int n = GetNBonds(AtIx);
  int h = 0, b = 0, a = 0;
  bool isonitrile = false;
  for (int k = 1; k <= n; ++k) {
    const int nb = Atom(AtIx).ConnTo[k], type = Atom(AtIx).TypConn[k];
    h += GetAtNum(nb) == kH;
    b += type == 4 ? 1 : type;
    a = type == 4 ? 1 : a;
    isonitrile |= type == 3 && GetAtNum(nb) == kC && GetNBonds(nb) == 1;
  }
  const int Z = Atom(AtIx).AtNum, v = StandardValence(Z);
  if (b + a < v) return v - b - a + Atom(AtIx).Charge + h;
  if (Z == kN && isonitrile && n == 2) return -1;
  if (Z == kP && b == 4) return h + 1;
  return h;
}

int TCTab::CalcMissingH() const {
  int sum = 0;
  for (int i = 1; i <= FNumValidAtoms; ++i) sum += NrHAtoms(i);
  return sum;
}

// Whether the atom is counted as an atom of the formula: not hydrogen, or hydrogen without a non-hydrogen
// neighbour (which would count it among its own hydrogens).
static bool CountedItself(const TCTab& t, int AtIx) {
  if (t.GetAtNum(AtIx) != kH) return true;
  for (int k = 1; k <= t.GetNBonds(AtIx); ++k)
    if (const int nb = t.GetConnTo(AtIx, k); nb >= 1 && nb <= t.NAtoms() && t.GetAtNum(nb) != kH) return false;
  return true;
}

double TCTab::CalcChemMolWeight() const {
  double sum = CalcMissingH() * static_cast<double>(ChemAtWeight(kH));
  for (int i = 1; i <= FNumValidAtoms; ++i)
    if (CountedItself(*this, i)) sum += static_cast<double>(ChemAtWeight(Atom(i).AtNum));
  return sum;
}

bool TCTab::CalcMolecularFormula(TFormulaRec& BForm) const {
  struct TEntry {
    int Z, Mass, Count;
  };
  TEntry list[MaxFormulaEntries];
  int n = 0;
  if (const int missing = CalcMissingH(); missing > 0) list[n++] = {kH, 1, missing};
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    if (!CountedItself(*this, i)) continue;
    const int Z = Atom(i).AtNum, mass = Atom(i).AtWeight;
    TEntry* e = std::find_if(list, list + n, [&](const TEntry& x) { return x.Z == Z && x.Mass == mass; });
    if (e == list + n) {
      if (n == MaxFormulaEntries) return false;
      list[n++] = {Z, mass, 0};
    }
    ++e->Count;
  }
  TFormulaRec out;
  bool taken[MaxFormulaEntries] = {};
  auto append = [&](int k) {
    ++out.FLeng;
    out.AtNum[out.FLeng] = static_cast<uint8_t>(list[k].Z);
    out.AtWgt[out.FLeng] = static_cast<uint16_t>(list[k].Mass);
    out.AtCnt[out.FLeng] = static_cast<uint8_t>(list[k].Count);
    taken[k] = true;
  };
  for (int k = 0; k < n; ++k)
    if (list[k].Count > UINT8_MAX) return false;
  for (const int Z : kFormulaOrder)
    for (int k = 0; k < n; ++k)
      if (list[k].Z == Z) append(k);
  for (int k = 0; k < n; ++k)
    if (!taken[k]) append(k);
  BForm = out;
  return true;
}

// [SECTION] geometry

void TCTab::CalcMolCenter(double& spx, double& spy, double& spz) const {
  spx = spy = spz = 0;
  if (FNumValidAtoms < 1) return;
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    spx += Atom(i).Coords[1];
    spy += Atom(i).Coords[2];
    spz += Atom(i).Coords[3];
  }
  spx /= FNumValidAtoms;
  spy /= FNumValidAtoms;
  spz /= FNumValidAtoms;
}

double TCTab::CalcMolExtents(double& MinX, double& MinY, double& MaxX, double& MaxY, double& CentX,
                             double& CentY) const {
  if (FNumValidAtoms <= 1) {
    MinX = 1, MaxX = 10000, MinY = 1, MaxY = 7000, CentX = 5000, CentY = 3500;
    return 0;
  }
  MinX = MaxX = Atom(1).Coords[1];
  MinY = MaxY = Atom(1).Coords[2];
  double sumX = 0, sumY = 0, length = 0;
  int ends = 0;
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    const double x = Atom(i).Coords[1], y = Atom(i).Coords[2];
    MinX = std::min(MinX, x), MaxX = std::max(MaxX, x);
    MinY = std::min(MinY, y), MaxY = std::max(MaxY, y);
    sumX += x, sumY += y;
    for (int k = 1; k <= GetNBonds(i); ++k) {
      const int j = Atom(i).ConnTo[k];
      if (!Valid(j)) continue;
      length += std::hypot(x - Atom(j).Coords[1], y - Atom(j).Coords[2]);
      ++ends;
    }
  }
  CentX = sumX / FNumValidAtoms;
  CentY = sumY / FNumValidAtoms;
  return ends > 0 ? length / ends : 0;
}

int TCTab::FindAtomInBox(double x, double y, double z, double XRange, double YRange, double ZRange) const {
  for (int i = FNumValidAtoms; i >= 1; --i) {
    const CTElem& a = Atom(i);
    if (std::fabs(a.Coords[1] - x) <= XRange && std::fabs(a.Coords[2] - y) <= YRange &&
        std::fabs(a.Coords[3] - z) <= ZRange)
      return i;
  }
  return -1;
}

void TCTab::FindClosestAtom(double x, double y, double z, int& ClosestAtom, double& Dist) const {
  ClosestAtom = 0;
  Dist = static_cast<double>(uc_MaxDouble);
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    const CTElem& a = Atom(i);
    const double d = std::sqrt((a.Coords[1] - x) * (a.Coords[1] - x) + (a.Coords[2] - y) * (a.Coords[2] - y) +
                               (a.Coords[3] - z) * (a.Coords[3] - z));
    if (d < Dist) {
      Dist = d;
      ClosestAtom = i;
    }
  }
}

void TCTab::RotateWithPCA() {
  const int n = FNumValidAtoms;
  if (n < 1) return;
  TMatrix data(nullptr);
  data.Resize(3, n);
  for (int i = 1; i <= n; ++i) {
    data.SetVal(1, i, Atom(i).Coords[1]);
    data.SetVal(2, i, Atom(i).Coords[2]);
    data.SetVal(3, i, 0);
  }
  if (!CalcPrincComp(&data, 1, 3, 1, n, 1)) return;
  for (int i = 1; i <= n; ++i)
    for (int axis = 1; axis <= 3; ++axis) {
      double sum = 0;
      for (int k = 1; k <= 3; ++k) sum += data.GetVal(k, i) * GetEigenResult(axis, k);
      Atom(i).Coords[axis] = static_cast<float>(std::nearbyint(sum));
    }
}

void TCTab::MatchAtomTemplate(int An, int Nb, const BondListType& TypB, AtListType& AtomsMatched) const {
  AtomsMatched = AtListType{};
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    const int Z = Atom(i).AtNum, bonds = GetNBonds(i);
    if ((An > 0 && Z != An) || (An < 0 && Z == -An)) continue;
    if ((Nb > 0 && bonds != Nb) || (Nb < 0 && bonds == -Nb)) continue;
    // Every wanted bond type must find a bond of its own among the atom's.
    bool taken[MaxConn + 1] = {}, all = true;
    for (int w = 1; w <= MaxConn && all; ++w) {
      if (TypB[w] == 0) continue;
      bool found = false;
      for (int k = 1; k <= bonds && !found; ++k)
        if (!taken[k] && Atom(i).TypConn[k] == TypB[w]) found = taken[k] = true;
      all = found;
    }
    if (all) AtomsMatched.AtList[++AtomsMatched.NrAtoms] = i;
  }
}

}  // namespace qelta
