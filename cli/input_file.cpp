#include "input_file.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "api/config.h"
#include "frontend/source_codec.h"
#include "platform/codepage.h"
#include "tool.h"

namespace msc::cli {
namespace {

int Refuse(const std::string& path, const char* why) noexcept {
  std::fprintf(stderr, "macro-sc: %s: %s\n", path.c_str(), why);
  return kExitCannotOpen;
}

// What a file that is not a regular one is, for the message.
const char* KindOf(mode_t mode) noexcept {
  if (S_ISDIR(mode)) return "is a directory";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device";
  if (S_ISFIFO(mode)) return "is a FIFO";
  if (S_ISSOCK(mode)) return "is a socket";
  return "is not a regular file";
}

// The encoding of source files, as iconv names it; set once, before any load.
std::string g_encoding = "UTF-8";
bool g_utf8 = true;
size_t g_warnings = 0;

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

class Iconv {
 public:
  Iconv(const char* to, const char* from) noexcept : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd_ != kNoDescriptor) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  explicit operator bool() const noexcept { return cd_ != kNoDescriptor; }
  iconv_t get() const noexcept { return cd_; }

 private:
  iconv_t cd_;
};

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool IsContinuation(char byte) noexcept { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// Where the decoded text has come to, as an editor shows it: the line and
// the 1-based column in characters. Follows the text as it grows.
class Position {
 public:
  explicit Position(const std::string& text) noexcept : text_(text) {}

  // Takes in the text up to its byte end.
  void Advance(size_t end) noexcept {
    for (; scanned_ < end; ++scanned_) {
      if (text_[scanned_] == '\n') {
        ++line_;
        column_ = 1;
      } else if (!IsContinuation(text_[scanned_]) && !(scanned_ == 0 && text_.starts_with(kByteOrderMark))) {
        ++column_;
      }
    }
  }
  size_t line() const noexcept { return line_; }
  size_t column() const noexcept { return column_; }

 private:
  const std::string& text_;
  size_t scanned_ = 0;
  size_t line_ = 1;
  size_t column_ = 1;
};

// Decodes bytes into UTF-8 text; a byte that starts no character of the
// encoding becomes U+FFFD, and the first one of each line is reported.
bool Decode(const std::string& path, std::string& bytes, std::string& text) {
  const Iconv cd("UTF-8", g_encoding.c_str());
  if (!cd) return false;
  text.assign(bytes.size() + bytes.size() / 2 + 16, '\0');
  char* in = bytes.data();
  size_t inLeft = bytes.size();
  size_t written = 0;
  Position at(text);
  size_t warnedLine = 0;
  for (;;) {
    char* out = text.data() + written;
    size_t outLeft = text.size() - written;
    // At the end, a stateful encoding writes what shifts it back.
    const bool flushing = inLeft == 0;
    const size_t r = flushing ? iconv(cd.get(), nullptr, nullptr, &out, &outLeft)
                              : iconv(cd.get(), &in, &inLeft, &out, &outLeft);
    written = static_cast<size_t>(out - text.data());
    if (r != static_cast<size_t>(-1)) {
      if (flushing) break;
      continue;
    }
    if (errno == E2BIG || text.size() - written < sizeof kReplacement) {
      text.resize(text.size() * 2);
      continue;
    }
    // EILSEQ, or EINVAL for a character cut off by the end of the file.
    at.Advance(written);
    if (at.line() != warnedLine) {
      warnedLine = at.line();
      ++g_warnings;
      std::fprintf(stderr, "%s:%zu:%zu: warning: not %s (byte 0x%02X)\n", path.c_str(), at.line(),
                   at.column(), g_encoding.c_str(), static_cast<unsigned char>(*in));
    }
    std::memcpy(text.data() + written, kReplacement, sizeof kReplacement - 1);
    written += sizeof kReplacement - 1;
    ++in;
    --inLeft;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  text.resize(written);
  return true;
}

// Reports the first character of each line that the engine's code page has
// no form for: the engine would hold it as "?", and a save would write that.
void WarnUnrepresentable(const std::string& path, const std::string& text) {
  const uint32_t page = CodePage();
  if (page == platform::kCodePageUtf8) return;
  size_t line = 1, column = 1, warnedLine = 0;
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    while (i + length < text.size() && IsContinuation(text[i + length])) ++length;
    if (lead == '\n') {
      ++line;
      column = 0;
    } else if (lead >= 0x80 && line != warnedLine && text.compare(i, length, kReplacement) != 0 &&
               !(i == 0 && text.starts_with(kByteOrderMark))) {
      const std::string character(text, i, length);
      const std::wstring wide = platform::ToWide(platform::kCodePageUtf8, character);
      char held[16] = {};
      const int n = wide.empty() ? 0 : platform::WideToMulti(page, wide.c_str(), 1, held, sizeof held);
      if (n == 0 || (n == 1 && held[0] == '?')) {
        warnedLine = line;
        ++g_warnings;
        std::fprintf(stderr, "%s:%zu:%zu: warning: '%s' has no form in code page %u and loads as '?'\n",
                     path.c_str(), line, column, character.c_str(), static_cast<unsigned>(page));
      }
    }
    if (i != 0 || !text.starts_with(kByteOrderMark)) ++column;
    i += length;
  }
}

// A read-only stdio stream over text it owns, for the engine's loader.
struct MemoryStream {
  std::string text;
  size_t at = 0;
};

ssize_t ReadMemory(void* cookie, char* buffer, size_t size) {
  auto* s = static_cast<MemoryStream*>(cookie);
  const size_t n = std::min(size, s->text.size() - s->at);
  std::memcpy(buffer, s->text.data() + s->at, n);
  s->at += n;
  return static_cast<ssize_t>(n);
}

int SeekMemory(void* cookie, off64_t* offset, int whence) {
  auto* s = static_cast<MemoryStream*>(cookie);
  off64_t base = 0;
  if (whence == SEEK_CUR) base = static_cast<off64_t>(s->at);
  if (whence == SEEK_END) base = static_cast<off64_t>(s->text.size());
  const off64_t to = base + *offset;
  if (to < 0 || to > static_cast<off64_t>(s->text.size())) return -1;
  s->at = static_cast<size_t>(to);
  *offset = to;
  return 0;
}

int CloseMemory(void* cookie) {
  delete static_cast<MemoryStream*>(cookie);
  return 0;
}

std::FILE* OpenForLoad(const char* path) noexcept {
  std::unique_ptr<MemoryStream> stream(new (std::nothrow) MemoryStream);
  if (!stream) return nullptr;
  try {
    if (!ReadSourceFile(path, stream->text)) return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  std::FILE* file = fopencookie(stream.get(), "r", {ReadMemory, nullptr, SeekMemory, CloseMemory});
  if (file != nullptr) stream.release();
  return file;
}

bool EncodeLine(std::string_view utf8, std::string& out) noexcept { return EncodeSourceLine(utf8, out); }

constexpr SourceCodec kUtf8Codec{OpenForLoad, nullptr};
constexpr SourceCodec kOtherCodec{OpenForLoad, EncodeLine};

}  // namespace

int CheckProgramFile(const std::string& path) noexcept {
  // What the name is comes first, so that a device is never opened (opening
  // some has effects of its own).
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return Refuse(path, std::strerror(errno));
  if (!S_ISREG(status.st_mode)) return Refuse(path, KindOf(status.st_mode));
  // Only opening tells whether this process may read it: the permission
  // bits say nothing for root.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Refuse(path, std::strerror(errno));
  ::close(fd);
  return kExitOk;
}

bool UseSourceEncoding(const std::string& name) noexcept {
  if (!name.empty()) {
    // Both directions: a file read in it may be saved in it.
    const Iconv in("UTF-8", name.c_str()), out(name.c_str(), "UTF-8");
    if (!in || !out) return false;
    try {
      g_encoding = name;
    } catch (const std::bad_alloc&) {
      return false;
    }
    g_utf8 = false;
  }
  SetSourceCodec(g_utf8 ? &kUtf8Codec : &kOtherCodec);
  return true;
}

bool ReadSourceFile(const std::string& path, std::string& utf8) noexcept {
  try {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return false;
    std::string bytes;
    char chunk[65536];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) bytes.append(chunk, n);
    if (std::ferror(file.get())) return false;
    const size_t before = g_warnings;
    if (!Decode(path, bytes, utf8)) return false;
    // A file read in the wrong encoding decodes to characters its author
    // never wrote: saying which of those the code page lacks helps nobody.
    if (g_warnings == before) WarnUnrepresentable(path, utf8);
    return true;
  } catch (const std::bad_alloc&) {
    errno = ENOMEM;
    return false;
  }
}

bool EncodeSourceLine(std::string_view utf8, std::string& out) noexcept {
  try {
    out.clear();
    if (g_utf8) {
      out.assign(utf8);
      return true;
    }
    const Iconv cd(g_encoding.c_str(), "UTF-8");
    if (!cd) return false;
    std::string in(utf8);
    char* src = in.data();
    size_t srcLeft = in.size();
    out.assign(in.size() * 4 + 16, '\0');
    char* dst = out.data();
    size_t dstLeft = out.size();
    // Failing on any character the encoding lacks: a save would lose it.
    if (iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
    if (iconv(cd.get(), nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
    out.resize(out.size() - dstLeft);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

size_t SourceWarnings() noexcept { return g_warnings; }

}  // namespace msc::cli
