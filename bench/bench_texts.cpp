// Generated benchmark texts. A small fixed generator keeps every run on the
// same texts, so figures from two runs compare.
#include "bench/bench_texts.h"

#include <iterator>

#include "runtime/text.h"

namespace quorvel::bench {

namespace {

// No word here, nor two of them joined by a blank, spells kAbsentWord.
constexpr const char16_t* kWords[] = {
    u"the",   u"there",   u"theory", u"then",  u"them",   u"thread",  u"copy",
    u"paste", u"history", u"window", u"list",  u"entry",  u"text",    u"search",
    u"find",  u"hello",   u"world",  u"data",  u"report", u"meeting", u"notes",
    u"total", u"key",     u"value",  u"time",  u"date",   u"morning", u"quick",
    u"brown", u"fox",     u"jumps",  u"over",  u"lazy",   u"dog",     u"Straße",
    u"Äpfel", u"café",    u"naïve",  u"ΣΟΦΙΑ", u"σοφία",  u"привет",  u"ПРИВЕТ",
};

// splitmix64: small, fast and the same on every compiler.
class Generator {
 public:
  explicit Generator(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

 private:
  uint64_t state_;
};

char16_t AsciiUpper(char16_t unit) {
  return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

// Appends words (lower case, Capitalised or UPPER, at random) until out
// holds at least units code units.
void AppendWords(std::u16string& out, std::size_t units, Generator& random) {
  while (out.size() < units) {
    if (!out.empty()) out += u' ';
    const uint64_t pick = random.Next();
    std::u16string word = kWords[pick % std::size(kWords)];
    switch ((pick >> 32) % 4) {
      case 0:
        word[0] = AsciiUpper(word[0]);
        break;
      case 1:
        for (char16_t& unit : word) unit = AsciiUpper(unit);
        break;
      default:
        break;
    }
    out += word;
  }
}

}  // namespace

std::u16string MixedCaseText(std::size_t units, uint32_t seed) {
  Generator random(seed);
  std::u16string text;
  text.reserve(units + 16);
  AppendWords(text, units, random);
  text.resize(units);
  return text;
}

std::u16string EntryText(int64_t index, std::size_t length) {
  const std::u16string tag = u" #" + NumberToText(index);
  Generator random(static_cast<uint64_t>(index) * 7919 + 1);
  std::u16string text;
  const std::size_t body = length > tag.size() ? length - tag.size() : 0;
  AppendWords(text, body, random);
  text.resize(body);
  return text + tag;
}

std::u16string HistoryEntryText(int64_t index) {
  return EntryText(index, 90 + static_cast<std::size_t>(index % 21));
}

}  // namespace quorvel::bench
