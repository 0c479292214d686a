# vxbrennet.dll: the maker's framework component that the library calls
# late-bound for its About box and error report. A second in-process server
# on the same generic COM layer (orvalis_com), with its own type library and
# resources. Included from WindowsModule.cmake after TypeLibrary.cmake,
# whose widl and windres settings it uses.
set(_vxbrennet_src "${CMAKE_SOURCE_DIR}/vxbrennet")
set(VXBRENNET_IDL_DIR "${CMAKE_CURRENT_BINARY_DIR}/vxbrennet")
set(_vxbrennet_header "${VXBRENNET_IDL_DIR}/vxbrennet_h.h")
set(_vxbrennet_iids "${VXBRENNET_IDL_DIR}/vxbrennet_i.c")
set(_vxbrennet_tlb "${VXBRENNET_IDL_DIR}/vxbrennet.tlb")
# widl's own output; tlbfix gives it the source's time stamp, nothing else.
set(_vxbrennet_raw_tlb "${VXBRENNET_IDL_DIR}/vxbrennet_widl.tlb")
set(_vxbrennet_resources "${VXBRENNET_IDL_DIR}/vxbrennet_res.o")
file(MAKE_DIRECTORY "${VXBRENNET_IDL_DIR}")

add_custom_command(OUTPUT "${_vxbrennet_header}"
  COMMAND ${_orvalis_widl_cmd} -h -o "${_vxbrennet_header}" "${_vxbrennet_src}/vxbrennet.idl"
  DEPENDS "${_vxbrennet_src}/vxbrennet.idl"
  COMMENT "widl: vxbrennet_h.h")
add_custom_command(OUTPUT "${_vxbrennet_iids}"
  COMMAND ${_orvalis_widl_cmd} -u -o "${_vxbrennet_iids}" "${_vxbrennet_src}/vxbrennet.idl"
  DEPENDS "${_vxbrennet_src}/vxbrennet.idl"
  COMMENT "widl: vxbrennet_i.c")
add_custom_command(OUTPUT "${_vxbrennet_raw_tlb}"
  COMMAND ${_orvalis_widl_cmd} -t -o "${_vxbrennet_raw_tlb}" "${_vxbrennet_src}/vxbrennet.idl"
  DEPENDS "${_vxbrennet_src}/vxbrennet.idl"
  COMMENT "widl: vxbrennet.tlb")
add_custom_command(OUTPUT "${_vxbrennet_tlb}"
  COMMAND "${_orvalis_tlbfix}" "${_vxbrennet_raw_tlb}" "${_vxbrennet_tlb}" --keep-order
          --stamp ${ORVALIS_SOURCE_DATE_EPOCH}
  DEPENDS "${_orvalis_tlbfix}" "${_vxbrennet_raw_tlb}" "${ORVALIS_SOURCE_DATE_EPOCH_FILE}"
  COMMENT "tlbfix: vxbrennet.tlb time stamp")
add_custom_command(OUTPUT "${_vxbrennet_resources}"
  COMMAND "${ORVALIS_WINDRES}" --input-format=rc --output-format=coff
          -I "${VXBRENNET_IDL_DIR}" -i "${_vxbrennet_src}/vxbrennet.rc" -o "${_vxbrennet_resources}"
  WORKING_DIRECTORY "${VXBRENNET_IDL_DIR}"
  DEPENDS "${_vxbrennet_src}/vxbrennet.rc" "${_vxbrennet_tlb}"
  COMMENT "windres: vxbrennet.rc")
# The type library alone (tests/release/reproducible_check.sh builds it in a
# second folder).
add_custom_target(vxbrennet_typelib DEPENDS "${_vxbrennet_tlb}")
set_source_files_properties("${_vxbrennet_resources}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
set_source_files_properties("${_vxbrennet_iids}" "${_vxbrennet_header}" PROPERTIES GENERATED TRUE)

file(GLOB _vxbrennet_com_sources CONFIGURE_DEPENDS "${_vxbrennet_src}/com/*.cpp")
add_library(vxbrennet SHARED ${_vxbrennet_com_sources} "${_vxbrennet_header}" "${_vxbrennet_iids}"
  "${_vxbrennet_resources}" "${_vxbrennet_src}/com/vxbrennet.def")
set_target_properties(vxbrennet PROPERTIES PREFIX "" OUTPUT_NAME vxbrennet)
target_include_directories(vxbrennet PRIVATE "${VXBRENNET_IDL_DIR}")
target_link_libraries(vxbrennet PRIVATE orvalis_platform orvalis_com vxbrennet_core)
target_link_options(vxbrennet PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
