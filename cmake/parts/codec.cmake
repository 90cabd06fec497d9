# The lh5 codec's native extras: the independent "-lh5-" decoder for the
# tests, and an optimised benchmark against zlib, liblhasa and jlha. The fuzzer is built by
# fuzz/run-lh5-fuzz.sh with clang.
if(NOT WIN32)
  target_include_directories(native_tests PRIVATE /usr/include/liblhasa-1.0)
  target_link_libraries(native_tests PRIVATE lhasa)

  # Built from the codec sources directly: zunda_core carries the sanitizers.
  add_executable(lh5_bench
    ${CMAKE_SOURCE_DIR}/bench/lh5_bench.cpp
    ${CMAKE_SOURCE_DIR}/text/core/lh5.cpp)
  target_include_directories(lh5_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(lh5_bench PRIVATE ${ZUNDA_WARNINGS} -O2)
  target_compile_definitions(lh5_bench PRIVATE NDEBUG)
  target_include_directories(lh5_bench PRIVATE /usr/include/liblhasa-1.0)
  target_link_libraries(lh5_bench PRIVATE z lhasa)
endif()
