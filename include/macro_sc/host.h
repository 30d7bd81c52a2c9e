// The host side of the engine: the value class, the callback objects whose
// numbered operations the engine calls, and the host library functions.
//
// Operations are virtual functions numbered by slot from 0, declared here in
// slot order; a host derives from these classes and overrides what it serves.
// Every status operation returns 0 on success; the default bodies return -1
// ("not served"), and the default bodies of queries return 0, null or nothing.
//
// The interface classes have no virtual destructor, because one would take a
// slot; their destructors are protected so that nobody deletes a host object
// through them. Slots nobody calls are kept as ReservedN placeholders so that
// every later operation stays at its number.
//
// Integers are signed 32-bit, reals 64-bit; texts are zero-terminated wide
// text unless a narrow text is stated. A "text buffer" argument without a
// capacity holds kHostTextCapacity characters.
#pragma once

#include <cstddef>
#include <cstdint>

class AnyType;
class IoModule;
class HostInterface;
class CoreServices;
class HostWriteStream;
class HostReadStream;

// Characters of a text buffer handed to a host operation.
inline constexpr int32_t kHostTextCapacity = 32768;
// Bytes of the buffer GetUnitFigure fills (a figure's length is a 16-bit word).
inline constexpr int32_t kUnitFigureCapacity = 65536;

// ---------------------------------------------------------------------------
// The host value: empty, an integer, a real, a wide text, a byte block or a
// list of nested values. It owns everything it holds; copies are deep (a
// copy that runs out of memory is empty).
//
//   +0  i32 type        +4  i32 integer      +8  f64 real
//   +16 text            +24 bytes            +32 i32 byte length
//   +36 i32 list count  +40 list entries     +48 i32 list capacity
//   +52 i32 (unused)    +56 formatted text   +64 (unused)      = 72 bytes
//
// The size is part of the user subroutine contract: subroutines receive an
// array of 32 consecutive values.
class AnyType {
 public:
  // Type codes of GetType.
  static constexpr int32_t kEmpty = -1;
  static constexpr int32_t kInteger = 0;
  static constexpr int32_t kReal = 1;
  static constexpr int32_t kText = 2;
  static constexpr int32_t kBytes = 3;
  static constexpr int32_t kNone = 4;  // also empty
  static constexpr int32_t kList = 5;

  AnyType() noexcept = default;
  AnyType(const AnyType& other);
  AnyType& operator=(const AnyType& other);
  ~AnyType();

  int32_t GetType() const noexcept { return type_; }

  // Each SetData replaces the whole value and returns 0, or -1 when memory
  // runs out (the value is then empty).
  int32_t SetData(int32_t value) noexcept;
  int32_t SetData(double value) noexcept;
  int32_t SetData(const wchar_t* text) noexcept;  // copies; null is the empty text
  int32_t SetData(const void* bytes, int32_t length) noexcept;  // copies length bytes
  // (0, 0) empties the value; (kList, n) makes a list of n empty entries;
  // anything else is refused with -1.
  int32_t SetData(int32_t type, int32_t count) noexcept;

  // An integer as is; a real rounded half away from zero and held within the
  // 32-bit range; a text read as a number; everything else 0.
  int32_t GetIntValue() const noexcept;
  // A number as a real; a text read as a number; everything else 0.
  double GetDoubleValue() const noexcept;
  // The text; numbers formatted ("%d", "%.15g"); "" for anything else. The
  // text belongs to the value and lives until the value changes.
  const wchar_t* GetString() const noexcept;
  // The bytes of a byte block and their count; null and 0 for other types.
  const void* GetVariantData(int32_t* length) const noexcept;
  // Entries of a list; 0 for other types.
  int32_t GetCount() const noexcept;
  // Entry index of a list. With create 1 a missing entry (and any before it)
  // is added empty, turning a value that is no list into an empty list
  // first; with create 0 a missing entry gives null. Entries keep their
  // address while the list grows.
  AnyType* GetDataPointer(int32_t index, int32_t create) noexcept;

 private:
  void Release() noexcept;
  void Swap(AnyType& other) noexcept;
  bool CopyFrom(const AnyType& other) noexcept;

  int32_t type_ = kEmpty;
  int32_t integer_ = 0;
  double real_ = 0.0;
  wchar_t* text_ = nullptr;
  uint8_t* bytes_ = nullptr;
  int32_t byteLength_ = 0;
  int32_t count_ = 0;
  AnyType** entries_ = nullptr;
  int32_t capacity_ = 0;
  int32_t unused1_ = 0;
  mutable wchar_t* formatted_ = nullptr;
  void* unused2_ = nullptr;
};
static_assert(sizeof(AnyType) == 72, "user subroutines index the value array by 72 bytes");

