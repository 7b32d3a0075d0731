# Install rules and the Debian package. Included from the top folder so the package covers the
# whole project; tools/package.sh builds it.

# Installing (and so cpack) takes the programs as built and does not build the whole tree first:
# the package needs only the two programs.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS qemra-monitor qemra-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The installed program reads the shipped parameter defaults from here while the user has none.
install(FILES ${CMAKE_SOURCE_DIR}/data/DefaultPrm.qemra
        DESTINATION ${CMAKE_INSTALL_DATADIR}/qemra-monitor)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qemra-monitor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qemra-monitor.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/io.github.qemra_monitor.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The user unit starts the monitor from the bin folder of this prefix, where it finds itself installed.
configure_file(${CMAKE_CURRENT_LIST_DIR}/qemra-monitor-headless.service
               ${CMAKE_BINARY_DIR}/packaging/qemra-monitor-headless.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/qemra-monitor-headless.service
        DESTINATION lib/systemd/user)

# Debian ships man pages and the changelog compressed with gzip -9n: no name or time stamp in the
# header, so the same sources give the same package bytes.
find_program(QEMRA_GZIP gzip REQUIRED)
set(qemra_compressed)
foreach(source qemra-monitor.1 qemra-sim.1 changelog.Debian)
  set(copy ${CMAKE_BINARY_DIR}/packaging/${source})
  add_custom_command(OUTPUT ${copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/${source} ${copy}
                     COMMAND ${QEMRA_GZIP} -9nf ${copy}
                     DEPENDS ${CMAKE_CURRENT_LIST_DIR}/${source}
                     VERBATIM)
  set(compressed ${copy}.gz)
  list(APPEND qemra_compressed ${compressed})
endforeach()
add_custom_target(qemra-package-files ALL DEPENDS ${qemra_compressed})
# The package is made from the programs' build (tools/package.sh and the package test build only the
# monitor and the simulator), so building the monitor makes the compressed files too.
add_dependencies(qemra-monitor qemra-package-files)
install(FILES ${CMAKE_BINARY_DIR}/packaging/qemra-monitor.1.gz ${CMAKE_BINARY_DIR}/packaging/qemra-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The doc folder is named after the package, not the CMake project.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qemra-monitor)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qemra-monitor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The Debian revision makes it a non-native package, whose changelog is changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGE_VENDOR "Qemra Monitor developers")
set(CPACK_PACKAGE_CONTACT "Qemra Monitor developers <qemra-monitor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Monitor and configurator for a serial thermal-comfort instrument")
# Debian wants the long description in lines of at most 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Polls a thermal-comfort instrument (hot-wire anemometer with air, globe and"
  "board temperature and humidity sensors) over a serial line, shows live values"
  "and trend charts, records daily CSV files, writes settings and parameters with"
  "echo verification and guides a sensor calibration. Comes with qemra-sim, a"
  "simulated instrument on a pseudo-terminal.")
# The programs look for their own install prefix, so the package installs exactly there.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese labels need a font with those glyphs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-noto-cjk)
set(CPACK_STRIP_FILES ON)
include(CPack)
