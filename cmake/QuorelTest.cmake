# quorel_add_test(<target> <source>...)
#
# Builds a GoogleTest/GoogleMock executable from <source>... and registers it
# as exactly one CTest test named <target> (one process per executable, also
# under Wine). Link the code under test afterwards with
#   target_link_libraries(<target> PRIVATE <libs>)
#
# When cross compiling, CTest starts the executable through
# CMAKE_CROSSCOMPILING_EMULATOR (scripts/wine-run). QUOREL_WINE_GTEST=1 tells
# that wrapper to require GoogleTest's own verdict besides the exit code, since
# a crashing program under Wine may still exit with 0.

set(QUOREL_TEST_TIMEOUT 600 CACHE STRING "Timeout in seconds of one test executable")

function(quorel_add_test target)
    if(ARGC LESS 2)
        message(FATAL_ERROR "quorel_add_test(${target}): no source files given")
    endif()

    add_executable(${target} ${ARGN})
    target_link_libraries(${target} PRIVATE quorel_options GTest::gtest_main GTest::gmock)

    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES
        LABELS unit
        TIMEOUT ${QUOREL_TEST_TIMEOUT})
    if(CMAKE_CROSSCOMPILING)
        set_property(TEST ${target} APPEND PROPERTY ENVIRONMENT
            "QUOREL_WINE_GTEST=1"
            "QUOREL_WINEPREFIX=${QUOREL_WINEPREFIX}")
    endif()
endfunction()
