#!/usr/bin/python3
"""Reference data of the chemistry tests, made with RDKit (and read back with RDKit and Open Babel).

  chem_references.py write OUTDIR DATADIR   writes the reference set into OUTDIR:
      symbols.txt    "Z symbol" for Z = 1..103 (RDKit's periodic table)
      molecules.sdf  NCI molecules of at most 63 heavy atoms with 2-D coordinates, as RDKit writes them but with
                     the "M  CHG" / "M  ISO" values moved into the atom-block columns (charge code, difference to
                     the nominal mass of DATADIR/elements.csv) and data headers written "> <ID>"
      molecules.txt  per record what RDKit reads from that file: "atom Z charge isotope" per atom, then
                     "bond a b type" per bond (type 1, 2, 3 or 4), a line "end" after each record
      rings.sdf      ring systems (fixed ones and randomly grown ones, carbon only)
      rings.txt      per record its name, the size of RDKit's symmetrised smallest set of smallest rings and
                     the size of the set that the connection table's own assembly rule gives (which keeps every
                     smallest ring through each atom and so differs for cages and bridged systems)
      formulas.txt   per record of molecules.sdf "Z:count ..." with RDKit's hydrogens, or "skip" for a record
                     that is charged, carries isotopes or an element without a standard valence of the table
      queries.sdf    substructure queries in Kekule form: fixed fragments and connected pieces cut from the
                     molecules (seeded)
      targets.sdf    the targets of the search: the first molecules and a few made to catch shared atoms,
                     separate salts and unclosable rings
      search.txt     per query and target "pair q t nLoose nStrict", then the atom sets (1-based, sorted) of
                     RDKit's matches: "loose ..." with every bond taken as single, "strict ..." with Kekule bonds
  chem_references.py read FILE...           prints, per mol file, what RDKit and Open Babel read:
                     "rdkit"/"openbabel", then "atom Z charge 0" per atom and "bond a b order" (a < b),
                     then "end"

The molecules come from the NCI sample shipped with RDKit (rdkit-data); the random ring systems use a fixed seed,
so the set is the same on every run.
"""
import csv
import random
import sys
from pathlib import Path

from rdkit import Chem, RDLogger
from rdkit.Chem import AllChem

RDLogger.DisableLog("rdApp.*")

NCI = Path("/usr/share/RDKit/Data/NCI/first_5K.smi")
MOLECULES = 150
RANDOM_RING_SYSTEMS = 120
BOND_TYPES = {Chem.BondType.SINGLE: 1, Chem.BondType.DOUBLE: 2, Chem.BondType.TRIPLE: 3, Chem.BondType.AROMATIC: 4}

# Ring systems with names; the cages among them are where a per-atom assembly may keep more rings.
FIXED_RINGS = [
    ("benzene", "c1ccccc1"), ("naphthalene", "c1ccc2ccccc2c1"), ("anthracene", "c1ccc2cc3ccccc3cc2c1"),
    ("phenanthrene", "c1ccc2c(c1)ccc1ccccc12"), ("pyrene", "c1cc2ccc3cccc4ccc(c1)c2c34"),
    ("coronene", "c1cc2ccc3ccc4ccc5ccc6ccc1c1c2c3c4c5c61"), ("azulene", "c1ccc2cccc2cc1"),
    ("steroid", "C1CCC2C(C1)CCC1C2CCC2CCCC12"), ("adamantane", "C1C2CC3CC1CC(C2)C3"),
    ("norbornane", "C1CC2CCC1C2"), ("bicyclooctane", "C1CC2CCC1CC2"), ("cubane", "C12C3C4C1C1C2C3C41"),
    ("spirodecane", "C1CCC2(CC1)CCCC2"), ("biphenyl", "c1ccc(cc1)-c1ccccc1"),
    ("triptycene", "c1ccc2c(c1)C1c3ccccc3C2c2ccccc12"), ("cyclopropane", "C1CC1"), ("cyclobutane", "C1CCC1"),
    ("macrocycle", "C1CCCCCCCCCCCCCCCCCCC1"), ("prismane", "C12C3C1C1C2C31"),
    ("twistane", "C1CC2CC3CC1C(C2)C3"), ("fenestrane", "C1CC23CCC24CCC34C1"),
]


