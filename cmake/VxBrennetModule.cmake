# vxbrennet.dll: the maker's framework component that the library calls
# late-bound for its About box and error report. A second in-process server
# on the same generic COM layer, with its own type library and resources.
include(${CMAKE_SOURCE_DIR}/cmake/ServerModule.cmake)
orvalis_add_server_module(vxbrennet SOURCE_DIR "${CMAKE_SOURCE_DIR}/vxbrennet" CORE vxbrennet_core
  IDL_DIR_VARIABLE VXBRENNET_IDL_DIR)
