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
    {"Abs", 0xC000},                   // function: absolute value
    {"AbsolutePath$", 0xC046},         // function: absolute path
    {"AddGlobalData", 0x8058},         // host command: add global data
    {"AddSystemData", 0x805B},         // host command: add system data
    {"And", 0x00FA},                   // operator: logical / bitwise and
    {"Append", 0x8000},                // statement: Open mode word
    {"ApplicationPath$", 0xC042},      // function: application path
    {"ApplicationVersion$", 0xC041},   // function: application version
    {"ApproximationCircle", 0x8064},   // statement: fit a circle to points
    {"ArrayDims", 0xC044},             // function: number of dimensions
    {"ArrayLen", 0xC045},              // function: extent or element count
    {"As", 0x8001},                    // statement: Open: "As #n"
    {"Asc", 0xC001},                   // function: code of the first byte
    {"AssignUnit", 0x8074},            // host command: assign a unit
    {"Atn", 0xC002},                   // function: arc tangent
    {"BusyOut", 0x8062},               // host command: busy output
    {"Call", 0x8002},                  // statement: call a user subroutine
    {"Case", 0x8003},                  // statement: Select branch
    {"Catch", 0x8004},                 // statement: start of the error handler of a Try block
    {"ChangeScene", 0x806E},           // host command: switch scene
    {"ChangeSceneGroup", 0x806A},      // host command: switch scene group
    {"CheckUnit", 0xC03B},             // function: unit check
    {"Chr$", 0xC003},                  // function: text of one byte
    {"Clear", 0x8005},                 // statement: clear variables
    {"ClearMeasureData", 0x8051},      // host command: clear measurement data
    {"ClearScene", 0x806F},            // host command: clear a scene
    {"ClearSceneGroup", 0x806B},       // host command: clear a scene group
    {"Close", 0x8006},                 // statement: close files
    {"CloseTextData", 0x8099},         // statement: close a text-data file
    {"Cont", 0x8007},                  // statement: continue after Stop
    {"ContinuousMeasure", 0x80A5},     // host command: continuous measurement
    {"CopyScene", 0x8070},             // host command: copy a scene
    {"CopySceneGroup", 0x806C},        // host command: copy a scene group
    {"CopyUnit", 0x8077},              // host command: copy a unit
    {"CopyUnitFigure", 0x804E},        // host command: copy a unit figure
    {"CopyUnitModel", 0x804F},         // host command: copy a unit model
    {"Cos", 0xC004},                   // function: cosine
    {"CR", 0xD000},                    // constant: integer 13
    {"CR$", 0xD027},                   // constant: text byte 13
    {"CR_LF$", 0xD029},                // constant: text bytes 13 10
    {"Crspoint", 0x8008},              // statement: crossing point of two lines
    {"Date$", 0xC005},                 // function: today's date
    {"DBL_MAX", 0xD025},               // constant: double 1.7976931348623157e+308
    {"DBL_MIN", 0xD024},               // constant: double 2.2250738585072014e-308
    {"Debug", 0x8009},                 // statement: enter the debug console
    {"DebugPrint", 0x809E},            // statement: debug output
    {"Delete", 0x800A},                // statement: delete program lines
    {"DeleteProfileData", 0x80AE},     // host command: delete profile data
    {"DeleteUnit", 0x8076},            // host command: delete a unit
    {"Dim", 0x800B},                   // statement: declare variables and arrays
    {"DisplayUnitNo", 0xC03E},         // function: displayed unit
    {"Do", 0x800C},                    // statement: open a Do ... Loop While block
    {"Dposline", 0xC006},              // function: distance of a point to a line
    {"Dskf", 0xC007},                  // function: free disk space
    {"Else", 0x800D},                  // statement: else branch of If
    {"Elseif", 0x800E},                // statement: further If branch
    {"End", 0x800F},                   // statement: first word of End ...
    {"EndIf", 0x8010},                 // statement: close an If block
    {"Eof", 0xC008},                   // function: end of file test
    {"Erase", 0x8015},                 // statement: free arrays
    {"Erl", 0xC009},                   // function: line of the last error
    {"Err", 0xC00A},                   // function: number of the last error
    {"Errcmnd$", 0xC00B},              // function: text of the failing line
    {"Errno", 0xC00C},                 // function: number of the last error
    {"Error", 0x8016},                 // statement: reserved word
    {"ErrorOut", 0x80A2},              // host command: error output
    {"Executable", 0x80AB},            // statement: Option Executable
    {"ExecuteErrorProc", 0x80A4},      // host command: run the error procedure
    {"Exit", 0x8017},                  // statement: Exit Do / For / Sub
    {"ExitQorProcess", 0x8095},        // host command: quit the application
    {"Exp", 0xC00D},                   // function: exponential
    {"Explicit", 0x8018},              // statement: Option Explicit
    {"False", 0xD003},                 // constant: integer 0
    {"Fcopy", 0x8019},                 // statement: copy a file
    {"Files", 0x801A},                 // statement: reserved word
    {"Fix", 0xC00E},                   // function: truncate toward zero
    {"FONTSIZE_NORMAL", 0xD013},       // constant: integer 18
    {"FONTSTYLE_BOLD", 0xD015},        // constant: integer 1
    {"FONTSTYLE_ITALIC", 0xD016},      // constant: integer 256
    {"FONTSTYLE_NORMAL", 0xD014},      // constant: integer 0
    {"FONTSTYLE_STRIKEOUT", 0xD018},   // constant: integer 1024
    {"FONTSTYLE_UNDERLINE", 0xD017},   // constant: integer 512
    {"For", 0x801B},                   // statement: open a For ... Next loop
    {"GetAll", 0xC029},                // function: read all inputs
    {"GetGlobalData", 0x8057},         // host command: read global data
    {"GetImageSize", 0x8052},          // host command: image size
    {"GetImageWindow", 0x8055},        // host command: image window settings
    {"GetMeasureOut", 0xC03D},         // function: measurement output state
    {"GetPlcData", 0x8068},            // host command: read PLC data
    {"GetPollingState", 0xC02E},       // function: polling state
    {"GetPort", 0xC02A},               // function: read one input
    {"GetProfileData", 0x80AD},        // host command: read profile data
    {"GetSceneData", 0x80A1},          // host command: read scene data
    {"GetSystemData", 0x805A},         // host command: read system data
    {"GetText$", 0xC03F},              // function: text-data lookup
    {"GetTextWindow", 0x8082},         // host command: text window settings
    {"GetUnitData", 0x804B},           // host command: read a unit data item
    {"GetUnitFigure", 0x804D},         // host command: read a unit figure
    {"Global", 0x801F},                // statement: no operation
    {"Gosub", 0x8020},                 // statement: call a line or label
    {"Goto", 0x8021},                  // statement: jump to a line or label
    {"Hex$", 0xC00F},                  // function: hexadecimal text
    {"If", 0x8022},                    // statement: If, block or one-line
    {"ImageFormat", 0xC028},           // function: image format
    {"ImageUpdate", 0x807D},           // host command: update the image
    {"Input", 0x8023},                 // statement: read console input
    {"Input$", 0xC010},                // function: read bytes from a file
    {"InsertUnit", 0x8075},            // host command: insert a unit
    {"Int", 0xC011},                   // function: round down
    {"INT_MAX", 0xD023},               // constant: integer 2147483647
    {"INT_MIN", 0xD022},               // constant: integer -2147483648
    {"IsFile", 0xC012},                // function: file exists
    {"ItemCount", 0xC037},             // function: number of items
    {"ItemIdent$", 0xC03A},            // function: item identifier
    {"ItemInfo", 0xC038},              // function: item information
    {"ItemTitle$", 0xC039},            // function: item title
    {"JUDGE_ERROR", 0xD00B},           // constant: integer -20
    {"JUDGE_IMAGEERROR", 0xD008},      // constant: integer -10
    {"JUDGE_MEMORYERROR", 0xD00A},     // constant: integer -12
    {"JUDGE_MODELERROR", 0xD009},      // constant: integer -11
    {"JUDGE_NC", 0xD005},              // constant: integer 0
    {"JUDGE_NG", 0xD007},              // constant: integer -1
    {"JUDGE_OK", 0xD006},              // constant: integer 1
    {"JudgeOut", 0x8061},              // host command: judgement output
    {"Keyword", 0x8024},               // statement: write the keyword list
    {"Kill", 0x8025},                  // statement: delete files
    {"LanguageString$", 0xC043},       // function: localised text
    {"LCase$", 0xC02C},                // function: lower case
    {"Left$", 0xC013},                 // function: leftmost bytes
    {"Len", 0xC014},                   // function: text length
    {"LF", 0xD001},                    // constant: integer 10
    {"LF$", 0xD028},                   // constant: text byte 10
    {"Line", 0x8026},                  // statement: first word of Line Input
    {"List", 0x8028},                  // statement: list program lines
    {"Load", 0x8029},                  // statement: load program text
    {"LoadBackupData", 0x8092},        // host command: load backup data
    {"LoadScene", 0x808E},             // host command: load a scene
    {"LoadSceneGroup", 0x808C},        // host command: load a scene group
    {"LoadSystemData", 0x808A},        // host command: load system data
    {"LoadUnitData", 0x8090},          // host command: load unit data
    {"Local", 0x802A},                 // statement: no operation
    {"Log", 0xC015},                   // function: natural logarithm
    {"Loop", 0x802B},                  // statement: Loop While
    {"Lsqumeth", 0x802C},              // statement: least-squares line fit
    {"M_PI", 0xD026},                  // constant: double 3.141592653589793
    {"Measure", 0x807B},               // host command: measure once
    {"MeasureProc", 0x8053},           // host command: run unit measurement
    {"MeasureStart", 0x8079},          // host command: start measuring
    {"MeasureStop", 0x807A},           // host command: stop measuring
    {"MessageBox", 0x80A8},            // statement: show a message box
    {"Mid$", 0xC016},                  // function: middle bytes
    {"Mkdir", 0x802D},                 // statement: make a directory
    {"Mod", 0x00F0},                   // operator: remainder
    {"MoveUnit", 0x8078},              // host command: move a unit
    {"New", 0x802E},                   // statement: clear program and variables
    {"Next", 0x802F},                  // statement: close a For loop
    {"Not", 0x00F9},                   // operator: negation
    {"On", 0x8031},                    // statement: On expr Goto / Gosub
    {"Open", 0x8032},                  // statement: open a file
    {"OpenTextData", 0x8098},          // statement: open a text-data file
    {"Option", 0x8033},                // statement: Option Explicit / Executable
    {"Or", 0x00FB},                    // operator: logical / bitwise or
    {"Output", 0x8034},                // statement: Open mode word
    {"ParallelExecute", 0x8035},       // statement: run tasks in parallel
    {"Piece$", 0xC017},                // function: field of a delimited text
    {"Print", 0x8036},                 // statement: console output (also "?")
    {"PS_DASH", 0xD00D},               // constant: integer 1
    {"PS_DASHDOT", 0xD00F},            // constant: integer 3
    {"PS_DASHDOTDOT", 0xD010},         // constant: integer 4
    {"PS_DOT", 0xD00E},                // constant: integer 2
    {"PS_INSIDEFRAME", 0xD012},        // constant: integer 6
    {"PS_NULL", 0xD011},               // constant: integer 5
    {"PS_SOLID", 0xD00C},              // constant: integer 0
    {"PutAll", 0x805F},                // host command: write all outputs
    {"PutPort", 0x8060},               // host command: write one output
    {"RaiseErrorProcEvent", 0x80A3},   // host command: error procedure event
    {"RaiseOptionEvent", 0x8097},      // host command: option event
    {"ReadPlcMemory", 0x8066},         // host command: read PLC memory
    {"ReceiveData", 0x805D},           // host command: receive serial data
    {"ReDim", 0x80AA},                 // statement: re-dimension arrays
    {"RefreshImageWindow", 0x8080},    // host command: redraw image window
    {"RefreshJudgeWindow", 0x8085},    // host command: redraw judgement window
    {"RefreshTextWindow", 0x8083},     // host command: redraw text window
    {"RefreshTimeWindow", 0x8087},     // host command: redraw time window
    {"Rem", 0x8037},                   // statement: comment to the end of the line
    {"Remeasure", 0x807C},             // host command: measure again
    {"Return", 0x8039},                // statement: return from Gosub
    {"Right$", 0xC018},                // function: rightmost bytes
    {"Rmdir", 0x803A},                 // statement: remove a directory
    {"Run", 0x803B},                   // statement: run the program
    {"RunOut", 0x8063},                // host command: run output
    {"Save", 0x803C},                  // statement: save program text
    {"SaveBackupData", 0x8091},        // host command: save backup data
    {"SaveData", 0x8093},              // host command: save data
    {"SaveImage", 0x807F},             // host command: save an image
    {"SaveScene", 0x808D},             // host command: save a scene
    {"SaveSceneGroup", 0x808B},        // host command: save a scene group
    {"SaveSystemData", 0x8089},        // host command: save system data
    {"SaveUnitData", 0x808F},          // host command: save unit data
    {"SceneCount", 0xC035},            // function: number of scenes
    {"SceneDescription$", 0xC034},     // function: scene description
    {"SceneGroupCount", 0xC030},       // function: number of scene groups
    {"SceneGroupNo", 0xC031},          // function: current scene group
    {"SceneGroupTitle$", 0xC02F},      // function: scene group title
    {"SceneMaker$", 0xC033},           // function: scene maker
    {"SceneNo", 0xC036},               // function: current scene
    {"SceneTitle$", 0xC032},           // function: scene title
    {"ScreenCapture", 0x8094},         // host command: capture the screen
    {"Select", 0x803D},                // statement: open a Select Case block
    {"SendData", 0x805C},              // host command: send serial data
    {"SendString", 0x805E},            // host command: send a text
    {"SetDisplayUnitNo", 0x8088},      // host command: displayed unit
    {"SetForegroundLine", 0x80A7},     // host command: foreground line
    {"SetGlobalData", 0x8056},         // host command: write global data
    {"SetImageWindow", 0x8054},        // host command: image window settings
    {"SetJudgeWindow", 0x8084},        // host command: judgement window settings
    {"SetMeasureOut", 0x807E},         // host command: measurement output
    {"SetPlcData", 0x8067},            // host command: write PLC data
    {"SetPollingState", 0x8069},       // host command: polling state
    {"SetProfileData", 0x80AC},        // host command: write profile data
    {"SetSceneData", 0x80A0},          // host command: write scene data
    {"SetSceneDescription", 0x8073},   // host command: scene description
    {"SetSceneGroupTitle", 0x806D},    // host command: scene group title
    {"SetSceneMaker", 0x8072},         // host command: scene maker
    {"SetSceneTitle", 0x8071},         // host command: scene title
    {"SetStop", 0x809A},               // statement: enable or disable Stop
    {"SetSystemData", 0x8059},         // host command: write system data
    {"SetTextWindow", 0x8081},         // host command: text window settings
    {"SetTimeWindow", 0x8086},         // host command: time window settings
    {"SetUnitData", 0x804A},           // host command: write a unit data item
    {"SetUnitFigure", 0x804C},         // host command: write a unit figure
    {"SetUnitTitle", 0x8050},          // host command: rename a unit
    {"SetUserSubroutine", 0x809F},     // statement: register a user subroutine
    {"SetVar", 0x809B},                // statement: set a variable by name
    {"Shell", 0x80A9},                 // statement: start a process
    {"Sin", 0xC019},                   // function: sine
    {"Sqr", 0xC01A},                   // function: square root
    {"StartTimer", 0xC02B},            // function: timer start value
    {"Step", 0x803E},                  // statement: For step
    {"Stop", 0x803F},                  // statement: stop into the debug console
    {"Str$", 0xC01B},                  // function: number as text
    {"Str2$", 0xC01C},                 // function: formatted number as text
    {"Stupproc", 0x8040},              // statement: reserved word
    {"Sub", 0x8041},                   // statement: routine header
    {"SystemReset", 0x8096},           // host command: reset the system
    {"TA_BASELINE", 0xD019},           // constant: integer 24
    {"TA_BOTTOM", 0xD01A},             // constant: integer 8
    {"TA_CENTER", 0xD01C},             // constant: integer 6
    {"TA_LEFT", 0xD01D},               // constant: integer 0
    {"TA_NOUPDATECP", 0xD01F},         // constant: integer 0
    {"TA_RIGHT", 0xD01E},              // constant: integer 2
    {"TA_RTLREADING", 0xD020},         // constant: integer 256
    {"TA_TOP", 0xD01B},                // constant: integer 0
    {"TA_UPDATECP", 0xD021},           // constant: integer 1
    {"TAB", 0xD002},                   // constant: integer 9
    {"TAB$", 0xD02A},                  // constant: text byte 9
    {"Tan", 0xC01D},                   // function: tangent
    {"Task", 0x8042},                  // statement: marks a parallel task
    {"TestMeasure", 0x80A6},           // host command: test measurement
    {"Then", 0x8043},                  // statement: If ... Then
    {"Time$", 0xC01E},                 // function: time of day
    {"Timer", 0xC01F},                 // function: elapsed time test
    {"To", 0x8044},                    // statement: For ... To
    {"True", 0xD004},                  // constant: integer 1
    {"Try", 0x8045},                   // statement: open a Try block
    {"UCase$", 0xC02D},                // function: upper case
    {"UnitCount", 0xC03C},             // function: number of units
    {"UnitData", 0xC022},              // function: unit data item as a number
    {"UnitData$", 0xC023},             // function: unit data item as text
    {"UnitInfo", 0xC026},              // function: unit information
    {"UnitItemIdent$", 0xC025},        // function: unit item identifier
    {"UnitJudge", 0xC027},             // function: unit judgement
    {"UnitTitle$", 0xC024},            // function: unit title
    {"Ut", 0xC040},                    // function: unit number by name
    {"Val", 0xC020},                   // function: text as number
    {"VarList", 0x809C},               // statement: list variables
    {"VarPop", 0x8046},                // statement: restore pushed variables
    {"VarPtr", 0xC021},                // function: address of a variable
    {"VarPush", 0x8047},               // statement: save variables
    {"VarSave", 0x809D},               // statement: save variables
    {"Wait", 0x8048},                  // statement: sleep
    {"While", 0x8049},                 // statement: Loop While
    {"WritePlcMemory", 0x8065},        // host command: write PLC memory
    {"Xor", 0x00FC},                   // operator: exclusive or
};

namespace {

// Every slot filled (a short initializer would leave null names at the end)
// and each name strictly below the next.
constexpr bool KeywordTableSorted() noexcept {
  for (const Keyword& k : kKeywords) {
    if (k.name == nullptr || k.name[0] == '\0') return false;
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
};
constexpr Spelling kCompilerSpellings[] = {
    {tok::EndParallelExecute, "End ParallelExecute"},  // End ParallelExecute
    {tok::EndSelect, "End Select"},                    // End Select
    {tok::EndSub, "End Sub"},                          // End Sub
    {tok::EndTry, "End Try"},                          // End Try
    {tok::ForAppend, "For Append"},                    // Open ... For Append
    {tok::ForInput, "For Input"},                      // Open ... For Input
    {tok::ForOutput, "For Output"},                    // Open ... For Output
    {tok::LineInput, "Line Input"},                    // Line Input
    {tok::NextComma, ","},                             // comma between Next's loop variables
    {tok::Apostrophe, "'"},                            // comment to the end of the line
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
