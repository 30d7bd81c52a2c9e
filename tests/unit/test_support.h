// Helpers shared by the unit tests.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "api/qor_macro.h"
#include "engine/run.h"
#include "engine/value.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "macro_sc/macro_sc.h"

namespace msc::test {

struct MacroDeleter {
  void operator()(QorMacro* m) const { _DeleteQorMacro(m); }
};
using MacroPtr = std::unique_ptr<QorMacro, MacroDeleter>;

// A fresh macro object on a null host interface.
inline MacroPtr NewMacro() { return MacroPtr(_CreateQorMacro(nullptr)); }

// The cell of an existing variable, or null.
inline uint8_t* FindVar(QorMacro& m, uint8_t tag, const char* name) {
  FindStatus status{};
  return m.variables.FindCell(tag, name, std::strlen(name), FindMode::FindOnly, &status);
}

// An integer variable's value; -999 when it does not exist or holds no integer.
inline int32_t IntVar(QorMacro& m, const char* name) {
  uint8_t* cell = FindVar(m, tag::Int, name);
  Value v;
  if (cell == nullptr || ReadScalar(m, cell, v) != kOk || v.type != kInteger) return -999;
  return v.count;
}

// A scalar's value converted to text; "?" when absent or not convertible.
inline std::string TextVar(QorMacro& m, uint8_t tag, const char* name) {
  uint8_t* cell = FindVar(m, tag, name);
  Value v;
  if (cell == nullptr || ReadScalar(m, cell, v) != kOk || ToText(v) != kOk) return "?";
  return std::string(v.text, static_cast<size_t>(v.count));
}

// Stores the lines as a program numbered 10, 20, 30 ...
inline void NumberedLines(QorMacro& m, const std::vector<std::string>& lines) {
  int number = 10;
  for (const std::string& line : lines) {
    const std::string numbered = std::to_string(number) + " " + line;
    ASSERT_EQ(DirectExecute(m, numbered.c_str()), kOk) << numbered;
    number += 10;
  }
}

// What a call prints on standard output.
template <class Call>
std::string Captured(Call&& call) {
  testing::internal::CaptureStdout();
  call();
  return testing::internal::GetCapturedStdout();
}

// Standard input reads the given text, then its end (for the debug console).
class StdinFeed {
 public:
  explicit StdinFeed(std::string text) {
    int ends[2];
    if (pipe(ends) != 0) return;
    saved_ = dup(STDIN_FILENO);
    dup2(ends[0], STDIN_FILENO);
    close(ends[0]);
    writer_ = std::thread([fd = ends[1], text = std::move(text)] {
      size_t done = 0;
      while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
      }
      close(fd);
    });
  }
  ~StdinFeed() {
    if (saved_ < 0) return;
    // Whatever the case left unread is drained so the writer can finish.
    char sink[4096];
    while (read(STDIN_FILENO, sink, sizeof sink) > 0) {
    }
    writer_.join();
    dup2(saved_, STDIN_FILENO);
    close(saved_);
  }
  StdinFeed(const StdinFeed&) = delete;
  StdinFeed& operator=(const StdinFeed&) = delete;

 private:
  int saved_ = -1;
  std::thread writer_;
};

}  // namespace msc::test
