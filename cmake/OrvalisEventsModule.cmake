# orvalisevents.dll: the optional events companion of the library. Its one
# class, clsVxAudoWatcherA, watches the library's players from outside and
# raises their playback events through connection points; orvalis.dll knows
# nothing of it. A third in-process server on the generic COM layer, with
# its own type library and resources.
include(${CMAKE_SOURCE_DIR}/cmake/ServerModule.cmake)
orvalis_add_server_module(orvalisevents SOURCE_DIR "${CMAKE_SOURCE_DIR}/events" CORE orvalisevents_core
  IDL_DIR_VARIABLE ORVALISEVENTS_IDL_DIR)
