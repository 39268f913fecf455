// Qelta_cstruct_rings: ring counts, the shortest rings through an atom, the assembled smallest set of smallest
// rings and the topology attributes.
//
// The shortest rings through s come from a depth-first search from s along the connection slots in order,
// with a best ring size B (64 at first): a path of length L extends only while B >= L, a neighbour equal to s
// (not the one just left) closes a ring of the path's length and ends the scan of that atom's slots, a closure
// shorter than B restarts the list with it, one of length B is added when no ring of the list holds its atoms.
// Two cuts leave every closure that can change the list, and so the rings, their order and the atom order in
// each ring as the plain search gives them:
//  - an edge on no cycle (a bridge, Tarjan's low-link test) can never lead back to s, and an atom with no edge
//    on a cycle has no ring at all;
//  - from a path of length L, a neighbour at breadth-first distance d from s closes no ring shorter than L + d,
//    so it is skipped when L + d > B (B only shrinks);
//  - B starts at the length m of the shortest cycle through s (breadth-first search, the least d(u) + d(v) + 1
//    over the edges u-v whose ends descend from different neighbours of s) instead of 64. The search never
//    cuts a path of up to m atoms (B >= m throughout), so it finds the closures of size m in the same order, and
//    those are the rings it keeps; it only skips the longer detours before the first of them. This needs the
//    walk to see each bond both ways, so a table with one-way connections starts at 64.
// Atom indices outside 1..N and references of an atom to itself are not followed.

#include <algorithm>
#include <memory>

#include "Qelta_cstruct.h"

namespace qelta {

namespace {

using TMask = uint64_t;  // one bit per atom index 1..63

TMask RingMask(const RingType& ring, bool& inRange) {
  TMask mask = 0;
  inRange = true;
  const int size = std::min<int>(ring.RingSize, MaxRingSize);
  for (int k = 1; k <= size; ++k) {
    const int a = ring.AtList[k];
    if (a < 1 || a > MaxAtoms) inRange = false; else mask |= TMask{1} << a;
  }
  return mask;
}

// The table's connections as the search walks them, with the edges that lie on a cycle.
class TRingSearch {
 public:
  explicit TRingSearch(const TCTab& ctab);
  /// The shortest rings through s into list; their count.
  int ShortestRings(int s, RingListType& list);

 private:
  void FindCycleEdges();
  int LowLink(int v, int parent, int& time, int* order);
  void Distances(int s);
  int ShortestCycleThrough(int s) const;
  void Visit(int prev, int cur);
  void Close();

