// The code beside each picture of the index page, cut out of the topic files the build compiled in
// (GallerySources.inc). A topic file is read as top-level pieces: each starts in the first column
// (functions, types, constants; comments, preprocessor and namespace lines are not pieces) and ends where
// its braces close on a line ending in '}' or ';'. The topic files keep to that layout.

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "Gallery.h"

namespace qelta::gallery {
namespace {

// The topic files as the build compiled them in: file name and text.
struct SourceFile {
  const char* name;
  const char* text;
};
constexpr SourceFile kSources[] = {
#include "GallerySources.inc"
};

using Lines = std::vector<std::string>;

Lines LinesOf(const std::string& fileName) {
  const std::string base = std::filesystem::path(fileName).filename().string();
  for (const SourceFile& f : kSources) {
    if (base != f.name) continue;
    Lines lines;
    std::istringstream in(f.text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  return {};
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// A line that lists a picture: a call of Add or of AddShownForm.
bool AddsAPicture(const std::string& line) {
  return line.find("page.Add(") != std::string::npos || line.find("AddShownForm(") != std::string::npos;
}

// The first line at or after `i` that ends a statement (its last character is ';').
size_t StatementEnd(const Lines& lines, size_t i) {
  while (i + 1 < lines.size() && (lines[i].empty() || lines[i].back() != ';')) ++i;
  return i;
}

// The code of a line without its string and character literals and its comment.
std::string CodeOnly(const std::string& line) {
  static const std::regex literalOrComment(R"re("(?:[^"\\]|\\.)*"|'(?:[^'\\]|\\.)*'|//.*)re");
  return std::regex_replace(line, literalOrComment, " ");
}

// One top-level piece: its lines [first, last] (0-based), where its comment starts, the names it defines.
struct Piece {
  size_t comment, first, last;
  std::set<std::string> names;
};

// The names a piece defines: the type of a struct or class, the constants before each '=', else the
// function before the first '('.
std::set<std::string> NamesOf(const std::string& head) {
  static const std::regex type(R"(^(?:struct|class)\s+(\w+))"), constant(R"((\w+)\s*(?:\[\])?\s*=)"),
      function(R"((\w+)\s*\()");
  const std::string code = CodeOnly(head);
  std::smatch m;
  if (std::regex_search(code, m, type)) return {m[1]};
  if (code.find('=') < code.find('(')) {
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), constant); it != std::sregex_iterator(); ++it)
      names.insert((*it)[1]);
    return names;
  }
  if (std::regex_search(code, m, function)) return {m[1]};
  return {};
}

bool StartsAPiece(const std::string& s) {
  return !s.empty() && s[0] != ' ' && s[0] != '}' && s[0] != '#' && !StartsWith(s, "//") &&
         !StartsWith(s, "namespace") && !StartsWith(s, "template");
}

std::vector<Piece> PiecesOf(const Lines& lines) {
  std::vector<Piece> pieces;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!StartsAPiece(lines[i])) continue;
    size_t comment = i;
    while (comment > 0 && (StartsWith(lines[comment - 1], "//") || StartsWith(lines[comment - 1], "template")))
      --comment;
    long depth = 0;
    size_t last = i;
    for (; last < lines.size(); ++last) {
      const std::string s = CodeOnly(lines[last]);
      depth += std::count(s.begin(), s.end(), '{') - std::count(s.begin(), s.end(), '}');
      const size_t end = s.find_last_not_of(' ');
      if (depth <= 0 && end != std::string::npos && (s[end] == '}' || s[end] == ';')) break;
    }
    pieces.push_back({comment, i, std::min(last, lines.size() - 1), NamesOf(lines[i])});
    i = last;
  }
  return pieces;
}

// The piece holding line `line` (0-based); pieces.size() when none does.
size_t PieceAt(const std::vector<Piece>& pieces, size_t line) {
  for (size_t k = 0; k < pieces.size(); ++k)
    if (pieces[k].first <= line && line <= pieces[k].last) return k;
  return pieces.size();
}

// Lines from..to (0-based, inclusive), each ending in a line break; empty when from > to.
std::string Joined(const Lines& lines, size_t from, size_t to) {
  std::string text;
  for (size_t i = from; i <= to && i < lines.size(); ++i) text += lines[i] + "\n";
  return text;
}

// The words of lines from..to, outside literals and comments.
std::set<std::string> WordsOf(const Lines& lines, size_t from, size_t to) {
  static const std::regex word(R"(\b[A-Za-z_]\w*\b)");
  std::set<std::string> words;
  for (size_t i = from; i <= to && i < lines.size(); ++i) {
    const std::string code = CodeOnly(lines[i]);
    for (auto it = std::sregex_iterator(code.begin(), code.end(), word); it != std::sregex_iterator(); ++it)
      words.insert(it->str());
  }
  return words;
}

// The pieces other than `self` that lines from..to name, and those these name in turn (in file order).
std::set<size_t> PiecesNamedBy(const std::vector<Piece>& pieces, const Lines& lines, size_t self, size_t from,
                               size_t to) {
  std::set<size_t> named;
  std::vector<std::set<std::string>> todo = {WordsOf(lines, from, to)};
  while (!todo.empty()) {
    const std::set<std::string> words = std::move(todo.back());
    todo.pop_back();
    for (size_t k = 0; k < pieces.size(); ++k) {
      const bool names = std::any_of(pieces[k].names.begin(), pieces[k].names.end(),
                                     [&](const std::string& n) { return words.count(n) > 0; });
      if (k != self && names && named.insert(k).second) todo.push_back(WordsOf(lines, pieces[k].first, pieces[k].last));
    }
  }
  return named;
}

}  // namespace

std::string FunctionOf(const CallSite& where) {
  const Lines lines = LinesOf(where.file_name());
  const std::vector<Piece> pieces = PiecesOf(lines);
  const size_t k = PieceAt(pieces, where.line() - 1);
  return k == pieces.size() ? std::string() : std::string(where.file_name()) + ":" + std::to_string(pieces[k].first);
}

ShownCode CodeOf(const CallSite& where, unsigned after) {
  const Lines lines = LinesOf(where.file_name());
  const std::vector<Piece> pieces = PiecesOf(lines);
  const size_t self = PieceAt(pieces, where.line() - 1);
  if (self == pieces.size()) return {};
  const Piece& f = pieces[self];
  const size_t mine = after > 0 ? StatementEnd(lines, after - 1) + 1 : f.comment;
  size_t to = std::min(StatementEnd(lines, where.line() - 1), f.last);
  bool lastInFunction = true;
  for (size_t i = to + 1; i < f.last; ++i) lastInFunction = lastInFunction && !AddsAPicture(lines[i]);
  if (lastInFunction) to = f.last;
  ShownCode code;
  for (size_t k : PiecesNamedBy(pieces, lines, self, f.first, to))
    code.uses += Joined(lines, pieces[k].comment, pieces[k].last) + "\n";
  if (mine > f.comment) code.earlier = Joined(lines, f.comment, mine - 1);
  code.own = Joined(lines, mine, to) + (lastInFunction ? "" : "  ...\n");
  return code;
}

}  // namespace qelta::gallery
