# The windowed demo host (demo_window.exe), a Windows GUI program that uses
# orvalis.dll through COM like any host, built beside the DLL.
add_executable(demo_window WIN32 ${CMAKE_SOURCE_DIR}/demo/demo_window.cpp ${ORVALIS_IID_SOURCE})
orvalis_use_idl_header(demo_window)
target_compile_definitions(demo_window PRIVATE WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
target_link_options(demo_window PRIVATE -municode -static -static-libgcc -static-libstdc++)
target_link_libraries(demo_window PRIVATE ole32 oleaut32 uuid user32 gdi32 comctl32 shell32)
