#pragma once
// Qelta_htmlsupport: an HTML template producer, word counting outside tags, URL coding and HTML entities.
//
// What: THtmlProducer copies a template and hands every placeholder "<#name params>" to the host's
// OnHTMLTag, which returns the text to put in its place. Free routines count the words of HTML text
// outside its tags, cut the path out of an HTTP address, percent-encode and -decode URL texts and turn
// characters into HTML entities and back.
// How: Convert walks the template once (linear in its length plus the replacements); placeholders are
// not nested: a '<' inside one belongs to its parameters, and a placeholder without '>' runs to the end of
// the template. Entities are those of HTML 4: &amp; &lt; &gt; &quot; and the Latin-1 names of
// HTMLLat1Entities; numeric references (&#n; and &#xh;) are read, and characters beyond Latin-1 are
// written as numeric references, so text survives the Windows-1252 files of the platform.
// Limits: no HTML parser: tags are found by '<' and '>' alone.

#include <cstdint>
#include <functional>
#include <memory>

#include "Classes.h"
#include "Streams.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Called for each placeholder: TagName lower-cased (A-Z), Params without surrounding blanks;
/// Replacement starts as the whole placeholder text ("<#" and '>' included).
using TOnHTMLTagEvent =
    std::function<void(TObject* Sender, const String& TagName, const String& Params, String& Replacement)>;

/// THtmlProducer: fills an HTML template through OnHTMLTag (see the unit notes).
class THtmlProducer : public TComponent {
 public:
  explicit THtmlProducer(TComponent* AOwner);
  ~THtmlProducer() override;

  /// Converts the template: text outside placeholders is copied, each placeholder is replaced by what
  /// OnHTMLTag returns (left as it stands without a handler). The result is also kept in ConvertedHTML.
  String Convert();

  /// The template becomes the file's lines, each followed by CR LF; raises EInOutError.
  void ReadTemplateFromFile(const String& FileName);
  /// The template becomes the whole stream from position 0, one character per byte.
  void ReadTemplateFromStream(TStream& Stream);
  /// Writes ConvertedHTML unchanged (Windows-1252, no line end added) as the file; raises EInOutError, and
  /// a failure keeps the old file (RewriteReplacing).
  void WriteConvertedHTMLToFile(const String& FileName) const;
  /// A stream holding ConvertedHTML at position 0, owned by the producer and valid until the next call.
  TStringStream* ConvertedHTMLAsStream();

  const String& Template() const { return FTemplate; }
  void SetTemplate(const String& value) { FTemplate = value; }
  const String& ConvertedHTML() const { return FConvertedHTML; }

  TOnHTMLTagEvent OnHTMLTag;

 private:
  void ConvertPlaceholder(std::size_t at);

  String FTemplate;
  std::size_t FSPos = 0;  ///< scan position during Convert
  String FConvertedHTML;
  std::unique_ptr<TStringStream> FStrStream;
};

/// Words of Text outside tags: characters from '<' to '>' are skipped (InTag, kept by the caller, carries
/// an open tag from one piece of text to the next); a word separator (WordSeps) or a '<' ends a word. A
/// word counts when it has at least 2 characters, is ended by a separator (a last word at the very end of
/// Text is not counted, so pieces can be fed one after another) and, with SkipNumbers, does not begin
/// with a digit.
int CountWordsHTML(const String& Text, bool SkipNumbers, bool& InTag);
/// The address without anything up to and including "http://" (found ignoring case) and without what
/// follows its last '/' ("http://host/a/b.html" gives "host/a/"); "" when no '/' is left.
String ExtractHTTPPath(const String& URL);
/// Each of ! * ' ( ) ; : @ & = + $ , / ? % # [ ] and the blank as '%' and two upper-case hexadecimal
/// digits; every other character copied.
String URLEncode(const String& Text);
/// Each '%' with two hexadecimal digits (either case) becomes the character of that code, once: the
/// result is never decoded again ("%2541" gives "%41"). Other '%' are copied. URLDecode(URLEncode(s)) == s.
String URLDecode(const String& Text);

/// The entity of a character: &amp; &lt; &gt; &quot;, the Latin-1 names for 160..255, "&#n;" above 255;
/// any other character as it is.
String AnsiToHTMLEntity(Char C);
/// Every character of Text through AnsiToHTMLEntity (a surrogate pair as one "&#n;").
String MakeStringHTMLCompatible(const String& Text);
/// The character(s) of one entity text ("&eacute;", "&#233;", "&#xE9;"); Entity unchanged when it is none
/// of the known names or a valid numeric reference. Names are case-sensitive.
String HTMLEntityToAnsi(const String& Entity);
/// Text with every known entity and numeric reference replaced by its character; others left as they stand.
String ResolveHTMLEntities(const String& Text);
/// Start of an HTML 4.01 page up to "</head>" with CR LF line ends: the doctype, a Windows-1252 charset
/// declaration, the title, a meta line for each non-empty one of Author, Keywords and Description (all
/// texts made HTML-compatible), and "<body>" when OpenBody.
String DefaultHTMLHead(const String& Title, const String& Author, const String& Keywords, const String& Description,
                       bool OpenBody);
/// End of the page: "</body>" (when CloseBody) and "</html>", each with CR LF.
String DefaultHTMLFoot(bool CloseBody);

}  // namespace qelta

QELTA_PUBLIC_END
