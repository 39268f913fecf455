// Resources: lookup by name in a library's embedded module, and bitmaps loaded from it.

#include "Resources.h"

#include "Graphics.h"

namespace qelta {

namespace {

Char FoldAscii(Char c) { return c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c; }

bool SameName(const char16_t* a, const String& b) {
  std::size_t i = 0;
  for (; a[i] != 0; ++i)
    if (i >= b.size() || FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return i == b.size();
}

}  // namespace

std::span<const uint8_t> FindResourceData(HINSTANCE Instance, const String& Name) {
  if (Instance == nullptr) return {};
  for (std::size_t i = 0; i < Instance->Count; ++i) {
    const TResourceEntry& e = Instance->Entries[i];
    if (SameName(e.Name, Name)) return {e.Data, e.Size};
  }
  return {};
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const String& name) {
  const std::span<const uint8_t> data = FindResourceData(instance, name);
  if (data.empty()) throw EResNotFound(u"Resource " + name + u" not found");
  LoadFromBytes(data);
}

}  // namespace qelta
