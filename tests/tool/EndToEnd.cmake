# End-to-end tests of orvex-config-validate: each runs the program once, from
# the source tree, and checks its exit status and output.
set(ORVEX_TOOL_INPUTS tests/tool/inputs)
set(ORVEX_TOOL_EXPECTED ${CMAKE_CURRENT_SOURCE_DIR}/expected)
set(ORVEX_GOOD --server|examples/good/orvexbridged_conf.json|--bridges|examples/good/bridges.json)
set(ORVEX_BROKEN --server|examples/broken/orvexbridged_conf.json|--bridges|examples/broken/bridges.json)

# orvex_tool_test(NAME STATUS ARGS [STDOUT_FILE f] [STDOUT_REGEX r] [STDERR_REGEX r]
#                 [STDIN f] [JSON_MEMBER m JSON_VALUE v])
function(orvex_tool_test name status args)
    cmake_parse_arguments(PARSE_ARGV 3 opt ""
        "STDOUT_FILE;STDOUT_REGEX;STDERR_REGEX;STDIN;JSON_MEMBER;JSON_VALUE" "")
    set(defines -DTOOL=$<TARGET_FILE:orvex-config-validate> -DWORKDIR=${PROJECT_SOURCE_DIR}
        "-DARGS=${args}" -DSTATUS=${status})
    if(opt_STDOUT_FILE)
        list(APPEND defines -DSTDOUT_FILE=${ORVEX_TOOL_EXPECTED}/${opt_STDOUT_FILE})
    endif()
    if(opt_STDIN)
        list(APPEND defines -DSTDIN=${PROJECT_SOURCE_DIR}/${opt_STDIN})
    endif()
    foreach(key STDOUT_REGEX STDERR_REGEX JSON_MEMBER JSON_VALUE)
        if(DEFINED opt_${key})
            list(APPEND defines "-D${key}=${opt_${key}}")
        endif()
    endforeach()
    add_test(NAME tool.${name}
        COMMAND ${CMAKE_COMMAND} ${defines} -P ${CMAKE_CURRENT_SOURCE_DIR}/RunTool.cmake)
    set_tests_properties(tool.${name} PROPERTIES LABELS "tool;e2e")
endfunction()

# The example deployments, as a pair and file by file.
orvex_tool_test(examples.good_pair_text 0 "${ORVEX_GOOD}" STDOUT_FILE good.txt)
# File by file, the server file is judged with the bridges file it names,
# which is then reported once.
orvex_tool_test(examples.good_files_text 0
    "examples/good/orvexbridged_conf.json|examples/good/bridges.json" STDOUT_FILE good_files.txt)
orvex_tool_test(examples.good_pair_json 0 "--format|json|${ORVEX_GOOD}" STDOUT_FILE good.json)
orvex_tool_test(examples.broken_pair_text 1 "${ORVEX_BROKEN}" STDOUT_FILE broken.txt)
orvex_tool_test(examples.broken_pair_json 1 "${ORVEX_BROKEN}|--format=json" STDOUT_FILE broken.json)
# Alone, the bridges file is judged under mode omADictatedByGroup, not the server's mode 2.
orvex_tool_test(examples.broken_bridges_alone 1 "--schema|BridgingConfiguration|examples/broken/bridges.json"
    STDOUT_FILE broken_bridges_alone.txt)

# Options that change the verdict, on a composite whose only issues are a
# note and a warning.
set(ORVEX_MILD "--schema|Obs|${ORVEX_TOOL_INPUTS}/warning_and_note.json")
orvex_tool_test(verdict.notes_and_warnings_pass 0 "${ORVEX_MILD}" STDOUT_FILE warning_and_note.txt)
orvex_tool_test(verdict.fail_on_warning 1 "--fail-on-warning|--format|json|${ORVEX_MILD}"
    JSON_MEMBER "files|0|ok" JSON_VALUE "OFF")
orvex_tool_test(verdict.fail_on_info 1 "--fail-on-info|${ORVEX_MILD}"
    STDOUT_FILE warning_and_note.txt)
orvex_tool_test(verdict.schema_dir_replaces_a_schema 1
    "--schema-dir|${ORVEX_TOOL_INPUTS}/schemas|--schema|Group|${ORVEX_TOOL_INPUTS}/group.json"
    STDOUT_REGEX "^tests/tool/inputs/group.json:1:1: error: [^\n]*member .name.[^\n]* \\[schema\\]\n1 file")
