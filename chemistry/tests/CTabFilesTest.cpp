// TCTab's structure-file readers and writers: MDL connection tables, mol files and SD records, CONTAB and
// CTABG, on small fixtures; truncated and hostile input.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Assertions.h"
#include "CTabTestKit.h"
#include "Encoding.h"
#include "FileTestKit.h"
#include "Qelta_cstruct.h"
#include "Streams.h"
#include "TextFiles.h"

using namespace qelta;
using qelta::test::TableIsSymmetric;
using qelta::test::TableIsTidy;
using qelta::test::TempDir;

namespace {

std::string Counts(int atoms, int bonds) {
  char line[64];
  std::snprintf(line, sizeof line, "%3d%3d  0  0  0  0  0  0  0  0999 V2000\n", atoms, bonds);
  return line;
}

std::string AtomLine(double x, double y, double z, const char* symbol, int massDiff = 0, int chargeCode = 0) {
  char line[96];
  std::snprintf(line, sizeof line, "%10.4f%10.4f%10.4f %-3s%2d%3d  0  0  0  0  0  0  0  0  0  0\n", x, y, z, symbol,
                massDiff, chargeCode);
  return line;
}

std::string BondLine(int a, int b, int type) {
  char line[32];
  std::snprintf(line, sizeof line, "%3d%3d%3d  0\n", a, b, type);
  return line;
}

// Ethanol with a charged oxygen and a 13C: C1-C2 single, C2-O3 single.
std::string EthanolCTab() {
  return Counts(3, 2) + AtomLine(0, 0, 0, "C", 1) + AtomLine(1, 0, 0, "C") + AtomLine(1, 1, 0, "O", 0, 5) +
         BondLine(1, 2, 1) + BondLine(2, 3, 1) + "M  END\n";
}

std::string MolHeader(const char* name) { return std::string(name) + "\n  program\n\n"; }

class CTabFiles : public ::testing::Test {
 protected:
  // Reads the text through a text file and answers the reader's result.
  template <typename Reader>
  bool ReadText(TCTab& t, const std::string& text, Reader read) {
    TextFile f;
    Open(f, text);
    const bool ok = read(t, f);
    CloseFile(f);
    return ok;
  }
  bool CTab(TCTab& t, const std::string& text) {
    return ReadText(t, text, [](TCTab& c, TextFile& f) { return c.ReadFromMDLCTabFile(f); });
  }
  bool CTabStream(TCTab& t, const std::string& text) {
    TMemoryStream s;
    s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    s.SetPosition(0);
    return t.ReadFromMDLCTabStream(s);
  }
  bool Mol(TCTab& t, const std::string& text) {
    return ReadText(t, text, [](TCTab& c, TextFile& f) { return c.ReadFromMDLMolFile(f); });
  }
  bool Contab(TCTab& t, const std::string& text) {
    return ReadText(t, text, [](TCTab& c, TextFile& f) { return c.ReadFromClearTextFile(f); });
  }
  // Opens the text as a file for reading.
  void Open(TextFile& f, const std::string& text) {
    dir.Put("in.txt", text);
    AssignFile(f, dir / "in.txt");
    Reset(f);
  }
  std::string Written(const std::function<void(TextFile&)>& write) {
    TextFile f;
    AssignFile(f, dir / "out.txt");
    Rewrite(f);
    write(f);
    CloseFile(f);
    return dir.Get("out.txt");
  }
  TempDir dir;
};

}  // namespace

