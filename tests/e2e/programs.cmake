# Windows programs of the end-to-end tests, run under Wine by run.sh.
# Included from the module's directory so they can use the generated
# type-library header and IID file.
set(_e2e "${CMAKE_SOURCE_DIR}/tests/e2e")

function(orvalis_e2e_program name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${_e2e})
  orvalis_use_idl_header(${name})
  target_compile_definitions(${name} PRIVATE WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
  target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
  target_link_libraries(${name} PRIVATE ole32 oleaut32 uuid user32 advapi32 version winmm)
endfunction()

orvalis_e2e_program(client_player_b ${_e2e}/client_player_b.cpp ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(client_player_a ${_e2e}/client_player_a.cpp ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(client_mixer ${_e2e}/client_mixer.cpp ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(mbwatch ${_e2e}/mbwatch.cpp)
target_link_options(mbwatch PRIVATE -municode)
# client_wave carries a WAVE resource of its own, which the library plays
# from the host program's resources.
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/client_wave_res.o
  COMMAND ${ORVALIS_WINDRES} --input-format=rc --output-format=coff
          -i ${_e2e}/client_wave.rc -o ${CMAKE_CURRENT_BINARY_DIR}/client_wave_res.o
  DEPENDS ${_e2e}/client_wave.rc
  COMMENT "windres: client_wave.rc")
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/client_wave_res.o PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
orvalis_e2e_program(client_wave ${_e2e}/client_wave.cpp ${CMAKE_CURRENT_BINARY_DIR}/client_wave_res.o ${ORVALIS_IID_SOURCE})
orvalis_add_typelib_check(orvalis)
orvalis_e2e_program(client_cd ${_e2e}/client_cd.cpp ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(client_library_info ${_e2e}/client_library_info.cpp ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(client_host_rules ${_e2e}/client_host_rules.cpp ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(script_error_probe ${_e2e}/script_error_probe.cpp)
# The registration-free host, twice: regfree_client with an application
# manifest that names the side-by-side assemblies, regfree_host without one
# (it activates a context itself). run.sh runs both before it registers
# anything.
configure_file(${_e2e}/regfree_client.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/regfree_client.manifest @ONLY)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/regfree_client_res.o
  COMMAND ${ORVALIS_WINDRES} --input-format=rc --output-format=coff
          -i ${_e2e}/regfree_client.rc -o ${CMAKE_CURRENT_BINARY_DIR}/regfree_client_res.o
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  DEPENDS ${_e2e}/regfree_client.rc ${CMAKE_CURRENT_BINARY_DIR}/regfree_client.manifest
  COMMENT "windres: regfree_client.rc")
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/regfree_client_res.o PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
orvalis_e2e_program(regfree_client ${_e2e}/regfree_client.cpp ${CMAKE_CURRENT_BINARY_DIR}/regfree_client_res.o
  ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(regfree_host ${_e2e}/regfree_client.cpp ${ORVALIS_IID_SOURCE})
foreach(_regfree regfree_client regfree_host)
  target_include_directories(${_regfree} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_options(${_regfree} PRIVATE -municode)
  add_dependencies(${_regfree} orvalis_sxs_manifest vxbrennet_sxs_manifest)
endforeach()
target_compile_definitions(regfree_host PRIVATE REGFREE_OWN_CONTEXT)

orvalis_e2e_program(client_unicode_names ${_e2e}/client_unicode_names.cpp ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(fuzz_dispatch ${_e2e}/fuzz_dispatch.cpp ${ORVALIS_IID_SOURCE})
orvalis_e2e_program(client_lifetimes ${_e2e}/client_lifetimes.cpp ${ORVALIS_IID_SOURCE})
target_link_libraries(client_lifetimes PRIVATE psapi)
# client_threads plays client_wave's sound resource from every thread.
orvalis_e2e_program(client_threads ${_e2e}/client_threads.cpp ${CMAKE_CURRENT_BINARY_DIR}/client_wave_res.o ${ORVALIS_IID_SOURCE})
# The playback watcher of the events companion, with the library's players.
orvalis_e2e_program(client_watcher ${_e2e}/client_watcher.cpp ${ORVALIS_IID_SOURCE}
  ${ORVALISEVENTS_IDL_DIR}/orvalisevents_i.c)
target_include_directories(client_watcher PRIVATE ${ORVALISEVENTS_IDL_DIR})
add_dependencies(client_watcher orvalisevents)
# A test-only in-process server (never shipped): a script's sink for the
# watcher's events where the script host has no WScript.ConnectObject.
# run.sh registers it for the scripts and unregisters it after them.
add_library(event_recorder SHARED ${_e2e}/event_recorder.cpp ${_e2e}/event_recorder.def
  ${ORVALISEVENTS_IDL_DIR}/orvalisevents_i.c)
set_target_properties(event_recorder PROPERTIES PREFIX "" OUTPUT_NAME event_recorder)
target_include_directories(event_recorder PRIVATE ${ORVALISEVENTS_IDL_DIR})
target_compile_definitions(event_recorder PRIVATE WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
target_link_options(event_recorder PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
target_link_libraries(event_recorder PRIVATE ole32 oleaut32 uuid advapi32)
add_dependencies(event_recorder orvalisevents)