# A replacement that is not JSON is passed over, with a warning naming it.
orvex_tool_test(verdict.schema_file_not_json_warns 0
    "--schema-dir|${ORVEX_TOOL_INPUTS}/schemas_not_json|--schema|Group|${ORVEX_TOOL_INPUTS}/group.json"
    STDOUT_REGEX "^1 file checked: 0 errors"
    STDERR_REGEX "^orvex-config-validate: warning: schema file 'tests/tool/inputs/schemas_not_json/Group.schema.json' is not used, it is not JSON: parse error at line 1, column 41: [^\n]*; the built-in Group schema applies\n$")
orvex_tool_test(verdict.embedded_schema_without_schema_dir 0
    "--schema|Group|${ORVEX_TOOL_INPUTS}/group.json" STDOUT_REGEX "^1 file checked: 0 errors")

# Inputs that cannot be checked: one diagnostic each, the others still checked.
orvex_tool_test(input.bad_inputs 2
    "--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/comment.json|${ORVEX_TOOL_INPUTS}/trailing_comma.json|${ORVEX_TOOL_INPUTS}/two_documents.json|${ORVEX_TOOL_INPUTS}/empty.json|${ORVEX_TOOL_INPUTS}/truncated.json|${ORVEX_TOOL_INPUTS}/latin1.json|${ORVEX_TOOL_INPUTS}/bom_parse_error.json|${ORVEX_TOOL_INPUTS}/missing.json|examples/good/bridges.json"
    STDOUT_FILE bad_inputs.txt)
orvex_tool_test(input.bad_inputs_json 2
    "--format|json|--schema|Group|${ORVEX_TOOL_INPUTS}/truncated.json|${ORVEX_TOOL_INPUTS}/missing.json"
    STDOUT_FILE bad_inputs.json)
orvex_tool_test(input.pair_with_unreadable_bridges 2
    "--server|examples/broken/orvexbridged_conf.json|--bridges|${ORVEX_TOOL_INPUTS}/missing.json"
    STDOUT_FILE pair_unreadable.txt)
orvex_tool_test(input.stdin 1 "--schema|BridgingConfiguration|-"
    STDIN examples/broken/bridges.json
    STDOUT_REGEX "^<stdin>:19:82: error: /groups/1/vortapoints/1/host/port: ")
orvex_tool_test(input.stdin_as_pair_member 0
    "--server|-|--bridges|examples/good/bridges.json"
    STDIN examples/good/orvexbridged_conf.json STDOUT_FILE good.txt)
orvex_tool_test(input.stdin_parse_error 2 "--schema|Group|-"
    STDIN ${ORVEX_TOOL_INPUTS}/trailing_comma.json
    STDOUT_REGEX "^<stdin>:3:1: error: expected a member name [^\n]* \\[parse_error\\]\n")

# Exactly the bytes of the file: what follows a NUL byte is read too.
orvex_tool_test(input.nul_then_garbage 2 "--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/nul_garbage.json"
    STDOUT_REGEX "^tests/tool/inputs/nul_garbage.json:1:30: error: expected the end of the text after the value, found byte 0x00 \\[parse_error\\]\n1 file checked")
# Only regular files, within the size limit; the other files are still checked.
orvex_tool_test(input.device_and_others 2 "--schema|BridgingConfiguration|/dev/zero|examples/good/bridges.json"
    STDOUT_REGEX "^/dev/zero: error: cannot read file: not a regular file \\[read_error\\]\n2 files checked: 1 error")
orvex_tool_test(input.max_size 2 "--max-size|1K|examples/good/bridges.json|${ORVEX_TOOL_INPUTS}/group.json|--schema|Group"
    STDOUT_REGEX "^examples/good/bridges.json: error: cannot read file: larger than the limit of 1024 bytes \\(see --max-size\\) \\[read_error\\]\n2 files checked: 1 error")
# The largest limit there is: nothing wraps around, standard input is read.
orvex_tool_test(input.stdin_largest_max_size 0 "--max-size|18446744073709551615|--schema|Group|-"
    STDIN ${ORVEX_TOOL_INPUTS}/group.json STDOUT_REGEX "^1 file checked: 0 errors")
orvex_tool_test(usage.bad_max_size 2 "--max-size|lots|examples/good/bridges.json" STDOUT_REGEX "^$"
    STDERR_REGEX "error: option '--max-size' needs a size in bytes")

# Members written twice, and suggestions in strict mode.
orvex_tool_test(report.duplicate_keys 0
    "--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/duplicate_keys.json" STDOUT_FILE duplicate_keys.txt)
