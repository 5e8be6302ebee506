# The manifest and version resource of a Windows program: the system may use
# UTF-8 as the program's code page and long paths, and shows the version and a
# description in the file's properties.
function(mrv_windows_resources target description)
  set(MRV_RES_NAME ${target})
  set(MRV_RES_DESCRIPTION "${description}")
  # The project's version, the packages' too, as the four numbers of the
  # version resource: 3.0 is 3,0,0,0.
  string(REPLACE "." ";" numbers "${PROJECT_VERSION}.0.0.0")
  list(SUBLIST numbers 0 4 numbers)
  list(JOIN numbers "," MRV_RES_VERSION_NUMBERS)
  set(MRV_RES_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${MRV_ROOT}/cmake/windows/program.manifest.in ${MRV_RES_MANIFEST} @ONLY)
  configure_file(${MRV_ROOT}/cmake/windows/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()