TEST_F(CTabFiles, MDLConnectionTableFromFileAndStream) {
  TCTab file(nullptr), stream(nullptr);
  int changes = 0;
  file.OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(CTab(file, EthanolCTab()));
  EXPECT_GE(changes, 1);
  ASSERT_TRUE(CTabStream(stream, EthanolCTab()));
  EXPECT_EQ(file.CompareWith(stream), 0);
  ASSERT_EQ(file.NAtoms(), 3);
  EXPECT_EQ(file.GetAtNum(1), 6);
  EXPECT_EQ(file.GetAtWeight(1), 13);
  EXPECT_EQ(file.GetAtWeight(3), 16);
  EXPECT_EQ(file.GetCharge(3), -1);
  EXPECT_EQ(file.CheckConnect(2, 1), 1);
  EXPECT_EQ(file.CheckConnect(3, 2), 1);
  EXPECT_TRUE(TableIsSymmetric(file));
  // One unit in x and y: scale max(800, 600) = 800, so y reaches 800 too.
  EXPECT_EQ(file.GetCoords(2, 1), 800.0f);
  EXPECT_EQ(file.GetCoords(3, 2), 800.0f);
  EXPECT_EQ(file.CoordUnits(), cuUnknown);
}

TEST_F(CTabFiles, CountZeroKeepsThePreviousStructure) {
  TCTab t(nullptr);
  ASSERT_TRUE(CTab(t, EthanolCTab()));
  TCTab before(nullptr);
  before.CopyFrom(t);
  for (const char* counts : {"  0  0\n", " 64  0\n", " -1  0\n", "abc\n", ""}) {
    EXPECT_FALSE(CTab(t, std::string(counts) + AtomLine(0, 0, 0, "C"))) << counts;
    EXPECT_EQ(t.CompareWith(before), 0) << counts;
  }
}

TEST_F(CTabFiles, ChargeCodes) {
  const struct {
    int code, charge;
  } cases[] = {{0, 0}, {1, 3}, {2, 2}, {3, 1}, {4, 0}, {5, -1}, {6, -2}, {7, -3}, {8, 8}};
  for (const auto& c : cases) {
    TCTab t(nullptr);
    ASSERT_TRUE(CTab(t, Counts(1, 0) + AtomLine(0, 0, 0, "N", 0, c.code)));
    EXPECT_EQ(t.GetCharge(1), c.charge) << c.code;
  }
}

TEST_F(CTabFiles, SymbolWithBlanksAndMassDifference) {
  TCTab t(nullptr);
  ASSERT_TRUE(CTab(t, Counts(2, 0) + AtomLine(0, 0, 0, "Cl", 2) + AtomLine(0, 0, 0, "Xx", 0)));
  EXPECT_EQ(t.GetAtNum(1), 17);
  EXPECT_EQ(t.GetAtWeight(1), 37);
  EXPECT_EQ(t.GetAtNum(2), 0);  // no element of that symbol
  EXPECT_EQ(t.GetAtWeight(2), 0);
}

TEST_F(CTabFiles, MassBelowOneIsRefused) {
  // Regression: H with a mass difference of -2 wrapped round to a weight of 255 in one byte.
  TCTab t(nullptr);
  EXPECT_FALSE(CTab(t, Counts(1, 0) + AtomLine(0, 0, 0, "H", -2)));
  EXPECT_EQ(t.NAtoms(), 1);
  EXPECT_EQ(t.GetAtWeight(1), 1);
  ASSERT_TRUE(CTab(t, Counts(1, 0) + AtomLine(0, 0, 0, "Fm", 1)));
  EXPECT_EQ(t.GetAtWeight(1), 258);
}

TEST_F(CTabFiles, BondTypeAboveFourIsReadAsSingleAndFails) {
  TCTab t(nullptr);
  for (int type : {8, 0, -1}) {  // any bond in later versions, and types that name no bond at all
    EXPECT_FALSE(CTab(t, Counts(2, 1) + AtomLine(0, 0, 0, "C") + AtomLine(1, 0, 0, "C") + BondLine(1, 2, type)));
    EXPECT_EQ(t.CheckConnect(1, 2), 1);
    EXPECT_EQ(t.CheckConnect(2, 1), 1);
  }
}

