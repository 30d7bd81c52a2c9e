// The Python module macro_sc: macro objects on the simulated controller.
//
//   m = macro_sc.Macro(scenario="line.toml")
//   m.load("inspection.mcr")          # runs *MCRINIT
//   m.call("*INSPECT")                # MacroError on an engine error
//   m["COUNT&"], m["A#(2)"] = 3, 2.5
//   m.output, m.host_calls
//
// Labels, direct statements and loads run with the interpreter lock
// released, so another Python thread may interrupt them (m.interrupt()).
#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <climits>
#include <filesystem>
#include <memory>

#include "macro_object.h"

namespace py = pybind11;
using msc::python::MacroObject;
using msc::python::Value;

namespace {

// MacroError carries the last error of the object: number, message, the
// program line and the line of the source file (0 when not known).
constexpr const char* kErrorClass = R"py(
class MacroError(Exception):
    """An engine error: number, message, line (program line), file_line (source file line)."""

    def __init__(self, number, message, line=0, file_line=0):
        super().__init__(number, message, line, file_line)
        self.number = number
        self.message = message
        self.line = line
        self.file_line = file_line

    def __str__(self):
        where = ""
        if self.file_line:
            where = f" (file line {self.file_line})"
        elif self.line:
            where = f" (line {self.line})"
        return f"error {self.number}: {self.message}{where}"
)py";

py::object& ErrorClass() {
  static py::object* cls = nullptr;
  if (cls == nullptr) {
    py::dict scope;
    scope["__builtins__"] = py::module_::import("builtins");
    scope["__name__"] = "macro_sc";
    py::exec(kErrorClass, scope);
    cls = new py::object(scope["MacroError"]);
  }
  return *cls;
}

MacroObject& Open(MacroObject& m) {
  if (m.Closed()) throw py::value_error("the macro object is closed");
  return m;
}

// Raises MacroError for a non-zero result, from the object's last error.
void Check(MacroObject& m, int32_t result) {
  if (result == 0) return;
  const msc::python::Failure f = m.LastFailure();
  const bool recorded = f.number == result;
  py::object error = ErrorClass()(result, recorded ? f.message : std::string("Call refused"),
                                  recorded ? f.line : 0u, recorded ? f.fileLine : 0u);
  PyErr_SetObject(ErrorClass().ptr(), error.ptr());
  throw py::error_already_set();
}

template <class Call>
int32_t Unlocked(Call&& call) {
  py::gil_scoped_release release;
  return call();
}

// Console text is in the engine's code page; Python's codecs know them as cpNNN.
py::str Decode(const std::string& text) {
  const uint32_t page = _GetCodePageQorMacro();
  const std::string codec = page == 65001 ? "utf-8" : "cp" + std::to_string(page);
  return py::bytes(text).attr("decode")(codec, "replace");
}

py::object ToPython(const Value& v) {
  switch (v.kind) {
    case Value::kInteger: return py::int_(v.integer);
    case Value::kReal: return py::float_(v.real);
    case Value::kText: return py::cast(v.text);
    case Value::kBytes: return py::bytes(v.bytes);
    case Value::kList: {
      py::list list;
      for (const Value& e : v.list) list.append(ToPython(e));
      return list;
    }
    default: return py::none();
  }
}

Value FromPython(const py::handle& o) {
  Value v;
  if (py::isinstance<py::bool_>(o) || py::isinstance<py::int_>(o)) {
    const long long n = o.cast<long long>();
    if (n < INT32_MIN || n > INT32_MAX) throw py::value_error("an integer beyond 32 bits");
    v.kind = Value::kInteger;
    v.integer = static_cast<int32_t>(n);
  } else if (py::isinstance<py::float_>(o)) {
    v.kind = Value::kReal;
    v.real = o.cast<double>();
  } else if (py::isinstance<py::str>(o)) {
    v.kind = Value::kText;
    v.text = o.cast<std::wstring>();
  } else if (py::isinstance<py::bytes>(o)) {
    v.kind = Value::kBytes;
    v.bytes = o.cast<std::string>();
  } else {
    throw py::type_error("a macro variable takes an int, a float, a str or bytes");
  }
  return v;
}

py::list HostCalls(MacroObject& m) {
  py::module_ json = py::module_::import("json");
  py::list calls;
  for (const std::string& line : m.HostCallLines()) calls.append(json.attr("loads")(line));
  return calls;
}

}  // namespace

