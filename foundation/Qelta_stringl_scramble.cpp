#include <array>

#include "Qelta_stringl.h"
#include "Random.h"

// Qelta_stringl: the character scrambler.
//
// A seed gives a permutation of the codes 1..255 drawn from the platform's Random: for i = 1..255
// draw a = Random(255) until code a + 1 is still free, then i -> a + 1. The draw loop ends because
// the generator's full period of 2^32 takes every value below 255. Code 0 maps to itself, and
// codes above 255 are not in the tables and pass unchanged. Texts scrambled under one seed
// descramble only with the same seed and the same generator.

namespace qelta {
namespace {

constexpr int kDefaultSeed = 5807;

struct TScrambleTables {
  std::array<uint8_t, 256> forward{};
  std::array<uint8_t, 256> inverse{};
};

TScrambleTables& Tables() {
  static TScrambleTables tables;
  return tables;
}

String MapThrough(const String& s, const std::array<uint8_t, 256>& table) {
  String out(s);
  for (Char& c : out)
    if (c < 256) c = table[c];
  return out;
}

}  // namespace

void InitScramble(int Seed) {
  TScrambleTables& t = Tables();
  RandSeed = static_cast<uint32_t>(Seed);
  t.forward.fill(0);
  t.inverse.fill(0);
  for (int i = 1; i <= 255; ++i) {
    int code;
    do code = Random(255) + 1;
    while (t.inverse[code] != 0);
    t.forward[i] = static_cast<uint8_t>(code);
    t.inverse[code] = static_cast<uint8_t>(i);
  }
}

String Scramble(const String& s) { return MapThrough(s, Tables().forward); }

String DeScramble(const String& s) { return MapThrough(s, Tables().inverse); }

namespace core_detail {
void InitStringl() {
  static bool done = false;
  if (done) return;
  done = true;
  InitScramble(kDefaultSeed);
}
}  // namespace core_detail

}  // namespace qelta
