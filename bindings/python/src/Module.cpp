// The Python module: the library's checks on texts, a text pair, a parsed
// value and a deployment folder, with issues as Python objects. Arguments
// are copied into C++ values first; the check itself runs without the GIL.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>

#include "Checks.hpp"
#include "PythonValue.hpp"
#include "Results.hpp"

namespace py = pybind11;
using namespace pybind11::literals;

namespace OrvexConfigValidate::Python {

namespace {

// Library texts may quote bytes of the document that are not UTF-8: they
// reach Python with U+FFFD in their place rather than failing the access.
py::str text(const std::string& bytes) {
    PyObject* decoded =
        PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "replace");
    if (decoded == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(decoded);
}

// A text argument: str (written as UTF-8) or bytes as they are.
std::string textArgument(const py::handle& value, const char* name) {
    if (PyBytes_Check(value.ptr())) return value.cast<std::string>();
    if (!PyUnicode_Check(value.ptr())) {
        throw py::type_error(std::string(name) + " must be str or bytes, not " +
                             std::string(py::str(py::type::handle_of(value).attr("__name__"))));
    }
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(value.ptr(), &size);
    if (data == nullptr) throw py::error_already_set();
    return {data, static_cast<std::size_t>(size)};
}

ValidateOptions optionsOf(bool strict, bool failOnWarning, bool failOnInfo,
                          const std::string& schemaDir, std::size_t maxIssues) {
    ValidateOptions options;
    options.strict = strict;
    options.failOnWarning = failOnWarning;
    options.failOnInfo = failOnInfo;
    options.schemaDir = schemaDir;
    options.maxIssues = maxIssues;
    return options;
}

// The folder must exist and be one: raised as Python's own OSError kinds.
void requireFolder(const std::filesystem::path& folder) {
    std::error_code error;
    const auto status = std::filesystem::status(folder, error);
    if (std::filesystem::is_directory(status)) return;
    const bool missing = !std::filesystem::exists(status);
    PyObject* kind = missing ? PyExc_FileNotFoundError : PyExc_NotADirectoryError;
    const py::tuple arguments = py::make_tuple(
        missing ? ENOENT : ENOTDIR, missing ? "No such folder" : "Not a folder", folder.string());
    PyErr_SetObject(kind, arguments.ptr());
    throw py::error_already_set();
}

template <typename Check>
auto withoutGil(Check&& check) {
    py::gil_scoped_release release;
    return check();
}

void defineIssue(py::module_& module) {
    py::class_<PyIssue>(module, "Issue", "One finding of a check.")
        .def_property_readonly("code", [](const PyIssue& i) { return text(i.code); })
        .def_property_readonly("severity", [](const PyIssue& i) { return text(i.severity); })
        .def_property_readonly("pointer", [](const PyIssue& i) { return text(i.pointer); })
        .def_property_readonly("path", [](const PyIssue& i) { return text(i.path); })
        .def_readonly("line", &PyIssue::line)
        .def_readonly("column", &PyIssue::column)
        .def_property_readonly("message", [](const PyIssue& i) { return text(i.message); })
        .def_readonly("source", &PyIssue::source)
        .def_property_readonly("file",
                               [](const PyIssue& i) -> py::object {
                                   if (!i.file) return py::none();
                                   return text(*i.file);
                               })
        .def_property_readonly("hint", [](const PyIssue& i) { return text(i.hint); })
        .def_property_readonly("suggestion", [](const PyIssue& i) { return text(i.suggestion); })
        .def_readonly("fixable", &PyIssue::fixable)
        .def("__repr__", [](const PyIssue& i) { return text(describe(i)); });
}

void defineResults(py::module_& module) {
    py::class_<PyResult>(module, "Result", "The outcome of one check.")
        .def_readonly("ok", &PyResult::ok)
        .def_readonly("issues", &PyResult::issues)
        .def_readonly("omitted", &PyResult::omitted)
        .def("__bool__", [](const PyResult& r) { return r.ok; })
        .def("__repr__", [](const PyResult& r) {
            return "<Result ok=" + std::string(r.ok ? "True" : "False") +
                   " issues=" + std::to_string(r.issues.size()) + ">";
        });
    py::class_<PyDeployment>(module, "Deployment", "One deployment of a folder and its result.")
        .def_property_readonly("server_file",
                               [](const PyDeployment& d) { return text(d.serverFile); })
        .def_property_readonly("bridges_file",
                               [](const PyDeployment& d) { return text(d.bridgesFile); })
        .def_readonly("result", &PyDeployment::result)
        .def_property_readonly("ok", [](const PyDeployment& d) { return d.result.ok; });
    py::class_<PyFixed>(module, "Fixed", "A text with its safe fixes applied.")
        .def_property_readonly("text",
                               [](const PyFixed& f) -> py::object {
                                   if (f.bytes) return py::bytes(f.text);
                                   return text(f.text);
                               })
        .def_readonly("applied", &PyFixed::applied);
}

void defineChecks(py::module_& module) {
    module.def(
        "check_text",
        [](const py::object& value, const std::string& schemaId, bool strict, bool failOnWarning,
           bool failOnInfo, const std::string& schemaDir, std::size_t maxIssues) {
            const std::string input = textArgument(value, "text");
            const ValidateOptions options =
                optionsOf(strict, failOnWarning, failOnInfo, schemaDir, maxIssues);
            return withoutGil([&] { return checkText(schemaId, input, options); });
        },
        "text"_a, "schema_id"_a, py::kw_only(), "strict"_a = false, "fail_on_warning"_a = false,
        "fail_on_info"_a = false, "schema_dir"_a = "", "max_issues"_a = 0);
    module.def(
        "check_pair",
        [](const py::object& server, const py::object& bridges, bool strict, bool failOnWarning,
           bool failOnInfo, const std::string& schemaDir, std::size_t maxIssues) {
            const std::string serverText = textArgument(server, "server_text");
            const std::string bridgesText = textArgument(bridges, "bridges_text");
            const ValidateOptions options =
                optionsOf(strict, failOnWarning, failOnInfo, schemaDir, maxIssues);
            return withoutGil([&] { return checkPair(serverText, bridgesText, options); });
        },
        "server_text"_a, "bridges_text"_a, py::kw_only(), "strict"_a = false,
        "fail_on_warning"_a = false, "fail_on_info"_a = false, "schema_dir"_a = "",
        "max_issues"_a = 0);
    module.def(
        "check_value",
        [](const py::object& value, const std::string& schemaId, bool strict, bool failOnWarning,
           bool failOnInfo, const std::string& schemaDir, std::size_t maxIssues) {
            const nlohmann::json document = jsonFromPython(value);
            const ValidateOptions options =
                optionsOf(strict, failOnWarning, failOnInfo, schemaDir, maxIssues);
            return withoutGil([&] { return checkValue(schemaId, document, options); });
        },
        "value"_a, "schema_id"_a, py::kw_only(), "strict"_a = false, "fail_on_warning"_a = false,
        "fail_on_info"_a = false, "schema_dir"_a = "", "max_issues"_a = 0);
    module.def(
        "check_folder",
        [](const std::filesystem::path& folder, bool strict, bool failOnWarning, bool failOnInfo,
           const std::string& schemaDir, std::size_t maxIssues) {
            requireFolder(folder);
            const ValidateOptions options =
                optionsOf(strict, failOnWarning, failOnInfo, schemaDir, maxIssues);
            return withoutGil([&] { return checkFolder(folder.string(), options); });
        },
        "folder"_a, py::kw_only(), "strict"_a = false, "fail_on_warning"_a = false,
        "fail_on_info"_a = false, "schema_dir"_a = "", "max_issues"_a = 0);
}

void defineFixes(py::module_& module) {
    module.def(
        "fix_text",
        [](const py::object& value, const std::string& schemaId, bool strict,
           const std::string& schemaDir) {
            const std::string input = textArgument(value, "text");
            const ValidateOptions options = optionsOf(strict, false, false, schemaDir, 0);
            PyFixed fixed = withoutGil([&] { return fixText(schemaId, input, options); });
            fixed.bytes = PyBytes_Check(value.ptr());
            return fixed;
        },
        "text"_a, "schema_id"_a, py::kw_only(), "strict"_a = false, "schema_dir"_a = "");
    module.def(
        "fix_pair",
        [](const py::object& server, const py::object& bridges, bool strict,
           const std::string& schemaDir) {
            const std::string serverText = textArgument(server, "server_text");
            const std::string bridgesText = textArgument(bridges, "bridges_text");
            const ValidateOptions options = optionsOf(strict, false, false, schemaDir, 0);
            auto fixed = withoutGil([&] { return fixPair(serverText, bridgesText, options); });
            fixed.first.bytes = PyBytes_Check(server.ptr());
            fixed.second.bytes = PyBytes_Check(bridges.ptr());
            return fixed;
        },
        "server_text"_a, "bridges_text"_a, py::kw_only(), "strict"_a = false, "schema_dir"_a = "");
    module.def("schema_ids", &schemaIds);
}

}  // namespace

}  // namespace OrvexConfigValidate::Python

PYBIND11_MODULE(_native, module) {
    using namespace OrvexConfigValidate::Python;
    module.doc() = "Checks orvexbridged configuration files.";
    module.attr("__version__") = ORVEX_PYTHON_VERSION;
    defineIssue(module);
    defineResults(module);
    defineChecks(module);
    defineFixes(module);
}