// ---------------------------------------------------------------------------
// A named I/O channel of the controller (serial, parallel, PLC link), found
// through CoreServices::GetIoModule.
class IoModule {
 public:
  virtual int32_t Reserved0() { return -1; }  // 0: not used by the engine
  virtual int32_t Reserved1() { return -1; }  // 1: not used by the engine
  virtual int32_t Reserved2() { return -1; }  // 2: not used by the engine
  // 3: sends size bytes of data; second is an extra block (or null).
  virtual int32_t SendData(const void* data, int32_t size, const void* second) {
    (void)data, (void)size, (void)second;
    return -1;
  }
  // 4: receives at most capacity bytes into block and the count into
  // *received; second is an extra block (or null).
  virtual int32_t ReceiveData(void* block, int32_t capacity, int32_t* received,
                              const void* second) {
    (void)block, (void)capacity, (void)received, (void)second;
    return -1;
  }
  // 5: sets every output bit of the channel.
  virtual int32_t PutAll(int32_t value) { (void)value; return -1; }
  // 6: reads every input bit of the channel.
  virtual int32_t GetAll() { return 0; }
  // 7: sets one output port.
  virtual int32_t PutPort(int32_t port, int32_t value) { (void)port, (void)value; return -1; }
  // 8: reads one input port.
  virtual int32_t GetPort(int32_t port) { (void)port; return 0; }
  // 9: the judgement output signal.
  virtual int32_t JudgeOut(int32_t value) { (void)value; return -1; }
  // 10: the busy output signal.
  virtual int32_t BusyOut(int32_t value) { (void)value; return -1; }
  // 11: the run output signal.
  virtual int32_t RunOut(int32_t value) { (void)value; return -1; }
  // 12: the error output signal.
  virtual int32_t ErrorOut(int32_t value) { (void)value; return -1; }
  virtual int32_t Reserved13() { return -1; }  // 13: not used by the engine
  virtual int32_t Reserved14() { return -1; }  // 14: not used by the engine
  // 15: sends a narrow text (macro code page, at most 255 bytes).
  virtual int32_t SendString(const char* text) { (void)text; return -1; }
  // 16: writes count 16-bit words of PLC memory from block.
  virtual int32_t WritePlcMemory(int32_t area, int32_t address, int32_t count,
                                 const void* block) {
    (void)area, (void)address, (void)count, (void)block;
    return -1;
  }
  // 17: reads count 16-bit words of PLC memory into block.
  virtual int32_t ReadPlcMemory(int32_t area, int32_t address, int32_t count, void* block) {
    (void)area, (void)address, (void)count, (void)block;
    return -1;
  }
  // 18: encodes a 32-bit integer at place in the PLC's byte order.
  virtual int32_t SetPlcData32(void* place, int32_t value) { (void)place, (void)value; return -1; }
  // 19: decodes a 32-bit integer from place.
  virtual int32_t GetPlcData32(const void* place) { (void)place; return 0; }
  // 20: encodes a 16-bit integer at place.
  virtual int32_t SetPlcData16(void* place, int32_t value) { (void)place, (void)value; return -1; }
  // 21: decodes a 16-bit integer from place.
  virtual int16_t GetPlcData16(const void* place) { (void)place; return 0; }
  // 22: encodes a real at place.
  virtual int32_t SetPlcDataReal(void* place, double value) { (void)place, (void)value; return -1; }
  // 23: decodes a real from place.
  virtual double GetPlcDataReal(const void* place) { (void)place; return 0.0; }
  // 24: switches the channel's polling of its inputs.
  virtual int32_t SetPollingState(int32_t state) { (void)state; return -1; }
  // 25: the polling state.
  virtual int32_t GetPollingState() { return 0; }

 protected:
  ~IoModule() = default;
};

