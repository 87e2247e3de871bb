# Fuzz targets (libFuzzer with ASan and UBSan), one executable per tests/fuzz/fuzz_*.cpp,
# each over its own instrumented copy of the core. libFuzzer comes with clang only:
# under clang the targets are built here and each gets a short CTest run over its seed
# corpus; under another compiler one test builds a clang side build through
# scripts/fuzz and runs the same short smoke there.
file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
set(NUVELO_FUZZ_SMOKE_SECONDS 5 CACHE STRING "Seconds of each fuzz target's CTest smoke")

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(NUVELO_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
    add_library(nuvelo_fuzz_core STATIC ${CORE_SOURCES})
    target_include_directories(nuvelo_fuzz_core PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(nuvelo_fuzz_core PRIVATE ${NUVELO_WARNINGS} ${NUVELO_LEAN_FLAGS})
    target_compile_options(nuvelo_fuzz_core PUBLIC ${NUVELO_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
    target_link_options(nuvelo_fuzz_core PUBLIC ${NUVELO_FUZZ_FLAGS})

    add_custom_target(fuzz_all)
    foreach(fuzz_source ${FUZZ_SOURCES})
        get_filename_component(fuzz_name ${fuzz_source} NAME_WE)
        add_executable(${fuzz_name} ${fuzz_source})
        target_link_libraries(${fuzz_name} PRIVATE nuvelo_fuzz_core)
        target_compile_options(${fuzz_name} PRIVATE ${NUVELO_WARNINGS} -fsanitize=fuzzer)
        target_link_options(${fuzz_name} PRIVATE -fsanitize=fuzzer)
        set_target_properties(${fuzz_name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
        add_dependencies(fuzz_all ${fuzz_name})

        # New inputs go to the first folder, so the committed seeds stay as they are.
        set(fuzz_work ${CMAKE_BINARY_DIR}/fuzz/work/${fuzz_name})
        file(MAKE_DIRECTORY ${fuzz_work})
        string(REPLACE "fuzz_" "" fuzz_test ${fuzz_name})
        add_test(NAME fuzz.${fuzz_test}
            COMMAND ${fuzz_name} -max_total_time=${NUVELO_FUZZ_SMOKE_SECONDS} -timeout=10 -rss_limit_mb=2048
                    -print_final_stats=1 -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz/${fuzz_name}-
                    ${fuzz_work} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${fuzz_name})
        set_tests_properties(fuzz.${fuzz_test} PROPERTIES LABELS fuzz TIMEOUT 120)
    endforeach()
elseif(FUZZ_SOURCES)
    add_test(NAME fuzz.smoke
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz --smoke --build-dir ${CMAKE_BINARY_DIR}/fuzz)
    # 77: clang or its libFuzzer runtime is not installed; reported as skipped.
    set_tests_properties(fuzz.smoke PROPERTIES LABELS fuzz TIMEOUT 240 SKIP_RETURN_CODE 77)
endif()
