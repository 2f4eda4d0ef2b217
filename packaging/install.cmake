# Installation (cmake --install, honouring --prefix and DESTDIR) and the Debian package
# (make package, through CPack). Included once from the top-level CMakeLists.txt.
#
#   <prefix>/lib/kinetrace/      the program, its Qt module and its font, together
#   <prefix>/bin/kinetrace       a relative link to the program
#   <prefix>/share/...           desktop entry, file type, icons, AppStream, manual page,
#                                bash completion, copyright and changelog

set(KINETRACE_APP_ID "io.github.kinetrace.Kinetrace")
set(KINETRACE_LICENSE "LicenseRef-proprietary" CACHE STRING
    "SPDX expression of the program's licence (AppStream project_license)")
set(KINETRACE_LICENSE_TEXT "no licence has been granted yet; all rights reserved." CACHE STRING
    "Licence text of the package's copyright file")
set(KINETRACE_MAINTAINER "Kinetrace maintainers <maintainers@kinetrace.invalid>" CACHE STRING
    "Maintainer of the Debian package")
set(KINETRACE_HOMEPAGE "https://kinetrace.github.io/" CACHE STRING "The program's homepage")
set(KINETRACE_SCREENSHOT_URL "https://kinetrace.github.io/window.png" CACHE STRING
    "Where docs/window.png is published, for the AppStream screenshot")
set(KINETRACE_SCREENSHOT_WIDTH 562)
set(KINETRACE_SCREENSHOT_HEIGHT 451)
option(KINETRACE_FONT_LINK
       "Install the font as a relative link to KINETRACE_FONT_SOURCE instead of a copy" OFF)

set(kt_program_dir lib/kinetrace)
set(kt_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(kt_generated ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${kt_generated})

# ---- Generated files ----

configure_file(${kt_packaging}/${KINETRACE_APP_ID}.metainfo.xml
               ${kt_generated}/${KINETRACE_APP_ID}.metainfo.xml @ONLY)
configure_file(${kt_packaging}/copyright ${kt_generated}/copyright @ONLY)
configure_file(${kt_packaging}/changelog ${kt_generated}/changelog @ONLY)
# Compressed without a name or time stamp, so that the same sources give the same bytes.
add_custom_command(
  OUTPUT ${kt_generated}/kinetrace.1.gz ${kt_generated}/changelog.gz
  COMMAND gzip -9nc ${kt_packaging}/kinetrace.1 > ${kt_generated}/kinetrace.1.gz
  COMMAND gzip -9nc ${kt_generated}/changelog > ${kt_generated}/changelog.gz
  DEPENDS ${kt_packaging}/kinetrace.1 ${kt_generated}/changelog
  COMMENT "Compressing the manual page and the changelog")
add_custom_target(kinetrace_docs ALL
                  DEPENDS ${kt_generated}/kinetrace.1.gz ${kt_generated}/changelog.gz)

# ---- The program folder ----

if(TARGET kinetrace)
  install(TARGETS kinetrace RUNTIME DESTINATION ${kt_program_dir})
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(REMOVE \"\${bin}/kinetrace\")
    file(CREATE_LINK ../${kt_program_dir}/kinetrace \"\${bin}/kinetrace\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/bin/kinetrace\")
    message(STATUS \"Installing: \${bin}/kinetrace -> ../${kt_program_dir}/kinetrace\")")
endif()
if(TARGET kinetrace_qt)
  install(TARGETS kinetrace_qt LIBRARY DESTINATION ${kt_program_dir})
endif()

# The font: a copy, or a link relative to the program folder (so it holds inside DESTDIR)
# when KINETRACE_FONT_LINK is on and always in the Debian package, whose install pass
# names its real prefix in KINETRACE_PACKAGE_PREFIX (packaging/cpack_options.cmake).
if(NOT EXISTS ${KINETRACE_FONT_SOURCE} AND NOT KINETRACE_FONT_LINK)
  message(WARNING "Font ${KINETRACE_FONT_SOURCE} not found: the installed program has no font")
endif()
install(CODE "
  set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${kt_program_dir}\")
  set(font \"\${dir}/mplus-2m-regular.ttf\")
  set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
  set(link ${KINETRACE_FONT_LINK})
  if(DEFINED ENV{KINETRACE_PACKAGE_PREFIX})
    set(prefix \"\$ENV{KINETRACE_PACKAGE_PREFIX}\")
    set(link ON)
  endif()
  if(link)
    file(RELATIVE_PATH target \"\${prefix}/${kt_program_dir}\" \"${KINETRACE_FONT_SOURCE}\")
    file(MAKE_DIRECTORY \"\${dir}\")
    file(REMOVE \"\${font}\")
    file(CREATE_LINK \"\${target}\" \"\${font}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${kt_program_dir}/mplus-2m-regular.ttf\")
    message(STATUS \"Installing: \${font} -> \${target}\")
  elseif(EXISTS \"${KINETRACE_FONT_SOURCE}\")
    file(INSTALL \"${KINETRACE_FONT_SOURCE}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${kt_program_dir}\"
         RENAME mplus-2m-regular.ttf)
  endif()")

# ---- Desktop integration ----

install(FILES ${kt_packaging}/${KINETRACE_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${kt_packaging}/${KINETRACE_APP_ID}.xml DESTINATION share/mime/packages)
install(FILES ${kt_generated}/${KINETRACE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${kt_packaging}/icons/${KINETRACE_APP_ID}.svg
        DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${kt_packaging}/icons/${KINETRACE_APP_ID}-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME ${KINETRACE_APP_ID}.png)
endforeach()
install(FILES ${kt_generated}/kinetrace.1.gz DESTINATION share/man/man1)
install(FILES ${kt_packaging}/lintian-overrides DESTINATION share/lintian/overrides
        RENAME kinetrace)
install(FILES ${kt_packaging}/kinetrace.bash-completion DESTINATION share/bash-completion/completions
        RENAME kinetrace)
install(FILES ${kt_generated}/copyright ${kt_generated}/changelog.gz
        DESTINATION share/doc/kinetrace)

# ---- Debian package (make package) ----

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kinetrace)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KINETRACE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check MMD motion files before they play on VRM avatars")
# The extended description; cpack puts the summary above it and indents every line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kinetrace reads MMD motion files (VMD, version 0002) and reports the bones and
morphs they use, with a graded verdict on what the Lumivane viewer will make
of them: bones that drop out, movements it cannot reproduce, and arm and
lower-body twists that make the motion rough.

It shows the report in its own window, and offers console modes for scripts:
a plain-text report, JSON, a one-line summary and a BMP picture.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KINETRACE_HOMEPAGE})
# Library dependencies come from dpkg-shlibdeps (the runtime packages of Qt 6 and
# FreeType, never the -dev ones); the font and Qt's X11 and Wayland plugins are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# FreeType is loaded at run time (display/freetype_calls.h), so no library of the program
# names it for dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-vlgothic, qt6-qpa-plugins, libfreetype6")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PROJECT_CONFIG_FILE ${kt_packaging}/cpack_options.cmake)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
