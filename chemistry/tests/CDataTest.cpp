// Qelta_CData: element lookups, periodic layout, CAS numbers and name compression.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Assertions.h"
#include "Qelta_CData.h"
#include "SysUtils.h"

using namespace qelta;

namespace {

std::vector<std::string> SplitCsv(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  return cells;
}

}  // namespace

TEST(CData, EveryRowOfTheElementTableReadsBackThroughTheRoutines) {
  std::ifstream in(QELTA_CHEM_DATA_DIR "/elements.csv");
  ASSERT_TRUE(in.good());
  std::string line;
  std::getline(in, line);  // header
  int z = 0;
  while (std::getline(in, line)) {
    const std::vector<std::string> c = SplitCsv(line);
    ASSERT_EQ(c.size(), 9u) << line;
    ++z;
    SCOPED_TRACE(line);
    EXPECT_EQ(std::stoi(c[0]), z);
    EXPECT_EQ(CElemSymb(z), c[1]);
    EXPECT_EQ(CElemName(z), c[2]);
    EXPECT_EQ(IntAtWeight(z), std::stoi(c[3]));
    EXPECT_EQ(ExactAtWeight(z), std::stold(c[4]));
    EXPECT_EQ(ChemAtWeight(z), std::stold(c[5]));
    EXPECT_DOUBLE_EQ(VDWRadius(z), c[6] == "-" ? 0.0 : std::stoi(c[6]) / 100.0);
    EXPECT_EQ(NumOuterElectrons(z), std::stoi(c[7]));
    EXPECT_EQ(ShortElectronConfig(z), c[8]);
    EXPECT_EQ(AtomicNumber(c[1]), z);
  }
  EXPECT_EQ(z, 103);
}

TEST(CData, PinnedValuesAndOldSpellings) {
  EXPECT_DOUBLE_EQ(VDWRadius(6), 1.8);
  EXPECT_EQ(VDWRadius(54), 0);
  EXPECT_EQ(CElemName(3), "litium");
  EXPECT_EQ(CElemName(9), "flourine");
  EXPECT_EQ(CElemName(23), "vanadin");
  EXPECT_EQ(IntAtWeight(100), 257);  // above one byte: why atom weights are 16 bits wide
  EXPECT_EQ(IntAtWeight(103), 256);
  EXPECT_EQ(ExactAtWeight(6), 12.0L);
  EXPECT_EQ(ChemAtWeight(43), 0);
}

