// The connection table beside RDKit on the same molecules (the first 1000 NCI sample molecules of RDKit's data
// with at most 63 heavy atoms, 2-D coordinates by RDKit):
//   BM_ReadSD        all records of their SD file (in the page cache) read one by one, beside RDKit's
//                    SDMolSupplier on the same file without sanitising (both parse the blocks only); records/s.
//   BM_Rings         FindSSSR and CalcAttributes (topology bits) of every molecule, beside MolOps::findSSSR
//                    (ring information reset first, so each call computes); molecules/s.
//   BM_Cage/kind     one cage per call, beside MolOps::findSSSR: C20 (dodecahedrane), C60 (fullerene with
//                    shuffled connection slots) and random polycycles of 63 atoms (a tree and 16 more bonds).
//   BM_SubSearch/q   the first match of a Kekule benzene ring (0) and of a carboxyl group C(=O)O (1) in every
//                    molecule, bond types compared, trace off, beside SubstructMatch on the Kekule molecules with
//                    the same query; both must find the same number of molecules; molecules/s.
//   BM_MassSearch    every formula of nominal mass 300 within C0..60 H0..120 N0..10 O0..20 S0..4 (8.5 million
//                    combinations), one per call of FindFormulaNominalMass, beside five plain nested loops that
//                    sum each combination from scratch.
//   BM_OptimizeShape one OptimizeMolShape (100 x 63 random moves, ideal bond 30 pixels) of a random polycycle of
//                    63 atoms laid out by RDKit and shaken, on a display that is not shown, beside RDKit's
//                    compute2DCoords of the same graph (another method for the same job: a 2-D layout).
//   BM_FormulaParse/n  MolFormula := "Ca", n "(" and "O H)2" (every group ends at the one ")"), at n = 30,000
//                    and 300,000, beside a plain pass that matches the parentheses with a stack: a ratio that
//                    stays put from one size to the next shows a parse linear in the text.
// Times are Qelta's; the counters hold the anchor's seconds, the ratio Qelta / anchor and the rate.

#include <unistd.h>

#include <benchmark/benchmark.h>

#include <GraphMol/Depictor/RDDepictor.h>
#include <GraphMol/FileParsers/FileParsers.h>
#include <GraphMol/FileParsers/MolSupplier.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/RWMol.h>
#include <GraphMol/SmilesParse/SmilesParse.h>
#include <GraphMol/Substruct/SubstructMatch.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Qelta_ChemGrph.h"
#include "Qelta_cform.h"
#include "Random.h"
#include "Qelta_cstruct.h"
#include "SideBySide.h"
#include "TextFiles.h"

namespace {

using qelta::bench::Seconds;

constexpr const char* kNCI = "/usr/share/RDKit/Data/NCI/first_5K.smi";
constexpr int kMolecules = 1000;

struct TSet {
  std::string sdPath;
  std::vector<std::unique_ptr<RDKit::ROMol>> mols;
  std::vector<std::unique_ptr<qelta::TCTab>> tables;
};

bool Usable(const RDKit::ROMol& m) {
  if (m.getNumAtoms() > 63) return false;
  for (const RDKit::Atom* a : m.atoms())
    if (a->getDegree() > 10 || std::abs(a->getFormalCharge()) > 3 || a->getNumRadicalElectrons() != 0) return false;
  return true;
}

const TSet& Molecules() {
  static TSet set = [] {
    TSet s;
    const char* base = std::getenv("TMPDIR");
    s.sdPath = std::string(base && *base ? base : "/tmp") + "/qelta-bench-chem-" + std::to_string(::getpid()) + ".sdf";
    std::ifstream in(kNCI);
    std::ofstream out(s.sdPath);
    for (std::string line; std::getline(in, line) && static_cast<int>(s.mols.size()) < kMolecules;) {
      std::unique_ptr<RDKit::RWMol> m;
      try {
        m.reset(RDKit::SmilesToMol(line.substr(0, line.find_first_of(" \t"))));
      } catch (...) {
        continue;
      }
      if (!m || !Usable(*m)) continue;
      RDDepict::compute2DCoords(*m);
      out << RDKit::MolToMolBlock(*m) << "$$$$\n";
      s.mols.emplace_back(new RDKit::ROMol(*m));
    }
    out.close();
    qelta::TextFile f;
    qelta::AssignFile(f, qelta::Utf8ToString(s.sdPath));
    qelta::Reset(f);
    qelta::TProps props;
    while (!qelta::Eof(f)) {
      s.tables.push_back(std::make_unique<qelta::TCTab>(nullptr));
      s.tables.back()->ReadFromMDLSDFile(f, props);
    }
    qelta::CloseFile(f);
    std::atexit([] { std::remove(Molecules().sdPath.c_str()); });
    return s;
  }();
  return set;
}

void BM_ReadSD(benchmark::State& state) {
  const TSet& s = Molecules();
  qelta::bench::TSideBySide t;
  int records = 0;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      qelta::TextFile f;
      qelta::AssignFile(f, qelta::Utf8ToString(s.sdPath));
      qelta::Reset(f);
      qelta::TCTab table(nullptr);
      qelta::TProps props;
      for (records = 0; !qelta::Eof(f); ++records) table.ReadFromMDLSDFile(f, props);
      qelta::CloseFile(f);
    });
    const double anchor = Seconds([&] {
      RDKit::SDMolSupplier supplier(s.sdPath, false, false);
      for (; !supplier.atEnd();) delete supplier.next();
    });
    t.Add(state, ours, anchor);
  }
  t.Report(state);
  state.counters["records_per_s"] = benchmark::Counter(records, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Rings(benchmark::State& state) {
  const TSet& s = Molecules();
  std::vector<std::unique_ptr<RDKit::ROMol>> mols;
  for (const auto& m : s.mols) mols.emplace_back(new RDKit::ROMol(*m));
  auto rings = std::make_unique<qelta::RingListType>();
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      for (const auto& table : s.tables) benchmark::DoNotOptimize(table->CalcAttributes());
    });
    const double anchor = Seconds([&] {
      std::vector<std::vector<int>> res;
      for (const auto& m : mols) {
        m->getRingInfo()->reset();
        benchmark::DoNotOptimize(RDKit::MolOps::findSSSR(*m, res));
      }
    });
    t.Add(state, ours, anchor);
  }
  t.Report(state);
  state.counters["molecules_per_s"] =
      benchmark::Counter(static_cast<double>(s.tables.size()), benchmark::Counter::kIsIterationInvariantRate);
}

