# A tool built to link its run-time libraries into itself needs no dynamic
# loader and no shared library, and still runs; a shared dependency that
# slipped in would bring back the loader's start-up work on every check.
find_program(ORVEX_READELF readelf)
if(ORVEX_STATIC_TOOL AND ORVEX_BASH_PROGRAM AND ORVEX_READELF)
    add_test(NAME tool.start.static
        COMMAND ${ORVEX_BASH_PROGRAM} -c [[
if "$1" -lW "$0" | grep -q 'program interpreter'; then
    echo "needs the dynamic loader:"; "$1" -dW "$0" | grep NEEDED
else
    "$0" --version
fi]] $<TARGET_FILE:orvex-config-validate> ${ORVEX_READELF})
    set_tests_properties(tool.start.static PROPERTIES LABELS "tool;e2e"
        PASS_REGULAR_EXPRESSION "^orvex-config-validate [0-9.]+\n$")
endif()
