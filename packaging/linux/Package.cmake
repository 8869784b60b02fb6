# What `cmake --install` puts on a Linux system besides the program, and the
# Debian package of it all (cpack -G DEB, or `ninja package`): the manual
# page, the copyright and changelog, the desktop entry, the icons, the map
# file type, its thumbnailer and the AppStream metainfo. Included from the top CMakeLists.txt.

set(MAPEDITOR_MAINTAINER "Map Editor authors <mapeditor@example.org>"
    CACHE STRING "Name <address> for the Debian package's Maintainer field, its changelog and copyright")
set(MAPEDITOR_HOMEPAGE "https://example.org/mapeditor"
    CACHE STRING "Web address of the project; the AppStream metainfo expects the README's screenshot at HOMEPAGE/screenshot.png")
set(MAPEDITOR_APP_ID "org.example.mapeditor"
    CACHE STRING "Reverse-DNS id of the AppStream component, also the name of the desktop entry (ID.desktop) and of the metainfo (ID.metainfo.xml)")
set(MAPEDITOR_DEVELOPER "Map Editor authors" CACHE STRING "Developer name that the AppStream metainfo shows")
# The release these files describe.
set(MAPEDITOR_RELEASE_DATE 2026-12-07)
set(MAPEDITOR_RELEASE_TIME "Mon, 07 Dec 2026 12:00:00 +0000")

set(linux_source ${CMAKE_CURRENT_SOURCE_DIR}/packaging/linux)
set(icons_source ${CMAKE_CURRENT_SOURCE_DIR}/packaging/icons)
set(linux_generated ${CMAKE_CURRENT_BINARY_DIR}/packaging/linux)

# The copyright file in Debian's machine-readable format, its licence text
# taken from LICENSE: each line indented by a space, an empty line as " .".
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" ignored "${license}")
set(MAPEDITOR_COPYRIGHT "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*\n(Permission is hereby granted)" "\\1" license "${license}")
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " MAPEDITOR_LICENSE_TEXT " ${license}")
configure_file(${linux_source}/copyright.in ${linux_generated}/copyright @ONLY)
configure_file(${linux_source}/changelog.in ${linux_generated}/changelog @ONLY)
configure_file(${linux_source}/mapeditor.metainfo.xml.in ${linux_generated}/${MAPEDITOR_APP_ID}.metainfo.xml @ONLY)

# Compressed as Debian wants them: the smallest size, no time stamp inside.
find_program(GZIP gzip REQUIRED)
set(gzipped)
foreach(file ${CMAKE_CURRENT_SOURCE_DIR}/docs/mapeditor.1 ${linux_generated}/changelog ${CMAKE_CURRENT_SOURCE_DIR}/README.md)
  get_filename_component(name ${file} NAME)
  add_custom_command(OUTPUT ${linux_generated}/${name}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${file} ${linux_generated}/${name}.gz.tmp
                     COMMAND ${GZIP} -9nf ${linux_generated}/${name}.gz.tmp
                     COMMAND ${CMAKE_COMMAND} -E rename ${linux_generated}/${name}.gz.tmp.gz
                             ${linux_generated}/${name}.gz
                     DEPENDS ${file} VERBATIM)
  list(APPEND gzipped ${linux_generated}/${name}.gz)
endforeach()
add_custom_target(linux_package_files ALL DEPENDS ${gzipped})

# A stripped install (the package, or cmake --install --strip) also drops the
# compiler's version notes, as Debian's own packaging tools do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/mapeditor\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")

set(data ${CMAKE_INSTALL_DATAROOTDIR})
install(FILES ${linux_generated}/mapeditor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${linux_generated}/copyright ${linux_generated}/changelog.gz ${linux_generated}/README.md.gz
        DESTINATION ${data}/doc/mapeditor)
install(FILES ${linux_source}/examples/copy.bat DESTINATION ${data}/doc/mapeditor/examples)
install(FILES ${linux_source}/mapeditor.bash-completion DESTINATION ${data}/bash-completion/completions
        RENAME mapeditor)
install(FILES ${linux_source}/mapeditor.desktop DESTINATION ${data}/applications RENAME ${MAPEDITOR_APP_ID}.desktop)
install(FILES ${linux_generated}/${MAPEDITOR_APP_ID}.metainfo.xml DESTINATION ${data}/metainfo)
install(FILES ${linux_source}/mapeditor-mime.xml DESTINATION ${data}/mime/packages RENAME mapeditor.xml)
# File managers show each map's ground as its thumbnail (a PNG of --convert).
install(FILES ${linux_source}/mapeditor.thumbnailer DESTINATION ${data}/thumbnailers)
# The program's icon and the map file's, at every size of the hicolor theme.
install(FILES ${icons_source}/mapeditor.svg DESTINATION ${data}/icons/hicolor/scalable/apps)
install(FILES ${icons_source}/mapeditor-map.svg DESTINATION ${data}/icons/hicolor/scalable/mimetypes
        RENAME application-x-mapeditor-map.svg)
foreach(size 16 32 48 64 128 256)
  install(FILES ${icons_source}/mapeditor-${size}.png DESTINATION ${data}/icons/hicolor/${size}x${size}/apps
          RENAME mapeditor.png)
  install(FILES ${icons_source}/mapeditor-map-${size}.png DESTINATION ${data}/icons/hicolor/${size}x${size}/mimetypes
          RENAME application-x-mapeditor-map.png)
endforeach()

set(CPACK_PACKAGE_NAME mapeditor)
set(CPACK_PACKAGE_VENDOR "Map Editor authors")
set(CPACK_PACKAGE_CONTACT "${MAPEDITOR_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MAPEDITOR_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MAPEDITOR_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the 2-D ground profile of a simulator scenario")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "An interactive OpenGL editor for a ground profile made of cubic Bezier
segments, shaped with the mouse and kept in a plain text map file (*.mef).
.
It exports the profile to a physics simulator driven by Tcl scripts, as a
ground outline and a scenario setup script, and runs a delivery script of
the user's own; the export also works without a window, from build scripts.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
