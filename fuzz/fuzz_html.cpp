// The HTML producer and the entity and word routines on any text: Convert hands every placeholder to the
// handler; entities made by MakeStringHTMLCompatible resolve back to the text.
#include <cstdlib>

#include "Encoding.h"
#include "FuzzDriver.h"
#include "Qelta_htmlsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String text = qelta::AnsiToString(std::string(reinterpret_cast<const char*>(data), size));
  qelta::THtmlProducer producer(nullptr);
  producer.SetTemplate(text);
  producer.OnHTMLTag = [](qelta::TObject*, const qelta::String& name, const qelta::String& params,
                          qelta::String& replacement) { replacement = u"[" + name + u"|" + params + u"]"; };
  producer.Convert();
  producer.OnHTMLTag = nullptr;
  if (producer.Convert() != text) std::abort();  // without a handler nothing changes
  bool inTag = false;
  qelta::CountWordsHTML(text, true, inTag);
  qelta::ExtractHTTPPath(text);
  qelta::ResolveHTMLEntities(text);
  if (qelta::ResolveHTMLEntities(qelta::MakeStringHTMLCompatible(text)) != text) std::abort();
  return 0;
}