// [SECTION] cages

using TEdges = std::vector<std::array<int, 2>>;

// Dodecahedrane: outer pentagon 0..4, a ten-ring 5..14, inner pentagon 15..19.
TEdges Dodecahedrane() {
  TEdges e;
  for (int i = 0; i < 5; ++i) {
    e.push_back({i, (i + 1) % 5});
    e.push_back({i, 5 + 2 * i});
    e.push_back({15 + i, 15 + (i + 1) % 5});
    e.push_back({15 + i, 6 + 2 * i});
  }
  for (int j = 0; j < 10; ++j) e.push_back({5 + j, 5 + (j + 1) % 10});
  return e;
}

// The fullerene C60 as the truncated icosahedron: one atom per directed edge u->v of an icosahedron, bonded to
// v->u and to u->w for the neighbours w of u next to v.
TEdges Fullerene() {
  const double phi = (1 + std::sqrt(5.0)) / 2;
  std::vector<std::array<double, 3>> p;
  for (double a : {-1.0, 1.0})
    for (double b : {-phi, phi}) {
      p.push_back({0, a, b});
      p.push_back({a, b, 0});
      p.push_back({b, 0, a});
    }
  auto near = [&](int u, int v) {
    double d = 0;
    for (int k = 0; k < 3; ++k) d += (p[u][k] - p[v][k]) * (p[u][k] - p[v][k]);
    return std::fabs(d - 4) < 1e-9;
  };
  std::vector<std::array<int, 2>> arcs;
  for (int u = 0; u < 12; ++u)
    for (int v = 0; v < 12; ++v)
      if (u != v && near(u, v)) arcs.push_back({u, v});
  TEdges e;
  for (size_t i = 0; i < arcs.size(); ++i)
    for (size_t j = i + 1; j < arcs.size(); ++j) {
      const auto [u, v] = arcs[i];
      const auto [x, w] = arcs[j];
      if ((u == w && v == x) || (u == x && near(v, w))) e.push_back({static_cast<int>(i), static_cast<int>(j)});
    }
  return e;
}

TEdges RandomPolycycle(std::mt19937& rng) {
  TEdges e;
  std::vector<int> degree(63, 0);
  for (int i = 1; i < 63; ++i) {
    int j = 0;
    do j = static_cast<int>(rng() % static_cast<unsigned>(i)); while (degree[j] >= 4);
    e.push_back({i, j});
    ++degree[i], ++degree[j];
  }
  for (int added = 0; added < 16;) {
    const int a = static_cast<int>(rng() % 63), b = static_cast<int>(rng() % 63);
    if (a == b || degree[a] >= 4 || degree[b] >= 4) continue;
    if (std::find(e.begin(), e.end(), std::array<int, 2>{a, b}) != e.end() ||
        std::find(e.begin(), e.end(), std::array<int, 2>{b, a}) != e.end())
      continue;
    e.push_back({a, b});
    ++degree[a], ++degree[b], ++added;
  }
  return e;
}

