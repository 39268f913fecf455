// Text-label element custtextlbl (TCustomTextLabel ReadFromOpenXMLFile): any file reads the element
// or answers false with the label unchanged; the platform's EInOutError may pass.
#include "Exceptions.h"
#include "FuzzDriver.h"
#include "Qelta_qeltabase_labels.h"
#include "TextFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qelta::String file = qelta::fuzz::ScratchFileWith(data, size);
  qelta::TCustomTextLabel label;
  qelta::TextFile f;
  try {
    qelta::AssignFile(f, file);
    qelta::Reset(f);
    while (label.ReadFromOpenXMLFile(f, u"") && !qelta::Eof(f)) {
    }
    qelta::CloseFile(f);
  } catch (const qelta::EInOutError&) {
  }
  return 0;
}
