# Fails when a committed page differs from what its generator writes now.
#   cmake -DGENERATOR=prog -DPAGE=docs/x.md -P check_generated.cmake
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE generated RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} failed: ${status}")
endif()
file(READ ${PAGE} committed)
if(NOT generated STREQUAL committed)
    message(FATAL_ERROR "${PAGE} has drifted from its source; write it anew with\n"
                        "  ${GENERATOR} > ${PAGE}")
endif()