TEST_F(CTabFiles, BondsNamingNoAtomOrTheSameAtomAreDropped) {
  // Regression: such bonds were entered, with indices outside the table or an atom bonded to itself.
  for (const auto& [a, b] : std::vector<std::pair<int, int>>{{1, 3}, {0, 1}, {2, 2}, {70, 1}, {-1, 2}}) {
    TCTab t(nullptr);
    EXPECT_FALSE(CTab(t, Counts(2, 2) + AtomLine(0, 0, 0, "C") + AtomLine(1, 0, 0, "C") + BondLine(a, b, 1) +
                             BondLine(1, 2, 2)))
        << a << "-" << b;
    EXPECT_EQ(t.GetNBonds(1), 1);
    EXPECT_EQ(t.CheckConnect(2, 1), 2);
    EXPECT_TRUE(TableIsTidy(t));
  }
}

TEST_F(CTabFiles, ABondThatAnEndHasNoSlotForIsEnteredAtNeither) {
  std::string text = Counts(13, 12);
  for (int i = 0; i < 13; ++i) text += AtomLine(i, 0, 0, "C");
  for (int j = 2; j <= 12; ++j) text += BondLine(1, j, 1);  // the eleventh bond of atom 1
  text += BondLine(13, 12, 1);
  TCTab t(nullptr);
  EXPECT_FALSE(CTab(t, text));
  EXPECT_EQ(t.GetNBonds(1), 10);
  EXPECT_EQ(t.GetNBonds(12), 1);
  EXPECT_EQ(t.CheckConnect(12, 13), 1);
  EXPECT_TRUE(TableIsSymmetric(t));
}

TEST_F(CTabFiles, CoordinateNormalisation) {
  TCTab t(nullptr);
  // 10 by 5 units: scale max(80, 120) = 120.
  ASSERT_TRUE(CTab(t, Counts(3, 0) + AtomLine(-2, 1, 0, "C") + AtomLine(8, 6, 0, "C") + AtomLine(3, 1, 0, "C")));
  EXPECT_EQ(t.GetCoords(1, 1), 0.0f);
  EXPECT_EQ(t.GetCoords(2, 1), 1200.0f);
  EXPECT_EQ(t.GetCoords(2, 2), 600.0f);
  EXPECT_EQ(t.GetCoords(3, 1), 600.0f);
  // A single atom: span 0 everywhere, scale 0.
  ASSERT_TRUE(CTab(t, Counts(1, 0) + AtomLine(5, -3, 2, "C")));
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(t.GetCoords(1, k), 0.0f);
  // A tiny span in x and a huge one in z: the scale is cut so that nothing exceeds 32767.
  ASSERT_TRUE(CTab(t, Counts(2, 0) + AtomLine(0, 0, 0, "C") + AtomLine(0.001, 0, 9999, "C")));
  EXPECT_EQ(t.GetCoords(2, 3), 32767.0f);
  EXPECT_LE(t.GetCoords(2, 1), 1.0f);
}

TEST_F(CTabFiles, TruncatedInputKeepsTheCountAndSkipsCompletion) {
  TCTab t(nullptr);
  EXPECT_TRUE(CTab(t, Counts(3, 2) + AtomLine(2, 2, 0, "C") + AtomLine(3, 2, 0, "O")));
  EXPECT_EQ(t.NAtoms(), 3);
  EXPECT_EQ(t.GetAtNum(3), 0);
  EXPECT_EQ(t.GetCoords(1, 1), 2.0f);  // not normalised
  EXPECT_TRUE(CTab(t, Counts(2, 2) + AtomLine(0, 0, 0, "C") + AtomLine(1, 0, 0, "O") + BondLine(1, 2, 2)));
  EXPECT_EQ(t.CheckConnect(1, 2), 2);
  EXPECT_EQ(t.CheckConnect(2, 1), 0);  // no symmetric completion
}

