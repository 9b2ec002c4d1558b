# Runs orvex-config-validate once and checks what it did.
#   TOOL, WORKDIR          the program and the directory to run it in
#   ARGS                   its arguments, separated by "|"
#   STDIN                  a file to feed on standard input (optional)
#   STATUS                 the exit status expected
#   STDOUT_FILE            a file that standard output must equal (optional)
#   STDOUT_REGEX           a pattern that standard output must match (optional)
#   STDERR_REGEX           a pattern that standard error must match (optional);
#                          without it standard error must be empty
#   JSON_MEMBER, JSON_VALUE  standard output must be JSON whose member at
#                          JSON_MEMBER ("|"-separated path) is JSON_VALUE (optional)
string(REPLACE "|" ";" args "${ARGS}")
set(input_option)
if(STDIN)
    set(input_option INPUT_FILE ${STDIN})
endif()
execute_process(COMMAND ${TOOL} ${args}
    WORKING_DIRECTORY ${WORKDIR}
    ${input_option}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)

set(failures)
if(NOT status STREQUAL STATUS)
    list(APPEND failures "exit status ${status}, expected ${STATUS}")
endif()
if(STDOUT_FILE)
    file(READ ${STDOUT_FILE} expected)
    if(NOT out STREQUAL expected)
        list(APPEND failures "standard output differs from ${STDOUT_FILE}")
    endif()
endif()
if(DEFINED STDOUT_REGEX AND NOT out MATCHES "${STDOUT_REGEX}")
    list(APPEND failures "standard output does not match '${STDOUT_REGEX}'")
endif()
if(DEFINED STDERR_REGEX)
    if(NOT err MATCHES "${STDERR_REGEX}")
        list(APPEND failures "standard error does not match '${STDERR_REGEX}'")
    endif()
elseif(NOT err STREQUAL "")
    list(APPEND failures "unexpected standard error")
endif()
if(JSON_MEMBER)
    string(REPLACE "|" ";" member "${JSON_MEMBER}")
    string(JSON value ERROR_VARIABLE json_error GET "${out}" ${member})
    if(json_error OR NOT value STREQUAL JSON_VALUE)
        list(APPEND failures "member ${JSON_MEMBER} is '${value}' ${json_error}, expected '${JSON_VALUE}'")
    endif()
endif()

if(failures)
    string(REPLACE ";" "\n  " text "${failures}")
    message(FATAL_ERROR "orvex-config-validate ${ARGS}\n  ${text}\n--- stdout ---\n${out}--- stderr ---\n${err}")
endif()
