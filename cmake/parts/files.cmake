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

# Programs for the file records: a console and a GUI program with version
# tables in two languages. The GUI program states subsystem version 4.0, as
# programs of the systems the library was made for do.
if(WIN32)
  foreach(kind console gui)
    add_executable(zunda_program_${kind} ${ZUNDA_FILES_DATA}/program.c ${ZUNDA_FILES_DATA}/program.rc)
    set_target_properties(zunda_program_${kind} PROPERTIES OUTPUT_NAME program-${kind}
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-data)
    target_link_options(zunda_program_${kind} PRIVATE -static-libgcc)
    add_dependencies(win_tests zunda_program_${kind})
  endforeach()
  target_link_options(zunda_program_gui PRIVATE -mwindows -Wl,--subsystem,windows:4.0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0)
endif()