def nominal_masses(data_dir):
    with open(Path(data_dir) / "elements.csv", newline="", encoding="utf-8") as f:
        return {int(row["Z"]): int(row["nominal"]) for row in csv.DictReader(f)}


def charge_code(charge):
    return 4 - charge if charge != 0 and -3 <= charge <= 3 else 0


def moved_block(mol, nominal):
    """The V2000 block with charges and mass differences in the atom lines and no property lines."""
    lines = Chem.MolToMolBlock(mol).split("\n")
    n_atoms = int(lines[3][0:3])
    for i, atom in enumerate(mol.GetAtoms()):
        line = lines[4 + i]
        diff = atom.GetIsotope() - nominal[atom.GetAtomicNum()] if atom.GetIsotope() else 0
        assert -9 <= diff <= 99, "a mass difference the atom block cannot hold"
        lines[4 + i] = line[:34] + f"{diff:2d}{charge_code(atom.GetFormalCharge()):3d}" + line[39:]
    assert n_atoms == mol.GetNumAtoms()
    return "\n".join(l for l in lines if not l.startswith(("M  CHG", "M  ISO")))


def usable(mol):
    return (mol is not None and mol.GetNumAtoms() <= 63 and all(a.GetDegree() <= 10 for a in mol.GetAtoms())
            and all(-3 <= a.GetFormalCharge() <= 3 for a in mol.GetAtoms())
            # an "M  RAD" line would make readers drop the atom-block charges
            and all(a.GetNumRadicalElectrons() == 0 for a in mol.GetAtoms()))


def molecules():
    found = []
    for line in NCI.read_text().splitlines():
        mol = Chem.MolFromSmiles(line.split()[0])
        if usable(mol):
            found.append(mol)
        if len(found) == MOLECULES:
            break
    # A few with isotopes and charges beyond the NCI sample.
    for smiles in ("[2H]C([2H])([2H])O", "[13CH3][NH3+]", "[37Cl]c1ccccc1[O-]", "C[N+](C)(C)C.[Cl-]",
                   "[O-][N+](=O)c1ccc([15NH2])cc1", "C#N", "O=C=O"):
        found.append(Chem.MolFromSmiles(smiles))
    for mol in found:
        AllChem.Compute2DCoords(mol)
    return found


def record_lines(block):
    mol = Chem.MolFromMolBlock(block, sanitize=False, removeHs=False)
    out = []
    for atom in mol.GetAtoms():
        out.append(f"atom {atom.GetAtomicNum()} {atom.GetFormalCharge()} {atom.GetIsotope()}")
    for bond in mol.GetBonds():
        out.append(f"bond {bond.GetBeginAtomIdx() + 1} {bond.GetEndAtomIdx() + 1} {BOND_TYPES.get(bond.GetBondType(), 0)}")
    out.append("end")
    return out


def random_ring_system(rng):
    """Rings grown by fusing onto a bond, spiro joins and bridges, at most 40 atoms."""
    mol = Chem.RWMol()
    size = rng.randint(3, 8)
    for _ in range(size):
        mol.AddAtom(Chem.Atom(6))
    for i in range(size):
        mol.AddBond(i, (i + 1) % size, Chem.BondType.SINGLE)
    for _ in range(rng.randint(1, 5)):
        n = mol.GetNumAtoms()
        kind = rng.random()
        if kind < 0.5:  # fuse a ring onto a bond
            bond = mol.GetBondWithIdx(rng.randrange(mol.GetNumBonds()))
            ends = [bond.GetBeginAtomIdx(), bond.GetEndAtomIdx()]
            new = rng.randint(1, 6)
        elif kind < 0.7:  # spiro ring on one atom
            ends = [rng.randrange(n)] * 2
            new = rng.randint(2, 6)
        else:  # bridge between two atoms
            ends = rng.sample(range(n), 2)
            new = rng.randint(1, 3)
        if n + new > 40 or any(mol.GetAtomWithIdx(e).GetDegree() >= 4 for e in ends):
            continue
        prev = ends[0]
        for _ in range(new):
            idx = mol.AddAtom(Chem.Atom(6))
            mol.AddBond(prev, idx, Chem.BondType.SINGLE)
            prev = idx
        mol.AddBond(prev, ends[1], Chem.BondType.SINGLE)
    out = mol.GetMol()
    out.UpdatePropertyCache(strict=False)
    Chem.FastFindRings(out)
    return out


