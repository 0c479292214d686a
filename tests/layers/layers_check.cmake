# Checks that every include runs downward through the layers:
#   module/                      the server module: may include anything
#   mp3/ cd/ mixer/ wave/        the class folders: frame/, mci/ and their own
#   mci/                         the MCI channel: frame/ and its own
#   frame/                       the ground floor: its own only
# An include of a generated header (no folder in its path) is left alone.
#
#   cmake -DSOURCE_DIR=<checkout> -P tests/layers/layers_check.cmake
cmake_minimum_required(VERSION 3.20)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<checkout> -P layers_check.cmake")
endif()

set(_allowed_frame frame)
set(_allowed_mci frame mci)
foreach(_class_folder mp3 cd mixer wave)
  set(_allowed_${_class_folder} frame mci ${_class_folder})
endforeach()

set(_violations "")
set(_files_read 0)
foreach(_folder frame mci mp3 cd mixer wave)
  file(GLOB_RECURSE _files "${SOURCE_DIR}/${_folder}/*.h" "${SOURCE_DIR}/${_folder}/*.cpp" "${SOURCE_DIR}/${_folder}/*.rc")
  foreach(_file ${_files})
    math(EXPR _files_read "${_files_read} + 1")
    file(STRINGS "${_file}" _includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]+/")
    foreach(_line ${_includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^/\"]+)/.*" "\\1" _target "${_line}")
      if(NOT _target IN_LIST _allowed_${_folder})
        file(RELATIVE_PATH _relative "${SOURCE_DIR}" "${_file}")
        string(APPEND _violations "\n  ${_relative}: ${_line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(_files_read EQUAL 0)
  message(FATAL_ERROR "no source file found under ${SOURCE_DIR}")
endif()
if(_violations)
  message(FATAL_ERROR "includes that run up a layer:${_violations}")
endif()
message(STATUS "layers: ${_files_read} files, every include runs downward")
