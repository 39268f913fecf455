#pragma once
// Qelta_cstruct: the connection table TCTab, one chemical structure of up to 63 atoms, with its records,
// its structure-file readers and writers, and its ring perception.
//
// What: atoms 1..N (0 means no atom), each with element, mass number, charge, up to 10 connections with bond
// types (1 single, 2 double, 3 triple, 4 aromatic) and 3-D coordinates; queries, editing, CAS number; readers
// of MDL connection tables, mol files and SD records (V2000 columns) and of the clear-text formats CONTAB and
// CTABG; writers of the same MDL forms and of CONTAB; ring counts, the shortest rings through an atom, a
// smallest set of smallest rings and the topology attributes that the substructure search compares.
// How: a fixed array of 63 atom records; every editing operation keeps slots N+1..63 cleared and refuses
// indices outside 1..63. Rings come from a depth-first search from each atom that keeps the smallest rings
// found so far; it starts from the length of the shortest cycle through the atom and skips edges that lie on
// no cycle (bridges) and paths that can no longer close within the best ring size (breadth-first distance back
// to the start), which leaves its rings and their order as they are without these cuts.
// Limits: 63 atoms, 10 connections per atom, 64 atoms per ring, 100 rings per list (further rings are not
// added). The MDL readers keep what V2000 atom and bond lines say; "M  CHG", "M  ISO" and other property
// lines are not read, so charges and mass differences come from the atom-block columns.
// Failure channel: nothing raises of its own. Setters ignore indices outside 1..N and values their field
// cannot hold; getters read 0 there; readers answer false on malformed, truncated or hostile input and keep
// what they read. A text file that is not open raises the platform's EInOutError, as every text-file routine.

#include <array>
#include <cassert>
#include <cstdint>
#include <vector>

#include "Classes.h"
#include "Streams.h"
#include "TextFiles.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// --- limits and records ------------------------------------------------------------------------

inline constexpr int MaxAtoms = 63;      ///< atom slots 1..63
inline constexpr int MaxConn = 10;       ///< connection slots 1..10 per atom
inline constexpr int MaxRingSize = 64;   ///< atoms in one RingType
inline constexpr int MaxRings = 100;     ///< rings in one RingListType
inline constexpr int MaxProps = 20;      ///< entries of TProps

/// Fixed array indexed 1..N, as the records of the connection table number their entries.
template <typename T, int N>
struct Array1 {
  std::array<T, N> Items{};
  static constexpr int Low = 1;
  static constexpr int High = N;
  constexpr T& operator[](int i) {
    assert(i >= 1 && i <= N && "index outside 1..N");
    return Items[static_cast<std::size_t>(i - 1)];
  }
  constexpr const T& operator[](int i) const {
    assert(i >= 1 && i <= N && "index outside 1..N");
    return Items[static_cast<std::size_t>(i - 1)];
  }
  bool operator==(const Array1&) const = default;
};

/// One atom. A default-constructed record is a cleared one: all zero, AtDispAtb = $80000000.
struct CTElem {
  uint8_t AtNum = 0;       ///< atomic number 1..103, 0 = no element given
  uint16_t AtWeight = 0;   ///< mass number (nominal weight plus the isotope difference read from a file)
  uint8_t AtFlag = 0;      ///< free tag: pairs atoms for JoinFragment/LinkFragment; cleared by ring searches
  uint8_t Attrib = 0;      ///< topology bits written by CalcAttributes
  int8_t Charge = 0;       ///< formal charge
  Array1<uint8_t, MaxConn> ConnTo;   ///< connected atoms, occupied slots first, 0 = empty
  Array1<uint8_t, MaxConn> TypConn;  ///< bond type of the connection in the same slot
  Array1<float, 3> Coords;           ///< x, y, z
  uint32_t AtDispAtb = 0x80000000u;  ///< display: bits 0..25 colour, 28..30 visual attribute, 31 no own colour
};

/// Makes rec a cleared record.
void ClearCTElem(CTElem& rec);

/// A ring: its atoms in ring order.
struct RingType {
  uint8_t RingSize = 0;
  Array1<uint8_t, MaxRingSize> AtList;
};

/// A list of rings; entries 1..NrOfRings are valid.
struct RingListType {
  int32_t NrOfRings = 0;
  Array1<RingType, MaxRings> RList;
};

/// A list of atom indices; entries 1..NrAtoms are valid.
struct AtListType {
  int32_t NrAtoms = 0;
  Array1<int32_t, MaxAtoms> AtList;
};