def dodecahedrane():
    """C20: outer pentagon 0..4, a ten-ring 5..14 around it, inner pentagon 15..19."""
    mol = Chem.RWMol()
    for _ in range(20):
        mol.AddAtom(Chem.Atom(6))
    for i in range(5):
        mol.AddBond(i, (i + 1) % 5, Chem.BondType.SINGLE)
        mol.AddBond(i, 5 + 2 * i, Chem.BondType.SINGLE)
        mol.AddBond(15 + i, 15 + (i + 1) % 5, Chem.BondType.SINGLE)
        mol.AddBond(15 + i, 6 + 2 * i, Chem.BondType.SINGLE)
    for j in range(10):
        mol.AddBond(5 + j, 5 + (j + 1) % 10, Chem.BondType.SINGLE)
    out = mol.GetMol()
    out.UpdatePropertyCache(strict=False)
    Chem.FastFindRings(out)
    return out


def ring_systems():
    systems = []
    cage = dodecahedrane()
    cage.SetProp("_Name", "dodecahedrane")
    systems.append(cage)
    for name, smiles in FIXED_RINGS:
        mol = Chem.MolFromSmiles(smiles)
        mol.SetProp("_Name", name)
        systems.append(mol)
    rng = random.Random(1963)
    for i in range(RANDOM_RING_SYSTEMS):
        mol = random_ring_system(rng)
        mol.SetProp("_Name", f"random{i + 1}")
        systems.append(mol)
    return systems


def shortest_rings_through(adjacent, s):
    """Atom sets of all rings of the smallest size through s (simple paths back to s)."""
    best, found = None, set()

    def walk(path, on_path):
        nonlocal best
        cur = path[-1]
        for nb in adjacent[cur]:
            if nb == s and len(path) > 2:
                if best is None or len(path) < best:
                    best = len(path)
                    found.clear()
                if len(path) == best:
                    found.add(frozenset(path))
            elif nb not in on_path and (best is None or len(path) < best):
                on_path.add(nb)
                path.append(nb)
                walk(path, on_path)
                path.pop()
                on_path.discard(nb)

    walk([s], {s})
    return found


def assembled_ring_count(mol):
    """The ring set of the connection table's own rule: the smallest rings through each atom in order, a ring
    added unless a ring already taken holds all its atoms, atoms with at most two bonds of a taken ring done."""
    adjacent = [[n.GetIdx() for n in a.GetNeighbors()] for a in mol.GetAtoms()]
    taken, done = [], set()
    for s in range(mol.GetNumAtoms()):
        if s in done:
            continue
        for ring in sorted(shortest_rings_through(adjacent, s), key=sorted):
            if any(ring <= other for other in taken):
                continue
            taken.append(ring)
            done.update(a for a in ring if len(adjacent[a]) <= 2)
    return len(taken)


# Elements whose hydrogens the connection table derives from a standard valence.
VALENCE_ELEMENTS = {1, 5, 6, 7, 8, 9, 14, 15, 16, 17, 32, 35, 53}
QUERY_SMILES = ["c1ccccc1", "C(=O)O", "C(=O)N", "c1ccncc1", "CCO", "C1CCCCC1", "N", "S", "Cl", "CC(C)C", "C=C",
                "CN(C)C", "c1ccc2ccccc2c1", "OCCO", "OCCCO", "C#N", "O=S=O", "C(=O)OC", "NC(=O)N", "C1CCC1"]
