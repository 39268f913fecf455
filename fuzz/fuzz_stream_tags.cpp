// The tag readers of Qelta_streams on streams and text files (ReadNextTagInStream,
// ReadNextTagInTextFile, ScanStreamForXMLTag, ReadStreamUntilTagList, ScanForXMLAttrib, TTagReader) and
// the line and number readers beside them: every call returns and each tag read moves on.
#include <cstdlib>
#include <vector>

#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Qelta_streams.h"
#include "Streams.h"
#include "TextFiles.h"

namespace {

const std::vector<qelta::String> kTags{u"cell", u"/matrix", u"entry", u"dims", u"", u"invalid"};

// Reads tag after tag to the end; a read that consumes nothing twice in a row is a hang.
void AllTags(qelta::TMemoryStream& s) {
  qelta::String attributes, content;
  int64_t stuck = 0;
  while (s.Position() < s.Size()) {
    const int64_t before = s.Position();
    const int tag = qelta::ReadNextTagInStream(s, kTags, attributes, content);
    qelta::ScanForXMLAttrib(attributes, u"col");
    if (tag == static_cast<int>(kTags.size()) - 1 && s.Position() == before && ++stuck > 1) std::abort();
  }
}

// Lines and tags in turn through one reader: every line read moves on, so the input runs out.
void LinesAndTags(qelta::TTagReader& r, size_t size) {
  qelta::String line, attributes, content;
  for (size_t n = 0; !r.AtEnd() && n <= size; ++n) {
    r.ReadLine(line);
    r.NextTag(kTags, attributes, content);
  }
  if (!r.AtEnd()) std::abort();
}

void Lines(qelta::TMemoryStream& s) {
  for (int mode = 0; mode <= 2; ++mode) {
    s.SetPosition(0);
    bool end = false;
    for (int64_t n = 0; !end && n <= s.Size() + 1; ++n) qelta::ReadLnStream(s, end, mode);
  }
  s.SetPosition(0);
  qelta::ScanStreamDecimal(s);
  qelta::ScanStreamFPNum(s, true, 3);
  s.SetPosition(0);
  bool error = false;
  qelta::ReadExtendedFromStream(s, error);
  qelta::ReadLongintFromStream(s, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qelta::TMemoryStream s;
  s.Write(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  AllTags(s);
  qelta::String attributes, content;
  s.SetPosition(0);
  qelta::ScanStreamForXMLTag(s, u"entry", attributes, content);
  s.SetPosition(0);
  int index = 0;
  qelta::ReadStreamUntilTagList(s, kTags, index);
  Lines(s);
  for (int mode = 0; mode <= 2; mode += 2) {
    s.SetPosition(0);
    qelta::TTagReader stream(s, mode);
    LinesAndTags(stream, size);
  }
  const qelta::String text(data, data + size);
  qelta::TTagReader string(text);
  LinesAndTags(string, size);
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TextFile f;
  try {
    qelta::AssignFile(f, file);
    qelta::Reset(f);
    for (size_t n = 0; !qelta::Eof(f) && n <= size + 1; ++n) qelta::ReadNextTagInTextFile(f, kTags, attributes, content);
    qelta::Reset(f);
    qelta::TTagReader lines(f);
    LinesAndTags(lines, size);
    qelta::CloseFile(f);
  } catch (const qelta::EInOutError&) {
  }
  return 0;
}