TEST(CData, OutsideOneTo103GivesEmptyResults) {
  for (int z : {0, -1, 104, 255}) {
    int x = 9, y = 9;
    PerSysCoord(z, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(CElemSymb(z), "");
    EXPECT_EQ(CElemName(z), "");
    EXPECT_EQ(IntAtWeight(z), 0);
    EXPECT_EQ(ExactAtWeight(z), 0);
    EXPECT_EQ(ChemAtWeight(z), 0);
    EXPECT_EQ(VDWRadius(z), 0);
    EXPECT_EQ(NumOuterElectrons(z), 0);
    EXPECT_EQ(ShortElectronConfig(z), "");
    EXPECT_EQ(FullElectronConfig(z), "");
  }
}

TEST(CData, AtomicNumberComparesExactly) {
  const struct {
    const char* symbol;
    int z;
  } cases[] = {{"Cl", 17}, {"CL", 0}, {"cl", 0}, {"C", 6}, {"c", 0}, {"", 0}, {"Cl ", 0}, {" C", 0},
               {"Lr", 103}, {"H", 1}, {"Xx", 0}, {"Clx", 0}, {"ClCl", 0}};
  for (const auto& c : cases) EXPECT_EQ(AtomicNumber(c.symbol), c.z) << c.symbol;
  EXPECT_EQ(AtomicNumber(AnsiString("C\0", 2)), 0);
}

TEST(CData, PeriodicLayout) {
  const struct {
    int z, x, y;
  } cases[] = {{1, 0, 0}, {2, 17, 0}, {3, 0, 1}, {5, 12, 1}, {10, 17, 1}, {19, 0, 3}, {57, 2, 5},
               {72, 3, 5}, {58, 4, 7}, {71, 17, 7}, {89, 2, 6}, {90, 4, 8}, {103, 17, 8}, {86, 17, 5}};
  for (const auto& c : cases) {
    int x = -1, y = -1;
    PerSysCoord(c.z, x, y);
    EXPECT_EQ(x, c.x) << c.z;
    EXPECT_EQ(y, c.y) << c.z;
  }
}

TEST(CData, FullElectronConfigExpandsTheCore) {
  EXPECT_EQ(FullElectronConfig(11), "1s2 2s2 2p6 3s1");
  EXPECT_EQ(FullElectronConfig(1), "1s1");
  EXPECT_EQ(FullElectronConfig(3), "1s2 2s1");
  EXPECT_EQ(FullElectronConfig(19), "1s2 2s2 2p6 3s2 3p6 4s1");
  EXPECT_EQ(FullElectronConfig(87), "1s2 2s2 2p6 3s2 3p6 3d10 4s2 4p6 4d10 5s2 5p6 4f14 5d10 6s2 6p6 7s1");
}

TEST(CData, CheckCASNr) {
  const struct {
    int32_t nr;
    bool valid;
  } cases[] = {{7732185, true}, {64175, true}, {64176, false}, {0, true}, {5, false}, {9, false},
               {50000, true}, {71432, true}, {71433, false}, {-7732185, false}, {INT32_MAX, false}};
  for (const auto& c : cases) EXPECT_EQ(CheckCASNr(c.nr), c.valid) << c.nr;
}

TEST(CData, FormatCASNr) {
  EXPECT_EQ(FormatCASNr(7732185), u"7732-18-5");
  EXPECT_EQ(FormatCASNr(5), u"0-00-5");
  EXPECT_EQ(FormatCASNr(0), u"0-00-0");
  EXPECT_EQ(FormatCASNr(50000), u"50-00-0");
  EXPECT_EQ(FormatCASNr(INT32_MAX), u"2147483-64-7");
}

TEST(CData, ConvertStrToCASNr) {
  const struct {
    const char* text;
    bool ok;
    int32_t nr;
  } cases[] = {
      {" 7732-18-5 ", true, 7732185}, {"64-17-5", true, 64175}, {"0-00-0", true, 0},
      {"7732-185", false, 1},         {"77-3218-5", false, 1},  {"64-17-6", false, 1},
      {"6417-5", false, 1},           {"64-17-55", false, 1},   {"64-17-", false, 1},
      {"", false, 1},                 {"-17-5", false, 1},      {"6a-17-5", false, 1},
      {"64-1 -5", false, 1},          {"\t64-17-5", false, 1},
      // Regression: a number beyond 32 bits used to wrap around and could pass the check digit.
      {"4295031-47-1", false, 1},     {"99999999999-99-9", false, 1},
  };
  for (const auto& c : cases) {
    int32_t nr = 1;
    EXPECT_EQ(ConvertStrToCASNr(U8(c.text), nr), c.ok) << c.text;
    EXPECT_EQ(nr, c.nr) << c.text;
  }
}

TEST(CData, EachFragmentCompressesAloneToItsCode) {
  for (int code = 128; code <= 255; ++code) {
    const AnsiString fragment = DeCompressChemName(AnsiString(1, static_cast<char>(code)));
    ASSERT_FALSE(fragment.empty());
    EXPECT_LE(fragment.size(), 7u);
    EXPECT_EQ(CompressChemName(fragment), AnsiString(1, static_cast<char>(code))) << fragment;
  }
  EXPECT_EQ(CompressChemName("benzoyl"), AnsiString(1, static_cast<char>(128)));
  EXPECT_EQ(DeCompressChemName(AnsiString(1, static_cast<char>(255))), "in");
}

TEST(CData, NamesRoundTripInLowerCase) {
  for (const char* name : {"Methylbenzene", "2,4,6-Trinitrotoluene", "ACETYLSALICYLIC ACID", "Ethanol",
                           "cyclohexane-1,2-diol", "x", "", "Benzoylperoxid", "4-(dimethylamino)benzaldehyd"}) {
    AnsiString lower = name;
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    const AnsiString packed = CompressChemName(name);
    EXPECT_LE(packed.size(), lower.size());
    EXPECT_EQ(DeCompressChemName(packed), lower) << name;
  }
  EXPECT_LT(CompressChemName("Methylbenzene").size(), 5u);
}

TEST(CData, CompressionFoldsOnlyAsciiLetters) {
  // Bytes 128..255 are codes, never characters to fold: a Windows-1252 capital stays as it is.
  const AnsiString text = "\xC4thyl";  // Ä + "thyl"
  EXPECT_EQ(CompressChemName(text)[0], '\xC4');
  EXPECT_EQ(CompressChemName("ETHYL"), AnsiString(1, static_cast<char>(161)));
}