SPECIAL_TARGETS = ["C1COC1.O", "c1ccccc1.[Na+].[Cl-]", "CC1CCCC1", "CCCCCC", "OCCCO", "C1CCCCC1N.CC"]
SEARCH_TARGETS = 60
RANDOM_QUERIES = 16


def formula_line(block):
    mol = Chem.MolFromMolBlock(block, removeHs=False)
    atoms = list(mol.GetAtoms())
    if any(a.GetFormalCharge() or a.GetIsotope() or a.GetAtomicNum() not in VALENCE_ELEMENTS for a in atoms):
        return "skip"
    counts = {}
    for a in atoms:
        counts[a.GetAtomicNum()] = counts.get(a.GetAtomicNum(), 0) + 1
        counts[1] = counts.get(1, 0) + a.GetTotalNumHs()
    return " ".join(f"{z}:{n}" for z, n in sorted(counts.items()) if n)


def kekule_query(smiles):
    mol = Chem.MolFromSmiles(smiles)
    Chem.Kekulize(mol, clearAromaticFlags=True)
    return mol


def random_piece(mol, rng):
    """A connected piece of 4..10 atoms grown from a random atom, with the molecule's Kekule bonds."""
    start = rng.randrange(mol.GetNumAtoms())
    taken, frontier = [start], [start]
    want = rng.randint(4, min(10, mol.GetNumAtoms()))
    while frontier and len(taken) < want:
        cur = frontier.pop(rng.randrange(len(frontier)))
        for nb in cur_neighbors(mol, cur):
            if nb not in taken and len(taken) < want:
                taken.append(nb)
                frontier.append(nb)
    piece = Chem.RWMol()
    index = {}
    for a in taken:
        index[a] = piece.AddAtom(Chem.Atom(mol.GetAtomWithIdx(a).GetAtomicNum()))
    for bond in mol.GetBonds():
        b, e = bond.GetBeginAtomIdx(), bond.GetEndAtomIdx()
        if b in index and e in index:
            piece.AddBond(index[b], index[e], bond.GetBondType())
    return piece.GetMol()


def cur_neighbors(mol, idx):
    return [n.GetIdx() for n in mol.GetAtomWithIdx(idx).GetNeighbors()]


def plain_copy(mol, single):
    """The molecule for matching: no charges, isotopes or flags; every bond single when asked."""
    copy = Chem.RWMol(mol)
    for a in copy.GetAtoms():
        a.SetFormalCharge(0)
        a.SetIsotope(0)
        a.SetNoImplicit(True)
        a.SetIsAromatic(False)
    for b in copy.GetBonds():
        b.SetIsAromatic(False)
        if single:
            b.SetBondType(Chem.BondType.SINGLE)
    out = copy.GetMol()
    out.UpdatePropertyCache(strict=False)
    return out


def search_set(nominal, blocks):
    targets = [Chem.MolFromMolBlock(b, sanitize=False, removeHs=False) for b in blocks[:SEARCH_TARGETS]]
    for smiles in SPECIAL_TARGETS:
        mol = Chem.MolFromSmiles(smiles)
        Chem.Kekulize(mol, clearAromaticFlags=True)
        AllChem.Compute2DCoords(mol)
        targets.append(Chem.MolFromMolBlock(moved_block(mol, nominal), sanitize=False, removeHs=False))
    queries = [kekule_query(s) for s in QUERY_SMILES]
    rng = random.Random(4711)
    for _ in range(RANDOM_QUERIES):
        queries.append(random_piece(targets[rng.randrange(30)], rng))
    lines = []
    for qi, q in enumerate(queries):
        loose_q, strict_q = plain_copy(q, True), plain_copy(q, False)
        for ti, t in enumerate(targets):
            loose = t_matches(plain_copy(t, True), loose_q)
            strict = t_matches(plain_copy(t, False), strict_q)
            lines.append(f"pair {qi + 1} {ti + 1} {len(loose)} {len(strict)}")
            lines += ["loose " + " ".join(map(str, m)) for m in loose]
            lines += ["strict " + " ".join(map(str, m)) for m in strict]
    query_blocks = "".join(Chem.MolToMolBlock(q, kekulize=False) + "$$$$\n" for q in queries)
    target_blocks = "".join(Chem.MolToMolBlock(t, kekulize=False) + "$$$$\n" for t in targets)
    return query_blocks, target_blocks, lines


