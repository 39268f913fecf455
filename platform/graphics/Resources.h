#pragma once
// Resources: the files a library embeds at build time (the PNG pictures of its resources/ folder),
// found by name through the library's instance handle, as the classic platform finds a module's
// resources through HInstance.
//
// How: cmake's qelta_resources(<target> FILES ...) turns the files into a generated source that
// defines the target's resource module and its HInstance(); HInstance() has hidden visibility, so
// inside each library (or program) it names that library's own module. A library that calls it
// without embedding resources does not link. Names are the file names without their extension,
// compared ignoring the case of A-Z. Does not implement: string tables, icons, resource types,
// resources added at run time (cursors have their own registry, Screen.h).

#include <cstddef>
#include <cstdint>
#include <span>

#include "Exceptions.h"
#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

/// One embedded file: its name and bytes (borrowed from the generated source).
struct TResourceEntry {
  const char16_t* Name = nullptr;
  const uint8_t* Data = nullptr;
  std::size_t Size = 0;
};

/// The resources of one library.
struct TResourceModule {
  const char* Library = "";
  const TResourceEntry* Entries = nullptr;
  std::size_t Count = 0;
};

/// Instance handle of a library: the module of its resources (nullptr is no module).
using HINSTANCE = const TResourceModule*;

/// A resource that the module does not hold.
QELTA_DECLARE_EXCEPTION(EResNotFound, Exception)

/// The calling library's own resource module (defined by qelta_resources for each library).
__attribute__((visibility("hidden"))) HINSTANCE HInstance();

/// Bytes of the resource `Name` (A-Z case ignored) in the module; an empty span when it has none.
std::span<const uint8_t> FindResourceData(HINSTANCE Instance, const String& Name);

}  // namespace qelta

QELTA_PUBLIC_END