orvex_tool_test(report.strict_suggestions 1
    "--strict|--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/strict_refs.json" STDOUT_FILE strict_refs.txt)
orvex_tool_test(report.strict_hint_in_json 1
    "--strict|--format|json|--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/strict_refs.json"
    JSON_MEMBER "files|0|issues|1|hint" JSON_VALUE "did you mean \"field-crews\"?")
# Escape sequences in group ids reach the terminal only as text.
orvex_tool_test(report.control_characters_escaped 1
    "--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/escape_ids.json" STDOUT_FILE escape_ids.txt)

# Positions: escapes, nested arrays, a byte-order mark, a schema violation of
# a whole member.
orvex_tool_test(locate.escapes_and_nesting 1
    "--schema|BridgingConfiguration|${ORVEX_TOOL_INPUTS}/escapes.json" STDOUT_FILE escapes.txt)
orvex_tool_test(locate.byte_order_mark 1 "${ORVEX_TOOL_INPUTS}/bom/bridges.json" STDOUT_FILE bom.txt)
orvex_tool_test(locate.wrong_type 1
    "--schema|BridgingServerConfiguration|${ORVEX_TOOL_INPUTS}/server_bad_type.json"
    STDOUT_REGEX "^(tests/tool/inputs/server_bad_type.json:2:11: error: [^\n]* \\[schema\\]\n)+1 file checked")

# Schemas for editors.
orvex_tool_test(schemas.list 0 "--list-schemas" STDOUT_FILE list_schemas.txt)
foreach(id BridgingConfiguration BridgingServerConfiguration Obs Group NetworkAddress)
    orvex_tool_test(schemas.print_${id} 0 "--print-schema|${id}" JSON_MEMBER title JSON_VALUE ${id})
endforeach()
orvex_tool_test(schemas.print_enums 0 "--print-schema=enums" JSON_MEMBER title
    JSON_VALUE "Orvex common enums")

# Help, version and usage errors (status 2, nothing on standard output).
orvex_tool_test(usage.help 0 "--help" STDOUT_REGEX "^Usage: orvex-config-validate ")
orvex_tool_test(usage.version 0 "--version"
    STDOUT_REGEX "^orvex-config-validate ${PROJECT_VERSION}\n$")
set(ORVEX_USAGE_TAIL "\nTry 'orvex-config-validate --help' for more information.\n$")
orvex_tool_test(usage.no_files 2 "" STDOUT_REGEX "^$"
    STDERR_REGEX "^orvex-config-validate: error: no input files${ORVEX_USAGE_TAIL}")
orvex_tool_test(usage.unknown_option 2 "--colour|examples/good/bridges.json" STDOUT_REGEX "^$"
    STDERR_REGEX "error: unknown option '--colour'${ORVEX_USAGE_TAIL}")
orvex_tool_test(usage.file_name_tells_no_schema 2 "examples/good/bridges.json|${ORVEX_TOOL_INPUTS}/group.json"
    STDOUT_REGEX "^$"
    STDERR_REGEX "error: cannot tell which schema 'tests/tool/inputs/group.json' follows: pass --schema ID")
orvex_tool_test(usage.unknown_schema 2 "--schema|group|${ORVEX_TOOL_INPUTS}/group.json" STDOUT_REGEX "^$"
    STDERR_REGEX "error: unknown schema id 'group' \\(known: BridgingConfiguration, ")
orvex_tool_test(usage.print_unknown_schema 2 "--print-schema|Group.schema.json" STDOUT_REGEX "^$"
    STDERR_REGEX "error: unknown schema id 'Group.schema.json'")
orvex_tool_test(usage.half_pair 2 "--server|examples/good/orvexbridged_conf.json" STDOUT_REGEX "^$"
    STDERR_REGEX "error: --server and --bridges must be given together")
orvex_tool_test(usage.schema_dir_missing 2 "--schema-dir|no/such/dir|examples/good/bridges.json"
    STDOUT_REGEX "^$" STDERR_REGEX "error: schema directory 'no/such/dir' is not a directory")
# Arguments quoted in usage errors reach the terminal only as text.
string(ASCII 27 esc)
# (No "[" in arguments: CMake would not split the list at it.)
set(ORVEX_ESCAPED_ESC "\\\\u001bc")
orvex_tool_test(usage.unknown_option_escaped 2 "--colour${esc}c|examples/good/bridges.json"
    STDOUT_REGEX "^$" STDERR_REGEX "error: unknown option '--colour${ORVEX_ESCAPED_ESC}'")
