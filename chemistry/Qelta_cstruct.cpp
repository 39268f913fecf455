// Qelta_cstruct: the connection table's records, accessors, queries and editing. The readers and writers live
// in Qelta_cstruct_files.cpp, the ring perception in Qelta_cstruct_rings.cpp.
//
// Deleting an atom X contracts its bonds: each pair of neighbours A, B is bonded with the smaller of the types
// X-A and X-B in both directions, so a bond never carries two types. A pair that one end has no free slot for
// (after X has left both lists) is entered at neither end; pairs are decided in the order of X's slots.

#include "Qelta_cstruct.h"

#include <algorithm>

#include "Qelta_CData.h"
#include "StrUtils.h"

namespace qelta {

void ClearCTElem(CTElem& rec) { rec = CTElem{}; }

TCTab::TCTab(TComponent* AOwner) : TComponent(AOwner) {}

void TCTab::Changed() {
  if (OnChange) OnChange(this);
}

// [SECTION] accessors

int TCTab::GetAtNum(int AtIx) const { return Valid(AtIx) ? Atom(AtIx).AtNum : 0; }
int TCTab::GetAtWeight(int AtIx) const { return Valid(AtIx) ? Atom(AtIx).AtWeight : 0; }
int TCTab::GetAtFlag(int AtIx) const { return Valid(AtIx) ? Atom(AtIx).AtFlag : 0; }
int TCTab::GetAttrib(int AtIx) const { return Valid(AtIx) ? Atom(AtIx).Attrib : 0; }
int TCTab::GetCharge(int AtIx) const { return Valid(AtIx) ? Atom(AtIx).Charge : 0; }

int TCTab::GetConnTo(int AtIx, int k) const {
  return Valid(AtIx) && k >= 1 && k <= MaxConn ? Atom(AtIx).ConnTo[k] : 0;
}

int TCTab::GetTypConn(int AtIx, int k) const {
  return Valid(AtIx) && k >= 1 && k <= MaxConn ? Atom(AtIx).TypConn[k] : 0;
}

float TCTab::GetCoords(int AtIx, int k) const { return Valid(AtIx) && k >= 1 && k <= 3 ? Atom(AtIx).Coords[k] : 0.0f; }

CTElem TCTab::GetAtomEntries(int AtIx) const { return Valid(AtIx) ? Atom(AtIx) : CTElem{}; }

// Each setter: range checks, store, Changed.
void TCTab::SetAtNum(int AtIx, int Value) {
  if (!Valid(AtIx) || Value < 1 || Value > MaxAtomicNumber) return;
  Atom(AtIx).AtNum = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetAtWeight(int AtIx, int Value) {
  if (!Valid(AtIx) || Value < 0 || Value > UINT16_MAX) return;
  Atom(AtIx).AtWeight = static_cast<uint16_t>(Value);
  Changed();
}

void TCTab::SetAtFlag(int AtIx, int Value) {
  if (!Valid(AtIx) || Value < 0 || Value > UINT8_MAX) return;
  Atom(AtIx).AtFlag = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetAttrib(int AtIx, int Value) {
  if (!Valid(AtIx) || Value < 0 || Value > UINT8_MAX) return;
  Atom(AtIx).Attrib = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetCharge(int AtIx, int Value) {
  if (!Valid(AtIx) || Value < INT8_MIN || Value > INT8_MAX) return;
  Atom(AtIx).Charge = static_cast<int8_t>(Value);
  Changed();
}

void TCTab::SetConnTo(int AtIx, int k, int Value) {
  if (!Valid(AtIx) || k < 1 || k > MaxConn || Value < 0 || Value > MaxAtoms) return;
  Atom(AtIx).ConnTo[k] = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetTypConn(int AtIx, int k, int Value) {
  if (!Valid(AtIx) || k < 1 || k > MaxConn || Value < 0 || Value > UINT8_MAX) return;
  Atom(AtIx).TypConn[k] = static_cast<uint8_t>(Value);
  Changed();
}

void TCTab::SetCoords(int AtIx, int k, float Value) {
  if (!Valid(AtIx) || k < 1 || k > 3) return;
  Atom(AtIx).Coords[k] = Value;
  Changed();
}

void TCTab::SetAtomEntries(int AtIx, const CTElem& Rec) {
  if (!Valid(AtIx)) return;
  for (int k = 1; k <= MaxConn; ++k)
    if (Rec.ConnTo[k] > MaxAtoms) return;
  Atom(AtIx) = Rec;
  Changed();
}

void TCTab::SetNAtoms(int Value) { FNumValidAtoms = std::clamp(Value, 0, MaxAtoms); }

// [SECTION] queries

int TCTab::GetNBonds(int AtIx) const {
  if (!Valid(AtIx)) return 0;
  int n = 0;
  for (int k = 1; k <= MaxConn; ++k) n += Atom(AtIx).ConnTo[k] != 0;
  return n;
}

int TCTab::MaxNBonds(int& AtIx) const {
  int best = 0;
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    const int n = GetNBonds(i);
    if (n > best) {
      best = n;
      AtIx = i;
    }
  }
  return best;
}

int TCTab::CheckConnect(int At1, int At2) const {
  const int n = GetNBonds(At1);
  for (int k = 1; k <= n; ++k)
    if (Atom(At1).ConnTo[k] == At2 && At2 != 0) return Atom(At1).TypConn[k];
  return 0;
}

int TCTab::AtomCount(int AtNum) const {
  int n = 0;
  for (int i = 1; i <= FNumValidAtoms; ++i) n += Atom(i).AtNum == AtNum;
  return n;
}

bool TCTab::ContainsUnconnectedAtom() const {
  for (int i = 1; i <= FNumValidAtoms; ++i)
    if (GetNBonds(i) == 0) return true;
  return false;
}

int TCTab::FindNextEndAtom(int AtIx) const {
  for (int i = std::max(AtIx, 1); i <= FNumValidAtoms; ++i)
    if (GetNBonds(i) == 1) return i;
  return 0;
}

bool TCTab::GetCoordsPresent() const {
  for (int i = 1; i <= FNumValidAtoms; ++i)
    for (int k = 1; k <= 3; ++k)
      if (Atom(i).Coords[k] != 0) return true;
  return false;
}

void TCTab::SetCoordsPresent(bool Value) {
  if (Value) return;
  for (int i = 1; i <= FNumValidAtoms; ++i) Atom(i).Coords = {};
  Changed();
}

uint16_t TCTab::CompareWith(const TCTab& CTabSource) const {
  uint16_t diff = 0;
  if (FNumValidAtoms != CTabSource.FNumValidAtoms) diff |= 0x0001;
  if (UpperCase(FStrucName) != UpperCase(CTabSource.FStrucName)) diff |= 0x0002;
  if (FCoordUnit != CTabSource.FCoordUnit) diff |= 0x0004;
  if (FCASNr != CTabSource.FCASNr) diff |= 0x0008;
  for (int i = 1; i <= MaxAtoms; ++i) {
    const CTElem& a = Atom(i);
    const CTElem& b = CTabSource.Atom(i);
    if (a.AtNum != b.AtNum) diff |= 0x0010;
    if (a.AtWeight != b.AtWeight) diff |= 0x0020;
    if (a.AtFlag != b.AtFlag) diff |= 0x0040;
    if (a.Attrib != b.Attrib) diff |= 0x0080;
    if (a.Charge != b.Charge) diff |= 0x0100;
    for (int k = 1; k <= 3; ++k)
      if (a.Coords[k] != b.Coords[k]) diff |= static_cast<uint16_t>(0x0100 << k);
    if (a.ConnTo != b.ConnTo) diff |= 0x1000;
    if (a.TypConn != b.TypConn) diff |= 0x2000;
  }
  return diff;
}

// [SECTION] CAS number

String TCTab::GetCASNr() const { return FormatCASNr(FCASNr); }

void TCTab::SetCASNr(const String& Text) {
  ConvertStrToCASNr(Text, FCASNr);
  Changed();
}

bool TCTab::CheckCASNr(int32_t Nr) const { return qelta::CheckCASNr(Nr); }

// [SECTION] connection lists

bool TCTab::HasRoomFor(int AtIx, int Connto) const {
  const CTElem& a = Atom(AtIx);
  for (int k = 1; k <= MaxConn; ++k)
    if (a.ConnTo[k] == 0 || a.ConnTo[k] == Connto) return true;
  return false;
}

void TCTab::EnterConn(int AtIx, int Connto, int TypConn) {
  if (AtIx < 1 || AtIx > MaxAtoms || Connto < 1 || Connto > MaxAtoms || AtIx == Connto) return;
  CTElem& a = Atom(AtIx);
  for (int k = 1; k <= MaxConn; ++k) {
    if (a.ConnTo[k] != 0 && a.ConnTo[k] != Connto) continue;
    a.ConnTo[k] = static_cast<uint8_t>(Connto);
    a.TypConn[k] = static_cast<uint8_t>(TypConn);
    return;
  }
}

// Removes every entry of Connto from AtIx's list; the others close up in order.
void TCTab::RemoveConn(int AtIx, int Connto) {
  CTElem& a = Atom(AtIx);
  int to = 1;
  for (int k = 1; k <= MaxConn; ++k) {
    if (a.ConnTo[k] == Connto) continue;
    a.ConnTo[to] = a.ConnTo[k];
    a.TypConn[to] = a.TypConn[k];
    ++to;
  }
  for (; to <= MaxConn; ++to) a.ConnTo[to] = a.TypConn[to] = 0;
}

// Removes empty entries and repeats (the first one stays); the rest close up in order.
void TCTab::CleanConnections(int AtIx) {
  CTElem& a = Atom(AtIx);
  int to = 1;
  for (int k = 1; k <= MaxConn; ++k) {
    const uint8_t nb = a.ConnTo[k];
    bool seen = nb == 0;
    for (int j = 1; j < to && !seen; ++j) seen = a.ConnTo[j] == nb;
    if (seen) continue;
    a.ConnTo[to] = nb;
    a.TypConn[to] = a.TypConn[k];
    ++to;
  }
  for (; to <= MaxConn; ++to) a.ConnTo[to] = a.TypConn[to] = 0;
}

bool TCTab::MakeConnection(int At1, int At2, int CType) {
  if (!Valid(At1) || !Valid(At2) || At1 == At2 || CType < 0 || CType > UINT8_MAX) return false;
  if (CType == 0) {
    const bool bonded = CheckConnect(At1, At2) != 0 || CheckConnect(At2, At1) != 0;
    RemoveConn(At1, At2);
    RemoveConn(At2, At1);
    return bonded;
  }
  if (!HasRoomFor(At1, At2) || !HasRoomFor(At2, At1)) return false;
  EnterConn(At1, At2, CType);
  EnterConn(At2, At1, CType);
  return true;
}

void TCTab::MakeSymmetricConnections() {
  for (int i = 1; i <= FNumValidAtoms; ++i)
    for (int k = 1; k <= MaxConn; ++k)
      if (Atom(i).ConnTo[k] != 0) EnterConn(Atom(i).ConnTo[k], i, Atom(i).TypConn[k]);
}

// [SECTION] editing

void TCTab::ClearSlotsFrom(int first) {
  for (int i = std::max(first, 1); i <= MaxAtoms; ++i) Atom(i) = CTElem{};
}

void TCTab::Clear() {
  FNumValidAtoms = 0;
  FStrucName.clear();
  FCASNr = 0;
  FCoordUnit = cuUnknown;
  ClearSlotsFrom(1);
  Changed();
}

void TCTab::ClearAttributes() {
  for (int i = 1; i <= FNumValidAtoms; ++i) Atom(i).Attrib = 0;
}

bool TCTab::AddAtom(const CTElem& AtomRec) {
  if (FNumValidAtoms >= MaxAtoms) return false;
  CTElem& a = Atom(++FNumValidAtoms);
  a.AtNum = AtomRec.AtNum;
  a.AtWeight = AtomRec.AtWeight;
  a.AtFlag = AtomRec.AtFlag;
  a.Attrib = AtomRec.Attrib;
  a.Charge = AtomRec.Charge;
  a.Coords = AtomRec.Coords;
  for (int k = 1; k <= MaxConn; ++k)
    if (AtomRec.ConnTo[k] != 0) EnterConn(FNumValidAtoms, AtomRec.ConnTo[k], AtomRec.TypConn[k]);
  return true;
}

// Step 1 of DeleteAtom: AtomNr leaves every list and its neighbours are bonded to each other.
void TCTab::ContractAround(int AtomNr) {
  const CTElem x = Atom(AtomNr);
  for (int i = 1; i <= FNumValidAtoms; ++i)
    if (i != AtomNr) RemoveConn(i, AtomNr);
  // The neighbours in X's slot order, each once, with the type X had to it.
  int nb[MaxConn], type[MaxConn], n = 0;
  for (int k = 1; k <= MaxConn; ++k) {
    const int j = x.ConnTo[k];
    if (!Valid(j) || j == AtomNr || std::find(nb, nb + n, j) != nb + n) continue;
    nb[n] = j;
    type[n++] = x.TypConn[k];
  }
  for (int a = 0; a < n; ++a)
    for (int b = a + 1; b < n; ++b)
      if (HasRoomFor(nb[a], nb[b]) && HasRoomFor(nb[b], nb[a])) {
        const int t = std::min(type[a], type[b]);
        EnterConn(nb[a], nb[b], t);
        EnterConn(nb[b], nb[a], t);
      }
}

// Steps 2 and 3 of DeleteAtom: the last atom takes slot AtomNr, references to it follow, slot N is cleared.
void TCTab::MoveLastAtomTo(int AtomNr) {
  const int last = FNumValidAtoms;
  if (AtomNr != last) {
    Atom(AtomNr) = Atom(last);
    for (int i = 1; i <= MaxAtoms; ++i)
      for (int k = 1; k <= MaxConn; ++k)
        if (Atom(i).ConnTo[k] == last) Atom(i).ConnTo[k] = static_cast<uint8_t>(AtomNr);
  }
  Atom(last) = CTElem{};
  --FNumValidAtoms;
}

void TCTab::DeleteAtom(int AtomNr) {
  if (!Valid(AtomNr)) return;
  ContractAround(AtomNr);
  MoveLastAtomTo(AtomNr);
  for (int i = 1; i <= FNumValidAtoms; ++i) CleanConnections(i);
}

void TCTab::RemoveHydrogen() {
  for (int i = 1; i <= FNumValidAtoms;)
    if (Atom(i).AtNum == 1) DeleteAtom(i); else ++i;
}

int TCTab::StripfromChains() {
  for (bool deleted = true; deleted;) {
    deleted = false;
    for (int i = 1; i <= FNumValidAtoms;)
      if (GetNBonds(i) == 1) {
        DeleteAtom(i);
        deleted = true;
      } else {
        ++i;
      }
  }
  if (FNumValidAtoms == 1) {
    FNumValidAtoms = 0;
    ClearSlotsFrom(1);
  }
  return FNumValidAtoms;
}

void TCTab::CopyFrom(const TCTab& CTabSource) {
  if (&CTabSource != this) {
    FNumValidAtoms = CTabSource.FNumValidAtoms;
    FStrucName = CTabSource.FStrucName;
    FCoordUnit = CTabSource.FCoordUnit;
    FCASNr = CTabSource.FCASNr;
    for (int i = 1; i <= MaxAtoms; ++i) {
      const uint32_t display = Atom(i).AtDispAtb;
      Atom(i) = CTabSource.Atom(i);
      Atom(i).AtDispAtb = display;
    }
  }
  Changed();
}

void TCTab::JoinFragment(const TCTab& CTabSource) {
  const int n = CTabSource.FNumValidAtoms;
  // Source atom -> index here: a partner by AtFlag (the last one), else the next new index.
  int map[MaxAtoms + 1] = {};
  bool paired[MaxAtoms + 1] = {};
  int next = FNumValidAtoms;
  for (int s = 1; s <= n; ++s) {
    const int flag = CTabSource.Atom(s).AtFlag;
    for (int i = FNumValidAtoms; i >= 1 && flag != 0 && !paired[s]; --i)
      if (Atom(i).AtFlag == flag) {
        map[s] = i;
        paired[s] = true;
      }
    if (!paired[s]) map[s] = ++next;
  }
  if (next > MaxAtoms) return;
  Array1<CTElem, MaxAtoms> copy = CTabSource.FAtomEntries;  // the source may be this table
  for (int s = 1; s <= n; ++s) {
    CTElem& rec = copy[s];
    for (int k = 1; k <= MaxConn; ++k) {
      const int j = rec.ConnTo[k];
      rec.ConnTo[k] = static_cast<uint8_t>(j >= 1 && j <= n ? map[j] : 0);
    }
    if (!paired[s]) {
      AddAtom(rec);
      continue;
    }
    CTElem& partner = Atom(map[s]);
    partner.AtNum = rec.AtNum;
    partner.AtWeight = rec.AtWeight;
    partner.Charge = rec.Charge;
    for (int k = 1; k <= MaxConn; ++k)
      if (rec.ConnTo[k] != 0) EnterConn(map[s], rec.ConnTo[k], rec.TypConn[k]);
  }
}

void TCTab::LinkFragment(const TCTab& CtabSource) {
  const int before = FNumValidAtoms;
  const int n = CtabSource.FNumValidAtoms;
  if (before + n > MaxAtoms) return;
  const Array1<CTElem, MaxAtoms> copy = CtabSource.FAtomEntries;  // the source may be this table
  for (int s = 1; s <= n; ++s) {
    CTElem rec = copy[s];
    for (int k = 1; k <= MaxConn; ++k)
      rec.ConnTo[k] = static_cast<uint8_t>(rec.ConnTo[k] >= 1 && rec.ConnTo[k] <= n ? rec.ConnTo[k] + before : 0);
    AddAtom(rec);
  }
  for (int i = 1; i <= before; ++i)
    for (int j = before + 1; j <= FNumValidAtoms; ++j)
      if (Atom(i).AtFlag != 0 && Atom(i).AtFlag == Atom(j).AtFlag) MakeConnection(i, j, 1);
}

}  // namespace qelta
