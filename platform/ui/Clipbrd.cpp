#include "Clipbrd.h"

namespace qelta {

namespace {

// Never destroyed: the application closes the window backend at exit, which swaps it back.
std::unique_ptr<TClipboard>& ClipboardSlot() {
  static auto* clipboard = new std::unique_ptr<TClipboard>(std::make_unique<TClipboard>());
  return *clipboard;
}

}  // namespace

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

void TClipboard::Clear() {
  FText.clear();
  FHasText = false;
  FBitmap.reset();
}

bool TClipboard::HasFormat(Word Format) const {
  if (Format == CF_TEXT || Format == CF_UNICODETEXT) return FHasText;
  return Format == CF_BITMAP && FBitmap != nullptr;
}

String TClipboard::AsText() const { return FHasText ? FText : String(); }

void TClipboard::SetAsText(const String& value) {
  Clear();
  FText = value;
  FHasText = true;
}

void TClipboard::SetBitmap(const TBitmap* value) {
  Clear();
  if (value == nullptr) return;
  FBitmap = std::make_unique<TBitmap>();
  FBitmap->Assign(const_cast<TBitmap*>(value));
}

bool TClipboard::GetBitmap(TBitmap* bitmap) const {
  if (FBitmap == nullptr || bitmap == nullptr) return false;
  bitmap->Assign(FBitmap.get());
  return true;
}

void TClipboard::Assign(TPersistent* Source) {
  if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) return SetBitmap(bitmap);
  TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest) {
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (bitmap == nullptr) return TPersistent::AssignTo(Dest);
  if (!GetBitmap(bitmap)) throw EConvertError("The clipboard holds no picture");
}

TClipboard* Clipboard() { return ClipboardSlot().get(); }

std::unique_ptr<TClipboard> SetClipboard(std::unique_ptr<TClipboard> clipboard) {
  if (!clipboard) clipboard = std::make_unique<TClipboard>();
  std::swap(clipboard, ClipboardSlot());
  return clipboard;
}

}  // namespace qelta