// ---------------------------------------------------------------------------
// The host interface: the object a host passes to _CreateQorMacro. It serves
// the scene data and the processing units of the current scene, measurement
// data and the display windows.
class HostInterface {
 public:
  virtual int32_t Reserved0() { return -1; }  // 0: not used by the engine
  virtual int32_t Reserved1() { return -1; }  // 1: not used by the engine
  virtual int32_t Reserved2() { return -1; }  // 2: not used by the engine
  virtual int32_t Reserved3() { return -1; }  // 3: not used by the engine
  virtual int32_t Reserved4() { return -1; }  // 4: not used by the engine
  virtual int32_t Reserved5() { return -1; }  // 5: not used by the engine
  virtual int32_t Reserved6() { return -1; }  // 6: not used by the engine
  // 7: writes a scene data item.
  virtual int32_t SetSceneData(const wchar_t* name, AnyType* value) {
    (void)name, (void)value;
    return -1;
  }
  // 8: reads a scene data item into value.
  virtual int32_t GetSceneData(const wchar_t* name, AnyType* value) {
    (void)name, (void)value;
    return -1;
  }
  // 9: whether a unit exists (CheckUnit).
  virtual int32_t CheckUnit(int32_t unit) { (void)unit; return 0; }
  // 10: puts a unit of the named kind at a unit number, replacing what is there.
  virtual int32_t AssignUnit(int32_t unit, const wchar_t* kind) { (void)unit, (void)kind; return -1; }
  // 11: inserts a unit of the named kind before a unit number.
  virtual int32_t InsertUnit(int32_t unit, const wchar_t* kind) { (void)unit, (void)kind; return -1; }
  // 12: deletes a unit.
  virtual int32_t DeleteUnit(int32_t unit) { (void)unit; return -1; }
  // 13: CopyUnit with four numbers, the first not negative.
  virtual int32_t CopyUnitEx(int32_t first, int32_t second, int32_t third, int32_t fourth) {
    (void)first, (void)second, (void)third, (void)fourth;
    return -1;
  }
  // 14: CopyUnit with three numbers.
  virtual int32_t CopyUnit(int32_t first, int32_t second, int32_t third) {
    (void)first, (void)second, (void)third;
    return -1;
  }
  // 15: moves a unit to another unit number.
  virtual int32_t MoveUnit(int32_t from, int32_t to) { (void)from, (void)to; return -1; }
  virtual int32_t Reserved16() { return -1; }  // 16: not used by the engine
  // 17: number of units of the current scene.
  virtual int32_t GetUnitCount() { return 0; }
  // 18: number of the unit with the given name (Ut).
  virtual int32_t GetUnitNo(const wchar_t* name) { (void)name; return 0; }
  // 19: writes a unit data item selected by name.
  virtual int32_t SetUnitData(int32_t unit, const wchar_t* item, AnyType* value) {
    (void)unit, (void)item, (void)value;
    return -1;
  }
  // 20: writes a unit data item selected by number.
  virtual int32_t SetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) {
    (void)unit, (void)item, (void)value;
    return -1;
  }
  // 21: reads a unit data item selected by name into value.
  virtual int32_t GetUnitData(int32_t unit, const wchar_t* item, AnyType* value) {
    (void)unit, (void)item, (void)value;
    return -1;
  }
  // 22: reads a unit data item selected by number into value.
  virtual int32_t GetUnitDataByNo(int32_t unit, int32_t item, AnyType* value) {
    (void)unit, (void)item, (void)value;
    return -1;
  }
  // 23: sets a figure of a unit; the block starts with its 16-bit length.
  virtual int32_t SetUnitFigure(int32_t unit, int32_t figure, const void* block) {
    (void)unit, (void)figure, (void)block;
    return -1;
  }
  // 24: reads a figure of a unit into buffer (kUnitFigureCapacity bytes);
  // place receives a host-defined number.
  virtual int32_t GetUnitFigure(int32_t unit, int32_t figure, int32_t* place, void* buffer) {
    (void)unit, (void)figure, (void)place, (void)buffer;
    return -1;
  }
  virtual int32_t Reserved25() { return -1; }  // 25: not used by the engine
  virtual int32_t Reserved26() { return -1; }  // 26: not used by the engine
  // 27: the format of an image (ImageFormat).
  virtual int32_t GetImageFormat(int32_t first, int32_t second) {
    (void)first, (void)second;
    return 0;
  }
  // 28: the width and height of an image.
  virtual int32_t GetImageSize(int32_t first, int32_t second, int32_t* width, int32_t* height) {
    (void)first, (void)second, (void)width, (void)height;
    return -1;
  }
  // 29: sets the title of a unit.
  virtual int32_t SetUnitTitle(int32_t unit, const wchar_t* title) {
    (void)unit, (void)title;
    return -1;
  }
  // 30: the title of a unit into buffer; *capacity holds its size in characters.
  virtual int32_t GetUnitTitle(int32_t unit, wchar_t* buffer, int32_t* capacity) {
    (void)unit, (void)buffer, (void)capacity;
    return -1;
  }
  // 31: the kind identifier of a unit into a text buffer.
  virtual int32_t GetUnitItemIdent(int32_t unit, wchar_t* buffer) {
    (void)unit, (void)buffer;
    return -1;
  }
  // 32: information about a unit (UnitInfo).
  virtual int32_t GetUnitInfo(int32_t unit, int32_t item) { (void)unit, (void)item; return 0; }
  // 33: the judgement of a unit (UnitJudge).
  virtual int32_t GetUnitJudge(int32_t unit) { (void)unit; return 0; }
  // 34: clears the measurement data of one unit.
  virtual int32_t ClearMeasureData(int32_t unit) { (void)unit; return -1; }
  // 35: clears all measurement data (ClearMeasureData with a negative number).
  virtual int32_t ClearAllMeasureData(int32_t value) { (void)value; return -1; }
  // 36: places an image window: number, six integers, a real, four integers.
  virtual int32_t SetImageWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3, int32_t a4,
                                 int32_t a5, int32_t a6, double a7, int32_t a8, int32_t a9,
                                 int32_t a10, int32_t a11) {
    (void)window, (void)a1, (void)a2, (void)a3, (void)a4, (void)a5, (void)a6, (void)a7, (void)a8,
        (void)a9, (void)a10, (void)a11;
    return -1;
  }
  // 37: the eleven settings of an image window, in SetImageWindow's order.
  virtual int32_t GetImageWindow(int32_t window, int32_t* a1, int32_t* a2, int32_t* a3,
                                 int32_t* a4, int32_t* a5, int32_t* a6, double* a7, int32_t* a8,
                                 int32_t* a9, int32_t* a10, int32_t* a11) {
    (void)window, (void)a1, (void)a2, (void)a3, (void)a4, (void)a5, (void)a6, (void)a7, (void)a8,
        (void)a9, (void)a10, (void)a11;
    return -1;
  }
  virtual int32_t Reserved38() { return -1; }  // 38: not used by the engine
  // 39: places the text window.
  virtual int32_t SetTextWindow(int32_t a1, int32_t a2, int32_t a3, int32_t a4) {
    (void)a1, (void)a2, (void)a3, (void)a4;
    return -1;
  }
  // 40: the four settings of the text window.
  virtual int32_t GetTextWindow(int32_t* a1, int32_t* a2, int32_t* a3, int32_t* a4) {
    (void)a1, (void)a2, (void)a3, (void)a4;
    return -1;
  }
  // 41: the unit whose image the display shows.
  virtual int32_t SetDisplayUnitNo(int32_t unit) { (void)unit; return -1; }
  // 42: the unit the display shows.
  virtual int32_t GetDisplayUnitNo() { return 0; }

 protected:
  ~HostInterface() = default;
};

