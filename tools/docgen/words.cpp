// The words of the language, gathered from the keyword table and the
// statement codes the compiler makes from phrases.
#include <algorithm>
#include <cctype>

#include "docgen.h"
#include "engine/language_tables.h"

namespace msc::docgen {
namespace {

std::string Folded(const std::string& s) {
  std::string out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<Word> Sorted(std::vector<Word> words) {
  std::sort(words.begin(), words.end(),
            [](const Word& a, const Word& b) { return Folded(a.name) < Folded(b.name); });
  return words;
}

template <class Keep>
std::vector<Word> KeywordsWhere(Keep keep) {
  std::vector<Word> words;
  for (const Keyword& k : kKeywords) {
    if (keep(k.code)) words.push_back({k.name, k.code});
  }
  return words;
}

}  // namespace

std::vector<Word> StatementWords() {
  // Every statement code, also those without a keyword entry of their own
  // ("End Select", "Line Input", ","), by the spelling the listing uses.
  std::vector<Word> words;
  for (uint32_t code = kStatementFirst; code <= kStatementLast; ++code) {
    words.push_back({KeywordName(static_cast<uint16_t>(code)), static_cast<uint16_t>(code)});
  }
  return Sorted(words);
}

std::vector<Word> FunctionWords() {
  return Sorted(KeywordsWhere([](uint16_t c) { return c >= kFunctionFirst && c <= kFunctionLast; }));
}

std::vector<Word> ConstantWords() {
  return Sorted(KeywordsWhere([](uint16_t c) { return c >= kConstantFirst && c <= kConstantLast; }));
}

std::vector<Word> OperatorWords() {
  return Sorted(KeywordsWhere([](uint16_t c) { return c <= 0xFF; }));
}

}  // namespace msc::docgen