/// One flag per atom index.
using AtFlagType = Array1<uint8_t, MaxAtoms>;
/// Up to ten bond types.
using BondListType = Array1<uint8_t, MaxConn>;

/// A named number of an SD record.
struct TPropRec {
  AnsiString ID;  ///< at most 15 characters; empty = free entry
  double Par = 0;
};
using TProps = Array1<TPropRec, MaxProps>;

enum CoordUnitType : uint8_t { cuUnknown, cuPixel, cuNanoM, cuPicoM, cuAngstrom };
/// Modes of the substructure search.
enum SSSMode : uint8_t { smSkeleton, smAtoms, smBonds, smAtomAndBonds };
/// The bond and functional-group kinds that FragmentCount counts.
enum FrgType : uint8_t {
  NSglBnd, NCCSgl, NDblBnd, NCCDbl, NTrplBnd, NCCTrpl, NAroBnd, NBranch, XCnt, COOH, COO, NO2, AnyCO, AroCl, AroBr,
  AnyOH, PhOH, NH2, NHR, NR2, NCON, CN, CONR2, CHO, COX, AnySO, OCH3, NO, NNH2
};

/// Attribute bits written by CalcAttributes.
enum : uint8_t {
  atbChain = 0x01,        ///< chain atom (in no ring)
  atbOtherRing = 0x02,    ///< in a ring of size 2..4 or above 6
  atbFiveRing = 0x04,     ///< in a five-membered ring
  atbSixRing = 0x08,      ///< in a six-membered ring
  atbBranch = 0x10,       ///< more than two connections
  atbRing = 0x20,         ///< in a ring
  atbChainEnd = 0x40,     ///< exactly one connection
  atbMultiRing = 0x80     ///< in more than one ring
};

/// True when some ring of List holds every atom of Ring (atom indices outside 1..63 are in no ring).
bool RingInRingList(const RingType& Ring, const RingListType& List);

/// Readable form of a fragment code: centre symbol, then bond digit and symbol per neighbour ("C2O1C1C");
/// "ERROR" for a negative code.
String FragmentStr(int32_t Code);

/// Whether SearchSubStruc appends its trace to "substrct.txt" in the current directory (on by default).
extern bool SubStrucTrace;

struct TFormulaRec;  // Qelta_cform.h

class TTagReader;  // lines of a text file or a stream, for the MDL readers

// --- the connection table ----------------------------------------------------------------------

/// One structure as a connection table (see the top of this header).
class TCTab : public TComponent {
 public:
  /// N = 0, empty name, cuUnknown, CAS number 0, all slots cleared.
  explicit TCTab(TComponent* AOwner);

  /// Calls OnChange(this) when assigned. Fired by every successful setter, Clear, CopyFrom, SetCASNr,
  /// SetCoordsPresent(false) and the readers; never by the editing operations or the analyses.
  void Changed();

  // [ring perception and topology]
  /// (sum of the atoms' connection counts) div 2 - N + 1.
  int RingsInMolecule() const;
  /// All distinct rings of the smallest size through AtomIx into RingList (at most 100); their count.
  /// 0 for AtomIx 0 or above N. Every AtFlag is 0 afterwards.
  int FindShortestRings(uint16_t AtomIx, RingListType& RingList);
  /// The smallest rings of each atom, assembled without repeats (cages may give more rings than
  /// RingsInMolecule); their count. Every AtFlag is 0 afterwards.
  int FindSSSR(RingListType& RingList);
  /// Rewrites every Attrib (bits atb...) from FindSSSR and the connection counts; answers FindSSSR's count.
  int CalcAttributes();

  // [formula, weight, hydrogens] standard valences H 1, B 3, C 4, N 3, O 2, F 1, Si 4, P 3, S 2, Cl 1, Ge 4,
  // Br 1, I 1, other elements 0; a hydrogen atom with a non-hydrogen neighbour is counted through it, one
  // without (H2, H+) is counted itself
  /// Hydrogens on the atom: explicit hydrogen neighbours plus implicit ones from its valence, bond orders
  /// (aromatic 1, plus 1 for having any) and charge; -1 on the nitrogen of an isonitrile R-N#C, which cancels
  /// the hydrogen counted on its terminal carbon; 0 for hydrogen and outside 1..N.
  int NrHAtoms(int AtIx) const;
  /// Sum of NrHAtoms over atoms 1..N.
  int CalcMissingH() const;
  /// Average molecular weight.
  double CalcChemMolWeight() const;
  /// The formula in the order C, H, N, O, S, P, F, Cl, Br, I, then the rest as they come; each (element, mass
  /// number) its own entry, implicit hydrogens as mass 1. False, BForm unchanged, beyond 20 entries or when a
  /// count exceeds 255.
  bool CalcMolecularFormula(TFormulaRec& BForm) const;

