# orvalis_add_server_module(): one more in-process server on the generic COM
# layer (orvalis_com, orvalis_platform), with its own type library and
# resources: vxbrennet.dll and orvalisevents.dll are made this way. Included
# from WindowsModule.cmake after TypeLibrary.cmake, whose widl, tlbfix and
# windres settings it uses.
#
#   orvalis_add_server_module(<name> SOURCE_DIR <dir> CORE <core-target>
#                             IDL_DIR_VARIABLE <variable>)
#
# <dir> holds <name>.idl, <name>.rc and com/: the class list, the class table,
# the bindings, DllMain.cpp and <name>.def. widl's type library goes through
# tlbfix --stamp (the source's time, not the build's, for reproducible
# bytes), and windres embeds it. <variable> is set in the caller's scope to
# the folder of the generated header (<name>_h.h), IIDs (<name>_i.c) and
# type library (<name>.tlb); the target <name>_typelib makes the type library
# alone.
function(orvalis_add_server_module name)
  cmake_parse_arguments(PARSE_ARGV 1 MODULE "" "SOURCE_DIR;CORE;IDL_DIR_VARIABLE" "")
  set(src "${MODULE_SOURCE_DIR}")
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${name}")
  set(idl "${src}/${name}.idl")
  set(header "${out}/${name}_h.h")
  set(iids "${out}/${name}_i.c")
  set(raw_tlb "${out}/${name}_widl.tlb")
  set(tlb "${out}/${name}.tlb")
  set(resources "${out}/${name}_res.o")
  file(MAKE_DIRECTORY "${out}")

  add_custom_command(OUTPUT "${header}"
    COMMAND ${_orvalis_widl_cmd} -h -o "${header}" "${idl}"
    DEPENDS "${idl}" COMMENT "widl: ${name}_h.h")
  add_custom_command(OUTPUT "${iids}"
    COMMAND ${_orvalis_widl_cmd} -u -o "${iids}" "${idl}"
    DEPENDS "${idl}" COMMENT "widl: ${name}_i.c")
  add_custom_command(OUTPUT "${raw_tlb}"
    COMMAND ${_orvalis_widl_cmd} -t -o "${raw_tlb}" "${idl}"
    DEPENDS "${idl}" COMMENT "widl: ${name}.tlb")
  add_custom_command(OUTPUT "${tlb}"
    COMMAND "${_orvalis_tlbfix}" "${raw_tlb}" "${tlb}" --keep-order --stamp ${ORVALIS_SOURCE_DATE_EPOCH}
    DEPENDS "${_orvalis_tlbfix}" "${raw_tlb}" "${ORVALIS_SOURCE_DATE_EPOCH_FILE}"
    COMMENT "tlbfix: ${name}.tlb time stamp")
  add_custom_command(OUTPUT "${resources}"
    COMMAND "${ORVALIS_WINDRES}" --input-format=rc --output-format=coff
            -I "${out}" -i "${src}/${name}.rc" -o "${resources}"
    WORKING_DIRECTORY "${out}"
    DEPENDS "${src}/${name}.rc" "${tlb}"
    COMMENT "windres: ${name}.rc")
  # The type library alone (tests/release/reproducible_check.sh builds it in
  # a second folder).
  add_custom_target(${name}_typelib DEPENDS "${tlb}")
  set_source_files_properties("${resources}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  set_source_files_properties("${iids}" "${header}" PROPERTIES GENERATED TRUE)

  file(GLOB com_sources CONFIGURE_DEPENDS "${src}/com/*.cpp")
  add_library(${name} SHARED ${com_sources} "${header}" "${iids}" "${resources}" "${src}/com/${name}.def")
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_include_directories(${name} PRIVATE "${out}")
  target_link_libraries(${name} PRIVATE orvalis_platform orvalis_com ${MODULE_CORE})
  target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
  set(${MODULE_IDL_DIR_VARIABLE} "${out}" PARENT_SCOPE)
endfunction()
