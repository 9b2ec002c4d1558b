// A parsed Python value (what json.load gives) as a JSON document.
#pragma once

#include <pybind11/pybind11.h>

#include <nlohmann/json.hpp>

namespace OrvexConfigValidate::Python {

// Nesting deeper than this is refused: the conversion recurses, and Python's
// own json module gives up well before it.
inline constexpr int kMaxValueDepth = 1000;

// dict (str keys), list, tuple, str, int, float, bool and None. Raises
// TypeError for any other type (a set, bytes, a dict key that is not a str)
// and ValueError for NaN, an infinity, an int outside 64 bits or nesting past
// kMaxValueDepth; the message names the place as a JSON pointer. Needs the GIL.
nlohmann::json jsonFromPython(const pybind11::handle& value);

}  // namespace OrvexConfigValidate::Python
