// The kinds of names a program writes: the type suffix makes a name a
// variable of one kind, and the prefixes "SC." and "SY." make it a data item
// of the host instead. The lexer decides a name's reader kind from these
// tables.
#pragma once

#include <cstddef>
#include <iterator>

#include "frontend/code.h"

namespace msc {

struct TypeSuffix {
  char suffix;
  int scalarKind;  // reader kind of NAME<suffix>
  int arrayKind;   // reader kind of NAME<suffix>(...); kind::Error: no arrays
  bool doubles;    // the suffix may be written twice, a name of its own
  const char* holds;
  const char* example;
};

// A doubled "&", "#" or "$" names a stored variable, kept across program
// loads and saved in the stored-variable image; "!!" is only another name.
constexpr TypeSuffix kTypeSuffixes[] = {
    {'&', kind::IntVar, kind::IntArray, true, "32-bit integer", "COUNT&, RUNS&&, A&(3)"},
    {'#', kind::DblVar, kind::DblArray, true, "double", "WIDTH#, LIMIT##, X#(0, 1)"},
    {'$', kind::StrVar, kind::StrArray, true, "text", "NAME$, LOG$$, LINES$(9)"},
    {'!', kind::VariantVar, kind::VariantArray, true, "variant: any value, also bytes", "V!, ROW!(2)"},
    {'@', kind::RefVar, kind::Error, false, "reference to a host data item, bound by the host", "COUNT@"},
};
static_assert(std::size(kTypeSuffixes) == 5 && kTypeSuffixes[0].scalarKind == kind::VarFirst,
              "five suffixes, integer first");

// The suffix entry of character c; null when c is no type suffix.
constexpr const TypeSuffix* FindTypeSuffix(char c) noexcept {
  for (const TypeSuffix& s : kTypeSuffixes) {
    if (s.suffix == c) return &s;
  }
  return nullptr;
}

struct HostNamePrefix {
  const char* prefix;
  int scalarKind;
  int arrayKind;
  const char* item;
  const char* example;
};

// Only names with one of the suffixes "&", "#", "$" or "!" after the prefix
// are host items; the subscripts of an array form become part of the item
// name ("SC.LIMIT#(2, 10)" is the item "LIMIT#(2,10)").
constexpr HostNamePrefix kHostNamePrefixes[] = {
    {"SC.", kind::ScScalar, kind::ScArray, "scene data item of the current scene", "SC.LIMIT#, SC.LIMIT#(2, 10)"},
    {"SY.", kind::SyScalar, kind::SyArray, "system data item of the section Macro_SY", "SY.COUNT&"},
};
static_assert(kHostNamePrefixes[0].scalarKind + 1 == kHostNamePrefixes[0].arrayKind &&
              kHostNamePrefixes[1].scalarKind + 1 == kHostNamePrefixes[1].arrayKind,
              "each array kind follows its scalar kind");

}  // namespace msc
