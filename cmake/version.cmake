# mv_write_version_header(DIR VERSION): writes DIR/mv_version.h with the parts and the text of VERSION
# (MAJOR.MINOR.PATCH) and the release's manufacturer and copyright, for the programs' version resources
# (resources/version.rc) and mvconfig --version.
function(mv_write_version_header dir version)
  if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
    message(FATAL_ERROR "version ${version} is not MAJOR.MINOR.PATCH")
  endif()
  set(MV_VERSION_MAJOR ${CMAKE_MATCH_1})
  set(MV_VERSION_MINOR ${CMAKE_MATCH_2})
  set(MV_VERSION_PATCH ${CMAKE_MATCH_3})
  set(MV_VERSION_TEXT ${version})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/mv_version.h.in ${dir}/mv_version.h @ONLY)
endfunction()
