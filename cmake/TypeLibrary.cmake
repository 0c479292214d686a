# TypeLibrary.cmake: the Orvalis type library and module resources.
#
# Used only by the MinGW cross configurations (i686 and x86_64); include it
# after project().  It adds custom commands to the including directory, so list
# the outputs as sources of a target defined in that same directory.
#
# Produces:
#   ORVALIS_IDL_HEADER_DIR    folder of the generated orvalis_h.h (add it to
#                             the include path of the COM layer)
#   ORVALIS_IDL_HEADER        ${ORVALIS_IDL_HEADER_DIR}/orvalis_h.h
#   ORVALIS_IID_SOURCE        generated orvalis_i.c: IID_, CLSID_ and LIBID_
#                             definitions; add it to the DLL's sources
#   ORVALIS_TLB               the finished type library (the one embedded)
#   ORVALIS_CLASS_LIST        module/ClassList.h, the classes of orvalis.dll
#   ORVALIS_RESOURCE_OBJECT   orvalis_res.o, the compiled module resources
#                             (type library, _IID_ records, version); add it
#                             to the DLL's sources, it is an external object
#   target orvalis_typelib    builds all of the above
#   function orvalis_use_idl_header(<target>)
#                             include path for orvalis_h.h, and builds it
#                             before <target> compiles
#   function orvalis_add_module_resources(<dll-target>)
#                             the above, plus orvalis_i.c and the resource
#                             object as sources of the DLL
#   function orvalis_add_typelib_check(<dll-target>)
#                             adds the executable typelib_check and a test
#                             that runs it on the DLL (through
#                             CMAKE_CROSSCOMPILING_EMULATOR, e.g. wine)
#
# Steps: widl writes the header, the IID file and a raw type library; the
# host tool tlbfix (frame/tlbfix/tlbfix.cpp, compiled with the build
# machine's C++ compiler) puts the type descriptions in their published
# order, gives MIXERCONTROL's arrays the lower bound 1 and replaces widl's
# time stamps with ORVALIS_SOURCE_DATE_EPOCH (cmake/Reproducible.cmake); the
# host tool
# sxsmanifest (frame/sxsmanifest/sxsmanifest.cpp) writes the _IID_ records
# orvalis_iids.rc from the class list and the finished type library; windres
# compiles module/orvalis.rc, which embeds orvalis.tlb and the records.
#
# A 64-bit configuration (CMAKE_SIZEOF_VOID_P 8) makes the 64-bit type
# library: widl --win64 with _WIN64 defined, so that the IDL's pointer-sized
# values are LongLong, and tlbfix lays the two records that are byte images
# of the platform's mixer structures out packed, as <mmsystem.h> declares
# them.
#
# Settings (cache variables, found automatically when left empty):
#   ORVALIS_WIDL              i686-w64-mingw32-widl
#   ORVALIS_WINDRES           i686-w64-mingw32-windres (or CMAKE_RC_COMPILER)
#   ORVALIS_WIDL_INCLUDE_DIR  folder with oaidl.idl / ocidl.idl (Wine's IDL)
#   ORVALIS_STDOLE2_DIR       folder with stdole2.tlb, for importlib()
#   ORVALIS_HOST_CXX          C++ compiler of the build machine

set(_orvalis_src "${CMAKE_CURRENT_LIST_DIR}/..")
get_filename_component(_orvalis_src "${_orvalis_src}" ABSOLUTE)
set(_orvalis_idl "${_orvalis_src}/frame/orvalis.idl")
set(_orvalis_rc "${_orvalis_src}/module/orvalis.rc")
set(ORVALIS_CLASS_LIST "${_orvalis_src}/module/ClassList.h")
set(_orvalis_tlbfix_src "${_orvalis_src}/frame/tlbfix/tlbfix.cpp")

find_program(ORVALIS_WIDL NAMES i686-w64-mingw32-widl widl REQUIRED)
if(CMAKE_RC_COMPILER)
  set(ORVALIS_WINDRES "${CMAKE_RC_COMPILER}" CACHE FILEPATH "Resource compiler (windres)")
endif()
find_program(ORVALIS_WINDRES NAMES i686-w64-mingw32-windres windres REQUIRED)
find_path(ORVALIS_WIDL_INCLUDE_DIR oaidl.idl
  PATHS /usr/include/wine/wine/windows /usr/include/wine/windows
  NO_CMAKE_FIND_ROOT_PATH)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_orvalis_wine_arch x86_64)
else()
  set(_orvalis_wine_arch i386)
