#pragma once
// Qelta_replist internals shared by its sources (not part of the public interface): column formats taken
// apart, and the store's change event silenced for bulk changes.

#include "Qelta_replist.h"

namespace qelta::ctl_detail {

/// A column format "[" type "]" "[" width "]" value taken apart.
struct TRLColumnFormat {
  bool HasType = false;  ///< a "[" stands before the first "]"
  bool ReadOnly = false; ///< the type began with "#" (removed from TypeText)
  String TypeText = u"s";///< the type group ("s" when it is missing or empty): a letter and its details
  int Width = 200;       ///< the editor width in pixels (200 when missing or below 1)
  String Value;          ///< what follows the groups: choices "a|b|c" or the default
};

/// Takes a column format apart: the type group is the text between the first "[" and the first "]" when
/// the "[" comes first; everything up to that "]" is removed; the width group is the text between the
/// next "[" and "]" (a decimal number at its start), removed likewise; the rest is the value.
TRLColumnFormat ParseColumnFormat(const String& Format);

/// Default of a cell of row r by a format taken apart (as GetCellDefaultValue, without its checks for a
/// type group and "#"): the first choice ("c", "l"), the value ("d"), the row number for "rixn" ("e",
/// "f", "h", "i"), an invented password for "$pwd$n" ("s"), else the value; "" for other letters.
String FormatDefault(const TRLColumnFormat& f, int r);

}  // namespace qelta::ctl_detail

namespace qelta {

template <typename Fn>
void TRLData::Quietly(bool notify, Fn&& fn) {
  TNotifyEvent saved = std::move(Strings->OnChange);
  Strings->OnChange = nullptr;
  try {
    fn();
  } catch (...) {
    Strings->OnChange = std::move(saved);
    throw;
  }
  Strings->OnChange = std::move(saved);
  if (notify) Strings->Changed();
}

}  // namespace qelta
