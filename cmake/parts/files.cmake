# Fixtures of the file tests: a small DLL with a version resource, copied
# with the other test data into the Wine prefix's C:\zunda.
if(WIN32)
  set(ZUNDA_FILES_DATA ${CMAKE_SOURCE_DIR}/tests/files/data)
  add_library(zunda_versioned SHARED ${ZUNDA_FILES_DATA}/versioned.c ${ZUNDA_FILES_DATA}/versioned.rc)
  set_target_properties(zunda_versioned PROPERTIES PREFIX "" OUTPUT_NAME versioned
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-data
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-data-lib)
  target_compile_options(zunda_versioned PRIVATE -Wall -Wextra -Werror)
  target_link_options(zunda_versioned PRIVATE -static-libgcc)
  add_dependencies(win_tests zunda_versioned)
endif()
