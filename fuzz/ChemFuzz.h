#pragma once
// Shared by the fuzz targets of the structure-file readers: a read table must hold 0..63 atoms, cleared slots
// above N and no connection to an atom outside 1..N; ring perception on it must finish and clear every AtFlag.
#include <cstdlib>
#include <memory>

#include "FuzzDriver.h"
#include "Qelta_cstruct.h"
#include "TextFiles.h"

namespace qelta::fuzz {

inline void CheckTable(TCTab& t) {
  const int n = t.NAtoms();
  if (n < 0 || n > MaxAtoms) std::abort();
  for (int i = n + 1; i <= MaxAtoms; ++i)
    if (t.GetAtomEntries(i).AtNum != 0 || t.GetAtomEntries(i).ConnTo[1] != 0) std::abort();
  for (int i = 1; i <= n; ++i)
    for (int k = 1; k <= MaxConn; ++k) {
      const int j = t.GetConnTo(i, k);
      if (j > n || j == i) std::abort();
    }
  auto rings = std::make_unique<RingListType>();
  if (t.CalcAttributes() > MaxRings || t.FindSSSR(*rings) > MaxRings) std::abort();
  for (int i = 1; i <= n; ++i)
    if (t.GetAtFlag(i) != 0) std::abort();
}

/// Runs read on the bytes through the scratch file, then checks the table.
template <typename Reader>
void ReadScratch(const uint8_t* data, size_t size, Reader read) {
  TCTab t(nullptr);
  TextFile f;
  AssignFile(f, ScratchFileWith(data, size));
  Reset(f);
  read(t, f);
  CloseFile(f);
  CheckTable(t);
}

}  // namespace qelta::fuzz
