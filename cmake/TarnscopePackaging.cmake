# What `cmake --install` lays out, and the Debian package built by `cpack -G DEB`
# (scripts/package.sh). Paths are relative to the install prefix.

# Fixed lib/, not CMAKE_INSTALL_LIBDIR (lib/<multiarch> on Debian): udev reads
# rules from /usr/lib/udev/rules.d and /usr/local/lib/udev/rules.d, and from no
# other prefix.
set(TARNSCOPE_UDEV_RULES_DIR lib/udev/rules.d)
set(TARNSCOPE_UDEV_PREFIXES /usr /usr/local)
if(NOT CMAKE_INSTALL_PREFIX IN_LIST TARNSCOPE_UDEV_PREFIXES)
  message(STATUS "udev does not read rules under ${CMAKE_INSTALL_PREFIX}: after installing, copy "
                 "${CMAKE_INSTALL_PREFIX}/${TARNSCOPE_UDEV_RULES_DIR}/70-tarnscope.rules to /etc/udev/rules.d")
endif()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/70-tarnscope.rules DESTINATION ${TARNSCOPE_UDEV_RULES_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tarnscope.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/tarnscope.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/scenarios/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnscope/scenarios
        FILES_MATCHING PATTERN "*.json")
# docs/ keeps its name so that the README's links and pictures still resolve.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs DESTINATION ${CMAKE_INSTALL_DOCDIR} FILES_MATCHING PATTERN "*.md"
        PATTERN "*.png")

# Manual pages go compressed, as Debian installs them.
foreach(page tarnscope.1 tarnscope-cli.1)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/man/${page} ${PROJECT_BINARY_DIR}/packaging/man/${page} COPYONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/man/${page}.gz
                     COMMAND gzip -9 -n -k -f ${page}
                     WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/packaging/man
                     DEPENDS ${PROJECT_BINARY_DIR}/packaging/man/${page})
  list(APPEND TARNSCOPE_MAN_PAGES ${PROJECT_BINARY_DIR}/packaging/man/${page}.gz)
endforeach()
add_custom_target(tarnscope_man_pages ALL DEPENDS ${TARNSCOPE_MAN_PAGES})
install(FILES ${TARNSCOPE_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(TARNSCOPE_PACKAGE_MAINTAINER "Tarnscope maintainers <tarnscope@example.org>"
    CACHE STRING "Maintainer field of the Debian package: Name <e-mail>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnscope)
set(CPACK_PACKAGE_CONTACT "${TARNSCOPE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "diagnosis tool for infrared touch frames")
# Lines as they appear in the package's description, under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnscope connects an infrared touch frame over USB, scans its X and Y axes
and shows the faulty boards, flat cables and LEDs as a picture of the frame,
runs a guided touch test that lists the positions the frame never reported,
and saves the results as one .rep archive for the maker.

The package holds the window program tarnscope, the command-line tool
tarnscope-cli for scripts and factory lines, example scenarios of the
simulated frame, and a udev rule that lets the user at the local seat open
the frames without root.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps derives the library dependencies from the programs; the
# picture's fonts are loaded at run time, so fonts-liberation is named by hand.
find_program(TARNSCOPE_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARNSCOPE_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libqt6widgets6, libqt6gui6, libqt6core6, libudev1, libminizip1, zlib1g, libstdc++6, fonts-liberation")
endif()

# One script serves as postinst and postrm: it reloads the udev rules.
foreach(script postinst postrm)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/reload-udev-rules.sh ${PROJECT_BINARY_DIR}/packaging/${script}
                 COPYONLY)
  list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/${script})
endforeach()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
