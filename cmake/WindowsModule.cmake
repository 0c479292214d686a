# orvalis.dll: the portable core, the COM layer, the Windows platform
# services and the type library with the module resources.
include(${CMAKE_SOURCE_DIR}/cmake/TypeLibrary.cmake)

# The generic COM layer (class factory, registration, adapter, marshalling,
# error boundary) and the Windows platform services: everything in
# frame/com and */win except what names orvalis.dll's own classes. Every
# in-process server of the project links these same objects, so a file in
# frame/com that includes Classes.h (orvalis_h.h) joins the list below.
file(GLOB ORVALIS_COM_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/frame/com/*.cpp
  ${CMAKE_SOURCE_DIR}/*/win/*.cpp)
list(FILTER ORVALIS_COM_SOURCES EXCLUDE REGEX
  "/frame/com/(ClassRegistry|EmptyClasses|PendingClasses|clsVxOrvalisABinding)\\.cpp$")
add_library(orvalis_com OBJECT ${ORVALIS_COM_SOURCES})
target_compile_definitions(orvalis_com PUBLIC WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
target_link_libraries(orvalis_com PUBLIC orvalis_core oleaut32 ole32 uuid winmm user32 advapi32 version)

file(GLOB ORVALIS_WINDOWS_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/frame/com/*.cpp
  ${CMAKE_SOURCE_DIR}/*/win/*.cpp
  ${CMAKE_SOURCE_DIR}/*/com/*.cpp)
list(REMOVE_DUPLICATES ORVALIS_WINDOWS_SOURCES)
list(REMOVE_ITEM ORVALIS_WINDOWS_SOURCES ${ORVALIS_COM_SOURCES})
list(FILTER ORVALIS_WINDOWS_SOURCES EXCLUDE REGEX "/vxbrennet/")

add_library(orvalis SHARED ${ORVALIS_WINDOWS_SOURCES} ${CMAKE_SOURCE_DIR}/frame/com/orvalis.def)
orvalis_add_module_resources(orvalis)
set_target_properties(orvalis PROPERTIES PREFIX "" OUTPUT_NAME orvalis)
target_compile_definitions(orvalis PRIVATE WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
target_link_libraries(orvalis PRIVATE orvalis_com orvalis_core oleaut32 ole32 uuid winmm user32 advapi32)
# The C++ runtime is linked in: the DLL imports system DLLs only.
target_link_options(orvalis PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)

include(${CMAKE_SOURCE_DIR}/cmake/VxBrennetModule.cmake)

include(${CMAKE_SOURCE_DIR}/tests/e2e/programs.cmake)