orvex_tool_test(usage.unknown_schema_escaped 2 "--schema|Group${esc}c|${ORVEX_TOOL_INPUTS}/group.json"
    STDOUT_REGEX "^$" STDERR_REGEX "error: unknown schema id 'Group${ORVEX_ESCAPED_ESC}' \\(known: ")
orvex_tool_test(usage.unknown_code_escaped 2 "--explain|schema${esc}c" STDOUT_REGEX "^$"
    STDERR_REGEX "error: unknown issue code 'schema${ORVEX_ESCAPED_ESC}' \\(known: ")
orvex_tool_test(usage.file_name_tells_no_schema_escaped 2 "examples/good/bridges.json|no${esc}c.json"
    STDOUT_REGEX "^$"
    STDERR_REGEX "error: cannot tell which schema 'no${ORVEX_ESCAPED_ESC}.json' follows: pass --schema ID")
orvex_tool_test(usage.bad_format 2 "--format|xml|examples/good/bridges.json" STDOUT_REGEX "^$"
    STDERR_REGEX "error: unknown format 'xml'")

# Colour only on a terminal, and not with NO_COLOR set; script(1) provides the terminal.
find_program(ORVEX_SCRIPT_PROGRAM script)
if(ORVEX_SCRIPT_PROGRAM)
    string(ASCII 27 esc)
    set(ORVEX_TTY_RUN "$<TARGET_FILE:orvex-config-validate> examples/broken/bridges.json")
    add_test(NAME tool.output.colour_on_terminal
        COMMAND ${ORVEX_SCRIPT_PROGRAM} -qc "env -u NO_COLOR ${ORVEX_TTY_RUN}" /dev/null
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    add_test(NAME tool.output.no_colour_with_NO_COLOR
        COMMAND ${ORVEX_SCRIPT_PROGRAM} -qc "env NO_COLOR=1 ${ORVEX_TTY_RUN}" /dev/null
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(tool.output.colour_on_terminal PROPERTIES LABELS "tool;e2e"
        PASS_REGULAR_EXPRESSION "${esc}\\[1mexamples/broken/bridges.json:66:22:${esc}\\[0m ${esc}\\[1;31merror:")
    set_tests_properties(tool.output.no_colour_with_NO_COLOR PROPERTIES LABELS "tool;e2e"
        PASS_REGULAR_EXPRESSION "examples/broken/bridges.json:66:22: error:"
        FAIL_REGULAR_EXPRESSION "${esc}")
endif()

# Nesting far deeper than any recursion could take: a schema error, no crash.
string(REPEAT "[" 150000 deep_open)
string(REPEAT "]" 150000 deep_close)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/deep.json "${deep_open}${deep_close}")
orvex_tool_test(input.deep_nesting 1 "--schema|Group|${CMAKE_CURRENT_BINARY_DIR}/deep.json"
    STDOUT_REGEX "deep.json:1:1: error: [^\n]*\\[schema\\]\n1 file checked: 1 error")
# The same depth in a deployment's server file: the index that pairs the
# files reads it too, as does the folder check and a lone bridges file's.
string(REPEAT "{\"a\":" 150000 deep_members)
string(REPEAT "}" 150000 deep_ends)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/deep-deployment/orvexbridged_conf.json
    "{\"mode\": 2, \"x\": ${deep_members}1${deep_ends}}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/deep-deployment/bridges.json "{\"groups\": []}")
orvex_tool_test(input.deep_server_file_folder 1 "${CMAKE_CURRENT_BINARY_DIR}/deep-deployment"
    STDOUT_REGEX "1 deployment, 2 files checked: ")
orvex_tool_test(input.deep_server_file_lone_bridges 0
    "${CMAKE_CURRENT_BINARY_DIR}/deep-deployment/bridges.json"
    STDOUT_REGEX "1 file checked: ")
# Enough warnings to fill a pipe, for the closed-pipe test.
set(many_groups "")
foreach(i RANGE 1999)
    string(APPEND many_groups "{\"id\": \"g${i}\", \"type\": 3},\n")
endforeach()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/many/bridges.json
    "{\"groups\": [\n${many_groups}{\"type\": 3}\n]}\n")

