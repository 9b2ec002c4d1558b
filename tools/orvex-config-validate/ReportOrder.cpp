#include "ReportOrder.hpp"

#include <algorithm>
#include <tuple>

namespace OrvexConfigValidate::Tool {

std::vector<const Diagnostic*> diagnosticsInFileOrder(const Report& report) {
    std::vector<const Diagnostic*> ordered;
    ordered.reserve(report.diagnostics.size());
    for (const auto& d : report.diagnostics) ordered.push_back(&d);
    const auto key = [&report](const Diagnostic* d) {
        return std::make_tuple(std::cref(report.files.at(d->file).name), d->file,
                               d->position.has_value(), d->position ? d->position->line : 0,
                               d->position ? d->position->column : 0);
    };
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&key](const Diagnostic* a, const Diagnostic* b) { return key(a) < key(b); });
    return ordered;
}

}  // namespace OrvexConfigValidate::Tool
