// The vocabulary: the keyword table, the spellings of the compiler-made statement
// codes and of the operators, and the values of the named constants.
#include "frontend/keywords.h"

#include <cstdio>
#include <iterator>
#include <limits>

namespace msc {
namespace {

constexpr unsigned char Fold(unsigned char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Compares a (alen bytes) with the NUL-terminated b, folding A-Z onto a-z;
// the order of the keyword table.
constexpr int CompareFolded(const char* a, size_t alen, const char* b) noexcept {
  for (size_t i = 0;; ++i) {
    const unsigned char ca = i < alen ? Fold(static_cast<unsigned char>(a[i])) : 0;
    const unsigned char cb = Fold(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return i < alen ? 1 : 0;  // a NUL inside a is still a byte of it
  }
}

constexpr size_t Length(const char* s) noexcept {
  size_t n = 0;
  while (s[n] != '\0') ++n;
  return n;
}

constexpr int CompareNames(const char* a, const char* b) noexcept {
  return CompareFolded(a, Length(a), b);
}

}  // namespace

// Sorted by CompareNoCase: "$" and "_" sort before letters, so "CR" < "CR$" <
// "CR_LF$" < "Crspoint", and "TA_TOP" < "TAB" < "TAB$" < "Tan".
constexpr Keyword kKeywords[kKeywordCount] = {
    {"Abs", 0xC000, "absolute value"},
    {"AbsolutePath$", 0xC046, "absolute path"},
    {"AddGlobalData", 0x8058, "add global data"},
    {"AddSystemData", 0x805B, "add system data"},
    {"And", 0x00FA, "logical / bitwise and"},
    {"Append", 0x8000, "Open mode word"},
    {"ApplicationPath$", 0xC042, "application path"},
    {"ApplicationVersion$", 0xC041, "application version"},
    {"ApproximationCircle", 0x8064, "fit a circle to points"},
    {"ArrayDims", 0xC044, "number of dimensions"},
    {"ArrayLen", 0xC045, "extent or element count"},
    {"As", 0x8001, "Open: \"As #n\""},
    {"Asc", 0xC001, "code of the first byte"},
    {"AssignUnit", 0x8074, "assign a unit"},
    {"Atn", 0xC002, "arc tangent"},
    {"BusyOut", 0x8062, "busy output"},
    {"Call", 0x8002, "call a user subroutine"},
    {"Case", 0x8003, "Select branch"},
    {"Catch", 0x8004, "start of the error handler of a Try block"},
    {"ChangeScene", 0x806E, "switch scene"},
    {"ChangeSceneGroup", 0x806A, "switch scene group"},
    {"CheckUnit", 0xC03B, "unit check"},
    {"Chr$", 0xC003, "text of one byte"},
    {"Clear", 0x8005, "clear variables"},
    {"ClearMeasureData", 0x8051, "clear measurement data"},
    {"ClearScene", 0x806F, "clear a scene"},
    {"ClearSceneGroup", 0x806B, "clear a scene group"},
    {"Close", 0x8006, "close files"},
    {"CloseTextData", 0x8099, "close a text-data file"},
    {"Cont", 0x8007, "continue after Stop"},
    {"ContinuousMeasure", 0x80A5, "continuous measurement"},
    {"CopyScene", 0x8070, "copy a scene"},
    {"CopySceneGroup", 0x806C, "copy a scene group"},
    {"CopyUnit", 0x8077, "copy a unit"},
    {"CopyUnitFigure", 0x804E, "copy a unit figure"},
    {"CopyUnitModel", 0x804F, "copy a unit model"},
    {"Cos", 0xC004, "cosine"},
    {"CR", 0xD000, "carriage return code"},
    {"CR$", 0xD027, "carriage return"},
    {"CR_LF$", 0xD029, "carriage return and line feed"},
    {"Crspoint", 0x8008, "crossing point of two lines"},
    {"Date$", 0xC005, "today's date"},
    {"DBL_MAX", 0xD025, "largest double"},
    {"DBL_MIN", 0xD024, "smallest normal double"},
    {"Debug", 0x8009, "enter the debug console"},
    {"DebugPrint", 0x809E, "debug output"},
    {"Delete", 0x800A, "delete program lines"},
    {"DeleteProfileData", 0x80AE, "delete profile data"},
    {"DeleteUnit", 0x8076, "delete a unit"},
    {"Dim", 0x800B, "declare variables and arrays"},
    {"DisplayUnitNo", 0xC03E, "displayed unit"},
    {"Do", 0x800C, "open a Do ... Loop While block"},
    {"Dposline", 0xC006, "distance of a point to a line"},
    {"Dskf", 0xC007, "free disk space"},
    {"Else", 0x800D, "else branch of If"},
    {"Elseif", 0x800E, "further If branch"},
    {"End", 0x800F, "first word of End ..."},
    {"EndIf", 0x8010, "close an If block"},
    {"Eof", 0xC008, "end of file test"},
    {"Erase", 0x8015, "free arrays"},
    {"Erl", 0xC009, "line of the last error"},
    {"Err", 0xC00A, "number of the last error"},
    {"Errcmnd$", 0xC00B, "text of the failing line"},
    {"Errno", 0xC00C, "number of the last error"},
    {"Error", 0x8016, "reserved word"},
    {"ErrorOut", 0x80A2, "error output"},
    {"Executable", 0x80AB, "Option Executable"},
    {"ExecuteErrorProc", 0x80A4, "run the error procedure"},
    {"Exit", 0x8017, "Exit Do / For / Sub"},
    {"ExitQorProcess", 0x8095, "quit the application"},
    {"Exp", 0xC00D, "exponential"},
    {"Explicit", 0x8018, "Option Explicit"},
    {"False", 0xD003, "false"},
    {"Fcopy", 0x8019, "copy a file"},
    {"Files", 0x801A, "reserved word"},
    {"Fix", 0xC00E, "truncate toward zero"},
    {"FONTSIZE_NORMAL", 0xD013, "font: normal size"},
    {"FONTSTYLE_BOLD", 0xD015, "font: bold"},
    {"FONTSTYLE_ITALIC", 0xD016, "font: italic"},
    {"FONTSTYLE_NORMAL", 0xD014, "font: normal"},
    {"FONTSTYLE_STRIKEOUT", 0xD018, "font: struck out"},
    {"FONTSTYLE_UNDERLINE", 0xD017, "font: underlined"},
    {"For", 0x801B, "open a For ... Next loop"},
    {"GetAll", 0xC029, "read all inputs"},
    {"GetGlobalData", 0x8057, "read global data"},
    {"GetImageSize", 0x8052, "image size"},
    {"GetImageWindow", 0x8055, "image window settings"},
    {"GetMeasureOut", 0xC03D, "measurement output state"},
    {"GetPlcData", 0x8068, "read PLC data"},
    {"GetPollingState", 0xC02E, "polling state"},
    {"GetPort", 0xC02A, "read one input"},
    {"GetProfileData", 0x80AD, "read profile data"},
    {"GetSceneData", 0x80A1, "read scene data"},
    {"GetSystemData", 0x805A, "read system data"},
    {"GetText$", 0xC03F, "text-data lookup"},
    {"GetTextWindow", 0x8082, "text window settings"},
    {"GetUnitData", 0x804B, "read a unit data item"},
    {"GetUnitFigure", 0x804D, "read a unit figure"},
    {"Global", 0x801F, "no operation"},
    {"Gosub", 0x8020, "call a line or label"},
    {"Goto", 0x8021, "jump to a line or label"},
    {"Hex$", 0xC00F, "hexadecimal text"},
    {"If", 0x8022, "If, block or one-line"},
    {"ImageFormat", 0xC028, "image format"},
    {"ImageUpdate", 0x807D, "update the image"},
    {"Input", 0x8023, "read console input"},
    {"Input$", 0xC010, "read bytes from a file"},
    {"InsertUnit", 0x8075, "insert a unit"},
    {"Int", 0xC011, "round down"},
    {"INT_MAX", 0xD023, "largest integer"},
    {"INT_MIN", 0xD022, "smallest integer"},
    {"IsFile", 0xC012, "file exists"},
    {"ItemCount", 0xC037, "number of items"},
    {"ItemIdent$", 0xC03A, "item identifier"},
    {"ItemInfo", 0xC038, "item information"},
    {"ItemTitle$", 0xC039, "item title"},
    {"JUDGE_ERROR", 0xD00B, "judgement: error"},
    {"JUDGE_IMAGEERROR", 0xD008, "judgement: image error"},
    {"JUDGE_MEMORYERROR", 0xD00A, "judgement: memory error"},
    {"JUDGE_MODELERROR", 0xD009, "judgement: model error"},
    {"JUDGE_NC", 0xD005, "judgement: not measured"},
    {"JUDGE_NG", 0xD007, "judgement: NG"},
    {"JUDGE_OK", 0xD006, "judgement: OK"},
    {"JudgeOut", 0x8061, "judgement output"},
    {"Keyword", 0x8024, "write the keyword list"},
    {"Kill", 0x8025, "delete files"},
    {"LanguageString$", 0xC043, "localised text"},
    {"LCase$", 0xC02C, "lower case"},
    {"Left$", 0xC013, "leftmost bytes"},
    {"Len", 0xC014, "text length"},
    {"LF", 0xD001, "line feed code"},
    {"LF$", 0xD028, "line feed"},
    {"Line", 0x8026, "first word of Line Input"},
    {"List", 0x8028, "list program lines"},
    {"Load", 0x8029, "load program text"},
    {"LoadBackupData", 0x8092, "load backup data"},
    {"LoadScene", 0x808E, "load a scene"},
    {"LoadSceneGroup", 0x808C, "load a scene group"},
    {"LoadSystemData", 0x808A, "load system data"},
    {"LoadUnitData", 0x8090, "load unit data"},
    {"Local", 0x802A, "no operation"},
    {"Log", 0xC015, "natural logarithm"},
    {"Loop", 0x802B, "Loop While"},
    {"Lsqumeth", 0x802C, "least-squares line fit"},
    {"M_PI", 0xD026, "pi"},
    {"Measure", 0x807B, "measure once"},
    {"MeasureProc", 0x8053, "run unit measurement"},
    {"MeasureStart", 0x8079, "start measuring"},
    {"MeasureStop", 0x807A, "stop measuring"},
    {"MessageBox", 0x80A8, "show a message box"},
    {"Mid$", 0xC016, "middle bytes"},
    {"Mkdir", 0x802D, "make a directory"},
    {"Mod", 0x00F0, "remainder"},
    {"MoveUnit", 0x8078, "move a unit"},
    {"New", 0x802E, "clear program and variables"},
    {"Next", 0x802F, "close a For loop"},
    {"Not", 0x00F9, "negation"},
    {"On", 0x8031, "On expr Goto / Gosub"},
    {"Open", 0x8032, "open a file"},
    {"OpenTextData", 0x8098, "open a text-data file"},
    {"Option", 0x8033, "Option Explicit / Executable"},
    {"Or", 0x00FB, "logical / bitwise or"},
    {"Output", 0x8034, "Open mode word"},
    {"ParallelExecute", 0x8035, "run tasks in parallel"},
    {"Piece$", 0xC017, "field of a delimited text"},
    {"Print", 0x8036, "console output (also \"?\")"},
    {"PS_DASH", 0xD00D, "pen: dashed"},
    {"PS_DASHDOT", 0xD00F, "pen: dash-dot"},
    {"PS_DASHDOTDOT", 0xD010, "pen: dash-dot-dot"},
    {"PS_DOT", 0xD00E, "pen: dotted"},
    {"PS_INSIDEFRAME", 0xD012, "pen: inside the frame"},
    {"PS_NULL", 0xD011, "pen: invisible"},
    {"PS_SOLID", 0xD00C, "pen: solid"},
    {"PutAll", 0x805F, "write all outputs"},
    {"PutPort", 0x8060, "write one output"},
    {"RaiseErrorProcEvent", 0x80A3, "error procedure event"},
    {"RaiseOptionEvent", 0x8097, "option event"},
    {"ReadPlcMemory", 0x8066, "read PLC memory"},
    {"ReceiveData", 0x805D, "receive serial data"},
    {"ReDim", 0x80AA, "re-dimension arrays"},
    {"RefreshImageWindow", 0x8080, "redraw image window"},
    {"RefreshJudgeWindow", 0x8085, "redraw judgement window"},
    {"RefreshTextWindow", 0x8083, "redraw text window"},
    {"RefreshTimeWindow", 0x8087, "redraw time window"},
    {"Rem", 0x8037, "comment to the end of the line"},
    {"Remeasure", 0x807C, "measure again"},
    {"Return", 0x8039, "return from Gosub"},
    {"Right$", 0xC018, "rightmost bytes"},
    {"Rmdir", 0x803A, "remove a directory"},
    {"Run", 0x803B, "run the program"},
    {"RunOut", 0x8063, "run output"},
    {"Save", 0x803C, "save program text"},
    {"SaveBackupData", 0x8091, "save backup data"},
    {"SaveData", 0x8093, "save data"},
    {"SaveImage", 0x807F, "save an image"},
    {"SaveScene", 0x808D, "save a scene"},
    {"SaveSceneGroup", 0x808B, "save a scene group"},
    {"SaveSystemData", 0x8089, "save system data"},
    {"SaveUnitData", 0x808F, "save unit data"},
    {"SceneCount", 0xC035, "number of scenes"},
    {"SceneDescription$", 0xC034, "scene description"},
    {"SceneGroupCount", 0xC030, "number of scene groups"},
    {"SceneGroupNo", 0xC031, "current scene group"},
    {"SceneGroupTitle$", 0xC02F, "scene group title"},
    {"SceneMaker$", 0xC033, "scene maker"},
    {"SceneNo", 0xC036, "current scene"},
    {"SceneTitle$", 0xC032, "scene title"},
    {"ScreenCapture", 0x8094, "capture the screen"},
    {"Select", 0x803D, "open a Select Case block"},
    {"SendData", 0x805C, "send serial data"},
    {"SendString", 0x805E, "send a text"},
    {"SetDisplayUnitNo", 0x8088, "displayed unit"},
    {"SetForegroundLine", 0x80A7, "foreground line"},
    {"SetGlobalData", 0x8056, "write global data"},
    {"SetImageWindow", 0x8054, "image window settings"},
    {"SetJudgeWindow", 0x8084, "judgement window settings"},
    {"SetMeasureOut", 0x807E, "measurement output"},
    {"SetPlcData", 0x8067, "write PLC data"},
    {"SetPollingState", 0x8069, "polling state"},
    {"SetProfileData", 0x80AC, "write profile data"},
    {"SetSceneData", 0x80A0, "write scene data"},
    {"SetSceneDescription", 0x8073, "scene description"},
    {"SetSceneGroupTitle", 0x806D, "scene group title"},
    {"SetSceneMaker", 0x8072, "scene maker"},
    {"SetSceneTitle", 0x8071, "scene title"},
    {"SetStop", 0x809A, "enable or disable Stop"},
    {"SetSystemData", 0x8059, "write system data"},
    {"SetTextWindow", 0x8081, "text window settings"},
    {"SetTimeWindow", 0x8086, "time window settings"},
    {"SetUnitData", 0x804A, "write a unit data item"},
    {"SetUnitFigure", 0x804C, "write a unit figure"},
    {"SetUnitTitle", 0x8050, "rename a unit"},
    {"SetUserSubroutine", 0x809F, "register a user subroutine"},
    {"SetVar", 0x809B, "set a variable by name"},
    {"Shell", 0x80A9, "start a process"},
    {"Sin", 0xC019, "sine"},
    {"Sqr", 0xC01A, "square root"},
    {"StartTimer", 0xC02B, "timer start value"},
    {"Step", 0x803E, "For step"},
    {"Stop", 0x803F, "stop into the debug console"},
    {"Str$", 0xC01B, "number as text"},
    {"Str2$", 0xC01C, "formatted number as text"},
    {"Stupproc", 0x8040, "reserved word"},
    {"Sub", 0x8041, "routine header"},
    {"SystemReset", 0x8096, "reset the system"},
    {"TA_BASELINE", 0xD019, "text alignment: baseline"},
    {"TA_BOTTOM", 0xD01A, "text alignment: bottom"},
    {"TA_CENTER", 0xD01C, "text alignment: centre"},
    {"TA_LEFT", 0xD01D, "text alignment: left"},
    {"TA_NOUPDATECP", 0xD01F, "text alignment: keep the current position"},
    {"TA_RIGHT", 0xD01E, "text alignment: right"},
    {"TA_RTLREADING", 0xD020, "text alignment: right to left"},
    {"TA_TOP", 0xD01B, "text alignment: top"},
    {"TA_UPDATECP", 0xD021, "text alignment: update the current position"},
    {"TAB", 0xD002, "tab code"},
    {"TAB$", 0xD02A, "tab"},
    {"Tan", 0xC01D, "tangent"},
    {"Task", 0x8042, "marks a parallel task"},
    {"TestMeasure", 0x80A6, "test measurement"},
    {"Then", 0x8043, "If ... Then"},
    {"Time$", 0xC01E, "time of day"},
    {"Timer", 0xC01F, "elapsed time test"},
    {"To", 0x8044, "For ... To"},
    {"True", 0xD004, "true"},
    {"Try", 0x8045, "open a Try block"},
    {"UCase$", 0xC02D, "upper case"},
    {"UnitCount", 0xC03C, "number of units"},
    {"UnitData", 0xC022, "unit data item as a number"},
    {"UnitData$", 0xC023, "unit data item as text"},
    {"UnitInfo", 0xC026, "unit information"},
    {"UnitItemIdent$", 0xC025, "unit item identifier"},
    {"UnitJudge", 0xC027, "unit judgement"},
    {"UnitTitle$", 0xC024, "unit title"},
    {"Ut", 0xC040, "unit number by name"},
    {"Val", 0xC020, "text as number"},
    {"VarList", 0x809C, "list variables"},
    {"VarPop", 0x8046, "restore pushed variables"},
    {"VarPtr", 0xC021, "address of a variable"},
    {"VarPush", 0x8047, "save variables"},
    {"VarSave", 0x809D, "save variables"},
    {"Wait", 0x8048, "sleep"},
    {"While", 0x8049, "Loop While"},
    {"WritePlcMemory", 0x8065, "write PLC memory"},
    {"Xor", 0x00FC, "exclusive or"},
};

namespace {

// Every slot filled (a short initializer would leave null names at the end),
// each word described for the reference, and each name strictly below the next.
constexpr bool KeywordTableSorted() noexcept {
  for (const Keyword& k : kKeywords) {
    if (k.name == nullptr || k.name[0] == '\0') return false;
    if (k.summary == nullptr || k.summary[0] == '\0') return false;
  }
  for (size_t i = 0; i + 1 < kKeywordCount; ++i) {
    if (CompareNames(kKeywords[i].name, kKeywords[i + 1].name) >= 0) return false;
  }
  return true;
}
static_assert(kKeywordCount == kStatementCount - 10 + kFunctionCount +
                                   (kConstantLast - kConstantFirst + 1) + 5,
              "statement words without the ten compiler-made codes, functions, "
              "constants and the five operator words");
static_assert(KeywordTableSorted(), "keyword table must be complete and strictly ascending");

// Statement codes the compiler makes from two-word phrases and punctuation;
// they have no entry of their own in the keyword table.
struct Spelling {
  uint16_t code;
  const char* text;
  const char* summary;
};
constexpr Spelling kCompilerSpellings[] = {
    {tok::EndParallelExecute, "End ParallelExecute", "close a ParallelExecute block"},
    {tok::EndSelect, "End Select", "close a Select Case block"},
    {tok::EndSub, "End Sub", "close a Sub routine"},
    {tok::EndTry, "End Try", "close a Try block"},
    {tok::ForAppend, "For Append", "Open mode: append to a file"},
    {tok::ForInput, "For Input", "Open mode: read a file"},
    {tok::ForOutput, "For Output", "Open mode: write a new file"},
    {tok::LineInput, "Line Input", "read a whole line"},
    {tok::NextComma, ",", "comma between Next's loop variables"},
    {tok::Apostrophe, "'", "comment to the end of the line"},
};
constexpr bool SpellingsSorted() noexcept {
  for (size_t i = 0; i + 1 < std::size(kCompilerSpellings); ++i) {
    if (kCompilerSpellings[i].code >= kCompilerSpellings[i + 1].code) return false;
  }
  return true;
}
static_assert(std::size(kCompilerSpellings) == 10 && SpellingsSorted(),
              "ten compiler-made codes in code order");

// Listing spellings of the operator bytes, indexed by byte - 0xF0.
constexpr const char* kOperatorSpellings[] = {
    "MOD",  // 0xF0 keyword Mod
    "<>",   // 0xF1 not equal
    "><",   // 0xF2 not equal, other spelling
    ">",    // 0xF3 greater (only ">" itself in compiled code)
    "<",    // 0xF4 less (only "<" itself in compiled code)
    "<=",   // 0xF5 less or equal
    "=<",   // 0xF6 less or equal, other spelling
    ">=",   // 0xF7 greater or equal
    "=>",   // 0xF8 greater or equal, other spelling
    "NOT",  // 0xF9 keyword Not
    "AND",  // 0xFA keyword And
    "OR",   // 0xFB keyword Or
    "XOR",  // 0xFC keyword Xor
};
static_assert(std::size(kOperatorSpellings) == op::Xor - op::Mod + 1, "one spelling per operator");

// Integer constants, indexed by code - 0xD000.
constexpr int32_t kConstantIntegers[] = {
    13,           // CR
    10,           // LF
    9,            // TAB
    0,            // False
    1,            // True
    0,            // JUDGE_NC
    1,            // JUDGE_OK
    -1,           // JUDGE_NG
    -10,          // JUDGE_IMAGEERROR
    -11,          // JUDGE_MODELERROR
    -12,          // JUDGE_MEMORYERROR
    -20,          // JUDGE_ERROR
    0,            // PS_SOLID
    1,            // PS_DASH
    2,            // PS_DOT
    3,            // PS_DASHDOT
    4,            // PS_DASHDOTDOT
    5,            // PS_NULL
    6,            // PS_INSIDEFRAME
    18,           // FONTSIZE_NORMAL
    0,            // FONTSTYLE_NORMAL
    1,            // FONTSTYLE_BOLD
    256,          // FONTSTYLE_ITALIC
    512,          // FONTSTYLE_UNDERLINE
    1024,         // FONTSTYLE_STRIKEOUT
    24,           // TA_BASELINE
    8,            // TA_BOTTOM
    0,            // TA_TOP
    6,            // TA_CENTER
    0,            // TA_LEFT
    2,            // TA_RIGHT
    0,            // TA_NOUPDATECP
    256,          // TA_RTLREADING
    1,            // TA_UPDATECP
    std::numeric_limits<int32_t>::min(),  // INT_MIN
    std::numeric_limits<int32_t>::max(),  // INT_MAX
};
static_assert(std::size(kConstantIntegers) == kConstantFirstDouble - kConstantFirst);

// Double constants, indexed by code - 0xD024.
constexpr double kConstantDoubles[] = {
    std::numeric_limits<double>::min(),  // DBL_MIN, 2.2250738585072014e-308
    std::numeric_limits<double>::max(),  // DBL_MAX, 1.7976931348623157e+308
    3.141592653589793,                   // M_PI
};
static_assert(std::size(kConstantDoubles) == kConstantFirstString - kConstantFirstDouble);

// Text constants, indexed by code - 0xD027.
constexpr std::string_view kConstantStrings[] = {
    "\r",    // CR$
    "\n",    // LF$
    "\r\n",  // CR_LF$
    "\t",    // TAB$
};
static_assert(std::size(kConstantStrings) == kConstantLast - kConstantFirstString + 1);

}  // namespace

int CompareNoCase(const char* a, const char* b) noexcept { return CompareNames(a, b); }

bool CheckKeywordTable() noexcept {
  for (size_t i = 0; i + 1 < kKeywordCount; ++i) {
    if (CompareNoCase(kKeywords[i].name, kKeywords[i + 1].name) >= 0) {
      std::printf("Error! : %s >= %s\n", kKeywords[i].name, kKeywords[i + 1].name);
      return false;
    }
  }
  return true;
}

int32_t LookupKeyword(const char* name, size_t len) noexcept {
  if (name == nullptr) return -1;
  size_t lo = 0, hi = kKeywordCount;
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    const int c = CompareFolded(name, len, kKeywords[mid].name);
    if (c == 0) return kKeywords[mid].code;
    if (c < 0) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return -1;
}

int32_t LookupKeyword(const char* name) noexcept {
  return name == nullptr ? -1 : LookupKeyword(name, Length(name));
}

const char* KeywordName(uint16_t code) noexcept {
  for (const Spelling& s : kCompilerSpellings) {
    if (s.code == code) return s.text;
  }
  for (const Keyword& k : kKeywords) {
    if (k.code == code) return k.name;
  }
  return "";
}

const char* KeywordSummary(uint16_t code) noexcept {
  for (const Spelling& s : kCompilerSpellings) {
    if (s.code == code) return s.summary;
  }
  for (const Keyword& k : kKeywords) {
    if (k.code == code) return k.summary;
  }
  return "";
}

const char* OperatorSpelling(uint8_t byte) noexcept {
  if (byte < op::Mod || byte > op::Xor) return "";
  return kOperatorSpellings[byte - op::Mod];
}

int32_t ConstantInteger(uint16_t code) noexcept {
  if (code < kConstantFirst || code >= kConstantFirstDouble) return 0;
  return kConstantIntegers[code - kConstantFirst];
}

double ConstantDouble(uint16_t code) noexcept {
  if (code < kConstantFirstDouble || code >= kConstantFirstString) return 0.0;
  return kConstantDoubles[code - kConstantFirstDouble];
}

std::string_view ConstantString(uint16_t code) noexcept {
  if (code < kConstantFirstString || code > kConstantLast) return {};
  return kConstantStrings[code - kConstantFirstString];
}

}  // namespace msc