# Output failures: a full disk is an error, a reader that went away is not.
find_program(ORVEX_BASH_PROGRAM bash)
if(ORVEX_BASH_PROGRAM)
    add_test(NAME tool.output.full_disk
        COMMAND ${ORVEX_BASH_PROGRAM} -c "\"$0\" examples/broken/bridges.json > /dev/full; echo \"status $?\""
            $<TARGET_FILE:orvex-config-validate>
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(tool.output.full_disk PROPERTIES LABELS "tool;e2e"
        PASS_REGULAR_EXPRESSION "orvex-config-validate: error: cannot write standard output: No space left on device\nstatus 2")
    add_test(NAME tool.output.closed_pipe
        COMMAND ${ORVEX_BASH_PROGRAM} -c "\"$0\" \"$1\" 2>&1 | head -1; echo \"status \${PIPESTATUS[0]}\""
            $<TARGET_FILE:orvex-config-validate> ${CMAKE_CURRENT_BINARY_DIR}/many/bridges.json
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(tool.output.closed_pipe PROPERTIES LABELS "tool;e2e"
        PASS_REGULAR_EXPRESSION "^[^\n]*bridges.json:2:1: warning: /groups/0: [^\n]*\nstatus 141\n$")
    find_program(ORVEX_STRACE strace)
    if(ORVEX_STRACE)
        add_test(NAME tool.start.one_process
            COMMAND ${ORVEX_BASH_PROGRAM} ${CMAKE_CURRENT_SOURCE_DIR}/one-process.sh
                $<TARGET_FILE:orvex-config-validate> ${CMAKE_CURRENT_BINARY_DIR}/one-process)
        # LeakSanitizer cannot run under ptrace, which strace is.
        set_tests_properties(tool.start.one_process PROPERTIES LABELS "tool;e2e" TIMEOUT 120
            PASS_REGULAR_EXPRESSION "^ok\n$" ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
    endif()
    add_test(NAME tool.input.closed_stdin
        COMMAND ${ORVEX_BASH_PROGRAM} -c "\"$0\" --schema Group - <&-; echo \"status $?\""
            $<TARGET_FILE:orvex-config-validate>
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(tool.input.closed_stdin PROPERTIES LABELS "tool;e2e"
        PASS_REGULAR_EXPRESSION "^<stdin>: error: cannot read file: standard input is closed \\[read_error\\]\n1 file checked: 1 error, 0 warnings, 0 notes\nstatus 2\n$")
endif()

# Running out of memory on one file is an error of that file; the next one
# is still checked. Address space is capped with ulimit, which sanitizer
# builds cannot run under.
if(ORVEX_BASH_PROGRAM AND NOT ORVEX_SANITIZE)
    # Ten million values: more than the cap also for a check that builds no
    # document (its index alone takes 16 bytes a value).
    string(REPEAT "[0]," 5000000 many_arrays)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/huge/bridges.json "[${many_arrays}0]")
    add_test(NAME tool.input.out_of_memory_is_one_files_error
        COMMAND ${ORVEX_BASH_PROGRAM} -c "ulimit -v 150000; \"$0\" \"$1\" examples/good/bridges.json; echo \"status $?\""
            $<TARGET_FILE:orvex-config-validate> ${CMAKE_CURRENT_BINARY_DIR}/huge/bridges.json
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(tool.input.out_of_memory_is_one_files_error PROPERTIES LABELS "tool;e2e"
        PASS_REGULAR_EXPRESSION "huge/bridges.json: error: not enough memory to check this file \\[out_of_memory\\]\n2 files checked: 1 error, 0 warnings, 0 notes\nstatus 2\n$")
    # Whichever allocation fails, the file's error is reported and the
    # process never aborts (freeing a large document must not need memory).
    string(REPEAT "{}," 329999 empty_groups)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/empty-groups.json "{\"groups\": [${empty_groups}{}]}")
    add_test(NAME tool.input.out_of_memory_at_any_cap
        COMMAND ${ORVEX_BASH_PROGRAM} -c "for mib in $(seq 24 4 96); do out=$(ulimit -v $((mib * 1024)); \"$0\" --schema BridgingConfiguration \"$1\" 2>&1); status=$?; case $status:$out in [12]:*'1 file checked: '*) ;; *) echo \"at $mib MiB: status $status\"; exit 1 ;; esac; done; echo swept"
            $<TARGET_FILE:orvex-config-validate> ${CMAKE_CURRENT_BINARY_DIR}/empty-groups.json
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(tool.input.out_of_memory_at_any_cap PROPERTIES LABELS "tool;e2e" TIMEOUT 120
        PASS_REGULAR_EXPRESSION "^swept\n$")
endif()
