#include "ConfigTest.hpp"

#include <orvexconfigvalidate/Configuration.hpp>
#include <orvexconfigvalidate/Escape.hpp>

#include <orvexconfigvalidate/Report.hpp>
#include "Check.hpp"
#include "Report.hpp"

namespace OrvexConfigValidate::Tool {

namespace {

// The files as the last line names them: the server file, and with it the
// bridges file when that was found.
std::string testedFiles(const Report& report) {
    std::string files = "configuration file " + printable(report.files.front().name);
    if (report.files.size() > 1) files += " with " + printable(report.files[1].name);
    return files;
}

}  // namespace

ConfigTestOutcome runConfigTest(const CommandLine& line, const std::string& program, bool colour) {
    CheckUnit unit{kEnvelopeSchemaId, {line.configTest}, true, true};
    unit.reading = BridgesFileReading::AsTheServer;
    if (!line.displayName.empty() && line.displayName != line.configTest) {
        unit.paths.front() = line.displayName;
        unit.readFrom = line.configTest;
    }
    unit.bridgesReadFrom = line.bridgesFile;
    CheckOptions options;
    options.validate = line.options;
    options.maxSize = line.maxSize;
    options.maxIssues = line.maxIssues;
    Report report = runChecks({unit}, options);

    ConfigTestOutcome outcome;
    outcome.status = exitStatus(report);
    if (line.quiet) keepFailing(report, line.options);
    OutputSink out;
    writeIssueLines(report, colour, out);
    const std::string lead = program + ": ";
    if (outcome.status != 0) {
        out << lead << testedFiles(report) << " test failed\n";
    } else if (!line.quiet) {
        for (const FileEntry& file : report.files) {
            out << lead << "the configuration file " << printable(file.name) << " syntax is ok\n";
        }
        out << lead << testedFiles(report) << " test is successful\n";
    }
    outcome.text = out.take();
    return outcome;
}

}  // namespace OrvexConfigValidate::Tool
