// The commands that read a program source file without running it: check
// (the static checker) and fmt (the formatter).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "checker.h"
#include "formatter.h"
#include "input_file.h"
#include "session.h"
#include "tool.h"

namespace msc::cli {
namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// A source file cut into lines as the loader cuts it: each line without the
// CR and LF bytes that end it, which are kept to write the file again.
struct SourceText {
  bool byteOrderMark = false;
  std::vector<std::string> lines;
  std::vector<std::string> endings;
};

SourceText SplitLines(const std::string& text) {
  SourceText out;
  size_t at = 0;
  if (text.compare(0, 3, kByteOrderMark) == 0) {
    out.byteOrderMark = true;
    at = 3;
  }
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    end = end == std::string::npos ? text.size() : end + 1;
    size_t body = end;
    while (body > at && (text[body - 1] == '\n' || text[body - 1] == '\r')) --body;
    out.lines.push_back(text.substr(at, body - at));
    out.endings.push_back(text.substr(body, end - body));
    at = end;
  }
  return out;
}

// Reads a file through the tool's source reader; false with a message.
bool ReadLines(const std::string& path, SourceText& source) {
  std::string text;
  if (!ReadSourceFile(path, text)) {
    std::fprintf(stderr, "macro-sc: %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  source = SplitLines(text);
  return true;
}

bool ReadBytes(const std::string& path, std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char chunk[65536];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
  const bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

// Writes bytes over path through a temporary file in its directory and a
// rename, so that a failure never leaves half a file; the mode is kept.
bool ReplaceFile(const std::string& named, const std::string& bytes) {
  // A symbolic link stays one: the file it names is replaced.
  char* resolved = ::realpath(named.c_str(), nullptr);
  if (resolved == nullptr) return false;
  const std::string path(resolved);
  std::free(resolved);
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  std::string temporary = path + ".fmt-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, status.st_mode & 07777) == 0;
  for (size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

enum class FormatResult { kUnchanged, kChanged, kFailed };

// Formats one file; on failure the message is out and *status says why.
FormatResult FormatFile(const std::string& path, bool checkOnly, int* status) {
  if (const int refused = CheckProgramFile(path); refused != kExitOk) {
    *status = refused;
    return FormatResult::kFailed;
  }
  const size_t warningsBefore = SourceWarnings();
  SourceText source;
  std::string original;
  if (!ReadLines(path, source) || !ReadBytes(path, original)) {
    *status = kExitCannotOpen;
    return FormatResult::kFailed;
  }
  if (SourceWarnings() != warningsBefore) {
    // What could not be read would be lost by writing the file again.
    std::fprintf(stderr, "macro-sc: %s: left as it is: it holds bytes that are not in its encoding\n", path.c_str());
    *status = kErrSyntax;
    return FormatResult::kFailed;
  }
  Session macro, check;
  if (!macro || !check) {
    *status = kExitFailure;
    return FormatResult::kFailed;
  }
  const formatter::Formatted formatted = formatter::FormatLines(macro.macro(), check.macro(), source.lines);
  if (!formatted.problems.empty()) {
    for (const formatter::Problem& p : formatted.problems)
      std::fprintf(stderr, "%s:%u:%u: error: %s\n", path.c_str(), p.line, p.column, p.text.c_str());
    std::fprintf(stderr, "macro-sc: %s: left as it is\n", path.c_str());
    *status = formatted.problems.front().number != 0 ? formatted.problems.front().number : kExitFailure;
    return FormatResult::kFailed;
  }
  std::string bytes = source.byteOrderMark ? kByteOrderMark : "";
  for (size_t i = 0; i < formatted.lines.size(); ++i) {
    std::string encoded;
    if (!EncodeSourceLine(formatted.lines[i], encoded)) {
      std::fprintf(stderr, "%s:%zu:1: error: the line's canonical form cannot be written in the file's encoding\n",
                   path.c_str(), i + 1);
      *status = kExitFailure;
      return FormatResult::kFailed;
    }
    bytes += encoded;
    bytes += source.endings[i];
  }
  if (bytes == original) return FormatResult::kUnchanged;
  if (checkOnly) return FormatResult::kChanged;
  if (!ReplaceFile(path, bytes)) {
    std::fprintf(stderr, "macro-sc: %s: cannot write: %s\n", path.c_str(), std::strerror(errno));
    *status = kExitCannotOpen;
    return FormatResult::kFailed;
  }
  return FormatResult::kChanged;
}

}  // namespace

// check FILE: every compile error and every mistake the checker finds, as
// FILE:LINE:COLUMN messages on stderr; the status is the first error's number.
int CheckCommand(const std::string& file) {
  Session session;
  if (!session) return kExitFailure;
  SourceText source;
  if (!ReadLines(file, source)) return kExitCannotOpen;
  int status = kExitOk;
  for (const checker::Diagnostic& d : checker::CheckLines(session.macro(), source.lines)) {
    std::fprintf(stderr, "%s:%u:%u: %s: %s\n", file.c_str(), d.line, d.column, d.error ? "error" : "warning",
                 d.text.c_str());
    if (d.error && status == kExitOk) status = d.number;
  }
  // A line that is not in the source encoding is as wrong as a syntax
  // error: what it says is not what loads.
  if (status == kExitOk && SourceWarnings() != 0) return kErrSyntax;
  return status;
}

int FormatCommand(const std::vector<std::string>& files, bool checkOnly) {
  int status = kExitOk;
  bool changes = false;
  for (const std::string& file : files) {
    int failed = kExitOk;
    switch (FormatFile(file, checkOnly, &failed)) {
      case FormatResult::kUnchanged: break;
      case FormatResult::kChanged:
        changes = true;
        if (checkOnly) std::printf("%s\n", file.c_str());
        break;
      case FormatResult::kFailed:
        if (status == kExitOk) status = failed;
        break;
    }
  }
  std::fflush(stdout);
  if (status == kExitOk && checkOnly && changes) return kExitFailure;
  return status;
}

}  // namespace msc::cli