  // [geometry]
  /// Mean x, y, z of atoms 1..N; all 0 for no atoms.
  void CalcMolCenter(double& spx, double& spy, double& spz) const;
  /// The x-y box of the atoms and their mean x, y (for N <= 1: box 1..10000 x 1..7000, centre 5000, 3500);
  /// answers the mean x-y length over the connections (each bond from both ends), 0 without any.
  double CalcMolExtents(double& MinX, double& MinY, double& MaxX, double& MaxY, double& CentX, double& CentY) const;
  /// The highest atom within the ranges of (x, y, z) on every axis; -1 when none.
  int FindAtomInBox(double x, double y, double z, double XRange, double YRange, double ZRange) const;
  /// The atom nearest to (x, y, z) in 3-D (the lower index on ties) and its distance; 0 and uc_MaxDouble for
  /// no atoms.
  void FindClosestAtom(double x, double y, double z, int& ClosestAtom, double& Dist) const;
  /// Turns the x-y layout onto its principal axes (first axis the one of largest variance), not centred, each
  /// coordinate rounded to an integer; z becomes the third projection. Nothing when the decomposition fails.
  void RotateWithPCA();
  /// Atoms in ascending order that pass three filters: An > 0 keeps element An, An < 0 drops element -An; Nb > 0
  /// keeps exactly Nb connections, Nb < 0 drops exactly -Nb; every non-zero entry of TypB must occur among the
  /// atom's bond types, counted with multiplicity.
  void MatchAtomTemplate(int An, int Nb, const BondListType& TypB, AtListType& AtomsMatched) const;

  // [fragments]
  /// Packed neighbourhood of the atom: bits 0..3 its element index, then 6 bits per neighbour (element index x
  /// 4 + bond type and 3) in falling order; -1 for an element outside the fragment table (or AtIx outside 1..N),
  /// -2 for more than 4 connections. NOuterBonds := sum over the neighbours of their connections - 1.
  int32_t FragmentCode(int AtIx, int& NOuterBonds) const;
  /// Number of bonds or groups of the kind in the table (0 for a value outside FrgType).
  int FragmentCount(FrgType FrgCode) const;

  // [substructure search]
  /// True when every element occurs here at least as often as in the query (false for a larger query).
  bool SumForContained(const TCTab& CTabSmall) const;
  /// True when CTabSmall occurs in this table: an injective map of every query atom onto an atom of the same
  /// element, with at least its connections and every bit of its non-zero Attrib, and every query bond present
  /// between the images (of the same type when CompareBonds). MatchedAtoms is 1 at the images of the first match
  /// and 0 elsewhere; untouched, and no trace written, when the element or ring counts rule the query out or it
  /// is empty. Appends the trace of the search to "substrct.txt" while SubStrucTrace is on.
  bool SearchSubStruc(const TCTab& CTabSmall, AtFlagType& MatchedAtoms, bool CompareBonds) const;

  // [readers] each replaces the table and answers false on malformed, truncated or hostile input
  /// MDL connection table (counts line, atom and bond lines in V2000 columns) from the file's position.
  bool ReadFromMDLCTabFile(TextFile& F);
  bool ReadFromMDLCTabStream(TStream& InStream);
  /// MDL mol file: name line, two skipped lines, connection table; StrucName := the name line.
  bool ReadFromMDLMolFile(TextFile& F);
  bool ReadFromMDLMolStream(TStream& InStream);
  /// One record of an SD file, read on to its "$$$$" line even when the record fails, so that the next
  /// call reads the next record. Props receives the record's numeric data items (IDs "MELTP", "BOILP", ...;
  /// all IDs emptied first); "> <CAS_RN>" or "> <CASREGNR>" sets the CAS number of a record that was read.
  bool ReadFromMDLSDFile(TextFile& F, TProps& Props);
  /// Finds "/CONTAB " and reads the body that follows (ReadConnTabBody).
  bool ReadFromClearTextFile(TextFile& F);
  /// Finds "/CTABG " and reads the body that follows.
  bool ReadFromClearTextFileCTABG(TextFile& F);
  /// The body of the CONTAB format from the file's position.
  bool ReadConnTabBody(TextFile& F);

