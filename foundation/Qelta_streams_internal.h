#pragma once
// Not part of the public interface: the attribute scanner for a reader of many tags from one writer, whose
// tags mostly have the names of the tag before in the same order (exported for the map's readers).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "Qelta_streams.h"
#include "Types.h"
#include "Visibility.h"

namespace qelta::core_detail {

// In line in each library that compares names (not exported).

/// Four characters from p as one word.
inline uint64_t CharWord(const Char* p) {
  uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

/// True when the n characters at a and b are the same: four at a time where there are four.
inline bool SameChars(const Char* a, const Char* b, std::size_t n) {
  if (n < 4) {
    for (std::size_t i = 0; i < n; ++i)
      if (a[i] != b[i]) return false;
    return true;
  }
  for (std::size_t i = 0; i + 4 < n; i += 4)
    if (CharWord(a + i) != CharWord(b + i)) return false;
  return CharWord(a + n - 4) == CharWord(b + n - 4);
}

}  // namespace qelta::core_detail

QELTA_PUBLIC_BEGIN

namespace qelta::core_detail {

/// The pairs of the attribute text scanned last, kept by a reader of many tags to check the next tag
/// against: each pair's name and, for a quoted value, the characters from the end of the pair before to
/// its opening quote (its gap, such as ` name=`).
class TXMLAttributeNames {
 public:
  // Made and copied inside this library only, so that another library never emits code of its members.
  TXMLAttributeNames();
  TXMLAttributeNames(const TXMLAttributeNames&);
  TXMLAttributeNames& operator=(const TXMLAttributeNames&);
  ~TXMLAttributeNames();

  std::size_t Count() const;
  /// The pairs from the start of text whose gaps are those of these pairs in turn, each followed by a
  /// closed quoted value, at most Count(): their spans are written to spans (room for Count()) and pos is
  /// left after the last of them. Answers their number.
  std::size_t Match(const String& text, TXMLAttributeSpan* spans, std::size_t& pos) const;
  /// True when the names of the spans in text are these, in this order.
  bool SameAs(const String& text, const std::vector<TXMLAttributeSpan>& spans) const;
  /// Takes the pairs of the spans in text.
  void Take(const String& text, const std::vector<TXMLAttributeSpan>& spans);

 private:
  struct TPair {
    std::size_t From = 0;                  ///< where its characters stand in FChars
    std::size_t Gap = 0;                   ///< the length of its gap; none (npos) when its value was not quoted
    std::size_t NameFrom = 0, NameTo = 0;  ///< its name, from From
  };
  String FChars;               ///< the characters of each pair, its gap or up to the end of its name
  std::vector<TPair> FPairs;
};

/// ScanXMLAttributeSpans of Text (the same spans) for a text whose pairs likely stand as those of Names,
/// as the tags of one writer do: a pair whose gap is that of the pair before is read in place, its quotes
/// found 64 characters at a time. True when the pairs have exactly those names (character for character)
/// in that order; Names then holds the pairs of Text whenever they were not all read in place.
bool ScanXMLAttributeSpansLike(const String& Text, TXMLAttributeNames& Names, std::vector<TXMLAttributeSpan>& Spans);

}  // namespace qelta::core_detail

QELTA_PUBLIC_END
