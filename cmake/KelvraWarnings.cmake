# Compiler warnings and the optional sanitizer configuration for every target.
add_compile_options(-Wall -Wextra)
# Debug information names files relative to the checkout, so a clone in
# another folder compiles to the same objects and ccache (with its base
# directory set to the checkout, see run.sh) reuses what an earlier build made.
add_compile_options(-fdebug-prefix-map=${CMAKE_SOURCE_DIR}=.)
if(KELVRA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(KELVRA_FUZZ)
  # Every library carries the fuzzer's coverage hooks and the sanitizers;
  # only the fuzz targets link libFuzzer's driver (fuzz/CMakeLists.txt).
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# kelvra_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable registered with CTest; tests run headless.
function(kelvra_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KELVRA_TA_REFERENCE_DIR=${KELVRA_TA_REFERENCE_DIR}"
               TIMEOUT 300)
endfunction()

# kelvra_add_bench(name SOURCES a.cpp LIBS lib1)
function(kelvra_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
