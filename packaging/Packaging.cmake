# What `cmake --install` puts where, and the Debian package built from it (the `package`
# target, `make package`): vr60-utility_<version>_<arch>.deb.

include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS vr60util vr60ctl vr60view RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32)
  return()
endif()
# vr60sim goes along as a demo logger: with it the window and vr60ctl can be tried, and
# scripts tested, without a logger at hand (vr60sim &, then vr60util --port COM7).
install(TARGETS vr60sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(VR60_PACKAGE_CONTACT "VR60 Utility developers <vr60-utility@example.org>" CACHE STRING
    "Maintainer field of the Debian package")
set(VR60_SCREENSHOT_URL "https://example.org/vr60-utility/screenshots" CACHE STRING
    "Where docs/screenshots/*.png are published, for the AppStream metainfo")

set(pkg ${CMAKE_CURRENT_LIST_DIR})
set(gen ${CMAKE_BINARY_DIR}/packaging)

# Made at build time: vr60ctl's manual page and completion from its command table (the
# rows its --help and its parser read), vr60sim's page from its --help, the
# hand-written pages and the changelog compressed as Debian wants them.
set(generated)
# source: the program or file it is made from; the rest are -D settings of ManPage.cmake.
function(vr60_generate output source)
  add_custom_command(OUTPUT ${gen}/${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gen}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${gen}/${output} ${ARGN} -P ${pkg}/ManPage.cmake
    DEPENDS ${source} ${pkg}/ManPage.cmake VERBATIM)
  set(generated ${generated} ${gen}/${output} PARENT_SCOPE)
endfunction()
vr60_generate(vr60ctl.1.gz vr60ctl -DPROGRAM=$<TARGET_FILE:vr60ctl> -DARGS=--help-man -DGZIP=ON)
vr60_generate(vr60ctl.bash vr60ctl -DPROGRAM=$<TARGET_FILE:vr60ctl> "-DARGS=--completion$<SEMICOLON>bash")
vr60_generate(vr60sim.1.gz vr60sim -DHELP_OF=$<TARGET_FILE:vr60sim> "-DTITLE=a simulated VR60 logger on a pseudo-terminal"
              "-DINTRO=Serves a simulated logger on a pseudo-terminal and publishes it as COM7 (--com) in the port-alias folder, so that vr60util --port COM7 and vr60ctl --port COM7 can be tried without a logger. It prints the pty path on its first line and serves until it is stopped."
              -DGZIP=ON)
vr60_generate(vr60util.1.gz ${pkg}/man/vr60util.1 -DSOURCE=${pkg}/man/vr60util.1 -DGZIP=ON)
vr60_generate(vr60view.1.gz ${pkg}/man/vr60view.1 -DSOURCE=${pkg}/man/vr60view.1 -DGZIP=ON)
vr60_generate(changelog.gz ${pkg}/debian/changelog -DSOURCE=${pkg}/debian/changelog -DGZIP=ON)
add_custom_target(vr60docs ALL DEPENDS ${generated})
configure_file(${pkg}/vr60util.metainfo.xml.in ${gen}/org.vr60.vr60util.metainfo.xml @ONLY)

install(FILES ${gen}/vr60ctl.1.gz ${gen}/vr60sim.1.gz ${gen}/vr60util.1.gz ${gen}/vr60view.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${gen}/vr60ctl.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vr60ctl)
# udev reads rules from /usr/lib/udev/rules.d (the package's prefix is /usr) and /etc/udev/rules.d.
install(FILES ${pkg}/60-vr60.rules DESTINATION lib/udev/rules.d)
install(FILES ${pkg}/vr60util.desktop ${pkg}/vr60view.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/vr60-sbp.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
# The schema of the elements our GPX files add, for whoever validates them.
install(FILES ${pkg}/xml/vr60-gpx-speed-1.xsd DESTINATION ${CMAKE_INSTALL_DATADIR}/vr60-utility/xml)
install(FILES ${gen}/org.vr60.vr60util.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(icon vr60util vr60view)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${pkg}/icons/${icon}-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${icon}.png)
  endforeach()
  install(FILES ${pkg}/icons/${icon}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endforeach()
install(FILES ${pkg}/debian/copyright ${gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vr60-utility)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vr60-utility)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VR60_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service utility for the VR60 GPS speed and track logger")
set(CPACK_PACKAGE_DESCRIPTION
    "Connects to the VR60 logger on its USB serial port, reads and changes its\n"
    "settings, downloads its log into .sbp files and converts logs to NMEA, PLT,\n"
    "CSV, GPX and KML. Contains the window (vr60util), the session viewer\n"
    "(vr60view), the command-line tool (vr60ctl), a simulated logger for trying\n"
    "them out (vr60sim) and a udev rule that gives the logged-in user access to\n"
    "the logger.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_SOURCE_DIR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its database drivers as plugins, which shlibdeps cannot see: the local records
# database needs the SQLite one, a shared production-line database the PostgreSQL one.
# Map links and the POI map open through xdg-open, a program shlibdeps cannot see either.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gpsbabel, libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${pkg}/debian/postinst ${pkg}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
