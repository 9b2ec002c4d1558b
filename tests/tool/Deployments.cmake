# Deployment folders and the pre-commit hook, end to end.
set(ORVEX_DEPLOYMENTS ${ORVEX_TOOL_INPUTS}/deployments)

# Nested deployments, a renamed bridges file (and a stale bridges.json beside
# it that the server does not read), a missing one, a lone bridges file, a
# hidden folder: which files are checked, in which order, and the counts.
orvex_tool_test(deployments.search 1 "--format|json|${ORVEX_DEPLOYMENTS}" STDOUT_FILE deployments.json)
orvex_tool_test(deployments.search_github 1 "--format|github|${ORVEX_DEPLOYMENTS}/"
    STDOUT_FILE deployments.github)
# The server's mode applies to its bridges file: alone, this one passes.
orvex_tool_test(deployments.bridges_alone_under_mode_3 0
    "${ORVEX_DEPLOYMENTS}/region/east/bridges.json" STDOUT_REGEX "^1 file checked: 0 errors")
orvex_tool_test(deployments.nested_folder 0 "${ORVEX_DEPLOYMENTS}/region/east/lab"
    STDOUT_REGEX "^1 deployment, 1 file checked: 0 errors, 0 warnings, 0 notes\n$")
orvex_tool_test(deployments.with_files 1
    "examples/good/bridges.json|${ORVEX_DEPLOYMENTS}/missing|${ORVEX_DEPLOYMENTS}/lone"
    STDOUT_REGEX "^tests/tool/inputs/deployments/missing/orvexbridged_conf.json:4:36: error: [^\n]*gone.json[^\n]* \\[missing_bridges_file\\]\n2 deployments, 3 files checked: 1 error")
orvex_tool_test(deployments.no_config_files 2 "${ORVEX_TOOL_INPUTS}/schemas"
    STDOUT_REGEX "^tests/tool/inputs/schemas: error: no orvexbridged_conf.json or bridges.json in this folder or below \\[no_config_files\\]\n0 deployments")
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
