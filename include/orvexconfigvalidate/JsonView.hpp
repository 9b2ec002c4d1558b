// The view of a value lives with the document it reads.
#pragma once

#include <orvexconfigvalidate/Document.hpp>