// ---------------------------------------------------------------------------
// The core services object of the controller (GetQorCoreRA): system and
// global data, scene groups and scenes, measurement, windows, controller
// files and events, and the I/O channels.
class CoreServices {
 public:
  // 0: writes system data item (section, name).
  virtual int32_t SetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) {
    (void)section, (void)name, (void)value;
    return -1;
  }
  // 1: reads system data item (section, name) into value.
  virtual int32_t GetSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) {
    (void)section, (void)name, (void)value;
    return -1;
  }
  // 2: creates system data item (section, name) with a value.
  virtual int32_t AddSystemData(const wchar_t* section, const wchar_t* name, AnyType* value) {
    (void)section, (void)name, (void)value;
    return -1;
  }
  // 3: switches the scene group of a line (ChangeSceneGroup's two numbers).
  virtual int32_t ChangeSceneGroup(int32_t first, int32_t second) {
    (void)first, (void)second;
    return -1;
  }
  // 4: clears a scene group.
  virtual int32_t ClearSceneGroup(int32_t group) { (void)group; return -1; }
  // 5: copies a scene group onto another.
  virtual int32_t CopySceneGroup(int32_t from, int32_t to) { (void)from, (void)to; return -1; }
  // 6: sets the title of a scene group.
  virtual int32_t SetSceneGroupTitle(int32_t group, const wchar_t* title) {
    (void)group, (void)title;
    return -1;
  }
  // 7: the title of a scene group; *capacity holds the buffer's size in characters.
  virtual int32_t GetSceneGroupTitle(int32_t group, wchar_t* buffer, int32_t* capacity) {
    (void)group, (void)buffer, (void)capacity;
    return -1;
  }
  // 8: number of scene groups.
  virtual int32_t GetSceneGroupCount() { return 0; }
  // 9: the current scene group.
  virtual int32_t GetSceneGroupNo() { return 0; }
  // 10: switches to a scene.
  virtual int32_t ChangeScene(int32_t scene) { (void)scene; return -1; }
  // 11: clears a scene.
  virtual int32_t ClearScene(int32_t scene) { (void)scene; return -1; }
  // 12: copies a scene onto another.
  virtual int32_t CopyScene(int32_t from, int32_t to) { (void)from, (void)to; return -1; }
  // 13: sets the title of a scene.
  virtual int32_t SetSceneTitle(int32_t scene, const wchar_t* title) {
    (void)scene, (void)title;
    return -1;
  }
  // 14: the title of a scene; *capacity holds the buffer's size in characters.
  virtual int32_t GetSceneTitle(int32_t scene, wchar_t* buffer, int32_t* capacity) {
    (void)scene, (void)buffer, (void)capacity;
    return -1;
  }
  // 15: sets the maker of a scene.
  virtual int32_t SetSceneMaker(int32_t scene, const wchar_t* maker) {
    (void)scene, (void)maker;
    return -1;
  }
  // 16: the maker of a scene; *capacity holds the buffer's size in characters.
  virtual int32_t GetSceneMaker(int32_t scene, wchar_t* buffer, int32_t* capacity) {
    (void)scene, (void)buffer, (void)capacity;
    return -1;
  }
  // 17: sets the description of a scene.
  virtual int32_t SetSceneDescription(int32_t scene, const wchar_t* text) {
    (void)scene, (void)text;
    return -1;
  }
  // 18: the description of a scene; *capacity holds the buffer's size in characters.
  virtual int32_t GetSceneDescription(int32_t scene, wchar_t* buffer, int32_t* capacity) {
    (void)scene, (void)buffer, (void)capacity;
    return -1;
  }
  // 19: number of scenes of the current scene group.
  virtual int32_t GetSceneCount() { return 0; }
  // 20: the current scene.
  virtual int32_t GetSceneNo() { return 0; }
  // 21: number of measurement items.
  virtual int32_t GetItemCount() { return 0; }
  // 22: information about a measurement item (ItemInfo).
  virtual int32_t GetItemInfo(int32_t item, int32_t kind) { (void)item, (void)kind; return 0; }
  // 23: the title of a measurement item into a text buffer.
  virtual int32_t GetItemTitle(int32_t item, wchar_t* buffer) { (void)item, (void)buffer; return -1; }
  // 24: the identifier of a measurement item into a text buffer.
  virtual int32_t GetItemIdent(int32_t item, wchar_t* buffer) { (void)item, (void)buffer; return -1; }
  virtual int32_t Reserved25() { return -1; }  // 25: not used by the engine
  virtual int32_t Reserved26() { return -1; }  // 26: not used by the engine
  virtual int32_t Reserved27() { return -1; }  // 27: not used by the engine
  virtual int32_t Reserved28() { return -1; }  // 28: not used by the engine
  virtual int32_t Reserved29() { return -1; }  // 29: not used by the engine
  virtual int32_t Reserved30() { return -1; }  // 30: not used by the engine
  virtual int32_t Reserved31() { return -1; }  // 31: not used by the engine
  virtual int32_t Reserved32() { return -1; }  // 32: not used by the engine
  virtual int32_t Reserved33() { return -1; }  // 33: not used by the engine
  // 34: runs the measurement processing of a unit (status not examined).
  virtual int32_t MeasureProc(int32_t unit) { (void)unit; return -1; }
  virtual int32_t Reserved35() { return -1; }  // 35: not used by the engine
  virtual int32_t Reserved36() { return -1; }  // 36: not used by the engine
  virtual int32_t Reserved37() { return -1; }  // 37: not used by the engine
  virtual int32_t Reserved38() { return -1; }  // 38: not used by the engine
  virtual int32_t Reserved39() { return -1; }  // 39: not used by the engine
  virtual int32_t Reserved40() { return -1; }  // 40: not used by the engine
  virtual int32_t Reserved41() { return -1; }  // 41: not used by the engine
  virtual int32_t Reserved42() { return -1; }  // 42: not used by the engine
  virtual int32_t Reserved43() { return -1; }  // 43: not used by the engine
  // 44: copies unit figures (CopyUnitFigure's five numbers).
  virtual int32_t CopyUnitFigure(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) {
    (void)a1, (void)a2, (void)a3, (void)a4, (void)a5;
    return -1;
  }
  // 45: copies unit models (CopyUnitModel's five numbers).
  virtual int32_t CopyUnitModel(int32_t a1, int32_t a2, int32_t a3, int32_t a4, int32_t a5) {
    (void)a1, (void)a2, (void)a3, (void)a4, (void)a5;
    return -1;
  }
  virtual int32_t Reserved46() { return -1; }  // 46: not used by the engine
  virtual int32_t Reserved47() { return -1; }  // 47: not used by the engine
  virtual int32_t Reserved48() { return -1; }  // 48: not used by the engine
  virtual int32_t Reserved49() { return -1; }  // 49: not used by the engine
  virtual int32_t Reserved50() { return -1; }  // 50: not used by the engine
  virtual int32_t Reserved51() { return -1; }  // 51: not used by the engine
  virtual int32_t Reserved52() { return -1; }  // 52: not used by the engine
  virtual int32_t Reserved53() { return -1; }  // 53: not used by the engine
  virtual int32_t Reserved54() { return -1; }  // 54: not used by the engine
  virtual int32_t Reserved55() { return -1; }  // 55: not used by the engine
  virtual int32_t Reserved56() { return -1; }  // 56: not used by the engine
  // 57: starts measuring.
  virtual int32_t MeasureStart() { return -1; }
  virtual int32_t Reserved58() { return -1; }  // 58: not used by the engine
  // 59: stops measuring.
  virtual int32_t MeasureStop(int32_t value) { (void)value; return -1; }
  virtual int32_t Reserved60() { return -1; }  // 60: not used by the engine
  // 61: measures once.
  virtual int32_t Measure(int32_t value) { (void)value; return -1; }
  // 62: measures again the target given by name.
  virtual int32_t RemeasureByName(const wchar_t* name, int32_t value) {
    (void)name, (void)value;
    return -1;
  }
  // 63: measures again the target given by number.
  virtual int32_t Remeasure(int32_t number, int32_t value) { (void)number, (void)value; return -1; }
  // 64: a test measurement; mode 0 everything, 1 by number, 2 by name.
  virtual int32_t TestMeasure(int32_t mode, int32_t number, const wchar_t* name, int32_t a4,
                              int32_t a5, int32_t a6) {
    (void)mode, (void)number, (void)name, (void)a4, (void)a5, (void)a6;
    return -1;
  }
  // 65: refreshes the displayed image.
  virtual int32_t ImageUpdate() { return -1; }
  virtual int32_t Reserved66() { return -1; }  // 66: not used by the engine
  virtual int32_t Reserved67() { return -1; }  // 67: not used by the engine
  virtual int32_t Reserved68() { return -1; }  // 68: not used by the engine
  virtual int32_t Reserved69() { return -1; }  // 69: not used by the engine
  virtual int32_t Reserved70() { return -1; }  // 70: not used by the engine
  // 71: switches the measurement result output.
  virtual int32_t SetMeasureOut(int32_t value) { (void)value; return -1; }
  virtual int32_t Reserved72() { return -1; }  // 72: not used by the engine
  // 73: the measurement result output setting.
  virtual int32_t GetMeasureOut() { return 0; }
  virtual int32_t Reserved74() { return -1; }  // 74: not used by the engine
  virtual int32_t Reserved75() { return -1; }  // 75: not used by the engine
  virtual int32_t Reserved76() { return -1; }  // 76: not used by the engine
  virtual int32_t Reserved77() { return -1; }  // 77: not used by the engine
  virtual int32_t Reserved78() { return -1; }  // 78: not used by the engine
  virtual int32_t Reserved79() { return -1; }  // 79: not used by the engine
  virtual int32_t Reserved80() { return -1; }  // 80: not used by the engine
  virtual int32_t Reserved81() { return -1; }  // 81: not used by the engine
  virtual int32_t Reserved82() { return -1; }  // 82: not used by the engine
  virtual int32_t Reserved83() { return -1; }  // 83: not used by the engine
  virtual int32_t Reserved84() { return -1; }  // 84: not used by the engine
  virtual int32_t Reserved85() { return -1; }  // 85: not used by the engine
  virtual int32_t Reserved86() { return -1; }  // 86: not used by the engine
  virtual int32_t Reserved87() { return -1; }  // 87: not used by the engine
  virtual int32_t Reserved88() { return -1; }  // 88: not used by the engine
  virtual int32_t Reserved89() { return -1; }  // 89: not used by the engine
  virtual int32_t Reserved90() { return -1; }  // 90: not used by the engine
  virtual int32_t Reserved91() { return -1; }  // 91: not used by the engine
  virtual int32_t Reserved92() { return -1; }  // 92: not used by the engine
  virtual int32_t Reserved93() { return -1; }  // 93: not used by the engine
  // 94: redraws the image windows.
  virtual int32_t RefreshImageWindow(int32_t value) { (void)value; return -1; }
  virtual int32_t Reserved95() { return -1; }   // 95: not used by the engine
  virtual int32_t Reserved96() { return -1; }   // 96: not used by the engine
  virtual int32_t Reserved97() { return -1; }   // 97: not used by the engine
  virtual int32_t Reserved98() { return -1; }   // 98: not used by the engine
  virtual int32_t Reserved99() { return -1; }   // 99: not used by the engine
  virtual int32_t Reserved100() { return -1; }  // 100: not used by the engine
  virtual int32_t Reserved101() { return -1; }  // 101: not used by the engine
  // 102: redraws the text window.
  virtual int32_t RefreshTextWindow() { return -1; }
  virtual int32_t Reserved103() { return -1; }  // 103: not used by the engine
  // 104: places the judgement window (window 0, then three settings).
  virtual int32_t SetJudgeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) {
    (void)window, (void)a1, (void)a2, (void)a3;
    return -1;
  }
  virtual int32_t Reserved105() { return -1; }  // 105: not used by the engine
  virtual int32_t Reserved106() { return -1; }  // 106: not used by the engine
  // 107: redraws the judgement window.
  virtual int32_t RefreshJudgeWindow() { return -1; }
  virtual int32_t Reserved108() { return -1; }  // 108: not used by the engine
  // 109: places the time window (window 0, then three settings).
  virtual int32_t SetTimeWindow(int32_t window, int32_t a1, int32_t a2, int32_t a3) {
    (void)window, (void)a1, (void)a2, (void)a3;
    return -1;
  }
  virtual int32_t Reserved110() { return -1; }  // 110: not used by the engine
  virtual int32_t Reserved111() { return -1; }  // 111: not used by the engine
  // 112: redraws the time window.
  virtual int32_t RefreshTimeWindow() { return -1; }
  virtual int32_t Reserved113() { return -1; }  // 113: not used by the engine
  virtual int32_t Reserved114() { return -1; }  // 114: not used by the engine
  virtual int32_t Reserved115() { return -1; }  // 115: not used by the engine
  virtual int32_t Reserved116() { return -1; }  // 116: not used by the engine
  virtual int32_t Reserved117() { return -1; }  // 117: not used by the engine
  virtual int32_t Reserved118() { return -1; }  // 118: not used by the engine
  virtual int32_t Reserved119() { return -1; }  // 119: not used by the engine
  virtual int32_t Reserved120() { return -1; }  // 120: not used by the engine
  virtual int32_t Reserved121() { return -1; }  // 121: not used by the engine
  virtual int32_t Reserved122() { return -1; }  // 122: not used by the engine
  virtual int32_t Reserved123() { return -1; }  // 123: not used by the engine
  // 124: saves the system data to a file.
  virtual int32_t SaveSystemData(const wchar_t* file) { (void)file; return -1; }
  virtual int32_t Reserved125() { return -1; }  // 125: not used by the engine
  // 126: loads the system data from a file.
  virtual int32_t LoadSystemData(const wchar_t* file) { (void)file; return -1; }
  // 127: saves a scene group to a file.
  virtual int32_t SaveSceneGroup(int32_t group, const wchar_t* file) {
    (void)group, (void)file;
    return -1;
  }
  virtual int32_t Reserved128() { return -1; }  // 128: not used by the engine
  virtual int32_t Reserved129() { return -1; }  // 129: not used by the engine
  // 130: loads a scene group from a file.
  virtual int32_t LoadSceneGroup(int32_t group, const wchar_t* file) {
    (void)group, (void)file;
    return -1;
  }
  virtual int32_t Reserved131() { return -1; }  // 131: not used by the engine
  virtual int32_t Reserved132() { return -1; }  // 132: not used by the engine
  // 133: saves a scene to a file.
  virtual int32_t SaveScene(int32_t scene, const wchar_t* file) { (void)scene, (void)file; return -1; }
  // 134: loads a scene from a file.
  virtual int32_t LoadScene(int32_t scene, const wchar_t* file) { (void)scene, (void)file; return -1; }
  // 135: saves unit data (SaveUnitData's three numbers) to a file.
  virtual int32_t SaveUnitData(int32_t a1, int32_t a2, int32_t a3, const wchar_t* file) {
    (void)a1, (void)a2, (void)a3, (void)file;
    return -1;
  }
  // 136: loads unit data (LoadUnitData's four numbers) from a file.
  virtual int32_t LoadUnitData(int32_t a1, int32_t a2, int32_t a3, int32_t a4,
                               const wchar_t* file) {
    (void)a1, (void)a2, (void)a3, (void)a4, (void)file;
    return -1;
  }
  // 137: saves the backup data to a file.
  virtual int32_t SaveBackupData(const wchar_t* file) { (void)file; return -1; }
  // 138: loads the backup data from a file.
  virtual int32_t LoadBackupData(const wchar_t* file) { (void)file; return -1; }
  // 139: saves the controller's settings.
  virtual int32_t SaveData() { return -1; }
  virtual int32_t Reserved140() { return -1; }  // 140: not used by the engine
  // 141: the I/O channel of the given name; null when there is none.
  virtual IoModule* GetIoModule(const wchar_t* name) { (void)name; return nullptr; }
  virtual int32_t Reserved142() { return -1; }  // 142: not used by the engine
  // 143: the controller's run output signal (status not examined).
  virtual int32_t RunOut(int32_t value) { (void)value; return -1; }
  virtual int32_t Reserved144() { return -1; }  // 144: not used by the engine
  virtual int32_t Reserved145() { return -1; }  // 145: not used by the engine
  virtual int32_t Reserved146() { return -1; }  // 146: not used by the engine
  // 147: captures the screen into a file.
  virtual int32_t ScreenCapture(const wchar_t* file) { (void)file; return -1; }
  virtual int32_t Reserved148() { return -1; }  // 148: not used by the engine
  // 149: ends the controller application.
  virtual int32_t ExitQorProcess() { return -1; }
  // 150: restarts the controller.
  virtual int32_t SystemReset() { return -1; }
  virtual int32_t Reserved151() { return -1; }  // 151: not used by the engine
  virtual int32_t Reserved152() { return -1; }  // 152: not used by the engine
  // 153: raises an option event.
  virtual int32_t RaiseOptionEvent(int32_t a1, int32_t a2) { (void)a1, (void)a2; return -1; }
  // 154: writes a global data item.
  virtual int32_t SetGlobalData(const wchar_t* name, AnyType* value) {
    (void)name, (void)value;
    return -1;
  }
  // 155: reads a global data item into value.
  virtual int32_t GetGlobalData(const wchar_t* name, AnyType* value) {
    (void)name, (void)value;
    return -1;
  }
  // 156: creates a global data item with a value.
  virtual int32_t AddGlobalData(const wchar_t* name, AnyType* value) {
    (void)name, (void)value;
    return -1;
  }
  virtual int32_t Reserved157() { return -1; }  // 157: not used by the engine
  virtual int32_t Reserved158() { return -1; }  // 158: not used by the engine
  virtual int32_t Reserved159() { return -1; }  // 159: not used by the engine
  virtual int32_t Reserved160() { return -1; }  // 160: not used by the engine
  virtual int32_t Reserved161() { return -1; }  // 161: not used by the engine
  virtual int32_t Reserved162() { return -1; }  // 162: not used by the engine
  virtual int32_t Reserved163() { return -1; }  // 163: not used by the engine
  virtual int32_t Reserved164() { return -1; }  // 164: not used by the engine
  virtual int32_t Reserved165() { return -1; }  // 165: not used by the engine
  virtual int32_t Reserved166() { return -1; }  // 166: not used by the engine
  virtual int32_t Reserved167() { return -1; }  // 167: not used by the engine
  virtual int32_t Reserved168() { return -1; }  // 168: not used by the engine
  virtual int32_t Reserved169() { return -1; }  // 169: not used by the engine
  virtual int32_t Reserved170() { return -1; }  // 170: not used by the engine
  virtual int32_t Reserved171() { return -1; }  // 171: not used by the engine
  virtual int32_t Reserved172() { return -1; }  // 172: not used by the engine
  // 173: saves an image to a file.
  virtual int32_t SaveImage(int32_t image, const wchar_t* file) { (void)image, (void)file; return -1; }
  virtual int32_t Reserved174() { return -1; }  // 174: not used by the engine
  virtual int32_t Reserved175() { return -1; }  // 175: not used by the engine
  virtual int32_t Reserved176() { return -1; }  // 176: not used by the engine
  // 177: one of the controller's directories (0 to 3) into a text buffer.
  virtual int32_t GetApplicationPath(int32_t kind, wchar_t* buffer) {
    (void)kind, (void)buffer;
    return -1;
  }
  // 178: the controller's error output signal (status not examined).
  virtual int32_t ErrorOut(int32_t value) { (void)value; return -1; }
  virtual int32_t Reserved179() { return -1; }  // 179: not used by the engine
  virtual int32_t Reserved180() { return -1; }  // 180: not used by the engine
  virtual int32_t Reserved181() { return -1; }  // 181: not used by the engine
  virtual int32_t Reserved182() { return -1; }  // 182: not used by the engine
  virtual int32_t Reserved183() { return -1; }  // 183: not used by the engine
  virtual int32_t Reserved184() { return -1; }  // 184: not used by the engine
  virtual int32_t Reserved185() { return -1; }  // 185: not used by the engine
  virtual int32_t Reserved186() { return -1; }  // 186: not used by the engine
  // 187: raises an error-procedure event.
  virtual int32_t RaiseErrorProcEvent(int32_t a1, int32_t a2, int32_t a3) {
    (void)a1, (void)a2, (void)a3;
    return -1;
  }
  // 188: runs an error procedure.
  virtual int32_t ExecuteErrorProc(int32_t a1, int32_t a2) { (void)a1, (void)a2; return -1; }
  virtual int32_t Reserved189() { return -1; }  // 189: not used by the engine
  virtual int32_t Reserved190() { return -1; }  // 190: not used by the engine
  // 191: a version text (by number) into buffer of capacity characters.
  virtual int32_t GetApplicationVersion(int32_t kind, wchar_t* buffer, int32_t capacity) {
    (void)kind, (void)buffer, (void)capacity;
    return -1;
  }

 protected:
  ~CoreServices() = default;
};

