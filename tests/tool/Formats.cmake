# The report formats for CI and the code explanations, end to end.
set(ORVEX_MULTITOOL_HINTS /opt/orvex-test-tools/node_modules/.bin)
find_program(ORVEX_SARIF_MULTITOOL sarif-multitool HINTS ${ORVEX_MULTITOOL_HINTS})
# Debian's python, which has junitparser.
find_program(ORVEX_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)

# GitHub workflow commands: exact output, escaping included.
orvex_tool_test(github.examples_broken 1 "--format|github|${ORVEX_BROKEN}" STDOUT_FILE broken.github)
orvex_tool_test(github.examples_good 0 "--format=github|${ORVEX_GOOD}" STDOUT_FILE good.github)
orvex_tool_test(github.control_characters 1
    "--format|github|--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/control_characters.json"
    STDOUT_FILE control_characters.github)
orvex_tool_test(github.unreadable_input 2
    "--format|github|--schema|Group|${ORVEX_TOOL_INPUTS}/missing.json"
    STDOUT_REGEX "^::error file=tests/tool/inputs/missing.json,title=read_error::cannot read file: [^\n]+\n1 file checked: 1 error")

# SARIF, judged by Microsoft's multitool (installed by scripts/setup); a
# missing multitool fails the tests instead of skipping them.
if(NOT ORVEX_SARIF_MULTITOOL)
    set(ORVEX_SARIF_MULTITOOL "${ORVEX_MULTITOOL_HINTS}/sarif-multitool")
endif()
function(orvex_sarif_test name status results args)
    string(REPLACE "|" ";" args "${args}")
    add_test(NAME tool.sarif.${name}
        COMMAND ${ORVEX_DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/check_sarif.py
            $<TARGET_FILE:orvex-config-validate> ${ORVEX_SARIF_MULTITOOL} ${PROJECT_SOURCE_DIR}
            ${status} ${results} ${args})
    set_tests_properties(tool.sarif.${name} PROPERTIES LABELS "tool;e2e;sarif" TIMEOUT 120)
endfunction()
orvex_sarif_test(examples_broken 1 12 "${ORVEX_BROKEN}")
orvex_sarif_test(examples_good 0 0 "${ORVEX_GOOD}")
orvex_sarif_test(unreadable_and_control_characters 2 2
    "--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/control_characters.json|${ORVEX_TOOL_INPUTS}/missing.json")
orvex_sarif_test(deployments 1 4 "${ORVEX_TOOL_INPUTS}/deployments")
# Issues past --max-issues: the log with its notification still passes.
orvex_sarif_test(max_issues 1 3 "--max-issues|2|${ORVEX_BROKEN}")
set_tests_properties(tool.sarif.deployments PROPERTIES ENVIRONMENT ORVEX_SARIF_FIXES=1)
# Fixes: the forced output modes of the broken example, and the strict
# suggestions and removed duplicates of a pair. SARIF carries every fix, the
# re-pointed reference too: a proposal, which --fix does not take.
set_tests_properties(tool.sarif.examples_broken PROPERTIES ENVIRONMENT ORVEX_SARIF_FIXES=2)
orvex_sarif_test(fixes 1 6
    "--strict|--server|${ORVEX_TOOL_INPUTS}/fixes/orvexbridged_conf.json|--bridges|${ORVEX_TOOL_INPUTS}/fixes/bridges.json")
set_tests_properties(tool.sarif.fixes PROPERTIES ENVIRONMENT ORVEX_SARIF_FIXES=5)

# JUnit, read by Debian's junitparser: suites, cases, failures, errors.
function(orvex_junit_test name status counts args)
    string(REPLACE "|" ";" args "${args}")
    add_test(NAME tool.junit.${name}
        COMMAND ${ORVEX_DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/check_junit.py
            $<TARGET_FILE:orvex-config-validate> ${PROJECT_SOURCE_DIR} ${status} ${counts} ${args})
    set_tests_properties(tool.junit.${name} PROPERTIES LABELS "tool;e2e;junit")
endfunction()
orvex_junit_test(examples_broken 1 "1;2;2;0" "${ORVEX_BROKEN}")
orvex_junit_test(examples_good 0 "1;2;0;0" "${ORVEX_GOOD}")
# A parse error and a missing file are errors, a failing file a failure, and
# a file with notes only passes; control characters must not break the XML.
orvex_junit_test(errors_and_failures 2 "1;5;1;2"
    "--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/control_characters.json|${ORVEX_TOOL_INPUTS}/truncated.json|${ORVEX_TOOL_INPUTS}/missing.json|examples/good/bridges.json|${ORVEX_TOOL_INPUTS}/deployments/renamed/bridges-renamed.json")

# Ids holding U+FFFE, U+FFFF and line breaks: still well-formed XML, and no
# forged issue lines.
orvex_junit_test(forged_lines 1 "1;1;1;0"
    "--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/forged_lines.json")

# File names that are not UTF-8 stay told apart in the JSON report.
if(ORVEX_BASH_PROGRAM)
    add_test(NAME tool.json.file_names_not_utf8
        COMMAND ${ORVEX_BASH_PROGRAM} -c [[
            dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT &&
            cp "$1" "$dir"/$'\xff.json' && cp "$1" "$dir"/$'\xfe.json' && cd "$dir" &&
            "$0" --format json --schema Group $'\xff.json' $'\xfe.json' | grep '"file"']]
            $<TARGET_FILE:orvex-config-validate> ${PROJECT_SOURCE_DIR}/${ORVEX_TOOL_INPUTS}/group.json)
    set_tests_properties(tool.json.file_names_not_utf8 PROPERTIES LABELS "tool;e2e"
        PASS_REGULAR_EXPRESSION "\"file\": \"\\\\\\\\xff.json\",\n *\"file\": \"\\\\\\\\xfe.json\",")
endif()

# --explain prints the library's table entry; an unknown code is a usage error.
orvex_tool_test(explain.known_code 0 "--explain|missing_group_ref"
    STDOUT_FILE explain_missing_group_ref.txt)
orvex_tool_test(explain.unknown_code 2 "--explain|missing_group" STDOUT_REGEX "^$"
    STDERR_REGEX "error: unknown issue code 'missing_group' \\(known: invalid_parameters, [^\n]*missing_group_ref")
orvex_tool_test(explain.with_files 2 "--explain|schema|examples/good/bridges.json" STDOUT_REGEX "^$"
    STDERR_REGEX "error: --explain takes no input files")

# Every format on a bridges file of 20,000 empty groups and a member repeated
# 160,000 times (about 1 MB, 240,000 issues): the issues listed are cut at the
# default bound, the report says how many were not shown, and the counts and
# the exit status are those of all. Outside the sanitizers the check also runs
# in 1 GiB of address space.
set(ORVEX_BOUND_LIMIT)
if(NOT ORVEX_SANITIZE)
    set(ORVEX_BOUND_LIMIT --memory-limit)
endif()
foreach(format text json sarif junit github)
    add_test(NAME tool.${format}.issue_bound
        COMMAND ${ORVEX_DEBIAN_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/check_bound.py
            $<TARGET_FILE:orvex-config-validate> ${format} 20000 ${ORVEX_BOUND_LIMIT})
    set_tests_properties(tool.${format}.issue_bound PROPERTIES LABELS "tool;e2e" TIMEOUT 60)
endforeach()