TEST_F(CTabFiles, MolFileTakesTheNameLine) {
  TCTab t(nullptr);
  ASSERT_TRUE(Mol(t, MolHeader("Ethanol") + EthanolCTab()));
  EXPECT_EQ(t.StrucName(), u"Ethanol");
  EXPECT_EQ(t.NAtoms(), 3);
  EXPECT_FALSE(Mol(t, MolHeader("Nothing") + Counts(0, 0)));
  EXPECT_EQ(t.StrucName(), u"Nothing");  // the name is taken even when the table is not
  EXPECT_EQ(t.NAtoms(), 3);
  TMemoryStream s;
  const std::string text = MolHeader("Streamed") + EthanolCTab();
  s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  s.SetPosition(0);
  TCTab u(nullptr);
  ASSERT_TRUE(u.ReadFromMDLMolStream(s));
  EXPECT_EQ(u.StrucName(), u"Streamed");
  EXPECT_EQ(u.CompareWith(t) & ~0x0002, 0);
}

TEST_F(CTabFiles, SDRecordsOneAfterAnother) {
  const std::string sd = MolHeader("first") + EthanolCTab() + "> <BOILP>\n100.5\n\n> <boilp>\n7\n\n>  <BOILP>\n8\n\n" +
                         "> <CAS_RN>\n64-17-5\n\n> <MELTP>\n-114 C\n\n> <DENSI>\nn/a\n\n$$$$\n" +
                         MolHeader("second") + Counts(1, 0) + AtomLine(0, 0, 0, "N", 0, 3) + "M  END\n$$$$\n";
  TextFile f;
  Open(f, sd);
  TCTab t(nullptr);
  TProps props;
  props[1].ID = "OLD";
  ASSERT_TRUE(t.ReadFromMDLSDFile(f, props));
  EXPECT_EQ(t.StrucName(), u"first");
  EXPECT_EQ(t.NAtoms(), 3);
  EXPECT_EQ(t.GetAtWeight(1), 13);
  EXPECT_EQ(t.GetCharge(3), -1);
  EXPECT_TRUE(TableIsSymmetric(t));
  EXPECT_EQ(t.GetCASNr(), u"64-17-5");
  EXPECT_EQ(props[1].ID, "BOILP");
  EXPECT_EQ(props[1].Par, 100.5);
  EXPECT_EQ(props[2].ID, "MELTP");  // a value line is read as its leading number
  EXPECT_EQ(props[2].Par, -114);
  EXPECT_EQ(props[3].ID, "");  // no number: nothing stored
  ASSERT_TRUE(t.ReadFromMDLSDFile(f, props));
  EXPECT_EQ(t.StrucName(), u"second");
  EXPECT_EQ(t.NAtoms(), 1);
  EXPECT_EQ(t.GetCharge(1), 1);
  EXPECT_EQ(props[1].ID, "");
  EXPECT_TRUE(Eof(f));
}

TEST_F(CTabFiles, SDRecordThatFailsStillEndsAfterItsTerminator) {
  const std::string sd = MolHeader("empty") + Counts(0, 0) + "> <BOILP>\n1\n> <CAS_RN>\n64-17-5\n$$$$\n" +
                         MolHeader("broken") + Counts(2, 1) + "  1.0 x.5 0.0 C   0  0\n" + AtomLine(0, 0, 0, "C") +
                         BondLine(1, 2, 1) + "M  END\n$$$$\n" +
                         MolHeader("good") + Counts(1, 0) + AtomLine(0, 0, 0, "O") + "$$$$\n";
  TextFile f;
  Open(f, sd);
  TCTab t(nullptr);
  TProps props;
  EXPECT_FALSE(t.ReadFromMDLSDFile(f, props));
  EXPECT_EQ(t.NAtoms(), 0);
  EXPECT_EQ(props[1].ID, "BOILP");  // the data items of a refused record are still read
  EXPECT_EQ(t.BinCASNr(), 0);  // but the table of a refused record stays as it was, its CAS number too
  EXPECT_FALSE(t.ReadFromMDLSDFile(f, props));  // a malformed number: false, what was read stays
  EXPECT_EQ(t.StrucName(), u"broken");
  ASSERT_TRUE(t.ReadFromMDLSDFile(f, props));
  EXPECT_EQ(t.StrucName(), u"good");
  EXPECT_EQ(t.GetAtNum(1), 8);
}

