# Native build: the core under the sanitizers, its unit tests, the fuzz targets, and
# the registration of every Windows tier so that one CTest run covers all of them.
option(NUVELO_SANITIZE "Build the core and its tests with ASan and UBSan" ON)
if(NUVELO_SANITIZE)
    set(NUVELO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(nuvelo_core PUBLIC ${NUVELO_SANITIZER_FLAGS})
    target_link_options(nuvelo_core PUBLIC ${NUVELO_SANITIZER_FLAGS})
endif()
# Uninitialised locals get a non-zero pattern, not whatever the stack held (often 0):
# a read of one then shows in every test, not only when the stack happens to differ.
target_compile_options(nuvelo_core PUBLIC -ftrivial-auto-var-init=pattern)

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(nuvelo_unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(nuvelo_unit_tests PRIVATE nuvelo_core GTest::gtest GTest::gtest_main)
target_compile_options(nuvelo_unit_tests PRIVATE ${NUVELO_WARNINGS})
gtest_discover_tests(nuvelo_unit_tests TEST_PREFIX "unit." PROPERTIES LABELS unit DISCOVERY_TIMEOUT 30)

if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
    include(cmake/fuzz.cmake)
endif()

# The Windows tiers: the executables come from the win64 and win32 presets.
set(NUVELO_WIN64_DIR ${CMAKE_SOURCE_DIR}/build/win64 CACHE PATH "win64 build folder")
set(NUVELO_WIN32_DIR ${CMAKE_SOURCE_DIR}/build/win32 CACHE PATH "win32 build folder")
option(NUVELO_WINE_TESTS "Register the tests that run under Wine" ON)
if(NUVELO_WINE_TESTS)
    include(cmake/wine_tests.cmake)
endif()
include(cmake/release_tests.cmake)