// ---------------------------------------------------------------------------
// Host streams carry variable streams ("K7TTMCD200") between the engine and a
// host's storage. The engine uses one operation of each, slot 0.

// The stream _SaveVariable2 and _SaveProc write into.
class HostWriteStream {
 public:
  // 0: takes count bytes at data (a copy is the host's business: the bytes
  // are gone after the call). 0 on success. A null data with count 0
  // finishes the stream.
  virtual int32_t Write(const void* data, uint32_t count) {
    (void)data, (void)count;
    return -1;
  }

 protected:
  ~HostWriteStream() = default;
};

// The stream _LoadVariable2 and _LoadProc read from.
class HostReadStream {
 public:
  // 0: hands out the next piece: *data points at it and *length holds its
  // size; a null *data means the stream has ended. mode is always 1. The
  // piece must stay valid until the next call. 0 on success.
  virtual int32_t Read(const void** data, uint32_t* length, int32_t mode) {
    (void)data, (void)length, (void)mode;
    return -1;
  }

 protected:
  ~HostReadStream() = default;
};

// The argument of _RenumReferenceVariable: maps the old unit number of every
// unit binding to its new number (after units were inserted or deleted).
class ReferenceRenumbering {
 public:
  // 0: the new unit number of unit.
  virtual int32_t Renumber(int32_t unit) {
    return unit;
  }