endif()
find_path(ORVALIS_STDOLE2_DIR stdole2.tlb
  PATHS /usr/lib/${_orvalis_wine_arch}-linux-gnu/wine/${_orvalis_wine_arch}-windows
        /usr/lib/x86_64-linux-gnu/wine/${_orvalis_wine_arch}-windows
        /usr/lib/wine/${_orvalis_wine_arch}-windows
        /usr/lib32/wine/${_orvalis_wine_arch}-windows /usr/local/lib/wine/${_orvalis_wine_arch}-windows
  NO_CMAKE_FIND_ROOT_PATH)
find_program(ORVALIS_HOST_CXX NAMES c++ g++ clang++ NO_CMAKE_FIND_ROOT_PATH REQUIRED)
foreach(_var ORVALIS_WIDL_INCLUDE_DIR ORVALIS_STDOLE2_DIR)
  if(NOT ${_var})
    message(FATAL_ERROR "${_var} not found (install libwine-dev and wine32, or set it)")
  endif()
endforeach()

set(ORVALIS_IDL_HEADER_DIR "${CMAKE_CURRENT_BINARY_DIR}/typelib")
set(ORVALIS_IDL_HEADER "${ORVALIS_IDL_HEADER_DIR}/orvalis_h.h")
set(ORVALIS_IID_SOURCE "${ORVALIS_IDL_HEADER_DIR}/orvalis_i.c")
set(ORVALIS_TLB "${ORVALIS_IDL_HEADER_DIR}/orvalis.tlb")
set(ORVALIS_RESOURCE_OBJECT "${ORVALIS_IDL_HEADER_DIR}/orvalis_res.o")
# widl's own output keeps another name, so that windres can never pick it up.
set(_orvalis_raw_tlb "${ORVALIS_IDL_HEADER_DIR}/orvalis_widl.tlb")
set(_orvalis_tlbfix "${ORVALIS_IDL_HEADER_DIR}/tlbfix")
set(_orvalis_iid_records "${ORVALIS_IDL_HEADER_DIR}/orvalis_iids.rc")
file(MAKE_DIRECTORY "${ORVALIS_IDL_HEADER_DIR}")