PYBIND11_MODULE(macro_sc, module) {
  module.doc() = "Macro objects of the Macro_SC engine on the simulated controller";
  module.attr("MacroError") = ErrorClass();
  module.attr("__version__") = MSC_VERSION;

  py::class_<MacroObject>(module, "Macro")
      .def(py::init([](const std::optional<std::string>& scenario, const std::optional<std::string>& scenarioText,
                       const std::optional<std::string>& config, bool sandbox,
                       const std::vector<std::string>& allowRead, const std::vector<std::string>& allowWrite,
                       bool allowRun, bool allowFfi, double maxMemory) {
             if ((allowRun || allowFfi || !allowRead.empty() || !allowWrite.empty()) && !sandbox)
               throw py::value_error("allow_read, allow_write, allow_run and allow_ffi widen sandbox=True");
             if (!(maxMemory >= 0) || maxMemory > 1e12) throw py::value_error("max_memory is megabytes, 0 or more");
             auto m = std::make_unique<MacroObject>(scenario, scenarioText, config);
             if ((sandbox || maxMemory > 0) &&
                 !m->SetPermissions(sandbox, allowRead, allowWrite, allowRun, allowFfi,
                                    static_cast<uint64_t>(maxMemory * 1024 * 1024)))
               throw py::value_error("allow_read and allow_write take folders that exist");
             return m;
           }),
           py::kw_only(), py::arg("scenario") = py::none(), py::arg("scenario_text") = py::none(),
           py::arg("config") = py::none(), py::arg("sandbox") = false,
           py::arg("allow_read") = std::vector<std::string>(), py::arg("allow_write") = std::vector<std::string>(),
           py::arg("allow_run") = false, py::arg("allow_ffi") = false, py::arg("max_memory") = 0.0,
           "A macro object. The simulated controller (one per process) starts from the scenario "
           "file, the scenario text, or with neither as a fresh controller; config is the "
           "directory of QOR-Option.ini and the controller's data files. sandbox=True limits "
           "the object's programs to the folders of allow_read and allow_write (lists), Shell "
           "to allow_run and SetUserSubroutine and Call to allow_ffi, as macro-sc --sandbox "
           "does; max_memory (megabytes, 0: none) bounds what its programs hold.")
      .def("load", [](MacroObject& m, const std::string& path) {
            if (!std::filesystem::is_regular_file(path)) {
              PyErr_SetString(PyExc_FileNotFoundError, path.c_str());
              throw py::error_already_set();
            }
            const std::wstring wide = py::str(path).cast<std::wstring>();
            Open(m);
            Check(m, Unlocked([&] { return m.LoadFile(wide); }));
          }, py::arg("path"), "Loads a program source file and runs *MCRINIT.")
      .def("load_text", [](MacroObject& m, const std::string& text) {
            Open(m);
            Check(m, Unlocked([&] { return m.LoadText(text); }));
          }, py::arg("text"), "Loads a program from its source text and runs *MCRINIT.")
      .def("call", [](MacroObject& m, const std::wstring& label) {
            Open(m);
            Check(m, Unlocked([&] { return m.Gosub(label); }));
          }, py::arg("label"), "Runs the routine at a label (\"*NAME\") until its Return.")
      .def("execute", [](MacroObject& m, const std::wstring& line) {
            Open(m);
            Check(m, Unlocked([&] { return m.Execute(line); }));
          }, py::arg("line"), "Runs a direct statement; a numbered line edits the program.")
      .def("has_label", [](MacroObject& m, const std::wstring& label) { return Open(m).HasLabel(label); })
      .def("__getitem__", [](MacroObject& m, const std::wstring& name) {
            Value v;
            Check(m, Open(m).Get(name, v));
            return ToPython(v);
          }, "A variable, an array element (\"A#(2)\") or any expression.")
      .def("__setitem__", [](MacroObject& m, const std::wstring& name, const py::object& value) {
            const Value v = FromPython(value);
            Check(m, Open(m).Set(name, v));
          })
      .def("save_stored", [](MacroObject& m) {
            std::string image;
            const int32_t result = Open(m).SaveStored(image);
            if (result < 0) Check(m, result);
            return py::bytes(image);
          }, "The image of the stored variables (names ending with &&, ## or $$); b'' for none.")
      .def("load_stored", [](MacroObject& m, const py::bytes& image) {
            Check(m, Open(m).LoadStored(image.cast<std::string>()));
          }, py::arg("image"))
      .def("interrupt", [](MacroObject& m) { Open(m).Interrupt(); },
           "Ends every run under way on the object with error 210; callable from any thread.")
      .def_property_readonly("output", [](MacroObject& m) { return Decode(m.Output(false)); },
                             "What the programs printed (Print, List ...).")
      .def_property_readonly("reports", [](MacroObject& m) { return Decode(m.Output(true)); },
                             "The engine's reports: errors, trace lines, compile messages.")
      .def("clear_output", &MacroObject::ClearOutput)
      .def_property_readonly("host_calls", &HostCalls,
                             "The calls that reached the controller since creation or clear_host_calls(), as dicts.")
      .def("clear_host_calls", &MacroObject::ClearHostCalls)
      .def("close", &MacroObject::Close, "Deletes the macro object now.")
      .def("__enter__", [](MacroObject& m) -> MacroObject& { return m; }, py::return_value_policy::reference)
      .def("__exit__", [](MacroObject& m, const py::args&) { m.Close(); });
}
