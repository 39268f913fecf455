#pragma once
// Stream and tag helpers of the foundation: byte-per-character text lines, raw binary numbers, number
// scanners that read straight from a stream, and a small reader for the XML-like files the system
// writes itself (tag by tag, plus an attribute scanner and the character references of its texts), with
// TTagReader taking lines and tags in turn from a text file, a stream or a text.
// Text in a stream is one byte per character: writers store the low 8 bits of each character,
// readers turn byte b into the character of code b. Lines are written with CR LF.
// The routines keep no state (TTagReader only its place in a text); each works on the stream or text
// file it is given, from its position.
// Limits: the tag reader is no XML parser (no entities, no CDATA); tag and attribute names are
// matched ignoring the case of A-Z only. Readers never raise at the end of the input.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "Streams.h"
#include "StringLists.h"
#include "TextFiles.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

// [writers] raise the stream's EWriteError when it refuses bytes
/// Writes the characters as bytes (low 8 bits), without length prefix or terminator.
void WriteStringStream(TStream& stream, const String& text);
/// WriteStringStream, then CR LF.
void WriteLnStream(TStream& stream, const String& text);
/// Writes the 10-byte x87 image of value.
void WriteExtendedToStream(TStream& stream, Extended value);
/// Writes the 4 bytes of value, little-endian.
void WriteLongintToStream(TStream& stream, int32_t value);

// [readers]
/// Reads one line by mode (0 LF, 1 CR, 2 CR or LF, 3 the pair LF CR, 4 the pair CR LF; other modes never
/// end a line). Control bytes other than TAB are dropped; endOfStream is true when a read returned no byte.
String ReadLnStream(TStream& stream, bool& endOfStream, int mode);
/// Reads 10 bytes as an x87 extended value; error is true (and the value 0) after a short read.
Extended ReadExtendedFromStream(TStream& stream, bool& error);
/// Reads a 4-byte little-endian integer; error is true (and the value 0) after a short read.
int32_t ReadLongintFromStream(TStream& stream, bool& error);
/// Reads up to and including the next byte equal to b; false when the stream ended first.
bool FindInStream(TStream& stream, uint8_t b);
/// The rest of the stream from its position, one character per byte.
String StreamAsString(TStream& stream);
/// Reads until the text read contains key (ignoring case of A-Z). Found: errorCode 0, the result ends with
/// the key and the stream stands just behind it. Not found: errorCode -1, the result is all that was read.
String ReadStreamUntil(TStream& stream, const String& key, int& errorCode);
/// Reads an integer: blanks skipped, an optional sign, digits; the byte ending it is consumed. Wraps on overflow.
int32_t ScanStreamDecimal(TStream& stream);
/// Reads a floating-point number (separator mode 1 '.', 2 ',', 3 either); 0 on a malformed number; the
/// position rests on the byte that ended it. Clamped to +-1.7e308.
double ScanStreamFPNum(TStream& stream, bool exponentAllowed, int separatorMode);
/// Number of LF bytes from the position to the end.
int32_t CountLinesInStream(TStream& stream);

// [tags]
/// Value of the named attribute (name ignoring case of A-Z) in a text of name=value pairs; "" when absent
/// or when the text is malformed before it.
String ScanForXMLAttrib(const String& attributes, const String& name);
/// Every name=value pair of an attribute text in order, names lower-cased (A-Z) and stripped of blanks, up to
/// the end or the first syntax fault: what ScanForXMLAttrib searches, read once for texts asked for many names.
std::vector<std::pair<String, String>> ScanXMLAttributes(const String& attributes);
/// ScanXMLAttributes into pairs (resized to their count), reusing the storage of the texts they hold: for a
/// reader that scans the attributes of many tags.
void ScanXMLAttributes(const String& attributes, std::vector<std::pair<String, String>>& pairs);
/// Where one pair of an attribute text lies: [NameFrom, NameTo) the name without its outer blanks (case as
/// written), [ValueFrom, ValueTo) the value without its quotes.
struct TXMLAttributeSpan {
  std::size_t NameFrom = 0, NameTo = 0, ValueFrom = 0, ValueTo = 0;
};
/// The pairs of ScanXMLAttributes as places in the text (spans resized to their count): for a reader that
/// looks at the values in place instead of copying them.
void ScanXMLAttributeSpans(const String& attributes, std::vector<TXMLAttributeSpan>& spans);
/// Text as the XML dialects write it: "&amp;" "&lt;" "&gt;" "&quot;" for & < > ", and "&#n;" (decimal
/// code point) for every character outside 32..126 and 160..255, so it holds no line end and no markup.
String XmlEscape(const String& s);
/// The inverse of XmlEscape; also "&apos;" and "&#xh;". An "&" that starts no known reference stays.
String XmlUnescape(const String& s);
/// Reads the next tag with its attributes and content; answers the index of its lower-cased name in tags
/// (closing tags with their leading '/'), or the last index when it is not listed (-1 for an empty list).
/// Declarations and comments ("<?...?>", "<!...>") read no content.
int ReadNextTagInStream(TStream& stream, const std::vector<String>& tags, String& attributes, String& content);
/// ReadNextTagInStream over the characters of a text file open for reading.
int ReadNextTagInTextFile(TextFile& file, const std::vector<String>& tags, String& attributes, String& content);