  // [writers] raise only what the file or stream raises
  /// V2000 connection table: counts line, atom lines (charge codes and mass differences in their columns),
  /// each bond once, "M  END".
  void WriteToMDLCTabFile(TextFile& F);
  void WriteToMDLCTabStream(TStream& OutStream);
  /// CONTAB: "/CONTAB " and the body that ReadFromClearTextFile reads back unchanged.
  void WriteToClearTextFile(TextFile& F);
  /// Mol file: name line, header line (user initials, program, date, 2D/3D, registry number), comment line,
  /// then the connection table.
  void WriteToMDLMolFile(TextFile& F, const String& User, const String& ProgName, int Regnum,
                         const String& Comment);
  void WriteToMDLMolStream(TStream& OutStream, const String& User, const String& ProgName, int Regnum,
                           const String& Comment);
  /// The mol file with the number n as its name line.
  void WriteToMolConnXFile(int n, TextFile& F);

  // [queries]
  /// Occupied connection slots of AtIx; 0 outside 1..N.
  int GetNBonds(int AtIx) const;
  /// The largest connection count; AtIx receives the first atom with it (unchanged when no atom has a bond).
  int MaxNBonds(int& AtIx) const;
  /// Bond type of At1 to At2 among At1's first GetNBonds(At1) slots; 0 when none.
  int CheckConnect(int At1, int At2) const;
  /// Number of atoms with that atomic number.
  int AtomCount(int AtNum) const;
  /// True when some atom has no connection.
  bool ContainsUnconnectedAtom() const;
  /// First atom at index AtIx or above with exactly one connection; 0 when none.
  int FindNextEndAtom(int AtIx) const;
  /// True when any coordinate of atoms 1..N is not 0.
  bool GetCoordsPresent() const;
  /// false: zeroes the coordinates of atoms 1..N and fires Changed; true does nothing.
  void SetCoordsPresent(bool Value);
  /// Differences as bits, 0 = identical: $0001 N, $0002 name (upper-cased), $0004 unit, $0008 CAS number;
  /// over all 63 slots $0010 AtNum, $0020 AtWeight, $0040 AtFlag, $0080 Attrib, $0100 Charge, $0200 x,
  /// $0400 y, $0800 z, $1000 ConnTo, $2000 TypConn.
  uint16_t CompareWith(const TCTab& CTabSource) const;

  // [CAS number]
  /// The CAS number as "7732-18-5" ("0-00-0" for none).
  String GetCASNr() const;
  /// Takes a well-formed CAS number that passes the check digit; keeps the old one otherwise; fires Changed
  /// in either case.
  void SetCASNr(const String& Text);
  /// The CAS check-digit rule (CheckCASNr of Qelta_CData).
  bool CheckCASNr(int32_t Nr) const;

  // [editing] none fires Changed
  /// Clears the table (as construction) and fires Changed.
  void Clear();
  /// Attrib := 0 for atoms 1..N.
  void ClearAttributes();
  /// Appends an atom with the record's element, weight, flag, attribute, charge and coordinates and enters its
  /// connections from the new atom (one direction); false when the table is full.
  bool AddAtom(const CTElem& AtomRec);
  /// Enters Connto with its type in AtIx's list (replacing the type when Connto is there); nothing when either
  /// index is outside 1..63, they are equal, or all ten slots hold other atoms.
  void EnterConn(int AtIx, int Connto, int TypConn);
  /// CType 1..255 bonds At1 and At2 in both directions, CType 0 removes their bond; true when done. False, and
  /// nothing changed, for indices outside 1..N, equal indices, other types, a bond that one end has no slot
  /// for, or (CType 0) no bond to remove.
  bool MakeConnection(int At1, int At2, int CType);
  /// Enters the reverse of every connection.
  void MakeSymmetricConnections();
  /// Deletes atom AtomNr (1..N): its neighbours are bonded to each other (type: the smaller of the two bonds to
  /// it, both directions; a bond one end has no free slot for is entered at neither), the last atom moves into
  /// its slot and every list is cleaned of repeats.
  void DeleteAtom(int AtomNr);
  /// Deletes every hydrogen atom.
  void RemoveHydrogen();
  /// Deletes chain ends until none is left; N becomes 0 when one atom remains. Answers N.
  int StripfromChains();
  /// Copies N, name, unit, CAS number and every slot except AtDispAtb; fires Changed.
  void CopyFrom(const TCTab& CTabSource);
  /// Merges a fragment whose atoms carry the AtFlag of their partner atom here (0 or no partner: a new atom);
  /// nothing when the result would exceed 63 atoms. The source is unchanged.
  void JoinFragment(const TCTab& CTabSource);
  /// Appends the source's atoms and bonds every atom here with a non-zero AtFlag to every appended atom with the
  /// same AtFlag (single bonds); nothing when the result would exceed 63 atoms. The source is unchanged.
  void LinkFragment(const TCTab& CtabSource);