 protected:
  ~ReferenceRenumbering() = default;
};

// ---------------------------------------------------------------------------
// Host library functions.

// The directory of the controller's configuration, ending with a separator,
// so that a file name can follow it directly.
const wchar_t* GetCoreRAPath();
// Reads key of section of an INI-style profile file (a name without a
// directory is looked up in GetCoreRAPath's directory) into buffer of size
// characters, cut to size - 1; defaultValue when absent. Returns the number
// of characters stored.
int32_t GetProfileData(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                       const wchar_t* defaultValue, wchar_t* buffer, int32_t size);
// The list form: every key of section and its value, as two list values of
// texts in file order, and their count. 0 on success (an absent section is an
// empty list).
int32_t GetProfileData(const wchar_t* file, const wchar_t* section, AnyType* keys,
                       AnyType* values, int32_t* count);
// Writes key = value into section, creating the file and section as needed.
int32_t SetProfileData(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                       const wchar_t* value);
// Deletes key from section (0 also when it was absent).
int32_t DeleteProfileData(const wchar_t* file, const wchar_t* section, const wchar_t* key);
// Deletes the entry at position index of section (file order, from 0); a
// negative index deletes the whole section.
int32_t DeleteProfileData(const wchar_t* file, const wchar_t* section, int32_t index);
// Three-letter language code of the controller's user interface ("jpn", "kor" ...).
const wchar_t* GetLanguageIdent();
// A numbered system property of the controller.
int32_t GetSystemInfo2(int32_t item);
// The core services object; null when the controller has none.
CoreServices* GetQorCoreRA();
// Selects the inspection line the following host calls address.
int32_t SetCurrentCoreRA(int32_t line);
// Switches continuous measurement on (non-zero) or off.
int32_t ContinuousMeasure(int32_t on);
// The user-interface text of key into buffer; *capacity holds the buffer's
// size in characters.
int32_t GetLanguageString(const wchar_t* key, wchar_t* buffer, int32_t* capacity, int32_t flags);
// The data directory of a scene group into buffer of capacity characters.
int32_t GetSceneGroupDataPath(int32_t group, wchar_t* buffer, int32_t capacity);