# The version resource's numbers come from project(VERSION), the one place
# that names the library's version; the text form pads the minor number to
# two digits and the revision to four ("1.00.0101").
set(_orvalis_minor_text "0${PROJECT_VERSION_MINOR}")
string(REGEX REPLACE "^0*([0-9][0-9])$" "\\1" _orvalis_minor_text "${_orvalis_minor_text}")
set(_orvalis_revision_text "000${PROJECT_VERSION_TWEAK}")
string(REGEX REPLACE "^0*([0-9][0-9][0-9][0-9])$" "\\1" _orvalis_revision_text "${_orvalis_revision_text}")
set(ORVALIS_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${_orvalis_minor_text}.${_orvalis_revision_text}")
set(_orvalis_version_header "${ORVALIS_IDL_HEADER_DIR}/orvalis_version.h")
configure_file("${_orvalis_src}/module/orvalis_version.h.in" "${_orvalis_version_header}" @ONLY)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(_orvalis_widl_target --win64 -D_WIN64)
  set(_orvalis_tlbfix_layout --packed MIXERLINECONTROLS --packed MIXERCONTROLDETAILS)
else()
  set(_orvalis_widl_target --win32)
  set(_orvalis_tlbfix_layout)
endif()
set(_orvalis_widl_cmd "${ORVALIS_WIDL}" ${_orvalis_widl_target} -I "${ORVALIS_WIDL_INCLUDE_DIR}" -L "${ORVALIS_STDOLE2_DIR}")

add_custom_command(OUTPUT "${ORVALIS_IDL_HEADER}"
  COMMAND ${_orvalis_widl_cmd} -h -o "${ORVALIS_IDL_HEADER}" "${_orvalis_idl}"
  DEPENDS "${_orvalis_idl}"
  COMMENT "widl: orvalis_h.h")
add_custom_command(OUTPUT "${ORVALIS_IID_SOURCE}"
  COMMAND ${_orvalis_widl_cmd} -u -o "${ORVALIS_IID_SOURCE}" "${_orvalis_idl}"
  DEPENDS "${_orvalis_idl}"
  COMMENT "widl: orvalis_i.c")
add_custom_command(OUTPUT "${_orvalis_raw_tlb}"
  COMMAND ${_orvalis_widl_cmd} -t -o "${_orvalis_raw_tlb}" "${_orvalis_idl}"
  DEPENDS "${_orvalis_idl}"
  COMMENT "widl: type library")

add_custom_command(OUTPUT "${_orvalis_tlbfix}"
  COMMAND "${ORVALIS_HOST_CXX}" -std=c++17 -O2 -o "${_orvalis_tlbfix}" "${_orvalis_tlbfix_src}"
  DEPENDS "${_orvalis_tlbfix_src}"
  COMMENT "host tool: tlbfix")
add_custom_command(OUTPUT "${ORVALIS_TLB}"
  COMMAND "${_orvalis_tlbfix}" "${_orvalis_raw_tlb}" "${ORVALIS_TLB}"
          --lbound MIXERCONTROL.szShortName=1
          --lbound MIXERCONTROL.szName=1
          --lbound MIXERCONTROL.Bounds=1
          --lbound MIXERCONTROL.Metrics=1
          ${_orvalis_tlbfix_layout}
          --last _Collection
          --last LoadResConstants
          --stamp ${ORVALIS_SOURCE_DATE_EPOCH}
  DEPENDS "${_orvalis_tlbfix}" "${_orvalis_raw_tlb}" "${ORVALIS_SOURCE_DATE_EPOCH_FILE}"
  COMMENT "tlbfix: type description order, array bounds and time stamp")

# The host tool that writes what the class list and the type library
# determine: the _IID_ records here, the side-by-side manifests in
# SideBySide.cmake.
set(_orvalis_sxs_tool "${ORVALIS_IDL_HEADER_DIR}/sxsmanifest")
add_custom_command(OUTPUT "${_orvalis_sxs_tool}"
  COMMAND "${ORVALIS_HOST_CXX}" -std=c++17 -O2 -o "${_orvalis_sxs_tool}"
          "${_orvalis_src}/frame/sxsmanifest/sxsmanifest.cpp"
  DEPENDS "${_orvalis_src}/frame/sxsmanifest/sxsmanifest.cpp"
  COMMENT "host tool: sxsmanifest")
add_custom_command(OUTPUT "${_orvalis_iid_records}"
  COMMAND "${_orvalis_sxs_tool}" "${ORVALIS_TLB}" "${ORVALIS_CLASS_LIST}" "${_orvalis_iid_records}" --iid-records
  DEPENDS "${_orvalis_sxs_tool}" "${ORVALIS_TLB}" "${ORVALIS_CLASS_LIST}"
  COMMENT "sxsmanifest: orvalis_iids.rc")

# windres looks for "orvalis.tlb", "orvalis_iids.rc" and "orvalis_version.h" in the working
# directory first.
add_custom_command(OUTPUT "${ORVALIS_RESOURCE_OBJECT}"
  COMMAND "${ORVALIS_WINDRES}" --input-format=rc --output-format=coff
          -I "${ORVALIS_IDL_HEADER_DIR}" -i "${_orvalis_rc}" -o "${ORVALIS_RESOURCE_OBJECT}"
  WORKING_DIRECTORY "${ORVALIS_IDL_HEADER_DIR}"
  DEPENDS "${_orvalis_rc}" "${ORVALIS_TLB}" "${_orvalis_iid_records}" "${_orvalis_version_header}"
  COMMENT "windres: orvalis.rc")

set_source_files_properties("${ORVALIS_RESOURCE_OBJECT}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
set_source_files_properties("${ORVALIS_IID_SOURCE}" "${ORVALIS_IDL_HEADER}" PROPERTIES GENERATED TRUE)

add_custom_target(orvalis_typelib DEPENDS
  "${ORVALIS_IDL_HEADER}" "${ORVALIS_IID_SOURCE}" "${ORVALIS_TLB}" "${ORVALIS_RESOURCE_OBJECT}")

function(orvalis_use_idl_header target)
  target_include_directories(${target} PRIVATE "${ORVALIS_IDL_HEADER_DIR}")
  add_dependencies(${target} orvalis_typelib)
endfunction()

function(orvalis_add_module_resources dll_target)
  orvalis_use_idl_header(${dll_target})
  target_sources(${dll_target} PRIVATE "${ORVALIS_IID_SOURCE}" "${ORVALIS_RESOURCE_OBJECT}")
endfunction()

# typelib_check.exe verifies the DLL's type library and resources. It is
# linked statically so that it runs under Wine without MinGW runtime DLLs.
function(orvalis_add_typelib_check dll_target)
  add_executable(typelib_check "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tests/e2e/typelib_check.cpp")
  target_link_libraries(typelib_check PRIVATE oleaut32 ole32 uuid version)
  target_link_options(typelib_check PRIVATE -static)
  add_test(NAME typelib_check COMMAND typelib_check "$<TARGET_FILE:${dll_target}>")
endfunction()
