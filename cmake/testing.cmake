# hb_add_test(<name> SECONDS <limit> [WINE <limit>] COMMAND <command...>
#             [WORKING_DIRECTORY <dir>] [ENVIRONMENT <NAME=value...>] [LABELS <label...>]
#             [RUN_SERIAL])
#
# Every test of the project is registered here, and none without a time limit: a hang then
# fails fast, with the test's name, instead of stalling the run for good. SECONDS is the limit
# in a native build; WINE, when given, replaces it in a Windows build, whose programs pay for
# Wine's start and run slower under it. A few times the test's usual time on a busy machine.
# Builds with sanitizers or coverage counters run the same tests up to twice as slowly and get
# twice the limit.
if(HB_SANITIZE OR HB_COVERAGE)
    set(HB_TEST_SLOWDOWN 2)
else()
    set(HB_TEST_SLOWDOWN 1)
endif()

function(hb_add_test name)
    cmake_parse_arguments(ARG "RUN_SERIAL" "SECONDS;WINE;WORKING_DIRECTORY"
        "COMMAND;ENVIRONMENT;LABELS" ${ARGN})
    if(NOT ARG_SECONDS OR NOT ARG_COMMAND)
        message(FATAL_ERROR "hb_add_test(${name}): a COMMAND and its SECONDS are needed")
    endif()
    set(limit ${ARG_SECONDS})
    if(WIN32 AND ARG_WINE)
        set(limit ${ARG_WINE})
    endif()
    math(EXPR limit "${limit} * ${HB_TEST_SLOWDOWN}")
    set(where "")
    if(ARG_WORKING_DIRECTORY)
        set(where WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
    endif()
    add_test(NAME ${name} COMMAND ${ARG_COMMAND} ${where})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${limit})
    if(ARG_ENVIRONMENT)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
    endif()
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    if(ARG_RUN_SERIAL)
        set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    endif()
endfunction()

# hb_testing_program(<target>): the program links the test builds of the platform (its fault
# injection and counters, platform/test_hooks.h) and of the layers with seams for tests, and
# sees their declarations. Nothing that ships is marked.
function(hb_testing_program target)
    set_target_properties(${target} PROPERTIES HB_TESTING ON)
    target_compile_definitions(${target} PRIVATE HB_TESTING)
endfunction()
