#pragma once
// Helpers of the data table tests: a recording handler for every event, filling a table from rows,
// and a scratch directory.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "Encoding.h"
#include "Qelta_datatable.h"

namespace qelta::test {

/// Records every event of a table in order: "Change", "Setup", "Names", "States", "Attrib",
/// "Resize oc or nc nr", "Exchange what i j first last".
struct TTableLog {
  std::vector<std::string> Events;

  void Hook(TDataTable& t) {
    t.OnChange = [this](TObject*) { Events.push_back("Change"); };
    t.OnChangeSetup = [this](TObject*) { Events.push_back("Setup"); };
    t.OnChangeNames = [this](TObject*) { Events.push_back("Names"); };
    t.OnChangeCellState = [this](TObject*) { Events.push_back("States"); };
    t.OnChangeAttrib = [this](TObject*) { Events.push_back("Attrib"); };
    t.OnResize = [this](TObject*, int oc, int orows, int nc, int nr) {
      Events.push_back("Resize " + std::to_string(oc) + " " + std::to_string(orows) + " " + std::to_string(nc) + " " +
                       std::to_string(nr));
    };
    t.OnSortExchange = [this](TObject*, uint8_t what, int a, int b, int first, int last) {
      Events.push_back("Exchange " + std::to_string(what) + " " + std::to_string(a) + " " + std::to_string(b) + " " +
                       std::to_string(first) + " " + std::to_string(last));
    };
  }
  /// The events joined by ", ", then forgotten.
  std::string Take() {
    std::string s;
    for (const std::string& e : Events) s += (s.empty() ? "" : ", ") + e;
    Events.clear();
    return s;
  }
  int Count(const std::string& e) const {
    int n = 0;
    for (const std::string& x : Events) n += x == e;
    return n;
  }
};

/// Resizes the table to the rows (one inner list per row) and stores the values.
inline void Fill(TDataTable& t, std::initializer_list<std::initializer_list<double>> rows) {
  const int nr = static_cast<int>(rows.size());
  t.Resize(nr == 0 ? 0 : static_cast<int>(rows.begin()->size()), nr);
  int r = 1;
  for (const auto& row : rows) {
    int c = 1;
    for (double v : row) t.SetElem(c++, r, v);
    ++r;
  }
}

/// A fresh directory under TMPDIR, removed with its contents at the end of the scope.
class TScratchDir {
 public:
  TScratchDir() {
    const char* base = std::getenv("TMPDIR");
    std::string p = std::string(base && *base ? base : "/tmp") + "/qelta-dt-XXXXXX";
    FPath = ::mkdtemp(p.data()) ? p : std::string();
  }
  ~TScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
  }
  /// Full name of a file in the directory.
  String File(const std::string& name) const { return Utf8ToString(FPath + "/" + name); }
  std::string Utf8(const std::string& name) const { return FPath + "/" + name; }

 private:
  std::string FPath;
};

}  // namespace qelta::test
