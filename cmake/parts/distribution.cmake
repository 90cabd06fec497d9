# The object reference and the registration-free manifest, both generated
# from the type library's one source:
#   tlbdump.exe  - dumps the compiled type library as JSON (run under Wine by
#                  scripts/make-reference.sh, which renders dist/Zunda-reference.html)
#   Zunda.manifest - the assembly manifest listing every class, written from the IDL
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZUNDA_MANIFEST_ARCH amd64)
  else()
    set(ZUNDA_MANIFEST_ARCH x86)
  endif()
  add_executable(tlbdump ${CMAKE_SOURCE_DIR}/tools/tlbdump.cpp)
  target_compile_definitions(tlbdump PRIVATE ${ZUNDA_WIN_DEFS})
  target_compile_options(tlbdump PRIVATE ${ZUNDA_WARNINGS} -municode)
  target_link_options(tlbdump PRIVATE ${ZUNDA_STATIC_RUNTIME} -municode)
  target_link_libraries(tlbdump PRIVATE ole32 oleaut32 uuid)

  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/dist/Zunda.manifest
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/make-manifest.py ${CMAKE_SOURCE_DIR}/server/Zunda.idl
            ${CMAKE_BINARY_DIR}/dist/Zunda.manifest ${ZUNDA_MANIFEST_ARCH}
    DEPENDS ${CMAKE_SOURCE_DIR}/server/Zunda.idl ${CMAKE_SOURCE_DIR}/tools/make-manifest.py VERBATIM)
  add_custom_target(zunda_manifest ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/Zunda.manifest)
  add_dependencies(zunda_manifest dist)
endif()

# The registration-free client: its own manifest (resource type 24, id 1)
# names the assembly "Zunda"; the run puts Zunda.dll and dist/Zunda.manifest
# beside it in a prefix where nothing is registered.
if(WIN32)
  configure_file(${CMAKE_SOURCE_DIR}/tests/server/regfree_client.manifest.in
                 ${CMAKE_BINARY_DIR}/generated/regfree_client.manifest @ONLY)
  file(WRITE ${CMAKE_BINARY_DIR}/generated/regfree_client.rc
       "1 24 \"${CMAKE_BINARY_DIR}/generated/regfree_client.manifest\"\n")
  add_executable(regfree_client ${CMAKE_SOURCE_DIR}/tests/server/regfree_client.cpp ${GEN}/Zunda_i.c
                 ${CMAKE_BINARY_DIR}/generated/regfree_client.rc)
  target_include_directories(regfree_client PRIVATE ${GEN})
  target_compile_definitions(regfree_client PRIVATE ${ZUNDA_WIN_DEFS})
  target_compile_options(regfree_client PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${ZUNDA_WARNINGS}>)
  target_link_options(regfree_client PRIVATE ${ZUNDA_STATIC_RUNTIME})
  target_link_libraries(regfree_client PRIVATE ole32 oleaut32 uuid)
  add_dependencies(regfree_client zunda_idl)
  add_dependencies(win_tests regfree_client)
endif()
