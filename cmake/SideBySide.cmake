# SideBySide.cmake: the side-by-side assembly manifest of an in-process
# server, for hosts that use it without registration.
#
#   orvalis_add_sxs_manifest(<dll-target> ASSEMBLY <name> VERSION <a.b.c.d>
#                            TYPELIB <tlb> CLASS_LIST <header>)
#
# Writes <name>.manifest beside the DLL (in the current binary directory)
# whenever the type library or the class list changes, and builds it with
# the DLL. The host tool sxsmanifest (frame/sxsmanifest/sxsmanifest.cpp,
# compiled with the build machine's C++ compiler) takes the classes from
# the class list that also fills the module's class table, and every
# identifier from the type library the module embeds; see the tool for what
# the manifest lists. The assembly's name must differ from the DLL's base
# name: the loader probes <name>.dll before <name>.manifest and would take
# the DLL, which carries no manifest, for the assembly.
#
# Include after TypeLibrary.cmake, which builds the tool (_orvalis_sxs_tool).

# The manifest's processorArchitecture for the target.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$")
  set(ORVALIS_SXS_ARCH x86)
elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  set(ORVALIS_SXS_ARCH amd64)
else()
  message(FATAL_ERROR "no side-by-side architecture for ${CMAKE_SYSTEM_PROCESSOR}")
endif()

function(orvalis_add_sxs_manifest dll_target)
  cmake_parse_arguments(PARSE_ARGV 1 SXS "" "ASSEMBLY;VERSION;TYPELIB;CLASS_LIST" "")
  set(manifest "${CMAKE_CURRENT_BINARY_DIR}/${SXS_ASSEMBLY}.manifest")
  add_custom_command(OUTPUT "${manifest}"
    COMMAND "${_orvalis_sxs_tool}" "${SXS_TYPELIB}" "${SXS_CLASS_LIST}" "${manifest}"
            --assembly "${SXS_ASSEMBLY}" --version "${SXS_VERSION}" --arch "${ORVALIS_SXS_ARCH}"
            --file "$<TARGET_FILE_NAME:${dll_target}>"
    DEPENDS "${_orvalis_sxs_tool}" "${SXS_TYPELIB}" "${SXS_CLASS_LIST}"
    COMMENT "sxsmanifest: ${SXS_ASSEMBLY}.manifest")
  add_custom_target(${dll_target}_sxs_manifest DEPENDS "${manifest}")
  add_dependencies(${dll_target} ${dll_target}_sxs_manifest)
endfunction()
