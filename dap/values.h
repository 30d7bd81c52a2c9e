// Values as the editor sees them: texts between wide and UTF-8, values
// written as a program would write them as constants, and the program's
// variables grouped by kind with arrays to expand.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

class QorMacro;
class AnyType;

namespace msc::dap {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const wchar_t* wide);

// A value as a constant of the program: numbers as Print writes them, a
// text quoted with its quotes doubled.
std::string Shown(const AnyType& value);
// The text an editor typed for a value: a quoted text loses its quotes.
std::string Unquoted(const std::string& typed);

// Reads name (a variable, an element or any expression) into shown; false
// when the engine cannot.
bool ReadShown(QorMacro& m, const std::string& name, std::string& shown);

// The variables of the program, handed out as references that stay valid
// until Reset (the run moves on).
class VariablesView {
 public:
  // The scopes: one for each kind of variable.
  nlohmann::json Scopes() const;
  // The entries under reference; false for a reference not handed out.
  bool Entries(QorMacro& m, int64_t reference, nlohmann::json& out);
  // The name a program writes for entry name under reference ("A#(2)"),
  // "" for a reference not handed out.
  std::string NameOf(int64_t reference, const std::string& name) const;
  void Reset() { arrays_.clear(); }

 private:
  // An array, or a row of one: its name and the subscripts fixed so far.
  struct Part {
    std::string name;
    std::vector<uint32_t> extents;
    std::vector<uint32_t> fixed;
  };
  int64_t Add(Part part);
  std::map<int64_t, Part> arrays_;
  int64_t next_ = kFirstArray;
  static constexpr int64_t kFirstArray = 100;
};

}  // namespace msc::dap
