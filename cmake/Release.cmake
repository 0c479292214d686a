# Release.cmake: what `cmake --install` puts in a prefix, which is also what
# a release zip holds (scripts/release.sh installs into a folder and zips
# it). Included last from WindowsModule.cmake, so that it sees every server
# module the build defines.
#
#   <prefix>/orvalis.dll, vxbrennet.dll    the in-process servers, and every
#                                          other server module the build has
#                                          (orvalisevents.dll where built)
#   <prefix>/*.sxs.manifest                their registration-free manifests
#   <prefix>/README.txt                    for the host developer
#   <prefix>/LICENSE, CHANGELOG.md
#   <prefix>/samples/                      VBScript and C++ clients as source
#
# ORVALIS_RELEASE_NAME (orvalis-<version>-win32 / -win64) names the zip.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ORVALIS_RELEASE_ARCH win64)
else()
  set(ORVALIS_RELEASE_ARCH win32)
endif()
set(ORVALIS_RELEASE_NAME "orvalis-${PROJECT_VERSION}-${ORVALIS_RELEASE_ARCH}")
# For scripts/release.sh, which reads the name from the build folder.
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/release-name" CONTENT "${ORVALIS_RELEASE_NAME}\n")

# The server modules, listed once the whole project is read, so that a
# module defined after this file (the events companion, orvalisevents.dll,
# where the build has it) joins the release too.
function(_orvalis_release_modules)
  set(_modules orvalis vxbrennet)
  if(TARGET orvalisevents)
    list(APPEND _modules orvalisevents)
  endif()
  foreach(_module IN LISTS _modules)
    install(FILES "$<TARGET_FILE:${_module}>" DESTINATION .)
  endforeach()
  # What a release builds: the modules, with their manifests (scripts/release.sh).
  add_custom_target(release_modules)
  add_dependencies(release_modules ${_modules})
endfunction()
cmake_language(DEFER CALL _orvalis_release_modules)
# Every manifest the build wrote beside the modules (one per module).
install(CODE "
  file(GLOB _manifests \"${CMAKE_BINARY_DIR}/*.sxs.manifest\")
  file(INSTALL \${_manifests} DESTINATION \"\${CMAKE_INSTALL_PREFIX}\")
")
install(FILES "${CMAKE_SOURCE_DIR}/docs/release-readme.txt" DESTINATION . RENAME README.txt)
install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" "${CMAKE_SOURCE_DIR}/CHANGELOG.md" DESTINATION .)
install(FILES "${CMAKE_SOURCE_DIR}/samples/hello.vbs" "${CMAKE_SOURCE_DIR}/samples/hello.cpp"
              "${CMAKE_SOURCE_DIR}/demo/demo.vbs" DESTINATION samples)

# The C++ sample compiles as it is shipped.
add_executable(sample_hello "${CMAKE_SOURCE_DIR}/samples/hello.cpp")
target_link_options(sample_hello PRIVATE -municode -static)
target_link_libraries(sample_hello PRIVATE ole32 oleaut32 uuid)
