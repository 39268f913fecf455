#pragma once
// Text conversions at the edges: UTF-8 (file names, FreeType, the terminal) and Windows-1252, the
// 8-bit code page of text files and byte-per-character streams. Invalid UTF-8 bytes and lone
// surrogates become U+FFFD; a character Windows-1252 cannot hold becomes '?'.

#include <string>
#include <string_view>

#include "Types.h"
#include "Visibility.h"

QELTA_PUBLIC_BEGIN

namespace qelta {

String Utf8ToString(std::string_view utf8);
std::string StringToUtf8(const String& s);
/// One Unicode code point as one or two UTF-16 units; U+FFFD for a surrogate or a value beyond U+10FFFF.
String CodePointToString(char32_t codePoint);

/// Windows-1252 byte to its UTF-16 character (the five unassigned bytes map to U+0081 etc.).
Char AnsiCharToChar(unsigned char c);
/// UTF-16 character to its Windows-1252 byte, or '?' when the code page has none.
unsigned char CharToAnsiChar(Char c);

AnsiString StringToAnsi(const String& s);
/// StringToAnsi of s from index `pos` (0-based) into out, at most `room` bytes: answers the bytes
/// written and moves pos past the characters taken (a surrogate pair is taken whole, as one '?').
/// Lets a long text be converted in pieces without a full-size copy.
std::size_t StringToAnsiChunk(const String& s, std::size_t& pos, char* out, std::size_t room);
String AnsiToString(std::string_view ansi);
/// AnsiToString of the bytes into out, which has room for ansi.size() characters: for readers that widen
/// into storage of their own. Sixteen bytes at a time (SSE2), the few of 0x80-0x9F looked up.
void AnsiToChars(std::string_view ansi, Char* out);

}  // namespace qelta

QELTA_PUBLIC_END
