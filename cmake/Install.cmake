# Where the programs and their files go when installed, and the packages CPack
# makes of them (scripts/package.sh runs it):
#  - Linux: a Debian package (cpack -G DEB) of mrvmaker and mrvtool, with the
#    desktop entry, the icon in the hicolor theme, AppStream metadata, manual
#    pages in English and Korean, bash completion, the copyright file and the
#    changelog. Its dependencies are read from the programs by dpkg-shlibdeps.
#  - Windows: a zip (cpack -G ZIP) of the programs, stripped, with a Korean
#    read-me and the icon.
# The data files live in packaging/; the icons are drawn by
# res/art/package_icons.py. Included once, after every target is defined.
include(GNUInstallDirs)

set(MRV_PACKAGE_HOMEPAGE "https://morvanta.example/mrvmaker" CACHE STRING
  "The project's web address, named by the packages (the screenshots are under docs/ there)")
set(MRV_PACKAGE_MAINTAINER "mrvmaker maintainers <maintainers@users.noreply.c-seed-2f2b8d5f.example>" CACHE STRING
  "The Debian package's maintainer")
set(mrv_app_id com.morvanta.mrvmaker)
set(mrv_packaging ${MRV_ROOT}/packaging)
set(mrv_staged ${CMAKE_BINARY_DIR}/packaging)

set(CPACK_PACKAGE_NAME mrvmaker)
set(CPACK_PACKAGE_VENDOR Morvanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "handset ringtone link maker and music registry editor")
set(CPACK_PACKAGE_HOMEPAGE_URL ${MRV_PACKAGE_HOMEPAGE})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # Everything in the zip's one folder: the programs, the read-me, the icon.
  set(mrv_programs mrvtool)
  set(MRV_WINDOWS_FILES "  mrvtool.exe    명령줄 도구\n")
  if(TARGET mrvmaker)
    list(PREPEND mrv_programs mrvmaker)
    set(MRV_WINDOWS_FILES "  mrvmaker.exe   프로그램 (두 번 클릭해서 실행)\n${MRV_WINDOWS_FILES}")
  endif()
  string(APPEND MRV_WINDOWS_FILES "  mrvmaker.ico   아이콘 (바로 가기에 쓸 수 있습니다)\n  README.txt     이 글\n")
  set(MRV_WINDOWS_ARCH ${CMAKE_SYSTEM_PROCESSOR})
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MRV_WINDOWS_BITS "64비트")
  else()
    set(MRV_WINDOWS_BITS "32비트와 64비트")
  endif()
  # Notepad of Windows 7 reads UTF-8 only with its byte order mark, and wants
  # CR LF line ends.
  configure_file(${mrv_packaging}/windows/README.txt.in ${mrv_staged}/README.lf @ONLY)
  file(READ ${mrv_staged}/README.lf readme)
  string(REPLACE "\n" "\r\n" readme "${readme}")
  string(ASCII 239 187 191 bom)
  file(WRITE ${mrv_staged}/README.txt "${bom}${readme}")

  install(TARGETS ${mrv_programs} RUNTIME DESTINATION .)
  install(FILES ${mrv_staged}/README.txt ${mrv_packaging}/icons/mrvmaker.ico DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME mrvmaker-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  include(CPack)
  return()
endif()

# The date of the changelog's newest entry is the release's date: in the
# AppStream release and on the manual pages.
file(STRINGS ${mrv_packaging}/changelog mrv_signoffs REGEX "^ -- ")
list(GET mrv_signoffs 0 mrv_signoff)
if(NOT mrv_signoff MATCHES ", ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: no date in '${mrv_signoff}'")
endif()
set(mrv_day ${CMAKE_MATCH_1})
set(mrv_month_name ${CMAKE_MATCH_2})
set(mrv_year ${CMAKE_MATCH_3})
set(mrv_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND mrv_months ${mrv_month_name} mrv_month)
if(mrv_month LESS 0)
  message(FATAL_ERROR "packaging/changelog: no month '${mrv_month_name}' in '${mrv_signoff}'")
endif()
math(EXPR mrv_month "${mrv_month} + 1" OUTPUT_FORMAT DECIMAL)
string(LENGTH "${mrv_month}" mrv_length)
if(mrv_length EQUAL 1)
  set(mrv_month "0${mrv_month}")
endif()
string(LENGTH "${mrv_day}" mrv_length)
if(mrv_length EQUAL 1)
  set(mrv_day "0${mrv_day}")
endif()
set(MRV_RELEASE_DATE ${mrv_year}-${mrv_month}-${mrv_day})
set(MRV_MAN_DATE ${MRV_RELEASE_DATE})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${mrv_packaging}/changelog)