// A path made absolute against the controller's directory.
class AbsolutePath {
 public:
  explicit AbsolutePath(const wchar_t* path);
  AbsolutePath(const AbsolutePath&) = delete;
  AbsolutePath& operator=(const AbsolutePath&) = delete;
  ~AbsolutePath();
  // The absolute path; "" when it could not be formed.
  const wchar_t* GetPath() const noexcept;

 private:
  wchar_t* path_ = nullptr;
};

// Temporary blocks for variable streams; null when memory runs out.
void* QorMallocTmp(size_t size);
void QorFreeTmp(void* block);

// Fits a circle to n points by least squares: centre x, centre y and radius.
// Non-zero for fewer than three points or points on one line.
int32_t GetApproximationCircle(const double* x, const double* y, uint32_t n, double* centreX,
                               double* centreY, double* radius);

// One task of ParallelExecute; the array of tasks ends with a record whose
// two fields are null.
struct PARALLELPROC {
  int32_t (*function)(void* argument);
  void* argument;
};
static_assert(sizeof(PARALLELPROC) == 16);

// Runs every task of the array at the same time and returns when all have
// finished; 0 on success.
int32_t ParallelExecute(PARALLELPROC* tasks);

// ---------------------------------------------------------------------------
// User subroutines: functions in a host's shared libraries that a program
// registers with SetUserSubroutine and runs with Call. The engine calls
//
//   int32_t Name(uint32_t count, AnyType* arguments, const UserSubroutineContext* context)
//
// (exported with C linkage) with the Call's arguments in arguments[0] to
// arguments[count - 1], integers, reals or wide texts; the array always holds
// 32 values, which die when the call returns. The result is the Call
// statement's result: 0 goes on, an error number stops the program as that
// error, 255 skips the rest of the line. Calls come from the thread of the
// calling program, from several threads at once when ParallelExecute tasks
// call; a subroutine must not throw. examples/user_subroutine/ is a sample.
struct UserSubroutineContext {
  int32_t reserved;     // always 0
  int32_t unused;
  CoreServices* core;   // GetQorCoreRA() of the calling program
};
static_assert(sizeof(UserSubroutineContext) == 16);
using UserSubroutine = int32_t (*)(uint32_t count, AnyType* arguments,
                                   const UserSubroutineContext* context);

// Keyed texts of a text-data file: a handle (null on failure), the text of a
// key (the empty text when absent; valid until the next call on the handle or
// its closing), and the release of the handle.
void* OpenTextData(const wchar_t* file);
const wchar_t* GetText(void* handle, const wchar_t* key);
void CloseTextData(void* handle);
