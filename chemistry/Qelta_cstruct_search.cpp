// Qelta_cstruct_search: the substructure search, a backtracking subgraph-isomorphism search (in the manner of
// VF2, Cordella et al. 2004) behind an element and ring prefilter.
//
// Prefilter: every element at least as often in the target as in the query, and a cycle rank E - N + C (bonds,
// atoms, connected components) at least the query's. The cycle rank counts each component's rings, so a target
// with a separate salt keeps its rings (RingsInMolecule takes one ring off per extra component).
// Order: the anchor is the first non-carbon among query atoms 1..N-1, else atom N when it is not carbon, else
// atom 1; it is tried against the target atoms of its element by index. The other query atoms follow depth first
// in slot order; each is tried on the free neighbours (in slot order) of the image of the query neighbour it was
// reached from. A further component starts at its lowest atom against every free target atom of its element.
// A pair (query atom q, target atom t) fits when t is free, has q's element, at least q's connections and every
// bit of q's non-zero Attrib, and every bond from q to a query atom already mapped is present between the
// images (with q's bond type when bonds are compared). The first complete map is the match.
// Trace: per candidate pair one group: "level=<atoms mapped>  <image of the atom q was reached from> <that atom>
// <t> <q>", the fit and whether q closes a ring (a mapped neighbour other than the one it was reached from) as
// "T"/"F", the groups of the deeper pairs, "final: " and the outcome, and 14 dashes. The lines are gathered and
// appended to "substrct.txt" in batches of 4096 and at the end of the call.

#include <algorithm>

#include "Qelta_cstruct.h"
#include "Qelta_filesys.h"
#include "Qelta_stringl.h"
#include "StringLists.h"
#include "SysUtils.h"

namespace qelta {

bool SubStrucTrace = true;

namespace {

constexpr const char16_t* kTraceFile = u"substrct.txt";
constexpr int kTraceBatch = 4096;  // lines gathered before they are appended, so a long search keeps little

// Neighbours of every atom in slot order (references outside 1..N and to itself left out), and whether two
// atoms are bonded and how, from either end.
struct TNeighbours {
  int N = 0;
  int Count[MaxAtoms + 1] = {};
  uint8_t List[MaxAtoms + 1][MaxConn] = {};
  const TCTab* Table = nullptr;

  explicit TNeighbours(const TCTab& t) : N(t.NAtoms()), Table(&t) {
    for (int a = 1; a <= N; ++a)
      for (int k = 1; k <= t.GetNBonds(a); ++k)
        if (const int nb = t.GetConnTo(a, k); nb >= 1 && nb <= N && nb != a) List[a][Count[a]++] = uint8_t(nb);
  }
  int BondType(int a, int b) const {
    const int type = Table->CheckConnect(a, b);
    return type != 0 ? type : Table->CheckConnect(b, a);
  }
  /// Bonds E minus atoms N plus components C: the number of independent rings.
  int CycleRank() const;
};

int TNeighbours::CycleRank() const {
  int parent[MaxAtoms + 1];
  for (int a = 0; a <= N; ++a) parent[a] = a;
  auto root = [&](int a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  };
  int edges = 0, components = N;
  for (int a = 1; a <= N; ++a)
    for (int k = 0; k < Count[a]; ++k) {
      const int b = List[a][k];
      // each bond once: from its lower end, or from the only end that lists it
      if (b < a && Table->CheckConnect(b, a) != 0) continue;
      ++edges;
      const int ra = root(a), rb = root(b);
      if (ra != rb) parent[ra] = rb, --components;
    }
  return edges - N + components;
}

class TSubSearch {
 public:
  TSubSearch(const TCTab& target, const TCTab& query, bool compareBonds)
      : T(target), Q(query), FCompareBonds(compareBonds), FTarget(target), FQuery(query) {}
  /// The first match into images (query atom -> target atom); false when there is none.
  bool Run();
  /// The target has at least as many independent rings as the query.
  bool RingsFit() const { return FTarget.CycleRank() >= FQuery.CycleRank(); }
  int Image(int q) const { return FImage[q]; }
  /// Appends the trace lines gathered so far to the trace file and forgets them.
  void FlushTrace();

 private:
  void Order();
  void Visit(int q, int from);
  bool Extend(int pos);
  bool Try(int pos, int t);
  bool Fits(int q, int t, bool& closure) const;