// [lines and tags of one medium]
/// Lines and tags read in turn from one medium, from its position: an open text file, a stream (one byte per
/// character) or a text. The readers of the XML-like files find their start line and then read tag after
/// tag through it, whatever they read from. It borrows the medium, which must outlive it; it reads nothing
/// ahead, so the medium stands just behind what was read.
class TTagReader {
 public:
  /// Lines by ReadLn, tags by ReadNextTagInTextFile.
  explicit TTagReader(TextFile& file) : FFile(&file) {}
  /// Lines by ReadLnStream in lineMode (0: LF ends a line, CR is dropped), tags by ReadNextTagInStream.
  explicit TTagReader(TStream& stream, int lineMode = 0) : FStream(&stream), FLineMode(lineMode) {}
  /// Lines end at LF (a CR before it is dropped, other characters kept), tags by ReadNextTagInString.
  explicit TTagReader(const String& text) : FText(&text) {}
  TTagReader(String&&) = delete;

  /// The next line; false (line unchanged) when nothing is left.
  bool ReadLine(String& line);
  /// The next tag's index in tags as ReadNextTagInStream answers it, with its attributes and content.
  int NextTag(const std::vector<String>& tags, String& attributes, String& content);
  /// True when nothing is left: the file at its end, the stream at its size, the text used up.
  bool AtEnd();
  /// Characters handed out so far: each line with its end, each tag's name, attributes and content with its
  /// brackets (the text between tags is not counted). A lower bound of what was read, by which the readers
  /// bound what they reserve for it.
  int64_t CharsRead() const { return FCharsRead; }

 private:
  TextFile* FFile = nullptr;
  TStream* FStream = nullptr;
  const String* FText = nullptr;
  int FLineMode = 0;
  bool FEnd = false;  ///< a stream read returned no byte
  int FPos = 1;       ///< 1-based position in the text
  int64_t FCharsRead = 0;
  String FTagText, FTagName;  ///< the last tag's text and name: their storage serves every tag
};

// [further helpers]
/// Reads tag after tag until an element named tag (ignoring case of A-Z); true with its attributes and content,
/// false (both empty, stream at its end) when none follows.
bool ScanStreamForXMLTag(TStream& stream, const String& tag, String& attributes, String& content);
/// Reads until one of the texts of tags occurs (ignoring case of A-Z); answers what was read, up to and including
/// that text; index is its index in tags (the first listed wins when several end at the same byte), -1 at the end.
String ReadStreamUntilTagList(TStream& stream, const std::vector<String>& tags, int& index);
/// Copies into target (cleared first) every line of stream (from its position; CR LF, LF or CR ends) that contains
/// one of the texts of keys (ignoring case of A-Z), each with CR LF, and rewinds target; answers the number of
/// lines copied.
int ExtractFromStream(TStream& stream, TMemoryStream& target, const TStrings& keys);

/// Called with each match found; may change the replacement text.
using TSearchReplaceCallback = std::function<void(const String& found, String& replacement)>;
/// Copies source to target (target cleared first), replacing occurrences of search by replacement: from byte
/// offset startPos of source, at most maxCount times (0 = all), ignoring case of A-Z when ignoreCase, and only
/// before the first occurrence of stopText (empty: no stop). The callback, when set, sees every match first.
/// Both streams are rewound afterwards; answers the number of replacements (0, nothing done, when source and
/// target are the same stream).
int SearchAndReplace(TMemoryStream& source, TMemoryStream& target, const String& search, const String& replacement,
                     bool ignoreCase, int startPos, int maxCount, const String& stopText,
                     const TSearchReplaceCallback& callback);

}  // namespace qelta

QELTA_PUBLIC_END
