#pragma once
// The clipboard: text and a picture, kept in the process.
//
// Implements: one clipboard object with the text and bitmap formats; putting something on it
// replaces what was there (as on the classic platform, where every setter empties the clipboard
// first). A window backend installs its own TClipboard descendant with SetClipboard. Does not
// implement: other formats, delayed rendering, change notification, sharing with other processes.

#include <memory>

#include "Classes.h"
#include "Graphics.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// Clipboard formats.
constexpr Word CF_TEXT = 1, CF_BITMAP = 2, CF_UNICODETEXT = 13;

class TClipboard : public TPersistent {
 public:
  TClipboard();
  ~TClipboard() override;

  /// Empties the clipboard.
  virtual void Clear();
  /// True when the clipboard holds the format (CF_TEXT and CF_UNICODETEXT both mean text).
  virtual bool HasFormat(Word Format) const;
  /// The text on the clipboard; empty when it holds none.
  virtual String AsText() const;
  /// Replaces the clipboard's content with the text.
  virtual void SetAsText(const String& value);
  /// Replaces the clipboard's content with a copy of the bitmap (nullptr empties it).
  virtual void SetBitmap(const TBitmap* value);
  /// Copies the clipboard's picture into `bitmap`; false (bitmap unchanged) when it holds none.
  virtual bool GetBitmap(TBitmap* bitmap) const;
  /// From a TBitmap: SetBitmap; anything else as TPersistent.
  void Assign(TPersistent* Source) override;

 protected:
  /// To a TBitmap: GetBitmap (raises EConvertError when the clipboard holds no picture).
  void AssignTo(TPersistent* Dest) override;

 private:
  String FText;
  bool FHasText = false;
  std::unique_ptr<TBitmap> FBitmap;
};

/// The clipboard in use.
TClipboard* Clipboard();
/// Installs a clipboard (nullptr restores a fresh in-process one); returns the previous one.
std::unique_ptr<TClipboard> SetClipboard(std::unique_ptr<TClipboard> clipboard);

}  // namespace qelta

QELTA_PUBLIC_END
