#pragma once
// Shared by the connection-table tests: tables built from bond lists and the invariants of the editing
// operations.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "Qelta_CData.h"
#include "Qelta_cstruct.h"

namespace qelta::test {

struct TBond {
  int a, b, type;
};

/// Atoms of the given elements (carbon when 0 is given for n atoms) bonded both ways by the list.
inline void BuildTable(TCTab& t, int n, std::initializer_list<TBond> bonds, int atNum = 6) {
  t.Clear();
  for (int i = 0; i < n; ++i) {
    CTElem rec;
    rec.AtNum = static_cast<uint8_t>(atNum);
    t.AddAtom(rec);
  }
  for (const TBond& b : bonds) t.MakeConnection(b.a, b.b, b.type);
}

/// Appends an atom of element z (mass number the nominal one when asked); answers its index.
inline int AddElement(TCTab& t, int z, bool nominalMass = false) {
  CTElem rec;
  rec.AtNum = static_cast<uint8_t>(z);
  rec.AtWeight = static_cast<uint16_t>(nominalMass ? IntAtWeight(z) : 0);
  t.AddAtom(rec);
  return t.NAtoms();
}

/// Atoms of the given elements bonded both ways by the list (mass numbers the nominal ones when asked).
inline void BuildMolecule(TCTab& t, const std::vector<int>& elements, const std::vector<TBond>& bonds,
                          bool nominalMasses = false) {
  t.Clear();
  for (const int z : elements) AddElement(t, z, nominalMasses);
  for (const TBond& b : bonds) t.MakeConnection(b.a, b.b, b.type);
}

/// Slots above N cleared, no reference above N, occupied slots first, no atom bonded to itself.
inline ::testing::AssertionResult TableIsTidy(const TCTab& t) {
  const CTElem cleared;
  for (int i = t.NAtoms() + 1; i <= MaxAtoms; ++i) {
    const CTElem e = t.GetAtomEntries(i);
    if (e.AtNum || e.ConnTo != cleared.ConnTo || e.TypConn != cleared.TypConn)
      return ::testing::AssertionFailure() << "slot " << i << " above N is not cleared";
  }
  for (int i = 1; i <= t.NAtoms(); ++i) {
    bool gap = false;
    for (int k = 1; k <= MaxConn; ++k) {
      const int j = t.GetConnTo(i, k);
      if (j == 0) {
        gap = true;
        continue;
      }
      if (gap) return ::testing::AssertionFailure() << "atom " << i << " has an entry after an empty slot";
      if (j > t.NAtoms() || j == i) return ::testing::AssertionFailure() << "atom " << i << " refers to " << j;
    }
  }
  return ::testing::AssertionSuccess();
}

/// Every connection i -> j (type t) has j -> i with the same type.
inline ::testing::AssertionResult TableIsSymmetric(const TCTab& t) {
  for (int i = 1; i <= t.NAtoms(); ++i)
    for (int k = 1; k <= t.GetNBonds(i); ++k) {
      const int j = t.GetConnTo(i, k);
      if (t.CheckConnect(j, i) != t.GetTypConn(i, k))
        return ::testing::AssertionFailure() << "bond " << i << "-" << j << " is not the same both ways";
    }
  return ::testing::AssertionSuccess();
}

}  // namespace qelta::test
