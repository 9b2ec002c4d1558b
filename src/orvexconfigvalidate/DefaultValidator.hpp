// The process-wide validator behind the free functions.
#pragma once

#include <orvexconfigvalidate/Validation.hpp>

namespace OrvexConfigValidate {

// Unlike a Validator object, it remembers: a schema replaced from any
// directory stays in force for every later call of the process, also calls
// naming no directory or another directory without that file, and also
// after the file is removed. Each call sees one consistent set.
const Validator& defaultValidator();

}  // namespace OrvexConfigValidate
