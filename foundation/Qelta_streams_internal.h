#pragma once
// Not part of the public interface: the attribute scanner for a reader of many tags from one writer, whose
// tags mostly have the names of the tag before in the same order (exported for the map's readers).

#include <cstddef>
#include <string_view>
#include <vector>

#include "Qelta_streams.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta::core_detail {

/// The names of the pairs of the attribute text scanned last, in order (case as written), kept by a reader
/// of many tags to check the next tag against.
class TXMLAttributeNames {
 public:
  std::size_t Count() const { return FNames.size(); }
  /// The pairs from the start of text that stand as writers put them, [blank] name="value", with these
  /// names in turn, at most Count(): their spans are written to spans (room for Count()) and pos is left
  /// after the last of them. Answers their number.
  std::size_t Match(const String& text, TXMLAttributeSpan* spans, std::size_t& pos) const;
  /// True when the names of the spans in text are these, in this order.
  bool SameAs(const String& text, const std::vector<TXMLAttributeSpan>& spans) const;
  /// Takes the names of the spans in text.
  void Take(const String& text, const std::vector<TXMLAttributeSpan>& spans);

 private:
  struct TName {
    std::size_t From = 0, Size = 0;
  };
  String FChars;              ///< the names one after another, then four zero characters
  std::vector<TName> FNames;  ///< where each name stands in FChars
};

/// ScanXMLAttributeSpans of Text (the same spans) for a text whose pairs likely have Names: a pair as
/// writers put it, [blank] name="value", is checked against its expected name in place, its quotes
/// found 64 characters at a time. True when the pairs have exactly those names (character for character)
/// in that order; else false, with Names holding the names found.
bool ScanXMLAttributeSpansLike(const String& Text, TXMLAttributeNames& Names, std::vector<TXMLAttributeSpan>& Spans);

}  // namespace qelta::core_detail

QELTA_PUBLIC_END