  // [accessors] AtIx 1..N; slot k 1..10 (connections) or 1..3 (coordinates); outside: read 0, write nothing
  int GetAtNum(int AtIx) const;
  /// Written for values 1..103 only.
  void SetAtNum(int AtIx, int Value);
  int GetAtWeight(int AtIx) const;
  /// Written for values 0..65535.
  void SetAtWeight(int AtIx, int Value);
  int GetAtFlag(int AtIx) const;
  /// Written for values 0..255.
  void SetAtFlag(int AtIx, int Value);
  int GetAttrib(int AtIx) const;
  /// Written for values 0..255.
  void SetAttrib(int AtIx, int Value);
  int GetCharge(int AtIx) const;
  /// Written for values -128..127.
  void SetCharge(int AtIx, int Value);
  int GetConnTo(int AtIx, int k) const;
  /// Written for values 0..63.
  void SetConnTo(int AtIx, int k, int Value);
  int GetTypConn(int AtIx, int k) const;
  /// Written for values 0..255.
  void SetTypConn(int AtIx, int k, int Value);
  float GetCoords(int AtIx, int k) const;
  void SetCoords(int AtIx, int k, float Value);
  /// A copy of the record; a cleared record outside 1..N.
  CTElem GetAtomEntries(int AtIx) const;
  /// Copies the whole record; ignored when it names a connection above 63.
  void SetAtomEntries(int AtIx, const CTElem& Rec);

  // [properties]
  const String& StrucName() const { return FStrucName; }
  void SetStrucName(const String& Value) { FStrucName = Value; }
  int32_t BinCASNr() const { return FCASNr; }
  void SetBinCASNr(int32_t Value) { FCASNr = Value; }
  int NAtoms() const { return FNumValidAtoms; }
  /// Clamped to 0..63; slots are left as they are (set N, then fill the atoms with the setters).
  void SetNAtoms(int Value);
  CoordUnitType CoordUnits() const { return FCoordUnit; }
  void SetCoordUnits(CoordUnitType Value) { FCoordUnit = Value; }

  // [events]
  TNotifyEvent OnChange;

 private:
  bool Valid(int AtIx) const { return AtIx >= 1 && AtIx <= FNumValidAtoms; }
  CTElem& Atom(int AtIx) { return FAtomEntries[AtIx]; }
  const CTElem& Atom(int AtIx) const { return FAtomEntries[AtIx]; }
  /// Whether AtIx can take Connto: it is there already or a slot is free.
  bool HasRoomFor(int AtIx, int Connto) const;
  void RemoveConn(int AtIx, int Connto);
  void CleanConnections(int AtIx);
  void ClearSlotsFrom(int first);
  void ContractAround(int AtomNr);
  void MoveLastAtomTo(int AtomNr);
  void NormaliseCoordinates();
  void ClearAtFlags();
  void DropReferencesAbove(int n, bool& ok);
  bool ReadCTab(TTagReader& lines);
  bool ReadMol(TTagReader& lines);
  bool ReadClearTextBody(TextFile& F, bool ctabg);
  bool ReadSDBlock(TextFile& F, int nAtoms, int nBonds);
  void ReadSDData(TextFile& F, TProps& Props, bool recordRead);
  static void StoreProperty(TProps& Props, const String& ID, const String& Text);
  std::vector<String> CTabLines() const;
  std::vector<String> MolLines(const String& Name, const String& User, const String& ProgName, int Regnum,
                               const String& Comment) const;

  int32_t FNumValidAtoms = 0;
  String FStrucName;
  int32_t FCASNr = 0;
  CoordUnitType FCoordUnit = cuUnknown;
  Array1<CTElem, MaxAtoms> FAtomEntries;
};

}  // namespace qelta

QELTA_PUBLIC_END
