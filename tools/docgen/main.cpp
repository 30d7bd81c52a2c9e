// msc_docgen REFERENCE GRAMMAR: writes the language reference (Markdown) and
// the TextMate grammar (JSON) made from the engine's tables.
#include <cstdio>
#include <fstream>
#include <string>

#include "docgen.h"

namespace {

bool Write(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "msc_docgen: cannot write %s\n", path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: msc_docgen REFERENCE.md GRAMMAR.json\n");
    return 2;
  }
  if (!Write(argv[1], msc::docgen::Reference())) return 1;
  if (!Write(argv[2], msc::docgen::Grammar())) return 1;
  return 0;
}