def t_matches(target, query):
    return sorted({tuple(sorted(i + 1 for i in m)) for m in target.GetSubstructMatches(query, uniquify=False,
                                                                                        maxMatches=100000)})


def write(out_dir, data_dir):
    out = Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    pt = Chem.GetPeriodicTable()
    (out / "symbols.txt").write_text("".join(f"{z} {pt.GetElementSymbol(z)}\n" for z in range(1, 104)))
    nominal = nominal_masses(data_dir)
    sd, expected, formulas, blocks = [], [], [], []
    for i, mol in enumerate(molecules()):
        mol.SetProp("_Name", f"molecule {i + 1}")
        block = moved_block(mol, nominal)
        blocks.append(block)
        sd.append(block + f"> <BOILP>\n{i + 0.5}\n\n> <ID>\n{i + 1}\n\n$$$$\n")
        expected += record_lines(block)
        formulas.append(formula_line(block))
    (out / "molecules.sdf").write_text("".join(sd))
    (out / "molecules.txt").write_text("\n".join(expected) + "\n")
    (out / "formulas.txt").write_text("\n".join(formulas) + "\n")
    query_blocks, target_blocks, lines = search_set(nominal, blocks)
    (out / "queries.sdf").write_text(query_blocks)
    (out / "targets.sdf").write_text(target_blocks)
    (out / "search.txt").write_text("\n".join(lines) + "\n")
    rings_sd, counts = [], []
    for mol in ring_systems():
        AllChem.Compute2DCoords(mol)
        rings_sd.append(Chem.MolToMolBlock(mol, kekulize=False) + "$$$$\n")
        counts.append(f"{mol.GetProp('_Name')} {len(Chem.GetSymmSSSR(mol))} {assembled_ring_count(mol)}")
    (out / "rings.sdf").write_text("".join(rings_sd))
    (out / "rings.txt").write_text("\n".join(counts) + "\n")


def read(files):
    from openbabel import openbabel as ob
    ob.obErrorLog.SetOutputLevel(0)
    for name in files:
        mol = Chem.MolFromMolFile(name, sanitize=False, removeHs=False)
        print("rdkit")
        for atom in mol.GetAtoms():
            print("atom", atom.GetAtomicNum(), atom.GetFormalCharge(), 0)
        for bond in mol.GetBonds():
            a, b = sorted((bond.GetBeginAtomIdx() + 1, bond.GetEndAtomIdx() + 1))
            print("bond", a, b, BOND_TYPES.get(bond.GetBondType(), 0))
        print("end")
        conv = ob.OBConversion()
        conv.SetInFormat("mol")
        obmol = ob.OBMol()
        conv.ReadFile(obmol, name)
        print("openbabel")
        for atom in ob.OBMolAtomIter(obmol):
            print("atom", atom.GetAtomicNum(), atom.GetFormalCharge(), 0)
        for bond in ob.OBMolBondIter(obmol):
            a, b = sorted((bond.GetBeginAtomIdx(), bond.GetEndAtomIdx()))
            print("bond", a, b, bond.GetBondOrder())
        print("end")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "write":
        write(sys.argv[2], sys.argv[3])
    elif len(sys.argv) >= 3 and sys.argv[1] == "read":
        read(sys.argv[2:])
    else:
        sys.exit(__doc__)
