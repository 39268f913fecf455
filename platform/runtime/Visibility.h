#pragma once
// What the Qelta libraries export. Every library is built with hidden visibility: a name crosses a library
// boundary only when it is declared between QELTA_PUBLIC_BEGIN and QELTA_PUBLIC_END. The installed headers
// wrap all their declarations so; an internal header wraps only what another library, a test or a
// benchmark calls. Everything else stays inside its library, so one library can never supply another's
// internal classes or functions, whatever the order in which the loader meets them.
// A new installed header includes this one and puts QELTA_PUBLIC_BEGIN after its includes and
// QELTA_PUBLIC_END at its end. gcc and clang honour the pragma; elsewhere the macros are empty.

#if defined(__GNUC__) || defined(__clang__)
#define QELTA_PUBLIC_BEGIN _Pragma("GCC visibility push(default)")
#define QELTA_PUBLIC_END _Pragma("GCC visibility pop")
#else
#define QELTA_PUBLIC_BEGIN
#define QELTA_PUBLIC_END
#endif
