# Deployment folders and the pre-commit hook, end to end.
set(ORVEX_DEPLOYMENTS ${ORVEX_TOOL_INPUTS}/deployments)

# Nested deployments, a renamed bridges file (and a stale bridges.json beside
# it that the server does not read), a missing one, a lone bridges file, a
# hidden folder: which files are checked, in which order, and the counts.
orvex_tool_test(deployments.search 1 "--format|json|${ORVEX_DEPLOYMENTS}" STDOUT_FILE deployments.json)
orvex_tool_test(deployments.search_github 1 "--format|github|${ORVEX_DEPLOYMENTS}/"
    STDOUT_FILE deployments.github)
# A lone bridges file is judged with the server file that names it, and the
# report says which; --schema checks it alone, under mode 3.
set(ORVEX_CLAIMED ${ORVEX_TOOL_INPUTS}/claimed)
orvex_tool_test(deployments.lone_file_with_its_server 1
    "${ORVEX_DEPLOYMENTS}/region/east/bridges.json"
    STDOUT_REGEX "^tests/tool/inputs/deployments/region/east/bridges.json: checked with the server file tests/tool/inputs/deployments/region/east/orvexbridged_conf.json, which names it\ntests/tool/inputs/deployments/region/east/bridges.json:3:5: error: /groups/0: Server mode 1 requires [^\n]*\\[mode_requires_audio_group\\]\n[^\n]*\n1 file checked: 1 error, 0 warnings, 1 note\n$")
orvex_tool_test(deployments.bridges_alone_under_mode_3 0
    "--schema|BridgingConfiguration|${ORVEX_DEPLOYMENTS}/region/east/bridges.json"
    STDOUT_REGEX "^1 file checked: 0 errors")
orvex_tool_test(deployments.lone_file_of_mode_1 0 "${ORVEX_CLAIMED}/mode1/bridges.json"
    STDOUT_REGEX "^[^\n]*mode1/bridges.json: checked with the server file [^\n]*mode1/orvexbridged_conf.json, which names it\n[^\n]*\\[mode_force_multistream\\]\n1 file checked: 0 errors, 0 warnings, 1 note\n$")
orvex_tool_test(deployments.lone_file_of_mode_1_alone 1
    "--schema|BridgingConfiguration|${ORVEX_CLAIMED}/mode1/bridges.json"
    STDOUT_REGEX "bomRaw requires group type gtRaw \\(3\\); found type 1")
# A server file names a file in a subfolder: the folder and the lone file
# are judged alike.
orvex_tool_test(deployments.subfolder_by_folder 1 "${ORVEX_CLAIMED}/subfolder"
    STDOUT_REGEX "^tests/tool/inputs/claimed/subfolder/conf/north.json:3:5: error: [^\n]*\\[mode_requires_audio_group\\]\n1 deployment, 2 files checked: 1 error, 0 warnings, 0 notes\n$")
orvex_tool_test(deployments.subfolder_lone_file 1 "${ORVEX_CLAIMED}/subfolder/conf/north.json"
    STDOUT_REGEX "^tests/tool/inputs/claimed/subfolder/conf/north.json: checked with the server file tests/tool/inputs/claimed/subfolder/orvexbridged_conf.json, which names it\ntests/tool/inputs/claimed/subfolder/conf/north.json:3:5: error: [^\n]*\\[mode_requires_audio_group\\]\n1 file checked: 1 error, 0 warnings, 0 notes\n$")
orvex_tool_test(deployments.lone_file_json 1 "--format|json|${ORVEX_CLAIMED}/subfolder/conf/north.json"
    JSON_MEMBER "files|0|checkedWith" JSON_VALUE "tests/tool/inputs/claimed/subfolder/orvexbridged_conf.json")
orvex_tool_test(deployments.lone_file_github 0 "--format|github|${ORVEX_CLAIMED}/mode1/bridges.json"
    STDOUT_REGEX "\n::notice file=tests/tool/inputs/claimed/mode1/bridges.json,title=checked with its server file::tests/tool/inputs/claimed/mode1/bridges.json: checked with the server file tests/tool/inputs/claimed/mode1/orvexbridged_conf.json, which names it\n1 file checked")
orvex_sarif_test(lone_file_with_its_server 1 1 "${ORVEX_CLAIMED}/subfolder/conf/north.json")
orvex_junit_test(lone_file_with_its_server 0 "1;1;0;0" "${ORVEX_CLAIMED}/mode1/bridges.json")
orvex_tool_test(deployments.nested_folder 0 "${ORVEX_DEPLOYMENTS}/region/east/lab"
    STDOUT_REGEX "^1 deployment, 1 file checked: 0 errors, 0 warnings, 0 notes\n$")