  const TCTab& T;
  const TCTab& Q;
  bool FCompareBonds;
  TNeighbours FTarget, FQuery;
  int FOrder[MaxAtoms + 1] = {};  // query atoms in search order, 1-based
  int FFrom[MaxAtoms + 1] = {};   // the query atom each was reached from, 0 for a component's first
  int FCount = 0;
  int FImage[MaxAtoms + 1] = {};
  bool FUsed[MaxAtoms + 1] = {};
  TStringList FTrace;
};

void TSubSearch::Visit(int q, int from) {
  FOrder[++FCount] = q;
  FFrom[q] = from;
  for (int k = 0; k < FQuery.Count[q]; ++k) {
    const int nb = FQuery.List[q][k];
    if (std::find(FOrder + 1, FOrder + FCount + 1, nb) == FOrder + FCount + 1) Visit(nb, q);
  }
}

void TSubSearch::Order() {
  const int n = Q.NAtoms();
  int anchor = n;
  for (int a = n - 1; a >= 1; --a)
    if (Q.GetAtNum(a) != 6) anchor = a;
  if (anchor == n && Q.GetAtNum(n) == 6) anchor = 1;
  Visit(anchor, 0);
  for (int a = 1; a <= n; ++a)
    if (std::find(FOrder + 1, FOrder + FCount + 1, a) == FOrder + FCount + 1) Visit(a, 0);
}

void TSubSearch::FlushTrace() {
  if (FTrace.Count() > 0) AppendToTextFile(kTraceFile, FTrace);
  FTrace.Clear();
}

bool TSubSearch::Run() {
  Order();
  return Extend(1);
}

bool TSubSearch::Extend(int pos) {
  if (pos > FCount) return true;
  const int q = FOrder[pos], from = FFrom[q];
  if (from != 0) {
    const int image = FImage[from];
    for (int k = 0; k < FTarget.Count[image]; ++k)
      if (const int t = FTarget.List[image][k]; !FUsed[t] && Try(pos, t)) return true;
    return false;
  }
  const int element = Q.GetAtNum(q);
  for (int t = 1; t <= FTarget.N; ++t)
    if (!FUsed[t] && T.GetAtNum(t) == element && Try(pos, t)) return true;
  return false;
}

bool TSubSearch::Fits(int q, int t, bool& closure) const {
  closure = false;
  const int attrib = Q.GetAttrib(q);
  if (Q.GetAtNum(q) != T.GetAtNum(t) || (attrib & ~T.GetAttrib(t)) != 0 ||
      FTarget.Count[t] < FQuery.Count[q])
    return false;
  for (int k = 0; k < FQuery.Count[q]; ++k) {
    const int m = FQuery.List[q][k];
    if (FImage[m] == 0) continue;
    closure |= m != FFrom[q];
    const int type = FTarget.BondType(t, FImage[m]);
    if (type == 0 || (FCompareBonds && type != FQuery.BondType(q, m))) return false;
  }
  return true;
}

bool TSubSearch::Try(int pos, int t) {
  const int q = FOrder[pos], from = FFrom[q];
  const bool tracing = SubStrucTrace;
  if (tracing)
    FTrace.Add(u"level=" + IntToStr(pos - 1) + u"  " + IntToStr(from != 0 ? FImage[from] : 0) + u" " +
               IntToStr(from) + u" " + IntToStr(t) + u" " + IntToStr(q));
  bool closure = false;
  bool ok = Fits(q, t, closure);
  if (tracing) FTrace.Add(BoolToStr(ok, 1) + u" " + BoolToStr(closure, 1));
  if (ok) {
    FImage[q] = t;
    FUsed[t] = true;
    ok = Extend(pos + 1);
    if (!ok) {
      FImage[q] = 0;
      FUsed[t] = false;
    }
  }
  if (tracing) {
    FTrace.Add(u"final: " + BoolToStr(ok, 1));
    FTrace.Add(u"--------------");
    if (FTrace.Count() >= kTraceBatch) FlushTrace();
  }
  return ok;
}

}  // namespace

bool TCTab::SumForContained(const TCTab& CTabSmall) const {
  if (CTabSmall.FNumValidAtoms > FNumValidAtoms) return false;
  int balance[256] = {};
  for (int i = 1; i <= FNumValidAtoms; ++i) ++balance[Atom(i).AtNum];
  for (int i = 1; i <= CTabSmall.FNumValidAtoms; ++i)
    if (--balance[CTabSmall.Atom(i).AtNum] < 0) return false;
  return true;
}

bool TCTab::SearchSubStruc(const TCTab& CTabSmall, AtFlagType& MatchedAtoms, bool CompareBonds) const {
  if (CTabSmall.FNumValidAtoms < 1 || !SumForContained(CTabSmall)) return false;
  TSubSearch search(*this, CTabSmall, CompareBonds);
  if (!search.RingsFit()) return false;
  MatchedAtoms = AtFlagType{};
  const bool found = search.Run();
  if (found)
    for (int q = 1; q <= CTabSmall.FNumValidAtoms; ++q) MatchedAtoms[search.Image(q)] = 1;
  if (SubStrucTrace) search.FlushTrace();
  return found;
}

}  // namespace qelta