# Manual pages and the changelog are installed compressed, as Debian wants:
# gzip -9n, which leaves out the name and time, so the bytes never change.
find_program(MRV_GZIP gzip REQUIRED)
set(mrv_compressed)
function(mrv_compressed_copy source staged)
  add_custom_command(OUTPUT ${staged}.gz
    COMMAND ${MRV_GZIP} -9nkf ${staged}
    DEPENDS ${staged} ${source}
    COMMENT "Compressing ${staged}"
    VERBATIM)
  set(mrv_compressed ${mrv_compressed} ${staged}.gz PARENT_SCOPE)
endfunction()

set(mrv_pages mrvtool)
if(TARGET mrvmaker)
  list(APPEND mrv_pages mrvmaker)
endif()
foreach(page ${mrv_pages})
  foreach(lang en ko)
    set(suffix "")
    if(NOT lang STREQUAL en)
      set(suffix .${lang})
    endif()
    configure_file(${mrv_packaging}/man/${page}${suffix}.1.in ${mrv_staged}/man/${lang}/${page}.1 @ONLY)
    mrv_compressed_copy(${mrv_packaging}/man/${page}${suffix}.1.in ${mrv_staged}/man/${lang}/${page}.1)
  endforeach()
  install(FILES ${mrv_staged}/man/en/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${mrv_staged}/man/ko/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ko/man1)
endforeach()
configure_file(${mrv_packaging}/changelog ${mrv_staged}/changelog COPYONLY)
mrv_compressed_copy(${mrv_packaging}/changelog ${mrv_staged}/changelog)
add_custom_target(mrv_packaging_files ALL DEPENDS ${mrv_compressed})

install(TARGETS mrvtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${mrv_packaging}/mrvtool.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME mrvtool)
install(FILES ${mrv_packaging}/copyright ${mrv_staged}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(TARGET mrvmaker)
  install(TARGETS mrvmaker RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${mrv_packaging}/${mrv_app_id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(${mrv_packaging}/${mrv_app_id}.metainfo.xml.in ${mrv_staged}/${mrv_app_id}.metainfo.xml @ONLY)
  install(FILES ${mrv_staged}/${mrv_app_id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${mrv_packaging}/icons/mrvmaker-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${mrv_app_id}.png)
  endforeach()
  install(FILES ${mrv_packaging}/icons/mrvmaker.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${mrv_app_id}.svg)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_DESCRIPTION "mrvmaker is a desktop tool with a Korean user interface for owners of one
mobile handset model. It writes the handset's ringtone link files
(MRV_Dat00001, MOD_Dat00001, ...), edits the handset's music registry
modreg.dat (list, add and delete entries, with a timestamped backup before
every change), and finds streamed .zqm music files. Every change to
modreg.dat happens whole or not at all.

mrvtool, a command-line tool over the same format code, does the same for
scripts and batch work.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MRV_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the libraries: the window's Korean texts need a Korean font (the
# dialogs ask for Baekmuk Gulim first); opening folders and files goes through
# xdg-open; the toolkit's own buttons are Korean with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-baekmuk | fonts-nanum | fonts-noto-cjk | fonts-unfonts-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
