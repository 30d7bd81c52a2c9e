#include "frontend/line_inspection.h"

#include <cstring>
#include <memory>

#include "api/config.h"
#include "engine/variables.h"
#include "frontend/code.h"
#include "frontend/compile_observer.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "frontend/listing.h"
#include "frontend/program_file.h"
#include "frontend/token_reader.h"
#include "platform/codepage.h"

namespace msc::inspect {
namespace {

// Collects the token sites and messages of one compile.
class Recorder final : public CompileObserver {
 public:
  explicit Recorder(const char* text) noexcept : text_(text) {}
  void Token(size_t codeOffset, const char* source) noexcept override {
    sites_.push_back({codeOffset, static_cast<size_t>(source - text_)});
  }
  void Message(const char* text) noexcept override {
    messages_.push_back({text, sites_.empty() ? 0 : sites_.back().source});
  }

  struct Site {
    size_t code, source;
  };
  struct Note {
    std::string text;
    size_t source;
  };
  const std::vector<Site>& sites() const noexcept { return sites_; }
  const std::vector<Note>& messages() const noexcept { return messages_; }

 private:
  const char* text_;
  std::vector<Site> sites_;
  std::vector<Note> messages_;
};

// The listing of one token.
std::string ListToken(const uint8_t* p, size_t n, char* listing) {
  std::vector<uint8_t> record(n + kRecordOverhead, 0);
  StoreU16(record.data(), static_cast<uint16_t>(n + kRecordOverhead));
  std::memcpy(record.data() + kLineHeader, p, n);
  const size_t length = ListLine(record.data(), listing, kLineBufferSize);
  return std::string(listing, length);
}

std::string ToUtf8(const char* text) {
  std::string out(kLineBufferSize, '\0');
  const int n = CodePageToUtf8(text, out.data(), out.size());
  out.resize(n < 0 ? 0 : static_cast<size_t>(n));
  return out;
}

// Fills in the canonical text and the shape of a compiled line.
template <class Sites>
void Canonical(InspectedLine& line, const std::string& source, const Sites& sites) {
  auto listing = std::make_unique<char[]>(kLineBufferSize);
  std::string text;  // in the code page
  const uint8_t* const code = line.code.data();
  size_t site = 0;  // sites come in code order
  for (size_t at = 0; code[at] != code::EndOfLine;) {
    const uint8_t* p = code + at;
    const size_t n = TokenLength(p);
    if (n == 0 || at + n >= line.code.size()) break;
    while (site < sites.size() && sites[site].code < at) ++site;
    if (*p <= code::MaxSpaceRun) {
      // A run the source typed keeps its length; one the compiler put in keeps its own.
      size_t count = *p;
      for (size_t i = site; i < sites.size() && sites[i].code == at; ++i) {
        const size_t from = sites[i].source;
        if (from >= source.size() || source[from] != ' ') continue;
        const size_t end = source.find_first_not_of(' ', from);
        count = (end == std::string::npos ? source.size() : end) - from;
      }
      text.append(count, ' ');
    } else {
      text += ListToken(p, n, listing.get());
    }
    if (*p >= code::VarFirst && *p <= code::VarLast) {
      line.shape += static_cast<char>(*p);
      const uint8_t* cell = LoadPtr(p + 1);
      if (cell != nullptr) line.shape.append(CellName(cell), CellNameLength(cell));
      line.shape += '\0';
    } else if (*p > code::MaxSpaceRun) {
      line.shape.append(reinterpret_cast<const char*>(p), n);
    }
    at += n;
  }
  line.canonical = ToUtf8(text.c_str() + (text.empty() || text[0] != ' ' ? 0 : 1));
}

}  // namespace

InspectedLine InspectLine(QorMacro& m, uint32_t number, std::string_view utf8) {
  InspectedLine result;
  std::string numbered = std::to_string(number) + " ";
  const size_t textStart = numbered.size();
  numbered.append(utf8.substr(0, kLineBufferSize - textStart - 1));
  auto source = std::make_unique<char[]>(kLineBufferSize);
  if (Utf8ToCodePage(numbered.c_str(), source.get(), kLineBufferSize) < 0) source[0] = '\0';
  // The column of a byte offset: characters of the source before it, plus one.
  const std::string original(source.get());
  const uint32_t page = CodePage();
  // Offsets mostly come in source order, so each conversion goes on from
  // the last one rather than from the start of a long line.
  size_t lastOffset = textStart;
  uint32_t lastColumn = 1;
  const auto columnOf = [&](size_t offset) -> uint32_t {
    if (offset <= textStart) return 1;
    if (offset < lastOffset) {
      lastOffset = textStart;
      lastColumn = 1;
    }
    const std::string between = original.substr(lastOffset, offset - lastOffset);
    lastColumn += static_cast<uint32_t>(platform::ToWide(page, between).size());
    lastOffset = offset;
    return lastColumn;
  };

  auto code = std::make_unique<uint8_t[]>(kLineBufferSize);
  Recorder recorder(source.get());
  uint32_t lineNumber = 0;
  int32_t length = 0;
  {
    ObserveCompiles watch(recorder);
    result.error = CompileLine(source.get(), code.get(), m, true, &lineNumber, &length);
  }
  for (const auto& note : recorder.messages())
    result.notes.push_back({ToUtf8(note.text.c_str()), columnOf(note.source)});
  if (!recorder.sites().empty()) result.errorColumn = columnOf(recorder.sites().back().source);
  if (result.error == kErrSyntax || result.error == kErrLineBufferOverflow) length = 0;
  result.code.assign(code.get(), code.get() + length);
  result.code.push_back(code::EndOfLine);

  // Each token takes the column of the last site at or before its offset.
  const auto& sites = recorder.sites();
  size_t site = 0;
  for (size_t at = 0; result.code[at] != code::EndOfLine;) {
    const uint8_t* p = result.code.data() + at;
    const size_t n = TokenLength(p);
    if (n == 0 || at + n >= result.code.size()) break;
    while (site + 1 < sites.size() && sites[site + 1].code <= at) ++site;
    if (*p > code::MaxSpaceRun) {
      CodeToken t;
      t.first = *p;
      t.column = sites.empty() ? 1 : columnOf(sites[site].source);
      if (*p >= code::KeywordFirst && *p <= code::KeywordLast) {
        t.keyword = static_cast<uint16_t>(p[0] << 8 | p[1]);
      } else if (*p == code::LineRef) {
        t.lineRef = LoadU16(p + 1);
      } else if (*p == code::LabelDef || *p == code::LabelRef) {
        t.text = std::string_view(reinterpret_cast<const char*>(p + 1));
      } else if (*p >= code::VarFirst && *p <= code::VarLast) {
        t.cell = LoadPtr(p + 1);
        if (t.cell != nullptr) t.text = std::string_view(CellName(t.cell), CellNameLength(t.cell));
      } else if (*p >= code::OperatorFirst || (*p >= 0x20 && *p < 0x80 && *p != code::String)) {
        t.punct = *p;
      }
      result.tokens.push_back(t);
    }
    at += n;
  }
  if (result.error == kOk) Canonical(result, original, sites);
  return result;
}

std::string StoredText(const std::vector<uint8_t>& code) {
  std::vector<uint8_t> record(code.size() + kLineHeader, 0);
  StoreU16(record.data(), static_cast<uint16_t>(code.size() + kLineHeader));
  std::memcpy(record.data() + kLineHeader, code.data(), code.size());
  auto listing = std::make_unique<char[]>(kLineBufferSize);
  ListLine(record.data(), listing.get(), kLineBufferSize);
  const char* text = listing.get();
  if (*text == ' ') ++text;  // the space after the line number
  return ToUtf8(text);
}

uint32_t FirstTokenColumn(QorMacro& m, uint32_t number) {
  const uint8_t* record = FindLineRecord(m, number);
  if (record == nullptr) return 1;
  const uint8_t* code = RecordCode(record);
  const uint8_t* end = record + RecordLength(record) - 1;
  uint32_t spaces = 0;
  for (; code < end && *code >= 0x01 && *code <= code::MaxSpaceRun; ++code) spaces += *code;
  // The first space is the one after the line number.
  return spaces == 0 ? 1 : spaces;
}

const char* KeywordSpelling(uint16_t code) noexcept { return KeywordName(code); }

uint16_t KeywordCode(const char* name) noexcept {
  const int32_t code = LookupKeyword(name);
  return code < 0 ? 0 : static_cast<uint16_t>(code);
}

}  // namespace msc::inspect
