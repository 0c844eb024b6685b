# Build helpers shared by every module and test folder.

function(kestrin_enable_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX)
        return()
    endif()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    # GCC 12 reports overlapping copies inside std::string that cannot happen once it inlines
    # deeply (-O3); keep it a warning there rather than fail optimised builds on library code.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-error=restrict)
    endif()
endfunction()

# One GoogleTest executable per area, linked with the shared test support and registered with
# CTest. GUI tests run on Qt's offscreen platform unless a test sets its own environment. TIMEOUT
# (seconds) is for tests that run longer than ctest's default allows.
function(kestrin_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    kestrin_enable_warnings(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} kestrin::test_support GTest::gtest)
    # The test list is read by running the executable at build time, where no display exists:
    # run it (and the tests) through env so that Qt starts on its offscreen platform there too.
    set_target_properties(${name} PROPERTIES
        CROSSCOMPILING_EMULATOR "/usr/bin/env;QT_QPA_PLATFORM=offscreen")
    set(timeout)
    if(ARG_TIMEOUT)
        set(timeout TIMEOUT ${ARG_TIMEOUT})
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENVIRONMENT}" ${timeout})
endfunction()
