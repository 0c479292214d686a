# Reproducible.cmake: two builds of one commit give the same bytes, whatever
# their folder and time. Included from CMakeLists.txt for the cross build,
# before any target is defined.
#
# Produces:
#   ORVALIS_SOURCE_DATE_EPOCH       the moment that stands for the build's
#                                   time: SOURCE_DATE_EPOCH from the
#                                   environment, else the time of the source's
#                                   last commit, else 0
#   ORVALIS_SOURCE_DATE_EPOCH_FILE  a file holding it, rewritten only when it
#                                   changes: steps that write the moment into
#                                   their output depend on it
#
# What stamps a build, and how it is fixed:
#   - the linker's time stamps (PE header and export directory) and so the
#     header's checksum: -Wl,--no-insert-timestamp writes 0;
#   - widl's "Created by WIDL ... at <date>" text and time value in each type
#     library: tlbfix --stamp puts ORVALIS_SOURCE_DATE_EPOCH there
#     (cmake/TypeLibrary.cmake, cmake/VxBrennetModule.cmake);
#   - folder names that __FILE__ or debug data would carry: the source and
#     build folders are mapped to "." and "build".
if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(ORVALIS_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  find_package(Git QUIET)
  set(ORVALIS_SOURCE_DATE_EPOCH 0)
  if(GIT_EXECUTABLE)
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
      WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
      OUTPUT_VARIABLE _orvalis_commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE _orvalis_git_result ERROR_QUIET)
    if(_orvalis_git_result EQUAL 0 AND _orvalis_commit_time MATCHES "^[0-9]+$")
      set(ORVALIS_SOURCE_DATE_EPOCH "${_orvalis_commit_time}")
    endif()
  endif()
endif()
if(NOT ORVALIS_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: ${ORVALIS_SOURCE_DATE_EPOCH}")
endif()
set(ORVALIS_SOURCE_DATE_EPOCH_FILE "${CMAKE_BINARY_DIR}/source_date_epoch")
file(CONFIGURE OUTPUT "${ORVALIS_SOURCE_DATE_EPOCH_FILE}" CONTENT "${ORVALIS_SOURCE_DATE_EPOCH}\n")

# The build folder often lies inside the source folder: its map comes last,
# so that it wins for the files below it.
add_compile_options("-ffile-prefix-map=${CMAKE_SOURCE_DIR}=." "-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
add_link_options(-Wl,--no-insert-timestamp)
