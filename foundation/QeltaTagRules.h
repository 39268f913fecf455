#pragma once
// The tag rules shared by the stream, text-file and string tag readers (not part of the public
// interface): how tag text splits into a lower-cased name and attributes, which tags carry content,
// how a name maps to its index in a tag list.

#include <vector>

#include "Types.h"

namespace qelta::core_detail {

/// A tag's text (after '<', up to and including '>') taken apart.
struct TTagParts {
  String name;         ///< lower-cased (A-Z), "/name" for closing tags
  String attributes;   ///< without leading and trailing blanks
  bool empty = false;  ///< "<name ... />"
};

/// Splits tag text into name and attributes.
TTagParts SplitTag(const String& text);
/// SplitTag into the given texts, reusing their storage (for readers of many tags); answers TTagParts::empty.
bool SplitTag(const String& text, String& name, String& attributes);

/// Closing tags, empty elements, declarations ("<?xml ...?>") and comments have no content.
bool TagHasContent(const TTagParts& tag);
bool TagHasContent(const String& name, bool empty);

/// Index of name in tags; names not in the list take the index of the last entry.
int TagIndex(const std::vector<String>& tags, const String& name);

}  // namespace qelta::core_detail
