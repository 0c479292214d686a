# The call-cost benchmark of orvalis.dll, a Windows program run under Wine
# by bench/call_bench.sh. Included from the module's directory, after the
# end-to-end programs, whose build rules it shares.
orvalis_e2e_program(call_bench ${CMAKE_SOURCE_DIR}/bench/call_bench.cpp ${ORVALIS_IID_SOURCE})

# The same member's layers (WinMM service, MCI channel, player logic) timed
# apart, on the real Windows services.
add_executable(call_profile ${CMAKE_SOURCE_DIR}/bench/call_profile.cpp
               ${CMAKE_SOURCE_DIR}/frame/win/WindowsRuntime.cpp
               ${CMAKE_SOURCE_DIR}/mci/win/WinmmMciService.cpp)
target_include_directories(call_profile PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(call_profile PRIVATE WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
target_link_options(call_profile PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(call_profile PRIVATE orvalis_core oleaut32 user32 winmm)

# The processor time the playback watcher adds to a waiting host, run under
# Wine by bench/watcher_bench.sh.
orvalis_e2e_program(watcher_bench ${CMAKE_SOURCE_DIR}/bench/watcher_bench.cpp ${ORVALIS_IID_SOURCE}
  ${ORVALISEVENTS_IDL_DIR}/orvalisevents_i.c)
target_include_directories(watcher_bench PRIVATE ${ORVALISEVENTS_IDL_DIR})
target_link_options(watcher_bench PRIVATE -municode)
add_dependencies(watcher_bench orvalisevents)