TEST_F(CTabFiles, SDPropertiesStopAtTwentyEntries) {
  std::string sd = MolHeader("many") + Counts(1, 0) + AtomLine(0, 0, 0, "C");
  for (int i = 0; i < 25; ++i) sd += "> <DIPOL>\n" + std::to_string(i) + "\n";
  sd += "$$$$\n";
  TextFile f;
  Open(f, sd);
  TCTab t(nullptr);
  TProps props;
  EXPECT_TRUE(t.ReadFromMDLSDFile(f, props));
  EXPECT_EQ(props[20].ID, "DIPOL");
  EXPECT_EQ(props[20].Par, 19);
}

TEST_F(CTabFiles, ContabReadsAtomsConnectionsAndName) {
  // Two atoms, each on two lines; two name lines.
  const std::string text = "header text /CONTAB \n6 2\n Ethan\n ol\n"
                           "1 6 12 0 0 1.5 2 0\n1 2 1\n"
                           "2 8 16 0 -1 3 4 0.25\n1 1 1\n";
  TCTab t(nullptr);
  ASSERT_TRUE(Contab(t, text));
  EXPECT_EQ(t.StrucName(), u"Ethanol");
  ASSERT_EQ(t.NAtoms(), 2);
  EXPECT_EQ(t.GetAtNum(2), 8);
  EXPECT_EQ(t.GetCharge(2), -1);
  EXPECT_EQ(t.GetCoords(1, 1), 1.5f);
  EXPECT_EQ(t.GetCoords(2, 3), 0.25f);
  EXPECT_EQ(t.CheckConnect(1, 2), 1);
  EXPECT_EQ(t.CheckConnect(2, 1), 1);
}

TEST_F(CTabFiles, ContabRefusesBadCountsAndReferences) {
  TCTab t(nullptr);
  // More than ten connections.
  EXPECT_FALSE(Contab(t, "/CONTAB \n3 1\n n\n1 6 12 0 0 0 0 0\n11 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n"));
  // A connection to an atom above the final N is dropped.
  EXPECT_FALSE(Contab(t, "/CONTAB \n5 2\n n\n1 6 12 0 0 0 0 0\n2 2 3 1 1\n2 6 12 0 0 0 0 0\n1 1 1\n"));
  EXPECT_EQ(t.NAtoms(), 2);
  EXPECT_EQ(t.GetNBonds(1), 1);
  EXPECT_TRUE(TableIsTidy(t));
  // A malformed number ends the read; what was read stays.
  EXPECT_FALSE(Contab(t, "/CONTAB \n5 2\n n\n1 6 12 0 0 0 0 0\n0\n2 x 12\n"));
  EXPECT_EQ(t.NAtoms(), 1);
  // No keyword, an empty file, a line count of 0.
  EXPECT_FALSE(Contab(t, "CONTAB 3 1\n"));
  EXPECT_FALSE(Contab(t, ""));
  EXPECT_FALSE(Contab(t, "/CONTAB \n0 0\n"));
  // A huge atom count ends with the file; more than 63 atoms fail.
  std::string many = "/CONTAB \n1 2000000000\n";
  for (int i = 0; i < 64; ++i) many += "1 6 12 0 0 0 0 0 0\n";
  EXPECT_FALSE(Contab(t, many));
  EXPECT_EQ(t.NAtoms(), 63);
}

