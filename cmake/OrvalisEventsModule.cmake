# orvalisevents.dll: the optional events companion of the library. Its one
# class, clsVxAudoWatcherA, watches the library's players from outside and
# raises their playback events through connection points; orvalis.dll knows
# nothing of it. A third in-process server on the generic COM layer
# (orvalis_com), with its own type library and resources, built like
# vxbrennet.dll. Included from WindowsModule.cmake after TypeLibrary.cmake,
# whose widl and windres settings it uses.
set(_orvalisevents_src "${CMAKE_SOURCE_DIR}/events")
set(ORVALISEVENTS_IDL_DIR "${CMAKE_CURRENT_BINARY_DIR}/orvalisevents")
set(_orvalisevents_header "${ORVALISEVENTS_IDL_DIR}/orvalisevents_h.h")
set(_orvalisevents_iids "${ORVALISEVENTS_IDL_DIR}/orvalisevents_i.c")
set(_orvalisevents_tlb "${ORVALISEVENTS_IDL_DIR}/orvalisevents.tlb")
# widl's own output; tlbfix gives it the source's time stamp, nothing else.
set(_orvalisevents_raw_tlb "${ORVALISEVENTS_IDL_DIR}/orvalisevents_widl.tlb")
set(_orvalisevents_resources "${ORVALISEVENTS_IDL_DIR}/orvalisevents_res.o")
file(MAKE_DIRECTORY "${ORVALISEVENTS_IDL_DIR}")

add_custom_command(OUTPUT "${_orvalisevents_header}"
  COMMAND ${_orvalis_widl_cmd} -h -o "${_orvalisevents_header}" "${_orvalisevents_src}/orvalisevents.idl"
  DEPENDS "${_orvalisevents_src}/orvalisevents.idl"
  COMMENT "widl: orvalisevents_h.h")
add_custom_command(OUTPUT "${_orvalisevents_iids}"
  COMMAND ${_orvalis_widl_cmd} -u -o "${_orvalisevents_iids}" "${_orvalisevents_src}/orvalisevents.idl"
  DEPENDS "${_orvalisevents_src}/orvalisevents.idl"
  COMMENT "widl: orvalisevents_i.c")
add_custom_command(OUTPUT "${_orvalisevents_raw_tlb}"
  COMMAND ${_orvalis_widl_cmd} -t -o "${_orvalisevents_raw_tlb}" "${_orvalisevents_src}/orvalisevents.idl"
  DEPENDS "${_orvalisevents_src}/orvalisevents.idl"
  COMMENT "widl: orvalisevents.tlb")
add_custom_command(OUTPUT "${_orvalisevents_tlb}"
  COMMAND "${_orvalis_tlbfix}" "${_orvalisevents_raw_tlb}" "${_orvalisevents_tlb}" --keep-order
          --stamp ${ORVALIS_SOURCE_DATE_EPOCH}
  DEPENDS "${_orvalis_tlbfix}" "${_orvalisevents_raw_tlb}" "${ORVALIS_SOURCE_DATE_EPOCH_FILE}"
  COMMENT "tlbfix: orvalisevents.tlb time stamp")
add_custom_command(OUTPUT "${_orvalisevents_resources}"
  COMMAND "${ORVALIS_WINDRES}" --input-format=rc --output-format=coff
          -I "${ORVALISEVENTS_IDL_DIR}" -i "${_orvalisevents_src}/orvalisevents.rc" -o "${_orvalisevents_resources}"
  WORKING_DIRECTORY "${ORVALISEVENTS_IDL_DIR}"
  DEPENDS "${_orvalisevents_src}/orvalisevents.rc" "${_orvalisevents_tlb}"
  COMMENT "windres: orvalisevents.rc")
# The type library alone (tests/release/reproducible_check.sh builds it in a
# second folder).
add_custom_target(orvalisevents_typelib DEPENDS "${_orvalisevents_tlb}")
set_source_files_properties("${_orvalisevents_resources}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
set_source_files_properties("${_orvalisevents_iids}" "${_orvalisevents_header}" PROPERTIES GENERATED TRUE)

file(GLOB _orvalisevents_com_sources CONFIGURE_DEPENDS "${_orvalisevents_src}/com/*.cpp")
add_library(orvalisevents SHARED ${_orvalisevents_com_sources} "${_orvalisevents_header}" "${_orvalisevents_iids}"
  "${_orvalisevents_resources}" "${_orvalisevents_src}/com/orvalisevents.def")
set_target_properties(orvalisevents PROPERTIES PREFIX "" OUTPUT_NAME orvalisevents)
target_include_directories(orvalisevents PRIVATE "${ORVALISEVENTS_IDL_DIR}")
target_link_libraries(orvalisevents PRIVATE orvalis_platform orvalis_com orvalisevents_core)
target_link_options(orvalisevents PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
