#include "PythonValue.hpp"

#include <cmath>
#include <string>

#include <orvexconfigvalidate/Pointer.hpp>

namespace py = pybind11;

namespace OrvexConfigValidate::Python {

namespace {

std::string placeText(const std::string& pointer) {
    return pointer.empty() ? "/" : pointer;
}

[[noreturn]] void refuseType(const py::handle& value, const std::string& pointer) {
    throw py::type_error("value at " + placeText(pointer) + " is of type " +
                         std::string(py::str(py::type::handle_of(value).attr("__name__"))) +
                         ", which has no JSON form");
}

nlohmann::json integerFrom(const py::handle& value, const std::string& pointer) {
    int overflow = 0;
    const long long small = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (overflow == 0) return small;
    if (overflow > 0) {
        const unsigned long long large = PyLong_AsUnsignedLongLong(value.ptr());
        if (!PyErr_Occurred()) return large;
        PyErr_Clear();
    }
    throw py::value_error("integer at " + placeText(pointer) + " does not fit in 64 bits");
}

// One pointer text, grown and cut back as the walk goes down and up: a
// copy per value would cost the depth each time.
class Converter {
  public:
    nlohmann::json convert(const py::handle& value, int depth) {
        const std::string& pointer = pointer_;
        if (depth > kMaxValueDepth) {
            throw py::value_error("value at " + placeText(pointer) + " is nested deeper than " +
                                  std::to_string(kMaxValueDepth) + " levels");
        }
        if (value.is_none()) return nullptr;
        // bool before int: True is an int to Python.
        if (PyBool_Check(value.ptr())) return value.ptr() == Py_True;
        if (PyLong_Check(value.ptr())) return integerFrom(value, pointer);
        if (PyFloat_Check(value.ptr())) return number(value, pointer);
        if (PyUnicode_Check(value.ptr())) return value.cast<std::string>();
        if (PyDict_Check(value.ptr())) return object(value, depth);
        if (PyList_Check(value.ptr()) || PyTuple_Check(value.ptr())) {
            return array(value, depth);
        }
        refuseType(value, pointer);
    }

  private:
    static nlohmann::json number(const py::handle& value, const std::string& pointer) {
        const double number = PyFloat_AsDouble(value.ptr());
        if (!std::isfinite(number)) {
            throw py::value_error("number at " + placeText(pointer) +
                                  " is not finite (NaN or infinity has no JSON form)");
        }
        return number;
    }

    nlohmann::json object(const py::handle& value, int depth) {
        const std::string& pointer = pointer_;
        nlohmann::json result = nlohmann::json::object();
        for (const auto& [key, member] : py::reinterpret_borrow<py::dict>(value)) {
            if (!PyUnicode_Check(key.ptr())) {
                throw py::type_error(
                    "key at " + placeText(pointer) + " is of type " +
                    std::string(py::str(py::type::handle_of(key).attr("__name__"))) +
                    "; JSON member names are str");
            }
            const auto name = key.cast<std::string>();
            const std::size_t length = pointer_.size();
            appendPointerToken(pointer_, name);
            result[name] = convert(member, depth + 1);
            pointer_.resize(length);
        }
        return result;
    }

    nlohmann::json array(const py::handle& value, int depth) {
        nlohmann::json result = nlohmann::json::array();
        std::size_t index = 0;
        const std::size_t length = pointer_.size();
        for (const py::handle element : value) {
            appendPointerToken(pointer_, std::to_string(index++));
            result.push_back(convert(element, depth + 1));
            pointer_.resize(length);
        }
        return result;
    }

    std::string pointer_;
};

}  // namespace

nlohmann::json jsonFromPython(const py::handle& value) {
    return Converter().convert(value, 0);
}

}  // namespace OrvexConfigValidate::Python
