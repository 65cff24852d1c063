# Shared helpers for the project's own targets: warnings, sanitizers and test registration.

set(KVAB_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address,undefined or thread")

# Warnings and Qt definitions only: for the tools that run during the build, where a sanitizer report
# about Qt's own uninstrumented internals would stop the build without telling us anything about ours.
function(kvab_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_BYTEARRAY QT_DEPRECATED_WARNINGS_SINCE=0x050F00)
endfunction()

function(kvab_target_options target)
    kvab_target_warnings(${target})
    if(KVAB_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=${KVAB_SANITIZE} -fno-omit-frame-pointer)
        if(KVAB_SANITIZE MATCHES "undefined")
            # Undefined behaviour fails the test instead of printing and going on.
            target_compile_options(${target} PRIVATE -fno-sanitize-recover=undefined)
        endif()
        target_link_options(${target} PRIVATE -fsanitize=${KVAB_SANITIZE})
    endif()
endfunction()

# kvab_add_test(NAME SOURCES a.cpp ... LIBS x y ... [TIMEOUT s] [LABELS l])
# Each test gets a private home so settings, caches and databases never touch the user's own.
function(kvab_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
    kvab_target_options(${name})
    add_test(NAME ${name} COMMAND ${name})
    set(home ${CMAKE_BINARY_DIR}/testhome/${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    if(KVAB_SANITIZE MATCHES "thread")
        # The race checker runs GL cells and the simulator's streams several times slower.
        math(EXPR T_TIMEOUT "${T_TIMEOUT} * 4")
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        LABELS "${T_LABELS}"
        ENVIRONMENT "KVAB_SDK_ENDPOINT=127.0.0.1:9;HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_CACHE_HOME=${home}/cache;XDG_DATA_HOME=${home}/data;XDG_RUNTIME_DIR=${home}/run;KVAB_TEST_HOME=${home}")
    file(MAKE_DIRECTORY ${home}/run)
    # Sanitizer reports fail the test on the spot, with the stack, however it is run. The suppressions
    # (tests/sanitizers/) name only code built without the sanitizer.
    set(san_dir ${PROJECT_SOURCE_DIR}/tests/sanitizers)
    if(KVAB_SANITIZE MATCHES "thread")
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
            "TSAN_OPTIONS=suppressions=${san_dir}/tsan.supp halt_on_error=1 exitcode=66 second_deadlock_stack=1"
            "QTEST_FUNCTION_TIMEOUT=900000")
    endif()
    if(KVAB_SANITIZE MATCHES "address")
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
            "LSAN_OPTIONS=suppressions=${san_dir}/lsan.supp")
    endif()
    if(KVAB_SANITIZE MATCHES "undefined")
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
            "UBSAN_OPTIONS=print_stacktrace=1 halt_on_error=1")
    endif()
endfunction()