orvex_tool_test(deployments.with_files 1
    "examples/good/bridges.json|${ORVEX_DEPLOYMENTS}/missing|${ORVEX_DEPLOYMENTS}/lone"
    STDOUT_REGEX "^examples/good/bridges.json: checked with the server file examples/good/orvexbridged_conf.json, which names it\ntests/tool/inputs/deployments/missing/orvexbridged_conf.json:4:36: error: [^\n]*gone.json[^\n]* \\[missing_bridges_file\\]\n2 deployments, 3 files checked: 1 error")
# A folder with nothing to check is neither a pass nor a file with an error:
# it is named on standard error and the status is 4, also beside other
# arguments, which are still checked and reported.
orvex_tool_test(deployments.nothing_to_check 4 "${ORVEX_TOOL_INPUTS}/schemas"
    STDOUT_REGEX "^$" STDERR_REGEX "^orvex-config-validate: error: nothing to check in folder 'tests/tool/inputs/schemas': no orvexbridged_conf.json or bridges.json in it or below\n$")
orvex_tool_test(deployments.nothing_to_check_beside_a_deployment 4
    "examples/good|${ORVEX_TOOL_INPUTS}/schemas"
    STDOUT_REGEX "^1 deployment, 2 files checked: 0 errors, 0 warnings, 0 notes\n$"
    STDERR_REGEX "nothing to check in folder 'tests/tool/inputs/schemas'")
# A lone server file is judged with the bridges file it names, as a lone
# bridges file is with its server: the deployment is reported and the report
# says which bridges file was read; --schema checks the server file alone.
set(ORVEX_EAST tests/tool/inputs/deployments/region/east)
orvex_tool_test(deployments.lone_server_with_its_bridges 1 "${ORVEX_EAST}/orvexbridged_conf.json"
    STDOUT_REGEX "^${ORVEX_EAST}/orvexbridged_conf.json: checked with the bridges file ${ORVEX_EAST}/bridges.json, which it names\n${ORVEX_EAST}/bridges.json:3:5: error: [^\n]*\\[mode_requires_audio_group\\]\n[^\n]*\\[mode_force_multistream\\]\n2 files checked: 1 error, 0 warnings, 1 note\n$")
orvex_tool_test(deployments.lone_server_with_its_bridges_json 1
    "--format|json|${ORVEX_EAST}/orvexbridged_conf.json"
    JSON_MEMBER "files|0|checkedWith" JSON_VALUE "${ORVEX_EAST}/bridges.json")
orvex_tool_test(deployments.lone_server_and_its_bridges_once 1
    "${ORVEX_EAST}/orvexbridged_conf.json|./${ORVEX_EAST}/bridges.json"
    STDOUT_REGEX "\n2 files checked: 1 error, 0 warnings, 1 note\n$")
orvex_tool_test(deployments.lone_server_alone 0
    "--schema|BridgingServerConfiguration|${ORVEX_EAST}/orvexbridged_conf.json"
    STDOUT_REGEX "^1 file checked: 0 errors, 0 warnings, 0 notes\n$")
orvex_tool_test(deployments.lone_server_without_its_bridges 1
    "${ORVEX_DEPLOYMENTS}/missing/orvexbridged_conf.json"
    STDOUT_REGEX "gone.json[^\n]* \\[missing_bridges_file\\]\n1 file checked: 1 error")
orvex_tool_test(deployments.schema_with_folder 2 "--schema|Group|${ORVEX_DEPLOYMENTS}"
    STDOUT_REGEX "^$" STDERR_REGEX "error: --schema applies to FILE arguments; in folder")

# pre-commit, offline, with its home and cache in a scratch folder.
find_program(ORVEX_PRE_COMMIT pre-commit)
find_program(ORVEX_GIT git)
if(ORVEX_PRE_COMMIT AND ORVEX_GIT)
    add_test(NAME tool.hooks.pre_commit
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/pre-commit-hook.sh
            $<TARGET_FILE_DIR:orvex-config-validate> ${PROJECT_SOURCE_DIR})
    set_tests_properties(tool.hooks.pre_commit PROPERTIES LABELS "tool;e2e;hooks" TIMEOUT 300)
else()
    message(WARNING "pre-commit or git not found: the hook test is not registered (scripts/setup installs them)")
endif()
