// Quick start 1: a matrix loaded from a text file, changed and saved as text and as XML.
#include <cstdio>
#include <fstream>

#include <qelta/Encoding.h>
#include <qelta/Qelta_matrix.h>

using namespace qelta;

int main() {
  // The text form: "LoC LoR HiC HiR", then one line per row.
  std::ofstream("readings.txt") << "1 1 3 4\n"
                                   "4 20.5 0.25\n"
                                   "2 19.75 0.5\n"
                                   "3 21 0.125\n"
                                   "1 18.25 1\n";
  TMatrix m(nullptr);  // 1 x 1; no owner, so it is freed here
  if (!m.LoadFromFile(u"readings.txt", true)) {
    std::printf("cannot load: %s\n", StringToUtf8(m.LastLoadError()).c_str());
    return 1;
  }
  m.SortRows(1, true, 0, 0, 0, 0);                      // rows by column 1, ascending
  for (int r = 1; r <= m.NrOfRows(); ++r)                // column 3 := column 2 x column 3
    m.SetVal(3, r, m.GetVal(2, r) * m.GetVal(3, r));
  m.Resize(4, m.NrOfRows());                             // a fourth column, cells 0
  m.SetVal(4, 1, 1.0 / 3);
  std::printf("%d x %d, sum %g, column 3 of row 2 = %g\n", m.NrOfColumns(), m.NrOfRows(), m.Sum(0, 0, 0, 0),
              m.GetVal(3, 2));
  const bool saved = m.StoreOnFile(0, 0, 0, 0, u"sorted.txt") && m.SaveAsXMLFile(u"sorted.xml", u"readings");
  std::printf("saved: %s\n", saved ? "sorted.txt, sorted.xml" : "failed");
  TMatrix back(nullptr);  // the default number text reads back exactly
  return saved && back.LoadFromXMLFile(u"sorted.xml", u"readings") && back.GetVal(4, 1) == 1.0 / 3 ? 0 : 1;
}