struct TCage {
  std::unique_ptr<qelta::TCTab> table;
  std::unique_ptr<RDKit::RWMol> mol;
};

// Both forms of a cage; the bonds are entered in shuffled order, so the connection slots are too.
TCage MakeCage(TEdges e, std::mt19937& rng) {
  int n = 0;
  for (const auto& b : e) n = std::max({n, b[0] + 1, b[1] + 1});
  std::shuffle(e.begin(), e.end(), rng);
  TCage c{std::make_unique<qelta::TCTab>(nullptr), std::make_unique<RDKit::RWMol>()};
  for (int i = 0; i < n; ++i) {
    qelta::CTElem rec;
    rec.AtNum = 6;
    c.table->AddAtom(rec);
    c.mol->addAtom(new RDKit::Atom(6), false, true);
  }
  for (const auto& b : e) {
    c.table->MakeConnection(b[0] + 1, b[1] + 1, 1);
    c.mol->addBond(b[0], b[1], RDKit::Bond::SINGLE);
  }
  return c;
}

void BM_Cage(benchmark::State& state) {
  std::mt19937 rng(60);
  std::vector<TCage> cages;
  if (state.range(0) == 0) cages.push_back(MakeCage(Dodecahedrane(), rng));
  if (state.range(0) == 1) cages.push_back(MakeCage(Fullerene(), rng));
  for (int i = 0; state.range(0) == 2 && i < 20; ++i) cages.push_back(MakeCage(RandomPolycycle(rng), rng));
  state.SetLabel(state.range(0) == 0 ? "C20" : state.range(0) == 1 ? "C60" : "random63 x20");
  auto rings = std::make_unique<qelta::RingListType>();
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    const double ours = Seconds([&] {
      for (auto& c : cages) benchmark::DoNotOptimize(c.table->FindSSSR(*rings));
    });
    const double anchor = Seconds([&] {
      std::vector<std::vector<int>> res;
      for (auto& c : cages) {
        c.mol->getRingInfo()->reset();
        benchmark::DoNotOptimize(RDKit::MolOps::findSSSR(*c.mol, res));
      }
    });
    t.Add(state, ours, anchor);
  }
  t.Report(state);
  state.counters["rings"] = cages[0].table->FindSSSR(*rings);
}

// [SECTION] substructure search

// The query as a connection table: atoms and bonds of the molecule in its Kekule form.
void TableOf(const RDKit::ROMol& m, qelta::TCTab& t) {
  t.Clear();
  for (const RDKit::Atom* a : m.atoms()) {
    qelta::CTElem rec;
    rec.AtNum = static_cast<uint8_t>(a->getAtomicNum());
    t.AddAtom(rec);
  }
  for (const RDKit::Bond* b : m.bonds())
    t.MakeConnection(static_cast<int>(b->getBeginAtomIdx()) + 1, static_cast<int>(b->getEndAtomIdx()) + 1,
                     static_cast<int>(b->getBondTypeAsDouble()));
}

void BM_SubSearch(benchmark::State& state) {
  const TSet& s = Molecules();
  std::unique_ptr<RDKit::RWMol> query(RDKit::SmilesToMol(state.range(0) == 0 ? "c1ccccc1" : "C(=O)O"));
  RDKit::MolOps::Kekulize(*query, true);
  qelta::TCTab table(nullptr);
  TableOf(*query, table);
  std::vector<std::unique_ptr<RDKit::RWMol>> kekule;
  for (const auto& m : s.mols) {
    kekule.emplace_back(new RDKit::RWMol(*m));
    RDKit::MolOps::Kekulize(*kekule.back(), true);
  }
  state.SetLabel(state.range(0) == 0 ? "benzene" : "carboxyl");
  qelta::SubStrucTrace = false;
  qelta::AtFlagType matched{};
  int ours = 0, theirs = 0;
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    ours = theirs = 0;
    const double o = Seconds([&] {
      for (const auto& target : s.tables) ours += target->SearchSubStruc(table, matched, true);
    });
    const double a = Seconds([&] {
      RDKit::MatchVectType match;
      for (const auto& m : kekule) theirs += RDKit::SubstructMatch(*m, *query, match);
    });
    t.Add(state, o, a);
  }
  t.Report(state);
  qelta::SubStrucTrace = true;
  state.counters["found"] = ours;
  state.counters["found_rdkit"] = theirs;
  if (ours != theirs) state.SkipWithError("the searches found different numbers of molecules");
  state.counters["molecules_per_s"] =
      benchmark::Counter(static_cast<double>(s.tables.size()), benchmark::Counter::kIsIterationInvariantRate);
}

