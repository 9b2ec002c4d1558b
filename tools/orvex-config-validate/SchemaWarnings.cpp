#include "SchemaWarnings.hpp"

#include <orvexconfigvalidate/OrvexConfigValidate.hpp>

#include <orvexconfigvalidate/Report.hpp>

namespace OrvexConfigValidate::Tool {

std::vector<std::string> schemaDirectoryWarnings(const std::string& dir) {
    std::vector<std::string> warnings;
    if (dir.empty()) return warnings;
    for (const SchemaDirectoryEntry& entry : describeSchemaDirectory(dir)) {
        const std::string instead = entry.usedFile.empty()
                                        ? "the built-in " + entry.schemaId + " schema"
                                        : "'" + printable(entry.usedFile) + "'";
        for (const auto& file : entry.ignored) {
            warnings.push_back("schema file '" + printable(file.path) +
                               "' is not used, it is not JSON: " + printable(file.problem) + "; " +
                               instead + " applies");
        }
    }
    return warnings;
}

}  // namespace OrvexConfigValidate::Tool
