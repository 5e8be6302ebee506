# The manifest and version resource of a Windows program: the system may use
# UTF-8 as the program's code page and long paths, and shows the version and a
# description in the file's properties. With DIALOGS, a program that shows the
# dialogs also gets their icon and bitmap, the common controls of version 6
# and per-monitor DPI awareness.
function(mrv_windows_resources target description)
  cmake_parse_arguments(PARSE_ARGV 2 arg "DIALOGS" "" "")
  set(MRV_RES_NAME ${target})
  set(MRV_RES_DESCRIPTION "${description}")
  # The project's version, the packages' too, as the four numbers of the
  # version resource: 3.0 is 3,0,0,0.
  string(REPLACE "." ";" numbers "${PROJECT_VERSION}.0.0.0")
  list(SUBLIST numbers 0 4 numbers)
  list(JOIN numbers "," MRV_RES_VERSION_NUMBERS)
  set(MRV_RES_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(MRV_RES_DEPENDENCY "")
  set(MRV_RES_DPI "")
  set(MRV_RES_IMAGES "")
  if(arg_DIALOGS)
    file(READ ${MRV_ROOT}/cmake/windows/dialogs.manifest.in MRV_RES_DEPENDENCY)
    set(MRV_RES_DPI "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>
      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>")
    set(MRV_RES_IMAGES "128 ICON \"${MRV_ROOT}/res/win/icon128.ico\"\n129 BITMAP \"${MRV_ROOT}/res/win/bitmap129.bmp\"")
  endif()
  configure_file(${MRV_ROOT}/cmake/windows/program.manifest.in ${MRV_RES_MANIFEST} @ONLY)
  configure_file(${MRV_ROOT}/cmake/windows/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  if(arg_DIALOGS)
    set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS
      ${MRV_ROOT}/res/win/icon128.ico ${MRV_ROOT}/res/win/bitmap129.bmp)
  endif()
endfunction()