  int FN = 0;
  int FDeg[MaxAtoms + 1] = {};                       // slots walked: up to the first empty one
  uint8_t FAdj[MaxAtoms + 1][MaxConn] = {};          // neighbour in each walked slot, 0 = not followed
  bool FOnCycle[MaxAtoms + 1][MaxConn] = {};         // that edge lies on a cycle
  bool FAtomOnCycle[MaxAtoms + 1] = {};
  TMask FUndirected[MaxAtoms + 1] = {};              // neighbours in either direction
  bool FSymmetric = true;                            // every followed connection is followed back too
  int FDist[MaxAtoms + 1] = {};
  // search state
  int FStart = 0;
  int FBest = 0;
  int FPath[MaxAtoms + 1] = {};
  int FLen = 0;
  bool FOnPath[MaxAtoms + 1] = {};
  RingListType* FList = nullptr;
  TMask FListMasks[MaxRings + 1] = {};
};

TRingSearch::TRingSearch(const TCTab& ctab) : FN(ctab.NAtoms()) {
  TMask out[MaxAtoms + 1] = {};
  for (int a = 1; a <= FN; ++a) {
    for (int k = 1; k <= MaxConn; ++k) {
      const int nb = ctab.GetConnTo(a, k);
      if (nb == 0) break;
      FDeg[a] = k;
      if (nb > FN || nb == a) continue;
      FAdj[a][k - 1] = static_cast<uint8_t>(nb);
      FUndirected[a] |= TMask{1} << nb;
      FUndirected[nb] |= TMask{1} << a;
      out[a] |= TMask{1} << nb;
    }
  }
  for (int a = 1; a <= FN; ++a) FSymmetric &= out[a] == FUndirected[a];
  FindCycleEdges();
}

// Low-link depth-first search on the undirected graph; an edge a-b lies on a cycle unless it is a bridge.
void TRingSearch::FindCycleEdges() {
  int order[MaxAtoms + 1] = {};
  int time = 0;
  for (int v = 1; v <= FN; ++v)
    if (order[v] == 0) LowLink(v, 0, time, order);
  for (int a = 1; a <= FN; ++a)
    for (int k = 0; k < FDeg[a]; ++k)
      if (FOnCycle[a][k]) FAtomOnCycle[a] = true;
}

// Answers the low link of v and marks the edges at v that are no bridges; parent is the atom v was reached
// from (0 at a root). Depth at most 63.
int TRingSearch::LowLink(int v, int parent, int& time, int* order) {
  int low = order[v] = ++time;
  for (TMask rest = FUndirected[v]; rest != 0; rest &= rest - 1) {
    const int w = __builtin_ctzll(rest);
    if (w == parent) continue;
    if (order[w] == 0) {
      const int lowW = LowLink(w, v, time, order);
      low = std::min(low, lowW);
      if (lowW <= order[v]) {  // v-w is no bridge
        for (int k = 0; k < FDeg[v]; ++k) FOnCycle[v][k] |= FAdj[v][k] == w;
        for (int k = 0; k < FDeg[w]; ++k) FOnCycle[w][k] |= FAdj[w][k] == v;
      }
    } else {
      low = std::min(low, order[w]);
      for (int k = 0; k < FDeg[v]; ++k) FOnCycle[v][k] |= FAdj[v][k] == w;  // a back edge closes a cycle
      for (int k = 0; k < FDeg[w]; ++k) FOnCycle[w][k] |= FAdj[w][k] == v;
    }
  }
  return low;
}

// Breadth-first distance of every atom from s over the undirected edges (64 where none).
void TRingSearch::Distances(int s) {
  std::fill(FDist, FDist + FN + 1, MaxRingSize);
  FDist[s] = 0;
  TMask seen = TMask{1} << s, front = seen;
  for (int d = 1; front != 0; ++d) {
    TMask next = 0;
    for (TMask rest = front; rest != 0; rest &= rest - 1) next |= FUndirected[__builtin_ctzll(rest)];
    next &= ~seen;
    for (TMask rest = next; rest != 0; rest &= rest - 1) FDist[__builtin_ctzll(rest)] = d;
    seen |= next;
    front = next;
  }
}

// Length of the shortest cycle through s on the undirected bonds; MaxRingSize when there is none.
int TRingSearch::ShortestCycleThrough(int s) const {
  int dist[MaxAtoms + 1], branch[MaxAtoms + 1], queue[MaxAtoms];
  std::fill(dist, dist + FN + 1, -1);
  int head = 0, tail = 0, best = MaxRingSize;
  dist[s] = 0;
  for (TMask rest = FUndirected[s]; rest != 0; rest &= rest - 1) {
    const int v = __builtin_ctzll(rest);
    dist[v] = 1;
    branch[v] = v;
    queue[tail++] = v;
  }
  while (head < tail) {
    const int u = queue[head++];
    for (TMask rest = FUndirected[u] & ~(TMask{1} << s); rest != 0; rest &= rest - 1) {
      const int w = __builtin_ctzll(rest);
      if (dist[w] < 0) {
        dist[w] = dist[u] + 1;
        branch[w] = branch[u];
        queue[tail++] = w;
      } else if (branch[w] != branch[u]) {
        best = std::min(best, dist[u] + dist[w] + 1);
      }
    }
  }
  return best;
}

int TRingSearch::ShortestRings(int s, RingListType& list) {
  list.NrOfRings = 0;
  if (s < 1 || s > FN || !FAtomOnCycle[s]) return 0;
  Distances(s);
  FStart = s;
  FBest = FSymmetric ? ShortestCycleThrough(s) : MaxRingSize;
  FLen = 0;
  FList = &list;
  Visit(0, s);
  return list.NrOfRings;
}

void TRingSearch::Visit(int prev, int cur) {
  FPath[++FLen] = cur;
  bool closure = false;
  for (int k = 0; k < FDeg[cur]; ++k) {
    const int nb = FAdj[cur][k];
    if (nb == 0) continue;  // a reference that is not followed
    if (nb == FStart && nb != prev) {
      closure = true;
      break;
    }
    if (nb == prev || FOnPath[nb] || FBest < FLen || !FOnCycle[cur][k] || FLen + FDist[nb] > FBest) continue;
    FOnPath[cur] = true;
    Visit(cur, nb);
  }
  if (closure) Close();
  FOnPath[cur] = false;
  --FLen;
}

// The path closes a ring of FLen atoms.
void TRingSearch::Close() {
  RingListType& list = *FList;
  TMask mask = 0;
  for (int i = 1; i <= FLen; ++i) mask |= TMask{1} << FPath[i];
  if (FLen < FBest) {
    list.NrOfRings = 0;
    FBest = FLen;
  } else if (FLen > FBest || list.NrOfRings >= MaxRings) {
    return;
  } else {
    for (int r = 1; r <= list.NrOfRings; ++r)
      if ((mask & ~FListMasks[r]) == 0) return;
  }
  RingType& ring = list.RList[++list.NrOfRings];
  ring.RingSize = static_cast<uint8_t>(FLen);
  for (int i = 1; i <= FLen; ++i) ring.AtList[i] = static_cast<uint8_t>(FPath[i]);
  FListMasks[list.NrOfRings] = mask;
}

}  // namespace

bool RingInRingList(const RingType& Ring, const RingListType& List) {
  bool inRange = true;
  const TMask ring = RingMask(Ring, inRange);
  if (!inRange) return false;
  const int count = std::clamp<int>(List.NrOfRings, 0, MaxRings);
  for (int r = 1; r <= count; ++r) {
    bool listInRange = true;
    if ((ring & ~RingMask(List.RList[r], listInRange)) == 0) return true;
  }
  return false;
}

// The search marks its path in a table of its own; AtFlag, the table's mark for it, ends as 0.
void TCTab::ClearAtFlags() {
  for (int i = 1; i <= FNumValidAtoms; ++i) Atom(i).AtFlag = 0;
}

int TCTab::RingsInMolecule() const {
  int ends = 0;
  for (int i = 1; i <= FNumValidAtoms; ++i) ends += GetNBonds(i);
  return ends / 2 - FNumValidAtoms + 1;
}

int TCTab::FindShortestRings(uint16_t AtomIx, RingListType& RingList) {
  RingList.NrOfRings = 0;
  const int count = AtomIx >= 1 && AtomIx <= FNumValidAtoms ? TRingSearch(*this).ShortestRings(AtomIx, RingList) : 0;
  ClearAtFlags();
  return count;
}

int TCTab::FindSSSR(RingListType& RingList) {
  RingList.NrOfRings = 0;
  TRingSearch search(*this);
  auto found = std::make_unique<RingListType>();
  bool done[MaxAtoms + 1] = {};
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    if (done[i]) continue;
    for (int r = 1, n = search.ShortestRings(i, *found); r <= n; ++r) {
      const RingType& ring = found->RList[r];
      if (RingList.NrOfRings >= MaxRings || RingInRingList(ring, RingList)) continue;
      RingList.RList[++RingList.NrOfRings] = ring;
      for (int k = 1; k <= ring.RingSize; ++k)
        if (GetNBonds(ring.AtList[k]) <= 2) done[ring.AtList[k]] = true;
    }
  }
  ClearAtFlags();
  return RingList.NrOfRings;
}

int TCTab::CalcAttributes() {
  ClearAttributes();
  auto rings = std::make_unique<RingListType>();
  const int count = FindSSSR(*rings);
  for (int r = 1; r <= count; ++r) {
    const RingType& ring = rings->RList[r];
    const int size = ring.RingSize;
    const uint8_t code = size == 5 ? atbRing | atbFiveRing : size == 6 ? atbRing | atbSixRing : atbRing | atbOtherRing;
    for (int k = 1; k <= size; ++k) {
      uint8_t& attrib = Atom(ring.AtList[k]).Attrib;
      const bool seen = (attrib & (atbRing | atbOtherRing | atbFiveRing | atbSixRing)) != 0;
      attrib = static_cast<uint8_t>(attrib | code | (seen ? atbMultiRing : 0));
    }
  }
  for (int i = 1; i <= FNumValidAtoms; ++i) {
    const int bonds = GetNBonds(i);
    uint8_t& attrib = Atom(i).Attrib;
    if (attrib == 0) attrib = bonds == 1 ? atbChainEnd | atbChain : atbChain;
    if (bonds > 2) attrib |= atbBranch;
  }
  return count;
}

}  // namespace qelta