TEST_F(CTabFiles, CtabgReadsEightConnectionSlots) {
  const std::string text = "/CTABG \n3 2\n Water\n"
                           "8 16 0 0 10 20 2 3 0 0 0 0 0 0 1 1 0 0 0 0 0 0\n"
                           "1 1 0 0 11 20 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n";
  TCTab t(nullptr);
  const auto read = [](TCTab& c, TextFile& f) { return c.ReadFromClearTextFileCTABG(f); };
  // Atom 1 names atom 3, which the file does not hold: that connection is dropped and the read fails.
  EXPECT_FALSE(ReadText(t, text, read));
  EXPECT_EQ(t.StrucName(), u"Water");
  ASSERT_EQ(t.NAtoms(), 2);
  EXPECT_EQ(t.GetAtNum(1), 8);
  EXPECT_EQ(t.GetCoords(1, 2), 20.0f);
  EXPECT_EQ(t.GetCoords(1, 3), 0.0f);
  EXPECT_EQ(t.GetNBonds(1), 1);
  EXPECT_EQ(t.CheckConnect(2, 1), 1);
  std::string fine = text;
  fine.replace(fine.find("2 3 0 0"), 7, "2 0 0 0");
  EXPECT_TRUE(ReadText(t, fine, read));
}

TEST_F(CTabFiles, ContabRoundTripsExactly) {
  TCTab t(nullptr);
  qelta::test::BuildTable(t, 5, {{1, 2, 1}, {2, 3, 2}, {3, 4, 4}, {4, 5, 3}, {5, 1, 1}});
  t.SetStrucName(u"Ring with odd values");
  t.SetAtNum(2, 103);
  t.SetAtWeight(2, 300);
  t.SetCharge(3, -7);
  t.SetAttrib(4, 0xB8);
  t.SetCoords(1, 1, 0.1f);
  t.SetCoords(2, 2, -1234.5678f);
  t.SetCoords(3, 3, 1e-30f);
  t.SetCoords(4, 1, 3.0e30f);
  const std::string text = Written([&](TextFile& f) { t.WriteToClearTextFile(f); });
  TCTab back(nullptr);
  ASSERT_TRUE(Contab(back, text)) << text;
  EXPECT_EQ(back.CompareWith(t), 0) << text;
  TCTab empty(nullptr);
  ASSERT_TRUE(Contab(back, Written([&](TextFile& f) { empty.WriteToClearTextFile(f); })));
  EXPECT_EQ(back.NAtoms(), 0);
}

TEST_F(CTabFiles, WrittenMolFilesReadBack) {
  TCTab t(nullptr);
  ASSERT_TRUE(CTab(t, Counts(4, 3) + AtomLine(0, 0, 0, "C", 1) + AtomLine(1, 0, 0, "N", 0, 3) +
                          AtomLine(1, 1, 0, "Cl", 2) + AtomLine(2, 1, 0, "O", 0, 5) + BondLine(1, 2, 2) +
                          BondLine(2, 3, 1) + BondLine(2, 4, 1)));
  t.SetStrucName(u"Sample");
  const std::string mol = Written([&](TextFile& f) { t.WriteToMDLMolFile(f, u"QK", u"Qelta", 42, u"a comment"); });
  EXPECT_NE(mol.find("Sample\r\nQKQelta   "), std::string::npos) << mol;
  EXPECT_NE(mol.find("    42\r\na comment\r\n  4  3  0"), std::string::npos) << mol;
  EXPECT_NE(mol.find("M  CHG  2   2   1   4  -1\r\n"), std::string::npos) << mol;
  TCTab back(nullptr);
  ASSERT_TRUE(Mol(back, mol));
  EXPECT_EQ(back.CompareWith(t), 0);
  TMemoryStream s;
  t.WriteToMDLMolStream(s, u"QK", u"Qelta", 42, u"a comment");
  s.SetPosition(0);
  ASSERT_TRUE(back.ReadFromMDLMolStream(s));
  EXPECT_EQ(back.CompareWith(t), 0);
  const std::string numbered = Written([&](TextFile& f) { t.WriteToMolConnXFile(17, f); });
  ASSERT_TRUE(Mol(back, numbered));
  EXPECT_EQ(back.StrucName(), u"17");
  const std::string ctab = Written([&](TextFile& f) { t.WriteToMDLCTabFile(f); });
  ASSERT_TRUE(CTab(back, ctab));
  EXPECT_EQ(back.CompareWith(t) & ~0x0002, 0);
}
