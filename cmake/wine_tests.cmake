# The tiers that run Windows programs under Wine, registered in the native build so
# that one CTest run reports every tier. scripts/test provides the display and a warm
# wineserver; scripts/wine-run starts the program in the project's prefix.
set(WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run)

# Time-outs are a few times what each tier takes on this 2-core machine under load, so
# a test that hangs fails in minutes rather than holding the run for hours.
set(NUVELO_TIMEOUT_WINE64_UNIT 60)    # measured below 4 s
set(NUVELO_TIMEOUT_WINE64_SHELL 120)  # about 15 s
set(NUVELO_TIMEOUT_E2E 120)           # at most 25 s, most under 10 s
set(NUVELO_TIMEOUT_E2E_LONG_RUN 300)  # 2,000 refreshes: 37 to 73 s
set(NUVELO_TIMEOUT_I386 90)           # qemu-user 10: the longest, 24 s; six starts at once: 5 to 11 s

# Windows path of a file of this machine, as Wine's Z: drive shows it.
function(nuvelo_windows_path out path)
    string(REPLACE "/" "\\" converted "${path}")
    set(${out} "Z:${converted}" PARENT_SCOPE)
endfunction()

nuvelo_windows_path(NUVELO_EXE64 ${NUVELO_WIN64_DIR}/Nuvelo.exe)
nuvelo_windows_path(NUVELO_EXE32 ${NUVELO_WIN32_DIR}/Nuvelo.exe)

add_test(NAME wine64.unit COMMAND ${WINE_RUN} ${NUVELO_WIN64_DIR}/tests/nuvelo_unit_tests.exe --gtest_brief=1)
set_tests_properties(wine64.unit PROPERTIES LABELS wine64 TIMEOUT ${NUVELO_TIMEOUT_WINE64_UNIT})

set(NUVELO_TIMEOUT_WINE64_GUARD 60)   # three starts: about 2 s
add_test(NAME wine64.guard COMMAND ${WINE_RUN} ${NUVELO_WIN64_DIR}/tests/nuvelo_guard_test.exe)
set_tests_properties(wine64.guard PROPERTIES LABELS wine64 TIMEOUT ${NUVELO_TIMEOUT_WINE64_GUARD})

file(GLOB SHELL_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
if(SHELL_TEST_SOURCES)
    add_test(NAME wine64.shell COMMAND ${WINE_RUN} ${NUVELO_WIN64_DIR}/tests/nuvelo_shell_tests.exe --gtest_brief=1)
    set_tests_properties(wine64.shell PROPERTIES LABELS wine64 TIMEOUT ${NUVELO_TIMEOUT_WINE64_SHELL} RUN_SERIAL ON)
endif()

# The two-monitor scenarios' stand-in for the Xinerama library that Wine opens at run
# time: a Linux library of the tests' own, without the sanitizers.
enable_language(C)
add_library(nuvelo_xinerama SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/xinerama_stand_in.c)
set_target_properties(nuvelo_xinerama PROPERTIES OUTPUT_NAME Xinerama SUFFIX .so.1 NO_SONAME ON
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/xinerama)

# Each SCENARIO(name) of the driver is one end-to-end test against the x86-64 build;
# each I386_SCENARIO(name) runs against the i386 build as well (through qemu-user); each
# DUAL_SCENARIO(name) is e2e.dual.name, on two monitors (scripts/wine-run --dual).
file(GLOB DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
foreach(source ${DRIVER_SOURCES})
    # A scenario added to an existing file re-runs the configuration, so its test appears.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(STRINGS ${source} declarations REGEX "^(I386_|DUAL_)?SCENARIO\\([a-z0-9_]+")
    foreach(declaration ${declarations})
        string(REGEX REPLACE "^(I386_|DUAL_)?SCENARIO\\(([a-z0-9_]+).*" "\\2" name "${declaration}")
        if(declaration MATCHES "^DUAL_")
            add_test(NAME e2e.dual.${name} COMMAND ${WINE_RUN} --dual ${CMAKE_BINARY_DIR}/xinerama
                ${NUVELO_WIN64_DIR}/tests/nuvelo_driver.exe ${name} ${NUVELO_EXE64})
            set_tests_properties(e2e.dual.${name} PROPERTIES LABELS "e2e;dual" TIMEOUT ${NUVELO_TIMEOUT_E2E}
                RUN_SERIAL ON)
            continue()
        endif()
        add_test(NAME e2e.${name}
            COMMAND ${WINE_RUN} ${NUVELO_WIN64_DIR}/tests/nuvelo_driver.exe ${name} ${NUVELO_EXE64})
        set(timeout ${NUVELO_TIMEOUT_E2E})
        if(name STREQUAL "long_run_no_leak")
            set(timeout ${NUVELO_TIMEOUT_E2E_LONG_RUN})
        endif()
        set_tests_properties(e2e.${name} PROPERTIES LABELS e2e TIMEOUT ${timeout} RUN_SERIAL ON)
        if(declaration MATCHES "^I386_")
            add_test(NAME i386.${name}
                COMMAND ${WINE_RUN} ${NUVELO_WIN64_DIR}/tests/nuvelo_driver.exe ${name} ${NUVELO_EXE32})
            set_tests_properties(i386.${name} PROPERTIES LABELS i386 TIMEOUT ${NUVELO_TIMEOUT_I386} RUN_SERIAL ON)
        endif()
    endforeach()
endforeach()

# The texts in English: the same scenario under an English locale (Wine takes the
# user's display language from it; every other test runs under Japanese).
add_test(NAME e2e.texts_in_display_language.english
    COMMAND ${WINE_RUN} ${NUVELO_WIN64_DIR}/tests/nuvelo_driver.exe texts_in_display_language ${NUVELO_EXE64})
set_tests_properties(e2e.texts_in_display_language.english PROPERTIES LABELS e2e TIMEOUT ${NUVELO_TIMEOUT_E2E}
    RUN_SERIAL ON ENVIRONMENT NUVELO_TEST_LANG=en_US.UTF-8)
