# Benchmarks of the text subsystem (run by bench/run-text-bench.sh, not by the tests).
if(NOT WIN32)
  # Optimised and without sanitizers: the core sources it needs are compiled in directly.
  add_executable(tokens_bench ${CMAKE_SOURCE_DIR}/bench/tokens_bench.cpp ${CMAKE_SOURCE_DIR}/text/core/tokens.cpp)
  target_include_directories(tokens_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(tokens_bench PRIVATE -O2 ${ZUNDA_WARNINGS})
  add_executable(edits_bench ${CMAKE_SOURCE_DIR}/bench/edits_bench.cpp ${CMAKE_SOURCE_DIR}/text/core/strutils.cpp
                 ${CMAKE_SOURCE_DIR}/tests/support/cp1252_locale.cpp)
  target_include_directories(edits_bench PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(edits_bench PRIVATE -O2 ${ZUNDA_WARNINGS})
else()
  add_executable(dispatch_bench ${CMAKE_SOURCE_DIR}/bench/dispatch_bench.cpp)
  target_compile_definitions(dispatch_bench PRIVATE ${ZUNDA_WIN_DEFS})
  target_compile_options(dispatch_bench PRIVATE -O2 ${ZUNDA_WARNINGS})
  target_link_libraries(dispatch_bench PRIVATE ole32 oleaut32 uuid)
  target_link_options(dispatch_bench PRIVATE ${ZUNDA_STATIC_RUNTIME})
endif()
