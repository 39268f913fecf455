#pragma once
// Not part of the public interface: the one rule by which the readers of every library bound what they
// reserve for an object a file declares (matrices, arrays, string tables, report lists, colour lists);
// exported for the other libraries and the tests.
//
// A reader sizes an object by what its file declares only as far as the file can fill it: 16 bytes of
// storage per byte read (a listed number takes two bytes of text at least and eight of storage at most),
// plus 3 MiB for the cells a file leaves out to their default (a table saved with empty cells left out, a
// range stored from the middle of a matrix). A declaration beyond that is refused as implausible. The
// allowance leaves room for a reader that builds the object aside and then copies it in, so that reading
// never holds more than 100 bytes per byte of input plus 8 MiB at once (the fuzz driver's bound).
// So a writer that leaves empty cells out also writes some of them (PadSparseRow) where its table is
// so sparse that its file would otherwise declare more than it fills: such a file loads back as saved,
// and a reader that knows nothing of this takes the empty cells as what they are.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "Types.h"

#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::core_detail {

/// True when `storageBytes` of storage (0 or more) may be reserved for what `inputBytes` bytes of a file declare.
bool StorageFitsInput(int64_t storageBytes, int64_t inputBytes);

/// The bytes a TStringArray of cols x rows (1 or more each) reserves with its default allocation step: the
/// cell words of columns 0..cols, the sort index and the attributes (its text pool aside).
int64_t StringArrayBytes(int64_t cols, int64_t rows);

/// What the readers count at least of an element line with attributes (its tag's name, attributes and
/// content, brackets included): half the line.
int64_t CountedElementChars(const String& line);

/// Completes one row for a writer that leaves empty cells out. `cells` holds the column and line of each
/// cell it writes, rising. Where what it wrote so far (`written`, each line counted as CountedElementChars)
/// and these lines do not fill the storage its element declares up to this row (`storageBytes`,
/// StorageFitsInput), the lines emptyCell(c) of empty cells from the row's end (lastCol down to firstCol;
/// "" for a cell that is not empty) are added, as few as fill it, in column order. `written` grows by
/// what the row's lines count.
void PadSparseRow(std::vector<std::pair<int, String>>& cells, int64_t storageBytes, int64_t& written, int firstCol,
                  int lastCol, const std::function<String(int)>& emptyCell);

}  // namespace qelta::core_detail

QELTA_PUBLIC_END
