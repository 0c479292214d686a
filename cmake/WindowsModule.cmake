# orvalis.dll: the portable core, the COM layer, the Windows platform
# services and the type library with the module resources.
include(${CMAKE_SOURCE_DIR}/cmake/TypeLibrary.cmake)

# The generic COM layer (class factory, registration, adapter, marshalling,
# error boundary, the runtime's global services) and the Windows platform
# services in */win. Every in-process server of the project links these same
# objects, so they name no class of orvalis.dll: the rest of frame/com
# (bindings, the library's own collection) belongs to orvalis.dll alone, as
# does module/ (entry point, class table, exports, resources). A generic
# file new in frame/com joins this list.
set(ORVALIS_COM_SOURCES)
foreach(_generic ClassFactory ComHostObject DispatchArguments ErrorBoundary InterfaceMembers Marshal Module
                 PropertyDispatch Registration WindowsLibraryGlobal TypeInfoInvoke)
  list(APPEND ORVALIS_COM_SOURCES ${CMAKE_SOURCE_DIR}/frame/com/${_generic}.cpp)
endforeach()
file(GLOB _orvalis_platform_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/win/*.cpp)
list(APPEND ORVALIS_COM_SOURCES ${_orvalis_platform_sources})
add_library(orvalis_com OBJECT ${ORVALIS_COM_SOURCES})
# Every late-bound call runs through the dispatch of arguments and the
# lookup of its member, so they are optimised whatever the build type.
set_source_files_properties(${CMAKE_SOURCE_DIR}/frame/com/DispatchArguments.cpp
                            ${CMAKE_SOURCE_DIR}/frame/com/InterfaceMembers.cpp PROPERTIES COMPILE_OPTIONS -O2)
target_compile_definitions(orvalis_com PUBLIC WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
target_link_libraries(orvalis_com PUBLIC orvalis_core oleaut32 ole32 uuid winmm user32 advapi32 version)

# The composition root of the platform services, which every server module
# uses for its objects' Platform.
add_library(orvalis_platform OBJECT ${CMAKE_SOURCE_DIR}/module/WindowsPlatform.cpp)
target_link_libraries(orvalis_platform PUBLIC orvalis_com)

# orvalis.dll: its module folder (entry point, class table, exports,
# resources) over the
# bindings of every class folder.
file(GLOB ORVALIS_WINDOWS_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/module/*.cpp
  ${CMAKE_SOURCE_DIR}/frame/com/*.cpp
  ${CMAKE_SOURCE_DIR}/*/win/*.cpp
  ${CMAKE_SOURCE_DIR}/*/com/*.cpp)
list(REMOVE_DUPLICATES ORVALIS_WINDOWS_SOURCES)
list(REMOVE_ITEM ORVALIS_WINDOWS_SOURCES ${ORVALIS_COM_SOURCES} ${CMAKE_SOURCE_DIR}/module/WindowsPlatform.cpp)
list(FILTER ORVALIS_WINDOWS_SOURCES EXCLUDE REGEX "/(vxbrennet|events)/")

add_library(orvalis SHARED ${ORVALIS_WINDOWS_SOURCES} ${CMAKE_SOURCE_DIR}/module/orvalis.def)
orvalis_add_module_resources(orvalis)
set_target_properties(orvalis PROPERTIES PREFIX "" OUTPUT_NAME orvalis)
target_compile_definitions(orvalis PRIVATE WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
target_link_libraries(orvalis PRIVATE orvalis_platform orvalis_com orvalis_core oleaut32 ole32 uuid winmm user32 advapi32)
# The C++ runtime is linked in: the DLL imports system DLLs only.
target_link_options(orvalis PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)

include(${CMAKE_SOURCE_DIR}/cmake/VxBrennetModule.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/OrvalisEventsModule.cmake)

# The side-by-side manifests beside the DLLs, for registration-free use.
include(${CMAKE_SOURCE_DIR}/cmake/SideBySide.cmake)
set(ORVALIS_ASSEMBLY_VERSION ${PROJECT_VERSION})
set(VXBRENNET_ASSEMBLY_VERSION 1.0.0.1)
orvalis_add_sxs_manifest(orvalis ASSEMBLY Orvalis.sxs VERSION ${ORVALIS_ASSEMBLY_VERSION}
  TYPELIB "${ORVALIS_TLB}" CLASS_LIST ${ORVALIS_CLASS_LIST})
orvalis_add_sxs_manifest(vxbrennet ASSEMBLY VxBrennet.sxs VERSION ${VXBRENNET_ASSEMBLY_VERSION}
  TYPELIB "${VXBRENNET_IDL_DIR}/vxbrennet.tlb" CLASS_LIST ${CMAKE_SOURCE_DIR}/vxbrennet/com/ClassList.h)
orvalis_add_sxs_manifest(orvalisevents ASSEMBLY OrvalisEvents.sxs VERSION 1.0.0.1
  TYPELIB "${ORVALISEVENTS_IDL_DIR}/orvalisevents.tlb" CLASS_LIST ${CMAKE_SOURCE_DIR}/events/com/ClassList.h)

include(${CMAKE_SOURCE_DIR}/tests/e2e/programs.cmake)

# The release artifacts carry no symbols or debug sections (the static C++
# runtime brings its own); the checks in tests/e2e/artifact_check.sh hold
# orvalis.dll under 1 MiB.
foreach(_module orvalis vxbrennet orvalisevents)
  target_link_options(${_module} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
endforeach()
include(${CMAKE_SOURCE_DIR}/demo/demo.cmake)

# The call-cost benchmark (a Windows program run by hand, see README).
include(${CMAKE_SOURCE_DIR}/bench/WindowsBench.cmake)

# What `cmake --install` and the release zips hold (scripts/release.sh).
include(${CMAKE_SOURCE_DIR}/cmake/Release.cmake)
