# cmake -DEMULATOR=<wrapper or empty> -DPROGRAM=<exe> -DEXPECT=<regex> -P expect_failure.cmake
#
# Passes when running PROGRAM (through EMULATOR, if any) fails and its output
# matches EXPECT; fails, showing the output, when PROGRAM succeeds.

if(NOT PROGRAM)
    message(FATAL_ERROR "expect_failure: PROGRAM not set")
endif()

set(_cmd ${PROGRAM})
if(EMULATOR)
    set(_cmd ${EMULATOR} ${PROGRAM})
endif()

execute_process(
    COMMAND ${_cmd}
    RESULT_VARIABLE _rc
    OUTPUT_VARIABLE _out
    ERROR_VARIABLE _out
    TIMEOUT 240)

if(_rc STREQUAL "0")
    message(FATAL_ERROR
        "expect_failure: ${PROGRAM} was expected to fail but succeeded. Output:\n${_out}")
endif()
if(EXPECT AND NOT _out MATCHES "${EXPECT}")
    message(FATAL_ERROR
        "expect_failure: ${PROGRAM} failed (${_rc}) but its output lacks \"${EXPECT}\". "
        "Output:\n${_out}")
endif()
message(STATUS "expect_failure: ${PROGRAM} failed as expected (${_rc})")
