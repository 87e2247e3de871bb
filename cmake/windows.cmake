# Windows build (x86-64 or i386): the program, and on request the Windows builds of the
# unit tests, the shell tests and the end-to-end driver.
enable_language(RC)
# The toolchain files name the architecture; a native MinGW-w64 build without one takes
# it from the compiler's pointer size.
if(NOT NUVELO_ARCH_TAG)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(NUVELO_ARCH_TAG "x64")
    else()
        set(NUVELO_ARCH_TAG "w32")
    endif()
endif()

file(GLOB SHELL_SOURCES CONFIGURE_DEPENDS app/*_win.cpp wallpaper/*_win.cpp window/*_win.cpp)
list(FILTER SHELL_SOURCES EXCLUDE REGEX "(main|guard)_win\\.cpp$")

set(NUVELO_SYSTEM_LIBS user32 gdi32 advapi32 shell32 kernel32)
# No -fdata-sections: this compiler gives every variable of its own section a .data$
# section, zero-initialised ones included, so the records that should cost nothing in
# the file (.bss) were stored as kilobytes of zeros. No -ffunction-sections either: the
# assembler pads every function's own section to 16 bytes, which cost the x86-64 program
# 1 KiB of code, far more than the few unused functions of a used file; files no one
# calls still stay out.
# -fstack-protector-strong: libssp's guard seeding (CryptAcquireContextA and
# CryptGenRandom, a cryptographic provider loaded at every start) cost 4 to 10 ms of a
# 100 to 200 ms start under Wine (scripts/bench), so the program seeds its guard itself
# with RtlGenRandom (NUVELO_GUARD_SOURCE below): about 25 us.
# The source folder is cut from every path the compiler records, so that the bytes do
# not depend on where the tree was checked out.
set(NUVELO_SIZE_FLAGS -Os -fno-asynchronous-unwind-tables
    -fno-unwind-tables -fstack-protector-strong -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
target_compile_options(nuvelo_core PRIVATE ${NUVELO_SIZE_FLAGS})
# Whatever links the core needs the stack protector's runtime (the driver, the tests).
target_link_options(nuvelo_core INTERFACE -fstack-protector-strong)

# What Windows' binary checks expect of a program: relocatable at a random base (the
# .reloc section stays), no code run from data pages, 64-bit random addresses on
# x86-64, and no compatibility handling for Terminal Server sessions. No link time in
# the header, so that two builds of the same tree give the same bytes.
set(NUVELO_RELEASE_LINK -fstack-protector-strong -Wl,--dynamicbase,--nxcompat,--tsaware
    -Wl,--no-insert-timestamp)
if(NUVELO_ARCH_TAG STREQUAL "x64")
    list(APPEND NUVELO_RELEASE_LINK -Wl,--high-entropy-va)
endif()
# The stack protector's guard seeded at the entry point, without a cryptographic
# provider (app/guard_win.cpp): for the program and what is measured or tested as it.
set(NUVELO_GUARD_SOURCE ${CMAKE_SOURCE_DIR}/app/guard_win.cpp)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(NUVELO_GUARD_LINK -Wl,-e,_NuveloEntry)
else()
    set(NUVELO_GUARD_LINK -Wl,-e,NuveloEntry)
endif()
# Archives without member times, owners or modes (GNU ar's D), whatever the
# installation's default.
foreach(lang C CXX)
    set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
# Functions are declared for Windows 7 (_WIN32_WINNT), so none newer is imported by
# accident; the shell's interfaces for Windows 8 (NTDDI_VERSION: the desktop wallpaper
# interface), which are created at run time and may fail, are declared too.
target_compile_definitions(nuvelo_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0601 NTDDI_VERSION=0x06020000)

add_library(nuvelo_shell STATIC ${SHELL_SOURCES})
target_link_libraries(nuvelo_shell PUBLIC nuvelo_core ${NUVELO_SYSTEM_LIBS})
target_compile_options(nuvelo_shell PRIVATE ${NUVELO_WARNINGS} ${NUVELO_LEAN_FLAGS} ${NUVELO_SIZE_FLAGS})

configure_file(res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
add_executable(Nuvelo WIN32 app/main_win.cpp ${NUVELO_GUARD_SOURCE} res/Nuvelo.rc)
target_include_directories(Nuvelo PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
target_compile_options(Nuvelo PRIVATE ${NUVELO_WARNINGS} ${NUVELO_LEAN_FLAGS} ${NUVELO_SIZE_FLAGS})
target_link_libraries(Nuvelo PRIVATE nuvelo_shell)
target_link_options(Nuvelo PRIVATE -municode -mwindows -static -s -Wl,--gc-sections
    ${NUVELO_RELEASE_LINK} ${NUVELO_GUARD_LINK})
set_target_properties(Nuvelo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_source_files_properties(res/Nuvelo.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/Nuvelo.ico;${CMAKE_SOURCE_DIR}/res/Nuvelo.manifest;${CMAKE_BINARY_DIR}/generated/version.h")
# windres reads the .rc as UTF-8.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# The test programs need GoogleTest's source where Debian puts it (/usr/src/googletest):
# off unless asked for, as the win64 preset does.
option(NUVELO_BUILD_TESTS "Build the Windows test programs" OFF)
if(NUVELO_BUILD_TESTS)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(NUVELO_TEST_LINK -static -municode)

    # The core's unit tests, compiled by the shipped compiler.
    add_executable(nuvelo_unit_tests ${UNIT_TEST_SOURCES})
    target_link_libraries(nuvelo_unit_tests PRIVATE nuvelo_core gtest gtest_main)
    target_link_options(nuvelo_unit_tests PRIVATE -static)
    set_target_properties(nuvelo_unit_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

    # The shell against the real Win32 API: registry, GDI, windows.
    file(GLOB SHELL_TEST_SOURCES CONFIGURE_DEPENDS tests/win/*_test.cpp)
    if(SHELL_TEST_SOURCES)
        # With the program's resources: the icon is loaded at the sizes the system asks for.
        add_executable(nuvelo_shell_tests ${SHELL_TEST_SOURCES} res/Nuvelo.rc)
        target_include_directories(nuvelo_shell_tests PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
        target_link_libraries(nuvelo_shell_tests PRIVATE nuvelo_shell gtest gtest_main)
        target_link_options(nuvelo_shell_tests PRIVATE -static)
        set_target_properties(nuvelo_shell_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    endif()

    # The end-to-end driver: starts Nuvelo.exe as a separate process and watches it.
    file(GLOB DRIVER_SOURCES CONFIGURE_DEPENDS tests/e2e/*.cpp)
    if(DRIVER_SOURCES)
        add_executable(nuvelo_driver ${DRIVER_SOURCES})
        target_include_directories(nuvelo_driver PRIVATE ${CMAKE_SOURCE_DIR})
        target_compile_definitions(nuvelo_driver PRIVATE UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601)
        target_link_libraries(nuvelo_driver PRIVATE nuvelo_core ${NUVELO_SYSTEM_LIBS} ntdll version)
        target_link_options(nuvelo_driver PRIVATE ${NUVELO_TEST_LINK})
        set_target_properties(nuvelo_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    endif()

    # The stack guard's check: the guard's code and entry point as the program has them.
    add_executable(nuvelo_guard_test WIN32 tests/win/guard_win.cpp ${NUVELO_GUARD_SOURCE})
    target_compile_options(nuvelo_guard_test PRIVATE ${NUVELO_WARNINGS} ${NUVELO_SIZE_FLAGS})
    target_link_options(nuvelo_guard_test PRIVATE ${NUVELO_TEST_LINK} -mwindows ${NUVELO_GUARD_LINK})
    set_target_properties(nuvelo_guard_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

    # The benchmark program (scripts/bench, on demand) and the queue hook it loads into
    # the measured program; neither is a test.
    if(EXISTS ${CMAKE_SOURCE_DIR}/tests/bench/bench_win.cpp)
        add_executable(nuvelo_bench tests/bench/bench_win.cpp)
        target_include_directories(nuvelo_bench PRIVATE ${CMAKE_SOURCE_DIR})
        target_link_libraries(nuvelo_bench PRIVATE nuvelo_shell psapi)
        target_link_options(nuvelo_bench PRIVATE ${NUVELO_TEST_LINK})
        add_library(nuvelo_queue_hook SHARED tests/bench/queue_hook_win.cpp)
        target_compile_definitions(nuvelo_queue_hook PRIVATE UNICODE _UNICODE)
        target_link_libraries(nuvelo_queue_hook PRIVATE user32)
        target_link_options(nuvelo_queue_hook PRIVATE -static -s)
        set_target_properties(nuvelo_bench nuvelo_queue_hook PROPERTIES PREFIX ""
            RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    endif()
endif()

# The e2e tests' stand-in for the desktop wallpaper class, which Wine lacks; built by both
# presets, since the i386 tier registers the 32-bit one for the 32-bit program.
add_library(nuvelo_wallpaper_server SHARED tests/server/desktop_wallpaper_server.cpp)
target_compile_definitions(nuvelo_wallpaper_server PRIVATE UNICODE _UNICODE _WIN32_WINNT=0x0602)
target_link_libraries(nuvelo_wallpaper_server PRIVATE ole32 advapi32)
# Undecorated exports: COM looks DllGetClassObject up by that name on i386 too.
target_link_options(nuvelo_wallpaper_server PRIVATE -static -s -Wl,--kill-at)
set_target_properties(nuvelo_wallpaper_server PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS tools/*_win.cpp)
foreach(tool_source ${TOOL_SOURCES})
    get_filename_component(tool_name ${tool_source} NAME_WE)
    string(REPLACE "_win" "" tool_name ${tool_name})
    add_executable(${tool_name} WIN32 ${tool_source} ${NUVELO_GUARD_SOURCE})
    target_compile_options(${tool_name} PRIVATE ${NUVELO_LEAN_FLAGS} ${NUVELO_SIZE_FLAGS})
    target_compile_definitions(${tool_name} PRIVATE UNICODE _UNICODE)
    target_link_libraries(${tool_name} PRIVATE ${NUVELO_SYSTEM_LIBS})
    target_link_options(${tool_name} PRIVATE -municode -mwindows -static -s -Wl,--gc-sections
        ${NUVELO_RELEASE_LINK} ${NUVELO_GUARD_LINK})
    set_target_properties(${tool_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
endforeach()

# The benchmark's programs without the hardening (no stack protector, fixed base, no DEP
# mark; binutils 2.36 and later set those marks unless told not to): the reference window
# as the bare limit, so that the start-up ratio includes what the hardening costs, and
# the timing of the guard's seeding in a process that has not seeded one.
set(bare_flags ${NUVELO_SIZE_FLAGS})
list(REMOVE_ITEM bare_flags -fstack-protector-strong)
foreach(bare_tool "reference_bare;tools/reference_win.cpp" "seed_cost;tools/seed_cost.cpp")
    list(GET bare_tool 0 tool_name)
    list(GET bare_tool 1 tool_source)
    add_executable(${tool_name} WIN32 ${tool_source})
    target_compile_options(${tool_name} PRIVATE ${NUVELO_LEAN_FLAGS} ${bare_flags})
    target_compile_definitions(${tool_name} PRIVATE UNICODE _UNICODE)
    target_link_libraries(${tool_name} PRIVATE ${NUVELO_SYSTEM_LIBS})
    target_link_options(${tool_name} PRIVATE -municode -mwindows -static -s -Wl,--gc-sections
        -Wl,--disable-dynamicbase,--disable-nxcompat,--tsaware -Wl,--no-insert-timestamp)
    if(NUVELO_ARCH_TAG STREQUAL "x64")
        target_link_options(${tool_name} PRIVATE -Wl,--disable-high-entropy-va)
    endif()
    set_target_properties(${tool_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
endforeach()
