// The generator of the language reference and the editor grammar: both are
// written from the engine's own tables (engine/language_tables.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace msc::docgen {

// A word of the language with its token code, in alphabetical order within
// each kind.
struct Word {
  std::string name;
  uint16_t code;
};

// Statement words (with the compiler-made phrases), function words, named
// constants and operator words, each sorted by name, case folded.
[[nodiscard]] std::vector<Word> StatementWords();
[[nodiscard]] std::vector<Word> FunctionWords();
[[nodiscard]] std::vector<Word> ConstantWords();
[[nodiscard]] std::vector<Word> OperatorWords();

[[nodiscard]] std::string Reference();
[[nodiscard]] std::string Grammar();

}  // namespace msc::docgen