// [SECTION] formula-for-a-mass search

qelta::TFormulaRec Bounds(const std::array<int, 5>& counts) {
  static constexpr int kZ[5] = {6, 1, 7, 8, 16}, kMass[5] = {12, 1, 14, 16, 32};
  qelta::TFormulaRec r;
  r.FLeng = 5;
  for (int i = 0; i < 5; ++i) {
    r.AtNum[i + 1] = static_cast<uint8_t>(kZ[i]);
    r.AtWgt[i + 1] = static_cast<uint16_t>(kMass[i]);
    r.AtCnt[i + 1] = static_cast<uint8_t>(counts[static_cast<size_t>(i)]);
  }
  return r;
}

void BM_MassSearch(benchmark::State& state) {
  constexpr int kMass = 300;
  qelta::TMolForm form(nullptr);
  int ours = 0, theirs = 0;
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    ours = theirs = 0;
    const double o = Seconds([&] {
      form.InitFindFormula(kMass, 0, Bounds({0, 0, 0, 0, 0}), Bounds({60, 120, 10, 20, 4}));
      while (form.FindFormulaNominalMass(false)) ++ours;
    });
    const double a = Seconds([&] {
      for (int c = 60; c >= 0; --c)
        for (int h = 120; h >= 0; --h)
          for (int n = 10; n >= 0; --n)
            for (int ox = 20; ox >= 0; --ox)
              for (int su = 4; su >= 0; --su) theirs += 12 * c + h + 14 * n + 16 * ox + 32 * su == kMass;
      benchmark::DoNotOptimize(theirs);
    });
    t.Add(state, o, a);
  }
  t.Report(state);
  state.counters["formulas"] = ours;
  if (ours != theirs) state.SkipWithError("the searches found different numbers of formulas");
}

// [SECTION] formula text

void BM_FormulaParse(benchmark::State& state) {
  const qelta::String text = u"Ca" + qelta::String(static_cast<size_t>(state.range(0)), u'(') + u"O H)2";
  qelta::TMolForm form(nullptr);
  std::vector<size_t> open;
  int matched = 0;
  qelta::bench::RunSideBySide(
      state, [&] { form.SetMolFormula(text); },
      [&] {
        open.clear();
        matched = 0;
        for (size_t i = 0; i < text.size(); ++i) {
          if (text[i] == u'(') {
            open.push_back(i);
          } else if (text[i] == u')' && !open.empty()) {
            open.pop_back();
            ++matched;
          }
        }
        benchmark::DoNotOptimize(matched);
      });
  if (form.NumAtoms() != 3 || matched != 1) state.SkipWithError("the formula parsed wrongly");
}

// [SECTION] layout search

void BM_OptimizeShape(benchmark::State& state) {
  std::mt19937 rng(63);
  TCage cage = MakeCage(RandomPolycycle(rng), rng);
  RDKit::MolOps::findSSSR(*cage.mol);
  RDDepict::compute2DCoords(*cage.mol);
  qelta::TChemGraph graph(nullptr);
  qelta::TCTab start(nullptr);
  start.CopyFrom(*cage.table);
  const RDKit::Conformer& conf = cage.mol->getConformer();
  for (int i = 1; i <= start.NAtoms(); ++i) {
    const RDGeom::Point3D p = conf.getAtomPos(static_cast<unsigned>(i - 1));
    start.SetCoords(i, 1, static_cast<float>(p.x * 20 + static_cast<double>(rng() % 11)));
    start.SetCoords(i, 2, static_cast<float>(p.y * 20 + static_cast<double>(rng() % 11)));
  }
  qelta::bench::TSideBySide t;
  for (auto _ : state) {
    graph.Structure()->CopyFrom(start);
    qelta::RandSeed = 1;
    const double o = Seconds([&] { graph.OptimizeMolShape(30); });
    const double a = Seconds([&] { RDDepict::compute2DCoords(*cage.mol); });
    t.Add(state, o, a);
  }
  t.Report(state);
}

}  // namespace

BENCHMARK(BM_OptimizeShape)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormulaParse)->Arg(30000)->Arg(300000)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SubSearch)->Arg(0)->Arg(1)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MassSearch)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSD)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rings)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cage)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Iterations(500)->Unit(benchmark::kMicrosecond);
