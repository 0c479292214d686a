# orvalis.dll: the portable core, the COM layer, the Windows platform
# services and the type library with the module resources.
include(${CMAKE_SOURCE_DIR}/cmake/TypeLibrary.cmake)

# The generic COM layer (class factory, registration, adapter, marshalling,
# error boundary, the runtime's global services) and the Windows platform
# services in */win. Every in-process server of the project links these same
# objects, so they name no class of orvalis.dll: the rest of frame/com
# (class table, bindings, the library's own collection) belongs to
# orvalis.dll alone. A generic file new in frame/com joins this list.
set(ORVALIS_COM_SOURCES)
foreach(_generic ClassFactory ComHostObject DispatchArguments ErrorBoundary Marshal Module
                 PropertyDispatch Registration WindowsLibraryGlobal WindowsPlatform TypeInfoInvoke)
  list(APPEND ORVALIS_COM_SOURCES ${CMAKE_SOURCE_DIR}/frame/com/${_generic}.cpp)
endforeach()
file(GLOB _orvalis_platform_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/win/*.cpp)
list(APPEND ORVALIS_COM_SOURCES ${_orvalis_platform_sources})
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
